#pragma once

#include <QDate>
#include <QString>

// The nevnap command's answers about one day and one name, from the calendar's lookups.
namespace quill::nevnap {

/// The names of a real date: the main names (or that it has none, or that it is the leap day),
/// then, on a line of their own, the other names of the day.
QString dayLines(const QDate &date);
/// The names of a day given without a year that `year` lacks (29 February of a common year).
QString missingDayLines(int month, int day);
/// One line of --het: "2028. február 24. csütörtök: szökőnap, nincs névnap".
QString weekLine(const QDate &date);
/// A name's days, main and other, labelled; a full name is tried word by word. Empty when no
/// word is a name of either calendar.
QString nameLines(const QString &typed);
/// That a name is not in the calendar, with the nearest names.
QString notInCalendar(const QString &typed);

} // namespace quill::nevnap
