#include "sendmw.h"

#include "buttonlook.h"
#include "cdroperate.h"
#include "cutjob.h"
#include "cutterprotocol.h"
#include "devicelist.h"
#include "dialogs.h"
#include "formsettings.h"
#include "joblink.h"
#include "jobpipeline.h"
#include "jobwindow.h"
#include "process.h"
#include "savefile.h"
#include "ui_sendmw.h"
#include "windowlanguage.h"
#include "workfolder.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QSettings>

#include <memory>

SendMW::SendMW(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::SendMW)
    , tempPltPath(scratchExportFile())
{
    ui->setupUi(this);
    placeJobWindow(this, tr("Send to device"));
    greyWhenDisabled(ui->send);
    loadSettings();
    // the fields follow their boxes from the start, with or without config.ini
    on_knifeOffsetChk_clicked(ui->knifeOffsetChk->isChecked());
    on_closeOffsetChk_clicked(ui->closeOffsetChk->isChecked());
    routeDeviceNotices(this, &SendMW::nativeEvent);
}

SendMW::~SendMW()
{
    delete ui;
}

void SendMW::showEvent(QShowEvent *)
{
    refreshMachineNames(ui->machineName, usbOperate.deviceList(), false);
}

bool SendMW::nativeEvent(const QByteArray &eventType, void *message, long *)
{
    if (isDeviceChangeMessage(eventType, message))
        refreshMachineNames(ui->machineName, usbOperate.deviceList(), true);
    return false;
}

void SendMW::setData(QString cdrVersion, QString language, CutMode cutMode, double posLen,
    double negLen, QList<CutPath> preview, QList<QPoint> marks)
{
    const bool blank = cutMode == CutMode::BlankPaper;
    ui->blankRevX->setVisible(blank);
    ui->blankRevXLbl->setVisible(blank);
    ui->blankRevY->setVisible(blank);
    ui->blankRevYLbl->setVisible(blank);
    handed.cdrVersion = cdrVersion;
    handed.language = language;
    handed.cutMode = cutMode;
    handed.posLen = posLen;
    handed.negLen = negLen;
    ui->paintWidget->paths = preview;
    // marks a send left behind would move this job
    ui->paintWidget->markPoints = marks;
    ui->paintWidget->resetView();
    ui->paintWidget->update();
}

void SendMW::dropPreview()
{
    ui->paintWidget->paths.clear();
    ui->paintWidget->markPoints.clear();
    // their pages go back before the export's text is read in
    releaseFreeMemory();
}

void SendMW::on_knifeOffsetChk_clicked(bool checked)
{
    ui->knifeOffset->setEnabled(checked);
}

void SendMW::on_closeOffsetChk_clicked(bool checked)
{
    ui->closeOffset->setEnabled(checked);
}

void SendMW::warn(const QString &text)
{
    dialogs::warning(this, tr("Warning"), text);
}

// False, after the warning, when the host cannot be reached.
bool SendMW::reachHost(CdrOperate &cdr, const Press &press)
{
    if (!cdr.isConnected()) {
        warn(tr("Please Confirm CorelDraw Installations and Choose Correct CorelDraw Version..."));
        return false;
    }
    cdr.setLayerNames(press.language);
    return true;
}

void SendMW::on_send_clicked()
{
    const FreeMemoryAtEnd giveBack; // the job's text and paths, once they are gone
    if (ui->send->text() != tr("Send")) {
        // a stop request: the running send ends after the step under way
        ui->send->setText(tr("Send"));
        ui->send->setEnabled(false);
        showRunLook(ui->send, false);
        return;
    }
    ui->send->setText(tr("Stop"));
    showRunLook(ui->send, true);
    sending = true;
    // setData may run during the waits; this send keeps what it started with
    Press press = handed;
    {
        CdrOperate cdr(press.cdrVersion);
        if (reachHost(cdr, press) && buildJob(cdr, press, false)) {
            if (press.cutMode == CutMode::DirectlyCut)
                sendDirect(press);
            else
                sendSheets(press);
        }
    }
    sending = false;
    ui->send->setText(tr("Send"));
    ui->send->setEnabled(true);
    showRunLook(ui->send, false);
}

void SendMW::on_save_clicked()
{
    const FreeMemoryAtEnd giveBack;
    Press press = handed;
    std::unique_ptr<CdrOperate> cdr(new CdrOperate(press.cdrVersion));
    if (!reachHost(*cdr, press) || !buildJob(*cdr, press, true))
        return;
    cdr.reset(); // the host is free while the dialog is open
    const QString file = dialogs::getSaveFileName(
        this, tr("SavePlt"), QString(), tr("HPGL File(*.plt);;All File(*.*)"));
    if (file.isEmpty())
        return;
    // whole or not at all: a half-written job would cut half a sheet
    SaveResult why;
    if (!writeJobFile(file, press.text, &why))
        warn(tr("Could not write %1: %2.")
                 .arg(QDir::toNativeSeparators(file), describeFailure(why)));
}

CutOptions SendMW::cutOptions() const
{
    CutOptions options;
    options.autoSort = autoSort();
    options.knifeOffset = knifeOffsetChk() ? knifeOffset() * unitsPerMm : 0.0;
    options.overcut = closeOffsetChk() ? closeOffset() * unitsPerMm : 0.0;
    options.backlash = backlash();
    if (options.backlash) {
        options.xBacklash = xBacklash() * unitsPerMm;
        options.yBacklash = yBacklash() * unitsPerMm;
    }
    return options;
}

bool SendMW::buildJob(CdrOperate &cdr, Press &press, bool forSave)
{
    const CutMode mode = press.cutMode;
    if (mode != CutMode::DirectlyCut && mode != CutMode::ByPathAndMarks
        && mode != CutMode::BlankPaper)
        return false;
    if (mode == CutMode::ByPathAndMarks) {
        press.marks = cdr.markCentres();
        if (press.marks.isEmpty())
            return false;
    }

    // the press replaces the preview in any case
    dropPreview();
    QString problem;
    const CutJobPaths paths = readCutJob(
        cdr, mode, press.marks, tempPltPath, cutOptions(), PipelineEnd::Finished, &problem);
    if (!problem.isEmpty()) {
        warn(problem);
        return false;
    }

    ui->paintWidget->markPoints = press.marks;
    ui->paintWidget->paths = paths.both();
    repaint();

    // an empty export (no cut layers, nothing printable) must not feed a
    // sheet or leave a job file that cuts nothing
    if (nothingToCut(paths)) {
        warn(nothingToCutText());
        return false;
    }

    const bool needsSize = forSave ? mode == CutMode::BlankPaper : mode != CutMode::DirectlyCut;
    press.page = needsSize ? readPageSize(cdr) : PageSize();
    press.text = cutJobText(paths, mode, forSave ? JobUse::SendSave : JobUse::Send, press.marks,
        press.page, press.posLen * unitsPerMm, press.negLen * unitsPerMm);
    return true;
}

// A press while the other window's run has the cutter would end without a word.
bool SendMW::claimed(JobLink &link)
{
    if (!link.claimed())
        warn(tr("The Cutter Is Busy With A Job From The Other Window!"));
    return link.claimed();
}

// A send that had begun to talk to the cutter and then failed may have left
// part of a job there; one that found no device before sending anything ends
// silently.
void SendMW::reportFailure(const JobLink &link)
{
    if (!link.sentAnything())
        return;
    switch (link.failure()) {
    case JobLink::None:
        break;
    case JobLink::Busy:
        warn(tr("The Cutter Is Busy With A Job From The Other Window!"));
        break;
    case JobLink::Gone:
        warn(tr("Connect Error!!!"));
        break;
    case JobLink::NotTaken:
        warn(tr("The Cutter Did Not Take The Data!"));
        break;
    case JobLink::NoAnswer:
        warn(tr("No Reply From The Cutter!"));
        break;
    }
}

void SendMW::sendDirect(const Press &press)
{
    usbOperate.setDevice(ui->machineName->currentText());
    JobLink link(usbOperate);
    if (claimed(link) && link.connected() && link.write(press.text))
        link.waitFree();
    reportFailure(link);
}

void SendMW::sendSheets(Press &press)
{
    // each sheet talks to the device chosen at that moment
    usbOperate.setDevice(ui->machineName->currentText());
    JobLink run(usbOperate);
    if (!claimed(run))
        return;
    if (press.cutMode == CutMode::BlankPaper) {
        // asked once per press; a reply that is not two finite numbers would
        // put the cut anywhere on the sheet
        QString reply;
        if (!run.on(ui->machineName->currentText()).request(CutterCommand::camOffset, &reply)
            || !CutterCommand::camOffsetFromReply(reply, &press.camX, &press.camY)) {
            warn(tr("Get Cam Offset Failed!"));
            return;
        }
    }
    bool ok = true;
    if (!ui->conSend->isChecked())
        ok = sendSheet(run.on(ui->machineName->currentText()), press, true);
    while (ok && ui->conSend->isChecked() && ui->sendCount->value() > 0
        && ui->send->text() == tr("Stop")) {
        // a sheet that failed on the way was not cut and is not counted
        ok = sendSheet(run.on(ui->machineName->currentText()), press, false);
        if (ok)
            ui->sendCount->setValue(ui->sendCount->value() - 1);
    }
    reportFailure(run);
}

// One sheet with marks or on blank paper: paper check, feed, positioning,
// job. False when the send has to end.
bool SendMW::sendSheet(JobLink &link, const Press &press, bool single)
{
    if (!link.connected())
        return false;
    QString reply;
    if (!link.request(CutterCommand::paperState, &reply))
        return false;
    if (CutterCommand::noPaper(reply)) {
        // the single sheet of a path-and-marks send has always said it in English
        warn(single && press.cutMode == CutMode::ByPathAndMarks ? QStringLiteral("No Paper!")
                                                                : tr("No Paper!"));
        return false;
    }
    // only blank paper's Auto-Next sheets take any reply to the feed
    const bool anyReply = !single && press.cutMode == CutMode::BlankPaper;
    if (!link.feed(press.page.height, anyReply ? JobLink::FeedReply::Any : JobLink::FeedReply::Ok))
        return false;
    if (!link.write(positionMove(press)) || !link.waitFree())
        return false;
    if (press.cutMode == CutMode::BlankPaper && !link.request(CutterCommand::blankStart, &reply))
        return false;
    return link.write(press.text) && link.waitFree();
}

// The move to the sheet's reference point, first number along y. Half the
// page width is taken in whole units, its fraction dropped.
QString SendMW::positionMove(const Press &press) const
{
    const int halfWidth = press.page.width / 2;
    if (press.cutMode == CutMode::ByPathAndMarks) {
        const QPoint first = press.marks.first();
        return CutterCommand::moveTo(CutterGeometry::clampToInt(qint64(headY) + first.y()),
            CutterGeometry::clampToInt(qint64(headX) - halfWidth + first.x()));
    }
    // the blank offsets are read at each sheet
    return CutterCommand::moveTo(headY + (ui->blankRevX->value() + press.camX) * unitsPerMm,
        (headX - halfWidth) + (ui->blankRevY->value() + press.camY) * unitsPerMm);
}

void SendMW::changeLanguage(QString language)
{
    retranslateWindow(language, [this] { ui->retranslateUi(this); });
}

bool SendMW::autoSort() const
{
    return ui->autoSort->isChecked();
}

bool SendMW::backlash() const
{
    return ui->backlash->isChecked();
}

bool SendMW::closeOffsetChk() const
{
    return ui->closeOffsetChk->isChecked();
}

double SendMW::closeOffset() const
{
    return ui->closeOffset->value();
}

bool SendMW::knifeOffsetChk() const
{
    return ui->knifeOffsetChk->isChecked();
}

double SendMW::knifeOffset() const
{
    return ui->knifeOffset->value();
}

double SendMW::xBacklash() const
{
    return ui->xBacklash->value();
}

double SendMW::yBacklash() const
{
    return ui->yBacklash->value();
}

void SendMW::closeEvent(QCloseEvent *event)
{
    // the window closes all the same, unsaved
    const SaveResult saved = saveSettings();
    if (!saved.ok())
        warn(tr("The settings could not be saved to %1: %2.")
                 .arg(QDir::toNativeSeparators(settingsFile()), describeFailure(saved)));
    event->accept();
    // Only the cut button shows the window again, with a preview of its
    // own. A send under way keeps its own copy of the job.
    dropPreview();
}

namespace {
// The group "SendMW/" in the order it is written; loading goes the same way.
QList<FormSetting> settingsTable(const Ui::SendMW &ui)
{
    return {
        { QStringLiteral("SendMW/autoSort"), ui.autoSort },
        { QStringLiteral("SendMW/blankRevX"), ui.blankRevX },
        { QStringLiteral("SendMW/blankRevY"), ui.blankRevY },
        { QStringLiteral("SendMW/knifeOffsetChk"), ui.knifeOffsetChk },
        { QStringLiteral("SendMW/knifeOffset"), ui.knifeOffset },
        { QStringLiteral("SendMW/closeOffsetChk"), ui.closeOffsetChk },
        { QStringLiteral("SendMW/closeOffset"), ui.closeOffset },
        { QStringLiteral("SendMW/backlash"), ui.backlash },
        { QStringLiteral("SendMW/xBacklash"), ui.xBacklash },
        { QStringLiteral("SendMW/yBacklash"), ui.yBacklash },
        { QStringLiteral("SendMW/conSend"), ui.conSend },
    };
}
} // namespace

void SendMW::loadSettings()
{
    if (!QFile(settingsFile()).exists())
        return;
    loadForm(QSettings(settingsFile(), QSettings::IniFormat), settingsTable(*ui));
}

SettingValues SendMW::settingValues() const
{
    return formValues(settingsTable(*ui));
}

SaveResult SendMW::saveSettings()
{
    return saveForm(settingsFile(), settingsTable(*ui));
}
