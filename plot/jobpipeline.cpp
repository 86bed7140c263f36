#include "jobpipeline.h"

#include "hpgltool.h"

#include <utility>

CutJobPaths runCutPipeline(CutJobInput input, const CutOptions &options, PipelineEnd end)
{
    CutJobPaths out;
    const CutMode mode = input.cutMode;
    if (mode != CutMode::DirectlyCut && mode != CutMode::ByPathAndMarks
        && mode != CutMode::BlankPaper)
        return out;
    if (mode == CutMode::ByPathAndMarks && input.markCentres.isEmpty())
        return out;

    HpglTool tool;
    // Each step gets the list moved in, so it works in place.
    if (mode == CutMode::ByPathAndMarks) {
        const QPoint origin = input.markCentres.first();
        QList<CutPath> creasing = tool.readPlt(std::move(input.creasingHpgl));
        creasing = tool.mirrorY(std::move(creasing), input.pageHeight);
        out.creasing = tool.translate(std::move(creasing), origin.x(), origin.y());
    }

    QList<CutPath> cutting = tool.readPlt(std::move(input.cuttingHpgl));
    cutting = tool.scaleDown(std::move(cutting), 5.0);
    cutting = tool.mirrorY(std::move(cutting), input.pageHeight);
    if (mode == CutMode::DirectlyCut) {
        const QPointF corner = tool.minCornerAll(cutting);
        cutting = tool.translate(std::move(cutting), corner.x(), corner.y());
    } else if (mode == CutMode::ByPathAndMarks) {
        const QPoint origin = input.markCentres.first();
        cutting = tool.translate(std::move(cutting), origin.x(), origin.y());
    }

    if (end == PipelineEnd::Finished) {
        if (options.autoSort) {
            cutting = tool.normalizeDirections(std::move(cutting));
            cutting = tool.chooseStarts(std::move(cutting));
            cutting = tool.sortPaths(std::move(cutting));
        }
        cutting
            = tool.compensateKnifeOffset(std::move(cutting), options.knifeOffset, options.overcut);
        if (options.backlash)
            cutting
                = tool.compensateBacklash(std::move(cutting), options.xBacklash, options.yBacklash);
    }
    out.cutting = std::move(cutting);
    return out;
}
