#pragma once

#include "cutterfirmware.h"
#include "units.h"

#include <QtGlobal>

#include <algorithm>
#include <climits>

// Where the job windows send the head, in plotter units and in the order of
// the job bodies (first, second). Moves to a job's first point are measured
// from the head's resting place.
namespace CutterGeometry {

// Resting place of the head: moves built from a job's width take half of it
// off headX.
constexpr int headX = 6480;
constexpr int headY = -1500; // the send window's moves built from y values
constexpr int qrLabelY = -1000; // first number of the move to a sheet's QR label

// A QR sheet is fed 60 mm past the job's height.
constexpr int qrFeedMargin = 2400;

// The calibration circle is cut at the nominal camera offset, so that a camera
// that is where it should be sees it at the picture's centre.
constexpr double calibrationShiftX = -CutterFirmware::nominalCamOffsetA * Units::plotterUnitsPerMm;
constexpr double calibrationShiftY = -CutterFirmware::nominalCamOffsetB * Units::plotterUnitsPerMm;

// Sums and differences of whole plotter units from the host saturate instead
// of overflowing.
inline int clampToInt(qint64 v)
{
    return int(std::max<qint64>(INT_MIN, std::min<qint64>(INT_MAX, v)));
}

} // namespace CutterGeometry
