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

// What an operation may make: the points (path elements) the document
// still has room for. What does not fit, or is more than the path
// operations take at once, is left out, said on stderr, and marked here.
struct Room
{
    qint64 points = 0;
    bool leftOut = false;
};

// The area the paths cover together, as one outline path.
QPainterPath unitedArea(const QList<const QPainterPath *> &paths, Room &room);

// A contour `offset` inches away, outside (direction 2) or inside.
QPainterPath offsetPath(const QPainterPath &src, double offset, int direction, Room &room);

} // namespace simhost
