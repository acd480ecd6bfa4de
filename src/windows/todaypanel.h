#pragma once

#include "platform/systemdate.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <array>

class QLabel;
class QWidget;

namespace quill {

/// Today's panel at the top of the main window (`Label1_0` .. `Label1_5`): the year, month, day,
/// weekday, time and names of the day, kept current by the clock's step.
class TodayPanel final : public QObject {
    Q_OBJECT
public:
    /// The labels are made on `window`; `menuOpener` watches them for the right mouse button.
    TodayPanel(QWidget *window, SystemDateNames dateNames, QObject *menuOpener);

    /// The clock's step: the time, and the whole day when the date differs from the one shown
    /// (midnight, or a sleep through it).
    void tick(const QDateTime &now);
    /// The title-bar view's title: the panel in one line.
    QString titleBarLine() const;
    QString weekday() const;
    const QString &names() const { return m_names; }
    /// The panel in one sentence, as a screen reader reads it.
    QString spokenDay(const QTime &time) const;

private:
    /// The design's numbering of the labels.
    enum Piece : std::size_t { Month = 0, Weekday, Time, Names, Year, Day };
    void showDay(const QDate &date);
    static QString hoverText(const QDate &date);

    SystemDateNames m_dateNames;
    std::array<QLabel *, 6> m_labels{};
    QDate m_shownDate;
    QString m_names;
};

} // namespace quill
