#pragma once

#include "base/AppState.h"

#include <QRect>

class QSettings;

// Where the main window stood when it was last closed.
struct ScreenPlacement
{
    bool maximized = false;
    int left = 0;
    int top = 0;
    int right = 850;
    int bottom = 650;
};

// The per-user profile store: sections "Screen", "TextTool" and "Options". The store itself is a
// QSettings file in the user's configuration folder (~/.config/Dovrelle/Dovrelle.conf).
class Profile
{
public:
    explicit Profile(QSettings &settings);

    ScreenPlacement screen() const;
    void setScreen(const ScreenPlacement &placement);

    // "opaque" and "roundradius" are read but never written; the radius goes out under
    // "r_radius", which nothing reads back.
    TextToolSettings textTool() const;
    void setTextTool(const TextToolSettings &tool);

    int jpegQuality() const;
    void setJpegQuality(int quality);

private:
    QSettings &m_settings;
};
