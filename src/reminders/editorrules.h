#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace quill::editor {

/// The entries of the editor's pickers for the current year `year`.
QStringList evEntries(int year);   ///< "*", year .. year+19
QStringList tevEntries(int year);  ///< year .. year+19
QStringList honapEntries();        ///< "*", január .. december
QStringList szhonapEntries();      ///< január .. december
QStringList napEntries(int days);  ///< "*", 1 .. days
QStringList sznapEntries();        ///< 1 .. 31
QStringList oraEntries(bool star); ///< ["*"], 00 .. 23
QStringList percEntries();         ///< 00 .. 59

/// The texts the inputs hold at the moment of a store.
struct Inputs {
    QString text1, kernev, text2, list1, text3;
    QString tev, szhonap, sznap, tora, tperc;
    QString ev, honap, nap, ora, perc;
};

/// Fields 0-9 of the row a store appends for kind 0-4.
std::array<QString, 10> storedFields(int kind, const Inputs &in);

/// Whether the name-day date row (the list and its hint pictures) shows: kind "Névnap" and a
/// first name picked from the list.
bool showDateRow(int kind, int pickedNameIndex);

/// Where the name-day pre-fill puts the alert pickers, by position.
struct Prefill {
    int honap = 0;        ///< position in "*", január .. december
    int ev = 1;           ///< position in "*", Y .. Y+19
    bool setDay = false;  ///< false: the date text held no digit, the day stays
    bool lastDay = false; ///< the last day of the month now in `honap`, once `nap` follows it
    int nap = 0;          ///< otherwise this position of `nap`
};

/// The name-day pre-fill from the selected date text T ("november 2.", "aug 15. szept 8."): the
/// month by its first three letters, the year (next year when the current month is later), and
/// the day before. The 1st moves to the last day of the previous month; from January that is
/// 31 December of the year before, never earlier than the current year's position.
Prefill nameDayPrefill(const QString &dateText, int honapIndex, int currentMonth,
                       const QStringList &honapItems);

/// The birthday and meeting day pre-fill from the position picked in `sznap` (day p+1): the day
/// before, or for the 1st the last day of the previous month (December from January).
Prefill dayBeforePrefill(int sznapIndex, int honapIndex, int evIndex);

/// The year a day picker is measured against: the number the alert year text begins with;
/// "*" and text without a number count as 0, a leap year.
int alertYearValue(const QString &evText);

/// One tick of the hint animation: the new count and which picture to show (0: no change,
/// 1: mouse3, 2: mouse4). The count stops growing while the picture is hidden.
struct HintTick {
    int egerlepes = 0;
    int frame = 0;
};
HintTick hintTick(int egerlepes, bool pictureVisible);

} // namespace quill::editor
