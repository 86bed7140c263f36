#pragma once

#include <QString>

class UsbOperate;

// One run's exchange with the cutter, checked at every step. A step fails
// when the device goes away, does not take a write whole, or does not answer
// within the limit; a run stops at the first failed step, so no sheet is
// counted that was not cut and no stale reply is taken for a fresh one.
class JobLink
{
public:
    enum Failure
    {
        None,
        Busy,
        Gone,
        NotTaken,
        NoAnswer
    };

    // How long a step waits for a reply unless the run says otherwise:
    // 30 s; tests that let the cutter stay silent shorten it.
    static int defaultReplyLimitMs();
    static void setDefaultReplyLimitMs(int ms);

    // Claims the link's chosen device for this run. A device is claimed by one
    // run at a time in the whole program (the send window and the QR job
    // controller have a link each); claimed() tells whether this run has it.
    // A negative limit is the default one.
    explicit JobLink(UsbOperate &link, int replyLimitMs = -1);
    ~JobLink();
    JobLink(const JobLink &) = delete;
    JobLink &operator=(const JobLink &) = delete;

    bool claimed() const { return owns; }
    // Moves the run to the device named now (each sheet of a send talks to
    // the one chosen at that moment); the claim follows it.
    JobLink &on(const QString &name);
    bool connected();

    // The whole text in one write.
    bool write(const QString &text);
    // One fresh reply; an empty one is a time-out.
    bool read(QString *reply);
    // write, then read.
    bool request(const QString &command, QString *reply);
    // The busy poll until "FREE;". The wait has no limit (the cutter may cut
    // for long), each poll's reply has the step's limit.
    bool waitFree();
    // Reads until `expected` arrives within the limit.
    bool waitFor(const QString &expected);

    // What a feed awaits: "OK;", or any one reply.
    enum class FeedReply
    {
        Ok,
        Any
    };
    // Feeds the sheet by `units`. The cutter answers when the feed ends, so
    // the limit grows by the time a slow feed (50 mm/s) takes for the length.
    bool feed(int units, FeedReply awaited);

    // Why the last step failed; None while every step went through.
    Failure failure() const { return lastFailure; }
    // Something was written to the device in this run (a failure after that
    // may have left part of a job at the cutter).
    bool sentAnything() const { return wrote; }

private:
    void claim();
    void release();
    bool fail(Failure f);

    UsbOperate &usb;
    QString device;
    int limitMs;
    bool owns = false;
    bool wrote = false;
    Failure lastFailure = None;
};
