#include "mainwindow.h"

#include "aboutbox.h"
#include "accessibility.h"
#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "files/safefile.h"
#include "platform/twips.h"
#include "remindereditor.h"
#include "reminderlist.h"
#include "reminders/session.h"
#include "savequestion.h"
#include "searchpanel.h"
#include "widgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <cstdio>

namespace quill {

using viewmodes::View;

namespace {

// A cursor file: an icon directory whose entries carry the hot spot.
QCursor loadCursor(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.peek(22);
    const QPixmap pixmap(path, "CUR");
    if (pixmap.isNull() || head.size() < 22)
        return {};
    auto u16 = [&head](int at) {
        return int(static_cast<unsigned char>(head[at])) |
               int(static_cast<unsigned char>(head[at + 1])) << 8;
    };
    return QCursor(pixmap, u16(10), u16(12));
}

} // namespace

MainWindow::MainWindow(Services &services, ReminderSession &session, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_session(session)
{
    m_sinceStart.start();
    installAccessibility();
    setObjectName(QStringLiteral("Form1"));
    setFont(dialogFont());
    // The window itself takes the keyboard, so its keys work in every view (the title-bar view
    // has nothing else to hold the focus).
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(viewmodes::normalTitle());

    createTodayPanel();
    createSignature();
    createMenu();
    createKeys();
    showToday(m_services.clock.now());
    // The search panel is not in the first view: it is built as soon as the event loop runs,
    // after the window has been shown (its text fields are what loads the fonts).
    QTimer::singleShot(0, this, &MainWindow::completeStartUp);
    loadReminders();

    applyViewSize();
    clockTick();
    createTimers();
    signatureTick();
}

MainWindow::~MainWindow()
{
    stopFocusWatchers(this);
    delete m_about;
    delete m_editor;
    delete m_list;
}

void MainWindow::completeStartUp()
{
    if (m_search)
        return;
    m_search = new SearchPanel(this, m_services);
    for (QWidget *w : m_search->controls()) {
        if (qobject_cast<QFrame *>(w))
            w->installEventFilter(this); // the popup menu opens over the boxes too
    }
    m_exitButton = makeButton(this, QStringLiteral("Command2"), QStringLiteral("Kilépés"),
                              twips::rect(4080, 3480, 1575, 375));
    connect(m_exitButton, &QPushButton::clicked, this, [this] {
        if (askAndSave(QStringLiteral("Naptár"), true))
            endProgram();
    });
    setTabOrder(m_search->controls().last(), m_exitButton);
    showSearchPanel(m_view == View::Full);
    m_signature->raise();
}

// The search and the exit button belong to the full view; elsewhere they are neither seen nor
// reached with Tab.
void MainWindow::showSearchPanel(bool shown)
{
    if (!m_search)
        return;
    for (QWidget *w : m_search->controls())
        w->setVisible(shown);
    m_exitButton->setVisible(shown);
}

void MainWindow::createKeys()
{
    // The popup menu from the keyboard, in every view: the Menu key and Shift+F10.
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)})
        connect(new QShortcut(key, this), &QShortcut::activated, this,
                [this] { m_menu->popup(mapToGlobal(QPoint(0, 0))); });
    // F1 opens the help's contents from any window of the program.
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, [this] { showHelp(HelpView::Contents); });
}

void MainWindow::createTodayPanel()
{
    struct Piece {
        TodayPiece piece;
        int left, width;
    };
    for (const Piece &p :
         {Piece{Year, 120, 495}, Piece{Month, 720, 975}, Piece{Day, 1560, 375},
          Piece{Weekday, 2040, 855}, Piece{Time, 3000, 615}, Piece{Names, 3720, 2055}}) {
        QLabel *label = makeLabel(this, QStringLiteral("Label1_%1").arg(p.piece), QString(),
                                  twips::rect(p.left, 120, p.width, 255));
        label->installEventFilter(this); // the popup menu opens over the panel too
        m_today[p.piece] = label;
    }
    QFont bold = dialogFont();
    bold.setBold(true);
    m_today[Time]->setFont(bold);
    describeLabel(m_today[Time], QStringLiteral("Idő"));
    setTextColour(m_today[Names], QColor(255, 0, 0));
    describeLabel(m_today[Names], QStringLiteral("Mai névnap"));
}

void MainWindow::createSignature()
{
    m_signature =
        makeLabel(this, QStringLiteral("Label4"), QString(), twips::rect(2640, 3480, 1335, 375),
                  fontOf(QStringLiteral("Times New Roman"), 12, true));
    m_signature->setAlignment(Qt::AlignCenter);
    describeLabel(m_signature, QStringLiteral("Aláírás"));
    m_signature->installEventFilter(this);
}

void MainWindow::createMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("fomenu"));
    auto add = [](QMenu *menu, const QString &name, const QString &caption) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    m_titleBarItem = add(m_menu, QStringLiteral("cimsor"), QStringLiteral("Csak címsor"));
    m_normalItem = add(m_menu, QStringLiteral("mini"), QStringLiteral("Normál"));
    m_fullItem = add(m_menu, QStringLiteral("teljes"), QStringLiteral("Keresés"));
    for (QAction *a : {m_titleBarItem, m_normalItem, m_fullItem})
        a->setCheckable(true);
    m_normalItem->setChecked(true);
    m_menu->setDefaultAction(m_normalItem);
    connect(m_titleBarItem, &QAction::triggered, this, [this] { setView(View::TitleBar); });
    connect(m_normalItem, &QAction::triggered, this, [this] { setView(View::Normal); });
    connect(m_fullItem, &QAction::triggered, this, [this] { setView(View::Full); });
    connect(add(m_menu, QStringLiteral("remember"), QStringLiteral("Emlékeztetők")),
            &QAction::triggered, this, &MainWindow::openEditor);
    m_menu->addSeparator()->setObjectName(QStringLiteral("sep1"));
    QMenu *help = m_menu->addMenu(QStringLiteral("Súgó"));
    help->setObjectName(QStringLiteral("sugo_menu"));
    help->menuAction()->setObjectName(QStringLiteral("sugo"));
    connect(add(help, QStringLiteral("tart"), QStringLiteral("Tartalom")), &QAction::triggered,
            this, [this] { showHelp(HelpView::Contents); });
    connect(add(help, QStringLiteral("targy"), QStringLiteral("Tárgymutató")), &QAction::triggered,
            this, [this] { showHelp(HelpView::Index); });
    connect(add(help, QStringLiteral("keress"), QStringLiteral("Keresés")), &QAction::triggered,
            this, [this] { showHelp(HelpView::Search); });
    connect(add(m_menu, QStringLiteral("nevjegy"), QStringLiteral("Névjegy")), &QAction::triggered,
            this, &MainWindow::openAbout);
    m_autostartItem =
        add(m_menu, QStringLiteral("inditas"), QStringLiteral("Indítás bejelentkezéskor"));
    m_autostartItem->setCheckable(true);
    connect(m_autostartItem, &QAction::triggered, this, &MainWindow::setStartAtLogin);
    connect(m_menu, &QMenu::aboutToShow, this,
            [this] { m_autostartItem->setChecked(m_services.autostart.enabled()); });
    connect(add(m_menu, QStringLiteral("kilep"), QStringLiteral("Kilépés")), &QAction::triggered,
            this, [this] {
                if (askAndSave(QStringLiteral("Quillomat"), false))
                    endProgram();
            });
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
        alertTick();
        scheduleTick();
    });
    scheduleTick();
    // The moving signature steps every 150 ms, and only while it moves.
    m_signatureTimer = new QTimer(this);
    m_signatureTimer->setObjectName(QStringLiteral("Timer2"));
    m_signatureTimer->setInterval(150);
    connect(m_signatureTimer, &QTimer::timeout, this, &MainWindow::signatureTick);
}

void MainWindow::scheduleTick()
{
    const int intoSecond = QTime::currentTime().msec();
    m_clockTimer->start(1000 - intoSecond + 2);
}

// ---- today panel and clock -------------------------------------------------------------

void MainWindow::showToday(const QDateTime &now)
{
    const QDate date = now.date();
    m_shownDate = date;
    setTextIfChanged(m_today[Year], date.toString(QStringLiteral("yyyy. ")));
    setTextIfChanged(m_today[Day], u' ' + QString::number(date.day()) + u'.');
    // The system's names are shown in Hungarian where they are English; the lookup takes
    // both, and a system in a third language finds no names.
    const QString month = m_services.dateNames.monthName(date);
    setTextIfChanged(m_today[Month], hungarianMonthName(month));
    setTextIfChanged(m_today[Weekday],
                     hungarianWeekdayName(m_services.dateNames.weekdayName(date)));
    const NameLookup found = NameDayCalendar::lookup(month, QString::number(date.day()));
    if (found.error == LookupError::None)
        m_todaysNames = found.names;
    setTextIfChanged(m_today[Names], m_todaysNames + QStringLiteral(" napja"));
    // Users plan a day ahead: tomorrow's names are a hover away.
    const QDate tomorrow = date.addDays(1);
    const QString next = NameDayCalendar::entry(tomorrow.month(), tomorrow.day());
    m_today[Names]->setToolTip(next.isEmpty() ? QStringLiteral("Holnap nincs névnap.")
                                              : QStringLiteral("Holnap: ") + next);
}

QString MainWindow::titleBarLine() const
{
    const QString two = QStringLiteral("  ");
    return m_today[Year]->text() + u' ' + m_today[Month]->text() + two + m_today[Day]->text() +
           two + m_today[Weekday]->text() + two + m_today[Time]->text() + two + m_todaysNames;
}

void MainWindow::clockTick()
{
    const QDateTime now = m_services.clock.now();
    setTextIfChanged(m_today[Time], now.toString(QStringLiteral("HH:mm")));
    // The day turns whenever the date differs from the one shown, also after a sleep.
    if (now.date() != m_shownDate)
        showToday(now);
    if (m_view == View::TitleBar) {
        const QString line = titleBarLine();
        if (windowTitle() != line)
            setWindowTitle(line);
    }
}

void MainWindow::signatureTick()
{
    if (!m_signatureMoving) {
        m_signatureTimer->stop();
        setTextColour(m_signature, QColor(0, 0, 255));
        setTextIfChanged(m_signature, QStringLiteral("   Zelmarin ™   "));
        return;
    }
    // Windows of the name that grow by one letter a step, then one empty step: 13 in all.
    const QString name = QStringLiteral("   Zelmarin   ");
    std::array<int, 3> rgb{};
    for (int &c : rgb)
        c = int(std::generate_canonical<double, 32>(m_random) * 255);
    setTextColour(m_signature, QColor(rgb[0], rgb[1], rgb[2]));
    QString caption = name.mid(m_signatureStep - 1, m_signatureStep + 3);
    ++m_signatureStep;
    if (m_signatureStep == 14) {
        caption.clear();
        m_signatureStep = 1;
    }
    setTextIfChanged(m_signature, caption);
}

void MainWindow::alertTick()
{
    // Ticks while a box is open are skipped: no stacked boxes.
    if (m_alertShowing)
        return;
    const QList<DueAlert> due =
        m_scanner.scan(m_session.table(), m_services.clock.now(), m_sinceStart.elapsed());
    if (due.isEmpty())
        return;
    m_alertShowing = true;
    // The desktop's notification list, and the record of what was announced, hear of each
    // alert once; the box comes back as the rule says while its minute lasts.
    bool anyNew = false;
    for (const DueAlert &alert : due) {
        if (!alert.again) {
            anyNew = true;
            m_services.notifier.notify(alertTitle(), alert.text);
        }
    }
    if (anyNew)
        Q_EMIT alertsAnnounced(alertsDealtWithUntil());
    for (const DueAlert &alert : due)
        m_services.boxes.show(this, MsgIcon::Exclamation, alertTitle(), alert.text);
    m_alertShowing = false;
}

void MainWindow::resumeAlertsFrom(const QDateTime &lastRunEnd)
{
    m_scanner.resumeFrom(lastRunEnd);
}

QDateTime MainWindow::alertsDealtWithUntil() const
{
    return m_scanner.dealtWithUntil(m_services.clock.now());
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
    const LoadReport report = m_session.load();
    const QString notice = loadNotice(report, m_session.file().path());
    if (!notice.isEmpty())
        m_services.boxes.show(
            this, loadNoticeIsFailure(report) ? MsgIcon::Critical : MsgIcon::Exclamation,
            QStringLiteral("Quillomat"), notice);
    offerEmergencyCopy();
}

// The last run could not save at its end and left its reminders in an emergency copy.
void MainWindow::offerEmergencyCopy()
{
    ReminderFile &file = m_session.file();
    const QString pending = file.pendingEmergencyCopy();
    if (pending.isEmpty())
        return;
    const MsgAnswer answer = m_services.boxes.show(
        this, MsgIcon::Question, QStringLiteral("Quillomat"),
        QStringLiteral("A program legutóbbi futásának végén nem sikerült menteni az "
                       "emlékeztetőket, ezért vészmentést készített róluk:\n%1\n\nBetöltsem a "
                       "vészmentés emlékeztetőit a fájlban levők helyett? (Mentésig egyik fájl "
                       "sem változik.)")
            .arg(pending),
        MsgButtons::YesNo);
    if (answer == MsgAnswer::Yes && m_session.takeEmergencyCopy(pending))
        return;
    const QString kept = file.retireEmergencyCopy(true);
    m_services.boxes.show(this, MsgIcon::Information, QStringLiteral("Quillomat"),
                          QStringLiteral("A vészmentés megmaradt ezen a néven:\n") + kept);
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
    // Centred under the main window.
    const QRect main = frameGeometry();
    const QRect own = editor->frameGeometry();
    editor->move(main.left() + (main.width() - own.width()) / 2, main.top() + main.height());
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
    m_view = view;
    applyView();
}

// The view's check mark, title and height.
void MainWindow::applyView()
{
    m_enforceTries = 0;
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
    showSearchPanel(m_view == View::Full);
    applyViewSize();
}

// The normal view's inside is 6000 by 900 twips and the title-bar view has nothing below the
// title bar: sizes that need no frame, so they hold from the first frame a window manager draws.
// The full view's 4500 twips are the whole window's, title bar included, and its width is left
// as the user made it.
void MainWindow::applyViewSize()
{
    const int height = viewmodes::viewHeight(m_view);
    if (m_view == View::Full)
        applyOuterSize(QSize(twips::fromPx(frameGeometry().width()), height));
    else
        applyInnerSize(QSize(6000, height));
}

void MainWindow::applyInnerSize(QSize twipsSize)
{
    const QSize inner = twips::size(twipsSize.width(), twipsSize.height());
    m_resizing = true;
    resize(std::max(1, inner.width()), std::max(1, inner.height()));
    m_resizing = false;
    placeTopCentre();
}

void MainWindow::applyOuterSize(QSize twipsSize)
{
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize outer = twips::size(twipsSize.width(), twipsSize.height());
    applyInnerSize(QSize(twips::fromPx(outer.width() - frame.width()),
                         twips::fromPx(outer.height() - frame.height())));
}

void MainWindow::placeTopCentre()
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = s ? s->geometry() : QRect();
    const QPoint place(area.left() + (area.width() - frameGeometry().width()) / 2, area.top());
    if (frameGeometry().topLeft() != place)
        move(place);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_resizing)
        return;
    // The rule looks at the inside: in the title-bar view that is how far the user pulled the
    // window open below the title bar the window system draws.
    const QSize inside(twips::fromPx(event->size().width()), twips::fromPx(event->size().height()));
    const auto outcome = viewmodes::resizeRule(m_view, inside);
    if (outcome.leavesTitleBarView) {
        m_view = View::Normal;
        applyView();
        return;
    }
    if (outcome.size != inside) {
        // A window manager that will not give the size would answer every request with
        // another refusal; a few tries are enough.
        if (++m_enforceTries <= 3)
            applyInnerSize(outcome.size);
    } else {
        m_enforceTries = 0;
        placeTopCentre();
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
    // A window manager tells the size of its frame only after the first frame is drawn: the
    // window is placed again then, so it sits at the top centre in its whole width.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame != m_knownFrame) {
        m_knownFrame = frame;
        placeTopCentre();
    }
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only now does the window system tell the frame's size.
    QTimer::singleShot(0, this, [this] {
        loadSignatureCursor();
        if (m_view != View::Full)
            applyView();
        else
            placeTopCentre();
    });
}

void MainWindow::loadSignatureCursor()
{
    if (m_cursorLoaded)
        return;
    m_cursorLoaded = true;
    const QCursor hand = loadCursor(m_services.folder.file(QStringLiteral("hand.cur")));
    if (!hand.pixmap().isNull())
        m_signature->setCursor(hand);
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
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == m_signature) {
            if (mouse->button() == Qt::LeftButton) {
                m_signatureMoving = !m_signatureMoving;
                if (m_signatureMoving)
                    m_signatureTimer->start();
            }
        } else if (mouse->button() == Qt::RightButton) {
            m_menu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- the ways out ----------------------------------------------------------------------

bool MainWindow::askAndSave(const QString &title, bool always)
{
    const SaveOutcome outcome = quill::askAndSave(m_session, m_services.boxes, this, title,
                                                  always ? Ask::Always : Ask::WhenModified);
    if (outcome == SaveOutcome::Declined)
        m_declinedRevision = m_session.table().revision();
    return outcome != SaveOutcome::Failed && outcome != SaveOutcome::Cancelled;
}

bool MainWindow::saveWithoutAsking()
{
    if (!m_session.isModified() || m_session.table().revision() == m_declinedRevision)
        return true;
    // Nobody may be there to answer: another program's change to the file is kept as a backup.
    const SaveReport saved = m_session.save(OnChangedFile::KeepMine);
    QString told;
    if (saved.ok()) {
        told = keptVersionsText(saved);
    } else {
        // The program is about to end, so the changes cannot stay in it: they go to an
        // emergency copy on another disk, which the next start offers back.
        QString written;
        const std::error_code error =
            m_session.file().writeEmergencyCopy(m_session.table(), &written);
        told = emergencyText(m_session.file(), saved, error, written);
    }
    // No one may be there to see a box any more; the terminal or the session log is told.
    if (!told.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(told));
    return saved.ok();
}

bool MainWindow::stopFromOutside()
{
    const bool saved = saveWithoutAsking();
    endProgram();
    return saved;
}

bool MainWindow::commitSession(bool mayAsk)
{
    return mayAsk ? askAndSave(QStringLiteral("Quillomat"), false) : saveWithoutAsking();
}

void MainWindow::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    m_clockTimer->stop();
    m_signatureTimer->stop();
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
    if (!m_ending) {
        // Closed from the title bar: unsaved reminders are not dropped without a word. After the
        // session's question was answered "No", the session's end closes without asking again.
        const bool settled = m_session.table().revision() == m_declinedRevision;
        if (!settled && !askAndSave(QStringLiteral("Quillomat"), false)) {
            event->ignore();
            return;
        }
        endProgram();
    }
    event->accept();
}

} // namespace quill
