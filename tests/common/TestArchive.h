#pragma once

#include "QtPrinters.h"
#include "db/Database.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <optional>

// Each test program works in a temporary folder of its own, TMPDIR/dovrelle-test-PID-XXXXXX:
// TMPDIR and XDG_RUNTIME_DIR point into it (so every QTemporaryDir, hand-off folder and program
// the test starts lands there) and it goes at exit, std::exit included. A test program that a test
// starts makes its own beside it (DOVRELLE_TEST_TEMP_BASE names the folder they share). A program that dies on a
// signal cannot remove its folder; the next test program to start removes the folders whose
// program is gone. Called by the shared main before anything else.
void enterTestTempFolder();
// The folder, or empty when it could not be made (the tests then use the shared temporary folder).
QString testTempFolder();

// Copies a folder with everything in it, as an office copies an archive for a trial.
bool copyTree(const QString &from, const QString &to);

// MASTER's password in every test archive.
inline const QString kTestMasterPassword = QStringLiteral("master-pw");

// A classification a test adds at the top of the tree: its code and its name.
struct ClassSeed
{
    QString code;
    QString name;
};

// Adds the classifications in order; their serials, or the first failure.
Result<QList<qint32>> addClassSeeds(const Database &db, std::span<const ClassSeed> seeds);

// The statements that take away what the last step of the archive's schema added (SQLite's index
// of the keywords), for a test that sets the archive back to an older version and upgrades it.
QStringList undoKeywordIndex(Engine engine);

// A fresh archive in a temporary program folder, on SQLite or on the test PostgreSQL server
// (DOVRELLE_TEST_PG_URI names its administrative connection; each archive gets a database of its
// own, dropped again at the end).
class TestArchive
{
public:
    explicit TestArchive(Engine engine);
    ~TestArchive();

    // Empty when the archive is ready; otherwise why it is not (and whether to skip).
    const QString &problem() const { return m_problem; }
    bool skipped() const { return m_skipped; }

    const QString &home() const { return m_home; }
    QString databaseFolder() const { return m_home + QStringLiteral("/DataBase"); }
    QString fileServerFolder() const { return m_home + QStringLiteral("/FileServer"); }
    const Database &db() const { return *m_db; }
    QString serverUri() const { return m_serverUri; }

    // The administrative URI of the test server, or empty with the reason in `why`.
    static QString adminUri(QString *why);

private:
    QTemporaryDir m_dir;
    QString m_home;
    QString m_serverUri;
    QString m_pgDatabase;
    std::optional<Database> m_db;
    QString m_problem;
    bool m_skipped = false;
};

// Runs each test of a suite once on SQLite and once on PostgreSQL.
class EngineTest : public ::testing::TestWithParam<Engine>
{
protected:
    void SetUp() override;
    void TearDown() override;

    TestArchive &archive() { return *m_archive; }
    const Database &db() const { return m_archive->db(); }

private:
    std::unique_ptr<TestArchive> m_archive;
};

std::string engineName(const ::testing::TestParamInfo<Engine> &info);

#define DOVRELLE_ON_BOTH_ENGINES(Suite)                                                            \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values(Engine::SQLite, Engine::PostgreSQL), \
                             engineName)
