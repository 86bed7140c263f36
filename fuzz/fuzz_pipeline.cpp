// Fuzz target over everything that reads or rewrites job text: the HPGL
// reader, the job header reader, the kind rewrite, the whole cut pipeline in
// every mode with fixed sane options, and all six writers.
//
// Besides crashes and undefined behaviour it stops on:
// - a path from readPlt with a coordinate that is not a finite whole number,
//   or a segment whose rounded ends coincide;
// - writer output with a character HPGL does not use;
// - a kind rewrite that changes more than one character or the length.
#include "hpgltool.h"
#include "jobformat.h"
#include "jobpipeline.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_pipeline: %s\n", what);
    std::abort();
}

bool whole(double v)
{
    return std::isfinite(v) && std::trunc(v) == v;
}

void checkRead(const QList<CutPath> &paths)
{
    for (const CutPath &p : paths) {
        if (p.lines.isEmpty())
            fail("readPlt returned a path without segments");
        for (const QLineF &l : p.lines) {
            if (!whole(l.x1()) || !whole(l.y1()) || !whole(l.x2()) || !whole(l.y2()))
                fail("readPlt returned a coordinate that is not a finite whole number");
            if (l.p1() == l.p2())
                fail("readPlt returned a degenerate segment");
        }
    }
}

// Upper-case letters, digits and , ; - ! are all the writers may produce.
void checkJobText(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == ',' || u == ';'
                || u == '-' || u == '!';
        if (!ok)
            fail("writer output holds a character HPGL does not use");
    }
}

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

    HpglTool t;
    checkRead(t.readPlt(text));

    readJobSize(text);
    const QString rewritten = rewriteJobKind(text);
    if (rewritten.size() != text.size())
        fail("kind rewrite changed the length");
    int changed = 0;
    for (int i = 0; i < text.size(); ++i)
        changed += rewritten.at(i) != text.at(i);
    if (changed > 1)
        fail("kind rewrite changed more than one character");

    // The send window's defaults, in plotter units.
    CutOptions options;
    options.autoSort = true;
    options.knifeOffset = 0.5 * 40;
    options.overcut = 1.0 * 40;
    options.backlash = true;
    options.xBacklash = 0.1 * 40;
    options.yBacklash = 0.1 * 40;
    for (int mode : {CutMode::DirectlyCut, CutMode::ByPathAndMarks, CutMode::BlankPaper}) {
        CutJobInput in;
        in.cutMode = mode;
        in.cuttingHpgl = text;
        in.creasingHpgl = text;
        in.pageHeight = 11880;
        in.markCentres = {QPoint(400, 600), QPoint(7600, 11000)};
        const CutJobPaths out = runCutPipeline(in, options);
        writeAll(out.cutting);
        writeAll(out.creasing);
        checkJobText(jobHeader(10400, 7200, JobKind::PathAndMarks));
    }
    return 0;
}
