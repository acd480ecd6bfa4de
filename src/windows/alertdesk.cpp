#include "alertdesk.h"

#include "files/safefile.h"

#include <QWidget>

namespace quill {

AlertDesk::AlertDesk(Services &services, const QString &dataFile, QWidget *window)
    : QObject(window)
    , m_services(services)
    , m_window(window)
    , m_preferencesPath(preferencesPath(services.configHome))
    , m_snoozes(snoozeBookPath(dataFile, services.stateHome))
{
}

void AlertDesk::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_preferences = loadPreferences(m_preferencesPath);
    m_snoozes.load();
}

void AlertDesk::tellFailure(const QString &what, const std::error_code &error)
{
    m_services.boxes.show(m_window, MsgIcon::Critical, QStringLiteral("Quillomat"),
                          what + QStringLiteral("\n\n") + files::reasonText(error));
}

void AlertDesk::setPreferences(const Preferences &preferences)
{
    ensureLoaded();
    if (preferences == m_preferences)
        return;
    m_preferences = preferences;
    if (const std::error_code e = savePreferences(m_preferencesPath, preferences))
        tellFailure(QStringLiteral("A beállításokat nem sikerült menteni (a program futása alatt "
                                   "érvényesek):"),
                    e);
}

void AlertDesk::cancelSnooze(int index)
{
    if (const std::error_code e = m_snoozes.cancel(index))
        tellFailure(QStringLiteral("A halasztás törlését nem sikerült menteni:"), e);
    Q_EMIT snoozesChanged();
}

bool AlertDesk::snoozeDue(const QDateTime &now, bool graceOver) const
{
    for (const Snoozed &s : m_snoozes.waiting()) {
        if (s.until <= now && (graceOver || s.until.secsTo(now) < 60))
            return true;
    }
    return false;
}

std::optional<QDateTime> AlertDesk::askWhen()
{
    const QList<SnoozeChoice> order = snoozeChoicesFrom(m_preferences.lastSnooze);
    QStringList captions;
    for (const SnoozeChoice c : order)
        captions << snoozeCaption(c);
    captions << QStringLiteral("Mégse");
    const int picked =
        m_services.boxes.choose(m_window, MsgIcon::Question, QStringLiteral("Később"),
                                QStringLiteral("Mikor jelezzen újra?"), captions);
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
                                  QStringLiteral("Helytelen időpont! Így írja: 17:30"));
            return std::nullopt;
        }
        chosen = *time;
    }
    Preferences remembered = m_preferences;
    remembered.lastSnooze = choice;
    setPreferences(remembered);
    return snoozeUntil(choice, m_services.clock.now(), chosen);
}

bool AlertDesk::showAlert(const QString &text, const QString &snoozedText)
{
    for (;;) {
        // "OK" is the default and Esc's answer; "Később" asks when.
        const int answer =
            m_services.boxes.choose(m_window, MsgIcon::Exclamation, alertTitle(), text,
                                    {QStringLiteral("Később"), QStringLiteral("OK")}, 1);
        if (answer != 0)
            return false;
        if (const auto until = askWhen()) {
            if (const std::error_code e = m_snoozes.add({*until, snoozedText}))
                tellFailure(QStringLiteral("A halasztást nem sikerült menteni (a program futása "
                                           "alatt megmarad):"),
                            e);
            Q_EMIT snoozesChanged();
            return true;
        }
        // Cancelled: the alert is shown again, not lost.
    }
}

bool AlertDesk::present(const QList<DueAlert> &due, AlertScanner &scanner, bool graceOver)
{
    ensureLoaded();
    const QList<SnoozeReturn> back = m_snoozes.takeDue(m_services.clock.now(), graceOver);
    if (!back.isEmpty())
        Q_EMIT snoozesChanged();
    bool anyNew = false;
    for (const DueAlert &alert : due) {
        if (!alert.again) {
            anyNew = true;
            m_services.notifier.notify(alertTitle(), alert.text);
        }
    }
    for (const SnoozeReturn &r : back)
        m_services.notifier.notify(alertTitle(), r.text);
    for (const DueAlert &alert : due) {
        if (showAlert(alert.text, alert.text))
            scanner.settle(alert);
    }
    for (const SnoozeReturn &r : back)
        showAlert(r.text, r.text.left(r.text.lastIndexOf(QStringLiteral("\n\n(Elhalasztott"))));
    return anyNew;
}

} // namespace quill
