#include "pluginmw.h"

#include "cdroperate.h"
#include "cutjob.h"
#include "dialogs.h"
#include "panellists.h"
#include "process.h"
#include "releasedate.h"
#include "savefile.h"
#include "ui_pluginmw.h"
#include "workfolder.h"

#include <QDir>

namespace {
// An action's button stays disabled for as long as the action runs.
class ButtonHold
{
public:
    explicit ButtonHold(QAbstractButton *button)
        : button(button)
    {
        button->setEnabled(false);
    }
    ~ButtonHold() { button->setEnabled(true); }
    ButtonHold(const ButtonHold &) = delete;
    ButtonHold &operator=(const ButtonHold &) = delete;

private:
    QAbstractButton *button;
};
} // namespace

std::unique_ptr<CdrOperate> PluginMW::openHost(QAbstractButton *button)
{
    std::unique_ptr<CdrOperate> op(new CdrOperate(ui->useCDRVersion->currentText()));
    if (!op->isConnected()) {
        button->setEnabled(true);
        warn(tr("Please Confirm CorelDraw Installations and Choose Correct CorelDraw Version..."));
        return nullptr;
    }
    op->setLayerNames(ui->language->text());
    return op;
}

void PluginMW::warn(const QString &text)
{
    dialogs::warning(this, tr("Warning"), text, QMessageBox::Ok);
}

void PluginMW::on_genMark_clicked()
{
    const auto shape = MarkShape(ui->markSelect->currentIndex());
    const bool useQRCode = ui->useQRCode->isChecked();
    const bool countsSerial = shape == MarkShape::Circle && useQRCode;
    const int last = ui->qrCodeStr->maximum();
    const QString atTop = tr("The QR serial number has reached %1 and cannot count further.");
    // Looked up before config.ini's lock is taken, which is then held only
    // while the file is read and written: a job filed meanwhile carries a
    // number stored under that lock, so none is missed.
    const int filed = countsSerial ? highestFiledSerial() : 0;
    // Counting past the top would label this sheet with the last one's number.
    if (countsSerial && peekSerial(filed) > last) {
        warn(atTop.arg(last));
        return;
    }
    ButtonHold hold(ui->genMark);
    std::unique_ptr<CdrOperate> op = openHost(ui->genMark);
    if (!op)
        return;
    // The label gets a number that config.ini holds before the host draws
    // it: no other copy, and no later start, hands it out again. One that
    // cannot be stored is not drawn.
    if (countsSerial) {
        SaveResult stored;
        const int next = takeSerial(filed, &stored);
        if (!stored.ok() || next > last) {
            op.reset();
            warn(stored.ok() ? atTop.arg(last) : serialNotSavedText(stored));
            return;
        }
        ui->qrCodeStr->setValue(next);
    }

    int C = 0, M = 0, Y = 0, K = 100;
    const auto colour = MarkColour(ui->markColor->currentIndex());
    if (colour == MarkColour::Red) {
        M = 100;
        Y = 100;
        K = 0;
    } else if (colour == MarkColour::White) {
        K = 0;
    }
    const bool byFigure = ui->byFigure->isChecked();
    const double top = ui->topRev->value() / mmPerInch;
    const double left = ui->leftRev->value() / mmPerInch;
    const double right = ui->rightRev->value() / mmPerInch;
    const double bottom = ui->bottomRev->value() / mmPerInch;
    const bool isSegment = ui->isSegment->isChecked();
    const double segLength = ui->ySegLength->value() / mmPerInch;
    if (shape == MarkShape::Cross || shape == MarkShape::RightAngle) {
        const double w = ui->markWidth->value() / mmPerInch;
        const double h = ui->markHeight->value() / mmPerInch;
        const double weight = ui->markWeight->value() / mmPerInch;
        const auto gen = shape == MarkShape::Cross
            ? (byFigure ? &CdrOperate::genCrossMarkByFigure : &CdrOperate::genCrossMarkByPage)
            : (byFigure ? &CdrOperate::genRtAngleMarkByFigure : &CdrOperate::genRtAngleMarkByPage);
        ((*op).*gen)(top, left, right, bottom, w, h, weight, isSegment, segLength, C, M, Y, K);
    } else if (shape == MarkShape::Circle) {
        const auto gen
            = byFigure ? &CdrOperate::genCircleMarkByFigure : &CdrOperate::genCircleMarkByPage;
        ((*op).*gen)(top, left, right, bottom, ui->markDiameter->value() / mmPerInch, isSegment,
            segLength, useQRCode, ui->isInkJet->isChecked(),
            double(ui->qrCodeSize->value()) / mmPerInch, ui->qrCodeStr->value(), C, M, Y, K);
    }
    const QString labelProblem = op->labelProblem;
    op.reset();
    if (!labelProblem.isEmpty())
        warn(labelProblem);

    // Marks without a label store the serial as it stands.
    if (useQRCode && !countsSerial) {
        const SaveResult saved = saveSerial();
        if (!saved.ok())
            warn(serialNotSavedText(saved));
    }
}

QString PluginMW::serialNotSavedText(const SaveResult &why) const
{
    return tr("Could not save the QR serial number to %1: %2.")
        .arg(QDir::toNativeSeparators(settingsFile()), describeFailure(why));
}

void PluginMW::on_genOutline_clicked()
{
    ButtonHold hold(ui->genOutline);
    std::unique_ptr<CdrOperate> op = openHost(ui->genOutline);
    if (!op)
        return;
    switch (OutlineAction(ui->outlineSelect->currentIndex())) {
    case OutlineAction::LayerOnly:
        op->createCuttingLayer();
        break;
    case OutlineAction::Boundary:
        op->createBoundary();
        break;
    case OutlineAction::Contour:
        op->createContour();
        break;
    default:
        break;
    }
    if (ui->genCrease->isChecked())
        op->createCreasingLayer();
}

void PluginMW::on_setPrint_clicked()
{
    ButtonHold hold(ui->setPrint);
    std::unique_ptr<CdrOperate> op = openHost(ui->setPrint);
    if (!op)
        return;
    const auto print = PrintAction(ui->printSelect->currentIndex());
    if (print == PrintAction::Print) {
        op->printDocument();
    } else if (print == PrintAction::Pdf) {
        const QString file = dialogs::getSaveFileName(
            this, tr("SavePDF"), QString(), tr("PDF File(*.pdf);;All File(*.*)"));
        if (!file.isEmpty())
            op->publishPdf(file);
    }
}

void PluginMW::on_setCut_clicked()
{
    const FreeMemoryAtEnd giveBack; // the export's text and what the pipeline let go
    ButtonHold hold(ui->setCut);
    std::unique_ptr<CdrOperate> op = openHost(ui->setCut);
    if (!op)
        return;
    const auto mode = CutMode(ui->cutSelect->currentIndex());
    QList<QPoint> marks;
    if (mode == CutMode::ByPathAndMarks) {
        marks = op->markCentres();
        if (marks.isEmpty())
            return;
    }
    sendMW.dropPreview();
    QString problem;
    const CutJobPaths paths = readCutJob(
        *op, mode, marks, tempPltPath, CutOptions(), PipelineEnd::AfterTranslate, &problem);
    if (!problem.isEmpty()) {
        warn(problem);
        return;
    }
    sendMW.setData(ui->useCDRVersion->currentText(), ui->language->text(), mode,
        ui->posLen->value(), ui->negLen->value(), paths.both(), marks);
    op.reset();
    sendMW.showNormal();
    sendMW.raise();
}

void PluginMW::on_saveFile_clicked()
{
    const FreeMemoryAtEnd giveBack;
    ButtonHold hold(ui->saveFile);
    std::unique_ptr<CdrOperate> op = openHost(ui->saveFile);
    if (!op)
        return;
    const auto mode = CutMode(ui->cutSelect->currentIndex());
    QList<QPoint> marks;
    QString qrName;
    if (mode == CutMode::ByPathAndMarks) {
        marks = op->markCentres();
        if (marks.isEmpty())
            return;
        qrName = op->qrJobName();
        // The name comes from a layer name anyone can edit.
        if (!qrName.isEmpty() && !CdrOperate::isSafeJobName(qrName)) {
            warn(tr("The QR job name \"%1\" cannot be used as a file name.").arg(qrName));
            return;
        }
    }

    QString problem;
    const CutJobPaths paths = readCutJob(
        *op, mode, marks, tempPltPath, sendMW.cutOptions(), PipelineEnd::Finished, &problem);
    if (!problem.isEmpty()) {
        warn(problem);
        return;
    }
    if (nothingToCut(paths)) {
        warn(nothingToCutText());
        return;
    }

    // The QR job controller looks a labelled job up by the label's number.
    const JobUse use = qrName.isEmpty() ? JobUse::FileSave : JobUse::QrFile;
    const PageSize page = mode == CutMode::BlankPaper ? readPageSize(*op) : PageSize();
    const QString text = cutJobText(paths, mode, use, marks, page, ui->posLen->value() * unitsPerMm,
        ui->negLen->value() * unitsPerMm);
    QString file;
    if (use == JobUse::QrFile)
        file = qrJobsPath + qrName + QStringLiteral(".plt");
    if (file.isEmpty()) {
        file = dialogs::getSaveFileName(
            this, tr("SavePlt"), QString(), tr("HPGL File(*.plt);;All File(*.*)"));
        if (file.isEmpty())
            return;
    }
    SaveResult why;
    if (!writeJobFile(file, text, &why))
        warn(tr("Could not write %1: %2.")
                 .arg(QDir::toNativeSeparators(file), describeFailure(why)));
}

void PluginMW::on_qrCodeCtrl_clicked()
{
    qrCodeMW.showNormal();
    qrCodeMW.raise();
}

void PluginMW::on_aboutBtn_clicked()
{
    const QString date = releaseDate(QStringLiteral(__DATE__));
    dialogs::information(this, tr("Vemo"),
        tr("      Release Date:%1\n"
           "https://www.vemo-cut.example\n"
           "Vemo Print & Cut Systems")
            .arg(date),
        QMessageBox::Ok);
}
