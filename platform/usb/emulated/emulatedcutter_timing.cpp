// The timing model: the stand-in's clock, and how long the cutter is busy
// with what it was sent: the busy poll answers busy meanwhile.
#include "emulatedcutter_p.h"

#include <QElapsedTimer>

#include <algorithm>

qint64 usbClockMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

namespace emulated {

qint64 workMs(const CutterTiming &t, const Work &w)
{
    qint64 ms = 0;
    if (w.job)
        ms = t.jobOverheadMs + qint64(w.cut / t.cutUnitsPerMs + w.travel / t.moveUnitsPerMs);
    else
        ms = (w.moved ? t.moveOverheadMs : 0) + qint64(w.travel / t.moveUnitsPerMs);
    if (w.pageEnd)
        ms += t.pageEndMs;
    return ms;
}

qint64 feedMs(const CutterTiming &t, double units)
{
    return qint64(units / t.feedUnitsPerMs);
}

qint64 busyLocked(Cutter *c, qint64 now, qint64 ms)
{
    c->busyUntil = std::max(now, c->busyUntil) + ms;
    return c->busyUntil;
}

} // namespace emulated

using namespace emulated;

void EmulatedCutter::setTiming(const CutterTiming &timing)
{
    QMutexLocker lock(&hub().mutex);
    d->timing = timing;
}

CutterTiming EmulatedCutter::timing() const
{
    QMutexLocker lock(&hub().mutex);
    return d->timing;
}

void EmulatedCutter::setBusyFor(int ms)
{
    QMutexLocker lock(&hub().mutex);
    d->busyUntil = usbClockMs() + ms;
}

bool EmulatedCutter::isBusy() const
{
    QMutexLocker lock(&hub().mutex);
    return usbClockMs() < d->busyUntil;
}
