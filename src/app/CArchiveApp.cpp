#include "CArchiveApp.h"

#include "CopyWatch.h"

#include "ArchiveSetup.h"
#include "CBasketBar.h"
#include "CMainFrame.h"
#include "CSettingsDlg.h"
#include "ImageWindows.h"
#include "baskets/CFT.h"
#include "baskets/CFV.h"
#include "baskets/CMemoDlg.h"
#include "baskets/CPreviewDlg.h"
#include "baskets/CTransferDlg.h"
#include "cards/CCardDlg.h"
#include "classes/CClassesDlg.h"
#include "classes/CClassPickDlg.h"
#include "search/CFReport.h"
#include "search/CFindFilesDlg.h"
#include "search/CSearchDlg.h"
#include "search/CViewPrintPreview.h"
#include "ui/ArabicTextStyle.h"
#include "ui/CGridCtrl.h"
#include "ui/FileDialog.h"
#include "ui/MenuStyle.h"
#include "ui/MessageBox.h"
#include "ui/QtArabicTexts.h"
#include "ui/web/CWebPageView.h"
#include "Profile.h"
#include "db/Schema.h"
#include "users/CLoginDlg.h"

#include <QApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTranslator>

using namespace Qt::Literals::StringLiterals;

CArchiveApp::CArchiveApp(const QString &programFolder, std::unique_ptr<QSettings> profile)
    : m_state(AppState::load(programFolder)), m_profile(std::move(profile))
{
    if (!m_profile)
        m_profile = std::make_unique<QSettings>(u"Dovrelle"_s, u"Dovrelle"_s);
}

CArchiveApp::~CArchiveApp()
{
    m_frame.reset();
    Database::closeThreadConnections();
}

void CArchiveApp::setUpApplication(QApplication &app)
{
    QApplication::setApplicationName(u"Dovrelle"_s);
    QApplication::setOrganizationName(u"Dovrelle"_s);
    QApplication::setApplicationVersion(u"0.1"_s);
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerCoreResources();
    QFont::insertSubstitutions(u"Simplified Arabic"_s, {u"Noto Naskh Arabic"_s, u"Noto Sans Arabic"_s});
    QFont::insertSubstitutions(u"Arial"_s, {u"Noto Sans"_s, u"Noto Sans Arabic"_s, u"DejaVu Sans"_s});
    QFont font(u"Noto Sans"_s, 10);
    font.setFamilies({u"Noto Sans"_s, u"Noto Sans Arabic"_s, u"DejaVu Sans"_s});
    app.setFont(font);
    // Qt's own texts (standard buttons, file and print dialogs) in Arabic as well.
    auto *qtTexts = new QTranslator(&app);
    if (qtTexts->load(QLocale(QLocale::Arabic), u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
    else
        delete qtTexts;
    // Installed last, so asked first: the few texts Qt's translation lacks.
    QCoreApplication::installTranslator(new QtArabicTexts(&app));
    // Standard dialogs and menus with their Arabic words whole.
    if (!qobject_cast<ArabicTextStyle *>(QApplication::style()))
        QApplication::setStyle(new ArabicTextStyle);
}

bool CArchiveApp::openDatabase()
{
    Result<Database> db = Database::open(m_state.databaseFolder);
    if (!db) {
        MessageBox::critical(nullptr, db.error(), u"Dovrelle"_s);
        return false;
    }
    if (Status s = Schema::upgrade(*db); !s) {
        MessageBox::critical(nullptr, s.error(), u"Dovrelle"_s);
        return false;
    }
    m_db = *db;
    return true;
}

bool CArchiveApp::start(const QStringList &arguments)
{
    // The report and the browser show these for every file that is not a picture. Without them
    // the program still works, with blank boxes, so a folder that cannot take them is only told.
    if (Status icons = installTypeIcons(m_state.programFolder); !icons)
        MessageBox::warning(nullptr, icons.error(), u"Dovrelle"_s);
    // A copied program folder whose paths file still names the original's folders would archive
    // into the original: the user is told whose archive this run is about to use.
    if (const std::optional<ForeignArchive> foreign = foreignArchive(m_state))
        MessageBox::warning(nullptr, foreignArchiveMessage(*foreign), u"Dovrelle"_s);
    // A first run asks for the settings before anything else; the running program keeps its
    // default folders until the next start.
    if (m_state.firstRun) {
        CSettingsDlg settings(m_state);
        settings.exec();
    }
    if (!openDatabase())
        return false;

    CLoginDlg login(m_state, *m_db);
    if (login.exec() != QDialog::Accepted)
        return false;

    m_frame = std::make_unique<CMainFrame>(m_state, *m_db, *m_profile);
    createDialogs();
    wireCommands();

    const Profile profile(*m_profile);
    m_state.textTool = profile.textTool();
    m_state.jpegQuality = profile.jpegQuality();
    // Files that are not pictures go to this command; "lp" prints them on the default CUPS queue.
    m_state.printCommand = m_profile->value(u"Print/Command"_s, m_state.printCommand).toString();
    if (profile.screen().maximized)
        m_frame->showMaximized();
    else
        m_frame->show();

    // Everything after the program's own name is one document to open.
    const QStringList rest = arguments.mid(1);
    if (!rest.isEmpty())
        openImageFile(rest.join(u' '));

    m_frame->dispatch(Command::ToggleBaskets);
    m_frame->basketBar()->start();
    m_copyWatch = new CopyWatch(m_state.programFolder, *m_db, m_frame.get(), this);
    m_copyWatch->start();
    m_frame->activateWindow();
    m_frame->setFocus();
    // The help page is handed to the view even when it is not there; the view shows why.
    if (m_state.showHelp)
        openWebPageView(m_state.programFolder + u"/Read me.mht"_s, true);
    return true;
}

void CArchiveApp::openImageFile(const QString &path)
{
    m_frame->images()->openFile(path);
}

void CArchiveApp::createDialogs()
{
    CMainFrame *frame = m_frame.get();
    m_classes = new CClassesDlg(m_state, *m_db, frame);
    m_card = new CCardDlg(m_state, *m_db, frame);
    m_picker = new CClassPickDlg(*m_db, frame);
    m_preview = new CPreviewDlg(frame);
    for (QDialog *dialog : std::initializer_list<QDialog *>{m_classes, m_card, m_picker, m_preview})
        dialog->hide();
    connect(m_card, &CCardDlg::pickerRequested, m_picker, &CClassPickDlg::showPicker);
    connect(m_picker, &CClassPickDlg::classificationChosen, m_card, &CCardDlg::addClassification);
    connect(m_card, &CCardDlg::cardEntryChanged, frame, &CMainFrame::updateCommandStates);
    connect(m_card, &CCardDlg::memoRequested, this, &CArchiveApp::openMemo);
    connect(m_card, &CCardDlg::computerSearchRequested, this, [this] { openFindFiles(m_card); });
    CBasketBar *bar = frame->basketBar();
    connect(m_classes, &CClassesDlg::treeChanged, bar, &CBasketBar::refreshClassGrid);
    connect(bar, &CBasketBar::reportRequested, this, &CArchiveApp::openReportWindow);
    connect(bar, &CBasketBar::basketViewerRequested, this, &CArchiveApp::openBasketViewer);
    connect(bar, &CBasketBar::thumbnailBrowserRequested, this, &CArchiveApp::openThumbnailBrowser);
    connect(bar, &CBasketBar::memoRequested, this, &CArchiveApp::openMemo);
    // A picture handed over by an image window joins the card's files with its saved size.
    connect(frame->images(), &ImageWindows::pictureSaved, m_card,
            [this](const QString &folder, const QString &fileName, qint64 size) {
                FileItem item;
                item.folder = folder;
                item.name = fileName;
                item.size = size;
                item.folderLike = true;
                m_card->appendItem(item);
            });
    // A page saved from the web view joins the card's files.
    connect(this, &CArchiveApp::webPageSaved, m_card, [this](const QString &folder, const QString &fileName) {
        FileItem item = FileItem::fromPath(folder + fileName);
        item.folderLike = true;
        m_card->appendItem(item);
    });
}

void CArchiveApp::openFindFiles(QWidget *over)
{
    // Modal over the whole program, without a nested event loop: the walk runs on its own thread.
    auto *find = new CFindFilesDlg(m_card, over);
    find->setAttribute(Qt::WA_DeleteOnClose);
    find->setWindowModality(Qt::ApplicationModal);
    find->show();
}

void CArchiveApp::openReportWindow(const BuiltQuery &query)
{
    // A second window onto the report runs the same search again.
    m_frame->addChild(makeReport(query), query.title, false, [this, query] { return makeReport(query); });
}

QWidget *CArchiveApp::makeReport(const BuiltQuery &query)
{
    auto *report = new CFReport(m_state, *m_db, query, query.title);
    report->setProgramPrinter(m_frame->printer());
    connect(report, &CFReport::showCardRequested, m_card, [this](int card) {
        m_card->show();
        m_card->raise();
        m_card->showCard(card);
    });
    connect(report, &CFReport::viewRequested, this, &CArchiveApp::openImageFile);
    connect(report, &CFReport::previewRequested, m_preview,
            [this](const QString &path, const QString &caption, const QString &description) {
                m_preview->present(path, caption, description, CPreviewDlg::DescriptionGiven);
            });
    return report;
}

void CArchiveApp::archiveFiles(const QList<FileItem> &items)
{
    if (!m_card->readyForHandedItems())
        return;
    for (const FileItem &item : items)
        m_card->appendItem(item);
    m_card->show();
    m_card->raise();
}

void CArchiveApp::openBasketViewer(const BasketSource &source)
{
    m_frame->addChild(makeBasketViewer(source), source.title, false, [this, source] { return makeBasketViewer(source); });
}

QWidget *CArchiveApp::makeBasketViewer(const BasketSource &source)
{
    auto *viewer = new CFV(m_state, source);
    connect(viewer, &CFV::archiveFilesRequested, this, &CArchiveApp::archiveFiles);
    connect(viewer, &CFV::archiveTextsRequested, this, [this](const QList<TextItem> &texts) {
        if (!m_card->readyForHandedItems())
            return;
        for (const TextItem &text : texts)
            m_card->appendText(text.keywords, text.text);
        m_card->show();
        m_card->raise();
    });
    connect(viewer, &CFV::viewRequested, this, &CArchiveApp::openImageFile);
    connect(viewer, &CFV::previewRequested, m_preview,
            [this](const QString &path, const QString &caption) {
                m_preview->present(path, caption, {}, CPreviewDlg::DescriptionFromFile);
            });
    connect(viewer, &CFV::transferRequested, this, &CArchiveApp::transferFile);
    connect(viewer, &CFV::printRequested, this, [this, title = source.title](const QStringList &paths) {
        CViewPrintPreview::open(m_state, PrintSource::BasketViewer, title, paths, m_frame.get());
    });
    return viewer;
}

void CArchiveApp::openThumbnailBrowser(const BasketSource &source)
{
    m_frame->addChild(makeThumbnailBrowser(source), source.title, false,
                      [this, source] { return makeThumbnailBrowser(source); });
}

QWidget *CArchiveApp::makeThumbnailBrowser(const BasketSource &source)
{
    auto *browser = new CFT(m_state, source);
    connect(browser, &CFT::archiveFilesRequested, this, &CArchiveApp::archiveFiles);
    connect(browser, &CFT::viewRequested, this, &CArchiveApp::openImageFile);
    connect(browser, &CFT::transferRequested, this, &CArchiveApp::transferFile);
    return browser;
}

void CArchiveApp::openMemo(const MemoTarget &target)
{
    CMemoDlg memo(*m_db, target, m_frame.get());
    memo.exec();
}

void CArchiveApp::transferFile(const QString &path)
{
    CTransferDlg transfer(m_state, *m_db, path, m_frame.get());
    transfer.exec();
}

void CArchiveApp::openWebPageView(const QString &address, bool maximized)
{
    QWidget *view = makeWebPageView(address);
    m_frame->addChild(view, view->windowTitle(), maximized, [this, address] { return makeWebPageView(address); });
}

QWidget *CArchiveApp::makeWebPageView(const QString &address)
{
    auto *view = new CWebPageView(address);
    connect(view, &CWebPageView::pageSaved, this, &CArchiveApp::webPageSaved);
    connect(view, &CWebPageView::saveFailed, m_frame.get(),
            [frame = m_frame.get()](const QString &message) { MessageBox::warning(frame, message); });
    return view;
}

void CArchiveApp::openWebPage()
{
    const QString path = FileDialog::openFile(m_frame.get(), QString(),
                                              u"Webpage (*.htm);;Webpage (*.mhtml);;All Files (*)"_s);
    if (path.isEmpty())
        return;
    openWebPageView(webAddressForPath(path), false);
}

void CArchiveApp::saveWebPage()
{
    QMdiSubWindow *active = m_frame->mdiArea()->activeSubWindow();
    auto *view = active ? qobject_cast<CWebPageView *>(active->widget()) : nullptr;
    if (!view)
        return;
    const QString path = FileDialog::saveFile(m_frame.get(), QString(), u"Webpage (*.mhtml);;All Files (*)"_s);
    if (!path.isEmpty())
        view->savePage(path);
}

void CArchiveApp::wireCommands()
{
    CMainFrame *frame = m_frame.get();
    frame->setThumbnailBrowserOpener([this](const BasketSource &source) { openThumbnailBrowser(source); });
    frame->setWebViewPredicate(
        [](QMdiSubWindow *sub) { return qobject_cast<CWebPageView *>(sub->widget()) != nullptr; });
    frame->setHandler(Command::OpenWebPage, [this] { openWebPage(); });
    auto showDialog = [](QDialog *dialog) {
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    };
    frame->setHandler(Command::Classes, [this, showDialog] { showDialog(m_classes); });
    frame->setHandler(Command::CardDialog, [this, showDialog] { showDialog(m_card); });
    frame->setHandler(Command::Search, [this, frame, showDialog] {
        if (!m_search) {
            m_search = new CSearchDlg(m_state, *m_db, frame);
            connect(m_search, &CSearchDlg::searchRequested, this, &CArchiveApp::openReportWindow);
        }
        showDialog(m_search);
    });
    for (int command : {Command::ViewFile, Command::DeleteFile, Command::EnterText, Command::ViewText,
                        Command::DeleteText, Command::EditText})
        frame->setHandler(command, [this, command] { m_card->runCommand(command); });
    frame->setHandler(Command::SaveWebPage, [this] { saveWebPage(); });
    frame->setHandler(Command::FindFiles, [this, frame] { openFindFiles(frame); });
    // The print commands of the frame go to the report window in front.
    auto activeReport = [frame]() -> CFReport * {
        QMdiSubWindow *sub = frame->mdiArea()->activeSubWindow();
        return sub ? qobject_cast<CFReport *>(sub->widget()) : nullptr;
    };
    for (auto [command, reportCommand] : {std::pair{int(Command::Print), int(CFReport::CmdPrintAll)},
                                          std::pair{int(Command::PrintSelected), int(CFReport::CmdPrintSelected)}}) {
        frame->setHandler(command, [frame, activeReport, reportCommand] {
            if (CFReport *report = activeReport())
                report->runCommand(reportCommand);
            else if (reportCommand == CFReport::CmdPrintAll)
                frame->images()->print();
        });
    }
    m_menuStyle = new MenuStyle(this);
    frame->setHandler(Command::MenuStyleDefault, [this] { m_menuStyle->setLook(MenuStyle::Look::Default); });
    frame->setHandler(Command::MenuStyleFlat, [this] { m_menuStyle->setLook(MenuStyle::Look::Flat); });
    // A grid with the focus takes the paste into its cells; otherwise it is a new picture.
    frame->setHandler(Command::Paste, [frame] {
        if (auto *grid = qobject_cast<CGridCtrl *>(QApplication::focusWidget()))
            grid->paste();
        else
            frame->pastePicture();
    });
    frame->setHandler(Command::Settings, [this, frame] {
        CSettingsDlg settings(m_state, frame);
        settings.exec();
    });
}
