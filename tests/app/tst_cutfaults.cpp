// A sheet under faults of the cutter, sent through the bar's cut button and
// the send window: every run ends with the windows usable, nothing counted
// that was not cut, no false success and nothing written outside the work
// folder.
#include "roadkit.h"

#include "joblink.h"

#include <QLabel>
#include <QSpinBox>
#include <QTimer>

namespace {
enum Special
{
    UnplugBefore = -1,
    NoPaper = -2
};

} // namespace

class TstCutFaults : public RoadSuite
{
    Q_OBJECT

    QSpinBox *count() { return child<QSpinBox>(sendWindow(), "sendCount"); }
    // A fresh hand-over, so the device list is read again.
    void handOver(int mode = 1)
    {
        sendWindow()->hide();
        set(bar.get(), { { "cutSelect", mode } });
        press(bar.get(), "setCut");
        finishingOff();
        set(sendWindow(), { { "conSend", true }, { "sendCount", 1 } });
    }

private slots:
    void initTestCase()
    {
        JobLink::setDefaultReplyLimitMs(1000);
        openSample();
        rec.install();
        road.open(QStringLiteral("FAULT-1"));
        road.marksAndContour();
    }
    void init()
    {
        cutter->clearFaults();
        cutter->plug();
        cutter->setPaper(true);
        cutter->clearRecords();
        rec.messages.clear();
    }
    void cleanupTestCase()
    {
        road.close();
        Recorder::uninstall();
        VERIFY_NO_HOST_ERRORS();
    }

    void sweep_data();
    void sweep();
    void secondPressDuringRun();
    void sendWhileQrRuns();
    void closeDuringRun();
    void closeDuringHiddenRun();
};

void TstCutFaults::sweep_data()
{
    QTest::addColumn<int>("mode"); // the cut mode
    QTest::addColumn<int>("kind"); // a CutterFault::Kind or a Special
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("amount"); // delay or bytes taken
    QTest::addColumn<int>("times");
    QTest::addColumn<bool>("counted");
    QTest::addColumn<QByteArray>("unplugAt"); // unplugged 100 ms after this write
    QTest::addColumn<int>("unplugAfterMs"); // or this long after it; 0: never
    QTest::addColumn<QString>("told"); // the one warning, if any

    const QString gone = "Connect Error!!!", notTaken = "The Cutter Did Not Take The Data!",
                  noReply = "No Reply From The Cutter!";
    QTest::newRow("unplugged before") << 1 << int(UnplugBefore) << QByteArray() << QByteArray() << 0
                                      << 0 << false << QByteArray() << 0 << QString();
    QTest::newRow("no paper") << 1 << int(NoPaper) << QByteArray() << QByteArray() << 0 << 0
                              << false << QByteArray() << 0 << "No Paper!";

    const struct
    {
        const char *name;
        QByteArray command;
        bool replies;
        int mode;
    } steps[] = { { "paper", ";CMD:14;", true, 1 }, { "feed", ";CMD:20,", true, 1 },
        { "move", "PU", false, 1 }, { "job", "MD0,0,", false, 1 }, { "poll", ";CMD:10;", true, 1 },
        { "blank start", ";CMD:202;", true, 2 } };
    const struct
    {
        const char *name;
        QByteArray reply;
    } odd[] = { { "garbage", "#~@&*(?)" }, { "empty", "" }, { "64 bytes", QByteArray(64, 'S') },
        { "high Latin-1", "\xe9\xff\xa0S3:1;\xfe" } };
    for (const auto &s : steps) {
        const QByteArray c = s.command;
        auto row = [&](const char *fault) {
            return &QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(s.name, fault)));
        };
        *row("unplugged at it") << s.mode << int(CutterFault::UnplugAtCommand) << c << QByteArray()
                                << 0 << 1 << false << QByteArray() << 0 << gone;
        *row("short write") << s.mode << int(CutterFault::ShortWrite) << c << QByteArray() << 3 << 1
                            << false << QByteArray() << 0 << notTaken;
        *row("failed write") << s.mode << int(CutterFault::FailedWrite) << c << QByteArray() << 0
                             << 1 << false << QByteArray() << 0 << notTaken;
        if (!s.replies)
            continue;
        *row("unplugged while reading") << s.mode << int(CutterFault::LateReply) << c
                                        << QByteArray() << 3000 << 1 << false << c << 100 << gone;
        // any reply is taken, except that the feed of a sheet with marks
        // awaits "OK;" and an empty reply is none
        const bool feed = c == ";CMD:20,";
        for (const auto &o : odd) {
            // every odd reply waits out the feed's long limit alike: one row
            if (feed && &o != &odd[0])
                continue;
            const bool taken = !feed && !o.reply.isEmpty();
            *row(o.name) << s.mode << int(CutterFault::ReplaceReply) << c << o.reply << 0 << 1
                         << taken << QByteArray() << 0 << (taken ? QString() : noReply);
        }
        *row("no reply") << s.mode << int(CutterFault::NoReply) << c << QByteArray() << 0 << 1
                         << false << QByteArray() << 0 << noReply;
    }
    // the Auto-Next sheets on blank paper take any reply to the feed
    QTest::newRow("feed on blank paper: BUSY;")
        << 2 << int(CutterFault::ReplaceReply) << QByteArray(";CMD:20,") << QByteArray("BUSY;") << 0
        << 1 << true << QByteArray() << 0 << QString();
    // the cutter answers when the feed ends, later than the reply limit
    for (int mode : { 1, 2 })
        QTest::newRow(qPrintable(QStringLiteral("feed in mode %1: long").arg(mode)))
            << mode << int(CutterFault::LateReply) << QByteArray(";CMD:20,") << QByteArray() << 2000
            << 1 << true << QByteArray() << 0 << QString();
    QTest::newRow("never free until unplugged")
        << 1 << int(CutterFault::ReplaceReply) << QByteArray(";CMD:10;") << QByteArray("BUSY;") << 0
        << -1 << false << QByteArray(";CMD:10;") << 1500 << gone;
    // the wait for a free cutter has no limit, each poll's reply has
    QTest::newRow("poll never answered")
        << 1 << int(CutterFault::NoReply) << QByteArray(";CMD:10;") << QByteArray() << 0 << -1
        << false << QByteArray() << 0 << noReply;
}

void TstCutFaults::sweep()
{
    QFETCH(int, mode);
    QFETCH(int, kind);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(int, amount);
    QFETCH(int, times);
    QFETCH(bool, counted);
    QFETCH(QByteArray, unplugAt);
    QFETCH(int, unplugAfterMs);
    QFETCH(QString, told);
    handOver(mode);
    if (kind == UnplugBefore)
        cutter->unplug();
    else if (kind == NoPaper)
        cutter->setPaper(false);
    else
        cutter->addFault({ CutterFault::Kind(kind), command, amount, reply, amount, times });
    QTimer watch, unplugLater; // both end with the case
    unplugLater.setSingleShot(true);
    connect(&unplugLater, &QTimer::timeout, this, [this] { cutter->unplug(); });
    connect(&watch, &QTimer::timeout, this, [&] {
        for (const QByteArray &w : cutter->writtenTexts())
            if (w.startsWith(unplugAt)) {
                watch.stop();
                unplugLater.start(unplugAfterMs);
                return;
            }
    });
    if (!unplugAt.isEmpty())
        watch.start(10);

    press(sendWindow(), "send");
    verifyIdle(bar.get());
    QCOMPARE(count()->value(), counted ? 0 : 1);
    if (counted)
        QCOMPARE(cutter->jobs().size(), 1);
    QStringList texts;
    for (const dialogs::Message &m : rec.messages)
        texts << m.text;
    QCOMPARE(texts, told.isEmpty() ? QStringList() : QStringList { told });
    QCOMPARE(strayFiles(), QStringList());
}

// The QR window's Start and the bar's cut button while a send runs: the
// cutter is refused to the second window, the running send goes on.
void TstCutFaults::secondPressDuringRun()
{
    handOver();
    set(sendWindow(), { { "sendCount", 2 } });
    press(bar.get(), "qrCodeCtrl");
    QWidget *qr = topLevel("QRCodeMW");
    dialogs::setFileHook([](const dialogs::FileRequest &) { return QString(); });
    bool pressed = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (pressed || cutter->jobs().isEmpty())
            return;
        pressed = true;
        // a job file's size is needed for Start
        QFile job(qrJobsFolder() + "1.plt");
        QVERIFY(job.open(QIODevice::WriteOnly));
        job.write("MD0,0,8000,6000,5;IN;PA;PU;!PG;");
        job.close();
        dialogs::setFileHook([&](const dialogs::FileRequest &) { return job.fileName(); });
        press(qr, "selectFile");
        press(qr, "startBtn");
        press(bar.get(), "setCut");
    });
    watch.start(10);
    press(sendWindow(), "send");
    watch.stop();
    QDir(qrJobsFolder()).removeRecursively();
    QDir().mkpath(qrJobsFolder());
    QVERIFY(pressed);
    verifyIdle(bar.get());
    QCOMPARE(rec.messages.size(), 1);
    QVERIFY(rec.messages[0].text.contains("Other Window"));
    QCOMPARE(cutter->jobs().size(), 2);
    QCOMPARE(count()->value(), 0);
    QCOMPARE(child<QPushButton>(qr, "startBtn")->text(), QStringLiteral("Start"));
    QVERIFY(child<QPushButton>(qr, "startBtn")->isEnabled());
    qr->hide();
    dialogs::setFileHook({});
}

// Send while the QR window's run has the cutter: refused with a word, the
// QR run goes on.
void TstCutFaults::sendWhileQrRuns()
{
    handOver();
    QWidget *qr = road.qrWindowOn("1", 2);
    cutter->setSheets({ "1", "1" });
    bool pressed = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!pressed && !cutter->jobs().isEmpty()) {
            pressed = true;
            press(sendWindow(), "send");
        }
    });
    watch.start(10);
    press(qr, "startBtn");
    watch.stop();
    QFile::remove(qrJobsFolder() + "1.plt");
    QVERIFY(pressed);
    verifyIdle(bar.get());
    QCOMPARE(rec.messages.size(), 1);
    QCOMPARE(rec.messages[0].text,
        QStringLiteral("The Cutter Is Busy With A Job From The Other Window!"));
    QCOMPARE(cutter->jobs().size(), 2);
    QCOMPARE(child<QSpinBox>(qr, "sendCount")->value(), 0);
    QCOMPARE(count()->value(), 1);
    qr->hide();
}

// Closing the bar while a send runs asks first, then ends the program with
// the settings of both windows saved.
void TstCutFaults::closeDuringRun()
{
    handOver();
    set(sendWindow(), { { "sendCount", 2 }, { "knifeOffset", 0.7 } });
    set(bar.get(), { { "topRev", 13.5 } });
    bool closed = false;
    QTimer::singleShot(300, [&] { closed = bar->close(); });
    press(sendWindow(), "send");
    QVERIFY(closed);
    QCOMPARE(rec.messages.size(), 1);
    QCOMPARE(
        rec.messages[0].text, QStringLiteral("Close will stop all job sending, Confirm or Not?"));
    QCOMPARE(rec.exits, QList<int> { 0 });
    QSettings s(settingsFile(), QSettings::IniFormat);
    QCOMPARE(s.value("PluginMW/topRev").toDouble(), 13.5);
    QCOMPARE(s.value("SendMW/knifeOffset").toDouble(), 0.7);
    QCOMPARE(s.value("SendMW/conSend").toBool(), true);
}

// The send window closed while its run goes on: closing the bar still asks.
void TstCutFaults::closeDuringHiddenRun()
{
    bar->show();
    handOver();
    set(sendWindow(), { { "sendCount", 2 } });
    rec.answer = QMessageBox::No;
    bool refused = false;
    QTimer::singleShot(300, [&] {
        sendWindow()->close();
        refused = !bar->close();
    });
    press(sendWindow(), "send");
    rec.answer = QMessageBox::Yes;
    QVERIFY(refused);
    QCOMPARE(rec.messages.size(), 1);
    QCOMPARE(
        rec.messages[0].text, QStringLiteral("Close will stop all job sending, Confirm or Not?"));
    QCOMPARE(cutter->jobs().size(), 2);
    QVERIFY(bar->isVisible());
}

QTEST_MAIN(TstCutFaults)
#include "tst_cutfaults.moc"
