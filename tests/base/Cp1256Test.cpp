#include "base/Cp1256.h"

#include <gtest/gtest.h>

TEST(Cp1256, ArabicLettersTakeTheirSingleBytes)
{
    const Result<QByteArray> bytes = Cp1256::encode(QStringLiteral("اسم ملف"));
    ASSERT_TRUE(bytes.ok()) << bytes.error().toStdString();
    EXPECT_EQ(*bytes, QByteArray("\xC7\xD3\xE3\x20\xE3\xE1\xDD", 7));
    EXPECT_EQ(Cp1256::decode(*bytes), QStringLiteral("اسم ملف"));
}

TEST(Cp1256, EveryDefinedByteRoundTrips)
{
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(char(b));
    const QString text = Cp1256::decode(all);
    ASSERT_FALSE(text.contains(QChar(0xFFFD)));
    const Result<QByteArray> back = Cp1256::encode(text);
    ASSERT_TRUE(back.ok()) << back.error().toStdString();
    EXPECT_EQ(*back, all);
}

TEST(Cp1256, CharacterOutsideTheCodePageIsRefusedByName)
{
    const Result<QByteArray> bytes = Cp1256::encode(QStringLiteral("ملف 中"));
    ASSERT_FALSE(bytes.ok());
    EXPECT_TRUE(bytes.error().contains(QStringLiteral("中")));
}

// The lossy form of a name: a character the code page lacks becomes one "?", also when it is a
// pair of UTF-16 units, and the letters around it stay.
TEST(Cp1256, TheLossyFormGivesOneQuestionMarkForEachCharacterItLacks)
{
    EXPECT_EQ(Cp1256::encodeLossy(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
    EXPECT_EQ(Cp1256::encodeLossy(QStringLiteral("\U0001F600\U0001F600")), QByteArray("??"));
    EXPECT_EQ(Cp1256::encodeLossy(QStringLiteral("ب文ب")), QByteArray("\xc8?\xc8"));
}
