#pragma once

#include <QLineF>
#include <QList>
#include <QMetaType>

// One continuous cut path in plotter units (40 per mm), with the pen and
// line type that were in force when it began.
struct CutPath
{
    int pen = 0;
    int lineType = 0;
    double patternLength = 0.0;
    int lineTypeMode = 0;
    QList<QLineF> lines;

    bool operator==(const CutPath &o) const
    {
        return pen == o.pen && lineType == o.lineType && patternLength == o.patternLength
            && lineTypeMode == o.lineTypeMode && lines == o.lines;
    }
    bool operator!=(const CutPath &o) const { return !(*this == o); }
};

Q_DECLARE_METATYPE(CutPath)
