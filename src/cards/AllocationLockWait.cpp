#include "AllocationLockWait.h"

#include "db/AllocationLock.h"
#include "db/AllocationWait.h"

#include <QProgressDialog>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

// Busy polls of the allocation lock (200 ms each) before the wait is shown.
constexpr int kPollsBeforeShowingWait = 3;

} // namespace

void AllocationLockWait::take(QWidget *parent, const QString &folder, const Done &done)
{
    auto lock = std::make_shared<AllocationLock>(folder);
    switch (lock->tryAcquire()) {
    case AllocationLock::Attempt::Taken: done(lock); return;
    case AllocationLock::Attempt::Failed: done(Result<std::shared_ptr<AllocationLock>>::failure(lock->error())); return;
    case AllocationLock::Attempt::Busy: break;
    }
    lock.reset();

    // Another workstation holds it: the wait runs on a thread of its own and, after a few polls,
    // shows as a window the user can cancel.
    auto *wait = new AllocationWait(folder, parent);
    auto *progress = new QProgressDialog(tr("ترقيم البطاقات مشغول في محطة اخرى، بانتظار انتهائها ..."), tr("الغاء"), 0, 0, parent);
    progress->setObjectName(u"allocationWait"_s);
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    // Shown by a timer of our own: the dialog's own delay starts only with its first value.
    const int showAfterMs = kPollsBeforeShowingWait * int(AllocationLock::kPollInterval.count());
    progress->setMinimumDuration(showAfterMs);
    auto ended = std::make_shared<bool>(false);
    QTimer::singleShot(showAfterMs, progress, [progress, ended] {
        if (!*ended)
            progress->show();
    });
    const auto end = [wait, progress, ended] {
        *ended = true;
        progress->hide();
        progress->deleteLater();
        wait->deleteLater();
    };
    QObject::connect(wait, &AllocationWait::acquired, parent, [end, done](const std::shared_ptr<AllocationLock> &held) {
        end();
        done(held);
    });
    QObject::connect(wait, &AllocationWait::failed, parent, [end, done](const QString &message) {
        end();
        done(Result<std::shared_ptr<AllocationLock>>::failure(message));
    });
    QObject::connect(progress, &QProgressDialog::canceled, parent, [wait, end, done] {
        wait->cancel();
        end();
        done(Result<std::shared_ptr<AllocationLock>>::failure(AllocationWait::cancelledMessage()));
    });
    wait->start();
}
