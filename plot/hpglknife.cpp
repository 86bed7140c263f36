// Knife offset with corner arcs, overcut of closed paths, and backlash.
#include "hpgltool.h"
#include "wholeunits.h"

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

// QLineF::angleTo from the two lines' own angles, so that each segment's
// arc tangent is taken once: 0 when either line is null, else the difference
// in [0, 360) with a value fuzzily equal to 360 taken as 0.
inline double angleBetween(double a1, bool null1, double a2, bool null2)
{
    if (null1 || null2)
        return 0;
    const double delta = a2 - a1;
    const double normalized = delta < 0 ? delta + 360 : delta;
    return qFuzzyCompare(normalized, 360.0) ? 0 : normalized;
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

QList<CutPath> HpglTool::compensateKnifeOffset(
    QList<CutPath> paths, double knifeOffset, double closeOffset)
{
    const double d = lengthOrZero(knifeOffset);
    const double overcut = lengthOrZero(closeOffset);
    if (d == 0 && overcut == 0)
        return paths;

    // The final clean-up is done while each path is copied out of the work
    // vectors, so no segment is stored only to be dropped again.
    QList<CutPath> result;
    result.reserve(paths.size());
    std::vector<QLineF> work;
    std::vector<QLineF> moved;
    std::vector<double> angle;
    std::vector<char> null;
    std::vector<QLineF> lines;
    for (CutPath &path : paths) {
        if (path.lines.isEmpty())
            continue;

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

        const size_t m = work.size();
        moved.resize(m);
        angle.resize(m);
        null.resize(m);
        for (size_t j = 0; j < m; ++j) {
            moved[j] = shifted(work[j], d);
            null[j] = moved[j].isNull();
            angle[j] = null[j] ? 0 : moved[j].angle();
        }

        lines.clear();
        lines.push_back(moved[0]);
        for (size_t j = 1; j < m; ++j) {
            const QLineF &prev = moved[j - 1];
            const QLineF &cur = moved[j];
            const int steps = arcSteps(angleBetween(angle[j - 1], null[j - 1], angle[j], null[j]));
            if (steps > 0) {
                const QList<QLineF> arc = cornerArc(prev, cur, steps);
                lines.insert(lines.end(), arc.cbegin(), arc.cend());
                lines.push_back(cur);
            } else if (j != m - 1) {
                lines.push_back(QLineF(prev.p2(), cur.p2()));
            } else {
                lines.push_back(QLineF(prev.p2(), cur.p1()));
                lines.push_back(cur);
            }
        }

        // Write the result over the path's own segments (a list handed over
        // is changed in place, so only the extra segments are allocated).
        QList<QLineF> &out = path.lines;
        int written = 0;
        for (const QLineF &l : lines) {
            if (wholeunits::isDegenerate(l))
                continue;
            if (written < out.size())
                out[written] = l;
            else
                out.append(l);
            ++written;
        }
        if (written < out.size())
            out.erase(out.begin() + written, out.end());
        if (!out.isEmpty())
            result.append(std::move(path));
    }
    return result;
}

QList<CutPath> HpglTool::compensateBacklash(
    QList<CutPath> paths, double xBacklash, double yBacklash)
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
