#include "agreement.h"

#include "files/safefile.h"

#include <QCryptographicHash>

namespace quill {

namespace {

const QByteArray header = QByteArrayLiteral("quillomat-egyeztetes 1");
// Before the UID of an item the book had no room for: no UID begins with a line end. Alone, it
// names the line of the leap-day rule.
const QString waitingMark = QStringLiteral("\n");

QByteArray escaped(const QString &text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString unescaped(const QByteArray &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return QString::fromUtf8(out);
}

} // namespace

QString agreementPath(const QString &root, const QString &calendar)
{
    const QByteArray key =
        QCryptographicHash::hash(calendar.trimmed().toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return root + QStringLiteral("/egyeztetes-") + QString::fromLatin1(key);
}

QByteArray encodeAgreement(const Agreement &agreement)
{
    QByteArray out = header + '\n';
    out += "naptar\t" + escaped(agreement.calendar) + '\n';
    out += "ctag\t" + escaped(agreement.ctag) + '\n';
    out += "token\t" + escaped(agreement.syncToken) + '\n';
    QStringList uids = agreement.entries.keys();
    uids.sort();
    for (const QString &uid : std::as_const(uids)) {
        const Agreement::Entry &e = agreement.entries[uid];
        out += escaped(uid) + '\t' + escaped(e.href) + '\t' + escaped(e.etag) + '\t' +
               escaped(e.line) + '\n';
    }
    // The row of an item without room, on a line of its own that reads as an entry without an
    // address (which a round passes over) to a version of the program that does not know it.
    if (agreement.leapDay)
        out += escaped(waitingMark) + "\t\t\t" +
               (*agreement.leapDay == LeapDayRule::March1 ? "marcius1" : "februar28") + '\n';
    uids = agreement.waiting.keys();
    uids.sort();
    for (const QString &uid : std::as_const(uids))
        out += escaped(waitingMark + uid) + "\t\t\t" + escaped(agreement.waiting[uid]) + '\n';
    return out;
}

std::optional<Agreement> decodeAgreement(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 5 || lines[0] != header || !bytes.endsWith('\n'))
        return std::nullopt;
    Agreement out;
    const char *const names[] = {"naptar", "ctag", "token"};
    QString *const values[] = {&out.calendar, &out.ctag, &out.syncToken};
    for (int i = 0; i < 3; ++i) {
        const QList<QByteArray> f = lines[i + 1].split('\t');
        if (f.size() != 2 || f[0] != names[i])
            return std::nullopt;
        *values[i] = unescaped(f[1]);
    }
    for (qsizetype i = 4; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].split('\t');
        if (f.size() != 4 || f[0].isEmpty())
            return std::nullopt;
        const QString key = unescaped(f[0]);
        if (key == waitingMark && f[1].isEmpty())
            out.leapDay = leapDayRule(f[3] == "marcius1");
        else if (key.startsWith(waitingMark) && f[1].isEmpty())
            out.waiting.insert(key.mid(waitingMark.size()), unescaped(f[3]));
        else
            out.entries.insert(key, {unescaped(f[1]), unescaped(f[2]), unescaped(f[3])});
    }
    // A row waits only for an item known there without a row here.
    for (auto it = out.waiting.begin(); it != out.waiting.end();) {
        const auto entry = out.entries.constFind(it.key());
        if (entry == out.entries.cend() || !entry->line.isEmpty() || it->isEmpty())
            it = out.waiting.erase(it);
        else
            ++it;
    }
    return out;
}

Agreement loadAgreement(const QString &path, const QString &calendar)
{
    const files::ReadResult read = files::readRegularFile(path, 16 << 20);
    if (read.exists && !read.error) {
        std::optional<Agreement> found = decodeAgreement(read.bytes);
        if (found && found->calendar == calendar)
            return *found;
    }
    Agreement empty;
    empty.calendar = calendar;
    return empty;
}

std::error_code saveAgreement(const QString &path, const Agreement &agreement)
{
    return files::writeAtomically(path, encodeAgreement(agreement));
}

} // namespace quill
