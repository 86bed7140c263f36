// The automation stand-in and the simulated host behind it.
#include "hosttestutil.h"

#include <QApplication>
#include <QAxObject>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using simhost::Document;
using simhost::SimHost;

namespace {
const QString progId = QStringLiteral("CorelDraw.Application.20");

// Objects a member can be called on, built fresh for every row.
enum Target
{
    App,
    Doc,
    Page,
    Layers,
    Layer,
    LayerShapes,
    Selectable,
    Range,
    Shape,
    Selection,
    SelRange,
    Fill,
    Outline,
    Colour,
    Bitmap,
    ExportFilter,
    ImportFilter,
    TraceFilter,
    ImportOptions,
    PdfSettings,
    PrintSettings,
    Windows
};

struct Fixture
{
    QAxObject app { progId };
    QAxObject *doc = nullptr, *page = nullptr, *layers = nullptr, *layer = nullptr;
    QTemporaryDir dir;

    Fixture()
    {
        Document &d = SimHost::instance().createDocument();
        d.selection = { SimHost::instance().addShape(d, "Layer 1", rectPath(1, 1, 2, 1)).id };
        QImage img(32, 40, QImage::Format_ARGB32);
        img.fill(Qt::black);
        img.save(dir.filePath("p.png"));
        doc = app.querySubObject("ActiveDocument()");
        page = doc->querySubObject("ActivePage()");
        layers = page->querySubObject("Layers()");
        layer = layers->querySubObject("Item(int)", 1);
    }

    QAxObject *object(Target t)
    {
        switch (t) {
        case App:
            return &app;
        case Doc:
            return doc;
        case Page:
            return page;
        case Layers:
            return layers;
        case Layer:
            return layer;
        case LayerShapes:
            return layer->querySubObject("Shapes()");
        case Selectable:
            return page->querySubObject("SelectableShapes()");
        case Range:
            return object(Selectable)->querySubObject("All()");
        case Shape:
            return object(LayerShapes)->querySubObject("Item(int)", 1);
        case Selection:
            return app.querySubObject("ActiveSelection()");
        case SelRange:
            return app.querySubObject("ActiveSelectionRange()");
        case Fill:
            return object(Shape)->querySubObject("Fill()");
        case Outline:
            return object(Shape)->querySubObject("Outline()");
        case Colour:
            return object(Outline)->querySubObject("Color()");
        case Bitmap: {
            QAxObject *f = object(ImportFilter);
            f->dynamicCall("Finish()");
            QAxObject *s = layer->querySubObject("Shapes()");
            return s->querySubObject("Item(int)", s->dynamicCall("Count()").toInt())
                ->querySubObject("Bitmap()");
        }
        case ExportFilter:
            return doc->querySubObject("ExportEx(const QString&, enum, enum, QVariant, QVariant)",
                dir.filePath("x.plt"), 1281, 0, QVariant(0), QVariant(0));
        case ImportFilter:
            return layer->querySubObject("ImportEx(const QString&, enum, QVariant)",
                dir.filePath("p.png"), 802, object(ImportOptions)->asVariant());
        case TraceFilter:
            return object(Bitmap)->querySubObject("Trace(enum)", 6);
        case ImportOptions:
            return app.querySubObject("CreateStructImportOptions()");
        case PdfSettings:
            return doc->querySubObject("PDFSettings()");
        case PrintSettings:
            return doc->querySubObject("PrintSettings()");
        case Windows:
            return app.querySubObject("Windows()");
        }
        return nullptr;
    }
};
} // namespace

class TestSimHost : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        flushDeletes();
        SimHost::instance().reset();
    }
    void cleanup() { flushDeletes(); }

    void registeredProgIds()
    {
        for (int v = 13; v <= 25; ++v) {
            QAxObject app(QStringLiteral("CorelDraw.Application.%1").arg(v));
            QCOMPARE(app.isNull(), v < 14 || v > 24);
        }
        SimHost::instance().setRegistered(progId, false);
        QVERIFY(QAxObject(progId).isNull());
        QVERIFY(QAxObject().isNull());
        QVERIFY(!QAxObject().dynamicCall("Refresh()").isValid());
        QVERIFY(!QAxObject().querySubObject("ActiveDocument()"));
    }

    // Every member text the host driver and the mark layouts call, as they
    // spell it, on the object it is called on. An unknown text fails.
    void memberTable_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<bool>("object");
        auto row = [](Target t, const char *m, QVariantList a = {}, bool obj = false) {
            QTest::addRow("%d %s", int(t), m) << int(t) << QString::fromLatin1(m) << a << obj;
        };
        row(App, "ActiveDocument()", {}, true);
        row(App, "CreateDocument()", {}, true);
        row(App, "ActiveSelection()", {}, true);
        row(App, "ActiveSelectionRange()", {}, true);
        row(App, "CreateCMYKColor(int, int, int, int)", { 0, 0, 0, 100 }, true);
        row(App, "CreateStructImportOptions()", {}, true);
        row(App, "Windows()", {}, true);
        row(App, "SetVisible(bool)", { false });
        row(App, "SetOptimization(bool)", { true });
        row(App, "Refresh()");
        row(App, "CreateStructExportOptions()");
        row(App, "CreateStructPaletteOptions()");
        row(Doc, "ActivePage()", {}, true);
        row(Doc, "ActiveLayer()", {}, true);
        row(Doc, "ExportEx(const QString&, enum, enum, QVariant, QVariant)",
            { QString(), 1281, 0, 0, 0 }, true);
        row(Doc, "PDFSettings()", {}, true);
        row(Doc, "PrintSettings()", {}, true);
        row(Doc, "SetReferencePoint(enum)", { 5 });
        row(Doc, "PublishToPDF(QString)", { QString() });
        row(Doc, "ClearSelection()");
        row(Page, "Layers()", {}, true);
        row(Page, "SelectableShapes()", {}, true);
        row(Page, "CreateLayer(QString)", { "New" }, true);
        row(Page, "SizeWidth()");
        row(Page, "SizeHeight()");
        row(Page, "SizeWidth");
        row(Layers, "Count()");
        row(Layers, "Item(int)", { 1 }, true);
        row(Layers, "Find(QString)", { "Layer 1" }, true);
        row(Layer, "Name()");
        row(Layer, "Activate()");
        row(Layer, "SetEditable(bool)", { true });
        row(Layer, "SetPrintable(bool)", { true });
        row(Layer, "SetVisible(bool)", { true });
        row(Layer, "Printable()");
        row(Layer, "Shapes()", {}, true);
        row(Layer, "CreateLineSegment(double,double,double,double)", { 0, 0, 1, 1 }, true);
        row(Layer, "CreateEllipse2(double,double,double)", { 1, 1, 0.5 }, true);
        row(Layer, "CreateRectangle(double, double, double, double)", { 0, 1, 1, 0 }, true);
        row(Layer, "CreateRectangle(double, double ,double ,double)", { 0, 1, 1, 0 }, true);
        row(Layer, "ImportEx(const QString&, enum, QVariant)", { QString(), 802, 0 }, true);
        row(Layer, "Delete()");
        for (Target t : { LayerShapes, Selectable }) {
            row(t, "Count()");
            row(t, "Item(int)", { 1 }, true);
            row(t, "Item(const QVariant&)", { 1 }, true);
            row(t, "All()", {}, true);
        }
        row(Range, "AddToSelection()");
        row(Range, "Combine()");
        row(Range, "Delete()");
        for (Target t : { Shape, Selection, SelRange }) {
            row(t, "Fill()", {}, true);
            row(t, "Outline()", {}, true);
            row(t, "AddToSelection()");
            row(t, "CenterX()");
            row(t, "CenterY()");
            row(t, "PositionX()");
            row(t, "PositionY()");
            row(t, "SizeWidth()");
            row(t, "SizeHeight()");
            row(t, "SetPosition(double, double)", { 1, 1 });
            row(t, "SetPositionEx(enum, double, double)", { 3, 1, 1 });
            row(t, "SetSizeEx(double, double, double, double)", { 0, 0, 1, 1 });
            row(t, "Stretch(double)", { 5.0 });
            row(t, "CreateBoundary(double,double,bool,bool)", { 0, 0, true, false }, true);
            row(t, "BreakApartEx()");
            row(t, "CreateContour(enum, double, int, enum, QVariant, QVariant, QVariant)",
                { 1, 0.00025 * mm, 1, 0, 0, 0, 0 });
            row(t, "Separate()");
            row(t, "Combine()");
        }
        row(Fill, "ApplyNoFill()");
        row(Fill, "UniformColor()", {}, true);
        row(Outline, "SetWidth(double)", { 0 });
        row(Outline, "Color()", {}, true);
        row(Colour, "CMYKAssign(int,int,int,int)", { 0, 50, 0, 0 });
        row(Bitmap, "Trace(enum)", { 6 }, true);
        row(ExportFilter, "Finish()");
        row(ImportFilter, "Finish()");
        row(TraceFilter, "Finish()");
        row(PrintSettings, "ShowDialog()");
        row(PrintSettings, "PrintOut()");
        row(Windows, "Refresh()");
    }
    void memberTable()
    {
        QFETCH(int, target);
        QFETCH(QString, member);
        QFETCH(QVariantList, args);
        QFETCH(bool, object);
        Fixture fx;
        QAxObject *obj = fx.object(Target(target));
        QVERIFY(obj);
        const QByteArray m = member.toLatin1();
        QVariant a[8];
        for (int i = 0; i < args.size(); ++i)
            a[i] = args[i];
        if (m.startsWith("ExportEx") || m.startsWith("ImportEx"))
            a[0] = fx.dir.filePath("out");
        if (object) {
            QAxObject *r = obj->querySubObject(m, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
            QVERIFY(r);
            QCOMPARE(r->parent(), obj);
        } else {
            obj->dynamicCall(m, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
        }
        VERIFY_NO_HOST_ERRORS();
    }

    // Every setting the operations write on the host's option objects.
    void knownProperties()
    {
        Fixture fx;
        const QList<QPair<Target, QStringList>> table {
            { ExportFilter,
                { "PenLibIndex", "FitToPage", "ScaleFactor", "PageWidth", "PageHeight", "FillType",
                    "FillSpacing", "FillAngle", "HatchAngle", "CurveResolution",
                    "RemoveHiddenLines", "AutomaticWeld", "ExcludeWVC", "PlotterUnits",
                    "PlotterOrigin" } },
            { ImportOptions, { "Mode", "MaintainLayers" } },
            { TraceFilter, { "DeleteOriginalObject", "RemoveBackground" } },
        };
        for (const auto &entry : table) {
            QAxObject *obj = fx.object(entry.first);
            for (const QString &name : entry.second)
                obj->setProperty(name.toLatin1(), 1);
        }
        VERIFY_NO_HOST_ERRORS();
        fx.object(ImportOptions)->setProperty("Mod", 0);
        QCOMPARE(SimHost::instance().errors().size(), 1);
    }

    void traceReplacesPicture()
    {
        Fixture fx;
        QAxObject *trace = fx.object(TraceFilter);
        trace->setProperty("DeleteOriginalObject", true);
        trace->setProperty("RemoveBackground", false);
        trace->dynamicCall("Finish()");
        const Document *doc = SimHost::instance().activeDocument();
        QCOMPARE(doc->shapes.size(), size_t(2)); // the rectangle and the traced curves
        QCOMPARE(doc->shapes[1].kind, QStringLiteral("curve"));
        QVERIFY(doc->shapes[1].filled);
        VERIFY_NO_HOST_ERRORS();
    }

    void listFormAndMoveToLayer()
    {
        Fixture fx;
        QList<QVariant> text { 1.0, 1.0, QStringLiteral("12345678"), 2052, 0,
            QStringLiteral("Consolas"), 125 * mm, 0, 0, 0, 0 };
        fx.layer->dynamicCall(
            "CreateArtisticText(double, double, QString, enum, enum, QString, double, enum, enum, "
            "enum, enum)",
            text);
        QAxObject *other = fx.page->querySubObject("CreateLayer(QString)", "Other");
        QAxObject *shape = fx.object(Shape);
        shape->dynamicCall("MoveToLayer(QVariant)", other->asVariant());
        VERIFY_NO_HOST_ERRORS();
        const Document *doc = SimHost::instance().activeDocument();
        QCOMPARE(doc->shapes.size(), size_t(2));
        QCOMPARE(doc->shapes[0].layer, doc->layers[1].id);
        QCOMPARE(doc->shapes[1].kind, QStringLiteral("text"));
    }

    void contourTakesColourObject()
    {
        Fixture fx;
        QAxObject *red = fx.app.querySubObject("CreateCMYKColor(int, int, int, int)", 0, 0, 0, 0);
        red->dynamicCall("CMYKAssign(int,int,int,int)", 0, 100, 100, 0);
        fx.object(Shape)->dynamicCall(
            "CreateContour(enum, double, int, enum, QVariant, QVariant, QVariant)", 1, 0.00025 * mm,
            1, 0, red->asVariant(), red->asVariant(), red->asVariant());
        const Document *doc = SimHost::instance().activeDocument();
        QCOMPARE(doc->shapes.size(), size_t(2));
        QCOMPARE(doc->shapes[1].kind, QStringLiteral("contour"));
        QVERIFY(doc->shapes[1].outline == (simhost::Cmyk { 0, 100, 100, 0 }));
        VERIFY_NO_HOST_ERRORS();
    }

    void unknownMembersAreErrors_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<bool>("onPage");
        QTest::newRow("typo") << QByteArray("CreateRectangel(double,double,double,double)")
                              << false;
        QTest::newRow("wrong object") << QByteArray("Name()") << false;
        QTest::newRow("wrong types") << QByteArray("SetVisible(int)") << false;
        QTest::newRow("missing parentheses") << QByteArray("ActivePage") << false;
        // the page width is read as a property, the height never is
        QTest::newRow("height property") << QByteArray("SizeHeight") << true;
        QTest::newRow("width with arguments") << QByteArray("SizeWidth(double)") << true;
    }
    void unknownMembersAreErrors()
    {
        QFETCH(QByteArray, member);
        QFETCH(bool, onPage);
        Fixture fx;
        (onPage ? fx.page : fx.doc)->dynamicCall(member, 1, 2, 3, 4);
        QCOMPARE(SimHost::instance().errors().size(), 1);
    }

    void argumentsAndConversion()
    {
        Fixture fx;
        // the list ends at the first empty argument: three given, four declared
        fx.layer->dynamicCall("CreateRectangle(double,double,double,double)", 0, 1, QVariant(), 2);
        QCOMPARE(SimHost::instance().errors().size(), 1);
        SimHost::instance().reset();

        Fixture fy;
        QAxObject *r = fy.layer->querySubObject(
            "CreateRectangle(double, double ,double ,double)", 1, 3, 2, 2);
        QCOMPARE(SimHost::instance().calls().last().args, (QVariantList { 1.0, 3.0, 2.0, 2.0 }));
        QCOMPARE(SimHost::instance().calls().last().member,
            QByteArray("CreateRectangle(double,double,double,double)"));
        QCOMPARE(r->dynamicCall("SizeHeight()").toDouble(), 1.0);
        QCOMPARE(r->dynamicCall("PositionY()").toDouble(), 3.0);
        VERIFY_NO_HOST_ERRORS();
    }

    void deletedObjectsAreHarmless()
    {
        Fixture fx;
        QAxObject *shape = fx.object(Shape);
        QAxObject *fill = shape->querySubObject("Fill()");
        shape->dynamicCall("Delete()");
        QVERIFY(!shape->dynamicCall("CenterX()").isValid());
        fill->dynamicCall("ApplyNoFill()");
        fx.layer->dynamicCall("Delete()");
        QVERIFY(!fx.layer->dynamicCall("Name()").isValid());
        QVERIFY(!fx.layer->querySubObject("Shapes()"));
        VERIFY_NO_HOST_ERRORS();
    }

    void propertyWritesReachTheHost()
    {
        Fixture fx;
        QAxObject *pdf = fx.object(PdfSettings);
        pdf->setProperty("Author", QStringLiteral("Administrator"));
        pdf->setProperty("pdfVersion", 6);
        pdf->setProperty("NoSuchSetting", 1);
        QCOMPARE(SimHost::instance().errors().size(), 1);
        const QString file = fx.dir.filePath("a.pdf");
        fx.doc->dynamicCall("PublishToPDF(QString)", file);
        QCOMPARE(SimHost::instance().pdfs().size(), 1);
        const auto settings = SimHost::instance().pdfs()[0].settings;
        QCOMPARE(settings.size(), 2);
        QCOMPARE(settings[0].name, QByteArray("Author"));
        QCOMPARE(settings[1].value, QVariant(6));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
    }

    void selectionFollowsCreation()
    {
        Fixture fx;
        QAxObject *a = fx.layer->querySubObject("CreateEllipse2(double,double,double)", 4, 4, 1);
        QAxObject *b = fx.layer->querySubObject("CreateEllipse2(double,double,double)", 6, 4, 1);
        Document *doc = SimHost::instance().activeDocument();
        QCOMPARE(doc->selection.size(), 1);
        a->dynamicCall("AddToSelection()");
        QCOMPARE(doc->selection.size(), 2);
        QAxObject *range = fx.app.querySubObject("ActiveSelectionRange()");
        QCOMPARE(range->dynamicCall("PositionX()").toDouble(), 3.0);
        QCOMPARE(range->dynamicCall("PositionY()").toDouble(), 5.0);
        QCOMPARE(range->dynamicCall("SizeWidth()").toDouble(), 4.0);
        fx.app.querySubObject("ActiveSelection()")->dynamicCall("Combine()");
        QCOMPARE(doc->shapes.size(), size_t(2));
        QVERIFY(!a->dynamicCall("CenterX()").isValid());
        QCOMPARE(b->dynamicCall("SizeWidth()").toDouble(), 4.0);
        fx.doc->dynamicCall("ClearSelection()");
        QVERIFY(doc->selection.isEmpty());
        VERIFY_NO_HOST_ERRORS();
    }

    void stretchAboutReferencePoint_data()
    {
        QTest::addColumn<int>("reference");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("bottom-left") << 5 << QRectF(1, 1, 10, 5);
        QTest::newRow("centre") << 9 << QRectF(-3, -1, 10, 5);
        QTest::newRow("top-left") << 3 << QRectF(1, -3, 10, 5);
    }
    void stretchAboutReferencePoint()
    {
        QFETCH(int, reference);
        QFETCH(QRectF, expected);
        Fixture fx;
        Document *doc = SimHost::instance().activeDocument();
        fx.doc->dynamicCall("SetReferencePoint(enum)", reference);
        QAxObject *shape = fx.object(Shape);
        shape->dynamicCall("Stretch(double)", 5.0);
        QCOMPARE(doc->shapes[0].path.boundingRect(), expected);
        shape->dynamicCall("Stretch(double)", 0.2);
        const QRectF back = doc->shapes[0].path.boundingRect();
        QVERIFY(qAbs(back.left() - 1) < 1e-9 && qAbs(back.width() - 2) < 1e-9);
    }

    void faultInjection()
    {
        SimHost &host = SimHost::instance();
        host.createDocument();
        host.failMember("ActivePage()", 1, 1);
        QAxObject app(progId);
        QAxObject *doc = app.querySubObject("ActiveDocument()");
        QVERIFY(doc->querySubObject("ActivePage()"));
        QVERIFY(!doc->querySubObject("ActivePage()"));
        QVERIFY(doc->querySubObject("ActivePage()"));
        host.setPrintDialogAnswer(false);
        QVERIFY(!doc->querySubObject("PrintSettings()")->dynamicCall("ShowDialog()").toBool());
    }

    void sampleDocumentSnapshotAndWindow()
    {
        SimHost &host = SimHost::instance();
        QString error;
        QVERIFY2(host.loadDocument(QStringLiteral(SIMHOST_SAMPLE), &error), qPrintable(error));
        const Document *doc = host.activeDocument();
        QVERIFY(doc);
        QCOMPARE(doc->activeLayerName(), QStringLiteral("Artwork"));
        QVERIFY(doc->shapes.size() >= 4);
        const int dpi = 40;
        const QImage img = host.snapshot(dpi);
        QCOMPARE(img.size(), QSize(qRound(210 * mm * dpi), qRound(297 * mm * dpi)));
        // the blue disc centred 60 mm from the left and 110 mm from the bottom
        const QColor disc
            = img.pixelColor(qRound(60 * mm * dpi), img.height() - qRound(110 * mm * dpi));
        QVERIFY2(disc.blue() > 200 && disc.red() < 100, qPrintable(disc.name()));
        QCOMPARE(img.pixelColor(5, 5), QColor(Qt::white));
        const QString out = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                                .filePath("simhost-sample.png");
        QVERIFY(host.saveSnapshot(out, 60));

        QAxObject app(progId);
        app.dynamicCall("SetVisible(bool)", true);
        QVERIFY(host.windowVisible());
        QWidget *window = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QLatin1String("Simulated host"))
                window = w;
        QVERIFY(window && window->isVisible());
        const QImage shot = window->grab().toImage();
        QVERIFY(!shot.isNull());
        app.dynamicCall("SetVisible(bool)", false);
        QVERIFY(!window->isVisible());
    }

    void badStartDocuments_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("not json") << QByteArray("{");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("a list") << QByteArray("[1, 2]");
        QTest::newRow("zero page") << QByteArray(R"({"page":{"width":0,"height":10}})");
        QTest::newRow("unknown shape")
            << QByteArray(R"({"layers":[{"name":"a","shapes":[{"type":"blob"}]}]})");
        QTest::newRow("one point") << QByteArray(
            R"({"layers":[{"name":"a","shapes":[{"type":"polygon","points":[[1,1]]}]}]})");
    }
    void badStartDocuments()
    {
        QFETCH(QByteArray, json);
        QString error;
        QVERIFY(!SimHost::instance().loadDocumentJson(json, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY2(!error.contains("no error"), qPrintable(error));
        QCOMPARE(SimHost::instance().documentCount(), 0);
    }
};

QTEST_MAIN(TestSimHost)
#include "tst_simhost.moc"
