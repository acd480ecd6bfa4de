#include "settingswindow.h"

#include "accessibility.h"
#include "alertdesk.h"
#include "calendardesk.h"
#include "calendarsettings.h"
#include "helpkeys.h"
#include "placement.h"
#include "services.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace quill {

namespace {
// A page that scrolls when the screen is too small for it, so nothing on it is ever cut off.
QScrollArea *scrolling(QWidget *page, QWidget *parent)
{
    auto *area = new QScrollArea(parent);
    // A page that is one group stands off the edge as the groups of the other pages do.
    if (qobject_cast<QGroupBox *>(page)) {
        auto *holder = new QWidget;
        auto *column = new QVBoxLayout(holder);
        column->addWidget(page);
        page = holder;
    }
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a stop of Tab of its own, where a screen reader would read nothing: the focus goes
    // from field to field, and the page scrolls to the field that has it.
    area->setFocusPolicy(Qt::NoFocus);
    return area;
}

const char *const helpPages[] = {"beallitasok-jelzesek.html", "beallitasok-ismerosok.html",
                                 "beallitasok-naptar.html"};
} // namespace

QWidget *SettingsWindow::createNoticeGroup(QWidget *parent)
{
    auto *notice =
        new QGroupBox(QStringLiteral("Előzetes jelzés névnap és születésnap előtt"), parent);
    notice->setObjectName(QStringLiteral("elore"));
    auto *form = new QFormLayout(notice);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    m_noticeDays = new QSpinBox(notice);
    m_noticeDays->setObjectName(QStringLiteral("nevnapelott"));
    m_noticeDays->setRange(setting("nevnap_elott_nap").low, setting("nevnap_elott_nap").high);
    m_noticeDays->setSuffix(QStringLiteral(" nappal"));
    m_noticeDays->setSpecialValueText(QStringLiteral("nem kell"));
    addLabelledRow(form, QStringLiteral("&Hány nappal előbb:"), m_noticeDays);
    auto *hint = new QLabel(QStringLiteral("Ennyi nappal előbb is szól a program minden névnapról "
                                           "és születésnapról: az emlékeztetőkéről a saját "
                                           "időpontjukban, az ismerősökéről az Ismerősök lapon "
                                           "megadott időben. Egy-egy ismerősnek az Ismerősök "
                                           "lapon adhat ettől eltérő értéket."),
                            notice);
    hint->setWordWrap(true);
    form->addRow(hint);
    m_meetingMinutes = new QComboBox(notice);
    m_meetingMinutes->setObjectName(QStringLiteral("talalkozoelott"));
    for (const int minutes : meetingNoticeChoices)
        m_meetingMinutes->addItem(minutes == 0 ? QStringLiteral("nem kell")
                                               : QStringLiteral("%1 perccel").arg(minutes),
                                  minutes);
    addLabelledRow(form, QStringLiteral("&Találkozó előtt hány perccel:"), m_meetingMinutes);
    connect(m_noticeDays, &QSpinBox::valueChanged, this, &SettingsWindow::keep);
    connect(m_meetingMinutes, &QComboBox::currentIndexChanged, this, &SettingsWindow::keep);
    return notice;
}

QWidget *SettingsWindow::createAlertsPage()
{
    auto *alerts = new QWidget;
    auto *column = new QVBoxLayout(alerts);
    column->addWidget(createNoticeGroup(alerts));
    auto *snoozes = new QGroupBox(QStringLiteral("Elhalasztott jelzések"), alerts);
    auto *inside = new QVBoxLayout(snoozes);
    m_snoozed = new QListWidget(snoozes);
    m_snoozed->setObjectName(QStringLiteral("halasztasok"));
    m_snoozed->setAccessibleName(QStringLiteral("Elhalasztott jelzések"));
    m_snoozed->setMinimumHeight(m_snoozed->fontMetrics().height() * 3);
    m_cancel = new QPushButton(QStringLiteral("Halasztás &visszavonása"), snoozes);
    m_cancel->setObjectName(QStringLiteral("visszavonas"));
    inside->addWidget(m_snoozed);
    inside->addWidget(m_cancel);
    column->addWidget(snoozes);
    m_trayOnly =
        new QCheckBox(QStringLiteral("&Csak a tálcaikon látszik, a sáv rejtve marad"), alerts);
    m_trayOnly->setObjectName(QStringLiteral("csaktalca"));
    m_trayOnly->setToolTip(QStringLiteral("Ahol az asztalon nincs tálca, a sáv látható marad."));
    column->addWidget(m_trayOnly);
    column->addStretch();
    connect(m_trayOnly, &QCheckBox::toggled, this, &SettingsWindow::keep);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsWindow::cancelSelected);
    return alerts;
}

SettingsWindow::SettingsWindow(Services &services, AlertDesk &desk, ContactsDesk *contacts,
                               CalendarDesk *calendar, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_services(services)
    , m_desk(desk)
    , m_contacts(contacts)
    , m_calendar(calendar)
{
    installAccessibility();
    announceAsWindow(this);
    setObjectName(QStringLiteral("beallitasok"));
    setWindowTitle(QStringLiteral("Beállítások"));
    setFont(dialogFont());
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("lapok"));
    m_pages->addTab(scrolling(createAlertsPage(), m_pages), QStringLiteral("Je&lzések"));
    m_pages->addTab(scrolling(createContactsGroup(), m_pages), QStringLiteral("Ismerősö&k"));
    m_calendarPage = new CalendarSettings(calendar, services.keyring, nullptr);
    m_pages->addTab(scrolling(m_calendarPage, m_pages), QStringLiteral("Na&ptár"));
    connect(m_calendarPage, &CalendarSettings::edited, this, &SettingsWindow::keep);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close =
        buttons->addButton(QStringLiteral("Bezárás"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("bezaras"));
    QPushButton *help = buttons->addButton(QStringLiteral("Súgó"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("sugo"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(help, &QPushButton::clicked, this,
            [this] { openHelpPage(m_services, this, helpPage()); });
    onEscape(this, [this] { hide(); });
    helpOnF1(this, m_services, [this] { return helpPage(); });
    connect(&m_desk, &AlertDesk::snoozesChanged, this, &SettingsWindow::refresh);
    // The settings file changed by hand while the window is open: the fields follow it (not
    // while a field's own change is kept, so what is being typed stays as it is).
    connect(&m_desk, &AlertDesk::preferencesChanged, this, [this] {
        if (!m_keeping)
            refresh();
    });
    refresh();
}

QString SettingsWindow::helpPage() const
{
    return QString::fromLatin1(helpPages[std::clamp(m_pages->currentIndex(), 0, 2)]);
}

void SettingsWindow::showBeside(const QWidget *strip)
{
    if (isVisible()) { // where the user left it
        raise();
        activateWindow();
        return;
    }
    const QScreen *screen = strip ? strip->screen() : this->screen();
    const QRect available = screen->availableGeometry();
    // The frame's edges as the window manager adds them (estimated before the first showing).
    const QSize edges = isVisible() ? frameGeometry().size() - size() : QSize(8, 30);
    QSize wanted = sizeHint().expandedTo(QSize(minimumSizeHint().width(), 0)) + edges;
    // Tall enough for the tallest page, where the screen has room: a page scrolls only on a
    // small screen (or at 2×), not on every screen.
    int hinted = 0;
    int tallest = 0;
    for (int i = 0; i < m_pages->count(); ++i) {
        if (const auto *area = qobject_cast<const QScrollArea *>(m_pages->widget(i))) {
            hinted = std::max(hinted, area->sizeHint().height());
            const QWidget *page = area->widget();
            const int high = page->hasHeightForWidth()
                                 ? page->heightForWidth(page->sizeHint().width())
                                 : page->sizeHint().height();
            tallest = std::max(tallest, high + 2 * area->frameWidth());
        }
    }
    wanted.rheight() += std::max(0, tallest - hinted);
    const QRect anchor = strip && strip->isVisible() ? strip->frameGeometry() : QRect();
    const QRect frame =
        anchor.isValid()
            ? placedBeside(anchor, wanted, available)
            : QRect(QPoint(), wanted.boundedTo(available.size()))
                  .translated(available.center() - QPoint(wanted.width() / 2, wanted.height() / 2));
    resize(frame.size() - edges);
    move(frame.topLeft());
    show();
    raise();
    activateWindow();
}

void SettingsWindow::refresh()
{
    m_refreshing = true;
    m_desk.ensureLoaded();
    const Preferences &p = m_desk.preferences();
    m_noticeDays->setValue(p.notice.nameDayDays);
    m_meetingMinutes->setCurrentIndex(
        std::max(0, m_meetingMinutes->findData(p.notice.meetingMinutes)));
    m_trayOnly->setChecked(p.trayOnly);
    m_source->setText(p.contactsSource);
    m_contactsTime->setTime(p.contactsTime);
    m_leapDay->setCurrentIndex(p.leapDayOnMarch1 ? 1 : 0);
    showNoticeOfContacts();
    m_calendarPage->showAccount(p);
    showContactsState();
    const int selected = m_snoozed->currentRow();
    m_snoozed->clear();
    for (const Snoozed &s : m_desk.snoozed())
        m_snoozed->addItem(s.until.toString(QStringLiteral("yyyy. MM. dd. HH:mm")) +
                           QStringLiteral(" – ") + s.text.section(u'\n', 0, 0).simplified());
    if (m_snoozed->count() == 0)
        m_snoozed->addItem(QStringLiteral("Nincs elhalasztott jelzés."));
    const bool any = !m_desk.snoozed().isEmpty();
    m_snoozed->setEnabled(any);
    m_cancel->setEnabled(any);
    if (any)
        m_snoozed->setCurrentRow(std::clamp(selected, 0, m_snoozed->count() - 1));
    m_refreshing = false;
}

void SettingsWindow::keep()
{
    if (m_refreshing)
        return;
    Preferences p = m_desk.preferences();
    const int days = m_noticeDays->value();
    p.notice = {days, days, m_meetingMinutes->currentData().toInt()};
    p.trayOnly = m_trayOnly->isChecked();
    p.contactsSource = m_source->text().trimmed();
    p.contactsTime = m_contactsTime->time();
    p.leapDayOnMarch1 = m_leapDay->currentIndex() == 1;
    m_calendarPage->collect(p);
    if (p == m_desk.preferences())
        return;
    keepAll(p);
}

void SettingsWindow::keepAll(const Preferences &p)
{
    const Preferences before = m_desk.preferences();
    const bool was = std::exchange(m_keeping, true);
    m_desk.setPreferences(p);
    m_keeping = was;
    m_calendarPage->accountChanged(before, m_desk.preferences());
    showNoticeOfContacts();
    // The file held another hand's changes too: they are shown.
    if (!m_keeping && m_desk.preferences() != p)
        refresh();
}

void SettingsWindow::cancelSelected()
{
    const int row = m_snoozed->currentRow();
    if (row < 0 || m_desk.snoozed().isEmpty())
        return;
    m_desk.cancelSnooze(row);
    announce(this, QStringLiteral("Halasztás visszavonva."));
}

} // namespace quill
