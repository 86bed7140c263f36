#pragma once

#include <QString>

// Control of the emulated registry behind registry.h: add or drop a subkey
// (creating the key when needed). Subkeys are listed in the order they were
// added.
void regAddSubkey(const QString &path, const QString &subkey);
void regRemoveSubkey(const QString &path, const QString &subkey);
void regRemoveKey(const QString &path);
