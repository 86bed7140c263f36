#pragma once

// Disks that fail as a user's do: writes past a size refused (a full disk,
// faked for this process only), and on Linux as root a small tmpfs or a
// read-only bind mount. The mounts report whether they could be made; a
// test skips without them.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
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
