#pragma once

#include "caldav/davclient.h"

#include <QGroupBox>
#include <QPointer>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quill {

struct Preferences;
class CalendarDesk;
class Keyring;

/// The settings' calendar page: the server's address (or a calendar's), the user, the password
/// (kept in the desktop's keyring, never in a file; where there is none, a command that prints
/// it), "Kapcsolat ellenőrzése", which finds the account's calendars and offers them with a new
/// one for the book, and the last round's state with "Szinkronizálás most".
class CalendarSettings final : public QGroupBox {
    Q_OBJECT
public:
    /// `keyring` may be null: no keyring to keep a password in.
    CalendarSettings(CalendarDesk *calendar, Keyring *keyring, QWidget *parent);
    /// Shows the account the settings hold.
    void showAccount(const Preferences &p);
    /// The fields into `p`.
    void collect(Preferences &p) const;
    /// The account changed from `before` to `after`: a password kept for an account that is gone
    /// (the address emptied, another user or server) leaves the keyring.
    void accountChanged(const Preferences &before, const Preferences &after);
    /// The name of the new calendar offered for the book.
    static QString newCalendarName() { return QStringLiteral("Emlékeztetők"); }

Q_SIGNALS:
    /// A field was changed and left: the settings are to be kept.
    void edited();

private:
    void createAccountRows(QFormLayout *form);
    void createCheckRows(QFormLayout *form);
    void keepPassword();
    void showKeyringState();
    void check();
    void checkWith(const QString &password);
    void found(const caldav::DavResult<caldav::Discovery> &result);
    void useChosen();
    void showChoice(bool shown);
    void chosenReady(const QUrl &calendar);
    caldav::CalDavClient &client();

    CalendarDesk *m_calendar;
    Keyring *m_keyring;
    QLineEdit *m_url = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLabel *m_keyringState = nullptr;
    QLineEdit *m_command = nullptr;
    QPushButton *m_check = nullptr;
    QLabel *m_checkState = nullptr;
    QLabel *m_calendarsCaption = nullptr;
    QComboBox *m_calendars = nullptr;
    QPushButton *m_use = nullptr;
    QLabel *m_syncState = nullptr;
    QPointer<caldav::CalDavClient> m_client;
    QUrl m_home;         ///< the account's calendar home, where a new calendar is made
    bool m_kept = false; ///< the keyring holds a password for the account shown
};

/// The address typed, as the client asks it: a bare host or host:port over https (a password is
/// never sent in the clear unless "http://" is typed).
QUrl serverUrl(const QString &typed);

/// What the user is told of a failed check, in plain Hungarian.
QString checkFailureText(const caldav::DavError &error);

} // namespace quill
