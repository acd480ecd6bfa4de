#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <system_error>

// The XDG conventions the program follows: starting at login, and a note of when it last ran.
namespace quill {

/// The user's autostart entry for the program (`$XDG_CONFIG_HOME/autostart`, after the XDG
/// autostart convention): the desktop starts the program at login while it is there.
class Autostart {
public:
    virtual ~Autostart() = default;
    virtual bool enabled() const = 0;
    /// Writes or removes the entry; the reason of a failure (files::reasonText), none on success.
    virtual std::error_code setEnabled(bool on) = 0;
};

class XdgAutostart final : public Autostart {
public:
    /// `configHome` empty means `$XDG_CONFIG_HOME`, or `~/.config`; `program` the command to run.
    XdgAutostart(QString program, QString configHome = {});
    bool enabled() const override;
    /// Written without waiting for the disk (fsync): a slow disk does not hold up the menu.
    std::error_code setEnabled(bool on) override;
    QString entryPath() const;
    /// The entry's text for a program path.
    static QByteArray entryText(const QString &program);

private:
    QString m_program;
    QString m_configHome;
};

/// Up to when the program last dealt with the alerts of a data file (its end, or the last alert it
/// announced or the user answered), and the alerts answered after that moment, one a line, kept in
/// the user's XDG state folder (`$XDG_STATE_HOME/Zelmarin/Quillomat`), never in the reminder file.
class RunRecord {
public:
    /// `stateHome` empty means `$XDG_STATE_HOME`, or `~/.local/state`.
    explicit RunRecord(const QString &dataFile, QString stateHome = {});
    /// The end of the last run; invalid on the first start ever (or an unreadable record).
    QDateTime lastEnd() const;
    /// The alerts answered after that end, as the scanner named them.
    QStringList answered() const;
    /// Notes the end of this run and what was answered after it: written in turn on the writing
    /// thread (files::writeLater), without waiting for the disk.
    void recordEnd(const QDateTime &end, const QStringList &answered = {}) const;
    QString path() const;

private:
    QString m_path;
};

} // namespace quill
