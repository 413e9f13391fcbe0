#include "Classifications.h"

#include "db/CClaSet.h"

#include <QCoreApplication>

namespace {
struct ClassificationsTr
{
    Q_DECLARE_TR_FUNCTIONS(Classifications)
};
} // namespace

Result<qint32> addClassification(const Database &db, const NewClassification &c)
{
    const CClaSet classes(db);
    ClassRow row;
    row.codeText = c.code.trimmed();
    row.code = CClaSet::codeNumber(row.codeText);
    row.name = c.name;
    row.notes = c.notes;
    row.parentCode = c.parentCode;
    if (row.codeText.isEmpty())
        return Result<qint32>::failure(ClassificationsTr::tr("رمز التصنيف فارغ"));
    if (c.parentCode == 0) {
        row.parentName = rootClassName();
    } else {
        Result<std::optional<ClassRow>> parent = classes.byCode(c.parentCode);
        if (!parent)
            return Result<qint32>::failure(parent.error());
        if (!parent->has_value())
            return Result<qint32>::failure(ClassificationsTr::tr("لا يوجد تصنيف بالرمز %1").arg(c.parentCode));
        row.parentName = (*parent)->name;
    }
    return classes.insert(row);
}
