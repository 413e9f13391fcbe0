#include "classes/CardClasses.h"
#include "classes/ClassEditor.h"
#include "classes/ClassTree.h"
#include "common/TestArchive.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

class Editor : public EngineTest
{
protected:
    ClassRow byCode(qint32 code)
    {
        const Result<std::optional<ClassRow>> row = CClaSet(db()).byCode(code);
        EXPECT_TRUE(row.ok() && row->has_value()) << code;
        return row.ok() && row->has_value() ? **row : ClassRow();
    }

    qint32 addWith(ClassEditor &e, const QString &code, const QString &name)
    {
        e.fields().code = code;
        e.fields().name = name;
        const ClassEditor::Outcome o = e.add();
        EXPECT_EQ(o.kind, ClassEditor::Outcome::Done) << o.message.toStdString();
        EXPECT_TRUE(o.treeChanged);
        return o.serial;
    }
};

} // namespace

TEST_P(Editor, AddsGoUnderTheParentCodeThatNewKeeps)
{
    ClassEditor e(db());
    // An empty parent field files at the top, under the archive.
    const qint32 top = addWith(e, QStringLiteral("12"), QStringLiteral("المراسلات"));
    EXPECT_EQ(byCode(12).parentCode, 0);
    EXPECT_EQ(byCode(12).parentName, QStringLiteral("الارشيف"));
    EXPECT_EQ(byCode(12).serialText, QString::number(top));

    // "0" typed on row 12 makes it the parent of the next adds, and New keeps it.
    e.pickParent(QStringLiteral("12"), QStringLiteral("المراسلات"));
    addWith(e, QStringLiteral("31"), QStringLiteral("واردة"));
    e.clear();
    EXPECT_EQ(e.fields().parentCode, QStringLiteral("12"));
    EXPECT_TRUE(e.fields().parentName.isEmpty());
    e.lookUpParent();
    EXPECT_EQ(e.fields().parentName, QStringLiteral("المراسلات"));
    addWith(e, QStringLiteral("32"), QStringLiteral("صادرة"));
    addWith(e, QStringLiteral("33"), QStringLiteral("داخلية"));
    for (qint32 code : {31, 32, 33}) {
        EXPECT_EQ(byCode(code).parentCode, 12) << code;
        EXPECT_EQ(byCode(code).parentName, QStringLiteral("المراسلات")) << code;
    }
    EXPECT_EQ(*ClassTree(db()).pathOfNames(32), QStringLiteral("الارشيف/المراسلات/صادرة"));
    EXPECT_EQ(ClassTree(db()).children(12)->size(), 3);
    EXPECT_EQ(*ClassTree(db()).parentOf(31), 12);

    e.fields().parentCode = QStringLiteral("0");
    e.lookUpParent();
    EXPECT_EQ(e.fields().parentName, QStringLiteral("الارشيف"));
}

TEST_P(Editor, DuplicateCodesWriteNothingOnAddAndOnEdit)
{
    ClassEditor e(db());
    addWith(e, QStringLiteral("5"), QStringLiteral("عقود"));
    const qint32 other = addWith(e, QStringLiteral("6"), QStringLiteral("فواتير"));

    e.fields().code = QStringLiteral("5");
    e.fields().name = QStringLiteral("مكرر");
    const ClassEditor::Outcome dup = e.add();
    EXPECT_EQ(dup.kind, ClassEditor::Outcome::Warning);
    EXPECT_EQ(dup.message, QStringLiteral(" يوجد تصنيف سابق بنفس   الرمز"));
    EXPECT_TRUE(e.fields().code.isEmpty()) << "a failed add empties the fields all the same";
    EXPECT_EQ(CClaSet(db()).all()->size(), 2);

    ASSERT_EQ(e.show(other).kind, ClassEditor::Outcome::Done);
    e.fields().code = QStringLiteral("5");
    EXPECT_EQ(e.edit().kind, ClassEditor::Outcome::Warning);
    EXPECT_EQ(e.fields().code, QStringLiteral("5")) << "a failed edit keeps the typed values";
    EXPECT_EQ(byCode(6).name, QStringLiteral("فواتير"));

    // Editing keeps the serial and s4.
    e.fields().code = QStringLiteral("7");
    e.fields().name = QStringLiteral("فواتير الموردين");
    ASSERT_EQ(e.edit().kind, ClassEditor::Outcome::Done);
    EXPECT_EQ(byCode(7).serial, other);
    EXPECT_EQ(byCode(7).serialText, QString::number(other));
    EXPECT_EQ(byCode(7).name, QStringLiteral("فواتير الموردين"));
}

TEST_P(Editor, DeleteIsRefusedWhileDocumentsAreFiledUnderTheCode)
{
    ClassEditor e(db());
    addWith(e, QStringLiteral("5"), QStringLiteral("أب"));
    e.pickParent(QStringLiteral("5"), QStringLiteral("أب"));
    addWith(e, QStringLiteral("55"), QStringLiteral("ابن"));
    DocumentRow row;
    row.cardNumber = 1;
    row.classPath = QStringLiteral("@55@");
    ASSERT_TRUE(CDFSet(db()).insert(row).ok());

    e.fields().code = QStringLiteral("55");
    const ClassEditor::Outcome refused = e.remove();
    EXPECT_EQ(refused.message, QStringLiteral("توجد وثائق فرعية"));
    EXPECT_TRUE(CClaSet(db()).byCode(55)->has_value());

    // "@55@" does not hold 5: the parent, with a child but no documents, goes.
    e.fields().code = QStringLiteral("5");
    const ClassEditor::Outcome deleted = e.remove();
    EXPECT_EQ(deleted.message, QStringLiteral("تم الحذف"));
    EXPECT_TRUE(deleted.treeChanged);
    EXPECT_FALSE(CClaSet(db()).byCode(5)->has_value());
    EXPECT_TRUE(CClaSet(db()).byCode(55)->has_value()) << "children stay in the table";
    EXPECT_TRUE(ClassTree(db()).children(0)->isEmpty()) << "and are no longer reachable from the root";
}

TEST_P(Editor, NavigationSaysWhenItReachesAnEnd)
{
    ClassEditor e(db());
    EXPECT_EQ(e.first().kind, ClassEditor::Outcome::Nothing);
    const qint32 a = addWith(e, QStringLiteral("1"), QStringLiteral("أ"));
    addWith(e, QStringLiteral("2"), QStringLiteral("ب"));
    const qint32 c = addWith(e, QStringLiteral("3"), QStringLiteral("ج"));

    ASSERT_EQ(e.first().serial, a);
    const ClassEditor::Outcome before = e.previous();
    EXPECT_EQ(before.kind, ClassEditor::Outcome::Message);
    EXPECT_EQ(before.message, QStringLiteral("it the first"));
    EXPECT_EQ(e.fields().number, QString::number(a));
    EXPECT_EQ(e.next().serial, a + 1);
    EXPECT_EQ(e.fields().name, QStringLiteral("ب"));
    ASSERT_EQ(e.last().serial, c);
    EXPECT_EQ(e.next().message, QStringLiteral("it the last"));
}

DOVRELLE_ON_BOTH_ENGINES(Editor);

TEST(CardClassesList, SixAtMostAndEachOnce)
{
    CardClasses card;
    EXPECT_EQ(card.add(QStringLiteral("12"), QStringLiteral("عقود")), CardClasses::AddResult::Added);
    EXPECT_EQ(card.add(QStringLiteral("12"), QStringLiteral("عقود")), CardClasses::AddResult::AlreadyThere);
    EXPECT_EQ(CardClasses::alreadyThereMessage(), QStringLiteral("التصنيف موجود"));
    for (int code = 1; code <= 5; ++code)
        EXPECT_EQ(card.add(QString::number(code), QString()), CardClasses::AddResult::Added);
    EXPECT_EQ(card.add(QStringLiteral("99"), QString()), CardClasses::AddResult::Full);
    EXPECT_EQ(card.add(QStringLiteral("3"), QString()), CardClasses::AddResult::AlreadyThere);
    EXPECT_EQ(card.codes(), (QList<qint32>{12, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(card.removeAt(0));
    EXPECT_FALSE(card.removeAt(7));
    EXPECT_EQ(card.add(QStringLiteral("99"), QString()), CardClasses::AddResult::Added);
}
