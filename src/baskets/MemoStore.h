#pragma once

#include "base/Result.h"
#include "db/Database.h"

#include <QDateTime>
#include <QString>

// A memo: a note on one archived item, addressed to one user, with a reminder date. It lives in
// four columns of the item's FILESERVER row (s10 addressee, s11 text, d3 reminder, b1 active);
// writing a memo on a row replaces the one it had.
struct Memo
{
    QString addressee;
    QString text;
    QDateTime reminder; // null when the row never had one
    bool remind = false;
};

// What the memo dialog shows of a row.
struct MemoItem
{
    qint32 serial = 0;
    QString fileName;   // s5
    QString keywords;   // s6
    QDateTime entered;  // d2; null on text rows
    Memo memo;

    // " الملف / " + file name + "  /  " + keywords
    QString caption() const;
};

// The archived item a memo dialog opens on: the serial of its row and, when the card dialog opens
// it, the item's number and the card's number as the card shows them.
struct MemoTarget
{
    qint32 serial = 0;
    qint32 item = 0;
    qint32 card = 0;
};

class MemoStore
{
public:
    explicit MemoStore(Database db) : m_db(std::move(db)) {}

    // A row number as a grid shows it; anything but a positive number fails with a message for
    // the user.
    static Result<qint32> parseRowNumber(const QString &text);
    // Only a positive number names a row; any other fails with the same message.
    static Status checkRowNumber(qint32 serial);

    Result<MemoItem> read(qint32 serial) const;
    // Rewrites only the four memo columns of the row; a serial that names no item row writes
    // nothing and fails with noSuchRowMessage.
    Status write(qint32 serial, const Memo &memo) const;

    static QString noSuchRowMessage(qint32 serial);

    const Database &database() const { return m_db; }

private:
    Database m_db;
};
