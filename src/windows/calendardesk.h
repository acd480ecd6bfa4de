#pragma once

#include "icalendar/lazycodec.h"
#include "sync/calendarsync.h"
#include "sync/mirror.h"
#include "windows/services.h"

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

class QWidget;

namespace quill {

struct Preferences;
struct ImportReading;
class ContactsDesk;

/// The book in calendars: saved as an `.ics` file, the name days too, an `.ics` file read in, and
/// kept in step with a CalDAV calendar (the program's own client) after every save, at start and
/// every quarter of an hour. A failure is told once, until a round succeeds again.
class CalendarDesk final : public QObject {
    Q_OBJECT
public:
    CalendarDesk(Services &services, ReminderSession &session, QWidget *window);

    void exportBook();
    /// The name days of the calendar, and those and the birthdays of the address book's people.
    void exportNameDays();
    /// Where the address book's people come from; none: the calendar's name days alone.
    void setContacts(ContactsDesk *contacts);
    /// Asks for an `.ics` file and reads it on a worker behind the wait pointer; the question of
    /// what comes in follows when it is read.
    void importCalendar();
    bool importing() const { return m_importing; }
    /// A round now; `tellResult` shows its outcome in a box (the user asked for it).
    void syncNow(bool tellResult = true);
    /// The account as the settings say; a round follows a change.
    void followPreferences(const Preferences &preferences);
    /// The last round's outcome in a line, for the settings window.
    QString state() const { return m_state; }
    CalendarSync &sync() { return *m_sync; }

    static constexpr int everyMinutes = 15;

Q_SIGNALS:
    void stateChanged();

private:
    void startRound();
    void finished(const SyncReport &report);
    void writeCalendar(const QString &title, const QString &suggested, const QByteArray &bytes);
    void calendarWritten(const QString &title, const QString &path, std::error_code error);
    QString dataFile() const;
    static QString importTitle();
    void startImport(const QString &path);
    void importRead(const QString &path, const ReminderTable &planned, ImportReading reading);

    Services &m_services;
    ReminderSession &m_session;
    QWidget *m_window;
    QPointer<ContactsDesk> m_contacts;
    LazyCalendarCodec m_codec;
    CalendarSync *m_sync;
    QTimer m_every;
    CalDavAccount m_account;
    LeapDayRule m_leapDay = LeapDayRule::February28;
    QString m_lastTold;
    QString m_state;
    bool m_tellNext = false;
    bool m_importing = false;
    bool m_syncAfterImport = false;
    // Last, so that it goes first: an import under way is waited for while the codec is there.
    QThreadPool m_worker;
};

} // namespace quill
