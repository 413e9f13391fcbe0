// Takes the allocation lock from a process of its own, for the tests between processes.
//   lock_worker hold DBFOLDER            - takes the lock, prints "held" and waits to be killed

#include "db/AllocationLock.h"

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

    return 2;
}
