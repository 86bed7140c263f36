#include "simhost_geometry.h"

#include <QPainterPathStroker>
#include <QTransform>

#include <QHash>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <vector>

namespace simhost {

QRectF boundsOf(const Document &doc, const QList<quint64> &ids)
{
    QRectF r;
    bool any = false;
    for (quint64 id : ids) {
        const Shape *s = doc.shapes.find(id);
        if (!s)
            continue;
        const QRectF b = s->path.boundingRect();
        r = any ? r.united(b) : b;
        any = true;
    }
    return r;
}

// y is up, so "top" is the rectangle's larger y.
QPointF referencePoint(const QRectF &r, int code)
{
    const double l = r.left(), rt = r.right(), b = r.top(), t = r.bottom();
    const double cx = r.center().x(), cy = r.center().y();
    switch (code) {
    case 1:
        return { rt, t };
    case 2:
        return { cx, t };
    case 3:
        return { l, t };
    case 4:
        return { l, cy };
    case 5:
        return { l, b };
    case 6:
        return { cx, b };
    case 7:
        return { rt, b };
    case 8:
        return { rt, cy };
    default:
        return { cx, cy };
    }
}

QList<QPainterPath> subpaths(const QPainterPath &path)
{
    QList<QPainterPath> out;
    QPainterPath cur;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            if (cur.elementCount() > 1)
                out << cur;
            cur = QPainterPath();
            cur.moveTo(e);
        } else if (e.isLineTo()) {
            cur.lineTo(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            cur.cubicTo(e, path.elementAt(i + 1), path.elementAt(i + 2));
            i += 2;
        }
    }
    if (cur.elementCount() > 1)
        out << cur;
    return out;
}

namespace {

// The most points Qt's path operations are given at once: on some inputs
// they recurse about once per point (75,000 frames fill the stack), and
// they take time in about the square of the points.
constexpr int clipLimit = 50000;

// Qt's path operations flatten curves to a tolerance in path units; in
// inches that would turn a 5 mm circle into an octagon, so they work on a
// finely scaled copy.
constexpr double fine = 20000.0;

QPainterPath toFine(const QPainterPath &p)
{
    // Flattened here, finely: the path operations would flatten each curve
    // into a fixed number of pieces whatever its size.
    QPainterPath out;
    out.setFillRule(p.fillRule());
    for (const QPolygonF &poly : QTransform::fromScale(fine, fine).map(p).toSubpathPolygons())
        out.addPolygon(poly);
    return out;
}

QPainterPath fromFine(const QPainterPath &p)
{
    return QTransform::fromScale(1 / fine, 1 / fine).map(p);
}

// Unites neighbours pairwise, then the pairs, and so on: each union stays
// small, where adding shape after shape to one growing area would take
// time in the square of their number.
QPainterPath unitedPairwise(QList<QPainterPath> level)
{
    while (level.size() > 1) {
        QList<QPainterPath> next;
        next.reserve((level.size() + 1) / 2);
        for (int i = 0; i + 1 < level.size(); i += 2)
            next << level[i].united(level[i + 1]);
        if (level.size() % 2)
            next << level.last();
        level.swap(next);
    }
    return level.isEmpty() ? QPainterPath() : level[0];
}

// Groups of paths whose bounding boxes touch, directly or through others;
// each group in the paths' order, the groups in the order of their first.
QList<QList<int>> touchingGroups(const QList<QRectF> &boxes)
{
    const int n = boxes.size();
    std::vector<int> parent(static_cast<size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    const auto root = [&](int i) {
        while (parent[size_t(i)] != i)
            i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        return i;
    };
    // a sweep from left to right over the boxes' left edges
    std::vector<int> byLeft = parent;
    std::sort(byLeft.begin(), byLeft.end(),
        [&](int a, int b) { return boxes[a].left() < boxes[b].left(); });
    std::vector<int> open;
    for (int i : byLeft) {
        const QRectF &b = boxes[i];
        open.erase(std::remove_if(open.begin(), open.end(),
                       [&](int j) { return boxes[j].right() < b.left(); }),
            open.end());
        for (int j : open)
            if (boxes[j].top() <= b.bottom() && b.top() <= boxes[j].bottom())
                parent[size_t(root(i))] = root(j);
        open.push_back(i);
    }
    QList<QList<int>> groups;
    QHash<int, int> groupOf; // root -> group
    for (int i = 0; i < n; ++i) {
        const int r = root(i);
        auto it = groupOf.find(r);
        if (it == groupOf.end()) {
            it = groupOf.insert(r, groups.size());
            groups.append(QList<int>());
        }
        groups[*it] << i;
    }
    return groups;
}

// The subpaths of the paths in groups whose boxes, grown by `margin`,
// touch no box of another group; in each group one path per path given that
// has subpaths there, with its fill rule. Inside a subpath's box only the
// subpaths whose boxes reach it count for filling, so a group can be filled,
// united or outlined apart from the others.
QList<QList<QPainterPath>> subpathGroups(const QList<QPainterPath> &paths, double margin)
{
    QList<int> owners;
    QList<QPolygonF> polygons;
    QList<QRectF> boxes;
    for (int o = 0; o < paths.size(); ++o)
        for (const QPolygonF &poly : paths[o].toSubpathPolygons()) {
            owners << o;
            polygons << poly;
            boxes << poly.boundingRect().adjusted(-margin, -margin, margin, margin);
        }
    QList<QList<QPainterPath>> out;
    for (const QList<int> &group : touchingGroups(boxes)) {
        std::map<int, QPainterPath> byOwner; // in the paths' order
        for (int i : group) {
            QPainterPath &p = byOwner[owners[i]];
            p.setFillRule(paths[owners[i]].fillRule());
            p.addPolygon(polygons[i]);
        }
        QList<QPainterPath> part;
        for (auto &entry : byOwner)
            part << entry.second;
        out << part;
    }
    return out;
}

int pointsOf(const QList<QPainterPath> &paths)
{
    int n = 0;
    for (const QPainterPath &p : paths)
        n += p.elementCount();
    return n;
}

void leaveOut(Room &room, const char *what, qint64 points)
{
    qWarning(
        "simulated host: %s of %lld points left out: more than it works on at once", what, points);
    room.leftOut = true;
}

} // namespace

QPainterPath unitedArea(const QList<const QPainterPath *> &paths, Room &room)
{
    QList<QPainterPath> fines;
    QList<QRectF> boxes;
    fines.reserve(paths.size());
    boxes.reserve(paths.size());
    qint64 points = 0;
    for (const QPainterPath *path : paths) {
        QPainterPath p = toFine(*path);
        points += p.elementCount();
        if (points > room.points) {
            qWarning("simulated host: a boundary of more than %lld points: %d of %d shapes left "
                     "out",
                room.points, int(paths.size() - fines.size()), int(paths.size()));
            room.leftOut = true;
            break;
        }
        p.setFillRule(Qt::WindingFill);
        boxes << p.controlPointRect();
        fines << p;
    }
    // Shapes apart from each other are outlined apart: the path operations
    // take time in the square of what they are given at once.
    QPainterPath area;
    for (const QList<int> &group : touchingGroups(boxes)) {
        QList<QPainterPath> members;
        members.reserve(group.size());
        for (int i : group)
            members << fines[i];
        if (pointsOf(members) <= clipLimit) {
            area.addPath(unitedPairwise(members).simplified());
            continue;
        }
        // too much at once: outlined piece by piece where the pieces keep apart
        for (const QList<QPainterPath> &part : subpathGroups(members, 0)) {
            const int n = pointsOf(part);
            if (n > clipLimit)
                leaveOut(room, "a boundary", n);
            else
                area.addPath(unitedPairwise(part).simplified());
        }
    }
    return fromFine(area);
}

namespace {

QPainterPath offsetFine(const QPainterPath &fineSrc, double offset, int direction)
{
    // A contour a fraction of a micrometre away is the outline itself.
    if (std::abs(offset) < 1e-4)
        return fineSrc.simplified();
    QPainterPathStroker stroker;
    stroker.setWidth(2 * std::abs(offset) * fine);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath band = stroker.createStroke(fineSrc);
    if (direction == 2)
        return fineSrc.united(band).simplified();
    return fineSrc.subtracted(band).simplified();
}

} // namespace

QPainterPath offsetPath(const QPainterPath &src, double offset, int direction, Room &room)
{
    const QPainterPath fineSrc = toFine(src);
    const int n = fineSrc.elementCount();
    if (n > room.points) {
        qWarning("simulated host: a contour of %d points left out: the document holds too much", n);
        room.leftOut = true;
        return QPainterPath();
    }
    if (n <= clipLimit)
        return fromFine(offsetFine(fineSrc, offset, direction));
    // Too much at once: contoured piece by piece, the pieces far enough
    // apart that their contours do not meet.
    QPainterPath out;
    const double margin = std::abs(offset) * fine + 1;
    for (const QList<QPainterPath> &part : subpathGroups({ fineSrc }, margin)) {
        const int points = pointsOf(part);
        if (points > clipLimit)
            leaveOut(room, "a contour", points);
        else
            out.addPath(offsetFine(part.front(), offset, direction));
    }
    return fromFine(out);
}

} // namespace simhost
