#include "reminders/datafile.h"
#include "sync/calendarsync.h"
#include "sync/mirror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QTest>

using namespace quill;

class TestSync : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What a round tells, cut short when it is long.
    void reportText()
    {
        SyncReport report;
        report.ok = true;
        QCOMPARE(syncReportText(report), QString());
        for (int i = 1; i <= 40; ++i)
            report.leftOut << u"Sok %1"_qs.arg(i);
        const QStringList lines = syncReportText(report).split(u'\n');
        QCOMPARE(lines.size(), 1 + 15 + 1);
        QCOMPARE(lines.at(15), u"Sok 15"_qs);
        QCOMPARE(lines.last(), u"… és még 25 bejegyzés"_qs);
        ImportPlan plan;
        for (int i = 1; i <= 40; ++i) {
            plan.adding << ImportPlan::Entry{};
            plan.adding.last().line = u"Új %1"_qs.arg(i);
            plan.leftOut << u"Kimaradó %1"_qs.arg(i);
        }
        const QStringList asked = importQuestion(plan).split(u'\n');
        QCOMPARE(asked.size(), 1 + 15 + 1 + 1 + 1 + 15 + 1);
        QCOMPARE(asked.at(16), u"… és még 25."_qs);
        QCOMPARE(asked.last(), u"… és még 25."_qs);
        report.ok = false;
        report.error = u"betelt a lemez"_qs;
        QVERIFY(syncReportText(report).contains(u"nem sikerült: betelt a lemez."_qs));
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
