#include "savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <cerrno>

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

SaveResult saveSettings(const QString &iniFile, const SettingValues &values, int lockMs)
{
    // Held for the whole save: other copies of the program, and QSettings in
    // them, wait for it.
    QLockFile lock(iniFile + QStringLiteral(".lock"));
    if (!lock.tryLock(lockMs)) {
        if (lock.error() != QLockFile::LockFailedError)
            return failure(iniFile + QStringLiteral(".lock"), 0, 0, QString());
        SaveResult r;
        r.cause = SaveResult::Locked;
        return r;
    }

    QByteArray old;
    if (QFileInfo(iniFile).isDir()) {
        SaveResult r;
        r.cause = SaveResult::IsFolder;
        return r;
    }
    SaveResult why;
    if (QFileInfo::exists(iniFile) && !readWhole(iniFile, &old, &why))
        return why;

    // QSettings writes the new text beside a copy of the old one, where it
    // cannot harm the real file; it goes in place only once it reads back whole.
    QTemporaryDir staging;
    if (!staging.isValid())
        return failure(staging.path(), old.size(), 0, staging.errorString());
    const QString staged = staging.filePath(QStringLiteral("staged.ini"));
    why = saveWholeFile(staged, old);
    if (!why.ok())
        return why;
    QByteArray text;
    {
        QSettings s(staged, QSettings::IniFormat);
        for (const auto &v : values)
            s.setValue(v.first, v.second);
        s.sync();
        if (s.status() != QSettings::NoError || !readWhole(staged, &text, &why)
            || !holdsAll(staging.filePath(QStringLiteral("check.ini")), text, s))
            return failure(staged, text.size(), 0,
                QCoreApplication::translate(
                    "SaveFile", "what was written did not read back whole"));
    }
    return saveWholeFile(iniFile, text);
}

void removeStaleSaves(const QString &iniFile)
{
    QLockFile lock(iniFile + QStringLiteral(".lock"));
    if (!lock.tryLock(0))
        return;
    const QFileInfo info(iniFile);
    const QRegularExpression temporary(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(info.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    // Qt's six random letters and digits; a name of one case of letters only
    // ("config.ini.backup") is more likely the user's own.
    const QRegularExpression random(QStringLiteral("[0-9]|[a-z].*[A-Z]|[A-Z].*[a-z]"));
    QDir folder = info.absoluteDir();
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (temporary.match(name).hasMatch() && random.match(name.right(6)).hasMatch())
            folder.remove(name);
    }
}
