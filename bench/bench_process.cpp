// A whole fresh process of the path toolkit: read an export with readFile,
// turn it into paths with readPlt, write them back with writePens.
//   bench_process FILE [OUT]  does exactly that once (OUT defaults to a file
//                             in the temporary folder) and prints the time of
//                             each step and the peak memory
//   bench_process             writes an export-style file of about a million
//                             segments to a temporary folder and runs the line
//                             above on it in fresh processes, side by side
//                             with process_reference (the least plain C++
//                             that writes the same text), with the fixed types
//                             alone (below) and with hp2xx (-q -m hpgl) when
//                             that is installed; once as the system is and
//                             once with glibc's heap on transparent huge pages
//   bench_process -g FILE     only writes that file, for profilers
//   bench_process -t FILE SIZES CHARS OUT
//                             the fixed types alone, the floor under the first
//                             line: FILE read into a QString, one
//                             QList<QLineF> per path of the sizes in SIZES (an
//                             int each), a job text of CHARS characters
//                             written to OUT; nothing parsed or formatted
// Times are wall-clock, one thread. The programs take turns, round after
// round, so that each round's ratio compares them on the same machine; the
// spread of those ratios shows how noisy it was. On a loaded machine the
// processor time of the fresh processes is the steadier figure.

#include "hpgltool.h"
#include "textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef Q_OS_WIN
#include <psapi.h>
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

constexpr double kPi = 3.14159265358979323846;

double peakMiB()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc))
        return 0;
    return pmc.PeakWorkingSetSize / 1048576.0;
#else
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // KiB on Linux
#endif
}

// Closed polygons of 10 to 1000 segments with whole coordinates from 0 to
// 42000, one pen-up move and one "PD" each, a line per polygon.
QByteArray exportStyleFile(qint64 segments, qint64 *written, QVector<int> *sizes = nullptr)
{
    QRandomGenerator rng(20261209);
    QByteArray text;
    text.reserve(int(segments * 12 + 1024));
    text += "IN;PA;SP1;LT;\n";
    *written = 0;
    while (*written < segments) {
        const int n = rng.bounded(10, 1001);
        if (sizes)
            sizes->append(n);
        // wide enough that no two neighbouring corners round together
        const double r = 2 * n + rng.bounded(2000);
        const double cx = r + rng.bounded(int(42000 - 2 * r)),
                     cy = r + rng.bounded(int(42000 - 2 * r));
        for (int i = 0; i <= n; ++i) {
            // alternate radii, so neighbouring segments never run straight on
            const double a = 2 * kPi * (i % n) / n;
            const double rr = r - ((i % n) % 2 ? 37 : 0);
            const QByteArray x = QByteArray::number(qlonglong(std::lround(cx + rr * std::cos(a))));
            const QByteArray y = QByteArray::number(qlonglong(std::lround(cy + rr * std::sin(a))));
            if (i == 0)
                text += "PU" + x + ',' + y + ";PD";
            else
                text += x + ',' + y + (i == n ? ";\n" : ",");
        }
        *written += n;
    }
    text += "PU;\n";
    return text;
}

// Job text is ASCII; converted piece by piece in one buffer, so the whole
// never exists twice.
bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    char piece[1 << 16];
    const ushort *in = text.utf16();
    for (int i = 0; i < text.size();) {
        const int n = std::min(int(sizeof piece), text.size() - i);
        int j = 0;
        // eight at a time through a local copy, which the compiler can
        // narrow in vector registers
        for (; j + 8 <= n; j += 8) {
            ushort w[8];
            std::memcpy(w, in + i + j, sizeof w);
            for (int k = 0; k < 8; ++k)
                piece[j + k] = char(w[k]);
        }
        for (; j < n; ++j)
            piece[j] = char(in[i + j]);
        if (file.write(piece, n) != n)
            return false;
        i += n;
    }
    return file.flush();
}

int runOnce(const QString &in, const QString &out)
{
    // The report must not allocate: after the paths' million frees, glibc's
    // first large allocation sorts them all back into its bins, work that a
    // process which ends here never needs.
    static char report[1 << 12];
    std::setvbuf(stdout, report, _IOFBF, sizeof report);
    QElapsedTimer total, step;
    total.start();
    step.start();
    QString text = readFile(in);
    const double tRead = step.nsecsElapsed() / 1e6;
    const int chars = text.size();
    if (chars == 0) {
        std::fprintf(stderr, "bench_process: cannot read %s\n", qPrintable(in));
        return 1;
    }

    HpglTool tool;
    step.restart();
    QList<CutPath> paths = tool.readPlt(std::move(text));
    const double tParse = step.nsecsElapsed() / 1e6;
    qint64 segments = 0;
    for (const CutPath &p : qAsConst(paths))
        segments += p.lines.size();
    const int count = paths.size();

    step.restart();
    const QString job = tool.writePens(std::move(paths));
    const double tWritePens = step.nsecsElapsed() / 1e6;

    step.restart();
    if (!writeText(out, job)) {
        std::fprintf(stderr, "bench_process: cannot write %s\n", qPrintable(out));
        return 1;
    }
    const double tWrite = step.nsecsElapsed() / 1e6;
    const double tTotal = total.nsecsElapsed() / 1e6;

    const double fileMiB = QFileInfo(in).size() / 1048576.0;
    const double peak = peakMiB();
    std::printf("input: %d characters, %d paths, %lld segments\n", chars, count, segments);
    std::printf("readFile %.1f ms, readPlt %.1f ms (%.0f MB/s), writePens %.1f ms, write %.1f ms,"
                " in all %.1f ms\n",
        tRead, tParse, chars / 1e3 / tParse, tWritePens, tWrite, tTotal);
    std::printf("peak memory %.1f MiB, %.1f times the file\n", peak, peak / fileMiB);
    return 0;
}

// What the fixed types cost without any reading or writing work: the same
// allocations, first touches and frees as runOnce, in the same order.
int typesOnly(const QString &in, const QString &sizesFile, int chars, const QString &out)
{
    QFile f(sizesFile);
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray raw = f.readAll();
    QVector<int> sizes(raw.size() / int(sizeof(int)));
    std::memcpy(sizes.data(), raw.constData(), size_t(sizes.size()) * sizeof(int));

    QString text = readFile(in);
    QList<CutPath> paths;
    paths.reserve(sizes.size());
    for (int n : qAsConst(sizes)) {
        CutPath path;
        path.lines.reserve(n);
        for (int i = 0; i < n; ++i)
            path.lines.append(QLineF(i, n, i + 1, n));
        paths.append(path);
    }
    text = QString();
    const QString job(chars, QLatin1Char('0'));
    paths = QList<CutPath>();
    return writeText(out, job) ? 0 : 1;
}

// Processor time of the finished child processes so far, in milliseconds;
// 0 where the system does not tell.
double childrenCpuMs()
{
#ifdef Q_OS_WIN
    return 0;
#else
    rusage usage;
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
#endif
}

struct Run
{
    double wall = -1; // milliseconds; negative when it could not be run
    double cpu = 0;
};

Run runProcess(const QString &program, const QStringList &args, const QProcessEnvironment &env,
    QByteArray *output)
{
    Run run;
    QProcess p;
    p.setProcessEnvironment(env);
    const double cpuBefore = childrenCpuMs();
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode())
        return run;
    run.wall = timer.nsecsElapsed() / 1e6;
    run.cpu = childrenCpuMs() - cpuBefore;
    if (output)
        *output = p.readAllStandardOutput();
    return run;
}

// Best wall-clock and processor time of one program over the rounds, and
// its ratio to the reference in each round.
struct Line
{
    Run best;
    std::vector<double> wallRatios, cpuRatios;

    void add(const Run &r, const Run &reference)
    {
        if (r.wall < 0)
            return;
        if (best.wall < 0 || r.wall < best.wall)
            best.wall = r.wall;
        if (best.cpu <= 0 || r.cpu < best.cpu)
            best.cpu = r.cpu;
        if (reference.wall > 0)
            wallRatios.push_back(r.wall / reference.wall);
        if (reference.cpu > 0 && r.cpu > 0)
            cpuRatios.push_back(r.cpu / reference.cpu);
    }
};

// "median (min to max)" of the per-round ratios.
QByteArray spread(std::vector<double> v)
{
    if (v.empty())
        return "-";
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return QByteArray::number(median, 'f', 2) + " (" + QByteArray::number(v.front(), 'f', 2)
        + " to " + QByteArray::number(v.back(), 'f', 2) + ")";
}

void printLine(const char *name, const Line &line, const Line &reference)
{
    std::printf("%s: %.1f ms, processor %.1f ms", name, line.best.wall, line.best.cpu);
    if (&line != &reference && reference.best.wall > 0) {
        std::printf("; %.2f times the reference (processor %.2f)",
            line.best.wall / reference.best.wall,
            line.best.cpu > 0 && reference.best.cpu > 0 ? line.best.cpu / reference.best.cpu : 0.0);
        std::printf("\n  per round: %s, processor %s", spread(line.wallRatios).constData(),
            spread(line.cpuRatios).constData());
    }
    std::printf("\n");
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int compare(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString in = dir.filePath(QStringLiteral("export.plt"));
    const QString sizesFile = dir.filePath(QStringLiteral("sizes.bin"));
    qint64 segments = 0;
    {
        QVector<int> sizes;
        QFile f(in), g(sizesFile);
        if (!f.open(QIODevice::WriteOnly)
            || f.write(exportStyleFile(1000000, &segments, &sizes)) < 0
            || !g.open(QIODevice::WriteOnly)
            || g.write(reinterpret_cast<const char *>(sizes.constData()),
                   qint64(sizes.size()) * qint64(sizeof(int)))
                < 0)
            return 1;
    }
    std::printf("file: %lld segments, %.1f MB\n", segments, QFileInfo(in).size() / 1e6);

    const int runs = 9;
    const QString hp2xx = QStandardPaths::findExecutable(QStringLiteral("hp2xx"));
    const QString reference = QStandardPaths::findExecutable(
        QStringLiteral("process_reference"), { QCoreApplication::applicationDirPath() });
    const QString ourOut = dir.filePath(QStringLiteral("out.plt"));
    const QString referenceOut = dir.filePath(QStringLiteral("reference.plt"));
    const QStringList ourArgs { in, ourOut };
    const QStringList referenceArgs { in, referenceOut };
    const QStringList theirArgs { QStringLiteral("-q"), QStringLiteral("-m"),
        QStringLiteral("hpgl"), QStringLiteral("-f"), dir.filePath(QStringLiteral("hp2xx.hpgl")),
        in };
    // Where a first touch of fresh memory is dear (a virtual machine that
    // backs each page on demand), most of a fresh process is that; glibc can
    // put the heap on transparent huge pages, which shows the rest. All
    // programs run both ways.
    struct Setting
    {
        const char *name;
        QProcessEnvironment env;
        Line ours, reference, types, theirs;
        QByteArray output;
    };
    Setting settings[] = { { "as it is", QProcessEnvironment::systemEnvironment(), {}, {}, {}, {},
                               {} },
        { "heap on huge pages", QProcessEnvironment::systemEnvironment(), {}, {}, {}, {}, {} } };
#ifdef Q_OS_LINUX
    settings[1].env.insert(
        QStringLiteral("GLIBC_TUNABLES"), QStringLiteral("glibc.malloc.hugetlb=1"));
    const int kinds = 2;
#else
    const int kinds = 1;
#endif
    // Alternating, so that all see the same machine.
    for (int i = 0; i < runs; ++i) {
        for (int k = 0; k < kinds; ++k) {
            Setting &set = settings[k];
            QByteArray o;
            const Run r = runProcess(QCoreApplication::applicationFilePath(), ourArgs, set.env, &o);
            if (r.wall < 0) {
                std::fprintf(stderr, "bench_process: the child process failed\n");
                return 1;
            }
            if (set.ours.best.wall < 0 || r.wall < set.ours.best.wall)
                set.output = o;
            Run ref;
            if (!reference.isEmpty())
                ref = runProcess(reference, referenceArgs, set.env, nullptr);
            set.reference.add(ref, ref);
            set.ours.add(r, ref);
            // as long as the job text just written
            const QStringList typesArgs { QStringLiteral("-t"), in, sizesFile,
                QString::number(QFileInfo(ourOut).size()),
                dir.filePath(QStringLiteral("types.plt")) };
            set.types.add(
                runProcess(QCoreApplication::applicationFilePath(), typesArgs, set.env, nullptr),
                ref);
            if (!hp2xx.isEmpty())
                set.theirs.add(runProcess(hp2xx, theirArgs, set.env, nullptr), ref);
        }
    }
    if (reference.isEmpty() || settings[0].reference.best.wall < 0)
        std::printf("process_reference not found beside this program (or failed)\n");
    else if (fileBytes(ourOut) != fileBytes(referenceOut))
        std::printf("the reference wrote other text than writePens: its ratio means nothing\n");
    for (int k = 0; k < kinds; ++k) {
        const Setting &set = settings[k];
        std::printf("-- %s, best of %d rounds\n", set.name, runs);
        std::fwrite(set.output.constData(), 1, size_t(set.output.size()), stdout);
        printLine("fresh process", set.ours, set.reference);
        if (set.types.best.wall >= 0)
            printLine("fixed types alone", set.types, set.reference);
        if (set.reference.best.wall >= 0)
            printLine("reference", set.reference, set.reference);
        if (set.theirs.best.wall >= 0) {
            printLine("hp2xx -q -m hpgl", set.theirs, set.reference);
            std::printf("hp2xx takes %.1f times as long as the fresh process\n",
                set.theirs.best.wall / set.ours.best.wall);
        } else
            std::printf("hp2xx not installed (or failed)\n");
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "-g") {
        qint64 segments = 0;
        QFile f(QString::fromLocal8Bit(argv[2]));
        return f.open(QIODevice::WriteOnly) && f.write(exportStyleFile(1000000, &segments)) >= 0
            ? 0
            : 1;
    }
    if (argc == 6 && QByteArray(argv[1]) == "-t") {
        return typesOnly(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
            QByteArray(argv[4]).toInt(), QString::fromLocal8Bit(argv[5]));
    }
    if (argc > 1) {
        const QString in = QString::fromLocal8Bit(argv[1]);
        const QString out = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                     : QDir::temp().filePath(QStringLiteral("bench_process.plt"));
        return runOnce(in, out);
    }
    return compare(argc, argv);
}
