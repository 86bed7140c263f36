#pragma once

#include "savefile.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QString>

#include <functional>

// A lock on a file of the work folder that every copy of the program takes
// before it uses the file: "<file>.lock" beside it. A live holder keeps it
// however long it holds it, whatever its lock file holds: Qt keeps a native
// lock on it, tested before any take-over removes it. A holder that no
// longer runs gives it up: a lock naming a process that is gone is taken
// over at once, an empty one (a copy killed while it made the lock), or an
// empty "<file>.lock.rmlock" beside it (a copy killed while it removed a
// lock), once it is abandonedLockMs old.
class WorkLock
{
public:
    explicit WorkLock(const QString &file);
    ~WorkLock();
    WorkLock(const WorkLock &) = delete;
    WorkLock &operator=(const WorkLock &) = delete;

    // Waits at most waitMs: Saved; Locked when another holder keeps it that
    // long; NotLockFile at once when a folder, a link or anything else but a
    // file stands at its path or at its ".rmlock", which no holder removes;
    // else why the lock file cannot be made.
    SaveResult lock(int waitMs);
    void unlock();

private:
    bool takeOverAbandoned();

    QString name;
    QLockFile file;
    QElapsedTimer held;
};

constexpr int abandonedLockMs = 10000;
// Any lock this old is broken, whoever it names.
constexpr int lastResortLockMs = 10 * 60 * 1000;
// How long an action waits for the scratch files while another copy of the
// program uses them: a large export takes a while.
constexpr int scratchLockMs = 30000;

// Told with true when a lock starts to wait for another holder and with
// false when that wait ends, however it ends: the program shows a busy
// pointer meanwhile.
using LockWaitHook = std::function<void(bool waiting)>;
void setLockWaitHook(const LockWaitHook &hook);
LockWaitHook lockWaitHook();
