#include "mainwindow.h"

#include "aboutbox.h"
#include "accessibility.h"
#include "alertdesk.h"
#include "calendardesk.h"
#include "contactsdesk.h"
#include "files/safefile.h"
#include "loadnotices.h"
#include "platform/twips.h"
#include "remindereditor.h"
#include "reminderlist.h"
#include "reminders/session.h"
#include "searchpanel.h"
#include "settingswindow.h"
#include "signature.h"
#include "todaypanel.h"
#include "trayicon.h"
#include "widgets.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QTimer>

namespace quill {

using viewmodes::View;

MainWindow::MainWindow(Services &services, ReminderSession &session, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_session(session)
    , m_geometry(this)
    , m_exits(session, services.boxes, this)
{
    installAccessibility();
    announceAsWindow(this);
    setObjectName(QStringLiteral("Form1"));
    setFont(dialogFont());
    // The window itself takes the keyboard, so its keys work in every view (the title-bar view
    // has nothing else to hold the focus).
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(viewmodes::normalTitle());

    m_today = new TodayPanel(this, m_services.dateNames, this);
    m_alerts = new AlertDesk(m_services, m_session, this);
    m_signature = new Signature(this, m_services.folder.file(QStringLiteral("hand.cur")));
    createMenu();
    createKeys();
    m_today->tick(m_services.clock.now());
    // The search panel is not in the first view: it is built after the window has been shown.
    loadReminders();
    m_geometry.apply(m_view);
    clockTick();
    createTimers();
}

MainWindow::~MainWindow()
{
    stopFocusWatchers(this);
    delete m_about;
    delete m_settings;
    delete m_editor;
    delete m_list;
}

void MainWindow::showAtStart()
{
    m_alerts->ensureLoaded();
    if (m_alerts->preferences().trayOnly) {
        completeStartUp();
        if (m_tray)
            return;
    }
    show();
}

void MainWindow::completeStartUp()
{
    if (m_startUpCompleted)
        return;
    m_startUpCompleted = true;
    m_alerts->ensureLoaded();
    // The tray after the first frame: asking the desktop for one takes a round trip.
    m_tray = TrayIcon::createIfAvailable(this, m_menu);
    updateTray();
    connect(m_alerts, &AlertDesk::preferencesChanged, this, &MainWindow::followSettings);
    // The people of the address book who celebrate today, under the day's names.
    m_celebrants =
        makeLabel(this, QStringLiteral("ismerosok"), QString(), twips::rect(120, 390, 5760, 210));
    describeLabel(m_celebrants, QStringLiteral("Ismerősök ünnepe"));
    m_celebrants->installEventFilter(this); // the popup menu opens over it too
    m_celebrants->hide();
    m_contacts = new ContactsDesk(this);
    connect(m_contacts, &ContactsDesk::changed, this, &MainWindow::showCelebrants);
    m_contacts->followPreferences(m_alerts->preferences());
    m_alerts->setContacts(m_contacts);
    // The calendar's first sync a little after the start, when the user's work comes first.
    if (!m_alerts->preferences().calDavUrl.isEmpty())
        QTimer::singleShot(3000, this, [this] { calendarDesk(); });
}

// The search panel and the signature's cursor belong to the full view alone: they are made when
// that view is first chosen, and never in a run that does not search.
void MainWindow::ensureSearchPanel()
{
    if (m_search)
        return;
    m_signature->loadCursor();
    m_search = new SearchPanel(m_services, this);
    m_search->installEventFilter(this); // the popup menu opens over the panel too
    for (QWidget *frame : m_search->findChildren<QFrame *>(Qt::FindDirectChildrenOnly))
        frame->installEventFilter(this);
    connect(m_search, &SearchPanel::exitRequested, this,
            [this] { quitAsking(QStringLiteral("Naptár"), true); });
    // The search belongs to the full view; elsewhere it is neither seen nor reached with Tab.
    m_search->setVisible(m_view == View::Full);
    m_signature->label()->raise();
}

void MainWindow::createTimers()
{
    // One tick a second, on the second: the minute turns within milliseconds of the real one
    // and alerts come within their minute, while an idle program wakes once a second.
    m_clockTimer = new QTimer(this);
    m_clockTimer->setObjectName(QStringLiteral("Timer1"));
    m_clockTimer->setSingleShot(true);
    m_clockTimer->setTimerType(Qt::PreciseTimer);
    connect(m_clockTimer, &QTimer::timeout, this, [this] {
        clockTick();
        m_alerts->tick();
        scheduleTick();
    });
    scheduleTick();
}

void MainWindow::scheduleTick()
{
    const int intoSecond = m_services.clock.now().time().msec();
    m_clockTimer->start(1000 - intoSecond + 2);
}

// ---- today panel, clock, signature -----------------------------------------------------

QString MainWindow::titleBarLine() const
{
    return m_today->titleBarLine();
}

void MainWindow::clockTick()
{
    m_today->tick(m_services.clock.now());
    updateTray();
    if (m_celebrants && m_services.clock.now().date() != m_celebrantsDay)
        showCelebrants();
    // The day as a screen reader hears it includes who of the user's people celebrates.
    if (m_celebrants && !m_celebrants->accessibleDescription().isEmpty())
        setWindowSummary(this, m_today->spokenDay(m_services.clock.now().time()) +
                                   QStringLiteral(". ") + m_celebrants->accessibleDescription());
    if (m_view == View::TitleBar) {
        const QString line = titleBarLine();
        if (windowTitle() != line)
            setWindowTitle(line);
    }
}

void MainWindow::signatureTick()
{
    m_signature->tick();
}

bool MainWindow::signatureMoving() const
{
    return m_signature->moving();
}

void MainWindow::comeForward()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

// ---- reminders -------------------------------------------------------------------------

void MainWindow::loadReminders()
{
    loadAndTell(m_session, m_services.boxes, this);
}

ReminderEditor *MainWindow::reminderEditor()
{
    if (!m_editor) {
        m_editor = new ReminderEditor(m_services, m_session,
                                      {m_services.folder.file(QStringLiteral("mouse3.gif")),
                                       m_services.folder.file(QStringLiteral("mouse4.gif"))});
        connect(m_editor, &ReminderEditor::listRequested, this, &MainWindow::openList);
    }
    return m_editor;
}

ReminderList *MainWindow::reminderList()
{
    if (!m_list)
        m_list = new ReminderList(m_services, m_session);
    return m_list;
}

void MainWindow::openEditor()
{
    ReminderEditor *editor = reminderEditor();
    editor->show();
    // Centred under the main window, wholly on its screen; placed again once the window
    // manager has told the editor's frame, so its title bar never covers the main window.
    const auto place = [this, editor] {
        const QRect main = frameGeometry();
        placeOnScreen(editor, this,
                      QPoint(main.left() + (main.width() - editor->frameGeometry().width()) / 2,
                             main.top() + main.height()));
    };
    place();
    QTimer::singleShot(200, editor, place);
    editor->raise();
    editor->activateWindow();
}

void MainWindow::openList(ReminderKind kind)
{
    ReminderList *list = reminderList();
    list->show();
    list->raise();
    list->activateWindow();
    list->showKind(kind);
}

void MainWindow::setStartAtLogin(bool on)
{
    if (const std::error_code error = m_services.autostart.setEnabled(on)) {
        m_services.boxes.show(this, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
                              QStringLiteral("Az indítás bejelentkezéskor nem állítható be: %1.")
                                  .arg(files::reasonText(error)));
    }
    m_autostartItem->setChecked(m_services.autostart.enabled());
}

void MainWindow::openSettings()
{
    if (!m_settings)
        m_settings = new SettingsWindow(m_services, *m_alerts, m_contacts, calendarDesk());
    m_settings->refresh();
    m_settings->showBeside(this);
}

void MainWindow::openAbout()
{
    if (!m_about)
        m_about = new AboutBox(this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

QWidget *MainWindow::aboutBox() const
{
    return m_about;
}

void MainWindow::showHelp(HelpView view)
{
    if (!m_services.help.show(view)) {
        m_services.boxes.show(this, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
                              QStringLiteral("A súgó nem nyitható meg: a súgófájl (tartalom.qch) "
                                             "hiányzik a program mappájából, vagy sérült."));
    }
}

// ---- views -----------------------------------------------------------------------------

void MainWindow::setView(View view)
{
    completeStartUp();
    if (view == View::Full)
        ensureSearchPanel();
    m_view = view;
    applyView();
}

// The view's check mark, title, panel and size.
void MainWindow::applyView()
{
    m_geometry.resetTries();
    m_titleBarItem->setChecked(m_view == View::TitleBar);
    m_normalItem->setChecked(m_view == View::Normal);
    m_fullItem->setChecked(m_view == View::Full);
    switch (m_view) {
    case View::TitleBar:
        setWindowTitle(titleBarLine());
        break;
    case View::Normal:
        setWindowTitle(viewmodes::normalTitle());
        break;
    case View::Full:
        setWindowTitle(viewmodes::fullTitle());
        break;
    }
    if (m_search)
        m_search->setVisible(m_view == View::Full);
    m_geometry.apply(m_view);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_geometry.resized(m_view, event->size())) {
        m_view = View::Normal;
        applyView();
    }
}

void MainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        refreshTextColours(this);
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    m_geometry.moved();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only now does the window system tell the frame's size.
    QTimer::singleShot(0, this, [this] {
        if (m_view != View::Full)
            applyView();
        else
            m_geometry.placeTopCentre();
    });
}

void MainWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // What the first frame does not show (the tray icon, the address book) is made once that
    // frame is on the screen.
    if (!m_restQueued) {
        m_restQueued = true;
        QTimer::singleShot(0, this, [this] { completeStartUp(); });
    }
}

// ---- mouse -----------------------------------------------------------------------------

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        m_menu->popup(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        m_menu->popup(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- the ways out ----------------------------------------------------------------------

void MainWindow::quitAsking(const QString &title, bool always)
{
    if (m_exits.askAndSave(title, always))
        endProgram();
}

bool MainWindow::stopFromOutside()
{
    const bool saved = m_exits.saveWithoutAsking();
    endProgram();
    return saved;
}

bool MainWindow::commitSession(bool mayAsk)
{
    return mayAsk ? m_exits.askAndSave(QStringLiteral("Quillomat"), false)
                  : m_exits.saveWithoutAsking();
}

void MainWindow::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    m_clockTimer->stop();
    m_alerts->stop();
    if (m_about)
        m_about->close();
    if (m_editor)
        m_editor->closeForGood();
    if (m_list)
        m_list->hide();
    m_menu->hide();
    close();
    Q_EMIT programEnded();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closed from the title bar: unsaved reminders are not dropped without a word.
    if (!m_ending) {
        if (!m_exits.mayClose()) {
            event->ignore();
            return;
        }
        endProgram();
    }
    event->accept();
}

} // namespace quill
