#pragma once

// The book of one computer for the sync's tests: its data file, its sync folder, its rounds on the
// tests' fake calendar; and events as other devices write them.

#include "fakecalendar.h"
#include "icalendar/codec.h"
#include "reminders/datafile.h"
#include "sync/calendarsync.h"

#include <QTemporaryDir>
#include <QTest>

namespace quill::test {

inline Reminder meeting(const QString &text, const QString &hour)
{
    return {u"T"_qs, u" "_qs,  u" "_qs, u"*"_qs, u"május"_qs, u"1"_qs,
            hour,    u"00"_qs, u" "_qs, text,    u"1"_qs};
}

// The book of one computer: its data file, its sync folder, its rounds; all in a folder of its
// own, or in `place` (a small disk, a folder another process shares).
struct Computer {
    QTemporaryDir dir;
    QString folder;
    std::unique_ptr<CalendarCodec> codec = makeLibicalCodec();
    std::unique_ptr<ReminderFile> file;
    std::unique_ptr<ReminderSession> session;
    std::unique_ptr<CalendarSync> sync;
    QString calendar;
    LeapDayRule leapDay = LeapDayRule::February28;

    explicit Computer(const QString &url, const QString &place = {})
        : folder(place.isEmpty() ? dir.path() : place)
        , calendar(url)
    {
        reopen();
    }
    QString dataPath() const { return folder + u"/remembers.txt"_qs; }
    QString root() const { return folder + u"/naptar-x"_qs; }
    /// The program started again: the book read from its file.
    void reopen()
    {
        sync.reset();
        session.reset();
        file = std::make_unique<ReminderFile>(dataPath(), folder + u"/state"_qs);
        session = std::make_unique<ReminderSession>(*file);
        session->load();
        sync = std::make_unique<CalendarSync>(*session, *codec, root());
        caldav::ClientLimits limits;
        limits.silenceMs = 1500;
        sync->client().setLimits(limits);
    }
    void add(const Reminder &r)
    {
        session->store(r);
        QVERIFY(session->save().ok());
    }
    SyncReport round()
    {
        std::optional<SyncReport> out;
        QObject::connect(sync.get(), &CalendarSync::finished, sync.get(),
                         [&out](const SyncReport &r) { out = r; });
        sync->start({calendar, {}, {}, {}, leapDay}, QDate(2026, 12, 7));
        if (!QTest::qWaitFor([&out] { return out.has_value(); }, 20000))
            return {};
        sync->disconnect();
        return *out;
    }
    QStringList texts() const
    {
        QStringList out;
        for (int r = 0; r < ReminderRows; ++r) {
            if (session->table().inUse(r))
                out << session->table().row(r).freeText().trimmed();
        }
        out.sort();
        return out;
    }
    int rowOf(const QString &text) const
    {
        for (int r = 0; r < ReminderRows; ++r) {
            if (session->table().inUse(r) && session->table().row(r).freeText().trimmed() == text)
                return r;
        }
        return -1;
    }
};

// An event as a phone writes it: no property of the program's own.
inline QByteArray phoneEvent(const QByteArray &uid, const QByteArray &summary,
                             const QByteArray &extra = {})
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Telefon//HU\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTAMP:20261201T100000Z\r\nDTSTART:20270501T100000\r\nRRULE:FREQ=YEARLY\r\n"
           "SUMMARY:" +
           summary + "\r\n" + extra + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

// The same item as another device writes it back: its text changed, its UID kept.
inline QByteArray edited(QByteArray data, const QByteArray &from, const QByteArray &to)
{
    return data.replace(from, to);
}

} // namespace quill::test
