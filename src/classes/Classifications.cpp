#include "Classifications.h"

#include "db/CClaSet.h"

#include <QCoreApplication>

namespace {
struct Translate
{
    Q_DECLARE_TR_FUNCTIONS(Classifications)
};
} // namespace

Result<qint32> addClassification(const Database &db, const NewClassification &c)
{
    const CClaSet classes(db);
    ClassRow row;
    row.s1 = c.code.trimmed();
    row.n5 = CClaSet::codeNumber(row.s1);
    row.s2 = c.name;
    row.s3 = c.notes;
    row.n14 = c.parentCode;
    if (row.s1.isEmpty())
        return Result<qint32>::failure(Translate::tr("رمز التصنيف فارغ"));
    if (c.parentCode == 0) {
        row.n12 = rootClassName();
    } else {
        Result<std::optional<ClassRow>> parent = classes.byCode(c.parentCode);
        if (!parent)
            return Result<qint32>::failure(parent.error());
        if (!parent->has_value())
            return Result<qint32>::failure(Translate::tr("لا يوجد تصنيف بالرمز %1").arg(c.parentCode));
        row.n12 = (*parent)->s2;
    }
    return classes.insert(row);
}
