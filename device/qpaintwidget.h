#pragma once

#include "cutpath.h"

#include <QList>
#include <QPoint>
#include <QWidget>

// The send window's preview of a job's paths in plotter units, over a white
// sheet with the axes, the origin and the edges of A4, A3 and A3+. The left
// button pans it, the wheel zooms it about the cursor.
class QPaintWidget : public QWidget
{
    Q_OBJECT

public:
    explicit QPaintWidget(QWidget *parent = nullptr);

    // Back to 0.025 pixels per unit (1 mm a pixel) with the origin 100 units
    // in from the top-left corner. Does not repaint.
    void resetView();

    // Only the first mark is used: it is added to every path point.
    QList<QPoint> markPoints;
    QList<CutPath> paths;

    // A plotter point P is shown at (P + offset + first mark) * scale.
    double scale = 0.025;
    QPoint savedOffset { 100, 100 }; // offset at the end of the last drag or zoom
    QPoint offset { 100, 100 };
    QPoint pressPos;
    bool released = true; // no left-button drag under way

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
