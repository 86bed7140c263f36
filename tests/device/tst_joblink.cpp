#include "emulatedcutter.h"
#include "joblink.h"
#include "registry.h"
#include "usboperate.h"

#include <QtTest>

#include <memory>

class TstJobLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("VEMO_USB_NO_DEFAULT", "1"); }
    void cleanup()
    {
        cutter.reset();
        regRemoveKey(cutterRegistryKey());
    }

    void stepFailures_data();
    void stepFailures();
    void oneRunPerDevice();

private:
    std::unique_ptr<EmulatedCutter> cutter;
};

void TstJobLink::stepFailures_data()
{
    QTest::addColumn<int>("fault"); // -1: none
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("step"); // 0 request, 1 waitFree, 2 waitFor
    QTest::addColumn<int>("failure");

    QTest::newRow("answered") << -1 << QByteArray() << 0 << int(JobLink::None);
    QTest::newRow("silent") << int(CutterFault::NoReply) << QByteArray() << 0
                            << int(JobLink::NoAnswer);
    QTest::newRow("short write") << int(CutterFault::ShortWrite) << QByteArray() << 0
                                 << int(JobLink::NotTaken);
    QTest::newRow("unplugged at the command")
        << int(CutterFault::UnplugAtCommand) << QByteArray() << 0 << int(JobLink::Gone);
    QTest::newRow("free") << -1 << QByteArray() << 1 << int(JobLink::None);
    QTest::newRow("unplugged while busy")
        << int(CutterFault::UnplugAtCommand) << QByteArray() << 1 << int(JobLink::Gone);
    QTest::newRow("poll never answered")
        << int(CutterFault::NoReply) << QByteArray() << 1 << int(JobLink::NoAnswer);
    QTest::newRow("feed answered") << -1 << QByteArray() << 2 << int(JobLink::None);
    QTest::newRow("feed never answered")
        << int(CutterFault::NoReply) << QByteArray() << 2 << int(JobLink::NoAnswer);
}

void TstJobLink::stepFailures()
{
    QFETCH(int, fault);
    QFETCH(int, step);
    QFETCH(int, failure);

    cutter.reset(new EmulatedCutter(QStringLiteral("JL-1")));
    UsbOperate usb;
    usb.setDevice(cutter->pathName());
    // a reply left from earlier must never pass for this step's answer
    usb.Write(QStringLiteral(";CMD:10;"));
    usb.Read(1000);
    QCOMPARE(usb.readStr(), QStringLiteral("FREE;"));

    const QByteArray command = step == 2 ? QByteArray(";CMD:20,100;") : QByteArray(";CMD:10;");
    if (fault >= 0)
        cutter->addFault({ CutterFault::Kind(fault), command, 0, {}, 0, -1 });

    JobLink link(usb, 1500);
    QVERIFY(link.claimed());
    bool ok = false;
    QString reply;
    if (step == 0) {
        ok = link.request(QStringLiteral(";CMD:10;"), &reply);
    } else if (step == 1) {
        ok = link.waitFree();
    } else {
        ok = link.write(QString::fromLatin1(command)) && link.waitFor(QStringLiteral("OK;"));
    }
    QCOMPARE(int(link.failure()), failure);
    QCOMPARE(ok, failure == JobLink::None);
    if (step == 0)
        QCOMPARE(reply.isEmpty(), !ok);
}

void TstJobLink::oneRunPerDevice()
{
    cutter.reset(new EmulatedCutter(QStringLiteral("JL-2")));
    UsbOperate a, b;
    a.setDevice(cutter->pathName());
    b.setDevice(cutter->pathName());
    {
        JobLink first(a);
        JobLink second(b);
        QVERIFY(first.claimed());
        QVERIFY(!second.claimed());
        QVERIFY(!second.write(QStringLiteral(";CMD:10;")));
        QCOMPARE(int(second.failure()), int(JobLink::Busy));
        QVERIFY(cutter->writes().isEmpty());
    }
    JobLink again(b);
    QVERIFY(again.claimed());
    // moved to another device, the run lets the first one go
    EmulatedCutter other(QStringLiteral("JL-3"));
    QVERIFY(again.on(other.pathName()).claimed());
    QVERIFY(JobLink(a).claimed());
}

QTEST_GUILESS_MAIN(TstJobLink)
#include "tst_joblink.moc"
