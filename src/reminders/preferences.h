#pragma once

#include "alerts.h"
#include "contacts/people.h"
#include "snoozes.h"

#include <QString>
#include <QTime>
#include <system_error>

// The user's settings (Beállítások), kept in the XDG config folder, never in the data file.
namespace quill {

struct Preferences {
    Notice notice;
    SnoozeChoice lastSnooze = SnoozeChoice::TenMinutes;
    /// Only the tray icon, the strip hidden (where a tray is there to hold the icon).
    bool trayOnly = false;
    /// The address book: a .vcf file or a folder of them; empty for none.
    QString contactsSource;
    /// When the day's celebrations of the contacts are announced, and how many days ahead.
    QTime contactsTime = QTime(8, 0);
    int contactsNoticeDays = 0;
    /// 29 February in a common year on 1 March (else on 28 February).
    bool leapDayOnMarch1 = false;
    /// Choices made for single people: their own notice, their one name day.
    QList<contacts::PersonChoice> people;
    /// The CalDAV calendar the book is kept in step with: its address, the account, and the
    /// command that prints the password (kept out of every file); no address, no sync.
    QString calDavUrl;
    QString calDavUser;
    QString calDavPasswordCommand;
    bool operator==(const Preferences &) const = default;
};

/// The minutes a meeting's notice may be set to.
inline constexpr int meetingNoticeChoices[] = {0, 5, 15, 30, 60};

/// `$XDG_CONFIG_HOME/Zelmarin/Quillomat/beallitasok.conf` (`configHome` empty: the XDG one).
QString preferencesPath(const QString &configHome = {});
/// "key=value" lines; what is missing, unknown or out of range keeps its default.
Preferences parsePreferences(const QByteArray &bytes);
QByteArray formatPreferences(const Preferences &preferences);
Preferences loadPreferences(const QString &path);
std::error_code savePreferences(const QString &path, const Preferences &preferences);

} // namespace quill
