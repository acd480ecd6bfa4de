// The settings window's "Ismerősök" page: the address book, when its day is announced, the
// 29 February rule, and each person's exceptions; who was read, who has no name day, what was
// skipped.

#include "settingswindow.h"
#include "unnamedpeople.h"

#include "alertdesk.h"
#include "calendar/calendar.h"
#include "contactsdesk.h"
#include "dialogs/filedialog.h"
#include "widgets.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>

namespace quill {

namespace {
QString daysText(int days)
{
    return days == 0 ? QStringLiteral("nincs előzetes jelzés")
                     : QStringLiteral("%1 nappal előbb").arg(days);
}
} // namespace

// The address book's file or folder, with its "Tallózás…" button, which is handed back.
QPushButton *SettingsWindow::createSourceRow(QFormLayout *form, QWidget *group)
{
    auto *row = new QHBoxLayout;
    m_source = new QLineEdit(group);
    m_source->setObjectName(QStringLiteral("ismerosforras"));
    auto *browse = new QPushButton(QStringLiteral("&Tallózás…"), group);
    browse->setObjectName(QStringLiteral("tallozas"));
    row->addWidget(m_source);
    row->addWidget(browse);
    // A row of two widgets takes no buddy by itself: the label is given the field, so Alt+V
    // reaches it and the mnemonic is not shown as a character.
    auto *label = new QLabel(QStringLiteral("Né&vjegyek:"), group);
    label->setBuddy(m_source);
    // The label over the whole width's field: a path is long, the labels' column is wide.
    form->addRow(label);
    form->addRow(row);
    m_source->setAccessibleName(QStringLiteral("Névjegyek"));
    // What belongs there, under the field: a grey hint inside it would be cut off beside the
    // button on a narrow or enlarged screen.
    const QString what = QStringLiteral("Egy .vcf fájl vagy egy névjegyeket tartalmazó mappa.");
    auto *hint = new QLabel(what, group);
    hint->setObjectName(QStringLiteral("ismerosforrasmagyarazat"));
    hint->setWordWrap(true);
    form->addRow(hint);
    m_source->setAccessibleDescription(what);
    return browse;
}

QWidget *SettingsWindow::createContactsGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Ismerősök névnapja és születésnapja"));
    group->setObjectName(QStringLiteral("ismerosok"));
    auto *form = new QFormLayout(group);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    QPushButton *browse = createSourceRow(form, group);
    m_contactsTime = new QTimeEdit(group);
    m_contactsTime->setObjectName(QStringLiteral("ismerosido"));
    m_contactsTime->setDisplayFormat(QStringLiteral("H:mm"));
    addLabelledRow(form, QStringLiteral("Hánykor s&zóljon:"), m_contactsTime);
    m_contactsNotice = new QLabel(group);
    m_contactsNotice->setObjectName(QStringLiteral("ismeroselott"));
    m_contactsNotice->setWordWrap(true);
    m_contactsNotice->setTextInteractionFlags(Qt::TextSelectableByKeyboard |
                                              Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("Előzetes jelzés:"), m_contactsNotice);
    m_leapDay = new QComboBox(group);
    m_leapDay->setObjectName(QStringLiteral("februar29"));
    m_leapDay->addItems(
        {QStringLiteral("február 28-án ünnepli"), QStringLiteral("március 1-jén ünnepli")});
    addLabelledRow(form, QStringLiteral("A &február 29-i születésnap nem szökőévben:"), m_leapDay);
    createPersonRows(form, group);
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
    connect(m_leapDay, &QComboBox::currentIndexChanged, this, &SettingsWindow::keep);
    connect(browse, &QPushButton::clicked, this, [this] {
        const auto chosen =
            chooseFileName(this, QStringLiteral("Névjegyek"), m_source->text(),
                           QStringLiteral("Névjegyek (*.vcf *.vcard);;Minden fájl (*)"), false);
        if (!chosen)
            return;
        m_source->setText(*chosen);
        keep();
    });
    if (m_contacts)
        connect(m_contacts, &ContactsDesk::changed, this, &SettingsWindow::showContactsState);
    return group;
}

// One person's own: another notice (family), the name they are celebrated by, one of its days.
void SettingsWindow::createPersonRows(QFormLayout *form, QWidget *group)
{
    auto *title = new QLabel(QStringLiteral("<b>Egy ismerős kivételei</b>"), group);
    form->addRow(title);
    m_person = new QComboBox(group);
    m_person->setObjectName(QStringLiteral("ismerosvalaszto"));
    addLabelledRow(form, QStringLiteral("Is&merős:"), m_person);
    m_personDays = new QSpinBox(group);
    m_personDays->setObjectName(QStringLiteral("sajatelott"));
    m_personDays->setRange(-1, 14);
    m_personDays->setSuffix(QStringLiteral(" nappal"));
    addLabelledRow(form, QStringLiteral("&Neki hány nappal előbb:"), m_personDays);
    m_personName = new QLineEdit(group);
    m_personName->setObjectName(QStringLiteral("sajatnev"));
    m_personName->setPlaceholderText(QStringLiteral("a névjegy szerint"));
    m_personName->setToolTip(QStringLiteral("Például egy asszonynévhez (Kovács Józsefné) a saját "
                                            "keresztneve: Mária"));
    addLabelledRow(form, QStringLiteral("&Ezen a néven ünnepli a névnapját:"), m_personName);
    m_personNameDay = new QComboBox(group);
    m_personNameDay->setObjectName(QStringLiteral("sajatnevnap"));
    addLabelledRow(form, QStringLiteral("Ezen a napon &ünnepli:"), m_personNameDay);
    connect(m_personName, &QLineEdit::editingFinished, this, &SettingsWindow::keepPerson);
    connect(m_person, &QComboBox::currentIndexChanged, this, &SettingsWindow::showPerson);
    connect(m_personDays, &QSpinBox::valueChanged, this, &SettingsWindow::keepPerson);
    connect(m_personNameDay, &QComboBox::currentIndexChanged, this, &SettingsWindow::keepPerson);
}

void SettingsWindow::showNoticeOfContacts()
{
    const int days = m_desk.preferences().notice.nameDayDays;
    m_contactsNotice->setText(daysText(days) +
                              QStringLiteral(" (a Jelzések lapon állítható, mindenkinek)"));
    m_personDays->setSpecialValueText(QStringLiteral("mint mindenkinek: ") + daysText(days));
    // The whole of it in the box, not its end only.
    m_personDays->setMinimumWidth(m_personDays->sizeHint().width());
}

void SettingsWindow::showPerson()
{
    const bool was = std::exchange(m_refreshing, true);
    m_personNameDay->clear();
    m_personNameDay->addItem(QStringLiteral("a név minden napján"), QDate());
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
    QHash<QString, QString> given; // what the people without a name day were given
    for (const contacts::PersonChoice &c : m_desk.preferences().people) {
        QStringList what;
        if (!c.name.isEmpty())
            what << c.name;
        if (c.month)
            what << MonthNames[std::size_t(c.month - 1)].hungarian.toString() + u' ' +
                        QString::number(c.day) + u'.';
        if (!what.isEmpty())
            given.insert(c.person, what.join(QStringLiteral(", ")));
    }
    m_unnamed->showPeople(m_contacts ? m_contacts->book().withoutNameDay() : QStringList(), given);
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

} // namespace quill
