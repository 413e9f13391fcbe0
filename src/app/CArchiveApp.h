#pragma once

#include "base/AppState.h"
#include "baskets/BasketSource.h"
#include "baskets/MemoStore.h"
#include "db/Database.h"

#include <QObject>
#include <QSettings>

#include <functional>
#include <memory>
#include <optional>

class CCardDlg;
struct FileItem;
class CClassPickDlg;
class CClassesDlg;
class CPreviewDlg;
class CSearchDlg;
struct BuiltQuery;
class CMainFrame;
class CopyWatch;
class MenuStyle;
class QApplication;

// The application object: finds the archive, runs the login, builds the main window and offers
// the services that open child windows.
class CArchiveApp : public QObject
{
    Q_OBJECT

public:
    // `profile` is where the window and editor settings are kept (the user's settings file when
    // none is given).
    explicit CArchiveApp(const QString &programFolder, std::unique_ptr<QSettings> profile = {});
    ~CArchiveApp() override;

    // Right to left, the Arabic fonts standing in for "Simplified Arabic" and "Arial", names.
    static void setUpApplication(QApplication &app);

    // The start-up up to a shown main window: first-run settings, the database, the login, the
    // frame and its stored placement. False when the program cannot go on (the reason was shown).
    bool start(const QStringList &arguments);

    AppState &state() { return m_state; }
    CMainFrame *mainFrame() const { return m_frame.get(); }
    CCardDlg *cardDialog() const { return m_card; }
    CClassesDlg *classesDialog() const { return m_classes; }
    CClassPickDlg *classPicker() const { return m_picker; }
    CPreviewDlg *previewWindow() const { return m_preview; }
    QSettings &profile() { return *m_profile; }

    // Opens a picture file as a new child window; reports a file that cannot be read.
    void openImageFile(const QString &path);
    // The open-window service of the web page view: a new view on the web address.
    void openWebPageView(const QString &address, bool maximized);
    // The open-window service of the report window: one more report on the query.
    void openReportWindow(const BuiltQuery &query);
    // The baskets' windows on a basket; New Window makes another on the same.
    void openBasketViewer(const BasketSource &source);
    void openThumbnailBrowser(const BasketSource &source);
    // The child windows, made for their first window and for New Window.
    QWidget *makeReport(const BuiltQuery &query);
    QWidget *makeBasketViewer(const BasketSource &source);
    QWidget *makeThumbnailBrowser(const BasketSource &source);
    QWidget *makeWebPageView(const QString &address);
    // The memo dialog on the item, modal.
    void openMemo(const MemoTarget &target);
    // The search-the-computer window, modal, over `over`; what it hands goes to the card dialog.
    void openFindFiles(QWidget *over);
    // The transfer dialog sending the file, modal.
    void transferFile(const QString &path);

signals:
    // A web page was saved into a file that belongs in the card's file list.
    void webPageSaved(const QString &folder, const QString &fileName);

private:
    bool openDatabase();
    void wireCommands();
    void createDialogs();
    void openWebPage();
    void saveWebPage();
    void archiveFiles(const QList<FileItem> &items);

    AppState m_state;
    std::unique_ptr<QSettings> m_profile;
    std::optional<Database> m_db;
    std::unique_ptr<CMainFrame> m_frame;
    MenuStyle *m_menuStyle = nullptr;
    CopyWatch *m_copyWatch = nullptr;
    // The long-lived modeless dialogs, owned by the main window and only shown and hidden.
    CCardDlg *m_card = nullptr;
    CClassesDlg *m_classes = nullptr;
    CClassPickDlg *m_picker = nullptr;
    CPreviewDlg *m_preview = nullptr;
    CSearchDlg *m_search = nullptr; // made on first use
};
