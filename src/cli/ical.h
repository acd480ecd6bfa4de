#pragma once

#include <QByteArray>
#include <QDateTime>

namespace quill {

/// The name-day calendar as an iCalendar file: one yearly all-day event per day with names,
/// UTF-8, CR LF line ends, lines folded at 75 octets.
QByteArray nameDayICalendar(const QDateTime &stamp);

/// Folds one content line (without its line end) at 75 octets, never inside a UTF-8 sequence.
QByteArray foldICalLine(const QByteArray &line);

} // namespace quill
