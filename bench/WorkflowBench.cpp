// Times opening the print-shop dialog on an archive of 10,000 jobs: the jobs read, the user's
// permissions read and the grid filled with every job's 40 cells, its mark and its height. The
// baseline is the same query's plain row read in the same run; the ratio is what the dialog costs
// over it. The dialog must be open in under 500 ms.
#include "app/ArchiveSetup.h"
#include "db/CFLOWSET.h"
#include "db/ScopedTransaction.h"
#include "ui/CGridCtrl.h"
#include "workflow/CWorkflowDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kJobs = 10000;
constexpr int kRepeats = 5;
constexpr double kLimitMs = 500.0;

double bestOf(const std::function<void()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < kRepeats; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return *std::min_element(times.begin(), times.end());
}

Status fillJobs(const Database &db)
{
    ScopedTransaction tx(db, DbFile::Archive);
    if (!tx.begun())
        return tx.begun();
    const CFLOWSET set(db);
    const QStringList parties{u"مونتاج"_s, u"حاسب"_s, u"رصاصي"_s, u"ريزو"_s};
    for (int i = 1; i <= kJobs; ++i) {
        WorkflowJob job;
        job.number = i;
        job.publicationName = u"كتاب القراءة للصف %1"_s.arg(i % 12 + 1);
        job.owner = u"مديرية التربية %1"_s.arg(i % 40);
        job.quantity = 500 + i % 3000;
        job.unit = u"نسخة"_s;
        job.party = parties[i % 4];
        job.printingMachine = u"GTO/1"_s;
        job.deliveryDate = QDate(2025, 1, 1).addDays(i % 500).startOfDay();
        job.printingDone = i % 2;
        job.printingDate = job.printingDone ? job.deliveryDate.addDays(3) : QDate(1999, 1, 1).startOfDay();
        job.bindingDone = i % 3 == 0;
        job.bindingDate = job.bindingDone ? job.deliveryDate.addDays(6) : QDate(1999, 1, 1).startOfDay();
        job.warehouseDone = i % 5 == 0;
        job.warehouseDate = job.warehouseDone ? job.deliveryDate.addDays(9) : QDate(1999, 1, 1).startOfDay();
        job.printingNotes = u"ورق 80 غرام"_s;
        if (Result<qint32> r = set.insert(job); !r)
            return Status::failure(r.error());
    }
    return tx.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerCoreResources();
    QTemporaryDir work(QDir::tempPath() + u"/dovrelle-bench-XXXXXX"_s);
    const QString home = work.path();
    if (Status s = createArchive(home); !s) {
        std::fprintf(stderr, "bench_workflow: %s\n", qPrintable(s.error()));
        return 1;
    }
    Result<Database> db = Database::open(home + u"/DataBase"_s);
    if (!db) {
        std::fprintf(stderr, "bench_workflow: %s\n", qPrintable(db.error()));
        return 1;
    }
    if (Status s = fillJobs(*db); !s) {
        std::fprintf(stderr, "bench_workflow: %s\n", qPrintable(s.error()));
        return 1;
    }
    AppState state = AppState::load(home);
    state.currentUser = u"MASTER"_s;

    qsizetype rows = 0;
    const double read = bestOf([&] { rows = CFLOWSET(*db).jobs()->size(); });
    int shown = 0;
    const double open = bestOf([&] {
        CWorkflowDlg dialog(state, *db);
        dialog.show();
        shown = dialog.jobRowCount();
    });
    std::printf("bench_workflow: %d jobs\n", kJobs);
    std::printf("  plain row read:            %8.1f ms (%lld rows)\n", read, qint64(rows));
    std::printf("  dialog open, grid filled:  %8.1f ms (%d rows)\n", open, shown);
    std::printf("  ratio: %.2f x the plain read; limit %.0f ms: %s\n", open / read, kLimitMs,
                open < kLimitMs ? "met" : "NOT MET");
    std::fflush(stdout);
    return shown == kJobs && rows == kJobs && open < kLimitMs ? 0 : 1;
}
