#pragma once

#include "mirror.h"
#include "reminders/session.h"

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QTimer>

namespace quill {

/// The CalDAV calendar the book is kept in step with.
struct CalDavAccount {
    QString url;
    QString user;
    QString passwordCommand; ///< a shell command that prints the password; empty for none
    QString password;        ///< the password itself, when the caller has it (from the keyring);
                             ///< empty: the command's answer, when there is a command
    bool configured() const { return !url.trimmed().isEmpty(); }
};

/// Where one data file's sync keeps its things, in the state folder: the mirror folder that the
/// sync tool keeps in step with the server, its configuration and status, and the agreement.
struct SyncPlace {
    QString root;
    QString mirror() const { return root + QStringLiteral("/naptar"); }
    QString config() const { return root + QStringLiteral("/vdirsyncer.conf"); }
    QString status() const { return root + QStringLiteral("/allapot"); }
    QString base() const { return root + QStringLiteral("/egyeztetes"); }
    /// There while changes that came in are in the book but not yet in the data file.
    QString unsaved() const { return root + QStringLiteral("/mentetlen"); }
};
SyncPlace syncPlaceFor(const QString &dataFile, const QString &stateHome = {});

/// The vdirsyncer configuration of one pair, "quillomat": the mirror folder and the CalDAV
/// calendar, the password fetched by the account's command.
QByteArray vdirsyncerConfig(const CalDavAccount &account, const SyncPlace &place);

/// Why a vdirsyncer run failed, in the user's words, from what it wrote.
QString vdirsyncerFailure(const QByteArray &output);

/// What one round of sync did.
struct SyncReport {
    bool ok = false;
    bool notInstalled = false; ///< vdirsyncer is missing
    QString error;             ///< why it failed, in the user's words
    int incoming = 0;          ///< reminders added, changed or deleted by the other side
    QStringList leftOut;
    QStringList conflicts;
};

/// The text the user is told of a round; empty when there is nothing to tell.
QString syncReportText(const SyncReport &report);

/// One round of sync: the server's changes into the mirror folder (vdirsyncer), the folder's into
/// the book, the book's into the folder, and the folder's to the server (vdirsyncer again). The
/// book changes only through the session, only when the server answered; whatever fails, the
/// next round starts where this one could not go on. The tool runs as a process of its own: the
/// program goes on meanwhile.
class BookSync final : public QObject {
    Q_OBJECT
public:
    /// `program`: the vdirsyncer command (empty: found in PATH).
    BookSync(ReminderSession &session, CalendarCodec &codec, SyncPlace place, QString program = {},
             QObject *parent = nullptr);
    ~BookSync() override;

    /// Starts a round unless one is running; a round asked for meanwhile follows it.
    void start(const CalDavAccount &account, const QDate &today);
    bool running() const { return m_step != Step::Idle; }
    /// Seconds a vdirsyncer run may take before it counts as failed.
    void setTimeLimit(int seconds) { m_timeLimit = seconds; }

Q_SIGNALS:
    void finished(const SyncReport &report);

private:
    enum class Step { Idle, Discover, Fetch, Send };
    void run(Step step);
    void stepDone(int exitCode, QProcess::ExitStatus status);
    void exchange();
    void finish(SyncReport report);
    /// Removes the unsaved mark once neither this run nor an earlier one needs it.
    void dropMarkWhenDone();

    ReminderSession &m_session;
    CalendarCodec &m_codec;
    SyncPlace m_place;
    QString m_program;
    CalDavAccount m_account;
    QDate m_today;
    Step m_step = Step::Idle;
    bool m_again = false;
    int m_timeLimit = 300;
    QPointer<QProcess> m_process;
    QTimer m_limit;
    SyncReport m_report;
    SyncBase m_nextBase;
    bool m_timedOut = false;
    bool m_markIsOurs = false; ///< this run took changes in that the file lacks
    bool m_leftover = false;   ///< an earlier run left such changes unsaved
};

} // namespace quill
