// The send and QR windows as the main window uses them: top-level windows,
// the send window's settings, its getters and the language change.
#include "apptestkit.h"
#include "qrcodemw.h"
#include "sendmw.h"
#include "vemoresources.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

class TestJobWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        freshWorkFolder();
        QDir().mkpath(workFolder()); // a save that fails would ask a box no test answers
    }

    void windowsOfTheirOwn()
    {
        SendMW send;
        QRCodeMW qr;
        const int availW = QGuiApplication::primaryScreen()->availableGeometry().width();
        QVERIFY(send.isWindow() && qr.isWindow());
        QVERIFY(qAbs(send.windowOpacity() - 0.9) < 0.01);
        QVERIFY(qAbs(qr.windowOpacity() - 0.9) < 0.01);
        QCOMPARE(send.windowTitle(), QStringLiteral("Send to device"));
        QCOMPARE(qr.windowTitle(), QStringLiteral("QR Code Controller"));
        QCOMPARE(send.pos(), QPoint(availW - 80 - 408, 120));
        QCOMPARE(qr.pos(), QPoint(availW - 80 - 373, 120));
        QVERIFY(send.findChild<QWidget *>("machineName"));
        QVERIFY(qr.findChild<QWidget *>("machineName"));
    }

    void gettersReadTheForm()
    {
        SendMW send;
        QVERIFY(!send.autoSort() && !send.backlash());
        QCOMPARE(send.knifeOffset(), 0.3);
        QCOMPARE(send.closeOffset(), 0.5);
        set(&send,
            { { "autoSort", true }, { "backlash", true }, { "knifeOffsetChk", true },
                { "closeOffsetChk", true }, { "knifeOffset", 0.8 }, { "closeOffset", 2.5 },
                { "xBacklash", 0.125 }, { "yBacklash", 0.05 } });
        QVERIFY(
            send.autoSort() && send.backlash() && send.knifeOffsetChk() && send.closeOffsetChk());
        QCOMPARE(send.knifeOffset(), 0.8);
        QCOMPARE(send.closeOffset(), 2.5);
        QCOMPARE(send.xBacklash(), 0.125);
        QCOMPARE(send.yBacklash(), 0.05);
    }

    void settingsRoundTrip_data()
    {
        QTest::addColumn<double>("blankRev");
        QTest::newRow("2.5") << 2.5;
        QTest::newRow("lowest") << -50.0;
        QTest::newRow("highest") << 50.0;
    }

    void settingsRoundTrip()
    {
        QFETCH(double, blankRev);
        {
            SendMW send;
            set(&send,
                { { "blankRevX", blankRev }, { "blankRevY", -blankRev }, { "knifeOffset", 0.6 },
                    { "yBacklash", 0.075 }, { "conSend", true }, { "knifeOffsetChk", true } });
            send.close(); // closing, shown or not, saves
            send.close(); // twice: same values
        }
        QSettings s(settingsFile(), QSettings::IniFormat);
        QCOMPARE(s.value("SendMW/blankRevX").toDouble(), blankRev);
        SendMW send;
        QCOMPARE(child<QDoubleSpinBox>(&send, "blankRevX")->value(), blankRev);
        QCOMPARE(child<QDoubleSpinBox>(&send, "blankRevY")->value(), -blankRev);
        QCOMPARE(send.knifeOffset(), 0.6);
        QCOMPARE(send.yBacklash(), 0.075);
        QVERIFY(send.knifeOffsetChk());
        QVERIFY(child<QCheckBox>(&send, "conSend")->isChecked());
        QVERIFY(!send.autoSort());
    }

    // Keys that are missing keep the form's values (not the spin boxes'
    // minimums).
    void missingKeysKeepForm()
    {
        writeConfig({ { "PluginMW/topRev", 9.0 } });
        SendMW send;
        QCOMPARE(send.knifeOffset(), 0.3);
        QCOMPARE(send.closeOffset(), 0.5);
        QVERIFY(!send.knifeOffsetChk());
    }

    void changeLanguage()
    {
        initVemoResources();
        SendMW send;
        QRCodeMW qr;
        send.changeLanguage("FR");
        QCOMPARE(send.windowTitle(), QStringLiteral("Send to device"));
        send.changeLanguage("EN"); // re-translates the form's own title
        QCOMPARE(send.windowTitle(), QStringLiteral("Send To Device"));
        send.changeLanguage("ZH");
        qr.changeLanguage("ZH");
        QCOMPARE(send.windowTitle(), QStringLiteral("发送至设备"));
        QCOMPARE(send.findChild<QPushButton *>("send")->text(), QStringLiteral("发送"));
        QCOMPARE(qr.windowTitle(), QStringLiteral("二维码控制器"));
        // the call's own translator is gone again
        QCOMPARE(QCoreApplication::translate("SendMW", "Send"), QStringLiteral("Send"));
    }
};

QTEST_MAIN(TestJobWindows)
#include "tst_jobwindows.moc"
