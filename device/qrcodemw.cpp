#include "qrcodemw.h"

#include "ui_qrcodemw.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTranslator>

QRCodeMW::QRCodeMW(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::QRCodeMW)
{
    ui->setupUi(this);
    setWindowOpacity(0.9);
    setWindowTitle(tr("QR Code Controller"));
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    move(avail.width() - width() - 80, 120);
}

QRCodeMW::~QRCodeMW()
{
    delete ui;
}

void QRCodeMW::changeLanguage(QString language)
{
    if (language == QLatin1String("ZH")) {
        QTranslator translator;
        if (translator.load(QStringLiteral(":/Chinese.qm"))) {
            QCoreApplication::installTranslator(&translator);
            ui->retranslateUi(this);
        }
    } else if (language == QLatin1String("EN")) {
        ui->retranslateUi(this);
    }
}
