#include "simhost_geometry.h"

#include <QPainterPathStroker>
#include <QTransform>

#include <cmath>

namespace simhost {

QRectF boundsOf(const Document &doc, const QList<quint64> &ids)
{
    QRectF r;
    bool any = false;
    for (quint64 id : ids)
        for (const Shape &s : doc.shapes)
            if (s.id == id) {
                const QRectF b = s.path.boundingRect();
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
    case 1: return {rt, t};
    case 2: return {cx, t};
    case 3: return {l, t};
    case 4: return {l, cy};
    case 5: return {l, b};
    case 6: return {cx, b};
    case 7: return {rt, b};
    case 8: return {rt, cy};
    default: return {cx, cy};
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

} // namespace

QPainterPath unitedArea(const QList<const QPainterPath *> &paths)
{
    QPainterPath area;
    for (const QPainterPath *path : paths) {
        QPainterPath p = toFine(*path);
        p.setFillRule(Qt::WindingFill);
        area = area.united(p);
    }
    return fromFine(area.simplified());
}

QPainterPath offsetPath(const QPainterPath &src, double offset, int direction)
{
    // A contour a fraction of a micrometre away is the outline itself.
    if (std::abs(offset) < 1e-4)
        return fromFine(toFine(src).simplified());
    QPainterPathStroker stroker;
    stroker.setWidth(2 * std::abs(offset) * fine);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath fineSrc = toFine(src);
    const QPainterPath band = stroker.createStroke(fineSrc);
    if (direction == 2)
        return fromFine(fineSrc.united(band).simplified());
    return fromFine(fineSrc.subtracted(band).simplified());
}

} // namespace simhost
