#pragma once

#include "table.h"

#include <QString>
#include <QStringList>

// The rules of the reminder editor: what its pickers offer, what a store writes, and where the
// alert pickers go when the user leaves a date. Positions are positions in the pickers' lists.
namespace quill::editor {

/// The entries of the editor's pickers, for the current year `year`.
QStringList alertYearEntries(int year);   ///< "*", year .. year+19
QStringList meetingYearEntries(int year); ///< year .. year+19
QStringList monthEntries();               ///< január .. december
QStringList alertDayEntries(int days);    ///< "*", 1 .. days
QStringList dayEntries();                 ///< 1 .. 31
QStringList hourEntries(bool withStar);   ///< ["*"], 00 .. 23
QStringList minuteEntries();              ///< 00 .. 59

/// The texts the editor's inputs hold at the moment of a store.
struct Inputs {
    QString firstLine;    ///< surname, title of the meeting, or meter type
    QString firstName;    ///< the first-name picker
    QString secondLine;   ///< place of the meeting, or consumer id
    QString nameDayDates; ///< the name-day date picked in the list ("" when none)
    QString freeText;     ///< the text of an "Egyéb" reminder
    QString meetingYear, month, day, meetingHour, meetingMinute; ///< birthday and meeting date
    QString alertYear, alertMonth, alertDay, alertHour, alertMinute;
};

/// Fields 0-9 of the row a store appends for a kind.
ReminderFields0to9 storedFields(ReminderKind kind, const Inputs &in);

/// Why a store is refused, if it is: a reminder of nothing (every text the kind shows is empty),
/// or an alert time that can never come (`deadField` names the alert field).
struct StoreCheck {
    enum class Problem { None, NoText, DeadAlert };
    Problem problem = Problem::None;
    int deadField = -1;
};
StoreCheck checkStore(ReminderKind kind, const Inputs &in, int currentYear);

/// The message a refused store shows.
QString refusalText(StoreCheck::Problem problem);

/// Whether the name-day date row (the list and its hint pictures) shows: kind "Névnap" and a
/// first name picked from the list (`pickedName` -1 when the text was typed).
bool showDateRow(ReminderKind kind, int pickedName);

/// Where a pre-fill puts the alert pickers, by position.
struct Prefill {
    int alertMonth = 0;   ///< position in "*", január .. december
    int alertYear = 1;    ///< position in "*", Y .. Y+19
    bool setDay = false;  ///< false: no day to take, the day stays
    bool lastDay = false; ///< the last day of the month now chosen, once the day list follows it
    int alertDay = 0;     ///< otherwise this position of the alert day picker
};

/// The name-day pre-fill from the picked date text ("november 2.", "aug 15. szept 8."): the
/// month by its first three letters, the year (next year when the current month is later), and
/// the day before. The 1st moves to the last day of the previous month; from January that is
/// 31 December of the year before, never earlier than the current year's position.
Prefill nameDayPrefill(const QString &dateText, int alertMonth, int currentMonth,
                       const QStringList &alertMonths);

/// The birthday and meeting day pre-fill from the position picked in the day picker (day p+1):
/// the day before, or for the 1st the last day of the previous month (December from January).
Prefill dayBeforePrefill(int dayPosition, int alertMonth, int alertYear);

/// The year a day picker is measured against: the number the alert year text begins with;
/// "*" and text without a number count as 0, a leap year.
int alertYearValue(const QString &alertYearText);

/// One tick of the hint animation: the new step count and which picture to show. The count
/// stops growing while the picture is hidden.
struct HintTick {
    enum class Frame { Unchanged, First, Second };
    int step = 0;
    Frame frame = Frame::Unchanged;
};
HintTick hintTick(int step, bool pictureVisible);

} // namespace quill::editor
