// The simulated host's shape list and boundary on sheets of several shapes:
// look-ups by id after the list changed in the middle, and which shapes the
// boundary joins into one cut line.
#include "hosttestutil.h"

#include <cdroperate.h>

#include <QAxObject>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>

using simhost::Document;
using simhost::Shape;
using simhost::ShapeList;
using simhost::SimHost;

namespace {
Shape shapeWithId(quint64 id)
{
    Shape s;
    s.id = id;
    return s;
}

// Each id's position, by walking the list in order.
QHash<quint64, int> positions(const ShapeList &list)
{
    QHash<quint64, int> at;
    for (const Shape &s : list)
        at.insert(s.id, at.size());
    return at;
}

QPainterPath square(double x, double y, double side)
{
    return mmRect(x, y, side, side);
}

// A closed outline of n points round a centre, wavy so that no two are in line.
QPainterPath wavyRing(int n, QPointF centre, double radius)
{
    QPainterPath p;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * 3.14159265358979 * i / n;
        const double r = (radius + (i % 2 ? 0.2 : 0)) * mm;
        const QPointF pt(centre.x() * mm + r * std::cos(a), centre.y() * mm + r * std::sin(a));
        i ? p.lineTo(pt) : p.moveTo(pt);
    }
    p.closeSubpath();
    return p;
}
} // namespace

class TestSimModel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        flushDeletes();
        SimHost::instance().reset();
    }
    void cleanup()
    {
        flushDeletes();
        VERIFY_NO_HOST_ERRORS();
    }

    // Every id is found where it is, after each kind of change.
    void lookUpAfterChanges_data()
    {
        // p: push, f: insert first, m: middle, e: erase odd ids; capitals
        // do it 3000 times, past the size at which the list splits its blocks
        QTest::addColumn<QString>("steps");
        QTest::newRow("pushed") << "pppppp";
        QTest::newRow("middle inserts") << "ppppmmpmm";
        QTest::newRow("front inserts then push") << "pppffpp";
        QTest::newRow("erased between inserts") << "ppppmepmfep";
        QTest::newRow("many, erased to a few") << "PMFepmEmpe";
    }
    void lookUpAfterChanges()
    {
        QFETCH(QString, steps);
        ShapeList list;
        quint64 next = 1;
        for (QChar step : steps) {
            const int times = step.isUpper() ? 3000 : 1;
            for (int k = 0; k < times; ++k) {
                switch (step.toLower().toLatin1()) {
                case 'p':
                    list.push_back(shapeWithId(next++));
                    break;
                case 'f':
                    list.insert(0, shapeWithId(next++));
                    break;
                case 'm':
                    list.insert(list.size() / 2, shapeWithId(next++));
                    break;
                case 'e':
                    list.removeIf([](const Shape &s) { return s.id % 2; });
                    break;
                }
                // a look-up between changes, so that stale places get used
                if (!list.empty())
                    QCOMPARE(list.indexOf(list[list.size() / 3].id), int(list.size() / 3));
            }
        }
        const QHash<quint64, int> at = positions(list);
        QCOMPARE(int(list.size()), at.size());
        for (quint64 id = 0; id <= next; ++id) {
            QCOMPARE(list.indexOf(id), at.value(id, -1));
            if (at.contains(id))
                QCOMPARE(list[size_t(at[id])].id, id);
        }
    }

    // The shape collections count and index what is there now, however
    // the page changed since they were last asked: the host's answers
    // against a walk of the page, on a page of several blocks.
    void collectionsFollowChanges_data()
    {
        QTest::addColumn<QString>("change");
        // the collection asked last before the change and first after it
        QTest::addColumn<bool>("selectableLast"); // or the first layer's
        QTest::newRow("layer locked") << "lock" << true;
        QTest::newRow("layer hidden") << "hide" << true;
        QTest::newRow("shape moved to the other layer") << "move" << false;
        QTest::newRow("shapes deleted") << "delete" << true;
        QTest::newRow("contour put in the middle") << "contour" << true;
        QTest::newRow("contour put in the middle, layer") << "contour" << false;
        QTest::newRow("layer added in front") << "layer" << true;
    }
    void collectionsFollowChanges()
    {
        QFETCH(QString, change);
        QFETCH(bool, selectableLast);
        SimHost &host = SimHost::instance();
        Document &doc = host.createDocument();
        doc.layers.clear();
        host.addLayer(doc, "A");
        host.addLayer(doc, "B");
        for (int i = 0; i < 2500; ++i)
            host.addShape(doc, i % 3 ? "A" : "B", square(i * 0.01, 0, 0.005));
        QAxObject app(v24);
        QAxObject *page = app.querySubObject("ActiveDocument()")->querySubObject("ActivePage()");
        QAxObject *selectable = page->querySubObject("SelectableShapes()");
        QAxObject *onA = page->querySubObject("Layers()")
                             ->querySubObject("Item(int)", 1)
                             ->querySubObject("Shapes()");
        // which shape an item is: its left edge tells
        const auto itemX = [](QAxObject *shapes, int i) {
            QAxObject *s = shapes->querySubObject("Item(int)", i);
            return s ? qRound(s->dynamicCall("PositionX()").toDouble() / mm * 1000) : -1;
        };
        const auto check = [&](QAxObject *shapes, const std::function<bool(const Shape &)> &held) {
            QList<int> expected;
            for (const Shape &s : qAsConst(doc.shapes))
                if (held(s))
                    expected << qRound(s.path.boundingRect().left() / mm * 1000);
            QCOMPARE(shapes->dynamicCall("Count()").toInt(), expected.size());
            for (int i = 1; i <= expected.size(); i += 97)
                QCOMPARE(itemX(shapes, i), expected[i - 1]);
            if (!expected.isEmpty())
                QCOMPARE(itemX(shapes, expected.size()), expected.last());
            QCOMPARE(itemX(shapes, expected.size() + 1), -1);
        };
        const quint64 a = doc.layers[0].id;
        const auto selectableNow = [&](const Shape &s) {
            const simhost::Layer *l = doc.layerById(s.layer);
            return l && l->visible && l->editable;
        };
        const auto heldByA = [&](const Shape &s) { return s.layer == a; };
        const auto checkBoth = [&](bool selectableFirst) {
            if (!selectableFirst)
                check(onA, heldByA);
            check(selectable, selectableNow);
            if (selectableFirst)
                check(onA, heldByA);
        };
        checkBoth(!selectableLast);

        if (change == "lock")
            doc.layers[1].editable = false;
        else if (change == "hide")
            doc.layers[0].visible = false;
        else if (change == "move")
            doc.shape(doc.shapes[1201].id)->layer = doc.layers[1].id; // from A
        else if (change == "delete")
            page->querySubObject("Layers()")
                ->querySubObject("Item(int)", 2)
                ->querySubObject("Shapes()")
                ->querySubObject("All()")
                ->dynamicCall("Delete()");
        else if (change == "contour") {
            const QVariant black
                = app.querySubObject("CreateCMYKColor(int, int, int, int)", 0, 0, 0, 100)
                      ->asVariant();
            selectable->querySubObject("Item(int)", 1300)
                ->dynamicCall(
                    "CreateContour(enum, double, int, enum, QVariant, QVariant, QVariant)", 1, 0.0,
                    1, 0, black, black, black);
        } else if (change == "layer") {
            host.addLayer(doc, "C");
            std::rotate(doc.layers.begin(), doc.layers.end() - 1, doc.layers.end());
        }
        checkBoth(selectableLast);
    }

    // Shapes too large for the host's path operations, or for a document,
    // are left out with a message on stderr, and the rest is made; a shape
    // of many small pieces is outlined piece by piece.
    void largeShapesBoundedOrLeftOut_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<bool>("contour"); // or the boundary
        QTest::addColumn<int>("cutLines");
        QTest::addColumn<bool>("leftOut");
        QTest::newRow("text of a million characters") << "text" << false << 1 << true;
        QTest::newRow("outline of 60,000 points, boundary") << "ring" << false << 1 << true;
        QTest::newRow("outline of 60,000 points, contour") << "ring" << true << 1 << true;
        QTest::newRow("12,000 squares in one shape, boundary")
            << "squares" << false << 12001 << false;
        QTest::newRow("12,000 squares in one shape, contour") << "squares" << true << 2 << false;
    }
    void largeShapesBoundedOrLeftOut()
    {
        QFETCH(QString, shape);
        QFETCH(bool, contour);
        QFETCH(int, cutLines);
        QFETCH(bool, leftOut);
        SimHost &host = SimHost::instance();
        if (leftOut)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("simulated host: .*left out"));
        if (shape == "text") {
            // as a start document: the text is not even laid out
            const QByteArray json = "{\"layers\": [{\"name\": \"Artwork\", \"shapes\": ["
                                    "{\"type\": \"rectangle\", \"x\": 150, \"y\": 10, "
                                    "\"width\": 5, \"height\": 5}, {\"type\": \"text\", "
                                    "\"x\": 10, \"y\": 10, \"text\": \""
                + QByteArray(1000000, 'a') + "\"}]}]}";
            QVERIFY(host.loadDocumentJson(json));
        } else {
            Document &doc = host.createDocument();
            host.addShape(doc, "Artwork", square(150, 10, 5));
            QPainterPath big;
            if (shape == "ring") {
                big = wavyRing(60000, QPointF(60, 60), 40);
            } else {
                for (int i = 0; i < 12000; ++i)
                    big.addPath(square(10 + i % 100, 10 + i / 100, 0.5));
            }
            host.addShape(doc, "Artwork", big);
        }
        CdrOperate op(v24);
        contour ? op.createContour() : op.createBoundary();
        QCOMPARE(host.activeDocument()->shapesOn("Cutting Layer").size(), cutLines);
    }

    // Shapes whose boxes touch or overlap but that do not meet stay apart;
    // shapes that meet, also through a third one, are one cut line.
    void boundaryJoinsShapesThatMeet_data()
    {
        QTest::addColumn<QList<QRectF>>("rects"); // mm; an empty width marks a circle
        QTest::addColumn<int>("pieces");
        QTest::newRow("apart") << QList<QRectF> { { 10, 10, 5, 5 }, { 30, 10, 5, 5 } } << 2;
        QTest::newRow("sharing an edge")
            << QList<QRectF> { { 10, 10, 5, 5 }, { 15, 10, 5, 5 } } << 1;
        QTest::newRow("joined through a third, given last")
            << QList<QRectF> { { 10, 10, 5, 5 }, { 30, 10, 5, 5 }, { 12, 11, 20, 2 } } << 1;
        QTest::newRow("circles with overlapping boxes")
            << QList<QRectF> { { 20, 20, 0, 5 }, { 27.5, 27.5, 0, 5 } } << 2;
        QTest::newRow("two groups side by side") << QList<QRectF> { { 10, 10, 5, 5 },
            { 60, 10, 5, 5 }, { 14, 12, 5, 5 }, { 64, 12, 5, 5 } }
                                                 << 2;
    }
    void boundaryJoinsShapesThatMeet()
    {
        QFETCH(QList<QRectF>, rects);
        QFETCH(int, pieces);
        SimHost &host = SimHost::instance();
        Document &doc = host.createDocument();
        for (const QRectF &r : rects) {
            QPainterPath p;
            if (r.width() > 0)
                p.addRect(QRectF(r.x() * mm, r.y() * mm, r.width() * mm, r.height() * mm));
            else
                p.addEllipse(QPointF(r.x() * mm, r.y() * mm), r.height() * mm, r.height() * mm);
            host.addShape(doc, "Artwork", p);
        }
        CdrOperate op(v24);
        op.createBoundary();
        QCOMPARE(doc.shapesOn("Cutting Layer").size(), pieces);
    }
};

QTEST_MAIN(TestSimModel)
#include "tst_simmodel.moc"
