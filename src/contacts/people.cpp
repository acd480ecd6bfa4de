#include "people.h"

#include "calendar/calendar.h"
#include "calendar/names.h"
#include "calendar/tradition.h"

#include <QHash>
#include <QMultiHash>
#include <QSet>
#include <QVarLengthArray>

#include <algorithm>

namespace quill::contacts {

namespace {

// Nicknames and diminutives people write in their address books, to the calendar name.
const std::pair<const char16_t *, const char16_t *> nicknameTable[] = {
    {u"józsi", u"József"},      {u"jóska", u"József"},     {u"józska", u"József"},
    {u"kati", u"Katalin"},      {u"kata", u"Katalin"},     {u"katica", u"Katalin"},
    {u"peti", u"Péter"},        {u"marika", u"Mária"},     {u"mari", u"Mária"},
    {u"marcsi", u"Mária"},      {u"manci", u"Mária"},      {u"erzsi", u"Erzsébet"},
    {u"böske", u"Erzsébet"},    {u"zsuzsi", u"Zsuzsanna"}, {u"zsuzsa", u"Zsuzsanna"},
    {u"jancsi", u"János"},      {u"jani", u"János"},       {u"laci", u"László"},
    {u"lacika", u"László"},     {u"feri", u"Ferenc"},      {u"ferkó", u"Ferenc"},
    {u"pista", u"István"},      {u"pisti", u"István"},     {u"sanyi", u"Sándor"},
    {u"gyuri", u"György"},      {u"misi", u"Mihály"},      {u"miska", u"Mihály"},
    {u"tomi", u"Tamás"},        {u"dani", u"Dániel"},      {u"andris", u"András"},
    {u"bandi", u"András"},      {u"zoli", u"Zoltán"},      {u"tibi", u"Tibor"},
    {u"karcsi", u"Károly"},     {u"lali", u"Lajos"},       {u"évi", u"Éva"},
    {u"panni", u"Anna"},        {u"ancsa", u"Anna"},       {u"anci", u"Anna"},
    {u"juci", u"Judit"},        {u"jutka", u"Judit"},      {u"ildi", u"Ildikó"},
    {u"kriszti", u"Krisztina"}, {u"moni", u"Mónika"},      {u"eszti", u"Eszter"},
    {u"ili", u"Ilona"},         {u"ica", u"Ilona"},        {u"ági", u"Ágnes"},
    {u"bori", u"Borbála"},      {u"dorka", u"Dorottya"},   {u"orsi", u"Orsolya"},
    {u"rozi", u"Rozália"},      {u"teri", u"Teréz"},       {u"zsófi", u"Zsófia"},
    {u"bea", u"Beáta"},         {u"robi", u"Róbert"},      {u"gergő", u"Gergely"},
    {u"geri", u"Gergely"},      {u"matyi", u"Mátyás"},     {u"marci", u"Márton"},
    {u"pali", u"Pál"},          {u"palkó", u"Pál"},        {u"béci", u"Béla"},
    {u"imi", u"Imre"},          {u"tóni", u"Antal"},       {u"berci", u"Bertalan"},
    {u"zsolti", u"Zsolt"},      {u"viki", u"Viktória"},    {u"szabi", u"Szabolcs"},
    {u"gabi", u"Gábor"},        {u"csabi", u"Csaba"},      {u"attis", u"Attila"},
    {u"ricsi", u"Richárd"},     {u"vali", u"Valéria"},     {u"magdi", u"Magdolna"},
    {u"magda", u"Magdolna"},    {u"piri", u"Piroska"},     {u"gizi", u"Gizella"},
    {u"irénke", u"Irén"},       {u"margit", u"Margit"},    {u"etus", u"Etelka"},
};

const QHash<QString, QString> &nicknames()
{
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> byFolded;
        for (const auto &[nick, name] : nicknameTable)
            byFolded.insert(foldedForMatching(QString::fromUtf16(nick)), QString::fromUtf16(name));
        return byFolded;
    }();
    return table;
}

// Every day of a calendar name: its main days, else the days of the extended list.
QList<TableDay> daysOfName(const QString &name)
{
    const auto found = nameDays(name);
    if (!found)
        return {};
    return found->isMain ? found->mainDays : found->otherDays;
}

} // namespace

std::optional<QString> calendarName(const QString &word)
{
    const QString w = word.trimmed();
    if (w.isEmpty())
        return std::nullopt;
    const QString folded = foldedForMatching(w);
    const QStringList same = namesFoldedAs(folded);
    if (same.contains(w))
        return w;
    // The same name written in another case.
    for (const QString &name : same) {
        if (name.toLower() == w.toLower())
            return name;
    }
    if (const auto nick = nicknames().constFind(folded); nick != nicknames().cend())
        return *nick;
    // Without accents, only where one name alone matches, and only a main name: the extended
    // list holds names that differ in an accent alone.
    if (same.size() == 1 && nameDays(same.first())->isMain)
        return same.first();
    return std::nullopt;
}

namespace {

// The calendar's answers for one book: people share a few hundred names, and every question to
// the calendar folds the name again.
struct NameMemo {
    QHash<QString, std::optional<QString>> names;
    QHash<QString, QList<TableDay>> days;

    std::optional<QString> nameOf(const QString &word)
    {
        auto it = names.constFind(word);
        if (it == names.cend())
            it = names.insert(word, calendarName(word));
        return *it;
    }
    QList<TableDay> daysOf(const QString &name)
    {
        auto it = days.constFind(name);
        if (it == days.cend())
            it = days.insert(name, daysOfName(name));
        return *it;
    }
};

QStringList namesOf(const Card &card, NameMemo &memo)
{
    QStringList names;
    const auto addFrom = [&names, &memo](const QStringList &words) {
        for (const QString &w : words) {
            if (const auto name = memo.nameOf(w); name && !names.contains(*name))
                names << *name;
        }
    };
    QStringList given = card.given;
    if (given.isEmpty()) {
        // No N: Hungarian cards write the family name first; the rest are given names.
        QStringList words = card.displayName.split(u' ', Qt::SkipEmptyParts);
        if (words.size() > 1)
            words.removeFirst();
        given = words;
    }
    addFrom(given);
    if (names.isEmpty())
        addFrom(card.nicknames);
    return names;
}

} // namespace

QStringList namesOf(const Card &card)
{
    NameMemo memo;
    return namesOf(card, memo);
}

QString describe(const Celebration &c)
{
    if (c.nameDay)
        return QStringLiteral("%1: névnap (%2)").arg(c.person, c.name);
    if (c.age > 0)
        return QStringLiteral("%1: %2. születésnap").arg(c.person).arg(c.age);
    return QStringLiteral("%1: születésnap").arg(c.person);
}

ContactBook::ContactBook(const QList<Card> &cards)
{
    NameMemo memo;
    m_people.reserve(cards.size());
    for (const Card &card : cards) {
        // Kept even with no day at all: the user may give them a name.
        if (card.displayName.isEmpty())
            continue;
        Person p;
        p.name = card.displayName;
        const QStringList names = namesOf(card, memo);
        if (!card.nameDays.isEmpty()) {
            // A date on the card itself wins.
            p.nameDays.reserve(card.nameDays.size());
            for (const CardDate &d : card.nameDays)
                p.nameDays.append({{d.month, d.day}, names.value(0, p.name), false});
        } else {
            QVarLengthArray<QList<TableDay>, 4> days;
            qsizetype count = 0;
            for (const QString &name : names)
                count += days.emplace_back(memo.daysOf(name)).size();
            p.nameDays.reserve(count);
            for (qsizetype i = 0; i < names.size(); ++i) {
                for (const TableDay &d : std::as_const(days[i]))
                    p.nameDays.append({d, names[i], true});
            }
        }
        p.birthday = card.birthday;
        p.allNameDays = p.nameDays;
        m_people << std::move(p);
    }
    m_people.squeeze();
}

int ContactBook::size() const
{
    return int(std::count_if(m_people.cbegin(), m_people.cend(),
                             [](const Person &p) { return !p.nameDays.isEmpty() || p.birthday; }));
}

QList<std::pair<QString, QList<QDate>>> ContactBook::nameDaysOfPeople() const
{
    QList<std::pair<QString, QList<QDate>>> out;
    for (const Person &p : m_people) {
        QList<QDate> days;
        for (const NameDay &d : p.allNameDays) {
            const QDate day(2000, d.day.month, d.day.day);
            if (!days.contains(day))
                days << day;
        }
        out.append({p.name, days});
    }
    return out;
}

QStringList ContactBook::withoutNameDay() const
{
    QStringList people;
    QSet<QString> seen;
    for (const Person &p : m_people) {
        if (p.allNameDays.isEmpty() && !seen.contains(p.name)) {
            seen.insert(p.name);
            people << p.name;
        }
    }
    return people;
}

void ContactBook::compact()
{
    QHash<QString, QString> names; // one copy of each calendar name
    const auto own = [](const QString &text) { return QString(text.constData(), text.size()); };
    const auto ownDays = [&](const QList<NameDay> &days) {
        QList<NameDay> out;
        out.reserve(days.size());
        for (const NameDay &d : days) {
            auto name = names.constFind(d.name);
            if (name == names.cend())
                name = names.insert(d.name, own(d.name));
            out.append({d.day, *name, d.fromTable});
        }
        return out;
    };
    QList<Person> people;
    people.reserve(m_people.size());
    for (const Person &p : std::as_const(m_people)) {
        Person kept{own(p.name), {}, ownDays(p.allNameDays), p.birthday};
        const bool unchosen = p.nameDays.constData() == p.allNameDays.constData() &&
                              p.nameDays.size() == p.allNameDays.size();
        kept.nameDays = unchosen ? kept.allNameDays : ownDays(p.nameDays);
        people << std::move(kept);
    }
    m_people = std::move(people);
}

void ContactBook::choose(const QList<PersonChoice> &choices)
{
    for (Person &p : m_people) {
        p.nameDays = p.allNameDays;
        for (const PersonChoice &c : choices) {
            if (c.person != p.name)
                continue;
            if (const auto name = calendarName(c.name)) {
                p.nameDays.clear();
                for (const TableDay &d : daysOfName(*name))
                    p.nameDays.append({d, *name, true});
            }
            if (c.month == 0)
                continue;
            const TableDay chosen{c.month, c.day};
            QList<NameDay> kept;
            for (const NameDay &d : std::as_const(p.nameDays)) {
                if (d.day == chosen)
                    kept << d;
            }
            // A day the person no longer has: every day again; a person of no calendar name
            // is given the day chosen.
            if (kept.isEmpty() && p.nameDays.isEmpty())
                kept.append({chosen, c.name.isEmpty() ? p.name : c.name, true});
            if (!kept.isEmpty())
                p.nameDays = kept;
        }
    }
}

QList<Celebration> ContactBook::on(const QDate &date, LeapDayRule rule) const
{
    // The 29 February a common year lacks is kept on another day.
    const auto lands = [&](int month, int day) {
        return yearlyDateIn(month, day, date.year(), rule) == date;
    };
    // A name of the calendar is celebrated by the tradition's rule (a day later from 24 February
    // of a leap year on); a date written on the card is that date.
    const auto tableDay = tableDayOf(date);
    QList<Celebration> found;
    for (const Person &p : m_people) {
        for (const NameDay &d : p.nameDays) {
            if (d.fromTable ? tableDay == d.day : lands(d.day.month, d.day.day))
                found.append({p.name, true, d.name, 0});
        }
    }
    for (const Person &p : m_people) {
        if (p.birthday && lands(p.birthday->month, p.birthday->day)) {
            const int age = p.birthday->year > 0 ? date.year() - p.birthday->year : 0;
            found.append({p.name, false, QString(), age > 0 ? age : 0});
        }
    }
    return found;
}

} // namespace quill::contacts
