// The search index's folding of typed phrases and stored texts, and the classification codes of a
// stored path: folding twice changes nothing, folded text holds no harakat, tatweel or other alef
// forms, the phrase never becomes SQL text, and every code found stands in the path as "@code@".
#include "FuzzSupport.h"

#include "db/SearchIndex.h"

#include <QSet>

#include <algorithm>

namespace {

bool isFoldedAway(char16_t c)
{
    return (c >= 0x064B && c <= 0x065F) || c == 0x0670 || c == 0x0640 || c == 0x0623 || c == 0x0625 || c == 0x0622
           || c == 0x0671 || c == 0x0649;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    // Half the inputs as UTF-8, half as UTF-16, so that every code unit can be reached.
    QString text;
    if (!bytes.isEmpty() && (uchar(bytes.at(0)) & 1)) {
        for (qsizetype i = 1; i + 1 < bytes.size(); i += 2)
            text.append(QChar(char16_t(uchar(bytes.at(i)) | uchar(bytes.at(i + 1)) << 8)));
    } else {
        text = QString::fromUtf8(bytes);
    }

    const QString folded = SearchIndex::fold(text);
    FUZZ_EXPECT(SearchIndex::fold(folded) == folded);
    for (QChar c : folded)
        FUZZ_EXPECT(!isFoldedAway(c.unicode()));

    for (Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
        const SqlCondition condition = SearchIndex::containsAny(engine, SearchIndex::columns(), text);
        // The statement is the same for every phrase of the same kind: what was typed is only
        // ever a bound value.
        const SqlCondition plain = SearchIndex::containsAny(engine, SearchIndex::columns(),
                                                            folded.size() >= 3 ? QStringLiteral("abc") : QStringLiteral("a"));
        FUZZ_EXPECT(condition.sql == plain.sql);
        FUZZ_EXPECT(condition.sql.count(u'?') == condition.values.size());
    }

    const QList<int> codes = SearchIndex::classCodes(text);
    for (int code : codes)
        FUZZ_EXPECT(text.contains(u'@' + QString::number(code) + u'@'));
    FUZZ_EXPECT(QSet<int>(codes.begin(), codes.end()).size() == codes.size());
    return 0;
}
