#pragma once

#include "base/AppState.h"
#include "base/Commands.h"
#include "baskets/BasketSource.h"
#include "db/Database.h"

#include <QHash>
#include <QMainWindow>

#include <functional>
#include <memory>

class CBasketBar;
class ImageWindows;
class ScanCommands;
class QAction;
class CHistogramBar;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPrinter;
class QSettings;
class QTabWidget;
class QToolBar;

// The main window: document tabs, the image and archive toolbars, the eight-pane status bar, the
// "Baskets" side bar and the floating histogram bar. Every command of the program arrives here
// and goes to one dispatch point; windows built elsewhere plug in with setHandler().
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    CMainFrame(AppState &state, Database db, QSettings &profile, QWidget *parent = nullptr);
    ~CMainFrame() override;

    AppState &state() { return m_state; }
    const Database &database() const { return m_db; }
    QMdiArea *mdiArea() const { return m_mdi; }
    QDockWidget *basketsBar() const { return m_baskets; }
    QTabWidget *basketTabs() const;
    CBasketBar *basketBar() const { return m_basketTabs; }
    QDockWidget *histogramBar() const { return m_histogram; }
    CHistogramBar *histogram() const { return m_histogramBar; }
    QToolBar *imageToolBar() const { return m_imageBar; }
    QToolBar *archiveToolBar() const { return m_archiveBar; }
    QAction *action(int command) const { return m_actions.value(command); }
    bool isFullScreenOn() const { return m_fullScreen; }
    // The image documents and their commands.
    ImageWindows *images() const { return m_images; }
    // Select Source and Acquire.
    ScanCommands *scanning() const { return m_scanning; }

    // What a command does; a later window registers its opener here. A command with no handler
    // is disabled.
    void setHandler(int command, std::function<void()> handler);
    bool hasHandler(int command) const { return m_handlers.contains(command); }
    void dispatch(int command);
    // Re-evaluates every enable rule (the framework's idle update).
    void updateCommandStates();
    // Whether a web page view is the active child (set by the web view when it is added).
    void setWebViewPredicate(std::function<bool(QMdiSubWindow *)> isWebView) { m_isWebView = std::move(isWebView); }

    // The thumbnail browser service, which the received-files command ends in.
    void setThumbnailBrowserOpener(std::function<void(const BasketSource &)> open);

    // The printer of the program: Print Setup sets it up and the print dialogs start from it.
    QPrinter *printer() const { return m_printer.get(); }

    // Makes a second window onto what a child window shows (New Window).
    using WindowMaker = std::function<QWidget *()>;

    // Opens a picture as a new child window named with its caption.
    QMdiSubWindow *openImage(const QImage &image, const QString &caption);
    // A child window; with a maker, New Window can open a second one like it.
    QMdiSubWindow *addChild(QWidget *widget, const QString &caption, bool maximized = false,
                            WindowMaker maker = {});

    // The Window menu.
    void newWindow();
    void cascadeWindows();
    void tileWindows(Qt::Orientation orientation);
    void arrangeAsTabs();
    void printSetup();

    void applyStoredPlacement();
    void toggleFullScreen();
    void pastePicture();
    void captureWindow();
    void showAbout();
    void startTextEditor();
    void openReceivedFiles();
    // The print-shop workflow dialog.
    void openWorkflow();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QAction *makeAction(int command, const QString &text, const QIcon &icon = {});
    void buildActions();
    void buildMenus();
    void buildToolBars();
    void buildStatusBar();
    void buildDocks();
    void storePlacement();
    void showAsWindows();
    QList<QMdiSubWindow *> arrangedWindows() const;

    AppState &m_state;
    Database m_db;
    QSettings &m_profile;
    QMdiArea *m_mdi;
    QToolBar *m_imageBar = nullptr;
    QToolBar *m_archiveBar = nullptr;
    QDockWidget *m_baskets = nullptr;
    CBasketBar *m_basketTabs = nullptr;
    QDockWidget *m_histogram = nullptr;
    CHistogramBar *m_histogramBar = nullptr;
    QHash<int, QAction *> m_actions;
    QHash<int, std::function<void()>> m_handlers;
    std::function<bool(QMdiSubWindow *)> m_isWebView;
    std::function<void(const BasketSource &)> m_openThumbnailBrowser;
    std::unique_ptr<QPrinter> m_printer;
    QHash<QMdiSubWindow *, WindowMaker> m_makers;
    ImageWindows *m_images = nullptr;
    ScanCommands *m_scanning = nullptr;
    bool m_fullScreen = false;
    bool m_histogramPlaced = false;
};
