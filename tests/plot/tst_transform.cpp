// Path measures and the list transforms into the cutter's frame.
#include "hpgltool.h"
#include "pathdump.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

CutPath square(double x, double y, double s, int pen = 0)
{
    return polyline({ { x, y }, { x + s, y }, { x + s, y + s }, { x, y + s }, { x, y } }, pen);
}

} // namespace

class TestTransform : public QObject
{
    Q_OBJECT

private slots:
    void corners_data();
    void corners();
    void closed_data();
    void closed();
    void clockwise_data();
    void clockwise();
    void reverse();
    void rotateToStart_data();
    void rotateToStart();
    void listTransforms();
    void scaleDownBadDivisor_data();
    void scaleDownBadDivisor();
    void callerListUntouched();
    void emptyLists();
};

void TestTransform::corners_data()
{
    QTest::addColumn<CutPath>("path");
    QTest::addColumn<QPointF>("min");
    QTest::addColumn<QPointF>("max");
    QTest::newRow("empty path") << CutPath() << QPointF(0, 0) << QPointF(0, 0);
    QTest::newRow("far from origin") << polyline({ { 500, 700 }, { 900, 650 }, { 620, 1200 } })
                                     << QPointF(500, 650) << QPointF(900, 1200);
    QTest::newRow("broken path counts every end")
        << makePath({ QLineF(10, 10, 20, 20), QLineF(-5, 40, 3, -8) }) << QPointF(-5, -8)
        << QPointF(20, 40);
}

void TestTransform::corners()
{
    QFETCH(CutPath, path);
    QFETCH(QPointF, min);
    QFETCH(QPointF, max);
    HpglTool t;
    QCOMPARE(t.minCorner(path), min);
    QCOMPARE(t.maxCorner(path), max);
}

void TestTransform::closed_data()
{
    QTest::addColumn<CutPath>("path");
    QTest::addColumn<bool>("closed");
    QTest::newRow("empty") << CutPath() << false;
    QTest::newRow("square") << square(0, 0, 10) << true;
    QTest::newRow("triangle, end off by 1e-13 near 1000") << makePath(
        { QLineF(1000, 1000, 1100, 1000), QLineF(1100, 1000, 1050, 1100),
            QLineF(1050, 1100, 1000 + 1e-13, 1000) }) << true;
    QTest::newRow("triangle, inner joint 0.5 apart") << makePath({ QLineF(1000, 1000, 1100, 1000),
        QLineF(1100.5, 1000, 1050, 1100), QLineF(1050, 1100, 1000, 1000) })
                                                     << false;
    QTest::newRow("single point segment") << makePath({ QLineF(5, 5, 5, 5) }) << true;
    QTest::newRow("single segment") << makePath({ QLineF(0, 0, 10, 0) }) << false;
}

void TestTransform::closed()
{
    QFETCH(CutPath, path);
    QFETCH(bool, closed);
    QCOMPARE(HpglTool().isClosed(path), closed);
}

void TestTransform::clockwise_data()
{
    QTest::addColumn<CutPath>("path");
    QTest::addColumn<bool>("clockwise");
    QTest::newRow("A = 100") << polyline({ { 0, 0 }, { 10, 0 }, { 10, 10 }, { 0, 10 }, { 0, 0 } })
                             << false;
    QTest::newRow("A = -100") << polyline({ { 0, 0 }, { 0, 10 }, { 10, 10 }, { 10, 0 }, { 0, 0 } })
                              << true;
    QTest::newRow("on one line") << polyline({ { 0, 0 }, { 10, 0 }, { 20, 0 }, { 0, 0 } }) << true;
    // Only segment starts count: a wild last end changes nothing.
    QTest::newRow("ends ignored") << makePath({ QLineF(0, 0, 10, 0), QLineF(10, 0, 10, 10),
        QLineF(10, 10, 0, 10), QLineF(0, 10, -500, 9000) })
                                  << false;
}

void TestTransform::clockwise()
{
    QFETCH(CutPath, path);
    QFETCH(bool, clockwise);
    QCOMPARE(HpglTool().isClockwise(path), clockwise);
}

void TestTransform::reverse()
{
    HpglTool t;
    const CutPath p = polyline({ { 1, 2 }, { 3, 4 }, { 5, 6 } }, 2, 1, 2.5, 3);
    const CutPath r = t.reversePath(p);
    QCOMPARE(dumpPaths({ r }), QStringLiteral("2/1/2.5/3: 5,6>3,4 3,4>1,2"));
    QCOMPARE(t.reversePath(r), p);
    QCOMPARE(t.reversePath(CutPath()), CutPath());
}

void TestTransform::rotateToStart_data()
{
    QTest::addColumn<CutPath>("path");
    QTest::addColumn<QLineF>("wanted");
    QTest::addColumn<QList<int>>("order"); // indices into the input's segments

    const CutPath pentagon
        = polyline({ { 0, 0 }, { 10, 0 }, { 15, 8 }, { 5, 14 }, { -5, 8 }, { 0, 0 } }, 1);
    QTest::newRow("third of five") << pentagon << pentagon.lines[2] << QList<int> { 2, 3, 4, 0, 1 };
    QTest::newRow("first") << pentagon << pentagon.lines[0] << QList<int> { 0, 1, 2, 3, 4 };
    const QLineF swapped(pentagon.lines[2].p2(), pentagon.lines[2].p1());
    QTest::newRow("swapped ends not found") << pentagon << swapped << QList<int> { 0, 1, 2, 3, 4 };
    const CutPath open = polyline({ { 0, 0 }, { 10, 0 }, { 10, 10 }, { 0, 10 } });
    QTest::newRow("open path unchanged") << open << open.lines[1] << QList<int> { 0, 1, 2 };
}

void TestTransform::rotateToStart()
{
    QFETCH(CutPath, path);
    QFETCH(QLineF, wanted);
    QFETCH(QList<int>, order);
    CutPath expected = path;
    expected.lines.clear();
    for (int i : order)
        expected.lines << path.lines[i];
    QCOMPARE(dumpPaths({ HpglTool().rotateToStart(path, wanted) }), dumpPaths({ expected }));
}

void TestTransform::listTransforms()
{
    HpglTool t;
    const QList<CutPath> one { makePath({ QLineF(15, 25, 40, 60) }, 3) };
    QCOMPARE(dumpPaths(t.translate(one, 10, 20)), QStringLiteral("3/0/0/0: 5,5>30,40"));
    QCOMPARE(dumpPaths(t.mirrorY(one, 100)), QStringLiteral("3/0/0/0: 15,75>40,40"));
    QCOMPARE(t.mirrorY(t.mirrorY(one, 11880), 11880), one);

    // scaleDown shrinks about the list's own minimum corner, which stays put.
    const QList<CutPath> two { makePath({ QLineF(100, 100, 600, 100) }),
        makePath({ QLineF(600, 600, 600, 1100) }), CutPath() };
    QCOMPARE(dumpPaths(t.scaleDown(two, 5)),
        QStringLiteral("0/0/0/0: 100,100>200,100 | 0/0/0/0: 200,200>200,300 | 0/0/0/0: "));
    QCOMPARE(t.scaleDown(two, 1), two);

    // minCornerAll starts from the first point there is.
    QCOMPARE(
        t.minCornerAll({ CutPath(), makePath({ QLineF(300, 400, 350, 450) }) }), QPointF(300, 400));
    QCOMPARE(t.minCornerAll({ CutPath() }), QPointF(0, 0));
}

void TestTransform::scaleDownBadDivisor_data()
{
    QTest::addColumn<double>("k");
    QTest::newRow("zero") << 0.0;
    QTest::newRow("minus zero") << -0.0;
    QTest::newRow("inf") << std::numeric_limits<double>::infinity();
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
}

void TestTransform::scaleDownBadDivisor()
{
    QFETCH(double, k);
    const QList<CutPath> paths { square(100, 200, 50, 1) };
    QCOMPARE(HpglTool().scaleDown(paths, k), paths);
}

// Transforms work in place on lists handed over; a caller's copy must never
// see that.
void TestTransform::callerListUntouched()
{
    HpglTool t;
    const QList<CutPath> original { square(0, 0, 10, 1), square(30, 5, 20, 2) };
    QList<CutPath> copy = original;
    t.mirrorY(copy, 500);
    t.translate(copy, 3, 4);
    t.scaleDown(copy, 5);
    t.normalizeDirections(copy);
    t.chooseStarts(copy);
    t.sortPaths(copy);
    t.compensateKnifeOffset(copy, 10, 30);
    t.compensateBacklash(copy, 2, 3);
    QCOMPARE(copy, original);
    // The same for a path shared between two lists.
    CutPath shared = square(5, 5, 5);
    QList<CutPath> a { shared };
    t.mirrorY(a, 100);
    QCOMPARE(shared, square(5, 5, 5));
}

void TestTransform::emptyLists()
{
    HpglTool t;
    const QList<CutPath> none;
    QVERIFY(t.mirrorY(none, 10).isEmpty());
    QVERIFY(t.translate(none, 1, 2).isEmpty());
    QVERIFY(t.scaleDown(none, 5).isEmpty());
    QCOMPARE(t.minCornerAll(none), QPointF(0, 0));
}

QTEST_APPLESS_MAIN(TestTransform)
#include "tst_transform.moc"
