#pragma once

#include "ClassRow.h"

#include <optional>

// The name the root of the classification tree goes by; it is not a row.
QString rootClassName();

// The recordset of the classifications (table Class).
//
// The queries run against table Class.
class CClaSet
{
public:
    explicit CClaSet(Database db) : m_db(std::move(db)) {}

    Result<QList<ClassRow>> all() const; // ORDER BY sn
    Result<std::optional<ClassRow>> bySerial(qint32 serial) const;
    Result<std::optional<ClassRow>> before(qint32 serial) const; // the nearest lower serial
    Result<std::optional<ClassRow>> after(qint32 serial) const;  // the nearest higher serial
    Result<std::optional<ClassRow>> byCode(qint32 code) const;   // WHERE n5 = code
    Result<std::optional<ClassRow>> byCodeText(const QString &code) const; // WHERE s1 = code
    Result<QList<ClassRow>> children(qint32 parentCode) const;   // WHERE n14 = code ORDER BY sn

    // s2 of the classification with the code; empty when there is none.
    Result<QString> nameOfCode(qint32 code) const;

    // Adds the row and sets its s4 to its new serial, both in one transaction. A code already in
    // use is refused with the duplicate-code message and writes nothing.
    Result<qint32> insert(ClassRow row) const;
    // Refused the same way when the edited code belongs to another classification.
    Status update(const ClassRow &row) const;
    Result<int> removeSerial(qint32 serial) const;

    static QString duplicateCodeMessage();
    // n5 of a code text: the decimal value of the digits at its start, 0 when there are none.
    static qint32 codeNumber(const QString &codeText);

private:
    Result<bool> codeTaken(const ClassRow &row) const;

    Database m_db;
};
