#include "hpgltool.h"
#include "jobformat.h"
#include "textfile.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <climits>

Q_DECLARE_METATYPE(JobKind)

class TestJobFormat : public QObject
{
    Q_OBJECT

private slots:
    void header_data();
    void header();
    void pathAndMarksJob();
    void readSize_data();
    void readSize();
    void rewriteKind_data();
    void rewriteKind();
    void readFile_data();
    void readFile();
    void readFileAsStream_data();
    void readFileAsStream();
};

void TestJobFormat::header_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<JobKind>("kind");
    QTest::addColumn<QString>("text");

    QTest::newRow("marks") << 12000 << 8000 << JobKind::PathAndMarks << "MD0,0,12000,8000,4;";
    QTest::newRow("QR job") << 12000 << 8000 << JobKind::QrJob << "MD0,0,12000,8000,5;";
    QTest::newRow("blank paper") << 11693 << 8268 << JobKind::BlankPaper << "MD0,0,11693,8268,3;";
    QTest::newRow("single mark") << 0 << 0 << JobKind::PathAndMarks << "MD0,0,0,0,4;";
    QTest::newRow("last mark above and left")
        << -400 << -9000 << JobKind::PathAndMarks << "MD0,0,-400,-9000,4;";
    QTest::newRow("int extremes") << INT_MIN << INT_MAX << JobKind::QrJob
                                  << "MD0,0,-2147483648,2147483647,5;";
}

// The header is written as the cutter reads it, and reads back to its sizes.
void TestJobFormat::header()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(JobKind, kind);
    QFETCH(QString, text);
    QCOMPARE(jobHeader(a, b, kind), text);
    const JobSize size = readJobSize(text + QStringLiteral("IN;PA;SP1;PU0,0;PD0,10;PU;!PG;"));
    QCOMPARE(size.height, a);
    QCOMPARE(size.width, b);
}

// Header, creasing body, cutting body: one initialisation, one page end.
void TestJobFormat::pathAndMarksJob()
{
    CutPath crease, cut;
    crease.lines << QLineF(0, 0, 0, 500);
    cut.lines << QLineF(10, 10, 300, 10) << QLineF(300, 10, 300, 200);
    cut.lineType = 1;
    HpglTool tool;
    const QString header = jobHeader(12000, 8000, JobKind::PathAndMarks);
    const QString job = header + tool.writePen1({ crease }) + tool.writePen2Dashed({ cut }, 40, 4);
    QCOMPARE(job.count(QStringLiteral("IN;PA;SP1;")), 1);
    QCOMPARE(job.indexOf(QStringLiteral("IN;PA;SP1;")), header.size());
    QCOMPARE(job.count(QStringLiteral("PU;!PG;")), 1);
    QVERIFY(job.endsWith(QStringLiteral("PU;!PG;")));
    QVERIFY(!job.contains(QLatin1Char(' ')) && !job.contains(QLatin1Char('\n')));
    QCOMPARE(rewriteJobKind(jobHeader(12000, 8000, JobKind::QrJob) + job.mid(header.size())), job);
}

void TestJobFormat::readSize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("width");

    QTest::newRow("five fields") << "MD0,0,12000,8000,5;IN;PA;SP1;" << 12000 << 8000;
    QTest::newRow("four fields") << "MD0,0,12000,8000;IN;" << 12000 << 8000;
    QTest::newRow("no header") << "IN;PA;SP1;PU0,0;PD0,10;PU;" << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0;
    QTest::newRow("header after noise") << "XMD0,0,5,6,4;" << 5 << 6;
    QTest::newRow("M takes the next character") << "MMD0,0,5,6,4;" << 0 << 0;
    QTest::newRow("negative") << "MD0,0,-300,-400,4;" << -300 << -400;
    QTest::newRow("not a number") << "MD0,0,abc,12,4;" << 0 << 12;
    QTest::newRow("cut short in height") << "MD0,0,12000" << 12000 << 0;
    QTest::newRow("cut short in width") << "MD0,0,12000,80" << 12000 << 80;
    QTest::newRow("semicolon inside first field") << "MD0;0,0,5,6;" << 5 << 6;
    QTest::newRow("semicolon ends height") << "MD0,0,7;IN;PA,9;" << 0 << 9;
    QTest::newRow("fifth field ignored") << "MD0,0,5,6,x,y;" << 5 << 6;
    QTest::newRow("beyond int") << "MD0,0,2147483648,1,4;" << 0 << 1;
}

void TestJobFormat::readSize()
{
    QFETCH(QString, text);
    QFETCH(int, height);
    QFETCH(int, width);
    const JobSize size = readJobSize(text);
    QCOMPARE(size.height, height);
    QCOMPARE(size.width, width);
}

void TestJobFormat::rewriteKind_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sent");

    QTest::newRow("stored QR job") << "MD0,0,12000,8000,5;IN;PA;SP1;PU0,0;"
                                   << "MD0,0,12000,8000,4;IN;PA;SP1;PU0,0;";
    QTest::newRow("already 4") << "MD0,0,1,2,4;SP2;"
                               << "MD0,0,1,2,4;SP2;";
    QTest::newRow("blank paper kind") << "MD0,0,1,2,3;SP2;"
                                      << "MD0,0,1,2,4;SP2;";
    // without a header the old rewrite turned "IN;" into "I4;"
    QTest::newRow("no header") << "IN;PA;SP1;PU0,0;"
                               << "IN;PA;SP1;PU0,0;";
    QTest::newRow("starts with semicolon") << ";IN;"
                                           << ";IN;";
    QTest::newRow("no semicolon") << "MD0,0,1,2,5"
                                  << "MD0,0,1,2,5";
    QTest::newRow("not a kind digit") << "MD0,0,1,2,7;IN;"
                                      << "MD0,0,1,2,7;IN;";
    QTest::newRow("no comma before kind") << "MD0,0,1,25;IN;"
                                          << "MD0,0,1,25;IN;";
    QTest::newRow("header later in the text") << "IN;MD0,0,1,2,5;"
                                              << "IN;MD0,0,1,2,5;";
    QTest::newRow("short") << "MD;"
                           << "MD;";
    QTest::newRow("empty") << ""
                           << "";
}

void TestJobFormat::rewriteKind()
{
    QFETCH(QString, text);
    QFETCH(QString, sent);
    QCOMPARE(rewriteJobKind(text), sent);
}

// The bytes as a job file in dir; an empty path when it cannot be written.
static QString writeJob(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("job.plt"));
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

void TestJobFormat::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("job") << QByteArray("MD0,0,1,2,5;IN;") << "MD0,0,1,2,5;IN;";
    QTest::newRow("CR LF") << QByteArray("IN;\r\nPU0,0;\r\n") << "IN;\nPU0,0;\n";
    QTest::newRow("empty file") << QByteArray() << "";
}

void TestJobFormat::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = writeJob(dir, bytes);
    QVERIFY(!path.isEmpty());
    QCOMPARE(::readFile(path), text);
    QCOMPARE(::readFile(dir.filePath(QStringLiteral("missing.plt"))), QString());
    QCOMPARE(::readFile(dir.path()), QString());
    QCOMPARE(::readFile(QString()), QString());
}

// Whatever the bytes, the text is what a text stream on the file in text
// mode reads, the way the file was always read.
void TestJobFormat::readFileAsStream_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QByteArray large;
    for (int i = 0; large.size() < 200000; ++i)
        large += "PD" + QByteArray::number(i) + ",7;" + (i % 3 ? "\r\n" : "\r");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only CR") << QByteArray("\r\r");
    QTest::newRow("lone CR") << QByteArray("IN;\rPU1,\r2;\r");
    QTest::newRow("CR over many reads") << large;
    QTest::newRow("UTF-8") << QByteArray("IN;LB\xc3\xa9\xe4\xb8\xad;PU1,2;\r\n");
    QTest::newRow("not UTF-8") << QByteArray("IN;LB\xe9\xff\xc3;PU1,2;");
    QTest::newRow("past ASCII late") << large + "LB\xc3\xa9;";
    QTest::newRow("UTF-8 mark") << QByteArray("\xef\xbb\xbfIN;PU1,2;");
    QTest::newRow("UTF-16 mark") << QByteArray("\xff\xfeI\0N\0;\0", 8);
    QTest::newRow("UTF-32 mark") << QByteArray("\0\0\xfe\xff\0\0\0I", 8);
    QTest::newRow("zero first") << QByteArray("\0IN;", 4);
}

void TestJobFormat::readFileAsStream()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = writeJob(dir, bytes);
    QVERIFY(!path.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString expected = QTextStream(&file).readAll();
    const QString text = ::readFile(path);
    QCOMPARE(text, expected);
    QCOMPARE(text.isNull(), expected.isNull());
}

QTEST_GUILESS_MAIN(TestJobFormat)
#include "tst_jobformat.moc"
