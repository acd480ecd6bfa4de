#include "vcard.h"

#include "calendar/calendar.h"
#include "cardlines.h"
#include "cardtext.h"

#include <QHash>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace quill::contacts {

namespace {

constexpr qsizetype maxProperty = 4 * 1024 * 1024;

bool sameWord(QByteArrayView a, const char *b)
{
    const qsizetype n = qsizetype(std::strlen(b));
    return a.size() == n && qstrnicmp(a.data(), b, std::size_t(n)) == 0;
}

// One property of a line, its parts pointing into the line (which outlives it).
struct Property {
    QByteArrayView group;
    QByteArrayView name;
    QVarLengthArray<std::pair<QByteArrayView, QByteArrayView>, 4> params; ///< values as written
    QByteArrayView value;                                                 ///< raw, still encoded

    bool has(const char *key) const
    {
        return std::any_of(params.cbegin(), params.cend(),
                           [key](const auto &kv) { return sameWord(kv.first, key); });
    }
    /// The last value given for `key`, in any case.
    QByteArrayView param(const char *key) const
    {
        for (auto it = params.crbegin(); it != params.crend(); ++it) {
            if (sameWord(it->first, key))
                return it->second;
        }
        return {};
    }
};

bool isQuotedPrintable(const Property &p)
{
    return sameWord(p.param("ENCODING"), "QUOTED-PRINTABLE") || p.has("QUOTED-PRINTABLE");
}

void addParam(Property &p, QByteArrayView param)
{
    param = param.trimmed();
    const qsizetype eq = param.indexOf('=');
    if (eq < 0) {
        p.params.append({param, QByteArrayView()}); // vCard 2.1: a bare type
        return;
    }
    QByteArrayView value = param.sliced(eq + 1);
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.sliced(1, value.size() - 2);
    p.params.append({param.first(eq).trimmed(), value});
}

// "NAME;PARAM=x;PARAM="a:b":value" with an optional "group." before the name.
std::optional<Property> parseLine(QByteArrayView line)
{
    Property p;
    bool inQuotes = false;
    qsizetype colon = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            inQuotes = !inQuotes;
        else if (c == ':' && !inQuotes) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return std::nullopt;
    const QByteArrayView head = line.first(colon);
    qsizetype semicolon = head.indexOf(';');
    QByteArrayView name = (semicolon < 0 ? head : head.first(semicolon)).trimmed();
    if (const qsizetype dot = name.indexOf('.'); dot >= 0) {
        p.group = name.first(dot);
        name = name.sliced(dot + 1);
    }
    if (name.isEmpty() || !std::all_of(name.begin(), name.end(), isNameChar))
        return std::nullopt;
    p.name = name;
    while (semicolon >= 0) {
        const qsizetype next = head.indexOf(';', semicolon + 1);
        addParam(p, head.sliced(semicolon + 1, (next < 0 ? head.size() : next) - semicolon - 1));
        semicolon = next;
    }
    p.value = line.sliced(colon + 1);
    return p;
}

QByteArray decodeQuotedPrintable(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size()) {
            bool ok = false;
            const int v = in.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(v);
                i += 2;
                continue;
            }
        }
        out += in[i];
    }
    return out;
}

// The value as text: decoded from quoted-printable and from its character set.
std::optional<QString> textOf(const Property &p, QString *problem)
{
    const bool quoted = isQuotedPrintable(p);
    QByteArray charset = p.param("CHARSET").toByteArray();
    if (charset.isEmpty() && !quoted) {
        // Most values: UTF-8 as written.
        QString text = QString::fromUtf8(p.value);
        if (!text.contains(QChar::ReplacementCharacter))
            return text;
    }
    const QByteArray bytes =
        quoted ? decodeQuotedPrintable(p.value.toByteArray()) : p.value.toByteArray();
    if (charset.isEmpty()) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
        // Old exports write the system's code page without saying so.
        charset = "windows-1250";
    }
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid()) {
        *problem = QStringLiteral("ismeretlen karakterkészlet: %1")
                       .arg(QString::fromLatin1(charset.left(40)));
        return std::nullopt;
    }
    return decoder.decode(bytes);
}

bool isNameDayLabel(QString label)
{
    // Apple wraps its own labels: "_$!<Anniversary>!$_".
    label.remove(QStringLiteral("_$!<")).remove(QStringLiteral(">!$_"));
    const QString folded = foldedForMatching(label.trimmed());
    return folded == u"nevnap" || folded == u"name day" || folded == u"nameday";
}

// What the reader makes of a property, by its name in any case.
enum class Kind {
    Other,
    Unused, ///< PHOTO, LOGO, SOUND, KEY: never decoded, only its size counted
    FullName,
    Name,
    Nickname,
    Birthday,
    AbDate,
    AbLabel,
    NameDay,
    AndroidCustom
};

Kind kindOf(QByteArrayView name)
{
    struct Known {
        QByteArrayView name;
        Kind kind;
    };
    static constexpr Known known[] = {
        {"FN", Kind::FullName},       {"N", Kind::Name},
        {"NICKNAME", Kind::Nickname}, {"BDAY", Kind::Birthday},
        {"X-ABDATE", Kind::AbDate},   {"X-ABLABEL", Kind::AbLabel},
        {"X-NEVNAP", Kind::NameDay},  {"X-QUILLOMAT-NEVNAP", Kind::NameDay},
        {"X-NAMEDAY", Kind::NameDay}, {"X-ANDROID-CUSTOM", Kind::AndroidCustom},
        {"PHOTO", Kind::Unused},      {"LOGO", Kind::Unused},
        {"SOUND", Kind::Unused},      {"KEY", Kind::Unused}};
    if (name.isEmpty())
        return Kind::Other;
    // Told apart by their first letter and length before any comparison.
    const char first = char(name.front() & ~0x20);
    for (const Known &k : known) {
        if (k.name.size() == name.size() && k.name.front() == first &&
            qstrnicmp(k.name.data(), name.data(), std::size_t(name.size())) == 0)
            return k.kind;
    }
    return Kind::Other;
}

// Whether the reader uses the property's value.
bool isRead(Kind kind)
{
    return kind != Kind::Other && kind != Kind::Unused;
}

// Whether `text` holds `word` in any case.
bool containsCaseless(QByteArrayView text, QByteArrayView word)
{
    for (qsizetype at = 0; at + word.size() <= text.size(); ++at) {
        if (qstrnicmp(text.data() + at, word.data(), std::size_t(word.size())) == 0)
            return true;
    }
    return false;
}

// A line of a property the reader does not use, written plainly enough to pass over without
// parsing it: "VERSION:3.0", "item1.TEL;TYPE=CELL:…", no quotes, no character set named.
bool isPlainUnread(QByteArrayView line)
{
    qsizetype nameStart = 0;
    const qsizetype i = propertyNameEnd(line, &nameStart);
    if (i == nameStart || i >= line.size() || (line[i] != ';' && line[i] != ':'))
        return false;
    if (isRead(kindOf(line.sliced(nameStart, i - nameStart))))
        return false;
    const qsizetype colon = line.indexOf(':');
    if (colon < i)
        return false; // no value at all: the parser says what is wrong with it
    const QByteArrayView params = line.sliced(i, colon - i);
    return !params.contains('"') && !containsCaseless(params, "CHARSET");
}

struct CardBuilder {
    Card card;
    QString problem;
    QHash<QByteArray, QString> groupDates;  // item1 -> date text
    QHash<QByteArray, QString> groupLabels; // item1 -> label

    /// The name put together from N ("" without one).
    QString nameFromN() const
    {
        return QString(card.family + u' ' + card.given.join(u' ')).simplified();
    }

    void take(const Property &p)
    {
        if (!problem.isEmpty())
            return;
        const Kind kind = kindOf(p.name);
        if (kind == Kind::Unused)
            return; // never decoded: only its size counted
        if (kind == Kind::Other) {
            // Never decoded; only a character set nobody knows spoils the card.
            const QByteArray charset = p.param("CHARSET").toByteArray();
            if (!charset.isEmpty() && !QStringDecoder(charset.constData()).isValid())
                problem = QStringLiteral("ismeretlen karakterkészlet: %1")
                              .arg(QString::fromLatin1(charset.left(40)));
            return;
        }
        auto text = textOf(p, &problem);
        if (text)
            takeText(kind, p, *text);
    }

    void takeText(Kind kind, const Property &p, const QString &text)
    {
        switch (kind) {
        case Kind::FullName:
            card.displayName = simplifiedText(unescaped(text));
            break;
        case Kind::Name:
            splitName(text, &card.family, &card.given);
            break;
        case Kind::Nickname:
            for (const QString &nick : components(text, u',')) {
                if (!nick.trimmed().isEmpty())
                    card.nicknames << nick.trimmed();
            }
            break;
        case Kind::Birthday:
            takeBirthday(p, text);
            break;
        case Kind::AbDate:
            groupDates.insert(p.group.toByteArray().toUpper(), unescaped(text));
            break;
        case Kind::AbLabel:
            groupLabels.insert(p.group.toByteArray().toUpper(), unescaped(text));
            break;
        case Kind::NameDay:
            if (const auto date = parseCardDate(unescaped(text)))
                card.nameDays << *date;
            else
                problem = QStringLiteral("hibás névnap: %1").arg(text.left(40));
            break;
        case Kind::AndroidCustom:
            takeAndroidField(components(text, u';'));
            break;
        case Kind::Other:
        case Kind::Unused:
            break;
        }
    }

    void takeBirthday(const Property &p, const QString &text)
    {
        if (sameWord(p.param("VALUE"), "TEXT"))
            return;
        bool ok = false;
        const int omitted = p.param("X-APPLE-OMIT-YEAR").toInt(&ok);
        const auto date = parseCardDate(unescaped(text), ok ? omitted : 1604);
        if (!date)
            problem = QStringLiteral("hibás születésnap: %1").arg(text.left(40));
        else
            card.birthday = date;
    }

    // Android's own fields: a nickname, or an event (its birthday type, or a name day by label).
    void takeAndroidField(const QStringList &f)
    {
        if (f.value(0) == u"vnd.android.cursor.item/nickname" && !f.value(1).isEmpty()) {
            card.nicknames << f.value(1).trimmed();
        } else if (f.value(0) == u"vnd.android.cursor.item/contact_event") {
            const auto date = parseCardDate(f.value(1));
            if (!date)
                return; // an event we would not use anyway
            if (f.value(2) == u"3" && !card.birthday)
                card.birthday = date; // Android's birthday type
            else if (isNameDayLabel(f.value(3)))
                card.nameDays << *date;
        }
    }

    void finish()
    {
        for (auto it = groupDates.cbegin(); it != groupDates.cend(); ++it) {
            if (!isNameDayLabel(groupLabels.value(it.key())))
                continue;
            if (const auto date = parseCardDate(it.value()))
                card.nameDays << *date;
            else if (problem.isEmpty())
                problem = QStringLiteral("hibás névnap: %1").arg(it.value().left(40));
        }
        if (card.displayName.isEmpty())
            card.displayName = nameFromN();
        if (problem.isEmpty() && card.displayName.isEmpty() && card.given.isEmpty())
            problem = QStringLiteral("nincs neve");
    }
};

} // namespace

struct CardReader::State {
    CardReading reading;
    std::optional<CardBuilder> current;
    int number = 0;
    LogicalLines lines{[this](const QByteArray &line) { take(line); },
                       [this](qsizetype length) { passOver(length); }};

    void skip(CardBuilder &b, const QString &reason)
    {
        reading.skipped.append(
            {number, b.card.displayName.isEmpty() ? b.nameFromN() : b.card.displayName, reason});
    }

    void tooLarge(qsizetype length)
    {
        if (current->problem.isEmpty())
            current->problem =
                QStringLiteral("túl nagy adat (%1 MB)").arg((length + 512 * 1024) / (1024 * 1024));
    }

    // A property never used: only its size counts.
    void passOver(qsizetype length)
    {
        if (current && length > maxProperty)
            tooLarge(length);
    }

    void take(const QByteArray &line)
    {
        if (QByteArrayView(line).trimmed().isEmpty())
            return;
        const QByteArrayView trimmed = QByteArrayView(line).trimmed();
        const auto is = [trimmed](const char *word) {
            const qsizetype n = qsizetype(std::strlen(word));
            return trimmed.size() == n && qstrnicmp(trimmed.data(), word, std::size_t(n)) == 0;
        };
        if (is("BEGIN:VCARD")) {
            if (current) {
                current->finish();
                skip(*current, QStringLiteral("hiányzik az END:VCARD"));
            }
            current.emplace();
            ++number;
            return;
        }
        if (!current)
            return; // text between cards
        if (is("END:VCARD")) {
            current->finish();
            if (current->problem.isEmpty())
                reading.cards << std::move(current->card);
            else
                skip(*current, current->problem);
            current.reset();
            return;
        }
        if (line.size() > maxProperty) {
            tooLarge(line.size());
            return;
        }
        if (isPlainUnread(line))
            return;
        const auto property = parseLine(line);
        if (!property) {
            if (current->problem.isEmpty())
                current->problem = QStringLiteral("olvashatatlan sor");
            return;
        }
        current->take(*property);
    }
};

CardReader::CardReader()
    : m(std::make_unique<State>())
{
}

CardReader::~CardReader() = default;

void CardReader::feed(QByteArrayView bytes)
{
    m->lines.feed(bytes);
}

CardReading CardReader::finish()
{
    m->lines.finish();
    if (m->current) {
        m->current->finish();
        m->skip(*m->current, QStringLiteral("hiányzik az END:VCARD"));
        m->current.reset();
    }
    return std::exchange(m->reading, CardReading());
}

CardReading readCards(const QByteArray &bytes)
{
    CardReader reader;
    reader.feed(bytes);
    return reader.finish();
}

} // namespace quill::contacts
