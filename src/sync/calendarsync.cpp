#include "calendarsync.h"

#include "files/safefile.h"
#include "files/writequeue.h"
#include "icalendar/codec.h"
#include "reminders/filenotices.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace quill {

using Kind = RoundAction::Kind;
using caldav::DavError;

namespace {

// The agreed items a sync report leaves as they were, and the addresses of those to fetch.
ListingSplit splitDelta(const Agreement &agreed, const caldav::SyncDelta &delta)
{
    QHash<QString, QString> changedTags;
    for (const caldav::DavItem &c : delta.changed)
        changedTags.insert(c.href, c.etag);
    const QSet<QString> removed(delta.removed.cbegin(), delta.removed.cend());
    ListingSplit split;
    QSet<QString> known;
    for (const ListedItem &item : agreedItems(agreed)) {
        const auto changed = changedTags.constFind(item.href);
        if (removed.contains(item.href) || (changed != changedTags.cend() && *changed != item.etag))
            continue;
        split.known << item;
        known.insert(item.href);
    }
    for (const caldav::DavItem &c : delta.changed) {
        if (!known.contains(c.href))
            split.fetch << c.href;
    }
    return split;
}

} // namespace

CalendarSync::CalendarSync(ReminderSession &session, CalendarCodec &codec, QString root,
                           QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_codec(codec)
    , m_root(std::move(root))
    , m_client(this)
{
    m_reader.setMaxThreadCount(1);
    m_passwordLimit.setSingleShot(true);
    m_passwordLimit.setInterval(30000);
    connect(&m_passwordLimit, &QTimer::timeout, this, [this] {
        if (!m_passwordProcess)
            return;
        m_passwordProcess->disconnect(this);
        m_passwordProcess->kill();
        m_passwordProcess->deleteLater();
        fail(QStringLiteral("a jelszót kiíró parancs %1 másodperc alatt sem végzett")
                 .arg(m_passwordLimit.interval() / 1000));
    });
}

CalendarSync::~CalendarSync()
{
    // A state file's outcome comes back to this object: it waits for it rather than leave it
    // nobody to come back to.
    if (m_writing)
        files::waitForWrites();
    if (m_passwordProcess) {
        m_passwordProcess->disconnect(this);
        m_passwordProcess->kill();
        m_passwordProcess->waitForFinished(2000);
    }
}

void CalendarSync::start(const CalDavAccount &account, const QDate &today)
{
    if (m_running) {
        m_again = true;
        return;
    }
    m_running = true;
    m_account = account;
    m_today = today;
    m_report = {};
    m_repeats = 0;
    m_collection = QUrl(account.url.trimmed());
    if (!account.configured() || !m_collection.isValid()) {
        fail(QStringLiteral("nincs megadva a CalDAV-naptár címe"));
        return;
    }
    if (!m_collection.path().endsWith(QLatin1Char('/')))
        m_collection.setPath(m_collection.path() + QLatin1Char('/'));
    if (!account.password.isEmpty() || account.passwordCommand.trimmed().isEmpty()) {
        m_client.setCredentials(account.user, account.password);
        begin();
        return;
    }
    askPassword();
}

// The password command runs as a process of its own, for a bounded time.
void CalendarSync::askPassword()
{
    auto *process = new QProcess(this);
    m_passwordProcess = process;
    process->setStandardInputFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus st) {
        m_passwordLimit.stop();
        process->deleteLater();
        const QByteArray out = process->readAllStandardOutput();
        if (st != QProcess::NormalExit || code != 0) {
            const QString said =
                QString::fromLocal8Bit(process->readAllStandardError()).trimmed().left(200);
            fail(QStringLiteral("a jelszót kiíró parancs nem sikerült") +
                 (said.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(said)));
            return;
        }
        m_client.setCredentials(
            m_account.user,
            QString::fromUtf8(out.left(out.indexOf('\n') < 0 ? out.size() : out.indexOf('\n')))
                .remove(u'\r'));
        begin();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        m_passwordLimit.stop();
        process->deleteLater();
        fail(QStringLiteral("a jelszót kiíró parancs nem indítható el"));
    });
    m_passwordLimit.start();
    process->start(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"), m_account.passwordCommand.trimmed()});
}

// The agreement is read on the worker (a large calendar's is a few hundred kilobytes).
void CalendarSync::begin()
{
    m_repeat = false;
    m_outgoing.clear();
    m_reader.start([this, root = m_root, calendar = m_account.url.trimmed()] {
        const QString path = agreementPath(root, calendar);
        Agreement last = loadAgreement(path, calendar);
        bool takenOver = false;
        if (!QFile::exists(path)) {
            if (std::optional<Agreement> older = olderAgreement(root, calendar)) {
                last = *older;
                takenOver = true;
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, last, takenOver] {
                m_last = last;
                m_takenOver = takenOver;
                m_client.state(m_collection,
                               [this](const caldav::DavResult<caldav::CollectionState> &r) {
                                   if (r.error)
                                       return fail(r.error.reason);
                                   stateRead(r.value);
                               });
            },
            Qt::QueuedConnection);
    });
}

void CalendarSync::stateRead(const caldav::CollectionState &state)
{
    m_state = state;
    m_token = state.syncToken;
    caldav::CollectionState before;
    before.ctag = m_last.ctag;
    before.syncToken = m_last.syncToken;
    if (!m_takenOver && unchangedSince(state, before)) {
        planAndApply(agreedItems(m_last));
        return;
    }
    if (!state.syncReport || m_last.syncToken.isEmpty() || m_takenOver) {
        listAll();
        return;
    }
    m_client.changesSince(
        m_collection, m_last.syncToken, [this](const caldav::DavResult<caldav::SyncDelta> &r) {
            if (r.error.kind == DavError::Kind::TokenExpired)
                return listAll();
            if (r.error)
                return fail(r.error.reason);
            m_token = r.value.token;
            splitOnWorker([delta = r.value, agreed = m_last] { return splitDelta(agreed, delta); });
        });
}

void CalendarSync::listAll()
{
    m_client.listing(m_collection, [this](const caldav::DavResult<QList<caldav::DavItem>> &r) {
        if (r.error)
            return fail(r.error.reason);
        splitOnWorker([listed = r.value, agreed = m_last] {
            QList<std::pair<QString, QString>> items;
            for (const caldav::DavItem &item : listed)
                items << std::pair{item.href, item.etag};
            return splitListing(agreed, items);
        });
    });
}

// Which items to fetch is worked out on the worker (thousands of items in a large calendar).
void CalendarSync::splitOnWorker(std::function<ListingSplit()> split)
{
    m_reader.start([this, split = std::move(split)] {
        ListingSplit done = split();
        QMetaObject::invokeMethod(
            this, [this, done = std::move(done)] { fetchChanged(done.fetch, done.known); },
            Qt::QueuedConnection);
    });
}

void CalendarSync::fetchChanged(const QStringList &hrefs, QList<ListedItem> known)
{
    m_client.fetch(m_collection, hrefs,
                   [this, known](const caldav::DavResult<QList<caldav::DavItem>> &r) {
                       if (r.error)
                           return fail(r.error.reason);
                       readFetched(r.value, known);
                   });
}

// The items are read and fitted on a worker (libical's parse costs by the item); the listing
// comes back to the round's thread by a queued call. The codec serializes libical's users.
void CalendarSync::readFetched(const QList<caldav::DavItem> &fetched,
                               const QList<ListedItem> &known)
{
    if (fetched.isEmpty())
        return planAndApply(known);
    CalendarCodec *codec = &m_codec;
    const LeapDayRule leapDay = m_account.leapDay;
    const Agreement agreed = m_last; // a copy for the worker: the round reads, never writes it
    m_reader.start([this, codec, leapDay, agreed, fetched, known] {
        QList<ListedItem> listing = known;
        for (const caldav::DavItem &item : fetched) {
            auto listed = listedItem(item.href, item.etag, item.data, *codec, leapDay, agreed);
            if (!listed)
                continue;
            if (listed->uid.isEmpty())
                listed->uid = item.href; // unreadable: known by its address
            listing << *listed;
        }
        QMetaObject::invokeMethod(
            this, [this, listing] { planAndApply(listing); }, Qt::QueuedConnection);
    });
}

// The round is worked out on the worker from a copy of the book: the plan, the rows as it
// leaves them, the events that go out. The book takes the rows over here, on the round's thread,
// and only if it did not change meanwhile (else the round is planned again).
void CalendarSync::planAndApply(QList<ListedItem> listing)
{
    RoundWork work;
    work.listing = std::move(listing);
    work.book = ReminderBook{m_session.table(), m_session.rowsHandedOut()};
    work.last = m_last;
    work.takenOver = m_takenOver;
    work.calendar = m_account.url.trimmed();
    work.today = m_today;
    work.leapDay = m_account.leapDay;
    m_reader.start([this, work = std::move(work), revision = m_session.table().revision(),
                    planner = m_planner, applier = m_bookApplier, codec = &m_codec]() mutable {
        workOutRound(work, planner, applier, *codec);
        QMetaObject::invokeMethod(
            this, [this, work = std::move(work), revision] { apply(work, revision); },
            Qt::QueuedConnection);
    });
}

void CalendarSync::apply(const RoundWork &work, std::uint64_t revision)
{
    if (m_session.table().revision() != revision)
        return planAndApply(work.listing);
    m_last = work.last;
    m_report.conflicts += work.plan.conflicts;
    m_report.notes += work.notes;
    m_report.leftOut += work.plan.leftOut + work.outcome.leftOut;
    m_report.incoming += work.outcome.incoming;
    m_repeat = work.outcome.newReminders;
    m_next = work.next;
    m_next.ctag = m_state.ctag;
    m_next.syncToken = m_token;
    m_next.leapDay = m_account.leapDay;
    m_session.edit([&work](ReminderBook &book) {
        book = work.book; // the book is still the worker's copy: its rows as the plan left them
        return work.outcome.changed;
    });
    // What came in reaches the data file before anything is agreed on, the UIDs with it; the
    // UIDs the server learns are on the disk before it does. That includes what an earlier
    // round brought in and could not save (a full disk): this round agrees on it too.
    if (work.outcome.changed || m_session.isModified()) {
        m_savingIncoming = true;
        const SaveReport saved = m_session.save();
        m_savingIncoming = false;
        if (!saved.ok())
            return fail(m_session.file().path() + QStringLiteral(": ") + saveFailureReason(saved));
    }
    if (!work.outgoing)
        return fail(QStringLiteral("a naptárkezelő (libquillomat-ical.so) nem tölthető be"));
    m_outgoing = *work.outgoing;
    keepIdentities();
}

// The UIDs beside the data file, written in turn on the writing thread; the calendar's writes
// go once they are on the disk.
void CalendarSync::keepIdentities()
{
    writeState(
        identityPathBeside(m_session.file().path()), QString(),
        [table = m_session.table()] { return encodeIdentities(table); }, &CalendarSync::sendNext);
}

// Writes a state file on the writing thread, in turn with the program's other writes (so a later
// one is never overwritten by an earlier one), unless it already holds those bytes; `then` goes
// on with the round once it is on the disk, a failure ends the round with its reason.
void CalendarSync::writeState(const QString &path, const QString &folder,
                              std::function<QByteArray()> bytes, void (CalendarSync::*then)())
{
    m_writing = true;
    files::writeInTurn([this, path, folder, bytes = std::move(bytes), then] {
        std::error_code error = folder.isEmpty() ? std::error_code() : files::makeFolder(folder);
        const QByteArray content = bytes();
        const files::ReadResult kept = files::readRegularFile(path, 16 << 20);
        if (!error && (kept.error || !kept.exists || kept.bytes != content))
            error = files::writeAtomically(path, content);
        QMetaObject::invokeMethod(
            this,
            [this, path, error, then] {
                m_writing = false;
                if (error)
                    return fail(path + QStringLiteral(": ") + files::reasonText(error));
                (this->*then)();
            },
            Qt::QueuedConnection);
    });
}

void CalendarSync::sendNext()
{
    if (m_outgoing.isEmpty())
        return conclude();
    const Outgoing out = m_outgoing.takeFirst();
    const RoundAction &a = out.action;
    if (a.kind == Kind::Remove) {
        m_client.remove(hrefUrl(m_collection, a.href), a.etag,
                        [this, out](const caldav::DavResult<bool> &r) {
                            sent(out, r.error, {}, out.action.href);
                        });
        return;
    }
    const QUrl url =
        a.kind == Kind::Create ? itemUrl(m_collection, a.uid) : hrefUrl(m_collection, a.href);
    const auto done = [this, out, url](const caldav::DavResult<QString> &r) {
        sent(out, r.error, r.value, url.path(QUrl::FullyEncoded));
    };
    if (a.kind == Kind::Create)
        m_client.create(url, out.ics, done);
    else
        m_client.replace(url, a.etag, out.ics, done);
}

void CalendarSync::sent(const Outgoing &out, const DavError &error, const QString &etag,
                        const QString &href)
{
    const RoundAction &a = out.action;
    if (error.kind == DavError::Kind::Conflict) {
        // Changed there meanwhile: the round is made again with what is there now, which keeps
        // both versions. An event written again for a changed leap-day rule did not go over:
        // the rule of the calendar's events is unknown until a round writes every one by it.
        m_repeat = true;
        if (a.kind == Kind::Update && m_last.leapDay != m_account.leapDay)
            m_next.leapDay.reset();
        return sendNext();
    }
    if (error)
        return fail(error.reason);
    if (a.kind == Kind::Remove)
        m_next.entries.remove(a.uid);
    else
        m_next.entries.insert(a.uid, {href, etag, a.line});
    sendNext();
}

// The agreement is written last, on the writing thread; the round ends (or is made again) once
// it is on the disk.
void CalendarSync::conclude()
{
    writeState(
        agreementPath(m_root, m_next.calendar), m_root,
        [next = m_next] { return encodeAgreement(next); }, &CalendarSync::agreementKept);
}

void CalendarSync::agreementKept()
{
    if (m_repeat && m_repeats < 2) {
        ++m_repeats;
        begin();
        return;
    }
    m_report.ok = true;
    finish();
}

void CalendarSync::fail(const QString &reason)
{
    m_report.ok = false;
    m_report.error = reason;
    finish();
}

void CalendarSync::finish()
{
    m_running = false;
    m_report.conflicts.removeDuplicates();
    m_report.leftOut.removeDuplicates();
    m_report.notes.removeDuplicates();
    Q_EMIT finished(m_report);
    if (m_again) {
        m_again = false;
        start(m_account, m_today);
    }
}

} // namespace quill
