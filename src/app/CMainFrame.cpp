#include "CMainFrame.h"

#include "CAboutDlg.h"
#include "CBasketBar.h"
#include "CCaptureDlg.h"
#include "ImageWindows.h"
#include "ScanCommands.h"
#include "imaging/CHistogramBar.h"
#include "imaging/ImageIcons.h"
#include "base/HandOffFolder.h"
#include "ui/MessageBox.h"
#include "users/CUsersDlg.h"
#include "workflow/CWorkflowDlg.h"
#include "Profile.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QSize kBasketsSize(265, 180);
constexpr int kHistogramLeftOfRightEdge = 300;
constexpr int kHistogramBelowTop = 80;
// The caption of a child window without its number, and its number among the windows onto the
// same document ("title:2").
const char *const kBaseTitleProperty = "dovrelleBaseTitle";
const char *const kWindowNumberProperty = "dovrelleWindowNumber";

// A small toolbar picture: a symbol on a coloured tile.
QIcon glyphIcon(const QString &symbol, QColor tile)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(tile);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    QFont f(u"DejaVu Sans"_s);
    f.setPixelSize(symbol.size() > 1 ? 13 : 19);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, symbol);
    return QIcon(pm);
}

const QColor kArchiveTile(0x1f, 0x5f, 0x8b);
const QColor kImageTile(0x4a, 0x6d, 0x3a);

} // namespace

CMainFrame::CMainFrame(AppState &state, Database db, QSettings &profile, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_db(std::move(db))
    , m_profile(profile)
    , m_mdi(new QMdiArea(this))
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setWindowTitle(u"Dovrelle"_s);
    setWindowIcon(QIcon(u":/icons/dovrelle.png"_s));
    setLayoutDirection(Qt::RightToLeft);
    setObjectName(u"CMainFrame"_s);
    // The frame and its bars show no menu of their own on a right click.
    setContextMenuPolicy(Qt::PreventContextMenu);

    m_mdi->setViewMode(QMdiArea::TabbedView);
    m_mdi->setTabsClosable(true);
    m_mdi->setTabsMovable(true);
    m_mdi->setDocumentMode(true);
    setCentralWidget(m_mdi);

    buildActions();
    buildMenus();
    buildToolBars();
    buildStatusBar();
    buildDocks();
    m_images = new ImageWindows(*this, m_state, m_profile);
    // The scanner library opens with the window and closes with it.
    m_scanning = new ScanCommands(*this, m_state, m_profile);
    // Picture files dropped on the window open as image documents.
    setAcceptDrops(true);
    setDockOptions(dockOptions() | QMainWindow::AllowTabbedDocks);

    applyStoredPlacement();

    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::updateCommandStates);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::updateCommandStates);
    updateCommandStates();
}

CMainFrame::~CMainFrame()
{
    // The children go after this object has stopped being a CMainFrame: their last signals must
    // not reach it, and no page may still be on its way to it.
    m_scanning->release();
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    disconnect(m_mdi, nullptr, this, nullptr);
    disconnect(m_mdi, nullptr, m_images, nullptr);
    disconnect(m_histogram, nullptr, this, nullptr);
    for (QMdiSubWindow *sub : m_makers.keys())
        disconnect(sub, nullptr, this, nullptr);
}

QAction *CMainFrame::makeAction(int command, const QString &text, const QIcon &icon)
{
    // The image editor's commands take their own pictures; the archive's keep their tiles.
    const QIcon own = ImageIcons::forCommand(command);
    auto *a = new QAction(own.isNull() ? icon : own, text, this);
    a->setData(command);
    a->setStatusTip(text);
    connect(a, &QAction::triggered, this, [this, command] { dispatch(command); });
    m_actions.insert(command, a);
    return a;
}

void CMainFrame::buildActions()
{
    QStyle *s = style();
    // Archive commands; their tooltips are the system's own texts.
    makeAction(Command::Settings, tr("اعدادات"), glyphIcon(u"\u2699"_s, kArchiveTile));
    makeAction(Command::OpenWebPage, tr("فتح صفحة ويب"), glyphIcon(u"\u2316"_s, kArchiveTile));
    makeAction(Command::SaveWebPage, tr("حفظ صفحة الويب في البطاقة"), glyphIcon(u"\u2913"_s, kArchiveTile));
    makeAction(Command::FindFiles, tr("البحث في الحاسب"), glyphIcon(u"\u2315"_s, kArchiveTile));
    makeAction(Command::Classes, tr("التصنيفات"), glyphIcon(u"\u2630"_s, kArchiveTile));
    makeAction(Command::CardDialog, tr("بطاقة"), glyphIcon(u"\u2709"_s, kArchiveTile));
    makeAction(Command::Search, tr("بحث"), glyphIcon(u"\u2740"_s, kArchiveTile));
    makeAction(Command::Users, tr("المستخدمين"), glyphIcon(u"\u263A"_s, kArchiveTile));
    makeAction(Command::TextEditor, tr("محرر النصوص"), glyphIcon(u"\u270E"_s, kArchiveTile));
    makeAction(Command::ReceivedFiles, tr("الملفات الواردة"), glyphIcon(u"\u2709"_s, QColor(0x8b, 0x5a, 0x1f)));
    makeAction(Command::Workflow, tr("متابعة أعمال المطبعة"), glyphIcon(u"\u2399"_s, kArchiveTile));

    makeAction(Command::ToggleBaskets, u"Baskets"_s, glyphIcon(u"\u25A4"_s, kImageTile));
    makeAction(Command::FileNew, u"&New"_s, s->standardIcon(QStyle::SP_FileIcon))->setShortcut(QKeySequence(u"Ctrl+N"_s));
    makeAction(Command::FileOpen, u"&Open..."_s, s->standardIcon(QStyle::SP_DialogOpenButton))
        ->setShortcut(QKeySequence(u"Ctrl+O"_s));
    makeAction(Command::FileSave, u"&Save"_s, s->standardIcon(QStyle::SP_DialogSaveButton))
        ->setShortcut(QKeySequence(u"Ctrl+S"_s));
    makeAction(Command::FileSaveAs, u"Save &As..."_s, s->standardIcon(QStyle::SP_DialogSaveButton));
    makeAction(Command::Print, u"&Print..."_s, glyphIcon(u"\u2399"_s, kImageTile))->setShortcut(QKeySequence(u"Ctrl+P"_s));
    makeAction(Command::PrintPreview, u"Print Pre&view"_s);
    makeAction(Command::SelectSource, u"Select Source..."_s);
    makeAction(Command::Acquire, u"Acquire..."_s, glyphIcon(u"\u2398"_s, kImageTile));
    makeAction(Command::Capture, u"Capture..."_s);
    makeAction(Command::PrintSetup, u"Print Set&up..."_s);
    makeAction(Command::Exit, u"E&xit"_s);
    makeAction(Command::Cut, u"Cu&t"_s, glyphIcon(u"\u2702"_s, kImageTile))
        ->setShortcuts({QKeySequence(u"Ctrl+X"_s), QKeySequence(u"Shift+Del"_s)});
    makeAction(Command::Copy, u"&Copy"_s, glyphIcon(u"\u2398"_s, kImageTile))
        ->setShortcuts({QKeySequence(u"Ctrl+C"_s), QKeySequence(u"Ctrl+Ins"_s)});
    makeAction(Command::Paste, u"&Paste"_s, glyphIcon(u"\u2399"_s, kImageTile))
        ->setShortcuts({QKeySequence(u"Ctrl+V"_s), QKeySequence(u"Shift+Ins"_s)});
    makeAction(Command::Undo, u"&Undo"_s, glyphIcon(u"\u21B6"_s, kImageTile))
        ->setShortcuts({QKeySequence(u"Ctrl+Z"_s), QKeySequence(u"Alt+Backspace"_s)});
    makeAction(Command::Redo, u"&Redo"_s, glyphIcon(u"\u21B7"_s, kImageTile))->setShortcut(QKeySequence(u"Ctrl+Y"_s));
    makeAction(Command::ZoomIn, u"Zoom In"_s, glyphIcon(u"+"_s, kImageTile))->setShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_Plus));
    makeAction(Command::NormalSize, u"Normal Size"_s, glyphIcon(u"1:1"_s, kImageTile))
        ->setShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_Slash));
    makeAction(Command::ZoomOut, u"Zoom Out"_s, glyphIcon(u"\u2212"_s, kImageTile))
        ->setShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_Minus));
    for (int id : {32869, 32871, 32916, 32874, 32886})
        makeAction(id, u"Image tool %1"_s.arg(id), glyphIcon(u"\u25A7"_s, kImageTile));
    makeAction(Command::About, u"&About Dovrelle..."_s, glyphIcon(u"?"_s, kImageTile));
    makeAction(Command::Duplicate, u"&Duplicate"_s)->setShortcut(QKeySequence(u"Ctrl+D"_s));
    makeAction(Command::NextPane, u"Next Pane"_s)->setShortcut(QKeySequence(Qt::Key_F6));
    makeAction(Command::PreviousPane, u"Previous Pane"_s)->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    addAction(m_actions[Command::NextPane]);
    addAction(m_actions[Command::PreviousPane]);

    makeAction(Command::MenuStyleDefault, u"Default"_s)->setCheckable(true);
    makeAction(Command::MenuStyleFlat, u"XP"_s)->setCheckable(true);
    auto *menuStyles = new QActionGroup(this);
    menuStyles->addAction(m_actions[Command::MenuStyleDefault]);
    menuStyles->addAction(m_actions[Command::MenuStyleFlat]);
    m_actions[Command::MenuStyleDefault]->setChecked(true);
    makeAction(Command::FullScreen, u"F&ull Screen"_s)->setCheckable(true);
    makeAction(Command::Histogram, u"&Histogram"_s)->setCheckable(true);
    makeAction(Command::WindowNew, u"&New Window"_s);
    makeAction(Command::WindowCascade, u"&Cascade"_s);
    makeAction(Command::WindowTileHorz, u"&Tile Horizontally"_s);
    makeAction(Command::WindowTileVert, u"Tile &Vertically"_s);
    makeAction(Command::WindowArrange, u"&Arrange Icons"_s);
    makeAction(Command::CloseAllImages, u"C&lose All"_s);
    for (int id : {Command::ViewFile, Command::DeleteFile, Command::EnterText, Command::ViewText, Command::DeleteText,
                   Command::EditText, Command::PrintArchived, Command::PrintSelected, Command::PrintReport})
        makeAction(id, QString());

    // What the frame itself does.
    setHandler(Command::FileNew, [] {});
    setHandler(Command::Exit, [this] { close(); });
    setHandler(Command::ToggleBaskets, [this] { m_baskets->setVisible(!m_baskets->isVisible()); });
    setHandler(Command::FullScreen, [this] { toggleFullScreen(); });
    setHandler(Command::Paste, [this] { pastePicture(); });
    setHandler(Command::Capture, [this] { captureWindow(); });
    setHandler(Command::About, [this] { showAbout(); });
    setHandler(Command::TextEditor, [this] { startTextEditor(); });
    setHandler(Command::PrintSetup, [this] { printSetup(); });
    // The rights changed there count from the user's next login.
    setHandler(Command::Users, [this] {
        CUsersDlg users(m_db, this);
        users.exec();
    });
    setHandler(Command::WindowNew, [this] { newWindow(); });
    setHandler(Command::WindowCascade, [this] { cascadeWindows(); });
    setHandler(Command::WindowTileHorz, [this] { tileWindows(Qt::Horizontal); });
    setHandler(Command::WindowTileVert, [this] { tileWindows(Qt::Vertical); });
    setHandler(Command::WindowArrange, [this] { arrangeAsTabs(); });
    setHandler(Command::NextPane, [this] { m_mdi->activateNextSubWindow(); });
    setHandler(Command::PreviousPane, [this] { m_mdi->activatePreviousSubWindow(); });
    setHandler(Command::Workflow, [this] { openWorkflow(); });
}

void CMainFrame::buildMenus()
{
    QMenu *file = menuBar()->addMenu(u"&File"_s);
    file->addActions({m_actions[Command::FileNew], m_actions[Command::FileOpen], m_actions[Command::FileSave],
                      m_actions[Command::FileSaveAs]});
    file->addSeparator();
    file->addActions({m_actions[Command::Print], m_actions[Command::PrintPreview], m_actions[Command::PrintSetup]});
    file->addSeparator();
    file->addActions({m_actions[Command::SelectSource], m_actions[Command::Acquire], m_actions[Command::Capture]});
    file->addSeparator();
    file->addAction(m_actions[Command::Exit]);

    QMenu *edit = menuBar()->addMenu(u"&Edit"_s);
    edit->addActions({m_actions[Command::Undo], m_actions[Command::Redo]});
    edit->addSeparator();
    edit->addActions({m_actions[Command::Cut], m_actions[Command::Copy], m_actions[Command::Paste]});

    QMenu *view = menuBar()->addMenu(u"&View"_s);
    QMenu *styles = nullptr;
    view->addAction(u"&Toolbar"_s); // filled in buildToolBars
    view->addAction(u"&Status Bar"_s);
    view->addAction(m_actions[Command::Histogram]);
    styles = view->addMenu(u"Menu Style"_s);
    styles->addActions({m_actions[Command::MenuStyleDefault], m_actions[Command::MenuStyleFlat]});
    view->addAction(m_actions[Command::FullScreen]);

    QMenu *window = menuBar()->addMenu(u"&Window"_s);
    window->addActions({m_actions[Command::WindowNew], m_actions[Command::WindowCascade],
                        m_actions[Command::WindowTileHorz], m_actions[Command::WindowTileVert],
                        m_actions[Command::WindowArrange], m_actions[Command::CloseAllImages],
                        m_actions[Command::Duplicate]});

    QMenu *help = menuBar()->addMenu(u"&Help"_s);
    help->addAction(m_actions[Command::About]);

    for (QMenu *menu : {file, edit, view, window, help})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
}

void CMainFrame::buildToolBars()
{
    m_imageBar = new QToolBar(u"Image"_s, this);
    m_imageBar->setObjectName(u"ImageToolBar"_s);
    m_imageBar->setContextMenuPolicy(Qt::PreventContextMenu);
    const QList<int> imageButtons{Command::ToggleBaskets, Command::FileOpen, Command::FileSaveAs, Command::Print,
                                  Command::Acquire, 0, Command::Cut, Command::Copy, Command::Paste, 0, Command::Undo,
                                  Command::Redo, 0, Command::ZoomIn, Command::NormalSize, Command::ZoomOut, 0, 32869,
                                  32871, 32916, 32874, 32886, 0, Command::About};
    for (int id : imageButtons) {
        if (id == 0)
            m_imageBar->addSeparator();
        else
            m_imageBar->addAction(m_actions[id]);
    }
    addToolBar(Qt::TopToolBarArea, m_imageBar);

    m_archiveBar = new QToolBar(tr("الارشيف"), this);
    m_archiveBar->setObjectName(u"ArchiveToolBar"_s);
    m_archiveBar->setContextMenuPolicy(Qt::PreventContextMenu);
    // The archive toolbar lives on the right edge only.
    m_archiveBar->setAllowedAreas(Qt::RightToolBarArea);
    m_archiveBar->setOrientation(Qt::Vertical);
    const QList<int> archiveButtons{Command::Settings, 0, Command::OpenWebPage, Command::SaveWebPage,
                                    Command::FindFiles, Command::Classes, Command::CardDialog, Command::Search,
                                    Command::Users, Command::TextEditor, Command::ReceivedFiles, Command::Workflow};
    for (int id : archiveButtons) {
        if (id == 0)
            m_archiveBar->addSeparator();
        else
            m_archiveBar->addAction(m_actions[id]);
    }
    addToolBar(Qt::RightToolBarArea, m_archiveBar);

    // View > Toolbar and Status Bar are the bars' own toggles.
    QMenu *view = menuBar()->actions().at(2)->menu();
    QAction *toolbarItem = view->actions().at(0);
    QAction *statusItem = view->actions().at(1);
    toolbarItem->setCheckable(true);
    toolbarItem->setChecked(true);
    toolbarItem->setData(int(Command::ToolbarToggle));
    connect(toolbarItem, &QAction::toggled, this, [this](bool on) {
        m_imageBar->setVisible(on);
        m_archiveBar->setVisible(on);
    });
    statusItem->setCheckable(true);
    statusItem->setChecked(true);
    statusItem->setData(int(Command::StatusBarToggle));
    connect(statusItem, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    m_actions.insert(Command::ToolbarToggle, toolbarItem);
    m_actions.insert(Command::StatusBarToggle, statusItem);
    // The items' own toggles do the work.
    setHandler(Command::ToolbarToggle, [] {});
    setHandler(Command::StatusBarToggle, [] {});
}

void CMainFrame::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    // Four panes the image views write to, as wide as 1, 28, 8 and 28 blanks; then the key states.
    const QFontMetrics fm(bar->font());
    int pane = 0;
    for (int blanks : {1, 28, 8, 28}) {
        auto *label = new QLabel(bar);
        label->setObjectName(u"pane%1"_s.arg(++pane));
        label->setMinimumWidth(fm.horizontalAdvance(QString(blanks, u' ')) + 6);
        bar->addPermanentWidget(label);
    }
    for (const QString &key : {u"CAP"_s, u"NUM"_s, u"SCRL"_s}) {
        auto *label = new QLabel(key, bar);
        label->setObjectName(key);
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
    bar->showMessage(tr("جاهز"));
}

QTabWidget *CMainFrame::basketTabs() const
{
    return m_basketTabs;
}

void CMainFrame::buildDocks()
{
    m_baskets = new QDockWidget(u"Baskets"_s, this);
    m_baskets->setObjectName(u"Baskets"_s);
    m_baskets->setContextMenuPolicy(Qt::PreventContextMenu);
    m_basketTabs = new CBasketBar(m_state, m_db, m_baskets);
    m_baskets->setWidget(m_basketTabs);
    m_baskets->resize(kBasketsSize);
    // Wide enough for the three Arabic tab captions side by side.
    m_basketTabs->setUsesScrollButtons(false);
    m_basketTabs->setElideMode(Qt::ElideNone);
    m_basketTabs->setMinimumWidth(std::max(kBasketsSize.width(), m_basketTabs->tabBar()->sizeHint().width() + 8));
    addDockWidget(Qt::LeftDockWidgetArea, m_baskets);
    // Hidden while the frame is built; the application shows it at the end of start-up.
    m_baskets->hide();

    m_histogram = new QDockWidget(u"Histogram"_s, this);
    m_histogram->setObjectName(u"Histogram"_s);
    m_histogram->setAllowedAreas(Qt::NoDockWidgetArea);
    m_histogram->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                             | QDockWidget::DockWidgetFloatable);
    m_histogramBar = new CHistogramBar(m_histogram);
    m_histogram->setWidget(m_histogramBar);
    m_histogram->setFloating(true);
    m_histogram->hide();
    connect(m_histogram, &QDockWidget::visibilityChanged, this,
            [this](bool visible) { m_actions[Command::Histogram]->setChecked(visible); });
    setHandler(Command::Histogram, [this] { m_histogram->setVisible(!m_histogram->isVisible()); });
}

void CMainFrame::setHandler(int command, std::function<void()> handler)
{
    m_handlers.insert(command, std::move(handler));
}

void CMainFrame::dispatch(int command)
{
    updateCommandStates();
    if (QAction *a = m_actions.value(command); a && !a->isEnabled())
        return;
    const auto it = m_handlers.constFind(command);
    if (it == m_handlers.constEnd())
        return;
    // A copy: the handler may replace itself.
    const std::function<void()> handler = *it;
    handler();
    updateCommandStates();
}

void CMainFrame::setThumbnailBrowserOpener(std::function<void(const BasketSource &)> open)
{
    m_openThumbnailBrowser = std::move(open);
    if (m_openThumbnailBrowser)
        setHandler(Command::ReceivedFiles, [this] { openReceivedFiles(); });
    else
        m_handlers.remove(Command::ReceivedFiles);
    updateCommandStates();
}

void CMainFrame::updateCommandStates()
{
    CommandContext context;
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    context.clipboardHasImage = clip && clip->hasImage();
    context.webPageViewActive = m_isWebView && m_mdi->activeSubWindow() && m_isWebView(m_mdi->activeSubWindow());
    // A command nothing carries out yet is disabled rather than answering with a message.
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        it.value()->setEnabled(m_handlers.contains(it.key()) && isCommandEnabled(it.key(), m_state, context)
                               && (!m_images || m_images->rule(it.key()).value_or(true)));
}

QMdiSubWindow *CMainFrame::addChild(QWidget *widget, const QString &caption, bool maximized, WindowMaker maker)
{
    widget->setWindowTitle(caption);
    widget->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = m_mdi->addSubWindow(widget);
    sub->setWindowTitle(caption);
    sub->setProperty(kBaseTitleProperty, caption);
    if (maker) {
        m_makers.insert(sub, std::move(maker));
        connect(sub, &QObject::destroyed, this, [this, sub] { m_makers.remove(sub); });
    }
    if (maximized)
        sub->showMaximized();
    else
        sub->show();
    m_mdi->setActiveSubWindow(sub);
    return sub;
}

QMdiSubWindow *CMainFrame::openImage(const QImage &image, const QString &caption)
{
    return m_images->openPicture(image, caption);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent *event)
{
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            m_images->openFile(url.toLocalFile());
    }
    event->acceptProposedAction();
}

void CMainFrame::newWindow()
{
    QMdiSubWindow *active = m_mdi->activeSubWindow();
    if (!active)
        return;
    const WindowMaker make = m_makers.value(active);
    if (!make)
        return;
    QWidget *second = make();
    if (!second)
        return;
    // As in every multiple-document program: the windows onto one document are numbered.
    const QString base = active->property(kBaseTitleProperty).toString();
    int highest = 0;
    QList<QMdiSubWindow *> same;
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (sub->property(kBaseTitleProperty).toString() != base)
            continue;
        same.append(sub);
        highest = std::max(highest, sub->property(kWindowNumberProperty).toInt());
    }
    if (highest == 0) {
        for (QMdiSubWindow *sub : same) {
            sub->setProperty(kWindowNumberProperty, ++highest);
            sub->setWindowTitle(base + u':' + QString::number(highest));
        }
    }
    const bool wasMaximized = active->isMaximized();
    QMdiSubWindow *sub = addChild(second, base + u':' + QString::number(highest + 1), wasMaximized, make);
    sub->setProperty(kBaseTitleProperty, base);
    sub->setProperty(kWindowNumberProperty, highest + 1);
}

void CMainFrame::showAsWindows()
{
    if (m_mdi->viewMode() != QMdiArea::SubWindowView)
        m_mdi->setViewMode(QMdiArea::SubWindowView);
    // Windows put away as icons come back to be arranged with the others.
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (sub->isMinimized() || sub->isMaximized())
            sub->showNormal();
    }
}

QList<QMdiSubWindow *> CMainFrame::arrangedWindows() const
{
    QList<QMdiSubWindow *> shown;
    for (QMdiSubWindow *sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (sub->isVisible())
            shown.append(sub);
    }
    return shown;
}

void CMainFrame::cascadeWindows()
{
    showAsWindows();
    QList<QMdiSubWindow *> shown = arrangedWindows();
    // The active window ends on top, at the end of the cascade.
    if (QMdiSubWindow *active = m_mdi->activeSubWindow(); active && shown.removeOne(active))
        shown.append(active);
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    const QList<QRect> places = WindowPlacement::cascadeRects(m_mdi->viewport()->rect(), int(shown.size()), step,
                                                              m_mdi->isRightToLeft());
    for (qsizetype i = 0; i < shown.size() && i < places.size(); ++i) {
        shown.at(i)->setGeometry(places.at(i));
        shown.at(i)->raise();
    }
    if (!shown.isEmpty())
        m_mdi->setActiveSubWindow(shown.constLast());
}

void CMainFrame::tileWindows(Qt::Orientation orientation)
{
    showAsWindows();
    const QList<QMdiSubWindow *> windows = arrangedWindows();
    QList<QMdiSubWindow *> shown;
    for (QMdiSubWindow *sub : windows) {
        if (sub->isVisible())
            shown.append(sub);
    }
    // The active window takes the first place.
    if (QMdiSubWindow *active = m_mdi->activeSubWindow(); active && shown.removeOne(active))
        shown.prepend(active);
    const QList<QRect> places = WindowPlacement::tileRects(m_mdi->viewport()->rect(), int(shown.size()), orientation,
                                                           m_mdi->isRightToLeft());
    for (qsizetype i = 0; i < shown.size() && i < places.size(); ++i)
        shown.at(i)->setGeometry(places.at(i));
}

void CMainFrame::arrangeAsTabs()
{
    // From any arrangement, icons included, back to one tab per window.
    QMdiSubWindow *active = m_mdi->activeSubWindow();
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (sub->isMinimized())
            sub->showNormal();
    }
    m_mdi->setViewMode(QMdiArea::TabbedView);
    if (active)
        m_mdi->setActiveSubWindow(active);
    else if (!m_mdi->subWindowList().isEmpty())
        m_mdi->setActiveSubWindow(m_mdi->subWindowList().constFirst());
    if (QMdiSubWindow *now = m_mdi->activeSubWindow())
        now->showMaximized();
}

void CMainFrame::printSetup()
{
    QPageSetupDialog dialog(m_printer.get(), this);
    dialog.setWindowTitle(tr("اعداد الطابعة"));
    dialog.exec();
}

void CMainFrame::applyStoredPlacement()
{
    QList<QRect> areas;
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        areas.append(primary->availableGeometry());
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            areas.append(screen->availableGeometry());
    }
    // The window's own area, as stored at close: the frame the window manager adds goes around it.
    setGeometry(WindowPlacement::openingRect(Profile(m_profile).screen(), areas));
}

void CMainFrame::storePlacement()
{
    Profile profile(m_profile);
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    profile.setScreen(WindowPlacement::atClose(profile.screen(), geometry(), screenSize, isMaximized(),
                                               isMinimized()));
    profile.setTextTool(m_state.textTool);
    profile.setJpegQuality(m_state.jpegQuality);
    m_profile.sync();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    storePlacement();
    m_mdi->closeAllSubWindows();
    if (!m_mdi->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    m_scanning->release();
    event->accept();
}

void CMainFrame::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_histogramPlaced) {
        // Floats near the top right corner of the frame.
        m_histogramPlaced = true;
        m_histogram->move(frameGeometry().right() - kHistogramLeftOfRightEdge, frameGeometry().top() + kHistogramBelowTop);
    }
}

void CMainFrame::toggleFullScreen()
{
    if (!m_fullScreen) {
        showFullScreen();
        if (QMdiSubWindow *active = m_mdi->activeSubWindow())
            active->showMaximized();
        m_imageBar->hide();
        m_archiveBar->hide();
        statusBar()->hide();
    } else {
        showNormal();
        m_imageBar->show();
        m_archiveBar->show();
        statusBar()->show();
    }
    m_fullScreen = !m_fullScreen;
    m_actions[Command::FullScreen]->setChecked(m_fullScreen);
}

void CMainFrame::pastePicture()
{
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    QImage image;
    if (clip && clip->hasImage())
        image = qvariant_cast<QImage>(clip->imageData());
    openImage(image, clipboardImageCaption(m_state.takeImageNumber()));
}

void CMainFrame::captureWindow()
{
    CCaptureDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QImage picture = dialog.grab();
    if (picture.isNull() || picture.width() < 1 || picture.height() < 1)
        return;
    raise();
    activateWindow();
    openImage(picture, capturedImageCaption(m_state.takeImageNumber()));
}

void CMainFrame::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::startTextEditor()
{
    const QString com = m_state.programFolder + u"/COM"_s;
    const QFileInfo editor(com + u"/wordpad"_s);
    if (editor.isExecutable()) {
        QProcess::startDetached(editor.absoluteFilePath(), {}, com);
        return;
    }
    // Without an editor of the installation, the desktop's text editor opens the text hand-off file.
    const QString text = textHandOffPath(m_state.programFolder);
    if (!QFileInfo::exists(text)) {
        QFile f(text);
        f.open(QIODevice::WriteOnly);
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(text));
}

void CMainFrame::openReceivedFiles()
{
    if (m_openThumbnailBrowser)
        m_openThumbnailBrowser(BasketSource::receivedFiles(m_state.databaseFolder, m_state.receivedFilesUser()));
}

void CMainFrame::openWorkflow()
{
    // Modal to the program without a loop of its own: the dialog goes when it is closed.
    auto *dialog = new CWorkflowDlg(m_state, m_db, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
}
