#include "jobwindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void placeJobWindow(QWidget *window, const QString &title)
{
    window->setWindowOpacity(0.9);
    window->setWindowTitle(title);
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    window->move(avail.width() - window->width() - 80, 120);
    window->setWindowFlag(Qt::WindowStaysOnTopHint);
}
