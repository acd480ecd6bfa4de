#include "program.h"

#include "app/stallprobe.h"
#include "caldav/davclient.h"
#include "dialogs/helpviewer.h"
#include "dialogs/messagebox.h"
#include "files/writequeue.h"
#include "icalendar/lazycodec.h"
#include "platform/commandline.h"
#include "platform/runningcopy.h"
#include "platform/termination.h"
#include "reminders/preferences.h"
#include "reminders/session.h"
#include "sync/calendarsync.h"
#include "windows/alertdesk.h"
#include "windows/calendardesk.h"
#include "windows/mainwindow.h"
#include "windows/services.h"
#include "windows/widgets.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QPixmap>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTimer>

#include <QTranslator>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>

namespace quill {

namespace {

// --help, --version and a command line the program does not take are answered before any window
// system is touched; the exit code, or none when the program is to run.
std::optional<int> answerCommandLine(const QStringList &arguments)
{
    const CommandLine command = readCommandLine(arguments);
    if (command.action == CommandLine::Action::Run)
        return std::nullopt;
    const QByteArray text = command.output.toUtf8();
    std::fwrite(text.constData(), 1, std::size_t(text.size()),
                command.action == CommandLine::Action::Refuse ? stderr : stdout);
    return command.exitCode;
}

// In a Wayland session with an X server beside it (XWayland), the X server: there the strip can
// place itself at the top of the screen. Without one, Wayland, with the compositor's placement.
void preferXWayland()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void describeApplication(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Quillomat"));
    app.setOrganizationName(QStringLiteral("Zelmarin"));
    app.setDesktopFileName(QStringLiteral("hu.zelmarin.Quillomat"));
    // Read as the PNG it is: no image plugin is asked whether it can read it.
    app.setWindowIcon(QIcon(pictureFile(QStringLiteral(":/quillomat/quillomat.png"), "PNG")));
    // Igen/Nem/OK on every standard button, and the help window's own controls, in Hungarian
    // whatever the system language.
    for (const QString &name : {QStringLiteral("qtbase_hu"), QStringLiteral("qt_help_hu")}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(translator);
    }
}

class FirstFrameWatch final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Right after the frame reaches the screen, before anything else the event loop
            // has queued: what comes after the first frame is not counted.
            QTimer::singleShot(0, [] { ::_exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

// What the windows take from the system, made once for the whole run.
struct SystemServices {
    SystemClock clock;
    SystemMessageBoxes boxes;
    AppFolder folder = AppFolder::ofExecutable();
    LazyHelpViewer help{folder.file(QStringLiteral("libquillomat-help.so")),
                        folder.file(QStringLiteral("tartalom.qch")),
                        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                            QStringLiteral("/help")};
    DesktopNotifier notifier;
    XdgAutostart autostart{QCoreApplication::applicationFilePath()};
    LazyKeyring keyring{folder.file(QStringLiteral("libquillomat-keyring.so"))};
    Services services{clock,    boxes,     help, folder, SystemDateNames(),
                      notifier, autostart, {},   {},     &keyring};
    SystemServices()
    {
        boxes.setHelp(&help);
        caldav::CalDavClient::setTransportPlugin(
            folder.file(QStringLiteral("libquillomat-dav.so")));
    }
};

// The data file's lock: taken, or held by a running copy, which then comes forward instead (the
// exit code), or not to be had here, which the user is told.
std::optional<int> takeTheFile(ReminderFile &file, const QStringList &arguments,
                               MessageBoxes &boxes)
{
    switch (file.lock()) {
    case files::LockFile::Result::HeldByAnother:
        if (RunningCopy(file.identityKeys()).handOver(arguments))
            return 0;
        boxes.show(nullptr, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
                   QStringLiteral("A Quillomat már fut. Egyszerre csak egy példánya futhat, "
                                  "hogy az emlékeztetők ne írják felül egymást."),
                   MsgButtons::Ok);
        return 1;
    case files::LockFile::Result::Failed:
        // Where no lock file can be made, no copy can save either (a save makes a new file
        // there too); the lock is taken again before the first save.
        boxes.show(nullptr, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
                   QStringLiteral("A zárolófájl nem hozható létre:\n%1\nOk: %2.\n\nA program "
                                  "elindul, de amíg ez így marad, a módosításokat nem tudja "
                                  "menteni.")
                       .arg(file.lockPath(), files::reasonText(file.lockError())),
                   MsgButtons::Ok);
        return std::nullopt;
    case files::LockFile::Result::Locked:
        break;
    }
    return std::nullopt;
}

// Logout, shutdown, kill: the changes are kept without a question, and the exit status tells
// whether they reached the file.
void keepChangesAtTheEnd(QApplication &app, MainWindow &window, TerminationSignals &stop)
{
    QObject::connect(&stop, &TerminationSignals::received, &window,
                     [&window] { QCoreApplication::exit(window.stopFromOutside() ? 0 : 1); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager &manager) {
                         const bool mayAsk = manager.allowsInteraction();
                         const bool kept = window.commitSession(mayAsk);
                         if (mayAsk)
                             manager.release();
                         if (!kept)
                             manager.cancel();
                     });
}

// For the start-up benchmark: the program ends as soon as its first frame has been drawn.
void endAfterFirstFrameIfAsked(QWidget &window)
{
    if (qEnvironmentVariableIsEmpty("QUILLOMAT_BENCH_FIRST_FRAME"))
        return;
    auto *watch = new FirstFrameWatch(&window);
    window.installEventFilter(watch);
}

void tell(const QString &text)
{
    const QByteArray bytes = (text.endsWith(u'\n') ? text : text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

// A round with the account's password: from the keyring where no command prints it (the keyring
// answers later).
void startWithPassword(CalendarSync &sync, Keyring &keyring, const CalDavAccount &account)
{
    const QString key = keyringKey(account.url, account.user);
    if (!account.passwordCommand.trimmed().isEmpty() || account.user.trimmed().isEmpty()) {
        sync.start(account, QDate::currentDate());
        return;
    }
    keyring.read(key, &sync, [&sync, account](const KeyringAnswer &a) {
        CalDavAccount withPassword = account;
        if (a.status == KeyringAnswer::Status::Done)
            withPassword.password = a.password;
        sync.start(withPassword, QDate::currentDate());
    });
}

// The data file's lock for a round without a window: none when taken, else the exit code (the
// running copy took the round over, or the lock cannot be had).
std::optional<int> lockForSync(ReminderFile &file)
{
    switch (file.lock()) {
    case files::LockFile::Result::HeldByAnother:
        if (RunningCopy(file.identityKeys()).handOver({QStringLiteral("--sync")})) {
            std::fputs("A futó Quillomat elvégzi a szinkronizálást.\n", stdout);
            return 0;
        }
        tell(QStringLiteral("quillomat: a Quillomat már fut, de nem válaszol; a szinkronizálás "
                            "elmaradt."));
        return 1;
    case files::LockFile::Result::Failed:
        tell(QStringLiteral("quillomat: a zárolófájl nem hozható létre: %1\nOk: %2.")
                 .arg(file.lockPath(), files::reasonText(file.lockError())));
        return 1;
    case files::LockFile::Result::Locked:
        break;
    }
    return std::nullopt;
}

// The end of a round without a window: the book saved if the round left it changed, the round
// told; the exit code.
int endOfSync(ReminderSession &session, ReminderFile &file, const SyncReport &report)
{
    int code = report.ok ? 0 : 1;
    if (session.isModified()) {
        const SaveReport saved = session.save();
        if (!saved.ok()) {
            tell(QStringLiteral("quillomat: ") + saveFailureText(file, saved));
            code = 1;
        }
    }
    const QString text = syncReportText(report);
    if (!text.isEmpty())
        tell(text);
    file.unlock();
    return code;
}

// One round of calendar sync without a window: by the running copy, when there is one, else here
// on the data file, which is saved when the round brought something.
int syncWithoutWindow(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quillomat"));
    app.setOrganizationName(QStringLiteral("Zelmarin"));
    const AppFolder folder = AppFolder::ofExecutable();
    caldav::CalDavClient::setTransportPlugin(folder.file(QStringLiteral("libquillomat-dav.so")));
    ReminderFile file(folder.reminderFile());
    if (const auto refused = lockForSync(file))
        return *refused;
    ReminderSession session(file);
    const LoadReport loaded = session.load();
    if (loadNoticeIsFailure(loaded)) {
        tell(QStringLiteral("quillomat: ") + loadNotice(loaded, file.path()));
        return 1;
    }
    const Preferences p = loadPreferences(preferencesPath());
    const CalDavAccount account{
        p.calDavUrl, p.calDavUser, p.calDavPasswordCommand, {}, p.leapDayRule()};
    if (!account.configured()) {
        tell(QStringLiteral("quillomat: nincs beállítva CalDAV-naptár; a címét a Beállítások "
                            "ablakban lehet megadni."));
        return 1;
    }
    LazyCalendarCodec codec(folder.file(QStringLiteral("libquillomat-ical.so")));
    CalendarSync sync(session, codec, syncPlaceFor(file.path()).root);
    SyncReport report;
    bool done = false;
    QObject::connect(&sync, &CalendarSync::finished, &app, [&](const SyncReport &r) {
        report = r;
        done = true;
        app.quit();
    });
    // Stopped from outside (SIGTERM, SIGHUP, Ctrl+C), the round ends where it is, and what it
    // handed to the writing thread (the book, its UIDs, its agreement) is finished first.
    TerminationSignals stop;
    bool stopped = false;
    QObject::connect(&stop, &TerminationSignals::received, &app, [&stopped, &app] {
        stopped = true;
        app.quit();
    });
    LazyKeyring keyring(folder.file(QStringLiteral("libquillomat-keyring.so")));
    startWithPassword(sync, keyring, account);
    if (!done)
        app.exec();
    files::waitForWrites();
    if (stopped && !done)
        report.error = QStringLiteral("a programot leállították, mielőtt végzett");
    return endOfSync(session, file, report);
}

} // namespace

int runProgram(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (readCommandLine(arguments).action == CommandLine::Action::Sync)
        return syncWithoutWindow(argc, argv);
    if (const auto answered = answerCommandLine(arguments))
        return *answered;
    preferXWayland();
    QApplication app(argc, argv);
    describeApplication(app);
    SystemServices system;
    ReminderFile file(system.folder.reminderFile());
    if (const auto handedOver = takeTheFile(file, arguments.mid(1), system.boxes))
        return *handedOver;

    ReminderSession session(file);
    MainWindow window(system.services, session);
    QObject::connect(&window, &MainWindow::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // A later start brings this copy forward.
    RunningCopy running(file.identityKeys());
    running.listen();
    QObject::connect(&running, &RunningCopy::comeForward, &window,
                     [&window](const QStringList &handed) {
                         if (handed.contains(QStringLiteral("--sync")))
                             window.calendarDesk()->syncNow(false);
                         else
                             window.comeForward();
                     });
    // Alerts missed while the program was not running come late; the record says since when.
    const RunRecord record(file.path());
    window.alertDesk()->resumeFrom(record.lastEnd(), record.answered());
    QObject::connect(
        window.alertDesk(), &AlertDesk::alertsAnnounced, &window,
        [&record](const DealtWith &dealt) { record.recordEnd(dealt.until, dealt.answered); });
    TerminationSignals stop;
    keepChangesAtTheEnd(app, window, stop);
    endAfterFirstFrameIfAsked(window);
    logStallsIfAsked(window);
    window.showAtStart();
    const int code = app.exec();
    const DealtWith dealt = window.alertDesk()->dealtWith();
    record.recordEnd(dealt.until, dealt.answered);
    // Every write handed to the writing thread reaches the file before the program ends.
    files::waitForWrites();
    file.unlock();
    return code;
}

} // namespace quill
