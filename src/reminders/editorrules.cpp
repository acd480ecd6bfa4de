#include "editorrules.h"

#include "calendar/calendar.h"
#include "calendar/numtext.h"

#include <cmath>

namespace quill::editor {

namespace {
QStringList numbers(int from, int to, int width)
{
    QStringList list;
    for (int i = from; i <= to; ++i)
        list << QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0'));
    return list;
}
const QString star = QStringLiteral("*");
} // namespace

QStringList evEntries(int year)
{
    return QStringList{star} + tevEntries(year);
}

QStringList tevEntries(int year)
{
    return numbers(year, year + 19, 1);
}

QStringList honapEntries()
{
    return alertMonthEntries();
}

QStringList szhonapEntries()
{
    return alertMonthEntries().mid(1);
}

QStringList napEntries(int days)
{
    return QStringList{star} + numbers(1, days, 1);
}

QStringList sznapEntries()
{
    return numbers(1, 31, 1);
}

QStringList oraEntries(bool withStar)
{
    return (withStar ? QStringList{star} : QStringList{}) + numbers(0, 23, 2);
}

QStringList percEntries()
{
    return numbers(0, 59, 2);
}

std::array<QString, 10> storedFields(int kind, const Inputs &in)
{
    const QString blank = QStringLiteral(" ");
    std::array<QString, 10> f;
    f[0] = QString(QChar(u"nstme"[std::clamp(kind, 0, 4)]));
    f[3] = in.ev;
    f[4] = in.honap;
    f[5] = in.nap;
    f[6] = in.ora;
    f[7] = in.perc;
    f[9] = blank;
    switch (kind) {
    case 0:
        f[1] = in.text1;
        f[2] = in.kernev;
        f[8] = in.list1;
        break;
    case 1:
        f[1] = in.text1;
        f[2] = in.kernev;
        f[8] = in.szhonap + u' ' + in.sznap + u'.';
        break;
    case 2:
        f[1] = in.text1;
        f[2] = in.text2;
        f[8] = in.tev + QStringLiteral(". ") + in.szhonap + u' ' + in.sznap + QStringLiteral(". ") +
               in.tora + u':' + in.tperc;
        break;
    case 3:
        f[1] = in.text1;
        f[2] = in.text2;
        f[8] = blank;
        break;
    default:
        f[1] = blank;
        f[2] = blank;
        f[8] = blank;
        f[9] = in.text3;
        break;
    }
    return f;
}

bool showDateRow(int kind, int pickedNameIndex)
{
    return kind == 0 && pickedNameIndex != -1;
}

Prefill nameDayPrefill(const QString &t, int honapIndex, int currentMonth,
                       const QStringList &honapItems)
{
    Prefill p;
    p.honap = honapIndex;
    const QStringView head = QStringView(t).left(3);
    for (int i = 0; i < honapItems.size(); ++i) {
        if (QStringView(honapItems[i]).left(3) == head && !t.isEmpty()) {
            p.honap = i;
            break;
        }
    }
    p.ev = currentMonth > p.honap ? 2 : 1;

    qsizetype at = -1;
    for (qsizetype i = 0; i < t.size() && at < 0; ++i) {
        if (t[i].isDigit() && t[i].unicode() < 128)
            at = i;
    }
    if (at < 0)
        return p;
    int d = t[at].digitValue();
    if (at + 1 < t.size() && t[at + 1].isDigit() && t[at + 1].unicode() < 128)
        d = d * 10 + t[at + 1].digitValue();
    p.setDay = true;
    if (d != 1) {
        p.nap = std::max(0, d - 1);
        return p;
    }
    p.lastDay = true;
    if (p.honap > 1) {
        --p.honap;
    } else if (p.honap == 1) {
        p.honap = 12;
        p.ev = std::max(1, p.ev - 1);
    }
    return p;
}

Prefill dayBeforePrefill(int sznapIndex, int honapIndex, int evIndex)
{
    Prefill p;
    p.honap = honapIndex;
    p.ev = evIndex;
    p.setDay = sznapIndex >= 0;
    if (sznapIndex != 0) {
        p.nap = sznapIndex;
        return p;
    }
    p.lastDay = true;
    if (honapIndex > 1) {
        p.honap = honapIndex - 1;
    } else if (honapIndex == 1) {
        p.honap = 12;
        if (evIndex > 1)
            p.ev = evIndex - 1;
    }
    return p;
}

int alertYearValue(const QString &evText)
{
    const double v = textValue(evText);
    if (!std::isfinite(v) || std::fabs(v) > 1e9)
        return 0;
    return int(v);
}

HintTick hintTick(int egerlepes, bool pictureVisible)
{
    HintTick tick{std::min(egerlepes + 1, 10), 0};
    if (!pictureVisible)
        return tick;
    if (tick.egerlepes == 6) {
        tick.frame = 2;
    } else if (tick.egerlepes >= 10) {
        tick.frame = 1;
        tick.egerlepes = 1;
    }
    return tick;
}

} // namespace quill::editor
