#pragma once

#include "alerts.h"
#include "table.h"

#include <QList>
#include <QString>
#include <array>

// The rules of the reminder list: which columns show what, which rows are listed, and which
// in-place entries of the alert time are accepted.
namespace quill::list {

/// The list's eleven side-by-side columns (`List1_0` .. `List1_10`).
enum class Column : int {
    KindLetter = 0, ///< never shown
    Text1 = 1,
    Text2 = 2,
    When = 3,
    AlertYear = 4,
    AlertMonth = 5,
    AlertDay = 6,
    AlertHour = 7,
    AlertMinute = 8,
    FreeText = 9,
    RowKey = 10, ///< the row's number, never shown: the key back into the table
};
inline constexpr int ColumnCount = 11;

/// The table field a column shows.
Field fieldOf(Column column);
/// The alert-time columns, which alone can be corrected in place.
bool isAlertColumn(Column column);

/// Header captions and visible columns for a kind.
struct Layout {
    QString firstHeader, secondHeader, whenHeader;
    bool secondHeaderShown = true;
    bool whenHeaderShown = true;
    std::array<bool, ColumnCount> columnShown{};
};
Layout layoutFor(ReminderKind kind);

/// The table rows listed for a kind, in table order.
QList<int> listedRows(const ReminderTable &table, ReminderKind kind);

/// Whether an in-place entry of an alert-time column is accepted: it passes the column's rule,
/// and it leaves no field of the entry's alert time (`entry`, as it is before the change) that
/// the alert rule can never match. `currentYear` is the clock's year.
bool isValidListEntry(Column column, const QString &text, int currentYear, const AlertTime &entry);

} // namespace quill::list
