#pragma once

#include "usboperate.h"

#include <QWidget>

namespace Ui {
class QRCodeMW;
}

// The QR job controller: a top-level window of its own, owned by the main
// window. It keeps no settings.
class QRCodeMW : public QWidget
{
    Q_OBJECT

public:
    explicit QRCodeMW(QWidget *parent = nullptr);
    ~QRCodeMW() override;

    // Re-translates the form, as SendMW::changeLanguage does.
    void changeLanguage(QString language);

protected:
    // device list: refreshed on show and on every device-change message
    void showEvent(QShowEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private:
    Ui::QRCodeMW *ui;
    UsbOperate usbOperate; // the window's own link to the cutter
};
