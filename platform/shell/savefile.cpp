#include "savefile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

namespace {

bool nameTooLong(const QString &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
#ifdef Q_OS_WIN
    return path.size() > 259;
#else
    if (path.toLocal8Bit().size() > 4095)
        return true;
    for (const QString &part : path.split('/'))
        if (part.toLocal8Bit().size() > 255)
            return true;
    return false;
#endif
}

// Why writing `bytes` to `file` failed. The system's error code says it
// best where it survives the failing call; the file's and the volume's state
// say it where it does not.
SaveResult failure(const QString &file, qint64 bytes, int err, const QString &said)
{
    SaveResult r;
    r.detail = err ? qt_error_string(err) : said;
    const QFileInfo info(file);
    const QFileInfo folder(info.absolutePath());
    const QStorageInfo volume(info.absolutePath());
    if (info.isDir() || err == EISDIR)
        r.cause = SaveResult::IsFolder;
    else if (err == ENAMETOOLONG || nameTooLong(file))
        r.cause = SaveResult::NameTooLong;
    else if (err == EROFS || err == EACCES || err == EPERM
        || (volume.isValid() && volume.isReadOnly()) || (info.exists() && !info.isWritable())
        || (folder.exists() && !folder.isWritable()))
        r.cause = SaveResult::ReadOnly;
    // a little room is not enough: the volume also needs blocks for the copy
    else if (err == ENOSPC
        || (volume.isValid() && volume.bytesAvailable() < bytes + (qint64(64) << 10)))
        r.cause = SaveResult::DiskFull;
    else
        r.cause = SaveResult::Other;
    return r;
}

bool readWhole(const QString &file, QByteArray *bytes, SaveResult *why)
{
    QFile in(file);
    errno = 0;
    if (!in.open(QIODevice::ReadOnly)) {
        *why = failure(file, 0, errno, in.errorString());
        return false;
    }
    *bytes = in.readAll();
    return true;
}

// Whether the INI file `copy` holds every key of `expected` with its value: a
// write that the disk cut short loses the keys at its end. A file of its
// own, as QSettings keeps what it wrote to a path in memory. *lost gets the
// keys it lacks (all of them where it cannot be parsed).
bool holdsAll(const QString &copy, const QSettings &expected, QStringList *lost)
{
    const QSettings check(copy, QSettings::IniFormat);
    const QStringList keys = expected.allKeys();
    if (check.status() != QSettings::NoError) {
        *lost = keys;
        return false;
    }
    for (const QString &key : keys) {
        if (!check.contains(key) || check.value(key).toString() != expected.value(key).toString())
            *lost << key;
    }
    return lost->isEmpty();
}

// A copy that only a check reads: written whole, without waiting for the disk.
SaveResult writeCopy(const QString &file, const QByteArray &bytes)
{
    QFile out(file);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(file, bytes.size(), errno, out.errorString());
    errno = 0;
    if (out.write(bytes) != bytes.size())
        return failure(file, bytes.size(), errno, out.errorString());
    // a network folder may say so only now
    errno = 0;
    out.close();
    if (out.error() != QFileDevice::NoError)
        return failure(file, bytes.size(), errno, out.errorString());
    return SaveResult();
}

// What QTemporaryDir names its folders after by default.
QString tempPrefix()
{
    const QString program = QCoreApplication::applicationName();
    return program.isEmpty() ? QStringLiteral("qt_temp") : program;
}

} // namespace

QString describeFailure(const SaveResult &result)
{
    switch (result.cause) {
    case SaveResult::Saved:
        return QString();
    case SaveResult::Locked:
        return QCoreApplication::translate("SaveFile", "the file is locked by another program");
    case SaveResult::IsFolder:
        return QCoreApplication::translate("SaveFile", "a folder has its name");
    case SaveResult::ReadOnly:
        return QCoreApplication::translate("SaveFile", "the file or its folder is read-only");
    case SaveResult::DiskFull:
        return QCoreApplication::translate("SaveFile", "the disk is full");
    case SaveResult::NameTooLong:
        return QCoreApplication::translate("SaveFile", "the path is too long");
    case SaveResult::NotWhole:
        if (result.line > 0)
            return QCoreApplication::translate("SaveFile", "line %1, \"%2\", does not read back")
                .arg(result.line)
                .arg(result.detail);
        return QCoreApplication::translate(
            "SaveFile", "it holds bytes that no settings file holds");
    case SaveResult::NotLockFile:
        return QCoreApplication::translate("SaveFile", "%1 is not a lock file: remove it to go on")
            .arg(QDir::toNativeSeparators(result.detail));
    case SaveResult::NotOurFolder:
        return QCoreApplication::translate(
            "SaveFile", "%1 is not a folder of this program: remove it to go on")
            .arg(QDir::toNativeSeparators(result.detail));
    case SaveResult::Other:
        break;
    }
    return result.detail.isEmpty() ? QCoreApplication::translate("SaveFile", "unknown error")
                                   : result.detail;
}

SaveResult saveWholeFile(const QString &file, const QByteArray &bytes)
{
    QSaveFile out(file);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly))
        return failure(file, bytes.size(), errno, out.errorString());
    // QSaveFile keeps a short write in its buffer and commits an empty file
    // when flushing it fails; so flush, and check the size, before it may.
    errno = 0;
    if (out.write(bytes) != bytes.size() || !out.flush() || out.size() != bytes.size()) {
        const int err = errno;
        const QString said = out.errorString();
        out.cancelWriting();
        return failure(file, bytes.size(), err, said);
    }
    errno = 0;
    if (!out.commit())
        return failure(file, bytes.size(), errno, out.errorString());
    return SaveResult();
}

namespace {

// A fixed name of the program's own, used only while a save holds the lock:
// what a save killed midway leaves is known for certain by it.
QString stagingFolder(const QString &iniFile)
{
    return iniFile + QStringLiteral(".saving");
}

// Removes `path`, a folder of the program's own, with what it holds. A
// link there (to a folder of the user's, whose files the removal would
// reach), a junction on Windows, or a file, is left as it is and told.
SaveResult clearOwnFolder(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink() && !info.exists())
        return SaveResult();
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity names = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity names = Qt::CaseSensitive;
#endif
    // a junction reads as a plain folder: its real path lies elsewhere
    const bool plain = !info.isSymLink() && info.isDir()
        && info.canonicalFilePath().compare(
               QDir(info.absolutePath()).canonicalPath() + QLatin1Char('/') + info.fileName(),
               names)
            == 0;
    if (!plain) {
        SaveResult r;
        r.cause = SaveResult::NotOurFolder;
        r.detail = path;
        return r;
    }
    QDir(path).removeRecursively();
    return SaveResult();
}

// The staging folder, made afresh for one hold of the lock (what a killed
// save left goes first) and removed with it.
class StagingRoot
{
public:
    explicit StagingRoot(const QString &iniFile)
        : path(stagingFolder(iniFile))
    {
        notOurs = clearOwnFolder(path);
        if (!notOurs.ok())
            return;
        errno = 0;
        made = QDir().mkdir(path);
        err = errno;
    }
    ~StagingRoot()
    {
        if (made)
            QDir(path).removeRecursively();
    }
    StagingRoot(const StagingRoot &) = delete;
    StagingRoot &operator=(const StagingRoot &) = delete;
    SaveResult why(qint64 bytes) const
    {
        if (!notOurs.ok())
            return notOurs;
        return made ? SaveResult() : failure(path, bytes, err, QString());
    }

    const QString path;

private:
    SaveResult notOurs;
    bool made = false;
    int err = 0;
};

// Puts `from` in the place of `to` in one step, on the same volume.
SaveResult renameOver(const QString &from, const QString &to, qint64 bytes)
{
#ifdef Q_OS_WIN
    // A reader without the lock (another copy's look at the serial, a virus
    // scanner) keeps the file open for a moment and the rename is refused.
    DWORD err = 0;
    for (int tries = 0; tries < 20; ++tries) {
        if (MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return SaveResult();
        err = GetLastError();
        if (err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION)
            break;
        Sleep(50);
    }
    // the system's error codes are not errno's: the cause comes from the
    // file's state, the words from the system
    return failure(to, bytes, 0, QString::fromStdString(std::system_category().message(int(err))));
#else
    errno = 0;
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return SaveResult();
    return failure(to, bytes, errno, QString());
#endif
}

enum class Rewrite
{
    Whole,
    NotWhole, // written, and it does not read back whole
    NotWritten, // the disk took less than was written: nothing is judged
};

// QSettings writes `old`, with the chosen values set, into staged.ini in
// `staging`: beside a copy of the old text, where it cannot harm the real
// file. *text gets what it wrote; *why says why it is not whole, *lost the
// keys it lost. A trial's copy, which nothing puts in config.ini's place, is
// not synced to disk.
Rewrite rewriteStaged(const QTemporaryDir &staging, const QByteArray &old,
    const SettingsChooser &choose, QByteArray *text, SaveResult *why, bool trial = false,
    QStringList *lost = nullptr)
{
    const QString staged = staging.filePath(QStringLiteral("staged.ini"));
    *why = trial ? writeCopy(staged, old) : saveWholeFile(staged, old);
    if (!why->ok())
        return Rewrite::NotWritten;
    QSettings s(staged, QSettings::IniFormat);
    const SettingValues values = choose(s);
    for (const auto &v : values)
        s.setValue(v.first, v.second);
    s.sync();
    const auto failed = [&](Rewrite r) {
        *why = failure(staged, text->size(), 0,
            QCoreApplication::translate("SaveFile", "what was written did not read back whole"));
        return r;
    };
    // the first error sticks: a text it could not parse, else a write refused
    if (s.status() == QSettings::FormatError)
        return failed(Rewrite::NotWhole);
    SaveResult read;
    const QString check = staging.filePath(QStringLiteral("check.ini"));
    if (s.status() != QSettings::NoError || !readWhole(staged, text, &read)
        || !writeCopy(check, *text).ok())
        return failed(Rewrite::NotWritten);
    QStringList missing;
    if (!holdsAll(check, s, &missing)) {
        if (lost)
            *lost = missing;
        return failed(Rewrite::NotWhole);
    }
    return Rewrite::Whole;
}

// The save itself, inside the staging folder `root`; the lock is held.
SaveResult stageAndReplace(const QString &iniFile, const QString &root,
    const SettingsChooser &choose, const QByteArray &old)
{
    // A folder of its own for each save: QSettings keeps what it read from a
    // path in memory, and would take a new file of the same size and time
    // for the old one.
    QTemporaryDir staging(root + QStringLiteral("/XXXXXX"));
    if (!staging.isValid())
        return failure(root + QStringLiteral("/XXXXXX"), old.size(), 0, staging.errorString());
    QByteArray text;
    SaveResult why;
    if (rewriteStaged(staging, old, choose, &text, &why) != Rewrite::Whole)
        return why;
    // staged.ini holds just the text that was checked
    return renameOver(staging.filePath(QStringLiteral("staged.ini")), iniFile, text.size());
}

} // namespace

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
            return failure(name, 0, errno, said);
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

SaveResult saveSettings(const QString &iniFile, const SettingValues &values, int lockMs)
{
    return updateSettings(
        iniFile, [&values](const QSettings &) { return values; }, lockMs);
}

SaveResult updateSettings(const QString &iniFile, const SettingsChooser &choose, int lockMs)
{
    // Held for the whole save: other copies of the program, and QSettings in
    // them, wait for it.
    WorkLock lock(iniFile);
    SaveResult why = lock.lock(lockMs);
    if (!why.ok())
        return why;

    const QFileInfo info(iniFile);
    if (info.isDir()) {
        SaveResult r;
        r.cause = SaveResult::IsFolder;
        return r;
    }
    // renamed over, a read-only file would be replaced all the same
    if (info.exists() && !info.isWritable())
        return failure(iniFile, 0, EACCES, QString());
    QByteArray old;
    if (info.exists() && !readWhole(iniFile, &old, &why))
        return why;

    const StagingRoot root(iniFile);
    why = root.why(old.size());
    return why.ok() ? stageAndReplace(iniFile, root.path, choose, old) : why;
}

namespace {

int setAsideDelayMs = 0;

// Whether `folder` has room for `bytes` more: written whole, then removed.
SaveResult roomFor(const QString &folder, qint64 bytes)
{
    const QString probe = folder + QStringLiteral("/room");
    QFile out(probe);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(probe, bytes, errno, out.errorString());
    const QByteArray block(64 << 10, ' ');
    SaveResult why;
    for (qint64 left = bytes; left > 0 && why.ok(); left -= block.size()) {
        errno = 0;
        const qint64 size = qMin<qint64>(left, block.size());
        if (out.write(block.constData(), size) != size)
            why = failure(probe, bytes, errno, out.errorString());
    }
    out.close();
    out.remove();
    return why;
}

// More than QSettings writes of `bytes`, its escapes included.
qint64 rewriteRoom(const QByteArray &bytes)
{
    return 4 * qint64(bytes.size()) + (qint64(64) << 10);
}

// QSettings commits a file cut short when the disk refuses the rest, and
// says nothing: a text is judged not whole only where there was room to
// spare.
Rewrite judged(Rewrite r, const QTemporaryDir &staging, const QByteArray &bytes)
{
    if (r != Rewrite::NotWhole)
        return r;
    return roomFor(staging.path(), rewriteRoom(bytes)).ok() ? r : Rewrite::NotWritten;
}

// A save tried on `bytes`, on a copy in a folder of its own under `root`:
// QSettings parses a group only when it is read, and one on a path that
// another in this process has read already (the send window's) takes over
// that parse, not its error.
Rewrite trySave(const QString &root, const QByteArray &bytes)
{
    QTemporaryDir staging(root + QStringLiteral("/XXXXXX"));
    if (!staging.isValid())
        return Rewrite::NotWritten;
    QByteArray text;
    SaveResult why;
    const auto trialKey = [](const QSettings &) {
        // a key of its own, as a save sets its keys: QSettings writes the
        // whole file anew
        return SettingValues { { QStringLiteral("Trial/written"), 1 } };
    };
    return judged(rewriteStaged(staging, bytes, trialKey, &text, &why, true), staging, bytes);
}

QByteArray joinLines(const QList<QByteArray> &lines)
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + '\n';
    return text;
}

bool isGroupLine(const QByteArray &line)
{
    return line.trimmed().startsWith('[');
}

// The first of `lines` that does not read back whole with those before it,
// counted from 1; 0 when there are none.
int firstLineNotWhole(const QString &root, const QList<QByteArray> &lines)
{
    // the whole text does not read back; an empty one does
    int whole = 0;
    int notWhole = lines.size();
    while (notWhole - whole > 1) {
        const int mid = (whole + notWhole) / 2;
        const Rewrite t = trySave(root, joinLines(lines.mid(0, mid)));
        if (t == Rewrite::NotWritten)
            return notWhole; // the first is no later than this one
        (t == Rewrite::Whole ? whole : notWhole) = mid;
    }
    // A key may fail for its group's name ("[Notes\]"): where it reads back
    // under a plain name, the group's line is the one.
    const int at = notWhole - 1;
    if (at >= 0 && !isGroupLine(lines[at])) {
        for (int group = at - 1; group >= 0; --group) {
            if (!isGroupLine(lines[group]))
                continue;
            QList<QByteArray> plain = lines.mid(0, at + 1);
            plain[group] = QByteArrayLiteral("[Trial]");
            if (trySave(root, joinLines(plain)) == Rewrite::Whole)
                return group + 1;
            break;
        }
    }
    return notWhole;
}

// A line as a message shows it: what cannot be seen escaped, a long one cut.
QString shownLine(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    // enough for what is shown: a tail of NULs after a crash may be long
    const bool cut = line.size() > 240;
    line.truncate(240);
    // a byte-order mark too, which fromUtf8() would drop
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text
        = QTextCodec::codecForMib(106)->toUnicode(line.constData(), line.size(), &state);
    QStringList pieces;
    if (state.invalidChars > 0) { // not text: its bytes
        for (const char c : qAsConst(line)) {
            const auto u = static_cast<unsigned char>(c);
            pieces << (u >= 0x20 && u < 0x7f
                    ? QString(QLatin1Char(c))
                    : QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0')));
        }
    } else {
        for (const QChar c : text)
            pieces << (c.isPrint() || c == QLatin1Char(' ')
                    ? QString(c)
                    : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')));
    }
    const QString whole = pieces.join(QString());
    if (whole.size() <= 60 && !cut)
        return whole;
    QString shown;
    for (const QString &piece : qAsConst(pieces)) {
        if (shown.size() + piece.size() > 57)
            break;
        shown += piece;
    }
    return shown + QStringLiteral("...");
}

// Judged by a save tried beside the file, with the lock held.
SaveResult judgedBySave(const QString &root, const QByteArray &bytes)
{
    SaveResult r;
    if (trySave(root, bytes) != Rewrite::NotWhole)
        return r;
    r.cause = SaveResult::NotWhole;
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    r.line = firstLineNotWhole(root, lines);
    if (r.line > 0)
        r.detail = shownLine(lines[r.line - 1]);
    return r;
}

// A save writes printable text and line ends only.
SaveResult judgedInMemory(const QByteArray &bytes)
{
    SaveResult r;
    for (int i = 0; i < bytes.size(); ++i) {
        const auto u = static_cast<unsigned char>(bytes[i]);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') {
            r.cause = SaveResult::NotWhole;
            const int from = bytes.lastIndexOf('\n', i) + 1;
            const int to = bytes.indexOf('\n', i);
            r.line = int(bytes.left(i).count('\n')) + 1;
            r.detail = shownLine(bytes.mid(from, to < 0 ? -1 : to - from));
            break;
        }
    }
    return r;
}

// Whether one key, alone in a file, reads back as it went.
Rewrite keyAlone(const QString &folder, const QPair<QString, QVariant> &key)
{
    QTemporaryDir alone(folder + QStringLiteral("/XXXXXX"));
    if (!alone.isValid())
        return Rewrite::NotWritten;
    QByteArray text;
    SaveResult why;
    const auto oneKey = [&key](const QSettings &) { return SettingValues { key }; };
    return judged(
        rewriteStaged(alone, QByteArray(), oneKey, &text, &why, true), alone, key.first.toUtf8());
}

// Writes into `folder` a whole INI file of every key that QSettings reads
// of `old` and writes back as it read it, with what `renew` picks from it;
// *renewed gets its path.
SaveResult writeRenewed(
    const QString &folder, const QByteArray &old, const SettingsChooser &renew, QString *renewed)
{
    const QString oldCopy = folder + QStringLiteral("/old.ini");
    SaveResult why = writeCopy(oldCopy, old);
    if (!why.ok())
        return why;
    SettingValues kept;
    {
        const QSettings read(oldCopy, QSettings::IniFormat);
        const QStringList keys = read.allKeys();
        for (const QString &key : keys) {
            // "=1" reads as a key named after its group, of no value
            const QVariant value = read.value(key);
            if (!key.isEmpty() && value.isValid())
                kept.append({ key, value });
        }
        const SettingValues picked = renew ? renew(read) : SettingValues();
        for (const auto &v : picked) {
            const auto it = std::find_if(kept.begin(), kept.end(),
                [&v](const QPair<QString, QVariant> &k) { return k.first == v.first; });
            if (it == kept.end())
                kept.append(v);
            else
                it->second = v.second;
        }
    }
    // A key that does not come back as it went is left out, and the rest
    // written again. QSettings commits a file cut short and says nothing: a
    // key that reads back on its own was lost to the disk, not to its text,
    // and the new file would lack it (the serial, say).
    for (int round = 0; round < 2; ++round) {
        QTemporaryDir staging(folder + QStringLiteral("/XXXXXX"));
        staging.setAutoRemove(false); // renamed from; goes with the staging folder
        if (!staging.isValid())
            return failure(folder, old.size(), 0, staging.errorString());
        QByteArray text;
        QStringList lost;
        const Rewrite r = rewriteStaged(
            staging, QByteArray(), [&kept](const QSettings &) { return kept; }, &text, &why, false,
            &lost);
        if (r == Rewrite::Whole) {
            *renewed = staging.filePath(QStringLiteral("staged.ini"));
            return SaveResult();
        }
        if (r == Rewrite::NotWritten || round > 0)
            return why;
        for (const QString &key : qAsConst(lost)) {
            const auto it = std::find_if(kept.begin(), kept.end(),
                [&key](const QPair<QString, QVariant> &k) { return k.first == key; });
            if (it == kept.end() || keyAlone(folder, *it) != Rewrite::NotWhole)
                return why;
            kept.erase(it);
        }
    }
    return why;
}

// Sets the INI file, or a folder in its place, aside and puts a whole new
// one in its place; the lock is held. A file is copied aside, so that it
// stands until the new one replaces it. *movedTo gets where it went, also
// when no new one could be put in its place.
SaveResult replaceSetAside(const QString &iniFile, const QString &root, const QByteArray &old,
    bool folder, const SettingsChooser &renew, QString *movedTo)
{
    // as a save would not replace it
    if (!folder && !QFileInfo(iniFile).isWritable())
        return failure(iniFile, 0, EACCES, QString());
    QTemporaryDir staging(root + QStringLiteral("/XXXXXX"));
    if (!staging.isValid())
        return failure(root + QStringLiteral("/XXXXXX"), old.size(), 0, staging.errorString());
    QString renewed;
    SaveResult why = writeRenewed(staging.path(), old, renew, &renewed);
    if (!why.ok())
        return why;
    const QString stamp = iniFile + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stamp;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = stamp + QLatin1Char('-') + QString::number(n);
    if (folder) {
        errno = 0;
        if (!QDir().rename(iniFile, name))
            return failure(name, 0, errno, QString());
    } else {
        why = saveWholeFile(name, old);
        if (!why.ok())
            return why;
    }
    if (setAsideDelayMs > 0)
        QThread::msleep(ulong(setAsideDelayMs));
    why = renameOver(renewed, iniFile, QFileInfo(renewed).size());
    if (!why.ok()) {
        // a folder that cannot go back is told where it went
        if (folder && !QDir().rename(name, iniFile))
            *movedTo = name;
        else if (!folder)
            QFile::remove(name);
        return why;
    }
    *movedTo = name;
    return SaveResult();
}

} // namespace

void setSetAsideDelay(int ms)
{
    setAsideDelayMs = ms;
}

SettingsCheck checkSettings(const QString &iniFile, int lockMs, const SettingsChooser &renew)
{
    SettingsCheck check;
    WorkLock lock(iniFile);
    const SaveResult locked = lock.lock(lockMs);
    const QFileInfo info(iniFile);
    const bool folder = info.isDir();
    QByteArray old;
    if (folder) {
        check.found.cause = SaveResult::IsFolder;
    } else if (!info.exists()) {
        return check;
    } else if (!readWhole(iniFile, &old, &check.found)) {
        check.found.cause = SaveResult::Other; // its words say why it could not be read
        return check;
    } else {
        check.found = judgedInMemory(old);
    }
    // Without the lock it is judged in memory alone, and nothing is set aside.
    if (!locked.ok()) {
        if (!check.found.ok())
            check.asideWhy = locked;
        return check;
    }
    // The saves' staging folder: the lock is ours. A trial that cannot be
    // written there judges nothing; the save that later fails tells why.
    const StagingRoot root(iniFile);
    if (!root.why(old.size()).ok()) {
        if (!check.found.ok())
            check.asideWhy = root.why(old.size());
        return check;
    }
    if (check.found.ok())
        check.found = judgedBySave(root.path, old);
    if (!check.found.ok())
        check.asideWhy = replaceSetAside(iniFile, root.path, old, folder, renew, &check.setAside);
    return check;
}

void removeStaleSaves(const QString &iniFile)
{
    WorkLock lock(iniFile);
    if (!lock.lock(0).ok())
        return;
    // one that is not ours is told by the check and the saves that follow
    clearOwnFolder(stagingFolder(iniFile));

    // Older builds staged their saves and tried config.ini at the start in
    // QTemporaryDirs named after the program.
    const QRegularExpression folderName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(tempPrefix()) + QStringLiteral("(-trial)?-[A-Za-z0-9]{6}")));
    const QRegularExpression copies(QRegularExpression::anchoredPattern(
        QStringLiteral("(staged|check)\\.ini(\\.[A-Za-z0-9]{6}|\\.lock)?")));
    QDir temp(QDir::tempPath());
    const QStringList folders
        = temp.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : folders) {
        if (!folderName.match(name).hasMatch())
            continue;
        QDir folder(temp.filePath(name));
        const QFileInfoList inside
            = folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        const bool onlyCopies = std::all_of(inside.begin(), inside.end(), [&](const QFileInfo &f) {
            return f.isFile() && copies.match(f.fileName()).hasMatch();
        });
        if (onlyCopies)
            folder.removeRecursively();
    }
}
