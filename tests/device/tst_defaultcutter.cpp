#include "cutterprotocol.h"
#include "emulatedcutter.h"
#include "usboperate.h"
#include "workfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QtTest>

// The program finds one cutter by default on this platform, with paper and
// sheets whose codes match job files; a test's own cutter replaces it.
class TstDefaultCutter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void defaultCutterIsPluggedIn();
    void sheetsFollowFiling_data();
    void sheetsFollowFiling();
    void ownCutterWithdrawsIt();
};

void TstDefaultCutter::initTestCase()
{
    qunsetenv("VEMO_USB_NO_DEFAULT");
    QVERIFY(QDir().mkpath(qrJobsFolder()));
}

void TstDefaultCutter::defaultCutterIsPluggedIn()
{
    UsbOperate link;
    const QStringList names = link.deviceList();
    QCOMPARE(names.size(), 1);
    QVERIFY(EmulatedCutter::defaultCutter());
    link.setDevice(names.first());
    QVERIFY(link.isConnected());

    link.Write(CutterCommand::paperState);
    link.Read(-1);
    QVERIFY(!CutterCommand::noPaper(link.readStr()));
}

// The sheets carry the jobs as the user filed them, the last one on top:
// a job filed and then selected is the one cut. Steps: "file X" files job X
// ten seconds after the one before ("file X same": at the same time), "cut
// X" scans the sheet on top, which must read X, and ends the page.
void TstDefaultCutter::sheetsFollowFiling_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("newest first") << QStringList { "file 10000001", "file 10000006", "cut 10000006",
        "cut 10000001" };
    QTest::newRow("names do not count")
        << QStringList { "file Q-0002", "file Q-0001", "cut Q-0001", "cut Q-0002" };
    QTest::newRow("filed at once: the higher number")
        << QStringList { "file 7", "file 8 same", "cut 8", "cut 7" };
    QTest::newRow("filed between two sheets")
        << QStringList { "file 1", "file 2", "cut 2", "file 3", "cut 3", "cut 1" };
}

void TstDefaultCutter::sheetsFollowFiling()
{
    QFETCH(QStringList, steps);
    const QString jobs = qrJobsFolder();
    QDir(jobs).removeRecursively();
    QVERIFY(QDir().mkpath(jobs));
    EmulatedCutter *cutter = EmulatedCutter::defaultCutter();
    QVERIFY(cutter);
    cutter->setSheets({});
    UsbOperate link;
    link.setDevice(cutter->instanceName());
    QVERIFY(link.isConnected());

    QDateTime filedAt = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString &step : steps) {
        const QStringList words = step.split(' ');
        if (words[0] == "file") {
            if (words.value(2) != "same")
                filedAt = filedAt.addSecs(10);
            QFile f(jobs + words[1] + QStringLiteral(".plt"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("MD0,0,8000,6000,5;IN;PA;SP1;PU;SP2;PU0,0;PD0,400;PU;!PG;");
            QVERIFY(f.flush());
            QVERIFY(f.setFileTime(filedAt, QFileDevice::FileModificationTime));
        } else {
            link.Write(CutterCommand::scanQr);
            link.Read(-1);
            QCOMPARE(link.readStr(), words[1]);
            link.Write(CutterCommand::pageEnd);
        }
    }
}

void TstDefaultCutter::ownCutterWithdrawsIt()
{
    EmulatedCutter own(QStringLiteral("MINE"));
    QVERIFY(!EmulatedCutter::defaultCutter());
    UsbOperate link;
    QCOMPARE(link.deviceList(), QStringList { "MINE" });
}

QTEST_MAIN(TstDefaultCutter)
#include "tst_defaultcutter.moc"
