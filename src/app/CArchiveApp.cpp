#include "CArchiveApp.h"

#include "ArchiveSetup.h"
#include "CMainFrame.h"
#include "CSettingsDlg.h"
#include "MessageBox.h"
#include "Profile.h"
#include "db/Schema.h"
#include "users/CLoginDlg.h"

#include <QApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QFont>
#include <QImageReader>

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
    wireCommands();

    const Profile profile(*m_profile);
    m_state.textTool = profile.textTool();
    m_state.jpegQuality = profile.jpegQuality();
    if (profile.screen().maximized)
        m_frame->showMaximized();
    else
        m_frame->show();

    // Everything after the program's own name is one document to open.
    const QStringList rest = arguments.mid(1);
    if (!rest.isEmpty())
        openImageFile(rest.join(u' '));

    m_frame->dispatch(Command::ToggleBaskets);
    m_frame->activateWindow();
    m_frame->setFocus();
    return true;
}

void CArchiveApp::openImageFile(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        MessageBox::warning(m_frame.get(), tr("تعذر فتح الصورة %1: %2").arg(path, reader.errorString()));
        return;
    }
    m_frame->openImage(image, QFileInfo(path).fileName());
}

void CArchiveApp::wireCommands()
{
    CMainFrame *frame = m_frame.get();
    frame->setHandler(Command::Settings, [this, frame] {
        CSettingsDlg settings(m_state, frame);
        settings.exec();
    });
}
