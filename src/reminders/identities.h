#pragma once

#include "table.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace quill {

/// The file beside the data file (its name with ".uid") that keeps each row's identity: a line
/// per row in use, "position TAB uid TAB creation date TAB fingerprint", the position counted
/// among the rows in use, as the data file closes them up.
QString identityPathBeside(const QString &dataFile);

/// What makes a row the same reminder: its kind and its texts (the program changes a stored
/// reminder's alert time and switch, never these).
QString reminderFingerprint(const Reminder &reminder);

/// The identity file's bytes for the table's rows in use, in the data file's order.
QByteArray encodeIdentities(const ReminderTable &table);

/// Gives each row in use that has none the identity the file's bytes keep for its position (when
/// its fingerprint agrees), else the one kept for the same reminder elsewhere (a file written
/// before its rows closed up), else the one of its position left over (its texts changed), else a
/// new one given `today`: once to each row of an older file.
void attachIdentities(ReminderTable &table, const QByteArray &bytes, const QDate &today);

} // namespace quill
