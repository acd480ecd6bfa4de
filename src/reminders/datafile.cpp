#include "datafile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace quill {

namespace {

bool hasHungarianLetter(const QString &text)
{
    static const QString letters = QStringLiteral("áéíóöőúüűÁÉÍÓÖŐÚÜŰ");
    for (const QChar c : text) {
        if (letters.contains(c))
            return true;
    }
    return false;
}

QString decodeFile(const QByteArray &bytes, bool *utf8)
{
    // Files are Windows-1250. A file with a UTF-8 mark, or valid UTF-8 holding Hungarian
    // letters, was written by another editor: Hungarian text in Windows-1250 is not valid UTF-8
    // (its accented letters would have to be followed by rare symbols such as "ˇ" or "‘").
    QByteArray data = bytes;
    const bool bom = data.startsWith("\xEF\xBB\xBF");
    if (bom)
        data.remove(0, 3);
    QStringDecoder utf(QStringDecoder::Utf8);
    const QString asUtf8 = utf.decode(data);
    if (!utf.hasError() && (bom || hasHungarianLetter(asUtf8))) {
        *utf8 = true;
        return asUtf8;
    }
    *utf8 = false;
    QStringDecoder cp("windows-1250");
    return cp.decode(bytes);
}

// One line into a record; returns whether it had all twelve separators.
bool parseLine(QStringView line, ReminderRecord &record)
{
    int field = 0;
    qsizetype start = 0;
    while (field < ReminderFields) {
        const qsizetype bar = line.indexOf(u'|', start);
        if (bar < 0) {
            if (start < line.size())
                record[std::size_t(field)] = line.mid(start).toString();
            return false;
        }
        record[std::size_t(field)] = line.mid(start, bar - start).toString();
        start = bar + 1;
        ++field;
    }
    return true;
}

} // namespace

LoadReport loadReminders(ReminderBook &book, const QByteArray &bytes)
{
    LoadReport report;
    const QString text = decodeFile(bytes, &report.utf8);
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
        if (book.sorszam < 0 || book.sorszam >= ReminderRows) {
            ++report.notLoaded;
            continue;
        }
        ReminderRecord record;
        if (!parseLine(line, record))
            ++report.shortLines;
        record[Fld::RowNumber] = QString::number(book.sorszam);
        book.table.setRow(book.sorszam, record);
        ++book.sorszam;
        ++report.loaded;
    }
    return report;
}

namespace {

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

QByteArray encodeReminders(const ReminderTable &table)
{
    QString text;
    int line = 0;
    for (int r = 0; r < ReminderRows; ++r) {
        if (!table.inUse(r))
            continue;
        for (int f = 0; f < Fld::RowNumber; ++f)
            text += fileSafe(table.field(r, f)) + u'|';
        text += QString::number(line) + QStringLiteral("|\r\n");
        ++line;
    }
    QStringEncoder encoder("windows-1250");
    return encoder.encode(text);
}

ReminderFile::ReminderFile(QString path)
    : m_path(std::move(path))
{
}

ReminderFile::~ReminderFile() = default;

LoadReport ReminderFile::load(ReminderBook &book)
{
    QFile file(m_path);
    if (!file.exists()) {
        LoadReport report;
        report.missing = true;
        return report;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        LoadReport report;
        report.readError = true;
        report.errorText = file.errorString();
        // Never overwrite a file we could not read.
        m_backupOwed = true;
        return report;
    }
    m_original = file.readAll();
    LoadReport report = loadReminders(book, m_original);
    m_backupOwed = report.notLoaded > 0 || report.utf8;
    return report;
}

SaveReport ReminderFile::save(const ReminderTable &table)
{
    SaveReport report;
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        report.ok = false;
        report.errorText = QStringLiteral("A mappa nem hozható létre: ") + info.absolutePath();
        return report;
    }
    if (m_backupOwed) {
        QString candidate = m_path + QStringLiteral(".bak");
        for (int i = 2; QFile::exists(candidate); ++i)
            candidate = m_path + QStringLiteral(".bak") + QString::number(i);
        const bool copied = m_original.isEmpty() ? QFile::copy(m_path, candidate) : [&] {
            QSaveFile backup(candidate);
            return backup.open(QIODevice::WriteOnly) &&
                   backup.write(m_original) == m_original.size() && backup.commit();
        }();
        if (!copied) {
            report.ok = false;
            report.errorText =
                QStringLiteral("A régi adatfájlról nem sikerült biztonsági másolatot készíteni: ") +
                candidate;
            return report;
        }
        m_backupPath = candidate;
        m_backupOwed = false;
    }
    QSaveFile file(m_path);
    const QByteArray bytes = encodeReminders(table);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        report.ok = false;
        report.errorText = file.errorString();
    }
    return report;
}

QString saveFailureText(const ReminderFile &file, const SaveReport &report)
{
    return QStringLiteral("A mentés nem sikerült, az emlékeztetők a programban megmaradtak.\n\n") +
           file.path() + u'\n' + report.errorText;
}

bool ReminderFile::lock()
{
    const QFileInfo info(m_path);
    QDir().mkpath(info.absolutePath());
    m_lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

} // namespace quill
