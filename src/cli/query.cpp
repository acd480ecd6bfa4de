#include "query.h"

#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "cli/ical.h"
#include "files/safefile.h"
#include "version.h"

#include <QHash>
#include <QRegularExpression>

namespace quill::nevnap {

namespace {

const QString noNames = QStringLiteral("nincs névnap");

QString monthName(int month)
{
    return MonthNames[std::size_t(month - 1)].hungarian.toString();
}

QString dayText(int month, int day)
{
    return monthName(month) + u' ' + QString::number(day) + u'.';
}

// The names of a day, or that it has none: "február 29.: nincs névnap".
QString namesOf(int month, int day)
{
    const QString names = NameDayCalendar::entry(month, day);
    return names.isEmpty() ? dayText(month, day) + QStringLiteral(": ") + noNames : names;
}

QString weekLine(const QDate &date)
{
    const QString weekday =
        WeekdayNames[std::size_t(date.dayOfWeek() - 1)].hungarian.toString().toLower();
    const QString names = NameDayCalendar::entry(date.month(), date.day());
    return QString::number(date.year()) + QStringLiteral(". ") + dayText(date.month(), date.day()) +
           u' ' + weekday + QStringLiteral(": ") + (names.isEmpty() ? noNames : names);
}

Answer fail(const QString &message, int code = 1)
{
    return {code, {}, message + u'\n'};
}

Answer refuse(const QString &why)
{
    return {2, {}, QStringLiteral("nevnap: ") + why + u'\n' + usage()};
}

bool isDayNumber(const QString &token, int *day)
{
    static const QRegularExpression number(QStringLiteral("^(\\d{1,2})\\.?$"));
    const auto m = number.match(token);
    if (!m.hasMatch())
        return false;
    *day = m.captured(1).toInt();
    return true;
}

// A day of a month the calendar has: 1 to 29 in February, whatever the year.
DateRead checked(int month, int day)
{
    if (month < 1 || month > 12)
        return {DateRead::Result::BadMonth, month, day};
    if (day < 1 || day > NameDayCalendar::tableDays(month))
        return {DateRead::Result::BadDay, month, day};
    return {DateRead::Result::Date, month, day};
}

Answer ical(const QStringList &arguments);

} // namespace

std::optional<QString> findName(const QString &typed)
{
    static const QHash<QString, QString> byFolded = [] {
        QHash<QString, QString> names;
        for (const QString &name : FirstNameList())
            names.insert(foldedForMatching(name), name);
        return names;
    }();
    const auto it = byFolded.constFind(foldedForMatching(typed.trimmed()));
    if (it == byFolded.cend())
        return std::nullopt;
    return *it;
}

QString fullDates(const QString &name)
{
    QStringList days;
    for (int m = 1; m <= 12; ++m) {
        for (int d = 1; d <= NameDayCalendar::tableDays(m); ++d) {
            if (NameDayCalendar::entry(m, d).split(QStringLiteral(", ")).contains(name))
                days << dayText(m, d);
        }
    }
    return days.join(u' ');
}

int monthNumber(const QString &text)
{
    const QString folded = foldedForMatching(text.trimmed());
    for (std::size_t i = 0; i < MonthNames.size(); ++i) {
        if (folded == foldedForMatching(MonthNames[i].hungarian.toString()) ||
            folded == foldedForMatching(MonthNames[i].english.toString()))
            return int(i) + 1;
    }
    return 0;
}

DateRead readDate(const QString &typed)
{
    const QString text = typed.simplified();
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    static const QRegularExpression isoShort(QStringLiteral("^(\\d{1,2})-(\\d{1,2})$"));
    static const QRegularExpression hungarian(
        QStringLiteral("^(\\d{4})\\. ?(\\d{1,2})\\. ?(\\d{1,2})\\.?$"));
    static const QRegularExpression hungarianShort(
        QStringLiteral("^(\\d{1,2})\\. ?(\\d{1,2})\\.?$"));
    for (const QRegularExpression *withYear : {&iso, &hungarian}) {
        const auto m = withYear->match(text);
        if (!m.hasMatch())
            continue;
        const int year = m.captured(1).toInt(), month = m.captured(2).toInt(),
                  day = m.captured(3).toInt();
        const DateRead read = checked(month, day);
        // With a year given, the day must be one of that year: no 29 February in 2026.
        if (read.result == DateRead::Result::Date && !QDate(year, month, day).isValid())
            return {DateRead::Result::BadDay, month, day};
        return read;
    }
    for (const QRegularExpression *noYear : {&isoShort, &hungarianShort}) {
        const auto m = noYear->match(text);
        if (m.hasMatch())
            return checked(m.captured(1).toInt(), m.captured(2).toInt());
    }
    // A month name and a day, in either order.
    const QStringList tokens = text.split(u' ', Qt::SkipEmptyParts);
    if (tokens.size() != 2)
        return {};
    int day = 0;
    for (int i = 0; i < 2; ++i) {
        QString word = tokens[i];
        if (word.endsWith(u'.'))
            word.chop(1);
        if (const int month = monthNumber(word))
            return isDayNumber(tokens[1 - i], &day) ? checked(month, day)
                                                    : DateRead{DateRead::Result::BadDay, month, 0};
    }
    if (isDayNumber(tokens[0], &day) || isDayNumber(tokens[1], &day))
        return {DateRead::Result::BadMonth, 0, day};
    return {};
}

QString usage()
{
    return QStringLiteral(
        "Használat:\n"
        "  nevnap                    a mai nap névnapjai\n"
        "  nevnap holnap             a holnapi nap névnapjai (angolul: --tomorrow)\n"
        "  nevnap --het              a mai és a következő hat nap névnapjai, naponként egy "
        "sorban:\n"
        "                            dátum, a hét napja, nevek (angolul: --week)\n"
        "  nevnap HÓNAP NAP          egy nap névnapjai; a hónap magyarul vagy angolul, kis- vagy\n"
        "                            nagybetűvel, ékezettel vagy anélkül, a nap ponttal vagy\n"
        "                            anélkül, bármelyik sorrendben: nevnap március 15,\n"
        "                            nevnap \"15. március\", nevnap marcius 15, nevnap March 15\n"
        "  nevnap DÁTUM              2026-03-15, 03-15, 2026.03.15., 03.15.\n"
        "  nevnap KERESZTNÉV         egy keresztnév névnapja(i), kis- vagy nagybetűvel, ékezettel\n"
        "                            vagy anélkül: nevnap Zoltán, nevnap zoltan\n"
        "  nevnap --ical [FÁJL]      a teljes névnaptár iCalendar formában (alapértelmezés: a\n"
        "                            szabványos kimenet)\n"
        "  nevnap --version          a program változata\n"
        "  nevnap --help             ez a leírás\n"
        "\n"
        "Kilépési kód: 0 siker, 1 ha nincs ilyen hónap, nap vagy név, 2 hibás parancssor.\n");
}

Answer answer(const QStringList &arguments, const QDate &today)
{
    QStringList words;
    for (const QString &arg : arguments) {
        if (arg == u"-h" || arg == u"--help")
            return {0, usage(), {}};
        if (arg == u"-v" || arg == u"--version")
            return {0,
                    QStringLiteral("nevnap (Quillomat) %1.%2.%3\n")
                        .arg(version::major)
                        .arg(version::minor)
                        .arg(version::patch),
                    {}};
        if (arg == u"--ical")
            return ical(arguments);
        if (arg.startsWith(u'-') && arg.size() > 1 && !arg.at(1).isDigit()) {
            const QString option = foldedForMatching(arg);
            if (option == u"--tomorrow" || option == u"--holnap")
                words << QStringLiteral("holnap");
            else if (option == u"--week" || option == u"--het")
                words << QStringLiteral("--het");
            else
                return refuse(QStringLiteral("ismeretlen kapcsoló: ") + arg);
            continue;
        }
        words << arg;
    }
    if (words.isEmpty())
        return {0, namesOf(today.month(), today.day()) + u'\n', {}};
    const QString typed = words.join(u' ').simplified();
    if (typed == u"--het") {
        QString out;
        for (int i = 0; i < 7; ++i)
            out += weekLine(today.addDays(i)) + u'\n';
        return {0, out, {}};
    }
    if (foldedForMatching(typed) == u"holnap") {
        const QDate tomorrow = today.addDays(1);
        return {0, namesOf(tomorrow.month(), tomorrow.day()) + u'\n', {}};
    }
    if (foldedForMatching(typed) == u"ma")
        return {0, namesOf(today.month(), today.day()) + u'\n', {}};
    const DateRead date = readDate(typed);
    switch (date.result) {
    case DateRead::Result::Date:
        return {0, namesOf(date.month, date.day) + u'\n', {}};
    case DateRead::Result::BadMonth:
        return fail(QStringLiteral("Ilyen hónap nem létezik!"));
    case DateRead::Result::BadDay:
        return fail(QStringLiteral("Ilyen nap nem létezik!"));
    case DateRead::Result::NotADate:
        break;
    }
    const auto name = findName(typed);
    if (!name)
        return fail(QStringLiteral("Ilyen név nem létezik!"));
    // The calendar's own spelling is named when it differs from what was typed.
    const QString prefix = *name == typed ? QString() : *name + QStringLiteral(": ");
    return {0, prefix + fullDates(*name) + u'\n', {}};
}

namespace {

// The whole calendar as iCalendar, on standard output or into a file, replaced whole or not at
// all: a full disk never leaves half a calendar.
Answer ical(const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--ical"));
    const QString target = at + 1 < arguments.size() ? arguments[at + 1] : QString();
    const QByteArray ics = nameDayICalendar(QDateTime::currentDateTimeUtc());
    if (target.isEmpty() || target == u"-")
        return {0, QString::fromUtf8(ics), {}};
    if (const int error = files::writeAtomically(files::resolvedPath(target), ics))
        return fail(QStringLiteral("A fájl nem írható: ") + target + QStringLiteral(" (") +
                    files::reasonText(error) + QStringLiteral(")"));
    return {};
}

} // namespace

} // namespace quill::nevnap
