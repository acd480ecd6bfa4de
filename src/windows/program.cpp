#include "program.h"

#include "mainwindow.h"
#include "platform/commandline.h"
#include "platform/runningcopy.h"
#include "platform/services.h"
#include "platform/termination.h"
#include "reminders/session.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTranslator>

#include <cstdio>

namespace quill {

namespace {

// In a Wayland session with an X server beside it (XWayland), the X server: there the strip can
// place itself at the top of the screen. Without one, Wayland, with the compositor's placement.
void preferXWayland()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void installHungarian(QApplication &app)
{
    // Igen/Nem/OK on every standard button, and the help window's own controls, in Hungarian
    // whatever the system language.
    for (const QString &name : {QStringLiteral("qtbase_hu"), QStringLiteral("qt_help_hu")}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(translator);
    }
}

// Another copy holds the file: it comes forward instead, or the user is told why not.
int handOver(const ReminderFile &file, const QStringList &arguments, MessageBoxes &boxes)
{
    if (RunningCopy(file.identityKeys()).handOver(arguments))
        return 0;
    boxes.show(nullptr, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
               QStringLiteral("A Quillomat már fut. Egyszerre csak egy példánya futhat, "
                              "hogy az emlékeztetők ne írják felül egymást."),
               MsgButtons::Ok);
    return 1;
}

} // namespace

int runProgram(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = readCommandLine(arguments);
    if (command.action != CommandLine::Action::Run) {
        const QByteArray text = command.output.toUtf8();
        std::fwrite(text.constData(), 1, std::size_t(text.size()),
                    command.action == CommandLine::Action::Refuse ? stderr : stdout);
        return command.exitCode;
    }
    preferXWayland();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quillomat"));
    app.setOrganizationName(QStringLiteral("Zelmarin"));
    app.setDesktopFileName(QStringLiteral("hu.zelmarin.Quillomat"));
    app.setWindowIcon(QIcon(QStringLiteral(":/quillomat/quillomat.png")));
    installHungarian(app);

    SystemClock clock;
    SystemMessageBoxes boxes;
    const AppFolder folder = AppFolder::ofExecutable();
    QtHelpViewer help(folder.file(QStringLiteral("tartalom.qch")),
                      QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                          QStringLiteral("/help"));
    DesktopNotifier notifier;
    XdgAutostart autostart(QCoreApplication::applicationFilePath());
    Services services{clock, boxes, help, folder, SystemDateNames(), notifier, autostart};

    ReminderFile file(folder.reminderFile());
    switch (file.lock()) {
    case files::LockFile::Result::HeldByAnother:
        return handOver(file, arguments.mid(1), boxes);
    case files::LockFile::Result::Failed:
        // Where no lock file can be made, no copy can save either (a save makes a new file
        // there too); the lock is taken again before the first save.
        boxes.show(nullptr, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
                   QStringLiteral("A zárolófájl nem hozható létre:\n%1\nOk: %2.\n\nA program "
                                  "elindul, de amíg ez így marad, a módosításokat nem tudja "
                                  "menteni.")
                       .arg(file.lockPath(), files::reasonText(file.lockError())),
                   MsgButtons::Ok);
        break;
    case files::LockFile::Result::Locked:
        break;
    }
    ReminderSession session(file);
    MainWindow window(services, session);
    QObject::connect(&window, &MainWindow::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // A later start brings this copy forward.
    RunningCopy running(file.identityKeys());
    running.listen();
    QObject::connect(&running, &RunningCopy::comeForward, &window, &MainWindow::comeForward);
    // Alerts missed while the program was not running come late; the record says since when.
    const RunRecord record(file.path());
    window.resumeAlertsFrom(record.lastEnd());
    QObject::connect(&window, &MainWindow::alertsAnnounced, &window,
                     [&record](const QDateTime &moment) { record.recordEnd(moment); });
    // Logout, shutdown, kill: the changes are kept without a question.
    TerminationSignals stop;
    QObject::connect(&stop, &TerminationSignals::received, &window, [&window] {
        // The exit status tells whether the changes reached the file.
        QCoreApplication::exit(window.stopFromOutside() ? 0 : 1);
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager &manager) {
                         const bool mayAsk = manager.allowsInteraction();
                         const bool kept = window.commitSession(mayAsk);
                         if (mayAsk)
                             manager.release();
                         if (!kept)
                             manager.cancel();
                     });
    window.show();
    const int code = app.exec();
    record.recordEnd(window.alertsDealtWithUntil());
    file.unlock();
    return code;
}

} // namespace quill
