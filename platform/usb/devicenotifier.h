#pragma once

#include <QObject>

// Stand-in for the device-change window message: the platform posts a notice
// whenever a device comes or goes, delivered in the GUI thread. Windows turn
// it into the message record their native-event hook reads.

constexpr quint32 DeviceChangeMessage = 0x0219; // the window message number
constexpr quint32 DeviceArrival = 0x8000; // its wParam on arrival
constexpr quint32 DeviceRemoveComplete = 0x8004; // ... on removal
constexpr quint32 DeviceNodesChanged = 0x0007; // ... for any other change

// Shape of a native window-message record ("windows_generic_MSG").
struct NativeMessage
{
    void *hwnd = nullptr;
    quint32 message = 0;
    quintptr wParam = 0;
    qintptr lParam = 0;
    quint32 time = 0;
    int ptX = 0;
    int ptY = 0;
};

constexpr const char *NativeMessageType = "windows_generic_MSG";

class DeviceNotifier : public QObject
{
    Q_OBJECT
public:
    // The one notifier; it lives in the application's main thread.
    // Needs a QCoreApplication.
    static DeviceNotifier *instance();

    // Posts a notice from any thread; it is delivered in the main thread.
    static void post(quint32 event);

signals:
    void deviceChange(quint32 event);

private:
    explicit DeviceNotifier(QObject *parent = nullptr);
};
