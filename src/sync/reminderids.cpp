#include "reminderids.h"

#include "files/safefile.h"

#include <QCryptographicHash>
#include <QStringList>
#include <QUuid>
#include <algorithm>

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
    // A row keeps the name it has while it holds the same reminder. The file's rows close up
    // when one is deleted, so a name is also found again on another row.
    std::array<std::optional<ReminderId>, ReminderRows> pool = m_ids;
    std::array<std::optional<ReminderId>, ReminderRows> named{};
    std::array<QString, ReminderRows> fingerprints;
    for (int row = 0; row < ReminderRows; ++row) {
        if (!table.inUse(row))
            continue;
        fingerprints[std::size_t(row)] = reminderFingerprint(table.row(row));
        auto &own = pool[std::size_t(row)];
        if (own && own->fingerprint == fingerprints[std::size_t(row)]) {
            named[std::size_t(row)] = own;
            own.reset();
        }
    }
    for (int row = 0; row < ReminderRows; ++row) {
        if (!table.inUse(row) || named[std::size_t(row)])
            continue;
        const QString &fingerprint = fingerprints[std::size_t(row)];
        auto found = std::find_if(pool.begin(), pool.end(), [&](const auto &id) {
            return id && id->fingerprint == fingerprint;
        });
        if (found != pool.end()) {
            named[std::size_t(row)] = *found;
            found->reset();
        } else {
            named[std::size_t(row)] = ReminderId{newReminderUid(), today, fingerprint};
        }
    }
    const bool changed = named != m_ids;
    m_ids = named;
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
