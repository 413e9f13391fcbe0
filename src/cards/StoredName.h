#pragma once

#include <QString>

#include <optional>

// The name an archived file or folder goes by in its series folder: the card number, "&", the
// item number, "&" and the item's own name as it was on the source disk, so that two cards, or two
// items of one card, may archive files of the same name into one series folder.
struct StoredName
{
    qint32 card = 0;
    qint32 item = 0;
    QString name; // may itself hold "&": only the first two separate the parts

    // "card&item&": what a copy order puts before the source's own name.
    static QString prefix(qint32 card, qint32 item);
    // "card&item&name"
    static QString make(qint32 card, qint32 item, const QString &name);
    QString text() const { return make(card, item, name); }

    // The parts of a stored name or of a prefix alone. A part that is missing or not a number
    // reads as 0 (or empty for the name); a text without any "&" is no stored name at all.
    static std::optional<StoredName> parse(const QString &text);
};
