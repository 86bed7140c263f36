#include "cutjob.h"

#include "cdroperate.h"
#include "cuttergeometry.h"
#include "hpgltool.h"
#include "jobformat.h"
#include "savefile.h"
#include "textfile.h"
#include "worklock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace {

bool hasSegments(const QList<CutPath> &paths)
{
    return std::any_of(
        paths.begin(), paths.end(), [](const CutPath &p) { return !p.lines.isEmpty(); });
}

using Exporter = bool (CdrOperate::*)(QString);

// HPGL may end without a final ";" (plotting programs often leave it off), so
// only an ending that no whole command has counts as cut short (the disk
// filled while the host wrote): a list that stops at its separator, or a move
// whose last pair lost its second number.
bool cutShort(const QString &text)
{
    int end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    if (end == 0 || text.at(end - 1) == QLatin1Char(';'))
        return false;
    if (text.at(end - 1) == QLatin1Char(','))
        return true;
    int start = end;
    while (start > 0 && !text.at(start - 1).isLetter() && text.at(start - 1) != QLatin1Char(';'))
        --start;
    if (start < 2 || !text.at(start - 1).isLetter())
        return false;
    const QString command = text.mid(start - 2, 2).toUpper();
    if (command != QLatin1String("PD") && command != QLatin1String("PU")
        && command != QLatin1String("PA"))
        return false;
    const QStringList numbers
        = text.mid(start, end - start)
              .split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
    return numbers.size() % 2 == 1;
}

QString fileName(const QString &file)
{
    return QDir::toNativeSeparators(file);
}

// One export, read back; empty when the host was not asked for one.
QString exportAndRead(CdrOperate &op, Exporter exporter, const QString &scratch, QString *problem)
{
    QFile::remove(scratch);
    const QFileInfo left(scratch);
    if (left.exists() || left.isSymLink()) {
        *problem = QCoreApplication::translate("CutJob",
            "The scratch file %1 could not be removed, so a new export could not be told from "
            "the last one. Nothing was cut or saved.")
                       .arg(fileName(scratch));
        return QString();
    }
    if (!(op.*exporter)(scratch))
        return QString();
    if (!QFileInfo::exists(scratch)) {
        *problem = QCoreApplication::translate(
            "CutJob", "The host did not write its export to %1. Nothing was cut or saved.")
                       .arg(fileName(scratch));
        return QString();
    }
    const QString text = readFile(scratch);
    if (cutShort(text)) {
        *problem = QCoreApplication::translate("CutJob",
            "The host's export in %1 was cut short: it ends in the middle of a command. "
            "Nothing was cut or saved.")
                       .arg(fileName(scratch));
        return QString();
    }
    return text;
}

} // namespace

CutJobPaths readCutJob(CdrOperate &op, CutMode cutMode, const QList<QPoint> &marks,
    const QString &scratch, const CutOptions &options, PipelineEnd end, QString *problem)
{
    QString ignored;
    QString &said = problem ? *problem : ignored;
    said.clear();
    CutJobInput input;
    input.cutMode = cutMode;
    input.markCentres = marks;
    // Other copies of the program export into the same scratch file: one at
    // a time, from the first export to the last read-back, or one would read
    // the other's paths.
    WorkLock scratchLock(scratch);
    const SaveResult locked = scratchLock.lock(scratchLockMs);
    if (!locked.ok()) {
        said = QCoreApplication::translate(
            "CutJob", "The scratch file %1 could not be used: %2. Nothing was cut or saved.")
                   .arg(fileName(scratch), describeFailure(locked));
        return CutJobPaths();
    }
    if (cutMode == CutMode::ByPathAndMarks) {
        input.creasingHpgl = exportAndRead(op, &CdrOperate::exportCreasingLayerPlt, scratch, &said);
        if (said.isEmpty())
            input.cuttingHpgl
                = exportAndRead(op, &CdrOperate::exportCuttingLayerPlt, scratch, &said);
    } else {
        input.cuttingHpgl = exportAndRead(op, &CdrOperate::exportPrintablePlt, scratch, &said);
    }
    scratchLock.unlock();
    if (!said.isEmpty())
        return CutJobPaths();
    input.pageHeight = op.pageHeight();
    return runCutPipeline(std::move(input), options, end);
}

bool nothingToCut(const CutJobPaths &paths)
{
    return !hasSegments(paths.creasing) && !hasSegments(paths.cutting);
}

QString nothingToCutText()
{
    return QCoreApplication::translate("CutJob", "No Cutting Paths!");
}

PageSize readPageSize(CdrOperate &op)
{
    // one statement each: the host is asked in this order
    PageSize page;
    page.height = op.pageHeight();
    page.width = op.pageWidth();
    return page;
}

QString cutJobText(const CutJobPaths &paths, CutMode cutMode, JobUse use,
    const QList<QPoint> &marks, const PageSize &page, double dash, double gap)
{
    HpglTool tool;
    const bool window = use == JobUse::Send || use == JobUse::SendSave;
    switch (cutMode) {
    case CutMode::DirectlyCut:
        return window ? tool.writePensDashed(paths.cutting, dash, gap)
                      : tool.writePens(paths.cutting);
    case CutMode::ByPathAndMarks: {
        if (marks.isEmpty())
            return QString();
        // the header's sizes run from the first to the last mark, y first
        const QPoint first = marks.first(), last = marks.last();
        const int dy = CutterGeometry::clampToInt(qint64(last.y()) - first.y());
        const int dx = CutterGeometry::clampToInt(qint64(last.x()) - first.x());
        // The cutting body is the bulk of the job: what goes before it is
        // put in front of it in place, not joined into a second copy.
        const bool qr = use == JobUse::QrFile;
        QString text
            = qr ? tool.writePen2(paths.cutting) : tool.writePen2Dashed(paths.cutting, dash, gap);
        text.prepend(jobHeader(dy, dx, qr ? JobKind::QrJob : JobKind::PathAndMarks)
            + tool.writePen1(paths.creasing));
        return text;
    }
    case CutMode::BlankPaper: {
        QString text = window ? tool.writePen2Dashed(paths.cutting, dash, gap)
                              : tool.writePens(paths.cutting);
        if (use != JobUse::Send)
            text.prepend(jobHeader(page.height, page.width, JobKind::BlankPaper));
        return text;
    }
    default:
        return QString();
    }
}

bool writeJobFile(const QString &file, const QString &text, SaveResult *why)
{
    // A half-written job would be cut as far as it goes.
    const SaveResult saved = saveWholeFile(file, text.toUtf8());
    if (why)
        *why = saved;
    return saved.ok();
}
