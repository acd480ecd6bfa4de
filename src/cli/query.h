#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// The nevnap command's understanding of what people type: names in any case and with or without
// accents, dates in the ways Hungarians and computers write them, and a few words for the days
// people ask about most.
namespace quill::nevnap {

/// What the command prints and how it ends.
struct Answer {
    int exitCode = 0;
    QString out; ///< standard output
    QString err; ///< standard error
};

/// The name of either calendar whose folded spelling matches the folded text, spelled as the
/// calendar spells it.
std::optional<QString> findName(const QString &typed);

/// The name's days with full month names: "augusztus 15. szeptember 8. ..." (a main name's
/// main days; a leap-year day told beside: "február 24. (szökőévben február 25.)").
QString fullDates(const QString &name);

/// A month number 1-12 from a month name, Hungarian or English, in any case, accents optional,
/// whole or cut short from three letters on ("márc", "szept", "Mar").
int monthNumber(const QString &text);

/// The first names closest to an unknown one, best first, at most three.
QStringList nearestNames(const QString &typed);

/// A text fit to be echoed to a terminal: control characters written as \xNN.
QString printable(const QString &text);

/// A date read from what was typed (one argument or several, joined by blanks): a month name and
/// a day in either order, with or without "."; YYYY-MM-DD, MM-DD, YYYY.MM.DD., MM.DD.
struct DateRead {
    enum class Result { NotADate, Date, BadMonth, BadDay, NoDay };
    Result result = Result::NotADate;
    int month = 0, day = 0;
    int year = 0; ///< 0: none given
};
DateRead readDate(const QString &typed);

/// What the command writes into a file (--ical FILE), done by the caller; empty `path` for none.
struct FileToWrite {
    QByteArray path; ///< exactly as the command line gave it
    QByteArray bytes;
    bool overwrite = false; ///< --force
};

/// What --contacts takes from the program's settings when the command line does not say.
struct ContactsDefaults {
    QString source;
    bool leapDayOnMarch1 = false;
};

/// The answer to a command line (the arguments after the command's name) on `today`. `raw` holds
/// the same arguments as the command line's own bytes, so a file name is used as it was given.
Answer answer(const QStringList &arguments, const QDate &today, const QList<QByteArray> &raw = {},
              FileToWrite *file = nullptr, const ContactsDefaults &contactsDefaults = {});

/// The usage text, every form listed.
QString usage();

} // namespace quill::nevnap
