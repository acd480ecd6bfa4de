#pragma once

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace quill {

/// The twelve fields of a reminder row, by number; every field is text.
namespace Field {
enum : int {
    Kind = 0,      ///< kind letter; empty means the row is free
    Text1 = 1,     ///< surname, event, meter type
    Text2 = 2,     ///< first name, place, consumer identifier
    Year = 3,      ///< alert year: "*" or digits
    Month = 4,     ///< alert month: "*" or a Hungarian month name
    Day = 5,       ///< alert day: "*" or 1-31
    Hour = 6,      ///< alert hour: "*" or 00-23
    Minute = 7,    ///< alert minute: 00-59
    When = 8,      ///< name-day dates, birthday or meeting time
    FreeText = 9,  ///< the text of an "Egyéb" reminder
    Active = 10,   ///< "1" or "0"
    RowNumber = 11 ///< the row's own index
};
} // namespace Field

inline constexpr int ReminderRows = 51;
inline constexpr int ReminderFields = 12;

/// The twelve text fields of a row, and whatever a line of the file held after its twelfth "|"
/// (fields of a newer or another program): kept as it was and written back after field 11.
struct ReminderRecord {
    ReminderRecord() = default;
    /// The fields in order, as many as given.
    ReminderRecord(std::initializer_list<QString> values)
    {
        std::copy_n(values.begin(), std::min(values.size(), fields.size()), fields.begin());
    }

    std::array<QString, ReminderFields> fields{};
    QString tail;

    QString &operator[](std::size_t field) { return fields[field]; }
    const QString &operator[](std::size_t field) const { return fields[field]; }
    QString &at(std::size_t field) { return fields.at(field); }
    const QString &at(std::size_t field) const { return fields.at(field); }
    auto begin() { return fields.begin(); }
    auto end() { return fields.end(); }
    auto begin() const { return fields.begin(); }
    auto end() const { return fields.end(); }
    bool operator==(const ReminderRecord &) const = default;
};
/// The fields a new reminder is stored with; the table adds the active flag and the row number.
using ReminderFields0to9 = std::array<QString, 10>;

/// The five kinds of reminder, in the order of the kind buttons.
enum class ReminderKind { NameDay, Birthday, Meeting, MeterReading, Other };
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

/// 51 rows of 12 text fields. Rows are never moved; a free row has an empty field 0.
class ReminderTable {
public:
    const QString &field(int row, int field) const { return m_rows.at(row).at(field); }
    const ReminderRecord &row(int row) const { return m_rows.at(row); }
    void setField(int row, int field, const QString &value);
    void setRow(int row, const ReminderRecord &record);
    void clearRow(int row);
    bool inUse(int row) const { return !m_rows.at(row)[Field::Kind].isEmpty(); }
    /// Whether the row's active flag is on: anything but "0" (a short line may have none).
    bool isActive(int row) const { return m_rows.at(row)[Field::Active] != u"0"; }
    /// Grows with every change; lets readers skip work when nothing changed.
    std::uint64_t revision() const { return m_revision; }

private:
    std::array<ReminderRecord, ReminderRows> m_rows{};
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

/// Appends a reminder at the next row: fields 0-9 as given, field 10 "1", field 11 the row.
/// When all 51 rows have been handed out, the first free row is used again; with none free, or
/// with a text the file cannot hold, nothing changes and the refusal is returned.
StoreResult storeReminder(ReminderBook &book, const ReminderFields0to9 &fields);

} // namespace quill
