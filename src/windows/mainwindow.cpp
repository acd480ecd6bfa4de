#include "mainwindow.h"

#include "aboutbox.h"
#include "calendar/calendar.h"
#include "platform/twips.h"
#include "remindereditor.h"
#include "views/viewrules.h"
#include "widgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace quill {

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

Form1::Form1(Services &services, ReminderBook &book, ReminderFile &file, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_book(book)
    , m_file(file)
{
    setObjectName(QStringLiteral("Form1"));
    setFont(dialogFont());
    setWindowTitle(views::normalTitle());
    setWindowIcon(QIcon(QStringLiteral(":/quillomat/quillomat.png")));

    createTodayPanel();
    createMenu();

    // 1-2: the editor's pictures beside the program; the signature's cursor is read once the
    // window shows, since the signature is not in the first view.
    egerkep1 = m_services.folder.file(QStringLiteral("mouse3.gif"));
    egerkep2 = m_services.folder.file(QStringLiteral("mouse4.gif"));
    // 3-5
    nezet = views::mini();
    lepes = 1;
    mozgo = false;
    // 6-7, 9
    const QDateTime now = m_services.clock.now();
    refreshDay(now);
    // 8, 10: the search panel is not in the first view; it is built as soon as the event loop
    // runs, after the window has been shown (its text fields are what loads the fonts).
    QTimer::singleShot(0, this, &Form1::completeStartUp);
    // 11-12
    loadReminders();
    m_book.modositva = false;

    applyOuterSize(QSize(6000, views::viewHeight(nezet)));
    clockTick();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(150);
    connect(m_timer1, &QTimer::timeout, this, &Form1::clockTick);
    m_timer1->start();
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(150);
    connect(m_timer2, &QTimer::timeout, this, &Form1::alertTick);
    m_timer2->start();
}

void Form1::loadSignatureCursor()
{
    if (m_cursorLoaded)
        return;
    m_cursorLoaded = true;
    const QCursor hand = loadCursor(m_services.folder.file(QStringLiteral("hand.cur")));
    if (!hand.pixmap().isNull())
        m_label4->setCursor(hand);
}

Form1::~Form1()
{
    stopFocusWatchers(this);
    delete m_about;
    delete m_emlek;
}

void Form1::completeStartUp()
{
    if (m_combo2)
        return;
    createSearchPanel();
    feltolt();
    startingState();
    for (QWidget *w : {static_cast<QWidget *>(m_frame1[0]), static_cast<QWidget *>(m_frame1[1]),
                       static_cast<QWidget *>(m_command1), static_cast<QWidget *>(m_command2)})
        w->show();
    m_label4->raise();
}

void Form1::createTodayPanel()
{
    struct Piece {
        int index, left, width;
    };
    for (const Piece &p : {Piece{4, 120, 495}, Piece{0, 720, 975}, Piece{5, 1560, 375},
                           Piece{1, 2040, 855}, Piece{2, 3000, 615}, Piece{3, 3720, 2055}}) {
        QLabel *label = makeLabel(this, QStringLiteral("Label1_%1").arg(p.index),
                                  twips::rect(p.left, 120, p.width, 255));
        label->installEventFilter(this);
        m_label1[std::size_t(p.index)] = label;
    }
    QFont bold = dialogFont();
    bold.setBold(true);
    m_label1[2]->setFont(bold);
    m_label1[2]->setAccessibleName(QStringLiteral("Idő"));
    setTextColour(m_label1[3], QColor(255, 0, 0));
    m_label1[3]->setAccessibleName(QStringLiteral("Mai névnap"));

    m_label4 = makeLabel(this, QStringLiteral("Label4"), twips::rect(2640, 3480, 1335, 375));
    m_label4->setFont(fontOf(QStringLiteral("Times New Roman"), 12, true));
    m_label4->setAlignment(Qt::AlignCenter);
    m_label4->setAccessibleName(QStringLiteral("Aláírás"));
    m_label4->installEventFilter(this);
}

void Form1::createMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("fomenu"));
    auto add = [this](QMenu *menu, const QString &name, const QString &caption) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    m_cimsor = add(m_menu, QStringLiteral("cimsor"), QStringLiteral("Csak címsor"));
    m_mini = add(m_menu, QStringLiteral("mini"), QStringLiteral("Normál"));
    m_teljes = add(m_menu, QStringLiteral("teljes"), QStringLiteral("Keresés"));
    for (QAction *a : {m_cimsor, m_mini, m_teljes})
        a->setCheckable(true);
    m_mini->setChecked(true);
    m_menu->setDefaultAction(m_mini);
    connect(m_cimsor, &QAction::triggered, this, [this] { setView(views::cimsor()); });
    connect(m_mini, &QAction::triggered, this, [this] { setView(views::mini()); });
    connect(m_teljes, &QAction::triggered, this, [this] { setView(views::teljes()); });
    connect(add(m_menu, QStringLiteral("remember"), QStringLiteral("Emlékeztetők")),
            &QAction::triggered, this, &Form1::openEditor);
    m_menu->addSeparator()->setObjectName(QStringLiteral("sep1"));
    QMenu *sugo = m_menu->addMenu(QStringLiteral("Súgó"));
    sugo->setObjectName(QStringLiteral("sugo_menu"));
    sugo->menuAction()->setObjectName(QStringLiteral("sugo"));
    auto help = [this](const QString &topic) {
        return [this, topic] {
            sugotema = topic;
            sugas();
        };
    };
    connect(add(sugo, QStringLiteral("tart"), QStringLiteral("Tartalom")), &QAction::triggered,
            this, help(QStringLiteral("tartalom")));
    connect(add(sugo, QStringLiteral("targy"), QStringLiteral("Tárgymutató")), &QAction::triggered,
            this, help(QStringLiteral("index")));
    connect(add(sugo, QStringLiteral("keress"), QStringLiteral("Keresés")), &QAction::triggered,
            this, help(QStringLiteral("keres")));
    connect(add(m_menu, QStringLiteral("nevjegy"), QStringLiteral("Névjegy")), &QAction::triggered,
            this, &Form1::openAbout);
    connect(add(m_menu, QStringLiteral("kilep"), QStringLiteral("Kilépés")), &QAction::triggered,
            this, [this] {
                if (askAndSave(QStringLiteral("Quillomat"), false))
                    endProgram();
            });
}

// ---- today panel and clock -------------------------------------------------------------

void Form1::setTextIfChanged(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

void Form1::refreshDay(const QDateTime &now)
{
    const QDate date = now.date();
    m_shownDate = date;
    setTextIfChanged(m_label1[4], date.toString(QStringLiteral("yyyy. ")));
    setTextIfChanged(m_label1[5], u' ' + QString::number(date.day()) + u'.');
    const QString month = m_services.dateNames.monthName(date);
    setTextIfChanged(m_label1[0], hungarianMonthName(month));
    setTextIfChanged(m_label1[1], hungarianWeekdayName(m_services.dateNames.weekdayName(date)));
    honapnev = month;
    napszam = QString::number(date.day());
    nevek();
    setTextIfChanged(m_label1[3], nevsor + QStringLiteral(" napja"));
    // A day without a recognised month leaves its marker here; no search made it.
    hibajel.clear();
}

QString Form1::titleBarLine() const
{
    const QString two = QStringLiteral("  ");
    return m_label1[4]->text() + u' ' + m_label1[0]->text() + two + m_label1[5]->text() + two +
           m_label1[1]->text() + two + m_label1[2]->text() + two + nevsor;
}

void Form1::clockTick()
{
    const QDateTime now = m_services.clock.now();
    setTextIfChanged(m_label1[2], now.toString(QStringLiteral("HH:mm")));
    // The day turns whenever the date differs from the one shown, also after a sleep.
    if (now.date() != m_shownDate)
        refreshDay(now);
    if (nezet == views::cimsor()) {
        const QString line = titleBarLine();
        if (windowTitle() != line)
            setWindowTitle(line);
    }
    if (!mozgo) {
        alairas = QStringLiteral("   Zelmarin ™   ");
        setTextColour(m_label4, QColor(0, 0, 255));
        setTextIfChanged(m_label4, alairas);
        return;
    }
    alairas = QStringLiteral("   Zelmarin   ");
    for (int &c : szin)
        c = int(std::generate_canonical<double, 32>(m_rng) * 255);
    setTextColour(m_label4, QColor(szin[0], szin[1], szin[2]));
    QString caption = alairas.mid(lepes - 1, lepes + 3);
    ++lepes;
    if (lepes == 14) {
        caption.clear();
        lepes = 1;
    }
    setTextIfChanged(m_label4, caption);
}

void Form1::alertTick()
{
    // Ticks while a box is open are skipped: no stacked boxes.
    if (m_alertShowing)
        return;
    const QList<DueAlert> due = m_scanner.scan(m_book.table, m_services.clock.now());
    if (due.isEmpty())
        return;
    m_alertShowing = true;
    for (const DueAlert &alert : due)
        m_services.boxes.show(this, MsgIcon::Exclamation, alertTitle(), alert.text);
    m_alertShowing = false;
}

// ---- reminders -------------------------------------------------------------------------

void Form1::loadReminders()
{
    const LoadReport report = m_file.load(m_book);
    const QString notice = loadNotice(report, m_file.path());
    if (!notice.isEmpty())
        m_services.boxes.show(
            this, loadNoticeIsFailure(report) ? MsgIcon::Critical : MsgIcon::Exclamation,
            QStringLiteral("Quillomat"), notice);
}

Emlek *Form1::emlek()
{
    if (!m_emlek)
        m_emlek = new Emlek(m_services, m_book, m_file, egerkep1, egerkep2);
    return m_emlek;
}

void Form1::openEditor()
{
    Emlek *editor = emlek();
    editor->show();
    const QRect main = frameGeometry();
    const QRect own = editor->frameGeometry();
    editor->move(main.left() + (main.width() - own.width()) / 2, main.top() + main.height());
    editor->raise();
    editor->activateWindow();
}

void Form1::openAbout()
{
    if (!m_about)
        m_about = new About(this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

QWidget *Form1::aboutBox() const
{
    return m_about;
}

void Form1::sugas()
{
    const HelpView view = sugotema == u"keres"   ? HelpView::Search
                          : sugotema == u"index" ? HelpView::Index
                                                 : HelpView::Contents;
    if (!m_services.help.show(view)) {
        m_services.boxes.show(this, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
                              QStringLiteral("A súgó nem nyitható meg: a súgófájl (tartalom.qch) "
                                             "hiányzik a program mappájából, vagy sérült."));
    }
}

// ---- views -----------------------------------------------------------------------------

void Form1::setView(const QString &view)
{
    completeStartUp();
    nezet = view;
    if (view == views::teljes())
        setWindowTitle(views::fullTitle());
    pipavaltas();
}

void Form1::pipavaltas()
{
    m_enforceTries = 0;
    const int height = views::viewHeight(nezet);
    if (height < 0)
        return;
    m_cimsor->setChecked(nezet == views::cimsor());
    m_mini->setChecked(nezet == views::mini());
    m_teljes->setChecked(nezet == views::teljes());
    if (nezet == views::cimsor())
        setWindowTitle(titleBarLine());
    else if (nezet == views::mini())
        setWindowTitle(views::normalTitle());
    else
        setWindowTitle(views::fullTitle());
    applyOuterSize(
        QSize(nezet == views::teljes() ? twips::fromPx(frameGeometry().width()) : 6000, height));
}

void Form1::applyOuterSize(QSize twipsSize)
{
    // Sizes are the outer ones, title bar and border included, as the window system has them.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize outer = twips::size(twipsSize.width(), twipsSize.height());
    const QSize inner(std::max(1, outer.width() - frame.width()),
                      std::max(1, outer.height() - frame.height()));
    m_resizing = true;
    resize(inner);
    m_resizing = false;
    placeTopCentre();
}

void Form1::placeTopCentre()
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = s ? s->geometry() : QRect();
    const QPoint place(area.left() + (area.width() - frameGeometry().width()) / 2, area.top());
    if (frameGeometry().topLeft() != place)
        move(place);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_resizing)
        return;
    const QSize frame = frameGeometry().size() - geometry().size();
    QSize outer = event->size() + frame;
    // The title-bar view keeps only what the window system draws; what counts there is how far
    // the user pulled the window open below it.
    if (nezet == views::cimsor())
        outer = event->size();
    const auto outcome = views::resizeRule(
        nezet, QSize(twips::fromPx(outer.width()), twips::fromPx(outer.height())));
    if (outcome.leavesTitleBarView) {
        nezet = views::mini();
        pipavaltas();
        return;
    }
    if (outcome.size != QSize(twips::fromPx(outer.width()), twips::fromPx(outer.height()))) {
        // A window manager that will not give the size would answer every request with
        // another refusal; a few tries are enough.
        if (++m_enforceTries <= 3)
            applyOuterSize(outcome.size);
    } else {
        m_enforceTries = 0;
        placeTopCentre();
    }
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only now does the window system tell the frame's size.
    QTimer::singleShot(0, this, [this] {
        loadSignatureCursor();
        if (nezet != views::teljes())
            pipavaltas();
        else
            placeTopCentre();
    });
}

// ---- mouse -----------------------------------------------------------------------------

void Form1::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        m_menu->popup(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == m_label4) {
            if (mouse->button() == Qt::LeftButton)
                mozgo = !mozgo;
        } else if (mouse->button() == Qt::RightButton) {
            m_menu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- the ways out ----------------------------------------------------------------------

bool Form1::askAndSave(const QString &title, bool always)
{
    if (!always && !m_book.modositva)
        return true;
    const MsgAnswer answer =
        m_services.boxes.show(this, MsgIcon::Question, title,
                              QStringLiteral("Mentsem a módosításokat?"), MsgButtons::YesNo);
    if (answer != MsgAnswer::Yes) {
        m_declinedRevision = m_book.table.revision();
        return true;
    }
    const SaveReport saved = m_file.save(m_book.table);
    if (!saved.ok()) {
        m_services.boxes.show(this, MsgIcon::Critical, title, saveFailureText(m_file, saved));
        return false;
    }
    m_book.modositva = false;
    return true;
}

bool Form1::saveWithoutAsking()
{
    if (!m_book.modositva || m_book.table.revision() == m_declinedRevision)
        return true;
    const SaveReport saved = m_file.save(m_book.table);
    if (!saved.ok()) {
        // No one may be there to see a box any more; the terminal or the session log is told.
        std::fprintf(stderr, "%s\n", qPrintable(saveFailureText(m_file, saved)));
        return false;
    }
    m_book.modositva = false;
    return true;
}

bool Form1::stopFromOutside()
{
    const bool saved = saveWithoutAsking();
    endProgram();
    return saved;
}

bool Form1::commitSession(bool mayAsk)
{
    return mayAsk ? askAndSave(QStringLiteral("Quillomat"), false) : saveWithoutAsking();
}

void Form1::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    m_timer1->stop();
    m_timer2->stop();
    if (m_about)
        m_about->close();
    if (m_emlek)
        m_emlek->closeAll();
    m_menu->hide();
    close();
    Q_EMIT programEnded();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!m_ending) {
        // Closed from the title bar: unsaved reminders are not dropped without a word. After the
        // session's question was answered "No", the session's end closes without asking again.
        const bool settled = m_book.table.revision() == m_declinedRevision;
        if (!settled && !askAndSave(QStringLiteral("Quillomat"), false)) {
            event->ignore();
            return;
        }
        endProgram();
    }
    event->accept();
}

} // namespace quill
