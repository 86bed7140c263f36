#pragma once

#include "jobpipeline.h"

#include <QList>
#include <QPoint>
#include <QString>

class CdrOperate;
struct SaveResult;

// Shared by the main window's cut and save buttons and the send window.
//
// Has the host export what the cut mode needs into the scratch file, reads
// each export back before the next one overwrites it (the creasing layer
// first) and runs the cut chain on it. `marks` are the registration mark
// centres, needed by "By Path & Marks" only.
//
// An old export must never be read as a new one: when the scratch file
// cannot be removed first, when the host was asked for an export and wrote
// none, or when what it wrote ends in the middle of a command, the paths are
// empty and *problem says so, naming the file. It stays empty otherwise.
CutJobPaths readCutJob(CdrOperate &op, CutMode cutMode, const QList<QPoint> &marks,
    const QString &scratch, const CutOptions &options, PipelineEnd end, QString *problem = nullptr);

// Neither list holds a segment: nothing for the cutter in any mode. Creasing
// lines alone are a job.
bool nothingToCut(const CutJobPaths &paths);
// The one warning both windows give for it.
QString nothingToCutText();

// Page size in whole plotter units.
struct PageSize
{
    int height = 0;
    int width = 0;
};

// Asks the host for the page height, then for the width.
PageSize readPageSize(CdrOperate &op);

// Who a job text is for. The producers differ in details that cutters and
// stored files rely on: the send window dashes every cutting body and sends
// blank paper without its header; Save File writes direct cuts and blank
// paper with solid pens; a QR job is filed as kind 5 with solid cutting lines.
enum class JobUse
{
    Send, // the send window's Send
    SendSave, // the send window's Save
    FileSave, // the main window's Save File
    QrFile, // Save File of a sheet with a QR label ("By Path & Marks" only)
};

// The job text of a cut mode: header (where the use has one) and bodies.
// `dash` and `gap` are plotter units; `page` is needed by the blank-paper
// header only, `marks` by "By Path & Marks" only. An unknown mode gives an
// empty text.
QString cutJobText(const CutJobPaths &paths, CutMode cutMode, JobUse use,
    const QList<QPoint> &marks, const PageSize &page, double dash, double gap);

// Replaces `file` with `text` in one piece, or leaves it as it was; *why
// says what went wrong.
bool writeJobFile(const QString &file, const QString &text, SaveResult *why = nullptr);
