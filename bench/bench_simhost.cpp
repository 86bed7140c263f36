// Large artwork on the simulated host, through the host driver's real
// operations: the printable export and the boundary of a sticker sheet.
//
//   bench_simhost                          the figures for the notes
//   bench_simhost export|boundary|contour N [curves]
#include <cdroperate.h>
#include <simhost.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double mm = 1.0 / 25.4;

// A sheet of n stickers 8 mm apart on one artwork layer, rectangles, or
// rectangles and circles in turn; the page is made to fit them.
simhost::Document &sheet(int n, bool curves = false)
{
    simhost::SimHost &host = simhost::SimHost::instance();
    host.reset();
    simhost::Document &doc = host.createDocument();
    doc.layers.clear();
    host.addLayer(doc, QStringLiteral("Artwork"));
    doc.activeLayer = doc.layer(QStringLiteral("Artwork"))->id;
    const int columns = int(std::ceil(std::sqrt(double(n))));
    const double pitch = 8 * mm;
    doc.pageSize = QSizeF((columns + 1) * pitch, (columns + 1) * pitch);
    doc.shapes.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const QPointF c((i % columns + 1) * pitch, (i / columns + 1) * pitch);
        QPainterPath p;
        if (i % 2 && curves)
            p.addEllipse(c, 3 * mm, 3 * mm);
        else
            p.addRect(QRectF(c.x() - 3 * mm, c.y() - 2 * mm, 6 * mm, 4 * mm));
        host.addShape(doc, QStringLiteral("Artwork"), p);
    }
    return doc;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

double run(const char *what, int n, bool curves, const QString &scratch)
{
    sheet(n, curves);
    QElapsedTimer t;
    t.start();
    {
        CdrOperate op(QStringLiteral("CorelDraw.Application.24"));
        if (!std::strcmp(what, "export"))
            op.exportPrintablePlt(scratch);
        else if (!std::strcmp(what, "contour"))
            op.createContour();
        else
            op.createBoundary();
    }
    flushDeletes();
    const double secs = t.elapsed() / 1000.0;
    simhost::Document *doc = simhost::SimHost::instance().activeDocument();
    const QString check = !std::strcmp(what, "export")
        ? QStringLiteral("%1 bytes written").arg(QFileInfo(scratch).size())
        : QStringLiteral("%1 cut lines").arg(doc->shapesOn(QStringLiteral("Cutting Layer")).size());
    const QStringList errors = simhost::SimHost::instance().errors();
    std::printf("%-9s %7d %-10s %8.2f s  (%s%s)\n", what, n, curves ? "curves" : "rectangles", secs,
        qPrintable(check), errors.isEmpty() ? "" : ", host errors");
    std::fflush(stdout);
    return secs;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    simhost::SimHost::install();
    const QString scratch = QDir::temp().filePath(QStringLiteral("bench_simhost.plt"));
    if (argc >= 3) {
        run(argv[1], std::atoi(argv[2]), argc > 3 && !std::strcmp(argv[3], "curves"), scratch);
    } else {
        run("export", 20000, true, scratch);
        run("export", 100000, true, scratch);
        run("boundary", 10000, false, scratch);
        run("boundary", 10000, true, scratch);
    }
    QFile::remove(scratch);
    return 0;
}
