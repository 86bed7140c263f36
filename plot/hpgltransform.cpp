// Path measures and the list transforms that bring read-back HPGL into the
// cutter's frame.
//
// Lists come in by value. When the caller hands over a list it no longer
// needs (std::move), the loops below change it in place without a single
// allocation; a shared list is copied once on the first write, which keeps
// the caller's copy as it was.
#include "hpgltool.h"

#include <algorithm>
#include <cmath>

namespace {

// Strictly lower/raise the corner, one coordinate at a time, the way every
// corner measure of the toolkit compares.
inline void lower(QPointF &c, const QPointF &p)
{
    if (p.x() < c.x())
        c.setX(p.x());
    if (p.y() < c.y())
        c.setY(p.y());
}

inline void raise(QPointF &c, const QPointF &p)
{
    if (p.x() > c.x())
        c.setX(p.x());
    if (p.y() > c.y())
        c.setY(p.y());
}

} // namespace

QPointF HpglTool::minCorner(CutPath path)
{
    const QList<QLineF> &lines = path.lines;
    if (lines.isEmpty())
        return QPointF(0, 0);
    QPointF c = lines.first().p1();
    for (const QLineF &l : lines) {
        lower(c, l.p1());
        lower(c, l.p2());
    }
    return c;
}

QPointF HpglTool::maxCorner(CutPath path)
{
    const QList<QLineF> &lines = path.lines;
    if (lines.isEmpty())
        return QPointF(0, 0);
    QPointF c = lines.first().p1();
    for (const QLineF &l : lines) {
        raise(c, l.p1());
        raise(c, l.p2());
    }
    return c;
}

QPointF HpglTool::minCornerAll(QList<CutPath> paths)
{
    QPointF c(0, 0);
    bool started = false;
    for (const CutPath &p : qAsConst(paths)) {
        for (const QLineF &l : p.lines) {
            if (!started) {
                c = l.p1();
                started = true;
            }
            lower(c, l.p1());
            lower(c, l.p2());
        }
    }
    return c;
}

bool HpglTool::isClosed(CutPath path)
{
    const QList<QLineF> &lines = path.lines;
    if (lines.isEmpty())
        return false;
    if (lines.last().p2() != lines.first().p1())
        return false;
    for (int i = 1; i < lines.size(); ++i) {
        if (lines.at(i).p1() != lines.at(i - 1).p2())
            return false;
    }
    return true;
}

bool HpglTool::isClockwise(CutPath path)
{
    const QList<QLineF> &lines = path.lines;
    const int n = lines.size();
    if (n == 0)
        return true;
    double a = 0;
    for (int i = 0; i + 1 < n; ++i) {
        const QPointF p = lines.at(i).p1();
        const QPointF q = lines.at(i + 1).p1();
        a -= (p.y() + q.y()) * 0.5 * (q.x() - p.x());
    }
    const QPointF last = lines.at(n - 1).p1();
    const QPointF first = lines.at(0).p1();
    a -= (last.y() + first.y()) * 0.5 * (first.x() - last.x());
    // A zero or undefined area counts as clockwise as well.
    return !(a > 0);
}

CutPath HpglTool::reversePath(CutPath path)
{
    // In place: a path handed over keeps its segment storage.
    QList<QLineF> &lines = path.lines;
    const int n = lines.size();
    for (int i = 0, j = n - 1; i < j; ++i, --j)
        lines.swapItemsAt(i, j);
    for (QLineF &l : lines)
        l = QLineF(l.p2(), l.p1());
    return path;
}

CutPath HpglTool::rotateToStart(CutPath path, QLineF first)
{
    if (!isClosed(path))
        return path;
    const int k = path.lines.indexOf(first);
    if (k <= 0)
        return path;
    std::rotate(path.lines.begin(), path.lines.begin() + k, path.lines.end());
    return path;
}

QList<CutPath> HpglTool::mirrorY(QList<CutPath> paths, double h)
{
    for (CutPath &p : paths) {
        for (QLineF &l : p.lines)
            l = QLineF(l.x1(), h - l.y1(), l.x2(), h - l.y2());
    }
    return paths;
}

QList<CutPath> HpglTool::translate(QList<CutPath> paths, double dx, double dy)
{
    for (CutPath &p : paths) {
        for (QLineF &l : p.lines)
            l = QLineF(l.x1() - dx, l.y1() - dy, l.x2() - dx, l.y2() - dy);
    }
    return paths;
}

QList<CutPath> HpglTool::scaleDown(QList<CutPath> paths, double k)
{
    // A divisor of zero or one that is not a number would turn every point
    // into inf or NaN; leave the paths where they are instead.
    if (k == 0 || !std::isfinite(k))
        return paths;
    // Move the corner to the origin, divide, move back: one walk.
    const QPointF c = minCornerAll(paths);
    const double cx = c.x(), cy = c.y();
    for (CutPath &p : paths) {
        for (QLineF &l : p.lines)
            l = QLineF(cx + (l.x1() - cx) / k, cy + (l.y1() - cy) / k, cx + (l.x2() - cx) / k,
                cy + (l.y2() - cy) / k);
    }
    return paths;
}
