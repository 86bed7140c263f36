// What the cutter tells and keeps of what it took: the transcript file
// (VEMO_USB_TRANSCRIPT), the observer, and the records of its writes and
// jobs, kept within their limit.
#include "emulatedcutter_p.h"

#include <QFile>

namespace emulated {

namespace {

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
template <typename Record> void keepLocked(Cutter *c, QList<Record> &list, Record r)
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

} // namespace

void notifyLocked(const Cutter *c, CutterEvent::Kind kind, const QByteArray &bytes, qint64 now)
{
    const CutterEvent e { kind, bytes, now, c->pos };
    transcribeLocked(c, e);
    if (c->observer)
        c->observer(e);
}

void recordLocked(Cutter *c, CutterWrite w)
{
    keepLocked(c, c->writes, std::move(w));
}

void recordLocked(Cutter *c, CutterJob j)
{
    keepLocked(c, c->jobs, std::move(j));
}

} // namespace emulated

using namespace emulated;

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
