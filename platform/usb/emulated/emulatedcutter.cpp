#include "emulatedcutter.h"
#include "devicefile.h"
#include "devicenotifier.h"
#include "registry.h"
#include "usbhub_p.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLineF>
#include <QMutex>
#include <QWaitCondition>

#include <algorithm>
#include <climits>
#include <cmath>

#include "workfolder.h"

namespace {

const QString kPathPrefix = cutterPathPrefix();
const QString kPathSuffix = cutterPathSuffix();

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

} // namespace

struct EmulatedCutter::Private
{
    QString instance;
    bool plugged = false;
    bool isDefault = false;
    bool paper = true;
    QStringList sheets;
    QDateTime sheetsFiledAt; // the default cutter's: when the top sheet's job was filed
    QByteArray markReply = "X=320,Y=240,D=100;";
    double camX = 1.5;
    double camY = 27.3;
    int led = 50;
    CutterTiming timing;
    qint64 busyUntil = 0;
    qint64 unplugAt = -1;
    QPointF pos; // tool position, cutter axes
    QList<Reply> replies;
    QList<DevOverlapped *> pending;
    QList<CutterFault> faults;
    QList<CutterWrite> writes;
    QList<CutterJob> jobs;
    qint64 recordLimit = qint64(256) << 20;
    qint64 recorded = 0; // what writes and jobs hold, as recordSize() counts it
    int readsStarted = 0;
    EmulatedCutter::Observer observer;
};

using Cutter = EmulatedCutter::Private;

namespace {

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

Hub &hub()
{
    // never destroyed: a worker may still wait on it while the process exits
    static Hub *h = new Hub;
    return *h;
}

// default cutter bookkeeping, under its own lock (it builds a cutter)
QMutex defaultMutex;
bool defaultDecided = false;
EmulatedCutter *theDefault = nullptr;
thread_local bool buildingDefault = false;

QString hashed(const QString &instance)
{
    QString s = instance;
    const int slash = s.indexOf('/');
    if (slash >= 0)
        s[slash] = '#';
    return s;
}

// Text of the transcript: printable ASCII as it is, everything else escaped.
QByteArray escaped(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const uchar u = uchar(ch);
        if (u >= 0x20 && u < 0x7f && u != '\\')
            out += ch;
        else
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return out;
}

void transcribeLocked(const Cutter *c, const CutterEvent &e)
{
    static QFile *file = [] {
        const QString name = qEnvironmentVariable("VEMO_USB_TRANSCRIPT");
        if (name.isEmpty())
            return static_cast<QFile *>(nullptr);
        auto *f = new QFile(name);
        if (!f->open(QIODevice::WriteOnly | QIODevice::Append)) {
            qWarning("emulated cutter: cannot write the transcript %s: %s", qPrintable(name),
                qPrintable(f->errorString()));
            delete f;
            return static_cast<QFile *>(nullptr);
        }
        return f;
    }();
    if (!file)
        return;
    static const char *const marks[] = { ">", "<", "+", "-" };
    QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toLatin1();
    line += ' ' + c->instance.toLatin1() + ' ' + marks[e.kind];
    if (!e.bytes.isEmpty())
        line += ' ' + escaped(e.bytes);
    else if (e.kind == CutterEvent::Wrote)
        line += " (write refused)";
    line += '\n';
    file->write(line);
    file->flush();
}

void notifyLocked(const Cutter *c, CutterEvent::Kind kind, const QByteArray &bytes, qint64 now)
{
    const CutterEvent e { kind, bytes, now, c->pos };
    transcribeLocked(c, e);
    if (c->observer)
        c->observer(e);
}

// What a record holds: its text, 16 bytes a stroke point, and its own node.
qint64 recordSize(const CutterWrite &w)
{
    return 64 + w.data.size();
}

qint64 recordSize(const CutterJob &j)
{
    qint64 points = 0;
    for (const CutterStroke &s : j.strokes)
        points += s.points.size();
    return 64 + j.text.size() + 16 * points;
}

void strip(CutterWrite &w)
{
    w.data = QByteArray();
}

void strip(CutterJob &j)
{
    j.text = QByteArray();
    j.strokes.clear();
}

// Keeps the records within the cutter's limit: a record larger than the
// limit keeps only its sizes and times, and the oldest records go first.
template <typename Record> void recordLocked(Cutter *c, QList<Record> &list, Record r)
{
    if (recordSize(r) > c->recordLimit)
        strip(r);
    c->recorded += recordSize(r);
    list.append(std::move(r));
    while (c->recorded > c->recordLimit && !(c->writes.isEmpty() && c->jobs.isEmpty())) {
        const bool write = c->jobs.isEmpty()
            || (!c->writes.isEmpty() && c->writes.first().atMs <= c->jobs.first().atMs);
        c->recorded -= write ? recordSize(c->writes.takeFirst()) : recordSize(c->jobs.takeFirst());
    }
}

bool takeFault(Cutter *c, CutterFault::Kind kind, const QByteArray &text, CutterFault *out)
{
    for (int i = 0; i < c->faults.size(); ++i) {
        CutterFault &f = c->faults[i];
        if (f.kind != kind || !text.startsWith(f.command))
            continue;
        *out = f;
        if (f.times > 0 && --f.times == 0)
            c->faults.removeAt(i);
        return true;
    }
    return false;
}

void completeRead(DevOverlapped *ov, int state, const QByteArray &bytes)
{
    const int n = std::min<int>(ov->size, bytes.size());
    if (n > 0)
        memcpy(ov->buffer, bytes.constData(), size_t(n));
    ov->transferred = n;
    ov->state = state;
    ov->signalled = true;
}

void unplugLocked(Cutter *c)
{
    if (!c->plugged)
        return;
    c->plugged = false;
    c->unplugAt = -1;
    for (DevOverlapped *ov : qAsConst(c->pending))
        completeRead(ov, ReadFailed, QByteArray());
    c->pending.clear();
    c->replies.clear();
    hub().cond.wakeAll();
    notifyLocked(c, CutterEvent::Unplugged, QByteArray(), usbClockMs());
    DeviceNotifier::post(DeviceRemoveComplete);
}

// Completes what is due; returns the next time something falls due (or -1).
qint64 pumpLocked(qint64 now)
{
    qint64 nextDue = -1;
    auto due = [&nextDue](qint64 t) { nextDue = nextDue < 0 ? t : std::min(nextDue, t); };
    for (Cutter *c : qAsConst(hub().cutters)) {
        if (c->plugged && c->unplugAt >= 0) {
            if (now >= c->unplugAt)
                unplugLocked(c);
            else
                due(c->unplugAt);
        }
        if (!c->plugged)
            continue;
        while (
            !c->pending.isEmpty() && !c->replies.isEmpty() && c->replies.first().readyAt <= now) {
            Reply r = c->replies.takeFirst();
            DevOverlapped *ov = c->pending.takeFirst();
            // a reply longer than the packet leaves its rest for the next read
            if (r.bytes.size() > ov->size)
                c->replies.prepend({ r.bytes.mid(ov->size), r.readyAt });
            completeRead(ov, ReadDone, r.bytes);
            notifyLocked(c, CutterEvent::Replied, r.bytes.left(ov->size), now);
        }
        if (!c->pending.isEmpty() && !c->replies.isEmpty())
            due(c->replies.first().readyAt);
    }
    return nextDue;
}

void queueReplyLocked(Cutter *c, const QByteArray &bytes, qint64 readyAt)
{
    // one pipe: a reply never overtakes the one before it
    if (!c->replies.isEmpty())
        readyAt = std::max(readyAt, c->replies.last().readyAt);
    c->replies.append({ bytes, readyAt });
}

QString g6(double v)
{
    return QString::number(v, 'g', 6);
}

// The default cutter's sheets are the QR jobs the user filed, printed in
// that order: the job filed last lies on top. Their codes, newest first,
// with the times they were filed.
QList<QPair<QString, QDateTime>> filedJobs()
{
    const QFileInfoList files = QDir(workFolder() + QStringLiteral("QR Jobs/"))
                                    .entryInfoList({ QStringLiteral("*.plt") }, QDir::Files);
    QList<QPair<QString, QDateTime>> jobs;
    for (const QFileInfo &f : files)
        jobs.append({ f.completeBaseName(), f.lastModified() });
    // filed at the same time: the higher number was given later
    std::sort(jobs.begin(), jobs.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first > b.first;
    });
    return jobs;
}

// An empty tray takes the three jobs filed last; a job filed since is a
// sheet printed since, laid on top of those still waiting.
void layInFiledJobs(Cutter *c)
{
    const QList<QPair<QString, QDateTime>> jobs = filedJobs();
    QStringList fresh;
    for (const auto &job : jobs) {
        if (c->sheets.isEmpty() ? fresh.size() == 3 : job.second <= c->sheetsFiledAt)
            break;
        fresh << job.first;
    }
    c->sheets = fresh + c->sheets;
    if (!jobs.isEmpty())
        c->sheetsFiledAt = jobs.first().second;
}

// A device command ";CMD:n[,args];". False when the cutter went away.
bool commandLocked(Cutter *c, const QByteArray &cmd, qint64 now)
{
    CutterFault f;
    if (takeFault(c, CutterFault::UnplugAtCommand, cmd, &f)) {
        unplugLocked(c);
        return false;
    }
    QByteArray body = cmd.mid(5);
    if (body.endsWith(';'))
        body.chop(1);
    const QList<QByteArray> args = body.split(',');
    bool ok = false;
    const int number = args.value(0).toInt(&ok);
    if (!ok)
        return true;

    QByteArray reply;
    qint64 at = now + c->timing.replyMs;
    switch (number) {
    case 10:
        reply = now < c->busyUntil ? "BUSY;" : "FREE;";
        break;
    case 14:
        reply = c->paper ? "S1:1;S2:0;S3:1;" : "S1:1;S2:0;S3:0;";
        break;
    case 20: {
        const double n = std::abs(args.value(1).toDouble());
        const qint64 start = std::max(now, c->busyUntil);
        c->busyUntil = start + qint64(n / c->timing.feedUnitsPerMs);
        at = c->busyUntil + c->timing.replyMs;
        reply = "OK;";
        break;
    }
    case 101:
        if (c->isDefault)
            layInFiledJobs(c);
        reply = c->sheets.isEmpty() || c->sheets.first().isEmpty() ? QByteArray("NOQR;")
                                                                   : c->sheets.first().toLatin1();
        break;
    case 103:
        c->led = args.value(1).toInt();
        reply = "OK;";
        break;
    case 106:
        reply = c->markReply.isEmpty() ? QByteArray("NOMARK;") : c->markReply;
        break;
    case 200:
        reply = ("X=" + g6(c->camX) + ",Y=" + g6(c->camY) + ";").toLatin1();
        break;
    case 201:
        c->camX = args.value(1).toDouble();
        c->camY = args.value(2).toDouble();
        reply = "OK;";
        break;
    case 202:
        reply = "OK;";
        break;
    default:
        return true; // unknown commands are ignored, as the firmware does
    }
    if (takeFault(c, CutterFault::ReplaceReply, cmd, &f))
        reply = f.reply;
    if (takeFault(c, CutterFault::LateReply, cmd, &f))
        at += f.delayMs;
    if (takeFault(c, CutterFault::NoReply, cmd, &f))
        return true;
    queueReplyLocked(c, reply, at);
    return true;
}

double strokeLength(const CutterStroke &s)
{
    double len = 0;
    for (int i = 1; i < s.points.size(); ++i)
        len += QLineF(s.points[i - 1], s.points[i]).length();
    return len;
}

// HPGL: a move, a page end or a whole job. None of them is answered.
void hpglLocked(Cutter *c, const QByteArray &chunk, qint64 now, bool *pageEnd)
{
    double cut = 0;
    double travel = 0;
    QPointF pos = c->pos;
    int count = 0;
    // strokes are measured as they are read, and kept only for a record
    // that can hold them
    const bool keep = chunk.size() < c->recordLimit;
    QList<CutterStroke> strokes;
    CutterJob job = EmulatedCutter::parseJob(chunk, [&](CutterStroke &&s) {
        if (!s.points.isEmpty()) {
            travel += QLineF(pos, s.points.first()).length();
            pos = s.points.last();
        }
        cut += strokeLength(s);
        ++count;
        if (keep)
            strokes.append(std::move(s));
    });
    qint64 work = 0;
    if (count > 0 || !job.header.isEmpty()) {
        job.strokes = std::move(strokes);
        job.atMs = now;
        recordLocked(c, c->jobs, std::move(job));
        work = c->timing.jobOverheadMs
            + qint64(cut / c->timing.cutUnitsPerMs + travel / c->timing.moveUnitsPerMs);
    } else {
        // a positioning move: the last "PU" point of the text
        const QList<QByteArray> parts = chunk.split(';');
        for (const QByteArray &p : parts) {
            const QByteArray t = p.trimmed();
            if (!t.startsWith("PU") || t.size() == 2)
                continue;
            const QList<QByteArray> xy = t.mid(2).split(',');
            if (xy.size() >= 2) {
                const QPointF to(xy[1].toDouble(), xy[0].toDouble());
                travel += QLineF(pos, to).length();
                pos = to;
                work = c->timing.moveOverheadMs;
            }
        }
        work += qint64(travel / c->timing.moveUnitsPerMs);
    }
    if (chunk.contains("!PG")) {
        work += c->timing.pageEndMs;
        *pageEnd = true;
    }
    c->pos = pos;
    if (work > 0)
        c->busyUntil = std::max(now, c->busyUntil) + work;
}

void processLocked(Cutter *c, const QByteArray &text, qint64 now)
{
    int p = 0;
    bool pageEnd = false;
    while (p < text.size() && c->plugged) {
        if (text.mid(p, 5) == ";CMD:") {
            const int end = text.indexOf(';', p + 5);
            const QByteArray cmd = end < 0 ? text.mid(p) : text.mid(p, end - p + 1);
            p = end < 0 ? text.size() : end + 1;
            if (!commandLocked(c, cmd, now))
                return;
        } else {
            const int next = text.indexOf(";CMD:", p + 1);
            const QByteArray chunk = next < 0 ? text.mid(p) : text.mid(p, next - p);
            p = next < 0 ? text.size() : next;
            CutterFault f;
            if (takeFault(c, CutterFault::UnplugAtCommand, chunk, &f)) {
                unplugLocked(c);
                return;
            }
            hpglLocked(c, chunk, now, &pageEnd);
        }
    }
    if (pageEnd && !c->sheets.isEmpty())
        c->sheets.removeFirst();
}

Cutter *cutterOf(DevHandle h)
{
    auto it = hub().handles.constFind(h);
    return it == hub().handles.constEnd() ? nullptr : it->cutter;
}

} // namespace

qint64 usbClockMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// ---- default cutter -------------------------------------------------------

void ensureDefaultCutter()
{
    QMutexLocker lock(&defaultMutex);
    if (defaultDecided)
        return;
    defaultDecided = true;
    if (qEnvironmentVariableIntValue("VEMO_USB_NO_DEFAULT"))
        return;
    buildingDefault = true;
    theDefault = new EmulatedCutter(QStringLiteral("5&2C9A1F3&0&1"));
    buildingDefault = false;
    // nobody reads its records; a person's long session must not pile them up
    theDefault->setRecordLimit(qint64(1) << 20);
}

EmulatedCutter *EmulatedCutter::defaultCutter()
{
    ensureDefaultCutter();
    QMutexLocker lock(&defaultMutex);
    return theDefault;
}

// ---- the cutter object ----------------------------------------------------

EmulatedCutter::EmulatedCutter(const QString &instance, bool plugged)
    : d(new Private)
{
    if (!buildingDefault) {
        // a cutter of one's own withdraws the default one
        QMutexLocker lock(&defaultMutex);
        defaultDecided = true;
        EmulatedCutter *old = theDefault;
        theDefault = nullptr;
        lock.unlock();
        delete old;
    }
    d->instance = instance;
    d->isDefault = buildingDefault;
    regAddSubkey(cutterRegistryKey(), instance);
    {
        QMutexLocker lock(&hub().mutex);
        hub().cutters.append(d);
    }
    if (plugged)
        plug();
}

EmulatedCutter::~EmulatedCutter()
{
    {
        QMutexLocker lock(&hub().mutex);
        unplugLocked(d);
        hub().cutters.removeAll(d);
        for (HandleInfo &h : hub().handles)
            if (h.cutter == d)
                h.cutter = nullptr;
    }
    regRemoveSubkey(cutterRegistryKey(), d->instance);
    delete d;
}

QString EmulatedCutter::instanceName() const
{
    return d->instance;
}

QString EmulatedCutter::pathName() const
{
    return hashed(d->instance);
}

void EmulatedCutter::plug()
{
    QMutexLocker lock(&hub().mutex);
    if (d->plugged)
        return;
    d->plugged = true;
    d->busyUntil = 0;
    notifyLocked(d, CutterEvent::Plugged, QByteArray(), usbClockMs());
    DeviceNotifier::post(DeviceArrival);
}

void EmulatedCutter::unplug()
{
    QMutexLocker lock(&hub().mutex);
    unplugLocked(d);
}

bool EmulatedCutter::isPlugged() const
{
    QMutexLocker lock(&hub().mutex);
    return d->plugged;
}

void EmulatedCutter::setPaper(bool loaded)
{
    QMutexLocker lock(&hub().mutex);
    d->paper = loaded;
}

bool EmulatedCutter::hasPaper() const
{
    QMutexLocker lock(&hub().mutex);
    return d->paper;
}

void EmulatedCutter::setSheets(const QStringList &codes)
{
    QMutexLocker lock(&hub().mutex);
    d->sheets = codes;
    if (d->isDefault) { // they hold until the user files another job
        const auto jobs = filedJobs();
        d->sheetsFiledAt = jobs.isEmpty() ? QDateTime() : jobs.first().second;
    }
}

QStringList EmulatedCutter::sheets() const
{
    QMutexLocker lock(&hub().mutex);
    return d->sheets;
}

void EmulatedCutter::setMarkReply(const QByteArray &reply)
{
    QMutexLocker lock(&hub().mutex);
    d->markReply = reply;
}

void EmulatedCutter::setCameraOffset(double x, double y)
{
    QMutexLocker lock(&hub().mutex);
    d->camX = x;
    d->camY = y;
}

QPointF EmulatedCutter::cameraOffset() const
{
    QMutexLocker lock(&hub().mutex);
    return QPointF(d->camX, d->camY);
}

int EmulatedCutter::ledLevel() const
{
    QMutexLocker lock(&hub().mutex);
    return d->led;
}

void EmulatedCutter::setTiming(const CutterTiming &timing)
{
    QMutexLocker lock(&hub().mutex);
    d->timing = timing;
}

CutterTiming EmulatedCutter::timing() const
{
    QMutexLocker lock(&hub().mutex);
    return d->timing;
}

void EmulatedCutter::setBusyFor(int ms)
{
    QMutexLocker lock(&hub().mutex);
    d->busyUntil = usbClockMs() + ms;
}

bool EmulatedCutter::isBusy() const
{
    QMutexLocker lock(&hub().mutex);
    return usbClockMs() < d->busyUntil;
}

void EmulatedCutter::queueReply(const QByteArray &reply, int delayMs)
{
    QMutexLocker lock(&hub().mutex);
    if (!d->plugged)
        return;
    queueReplyLocked(d, reply, usbClockMs() + delayMs);
    hub().cond.wakeAll();
}

int EmulatedCutter::pendingReplies() const
{
    QMutexLocker lock(&hub().mutex);
    return d->replies.size();
}

void EmulatedCutter::addFault(const CutterFault &fault)
{
    QMutexLocker lock(&hub().mutex);
    d->faults.append(fault);
}

void EmulatedCutter::clearFaults()
{
    QMutexLocker lock(&hub().mutex);
    d->faults.clear();
}

QList<CutterWrite> EmulatedCutter::writes() const
{
    QMutexLocker lock(&hub().mutex);
    return d->writes;
}

QList<QByteArray> EmulatedCutter::writtenTexts() const
{
    QMutexLocker lock(&hub().mutex);
    QList<QByteArray> texts;
    for (const CutterWrite &w : d->writes)
        texts << w.data;
    return texts;
}

QList<CutterJob> EmulatedCutter::jobs() const
{
    QMutexLocker lock(&hub().mutex);
    return d->jobs;
}

int EmulatedCutter::readsStarted() const
{
    QMutexLocker lock(&hub().mutex);
    return d->readsStarted;
}

QPointF EmulatedCutter::toolPosition() const
{
    QMutexLocker lock(&hub().mutex);
    return d->pos;
}

void EmulatedCutter::setObserver(Observer observer)
{
    QMutexLocker lock(&hub().mutex);
    d->observer = std::move(observer);
}

void EmulatedCutter::setRecordLimit(qint64 bytes)
{
    QMutexLocker lock(&hub().mutex);
    d->recordLimit = bytes;
}

void EmulatedCutter::clearRecords()
{
    QMutexLocker lock(&hub().mutex);
    d->writes.clear();
    d->jobs.clear();
    d->recorded = 0;
    d->readsStarted = 0;
}

CutterJob EmulatedCutter::parseJob(const QByteArray &text)
{
    QList<CutterStroke> strokes;
    CutterJob job = parseJob(text, [&strokes](CutterStroke &&s) { strokes.append(std::move(s)); });
    job.strokes = std::move(strokes);
    return job;
}

CutterJob EmulatedCutter::parseJob(
    const QByteArray &text, const std::function<void(CutterStroke &&)> &take)
{
    CutterJob job;
    job.text = text;
    int pen = 0;
    QPointF pos;
    CutterStroke stroke;
    bool drawing = false;
    auto penUp = [&] {
        if (drawing)
            take(std::move(stroke));
        stroke = CutterStroke();
        drawing = false;
    };
    // one command at a time: a job of megabytes is not copied whole
    for (int from = 0; from <= text.size();) {
        int semi = text.indexOf(';', from);
        if (semi < 0)
            semi = text.size();
        const QByteArray t = text.mid(from, semi - from).trimmed();
        from = semi + 1;
        if (t.size() < 2)
            continue;
        const QByteArray op = t.left(2).toUpper();
        const QList<QByteArray> nums = t.mid(2).split(',');
        auto point = [&nums](int i) {
            return QPointF(nums.value(2 * i + 1).toDouble(), nums.value(2 * i).toDouble());
        };
        const int pairs = t.size() > 2 ? nums.size() / 2 : 0;
        if (op == "MD") {
            for (const QByteArray &n : nums)
                job.header << n.toInt();
        } else if (op == "SP") {
            pen = nums.value(0).toInt();
        } else if (op == "IN") {
            pen = 0;
            penUp();
        } else if (op == "PU") {
            penUp();
            if (pairs > 0)
                pos = point(pairs - 1);
        } else if (op == "PD") {
            if (pairs == 0)
                continue;
            if (!drawing) {
                stroke = CutterStroke { pen, { pos } };
                drawing = true;
            }
            // a long "PD" at its size, many short ones growing by doubling
            QVector<QPointF> &points = stroke.points;
            if (points.size() + pairs > points.capacity())
                points.reserve(points.size() + std::max(pairs, points.size()));
            for (int i = 0; i < pairs; ++i)
                points.append(point(i));
            pos = point(pairs - 1);
        }
    }
    penUp();
    job.end = pos;
    return job;
}

// ---- device files -----------------------------------------------------------

DevHandle devOpen(const wchar_t *path, int flags)
{
    ensureDefaultCutter();
    if (!path)
        return InvalidDevHandle;
    const QString p = QString::fromWCharArray(path);
    if (!p.startsWith(kPathPrefix, Qt::CaseInsensitive)
        || !p.endsWith(kPathSuffix, Qt::CaseInsensitive))
        return InvalidDevHandle;
    const QString name
        = p.mid(kPathPrefix.size(), p.size() - kPathPrefix.size() - kPathSuffix.size());
    QMutexLocker lock(&hub().mutex);
    pumpLocked(usbClockMs());
    for (Cutter *c : qAsConst(hub().cutters)) {
        if (c->plugged && hashed(c->instance).compare(name, Qt::CaseInsensitive) == 0) {
            const DevHandle h = hub().next++;
            hub().handles.insert(h, HandleInfo { c, flags });
            return h;
        }
    }
    return InvalidDevHandle;
}

bool devClose(DevHandle handle)
{
    QMutexLocker lock(&hub().mutex);
    auto it = hub().handles.find(handle);
    if (it == hub().handles.end())
        return false;
    // closing a handle ends its pending reads, as on Windows
    if (Cutter *c = it->cutter) {
        for (int i = c->pending.size() - 1; i >= 0; --i)
            if (c->pending[i]->handle == handle) {
                completeRead(c->pending[i], ReadCancelled, QByteArray());
                c->pending.removeAt(i);
            }
        hub().cond.wakeAll();
    }
    hub().handles.erase(it);
    return true;
}

DevIoStatus devRead(DevHandle handle, char *buffer, int size, DevOverlapped *ov)
{
    QMutexLocker lock(&hub().mutex);
    const qint64 now = usbClockMs();
    pumpLocked(now);
    Cutter *c = cutterOf(handle);
    if (!c || !c->plugged || !ov || !buffer || size <= 0)
        return DevIoFailed;
    ov->state = ReadPending;
    ov->transferred = 0;
    ov->signalled = false;
    ov->buffer = buffer;
    ov->size = size;
    ov->handle = handle;
    c->pending.append(ov);
    ++c->readsStarted;
    CutterFault f;
    if (takeFault(c, CutterFault::UnplugDuringRead, QByteArray(), &f))
        c->unplugAt = now + f.delayMs;
    pumpLocked(now);
    if (ov->state == ReadDone) {
        ov->signalled = false; // ReadFile returned TRUE: nobody waits on the event
        return DevIoDone;
    }
    if (ov->state == ReadFailed)
        return DevIoFailed;
    if (!(hub().handles.value(handle).flags & DevOpenOverlapped)) {
        // plain handle: the call itself waits
        lock.unlock();
        devWaitEvent(ov, -1);
        return ov->state == ReadDone ? DevIoDone : DevIoFailed;
    }
    return DevIoPending;
}

static bool waitLocked(DevOverlapped *ov, qint64 deadline)
{
    Hub &h = hub();
    for (;;) {
        const qint64 now = usbClockMs();
        const qint64 due = pumpLocked(now);
        if (ov->signalled) {
            ov->signalled = false;
            return true;
        }
        if (deadline >= 0 && now >= deadline)
            return false;
        qint64 until = deadline;
        if (due >= 0)
            until = until < 0 ? due : std::min(until, due);
        if (until < 0)
            h.cond.wait(&h.mutex);
        else
            h.cond.wait(&h.mutex, ulong(std::max<qint64>(1, until - now)));
    }
}

bool devWaitEvent(DevOverlapped *ov, int timeoutMs)
{
    if (!ov)
        return false;
    QMutexLocker lock(&hub().mutex);
    return waitLocked(ov, timeoutMs < 0 ? -1 : usbClockMs() + timeoutMs);
}

bool devOverlappedResult(DevHandle, DevOverlapped *ov, int *transferred, bool wait)
{
    if (!ov)
        return false;
    QMutexLocker lock(&hub().mutex);
    pumpLocked(usbClockMs());
    if (ov->state == ReadPending && wait)
        waitLocked(ov, -1);
    if (transferred)
        *transferred = ov->state == ReadDone ? ov->transferred : 0;
    return ov->state == ReadDone;
}

bool devCancelIo(DevHandle, DevOverlapped *ov)
{
    QMutexLocker lock(&hub().mutex);
    if (!ov || ov->state != ReadPending)
        return false;
    for (Cutter *c : qAsConst(hub().cutters))
        c->pending.removeAll(ov);
    completeRead(ov, ReadCancelled, QByteArray());
    hub().cond.wakeAll();
    return true;
}

bool devWrite(DevHandle handle, const char *data, int size, int *written)
{
    if (written)
        *written = 0;
    QMutexLocker lock(&hub().mutex);
    const qint64 now = usbClockMs();
    pumpLocked(now);
    Cutter *c = cutterOf(handle);
    if (!c || !c->plugged || size < 0 || (size > 0 && !data))
        return false;
    QByteArray bytes(data, size);
    CutterFault f;
    if (takeFault(c, CutterFault::FailedWrite, bytes, &f)) {
        recordLocked(c, c->writes, CutterWrite { QByteArray(), size, now, handle });
        notifyLocked(c, CutterEvent::Wrote, QByteArray(), now);
        return false;
    }
    if (takeFault(c, CutterFault::ShortWrite, bytes, &f))
        bytes.truncate(std::max(0, f.bytes));
    recordLocked(c, c->writes, CutterWrite { bytes, size, now, handle });
    if (written)
        *written = bytes.size();
    processLocked(c, bytes, now);
    notifyLocked(c, CutterEvent::Wrote, bytes, now);
    pumpLocked(now);
    hub().cond.wakeAll();
    return true;
}
