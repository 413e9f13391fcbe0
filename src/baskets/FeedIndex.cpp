#include "FeedIndex.h"

#include "DescriptionReader.h"
#include "base/Cp1256.h"
#include "imaging/Thumbnail.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

namespace {

struct FeedIndexTr
{
    Q_DECLARE_TR_FUNCTIONS(FeedIndex)
};

} // namespace

// --- RetryingOpener -------------------------------------------------------------------------------

RetryingOpener::RetryingOpener(int budgetMs, const std::atomic<bool> *stop)
    : m_budgetMs(std::max(0, budgetMs))
    , m_stop(stop)
{
}

std::unique_ptr<QFile> RetryingOpener::open(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    if (path.isEmpty())
        return nullptr;
    for (;;) {
        if (file->open(QIODevice::ReadOnly))
            return file;
        if (exhausted() || (m_stop && m_stop->load()))
            return nullptr;
        const int step = std::min(kStepMs, m_budgetMs - m_waitedMs);
        QThread::msleep(ulong(step));
        m_waitedMs += step;
    }
}

// --- FeedIndex ------------------------------------------------------------------------------------

FeedIndex::FeedIndex(QString folder, QString indexFile)
    : m_folder(std::move(folder))
    , m_indexFile(std::move(indexFile))
{
}

QString FeedIndex::indexPath() const { return m_folder + u'/' + m_indexFile; }

int FeedIndex::recordCountForSize(qint64 size)
{
    if (size <= 0)
        return 0;
    return int(std::min<qint64>(size / kRecordSize, std::numeric_limits<int>::max()));
}

int FeedIndex::recordCount(RetryingOpener &opener) const
{
    return readRecordCount(opener).value_or(0);
}

std::optional<int> FeedIndex::readRecordCount(RetryingOpener &opener) const
{
    const std::unique_ptr<QFile> file = opener.open(indexPath());
    if (!file)
        return std::nullopt;
    return recordCountForSize(file->size());
}

std::optional<IndexRecord> FeedIndex::record(int position, RetryingOpener &opener) const
{
    if (position < 0)
        return std::nullopt;
    const std::unique_ptr<QFile> file = opener.open(indexPath());
    if (!file)
        return std::nullopt;
    const qint64 offset = qint64(position) * kRecordSize;
    if (offset + kRecordSize > file->size() || !file->seek(offset))
        return std::nullopt;
    const QByteArray bytes = file->read(kRecordSize);
    if (bytes.size() != kRecordSize)
        return std::nullopt;
    return parseRecord(bytes);
}

Result<QByteArray> FeedIndex::composeRecord(qint32 sequence, const QString &name)
{
    if (!isPlainName(name))
        return Result<QByteArray>::failure(FeedIndexTr::tr("اسم الملف \"%1\" غير صالح لسجل الفهرس").arg(name));
    const Result<QByteArray> encoded = Cp1256::encode(name);
    if (!encoded.ok())
        return Result<QByteArray>::failure(encoded.error());
    if (encoded->contains('\0') || encoded->size() > kNameCapacity - 1)
        return Result<QByteArray>::failure(
            FeedIndexTr::tr("اسم الملف \"%1\" أطول من أن يتسع له سجل الفهرس (%2 حرفاً على الأكثر)")
                .arg(name)
                .arg(kNameCapacity - 1));
    QByteArray record(kRecordSize, '\0');
    qToLittleEndian<qint32>(sequence, record.data() + kSequenceOffset);
    record.replace(kNameOffset, encoded->size(), *encoded);
    return record.left(kRecordSize);
}

IndexRecord FeedIndex::parseRecord(const QByteArray &bytes)
{
    QByteArray whole = bytes.left(kRecordSize);
    if (whole.size() < kRecordSize)
        whole.append(QByteArray(kRecordSize - whole.size(), '\0'));
    IndexRecord record;
    record.sequence = qFromLittleEndian<qint32>(whole.constData() + kSequenceOffset);
    QByteArray name = whole.mid(kNameOffset, kNameCapacity);
    const qsizetype end = name.indexOf('\0');
    if (end >= 0)
        name.truncate(end);
    record.name = Cp1256::decode(name);
    return record;
}

bool FeedIndex::isPlainName(const QString &name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/') && !name.contains(u'\\');
}

QString FeedIndex::itemPath(const IndexRecord &record) const
{
    return isPlainName(record.name) ? m_folder + u'/' + record.name : QString();
}

// --- FeedItems ------------------------------------------------------------------------------------

namespace FeedItems {

Result<QString> readText(const QString &path, RetryingOpener &opener)
{
    const std::unique_ptr<QFile> file = opener.open(path);
    if (!file)
        return Result<QString>::failure(FeedIndexTr::tr("تعذر فتح الملف %1").arg(path));
    return Cp1256::decode(file->read(FeedIndex::kMaxTextBytes));
}

namespace {

FeedItem itemOf(const FeedIndex &index, int position, RetryingOpener &opener)
{
    FeedItem item;
    item.position = position;
    item.sequence = position;
    if (const std::optional<IndexRecord> record = index.record(position, opener)) {
        item.sequence = record->sequence;
        item.name = record->name;
        item.path = index.itemPath(*record);
    }
    return item;
}

} // namespace

FeedItem picture(const FeedIndex &index, int position, RetryingOpener &opener, bool withThumbnail)
{
    FeedItem item = itemOf(index, position, opener);
    // The thumbnail and the description reader open the file themselves; this open only waits
    // for the writer to let go of it.
    item.opened = !item.path.isEmpty() && opener.open(item.path) != nullptr;
    if (item.opened)
        item.description = DescriptionReader::readDescription(item.path, DescriptionReader::Form::Display);
    if (withThumbnail)
        item.thumbnail = item.opened ? Thumbnail::make(item.path) : Thumbnail::compose(QImage());
    return item;
}

FeedItem text(const FeedIndex &index, int position, RetryingOpener &opener)
{
    FeedItem item = itemOf(index, position, opener);
    if (item.path.isEmpty())
        return item;
    const Result<QString> content = readText(item.path, opener);
    item.opened = content.ok();
    if (content.ok())
        item.text = *content;
    return item;
}

qint64 sizeOf(const QString &path, RetryingOpener &opener)
{
    const std::unique_ptr<QFile> file = opener.open(path);
    return file ? file->size() : -1;
}

} // namespace FeedItems
