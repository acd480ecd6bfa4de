#pragma once

#include "calendar/tradition.h"

#include <QHash>
#include <QString>

#include <optional>
#include <system_error>

namespace quill {

/// What the last round agreed on with one calendar, per UID: the item's address, its entity tag,
/// and the row both sides held then. An agreement belongs to one data file and one calendar
/// address; with another address it says nothing.
struct Agreement {
    struct Entry {
        QString href;
        QString etag;
        QString line;
        bool operator==(const Entry &) const = default;
    };
    QString calendar;
    QString ctag;      ///< the collection's marks when the agreement was made: a round that
    QString syncToken; ///< finds them unchanged asks nothing more
    QHash<QString, Entry> entries;
    /// Items the book had no room for, per UID: the row each brings. Their entries hold no row
    /// (known there, not here); the user was told of them with their tags.
    QHash<QString, QString> waiting;
    /// The leap-day rule the calendar's events were written by; none when not known.
    std::optional<LeapDayRule> leapDay;
    bool operator==(const Agreement &) const = default;
};

/// The file of the agreement with `calendar` in the sync folder `root`: one file per address.
QString agreementPath(const QString &root, const QString &calendar);
QByteArray encodeAgreement(const Agreement &agreement);
/// None when `bytes` is not an agreement.
std::optional<Agreement> decodeAgreement(const QByteArray &bytes);
/// The agreement kept at `path` with `calendar`; an empty one with that address when there is
/// none, or the file is damaged or was made with another address (an empty agreement deletes
/// nothing on either side).
Agreement loadAgreement(const QString &path, const QString &calendar);
/// Writes the agreement whole or not at all; returns the reason of a failure.
std::error_code saveAgreement(const QString &path, const Agreement &agreement);

} // namespace quill
