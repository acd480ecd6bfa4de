#pragma once

// Rows and moments for the alert rules' tests.

#include "reminders/table.h"

#include <QDateTime>

namespace quill::testing {

inline Reminder row(const QString &kind, const QString &y, const QString &mo, const QString &d,
                    const QString &h, const QString &mi, const QString &t1 = u"Kiss"_qs,
                    const QString &t2 = u"Ábel"_qs, const QString &when = u"január 2."_qs,
                    const QString &text = u" "_qs)
{
    return {kind, t1, t2, y, mo, d, h, mi, when, text, u"1"_qs, u"0"_qs};
}

inline QDateTime at(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

} // namespace quill::testing
