// The main window with the desktop around it: the settings followed, the tray icon, the people
// of the address book who celebrate.

#include "mainwindow.h"

#include "accessibility.h"
#include "alertdesk.h"
#include "calendardesk.h"
#include "contactsdesk.h"
#include "reminders/session.h"
#include "todaypanel.h"
#include "trayicon.h"
#include "widgets.h"

#include <QLabel>

namespace quill {

void MainWindow::followSettings()
{
    applyTrayOnly();
    if (m_contacts) {
        m_contacts->setChoices(m_alerts->preferences().people);
        m_contacts->setSource(m_alerts->preferences().contactsSource);
    }
    showCelebrants();
    if (m_calendar)
        m_calendar->followPreferences(m_alerts->preferences());
}

void MainWindow::showCelebrants()
{
    if (!m_contacts || !m_celebrants)
        return;
    const QDate today = m_services.clock.now().date();
    m_celebrantsDay = today;
    const auto rule = m_alerts->preferences().leapDayRule();
    const QString list = ContactsDesk::shortList(m_contacts->book().on(today, rule));
    const QString tomorrow = ContactsDesk::shortList(m_contacts->book().on(today.addDays(1), rule));
    const QString tip = tomorrow.isEmpty() ? QStringLiteral("Holnap nem ünnepel senki az "
                                                            "ismerősök közül.")
                                           : QStringLiteral("Holnap: ") + tomorrow;
    m_celebrants->setToolTip(tip);
    const QString text = list.isEmpty() ? QString() : QStringLiteral("Ma ünnepel: ") + list;
    // Shown whole to a screen reader and in the tooltip; cut short only on the narrow strip.
    m_celebrants->setAccessibleDescription(text);
    m_celebrants->setText(
        m_celebrants->fontMetrics().elidedText(text, Qt::ElideRight, m_celebrants->width()));
    if (m_celebrants->text() != text)
        m_celebrants->setToolTip(text + u'\n' + tip);
    m_celebrants->setVisible(!text.isEmpty());
}

void MainWindow::announceContacts()
{
    if (!m_contacts || m_contacts->reading())
        return;
    const Preferences &p = m_alerts->preferences();
    if (p.contactsSource.isEmpty())
        return;
    const QDateTime now = m_services.clock.now();
    if (now.time() < p.contactsTime || m_alerts->contactsAnnounced() == now.date())
        return;
    // Come late (a start after the time, a wake from sleep): after the start's grace.
    const bool late = p.contactsTime.secsTo(now.time()) >= 60;
    if (late && m_sinceStart.elapsed() < AlertScanner::startGraceMs)
        return;
    m_alerts->setContactsAnnounced(now.date());
    const QString text = ContactsDesk::announcement(
        m_contacts->book(), now.date(), p.notice.nameDayDays, p.leapDayRule(), p.people);
    if (!text.isEmpty())
        m_alerts->presentText(text);
}

void MainWindow::applyTrayOnly()
{
    if (m_alerts->preferences().trayOnly && m_tray)
        hide();
    else if (!isVisible())
        show();
}

void MainWindow::updateTray()
{
    if (m_tray)
        m_tray->update(m_services.clock.now().date(), m_today->weekday(), m_today->names(),
                       m_session.table());
}

} // namespace quill
