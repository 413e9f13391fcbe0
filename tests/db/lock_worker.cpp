// Takes the allocation lock from a process of its own, for the tests between processes.
//   lock_worker allocate DBFOLDER COUNT  - COUNT times: lock, next card number (printed), unlock
//   lock_worker hold DBFOLDER            - takes the lock, prints "held" and waits to be killed

#include "db/AllocationLock.h"
#include "db/CDFSet.h"

#include <QCoreApplication>
#include <QTextStream>

#include <thread>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString mode = args[1];
    const QString folder = args[2];
    QTextStream out(stdout);
    QTextStream err(stderr);

    if (mode == u"hold") {
        AllocationLock lock(folder);
        if (Status s = lock.acquire(); !s) {
            err << s.error() << Qt::endl;
            return 1;
        }
        out << "held" << Qt::endl;
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }

    Result<Database> db = Database::open(folder);
    if (!db) {
        err << db.error() << Qt::endl;
        return 1;
    }
    const CDFSet set(*db);
    const int count = args.value(3).toInt();
    for (int i = 0; i < count; ++i) {
        AllocationLock lock(folder);
        if (Status s = lock.acquire({}, std::chrono::milliseconds(5)); !s) {
            err << s.error() << Qt::endl;
            return 1;
        }
        Result<qint32> number = set.nextCardNumber();
        if (!number) {
            err << number.error() << Qt::endl;
            return 1;
        }
        if (Status s = lock.release(); !s) {
            err << s.error() << Qt::endl;
            return 1;
        }
        out << *number << '\n';
    }
    out.flush();
    Database::closeThreadConnections();
    return 0;
}
