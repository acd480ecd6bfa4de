#include "todaypanel.h"

#include "accessibility.h"
#include "calendar/calendar.h"
#include "calendar/namedays.h"
#include "calendar/tradition.h"
#include "platform/twips.h"
#include "widgets.h"

#include <QLabel>

namespace quill {

TodayPanel::TodayPanel(QWidget *window, SystemDateNames dateNames, QObject *menuOpener)
    : QObject(window)
    , m_dateNames(std::move(dateNames))
{
    struct Place {
        Piece piece;
        int left, width;
    };
    for (const Place &p :
         {Place{Year, 120, 495}, Place{Month, 720, 975}, Place{Day, 1560, 375},
          Place{Weekday, 2040, 855}, Place{Time, 3000, 615}, Place{Names, 3720, 2055}}) {
        QLabel *label = makeLabel(window, QStringLiteral("Label1_%1").arg(p.piece), QString(),
                                  twips::rect(p.left, 120, p.width, 255));
        label->installEventFilter(menuOpener); // the popup menu opens over the panel too
        m_labels[p.piece] = label;
    }
    QFont bold = dialogFont();
    bold.setBold(true);
    m_labels[Time]->setFont(bold);
    describeLabel(m_labels[Time], QStringLiteral("Idő"));
    setTextColour(m_labels[Names], QColor(255, 0, 0));
    describeLabel(m_labels[Names], QStringLiteral("Mai névnap"));
}

void TodayPanel::tick(const QDateTime &now)
{
    setTextIfChanged(m_labels[Time], now.toString(QStringLiteral("HH:mm")));
    if (now.date() != m_shownDate)
        showDay(now.date());
    setWindowSummary(m_labels[Time]->window(), spokenDay(now.time()));
}

QString TodayPanel::weekday() const
{
    return m_labels[Weekday]->text();
}

QString TodayPanel::spokenDay(const QTime &time) const
{
    // The panel as one sentence: "2026. december 6., vasárnap, 7:05, Miklós napja".
    return QStringLiteral("%1. %2 %3., %4, %5, %6")
        .arg(m_shownDate.year())
        .arg(m_labels[Month]->text(), QString::number(m_shownDate.day()), m_labels[Weekday]->text(),
             time.toString(QStringLiteral("H:mm")), m_labels[Names]->text());
}

void TodayPanel::showDay(const QDate &date)
{
    m_shownDate = date;
    setTextIfChanged(m_labels[Year], date.toString(QStringLiteral("yyyy. ")));
    setTextIfChanged(m_labels[Day], u' ' + QString::number(date.day()) + u'.');
    // The system's names are shown in Hungarian where they are English; the lookup takes
    // both, and a system in a third language finds no names.
    const QString month = m_dateNames.monthName(date);
    setTextIfChanged(m_labels[Month], hungarianMonthName(month));
    setTextIfChanged(m_labels[Weekday], hungarianWeekdayName(m_dateNames.weekdayName(date)));
    const NameLookup found = NameDayCalendar::lookup(month, QString::number(date.day()));
    if (found.error == LookupError::None)
        m_names = isLeapDay(date) ? leapDayText() : mainNamesOn(date);
    // The leap day carries no name: it says what it is.
    setTextIfChanged(m_labels[Names],
                     isLeapDay(date) ? m_names : m_names + QStringLiteral(" napja"));
    m_labels[Names]->setToolTip(hoverText(date));
}

QString TodayPanel::hoverText(const QDate &date)
{
    // Users plan a day ahead: tomorrow's names are a hover away, and the day's other names.
    const QDate tomorrow = date.addDays(1);
    const QString next = mainNamesOn(tomorrow);
    QString text = isLeapDay(tomorrow) ? QStringLiteral("Holnap szökőnap, nincs névnap.")
                   : next.isEmpty()    ? QStringLiteral("Holnap nincs névnap.")
                                       : QStringLiteral("Holnap: ") + next;
    if (const QStringList others = otherNamesOn(date); !others.isEmpty())
        text += QStringLiteral("\nEgyéb névnapok ma: ") + others.join(QStringLiteral(", "));
    return text;
}

QString TodayPanel::titleBarLine() const
{
    const QString two = QStringLiteral("  ");
    return m_labels[Year]->text() + u' ' + m_labels[Month]->text() + two + m_labels[Day]->text() +
           two + m_labels[Weekday]->text() + two + m_labels[Time]->text() + two + m_names;
}

} // namespace quill
