#include "cardlines.h"

#include <array>
#include <cstring>
#include <utility>

namespace quill::contacts {

namespace {

bool isFoldSpace(char c)
{
    return c == ' ' || c == '\t';
}

// Whether a line's name and parameters (before the first ":") say quoted-printable.
bool saysQuotedPrintable(QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    const QByteArrayView head = colon < 0 ? line : line.first(colon);
    static constexpr QByteArrayView word("QUOTED-PRINTABLE");
    for (qsizetype at = 0; at + word.size() <= head.size(); ++at) {
        if ((head[at] == 'Q' || head[at] == 'q') &&
            qstrnicmp(head.data() + at, word.data(), std::size_t(word.size())) == 0)
            return true;
    }
    return false;
}

// The first physical line of a property the reader never uses, written so plainly that it is
// sure to be read as that property ("PHOTO;ENCODING=b:", "item1.KEY:"): a name and parameters
// complete on this line, no quotes before the value, not quoted-printable. Anything less plain
// goes the long way, copied and parsed.
bool isPassedOver(QByteArrayView line)
{
    qsizetype nameStart = 0;
    const qsizetype i = propertyNameEnd(line, &nameStart);
    if (i >= line.size() || (line[i] != ';' && line[i] != ':'))
        return false;
    const QByteArrayView name = line.sliced(nameStart, i - nameStart);
    static constexpr std::array<const char *, 4> unused{"PHOTO", "LOGO", "SOUND", "KEY"};
    bool unusedName = false;
    for (const char *u : unused) {
        unusedName = unusedName || (qsizetype(std::strlen(u)) == name.size() &&
                                    qstrnicmp(name.data(), u, std::size_t(name.size())) == 0);
    }
    if (!unusedName)
        return false;
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && !line.first(colon).contains('"') && !saysQuotedPrintable(line);
}

} // namespace

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
}

qsizetype propertyNameEnd(QByteArrayView line, qsizetype *nameStart)
{
    qsizetype i = 0;
    while (i < line.size() && isNameChar(line[i]))
        ++i;
    *nameStart = 0;
    if (i > 0 && i < line.size() && line[i] == '.') {
        *nameStart = i + 1;
        i = *nameStart;
        while (i < line.size() && isNameChar(line[i]))
            ++i;
    }
    return i;
}

LogicalLines::LogicalLines(LineSink line, SkipSink skipped)
    : m_line(std::move(line))
    , m_skipped(std::move(skipped))
{
}

void LogicalLines::feed(QByteArrayView bytes)
{
    qsizetype start = 0;
    while (start < bytes.size()) {
        const void *found =
            std::memchr(bytes.data() + start, '\n', std::size_t(bytes.size() - start));
        if (!found) {
            partial(bytes.sliced(start));
            return;
        }
        const qsizetype end = static_cast<const char *>(found) - bytes.data();
        const QByteArrayView piece = bytes.sliced(start, end - start);
        if (!m_started && m_passing && !piece.isEmpty() && isFoldSpace(piece[0])) {
            // A whole continuation of a property passed over (a photo's thousands of lines):
            // only measured, at the least cost.
            m_passedLength += piece.size() - 1 - (piece.endsWith('\r') ? 1 : 0);
        } else if (!m_started) {
            // A whole line in this piece: looked at where it lies.
            physicalLine(piece.endsWith('\r') ? piece.chopped(1) : piece);
        } else {
            partial(piece);
            endOfPhysicalLine();
        }
        start = end + 1;
    }
}

void LogicalLines::partial(QByteArrayView bytes)
{
    if (!m_started && !bytes.isEmpty()) {
        m_started = true;
        if (m_passing && isFoldSpace(bytes[0])) {
            m_discarding = true;
            bytes = bytes.sliced(1);
        }
    }
    if (m_discarding) {
        m_discarded += bytes.size();
        if (!bytes.isEmpty())
            m_lastWasCr = bytes.back() == '\r';
        return;
    }
    m_carry.append(bytes);
}

void LogicalLines::endOfPhysicalLine()
{
    if (m_discarding) {
        m_passedLength += m_discarded - (m_lastWasCr ? 1 : 0);
    } else {
        if (m_carry.endsWith('\r'))
            m_carry.chop(1);
        physicalLine(m_carry);
    }
    m_started = m_discarding = m_lastWasCr = false;
    m_discarded = 0;
    if (m_carry.capacity() > 64 * 1024)
        m_carry = QByteArray(); // one long line does not keep its room for the rest
    else
        m_carry.truncate(0);
}

void LogicalLines::physicalLine(QByteArrayView line)
{
    const bool haveLine = m_hasPending || m_passing;
    if (m_softBreak && m_hasPending) {
        m_pending.append(line);
    } else if (haveLine && !line.isEmpty() && isFoldSpace(line[0])) {
        if (m_passing)
            m_passedLength += line.size() - 1;
        else
            m_pending.append(line.sliced(1));
    } else {
        flush();
        if (isPassedOver(line)) {
            m_passing = true;
            m_passedLength = line.size();
        } else {
            m_pending = line.toByteArray();
            m_hasPending = true;
        }
    }
    // A quoted-printable value that ends in "=" goes on in the next line.
    m_softBreak = m_hasPending && m_pending.endsWith('=') && saysQuotedPrintable(m_pending);
    if (m_softBreak)
        m_pending.chop(1);
}

void LogicalLines::flush()
{
    if (m_passing)
        m_skipped(m_passedLength);
    else if (m_hasPending)
        m_line(m_pending);
    m_passing = m_hasPending = false;
    m_passedLength = 0;
    m_pending = QByteArray();
}

void LogicalLines::finish()
{
    if (m_started)
        endOfPhysicalLine();
    flush();
    m_softBreak = false;
}

} // namespace quill::contacts
