// The program started with a start document for the simulated host.
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestStartDocument : public QObject
{
    Q_OBJECT

private slots:
    void startsWithAnyDocument_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("reported");
        QTest::newRow("malformed") << QByteArray("{\"page\": {\"width\": 210,") << true;
        QTest::newRow("not an object") << QByteArray("[]") << true;
        QTest::newRow("one rectangle") << QByteArray(R"({"layers":[{"name":"Artwork","shapes":[
                          {"type":"rectangle","x":10,"y":10,"width":50,"height":30}]}]})")
                                       << false;
    }

    // A document that does not read is named on stderr; the program runs on
    // with an empty host.
    void startsWithAnyDocument()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, reported);
        QTemporaryDir dir;
        QFile doc(dir.filePath("start.json"));
        QVERIFY(doc.open(QIODevice::WriteOnly));
        doc.write(json);
        doc.close();

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VEMO_SIMHOST_DOCUMENT", doc.fileName());
        env.insert("VEMO_PUBLIC_DOCUMENTS", dir.path());
        env.insert("VEMO_USB_NO_DEFAULT", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(PROGRAM_PATH), QStringList());
        QVERIFY(program.waitForStarted());
        // it is up once its local server answers
        QLocalSocket client;
        QTRY_VERIFY_WITH_TIMEOUT(
            (client.connectToServer("VEMO_COMMON_PLUGIN"), client.waitForConnected(100)), 10000);
        QByteArray err;
        if (reported)
            QTRY_VERIFY((err += program.readAllStandardError()).contains("start.json"));
        err += program.readAllStandardError();
        QCOMPARE(err.contains("cannot load the start document"), reported);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
    }
};

QTEST_MAIN(TestStartDocument)
#include "tst_startdocument.moc"
