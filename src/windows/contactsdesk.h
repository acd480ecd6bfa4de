#pragma once

#include "contacts/people.h"
#include "contacts/source.h"
#include "reminders/preferences.h"

#include <QDate>
#include <QObject>
#include <QTimer>
#include <optional>

class QFileSystemWatcher;

namespace quill {

/// The user's address book in the running program: read in the background after the first
/// frame, read again when it changes on disk, and the day's celebrations from it.
class ContactsDesk final : public QObject {
    Q_OBJECT
public:
    explicit ContactsDesk(QObject *parent = nullptr);
    /// Reads `path` (a .vcf file or a folder), now and whenever it changes; empty: no contacts.
    void setSource(const QString &path);
    bool reading() const { return m_reading; }
    const contacts::ContactBook &book() const { return m_book; }
    const contacts::SourceReading &lastReading() const { return m_last; }
    /// For tests: waits until the reading under way is done.
    void waitForReading();

    /// The text of the daily announcement: today's celebrations and those `noticeDays` ahead;
    /// empty when there is nobody to tell of.
    static QString announcement(const contacts::ContactBook &book, const QDate &today,
                                int noticeDays, contacts::LeapDayRule rule,
                                const QList<contacts::PersonChoice> &choices = {});
    /// The user's choices for single people, kept over every reading.
    void setChoices(const QList<contacts::PersonChoice> &choices);
    /// "Kovács Ádám (névnap), Nagy Éva (51. születésnap)".
    static QString shortList(const QList<contacts::Celebration> &celebrations);

    /// Follows the settings: the choices for single people, the address book's place.
    void followPreferences(const Preferences &preferences);
    /// The day's announcement when it is due at `now`: from the time the settings say, once a
    /// day (`lastAnnounced`); one that comes late (a start after the time, a wake from sleep)
    /// waits out the start's grace (`sinceStartMs`). Empty text: due, with nobody to tell of;
    /// none: not due, or the book is being read.
    std::optional<QString> dueAnnouncement(const Preferences &preferences, const QDateTime &now,
                                           const QDate &lastAnnounced, qint64 sinceStartMs) const;
    /// What the strip shows of the people: who celebrates `today` ("Ma ünnepel: …", empty for
    /// nobody), and tomorrow's people for its tooltip.
    struct Strip {
        QString today;
        QString tomorrow;
    };
    Strip strip(const QDate &today, contacts::LeapDayRule rule) const;

Q_SIGNALS:
    void changed();

private:
    void readNow();
    void take(contacts::SourceReading reading, contacts::ContactBook book,
              const QList<contacts::PersonChoice> &choices, quint64 generation);
    void watch();

    QString m_path;
    bool m_reading = false;
    quint64 m_generation = 0;
    contacts::ContactBook m_book;
    contacts::SourceReading m_last;
    QString m_lastPath; ///< the source `m_last` was read from
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_again;
    QList<contacts::PersonChoice> m_choices;
};

} // namespace quill
