#include "cardlines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include <QtAlgorithms>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quill::contacts {

namespace {

bool isFoldSpace(char c)
{
    return c == ' ' || c == '\t';
}

#if defined(__x86_64__)
// The places of '\n' among the 64 bytes from `data` on, as bits, where the processor has AVX2.
__attribute__((target("avx2"))) quint64 newlinesIn64(const char *data)
{
    const __m256i newline = _mm256_set1_epi8('\n');
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(data));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(data + 32));
    return quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, newline)))) |
           quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, newline)))) << 32;
}

const bool haveAvx2 = __builtin_cpu_supports("avx2");
#endif

// Where the first '\n' from `from` on is, or -1.
inline qsizetype newlineIn(QByteArrayView bytes, qsizetype from)
{
    const char *data = bytes.data();
    const void *found = std::memchr(data + from, '\n', std::size_t(bytes.size() - from));
    return found ? static_cast<const char *>(found) - data : -1;
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
    static constexpr std::array<QByteArrayView, 4> unused{"PHOTO", "LOGO", "SOUND", "KEY"};
    const auto isUnused = [name](QByteArrayView u) {
        return u.size() == name.size() && u.front() == char(name.front() & ~0x20) &&
               qstrnicmp(name.data(), u.data(), std::size_t(name.size())) == 0;
    };
    if (name.isEmpty() || std::none_of(unused.cbegin(), unused.cend(), isUnused))
        return false;
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && !line.first(colon).contains('"') && !saysQuotedPrintable(line);
}

} // namespace

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
        if (!m_started && m_passing) {
            start = passContinuations(bytes, start);
            if (start == bytes.size())
                return;
        }
        const qsizetype end = newlineIn(bytes, start);
        if (end < 0) {
            partial(bytes.sliced(start));
            return;
        }
        const QByteArrayView piece = bytes.sliced(start, end - start);
        if (!m_started) {
            // A whole line in this piece: looked at where it lies.
            physicalLine(piece.endsWith('\r') ? piece.chopped(1) : piece);
        } else {
            partial(piece);
            endOfPhysicalLine();
        }
        start = end + 1;
    }
}

qsizetype LogicalLines::passContinuations(QByteArrayView bytes, qsizetype start)
{
    // A photo's thousands of lines: only measured, at the least cost.
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    const auto lineEnds = [&](qsizetype end) {
        m_passedLength += end - start - 1 - (data[end - 1] == '\r' ? 1 : 0);
        start = end + 1;
        return start < size && isFoldSpace(data[start]); // whether the next one goes on
    };
    if (start >= size || !isFoldSpace(data[start]))
        return start;
#if defined(__x86_64__)
    // 64 bytes at a time: the lines' ends among them at once.
    for (qsizetype block = start; haveAvx2 && block + 64 <= size; block += 64) {
        for (quint64 ends = newlinesIn64(data + block); ends != 0; ends &= ends - 1) {
            if (!lineEnds(block + qCountTrailingZeroBits(ends)))
                return start;
        }
    }
#endif
    for (qsizetype end = newlineIn(bytes, start); end >= 0; end = newlineIn(bytes, start)) {
        if (!lineEnds(end))
            return start;
    }
    return start;
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
            m_pending.append(line); // emptied by flush(), its room kept
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
    if (m_pending.capacity() > 64 * 1024)
        m_pending = QByteArray(); // one long line does not keep its room for the rest
    else
        m_pending.truncate(0);
}

void LogicalLines::finish()
{
    if (m_started)
        endOfPhysicalLine();
    flush();
    m_softBreak = false;
}

} // namespace quill::contacts
