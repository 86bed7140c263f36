// Draws the program's button and figure images into a folder:
//   makeicons <folder>
// Run by hand when a picture changes; the PNG files are kept in the repository.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {
const int S = 64;
const double kPi = 3.14159265358979323846;
const QColor ink(38, 70, 110);
const QColor accent(0, 150, 160);
const QColor markRed(215, 40, 40);

QPen pen(const QColor &c, double w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

bool save(const QString &dir, const QString &name, int w, int h,
    const std::function<void(QPainter &)> &draw)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    const bool ok = img.save(dir + "/" + name + ".png");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(name));
    return ok;
}

// Four mark positions around a dotted sheet outline.
void sheet(QPainter &p)
{
    QPen dashed = pen(accent, 2);
    dashed.setDashPattern({ 2, 2 });
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(17, 17, 30, 30));
}

const QPointF corners[4] = { { 12, 12 }, { 52, 12 }, { 52, 52 }, { 12, 52 } };

void marksCircle(QPainter &p)
{
    sheet(p);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (const QPointF &c : corners)
        p.drawEllipse(c, 6, 6);
}

void marksCross(QPainter &p)
{
    sheet(p);
    p.setPen(pen(ink, 3));
    for (const QPointF &c : corners) {
        p.drawLine(c - QPointF(7, 0), c + QPointF(7, 0));
        p.drawLine(c - QPointF(0, 7), c + QPointF(0, 7));
    }
}

void marksRtAngle(QPainter &p)
{
    sheet(p);
    p.setPen(pen(ink, 3));
    p.setBrush(Qt::NoBrush);
    const QPointF arms[4][2] = { { { 12, 0 }, { 0, 12 } }, { { -12, 0 }, { 0, 12 } },
        { { -12, 0 }, { 0, -12 } }, { { 12, 0 }, { 0, -12 } } };
    const QPointF outer[4] = { { 6, 6 }, { 58, 6 }, { 58, 58 }, { 6, 58 } };
    for (int i = 0; i < 4; ++i) {
        QPolygonF l;
        l << outer[i] + arms[i][0] << outer[i] << outer[i] + arms[i][1];
        p.drawPolyline(l);
    }
}

void layers(QPainter &p)
{
    for (int i = 2; i >= 0; --i) {
        QPolygonF d;
        const double y = 22 + i * 10;
        d << QPointF(32, y - 12) << QPointF(56, y) << QPointF(32, y + 12) << QPointF(8, y);
        p.setPen(pen(Qt::white, 2));
        p.setBrush(i == 0 ? accent : (i == 1 ? QColor(90, 140, 190) : ink));
        p.drawPolygon(d);
    }
}

QPainterPath blob(double inset)
{
    QPainterPath path;
    const double a = 12 + inset, b = 52 - inset;
    path.moveTo(32, a);
    path.cubicTo(b + 2, a - 2, b + 2, 32, b, 40);
    path.cubicTo(b - 4, b + 2, 24, b + 2, a + 4, 44);
    path.cubicTo(a - 4, 32, a, a + 2, 32, a);
    return path;
}

void outline(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 160, 40));
    p.drawPath(blob(9));
    QPen dashed = pen(markRed, 2.5);
    dashed.setDashPattern({ 2.5, 1.5 });
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawPath(blob(3));
}

void printer(QPainter &p)
{
    p.setPen(pen(ink, 2.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(20, 8, 24, 16));
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(8, 22, 48, 22), 4, 4);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(18, 36, 28, 20));
    p.setPen(pen(accent, 2));
    p.drawLine(QPointF(23, 43), QPointF(41, 43));
    p.drawLine(QPointF(23, 49), QPointF(36, 49));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 220, 120));
    p.drawEllipse(QPointF(49, 29), 2.5, 2.5);
}

void document(QPainter &p, const QString &label, const QColor &band)
{
    QPolygonF page;
    page << QPointF(14, 6) << QPointF(40, 6) << QPointF(52, 18) << QPointF(52, 58)
         << QPointF(14, 58);
    p.setPen(pen(ink, 2.5));
    p.setBrush(Qt::white);
    p.drawPolygon(page);
    p.drawPolyline(QPolygonF() << QPointF(40, 6) << QPointF(40, 18) << QPointF(52, 18));
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRect(QRectF(8, 30, 40, 18));
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(14);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(8, 30, 40, 18), Qt::AlignCenter, label);
}

void blade(QPainter &p, QPointF tip, double angle)
{
    p.save();
    p.translate(tip);
    p.rotate(angle);
    QPolygonF b;
    b << QPointF(0, 0) << QPointF(10, -5) << QPointF(28, -5) << QPointF(28, 5) << QPointF(6, 5);
    p.setPen(pen(ink, 2));
    p.setBrush(QColor(200, 210, 220));
    p.drawPolygon(b);
    p.setBrush(ink);
    p.drawRect(QRectF(28, -6, 12, 12));
    p.restore();
}

void cutPath(QPainter &p)
{
    QPen dashed = pen(markRed, 2.5);
    dashed.setDashPattern({ 2, 1.5 });
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(28, 36), 16, 16);
}

void directCut(QPainter &p)
{
    cutPath(p);
    blade(p, QPointF(28, 20), -40);
}

void marksCut(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(8, 8), 5, 5);
    p.drawEllipse(QPointF(8, 56), 5, 5);
    p.drawEllipse(QPointF(56, 56), 5, 5);
    directCut(p);
}

void blankCut(QPainter &p)
{
    p.setPen(pen(ink, 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 10, 44, 48));
    directCut(p);
}

void qrCtrl(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto finder = [&](double x, double y) {
        p.setBrush(ink);
        p.drawRect(QRectF(x, y, 18, 18));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(x + 3, y + 3, 12, 12));
        p.setBrush(ink);
        p.drawRect(QRectF(x + 6, y + 6, 6, 6));
    };
    finder(6, 6);
    finder(40, 6);
    finder(6, 40);
    const char *bits = "1011001101011100110101101";
    for (int i = 0; i < 25; ++i) {
        if (bits[i] == '1')
            p.drawRect(QRectF(28 + (i % 5) * 6, 28 + (i / 5) * 6, 5, 5));
    }
}

void about(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawEllipse(QPointF(32, 32), 26, 26);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32, 18), 4.5, 4.5);
    p.drawRoundedRect(QRectF(27.5, 26, 9, 24), 3, 3);
}

void gear(QPainter &p)
{
    QPainterPath g;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double r = (i % 2 == 0) ? 27 : 20;
        const double a0 = (i - 0.5) * kPi / teeth, a1 = (i + 0.5) * kPi / teeth;
        const QPointF p0(32 + r * std::cos(a0), 32 + r * std::sin(a0));
        const QPointF p1(32 + r * std::cos(a1), 32 + r * std::sin(a1));
        if (i == 0)
            g.moveTo(p0);
        else
            g.lineTo(p0);
        g.lineTo(p1);
    }
    g.closeSubpath();
    g.addEllipse(QPointF(32, 32), 8, 8);
    g.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(g);
}

void disk(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPolygonF body;
    body << QPointF(8, 8) << QPointF(48, 8) << QPointF(56, 16) << QPointF(56, 56) << QPointF(8, 56);
    p.drawPolygon(body);
    p.setBrush(QColor(200, 210, 220));
    p.drawRect(QRectF(18, 8, 24, 14));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 32, 36, 20));
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(markRed);
    p.drawText(QRectF(14, 32, 36, 20), Qt::AlignCenter, "PLT");
}

void swatch(QPainter &p, const QColor &c)
{
    p.setPen(pen(QColor(128, 128, 128), 2));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(4, 14, 56, 36), 6, 6);
}

// The figure behind the marks of the "by figure" preview: a printed sticker.
void figure(QPainter &p)
{
    const QRectF r(10, 10, 220, 280);
    QLinearGradient grad(r.topLeft(), r.bottomRight());
    grad.setColorAt(0, QColor(255, 200, 60));
    grad.setColorAt(1, QColor(240, 110, 40));
    p.setPen(pen(QColor(150, 70, 20), 4));
    p.setBrush(grad);
    p.drawRoundedRect(r, 40, 40);
    QPainterPath star;
    const QPointF c(120, 125);
    for (int i = 0; i < 10; ++i) {
        const double rad = (i % 2 == 0) ? 80 : 34;
        const double a = -kPi / 2 + i * kPi / 5;
        const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(pen(Qt::white, 6));
    p.setBrush(QColor(30, 90, 160));
    p.drawPath(star);
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(40);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(10, 215, 220, 60), Qt::AlignCenter, "VEMO");
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: makeicons <folder>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    bool ok = true;
    ok &= save(dir, "MarkCircleBtn", S, S, marksCircle);
    ok &= save(dir, "MarkCrossBtn", S, S, marksCross);
    ok &= save(dir, "MarkRtAngleBtn", S, S, marksRtAngle);
    ok &= save(dir, "LayerBtn", S, S, layers);
    ok &= save(dir, "OutlineBtn", S, S, outline);
    ok &= save(dir, "ContourBtn", S, S, outline);
    ok &= save(dir, "PrintBtn", S, S, printer);
    ok &= save(
        dir, "SavePdfBtn", S, S, [](QPainter &p) { document(p, "PDF", QColor(200, 40, 40)); });
    ok &= save(dir, "DirectCutBtn", S, S, directCut);
    ok &= save(dir, "CutBtn", S, S, marksCut);
    ok &= save(dir, "BlankCutBtn", S, S, blankCut);
    ok &= save(dir, "SavePltBtn", S, S, disk);
    ok &= save(dir, "QRCodeCtrlBtn", S, S, qrCtrl);
    ok &= save(dir, "AboutBtn", S, S, about);
    ok &= save(dir, "ConfigBtn", S, S, gear);
    ok &= save(dir, "ColorBlack", S, S, [](QPainter &p) { swatch(p, Qt::black); });
    ok &= save(dir, "ColorRed", S, S, [](QPainter &p) { swatch(p, Qt::red); });
    ok &= save(dir, "ColorWhite", S, S, [](QPainter &p) { swatch(p, Qt::white); });
    ok &= save(dir, "VemoFigure", 240, 300, figure);
    return ok ? 0 : 1;
}
