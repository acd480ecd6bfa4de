// Writes calendars as the program writes them, for the end-to-end checks that other programs
// expand them alike:
//   icalsample reminders ROWS.txt YYYY-MM-DD OUT.ics   one event per row (UTF-8, one a line),
//                                                      counted from the day given
//   icalsample people CARDS.vcf february28|march1 OUT.ics   the address book's name days and
//                                                      birthdays, 29 February kept as told

#include "contacts/people.h"
#include "contacts/source.h"
#include "icalendar/codec.h"
#include "icalendar/events.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

using namespace quill;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

QList<CalendarEvent> reminderEvents(const QString &path, const QDate &from)
{
    QFile in(path);
    QList<CalendarEvent> events;
    if (!in.open(QIODevice::ReadOnly))
        return events;
    int n = 0;
    for (const QByteArray &line : in.readAll().split('\n')) {
        const auto reminder = reminderOfLine(QString::fromUtf8(line.trimmed()));
        if (!reminder)
            continue;
        if (const auto e = eventOfReminder(*reminder, QStringLiteral("row-%1").arg(n++), from))
            events << *e;
    }
    return events;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fputs("usage: icalsample reminders|people INPUT FROM|RULE OUT.ics\n", stderr);
        return 2;
    }
    QList<CalendarEvent> events;
    if (args[1] == u"reminders") {
        events = reminderEvents(args[2], QDate::fromString(args[3], Qt::ISODate));
    } else {
        const contacts::ContactBook book(contacts::readSource(args[2]).reading.cards);
        events = celebrationEvents(book, leapDayRule(args[3] == u"march1"));
    }
    if (events.isEmpty()) {
        std::fputs("icalsample: nothing to write\n", stderr);
        return 1;
    }
    const QByteArray ics =
        makeLibicalCodec()->write(events, QStringLiteral("Minta"), QDateTime::currentDateTimeUtc());
    return writeFile(args[4], ics) ? 0 : 1;
}
