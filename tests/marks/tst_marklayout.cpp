// Geometry of the circle mark layouts, computed without a host.

#include "markgeometry.h"
#include "marklayout.h"

#include <QtTest>
#include <cmath>
#include <limits>

using namespace marks;

namespace {

constexpr double clearanceMm = 0.5;

bool near(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

bool sameLine(const QLineF &l, double x1, double y1, double x2, double y2)
{
    return near(mmOf(l.x1()), x1) && near(mmOf(l.y1()), y1) && near(mmOf(l.x2()), x2)
        && near(mmOf(l.y2()), y2);
}

QString show(const QLineF &l)
{
    return QStringLiteral("(%1, %2) -> (%3, %4)")
        .arg(mmOf(l.x1()))
        .arg(mmOf(l.y1()))
        .arg(mmOf(l.x2()))
        .arg(mmOf(l.y2()));
}

Margins margins(double top, double left, double right, double bottom)
{
    return Margins { in(top), in(left), in(right), in(bottom) };
}

Layout a4Page(double marginMm, double diameterMm, bool isSegment, double segMm)
{
    const ShapeSpec spec = circleByPageSpec(in(diameterMm), in(clearanceMm), Units::mmPerInch);
    const Frame f = pageFrame(in(210), in(297), margins(marginMm, marginMm, marginMm, marginMm));
    return buildLayout(spec, f, isSegment, in(segMm));
}

Layout figure(double boxHeightMm, double marginMm, double diameterMm, bool isSegment, double segMm)
{
    const ShapeSpec spec = circleByFigureSpec(in(diameterMm), in(clearanceMm));
    // artwork box with its top-left corner at (30, 250) mm, 150 mm wide
    const Frame f = figureFrame(
        in(30), in(250), in(150), in(boxHeightMm), margins(marginMm, marginMm, marginMm, marginMm));
    return buildLayout(spec, f, isSegment, in(segMm));
}

QVector<QPointF> discCentres(const Layout &l)
{
    QVector<QPointF> out;
    for (const Mark &m : l.marks)
        for (const Primitive &p : m.parts)
            if (p.kind == PrimitiveKind::Disc)
                out.append(QPointF(mmOf(p.x1), mmOf(p.y1)));
    return out;
}

// Guide lines picked by index, in the example's own unit.
using Picks = QVector<QPair<int, QLineF>>;

} // namespace

Q_DECLARE_METATYPE(marks::Layout)
Q_DECLARE_METATYPE(Picks)

class TestMarkLayout : public QObject
{
    Q_OBJECT

private slots:
    void segmentationRule_data();
    void segmentationRule();
    void segmentationInInches_data();
    void segmentationInInches();
    void segmentationFromMargins_data();
    void segmentationFromMargins();
    void pageLayoutA4();
    void pageLayoutSegmented();
    void pageLayoutSidesFromTopRow_data();
    void pageLayoutSidesFromTopRow();
    void pageLayoutUnequalMargins();
    void figureLayout();
    void figureCounts_data();
    void figureCounts();
    void outlineClosedAndClear_data();
    void outlineClosedAndClear();
    void badSegmentLengthMeansNoSegmentation_data();
    void badSegmentLengthMeansNoSegmentation();
    void barLayouts_data();
    void barLayouts();
};

// The rule in the same units as its worked examples (mm).
void TestMarkLayout::segmentationRule_data()
{
    QTest::addColumn<double>("L");
    QTest::addColumn<double>("s");
    QTest::addColumn<double>("e");
    QTest::addColumn<int>("n");
    QTest::newRow("250: remainder 50 adds a piece") << 250.0 << 100.0 << 5.0 << 3;
    QTest::newRow("203: remainder 3 joins the last piece") << 203.0 << 100.0 << 5.0 << 2;
    QTest::newRow("300: exact multiple") << 300.0 << 100.0 << 5.0 << 3;
    QTest::newRow("100: one piece") << 100.0 << 100.0 << 5.0 << 1;
    QTest::newRow("305.5: remainder 5.5") << 305.5 << 100.0 << 5.0 << 4;
    QTest::newRow("205: remainder equal to e") << 205.0 << 100.0 << 5.0 << 2;
    QTest::newRow("205.01: remainder just above e") << 205.01 << 100.0 << 5.0 << 3;
    QTest::newRow("218: figure example") << 218.0 << 100.0 << 5.0 << 3;
    QTest::newRow("202: figure example") << 202.0 << 100.0 << 5.0 << 2;
    QTest::newRow("102: figure example") << 102.0 << 100.0 << 5.0 << 1;
    QTest::newRow("4: rows closer than e") << 4.0 << 100.0 << 5.0 << 0;
    QTest::newRow("negative row distance") << -150.0 << 100.0 << 5.0 << -1;
}

void TestMarkLayout::segmentationRule()
{
    QFETCH(double, L);
    QFETCH(double, s);
    QFETCH(double, e);
    QFETCH(int, n);
    const Segmentation seg = segmentation(true, L, s, e);
    QVERIFY(seg.active);
    QCOMPARE(seg.pieces, n);
    QVERIFY(!segmentation(false, L, s, e).active);
}

// The caller divides millimetres by 25.4; the equal-remainder case must not
// depend on the rounding of that division.
void TestMarkLayout::segmentationInInches_data()
{
    segmentationRule_data();
    QTest::newRow("105: remainder equal to e") << 105.0 << 100.0 << 5.0 << 1;
    QTest::newRow("305: remainder equal to e") << 305.0 << 100.0 << 5.0 << 3;
    QTest::newRow("1005/1000: remainder equal to e") << 1005.0 << 1000.0 << 5.0 << 1;
    QTest::newRow("209/100, e 9") << 209.0 << 100.0 << 9.0 << 2;
}

void TestMarkLayout::segmentationInInches()
{
    QFETCH(double, L);
    QFETCH(double, s);
    QFETCH(double, e);
    QFETCH(int, n);
    QCOMPARE(segmentation(true, in(L), in(s), in(e)).pieces, n);
}

// The row distance as the layouts compute it, from page or box and margins
// in inches: a whole number of segments in millimetres can come out a hair
// short of it, and must not put an extra pair onto the bottom row.
void TestMarkLayout::segmentationFromMargins_data()
{
    QTest::addColumn<bool>("byPage");
    QTest::addColumn<double>("extent"); // page height or box height, mm
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("bottom");
    QTest::addColumn<int>("n");
    QTest::newRow("page, L 200") << true << 297.0 << 60.0 << 37.0 << 2;
    QTest::newRow("page, L 200 (62/35)") << true << 297.0 << 62.0 << 35.0 << 2;
    QTest::newRow("page, L 277") << true << 297.0 << 10.0 << 10.0 << 3;
    QTest::newRow("page, L 205: remainder equal to e") << true << 297.0 << 10.0 << 82.0 << 2;
    QTest::newRow("box 176, L 200") << false << 176.0 << 12.0 << 12.0 << 2;
    QTest::newRow("box 178, L 200") << false << 178.0 << 11.0 << 11.0 << 2;
    QTest::newRow("box 200, L 218") << false << 200.0 << 9.0 << 9.0 << 3;
}

void TestMarkLayout::segmentationFromMargins()
{
    QFETCH(bool, byPage);
    QFETCH(double, extent);
    QFETCH(double, top);
    QFETCH(double, bottom);
    QFETCH(int, n);
    const Margins m = margins(top, 10, 10, bottom);
    const Frame f = byPage ? pageFrame(in(210), in(extent), m)
                           : figureFrame(in(30), in(250), in(150), in(extent), m);
    const Layout l = buildLayout(circleByFigureSpec(in(5), in(clearanceMm)), f, true, in(100));
    QCOMPARE(l.seg.pieces, n);
    QCOMPARE(l.extraRows.size(), n - 1);
    // no extra pair stands within a disc of the bottom row
    for (double y : l.extraRows)
        QVERIFY2(mmOf(y - f.yb) > 5, qPrintable(QString::number(mmOf(y - f.yb))));
    QCOMPARE(l.guides.size(), 12 + 8 * (n - 1));
    QVERIFY(guideTopology(l.guides).closed);
}

void TestMarkLayout::pageLayoutA4()
{
    const Layout l = a4Page(10, 5, false, 100);
    QVERIFY(!l.seg.active);
    QCOMPARE(l.guides.size(), 20);
    QCOMPARE(l.marks.size(), 4);
    QCOMPARE(
        discCentres(l), (QVector<QPointF> { { 10, 287 }, { 200, 287 }, { 10, 10 }, { 200, 10 } }));

    // g = 2.5 + 0.5 = 3 mm around the disc centres, the page inset 2.5 mm
    struct Expected
    {
        double x1, y1, x2, y2;
    };
    const Expected want[] = {
        { 2.5, 294.5, 207.5, 294.5 },
        { 2.5, 2.5, 207.5, 2.5 },
        { 2.5, 294.5, 2.5, 290 },
        { 2.5, 290, 13, 290 },
        { 13, 290, 13, 284 },
        { 13, 284, 2.5, 284 },
        { 207.5, 294.5, 207.5, 290 },
        { 207.5, 290, 197, 290 },
        { 197, 290, 197, 284 },
        { 197, 284, 207.5, 284 },
        { 2.5, 2.5, 2.5, 7 },
        { 2.5, 7, 13, 7 },
        { 13, 7, 13, 13 },
        { 13, 13, 2.5, 13 },
        { 207.5, 2.5, 207.5, 7 },
        { 207.5, 7, 197, 7 },
        { 197, 7, 197, 13 },
        { 197, 13, 207.5, 13 },
        { 2.5, 284, 2.5, 13 },
        { 207.5, 284, 207.5, 13 },
    };
    for (int i = 0; i < 20; ++i) {
        const Expected &e = want[i];
        QVERIFY2(sameLine(l.guides[i], e.x1, e.y1, e.x2, e.y2),
            qPrintable(QStringLiteral("line %1: %2").arg(i + 1).arg(show(l.guides[i]))));
    }

    // The first mark is the disc with a bar above and below it, 1 mm wide
    // and 0.5 mm tall, 0.5 mm from the disc.
    const Mark &first = l.marks[0];
    QCOMPARE(first.parts.size(), 3);
    QCOMPARE(first.parts[0].kind, PrimitiveKind::Disc);
    QVERIFY(near(mmOf(first.parts[0].radius), 2.5));
    const Primitive &up = first.parts[1], &down = first.parts[2];
    QCOMPARE(up.kind, PrimitiveKind::Rectangle);
    QVERIFY(near(mmOf(up.x1), 9.5) && near(mmOf(up.y1), 290.5) && near(mmOf(up.x2), 10.5)
        && near(mmOf(up.y2), 290));
    QVERIFY(near(mmOf(down.x1), 9.5) && near(mmOf(down.y1), 284) && near(mmOf(down.x2), 10.5)
        && near(mmOf(down.y2), 283.5));
    for (int i = 1; i < 4; ++i)
        QCOMPARE(l.marks[i].parts.size(), 1);
}

void TestMarkLayout::pageLayoutSegmented()
{
    // rows 277 mm apart: n = 3, pairs 100 and 200 mm below the top row
    const Layout l = a4Page(10, 5, true, 100);
    QVERIFY(l.seg.active);
    QCOMPARE(l.seg.pieces, 3);
    QCOMPARE(l.extraRows.size(), 2);
    QVERIFY(near(mmOf(l.extraRows[0]), 187) && near(mmOf(l.extraRows[1]), 87));
    QCOMPARE(l.guides.size(), 18 + 6 + 12);
    QCOMPARE(discCentres(l),
        (QVector<QPointF> { { 10, 287 }, { 200, 287 }, { 10, 10 }, { 200, 10 }, { 10, 187 },
            { 10, 87 }, { 200, 187 }, { 200, 87 } }));
    // left pieces along the discs' outer edge x = 7.5, broken 3 mm around each row
    QVERIFY(sameLine(l.guides[18], 7.5, 284, 7.5, 190));
    QVERIFY(sameLine(l.guides[19], 7.5, 184, 7.5, 90));
    QVERIFY(sameLine(l.guides[20], 7.5, 84, 7.5, 13));
    QVERIFY(sameLine(l.guides[21], 202.5, 284, 202.5, 190));
    QVERIFY(sameLine(l.guides[23], 202.5, 84, 202.5, 13));
    // left notches, then right notches, top to bottom
    QVERIFY(sameLine(l.guides[24], 7.5, 190, 13, 190));
    QVERIFY(sameLine(l.guides[25], 7.5, 184, 13, 184));
    QVERIFY(sameLine(l.guides[26], 13, 190, 13, 184));
    QVERIFY(sameLine(l.guides[27], 7.5, 90, 13, 90));
    QVERIFY(sameLine(l.guides[30], 197, 190, 202.5, 190));
    QVERIFY(sameLine(l.guides[31], 197, 184, 202.5, 184));
    QVERIFY(sameLine(l.guides[32], 197, 190, 197, 184));
}

// One piece or none per side: no extra discs or notches, and each side is
// the last piece from the top row itself, along the discs' outer edges.
void TestMarkLayout::pageLayoutSidesFromTopRow_data()
{
    QTest::addColumn<double>("height"); // page height, mm
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("start"); // y of the sides' upper end, mm
    QTest::newRow("rows 100 mm apart: n 1") << 120.0 << 1 << 107.0;
    QTest::newRow("rows 4 mm apart: n 0") << 24.0 << 0 << 11.0;
}

void TestMarkLayout::pageLayoutSidesFromTopRow()
{
    QFETCH(double, height);
    QFETCH(int, n);
    QFETCH(double, start);
    const ShapeSpec spec = circleByPageSpec(in(5), in(clearanceMm), Units::mmPerInch);
    const Layout l
        = buildLayout(spec, pageFrame(in(210), in(height), margins(10, 10, 10, 10)), true, in(100));
    QCOMPARE(l.seg.pieces, n);
    QCOMPARE(l.marks.size(), 4);
    QCOMPARE(l.guides.size(), 20);
    QVERIFY(sameLine(l.guides[18], 7.5, start, 7.5, 13));
    QVERIFY(sameLine(l.guides[19], 202.5, start, 202.5, 13));
}

void TestMarkLayout::pageLayoutUnequalMargins()
{
    const ShapeSpec spec = circleByPageSpec(in(5), in(clearanceMm), Units::mmPerInch);
    const Layout l
        = buildLayout(spec, pageFrame(in(210), in(297), margins(12, 8, 20, 15)), true, in(100));
    QCOMPARE(discCentres(l).mid(0, 4),
        (QVector<QPointF> { { 8, 285 }, { 190, 285 }, { 8, 15 }, { 190, 15 } }));
    // inner side of the top-right notch at Xr - g, where its upper and lower sides end
    QVERIFY(sameLine(l.guides[7], 207.5, 288, 187, 288));
    QVERIFY(sameLine(l.guides[8], 187, 288, 187, 282));
    QVERIFY(sameLine(l.guides[9], 187, 282, 207.5, 282));
}

void TestMarkLayout::figureLayout()
{
    // box (30, 250) 150 x 200 mm, margins 9: columns 21 and 189, rows 259 and 41
    const Layout l = figure(200, 9, 5, false, 100);
    QCOMPARE(l.guides.size(), 12);
    QCOMPARE(
        discCentres(l), (QVector<QPointF> { { 21, 259 }, { 189, 259 }, { 21, 41 }, { 189, 41 } }));
    for (const Mark &m : l.marks)
        QCOMPARE(m.parts.size(), 1);
    // mark box through the discs' outer edges, notches 5.5 mm square
    QVERIFY(sameLine(l.guides[0], 24, 261.5, 186, 261.5));
    QVERIFY(sameLine(l.guides[1], 24, 38.5, 186, 38.5));
    QVERIFY(sameLine(l.guides[2], 18.5, 256, 24, 256));
    QVERIFY(sameLine(l.guides[3], 24, 261.5, 24, 256));
    QVERIFY(sameLine(l.guides[5], 191.5, 256, 186, 256));
    QVERIFY(sameLine(l.guides[9], 186, 38.5, 186, 44));
    QVERIFY(sameLine(l.guides[10], 18.5, 256, 18.5, 44));
    QVERIFY(sameLine(l.guides[11], 191.5, 256, 191.5, 44));

    // margins measured outward: a larger bottom margin moves the bottom row
    const ShapeSpec spec = circleByFigureSpec(in(5), in(clearanceMm));
    const Layout b = buildLayout(
        spec, figureFrame(in(30), in(250), in(150), in(200), margins(9, 9, 9, 20)), false, in(100));
    QCOMPARE(discCentres(b)[2], QPointF(21, 30));
    QVERIFY(sameLine(b.guides[1], 24, 27.5, 186, 27.5));
}

void TestMarkLayout::figureCounts_data()
{
    QTest::addColumn<double>("boxHeight");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("guides");
    QTest::addColumn<int>("discs");
    QTest::newRow("L 218: n 3") << 200.0 << 3 << 28 << 8;
    QTest::newRow("L 202: n 2") << 184.0 << 2 << 20 << 6;
    QTest::newRow("L 102: n 1") << 84.0 << 1 << 12 << 4;
}

void TestMarkLayout::figureCounts()
{
    QFETCH(double, boxHeight);
    QFETCH(int, n);
    QFETCH(int, guides);
    QFETCH(int, discs);
    const Layout l = figure(boxHeight, 9, 5, true, 100);
    QCOMPARE(l.seg.pieces, n);
    QCOMPARE(l.guides.size(), guides);
    QCOMPARE(discCentres(l).size(), discs);
    for (int i = 0; i < l.extraRows.size(); ++i)
        QVERIFY(near(mmOf(l.extraRows[i]), 259 - 100.0 * (i + 1)));
    if (n == 1) // the segmented outline equals the plain one
        QCOMPARE(l.guides, figure(boxHeight, 9, 5, false, 100).guides);
}

// Every layout's outline is one closed shape that keeps clear of every disc.
// The page layout with segmentation keeps the stubs of the corner notches
// between the inset edge and the discs' outer edge.
void TestMarkLayout::outlineClosedAndClear_data()
{
    QTest::addColumn<bool>("byPage");
    QTest::addColumn<bool>("isSegment");
    QTest::addColumn<double>("extent"); // page height or box height, mm
    QTest::addColumn<double>("diameter");
    QTest::addColumn<int>("stubs");
    QTest::newRow("page") << true << false << 297.0 << 5.0 << 0;
    QTest::newRow("page segmented") << true << true << 297.0 << 5.0 << 4;
    QTest::newRow("page segmented n 1") << true << true << 120.0 << 5.0 << 4;
    QTest::newRow("page segmented 8 mm discs") << true << true << 420.0 << 8.0 << 4;
    QTest::newRow("figure") << false << false << 200.0 << 5.0 << 0;
    QTest::newRow("figure segmented") << false << true << 200.0 << 5.0 << 0;
    QTest::newRow("figure segmented n 2") << false << true << 184.0 << 5.0 << 0;
    QTest::newRow("figure segmented 3 mm discs") << false << true << 500.0 << 3.0 << 0;
}

void TestMarkLayout::outlineClosedAndClear()
{
    QFETCH(bool, byPage);
    QFETCH(bool, isSegment);
    QFETCH(double, extent);
    QFETCH(double, diameter);
    QFETCH(int, stubs);
    const Layout l = byPage
        ? buildLayout(circleByPageSpec(in(diameter), in(clearanceMm), Units::mmPerInch),
            pageFrame(in(210), in(extent), margins(10, 10, 10, 10)), isSegment, in(100))
        : figure(extent, 9, diameter, isSegment, 100);
    const GuideTopology topo = guideTopology(l.guides);
    QCOMPARE(topo.stubs, stubs);
    QVERIFY2(topo.closed, "the outline is not one closed shape");
    for (const Mark &m : l.marks) {
        for (const Primitive &p : m.parts) {
            if (p.kind != PrimitiveKind::Disc)
                continue;
            for (const QLineF &g : l.guides)
                QVERIFY2(distanceToSegment(QPointF(p.x1, p.y1), g) > p.radius + 1e-9,
                    qPrintable(show(g)));
        }
    }
}

void TestMarkLayout::badSegmentLengthMeansNoSegmentation_data()
{
    QTest::addColumn<double>("segLength");
    QTest::newRow("zero") << 0.0;
    QTest::newRow("negative") << -100.0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    QTest::newRow("tiny") << 1e-6;
    QTest::newRow("denormal") << std::numeric_limits<double>::denorm_min();
}

void TestMarkLayout::badSegmentLengthMeansNoSegmentation()
{
    QFETCH(double, segLength);
    const Layout l = a4Page(10, 5, true, segLength);
    QVERIFY(!l.seg.active);
    QCOMPARE(l.guides, a4Page(10, 5, false, 100).guides);
    QCOMPARE(l.marks.size(), 4);
}

// The worked examples of the cross and right-angle layouts.
void TestMarkLayout::barLayouts_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<double>("unit"); // inches per unit of the expected values
    QTest::addColumn<int>("n");
    QTest::addColumn<QVector<double>>("rows");
    QTest::addColumn<Picks>("lines");
    const double mmUnit = in(1);
    const Margins nine = margins(9, 9, 9, 9);
    const ShapeSpec crossPage = crossByPageSpec(in(9), in(9), in(1));
    const ShapeSpec rtPage = rtAngleByPageSpec(in(9), in(9), in(1));
    const ShapeSpec rtFigure = rtAngleByFigureSpec(in(9), in(9), in(1));
    const Margins half { 0.5, 0.5, 0.5, 0.5 };

    QTest::newRow("cross, A4") << buildLayout(crossPage, pageFrame(in(210), in(297), nine), false,
        in(100)) << mmUnit << 0 << QVector<double> {}
                               << Picks { { 0, { 13.5, 292.5, 196.5, 292.5 } },
                                      { 10, { 4.5, 283.5, 4.5, 13.5 } } };
    QTest::newRow("right angle, A4, 100 mm")
        << buildLayout(rtPage, pageFrame(in(210), in(297), nine), true, in(100)) << mmUnit << 3
        << QVector<double> { 188, 88 }
        << Picks { { 10, { 9, 279, 9, 197 } }, { 11, { 9, 179, 9, 97 } }, { 12, { 9, 79, 9, 18 } },
               { 16, { 9, 197, 18, 197 } }, { 17, { 9, 179, 18, 179 } },
               { 18, { 18, 197, 18, 179 } } };
    QTest::newRow("right angle, page 223 mm")
        << buildLayout(rtPage, pageFrame(in(210), in(223), nine), true, in(100)) << mmUnit << 2
        << QVector<double> { 114 } << Picks { { 11, { 9, 105, 9, 18 } } };
    QTest::newRow("cross, box 6 x 8")
        << buildLayout(crossByFigureSpec(0.4, 0.4, 0.02), figureFrame(1, 10, 6, 8, half), false, 2)
        << 1.0 << 0 << QVector<double> {}
        << Picks { { 0, { 0.7, 10.7, 7.3, 10.7 } }, { 10, { 0.3, 10.3, 0.3, 1.7 } } };
    QTest::newRow("cross, box height 5")
        << buildLayout(crossByFigureSpec(0.4, 0.4, 0.02), figureFrame(1, 10, 6, 5, half), true, 2)
        << 1.0 << 3 << QVector<double> { 8.5, 6.5 } << Picks { { 12, { 0.3, 6.3, 0.3, 4.7 } } };
    QTest::newRow("cross, box height 5.2, marks 0.3")
        << buildLayout(crossByFigureSpec(0.4, 0.3, 0.02), figureFrame(1, 10, 6, 5.2, half), true, 2)
        << 1.0 << 3 << QVector<double> { 8.5, 6.5 } << Picks {};
    QTest::newRow("cross, box height 5.2, marks 0.1")
        << buildLayout(crossByFigureSpec(0.4, 0.1, 0.02), figureFrame(1, 10, 6, 5.2, half), true, 2)
        << 1.0 << 4 << QVector<double> { 8.5, 6.5, 4.5 } << Picks {};
    // rows closer than a mark: no extra row, each side one piece from the top row
    QTest::newRow("cross, rows 0.2 apart, marks 0.4")
        << buildLayout(crossByFigureSpec(0.4, 0.4, 0.02),
               figureFrame(1, 10, 6, 0.1, { 0.05, 0.05, 0.05, 0.05 }), true, 2)
        << 1.0 << 0 << QVector<double> {}
        << Picks { { 10, { 0.75, 9.85, 0.75, 10.05 } }, { 11, { 7.25, 9.85, 7.25, 10.05 } } };
    QTest::newRow("right angle, box 150 x 210 mm")
        << buildLayout(
               rtFigure, figureFrame(in(20), in(250), in(150), in(210), nine), true, in(100))
        << mmUnit << 3 << QVector<double> { 159, 59 }
        << Picks { { 10, { 11, 250, 11, 168 } }, { 11, { 11, 150, 11, 68 } },
               { 12, { 11, 50, 11, 40 } }, { 16, { 11, 168, 20, 168 } },
               { 17, { 11, 150, 20, 150 } }, { 18, { 20, 168, 20, 150 } } };
    QTest::newRow("right angle, box 185 mm high")
        << buildLayout(
               rtFigure, figureFrame(in(20), in(250), in(150), in(185), nine), true, in(100))
        << mmUnit << 2 << QVector<double> { 159 } << Picks {};
}

void TestMarkLayout::barLayouts()
{
    QFETCH(Layout, layout);
    QFETCH(double, unit);
    QFETCH(int, n);
    QFETCH(QVector<double>, rows);
    QFETCH(Picks, lines);
    auto same = [unit](double got, double want) { return std::fabs(got / unit - want) < 1e-9; };
    QCOMPARE(layout.seg.pieces, n);
    // Ten corner guides, each side in one piece more than there are extra
    // rows, three guides a side around each row; four corners, two marks a row.
    QCOMPARE(layout.guides.size(), 12 + 8 * rows.size());
    QCOMPARE(layout.marks.size(), 4 + 2 * rows.size());
    QCOMPARE(layout.extraRows.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i)
        QVERIFY(same(layout.extraRows[i], rows[i]));
    for (const auto &pick : lines) {
        const QLineF &g = layout.guides[pick.first];
        const QLineF &w = pick.second;
        QVERIFY2(same(g.x1(), w.x1()) && same(g.y1(), w.y1()) && same(g.x2(), w.x2())
                && same(g.y2(), w.y2()),
            qPrintable(QStringLiteral("line %1").arg(pick.first + 1)));
    }
    for (const Mark &m : layout.marks) {
        QCOMPARE(m.parts.size(), 2);
        for (const Primitive &p : m.parts)
            QCOMPARE(p.kind, PrimitiveKind::Line);
    }
}

QTEST_APPLESS_MAIN(TestMarkLayout)
#include "tst_marklayout.moc"
