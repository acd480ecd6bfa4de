// The main window's popup menu and its keys.

#include "mainwindow.h"

#include "alertdesk.h"
#include "calendardesk.h"

#include "helpkeys.h"
#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include <QShortcut>

namespace quill {

using viewmodes::View;

void MainWindow::createKeys()
{
    // The popup menu from the keyboard, in every view: the Menu key and Shift+F10.
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)})
        connect(new QShortcut(key, this), &QShortcut::activated, this,
                [this] { m_menu->popup(mapToGlobal(QPoint(0, 0))); });
    // F1 opens the help at the strip's page; each window of the program has a page of its own.
    helpOnF1(this, m_services, [] { return QStringLiteral("foablak.html"); });
}

namespace {
QAction *addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}
} // namespace

void MainWindow::createMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("fomenu"));
    createViewItems();
    connect(addItem(m_menu, QStringLiteral("remember"), QStringLiteral("Emlékeztetők")),
            &QAction::triggered, this, &MainWindow::openEditor);
    createCalendarItems();
    m_menu->addSeparator()->setObjectName(QStringLiteral("sep1"));
    createHelpItems();
    connect(addItem(m_menu, QStringLiteral("beallit"), QStringLiteral("Beállítások")),
            &QAction::triggered, this, &MainWindow::openSettings);
    connect(addItem(m_menu, QStringLiteral("nevjegy"), QStringLiteral("Névjegy")),
            &QAction::triggered, this, &MainWindow::openAbout);
    m_autostartItem =
        addItem(m_menu, QStringLiteral("inditas"), QStringLiteral("Indítás bejelentkezéskor"));
    m_autostartItem->setCheckable(true);
    connect(m_autostartItem, &QAction::triggered, this, &MainWindow::setStartAtLogin);
    connect(m_menu, &QMenu::aboutToShow, this,
            [this] { m_autostartItem->setChecked(m_services.autostart.enabled()); });
    connect(addItem(m_menu, QStringLiteral("kilep"), QStringLiteral("Kilépés")),
            &QAction::triggered, this, [this] { quitAsking(QStringLiteral("Quillomat"), false); });
}

void MainWindow::createViewItems()
{
    m_titleBarItem = addItem(m_menu, QStringLiteral("cimsor"), QStringLiteral("Csak címsor"));
    m_normalItem = addItem(m_menu, QStringLiteral("mini"), QStringLiteral("Normál"));
    m_fullItem = addItem(m_menu, QStringLiteral("teljes"), QStringLiteral("Keresés"));
    // One of three: shown as radio items.
    auto *views = new QActionGroup(this);
    views->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (QAction *a : {m_titleBarItem, m_normalItem, m_fullItem}) {
        a->setCheckable(true);
        views->addAction(a);
    }
    m_normalItem->setChecked(true);
    m_menu->setDefaultAction(m_normalItem);
    connect(m_titleBarItem, &QAction::triggered, this, [this] { setView(View::TitleBar); });
    connect(m_normalItem, &QAction::triggered, this, [this] { setView(View::Normal); });
    connect(m_fullItem, &QAction::triggered, this, [this] { setView(View::Full); });
}

void MainWindow::createCalendarItems()
{
    QMenu *calendar = m_menu->addMenu(QStringLiteral("Naptár"));
    calendar->setObjectName(QStringLiteral("naptar_menu"));
    calendar->menuAction()->setObjectName(QStringLiteral("naptar"));
    connect(addItem(calendar, QStringLiteral("naptarmentes"),
                    QStringLiteral("Emlékeztetők mentése naptárfájlba…")),
            &QAction::triggered, this, [this] { calendarDesk()->exportBook(); });
    connect(addItem(calendar, QStringLiteral("nevnapmentes"),
                    QStringLiteral("Névnapok mentése naptárfájlba…")),
            &QAction::triggered, this, [this] { calendarDesk()->exportNameDays(); });
    connect(addItem(calendar, QStringLiteral("naptarbeolvasas"),
                    QStringLiteral("Naptárfájl beolvasása…")),
            &QAction::triggered, this, [this] { calendarDesk()->importCalendar(); });
    connect(addItem(calendar, QStringLiteral("szinkron"), QStringLiteral("Szinkronizálás most")),
            &QAction::triggered, this, [this] { calendarDesk()->syncNow(true); });
}

CalendarDesk *MainWindow::calendarDesk()
{
    if (!m_calendar) {
        completeStartUp(); // the address book first: its people's days go into the export
        m_calendar = new CalendarDesk(m_services, m_session, this);
        m_calendar->followPreferences(m_alerts->preferences());
        m_calendar->setContacts(m_contacts);
    }
    return m_calendar;
}

void MainWindow::createHelpItems()
{
    QMenu *help = m_menu->addMenu(QStringLiteral("Súgó"));
    help->setObjectName(QStringLiteral("sugo_menu"));
    help->menuAction()->setObjectName(QStringLiteral("sugo"));
    connect(addItem(help, QStringLiteral("tart"), QStringLiteral("Tartalom")), &QAction::triggered,
            this, [this] { showHelp(HelpView::Contents); });
    connect(addItem(help, QStringLiteral("targy"), QStringLiteral("Tárgymutató")),
            &QAction::triggered, this, [this] { showHelp(HelpView::Index); });
    connect(addItem(help, QStringLiteral("keress"), QStringLiteral("Keresés")), &QAction::triggered,
            this, [this] { showHelp(HelpView::Search); });
}

} // namespace quill
