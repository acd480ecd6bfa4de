#include "reminderids.h"

#include "files/safefile.h"

#include <QCryptographicHash>
#include <QStringList>
#include <QUuid>

namespace quill {

QString reminderFingerprint(const Reminder &r)
{
    const QString texts =
        QStringList{r.kindLetter(), r.text1(), r.text2(), r.when(), r.freeText()}.join(u'|');
    return QString::fromLatin1(
        QCryptographicHash::hash(texts.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString ReminderIds::pathBeside(const QString &dataFile)
{
    return dataFile + QStringLiteral(".uid");
}

QString newReminderUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces) +
           QStringLiteral("@quillomat.zelmarin.hu");
}

void ReminderIds::load(const QString &path)
{
    m_ids = {};
    const auto read = files::readRegularFile(path, 1024 * 1024);
    if (read.error)
        return;
    for (const QString &line : QString::fromUtf8(read.bytes).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u'\t');
        if (parts.size() != 4)
            continue;
        bool ok = false;
        const int row = parts[0].toInt(&ok);
        const QDate created = QDate::fromString(parts[2], Qt::ISODate);
        if (!ok || row < 0 || row >= ReminderRows || parts[1].isEmpty() || !created.isValid())
            continue;
        m_ids[std::size_t(row)] = ReminderId{parts[1], created, parts[3]};
    }
}

std::error_code ReminderIds::save(const QString &path) const
{
    QByteArray out;
    for (int row = 0; row < ReminderRows; ++row) {
        if (const auto &id = m_ids[std::size_t(row)]) {
            out += (QString::number(row) + u'\t' + id->uid + u'\t' +
                    id->created.toString(Qt::ISODate) + u'\t' + id->fingerprint + u'\n')
                       .toUtf8();
        }
    }
    return files::writeAtomically(path, out);
}

bool ReminderIds::assign(const ReminderTable &table, const QDate &today)
{
    bool changed = false;
    for (int row = 0; row < ReminderRows; ++row) {
        auto &id = m_ids[std::size_t(row)];
        if (!table.inUse(row)) {
            changed = changed || id.has_value();
            id.reset();
            continue;
        }
        const QString fingerprint = reminderFingerprint(table.row(row));
        if (id && id->fingerprint == fingerprint)
            continue;
        id = ReminderId{newReminderUid(), today, fingerprint};
        changed = true;
    }
    return changed;
}

int ReminderIds::rowOf(const QString &uid) const
{
    for (int row = 0; row < ReminderRows; ++row) {
        if (m_ids[std::size_t(row)] && m_ids[std::size_t(row)]->uid == uid)
            return row;
    }
    return -1;
}

} // namespace quill
