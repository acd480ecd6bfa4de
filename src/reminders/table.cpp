#include "table.h"

#include <QStringDecoder>
#include <QUuid>

#include <algorithm>
#include <vector>

namespace quill {

QString kindLetter(ReminderKind kind)
{
    static constexpr std::array<char16_t, 5> letters = {u'n', u's', u't', u'm', u'e'};
    return QString(QChar(letters[std::size_t(kind)]));
}

std::optional<ReminderKind> kindOfLetter(const QString &letter)
{
    for (ReminderKind kind : AllReminderKinds) {
        if (letter == kindLetter(kind))
            return kind;
    }
    return std::nullopt;
}

std::optional<ReminderKind> Reminder::kind() const
{
    return kindOfLetter(kindLetter());
}

QString kindCaption(ReminderKind kind)
{
    switch (kind) {
    case ReminderKind::NameDay:
        return QStringLiteral("Névnap");
    case ReminderKind::Birthday:
        return QStringLiteral("Születésnap");
    case ReminderKind::Meeting:
        return QStringLiteral("Találkozó");
    case ReminderKind::MeterReading:
        return QStringLiteral("Mérőóraállás bejelentés");
    case ReminderKind::Other:
        break;
    }
    return QStringLiteral("Egyéb");
}

void ReminderTable::setField(int row, Field field, const QString &value)
{
    Reminder &r = m_rows.at(row);
    if (r.field(field) != value) {
        r.setField(field, value);
        ++m_revision;
    }
}

void ReminderTable::setRow(int row, const Reminder &reminder)
{
    m_rows.at(row) = reminder;
    ++m_revision;
}

void ReminderTable::clearRow(int row)
{
    setRow(row, Reminder{});
    m_ids.at(row).reset();
}

QString newReminderUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces) +
           QStringLiteral("@quillomat.zelmarin.hu");
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

bool fileCodePageHolds(QChar c)
{
    static const std::vector<bool> repertoire = [] {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        QStringDecoder cp("windows-1250");
        std::vector<bool> held(0x10000, false);
        for (const QChar ch : QString(cp.decode(all)))
            held[ch.unicode()] = ch != QChar::ReplacementCharacter;
        return held;
    }();
    return repertoire[c.unicode()];
}

bool storableText(const QString &text)
{
    if (text.contains(u'|') || text.contains(u'\n') || text.contains(u'\r'))
        return false;
    return std::all_of(text.cbegin(), text.cend(), fileCodePageHolds);
}

StoreResult storeReminder(ReminderBook &book, Reminder reminder, int *storedRow)
{
    // Once every row has been handed out, a row freed during this run is used again.
    int row = book.rowsHandedOut;
    if (row < 0 || row >= ReminderRows) {
        row = -1;
        for (int r = 0; r < ReminderRows && row < 0; ++r) {
            if (!book.table.inUse(r))
                row = r;
        }
        if (row < 0)
            return StoreResult::TableFull;
    }
    for (int f = 0; f < ReminderFields; ++f) {
        if (!storableText(reminder.field(Field(f))))
            return StoreResult::BadText;
    }
    reminder.setActive(true);
    reminder.setField(Field::RowNumber, QString::number(row));
    book.table.setRow(row, reminder);
    book.table.setIdentity(row, RowIdentity{newReminderUid(), QDate::currentDate()});
    if (row == book.rowsHandedOut)
        ++book.rowsHandedOut;
    if (storedRow)
        *storedRow = row;
    return StoreResult::Stored;
}

} // namespace quill
