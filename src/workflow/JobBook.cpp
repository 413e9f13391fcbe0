#include "JobBook.h"

#include "db/CFLOWSET.h"
#include "db/CUserSet.h"
#include "db/RowTable.h"
#include "db/ScopedTransaction.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

struct JobBookTr
{
    Q_DECLARE_TR_FUNCTIONS(JobBook)
};

using Jobs = RowTable<WorkflowJob>;

Result<int> exec(QSqlDatabase &conn, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(conn);
    if (!q.prepare(sql))
        return Result<int>::failure(databaseError(q.lastError().text()));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Result<int>::failure(databaseError(q.lastError().text()));
    return q.numRowsAffected();
}

// Takes the settings row for the transaction (a write lock on it, on both engines) and makes it
// when it is missing. True when it was made.
Result<bool> takeSettingsRow(QSqlDatabase &conn)
{
    const Result<int> touched =
        exec(conn, u"UPDATE \"FLOW\" SET n9 = COALESCE(n9, 0) WHERE sn = ?"_s, {kFlowSettingsSerial});
    if (!touched)
        return Result<bool>::failure(touched.error());
    if (*touched > 0)
        return false;
    const Result<int> made = exec(conn, u"INSERT INTO \"FLOW\" (sn, n9) VALUES (?, 0)"_s, {kFlowSettingsSerial});
    if (!made)
        return Result<bool>::failure(made.error());
    return true;
}

Result<bool> numberUsed(const Database &db, qint32 number, qint32 exceptSerial)
{
    return Jobs::exists(db, {u"n2 = ? AND sn > ? AND sn <> ?"_s, {number, kFlowSettingsSerial, exceptSerial}});
}

} // namespace

QString JobBook::missingSettingsMessage()
{
    return JobBookTr::tr("لم يكن سجل اعدادات الأعمال موجودا فأنشئ بلا وحدات");
}

QString JobBook::duplicateNumberMessage(qint32 number)
{
    return JobBookTr::tr("الرقم %1 مستعمل لعمل آخر").arg(number);
}

QString JobBook::goneMessage()
{
    return JobBookTr::tr("هذا العمل لم يعد موجودا");
}

Result<QList<WorkflowJob>> JobBook::all() const
{
    return CFLOWSET(m_db).jobs();
}

Result<QList<WorkflowJob>> JobBook::search(const JobFilter &filter) const
{
    const Result<SqlCondition> where = JobSearch::condition(filter, m_db.engine());
    if (!where)
        return Result<QList<WorkflowJob>>::failure(where.kind(), where.error());
    return CFLOWSET(m_db).search(*where);
}

Result<JobBook::Settings> JobBook::settings() const
{
    const CFLOWSET set(m_db);
    Result<std::optional<WorkflowJob>> row = set.settingsRow();
    if (!row)
        return Result<Settings>::failure(row.error());
    Settings out;
    if (!row->has_value()) {
        ScopedTransaction tx(m_db, DbFile::Archive);
        if (!tx.begun())
            return Result<Settings>::failure(tx.begun().error());
        const Result<bool> made = takeSettingsRow(tx.connection());
        if (!made)
            return Result<Settings>::failure(made.error());
        if (Status s = tx.commit(); !s)
            return Result<Settings>::failure(s.error());
        out.created = *made;
        row = set.settingsRow();
        if (!row || !row->has_value())
            return Result<Settings>::failure(row ? missingSettingsMessage() : row.error());
    }
    out.units = JobRules::unitsOf(**row);
    out.lastNumber = (*row)->lastJobNumber;
    return out;
}

Status JobBook::setUnits(const QStringList &units) const
{
    if (units.size() > kMaxUnits)
        return Status::refused(JobBookTr::tr("لا تتسع قائمة الوحدات لأكثر من %1 وحدات").arg(kMaxUnits));
    ScopedTransaction tx(m_db, DbFile::Archive);
    if (!tx.begun())
        return tx.begun();
    if (Result<bool> taken = takeSettingsRow(tx.connection()); !taken)
        return Status::failure(taken.error());
    QStringList sets;
    QVariantList values;
    for (int i = 0; i < kMaxUnits; ++i) {
        sets << u"s%1 = ?"_s.arg(i + 1);
        values << units.value(i);
    }
    values << kFlowSettingsSerial;
    if (Result<int> n = exec(tx.connection(), u"UPDATE \"FLOW\" SET "_s + sets.join(u", "_s) + u" WHERE sn = ?"_s, values); !n)
        return Status::failure(n.error());
    return tx.commit();
}

Result<JobBook::Saved> JobBook::add(const QStringList &cells, const WorkflowPermissions &permissions,
                                    std::optional<qint32> offeredNumber) const
{
    if (!permissions.newJob)
        return Result<Saved>::refused(JobBookTr::tr("ليس لديك صلاحية اضافة عمل جديد"));
    Result<WorkflowJob> job = JobRules::jobFromCells(cells, JobRules::newJob(), permissions);
    if (!job)
        return Result<Saved>::failure(job.kind(), job.error());

    ScopedTransaction tx(m_db, DbFile::Archive);
    if (!tx.begun())
        return Result<Saved>::failure(tx.begun().error());
    if (Result<bool> taken = takeSettingsRow(tx.connection()); !taken)
        return Result<Saved>::failure(taken.error());
    const CFLOWSET set(m_db);
    const Result<std::optional<WorkflowJob>> settings = set.settingsRow();
    if (!settings || !settings->has_value())
        return Result<Saved>::failure(settings ? missingSettingsMessage() : settings.error());
    qint32 last = (*settings)->lastJobNumber;

    if (offeredNumber && job->number == *offeredNumber) {
        // The offered number, taken now: the next one after the last issued that no job holds.
        job->number = last;
        for (;;) {
            ++job->number;
            const Result<bool> used = numberUsed(m_db, job->number, 0);
            if (!used)
                return Result<Saved>::failure(used.error());
            if (!*used)
                break;
        }
        last = job->number;
    } else {
        if (job->number <= 0)
            return Result<Saved>::refused(JobBookTr::tr("رقم العمل يجب أن يكون أكبر من صفر"));
        const Result<bool> used = numberUsed(m_db, job->number, 0);
        if (!used)
            return Result<Saved>::failure(used.error());
        if (*used)
            return Result<Saved>::refused(duplicateNumberMessage(job->number));
        // A typed number above the last issued moves it on by one only, as the counter always has.
        if (last < job->number)
            ++last;
    }
    if (Result<int> n = exec(tx.connection(), u"UPDATE \"FLOW\" SET n9 = ? WHERE sn = ?"_s, {last, kFlowSettingsSerial}); !n)
        return Result<Saved>::failure(n.error());
    job->serial = 0;
    const Result<qint32> serial = set.insert(*job);
    if (!serial)
        return Result<Saved>::failure(serial.error());
    if (Status s = tx.commit(); !s)
        return Result<Saved>::failure(s.error());
    return Saved{*serial, job->number};
}

Status JobBook::change(qint32 serial, const QStringList &cells, const WorkflowPermissions &permissions) const
{
    if (!permissions.editJob)
        return Status::refused(JobBookTr::tr("ليس لديك صلاحية تعديل الأعمال"));
    ScopedTransaction tx(m_db, DbFile::Archive);
    if (!tx.begun())
        return tx.begun();
    if (Result<bool> taken = takeSettingsRow(tx.connection()); !taken)
        return Status::failure(taken.error());
    const Result<std::optional<WorkflowJob>> stored =
        Jobs::first(m_db, {u"sn = ? AND sn > ?"_s, {serial, kFlowSettingsSerial}}, u"sn"_s);
    if (!stored)
        return Status::failure(stored.error());
    if (!stored->has_value())
        return Status::refused(goneMessage());
    const Result<WorkflowJob> job = JobRules::jobFromCells(cells, **stored, permissions);
    if (!job)
        return Status::from(job);
    if (job->number <= 0)
        return Status::refused(JobBookTr::tr("رقم العمل يجب أن يكون أكبر من صفر"));
    const Result<bool> used = numberUsed(m_db, job->number, serial);
    if (!used)
        return Status::failure(used.error());
    if (*used)
        return Status::refused(duplicateNumberMessage(job->number));
    if (Status s = CFLOWSET(m_db).update(*job); !s)
        return s;
    return tx.commit();
}

Status JobBook::remove(qint32 serial, const WorkflowPermissions &permissions) const
{
    if (!permissions.deleteJob)
        return Status::refused(JobBookTr::tr("ليس لديك صلاحية حذف الأعمال"));
    if (serial <= kFlowSettingsSerial)
        return Status::refused(goneMessage());
    const Result<int> removed = CFLOWSET(m_db).removeSerial(serial);
    if (!removed)
        return Status::failure(removed.error());
    if (*removed == 0)
        return Status::refused(goneMessage());
    return {};
}

Result<WorkflowPermissions> JobBook::permissionsOf(const QString &userName) const
{
    const Result<std::optional<UserRow>> user = CUserSet(m_db).byName(userName);
    if (!user)
        return Result<WorkflowPermissions>::failure(user.error());
    if (!user->has_value())
        return WorkflowPermissions();
    return WorkflowPermissions::of(**user);
}
