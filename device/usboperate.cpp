#include "usboperate.h"

#include "cutteridentity.h"
#include "cutterprotocol.h"
#include "devicelog.h"
#include "registry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <mutex>

Q_LOGGING_CATEGORY(lcDevice, "vemo.device", QtWarningMsg)

namespace {

const int PathChars = 260;

// Appends `src` to the zero-terminated `dst` of `cap` characters, cutting it
// short when it does not fit.
void appendBounded(wchar_t *dst, const wchar_t *src, int cap)
{
    int n = int(wcsnlen(dst, size_t(cap)));
    for (int i = 0; src[i] && n < cap - 1; ++i)
        dst[n++] = src[i];
    dst[std::min(n, cap - 1)] = 0;
}

void copyText(wchar_t *dst, const QString &text, int cap)
{
    wmemset(dst, 0, size_t(cap));
    const int n = std::min<int>(text.size(), cap - 1);
    text.left(n).toWCharArray(dst);
    dst[n] = 0;
}

// Whether the device at `path` can be opened now; the handle goes at once.
bool opens(const wchar_t *path)
{
    const DevHandle h = devOpen(path, DevOpenPlain);
    if (h == InvalidDevHandle)
        return false;
    devClose(h);
    return true;
}

} // namespace

// ---- UsbRead ----------------------------------------------------------------

UsbRead::UsbRead(QObject *parent)
    : QObject(parent)
{
}
UsbRead::~UsbRead() = default;

void UsbRead::Read()
{
    if (handle == InvalidDevHandle) {
        // nothing to read from; still report, or the link would wait forever
        on_read_timeout();
        return;
    }
    char buffer[64];
    memset(buffer, 0, sizeof buffer);
    DevOverlapped ov;
    const DevIoStatus started = devRead(handle, buffer, int(sizeof buffer), &ov);
    if (started == DevIoFailed) {
        qCDebug(lcDevice, "read did not start: the device went away");
        on_read_timeout();
        return;
    }
    if (started == DevIoPending && !devWaitEvent(&ov, timeoutMs)) {
        // Timed out: end the read before the buffer goes out of scope, so a
        // late reply never lands in it. A reply that slipped in meanwhile is kept.
        devCancelIo(handle, &ov);
        int n = 0;
        if (!devOverlappedResult(handle, &ov, &n, true)) {
            qCDebug(lcDevice, "no reply within %d ms", timeoutMs);
            on_read_timeout();
            return;
        }
    } else {
        int n = 0;
        devOverlappedResult(handle, &ov, &n, true);
    }
    emit upgrade(QString::fromLatin1(buffer, int(strnlen(buffer, sizeof buffer))));
}

void UsbRead::on_read_timeout()
{
    emit upgrade(QString());
}

// ---- UsbWrite ---------------------------------------------------------------

UsbWrite::UsbWrite(QObject *parent)
    : QObject(parent)
{
}
UsbWrite::~UsbWrite() = default;

void UsbWrite::Write()
{
    if (handle == InvalidDevHandle) {
        emit written(0, 0);
        emit done();
        return;
    }
    const QByteArray bytes = data.toUtf8();
    const int size = int(strnlen(bytes.constData(), size_t(bytes.size())));
    int count = 0;
    if (!devWrite(handle, bytes.constData(), size, &count))
        count = 0;
    emit written(count, size);
    emit done();
}

// ---- UsbOperate -------------------------------------------------------------

UsbOperate::UsbOperate(QObject *parent)
    : QObject(parent)
{
    copyText(pathPrefix, cutterPathPrefix(), PathChars);
    copyText(pathSuffix, cutterPathSuffix(), PathChars);
    wmemset(devicePath, 0, PathChars);
    wmemset(instanceName, 0, PathChars);
}

UsbOperate::~UsbOperate() = default;

QStringList UsbOperate::deviceList()
{
    QStringList list;
    RegKey key = 0;
    if (regOpenKey(cutterRegistryKey(), &key) != RegSuccess)
        return list;
    for (int index = 0;; ++index) {
        int length = 0;
        if (regEnumKey(key, index, instanceName, 256, &length) != RegSuccess)
            break;
        for (int i = 0; i < length; ++i)
            if (instanceName[i] == L'/') {
                instanceName[i] = L'#';
                break;
            }
        wchar_t candidate[PathChars];
        wmemset(candidate, 0, PathChars);
        appendBounded(candidate, pathPrefix, PathChars);
        appendBounded(candidate, instanceName, PathChars);
        appendBounded(candidate, pathSuffix, PathChars);
        if (opens(candidate)) {
            list << QString::fromWCharArray(instanceName, length);
            wmemset(instanceName, 0, PathChars);
        }
    }
    regCloseKey(key);
    return list;
}

void UsbOperate::setDevice(QString name)
{
    wmemset(devicePath, 0, PathChars);
    copyText(instanceName, name, PathChars);
    appendBounded(devicePath, pathPrefix, PathChars);
    appendBounded(devicePath, instanceName, PathChars);
    appendBounded(devicePath, pathSuffix, PathChars);
}

bool UsbOperate::isConnected()
{
    return opens(devicePath);
}

QString UsbOperate::devicePathText() const
{
    return QString::fromWCharArray(devicePath);
}

void UsbOperate::waitUntil(const bool &flag)
{
    // Sleeps until events come; the worker's report (a queued slot call) is
    // one. Not a local event loop: once the application is told to quit, such
    // a loop returns at once and the wait would spin without ever seeing it.
    while (!flag)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool UsbOperate::present(const char *transfer)
{
    if (isConnected())
        return true;
    qCDebug(lcDevice, "%s refused: %s is not there", transfer, qPrintable(devicePathText()));
    return false;
}

DevHandle UsbOperate::openFor(const char *transfer, int mode)
{
    const DevHandle handle = devOpen(devicePath, mode);
    if (handle == InvalidDevHandle)
        qCDebug(lcDevice, "%s dropped: %s went away", transfer, qPrintable(devicePathText()));
    return handle;
}

template <class Worker, class Report>
void UsbOperate::runWorker(Worker *worker, void (Worker::*work)(), Report report, bool &done)
{
    done = false;
    auto *thread = new QThread;
    connect(thread, &QThread::started, worker, work);
    connect(worker, report, thread, &QThread::quit);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    worker->moveToThread(thread);
    thread->start(QThread::InheritPriority);
    waitUntil(done);
}

bool UsbOperate::Read(int timeoutMs)
{
    if (!present("read"))
        return false;
    // Only a slot running inside this link's own wait can find the mutex
    // taken; that call is refused rather than deadlocking or stealing the reply.
    const std::unique_lock<QMutex> transfer(mutex, std::try_to_lock);
    if (!transfer.owns_lock())
        return false;
    waitUntil(readDone);
    replyText.clear();
    const DevHandle handle = openFor("read", DevOpenOverlapped);
    if (handle == InvalidDevHandle)
        return true;
    auto *worker = new UsbRead;
    worker->handle = handle;
    worker->timeoutMs = timeoutMs;
    connect(worker, &UsbRead::upgrade, this, &UsbOperate::on_UsbRead_upgrade);
    runWorker(worker, &UsbRead::Read, &UsbRead::upgrade, readDone);
    devClose(handle);
    return true;
}

bool UsbOperate::Write(QString data)
{
    if (!present("write"))
        return false;
    const std::unique_lock<QMutex> transfer(mutex, std::try_to_lock);
    if (!transfer.owns_lock())
        return false;
    waitUntil(writeDone);
    const DevHandle handle = openFor("write", DevOpenPlain);
    if (handle == InvalidDevHandle)
        return false;
    writtenBytes = -1;
    offeredBytes = -1;
    auto *worker = new UsbWrite;
    worker->handle = handle;
    worker->data = data;
    connect(worker, &UsbWrite::written, this, &UsbOperate::on_UsbWrite_written);
    connect(worker, &UsbWrite::done, this, &UsbOperate::on_UsbWrite_done);
    runWorker(worker, &UsbWrite::Write, &UsbWrite::done, writeDone);
    devClose(handle);
    const bool whole = writtenBytes >= 0 && writtenBytes == offeredBytes;
    if (!whole)
        qCDebug(lcDevice, "write not taken: the device took %d of %d bytes", writtenBytes,
            offeredBytes);
    return whole;
}

QString UsbOperate::readStr()
{
    return replyText;
}

void UsbOperate::on_UsbRead_upgrade(QString str)
{
    replyText = str;
    readDone = true;
}

void UsbOperate::on_UsbWrite_written(int bytesWritten, int bytesOffered)
{
    writtenBytes = bytesWritten;
    offeredBytes = bytesOffered;
}

void UsbOperate::on_UsbWrite_done()
{
    writeDone = true;
}

bool UsbOperate::waitFree(int pollReplyMs)
{
    missedReply = false;
    timedWait(500);
    for (;;) {
        if (!isConnected())
            return false;
        timedWait(500);
        // A poll the device did not take gets no answer: treat it as gone
        // instead of waiting forever for a reply.
        if (!Write(CutterCommand::busyPoll))
            return false;
        if (!Read(pollReplyMs))
            return false;
        if (replyText == CutterCommand::replyFree)
            return isConnected();
        // A cutter that stays plugged but stopped answering would hold the
        // wait for good; a busy one answers every poll.
        if (pollReplyMs >= 0 && replyText.isEmpty()) {
            missedReply = isConnected();
            return false;
        }
    }
}

bool UsbOperate::waitFor(QString expected, int timeoutMs)
{
    missedReply = false;
    QElapsedTimer clock; // monotonic
    clock.start();
    for (;;) {
        if (!isConnected())
            return false;
        timedWait(500);
        int left = -1;
        if (timeoutMs >= 0) {
            left = int(timeoutMs - clock.elapsed());
            if (left <= 0) {
                qCDebug(lcDevice, "no \"%s\" within %d ms", qPrintable(expected), timeoutMs);
                missedReply = true;
                return false;
            }
        }
        if (!Read(left))
            return false;
        if (replyText == expected)
            return isConnected();
    }
}
