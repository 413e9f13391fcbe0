#include "Archiver.h"

#include "FileTypes.h"
#include "FolderSize.h"
#include "app/SettingsFiles.h"
#include "db/AllocationLock.h"
#include "db/CDFSet.h"
#include "db/ClassPath.h"
#include "db/ScopedTransaction.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

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

Archiver::Archiver(Folders folders, Database db) : m_folders(std::move(folders)), m_db(std::move(db)) {}

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

QString Archiver::storedPath(const QString &fileServer, const DocumentRow &row)
{
    return fileServer + u'/' + row.s7 + u'/' + QString::number(row.n1) + u'&' + QString::number(row.n2) + u'&'
           + row.s5;
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
    row.n1 = card;
    row.s1 = ClassPath::make(draft.classCodes);
    row.s2 = draft.name;
    row.s3 = draft.notes;
    row.s4 = draft.editor;
    row.d1 = draft.date.startOfDay();
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
        row.n2 = item;
        row.n6 = qint32(std::min<qint64>(file.size, std::numeric_limits<qint32>::max()));
        row.s5 = file.name;
        row.s6 = file.keywords;
        row.s7 = seriesName(series);
        row.s8 = ext == FileTypes::noExtension() ? QString() : ext.toUpper();
        row.n5 = FileTypes::typeCode(ext);
        row.d2 = today;
        row.m3 = file.description;
        if (file.folderLike) {
            row.n3 = KindFolder;
            row.n5 = KindFolder;
        } else {
            row.n3 = FileTypes::isImage(ext) ? KindImage : KindFile;
        }
        plan.rows.append(row);

        CopyOrder order;
        order.prefix = QString::number(card) + u'&' + QString::number(item) + u'&';
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
        row.n2 = item++;
        row.n3 = KindText;
        row.m1 = t.text;
        row.s6 = t.keywords;
        rows.append(row);
    }
    return rows;
}

Status Archiver::applySeries(const Plan &plan) const
{
    // The new series folders and number are in place before the rows that point at them.
    for (qint32 series : plan.newSeries) {
        const QString folder = m_folders.fileServer + u'/' + seriesName(series);
        if (!QDir().mkpath(folder))
            return Status::failure(tr("تعذر انشاء مجلد السلسلة %1").arg(QDir::toNativeSeparators(folder)));
    }
    if (!plan.newSeries.isEmpty())
        return SettingsFiles::writeSeriesNumber(m_folders.database, plan.finalSeries);
    return {};
}

Status Archiver::handOff(const Plan &plan)
{
    if (plan.orders.isEmpty())
        return {};
    const CopyHandOff handOff(m_folders.program, CopyHandOff::Copier::Archive);
    if (Status s = handOff.append(plan.orders); !s)
        return s;
    if (!m_startCopier)
        return {};
    if (!QProcess::startDetached(copierProgram(), {}, m_folders.program + u"/COM"_s))
        m_warning = tr("حُفظت البطاقة لكن تعذر تشغيل برنامج النسخ %1؛ الملفات بانتظار النسخ").arg(copierProgram());
    return {};
}

Result<qint32> Archiver::archiveNew(CardDraft &draft, const WaitCancelled &cancelled)
{
    m_warning.clear();
    if (draft.classCodes.isEmpty())
        return Result<qint32>::failure(noClassificationMessage());
    // A card with nothing in it would take a number and leave no row to show it by.
    if (!draft.hasSomethingToArchive())
        return Result<qint32>::failure(nothingToArchiveMessage());

    AllocationLock lock(m_folders.database);
    if (Status s = lock.acquire(cancelled); !s)
        return Result<qint32>::failure(s.error());

    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<qint32>::failure(conn.error());
    ScopedTransaction tx(*conn, m_db.engine());
    if (!tx.begun())
        return Result<qint32>::failure(tx.begun().error());
    const Result<qint32> card = CDFSet::nextCardNumberIn(*conn);
    if (!card)
        return card;

    CardDraft planned = draft;
    Result<Plan> plan = planFileRows(planned, *card, 1);
    if (!plan)
        return Result<qint32>::failure(plan.error());
    const QList<DocumentRow> texts = planTextRows(planned, *card);
    if (Status s = applySeries(*plan); !s)
        return Result<qint32>::failure(s.error());
    const CDFSet rows(m_db);
    for (const DocumentRow &row : plan->rows + texts) {
        if (Result<qint32> sn = rows.insert(row); !sn)
            return Result<qint32>::failure(sn.error());
    }
    if (Status s = tx.commit(); !s)
        return Result<qint32>::failure(s.error());

    // Written: the draft now shows what the card holds.
    int planIndex = 0;
    for (FileItem &f : draft.files) {
        if (f.archived)
            continue;
        f.archived = true;
        f.itemNumber = plan->rows[planIndex].n2;
        f.storedFolder = m_folders.fileServer + u'/' + plan->rows[planIndex].s7;
        ++planIndex;
    }
    for (TextItem &t : draft.texts)
        t.archived = t.archived || !t.text.isEmpty();
    draft.number = *card;

    // The card is written: a hand-off that fails now is a warning, its files wait for a retry.
    if (const Status copied = handOff(*plan); !copied)
        m_warning = copied.error();
    lock.release();
    return card;
}

Status Archiver::save(CardDraft &draft, const StoredItemDeleter &deleteStored, const WaitCancelled &cancelled)
{
    m_warning.clear();
    // Only a number already given out names a card; any other would be given out again later.
    const Result<DocumentRow> counter = CDFSet(m_db).counterRow();
    if (!counter)
        return Status::failure(counter.error());
    if (draft.number <= 0 || draft.number > counter->n9)
        return Status::failure(noSuchCardMessage(draft.number));
    AllocationLock lock(m_folders.database);
    if (Status s = lock.acquire(cancelled); !s)
        return s;

    const CDFSet rows(m_db);
    const qint32 card = draft.number;
    const Result<QList<DocumentRow>> existing = rows.nonTextRows(card);
    if (!existing)
        return Status::failure(existing.error());
    const qint32 next = existing->isEmpty() ? 1 : existing->last().n2 + 1;

    const DocumentRow fields = cardRow(draft, card);
    QList<DocumentRow> updates;
    QList<qint32> removals;
    for (const DocumentRow &stored : *existing) {
        const auto kept = std::find_if(draft.files.cbegin(), draft.files.cend(), [&](const FileItem &f) {
            return f.archived && f.itemNumber == stored.n2;
        });
        if (kept != draft.files.cend()) {
            DocumentRow row = stored;
            row.s1 = fields.s1;
            row.s2 = fields.s2;
            row.s3 = fields.s3;
            row.s4 = fields.s4;
            row.d1 = fields.d1;
            row.s6 = kept->keywords;
            row.m3 = kept->description;
            updates.append(row);
        } else if (deleteStored && deleteStored(storedPath(m_folders.fileServer, stored))) {
            // The item was taken out of the list and its stored file is gone; a file that could
            // not be deleted keeps its row.
            removals.append(stored.sn);
        }
    }

    CardDraft planned = draft;
    for (TextItem &t : planned.texts)
        t.archived = false;
    Result<Plan> plan = planFileRows(planned, card, next);
    if (!plan)
        return Status::failure(plan.error());
    const QList<DocumentRow> texts = planTextRows(planned, card);

    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Status::failure(conn.error());
    ScopedTransaction tx(*conn, m_db.engine());
    if (!tx.begun())
        return tx.begun();
    if (Status s = applySeries(*plan); !s)
        return s;
    for (const DocumentRow &row : updates) {
        if (Status s = rows.update(row); !s)
            return s;
    }
    for (qint32 sn : removals) {
        if (Result<int> r = rows.removeSerial(sn); !r)
            return Status::failure(r.error());
    }
    const Result<QList<DocumentRow>> oldTexts = rows.textRows(card);
    if (!oldTexts)
        return Status::failure(oldTexts.error());
    for (const DocumentRow &t : *oldTexts) {
        if (Result<int> r = rows.removeSerial(t.sn); !r)
            return Status::failure(r.error());
    }
    for (const DocumentRow &row : plan->rows + texts) {
        if (Result<qint32> sn = rows.insert(row); !sn)
            return Status::failure(sn.error());
    }
    if (Status s = tx.commit(); !s)
        return s;

    // The draft now holds what the card holds.
    QList<FileItem> files;
    int planIndex = 0;
    for (FileItem f : draft.files) {
        if (!f.archived) {
            f.archived = true;
            f.itemNumber = plan->rows[planIndex].n2;
            f.storedFolder = m_folders.fileServer + u'/' + plan->rows[planIndex].s7;
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

    if (const Status copied = handOff(*plan); !copied)
        m_warning = copied.error();
    lock.release();
    return {};
}

Result<int> Archiver::remove(qint32 card)
{
    // Card numbers start at 1: the counter row is no card.
    if (card <= 0)
        return Result<int>::failure(noSuchCardMessage(card));
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<int>::failure(conn.error());
    ScopedTransaction tx(*conn, m_db.engine());
    if (!tx.begun())
        return Result<int>::failure(tx.begun().error());
    const Result<int> removed = CDFSet(m_db).removeCard(card);
    if (!removed)
        return removed;
    if (Status s = tx.commit(); !s)
        return Result<int>::failure(s.error());
    return removed;
}
