// The send window's path preview, checked on rendered images.
#include "pathdump.h"
#include "qpaintwidget.h"

#include <QtTest>

namespace {

CutPath line(int pen, const QLineF &l, int lineType = 0)
{
    return makePath({ l }, pen, lineType);
}

QImage render(QPaintWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool isColour(QRgb px, QColor c)
{
    return qAbs(qRed(px) - c.red()) < 40 && qAbs(qGreen(px) - c.green()) < 40
        && qAbs(qBlue(px) - c.blue()) < 40;
}

// Columns of `row` drawn in colour c.
QList<int> columnsOf(const QImage &img, int row, QColor c)
{
    QList<int> out;
    for (int x = 0; x < img.width(); ++x)
        if (isColour(img.pixel(x, row), c))
            out << x;
    return out;
}

// Columns of `row` touched by a red line, antialiased parts included.
QList<int> redColumns(const QImage &img, int row)
{
    QList<int> out;
    for (int x = 0; x < img.width(); ++x) {
        const QRgb px = img.pixel(x, row);
        if (qRed(px) > 200 && qGreen(px) < 200 && qBlue(px) < 200)
            out << x;
    }
    return out;
}

void wheel(QWidget &w, QPoint at, int delta)
{
    QWheelEvent e(QPointF(at), QPointF(w.mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
}

void mouse(QWidget &w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void drag(QWidget &w, QPoint from, QPoint to, Qt::MouseButton button)
{
    mouse(w, QEvent::MouseButtonPress, from, button, button);
    mouse(w, QEvent::MouseMove, to, Qt::NoButton, button);
    mouse(w, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

QStringList fontWarnings;
void catchFontWarnings(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    if (msg.contains(QLatin1String("QFont")))
        fontWarnings << msg;
}

} // namespace

class TstQPaintWidget : public QObject
{
    Q_OBJECT

private slots:
    void mapping_data();
    void mapping();
    void dashedWhereLineType();
    void zoomSteps();
    void zoomKeepsPointUnderCursor();
    void panWithLeftButtonOnly();
    void farZoomAndFarEnds();
};

void TstQPaintWidget::mapping_data()
{
    QTest::addColumn<int>("pen");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("pen 2 blue") << 2 << QColor(Qt::blue);
    QTest::newRow("pen 5 magenta") << 5 << QColor(Qt::magenta);
    QTest::newRow("pen 12 black") << 12 << QColor(Qt::black);
    QTest::newRow("pen -1 black") << -1 << QColor(Qt::black);
}

// A segment from (0, 0) to (4000, 0) with the first mark at (400, 800) lies
// from (400, 800) to (4400, 800): 12.5 to 112.5 pixels across, on row 22.
void TstQPaintWidget::mapping()
{
    QFETCH(int, pen);
    QFETCH(QColor, colour);
    QPaintWidget w;
    w.resize(300, 200);
    w.markPoints = { QPoint(400, 800), QPoint(9000, 9000) };
    w.paths << line(pen, QLineF(0, 0, 4000, 0));
    const QImage img = render(w);
    const QList<int> cols = columnsOf(img, 22, colour);
    QVERIFY(!cols.isEmpty());
    QVERIFY2(qAbs(cols.first() - 12) <= 1 && qAbs(cols.last() - 112) <= 1,
        qPrintable(QStringLiteral("%1..%2").arg(cols.first()).arg(cols.last())));
    QVERIFY(columnsOf(img, 20, colour).isEmpty());
    QVERIFY(columnsOf(img, 24, colour).isEmpty());
    // the origin: five red pixels around 2.5, 2.5
    QVERIFY(isColour(img.pixel(2, 2), Qt::red));
}

void TstQPaintWidget::dashedWhereLineType()
{
    QPaintWidget w;
    w.resize(300, 200);
    w.paths << line(3, QLineF(0, 2000, 8000, 2000), 1) << line(3, QLineF(0, 4000, 8000, 4000));
    const QImage img = render(w);
    // rows 52 and 102: (2000 + 100) * 0.025 = 52.5
    const int dashed = columnsOf(img, 52, Qt::red).size();
    const int solid = columnsOf(img, 102, Qt::red).size();
    QVERIFY2(solid >= 199 && dashed > 40 && dashed < solid - 40,
        qPrintable(QStringLiteral("%1 %2").arg(dashed).arg(solid)));
}

void TstQPaintWidget::zoomSteps()
{
    QPaintWidget w;
    w.resize(300, 200);
    wheel(w, QPoint(50, 50), -120);
    QVERIFY(qFuzzyCompare(w.scale, 0.0225));
    w.resetView();
    wheel(w, QPoint(50, 50), 120);
    wheel(w, QPoint(50, 50), 120);
    QVERIFY(qFuzzyCompare(w.scale, 0.03025));
    w.resetView();
    // a purely horizontal wheel (zero delta) zooms out; the floor is 0.01
    for (int i = 0; i < 30; ++i)
        wheel(w, QPoint(50, 50), 0);
    QVERIFY(w.scale <= 0.01 && w.scale > 0.009);
    // no zoom while dragging
    mouse(w, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
    const double before = w.scale;
    wheel(w, QPoint(50, 50), 120);
    QCOMPARE(w.scale, before);
}

void TstQPaintWidget::zoomKeepsPointUnderCursor()
{
    QPaintWidget w;
    w.resize(300, 200);
    // x = 7880 is drawn at 199.5 pixels, the middle of column 199
    w.paths << line(3, QLineF(7880, 0, 7880, 20000));
    QCOMPARE(columnsOf(render(w), 150, Qt::red), QList<int> { 199 });
    for (int delta : { 120, 120, 120, -120, 120 }) {
        wheel(w, QPoint(199, 150), delta);
        const QList<int> cols = redColumns(render(w), 150);
        QVERIFY(!cols.isEmpty());
        QVERIFY2(qAbs(cols.first() - 199) <= 1 && qAbs(cols.last() - 199) <= 1,
            qPrintable(QString::number(cols.first())));
    }
}

void TstQPaintWidget::panWithLeftButtonOnly()
{
    QPaintWidget w;
    w.resize(300, 200);
    w.paths << line(2, QLineF(0, 0, 4000, 0));
    drag(w, QPoint(100, 100), QPoint(140, 120), Qt::RightButton);
    drag(w, QPoint(100, 100), QPoint(140, 120), Qt::MiddleButton);
    QVERIFY(!columnsOf(render(w), 2, Qt::blue).isEmpty());
    drag(w, QPoint(100, 100), QPoint(140, 120), Qt::LeftButton);
    // 40 and 20 pixels are 1600 and 800 units: the line is now on row 22
    const QImage img = render(w);
    const QList<int> cols = columnsOf(img, 22, Qt::blue);
    QVERIFY(!cols.isEmpty());
    QVERIFY(qAbs(cols.first() - 42) <= 1 && qAbs(cols.last() - 142) <= 1);
    QVERIFY(columnsOf(img, 2, Qt::blue).isEmpty());
    // the next drag starts from where this one ended
    drag(w, QPoint(0, 0), QPoint(0, 20), Qt::LeftButton);
    QVERIFY(!columnsOf(render(w), 42, Qt::blue).isEmpty());
}

// Zoomed far in the labels still get a font; an end beyond the int range is
// drawn toward its own side, not wrapped round to the other.
void TstQPaintWidget::farZoomAndFarEnds()
{
    QPaintWidget w;
    w.resize(300, 200);
    w.markPoints = { QPoint(400, 800) };
    w.paths << line(2, QLineF(0, 0, 1e12, 0)) << line(2, QLineF(0, 0, qQNaN(), 0));
    QVERIFY(columnsOf(render(w), 22, Qt::blue).contains(299));

    fontWarnings.clear();
    const QtMessageHandler old = qInstallMessageHandler(catchFontWarnings);
    w.scale = 20;
    render(w);
    qInstallMessageHandler(old);
    QVERIFY2(fontWarnings.isEmpty(), qPrintable(fontWarnings.join('\n')));
}

QTEST_MAIN(TstQPaintWidget)
#include "tst_qpaintwidget.moc"
