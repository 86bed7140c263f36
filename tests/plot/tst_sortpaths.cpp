// Auto-sort: direction, start point and the row order, with the fast row
// sort checked against the literal neighbour-swap passes.
#include "hpgltool.h"
#include "literalsort.h"
#include "pathdump.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>

namespace {

// A path whose minimum corner is (mx, my) and whose height is h; the pen
// tags it so orders can be read back.
CutPath box(double mx, double my, double h, int tag)
{
    return polyline({ { mx + 4, my }, { mx, my + h }, { mx + 8, my + h / 2 } }, tag);
}

QList<int> tags(const QList<CutPath> &paths)
{
    QList<int> out;
    for (const CutPath &p : paths)
        out << p.pen;
    return out;
}

// Random paths of a few segments, drawn so that ties in x and y, equal
// heights, tall paths and overlapping rows all occur often.
QList<CutPath> randomPaths(QRandomGenerator &rng, int n, int scenario)
{
    QList<CutPath> paths;
    for (int i = 0; i < n; ++i) {
        double mx = 0, my = 0, h = 0;
        switch (scenario) {
        case 0: // a small integer grid: many ties
            mx = rng.bounded(6);
            my = rng.bounded(6);
            h = rng.bounded(7);
            break;
        case 1: // rows with jittered tops and mixed heights
            mx = rng.bounded(50) * 10;
            my = rng.bounded(8) * 100 + rng.bounded(30);
            h = 5 + rng.bounded(80);
            break;
        case 2: // rows plus a few paths spanning many rows
            mx = rng.bounded(40) * 5;
            my = rng.bounded(10) * 50 + rng.bounded(10);
            h = rng.bounded(10) == 0 ? 100 + rng.bounded(600) : rng.bounded(45);
            break;
        case 3: // rows whose tops lie closer than every height
            mx = rng.bounded(30);
            my = rng.bounded(5) * 1000 + rng.bounded(3);
            h = 10 + rng.bounded(20);
            break;
        case 4: // fractional coordinates
            mx = rng.generateDouble() * 100;
            my = rng.generateDouble() * 100;
            h = rng.generateDouble() * rng.generateDouble() * 60;
            break;
        default: // far from the origin, where differences of tops round
            mx = -3e9 + rng.generateDouble() * 100;
            my = -3e9 + rng.bounded(6) * 20 + rng.generateDouble() * 1e-5;
            h = rng.bounded(3) * 20 + rng.generateDouble() * 1e-5;
            break;
        }
        CutPath p = box(mx, my, h, i);
        const int kind = rng.bounded(12);
        if (kind == 0)
            p = makePath({}, i); // no segments: keys 0, 0, 0
        else if (kind == 1)
            p = makePath({ QLineF(mx + 3, my, mx, my) }, i); // flat, height 0
        else if (kind == 2)
            p = polyline(
                { { mx, my }, { mx + 5, my }, { mx + 5, my + h }, { mx, my + h }, { mx, my } }, i);
        paths << p;
    }
    return paths;
}

} // namespace

class TestSortPaths : public QObject
{
    Q_OBJECT

private slots:
    void direction_data();
    void direction();
    void rows_data();
    void rows();
    void fastEqualsLiteral_data();
    void fastEqualsLiteral();
    void fastEqualsLiteralLarge();
    void fastEqualsLiteralManyRows();
    void keysNotNumbers();
};

void TestSortPaths::direction_data()
{
    QTest::addColumn<CutPath>("path");
    QTest::addColumn<QString>("normalized");
    QTest::addColumn<QString>("started");

    QTest::newRow("counter-clockwise on the sheet is reversed")
        << polyline({ { 0, 0 }, { 0, 10 }, { 10, 10 }, { 10, 0 }, { 0, 0 } }, 1)
        << "1/0/0/0: 0,0>10,0 10,0>10,10 10,10>0,10 0,10>0,0"
        << "1/0/0/0: 0,0>10,0 10,0>10,10 10,10>0,10 0,10>0,0";
    // Starts at angles 315, 270, 0, 0: the earlier top-line start wins.
    QTest::newRow("clockwise kept, rotated to the top line")
        << polyline({ { 10, 10 }, { 0, 10 }, { 0, 0 }, { 10, 0 }, { 10, 10 } })
        << "0/0/0/0: 10,10>0,10 0,10>0,0 0,0>10,0 10,0>10,10"
        << "0/0/0/0: 0,0>10,0 10,0>10,10 10,10>0,10 0,10>0,0";
    QTest::newRow("open path, ends 0.5 apart, left alone")
        << polyline({ { 10, 10 }, { 0, 10 }, { 0, 0 }, { 10, 0 }, { 10, 9.5 } })
        << "0/0/0/0: 10,10>0,10 0,10>0,0 0,0>10,0 10,0>10,9.5"
        << "0/0/0/0: 10,10>0,10 0,10>0,0 0,0>10,0 10,0>10,9.5";
    QTest::newRow("no segments") << CutPath() << "0/0/0/0: "
                                 << "0/0/0/0: ";
}

void TestSortPaths::direction()
{
    QFETCH(CutPath, path);
    QFETCH(QString, normalized);
    QFETCH(QString, started);
    HpglTool t;
    const CutPath n = t.normalizeDirection(path);
    QCOMPARE(dumpPaths({ n }), normalized);
    QCOMPARE(dumpPaths({ t.chooseStart(n) }), started);
    QCOMPARE(dumpPaths(t.chooseStarts(t.normalizeDirections({ path, path }))),
        started + " | " + started);
}

void TestSortPaths::rows_data()
{
    QTest::addColumn<QList<CutPath>>("paths");
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("two rows, second right to left") << QList<CutPath> { box(50, 0, 10, 0),
        box(0, 2, 10, 1), box(20, 30, 10, 2), box(10, 31, 10, 3) }
                                                    << QList<int> { 1, 0, 2, 3 };
    QTest::newRow("rising through two rows: one run") << QList<CutPath> { box(10, 1, 10, 0),
        box(0, 0, 10, 1), box(30, 41, 10, 2), box(20, 40, 10, 3) }
                                                      << QList<int> { 1, 0, 3, 2 };
    QTest::newRow("equal x starts a new run") << QList<CutPath> { box(0, 0, 10, 0),
        box(10, 1, 10, 1), box(10, 2, 10, 2), box(20, 3, 10, 3) }
                                              << QList<int> { 0, 1, 3, 2 };
    QTest::newRow("one path") << QList<CutPath> { box(5, 5, 5, 7) } << QList<int> { 7 };
    QTest::newRow("empty") << QList<CutPath>() << QList<int>();
}

void TestSortPaths::rows()
{
    QFETCH(QList<CutPath>, paths);
    QFETCH(QList<int>, order);
    QCOMPARE(tags(HpglTool().sortPaths(paths)), order);
    QList<CutPath> literal = paths;
    literalSortPaths(literal);
    QCOMPARE(tags(literal), order);
}

void TestSortPaths::fastEqualsLiteral_data()
{
    QTest::addColumn<int>("scenario");
    QTest::newRow("integer grid") << 0;
    QTest::newRow("rows") << 1;
    QTest::newRow("rows and tall paths") << 2;
    QTest::newRow("close tops") << 3;
    QTest::newRow("fractional") << 4;
    QTest::newRow("far from the origin") << 5;
}

// Thousands of random lists per scenario; every one must come out exactly
// as the literal passes order it.
void TestSortPaths::fastEqualsLiteral()
{
    QFETCH(int, scenario);
    QRandomGenerator rng(1234 + scenario);
    HpglTool t;
    for (int round = 0; round < 2000; ++round) {
        const int n = rng.bounded(round % 10 == 0 ? 120 : 25);
        const QList<CutPath> paths = randomPaths(rng, n, scenario);
        QList<CutPath> literal = paths;
        literalSortPaths(literal);
        const QList<CutPath> fast = t.sortPaths(paths);
        if (fast != literal) {
            QString order;
            QDebug(&order) << "round" << round << "fast" << tags(fast) << "literal"
                           << tags(literal);
            QFAIL(qPrintable(order));
        }
    }
}

// Longer lists, where the blocks of the second pass matter.
void TestSortPaths::fastEqualsLiteralLarge()
{
    QRandomGenerator rng(99);
    HpglTool t;
    for (int scenario = 0; scenario < 6; ++scenario) {
        for (int round = 0; round < 3; ++round) {
            const QList<CutPath> paths = randomPaths(rng, 600, scenario);
            QList<CutPath> literal = paths;
            literalSortPaths(literal);
            QCOMPARE(tags(t.sortPaths(paths)), tags(literal));
        }
    }
}

// Lists long enough for the sort to work on several threads, kept in rough
// row order so that the literal passes finish quickly.
void TestSortPaths::fastEqualsLiteralManyRows()
{
    QRandomGenerator rng(5);
    HpglTool t;
    for (int round = 0; round < 2; ++round) {
        QList<CutPath> paths;
        int tag = 0;
        for (int row = 0; row < 400; ++row) {
            QList<CutPath> rowPaths;
            for (int i = 0; i < 30; ++i) {
                const double h = rng.bounded(8) == 0 ? 40 + rng.bounded(200) : 10 + rng.bounded(50);
                rowPaths << box(rng.bounded(3000), row * 80 + rng.bounded(20), h, tag++);
            }
            for (int i = rowPaths.size() - 1; i > 0; --i)
                rowPaths.swapItemsAt(i, rng.bounded(i + 1));
            paths << rowPaths;
        }
        QList<CutPath> literal = paths;
        literalSortPaths(literal);
        QCOMPARE(tags(t.sortPaths(paths)), tags(literal));
    }
}

// A coordinate that is not a number must not crash or hang the sort, and it
// still orders as the passes do.
void TestSortPaths::keysNotNumbers()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QRandomGenerator rng(7);
    HpglTool t;
    for (int round = 0; round < 300; ++round) {
        QList<CutPath> paths = randomPaths(rng, 1 + rng.bounded(30), round % 6);
        for (CutPath &p : paths) {
            if (!p.lines.isEmpty() && rng.bounded(4) == 0)
                p.lines[0].setP1(QPointF(rng.bounded(2) ? nan : 3, rng.bounded(2) ? nan : 4));
        }
        QList<CutPath> literal = paths;
        literalSortPaths(literal);
        QCOMPARE(tags(t.sortPaths(paths)), tags(literal));
    }
}

QTEST_APPLESS_MAIN(TestSortPaths)
#include "tst_sortpaths.moc"
