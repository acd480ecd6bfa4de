#pragma once

#include "events.h"

#include <QString>
#include <optional>

// An event read back as a reminder row (fitevent.cpp); events.h includes this header at its end,
// so every user of the events sees it.
namespace quill {

/// Whether an event, read back, fits a reminder row, and the row.
struct FittedEvent {
    std::optional<Reminder> reminder;
    QString reason; ///< why it does not fit, in the user's words
    /// What of the event the reminder does not follow (single occasions changed or left out
    /// there), in the user's words; empty when it follows all of it.
    QString note;
};

/// The row an event stands for. An event this program wrote gives back its row, with the alert
/// time (from the alarm: a changed alarm changes the alert, not the occasion), the occasion moved
/// and the texts that another program may have changed on it. Any other event fits as a reminder
/// of the kind its category names ("Egyéb" for none), switched on while it has an alarm, when
/// its text can be stored and its times are a single minute or a yearly, monthly, daily or hourly
/// repeat that the alert fields can say. A cancelled event is switched off; one with single
/// occasions changed or left out keeps its repeat, and `note` tells it.
FittedEvent fitEvent(const CalendarEvent &event, LeapDayRule leapDay = LeapDayRule::February28);

} // namespace quill
