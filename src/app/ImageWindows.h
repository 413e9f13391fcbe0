#pragma once

#include <QObject>
#include <QString>

#include <optional>

class CDemoDoc;
class CDemoView;
class CMainFrame;
class ImageCommandMenu;
class QImage;
class QMdiSubWindow;
class QMenu;
class QSettings;
struct AppState;

// The main window's image documents: opening files (with their further frames and the recent
// list), new pictures from the clipboard or the screen, the image commands of the menus and
// toolbar routed to the active view, and the hand-over of a picture to the card's file list.
class ImageWindows : public QObject
{
    Q_OBJECT

public:
    static constexpr int kHandToCard = 32960;

    ImageWindows(CMainFrame &frame, AppState &state, QSettings &profile);

    // Opens the file as a new document (and its further frames when the user wants them);
    // a failure is shown and opens nothing.
    void openFile(const QString &path);
    QMdiSubWindow *openPicture(const QImage &picture, const QString &title);
    QMdiSubWindow *openDocument(CDemoDoc *document);
    CDemoView *activeView() const;
    QList<CDemoDoc *> documents() const;

    // The enable rule of an image command for the active window; nullopt when it is not one.
    std::optional<bool> rule(int command) const;
    void print();
    void printPreview();
    void handToCard();
    void refreshRecentMenu();
    void refreshHistogram();
    QSettings &profile() const { return m_profile; }
    ImageCommandMenu *commands() const { return m_commands; }

signals:
    // A picture saved for the card: its folder (ending in "/"), name and size in bytes.
    void pictureSaved(const QString &folder, const QString &fileName, qint64 size);

private:
    void openChosenFile();
    void saveAs();
    void copy();
    void duplicate();
    void closeAll();
    void showContextMenu(CDemoView *view, const QPoint &globalPos);
    void setStatus(int pane, const QString &text);

    CMainFrame &m_frame;
    AppState &m_state;
    QSettings &m_profile;
    QMenu *m_recentMenu = nullptr;
    ImageCommandMenu *m_commands = nullptr;
    QString m_lastFilter;
};
