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
    QHash<QStringList, Span> shared; // people of the same names share their days
    qsizetype text = 0;
    for (const Card &card : cards)
        text += card.displayName.size();
    m_text.reserve(text);
    m_people.reserve(cards.size());
    for (const Card &card : cards) {
        // Kept even with no day at all: the user may give them a name.
        if (card.displayName.isEmpty())
            continue;
        Person p;
        p.name = {int(m_text.size()), int(card.displayName.size())};
        m_text += card.displayName;
        const QStringList names = namesOf(card, memo);
        if (!card.nameDays.isEmpty()) {
            // A date on the card itself wins.
            const int name = nameIndex(names.value(0, card.displayName));
            QList<NameDay> days;
            for (const CardDate &d : card.nameDays)
                days.append({{d.month, d.day}, name, false});
            p.allNameDays = addDays(days);
        } else if (const auto same = shared.constFind(names); same != shared.cend()) {
            p.allNameDays = *same;
        } else {
            QList<NameDay> days;
            for (const QString &name : names) {
                const int index = nameIndex(name);
                for (const TableDay &d : memo.daysOf(name))
                    days.append({d, index, true});
            }
            p.allNameDays = shared.insert(names, addDays(days)).value();
        }
        p.nameDays = p.allNameDays;
        p.birthday = card.birthday;
        m_people << p;
    }
    m_cardDays = m_days.size();
    m_people.squeeze();
}

QStringView ContactBook::nameOf(const Person &p) const
{
    return QStringView(m_text).mid(p.name.at, p.name.size);
}

QList<ContactBook::NameDay> ContactBook::daysIn(Span span) const
{
    return m_days.mid(span.at, span.size);
}

ContactBook::Span ContactBook::addDays(const QList<NameDay> &days)
{
    const Span span{int(m_days.size()), int(days.size())};
    m_days += days;
    return span;
}

int ContactBook::nameIndex(const QString &name)
{
    const qsizetype found = m_names.lastIndexOf(name);
    if (found >= 0)
        return int(found);
    m_names << name;
    return int(m_names.size() - 1);
}

int ContactBook::size() const
{
    return int(std::count_if(m_people.cbegin(), m_people.cend(),
                             [](const Person &p) { return p.nameDays.size > 0 || p.birthday; }));
}

QList<std::pair<QString, QList<QDate>>> ContactBook::nameDaysOfPeople() const
{
    QList<std::pair<QString, QList<QDate>>> out;
    for (const Person &p : m_people) {
        QList<QDate> days;
        for (const NameDay &d : daysIn(p.allNameDays)) {
            const QDate day(2000, d.day.month, d.day.day);
            if (!days.contains(day))
                days << day;
        }
        out.append({nameOf(p).toString(), days});
    }
    return out;
}

QStringList ContactBook::withoutNameDay() const
{
    QStringList people;
    QSet<QStringView> seen;
    for (const Person &p : m_people) {
        if (p.allNameDays.size == 0 && !seen.contains(nameOf(p))) {
            seen.insert(nameOf(p));
            people << nameOf(p).toString();
        }
    }
    return people;
}

void ContactBook::compact()
{
    // Each block copied whole, into memory allocated now, after the reading's pieces are gone.
    m_text = QString(m_text.constData(), m_text.size());
    m_days = QList<NameDay>(m_days.cbegin(), m_days.cend());
    m_people = QList<Person>(m_people.cbegin(), m_people.cend());
    QStringList names;
    names.reserve(m_names.size());
    for (const QString &name : std::as_const(m_names))
        names << QString(name.constData(), name.size());
    m_names = std::move(names);
}

void ContactBook::choose(const QList<PersonChoice> &choices)
{
    m_days.resize(m_cardDays); // the days of earlier choices go
    for (Person &p : m_people) {
        p.nameDays = p.allNameDays;
        for (const PersonChoice &c : choices) {
            if (nameOf(p) == c.person)
                applyChoice(p, c);
        }
    }
}

void ContactBook::applyChoice(Person &p, const PersonChoice &c)
{
    QList<NameDay> days = daysIn(p.nameDays);
    if (const auto name = calendarName(c.name)) {
        days.clear();
        const int index = nameIndex(*name);
        for (const TableDay &d : daysOfName(*name))
            days.append({d, index, true});
    }
    if (c.month != 0) {
        const TableDay chosen{c.month, c.day};
        QList<NameDay> kept;
        for (const NameDay &d : std::as_const(days)) {
            if (d.day == chosen)
                kept << d;
        }
        // A day the person no longer has: every day again; a person of no calendar name is
        // given the day chosen.
        if (kept.isEmpty() && days.isEmpty())
            kept.append(
                {chosen, nameIndex(c.name.isEmpty() ? nameOf(p).toString() : c.name), true});
        if (!kept.isEmpty())
            days = kept;
    }
    p.nameDays = addDays(days);
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
        for (qsizetype i = p.nameDays.at; i < p.nameDays.at + p.nameDays.size; ++i) {
            const NameDay &d = m_days.at(i);
            if (d.fromTable ? tableDay == d.day : lands(d.day.month, d.day.day))
                found.append({nameOf(p).toString(), true, m_names.at(d.name), 0});
        }
    }
    for (const Person &p : m_people) {
        if (p.birthday && lands(p.birthday->month, p.birthday->day)) {
            const int age = p.birthday->year > 0 ? date.year() - p.birthday->year : 0;
            found.append({nameOf(p).toString(), false, QString(), age > 0 ? age : 0});
        }
    }
    return found;
}

} // namespace quill::contacts
