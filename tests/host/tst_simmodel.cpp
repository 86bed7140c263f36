// The simulated host's shape list and boundary on sheets of several shapes:
// look-ups by id after the list changed in the middle, and which shapes the
// boundary joins into one cut line.
#include "hosttestutil.h"

#include <cdroperate.h>

#include <QtTest>

#include <algorithm>

using simhost::Document;
using simhost::Shape;
using simhost::ShapeList;
using simhost::SimHost;

namespace {
constexpr double mm = 1.0 / 25.4;

Shape shapeWithId(quint64 id)
{
    Shape s;
    s.id = id;
    return s;
}

int walk(const ShapeList &list, quint64 id)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].id == id)
            return int(i);
    return -1;
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
        QTest::addColumn<QString>("steps"); // p: push, f: insert first, m: middle, e: erase odd ids
        QTest::newRow("pushed") << "pppppp";
        QTest::newRow("middle inserts") << "ppppmmpmm";
        QTest::newRow("front inserts then push") << "pppffpp";
        QTest::newRow("erased between inserts") << "ppppmepmfep";
    }
    void lookUpAfterChanges()
    {
        QFETCH(QString, steps);
        ShapeList list;
        quint64 next = 1;
        for (QChar step : steps) {
            switch (step.toLatin1()) {
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
            // a look-up between changes, so that stale positions get used
            if (!list.empty())
                QCOMPARE(list.indexOf(list[list.size() - 1].id), int(list.size() - 1));
        }
        for (quint64 id = 0; id <= next; ++id)
            QCOMPARE(list.indexOf(id), walk(list, id));
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
        CdrOperate op(QStringLiteral("CorelDraw.Application.24"));
        op.createBoundary();
        QCOMPARE(doc.shapesOn("Cutting Layer").size(), pieces);
    }
};

QTEST_MAIN(TestSimModel)
#include "tst_simmodel.moc"
