#pragma once

#include "events.h"

#include <QDateTime>
#include <libical/ical.h>

// The program's events as libical components, for the codec's writing side.
namespace quill::ical {

/// The zone of this computer's clock as libical knows it; none for UTC or a zone it lacks.
icaltimezone *systemZone();
/// The zone's definition for a calendar whose earliest time is `earliest`, named by its own name
/// ("Europe/Budapest") rather than libical's, without the transitions before that time.
icalcomponent *zoneComponent(icaltimezone *zone, const QDateTime &earliest);
/// A text property of the value.
icalproperty *textProperty(icalproperty_kind kind, const QString &value);
/// One VEVENT of an event, stamped `stamp`, its times of day in `zone` (UTC where none).
icalcomponent *eventComponent(const CalendarEvent &e, const icaltimetype &stamp,
                              icaltimezone *zone);

} // namespace quill::ical
