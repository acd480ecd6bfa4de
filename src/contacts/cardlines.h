#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace quill::contacts {

/// A letter, digit or '-' (of ASCII): what a property's name and its group are made of.
inline bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

/// Where a line's property name ends, after its group if any ("item1.TEL;…": 9); the name's start
/// goes to `nameStart` (6). The name is empty when the line does not open with one.
qsizetype propertyNameEnd(QByteArrayView line, qsizetype *nameStart);

/// A card file's logical lines from its bytes, handed in pieces as the file is read: folded
/// lines joined, quoted-printable soft breaks joined. A property the reader never uses (PHOTO,
/// LOGO, SOUND, KEY: an export's photo is thousands of folded lines) is only measured; its
/// lines are passed over without being copied.
class LogicalLines {
public:
    using LineSink = std::function<void(const QByteArray &line)>;
    using SkipSink = std::function<void(qsizetype length)>;
    LogicalLines(LineSink line, SkipSink skipped);

    void feed(QByteArrayView bytes);
    /// Hands on the last line.
    void finish();

private:
    /// Passes over the whole continuation lines of a property passed over from `start` on:
    /// where the first other line starts, or the last one the piece cuts.
    qsizetype passContinuations(QByteArrayView bytes, qsizetype start);
    void partial(QByteArrayView bytes);
    void endOfPhysicalLine();
    void physicalLine(QByteArrayView line);
    void flush();

    LineSink m_line;
    SkipSink m_skipped;
    // The physical line being read.
    QByteArray m_carry;
    bool m_started = false;
    bool m_discarding = false; ///< a continuation of a passed-over property: only counted
    bool m_lastWasCr = false;
    qsizetype m_discarded = 0;
    // The logical line being put together.
    QByteArray m_pending;
    bool m_hasPending = false;
    bool m_passing = false; ///< the logical line is a property passed over
    qsizetype m_passedLength = 0;
    bool m_softBreak = false;
};

} // namespace quill::contacts
