#include "FeedWriter.h"

#include "base/Cp1256.h"
#include "base/FileDescriptor.h"
#include "base/ProcessAlive.h"
#include "base/SystemError.h"
#include "base/WriteAll.h"
#include "baskets/DescriptionReader.h"
#include "baskets/FeedIndex.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct FeedWriterTr
{
    Q_DECLARE_TR_FUNCTIONS(FeedWriter)
};

QString tr(const char *text) { return FeedWriterTr::tr(text); }

constexpr unsigned char kFirstKept = 31;
constexpr unsigned char kLastKept = 127;
constexpr char kFiller = ' ';
constexpr int kSegmentHeader = 4; // marker and length
constexpr int kMaxSegmentPayload = 0xFFFF - 2;

constexpr qint64 kMaxTextBytes = 10000;
constexpr int kHeadBytes = 64 * 1024;
constexpr int kCopyChunk = 1024 * 1024;
constexpr int kLockWaitMs = 10000;
constexpr int kLockStepMs = 20;
// The largest sequence number a name may be given, for checking names before they are known.
const QString kWidestNumber = u"2147483647"_s;

QString shownPath(const QString &path) { return QDir::toNativeSeparators(path); }

QString withNumber(const QString &text, qint64 sequence)
{
    QString out = text;
    return out.replace(u"{n}"_s, QString::number(sequence));
}

// A descriptor closed when it goes.

// Fills the buffer as far as the file goes; -1 on a read error.
qint64 readUpTo(int fd, char *data, qint64 size)
{
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// Moves the finished file to its name unless something already has that name.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace rename: a hard link fails on an existing name too.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST)
        return errno;
    struct stat st;
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

// --- JpegDescription ------------------------------------------------------------------------------

namespace JpegDescription {

bool isJpeg(const QByteArray &bytes)
{
    return bytes.size() >= 3 && quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xD8 && quint8(bytes[2]) == 0xFF;
}

Result<QByteArray> encode(const QString &description)
{
    if (description.size() > kMaxLength)
        return Result<QByteArray>::failure(
            tr("لا يمكن حفظ الوصف: طوله %1 حرفاً والحد %2 حرفاً").arg(description.size()).arg(kMaxLength));
    QByteArray bytes;
    bytes.reserve(description.size());
    for (qsizetype i = 0; i < description.size(); ++i) {
        const char16_t c = description.at(i).unicode();
        if (c < kFirstKept || c > kLastKept)
            return Result<QByteArray>::failure(
                tr("لا يمكن حفظ الوصف: الحرف «%1» في الموضع %2 لا يقرؤه البرنامج من الصورة؛ "
                   "الوصف يقبل الحروف اللاتينية والأرقام والعلامات المطبوعة فقط")
                    .arg(description.at(i))
                    .arg(i + 1));
        if (c == u'@' && i >= kFirstEndingAt)
            return Result<QByteArray>::failure(
                tr("لا يمكن حفظ الوصف: العلامة «@» في الموضع %1 تنهي الوصف عند قراءته؛ "
                   "لا تستعمل بعد الحرف %2")
                    .arg(i + 1)
                    .arg(kFirstEndingAt));
        bytes.append(char(c));
    }
    return bytes;
}

Result<QByteArray> embed(const QByteArray &jpeg, const QByteArray &description)
{
    if (!isJpeg(jpeg))
        return Result<QByteArray>::failure(tr("الملف ليس صورة JPEG"));
    if (description.size() > kMaxLength)
        return Result<QByteArray>::failure(tr("الوصف أطول من %1 حرفاً").arg(kMaxLength));

    // After the start of image, or after a JFIF header that leaves room before the scanned window.
    qsizetype at = 2;
    if (jpeg.size() >= 6 && quint8(jpeg[2]) == 0xFF && quint8(jpeg[3]) == 0xE0) {
        const qsizetype end = 4 + qFromBigEndian<quint16>(jpeg.constData() + 4);
        if (end + kSegmentHeader <= kScanStart && end <= jpeg.size())
            at = end;
    }

    QByteArray payload(kScanStart - (at + kSegmentHeader), kFiller);
    // From the first scanned byte on: filler that the reader keeps but skips, the marker and the
    // description, together exactly the kept limit, then the zero byte the data model asks for.
    payload.append(QByteArray(kMaxLength - description.size(), kFiller));
    payload.append(DescriptionReader::kMarker);
    payload.append(description);
    payload.append('\0');
    if (payload.size() > kMaxSegmentPayload)
        return Result<QByteArray>::failure(tr("الوصف أطول من أن يحفظ في الصورة"));

    QByteArray segment;
    segment.append(char(0xFF));
    segment.append(char(0xFE));
    const quint16 length = quint16(payload.size() + 2);
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    segment.append(payload);
    QByteArray out = jpeg.left(at);
    out.append(segment);
    out.append(jpeg.mid(at));
    return out;
}

} // namespace JpegDescription

// --- FeedWriter -----------------------------------------------------------------------------------

FeedWriter::FeedWriter(QString folder, QString indexFile)
    : m_folder(QDir::cleanPath(std::move(folder)))
    , m_indexFile(std::move(indexFile))
{
}

QStringList FeedWriter::takeNotes() { return std::exchange(m_notes, {}); }

Status FeedWriter::check(const Request &request) const
{
    if (m_folder.isEmpty())
        return Status::failure(tr("لم يحدد مجلد التغذية"));
    const QFileInfo folder(m_folder);
    if (folder.exists() && !folder.isDir())
        return Status::failure(tr("%1 ليس مجلداً").arg(shownPath(m_folder)));
    if (!FeedIndex::isPlainName(m_indexFile) || !m_indexFile.endsWith(u".idx"_s) || m_indexFile.size() <= 4)
        return Status::failure(tr("اسم ملف الفهرس \"%1\" غير صالح: يجب أن ينتهي بـ .idx ولا يحوي مجلداً").arg(m_indexFile));
    if (request.files.isEmpty() && request.texts.isEmpty())
        return Status::failure(tr("لا يوجد ما يضاف: اذكر ملفاً أو نصاً"));

    for (const QString &path : request.files) {
        const QFileInfo info(path);
        if (!info.isFile())
            return Status::failure(tr("الملف %1 غير موجود").arg(shownPath(path)));
        if (!info.isReadable())
            return Status::failure(tr("لا يمكن قراءة الملف %1").arg(shownPath(path)));
        if (info.fileName().endsWith(u".idx"_s, Qt::CaseInsensitive))
            return Status::failure(tr("لا يضاف الملف %1: اسمه ينتهي بـ .idx فيحسب فهرساً").arg(shownPath(path)));
        // The name may get the sequence number added when it is taken already.
        const QString widest = info.completeBaseName() + u'-' + kWidestNumber
                               + (info.suffix().isEmpty() ? QString() : u'.' + info.suffix());
        for (const QString &name : {info.fileName(), widest}) {
            const Result<QByteArray> record = FeedIndex::composeRecord(0, name);
            if (!record.ok())
                return Status::failure(record.error());
        }
    }
    for (const QString &text : request.texts) {
        const Result<QByteArray> bytes = Cp1256::encode(withNumber(text, std::numeric_limits<qint32>::max()));
        if (!bytes.ok())
            return Status::failure(tr("لا يمكن كتابة النص: %1").arg(bytes.error()));
        if (bytes->size() > kMaxTextBytes)
            return Status::failure(tr("النص أطول من %1 بايت").arg(kMaxTextBytes));
    }
    if (request.describe) {
        const Result<QByteArray> description =
            JpegDescription::encode(withNumber(request.description, std::numeric_limits<qint32>::max()));
        if (!description.ok())
            return Status::failure(description.error());
    }
    return {};
}

namespace {

const QString kFeedTemporaryStart = u".dovrelle-feed-"_s;
const QString kFeedTemporaryEnd = u".part"_s;

// One round under the lock of the index.
class Round
{
public:
    Round(const QString &folder, const QString &indexFile, QStringList &notes)
        : m_folder(folder)
        , m_indexPath(folder + u'/' + indexFile)
        , m_notes(notes)
    {
    }

    ~Round()
    {
        if (!m_temporary.isEmpty())
            ::unlink(QFile::encodeName(m_temporary).constData());
    }

    Status open()
    {
        if (!QDir().mkpath(m_folder))
            return Status::failure(tr("تعذر إنشاء المجلد %1").arg(shownPath(m_folder)));
        m_index.reset(::open(QFile::encodeName(m_indexPath).constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
        if (!m_index.valid())
            return Status::failure(tr("تعذر فتح ملف الفهرس %1: %2").arg(shownPath(m_indexPath), lastSystemErrorText()));
        // Another writer holds it only while it appends; a lock that does not come means a writer
        // that hangs, which must not hang this one too.
        const QDeadlineTimer deadline(kLockWaitMs);
        while (::flock(m_index.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return Status::failure(tr("تعذر قفل ملف الفهرس %1: %2").arg(shownPath(m_indexPath), lastSystemErrorText()));
            if (deadline.hasExpired())
                return Status::failure(tr("ملف الفهرس %1 مشغول بكاتب آخر").arg(shownPath(m_indexPath)));
            QThread::msleep(kLockStepMs);
        }
        struct stat st;
        if (::fstat(m_index.get(), &st) != 0)
            return Status::failure(tr("تعذر قراءة حجم ملف الفهرس %1: %2").arg(shownPath(m_indexPath), lastSystemErrorText()));
        if (st.st_size % FeedIndex::kRecordSize != 0)
            return Status::failure(tr("ملف الفهرس %1 تالف: حجمه %2 بايت ليس من مضاعفات %3؛ لم يضف شيء")
                                       .arg(shownPath(m_indexPath))
                                       .arg(qint64(st.st_size))
                                       .arg(FeedIndex::kRecordSize));
        m_size = st.st_size;
        if (m_size / FeedIndex::kRecordSize >= std::numeric_limits<qint32>::max())
            return Status::failure(tr("ملف الفهرس %1 ممتلئ").arg(shownPath(m_indexPath)));
        removeDeadWritersTemporaries();
        return readNames();
    }

    qint32 nextSequence() const { return qint32(m_size / FeedIndex::kRecordSize); }

    // Copies the file under a free name, describing it when asked, and appends its record.
    Result<FeedWriter::Added> addFile(const QString &source, const std::optional<QString> &description)
    {
        FileDescriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
        if (!in.valid())
            return failure(tr("تعذر فتح الملف %1: %2").arg(shownPath(source), lastSystemErrorText()));
        QByteArray head(kHeadBytes, '\0');
        const qint64 got = readUpTo(in.get(), head.data(), head.size());
        if (got < 0)
            return failure(tr("تعذر قراءة الملف %1: %2").arg(shownPath(source), lastSystemErrorText()));
        head.truncate(got);
        if (description) {
            if (JpegDescription::isJpeg(head)) {
                const Result<QByteArray> bytes = JpegDescription::encode(*description);
                if (!bytes.ok())
                    return failure(bytes.error());
                const Result<QByteArray> described = JpegDescription::embed(head, *bytes);
                if (!described.ok())
                    return failure(described.error());
                head = *described;
            } else {
                m_notes.append(tr("لم يحفظ الوصف في %1 لأنه ليس صورة JPEG").arg(shownPath(source)));
            }
        }
        const Status started = startTemporary();
        if (!started)
            return Result<FeedWriter::Added>::failure(started.error());
        if (!writeAll(m_out.get(), head.constData(), head.size()))
            return failure(writeError());
        QByteArray chunk(kCopyChunk, '\0');
        for (;;) {
            const qint64 n = readUpTo(in.get(), chunk.data(), chunk.size());
            if (n < 0)
                return failure(tr("تعذر قراءة الملف %1: %2").arg(shownPath(source), lastSystemErrorText()));
            if (n == 0)
                break;
            if (!writeAll(m_out.get(), chunk.constData(), n))
                return failure(writeError());
        }
        return finish(QFileInfo(source).fileName());
    }

    Result<FeedWriter::Added> addText(const QByteArray &content)
    {
        const Status started = startTemporary();
        if (!started)
            return Result<FeedWriter::Added>::failure(started.error());
        if (!writeAll(m_out.get(), content.constData(), content.size()))
            return failure(writeError());
        return finish(u"text-%1.txt"_s.arg(nextSequence()));
    }

private:
    Status readNames()
    {
        QByteArray all(qsizetype(m_size), '\0');
        if (m_size > 0 && ::pread(m_index.get(), all.data(), size_t(m_size), 0) != m_size)
            return Status::failure(tr("تعذر قراءة ملف الفهرس %1: %2").arg(shownPath(m_indexPath), lastSystemErrorText()));
        for (qint64 at = 0; at < m_size; at += FeedIndex::kRecordSize)
            m_taken.insert(FeedIndex::parseRecord(all.mid(at, FeedIndex::kRecordSize)).name);
        return {};
    }

    QString writeError() const { return tr("تعذرت الكتابة في المجلد %1: %2").arg(shownPath(m_folder), lastSystemErrorText()); }

    Result<FeedWriter::Added> failure(const QString &message) { return Result<FeedWriter::Added>::failure(message); }

    // A writer killed while it copied an item leaves its temporary file behind; the next round
    // removes those whose writer is gone. A live writer's (this folder may have several) stays.
    void removeDeadWritersTemporaries() const
    {
        const QStringList names = QDir(m_folder).entryList({kFeedTemporaryStart + u'*' + kFeedTemporaryEnd},
                                                           QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : names) {
            bool ok = false;
            const pid_t pid = name.mid(kFeedTemporaryStart.size()).section(u'-', 0, 0).toInt(&ok);
            if (ok && pid != ::getpid() && !processAlive(pid))
                ::unlink(QFile::encodeName(m_folder + u'/' + name).constData());
        }
    }

    Status startTemporary()
    {
        static int counter = 0;
        m_temporary = m_folder + u'/' + kFeedTemporaryStart + u"%1-%2"_s.arg(::getpid()).arg(++counter) + kFeedTemporaryEnd;
        m_out.reset(::open(QFile::encodeName(m_temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (!m_out.valid()) {
            m_temporary.clear();
            return Status::failure(writeError());
        }
        return {};
    }

    // A name no item of the feed has, on disk or in an earlier record: an old record must never
    // come to name a new file.
    QString freeName(const QString &wanted, int attempt) const
    {
        if (attempt == 0)
            return wanted;
        const QFileInfo info(wanted);
        QString name = info.completeBaseName() + u'-' + QString::number(nextSequence());
        if (attempt > 1)
            name += u'-' + QString::number(attempt);
        return info.suffix().isEmpty() ? name : name + u'.' + info.suffix();
    }

    bool taken(const QString &name) const
    {
        struct stat st;
        return m_taken.contains(name) || ::lstat(QFile::encodeName(m_folder + u'/' + name).constData(), &st) == 0;
    }

    Result<FeedWriter::Added> finish(const QString &wanted)
    {
        if (::fsync(m_out.get()) != 0 || ::close(m_out.release()) != 0)
            return failure(writeError());
        for (int attempt = 0;; ++attempt) {
            const QString name = freeName(wanted, attempt);
            if (taken(name))
                continue;
            const Result<QByteArray> record = FeedIndex::composeRecord(nextSequence(), name);
            if (!record.ok())
                return failure(record.error());
            const QString target = m_folder + u'/' + name;
            const int error = renameNoReplace(QFile::encodeName(m_temporary), QFile::encodeName(target));
            if (error == EEXIST)
                continue;
            if (error != 0) {
                errno = error;
                return failure(writeError());
            }
            m_temporary.clear();
            syncFolder(m_folder);
            return appendRecord(name, target, *record);
        }
    }

    Result<FeedWriter::Added> appendRecord(const QString &name, const QString &target, const QByteArray &record)
    {
        if (!writeAll(m_index.get(), record.constData(), record.size()) || ::fsync(m_index.get()) != 0) {
            const QString message = tr("تعذرت الكتابة في ملف الفهرس %1: %2").arg(shownPath(m_indexPath), lastSystemErrorText());
            // No half record stays behind, and no item without its record.
            if (::ftruncate(m_index.get(), off_t(m_size)) != 0)
                return failure(message);
            ::unlink(QFile::encodeName(target).constData());
            return failure(message);
        }
        FeedWriter::Added added{nextSequence(), name};
        m_size += FeedIndex::kRecordSize;
        m_taken.insert(name);
        return added;
    }

    QString m_folder;
    QString m_indexPath;
    QStringList &m_notes;
    FileDescriptor m_index;
    FileDescriptor m_out;
    QString m_temporary;
    qint64 m_size = 0;
    QSet<QString> m_taken;
};

} // namespace

Status FeedWriter::add(const Request &request, QList<Added> &added, const std::atomic<bool> *stop)
{
    const Status valid = check(request);
    if (!valid)
        return valid;
    Round round(m_folder, m_indexFile, m_notes);
    const Status opened = round.open();
    if (!opened)
        return opened;

    const auto stopped = [stop] { return stop && stop->load(); };
    for (const QString &file : request.files) {
        if (stopped())
            return {};
        std::optional<QString> description;
        if (request.describe)
            description = withNumber(request.description, round.nextSequence());
        const Result<Added> one = round.addFile(file, description);
        if (!one.ok())
            return Status::from(one);
        added.append(*one);
    }
    for (const QString &text : request.texts) {
        if (stopped())
            return {};
        const Result<QByteArray> bytes = Cp1256::encode(withNumber(text, round.nextSequence()));
        if (!bytes.ok())
            return Status::from(bytes);
        const Result<Added> one = round.addText(*bytes);
        if (!one.ok())
            return Status::from(one);
        added.append(*one);
    }
    return {};
}
