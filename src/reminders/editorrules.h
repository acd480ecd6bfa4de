#pragma once

#include "table.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

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

/// The reminder a store appends for a kind (the table makes it active and numbers it).
Reminder storedReminder(ReminderKind kind, const Inputs &in);

/// Why a store is refused, if it is: a reminder of nothing (every text the kind shows is empty),
/// or an alert time that can never come (`deadField` names the alert field).
struct StoreCheck {
    enum class Problem { None, NoText, DeadAlert };
    Problem problem = Problem::None;
    Field deadField = Field::Kind;
};
StoreCheck checkStore(ReminderKind kind, const Inputs &in, int currentYear);

/// The message a refused store shows.
QString refusalText(StoreCheck::Problem problem);

/// Whether the name-day date row (the list and its hint pictures) shows: kind "Névnap" and a
/// first name picked from the list (`pickedName` -1 when the text was typed).
bool showDateRow(ReminderKind kind, int pickedName);

/// What the editor shows for a kind: the captions of its three rows (empty: the row is hidden)
/// and which inputs.
struct KindLayout {
    std::array<QString, 3> captions;
    bool firstLine = false;      ///< `Text1`: every kind but "Egyéb"
    bool firstName = false;      ///< `kernev`: name days and birthdays
    bool secondLine = false;     ///< `Text2`: meetings and meter readings
    bool freeText = false;       ///< `Text3`: "Egyéb" alone
    bool datePickers = false;    ///< `szhonap`, `sznap`: birthdays and meetings
    bool meetingPickers = false; ///< `tev`, `tora`, `tperc`: meetings
};
KindLayout kindLayout(ReminderKind kind);

/// Where a pre-fill puts the alert: values, each part left as it is where it says none.
struct Prefill {
    int month = 0;           ///< 1-12, or 0 for "*" (every month)
    std::optional<int> year; ///< none: the alert year stays
    std::optional<int> day;  ///< none: there was no day to take, the alert day stays
    bool operator==(const Prefill &) const = default;
};

/// The name-day pre-fill from the picked date text ("november 2.", "aug 15. szept 8."): the
/// month by its first three letters (`alertMonth`, 0-12, stays when none matches), this year or
/// the next when `today`'s month is later, and the day before the day the text names.
Prefill nameDayPrefill(const QString &dateText, int alertMonth, const QDate &today);
/// The name-day dates offered for a first name, one a choice: a main name's days as the index
/// writes them ("aug 15.", "február 9."), a name of the extended list alone its days; each day as
/// the year of its alert has it (a month already past comes next year; in a leap year the
/// names of 24-28 February a day later). None for a name of neither calendar.
QStringList nameDayChoices(const QString &name, const QDate &today);

/// The birthday and meeting pre-fill from the day picked (1-31, 0 for none): the day before, in
/// the alert month (0-12) and year (none for "*") as they stand.
Prefill dayBeforePrefill(int day, int alertMonth, std::optional<int> alertYear, int currentYear);

/// The day before the 1st of `month` (0 for "*"): the last day of the month before, the year
/// before for January (never before `currentYear`); "*" gives its 31st.
Prefill lastDayBefore(int month, std::optional<int> year, int currentYear);

/// What an alert time will do, in plain Hungarian, for the line under the editor's alert pickers:
/// "2027. augusztus 14-én, egész nap minden órában :00-kor", "minden évben március 14-én
/// 8:00-kor", "soha – ilyen nap nincs".
QString describeAlert(const AlertTime &time, int currentYear);

/// How many times a day the alert time comes on a day it comes at all: 24 with "*" as its hour.
int alertsPerDay(const AlertTime &time);

/// The question asked before a reminder that comes many times a day is stored.
QString manyTimesQuestion(const AlertTime &time);

/// The day's number with the Hungarian suffix of a date: "1-jén", "2-án", "14-én".
QString dayWithSuffix(int day);

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
