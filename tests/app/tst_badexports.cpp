// Scratch exports the host wrote wrong (empty, tens of megabytes, malformed)
// through the bar's cut and save buttons and the send window.
#include "diskfaults.h"
#include "roadkit.h"

#include <QRegularExpression>

using simhost::SimHost;

enum Outcome
{
    Cuts,
    Refused, // nothing to cut: the send window and Save File say so
    CutShort // every button stops at the read-back
};

class TstBadExports : public RoadSuite
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        openSample();
        rec.install();
        dialogs::setFileHook(
            [](const dialogs::FileRequest &) { return workFolder() + "saved.plt"; });
        // the strokes' cutting time is no part of these cases
        CutterTiming timing = fastTiming();
        timing.cutUnitsPerMs = timing.moveUnitsPerMs = 1e9;
        road.open(QStringLiteral("BAD-1"), timing);
        road.marksAndContour();
    }
    void cleanupTestCase()
    {
        road.close();
        Recorder::uninstall();
        dialogs::setFileHook({});
        VERIFY_NO_HOST_ERRORS();
    }

    void scratch_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("outcome");
        QTest::newRow("empty") << QByteArray() << int(Refused);
        QTest::newRow("24 MB without a separator") << QByteArray(24 << 20, 'P') << int(Refused);
        static const char binary[] = "\0\xff\x01;PD\0;\xfe";
        QTest::newRow("binary") << QByteArray(binary, sizeof binary - 1) << int(Refused);
        QTest::newRow("binary, ends a command")
            << QByteArray(binary, sizeof binary - 2) << int(Refused);
        // read as the reader reads numbers: no int, 0; letters inside dropped
        QTest::newRow("numbers no int holds")
            << QByteArray("IN;PA;PU0,0;PD" + QByteArray(400, '9') + ",1e999,-nan,inf;PU;")
            << int(Cuts);
        QTest::newRow("odd fields")
            << QByteArray("IN;PA;SP2;PU,,;PD12,;PD1,2,3;PA;PD;PU400,400;PD800,400,800,800;PU;")
            << int(Cuts);
        // a last ";" is often left off: only an ending no whole command has is cut short
        QTest::newRow("cut short: a pair lost its second number")
            << QByteArray("IN;PA;SP2;PU400,400;PD800,400,800") << int(CutShort);
        QTest::newRow("cut short: stops at a separator")
            << QByteArray("IN;PA;SP2;PU400,400;PD800,400,") << int(CutShort);
        QTest::newRow("no final separator")
            << QByteArray("IN;PA;SP2;PU400,400;PD800,400,800,800") << int(Cuts);
        QTest::newRow("no final separator after a command")
            << QByteArray("IN;PA;SP2;PU400,400;PD800,400,800,800;SP0") << int(Cuts);
        QTest::newRow("line end after the last command")
            << QByteArray("IN;PA;SP2;PU400,400;PD800,400,800,800;\r\n") << int(Cuts);
        QByteArray many;
        for (int i = 0; i < 300000; ++i)
            many += "PU" + QByteArray::number(i % 4000) + ",0;PD" + QByteArray::number(i % 4000)
                + ",400;";
        QTest::newRow(qPrintable(QStringLiteral("%1 MB of strokes").arg(many.size() >> 20)))
            << many << int(Cuts);
    }
    void scratch()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, outcome);
        const bool cuts = outcome == Cuts;
        SimHost::instance().setExportFilter([&](const QByteArray &) { return bytes; });
        cutter->clearRecords();
        rec.messages.clear();
        QFile::remove(workFolder() + "saved.plt");

        press(bar.get(), "setCut");
        finishingOff();
        press(sendWindow(), "send");
        press(bar.get(), "saveFile");
        SimHost::instance().setExportFilter({});
        verifyIdle(bar.get());

        QStringList texts;
        for (const dialogs::Message &m : rec.messages)
            texts << m.text;
        // both windows refuse with one text
        const QStringList refused = { "No Cutting Paths!", "No Cutting Paths!" };
        const QString cutShort = "The host's export in " + workFolder()
            + "ABDOPQR.plt was cut short: it ends in the middle of a command. Nothing was cut or "
              "saved.";
        QStringList said;
        if (outcome == Refused)
            said = refused;
        else if (outcome == CutShort)
            said = QStringList { cutShort, cutShort, cutShort };
        QCOMPARE(texts, said);
        QCOMPARE(cutter->jobs().size(), int(cuts));
        QCOMPARE(QFile::exists(workFolder() + "saved.plt"), cuts);
        // whatever went out holds only numbers a cutter reads
        for (const QByteArray &w : cutter->writtenTexts())
            QVERIFY2(!QString::fromLatin1(w).contains(QRegularExpression("nan|inf|\\d{11}|[^ -~]")),
                w.left(200).constData());
    }

    // An export that is not this job's must stop every button that reads
    // one, never be cut or saved as this job.
    void scratchNotRenewed_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("the last job's export kept") << 0;
        QTest::newRow("cutting layer export not written") << 1;
        QTest::newRow("disk full while the host exports") << 2;
        QTest::newRow("disk full before the scratch file's lock") << 3;
    }
    void scratchNotRenewed()
    {
        QFETCH(int, fault);
        const QString scratch = workFolder() + "ABDOPQR.plt";
        TestMount kept;
        if (fault == 0) {
            QFile last(scratch);
            QVERIFY(last.open(QIODevice::WriteOnly));
            last.write("IN;SP1;PU0,0;PD4000,0,4000,4000;PU;SP0;");
            last.close();
            kept = TestMount::readOnly(scratch);
            if (!kept.mounted())
                QSKIP("needs a read-only bind mount (Linux, as root)");
        }
        cutter->clearRecords();
        rec.messages.clear();
        QFile::remove(workFolder() + "saved.plt");
        const QList<QPair<QWidget *, const char *>> presses
            = { { bar.get(), "setCut" }, { sendWindow(), "send" }, { bar.get(), "saveFile" } };
        for (const auto &p : presses) {
            if (fault == 1)
                SimHost::instance().failMember(
                    "ExportEx(QString,enum,enum,QVariant,QVariant)", 1, 1);
            // room for the scratch files' lock, not for the export; or not even that
            FileSizeLimit full(fault == 2 ? 512 : fault == 3 ? 64 : 1 << 30);
            press(p.first, p.second);
        }
        verifyIdle(bar.get());
        const QString said = fault == 0 ? "The scratch file " + scratch
                + " could not be removed, so a new export could not be told from the last one. "
                  "Nothing was cut or saved."
            : fault == 3
            ? "The scratch file " + scratch
                + " could not be used: File too large. Nothing was cut or saved."
            : "The host did not write its export to " + scratch + ". Nothing was cut or saved.";
        QStringList texts;
        for (const dialogs::Message &m : rec.messages)
            texts << m.text;
        QCOMPARE(texts, QStringList({ said, said, said }));
        QVERIFY(cutter->jobs().isEmpty());
        QVERIFY(!QFile::exists(workFolder() + "saved.plt"));
    }
};

QTEST_MAIN(TstBadExports)
#include "tst_badexports.moc"
