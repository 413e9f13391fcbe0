#include "ThumbnailCache.h"

#include "imaging/JpegBytes.h"
#include "imaging/Thumbnail.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QVariant>

#include <atomic>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Raised when the table changes shape; a store of another version is built anew.
constexpr int kStoreVersion = 1;
constexpr int kJpegQuality = 75;
// Paths looked up in one statement (well under the engine's limit of bound values).
constexpr qsizetype kPathsPerLookUp = 500;
// A writer of another thread or workstation holds the store: wait this long, then go without it.
constexpr int kBusyWaitMs = 5000;
// SQLite's primary result codes for a damaged file and for a file that is no database.
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

std::atomic<quint64> g_connectionSerial{0};

int codeOf(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

qint64 nanoseconds(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

} // namespace

ThumbnailCache::ThumbnailCache(QString folder, QString archive, Maker maker)
    : m_folder(folder.isEmpty() ? defaultFolder() : std::move(folder))
    , m_maker(maker ? std::move(maker) : Maker(&Thumbnail::make))
{
    const QByteArray key = QCryptographicHash::hash(QDir::cleanPath(archive).toUtf8(), QCryptographicHash::Sha1)
                               .toHex()
                               .left(16);
    m_storePath = m_folder + u"/archive-"_s + QString::fromLatin1(key) + u".sqlite"_s;
    m_connection = u"dovrelle|thumbnails|%1|%2"_s.arg(m_storePath).arg(++g_connectionSerial);
}

ThumbnailCache::~ThumbnailCache()
{
    if (!m_opened)
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString ThumbnailCache::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/thumbnails"_s;
}

bool ThumbnailCache::damaged(int code) const
{
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

bool ThumbnailCache::open()
{
    if (m_opened)
        return true;
    if (m_unusable || !QDir().mkpath(m_folder))
        return false;
    const bool fresh = !QFileInfo::exists(m_storePath);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
    db.setDatabaseName(m_storePath);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(kBusyWaitMs));
    m_opened = true;
    if (!db.open()) {
        m_unusable = true;
        return false;
    }
    QSqlQuery q(db);
    // A cache: losing the last thumbnails to a power cut is cheaper than waiting for the disk at
    // every write; a store the cut damaged is noticed and built anew.
    bool ok = q.exec(u"PRAGMA synchronous=NORMAL"_s) && q.exec(u"PRAGMA user_version"_s) && q.next();
    if (!ok) {
        if (damaged(codeOf(q.lastError())))
            return rebuild();
        m_unusable = true;
        return false;
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version != kStoreVersion) {
        ok = q.exec(u"DROP TABLE IF EXISTS thumbnails"_s)
             && q.exec(u"CREATE TABLE thumbnails (path TEXT PRIMARY KEY NOT NULL, size INTEGER NOT NULL, "
                       "modified INTEGER NOT NULL, jpeg BLOB NOT NULL) WITHOUT ROWID"_s)
             && q.exec(u"PRAGMA user_version=%1"_s.arg(kStoreVersion));
        if (!ok) {
            if (damaged(codeOf(q.lastError())))
                return rebuild();
            m_unusable = true;
            return false;
        }
    }
    if (fresh)
        removeOldPictures();
    return true;
}

// The damaged file is moved aside before it is removed, so that a connection of another thread
// still reading it keeps its file and the new store starts from nothing.
bool ThumbnailCache::rebuild()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_opened = false;
    if (m_rebuilt) {
        m_unusable = true;
        return false;
    }
    m_rebuilt = true;
    const QString aside = m_storePath + u".damaged"_s;
    QFile::remove(aside);
    if (!QFile::rename(m_storePath, aside) && QFileInfo::exists(m_storePath)) {
        m_unusable = true;
        return false;
    }
    QFile::remove(aside);
    QFile::remove(m_storePath + u"-journal"_s);
    m_connection = u"dovrelle|thumbnails|%1|%2"_s.arg(m_storePath).arg(++g_connectionSerial);
    return open();
}

void ThumbnailCache::removeOldPictures() const
{
    static const QRegularExpression oldEntry(u"^[0-9a-f]{40}\\.png$"_s);
    const QStringList names = QDir(m_folder).entryList({u"*.png"_s}, QDir::Files);
    for (const QString &name : names) {
        if (oldEntry.match(name).hasMatch())
            QFile::remove(m_folder + u'/' + name);
    }
}

QList<ThumbnailCache::Entry> ThumbnailCache::lookUp(const QStringList &paths)
{
    QList<Entry> entries;
    entries.reserve(paths.size());
    bool any = false;
    for (const QString &p : paths) {
        Entry e;
        e.path = QDir::cleanPath(QFileInfo(p).absoluteFilePath());
        struct stat st;
        if (::stat(QFile::encodeName(e.path).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            e.present = true;
            e.size = st.st_size;
            e.modified = nanoseconds(st.st_mtim);
            any = true;
        }
        entries.append(e);
    }
    if (!any || !open())
        return entries;

    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        // One read transaction for the whole page: one lock of the file instead of one per row.
        if (!db.transaction()) {
            if (damaged(codeOf(db.lastError())) && rebuild())
                continue;
            return entries;
        }
        QSqlQuery q(db);
        q.setForwardOnly(true);
        // A batch of paths in one statement: the engine looks them up in its index itself, a
        // round trip through the driver per path took most of a cached report's time.
        QHash<QString, QList<qsizetype>> wanted; // a path may stand twice in a page
        bool ok = true;
        for (qsizetype from = 0; ok && from < entries.size();) {
            wanted.clear();
            for (; from < entries.size() && wanted.size() < kPathsPerLookUp; ++from) {
                if (entries[from].present)
                    wanted[entries[from].path].append(from);
            }
            if (wanted.isEmpty())
                break;
            QString marks(wanted.size() * 2 - 1, u',');
            for (qsizetype m = 0; m < marks.size(); m += 2)
                marks[m] = u'?';
            ok = q.prepare(u"SELECT path, size, modified, jpeg FROM thumbnails WHERE path IN ("_s + marks + u')');
            int bound = 0;
            for (auto it = wanted.cbegin(); ok && it != wanted.cend(); ++it)
                q.bindValue(bound++, it.key());
            ok = ok && q.exec();
            while (ok && q.next()) {
                const auto found = wanted.constFind(q.value(0).toString());
                if (found == wanted.cend())
                    continue;
                const QByteArray jpeg = q.value(3).toByteArray();
                for (qsizetype at : *found) {
                    Entry &e = entries[at];
                    if (q.value(1).toLongLong() == e.size && q.value(2).toLongLong() == e.modified)
                        e.stored = jpeg;
                }
            }
            q.finish();
        }
        const int code = ok ? 0 : codeOf(q.lastError());
        q.finish();
        db.commit();
        if (ok)
            return entries;
        for (Entry &e : entries)
            e.stored.clear();
        if (!damaged(code) || !rebuild())
            return entries;
    }
    return entries;
}

QImage ThumbnailCache::decode(const QByteArray &jpeg)
{
    return JpegBytes::decodeRgb32(jpeg, Thumbnail::kSize);
}

QByteArray ThumbnailCache::encode(const QImage &thumbnail)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!thumbnail.save(&buffer, "JPEG", kJpegQuality))
        return {};
    return bytes;
}

QImage ThumbnailCache::make(const Entry &entry, QByteArray *jpeg) const
{
    if (jpeg)
        jpeg->clear();
    if (!entry.present)
        return Thumbnail::compose({});
    QImage made = m_maker(entry.path);
    if (made.isNull() || made.size() != Thumbnail::kSize)
        made = Thumbnail::compose(made);
    const QByteArray bytes = encode(made);
    // Shown as the store will give it back next time, so a report looks the same on every run.
    const QImage again = decode(bytes);
    if (again.isNull())
        return made.convertToFormat(QImage::Format_RGB32);
    if (jpeg)
        *jpeg = bytes;
    return again;
}

void ThumbnailCache::store(const QList<std::pair<Entry, QByteArray>> &made)
{
    bool any = false;
    for (const auto &[entry, jpeg] : made)
        any = any || (entry.present && !jpeg.isEmpty());
    if (!any || !open())
        return;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (!db.transaction()) {
            if (damaged(codeOf(db.lastError())) && rebuild())
                continue;
            return;
        }
        QSqlQuery q(db);
        bool ok = q.prepare(u"INSERT OR REPLACE INTO thumbnails (path, size, modified, jpeg) VALUES (?, ?, ?, ?)"_s);
        for (const auto &[entry, jpeg] : made) {
            if (!ok)
                break;
            if (!entry.present || jpeg.isEmpty())
                continue;
            q.bindValue(0, entry.path);
            q.bindValue(1, entry.size);
            q.bindValue(2, entry.modified);
            q.bindValue(3, jpeg);
            ok = q.exec();
        }
        const int code = ok ? 0 : codeOf(q.lastError());
        q.finish();
        if (ok && db.commit())
            return;
        const int commitCode = ok ? codeOf(db.lastError()) : code;
        db.rollback();
        // A store that cannot take them only costs decoding those files again next time.
        if (!damaged(commitCode) || !rebuild())
            return;
    }
}

QList<QImage> ThumbnailCache::getMany(const QStringList &paths)
{
    const QList<Entry> entries = lookUp(paths);
    QList<QImage> images;
    images.reserve(entries.size());
    QList<std::pair<Entry, QByteArray>> made;
    // A file named twice is made once.
    QHash<QString, QImage> madeNow;
    for (const Entry &e : entries) {
        QImage image = decode(e.stored);
        if (image.isNull()) {
            if (const auto again = madeNow.constFind(e.path); again != madeNow.constEnd()) {
                images.append(*again);
                continue;
            }
            QByteArray jpeg;
            image = make(e, &jpeg);
            if (!jpeg.isEmpty())
                made.append({e, jpeg});
            madeNow.insert(e.path, image);
        }
        images.append(image);
    }
    store(made);
    return images;
}

QImage ThumbnailCache::get(const QString &path)
{
    return getMany({path}).constFirst();
}
