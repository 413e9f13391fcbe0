#pragma once

#include "QtPrinters.h"
#include "db/Database.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

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
