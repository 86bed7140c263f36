// The device-file backend: the hub that holds the cutters and their open
// handles, the replies each cutter has queued and the reads waiting for
// them, and the device-file calls the cutter link makes.
#include "devicenotifier.h"
#include "emulatedcutter_p.h"
#include "usbhub_p.h"

#include <algorithm>
#include <cstring>

namespace emulated {

namespace {

const QString kPathPrefix = cutterPathPrefix();
const QString kPathSuffix = cutterPathSuffix();

void completeRead(DevOverlapped *ov, int state, const QByteArray &bytes)
{
    const int n = std::min<int>(ov->size, bytes.size());
    if (n > 0)
        memcpy(ov->buffer, bytes.constData(), size_t(n));
    ov->transferred = n;
    ov->state = state;
    ov->signalled = true;
}

// Completes what is due; returns the next time something falls due (or -1).
qint64 pumpLocked(qint64 now)
{
    qint64 nextDue = -1;
    auto due = [&nextDue](qint64 t) { nextDue = nextDue < 0 ? t : std::min(nextDue, t); };
    for (Cutter *c : qAsConst(hub().cutters)) {
        if (c->plugged && c->unplugAt >= 0) {
            if (now >= c->unplugAt)
                unplugLocked(c);
            else
                due(c->unplugAt);
        }
        if (!c->plugged)
            continue;
        while (
            !c->pending.isEmpty() && !c->replies.isEmpty() && c->replies.first().readyAt <= now) {
            Reply r = c->replies.takeFirst();
            DevOverlapped *ov = c->pending.takeFirst();
            // a reply longer than the packet leaves its rest for the next read
            if (r.bytes.size() > ov->size)
                c->replies.prepend({ r.bytes.mid(ov->size), r.readyAt });
            completeRead(ov, ReadDone, r.bytes);
            notifyLocked(c, CutterEvent::Replied, r.bytes.left(ov->size), now);
        }
        if (!c->pending.isEmpty() && !c->replies.isEmpty())
            due(c->replies.first().readyAt);
    }
    return nextDue;
}

Cutter *cutterOf(DevHandle h)
{
    auto it = hub().handles.constFind(h);
    return it == hub().handles.constEnd() ? nullptr : it->cutter;
}

bool waitLocked(DevOverlapped *ov, qint64 deadline)
{
    Hub &h = hub();
    for (;;) {
        const qint64 now = usbClockMs();
        const qint64 due = pumpLocked(now);
        if (ov->signalled) {
            ov->signalled = false;
            return true;
        }
        if (deadline >= 0 && now >= deadline)
            return false;
        qint64 until = deadline;
        if (due >= 0)
            until = until < 0 ? due : std::min(until, due);
        if (until < 0)
            h.cond.wait(&h.mutex);
        else
            h.cond.wait(&h.mutex, ulong(std::max<qint64>(1, until - now)));
    }
}

} // namespace

Hub &hub()
{
    // never destroyed: a worker may still wait on it while the process exits
    static Hub *h = new Hub;
    return *h;
}

QString hashed(const QString &instance)
{
    QString s = instance;
    const int slash = s.indexOf('/');
    if (slash >= 0)
        s[slash] = '#';
    return s;
}

void unplugLocked(Cutter *c)
{
    if (!c->plugged)
        return;
    c->plugged = false;
    c->unplugAt = -1;
    for (DevOverlapped *ov : qAsConst(c->pending))
        completeRead(ov, ReadFailed, QByteArray());
    c->pending.clear();
    c->replies.clear();
    hub().cond.wakeAll();
    notifyLocked(c, CutterEvent::Unplugged, QByteArray(), usbClockMs());
    DeviceNotifier::post(DeviceRemoveComplete);
}

void queueReplyLocked(Cutter *c, const QByteArray &bytes, qint64 readyAt)
{
    // one pipe: a reply never overtakes the one before it
    if (!c->replies.isEmpty())
        readyAt = std::max(readyAt, c->replies.last().readyAt);
    c->replies.append({ bytes, readyAt });
}

} // namespace emulated

using namespace emulated;

DevHandle devOpen(const wchar_t *path, int flags)
{
    ensureDefaultCutter();
    if (!path)
        return InvalidDevHandle;
    const QString p = QString::fromWCharArray(path);
    if (!p.startsWith(kPathPrefix, Qt::CaseInsensitive)
        || !p.endsWith(kPathSuffix, Qt::CaseInsensitive))
        return InvalidDevHandle;
    const QString name
        = p.mid(kPathPrefix.size(), p.size() - kPathPrefix.size() - kPathSuffix.size());
    QMutexLocker lock(&hub().mutex);
    pumpLocked(usbClockMs());
    for (Cutter *c : qAsConst(hub().cutters)) {
        if (c->plugged && hashed(c->instance).compare(name, Qt::CaseInsensitive) == 0) {
            const DevHandle h = hub().next++;
            hub().handles.insert(h, HandleInfo { c, flags });
            return h;
        }
    }
    return InvalidDevHandle;
}

bool devClose(DevHandle handle)
{
    QMutexLocker lock(&hub().mutex);
    auto it = hub().handles.find(handle);
    if (it == hub().handles.end())
        return false;
    // closing a handle ends its pending reads, as on Windows
    if (Cutter *c = it->cutter) {
        for (int i = c->pending.size() - 1; i >= 0; --i)
            if (c->pending[i]->handle == handle) {
                completeRead(c->pending[i], ReadCancelled, QByteArray());
                c->pending.removeAt(i);
            }
        hub().cond.wakeAll();
    }
    hub().handles.erase(it);
    return true;
}

DevIoStatus devRead(DevHandle handle, char *buffer, int size, DevOverlapped *ov)
{
    QMutexLocker lock(&hub().mutex);
    const qint64 now = usbClockMs();
    pumpLocked(now);
    Cutter *c = cutterOf(handle);
    if (!c || !c->plugged || !ov || !buffer || size <= 0)
        return DevIoFailed;
    ov->state = ReadPending;
    ov->transferred = 0;
    ov->signalled = false;
    ov->buffer = buffer;
    ov->size = size;
    ov->handle = handle;
    c->pending.append(ov);
    ++c->readsStarted;
    CutterFault f;
    if (takeFault(c, CutterFault::UnplugDuringRead, QByteArray(), &f))
        c->unplugAt = now + f.delayMs;
    pumpLocked(now);
    if (ov->state == ReadDone) {
        ov->signalled = false; // ReadFile returned TRUE: nobody waits on the event
        return DevIoDone;
    }
    if (ov->state == ReadFailed)
        return DevIoFailed;
    if (!(hub().handles.value(handle).flags & DevOpenOverlapped)) {
        // plain handle: the call itself waits
        lock.unlock();
        devWaitEvent(ov, -1);
        return ov->state == ReadDone ? DevIoDone : DevIoFailed;
    }
    return DevIoPending;
}

bool devWaitEvent(DevOverlapped *ov, int timeoutMs)
{
    if (!ov)
        return false;
    QMutexLocker lock(&hub().mutex);
    return waitLocked(ov, timeoutMs < 0 ? -1 : usbClockMs() + timeoutMs);
}

bool devOverlappedResult(DevHandle, DevOverlapped *ov, int *transferred, bool wait)
{
    if (!ov)
        return false;
    QMutexLocker lock(&hub().mutex);
    pumpLocked(usbClockMs());
    if (ov->state == ReadPending && wait)
        waitLocked(ov, -1);
    if (transferred)
        *transferred = ov->state == ReadDone ? ov->transferred : 0;
    return ov->state == ReadDone;
}

bool devCancelIo(DevHandle, DevOverlapped *ov)
{
    QMutexLocker lock(&hub().mutex);
    if (!ov || ov->state != ReadPending)
        return false;
    for (Cutter *c : qAsConst(hub().cutters))
        c->pending.removeAll(ov);
    completeRead(ov, ReadCancelled, QByteArray());
    hub().cond.wakeAll();
    return true;
}

bool devWrite(DevHandle handle, const char *data, int size, int *written)
{
    if (written)
        *written = 0;
    QMutexLocker lock(&hub().mutex);
    const qint64 now = usbClockMs();
    pumpLocked(now);
    Cutter *c = cutterOf(handle);
    if (!c || !c->plugged || size < 0 || (size > 0 && !data))
        return false;
    QByteArray bytes(data, size);
    CutterFault f;
    if (takeFault(c, CutterFault::FailedWrite, bytes, &f)) {
        recordLocked(c, CutterWrite { QByteArray(), size, now, handle });
        notifyLocked(c, CutterEvent::Wrote, QByteArray(), now);
        return false;
    }
    if (takeFault(c, CutterFault::ShortWrite, bytes, &f))
        bytes.truncate(std::max(0, f.bytes));
    recordLocked(c, CutterWrite { bytes, size, now, handle });
    if (written)
        *written = bytes.size();
    processLocked(c, bytes, now);
    notifyLocked(c, CutterEvent::Wrote, bytes, now);
    pumpLocked(now);
    hub().cond.wakeAll();
    return true;
}
