#include "Copier.h"

#include "StoreCopy.h"
#include "base/FixedRecord.h"
#include "base/SystemError.h"
#include "cards/StoredName.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <cerrno>

#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The kernel lock that makes one copier the only one working on a hand-off. The kernel drops it
// when the process ends however it ends, so a dead copier never blocks the next one.
class RunLock
{
public:
    explicit RunLock(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666))
    {
        m_error = m_fd < 0 ? errno : 0;
    }
    ~RunLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;

    // False when another process holds it (error() is 0 then) or the lock failed.
    bool acquire(bool wait)
    {
        if (m_fd < 0)
            return false;
        int r = 0;
        do {
            r = ::flock(m_fd, LOCK_EX | (wait ? 0 : LOCK_NB));
        } while (r != 0 && errno == EINTR);
        if (r != 0) {
            m_error = errno == EWOULDBLOCK ? 0 : errno;
            return false;
        }
        // Only for people looking: which process is copying.
        const QByteArray pid = QByteArray::number(::getpid());
        if (::ftruncate(m_fd, 0) == 0) {
            [[maybe_unused]] const ssize_t written = ::pwrite(m_fd, pid.constData(), pid.size(), 0);
        }
        return true;
    }
    void release() { ::flock(m_fd, LOCK_UN); }
    int error() const { return m_error; }

private:
    int m_fd;
    int m_error = 0;
};

// Tests widen the moment between the last empty take and the release of the run lock, where a
// writer's new orders meet a copier that is just leaving; only the first such moment of a run.
void lingerForTests()
{
    static bool lingered = false;
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("DOVRELLE_FM_LINGER_MS", &ok);
    if (ok && ms > 0 && !lingered)
        QThread::msleep(ms);
    lingered = true;
}

// Tests kill the copier at a named moment of a batch ("before-flush": every copy made, nothing on
// the disk for sure yet; "before-journal": every copy in place, the journal not yet removed) to
// show that a kill there loses no order.
void dieHereForTests(const char *moment)
{
    static const QByteArray wanted = qgetenv("DOVRELLE_FM_DIE_AT");
    if (!wanted.isEmpty() && wanted == moment)
        ::kill(::getpid(), SIGKILL);
}

QString oneLine(QString text)
{
    text.replace(u'\t', u' ');
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text;
}

} // namespace

Copier::Copier(QString programFolder, CopyHandOff::Copier list, QObject *parent)
    : QObject(parent),
      m_com(std::move(programFolder) + u"/COM"_s),
      m_handOff(QFileInfo(m_com).path(), list),
      m_list(list)
{
    StoreCopy::Hooks hooks;
    hooks.fileStarted = [this](const QString &source) { emit fileStarted(source); };
    hooks.advanced = [this](qint64 bytes) { emit advanced(bytes); };
    hooks.fileCopied = [this](const QString &source, const QString &target) { emit fileCopied(source, target); };
    m_store = std::make_unique<StoreCopy>(std::move(hooks));
}

Copier::~Copier() = default;

QString Copier::runLockPath() const
{
    return m_com + (m_list == CopyHandOff::Copier::Archive ? u"/fm.run"_s : u"/fm2.run"_s);
}

QString Copier::journalPath() const
{
    return m_com + (m_list == CopyHandOff::Copier::Archive ? u"/fm.taken"_s : u"/fm2.taken"_s);
}

QString Copier::failedListPath() const
{
    return m_handOff.failedPath();
}

QString Copier::errorLogPath() const
{
    return m_com + (m_list == CopyHandOff::Copier::Archive ? u"/fm-errors.log"_s : u"/fm2-errors.log"_s);
}

void Copier::run(WhenBusy whenBusy)
{
    if (!QFileInfo(m_com).isDir()) {
        reportRunProblem(tr("المجلد %1 غير موجود").arg(QDir::toNativeSeparators(m_com)));
        emit finished();
        return;
    }
    RunLock lock(runLockPath());
    if (!lock.acquire(whenBusy == WhenBusy::Wait)) {
        if (lock.error() != 0)
            reportRunProblem(tr("تعذر قفل %1: %2").arg(QDir::toNativeSeparators(runLockPath()), qt_error_string(lock.error())));
        else
            m_leftToOther = true;
        emit finished();
        return;
    }

    // Orders an earlier run had taken and did not live to finish, and orders that failed before:
    // they go into the journal together and are tried again, so a failed order is never dropped.
    if (QFileInfo::exists(journalPath()) || QFileInfo::exists(failedListPath())) {
        const Result<QList<CopyOrder>> left = readOrders(journalPath(), true);
        const Result<QList<CopyOrder>> failedBefore = readOrders(failedListPath(), true);
        if (!left) {
            reportRunProblem(left.error());
        } else if (!failedBefore) {
            reportRunProblem(failedBefore.error());
        } else {
            const QList<CopyOrder> again = *left + *failedBefore;
            QByteArray records;
            for (const CopyOrder &o : again)
                records.append(o.compose().ok() ? *o.compose() : QByteArray());
            // The failed list goes only once its orders are in the journal.
            if (const Status s = FixedRecord::writeWhole(journalPath(), records); !s) {
                reportRunProblem(s.error());
            } else {
                QFile::remove(failedListPath());
                copyAll(again);
                QFile::remove(journalPath());
            }
        }
    }

    bool handOffReadable = true;
    for (;;) {
        for (;;) {
            const Result<QList<CopyOrder>> taken = m_handOff.take(journalPath());
            if (!taken) {
                reportRunProblem(taken.error());
                handOffReadable = false;
                break;
            }
            if (taken->isEmpty())
                break;
            copyAll(*taken);
            // Only now: every copy of the batch is on the disk under its stored name, and every
            // order that failed is in the failed list.
            dieHereForTests("before-journal");
            QFile::remove(journalPath());
        }
        lingerForTests();
        lock.release();
        // A writer may have appended after the last take and started a copier that found the lock
        // still held and left: those orders are ours unless a copier that came since has the lock.
        if (!handOffReadable)
            break;
        const Result<QList<CopyOrder>> pending = m_handOff.pending();
        if (!pending || pending->isEmpty() || !lock.acquire(false))
            break;
    }
    emit finished();
}

void Copier::copyAll(const QList<CopyOrder> &orders)
{
    // Everything is looked at first so that the progress knows the whole amount.
    QList<Result<SourceTree>> trees;
    qint64 files = 0;
    qint64 bytes = 0;
    for (const CopyOrder &o : orders) {
        trees.append(StoreCopy::survey(o.source.isEmpty() ? QString() : QDir::cleanPath(o.source)));
        if (trees.last()) {
            files += trees.last()->files;
            bytes += trees.last()->bytes;
        }
    }
    emit planned(files, bytes);

    struct Pending
    {
        StoreCopy::Prepared copy;
        qint32 card;
        CopyOrder order;
    };
    QList<Pending> prepared;
    QStringList folders;
    // An order handed over twice names the same stored file twice: the second is the first.
    QSet<QString> targets;

    for (qsizetype i = 0; i < orders.size(); ++i) {
        const CopyOrder &order = orders.at(i);
        const qint32 card = cardOf(order, i > 0 ? &orders.at(i - 1) : nullptr);
        const Result<SourceTree> &tree = trees.at(i);
        if (!tree) {
            report(card, order, tree.error());
            continue;
        }
        const QString name = order.prefix + QFileInfo(tree->source).fileName();
        if (order.prefix.contains(u'/') || QFileInfo(tree->source).fileName().isEmpty()) {
            report(card, order, tr("اسم التخزين غير صالح: \"%1\"").arg(name));
            continue;
        }
        if (order.destination.isEmpty() || !QDir::isAbsolutePath(order.destination)) {
            report(card, order, tr("مجلد الوجهة ليس مسارا كاملا: \"%1\"").arg(order.destination));
            continue;
        }
        const QString destination = QDir::cleanPath(order.destination);
        if (Status made = StoreCopy::makeSeriesFolder(destination); !made) {
            report(card, order, made.error());
            continue;
        }
        if (targets.contains(destination + u'/' + name)) {
            ++m_copiedOrders;
            continue;
        }
        targets.insert(destination + u'/' + name);
        if (!m_cleanedFolders.contains(destination)) {
            StoreCopy::removeStaleTemporaries(destination);
            m_cleanedFolders.insert(destination);
        }
        const Result<std::optional<StoreCopy::Prepared>> copy = m_store->prepare(*tree, destination, name);
        if (!copy) {
            report(card, order, copy.error());
        } else if (!copy->has_value()) {
            ++m_copiedOrders;
        } else {
            prepared.append({**copy, card, order});
            if (!folders.contains(destination))
                folders.append(destination);
        }
    }

    // The copies reach the disk together, then take their stored names.
    if (prepared.isEmpty())
        return;
    dieHereForTests("before-flush");
    if (Status s = StoreCopy::flush(folders); !s) {
        for (const Pending &p : prepared) {
            StoreCopy::discard(p.copy);
            report(p.card, p.order, s.error());
        }
        return;
    }
    for (const Pending &p : prepared) {
        if (Status s = m_store->commit(p.copy); !s)
            report(p.card, p.order, s.error());
        else
            ++m_copiedOrders;
    }
    if (Status s = StoreCopy::syncFolders(folders); !s)
        reportRunProblem(s.error());
}

qint32 Copier::cardOf(const CopyOrder &order, const CopyOrder *previous)
{
    if (const std::optional<StoredName> name = StoredName::parse(order.prefix))
        return name->card > 0 ? name->card : 0;
    if (!order.prefix.isEmpty() || !previous || previous->destination != order.destination)
        return 0;
    const qsizetype dot = previous->source.lastIndexOf(u'.');
    if (dot <= previous->source.lastIndexOf(u'/') || previous->source.left(dot) + u"_files"_s != order.source)
        return 0;
    return cardOf(*previous, nullptr);
}

void Copier::report(qint32 card, const CopyOrder &order, const QString &reason)
{
    const QString file = QDir::toNativeSeparators(order.source);
    const QString message = card > 0 ? tr("تعذر نسخ %1 للبطاقة %2: %3").arg(file, QString::number(card), reason)
                                     : tr("تعذر نسخ %1: %2").arg(file, reason);
    m_failures.append(message);
    QTextStream(stderr) << "dovrelle-fm: " << message << Qt::endl;

    const QString line = QStringList{QDateTime::currentDateTime().toString(Qt::ISODate),
                                     card > 0 ? QString::number(card) : QString(), oneLine(order.source),
                                     oneLine(order.target()), oneLine(reason)}
                             .join(u'\t')
                         + u'\n';
    QFile log(errorLogPath());
    // One write per line: appends of other copiers do not tear it apart.
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(line.toUtf8()) < 0 || !log.flush()) {
        QTextStream(stderr) << "dovrelle-fm: "
                            << tr("تعذرت الكتابة في %1: %2").arg(QDir::toNativeSeparators(errorLogPath()), fileErrorText(log))
                            << Qt::endl;
    }
    keepForRetry(order);
    emit failed(message);
}

void Copier::keepForRetry(const CopyOrder &order)
{
    const Result<QByteArray> record = order.compose();
    if (!record)
        return;
    QFile list(failedListPath());
    // One write of a whole record: a run that dies meanwhile leaves no torn record behind.
    // On the disk before the journal that holds the order goes.
    if (!list.open(QIODevice::WriteOnly | QIODevice::Append) || list.write(*record) != record->size() || !list.flush()
        || ::fdatasync(list.handle()) != 0) {
        QTextStream(stderr) << "dovrelle-fm: "
                            << tr("تعذرت الكتابة في %1: %2").arg(QDir::toNativeSeparators(failedListPath()), fileErrorText(list))
                            << Qt::endl;
    }
}

void Copier::reportRunProblem(const QString &reason)
{
    const QString message = tr("تعذر تنفيذ اوامر النسخ: %1").arg(reason);
    m_failures.append(message);
    QTextStream(stderr) << "dovrelle-fm: " << message << Qt::endl;
    QFile log(errorLogPath());
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write((QStringList{QDateTime::currentDateTime().toString(Qt::ISODate), QString(), QString(), QString(),
                               oneLine(reason)}
                       .join(u'\t')
                   + u'\n')
                      .toUtf8());
    }
    emit failed(message);
}

Result<QList<CopyOrder>> Copier::readOrders(const QString &path, bool missingIsEmpty)
{
    QFile f(path);
    if (missingIsEmpty && !f.exists())
        return QList<CopyOrder>();
    if (!f.open(QIODevice::ReadOnly))
        return Result<QList<CopyOrder>>::failure(tr("تعذرت قراءة %1: %2").arg(QDir::toNativeSeparators(path), fileErrorText(f)));
    const QByteArray bytes = f.readAll();
    QList<CopyOrder> orders;
    for (qsizetype at = 0; at + CopyOrder::kSize <= bytes.size(); at += CopyOrder::kSize)
        orders.append(CopyOrder::parse(bytes.mid(at, CopyOrder::kSize)));
    return orders;
}
