#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

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
        Other
    };
    Cause cause = Saved;
    QString detail; // the system's words, for Other
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

// Removes the temporary files that a save killed midway left beside the INI
// file ("config.ini.XXXXXX"); not while another save holds its lock.
void removeStaleSaves(const QString &iniFile);
