// The QR window's run under faults of the cutter, opened from the bar: the
// run ends with its idle caption, a failed step is reported as such and its
// sheet is not counted.
#include "roadkit.h"

#include "emulatedcutter.h"
#include "joblink.h"
#include "pluginmw.h"
#include "registry.h"

#include <QLabel>
#include <QSpinBox>

#include <memory>

class TstQrFaults : public QObject
{
    Q_OBJECT

    Recorder rec;
    Road road;
    std::unique_ptr<EmulatedCutter> &cutter = road.cutter;
    std::unique_ptr<PluginMW> &bar = road.bar;

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
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("counted");
    QTest::addColumn<QString>("status");
    const QByteArray garbage = "#~@&*(?)";
    const int unplug = CutterFault::UnplugAtCommand, silent = CutterFault::NoReply,
              odd = CutterFault::ReplaceReply, lost = CutterFault::FailedWrite;
    const QString gone = "Connect Error!!!", noReply = "No Reply", done = "All Done!",
                  notTaken = "Did Not Take";
    QTest::newRow("paper: unplugged")
        << unplug << QByteArray(";CMD:14;") << QByteArray() << false << gone;
    QTest::newRow("paper: no reply")
        << silent << QByteArray(";CMD:14;") << QByteArray() << false << noReply;
    QTest::newRow("paper: garbage") << odd << QByteArray(";CMD:14;") << garbage << true << done;
    QTest::newRow("feed: unplugged")
        << unplug << QByteArray(";CMD:20,") << QByteArray() << false << gone;
    QTest::newRow("feed: no reply")
        << silent << QByteArray(";CMD:20,") << QByteArray() << false << noReply;
    QTest::newRow("feed: garbage") << odd << QByteArray(";CMD:20,") << garbage << true << done;
    QTest::newRow("move: not taken")
        << lost << QByteArray("PU") << QByteArray() << false << notTaken;
    QTest::newRow("scan: no reply")
        << silent << QByteArray(";CMD:101;") << QByteArray() << false << noReply;
    // an unreadable code ends the sheet uncut; the sheet still counts
    QTest::newRow("scan: garbage") << odd << QByteArray(";CMD:101;") << garbage << true << done;
    QTest::newRow("job: not taken")
        << lost << QByteArray("MD0,0,") << QByteArray() << false << notTaken;
    QTest::newRow("poll: unplugged")
        << unplug << QByteArray(";CMD:10;") << QByteArray() << false << gone;
    QTest::newRow("poll: garbage") << odd << QByteArray(";CMD:10;") << garbage << true << done;
}

void TstQrFaults::qrSweep()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(bool, counted);
    QFETCH(QString, status);
    QWidget *qr = road.qrWindowOn("1001", 1);
    cutter->setSheets({ "1001" });
    cutter->addFault({ CutterFault::Kind(kind), command, 0, reply, 0, 1 });

    press(qr, "startBtn");
    QFile::remove(workFolder() + "QR Jobs/1001.plt");
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
