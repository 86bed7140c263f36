#pragma once

#include "cutjob.h"
#include "cutpath.h"
#include "cuttergeometry.h"
#include "jobpipeline.h"
#include "units.h"
#include "usboperate.h"

#include <QList>
#include <QPair>
#include <QPoint>
#include <QString>
#include <QVariant>

#include <QWidget>

class CdrOperate;
class JobLink;
struct SaveResult;

namespace Ui {
class SendMW;
}

// The send window: a top-level window of its own, owned by the main window.
// Its options are kept in the group "SendMW/" of config.ini.
class SendMW : public QWidget
{
    Q_OBJECT

public:
    explicit SendMW(QWidget *parent = nullptr);
    ~SendMW() override;

    // Re-translates the form: "ZH" with the built-in catalogue, "EN" with the
    // translators installed now; anything else is ignored.
    void changeLanguage(QString language);

    // What the main window hands over before it shows the window: the host
    // ProgID, the interface language, the cut mode, the dash and gap in
    // millimetres, the paths to preview and the mark centres they are
    // relative to (empty when they are not), so that the preview draws them
    // where a send draws them.
    void setData(QString cdrVersion, QString language, CutMode cutMode, double posLen,
        double negLen, QList<CutPath> preview, QList<QPoint> marks);

    // Lets go of the preview's paths and marks, so that a hand-over being
    // read does not sit beside the last one. Nothing is repainted.
    void dropPreview();

    // A press of Send is still under way (the window may be hidden meanwhile).
    bool isSending() const { return sending; }

    // Cutting options as the form holds them now; lengths in millimetres.
    bool autoSort() const;
    bool backlash() const;
    bool closeOffsetChk() const;
    double closeOffset() const;
    bool knifeOffsetChk() const;
    double knifeOffset() const;
    double xBacklash() const;
    double yBacklash() const;
    // The getters as the cut chain takes them: plotter units, the knife offset
    // and overcut 0 while their boxes are off.
    CutOptions cutOptions() const;

    // The group "SendMW/" as the form holds it now, for a config.ini written
    // whole.
    QList<QPair<QString, QVariant>> settingValues() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    // device list: refreshed on show and on every device-change message
    void showEvent(QShowEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private slots:
    void on_knifeOffsetChk_clicked(bool checked);
    void on_closeOffsetChk_clicked(bool checked);
    void on_send_clicked();
    void on_save_clicked();

private:
    // What a press works with: the hand-over values as they were at the
    // press, and the job it built (left empty in `handed`).
    struct Press
    {
        QString cdrVersion;
        QString language;
        CutMode cutMode = CutMode::DirectlyCut;
        double posLen = 0.0;
        double negLen = 0.0;
        QList<QPoint> marks;
        QString text;
        PageSize page; // read only where the job or the sheet needs it
        double camX = 0.0; // camera offset in mm, blank paper only
        double camY = 0.0;
    };

    void loadSettings();
    SaveResult saveSettings();
    bool reachHost(CdrOperate &cdr, const Press &press);
    bool buildJob(CdrOperate &cdr, Press &press, bool forSave);
    bool claimed(JobLink &link);
    void reportFailure(const JobLink &link);
    void sendDirect(const Press &press);
    void sendSheets(Press &press);
    bool sendSheet(JobLink &link, const Press &press, bool single);
    QString positionMove(const Press &press) const;
    void warn(const QString &text);

    Ui::SendMW *ui;
    Press handed; // the latest hand-over
    UsbOperate usbOperate; // the window's own link to the cutter
    QString tempPltPath; // scratch file of the host's HPGL export
    double mmPerInch = Units::mmPerInch;
    double unitsPerMm = Units::plotterUnitsPerMm;
    int headX = CutterGeometry::headX; // base of the positioning move's number built from x values
    int headY = CutterGeometry::headY; // base of the one built from y values
    bool sending = false;
};
