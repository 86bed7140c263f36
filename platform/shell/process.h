#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Process seams: the program starts other programs and ends itself only
// through these, so tests can record what would have happened.

// The restart program's name as the platform knows it ("LaunchLater.exe" on
// Windows). It is started by bare name and found beside the main executable.
QString restartProgramName();

// Starts program detached with args. A bare name is looked up in the main
// executable's folder first, as Windows does, then on the search path.
// Returns whether the program could be started.
bool startDetachedProgram(const QString &program, const QStringList &args);

// Called just before the restart program really starts (never under a test
// hook): a stand-in that lives in this process and that the restart must not
// reset hands its state over to the next copy here.
void addRestartHandover(std::function<void()> handover);

// Whether startDetachedProgram would find the program (a test's start hook
// stands in for every program).
bool programAvailable(const QString &program);

// Ends the process with code. Does not return unless a test hook is set.
void exitProcess(int code);

// Gives the heap's free pages back to the system, where the C library can
// (glibc, the Microsoft runtime); elsewhere it does nothing. A large job
// leaves hundreds of megabytes freed but still resident otherwise.
void releaseFreeMemory();

// Calls releaseFreeMemory() when it goes out of scope: declared first in an
// action, it runs once the action's own locals are gone.
struct FreeMemoryAtEnd
{
    FreeMemoryAtEnd() = default;
    FreeMemoryAtEnd(const FreeMemoryAtEnd &) = delete;
    FreeMemoryAtEnd &operator=(const FreeMemoryAtEnd &) = delete;
    ~FreeMemoryAtEnd() { releaseFreeMemory(); }
};

using StartDetachedHook = std::function<bool(const QString &, const QStringList &)>;
using ExitHook = std::function<void(int)>;

// Replace the real behaviour; an empty hook restores it.
void setStartDetachedHook(StartDetachedHook hook);
void setExitHook(ExitHook hook);
