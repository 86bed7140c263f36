#pragma once

// The row sort written out literally: repeated neighbour-swap passes that
// take every key from the paths at each comparison. Slow (passes times
// segments), kept as the reference that HpglTool::sortPaths must match.

#include "hpgltool.h"

#include <cmath>
#include <functional>

// Runs the three passes on paths. giveUp is asked after every neighbour
// pass; when it answers true the sort stops and returns false.
inline bool literalSortPaths(
    QList<CutPath> &paths, const std::function<bool()> &giveUp = std::function<bool()>())
{
    HpglTool t;
    const int n = paths.size();
    if (n < 2)
        return true;
    auto my = [&](int i) { return t.minCorner(paths.at(i)).y(); };
    auto mx = [&](int i) { return t.minCorner(paths.at(i)).x(); };
    auto h = [&](int i) { return t.maxCorner(paths.at(i)).y() - t.minCorner(paths.at(i)).y(); };

    // Pass 1: order by top.
    for (;;) {
        int swaps = 0;
        for (int i = 0; i + 1 < n; ++i) {
            if (my(i) > my(i + 1)) {
                paths.swapItemsAt(i, i + 1);
                ++swaps;
            }
        }
        if (giveUp && giveUp())
            return false;
        if (swaps == 0)
            break;
    }

    // Pass 2: order within rows.
    for (;;) {
        int swaps = 0;
        for (int i = 0; i + 1 < n; ++i) {
            const double d = my(i) - my(i + 1);
            if (h(i) > std::fabs(d) && mx(i) > mx(i + 1)) {
                paths.swapItemsAt(i, i + 1);
                ++swaps;
            }
        }
        if (giveUp && giveUp())
            return false;
        if (swaps == 0)
            break;
    }

    // Pass 3: runs of strictly rising min x; the even-numbered runs are
    // reversed. Boundaries first, reversal after.
    QList<int> starts { 0 };
    for (int i = 0; i + 1 < n; ++i) {
        if (!(mx(i + 1) > mx(i)))
            starts << i + 1;
    }
    starts << n;
    for (int r = 1; r + 1 < starts.size(); r += 2) {
        for (int a = starts[r], b = starts[r + 1] - 1; a < b; ++a, --b)
            paths.swapItemsAt(a, b);
    }
    return true;
}
