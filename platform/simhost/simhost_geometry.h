#pragma once

// Geometry of the simulated host's shape operations. Lengths are inches, y up.
#include "simhost.h"

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

namespace simhost {

// Bounding box of the shapes with these ids (a null rectangle for none).
QRectF boundsOf(const Document &doc, const QList<quint64> &ids);

// The host's reference point codes: 1 top right, 2 top middle, 3 top left,
// 4 middle left, 5 bottom left, 6 bottom middle, 7 bottom right, 8 middle
// right, 9 centre.
QPointF referencePoint(const QRectF &r, int code);

// The closed and open pieces of a path, one per subpath of two points or more.
QList<QPainterPath> subpaths(const QPainterPath &path);

// The area the paths cover together, as one outline path.
QPainterPath unitedArea(const QList<const QPainterPath *> &paths);

// A contour `offset` inches away, outside (direction 2) or inside.
QPainterPath offsetPath(const QPainterPath &src, double offset, int direction);

} // namespace simhost
