#include "table.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quill {

const std::array<ReminderKind, 5> ReminderKinds = {{
    {0, u'n', u"Névnap"},
    {1, u's', u"Születésnap"},
    {2, u't', u"Találkozó"},
    {3, u'm', u"Mérőóraállás bejelentés"},
    {4, u'e', u"Egyéb"},
}};

QString kindLetter(int index)
{
    if (index < 0 || index >= int(ReminderKinds.size()))
        return {};
    return QString(QChar(ReminderKinds[std::size_t(index)].letter));
}

void ReminderTable::setField(int row, int field, const QString &value)
{
    QString &f = m_rows.at(row).at(field);
    if (f != value) {
        f = value;
        ++m_revision;
    }
}

void ReminderTable::setRow(int row, const ReminderRecord &record)
{
    m_rows.at(row) = record;
    ++m_revision;
}

void ReminderTable::clearRow(int row)
{
    setRow(row, ReminderRecord{});
}

QString storeRefusal(StoreResult result)
{
    switch (result) {
    case StoreResult::TableFull:
        return QStringLiteral("Az emlékeztetők listája megtelt (legfeljebb 51 bejegyzés "
                              "fér el). Töröljön bejegyzéseket a Lista ablakban!");
    case StoreResult::BadText:
        return QStringLiteral("A szöveg nem tartalmazhat | jelet, sortörést, és csak magyar "
                              "(közép-európai) betűket tartalmazhat. Kérem, javítsa!");
    case StoreResult::Stored:
        break;
    }
    return {};
}

bool storableText(const QString &text)
{
    if (text.contains(u'|') || text.contains(u'\n') || text.contains(u'\r'))
        return false;
    // The file's code page must give the same text back.
    QStringEncoder encoder("windows-1250");
    QStringDecoder decoder("windows-1250");
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError() && QString(decoder.decode(bytes)) == text;
}

StoreResult storeReminder(ReminderBook &book, const std::array<QString, 10> &fields)
{
    // Once every row has been handed out, a row freed during this run is used again.
    int row = book.sorszam;
    if (row < 0 || row >= ReminderRows) {
        row = -1;
        for (int r = 0; r < ReminderRows && row < 0; ++r) {
            if (!book.table.inUse(r))
                row = r;
        }
        if (row < 0)
            return StoreResult::TableFull;
    }
    for (const QString &f : fields) {
        if (!storableText(f))
            return StoreResult::BadText;
    }
    ReminderRecord record;
    std::copy(fields.begin(), fields.end(), record.begin());
    record[Fld::Active] = QStringLiteral("1");
    record[Fld::RowNumber] = QString::number(row);
    book.table.setRow(row, record);
    book.modositva = true;
    if (row == book.sorszam)
        ++book.sorszam;
    return StoreResult::Stored;
}

void clearReminder(ReminderBook &book, int row)
{
    if (row < 0 || row >= ReminderRows)
        return;
    book.table.clearRow(row);
    book.modositva = true;
}

} // namespace quill
