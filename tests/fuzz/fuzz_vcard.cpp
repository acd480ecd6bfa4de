// Feeds arbitrary bytes to the address-book reader: it must never crash or hang, every card it
// keeps has a name, every date it keeps is a day of the year, and every card it begins is either
// kept or skipped with a reason. The lines it reads in pieces are those of the plain reading
// below (folded lines joined where they lie, quoted-printable soft breaks), the properties it
// passes over only as long as theirs.

#include "contacts/cardlines.h"
#include "contacts/people.h"
#include "contacts/vcard.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool saysQuotedPrintable(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    const QByteArray head = colon < 0 ? line : line.left(colon);
    return head.size() >= 16 && head.toUpper().contains("QUOTED-PRINTABLE");
}

// Whether a line is a property the reader has no use for, whatever its group's length
// ("item1.KEY:", "a-very-long-group-name.PHOTO;ENCODING=b:").
bool isUnusedProperty(const QByteArray &line)
{
    qsizetype end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';')
        ++end;
    const QByteArray head = line.left(end).toUpper();
    const QByteArray name = head.mid(head.indexOf('.') + 1);
    return name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY";
}

// The file's logical lines the plain way: the whole file at once, every line copied.
QList<QByteArray> plainLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    bool softBreak = false;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        qsizetype stop = end;
        if (stop > start && bytes[stop - 1] == '\r')
            --stop;
        const QByteArray line = bytes.mid(start, stop - start);
        start = end + 1;
        if (softBreak && !lines.isEmpty())
            lines.last().append(line);
        else if (!lines.isEmpty() && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t'))
            lines.last().append(line.mid(1));
        else
            lines.append(line);
        softBreak = lines.last().endsWith('=') && saysQuotedPrintable(lines.last());
        if (softBreak)
            lines.last().chop(1);
    }
    return lines;
}

void compareLines(const QByteArray &bytes, qsizetype piece)
{
    const QList<QByteArray> plain = plainLines(bytes);
    qsizetype at = 0;
    quill::contacts::LogicalLines lines(
        [&](const QByteArray &line) {
            if (at >= plain.size() || plain[at++] != line)
                std::abort();
        },
        [&](qsizetype length) {
            if (at >= plain.size() || plain[at].size() != length)
                std::abort();
            if (!isUnusedProperty(plain[at++]))
                std::abort();
        });
    for (qsizetype i = 0; i < bytes.size(); i += piece)
        lines.feed(QByteArrayView(bytes).sliced(i, std::min(piece, bytes.size() - i)));
    lines.finish();
    if (at != plain.size())
        std::abort();
}

// A date the plain way: the two expressions alone.
std::optional<quill::contacts::CardDate> plainCardDate(const QString &value)
{
    static const QRegularExpression full(
        QStringLiteral("^(\\d{4})-?(\\d{2})-?(\\d{2})(?:[T ].*)?$"));
    static const QRegularExpression noYear(QStringLiteral("^--(\\d{2})-?(\\d{2})$"));
    const QString v = value.trimmed();
    quill::contacts::CardDate d;
    if (const auto m = noYear.match(v); m.hasMatch()) {
        d.month = m.captured(1).toInt();
        d.day = m.captured(2).toInt();
    } else if (const auto f = full.match(v); f.hasMatch()) {
        d.year = f.captured(1).toInt();
        d.month = f.captured(2).toInt();
        d.day = f.captured(3).toInt();
        if (d.year == 1604 || d.year == 0)
            d.year = 0;
    } else {
        return std::nullopt;
    }
    if (d.year == 0 ? !QDate::isValid(2000, d.month, d.day)
                    : !QDate::isValid(d.year, d.month, d.day))
        return std::nullopt;
    return d;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const quill::contacts::CardReading r = quill::contacts::readCards(bytes);
    compareLines(bytes, size > 0 ? 1 + data[0] % 64 : 1);
    const QString date = QString::fromUtf8(bytes.left(24));
    if (quill::contacts::parseCardDate(date) != plainCardDate(date))
        std::abort();
    const auto validDay = [](const quill::contacts::CardDate &d) {
        return QDate::isValid(d.year ? d.year : 2000, d.month, d.day);
    };
    for (const quill::contacts::Card &c : r.cards) {
        if (c.displayName.isEmpty() && c.given.isEmpty())
            std::abort();
        if (c.birthday && !validDay(*c.birthday))
            std::abort();
        for (const auto &d : c.nameDays)
            if (!validDay(d))
                std::abort();
    }
    for (const quill::contacts::SkippedCard &s : r.skipped)
        if (s.reason.isEmpty() || s.number <= 0)
            std::abort();
    const quill::contacts::ContactBook book(r.cards);
    for (const QDate &day : {QDate(2026, 2, 28), QDate(2028, 2, 29), QDate(2026, 12, 24)})
        (void)book.on(day);
    return 0;
}
