// Large artwork on the simulated host, through the host driver's real
// operations: the printable export, the boundary and the contour of a
// sticker sheet, and start documents far beyond a sticker sheet.
//
//   bench_simhost                          the figures for the notes
//   bench_simhost export|boundary|contour N [curves]
//   bench_simhost layers N                 contour of one shape on each of N layers
//   bench_simhost text N [contour]         boundary (or contour) of a start
//                                          document holding one text of N characters
//
// The contour of a sheet is timed three times at each size (fastest and
// slowest shown) with the ratio of the fastest times from one size to the
// next, which stays near 2 when doubling the shapes doubles the time.
#include <cdroperate.h>
#include <simhost.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double mm = 1.0 / 25.4;

// A sheet of n stickers 8 mm apart, rectangles, or rectangles and circles in
// turn, on one artwork layer or each on a layer of its own; the page is made
// to fit them.
simhost::Document &sheet(int n, bool curves = false, bool layerEach = false)
{
    simhost::SimHost &host = simhost::SimHost::instance();
    host.reset();
    simhost::Document &doc = host.createDocument();
    doc.layers.clear();
    const QString artwork = QStringLiteral("Artwork");
    host.addLayer(doc, artwork);
    doc.activeLayer = doc.layers.front().id;
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
        simhost::Shape &s = host.addShape(doc, artwork, p);
        if (layerEach && i)
            s.layer = host.addLayer(doc, QStringLiteral("Artwork %1").arg(i + 1)).id;
    }
    return doc;
}

// A start document of one text of n characters, read as the host reads
// its start document.
void textDocument(int n)
{
    simhost::SimHost &host = simhost::SimHost::instance();
    host.reset();
    QByteArray json = R"({"page": {"width": 210, "height": 297}, "layers": [{"name": "Artwork",
        "shapes": [{"type": "text", "x": 10, "y": 10, "size": 12, "text": ")";
    for (int i = 0; i < n; ++i)
        json += char('a' + i % 26);
    json += R"("}]}]})";
    QString error;
    if (!host.loadDocumentJson(json, &error))
        std::printf("the start document does not read: %s\n", qPrintable(error));
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

double run(const char *what, int n, bool curves, const QString &scratch, bool quiet = false)
{
    const bool layers = !std::strcmp(what, "layers");
    const bool text = !std::strcmp(what, "text");
    if (text)
        textDocument(n);
    else
        sheet(n, curves, layers);
    QElapsedTimer t;
    t.start();
    {
        CdrOperate op(QStringLiteral("CorelDraw.Application.24"));
        if (!std::strcmp(what, "export"))
            op.exportPrintablePlt(scratch);
        else if (!std::strcmp(what, "contour") || layers || (text && curves))
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
    if (!quiet) {
        const char *kind = text ? (curves ? "contour" : "boundary")
            : curves            ? "curves"
                                : "rectangles";
        std::printf("%-9s %7d %-10s %8.2f s  (%s%s)\n", what, n, kind, secs, qPrintable(check),
            errors.isEmpty() ? "" : ", host errors");
        std::fflush(stdout);
    }
    return secs;
}

// The contour of sheets doubling in size, three times each.
void contourSeries(const QString &scratch)
{
    double previous = 0;
    for (int n : { 1250, 2500, 5000, 10000, 20000 }) {
        double fastest = 1e9, slowest = 0;
        for (int k = 0; k < 3; ++k) {
            const double secs = run("contour", n, true, scratch, true);
            fastest = std::min(fastest, secs);
            slowest = std::max(slowest, secs);
        }
        std::printf("contour   %7d curves     %8.2f s  (slowest %.2f s", n, fastest, slowest);
        if (previous > 0)
            std::printf(", %.2f times the half", fastest / previous);
        std::printf(")\n");
        std::fflush(stdout);
        previous = fastest;
    }
}

} // namespace

int main(int argc, char **argv)
{
    // texts need fonts, and so a GUI application, with or without a screen
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    simhost::SimHost::install();
    const QString scratch = QDir::temp().filePath(QStringLiteral("bench_simhost.plt"));
    if (argc >= 3) {
        const bool second
            = argc > 3 && (!std::strcmp(argv[3], "curves") || !std::strcmp(argv[3], "contour"));
        run(argv[1], std::atoi(argv[2]), second, scratch);
    } else {
        run("export", 20000, true, scratch);
        run("export", 100000, true, scratch);
        run("boundary", 10000, false, scratch);
        run("boundary", 10000, true, scratch);
        contourSeries(scratch);
        run("contour", 100000, true, scratch);
        run("layers", 10000, false, scratch);
        run("text", 1000000, false, scratch);
        run("text", 1000000, true, scratch);
    }
    QFile::remove(scratch);
    return 0;
}
