// Auto-sort: every closed path clockwise on the sheet, starting on its top
// line, and the paths in rows from the top down, alternately left to right
// and right to left.
//
// The row order is defined by repeated neighbour-swap passes whose row test
// is not a consistent order, so the result depends on that very method.
// sortPaths reproduces it exactly but computes each path's keys once, sorts
// the first pass with a stable sort and runs the swap passes of the second
// pass only inside blocks that can actually exchange paths.
#include "hpgltool.h"

#include <algorithm>
#include <cmath>
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
    double bestAngle = QLineF(c, lines.first().p1()).angle();
    for (int i = 1; i < lines.size(); ++i) {
        const double a = QLineF(c, lines.at(i).p1()).angle();
        if (a < bestAngle) {
            bestAngle = a;
            best = i;
        }
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

struct SortKey
{
    double mx; // x of the minimum corner
    double my; // y of the minimum corner
    double maxY; // y of the maximum corner
    double h; // height, maxY - my
    int index; // position in the input list
};

// The same strict comparisons as minCorner and maxCorner, in one walk.
SortKey keyOf(const CutPath &p, int index)
{
    SortKey k{0, 0, 0, 0, index};
    if (!p.lines.isEmpty()) {
        const QPointF s = p.lines.first().p1();
        double minX = s.x(), minY = s.y(), maxY = s.y();
        for (const QLineF &l : p.lines) {
            for (const QPointF &q : {l.p1(), l.p2()}) {
                if (q.x() < minX)
                    minX = q.x();
                if (q.y() < minY)
                    minY = q.y();
                if (q.y() > maxY)
                    maxY = q.y();
            }
        }
        k.mx = minX;
        k.my = minY;
        k.maxY = maxY;
    }
    k.h = k.maxY - k.my;
    return k;
}

// The row test of pass 2: a (in front) and b (behind) trade places.
inline bool rowSwap(const SortKey &a, const SortKey &b)
{
    return a.h > std::fabs(a.my - b.my) && a.mx > b.mx;
}

// Neighbour-swap passes until one makes no swap. A pass leaves the pairs
// in front of its first swap untouched, so the next pass starts just
// before it.
template<typename Swaps>
void swapPasses(std::vector<SortKey> &k, size_t begin, size_t end, Swaps swaps)
{
    if (end - begin < 2)
        return;
    size_t from = begin;
    for (;;) {
        size_t firstSwap = end;
        for (size_t i = from; i + 1 < end; ++i) {
            if (swaps(k[i], k[i + 1])) {
                std::swap(k[i], k[i + 1]);
                if (firstSwap == end)
                    firstSwap = i;
            }
        }
        if (firstSwap == end)
            return;
        from = firstSwap > begin ? firstSwap - 1 : begin;
    }
}

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
void rowPassInBlocks(std::vector<SortKey> &k)
{
    const size_t n = k.size();
    std::vector<double> sufMinMx(n);
    sufMinMx[n - 1] = k[n - 1].mx;
    for (size_t i = n - 1; i-- > 0;)
        sufMinMx[i] = std::min(k[i].mx, sufMinMx[i + 1]);

    size_t blockStart = 0;
    size_t reach = 0; // cuts before this index are blocked
    for (size_t p = 0; p + 1 < n; ++p) {
        const SortKey &a = k[p];
        // Cut c lies between positions c and c + 1.
        auto harmless = [&](size_t c) {
            return a.maxY <= k[c + 1].my || a.mx <= sufMinMx[c + 1];
        };
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
            rowPass(k, blockStart, p + 1);
            blockStart = p + 1;
        }
    }
    rowPass(k, blockStart, n);
}

} // namespace

QList<CutPath> HpglTool::sortPaths(QList<CutPath> paths)
{
    const int n = paths.size();
    if (n < 2)
        return paths;

    std::vector<SortKey> k;
    k.reserve(n);
    bool finite = true;
    for (int i = 0; i < n; ++i) {
        k.push_back(keyOf(paths.at(i), i));
        const SortKey &s = k.back();
        finite = finite && std::isfinite(s.mx) && std::isfinite(s.my) && std::isfinite(s.h);
    }

    if (finite) {
        // Pass 1: neighbour swaps on a strict order are a stable sort.
        std::stable_sort(k.begin(), k.end(),
                         [](const SortKey &a, const SortKey &b) { return a.my < b.my; });
        // Pass 2.
        rowPassInBlocks(k);
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

    QList<CutPath> out;
    out.reserve(n);
    for (const SortKey &s : k)
        out.append(paths.at(s.index));
    return out;
}
