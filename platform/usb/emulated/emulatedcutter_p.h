#pragma once

// What the parts of the emulated cutter share: a cutter's state, the hub
// that holds every cutter and device handle under one lock, and the calls
// the parts make of one another. A call named ...Locked wants the hub's lock.
#include "cutterfirmware.h"
#include "devicefile.h"
#include "emulatedcutter.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QPair>
#include <QWaitCondition>

namespace emulated {

// The state of a read's overlapped record.
enum ReadState
{
    ReadIdle,
    ReadPending,
    ReadDone,
    ReadFailed,
    ReadCancelled
};

struct Reply
{
    QByteArray bytes;
    qint64 readyAt = 0;
};

} // namespace emulated

struct EmulatedCutter::Private
{
    QString instance;
    bool plugged = false;
    bool isDefault = false;
    bool paper = true;
    QStringList sheets;
    QDateTime sheetsFiledAt; // the default cutter's: when the top sheet's job was filed
    // a mark in the middle of the camera picture
    QByteArray markReply = "X=" + QByteArray::number(CutterFirmware::cameraCentreX)
        + ",Y=" + QByteArray::number(CutterFirmware::cameraCentreY) + ",D=100;";
    double camX = CutterFirmware::nominalCamOffsetA;
    double camY = CutterFirmware::nominalCamOffsetB;
    int led = 50;
    CutterTiming timing;
    qint64 busyUntil = 0;
    qint64 unplugAt = -1;
    QPointF pos; // tool position, cutter axes
    QList<emulated::Reply> replies;
    QList<DevOverlapped *> pending;
    QList<CutterFault> faults;
    QList<CutterWrite> writes;
    QList<CutterJob> jobs;
    qint64 recordLimit = qint64(256) << 20;
    qint64 recorded = 0; // what writes and jobs hold, as the records count it
    int readsStarted = 0;
    EmulatedCutter::Observer observer;
};

namespace emulated {

using Cutter = EmulatedCutter::Private;

struct HandleInfo
{
    Cutter *cutter = nullptr; // null once the cutter object is gone
    int flags = 0;
};

struct Hub
{
    QMutex mutex;
    QWaitCondition cond;
    QList<Cutter *> cutters;
    QHash<DevHandle, HandleInfo> handles;
    DevHandle next = 0x400;
};

// ---- the device files (emulatedcutter_devicefile.cpp)
Hub &hub();
// The instance name as the device path carries it: first "/" turned into "#".
QString hashed(const QString &instance);
void unplugLocked(Cutter *c);
// A reply ready at `readyAt`, behind those still queued.
void queueReplyLocked(Cutter *c, const QByteArray &bytes, qint64 readyAt);

// ---- the transcript and the records (emulatedcutter_transcript.cpp)
// Writes the event to the transcript and tells the observer.
void notifyLocked(const Cutter *c, CutterEvent::Kind kind, const QByteArray &bytes, qint64 now);
// Keeps a write or job within the cutter's record limit.
void recordLocked(Cutter *c, CutterWrite w);
void recordLocked(Cutter *c, CutterJob j);

// ---- fault injection (emulatedcutter_faults.cpp)
// Takes the first fault of this kind whose command `text` starts with.
bool takeFault(Cutter *c, CutterFault::Kind kind, const QByteArray &text, CutterFault *out);

// ---- the timing model (emulatedcutter_timing.cpp)
// What a piece of HPGL made the cutter do, in plotter units.
struct Work
{
    bool job = false; // strokes or a job header; otherwise at most a move
    bool moved = false; // a positioning move
    bool pageEnd = false;
    double cut = 0;
    double travel = 0; // with the tool up
};
qint64 workMs(const CutterTiming &t, const Work &w);
qint64 feedMs(const CutterTiming &t, double units);
// The cutter works `ms` more after what it is busy with; returns when it is done.
qint64 busyLocked(Cutter *c, qint64 now, qint64 ms);

// ---- the command interpreter (emulatedcutter_commands.cpp)
// Works off one write: device commands and HPGL.
void processLocked(Cutter *c, const QByteArray &text, qint64 now);
// The QR jobs the user filed, newest first, with the times they were filed.
QList<QPair<QString, QDateTime>> filedJobs();

} // namespace emulated
