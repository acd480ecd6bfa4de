#pragma once

#include "tradition.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The one home of name lookups: from a name to its days, in the program's main table and in the
// extended list, accents and case optional. Nothing is built before the first lookup, and the
// extended list is searched where it lies, sorted by its folded spelling.
namespace quill {

struct NameDays {
    QString name;              ///< spelled as the calendar spells it
    bool isMain = false;       ///< a name of the main table
    QList<TableDay> mainDays;  ///< its days in the main table, in calendar order
    QList<TableDay> otherDays; ///< its further days in the extended list, in calendar order
    /// Every day, in calendar order.
    QList<TableDay> allDays() const;
};

/// The days of a name spelled exactly as a calendar spells it; none for any other text.
std::optional<NameDays> nameDays(const QString &name);
/// The names of both calendars whose folded spelling is `folded` (foldedForMatching), main names
/// first.
QStringList namesFoldedAs(const QString &folded);
/// The name a typed text stands for: exactly, else written in another case, else a main name
/// written without its accents ("zoltan"). The extended list is not matched without accents:
/// it holds names that differ in an accent alone, and lacks some (Míra, not Mira).
std::optional<QString> calendarSpelling(const QString &typed);
/// The main names in picker order, then the other names of the extended list in its order.
const QStringList &everyName();
/// Name `i` of the extended list (0 to its size - 1), in the order of its folded spelling.
QString extendedName(std::size_t i);

} // namespace quill
