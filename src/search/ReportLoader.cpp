#include "ReportLoader.h"

#include "base/FileKinds.h"
#include "base/Palette.h"
#include "ThumbnailCache.h"
#include "cards/Archiver.h"
#include "db/CDFSet.h"
#include "imaging/Thumbnail.h"

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <future>
#include <mutex>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// What the window's thread and the runs share. A run records where it ended only while it is the
// current one, so a run that outlived its stop (it was stuck on a file) can no longer disturb the
// run that replaced it.
struct ReportLoader::Shared
{
    std::atomic<bool> complete{false};
    std::atomic<int> resumePosition{0};
    std::atomic<int> recordCount{-1};
    std::atomic<int> imageRows{0};
    std::atomic<int> textRows{0};

    std::mutex mutex;
    std::optional<SearchKey> resumeKey; // the last record read before the stop
};

namespace {

// The result is read a page at a time: a small first page so that the first hits show at once,
// then larger ones. Between pages no statement is open, so a long report holds no lock that
// would keep other workstations from archiving.
constexpr int kFirstPage = 100;
constexpr int kPageGrowth = 4;
constexpr int kLargestPage = 1000;
// Thumbnails made at once for every core: enough to keep the cores busy while one waits on a disk.
constexpr int kRowsPerCore = 2;
// Rows whose thumbnails are all stored go out in groups of at most this many.
constexpr int kStoredPerGroup = 64;
// Thumbnails made are written to the store in batches of this many (and at the end of a run).
constexpr qsizetype kUnstoredAtOnce = 16;

// Drawn in place of an icon file that is not installed: a folder or a page. No text is drawn, so
// that it can be made where no fonts are loaded.
QImage standInIcon(qint32 kind)
{
    QImage picture(120, 108, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setPen(QColor(Palette::kOutline));
    if (kind == KindFolder) {
        p.setBrush(QColor(Palette::kFolderFill));
        p.drawRect(10, 14, 40, 14);
        p.drawRect(10, 24, 100, 70);
    } else {
        p.setBrush(QColor(Palette::kPageFill));
        p.drawRect(30, 6, 60, 96);
        p.fillRect(36, 16, 48, 12, QColor(Palette::kPageBand));
        for (int y = 40; y < 92; y += 10)
            p.drawLine(38, y, 82, y);
    }
    return picture;
}

bool isImageRow(qint32 kind)
{
    return kind == KindFile || kind == KindImage || kind == KindFolder;
}

ReportHit hitOf(const DocumentRow &row, const QString &fileServer)
{
    ReportHit hit;
    hit.path = Archiver::storedPath(fileServer, row);
    hit.cardNumber = row.cardNumber;
    hit.itemNumber = row.itemNumber;
    hit.kind = row.kind;
    hit.keywords = row.keywords;
    hit.description = row.description;
    hit.text = row.text;
    hit.extension = row.extension;
    return hit;
}

} // namespace

QString reportIconFile(qint32 kind, const QString &extension)
{
    return kind == KindFolder ? FileKinds::folderIcon() : FileKinds::reportIcon(extension);
}

// One run of the loader, on the loader's thread: reads the result from a position on and hands
// every row over through the run. It keeps nothing of the loader but the shared state, so that a
// run left behind by a stop can finish on its own.
class ReportRun
{
public:
    struct Job
    {
        Database db;
        SqlCondition where;
        QString fileServer;
        QString program;
        QString cacheFolder;
        int thumbnailLimit = ReportLoader::kThumbnailSlots;
        std::function<void(int)> hook;
        std::shared_ptr<ReportLoader::Shared> shared;
        int from = 0;
        std::optional<SearchKey> after;
    };

    ReportRun(Job job, ReportLoader *loader, const BackgroundLoader::Run &run)
        : m_job(std::move(job)), m_loader(loader), m_run(run)
    {
    }

    void run();

private:
    QString thumbnailSource(const ReportHit &hit) const;
    // The loader is only reached from the window's thread, and only while it is there.
    void imageRow(const ReportHit &hit, const QImage &thumbnail) const
    {
        m_run.deliver([loader = m_loader, hit, thumbnail] { Q_EMIT loader->imageRow(hit, thumbnail); });
    }
    void textRow(const ReportHit &hit) const
    {
        m_run.deliver([loader = m_loader, hit] { Q_EMIT loader->textRow(hit); });
    }
    void failed(const QString &message) const
    {
        m_run.deliver([loader = m_loader, message] { Q_EMIT loader->failed(message); });
    }

    Job m_job;
    ReportLoader *m_loader;
    BackgroundLoader::Run m_run;
};

// Where the thumbnail of a hit comes from: the archived file itself, or the icon standing for it.
// Empty when the icon is not installed and the stand-in is drawn instead.
QString ReportRun::thumbnailSource(const ReportHit &hit) const
{
    const QString icon = reportIconFile(hit.kind, hit.extension);
    if (icon.isEmpty())
        return hit.path;
    const QString iconPath = m_job.program + icon;
    return QFileInfo::exists(iconPath) ? iconPath : QString();
}

void ReportRun::run()
{
    ReportLoader::Shared &shared = *m_job.shared;
    const CDFSet table(m_job.db);
    ThumbnailCache cache(m_job.cacheFolder, m_job.fileServer);
    // Thumbnails made in this run wait here and are written together.
    QList<std::pair<ThumbnailCache::Entry, QByteArray>> unstored;
    // Most hits that are not pictures share a few icons: each is looked up once per run.
    QHash<QString, QImage> icons;

    // Ends the run; `position` and `after` are where a resume goes on.
    const auto end = [&](int position, const std::optional<SearchKey> &after, bool complete) {
        cache.store(unstored);
        unstored.clear();
        Database::closeThreadConnections();
        if (m_run.current()) {
            const std::lock_guard lock(shared.mutex);
            shared.resumePosition = position;
            shared.resumeKey = after;
            if (complete) {
                shared.complete = true;
                shared.recordCount = position;
            }
        }
    };

    int j = m_job.from;
    std::optional<SearchKey> after = m_job.after;
    // The first page may come with the plan; the rows after it are planned again, for the
    // index, when they are asked for.
    Result<SearchPlan> where = table.planSearch(m_job.where, -1, after ? 0 : kFirstPage);
    if (!where) {
        failed(where.error());
        end(j, after, false);
        return;
    }

    const int cores = std::max(1, QThread::idealThreadCount());
    int pageSize = kFirstPage;
    for (;;) {
        if (m_run.stopRequested()) {
            end(j, after, false);
            return;
        }
        if (after && where->firstRows) {
            where = table.planSearch(m_job.where);
            if (!where) {
                failed(where.error());
                end(j, after, false);
                return;
            }
        }
        const Result<QList<DocumentRow>> page = table.searchPage(*where, after, pageSize);
        if (!page) {
            failed(page.error());
            end(j, after, false);
            return;
        }

        // What every row of the page shows, and the store's entries of the page in one read.
        struct Shown
        {
            bool thumbnail = false;  // the row has a slot
            QString source;          // empty: the stand-in icon
            qsizetype entry = -1;    // into `entries`
            bool owner = false;      // the first row of the page with this entry: it decodes it
            QImage image;
        };
        std::vector<Shown> shown(size_t(page->size()));
        QStringList lookFor;
        QHash<QString, qsizetype> looked;
        int slot = shared.imageRows.load();
        for (qsizetype k = 0; k < page->size(); ++k) {
            const DocumentRow &row = page->at(k);
            if (!isImageRow(row.kind) || slot++ >= m_job.thumbnailLimit)
                continue;
            Shown &s = shown[size_t(k)];
            s.thumbnail = true;
            const ReportHit hit = hitOf(row, m_job.fileServer);
            s.source = thumbnailSource(hit);
            if (s.source.isEmpty()) {
                s.image = Thumbnail::compose(standInIcon(hit.kind));
                continue;
            }
            if (const auto icon = icons.constFind(s.source); icon != icons.constEnd()) {
                s.image = *icon;
                continue;
            }
            auto at = looked.constFind(s.source);
            if (at == looked.constEnd()) {
                at = looked.insert(s.source, lookFor.size());
                lookFor.append(s.source);
                s.owner = true;
            }
            s.entry = *at;
        }
        const QList<ThumbnailCache::Entry> entries = cache.lookUp(lookFor);
        std::vector<QImage> pictures(size_t(entries.size()));
        std::vector<QByteArray> made(size_t(entries.size()));

        // Rows go in groups: stored thumbnails decode quickly, so many at once; a group stops at
        // a few thumbnails to make (one per core and a spare) so that the first rows show soon.
        // The group's pictures are decoded or made side by side, one worker per core.
        for (qsizetype first = 0; first < page->size();) {
            qsizetype last = first;
            int toMake = 0;
            while (last < page->size() && last - first < kStoredPerGroup && toMake < cores * kRowsPerCore) {
                const Shown &s = shown[size_t(last)];
                if (s.owner && entries.at(s.entry).stored.isEmpty())
                    ++toMake;
                ++last;
            }
            std::atomic<qsizetype> next{first};
            const auto work = [&] {
                for (qsizetype k = next++; k < last; k = next++) {
                    const Shown &s = shown[size_t(k)];
                    if (!s.owner)
                        continue;
                    const ThumbnailCache::Entry &e = entries.at(s.entry);
                    QImage &picture = pictures[size_t(s.entry)];
                    picture = ThumbnailCache::decode(e.stored);
                    if (picture.isNull())
                        picture = cache.make(e, &made[size_t(s.entry)]);
                }
            };
            std::vector<std::future<void>> helpers;
            for (int c = 1; c < cores && c < last - first; ++c)
                helpers.push_back(std::async(std::launch::async, work));
            work();
            for (std::future<void> &h : helpers)
                h.get();

            for (qsizetype k = first; k < last; ++k) {
                const DocumentRow &row = page->at(k);
                if (m_job.hook)
                    m_job.hook(j);
                if (m_run.stopRequested()) {
                    end(j, after, false);
                    return;
                }
                Shown &s = shown[size_t(k)];
                if (s.entry >= 0) {
                    s.image = pictures[size_t(s.entry)];
                    if (s.owner && !made[size_t(s.entry)].isEmpty())
                        unstored.append({entries.at(s.entry), made[size_t(s.entry)]});
                    if (!reportIconFile(row.kind, row.extension).isEmpty())
                        icons.insert(s.source, s.image);
                }
                if (isImageRow(row.kind)) {
                    ReportHit hit = hitOf(row, m_job.fileServer);
                    const int index = shared.imageRows++;
                    hit.number = index < m_job.thumbnailLimit ? index : -1;
                    imageRow(hit, hit.number >= 0 && s.thumbnail ? s.image : QImage());
                } else if (row.kind == KindText) {
                    ReportHit hit = hitOf(row, m_job.fileServer);
                    hit.number = shared.textRows++;
                    textRow(hit);
                }
                after = SearchKey::of(row);
                ++j;
            }
            if (unstored.size() >= kUnstoredAtOnce) {
                cache.store(unstored);
                unstored.clear();
            }
            first = last;
        }
        if (page->size() < pageSize) {
            end(j, after, true);
            return;
        }
        pageSize = std::min(pageSize * kPageGrowth, kLargestPage);
    }
}

ReportLoader::ReportLoader(Database db, SqlCondition where, QString fileServerFolder, QString programFolder,
                           QObject *parent)
    : QObject(parent)
    , m_db(std::move(db))
    , m_where(std::move(where))
    , m_fileServer(std::move(fileServerFolder))
    , m_program(std::move(programFolder))
    , m_shared(std::make_shared<Shared>())
    , m_loader(new BackgroundLoader(this))
{
    qRegisterMetaType<ReportHit>();
    connect(m_loader, &BackgroundLoader::finished, this, &ReportLoader::finished);
}

ReportLoader::~ReportLoader()
{
    // Before the members the rows are made from go.
    m_loader->stop(BackgroundLoader::Pending::Drop, kStopWaitMs);
}

void ReportLoader::setThumbnailCacheFolder(const QString &folder) { m_cacheFolder = folder; }
void ReportLoader::setThumbnailLimit(int slotCount) { m_thumbnailLimit = slotCount; }
void ReportLoader::setRecordHook(std::function<void(int)> hook) { m_hook = std::move(hook); }

bool ReportLoader::isRunning() const { return m_loader->isRunning(); }
bool ReportLoader::isComplete() const { return m_shared->complete.load(); }
int ReportLoader::resumePosition() const { return m_shared->resumePosition.load(); }
int ReportLoader::recordCount() const { return m_shared->recordCount.load(); }

void ReportLoader::requestStop() { m_loader->requestStop(); }

bool ReportLoader::stop()
{
    // The rows read before the stop still arrive, and so does the end of the run.
    return m_loader->stop(BackgroundLoader::Pending::Deliver, kStopWaitMs);
}

void ReportLoader::start()
{
    stop();
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->resumeKey.reset();
    }
    m_shared->recordCount = -1;
    m_shared->resumePosition = 0;
    m_shared->imageRows = 0;
    m_shared->textRows = 0;
    m_shared->complete = false;
    launch(0);
}

void ReportLoader::resume()
{
    stop();
    if (m_shared->complete.load())
        return;
    launch(m_shared->resumePosition.load());
}

void ReportLoader::launch(int from)
{
    ReportRun::Job job;
    job.db = m_db;
    job.where = m_where;
    job.fileServer = m_fileServer;
    job.program = m_program;
    job.cacheFolder = m_cacheFolder;
    job.thumbnailLimit = m_thumbnailLimit;
    job.hook = m_hook;
    job.shared = m_shared;
    job.from = from;
    {
        const std::lock_guard lock(m_shared->mutex);
        job.after = from > 0 ? m_shared->resumeKey : std::nullopt;
    }
    m_loader->start([job = std::move(job), loader = this](const BackgroundLoader::Run &run) {
        ReportRun(job, loader, run).run();
    });
}
