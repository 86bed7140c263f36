// Scratch exports the host wrote wrong (empty, tens of megabytes, malformed)
// through the bar's cut and save buttons and the send window.
#include "roadkit.h"

#include <QRegularExpression>

using simhost::SimHost;

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
        QTest::addColumn<bool>("cuts");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("24 MB without a separator") << QByteArray(24 << 20, 'P') << false;
        QTest::newRow("binary") << QByteArray("\0\xff\x01;PD\0;\xfe", 11) << false;
        // read as the reader reads numbers: no int, 0; letters inside dropped
        QTest::newRow("numbers no int holds")
            << QByteArray("IN;PA;PU0,0;PD" + QByteArray(400, '9') + ",1e999,-nan,inf;PU;") << true;
        QTest::newRow("odd fields")
            << QByteArray("IN;PA;SP2;PU,,;PD12,;PD1,2,3;PA;PD;PU400,400;PD800,400,800,800;PU;")
            << true;
        QTest::newRow("cut short") << QByteArray("IN;PA;SP2;PU400,400;PD800,400,800,8") << true;
        QByteArray many;
        for (int i = 0; i < 300000; ++i)
            many += "PU" + QByteArray::number(i % 4000) + ",0;PD" + QByteArray::number(i % 4000)
                + ",400;";
        QTest::newRow(qPrintable(QStringLiteral("%1 MB of strokes").arg(many.size() >> 20)))
            << many << true;
    }
    void scratch()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, cuts);
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
        QCOMPARE(texts, cuts ? QStringList() : refused);
        QCOMPARE(cutter->jobs().size(), int(cuts));
        QCOMPARE(QFile::exists(workFolder() + "saved.plt"), cuts);
        // whatever went out holds only numbers a cutter reads
        for (const QByteArray &w : cutter->writtenTexts())
            QVERIFY2(!QString::fromLatin1(w).contains(QRegularExpression("nan|inf|\\d{11}|[^ -~]")),
                w.left(200).constData());
    }
};

QTEST_MAIN(TstBadExports)
#include "tst_badexports.moc"
