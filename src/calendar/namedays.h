#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quill {

/// Why a lookup found nothing: no such month, no such day in it, no such first name.
enum class LookupError { None, Month, Day, Name };

struct NameLookup {
    LookupError error = LookupError::None;
    QString names; ///< the day's entry, valid when error is None (may be empty: 29 February)
};

/// The fixed name-day calendar: one text of one or two names per day, 366 days.
class NameDayCalendar {
public:
    /// Month 1-12 and day 1-31; an empty text outside the table.
    static QString entry(int month, int day);
    /// 31, 29, 31, 30, ...: February always has its 29th day here.
    static int tableDays(int month);
    /// The day's names from a month name (Hungarian or English, exact) and a plain day text
    /// ("1" to the month's last day, nothing else).
    static NameLookup lookup(QStringView month, QStringView day);
};

/// The 436 first names in picker order.
const QStringList &FirstNameList();

/// From a first name (exact) to the text of its name-day dates.
class NameDayIndex {
public:
    /// The index text, for instance " február 9." or "január 1." or " máj 11. okt 4. dec 3.",
    /// its days as celebrated in `year` (a common year by default): in a leap year the names of
    /// 24-28 February are a day later (Mátyás " február 25.").
    static std::optional<QString> dates(const QString &name, int year = 2001);
    /// The same text as the reminder editor's list shows it: one leading blank dropped.
    static std::optional<QString> editorDates(const QString &name, int year = 2001);
};

} // namespace quill
