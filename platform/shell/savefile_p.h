#pragma once

// What the saves, the work-file locks and the start's check of the settings
// file share; for this folder's own files only.

#include "savefile.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace saving {

// Why writing `bytes` to `file` failed: from the system's error code `err`
// where it survives the failing call, else from the file's and the volume's
// state; `said` gives the words where there is no code.
SaveResult failure(const QString &file, qint64 bytes, int err, const QString &said);

bool readWhole(const QString &file, QByteArray *bytes, SaveResult *why);

// A copy that only a check reads: written whole, without waiting for the disk.
SaveResult writeCopy(const QString &file, const QByteArray &bytes);

// Refuses a file that may not be written: renamed over, a read-only file
// would be replaced all the same. A folder or nothing at `file` passes.
SaveResult refuseReadOnly(const QString &file);

// Puts `from` in the place of `to` in one step, on the same volume.
SaveResult renameOver(const QString &from, const QString &to, qint64 bytes);

// The staging folder beside the INI file: a fixed name of the program's own,
// used only while a save holds the lock, so that what a save killed midway
// leaves is known for certain by it.
QString stagingFolder(const QString &iniFile);

// Removes `path`, a folder of the program's own, with what it holds. A
// link there (to a folder of the user's, whose files the removal would
// reach), a junction on Windows, or a file, is left as it is and told.
SaveResult clearOwnFolder(const QString &path);

// The staging folder, made afresh for one hold of the lock (what a killed
// save left goes first) and removed with it.
class StagingRoot
{
public:
    explicit StagingRoot(const QString &iniFile);
    ~StagingRoot();
    StagingRoot(const StagingRoot &) = delete;
    StagingRoot &operator=(const StagingRoot &) = delete;
    // why it could not be made, judged for a file of `bytes`
    SaveResult why(qint64 bytes) const;

    const QString path;

private:
    SaveResult notOurs;
    bool made = false;
    int err = 0;
};

// A folder of its own under the staging root for one file that QSettings
// reads: it keeps what it read from a path in memory, and would take a new
// file of the same size and time for the old one. Null, and *why says why,
// when it cannot be made.
std::unique_ptr<QTemporaryDir> stagingDir(const QString &root, qint64 bytes, SaveResult *why);

enum class Rewrite
{
    Whole,
    NotWhole, // written, and it does not read back whole
    NotWritten, // the disk took less than was written: nothing is judged
};

enum class Staged
{
    Kept, // synced to disk: it may be put in the INI file's place
    Trial, // only judged: not synced
};

// A rewrite and the folder it stands in, which goes with it.
struct Rewritten
{
    Rewrite result = Rewrite::NotWritten;
    SaveResult why; // why it is not whole
    QStringList lost; // NotWhole: the keys it lost
    QString file; // the text written, as it was checked
    qint64 size = 0;
    std::unique_ptr<QTemporaryDir> folder;
};

// QSettings writes `old`, with the chosen values set, into a folder of its
// own under `root`: beside a copy of the old text, where it cannot harm the
// real file; then it is read back and checked.
Rewritten rewriteStaged(
    const QString &root, const QByteArray &old, const SettingsChooser &choose, Staged staged);

} // namespace saving
