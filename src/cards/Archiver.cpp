#include "Archiver.h"

#include "CopyOutbox.h"
#include "FileTypes.h"
#include "FolderSize.h"
#include "StoreCopy.h"
#include "StoredName.h"
#include "base/FixedRecord.h"
#include "base/SystemError.h"
#include "base/SettingsFiles.h"
#include "db/AllocationLock.h"
#include "db/CDFSet.h"
#include "db/ClassPath.h"
#include "db/ScopedTransaction.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString seriesName(qint32 series)
{
    return u"Ser"_s + QString::number(series);
}

// Texts are kept in the order they stand; empty ones are not archived.
bool archivableText(const TextItem &t)
{
    return !t.archived && !t.text.isEmpty();
}

} // namespace

Archiver::Archiver(Folders folders, Database db, QString classAccess)
    : m_folders(std::move(folders)), m_db(std::move(db)), m_classAccess(std::move(classAccess))
{
}

Archiver::Folders Archiver::foldersOf(const AppState &state)
{
    return {state.programFolder, state.databaseFolder, state.fileServerFolder};
}

QString Archiver::noClassificationMessage()
{
    return tr("اختر تصنيف واحد على الاقل");
}

QString Archiver::nothingToArchiveMessage()
{
    return tr("البطاقة لا تحوي ملفا ولا نصا للأرشفة");
}

QString Archiver::noSuchCardMessage(qint32 card)
{
    return tr("لا توجد بطاقة بالرقم %1").arg(card);
}

QString Archiver::noPermissionMessage()
{
    return tr("لا يوجد صلاحية لهذا المستخدم");
}

QString Archiver::notInStoreMessage(const QString &storedPath)
{
    const QString series = QFileInfo(storedPath).path();
    const QString fileServer = QFileInfo(series).path();
    if (!QFileInfo(fileServer).isDir())
        return StoreCopy::fileServerMissingMessage(fileServer);
    return tr("الملف %1 ليس في مخزن الملفات").arg(QDir::toNativeSeparators(storedPath));
}

QString Archiver::staleFilesLogPath(const QString &databaseFolder)
{
    return databaseFolder + u"/stale-files.log"_s;
}

namespace {

// One line of the stale-files log: local date-time, card, path.
QByteArray staleLine(qint32 card, const QString &path)
{
    return (QStringList{QDateTime::currentDateTime().toString(Qt::ISODate), card > 0 ? QString::number(card) : QString(), path}
                .join(u'\t')
            + u'\n')
        .toUtf8();
}

} // namespace

QList<Archiver::StaleFile> Archiver::staleFiles(const QString &databaseFolder)
{
    QFile log(staleFilesLogPath(databaseFolder));
    QList<StaleFile> stale;
    if (!log.open(QIODevice::ReadOnly))
        return stale;
    QSet<QString> seen;
    for (const QByteArray &line : log.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line);
        const QString path = text.section(u'\t', 2);
        // 0: a line of an older log, which named no card.
        const qint32 card = text.section(u'\t', 1, 1).toInt();
        if (path.isEmpty() || seen.contains(path) || !QFileInfo::exists(path))
            continue;
        seen.insert(path);
        stale.append({card, path});
    }
    return stale;
}

Result<QStringList> Archiver::deleteStaleFiles(const QString &databaseFolder, const QSet<QString> &storedPaths,
                                               const QSet<qint32> &cardsWithRows)
{
    QStringList left;
    QByteArray kept;
    for (const StaleFile &file : staleFiles(databaseFolder)) {
        // A save that never committed still has its row, or a later item came to stand under the
        // same name; a deleted card keeps its files. Neither is a stale file.
        if (storedPaths.contains(file.path) || (file.card > 0 && !cardsWithRows.contains(file.card)))
            continue;
        const bool gone = QFileInfo(file.path).isDir() ? QDir(file.path).removeRecursively() : QFile::remove(file.path);
        if (gone)
            continue;
        left.append(file.path);
        kept += staleLine(file.card, file.path);
    }
    if (kept.isEmpty()) {
        QFile::remove(staleFilesLogPath(databaseFolder));
        return left;
    }
    if (Status s = FixedRecord::writeWhole(staleFilesLogPath(databaseFolder), kept); !s)
        return Result<QStringList>::failure(s.error());
    return left;
}

QString Archiver::storedPath(const QString &fileServer, const DocumentRow &row)
{
    return fileServer + u'/' + row.seriesFolder + u'/' + StoredName::make(row.cardNumber, row.itemNumber, row.fileName);
}

QString Archiver::copierProgram() const
{
    return copierProgramIn(m_folders.program);
}

QString Archiver::copierProgramIn(const QString &programFolder)
{
    const QFileInfo own(programFolder + u"/COM/dovrelle-fm"_s);
    if (own.isExecutable())
        return own.absoluteFilePath();
    return QCoreApplication::applicationDirPath() + u"/dovrelle-fm"_s;
}

DocumentRow Archiver::cardRow(const CardDraft &draft, qint32 card) const
{
    DocumentRow row;
    row.cardNumber = card;
    row.classPath = ClassPath::make(draft.classCodes);
    row.cardName = draft.name;
    row.notes = draft.notes;
    row.editor = draft.editor;
    row.cardDate = draft.date.startOfDay();
    return row;
}

Result<Archiver::Plan> Archiver::planFileRows(CardDraft &draft, qint32 card, qint32 firstItem) const
{
    Plan plan;
    qint32 series = SettingsFiles::readSeriesNumber(m_folders.database);
    // The budget is compared as an unsigned 32-bit number, as it always was.
    const qint64 budget = qint64(quint32(SettingsFiles::readSeriesBudget(m_folders.database)));
    // The copier may not have placed the last cards' files yet: what the rows already put in the
    // series counts as used, whether or not it has arrived.
    const Result<qint64> assigned = CDFSet(m_db).bytesInSeries(seriesName(series));
    if (!assigned)
        return Result<Plan>::failure(assigned.error());
    qint64 used = std::max(folderSize(m_folders.fileServer + u'/' + seriesName(series)), *assigned);
    const QDateTime today = QDate::currentDate().startOfDay();
    qint32 item = firstItem;

    for (FileItem &file : draft.files) {
        if (file.archived)
            continue;
        used += file.size;
        if (used > budget) {
            ++series;
            plan.newSeries.append(series);
            used = file.size;
        }
        const QString ext = FileTypes::extension(file.name);
        const QString seriesFolder = m_folders.fileServer + u'/' + seriesName(series);

        DocumentRow row = cardRow(draft, card);
        row.itemNumber = item;
        row.size = file.size;
        row.fileName = file.name;
        row.keywords = file.keywords;
        row.seriesFolder = seriesName(series);
        row.extension = ext == FileTypes::noExtension() ? QString() : ext.toUpper();
        row.typeCode = FileTypes::typeCode(ext);
        row.archivingDate = today;
        row.description = file.description;
        if (file.folderLike) {
            row.kind = KindFolder;
            row.typeCode = KindFolder;
        } else {
            row.kind = FileTypes::isImage(ext) ? KindImage : KindFile;
        }
        plan.rows.append(row);

        CopyOrder order;
        order.prefix = StoredName::prefix(card, item);
        order.source = file.sourcePath();
        order.destination = seriesFolder;
        plan.orders.append(order);
        if (FileTypes::isCompanionPage(ext)) {
            const QString source = file.sourcePath();
            const QString companion = source.left(source.lastIndexOf(u'.')) + u"_files"_s;
            if (QFileInfo(companion).isDir())
                plan.orders.append({1, QString(), companion, seriesFolder});
        }
        ++item;
    }
    plan.finalSeries = series;
    // Every order must fit its record before anything is written.
    for (const CopyOrder &o : plan.orders) {
        if (Result<QByteArray> r = o.compose(); !r)
            return Result<Plan>::failure(r.error());
    }
    return plan;
}

QList<DocumentRow> Archiver::planTextRows(const CardDraft &draft, qint32 card) const
{
    QList<DocumentRow> rows;
    qint32 item = 1;
    for (const TextItem &t : draft.texts) {
        if (!archivableText(t))
            continue;
        DocumentRow row = cardRow(draft, card);
        row.itemNumber = item++;
        row.kind = KindText;
        row.text = t.text;
        row.keywords = t.keywords;
        rows.append(row);
    }
    return rows;
}

Status Archiver::applySeries(const Plan &plan) const
{
    // The new series folders and number are in place before the rows that point at them.
    for (qint32 series : plan.newSeries) {
        if (Status s = StoreCopy::makeSeriesFolder(m_folders.fileServer + u'/' + seriesName(series)); !s)
            return s;
    }
    if (!plan.newSeries.isEmpty())
        return SettingsFiles::writeSeriesNumber(m_folders.database, plan.finalSeries);
    return {};
}

Status Archiver::roomInStore(const Plan &plan) const
{
    qint64 bytes = 0;
    for (const DocumentRow &row : plan.rows)
        bytes += row.size;
    return plan.rows.isEmpty() ? Status() : StoreCopy::roomFor(m_folders.fileServer, bytes);
}

Status Archiver::permitted(qint32 card) const
{
    const Result<std::optional<DocumentRow>> first =
        RowTable<DocumentRow>::first(m_db, SqlCondition::equals(u"n1"_s, card), u"sn"_s);
    if (!first)
        return Status::failure(first.error());
    // A number whose rows are all gone shows nothing and hides nothing.
    if (first->has_value() && !ClassPath::permits(m_classAccess, (*first)->classPath))
        return Status::failure(noPermissionMessage());
    return {};
}

void Archiver::handOff()
{
    // The orders are safe in the outbox already: what fails here is handed over later.
    const Result<int> delivered = CopyOutbox(m_db, m_folders.program).deliver();
    if (!delivered) {
        addWarning(tr("حُفظت البطاقة لكن تعذر تسليم اوامر النسخ: %1؛ ستُسلّم عند الأرشفة التالية او عند تشغيل "
                       "البرنامج")
                       .arg(delivered.error()));
        return;
    }
    if (*delivered == 0 || !m_startCopier)
        return;
    if (!QProcess::startDetached(copierProgram(), {}, m_folders.program + u"/COM"_s))
        addWarning(tr("حُفظت البطاقة لكن تعذر تشغيل برنامج النسخ %1؛ الملفات بانتظار النسخ").arg(copierProgram()));
}

Status Archiver::logRemovals(const QList<DocumentRow> &removed) const
{
    if (removed.isEmpty())
        return {};
    QByteArray lines;
    for (const DocumentRow &row : removed)
        lines += staleLine(row.cardNumber, storedPath(m_folders.fileServer, row));
    QFile log(staleFilesLogPath(m_folders.database));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(lines) != lines.size() || !log.flush()
        || ::fsync(log.handle()) != 0) {
        return Status::failure(tr("تعذرت الكتابة في %1: %2").arg(QDir::toNativeSeparators(log.fileName()), fileErrorText(log)));
    }
    return {};
}

void Archiver::deleteRemoved(const QList<DocumentRow> &removed, const StoredItemDeleter &deleteStored)
{
    QStringList kept;
    for (const DocumentRow &row : removed) {
        const QString path = storedPath(m_folders.fileServer, row);
        const bool deleted = deleteStored ? deleteStored(path)
                                          : (QFileInfo(path).isDir() ? QDir(path).removeRecursively()
                                                                     : QFile::remove(path) || !QFileInfo::exists(path));
        if (!deleted)
            kept.append(path); // its line in the log, written before the commit, stays for verify
    }
    if (kept.isEmpty())
        return;
    const QString message =
        tr("حُفظت البطاقة، لكن تعذر حذف هذه الملفات من المخزن وقد سُجّلت ليحذفها الأمر dovrelle-admin verify --repair:\n%1")
            .arg(kept.join(u'\n'));
    addWarning(message);
}

void Archiver::addWarning(const QString &message)
{
    m_warning = m_warning.isEmpty() ? message : m_warning + u'\n' + message;
}

Status Archiver::refusalOfNew(const CardDraft &draft)
{
    if (draft.classCodes.isEmpty())
        return Status::refused(noClassificationMessage());
    // A card with nothing in it would take a number and leave no row to show it by.
    if (!draft.hasSomethingToArchive())
        return Status::refused(nothingToArchiveMessage());
    return {};
}

Result<qint32> Archiver::archiveNew(CardDraft &draft, const WaitCancelled &cancelled, std::shared_ptr<AllocationLock> held)
{
    m_warning.clear();
    if (Status refused = refusalOfNew(draft); !refused)
        return Result<qint32>::failure(refused.kind(), refused.error());

    const std::shared_ptr<AllocationLock> lock = held ? std::move(held) : std::make_shared<AllocationLock>(m_folders.database);
    if (Status s = lock->acquire(cancelled); !s)
        return Result<qint32>::failure(s.error());

    ScopedTransaction tx(m_db, DbFile::Archive);
    if (!tx.begun())
        return Result<qint32>::failure(tx.begun().error());
    const Result<qint32> card = CDFSet::nextCardNumberIn(tx.connection());
    if (!card)
        return card;

    CardDraft planned = draft;
    Result<Plan> plan = planFileRows(planned, *card, 1);
    if (!plan)
        return Result<qint32>::failure(plan.error());
    const QList<DocumentRow> texts = planTextRows(planned, *card);
    if (Status s = roomInStore(*plan); !s)
        return Result<qint32>::failure(s.error());
    if (Status s = applySeries(*plan); !s)
        return Result<qint32>::failure(s.error());
    const CDFSet rows(m_db);
    // One statement prepared for all the rows of the card.
    if (Result<int> n = rows.insertMany(plan->rows + texts); !n)
        return Result<qint32>::failure(n.error());
    if (Status s = CopyOutbox(m_db, m_folders.program).write(*card, plan->orders); !s)
        return Result<qint32>::failure(s.error());
    if (Status s = tx.commit(); !s)
        return Result<qint32>::failure(s.error());
    // Tests die here, at the worst moment: the card is written, its orders not yet handed over.
    if (qEnvironmentVariableIsSet("DOVRELLE_TEST_DIE_AFTER_COMMIT"))
        ::_exit(9);

    // Written: the draft now shows what the card holds.
    int planIndex = 0;
    for (FileItem &f : draft.files) {
        if (f.archived)
            continue;
        f.archived = true;
        f.itemNumber = plan->rows[planIndex].itemNumber;
        f.storedFolder = m_folders.fileServer + u'/' + plan->rows[planIndex].seriesFolder;
        ++planIndex;
    }
    for (TextItem &t : draft.texts)
        t.archived = t.archived || !t.text.isEmpty();
    draft.number = *card;

    lock->release();
    handOff();
    return card;
}

Status Archiver::save(CardDraft &draft, const StoredItemDeleter &deleteStored, const WaitCancelled &cancelled,
                      std::shared_ptr<AllocationLock> held)
{
    m_warning.clear();
    // Only a number already given out names a card; any other would be given out again later.
    const Result<DocumentRow> counter = CDFSet(m_db).counterRow();
    if (!counter)
        return Status::failure(counter.error());
    if (draft.number <= 0 || draft.number > counter->lastCardNumber)
        return Status::failure(noSuchCardMessage(draft.number));
    if (Status s = permitted(draft.number); !s)
        return s;
    const std::shared_ptr<AllocationLock> lock = held ? std::move(held) : std::make_shared<AllocationLock>(m_folders.database);
    if (Status s = lock->acquire(cancelled); !s)
        return s;

    const CDFSet rows(m_db);
    const qint32 card = draft.number;
    const Result<QList<DocumentRow>> existing = rows.nonTextRows(card);
    if (!existing)
        return Status::failure(existing.error());
    const qint32 next = existing->isEmpty() ? 1 : existing->last().itemNumber + 1;

    const DocumentRow fields = cardRow(draft, card);
    QList<DocumentRow> updates;
    QList<DocumentRow> removals;
    for (const DocumentRow &stored : *existing) {
        const auto kept = std::find_if(draft.files.cbegin(), draft.files.cend(), [&](const FileItem &f) {
            return f.archived && f.itemNumber == stored.itemNumber;
        });
        if (kept != draft.files.cend()) {
            DocumentRow row = stored;
            row.classPath = fields.classPath;
            row.cardName = fields.cardName;
            row.notes = fields.notes;
            row.editor = fields.editor;
            row.cardDate = fields.cardDate;
            row.keywords = kept->keywords;
            row.description = kept->description;
            updates.append(row);
        } else {
            removals.append(stored);
        }
    }

    CardDraft planned = draft;
    for (TextItem &t : planned.texts)
        t.archived = false;
    Result<Plan> plan = planFileRows(planned, card, next);
    if (!plan)
        return Status::failure(plan.error());
    const QList<DocumentRow> texts = planTextRows(planned, card);

    ScopedTransaction tx(m_db, DbFile::Archive);
    if (!tx.begun())
        return tx.begun();
    // A card deleted at another workstation since this one opened it is not brought back by the
    // save (with only its new items, numbered again from 1 beside the files the delete left).
    const Result<QList<DocumentRow>> still = rows.cardRowsBySerial(card);
    if (!still)
        return Status::failure(still.error());
    if (still->isEmpty())
        return Status::failure(noSuchCardMessage(card));
    if (Status s = roomInStore(*plan); !s)
        return s;
    if (Status s = applySeries(*plan); !s)
        return s;
    for (const DocumentRow &row : updates) {
        if (Status s = rows.update(row); !s)
            return s;
    }
    for (const DocumentRow &row : removals) {
        if (Result<int> r = rows.removeSerial(row.serial); !r)
            return Status::failure(r.error());
    }
    const Result<QList<DocumentRow>> oldTexts = rows.textRows(card);
    if (!oldTexts)
        return Status::failure(oldTexts.error());
    for (const DocumentRow &t : *oldTexts) {
        if (Result<int> r = rows.removeSerial(t.serial); !r)
            return Status::failure(r.error());
    }
    if (Result<int> n = rows.insertMany(plan->rows + texts); !n)
        return Status::failure(n.error());
    if (Status s = CopyOutbox(m_db, m_folders.program).write(card, plan->orders); !s)
        return s;
    if (Status s = logRemovals(removals); !s)
        return s;
    if (Status s = tx.commit(); !s)
        return s;
    // Tests die here: the rows of the removed items are gone, their stored files not yet.
    if (qEnvironmentVariableIsSet("DOVRELLE_TEST_DIE_AFTER_COMMIT"))
        ::_exit(9);

    // The draft now holds what the card holds.
    QList<FileItem> files;
    int planIndex = 0;
    for (FileItem f : draft.files) {
        if (!f.archived) {
            f.archived = true;
            f.itemNumber = plan->rows[planIndex].itemNumber;
            f.storedFolder = m_folders.fileServer + u'/' + plan->rows[planIndex].seriesFolder;
            ++planIndex;
        }
        files.append(f);
    }
    draft.files = files;
    QList<TextItem> kept;
    for (TextItem t : draft.texts) {
        if (!t.text.isEmpty()) {
            t.archived = true;
            kept.append(t);
        }
    }
    draft.texts = kept;

    lock->release();
    // The rows are gone for good: only now may their stored files go.
    deleteRemoved(removals, deleteStored);
    handOff();
    return {};
}

Result<int> Archiver::remove(qint32 card)
{
    // Card numbers start at 1: the counter row is no card.
    if (card <= 0)
        return Result<int>::failure(noSuchCardMessage(card));
    if (Status s = permitted(card); !s)
        return Result<int>::failure(s.error());
    ScopedTransaction tx(m_db, DbFile::Archive);
    if (!tx.begun())
        return Result<int>::failure(tx.begun().error());
    const Result<int> removed = CDFSet(m_db).removeCard(card);
    if (!removed)
        return removed;
    if (Status s = tx.commit(); !s)
        return Result<int>::failure(s.error());
    return removed;
}
