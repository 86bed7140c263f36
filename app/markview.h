#pragma once

#include "panellists.h"

#include <QWidget>

class QPainter;

// Enlarged picture of one registration mark in the settings panel.
class MarkView : public QWidget
{
    Q_OBJECT

public:
    explicit MarkView(QWidget *parent = nullptr);

    MarkShape shape = MarkShape::Cross;
    MarkColour colorIndex = MarkColour::Black;
    double markW = 0.0; // pixels
    double markH = 0.0;
    double lineWeight = 0.0;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// What both previews share: the background, and the pen and brush of a mark.
namespace markpaint {
// White marks are shown on black, the others on white.
void paintBackground(QPainter &p, const QRect &rect, MarkColour colorIndex);
// Circles are filled, so their outline is the one-pixel cosmetic line.
void useMarkPen(QPainter &p, MarkShape shape, MarkColour colorIndex, double lineWeight);
// One mark of a w x h box about its centre c (a = w / 2, b = h / 2); (dx, dy)
// point out of the paper (-1 left or top, +1 right or bottom), so a right
// angle starts at the box's outer corner.
void drawMark(QPainter &p, MarkShape shape, QPointF c, double a, double b, int dx, int dy);
} // namespace markpaint
