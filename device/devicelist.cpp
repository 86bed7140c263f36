#include "devicelist.h"

#include <QComboBox>
#include <QDebug>

void refreshMachineNames(QComboBox *machineName, const QStringList &current, bool debugLines)
{
    // after a removal the next entry moves into its place, so look there again
    for (int i = 0; i < machineName->count();) {
        if (current.contains(machineName->itemText(i), Qt::CaseSensitive)) {
            ++i;
            continue;
        }
        if (debugLines)
            qDebug("USB Disconnected!");
        machineName->removeItem(i);
    }
    for (const QString &name : current) {
        if (machineName->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
            continue;
        machineName->addItem(name);
        if (debugLines)
            qDebug("USB Connected");
    }
}

NativeMessage deviceChangeMessage(quint32 event)
{
    NativeMessage msg;
    msg.message = DeviceChangeMessage;
    msg.wParam = event;
    return msg;
}

bool isDeviceChangeMessage(const QByteArray &eventType, void *message)
{
    if (!message || eventType != NativeMessageType)
        return false;
    return static_cast<const NativeMessage *>(message)->message == DeviceChangeMessage;
}
