#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace quill {

/// The fields of one reminder row.
namespace Fld {
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
} // namespace Fld

inline constexpr int ReminderRows = 51;
inline constexpr int ReminderFields = 12;

using ReminderRecord = std::array<QString, ReminderFields>;

struct ReminderKind {
    int index;
    char16_t letter;
    QStringView caption;
};

/// The five kinds, by index 0-4.
extern const std::array<ReminderKind, 5> ReminderKinds;
/// The letter stored for a kind index ("n" for 0); empty outside 0-4.
QString kindLetter(int index);

/// 51 rows of 12 text fields. Rows are never moved; a free row has an empty field 0.
class ReminderTable {
public:
    const QString &field(int row, int field) const { return m_rows.at(row).at(field); }
    const ReminderRecord &row(int row) const { return m_rows.at(row); }
    void setField(int row, int field, const QString &value);
    void setRow(int row, const ReminderRecord &record);
    void clearRow(int row);
    bool inUse(int row) const { return !m_rows.at(row)[Fld::Kind].isEmpty(); }
    /// Grows with every change; lets readers skip work when nothing changed.
    std::uint64_t revision() const { return m_revision; }

private:
    std::array<ReminderRecord, ReminderRows> m_rows{};
    std::uint64_t m_revision = 0;
};

/// The table with the values that travel with it; one instance, handed to every window.
struct ReminderBook {
    ReminderTable table;
    int sorszam = 0;        ///< rows handed out this run: the row the next reminder goes to
    int emlekfajta = 0;     ///< kind chosen in the editor
    int listafajta = 0;     ///< kind shown in the list window
    bool modositva = false; ///< changed since load or the last save
};

enum class StoreResult { Stored, TableFull, BadText };

/// The message a refused store shows the user, in the user's words.
QString storeRefusal(StoreResult result);

/// Whether the data file's code page (Windows-1250) holds a character.
bool fileCodePageHolds(QChar c);

/// Whether a text can go into the data file unchanged: no field separator, no line break, and
/// only characters the file's code page holds.
bool storableText(const QString &text);

/// Appends a reminder at row `sorszam`: fields 0-9 as given, field 10 "1", field 11 the row.
/// When all 51 rows have been handed out, the first free row is used again; with none free, or
/// with a text the file cannot hold, nothing changes and the refusal is returned.
StoreResult storeReminder(ReminderBook &book, const std::array<QString, 10> &fields);

/// Frees a row: all twelve fields empty. `sorszam` stays.
void clearReminder(ReminderBook &book, int row);

} // namespace quill
