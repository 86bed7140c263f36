#include "hpgltool.h"
#include "pathdump.h"
#include "sampledir.h"
#include "textfile.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>

class TestHpglRead : public QObject
{
    Q_OBJECT

private slots:
    void readPlt_data();
    void readPlt();
    void dropDegenerate_data();
    void dropDegenerate();
    void mergeCollinear_data();
    void mergeCollinear();
    void samples_data();
    void samples();
    void noise();
};

namespace {
void checkClean(const QList<CutPath> &paths)
{
    for (const CutPath &p : paths) {
        QVERIFY(!p.lines.isEmpty());
        for (const QLineF &s : p.lines) {
            for (double v : { s.x1(), s.y1(), s.x2(), s.y2() })
                QVERIFY2(std::isfinite(v) && v == std::floor(v), qPrintable(QString::number(v)));
            QVERIFY(s.toLine().p1() != s.toLine().p2());
        }
    }
}
} // namespace

void TestHpglRead::readPlt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("paths");

    QTest::newRow("export") << "IN;PA;SP1;PU100,200;PD300,200,300,400;PU;"
                            << "1/0/0/0: 100,200>300,200 300,200>300,400";
    QTest::newRow("straight run joined") << "PU0,0;PD10,0,20,0,20,10;"
                                         << "0/0/0/0: 0,0>20,0 20,0>20,10";
    QTest::newRow("pen up elsewhere") << "PU0,0;PD10,0;PU50,50;PD60,50;"
                                      << "0/0/0/0: 0,0>10,0 | 0/0/0/0: 50,50>60,50";
    QTest::newRow("pen up to last end") << "PU0,0;PD10,0;PU10,0;PD10,10;"
                                        << "0/0/0/0: 0,0>10,0 10,0>10,10";
    QTest::newRow("pen change inside path") << "SP2;PU0,0;PD10,0;SP3;PD10,10;"
                                            << "2/0/0/0: 0,0>10,0 10,0>10,10";
    QTest::newRow("pen change between paths") << "SP2;PU0,0;PD10,0;SP3;PU20,0;PD30,0;"
                                              << "2/0/0/0: 0,0>10,0 | 3/0/0/0: 20,0>30,0";
    QTest::newRow("line types")
        << "LT1,2.5,3;PU0,0;PD10,0;LT4;PU20,0;PD30,0;LT;PU40,0;PD50,0;"
        << "0/1/2.5/3: 0,0>10,0 | 0/4/2.5/3: 20,0>30,0 | 0/0/0/0: 40,0>50,0";
    QTest::newRow("line type, two values") << "LT7,1.5;PU0,0;PD10,0;"
                                           << "0/7/1.5/0: 0,0>10,0";
    QTest::newRow("zero-length dropped") << "PD10,10,10,10,20,20;"
                                         << "0/0/0/0: 0,0>20,20";
    QTest::newRow("decimal point skipped") << "PU100,200;PD12.5,300;"
                                           << "0/0/0/0: 100,200>125,300";
    QTest::newRow("PA follows last pen") << "PU0,0;PD;PA10,0,10,10;PU;PA50,50;"
                                         << "0/0/0/0: 0,0>10,0 10,0>10,10";
    QTest::newRow("spaces") << "PU 100 200;PD 300 2 00;"
                            << "0/0/0/0: 100,200>300,200";
    QTest::newRow("line breaks") << "IN;\r\nPU0,0;\nPD10,0;\r\nPD10,10;\n"
                                 << "0/0/0/0: 0,0>10,0 10,0>10,10";
    QTest::newRow("relative moves ignored") << "PU0,0;PR10,10;PD10,0;"
                                            << "0/0/0/0: 0,0>10,0";
    QTest::newRow("negative") << "PU-5,-7;PD-5,3;"
                              << "0/0/0/0: -5,-7>-5,3";
    QTest::newRow("job header skipped") << "MD0,0,12000,8000,4;IN;PA;PU0,0;PD0,10;PU;!PG;"
                                        << "0/0/0/0: 0,0>0,10";
    QTest::newRow("reversal not joined") << "PU0,0;PD10,0,0,0;"
                                         << "0/0/0/0: 0,0>10,0 10,0>0,0";
    // a pair cut short by ";" must not leave its digits for the next number
    QTest::newRow("x without y") << "PU100;PU5,6;PD7,6;"
                                 << "0/0/0/0: 5,6>7,6";
    QTest::newRow("malformed numbers read as 0") << "PU0,5;PD5-3,5;PD--2,9;"
                                                 << "0/0/0/0: 0,5>0,9";
    QTest::newRow("beyond int reads as 0") << "PU7,0;PD2147483648,0;"
                                           << "0/0/0/0: 7,0>0,0";
    QTest::newRow("int minimum") << "PU0,0;PD-2147483648,0;"
                                 << "0/0/0/0: 0,0>-2147483648,0";
    QTest::newRow("int maximum") << "PU0,0;PD2147483647,0;"
                                 << "0/0/0/0: 0,0>2147483647,0";
    // past twelve digits a run is read again against the cap
    QTest::newRow("leading zeros past twelve digits")
        << "PU0,0;PD0000000000007,00000000000000000009;"
        << "0/0/0/0: 0,0>7,9";
    QTest::newRow("runs past the cap read as 0") << "PU7,0;PD1234567890123456789012345,5;"
                                                 << "0/0/0/0: 7,0>0,5";
    QTest::newRow("minus inside y") << "PU0,0;PD5,3-1;"
                                    << "0/0/0/0: 0,0>5,0";
    QTest::newRow("pair without its end mark") << "PU0,0;PD5,5"
                                               << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("header only") << "IN;MD0,0,1000,2000,4;PU;"
                                 << "";
    QTest::newRow("lower case") << "pu0,0;pd10,10;"
                                << "";
    QTest::newRow("doubled letter") << "PPD10,10;"
                                    << "";
    QTest::newRow("missing semicolons") << "PU0,0PD10,0;"
                                        << "";
    QTest::newRow("pen number skips noise") << "SP-1 2;PU0,0;PD1,1;"
                                            << "12/0/0/0: 0,0>1,1";
}

void TestHpglRead::readPlt()
{
    QFETCH(QString, text);
    QFETCH(QString, paths);
    QCOMPARE(dumpPaths(HpglTool().readPlt(text)), paths);
}

void TestHpglRead::dropDegenerate_data()
{
    QTest::addColumn<QLineF>("segment");
    QTest::addColumn<bool>("kept");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("plain") << QLineF(0, 0, 10, 0) << true;
    QTest::newRow("rounds to one point") << QLineF(10.2, 5.0, 10.4, 5.3) << false;
    QTest::newRow("rounds apart") << QLineF(0.4, 0, 0.6, 0) << true;
    QTest::newRow("halves up") << QLineF(-2.5, 0, -1.6, 0) << false; // -2 and -2
    QTest::newRow("NaN") << QLineF(nan, 0, 10, 0) << false;
    QTest::newRow("infinity") << QLineF(0, 0, 10, inf) << false;
    QTest::newRow("minus infinity") << QLineF(0, -inf, 10, 0) << false;
    QTest::newRow("beyond int") << QLineF(0, 0, 3e9, 0) << false;
    QTest::newRow("below int") << QLineF(-3e9, 0, 0, 0) << false;
    QTest::newRow("near int minimum") << QLineF(-2147483647.2, 0, 0, 0) << true;
    QTest::newRow("half below int minimum") << QLineF(-2147483648.5, 0, 0, 0) << true;
    QTest::newRow("half above int maximum") << QLineF(0, 0, 2147483647.5, 0) << false;
}

void TestHpglRead::dropDegenerate()
{
    QFETCH(QLineF, segment);
    QFETCH(bool, kept);
    const QLineF good(100, 100, 200, 100);
    const QList<CutPath> in { makePath({ segment }, 5), makePath({ good, segment }, 6, 1, 2.0, 3) };
    const QList<CutPath> out = HpglTool().dropDegenerate(in);
    if (kept) {
        QCOMPARE(out, in);
    } else {
        QCOMPARE(out, QList<CutPath> { makePath({ good }, 6, 1, 2.0, 3) });
    }
}

void TestHpglRead::mergeCollinear_data()
{
    QTest::addColumn<CutPath>("path");
    QTest::addColumn<QString>("merged");

    QTest::newRow("three in a row")
        << polyline({ { 0, 0 }, { 1, 0 }, { 2, 0 }, { 5, 0 } }, 3) << "3/0/0/0: 0,0>5,0";
    QTest::newRow("square stays") << polyline({ { 0, 0 }, { 9, 0 }, { 9, 9 }, { 0, 9 }, { 0, 0 } })
                                  << "0/0/0/0: 0,0>9,0 9,0>9,9 9,9>0,9 0,9>0,0";
    QTest::newRow("closing and opening sides stay apart")
        << polyline({ { 5, 0 }, { 9, 0 }, { 9, 9 }, { 0, 9 }, { 0, 0 }, { 5, 0 } })
        << "0/0/0/0: 5,0>9,0 9,0>9,9 9,9>0,9 0,9>0,0 0,0>5,0";
    QTest::newRow("gap between") << makePath({ QLineF(0, 0, 1, 0), QLineF(2, 0, 3, 0) })
                                 << "0/0/0/0: 0,0>1,0 2,0>3,0";
    QTest::newRow("fuzzy meeting point")
        << makePath({ QLineF(0, 0, 10, 0), QLineF(10 + 1e-12, 0, 20, 0) }) << "0/0/0/0: 0,0>20,0";
    // y grows down on screen but Qt's angles count counter-clockwise with y up:
    // a tiny turn one way is an angle just above 0, the other way just below 360
    QTest::newRow("tiny turn joined")
        << polyline({ { 0, 0 }, { 1e8, 0 }, { 2e8, -1 } }) << "0/0/0/0: 0,0>200000000,-1";
    QTest::newRow("tiny turn other way kept") << polyline({ { 0, 0 }, { 1e8, 0 }, { 2e8, 1 } })
                                              << "0/0/0/0: 0,0>100000000,0 100000000,0>200000000,1";
    QTest::newRow("small turn kept") << polyline({ { 0, 0 }, { 1e4, 0 }, { 2e4, -1 } })
                                     << "0/0/0/0: 0,0>10000,0 10000,0>20000,-1";
    QTest::newRow("zero length absorbed")
        << makePath({ QLineF(0, 0, 5, 0), QLineF(5, 0, 5, 0), QLineF(5, 0, 5, 5) })
        << "0/0/0/0: 0,0>5,0 5,0>5,5";
    QTest::newRow("empty path dropped") << CutPath() << "";
}

void TestHpglRead::mergeCollinear()
{
    QFETCH(CutPath, path);
    QFETCH(QString, merged);
    QCOMPARE(dumpPaths(HpglTool().mergeCollinear({ path })), merged);
}

void TestHpglRead::samples_data()
{
    QTest::addColumn<QString>("file");
    const QString dir = sampleDir();
    if (dir.isEmpty())
        QSKIP("no HPGL samples beside the repository");
    const QStringList files = QDir(dir).entryList(QDir::Files, QDir::Name);
    for (const QString &f : files) {
        if (!f.endsWith(QLatin1String(".md")))
            QTest::newRow(qPrintable(f)) << dir + QLatin1Char('/') + f;
    }
}

// Foreign HPGL: nothing may crash, every coordinate is whole and finite,
// no segment vanishes, and writing plain HPGL and reading it back is stable.
void TestHpglRead::samples()
{
    QFETCH(QString, file);
    const QString text = readFile(file);
    QVERIFY(!text.isEmpty());
    HpglTool tool;
    const QList<CutPath> paths = tool.readPlt(text);
    checkClean(paths);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(tool.mergeCollinear(tool.dropDegenerate(paths)), paths);
    const QList<CutPath> again = tool.readPlt(tool.writePlain(paths));
    QCOMPARE(dumpPaths(tool.readPlt(tool.writePlain(again))), dumpPaths(again));
}

// Random text over the reader's own alphabet, long digit runs included.
void TestHpglRead::noise()
{
    const QString alphabet = QStringLiteral("PUDASLTMpu0123456789-.,; \n");
    QRandomGenerator rng(7);
    HpglTool tool;
    int withPaths = 0;
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int n = rng.bounded(200);
        for (int i = 0; i < n; ++i)
            text += alphabet.at(rng.bounded(alphabet.size()));
        const QList<CutPath> paths = tool.readPlt(text);
        checkClean(paths);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(text));
        QCOMPARE(tool.mergeCollinear(tool.dropDegenerate(paths)), paths);
        withPaths += !paths.isEmpty();
    }
    QVERIFY(withPaths > 100); // the noise does reach the drawing code
}

QTEST_GUILESS_MAIN(TestHpglRead)
#include "tst_hpglread.moc"
