#pragma once

#include "cutpath.h"
#include "usboperate.h"

#include <QList>
#include <QString>

#include <QWidget>

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
    // ProgID, the interface language, the cut mode (0 direct, 1 path and
    // marks, 2 blank paper), the dash and gap in millimetres and the paths to
    // preview.
    void setData(QString cdrVersion, QString language, int cutMode, double posLen, double negLen,
                 QList<CutPath> preview);

    // Cutting options as the form holds them now; lengths in millimetres.
    bool autoSort() const;
    bool backlash() const;
    bool closeOffsetChk() const;
    double closeOffset() const;
    bool knifeOffsetChk() const;
    double knifeOffset() const;
    double xBacklash() const;
    double yBacklash() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    // device list: refreshed on show and on every device-change message
    void showEvent(QShowEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private:
    void loadSettings();
    void saveSettings();

    Ui::SendMW *ui;
    QString cdrVersion;
    QString language;
    int cutMode = 0;
    double posLen = 0.0;
    double negLen = 0.0;
    UsbOperate usbOperate; // the window's own link to the cutter
};
