// Knife offset with corner arcs, overcut and backlash.
#include "hpgltool.h"
#include "pathdump.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

// Segments as "x1,y1>x2,y2" with three decimals, for the worked examples.
QString rounded(const QList<QLineF> &lines)
{
    QStringList out;
    for (const QLineF &l : lines) {
        auto n = [](double v) {
            QString s = QString::number(v, 'f', 3);
            while (s.contains('.') && (s.endsWith('0') || s.endsWith('.')))
                s.chop(1);
            return s == "-0" ? QString("0") : s;
        };
        out << n(l.x1()) + "," + n(l.y1()) + ">" + n(l.x2()) + "," + n(l.y2());
    }
    return out.join(' ');
}

QString rounded(const QList<CutPath> &paths)
{
    QStringList out;
    for (const CutPath &p : paths)
        out << rounded(p.lines);
    return out.join(" | ");
}

CutPath square100()
{
    return polyline({ { 0, 0 }, { 100, 0 }, { 100, 100 }, { 0, 100 }, { 0, 0 } }, 2, 1, 2.5, 3);
}

double pathLength(const CutPath &p)
{
    double len = 0;
    for (const QLineF &l : p.lines)
        len += l.length();
    return len;
}

// The knife offset step written out as the plain walk: shift, corner arcs
// by the angle bands, joins, then the reader's clean-up; the overcut walks
// one lap at most.
QList<CutPath> plainKnife(const QList<CutPath> &paths, double d, double overcut)
{
    HpglTool t;
    QList<CutPath> result;
    for (const CutPath &path : paths) {
        QList<QLineF> L = path.lines;
        if (t.isClosed(path) && overcut > 0) {
            double r = overcut;
            const int lap = L.size();
            for (int j = 0; j < lap; ++j) {
                const QLineF s = L[j];
                if (s.p1() == s.p2())
                    continue;
                const double len = s.length();
                if (r > len) {
                    L.append(s);
                    r -= len;
                } else if (qFuzzyCompare(len, r)) {
                    L.append(s);
                    break;
                } else {
                    L.append(QLineF(s.p1(), s.p1() + (s.p2() - s.p1()) * r / len));
                    break;
                }
            }
        }
        auto T = [&](const QLineF &s) { return s.translated((s.p2() - s.p1()) * d / s.length()); };
        QList<QLineF> N { T(L[0]) };
        for (int j = 1; j < L.size(); ++j) {
            const QLineF prev = T(L[j - 1]), cur = T(L[j]);
            const double a = prev.angleTo(cur);
            int steps = 0;
            if (a >= 150 && a < 210)
                steps = 7;
            else if ((a >= 120 && a < 150) || (a >= 210 && a < 240))
                steps = 6;
            else if ((a >= 90 && a < 120) || (a >= 240 && a < 270))
                steps = 5;
            else if ((a >= 60 && a < 90) || (a >= 270 && a < 300))
                steps = 4;
            else if ((a >= 30 && a < 60) || (a >= 300 && a < 330))
                steps = 3;
            if (steps) {
                N << t.cornerArc(prev, cur, steps) << cur;
            } else if (j != L.size() - 1) {
                N << QLineF(prev.p2(), cur.p2());
            } else {
                N << QLineF(prev.p2(), cur.p1()) << cur;
            }
        }
        CutPath out = path;
        out.lines = N;
        result << out;
    }
    return t.dropDegenerate(result);
}

} // namespace

class TestKnife : public QObject
{
    Q_OBJECT

private slots:
    void cornerArc_data();
    void cornerArc();
    void cornerArcFewSteps();
    void knife_data();
    void knife();
    void arcBands_data();
    void arcBands();
    void overcutBounded();
    void knifeKeepsHeaders();
    void knifeEqualsPlainWalk();
    void backlash_data();
    void backlash();
};

void TestKnife::cornerArc_data()
{
    QTest::addColumn<QLineF>("before");
    QTest::addColumn<QLineF>("after");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("arc");

    // Right turn on the sheet about the corner (100, 0), radius 10.
    QTest::newRow("right angle, centre at the corner")
        << QLineF(10, 0, 110, 0) << QLineF(100, 10, 100, 110) << 4
        << "110,0>109.239,3.827 109.239,3.827>107.071,7.071 107.071,7.071>103.827,9.239 "
           "103.827,9.239>100,10";
    // Left turn: the arc turns the other way round the same kind of corner.
    QTest::newRow("left turn") << QLineF(10, 0, 110, 0) << QLineF(100, -10, 100, -110) << 2
                               << "110,0>107.071,-7.071 107.071,-7.071>100,-10";
    // A reversal: parallel lines, centre halfway between the two ends.
    QTest::newRow("reversal about the midpoint")
        << QLineF(0, 0, 100, 0) << QLineF(100, 20, 0, 20) << 2 << "100,0>110,10 110,10>100,20";
    // Lines meeting exactly 400 units from the first end: still the centre.
    QTest::newRow("intersection at 400")
        << QLineF(0, 0, 100, 0) << QLineF(600, 10, 1100, 60) << 3
        << "100,0>100.221,-13.287 100.221,-13.287>100.883,-26.559 100.883,-26.559>600,10";
    // Further than 400 units away: the midpoint of the two ends instead.
    QTest::newRow("far intersection")
        << QLineF(0, 0, 100, 0) << QLineF(700, 10, 1200, 60) << 3
        << "100,0>100.332,-9.962 100.332,-9.962>100.994,-19.908 100.994,-19.908>700,10";
}

void TestKnife::cornerArc()
{
    QFETCH(QLineF, before);
    QFETCH(QLineF, after);
    QFETCH(int, steps);
    QFETCH(QString, arc);
    const QList<QLineF> result = HpglTool().cornerArc(before, after, steps);
    QCOMPARE(result.size(), steps);
    QCOMPARE(rounded(result), arc);
}

// No division by the step count: below two steps the corner is joined
// straight.
void TestKnife::cornerArcFewSteps()
{
    HpglTool t;
    for (int steps : { 1, 0, -3 }) {
        const QList<QLineF> r
            = t.cornerArc(QLineF(10, 0, 110, 0), QLineF(100, 10, 100, 110), steps);
        QCOMPARE(rounded(r), QStringLiteral("110,0>100,10"));
    }
}

void TestKnife::knife_data()
{
    QTest::addColumn<QList<CutPath>>("paths");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("overcut");
    QTest::addColumn<QString>("expected");

    const QList<CutPath> corner { polyline({ { 0, 0 }, { 100, 0 }, { 100, 100 } }) };
    QTest::newRow("right-angle corner, d = 10")
        << corner << 10.0 << 0.0
        << "10,0>110,0 110,0>109.239,3.827 109.239,3.827>107.071,7.071 "
           "107.071,7.071>103.827,9.239 103.827,9.239>100,10 100,10>100,110";
    QTest::newRow("collinear, zero join dropped")
        << QList<CutPath> { polyline({ { 0, 0 }, { 50, 0 }, { 100, 0 } }) } << 10.0 << 0.0
        << "10,0>60,0 60,0>110,0";
    QTest::newRow("one segment moves forward")
        << QList<CutPath> { polyline({ { 0, 0 }, { 100, 0 } }) } << 10.0 << 0.0 << "10,0>110,0";
    QTest::newRow("square, overcut 150")
        << QList<CutPath> { square100() } << 0.0 << 150.0
        << "0,0>100,0 100,0>100,100 100,100>0,100 0,100>0,0 0,0>100,0 100,0>100,50";
    QTest::newRow("overcut of exactly one side")
        << QList<CutPath> { square100() } << 0.0 << 100.0
        << "0,0>100,0 100,0>100,100 100,100>0,100 0,100>0,0 0,0>100,0";
    QTest::newRow("overcut of half a unit")
        << QList<CutPath> { square100() } << 0.0 << 0.5
        << "0,0>100,0 100,0>100,100 100,100>0,100 0,100>0,0 0,0>0.5,0";
    QTest::newRow("open path gets no overcut")
        << corner << 0.0 << 500.0 << "0,0>100,0 100,0>100,100";
    // Bad lengths count as none; both none returns the list as it came,
    // a degenerate segment included.
    const QList<CutPath> withDot { polyline({ { 0, 0 }, { 0.2, 0.1 }, { 100, 0 } }) };
    QTest::newRow("both zero: untouched") << withDot << 0.0 << 0.0 << "0,0>0.2,0.1 0.2,0.1>100,0";
    QTest::newRow("negative offset and overcut")
        << withDot << -10.0 << -5.0 << "0,0>0.2,0.1 0.2,0.1>100,0";
    QTest::newRow("offset not finite") << corner << kInf << 0.0 << "0,0>100,0 100,0>100,100";
    QTest::newRow("offset nan") << corner << kNan << 0.0 << "0,0>100,0 100,0>100,100";
    QTest::newRow("overcut not finite") << QList<CutPath> { square100() } << 0.0 << kInf
                                        << "0,0>100,0 100,0>100,100 100,100>0,100 0,100>0,0";
    QTest::newRow("empty list") << QList<CutPath>() << 10.0 << 10.0 << "";
    // The clean-up keeps what the reader's keeps: ends that still round to
    // an int, right up to its limits.
    QTest::newRow("end just below the int maximum")
        << QList<CutPath> { polyline({ { 2147483000, 0 }, { 2147483637.2, 0 } }) } << 10.0 << 0.0
        << "2147483010,0>2147483647.2,0";
    QTest::newRow("end just above the int minimum")
        << QList<CutPath> { polyline({ { -2147483000, 0 }, { -2147483638.2, 0 } }) } << 10.0 << 0.0
        << "-2147483010,0>-2147483648.2,0";
    QTest::newRow("end past the int maximum")
        << QList<CutPath> { polyline({ { 2147483000, 0 }, { 2147483638, 0 } }) } << 10.0 << 0.0
        << "";
}

void TestKnife::knife()
{
    QFETCH(QList<CutPath>, paths);
    QFETCH(double, offset);
    QFETCH(double, overcut);
    QFETCH(QString, expected);
    QCOMPARE(rounded(HpglTool().compensateKnifeOffset(paths, offset, overcut)), expected);
}

void TestKnife::arcBands_data()
{
    QTest::addColumn<double>("turn"); // the angle from one segment to the next
    QTest::addColumn<int>("arcSegments");
    QTest::newRow("left 29.9") << 29.9 << 0;
    QTest::newRow("left 30.1") << 30.1 << 3;
    QTest::newRow("left 90") << 90.0 << 5;
    QTest::newRow("left 125") << 125.0 << 6;
    QTest::newRow("reversal") << 180.0 << 7;
    QTest::newRow("right 90") << 270.0 << 4;
    QTest::newRow("right 30.1") << 329.9 << 3;
    QTest::newRow("right 29.9") << 330.1 << 0;
}

// Two segments of an open path turning by the given angle: the arc adds its
// steps between them; without one there is the short join only.
void TestKnife::arcBands()
{
    QFETCH(double, turn);
    QFETCH(int, arcSegments);
    const QLineF first(0, 0, 1000, 0);
    QLineF second = QLineF::fromPolar(1000, turn);
    second.translate(first.p2());
    const QList<CutPath> out
        = HpglTool().compensateKnifeOffset({ makePath({ first, second }) }, 10, 0);
    QCOMPARE(out.size(), 1);
    const int expected = arcSegments > 0 ? 2 + arcSegments : 3;
    QCOMPARE(out[0].lines.size(), expected);
    QCOMPARE(std::round(out[0].lines.first().angleTo(out[0].lines.last()) * 10) / 10, turn);
}

// However long the overcut, a closed path grows by one lap at most.
void TestKnife::overcutBounded()
{
    HpglTool t;
    const QList<CutPath> out = t.compensateKnifeOffset({ square100() }, 0, 1e9);
    QCOMPARE(out.size(), 1);
    QCOMPARE(out[0].lines.size(), 8);
    QCOMPARE(pathLength(out[0]), 800.0);
    // A closed path of one point cannot grow at all.
    const QList<CutPath> dot = t.compensateKnifeOffset({ makePath({ QLineF(5, 5, 5, 5) }) }, 0, 50);
    QVERIFY(dot.isEmpty());
}

void TestKnife::knifeKeepsHeaders()
{
    const QList<CutPath> in { square100(), polyline({ { 0, 0 }, { 50, 50 } }, 7, 0, 0, 1) };
    const QList<CutPath> out = HpglTool().compensateKnifeOffset(in, 8, 20);
    QCOMPARE(out.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(out[i].pen, in[i].pen);
        QCOMPARE(out[i].lineType, in[i].lineType);
        QCOMPARE(out[i].patternLength, in[i].patternLength);
        QCOMPARE(out[i].lineTypeMode, in[i].lineTypeMode);
    }
    // The offset path stays one continuous run.
    for (int i = 1; i < out[0].lines.size(); ++i)
        QCOMPARE(out[0].lines[i].p1(), out[0].lines[i - 1].p2());
}

// Random closed and open polylines with every kind of turn, short and long
// segments, against the plain walk.
void TestKnife::knifeEqualsPlainWalk()
{
    QRandomGenerator rng(31);
    HpglTool t;
    for (int round = 0; round < 1500; ++round) {
        QList<CutPath> paths;
        const int count = 1 + rng.bounded(4);
        for (int p = 0; p < count; ++p) {
            QList<QPointF> pts;
            QPointF at(rng.bounded(2000), rng.bounded(2000));
            const int n = 1 + rng.bounded(12);
            for (int i = 0; i <= n; ++i) {
                pts << at;
                const double len
                    = rng.bounded(5) == 0 ? 0.5 + rng.bounded(3.0) : rng.bounded(400.0) + 1;
                at += QPointF(len * std::cos(rng.bounded(6.3)), len * std::sin(rng.bounded(6.3)));
            }
            if (rng.bounded(2))
                pts << pts.first(); // closed
            paths << polyline(pts, p);
        }
        const double d = rng.bounded(3) == 0 ? 0.0 : rng.bounded(30.0);
        const double overcut = rng.bounded(3) == 0 ? 0.0 : rng.bounded(300.0);
        if (d == 0 && overcut == 0)
            continue;
        const QList<CutPath> fast = t.compensateKnifeOffset(paths, d, overcut);
        const QList<CutPath> plain = plainKnife(paths, d, overcut);
        if (fast != plain)
            QFAIL(qPrintable(QStringLiteral("round %1, d %2, overcut %3:\n%4\n%5")
                                 .arg(round)
                                 .arg(d)
                                 .arg(overcut)
                                 .arg(dumpPaths(fast), dumpPaths(plain))));
    }
}

void TestKnife::backlash_data()
{
    QTest::addColumn<QList<CutPath>>("paths");
    QTest::addColumn<double>("bx");
    QTest::addColumn<double>("by");
    QTest::addColumn<QString>("expected");

    const CutPath bend = polyline({ { 10, 10 }, { 20, 10 }, { 20, 20 } });
    QTest::newRow("both zero") << QList<CutPath> { bend } << 0.0 << 0.0
                               << "10,10>20,10 20,10>20,20";
    QTest::newRow("worked example")
        << QList<CutPath> { bend } << 2.0 << 3.0 << "12,13>22,10 22,10>20,23";
    QTest::newRow("start at the origin is not shifted")
        << QList<CutPath> { polyline({ { 0, 0 }, { 10, 0 } }) } << 2.0 << 3.0 << "0,0>12,0";
    QTest::newRow("reversal grows by two backlashes")
        << QList<CutPath> { polyline({ { 20, 10 }, { 10, 10 } }) } << 2.0 << 0.0 << "22,10>8,10";
    QTest::newRow("only y") << QList<CutPath> { bend } << 0.0 << 3.0 << "10,13>20,10 20,10>20,23";
    // The second path's travel is measured from the first one's shifted end
    // (20, 23): up and left, so its start moves by -bx, -by.
    QTest::newRow("across two paths") << QList<CutPath> { bend, polyline({ { 5, 5 }, { 5, 30 } }) }
                                      << 2.0 << 3.0 << "12,13>22,10 22,10>20,23 | 3,2>5,33";
    QTest::newRow("empty list") << QList<CutPath>() << 2.0 << 3.0 << "";
}

void TestKnife::backlash()
{
    QFETCH(QList<CutPath>, paths);
    QFETCH(double, bx);
    QFETCH(double, by);
    QFETCH(QString, expected);
    QCOMPARE(rounded(HpglTool().compensateBacklash(paths, bx, by)), expected);
}

QTEST_APPLESS_MAIN(TestKnife)
#include "tst_knife.moc"
