// The bar's action buttons on the simulated host's document, and the previews.
#include "apptestkit.h"
#include "cdroperate.h"
#include "cutjob.h"
#include "diskfaults.h"
#include "hpgltool.h"
#include "pluginmw.h"
#include "qpaintwidget.h"
#include "units.h"
#include "worklock.h"

#include <axserver.h>
#include <simhost.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <QtTest>

#include <chrono>
#include <thread>

using simhost::Document;
using simhost::SimHost;
using Marks = QList<QPointF>;

namespace {
const QString progId = QStringLiteral("CorelDraw.Application.24");

QPainterPath mmPath(QRectF r, bool ellipse = false)
{
    QPainterPath p;
    const QRectF in(r.topLeft() / Units::mmPerInch, r.size() / Units::mmPerInch);
    if (ellipse)
        p.addEllipse(in);
    else if (r.height() == 0)
        p.moveTo(in.topLeft()), p.lineTo(in.topRight());
    else
        p.addRect(in);
    return p;
}

// A4 with artwork on "Layer 1"; mark centres in mm from the bottom left. With
// cut layers: a dashed 100 mm square and a crease from (60, 100) to (140, 100).
Document &sheet(const Marks &marks, bool cutLayers, const QStringList &extra = {})
{
    SimHost &host = SimHost::instance();
    Document &doc = host.createDocument();
    host.addShape(doc, "Layer 1", mmPath(QRectF(40, 60, 80, 50)));
    for (const QString &name : extra)
        host.addLayer(doc, name);
    for (const QPointF &c : marks)
        host.addShape(doc, "Mark Layer", mmPath(QRectF(c - QPointF(2.5, 2.5), QSizeF(5, 5)), true));
    if (cutLayers) {
        host.addShape(doc, "Cutting Layer", mmPath(QRectF(50, 50, 100, 100))).dashed = true;
        host.addShape(doc, "Creasing Layer", mmPath(QRectF(60, 100, 80, 0))).dashed = true;
    }
    return doc;
}

// Centres (400, 600) to (7600, 11000) in plotter units, y down.
const Marks frame = { { 10, 282 }, { 190, 282 }, { 10, 22 }, { 190, 22 } };

QStringList hostLog()
{
    QStringList out;
    for (const simhost::Call &c : SimHost::instance().calls()) {
        QStringList args;
        for (const QVariant &a : c.args)
            args << (a.userType() == qMetaTypeId<ax::ObjectRef>() ? "obj" : a.toString());
        out << c.object + '.' + c.member + ' ' + args.join(',');
    }
    return out;
}

int serial(PluginMW &w)
{
    return child<QSpinBox>(&w, "qrCodeStr")->value();
}
} // namespace

class TestMainActions : public QObject
{
    Q_OBJECT

    Recorder rec;
    QList<dialogs::FileRequest> files;
    QString fileAnswer;
    QList<bool> enabledAtBox;
    QPushButton *button = nullptr;

    void click(PluginMW &w, const char *name)
    {
        button = child<QPushButton>(&w, name);
        button->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(button->isEnabled());
    }

private slots:
    void init()
    {
        freshWorkFolder();
        button = nullptr;
        SimHost::instance().reset();
        rec = Recorder();
        rec.install();
        enabledAtBox.clear();
        dialogs::setMessageHook([this](const dialogs::Message &m) {
            rec.messages << m;
            enabledAtBox << (!button || button->isEnabled());
            return QMessageBox::Ok;
        });
        files.clear();
        fileAnswer.clear();
        dialogs::setFileHook([this](const dialogs::FileRequest &r) {
            files << r;
            return fileAnswer.isEmpty() ? fileAnswer : workFolder() + fileAnswer;
        });
        writeConfig({ { "PluginMW/useCDRVersion", progId } });
    }
    void cleanup()
    {
        Recorder::uninstall();
        dialogs::setFileHook({});
        QVERIFY(SimHost::instance().errors().isEmpty());
    }

    void hostNotReachable_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *b : { "genMark", "genOutline", "setPrint", "setCut", "saveFile" })
            QTest::newRow(b) << b;
    }
    void hostNotReachable()
    {
        QFETCH(QString, name);
        SimHost::instance().setRegistered(progId, false);
        PluginMW w;
        set(&w, { { "useQRCode", true }, { "printSelect", 1 } });
        click(w, name.toLatin1().constData());
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY(rec.messages[0].text.startsWith("Please Confirm CorelDraw"));
        QCOMPARE(rec.messages[0].parent, &w);
        QCOMPARE(enabledAtBox, QList<bool> { true });
        QVERIFY(SimHost::instance().calls().isEmpty() && files.isEmpty());
        QCOMPARE(serial(w), 10000000);
        QVERIFY(!QSettings(settingsFile(), QSettings::IniFormat).contains("PluginMW/qrCodeStr"));
    }

    // The click makes the same host calls as the routine called directly
    // with the panel's values in inches.
    void marks_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<bool>("byFigure");
        QTest::addColumn<int>("colour");
        QTest::addColumn<bool>("qr");
        QTest::addColumn<bool>("pieces");
        QTest::newRow("circle by page") << 2 << false << 0 << false << false;
        QTest::newRow("circle by page, red, QR, pieces") << 2 << false << 1 << true << true;
        QTest::newRow("circle by figure, white, QR") << 2 << true << 2 << true << false;
        QTest::newRow("cross by page, QR stored") << 0 << false << 1 << true << false;
        QTest::newRow("cross by figure") << 0 << true << 0 << false << false;
        QTest::newRow("right angle by page") << 1 << false << 2 << false << true;
        QTest::newRow("right angle by figure") << 1 << true << 0 << false << false;
    }
    void marks()
    {
        QFETCH(int, shape);
        QFETCH(bool, byFigure);
        QFETCH(int, colour);
        QFETCH(bool, qr);
        QFETCH(bool, pieces);
        const int cmyk[3][4] = { { 0, 0, 0, 100 }, { 0, 100, 100, 0 }, { 0, 0, 0, 0 } };
        const int *k = cmyk[colour];
        const int passed = shape == 2 && qr ? 10000006 : 10000005;
        const double in = Units::mmPerInch;
        auto makeDoc = [] { // tall enough to be segmented either way
            SimHost::instance().reset();
            SimHost &h = SimHost::instance();
            h.addShape(h.createDocument(), "Layer 1", mmPath(QRectF(30, 20, 150, 250)));
        };
        makeDoc();
        {
            CdrOperate op(progId);
            auto circle
                = byFigure ? &CdrOperate::genCircleMarkByFigure : &CdrOperate::genCircleMarkByPage;
            auto cross
                = byFigure ? &CdrOperate::genCrossMarkByFigure : &CdrOperate::genCrossMarkByPage;
            auto angle = byFigure ? &CdrOperate::genRtAngleMarkByFigure
                                  : &CdrOperate::genRtAngleMarkByPage;
            if (shape == 2)
                (op.*circle)(12 / in, 8 / in, 20 / in, 15 / in, 6.5 / in, true, 150 / in, qr, true,
                    11 / in, passed, k[0], k[1], k[2], k[3]);
            else
                (op.*(shape == 0 ? cross : angle))(12 / in, 8 / in, 20 / in, 15 / in, 11 / in,
                    13 / in, 0.8 / in, true, 150 / in, k[0], k[1], k[2], k[3]);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QStringList expected = hostLog();
        makeDoc();
        delete new CdrOperate(progId);
        const int linkCalls = SimHost::instance().calls().size(); // made before any drawing
        makeDoc();
        writeConfig({ { "PluginMW/qrCodeStr", 10000005 }, { "PluginMW/isSegment", true },
            { "PluginMW/bySegPieces", pieces }, { "PluginMW/bySegLength", !pieces } });
        // what config.ini holds, on disk, at each host call
        QList<int> storedAtCall;
        const auto unobserved = qScopeGuard([] { SimHost::instance().setCallObserver({}); });
        SimHost::instance().setCallObserver([&storedAtCall](const simhost::Call &) {
            static const QRegularExpression key("qrCodeStr=(\\d+)");
            storedAtCall << key.match(fileBytes(settingsFile())).captured(1).toInt();
        });
        PluginMW w;
        set(&w,
            { { "markSelect", shape }, { "byFigure", byFigure }, { "markColor", colour },
                { "useQRCode", qr }, { "isInkJet", true }, { "qrCodeSize", 11 }, { "topRev", 12 },
                { "leftRev", 8 }, { "rightRev", 20 }, { "bottomRev", 15 }, { "markDiameter", 6.5 },
                { "ySegLength", 150 }, { "markWidth", 11 }, { "markHeight", 13 },
                { "markWeight", 0.8 } });
        click(w, "genMark");
        QCOMPARE(hostLog(), expected);
        // the label's number is stored before the host draws anything
        const int stored = qr && shape == 2 ? passed : 10000005;
        QVERIFY(storedAtCall.size() > linkCalls);
        for (int i = linkCalls; i < storedAtCall.size(); ++i)
            QCOMPARE(storedAtCall[i], stored);
        QCOMPARE(serial(w), passed);
        QCOMPARE(
            QSettings(settingsFile(), QSettings::IniFormat).value("PluginMW/qrCodeStr").toInt(),
            qr ? passed : 10000005);
    }

    // A label is drawn only under a number config.ini holds: one that cannot
    // be stored draws nothing at all.
    void serialFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("drawn"); // 0 nothing, 1 marks alone, 2 marks and label
        const QString ini = QDir::toNativeSeparators(settingsFile());
        const QString notSaved = "Could not save the QR serial number to " + ini + ": ";
        const QString locked = notSaved + "the file is locked by another program.";
        QTest::newRow("at its maximum: no marks")
            << "maximum"
            << "The QR serial number has reached 99999999 and cannot count further." << 0;
        QTest::newRow("store fails") << "folder" << notSaved + "a folder has its name." << 0;
        QTest::newRow("a folder in the lock's place")
            << "stuck"
            << notSaved + QDir::toNativeSeparators(settingsFile() + ".lock")
                + " is not a lock file: remove it to go on."
            << 0;
        // left as it is: a link Qt judged old would have been removed
        QTest::newRow("a link in the lock's place")
            << "link"
            << notSaved + QDir::toNativeSeparators(settingsFile() + ".lock")
                + " is not a lock file: remove it to go on."
            << 0;
        QTest::newRow("a folder in the .rmlock's place")
            << "stuck rmlock"
            << notSaved + QDir::toNativeSeparators(settingsFile() + ".lock.rmlock")
                + " is not a lock file: remove it to go on."
            << 0;
        QTest::newRow("a link in the .rmlock's place")
            << "link rmlock"
            << notSaved + QDir::toNativeSeparators(settingsFile() + ".lock.rmlock")
                + " is not a lock file: remove it to go on."
            << 0;
        // the files of the folder it points to stay
        const QString notOurs = notSaved + QDir::toNativeSeparators(settingsFile() + ".saving")
            + " is not a folder of this program: remove it to go on.";
        QTest::newRow("a link to a folder at config.ini.saving") << "saving link" << notOurs << 0;
        QTest::newRow("a file at config.ini.saving") << "saving file" << notOurs << 0;
        QTest::newRow("settings lock held by another program") << "held" << locked << 0;
        // stopped before it wrote its process id: the native lock tells it
        QTest::newRow("lock of a live program, empty and 11 s old") << "held empty" << locked << 0;
        // the last resort: its holder runs, but could not remove it
        QTest::newRow("lock of a live program, 11 minutes old") << "held 660"
                                                                << "" << 2;
        // looked at before the wait, so that the hold stays short: a job of
        // ours filed meanwhile carries a number stored under the lock
        QTest::newRow("a job filed while it waits, not counted") << "filed"
                                                                 << "" << 2;
        // a copy killed while it made the lock, before the lock named it
        QTest::newRow("lock naming nobody, just made") << "nobody 0" << locked << 0;
        QTest::newRow("lock naming nobody, 11 s old") << "nobody 11"
                                                      << "" << 2;
        QTest::newRow("lock of a process that is gone") << "gone"
                                                        << "" << 2;
        // a copy killed while it removed such a lock
        QTest::newRow("lock of a process that is gone, an empty .rmlock 11 s old") << "gone rmlock"
                                                                                   << "" << 2;
        QTest::newRow("disk full") << "full" << notSaved + "File too large." << 0;
        QTest::newRow("config.ini read-only")
            << "read-only" << notSaved + "the file or its folder is read-only." << 0;
        // the sheet could not be scanned: marks drawn, no label layer
        QTest::newRow("label picture not written")
            << "picture"
            << "The marks were drawn without the QR label: its picture "
                + QDir::toNativeSeparators(workFolder() + "ABDOPQR.png")
                + " could not be written: a folder has its name."
            << 1;
    }
    void serialFaults()
    {
        QFETCH(QString, fault);
        QFETCH(QString, said);
        QFETCH(int, drawn);
        const bool atMaximum = fault == "maximum";
        // large enough to hold the label picture's size, small enough that
        // QSaveFile holds it in its buffer until the commit
        writeConfig({ { "PluginMW/qrCodeStr", atMaximum ? 99999999 : 10000000 },
            { "PluginMW/useQRCode", true }, { "Notes/pad", QString(12000, 'x') } });
        { // the host calls of the link alone
            SimHost::instance().createDocument();
            CdrOperate(progId).setLayerNames("EN");
        }
        const QStringList linkOnly = hostLog();
        SimHost::instance().reset();
        SimHost::instance().createDocument();
        PluginMW w;
        const QString before = fileBytes(settingsFile());
        const QString lock = settingsFile() + ".lock";
        QProcess holder; // another program that holds the lock, or held it
        const bool stillHeld = fault == "held" || fault == "held empty";
        const auto lockedBy = [&](int age) {
            holder.start("sleep", { "60" });
            QVERIFY(holder.waitForStarted());
            // named as the system names the running program: "sleep" may be
            // a multi-call binary's link
            const QString program
                = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(holder.processId()));
            QFile f(lock);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::number(holder.processId()) + '\n' + program.toUtf8() + '\n'
                + QSysInfo::machineHostName().toUtf8() + '\n');
            f.close();
            // older than a lock naming nobody may get: its holder still runs
            QVERIFY(f.open(QIODevice::Append));
            QVERIFY(f.setFileTime(
                QDateTime::currentDateTime().addSecs(-age), QFileDevice::FileModificationTime));
        };
        TestMount readOnly;
        if (fault == "folder") {
            QFile::remove(settingsFile());
            QDir().mkpath(settingsFile()); // a folder in the file's place
        }
        if (fault == "stuck")
            QDir().mkpath(lock + "/held"); // cannot be removed
        if (fault == "link") { // to a file an hour old
            QFile target(workFolder() + "old.txt");
            QVERIFY(target.open(QIODevice::WriteOnly));
            QVERIFY(target.setFileTime(
                QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
            QVERIFY(QFile::link(target.fileName(), lock));
        }
        if (fault == "held empty") { // a copy of the program, through Qt
            holder.start(LOCKHOLDER_PATH, { lock, "11" });
            QVERIFY(holder.waitForReadyRead(10000));
            QCOMPARE(holder.readAllStandardOutput(), QByteArray("held\n"));
            QCOMPARE(QFileInfo(lock).size(), 0);
        } else if (fault.startsWith("held")) {
            lockedBy(fault == "held" ? 11 : fault.mid(5).toInt());
        }
        if (fault == "stuck rmlock")
            QDir().mkpath(lock + ".rmlock/held");
        if (fault == "link rmlock")
            QVERIFY(QFile::link(workFolder() + "old.txt", lock + ".rmlock"));
        const QString elsewhere = QDir::tempPath() + "/kept-elsewhere";
        if (fault == "saving link") {
            QVERIFY(QDir().mkpath(elsewhere + "/inside"));
            QFile f(elsewhere + "/inside/notes.txt");
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("mine") == 4);
            QVERIFY(QFile::link(elsewhere, settingsFile() + ".saving"));
        }
        if (fault == "saving file") {
            QFile f(settingsFile() + ".saving");
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("mine") == 4);
        }
        std::thread filer; // files a job while the mark waits, then lets go
        if (fault == "filed") {
            lockedBy(11);
            QVERIFY(QDir().mkpath(qrJobsFolder()));
            filer = std::thread([&lock] {
                std::this_thread::sleep_for(std::chrono::seconds(1));
                QFile job(qrJobsFolder() + "10000050.plt");
                job.open(QIODevice::WriteOnly);
                job.close();
                QFile::remove(lock);
            });
        }
        if (fault == "read-only") {
            readOnly = TestMount::readOnly(settingsFile());
            if (!readOnly.mounted())
                QSKIP("needs a read-only bind mount (Linux, as root)");
        }
        if (fault.startsWith("nobody")) {
            QFile f(lock);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const int age = fault.mid(7).toInt();
            QVERIFY(f.setFileTime(
                QDateTime::currentDateTime().addSecs(-age), QFileDevice::FileModificationTime));
        }
        if (fault.startsWith("gone")) {
            lockedBy(11);
            holder.kill();
            QVERIFY(holder.waitForFinished());
        }
        if (fault == "gone rmlock") {
            QFile f(lock + ".rmlock");
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.setFileTime(
                QDateTime::currentDateTime().addSecs(-11), QFileDevice::FileModificationTime));
        }
        if (fault == "picture")
            QDir().mkpath(workFolder() + "ABDOPQR.png/held");
        // the pointer as each wait for a lock began and ended
        QList<int> pointer;
        const LockWaitHook showWait = lockWaitHook();
        setLockWaitHook([&](bool waiting) {
            showWait(waiting);
            const QCursor *c = QGuiApplication::overrideCursor();
            pointer << (c ? int(c->shape()) : -1);
        });
        {
            FileSizeLimit limit(fault == "full" ? 8192 : 1 << 30);
            click(w, "genMark");
        }
        setLockWaitHook(showWait);
        if (filer.joinable())
            filer.join();
        QVERIFY(!QGuiApplication::overrideCursor());
        if (stillHeld || fault == "nobody 0" || fault == "filed")
            QCOMPARE(pointer, (QList<int> { Qt::WaitCursor, -1 }));
        else
            QVERIFY(pointer.isEmpty() || pointer == (QList<int> { Qt::WaitCursor, -1 }));
        QCOMPARE(QFileInfo(lock).isSymLink(), fault == "link");
        QCOMPARE(QFileInfo(lock + ".rmlock").isSymLink(), fault == "link rmlock");
        if (fault == "link")
            QFile::remove(lock);
        QFile::remove(lock + ".rmlock");
        QDir(lock).removeRecursively(); // the folder that stuck it
        QDir(lock + ".rmlock").removeRecursively();
        if (fault == "saving link") {
            QCOMPARE(fileBytes(elsewhere + "/inside/notes.txt"), QString("mine"));
            QVERIFY(QFileInfo(settingsFile() + ".saving").isSymLink());
            QFile::remove(settingsFile() + ".saving");
            QDir(elsewhere).removeRecursively();
        }
        if (fault == "saving file")
            QCOMPARE(fileBytes(settingsFile() + ".saving"), QString("mine"));
        QVERIFY(!QFileInfo::exists(lock + ".rmlock"));
        QCOMPARE(rec.messages.size(), said.isEmpty() ? 0 : 1);
        if (!said.isEmpty())
            QCOMPARE(rec.messages[0].text, said);
        const int label = atMaximum ? 99999999 : drawn ? 10000001 : 10000000;
        QCOMPARE(serial(w), label);
        if (drawn == 0)
            QCOMPARE(hostLog(), atMaximum ? QStringList() : linkOnly);
        if (fault != "folder" && fault != "picture" && drawn == 0)
            QCOMPARE(fileBytes(settingsFile()), before);
        if (drawn)
            QCOMPARE(
                QSettings(settingsFile(), QSettings::IniFormat).value("PluginMW/qrCodeStr").toInt(),
                label);
        simhost::Document *doc = SimHost::instance().activeDocument();
        QVERIFY(doc);
        QCOMPARE(bool(doc->layer("QR Code:10000001")), drawn == 2);
        // a lock taken over is let go as any other
        QCOMPARE(QFileInfo::exists(lock), stillHeld || fault == "nobody 0");
        // once its holder has ended, the next mark draws the next number
        if (stillHeld) {
            holder.kill();
            QVERIFY(holder.waitForFinished());
            click(w, "genMark");
            QCOMPARE(rec.messages.size(), 1);
            QCOMPARE(serial(w), 10000001);
            QVERIFY(doc->layer("QR Code:10000001"));
        }
        QFile::remove(lock);
    }

    // No number is handed out twice, whatever config.ini holds and however
    // many copies count on one work folder: "QR Jobs/" holds 10000001-10000003.
    void serialFromDisk_data()
    {
        QTest::addColumn<QString>("config");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("firstClosesLast");
        QTest::addColumn<QString>("told"); // at the start
        QTest::addColumn<int>("first"); // the first label drawn
        const QString read = "The settings file " + QDir::toNativeSeparators(settingsFile());
        const auto lineNotWhole = [&read](const QString &line) {
            return read + " does not read back whole: line " + line
                + ". The settings that could be read are used. It was set "
                  "aside as ";
        };
        QTest::newRow("stored below the filed jobs") << "10000002" << 1 << false << "" << 10000004;
        QTest::newRow("config.ini gone") << "gone" << 1 << false << "" << 10000004;
        QTest::newRow("serial text") << "abc" << 1 << false
                                     << read
                + " holds no number for PluginMW/qrCodeStr; those settings keep the form's own "
                  "values." << 10000004;
        QTest::newRow("serial negative") << "-5" << 1 << false << "" << 10000004;
        QTest::newRow("config.ini a folder") << "folder" << 1 << false
                                             << read
                + " could not be read: a folder has its name. The form's own settings are used. "
                  "It was set aside as " << 10000004;
        QTest::newRow("binary bytes")
            << "junk" << 1 << false
            << lineNotWhole("1, \"" + QString("\\x9c").repeated(14) + "...\"") << 10000004;
        QTest::newRow("trailing NULs")
            << "nuls" << 1 << false
            << lineNotWhole("5, \"" + QString("\\u0000").repeated(9) + "...\"") << 10000004;
        // QSettings parses such a line only when it reads the section
        QTest::newRow("a line of no key")
            << "note" << 1 << false << lineNotWhole("5, \"# kept by hand\"") << 10000004;
        // judged beside it: the temporary folder is not used
        QTest::newRow("a line of no key, the temporary folder read-only")
            << "temp note" << 1 << false << lineNotWhole("5, \"# kept by hand\"") << 10000004;
        // the send window reads its group first, and QSettings keeps that parse
        QTest::newRow("a line of no key, last in [SendMW]")
            << "send note" << 1 << false << lineNotWhole("8, \"# kept by hand\"") << 10000004;
        QTest::newRow("byte-order mark")
            << "bom" << 1 << false << lineNotWhole("1, \"\\ufeff[PluginMW]\"") << 10000004;
        // the digits of a damaged serial line still count: 10000009 is stored
        QTest::newRow("serial with a letter after its digits") << "10000009x" << 1 << false
                                                               << read
                + " holds no number for PluginMW/qrCodeStr; those settings keep the form's own "
                  "values." << 10000010;
        QTest::newRow("serial line joined to the one before it") << "joined" << 1 << false
                                                                 << read
                + " holds no number for PluginMW/qrCodeSize; those settings keep the form's own "
                  "values." << 10000010;
        QTest::newRow("NULs right after the serial's digits")
            << "serial nuls" << 1 << false
            << lineNotWhole("2, \"qrCodeStr=10000009" + QString("\\u0000").repeated(6) + "...\"")
            << 10000010;
        QTest::newRow("two copies, the second closes last")
            << "10000002" << 2 << false << "" << 10000004;
        QTest::newRow("two copies, the first closes last")
            << "10000002" << 2 << true << "" << 10000004;
        // only config.ini tells the second copy of the first one's number
        QTest::newRow("two copies, both mark before filing")
            << "unfiled" << 2 << false << "" << 10000004;
    }
    void serialFromDisk()
    {
        QFETCH(QString, config);
        QFETCH(int, copies);
        QFETCH(bool, firstClosesLast);
        QFETCH(QString, told);
        QFETCH(int, first);
        QMap<QString, QString> filed;
        for (int n = 10000001; n <= 10000003; ++n) {
            const QString job = qrJobsFolder() + QString::number(n) + ".plt";
            QVERIFY(QDir().mkpath(qrJobsFolder()));
            QFile f(job);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("MD0,0,1,1,5;PU;") == 15);
            filed[job] = "MD0,0,1,1,5;PU;";
        }
        const QVariant stored = config == "gone"            ? QVariant()
            : config == "unfiled"                           ? QVariant("10000002")
            : config == "serial nuls" || config == "joined" ? QVariant(10000009)
                                                            : QVariant(config);
        writeConfig({ { "PluginMW/qrCodeStr", stored }, { "PluginMW/topRev", 12.0 } });
        QFile ini(settingsFile());
        if (config == "joined") { // a "\" ends the line before the serial's
            writeConfig({ { "PluginMW/qrCodeSize", 20 } });
            QByteArray text = fileBytes(settingsFile()).toLatin1();
            QVERIFY(text.contains("qrCodeSize=20\nqrCodeStr=10000009\n"));
            text.replace("qrCodeSize=20\n", "qrCodeSize=20\\\n");
            QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(text) == text.size());
        }
        if (config == "serial nuls") { // the file cut after the digits, as a crash leaves it
            QByteArray text = fileBytes(settingsFile()).toLatin1();
            text.truncate(text.indexOf("qrCodeStr=10000009") + 18);
            QVERIFY(ini.open(QIODevice::WriteOnly)
                && ini.write(text + QByteArray(512, '\0')) == text.size() + 512);
        }
        ini.close();
        if (config == "send note")
            writeConfig({ { "SendMW/knifeOffset", 0.7 } });
        if (config == "gone" || config == "folder")
            QVERIFY(ini.remove());
        if (config == "folder")
            QVERIFY(QDir().mkpath(settingsFile() + "/held"));
        QVERIFY(config != "junk"
            || (ini.open(QIODevice::WriteOnly)
                && ini.write(QByteArray(4096, '\x9c') + QByteArray(9, '\x01')) > 0));
        QVERIFY(config != "nuls"
            || (ini.open(QIODevice::Append) && ini.write(QByteArray(512, '\0')) == 512));
        QVERIFY(!config.endsWith("note")
            || (ini.open(QIODevice::Append) && ini.write("# kept by hand\n") > 0));
        if (config == "bom") {
            const QByteArray text = fileBytes(settingsFile()).toLatin1();
            QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write("\xEF\xBB\xBF" + text) > 3);
        }
        ini.close();
        sheet(frame, true);
        const QByteArray tmpdir = qgetenv("TMPDIR");
        TestMount readOnlyTemp;
        if (config == "temp note") {
            QVERIFY(QDir().mkpath(workFolder() + "temp"));
            readOnlyTemp = TestMount::readOnly(workFolder() + "temp");
            if (!readOnlyTemp.mounted())
                QSKIP("needs a read-only bind mount (Linux, as root)");
            qputenv("TMPDIR", QFile::encodeName(workFolder() + "temp"));
        }
        QList<PluginMW *> w;
        for (int i = 0; i < copies; ++i) {
            w << new PluginMW;
            set(w[i], { { "useCDRVersion", 10 }, { "useQRCode", true } });
        }
        if (tmpdir.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", tmpdir);
        QCOMPARE(rec.messages.size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty()) {
            QVERIFY2(rec.messages[0].text.startsWith(told), qPrintable(rec.messages[0].text));
            const QStringList aside
                = QDir(workFolder()).entryList({ "config.ini.unreadable-*" }, QDir::AllEntries);
            QCOMPARE(aside.size(), told.endsWith("set aside as ") ? 1 : 0);
            if (config == "nuls") // what could be read is used
                QCOMPARE(child<QDoubleSpinBox>(w[0], "topRev")->value(), 12.0);
            // the new one holds both windows' groups at once
            if (told.endsWith("set aside as ")) {
                const QSettings renewed(settingsFile(), QSettings::IniFormat);
                QCOMPARE(renewed.value("PluginMW/topRev").toDouble(),
                    child<QDoubleSpinBox>(w[0], "topRev")->value());
                QVERIFY(renewed.contains("SendMW/conSend"));
                if (config == "send note")
                    QCOMPARE(renewed.value("SendMW/knifeOffset").toDouble(), 0.7);
                // the set-aside kept the number its line still told
                if (first > 10000004) {
                    QCOMPARE(renewed.value("PluginMW/qrCodeStr").toInt(), first - 1);
                    QVERIFY(!rec.messages[0].text.contains("holds no number"));
                }
            }
        }
        QList<int> labels;
        for (PluginMW *copy : w) {
            click(*copy, "genMark");
            labels << serial(*copy);
            // the host's one document carries the last label only
            if (config != "unfiled" || copy == w.last())
                click(*copy, "saveFile");
        }
        if (firstClosesLast)
            std::reverse(w.begin(), w.end());
        for (PluginMW *copy : w) {
            copy->show();
            QVERIFY(copy->close());
            delete copy;
        }
        QCOMPARE(rec.messages.size(), told.isEmpty() ? 0 : 1);
        QCOMPARE(labels.first(), first);
        QCOMPARE(labels.last(), first + copies - 1);
        for (auto it = filed.begin(); it != filed.end(); ++it)
            QCOMPARE(fileBytes(it.key()), it.value());
        for (int label : labels)
            QVERIFY((config == "unfiled" && label != labels.last())
                || fileBytes(qrJobsFolder() + QString::number(label) + ".plt")
                       .startsWith("MD0,0,"));
        QVERIFY(QFileInfo(settingsFile()).isFile());
        QCOMPARE(
            QSettings(settingsFile(), QSettings::IniFormat).value("PluginMW/qrCodeStr").toInt(),
            labels.last());
    }

    // Two copies of the program on one work folder, with a host a little
    // slower with files than the simulated one: each label carries its own
    // picture and each filed job its own copy's cut lines.
    void copiesShareScratchFiles()
    {
        QList<QProcess *> copies;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VEMO_USB_NO_DEFAULT", "1");
        // time enough for both to set up, under a loaded machine's sanitizers too
        const QString startAt = QString::number(QDateTime::currentMSecsSinceEpoch() + 4000);
        for (int copy = 1; copy <= 2; ++copy) {
            copies << new QProcess(this);
            copies.last()->setProcessEnvironment(env);
            copies.last()->start(MARKCOPY_PATH,
                { QString::number(copy), "8", "--save", "--delay", "100", "--start-at", startAt,
                    "--period", "1000" });
        }
        QList<QStringList> rounds;
        for (QProcess *copy : copies) {
            QVERIFY(copy->waitForFinished(120000));
            QCOMPARE(copy->exitCode(), 0);
            rounds
                << QString::fromUtf8(copy->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
            delete copy;
        }
        QSet<QString> labels;
        for (const QString &line : rounds[0] + rounds[1]) {
            QVERIFY2(line.startsWith("round ") && line.contains(" picture ok job ok "),
                qPrintable(line));
            labels << line.section(' ', 1, 1);
        }
        QCOMPARE(rounds[0].size(), 8);
        QCOMPARE(rounds[1].size(), 8);
        QCOMPARE(labels.size(), 16);
        // only copies that pressed together could have mixed anything
        int together = 0;
        for (int r = 0; r < 8; ++r)
            together += qAbs(rounds[0][r].section(' ', -1).toLongLong()
                            - rounds[1][r].section(' ', -1).toLongLong())
                < 50;
        if (together < 4)
            QSKIP("the copies did not press together: the machine is too busy");
    }

    // Copies marking while another starts on a config.ini damaged by hand,
    // time after time, with a slow disk under the hold that sets it aside:
    // config.ini is never missing, and no number is drawn twice.
    void copiesMarkWhileOneSetsAside()
    {
        writeConfig({ { "PluginMW/qrCodeStr", 10000000 } });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VEMO_USB_NO_DEFAULT", "1");
        const qint64 startAt = QDateTime::currentMSecsSinceEpoch() + 4000;
        QList<QProcess *> markers;
        for (int copy = 1; copy <= 2; ++copy) {
            markers << new QProcess(this);
            markers.last()->setProcessEnvironment(env);
            markers.last()->start(MARKCOPY_PATH,
                { QString::number(copy), "40", "--start-at", QString::number(startAt), "--period",
                    "150" });
        }
        while (QDateTime::currentMSecsSinceEpoch() < startAt + 300)
            QThread::msleep(20);
        const int starts = 5;
        int missing = 0;
        QList<qint64> startedAt;
        for (int s = 0; s < starts; ++s) {
            {
                WorkLock lock(settingsFile());
                QVERIFY(lock.lock(10000).ok());
                QFile ini(settingsFile());
                QVERIFY(ini.open(QIODevice::Append) && ini.write("# kept by hand\n") > 0);
            }
            startedAt << QDateTime::currentMSecsSinceEpoch();
            QProcess starter;
            starter.setProcessEnvironment(env);
            starter.start(MARKCOPY_PATH, { "3", "0", "--aside-delay", "300" });
            QVERIFY(starter.waitForStarted());
            while (!starter.waitForFinished(2))
                missing += !QFileInfo(settingsFile()).isFile();
            QCOMPARE(starter.exitCode(), 0);
            missing += !QFileInfo(settingsFile()).isFile();
        }
        QSet<QString> labels;
        int drawn = 0;
        qint64 first = 0, last = 0;
        for (QProcess *marker : markers) {
            QVERIFY(marker->waitForFinished(120000));
            QCOMPARE(marker->exitCode(), 0);
            const QStringList lines = QString::fromUtf8(marker->readAllStandardOutput())
                                          .split('\n', Qt::SkipEmptyParts);
            for (const QString &line : lines) {
                if (!line.startsWith("round "))
                    continue;
                const qint64 at = line.section(' ', -1).toLongLong();
                first = first ? qMin(first, at) : at;
                last = qMax(last, at);
                if (line.contains(" picture ok ")) {
                    ++drawn;
                    labels << line.section(' ', 1, 1);
                }
            }
            delete marker;
        }
        QCOMPARE(missing, 0);
        QCOMPARE(labels.size(), drawn);
        QCOMPARE(QDir(workFolder()).entryList({ "config.ini.unreadable-*" }).size(), starts);
        // only starts made while the copies marked could have mixed anything
        if (startedAt.first() > last || startedAt.last() < first)
            QSKIP("the copies did not mark while the other started: the machine is too busy");
    }

    void outlineAndPrint_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QStringList>("members"); // host routines, in order
        QTest::newRow("layer") << "genOutline" << 0 << QStringList { "Cutting Layer" };
        QTest::newRow("boundary") << "genOutline" << 1 << QStringList { "CreateBoundary" };
        QTest::newRow("contour, crease")
            << "genOutline" << 2 << QStringList { "CreateContour", "Creasing Layer" };
        QTest::newRow("print") << "setPrint" << 0 << QStringList { "PrintOut" };
        QTest::newRow("pdf") << "setPrint" << 1 << QStringList { "PublishToPDF" };
        QTest::newRow("pdf cancelled") << "setPrint" << 1 << QStringList();
    }
    void outlineAndPrint()
    {
        QFETCH(QString, name);
        QFETCH(int, choice);
        QFETCH(QStringList, members);
        sheet({}, false);
        PluginMW w;
        set(&w,
            { { "outlineSelect", choice }, { "genCrease", members.size() == 2 },
                { "printSelect", choice } });
        if (!members.isEmpty())
            fileAnswer = "out";
        click(w, name.toLatin1().constData());
        const QString log = hostLog().join('\n');
        int from = 0;
        for (const QString &m : members) {
            from = log.indexOf(m, from);
            QVERIFY2(from >= 0, qPrintable(m));
        }
        for (const char *other : { "CreateBoundary", "CreateContour", "PrintOut", "PublishToPDF" })
            QCOMPARE(log.contains(other), members.contains(other));
        QCOMPARE(files.size(), int(name == "setPrint" && choice == 1));
        if (members == QStringList { "PublishToPDF" }) // with the filter's suffix
            QCOMPARE(SimHost::instance().pdfs()[0].file, workFolder() + "out.pdf");
        if (members.isEmpty()) // nothing after opening the link
            QCOMPARE(SimHost::instance().calls().size(), 1);
    }

    void handOff_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Marks>("marks");
        QTest::addColumn<QRectF>("first"); // extents of the first and last preview path
        QTest::addColumn<QRectF>("last");
        QTest::addColumn<int>("sentBefore"); // a mode cut and sent first, or -1
        // where the preview draws the paths' top-left corner, after the cut
        // button, after Send and after the cut button again
        QTest::addColumn<QPoint>("drawn");
        const QRectF square(2000, 5880, 4000, 4000), art(1600, 7480, 3200, 2000);
        QTest::newRow("direct: own corner") << 0 << frame << art.translated(-1600, -5880)
                                            << square.translated(-1600, -5880) << -1 << QPoint();
        QTest::newRow("marks: crease first, unscaled")
            << 1 << frame << QRectF(2000, 7280, 3200, 0) << square.translated(-400, -600) << -1
            << QPoint(2000, 5880);
        QTest::newRow("marks: none, silent stop")
            << 1 << Marks() << QRectF() << QRectF() << -1 << QPoint();
        QTest::newRow("blank: page place")
            << 2 << frame << art << square << -1 << QPoint(1600, 5880);
        QTest::newRow("direct after a marks send: no mark added")
            << 0 << frame << art.translated(-1600, -5880) << square.translated(-1600, -5880) << 1
            << QPoint();
    }
    void handOff()
    {
        QFETCH(int, mode);
        QFETCH(Marks, marks);
        QFETCH(QRectF, first);
        QFETCH(QRectF, last);
        QFETCH(int, sentBefore);
        QFETCH(QPoint, drawn);
        Document &doc = sheet(marks, true);
        PluginMW w;
        QWidget *send = topLevel("SendMW");
        if (sentBefore >= 0) {
            set(&w, { { "cutSelect", sentBefore } });
            click(w, "setCut");
            child<QPushButton>(send, "send")->click();
            send->close();
            // the cutting layer's export left the others unprintable
            for (simhost::Layer &l : doc.layers)
                l.printable = true;
        }
        const int exportsBefore = SimHost::instance().exports().size();
        for (const char *l : { "Mark Layer", "Creasing Layer" })
            if (mode != 1 && doc.layer(l))
                doc.layer(l)->printable = false;
        set(&w, { { "cutSelect", mode } });
        click(w, "setCut");
        QCOMPARE(send->isVisible(), !first.isNull());
        QCOMPARE(SimHost::instance().exports().size() - exportsBefore,
            first.isNull() ? 0 : 1 + (mode == 1));
        if (first.isNull())
            return;
        QCOMPARE(child<QWidget>(send, "blankRevX")->isVisibleTo(send), mode == 2);
        // what was handed over, as the cut button reads it
        CdrOperate op(progId);
        const QList<CutPath> paths = readCutJob(op, CutMode(mode), op.markCentres(),
            workFolder() + "s.plt", CutOptions(), PipelineEnd::AfterTranslate)
                                         .both();
        QCOMPARE(paths.size(), 2);
        HpglTool tool;
        for (const QRectF &want : { first, last }) {
            const CutPath &p = want == first ? paths.first() : paths.last();
            const QRectF got(tool.minCorner(p), tool.maxCorner(p));
            QVERIFY2((got.topLeft() - want.topLeft()).manhattanLength() < 2
                    && qAbs(got.width() - want.width()) + qAbs(got.height() - want.height()) < 2,
                qPrintable(QStringLiteral("%1,%2").arg(got.left()).arg(got.top())));
        }

        // one place whichever press showed the job
        auto *preview = child<QPaintWidget>(send, "paintWidget");
        const auto drawnThere = [&] {
            const QPointF at = tool.minCornerAll(preview->paths) + preview->markPoints.value(0);
            QVERIFY2((at - drawn).manhattanLength() < 2,
                qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
        };
        drawnThere();
        child<QPushButton>(send, "send")->click();
        drawnThere();
        click(w, "setCut");
        drawnThere();
    }

    void saveFile_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Marks>("marks");
        QTest::addColumn<QString>("qrLayer");
        QTest::addColumn<QString>("answer"); // the dialog's
        QTest::addColumn<QString>("file"); // written, or the QR job
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("cutMoves"); // pen-ups of the cutting body; -1 dashed
        const QString body = "IN;PA;SP1;PU7280,2000;PD7280,5200;PU;SP2;";
        QTest::newRow("direct, no suffix") << 0 << Marks() << ""
                                           << "job1"
                                           << "job1.plt"
                                           << "IN;PA;" << 0;
        QTest::newRow("direct, other suffix") << 0 << Marks() << ""
                                              << "job1.txt"
                                              << "job1.txt"
                                              << "IN;PA;" << 0;
        QTest::newRow("blank A4") << 2 << Marks() << ""
                                  << "b.plt"
                                  << "b.plt"
                                  << "MD0,0,11880,8400,3;IN;PA;" << 0;
        QTest::newRow("marks") << 1 << frame << ""
                               << "m"
                               << "m.plt"
                               << "MD0,0,10400,7200,4;" + body << -1;
        // marks beyond the int range: the span saturates, it does not wrap
        QTest::newRow("marks far off the page") << 1 << Marks { { 10, 1e9 }, { 190, -1e9 } } << ""
                                                << "m.plt"
                                                << "m.plt"
                                                << "MD0,0,2147483647,7200,4;IN;PA;SP1;" << 0;
        QTest::newRow("one mark") << 1 << Marks { frame[0] } << ""
                                  << "m.plt"
                                  << "m.plt"
                                  << "MD0,0,0,0,4;IN;PA;SP1;" << -1;
        QTest::newRow("QR job, solid") << 1 << frame << "QR Code:10000006"
                                       << "wrong.plt"
                                       << "QR Jobs/10000006.plt"
                                       << "MD0,0,10400,7200,5;" + body << 1;
        QTest::newRow("cancelled") << 0 << Marks() << ""
                                   << ""
                                   << ""
                                   << "" << 0;
    }
    void saveFile()
    {
        QFETCH(int, mode);
        QFETCH(Marks, marks);
        QFETCH(QString, qrLayer);
        QFETCH(QString, answer);
        QFETCH(QString, file);
        QFETCH(QString, start);
        QFETCH(int, cutMoves);
        sheet(marks, true, qrLayer.isEmpty() ? QStringList() : QStringList { qrLayer });
        PluginMW w;
        set(&w, { { "cutSelect", mode } });
        QFile old(workFolder() + file); // an older job is replaced
        QVERIFY(file.isEmpty() || (old.open(QIODevice::WriteOnly) && old.write("old") == 3));
        old.close();
        fileAnswer = answer;
        click(w, "saveFile");
        QVERIFY(rec.messages.isEmpty());
        QCOMPARE(files.size(), int(qrLayer.isEmpty()));
        const QString text = fileBytes(workFolder() + file);
        if (file.isEmpty()) {
            QCOMPARE(QDir(workFolder()).entryList({ "*.plt" }), QStringList { "ABDOPQR.plt" });
            return;
        }
        QVERIFY2(text.startsWith(start) && text.endsWith("PU;!PG;"), qPrintable(text.left(99)));
        const int moves = text.mid(text.indexOf("SP2;")).count(QRegularExpression("PU\\d"));
        QVERIFY(cutMoves < 0 ? moves > 10 : cutMoves == 0 || moves == cutMoves);
    }

    // The send window's options finish the cutting lines only.
    void finishingOptions()
    {
        sheet(frame, true);
        PluginMW w;
        fileAnswer = "plain.plt";
        click(w, "saveFile");
        set(topLevel("SendMW"), { { "backlash", true }, { "xBacklash", 1.0 } });
        fileAnswer = "backlash.plt";
        click(w, "saveFile");
        const QString plain = fileBytes(workFolder() + "plain.plt");
        const QString shifted = fileBytes(workFolder() + "backlash.plt");
        const int cut = plain.indexOf("SP2;");
        QVERIFY(cut > 0);
        QCOMPARE(shifted.left(cut + 4), plain.left(cut + 4));
        QVERIFY(shifted.mid(cut) != plain.mid(cut));
    }

    void saveFileRefuses_data()
    {
        QTest::addColumn<QString>("qrLayer");
        QTest::addColumn<bool>("cutLayers");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("named"); // in the warning
        QTest::newRow("unsafe QR name") << "QR Code:../x" << true << ""
                                        << "../x";
        QTest::newRow("no cut paths") << "" << false << "j.plt"
                                      << "";
        QTest::newRow("unwritable") << "" << true << "no/such/j.plt"
                                    << QDir::toNativeSeparators(workFolder() + "no/such/j.plt");
        QTest::newRow("no QR job folder")
            << "QR Code:7" << true << "" << QDir::toNativeSeparators(qrJobsFolder() + "7.plt");
    }
    void saveFileRefuses()
    {
        QFETCH(QString, qrLayer);
        QFETCH(bool, cutLayers);
        QFETCH(QString, answer);
        QFETCH(QString, named);
        sheet(frame, cutLayers, qrLayer.isEmpty() ? QStringList() : QStringList { qrLayer });
        PluginMW w;
        QDir(qrJobsFolder()).removeRecursively();
        fileAnswer = answer;
        click(w, "saveFile");
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY2(rec.messages[0].text.contains(named), qPrintable(rec.messages[0].text));
        QCOMPARE(files.size(), named.endsWith("j.plt") ? 1 : 0);
        QStringList written = QDir(workFolder()).entryList({ "*.plt" });
        written.removeAll("ABDOPQR.plt");
        QVERIFY(written.isEmpty());
        QCOMPARE(SimHost::instance().exports().isEmpty(), named == "../x");
    }

    // A full disk must not leave an empty job where the filed one was.
    void qrJobOnFullDisk()
    {
        sheet(frame, true, { "QR Code:10000002" });
        PluginMW w;
        const QString job = qrJobsFolder() + "10000002.plt";
        TestMount disk = TestMount::tmpfs(qrJobsFolder(), 64);
        if (!disk.mounted())
            QSKIP("needs a tmpfs (Linux, as root)");
        QFile filed(job);
        QVERIFY(filed.open(QIODevice::WriteOnly) && filed.write("MD0,0,1,1,5;PU;") == 15);
        filed.close();
        QVERIFY(fillVolume(qrJobsFolder(), 0));
        click(w, "saveFile");
        QFile::remove(qrJobsFolder() + "filler");
        QCOMPARE(rec.messages.size(), 1);
        QCOMPARE(rec.messages[0].text,
            "Could not write " + QDir::toNativeSeparators(job) + ": the disk is full.");
        QCOMPARE(fileBytes(job), QStringLiteral("MD0,0,1,1,5;PU;"));
    }

    void previews_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("colour");
        QTest::addColumn<bool>("byFigure");
        QTest::addColumn<QList<QPoint>>("ink"); // offsets from the centre, or the
        QTest::addColumn<QList<QPoint>>("paper"); // top left in page mode
        QTest::newRow("circle 5 mm = 10 px")
            << "markView" << 2 << 0 << false << QList<QPoint> { { 0, 0 }, { 4, 0 } }
            << QList<QPoint> { { 7, 0 }, { 0, -7 } };
        QTest::newRow("white on black")
            << "markView" << 2 << 2 << false << QList<QPoint> { { 0, 0 } }
            << QList<QPoint> { { 10, 10 } };
        QTest::newRow("right angle, top left")
            << "markView" << 1 << 0 << false << QList<QPoint> { { 0, -9 }, { -9, 0 } }
            << QList<QPoint> { { 0, 0 }, { 0, 8 }, { 8, 0 } };
        QTest::newRow("paper by page, red")
            << "paperView" << 2 << 1 << false << QList<QPoint> { { 11, 11 } }
            << QList<QPoint> { { 20, 20 }, { 5, 11 } };
        QTest::newRow("paper by figure")
            << "paperView" << 2 << 0 << true << QList<QPoint> { { -69, -84 } }
            << QList<QPoint> { { -63, -78 } };
    }
    void previews()
    {
        QFETCH(QString, view);
        QFETCH(int, shape);
        QFETCH(int, colour);
        QFETCH(bool, byFigure);
        QFETCH(QList<QPoint>, ink);
        QFETCH(QList<QPoint>, paper);
        PluginMW w;
        w.show();
        child<QPushButton>(&w, "configBtn")->click();
        set(&w, { { "markSelect", shape }, { "markColor", colour }, { "byFigure", byFigure } });
        emit child<QCheckBox>(&w, "byFigure")->clicked(byFigure);
        QWidget *v = child<QWidget>(&w, view.toLatin1().constData());
        QTRY_VERIFY(v->height() > 40);
        const QImage image = v->grab().toImage();
        const QPoint o
            = byFigure || view == "markView" ? QPoint(v->width() / 2, v->height() / 2) : QPoint();
        const QColor want[2] = { colour == 0 ? Qt::black
                : colour == 1                ? Qt::red
                                             : Qt::white,
            colour == 2 ? Qt::black : Qt::white };
        for (int i = 0; i < 2; ++i)
            for (const QPoint &p : i == 0 ? ink : paper) {
                const QColor c = image.pixelColor(o + p);
                QVERIFY2(qAbs(c.red() - want[i].red()) + qAbs(c.green() - want[i].green())
                            + qAbs(c.blue() - want[i].blue())
                        < 90,
                    qPrintable(QStringLiteral("%1,%2: %3").arg(p.x()).arg(p.y()).arg(c.name())));
            }
    }
};

QTEST_MAIN(TestMainActions)
#include "tst_mainactions.moc"
