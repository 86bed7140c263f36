// Compiled into the program only (never into tests): the cutter it finds on
// this platform shows its work in a window of its own.
#include "cutterwindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {
void showCutter()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    // once the application is whole: this runs while it is being built
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        EmulatedCutter *cutter = EmulatedCutter::defaultCutter();
        if (!cutter)
            return;
        auto *window = new CutterWindow(cutter);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // beside the simulated host's window, below the bar
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        window->move(avail.left() + 540, avail.top() + 100);
        window->show();
    });
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(showCutter)
