#include "cuttergeometry.h"
#include "cutterprotocol.h"
#include "emulatedcutter.h"
#include "registry.h"
#include "usboperate.h"

#include <QtTest>

#include <memory>

class TstCutterProtocol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void commandTexts_data();
    void commandTexts();
    void paperReply_data();
    void paperReply();
    void camOffsetReply_data();
    void camOffsetReply();
    void timedWaitKeepsEventsFlowing();

    void cutterAnswers_data();
    void cutterAnswers();
    void sheetsAdvanceOnPageEnd();
    void oneReplyPerCommand();
    void jobIsParsedBack();

private:
    std::unique_ptr<EmulatedCutter> cutter;
    UsbOperate link;

    QString ask(const QString &command)
    {
        link.Write(command);
        link.Read(1000);
        return link.readStr();
    }
};

void TstCutterProtocol::initTestCase()
{
    qputenv("VEMO_USB_NO_DEFAULT", "1");
}

void TstCutterProtocol::cleanup()
{
    cutter.reset();
    regRemoveKey(cutterRegistryKey());
}

void TstCutterProtocol::commandTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    using namespace CutterCommand;
    using namespace CutterGeometry;
    using namespace CutterFirmware;
    const double pu = Units::plotterUnitsPerMm;
    QTest::newRow("busy poll") << busyPoll << ";CMD:10;";
    QTest::newRow("paper") << paperState << ";CMD:14;";
    QTest::newRow("feed qr job") << feed(8000 + qrFeedMargin) << ";CMD:20,10400;";
    QTest::newRow("feed negative") << feed(-5) << ";CMD:20,-5;";
    QTest::newRow("move marks") << moveTo(headY + 600, headX - 8400 / 2 + 400) << "PU-900,2680;";
    QTest::newRow("move qr label") << moveTo(qrLabelY, headX - 6001 / 2) << "PU-1000,3480;";
    QTest::newRow("blank move whole")
        << moveTo(headY + (1.0 + 0.5) * pu, (headX - 8401 / 2) + (0 + 0.25) * pu)
        << "PU-1440,2290;";
    QTest::newRow("blank move half")
        << moveTo(-1440.0, (headX - 8401 / 2) + (0 + 0.0125) * pu) << "PU-1440,2280.5;";
    QTest::newRow("origin") << origin << "PU0,0;";
    QTest::newRow("scan") << scanQr << ";CMD:101;";
    QTest::newRow("page end") << pageEnd << "!PG;";
    QTest::newRow("led") << ledIntensity(3000) << ";CMD:103,3000;";
    QTest::newRow("find mark") << findMark << ";CMD:106;";
    QTest::newRow("ask offset") << camOffset << ";CMD:200;";
    QTest::newRow("store offset") << setCamOffset(nominalCamOffsetA, nominalCamOffsetB - 2.5)
                                  << ";CMD:201,1.5,24.8;";
    QTest::newRow("store offset small")
        << setCamOffset(0.0000123, -1234567.0) << ";CMD:201,1.23e-05,-1.23457e+06;";
    QTest::newRow("blank start") << blankStart << ";CMD:202;";
}

void TstCutterProtocol::commandTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TstCutterProtocol::paperReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("noPaper");
    QTest::newRow("in the middle") << "S1:1;S3:0;S4:1;" << true;
    QTest::newRow("paper loaded") << "S1:1;S2:0;S3:1;" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("lower case") << "s3:0;" << false;
    QTest::newRow("without semicolon") << "S3:0" << false;
}

void TstCutterProtocol::paperReply()
{
    QFETCH(QString, reply);
    QFETCH(bool, noPaper);
    QCOMPARE(CutterCommand::noPaper(reply), noPaper);
}

void TstCutterProtocol::camOffsetReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "X=1.5,Y=27.3;" << 1.5 << 27.3 << true;
    QTest::newRow("negative") << "X=-0.25,Y=-3;" << -0.25 << -3.0 << true;
    QTest::newRow("not numbers") << "X=a,Y=b;" << 0.0 << 0.0 << false;
    QTest::newRow("garbage") << "?" << 0.0 << 0.0 << false;
    QTest::newRow("busy") << "BUSY;" << 0.0 << 0.0 << false;
    QTest::newRow("y missing") << "X=1.5,;" << 1.5 << 0.0 << false;
    QTest::newRow("empty") << "" << 0.0 << 0.0 << false;
}

void TstCutterProtocol::camOffsetReply()
{
    QFETCH(QString, reply);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(bool, valid);
    double gotX = -1, gotY = -1;
    QCOMPARE(CutterCommand::camOffsetFromReply(reply, &gotX, &gotY), valid);
    QCOMPARE(gotX, x);
    QCOMPARE(gotY, y);
}

void TstCutterProtocol::timedWaitKeepsEventsFlowing()
{
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);
    QElapsedTimer t;
    t.start();
    timedWait(500);
    QVERIFY(t.elapsed() >= 500);
    QVERIFY(ticks >= 5); // the window would have stayed live
}

void TstCutterProtocol::cutterAnswers_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("paper");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free") << ";CMD:10;" << true << "FREE;";
    QTest::newRow("paper") << ";CMD:14;" << true << "S1:1;S2:0;S3:1;";
    QTest::newRow("no paper") << ";CMD:14;" << false << "S1:1;S2:0;S3:0;";
    QTest::newRow("feed") << ";CMD:20,400;" << true << "OK;";
    QTest::newRow("scan") << ";CMD:101;" << true << "A-17";
    QTest::newRow("led") << ";CMD:103,3000;" << true << "OK;";
    QTest::newRow("mark") << ";CMD:106;" << true << "X=320,Y=240,D=100;";
    QTest::newRow("offset") << ";CMD:200;" << true << "X=1.5,Y=27.3;";
    QTest::newRow("store offset") << ";CMD:201,2,24.8;" << true << "OK;";
    QTest::newRow("blank start") << ";CMD:202;" << true << "OK;";
}

void TstCutterProtocol::cutterAnswers()
{
    QFETCH(QString, command);
    QFETCH(bool, paper);
    QFETCH(QString, expected);
    cutter.reset(new EmulatedCutter(QStringLiteral("P1")));
    cutter->setPaper(paper);
    cutter->setSheets({ QStringLiteral("A-17") });
    link.setDevice(QStringLiteral("P1"));
    QCOMPARE(ask(command), expected);
}

void TstCutterProtocol::sheetsAdvanceOnPageEnd()
{
    cutter.reset(new EmulatedCutter(QStringLiteral("P1")));
    link.setDevice(QStringLiteral("P1"));
    cutter->setSheets({ QStringLiteral("A1"), QString(), QStringLiteral("A3") });
    QCOMPARE(ask(CutterCommand::scanQr), QStringLiteral("A1"));
    QCOMPARE(ask(CutterCommand::scanQr), QStringLiteral("A1"));
    link.Write(QStringLiteral("MD0,0,100,100,4;IN;PA;SP1;PU0,0;PD0,40;PU;SP2;PU;!PG;"));
    QCOMPARE(ask(CutterCommand::scanQr), QStringLiteral("NOQR;")); // unreadable label
    link.Write(CutterCommand::pageEnd);
    QCOMPARE(ask(CutterCommand::scanQr), QStringLiteral("A3"));
    link.Write(CutterCommand::pageEnd);
    QCOMPARE(ask(CutterCommand::scanQr), QStringLiteral("NOQR;"));

    cutter->setMarkReply(QByteArray());
    QCOMPARE(ask(CutterCommand::findMark), QStringLiteral("NOMARK;"));
    QCOMPARE(ask(CutterCommand::setCamOffset(2.25, 24.8)), QStringLiteral("OK;"));
    QCOMPARE(ask(CutterCommand::camOffset), QStringLiteral("X=2.25,Y=24.8;"));
}

void TstCutterProtocol::oneReplyPerCommand()
{
    cutter.reset(new EmulatedCutter(QStringLiteral("P1")));
    link.setDevice(QStringLiteral("P1"));
    // nothing answers moves, page ends, jobs or unknown commands
    for (const QString &t : { QStringLiteral("PU-900,2680;"), QStringLiteral("!PG;"),
             QStringLiteral("IN;PA;SP1;PU0,0;PD0,40;PU;"), QStringLiteral(";CMD:77;") })
        QVERIFY(link.Write(t));
    QCOMPARE(cutter->pendingReplies(), 0);
    // each asking command gets exactly one
    for (const QString &t : { CutterCommand::busyPoll, CutterCommand::paperState,
             CutterCommand::feed(40), CutterCommand::scanQr, CutterCommand::ledIntensity(5),
             CutterCommand::findMark, CutterCommand::camOffset, CutterCommand::setCamOffset(1, 2),
             CutterCommand::blankStart })
        QVERIFY(link.Write(t));
    QTRY_COMPARE(cutter->pendingReplies(), 9);
    // a moving cutter is busy until it arrives
    cutter->setBusyFor(0);
    QVERIFY(link.Write(CutterCommand::moveTo(0, 40000)));
    QVERIFY(cutter->isBusy());
}

void TstCutterProtocol::jobIsParsedBack()
{
    const CutterJob job
        = EmulatedCutter::parseJob("MD0,0,12000,8000,4;IN;PA;SP1;PU200,100;PD200,300,400,300;PU;"
                                   "SP2;PU0,0;PD0,10;PU0,20;PD0,30;PU;!PG;");
    QCOMPARE(job.header, (QList<int> { 0, 0, 12000, 8000, 4 }));
    QCOMPARE(job.strokes.size(), 3);
    QCOMPARE(job.strokes[0].pen, 1);
    QCOMPARE(
        job.strokes[0].points, (QVector<QPointF> { { 100, 200 }, { 300, 200 }, { 300, 400 } }));
    QCOMPARE(job.strokes[1].pen, 2);
    QCOMPARE(job.strokes[1].points, (QVector<QPointF> { { 0, 0 }, { 10, 0 } }));
    QCOMPARE(job.strokes[2].points, (QVector<QPointF> { { 20, 0 }, { 30, 0 } }));
    QVERIFY(EmulatedCutter::parseJob("PU-900,2680;").strokes.isEmpty());
}

QTEST_MAIN(TstCutterProtocol)
#include "tst_cutterprotocol.moc"
