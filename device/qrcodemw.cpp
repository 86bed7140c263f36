#include "qrcodemw.h"

#include "devicelist.h"
#include "windowlanguage.h"
#include "ui_qrcodemw.h"

#include <QGuiApplication>
#include <QScreen>

QRCodeMW::QRCodeMW(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::QRCodeMW)
{
    ui->setupUi(this);
    setWindowOpacity(0.9);
    setWindowTitle(tr("QR Code Controller"));
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    move(avail.width() - width() - 80, 120);
    // the platform's device notices arrive as the device-change window message
    connect(DeviceNotifier::instance(), &DeviceNotifier::deviceChange, this, [this](quint32 event) {
        NativeMessage msg = deviceChangeMessage(event);
        long result = 0;
        nativeEvent(NativeMessageType, &msg, &result);
    });
}

QRCodeMW::~QRCodeMW()
{
    delete ui;
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
