#include "filenotices.h"

#include "datafile.h"

#include <QStringList>

// What the user is told of the data file: after a load, and after a failed save.
namespace quill {

namespace {

QString backupSentence(const LoadReport &r)
{
    if (!r.keepsOriginal())
        return {};
    if (!r.backupPath.isEmpty())
        return QStringLiteral("A teljes régi fájlt a program megőrizte ezen a néven:\n") +
               r.backupPath;
    return QStringLiteral("A régi fájlról nem sikerült biztonsági másolatot készíteni (%1); "
                          "a program addig nem írja felül, amíg a másolat el nem készül.")
        .arg(files::reasonText(r.backupError));
}

} // namespace

bool loadNoticeIsFailure(const LoadReport &r)
{
    return r.outcome == LoadReport::Outcome::Unreadable ||
           r.outcome == LoadReport::Outcome::NotAFile || r.outcome == LoadReport::Outcome::NotText;
}

QString loadNotice(const LoadReport &r, const QString &path)
{
    QStringList parts;
    switch (r.outcome) {
    case LoadReport::Outcome::Missing:
        return {};
    case LoadReport::Outcome::Unreadable:
        parts << QStringLiteral("Az emlékeztetők fájlja nem olvasható:\n%1\nOk: %2.")
                     .arg(path, files::reasonText(r.error))
              << QStringLiteral("A program üres listával indul.");
        break;
    case LoadReport::Outcome::NotAFile:
        parts << QStringLiteral("Az emlékeztetők fájlja nem használható:\n%1\nOk: %2.")
                     .arg(path, files::reasonText(r.error))
              << QStringLiteral("A program üres listával indul, és oda semmit sem ír; a mentés "
                                "addig nem lehetséges, amíg ez így marad.");
        break;
    case LoadReport::Outcome::NotText:
        parts << QStringLiteral("Az emlékeztetők fájlja nem szöveges fájlnak látszik "
                                "(vezérlőkaraktereket vagy bináris adatot tartalmaz):\n%1")
                     .arg(path)
              << QStringLiteral("A program üres listával indul.");
        break;
    case LoadReport::Outcome::Loaded:
        if (r.encoding != FileEncoding::Windows1250)
            parts << QStringLiteral("Az emlékeztetők fájlja %1 kódolású volt; a program "
                                    "beolvasta, és mentéskor Windows-1250 kódolással írja vissza.")
                         .arg(r.encoding == FileEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                               : QStringLiteral("UTF-16"));
        if (r.foreignCharacters > 0)
            parts << QStringLiteral("A fájl %1 olyan karaktert tartalmaz, amely a Windows-1250 "
                                    "kódolásban nem létezik; mentéskor ezek helyére kérdőjel "
                                    "kerül.")
                         .arg(r.foreignCharacters);
        if (r.notLoaded > 0)
            parts << QStringLiteral("Az emlékeztetők fájljában több bejegyzés van, mint amennyi "
                                    "elfér (51). %1 bejegyzés nem töltődött be.")
                         .arg(r.notLoaded);
        if (r.freeLines > 0)
            parts << QStringLiteral("A fájl %1 sorában nincs megadva az emlékeztető fajtája; "
                                    "ezeket a program nem tudja használni.")
                         .arg(r.freeLines);
        if (r.rewriteDiffers && parts.isEmpty())
            parts << QStringLiteral("Az emlékeztetők fájljának egyes sorai mentés után nem "
                                    "pontosan így kerülnének vissza.");
        break;
    }
    if (parts.isEmpty())
        return {};
    const QString backup = backupSentence(r);
    if (!backup.isEmpty())
        parts << backup;
    return parts.join(QStringLiteral("\n\n"));
}

QString saveFailureReason(const SaveReport &report)
{
    switch (report.failed) {
    case SaveReport::Stage::OtherCopy:
        return QStringLiteral("a fájlt a Quillomat egy másik, most futó példánya használja");
    case SaveReport::Stage::Backup:
        return QStringLiteral("a régi fájlról nem sikerült biztonsági másolatot készíteni (%1), "
                              "ezért a program nem írja felül")
            .arg(files::reasonText(report.error));
    case SaveReport::Stage::Write:
    case SaveReport::Stage::None:
        break;
    }
    return files::reasonText(report.error);
}

QString saveFailureText(const ReminderFile &file, const SaveReport &report)
{
    return QStringLiteral("A mentés nem sikerült, az emlékeztetők a programban megmaradtak.\n\n") +
           file.path() + QStringLiteral("\nOk: ") + saveFailureReason(report) + u'.';
}

QString emergencyText(const ReminderFile &file, const SaveReport &report,
                      const std::error_code &emergencyError, const QString &writtenTo)
{
    const QString failed = QStringLiteral("Quillomat: a mentés nem sikerült: ") + file.path() +
                           QStringLiteral("\nOk: ") + saveFailureReason(report) + u'.';
    if (!emergencyError)
        return failed +
               QStringLiteral("\nA mentetlen emlékeztetőket a program vészmentésként "
                              "ide írta:\n") +
               writtenTo +
               QStringLiteral("\nA program következő indításkor felajánlja a visszatöltésüket.");
    return failed + QStringLiteral("\nVészmentést sem sikerült készíteni (%1); a mentetlen "
                                   "módosítások elvesztek.")
                        .arg(files::reasonText(emergencyError));
}

} // namespace quill
