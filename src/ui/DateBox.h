#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

class QDateEdit;
class QDateTimeEdit;
class QWidget;

// The date and time boxes of the dialogs: one order for every date (day/month/year), the time as
// it is written, and a calendar pop-up that names months and days in Arabic.
//
// Qt lays a date box out right to left by reversing its sections, so that "09:00" reads "00:09"
// and a day/month/year reads year/month/day. Digits and separators are written left to right in
// Arabic text as well, so the box itself is laid out left to right; only its calendar follows
// the dialog.
class DateBox
{
public:
    static QDateEdit *date(QWidget *parent);
    static QDateTimeEdit *dateTime(QWidget *parent, const QDateTime &value = QDateTime::currentDateTime());

    // Sets an existing box up as the two makers do.
    static void setUp(QDateTimeEdit *box, const QString &format);

    static QString dateFormat();
    static QString dateTimeFormat();
    // Arabic names with the digits 0-9, as every other number of the program is shown.
    static QLocale calendarLocale();
};
