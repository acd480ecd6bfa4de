#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace quill {

struct Preferences;
struct Services;
class AlertDesk;
class ContactsDesk;
class CalendarDesk;
class CalendarSettings;

/// The settings window (Beállítások), three pages: "Jelzések" (the notice before name days and
/// birthdays, and meetings; the alerts now put off, each of which can be taken back; the tray),
/// "Ismerősök" (the address book, and each person's exceptions), "Naptár" (the CalDAV account).
/// Changes count at once. F1 opens the help's page of the page shown.
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    SettingsWindow(Services &services, AlertDesk &desk, ContactsDesk *contacts,
                   CalendarDesk *calendar, QWidget *parent = nullptr);
    /// Shows the settings and the snoozes as they are now.
    void refresh();
    /// Shows the window beside `strip` (the main window), within its screen.
    void showBeside(const QWidget *strip);
    /// The help's page for the page shown.
    QString helpPage() const;

private:
    QWidget *createAlertsPage();
    QWidget *createNoticeGroup(QWidget *parent);
    QWidget *createContactsGroup();
    void createPersonRows(QFormLayout *form, QWidget *group);
    QPushButton *createSourceRow(QFormLayout *form, QWidget *group);
    void keep();
    void keepAll(const Preferences &p);
    void cancelSelected();
    void showPerson();
    void keepPerson();
    void showContactsState();
    void showNoticeOfContacts();

    Services &m_services;
    AlertDesk &m_desk;
    ContactsDesk *m_contacts;
    CalendarDesk *m_calendar;
    QTabWidget *m_pages = nullptr;
    QSpinBox *m_noticeDays = nullptr;
    QComboBox *m_meetingMinutes = nullptr;
    QCheckBox *m_trayOnly = nullptr;
    QLineEdit *m_source = nullptr;
    QTimeEdit *m_contactsTime = nullptr;
    QLabel *m_contactsNotice = nullptr;
    QComboBox *m_leapDay = nullptr;
    QLabel *m_contactsState = nullptr;
    QListWidget *m_skipped = nullptr;
    class UnnamedPeopleList *m_unnamed = nullptr;
    QComboBox *m_person = nullptr;
    QSpinBox *m_personDays = nullptr;
    QComboBox *m_personNameDay = nullptr;
    QLineEdit *m_personName = nullptr;
    CalendarSettings *m_calendarPage = nullptr;
    QListWidget *m_snoozed = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_refreshing = false;
    bool m_keeping = false; ///< a change of the window's own is being kept
};

} // namespace quill
