// Circle marks and the QR job label, run against the simulated host.

#include "../host/hosttestutil.h"

#include "cdroperate.h"
#include "hostframe.h"
#include "markdriver.h"
#include "markgeometry.h"
#include "qrlabel.h"
#include "workfolder.h"

#include <QDir>
#include <QtTest>

using namespace simhost;

namespace {

const QString v20 = QStringLiteral("CorelDraw.Application.20");

struct Settings
{
    double top = 10, left = 10, right = 10, bottom = 10, diameter = 5;
    bool isSegment = false;
    double segLength = 100;
    bool useQRCode = false, isInkJet = false;
    double qrSize = 12;
    int number = 12345678;
    int c = 0, m = 0, y = 0, k = 100;
};

void byPage(CdrOperate &op, const Settings &s)
{
    op.genCircleMarkByPage(in(s.top), in(s.left), in(s.right), in(s.bottom), in(s.diameter),
        s.isSegment, in(s.segLength), s.useQRCode, s.isInkJet, in(s.qrSize), s.number, s.c, s.m,
        s.y, s.k);
    flushDeletes();
}

void byFigure(CdrOperate &op, const Settings &s)
{
    op.genCircleMarkByFigure(in(s.top), in(s.left), in(s.right), in(s.bottom), in(s.diameter),
        s.isSegment, in(s.segLength), s.useQRCode, s.isInkJet, in(s.qrSize), s.number, s.c, s.m,
        s.y, s.k);
    flushDeletes();
}

Document &doc()
{
    return *SimHost::instance().activeDocument();
}

QList<const Shape *> shapesOn(const QString &layer)
{
    return doc().shapesOn(layer);
}

// Artwork on the user's layer, its box given in mm.
void addArtworkRect(double x, double y, double w, double h)
{
    SimHost::instance().addShape(doc(), "Layer 1", rectPath(in(x), in(y), in(w), in(h)));
}

void addArtworkEllipse(double x, double y, double w, double h)
{
    QPainterPath p;
    p.addEllipse(QRectF(in(x), in(y), in(w), in(h)));
    SimHost::instance().addShape(doc(), "Layer 1", p);
}

// Centres of the marks in mm, in the layer's shape order.
QVector<QPointF> markCentresMm()
{
    QVector<QPointF> out;
    for (const Shape *s : shapesOn("Mark Layer")) {
        const QPointF c = s->path.boundingRect().center();
        out << QPointF(qRound(mmOf(c.x()) * 1000) / 1000.0, qRound(mmOf(c.y()) * 1000) / 1000.0);
    }
    return out;
}

const Layer *layerNamed(const QString &name)
{
    for (const Layer &l : doc().layers)
        if (l.name == name)
            return &l;
    return nullptr;
}

QStringList layerNames()
{
    QStringList out;
    for (const Layer &l : doc().layers)
        out << l.name;
    return out;
}

QString labelLayerName()
{
    return QStringLiteral("QR Code:12345678");
}

// Reads the symbol back from a drawn label: a module is dark when the
// label's shapes cover the centre of its ink square.
marks::QrModules readLabel(const QList<const Shape *> &shapes, double x0, double top, double module,
    double inkShare, int width)
{
    marks::QrModules m;
    m.width = width;
    for (int row = 0; row < width; ++row) {
        for (int col = 0; col < width; ++col) {
            const QPointF p(
                x0 + (col + inkShare / 2) * module, top - (row + inkShare / 2) * module);
            bool dark = false;
            for (const Shape *s : shapes)
                dark = dark || (s->filled && s->path.contains(p));
            m.dark << dark;
        }
    }
    return m;
}

} // namespace

class TestCircleMarks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pageMarks();
    void pageCallOrder();
    void guideClosedAndClear_data();
    void guideClosedAndClear();
    void segmentedPage();
    void twoRunsLeaveOneSet();
    void rememberedLayerActiveAgain_data();
    void rememberedLayerActiveAgain();
    void figureMarks();
    void figureIgnoresStaleSelection();
    void figureSegmented_data();
    void figureSegmented();
    void noHostNoCalls();
    void noDocumentCreatesOne();
    void chineseNames();
    void labelTraced_data();
    void labelTraced();
    void labelVector();
    void labelFigureOnVersion20IsTraced();
    void oldLabelRemoved_data();
    void oldLabelRemoved();
    void noSymbolNoLabelLayer();
    void pictureNotWrittenNoLabelLayer();
    void deletedRememberedLayer();
    void hostReturnsNoObject_data();
    void hostReturnsNoObject();
    void readersAfterMarks();
    void snapshots();
};

void TestCircleMarks::init()
{
    SimHost::instance().reset();
    Document &d = SimHost::instance().createDocument();
    Q_UNUSED(d);
    QDir().mkpath(workFolder());
}

void TestCircleMarks::cleanup()
{
    flushDeletes();
}

void TestCircleMarks::pageMarks()
{
    CdrOperate op(v24);
    Settings s;
    s.c = 0, s.m = 100, s.y = 100, s.k = 0;
    byPage(op, s);
    VERIFY_NO_HOST_ERRORS();

    QCOMPARE(
        markCentresMm(), (QVector<QPointF> { { 10, 287 }, { 200, 287 }, { 10, 10 }, { 200, 10 } }));
    const QList<const Shape *> marks = shapesOn("Mark Layer");
    for (const Shape *m : marks) {
        QVERIFY(m->filled);
        QCOMPARE(m->fill, (Cmyk { 0, 100, 100, 0 }));
        QCOMPARE(m->outlineWidth, 0.0);
    }
    // the first mark: disc and its two bars as one shape, 5 x 7 mm
    const QRectF first = marks[0]->path.boundingRect();
    QVERIFY(qAbs(mmOf(first.width()) - 5) < 1e-6 && qAbs(mmOf(first.height()) - 7) < 1e-6);
    QCOMPARE(segmentsOf(marks[1]->path).size(), 0);

    const QList<const Shape *> guides = shapesOn("Assist Layer");
    QCOMPARE(guides.size(), 1);
    QVERIFY(!guides[0]->filled);
    QCOMPARE(guides[0]->outline, (Cmyk { 0, 50, 0, 0 }));
    QVERIFY(qAbs(guides[0]->outlineWidth - in(0.2)) < 1e-12);
    QCOMPARE(segmentsOf(guides[0]->path).size(), 20);

    const Layer *assist = layerNamed("Assist Layer");
    const Layer *mark = layerNamed("Mark Layer");
    QVERIFY(assist && mark);
    QVERIFY(!assist->editable && !assist->printable);
    QVERIFY(!mark->editable && mark->printable);
    QCOMPARE(doc().activeLayerName(), QStringLiteral("Layer 1"));
    QVERIFY(!SimHost::instance().optimization());
    // no label asked for: none made
    QCOMPARE(layerNames(), (QStringList { "Layer 1", "Assist Layer", "Mark Layer" }));
}

void TestCircleMarks::pageCallOrder()
{
    CdrOperate op(v24);
    SimHost::instance().clearCalls();
    byPage(op, Settings());
    QList<QByteArray> members;
    for (const Call &c : SimHost::instance().calls())
        members << c.member;
    const QList<QByteArray> opening { "SetOptimization(bool)", "ActiveDocument()", "ActivePage()",
        "ActiveLayer()", "Name()", "SizeWidth", "SizeHeight()", "Layers()", "Count()" };
    QCOMPARE(members.mid(0, opening.size()), opening);
    const int first = members.indexOf("CreateLineSegment(double,double,double,double)");
    QVERIFY(first > 0);
    QCOMPARE(members.mid(first, 7),
        (QList<QByteArray> { "CreateLineSegment(double,double,double,double)", "Fill()",
            "ApplyNoFill()", "Outline()", "SetWidth(double)", "Color()",
            "CMYKAssign(int,int,int,int)" }));
    QCOMPARE(members.count("CreateLineSegment(double,double,double,double)"), 20);
    QCOMPARE(members.count("CreateEllipse2(double,double,double)"), 4);
    QCOMPARE(members.count("CreateRectangle(double,double,double,double)"), 2);
    // the frame ends with the optimisation off and the refreshes
    QCOMPARE(members.mid(members.size() - 4),
        (QList<QByteArray> { "SetOptimization(bool)", "Refresh()", "Windows()", "Refresh()" }));
    QCOMPARE(SimHost::instance().calls().last().object, QStringLiteral("Windows"));
}

void TestCircleMarks::guideClosedAndClear_data()
{
    QTest::addColumn<bool>("figure");
    QTest::addColumn<bool>("isSegment");
    QTest::addColumn<int>("stubs");
    QTest::newRow("page") << false << false << 0;
    QTest::newRow("page segmented") << false << true << 4;
    QTest::newRow("figure") << true << false << 0;
    QTest::newRow("figure segmented") << true << true << 0;
}

void TestCircleMarks::guideClosedAndClear()
{
    QFETCH(bool, figure);
    QFETCH(bool, isSegment);
    QFETCH(int, stubs);
    addArtworkRect(30, 40, 150, 220);
    CdrOperate op(v24);
    Settings s;
    s.isSegment = isSegment;
    figure ? byFigure(op, s) : byPage(op, s);
    VERIFY_NO_HOST_ERRORS();

    const QList<const Shape *> guides = shapesOn("Assist Layer");
    QCOMPARE(guides.size(), 1);
    const GuideTopology topo = guideTopology(segmentsOf(guides[0]->path));
    QCOMPARE(topo.stubs, stubs);
    QVERIFY(topo.closed);
    const QList<const Shape *> marks = shapesOn("Mark Layer");
    QCOMPARE(marks.size(), isSegment ? 8 : 4);
    for (const Shape *m : marks) {
        // the discs (the first mark's bars lie outside its disc's square)
        const QPointF c = m->path.boundingRect().center();
        for (const QLineF &g : segmentsOf(guides[0]->path))
            QVERIFY(distanceToSegment(c, g) > in(2.5) + 1e-9);
    }
}

void TestCircleMarks::segmentedPage()
{
    CdrOperate op(v24);
    Settings s;
    s.isSegment = true;
    byPage(op, s);
    // rows 277 mm apart: pairs 100 and 200 mm below the top row
    QCOMPARE(markCentresMm(),
        (QVector<QPointF> { { 10, 287 }, { 200, 287 }, { 10, 10 }, { 200, 10 }, { 10, 187 },
            { 10, 87 }, { 200, 187 }, { 200, 87 } }));
    QCOMPARE(segmentsOf(shapesOn("Assist Layer")[0]->path).size(), 36);

    // a segment length that config.ini may hold but makes no sense: no rows
    for (double bad : { 0.0, -100.0, 1e-9 }) {
        s.segLength = bad;
        byPage(op, s);
        QCOMPARE(shapesOn("Mark Layer").size(), 4);
        QCOMPARE(segmentsOf(shapesOn("Assist Layer")[0]->path).size(), 20);
    }
    VERIFY_NO_HOST_ERRORS();
}

void TestCircleMarks::twoRunsLeaveOneSet()
{
    CdrOperate op(v24);
    Settings s;
    s.useQRCode = true;
    byPage(op, s);
    s.isSegment = true;
    s.number = 12345679;
    byPage(op, s);
    byFigure(op, s);
    s.number = 12345678;
    byPage(op, s);
    VERIFY_NO_HOST_ERRORS();
    QCOMPARE(shapesOn("Assist Layer").size(), 1);
    QCOMPARE(shapesOn("Mark Layer").size(), 8);
    QCOMPARE(
        layerNames(), (QStringList { "Layer 1", "Assist Layer", "Mark Layer", labelLayerName() }));
    QCOMPARE(shapesOn(labelLayerName()).size(), 1);
}

void TestCircleMarks::rememberedLayerActiveAgain_data()
{
    QTest::addColumn<QString>("active");
    QTest::newRow("artwork layer") << "Layer 1";
    QTest::newRow("assist layer") << "Assist Layer";
    QTest::newRow("mark layer") << "Mark Layer";
}

void TestCircleMarks::rememberedLayerActiveAgain()
{
    QFETCH(QString, active);
    CdrOperate op(v24);
    byPage(op, Settings());
    doc().activeLayer = layerNamed(active)->id;
    byFigure(op, Settings());
    QCOMPARE(doc().activeLayerName(), active);
    QVERIFY(!SimHost::instance().optimization());
}

void TestCircleMarks::figureMarks()
{
    // artwork box from (30, 50) to (180, 250) mm
    addArtworkRect(30, 50, 150, 200);
    CdrOperate op(v24);
    Settings s;
    s.top = s.left = s.right = 9;
    s.bottom = 20;
    byFigure(op, s);
    VERIFY_NO_HOST_ERRORS();
    QCOMPARE(
        markCentresMm(), (QVector<QPointF> { { 21, 259 }, { 189, 259 }, { 21, 30 }, { 189, 30 } }));
    for (const Shape *m : shapesOn("Mark Layer"))
        QCOMPARE(m->kind, QStringLiteral("ellipse")); // plain discs, nothing combined
    const QList<const Shape *> guides = shapesOn("Assist Layer");
    QCOMPARE(guides.size(), 1);
    QCOMPARE(segmentsOf(guides[0]->path).size(), 12);
    // the mark box through the discs' outer edges
    const QRectF box = guides[0]->path.boundingRect();
    QVERIFY(qAbs(mmOf(box.left()) - 18.5) < 1e-6 && qAbs(mmOf(box.right()) - 191.5) < 1e-6);
    QVERIFY(qAbs(mmOf(box.top()) - 27.5) < 1e-6 && qAbs(mmOf(box.bottom()) - 261.5) < 1e-6);
    QVERIFY(!layerNamed("Assist Layer")->printable);

    // a second run measures the artwork alone: our layers are locked
    byFigure(op, s);
    QCOMPARE(
        markCentresMm(), (QVector<QPointF> { { 21, 259 }, { 189, 259 }, { 21, 30 }, { 189, 30 } }));
}

void TestCircleMarks::figureIgnoresStaleSelection()
{
    addArtworkRect(30, 50, 150, 200);
    // the user left a shape of a locked layer selected
    SimHost::instance().addLayer(doc(), "Locked");
    const Shape &far = SimHost::instance().addShape(doc(), "Locked", [] {
        QPainterPath p;
        p.addRect(QRectF(in(5), in(5), in(3), in(3)));
        return p;
    }());
    doc().layer("Locked")->editable = false;
    doc().selection = { far.id };
    doc().activeLayer = doc().layer("Layer 1")->id;

    CdrOperate op(v24);
    Settings s;
    s.top = s.left = s.right = s.bottom = 9;
    byFigure(op, s);
    QCOMPARE(
        markCentresMm(), (QVector<QPointF> { { 21, 259 }, { 189, 259 }, { 21, 41 }, { 189, 41 } }));
}

// Segmented marks around artwork, margins alike: the extra rows, the guide
// lines, and the reader finding each mark once.
void TestCircleMarks::figureSegmented_data()
{
    using Centres = QVector<QPointF>;
    QTest::addColumn<QRectF>("artwork"); // mm
    QTest::addColumn<double>("margin");
    QTest::addColumn<Centres>("centres");
    QTest::addColumn<int>("guideLines");
    QTest::addColumn<bool>("closed"); // without its stubs, closed loops
    // L = 218 mm: n = 3, pairs 100 and 200 mm below the top row
    QTest::newRow("rows 218 mm apart")
        << QRectF(30, 50, 150, 200) << 9.0
        << Centres { { 21, 259 }, { 189, 259 }, { 21, 41 }, { 189, 41 }, { 21, 159 }, { 21, 59 },
               { 189, 159 }, { 189, 59 } }
        << 28 << true;
    // no more than a disc between the rows: no extra rows, each side one
    // piece from the top row
    QTest::newRow("rows 5 mm apart")
        << QRectF(30, 100, 150, 3) << 1.0
        << Centres { { 29, 104 }, { 181, 104 }, { 29, 99 }, { 181, 99 } } << 12 << false;
    // exactly two segments: one extra pair, none on the bottom row
    QTest::newRow("rows two segments apart")
        << QRectF(30, 74, 150, 176) << 12.0
        << Centres { { 18, 262 }, { 192, 262 }, { 18, 62 }, { 192, 62 }, { 18, 162 }, { 192, 162 } }
        << 20 << true;
}

void TestCircleMarks::figureSegmented()
{
    QFETCH(QRectF, artwork);
    QFETCH(double, margin);
    QFETCH(QVector<QPointF>, centres);
    QFETCH(int, guideLines);
    QFETCH(bool, closed);
    addArtworkRect(artwork.x(), artwork.y(), artwork.width(), artwork.height());
    CdrOperate op(v24);
    Settings s;
    s.top = s.left = s.right = s.bottom = margin;
    s.isSegment = true;
    byFigure(op, s);
    VERIFY_NO_HOST_ERRORS();
    QCOMPARE(markCentresMm(), centres);
    const QVector<QLineF> guides = segmentsOf(shapesOn("Assist Layer")[0]->path);
    QCOMPARE(guides.size(), guideLines);
    QCOMPARE(guideTopology(guides).closed, closed);
    const QList<QPoint> read = op.markCentres();
    QCOMPARE(read.size(), centres.size());
    for (int i = 1; i < read.size(); ++i)
        QVERIFY(read[i] != read[i - 1]);
}

void TestCircleMarks::noHostNoCalls()
{
    SimHost::instance().setRegistered(v24, false);
    CdrOperate op(v24);
    QVERIFY(!op.isConnected());
    const int documents = SimHost::instance().documentCount();
    SimHost::instance().clearCalls();
    byPage(op, Settings());
    byFigure(op, Settings());
    QVERIFY(SimHost::instance().calls().isEmpty());
    QCOMPARE(SimHost::instance().documentCount(), documents);
    QCOMPARE(layerNames(), QStringList { "Layer 1" });
}

void TestCircleMarks::noDocumentCreatesOne()
{
    SimHost::instance().reset();
    CdrOperate op(v24);
    QVERIFY(!SimHost::instance().activeDocument());
    byPage(op, Settings());
    QVERIFY(SimHost::instance().activeDocument());
    QCOMPARE(shapesOn("Mark Layer").size(), 4);
    VERIFY_NO_HOST_ERRORS();
}

void TestCircleMarks::chineseNames()
{
    CdrOperate en(v24);
    Settings s;
    s.useQRCode = true;
    byPage(en, s); // layers under the English names stay beside the new ones
    CdrOperate zh(v24);
    zh.setLayerNames("ZH");
    s.number = 777;
    byPage(zh, s);
    VERIFY_NO_HOST_ERRORS();
    QCOMPARE(layerNames(),
        (QStringList { "Layer 1", "Assist Layer", "Mark Layer", labelLayerName(), zh.assistLayer,
            zh.markLayer, zh.qrLayer + ":777" }));
    QCOMPARE(doc().shapesOn(zh.markLayer).size(), 4);
    QCOMPARE(shapesOn("Mark Layer").size(), 4);
}

void TestCircleMarks::labelTraced_data()
{
    QTest::addColumn<bool>("figure");
    QTest::addColumn<bool>("isInkJet");
    QTest::newRow("page") << false << false;
    QTest::newRow("page, ink-jet") << false << true;
    QTest::newRow("figure") << true << false;
}

void TestCircleMarks::labelTraced()
{
    QFETCH(bool, figure);
    QFETCH(bool, isInkJet);
    addArtworkRect(30, 50, 150, 200);
    CdrOperate op(v24);
    Settings s;
    s.useQRCode = true;
    s.isInkJet = isInkJet;
    s.qrSize = 16;
    figure ? byFigure(op, s) : byPage(op, s);
    VERIFY_NO_HOST_ERRORS();

    const Layer *label = layerNamed(labelLayerName());
    QVERIFY(label);
    QVERIFY(!label->editable);
    const QList<const Shape *> traced = shapesOn(labelLayerName());
    QCOMPARE(traced.size(), 1); // the picture itself was deleted by the trace
    QVERIFY(traced[0]->bitmap.isNull());

    // the picture stands 0.5 mm right of the top-left disc, its top
    // qrSize / 2.25 above the top row, qrSize wide and 1.25 qrSize high
    const double xl = figure ? 30 - 10 : 10, yt = figure ? 250 + 10 : 287;
    const double x0 = xl + 2.5 + 0.5, top = yt + s.qrSize / 2.25;
    const QRectF box = traced[0]->path.boundingRect();
    QVERIFY2(qAbs(mmOf(box.left()) - x0) < 0.1, qPrintable(QString::number(mmOf(box.left()))));
    QVERIFY2(qAbs(mmOf(box.bottom()) - top) < 0.1, qPrintable(QString::number(mmOf(box.bottom()))));

    const marks::QrModules want = marks::encodeLabel("12345678");
    const double module = in(s.qrSize) * 15 / 320; // a 15 px cell of the 320 px wide picture
    QCOMPARE(readLabel(traced, in(x0), in(top), module, isInkJet ? 0.85 : 0.95, want.width).dark,
        want.dark);
    // the caption was traced below the symbol
    QVERIFY(mmOf(box.top()) < top - s.qrSize - 1);

    // the picture in the work folder is the label too
    QImage picture(marks::labelPicturePath());
    QCOMPARE(picture.size(), QSize(320, 400));
}

void TestCircleMarks::labelVector()
{
    CdrOperate op(v20);
    Settings s;
    s.useQRCode = true;
    s.qrSize = 10.5;
    byPage(op, s);
    VERIFY_NO_HOST_ERRORS();
    const QList<const Shape *> label = shapesOn(labelLayerName());
    const marks::QrModules want = marks::encodeLabel("12345678");
    QList<const Shape *> squares;
    int bitmaps = 0, texts = 0;
    for (const Shape *sh : label) {
        if (sh->kind == QLatin1String("rectangle"))
            squares << sh;
        bitmaps += sh->kind == QLatin1String("bitmap");
        texts += sh->kind == QLatin1String("text");
    }
    QCOMPARE(bitmaps, 1); // imported, left as it is
    QCOMPARE(texts, 1);
    QCOMPARE(squares.size(), int(want.dark.count(true)));
    for (const Shape *q : squares) {
        QCOMPARE(q->fill, (Cmyk { 100, 100, 100, 100 }));
        QCOMPARE(q->outlineWidth, 0.0);
    }
    // a qrSize square, its left edge 0.5 mm right of the disc, centred on the top row
    const double module = in(s.qrSize) / want.width;
    const double x0 = in(10 + 2.5 + 0.5), top = in(287 + s.qrSize / 2);
    QCOMPARE(readLabel(squares, x0, top, module, 1.0, want.width).dark, want.dark);
    QVERIFY(!layerNamed(labelLayerName())->editable);
}

void TestCircleMarks::labelFigureOnVersion20IsTraced()
{
    addArtworkRect(30, 50, 150, 200);
    CdrOperate op(v20);
    Settings s;
    s.useQRCode = true;
    byFigure(op, s);
    const QList<const Shape *> label = shapesOn(labelLayerName());
    QCOMPARE(label.size(), 1);
    QCOMPARE(label[0]->kind, QStringLiteral("curve"));
    QVERIFY(SimHost::instance().callsOf("SetPosition(double,double)").size() == 1);
    QVERIFY(SimHost::instance().callsOf("SetPositionEx(enum,double,double)").isEmpty());
}

void TestCircleMarks::oldLabelRemoved_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<bool>("useQRCode");
    QTest::addColumn<QStringList>("after"); // layers after the run
    const QString n = labelLayerName();
    const QStringList ours { "Assist Layer", "Mark Layer" };
    QTest::newRow("none, no label") << QStringList {} << false << QStringList { "Layer 1" } + ours;
    QTest::newRow("old label, no label")
        << QStringList { "QR Code:11111111" } << false << QStringList { "Layer 1" } + ours;
    QTest::newRow("old label replaced") << QStringList { "QR Code:11111111" } << true
                                        << QStringList { "Layer 1" } + ours + QStringList { n };
    QTest::newRow("only the first goes") << QStringList { "QR Code:1", "QR Code:2" } << false
                                         << QStringList { "Layer 1", "QR Code:2" } + ours;
    QTest::newRow("bare prefix counts")
        << QStringList { "QR Code" } << false << QStringList { "Layer 1" } + ours;
    QTest::newRow("prefix and anything") << QStringList { "QR Codes of May" } << true
                                         << QStringList { "Layer 1" } + ours + QStringList { n };
    QTest::newRow("other case does not")
        << QStringList { "qr code:5" } << false << QStringList { "Layer 1", "qr code:5" } + ours;
}

void TestCircleMarks::oldLabelRemoved()
{
    QFETCH(QStringList, before);
    QFETCH(bool, useQRCode);
    QFETCH(QStringList, after);
    for (const QString &name : before)
        SimHost::instance().addLayer(doc(), name);
    CdrOperate op(v24);
    Settings s;
    s.useQRCode = useQRCode;
    byPage(op, s);
    VERIFY_NO_HOST_ERRORS();
    QCOMPARE(layerNames(), after);
}

void TestCircleMarks::noSymbolNoLabelLayer()
{
    SimHost::instance().addLayer(doc(), "QR Code:11111111");
    CdrOperate op(v24);
    HostFrame f(&op);
    QVERIFY(f.open());
    f.readLayers();
    marks::LabelStep step;
    step.useQRCode = true;
    step.jobNumber = 12345678;
    step.labelFound = true;
    step.layerCount = f.layerCount();
    marks::qrLabelStep(op, f, step, marks::QrModules());
    f.close();
    flushDeletes();
    VERIFY_NO_HOST_ERRORS();
    // the old label is gone, and no job is filed under the new number
    QCOMPARE(layerNames(), QStringList { "Layer 1" });
    QVERIFY(!SimHost::instance().optimization());
}

// A picture that cannot be written must not be replaced by the one an
// earlier run left: no label layer is made, the old label still goes.
void TestCircleMarks::pictureNotWrittenNoLabelLayer()
{
    SimHost::instance().addLayer(doc(), "QR Code:11111111");
    QFile::remove(marks::labelPicturePath());
    QVERIFY(QDir().mkpath(marks::labelPicturePath())); // a folder where the picture goes
    CdrOperate op(v24);
    Settings s;
    s.useQRCode = true;
    byPage(op, s);
    QDir(marks::labelPicturePath()).removeRecursively();
    VERIFY_NO_HOST_ERRORS();
    QCOMPARE(layerNames(), (QStringList { "Layer 1", "Assist Layer", "Mark Layer" }));
    QCOMPARE(op.qrJobName(), QString());
    QVERIFY(!SimHost::instance().optimization());
}

void TestCircleMarks::deletedRememberedLayer()
{
    // the user had the old label layer active; the label step deletes it
    SimHost::instance().addLayer(doc(), "QR Code:11111111");
    doc().activeLayer = doc().layer("QR Code:11111111")->id;
    CdrOperate op(v24);
    Settings s;
    s.useQRCode = true;
    byPage(op, s);
    VERIFY_NO_HOST_ERRORS();
    QVERIFY(!SimHost::instance().optimization());
    QVERIFY(!layerNamed("QR Code:11111111"));
    QVERIFY(layerNamed(labelLayerName()));
    QCOMPARE(SimHost::instance().callsOf("Refresh()").size(), 2);
}

// A host object that does not come back is never called, and the host is
// not left with its optimisation on.
void TestCircleMarks::hostReturnsNoObject_data()
{
    QTest::addColumn<QByteArray>("member");
    QTest::addColumn<int>("skip");
    QTest::newRow("page") << QByteArray("ActivePage()") << 0;
    QTest::newRow("layer list") << QByteArray("Layers()") << 0;
    QTest::newRow("assist layer") << QByteArray("CreateLayer(QString)") << 0;
    QTest::newRow("label layer") << QByteArray("CreateLayer(QString)") << 2;
    QTest::newRow("a guide line") << QByteArray("CreateLineSegment(double,double,double,double)")
                                  << 3;
    QTest::newRow("a disc's fill") << QByteArray("Fill()") << 21;
    QTest::newRow("selection") << QByteArray("ActiveSelection()") << 0;
    QTest::newRow("selection range") << QByteArray("ActiveSelectionRange()") << 0;
    QTest::newRow("import options") << QByteArray("CreateStructImportOptions()") << 0;
    QTest::newRow("imported picture") << QByteArray("Item(QVariant)") << 0;
    QTest::newRow("bitmap") << QByteArray("Bitmap()") << 0;
    QTest::newRow("trace") << QByteArray("Trace(enum)") << 0;
    QTest::newRow("remembered layer") << QByteArray("Find(QString)") << 0;
}

void TestCircleMarks::hostReturnsNoObject()
{
    QFETCH(QByteArray, member);
    QFETCH(int, skip);
    SimHost::instance().failMember(member, skip, 1);
    CdrOperate op(v24);
    Settings s;
    s.useQRCode = true;
    byPage(op, s);
    byFigure(op, s);
    VERIFY_NO_HOST_ERRORS();
    QVERIFY(!SimHost::instance().optimization());
    QCOMPARE(SimHost::instance().callsOf("SetOptimization(bool)").size(), 4);
}

// What the cut preparation reads back from the marks and the label.
void TestCircleMarks::readersAfterMarks()
{
    addArtworkRect(30, 50, 150, 200);
    CdrOperate op(v24);
    Settings s;
    s.useQRCode = true;
    s.isSegment = true;
    byPage(op, s);
    // plotter units, y down from the top edge, top row first
    QCOMPARE(op.markCentres(),
        (QList<QPoint> { { 400, 400 }, { 8000, 400 }, { 400, 4400 }, { 8000, 4400 }, { 400, 8400 },
            { 8000, 8400 }, { 400, 11480 }, { 8000, 11480 } }));
    QCOMPARE(op.qrJobName(), QStringLiteral("12345678"));

    s.isSegment = false;
    s.top = s.left = s.right = s.bottom = 9;
    s.number = 20261209;
    byFigure(op, s);
    QCOMPARE(op.markCentres(),
        (QList<QPoint> { { 840, 1520 }, { 7560, 1520 }, { 840, 10240 }, { 7560, 10240 } }));
    QCOMPARE(op.qrJobName(), QStringLiteral("20261209"));

    s.useQRCode = false;
    byPage(op, s);
    QCOMPARE(op.qrJobName(), QString());
    flushDeletes();
    VERIFY_NO_HOST_ERRORS();
}

// Pictures of each layout for a person to look at: the page, and its
// top-left corner enlarged.
void TestCircleMarks::snapshots()
{
    const QString dir = publicDocumentsFolder() + "snapshots/";
    QDir().mkpath(dir);
    auto save = [&](const QString &name, double cornerMm) {
        QVERIFY(SimHost::instance().saveSnapshot(dir + name + ".png", 60));
        const double ppi = 400;
        const QImage page = SimHost::instance().snapshot(ppi);
        const int side = int(in(cornerMm)*ppi);
        QVERIFY(page.copy(0, 0, side, side).save(dir + name + "-corner.png"));
    };
    Settings s;
    s.useQRCode = true;
    s.qrSize = 15;
    {
        CdrOperate op(v24);
        byPage(op, s);
    }
    save("circle-page", 40);

    init();
    addArtworkEllipse(40, 60, 130, 170);
    {
        CdrOperate op(v24);
        byFigure(op, s);
    }
    save("circle-figure", 70);

    init();
    s.isSegment = true;
    {
        CdrOperate op(v24);
        byPage(op, s);
    }
    save("circle-page-segmented", 40);

    init();
    addArtworkEllipse(40, 30, 130, 220);
    {
        CdrOperate op(v20);
        byFigure(op, s);
    }
    save("circle-figure-segmented", 70);
    init();
    {
        CdrOperate op(v20);
        s.isSegment = false;
        byPage(op, s);
    }
    save("circle-page-vector-label", 40);
    VERIFY_NO_HOST_ERRORS();
}

QTEST_MAIN(TestCircleMarks)
#include "tst_circlemarks.moc"
