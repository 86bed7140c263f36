#include "cutterprotocol.h"
#include "emulatedcutter.h"
#include "registry.h"
#include "usboperate.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

int threadCount()
{
    return QDir(QStringLiteral("/proc/self/task"))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
        .size();
}

QString pathOf(const QString &name)
{
    return QStringLiteral("\\??\\USB#VID_0483&PID_5750#") + name
        + QStringLiteral("#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
}

// Only catches a wait that never ends: a loaded machine may stretch any wait
// many times over, so no test asserts how fast a step is.
const qint64 HangMs = 30000;

} // namespace

class TstUsbOperate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void deviceListFollowsRegistry_data();
    void deviceListFollowsRegistry();
    void listedNameOpensDevice();
    void absentDeviceLeavesReplyAlone();

    void replyBytes_data();
    void replyBytes();
    void silentDeviceTimesOut();
    void lateReplyAfterTimeoutIsKept();
    void unplugDuringReadEndsIt();

    void largeJobGoesInOneWrite();
    void recordsStayWithinTheirLimit();
    void writtenBytes_data();
    void writtenBytes();
    void incompleteWriteIsReported_data();
    void incompleteWriteIsReported();

    void reentrantTransferIsRefused();
    void noThreadsLeftAfterManyTransfers();

    void waitFreePollsUntilFree();
    void waitFreeEndsOnUnplug();
    void waitFreeEndsWhenPollIsNotTaken();
    void waitFreeUnderFaults_data();
    void waitFreeUnderFaults();
    void waitForReadsPastOtherReplies();
    void waitForEndsOnUnplug();
    void transfersEndAfterQuit();

private:
    std::unique_ptr<EmulatedCutter> cutter;
    UsbOperate link;

    void plugOne(const QString &name = QStringLiteral("CUT-1"))
    {
        cutter.reset(new EmulatedCutter(name));
        link.setDevice(cutter->pathName());
    }
};

void TstUsbOperate::initTestCase()
{
    qputenv("VEMO_USB_NO_DEFAULT", "1");
}

void TstUsbOperate::cleanup()
{
    cutter.reset();
    regRemoveKey(cutterRegistryKey());
}

void TstUsbOperate::deviceListFollowsRegistry_data()
{
    QTest::addColumn<QStringList>("registered");
    QTest::addColumn<QStringList>("plugged");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("none") << QStringList() << QStringList() << QStringList();
    QTest::newRow("one") << QStringList { "A1" } << QStringList { "A1" } << QStringList { "A1" };
    QTest::newRow("first slash only")
        << QStringList { "6/B2/x" } << QStringList { "6/B2/x" } << QStringList { "6#B2/x" };
    QTest::newRow("absent left out") << QStringList { "A1", "GONE", "C3" }
                                     << QStringList { "A1", "C3" } << QStringList { "A1", "C3" };
    QTest::newRow("registry order")
        << QStringList { "Z9", "A1", "M5" } << QStringList { "M5", "A1", "Z9" }
        << QStringList { "Z9", "A1", "M5" };
    QTest::newRow("all absent") << QStringList { "A1", "B2" } << QStringList() << QStringList();
}

void TstUsbOperate::deviceListFollowsRegistry()
{
    QFETCH(QStringList, registered);
    QFETCH(QStringList, plugged);
    QFETCH(QStringList, expected);

    // the registry remembers every instance; only plugged ones have a device
    for (const QString &name : registered)
        regAddSubkey(cutterRegistryKey(), name);
    std::vector<std::unique_ptr<EmulatedCutter>> devices;
    for (const QString &name : plugged)
        devices.emplace_back(new EmulatedCutter(name));
    QCOMPARE(link.deviceList(), expected);
}

void TstUsbOperate::listedNameOpensDevice()
{
    EmulatedCutter other(QStringLiteral("5&AB/CD"));
    const QStringList names = link.deviceList();
    QCOMPARE(names, QStringList { "5&AB#CD" });
    link.setDevice(names.first());
    QCOMPARE(link.devicePathText(), pathOf("5&AB#CD"));
    QVERIFY(link.isConnected());
    // listing again, with another cutter about, leaves the chosen device alone
    {
        EmulatedCutter second(QStringLiteral("9&ZZ"));
        QCOMPARE(link.deviceList(), (QStringList { "5&AB#CD", "9&ZZ" }));
        QCOMPARE(link.devicePathText(), pathOf("5&AB#CD"));
    }
    other.unplug();
    QVERIFY(!link.isConnected());
    QVERIFY(link.deviceList().isEmpty());

    // an overlong name is cut to the path buffer, never past it
    link.setDevice(QString(1000, QLatin1Char('x')));
    QCOMPARE(link.devicePathText().size(), 259);
    QVERIFY(!link.isConnected());
}

void TstUsbOperate::absentDeviceLeavesReplyAlone()
{
    plugOne();
    cutter->queueReply("FREE;");
    link.Read(-1);
    QCOMPARE(link.readStr(), QStringLiteral("FREE;"));
    QVERIFY(link.Write(CutterCommand::pageEnd)); // a write leaves the reply alone
    QCOMPARE(link.readStr(), QStringLiteral("FREE;"));
    cutter->unplug();
    QElapsedTimer t;
    t.start();
    QVERIFY(!link.Read(-1));
    QVERIFY(!link.Write(QStringLiteral(";CMD:10;")));
    QVERIFY(t.elapsed() < HangMs);
    QCOMPARE(link.readStr(), QStringLiteral("FREE;"));
}

void TstUsbOperate::replyBytes_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("expected");

    const QByteArray full(64, 'A');
    QTest::newRow("plain") << QByteArray("FREE;") << QStringLiteral("FREE;");
    QTest::newRow("exactly 64 bytes") << full << QString(64, QLatin1Char('A'));
    QTest::newRow("zero after five") << QByteArray("ABCDE\0\0\0XY", 10) << QStringLiteral("ABCDE");
    QTest::newRow("zero first") << QByteArray("\0OK;", 4) << QString();
    QTest::newRow("longer than a packet") << QByteArray(70, 'B') << QString(64, QLatin1Char('B'));
    QTest::newRow("high latin-1") << QByteArray("\xe9\xff\x80;")
                                  << QString::fromLatin1("\xe9\xff\x80;");
}

void TstUsbOperate::replyBytes()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, expected);
    plugOne();
    cutter->addFault({ CutterFault::ReplaceReply, ";CMD:14;", 0, reply, 0, 1 });
    QVERIFY(link.Write(CutterCommand::paperState));
    link.Read(-1);
    QCOMPARE(link.readStr(), expected);
    QCOMPARE(link.readStr().size(), expected.size());
}

void TstUsbOperate::silentDeviceTimesOut()
{
    plugOne();
    cutter->queueReply("OLD;");
    link.Read(-1);
    QElapsedTimer t;
    t.start();
    link.Read(1000);
    const qint64 ms = t.elapsed();
    QVERIFY2(ms >= 950 && ms < HangMs, qPrintable(QString::number(ms)));
    QCOMPARE(link.readStr(), QString());
}

void TstUsbOperate::lateReplyAfterTimeoutIsKept()
{
    plugOne();
    cutter->addFault({ CutterFault::NoReply, ";CMD:103,", 0, {}, 0, 1 });
    QVERIFY(link.Write(CutterCommand::ledIntensity(3000)));
    link.Read(200);
    QCOMPARE(link.readStr(), QString());
    // the answer comes after the read was cancelled: it stays with the device
    // (a read left pending would take it into a buffer that is gone)
    cutter->queueReply("OK;");
    QVERIFY(link.isConnected()); // lets the device deliver what is due
    QCOMPARE(cutter->pendingReplies(), 1);
    link.Read(1000);
    QCOMPARE(link.readStr(), QStringLiteral("OK;"));
    QCOMPARE(cutter->ledLevel(), 3000);
}

void TstUsbOperate::unplugDuringReadEndsIt()
{
    plugOne();
    cutter->addFault({ CutterFault::UnplugDuringRead, {}, 300, {}, 0, 1 });
    QElapsedTimer t;
    t.start();
    QVERIFY(link.Read(-1));
    QVERIFY(t.elapsed() < HangMs);
    QCOMPARE(link.readStr(), QString());
    QVERIFY(!link.isConnected());
}

void TstUsbOperate::largeJobGoesInOneWrite()
{
    plugOne();
    QString job = QStringLiteral("MD0,0,12000,8000,4;IN;PA;SP1;");
    int y = 0;
    while (job.size() < 300 * 1024) {
        job += QStringLiteral("PU%1,0;PD%1,4000,%2,4000;").arg(y).arg(y + 40);
        y += 80;
    }
    job += QStringLiteral("PU;!PG;");
    QVERIFY(link.Write(job));
    const QList<CutterWrite> writes = cutter->writes();
    QCOMPARE(writes.size(), 1);
    QCOMPARE(writes.first().data, job.toLatin1());
    QCOMPARE(link.lastWritten(), job.size());
    const QList<CutterJob> jobs = cutter->jobs();
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.first().header, (QList<int> { 0, 0, 12000, 8000, 4 }));
    QCOMPARE(jobs.first().strokes.size(), y / 80);
    QCOMPARE(jobs.first().strokes.first().points,
        (QVector<QPointF> { { 0, 0 }, { 4000, 0 }, { 4000, 40 } }));
}

void TstUsbOperate::recordsStayWithinTheirLimit()
{
    plugOne();
    cutter->setRecordLimit(4096);
    // a job larger than the limit is cut and counted, without its bytes and strokes
    QString job = QStringLiteral("MD0,0,12000,8000,4;IN;PA;SP1;");
    for (int y = 0; job.size() < 300 * 1024; y += 80)
        job += QStringLiteral("PU%1,0;PD%1,4000;").arg(y);
    QVERIFY(link.Write(job));
    QCOMPARE(cutter->writes().size(), 1);
    QCOMPARE(cutter->writes().first().offered, job.size());
    QVERIFY(cutter->writes().first().data.isEmpty());
    QCOMPARE(cutter->jobs().size(), 1);
    QCOMPARE(cutter->jobs().first().header, (QList<int> { 0, 0, 12000, 8000, 4 }));
    QVERIFY(cutter->jobs().first().strokes.isEmpty() && cutter->jobs().first().text.isEmpty());

    // past the limit the oldest records go first, the newest stay whole
    for (int i = 0; i < 200; ++i)
        QVERIFY(link.Write(QStringLiteral("PU%1,0;").arg(i)));
    const QList<QByteArray> texts = cutter->writtenTexts();
    QVERIFY(texts.size() > 10 && texts.size() < 200);
    for (int k = 0; k < texts.size(); ++k)
        QCOMPARE(texts[k], "PU" + QByteArray::number(200 - texts.size() + k) + ",0;");
    QVERIFY(cutter->jobs().isEmpty());
}

void TstUsbOperate::writtenBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("unchanged, nothing added")
        << QStringLiteral("PU-1000,3480;") << QByteArray("PU-1000,3480;");
    QTest::newRow("up to the first zero")
        << QString::fromUtf8("PU0,0;\0!PG;", 11) << QByteArray("PU0,0;");
    QTest::newRow("utf-8") << QString::fromUtf8("\xc3\x84;") << QByteArray("\xc3\x84;");
}

void TstUsbOperate::writtenBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    plugOne();
    QVERIFY(link.Write(text));
    QCOMPARE(cutter->writtenTexts(), QList<QByteArray> { bytes });
    QCOMPARE(link.lastWritten(), bytes.size());
}

void TstUsbOperate::incompleteWriteIsReported_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("taken");
    QTest::newRow("short") << int(CutterFault::ShortWrite) << 5;
    QTest::newRow("none taken") << int(CutterFault::ShortWrite) << 0;
    QTest::newRow("failed") << int(CutterFault::FailedWrite) << 0;
}

void TstUsbOperate::incompleteWriteIsReported()
{
    QFETCH(int, kind);
    QFETCH(int, taken);
    plugOne();
    cutter->addFault({ CutterFault::Kind(kind), {}, 0, {}, taken, 1 });
    QVERIFY(!link.Write(QStringLiteral("IN;PA;SP1;PU0,0;PD0,400;PU;!PG;")));
    QCOMPARE(link.lastWritten(), taken);
    // the link itself is still usable
    QVERIFY(link.Write(CutterCommand::busyPoll));
    link.Read(-1);
    QCOMPARE(link.readStr(), QStringLiteral("FREE;"));
}

void TstUsbOperate::reentrantTransferIsRefused()
{
    plugOne();
    // the scan is answered only after the inner slot has had its try
    cutter->addFault({ CutterFault::NoReply, ";CMD:101;", 0, {}, 0, 1 });
    cutter->queueReply("BEFORE;");
    link.Read(-1);
    QVERIFY(link.Write(CutterCommand::scanQr));

    bool innerRan = false;
    bool innerWrite = true;
    bool innerRead = true;
    QString innerReply;
    int readsBefore = -1;
    // a slot that runs inside the outer read's wait, like the LED slider
    QTimer::singleShot(100, this, [&] {
        readsBefore = cutter->readsStarted();
        innerWrite = link.Write(CutterCommand::ledIntensity(10));
        innerRead = link.Read(1000);
        innerReply = link.readStr();
        QCOMPARE(cutter->readsStarted(), readsBefore);
        innerRan = true;
        cutter->queueReply("JOB7");
    });
    link.Read(-1);
    QVERIFY(innerRan);
    QVERIFY(!innerWrite);
    // refused at once, without a read of its own at the device
    QVERIFY(!innerRead);
    QCOMPARE(innerReply, QString()); // the outer read had cleared it; the inner one left it
    QCOMPARE(link.readStr(), QStringLiteral("JOB7"));
    for (const QByteArray &w : cutter->writtenTexts())
        QVERIFY(!w.startsWith(";CMD:103,"));
}

void TstUsbOperate::noThreadsLeftAfterManyTransfers()
{
    plugOne();
    // earlier tests' workers may still be on their way out: they only
    // lower the count, so compare with at most the count before
    const int before = threadCount();
    for (int i = 0; i < 150; ++i) {
        QVERIFY(link.Write(CutterCommand::paperState));
        link.Read(-1);
        QCOMPARE(link.readStr(), QStringLiteral("S1:1;S2:0;S3:1;"));
    }
    QTRY_VERIFY_WITH_TIMEOUT(threadCount() <= before, 5000);
}

void TstUsbOperate::waitFreePollsUntilFree()
{
    plugOne();
    cutter->setBusyFor(2500);
    const qint64 start = usbClockMs();
    QVERIFY(link.waitFree());
    const qint64 end = usbClockMs();
    QVERIFY(end - start >= 2500);
    QVERIFY(!cutter->isBusy());
    const QList<CutterWrite> writes = cutter->writes();
    QVERIFY(writes.size() >= 2);
    for (const CutterWrite &w : writes)
        QCOMPARE(w.data, QByteArray(";CMD:10;"));
    QVERIFY2(writes.first().atMs - start >= 950,
        qPrintable(QString::number(writes.first().atMs - start)));
    QCOMPARE(link.readStr(), QStringLiteral("FREE;"));
}

void TstUsbOperate::waitFreeEndsOnUnplug()
{
    plugOne();
    cutter->setBusyFor(1000000);
    QTimer::singleShot(1800, this, [this] { cutter->unplug(); });
    QElapsedTimer t;
    t.start();
    QVERIFY(!link.waitFree());
    QVERIFY(t.elapsed() < HangMs);
    QVERIFY(!cutter->writes().isEmpty());
}

void TstUsbOperate::waitFreeEndsWhenPollIsNotTaken()
{
    plugOne();
    cutter->addFault({ CutterFault::ShortWrite, ";CMD:10;", 0, {}, 3, -1 });
    QElapsedTimer t;
    t.start();
    QVERIFY(!link.waitFree());
    QVERIFY(t.elapsed() < HangMs);
    QCOMPARE(cutter->writes().size(), 1);
}

void TstUsbOperate::waitFreeUnderFaults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("unplugAfterMs");
    QTest::addColumn<bool>("endsFree");

    QTest::newRow("garbage, then free")
        << int(CutterFault::ReplaceReply) << QByteArray("#\xff?\x01") << -1 << true;
    QTest::newRow("64-byte reply, then free")
        << int(CutterFault::ReplaceReply) << QByteArray(64, 'F') << -1 << true;
    QTest::newRow("late reply") << int(CutterFault::LateReply) << QByteArray() << -1 << true;
    QTest::newRow("unplugged at the poll")
        << int(CutterFault::UnplugAtCommand) << QByteArray() << -1 << false;
    QTest::newRow("no reply until unplugged")
        << int(CutterFault::NoReply) << QByteArray() << 1500 << false;
}

void TstUsbOperate::waitFreeUnderFaults()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, reply);
    QFETCH(int, unplugAfterMs);
    QFETCH(bool, endsFree);
    plugOne();
    cutter->addFault({ CutterFault::Kind(kind), ";CMD:10;", 700, reply, 0, 1 });
    if (unplugAfterMs >= 0)
        QTimer::singleShot(unplugAfterMs, this, [this] { cutter->unplug(); });
    QElapsedTimer t;
    t.start();
    QCOMPARE(link.waitFree(), endsFree);
    QVERIFY(t.elapsed() < HangMs);
    QCOMPARE(cutter->isPlugged(), endsFree);
    if (endsFree) {
        QCOMPARE(link.readStr(), QStringLiteral("FREE;"));
        QCOMPARE(cutter->writes().size(), kind == CutterFault::LateReply ? 1 : 2);
    }
}

void TstUsbOperate::waitForReadsPastOtherReplies()
{
    plugOne();
    QVERIFY(link.Write(CutterCommand::busyPoll));
    QVERIFY(link.Write(CutterCommand::feed(400)));
    cutter->queueReply("BUSY;");
    QVERIFY(link.waitFor(QStringLiteral("OK;")));
    QCOMPARE(link.readStr(), QStringLiteral("OK;"));
    QCOMPARE(cutter->readsStarted(), 2); // "FREE;" then "OK;"
    QCOMPARE(cutter->pendingReplies(), 1);
    QCOMPARE(cutter->writes().size(), 2); // waitFor writes nothing
}

void TstUsbOperate::waitForEndsOnUnplug()
{
    plugOne();
    QTimer::singleShot(800, this, [this] { cutter->unplug(); });
    QElapsedTimer t;
    t.start();
    QVERIFY(!link.waitFor(QStringLiteral("OK;")));
    QVERIFY(t.elapsed() < HangMs);
}

void TstUsbOperate::transfersEndAfterQuit()
{
    plugOne();
    cutter->addFault({ CutterFault::LateReply, ";CMD:101;", 300, {}, 0, 1 });
    cutter->setSheets({ QStringLiteral("JOB9") });
    QVERIFY(link.Write(CutterCommand::scanQr));
    // the application is told to quit (its last window closed) while the read waits
    QTimer::singleShot(50, qApp, &QCoreApplication::quit);
    std::atomic<bool> finished { false };
    std::thread watchdog([&finished] {
        for (int i = 0; i < 200 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!finished)
            qFatal("a transfer still waits 10 s after the application was told to quit");
    });
    link.Read(-1);
    const QString reply = link.readStr();
    link.waitFree();
    finished = true;
    watchdog.join();
    QCOMPARE(reply, QStringLiteral("JOB9"));
    QCOMPARE(link.readStr(), QStringLiteral("FREE;"));

    // leave the application as the next test expects: run and leave one event loop
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();
}

QTEST_MAIN(TstUsbOperate)
#include "tst_usboperate.moc"
