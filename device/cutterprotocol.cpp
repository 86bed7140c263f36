#include "cutterprotocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace CutterCommand {

QString integer(int n)
{
    return QString::number(n);
}

QString real(double v)
{
    return QString::number(v, 'g', 6);
}

QString device(CutterFirmware::Command command, const QString &args)
{
    QString text = QStringLiteral(";CMD:") + integer(command);
    if (!args.isEmpty())
        text += QLatin1Char(',') + args;
    return text + QLatin1Char(';');
}

QString feed(int units)
{
    return device(CutterFirmware::Feed, integer(units));
}

QString moveTo(int first, int second)
{
    return QStringLiteral("PU") + integer(first) + QLatin1Char(',') + integer(second)
        + QLatin1Char(';');
}

QString moveTo(double first, double second)
{
    return QStringLiteral("PU") + real(first) + QLatin1Char(',') + real(second) + QLatin1Char(';');
}

QString ledIntensity(int value)
{
    return device(CutterFirmware::LedIntensity, integer(value));
}

QString setCamOffset(double a, double b)
{
    return device(CutterFirmware::SetCamOffset, real(a) + QLatin1Char(',') + real(b));
}

bool noPaper(const QString &reply)
{
    return reply.contains(QLatin1String("S3:0;"));
}

bool camOffsetFromReply(const QString &reply, double *x, double *y)
{
    const int iX = reply.indexOf(QLatin1Char('X'));
    const int iC = reply.indexOf(QLatin1Char(','));
    const int iY = reply.indexOf(QLatin1Char('Y'));
    const int iS = reply.indexOf(QLatin1Char(';'));
    // toDouble gives 0 for anything that is not a number
    bool okX = false, okY = false;
    *x = reply.mid(iX + 2, iC - iX - 2).toDouble(&okX);
    *y = reply.mid(iY + 2, iS - iY - 2).toDouble(&okY);
    return iX >= 0 && iC > iX + 1 && iY > iC && iS > iY + 1 && okX && okY && std::isfinite(*x)
        && std::isfinite(*y);
}

} // namespace CutterCommand

void timedWait(int ms)
{
    QElapsedTimer clock; // monotonic
    clock.start();
    if (!QCoreApplication::instance()) {
        QThread::msleep(ulong(std::max(0, ms)));
        return;
    }
    // The timer wakes the sleeping event processing at the deadline; a local
    // event loop is avoided since it returns at once after a quit request.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    while (clock.elapsed() < ms) {
        if (!timer.isActive())
            timer.start(int(ms - clock.elapsed()));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
