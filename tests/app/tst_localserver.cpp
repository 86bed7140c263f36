// The local server through which a caller brings the bar to view.
#include "apptestkit.h"
#include "pluginmw.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {
QByteArray message(const QString &text)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_0);
    out << text;
    return bytes;
}

bool connectClient(QLocalSocket &client)
{
    client.connectToServer(PluginMW::serverName());
    return client.waitForConnected(2000);
}

void send(QLocalSocket &client, const QByteArray &bytes)
{
    client.write(bytes);
    client.flush();
}

// Lets the server side run for a while without a condition to wait for.
void settle()
{
    QTest::qWait(200);
}
} // namespace

class TestLocalServer : public QObject
{
    Q_OBJECT

private:
    Recorder rec;

private slots:
    void init()
    {
        freshWorkFolder();
        rec = Recorder();
        rec.install();
    }
    void cleanup() { Recorder::uninstall(); }

    void showBringsTheHiddenBarBack()
    {
        PluginMW w;
        QVERIFY(!w.isVisible());
        QLocalSocket client;
        QVERIFY(connectClient(client));
        QCOMPARE(message("SHOW;").size(), 14); // length, then UTF-16 text
        send(client, message("SHOW;"));
        QTRY_VERIFY(w.isVisible());
    }

    void showRestoresAMinimisedBar()
    {
        PluginMW w;
        w.show();
        w.showMinimized();
        QVERIFY(w.isMinimized());
        QLocalSocket client;
        QVERIFY(connectClient(client));
        send(client, message("SHOW;"));
        QTRY_VERIFY(!w.isMinimized());
        QVERIFY(w.isVisible());
    }

    void otherMessagesDoNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("other text") << message("HIDE;");
        QTest::newRow("lower case") << message("show;");
        QTest::newRow("with line end") << message("SHOW;\n");
        QTest::newRow("empty string") << message("");
        QTest::newRow("latin-1 bytes") << QByteArray("SHOW;");
        QTest::newRow("truncated") << message("SHOW;").left(12);
        QTest::newRow("odd length") << QByteArray::fromHex("00000003414243");
        QTest::newRow("huge length") << QByteArray::fromHex("7ffffff0") + QByteArray(100, 'x');
    }

    void otherMessagesDoNothing()
    {
        QFETCH(QByteArray, bytes);
        PluginMW w;
        QLocalSocket client;
        QVERIFY(connectClient(client));
        send(client, bytes);
        settle();
        QVERIFY(!w.isVisible());
        // the server still serves a new client
        QLocalSocket next;
        QVERIFY(connectClient(next));
        send(next, message("SHOW;"));
        QTRY_VERIFY(w.isVisible());
    }

    void corruptDataEndsTheConnection()
    {
        PluginMW w;
        QLocalSocket client;
        QVERIFY(connectClient(client));
        send(client, QByteArray::fromHex("00000003414243"));
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    }

    // Refused at the length field, before the rest is waited for.
    void hugeLengthEndsTheConnection()
    {
        PluginMW w;
        QLocalSocket client;
        QVERIFY(connectClient(client));
        send(client, QByteArray::fromHex("7ffffff0"));
        // a byte at a time, never silent long enough to be dropped for that
        for (int i = 0; i < 40 && client.state() == QLocalSocket::ConnectedState; ++i) {
            send(client, "x");
            QTest::qWait(50);
        }
        QCOMPARE(client.state(), QLocalSocket::UnconnectedState);
    }

    void silentClientsAreDropped()
    {
        PluginMW w;
        QLocalSocket client;
        QVERIFY(connectClient(client));
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, 15000);
    }

    void openConnectionsAreCapped()
    {
        PluginMW w;
        auto *server = w.findChild<QLocalServer *>();
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        for (int i = 0; i < 40; ++i) {
            clients.push_back(std::make_unique<QLocalSocket>());
            QVERIFY(connectClient(*clients.back()));
        }
        auto dropped = [&clients] {
            return std::count_if(clients.begin(), clients.end(),
                [](const auto &c) { return c->state() == QLocalSocket::UnconnectedState; });
        };
        QTRY_COMPARE(dropped(), 8L);
        QTRY_COMPARE(server->findChildren<QLocalSocket *>().size(), 32);
    }

#ifndef Q_OS_WIN
    // Accepting fails while the process has no descriptor left; the server
    // comes back once it has.
    void serverListensAgainAfterDescriptorsRanOut()
    {
        PluginMW w;
        auto *server = w.findChild<QLocalServer *>();
        QVERIFY(server->isListening());
        struct Starved
        {
            rlimit old {};
            QList<int> fillers;
            Starved()
            {
                getrlimit(RLIMIT_NOFILE, &old);
                rlimit low = old;
                int top = 0;
                for (const QString &fd : QDir("/proc/self/fd").entryList(QDir::System))
                    top = std::max(top, fd.toInt());
                low.rlim_cur = rlim_t(top + 16);
                setrlimit(RLIMIT_NOFILE, &low);
                for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
                    fillers << fd;
                ::close(fillers.takeLast()); // one left, for the client's own end
            }
            ~Starved()
            {
                for (int fd : fillers)
                    ::close(fd);
                setrlimit(RLIMIT_NOFILE, &old);
            }
        };
        {
            Starved starved;
            QLocalSocket client;
            client.connectToServer(PluginMW::serverName());
            QCOMPARE(client.state(), QLocalSocket::ConnectedState);
            // the server cannot accept it and lets it go
            QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
        }
        QLocalSocket next;
        QTRY_VERIFY(connectClient(next));
        send(next, message("SHOW;"));
        QTRY_VERIFY(w.isVisible());
    }
#endif

    void splitMessage()
    {
        PluginMW w;
        QLocalSocket client;
        QVERIFY(connectClient(client));
        const QByteArray bytes = message("SHOW;");
        send(client, bytes.left(3));
        settle();
        send(client, bytes.mid(3, 6));
        settle();
        QVERIFY(!w.isVisible());
        send(client, bytes.mid(9));
        QTRY_VERIFY(w.isVisible());
    }

    void severalMessagesInOneWrite()
    {
        PluginMW w;
        QLocalSocket client;
        QVERIFY(connectClient(client));
        send(client, message("HELLO;") + message("SHOW;"));
        QTRY_VERIFY(w.isVisible());
        w.hide();
        send(client, message("SHOW;") + message("SHOW;"));
        QTRY_VERIFY(w.isVisible());
    }

    // The message is read from the connection that sent it, whichever
    // client connected last.
    void severalClients()
    {
        PluginMW w;
        QLocalSocket first, second;
        QVERIFY(connectClient(first));
        QVERIFY(connectClient(second));
        settle();
        send(second, message("NOPE;"));
        send(first, message("SHOW;"));
        QTRY_VERIFY(w.isVisible());
        w.hide();
        send(second, message("SHOW;"));
        QTRY_VERIFY(w.isVisible());
    }

    void disconnectedSocketsAreReleased()
    {
        PluginMW w;
        auto *server = w.findChild<QLocalServer *>();
        QVERIFY(server && server->isListening());
        {
            QLocalSocket a, b;
            QVERIFY(connectClient(a));
            QVERIFY(connectClient(b));
            QTRY_COMPARE(server->findChildren<QLocalSocket *>().size(), 2);
            a.disconnectFromServer();
            QTRY_COMPARE(server->findChildren<QLocalSocket *>().size(), 1);
        }
        QTRY_COMPARE(server->findChildren<QLocalSocket *>().size(), 0);
    }

    // The window may go while callers are still connected.
    void windowGoesWhileClientsAreConnected()
    {
        QLocalSocket first, second;
        {
            PluginMW w;
            auto *server = w.findChild<QLocalServer *>();
            QVERIFY(connectClient(first));
            QVERIFY(connectClient(second));
            QTRY_COMPARE(server->findChildren<QLocalSocket *>().size(), 2);
        }
        QTRY_COMPARE(first.state(), QLocalSocket::UnconnectedState);
        QTRY_COMPARE(second.state(), QLocalSocket::UnconnectedState);
    }

#ifndef Q_OS_WIN
    // A socket file left behind by a crashed run does not keep the new run
    // from listening.
    void staleServerIsReplaced()
    {
        const QString path = QDir::tempPath() + "/" + PluginMW::serverName();
        QFile::remove(path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un addr {};
        addr.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path);
        QVERIFY(size_t(native.size()) < sizeof(addr.sun_path));
        memcpy(addr.sun_path, native.constData(), size_t(native.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)), 0);
        ::close(fd); // no listener, file stays
        QVERIFY(QFile::exists(path));

        PluginMW w;
        auto *server = w.findChild<QLocalServer *>();
        QVERIFY(server && server->isListening());
        QLocalSocket client;
        QVERIFY(connectClient(client));
        send(client, message("SHOW;"));
        QTRY_VERIFY(w.isVisible());
    }
#endif

    // A copy that is running keeps the name; the second one works without
    // a server and says nothing.
    void runningCopyKeepsTheName()
    {
        QLocalServer running;
        QVERIFY(running.listen(PluginMW::serverName()));
        PluginMW w;
        auto *server = w.findChild<QLocalServer *>();
        QVERIFY(server && !server->isListening());
        QVERIFY(rec.messages.isEmpty());
        QLocalSocket client;
        QVERIFY(connectClient(client));
        QTRY_VERIFY(running.hasPendingConnections());
        send(client, message("SHOW;"));
        settle();
        QVERIFY(!w.isVisible());
    }

    // Closing releases the name at once, for the copy that the language
    // switch starts.
    void closeReleasesTheName()
    {
        {
            PluginMW w;
            w.show();
            QVERIFY(w.close());
            QCOMPARE(rec.exits, QList<int> { 0 });
            QLocalServer next;
            QVERIFY(next.listen(PluginMW::serverName()));
        }
    }
};

QTEST_MAIN(TestLocalServer)
#include "tst_localserver.moc"
