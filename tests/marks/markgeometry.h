#pragma once

// Checks on guide outlines shared by the mark tests.

#include <units.h>

#include <QLineF>
#include <QPainterPath>
#include <QVector>

// Millimetres to the host's inches and back.
inline double in(double millimetres)
{
    return millimetres / Units::mmPerInch;
}
inline double mmOf(double inches)
{
    return inches * Units::mmPerInch;
}

struct GuideTopology
{
    int stubs = 0; // free ends (lines that lead nowhere)
    bool closed = false; // without the stubs: one connected set of closed loops
};

// Treats the lines as a drawing: lines that meet at a point or where one ends
// on another are joined there.
GuideTopology guideTopology(const QVector<QLineF> &lines, double eps = 1e-7);

double distanceToSegment(const QPointF &p, const QLineF &l);

// The straight pieces of a path, each from the point before it.
QVector<QLineF> segmentsOf(const QPainterPath &p);
