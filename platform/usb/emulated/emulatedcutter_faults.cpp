// Fault injection: faults a test lays in, each taken by the first command
// or write it matches, as often as it is meant to strike.
#include "emulatedcutter_p.h"

namespace emulated {

bool takeFault(Cutter *c, CutterFault::Kind kind, const QByteArray &text, CutterFault *out)
{
    for (int i = 0; i < c->faults.size(); ++i) {
        CutterFault &f = c->faults[i];
        if (f.kind != kind || !text.startsWith(f.command))
            continue;
        *out = f;
        if (f.times > 0 && --f.times == 0)
            c->faults.removeAt(i);
        return true;
    }
    return false;
}

} // namespace emulated

using namespace emulated;

void EmulatedCutter::addFault(const CutterFault &fault)
{
    QMutexLocker lock(&hub().mutex);
    d->faults.append(fault);
}

void EmulatedCutter::clearFaults()
{
    QMutexLocker lock(&hub().mutex);
    d->faults.clear();
}
