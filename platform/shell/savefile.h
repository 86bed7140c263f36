#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QLockFile>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>

class QSettings;

// Every file the program writes goes through here, so that a full disk, a
// read-only folder or a kill midway never leaves a file empty or half
// written: a file is replaced whole or left as it was, and a failure says why.

struct SaveResult
{
    enum Cause
    {
        Saved,
        Locked, // another program holds the settings file's lock
        IsFolder,
        ReadOnly,
        DiskFull,
        NameTooLong,
        NotWhole, // holds bytes that no save writes: saving over it would fail for good
        Other
    };
    Cause cause = Saved;
    QString detail; // the system's words, for Other
    bool ok() const { return cause == Saved; }
};

// The cause in the user's words, in the interface language.
QString describeFailure(const SaveResult &result);

// A lock on a file of the work folder that every copy of the program takes
// before it uses the file: "<file>.lock" beside it. A live holder keeps it
// however long it holds it; a holder that no longer runs gives it up: a lock
// naming a process that is gone is taken over at once, an empty one (a copy
// killed while it made the lock) once it is abandonedLockMs old.
class WorkLock
{
public:
    explicit WorkLock(const QString &file);
    ~WorkLock();
    WorkLock(const WorkLock &) = delete;
    WorkLock &operator=(const WorkLock &) = delete;

    // Waits at most waitMs: Saved; Locked when another holder keeps it that
    // long; else why the lock file cannot be made.
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

// Replaces `file` with `bytes`, or leaves it as it was.
SaveResult saveWholeFile(const QString &file, const QByteArray &bytes);

using SettingValues = QList<QPair<QString, QVariant>>;

// Sets the keys in the INI file, keeping every other key it holds. Waits at
// most lockMs for the file's lock (QSettings alone would wait for ever).
SaveResult saveSettings(const QString &iniFile, const SettingValues &values, int lockMs);

// As saveSettings, with the values chosen from the file as it stands while the
// lock is held, so that what another copy of the program saved is seen. The
// chooser is not called when the file cannot be had (locked, a folder, unreadable).
using SettingsChooser = std::function<SettingValues(const QSettings &stored)>;
SaveResult updateSettings(const QString &iniFile, const SettingsChooser &choose, int lockMs);

// Whether the INI file can be read as it stands: Saved when it can or does not
// exist, NotWhole when it holds what no save writes (binary bytes, a tail of
// NULs left by a crash), else why it cannot be read.
SaveResult readableSettings(const QString &iniFile);

// A file as it stood at one moment; another program that replaces it
// changes the stamp.
struct FileStamp
{
    bool exists = false;
    bool folder = false;
    qint64 size = -1;
    qint64 modified = 0; // ms since the epoch
    static FileStamp of(const QString &file);
    bool operator==(const FileStamp &o) const
    {
        return exists == o.exists && folder == o.folder && size == o.size && modified == o.modified;
    }
};

// Renames the INI file, or a folder in its place, to
// "<file>.unreadable-<date and time>": a name that says why, and that nothing
// of the program removes. *movedTo gets it. `judged` is the file as it was
// found unreadable: one that changed before the lock was had (another copy
// put a new one in its place) is left, and *movedTo stays empty.
SaveResult setAsideSettings(
    const QString &iniFile, const FileStamp &judged, int lockMs, QString *movedTo);

// Removes what a save killed midway left: its staging folder beside the INI
// file, and the staging folders of older builds in the temporary folder
// ("<program>-XXXXXX" holding only their two INI copies). Not while another
// save holds the lock. Nothing else beside the INI file is touched: it may be
// the user's own copy.
void removeStaleSaves(const QString &iniFile);
