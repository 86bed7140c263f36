#pragma once

#include "cutpath.h"

#include <QString>
#include <QStringList>

// Compact text form of a path list for test tables and failure messages:
// "pen/lineType/patternLength/mode: x1,y1>x2,y2 ..." with paths joined by " | ".
inline QString dumpPaths(const QList<CutPath> &paths)
{
    QStringList out;
    for (const CutPath &p : paths) {
        QStringList segs;
        for (const QLineF &s : p.lines)
            segs << QString::number(s.x1(), 'g', 15) + QLatin1Char(',')
                    + QString::number(s.y1(), 'g', 15) + QLatin1Char('>')
                    + QString::number(s.x2(), 'g', 15) + QLatin1Char(',')
                    + QString::number(s.y2(), 'g', 15);
        out << QStringLiteral("%1/%2/%3/%4: ")
                    .arg(p.pen)
                    .arg(p.lineType)
                    .arg(p.patternLength)
                    .arg(p.lineTypeMode)
                + segs.join(QLatin1Char(' '));
    }
    return out.join(QStringLiteral(" | "));
}

inline CutPath makePath(const QList<QLineF> &lines, int pen = 0, int lineType = 0,
    double patternLength = 0.0, int mode = 0)
{
    CutPath p;
    p.pen = pen;
    p.lineType = lineType;
    p.patternLength = patternLength;
    p.lineTypeMode = mode;
    p.lines = lines;
    return p;
}

// A path through the given points, one segment between each two.
inline CutPath polyline(const QList<QPointF> &pts, int pen = 0, int lineType = 0,
    double patternLength = 0.0, int mode = 0)
{
    QList<QLineF> lines;
    for (int i = 1; i < pts.size(); ++i)
        lines << QLineF(pts[i - 1], pts[i]);
    return makePath(lines, pen, lineType, patternLength, mode);
}
