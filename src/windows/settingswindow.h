#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace quill {

struct Preferences;
class AlertDesk;
class ContactsDesk;
class CalendarDesk;

/// The settings window (Beállítások): the notice before name days, birthdays and meetings, and
/// the alerts now put off, each of which can be taken back. Changes count at once.
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    SettingsWindow(AlertDesk &desk, ContactsDesk *contacts, CalendarDesk *calendar,
                   QWidget *parent = nullptr);
    /// Shows the settings and the snoozes as they are now.
    void refresh();

private:
    void keep();
    void keepAll(const Preferences &p);
    void cancelSelected();

    AlertDesk &m_desk;
    QSpinBox *m_nameDayDays = nullptr;
    QSpinBox *m_birthdayDays = nullptr;
    QComboBox *m_meetingMinutes = nullptr;
    QCheckBox *m_trayOnly = nullptr;
    ContactsDesk *m_contacts;
    QLineEdit *m_source = nullptr;
    QTimeEdit *m_contactsTime = nullptr;
    QSpinBox *m_contactsDays = nullptr;
    QCheckBox *m_leapDay = nullptr;
    QLabel *m_contactsState = nullptr;
    QListWidget *m_skipped = nullptr;
    class UnnamedPeopleList *m_unnamed = nullptr;
    QComboBox *m_person = nullptr;
    QSpinBox *m_personDays = nullptr;
    QComboBox *m_personNameDay = nullptr;
    QLineEdit *m_personName = nullptr;
    void showPerson();
    void keepPerson();
    void showContactsState();
    QWidget *createContactsGroup();
    QWidget *createCalendarGroup();
    CalendarDesk *m_calendar;
    QLineEdit *m_calDavUrl = nullptr;
    QLineEdit *m_calDavUser = nullptr;
    QLineEdit *m_calDavPassword = nullptr;
    QLabel *m_syncState = nullptr;
    QListWidget *m_snoozed = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_refreshing = false;
    bool m_keeping = false; ///< a change of the window's own is being kept
};

} // namespace quill
