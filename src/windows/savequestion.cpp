#include "savequestion.h"

#include "dialogs/messagebox.h"
#include "reminders/session.h"

namespace quill {

namespace {

const QString dataFilePage = QStringLiteral("adatfajl.html"); // F1 in the boxes of the file

// Another program wrote the file since it was read: which version goes into the file?
std::optional<OnChangedFile> askWhichVersion(ReminderSession &session, MessageBoxes &boxes,
                                             QWidget *parent, const QString &title)
{
    const int chosen = boxes.choose(
        parent, MsgIcon::Question, title,
        QStringLiteral("Az emlékeztetők fájlját egy másik program megváltoztatta, mióta ez a "
                       "program beolvasta:\n%1\n\nMelyik változat kerüljön a fájlba? A másikat "
                       "a program biztonsági másolatként megőrzi.")
            .arg(session.file().path()),
        {QStringLiteral("Az itteni változat"), QStringLiteral("A másik program változata"),
         QStringLiteral("Mégse")},
        0, dataFilePage);
    if (chosen == 0)
        return OnChangedFile::KeepMine;
    if (chosen == 1)
        return OnChangedFile::KeepTheirs;
    return std::nullopt;
}

} // namespace

QString keptVersionsText(const SaveReport &saved)
{
    if (!saved.originalKeptAs.isEmpty())
        return QStringLiteral("Az emlékeztetők fájljának egyes sorai mentés után nem pontosan így "
                              "kerültek volna vissza, ezért a program az eredeti fájlt "
                              "megőrizte ezen a néven:\n") +
               saved.originalKeptAs;
    if (!saved.theirsKeptAs.isEmpty())
        return QStringLiteral("A másik program által módosított fájlt a program megőrizte ezen a "
                              "néven:\n") +
               saved.theirsKeptAs;
    if (!saved.mineKeptAs.isEmpty())
        return QStringLiteral("A fájl a másik program változatát tartalmazza, a program ezt "
                              "töltötte be. Az itteni emlékeztetőket a program megőrizte ezen a "
                              "néven:\n") +
               saved.mineKeptAs;
    return {};
}

SaveOutcome askAndSave(ReminderSession &session, MessageBoxes &boxes, QWidget *parent,
                       const QString &title, Ask when)
{
    if (when == Ask::WhenModified && !session.isModified())
        return SaveOutcome::NotAsked;
    const MsgAnswer answer =
        boxes.show(parent, MsgIcon::Question, title, QStringLiteral("Mentsem a módosításokat?"),
                   MsgButtons::YesNoCancel, QStringLiteral("kilepes.html"));
    if (answer == MsgAnswer::Cancel)
        return SaveOutcome::Cancelled;
    if (answer != MsgAnswer::Yes)
        return SaveOutcome::Declined;
    return saveNow(session, boxes, parent, title);
}

SaveOutcome saveNow(ReminderSession &session, MessageBoxes &boxes, QWidget *parent,
                    const QString &title)
{
    OnChangedFile onChanged = OnChangedFile::KeepMine;
    session.waitForSave(); // the file is looked at only while no save has it
    if (session.file().changedOnDisk()) {
        const auto chosen = askWhichVersion(session, boxes, parent, title);
        if (!chosen)
            return SaveOutcome::Cancelled;
        onChanged = *chosen;
    }
    const SaveReport saved = session.save(onChanged);
    if (!saved.ok()) {
        boxes.show(parent, MsgIcon::Critical, title, saveFailureText(session.file(), saved),
                   MsgButtons::Ok, dataFilePage);
        return SaveOutcome::Failed;
    }
    const QString kept = keptVersionsText(saved);
    if (!kept.isEmpty())
        boxes.show(parent, MsgIcon::Information, title, kept, MsgButtons::Ok, dataFilePage);
    return SaveOutcome::Saved;
}

} // namespace quill
