#pragma once

#include <QByteArray>
#include <QList>
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

// Replaces `file` with `bytes`, or leaves it as it was.
SaveResult saveWholeFile(const QString &file, const QByteArray &bytes);

using SettingValues = QList<QPair<QString, QVariant>>;

// Sets the keys in the INI file, keeping every other key it holds. Waits at
// most lockMs for the file's lock (QSettings alone would wait for ever).
SaveResult saveSettings(const QString &iniFile, const SettingValues &values, int lockMs);

// As saveSettings, with the values chosen from the file as it stands while the
// lock is held, so that what another copy of the program saved is seen. The
// chooser is not called when the file cannot be had (locked, a folder, unreadable).
// It gets the file as QSettings reads it and its bytes as they were found.
using SettingsChooser
    = std::function<SettingValues(const QSettings &stored, const QByteArray &bytes)>;
SaveResult updateSettings(const QString &iniFile, const SettingsChooser &choose, int lockMs);
