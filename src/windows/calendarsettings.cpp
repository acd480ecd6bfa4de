#include "calendarsettings.h"

#include "calendardesk.h"
#include "platform/keyring.h"
#include "reminders/preferences.h"
#include "windows/accessibility.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quill {

using caldav::DavError;
using Kind = DavError::Kind;

namespace {
const QString noKeyringText =
    QStringLiteral("Ezen a gépen nem fut kulcstartó, ezért a program nem tudja megőrizni a "
                   "jelszót. Helyette adjon meg lent egy parancsot, amely kiírja a jelszót "
                   "(például: pass show naptar).");

QLabel *wrappedLabel(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}
} // namespace

QUrl serverUrl(const QString &typed)
{
    const QString text = typed.trimmed();
    return QUrl(text.contains(QStringLiteral("://")) ? text : QStringLiteral("https://") + text);
}

QString checkFailureText(const DavError &error)
{
    // The client's reason is a whole clause already: it is said once, as a sentence, with what
    // to look at where that is not in it.
    QString text = error.reason;
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    text += u'.';
    switch (error.kind) {
    case Kind::Auth:
        return QStringLiteral("A kiszolgáló nem fogadta el a felhasználónevet vagy a jelszót.");
    case Kind::NoCalendar:
        return text + QStringLiteral(" Nézze meg a címet.");
    case Kind::NotFound:
    case Kind::Forbidden:
    case Kind::Refused:
    case Kind::BadResponse:
    case Kind::Redirects:
    case Kind::TooLarge:
        return text + QStringLiteral(" Nézze meg a címet: lehet, hogy ott nem CalDAV-naptár "
                                     "válaszol.");
    case Kind::Network:
    case Kind::Timeout:
    case Kind::Tls:
    case Kind::Server:
    case Kind::Conflict:
    case Kind::TokenExpired:
    case Kind::None:
        break;
    }
    return text;
}

CalendarSettings::CalendarSettings(CalendarDesk *calendar, Keyring *keyring, QWidget *parent)
    : QGroupBox(QStringLiteral("Naptár szinkronizálása (CalDAV)"), parent)
    , m_calendar(calendar)
    , m_keyring(keyring)
{
    setObjectName(QStringLiteral("caldav"));
    auto *form = new QFormLayout(this);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    createAccountRows(form);
    createCheckRows(form);
    m_syncState = wrappedLabel(this, QStringLiteral("szinkronallapot"));
    auto *now = new QPushButton(QStringLiteral("Szinkronizálás &most"), this);
    now->setObjectName(QStringLiteral("szinkronmost"));
    form->addRow(m_syncState);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(now);
    form->addRow(row);
    if (m_calendar) {
        connect(now, &QPushButton::clicked, m_calendar, [this] {
            Q_EMIT edited();
            m_calendar->syncNow(true);
        });
        connect(m_calendar, &CalendarDesk::stateChanged, this,
                [this] { m_syncState->setText(m_calendar->state()); });
        m_syncState->setText(m_calendar->state());
    }
}

void CalendarSettings::createAccountRows(QFormLayout *form)
{
    const auto field = [&](const QString &name, const QString &label, const QString &placeholder) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setPlaceholderText(placeholder);
        auto *caption = new QLabel(label, this);
        caption->setBuddy(edit);
        edit->setAccessibleName(QString(label).remove(u'&').remove(u':'));
        form->addRow(caption, edit);
        return edit;
    };
    m_url = field(QStringLiteral("caldavcim"), QStringLiteral("A kiszolgáló &címe:"),
                  QStringLiteral("például naptar.example.org"));
    auto *hint = new QLabel(QStringLiteral("Elég a kiszolgáló neve: a „Kapcsolat ellenőrzése” "
                                           "megkeresi rajta a fiók naptárait. A kiválasztott "
                                           "naptár címe kerül ide."),
                            this);
    hint->setWordWrap(true);
    form->addRow(hint);
    m_user = field(QStringLiteral("caldavfelhasznalo"), QStringLiteral("&Felhasználónév:"), {});
    m_password = field(QStringLiteral("caldavjelszo"), QStringLiteral("&Jelszó:"), {});
    m_password->setEchoMode(QLineEdit::Password);
    m_keyringState = wrappedLabel(this, QStringLiteral("jelszoallapot"));
    form->addRow(m_keyringState);
    m_command = field(QStringLiteral("caldavjelszoparancs"),
                      QStringLiteral("Vagy a jelszót kiíró p&arancs:"),
                      QStringLiteral("például: pass show naptar"));
    for (QLineEdit *edit : {m_url, m_user, m_command})
        connect(edit, &QLineEdit::editingFinished, this, &CalendarSettings::edited);
    connect(m_password, &QLineEdit::editingFinished, this, &CalendarSettings::keepPassword);
}

void CalendarSettings::createCheckRows(QFormLayout *form)
{
    m_check = new QPushButton(QStringLiteral("Kapcsolat &ellenőrzése"), this);
    m_check->setObjectName(QStringLiteral("kapcsolat"));
    auto *row = new QHBoxLayout;
    row->addWidget(m_check);
    row->addStretch();
    form->addRow(row);
    m_checkState = wrappedLabel(this, QStringLiteral("kapcsolatallapot"));
    form->addRow(m_checkState);
    m_calendars = new QComboBox(this);
    m_calendars->setObjectName(QStringLiteral("naptarak"));
    m_use = new QPushButton(QStringLiteral("Ezt &használja"), this);
    m_use->setObjectName(QStringLiteral("naptarvalasztas"));
    auto *choice = new QHBoxLayout;
    choice->addWidget(m_calendars, 1);
    choice->addWidget(m_use);
    m_calendarsCaption = new QLabel(QStringLiteral("A &naptár:"), this);
    m_calendarsCaption->setBuddy(m_calendars);
    m_calendars->setAccessibleName(QStringLiteral("A naptár"));
    form->addRow(m_calendarsCaption, choice);
    showChoice(false);
    connect(m_check, &QPushButton::clicked, this, &CalendarSettings::check);
    connect(m_use, &QPushButton::clicked, this, &CalendarSettings::useChosen);
}

void CalendarSettings::showAccount(const Preferences &p)
{
    const bool other =
        keyringKey(m_url->text(), m_user->text()) != keyringKey(p.calDavUrl, p.calDavUser);
    m_url->setText(p.calDavUrl);
    m_user->setText(p.calDavUser);
    m_command->setText(p.calDavPasswordCommand);
    if (!other && !m_keyringState->text().isEmpty())
        return;
    m_kept = false;
    showKeyringState();
    const QString key = keyringKey(p.calDavUrl, p.calDavUser);
    if (!m_keyring || key.isEmpty())
        return;
    m_keyring->read(key, this, [this, key](const KeyringAnswer &a) {
        if (key != keyringKey(m_url->text(), m_user->text()))
            return; // another account meanwhile
        m_kept = a.status == KeyringAnswer::Status::Done;
        if (a.status == KeyringAnswer::Status::NoKeyring)
            m_keyringState->setText(noKeyringText);
        else
            showKeyringState();
    });
}

void CalendarSettings::showKeyringState()
{
    if (!m_keyring) {
        m_keyringState->setText(noKeyringText);
        return;
    }
    m_password->setPlaceholderText(m_kept ? QStringLiteral("a kulcstartóban van") : QString());
    m_keyringState->setText(
        m_kept ? QStringLiteral("A jelszó a rendszer kulcstartójában van. Újat itt adhat meg.")
               : QStringLiteral("A jelszót a program a rendszer kulcstartójába teszi, fájlba "
                                "soha nem írja."));
}

void CalendarSettings::collect(Preferences &p) const
{
    p.calDavUrl = m_url->text().trimmed();
    p.calDavUser = m_user->text().trimmed();
    p.calDavPasswordCommand = m_command->text().trimmed();
}

void CalendarSettings::keepPassword()
{
    const QString password = m_password->text();
    if (password.isEmpty())
        return;
    const QString key = keyringKey(m_url->text(), m_user->text());
    if (key.isEmpty()) {
        m_keyringState->setText(
            QStringLiteral("A jelszó megőrzéséhez előbb adja meg a kiszolgáló címét."));
        return;
    }
    if (!m_keyring) {
        m_keyringState->setText(noKeyringText);
        return;
    }
    Q_EMIT edited(); // the address and the user it belongs to are kept with it
    m_keyring->write(key, password, this, [this, key, password](const KeyringAnswer &a) {
        if (a.status == KeyringAnswer::Status::Done) {
            if (m_password->text() == password)
                m_password->clear();
            m_kept = true;
            showKeyringState();
            announce(this, QStringLiteral("A jelszó a kulcstartóba került."));
            return;
        }
        m_keyringState->setText(
            a.status == KeyringAnswer::Status::NoKeyring
                ? noKeyringText
                : QStringLiteral("A jelszó nem került a kulcstartóba: %1.").arg(a.reason));
    });
}

void CalendarSettings::accountChanged(const Preferences &before, const Preferences &after)
{
    const QString was = keyringKey(before.calDavUrl, before.calDavUser);
    const QString now = keyringKey(after.calDavUrl, after.calDavUser);
    if (!m_keyring || was.isEmpty() || was == now)
        return;
    Keyring *keyring = m_keyring;
    const auto removeOld = [keyring, was, this] {
        keyring->remove(was, this, [](const KeyringAnswer &) {});
    };
    if (now.isEmpty()) { // the account is removed: so is its password
        removeOld();
        return;
    }
    // Another user or server: the password goes with the account.
    keyring->read(was, this, [keyring, now, removeOld, this](const KeyringAnswer &a) {
        if (a.status != KeyringAnswer::Status::Done)
            return;
        keyring->write(now, a.password, this, [removeOld](const KeyringAnswer &w) {
            if (w.status == KeyringAnswer::Status::Done)
                removeOld();
        });
    });
}

caldav::CalDavClient &CalendarSettings::client()
{
    if (!m_client)
        m_client = new caldav::CalDavClient(this);
    return *m_client;
}

void CalendarSettings::check()
{
    Q_EMIT edited();
    if (m_url->text().trimmed().isEmpty()) {
        m_checkState->setText(QStringLiteral("Adja meg a kiszolgáló címét (vagy csak a nevét)."));
        m_url->setFocus();
        return;
    }
    m_check->setEnabled(false);
    m_checkState->setText(QStringLiteral("A kapcsolat ellenőrzése folyik…"));
    const QString typed = m_password->text();
    const QString key = keyringKey(m_url->text(), m_user->text());
    if (!typed.isEmpty() || !m_keyring || key.isEmpty()) {
        checkWith(typed);
        return;
    }
    m_keyring->read(key, this, [this](const KeyringAnswer &a) { checkWith(a.password); });
}

void CalendarSettings::checkWith(const QString &password)
{
    caldav::CalDavClient &c = client();
    c.setCredentials(m_user->text().trimmed(), password);
    c.discover(serverUrl(m_url->text()),
               [this](const caldav::DavResult<caldav::Discovery> &r) { found(r); });
}

void CalendarSettings::found(const caldav::DavResult<caldav::Discovery> &result)
{
    m_check->setEnabled(true);
    m_calendars->clear();
    if (result.error) {
        m_checkState->setText(checkFailureText(result.error));
        announce(this, m_checkState->text());
        showChoice(false);
        return;
    }
    m_home = result.value.home;
    for (const caldav::CalendarInfo &c : result.value.calendars)
        m_calendars->addItem(c.displayName, c.url);
    if (m_home.isValid())
        m_calendars->addItem(QStringLiteral("Új naptár: ") + newCalendarName(), QUrl());
    const int here = m_calendars->findData(serverUrl(m_url->text()));
    m_calendars->setCurrentIndex(std::max(0, here));
    const qsizetype n = result.value.calendars.size();
    m_checkState->setText(
        n == 0 ? QStringLiteral("A kapcsolat jó, de a fiókban még nincs naptár. Hozzon létre "
                                "egyet az emlékeztetőknek.")
               : QStringLiteral("A kapcsolat jó. A fiók naptárai közül válassza ki, melyikben "
                                "legyenek az emlékeztetők."));
    announce(this, m_checkState->text());
    showChoice(true);
    m_calendars->setFocus();
}

void CalendarSettings::showChoice(bool shown)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_calendarsCaption, m_calendars, m_use})
        w->setVisible(shown);
}

void CalendarSettings::useChosen()
{
    const QUrl chosen = m_calendars->currentData().toUrl();
    if (!chosen.isEmpty()) {
        chosenReady(chosen);
        return;
    }
    m_use->setEnabled(false);
    m_checkState->setText(QStringLiteral("Az új naptár létrehozása folyik…"));
    client().makeCalendar(
        m_home, QStringLiteral("emlekeztetok"), newCalendarName(),
        [this](const caldav::DavResult<QUrl> &r) {
            m_use->setEnabled(true);
            if (r.error) {
                m_checkState->setText(
                    QStringLiteral("Az új naptár nem jött létre: %1.").arg(r.error.reason));
                announce(this, m_checkState->text());
                return;
            }
            m_calendars->insertItem(m_calendars->count() - 1, newCalendarName(), r.value);
            chosenReady(r.value);
        });
}

void CalendarSettings::chosenReady(const QUrl &calendar)
{
    m_url->setText(calendar.toString());
    m_calendars->setCurrentIndex(std::max(0, m_calendars->findData(calendar)));
    m_checkState->setText(QStringLiteral("Az emlékeztetők ebbe a naptárba kerülnek: %1.")
                              .arg(m_calendars->currentText()));
    announce(this, m_checkState->text());
    Q_EMIT edited();
}

} // namespace quill
