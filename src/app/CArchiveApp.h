#pragma once

#include "AppState.h"
#include "db/Database.h"

#include <QObject>
#include <QSettings>

#include <memory>
#include <optional>

class CMainFrame;
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
    QSettings &profile() { return *m_profile; }

    // Opens a picture file as a new child window; reports a file that cannot be read.
    void openImageFile(const QString &path);

private:
    bool openDatabase();
    void wireCommands();

    AppState m_state;
    std::unique_ptr<QSettings> m_profile;
    std::optional<Database> m_db;
    std::unique_ptr<CMainFrame> m_frame;
};
