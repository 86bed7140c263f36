#include "savefile.h"

#include "savefile_p.h"
#include "worklock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStorageInfo>

#include <cerrno>
#include <cstdio>
#include <system_error>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX // keeps std::min and std::max usable
#endif
#include <windows.h>
#endif

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

} // namespace

namespace saving {

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

SaveResult refuseReadOnly(const QString &file)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isDir() && !info.isWritable())
        return failure(file, 0, EACCES, QString());
    return SaveResult();
}

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

QString stagingFolder(const QString &iniFile)
{
    return iniFile + QStringLiteral(".saving");
}

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
    // a link, or a junction that reads as a plain folder: its real path lies
    // elsewhere (a dangling link has none)
    const bool plain = info.isDir()
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

StagingRoot::StagingRoot(const QString &iniFile)
    : path(stagingFolder(iniFile))
{
    notOurs = clearOwnFolder(path);
    if (!notOurs.ok())
        return;
    errno = 0;
    made = QDir().mkdir(path);
    err = errno;
}

StagingRoot::~StagingRoot()
{
    if (made)
        QDir(path).removeRecursively();
}

SaveResult StagingRoot::why(qint64 bytes) const
{
    if (!notOurs.ok())
        return notOurs;
    return made ? SaveResult() : failure(path, bytes, err, QString());
}

std::unique_ptr<QTemporaryDir> stagingDir(const QString &root, qint64 bytes, SaveResult *why)
{
    const QString pattern = root + QStringLiteral("/XXXXXX");
    auto dir = std::make_unique<QTemporaryDir>(pattern);
    if (dir->isValid())
        return dir;
    *why = failure(pattern, bytes, 0, dir->errorString());
    return nullptr;
}

Rewritten rewriteStaged(
    const QString &root, const QByteArray &old, const SettingsChooser &choose, Staged staged)
{
    Rewritten r;
    r.folder = stagingDir(root, old.size(), &r.why);
    if (!r.folder)
        return r;
    r.file = r.folder->filePath(QStringLiteral("staged.ini"));
    r.why = staged == Staged::Trial ? writeCopy(r.file, old) : saveWholeFile(r.file, old);
    if (!r.why.ok())
        return r;
    QSettings s(r.file, QSettings::IniFormat);
    const SettingValues values = choose(s, old);
    for (const auto &v : values)
        s.setValue(v.first, v.second);
    s.sync();
    QByteArray text;
    const auto fail = [&](Rewrite result) {
        r.result = result;
        r.why = failure(r.file, text.size(), 0,
            QCoreApplication::translate("SaveFile", "what was written did not read back whole"));
    };
    // the first error sticks: a text it could not parse, else a write refused
    if (s.status() == QSettings::FormatError) {
        fail(Rewrite::NotWhole);
        return r;
    }
    SaveResult read;
    const QString check = r.folder->filePath(QStringLiteral("check.ini"));
    if (s.status() != QSettings::NoError || !readWhole(r.file, &text, &read)
        || !writeCopy(check, text).ok()) {
        fail(Rewrite::NotWritten);
        return r;
    }
    if (!holdsAll(check, s, &r.lost)) {
        fail(Rewrite::NotWhole);
        return r;
    }
    r.result = Rewrite::Whole;
    r.size = text.size();
    return r;
}

} // namespace saving

using namespace saving;

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
            return QCoreApplication::translate("SaveFile", "line %1, \"%2\"")
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
// The save itself, inside the staging folder `root`; the lock is held.
SaveResult stageAndReplace(const QString &iniFile, const QString &root,
    const SettingsChooser &choose, const QByteArray &old)
{
    const Rewritten staged = rewriteStaged(root, old, choose, Staged::Kept);
    if (staged.result != Rewrite::Whole)
        return staged.why;
    // it holds just the text that was checked
    return renameOver(staged.file, iniFile, staged.size);
}
} // namespace

SaveResult saveSettings(const QString &iniFile, const SettingValues &values, int lockMs)
{
    return updateSettings(
        iniFile, [&values](const QSettings &, const QByteArray &) { return values; }, lockMs);
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
    why = refuseReadOnly(iniFile);
    if (!why.ok())
        return why;
    QByteArray old;
    if (info.exists() && !readWhole(iniFile, &old, &why))
        return why;

    const StagingRoot root(iniFile);
    why = root.why(old.size());
    return why.ok() ? stageAndReplace(iniFile, root.path, choose, old) : why;
}
