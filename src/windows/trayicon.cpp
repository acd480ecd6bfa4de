#include "trayicon.h"

#include "calendar/calendar.h"
#include "platform/notifications.h"
#include "reminders/alerts.h"
#include "reminders/table.h"
#include "widgets.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace quill {

TrayIcon *TrayIcon::createIfAvailable(QWidget *strip, QMenu *menu)
{
    // Today's trays are reached through the session bus; with none there, asking would start one.
    if (!sessionBusExists() || !QSystemTrayIcon::isSystemTrayAvailable())
        return nullptr;
    return new TrayIcon(strip, menu);
}

TrayIcon::TrayIcon(QWidget *strip, QMenu *menu)
    : QObject(strip)
    , m_strip(strip)
    , m_icon(new QSystemTrayIcon(this))
{
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon(pictureFile(QStringLiteral(":/quillomat/quillomat.png"), "PNG"));
    m_icon->setIcon(icon);
    m_icon->setObjectName(QStringLiteral("talcaikon"));
    m_icon->setContextMenu(menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r != QSystemTrayIcon::Trigger)
            return;
        if (m_strip->isVisible() && m_strip->isActiveWindow()) {
            m_strip->hide();
        } else {
            m_strip->show();
            m_strip->raise();
            m_strip->activateWindow();
        }
    });
    m_icon->show();
}

QString TrayIcon::tipFor(const QDate &date, const QString &weekday, const QString &names,
                         const ReminderTable &table)
{
    QString tip = QStringLiteral("%1. %2 %3., %4\n%5 napja")
                      .arg(date.year())
                      .arg(MonthNames[std::size_t(date.month() - 1)].hungarian.toString())
                      .arg(date.day())
                      .arg(weekday, names);
    const QList<int> rows = rowsDueOn(table, date);
    if (rows.isEmpty())
        return tip + QStringLiteral("\nMára nincs emlékeztető.");
    tip += QStringLiteral("\nMa:");
    for (const int r : rows)
        tip += QStringLiteral("\n") + alertText(table.row(r)).simplified();
    return tip;
}

void TrayIcon::update(const QDate &date, const QString &weekday, const QString &names,
                      const ReminderTable &table)
{
    if (date == m_date && table.revision() == m_revision)
        return;
    m_date = date;
    m_revision = table.revision();
    m_icon->setToolTip(tipFor(date, weekday, names, table));
}

QString TrayIcon::toolTip() const
{
    return m_icon->toolTip();
}

} // namespace quill
