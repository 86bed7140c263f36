// Memory of a send of a large scratch export, for the whole process with its
// stand-ins: the bar on the simulated host's sample artwork (marks and
// contours, "By Path & Marks"), the host's export replaced by a generated
// one of the given size, the cut button's hand-over to the send window, then
// Send against the program's own emulated cutter and its window, the cut
// button once more and last the send window closed.
//
//   bench_sendmemory                fresh processes for 6 and 24 MiB, several
//                                   runs each, with the spread
//   bench_sendmemory MIB [RUNS]     the same for one size
//   bench_sendmemory --once MIB     one run in this process, one line out
//   --finishing                     with auto-sort, knife offset, overcut and
//                                   backlash on (the job grows past the export)
//
// Peak is the highest resident size during the step (the kernel's high-water
// mark, reset before it where the system allows); steady is the resident
// size once the step has ended and the events are processed.

#include "apptestkit.h"
#include "emulatedcutter.h"
#include "pluginmw.h"
#include "simhost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>

#include <psapi.h>
#endif

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double MiB = 1024.0 * 1024.0;

// ---- resident memory ----------------------------------------------------

#ifdef Q_OS_LINUX
double statusField(const char *name)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() * 1024.0;
    return 0;
}
#endif

// The resident size now, or its high-water mark.
double memoryBytes(bool peak)
{
#if defined(Q_OS_LINUX)
    return statusField(peak ? "VmHWM" : "VmRSS");
#elif defined(Q_OS_WIN)
    PROCESS_MEMORY_COUNTERS pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc))
        return 0;
    return peak ? pmc.PeakWorkingSetSize : pmc.WorkingSetSize;
#else
    Q_UNUSED(peak);
    return 0;
#endif
}

double residentBytes()
{
    return memoryBytes(false);
}

double peakBytes()
{
    return memoryBytes(true);
}

// Starts a new high-water mark at the resident size of now. False where the
// system keeps one for the whole life of the process.
bool resetPeak()
{
#ifdef Q_OS_LINUX
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
#else
    return false;
#endif
}

// ---- the generated export -----------------------------------------------

// The host exporter's style at the cut button's five-fold stretch over an A4
// page: closed polygons of 10 to 1000 segments, one pen-up move and one "PD"
// each, whole coordinates. Neighbouring corners alternate between two radii,
// so the reader joins no segments.
QByteArray generatedExport(qint64 bytes, qint64 *segments)
{
    QRandomGenerator rng(20260322);
    QByteArray text;
    text.reserve(int(bytes + 16384));
    text += "IN;SP1;";
    *segments = 0;
    const int width = 5 * 8400, height = 5 * 11880;
    while (text.size() < bytes) {
        const int n = rng.bounded(10, 1001);
        const double r = 2 * n + rng.bounded(2000);
        const double cx = r + rng.bounded(int(width - 2 * r));
        const double cy = r + rng.bounded(int(height - 2 * r));
        for (int i = 0; i <= n; ++i) {
            const double a = 2 * kPi * (i % n) / n;
            const double rr = r - ((i % n) % 2 ? 37 : 0);
            const QByteArray xy = QByteArray::number(qlonglong(std::lround(cx + rr * std::cos(a))))
                + ',' + QByteArray::number(qlonglong(std::lround(cy + rr * std::sin(a))));
            if (i == 0)
                text += "PU" + xy + ";PD";
            else
                text += xy + (i == n ? ";" : ",");
        }
        *segments += n;
    }
    text += "PU;SP0;";
    return text;
}

// ---- one run --------------------------------------------------------------

// Lets queued work (the cutter window's events, repaints, deferred deletes)
// run for a while.
void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(10);
    } while (t.elapsed() < ms);
}

int runOnce(int argc, char **argv, double exportMiB, bool finishing)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    if (qEnvironmentVariableIsEmpty("VEMO_PUBLIC_DOCUMENTS"))
        qputenv("VEMO_PUBLIC_DOCUMENTS", work.path().toLocal8Bit());
    qunsetenv("VEMO_USB_NO_DEFAULT");
    qunsetenv("VEMO_SIMHOST_DOCUMENT");
    QApplication app(argc, argv);

    freshWorkFolder();
    QVariantMap config { { "PluginMW/useCDRVersion", "CorelDraw.Application.24" } };
    if (finishing) {
        // every finishing step of the send on
        for (const char *key : { "autoSort", "knifeOffsetChk", "closeOffsetChk", "backlash" })
            config[QStringLiteral("SendMW/") + QLatin1String(key)] = true;
        config["SendMW/knifeOffset"] = 0.5;
        config["SendMW/closeOffset"] = 1.0;
        config["SendMW/xBacklash"] = 0.1;
        config["SendMW/yBacklash"] = 0.1;
    }
    writeConfig(config);
    simhost::SimHost &host = simhost::SimHost::instance();
    host.reset();
    QString error;
    if (!host.loadDocument(QStringLiteral(SIMHOST_SAMPLE), &error)) {
        std::fprintf(stderr, "bench_sendmemory: sample artwork: %s\n", qPrintable(error));
        return 1;
    }
    QStringList messages;
    dialogs::setMessageHook([&messages](const dialogs::Message &m) {
        messages << m.text;
        return QMessageBox::Ok;
    });

    // the program's own cutter, cutting at once: the time is no part of this
    EmulatedCutter *cutter = EmulatedCutter::defaultCutter();
    if (!cutter) {
        std::fprintf(stderr, "bench_sendmemory: no emulated cutter\n");
        return 1;
    }
    CutterTiming timing;
    timing.replyMs = 1;
    timing.cutUnitsPerMs = timing.moveUnitsPerMs = timing.feedUnitsPerMs = 1e9;
    timing.jobOverheadMs = timing.moveOverheadMs = timing.pageEndMs = 0;
    cutter->setTiming(timing);

    PluginMW bar;
    bar.show();
    settle(100); // the cutter's window comes up
    set(&bar,
        { { "cutSelect", 1 }, { "outlineSelect", 2 }, { "useQRCode", false },
            { "genCrease", false } });
    child<QPushButton>(&bar, "genMark")->click();
    child<QPushButton>(&bar, "genOutline")->click();

    // The cutting layer's export (the one with pen-down moves) becomes the
    // generated one; made afresh at each export, so the bench holds none.
    const qint64 exportBytes = qint64(exportMiB * MiB);
    qint64 segments = 0;
    host.setExportFilter([exportBytes, &segments](const QByteArray &page) {
        return page.contains("PD") ? generatedExport(exportBytes, &segments) : page;
    });
    settle(200);
    const double before = residentBytes();

    const bool peaks = resetPeak();
    QElapsedTimer t;
    t.start();
    child<QPushButton>(&bar, "setCut")->click();
    settle(300); // the preview is painted
    const double cutMs = t.elapsed();
    const double cutPeak = peakBytes();
    const double cutSteady = residentBytes();

    QWidget *send = topLevel(QStringLiteral("SendMW"));
    resetPeak();
    t.restart();
    child<QPushButton>(send, "send")->click();
    const double sendMs = t.elapsed();
    settle(1000); // the cutter's window has drawn the job
    const double sendPeak = peakBytes();
    const double sendSteady = residentBytes();

    // the cut button again: the new hand-over replaces the send's preview
    resetPeak();
    child<QPushButton>(&bar, "setCut")->click();
    settle(300);
    const double againPeak = peakBytes();
    const double againSteady = residentBytes();
    host.setExportFilter({});

    // closed, the window is shown again only by the cut button's next job
    send->close();
    settle(300);
    const double closedSteady = residentBytes();

    // one job cut, nothing said
    const bool sent = cutter->jobs().size() == 1 && messages.isEmpty();
    const double size = double(exportBytes);
    std::printf("export %.1f MiB (%lld segments): before %.0f MiB | cut button %.1f s, peak %.0f "
                "MiB (%.1fx), after %.0f MiB | send %.1f s, peak %.0f MiB (%.1fx), after %.0f MiB "
                "(%.1fx) | cut button again: peak %.0f MiB, after %.0f MiB | window closed: "
                "after %.0f MiB (%.1fx)%s%s\n",
        size / MiB, segments, before / MiB, cutMs / 1000, cutPeak / MiB, cutPeak / size,
        cutSteady / MiB, sendMs / 1000, sendPeak / MiB, sendPeak / size, sendSteady / MiB,
        sendSteady / size, againPeak / MiB, againSteady / MiB, closedSteady / MiB,
        closedSteady / size, peaks ? "" : " (peaks since the start)",
        sent ? "" : qPrintable(" NOT CUT: " + messages.join(QStringLiteral("; "))));
    std::fflush(stdout);
    dialogs::setMessageHook({});
    return sent ? 0 : 1;
}

// ---- fresh processes --------------------------------------------------------

QString spread(QList<double> v, const char *unit)
{
    std::sort(v.begin(), v.end());
    if (v.isEmpty())
        return QStringLiteral("-");
    return QStringLiteral("%1%4 (%2 to %3)")
        .arg(v[v.size() / 2], 0, 'f', 1)
        .arg(v.first(), 0, 'f', 1)
        .arg(v.last(), 0, 'f', 1)
        .arg(QLatin1String(unit));
}

int compare(const QList<double> &sizes, int runs, bool finishing)
{
    bool failed = false;
    for (double mib : sizes) {
        // before, cut time, cut peak, its ratio, after it, send time, send
        // peak, its ratio, after it, its ratio, second cut peak, after it,
        // after the window closed, its ratio
        QList<double> v[14];
        static const QRegularExpression figures(QStringLiteral(
            "before (\\d+) MiB \\| cut button ([\\d.]+) s, peak (\\d+) MiB \\(([\\d.]+)x\\), after "
            "(\\d+) MiB \\| send ([\\d.]+) s, peak (\\d+) MiB \\(([\\d.]+)x\\), after (\\d+) MiB "
            "\\(([\\d.]+)x\\) \\| cut button again: peak (\\d+) MiB, after (\\d+) MiB \\| "
            "window closed: after (\\d+) MiB \\(([\\d.]+)x\\)"));
        for (int i = 0; i < runs; ++i) {
            QProcess p;
            QStringList args { QStringLiteral("--once"), QString::number(mib) };
            if (finishing)
                args << QStringLiteral("--finishing");
            p.start(QCoreApplication::applicationFilePath(), args);
            const bool ok = p.waitForFinished(1800000) && p.exitStatus() == QProcess::NormalExit
                && p.exitCode() == 0;
            const QString line = QString::fromLocal8Bit(p.readAllStandardOutput().trimmed());
            std::printf("  %s\n", qPrintable(line));
            std::fflush(stdout);
            const QRegularExpressionMatch m = figures.match(line);
            if (!ok || !m.hasMatch()) {
                std::fprintf(stderr, "%s", p.readAllStandardError().constData());
                failed = true;
                continue;
            }
            for (int k = 0; k < 14; ++k)
                v[k] << m.captured(k + 1).toDouble();
        }
        std::printf("%.0f MiB export%s, %d runs, median (lowest to highest):\n", mib,
            finishing ? " with every finishing step" : "", runs);
        std::printf("  before the cut button   %s\n", qPrintable(spread(v[0], " MiB")));
        std::printf("  cut button peak         %s = %s the export\n",
            qPrintable(spread(v[2], " MiB")), qPrintable(spread(v[3], "x")));
        std::printf("  after the hand-over     %s\n", qPrintable(spread(v[4], " MiB")));
        std::printf("  send peak               %s = %s the export\n",
            qPrintable(spread(v[6], " MiB")), qPrintable(spread(v[7], "x")));
        std::printf("  after the send          %s = %s the export\n",
            qPrintable(spread(v[8], " MiB")), qPrintable(spread(v[9], "x")));
        std::printf("  cut button again: peak  %s, after %s\n", qPrintable(spread(v[10], " MiB")),
            qPrintable(spread(v[11], " MiB")));
        std::printf("  window closed           %s = %s the export\n",
            qPrintable(spread(v[12], " MiB")), qPrintable(spread(v[13], "x")));
        std::printf("  send time               %s\n", qPrintable(spread(v[5], " s")));
        std::fflush(stdout);
    }
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool finishing = args.removeAll(QStringLiteral("--finishing")) > 0;
    if (args.size() >= 2 && args[0] == QLatin1String("--once"))
        return runOnce(argc, argv, args[1].toDouble(), finishing);
    QCoreApplication app(argc, argv);
    QList<double> sizes { 6, 24 };
    int runs = 3;
    if (!args.isEmpty())
        sizes = { args[0].toDouble() };
    if (args.size() >= 2)
        runs = std::max(1, args[1].toInt());
    return compare(sizes, runs, finishing);
}
