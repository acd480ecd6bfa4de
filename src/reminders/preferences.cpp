#include "preferences.h"

#include "files/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace quill {

QString preferencesPath(const QString &configHome)
{
    QString home = configHome;
    if (home.isEmpty())
        home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/Zelmarin/Quillomat/beallitasok.conf");
}

namespace {
const char *const snoozeNames[] = {"10perc", "1ora", "holnap", "idopont"};

int number(const QByteArray &value, int low, int high, int fallback)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    return ok && n >= low && n <= high ? n : fallback;
}
} // namespace

Preferences parsePreferences(const QByteArray &bytes)
{
    Preferences p;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "nevnap_elott_nap") {
            p.notice.nameDayDays = number(value, 0, 14, 0);
        } else if (key == "szuletesnap_elott_nap") {
            p.notice.birthdayDays = number(value, 0, 14, 0);
        } else if (key == "talalkozo_elott_perc") {
            const int n = number(value, 0, 60, 0);
            if (std::find(std::begin(meetingNoticeChoices), std::end(meetingNoticeChoices), n) !=
                std::end(meetingNoticeChoices))
                p.notice.meetingMinutes = n;
        } else if (key == "ismerosok_forras") {
            p.contactsSource = QString::fromUtf8(value);
        } else if (key == "ismerosok_ido") {
            const QTime t = QTime::fromString(QString::fromLatin1(value), QStringLiteral("H:mm"));
            if (t.isValid())
                p.contactsTime = t;
        } else if (key == "ismerosok_elott_nap") {
            p.contactsNoticeDays = number(value, 0, 14, 0);
        } else if (key == "ismeros") {
            // name TAB notice days (-1: as for everyone) TAB MM-DD or "-" TAB calendar name
            const QList<QByteArray> f = value.split('\t');
            contacts::PersonChoice c;
            c.person = QString::fromUtf8(f.value(0)).trimmed();
            c.noticeDays = number(f.value(1), -1, 14, -1);
            const QDate d =
                QDate::fromString(QString::fromLatin1(f.value(2)) + QStringLiteral("-2000"),
                                  QStringLiteral("MM-dd-yyyy"));
            if (d.isValid()) {
                c.month = d.month();
                c.day = d.day();
            }
            c.name = QString::fromUtf8(f.value(3)).trimmed();
            if (!c.person.isEmpty())
                p.people << c;
        } else if (key == "caldav_cim") {
            p.calDavUrl = QString::fromUtf8(value);
        } else if (key == "caldav_felhasznalo") {
            p.calDavUser = QString::fromUtf8(value);
        } else if (key == "caldav_jelszoparancs") {
            p.calDavPasswordCommand = QString::fromUtf8(value);
        } else if (key == "februar29_marcius1") {
            p.leapDayOnMarch1 = value == "1";
        } else if (key == "csak_talca") {
            p.trayOnly = value == "1";
        } else if (key == "halasztas") {
            for (int i = 0; i < 4; ++i) {
                if (value == snoozeNames[i])
                    p.lastSnooze = SnoozeChoice(i);
            }
        }
    }
    return p;
}

namespace {
QByteArray oneLine(const QString &text)
{
    return QString(text).remove(u'\n').remove(u'\r').toUtf8();
}

QByteArray peopleLines(const Preferences &p)
{
    QByteArray out;
    for (const contacts::PersonChoice &c : p.people) {
        QString name = c.person;
        name.remove(u'\n').remove(u'\r').replace(u'\t', u' ');
        out += "ismeros=" + name.toUtf8() + '\t' + QByteArray::number(c.noticeDays) + '\t' +
               (c.month ? QDate(2000, c.month, c.day).toString(QStringLiteral("MM-dd")).toLatin1()
                        : QByteArray("-")) +
               '\t' + QString(c.name).remove(u'\n').remove(u'\r').remove(u'\t').toUtf8() + '\n';
    }
    return out;
}
} // namespace

QByteArray formatPreferences(const Preferences &p)
{
    return "nevnap_elott_nap=" + QByteArray::number(p.notice.nameDayDays) +
           "\nszuletesnap_elott_nap=" + QByteArray::number(p.notice.birthdayDays) +
           "\ntalalkozo_elott_perc=" + QByteArray::number(p.notice.meetingMinutes) +
           "\nhalasztas=" + snoozeNames[int(p.lastSnooze)] +
           "\ncsak_talca=" + (p.trayOnly ? "1" : "0") +
           "\nismerosok_forras=" + oneLine(p.contactsSource) +
           "\nismerosok_ido=" + p.contactsTime.toString(QStringLiteral("H:mm")).toLatin1() +
           "\nismerosok_elott_nap=" + QByteArray::number(p.contactsNoticeDays) +
           "\nfebruar29_marcius1=" + (p.leapDayOnMarch1 ? "1" : "0") +
           "\ncaldav_cim=" + oneLine(p.calDavUrl) +
           "\ncaldav_felhasznalo=" + oneLine(p.calDavUser) +
           "\ncaldav_jelszoparancs=" + oneLine(p.calDavPasswordCommand) + '\n' + peopleLines(p);
}

Preferences loadPreferences(const QString &path)
{
    const files::ReadResult read = files::readRegularFile(path, 64 * 1024);
    return read.error ? Preferences{} : parsePreferences(read.bytes);
}

std::error_code savePreferences(const QString &path, const Preferences &preferences)
{
    if (const std::error_code e = files::makeFolder(QFileInfo(path).absolutePath()))
        return e;
    return files::writeAtomically(path, formatPreferences(preferences));
}

} // namespace quill
