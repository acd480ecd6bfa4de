// nevnap: the name-day calendar on the command line.

#include "calendar/namedays.h"
#include "calendar/numtext.h"
#include "cli/ical.h"
#include "files/safefile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

using namespace quill;

namespace {

void writeOut(FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

int fail(const QString &message)
{
    writeOut(stderr, message);
    return 1;
}

QString usage()
{
    return QStringLiteral(
        "Használat:\n"
        "  nevnap                  a mai nap névnapjai\n"
        "  nevnap HÓNAP NAP        egy nap névnapjai (például: nevnap március 15)\n"
        "  nevnap KERESZTNÉV       egy keresztnév névnapja(i) (például: nevnap Zoltán)\n"
        "  nevnap --ical [FÁJL]    a teljes névnaptár iCalendar formában (alapértelmezés: a\n"
        "                          szabványos kimenet)\n"
        "  nevnap --help           ez a leírás");
}

int printDay(const QString &month, const QString &day)
{
    const QString dayText = numberText(textValue(day));
    const NameLookup found = NameDayCalendar::lookup(month, dayText);
    if (found.error == LookupError::Month)
        return fail(QStringLiteral("Ilyen hónap nem létezik!"));
    if (found.error == LookupError::Day)
        return fail(QStringLiteral("Ilyen nap nem létezik!"));
    writeOut(stdout, found.names);
    return 0;
}

int writeICal(const QStringList &args)
{
    const QByteArray ics = nameDayICalendar(QDateTime::currentDateTimeUtc());
    if (args.size() < 3 || args.at(2) == u"-") {
        std::fwrite(ics.constData(), 1, std::size_t(ics.size()), stdout);
        return 0;
    }
    // The file is replaced whole or not at all: a full disk never leaves half a calendar.
    if (const int error = files::writeAtomically(files::resolvedPath(args.at(2)), ics))
        return fail(QStringLiteral("A fájl nem írható: ") + args.at(2) + QStringLiteral(" (") +
                    files::reasonText(error) + QStringLiteral(")"));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 2 && (args.at(1) == u"--help" || args.at(1) == u"-h")) {
        writeOut(stdout, usage());
        return 0;
    }
    if (args.size() >= 2 && args.at(1) == u"--ical")
        return writeICal(args);
    if (args.size() == 1) {
        const QDate today = QDate::currentDate();
        writeOut(stdout, NameDayCalendar::entry(today.month(), today.day()));
        return 0;
    }
    if (args.size() == 2) {
        const auto dates = NameDayIndex::editorDates(args.at(1));
        if (!dates)
            return fail(QStringLiteral("Ilyen név nem létezik!"));
        writeOut(stdout, *dates);
        return 0;
    }
    if (args.size() == 3)
        return printDay(args.at(1), args.at(2));
    writeOut(stderr, usage());
    return 1;
}
