#include "calendardesk.h"

#include "contactsdesk.h"

#include "files/safefile.h"
#include "files/writequeue.h"
#include "platform/memory.h"
#include "reminders/preferences.h"
#include "windows/accessibility.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QWidget>

namespace quill {

namespace {
const QString calendarTitle = QStringLiteral("Naptár");
const QString calendarHelpPage = QStringLiteral("naptar.html");
const QString calendarFilter = QStringLiteral("iCalendar-fájlok (*.ics);;Minden fájl (*)");
} // namespace

CalendarDesk::CalendarDesk(Services &services, ReminderSession &session, QWidget *window)
    : QObject(window)
    , m_services(services)
    , m_session(session)
    , m_window(window)
    , m_codec(services.folder.file(QStringLiteral("libquillomat-ical.so")))
    , m_sync(new CalendarSync(session, m_codec,
                              syncPlaceFor(session.file().path(), services.stateHome).root, this))
{
    connect(m_sync, &CalendarSync::finished, this, &CalendarDesk::finished);
    m_worker.setMaxThreadCount(1);
    // A quarter of an hour apart, and not to the second: the program wakes for nothing else.
    m_every.setInterval(everyMinutes * 60 * 1000);
    m_every.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_every, &QTimer::timeout, this, [this] { syncNow(false); });
    // A save sends the book's changes; the round's own save of what came in has nothing to send.
    connect(&m_session, &ReminderSession::saved, this, [this] {
        if (m_account.configured() && !m_sync->savingIncoming())
            syncNow(false);
    });
}

QString CalendarDesk::dataFile() const
{
    return m_session.file().path();
}

void CalendarDesk::followPreferences(const Preferences &p)
{
    m_leapDay = p.leapDayRule();
    const CalDavAccount account{p.calDavUrl, p.calDavUser, p.calDavPasswordCommand, {}, m_leapDay};
    const bool changed = account.url != m_account.url || account.user != m_account.user ||
                         account.passwordCommand != m_account.passwordCommand ||
                         account.password != m_account.password;
    m_account = account;
    if (!account.configured()) {
        m_every.stop();
        m_state = QStringLiteral("Nincs beállítva CalDAV-naptár.");
        Q_EMIT stateChanged();
        return;
    }
    if (!m_every.isActive())
        m_every.start();
    if (changed) {
        m_lastTold.clear();
        syncNow(false);
    }
}

void CalendarDesk::syncNow(bool tellResult)
{
    m_tellNext = m_tellNext || tellResult;
    if (!m_account.configured()) {
        if (tellResult)
            m_services.boxes.show(m_window, MsgIcon::Information, calendarTitle,
                                  QStringLiteral("A szinkronizáláshoz adja meg a CalDAV-naptár "
                                                 "címét a Beállítások ablakban."),
                                  MsgButtons::Ok, QStringLiteral("beallitasok-naptar.html"));
        m_tellNext = false;
        return;
    }
    if (m_importing) {
        m_syncAfterImport = true; // the codec is the import's until it is done
        return;
    }
    m_state = QStringLiteral("Szinkronizálás folyamatban…");
    Q_EMIT stateChanged();
    startRound();
}

void CalendarDesk::startRound()
{
    // The password from the keyring, read for each round (one given meanwhile counts); a
    // password command, where one is given, is asked instead; no user, no password.
    const QString key = keyringKey(m_account.url, m_account.user);
    if (!m_services.keyring || m_account.user.trimmed().isEmpty() ||
        !m_account.passwordCommand.trimmed().isEmpty()) {
        m_sync->start(m_account, m_services.clock.now().date());
        return;
    }
    m_services.keyring->read(key, this, [this](const KeyringAnswer &a) {
        CalDavAccount account = m_account;
        account.password = a.status == KeyringAnswer::Status::Done ? a.password : QString();
        m_sync->start(account, m_services.clock.now().date());
    });
}

void CalendarDesk::finished(const SyncReport &report)
{
    const QString text = syncReportText(report);
    const QString now = m_services.clock.now().toString(QStringLiteral("HH:mm"));
    m_state =
        report.ok
            ? QStringLiteral("Utoljára szinkronizálva: %1.").arg(now)
            : QStringLiteral("A szinkronizálás nem sikerült (%1): %2.").arg(now, report.error);
    Q_EMIT stateChanged();
    const bool asked = m_tellNext;
    m_tellNext = false;
    if (report.ok && report.incoming > 0)
        announce(m_window,
                 QStringLiteral("A naptárból %1 változás érkezett.").arg(report.incoming));
    if (asked) {
        m_lastTold = report.ok ? QString() : text;
        m_services.boxes.show(m_window, report.ok ? MsgIcon::Information : MsgIcon::Exclamation,
                              calendarTitle,
                              text.isEmpty() ? QStringLiteral("A naptár szinkronizálva.") : text,
                              MsgButtons::Ok, calendarHelpPage);
        return;
    }
    if (report.ok) {
        m_lastTold.clear();
        if (!text.isEmpty())
            m_services.notifier.notify(calendarTitle, text, 0);
        return;
    }
    // A failure once, not at every round until it mends.
    if (text == m_lastTold)
        return;
    m_lastTold = text;
    m_services.notifier.notify(calendarTitle, text, 0);
}

void CalendarDesk::writeCalendar(const QString &title, const QString &suggested,
                                 const QByteArray &bytes)
{
    if (bytes.isEmpty()) {
        m_services.boxes.show(m_window, MsgIcon::Critical, title,
                              QStringLiteral("A naptárkezelő (libquillomat-ical.so) nem "
                                             "tölthető be; a fájl nem készült el."),
                              MsgButtons::Ok, calendarHelpPage);
        return;
    }
    const auto chosen = m_services.boxes.chooseFile(
        m_window, title, QDir::home().filePath(suggested), calendarFilter, true);
    if (!chosen)
        return;
    // Written in turn with the program's other writes: a slow disk holds up neither the window
    // nor the strip's clock, and the end of the program waits for it.
    QPointer<CalendarDesk> self(this);
    files::writeInTurn([self, title, path = *chosen, bytes] {
        const std::error_code error = files::writeAtomically(path, bytes);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, title, path, error] {
                if (self)
                    self->calendarWritten(title, path, error);
            },
            Qt::QueuedConnection);
    });
}

void CalendarDesk::calendarWritten(const QString &title, const QString &path, std::error_code error)
{
    if (error) {
        m_services.boxes.show(m_window, MsgIcon::Critical, title,
                              QStringLiteral("A naptárfájl nem írható:\n%1\nOk: %2.")
                                  .arg(path, files::reasonText(error)),
                              MsgButtons::Ok, calendarHelpPage);
        return;
    }
    announce(m_window, QStringLiteral("Mentve: ") + path);
}

void CalendarDesk::exportBook()
{
    const ReminderIds ids = ReminderIds::of(m_session.table());
    // The names go out in the file: they are kept, so the same reminders come out under them
    // again; a failure only means new ones at the next start.
    (void)m_session.file().saveIdentitiesBeside(m_session.table());
    QList<CalendarEvent> events;
    for (int row = 0; row < ReminderRows; ++row) {
        if (!m_session.table().inUse(row))
            continue;
        if (const auto e = eventOfReminder(m_session.table().row(row), ids.of(row)->uid,
                                           ids.of(row)->created, m_leapDay))
            events << *e;
    }
    writeCalendar(
        QStringLiteral("Emlékeztetők mentése naptárfájlba"), QStringLiteral("emlekeztetok.ics"),
        m_codec.write(events, QStringLiteral("Emlékeztetők"), m_services.clock.now().toUTC()));
}

void CalendarDesk::setContacts(ContactsDesk *contacts)
{
    m_contacts = contacts;
}

void CalendarDesk::exportNameDays()
{
    writeCalendar(QStringLiteral("Névnapok mentése naptárfájlba"), QStringLiteral("nevnapok.ics"),
                  m_codec.write(nameDayEvents() +
                                    (m_contacts ? celebrationEvents(m_contacts->book(), m_leapDay)
                                                : QList<CalendarEvent>()),
                                QStringLiteral("Névnapok"), m_services.clock.now().toUTC()));
}

// What reading a calendar file in brings, worked out on the worker.
struct ImportReading {
    QString problem; ///< why the file could not be read; empty when it was
    ImportPlan plan;
    ReminderIds ids;
};

namespace {

ImportReading readImport(const QString &path, CalendarCodec &codec, const ReminderTable &table)
{
    ImportReading out;
    CalendarRead calendar;
    {
        const auto read = files::readRegularFile(path, CalendarCodec::maxBytes);
        if (read.error) {
            out.problem = files::reasonText(read.error);
            return out;
        }
        calendar = codec.read(read.bytes);
    }
    if (!calendar.error.isEmpty()) {
        out.problem = calendar.error;
        return out;
    }
    out.ids = ReminderIds::of(table);
    // Only what the free rows can take is kept; the rest is a line each for the message.
    out.plan = planImport(calendar.events, table, out.ids);
    return out;
}

bool sameRows(const ReminderTable &a, const ReminderTable &b)
{
    for (int row = 0; row < ReminderRows; ++row) {
        if (a.inUse(row) != b.inUse(row) || (a.inUse(row) && !(a.row(row) == b.row(row))))
            return false;
    }
    return true;
}

} // namespace

void CalendarDesk::importCalendar()
{
    if (m_importing)
        return;
    const auto chosen = m_services.boxes.chooseFile(m_window, importTitle(), QDir::homePath(),
                                                    calendarFilter, false);
    if (!chosen)
        return;
    // A file at the size limit takes about a second to read: the pointer says so meanwhile.
    m_importing = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    startImport(*chosen);
}

QString CalendarDesk::importTitle()
{
    return QStringLiteral("Naptárfájl beolvasása");
}

// Read and parsed on the worker (the codec serializes libical's users), the plan made against the
// book as it is now; the answer comes back to the window's thread.
void CalendarDesk::startImport(const QString &path)
{
    QPointer<CalendarDesk> self(this);
    const ReminderTable table = m_session.table();
    CalendarCodec *codec = &m_codec;
    m_worker.start([self, codec, path, table] {
        auto reading = std::make_shared<ImportReading>(readImport(path, *codec, table));
        giveBackFreeMemory();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, path, table, reading] {
                if (self)
                    self->importRead(path, table, *reading);
            },
            Qt::QueuedConnection);
    });
}

void CalendarDesk::importRead(const QString &path, const ReminderTable &planned,
                              ImportReading reading)
{
    if (!sameRows(planned, m_session.table())) {
        startImport(path); // the book changed meanwhile: planned again
        return;
    }
    m_importing = false;
    QGuiApplication::restoreOverrideCursor();
    if (m_syncAfterImport) {
        m_syncAfterImport = false;
        syncNow(false);
    }
    const QString title = importTitle();
    if (!reading.problem.isEmpty()) {
        m_services.boxes.show(
            m_window, MsgIcon::Critical, title,
            QStringLiteral("A fájl nem olvasható be:\n%1\nOk: %2.").arg(path, reading.problem),
            MsgButtons::Ok, calendarHelpPage);
        return;
    }
    const ImportPlan &plan = reading.plan;
    if (plan.adding.isEmpty()) {
        m_services.boxes.show(m_window, MsgIcon::Information, title, importQuestion(plan),
                              MsgButtons::Ok, calendarHelpPage);
        return;
    }
    if (m_services.boxes.choose(m_window, MsgIcon::Question, title, importQuestion(plan),
                                {QStringLiteral("Hozzáadás"), QStringLiteral("Mégse")}, 0,
                                calendarHelpPage) != 0)
        return;
    int added = 0;
    ReminderIds &ids = reading.ids;
    m_session.edit([&](ReminderBook &book) {
        added = applyImport(book, ids, plan, m_services.clock.now().date());
        ids.giveTo(book.table);
        return added > 0;
    });
    announce(m_window, QStringLiteral("Hozzáadva: %1 emlékeztető.").arg(added));
}

} // namespace quill
