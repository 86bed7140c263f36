// The host link: construction, layer names and the operation frame, run
// against the simulated host.
#include "hosttestutil.h"

#include <cdroperate.h>
#include <hostframe.h>

#include <QtTest>

using simhost::Document;
using simhost::SimHost;

namespace {

Document &documentWithLayers(const QStringList &names, const QString &active)
{
    Document &doc = SimHost::instance().createDocument();
    doc.layers.clear();
    for (const QString &n : names)
        SimHost::instance().addLayer(doc, n);
    doc.activeLayer = doc.layer(active) ? doc.layer(active)->id : 0;
    return doc;
}
} // namespace

class TestHostLink : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        flushDeletes();
        SimHost::instance().reset();
    }
    void cleanup() { flushDeletes(); }

    void unregisteredProgIdIsNotConnected()
    {
        SimHost::instance().setRegistered(v24, false);
        CdrOperate op(v24);
        QVERIFY(!op.isConnected());
        QVERIFY(op.app && op.app->isNull());
        HostFrame f(&op);
        QVERIFY(!f.open());
        f.close();
        QVERIFY(SimHost::instance().calls().isEmpty());
        QCOMPARE(SimHost::instance().documentCount(), 0);
    }

    void constructionShowsHostOnce_data()
    {
        QTest::addColumn<QString>("id");
        for (int v = 14; v <= 24; ++v)
            QTest::newRow(qPrintable(QString::number(v)))
                << QStringLiteral("CorelDraw.Application.%1").arg(v);
    }
    void constructionShowsHostOnce()
    {
        QFETCH(QString, id);
        {
            CdrOperate op(id);
            QVERIFY(op.isConnected());
            QCOMPARE(op.progId, id);
            QCOMPARE(op.hairline, 0.076 * mm);
            QCOMPARE(op.assistCmyk[1], 50);
        }
        const auto calls = SimHost::instance().calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].member, QByteArray("SetVisible(bool)"));
        QCOMPARE(calls[0].args, QVariantList { true });
        QVERIFY(SimHost::instance().windowVisible());
        flushDeletes();
        QCOMPARE(SimHost::instance().liveHandles(), 0);
    }

    void layerNames_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("english");
        QTest::newRow("EN") << "EN" << true;
        QTest::newRow("ZH") << "ZH" << false;
        QTest::newRow("en") << "en" << false;
        QTest::newRow("En") << "En" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("EN with space") << "EN " << false;
    }
    void layerNames()
    {
        QFETCH(QString, language);
        QFETCH(bool, english);
        CdrOperate op(v24);
        op.setLayerNames(QStringLiteral("ZH"));
        op.setLayerNames(language);
        const QStringList names { op.assistLayer, op.markLayer, op.cuttingLayer, op.creasingLayer,
            op.qrLayer };
        const QStringList en { "Assist Layer", "Mark Layer", "Cutting Layer", "Creasing Layer",
            "QR Code" };
        const QStringList zh { QString::fromUtf8("辅助层"), QString::fromUtf8("标记层"),
            QString::fromUtf8("切割层"), QString::fromUtf8("压痕层"), QString::fromUtf8("二维码") };
        QCOMPARE(names, english ? en : zh);
        QCOMPARE(op.mmPerInch, 25.4);
    }

    void noDocumentCreatesOne()
    {
        CdrOperate op(v24);
        QCOMPARE(SimHost::instance().documentCount(), 0);
        {
            HostFrame f(&op);
            QVERIFY(f.open());
            QVERIFY(f.document());
            QVERIFY(f.page());
            f.readLayers();
            QCOMPARE(f.layerCount(), 1);
        }
        QCOMPARE(SimHost::instance().documentCount(), 1);
        QCOMPARE(SimHost::instance().callsOf("CreateDocument()").size(), 1);
        QVERIFY(!SimHost::instance().optimization());
        VERIFY_NO_HOST_ERRORS();
    }

    void layerLookup_data()
    {
        QTest::addColumn<QStringList>("layers");
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<int>("index");
        const QString cut = QStringLiteral("Cutting Layer");
        QTest::newRow("exact") << QStringList { "Layer 1", cut } << cut << 2;
        QTest::newRow("case differs")
            << QStringList { "cutting layer", "CUTTING LAYER" } << cut << 0;
        QTest::newRow("first of two") << QStringList { "a", cut, cut } << cut << 2;
        QTest::newRow("longer name") << QStringList { "Cutting Layer 2", "Cutting" } << cut << 0;
        QTest::newRow("other language") << QStringList { QString::fromUtf8("切割层") } << cut << 0;
        QTest::newRow("chinese wanted")
            << QStringList { cut, QString::fromUtf8("切割层") } << QString::fromUtf8("切割层") << 2;
        QTest::newRow("no layers") << QStringList {} << cut << 0;
        QTest::newRow("empty name wanted") << QStringList { "x" } << QString() << 0;
    }
    void layerLookup()
    {
        QFETCH(QStringList, layers);
        QFETCH(QString, wanted);
        QFETCH(int, index);
        documentWithLayers(layers, QString());
        CdrOperate op(v24);
        HostFrame f(&op);
        QVERIFY(f.open());
        f.readLayers();
        QCOMPARE(f.layerCount(), layers.size());
        QCOMPARE(f.findLayer(wanted), index);
        f.close();
        VERIFY_NO_HOST_ERRORS();
    }

    void prefixLookup_data()
    {
        QTest::addColumn<QStringList>("layers");
        QTest::addColumn<QString>("found");
        QTest::newRow("job layer")
            << QStringList { "Layer 1", "QR Code:12345678" } << "QR Code:12345678";
        QTest::newRow("first of two") << QStringList { "QR Code-1", "QR Code:2" } << "QR Code-1";
        QTest::newRow("prefix only") << QStringList { "QR Code" } << "QR Code";
        QTest::newRow("shorter") << QStringList { "QR Cod" } << QString();
        QTest::newRow("case") << QStringList { "qr code:1" } << QString();
    }
    void prefixLookup()
    {
        QFETCH(QStringList, layers);
        QFETCH(QString, found);
        documentWithLayers(layers, QString());
        CdrOperate op(v24);
        HostFrame f(&op);
        QVERIFY(f.open());
        f.readLayers();
        QCOMPARE(f.findLayerByPrefix(op.qrLayer), found);
    }

    void frameRestoresLayerAndOptimisation_data()
    {
        QTest::addColumn<bool>("layerExists");
        QTest::newRow("created") << false;
        QTest::newRow("cleared") << true;
    }
    void frameRestoresLayerAndOptimisation()
    {
        QFETCH(bool, layerExists);
        SimHost &host = SimHost::instance();
        Document &doc = documentWithLayers(
            layerExists ? QStringList { "Artwork", "Cutting Layer" } : QStringList { "Artwork" },
            "Artwork");
        host.addShape(doc, "Artwork", rectPath(1, 1, 2, 2));
        if (layerExists) {
            host.addShape(doc, "Cutting Layer", rectPath(1, 1, 1, 1));
            doc.layer("Cutting Layer")->editable = false;
        }
        CdrOperate op(v24);
        {
            HostFrame f(&op);
            QVERIFY(f.open());
            QVERIFY(host.optimization());
            f.rememberActiveLayer();
            QCOMPARE(f.rememberedLayer(), QStringLiteral("Artwork"));
            f.readLayers();
            QAxObject *layer = f.clearOrCreateLayer(op.cuttingLayer);
            QVERIFY(layer);
            // the rebuilt layer is active, editable and empty while the work runs
            QCOMPARE(doc.activeLayerName(), QStringLiteral("Cutting Layer"));
            QVERIFY(doc.layer("Cutting Layer")->editable);
            QVERIFY(doc.shapesOn("Cutting Layer").isEmpty());
            f.close();
        }
        QVERIFY(!host.optimization());
        QCOMPARE(doc.activeLayerName(), QStringLiteral("Artwork"));
        QCOMPARE(doc.shapesOn("Artwork").size(), 1);
        QCOMPARE(int(doc.layers.size()), 2);
        QCOMPARE(host.callsOf("Refresh()").size(), 2); // application and its windows
        QCOMPARE(host.calls().last().object, QStringLiteral("Windows"));
        flushDeletes();
        VERIFY_NO_HOST_ERRORS();
    }

    void frameClosesOnEarlyReturn()
    {
        CdrOperate op(v24);
        {
            HostFrame f(&op);
            QVERIFY(f.open());
        }
        QVERIFY(!SimHost::instance().optimization());
        QCOMPARE(SimHost::instance().callsOf("SetOptimization(bool)").size(), 2);
    }

    void missingObjectMidFrame_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<int>("skip");
        QTest::newRow("document and new document") << QByteArray("ActiveDocument()") << 0;
        QTest::newRow("page") << QByteArray("ActivePage()") << 0;
        QTest::newRow("active layer") << QByteArray("ActiveLayer()") << 0;
        QTest::newRow("layer list") << QByteArray("Layers()") << 0;
        QTest::newRow("layer item") << QByteArray("Item(int)") << 0;
        QTest::newRow("found layer") << QByteArray("Find(QString)") << 0;
        QTest::newRow("re-activated layer") << QByteArray("Find(QString)") << 1;
        QTest::newRow("new layer") << QByteArray("CreateLayer(QString)") << 0;
        QTest::newRow("windows") << QByteArray("Windows()") << 0;
    }
    void missingObjectMidFrame()
    {
        QFETCH(QByteArray, member);
        QFETCH(int, skip);
        SimHost &host = SimHost::instance();
        Document &doc = documentWithLayers({ "Artwork", "Cutting Layer" }, "Artwork");
        host.addShape(doc, "Cutting Layer", rectPath(0, 0, 1, 1));
        host.failMember(member, skip);
        if (member == "ActiveDocument()")
            host.failMember("CreateDocument()");
        CdrOperate op(v24);
        {
            HostFrame f(&op);
            QVERIFY(f.open());
            f.rememberActiveLayer();
            f.readLayers();
            f.clearOrCreateLayer(op.cuttingLayer);
            f.clearOrCreateLayer(op.creasingLayer);
            f.clearSelection();
            f.close();
        }
        flushDeletes();
        QVERIFY(!host.optimization());
        const auto optimisation = host.callsOf("SetOptimization(bool)");
        QCOMPARE(optimisation.size(), 2);
        QCOMPARE(optimisation.last().args, QVariantList { false });
        QCOMPARE(host.liveHandles(), 1); // only the application object itself
        VERIFY_NO_HOST_ERRORS();
    }

    void wrappersAreChildrenAndReleased()
    {
        SimHost &host = SimHost::instance();
        host.createDocument();
        {
            CdrOperate op(v24);
            QAxObject *doc = op.app->querySubObject("ActiveDocument()");
            QAxObject *page = doc->querySubObject("ActivePage()");
            QCOMPARE(doc->parent(), op.app);
            QCOMPARE(page->parent(), doc);
            QCOMPARE(host.liveHandles(), 3);
        }
        flushDeletes();
        QCOMPARE(host.liveHandles(), 0);
    }
};

QTEST_MAIN(TestHostLink)
#include "tst_hostlink.moc"
