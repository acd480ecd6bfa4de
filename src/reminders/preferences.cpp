#include "preferences.h"

#include "files/safefile.h"
#include "files/statefiles.h"

#include <QDir>
#include <algorithm>

namespace quill {

QString preferencesPath(const QString &configHome)
{
    QString home = configHome;
    if (home.isEmpty())
        home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    return files::ownFolderUnder(home) + QStringLiteral("/beallitasok.conf");
}

namespace {

const char *const snoozeNames[] = {"10perc", "1ora", "holnap", "idopont"};

QByteArray oneLine(const QString &text)
{
    return QString(text).remove(u'\n').remove(u'\r').toUtf8();
}

QByteArray flag(bool on)
{
    return on ? "1" : "0";
}

using T = Setting::Type;

// The days of notice before name days and birthdays, of the reminders and of the address book
// alike. Files of earlier versions kept three numbers (name days, birthdays, the address book):
// the largest is taken, so no notice anyone had is lost; the first change writes the one key.
void takeDays(Preferences &p, const QByteArray &v)
{
    p.notice.nameDayDays = std::max(p.notice.nameDayDays, v.toInt());
    p.notice.birthdayDays = p.notice.nameDayDays;
}

// The file's lines in the order a new file writes them.
const Setting table[] = {
    {"nevnap_elott_nap", T::Number, 0, 14, "0",
     [](const Preferences &p) { return QByteArray::number(p.notice.nameDayDays); }, takeDays},
    {"talalkozo_elott_perc", T::Choice, 0, 60, "0",
     [](const Preferences &p) { return QByteArray::number(p.notice.meetingMinutes); },
     [](Preferences &p, const QByteArray &v) { p.notice.meetingMinutes = v.toInt(); }},
    {"halasztas", T::Snooze, 0, 0, "10perc",
     [](const Preferences &p) { return QByteArray(snoozeNames[int(p.lastSnooze)]); },
     [](Preferences &p, const QByteArray &v) {
         const auto at = std::find(std::begin(snoozeNames), std::end(snoozeNames), v);
         p.lastSnooze = SnoozeChoice(at - std::begin(snoozeNames));
     }},
    {"csak_talca", T::Flag, 0, 1, "0", [](const Preferences &p) { return flag(p.trayOnly); },
     [](Preferences &p, const QByteArray &v) { p.trayOnly = v == "1"; }},
    {"ismerosok_forras", T::Text, 0, 0, "",
     [](const Preferences &p) { return oneLine(p.contactsSource); },
     [](Preferences &p, const QByteArray &v) { p.contactsSource = QString::fromUtf8(v); }},
    {"ismerosok_ido", T::TimeOfDay, 0, 0, "8:00",
     [](const Preferences &p) {
         return p.contactsTime.toString(QStringLiteral("H:mm")).toLatin1();
     },
     [](Preferences &p, const QByteArray &v) {
         p.contactsTime = QTime::fromString(QString::fromLatin1(v), QStringLiteral("H:mm"));
     }},
    {"februar29_marcius1", T::Flag, 0, 1, "0",
     [](const Preferences &p) { return flag(p.leapDayOnMarch1); },
     [](Preferences &p, const QByteArray &v) { p.leapDayOnMarch1 = v == "1"; }},
    {"caldav_cim", T::Text, 0, 0, "", [](const Preferences &p) { return oneLine(p.calDavUrl); },
     [](Preferences &p, const QByteArray &v) { p.calDavUrl = QString::fromUtf8(v); }},
    {"caldav_felhasznalo", T::Text, 0, 0, "",
     [](const Preferences &p) { return oneLine(p.calDavUser); },
     [](Preferences &p, const QByteArray &v) { p.calDavUser = QString::fromUtf8(v); }},
    {"caldav_jelszoparancs", T::Text, 0, 0, "",
     [](const Preferences &p) { return oneLine(p.calDavPasswordCommand); },
     [](Preferences &p, const QByteArray &v) { p.calDavPasswordCommand = QString::fromUtf8(v); }},
};

// Keys earlier versions wrote: read into the one they became, never written.
const Setting retired[] = {
    {"szuletesnap_elott_nap", T::Number, 0, 14, "0", nullptr, takeDays},
    {"ismerosok_elott_nap", T::Number, 0, 14, "0", nullptr, takeDays},
};

std::optional<int> wholeNumber(const QByteArray &value)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

// One line split at its first '=', both sides trimmed; no key when there is none.
std::pair<QByteArray, QByteArray> keyAndValue(const QByteArray &line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0)
        return {};
    return {line.left(eq).trimmed(), line.mid(eq + 1).trimmed()};
}

// A person's line: name TAB notice days (-1: as for everyone) TAB MM-DD or "-" TAB calendar name.
std::optional<contacts::PersonChoice> personOf(const QByteArray &value)
{
    const QList<QByteArray> f = value.split('\t');
    contacts::PersonChoice c;
    c.person = QString::fromUtf8(f.value(0)).trimmed();
    const QByteArray days = f.value(1).trimmed();
    const std::optional<int> n = days.isEmpty() ? -1 : wholeNumber(days);
    if (c.person.isEmpty() || !n || *n < -1 || *n > 14)
        return std::nullopt;
    c.noticeDays = *n;
    const QByteArray day = f.value(2).trimmed();
    if (!day.isEmpty() && day != "-") {
        const QDate d = QDate::fromString(QString::fromLatin1(day) + QStringLiteral("-2000"),
                                          QStringLiteral("MM-dd-yyyy"));
        if (!d.isValid())
            return std::nullopt;
        c.month = d.month();
        c.day = d.day();
    }
    c.name = QString::fromUtf8(f.value(3)).trimmed();
    return c;
}

QByteArray personLine(const contacts::PersonChoice &c)
{
    QString name = c.person;
    name.remove(u'\n').remove(u'\r').replace(u'\t', u' ');
    return QByteArray(personKey) + '=' + name.toUtf8() + '\t' + QByteArray::number(c.noticeDays) +
           '\t' +
           (c.month ? QDate(2000, c.month, c.day).toString(QStringLiteral("MM-dd")).toLatin1()
                    : QByteArray("-")) +
           '\t' + QString(c.name).remove(u'\n').remove(u'\r').remove(u'\t').toUtf8();
}

std::optional<contacts::PersonChoice> choiceFor(const Preferences &p, const QString &person)
{
    for (const contacts::PersonChoice &c : p.people) {
        if (c.person == person)
            return c;
    }
    return std::nullopt;
}

// A key of the table or a retired one; none for a key not ours.
const Setting *settingNamed(const QByteArray &key)
{
    for (const auto &list : {std::span<const Setting>(table), std::span<const Setting>(retired)}) {
        for (const Setting &s : list) {
            if (key == s.key)
                return &s;
        }
    }
    return nullptr;
}

} // namespace

std::span<const Setting> settings()
{
    return table;
}

const Setting &setting(const char *key)
{
    for (const Setting &s : table) {
        if (qstrcmp(s.key, key) == 0)
            return s;
    }
    Q_UNREACHABLE();
}

std::optional<QByteArray> checkedValue(const Setting &setting, const QByteArray &value)
{
    switch (setting.type) {
    case T::Number: {
        const std::optional<int> n = wholeNumber(value);
        if (n && *n >= setting.low && *n <= setting.high)
            return QByteArray::number(*n);
        return std::nullopt;
    }
    case T::Choice: {
        const std::optional<int> n = wholeNumber(value);
        if (n && std::find(std::begin(meetingNoticeChoices), std::end(meetingNoticeChoices), *n) !=
                     std::end(meetingNoticeChoices))
            return QByteArray::number(*n);
        return std::nullopt;
    }
    case T::Flag:
        return value == "0" || value == "1" ? std::optional(value) : std::nullopt;
    case T::Text:
        return value;
    case T::TimeOfDay: {
        const QTime t = QTime::fromString(QString::fromLatin1(value), QStringLiteral("H:mm"));
        return t.isValid() ? std::optional(t.toString(QStringLiteral("H:mm")).toLatin1())
                           : std::nullopt;
    }
    case T::Snooze:
        return std::find(std::begin(snoozeNames), std::end(snoozeNames), value) !=
                       std::end(snoozeNames)
                   ? std::optional(value)
                   : std::nullopt;
    }
    return std::nullopt;
}

QString allowedText(const Setting &setting)
{
    switch (setting.type) {
    case T::Number:
        return QStringLiteral("%1 és %2 közötti egész szám lehet")
            .arg(setting.low)
            .arg(setting.high);
    case T::Choice:
        return QStringLiteral("csak 0, 5, 15, 30 vagy 60 lehet");
    case T::Flag:
        return QStringLiteral("csak 0 vagy 1 lehet");
    case T::Text:
        return QStringLiteral("egy sor szöveg lehet");
    case T::TimeOfDay:
        return QStringLiteral("óra:perc alakú időpont lehet (például 8:00)");
    case T::Snooze:
        return QStringLiteral("csak 10perc, 1ora, holnap vagy idopont lehet");
    }
    return {};
}

Preferences parsePreferences(const QByteArray &bytes, QStringList *refused)
{
    Preferences p;
    const auto refuse = [refused](const QByteArray &line, const QString &why) {
        if (refused)
            *refused << QString::fromUtf8(line.trimmed()) + QStringLiteral(": ") + why;
    };
    for (const QByteArray &line : bytes.split('\n')) {
        const auto [key, value] = keyAndValue(line);
        if (key == personKey) {
            if (const auto c = personOf(value))
                p.people << *c;
            else
                refuse(line, QStringLiteral("egy ismerős neve, tabulátor, -1 és 14 közötti "
                                            "napszám, tabulátor, HH-NN vagy -, tabulátor, név "
                                            "lehet"));
            continue;
        }
        const QByteArray name = key; // (a structured binding is not captured by every compiler)
        const Setting *known = settingNamed(name);
        if (!known)
            continue; // not ours: kept in the file, not used
        if (const auto checked = checkedValue(*known, value))
            known->set(p, *checked);
        else
            refuse(line, allowedText(*known));
    }
    return p;
}

QByteArray formatPreferences(const Preferences &p)
{
    QByteArray out;
    for (const Setting &s : table)
        out += s.key + ('=' + s.get(p)) + '\n';
    for (const contacts::PersonChoice &c : p.people)
        out += personLine(c) + '\n';
    return out;
}

QByteArray mergePreferences(const QByteArray &current, const Preferences &before,
                            const Preferences &after)
{
    QList<QByteArray> lines = current.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    // Every line of `key` (a person's: of that person) goes; the new one takes the first's place.
    const auto replace = [&lines](const auto &ofKey, const std::optional<QByteArray> &line) {
        qsizetype first = -1;
        for (qsizetype i = lines.size() - 1; i >= 0; --i) {
            if (ofKey(lines[i])) {
                lines.removeAt(i);
                first = i;
            }
        }
        if (line)
            lines.insert(first < 0 ? lines.size() : first, *line);
    };
    for (const Setting &s : table) {
        const QByteArray value = s.get(after);
        if (value != s.get(before))
            replace([&s](const QByteArray &l) { return keyAndValue(l).first == s.key; },
                    QByteArray(s.key) + '=' + value);
    }
    // The one notice written, the keys it was made of go.
    if (after.notice.nameDayDays != before.notice.nameDayDays) {
        for (const Setting &s : retired)
            replace([&s](const QByteArray &l) { return keyAndValue(l).first == s.key; },
                    std::nullopt);
    }
    QStringList people;
    for (const Preferences *p : {&before, &after}) {
        for (const contacts::PersonChoice &c : p->people)
            people << c.person;
    }
    people.removeDuplicates();
    for (const QString &person : people) {
        const auto now = choiceFor(after, person);
        if (now == choiceFor(before, person))
            continue;
        replace(
            [&person](const QByteArray &l) {
                const auto [key, value] = keyAndValue(l);
                return key == personKey &&
                       QString::fromUtf8(value.split('\t').value(0)).trimmed() == person;
            },
            now ? std::optional(personLine(*now)) : std::nullopt);
    }
    QByteArray out = lines.join('\n');
    return out.isEmpty() ? out : out + '\n';
}

Preferences loadPreferences(const QString &path)
{
    const files::ReadResult read = files::readRegularFile(path, PreferenceStore::maxBytes);
    return read.error ? Preferences{} : parsePreferences(read.bytes);
}

} // namespace quill
