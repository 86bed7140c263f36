// The send window's Send and Save against the simulated host and one
// emulated cutter, checked on the cutter's transcript.
#include "hosttestutil.h"

#include "cuttertestkit.h"
#include "dialogs.h"
#include "diskfaults.h"
#include "emulatedcutter.h"
#include "qpaintwidget.h"
#include "registry.h"
#include "sendmw.h"
#include "workfolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using simhost::Document;
using simhost::SimHost;

namespace {

// An A4 sheet (host frame: mm from the bottom-left, y up) with four marks
// 10 mm in from the corners, a cutting rectangle and a creasing line.
// In the cutter's frame the first mark is at (400, 400), the last at
// (8000, 11480).
void sheet(bool marks, bool cutting, bool creasing = true)
{
    SimHost &host = SimHost::instance();
    Document &doc = host.createDocument();
    doc.layers.clear();
    host.addLayer(doc, "Artwork");
    if (marks) {
        host.addLayer(doc, "Mark Layer");
        for (const QPointF &c :
            { QPointF(10, 287), QPointF(200, 287), QPointF(10, 10), QPointF(200, 10) })
            host.addShape(doc, "Mark Layer", mmCircle(c.x(), c.y(), 2.5));
    }
    if (cutting) {
        host.addLayer(doc, "Cutting Layer");
        host.addShape(doc, "Cutting Layer", mmRect(50, 100, 60, 40));
    }
    if (creasing) {
        host.addLayer(doc, "Creasing Layer");
        QPainterPath crease;
        crease.moveTo(50 * mm, 120 * mm);
        crease.lineTo(110 * mm, 120 * mm);
        host.addShape(doc, "Creasing Layer", crease);
    }
    doc.activeLayer = doc.layer("Artwork")->id;
}

QRectF extent(const CutterStroke &s)
{
    QRectF r(s.points.value(0), QSizeF());
    for (const QPointF &p : s.points)
        r = r.united(QRectF(p, QSizeF()));
    return r;
}

} // namespace

class TstSendMW : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formFollowsHandOver();
    void byPathAndMarks();
    void blankPaper();
    void directCut();
    void autoNextAndStop_data();
    void autoNextAndStop();
    void noPaper();
    void badCamOffset_data();
    void badCamOffset();
    void refused_data();
    void refused();
    void creasingOnlyIsAJob();
    void linkFailsMidJob_data();
    void linkFailsMidJob();
    void saveFailures();
    void storedNonNumbers_data();
    void storedNonNumbers();
    void closeWithStuckSettingsLock();

private:
    std::unique_ptr<EmulatedCutter> cutter;
    std::unique_ptr<SendMW> window;
    QStringList messages;
    QString saveAnswer;
    int saveRequests = 0;
    std::function<void()> atSaveDialog; // runs as the save dialog answers

    void open(int cutMode)
    {
        window.reset(new SendMW);
        window->setData(v24, "EN", CutMode(cutMode), 5.0, 2.0, {}, {});
        window->show(); // fills the device list
    }
    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(name); }
    QSpinBox *sendCount() { return window->findChild<QSpinBox *>("sendCount"); }
    void setAutoNext(bool on, int count)
    {
        window->findChild<QCheckBox *>("conSend")->setChecked(on);
        sendCount()->setValue(count);
    }
    // Writes, each run of busy polls folded into one.
    QStringList transcript() const
    {
        QStringList out;
        for (const QByteArray &w : foldedWrites(*cutter))
            out << QString::fromLatin1(w);
        return out;
    }
    QString jobOf(const QStringList &t) const
    {
        for (const QString &w : t)
            if (!w.startsWith(";CMD:") && !w.startsWith("PU"))
                return w;
        return {};
    }
    void idleAgain()
    {
        QCOMPARE(button("send")->text(), QStringLiteral("Send"));
        QVERIFY(button("send")->isEnabled());
        QCOMPARE(
            button("send")->styleSheet(), QStringLiteral("color:Blue;background-color:lightGreen"));
    }
};

void TstSendMW::initTestCase()
{
    qputenv("VEMO_USB_NO_DEFAULT", "1");
    dialogs::setMessageHook([this](const dialogs::Message &m) {
        messages << m.title + ": " + m.text;
        return QMessageBox::Ok;
    });
    dialogs::setFileHook([this](const dialogs::FileRequest &r) {
        ++saveRequests;
        if (atSaveDialog)
            atSaveDialog();
        return r.save && r.caption == "SavePlt" ? saveAnswer : QString();
    });
}

void TstSendMW::init()
{
    flushDeletes();
    SimHost::instance().reset();
    QDir().mkpath(workFolder());
    QFile::remove(settingsFile()); // a closed window saved its options
    messages.clear();
    saveAnswer.clear();
    saveRequests = 0;
    cutter.reset(new EmulatedCutter(QStringLiteral("SEND-1")));
    cutter->setTiming(fastTiming());
    cutter->setCameraOffset(0.5, 0.25);
}

void TstSendMW::cleanup()
{
    window.reset();
    cutter.reset();
    regRemoveKey(cutterRegistryKey());
    flushDeletes();
    VERIFY_NO_HOST_ERRORS();
}

void TstSendMW::formFollowsHandOver()
{
    open(2);
    auto *blankX = window->findChild<QDoubleSpinBox *>("blankRevX");
    QVERIFY(blankX->isVisible());
    auto *preview = window->findChild<QPaintWidget *>("paintWidget");
    preview->scale = 1;
    preview->markPoints = { QPoint(1, 2) }; // as a send left them
    window->setData(v24, "EN", CutMode::ByPathAndMarks, 5.0, 2.0, { CutPath() }, {});
    QVERIFY(!blankX->isVisible());
    QCOMPARE(preview->paths.size(), 1);
    QCOMPARE(preview->scale, 0.025);
    QVERIFY(preview->markPoints.isEmpty());

    // each field is enabled exactly when its box is checked, from the start
    auto *knife = window->findChild<QDoubleSpinBox *>("knifeOffset");
    QVERIFY(!knife->isEnabled());
    QVERIFY(!window->findChild<QDoubleSpinBox *>("closeOffset")->isEnabled());
    auto *knifeChk = window->findChild<QCheckBox *>("knifeOffsetChk");
    knifeChk->click();
    knifeChk->click();
    QVERIFY(!knife->isEnabled());
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        s.setValue("SendMW/knifeOffsetChk", true);
    }
    SendMW again;
    QVERIFY(again.findChild<QDoubleSpinBox *>("knifeOffset")->isEnabled());
    QVERIFY(!again.findChild<QDoubleSpinBox *>("closeOffset")->isEnabled());
}

void TstSendMW::byPathAndMarks()
{
    sheet(true, true);
    open(1);
    button("send")->click();
    idleAgain();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    const QStringList t = transcript();
    const QString job = jobOf(t);
    QCOMPARE(t,
        (QStringList {
            ";CMD:14;", ";CMD:20,11880;", "PU-1100,2680;", ";CMD:10;", job, ";CMD:10;" }));
    QVERIFY(job.startsWith("MD0,0,11080,7600,4;IN;PA;SP1;"));
    QVERIFY(job.endsWith("PU;!PG;"));
    QCOMPARE(sendCount()->value(), 50); // the single sheet is not counted

    // strokes relative to the first mark
    const QList<CutterJob> jobs = cutter->jobs();
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs[0].strokes.size(), 2);
    QCOMPARE(jobs[0].strokes[0].pen, 1);
    QVERIFY(near(extent(jobs[0].strokes[0]), QRectF(1600, 6680, 2400, 0), 2));
    QCOMPARE(jobs[0].strokes[1].pen, 2);
    QVERIFY(near(extent(jobs[0].strokes[1]), QRectF(1600, 5880, 2400, 1600), 2));

    auto *preview = window->findChild<QPaintWidget *>("paintWidget");
    QCOMPARE(preview->markPoints.value(0), QPoint(400, 400));
    QCOMPARE(preview->paths.size(), 2);

    // closed, it keeps no job: the cut button brings a new one
    QVERIFY(window->close());
    QVERIFY(preview->paths.isEmpty());
    QVERIFY(preview->markPoints.isEmpty());
}

void TstSendMW::blankPaper()
{
    sheet(false, false);
    SimHost::instance().addShape(
        *SimHost::instance().activeDocument(), "Artwork", mmRect(50, 100, 60, 40));
    open(2);
    window->findChild<QDoubleSpinBox *>("blankRevX")->setValue(1.0);
    button("send")->click();
    idleAgain();
    const QStringList t = transcript();
    const QString job = jobOf(t);
    QCOMPARE(t,
        (QStringList { ";CMD:200;", ";CMD:14;", ";CMD:20,11880;", "PU-1440,2290;", ";CMD:10;",
            ";CMD:202;", job, ";CMD:10;" }));
    QVERIFY(job.startsWith("SP2;"));

    saveAnswer = workFolder() + "blank"; // the filter's suffix is added
    QFile::remove(saveAnswer);
    button("save")->click();
    QVERIFY(!QFile::exists(saveAnswer));
    QFile f(saveAnswer + ".plt");
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(f.readAll()), "MD0,0,11880,8400,3;" + job);
}

void TstSendMW::directCut()
{
    sheet(false, true);
    open(0);
    setAutoNext(true, 3); // a direct cut sends its one job whatever Auto-Next says
    button("send")->click();
    idleAgain();
    const QStringList t = transcript();
    QCOMPARE(t.size(), 2);
    QVERIFY(t[0].startsWith("IN;PA;") && t[0].endsWith("PU;!PG;"));
    QCOMPARE(t[1], ";CMD:10;");
    QCOMPARE(sendCount()->value(), 3);
}

void TstSendMW::autoNextAndStop_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stopAtSheet"); // 0: never
    QTest::addColumn<int>("sheets");
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("close"); // the window instead of the button
    QTest::newRow("three sheets") << 3 << 0 << 3 << 0 << false;
    QTest::newRow("stop on the second") << 5 << 2 << 2 << 3 << false;
    QTest::newRow("none left") << 0 << 0 << 0 << 0 << false;
    QTest::newRow("window closed on the second") << 3 << 2 << 3 << 0 << true;
}

void TstSendMW::autoNextAndStop()
{
    QFETCH(int, count);
    QFETCH(int, stopAtSheet);
    QFETCH(int, sheets);
    QFETCH(int, left);
    QFETCH(bool, close);
    sheet(true, true);
    open(1);
    setAutoNext(true, count);
    bool stopping = false;
    QTimer watch;
    watch.setInterval(5);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!stopAtSheet || transcript().count(";CMD:14;") < stopAtSheet)
            return;
        watch.stop();
        if (close) {
            window->close();
            return;
        }
        button("send")->click();
        stopping = !button("send")->isEnabled() && button("send")->text() == "Send";
        // a hand-over meanwhile does not change the running job
        window->setData(v24, "EN", CutMode::DirectlyCut, 1.0, 1.0, {}, {});
    });
    watch.start();
    button("send")->click();
    idleAgain();
    QCOMPARE(stopping, stopAtSheet > 0 && !close);
    QCOMPARE(cutter->jobs().size(), sheets);
    QCOMPARE(transcript().count(";CMD:20,11880;"), sheets);
    QCOMPARE(transcript().count("PU-1100,2680;"), sheets);
    for (const CutterJob &j : cutter->jobs())
        QCOMPARE(j.header, (QList<int> { 0, 0, 11080, 7600, 4 }));
    QCOMPARE(sendCount()->value(), left);
    if (close)
        QVERIFY(window->findChild<QPaintWidget *>("paintWidget")->paths.isEmpty());
}

void TstSendMW::noPaper()
{
    sheet(true, true);
    cutter->setPaper(false);
    open(1);
    button("send")->click();
    idleAgain();
    QCOMPARE(messages, QStringList { "Warning: No Paper!" });
    QCOMPARE(transcript(), QStringList { ";CMD:14;" });
}

void TstSendMW::badCamOffset_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("busy") << QByteArray("BUSY;");
    QTest::newRow("not a number") << QByteArray("X=nan,Y=1;");
    QTest::newRow("infinite") << QByteArray("X=1,Y=inf;");
}

void TstSendMW::badCamOffset()
{
    QFETCH(QByteArray, reply);
    sheet(false, true);
    cutter->addFault({ CutterFault::ReplaceReply, ";CMD:200;", 0, reply, 0, 1 });
    open(2);
    button("send")->click();
    idleAgain();
    QCOMPARE(messages, QStringList { "Warning: Get Cam Offset Failed!" });
    QCOMPARE(transcript(), QStringList { ";CMD:200;" });
}

void TstSendMW::refused_data()
{
    QTest::addColumn<bool>("host");
    QTest::addColumn<bool>("marks");
    QTest::addColumn<bool>("cutting");
    QTest::addColumn<QString>("message");
    QTest::newRow("host not reachable") << false << true << true
                                        << "Warning: Please Confirm CorelDraw Installations and "
                                           "Choose Correct CorelDraw Version...";
    QTest::newRow("no marks") << true << false << true << QString();
    QTest::newRow("no cut layers") << true << true << false << "Warning: No Cutting Paths!";
}

// Neither sent nor saved: no sheet fed, no dialog.
void TstSendMW::refused()
{
    QFETCH(bool, host);
    QFETCH(bool, marks);
    QFETCH(bool, cutting);
    QFETCH(QString, message);
    sheet(marks, cutting, cutting);
    SimHost::instance().setRegistered(v24, host);
    open(1);
    button("send")->click();
    idleAgain();
    saveAnswer = workFolder() + "refused.plt";
    button("save")->click();
    QCOMPARE(messages, message.isEmpty() ? QStringList() : (QStringList { message, message }));
    QVERIFY(cutter->writes().isEmpty());
    QCOMPARE(saveRequests, 0);
}

// Creasing lines without cutting lines are sent and saved like any job.
void TstSendMW::creasingOnlyIsAJob()
{
    sheet(true, false);
    open(1);
    button("send")->click();
    idleAgain();
    saveAnswer = workFolder() + "crease.plt";
    button("save")->click();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QCOMPARE(cutter->jobs().size(), 1);
    const QString job = jobOf(transcript());
    QVERIFY(job.startsWith("MD0,0,11080,7600,4;IN;PA;SP1;PU"));
    QFile saved(saveAnswer);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(saved.readAll()), job);
}

void TstSendMW::linkFailsMidJob_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("told");
    QTest::newRow("unplugged as the job arrives")
        << int(CutterFault::UnplugAtCommand) << "Warning: Connect Error!!!";
    QTest::newRow("job not taken whole")
        << int(CutterFault::ShortWrite) << "Warning: The Cutter Did Not Take The Data!";
}

// The sheet is not counted and nothing follows; with the device gone the
// link's last reply ("FREE;" of the move) must not pass for the job's end.
// Part of a job may have reached the cutter: the user is told.
void TstSendMW::linkFailsMidJob()
{
    QFETCH(int, fault);
    QFETCH(QString, told);
    sheet(true, true);
    cutter->addFault({ CutterFault::Kind(fault), "MD0,0,", 0, {}, 10, 1 });
    open(1);
    setAutoNext(true, 3);
    button("send")->click();
    idleAgain();
    QCOMPARE(messages, QStringList { told });
    QCOMPARE(sendCount()->value(), 3);
    if (fault == CutterFault::UnplugAtCommand)
        QVERIFY(cutter->jobs().isEmpty());
    // no busy poll and no further sheet after the job
    QVERIFY(transcript().last().startsWith("MD0,0,"));
}

void TstSendMW::saveFailures()
{
    sheet(true, true);
    open(1);
    saveAnswer.clear(); // cancelled
    button("save")->click();
    QCOMPARE(saveRequests, 1);
    saveAnswer = workFolder() + "no such folder/job.plt";
    button("save")->click();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("Warning: Could not write " + saveAnswer + ": "),
        qPrintable(messages[0]));
    QVERIFY(!QFile::exists(saveAnswer));

    // the disk fills while the dialog is open: the job saved before stays whole
    saveAnswer = workFolder() + "job.plt";
    QFile old(saveAnswer);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("MD0,0,1,1,4;PU;") == 15);
    old.close();
    std::unique_ptr<FileSizeLimit> full;
    atSaveDialog = [&full] { full.reset(new FileSizeLimit(8)); };
    messages.clear();
    button("save")->click();
    full.reset();
    atSaveDialog = {};
    QCOMPARE(
        messages, QStringList { "Warning: Could not write " + saveAnswer + ": File too large." });
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("MD0,0,1,1,4;PU;"));
}

void TstSendMW::storedNonNumbers_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("NaN") << "nan";
    QTest::newRow("infinite") << "inf";
    QTest::newRow("not a number") << "abc";
}

// A value that is no finite number keeps the form's default, not the maximum.
void TstSendMW::storedNonNumbers()
{
    QFETCH(QString, stored);
    const double form = SendMW().knifeOffset();
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        s.setValue("SendMW/knifeOffset", stored);
    }
    SendMW w;
    QFile::remove(settingsFile());
    QCOMPARE(w.knifeOffset(), form);
}

// A folder in the lock file's place: the window closes unsaved at once, with
// a warning that names it.
void TstSendMW::closeWithStuckSettingsLock()
{
    const QString lock = settingsFile() + ".lock";
    QVERIFY(QDir().mkpath(lock + "/held"));
    open(1);
    QVERIFY(window->close());
    QDir(lock).removeRecursively();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].endsWith(
                 QDir::toNativeSeparators(lock) + " is not a lock file: remove it to go on."),
        qPrintable(messages[0]));
    QVERIFY(!QFile::exists(settingsFile()));
}

QTEST_MAIN(TstSendMW)
#include "tst_sendmw.moc"
