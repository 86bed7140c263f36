#include "worklock.h"

#include "savefile_p.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QThread>

#include <cerrno>
#include <system_error>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX // keeps std::min and std::max usable
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// How long each hold of a work file's lock lasted: what other copies of the
// program that want the file wait for.
Q_LOGGING_CATEGORY(lcLock, "vemo.lock", QtWarningMsg)

WorkLock::WorkLock(const QString &file)
    : name(file + QStringLiteral(".lock"))
    , file(name)
{
    // A live copy holds the scratch files' lock for as long as an export
    // takes, so age alone breaks a lock only as a last resort: for one its
    // holder could not remove (on Windows a reader had it open), which names
    // a process that still runs. A lock naming a process that is gone is
    // Qt's to take over at once; one naming none is takeOverAbandoned()'s.
    this->file.setStaleLockTime(lastResortLockMs);
}

WorkLock::~WorkLock()
{
    unlock();
}

namespace {
LockWaitHook &waitHook()
{
    static LockWaitHook hook;
    return hook;
}

// Tells the hook of a wait from its first nap to the lock's return.
class WaitShown
{
public:
    WaitShown() = default;
    WaitShown(const WaitShown &) = delete;
    WaitShown &operator=(const WaitShown &) = delete;
    ~WaitShown()
    {
        if (shown && waitHook())
            waitHook()(false);
    }
    void show()
    {
        if (!shown && waitHook())
            waitHook()(true);
        shown = true;
    }

private:
    bool shown = false;
};

// What stands at a lock's path and is no lock file: a folder, say, which no
// holder removes. Waiting for it would end as "locked by another program".
bool notLockFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() || (info.exists() && !info.isFile());
}
} // namespace

void setLockWaitHook(const LockWaitHook &hook)
{
    waitHook() = hook;
}

LockWaitHook lockWaitHook()
{
    return waitHook();
}

SaveResult WorkLock::lock(int waitMs)
{
    const QDeadlineTimer deadline(qMax(waitMs, 0));
    WaitShown waiting;
    for (;;) {
        // Before Qt's own take-over, which would remove a link it judged old.
        for (const QString &path : { name, name + QStringLiteral(".rmlock") }) {
            if (notLockFile(path)) {
                SaveResult r;
                r.cause = SaveResult::NotLockFile;
                r.detail = path;
                return r;
            }
        }
        // from the making of the lock file: the others wait for that too
        held.start();
        errno = 0;
        if (file.tryLock(0))
            return SaveResult();
        if (file.error() != QLockFile::LockFailedError) {
            // the lock file could not be made or written (a full disk)
#ifdef Q_OS_WIN
            const QString said
                = QString::fromStdString(std::system_category().message(int(GetLastError())));
#else
            const QString said;
#endif
            return saving::failure(name, 0, errno, said);
        }
        if (takeOverAbandoned())
            continue;
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            SaveResult r;
            r.cause = SaveResult::Locked;
            return r;
        }
        waiting.show();
        // Short, uneven naps: holders keep it for milliseconds, and copies
        // that wait together do not all try at the same moment.
        QThread::msleep(ulong(qMin<qint64>(left, QRandomGenerator::global()->bounded(5, 25))));
    }
}

void WorkLock::unlock()
{
    if (!file.isLocked())
        return;
    file.unlock();
    qCDebug(lcLock, "%s held %lld us", qUtf8Printable(QFileInfo(name).fileName()),
        static_cast<long long>(held.nsecsElapsed() / 1000));
}

namespace {
// Removes a lock file that no holder holds, tested just before the removal
// as Qt's own take-over tests it: Qt's holder keeps an flock on its lock
// file (on Windows, its open handle keeps the file from being removed). A
// copy stopped before it wrote its process id holds an empty file so.
bool removeUnheld(const QString &lockFile)
{
#ifdef Q_OS_WIN
    return QFile::remove(lockFile);
#else
    const QByteArray path = QFile::encodeName(lockFile);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // and still the file at that name: not one its holder removed meanwhile
    // and another copy made in its place
    struct stat opened = {};
    struct stat named = {};
    const bool unheld = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0
        && ::lstat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
    const bool removed = unheld && ::unlink(path.constData()) == 0;
    ::close(fd);
    return removed;
#endif
}
} // namespace

bool WorkLock::takeOverAbandoned()
{
    // A copy killed between making the lock file and writing its process id
    // into it leaves an empty one. Judged without opening it: a live
    // holder's lock is left unread (on Windows a reader keeps its holder
    // from removing it).
    const auto abandoned = [](QFileInfo *info) {
        info->refresh();
        return info->isFile() && info->size() == 0
            && qAbs(info->lastModified().msecsTo(QDateTime::currentDateTime())) >= abandonedLockMs;
    };
    // One copy removes it, and only while it is still the abandoned one and
    // nobody holds it: not the lock another copy has made in its place
    // meanwhile. Age still counts where nobody holds it: a copy making its
    // lock file takes its native lock a moment after. Qt guards its
    // own take-over of a lock naming a process that is gone by the same
    // ".rmlock"; an empty one, left by a copy killed while it made it, Qt
    // would judge by its default of 30 s. Taken here with ours, it goes once
    // it is abandonedLockMs old.
    const QString rmlock = name + QStringLiteral(".rmlock");
    QLockFile removing(rmlock);
    removing.setStaleLockTime(abandonedLockMs);
    QFileInfo info(name);
    if (!abandoned(&info)) {
        if (QFileInfo::exists(rmlock) && removing.tryLock(0))
            removing.unlock();
        return false;
    }
    if (!removing.tryLock(0))
        return false;
    const QDateTime judged = info.lastModified();
    return abandoned(&info) && info.lastModified() == judged && removeUnheld(name);
}
