#pragma once

#include <QString>

// The cutter as the system names it: its USB vendor and product numbers and
// the device interface class (GUID_DEVINTERFACE_USB_DEVICE) its path ends
// with. Every registry key and device path the program builds comes from here.

constexpr quint16 CutterVendorId = 0x0483;
constexpr quint16 CutterProductId = 0x5750;
constexpr const char *CutterInterfaceGuid = "a5dcbf10-6530-11d2-901f-00c04fb951ed";

// "VID_0483&PID_5750", as the registry and device paths spell the two numbers.
inline QString cutterHardwareId()
{
    return QStringLiteral("VID_%1&PID_%2")
        .arg(CutterVendorId, 4, 16, QLatin1Char('0'))
        .arg(CutterProductId, 4, 16, QLatin1Char('0'))
        .toUpper();
}

// The registry key (under HKEY_LOCAL_MACHINE) that lists the cutter's instances.
inline QString cutterRegistryKey()
{
    return QStringLiteral("SYSTEM\\CurrentControlSet\\Enum\\USB\\") + cutterHardwareId();
}

// A device path is prefix + instance name (its first "/" as "#") + suffix.
inline QString cutterPathPrefix()
{
    return QStringLiteral("\\??\\USB#") + cutterHardwareId() + QLatin1Char('#');
}

inline QString cutterPathSuffix()
{
    return QStringLiteral("#{") + QLatin1String(CutterInterfaceGuid) + QLatin1Char('}');
}
