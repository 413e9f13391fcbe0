#include "ClassEditor.h"

#include "db/CClaSet.h"
#include "db/CDFSet.h"

using namespace Qt::Literals::StringLiterals;

QString ClassEditor::firstMessage()
{
    return u"it the first"_s;
}

QString ClassEditor::lastMessage()
{
    return u"it the last"_s;
}

QString ClassEditor::documentsUnderItMessage()
{
    return tr("توجد وثائق فرعية");
}

QString ClassEditor::deletedMessage()
{
    return tr("تم الحذف");
}

ClassEditor::Outcome ClassEditor::showRow(const Result<std::optional<ClassRow>> &row, const QString &noneMessage)
{
    if (!row)
        return {Outcome::Failed, row.error()};
    if (!row->has_value())
        return noneMessage.isEmpty() ? Outcome{Outcome::Nothing} : Outcome{Outcome::Message, noneMessage};
    const ClassRow &r = **row;
    m_fields.parentName = r.parentName;
    m_fields.parentCode = QString::number(r.parentCode);
    m_fields.number = QString::number(r.serial);
    m_fields.code = r.codeText;
    m_fields.name = r.name;
    m_fields.notes = r.notes;
    return {Outcome::Done, {}, r.serial};
}

ClassEditor::Outcome ClassEditor::show(qint32 serial)
{
    return showRow(CClaSet(m_db).bySerial(serial), {});
}

ClassEditor::Outcome ClassEditor::first()
{
    return showRow(CClaSet(m_db).after(0), {});
}

ClassEditor::Outcome ClassEditor::last()
{
    return showRow(CClaSet(m_db).before(std::numeric_limits<qint32>::max()), {});
}

ClassEditor::Outcome ClassEditor::previous()
{
    return showRow(CClaSet(m_db).before(m_fields.number.toInt()), firstMessage());
}

ClassEditor::Outcome ClassEditor::next()
{
    return showRow(CClaSet(m_db).after(m_fields.number.toInt()), lastMessage());
}

void ClassEditor::clear()
{
    const QString parentCode = m_fields.parentCode;
    m_fields = {};
    // The parent code stays, so that the next adds go under the same parent.
    m_fields.parentCode = parentCode;
}

void ClassEditor::pickParent(const QString &code, const QString &name)
{
    m_fields.parentName = name;
    m_fields.parentCode = code;
}

void ClassEditor::lookUpParent()
{
    const qint32 code = CClaSet::codeNumber(m_fields.parentCode.trimmed());
    if (code == 0) {
        m_fields.parentName = rootClassName();
        return;
    }
    const Result<std::optional<ClassRow>> row = CClaSet(m_db).byCode(code);
    if (row && row->has_value())
        m_fields.parentName = (*row)->name;
}

std::pair<qint32, QString> ClassEditor::parent() const
{
    bool ok = false;
    const qint32 code = m_fields.parentCode.trimmed().toInt(&ok);
    if (!ok || code == 0)
        return {0, rootClassName()};
    // New empties the parent's name but keeps its code; the name is looked up again rather than
    // stored empty.
    QString name = m_fields.parentName;
    if (name.isEmpty()) {
        const Result<std::optional<ClassRow>> row = CClaSet(m_db).byCode(code);
        if (row && row->has_value())
            name = (*row)->name;
    }
    return {code, name};
}

void ClassEditor::fillRow(ClassRow &row) const
{
    const auto [parentCode, parentName] = parent();
    row.codeText = m_fields.code;
    row.code = CClaSet::codeNumber(m_fields.code.trimmed());
    row.name = m_fields.name;
    row.notes = m_fields.notes;
    row.parentCode = parentCode;
    row.parentName = parentName;
}

ClassEditor::Outcome ClassEditor::add()
{
    ClassRow row;
    fillRow(row);
    const Result<qint32> serial = CClaSet(m_db).insert(row);
    clear();
    // A code already in use is the user's to correct; anything else broke.
    if (!serial)
        return {serial.refused() ? Outcome::Warning : Outcome::Failed, serial.error(), 0, true};
    return {Outcome::Done, {}, *serial, true};
}

ClassEditor::Outcome ClassEditor::edit()
{
    bool ok = false;
    const qint32 serial = m_fields.number.toInt(&ok);
    const CClaSet classes(m_db);
    const Result<std::optional<ClassRow>> found = ok ? classes.bySerial(serial) : Result<std::optional<ClassRow>>(std::nullopt);
    if (!found)
        return {Outcome::Failed, found.error()};
    if (!found->has_value())
        return {Outcome::Nothing};
    ClassRow row = **found;
    fillRow(row);
    const Status s = classes.update(row);
    if (!s)
        return {s.refused() ? Outcome::Warning : Outcome::Failed, s.error(), serial, true};
    return {Outcome::Done, {}, serial, true};
}

ClassEditor::Outcome ClassEditor::remove()
{
    const qint32 code = CClaSet::codeNumber(m_fields.code.trimmed());
    const Result<bool> used = CDFSet(m_db).hasDocumentsUnder(code);
    if (!used)
        return {Outcome::Failed, used.error()};
    if (*used)
        return {Outcome::Message, documentsUnderItMessage()};
    const CClaSet classes(m_db);
    // A code that is no number can only be told by its text.
    const Result<std::optional<ClassRow>> row = code != 0 ? classes.byCode(code) : classes.byCodeText(m_fields.code.trimmed());
    if (!row)
        return {Outcome::Failed, row.error()};
    if (!row->has_value())
        return {Outcome::Nothing};
    const Result<int> removed = classes.removeSerial((*row)->serial);
    if (!removed)
        return {Outcome::Failed, removed.error()};
    clear();
    return {Outcome::Message, deletedMessage(), (*row)->serial, true};
}
