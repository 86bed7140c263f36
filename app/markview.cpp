#include "markview.h"

#include <QPainter>

namespace {
QColor markColour(MarkColour colorIndex)
{
    if (colorIndex == MarkColour::Black)
        return Qt::black;
    if (colorIndex == MarkColour::Red)
        return Qt::red;
    return Qt::white;
}
} // namespace

namespace markpaint {

void paintBackground(QPainter &p, const QRect &rect, MarkColour colorIndex)
{
    p.setBrush(QBrush(colorIndex == MarkColour::White ? Qt::black : Qt::white, Qt::SolidPattern));
    p.drawRect(rect);
}

void useMarkPen(QPainter &p, MarkShape shape, MarkColour colorIndex, double lineWeight)
{
    const QColor colour = markColour(colorIndex);
    p.setPen(QPen(QBrush(colour), shape == MarkShape::Circle ? 0.0 : lineWeight, Qt::SolidLine,
        Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(QBrush(colour, Qt::SolidPattern));
}

void drawMark(QPainter &p, MarkShape shape, QPointF c, double a, double b, int dx, int dy)
{
    switch (shape) {
    case MarkShape::Cross:
        p.drawLine(QLineF(c.x() - a, c.y(), c.x() + a, c.y()));
        p.drawLine(QLineF(c.x(), c.y() - b, c.x(), c.y() + b));
        break;
    case MarkShape::RightAngle: {
        const QPointF corner(c.x() + dx * a, c.y() + dy * b);
        p.drawLine(QLineF(corner, QPointF(c.x() - dx * a, corner.y())));
        p.drawLine(QLineF(corner, QPointF(corner.x(), c.y() - dy * b)));
        break;
    }
    case MarkShape::Circle:
        p.drawEllipse(c, a, b);
        break;
    default:
        break;
    }
}

} // namespace markpaint

MarkView::MarkView(QWidget *parent)
    : QWidget(parent)
{
}

void MarkView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    markpaint::paintBackground(p, rect(), colorIndex);
    markpaint::useMarkPen(p, shape, colorIndex, lineWeight);
    // whole-number halves, as the paper view takes them
    const double cx = width() / 2;
    const double cy = height() / 2;
    // a right angle has its corner at the top left, as on the paper
    markpaint::drawMark(p, shape, QPointF(cx, cy), markW / 2, markH / 2, -1, -1);
}
