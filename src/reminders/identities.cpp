#include "identities.h"

#include <QCryptographicHash>
#include <QStringList>

#include <vector>

namespace quill {

namespace {

struct KeptIdentity {
    int position = -1;
    RowIdentity id;
    QString fingerprint;
    bool used = false;
};

std::vector<KeptIdentity> decodeIdentities(const QByteArray &bytes)
{
    std::vector<KeptIdentity> kept;
    for (const QString &line : QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u'\t');
        if (parts.size() != 4)
            continue;
        bool ok = false;
        const int position = parts[0].toInt(&ok);
        const QDate created = QDate::fromString(parts[2], Qt::ISODate);
        if (!ok || position < 0 || position >= ReminderRows || parts[1].isEmpty() ||
            !created.isValid())
            continue;
        kept.push_back({position, {parts[1], created}, parts[3].trimmed()});
    }
    return kept;
}

} // namespace

QString identityPathBeside(const QString &dataFile)
{
    return dataFile + QStringLiteral(".uid");
}

QString reminderFingerprint(const Reminder &r)
{
    const QString texts =
        QStringList{r.kindLetter(), r.text1(), r.text2(), r.when(), r.freeText()}.join(u'|');
    return QString::fromLatin1(
        QCryptographicHash::hash(texts.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QByteArray encodeIdentities(const ReminderTable &table)
{
    QByteArray out;
    int position = 0;
    for (int row = 0; row < ReminderRows; ++row) {
        if (!table.inUse(row))
            continue;
        if (const auto &id = table.identity(row)) {
            out += (QString::number(position) + u'\t' + id->uid + u'\t' +
                    id->created.toString(Qt::ISODate) + u'\t' +
                    reminderFingerprint(table.row(row)) + u'\n')
                       .toUtf8();
        }
        ++position;
    }
    return out;
}

void attachIdentities(ReminderTable &table, const QByteArray &bytes, const QDate &today)
{
    std::vector<KeptIdentity> kept = decodeIdentities(bytes);
    std::vector<int> rows; // the rows in use that need a name, by their position
    std::vector<QString> fingerprints;
    for (int row = 0; row < ReminderRows; ++row) {
        if (!table.inUse(row))
            continue;
        rows.push_back(table.identity(row) ? -1 : row);
        fingerprints.push_back(reminderFingerprint(table.row(row)));
    }
    const auto give = [&](std::size_t position, KeptIdentity &k) {
        k.used = true;
        table.setIdentity(rows[position], k.id);
        rows[position] = -1;
    };
    for (std::size_t p = 0; p < rows.size(); ++p) {
        for (KeptIdentity &k : kept) {
            if (rows[p] >= 0 && !k.used && k.position == int(p) && k.fingerprint == fingerprints[p])
                give(p, k);
        }
    }
    for (std::size_t p = 0; p < rows.size(); ++p) {
        for (KeptIdentity &k : kept) {
            if (rows[p] >= 0 && !k.used && k.fingerprint == fingerprints[p])
                give(p, k);
        }
    }
    // A row whose texts changed since (a rename that came in, the file cut off before its
    // names followed it) keeps the name of its place.
    for (std::size_t p = 0; p < rows.size(); ++p) {
        for (KeptIdentity &k : kept) {
            if (rows[p] >= 0 && !k.used && k.position == int(p))
                give(p, k);
        }
        if (rows[p] >= 0)
            table.setIdentity(rows[p], RowIdentity{newReminderUid(), today});
    }
}

} // namespace quill
