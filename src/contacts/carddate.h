#pragma once

#include <QString>

#include <optional>

namespace quill::contacts {

/// A day of the year, with its year when known (0: not known).
struct CardDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const CardDate &) const = default;
};

/// A date as cards write it: "1985-04-15", "19850415", "--0415", "--04-15", a date-time, and
/// the year `omittedYear` (Apple's X-APPLE-OMIT-YEAR, 1604 by default) as no year.
std::optional<CardDate> parseCardDate(const QString &value, int omittedYear = 1604);

} // namespace quill::contacts
