#include "ShownCard.h"

#include "CardFileList.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"
#include "db/ClassPath.h"

Result<ShownCard> ShownCard::read(const Database &db, qint32 number, const QString &classAccess,
                                  const QString &fileServer)
{
    const Result<QList<DocumentRow>> rows = CDFSet(db).cardRows(number);
    if (!rows)
        return Result<ShownCard>::failure(rows.kind(), rows.error());
    ShownCard shown;
    if (rows->isEmpty())
        return shown;
    const DocumentRow &card = rows->first();
    shown.draft.number = number;
    if (!ClassPath::permits(classAccess, card.classPath)) {
        shown.outcome = Outcome::Refused;
        return shown;
    }
    shown.outcome = Outcome::Shown;
    shown.draft.date = card.cardDate.date();
    shown.draft.name = card.cardName;
    shown.draft.notes = card.notes;
    shown.draft.editor = card.editor;

    const CClaSet classes(db);
    for (const qint32 code : ClassPath::codes(card.classPath, ClassPath::kShownCodes)) {
        if (code <= 0)
            continue;
        const Result<QString> name = classes.nameOfCode(code);
        shown.classes.append({QString::number(code), name ? *name : QString()});
        shown.draft.classCodes.append(code);
    }
    for (const DocumentRow &item : *rows) {
        if (item.kind == KindText)
            shown.draft.texts.append({item.keywords, item.text, true, item.itemNumber});
        else
            shown.draft.files.append(CardFileList::archivedItem(item, fileServer));
    }
    return shown;
}
