// Fuzz target over the whole cut chain: the pipeline in every mode with
// fixed sane options, and all six writers on what it gives. The readers
// alone have their own, faster target, fuzz_read.
//
// Besides crashes and undefined behaviour it stops on writer output with a
// character HPGL does not use.
#include "fuzzcheck.h"
#include "hpgltool.h"
#include "jobpipeline.h"

#include <cstdint>

namespace {
// The dashed writers emit every dash, so their text grows with the length
// of the dashed paths (up to the writers' budget, past which they cut
// solid; a unit test covers that). Such inputs are correct but slow under
// the sanitizers, so inputs with more dashes than a few sheets hold are
// left out of the dashed writers to keep runs fast.
bool dashesFit(const QList<CutPath> &paths, double period)
{
    double length = 0;
    for (const CutPath &p : paths) {
        if (p.lineType == 0 && p.patternLength == 0.0 && p.lineTypeMode == 0)
            continue;
        for (const QLineF &l : p.lines)
            length += l.length();
    }
    return length / period < 2e4;
}

void writeAll(const QList<CutPath> &paths)
{
    HpglTool t;
    const double dash = 5 * 40, gap = 0.5 * 40;
    checkJobText(t.writePen1(paths));
    checkJobText(t.writePen2(paths));
    checkJobText(t.writePens(paths));
    checkJobText(t.writePlain(paths));
    if (dashesFit(paths, dash + gap)) {
        checkJobText(t.writePen2Dashed(paths, dash, gap));
        checkJobText(t.writePensDashed(paths, dash, gap));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));

    // The send window's defaults, in plotter units.
    CutOptions options;
    options.autoSort = true;
    options.knifeOffset = 0.5 * 40;
    options.overcut = 1.0 * 40;
    options.backlash = true;
    options.xBacklash = 0.1 * 40;
    options.yBacklash = 0.1 * 40;
    for (CutMode mode : { CutMode::DirectlyCut, CutMode::ByPathAndMarks, CutMode::BlankPaper }) {
        CutJobInput in;
        in.cutMode = mode;
        in.cuttingHpgl = text;
        in.creasingHpgl = text;
        in.pageHeight = 11880;
        in.markCentres = { QPoint(400, 600), QPoint(7600, 11000) };
        const CutJobPaths out = runCutPipeline(in, options);
        writeAll(out.cutting);
        writeAll(out.creasing);
    }
    return 0;
}
