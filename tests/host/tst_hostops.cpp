// The host document operations against the simulated host: cut-line layers,
// HPGL export read back with the path toolkit, readers, PDF and printing.
#include "diskfaults.h"
#include "hosttestutil.h"

#include <cdroperate.h>
#include <hpgltool.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using simhost::Document;
using simhost::Layer;
using simhost::Shape;
using simhost::SimHost;

namespace {
// Artwork, a locked assist layer and the given extra layers, "Artwork" active.
Document &sheet(const QStringList &extra = {})
{
    SimHost &host = SimHost::instance();
    Document &doc = host.createDocument();
    doc.layers.clear();
    host.addLayer(doc, "Artwork");
    for (const QString &n : extra)
        host.addLayer(doc, n);
    doc.activeLayer = doc.layer("Artwork")->id;
    return doc;
}

QString readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromLatin1(f.readAll())
                                                         : QString();
}

QRectF extent(const QList<CutPath> &paths)
{
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const CutPath &p : paths)
        for (const QLineF &l : p.lines)
            for (const QPointF &pt : { l.p1(), l.p2() }) {
                x0 = qMin(x0, pt.x());
                y0 = qMin(y0, pt.y());
                x1 = qMax(x1, pt.x());
                y1 = qMax(y1, pt.y());
            }
    return x0 > x1 ? QRectF() : QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

QString describe(const QRectF &r)
{
    return QStringLiteral("(%1, %2)-(%3, %4)")
        .arg(r.left())
        .arg(r.top())
        .arg(r.right())
        .arg(r.bottom());
}
} // namespace

class TestHostOps : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString scratch;

private slots:
    void initTestCase() { scratch = dir.filePath("ABDOPQR.plt"); }
    void init()
    {
        flushDeletes();
        SimHost::instance().reset();
        QFile::remove(scratch);
    }
    void cleanup()
    {
        flushDeletes();
        VERIFY_NO_HOST_ERRORS();
        QVERIFY(!SimHost::instance().optimization());
    }

    // ------------------------------------------------------------ export

    void cuttingRoundTrip_data()
    {
        QTest::addColumn<QRectF>("shape"); // mm, bottom-left origin
        QTest::addColumn<bool>("userSelection");
        QTest::newRow("rectangle") << QRectF(20, 30, 50, 40) << false;
        QTest::newRow("near top edge") << QRectF(5, 280, 200, 12) << false;
        QTest::newRow("odd sizes") << QRectF(13.37, 101.01, 7.77, 3.33) << false;
        QTest::newRow("user left artwork selected") << QRectF(60, 150, 40, 20) << true;
    }
    void cuttingRoundTrip()
    {
        QFETCH(QRectF, shape);
        QFETCH(bool, userSelection);
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Cutting Layer" });
        const quint64 art = host.addShape(doc, "Artwork", mmRect(2, 2, 10, 10)).id;
        host.addShape(
            doc, "Cutting Layer", mmRect(shape.x(), shape.y(), shape.width(), shape.height()));
        host.addShape(doc, "Cutting Layer", mmCircle(shape.center().x(), shape.center().y(), 1));
        if (userSelection)
            doc.selection = { art };
        const std::vector<Shape> before = doc.shapes;
        // a stale export that must not survive
        QFile stale(scratch);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("IN;PU0,0;PD99999,99999;");
        stale.close();

        CdrOperate op(v24);
        op.exportCuttingLayerPlt(scratch);
        const int h = op.pageHeight();
        QCOMPARE(h, 11880);

        HpglTool tool;
        QList<CutPath> paths = tool.readPlt(readAll(scratch));
        QCOMPARE(paths.size(), 2);
        paths = tool.mirrorY(tool.scaleDown(paths, 5.0), h);
        const double pu = Units::plotterUnitsPerMm;
        const QRectF expected(shape.left() * pu, (297 - shape.bottom()) * pu, shape.width() * pu,
            shape.height() * pu);
        const QRectF got = extent(paths);
        QVERIFY2(near(got, expected, 1.0), qPrintable(describe(got) + " vs " + describe(expected)));

        // the document is as it was, apart from the layer flags
        QCOMPARE(doc.shapes.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            const QRectF a = before[i].path.boundingRect(), b = doc.shapes[i].path.boundingRect();
            QVERIFY(near(a, b, 1e-9));
        }
        const Layer *art1 = doc.layer("Artwork"), *cut = doc.layer("Cutting Layer");
        QVERIFY(!art1->printable && !art1->editable && art1->visible);
        QVERIFY(cut->printable && cut->editable && cut->visible);
        QCOMPARE(doc.activeLayerName(), QStringLiteral("Artwork"));
        QCOMPARE(doc.referencePoint, 5);
        QCOMPARE(doc.selection.size(), 2); // the cutting shapes stay selected
    }

    void cuttingExportWithoutLayer_data()
    {
        QTest::addColumn<QStringList>("layers");
        QTest::newRow("none") << QStringList {};
        QTest::newRow("case differs") << QStringList { "cutting layer" };
        QTest::newRow("other language") << QStringList { QString::fromUtf8("切割层") };
    }
    void cuttingExportWithoutLayer()
    {
        QFETCH(QStringList, layers);
        SimHost &host = SimHost::instance();
        Document &doc = sheet(layers);
        host.addShape(doc, "Artwork", mmRect(1, 1, 5, 5));
        QFile stale(scratch);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("IN;PU0,0;PD400,400;");
        stale.close();
        CdrOperate op(v24);
        QVERIFY(!op.exportCuttingLayerPlt(scratch)); // the host was not asked
        QVERIFY(host.exports().isEmpty());
        QVERIFY(HpglTool().readPlt(readAll(scratch)).isEmpty()); // not the stale paths
        for (const Layer &l : doc.layers)
            QVERIFY(!l.printable && !l.editable);
        QCOMPARE(doc.activeLayerName(), QStringLiteral("Artwork"));
    }

    void creasingExport_data()
    {
        QTest::addColumn<bool>("withLayer");
        QTest::newRow("creasing layer") << true;
        QTest::newRow("no creasing layer") << false;
    }
    void creasingExport()
    {
        QFETCH(bool, withLayer);
        SimHost &host = SimHost::instance();
        Document &doc = sheet(withLayer ? QStringList { "Cutting Layer", "Creasing Layer" }
                                        : QStringList { "Cutting Layer" });
        host.addShape(doc, "Cutting Layer", mmRect(10, 10, 100, 100));
        if (withLayer) {
            QPainterPath crease;
            crease.moveTo(10 * mm, 60 * mm);
            crease.lineTo(110 * mm, 60 * mm);
            host.addShape(doc, "Creasing Layer", crease).dashed = true;
        }
        CdrOperate op(v24);
        op.exportCuttingLayerPlt(scratch); // the scratch file now holds cutting paths
        op.exportCreasingLayerPlt(scratch);
        QCOMPARE(host.exports().size(), 2); // exported even without the layer
        const QString text = readAll(scratch);
        HpglTool tool;
        QList<CutPath> paths = tool.mirrorY(tool.readPlt(text), op.pageHeight());
        if (!withLayer) {
            QVERIFY(paths.isEmpty());
        } else {
            QCOMPARE(paths.size(), 1);
            QVERIFY(paths[0].lineType != 0); // dashed: written under a line type
            QVERIFY(near(extent(paths), QRectF(400, 9480, 4000, 0), 1.0));
            QVERIFY(text.contains("LT;"));
        }
        for (const Layer &l : doc.layers)
            QCOMPARE(l.printable, l.name == QLatin1String("Creasing Layer"));
        QCOMPARE(doc.selection.size(), 1); // the cutting export's selection, untouched
    }

    // As the real host: the whole export or, after its own error, none of it.
    void exportOnFullDisk()
    {
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Cutting Layer" });
        for (int i = 0; i < 20; ++i)
            host.addShape(doc, "Cutting Layer", mmRect(10 + 8 * i, 10, 5, 5));
        CdrOperate op(v24);
        {
            FileSizeLimit full(256);
            QVERIFY(op.exportCuttingLayerPlt(scratch));
        }
        QVERIFY(!QFile::exists(scratch));
        QCOMPARE(host.exports().size(), 1);
        QCOMPARE(host.exports()[0].shapesWritten, 0);
        QVERIFY(!host.exports()[0].failure.isEmpty());
    }

    void printableExport()
    {
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Mark Layer", "Assist Layer" });
        host.addShape(doc, "Artwork", mmRect(50, 50, 20, 10));
        host.addShape(doc, "Mark Layer", mmCircle(10, 287, 2.5));
        host.addShape(doc, "Assist Layer", mmRect(0, 0, 210, 297));
        doc.layer("Assist Layer")->printable = false;
        doc.layer("Assist Layer")->editable = false;
        doc.layer("Mark Layer")->editable = false;
        doc.layer("Mark Layer")->visible = false;
        CdrOperate op(v24);
        op.exportPrintablePlt(scratch);
        HpglTool tool;
        QList<CutPath> paths = tool.readPlt(readAll(scratch));
        QCOMPARE(paths.size(), 2); // artwork and mark, not the guide frame
        paths = tool.mirrorY(tool.scaleDown(paths, 5.0), op.pageHeight());
        QVERIFY2(near(extent(paths), QRectF(300, 300, 2500, 9580), 1.0),
            qPrintable(describe(extent(paths))));
        QVERIFY(doc.layer("Mark Layer")->visible && doc.layer("Mark Layer")->editable);
        QVERIFY(!doc.layer("Assist Layer")->editable);
        QCOMPARE(host.callsOf("Activate()").size(), 0);
    }

    // Blank-paper reading: the paths keep their place on the page, also with
    // a shape on a layer that is not printed lying further down and left.
    void printableExportKeepsPlace()
    {
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Notes" });
        host.addShape(doc, "Artwork", mmRect(100, 100, 30, 20));
        host.addShape(doc, "Notes", mmRect(5, 5, 10, 10));
        doc.layer("Notes")->printable = false;
        CdrOperate op(v24);
        op.exportPrintablePlt(scratch);
        HpglTool tool;
        const QList<CutPath> paths
            = tool.mirrorY(tool.scaleDown(tool.readPlt(readAll(scratch)), 5.0), op.pageHeight());
        const QRectF expected(4000, 7080, 1200, 800);
        QVERIFY2(near(extent(paths), expected, 1.0), qPrintable(describe(extent(paths))));
        QVERIFY(near(doc.shapesOn("Notes")[0]->path.boundingRect(),
            QRectF(5 * mm, 5 * mm, 10 * mm, 10 * mm), 1e-12));
    }

    void smoothSmallCircle()
    {
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Cutting Layer" });
        host.addShape(doc, "Cutting Layer", mmCircle(100, 100, 2.5));
        CdrOperate op(v24);
        op.exportCuttingLayerPlt(scratch);
        HpglTool tool;
        const QList<CutPath> paths = tool.scaleDown(tool.readPlt(readAll(scratch)), 5.0);
        QCOMPARE(paths.size(), 1);
        QVERIFY(paths[0].lines.size() >= 24);
        const QPointF c = extent(paths).center();
        for (const QLineF &l : paths[0].lines)
            QVERIFY(std::abs(QLineF(c, l.p1()).length() - 100) < 1.0);
    }

    // ------------------------------------------------------------ cut lines

    void contour()
    {
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Cutting Layer" });
        host.addShape(doc, "Cutting Layer", mmRect(0, 0, 1, 1)); // old content
        for (int i = 0; i < 3; ++i) {
            Shape &s = host.addShape(doc, "Artwork", mmRect(20 + 40 * i, 50, 30, 30));
            s.filled = true;
        }
        const QRectF firstSource = doc.shapes[1].path.boundingRect();
        CdrOperate op(v24);
        op.createContour();
        const QList<const Shape *> cut = doc.shapesOn("Cutting Layer");
        QCOMPARE(cut.size(), 3);
        for (const Shape *s : cut) {
            QVERIFY(!s->filled);
            QCOMPARE(s->outlineWidth, 0.076 * mm);
            QCOMPARE(s->contourOf, quint64(0)); // separated
        }
        QVERIFY(near(cut[0]->path.boundingRect(), firstSource, 1e-6));
        QCOMPARE(doc.shapesOn("Artwork").size(), 3);
        QVERIFY(doc.shapesOn("Artwork")[0]->filled); // sources keep their style
        QVERIFY(!doc.layer("Cutting Layer")->editable);
        QCOMPARE(doc.activeLayerName(), QStringLiteral("Artwork"));
        const auto items = host.callsOf("Item(int)");
        QCOMPARE(items.last().args, QVariantList { 6 });
    }

    // A shape the host makes no contour for must not shift the index rule:
    // the artwork after it is neither restyled nor moved.
    void contourSkipsPicture()
    {
        SimHost &host = SimHost::instance();
        Document &doc = sheet();
        host.addShape(doc, "Artwork", mmRect(10, 10, 20, 20)).filled = true;
        Shape &picture = host.addShape(doc, "Artwork", mmRect(40, 10, 20, 20), "bitmap");
        picture.bitmap = QImage(4, 4, QImage::Format_ARGB32);
        host.addShape(doc, "Artwork", mmRect(70, 10, 20, 20)).filled = true;
        CdrOperate op(v24);
        op.createContour();
        QCOMPARE(doc.shapesOn("Artwork").size(), 3);
        for (const Shape *s : doc.shapesOn("Artwork"))
            QVERIFY(s->filled || !s->bitmap.isNull());
        const QList<const Shape *> cut = doc.shapesOn("Cutting Layer");
        QCOMPARE(cut.size(), 2);
        QVERIFY(
            near(cut[1]->path.boundingRect(), QRectF(70 * mm, 10 * mm, 20 * mm, 20 * mm), 1e-6));
    }

    // Cut lines of round shapes stay round: not flattened to a few corners.
    void roundCutLines_data()
    {
        QTest::addColumn<bool>("contour");
        QTest::newRow("contour") << true;
        QTest::newRow("boundary") << false;
    }
    void roundCutLines()
    {
        QFETCH(bool, contour);
        SimHost &host = SimHost::instance();
        Document &doc = sheet();
        host.addShape(doc, "Artwork", mmCircle(50, 50, 2.5));
        host.addShape(doc, "Artwork", mmCircle(100, 50, 40));
        CdrOperate op(v24);
        contour ? op.createContour() : op.createBoundary();
        const QList<const Shape *> cut = doc.shapesOn("Cutting Layer");
        QCOMPARE(cut.size(), 2);
        const double radius[] = { 2.5, 40 };
        for (int i = 0; i < 2; ++i) {
            const QPointF c = cut[i]->path.boundingRect().center();
            for (const QPolygonF &poly : cut[i]->path.toSubpathPolygons())
                for (const QPointF &p : poly)
                    // a cubic circle itself strays 0.03 % from round
                    QVERIFY2(std::abs(QLineF(c, p).length() / mm - radius[i])
                            < 0.0003 * radius[i] + 0.002,
                        qPrintable(QString::number(QLineF(c, p).length() / mm)));
        }
    }

    void boundary()
    {
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Assist Layer" });
        host.addShape(doc, "Artwork", mmRect(10, 10, 20, 20));
        host.addShape(doc, "Artwork", mmRect(25, 25, 20, 20)); // overlaps the first
        host.addShape(doc, "Artwork", mmRect(100, 100, 10, 10));
        const quint64 guide = host.addShape(doc, "Assist Layer", mmRect(0, 0, 210, 297)).id;
        doc.layer("Assist Layer")->editable = false;
        doc.selection = { guide }; // left selected by the user
        CdrOperate op(v24);
        op.createBoundary();
        const QList<const Shape *> cut = doc.shapesOn("Cutting Layer");
        QCOMPARE(cut.size(), 2); // the union, broken apart
        for (const Shape *s : cut) {
            QVERIFY(!s->filled);
            QCOMPARE(s->outlineWidth, op.hairline);
            QVERIFY(s->path.boundingRect().width() < 40 * mm); // the guide frame is not in it
        }
        QVERIFY(!doc.layer("Cutting Layer")->editable);
        QCOMPARE(doc.activeLayerName(), QStringLiteral("Artwork"));
    }

    void cutLinesWithoutShapes_data()
    {
        QTest::addColumn<bool>("contour");
        QTest::newRow("contour") << true;
        QTest::newRow("boundary") << false;
    }
    void cutLinesWithoutShapes()
    {
        QFETCH(bool, contour);
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Cutting Layer" });
        host.addShape(doc, "Cutting Layer", mmRect(0, 0, 1, 1));
        doc.layer("Artwork")->visible = false;
        host.addShape(doc, "Artwork", mmRect(10, 10, 10, 10));
        CdrOperate op(v24);
        QVERIFY(op.isConnected());
        contour ? op.createContour() : op.createBoundary();
        QVERIFY(doc.shapesOn("Cutting Layer").isEmpty());
        QVERIFY(doc.layer("Cutting Layer")->editable);
        QCOMPARE(host.callsOf("CreateCMYKColor(int,int,int,int)").size(), 0);
        QCOMPARE(host.callsOf("AddToSelection()").size(), 0);
    }

    void layersMadeWhenMissing_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("cutting");
        QTest::addColumn<QString>("creasing");
        QTest::newRow("EN") << "EN"
                            << "Cutting Layer"
                            << "Creasing Layer";
        QTest::newRow("ZH") << "ZH" << QString::fromUtf8("切割层") << QString::fromUtf8("压痕层");
    }
    void layersMadeWhenMissing()
    {
        QFETCH(QString, language);
        QFETCH(QString, cutting);
        QFETCH(QString, creasing);
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "cutting layer" });
        CdrOperate op(v24);
        op.setLayerNames(language);
        op.createCuttingLayer();
        op.createCreasingLayer();
        QVERIFY(doc.layer(cutting) && doc.layer(creasing));
        QCOMPARE(int(doc.layers.size()), 4);
        QCOMPARE(doc.activeLayerName(), QStringLiteral("Artwork"));
        // found again: nothing at all is changed
        host.addShape(doc, creasing, mmRect(1, 1, 1, 1));
        doc.layer(creasing)->editable = false;
        host.clearCalls();
        op.createCreasingLayer();
        QCOMPARE(int(doc.layers.size()), 4);
        QCOMPARE(doc.shapesOn(creasing).size(), 1);
        QVERIFY(!doc.layer(creasing)->editable);
        QCOMPARE(host.callsOf("Activate()").size(), 1); // only the re-activation
    }

    // ------------------------------------------------------------ readers

    void markCentres_data()
    {
        QTest::addColumn<QList<QPointF>>("centres"); // mm, bottom-left origin, host order
        QTest::addColumn<QList<QPoint>>("expected");
        QTest::newRow("four corners, any order")
            << QList<QPointF> { { 200, 10 }, { 10, 287 }, { 10, 10 }, { 200, 287 } }
            << QList<QPoint> { { 400, 400 }, { 8000, 400 }, { 400, 11480 }, { 8000, 11480 } };
        QTest::newRow("half a mm from the top")
            << QList<QPointF> { { 10, 296.5 } } << QList<QPoint> { { 400, 20 } };
        QTest::newRow("above the top edge")
            << QList<QPointF> { { 10, 297.06 } } << QList<QPoint> { { 400, -1 } };
        QTest::newRow("one unit apart, upper to the right") << QList<QPointF> { { 10, 100 },
            { 100, 100.025 } } << QList<QPoint> { { 4000, 7879 }, { 400, 7880 } };
        QTest::newRow("rounding") << QList<QPointF> { { 10.0124, 200 }, { 10.0126, 200 } }
                                  << QList<QPoint> { { 400, 3880 }, { 401, 3880 } };
        QTest::newRow("none") << QList<QPointF> {} << QList<QPoint> {};
    }
    void markCentres()
    {
        QFETCH(QList<QPointF>, centres);
        QFETCH(QList<QPoint>, expected);
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Mark Layer", "Mark Layer 2" });
        for (const QPointF &c : centres)
            host.addShape(doc, "Mark Layer", mmCircle(c.x(), c.y(), 2.5));
        host.addShape(doc, "Mark Layer 2", mmCircle(50, 50, 2.5));
        CdrOperate op(v24);
        QCOMPARE(op.markCentres(), expected);
        QVERIFY(!doc.layer("Mark Layer")->editable);
        QCOMPARE(doc.activeLayerName(), QStringLiteral("Artwork"));
    }

    // Inches to plotter units: v * 1016 + 0.5, truncated toward zero;
    // what no int can hold is clamped rather than undefined.
    void conversion_data()
    {
        QTest::addColumn<double>("inches");
        QTest::addColumn<int>("units");
        const double unit = 1.0 / Units::plotterUnitsPerInch;
        QTest::newRow("A4 width") << 210 * mm << 8400;
        QTest::newRow("just under half a unit") << 0.49 * unit << 0;
        QTest::newRow("just over half a unit") << 0.51 * unit << 1;
        QTest::newRow("-2.2 units") << -2.2 * unit << -1;
        QTest::newRow("-2.7 units") << -2.7 * unit << -2;
        QTest::newRow("not a number") << std::nan("") << 0;
        QTest::newRow("infinite") << HUGE_VAL << std::numeric_limits<int>::max();
        QTest::newRow("minus infinite") << -HUGE_VAL << std::numeric_limits<int>::min();
        QTest::newRow("too small for an int") << -1e12 << std::numeric_limits<int>::min();
    }
    void conversion()
    {
        QFETCH(double, inches);
        QFETCH(int, units);
        Document &doc = sheet();
        doc.pageSize = QSizeF(inches, 297 * mm);
        CdrOperate op(v24);
        QCOMPARE(op.pageWidth(), units);
    }

    // A page that reports no layers: the cutting export changes and writes
    // nothing, the creasing and printable exports and the PDF still run.
    void pageWithoutLayers_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("exports");
        QTest::addColumn<int>("pdfs");
        QTest::newRow("cutting") << 0 << 0 << 0;
        QTest::newRow("printable") << 1 << 1 << 0;
        QTest::newRow("creasing") << 2 << 1 << 0;
        QTest::newRow("pdf") << 3 << 0 << 1;
    }
    void pageWithoutLayers()
    {
        QFETCH(int, operation);
        QFETCH(int, exports);
        QFETCH(int, pdfs);
        SimHost &host = SimHost::instance();
        Document &doc = host.createDocument();
        doc.layers.clear();
        doc.activeLayer = 0;
        CdrOperate op(v24);
        switch (operation) {
        case 0:
            op.exportCuttingLayerPlt(scratch);
            break;
        case 1:
            op.exportPrintablePlt(scratch);
            break;
        case 2:
            op.exportCreasingLayerPlt(scratch);
            break;
        default:
            op.publishPdf(dir.filePath("empty.pdf"));
            break;
        }
        QCOMPARE(host.exports().size(), exports);
        QCOMPARE(host.pdfs().size(), pdfs);
        QCOMPARE(host.callsOf("Item(int)").size(), 0);
        QCOMPARE(host.callsOf("SetPrintable(bool)").size(), 0);
        QCOMPARE(host.callsOf("AddToSelection()").size(), 0);
        QVERIFY(doc.layers.empty());
    }

    void pageSize()
    {
        Document &doc = sheet();
        CdrOperate op(v24);
        QCOMPARE(op.pageWidth(), 8400);
        QCOMPARE(op.pageHeight(), 11880);
        doc.pageSize = QSizeF(0.01 / Units::plotterUnitsPerMm * mm, 1e12);
        QCOMPARE(op.pageWidth(), 0);
        QCOMPARE(op.pageHeight(), std::numeric_limits<int>::max());
        QCOMPARE(SimHost::instance().callsOf("Layers()").size(), 0);
    }

    void qrJobName_data()
    {
        QTest::addColumn<QStringList>("layers");
        QTest::addColumn<QString>("name");
        QTest::newRow("job") << QStringList { "Artwork", "QR Code:12345678" } << "12345678";
        QTest::newRow("other separator") << QStringList { "QR Code_12345678" } << "12345678";
        QTest::newRow("prefix only") << QStringList { "QR Code" } << "";
        QTest::newRow("first wins") << QStringList { "QR Code:1", "QR Code:2" } << "1";
        QTest::newRow("none") << QStringList { "Artwork" } << "";
        QTest::newRow("case") << QStringList { "qr code:5" } << "";
    }
    void qrJobName()
    {
        QFETCH(QStringList, layers);
        QFETCH(QString, name);
        sheet(layers);
        CdrOperate op(v24);
        QCOMPARE(op.qrJobName(), name);
    }

    void safeJobNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("number") << "12345678" << true;
        QTest::newRow("text") << "job 7" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blank") << "  " << false;
        QTest::newRow("slash") << "../x" << false;
        QTest::newRow("sub folder") << "a/b" << false;
        QTest::newRow("backslash") << "a\\b" << false;
        QTest::newRow("dots") << ".." << false;
        QTest::newRow("drive") << "C:x" << false;
        QTest::newRow("newline") << "12\n34" << false;
        QTest::newRow("nul") << QString(QChar(0)) << false;
    }
    void safeJobNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(CdrOperate::isSafeJobName(name), safe);
    }

    // ------------------------------------------------------------ PDF, print

    void publishPdf()
    {
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Assist Layer", "Mark Layer", "Cutting Layer", "Creasing Layer",
            "QR Code:1", "Hidden print" });
        doc.layer("Hidden print")->printable = false;
        for (const Layer &l : doc.layers)
            host.addShape(doc, l.name, mmRect(10, 10, 50, 50));
        CdrOperate op(v24);
        const QString file = dir.filePath("out.pdf");
        op.publishPdf(file);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(5), QByteArray("%PDF-"));
        QCOMPARE(host.pdfs().size(), 1);
        const auto rec = host.pdfs()[0];
        QVERIFY(rec.written);
        QCOMPARE(
            rec.layers, (QStringList { "Artwork", "Mark Layer", "QR Code:1", "Hidden print" }));
        QCOMPARE(doc.activeLayerName(), QStringLiteral("Artwork"));
    }

    void printDocument_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void printDocument()
    {
        QFETCH(bool, answer);
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ QString::fromUtf8("辅助层"), "Cutting Layer" });
        doc.layer("Artwork")->printable = false;
        host.setPrintDialogAnswer(answer);
        CdrOperate op(v24);
        op.setLayerNames("ZH");
        op.printDocument();
        QCOMPARE(host.printJobs().size(), answer ? 1 : 0);
        if (answer) // names of the other language are printed
            QCOMPARE(host.printJobs()[0].layers, (QStringList { "Artwork", "Cutting Layer" }));
        QVERIFY(doc.layer("Artwork")->printable);
        QVERIFY(!doc.layer(QString::fromUtf8("辅助层"))->printable);
    }

    // ------------------------------------------------------------ no host

    void withoutHostNothingIsSent()
    {
        SimHost &host = SimHost::instance();
        host.setRegistered(v24, false);
        CdrOperate op(v24);
        QFile stale(scratch);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        op.createBoundary();
        op.createContour();
        op.createCuttingLayer();
        op.createCreasingLayer();
        op.exportCuttingLayerPlt(scratch);
        op.exportPrintablePlt(scratch);
        op.exportCreasingLayerPlt(scratch);
        QVERIFY(op.markCentres().isEmpty());
        QCOMPARE(op.pageHeight(), -1);
        QCOMPARE(op.pageWidth(), -1);
        QCOMPARE(op.qrJobName(), QString());
        op.publishPdf(dir.filePath("x.pdf"));
        op.printDocument();
        QVERIFY(host.calls().isEmpty());
        QCOMPARE(host.documentCount(), 0);
    }

    // A host that returns no object where the operations expect one: no
    // crash, no call on a missing object, optimisation off at the end.
    void missingObjects_data()
    {
        QTest::addColumn<QByteArray>("member");
        for (const char *m : { "ActivePage()", "Layers()", "Find(QString)", "SelectableShapes()",
                 "ActiveSelection()", "ExportEx(QString,enum,enum,QVariant,QVariant)",
                 "CreateCMYKColor(int,int,int,int)", "CreateBoundary(double,double,bool,bool)",
                 "Item(int)", "Shapes()", "PDFSettings()", "PrintSettings()",
                 "CreateLayer(QString)", "Fill()", "Outline()" })
            QTest::newRow(m) << QByteArray(m);
    }
    void missingObjects()
    {
        QFETCH(QByteArray, member);
        SimHost &host = SimHost::instance();
        Document &doc = sheet({ "Mark Layer", "Creasing Layer" });
        host.addShape(doc, "Artwork", mmRect(10, 10, 10, 10));
        host.addShape(doc, "Mark Layer", mmCircle(5, 5, 2.5));
        host.failMember(member);
        CdrOperate op(v24);
        op.createContour();
        op.createBoundary();
        op.exportCuttingLayerPlt(scratch);
        op.exportPrintablePlt(scratch);
        op.exportCreasingLayerPlt(scratch);
        op.markCentres();
        op.qrJobName();
        op.publishPdf(dir.filePath("y.pdf"));
        op.printDocument();
        QVERIFY(!host.optimization());
    }
};

QTEST_MAIN(TestHostOps)
#include "tst_hostops.moc"
