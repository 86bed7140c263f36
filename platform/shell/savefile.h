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
        NotWhole, // holds what no save writes: saving over it would fail for good
        NotLockFile, // something else stands where a lock file goes
        NotOurFolder, // a link or a file stands where a folder of the program's own goes
        Other
    };
    Cause cause = Saved;
    // the system's words, for Other; the path, for NotLockFile and
    // NotOurFolder; the line's text, for NotWhole with a line
    QString detail;
    int line = 0; // NotWhole: the first line that does not read back (from 1)
    bool ok() const { return cause == Saved; }
};

// The cause in the user's words, in the interface language.
QString describeFailure(const SaveResult &result);

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
    // long; NotLockFile at once when a folder stands in its place; else why
    // the lock file cannot be made.
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

// Replaces `file` with `bytes`, or leaves it as it was.
SaveResult saveWholeFile(const QString &file, const QByteArray &bytes);

using SettingValues = QList<QPair<QString, QVariant>>;

// Sets the keys in the INI file, keeping every other key it holds. Waits at
// most lockMs for the file's lock (QSettings alone would wait for ever).
SaveResult saveSettings(const QString &iniFile, const SettingValues &values, int lockMs);

// As saveSettings, with the values chosen from the file as it stands while the
// lock is held, so that what another copy of the program saved is seen. The
// chooser is not called when the file cannot be had (locked, a folder, unreadable).
// Its QSettings stands on a copy of the file as it was found: its fileName()
// reads those bytes.
using SettingsChooser = std::function<SettingValues(const QSettings &stored)>;
SaveResult updateSettings(const QString &iniFile, const SettingsChooser &choose, int lockMs);

// What the start found of the INI file, and what it did about it.
struct SettingsCheck
{
    // Saved when it reads back whole, does not exist or could not be
    // judged (no room for a trial beside it); NotWhole when it holds what no
    // save writes: binary bytes, a tail of NULs, a line QSettings cannot
    // parse or write back (`line` tells the first); IsFolder; else why it
    // cannot be read.
    SaveResult found;
    // Where one found NotWhole or IsFolder went: "<file>.unreadable-<date
    // and time>", a name that nothing of the program removes. A whole new
    // file holding every key that could be read of it, and what the renew
    // chooser picked from it, stands in its place, unless asideWhy says why
    // none could be put there.
    QString setAside;
    SaveResult asideWhy; // why it could not be set aside or replaced
};

// Judges the INI file where it lives, by a save tried beside it, and sets
// one that does not read back whole aside: the old bytes copied aside and a
// whole new file put in its place in one hold of its lock, so that another
// copy of the program never finds it missing nor a lower serial in it.
// `renew` picks, from the old file, values that the new one holds over what
// QSettings could read of it.
SettingsCheck checkSettings(
    const QString &iniFile, int lockMs, const SettingsChooser &renew = SettingsChooser());

// Tests: a slow disk, in the hold that sets the INI file aside.
void setSetAsideDelay(int ms);

// Removes what a save or a start's check killed midway left: its staging
// folder beside the INI file, and the staging and trial folders of older
// builds in the temporary folder ("<program>-XXXXXX", "<program>-trial-XXXXXX"
// holding only their two INI copies). Not while another
// save holds the lock. Nothing else beside the INI file is touched: it may be
// the user's own copy; nor is anything reached through a link.
void removeStaleSaves(const QString &iniFile);
