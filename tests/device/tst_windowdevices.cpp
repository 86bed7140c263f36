#include "devicelines.h"
#include "emulatedcutter.h"
#include "qrcodemw.h"
#include "registry.h"
#include "sendmw.h"

#include <QComboBox>
#include <QtTest>

namespace {

QStringList entries(QWidget *window)
{
    auto *box = window->findChild<QComboBox *>(QStringLiteral("machineName"));
    return box ? ::entries(*box) : QStringList();
}

} // namespace

// Both job windows keep their device lists up to date; only the send window
// writes debug lines.
class TstWindowDevices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("VEMO_USB_NO_DEFAULT", "1");
        previousHandler = qInstallMessageHandler(countLines);
    }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void listsFollowPlugAndUnplug()
    {
        EmulatedCutter a(QStringLiteral("A1"));
        EmulatedCutter b(QStringLiteral("B2"), false);
        regAddSubkey(cutterRegistryKey(), QStringLiteral("STALE"));
        QCoreApplication::processEvents();
        SendMW send;
        QRCodeMW qr;
        QVERIFY(entries(&send).isEmpty());
        send.show();
        qr.show();
        QCOMPARE(entries(&send), QStringList { "A1" });
        QCOMPARE(entries(&qr), QStringList { "A1" });
        QCOMPARE(connectedLines, 0); // showing writes no debug lines

        disconnectedLines = connectedLines = 0;
        b.plug();
        QTRY_COMPARE(entries(&send), (QStringList { "A1", "B2" }));
        QTRY_COMPARE(entries(&qr), (QStringList { "A1", "B2" }));
        QCOMPARE(connectedLines, 1);

        a.unplug();
        QTRY_COMPARE(entries(&send), QStringList { "B2" });
        QTRY_COMPARE(entries(&qr), QStringList { "B2" });
        QCOMPARE(disconnectedLines, 1);

        a.plug();
        QTRY_COMPARE(entries(&send), (QStringList { "B2", "A1" }));
        QTRY_COMPARE(entries(&qr), (QStringList { "B2", "A1" }));
        QCOMPARE(connectedLines, 2);

        // a hidden window catches up when shown again
        qr.hide();
        b.unplug();
        QTRY_COMPARE(entries(&send), QStringList { "A1" });
        qr.show();
        QCOMPARE(entries(&qr), QStringList { "A1" });
        regRemoveKey(cutterRegistryKey());
    }
};

QTEST_MAIN(TstWindowDevices)
#include "tst_windowdevices.moc"
