#include "snoozes.h"

#include "files/lockfile.h"
#include "files/safefile.h"
#include "files/statefiles.h"
#include "files/writequeue.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>

namespace quill {

namespace {
// Books handed to the writing thread and not yet written.
std::atomic<int> pendingWrites{0};
} // namespace

QString snoozeCaption(SnoozeChoice choice)
{
    switch (choice) {
    case SnoozeChoice::TenMinutes:
        return QStringLiteral("10 perc múlva");
    case SnoozeChoice::OneHour:
        return QStringLiteral("1 óra múlva");
    case SnoozeChoice::Tomorrow:
        return QStringLiteral("Holnap ugyanekkor");
    case SnoozeChoice::ChosenTime:
        return QStringLiteral("Más időpontban…");
    }
    return {};
}

QList<SnoozeChoice> snoozeChoicesFrom(SnoozeChoice last)
{
    QList<SnoozeChoice> all{SnoozeChoice::TenMinutes, SnoozeChoice::OneHour, SnoozeChoice::Tomorrow,
                            SnoozeChoice::ChosenTime};
    all.removeOne(last);
    all.prepend(last);
    return all;
}

QDateTime snoozeUntil(SnoozeChoice choice, const QDateTime &now, const QTime &chosen)
{
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    switch (choice) {
    case SnoozeChoice::TenMinutes:
        return minute.addSecs(10 * 60);
    case SnoozeChoice::OneHour:
        return minute.addSecs(60 * 60);
    case SnoozeChoice::Tomorrow:
        // The same time of day on the clock, whatever daylight saving does overnight.
        return QDateTime(now.date().addDays(1), minute.time());
    case SnoozeChoice::ChosenTime: {
        const QTime at(chosen.hour(), chosen.minute());
        const QDateTime today(now.date(), at);
        return today > now ? today : QDateTime(now.date().addDays(1), at);
    }
    }
    return {};
}

std::optional<QTime> parseTimeOfDay(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{1,2})(?:\\s*[:.]\\s*(\\d{2}))?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return QTime(hour, minute);
}

namespace {
QString escaped(QString text)
{
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\n', QStringLiteral("\\n"));
    text.replace(u'\r', QStringLiteral("\\r"));
    text.replace(u'\t', QStringLiteral("\\t"));
    return text;
}
QString unescaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == u'n'   ? QChar(u'\n')
               : next == u'r' ? QChar(u'\r')
               : next == u't' ? QChar(u'\t')
                              : next;
    }
    return out;
}
} // namespace

QByteArray SnoozeBook::encode(const QList<Snoozed> &list)
{
    QByteArray bytes;
    for (const Snoozed &s : list)
        bytes += s.until.toOffsetFromUtc(s.until.offsetFromUtc()).toString(Qt::ISODate).toUtf8() +
                 '\t' + escaped(s.text).toUtf8() + '\n';
    return bytes;
}

QList<Snoozed> SnoozeBook::decode(const QByteArray &bytes)
{
    QList<Snoozed> list;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        const QDateTime until =
            QDateTime::fromString(QString::fromLatin1(line.left(tab)), Qt::ISODate);
        if (!until.isValid())
            continue;
        list.append({until.toLocalTime(), unescaped(QString::fromUtf8(line.mid(tab + 1)))});
    }
    return list;
}

SnoozeBook::SnoozeBook(QString path)
    : m_path(std::move(path))
{
}

void SnoozeBook::load()
{
    if (m_path.isEmpty())
        return;
    // A book this program is still writing is read as written.
    if (pendingWrites > 0)
        files::waitForWrites();
    const files::ReadResult read = files::readRegularFile(m_path, 1 << 20);
    if (!read.error)
        m_waiting = decode(read.bytes);
}

std::error_code SnoozeBook::store() const
{
    if (m_path.isEmpty())
        return {};
    if (const std::error_code e = files::makePrivateFolder(QFileInfo(m_path).absolutePath()))
        return e;
    QList<Snoozed> all = m_out + m_waiting;
    std::stable_sort(all.begin(), all.end(),
                     [](const Snoozed &a, const Snoozed &b) { return a.until < b.until; });
    // In turn with the program's other writes, the newest book last; the end of the program
    // waits for it.
    ++pendingWrites;
    files::writeInTurn([path = m_path, bytes = encode(all), failed = m_failed] {
        const std::error_code error = files::writeAtomically(path, bytes);
        --pendingWrites;
        if (error && failed && QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [failed, error] { failed(error); },
                Qt::QueuedConnection);
        }
    });
    return {};
}

void SnoozeBook::setFailureHandler(std::function<void(std::error_code)> failed)
{
    m_failed = std::move(failed);
}

std::error_code SnoozeBook::answered(const Snoozed &taken)
{
    return m_out.removeOne(taken) ? store() : std::error_code();
}

std::error_code SnoozeBook::add(const Snoozed &snoozed)
{
    m_waiting.append(snoozed);
    std::stable_sort(m_waiting.begin(), m_waiting.end(),
                     [](const Snoozed &a, const Snoozed &b) { return a.until < b.until; });
    return store();
}

std::error_code SnoozeBook::cancel(int index)
{
    if (index < 0 || index >= m_waiting.size())
        return {};
    m_waiting.removeAt(index);
    return store();
}

QDateTime SnoozeBook::next() const
{
    return m_waiting.isEmpty() ? QDateTime() : m_waiting.first().until;
}

// Due once its time has come; one whose time passed over a minute ago (while the program was
// not there) waits for the start's grace.
bool SnoozeBook::isDue(const Snoozed &s, const QDateTime &now, bool graceOver)
{
    return s.until <= now && (graceOver || s.until.secsTo(now) < 60);
}

bool SnoozeBook::hasDue(const QDateTime &now, bool graceOver) const
{
    return std::any_of(m_waiting.cbegin(), m_waiting.cend(),
                       [&](const Snoozed &s) { return isDue(s, now, graceOver); });
}

QList<SnoozeReturn> SnoozeBook::takeDue(const QDateTime &now, bool graceOver)
{
    QList<SnoozeReturn> due;
    QList<Snoozed> left;
    for (const Snoozed &s : std::as_const(m_waiting)) {
        if (!isDue(s, now, graceOver)) {
            left << s;
            continue;
        }
        const bool late = s.until.secsTo(now) >= 60;
        QString text = s.text + QStringLiteral("\n\n(Elhalasztott jelzés");
        if (late)
            text += QStringLiteral(", késve: az ideje ") +
                    s.until.toString(QStringLiteral("yyyy. MM. dd. HH:mm")) +
                    QStringLiteral(" volt");
        due.append({text + QStringLiteral(".)"), late, s});
        m_out << s;
    }
    m_waiting = left;
    return due;
}

QString snoozeBookPath(const QString &dataFile, const QString &stateHome)
{
    return files::stateFileFor(QStringLiteral("snoozed-"), dataFile, stateHome);
}

} // namespace quill
