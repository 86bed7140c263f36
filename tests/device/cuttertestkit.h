#pragma once

// Shared helpers of the tests that run jobs on an emulated cutter.

#include "emulatedcutter.h"

#include <QByteArray>
#include <QList>

// A cutter that replies and moves at once, so a run takes only the
// program's own waits.
inline CutterTiming fastTiming()
{
    CutterTiming fast;
    fast.replyMs = 1;
    fast.cutUnitsPerMs = fast.moveUnitsPerMs = fast.feedUnitsPerMs = 1000;
    fast.jobOverheadMs = fast.moveOverheadMs = fast.pageEndMs = 0;
    return fast;
}

// The cutter's writes with each run of busy polls folded into one.
inline QList<QByteArray> foldedWrites(const EmulatedCutter &cutter)
{
    QList<QByteArray> out;
    for (const QByteArray &w : cutter.writtenTexts())
        if (!(w == ";CMD:10;" && !out.isEmpty() && out.last() == w))
            out << w;
    return out;
}
