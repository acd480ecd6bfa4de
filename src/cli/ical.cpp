#include "ical.h"

#include "calendar/namedays.h"

namespace quill {

QByteArray foldICalLine(const QByteArray &line)
{
    QByteArray out;
    int lineOctets = 0;
    int i = 0;
    while (i < line.size()) {
        // Take one whole UTF-8 sequence at a time.
        int len = 1;
        const auto lead = static_cast<unsigned char>(line[i]);
        if (lead >= 0xF0)
            len = 4;
        else if (lead >= 0xE0)
            len = 3;
        else if (lead >= 0xC0)
            len = 2;
        len = std::min<int>(len, int(line.size()) - i);
        if (lineOctets + len > 75) {
            out += "\r\n ";
            lineOctets = 1;
        }
        out += line.mid(i, len);
        lineOctets += len;
        i += len;
    }
    return out + "\r\n";
}

namespace {
QByteArray escapeText(const QString &text)
{
    QString t = text;
    t.replace(u'\\', QStringLiteral("\\\\"));
    t.replace(u';', QStringLiteral("\\;"));
    t.replace(u',', QStringLiteral("\\,"));
    return t.toUtf8();
}
} // namespace

QByteArray nameDayICalendar(const QDateTime &stamp)
{
    QByteArray out;
    auto line = [&out](const QByteArray &l) { out += foldICalLine(l); };
    line("BEGIN:VCALENDAR");
    line("VERSION:2.0");
    line("PRODID:-//Zelmarin//Quillomat nevnap//HU");
    line("CALSCALE:GREGORIAN");
    line("X-WR-CALNAME:" + escapeText(QStringLiteral("Névnapok")));
    const QByteArray dtstamp =
        stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
    for (int m = 1; m <= 12; ++m) {
        for (int d = 1; d <= NameDayCalendar::tableDays(m); ++d) {
            const QString names = NameDayCalendar::entry(m, d);
            if (names.isEmpty())
                continue;
            const QDate start(2000, m, d);
            const QByteArray mmdd = start.toString(QStringLiteral("MMdd")).toLatin1();
            line("BEGIN:VEVENT");
            line("UID:nevnap-" + mmdd + "@quillomat.zelmarin.hu");
            line("DTSTAMP:" + dtstamp);
            line("DTSTART;VALUE=DATE:" + start.toString(QStringLiteral("yyyyMMdd")).toLatin1());
            line("DTEND;VALUE=DATE:" +
                 start.addDays(1).toString(QStringLiteral("yyyyMMdd")).toLatin1());
            line("RRULE:FREQ=YEARLY");
            line("SUMMARY:" + escapeText(names + QStringLiteral(" névnapja")));
            line("DESCRIPTION:" +
                 escapeText(QStringLiteral("Ezen a napon ünneplik névnapjukat: ") + names));
            line("TRANSP:TRANSPARENT");
            line("CATEGORIES:" + escapeText(QStringLiteral("Névnap")));
            line("END:VEVENT");
        }
    }
    line("END:VCALENDAR");
    return out;
}

} // namespace quill
