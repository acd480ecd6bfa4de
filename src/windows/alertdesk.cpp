#include "alertdesk.h"

#include "contactsdesk.h"
#include "files/safefile.h"
#include "files/statefiles.h"
#include "files/writequeue.h"
#include "reminders/session.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <QWidget>

namespace quill {

namespace {

/// The help's page about alerts, which F1 opens in the alert box and in its "Később" question.
QString alertHelpPage()
{
    return QStringLiteral("jelzes.html");
}

} // namespace

AlertDesk::AlertDesk(Services &services, const ReminderSession &session, QWidget *window)
    : QObject(window)
    , m_services(services)
    , m_session(session)
    , m_window(window)
    , m_contactsRecord(files::stateFileFor(QStringLiteral("contacts-"), session.file().path(),
                                           services.stateHome))
    , m_snoozes(snoozeBookPath(session.file().path(), services.stateHome))
    , m_store(preferencesPath(services.configHome))
{
    m_sinceStart.start();
    // The book is written on the writing thread: a failure is told when it comes back.
    m_snoozes.setFailureHandler([self = QPointer<AlertDesk>(this)](std::error_code e) {
        if (self)
            self->tellFailure(QStringLiteral("A halasztásokat nem sikerült menteni (a program "
                                             "futása alatt megmaradnak):"),
                              e);
    });
    m_services.notifier.onAction = [this](quint64 token, const QString &action) {
        act(token, action);
    };
    // The settings are written on the writing thread: a failure is told when it comes back.
    connect(&m_store, &PreferenceStore::writeFailed, this, [this](std::error_code e) {
        tellFailure(QStringLiteral("A beállításokat nem sikerült menteni (a program futása alatt "
                                   "érvényesek):"),
                    e, QStringLiteral("beallitasok-jelzesek.html"));
    });
    // A tick that came while a save was waited for comes once the wait has returned, from the
    // event loop of whoever asked for the save.
    connect(
        &m_session, &ReminderSession::waitOver, this,
        [this] {
            if (std::exchange(m_tickPutOff, false))
                tick();
        },
        Qt::QueuedConnection);
}

void AlertDesk::tick()
{
    if (m_ticking)
        return;
    // Inside a save's wait the caller is in the middle of its work (leaving the program, a
    // "save and close"): no box opens there.
    if (m_session.isWaiting()) {
        m_tickPutOff = true;
        return;
    }
    m_ticking = true;
    ensureLoaded();
    m_scanner.setNotice(preferences().notice);
    const QDateTime now = m_services.clock.now();
    const qint64 sinceStart = m_sinceStart.elapsed();
    const QList<DueAlert> due = m_scanner.scan(m_session.table(), now, sinceStart);
    const bool graceOver = sinceStart >= AlertScanner::startGraceMs;
    if (due.isEmpty() && !snoozeDue(now, graceOver))
        announceContacts();
    // The desktop's notification list, and the record of what was announced, hear of each
    // alert once; the box comes back as the rule says while its minute lasts.
    else if (present(due, graceOver))
        Q_EMIT alertsAnnounced(dealtWith());
    m_ticking = false;
}

void AlertDesk::resumeFrom(const QDateTime &lastRunEnd, const QStringList &answered)
{
    m_scanner.resumeFrom(lastRunEnd, answered);
}

DealtWith AlertDesk::dealtWith() const
{
    return m_scanner.dealtWith(m_services.clock.now());
}

void AlertDesk::setContacts(ContactsDesk *contacts)
{
    m_contacts = contacts;
}

void AlertDesk::announceContacts()
{
    if (!m_contacts)
        return;
    const QDateTime now = m_services.clock.now();
    const auto text = m_contacts->dueAnnouncement(preferences(), now, contactsAnnounced(),
                                                  m_sinceStart.elapsed());
    if (!text)
        return;
    setContactsAnnounced(now.date());
    if (!text->isEmpty())
        presentText(*text);
}

AlertDesk::~AlertDesk()
{
    m_services.notifier.onAction = nullptr;
}

// The first answer settles an alert, in its box or in its notification; what comes after it
// for the same alert is passed over.
void AlertDesk::act(quint64 token, const QString &action)
{
    if (token == 0 || token == m_answering)
        return;
    if (token == m_showing) {
        if (!m_answeredElsewhere.isEmpty())
            return;
        m_answeredElsewhere = action;
        m_services.boxes.closeOpen();
        return;
    }
    const auto listed = m_listed.constFind(token);
    if (listed == m_listed.cend())
        return;
    if (m_pendingTokens.contains(token)) {
        if (!m_early.contains(token))
            m_early.insert(token, action); // its box will not be shown, or shown put off
        return;
    }
    if (action == u"later")
        snoozeAsLastTime(*listed);
    m_listed.remove(token);
}

void AlertDesk::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // Told from the event loop, never in the middle of what asked for the settings.
    connect(&m_store, &PreferenceStore::noticesWaiting, this, &AlertDesk::tellPreferenceNotices,
            Qt::QueuedConnection);
    m_store.load();
    m_snoozes.load();
    connect(&m_store, &PreferenceStore::changed, this, &AlertDesk::preferencesChanged);
    // The file is watched after the first frame.
    QTimer::singleShot(0, this, [this] { m_store.watch(); });
}

void AlertDesk::tellPreferenceNotices()
{
    for (const QString &text : m_store.takeNotices())
        m_services.boxes.show(m_window, MsgIcon::Exclamation, QStringLiteral("Beállítások"), text,
                              MsgButtons::Ok, QStringLiteral("beallitasok-jelzesek.html"));
}

void AlertDesk::presentText(const QString &text)
{
    ensureLoaded();
    const quint64 token = ++m_nextToken;
    m_listed.insert(token, text);
    m_services.notifier.notify(alertTitle(), text, token);
    showAlert(text, text, token);
    m_listed.remove(token);
}

QDate AlertDesk::contactsAnnounced() const
{
    if (!m_contactsDay) {
        const files::ReadResult read = files::readRegularFile(m_contactsRecord, 64);
        m_contactsDay =
            read.error ? QDate()
                       : QDate::fromString(QString::fromLatin1(read.bytes.trimmed()), Qt::ISODate);
    }
    return *m_contactsDay;
}

void AlertDesk::setContactsAnnounced(const QDate &day)
{
    m_contactsDay = day;
    if (files::makePrivateFolder(QFileInfo(m_contactsRecord).absolutePath()))
        return;
    // Not told when it fails, nor waited for on the disk: the worst is the same list once more
    // at the next start.
    files::writeLater(m_contactsRecord, day.toString(Qt::ISODate).toLatin1() + '\n',
                      files::Flush::WhenTheSystemWill);
}

void AlertDesk::tellFailure(const QString &what, const std::error_code &error,
                            const QString &helpPage)
{
    m_services.boxes.show(m_window, MsgIcon::Critical, QStringLiteral("Quillomat"),
                          what + QStringLiteral("\n\n") + files::reasonText(error), MsgButtons::Ok,
                          helpPage.isEmpty() ? alertHelpPage() : helpPage);
}

void AlertDesk::setPreferences(const Preferences &preferences)
{
    ensureLoaded();
    if (preferences == m_store.values())
        return;
    m_store.change(preferences);
    Q_EMIT preferencesChanged();
}

void AlertDesk::cancelSnooze(int index)
{
    if (const std::error_code e = m_snoozes.cancel(index))
        tellFailure(QStringLiteral("A halasztás törlését nem sikerült menteni:"), e);
    Q_EMIT snoozesChanged();
}

bool AlertDesk::snoozeDue(const QDateTime &now, bool graceOver) const
{
    return m_snoozes.hasDue(now, graceOver);
}

std::optional<QDateTime> AlertDesk::askWhen()
{
    const QList<SnoozeChoice> order = snoozeChoicesFrom(m_store.values().lastSnooze);
    QStringList captions;
    for (const SnoozeChoice c : order)
        captions << snoozeCaption(c);
    captions << QStringLiteral("Mégse");
    const int picked = m_services.boxes.choose(
        m_window, MsgIcon::Question, QStringLiteral("Később"),
        QStringLiteral("Mikor jelezzen újra?"), captions, 0, alertHelpPage());
    if (picked < 0 || picked >= order.size())
        return std::nullopt;
    const SnoozeChoice choice = order[picked];
    QTime chosen;
    if (choice == SnoozeChoice::ChosenTime) {
        const auto typed = m_services.boxes.askText(m_window, QStringLiteral("Később"),
                                                    QStringLiteral("Időpont (óra:perc):"));
        if (!typed)
            return std::nullopt;
        const auto time = parseTimeOfDay(*typed);
        if (!time) {
            m_services.boxes.show(m_window, MsgIcon::Exclamation, QStringLiteral("Később"),
                                  QStringLiteral("Helytelen időpont! Így írja: 17:30"),
                                  MsgButtons::Ok, alertHelpPage());
            return std::nullopt;
        }
        chosen = *time;
    }
    Preferences remembered = m_store.values();
    remembered.lastSnooze = choice;
    setPreferences(remembered);
    return snoozeUntil(choice, m_services.clock.now(), chosen);
}

void AlertDesk::snooze(const QDateTime &until, const QString &snoozedText)
{
    if (const std::error_code e = m_snoozes.add({until, snoozedText}))
        tellFailure(QStringLiteral("A halasztást nem sikerült menteni (a program futása "
                                   "alatt megmarad):"),
                    e);
    Q_EMIT snoozesChanged();
}

void AlertDesk::snoozeAsLastTime(const QString &snoozedText)
{
    // A time of one's own cannot be typed in a notification: ten minutes then.
    const SnoozeChoice last = m_store.values().lastSnooze == SnoozeChoice::ChosenTime
                                  ? SnoozeChoice::TenMinutes
                                  : m_store.values().lastSnooze;
    snooze(snoozeUntil(last, m_services.clock.now()), snoozedText);
}

AlertDesk::Answer AlertDesk::showAlert(const QString &text, const QString &snoozedText,
                                       quint64 token)
{
    if (const QString early = m_early.take(token); !early.isEmpty()) {
        if (early != u"later")
            return Answer::Ok;
        snoozeAsLastTime(snoozedText);
        return Answer::PutOff;
    }
    for (;;) {
        m_showing = token;
        m_answeredElsewhere.clear();
        // "OK" is the default and Esc's answer; "Később" asks when.
        const int answer = m_services.boxes.choose(
            m_window, MsgIcon::Exclamation, alertTitle(), text,
            {QStringLiteral("Később"), QStringLiteral("OK")}, 1, alertHelpPage());
        m_showing = 0;
        if (!m_answeredElsewhere.isEmpty()) {
            if (m_answeredElsewhere != u"later")
                return Answer::Ok;
            snoozeAsLastTime(snoozedText);
            return Answer::PutOff;
        }
        // Closed because the program ends: the button the box reports was never pressed.
        if (m_stopped)
            return Answer::None;
        if (answer != 0) {
            if (token)
                m_services.notifier.withdraw(token);
            return Answer::Ok;
        }
        m_answering = token;
        const auto until = askWhen();
        m_answering = 0;
        if (m_stopped)
            return Answer::None;
        if (until) {
            if (token)
                m_services.notifier.withdraw(token);
            snooze(*until, snoozedText);
            return Answer::PutOff;
        }
        // Cancelled: the alert is shown again, not lost.
    }
}

bool AlertDesk::present(const QList<DueAlert> &due, bool graceOver)
{
    ensureLoaded();
    const QList<SnoozeReturn> back = m_snoozes.takeDue(m_services.clock.now(), graceOver);
    if (!back.isEmpty())
        Q_EMIT snoozesChanged();
    struct Showing {
        QString text;
        QString snoozedText;
        quint64 token;
        const DueAlert *alert;
        const Snoozed *snoozed = nullptr;
    };
    QList<Showing> boxes;
    bool anyNew = false;
    // Each new alert once on the notification list, with its own token; a box that comes back
    // within its minute has no notification of its own.
    for (const DueAlert &alert : due) {
        quint64 token = 0;
        if (!alert.again) {
            anyNew = true;
            token = ++m_nextToken;
            m_listed.insert(token, alert.text);
        }
        boxes.append({alert.text, alert.text, token, &alert});
    }
    for (const SnoozeReturn &r : back) {
        const quint64 token = ++m_nextToken;
        const QString original = r.text.left(r.text.lastIndexOf(u"\n\n(Elhalasztott"_qs));
        m_listed.insert(token, original);
        boxes.append({r.text, original, token, nullptr, &r.original});
    }
    for (const Showing &b : boxes) {
        if (b.token) {
            m_pendingTokens.insert(b.token);
            m_services.notifier.notify(alertTitle(), b.text, b.token);
        }
    }
    for (const Showing &b : boxes) {
        m_pendingTokens.remove(b.token);
        // Not answered (the program ends): it stays open in the scanner and in the snooze
        // book, so the next start brings it again.
        const Answer answer = m_stopped ? Answer::None : showAlert(b.text, b.snoozedText, b.token);
        if (answer == Answer::None)
            continue;
        m_listed.remove(b.token);
        if (b.alert) {
            // Answered is dealt with at once, even while the start's grace lasts or other
            // boxes wait.
            if (m_scanner.answered(*b.alert, answer == Answer::PutOff))
                Q_EMIT alertsAnnounced(dealtWith());
        } else {
            // Not told: where the book cannot be written, the worst is that it comes once more.
            (void)m_snoozes.answered(*b.snoozed);
        }
    }
    return anyNew;
}

} // namespace quill
