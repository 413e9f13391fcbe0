#pragma once

#include <QColor>

#include <optional>

class QWidget;

// The system colour chooser of the image windows, which tests can answer in advance.
class ColourChooser
{
public:
    // The chosen colour, or nothing when the user cancelled.
    static std::optional<QColor> choose(QWidget *parent, const QColor &initial, bool withAlpha = false);

    // Tests: the next chooser returns this at once (nothing: cancel), and the colour it was
    // opened on can be read back.
    static void setNextAnswer(std::optional<QColor> answer);
    static QColor lastInitial();
};
