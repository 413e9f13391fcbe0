#include "PrintHandOver.h"

#include <QCoreApplication>
#include <QDir>

namespace {

struct PrintHandOverTr
{
    Q_DECLARE_TR_FUNCTIONS(CFReport)
};

} // namespace

PrintHandOver::PrintHandOver(QObject *parent) : QObject(parent), m_loader(new BackgroundLoader(this))
{
    connect(m_loader, &BackgroundLoader::finished, this, &PrintHandOver::finished);
}

PrintHandOver::~PrintHandOver() { m_loader->stop(BackgroundLoader::Pending::Drop); }

bool PrintHandOver::isRunning() const { return m_loader->isRunning(); }

void PrintHandOver::cancel() { m_loader->requestStop(); }

void PrintHandOver::start(const QString &printCommand, const QStringList &files, int timeoutMs)
{
    m_loader->start([printCommand, files, timeoutMs, handOver = this](const BackgroundLoader::Run &run) {
        const auto fail = [&](const QString &message) {
            run.deliver([handOver, message] { Q_EMIT handOver->failure(message); });
        };
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QString &file = files.at(i);
            if (run.stopRequested()) {
                fail(PrintHandOverTr::tr("لم يطبع الملف %1").arg(QDir::toNativeSeparators(file)));
                continue;
            }
            run.deliver([handOver, index = int(i), file] { Q_EMIT handOver->handingOver(index, file); });
            const Status handed = Printing::runPrintCommand(printCommand, file, timeoutMs,
                                                            [&run] { return !run.stopRequested(); });
            if (!handed)
                fail(handed.error());
        }
    });
}
