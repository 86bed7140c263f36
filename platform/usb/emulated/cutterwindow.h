#pragma once

#include "emulatedcutter.h"

#include <QLineF>
#include <QList>
#include <QWidget>

// The emulated cutter's own window, so that a person running the program
// here sees what the cutter was told: the sheet, the tool head, its moves
// and every stroke it cut in the colour of its pen, with the last command
// and reply below, each stroke drawn as the cutter cuts it. Events reach it
// from any thread; it draws on its own.
class CutterWindow : public QWidget
{
    Q_OBJECT
public:
    // `cutter` must outlive the window.
    explicit CutterWindow(EmulatedCutter *cutter, QWidget *parent = nullptr);
    ~CutterWindow() override;

    // The picture as shown, without the status line.
    QImage picture() const;
    bool savePicture(const QString &file) const;

private:
    class Sheet;
    class StatusLines;
    void take(const CutterEvent &event);
    void showStatus();

    EmulatedCutter *cutter;
    Sheet *sheet;
    StatusLines *status;
    QByteArray lastCommand;
    QByteArray lastReply;
    bool plugged = true;
};
