#include "cutterprotocol.h"
#include "emulatedcutter.h"
#include "usboperate.h"
#include "workfolder.h"

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
    void ownCutterWithdrawsIt();
};

void TstDefaultCutter::initTestCase()
{
    qunsetenv("VEMO_USB_NO_DEFAULT");
    const QString jobs = workFolder() + QStringLiteral("QR Jobs/");
    QVERIFY(QDir().mkpath(jobs));
    for (const QString &code : { QStringLiteral("Q-0002"), QStringLiteral("Q-0001") }) {
        QFile f(jobs + code + QStringLiteral(".plt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("MD0,0,8000,6000,5;IN;PA;SP1;PU;SP2;PU0,0;PD0,400;PU;!PG;");
    }
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
    link.Write(CutterCommand::scanQr);
    link.Read(-1);
    QCOMPARE(link.readStr(), QStringLiteral("Q-0001"));
    link.Write(CutterCommand::pageEnd);
    link.Write(CutterCommand::scanQr);
    link.Read(-1);
    QCOMPARE(link.readStr(), QStringLiteral("Q-0002"));
    QVERIFY(QFile::exists(
        workFolder() + QStringLiteral("QR Jobs/") + link.readStr() + QStringLiteral(".plt")));
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
