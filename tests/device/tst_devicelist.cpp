#include "devicelines.h"
#include "devicelist.h"
#include "emulatedcutter.h"
#include "registry.h"
#include "usboperate.h"

#include <QComboBox>
#include <QThread>
#include <QtTest>

#include <memory>

namespace {

// A window wired the way the job windows are: refresh on show and on the
// device-change message, which the platform's notices arrive as.
class ProbeWindow : public QWidget
{
public:
    ProbeWindow()
    {
        connect(
            DeviceNotifier::instance(), &DeviceNotifier::deviceChange, this, [this](quint32 event) {
                NativeMessage msg = deviceChangeMessage(event);
                long result = 0;
                nativeEvent(NativeMessageType, &msg, &result);
            });
    }
    QComboBox machineName { this };
    UsbOperate usbOperate;
    int refreshes = 0;
    bool inGuiThread = true;

protected:
    void showEvent(QShowEvent *) override
    {
        ++refreshes;
        refreshMachineNames(&machineName, usbOperate.deviceList(), false);
    }
    bool nativeEvent(const QByteArray &eventType, void *message, long *) override
    {
        if (isDeviceChangeMessage(eventType, message)) {
            ++refreshes;
            inGuiThread = inGuiThread && QThread::currentThread() == qApp->thread();
            refreshMachineNames(&machineName, usbOperate.deviceList(), true);
        }
        return false;
    }
};

} // namespace

class TstDeviceList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void refresh_data();
    void refresh();
    void windowFollowsPlugAndUnplug();
    void anyDeviceNoticeRefreshes();
    void otherNativeEventsIgnored();
};

void TstDeviceList::initTestCase()
{
    qputenv("VEMO_USB_NO_DEFAULT", "1");
    previousHandler = qInstallMessageHandler(countLines);
}

void TstDeviceList::cleanupTestCase()
{
    qInstallMessageHandler(previousHandler);
}

void TstDeviceList::cleanup()
{
    regRemoveKey(cutterRegistryKey());
    QCoreApplication::processEvents();
}

void TstDeviceList::refresh_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("current");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("selectedAfter");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("added");

    QTest::newRow("two stale neighbours, none present")
        << QStringList { "A", "B" } << 1 << QStringList() << QStringList() << QString() << 2 << 0;
    QTest::newRow("empty box fills, first selected")
        << QStringList() << -1 << QStringList { "X", "Y" } << QStringList { "X", "Y" } << "X" << 0
        << 2;
    QTest::newRow("unchanged keeps selection")
        << QStringList { "A", "B" } << 1 << QStringList { "A", "B" } << QStringList { "A", "B" }
        << "B" << 0 << 0;
    QTest::newRow("plugged again goes last")
        << QStringList { "A", "C" } << 0 << QStringList { "B", "A", "C" }
        << QStringList { "A", "C", "B" } << "A" << 0 << 1;
    QTest::newRow("removal in the middle")
        << QStringList { "A", "B", "C" } << 2 << QStringList { "A", "C" }
        << QStringList { "A", "C" } << "C" << 1 << 0;
    QTest::newRow("removed current gives way")
        << QStringList { "A", "B", "C" } << 1 << QStringList { "A", "C" }
        << QStringList { "A", "C" } << "C" << 1 << 0;
    QTest::newRow("case matters") << QStringList { "abc" } << 0 << QStringList { "ABC" }
                                  << QStringList { "ABC" } << "ABC" << 1 << 1;
}

void TstDeviceList::refresh()
{
    QFETCH(QStringList, before);
    QFETCH(int, selected);
    QFETCH(QStringList, current);
    QFETCH(QStringList, after);
    QFETCH(QString, selectedAfter);
    QFETCH(int, removed);
    QFETCH(int, added);

    for (bool debugLines : { false, true }) {
        QComboBox box;
        box.addItems(before);
        box.setCurrentIndex(selected);
        disconnectedLines = connectedLines = 0;
        refreshMachineNames(&box, current, debugLines);
        QCOMPARE(entries(box), after);
        QCOMPARE(box.currentText(), selectedAfter);
        QCOMPARE(disconnectedLines, debugLines ? removed : 0);
        QCOMPARE(connectedLines, debugLines ? added : 0);
    }
}

void TstDeviceList::windowFollowsPlugAndUnplug()
{
    EmulatedCutter a(QStringLiteral("A1"));
    EmulatedCutter b(QStringLiteral("B/2"));
    QCoreApplication::processEvents(); // arrival notices before the window exists
    ProbeWindow w;
    QVERIFY(entries(w.machineName).isEmpty());
    w.show();
    QCOMPARE(entries(w.machineName), (QStringList { "A1", "B#2" }));
    QCOMPARE(w.machineName.currentText(), QStringLiteral("A1"));

    disconnectedLines = connectedLines = 0;
    a.unplug();
    QTRY_COMPARE(entries(w.machineName), QStringList { "B#2" });
    QCOMPARE(disconnectedLines, 1);
    QCOMPARE(w.machineName.currentText(), QStringLiteral("B#2"));

    a.plug();
    QTRY_COMPARE(entries(w.machineName), (QStringList { "B#2", "A1" }));
    QCOMPARE(connectedLines, 1);

    // a removal that happens on a worker thread still reaches the window in the GUI thread
    a.addFault({ CutterFault::UnplugDuringRead, {}, 50, {}, 0, 1 });
    w.usbOperate.setDevice(QStringLiteral("A1"));
    w.usbOperate.Read(-1);
    QTRY_COMPARE(entries(w.machineName), QStringList { "B#2" });
    QVERIFY(w.inGuiThread);

    // showing again without changes leaves entries and selection alone
    w.hide();
    w.show();
    QCOMPARE(entries(w.machineName), QStringList { "B#2" });
    QCOMPARE(w.machineName.currentText(), QStringLiteral("B#2"));
}

void TstDeviceList::anyDeviceNoticeRefreshes()
{
    EmulatedCutter a(QStringLiteral("A1"));
    QCoreApplication::processEvents(); // its arrival notice
    ProbeWindow w;
    w.show();
    QCOMPARE(entries(w.machineName), QStringList { "A1" });
    // the registry forgets the instance without a removal notice of its own
    regRemoveSubkey(cutterRegistryKey(), QStringLiteral("A1"));
    QCoreApplication::processEvents();
    QCOMPARE(entries(w.machineName), QStringList { "A1" });
    DeviceNotifier::post(DeviceNodesChanged);
    QTRY_VERIFY(entries(w.machineName).isEmpty());
}

void TstDeviceList::otherNativeEventsIgnored()
{
    NativeMessage msg = deviceChangeMessage(DeviceArrival);
    QVERIFY(isDeviceChangeMessage(NativeMessageType, &msg));
    QVERIFY(!isDeviceChangeMessage("xcb_generic_event_t", &msg));
    QVERIFY(!isDeviceChangeMessage(NativeMessageType, nullptr));
    msg.message = 0x0218;
    QVERIFY(!isDeviceChangeMessage(NativeMessageType, &msg));
}

QTEST_MAIN(TstDeviceList)
#include "tst_devicelist.moc"
