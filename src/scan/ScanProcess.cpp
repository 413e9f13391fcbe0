#include "ScanProcess.h"

#include "ScanHandOff.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {

// How long a cancelled program has to let the device go before it is ended.
constexpr int kCancelGraceMs = 5000;

// Where the pages cross: a memory file system when there is one (a page is written once and
// mapped at once, and must never wait for a disk), else the temporary folder.
QString handOffBase()
{
    const QFileInfo shm(u"/dev/shm"_s);
    return shm.isDir() && shm.isWritable() ? shm.absoluteFilePath() : QDir::tempPath();
}

} // namespace

ScanProcess::ScanProcess(QObject *parent) : QObject(parent)
{
    m_grace.setSingleShot(true);
    m_grace.setInterval(kCancelGraceMs);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        if (isRunning())
            m_process->kill();
    });
}

ScanProcess::~ScanProcess()
{
    if (m_process) {
        m_process->disconnect(this);
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(-1);
        }
    }
}

Status ScanProcess::start(const Job &job)
{
    if (isRunning())
        return Status::failure(tr("المسح الضوئي جار بالفعل"));
    m_folder = std::make_unique<QTemporaryDir>(handOffBase() + u"/dovrelle-scan-XXXXXX"_s);
    if (!m_folder->isValid())
        return Status::failure(tr("تعذر انشاء مجلد مؤقت للصفحات الممسوحة: %1").arg(m_folder->errorString()));
    m_program = job.program;
    m_pending.clear();
    m_current = {};
    m_told.reset();
    m_problem.clear();
    m_pages = 0;
    m_cancelled = false;
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_process.get(), &QProcess::readyReadStandardOutput, this, &ScanProcess::readLines);
    QStringList args{u"--device"_s, job.device, u"--folder"_s, m_folder->path(), u"--library"_s, job.library};
    args << ScanHandOff::valueArguments(job.values);
    m_process->start(job.program, args);
    if (!m_process->waitForStarted()) {
        const QString why = m_process->errorString();
        m_process.reset();
        m_folder.reset();
        return Status::failure(tr("تعذر تشغيل برنامج المسح الضوئي %1: %2").arg(job.program, why));
    }
    connect(m_process.get(), &QProcess::finished, this, &ScanProcess::programEnded);
    return {};
}

bool ScanProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void ScanProcess::cancel()
{
    if (!isRunning() || m_cancelled)
        return;
    m_cancelled = true;
    m_process->write("cancel\n");
    m_grace.start();
}

void ScanProcess::stop()
{
    if (!isRunning())
        return;
    cancel();
    if (!m_process->waitForFinished(m_grace.interval())) {
        m_process->kill();
        m_process->waitForFinished(-1);
    }
}

void ScanProcess::readLines()
{
    m_pending += m_process->readAllStandardOutput();
    for (qsizetype nl = m_pending.indexOf('\n'); nl >= 0; nl = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(nl);
        m_pending.remove(0, nl + 1);
        handle(line);
    }
}

void ScanProcess::handle(const QByteArray &line)
{
    const std::optional<ScanHandOff::Message> m = ScanHandOff::parse(line);
    if (!m)
        return;
    switch (m->kind) {
    case ScanHandOff::Message::Kind::Page: {
        m_current = m->info;
        int answer = CTwain::CancelAll;
        if (!m_cancelled && m_problem.isEmpty()) {
            emit pageStarted(m_current);
            answer = m_decide ? m_decide(m_current) : int(CTwain::TransferImage);
        }
        if (isRunning())
            m_process->write(QByteArray::number(answer) + '\n');
        break;
    }
    case ScanHandOff::Message::Kind::Read:
        if (m->info.page == m_current.page && !m_cancelled)
            emit pageProgress(m_current, m->bytes);
        break;
    case ScanHandOff::Message::Kind::Picture: takePicture(m->info.page, m->file); break;
    case ScanHandOff::Message::Kind::End: m_told = m->outcome; break;
    }
}

void ScanProcess::takePicture(int page, const QString &file)
{
    // Only a file the program was given the folder for is read, and every one is removed.
    const QFileInfo info(file);
    const bool ours = m_folder && info.absolutePath() == QDir(m_folder->path()).absolutePath();
    const QImage picture = ours ? ScanHandOff::readPicture(file) : QImage();
    if (ours)
        QFile::remove(file);
    if (m_cancelled || !m_problem.isEmpty())
        return;
    if (picture.isNull() || page != m_current.page) {
        fail(tr("وصلت الصفحة %1 من برنامج المسح الضوئي ناقصة").arg(page));
        return;
    }
    ScanPageInfo taken = m_current;
    taken.height = picture.height();
    ++m_pages;
    emit pageArrived(picture, taken);
}

void ScanProcess::fail(const QString &problem)
{
    m_problem = problem;
    if (isRunning()) {
        m_process->write("cancel\n");
        m_grace.start();
    }
}

void ScanProcess::programEnded()
{
    readLines();
    m_grace.stop();
    ScanOutcome outcome;
    if (!m_problem.isEmpty()) {
        outcome = {ScanOutcome::End::Failed, m_pages, m_problem};
    } else if (m_told) {
        outcome = *m_told;
        if (m_cancelled && outcome.end == ScanOutcome::End::Failed)
            outcome = {ScanOutcome::End::Cancelled, m_pages, {}};
    } else if (m_cancelled) {
        outcome = {ScanOutcome::End::Cancelled, m_pages, {}};
    } else {
        const QString how = m_process->exitStatus() == QProcess::CrashExit
                                ? tr("انهار البرنامج")
                                : tr("انتهى البرنامج بالرمز %1").arg(m_process->exitCode());
        outcome = {ScanOutcome::End::Failed, m_pages,
                   tr("توقف برنامج المسح الضوئي قبل أن يتم عمله (%1)").arg(how)};
    }
    // The windows count what reached them.
    outcome.pages = m_pages;
    m_process.release()->deleteLater();
    m_folder.reset();
    emit ended(outcome);
}
