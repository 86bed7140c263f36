#include "process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <vector>

#if defined(__GLIBC__) || defined(_MSC_VER)
#include <malloc.h>
#endif

namespace {
StartDetachedHook &startHook()
{
    static StartDetachedHook hook;
    return hook;
}

ExitHook &exitHook()
{
    static ExitHook hook;
    return hook;
}

std::vector<std::function<void()>> &handovers()
{
    static std::vector<std::function<void()>> list;
    return list;
}
} // namespace

QString restartProgramName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("LaunchLater.exe");
#else
    return QStringLiteral("LaunchLater");
#endif
}

namespace {
// A bare name beside the main executable, or the program as given.
QString programPath(const QString &program)
{
    if (!program.contains('/') && !program.contains('\\')) {
        const QFileInfo beside(QDir(QCoreApplication::applicationDirPath()), program);
        if (beside.isFile() && beside.isExecutable())
            return beside.absoluteFilePath();
    }
    return program;
}
} // namespace

bool startDetachedProgram(const QString &program, const QStringList &args)
{
    if (startHook())
        return startHook()(program, args);
    if (program == restartProgramName())
        for (const auto &handover : handovers())
            handover();
    return QProcess::startDetached(programPath(program), args);
}

bool programAvailable(const QString &program)
{
    if (startHook())
        return true;
    const QString path = programPath(program);
    if (path != program)
        return true;
    const QFileInfo given(program);
    if (program.contains('/') || program.contains('\\'))
        return given.isFile() && given.isExecutable();
    return !QStandardPaths::findExecutable(program).isEmpty();
}

void addRestartHandover(std::function<void()> handover)
{
    handovers().push_back(std::move(handover));
}

void releaseFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#elif defined(_MSC_VER)
    _heapmin();
#endif
}

void exitProcess(int code)
{
    if (exitHook()) {
        exitHook()(code);
        return;
    }
    std::exit(code);
}

void setStartDetachedHook(StartDetachedHook hook)
{
    startHook() = std::move(hook);
}

void setExitHook(ExitHook hook)
{
    exitHook() = std::move(hook);
}
