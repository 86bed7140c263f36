#pragma once

#include <QString>
#include <QStringList>

// Stand-in for the part of the registry the cutter link reads: keys under
// HKEY_LOCAL_MACHINE whose subkey names can be listed in order.
// Results follow the Win32 codes so the caller reads like the real thing.
// Defined by the backend a program links (here emulated/).

using RegKey = qintptr;

enum RegStatus : long
{
    RegSuccess = 0,
    RegFileNotFound = 2,
    RegMoreData = 234,
    RegNoMoreItems = 259,
};

// Opens a key for reading; the path is relative to HKEY_LOCAL_MACHINE, parts
// separated by "\" (case-insensitive, as on Windows).
long regOpenKey(const QString &path, RegKey *key);

// Copies the name of subkey `index` into `name` (capacity in characters,
// including the closing zero) and its length into *length.
long regEnumKey(RegKey key, int index, wchar_t *name, int capacity, int *length);

long regCloseKey(RegKey key);
