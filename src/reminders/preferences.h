#pragma once

#include "alerts.h"
#include "contacts/people.h"
#include "snoozes.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>
#include <span>
#include <system_error>

class QFileSystemWatcher;

// The user's settings (Beállítások), kept in the XDG config folder, never in the data file.
namespace quill {

struct Preferences {
    /// The days before name days and birthdays (one number, kept in both of the notice's
    /// fields; the reminders' and the address book's alike) and the minutes before meetings.
    Notice notice;
    SnoozeChoice lastSnooze = SnoozeChoice::TenMinutes;
    /// Only the tray icon, the strip hidden (where a tray is there to hold the icon).
    bool trayOnly = false;
    /// The address book: a .vcf file or a folder of them; empty for none.
    QString contactsSource;
    /// When the day's celebrations of the contacts are announced (as many days ahead as the
    /// notice before name days and birthdays, `notice.nameDayDays`, says).
    QTime contactsTime = QTime(8, 0);
    /// 29 February in a common year on 1 March (else on 28 February).
    bool leapDayOnMarch1 = false;
    LeapDayRule leapDayRule() const { return quill::leapDayRule(leapDayOnMarch1); }
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

/// One "key=value" line of the settings file: what its value may be and what it is when the line
/// is missing or its value may not be used. Reading, writing, checking and the settings window's
/// fields all follow this table.
struct Setting {
    enum class Type { Number, Choice, Flag, Text, TimeOfDay, Snooze };
    const char *key;
    Type type;
    int low = 0, high = 0; ///< a Number's range
    const char *fallback;  ///< the default, as the file writes it
    QByteArray (*get)(const Preferences &);
    void (*set)(Preferences &, const QByteArray &); ///< a value already checked
};
std::span<const Setting> settings();
const Setting &setting(const char *key);
/// The value as it is kept (a number without spaces...), or none when it may not be used.
std::optional<QByteArray> checkedValue(const Setting &setting, const QByteArray &value);
/// What a value may be, in the user's words ("0 és 14 közötti egész szám").
QString allowedText(const Setting &setting);
/// The key of one person's choices; each such line is "name TAB days TAB MM-DD TAB name".
inline constexpr char personKey[] = "ismeros";

/// `$XDG_CONFIG_HOME/Zelmarin/Quillomat/beallitasok.conf` (`configHome` empty: the XDG one).
QString preferencesPath(const QString &configHome = {});
/// "key=value" lines; what is missing, unknown or out of range keeps its default. Each value
/// that may not be used is told in `refused` (in the user's words).
Preferences parsePreferences(const QByteArray &bytes, QStringList *refused = nullptr);
/// The whole file for `preferences`.
QByteArray formatPreferences(const Preferences &preferences);
/// `current` (the file as it is) with what differs between `before` and `after` written over
/// it: a changed key's line replaced, a person's lines replaced; every other line, those of keys
/// this program does not know included, kept as it is.
QByteArray mergePreferences(const QByteArray &current, const Preferences &before,
                            const Preferences &after);
/// The file's settings (defaults when it is missing or cannot be read).
Preferences loadPreferences(const QString &path);

/// The settings file while the program runs: read, and read again when it changes on disk; a
/// change writes only what changed, over the file's contents of that moment. A file that cannot
/// be read is never written over: it is renamed aside first, and the user told where it went.
class PreferenceStore final : public QObject {
    Q_OBJECT
public:
    /// The largest settings file read.
    static constexpr qint64 maxBytes = 64 * 1024;
    explicit PreferenceStore(QString path, QObject *parent = nullptr);
    ~PreferenceStore() override;

    const QString &path() const { return m_path; }
    const Preferences &values() const { return m_values; }
    /// Reads the file (again); `changed` when the values are not those held.
    void load();
    /// Reads the file again whenever it changes on disk from now on.
    void watch();
    /// Holds `wanted` at once and writes it where it differs from `values()` over the file as it
    /// is then, on the writing thread (files/writequeue.h) in turn with the program's other
    /// writes; once written, holds what the file then says. A failure comes back as
    /// `writeFailed` (the values are held anyway).
    void change(const Preferences &wanted);
    /// What the user is to be told (values refused, a file put aside), each once; emptied.
    QStringList takeNotices();

Q_SIGNALS:
    /// The values changed because the file did.
    void changed();
    /// Something waits in `takeNotices()`.
    void noticesWaiting();
    /// A change could not be written: the reason.
    void writeFailed(std::error_code error);

private:
    void tell(const QStringList &texts);
    void rewatch();
    /// A change's writing came back.
    void written(const std::error_code &error, const QByteArray &bytes, const QString &asideAt,
                 const std::error_code &asideWhy);

    QString m_path;
    Preferences m_values;
    std::error_code m_unreadable; ///< why the file on disk could not be read at the last look
    QStringList m_told, m_notices;
    QFileSystemWatcher *m_watcher = nullptr;
    int m_writing = 0; ///< changes handed to the writing thread, not yet back
};

} // namespace quill
