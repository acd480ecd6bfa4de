#include "program.h"

#include "form1.h"
#include "platform/services.h"

#include <QApplication>
#include <QLibraryInfo>
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
    if (!file.lock()) {
        boxes.show(nullptr, MsgIcon::Exclamation, QStringLiteral("Quillomat"),
                   QStringLiteral("A Quillomat már fut. Egyszerre csak egy példánya futhat, "
                                  "hogy az emlékeztetők ne írják felül egymást."),
                   MsgButtons::Ok);
        return 1;
    }
    ReminderBook book;
    Form1 form(services, book, file);
    QObject::connect(&form, &Form1::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form.show();
    return app.exec();
}

} // namespace quill
