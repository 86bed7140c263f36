// Processor time used while UsbOperate::waitFree waits on a busy cutter.
// The wait should sleep in the event loop: the goal is under 2 % of one core.
#include "emulatedcutter.h"
#include "usboperate.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <cstdio>

static double cpuSeconds()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u); // all threads, workers included
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int main(int argc, char **argv)
{
    qputenv("VEMO_USB_NO_DEFAULT", "1");
    QCoreApplication app(argc, argv);
    const int busyMs = argc > 1 ? atoi(argv[1]) : 10000;

    EmulatedCutter cutter(QStringLiteral("BENCH"));
    UsbOperate link;
    link.setDevice(cutter.pathName());
    cutter.setBusyFor(busyMs);

    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    link.waitFree();
    const double cpu = cpuSeconds() - cpu0;
    const double secs = wall.elapsed() / 1000.0;

    int polls = 0;
    for (const CutterWrite &w : cutter.writes())
        polls += w.data == ";CMD:10;";
    std::printf("bench_waitfree: cutter busy %d ms, waitFree took %.2f s wall, %.4f s CPU "
                "(%.3f %% of one core), %d polls, last reply %s\n",
        busyMs, secs, cpu, 100.0 * cpu / secs, polls, qPrintable(link.readStr()));
    return 0;
}
