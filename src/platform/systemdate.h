#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace quill {

/// The system's own date formatting: full month and weekday names in the language of the
/// regional settings ("December"/"Sunday" on an English system, "december"/"vasárnap" on a
/// Hungarian one).
class SystemDateNames {
public:
    explicit SystemDateNames(QLocale locale = QLocale::system())
        : m_locale(std::move(locale))
    {
    }
    QString monthName(QDate date) const;
    QString weekdayName(QDate date) const;

private:
    QLocale m_locale;
};

} // namespace quill
