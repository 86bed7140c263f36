#include "cutjob.h"

#include "cdroperate.h"
#include "textfile.h"

#include <QSaveFile>

CutJobPaths readCutJob(CdrOperate &op, int cutMode, const QList<QPoint> &marks,
    const QString &scratch, const CutOptions &options, PipelineEnd end)
{
    CutJobInput input;
    input.cutMode = cutMode;
    input.markCentres = marks;
    if (cutMode == CutMode::ByPathAndMarks) {
        op.exportCreasingLayerPlt(scratch);
        input.creasingHpgl = readFile(scratch);
        op.exportCuttingLayerPlt(scratch);
        input.cuttingHpgl = readFile(scratch);
    } else {
        op.exportPrintablePlt(scratch);
        input.cuttingHpgl = readFile(scratch);
    }
    input.pageHeight = op.pageHeight();
    return runCutPipeline(input, options, end);
}

bool writeJobFile(const QString &file, const QString &text)
{
    // A half-written job would be cut as far as it goes.
    QSaveFile out(file);
    const QByteArray bytes = text.toUtf8();
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}
