#include "qrcodemw.h"

#include "buttonlook.h"
#include "cutterfirmware.h"
#include "cuttergeometry.h"
#include "cutterprotocol.h"
#include "devicelist.h"
#include "dialogs.h"
#include "hpgltool.h"
#include "jobformat.h"
#include "joblink.h"
#include "jobname.h"
#include "jobwindow.h"
#include "process.h"
#include "textfile.h"
#include "ui_qrcodemw.h"
#include "units.h"
#include "windowlanguage.h"
#include "workfolder.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

// Larger sizes are no sheet (100 m); the bound also keeps the feed in range.
const int MaxJobUnits = 4000000;

QString &calibrationJobOverride()
{
    static QString path;
    return path;
}

// One reading of the camera: the mark's deviation from the image centre, mm.
struct MarkReading
{
    bool ok = false;
    double ex = 0;
    double ey = 0;
};

// "X=x,Y=y,D=d;": the letters and "=" are dropped wherever they stand, then x
// ends at the first ",", y at the second and d at the ";" after it. Only a
// complete reading of a mark in view, within 5 mm of the centre, is taken.
MarkReading readMark(QString reply)
{
    reply.remove(QLatin1Char('X')).remove(QLatin1Char('Y')).remove(QLatin1Char('D'));
    reply.remove(QLatin1Char('='));
    double v[3] = { 0, 0, 0 };
    bool numeric[3] = { false, false, false };
    int field = 0;
    QString buffer;
    for (const QChar c : qAsConst(reply)) {
        if ((field < 2 && c == QLatin1Char(',')) || (field == 2 && c == QLatin1Char(';'))) {
            v[field] = buffer.toDouble(&numeric[field]);
            buffer.clear();
            if (++field == 3)
                break;
        } else {
            buffer += c;
        }
    }
    MarkReading m;
    const double x = v[0], y = v[1], d = v[2];
    if (field < 3 || !numeric[0] || !numeric[1] || !numeric[2] || !std::isfinite(x)
        || !std::isfinite(y) || !std::isfinite(d) || !(d > 0))
        return m;
    const double k = 5.0 / d * 0.5;
    m.ex = (x - CutterFirmware::cameraCentreX) * k;
    m.ey = (y - CutterFirmware::cameraCentreY) * k;
    m.ok = std::isfinite(m.ex) && std::isfinite(m.ey) && m.ex >= -5 && m.ex <= 5 && m.ey >= -5
        && m.ey <= 5;
    return m;
}

} // namespace

QRCodeMW::QRCodeMW(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::QRCodeMW)
    , qrDir(qrJobsFolder())
{
    ui->setupUi(this);
    placeJobWindow(this, tr("QR Code Controller"));
    greyWhenDisabled(ui->startBtn);
    routeDeviceNotices(this, &QRCodeMW::nativeEvent);
    updateControls();
}

QRCodeMW::~QRCodeMW()
{
    delete ui;
}

QString QRCodeMW::calibrationJobPath()
{
    const QString &path = calibrationJobOverride();
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/CIR.plt")
                          : path;
}

void QRCodeMW::setCalibrationJobPath(const QString &path)
{
    calibrationJobOverride() = path;
}

void QRCodeMW::showEvent(QShowEvent *)
{
    refreshMachineNames(ui->machineName, usbOperate.deviceList(), false);
}

bool QRCodeMW::nativeEvent(const QByteArray &eventType, void *message, long *)
{
    if (isDeviceChangeMessage(eventType, message))
        refreshMachineNames(ui->machineName, usbOperate.deviceList(), false);
    return false;
}

void QRCodeMW::changeLanguage(QString language)
{
    retranslateWindow(language, [this] { ui->retranslateUi(this); });
}

void QRCodeMW::setStatus(const QString &text)
{
    ui->currState->setText(text);
}

void QRCodeMW::setRunCaption(bool running)
{
    ui->startBtn->setText(running ? tr("Stop") : tr("Start"));
    showRunLook(ui->startBtn, running);
}

bool QRCodeMW::sizesUsable() const
{
    return fileHeight > 0 && fileWidth > 0 && fileHeight <= MaxJobUnits && fileWidth <= MaxJobUnits;
}

// Runs, calibration and the light exclude one another; a stop pressed once
// stays pressed until the run has ended.
void QRCodeMW::updateControls()
{
    const bool idle = activity == Idle;
    ui->startBtn->setEnabled((activity == Running && !stopping) || (idle && sizesUsable()));
    ui->autoOffset->setEnabled(idle);
    ui->lightSld->setEnabled(idle);
    // a size picked mid-run would reach the next sheet unchecked
    ui->selectFile->setEnabled(activity != Running);
}

void QRCodeMW::refuseBusy()
{
    dialogs::warning(
        this, tr("Warning"), tr("The Cutter Is Busy With A Job From The Other Window!"));
}

void QRCodeMW::on_selectFile_clicked()
{
    if (activity == Running)
        return;
    const QString path = dialogs::getOpenFileName(
        this, tr("Please Select A File to Get the Size"), qrDir, QStringLiteral("pltfile(*.plt)"));
    if (path.isEmpty())
        return;
    ui->selectFile->setText(tr("Changed File"));
    ui->selectFile->setToolTip(path);
    const JobSize size = readJobSize(readFile(path));
    fileHeight = size.height;
    fileWidth = size.width;
    ui->fileHeight->setText(tr("<font color=blue>File Height: ") + QString::number(fileHeight));
    ui->fileWidth->setText(tr("<font color=blue>File Width: ") + QString::number(fileWidth));
    // Start stays greyed without a usable size; the status must not invite it
    setStatus(sizesUsable() ? tr("<font color=blue>Size is Acquired, Press Start.")
                            : tr("<font color=red>The File Holds No Job Size!"));
    updateControls();
}

void QRCodeMW::on_openQRPath_clicked()
{
    // the desktop's own file opener, with the folder as one argument
#ifdef Q_OS_WIN
    const bool started
        = startDetachedProgram(QStringLiteral("explorer"), { QDir::toNativeSeparators(qrDir) });
#else
    const bool started = startDetachedProgram(QStringLiteral("xdg-open"), { qrDir });
#endif
    // without an opener the user still needs to know where the jobs are
    if (!started)
        dialogs::warning(this, tr("Warning"),
            tr("The QR job folder could not be opened. Please open it yourself:\n%1")
                .arg(QDir::toNativeSeparators(qrDir)));
}

QRCodeMW::SheetStart QRCodeMW::startSheet(JobLink &link)
{
    if (!link.connected()) {
        // the list may have been switched to the cutter the other window runs
        if (link.failure() == JobLink::Busy)
            refuseBusy();
        setStatus(tr("<font color=red>Connect Error!!!"));
        return NotReady;
    }
    QString reply;
    if (!link.request(CutterCommand::paperState, &reply))
        return LinkFailed;
    if (CutterCommand::noPaper(reply)) {
        setStatus(tr("<font color=red>No Paper!"));
        timedWait(500);
        return NotReady;
    }
    return Ready;
}

bool QRCodeMW::endSheet(JobLink &link, const QString &status)
{
    if (!status.isEmpty())
        setStatus(status);
    timedWait(200);
    return link.write(CutterCommand::pageEnd);
}

bool QRCodeMW::runQrJob(JobLink &link)
{
    setStatus(tr("<font color=blue>Feeding..."));
    const qint64 feed = qint64(fileHeight) + CutterGeometry::qrFeedMargin;
    if (!link.feed(CutterGeometry::clampToInt(feed), JobLink::FeedReply::Any))
        return false;

    setStatus(tr("<font color=blue>Move to QR Code and Mark..."));
    if (!link.write(CutterCommand::moveTo(qrY, qrX - fileWidth / 2)) || !link.waitFree())
        return false;

    timedWait(200);
    setStatus(tr("<font color=blue>Scan QR Code..."));
    QString code;
    if (!link.request(CutterCommand::scanQr, &code))
        return false;
    if (code == CutterCommand::replyNoQr)
        return endSheet(link, tr("<font color=red>Scan QR Code Failed!"));

    // the code names a file in the job folder, nothing outside it
    const QString path = qrDir + code + QStringLiteral(".plt");
    if (!isSafeJobName(code) || !QFileInfo::exists(path))
        return endSheet(link, tr("<font color=red>File Not Exist!"));

    setStatus(tr("<font color=blue>Curr File:") + code.toHtmlEscaped() + QStringLiteral(".plt"));
    timedWait(200);
    const QString job = readFile(path);
    // an unreadable job still ends the sheet, or the next one is fed onto it uncut
    if (job.isEmpty())
        return endSheet(link, QString());
    return link.write(rewriteJobKind(job));
}

void QRCodeMW::on_startBtn_clicked()
{
    if (activity == Running) {
        // the loop sees the caption before its next sheet
        stopping = true;
        setRunCaption(false);
        updateControls();
        return;
    }
    if (activity != Idle)
        return;

    usbOperate.setDevice(ui->machineName->currentText());
    JobLink link(usbOperate);
    if (!link.claimed()) {
        refuseBusy();
        return;
    }
    activity = Running;
    stopping = false;
    setRunCaption(true);
    updateControls();

    auto sheet = [&] {
        // each sheet goes to the cutter chosen at that moment
        const SheetStart start = startSheet(link.on(ui->machineName->currentText()));
        if (start == Ready && (!runQrJob(link) || !link.waitFree()))
            return LinkFailed;
        return start;
    };
    SheetStart last = ui->conSend->isChecked() ? Ready : sheet();
    while (last != LinkFailed && ui->conSend->isChecked() && ui->sendCount->value() > 0
        && ui->startBtn->text() == tr("Stop")) {
        // a sheet that was not cut is not counted
        if ((last = sheet()) != Ready)
            break;
        ui->sendCount->setValue(ui->sendCount->value() - 1);
    }

    if (last == LinkFailed) {
        switch (link.failure()) {
        case JobLink::Gone:
            setStatus(tr("<font color=red>Connect Error!!!"));
            break;
        case JobLink::NotTaken:
            setStatus(tr("<font color=red>The Cutter Did Not Take The Data!"));
            break;
        default:
            setStatus(tr("<font color=red>No Reply From The Cutter!"));
            break;
        }
    } else {
        timedWait(500);
        setStatus(tr("<font color=blue>All Done!"));
    }
    setRunCaption(false);
    activity = Idle;
    stopping = false;
    updateControls();
}

QString QRCodeMW::calibrate(JobLink &link)
{
    QString step = tr("Connecting to the cutter");
    bool firstStored = false;
    auto failed = [&](const QString &cause) {
        QString text = tr("Auto-Offset Failed!\nStep: %1\nCause: %2").arg(step, cause);
        if (firstStored)
            text += QLatin1Char('\n') + tr("The first correction is already stored in the cutter.");
        return text;
    };
    auto linkFailed = [&]() {
        switch (link.failure()) {
        case JobLink::Busy:
            return failed(tr("the cutter is busy with a job from the other window"));
        case JobLink::Gone:
            return failed(tr("the cutter is not connected"));
        case JobLink::NotTaken:
            return failed(tr("the cutter did not take the data"));
        default:
            return failed(tr("no reply from the cutter"));
        }
    };
    if (!link.connected())
        return linkFailed();

    HpglTool tool;
    QList<CutPath> circle = tool.readPlt(readFile(calibrationJobPath()));
    if (circle.isEmpty())
        return tr("The Calibration File CIR.plt Is Missing Or Unreadable!");
    circle = tool.translate(
        circle, CutterGeometry::calibrationShiftX, CutterGeometry::calibrationShiftY);

    // moves and drawings end when the cutter reports free again
    auto run = [&](const QString &text) {
        if (!link.write(text) || !link.waitFree())
            return false;
        qDebug().noquote() << usbOperate.readStr();
        return true;
    };
    QString reply;
    // each reading on its own: nothing is kept from an earlier one
    auto measure = [&](MarkReading *mark) {
        if (!link.request(CutterCommand::findMark, &reply))
            return linkFailed();
        qDebug().noquote() << reply;
        if (reply == CutterCommand::replyNoMark)
            qDebug().noquote() << CutterCommand::replyNoMark;
        *mark = readMark(reply);
        return mark->ok ? QString() : failed(tr("no valid mark was found"));
    };
    auto store = [&](double a, double b) {
        if (!link.request(CutterCommand::setCamOffset(a, b), &reply))
            return false;
        qDebug().noquote() << reply;
        return true;
    };

    step = tr("Drawing the circle");
    if (!run(tool.writePlain(circle)) || !run(CutterCommand::origin))
        return linkFailed();
    timedWait(500);

    MarkReading first;
    step = tr("First mark reading");
    if (const QString problem = measure(&first); !problem.isEmpty())
        return problem;

    const double a1 = CutterFirmware::nominalCamOffsetA - first.ey;
    const double b1 = CutterFirmware::nominalCamOffsetB - first.ex;
    step = tr("Storing the first correction");
    firstStored = true; // from here on the cutter may hold it
    if (!store(a1, b1))
        return linkFailed();

    step = tr("Moving to the mark");
    const double unitsPerMm = Units::plotterUnitsPerMm;
    if (!run(CutterCommand::moveTo(
            int(std::trunc(first.ey * unitsPerMm)), int(std::trunc(first.ex * unitsPerMm)))))
        return linkFailed();
    timedWait(500);

    MarkReading second;
    step = tr("Second mark reading");
    if (const QString problem = measure(&second); !problem.isEmpty())
        return problem;

    step = tr("Storing the final correction");
    if (!store(a1 - second.ey, b1 - second.ex))
        return linkFailed();
    return QString();
}

void QRCodeMW::on_autoOffset_clicked()
{
    if (activity != Idle)
        return;
    if (dialogs::information(this, tr("Start Auto-Adjust"),
            tr("Please Put Blank Paper and Press OK to Start"),
            QMessageBox::Ok | QMessageBox::Cancel)
        != QMessageBox::Ok)
        return;
    activity = Calibrating;
    updateControls();
    usbOperate.setDevice(ui->machineName->currentText());
    QString problem;
    {
        JobLink link(usbOperate);
        problem = calibrate(link);
    }
    activity = Idle;
    updateControls();
    if (problem.isEmpty())
        dialogs::information(this, tr("Auto-Offset"), tr("Auto-Offset Completed!"));
    else
        dialogs::warning(this, tr("Warning"), problem);
}

void QRCodeMW::on_lightSld_sliderReleased()
{
    if (activity != Idle)
        return;
    activity = SettingLight;
    updateControls();
    usbOperate.setDevice(ui->machineName->currentText());
    {
        JobLink link(usbOperate, 1000);
        QString reply; // not examined
        if (link.claimed())
            link.request(CutterCommand::ledIntensity(ui->lightSld->value()), &reply);
        else
            refuseBusy();
    }
    activity = Idle;
    updateControls();
}
