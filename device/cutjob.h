#pragma once

#include "jobpipeline.h"

#include <QList>
#include <QPoint>
#include <QString>

class CdrOperate;

// Shared by the main window's cut and save buttons and the send window.
//
// Has the host export what the cut mode needs into the scratch file, reads
// each export back before the next one overwrites it (the creasing layer
// first) and runs the cut chain on it. `marks` are the registration mark
// centres, needed by "By Path & Marks" only.
CutJobPaths readCutJob(CdrOperate &op, int cutMode, const QList<QPoint> &marks,
    const QString &scratch, const CutOptions &options, PipelineEnd end);

// Replaces `file` with `text` in one piece, or leaves it as it was.
bool writeJobFile(const QString &file, const QString &text);
