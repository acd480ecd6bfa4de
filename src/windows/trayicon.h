#pragma once

#include <QDate>
#include <QObject>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace quill {

class ReminderTable;

/// The program in the desktop's tray (StatusNotifierItem, or the older system tray): its tooltip
/// is the day at a glance, a click shows or hides the strip, its menu is the program's menu.
/// Made only where a tray is there to hold it; elsewhere nothing changes.
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    /// None when the desktop has no tray.
    static TrayIcon *createIfAvailable(QWidget *strip, QMenu *menu);
    /// The tooltip for a day: the date, the day's names and the reminders that alert on it.
    static QString tipFor(const QDate &date, const QString &weekday, const QString &names,
                          const ReminderTable &table);
    /// Keeps the tooltip current; the work is done only when the day or the table changed.
    void update(const QDate &date, const QString &weekday, const QString &names,
                const ReminderTable &table);
    QString toolTip() const;

private:
    TrayIcon(QWidget *strip, QMenu *menu);
    QWidget *m_strip;
    QSystemTrayIcon *m_icon;
    QDate m_date;
    std::uint64_t m_revision = 0;
};

} // namespace quill
