#include "common/ShownText.h"
#include "ui/DateBox.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

// The boxes sit in right-to-left dialogs, as every window of the program.
TEST(DateBox, DatesAndTimesReadDayMonthYearAndAsWrittenInARightToLeftDialog)
{
    QWidget dialog;
    dialog.setLayoutDirection(Qt::RightToLeft);
    QDateEdit *date = DateBox::date(&dialog);
    QDateTimeEdit *stamp = DateBox::dateTime(&dialog, QDateTime(QDate(2026, 12, 9), QTime(17, 21)));
    date->setDate(QDate(2026, 12, 9));
    date->setGeometry(0, 0, 200, 30);
    stamp->setGeometry(0, 40, 240, 30);
    dialog.show();

    EXPECT_EQ(shownText(date).toStdString(), "09/12/2026");
    EXPECT_EQ(shownText(stamp).toStdString(), "09/12/2026 17:21");
    EXPECT_TRUE(drawnInWrittenOrder(date));
    EXPECT_TRUE(drawnInWrittenOrder(stamp));
    EXPECT_TRUE(date->calendarPopup());
}

TEST(DateBox, TheCalendarNamesMonthsAndDaysInArabicWithTheProgramsDigits)
{
    QWidget dialog;
    dialog.setLayoutDirection(Qt::RightToLeft);
    QDateEdit *date = DateBox::date(&dialog);
    date->setDate(QDate(2026, 12, 9));
    QCalendarWidget *calendar = date->calendarWidget();
    ASSERT_NE(calendar, nullptr);
    calendar->show();
    EXPECT_TRUE(calendar->isRightToLeft());

    auto *month = calendar->findChild<QToolButton *>(u"qt_calendar_monthbutton"_s);
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text(), u"ديسمبر"_s);
    auto *days = calendar->findChild<QTableView *>(u"qt_calendar_calendarview"_s);
    ASSERT_NE(days, nullptr);
    QAbstractItemModel *model = days->model();
    QStringList header;
    QStringList numbers;
    for (int column = 0; column < model->columnCount(); ++column) {
        header.append(model->data(model->index(0, column)).toString());
        numbers.append(model->data(model->index(3, column)).toString());
    }
    // Header row then the weeks; the third week of December 2026 runs from Monday the 14th.
    EXPECT_EQ(header.join(u' ').toStdString(), "الاثنين الثلاثاء الأربعاء الخميس الجمعة السبت الأحد");
    EXPECT_EQ(numbers.join(u' ').toStdString(), "14 15 16 17 18 19 20");
}
