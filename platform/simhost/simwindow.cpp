#include "simwindow.h"
#include "simhost_p.h"

#include <QApplication>
#include <QPainter>

namespace simhost {

SimWindow::SimWindow(QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Simulated host"));
    resize(520, 720);
}

void SimWindow::setShown(SimHost::Private *d, bool shown)
{
    if (!shown) {
        if (d->window)
            d->window->hide();
        return;
    }
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    if (!d->window)
        d->window = new SimWindow;
    d->window->show();
    d->window->update();
}

void SimWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(200, 200, 200));
    SimHost &host = SimHost::instance();
    const Document *doc = host.activeDocument();
    if (!doc) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No document open"));
        return;
    }
    const QRectF area = QRectF(rect()).adjusted(16, 16, -16, -16);
    const double k
        = qMin(area.width() / doc->pageSize.width(), area.height() / doc->pageSize.height());
    const QSizeF size(doc->pageSize.width() * k, doc->pageSize.height() * k);
    const QRectF page(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2,
        size.width(), size.height());
    p.fillRect(page.translated(3, 3), QColor(120, 120, 120));
    host.paintPage(p, *doc, page, false);
    p.setPen(Qt::black);
    p.drawRect(page);
}

} // namespace simhost
