#include "pluginmw.h"

#include "pluginmw_p.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>

namespace {
// Local server limits. A real message ("SHOW;") is a few bytes; a longer
// announced length is refused before any of it is buffered. Callers send at
// once, so one that stays silent is dropped; with a cap on open connections
// idle clients cannot use up the process's file descriptors.
const quint32 maxMessageBytes = 1024;
const int silentClientMs = 3000;
const int maxClients = 32;
const int relistenMs = 1000;
} // namespace

QString PluginMW::serverName()
{
    return QStringLiteral("VEMO_COMMON_PLUGIN");
}

void PluginMW::startLocalServer()
{
    localServer = new QLocalServer(this);
    bool listening = localServer->listen(serverName());
#ifndef Q_OS_WIN
    // A crashed run leaves its socket file behind. Only a copy that still
    // answers counts as running; otherwise the name is ours to take.
    if (!listening && localServer->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalSocket probe;
        probe.connectToServer(serverName());
        const bool running = probe.waitForConnected(1000);
        probe.abort();
        if (!running) {
            QLocalServer::removeServer(serverName());
            listening = localServer->listen(serverName());
        }
    }
#endif
    if (!listening) {
        qCDebug(lcApp, "the local server %s is not listening: %s", qPrintable(serverName()),
            qPrintable(localServer->errorString()));
        return;
    }
    connect(
        localServer, &QLocalServer::newConnection, this, &PluginMW::on_localSocket_newConnection);
    // The server closes itself for good when accepting fails (the process
    // out of file descriptors), and only its error text tells; take the
    // name back once it can.
    auto *watch = new QTimer(localServer);
    connect(watch, &QTimer::timeout, localServer,
        [this, healthy = localServer->errorString()]() mutable {
            if (localServer->isListening() && localServer->errorString() == healthy)
                return;
            localServer->close();
            if (localServer->listen(serverName()))
                healthy = localServer->errorString();
            else
                qCDebug(lcApp, "the local server could not listen again: %s",
                    qPrintable(localServer->errorString()));
        });
    watch->start(relistenMs);
}

void PluginMW::on_localSocket_newConnection()
{
    while (QLocalSocket *socket = localServer->nextPendingConnection()) {
        if (localServer->findChildren<QLocalSocket *>(QString(), Qt::FindDirectChildrenOnly).size()
            > maxClients) {
            qCDebug(lcApp, "a caller was refused: %d connections are open", maxClients);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *silence = new QTimer(socket);
        silence->setSingleShot(true);
        connect(silence, &QTimer::timeout, socket, &QLocalSocket::abort);
        connect(socket, &QLocalSocket::readyRead, silence, QOverload<>::of(&QTimer::start));
        silence->start(silentClientMs);
        localSocket = socket;
        connect(socket, &QLocalSocket::readyRead, this, &PluginMW::on_localSocket_recieved);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            if (localSocket == socket)
                localSocket = nullptr;
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            readMessages(socket);
    }
}

void PluginMW::on_localSocket_recieved()
{
    auto *socket = qobject_cast<QLocalSocket *>(sender());
    if (!socket)
        socket = localSocket;
    if (socket)
        readMessages(socket);
}

void PluginMW::readMessages(QLocalSocket *socket)
{
    // Messages may arrive split or several at once: take every complete one.
    QDataStream in(socket);
    in.setVersion(QDataStream::Qt_5_0);
    for (;;) {
        const QByteArray field = socket->peek(4);
        if (field.size() == 4) {
            const quint32 length = qFromBigEndian<quint32>(field.constData());
            if (length != 0xffffffffu && length > maxMessageBytes) { // all ones: a null string
                qCDebug(lcApp, "a caller was cut off: a message of %u bytes", length);
                socket->abort();
                return;
            }
        }
        in.startTransaction();
        QString message;
        in >> message;
        if (!in.commitTransaction())
            break;
        if (message == QLatin1String("SHOW;"))
            bringToView();
    }
    // Data that can never become a message ends the connection.
    if (in.status() == QDataStream::ReadCorruptData) {
        qCDebug(lcApp, "a caller was cut off: its data is no message");
        socket->abort();
    }
}

void PluginMW::bringToView()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
}
