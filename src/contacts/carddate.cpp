#include "carddate.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>

namespace quill::contacts {

namespace {

bool twoDigits(const QString &v, qsizetype at, int *value)
{
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (at + 2 > v.size() || !digit(v[at]) || !digit(v[at + 1]))
        return false;
    *value = (v[at].unicode() - '0') * 10 + (v[at + 1].unicode() - '0');
    return true;
}

// The dates of printable ASCII read without the expressions below, as they read them: none
// when the text is anything else (the expressions decide), an empty date when it is no date.
std::optional<std::optional<CardDate>> plainDate(const QString &v)
{
    if (!std::all_of(v.cbegin(), v.cend(), [](QChar c) { return c >= u' ' && c <= u'~'; }))
        return std::nullopt;
    CardDate d;
    if (v.startsWith(u"--")) {
        const qsizetype second = v.size() == 7 ? 5 : 4;
        if ((v.size() != 6 && !(v.size() == 7 && v[4] == u'-')) || !twoDigits(v, 2, &d.month) ||
            !twoDigits(v, second, &d.day))
            return std::optional<CardDate>();
        return std::optional<CardDate>(d);
    }
    int century = 0, years = 0;
    if (!twoDigits(v, 0, &century) || !twoDigits(v, 2, &years))
        return std::optional<CardDate>();
    d.year = century * 100 + years;
    qsizetype at = 4;
    at += at < v.size() && v[at] == u'-' ? 1 : 0;
    if (!twoDigits(v, at, &d.month))
        return std::optional<CardDate>();
    at += 2;
    at += at < v.size() && v[at] == u'-' ? 1 : 0;
    if (!twoDigits(v, at, &d.day))
        return std::optional<CardDate>();
    at += 2;
    if (at < v.size() && v[at] != u'T' && v[at] != u' ')
        return std::optional<CardDate>();
    return std::optional<CardDate>(d);
}

} // namespace

std::optional<CardDate> parseCardDate(const QString &value, int omittedYear)
{
    static const QRegularExpression full(
        QStringLiteral("^(\\d{4})-?(\\d{2})-?(\\d{2})(?:[T ].*)?$"));
    static const QRegularExpression noYear(QStringLiteral("^--(\\d{2})-?(\\d{2})$"));
    const QString v = value.trimmed();
    CardDate d;
    if (const auto plain = plainDate(v)) {
        if (!*plain)
            return std::nullopt;
        d = **plain;
        if (d.year == omittedYear || d.year == 0)
            d.year = 0;
    } else if (const auto m = noYear.match(v); m.hasMatch()) {
        d.month = m.captured(1).toInt();
        d.day = m.captured(2).toInt();
    } else if (const auto f = full.match(v); f.hasMatch()) {
        d.year = f.captured(1).toInt();
        d.month = f.captured(2).toInt();
        d.day = f.captured(3).toInt();
        if (d.year == omittedYear || d.year == 0)
            d.year = 0;
    } else {
        return std::nullopt;
    }
    // Without a year, 29 February is a day; with one, the date must exist.
    if (d.year == 0 ? !QDate::isValid(2000, d.month, d.day)
                    : !QDate::isValid(d.year, d.month, d.day))
        return std::nullopt;
    return d;
}

} // namespace quill::contacts
