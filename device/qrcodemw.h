#pragma once

#include "cuttergeometry.h"
#include "usboperate.h"

#include <QWidget>

class JobLink;

namespace Ui {
class QRCodeMW;
}

// The QR job controller: a top-level window of its own, owned by the main
// window. It lets the cutter scan each sheet's QR label and cuts the job file
// of that code, calibrates the camera offset and sets the camera light. It
// keeps no settings.
class QRCodeMW : public QWidget
{
    Q_OBJECT

public:
    explicit QRCodeMW(QWidget *parent = nullptr);
    ~QRCodeMW() override;

    // A run, calibration or light setting is under way (the window may be
    // hidden meanwhile).
    bool isBusy() const { return activity != Idle; }

    // Re-translates the form, as SendMW::changeLanguage does.
    void changeLanguage(QString language);

    // The calibration circle job, "CIR.plt" beside the program; tests point
    // it elsewhere (an empty path brings the default back).
    static QString calibrationJobPath();
    static void setCalibrationJobPath(const QString &path);

protected:
    // device list: refreshed on show and on every device-change message
    void showEvent(QShowEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private slots:
    void on_selectFile_clicked();
    void on_openQRPath_clicked();
    void on_autoOffset_clicked();
    void on_startBtn_clicked();
    void on_lightSld_sliderReleased();

private:
    // What the window is doing with the cutter; one thing at a time.
    enum Activity
    {
        Idle,
        Running,
        Calibrating,
        SettingLight
    };
    enum SheetStart
    {
        Ready,
        NotReady,
        LinkFailed
    };

    SheetStart startSheet(JobLink &link);
    // One sheet; false when a step of the link failed. The caller waits for
    // the cutter after every successful return.
    bool runQrJob(JobLink &link);
    bool endSheet(JobLink &link, const QString &status);
    // Empty when every step went through, else the warning to show.
    QString calibrate(JobLink &link);

    void setStatus(const QString &text);
    void setRunCaption(bool running);
    void updateControls();
    bool sizesUsable() const;
    void refuseBusy();

    Ui::QRCodeMW *ui;
    UsbOperate usbOperate; // the window's own link to the cutter
    QString qrDir;
    int qrX = CutterGeometry::headX; // half the job's width is taken off it
    int qrY = CutterGeometry::qrLabelY;
    int fileHeight = 0;
    int fileWidth = 0;
    Activity activity = Idle;
    bool stopping = false;
};
