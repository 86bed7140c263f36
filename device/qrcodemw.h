#pragma once

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

private:
    Ui::QRCodeMW *ui;
};
