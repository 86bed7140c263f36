// LaunchLater <milliseconds> <program> [arguments...]
// Waits the given time, so the caller can finish closing, then starts the
// program detached. Exit code 0 when it started, 1 when it could not, 2 on
// bad usage.
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bool ok = false;
    const int ms = args.value(0).toInt(&ok);
    if (args.size() < 2 || !ok || ms < 0 || args.at(1).isEmpty()) {
        std::fprintf(stderr, "usage: LaunchLater <milliseconds> <program> [arguments...]\n");
        return 2;
    }
    QThread::msleep(static_cast<unsigned long>(ms));
    const QString program = args.at(1);
    return QProcess::startDetached(program, args.mid(2)) ? 0 : 1;
}
