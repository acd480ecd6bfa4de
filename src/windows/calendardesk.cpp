#include "calendardesk.h"

#include "contactsdesk.h"

#include "files/safefile.h"
#include "reminders/preferences.h"
#include "windows/accessibility.h"

#include <QDir>
#include <QGuiApplication>
#include <QWidget>

namespace quill {

namespace {
const QString calendarTitle = QStringLiteral("Naptár");
const QString calendarFilter = QStringLiteral("iCalendar-fájlok (*.ics);;Minden fájl (*)");
} // namespace

CalendarDesk::CalendarDesk(Services &services, ReminderSession &session, QWidget *window,
                           QString vdirsyncer)
    : QObject(window)
    , m_services(services)
    , m_session(session)
    , m_window(window)
    , m_codec(services.folder.file(QStringLiteral("libquillomat-ical.so")))
    , m_sync(new BookSync(session, m_codec, syncPlaceFor(session.file().path(), services.stateHome),
                          std::move(vdirsyncer), this))
{
    connect(m_sync, &BookSync::finished, this, &CalendarDesk::finished);
    // A quarter of an hour apart, and not to the second: the program wakes for nothing else.
    m_every.setInterval(everyMinutes * 60 * 1000);
    m_every.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_every, &QTimer::timeout, this, [this] { syncNow(false); });
    connect(&m_session, &ReminderSession::saved, this, [this] {
        if (m_account.configured())
            syncNow(false);
    });
}

QString CalendarDesk::dataFile() const
{
    return m_session.file().path();
}

void CalendarDesk::followPreferences(const Preferences &p)
{
    const CalDavAccount account{p.calDavUrl, p.calDavUser, p.calDavPasswordCommand};
    const bool changed = account.url != m_account.url || account.user != m_account.user ||
                         account.passwordCommand != m_account.passwordCommand;
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
                                                 "címét a Beállítások ablakban."));
        m_tellNext = false;
        return;
    }
    m_state = QStringLiteral("Szinkronizálás folyamatban…");
    Q_EMIT stateChanged();
    m_sync->start(m_account, m_services.clock.now().date());
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
                              text.isEmpty() ? QStringLiteral("A naptár szinkronizálva.") : text);
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

bool CalendarDesk::writeCalendar(const QString &title, const QString &suggested,
                                 const QByteArray &bytes)
{
    if (bytes.isEmpty()) {
        m_services.boxes.show(m_window, MsgIcon::Critical, title,
                              QStringLiteral("A naptárkezelő (libquillomat-ical.so) nem "
                                             "tölthető be; a fájl nem készült el."));
        return false;
    }
    const auto chosen = m_services.boxes.chooseFile(
        m_window, title, QDir::home().filePath(suggested), calendarFilter, true);
    if (!chosen)
        return false;
    if (const auto error = files::writeAtomically(*chosen, bytes)) {
        m_services.boxes.show(m_window, MsgIcon::Critical, title,
                              QStringLiteral("A naptárfájl nem írható:\n%1\nOk: %2.")
                                  .arg(*chosen, files::reasonText(error)));
        return false;
    }
    announce(m_window, QStringLiteral("Mentve: ") + *chosen);
    return true;
}

void CalendarDesk::exportBook()
{
    const QString idsPath = ReminderIds::pathBeside(dataFile());
    ReminderIds ids;
    ids.load(idsPath);
    if (ids.assign(m_session.table(), m_services.clock.now().date()))
        ids.save(idsPath); // the names last; a failure only means new ones next time
    QList<CalendarEvent> events;
    for (int row = 0; row < ReminderRows; ++row) {
        if (!m_session.table().inUse(row))
            continue;
        if (const auto e =
                eventOfReminder(m_session.table().row(row), ids.of(row)->uid, ids.of(row)->created))
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
    writeCalendar(
        QStringLiteral("Névnapok mentése naptárfájlba"), QStringLiteral("nevnapok.ics"),
        m_codec.write(nameDayEvents() + (m_contacts ? celebrationEvents(m_contacts->book())
                                                    : QList<CalendarEvent>()),
                      QStringLiteral("Névnapok"), m_services.clock.now().toUTC()));
}

void CalendarDesk::importCalendar()
{
    const QString title = QStringLiteral("Naptárfájl beolvasása");
    const auto chosen =
        m_services.boxes.chooseFile(m_window, title, QDir::homePath(), calendarFilter, false);
    if (!chosen)
        return;
    // A file at the size limit takes under a second to read: the pointer says so meanwhile.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto read = files::readRegularFile(*chosen, CalendarCodec::maxBytes);
    QString problem;
    CalendarRead calendar;
    if (read.error)
        problem = files::reasonText(read.error);
    else if (calendar = m_codec.read(read.bytes); !calendar.error.isEmpty())
        problem = calendar.error;
    QGuiApplication::restoreOverrideCursor();
    if (!problem.isEmpty()) {
        m_services.boxes.show(
            m_window, MsgIcon::Critical, title,
            QStringLiteral("A fájl nem olvasható be:\n%1\nOk: %2.").arg(*chosen, problem));
        return;
    }
    const QString idsPath = ReminderIds::pathBeside(dataFile());
    ReminderIds ids;
    ids.load(idsPath);
    ids.assign(m_session.table(), m_services.clock.now().date());
    const ImportPlan plan = planImport(calendar.events, m_session.table(), ids);
    if (plan.adding.isEmpty()) {
        m_services.boxes.show(m_window, MsgIcon::Information, title, importQuestion(plan));
        return;
    }
    if (m_services.boxes.choose(m_window, MsgIcon::Question, title, importQuestion(plan),
                                {QStringLiteral("Hozzáadás"), QStringLiteral("Mégse")}) != 0)
        return;
    int added = 0;
    m_session.edit([&](ReminderBook &book) {
        added = applyImport(book, ids, plan, m_services.clock.now().date());
        return added > 0;
    });
    ids.save(idsPath);
    announce(m_window, QStringLiteral("Hozzáadva: %1 emlékeztető.").arg(added));
}

} // namespace quill
