#pragma once

#include <QString>
#include <system_error>

// What the user is told about the data file: after a load, after a failed save.
namespace quill {

struct LoadReport;
struct SaveReport;
class ReminderFile;

/// What the user is told after loading the file at `path`; empty when there is nothing to tell.
QString loadNotice(const LoadReport &report, const QString &path);
/// Whether that notice reports a failure (the file's content could not be used) or a warning.
bool loadNoticeIsFailure(const LoadReport &report);

/// Why a save failed, in the user's words (for every stage, another copy holding the file too).
QString saveFailureReason(const SaveReport &report);
/// The message a failed save shows the user while the program keeps running.
QString saveFailureText(const ReminderFile &file, const SaveReport &report);
/// What a failed save at the end of the program says: where the emergency copy went (or why it
/// could not be written, `emergencyError`).
QString emergencyText(const ReminderFile &file, const SaveReport &report,
                      const std::error_code &emergencyError, const QString &writtenTo);

} // namespace quill
