#include "ArchivingProcesses.h"
#include "app/SystemSettings.h"
#include "base/AppState.h"
#include "base/PathsFile.h"
#include "base/SettingsFiles.h"
#include "common/FullFolder.h"

#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

// The file-server folder and the database folder, each full and each renamed away while a
// command runs: archiving, saving an edit, the copier and the settings save. A command that fails
// says so in Arabic and leaves the archive as it was (or, past its commit, whole with its files
// waiting for the copier); once the room or the folder is back, the same command succeeds and
// verify finds nothing wrong.

namespace {

bool hasArabic(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x0600 && c.unicode() <= 0x06FF; });
}

// The settings files and the paths file, by name.
std::map<QString, QByteArray> settingsSnapshot(const QString &home, const QString &db)
{
    std::map<QString, QByteArray> files;
    for (const QString &path : {SettingsFiles::feedsPath(db), SettingsFiles::companyPath(db), SettingsFiles::unusedConsPath(db),
                                SettingsFiles::seriesBudgetPath(db), SettingsFiles::seriesNumberPath(db), PathsFile::path(home)}) {
        QFile f(path);
        files[QFileInfo(path).fileName()] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }
    return files;
}

struct Outcome
{
    bool ok = false;
    QString message;
};

enum class Where { FileServer, Database };

const char *whereName(Where w)
{
    return w == Where::FileServer ? "file server" : "database folder";
}

// Runs of each renamed-away case: 2 inside the ordinary tests, a tenth of the kill loops' in make soak.
int lostRuns()
{
    return std::max(2, killRuns() / 10);
}

class FullDisks : public ArchivingProcesses
{
protected:
    QString folder(Where w) { return w == Where::FileServer ? archive().fileServerFolder() : archive().databaseFolder(); }

    // The program, run to its end; `before` is called once it has started.
    Outcome runProgram(const QString &program, const QStringList &args, const FullFolder *full = nullptr,
                       const std::function<void()> &whileRunning = {})
    {
        QProcess run;
        run.setProcessEnvironment(consoleEnvironment());
        if (full)
            full->limit(run);
        run.start(bin(program), args);
        EXPECT_TRUE(run.waitForStarted());
        if (whileRunning)
            whileRunning();
        EXPECT_TRUE(run.waitForFinished(180000));
        return {run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, QString::fromUtf8(run.readAllStandardError())};
    }

    Outcome archiveCard(const QString &stem, const FullFolder *full = nullptr, const std::function<void()> &whileRunning = {})
    {
        return runProgram(QStringLiteral("dovrelle-admin"), archiveArgs(sourceFiles(stem, 3)) << QStringLiteral("--wait"), full,
                          whileRunning);
    }

    // Takes out card 1's first item and brings in a new file.
    Outcome editCard(const QString &stem, const FullFolder *full = nullptr, const std::function<void()> &whileRunning = {})
    {
        return runProgram(QStringLiteral("dovrelle-admin"),
                          {QStringLiteral("edit"), QStringLiteral("1"), QStringLiteral("--home"), archive().home(),
                           QStringLiteral("--user"), QStringLiteral("MASTER"), QStringLiteral("--remove-item"),
                           QString::number(fileItems(1).constFirst()), QStringLiteral("--file"), sourceFile(stem + QStringLiteral(".txt"), 1500),
                           QStringLiteral("--wait")},
                          full, whileRunning);
    }

    Outcome runCopier(const FullFolder *full = nullptr, const std::function<void()> &whileRunning = {})
    {
        return runProgram(QStringLiteral("dovrelle-fm"), {QStringLiteral("--home"), archive().home(), QStringLiteral("--wait")},
                          full, whileRunning);
    }

    // A card archived with no copier: its three files wait for the next one.
    void archiveWaiting(const QString &stem)
    {
        const Outcome o = runProgram(QStringLiteral("dovrelle-admin"), archiveArgs(sourceFiles(stem, 3)) << QStringLiteral("--no-copier"));
        ASSERT_TRUE(o.ok) << o.message.toStdString();
    }

    // The settings form's save, in a child process (so that the stand-in's limit holds for it
    // alone); `whileRunning` is called in the test once the child has started.
    Outcome saveSettings(const QString &company, const FullFolder *full = nullptr, const std::function<void()> &whileRunning = {})
    {
        SystemSettings next = SystemSettings::load(archive().home(), archive().databaseFolder());
        next.companyName = company;
        int pipeEnds[2];
        EXPECT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeEnds[0]);
            if (full)
                full->limitThisProcess();
            const Status s = next.save(archive().home(), archive().databaseFolder());
            const QByteArray message = s.ok() ? QByteArray() : s.error().toUtf8();
            [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], message.constData(), size_t(message.size()));
            ::_exit(s.ok() ? 0 : 1);
        }
        ::close(pipeEnds[1]);
        if (whileRunning)
            whileRunning();
        QByteArray message;
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            message.append(buffer, n);
        ::close(pipeEnds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        // The next start finishes or undoes what a save cut short left.
        AppState::load(archive().home());
        return {WIFEXITED(status) && WEXITSTATUS(status) == 0, QString::fromUtf8(message)};
    }

    void expectArabicFailure(const Outcome &o, const char *what)
    {
        if (!o.ok) {
            EXPECT_TRUE(hasArabic(o.message)) << what << ": the failure is not told in Arabic: " << o.message.toStdString();
        }
    }

    // The cards other than card 1 are whole: three rows each.
    void expectWholeCards(const char *what)
    {
        for (const auto &[card, rows] : cards()) {
            if (card != 1) {
                EXPECT_EQ(rows.size(), 3) << what << ": card " << card << " is half written";
            }
        }
    }

    void SetUp() override
    {
        ArchivingProcesses::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        grantMaster();
        const Outcome first = archiveCard(QStringLiteral("first"));
        ASSERT_TRUE(first.ok) << first.message.toStdString();
    }
};

TEST_P(FullDisks, AFullFolderFailsInArabicLeavesTheArchiveAndWorksOnceThereIsRoom)
{
    for (const Where where : {Where::FileServer, Where::Database}) {
        SCOPED_TRACE(std::string(whereName(where)));
        int step = 0;
        auto stem = [&](const char *what) { return QStringLiteral("%1-%2-%3").arg(int(where)).arg(QLatin1StringView(what)).arg(++step); };
        FullFolder full(folder(where));
        ASSERT_TRUE(full.problem().isEmpty()) << full.problem().toStdString();
        const bool sqlite = GetParam() == Engine::SQLite;
        std::printf("full %s (%s): %s\n", whereName(where), sqlite ? "SQLite" : "PostgreSQL", full.how().toUtf8().constData());

        // Archiving: refused before a row is written when the file server has no room for the
        // files or the database cannot grow.
        // Filled again before each command: a file the last one removed gave back its room.
        const auto cardsBefore = cards();
        full.fill();
        const Outcome archived = archiveCard(stem("archive"), &full);
        expectArabicFailure(archived, "archiving");
        if (full.mounted() && (where == Where::FileServer || sqlite)) {
            EXPECT_FALSE(archived.ok) << "archiving onto a full disk succeeded";
            EXPECT_EQ(cards().size(), cardsBefore.size()) << "a refused archiving left a card";
        }
        expectWholeCards("archiving");

        // Saving an edit: the old card or the new, never a mix.
        const QList<qint32> itemsBefore = fileItems(1);
        full.fill();
        const Outcome edited = editCard(stem("edit"), &full);
        expectArabicFailure(edited, "the edit");
        const QList<qint32> itemsAfter = fileItems(1);
        if (itemsAfter != itemsBefore) {
            ASSERT_EQ(itemsAfter.size(), itemsBefore.size());
            EXPECT_EQ(itemsAfter.mid(0, itemsAfter.size() - 1), itemsBefore.mid(1)) << "neither the old card nor the new";
        }
        if (full.mounted() && where == Where::FileServer) {
            EXPECT_FALSE(edited.ok) << "an edit that brings a file onto a full disk succeeded";
        }

        // The copier: what it cannot place waits for its next run.
        full.makeRoom();
        archiveWaiting(stem("waiting"));
        full.fill();
        const Outcome copied = runCopier(&full);
        expectArabicFailure(copied, "the copier");
        if (full.mounted() && where == Where::FileServer) {
            EXPECT_FALSE(copied.ok) << "the copier placed files on a full disk";
        }

        // The settings save: the old files or the new, never a mix.
        const auto settingsBefore = settingsSnapshot(archive().home(), archive().databaseFolder());
        full.fill();
        const Outcome saved = saveSettings(QStringLiteral("مكتب ممتلئ %1").arg(step), &full);
        expectArabicFailure(saved, "the settings save");
        if (full.mounted() && where == Where::Database) {
            EXPECT_FALSE(saved.ok) << "the settings were saved onto a full disk";
        }
        if (!saved.ok) {
            EXPECT_EQ(settingsSnapshot(archive().home(), archive().databaseFolder()), settingsBefore) << "a refused save changed a file";
        }

        // Room again: each command succeeds, and the copier places everything that waited.
        full.makeRoom();
        const Outcome archivedAgain = archiveCard(stem("again"));
        EXPECT_TRUE(archivedAgain.ok) << archivedAgain.message.toStdString();
        const Outcome editedAgain = editCard(stem("edit-again"));
        EXPECT_TRUE(editedAgain.ok) << editedAgain.message.toStdString();
        const Outcome savedAgain = saveSettings(QStringLiteral("مكتب %1").arg(step));
        EXPECT_TRUE(savedAgain.ok) << savedAgain.message.toStdString();
        drainCopier();
        expectVerified(true);
        expectVerified(false);
        expectWholeCards("after room");
    }
}

TEST_P(FullDisks, AFolderRenamedAwayMidwayFailsInArabicAndTheArchiveRecovers)
{
    const int runs = lostRuns();
    QRandomGenerator rng(23);
    for (const Where where : {Where::FileServer, Where::Database}) {
        SCOPED_TRACE(std::string(whereName(where)));
        const QString path = folder(where);
        const QString away = path + QStringLiteral(".away");
        int failures = 0, total = 0;
        // Renames the folder away after a delay drawn within the time a whole run takes.
        auto renameAwayWithin = [&](qint64 spanUs) {
            return [&, spanUs] {
                QThread::usleep(unsigned(rng.bounded(int(std::max<qint64>(spanUs, 1000)))));
                ASSERT_TRUE(QDir().rename(path, away));
            };
        };
        auto back = [&] { ASSERT_TRUE(QDir().rename(away, path)); };
        auto timed = [](const std::function<Outcome()> &run) {
            QElapsedTimer clock;
            clock.start();
            const Outcome o = run();
            EXPECT_TRUE(o.ok) << o.message.toStdString();
            return clock.nsecsElapsed() / 1000;
        };
        auto count = [&](const Outcome &o, const char *what) {
            ++total;
            failures += o.ok ? 0 : 1;
            expectArabicFailure(o, what);
        };

        const qint64 archiveUs = timed([&] { return archiveCard(QStringLiteral("timing-a%1").arg(int(where))); });
        for (int i = 0; i < runs; ++i) {
            const auto before = cards();
            const Outcome o = archiveCard(QStringLiteral("lost-a%1-%2").arg(int(where)).arg(i), nullptr, renameAwayWithin(archiveUs));
            back();
            count(o, "archiving");
            const auto after = cards();
            EXPECT_TRUE(after.size() == before.size() || after.size() == before.size() + 1) << "run " << i;
            expectWholeCards("archiving");
        }

        const qint64 editUs = timed([&] { return editCard(QStringLiteral("timing-e%1").arg(int(where))); });
        for (int i = 0; i < runs; ++i) {
            const QList<qint32> before = fileItems(1);
            const Outcome o = editCard(QStringLiteral("lost-e%1-%2").arg(int(where)).arg(i), nullptr, renameAwayWithin(editUs));
            back();
            count(o, "the edit");
            const QList<qint32> after = fileItems(1);
            if (after != before) {
                ASSERT_EQ(after.size(), before.size()) << "run " << i;
                EXPECT_EQ(after.mid(0, after.size() - 1), before.mid(1)) << "run " << i << ": neither the old card nor the new";
            }
        }

        archiveWaiting(QStringLiteral("timing-c%1").arg(int(where)));
        const qint64 copierUs = timed([&] { return runCopier(); });
        for (int i = 0; i < runs; ++i) {
            archiveWaiting(QStringLiteral("lost-c%1-%2").arg(int(where)).arg(i));
            const Outcome o = runCopier(nullptr, renameAwayWithin(copierUs));
            back();
            count(o, "the copier");
        }

        const qint64 saveUs = timed([&] { return saveSettings(QStringLiteral("مكتب التوقيت")); });
        for (int i = 0; i < runs; ++i) {
            const auto before = settingsSnapshot(archive().home(), archive().databaseFolder());
            const Outcome o = saveSettings(QStringLiteral("مكتب %1").arg(i), nullptr, renameAwayWithin(saveUs));
            back();
            count(o, "the settings save");
            const auto after = settingsSnapshot(archive().home(), archive().databaseFolder());
            if (!o.ok && after != before) {
                // Past its commit the save is finished by the next start: the new files, whole.
                EXPECT_EQ(SystemSettings::load(archive().home(), archive().databaseFolder()).companyName,
                          QStringLiteral("مكتب %1").arg(i))
                    << "run " << i << ": a mix of two saves";
            }
        }

        // The folder back: everything that waited is placed, and the same commands succeed.
        drainCopier();
        expectVerified(true);
        expectVerified(false);
        const Outcome archivedAgain = archiveCard(QStringLiteral("back-a%1").arg(int(where)));
        EXPECT_TRUE(archivedAgain.ok) << archivedAgain.message.toStdString();
        const Outcome editedAgain = editCard(QStringLiteral("back-e%1").arg(int(where)));
        EXPECT_TRUE(editedAgain.ok) << editedAgain.message.toStdString();
        expectVerified(false);
        expectWholeCards("after the folder came back");
        std::printf("%s renamed away (%s): %d runs, %d failed in Arabic, the rest ended before the rename\n", whereName(where),
                    GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL", total, failures);
    }
}

DOVRELLE_ON_BOTH_ENGINES(FullDisks);

} // namespace
