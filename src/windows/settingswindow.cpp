#include "settingswindow.h"
#include "unnamedpeople.h"

#include "accessibility.h"
#include "alertdesk.h"
#include "calendar/calendar.h"
#include "calendardesk.h"
#include "contactsdesk.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace quill {

namespace {
// A number of days, in the range the settings file allows for `key`.
QSpinBox *makeDays(QWidget *parent, const QString &name, const char *key)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(setting(key).low, setting(key).high);
    box->setSuffix(QStringLiteral(" nap"));
    box->setSpecialValueText(QStringLiteral("nem kell"));
    return box;
}
} // namespace

QWidget *SettingsWindow::createContactsGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Ismerősök névnapja és születésnapja"), this);
    group->setObjectName(QStringLiteral("ismerosok"));
    auto *form = new QFormLayout(group);
    auto *row = new QHBoxLayout;
    m_source = new QLineEdit(group);
    m_source->setObjectName(QStringLiteral("ismerosforras"));
    m_source->setPlaceholderText(QStringLiteral(".vcf fájl vagy névjegymappa"));
    auto *browse = new QPushButton(QStringLiteral("&Tallózás…"), group);
    browse->setObjectName(QStringLiteral("tallozas"));
    row->addWidget(m_source);
    row->addWidget(browse);
    // A row of two widgets takes no buddy by itself: the label is given the field, so Alt+V
    // reaches it and the mnemonic is not shown as a character.
    auto *label = new QLabel(QStringLiteral("Né&vjegyek:"), group);
    label->setBuddy(m_source);
    form->addRow(label, row);
    m_source->setAccessibleName(QStringLiteral("Névjegyek"));
    m_contactsTime = new QTimeEdit(group);
    m_contactsTime->setObjectName(QStringLiteral("ismerosido"));
    m_contactsTime->setDisplayFormat(QStringLiteral("H:mm"));
    form->addRow(QStringLiteral("Jelzés &ideje:"), m_contactsTime);
    m_contactsDays = makeDays(group, QStringLiteral("ismeroselott"), "ismerosok_elott_nap");
    form->addRow(QStringLiteral("&Előre, napokkal:"), m_contactsDays);
    m_leapDay = new QCheckBox(QStringLiteral("Február 29. közönséges évben március 1-jén "
                                             "(különben február 28-án)"),
                              group);
    m_leapDay->setObjectName(QStringLiteral("februar29"));
    form->addRow(m_leapDay);
    // One person's own: more notice (family), one of the days of a name.
    m_person = new QComboBox(group);
    m_person->setObjectName(QStringLiteral("ismerosvalaszto"));
    form->addRow(QStringLiteral("Ism&erős:"), m_person);
    m_personDays = new QSpinBox(group);
    m_personDays->setObjectName(QStringLiteral("sajatelott"));
    m_personDays->setRange(-1, 14);
    m_personDays->setSuffix(QStringLiteral(" nap"));
    m_personDays->setSpecialValueText(QStringLiteral("mint mindenkinek"));
    form->addRow(QStringLiteral("Neki előre:"), m_personDays);
    m_personName = new QLineEdit(group);
    m_personName->setObjectName(QStringLiteral("sajatnev"));
    m_personName->setPlaceholderText(QStringLiteral("a névjegy szerint"));
    m_personName->setToolTip(QStringLiteral("Például egy asszonynévhez (Kovács Józsefné) a saját "
                                            "keresztneve: Mária"));
    form->addRow(QStringLiteral("Névnapja e név szerint:"), m_personName);
    connect(m_personName, &QLineEdit::editingFinished, this, &SettingsWindow::keepPerson);
    m_personNameDay = new QComboBox(group);
    m_personNameDay->setObjectName(QStringLiteral("sajatnevnap"));
    form->addRow(QStringLiteral("Névnapja:"), m_personNameDay);
    connect(m_person, &QComboBox::currentIndexChanged, this, &SettingsWindow::showPerson);
    connect(m_personDays, &QSpinBox::valueChanged, this, &SettingsWindow::keepPerson);
    connect(m_personNameDay, &QComboBox::currentIndexChanged, this, &SettingsWindow::keepPerson);
    m_contactsState = new QLabel(group);
    m_contactsState->setObjectName(QStringLiteral("ismerosallapot"));
    m_contactsState->setWordWrap(true);
    form->addRow(m_contactsState);
    // The people whose names are in no calendar, each a way to the choices above.
    m_unnamed = new UnnamedPeopleList(group);
    form->addRow(m_unnamed);
    connect(m_unnamed, &UnnamedPeopleList::personChosen, this, [this](const QString &person) {
        m_person->setCurrentIndex(std::max(0, m_person->findText(person)));
        m_personName->setFocus();
    });
    m_skipped = new QListWidget(group);
    m_skipped->setObjectName(QStringLiteral("kihagyottak"));
    m_skipped->setAccessibleName(QStringLiteral("Kihagyott névjegyek"));
    m_skipped->setMaximumHeight(90);
    form->addRow(m_skipped);
    connect(m_source, &QLineEdit::editingFinished, this, &SettingsWindow::keep);
    connect(m_contactsTime, &QTimeEdit::timeChanged, this, &SettingsWindow::keep);
    connect(m_contactsDays, &QSpinBox::valueChanged, this, &SettingsWindow::keep);
    connect(m_leapDay, &QCheckBox::toggled, this, &SettingsWindow::keep);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(
            this, QStringLiteral("Névjegyek"), m_source->text(),
            QStringLiteral("Névjegyek (*.vcf *.vcard);;Minden fájl (*)"));
        if (chosen.isEmpty())
            return;
        m_source->setText(chosen);
        keep();
    });
    if (m_contacts)
        connect(m_contacts, &ContactsDesk::changed, this, &SettingsWindow::showContactsState);
    return group;
}

void SettingsWindow::showPerson()
{
    const bool was = std::exchange(m_refreshing, true);
    m_personNameDay->clear();
    m_personNameDay->addItem(QStringLiteral("mindegyik napja"), QDate());
    const QString name = m_person->currentText();
    if (m_contacts) {
        for (const auto &[person, days] : m_contacts->book().nameDaysOfPeople()) {
            if (person != name)
                continue;
            if (days.isEmpty()) // no name of the calendars: any day may be given
                UnnamedPeopleList::addEveryDay(m_personNameDay);
            for (const QDate &d : days)
                m_personNameDay->addItem(
                    MonthNames[std::size_t(d.month() - 1)].hungarian.toString() + u' ' +
                        QString::number(d.day()) + u'.',
                    d);
        }
    }
    contacts::PersonChoice chosen;
    for (const contacts::PersonChoice &c : m_desk.preferences().people) {
        if (c.person == name)
            chosen = c;
    }
    m_personDays->setValue(chosen.noticeDays);
    m_personName->setText(chosen.name);
    const int at =
        chosen.month ? m_personNameDay->findData(QDate(2000, chosen.month, chosen.day)) : 0;
    m_personNameDay->setCurrentIndex(std::max(0, at));
    m_personNameDay->setEnabled(m_personNameDay->count() > 2);
    const bool any = m_person->count() > 0;
    m_personDays->setEnabled(any);
    m_refreshing = was;
}

void SettingsWindow::keepPerson()
{
    if (m_refreshing || m_person->currentText().isEmpty())
        return;
    Preferences p = m_desk.preferences();
    const QString name = m_person->currentText();
    p.people.removeIf([&](const contacts::PersonChoice &c) { return c.person == name; });
    const QDate day = m_personNameDay->currentData().toDate();
    contacts::PersonChoice c{name, m_personDays->value(), day.isValid() ? day.month() : 0,
                             day.isValid() ? day.day() : 0, m_personName->text().trimmed()};
    if (c.noticeDays >= 0 || c.month || !c.name.isEmpty())
        p.people << c;
    keepAll(p);
    showPerson(); // a name given brings its own days to choose from
}

void SettingsWindow::showContactsState()
{
    if (m_contacts && m_person) {
        const bool was = std::exchange(m_refreshing, true);
        const QString current = m_person->currentText();
        m_person->clear();
        for (const auto &[person, days] : m_contacts->book().nameDaysOfPeople())
            m_person->addItem(person);
        m_person->setCurrentIndex(std::max(0, m_person->findText(current)));
        m_refreshing = was;
        showPerson();
    }
    m_skipped->clear();
    m_unnamed->showPeople(m_contacts ? m_contacts->book().withoutNameDay() : QStringList());
    if (!m_contacts || m_desk.preferences().contactsSource.isEmpty()) {
        m_contactsState->setText(QStringLiteral("Nincs megadva névjegyforrás."));
        m_skipped->setVisible(false);
        return;
    }
    if (m_contacts->reading()) {
        m_contactsState->setText(QStringLiteral("A névjegyek beolvasása folyik…"));
        return;
    }
    const contacts::SourceReading &r = m_contacts->lastReading();
    m_contactsState->setText(QStringLiteral("%1 névjegy beolvasva, %2 kihagyva; %3 ismerősnek "
                                            "van névnapja vagy születésnapja.")
                                 .arg(r.cardsRead)
                                 .arg(r.reading.skipped.size())
                                 .arg(m_contacts->book().size()));
    for (const QString &problem : r.problems)
        m_skipped->addItem(problem);
    for (const contacts::SkippedCard &s : r.reading.skipped)
        m_skipped->addItem(
            QStringLiteral("%1. névjegy, %2: %3").arg(s.number).arg(s.name, s.reason));
    m_skipped->setVisible(m_skipped->count() > 0);
}

QWidget *SettingsWindow::createCalendarGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Naptár szinkronizálása (CalDAV)"), this);
    group->setObjectName(QStringLiteral("caldav"));
    auto *form = new QFormLayout(group);
    const auto field = [&](const QString &name, const QString &label, const QString &spoken,
                           const QString &placeholder) {
        auto *edit = new QLineEdit(group);
        edit->setObjectName(name);
        edit->setPlaceholderText(placeholder);
        edit->setAccessibleName(spoken);
        form->addRow(label, edit);
        connect(edit, &QLineEdit::editingFinished, this, &SettingsWindow::keep);
        return edit;
    };
    m_calDavUrl = field(QStringLiteral("caldavcim"), QStringLiteral("Naptár &címe:"),
                        QStringLiteral("Naptár címe"),
                        QStringLiteral("https://kiszolgalo.example/felhasznalo/naptar/"));
    m_calDavUser = field(QStringLiteral("caldavfelhasznalo"), QStringLiteral("&Felhasználó:"),
                         QStringLiteral("Felhasználó"), QString());
    m_calDavPassword = field(QStringLiteral("caldavjelszo"), QStringLiteral("&Jelszó parancsa:"),
                             QStringLiteral("Jelszó parancsa"),
                             QStringLiteral("secret-tool lookup quillomat caldav"));
    auto *hint = new QLabel(QStringLiteral("A jelszót a program nem tárolja: a megadott parancs "
                                           "írja ki (például a rendszer kulcstartójából)."),
                            group);
    hint->setWordWrap(true);
    form->addRow(hint);
    auto *row = new QHBoxLayout;
    m_syncState = new QLabel(group);
    m_syncState->setObjectName(QStringLiteral("szinkronallapot"));
    m_syncState->setWordWrap(true);
    auto *now = new QPushButton(QStringLiteral("Szinkronizálás &most"), group);
    now->setObjectName(QStringLiteral("szinkronmost"));
    form->addRow(m_syncState);
    row->addStretch();
    row->addWidget(now);
    form->addRow(row);
    if (m_calendar) {
        connect(now, &QPushButton::clicked, m_calendar, [this] {
            keep();
            m_calendar->syncNow(true);
        });
        connect(m_calendar, &CalendarDesk::stateChanged, this,
                [this] { m_syncState->setText(m_calendar->state()); });
        m_syncState->setText(m_calendar->state());
    }
    return group;
}

SettingsWindow::SettingsWindow(AlertDesk &desk, ContactsDesk *contacts, CalendarDesk *calendar,
                               QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_desk(desk)
    , m_contacts(contacts)
    , m_calendar(calendar)
{
    installAccessibility();
    announceAsWindow(this);
    setObjectName(QStringLiteral("beallitasok"));
    setWindowTitle(QStringLiteral("Beállítások"));
    setFont(dialogFont());

    auto *notice = new QGroupBox(QStringLiteral("Előzetes jelzés"), this);
    notice->setObjectName(QStringLiteral("elore"));
    auto *form = new QFormLayout(notice);
    m_nameDayDays = makeDays(notice, QStringLiteral("nevnapelott"), "nevnap_elott_nap");
    m_birthdayDays = makeDays(notice, QStringLiteral("szuletesnapelott"), "szuletesnap_elott_nap");
    m_meetingMinutes = new QComboBox(notice);
    m_meetingMinutes->setObjectName(QStringLiteral("talalkozoelott"));
    for (const int minutes : meetingNoticeChoices)
        m_meetingMinutes->addItem(minutes == 0 ? QStringLiteral("nem kell")
                                               : QStringLiteral("%1 perc").arg(minutes),
                                  minutes);
    form->addRow(QStringLiteral("&Névnap előtt:"), m_nameDayDays);
    form->addRow(QStringLiteral("&Születésnap előtt:"), m_birthdayDays);
    form->addRow(QStringLiteral("&Találkozó előtt:"), m_meetingMinutes);
    auto *hint = new QLabel(QStringLiteral("A névnap és a születésnap előzetes jelzése az "
                                           "emlékeztető saját időpontjában jön."),
                            notice);
    hint->setWordWrap(true);
    form->addRow(hint);

    auto *snoozes = new QGroupBox(QStringLiteral("Elhalasztott jelzések"), this);
    auto *column = new QVBoxLayout(snoozes);
    m_snoozed = new QListWidget(snoozes);
    m_snoozed->setObjectName(QStringLiteral("halasztasok"));
    m_snoozed->setAccessibleName(QStringLiteral("Elhalasztott jelzések"));
    m_cancel = new QPushButton(QStringLiteral("Halasztás &visszavonása"), snoozes);
    m_cancel->setObjectName(QStringLiteral("visszavonas"));
    column->addWidget(m_snoozed);
    column->addWidget(m_cancel);

    m_trayOnly = new QCheckBox(QStringLiteral("&Csak a tálcaikon (a sáv rejtve)"), this);
    m_trayOnly->setObjectName(QStringLiteral("csaktalca"));
    m_trayOnly->setToolTip(QStringLiteral("Ahol az asztalon nincs tálca, a sáv látható marad."));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close =
        buttons->addButton(QStringLiteral("Bezárás"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("bezaras"));
    // Three pages, so the window fits on a small screen.
    auto *pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("lapok"));
    auto *alerts = new QWidget(pages);
    auto *alertsColumn = new QVBoxLayout(alerts);
    alertsColumn->addWidget(notice);
    alertsColumn->addWidget(snoozes);
    alertsColumn->addWidget(m_trayOnly);
    alertsColumn->addStretch();
    pages->addTab(alerts, QStringLiteral("Je&lzések"));
    pages->addTab(createContactsGroup(), QStringLiteral("Ismerősö&k"));
    pages->addTab(createCalendarGroup(), QStringLiteral("Na&ptár"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);

    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    onEscape(this, [this] { hide(); });
    for (QSpinBox *box : {m_nameDayDays, m_birthdayDays})
        connect(box, &QSpinBox::valueChanged, this, &SettingsWindow::keep);
    connect(m_meetingMinutes, &QComboBox::currentIndexChanged, this, &SettingsWindow::keep);
    connect(m_trayOnly, &QCheckBox::toggled, this, &SettingsWindow::keep);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsWindow::cancelSelected);
    connect(&m_desk, &AlertDesk::snoozesChanged, this, &SettingsWindow::refresh);
    // The settings file changed by hand while the window is open: the fields follow it (not
    // while a field's own change is kept, so what is being typed stays as it is).
    connect(&m_desk, &AlertDesk::preferencesChanged, this, [this] {
        if (!m_keeping)
            refresh();
    });
    refresh();
}

void SettingsWindow::refresh()
{
    m_refreshing = true;
    m_desk.ensureLoaded();
    const Notice &n = m_desk.preferences().notice;
    m_nameDayDays->setValue(n.nameDayDays);
    m_birthdayDays->setValue(n.birthdayDays);
    m_meetingMinutes->setCurrentIndex(std::max(0, m_meetingMinutes->findData(n.meetingMinutes)));
    m_trayOnly->setChecked(m_desk.preferences().trayOnly);
    const Preferences &p = m_desk.preferences();
    m_source->setText(p.contactsSource);
    m_contactsTime->setTime(p.contactsTime);
    m_contactsDays->setValue(p.contactsNoticeDays);
    m_leapDay->setChecked(p.leapDayOnMarch1);
    m_calDavUrl->setText(p.calDavUrl);
    m_calDavUser->setText(p.calDavUser);
    m_calDavPassword->setText(p.calDavPasswordCommand);
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
    p.notice = {m_nameDayDays->value(), m_birthdayDays->value(),
                m_meetingMinutes->currentData().toInt()};
    p.trayOnly = m_trayOnly->isChecked();
    p.contactsSource = m_source->text().trimmed();
    p.contactsTime = m_contactsTime->time();
    p.contactsNoticeDays = m_contactsDays->value();
    p.leapDayOnMarch1 = m_leapDay->isChecked();
    p.calDavUrl = m_calDavUrl->text().trimmed();
    p.calDavUser = m_calDavUser->text().trimmed();
    p.calDavPasswordCommand = m_calDavPassword->text().trimmed();
    if (p == m_desk.preferences())
        return;
    keepAll(p);
}

void SettingsWindow::keepAll(const Preferences &p)
{
    const bool was = std::exchange(m_keeping, true);
    m_desk.setPreferences(p);
    m_keeping = was;
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
