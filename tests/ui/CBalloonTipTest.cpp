#include "ui/CBalloonTip.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QPoint kTarget(600, 400);

class BalloonCornerTest : public ::testing::TestWithParam<Qt::Corner>
{
};

TEST_P(BalloonCornerTest, TailTipTouchesTheTargetAndTheBodyLiesTowardsTheOtherSide)
{
    const Qt::Corner corner = GetParam();
    auto *tip = new CBalloonTip;
    tip->setTitle(u" تنبيه "_s);
    tip->setText(u"123\nعقد ايجار\nالمالية"_s);
    tip->showAt(kTarget, corner);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tip));

    EXPECT_EQ(tip->mapToGlobal(tip->tailTip()), kTarget);
    const QRect body = tip->geometry();
    const bool bottom = corner == Qt::BottomLeftCorner || corner == Qt::BottomRightCorner;
    const bool right = corner == Qt::TopRightCorner || corner == Qt::BottomRightCorner;
    EXPECT_EQ(body.center().y() < kTarget.y(), bottom);
    EXPECT_EQ(body.center().x() < kTarget.x(), right);
    tip->close();
}

INSTANTIATE_TEST_SUITE_P(Corners, BalloonCornerTest,
                         ::testing::Values(Qt::TopLeftCorner, Qt::TopRightCorner, Qt::BottomLeftCorner,
                                           Qt::BottomRightCorner));

TEST(CBalloonTipTest, StaysUntilTheCloseButtonIsPressedAndThenGoes)
{
    QPointer<CBalloonTip> tip = new CBalloonTip;
    tip->setTitle(u" تنبيه "_s);
    tip->setText(u"اجتماع"_s);
    tip->setBackgroundColour(QColor(220, 225, 255));
    tip->showAt(kTarget);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tip));
    QSignalSpy closed(tip.data(), &CBalloonTip::closed);

    QTest::qWait(300);
    ASSERT_FALSE(tip.isNull());
    EXPECT_TRUE(tip->isVisible());

    QTest::mouseClick(tip->closeButton(), Qt::LeftButton);
    EXPECT_EQ(closed.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tip.isNull());
}

TEST(CBalloonTipTest, RightToLeftWithIconAndTitleOnTheRightAndCloseOnTheLeft)
{
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    auto *tip = new CBalloonTip;
    tip->setTitle(u" تنبيه "_s);
    tip->setIcon(icon);
    tip->showAt(kTarget);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tip));

    const auto labels = tip->findChildren<QLabel *>();
    const auto iconLabel = std::find_if(labels.begin(), labels.end(), [](QLabel *l) { return !l->pixmap().isNull(); });
    ASSERT_NE(iconLabel, labels.end());
    EXPECT_TRUE((*iconLabel)->isVisible());
    EXPECT_GT((*iconLabel)->x(), tip->closeButton()->x());
    EXPECT_GT(tip->closeButton()->x(), 0);
    EXPECT_LT(tip->closeButton()->x(), tip->width() / 2);
    tip->close();
}

} // namespace
