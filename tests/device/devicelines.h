// Shared by the device-list tests: counts the link's plug and unplug debug
// lines (other messages pass on) and reads a device list's entries.
#pragma once

#include <QComboBox>
#include <QStringList>
#include <QtGlobal>

inline int disconnectedLines = 0;
inline int connectedLines = 0;
inline QtMessageHandler previousHandler = nullptr;

inline void countLines(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtDebugMsg && text == QLatin1String("USB Disconnected!"))
        ++disconnectedLines;
    else if (type == QtDebugMsg && text == QLatin1String("USB Connected"))
        ++connectedLines;
    else if (previousHandler)
        previousHandler(type, context, text);
}

inline QStringList entries(const QComboBox &box)
{
    QStringList list;
    for (int i = 0; i < box.count(); ++i)
        list << box.itemText(i);
    return list;
}
