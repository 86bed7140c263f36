// Throughput of the HPGL reader and writers on a synthetic export.
//   bench_hpglio [segments]     default 1000000
// Prints MB/s of HPGL text (10^6 characters) per operation, best of several
// runs; the last two lines are readPlt and writePens.
//
// Each writer returns a fresh string of two bytes per character, so on a
// virtual machine with costly page faults the first touch of that memory can
// outweigh the writing itself. Running with
//   GLIBC_TUNABLES=glibc.malloc.hugetlb=1
// lets the allocator use transparent huge pages and shows the writers' own speed.

#include "hpgltool.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// Closed outlines of 10 to 1000 segments, laid out in rows, written the way
// the host's export writes them: one pen-up move and one "PD" per outline.
QString syntheticExport(qint64 segments)
{
    QRandomGenerator rng(20261209);
    QString text;
    text.reserve(int(segments * 14 + 64));
    text += QLatin1String("IN;PA;SP1;LT;");
    qint64 written = 0;
    int shape = 0;
    while (written < segments) {
        const int n
            = int(qMin<qint64>(rng.bounded(10, 1001), qMax<qint64>(10, segments - written)));
        const double cx = 20000 + (shape % 40) * 9000, cy = 20000 + (shape / 40) * 9000;
        const double r = 2000 + rng.bounded(2000);
        QString body;
        for (int i = 0; i <= n; ++i) {
            // a wobbly circle, so neighbouring segments never run straight on
            const double a = 2 * M_PI * (i % n) / n;
            const double rr = r + ((i % n) % 2 ? 37 : 0);
            const int x = int(std::lround(cx + rr * std::cos(a)));
            const int y = int(std::lround(cy + rr * std::sin(a)));
            if (i == 0) {
                text += QLatin1String("PU") + QString::number(x) + QLatin1Char(',')
                    + QString::number(y) + QLatin1String(";PD");
            } else {
                text += QString::number(x) + QLatin1Char(',') + QString::number(y)
                    + QLatin1Char(i == n ? ';' : ',');
            }
        }
        written += n;
        ++shape;
    }
    text += QLatin1String("PU;");
    return text;
}

// Best of several runs, in MB/s of the given text size.
double measure(qint64 chars, const std::function<void()> &run)
{
    double best = 1e300;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return chars / 1e6 / best;
}

} // namespace

int main(int argc, char **argv)
{
    const qint64 segments = argc > 1 ? std::max(10LL, std::atoll(argv[1])) : 1000000;
    QTextStream out(stdout);
    HpglTool tool;

    const QString text = syntheticExport(segments);
    QList<CutPath> paths = tool.readPlt(text);
    qint64 count = 0;
    for (const CutPath &p : paths)
        count += p.lines.size();
    out << "input: " << text.size() << " characters, " << paths.size() << " paths, " << count
        << " segments\n";

    QList<CutPath> dashed = paths;
    for (CutPath &p : dashed)
        p.lineType = 1;

    const double read = measure(text.size(), [&] { paths = tool.readPlt(text); });

    struct Writer
    {
        const char *name;
        std::function<QString()> run;
    };
    const Writer writers[] = {
        { "writePen1", [&] { return tool.writePen1(paths); } },
        { "writePen2", [&] { return tool.writePen2(paths); } },
        { "writePen2Dashed", [&] { return tool.writePen2Dashed(dashed, 400, 40); } },
        { "writePensDashed", [&] { return tool.writePensDashed(dashed, 400, 40); } },
        { "writePlain", [&] { return tool.writePlain(paths); } },
        { "writePens", [&] { return tool.writePens(paths); } },
    };
    double pens = 0;
    for (const Writer &w : writers) {
        const qint64 size = w.run().size();
        const double rate = measure(size, [&] { w.run(); });
        out << w.name << ": " << QString::number(rate, 'f', 1) << " (" << size << " characters)\n";
        if (QLatin1String(w.name) == QLatin1String("writePens"))
            pens = rate;
    }
    out << "readPlt: " << QString::number(read, 'f', 1) << "\n";
    out << "writePens: " << QString::number(pens, 'f', 1) << "\n";
    return 0;
}
