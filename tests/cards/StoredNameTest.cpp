#include "cards/StoredName.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(StoredName, MakesCardItemAndNameJoinedByAmpersands)
{
    EXPECT_EQ(StoredName::make(12, 3, u"عقد.pdf"_s), u"12&3&عقد.pdf"_s);
    EXPECT_EQ(StoredName::prefix(7, 1), u"7&1&"_s);
    EXPECT_EQ(StoredName::prefix(7, 1) + u"a.txt"_s, StoredName::make(7, 1, u"a.txt"_s));
    EXPECT_EQ((StoredName{40, 2, u"x"_s}.text()), u"40&2&x"_s);
}

TEST(StoredName, ParsesWhatItMakesAndKeepsAmpersandsOfTheName)
{
    for (const QString &name : {u"page.jpg"_s, u"Tom & Jerry.doc"_s, u"&&lead.txt"_s, u"trail&"_s, QString()}) {
        const std::optional<StoredName> parsed = StoredName::parse(StoredName::make(2147483647, 15, name));
        ASSERT_TRUE(parsed.has_value()) << name.toStdString();
        EXPECT_EQ(parsed->card, 2147483647);
        EXPECT_EQ(parsed->item, 15);
        EXPECT_EQ(parsed->name, name);
    }
}

struct Parse
{
    QString text;
    std::optional<StoredName> expected;
};

// A copy order carries only the prefix, and orders written by hand or by older programs may lack
// parts; whatever is missing or not a number reads as 0, and a text without "&" names no card.
TEST(StoredName, PartsThatAreMissingOrNoNumberReadAsNothing)
{
    const std::vector<Parse> cases{
        {u"12&3&"_s, StoredName{12, 3, {}}},
        {u"12&3"_s, StoredName{12, 3, {}}},
        {u"12&"_s, StoredName{12, 0, {}}},
        {u"&3&a.txt"_s, StoredName{0, 3, u"a.txt"_s}},
        {u"x&y&a.txt"_s, StoredName{0, 0, u"a.txt"_s}},
        {u"-4&1&a.txt"_s, StoredName{-4, 1, u"a.txt"_s}},
        {u"&"_s, StoredName{0, 0, {}}},
        {u"12"_s, std::nullopt},
        {QString(), std::nullopt},
    };
    for (const Parse &c : cases) {
        const std::optional<StoredName> parsed = StoredName::parse(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << c.text.toStdString();
        if (!parsed)
            continue;
        EXPECT_EQ(parsed->card, c.expected->card) << c.text.toStdString();
        EXPECT_EQ(parsed->item, c.expected->item) << c.text.toStdString();
        EXPECT_EQ(parsed->name, c.expected->name) << c.text.toStdString();
    }
}

} // namespace
