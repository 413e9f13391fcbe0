#include "CClaSet.h"

#include "ScopedTransaction.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CClaSetTr
{
    Q_DECLARE_TR_FUNCTIONS(CClaSet)
};

using Classes = RowTable<ClassRow>;

} // namespace

QString rootClassName()
{
    return CClaSetTr::tr("الارشيف");
}

QString CClaSet::duplicateCodeMessage()
{
    return CClaSetTr::tr(" يوجد تصنيف سابق بنفس   الرمز");
}

qint32 CClaSet::codeNumber(const QString &codeText)
{
    qint64 value = 0;
    for (QChar c : codeText) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<qint32>::max())
            return 0;
    }
    return qint32(value);
}

Result<QList<ClassRow>> CClaSet::all() const
{
    return Classes::select(m_db, {}, u"sn"_s);
}

Result<std::optional<ClassRow>> CClaSet::bySerial(qint32 serial) const
{
    return Classes::first(m_db, SqlCondition::equals(u"sn"_s, serial), u"sn"_s);
}

Result<std::optional<ClassRow>> CClaSet::before(qint32 serial) const
{
    return Classes::first(m_db, {u"sn < ?"_s, {serial}}, u"sn DESC"_s);
}

Result<std::optional<ClassRow>> CClaSet::after(qint32 serial) const
{
    return Classes::first(m_db, {u"sn > ?"_s, {serial}}, u"sn"_s);
}

Result<std::optional<ClassRow>> CClaSet::byCode(qint32 code) const
{
    return Classes::first(m_db, SqlCondition::equals(u"n5"_s, code), u"sn"_s);
}

Result<std::optional<ClassRow>> CClaSet::byCodeText(const QString &code) const
{
    return Classes::first(m_db, SqlCondition::equals(u"s1"_s, code), u"sn"_s);
}

Result<QList<ClassRow>> CClaSet::children(qint32 parentCode) const
{
    return Classes::select(m_db, SqlCondition::equals(u"n14"_s, parentCode), u"sn"_s);
}

Result<QString> CClaSet::nameOfCode(qint32 code) const
{
    Result<std::optional<ClassRow>> row = byCode(code);
    if (!row)
        return Result<QString>::failure(row.error());
    return row->has_value() ? (*row)->name : QString();
}

Result<bool> CClaSet::codeTaken(const ClassRow &row) const
{
    SqlCondition same = SqlCondition::equals(u"s1"_s, row.codeText);
    if (row.code != 0)
        same = SqlCondition::anyOf({same, SqlCondition::equals(u"n5"_s, row.code)});
    return Classes::exists(m_db, SqlCondition::allOf({same, {u"sn <> ?"_s, {row.serial}}}));
}

Result<qint32> CClaSet::insert(ClassRow row) const
{
    ScopedTransaction tx(m_db, DbFile::Classes);
    if (!tx.begun())
        return Result<qint32>::failure(tx.begun().error());
    row.serial = 0;
    Result<bool> taken = codeTaken(row);
    if (!taken)
        return Result<qint32>::failure(taken.error());
    if (*taken)
        return Result<qint32>::refused(duplicateCodeMessage());
    Result<qint32> serial = Classes::insert(m_db, row);
    if (!serial)
        return serial;
    row.serial = *serial;
    row.serialText = QString::number(*serial);
    if (Status s = Classes::update(m_db, row); !s)
        return Result<qint32>::failure(s.error());
    if (Status s = tx.commit(); !s)
        return Result<qint32>::failure(s.error());
    return serial;
}

Status CClaSet::update(const ClassRow &row) const
{
    Result<bool> taken = codeTaken(row);
    if (!taken)
        return Status::failure(taken.error());
    if (*taken)
        return Status::refused(duplicateCodeMessage());
    return Classes::update(m_db, row);
}

Result<int> CClaSet::removeSerial(qint32 serial) const
{
    return Classes::remove(m_db, SqlCondition::equals(u"sn"_s, serial));
}
