#include "DateBox.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDateTimeEdit>

using namespace Qt::Literals::StringLiterals;

QString DateBox::dateFormat()
{
    return u"dd/MM/yyyy"_s;
}

QString DateBox::dateTimeFormat()
{
    return u"dd/MM/yyyy hh:mm"_s;
}

QLocale DateBox::calendarLocale()
{
    // The Emirates' Arabic names the months as the rest of the Arab east reads them (يناير ...)
    // and writes its numbers with the digits the program uses everywhere else.
    return QLocale(QLocale::Arabic, QLocale::UnitedArabEmirates);
}

void DateBox::setUp(QDateTimeEdit *box, const QString &format)
{
    // The direction first: the box reverses its sections when the format is set while it is
    // right to left.
    box->setLayoutDirection(Qt::LeftToRight);
    box->setLocale(calendarLocale());
    box->setDisplayFormat(format);
    box->setCalendarPopup(true);
    if (QCalendarWidget *calendar = box->calendarWidget()) {
        calendar->setLayoutDirection(Qt::RightToLeft);
        calendar->setLocale(calendarLocale());
    }
}

QDateEdit *DateBox::date(QWidget *parent)
{
    auto *box = new QDateEdit(parent);
    setUp(box, dateFormat());
    return box;
}

QDateTimeEdit *DateBox::dateTime(QWidget *parent, const QDateTime &value)
{
    auto *box = new QDateTimeEdit(value, parent);
    setUp(box, dateTimeFormat());
    return box;
}
