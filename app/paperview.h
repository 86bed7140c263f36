#pragma once

#include "panellists.h"

#include <QWidget>

// Where the four registration marks sit on the paper or around the figure.
class PaperView : public QWidget
{
    Q_OBJECT

public:
    explicit PaperView(QWidget *parent = nullptr);

    bool figureMode = false;
    double figW = 120.0; // pixels
    double figH = 150.0;
    double paperInset = 2.5;
    double topMargin = 0.0; // millimetres, drawn one pixel each
    double leftMargin = 0.0;
    double rightMargin = 0.0;
    double bottomMargin = 0.0;
    MarkShape shape = MarkShape::Cross;
    MarkColour colorIndex = MarkColour::Black;
    double markW = 0.0;
    double markH = 0.0;
    double lineWeight = 0.0;

protected:
    void paintEvent(QPaintEvent *event) override;
};
