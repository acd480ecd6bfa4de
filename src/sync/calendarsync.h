#pragma once

#include "caldav/davclient.h"
#include "calendar/tradition.h"
#include "reminders/session.h"
#include "roundwork.h"

#include <QPointer>
#include <QProcess>
#include <QThreadPool>
#include <QTimer>

namespace quill {

/// The CalDAV calendar the book is kept in step with.
struct CalDavAccount {
    QString url;
    QString user;
    QString passwordCommand; ///< a shell command that prints the password; empty for none
    QString password;        ///< the password itself, when the caller has it (from the keyring);
                             ///< empty: the command's answer, when there is a command
    /// The day a birthday on 29 February is kept in common years, as the settings say: the
    /// shape of its event on the calendar and how the event is read back.
    LeapDayRule leapDay = LeapDayRule::February28;
    bool configured() const { return !url.trimmed().isEmpty(); }
};

/// Where one data file's sync keeps its agreements, in the state folder (and where an earlier
/// version of the program kept its own).
struct SyncPlace {
    QString root;
};
SyncPlace syncPlaceFor(const QString &dataFile, const QString &stateHome = {});

/// What one round of sync did.
struct SyncReport {
    bool ok = false;
    QString error;    ///< why it failed, in the user's words
    int incoming = 0; ///< reminders added, changed or deleted by the other side
    QStringList leftOut;
    QStringList conflicts;
    QStringList notes; ///< what of an item that came in its reminder does not follow, by title
};

/// The text the user is told of a round; empty when there is nothing to tell.
QString syncReportText(const SyncReport &report);

/// One round of sync with the program's own CalDAV client: the collection's marks (one request
/// when nothing changed there), what changed since the agreement (sync report, else the listing
/// with its tags), the changed items fetched, `planRound`, the book's changes made through the
/// session and saved, then the calendar's: new items with If-None-Match, changes and deletions
/// with If-Match. A 412 means the item changed there meanwhile: the round is made again, which
/// keeps both versions and tells it. The agreement is written last, so a round cut anywhere
/// leaves the next one to start from the last agreement, where every step it repeats either finds
/// its work done or does it once. Everything goes out asynchronously on the session's thread.
class CalendarSync final : public QObject {
    Q_OBJECT
public:
    /// `root`: the data file's sync folder, where the agreements are kept.
    CalendarSync(ReminderSession &session, CalendarCodec &codec, QString root,
                 QObject *parent = nullptr);
    ~CalendarSync() override;

    /// Starts a round unless one is running; a round asked for meanwhile follows it.
    void start(const CalDavAccount &account, const QDate &today);
    bool running() const { return m_running; }
    /// The round is saving what came in: that save is the round's own, not a change to send.
    bool savingIncoming() const { return m_savingIncoming; }
    caldav::CalDavClient &client() { return m_client; }
    /// Milliseconds the password command may take.
    void setPasswordTimeLimit(int ms) { m_passwordLimit.setInterval(ms); }
    /// What plans a round (planRound unless told otherwise).
    using Planner = RoundPlanner;
    void setPlanner(Planner planner) { m_planner = std::move(planner); }
    /// What carries the plan's steps out on the book (applyToBook unless told otherwise).
    void setBookApplier(BookApplier applier) { m_bookApplier = std::move(applier); }

Q_SIGNALS:
    void finished(const SyncReport &report);

private:
    void askPassword();
    void begin();
    void stateRead(const caldav::CollectionState &state);
    void listAll();
    void splitOnWorker(std::function<ListingSplit()> split);
    void fetchChanged(const QStringList &hrefs, QList<ListedItem> known);
    void readFetched(const QList<caldav::DavItem> &fetched, const QList<ListedItem> &known);
    void planAndApply(QList<ListedItem> listing);
    void apply(const RoundWork &work, std::uint64_t revision);
    using Outgoing = OutgoingItem;
    void keepIdentities();
    void writeState(const QString &path, const QString &folder, std::function<QByteArray()> bytes,
                    void (CalendarSync::*then)());
    void sendNext();
    void sent(const Outgoing &out, const caldav::DavError &error, const QString &etag,
              const QString &href);
    void conclude();
    void agreementKept();
    void fail(const QString &reason);
    void finish();

    ReminderSession &m_session;
    CalendarCodec &m_codec;
    QString m_root;
    caldav::CalDavClient m_client;
    QPointer<QProcess> m_passwordProcess;
    QTimer m_passwordLimit;

    CalDavAccount m_account;
    QUrl m_collection;
    QDate m_today;
    bool m_running = false;
    bool m_again = false;
    bool m_savingIncoming = false;
    int m_repeats = 0; ///< rounds made again at once after a 412 or a version kept in both

    // The round under way.
    SyncReport m_report;
    Agreement m_last;
    Agreement m_next;
    bool m_takenOver = false;
    caldav::CollectionState m_state;
    QString m_token;
    QList<Outgoing> m_outgoing;
    bool m_repeat = false;
    bool m_writing = false; ///< a state file is with the writing thread, its outcome not back
    Planner m_planner = planRound;
    BookApplier m_bookApplier = applyToBook;
    // Last, so that it goes first: the items (and the plan) under way are done before the rest
    // goes.
    QThreadPool m_reader;
};

} // namespace quill
