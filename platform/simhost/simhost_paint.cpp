// Drawing of a page: the host's window, snapshots and the PDF writer.
#include "simhost_p.h"

#include <QPainter>
#include <QTransform>

namespace simhost {

void SimHost::paintPage(
    QPainter &p, const Document &doc, const QRectF &target, bool printableOnly) const
{
    const QSizeF page = doc.pageSize;
    if (page.isEmpty())
        return;
    const double k = qMin(target.width() / page.width(), target.height() / page.height());
    QTransform t;
    t.translate(target.left(), target.top() + page.height() * k);
    t.scale(k, -k);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (!printableOnly) {
        p.fillRect(t.mapRect(QRectF(QPointF(0, 0), page)), Qt::white);
    }
    const auto drawn = [&](const Layer &l) { return l.visible && (l.printable || !printableOnly); };
    for (const Shape *shape : shapesByLayer(doc, drawn)) {
        const Shape &s = *shape;
        const QPainterPath path = t.map(s.path);
        if (!s.bitmap.isNull()) {
            p.drawImage(path.boundingRect(), s.bitmap);
            continue;
        }
        if (s.filled)
            p.fillPath(path, s.fill.toColor());
        if (s.outlineWidth > 0) {
            QPen pen(s.outline.toColor(), qMax(1.0, s.outlineWidth * k));
            if (s.dashed)
                pen.setStyle(Qt::DashLine);
            p.strokePath(path, pen);
        }
    }
    p.restore();
}

QImage SimHost::snapshot(double pixelsPerInch) const
{
    const Document *doc = const_cast<SimHost *>(this)->activeDocument();
    if (!doc)
        return QImage();
    const QSize px(qMax(1, qRound(doc->pageSize.width() * pixelsPerInch)),
        qMax(1, qRound(doc->pageSize.height() * pixelsPerInch)));
    QImage img(px, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paintPage(p, *doc, QRectF(QPointF(0, 0), QSizeF(px)), false);
    return img;
}

bool SimHost::saveSnapshot(const QString &file, double pixelsPerInch) const
{
    const QImage img = snapshot(pixelsPerInch);
    return !img.isNull() && img.save(file);
}

} // namespace simhost
