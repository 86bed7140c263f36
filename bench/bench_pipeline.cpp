// Row sort and the whole cut pipeline on synthetic contour-cut jobs.
//
//   sortPaths P=<n>: <ms>            the toolkit's sort
//   sortPaths literal P=<n>: <ms>    the literal passes, or "skipped" past 10 s
//   pipeline 1M segments: <ms>       file read + whole chain + writers
#include "hpgltool.h"
#include "jobformat.h"
#include "jobpipeline.h"
#include "textfile.h"

#include "../tests/plot/literalsort.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringBuilder>
#include <QTemporaryFile>

#include <cmath>
#include <cstdio>

namespace {

// Closed outlines of 10 to 100 segments, one per cell of a square grid on a
// sheet, with random size and place inside the cell, in random order as a
// host export gives them; plus a frame around everything. Cutter frame.
QList<CutPath> syntheticJob(int count, QRandomGenerator &rng)
{
    const double cell = 400; // 10 mm
    const int cols = int(std::ceil(std::sqrt(double(count))));
    QList<CutPath> paths;
    paths.reserve(count);
    for (int i = 0; i < count - 1; ++i) {
        const double r = 40 + rng.bounded(150.0);
        const double cx
            = (i % cols) * cell + cell / 2 + rng.bounded(2 * (cell / 2 - r)) - (cell / 2 - r);
        const double cy
            = (i / cols) * cell + cell / 2 + rng.bounded(2 * (cell / 2 - r)) - (cell / 2 - r);
        const int n = 10 + rng.bounded(91);
        const double wobble = rng.bounded(0.3);
        CutPath p;
        p.pen = 1;
        p.lines.reserve(n);
        QPointF first, prev;
        for (int k = 0; k <= n; ++k) {
            const double a = 2 * M_PI * (k % n) / n;
            const double rr = r * (1 - wobble * std::sin(3 * a));
            const QPointF q(std::round(cx + rr * std::cos(a)), std::round(cy + rr * std::sin(a)));
            if (k == 0)
                first = q;
            else
                p.lines.append(QLineF(prev, k == n ? first : q));
            prev = q;
        }
        paths.append(p);
    }
    const double side = cols * cell;
    CutPath frame;
    frame.pen = 1;
    frame.lines = { QLineF(-50, -50, side + 50, -50), QLineF(side + 50, -50, side + 50, side + 50),
        QLineF(side + 50, side + 50, -50, side + 50), QLineF(-50, side + 50, -50, -50) };
    paths.append(frame);
    for (int i = paths.size() - 1; i > 0; --i)
        paths.swapItemsAt(i, rng.bounded(i + 1));
    return paths;
}

int segmentCount(const QList<CutPath> &paths)
{
    int n = 0;
    for (const CutPath &p : paths)
        n += p.lines.size();
    return n;
}

// The same job as the host would export it: y up, five times the size.
QString asHostExport(const QList<CutPath> &paths, double pageHeight)
{
    QString text = QStringLiteral("IN;PA;SP1;");
    text.reserve(segmentCount(paths) * 14);
    auto pt = [&](const QPointF &q) {
        text += QString::number(qRound(q.x() * 5)) % QLatin1Char(',')
            % QString::number(qRound((pageHeight - q.y()) * 5));
    };
    for (const CutPath &p : paths) {
        text += QLatin1String("PU");
        pt(p.lines.first().p1());
        text += QLatin1String(";PD");
        for (int i = 0; i < p.lines.size(); ++i) {
            if (i)
                text += QLatin1Char(',');
            pt(p.lines[i].p2());
        }
        text += QLatin1Char(';');
    }
    text += QLatin1String("PU;");
    return text;
}

double ms(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main()
{
    QRandomGenerator rng(2024);
    HpglTool tool;
    bool literalFits = true;
    double fastMs[3] = { 0, 0, 0 };
    const int sizes[3] = { 1000, 10000, 100000 };
    for (int s = 0; s < 3; ++s) {
        const int count = sizes[s];
        QList<CutPath> paths = syntheticJob(count, rng);
        paths = tool.chooseStarts(tool.normalizeDirections(paths));

        // Best of three, each on a fresh copy of the list handed over the
        // way the pipeline hands it (moved, not shared).
        double best = 1e300;
        QList<CutPath> fast;
        for (int round = 0; round < 3; ++round) {
            QList<CutPath> copy = paths;
            copy.detach();
            QElapsedTimer t;
            t.start();
            fast = tool.sortPaths(std::move(copy));
            best = std::min(best, ms(t));
        }
        fastMs[s] = best;
        std::printf("sortPaths P=%d: %.1f ms (%d segments)\n", count, best, segmentCount(paths));

        if (!literalFits) {
            std::printf("sortPaths literal P=%d: skipped\n", count);
            continue;
        }
        QList<CutPath> literal = paths;
        QElapsedTimer t;
        t.start();
        const bool done = literalSortPaths(literal, [&] { return t.elapsed() > 10000; });
        if (done) {
            std::printf("sortPaths literal P=%d: %.1f ms%s\n", count, ms(t),
                literal == fast ? "" : " (ORDER DIFFERS)");
        } else {
            std::printf("sortPaths literal P=%d: skipped (over 10 s)\n", count);
            literalFits = false;
        }
        std::fflush(stdout);
    }
    // Growth from size to size against n log n.
    for (int s = 1; s < 3; ++s) {
        const double a = sizes[s - 1], b = sizes[s];
        std::printf("sortPaths growth P=%d -> P=%d: x%.1f (n log n: x%.1f)\n", sizes[s - 1],
            sizes[s], fastMs[s] / fastMs[s - 1], (b * std::log(b)) / (a * std::log(a)));
    }

    // The whole road of a "By Path & Marks" send with every option on.
    const double pageHeight = 11880;
    const QList<CutPath> job = syntheticJob(19000, rng); // about 55 segments each
    CutJobInput input;
    input.cutMode = CutMode::ByPathAndMarks;
    input.pageHeight = pageHeight;
    QTemporaryFile scratch;
    if (!scratch.open())
        return 1;
    scratch.write(asHostExport(job, pageHeight).toLatin1());
    scratch.close();
    input.creasingHpgl
        = QStringLiteral("IN;PA;SP1;PU400,400;PD8000,400;PU400,8000;PD8000,8000;PU;");
    input.markCentres = { QPoint(200, 300), QPoint(8200, 11600) };
    CutOptions options;
    options.autoSort = true;
    options.knifeOffset = 0.3 * 40;
    options.overcut = 1.0 * 40;
    options.backlash = true;
    options.xBacklash = 0.05 * 40;
    options.yBacklash = 0.05 * 40;

    double bestPipeline = 1e300;
    int written = 0;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        input.cuttingHpgl = readFile(scratch.fileName());
        const CutJobPaths out = runCutPipeline(input, options);
        const QPoint first = input.markCentres.first(), last = input.markCentres.last();
        const QString text
            = jobHeader(last.y() - first.y(), last.x() - first.x(), JobKind::PathAndMarks)
            % tool.writePen1(out.creasing) % tool.writePen2Dashed(out.cutting, 200, 20);
        bestPipeline = std::min(bestPipeline, ms(t));
        written = text.size();
    }
    std::printf("pipeline 1M segments: %.1f ms (%d segments in, %d characters out)\n", bestPipeline,
        segmentCount(job), written);
    return 0;
}
