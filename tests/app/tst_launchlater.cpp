// The restart program: waits, then starts what it was given.
#include "process.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestLaunchLater : public QObject
{
    Q_OBJECT

private slots:
    void startsTheProgram()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath("started");
        QCOMPARE(QProcess::execute(
                     LAUNCHLATER_PATH, { "100", "/bin/sh", "-c", "echo ok > '" + marker + "'" }),
            0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("nothing") << QStringList() << 2;
        QTest::newRow("no program") << QStringList({ "500" }) << 2;
        QTest::newRow("time not a number") << QStringList({ "soon", "/bin/true" }) << 2;
        QTest::newRow("negative time") << QStringList({ "-5", "/bin/true" }) << 2;
        QTest::newRow("missing program") << QStringList({ "0", "/no/such/program" }) << 1;
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QCOMPARE(QProcess::execute(LAUNCHLATER_PATH, args), code);
    }

    // A bare name is found beside the running program first, as on Windows.
    void bareNameBesideTheProgram()
    {
        const QString beside = QCoreApplication::applicationDirPath() + "/vemo-test-helper.sh";
        QTemporaryDir dir;
        const QString marker = dir.filePath("ran");
        QFile script(beside);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho ok > \"$1\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(startDetachedProgram("vemo-test-helper.sh", { marker }));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QFile::remove(beside);
        QCOMPARE(restartProgramName(), QStringLiteral("LaunchLater"));
    }
};

QTEST_MAIN(TestLaunchLater)
#include "tst_launchlater.moc"
