#pragma once

// The programs of an archive run as a workstation runs them (dovrelle-admin, dovrelle-fm), for the
// tests that kill, race or starve them.

#include "cards/Archiver.h"
#include "common/TestArchive.h"
#include "db/AllocationLock.h"
#include "db/CDFSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <map>

inline QString bin(const QString &program)
{
    return qEnvironmentVariable("DOVRELLE_BIN", QCoreApplication::applicationDirPath() + QStringLiteral("/../bin")) + u'/'
           + program;
}

inline QProcessEnvironment consoleEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// Runs of each kill loop: 20 inside the ordinary tests, more in make soak (DOVRELLE_KILL_RUNS).
inline int killRuns()
{
    bool ok = false;
    const int runs = qEnvironmentVariableIntValue("DOVRELLE_KILL_RUNS", &ok);
    return ok && runs > 0 ? runs : 20;
}

// The time a whole run of the program takes, at least 20 ms; fails the test when it fails.
inline int wholeRunMs(const QString &program, const QStringList &args)
{
    QElapsedTimer clock;
    clock.start();
    QProcess run;
    run.setProcessEnvironment(consoleEnvironment());
    run.start(bin(program), args);
    EXPECT_TRUE(run.waitForFinished(120000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    return int(std::max<qint64>(clock.elapsed(), 20));
}

// Starts the program and kills it with SIGKILL after a delay drawn below spanMs; true when it had
// ended on its own, with status 0, before the kill.
inline bool runKilled(const QString &program, const QStringList &args, int spanMs, QRandomGenerator &rng,
               const QProcessEnvironment &env = consoleEnvironment())
{
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(bin(program), args);
    EXPECT_TRUE(run.waitForStarted());
    if (!run.waitForFinished(int(rng.bounded(spanMs)))) {
        ::kill(pid_t(run.processId()), SIGKILL);
        run.waitForFinished(10000);
    }
    return run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

class ArchivingProcesses : public EngineTest
{
protected:
    QString sourceFile(const QString &name, int size)
    {
        const QString path = m_sources.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, char('a' + size % 26)));
        return path;
    }

    QStringList archiveArgs(const QStringList &files)
    {
        QStringList args{QStringLiteral("archive"), QStringLiteral("--home"), archive().home(), QStringLiteral("--user"),
                         QStringLiteral("MASTER"), QStringLiteral("--class"), QStringLiteral("1"), QStringLiteral("--name"),
                         QStringLiteral("بطاقة اختبار")};
        for (const QString &f : files)
            args << QStringLiteral("--file") << f;
        return args;
    }

    // Runs the copier until every order handed to it is placed.
    void drainCopier()
    {
        QProcess fm;
        fm.setProcessEnvironment(consoleEnvironment());
        fm.start(bin(QStringLiteral("dovrelle-fm")), {QStringLiteral("--home"), archive().home(), QStringLiteral("--wait")});
        ASSERT_TRUE(fm.waitForFinished(300000));
    }

    // Runs verify (with --repair first when asked) and fails the test with what it printed when
    // it finds the store out of order.
    void expectVerified(bool repair)
    {
        QStringList args{QStringLiteral("verify"), QStringLiteral("--home"), archive().home()};
        if (repair)
            args.insert(1, QStringLiteral("--repair"));
        QProcess verify;
        verify.setProcessEnvironment(consoleEnvironment());
        verify.start(bin(QStringLiteral("dovrelle-admin")), args);
        ASSERT_TRUE(verify.waitForFinished(300000));
        EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardOutput().toStdString()
                                        << verify.readAllStandardError().toStdString();
    }

    // Edits and deletes need the rights and the card's classification.
    void grantMaster()
    {
        QProcess set;
        set.setProcessEnvironment(consoleEnvironment());
        set.start(bin(QStringLiteral("dovrelle-admin")),
                  {QStringLiteral("user"), QStringLiteral("set"), QStringLiteral("MASTER"), QStringLiteral("--all-rights"),
                   QStringLiteral("--classes"), QStringLiteral("1"), QStringLiteral("--home"), archive().home()});
        ASSERT_TRUE(set.waitForFinished(60000));
        ASSERT_EQ(set.exitCode(), 0) << set.readAllStandardError().toStdString();
    }

    // The lock is usable at once after a kill: a dead holder's lock is taken over.
    void expectLockFree(int run)
    {
        AllocationLock lock(archive().databaseFolder());
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(lock.acquire([&] { return clock.elapsed() > 1000; }).ok()) << "run " << run;
        ASSERT_TRUE(lock.release().ok());
    }

    QList<qint32> fileItems(qint32 card)
    {
        QList<qint32> items;
        const Result<QList<DocumentRow>> rows = CDFSet(db()).nonTextRows(card);
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        for (const DocumentRow &r : *rows)
            items.append(r.itemNumber);
        return items;
    }

    // Files of distinct sizes and contents, for a card of many items.
    QStringList sourceFiles(const QString &stem, int count)
    {
        QStringList files;
        for (int i = 0; i < count; ++i)
            files << sourceFile(QStringLiteral("%1-%2.txt").arg(stem).arg(i), 1000 + 37 * i);
        return files;
    }

    std::map<qint32, QList<DocumentRow>> cards()
    {
        std::map<qint32, QList<DocumentRow>> out;
        const Result<QList<DocumentRow>> rows = CDFSet(db()).search(SqlCondition::raw(QStringLiteral("n1 > 0")));
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        for (const DocumentRow &r : *rows)
            out[r.cardNumber].append(r);
        return out;
    }

    QTemporaryDir m_sources;
};

