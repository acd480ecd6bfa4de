#include "settingswindow.h"

#include "accessibility.h"
#include "alertdesk.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quill {

namespace {
QSpinBox *makeDays(QWidget *parent, const QString &name)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, 14);
    box->setSuffix(QStringLiteral(" nap"));
    box->setSpecialValueText(QStringLiteral("nem kell"));
    return box;
}
} // namespace

SettingsWindow::SettingsWindow(AlertDesk &desk, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_desk(desk)
{
    installAccessibility();
    announceAsWindow(this);
    setObjectName(QStringLiteral("beallitasok"));
    setWindowTitle(QStringLiteral("Beállítások"));
    setFont(dialogFont());

    auto *notice = new QGroupBox(QStringLiteral("Előzetes jelzés"), this);
    notice->setObjectName(QStringLiteral("elore"));
    auto *form = new QFormLayout(notice);
    m_nameDayDays = makeDays(notice, QStringLiteral("nevnapelott"));
    m_birthdayDays = makeDays(notice, QStringLiteral("szuletesnapelott"));
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
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(notice);
    layout->addWidget(snoozes);
    layout->addWidget(m_trayOnly);
    layout->addWidget(buttons);

    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    onEscape(this, [this] { hide(); });
    for (QSpinBox *box : {m_nameDayDays, m_birthdayDays})
        connect(box, &QSpinBox::valueChanged, this, &SettingsWindow::keep);
    connect(m_meetingMinutes, &QComboBox::currentIndexChanged, this, &SettingsWindow::keep);
    connect(m_trayOnly, &QCheckBox::toggled, this, &SettingsWindow::keep);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsWindow::cancelSelected);
    connect(&m_desk, &AlertDesk::snoozesChanged, this, &SettingsWindow::refresh);
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
    m_desk.setPreferences(p);
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
