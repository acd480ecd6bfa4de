// The main window with the desktop around it: the settings followed, the tray icon, the people
// of the address book who celebrate (the address book itself is the ContactsDesk's).

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
    if (m_contacts)
        m_contacts->followPreferences(m_alerts->preferences());
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
    const ContactsDesk::Strip strip =
        m_contacts->strip(today, m_alerts->preferences().leapDayRule());
    const QString &tip = strip.tomorrow;
    const QString &text = strip.today;
    m_celebrants->setToolTip(tip);
    // Shown whole to a screen reader and in the tooltip; cut short only on the narrow strip.
    m_celebrants->setAccessibleDescription(text);
    m_celebrants->setText(
        m_celebrants->fontMetrics().elidedText(text, Qt::ElideRight, m_celebrants->width()));
    if (m_celebrants->text() != text)
        m_celebrants->setToolTip(text + u'\n' + tip);
    m_celebrants->setVisible(!text.isEmpty());
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
