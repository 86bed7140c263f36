#include "settingscheck.h"

#include "savefile_p.h"
#include "worklock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTextCodec>
#include <QThread>

#include <algorithm>
#include <cerrno>

using namespace saving;

namespace {

int setAsideDelayMs = 0;

// What QTemporaryDir names its folders after by default.
QString tempPrefix()
{
    const QString program = QCoreApplication::applicationName();
    return program.isEmpty() ? QStringLiteral("qt_temp") : program;
}

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

// A save tried on `bytes` with the values `choose` sets, on a copy in a
// folder of its own: QSettings parses a group only when it is read, and one
// on a path that another in this process has read already (the send
// window's) takes over that parse, not its error. QSettings commits a file
// cut short when the disk refuses the rest, and says nothing: a text is
// judged not whole only where there was room to spare for a rewrite of
// `sized`.
Rewrite tried(const QString &root, const QByteArray &bytes, const SettingsChooser &choose,
    const QByteArray &sized)
{
    const Rewritten r = rewriteStaged(root, bytes, choose, Staged::Trial);
    if (r.result != Rewrite::NotWhole)
        return r.result;
    return roomFor(r.folder->path(), rewriteRoom(sized)).ok() ? r.result : Rewrite::NotWritten;
}

Rewrite trySave(const QString &root, const QByteArray &bytes)
{
    // a key of its own, as a save sets its keys: QSettings writes the whole
    // file anew
    const auto trialKey = [](const QSettings &, const QByteArray &) {
        return SettingValues { { QStringLiteral("Trial/written"), 1 } };
    };
    return tried(root, bytes, trialKey, bytes);
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

SettingValues::iterator findKey(SettingValues *values, const QString &key)
{
    return std::find_if(values->begin(), values->end(),
        [&key](const QPair<QString, QVariant> &v) { return v.first == key; });
}

// Writes under `root` a whole INI file of every key that QSettings reads
// of `old` and writes back as it read it, with what `renew` picks from it.
Rewritten writeRenewed(const QString &root, const QByteArray &old, const SettingsChooser &renew)
{
    Rewritten failed;
    const auto oldFolder = stagingDir(root, old.size(), &failed.why);
    if (!oldFolder)
        return failed;
    const QString oldCopy = oldFolder->filePath(QStringLiteral("old.ini"));
    failed.why = writeCopy(oldCopy, old);
    if (!failed.why.ok())
        return failed;
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
        const SettingValues picked = renew ? renew(read, old) : SettingValues();
        for (const auto &v : picked) {
            const auto it = findKey(&kept, v.first);
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
    const auto write = [&root, &kept] {
        return rewriteStaged(
            root, QByteArray(), [&kept](const QSettings &, const QByteArray &) { return kept; },
            Staged::Kept);
    };
    Rewritten first = write();
    if (first.result != Rewrite::NotWhole)
        return first;
    for (const QString &key : first.lost) {
        const auto it = findKey(&kept, key);
        const auto alone
            = [&it](const QSettings &, const QByteArray &) { return SettingValues { *it }; };
        if (it == kept.end() || tried(root, QByteArray(), alone, key.toUtf8()) != Rewrite::NotWhole)
            return first;
        kept.erase(it);
    }
    // the first stays on the disk meanwhile, as the set-aside's other files
    return write();
}

// Sets the INI file, or a folder in its place, aside and puts a whole new
// one in its place; the lock is held. A file is copied aside, so that it
// stands until the new one replaces it. *movedTo gets where it went, also
// when no new one could be put in its place.
SaveResult replaceSetAside(const QString &iniFile, const QString &root, const QByteArray &old,
    bool folder, const SettingsChooser &renew, QString *movedTo)
{
    // as a save would not replace it
    SaveResult why = refuseReadOnly(iniFile);
    if (!why.ok())
        return why;
    const Rewritten renewed = writeRenewed(root, old, renew);
    if (renewed.result != Rewrite::Whole)
        return renewed.why;
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
    why = renameOver(renewed.file, iniFile, renewed.size);
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
    const SaveResult noRoot = root.why(old.size());
    if (!noRoot.ok()) {
        if (!check.found.ok())
            check.asideWhy = noRoot;
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
