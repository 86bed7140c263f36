// The command interpreter: what the cutter makes of a write. Device
// commands (";CMD:n[,args];") are answered; HPGL moves the tool, cuts a job
// or ends a page, unanswered.
#include "emulatedcutter_p.h"
#include "workfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLineF>

#include <algorithm>
#include <cmath>

namespace emulated {

namespace {

QString g6(double v)
{
    return QString::number(v, 'g', 6);
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
    case CutterFirmware::BusyPoll:
        reply = now < c->busyUntil ? "BUSY;" : "FREE;";
        break;
    case CutterFirmware::PaperState:
        reply = c->paper ? "S1:1;S2:0;S3:1;" : "S1:1;S2:0;S3:0;";
        break;
    case CutterFirmware::Feed:
        at = busyLocked(c, now, feedMs(c->timing, std::abs(args.value(1).toDouble())))
            + c->timing.replyMs;
        reply = "OK;";
        break;
    case CutterFirmware::ScanQr:
        if (c->isDefault)
            layInFiledJobs(c);
        reply = c->sheets.isEmpty() || c->sheets.first().isEmpty() ? QByteArray("NOQR;")
                                                                   : c->sheets.first().toLatin1();
        break;
    case CutterFirmware::LedIntensity:
        c->led = args.value(1).toInt();
        reply = "OK;";
        break;
    case CutterFirmware::FindMark:
        reply = c->markReply.isEmpty() ? QByteArray("NOMARK;") : c->markReply;
        break;
    case CutterFirmware::CamOffset:
        reply = ("X=" + g6(c->camX) + ",Y=" + g6(c->camY) + ";").toLatin1();
        break;
    case CutterFirmware::SetCamOffset:
        c->camX = args.value(1).toDouble();
        c->camY = args.value(2).toDouble();
        reply = "OK;";
        break;
    case CutterFirmware::BlankStart:
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

// HPGL: a move, a page end or a whole job. None of them is answered.
void hpglLocked(Cutter *c, const QByteArray &chunk, qint64 now, bool *pageEnd)
{
    Work w;
    QPointF pos = c->pos;
    int count = 0;
    // strokes are measured as they are read, and kept only for a record
    // that can hold them
    const bool keep = chunk.size() < c->recordLimit;
    QList<CutterStroke> strokes;
    CutterJob job = EmulatedCutter::parseJob(chunk, [&](CutterStroke &&s) {
        if (!s.points.isEmpty()) {
            w.travel += QLineF(pos, s.points.first()).length();
            pos = s.points.last();
        }
        w.cut += s.length();
        ++count;
        if (keep)
            strokes.append(std::move(s));
    });
    w.job = count > 0 || !job.header.isEmpty();
    if (w.job) {
        job.strokes = std::move(strokes);
        job.atMs = now;
        recordLocked(c, std::move(job));
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
                w.travel += QLineF(pos, to).length();
                pos = to;
                w.moved = true;
            }
        }
    }
    w.pageEnd = chunk.contains("!PG");
    if (w.pageEnd)
        *pageEnd = true;
    c->pos = pos;
    const qint64 work = workMs(c->timing, w);
    if (work > 0)
        busyLocked(c, now, work);
}

} // namespace

// The default cutter's sheets are the QR jobs the user filed, printed in
// that order: the job filed last lies on top. Their codes, newest first,
// with the times they were filed.
QList<QPair<QString, QDateTime>> filedJobs()
{
    const QFileInfoList files
        = QDir(qrJobsFolder()).entryInfoList({ QStringLiteral("*.plt") }, QDir::Files);
    QList<QPair<QString, QDateTime>> jobs;
    for (const QFileInfo &f : files)
        jobs.append({ f.completeBaseName(), f.lastModified() });
    // filed at the same time: the higher number was given later
    std::sort(jobs.begin(), jobs.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first > b.first;
    });
    return jobs;
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

} // namespace emulated

double CutterStroke::length() const
{
    double len = 0;
    for (int i = 1; i < points.size(); ++i)
        len += QLineF(points[i - 1], points[i]).length();
    return len;
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
