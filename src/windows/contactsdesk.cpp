#include "contactsdesk.h"

#include "calendar/calendar.h"
#include "platform/memory.h"
#include "reminders/alerts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QThreadPool>

namespace quill {

ContactsDesk::ContactsDesk(QObject *parent)
    : QObject(parent)
{
    // Sync tools write many files at once: one reading after they are done.
    m_again.setSingleShot(true);
    m_again.setInterval(1500);
    connect(&m_again, &QTimer::timeout, this, &ContactsDesk::readNow);
}

void ContactsDesk::setSource(const QString &path)
{
    if (path == m_path && (m_reading || m_generation > 0))
        return;
    m_path = path;
    readNow();
}

void ContactsDesk::readNow()
{
    const quint64 generation = ++m_generation;
    m_reading = true;
    watch();
    // Off the window's thread: a large address book never holds the strip up. The global pool
    // is waited for when the program ends.
    QPointer<ContactsDesk> self(this);
    const QString path = m_path;
    const contacts::SourceStamp previous =
        m_path == m_lastPath ? m_last.stamp : contacts::SourceStamp();
    const QList<contacts::PersonChoice> choices = m_choices;
    QThreadPool::globalInstance()->start([self, path, previous, generation, choices] {
        // The book is made here too: the window's thread only takes it over.
        auto reading =
            std::make_shared<contacts::SourceReading>(contacts::readSource(path, previous));
        auto book = std::make_shared<contacts::ContactBook>();
        if (!reading->unchanged) {
            *book = contacts::ContactBook(reading->reading.cards);
            book->choose(choices);
        }
        // The cards themselves are not kept: the book holds what the program uses of them, in
        // memory of its own, and the reading's memory goes back to the system.
        reading->cardsRead = reading->reading.cards.size();
        reading->reading.cards = {};
        book->compact();
        giveBackFreeMemory();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, reading, book, generation, choices] {
                if (self)
                    self->take(std::move(*reading), std::move(*book), choices, generation);
            },
            Qt::QueuedConnection);
    });
}

void ContactsDesk::waitForReading()
{
    while (m_reading) {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
}

void ContactsDesk::take(contacts::SourceReading reading, contacts::ContactBook book,
                        const QList<contacts::PersonChoice> &choices, quint64 generation)
{
    if (generation != m_generation)
        return; // a newer reading is under way
    m_reading = false;
    if (reading.unchanged)
        return; // touched, not changed: the book stays as it is
    m_last = std::move(reading);
    m_lastPath = m_path;
    std::swap(m_book, book);
    if (choices != m_choices)
        m_book.choose(m_choices); // chosen again while the book was read
    Q_EMIT changed();
    // The old book let go and the reading's memory back to the system, off the window's thread.
    QThreadPool::globalInstance()->start([old = std::move(book)]() mutable {
        old = {};
        giveBackFreeMemory();
    });
}

void ContactsDesk::setChoices(const QList<contacts::PersonChoice> &choices)
{
    if (choices == m_choices)
        return;
    m_choices = choices;
    m_book.choose(m_choices);
    Q_EMIT changed();
}

void ContactsDesk::watch()
{
    delete m_watcher;
    m_watcher = nullptr;
    if (m_path.isEmpty())
        return;
    m_watcher = new QFileSystemWatcher(this);
    QStringList paths{m_path};
    const QFileInfo info(m_path);
    if (info.isDir()) {
        for (const QFileInfo &sub : QDir(m_path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
            paths << sub.filePath();
    } else {
        paths << info.absolutePath(); // a file replaced by rename is a change of its folder
    }
    m_watcher->addPaths(paths);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, &m_again, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, &m_again,
            qOverload<>(&QTimer::start));
}

QString ContactsDesk::shortList(const QList<contacts::Celebration> &celebrations)
{
    QStringList parts;
    for (const contacts::Celebration &c : celebrations) {
        const QString what = c.nameDay   ? QStringLiteral("névnap")
                             : c.age > 0 ? QStringLiteral("%1. születésnap").arg(c.age)
                                         : QStringLiteral("születésnap");
        parts << QStringLiteral("%1 (%2)").arg(c.person, what);
    }
    return parts.join(QStringLiteral(", "));
}

QString ContactsDesk::announcement(const contacts::ContactBook &book, const QDate &today,
                                   int noticeDays, contacts::LeapDayRule rule,
                                   const QList<contacts::PersonChoice> &choices)
{
    // Each person's own notice where the user set one, else everyone's.
    const auto noticeOf = [&](const QString &person) {
        for (const contacts::PersonChoice &c : choices) {
            if (c.person == person && c.noticeDays >= 0)
                return c.noticeDays;
        }
        return noticeDays;
    };
    int longest = noticeDays;
    for (const contacts::PersonChoice &c : choices)
        longest = std::max(longest, c.noticeDays);
    QStringList lines;
    for (int ahead = 0; ahead <= longest; ++ahead) {
        const QDate day = today.addDays(ahead);
        QList<contacts::Celebration> found = book.on(day, rule);
        found.removeIf([&](const contacts::Celebration &c) { return ahead > noticeOf(c.person); });
        if (found.isEmpty())
            continue;
        const QString when =
            ahead == 0   ? QStringLiteral("Ma")
            : ahead == 1 ? QStringLiteral("Holnap, %1 %2.")
                               .arg(MonthNames[std::size_t(day.month() - 1)].hungarian.toString())
                               .arg(day.day())
                         : QStringLiteral("%1 nap múlva, %2 %3.")
                               .arg(ahead)
                               .arg(MonthNames[std::size_t(day.month() - 1)].hungarian.toString())
                               .arg(day.day());
        lines << when + QStringLiteral(": ") + shortList(found);
    }
    if (lines.isEmpty())
        return {};
    return QStringLiteral("ISMERŐSÖK ÜNNEPE!!\n\n") + lines.join(u'\n');
}

void ContactsDesk::followPreferences(const Preferences &preferences)
{
    setChoices(preferences.people);
    setSource(preferences.contactsSource);
}

std::optional<QString> ContactsDesk::dueAnnouncement(const Preferences &p, const QDateTime &now,
                                                     const QDate &lastAnnounced,
                                                     qint64 sinceStartMs) const
{
    if (m_reading || p.contactsSource.isEmpty())
        return std::nullopt;
    if (now.time() < p.contactsTime || lastAnnounced == now.date())
        return std::nullopt;
    const bool late = p.contactsTime.secsTo(now.time()) >= 60;
    if (late && sinceStartMs < AlertScanner::startGraceMs)
        return std::nullopt;
    return announcement(m_book, now.date(), p.notice.nameDayDays, p.leapDayRule(), p.people);
}

ContactsDesk::Strip ContactsDesk::strip(const QDate &today, contacts::LeapDayRule rule) const
{
    const QString list = shortList(m_book.on(today, rule));
    const QString tomorrow = shortList(m_book.on(today.addDays(1), rule));
    return {list.isEmpty() ? QString() : QStringLiteral("Ma ünnepel: ") + list,
            tomorrow.isEmpty() ? QStringLiteral("Holnap nem ünnepel senki az ismerősök közül.")
                               : QStringLiteral("Holnap: ") + tomorrow};
}

} // namespace quill
