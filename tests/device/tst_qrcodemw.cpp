#include "cuttertestkit.h"
#include "dialogs.h"
#include "emulatedcutter.h"
#include "joblink.h"
#include "process.h"
#include "qrcodemw.h"
#include "registry.h"
#include "workfolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QByteArray StoredJob = "MD0,0,8000,6000,5;IN;PA;SP1;PU0,0;PD100,0,100,100;PU;"
                             "SP2;PU0,0;PD0,500;PU;!PG;";

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TstQrCodeMW : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void runs_data();
    void runs();
    void startNeedsUsableSizes_data();
    void startNeedsUsableSizes();
    void busyCutterIsRefused();
    void openFolder_data();
    void openFolder();
    void calibration_data();
    void calibration();
    void lightWithSilentCutter();

private:
    template <class T = QPushButton> T *w(const char *name) { return window->findChild<T *>(name); }
    void pick(const QString &path)
    {
        selected = path;
        w("selectFile")->click();
    }

    QTemporaryDir docs;
    QString jobs, selected;
    QList<dialogs::Message> messages;
    std::unique_ptr<EmulatedCutter> cutter;
    std::unique_ptr<QRCodeMW> window;
};

void TstQrCodeMW::initTestCase()
{
    qputenv("VEMO_USB_NO_DEFAULT", "1");
    qputenv("VEMO_PUBLIC_DOCUMENTS", docs.path().toUtf8());
    jobs = qrJobsFolder();
    writeFile(jobs + "1001.plt", StoredJob);
    QDir().mkpath(jobs + "<i>2002.plt"); // there, but no file to read
    writeFile(workFolder() + "config.plt",
        "MD0,0,1,1,5;PU0,0;PD9,9;PU;!PG;"); // "../config" must not reach it
    writeFile(docs.path() + "/CIR.plt", "IN;PA;SP1;PU100,0;PD0,100,-100,0,0,-100,100,0;PU;");
    QRCodeMW::setCalibrationJobPath(docs.path() + "/CIR.plt");
    dialogs::setMessageHook([this](const dialogs::Message &m) {
        messages << m;
        return QMessageBox::Ok;
    });
    dialogs::setFileHook([this](const dialogs::FileRequest &) { return selected; });
}

void TstQrCodeMW::init()
{
    cutter.reset(new EmulatedCutter("QR-1"));
    cutter->setTiming(fastTiming());
    QCoreApplication::processEvents();
    window.reset(new QRCodeMW);
    window->show();
    messages.clear();
}

void TstQrCodeMW::cleanup()
{
    window.reset();
    cutter.reset();
    regRemoveKey(cutterRegistryKey());
}

void TstQrCodeMW::runs_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("jobsCut");
    QTest::addColumn<int>("countLeft");
    QTest::addColumn<QString>("seen");
    QTest::addColumn<QString>("last");

    QTest::newRow("five sheets") << 0 << 2 << 0 << "File Not Exist!"
                                 << "All Done!";
    QTest::newRow("stop after the first job") << 1 << 1 << 3 << ""
                                              << "All Done!";
    QTest::newRow("no paper") << 2 << 0 << 4 << "No Paper!"
                              << "All Done!";
    QTest::newRow("unplugged") << 3 << 0 << 4 << "Connect Error!!!"
                               << "All Done!";
    QTest::newRow("unplugged at the scan") << 4 << 0 << 4 << ""
                                           << "Connect Error!!!";
    QTest::newRow("job not taken whole") << 5 << 1 << 4 << ""
                                         << "Did Not Take";
    // the second sheet goes to the cutter chosen after the first
    QTest::newRow("list switched after the first sheet") << 6 << 1 << 0 << ""
                                                         << "All Done!";
    // a size picked mid-run is refused: the sheets keep the checked one
    QTest::newRow("file picked during the run") << 7 << 2 << 0 << ""
                                                << "All Done!";
}

void TstQrCodeMW::runs()
{
    QFETCH(int, mode);
    QFETCH(int, jobsCut);
    QFETCH(int, countLeft);
    QFETCH(QString, seen);
    QFETCH(QString, last);

    pick(jobs + "1001.plt");
    cutter->setSheets(mode == 0 ? QStringList { "1001", "", "../config", "<i>2002", "1001" }
                                : QStringList { "1001", "1001" });
    w<QCheckBox>("conSend")->setChecked(true);
    w<QSpinBox>("sendCount")->setValue(mode == 0 ? 5 : 4);
    cutter->setPaper(mode != 2);
    if (mode == 3)
        cutter->unplug();
    if (mode == 4)
        cutter->addFault({ CutterFault::UnplugAtCommand, ";CMD:101;", 0, {}, 0, 1 });
    if (mode == 5)
        cutter->addFault({ CutterFault::ShortWrite, "MD0,0,", 0, {}, 10, 1 });
    std::unique_ptr<EmulatedCutter> second;
    if (mode == 6) {
        second.reset(new EmulatedCutter("QR-2"));
        second->setTiming(fastTiming());
        second->setSheets({ "1001" });
        window->hide();
        window->show(); // lists it
    }
    if (mode >= 6)
        w<QSpinBox>("sendCount")->setValue(2);
    writeFile(docs.path() + "/huge.plt", "MD0,0,2147483647,-2147483648,5;");

    // samples the window while the run waits
    QStringList statuses;
    bool othersUsable = false, stopped = false, startAfterStop = false, acted = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        const QString status = w<QLabel>("currState")->text();
        if (statuses.isEmpty() || statuses.last() != status)
            statuses << status;
        othersUsable
            = othersUsable || w("autoOffset")->isEnabled() || w<QSlider>("lightSld")->isEnabled();
        startAfterStop = startAfterStop || (stopped && w("startBtn")->isEnabled());
        if (mode == 1 && !stopped && cutter->jobs().size() == 1) {
            w("startBtn")->click();
            stopped = true;
        }
        if (mode >= 6 && !acted && cutter->jobs().size() == 1) {
            acted = true;
            if (mode == 6)
                w<QComboBox>("machineName")->setCurrentText(second->pathName());
            else
                pick(docs.path() + "/huge.plt");
        }
    });
    watch.start(5);
    w("startBtn")->click();

    QCOMPARE(cutter->jobs().size(), jobsCut);
    QCOMPARE(w<QSpinBox>("sendCount")->value(), countLeft);
    QVERIFY(seen.isEmpty() || !statuses.filter(seen).isEmpty());
    const QString status = w<QLabel>("currState")->text();
    QVERIFY2(status.contains(last), qPrintable(status));
    QVERIFY(!othersUsable && !startAfterStop);
    QVERIFY(w("startBtn")->isEnabled() && w("autoOffset")->isEnabled());
    const QList<QByteArray> writes = foldedWrites(*cutter);
    if (mode == 0) {
        QList<QByteArray> expected;
        const QByteArray job = QByteArray(StoredJob).replace(",5;", ",4;");
        const QByteArray pageEnd = "!PG;";
        for (const QByteArray &sheetEnd : { job, pageEnd, pageEnd, pageEnd, job })
            expected << ";CMD:14;"
                     << ";CMD:20,10400;"
                     << "PU-1000,3480;"
                     << ";CMD:10;"
                     << ";CMD:101;" << sheetEnd << ";CMD:10;";
        QCOMPARE(writes, expected);
        QVERIFY(statuses.contains("<font color=blue>Curr File:&lt;i&gt;2002.plt"));
    }
    if (mode == 1)
        QVERIFY(stopped);
    if (mode >= 2 && mode <= 3)
        QCOMPARE(writes, mode == 2 ? QList<QByteArray> { ";CMD:14;" } : QList<QByteArray> {});
    if (mode == 5) // nothing after the job the cutter did not take
        QVERIFY(writes.last().startsWith("MD0,0,"));
    QCOMPARE(acted, mode >= 6);
    if (mode == 6)
        QCOMPARE(second->jobs().size(), 1);
    if (mode == 7) {
        QCOMPARE(writes.count(";CMD:20,10400;"), 2);
        QCOMPARE(
            w<QLabel>("fileHeight")->text(), QStringLiteral("<font color=blue>File Height: 8000"));
    }
}

void TstQrCodeMW::startNeedsUsableSizes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("usable");

    QTest::newRow("four fields") << QByteArray("MD0,0,8000,6001;IN;PA;PU;") << true;
    QTest::newRow("no header") << QByteArray("IN;PA;SP1;PU0,0;PD10,10;PU;!PG;") << false;
    QTest::newRow("zero width") << QByteArray("MD0,0,8000,0,5;PU;") << false;
    QTest::newRow("feed would overflow") << QByteArray("MD0,0,2147483647,6000,5;PU;") << false;
    QTest::newRow("negative height") << QByteArray("MD0,0,-8000,6000,5;PU;") << false;
    QTest::newRow("digits no int holds")
        << QByteArray("MD0,0,99999999999999999999,6000,5;") << false;
    QTest::newRow("not digits") << QByteArray("MD0,0,8e3,0x10,5;PU;") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("plain text") << QByteArray("Hello, this is no job.\n") << false;
    static const char binary[] = "\0MD\xff,\0,";
    QTest::newRow("binary") << QByteArray(binary, sizeof binary - 1) << false;
    QTest::newRow("20 MB size") << "MD0,0," + QByteArray(20 << 20, '7') << false;
}

void TstQrCodeMW::startNeedsUsableSizes()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, usable);

    QVERIFY(!w("startBtn")->isEnabled());
    pick(jobs + "1001.plt");
    QVERIFY(w("startBtn")->isEnabled());
    writeFile(docs.path() + "/picked.plt", text);
    pick(docs.path() + "/picked.plt");
    QCOMPARE(w("startBtn")->isEnabled(), usable);
    // the status agrees with the greyed button
    QCOMPARE(w<QLabel>("currState")->text().contains("Press Start"), usable);
    QCOMPARE(w<QLabel>("currState")->text().contains("No Job Size"), !usable);
}

void TstQrCodeMW::busyCutterIsRefused()
{
    pick(jobs + "1001.plt");
    UsbOperate other;
    other.setDevice(cutter->pathName());
    JobLink sending(other);
    w("startBtn")->click();
    w("autoOffset")->click();
    QCOMPARE(messages.size(), 3); // the refused run, the calibration's question, its refusal
    QVERIFY(messages[0].text.contains("Other Window") && messages[2].text.contains("other window"));
    QVERIFY(cutter->writes().isEmpty());
}

void TstQrCodeMW::openFolder_data()
{
    QTest::addColumn<int>("opener"); // 1 starts, 0 fails to start, -1 real start
    QTest::addColumn<bool>("warned");

    QTest::newRow("opener starts") << 1 << false;
    QTest::newRow("opener cannot start") << 0 << true;
#ifndef Q_OS_WIN
    QTest::newRow("no xdg-open on the path") << -1 << true;
#endif
}

void TstQrCodeMW::openFolder()
{
    QFETCH(int, opener);
    QFETCH(bool, warned);

    QStringList started;
    if (opener >= 0)
        setStartDetachedHook([&](const QString &program, const QStringList &args) {
            started << program << args;
            return opener == 1;
        });
    QTemporaryDir emptyBin;
    const QByteArray path = qgetenv("PATH");
    if (opener < 0)
        qputenv("PATH", emptyBin.path().toUtf8());
    w("openQRPath")->click();
    qputenv("PATH", path);
    setStartDetachedHook({});

    if (opener >= 0)
        QCOMPARE(started.last(), QDir::toNativeSeparators(jobs));
    QCOMPARE(messages.size(), warned ? 1 : 0);
    if (warned) {
        QCOMPARE(messages[0].icon, QMessageBox::Warning);
        QVERIFY(messages[0].text.contains(QDir::toNativeSeparators(jobs)));
    }
}

void TstQrCodeMW::calibration_data()
{
    QTest::addColumn<QByteArray>("markReply");
    QTest::addColumn<QByteArray>("unplugAt");
    QTest::addColumn<QString>("circle");
    QTest::addColumn<QList<QByteArray>>("stored");
    QTest::addColumn<QString>("message");

    using L = QList<QByteArray>;
    const QByteArray centred = "X=320,Y=240,D=100;", off = "X=420,Y=240,D=100;";
    QTest::newRow("centred") << centred << QByteArray() << "CIR.plt"
                             << L { ";CMD:201,1.5,27.3;", ";CMD:201,1.5,27.3;" } << "Completed";
    QTest::newRow("off by 2.5 mm")
        << off << QByteArray() << "CIR.plt" << L { ";CMD:201,1.5,24.8;", ";CMD:201,1.5,22.3;" }
        << "Completed";
    QTest::newRow("no size") << QByteArray("X=320,Y=240,D=0;") << QByteArray() << "CIR.plt" << L {}
                             << "First mark";
    QTest::newRow("no mark") << QByteArray() << QByteArray() << "CIR.plt" << L {}
                             << "no valid mark";
    QTest::newRow("unplugged on the way") << off << QByteArray("PU0,100;") << "CIR.plt"
                                          << L { ";CMD:201,1.5,24.8;" } << "already stored";
    QTest::newRow("no circle file") << off << QByteArray() << "none.plt" << L {} << "CIR.plt";
}

void TstQrCodeMW::calibration()
{
    QFETCH(QByteArray, markReply);
    QFETCH(QByteArray, unplugAt);
    QFETCH(QString, circle);
    QFETCH(QList<QByteArray>, stored);
    QFETCH(QString, message);

    cutter->setMarkReply(markReply);
    if (markReply.isEmpty()) // the reply, and the line that names it
        for (int i = 0; i < 2; ++i)
            QTest::ignoreMessage(QtDebugMsg, "NOMARK;");
    if (!unplugAt.isEmpty())
        cutter->addFault({ CutterFault::UnplugAtCommand, unplugAt, 0, {}, 0, 1 });
    QRCodeMW::setCalibrationJobPath(docs.path() + "/" + circle);
    w("autoOffset")->click();
    QRCodeMW::setCalibrationJobPath(docs.path() + "/CIR.plt");

    const QList<QByteArray> writes = foldedWrites(*cutter);
    QList<QByteArray> corrections;
    for (const QByteArray &text : writes)
        if (text.startsWith(";CMD:201,"))
            corrections << text;
    QCOMPARE(corrections, stored);
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages[1].text.contains(message), qPrintable(messages[1].text));
    if (circle != "CIR.plt") {
        QVERIFY(writes.isEmpty());
        return;
    }
    // the circle moved by 1.5 mm and 27.3 mm, the move home, and the move by the first deviation
    QVERIFY(writes.value(0).startsWith("IN;PA;PU160,1092;PD60,1192,"));
    QCOMPARE(writes.value(2), QByteArray("PU0,0;"));
    QCOMPARE(writes.contains("PU0,100;"), markReply.startsWith("X=420"));
}

void TstQrCodeMW::lightWithSilentCutter()
{
    cutter->addFault({ CutterFault::NoReply, ";CMD:103,", 0, {}, 0, 1 });
    auto *light = w<QSlider>("lightSld");
    light->setValue(3000);
    QElapsedTimer clock;
    clock.start();
    light->sliderReleased();
    QVERIFY(clock.elapsed() < 10000); // the light's own short limit, not a run's
    QCOMPARE(cutter->writtenTexts(), QList<QByteArray> { ";CMD:103,3000;" });
    QVERIFY(light->isEnabled());
}

QTEST_MAIN(TstQrCodeMW)
#include "tst_qrcodemw.moc"
