// The name-day search panel of the main window: its controls, the two lookups and the checks
// around them.

#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/numtext.h"
#include "mainwindow.h"
#include "platform/twips.h"
#include "widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace quill {

namespace {

// A framed result line of the search panel, in blue.
QLabel *makeResultBox(QWidget *parent, const QString &frameName, QRect frameRect,
                      const QString &labelName, const QString &accessibleName)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(frameName);
    frame->setGeometry(frameRect);
    frame->setFrameShape(QFrame::StyledPanel);
    QLabel *label = makeLabel(frame, labelName, twips::rect(120, 180, 2655, 255));
    setTextColour(label, QColor(0, 0, 255));
    label->setAccessibleName(accessibleName);
    return label;
}
} // namespace

void Form1::createSearchPanel()
{
    m_frame1[0] = new QFrame(this);
    m_frame1[0]->setObjectName(QStringLiteral("Frame1_0"));
    m_frame1[0]->setGeometry(twips::rect(120, 600, 5535, 1215));
    m_frame1[1] = new QFrame(this);
    m_frame1[1]->setObjectName(QStringLiteral("Frame1_1"));
    m_frame1[1]->setGeometry(twips::rect(120, 2040, 5535, 1215));
    for (QFrame *f : m_frame1) {
        f->setFrameShape(QFrame::StyledPanel);
        f->installEventFilter(this);
    }

    m_option1 = new QRadioButton(QStringLiteral("Névnap keresése dátum alapján"), m_frame1[0]);
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_option1->setGeometry(twips::rect(60, 0, 2655, 375));
    m_option1->setChecked(true);
    m_option2 = new QRadioButton(QStringLiteral("Dátum keresése keresztnév alapján"), m_frame1[1]);
    m_option2->setObjectName(QStringLiteral("Option2"));
    m_option2->setGeometry(twips::rect(60, 0, 2895, 375));
    // The captions keep their design width unless this system's font needs more.
    for (QRadioButton *o : {m_option1, m_option2})
        o->resize(std::max(o->width(), o->sizeHint().width()), o->height());
    m_options = new QButtonGroup(this);
    m_options->addButton(m_option1);
    m_options->addButton(m_option2);
    connect(m_option1, &QRadioButton::clicked, this, &Form1::option1Click);
    connect(m_option2, &QRadioButton::clicked, this, &Form1::option2Click);

    m_combo1[0] = makePicker(m_frame1[0], QStringLiteral("Combo1_0"));
    m_combo1[0]->setGeometry(twips::rect(240, 600, 1335, 315));
    m_combo1[0]->setEditText(QStringLiteral("január"));
    m_combo1[0]->setAccessibleName(QStringLiteral("Hónap"));
    m_combo1[1] = makePicker(m_frame1[0], QStringLiteral("Combo1_1"));
    m_combo1[1]->setGeometry(twips::rect(1680, 600, 615, 315));
    m_combo1[1]->setEditText(QStringLiteral("1"));
    m_combo1[1]->setAccessibleName(QStringLiteral("Nap"));
    for (QComboBox *c : m_combo1)
        onFocusOut(c, [this] { modosit(); });

    m_label2 =
        makeResultBox(m_frame1[0], QStringLiteral("Frame2"), twips::rect(2400, 480, 2895, 495),
                      QStringLiteral("Label2"), QStringLiteral("A nap névnapjai"));

    m_combo2 = makePicker(m_frame1[1], QStringLiteral("Combo2"));
    m_combo2->setGeometry(twips::rect(240, 480, 2055, 315));
    m_combo2->setAccessibleName(QStringLiteral("Keresztnév"));
    m_label3 =
        makeResultBox(m_frame1[1], QStringLiteral("Frame3"), twips::rect(2400, 360, 2895, 495),
                      QStringLiteral("Label3"), QStringLiteral("A név névnapjai"));

    m_command1 = new QPushButton(QStringLiteral("Keresés"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(twips::rect(240, 3480, 1935, 375));
    connect(m_command1, &QPushButton::clicked, this, &Form1::kereses);
    m_command2 = new QPushButton(QStringLiteral("Kilépés"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setGeometry(twips::rect(4080, 3480, 1575, 375));
    connect(m_command2, &QPushButton::clicked, this, [this] {
        if (askAndSave(QStringLiteral("Naptár"), true))
            endProgram();
    });

    setTabOrder(m_option1, m_option2);
    setTabOrder(m_option2, m_combo1[0]);
    setTabOrder(m_combo1[0], m_combo1[1]);
    setTabOrder(m_combo1[1], m_combo2);
    setTabOrder(m_combo2, m_command1);
    setTabOrder(m_command1, m_command2);
}

// ---- lookups ---------------------------------------------------------------------------

void Form1::nevek()
{
    const NameLookup found = NameDayCalendar::lookup(honapnev, napszam);
    if (found.error == LookupError::None)
        nevsor = found.names;
    else
        hibajel = markerText(found.error);
}

void Form1::idopont()
{
    const auto dates = NameDayIndex::dates(m_combo2->currentText());
    if (dates)
        datumok = *dates;
    else
        hibajel = markerText(LookupError::Name);
}

void Form1::feltolt()
{
    for (const auto &m : MonthNames)
        m_combo1[0]->addItem(m.hungarian.toString());
    const int year = m_services.clock.now().date().year();
    const auto days = daysInMonth(m_combo1[0]->currentText(), year);
    for (int d = 1; d <= days.value_or(0); ++d)
        m_combo1[1]->addItem(u' ' + QString::number(d));
    m_combo2->addItems(FirstNameList());
}

void Form1::modosit()
{
    adjustDayCombo(m_combo1[1], 0, m_combo1[0]->currentText(),
                   m_services.clock.now().date().year());
}

// ---- search panel ----------------------------------------------------------------------

void Form1::startingState()
{
    m_option2->setChecked(false);
    m_combo2->setEnabled(false);
    m_combo2->setCurrentIndex(-1);
    m_combo2->setEditText(QString());
    for (QComboBox *c : m_combo1) {
        c->setEnabled(true);
        c->setCurrentIndex(0);
    }
    m_option1->setChecked(true);
}

void Form1::option1Click()
{
    m_option2->setChecked(false);
    m_combo2->setEnabled(false);
    m_label3->clear();
    m_combo2->setEditText(QString());
    m_combo1[0]->setEnabled(true);
    m_combo1[1]->setEnabled(true);
}

void Form1::option2Click()
{
    // Name suggestions are built when the name search is first used.
    if (!m_combo2->completer())
        m_combo2->setCompleter(new FoldingCompleter(FirstNameList(), m_combo2));
    m_option1->setChecked(false);
    m_combo2->setEnabled(true);
    m_label2->clear();
    m_combo1[0]->setEditText(QString());
    m_combo1[1]->setEditText(QString());
    m_combo1[0]->setEnabled(false);
    m_combo1[1]->setEnabled(false);
}

void Form1::message(const QString &text)
{
    m_services.boxes.show(this, MsgIcon::Exclamation, QStringLiteral("Névnapok"), text);
}

void Form1::teszt1()
{
    if (m_option1->isChecked()) {
        hibas = m_combo1[0]->currentText().isEmpty() || m_combo1[1]->currentText().isEmpty();
        if (hibas) {
            message(QStringLiteral("Állíts be egy dátumot!"));
            m_label2->clear();
        }
    } else {
        hibas = m_combo2->currentText().isEmpty();
        if (hibas) {
            message(QStringLiteral("Válassz nevet a listából!"));
            m_label3->clear();
        }
    }
}

void Form1::teszt2()
{
    if (m_option1->isChecked()) {
        if (hibajel == markerText(LookupError::Day) || hibajel == markerText(LookupError::Month)) {
            const bool day = hibajel == markerText(LookupError::Day);
            message(day ? QStringLiteral("Ilyen nap nem létezik!")
                        : QStringLiteral("Ilyen hónap nem létezik!"));
            m_combo1[day ? 1 : 0]->setEditText(QString());
            m_label2->clear();
            hibas = true;
            hibajel.clear();
        } else {
            hibas = false;
        }
        return;
    }
    if (hibajel == markerText(LookupError::Name)) {
        message(QStringLiteral("Ilyen név nem létezik!"));
        m_combo2->setEditText(QString());
        m_label3->clear();
        hibas = true;
        hibajel.clear();
    } else {
        hibas = false;
    }
}

void Form1::kereses()
{
    teszt1();
    if (hibas)
        return;
    if (m_option1->isChecked()) {
        m_option2->setChecked(false);
        m_combo2->setEnabled(false);
        m_combo2->setEditText(QString());
        m_combo1[0]->setEnabled(true);
        m_combo1[1]->setEnabled(true);
        m_label3->hide();
        honapnev = m_combo1[0]->currentText();
        napszam = numberText(textValue(m_combo1[1]->currentText()));
        nevek();
        teszt2();
        if (!hibas)
            m_label2->setText(nevsor);
    } else {
        m_option1->setChecked(false);
        m_combo2->setEnabled(true);
        m_combo1[0]->setEditText(QString());
        m_combo1[1]->setEditText(QString());
        m_label2->clear();
        m_label3->show();
        m_combo1[0]->setEnabled(false);
        m_combo1[1]->setEnabled(false);
        idopont();
        teszt2();
        if (!hibas)
            m_label3->setText(datumok);
    }
}

} // namespace quill
