#pragma once

#include "platform/services.h"
#include "reminders/alerts.h"
#include "reminders/datafile.h"
#include "reminders/table.h"

#include <QDate>
#include <QPointer>
#include <QWidget>
#include <array>
#include <random>

class QAction;
class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;

namespace quill {

class About;
class Emlek;

/// The main window: today's panel with its clock, the name-day search, the three views, the
/// popup menu and the ways out of the program.
class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(Services &services, ReminderBook &book, ReminderFile &file, QWidget *parent = nullptr);
    ~Form1() override;

    // Window state, as the procedures share it.
    QString honapnev, napszam, nevsor, datumok, hibajel;
    bool hibas = false;
    QString nezet, sugotema, alairas;
    bool mozgo = false;
    int lepes = 0;
    std::array<int, 3> szin{};
    QString egerkep1, egerkep2;

    /// The clock timer's step (every 150 ms).
    void clockTick();
    /// The alert timer's step (every 150 ms).
    void alertTick();

    /// Builds the search panel and fills its pickers; runs by itself right after the window is
    /// first shown, and at once when anything needs the panel earlier.
    void completeStartUp();
    /// The title-bar line built from today's panel.
    QString titleBarLine() const;
    /// The editor, loaded (hidden) on first use.
    Emlek *emlek();
    /// The open about box, if any.
    QWidget *aboutBox() const;
    QMenu *fomenu() const { return m_menu; }

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
    void closeEvent(QCloseEvent *event) override;

private:
    // Procedures of the window.
    void nevek();
    void idopont();
    void feltolt();
    void teszt1();
    void teszt2();
    void modosit();
    void pipavaltas();
    void sugas();
    void kereses();

    void createTodayPanel();
    void createSearchPanel();
    void createMenu();
    void startingState();
    void option1Click();
    void option2Click();
    void refreshDay(const QDateTime &now);
    void loadReminders();
    void loadSignatureCursor();
    void openEditor();
    void openAbout();
    void setView(const QString &view);
    void applyOuterSize(QSize twipsSize);
    void placeTopCentre();
    void message(const QString &text);
    bool askAndSave(const QString &title, bool always);
    bool saveWithoutAsking();
    void endProgram();
    static void setTextIfChanged(QLabel *label, const QString &text);

    Services &m_services;
    ReminderBook &m_book;
    ReminderFile &m_file;
    AlertScanner m_scanner;
    bool m_alertShowing = false;
    bool m_ending = false;
    std::uint64_t m_declinedRevision = ~std::uint64_t(0); ///< the table as it was at a "No"
    bool m_resizing = false;
    bool m_cursorLoaded = false;
    int m_enforceTries = 0;
    QDate m_shownDate;
    std::minstd_rand m_rng; // default seed: the same colour sequence every run
    QPointer<Emlek> m_emlek;
    QPointer<About> m_about;

    std::array<QLabel *, 6> m_label1{};
    QLabel *m_label4 = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_timer2 = nullptr;
    std::array<QFrame *, 2> m_frame1{};
    QRadioButton *m_option1 = nullptr;
    QRadioButton *m_option2 = nullptr;
    QButtonGroup *m_options = nullptr;
    std::array<QComboBox *, 2> m_combo1{};
    QComboBox *m_combo2 = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_label3 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_cimsor = nullptr;
    QAction *m_mini = nullptr;
    QAction *m_teljes = nullptr;
};

} // namespace quill
