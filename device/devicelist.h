#pragma once

#include "devicenotifier.h"

#include <QByteArray>
#include <QStringList>

class QComboBox;

// Brings a job window's device combo box up to date: entries whose device is
// gone are removed (each preceded by the debug line "USB Disconnected!" when
// `debugLines`), then names not yet in the box are appended in list order
// (each followed by "USB Connected"). Selection follows the box's own rules.
void refreshMachineNames(QComboBox *machineName, const QStringList &current, bool debugLines);

// The message record a device-change notice turns into for a window's
// nativeEvent hook, and the test that hook applies: message number 0x219,
// whatever its parameters.
NativeMessage deviceChangeMessage(quint32 event);
bool isDeviceChangeMessage(const QByteArray &eventType, void *message);

// Hands the platform's device notices to a window's native-event hook as the
// device-change message. `hook` is the window's own nativeEvent, named inside
// its class (where the protected member may be named).
template <class Window>
void routeDeviceNotices(Window *window, bool (Window::*hook)(const QByteArray &, void *, long *))
{
    QObject::connect(DeviceNotifier::instance(), &DeviceNotifier::deviceChange, window,
        [window, hook](quint32 event) {
            NativeMessage msg = deviceChangeMessage(event);
            long result = 0;
            (window->*hook)(NativeMessageType, &msg, &result);
        });
}
