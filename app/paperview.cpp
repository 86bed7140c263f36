#include "paperview.h"

#include "markview.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

PaperView::PaperView(QWidget *parent)
    : QWidget(parent)
{
}

void PaperView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    markpaint::paintBackground(p, rect(), colorIndex);
    const double cx = width() / 2;
    const double cy = height() / 2;
    const double a = markW / 2;
    const double b = markH / 2;

    QPolygonF guide;
    QPointF centres[4]; // top left, top right, bottom right, bottom left
    if (figureMode) {
        const QPixmap figure(QStringLiteral(":/png/VemoFigure.png"));
        p.drawPixmap(QRectF(cx - figW / 2, cy - figH / 2, figW, figH), figure,
            QRectF(0, 0, figure.width(), figure.height()));
        const double xl = cx - figW / 2 - leftMargin;
        const double xr = cx + figW / 2 + rightMargin;
        const double yt = cy - figH / 2 - topMargin;
        const double yb = cy + figH / 2 + bottomMargin;
        guide << QPointF(xl + a, yt - b) << QPointF(xr - a, yt - b) << QPointF(xr - a, yt + b)
              << QPointF(xr + a, yt + b) << QPointF(xr + a, yb - b) << QPointF(xr - a, yb - b)
              << QPointF(xr - a, yb + b) << QPointF(xl + a, yb + b) << QPointF(xl + a, yb - b)
              << QPointF(xl - a, yb - b) << QPointF(xl - a, yt + b) << QPointF(xl + a, yt + b);
        centres[0] = QPointF(xl, yt);
        centres[1] = QPointF(xr, yt);
        centres[2] = QPointF(xr, yb);
        centres[3] = QPointF(xl, yb);
    } else {
        const double wd = width(), ht = height(), g = paperInset;
        const double t = topMargin, l = leftMargin, r = rightMargin, bt = bottomMargin;
        const double w = markW, h = markH;
        guide << QPointF(g, g) << QPointF(wd - g, g) << QPointF(wd - g, t) << QPointF(wd - r - w, t)
              << QPointF(wd - r - w, t + h) << QPointF(wd - g, t + h)
              << QPointF(wd - g, ht - bt - h) << QPointF(wd - r - w, ht - bt - h)
              << QPointF(wd - r - w, ht - bt) << QPointF(wd - g, ht - bt) << QPointF(wd - g, ht - g)
              << QPointF(g, ht - g) << QPointF(g, ht - bt) << QPointF(l + w, ht - bt)
              << QPointF(l + w, ht - bt - h) << QPointF(g, ht - bt - h) << QPointF(g, t + h)
              << QPointF(l + w, t + h) << QPointF(l + w, t) << QPointF(g, t);
        centres[0] = QPointF(l + a, t + b);
        centres[1] = QPointF(wd - r - a, t + b);
        centres[2] = QPointF(wd - r - a, ht - bt - b);
        centres[3] = QPointF(l + a, ht - bt - b);
    }

    p.setPen(QPen(QBrush(Qt::red), 0.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    guide << guide.first();
    p.drawPolyline(guide);

    markpaint::useMarkPen(p, shape, colorIndex, lineWeight);
    const int dx[4] = { -1, 1, 1, -1 };
    const int dy[4] = { -1, -1, 1, 1 };
    for (int i = 0; i < 4; ++i)
        markpaint::drawMark(p, shape, centres[i], a, b, dx[i], dy[i]);
}
