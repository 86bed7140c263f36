#include "joblink.h"

#include "cutterprotocol.h"
#include "usboperate.h"

#include <QSet>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// Device paths claimed by a running job; GUI thread only.
QSet<QString> &claims()
{
    static QSet<QString> set;
    return set;
}

int &replyLimit()
{
    static int ms = 30000;
    return ms;
}

} // namespace

int JobLink::defaultReplyLimitMs()
{
    return replyLimit();
}

void JobLink::setDefaultReplyLimitMs(int ms)
{
    replyLimit() = ms;
}

JobLink::JobLink(UsbOperate &link, int replyLimitMs)
    : usb(link)
    , device(link.devicePathText())
    , limitMs(replyLimitMs < 0 ? replyLimit() : replyLimitMs)
{
    claim();
}

JobLink::~JobLink()
{
    release();
}

void JobLink::claim()
{
    owns = !claims().contains(device);
    if (owns)
        claims().insert(device);
    lastFailure = owns ? None : Busy;
}

void JobLink::release()
{
    if (owns)
        claims().remove(device);
    owns = false;
}

JobLink &JobLink::on(const QString &name)
{
    usb.setDevice(name);
    if (usb.devicePathText() != device) {
        release();
        device = usb.devicePathText();
        claim();
    }
    return *this;
}

bool JobLink::fail(Failure f)
{
    lastFailure = f;
    return false;
}

bool JobLink::connected()
{
    if (!owns)
        return fail(Busy);
    return usb.isConnected() || fail(Gone);
}

bool JobLink::write(const QString &text)
{
    if (!connected())
        return false;
    wrote = true;
    if (!usb.Write(text))
        return fail(usb.isConnected() ? NotTaken : Gone);
    return connected();
}

bool JobLink::read(QString *reply)
{
    reply->clear();
    if (!connected())
        return false;
    if (!usb.Read(limitMs))
        return fail(usb.isConnected() ? NoAnswer : Gone);
    if (!connected())
        return false;
    *reply = usb.readStr();
    return !reply->isEmpty() || fail(NoAnswer);
}

bool JobLink::request(const QString &command, QString *reply)
{
    reply->clear();
    return write(command) && read(reply);
}

bool JobLink::waitFree()
{
    if (!connected())
        return false;
    if (!usb.waitFree(limitMs))
        return fail(!usb.isConnected() ? Gone : usb.replyMissing() ? NoAnswer : NotTaken);
    return connected();
}

bool JobLink::waitFor(const QString &expected)
{
    if (!connected())
        return false;
    if (!usb.waitFor(expected, limitMs))
        return fail(usb.isConnected() ? NoAnswer : Gone);
    return connected();
}

bool JobLink::feed(int units, FeedReply awaited)
{
    if (!write(CutterCommand::feed(units)))
        return false;
    // 50 mm/s is 2000 units a second
    const int saved = limitMs;
    if (limitMs >= 0)
        limitMs = int(std::min<qint64>(INT_MAX, qint64(limitMs) + std::llabs(qint64(units)) / 2));
    QString reply;
    const bool ok = awaited == FeedReply::Ok ? waitFor(CutterCommand::replyOk) : read(&reply);
    limitMs = saved;
    return ok;
}
