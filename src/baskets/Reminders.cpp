#include "Reminders.h"

namespace Reminders {

bool isDueOn(const QDateTime &reminder, const QDate &day)
{
    return reminder.isValid() && reminder.date() == day;
}

AlertClock::Tick AlertClock::tick()
{
    ++m_counter;
    Tick t;
    if (m_counter == kAlertTick) {
        t.alert = true;
        m_interval = kLaterIntervalMs;
    }
    if (m_counter == kCycle)
        m_counter = 0;
    t.nextIntervalMs = m_interval;
    return t;
}

} // namespace Reminders
