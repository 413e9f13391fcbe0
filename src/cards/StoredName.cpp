#include "StoredName.h"

namespace {
constexpr QChar kSeparator = u'&';
}

QString StoredName::prefix(qint32 card, qint32 item)
{
    return QString::number(card) + kSeparator + QString::number(item) + kSeparator;
}

QString StoredName::make(qint32 card, qint32 item, const QString &name)
{
    return prefix(card, item) + name;
}

std::optional<StoredName> StoredName::parse(const QString &text)
{
    const qsizetype first = text.indexOf(kSeparator);
    if (first < 0)
        return std::nullopt;
    StoredName parsed;
    parsed.card = text.left(first).toInt();
    const qsizetype second = text.indexOf(kSeparator, first + 1);
    if (second < 0) {
        parsed.item = text.mid(first + 1).toInt();
        return parsed;
    }
    parsed.item = text.mid(first + 1, second - first - 1).toInt();
    parsed.name = text.mid(second + 1);
    return parsed;
}
