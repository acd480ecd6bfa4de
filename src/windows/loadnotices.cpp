#include "loadnotices.h"

#include "dialogs/messagebox.h"
#include "reminders/session.h"

namespace quill {

namespace {

const QString dataFilePage = QStringLiteral("adatfajl.html"); // F1 in the boxes of the file

// The last run could not save at its end and left its reminders in an emergency copy.
void offerEmergencyCopy(ReminderSession &session, MessageBoxes &boxes, QWidget *window)
{
    ReminderFile &file = session.file();
    const QString pending = file.pendingEmergencyCopy();
    if (pending.isEmpty())
        return;
    const MsgAnswer answer = boxes.show(
        window, MsgIcon::Question, QStringLiteral("Quillomat"),
        QStringLiteral("A program legutóbbi futásának végén nem sikerült menteni az "
                       "emlékeztetőket, ezért vészmentést készített róluk:\n%1\n\nBetöltsem a "
                       "vészmentés emlékeztetőit a fájlban levők helyett? (Mentésig egyik fájl "
                       "sem változik.)")
            .arg(pending),
        MsgButtons::YesNo, dataFilePage);
    if (answer == MsgAnswer::Yes && session.takeEmergencyCopy(pending))
        return;
    const QString kept = file.retireEmergencyCopy(true);
    boxes.show(window, MsgIcon::Information, QStringLiteral("Quillomat"),
               QStringLiteral("A vészmentés megmaradt ezen a néven:\n") + kept, MsgButtons::Ok,
               dataFilePage);
}

} // namespace

void loadAndTell(ReminderSession &session, MessageBoxes &boxes, QWidget *window)
{
    const LoadReport report = session.load();
    const QString notice = loadNotice(report, session.file().path());
    if (!notice.isEmpty())
        boxes.show(window, loadNoticeIsFailure(report) ? MsgIcon::Critical : MsgIcon::Exclamation,
                   QStringLiteral("Quillomat"), notice, MsgButtons::Ok, dataFilePage);
    offerEmergencyCopy(session, boxes, window);
}

} // namespace quill
