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

// Whether the INI text holds every key of `expected` with its value: a write
// that the disk cut short loses the keys at its end. Parsed from a file of
// its own, as QSettings keeps what it wrote to a path in memory.
bool holdsAll(const QString &copy, const QByteArray &text, const QSettings &expected)
{
    if (!saveWholeFile(copy, text).ok())
        return false;
    const QSettings check(copy, QSettings::IniFormat);
    if (check.status() != QSettings::NoError)
        return false;
    const QStringList keys = expected.allKeys();
    for (const QString &key : keys) {
        if (!check.contains(key) || check.value(key).toString() != expected.value(key).toString())
            return false;
    }
    return true;
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
        return QCoreApplication::translate(
            "SaveFile", "it holds bytes that no settings file holds");
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

// QSettings writes `old`, with the chosen values set, into staged.ini in
// `staging`: beside a copy of the old text, where it cannot harm the real
// file. *text gets what it wrote; *readsBack says whether that reads back
// whole.
SaveResult rewriteStaged(const QTemporaryDir &staging, const QByteArray &old,
    const SettingsChooser &choose, QByteArray *text, bool *readsBack)
{
    *readsBack = false;
    const QString staged = staging.filePath(QStringLiteral("staged.ini"));
    SaveResult why = saveWholeFile(staged, old);
    if (!why.ok())
        return why;
    QSettings s(staged, QSettings::IniFormat);
    const SettingValues values = choose(s);
    for (const auto &v : values)
        s.setValue(v.first, v.second);
    s.sync();
    if (s.status() != QSettings::NoError || !readWhole(staged, text, &why)
        || !holdsAll(staging.filePath(QStringLiteral("check.ini")), *text, s))
        return failure(staged, text->size(), 0,
            QCoreApplication::translate("SaveFile", "what was written did not read back whole"));
    *readsBack = true;
    return SaveResult();
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
    bool readsBack = false;
    const SaveResult why = rewriteStaged(staging, old, choose, &text, &readsBack);
    if (!why.ok())
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

SaveResult WorkLock::lock(int waitMs)
{
    const QDeadlineTimer deadline(qMax(waitMs, 0));
    for (;;) {
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
    QFileInfo info(name);
    if (!abandoned(&info))
        return false;
    // One copy removes it, and only while it is still the abandoned one: not
    // the lock another copy has made in its place meanwhile.
    QLockFile removing(name + QStringLiteral(".rmlock"));
    removing.setStaleLockTime(abandonedLockMs);
    if (!removing.tryLock(0))
        return false;
    const QDateTime judged = info.lastModified();
    return abandoned(&info) && info.lastModified() == judged && QFile::remove(name);
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

    const QString root = stagingFolder(iniFile);
    QDir(root).removeRecursively(); // a killed save's; the lock is ours
    errno = 0;
    if (!QDir().mkdir(root))
        return failure(root, old.size(), errno, QString());
    why = stageAndReplace(iniFile, root, choose, old);
    QDir(root).removeRecursively();
    return why;
}

SaveResult readableSettings(const QString &iniFile)
{
    SaveResult r;
    const QFileInfo info(iniFile);
    if (info.isDir()) {
        r.cause = SaveResult::IsFolder;
        return r;
    }
    if (!info.exists())
        return r;
    QByteArray bytes;
    if (!readWhole(iniFile, &bytes, &r)) {
        r.cause = SaveResult::Other; // its words say why it could not be read
        return r;
    }
    // A save writes printable text and line ends only.
    for (const char c : qAsConst(bytes)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') {
            r.cause = SaveResult::NotWhole;
            return r;
        }
    }
    // Every save rewrites the whole file through QSettings: tried now on a
    // copy, so that a text it cannot parse ("# note") or cannot write back
    // whole ("[Notes\]", "=1") is found at the start, not by every later
    // save. A copy of its own: QSettings parses a group only when it is read,
    // and one on a file that another in this process has read already (the
    // send window's) takes over that parse, not its error. Named apart from
    // the older builds' staging folders, which another copy's start removes.
    QTemporaryDir trial(
        QDir::tempPath() + QLatin1Char('/') + tempPrefix() + QStringLiteral("-trial-XXXXXX"));
    QByteArray text;
    bool readsBack = true;
    if (trial.isValid())
        rewriteStaged(
            trial, bytes,
            [](const QSettings &) {
                // a key of its own, as a save sets its keys: QSettings
                // writes the whole file anew
                return SettingValues { { QStringLiteral("Trial/written"), 1 } };
            },
            &text, &readsBack);
    if (!readsBack)
        r.cause = SaveResult::NotWhole;
    return r;
}

FileStamp FileStamp::of(const QString &file)
{
    const QFileInfo info(file);
    FileStamp stamp;
    stamp.exists = info.exists();
    if (stamp.exists) {
        stamp.folder = info.isDir();
        stamp.size = info.size();
        stamp.modified = info.lastModified().toMSecsSinceEpoch();
    }
    return stamp;
}

SaveResult setAsideSettings(
    const QString &iniFile, const FileStamp &judged, int lockMs, QString *movedTo)
{
    WorkLock lock(iniFile);
    const SaveResult why = lock.lock(lockMs);
    if (!why.ok())
        return why;
    // Two copies starting on one damaged file: the one that waited for the
    // lock finds the other's whole new file, which stays.
    if (!(FileStamp::of(iniFile) == judged))
        return SaveResult();
    const QString stamp = iniFile + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stamp;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stamp + QLatin1Char('-') + QString::number(n);
    errno = 0;
    if (!QDir().rename(iniFile, name)) // a file, or a folder in its place
        return failure(name, 0, errno, QString());
    *movedTo = name;
    return SaveResult();
}

void removeStaleSaves(const QString &iniFile)
{
    WorkLock lock(iniFile);
    if (!lock.lock(0).ok())
        return;
    QDir(stagingFolder(iniFile)).removeRecursively();

    // Older builds staged in a QTemporaryDir of the default name.
    const QRegularExpression folderName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(tempPrefix()) + QStringLiteral("-[A-Za-z0-9]{6}")));
    const QRegularExpression copies(QRegularExpression::anchoredPattern(
        QStringLiteral("(staged|check)\\.ini(\\.[A-Za-z0-9]{6}|\\.lock)?")));
    QDir temp(QDir::tempPath());
    const QStringList folders = temp.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
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
