// Auto-sort: every closed path clockwise on the sheet, starting on its top
// line, and the paths in rows from the top down, alternately left to right
// and right to left.
//
// The row order is defined by repeated neighbour-swap passes whose row test
// is not a consistent order, so the result depends on that very method.
// sortPaths reproduces it exactly, but computes each path's keys once, does
// the first pass as a stable sort, and runs the swap passes of the second
// pass separately inside blocks that can exchange paths, visiting only the
// pairs that a swap may have changed.
#include "hpgltool.h"
#include "prefetch.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

CutPath HpglTool::normalizeDirection(CutPath path)
{
    if (!isClosed(path) || !isClockwise(path))
        return path;
    return reversePath(path);
}

QList<CutPath> HpglTool::normalizeDirections(QList<CutPath> paths)
{
    for (CutPath &p : paths)
        p = normalizeDirection(std::move(p));
    return paths;
}

CutPath HpglTool::chooseStart(CutPath path)
{
    // Only closed paths are rotated; skip the angle work for the others.
    if (!isClosed(path))
        return path;
    const QPointF c = minCorner(path);
    const QList<QLineF> &lines = path.lines;
    int best = 0;
    double bestAngle = 360;
    for (int i = 0; i < lines.size(); ++i) {
        const QPointF start = lines.at(i).p1();
        // A start on the top line has angle 0, which nothing undercuts: the
        // first such start wins and the arc tangents of the rest are moot.
        const double a = start.y() == c.y() ? 0.0 : QLineF(c, start).angle();
        if (i == 0 || a < bestAngle) {
            bestAngle = a;
            best = i;
        }
        if (bestAngle == 0)
            break;
    }
    const QLineF first = lines.at(best);
    return rotateToStart(std::move(path), first);
}

QList<CutPath> HpglTool::chooseStarts(QList<CutPath> paths)
{
    for (CutPath &p : paths)
        p = chooseStart(std::move(p));
    return paths;
}

namespace {

// Runs work(0) ... work(count - 1) on up to four threads when the job is
// big enough to repay starting them; the items must be independent.
template <typename Work> void forEachItem(size_t count, bool big, const Work &work)
{
    unsigned threads = big ? std::min(4u, std::thread::hardware_concurrency()) : 1;
    std::atomic<size_t> next { 0 };
    auto run = [&] {
        for (size_t i; (i = next.fetch_add(1)) < count;)
            work(i);
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads && t < count; ++t) {
        try {
            helpers.emplace_back(run);
        } catch (...) {
            break; // no thread to be had: the others do the work
        }
    }
    run();
    for (std::thread &t : helpers)
        t.join();
}

struct SortKey
{
    double mx; // x of the minimum corner
    double my; // y of the minimum corner
    double h; // height: y of the maximum corner minus my
    int index; // position in the input list
};

// The same strict comparisons as minCorner and maxCorner, in one walk.
SortKey keyOf(const CutPath &p, int index, double *maxYOut)
{
    double minX = 0, minY = 0, maxY = 0;
    const QList<QLineF> &lines = p.lines;
    const int n = lines.size();
    if (n > 0) {
        const QPointF s = lines.first().p1();
        minX = s.x(), minY = s.y(), maxY = s.y();
        for (int j = 0; j < n; ++j) {
            // Segments live in separate heap cells; fetch ahead.
            if (j + 8 < n)
                prefetch(&lines.at(j + 8));
            const QLineF &l = lines.at(j);
            for (const QPointF &q : { l.p1(), l.p2() }) {
                if (q.x() < minX)
                    minX = q.x();
                if (q.y() < minY)
                    minY = q.y();
                if (q.y() > maxY)
                    maxY = q.y();
            }
        }
    }
    *maxYOut = maxY;
    return SortKey { minX, minY, maxY - minY, index };
}

// The row test of pass 2: a (in front) and b (behind) trade places.
inline bool rowSwap(const SortKey &a, const SortKey &b)
{
    return a.h > std::fabs(a.my - b.my) && a.mx > b.mx;
}

// Neighbour-swap passes until one makes no swap. After a pass, a pair whose
// two paths were compared and neither moved afterwards cannot swap in the
// next pass: only pairs next to a swap can. So each pass visits just those,
// carrying a path forward while it swaps, and the work follows the number
// of swaps rather than passes times length.
template <typename Swaps>
void swapPasses(std::vector<SortKey> &k, size_t begin, size_t end, Swaps swaps)
{
    if (end - begin < 2)
        return;
    std::vector<size_t> dirty; // pairs (i, i + 1) to visit, ascending
    std::vector<size_t> swapped;
    dirty.reserve(end - begin);
    for (size_t i = begin; i + 1 < end; ++i)
        dirty.push_back(i);
    while (!dirty.empty()) {
        swapped.clear();
        size_t d = 0;
        while (d < dirty.size()) {
            size_t i = dirty[d];
            const SortKey carried = k[i];
            while (i + 1 < end && swaps(carried, k[i + 1])) {
                k[i] = k[i + 1];
                swapped.push_back(i);
                ++i;
            }
            k[i] = carried;
            // Pair i held; the pairs after it are untouched so far.
            ++i;
            while (d < dirty.size() && dirty[d] < i)
                ++d;
        }
        dirty.clear();
        for (size_t j : swapped) {
            if (j > begin && (dirty.empty() || dirty.back() < j - 1))
                dirty.push_back(j - 1);
            if (dirty.empty() || dirty.back() < j)
                dirty.push_back(j);
        }
    }
}

// Pass 2 on one block.
void rowPass(std::vector<SortKey> &k, size_t begin, size_t end)
{
    if (end - begin < 2)
        return;
    // When every two tops of the block lie closer than the smallest height,
    // the row test always holds and the passes are a stable sort by x.
    double minMy = k[begin].my, maxMy = k[begin].my, minH = k[begin].h;
    for (size_t i = begin; i < end; ++i) {
        minMy = std::min(minMy, k[i].my);
        maxMy = std::max(maxMy, k[i].my);
        minH = std::min(minH, k[i].h);
    }
    if (maxMy - minMy < minH) {
        std::stable_sort(k.begin() + begin, k.begin() + end,
            [](const SortKey &a, const SortKey &b) { return a.mx < b.mx; });
        return;
    }

    swapPasses(k, begin, end, rowSwap);
}

// Pass 2 on a list ordered by top. Cut it where no path in front of a cut
// can ever trade places with one behind it: for every such path a, either
// its bottom does not reach below the highest top behind the cut (so the
// row test fails), or its left is not right of the leftmost path behind the
// cut. Both bounds only grow along the list, so each path blocks cuts from
// its own position up to the first position where one of them holds.
void rowPassInBlocks(std::vector<SortKey> &k, const std::vector<double> &maxY)
{
    const size_t n = k.size();
    std::vector<double> sufMinMx(n);
    sufMinMx[n - 1] = k[n - 1].mx;
    for (size_t i = n - 1; i-- > 0;)
        sufMinMx[i] = std::min(k[i].mx, sufMinMx[i + 1]);

    std::vector<std::pair<size_t, size_t>> blocks;
    size_t blockStart = 0;
    size_t reach = 0; // cuts before this index are blocked
    for (size_t p = 0; p + 1 < n; ++p) {
        const double aMx = k[p].mx, aMaxY = maxY[k[p].index];
        // Cut c lies between positions c and c + 1.
        auto harmless = [&](size_t c) { return aMaxY <= k[c + 1].my || aMx <= sufMinMx[c + 1]; };
        size_t lo = p, hi = n - 1; // first harmless cut in [p, n - 1)
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (harmless(mid))
                hi = mid;
            else
                lo = mid + 1;
        }
        reach = std::max(reach, lo);
        if (reach <= p) {
            blocks.emplace_back(blockStart, p + 1);
            blockStart = p + 1;
        }
    }
    blocks.emplace_back(blockStart, n);
    // Blocks never exchange paths, so they can be worked on side by side.
    forEachItem(
        blocks.size(), n >= 8192, [&](size_t b) { rowPass(k, blocks[b].first, blocks[b].second); });
}

} // namespace

QList<CutPath> HpglTool::sortPaths(QList<CutPath> paths)
{
    const int n = paths.size();
    if (n < 2)
        return paths;

    // Keys once per path, in chunks that may run side by side.
    std::vector<SortKey> k(n);
    std::vector<double> maxY(n);
    const int chunk = 1024;
    const int chunks = (n + chunk - 1) / chunk;
    std::vector<char> chunkFinite(chunks, 1);
    const QList<CutPath> &input = paths;
    forEachItem(chunks, n >= 8192, [&](size_t c) {
        const int end = std::min(n, int(c + 1) * chunk);
        for (int i = int(c) * chunk; i < end; ++i) {
            // Each path is three hops away (record, segment table, first
            // segment); start the hops a few paths ahead.
            if (i + 12 < end)
                prefetch(&input.at(i + 12));
            if (i + 6 < end && !input.at(i + 6).lines.isEmpty())
                prefetch(&input.at(i + 6).lines.first());
            k[i] = keyOf(input.at(i), i, &maxY[i]);
            const SortKey &s = k[i];
            if (!(std::isfinite(s.mx) && std::isfinite(s.my) && std::isfinite(s.h)))
                chunkFinite[c] = 0;
        }
    });
    const bool finite = std::find(chunkFinite.begin(), chunkFinite.end(), 0) == chunkFinite.end();

    if (finite) {
        // Pass 1: neighbour swaps on a strict order are a stable sort.
        std::stable_sort(
            k.begin(), k.end(), [](const SortKey &a, const SortKey &b) { return a.my < b.my; });
        // Pass 2.
        rowPassInBlocks(k, maxY);
    } else {
        // Keys that are not numbers break every shortcut; run the passes as
        // they stand. The reader never produces such paths.
        swapPasses(k, 0, k.size(), [](const SortKey &a, const SortKey &b) { return a.my > b.my; });
        swapPasses(k, 0, k.size(), rowSwap);
    }

    // Pass 3: runs of strictly rising x, every second run reversed. The
    // runs are found before any is reversed.
    size_t runStart = 0;
    int runNumber = 1;
    for (size_t i = 1; i <= k.size(); ++i) {
        if (i == k.size() || !(k[i].mx > k[i - 1].mx)) {
            if (runNumber % 2 == 0)
                std::reverse(k.begin() + runStart, k.begin() + i);
            runStart = i;
            ++runNumber;
        }
    }

    // Put the paths into that order by swapping list cells along the cycles
    // of the permutation; the paths themselves are not touched.
    std::vector<int> source(n);
    for (int i = 0; i < n; ++i)
        source[i] = k[i].index;
    std::vector<bool> placed(n, false);
    for (int i = 0; i < n; ++i) {
        if (placed[i])
            continue;
        int cur = i;
        for (;;) {
            placed[cur] = true;
            const int next = source[cur];
            if (next == i)
                break;
            paths.swapItemsAt(cur, next);
            cur = next;
        }
    }
    return paths;
}
