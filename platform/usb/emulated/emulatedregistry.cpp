#include "emulatedregistry.h"
#include "registry.h"
#include "usbhub_p.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct Registry
{
    QMutex mutex;
    // key path in lower case -> subkey names in insertion order
    QHash<QString, QStringList> keys;
    // open handle -> snapshot of the subkeys at open time
    QHash<RegKey, QStringList> open;
    RegKey next = 0x100;
};

Registry &registry()
{
    static Registry *r = new Registry; // outlives every caller, even at exit
    return *r;
}

QString normalised(const QString &path)
{
    QString p = path.toLower();
    while (p.endsWith('\\'))
        p.chop(1);
    return p;
}

} // namespace

long regOpenKey(const QString &path, RegKey *key)
{
    ensureDefaultCutter();
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    auto it = r.keys.constFind(normalised(path));
    if (it == r.keys.constEnd()) {
        *key = 0;
        return RegFileNotFound;
    }
    *key = r.next++;
    r.open.insert(*key, it.value());
    return RegSuccess;
}

long regEnumKey(RegKey key, int index, wchar_t *name, int capacity, int *length)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    auto it = r.open.constFind(key);
    if (it == r.open.constEnd())
        return RegFileNotFound;
    if (index < 0 || index >= it.value().size())
        return RegNoMoreItems;
    const QString &n = it.value().at(index);
    if (n.size() + 1 > capacity)
        return RegMoreData;
    const int len = n.toWCharArray(name);
    name[len] = 0;
    if (length)
        *length = len;
    return RegSuccess;
}

long regCloseKey(RegKey key)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.open.remove(key) ? RegSuccess : RegFileNotFound;
}

void regAddSubkey(const QString &path, const QString &subkey)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    QStringList &list = r.keys[normalised(path)];
    for (const QString &s : list)
        if (s.compare(subkey, Qt::CaseInsensitive) == 0)
            return;
    list.append(subkey);
}

void regRemoveSubkey(const QString &path, const QString &subkey)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    auto it = r.keys.find(normalised(path));
    if (it == r.keys.end())
        return;
    for (int i = 0; i < it->size(); ++i)
        if (it->at(i).compare(subkey, Qt::CaseInsensitive) == 0) {
            it->removeAt(i);
            return;
        }
}

void regRemoveKey(const QString &path)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.keys.remove(normalised(path));
}
