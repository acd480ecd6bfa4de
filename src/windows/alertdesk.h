#pragma once

#include "reminders/alerts.h"
#include "reminders/preferences.h"
#include "reminders/snoozes.h"
#include "services.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

class QWidget;

namespace quill {

class ContactsDesk;
class ReminderSession;

/// Where alerts meet the user: each tick asks the scanner what is due and announces it (the
/// alert box with its "Később" choice, the desktop notification), the book of alerts put off,
/// the contacts' day when nothing else is due, and the settings that shape them (notice ahead,
/// the last snooze choice).
class AlertDesk final : public QObject {
    Q_OBJECT
public:
    AlertDesk(Services &services, const ReminderSession &session, QWidget *window);
    ~AlertDesk() override;

    /// The alerts' step (each second with the clock, and when a reminder changes). A tick while
    /// a box is open does nothing: no stacked boxes. A tick while a save is waited for comes
    /// after the wait.
    void tick();
    /// Alerts whose minute passed since the last run dealt with them are announced late, soon
    /// after the start, except those that run answered.
    void resumeFrom(const QDateTime &lastRunEnd, const QStringList &answered = {});
    /// What the alerts' record of this run keeps.
    DealtWith dealtWith() const;
    /// The address book whose day is announced (once a day, when no alert is due).
    void setContacts(ContactsDesk *contacts);

    /// Reads the settings and the snoozes, once (after the first frame, or at the first alert);
    /// from then on the settings file is read again whenever it changes on disk.
    void ensureLoaded();
    const Preferences &preferences() const { return m_store.values(); }
    /// Keeps new settings (only what changed is written over the file); a failure is told.
    void setPreferences(const Preferences &preferences);
    const QList<Snoozed> &snoozed() const { return m_snoozes.waiting(); }
    void cancelSnooze(int index);

    /// Whether a snooze is due at `now` (late ones only after the start's grace).
    bool snoozeDue(const QDateTime &now, bool graceOver) const;
    /// Announces what is due (the desktop notification for each new one, then the boxes) and
    /// what comes back from a snooze; `scanner` hears of the alerts the user put off. True when
    /// something new was announced.
    bool present(const QList<DueAlert> &due, bool graceOver);

    /// The program is ending (the user's exit, or a signal from outside whose handler runs
    /// inside an open box): a box that closes now was not answered, and no further box comes.
    void stop() { m_stopped = true; }

    /// An announcement of its own (the contacts' day): in a box and a notification, and it can
    /// be put off like any alert.
    void presentText(const QString &text);
    /// The day the contacts' celebrations were last announced, kept in the state folder.
    QDate contactsAnnounced() const;
    void setContactsAnnounced(const QDate &day);

Q_SIGNALS:
    void snoozesChanged();
    /// Alerts were announced or answered (in a box or a notification): the record of what was
    /// dealt with moves on.
    void alertsAnnounced(const quill::DealtWith &dealt);
    void preferencesChanged();

private:
    enum class Answer { Ok, PutOff, None };
    /// The box, until the user answers it (there, or in its notification) or the program ends.
    Answer showAlert(const QString &text, const QString &snoozedText, quint64 token);
    std::optional<QDateTime> askWhen();
    /// Put off without a question, by the last choice (from a notification).
    void snoozeAsLastTime(const QString &snoozedText);
    void snooze(const QDateTime &until, const QString &snoozedText);
    /// An action taken in a notification.
    void act(quint64 token, const QString &action);
    /// A file not written, told in a box whose F1 opens `helpPage` (empty: the alerts' page).
    void tellFailure(const QString &what, const std::error_code &error,
                     const QString &helpPage = {});
    /// What the settings file's reading found to tell (values refused, the file put aside).
    void tellPreferenceNotices();
    void announceContacts();

    Services &m_services;
    const ReminderSession &m_session;
    QWidget *m_window;
    AlertScanner m_scanner;
    QElapsedTimer m_sinceStart; ///< a clock that never jumps, for the scanner
    QPointer<ContactsDesk> m_contacts;
    bool m_ticking = false;    ///< a tick's boxes are open
    bool m_tickPutOff = false; ///< a tick came while a save was waited for
    QString m_contactsRecord;
    mutable std::optional<QDate> m_contactsDay; ///< the record, read once
    SnoozeBook m_snoozes;
    PreferenceStore m_store;
    bool m_loaded = false;
    bool m_stopped = false;
    quint64 m_nextToken = 0;
    quint64 m_showing = 0;            ///< the token of the alert whose box is open
    quint64 m_answering = 0;          ///< the alert answered "Később" in its box, asked when
    QString m_answeredElsewhere;      ///< what its notification said meanwhile
    QHash<quint64, QString> m_listed; ///< alerts still on the notification list: their texts
    QHash<quint64, QString> m_early;  ///< actions on alerts whose box has not come yet
    QSet<quint64> m_pendingTokens;    ///< alerts whose box is still to come
};

} // namespace quill
