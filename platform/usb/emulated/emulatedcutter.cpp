// The cutter object, its settings and state, and the default cutter. What it
// does with a write is in emulatedcutter_commands.cpp, the time it takes in
// emulatedcutter_timing.cpp, its records and transcript in
// emulatedcutter_transcript.cpp, fault injection in emulatedcutter_faults.cpp
// and the device files in emulatedcutter_devicefile.cpp.
#include "devicenotifier.h"
#include "emulatedcutter_p.h"
#include "registry.h"
#include "usbhub_p.h"

using namespace emulated;

namespace {

// default cutter bookkeeping, under its own lock (it builds a cutter)
QMutex defaultMutex;
bool defaultDecided = false;
EmulatedCutter *theDefault = nullptr;
thread_local bool buildingDefault = false;

} // namespace

// ---- default cutter -------------------------------------------------------

void ensureDefaultCutter()
{
    QMutexLocker lock(&defaultMutex);
    if (defaultDecided)
        return;
    defaultDecided = true;
    if (qEnvironmentVariableIntValue("VEMO_USB_NO_DEFAULT"))
        return;
    buildingDefault = true;
    theDefault = new EmulatedCutter(QStringLiteral("5&2C9A1F3&0&1"));
    buildingDefault = false;
    // nobody reads its records; a person's long session must not pile them up
    theDefault->setRecordLimit(qint64(1) << 20);
}

EmulatedCutter *EmulatedCutter::defaultCutter()
{
    ensureDefaultCutter();
    QMutexLocker lock(&defaultMutex);
    return theDefault;
}

// ---- the cutter object ----------------------------------------------------

EmulatedCutter::EmulatedCutter(const QString &instance, bool plugged)
    : d(new Private)
{
    if (!buildingDefault) {
        // a cutter of one's own withdraws the default one
        QMutexLocker lock(&defaultMutex);
        defaultDecided = true;
        EmulatedCutter *old = theDefault;
        theDefault = nullptr;
        lock.unlock();
        delete old;
    }
    d->instance = instance;
    d->isDefault = buildingDefault;
    regAddSubkey(cutterRegistryKey(), instance);
    {
        QMutexLocker lock(&hub().mutex);
        hub().cutters.append(d);
    }
    if (plugged)
        plug();
}

EmulatedCutter::~EmulatedCutter()
{
    {
        QMutexLocker lock(&hub().mutex);
        unplugLocked(d);
        hub().cutters.removeAll(d);
        for (HandleInfo &h : hub().handles)
            if (h.cutter == d)
                h.cutter = nullptr;
    }
    regRemoveSubkey(cutterRegistryKey(), d->instance);
    delete d;
}

QString EmulatedCutter::instanceName() const
{
    return d->instance;
}

QString EmulatedCutter::pathName() const
{
    return hashed(d->instance);
}

void EmulatedCutter::plug()
{
    QMutexLocker lock(&hub().mutex);
    if (d->plugged)
        return;
    d->plugged = true;
    d->busyUntil = 0;
    notifyLocked(d, CutterEvent::Plugged, QByteArray(), usbClockMs());
    DeviceNotifier::post(DeviceArrival);
}

void EmulatedCutter::unplug()
{
    QMutexLocker lock(&hub().mutex);
    unplugLocked(d);
}

bool EmulatedCutter::isPlugged() const
{
    QMutexLocker lock(&hub().mutex);
    return d->plugged;
}

void EmulatedCutter::setPaper(bool loaded)
{
    QMutexLocker lock(&hub().mutex);
    d->paper = loaded;
}

bool EmulatedCutter::hasPaper() const
{
    QMutexLocker lock(&hub().mutex);
    return d->paper;
}

void EmulatedCutter::setSheets(const QStringList &codes)
{
    QMutexLocker lock(&hub().mutex);
    d->sheets = codes;
    if (d->isDefault) { // they hold until the user files another job
        const auto jobs = filedJobs();
        d->sheetsFiledAt = jobs.isEmpty() ? QDateTime() : jobs.first().second;
    }
}

QStringList EmulatedCutter::sheets() const
{
    QMutexLocker lock(&hub().mutex);
    return d->sheets;
}

void EmulatedCutter::setMarkReply(const QByteArray &reply)
{
    QMutexLocker lock(&hub().mutex);
    d->markReply = reply;
}

void EmulatedCutter::setCameraOffset(double x, double y)
{
    QMutexLocker lock(&hub().mutex);
    d->camX = x;
    d->camY = y;
}

QPointF EmulatedCutter::cameraOffset() const
{
    QMutexLocker lock(&hub().mutex);
    return QPointF(d->camX, d->camY);
}

int EmulatedCutter::ledLevel() const
{
    QMutexLocker lock(&hub().mutex);
    return d->led;
}

void EmulatedCutter::queueReply(const QByteArray &reply, int delayMs)
{
    QMutexLocker lock(&hub().mutex);
    if (!d->plugged)
        return;
    queueReplyLocked(d, reply, usbClockMs() + delayMs);
    hub().cond.wakeAll();
}

int EmulatedCutter::pendingReplies() const
{
    QMutexLocker lock(&hub().mutex);
    return d->replies.size();
}

QPointF EmulatedCutter::toolPosition() const
{
    QMutexLocker lock(&hub().mutex);
    return d->pos;
}
