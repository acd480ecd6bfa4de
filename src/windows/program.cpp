#include "program.h"

#include "mainwindow.h"
#include "platform/services.h"
#include "platform/termination.h"
#include "reminders/session.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTranslator>

namespace quill {

int runProgram(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Quillomat"));
    app.setOrganizationName(QStringLiteral("Zelmarin"));
    app.setDesktopFileName(QStringLiteral("hu.zelmarin.Quillomat"));

    // Igen/Nem/OK on every standard button, and the help window's own controls, in Hungarian
    // whatever the system language.
    for (const QString &name : {QStringLiteral("qtbase_hu"), QStringLiteral("qt_help_hu")}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(translator);
    }

    SystemClock clock;
    SystemMessageBoxes boxes;
    const AppFolder folder = AppFolder::ofExecutable();
    QtHelpViewer help(folder.file(QStringLiteral("tartalom.qch")),
                      QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                          QStringLiteral("/help"));
    Services services{clock, boxes, help, folder, SystemDateNames()};

    ReminderFile file(folder.reminderFile());
    switch (file.lock()) {
    case files::LockFile::Result::HeldByAnother:
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
        break;
    case files::LockFile::Result::Locked:
        break;
    }
    ReminderSession session(file);
    MainWindow window(services, session);
    QObject::connect(&window, &MainWindow::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Logout, shutdown, kill: the changes are kept without a question.
    TerminationSignals stop;
    QObject::connect(&stop, &TerminationSignals::received, &window, [&window] {
        window.stopFromOutside();
        QCoreApplication::exit(0);
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
    file.unlock();
    return code;
}

} // namespace quill
