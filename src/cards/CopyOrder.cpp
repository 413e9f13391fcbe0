#include "CopyOrder.h"

#include "base/FixedRecord.h"
#include "base/SystemError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CopyOrderTr
{
    Q_DECLARE_TR_FUNCTIONS(CopyOrder)
};

// Holds the kernel lock of a hand-off's lock file for as long as it lives.
class HandOffLock
{
public:
    explicit HandOffLock(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666))
    {
        m_locked = m_fd >= 0 && ::flock(m_fd, LOCK_EX) == 0;
    }
    ~HandOffLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HandOffLock(const HandOffLock &) = delete;
    HandOffLock &operator=(const HandOffLock &) = delete;
    bool locked() const { return m_locked; }

private:
    int m_fd;
    bool m_locked = false;
};

QList<CopyOrder> parseList(const QByteArray &bytes, qint64 count)
{
    QList<CopyOrder> orders;
    const qint64 whole = bytes.size() / CopyOrder::kSize;
    for (qint64 i = 0; i < std::min(whole, count); ++i)
        orders.append(CopyOrder::parse(bytes.mid(i * CopyOrder::kSize, CopyOrder::kSize)));
    return orders;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The count file holds the number of orders as decimal text; anything else counts as none.
qint64 readCount(const QString &path)
{
    bool ok = false;
    const qint64 n = QString::fromLatin1(readAll(path)).trimmed().toLongLong(&ok);
    return ok && n > 0 ? n : 0;
}

// The whole records a count names in a list: never more than the list holds, so that a damaged
// count cannot overflow into taking nothing and emptying the list.
QByteArray countedRecords(const QByteArray &list, qint64 count)
{
    return list.left(std::min<qint64>(count, list.size() / CopyOrder::kSize) * CopyOrder::kSize);
}

} // namespace

QString CopyOrder::target() const
{
    return destination + u'/' + prefix + QFileInfo(source).fileName();
}

Result<QByteArray> CopyOrder::compose() const
{
    QByteArray record(kSize, '\0');
    FixedRecord::putInt32(record, 0, kind);
    Status s = FixedRecord::putText(record, kPrefixOffset, kPrefixSize, prefix, CopyOrderTr::tr("بادئة الاسم"));
    if (s)
        s = FixedRecord::putText(record, kSourceOffset, kSourceSize, source, CopyOrderTr::tr("مسار الملف %1").arg(source));
    if (s)
        s = FixedRecord::putText(record, kDestinationOffset, kDestinationSize, destination,
                                 CopyOrderTr::tr("مجلد الوجهة %1").arg(destination));
    if (!s)
        return Result<QByteArray>::failure(s.error());
    return record;
}

CopyOrder CopyOrder::parse(const QByteArray &record)
{
    CopyOrder o;
    o.kind = FixedRecord::int32At(record, 0);
    o.prefix = FixedRecord::textAt(record, kPrefixOffset, kPrefixSize);
    o.source = FixedRecord::textAt(record, kSourceOffset, kSourceSize);
    o.destination = FixedRecord::textAt(record, kDestinationOffset, kDestinationSize);
    return o;
}

CopyHandOff::CopyHandOff(QString programFolder, Copier copier)
    : m_com(std::move(programFolder) + u"/COM"_s), m_copier(copier)
{
}

QString CopyHandOff::listPath() const
{
    return m_com + (m_copier == Copier::Archive ? u"/filelist.dat"_s : u"/filelist2.dat"_s);
}

QString CopyHandOff::countPath() const
{
    return m_com + (m_copier == Copier::Archive ? u"/num.txt"_s : u"/num2.txt"_s);
}

QString CopyHandOff::lockPath() const
{
    return m_com + (m_copier == Copier::Archive ? u"/filelist.lck"_s : u"/filelist.lck2"_s);
}

QString CopyHandOff::failedPath() const
{
    return m_com + (m_copier == Copier::Archive ? u"/fm.failed"_s : u"/fm2.failed"_s);
}

Result<QList<CopyOrder>> CopyHandOff::failed() const
{
    QFile f(failedPath());
    if (!f.exists())
        return QList<CopyOrder>();
    if (!f.open(QIODevice::ReadOnly))
        return Result<QList<CopyOrder>>::failure(
            CopyOrderTr::tr("تعذرت قراءة %1: %2").arg(QDir::toNativeSeparators(failedPath()), fileErrorText(f)));
    const QByteArray bytes = f.readAll();
    return parseList(bytes, bytes.size() / CopyOrder::kSize);
}

Status CopyHandOff::append(const QList<CopyOrder> &orders) const
{
    QByteArray fresh;
    for (const CopyOrder &o : orders) {
        const Result<QByteArray> record = o.compose();
        if (!record)
            return Status::failure(record.error());
        fresh.append(*record);
    }
    QDir().mkpath(m_com);
    HandOffLock lock(lockPath());
    if (!lock.locked())
        return Status::failure(CopyOrderTr::tr("تعذر قفل قائمة النسخ %1").arg(lockPath()));
    const qint64 waiting = readCount(countPath());
    QByteArray list = countedRecords(readAll(listPath()), waiting);
    list.append(fresh);
    const qint64 total = list.size() / CopyOrder::kSize;
    // The list goes first: a copier that finds the new count always finds the orders it counts.
    if (Status s = FixedRecord::writeWhole(listPath(), list); !s)
        return s;
    return FixedRecord::writeWhole(countPath(), QByteArray::number(total));
}

Result<QList<CopyOrder>> CopyHandOff::take(const QString &journalPath) const
{
    HandOffLock lock(lockPath());
    if (!lock.locked())
        return Result<QList<CopyOrder>>::failure(CopyOrderTr::tr("تعذر قفل قائمة النسخ %1").arg(lockPath()));
    const qint64 count = readCount(countPath());
    const QByteArray list = countedRecords(readAll(listPath()), count);
    const QList<CopyOrder> orders = parseList(list, count);
    if (!journalPath.isEmpty() && !orders.isEmpty()) {
        if (Status s = FixedRecord::writeWhole(journalPath, list); !s)
            return Result<QList<CopyOrder>>::failure(s.error());
    }
    if (Status s = FixedRecord::writeWhole(countPath(), "0"); !s)
        return Result<QList<CopyOrder>>::failure(s.error());
    if (Status s = FixedRecord::writeWhole(listPath(), {}); !s)
        return Result<QList<CopyOrder>>::failure(s.error());
    return orders;
}

Result<QList<CopyOrder>> CopyHandOff::pending() const
{
    HandOffLock lock(lockPath());
    if (!lock.locked())
        return Result<QList<CopyOrder>>::failure(CopyOrderTr::tr("تعذر قفل قائمة النسخ %1").arg(lockPath()));
    return parseList(readAll(listPath()), readCount(countPath()));
}
