#pragma once

#include "imaging/ImageCommands.h"

#include <QObject>
#include <QString>

#include <optional>

class CDemoDoc;
class CDemoView;
class CMainFrame;
class ImageWindows;
class QAction;
class QMenu;
struct AppState;

// The image menus: every pixel command of the table, with its picture, its dialog where it has
// settings, and its enable rule for the active image window. A command either changes the active
// picture (on the window's worker when it is long) or opens its results as new image windows.
class ImageCommandMenu : public QObject
{
    Q_OBJECT

public:
    ImageCommandMenu(ImageWindows &windows, CMainFrame &frame, AppState &state);

    // Adds "Image", "Colors" and "Filters" to the menu bar before `before`.
    void build(QAction *before);
    // Asks for the command's settings where it has any and runs it on the active window.
    void trigger(int id);
    // Whether the command may run on the active window now.
    bool enabled(int id) const;
    // The view's click that the text tool or the transparency pick was waiting for.
    void connectView(CDemoView *view);

private:
    struct Request
    {
        CDemoDoc *target = nullptr;
        ImageCommands::Values values;
        QList<Magick::Image> sources;
    };

    std::optional<Request> ask(const ImageCommands::Command &command, CDemoView *view);
    void run(const ImageCommands::Command &command, Request request);
    void openResults(const ImageCommands::Outcome &outcome, CDemoDoc *from);
    void chooseTextTool();
    void placeText(CDemoView *view, QPoint at);
    void pickTransparency(CDemoView *view, QPoint at);
    void updateStates();

    ImageWindows &m_windows;
    CMainFrame &m_frame;
    AppState &m_state;
    QList<QMenu *> m_menus;
    QString m_text; // what the text tool writes; asked for with its settings
};
