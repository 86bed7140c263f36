// Every host call of each operation, in order, with its arguments and their
// types: the member texts, values and order are what a real host sees, so
// the whole sequence is compared, not just the outcome.
#include "hosttestutil.h"

#include <cdroperate.h>

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using simhost::Document;
using simhost::SimHost;

namespace {

// Expected sequences, built from the pieces every operation shares.
QStringList opening(bool remember, bool layers = true)
{
    QStringList s { "Application.SetOptimization(bool) bool:true", "Application.ActiveDocument()",
        "Document.ActivePage()" };
    if (remember)
        s << "Document.ActiveLayer()"
          << "Layer.Name()";
    if (layers)
        s << "Page.Layers()"
          << "Layers.Count()";
    return s;
}

QStringList lookup(int upTo)
{
    QStringList s;
    for (int i = 1; i <= upTo; ++i)
        s << "Layers.Item(int) int:" + QString::number(i) << "Layer.Name()";
    return s;
}

QStringList closing(bool reactivate)
{
    QStringList s;
    if (reactivate)
        s << "Layers.Find(QString) 'Artwork'"
          << "Layer.Activate()";
    s << "Application.SetOptimization(bool) bool:false"
      << "Application.Refresh()"
      << "Application.Windows()"
      << "Windows.Refresh()";
    return s;
}

QStringList clearing(const QString &name)
{
    return { "Layers.Find(QString) '" + name + "'", "Layer.Activate()",
        "Layer.SetEditable(bool) bool:true", "Layer.Shapes()", "Shapes.All()",
        "ShapeRange.Delete()" };
}

QStringList allLayersOff(int count)
{
    QStringList s;
    for (int i = 1; i <= count; ++i)
        s << "Layers.Item(int) int:" + QString::number(i) << "Layer.SetPrintable(bool) bool:false"
          << "Layer.SetEditable(bool) bool:false";
    return s;
}

QStringList target(const QString &name)
{
    return { "Layers.Find(QString) '" + name + "'", "Layer.SetVisible(bool) bool:true",
        "Layer.SetPrintable(bool) bool:true", "Layer.SetEditable(bool) bool:true" };
}

QStringList exportStep(const QString &file, double w, double h)
{
    QStringList s { "Page.SizeWidth()", "Page.SizeHeight()",
        "Application.CreateStructExportOptions()", "Application.CreateStructPaletteOptions()",
        "Document.ExportEx(QString,enum,enum,QVariant,QVariant) '" + file
            + "', int:1281, int:0, obj, obj" };
    const QStringList props { "PenLibIndex int:0", "FitToPage bool:false", "ScaleFactor int:100",
        "PageWidth double:" + QString::number(w, 'g', 10),
        "PageHeight double:" + QString::number(h, 'g', 10), "FillType int:0",
        "FillSpacing double:0.005", "FillAngle int:0", "HatchAngle int:90",
        "CurveResolution double:0.00025", "RemoveHiddenLines bool:false",
        "AutomaticWeld bool:false", "ExcludeWVC bool:false", "PlotterUnits int:1016",
        "PlotterOrigin int:1" };
    for (const QString &p : props)
        s << "ExportFilter.=" + p;
    s << "ExportFilter.Finish()";
    return s;
}

QStringList pdfSettings()
{
    const QStringList p { "PublishRange int:0", "PageRange ''", "Author 'Administrator'",
        "Subject ''", "Keywords ''", "BitmapCompression int:2", "JPEGQualityFactor int:10",
        "TextAsCurves bool:false", "EmbedFonts bool:true", "EmbedBaseFonts bool:true",
        "TrueTypeToType1 bool:true", "SubsetFonts bool:true", "SubsetPct int:80",
        "CompressText bool:true", "Encoding int:1", "DownsampleColor bool:true",
        "DownsampleGray bool:true", "DownsampleMono bool:true", "ColorResolution int:200",
        "MonoResolution int:600", "GrayResolution int:200", "Hyperlinks bool:true",
        "Bookmarks bool:true", "Thumbnails bool:false", "Startup int:0",
        "ComplexFillsAsBitmaps bool:false", "Overprints bool:true", "Halftones bool:false",
        "MaintainOPILinks bool:false", "FountainSteps int:256", "EPSAs int:0", "pdfVersion int:6",
        "IncludeBleed bool:false", "Bleed int:31750", "Linearize bool:false",
        "CropMarks bool:false", "RegistrationMarks bool:false", "DensitometerScales bool:false",
        "FileInformation bool:false", "ColorMode int:3", "UseColorProfile bool:true",
        "ColorProfile int:1", "EmbedFilename ''", "EmbedFile bool:false", "JP2QualityFactor int:10",
        "TextExportMode int:0", "PrintPermissions int:0", "EditPermissions int:0",
        "ContentCopyingAllowed bool:false", "OpenPassword ''", "PermissionPassword ''",
        "EncryptType int:0", "OutputSpotColorsAs int:0", "OverprintBlackLimit int:95" };
    QStringList s;
    for (const QString &x : p)
        s << "PdfSettings.=" + x;
    return s;
}

const QString hairline = "double:" + QString::number(0.076 * mm, 'g', 10);

using Op = std::function<void(CdrOperate &, const QString &file)>;
} // namespace

Q_DECLARE_METATYPE(Op)

class TestHostCalls : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void init()
    {
        flushDeletes();
        SimHost::instance().reset();
    }
    void cleanup() { flushDeletes(); }

    // Layers in host order: Artwork (active), Mark Layer, Cutting Layer,
    // Creasing Layer (not printable). Shapes: a rectangle on the artwork, a
    // mark, old cut lines.
    void sequence_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<QStringList>("expected");
        const QString file = dir.filePath("ABDOPQR.plt");
        const double w = 210 * mm, h = 297 * mm;

        QTest::newRow("createCuttingLayer, found")
            << Op([](CdrOperate &o, const QString &) { o.createCuttingLayer(); })
            << (QStringList() << opening(true) << lookup(3) << closing(true));

        QTest::newRow("createCreasingLayer, missing under the Chinese names")
            << Op([](CdrOperate &o, const QString &) {
                   o.setLayerNames("ZH");
                   o.createCreasingLayer();
               })
            << (QStringList() << opening(true) << lookup(4)
                              << QString::fromUtf8("Page.CreateLayer(QString) '压痕层'")
                              << closing(true));

        QTest::newRow("createBoundary")
            << Op([](CdrOperate &o, const QString &) { o.createBoundary(); })
            << (QStringList()
                   << opening(true) << lookup(3) << clearing("Cutting Layer")
                   << "Page.SelectableShapes()"
                   << "Shapes.Count()"
                   << "Document.ClearSelection()"
                   << "Shapes.All()"
                   << "ShapeRange.AddToSelection()"
                   << "Application.ActiveSelection()"
                   << "Selection.CreateBoundary(double,double,bool,bool) double:0, double:0, "
                      "bool:true, bool:false"
                   << "Shape.Fill()"
                   << "Fill.ApplyNoFill()"
                   << "Shape.Outline()"
                   << "Outline.SetWidth(double) " + hairline << "Shape.BreakApartEx()"
                   << "Layer.SetEditable(bool) bool:false" << closing(true));

        {
            // Two selectable shapes once the cutting layer is emptied; the
            // count after each contour only watches that one was made, and
            // is the count before the next.
            QStringList s;
            s << opening(true) << lookup(3) << clearing("Cutting Layer")
              << "Page.SelectableShapes()"
              << "Shapes.Count()"
              << "Application.CreateCMYKColor(int,int,int,int) int:0, int:0, int:0, int:100";
            for (int i = 1; i <= 3; i += 2)
                s << "Shapes.Item(int) int:" + QString::number(i)
                  << "Shape.CreateContour(enum,double,int,enum,QVariant,QVariant,QVariant) int:1, "
                     "double:"
                        + QString::number(0.00025 * mm, 'g', 10) + ", int:1, int:0, obj, obj, obj"
                  << "Shapes.Count()"
                  << "Shapes.Item(int) int:" + QString::number(i + 1) << "Shape.Separate()";
            for (int i = 1; i <= 3; i += 2)
                s << "Shapes.Item(int) int:" + QString::number(i + 1) << "Shape.Fill()"
                  << "Fill.ApplyNoFill()"
                  << "Shape.Outline()"
                  << "Outline.SetWidth(double) " + hairline << "Shape.MoveToLayer(QVariant) obj";
            s << "Layer.SetEditable(bool) bool:false" << closing(true);
            QTest::newRow("createContour")
                << Op([](CdrOperate &o, const QString &) { o.createContour(); }) << s;
        }

        QTest::newRow("exportCuttingLayerPlt")
            << Op([](CdrOperate &o, const QString &f) { o.exportCuttingLayerPlt(f); })
            << (QStringList() << opening(true) << lookup(3) << allLayersOff(4)
                              << target("Cutting Layer") << "Document.ClearSelection()"
                              << "Layer.Shapes()"
                              << "Shapes.All()"
                              << "ShapeRange.AddToSelection()"
                              << "Application.ActiveSelection()"
                              << "Document.SetReferencePoint(enum) int:5"
                              << "Selection.Stretch(double) double:5" << exportStep(file, w, h)
                              << "Selection.Stretch(double) double:0.2" << closing(true));

        QTest::newRow("exportCuttingLayerPlt, no cutting layer") << Op(
            [](CdrOperate &o, const QString &f) {
                o.cuttingLayer = "Cut";
                o.exportCuttingLayerPlt(f);
            }) << (QStringList() << opening(true) << lookup(4) << allLayersOff(4) << closing(true));

        {
            QStringList s;
            s << opening(false);
            for (int i = 1; i <= 4; ++i) {
                s << "Layers.Item(int) int:" + QString::number(i) << "Layer.Printable()";
                if (i != 4)
                    s << "Layer.SetVisible(bool) bool:true"
                      << "Layer.SetEditable(bool) bool:true";
            }
            // only the shapes that are exported are selected and stretched
            s << "Document.ClearSelection()";
            for (int i = 1; i <= 3; ++i)
                s << "Layers.Item(int) int:" + QString::number(i) << "Layer.Shapes()"
                  << "Shapes.All()"
                  << "ShapeRange.AddToSelection()";
            s << "Application.ActiveSelection()"
              << "Document.SetReferencePoint(enum) int:5"
              << "Selection.Stretch(double) double:5" << exportStep(file, w, h)
              << "Selection.Stretch(double) double:0.2" << closing(false);
            QTest::newRow("exportPrintablePlt")
                << Op([](CdrOperate &o, const QString &f) { o.exportPrintablePlt(f); }) << s;
        }

        QTest::newRow("exportCreasingLayerPlt")
            << Op([](CdrOperate &o, const QString &f) { o.exportCreasingLayerPlt(f); })
            << (QStringList() << opening(true) << lookup(4) << allLayersOff(4)
                              << target("Creasing Layer") << exportStep(file, w, h)
                              << closing(true));

        QTest::newRow("markCentres")
            << Op([](CdrOperate &o, const QString &) { o.markCentres(); })
            << (QStringList() << opening(true, false) << "Page.SizeHeight()"
                              << "Page.Layers()"
                              << "Layers.Count()" << lookup(2)
                              << "Layers.Find(QString) 'Mark Layer'"
                              << "Layer.Activate()"
                              << "Layer.SetEditable(bool) bool:true"
                              << "Layer.Shapes()"
                              << "Shapes.Count()"
                              << "Shapes.Item(int) int:1"
                              << "Shape.CenterX()"
                              << "Shape.CenterY()"
                              << "Layer.SetEditable(bool) bool:false" << closing(true));

        QTest::newRow("pageHeight")
            << Op([](CdrOperate &o, const QString &) { o.pageHeight(); })
            << (QStringList() << opening(false, false) << "Page.SizeHeight()" << closing(false));

        QTest::newRow("pageWidth")
            << Op([](CdrOperate &o, const QString &) { o.pageWidth(); })
            << (QStringList() << opening(false, false) << "Page.SizeWidth()" << closing(false));

        QTest::newRow("qrJobName")
            << Op([](CdrOperate &o, const QString &) { o.qrJobName(); })
            << (QStringList() << opening(true) << lookup(4) << closing(true));

        {
            QStringList s;
            s << opening(false) << lookup(4) /* assist: missing */ << lookup(4) /* creasing */
              << lookup(3) /* cutting */;
            for (int i = 1; i <= 4; ++i)
                s << "Layers.Item(int) int:" + QString::number(i)
                  << "Layer.SetPrintable(bool) bool:true";
            s << "Layers.Find(QString) 'Creasing Layer'"
              << "Layer.SetPrintable(bool) bool:false"
              << "Layers.Find(QString) 'Cutting Layer'"
              << "Layer.SetPrintable(bool) bool:false";
            const QStringList prepared = s;
            QTest::newRow("publishPdf")
                << Op([](CdrOperate &o, const QString &) { o.publishPdf(QString()); })
                << (QStringList() << prepared << "Document.PDFSettings()" << pdfSettings()
                                  << "Document.PublishToPDF(QString) ''" << closing(false));
            QTest::newRow("printDocument")
                << Op([](CdrOperate &o, const QString &) { o.printDocument(); })
                << (QStringList() << prepared << "Document.PrintSettings()"
                                  << "PrintSettings.ShowDialog()"
                                  << "PrintSettings.PrintOut()" << closing(false));
        }
    }
    void sequence()
    {
        QFETCH(Op, op);
        QFETCH(QStringList, expected);
        SimHost &host = SimHost::instance();
        Document &doc = host.createDocument();
        doc.layers.clear();
        for (const char *n : { "Artwork", "Mark Layer", "Cutting Layer", "Creasing Layer" })
            host.addLayer(doc, n);
        doc.layer("Creasing Layer")->printable = false;
        doc.activeLayer = doc.layer("Artwork")->id;
        host.addShape(doc, "Artwork", mmRect(20, 20, 30, 30));
        QPainterPath mark;
        mark.addEllipse(QPointF(10 * mm, 287 * mm), 2.5 * mm, 2.5 * mm);
        host.addShape(doc, "Mark Layer", mark);
        host.addShape(doc, "Cutting Layer", mmRect(19, 19, 32, 32));
        {
            CdrOperate o(v24);
            host.clearCalls();
            op(o, dir.filePath("ABDOPQR.plt"));
        }
        flushDeletes();
        COMPARE_CALLS(expected);
        VERIFY_NO_HOST_ERRORS();
    }
};

QTEST_MAIN(TestHostCalls)
#include "tst_hostcalls.moc"
