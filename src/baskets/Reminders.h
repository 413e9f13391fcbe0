#pragma once

#include <QColor>
#include <QDate>
#include <QDateTime>

namespace Reminders {

// A reminder alerts on the day whose year, month and day are those of its date, in local time.
bool isDueOn(const QDateTime &reminder, const QDate &day);

// The rhythm of the reminder alerts. The first tick comes 2 s after the start and the first alert
// on the second tick; from then on the ticks come every 5 s and an alert every 300 of them, about
// every 25 minutes.
class AlertClock
{
public:
    static constexpr int kFirstIntervalMs = 2000;
    static constexpr int kLaterIntervalMs = 5000;
    static constexpr int kAlertTick = 2;
    static constexpr int kCycle = 300;

    struct Tick
    {
        bool alert = false;
        int nextIntervalMs = kFirstIntervalMs; // the interval until the next tick
    };

    Tick tick();
    int counter() const { return m_counter; }

private:
    int m_counter = 0;
    int m_interval = kFirstIntervalMs;
};

} // namespace Reminders
