#include "qpaintwidget.h"

#include "wholeunits.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Pens 2 to 8; any other pen is black.
QColor penColour(int pen)
{
    static const Qt::GlobalColor colours[]
        = { Qt::blue, Qt::red, Qt::green, Qt::magenta, Qt::yellow, Qt::cyan, Qt::gray };
    return pen >= 2 && pen <= 8 ? colours[pen - 2] : Qt::black;
}

// Labels keep 8 points on screen; zoomed far in that would be under 1 pt in
// plotter units, which a font cannot take.
QFont labelFont(double scale)
{
    QFont font(QStringLiteral("Consolas"));
    font.setPointSize(std::max(1, int(std::min(8.0 / scale, double(INT_MAX)))));
    return font;
}

struct Paper
{
    const char *label;
    int width;
    int height;
};

const Paper papers[] = { { "A4", 8400, 11880 }, { "A3", 11880, 16800 }, { "A3+", 13200, 19320 } };

} // namespace

QPaintWidget::QPaintWidget(QWidget *parent)
    : QWidget(parent)
{
}

void QPaintWidget::resetView()
{
    savedOffset = offset = QPoint(100, 100);
    scale = 0.025;
}

void QPaintWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        released = false;
        pressPos = event->pos();
    }
    update();
}

void QPaintWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton) {
        const QPoint d = event->pos() - pressPos;
        offset = savedOffset + QPoint(qRound(d.x() / scale), qRound(d.y() / scale));
    }
    update();
}

void QPaintWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        released = true;
        savedOffset = offset;
    }
    update();
}

void QPaintWidget::wheelEvent(QWheelEvent *event)
{
    if (!released)
        return;
    // the plotter point under the cursor stays there
    const QPoint p = event->position().toPoint();
    const QPoint k = QPoint(qRound(p.x() / scale), qRound(p.y() / scale)) - offset;
    bool changed = false;
    if (event->angleDelta().y() > 0) {
        scale += scale / 10;
        changed = true;
    } else if (scale > 0.01) {
        scale -= scale / 10;
        changed = true;
    }
    if (changed)
        savedOffset = offset = QPoint(qRound(p.x() / scale), qRound(p.y() / scale)) - k;
    update();
}

void QPaintWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QBrush(Qt::white));
    painter.drawRect(rect());

    painter.scale(scale, scale);
    painter.translate(offset);

    painter.setPen(QPen(Qt::red, 5 / scale, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawPoint(0, 0);

    painter.setPen(QPen(Qt::green, 1 / scale, Qt::DashDotLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QLine(INT_MIN, 0, INT_MAX, 0));
    painter.drawLine(QLine(0, INT_MIN, 0, INT_MAX));

    const QFont font = labelFont(scale);
    const QPoint labelAt(int(100 / scale), int(3 / scale));
    painter.setPen(Qt::red);
    painter.setFont(font);
    painter.drawText(labelAt, QStringLiteral("X-axis:"));
    painter.rotate(90);
    painter.drawText(labelAt, QStringLiteral("Y-axis:"));
    painter.rotate(-90);

    painter.setPen(QPen(Qt::gray, 1 / scale, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
    for (const Paper &paper : papers) {
        painter.drawLine(paper.width, 0, paper.width, paper.height);
        painter.drawLine(0, paper.height, paper.width, paper.height);
    }
    painter.setPen(Qt::blue);
    painter.setFont(font);
    for (const Paper &paper : papers)
        painter.drawText(-1000, paper.height, QLatin1String(paper.label));

    const QPoint m = markPoints.isEmpty() ? QPoint() : markPoints.first();
    using wholeunits::saturatingRound;
    for (const CutPath &path : qAsConst(paths)) {
        painter.setPen(QPen(penColour(path.pen), 1 / scale,
            path.lineType != 0 ? Qt::DashLine : Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        for (const QLineF &s : path.lines) {
            if (!std::isfinite(s.x1()) || !std::isfinite(s.y1()) || !std::isfinite(s.x2())
                || !std::isfinite(s.y2()))
                continue; // the writers leave such segments out too
            // whole units as the writers round them; the mark is added in
            // doubles, so no end can overflow
            painter.drawLine(QLineF(double(saturatingRound(s.x1())) + m.x(),
                double(saturatingRound(s.y1())) + m.y(), double(saturatingRound(s.x2())) + m.x(),
                double(saturatingRound(s.y2())) + m.y()));
        }
    }
}
