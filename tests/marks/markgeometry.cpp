#include "markgeometry.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <cmath>

double distanceToSegment(const QPointF &p, const QLineF &l)
{
    const QPointF d = l.p2() - l.p1();
    const double len2 = d.x() * d.x() + d.y() * d.y();
    double t = 0.0;
    if (len2 > 0.0)
        t = std::clamp(((p.x() - l.x1()) * d.x() + (p.y() - l.y1()) * d.y()) / len2, 0.0, 1.0);
    const QPointF q = l.p1() + t * d;
    return std::hypot(p.x() - q.x(), p.y() - q.y());
}

GuideTopology guideTopology(const QVector<QLineF> &lines, double eps)
{
    // vertices by rounded position
    auto key = [eps](const QPointF &p) {
        return qMakePair(qint64(std::llround(p.x() / eps)), qint64(std::llround(p.y() / eps)));
    };
    using Key = QPair<qint64, qint64>;

    QVector<QPointF> ends;
    for (const QLineF &l : lines)
        ends << l.p1() << l.p2();

    QSet<QPair<Key, Key>> edges;
    for (const QLineF &l : lines) {
        if (l.length() < eps)
            continue;
        QVector<double> cuts { 0.0, 1.0 };
        for (const QPointF &p : ends) {
            if (distanceToSegment(p, l) < eps) {
                const QPointF d = l.p2() - l.p1();
                cuts << ((p.x() - l.x1()) * d.x() + (p.y() - l.y1()) * d.y())
                        / (d.x() * d.x() + d.y() * d.y());
            }
        }
        std::sort(cuts.begin(), cuts.end());
        for (int i = 0; i + 1 < cuts.size(); ++i) {
            const Key a = key(l.pointAt(cuts[i])), b = key(l.pointAt(cuts[i + 1]));
            if (a == b)
                continue;
            edges.insert(a < b ? qMakePair(a, b) : qMakePair(b, a));
        }
    }

    QMap<Key, QSet<Key>> adj;
    for (const auto &e : edges) {
        adj[e.first].insert(e.second);
        adj[e.second].insert(e.first);
    }

    GuideTopology out;
    for (auto it = adj.cbegin(); it != adj.cend(); ++it)
        if (it.value().size() == 1)
            ++out.stubs;

    bool pruned = true;
    while (pruned) {
        pruned = false;
        for (auto it = adj.begin(); it != adj.end();) {
            if (it.value().size() <= 1) {
                for (const Key &k : it.value())
                    adj[k].remove(it.key());
                it = adj.erase(it);
                pruned = true;
            } else {
                ++it;
            }
        }
    }
    if (adj.isEmpty())
        return out;
    for (auto it = adj.cbegin(); it != adj.cend(); ++it)
        if (it.value().size() % 2 != 0)
            return out;
    // connected
    QSet<Key> seen;
    QVector<Key> todo { adj.firstKey() };
    while (!todo.isEmpty()) {
        const Key k = todo.takeLast();
        if (seen.contains(k))
            continue;
        seen.insert(k);
        for (const Key &n : adj.value(k))
            todo << n;
    }
    out.closed = seen.size() == adj.size();
    return out;
}

QVector<QLineF> segmentsOf(const QPainterPath &p)
{
    QVector<QLineF> out;
    for (int i = 1; i < p.elementCount(); ++i)
        if (p.elementAt(i).isLineTo())
            out << QLineF(QPointF(p.elementAt(i - 1)), QPointF(p.elementAt(i)));
    return out;
}
