#include "systemdate.h"

namespace quill {

QString SystemDateNames::monthName(QDate date) const
{
    return m_locale.monthName(date.month(), QLocale::LongFormat);
}

QString SystemDateNames::weekdayName(QDate date) const
{
    return m_locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
}

} // namespace quill
