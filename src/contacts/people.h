#pragma once

#include "vcard.h"

#include "calendar/tradition.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

// Whose day is it: the people of an address book, their name days found from their given names
// (and nicknames), their birthdays with their age where the year is known.
namespace quill::contacts {

/// 29 February in a common year: kept on 28 February (the default) or moved to 1 March.
using LeapDayRule = quill::LeapDayRule;

struct Celebration {
    QString person;
    bool nameDay = true; ///< else a birthday
    QString name;        ///< the name celebrated (name days)
    int age = 0;         ///< the birthday's number, 0 when the year is not known
    bool operator==(const Celebration &) const = default;
};

/// What the user chose for one person: more (or less) notice than for everyone, and, for a name
/// with several days, the one day celebrated.
struct PersonChoice {
    QString person;      ///< as the card names them
    int noticeDays = -1; ///< -1: as for everyone
    int month = 0;       ///< 0: every day of the name
    int day = 0;
    /// The calendar name the person is celebrated by, where the card says none (a married name:
    /// "Kovács Józsefné" keeps Mária's day); empty: the card's names.
    QString name;
    bool operator==(const PersonChoice &) const = default;
};

/// The calendar name a given name or nickname stands for: a name of the main table or of the
/// extended list itself, a nickname from the shipped table ("Józsi" → "József"), or the one
/// calendar name it matches without accents ("Peter" → "Péter"). None for anything else,
/// married names ("Józsefné") among them.
std::optional<QString> calendarName(const QString &word);

/// The calendar names a card is celebrated by: its given names, else its nicknames.
QStringList namesOf(const Card &card);

/// One line of `nevnap --contacts`: "Kovács Ádám: névnap (Ádám)", "Kovács Ádám: 51.
/// születésnap", "Nagy Éva: születésnap".
QString describe(const Celebration &c);

class ContactBook {
public:
    ContactBook() = default;
    explicit ContactBook(const QList<Card> &cards);
    /// Everyone celebrating on `date`, name days first, in card order.
    QList<Celebration> on(const QDate &date, LeapDayRule rule = LeapDayRule::February28) const;
    /// The people with a day to celebrate.
    int size() const;
    /// The people, by name, with the days of their names (year 2000), for choosing one.
    QList<std::pair<QString, QList<QDate>>> nameDaysOfPeople() const;
    /// Applies the user's choice of one name day per person; a person without a calendar name
    /// gets the day chosen.
    void choose(const QList<PersonChoice> &choices);
    /// The people whose names are in neither calendar and whose card gives no name day.
    QStringList withoutNameDay() const;
    /// Moves the book to memory of its own, once the cards it was made of are let go: its texts
    /// otherwise stay among the freed pieces of the reading, and keep them from going back to
    /// the system.
    void compact();

private:
    /// A stretch of `m_text` or `m_days`.
    struct Span {
        int at = 0;
        int size = 0;
    };
    struct NameDay {
        TableDay day;
        int name = 0;          ///< in m_names
        bool fromTable = true; ///< a day of the calendars (moved in a leap year), else the card's
    };
    /// A person in a few numbers: the book keeps its texts and days in a handful of blocks, so a
    /// large book neither scatters thousands of small pieces over the memory nor keeps copies
    /// of the same days for people of the same name.
    struct Person {
        Span name;        ///< in m_text
        Span nameDays;    ///< in m_days: the days celebrated
        Span allNameDays; ///< in m_days: before the user chose one
        std::optional<CardDate> birthday;
    };
    QStringView nameOf(const Person &p) const;
    QList<NameDay> daysIn(Span span) const;
    Span addDays(const QList<NameDay> &days);
    int nameIndex(const QString &name);
    void applyChoice(Person &p, const PersonChoice &c);

    QString m_text;           ///< every person's name, one after the other
    QList<NameDay> m_days;    ///< every person's days; people of the same names share theirs
    qsizetype m_cardDays = 0; ///< m_days up to here: the days before any choice
    QStringList m_names;      ///< the names celebrated
    QList<Person> m_people;
};

} // namespace quill::contacts
