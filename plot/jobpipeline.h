#pragma once

#include "cutpath.h"

#include <QList>
#include <QPoint>
#include <QString>

// Cut modes, numbered as in the main window's cut-mode list: the list's
// index is what config.ini keeps. A value outside the three (a list with
// nothing chosen) is carried as it is and gives no job.
enum class CutMode
{
    DirectlyCut = 0,
    ByPathAndMarks = 1,
    BlankPaper = 2,
};

// Finishing options of the cutting list. Lengths are plotter units: callers
// multiply the send window's millimetres by 40 and pass 0 for a length whose
// check box is off.
struct CutOptions
{
    bool autoSort = false;
    double knifeOffset = 0.0;
    double overcut = 0.0; // of closed paths
    bool backlash = false;
    double xBacklash = 0.0;
    double yBacklash = 0.0;
};

// What the host exported for one job, as read from the scratch file.
struct CutJobInput
{
    CutMode cutMode = CutMode::DirectlyCut;
    // The cutting layer ("By Path & Marks") or all printable layers (the
    // other modes), exported at five times its size.
    QString cuttingHpgl;
    // The creasing layer at its true size; read in "By Path & Marks" only.
    QString creasingHpgl;
    double pageHeight = 0.0; // plotter units
    // Registration mark centres, y down from the top of the page; the first
    // one is the origin of a "By Path & Marks" job.
    QList<QPoint> markCentres;
};

// The two path lists of a job in the cutter's frame. creasing stays empty
// outside "By Path & Marks".
struct CutJobPaths
{
    QList<CutPath> creasing;
    QList<CutPath> cutting;

    // The preview shows the creasing lines before the cutting lines.
    QList<CutPath> both() const { return creasing + cutting; }
};

enum class PipelineEnd
{
    Finished, // everything up to backlash: what the writers get
    AfterTranslate, // the cut action's preview: scaled, mirrored and moved only
};

// Reads the exports and runs the one transform order every producer of job
// text uses: read, scale down by 5 (not the creasing lines), mirror by the
// page height, move (to the list's own corner when cutting directly, to the
// first mark for "By Path & Marks", not at all on blank paper), then on the
// cutting list only: auto-sort, knife offset with overcut, backlash.
// "By Path & Marks" without marks, or an unknown mode, gives empty lists;
// callers stop before exporting in that case anyway.
// Each text is let go as soon as it is read: hand the input over (std::move)
// and the export's text does not stay beside its paths.
CutJobPaths runCutPipeline(CutJobInput input, const CutOptions &options = CutOptions(),
    PipelineEnd end = PipelineEnd::Finished);
