#pragma once

#include "base/Result.h"
#include "db/ClassRow.h"

#include <QCoreApplication>
#include <QString>

// The fields of the classification editor and what its buttons do to them and to table Class.
// The dialog only copies its controls into these fields and back.
class ClassEditor
{
    Q_DECLARE_TR_FUNCTIONS(ClassEditor)

public:
    // The form's fields, as texts.
    struct Fields
    {
        QString number;     // 1004: serial of the shown classification
        QString parentCode; // 1006
        QString parentName; // 1002
        QString code;       // 1000
        QString name;       // 1001
        QString notes;      // 1003
        QString filter;     // 1005
    };

    // What a command did, for the dialog to show and to update its list.
    struct Outcome
    {
        enum Kind { Done, Nothing, Message, Warning, Failed };
        Kind kind = Done;
        QString message;
        qint32 serial = 0;    // the row added, changed or deleted
        bool treeChanged = false; // the side bar rebuilds its archive tab
    };

    explicit ClassEditor(Database db) : m_db(std::move(db)) {}

    Fields &fields() { return m_fields; }
    const Fields &fields() const { return m_fields; }

    Outcome show(qint32 serial);
    Outcome first();
    Outcome last();
    Outcome previous();
    Outcome next();
    void clear(); // New: every field but the parent code
    void pickParent(const QString &code, const QString &name);
    void lookUpParent(); // leaving the parent code field
    Outcome add();
    Outcome edit();
    Outcome remove();

    static QString firstMessage();
    static QString lastMessage();
    static QString documentsUnderItMessage();
    static QString deletedMessage();

private:
    Outcome showRow(const Result<std::optional<ClassRow>> &row, const QString &noneMessage);
    // The parent the add and edit commands file under: code 0 and the archive's name when the
    // code field is empty, 0 or not a number.
    std::pair<qint32, QString> parent() const;
    // The row's columns from the fields, the parent as parent() decides it.
    void fillRow(ClassRow &row) const;

    Database m_db;
    Fields m_fields;
};
