#pragma once

#include "table.h"

#include <QList>
#include <QString>
#include <array>

namespace quill::list {

/// Column c of the list window shows this field of a row (column 0 the kind letter, 10 the row).
inline constexpr std::array<int, 11> columnField = {0, 1, 2, 8, 3, 4, 5, 6, 7, 9, 11};

/// Captions and visible columns for a kind.
struct Layout {
    QString header0, header1, header7;
    bool header1Shown = true;
    bool header7Shown = true;
    std::array<bool, 11> columnShown{};
};
Layout layoutFor(int kind);

/// The table rows listed for a kind, in table order.
QList<int> listedRows(const ReminderTable &table, int kind);

/// The table row that the key of column 10 names: the first row whose field 11 equals it, or -1.
int rowForKey(const ReminderTable &table, const QString &key);

/// The entry check of an in-place edit of column 4-8 (alert year, month, day, hour, minute);
/// true when the entry is wrong. `entryYear` and `entryMonth` are the year and month columns of
/// the same entry; `currentYear` the clock's year.
bool kifejezesteszt(int column, const QString &text, int currentYear, const QString &entryYear,
                    const QString &entryMonth);

} // namespace quill::list
