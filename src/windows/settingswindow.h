#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace quill {

class AlertDesk;

/// The settings window (Beállítások): the notice before name days, birthdays and meetings, and
/// the alerts now put off, each of which can be taken back. Changes count at once.
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    SettingsWindow(AlertDesk &desk, QWidget *parent = nullptr);
    /// Shows the settings and the snoozes as they are now.
    void refresh();

private:
    void keep();
    void cancelSelected();

    AlertDesk &m_desk;
    QSpinBox *m_nameDayDays = nullptr;
    QSpinBox *m_birthdayDays = nullptr;
    QComboBox *m_meetingMinutes = nullptr;
    QCheckBox *m_trayOnly = nullptr;
    QListWidget *m_snoozed = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_refreshing = false;
};

} // namespace quill
