#include "devicenotifier.h"

#include <QCoreApplication>
#include <QMutex>
#include <QPointer>
#include <QThread>

namespace {
QMutex notifierMutex;
QPointer<DeviceNotifier> notifier;
} // namespace

DeviceNotifier::DeviceNotifier(QObject *parent)
    : QObject(parent)
{
}

DeviceNotifier *DeviceNotifier::instance()
{
    QMutexLocker lock(&notifierMutex);
    QCoreApplication *app = QCoreApplication::instance();
    if (!notifier && app) {
        auto *n = new DeviceNotifier;
        n->moveToThread(app->thread());
        // a child of the application goes with it; only its own thread may adopt it
        if (QThread::currentThread() == app->thread())
            n->setParent(app);
        notifier = n;
    }
    return notifier.data();
}

void DeviceNotifier::post(quint32 event)
{
    DeviceNotifier *n = instance();
    if (!n)
        return;
    QMetaObject::invokeMethod(
        n, [n, event] { emit n->deviceChange(event); }, Qt::QueuedConnection);
}
