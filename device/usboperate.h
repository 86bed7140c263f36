#pragma once

#include "devicefile.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

// Reads one reply (at most 64 bytes) on a thread of its own.
class UsbRead : public QObject
{
    Q_OBJECT
public:
    explicit UsbRead(QObject *parent = nullptr);
    ~UsbRead() override;

    DevHandle handle = InvalidDevHandle; // opened for overlapped reading by UsbOperate::Read
    int timeoutMs = -1; // -1: no limit

signals:
    void upgrade(QString readStr);

public slots:
    void Read();
    void on_read_timeout();
};

// Writes one whole text on a thread of its own.
class UsbWrite : public QObject
{
    Q_OBJECT
public:
    explicit UsbWrite(QObject *parent = nullptr);
    ~UsbWrite() override;

    DevHandle handle = InvalidDevHandle;
    QString data;

signals:
    // how many of the text's bytes the device took; sent just before done()
    void written(int bytesWritten, int bytesOffered);
    void done();

public slots:
    void Write();
};

// The program's link to the cutter: device discovery and one transfer at a
// time, each on a worker thread while the GUI thread keeps processing events.
class UsbOperate : public QObject
{
    Q_OBJECT
public:
    explicit UsbOperate(QObject *parent = nullptr);
    ~UsbOperate() override;

    // Instance names of the cutters that open now, in registry order.
    QStringList deviceList();
    void setDevice(QString name);
    bool isConnected();

    // One reply into readStr(). Returns at once, false and the reply
    // untouched, when the device is absent or a transfer of this link is
    // already under way; true when a read was made (the reply is empty when it
    // timed out or the device went away meanwhile).
    bool Read(int timeoutMs);
    // The whole text in one device write. True when the device took all of
    // it; false when it is absent, took less, or a transfer is under way.
    bool Write(QString data);
    QString readStr();

    // Polls ";CMD:10;" until the cutter answers "FREE;" or goes away. True
    // only when it answered "FREE;" to this wait's own poll. The wait itself
    // has no limit; with `pollReplyMs`, a poll left unanswered that long ends
    // it too.
    bool waitFree(int pollReplyMs = -1);
    // Reads (sending nothing) until a reply equals `expected`, the cutter goes
    // away or, with a limit, `timeoutMs` pass. True only when the reply came.
    bool waitFor(QString expected, int timeoutMs = -1);
    // The last wait ended because a reply did not come within its limit.
    bool replyMissing() const { return missedReply; }

    // The full device path of the chosen device.
    QString devicePathText() const;
    // Bytes the device took in the last write (-1 when none was made).
    int lastWritten() const { return writtenBytes; }

public slots:
    void on_UsbRead_upgrade(QString str);
    void on_UsbWrite_done();
    void on_UsbWrite_written(int bytesWritten, int bytesOffered);

private:
    void waitUntil(const bool &flag);
    // The steps both transfers share: the device is there (else the debug
    // line "<transfer> refused"), it opens for this transfer alone (else
    // "<transfer> dropped"), and the worker does its one transfer on a thread
    // of its own, which ends with its report, while this thread waits for
    // `done` (set by the report's slot, connected before).
    bool present(const char *transfer);
    DevHandle openFor(const char *transfer, int mode);
    template <class Worker, class Report>
    void runWorker(Worker *worker, void (Worker::*work)(), Report report, bool &done);

    wchar_t devicePath[260];
    wchar_t pathPrefix[260];
    wchar_t instanceName[260];
    wchar_t pathSuffix[260];
    QString replyText;
    QMutex mutex;
    bool readDone = true;
    bool writeDone = true;

    int writtenBytes = -1;
    int offeredBytes = -1;
    bool missedReply = false;
};
