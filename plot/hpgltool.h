#pragma once

#include "cutpath.h"

#include <QPointF>
#include <QString>

// The path toolkit: reads the host's HPGL export, transforms the paths into
// the cutter's frame and writes job text. Stateless; every operation takes
// its list by value and returns a new one.
class HpglTool
{
public:
    HpglTool();

    double pi;

    // reader and cleaning passes
    QList<CutPath> readPlt(QString text);
    QList<CutPath> dropDegenerate(QList<CutPath> paths);
    QList<CutPath> mergeCollinear(QList<CutPath> paths);

    // writers
    QString writePen1(QList<CutPath> paths);
    QString writePen2(QList<CutPath> paths);
    QString writePen2Dashed(QList<CutPath> paths, double posLen, double negLen);
    QString writePens(QList<CutPath> paths);
    QString writePensDashed(QList<CutPath> paths, double posLen, double negLen);
    QString writePlain(QList<CutPath> paths);

    // measures and basic transforms
    QPointF minCorner(CutPath path);
    QPointF maxCorner(CutPath path);
    QPointF minCornerAll(QList<CutPath> paths);
    bool isClosed(CutPath path);
    bool isClockwise(CutPath path);
    CutPath reversePath(CutPath path);
    CutPath rotateToStart(CutPath path, QLineF first);
    QList<CutPath> mirrorY(QList<CutPath> paths, double h);
    QList<CutPath> scaleDown(QList<CutPath> paths, double k);
    QList<CutPath> translate(QList<CutPath> paths, double dx, double dy);

    // auto-sort
    CutPath normalizeDirection(CutPath path);
    QList<CutPath> normalizeDirections(QList<CutPath> paths);
    CutPath chooseStart(CutPath path);
    QList<CutPath> chooseStarts(QList<CutPath> paths);
    QList<CutPath> sortPaths(QList<CutPath> paths);

    // knife offset, overcut, backlash
    QList<QLineF> cornerArc(QLineF before, QLineF after, int steps);
    QList<CutPath> compensateKnifeOffset(
        QList<CutPath> paths, double knifeOffset, double closeOffset);
    QList<CutPath> compensateBacklash(QList<CutPath> paths, double xBacklash, double yBacklash);
};
