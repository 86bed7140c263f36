// The QR window's run under faults of the cutter, opened from the bar: the
// run ends with its idle caption, a failed step is reported as such and its
// sheet is not counted.
#include "roadkit.h"

#include "joblink.h"

#include <QLabel>
#include <QSpinBox>

class TstQrFaults : public RoadSuite
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        JobLink::setDefaultReplyLimitMs(1000);
        freshWorkFolder();
        rec.install();
        road.open(QStringLiteral("QRFAULT-1"));
    }
    void init()
    {
        cutter->clearFaults();
        cutter->plug();
        cutter->clearRecords();
        rec.messages.clear();
    }
    void cleanupTestCase()
    {
        road.close();
        Recorder::uninstall();
    }

    void qrSweep_data();
    void qrSweep();
};

void TstQrFaults::qrSweep_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("status"); // "All Done!" and only it counts the sheet
    QTest::addColumn<int>("delayMs");
    const int unplug = CutterFault::UnplugAtCommand, silent = CutterFault::NoReply,
              odd = CutterFault::ReplaceReply, lost = CutterFault::FailedWrite,
              late = CutterFault::LateReply;
    const char *gone = "Connect Error!!!", *noReply = "No Reply", *done = "All Done!",
               *notTaken = "Did Not Take";
    const struct
    {
        const char *name;
        int kind;
        const char *command;
        const char *status;
    } rows[] = { { "paper: unplugged", unplug, ";CMD:14;", gone },
        { "paper: no reply", silent, ";CMD:14;", noReply },
        { "paper: garbage", odd, ";CMD:14;", done },
        { "feed: unplugged", unplug, ";CMD:20,", gone },
        { "feed: no reply", silent, ";CMD:20,", noReply },
        { "feed: garbage", odd, ";CMD:20,", done }, { "move: not taken", lost, "PU", notTaken },
        { "scan: no reply", silent, ";CMD:101;", noReply },
        // an unreadable code ends the sheet uncut; the sheet still counts
        { "scan: garbage", odd, ";CMD:101;", done }, { "job: not taken", lost, "MD0,0,", notTaken },
        { "poll: unplugged", unplug, ";CMD:10;", gone },
        { "poll: no reply", silent, ";CMD:10;", noReply },
        { "poll: garbage", odd, ";CMD:10;", done } };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.kind << QByteArray(r.command) << QString(r.status) << 0;
    // answered when a feed longer than the reply limit ends
    QTest::newRow("feed: long") << late << QByteArray(";CMD:20,") << QString(done) << 2000;
}

void TstQrFaults::qrSweep()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, command);
    QFETCH(QString, status);
    QFETCH(int, delayMs);
    const bool counted = status == "All Done!";
    const QByteArray reply
        = kind == CutterFault::ReplaceReply ? QByteArray("#~@&*(?)") : QByteArray();
    QWidget *qr = road.qrWindowOn("1001", 1);
    cutter->setSheets({ "1001" });
    cutter->addFault({ CutterFault::Kind(kind), command, delayMs, reply, 0, 1 });

    press(qr, "startBtn");
    QFile::remove(qrJobsFolder() + "1001.plt");
    auto *start = child<QPushButton>(qr, "startBtn");
    QCOMPARE(start->text(), QStringLiteral("Start"));
    QVERIFY(start->isEnabled() && child<QPushButton>(qr, "autoOffset")->isEnabled());
    const QString shown = child<QLabel>(qr, "currState")->text();
    QVERIFY2(shown.contains(status), qPrintable(shown));
    QCOMPARE(child<QSpinBox>(qr, "sendCount")->value(), counted ? 0 : 1);
    QVERIFY(cutter->jobs().size() <= int(counted));
    QVERIFY(rec.messages.isEmpty());
    QCOMPARE(strayFiles(), QStringList());
    qr->hide();
}

QTEST_MAIN(TstQrFaults)
#include "tst_qrfaults.moc"
