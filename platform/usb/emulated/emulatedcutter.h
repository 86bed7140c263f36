#pragma once

#include "cutteridentity.h"
#include "emulatedregistry.h"

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// An emulated cutting plotter behind the device-file stand-in. It registers
// its instance name under the cutter's registry key, can be plugged in and
// out at run time, answers the device command protocol, records the writes
// and jobs it took (up to a limit), and injects faults on demand. Thread-safe.
//
// On this platform the program finds one cutter plugged in by default
// (defaultCutter()); it is withdrawn as soon as any other EmulatedCutter is
// built, so tests see only their own. VEMO_USB_NO_DEFAULT=1 switches it off.
// Its sheets carry the numbers of the jobs filed in "QR Jobs/", the one filed
// last on top; filing another job lays them in anew.
// VEMO_USB_TRANSCRIPT=<file> appends every write and reply of every cutter,
// time-stamped, to that file: one line each, "> " what it was written,
// "< " what it answered, "+"/"-" plugged in and out; bytes outside
// printable ASCII as \xNN.

// Milliseconds on the stand-in's monotonic clock.
qint64 usbClockMs();

struct CutterWrite
{
    QByteArray data; // the bytes the device took
    int offered = 0; // the bytes it was asked to take
    qint64 atMs = 0; // usbClockMs() of the write
    qintptr handle = 0; // the device handle (one per transfer) it came through
};

struct CutterStroke
{
    int pen = 0;
    // Program frame: x is the cutter's second axis, y its first (down the sheet).
    QVector<QPointF> points;
    // Along its points, in plotter units.
    double length() const;
};

struct CutterJob
{
    QByteArray text;
    QList<int> header; // the numbers after "MD", empty without a header
    QList<CutterStroke> strokes;
    QPointF end; // where the tool stands after the text (program frame)
    qint64 atMs = 0;
};

// One thing the cutter was told or answered.
struct CutterEvent
{
    enum Kind
    {
        Wrote,
        Replied,
        Plugged,
        Unplugged
    };
    Kind kind = Wrote;
    QByteArray bytes;
    qint64 atMs = 0;
    QPointF tool; // where the tool stands once the cutter has taken it in
};

struct CutterTiming
{
    int replyMs = 2; // latency of every reply
    double cutUnitsPerMs = 8.0; // cutting speed (plotter units per ms; 8 = 200 mm/s)
    double moveUnitsPerMs = 16.0;
    double feedUnitsPerMs = 20.0;
    int jobOverheadMs = 300; // lowering, raising, settling per job
    int moveOverheadMs = 100;
    int pageEndMs = 200;
};

struct CutterFault
{
    enum Kind
    {
        NoReply, // the command gets no reply
        LateReply, // the reply comes after delayMs
        ReplaceReply, // the reply is `reply` (garbage, 64 bytes, high Latin-1 ...)
        UnplugAtCommand, // the device goes away when the command arrives
        UnplugDuringRead, // the device goes away delayMs into the next read
        ShortWrite, // the device takes only `bytes` bytes of a write
        FailedWrite, // the device takes nothing
    };
    Kind kind = NoReply;
    QByteArray command; // the faulty command starts with this text; empty = any
    int delayMs = 0;
    QByteArray reply;
    int bytes = 0;
    int times = 1; // how often it strikes; -1 = always
};

class EmulatedCutter
{
public:
    // `instance` is the registry subkey name (it may hold a "/").
    explicit EmulatedCutter(const QString &instance, bool plugged = true);
    ~EmulatedCutter();
    EmulatedCutter(const EmulatedCutter &) = delete;
    EmulatedCutter &operator=(const EmulatedCutter &) = delete;

    QString instanceName() const;
    // The name as the device path carries it: first "/" turned into "#".
    QString pathName() const;

    void plug();
    void unplug();
    bool isPlugged() const;

    void setPaper(bool loaded);
    bool hasPaper() const;
    // Codes of the sheets waiting in order; the QR scan (CutterFirmware::ScanQr)
    // reads the first, a page end ("!PG;") moves to the next. An empty code is
    // a label that can't be read.
    void setSheets(const QStringList &codes);
    QStringList sheets() const;
    // Reply of the mark search (CutterFirmware::FindMark); empty means no mark
    // in view.
    void setMarkReply(const QByteArray &reply);
    void setCameraOffset(double x, double y);
    QPointF cameraOffset() const;
    int ledLevel() const;

    void setTiming(const CutterTiming &timing);
    CutterTiming timing() const;
    // The cutter works for `ms` from now (the busy poll answers busy meanwhile).
    void setBusyFor(int ms);
    bool isBusy() const;

    // Puts a reply in the outgoing queue without a command (after delayMs).
    void queueReply(const QByteArray &reply, int delayMs = 0);
    int pendingReplies() const;

    void addFault(const CutterFault &fault);
    void clearFaults();

    QList<CutterWrite> writes() const;
    QList<QByteArray> writtenTexts() const;
    QList<CutterJob> jobs() const;
    int readsStarted() const;
    void clearRecords();
    // What the writes and jobs above may hold, in bytes: their texts and 16
    // a stroke point. Past it the oldest records go first, and a record that
    // alone is larger keeps only its sizes, times and header. 256 MiB unless
    // set; the program's own cutter, whose records nobody reads, keeps 1 MiB.
    void setRecordLimit(qint64 bytes);
    // Where the tool stands now (program frame).
    QPointF toolPosition() const;

    // Told of every event, on the thread that caused it and under the
    // cutter's lock: keep it short and never call back into the cutter.
    using Observer = std::function<void(const CutterEvent &)>;
    void setObserver(Observer observer);

    // The cutter the program finds on this platform; created on first use of
    // the device stand-ins. Null once withdrawn or when switched off.
    static EmulatedCutter *defaultCutter();

    // Parses job text back into strokes (first axis = y). Exposed for tests.
    static CutterJob parseJob(const QByteArray &text);
    // The same, handing each stroke to `take` as soon as it is complete
    // instead of keeping it (the job returned has none): a job of millions
    // of points is read in little memory.
    static CutterJob parseJob(
        const QByteArray &text, const std::function<void(CutterStroke &&)> &take);

    struct Private;

private:
    Private *d;
};
