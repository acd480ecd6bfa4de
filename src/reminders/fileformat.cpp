#include "fileformat.h"

#include "datafile.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

// The data file's format: how its bytes become rows and rows bytes again.
namespace quill {

namespace {

// Valid UTF-8 with a character beyond ASCII is taken for UTF-8: Windows-1250 text is almost never
// valid UTF-8 (its accented letters would have to be followed by rare symbols such as "ˇ" or
// "‘"), and where it is, the original is kept before it is written back.
bool hasMultiByteSequence(const QByteArray &bytes)
{
    return std::any_of(bytes.cbegin(), bytes.cend(), [](char c) { return (c & 0x80) != 0; });
}

// UTF-16 without a byte-order mark: NUL bytes between ASCII characters, on one side only.
std::optional<QStringDecoder::Encoding> unmarkedUtf16(const QByteArray &bytes)
{
    if (bytes.size() < 4 || bytes.size() % 2 != 0)
        return std::nullopt;
    const qsizetype pairs = std::min<qsizetype>(bytes.size() / 2, 4096);
    qsizetype evenZero = 0, oddZero = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        evenZero += bytes[2 * i] == '\0';
        oddZero += bytes[2 * i + 1] == '\0';
    }
    if (oddZero * 4 >= pairs * 3 && evenZero * 10 < pairs)
        return QStringDecoder::Utf16LE;
    if (evenZero * 4 >= pairs * 3 && oddZero * 10 < pairs)
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

// Text is letters, digits, signs, blanks, tabs and line ends; anything else means the bytes are
// no reminder file (or not in an encoding we can tell), and loading them would make garbage rows.
bool isText(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\r' && u != u'\n') || (u >= 0x7F && u <= 0x9F) ||
            u == 0xFFFD)
            return false;
    }
    return true;
}

QString decodeFile(const QByteArray &bytes, FileEncoding *encoding)
{
    // Files are Windows-1250. A byte-order mark, or NUL bytes between ASCII characters, say
    // UTF-16. A UTF-8 mark, or valid UTF-8 beyond ASCII, says UTF-8.
    *encoding = FileEncoding::Utf16;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16).decode(bytes);
    if (const auto utf16 = unmarkedUtf16(bytes))
        return QStringDecoder(*utf16).decode(bytes);
    QStringDecoder utf(QStringDecoder::Utf8);
    const QString asUtf8 = utf.decode(bytes);
    if (!utf.hasError() && (bytes.startsWith("\xEF\xBB\xBF") || hasMultiByteSequence(bytes))) {
        *encoding = FileEncoding::Utf8;
        return asUtf8;
    }
    *encoding = FileEncoding::Windows1250;
    return QStringDecoder("windows-1250").decode(bytes);
}

// One line into a record; returns whether it had all twelve separators. What follows the twelfth
// is kept as it stands.
bool parseLine(QStringView line, Reminder &reminder)
{
    int field = 0;
    qsizetype start = 0;
    while (field < ReminderFields) {
        const qsizetype bar = line.indexOf(u'|', start);
        if (bar < 0) {
            if (start < line.size())
                reminder.setField(Field(field), line.mid(start).toString());
            return false;
        }
        reminder.setField(Field(field), line.mid(start, bar - start).toString());
        start = bar + 1;
        ++field;
    }
    reminder.setTail(line.mid(start).toString());
    return true;
}

// Every character the file's code page holds; anything else is written as "?", one for one, so
// that no character can vanish or change the line's shape.
QString fileSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            safe += u'?';
            ++i;
        } else {
            safe += fileCodePageHolds(c) ? c : QChar(u'?');
        }
    }
    return safe;
}

} // namespace

bool LoadReport::keepsOriginal() const
{
    switch (outcome) {
    case Outcome::Missing:
    case Outcome::NotAFile:
        return false;
    case Outcome::Unreadable:
    case Outcome::NotText:
        return true;
    case Outcome::Loaded:
        break;
    }
    return encoding != FileEncoding::Windows1250 || notLoaded > 0 || freeLines > 0 ||
           rewriteDiffers;
}

namespace {

// The lines of a decoded file as records, at most `room` of them; the rest are counted.
QList<Reminder> readLines(const QString &text, int room, LoadReport &report)
{
    QList<Reminder> rows;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(pos, end - pos);
        pos = end + 1;
        if (end < n && text[end] == u'\r' && pos < n && text[pos] == u'\n')
            ++pos;
        if (line.trimmed().isEmpty())
            continue;
        if (rows.size() >= room) {
            ++report.notLoaded;
            continue;
        }
        Reminder reminder;
        if (!parseLine(line, reminder))
            ++report.shortLines;
        if (!reminder.inUse())
            ++report.freeLines;
        rows << reminder;
    }
    return rows;
}

// Whether the rows in use, written to the file and read back, come back as they are.
bool rowsComeBack(const QList<Reminder> &rows)
{
    ReminderTable table;
    QList<Reminder> inUse;
    for (int r = 0; r < rows.size(); ++r) {
        table.setRow(r, rows[r]);
        if (table.inUse(r))
            inUse << rows[r];
    }
    FileEncoding encoding;
    LoadReport ignored;
    const QList<Reminder> back =
        readLines(decodeFile(encodeReminders(table), &encoding), ReminderRows, ignored);
    if (back.size() != inUse.size())
        return false;
    // The row number is the line's, not the file's: everything else must come back.
    for (int r = 0; r < back.size(); ++r) {
        Reminder again = back[r];
        again.setField(Field::RowNumber, inUse[r].field(Field::RowNumber));
        if (again != inUse[r])
            return false;
    }
    return true;
}

} // namespace

bool rewritesUnchanged(const QByteArray &bytes)
{
    LoadReport report;
    const QString text = decodeFile(bytes, &report.encoding);
    return rowsComeBack(readLines(text, ReminderRows, report));
}

LoadReport loadReminders(ReminderBook &book, const QByteArray &bytes, RowCheck check)
{
    LoadReport report;
    const QString text = decodeFile(bytes, &report.encoding);
    if (!isText(text)) {
        report.outcome = LoadReport::Outcome::NotText;
        return report;
    }
    const int room = std::clamp(ReminderRows - book.rowsHandedOut, 0, ReminderRows);
    const QList<Reminder> rows = readLines(text, room, report);
    // Text that only happens to look like Windows-1250 (or that looks like another encoding
    // once the program has written it) would not come back as it was: its original is kept.
    report.rewriteDiffers = check == RowCheck::Now && !rowsComeBack(rows);
    report.foreignCharacters = int(std::count_if(text.cbegin(), text.cend(), [](QChar c) {
        return c != u'\r' && c != u'\n' && !fileCodePageHolds(c);
    }));
    for (Reminder reminder : rows) {
        reminder.setField(Field::RowNumber, QString::number(book.rowsHandedOut));
        book.table.setRow(book.rowsHandedOut, reminder);
        ++book.rowsHandedOut;
        ++report.loaded;
    }
    return report;
}

QByteArray encodeReminders(const ReminderTable &table)
{
    QString text;
    int line = 0;
    for (int r = 0; r < ReminderRows; ++r) {
        if (!table.inUse(r))
            continue;
        for (int f = 0; f < int(Field::RowNumber); ++f)
            text += fileSafe(table.field(r, Field(f))) + u'|';
        text +=
            QString::number(line) + u'|' + fileSafe(table.row(r).tail()) + QStringLiteral("\r\n");
        ++line;
    }
    QStringEncoder encoder("windows-1250");
    return encoder.encode(text);
}

} // namespace quill
