#pragma once

#include "exitpaths.h"
#include "reminders/table.h"
#include "viewgeometry.h"
#include "viewmodes/viewrules.h"
#include "windows/services.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QTimer;

namespace quill {

class AlertDesk;
class ContactsDesk;
class CalendarDesk;
class SettingsWindow;
class TrayIcon;

class AboutBox;
class ReminderEditor;
class ReminderList;
class ReminderSession;
class SearchPanel;
class Signature;
class TodayPanel;

/// The main window (`Form1`): today's panel with its clock, the maker's signature, the name-day
/// search, the three views, the popup menu and the ways out of the program. Each of those is a
/// part of its own; the window wires them to the menu and its clock. The alerts are the
/// `AlertDesk`'s, the address book the `ContactsDesk`'s: the window ticks the one and shows
/// what the other finds.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(Services &services, ReminderSession &session, QWidget *parent = nullptr);
    ~MainWindow() override;

    /// The clock's step (each second, on the second): time, title-bar line, day turn.
    void clockTick();
    /// The moving signature's step (every 150 ms while it moves).
    void signatureTick();
    /// A later start of the program asked this one to come forward.
    void comeForward();

    /// Makes what the first frame does not show (the tray icon, the address book); runs by
    /// itself after the window is first shown, and at once when anything needs it earlier.
    void completeStartUp();
    /// Builds the search panel and fills its pickers; runs when the full view is first chosen.
    void ensureSearchPanel();
    /// Shows the strip, or only the tray icon where the user chose so and a tray is there.
    void showAtStart();
    TrayIcon *trayIcon() const { return m_tray; }
    ContactsDesk *contactsDesk() const { return m_contacts; }
    /// The alerts: their timer's step, the record of what was dealt with.
    AlertDesk *alertDesk() const { return m_alerts; }
    /// The calendar files and the CalDAV sync, made on first use.
    CalendarDesk *calendarDesk();

    viewmodes::View view() const { return m_view; }
    /// The title-bar view's title: today's panel in one line.
    QString titleBarLine() const;
    bool signatureMoving() const;
    QMenu *popupMenu() const { return m_menu; }
    /// The reminder editor and list, created hidden on first use.
    ReminderEditor *reminderEditor();
    ReminderList *reminderList();
    /// The open about box, if any.
    QWidget *aboutBox() const;

    /// The program is told to stop from outside (a signal: logout, shutdown, kill): changed
    /// reminders are saved without a question, every window closes. False when the save failed.
    bool stopFromOutside();
    /// The desktop session is ending and asks for unsaved work. With leave to ask, the exit
    /// question is asked; without it the changes are saved. False asks the session to cancel
    /// the logout, since the reminders could not be saved.
    bool commitSession(bool mayAsk);

Q_SIGNALS:
    /// The user ended the program; every window of it has been closed.
    void programEnded();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenu();
    void createViewItems();
    void createHelpItems();
    void createCalendarItems();
    void createTimers();
    void createKeys();
    void scheduleTick();
    void setStartAtLogin(bool on);
    void loadReminders();
    void openEditor();
    void openList(ReminderKind kind);
    void openAbout();
    void openSettings();
    void applyTrayOnly();
    void updateTray();
    void followSettings();
    void showCelebrants();
    void showHelp(HelpView view);
    void setView(viewmodes::View view);
    void applyView();
    void quitAsking(const QString &title, bool always);
    void endProgram();

    Services &m_services;
    ReminderSession &m_session;
    viewmodes::View m_view = viewmodes::View::Normal;
    ViewGeometry m_geometry;
    ExitPaths m_exits;
    bool m_ending = false;
    bool m_restQueued = false;

    TodayPanel *m_today = nullptr;
    Signature *m_signature = nullptr;
    SearchPanel *m_search = nullptr;
    bool m_startUpCompleted = false;
    QPointer<ReminderEditor> m_editor;
    QPointer<ReminderList> m_list;
    QPointer<AboutBox> m_about;
    QPointer<SettingsWindow> m_settings;
    AlertDesk *m_alerts = nullptr;
    TrayIcon *m_tray = nullptr;
    ContactsDesk *m_contacts = nullptr;
    CalendarDesk *m_calendar = nullptr;
    QLabel *m_celebrants = nullptr;
    QDate m_celebrantsDay;

    QTimer *m_clockTimer = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_titleBarItem = nullptr;
    QAction *m_normalItem = nullptr;
    QAction *m_fullItem = nullptr;
    QAction *m_autostartItem = nullptr;
};

} // namespace quill
