#pragma once

#include <QDate>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace quill {

/// The twelve fields of a reminder row, in the order the data file holds them; every field is
/// text.
enum class Field : int {
    Kind,      ///< kind letter; empty means the row is free
    Text1,     ///< surname, event, meter type
    Text2,     ///< first name, place, consumer identifier
    Year,      ///< alert year: "*" or digits
    Month,     ///< alert month: "*" or a Hungarian month name
    Day,       ///< alert day: "*" or 1-31
    Hour,      ///< alert hour: "*" or 00-23
    Minute,    ///< alert minute: 00-59
    When,      ///< name-day dates, birthday or meeting time
    FreeText,  ///< the text of an "Egyéb" reminder
    Active,    ///< "1" or "0"
    RowNumber, ///< the row's own index
};

inline constexpr int ReminderRows = 51;
inline constexpr int ReminderFields = 12;

/// The five kinds of reminder, in the order of the kind buttons.
enum class ReminderKind { NameDay, Birthday, Meeting, MeterReading, Other };

/// The five alert fields of a reminder, as typed.
struct AlertTime {
    QString year, month, day, hour, minute;
    bool operator==(const AlertTime &) const = default;
};

/// One row of the table: its twelve fields of text exactly as the file holds them, read and
/// changed by their names, and whatever a line held after its twelfth "|" (fields of a newer or
/// another program), kept as it was and written back after field 11.
class Reminder {
public:
    Reminder() = default;
    /// The fields in file order, as many as given.
    Reminder(std::initializer_list<QString> values)
    {
        std::copy_n(values.begin(), std::min(values.size(), m_fields.size()), m_fields.begin());
    }

    const QString &field(Field f) const { return m_fields[std::size_t(f)]; }
    void setField(Field f, const QString &text) { m_fields[std::size_t(f)] = text; }

    /// A row is in use when it has a kind letter.
    bool inUse() const { return !field(Field::Kind).isEmpty(); }
    const QString &kindLetter() const { return field(Field::Kind); }
    /// The kind its letter stands for; none for letters this program never writes.
    std::optional<ReminderKind> kind() const;
    const QString &text1() const { return field(Field::Text1); }
    const QString &text2() const { return field(Field::Text2); }
    const QString &when() const { return field(Field::When); }
    const QString &freeText() const { return field(Field::FreeText); }
    AlertTime alertTime() const
    {
        return {field(Field::Year), field(Field::Month), field(Field::Day), field(Field::Hour),
                field(Field::Minute)};
    }
    /// Anything but "0" is on: a short line of an old file may have no flag at all. The alerts and
    /// the list window both ask this.
    bool isActive() const { return field(Field::Active) != u"0"; }
    void setActive(bool on)
    {
        setField(Field::Active, on ? QStringLiteral("1") : QStringLiteral("0"));
    }
    const QString &tail() const { return m_tail; }
    void setTail(const QString &tail) { m_tail = tail; }

    bool operator==(const Reminder &) const = default;

private:
    std::array<QString, ReminderFields> m_fields{};
    QString m_tail;
};

inline constexpr std::array<ReminderKind, 5> AllReminderKinds = {
    ReminderKind::NameDay, ReminderKind::Birthday, ReminderKind::Meeting,
    ReminderKind::MeterReading, ReminderKind::Other};

/// The kind's position among the kind buttons (0-4), as the controls' names count them.
inline int kindIndex(ReminderKind kind)
{
    return int(kind);
}
/// The letter stored in field 0: "n", "s", "t", "m", "e".
QString kindLetter(ReminderKind kind);
/// The kind a stored letter stands for; none for letters this program never writes.
std::optional<ReminderKind> kindOfLetter(const QString &letter);
/// The caption of the kind's button and option: "Névnap", "Születésnap", ...
QString kindCaption(ReminderKind kind);

/// A reminder's lasting name in calendars (its UID), given when it is made and kept through every
/// change of its fields, and the day it was given, from which its event's first date is counted.
/// The data file has no room for it: it is kept beside it (identities.h).
struct RowIdentity {
    QString uid;
    QDate created;
    bool operator==(const RowIdentity &) const = default;
};

/// A new UID: a random UUID with the program's domain.
QString newReminderUid();

/// 51 rows of 12 text fields, each row in use with its identity. Rows are never moved; a free row
/// has an empty field 0 and no identity.
class ReminderTable {
public:
    const QString &field(int row, Field field) const { return m_rows.at(row).field(field); }
    const Reminder &row(int row) const { return m_rows.at(row); }
    void setField(int row, Field field, const QString &value);
    void setRow(int row, const Reminder &reminder);
    void clearRow(int row);
    bool inUse(int row) const { return m_rows.at(row).inUse(); }
    bool isActive(int row) const { return m_rows.at(row).isActive(); }
    /// The row's identity; none for a free row (and for a row that was never given one).
    const std::optional<RowIdentity> &identity(int row) const { return m_ids.at(row); }
    /// Names the row; no change of its fields, so it counts as no change of the book.
    void setIdentity(int row, std::optional<RowIdentity> id) { m_ids.at(row) = std::move(id); }
    /// Grows with every change; lets readers skip work when nothing changed.
    std::uint64_t revision() const { return m_revision; }

private:
    std::array<Reminder, ReminderRows> m_rows{};
    std::array<std::optional<RowIdentity>, ReminderRows> m_ids{};
    std::uint64_t m_revision = 0;
};

/// The table with the count of rows handed out in this run (`sorszam`): the row the next new
/// reminder goes to.
struct ReminderBook {
    ReminderTable table;
    int rowsHandedOut = 0;
};

enum class StoreResult { Stored, TableFull, BadText };

/// The message a refused store shows the user, in the user's words.
QString storeRefusal(StoreResult result);

/// Whether the data file's code page (Windows-1250) holds a character.
bool fileCodePageHolds(QChar c);

/// Whether a text can go into the data file unchanged: no field separator, no line break, and
/// only characters the file's code page holds.
bool storableText(const QString &text);

/// Appends a reminder at the next row, active and with its row number whatever `reminder` says,
/// under a new identity given today.
/// When all 51 rows have been handed out, the first free row is used again; with none free, or
/// with a text the file cannot hold, nothing changes and the refusal is returned. `storedRow`, when
/// given, learns the row.
StoreResult storeReminder(ReminderBook &book, Reminder reminder, int *storedRow = nullptr);

} // namespace quill
