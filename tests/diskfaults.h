#pragma once

// Disks that fail as a user's do: writes past a size refused (a full disk,
// faked for this process only), and on Linux as root a small tmpfs or a
// read-only bind mount. The mounts report whether they could be made; a
// test skips without them.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

// Every file write of this process past `bytes` fails while it lives,
// as on a disk that has filled.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
    {
#ifdef Q_OS_LINUX
        std::signal(SIGXFSZ, SIG_IGN);
        active = getrlimit(RLIMIT_FSIZE, &saved) == 0;
        rlimit limit = saved;
        limit.rlim_cur = rlim_t(bytes);
        active = active && setrlimit(RLIMIT_FSIZE, &limit) == 0;
#else
        Q_UNUSED(bytes);
#endif
    }
    ~FileSizeLimit()
    {
        lift();
    }
    void lift()
    {
#ifdef Q_OS_LINUX
        if (active)
            setrlimit(RLIMIT_FSIZE, &saved);
#endif
        active = false;
    }
    bool works() const
    {
        return active;
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    bool active = false;
#ifdef Q_OS_LINUX
    rlimit saved {};
#endif
};

// This process's real user is `uid` while the object lives (Linux, as
// root). The permissions Qt asks the system for are then that user's, while
// files are still written as root: a file of that user's with no write
// permission reads as read-only, though its folder lets it be replaced, as
// a user's own read-only file in the user's own folder.
class RealUser
{
public:
    explicit RealUser(unsigned uid)
    {
#ifdef Q_OS_LINUX
        active = geteuid() == 0 && setresuid(uid, uid_t(-1), uid_t(-1)) == 0;
#else
        Q_UNUSED(uid);
#endif
    }
    ~RealUser()
    {
#ifdef Q_OS_LINUX
        if (active && setresuid(0, uid_t(-1), uid_t(-1)) != 0)
            std::abort();
#endif
    }
    bool works() const
    {
        return active;
    }
    RealUser(const RealUser &) = delete;
    RealUser &operator=(const RealUser &) = delete;

private:
    bool active = false;
};

// Gives `file` to the user `uid` (Linux, as root).
inline bool giveFile(const QString &file, unsigned uid)
{
#ifdef Q_OS_LINUX
    return chown(QFile::encodeName(file).constData(), uid, uid) == 0;
#else
    Q_UNUSED(file);
    Q_UNUSED(uid);
    return false;
#endif
}

// A mount on `path` for as long as the object lives.
class TestMount
{
public:
    // A tmpfs of `kib` KiB on the folder `path`.
    static TestMount tmpfs(const QString &path, int kib)
    {
        TestMount m(path);
#ifdef Q_OS_LINUX
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        m.made = QDir().mkpath(path)
            && mount("tmpfs", m.where.constData(), "tmpfs", 0, options.constData()) == 0;
#else
        Q_UNUSED(kib);
#endif
        return m;
    }
    // The file or folder `path` bound read-only onto itself: it can be
    // neither written nor removed, also by root.
    static TestMount readOnly(const QString &path)
    {
        TestMount m(path);
#ifdef Q_OS_LINUX
        const char *p = m.where.constData();
        m.made = mount(p, p, nullptr, MS_BIND, nullptr) == 0;
        if (m.made && mount(nullptr, p, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            m.release();
#endif
        return m;
    }

    TestMount() = default;
    TestMount(TestMount &&o) noexcept
        : where(o.where)
        , made(o.made)
    {
        o.made = false;
    }
    TestMount &operator=(TestMount &&o) noexcept
    {
        release();
        where = o.where;
        made = o.made;
        o.made = false;
        return *this;
    }
    ~TestMount()
    {
        release();
    }
    void release()
    {
#ifdef Q_OS_LINUX
        if (made)
            umount2(where.constData(), MNT_DETACH);
#endif
        made = false;
    }
    bool mounted() const
    {
        return made;
    }

private:
    explicit TestMount(const QString &path)
        : where(QFile::encodeName(path))
    {
    }
    QByteArray where;
    bool made = false;
};

// Fills the volume that holds `folder` until only about `leave` bytes are
// free; false when it could not.
inline bool fillVolume(const QString &folder, qint64 leave)
{
    QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'f');
    qint64 size = 0;
    while (filler.write(block) == block.size())
        size += block.size();
    return filler.resize(qMax<qint64>(0, size - leave));
}
