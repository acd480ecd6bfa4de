#include "query.h"

#include "lookup.h"

#include "contacts/people.h"
#include "contacts/source.h"

#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/names.h"
#include "icalendar/codec.h"
#include "version.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMultiMap>
#include <QRegularExpression>

namespace quill::nevnap {

namespace {

QString monthName(int month)
{
    return MonthNames[std::size_t(month - 1)].hungarian.toString();
}

QString dayText(int month, int day)
{
    return monthName(month) + u' ' + QString::number(day) + u'.';
}

Answer fail(const QString &message, int code = 1)
{
    return {code, {}, message + u'\n'};
}

Answer refuse(const QString &why)
{
    return {
        2, {}, QStringLiteral("nevnap: ") + why + QStringLiteral("; a használat: nevnap --help\n")};
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

} // namespace

int monthNumber(const QString &text)
{
    QString folded = foldedForMatching(text.trimmed());
    if (folded.endsWith(u'.'))
        folded.chop(1);
    // The whole name, or its beginning from three letters on: "márc", "szept", "aug", "Sept".
    for (std::size_t i = 0; i < MonthNames.size(); ++i) {
        for (const QStringView name : {MonthNames[i].hungarian, MonthNames[i].english}) {
            const QString full = foldedForMatching(name.toString());
            if (folded == full || (folded.size() >= 3 && full.startsWith(folded)))
                return int(i) + 1;
        }
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
        return {read.result, read.month, read.day, year};
    }
    for (const QRegularExpression *noYear : {&isoShort, &hungarianShort}) {
        const auto m = noYear->match(text);
        if (m.hasMatch())
            return checked(m.captured(1).toInt(), m.captured(2).toInt());
    }
    // A month name and a day, in either order; a month alone asks for its day.
    const QStringList tokens = text.split(u' ', Qt::SkipEmptyParts);
    if (tokens.size() == 1 && monthNumber(tokens[0]) != 0 && !findName(tokens[0]))
        return {DateRead::Result::NoDay, monthNumber(tokens[0]), 0};
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
        "  nevnap holnap             a holnapi nap névnapjai (angolul: --tomorrow); tegnap,\n"
        "                            holnapután és ma is\n"
        "  nevnap --het              a mai és a következő hat nap névnapjai, naponként egy "
        "sorban:\n"
        "                            dátum, a hét napja, nevek (angolul: --week)\n"
        "  nevnap HÓNAP NAP          egy nap névnapjai; a hónap magyarul vagy angolul, kis- vagy\n"
        "                            nagybetűvel, ékezettel vagy anélkül, rövidítve is (márc,\n"
        "                            szept, Mar), a nap ponttal vagy anélkül, bármelyik\n"
        "                            sorrendben: nevnap március 15, nevnap \"15. március\",\n"
        "                            nevnap marcius 15, nevnap márc 15, nevnap March 15\n"
        "  nevnap DÁTUM              2026-03-15, 03-15, 2026.03.15., 03.15.\n"
        "  nevnap KERESZTNÉV         egy keresztnév névnapja(i), kis- vagy nagybetűvel, ékezettel\n"
        "                            vagy anélkül, teljes névvel is: nevnap Zoltán, nevnap\n"
        "                            zoltan, nevnap \"Kovács Mária\"\n"
        "  nevnap --ical [FÁJL]      a teljes névnaptár iCalendar formában (alapértelmezés: a\n"
        "                            szabványos kimenet); létező fájlt csak --force mellett ír\n"
        "                            felül\n"
        "  nevnap --contacts [FÁJL|MAPPA] [NAP]\n"
        "                            a névjegyek (.vcf fájl vagy mappa) közül azok, akiknek a\n"
        "                            napon (alapértelmezés: ma) névnapja vagy születésnapja\n"
        "                            van; --het mellett hét napra; mappa nélkül a program\n"
        "                            beállításaiban megadott forrás (magyarul: --ismerosok)\n"
        "  nevnap --version          a program változata\n"
        "  nevnap --help             ez a leírás\n"
        "\n"
        "Kilépési kód: 0 siker, 1 ha nincs ilyen hónap, nap vagy név, vagy a kimenet nem írható,\n"
        "2 hibás parancssor.\n");
}

QString printable(const QString &text)
{
    QString shown;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u <= 0x9F))
            shown += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

namespace {

// "ma", "holnap", "tegnapelott" ...: the day they name from `today`.
std::optional<QDate> relativeDay(const QString &typed, const QDate &today)
{
    static const QHash<QString, int> relative = {{QStringLiteral("ma"), 0},
                                                 {QStringLiteral("holnap"), 1},
                                                 {QStringLiteral("holnaputan"), 2},
                                                 {QStringLiteral("tegnap"), -1},
                                                 {QStringLiteral("tegnapelott"), -2}};
    if (const auto it = relative.constFind(foldedForMatching(typed)); it != relative.cend())
        return today.addDays(*it);
    return std::nullopt;
}

Answer dayAnswer(const QString &typed, const QDate &today)
{
    if (const auto day = relativeDay(typed, today))
        return {0, dayLines(*day), {}};
    const DateRead date = readDate(typed);
    switch (date.result) {
    case DateRead::Result::Date: {
        // A day without a year is this year's.
        const QDate day(date.year != 0 ? date.year : today.year(), date.month, date.day);
        return {0, day.isValid() ? dayLines(day) : missingDayLines(date.month, date.day), {}};
    }
    case DateRead::Result::BadMonth:
        return fail(QStringLiteral("Ilyen hónap nem létezik!"));
    case DateRead::Result::BadDay:
        return fail(QStringLiteral("Ilyen nap nem létezik!"));
    case DateRead::Result::NoDay:
        return fail(
            QStringLiteral("Melyik napja? Például: nevnap %1 15").arg(monthName(date.month)));
    case DateRead::Result::NotADate:
        break;
    }
    const QString found = nameLines(typed);
    if (!found.isEmpty())
        return {0, found, {}};
    return {1, {}, notInCalendar(typed)};
}

QString weekAnswer(const QDate &today)
{
    QString out;
    for (int i = 0; i < 7; ++i)
        out += weekLine(today.addDays(i)) + u'\n';
    return out;
}

// Options are told from the words of a day or a name: a minus followed by a digit is no option,
// and option names are read in any case, accents optional ("--hét").
QStringList forTheParser(const QStringList &arguments, QList<int> *positions,
                         QHash<QString, QString> *typedAs)
{
    QStringList options, words;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        const bool option = arg.startsWith(u'-') && arg.size() > 1 && !arg.at(1).isDigit();
        if (option) {
            const QString folded = foldedForMatching(arg);
            options << folded;
            typedAs->insert(folded.mid(folded.startsWith(u"--") ? 2 : 1).section(u'=', 0, 0), arg);
        } else {
            words << arg;
            positions->append(i);
        }
    }
    return QStringList{QStringLiteral("nevnap")} + options + QStringList{QStringLiteral("--")} +
           words;
}

QString closestOption(const QString &typed, const QStringList &known)
{
    for (const QString &option : known) {
        const QString full = u"--"_qs + option;
        int same = 0;
        while (same < std::min(typed.size(), full.size()) && typed[same] == full[same])
            ++same;
        if (same >= 4 && std::abs(int(typed.size() - full.size())) <= 2)
            return full;
    }
    return {};
}

// The day a contacts question is about: today, a word for a day near it, or a date (this year's).
std::optional<QDate> dayAsked(const QString &typed, const QDate &today, Answer *refusal)
{
    if (typed.isEmpty())
        return today;
    if (const auto day = relativeDay(typed, today))
        return day;
    const DateRead date = readDate(typed);
    switch (date.result) {
    case DateRead::Result::Date: {
        const QDate day(today.year(), date.month, date.day);
        // 29 February asked in a common year: the day it is kept on.
        return day.isValid() ? day : QDate(today.year(), 2, 28);
    }
    case DateRead::Result::BadMonth:
        *refusal = fail(QStringLiteral("Ilyen hónap nem létezik!"));
        return std::nullopt;
    case DateRead::Result::BadDay:
        *refusal = fail(QStringLiteral("Ilyen nap nem létezik!"));
        return std::nullopt;
    default:
        *refusal = fail(QStringLiteral("Nem nap: ") + printable(typed) +
                        QStringLiteral(" (például: nevnap --contacts névjegyek.vcf március 15)"));
        return std::nullopt;
    }
}

Answer contactsAnswer(QStringList words, const QDate &today, bool week,
                      const ContactsDefaults &defaults)
{
    QString path = defaults.source;
    if (!words.isEmpty() && QFileInfo::exists(words.first()))
        path = words.takeFirst();
    if (path.isEmpty())
        return fail(QStringLiteral("Nincs megadva névjegyforrás: nevnap --contacts FÁJL|MAPPA "
                                   "[NAP], vagy a program Beállítások ablakában."));
    Answer refusal;
    const auto day = dayAsked(words.join(u' ').simplified(), today, &refusal);
    if (!day)
        return refusal;
    const contacts::SourceReading read = contacts::readSource(path, {}, contacts::Stamp::NotNeeded);
    if (!read.problems.isEmpty() && read.reading.cards.isEmpty() && read.reading.skipped.isEmpty())
        return fail(QStringLiteral("A névjegyek nem olvashatók: ") +
                    read.problems.join(QStringLiteral("; ")));
    const contacts::ContactBook book(read.reading.cards);
    const auto rule = leapDayRule(defaults.leapDayOnMarch1);
    Answer a;
    for (int i = 0; i < (week ? 7 : 1); ++i) {
        const QDate d = day->addDays(i);
        const QString prefix = week ? QString::number(d.year()) + QStringLiteral(". ") +
                                          dayText(d.month(), d.day()) + QStringLiteral(": ")
                                    : QString();
        for (const contacts::Celebration &c : book.on(d, rule))
            a.out += prefix + contacts::describe(c) + u'\n';
    }
    if (const QStringList none = book.withoutNameDay(); !none.isEmpty())
        a.err +=
            QStringLiteral("nevnap: %1 ismerős neve nem szerepel a névnaptárban, nincs naptári "
                           "névnapja (az első: %2)\n")
                .arg(none.size())
                .arg(printable(none.first()));
    for (const QString &problem : read.problems)
        a.err += QStringLiteral("nevnap: ") + printable(problem) + u'\n';
    if (!read.reading.skipped.isEmpty())
        a.err += QStringLiteral("nevnap: %1 névjegy kihagyva (az első: %2: %3)\n")
                     .arg(read.reading.skipped.size())
                     .arg(printable(read.reading.skipped.first().name),
                          read.reading.skipped.first().reason);
    return a;
}

// An option nobody knows: refused, with the nearest known one where there is one.
Answer unknownOption(const QStringList &unknown, const QHash<QString, QString> &typedAs)
{
    const QString name = unknown.isEmpty() ? QString() : unknown.first();
    const QString typed = typedAs.value(name, (name.size() == 1 ? u"-"_qs : u"--"_qs) + name);
    const QString near =
        closestOption(foldedForMatching(typed),
                      {u"help"_qs, u"version"_qs, u"ical"_qs, u"force"_qs, u"tomorrow"_qs,
                       u"holnap"_qs, u"week"_qs, u"het"_qs, u"contacts"_qs, u"ismerosok"_qs});
    return refuse(QStringLiteral("ismeretlen kapcsoló: ") + printable(typed) +
                  (near.isEmpty() ? QString() : QStringLiteral(" (talán: %1?)").arg(near)));
}

// The name-day calendar as iCalendar: on the standard output, or for the caller to write into
// the file named (`typedName`: the name in the command line's own bytes, where it has them).
Answer icalAnswer(const QStringList &words, const QByteArray &typedName, FileToWrite *file,
                  bool overwrite)
{
    const QByteArray ics = makeLibicalCodec()->write(nameDayEvents(), QStringLiteral("Névnapok"),
                                                     QDateTime::currentDateTimeUtc());
    if (words.isEmpty() || words.first() == u"-")
        return {0, QString::fromUtf8(ics), {}};
    if (!file)
        return fail(QStringLiteral("A fájl nem írható: ") + printable(words.first()));
    file->path = typedName.isEmpty() ? QFile::encodeName(words.first()) : typedName;
    file->bytes = ics;
    file->overwrite = overwrite;
    return {};
}

} // namespace

Answer answer(const QStringList &arguments, const QDate &today, const QList<QByteArray> &raw,
              FileToWrite *file, const ContactsDefaults &contactsDefaults)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, {});
    const QCommandLineOption ical(QStringLiteral("ical"), {});
    const QCommandLineOption force(QStringLiteral("force"), {});
    const QCommandLineOption tomorrow({QStringLiteral("tomorrow"), QStringLiteral("holnap")}, {});
    const QCommandLineOption week({QStringLiteral("week"), QStringLiteral("het")}, {});
    const QCommandLineOption people({QStringLiteral("contacts"), QStringLiteral("ismerosok")}, {});
    parser.addOptions({help, version, ical, force, tomorrow, week, people});
    QList<int> positions;
    QHash<QString, QString> typedAs;
    if (!parser.parse(forTheParser(arguments, &positions, &typedAs)))
        return unknownOption(parser.unknownOptionNames(), typedAs);
    if (parser.isSet(help))
        return {0, usage(), {}};
    if (parser.isSet(version))
        return {0,
                QStringLiteral("nevnap (Quillomat) %1.%2.%3\n")
                    .arg(version::major)
                    .arg(version::minor)
                    .arg(version::patch),
                {}};
    QStringList words = parser.positionalArguments();
    if (parser.isSet(ical)) {
        if (words.size() > 1 || parser.isSet(tomorrow) || parser.isSet(week))
            return refuse(QStringLiteral("a --ical mellé csak egy fájlnév adható meg"));
        const QByteArray typedName = positions.isEmpty() || positions.first() >= raw.size()
                                         ? QByteArray()
                                         : raw[positions.first()];
        return icalAnswer(words, typedName, file, parser.isSet(force));
    }
    if (parser.isSet(force))
        return refuse(QStringLiteral("a --force csak a --ical FÁJL mellett érvényes"));
    if (parser.isSet(people)) {
        if (parser.isSet(tomorrow))
            words.prepend(QStringLiteral("holnap"));
        return contactsAnswer(words, today, parser.isSet(week), contactsDefaults);
    }
    if (parser.isSet(week))
        return words.isEmpty() ? Answer{0, weekAnswer(today), {}}
                               : refuse(QStringLiteral("a --het mellé nem kell nap vagy név"));
    if (parser.isSet(tomorrow))
        return words.isEmpty() ? dayAnswer(QStringLiteral("holnap"), today)
                               : refuse(QStringLiteral("a --holnap mellé nem kell nap vagy név"));
    if (words.isEmpty())
        return {0, dayLines(today), {}};
    return dayAnswer(words.join(u' ').simplified(), today);
}

} // namespace quill::nevnap
