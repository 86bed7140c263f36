#include "sendmw.h"

#include "devicelist.h"
#include "windowlanguage.h"
#include "ui_sendmw.h"
#include "workfolder.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace {
QString configPath()
{
    return workFolder() + QStringLiteral("config.ini");
}

// A key that is missing or unreadable keeps the form's value.
void loadBool(QSettings &s, const QString &key, QAbstractButton *box)
{
    if (s.contains(key))
        box->setChecked(s.value(key).toBool());
}

void loadDouble(QSettings &s, const QString &key, QDoubleSpinBox *spin)
{
    bool ok = false;
    const double v = s.value(key).toDouble(&ok);
    if (ok)
        spin->setValue(v);
}
} // namespace

SendMW::SendMW(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::SendMW)
{
    ui->setupUi(this);
    setWindowOpacity(0.9);
    setWindowTitle(tr("Send to device"));
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    move(avail.width() - 80 - width(), 120);
    loadSettings();
    // the platform's device notices arrive as the device-change window message
    connect(DeviceNotifier::instance(), &DeviceNotifier::deviceChange, this, [this](quint32 event) {
        NativeMessage msg = deviceChangeMessage(event);
        long result = 0;
        nativeEvent(NativeMessageType, &msg, &result);
    });
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

void SendMW::setData(QString cdrVersion, QString language, int cutMode, double posLen, double negLen,
                     QList<CutPath> preview)
{
    const bool blank = cutMode == 2;
    ui->blankRevX->setVisible(blank);
    ui->blankRevXLbl->setVisible(blank);
    ui->blankRevY->setVisible(blank);
    ui->blankRevYLbl->setVisible(blank);
    this->cdrVersion = cdrVersion;
    this->language = language;
    this->cutMode = cutMode;
    this->posLen = posLen;
    this->negLen = negLen;
    Q_UNUSED(preview);
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
    saveSettings();
    event->accept();
}

void SendMW::loadSettings()
{
    if (!QFile(configPath()).exists())
        return;
    QSettings s(configPath(), QSettings::IniFormat);
    loadBool(s, QStringLiteral("SendMW/autoSort"), ui->autoSort);
    loadDouble(s, QStringLiteral("SendMW/blankRevX"), ui->blankRevX);
    loadDouble(s, QStringLiteral("SendMW/blankRevY"), ui->blankRevY);
    loadBool(s, QStringLiteral("SendMW/knifeOffsetChk"), ui->knifeOffsetChk);
    loadDouble(s, QStringLiteral("SendMW/knifeOffset"), ui->knifeOffset);
    loadBool(s, QStringLiteral("SendMW/closeOffsetChk"), ui->closeOffsetChk);
    loadDouble(s, QStringLiteral("SendMW/closeOffset"), ui->closeOffset);
    loadBool(s, QStringLiteral("SendMW/backlash"), ui->backlash);
    loadDouble(s, QStringLiteral("SendMW/xBacklash"), ui->xBacklash);
    loadDouble(s, QStringLiteral("SendMW/yBacklash"), ui->yBacklash);
    loadBool(s, QStringLiteral("SendMW/conSend"), ui->conSend);
}

void SendMW::saveSettings()
{
    QSettings s(configPath(), QSettings::IniFormat);
    s.setValue(QStringLiteral("SendMW/autoSort"), ui->autoSort->isChecked());
    s.setValue(QStringLiteral("SendMW/blankRevX"), ui->blankRevX->value());
    s.setValue(QStringLiteral("SendMW/blankRevY"), ui->blankRevY->value());
    s.setValue(QStringLiteral("SendMW/knifeOffsetChk"), ui->knifeOffsetChk->isChecked());
    s.setValue(QStringLiteral("SendMW/knifeOffset"), ui->knifeOffset->value());
    s.setValue(QStringLiteral("SendMW/closeOffsetChk"), ui->closeOffsetChk->isChecked());
    s.setValue(QStringLiteral("SendMW/closeOffset"), ui->closeOffset->value());
    s.setValue(QStringLiteral("SendMW/backlash"), ui->backlash->isChecked());
    s.setValue(QStringLiteral("SendMW/xBacklash"), ui->xBacklash->value());
    s.setValue(QStringLiteral("SendMW/yBacklash"), ui->yBacklash->value());
    s.setValue(QStringLiteral("SendMW/conSend"), ui->conSend->isChecked());
}
