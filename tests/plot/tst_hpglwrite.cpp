#include "hpgltool.h"
#include "pathdump.h"

#include <QtTest>

#include <limits>

namespace {
enum Writer
{
    Pen1,
    Pen2,
    Pen2Dashed,
    Pens,
    PensDashed,
    Plain
};

QString runWriter(int writer, const QList<CutPath> &paths, double posLen, double negLen)
{
    HpglTool tool;
    switch (writer) {
    case Pen1:
        return tool.writePen1(paths);
    case Pen2:
        return tool.writePen2(paths);
    case Pen2Dashed:
        return tool.writePen2Dashed(paths, posLen, negLen);
    case Pens:
        return tool.writePens(paths);
    case PensDashed:
        return tool.writePensDashed(paths, posLen, negLen);
    default:
        return tool.writePlain(paths);
    }
}

const CutPath kShort = polyline({ { 0, 0 }, { 10, 0 } });
const CutPath kBar = polyline({ { 0, 0 }, { 100, 0 } }, 0, 1);
} // namespace

class TestHpglWrite : public QObject
{
    Q_OBJECT

private slots:
    void writers_data();
    void writers();
    void dashes_data();
    void dashes();
    void longDashedJobStaysDashed();
    void roundTrip();
};

void TestHpglWrite::writers_data()
{
    QTest::addColumn<int>("writer");
    QTest::addColumn<QList<CutPath>>("paths");
    QTest::addColumn<QString>("text");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("pen1 empty") << int(Pen1) << QList<CutPath>() << "IN;PA;SP1;PU;";
    QTest::newRow("pen2 empty") << int(Pen2) << QList<CutPath>() << "SP2;PU;!PG;";
    QTest::newRow("pen2 dashed empty") << int(Pen2Dashed) << QList<CutPath>() << "SP2;PU;!PG;";
    QTest::newRow("pens empty") << int(Pens) << QList<CutPath>() << "IN;PA;PU;!PG;";
    QTest::newRow("pens dashed empty") << int(PensDashed) << QList<CutPath>() << "IN;PA;PU;!PG;";
    QTest::newRow("plain empty") << int(Plain) << QList<CutPath>() << "IN;PA;PU;";

    QTest::newRow("pen1 y first") << int(Pen1) << QList<CutPath> { kShort }
                                  << "IN;PA;SP1;PU0,0;PD0,10;PU;";
    QTest::newRow("plain x first")
        << int(Plain) << QList<CutPath> { kShort } << "IN;PA;PU0,0;PD10,0;PU;";
    QTest::newRow("connected path")
        << int(Pen2) << QList<CutPath> { polyline({ { 100, 200 }, { 300, 200 }, { 300, 400 } }) }
        << "SP2;PU200,100;PD200,300,400,300;PU;!PG;";
    QTest::newRow("break inside path")
        << int(Pen2) << QList<CutPath> { makePath({ QLineF(0, 0, 10, 0), QLineF(20, 0, 30, 0) }) }
        << "SP2;PU0,0;PD0,10;PU0,20;PD0,30;PU;!PG;";
    QTest::newRow("halves round up")
        << int(Plain) << QList<CutPath> { makePath({ QLineF(2.5, -2.5, -2.5, 2.5) }) }
        << "IN;PA;PU3,-2;PD-2,3;PU;";
    QTest::newRow("below half") << int(Plain)
                                << QList<CutPath> { makePath({ QLineF(-0.5, 0.5, -2.6, 7.49) }) }
                                << "IN;PA;PU0,1;PD-3,7;PU;";

    // ends 10.4 and 10.45 print alike: only the integer test joins them
    const QList<CutPath> nearly { makePath({ QLineF(0, 0, 10.4, 0), QLineF(10.45, 0, 20, 0) }) };
    QTest::newRow("integer joint") << int(Pen1) << nearly << "IN;PA;SP1;PU0,0;PD0,10,0,20;PU;";
    QTest::newRow("fuzzy joint apart")
        << int(Pens) << nearly << "IN;PA;PU0,0;PD0,10;PU0,10;PD0,20;PU;!PG;";
    // equal under the fuzzy test, yet rounded to 2 and 3
    const QList<CutPath> split { makePath(
        { QLineF(0, 0, 2.4999999999999996, 0), QLineF(2.5, 0, 20, 0) }) };
    QTest::newRow("fuzzy joint kept") << int(Pens) << split << "IN;PA;PU0,0;PD0,2,0,20;PU;!PG;";
    QTest::newRow("integer joint apart")
        << int(Pen2) << split << "SP2;PU0,0;PD0,2;PU0,3;PD0,20;PU;!PG;";

    const QList<CutPath> pens { polyline({ { 0, 0 }, { 1, 0 } }, 2),
        polyline({ { 0, 2 }, { 1, 2 } }, 1), polyline({ { 0, 4 }, { 1, 4 } }, 0),
        polyline({ { 0, 6 }, { 1, 6 } }, 1) };
    QTest::newRow("pen order")
        << int(Pens) << pens
        << "IN;PA;SP1;PU2,0;PD2,1;PU6,0;PD6,1;SP2;PU0,0;PD0,1;SP0;PU4,0;PD4,1;PU;!PG;";
    QTest::newRow("pen order dashed")
        << int(PensDashed) << pens
        << "IN;PA;SP1;PU2,0;PD2,1;PU6,0;PD6,1;SP2;PU0,0;PD0,1;SP0;PU4,0;PD4,1;PU;!PG;";
    QTest::newRow("list order ignores pens")
        << int(Pen2) << pens << "SP2;PU0,0;PD0,1;PU2,0;PD2,1;PU4,0;PD4,1;PU6,0;PD6,1;PU;!PG;";
    QTest::newRow("first pen 0 selects nothing")
        << int(Pens) << QList<CutPath> { kShort, polyline({ { 0, 5 }, { 1, 5 } }, 0) }
        << "IN;PA;PU0,0;PD0,10;PU5,0;PD5,1;PU;!PG;";
    QTest::newRow("empty path selects no pen")
        << int(Pens) << QList<CutPath> { makePath({}, 3), kShort } << "IN;PA;PU0,0;PD0,10;PU;!PG;";

    // not-a-number never reaches the text; beyond the int range saturates
    QTest::newRow("NaN segment left out")
        << int(Pen1) << QList<CutPath> { makePath({ QLineF(nan, 0, 5, 5), QLineF(0, 0, 10, 0) }) }
        << "IN;PA;SP1;PU0,0;PD0,10;PU;";
    // the joint is tested against the last segment written
    QTest::newRow("NaN inside a path, fuzzy joint across it")
        << int(Pens)
        << QList<CutPath> { makePath({ QLineF(0, 0, 10, 0), QLineF(10, 0, nan, 0),
               QLineF(10, 0, 20, 0), QLineF(20, 0, inf, 0) }) }
        << "IN;PA;PU0,0;PD0,10,0,20;PU;!PG;";
    QTest::newRow("NaN inside a path, integer joint apart")
        << int(Pen2)
        << QList<CutPath> { makePath(
               { QLineF(0, 0, 10, 0), QLineF(nan, nan, 1, 1), QLineF(30, 0, 40, 0) }) }
        << "SP2;PU0,0;PD0,10;PU0,30;PD0,40;PU;!PG;";
    QTest::newRow("only infinite segments")
        << int(Pens) << QList<CutPath> { makePath({ QLineF(0, 0, inf, 0) }, 4) } << "IN;PA;PU;!PG;";
    QTest::newRow("beyond int saturates")
        << int(Plain) << QList<CutPath> { makePath({ QLineF(0, 0, 3e9, -3e9) }) }
        << "IN;PA;PU0,0;PD2147483647,-2147483648;PU;";
    QTest::newRow("int extremes") << int(
        Plain) << QList<CutPath> { makePath({ QLineF(-2147483647, 0, 2147483647, 0) }) }
                                  << "IN;PA;PU-2147483647,0;PD2147483647,0;PU;";
    QTest::newRow("int edges round")
        << int(Plain)
        << QList<CutPath> { makePath({ QLineF(-2147483647.2, 5, -2147483648.4, 2147483647.4) }) }
        << "IN;PA;PU-2147483647,5;PD-2147483648,2147483647;PU;";
}

void TestHpglWrite::writers()
{
    QFETCH(int, writer);
    QFETCH(QList<CutPath>, paths);
    QFETCH(QString, text);
    QCOMPARE(runWriter(writer, paths, 40, 4), text);
}

void TestHpglWrite::dashes_data()
{
    QTest::addColumn<int>("writer");
    QTest::addColumn<QList<CutPath>>("paths");
    QTest::addColumn<double>("posLen");
    QTest::addColumn<double>("negLen");
    QTest::addColumn<QString>("text");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("bar") << int(Pen2Dashed) << QList<CutPath> { kBar } << 40.0 << 4.0
                         << "SP2;PU0,0;PD0,40;PU0,44;PD0,84;PU0,88;PD0,100;PU;!PG;";
    QTest::newRow("bar, pens") << int(PensDashed) << QList<CutPath> { kBar } << 40.0 << 4.0
                               << "IN;PA;PU0,0;PD0,40;PU0,44;PD0,84;PU0,88;PD0,100;PU;!PG;";
    QTest::newRow("undashed writer")
        << int(Pen2) << QList<CutPath> { kBar } << 40.0 << 4.0 << "SP2;PU0,0;PD0,100;PU;!PG;";
    QTest::newRow("square, dashes round corners")
        << int(Pen2Dashed)
        << QList<CutPath> { polyline(
               { { 0, 0 }, { 30, 0 }, { 30, 30 }, { 0, 30 }, { 0, 0 } }, 0, 1) }
        << 40.0 << 4.0 << "SP2;PU0,0;PD0,30,10,30;PU14,30;PD30,30,30,6;PU30,2;PD30,0,0,0;PU;!PG;";
    QTest::newRow("dash ends on a corner")
        << int(Pen2Dashed) << QList<CutPath> { polyline({ { 0, 0 }, { 40, 0 }, { 40, 40 } }, 0, 1) }
        << 40.0 << 4.0 << "SP2;PU0,0;PD0,40;PU4,40;PD40,40;PU;!PG;";
    QTest::newRow("gap ends on a corner")
        << int(Pen2Dashed)
        << QList<CutPath> { polyline({ { 0, 0 }, { 40, 0 }, { 44, 0 }, { 50, 0 } }, 0, 1) } << 40.0
        << 4.0 << "SP2;PU0,0;PD0,40;PU0,44;PD0,50;PU;!PG;";
    QTest::newRow("pattern restarts per path")
        << int(Pen2Dashed)
        << QList<CutPath> { polyline({ { 0, 0 }, { 30, 0 } }, 0, 1),
               polyline({ { 0, 10 }, { 30, 10 } }, 0, 1) }
        << 40.0 << 4.0 << "SP2;PU0,0;PD0,30;PU10,0;PD10,30;PU;!PG;";
    QTest::newRow("no line type: solid")
        << int(Pen2Dashed) << QList<CutPath> { polyline({ { 0, 0 }, { 100, 0 } }) } << 40.0 << 4.0
        << "SP2;PU0,0;PD0,100;PU;!PG;";
    QTest::newRow("mode alone dashes")
        << int(Pen2Dashed) << QList<CutPath> { polyline({ { 0, 0 }, { 100, 0 } }, 0, 0, 0.0, 1) }
        << 40.0 << 4.0 << "SP2;PU0,0;PD0,40;PU0,44;PD0,84;PU0,88;PD0,100;PU;!PG;";
    QTest::newRow("pattern length alone dashes")
        << int(Pen2Dashed) << QList<CutPath> { polyline({ { 0, 0 }, { 100, 0 } }, 0, 0, 2.5) }
        << 40.0 << 4.0 << "SP2;PU0,0;PD0,40;PU0,44;PD0,84;PU0,88;PD0,100;PU;!PG;";
    QTest::newRow("sub-unit gaps, joined where they round alike")
        << int(Pen2Dashed) << QList<CutPath> { polyline({ { 0, 0 }, { 10, 0 } }, 0, 1) } << 4.0
        << 0.25 << "SP2;PU0,0;PD0,4,0,8;PU0,9;PD0,10;PU;!PG;";
    // lengths that cannot make progress would loop for ever: solid instead
    QTest::newRow("zero lengths") << int(Pen2Dashed) << QList<CutPath> { kBar } << 0.0 << 0.0
                                  << "SP2;PU0,0;PD0,100;PU;!PG;";
    QTest::newRow("zero gap") << int(Pen2Dashed) << QList<CutPath> { kBar } << 40.0 << 0.0
                              << "SP2;PU0,0;PD0,100;PU;!PG;";
    QTest::newRow("negative dash") << int(PensDashed) << QList<CutPath> { kBar } << -40.0 << 4.0
                                   << "IN;PA;PU0,0;PD0,100;PU;!PG;";
    QTest::newRow("NaN dash") << int(Pen2Dashed) << QList<CutPath> { kBar } << nan << 4.0
                              << "SP2;PU0,0;PD0,100;PU;!PG;";
    QTest::newRow("infinite gap") << int(Pen2Dashed) << QList<CutPath> { kBar } << 40.0 << inf
                                  << "SP2;PU0,0;PD0,100;PU;!PG;";
    QTest::newRow("lengths below resolution end")
        << int(Pen2Dashed) << QList<CutPath> { polyline({ { 1e9, 0 }, { 1e9 + 100, 0 } }, 0, 1) }
        << 1e-300 << 1e-300 << "SP2;PU0,1000000000;PD0,1000000100;PU;!PG;";
    // more dashes than any job holds: that path is cut solid, later ones still dashed
    QTest::newRow("dashes beyond the job's budget")
        << int(Pen2Dashed) << QList<CutPath> { polyline({ { 0, 0 }, { 2e9, 0 } }, 0, 1), kBar }
        << 40.0 << 4.0
        << "SP2;PU0,0;PD0,2000000000;PU0,0;PD0,40;PU0,44;PD0,84;PU0,88;PD0,100;PU;!PG;";
    // beyond the int range a dash walk would not end, or split at not-a-number
    QTest::newRow("dashes skip segments beyond int")
        << int(Pen2Dashed)
        << QList<CutPath> { polyline({ { 0, 0 }, { 100, 0 }, { 1e200, 0 } }, 0, 1) } << 40.0 << 4.0
        << "SP2;PU0,0;PD0,40;PU0,44;PD0,84;PU0,88;PD0,100;PU;!PG;";
    QTest::newRow("dash runs on past a NaN segment")
        << int(Pen2Dashed)
        << QList<CutPath> { makePath(
               { QLineF(0, 0, 30, 0), QLineF(nan, 0, 1, 0), QLineF(30, 0, 100, 0) }, 0, 1) }
        << 40.0 << 4.0 << "SP2;PU0,0;PD0,30,0,40;PU0,44;PD0,84;PU0,88;PD0,100;PU;!PG;";
    QTest::newRow("dashes across the whole double range")
        << int(PensDashed) << QList<CutPath> { makePath({ QLineF(-1e308, 0, 1e308, 0) }, 0, 1) }
        << 40.0 << 4.0 << "IN;PA;PU;!PG;";
}

// A million dashes (a kilometre of 1 mm dashes) is a big but real job: the
// writers' guard against runaway dash counts must not cut it solid.
void TestHpglWrite::longDashedJobStaysDashed()
{
    HpglTool tool;
    const CutPath path = polyline({ { 0, 0 }, { 44e6, 0 } }, 0, 1);
    const QString text = tool.writePen2Dashed({ path }, 40, 4);
    QCOMPARE(text.count(QLatin1String("PD")), 1000000);
    QVERIFY(text.startsWith(QLatin1String("SP2;PU0,0;PD0,40;PU0,44;PD0,84;")));
}

void TestHpglWrite::dashes()
{
    QFETCH(int, writer);
    QFETCH(QList<CutPath>, paths);
    QFETCH(double, posLen);
    QFETCH(double, negLen);
    QFETCH(QString, text);
    QCOMPARE(runWriter(writer, paths, posLen, negLen), text);
}

// Disjoint whole-unit paths without straight runs come back as they went.
void TestHpglWrite::roundTrip()
{
    QList<CutPath> paths;
    for (int i = 0; i < 20; ++i) {
        const double x = i * 1000 - 7000, y = (i % 3) * 500;
        paths << polyline(
            { { x, y }, { x + 100 + i, y }, { x + 100 + i, y + 50 }, { x, y + 80 + i }, { x, y } });
    }
    paths << polyline({ { 5, 5 }, { 2147483647, 5 } })
          << polyline({ { -5, -5 }, { -5, -2147483647 } });
    HpglTool tool;
    QCOMPARE(dumpPaths(tool.readPlt(tool.writePlain(paths))), dumpPaths(paths));
}

QTEST_GUILESS_MAIN(TestHpglWrite)
#include "tst_hpglwrite.moc"
