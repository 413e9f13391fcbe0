#include "MemoStore.h"

#include "db/CDFSet.h"
#include "db/ScopedTransaction.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct MemoStoreTr
{
    Q_DECLARE_TR_FUNCTIONS(MemoStore)
};

// The counter row carries no item; a memo on it would show in nobody's list as a document.
Result<DocumentRow> itemRow(const CDFSet &set, qint32 serial)
{
    if (serial == kCounterRowSerial)
        return Result<DocumentRow>::failure(MemoStore::noSuchRowMessage(serial));
    const Result<std::optional<DocumentRow>> row = set.rowBySerial(serial);
    if (!row)
        return Result<DocumentRow>::failure(row.error());
    if (!row->has_value())
        return Result<DocumentRow>::failure(MemoStore::noSuchRowMessage(serial));
    return **row;
}

QString invalidRowNumberMessage(const QString &text)
{
    return MemoStoreTr::tr("رقم الملف غير صالح: %1").arg(text);
}

} // namespace

QString MemoItem::caption() const
{
    return MemoStoreTr::tr(" الملف / ") + fileName + u"  /  "_s + keywords;
}

QString MemoStore::noSuchRowMessage(qint32 serial)
{
    return MemoStoreTr::tr("لا يوجد في الأرشيف ملف رقمه %1؛ لم تحفظ الملاحظة").arg(serial);
}

Result<qint32> MemoStore::parseRowNumber(const QString &text)
{
    bool ok = false;
    const qint32 serial = text.trimmed().toInt(&ok);
    if (!ok || serial <= 0)
        return Result<qint32>::failure(invalidRowNumberMessage(text));
    return serial;
}

Status MemoStore::checkRowNumber(qint32 serial)
{
    if (serial <= 0)
        return Status::failure(invalidRowNumberMessage(QString::number(serial)));
    return {};
}

Result<MemoItem> MemoStore::read(qint32 serial) const
{
    const Result<DocumentRow> row = itemRow(CDFSet(m_db), serial);
    if (!row)
        return Result<MemoItem>::failure(row.error());
    MemoItem item;
    item.serial = row->serial;
    item.fileName = row->fileName;
    item.keywords = row->keywords;
    item.entered = row->archivingDate;
    item.memo.addressee = row->reminderUser;
    item.memo.text = row->reminderText;
    item.memo.reminder = row->reminderTime;
    item.memo.remind = row->reminderActive;
    return item;
}

Status MemoStore::write(qint32 serial, const Memo &memo) const
{
    // Read and rewrite in one transaction, so that the other columns written back are the ones
    // the row holds at that moment and the search index changes with the row.
    ScopedTransaction tx(m_db, DbFile::Archive);
    if (Status s = tx.begun(); !s)
        return s;
    const CDFSet set(m_db);
    Result<DocumentRow> row = itemRow(set, serial);
    if (!row)
        return Status::failure(row.error());
    row->reminderUser = memo.addressee;
    row->reminderText = memo.text;
    row->reminderTime = memo.reminder;
    row->reminderActive = memo.remind;
    if (Status s = set.update(*row); !s)
        return s;
    return tx.commit();
}
