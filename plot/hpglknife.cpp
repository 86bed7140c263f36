// Knife offset with corner arcs, overcut of closed paths, and backlash.
#include "hpgltool.h"

#include <cmath>
#include <vector>

namespace {

// Offsets and overcuts are lengths: a negative or undefined one means none.
double lengthOrZero(double v)
{
    return std::isfinite(v) && v > 0 ? v : 0.0;
}

// Arc steps for the turn from one segment into the next, by 30-degree bands;
// 0 for no arc (nearly straight on, or an angle that is not a number).
int arcSteps(double a)
{
    if (a >= 150 && a < 210)
        return 7;
    if ((a >= 120 && a < 150) || (a >= 210 && a < 240))
        return 6;
    if ((a >= 90 && a < 120) || (a >= 240 && a < 270))
        return 5;
    if ((a >= 60 && a < 90) || (a >= 270 && a < 300))
        return 4;
    if ((a >= 30 && a < 60) || (a >= 300 && a < 330))
        return 3;
    return 0;
}

// The segment moved forward along itself by d.
inline QLineF shifted(const QLineF &s, double d)
{
    const QPointF v = (s.p2() - s.p1()) * d / s.length();
    return s.translated(v);
}

// Three-way sign; a value that is not a number keeps the previous sign.
inline double motionSign(double v, double previous)
{
    if (std::isnan(v))
        return previous;
    if (v < 0)
        return -1;
    if (v > 0)
        return 1;
    return 0;
}

} // namespace

QList<QLineF> HpglTool::cornerArc(QLineF before, QLineF after, int steps)
{
    QList<QLineF> arc;
    // Fewer than two steps leave no inner point: the straight join, without
    // dividing by the step count.
    if (steps < 2) {
        arc.append(QLineF(before.p2(), after.p1()));
        return arc;
    }
    arc.reserve(steps);

    QPointF centre = (before.p2() + after.p1()) / 2.0;
    QPointF cross;
    if (before.intersects(after, &cross) != QLineF::NoIntersection
        && QLineF(cross, before.p2()).length() <= 400.0)
        centre = cross;

    const double a = before.angleTo(after);
    const double s = a < 180 ? -a / steps : (360 - a) / steps;
    const QPointF r = before.p2() - centre;
    QPointF prev = before.p2();
    for (int i = 1; i < steps; ++i) {
        const double t = i * s * pi / 180;
        const double c = std::cos(t), sn = std::sin(t);
        const QPointF q = centre + QPointF(r.x() * c - r.y() * sn, r.x() * sn + r.y() * c);
        arc.append(QLineF(prev, q));
        prev = q;
    }
    arc.append(QLineF(prev, after.p1()));
    return arc;
}

QList<CutPath> HpglTool::compensateKnifeOffset(QList<CutPath> paths, double knifeOffset,
                                               double closeOffset)
{
    const double d = lengthOrZero(knifeOffset);
    const double overcut = lengthOrZero(closeOffset);
    if (d == 0 && overcut == 0)
        return paths;

    QList<CutPath> result;
    result.reserve(paths.size());
    std::vector<QLineF> work;
    std::vector<QLineF> moved;
    for (const CutPath &path : qAsConst(paths)) {
        CutPath out = path;
        out.lines = QList<QLineF>();
        if (path.lines.isEmpty()) {
            result.append(out); // the clean-up below drops it
            continue;
        }

        work.assign(path.lines.cbegin(), path.lines.cend());
        if (overcut > 0 && isClosed(path)) {
            // Continue along the beginning of the path. At most one extra
            // lap: an overcut longer than the path must not grow it without
            // end.
            double rest = overcut;
            const size_t n = work.size();
            for (size_t j = 0; j < n; ++j) {
                const QLineF s = work[j];
                if (s.p1() == s.p2())
                    continue;
                const double len = s.length();
                if (rest > len) {
                    work.push_back(s);
                    rest -= len;
                } else if (qFuzzyCompare(len, rest)) {
                    work.push_back(s);
                    break;
                } else {
                    work.push_back(QLineF(s.p1(), s.p1() + (s.p2() - s.p1()) * rest / len));
                    break;
                }
            }
        }

        moved.resize(work.size());
        for (size_t j = 0; j < work.size(); ++j)
            moved[j] = shifted(work[j], d);

        QList<QLineF> &lines = out.lines;
        lines.reserve(int(moved.size()) * 2);
        lines.append(moved[0]);
        const size_t last = moved.size() - 1;
        for (size_t j = 1; j < moved.size(); ++j) {
            const QLineF &prev = moved[j - 1];
            const QLineF &cur = moved[j];
            const int steps = arcSteps(prev.angleTo(cur));
            if (steps > 0) {
                lines.append(cornerArc(prev, cur, steps));
                lines.append(cur);
            } else if (j != last) {
                lines.append(QLineF(prev.p2(), cur.p2()));
            } else {
                lines.append(QLineF(prev.p2(), cur.p1()));
                lines.append(cur);
            }
        }
        result.append(out);
    }
    return dropDegenerate(result);
}

QList<CutPath> HpglTool::compensateBacklash(QList<CutPath> paths, double xBacklash,
                                            double yBacklash)
{
    if (xBacklash == 0 && yBacklash == 0)
        return paths;

    double sx = 0, sy = 0;
    QPointF last(0, 0);
    for (CutPath &path : paths) {
        if (path.lines.isEmpty())
            continue;
        // The pen-up travel into the path decides the shift of its start.
        const QPointF start = path.lines.first().p1();
        sx = motionSign(start.x() - last.x(), sx);
        sy = motionSign(start.y() - last.y(), sy);
        for (QLineF &l : path.lines) {
            const QPointF p1(l.x1() + sx * xBacklash, l.y1() + sy * yBacklash);
            sx = motionSign(l.x2() - l.x1(), sx);
            sy = motionSign(l.y2() - l.y1(), sy);
            const QPointF p2(l.x2() + sx * xBacklash, l.y2() + sy * yBacklash);
            l = QLineF(p1, p2);
        }
        last = path.lines.last().p2();
    }
    return paths;
}
