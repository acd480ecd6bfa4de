#include "icalendar/codec.h"
#include "icalendar/events.h"
#include "sync/listing.h"

#include <QRegularExpression>
#include <QTest>

using namespace quill;

namespace {

// A row as rows are compared: without its place in the file.
QString compared(const QString &line)
{
    std::optional<Reminder> r = reminderOfLine(line);
    if (!r)
        return {};
    r->setField(Field::RowNumber, QString());
    return rowLine(*r);
}

// The program's event of `line`, as the calendar holds it after the program wrote it.
QByteArray ownEvent(const QString &line, CalendarCodec &codec)
{
    const std::optional<Reminder> r = reminderOfLine(line);
    if (!r)
        return {};
    const auto event = eventOfReminder(*r, u"u-1@quillomat"_qs, QDate(2026, 12, 7));
    if (!event)
        return {};
    return codec.write({*event}, u"Emlékeztetők"_qs, QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
}

// The event written back the way phone programs write: every property of the program's own
// dropped (the categories too with `categories`), then each "FROM=>TO" replacement made (a
// line added before END:VEVENT with an empty FROM).
QByteArray phoneWrite(QByteArray ics, bool categories, const QStringList &changes)
{
    static const QRegularExpression own(QStringLiteral("^X-[^\\n]*\\n(?: [^\\n]*\\n)*"),
                                        QRegularExpression::MultilineOption);
    static const QRegularExpression category(QStringLiteral("^CATEGORIES[:;][^\\n]*\\n"),
                                             QRegularExpression::MultilineOption);
    QString text = QString::fromUtf8(ics).remove(own);
    if (categories)
        text.remove(category);
    for (const QString &change : changes) {
        const QStringList parts = change.split(u"=>"_qs);
        if (parts[0].isEmpty())
            text.replace(u"END:VEVENT"_qs, parts[1] + u"\r\nEND:VEVENT"_qs);
        else
            text.replace(QRegularExpression(parts[0]), parts[1]);
    }
    return text.toUtf8();
}

} // namespace

// What a phone does to the program's events, read back against the row both sides agreed on:
// the kind, its dates and its switch stay; an alarm moves the alert, not the occasion; a call-off
// switches the reminder off; a retyped title goes into the row's texts.
class TestPhoneWrites : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readBack_data();
    void readBack();
};

void TestPhoneWrites::readBack_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("categories");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("expected");
    const QString nameDay = u"n|Tóth|Kristóf|*|március|15|08|00| március 15.| |1|0|"_qs;
    const QString birthdayOff = u"s|Szabó|Anna|*|június|3|07|00|június 3.| |0|0|"_qs;
    const QString meeting =
        u"t|Fogorvos|Pécs|2027|április|20|13|30|2027. április 20. 14:00| |1|0|"_qs;
    QTest::newRow("name day, own properties dropped")
        << nameDay << false << QStringList{} << nameDay;
    QTest::newRow("name day, categories dropped too")
        << nameDay << true << QStringList{} << nameDay;
    QTest::newRow("birthday switched off, all dropped")
        << birthdayOff << true << QStringList{} << birthdayOff;
    QTest::newRow("birthday retyped")
        << birthdayOff << true
        << QStringList{u"SUMMARY:.*\r=>SUMMARY:Születésnap: Szabó Anna Mária\r"_qs}
        << u"s|Szabó|Anna Mária|*|június|3|07|00|június 3.| |0|0|"_qs;
    QTest::newRow("meeting, alarm 15 minutes before")
        << meeting << false << QStringList{u"TRIGGER[^\r]*\r=>TRIGGER:-PT15M\r"_qs}
        << u"t|Fogorvos|Pécs|2027|április|20|13|45|2027. április 20. 14:00| |1|0|"_qs;
    QTest::newRow("meeting called off")
        << meeting << true << QStringList{u"=>STATUS:CANCELLED"_qs}
        << u"t|Fogorvos|Pécs|2027|április|20|13|30|2027. április 20. 14:00| |0|0|"_qs;
}

void TestPhoneWrites::readBack()
{
    QFETCH(QString, row);
    QFETCH(bool, categories);
    QFETCH(QStringList, changes);
    QFETCH(QString, expected);
    const auto codec = makeLibicalCodec();
    const QByteArray mine = ownEvent(row, *codec);
    QVERIFY(mine.contains("X-QUILLOMAT-ROW"));
    const QByteArray phone = phoneWrite(mine, categories, changes);
    QVERIFY2(!phone.contains("X-QUILLOMAT") && phone != mine, phone.constData());
    QCOMPARE(phone.contains("CATEGORIES"), !categories);
    Agreement agreed;
    agreed.calendar = u"https://naptar.example/anna/"_qs;
    agreed.entries.insert(u"u-1@quillomat"_qs, {u"/anna/u-1.ics"_qs, u"e1"_qs, compared(row)});
    const auto item =
        listedItem(u"/anna/u-1.ics"_qs, u"e2"_qs, phone, *codec, LeapDayRule::February28, agreed);
    QVERIFY(item);
    QVERIFY2(item->line, qPrintable(item->problem));
    QCOMPARE(*item->line, compared(expected));
}

QTEST_GUILESS_MAIN(TestPhoneWrites)
#include "tst_phonewrites.moc"
