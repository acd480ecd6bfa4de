#include "booksync.h"

#include "files/lockfile.h"
#include "files/safefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStandardPaths>

namespace quill {

SyncPlace syncPlaceFor(const QString &dataFile, const QString &stateHome)
{
    const QByteArray key =
        QCryptographicHash::hash(dataFile.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return {(stateHome.isEmpty() ? files::stateHome() : stateHome) +
            QStringLiteral("/Zelmarin/Quillomat/naptar-") + QString::fromLatin1(key)};
}

namespace {
// A value as the configuration's JSON takes it.
QByteArray quoted(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}
} // namespace

QByteArray vdirsyncerConfig(const CalDavAccount &account, const SyncPlace &place)
{
    QByteArray out = "# Written by Quillomat; changed in its settings window (Beállítások).\n"
                     "[general]\nstatus_path = " +
                     quoted(place.status() + u'/') +
                     "\n\n[pair quillomat]\na = \"quillomat_konyv\"\nb = \"quillomat_kiszolgalo\"\n"
                     "collections = null\nconflict_resolution = \"b wins\"\n\n"
                     "[storage quillomat_konyv]\ntype = \"filesystem\"\npath = " +
                     quoted(place.mirror() + u'/') +
                     "\nfileext = \".ics\"\n\n[storage quillomat_kiszolgalo]\ntype = \"caldav\"\n"
                     "url = " +
                     quoted(account.url.trimmed()) + '\n';
    if (!account.user.isEmpty())
        out += "username = " + quoted(account.user) + '\n';
    if (!account.passwordCommand.trimmed().isEmpty())
        out += "password.fetch = [\"command\", \"sh\", \"-c\", " +
               quoted(account.passwordCommand.trimmed()) + "]\n";
    return out;
}

QString vdirsyncerFailure(const QByteArray &output)
{
    const QString text = QString::fromUtf8(output);
    const QString lower = text.toLower();
    const auto has = [&lower](std::initializer_list<const char *> words) {
        return std::any_of(words.begin(), words.end(),
                           [&lower](const char *w) { return lower.contains(QLatin1String(w)); });
    };
    if (has({"no space left"}))
        return QStringLiteral("betelt a lemez");
    // The password command failed: what it said itself is the reason.
    if (has({"command '['sh', '-c'"}) && has({"returned non-zero exit status"})) {
        QString said;
        for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
            if (line.contains(QLatin1String("Command '['sh', '-c'")))
                break;
            if (!line.startsWith(QLatin1String("error:")) &&
                !line.startsWith(QLatin1String("warning:")) &&
                !line.startsWith(QLatin1String("Syncing")) &&
                !line.startsWith(QLatin1String("Discovering")))
                said = line.trimmed();
        }
        return QStringLiteral("a jelszót kiíró parancs nem sikerült") +
               (said.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(said.left(200)));
    }
    const auto status = [&lower](const char *codes) {
        return QRegularExpression(QStringLiteral("(^|[^0-9:])(") + QLatin1String(codes) +
                                  QStringLiteral(")([^0-9]|$)"))
            .match(lower)
            .hasMatch();
    };
    if (has({"cannot connect", "connection refused", "connect call failed", "name or service",
             "timeout", "timed out", "network is unreachable", "server disconnected",
             "connection reset"}))
        return QStringLiteral("a CalDAV-kiszolgáló nem érhető el (nincs hálózat, vagy a "
                              "kiszolgáló nem fut)");
    if (status("401|403") || has({"unauthorized", "forbidden"}))
        return QStringLiteral("a kiszolgáló nem fogadta el a felhasználónevet vagy a jelszót");
    if (status("404") || has({"not found"}))
        return QStringLiteral("a megadott címen nincs naptár");
    if (status("5[0-9][0-9]"))
        return QStringLiteral("a kiszolgáló hibát jelzett");
    QString last;
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.contains(QLatin1String("error"), Qt::CaseInsensitive))
            last = line.trimmed();
    }
    return QStringLiteral("a vdirsyncer hibát jelzett") +
           (last.isEmpty() ? QString() : QStringLiteral(": ") + last.left(300));
}

QString syncReportText(const SyncReport &r)
{
    if (r.notInstalled)
        return QStringLiteral("A naptár szinkronizálásához a vdirsyncer program kell, de nincs "
                              "telepítve.\nTelepítése: sudo apt install vdirsyncer");
    if (!r.ok && r.incoming > 0)
        return QStringLiteral("A naptár szinkronizálása félbemaradt: %1.\nA más eszközökön tett "
                              "%2 változás bekerült az emlékeztetők közé; az itteni változásokat "
                              "a program a következő alkalommal küldi el.")
            .arg(r.error)
            .arg(r.incoming);
    if (!r.ok)
        return QStringLiteral("A naptár szinkronizálása nem sikerült: %1.\nAz emlékeztetők "
                              "változatlanok; a program később újra megpróbálja.")
            .arg(r.error);
    const auto listed = [](const QStringList &items) -> QString {
        return shortList(items, QString(), QStringLiteral("… és még %1 bejegyzés"));
    };
    QStringList parts;
    if (!r.conflicts.isEmpty())
        parts << QStringLiteral("Mindkét helyen módosított emlékeztetők (mindkét változat "
                                "megmaradt):\n") +
                     listed(r.conflicts);
    if (!r.leftOut.isEmpty())
        parts << QStringLiteral("Ezek a naptárbejegyzések nem férnek el emlékeztetőként; a "
                                "kiszolgálón változatlanul maradnak:\n") +
                     listed(r.leftOut);
    return parts.join(QStringLiteral("\n\n"));
}

BookSync::BookSync(ReminderSession &session, CalendarCodec &codec, SyncPlace place, QString program,
                   QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_codec(codec)
    , m_place(std::move(place))
    , m_program(std::move(program))
{
    // Once what came in is in the data file, the agreement speaks for the file again.
    connect(&m_session, &ReminderSession::saved, this, [this](bool asHeld) {
        if (!asHeld || !m_markIsOurs)
            return;
        m_markIsOurs = false;
        dropMarkWhenDone();
    });
    // An earlier run took changes in and ended before they reached the data file (killed, or
    // not saved): its agreement speaks of a book the file is not. Rounds go without it, taking
    // the server's items in as they are and deleting nothing, until one is saved.
    m_leftover = QFile::exists(m_place.unsaved());
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        if (m_process)
            m_process->kill();
    });
}

BookSync::~BookSync()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

void BookSync::start(const CalDavAccount &account, const QDate &today)
{
    if (running()) {
        m_again = true;
        return;
    }
    m_account = account;
    m_today = today;
    m_report = {};
    m_timedOut = false;
    if (!account.configured()) {
        m_report.error = QStringLiteral("nincs megadva a CalDAV-naptár címe");
        return finish(m_report);
    }
    const QString program = m_program.isEmpty()
                                ? QStandardPaths::findExecutable(QStringLiteral("vdirsyncer"))
                                : m_program;
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        m_report.notInstalled = true;
        m_report.error = QStringLiteral("a vdirsyncer nincs telepítve");
        return finish(m_report);
    }
    m_program = program;
    for (const QString &folder : {m_place.mirror(), m_place.status()}) {
        if (const auto error = files::makeFolder(folder)) {
            m_report.error = folder + QStringLiteral(": ") + files::reasonText(error);
            return finish(m_report);
        }
    }
    const QByteArray config = vdirsyncerConfig(account, m_place);
    const auto current = files::readRegularFile(m_place.config(), 64 * 1024);
    if (current.error || current.bytes != config) {
        if (const auto error = files::writeAtomically(m_place.config(), config)) {
            m_report.error = m_place.config() + QStringLiteral(": ") + files::reasonText(error);
            return finish(m_report);
        }
    }
    run(Step::Discover);
}

void BookSync::run(Step step)
{
    m_step = step;
    auto *process = new QProcess(this);
    m_process = process;
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this, &BookSync::stepDone);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart || process != m_process)
            return;
        m_report.notInstalled = true;
        m_report.error = QStringLiteral("a vdirsyncer nem indítható el");
        process->deleteLater();
        finish(m_report);
    });
    const QString command =
        step == Step::Discover ? QStringLiteral("discover") : QStringLiteral("sync");
    m_limit.start(m_timeLimit * 1000);
    process->start(m_program,
                   {QStringLiteral("-c"), m_place.config(), command, QStringLiteral("quillomat")});
}

void BookSync::stepDone(int exitCode, QProcess::ExitStatus status)
{
    m_limit.stop();
    QProcess *process = m_process;
    const QByteArray output = process ? process->readAll() : QByteArray();
    if (process)
        process->deleteLater();
    if (status != QProcess::NormalExit || exitCode != 0) {
        if (m_timedOut)
            m_report.error = QStringLiteral("a vdirsyncer nem végzett időben");
        else if (status != QProcess::NormalExit)
            m_report.error = QStringLiteral("a vdirsyncer váratlanul leállt");
        else
            m_report.error = vdirsyncerFailure(output);
        return finish(m_report);
    }
    switch (m_step) {
    case Step::Discover:
        return run(Step::Fetch);
    case Step::Fetch:
        return exchange();
    case Step::Send:
        if (const auto error = m_nextBase.save(m_place.base())) {
            m_report.error = m_place.base() + QStringLiteral(": ") + files::reasonText(error);
            return finish(m_report);
        }
        // An agreement made without an earlier run's is saved: its mark has done its work.
        if (m_leftover) {
            m_leftover = false;
            dropMarkWhenDone();
        }
        m_report.ok = true;
        return finish(m_report);
    case Step::Idle:
        return;
    }
}

void BookSync::exchange()
{
    const QList<MirrorItem> items = readMirror(m_place.mirror(), m_codec);
    SyncBase base;
    base.load(m_place.base());
    if (m_leftover)
        base.entries.clear();
    const QString idsPath = ReminderIds::pathBeside(m_session.file().path());
    ReminderIds ids;
    ids.load(idsPath);
    ids.assign(m_session.table(), m_today);
    PullPlan plan = planPull(m_session.table(), ids, base, items, m_today);
    if (!plan.changes.isEmpty() && !m_markIsOurs && !m_leftover) {
        if (const auto error = files::writeAtomically(m_place.unsaved(), QByteArray())) {
            m_report.error = m_place.unsaved() + QStringLiteral(": ") + files::reasonText(error);
            return finish(m_report);
        }
    }
    if (!plan.changes.isEmpty())
        m_markIsOurs = true;
    m_session.edit([&](ReminderBook &book) { return applyPull(book, ids, plan); });
    if (const auto error = ids.save(idsPath)) {
        m_report.error = idsPath + QStringLiteral(": ") + files::reasonText(error);
        return finish(m_report);
    }
    m_report.incoming = int(plan.changes.size());
    m_report.leftOut = plan.leftOut;
    m_report.conflicts = plan.conflicts;
    const PushResult pushed = pushBook(m_session.table(), ids, plan, items, m_place.mirror(),
                                       m_codec, QDateTime::currentDateTimeUtc());
    if (pushed.error) {
        m_report.error = pushed.file + QStringLiteral(": ") + files::reasonText(pushed.error);
        return finish(m_report);
    }
    m_nextBase = pushed.base;
    run(Step::Send);
}

void BookSync::dropMarkWhenDone()
{
    if (!m_markIsOurs && !m_leftover)
        QFile::remove(m_place.unsaved());
}

void BookSync::finish(SyncReport report)
{
    m_step = Step::Idle;
    Q_EMIT finished(report);
    if (m_again) {
        m_again = false;
        start(m_account, m_today);
    }
}

} // namespace quill
