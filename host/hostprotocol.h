#pragma once

// The host's numeric codes as the program passes them. What a code selects
// is the host's; the values are part of the protocol and must not change.
//
// Member texts are sent exactly as written at each call, spacing included
// ("CreateCMYKColor(int, int, int, int)" but "CMYKAssign(int,int,int,int)"):
// they are the texts the real host is known to answer, so leave them be.

#include "units.h"

namespace hostcode {

// "ExportEx(const QString&, enum, enum, QVariant, QVariant)": the host's HPGL
// export filter, and the range argument passed with it.
constexpr int hpglExportFilter = 1281;
constexpr int exportRange = 0;

// The HPGL filter's "PlotterUnits" (per inch) and "PlotterOrigin"; what the
// origin value means is the host's.
constexpr int plotterUnitsPerInch = int(Units::plotterUnitsPerInch);
constexpr int plotterOrigin = 1;

// "ImportEx(const QString&, enum, QVariant)": the filter value passed for the
// QR label picture, and the import options' "Mode".
constexpr int labelImportFilter = 802;
constexpr int importMode = 0;

// Reference points of "SetReferencePoint(enum)" and
// "SetPositionEx(enum, double, double)".
constexpr int referenceTopLeft = 3;
constexpr int referenceBottomLeft = 5;

// "CreateContour(enum, double, int, enum, QVariant, QVariant, QVariant)":
// direction, number of steps and blend type of the cut contour.
constexpr int contourDirection = 1;
constexpr int contourSteps = 1;
constexpr int contourBlend = 0;

// "CreateArtisticText(...)": language (2052, simplified Chinese) and
// character set of the label caption; its bold, italic, underline and
// alignment arguments are all textPlain (off).
constexpr int textLanguage = 2052;
constexpr int textCharSet = 0;
constexpr int textPlain = 0;

// "Trace(enum)": the trace type that turns the label picture into curves.
constexpr int labelTraceType = 6;

} // namespace hostcode
