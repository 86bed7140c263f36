// Cross and right-angle marks, run against the simulated host.

#include "../host/hosttestutil.h"

#include "markgeometry.h"

#include <cdroperate.h>
#include <workfolder.h>

#include <QDir>
#include <QtTest>

#include <utility>

using simhost::Document;
using simhost::Shape;
using simhost::SimHost;

namespace {

using Op = void (CdrOperate::*)(
    double, double, double, double, double, double, double, bool, double, int, int, int, int);

// Every run: margins 0.5, marks 0.4 wide and 0.2 high of weight 0.03, 6 inch
// segments, colour (10, 20, 30, 40). By page on an 8 x 11 page, by figure
// around artwork from (1, 2) to (7, 10): columns at 0.5 and 7.5, top row at
// 10.5, one extra row at 4.5, bottom row at 0.5 (page) or 1.5 (figure).
constexpr double markWeight = 0.03;
const QString artwork = QStringLiteral("Artwork");

// The host's call log then holds the operation's calls alone.
void run(Op op)
{
    {
        CdrOperate o(v24);
        SimHost::instance().clearCalls();
        (o.*op)(0.5, 0.5, 0.5, 0.5, 0.4, 0.2, markWeight, true, 6.0, 10, 20, 30, 40);
    }
    flushDeletes();
}

Document &doc()
{
    return *SimHost::instance().activeDocument();
}

struct Expected
{
    QVector<QLineF> guides;
    QVector<QLineF> bars; // two a mark
};

// The tables of each layout, as drawn.
const double xl = 0.5, xr = 7.5, yt = 10.5, y1 = 4.5, w = 0.4, h = 0.2, hw = 0.2, hh = 0.1;

Expected crossPage(double yb)
{
    return { { { xl + hw, yt + hh, xr - hw, yt + hh }, { xl + hw, yb - hh, xr - hw, yb - hh },
                 { xl - hw, yt - hh, xl + hw, yt - hh }, { xl + hw, yt - hh, xl + hw, yt + hh },
                 { xr - hw, yt + hh, xr - hw, yt - hh }, { xr - hw, yt - hh, xr + hw, yt - hh },
                 { xl - hw, yb + hh, xl + hw, yb + hh }, { xl + hw, yb + hh, xl + hw, yb - hh },
                 { xr + hw, yb + hh, xr - hw, yb + hh }, { xr - hw, yb + hh, xr - hw, yb - hh },
                 { xl - hw, yt - hh, xl - hw, y1 + hh }, { xl - hw, y1 - hh, xl - hw, yb + hh },
                 { xr + hw, yt - hh, xr + hw, y1 + hh }, { xr + hw, y1 - hh, xr + hw, yb + hh },
                 { xl - hw, y1 + hh, xl + hw, y1 + hh }, { xl - hw, y1 - hh, xl + hw, y1 - hh },
                 { xl + hw, y1 + hh, xl + hw, y1 - hh }, { xr - hw, y1 + hh, xr + hw, y1 + hh },
                 { xr - hw, y1 - hh, xr + hw, y1 - hh }, { xr - hw, y1 + hh, xr - hw, y1 - hh } },
        { { xl - hw, yt, xl + hw, yt }, { xl, yt - hh, xl, yt + hh }, { xr - hw, yt, xr + hw, yt },
            { xr, yt - hh, xr, yt + hh }, { xl - hw, yb, xl + hw, yb },
            { xl, yb - hh, xl, yb + hh }, { xr - hw, yb, xr + hw, yb },
            { xr, yb - hh, xr, yb + hh }, { xl - hw, y1, xl + hw, y1 },
            { xl, y1 + hh, xl, y1 - hh }, { xr - hw, y1, xr + hw, y1 },
            { xr, y1 + hh, xr, y1 - hh } } };
}

// The same lines, these (numbered from 1) drawn the other way round.
QVector<QLineF> flipped(QVector<QLineF> lines, std::initializer_list<int> numbers)
{
    for (int n : numbers)
        lines[n - 1] = QLineF(lines[n - 1].p2(), lines[n - 1].p1());
    return lines;
}

// Around the artwork the top-right box's lower side comes before its inner
// side, and a few lines and the top crosses' vertical bars run the other way.
Expected crossFigure(double yb)
{
    Expected e = crossPage(yb);
    std::swap(e.guides[4], e.guides[5]);
    return { flipped(e.guides, { 4, 9, 18, 19 }), flipped(e.bars, { 2, 4 }) };
}

Expected rtAnglePage(double yb)
{
    return { { { xl + w, yt, xr - w, yt }, { xl + w, yb, xr - w, yb },
                 { xl, yt - h, xl + w, yt - h }, { xl + w, yt - h, xl + w, yt },
                 { xr - w, yt, xr - w, yt - h }, { xr - w, yt - h, xr, yt - h },
                 { xl, yb + h, xl + w, yb + h }, { xl + w, yb + h, xl + w, yb },
                 { xr, yb + h, xr - w, yb + h }, { xr - w, yb + h, xr - w, yb },
                 { xl, yt - h, xl, y1 + h }, { xl, y1 - h, xl, yb + h }, { xr, yt - h, xr, y1 + h },
                 { xr, y1 - h, xr, yb + h }, { xl, y1 + h, xl + w, y1 + h },
                 { xl, y1 - h, xl + w, y1 - h }, { xl + w, y1 + h, xl + w, y1 - h },
                 { xr - w, y1 + h, xr, y1 + h }, { xr - w, y1 - h, xr, y1 - h },
                 { xr - w, y1 + h, xr - w, y1 - h } },
        { { xl, yt, xl + w, yt }, { xl, yt, xl, yt - h }, { xr, yt, xr - w, yt },
            { xr, yt, xr, yt - h }, { xl, yb, xl + w, yb }, { xl, yb, xl, yb + h },
            { xr, yb, xr - w, yb }, { xr, yb, xr, yb + h }, { xl, y1, xl + w, y1 },
            { xl, y1 + h, xl, y1 - h }, { xr, y1, xr - w, y1 }, { xr, y1 - h, xr, y1 + h } } };
}

// Around the artwork the top-left inner side, the right boxes' sides at the
// extra row and the right upright there run the other way.
Expected rtAngleFigure(double yb)
{
    const Expected e = rtAnglePage(yb);
    return { flipped(e.guides, { 4, 18, 19 }), flipped(e.bars, { 12 }) };
}

QString num(double v)
{
    return "double:" + QString::number(v, 'g', 10);
}

QStringList lineCalls(const QLineF &l, double width, const QString &cmyk)
{
    return { "Layer.CreateLineSegment(double,double,double,double) " + num(l.x1()) + ", "
            + num(l.y1()) + ", " + num(l.x2()) + ", " + num(l.y2()),
        "Shape.Fill()", "Fill.ApplyNoFill()", "Shape.Outline()",
        "Outline.SetWidth(double) " + num(width), "Outline.Color()",
        "Color.CMYKAssign(int,int,int,int) " + cmyk };
}

// Layers Artwork (active) and an old Mark Layer; no assist layer yet.
QStringList expectedCalls(bool byFigure, const Expected &e)
{
    QStringList s { "Application.SetOptimization(bool) bool:true", "Application.ActiveDocument()",
        "Document.ActivePage()", "Document.ActiveLayer()", "Layer.Name()" };
    if (!byFigure)
        s << "Page.SizeWidth"
          << "Page.SizeHeight()";
    s << "Page.Layers()"
      << "Layers.Count()";
    for (int scan = 0; scan < 2; ++scan)
        s << "Layers.Item(int) int:1"
          << "Layer.Name()"
          << "Layers.Item(int) int:2"
          << "Layer.Name()";
    if (byFigure)
        s << "Document.ClearSelection()"
          << "Page.SelectableShapes()"
          << "Shapes.All()"
          << "ShapeRange.AddToSelection()"
          << "Application.ActiveSelectionRange()"
          << "ShapeRange.PositionX()"
          << "ShapeRange.PositionY()"
          << "ShapeRange.SizeWidth()"
          << "ShapeRange.SizeHeight()";
    s << "Page.CreateLayer(QString) 'Assist Layer'";
    for (const QLineF &g : e.guides)
        s << lineCalls(g, in(0.2), "int:0, int:50, int:0, int:0");
    s << "Layer.Shapes()"
      << "Shapes.All()"
      << "ShapeRange.Combine()"
      << "Layer.SetEditable(bool) bool:false"
      << "Layer.SetPrintable(bool) bool:false"
      << "Layers.Find(QString) 'Mark Layer'"
      << "Layer.Activate()"
      << "Layer.SetEditable(bool) bool:true"
      << "Layer.Shapes()"
      << "Shapes.All()"
      << "ShapeRange.Delete()";
    for (int i = 0; i < e.bars.size(); i += 2)
        s << lineCalls(e.bars[i], markWeight, "int:10, int:20, int:30, int:40")
          << lineCalls(e.bars[i + 1], markWeight, "int:10, int:20, int:30, int:40")
          << "Document.ClearSelection()"
          << "Shape.AddToSelection()"
          << "Shape.AddToSelection()"
          << "Application.ActiveSelection()"
          << "Selection.Combine()";
    s << "Layer.SetEditable(bool) bool:false"
      << "Layers.Find(QString) 'Artwork'"
      << "Layer.Activate()"
      << "Application.SetOptimization(bool) bool:false"
      << "Application.Refresh()"
      << "Application.Windows()"
      << "Windows.Refresh()";
    return s;
}

bool sameLines(const QVector<QLineF> &a, const QVector<QLineF> &b)
{
    auto near = [](const QPointF &p, const QPointF &q) { return (p - q).manhattanLength() < 1e-9; };
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!near(a[i].p1(), b[i].p1()) || !near(a[i].p2(), b[i].p2()))
            return false;
    return true;
}

} // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Expected)

class TestBarMarks : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        flushDeletes();
        SimHost &host = SimHost::instance();
        host.reset();
        Document &d = host.createDocument();
        d.pageSize = QSizeF(8, 11);
        d.layers.clear();
        host.addLayer(d, artwork);
        host.addLayer(d, "Mark Layer").printable = false;
        d.activeLayer = d.layer(artwork)->id;
        host.addShape(d, artwork, rectPath(1, 2, 6, 8));
    }
    void cleanup() { flushDeletes(); }

    void operations_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<bool>("byFigure");
        QTest::addColumn<Expected>("expected");
        QTest::newRow("cross by page")
            << &CdrOperate::genCrossMarkByPage << false << crossPage(0.5);
        QTest::newRow("right angle by page")
            << &CdrOperate::genRtAngleMarkByPage << false << rtAnglePage(0.5);
        QTest::newRow("cross by figure")
            << &CdrOperate::genCrossMarkByFigure << true << crossFigure(1.5);
        QTest::newRow("right angle by figure")
            << &CdrOperate::genRtAngleMarkByFigure << true << rtAngleFigure(1.5);
    }

    void callSequence_data() { operations_data(); }
    void callSequence()
    {
        QFETCH(Op, op);
        QFETCH(bool, byFigure);
        QFETCH(Expected, expected);
        run(op);
        COMPARE_CALLS(expectedCalls(byFigure, expected));
        VERIFY_NO_HOST_ERRORS();
    }

    void shapesLeft_data() { operations_data(); }
    void shapesLeft()
    {
        QFETCH(Op, op);
        QFETCH(Expected, expected);
        const QPainterPath art = doc().shapesOn(artwork)[0]->path;
        run(op);
        doc().activeLayer = doc().layer("Mark Layer")->id;
        run(op); // the second run measures the artwork alone and replaces the first
        VERIFY_NO_HOST_ERRORS();

        const QList<const Shape *> guides = doc().shapesOn("Assist Layer");
        QCOMPARE(guides.size(), 1);
        QVERIFY(sameLines(segmentsOf(guides[0]->path), expected.guides));
        QVERIFY(guideTopology(segmentsOf(guides[0]->path)).closed);
        const QList<const Shape *> marks = doc().shapesOn("Mark Layer");
        QCOMPARE(marks.size(), expected.bars.size() / 2);
        for (int i = 0; i < marks.size(); ++i) {
            // exactly the mark's own two bars
            QVERIFY(sameLines(segmentsOf(marks[i]->path), expected.bars.mid(2 * i, 2)));
            QVERIFY(!marks[i]->filled);
            QCOMPARE(marks[i]->outline, (simhost::Cmyk { 10, 20, 30, 40 }));
            QCOMPARE(marks[i]->outlineWidth, markWeight);
        }
        QCOMPARE(doc().shapesOn(artwork).size(), 1);
        QCOMPARE(doc().shapesOn(artwork)[0]->path, art);

        const simhost::Layer *assist = doc().layer("Assist Layer");
        const simhost::Layer *mark = doc().layer("Mark Layer");
        QVERIFY(!assist->editable && !assist->printable);
        QVERIFY(!mark->editable && !mark->printable); // its printability untouched
        QCOMPARE(doc().activeLayerName(), QStringLiteral("Mark Layer"));
        QVERIFY(!SimHost::instance().optimization());
    }

    // A host object that does not come back is never called, and the host
    // is not left with its optimisation on.
    void hostReturnsNoObject_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<int>("skip");
        QTest::newRow("a mark bar")
            << QByteArray("CreateLineSegment(double,double,double,double)") << 21;
        QTest::newRow("a bar's outline") << QByteArray("Outline()") << 22;
        QTest::newRow("selection") << QByteArray("ActiveSelection()") << 0;
        QTest::newRow("selection range") << QByteArray("ActiveSelectionRange()") << 0;
        QTest::newRow("a layer lookup") << QByteArray("Find(QString)") << 0;
    }
    void hostReturnsNoObject()
    {
        QFETCH(QByteArray, member);
        QFETCH(int, skip);
        for (Op op : { &CdrOperate::genCrossMarkByPage, &CdrOperate::genRtAngleMarkByPage,
                 &CdrOperate::genCrossMarkByFigure, &CdrOperate::genRtAngleMarkByFigure }) {
            SimHost::instance().failMember(member, skip, 1);
            run(op);
            VERIFY_NO_HOST_ERRORS();
            QVERIFY(!SimHost::instance().optimization());
        }
    }

    // Pictures for a person to look at (saved outside the test's checks).
    void snapshots_data() { operations_data(); }
    void snapshots()
    {
        QFETCH(Op, op);
        const QString dir = publicDocumentsFolder() + "snapshots/";
        QVERIFY(QDir().mkpath(dir));
        doc().pageSize = QSizeF(in(210), in(297));
        {
            // the main window's defaults on A4: 9 mm margins and marks, 1 mm
            // weight, 100 mm segments, black
            CdrOperate o(v24);
            const double m = in(9);
            (o.*op)(m, m, m, m, m, m, in(1), true, in(100), 0, 0, 0, 100);
        }
        flushDeletes();
        const QString name = QString(QTest::currentDataTag()).replace(' ', '-');
        QVERIFY(SimHost::instance().saveSnapshot(dir + name + ".png", 60));
        const QImage page = SimHost::instance().snapshot(300);
        QVERIFY(
            page.copy(0, 0, 600, 600).save(dir + name + "-corner.png")); // the top-left 2 inches
        VERIFY_NO_HOST_ERRORS();
    }
};

QTEST_MAIN(TestBarMarks)
#include "tst_barmarks.moc"
