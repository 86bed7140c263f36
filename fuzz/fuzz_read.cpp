// Fuzz target over the readers of job text alone, fast enough for
// thousands of inputs a second: the HPGL reader, the job header reader and
// the kind rewrite. fuzz_pipeline runs the whole chain beside it.
//
// Besides crashes and undefined behaviour it stops on:
// - a path from readPlt with a coordinate that is not a finite whole number,
//   or a segment whose rounded ends coincide;
// - a kind rewrite that changes more than one character or the length.
#include "fuzzcheck.h"
#include "hpgltool.h"
#include "jobformat.h"

#include <cmath>
#include <cstdint>

namespace {

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
    checkJobText(jobHeader(10400, 7200, JobKind::PathAndMarks));
    return 0;
}
