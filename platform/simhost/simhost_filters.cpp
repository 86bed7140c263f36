// The host's filters: the HPGL export, PDF publishing and printing, picture
// import and bitmap tracing.
#include "simhost_server.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>
#include <QTransform>

#include <cerrno>

namespace simhost {

namespace {

// The value last written to the object's property, or the fallback.
QVariant propertyOf(const Handle &h, const char *name, const QVariant &fallback)
{
    QVariant v = fallback;
    for (const PropertyWrite &p : h.props)
        if (p.name == name)
            v = p.value;
    return v;
}

bool prints(const Layer &l)
{
    return l.printable && l.visible;
}

// Shapes on the layers that print: visible and printable ones.
int printedShapes(const Document &doc)
{
    return int(shapesByLayer(doc, prints).size());
}

QStringList printedLayers(const Document &doc)
{
    QStringList names;
    for (const Layer &l : doc.layers)
        if (prints(l))
            names << l.name;
    return names;
}

void appendNumber(QByteArray &out, int v)
{
    char digits[12];
    char *const end = digits + sizeof digits;
    char *p = end;
    unsigned u = v < 0 ? 0u - unsigned(v) : unsigned(v);
    do {
        *--p = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0)
        *--p = '-';
    out.append(p, int(end - p));
}

void appendPoint(QByteArray &out, const QPointF &p)
{
    appendNumber(out, qRound(p.x()));
    out += ',';
    appendNumber(out, qRound(p.y()));
}

// The host exporter's style: "IN;", pen select, absolute pen-up and pen-down
// moves with whole coordinates, x first, origin bottom-left. Curves are
// flattened in plotter units, so they are smooth at any size.
QByteArray hpglText(const Document &doc, double unitsPerInch)
{
    QByteArray out("IN;SP1;");
    const QTransform toUnits = QTransform::fromScale(unitsPerInch, unitsPerInch);
    auto writeShape = [&](const Shape &s) {
        const QList<QPolygonF> polys = toUnits.map(s.path).toSubpathPolygons();
        for (const QPolygonF &poly : polys) {
            if (poly.size() < 2)
                continue;
            out += "PU";
            appendPoint(out, poly[0]);
            out += ";PD";
            for (int i = 1; i < poly.size(); ++i) {
                if (i > 1)
                    out += ',';
                appendPoint(out, poly[i]);
            }
            out += ';';
        }
    };
    QList<const Shape *> solid, dashed;
    for (const Shape *s : shapesByLayer(doc, prints))
        if (s->bitmap.isNull())
            (s->dashed ? dashed : solid) << s;
    for (const Shape *s : solid)
        writeShape(*s);
    if (!dashed.isEmpty()) {
        out += "LT2,4,1;";
        for (const Shape *s : dashed)
            writeShape(*s);
        out += "LT;";
    }
    out += "PU;SP0;";
    return out;
}

} // namespace

void Server::exportHpgl(Handle &h, Document &doc)
{
    ExportRecord rec;
    rec.file = h.file;
    rec.filter = h.filter;
    rec.settings = h.props;
    if (h.filter != 1281) {
        error(QStringLiteral("export filter %1 is not simulated").arg(h.filter));
        d->exports << rec;
        return;
    }
    const double units = propertyOf(h, "PlotterUnits", Units::plotterUnitsPerInch).toDouble()
        * propertyOf(h, "ScaleFactor", 100).toDouble() / 100.0;
    QByteArray text = hpglText(doc, units);
    if (d->exportFilter)
        text = d->exportFilter(text);
    // As the real host: the whole export or, after its own error message,
    // none of it; a part would be cut as if it were the job.
    QFile f(h.file);
    errno = 0;
    const bool opened = f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (opened && f.write(text) == text.size() && f.flush()) {
        f.close();
        rec.shapesWritten = printedShapes(doc);
        QThread::msleep(ulong(d->fileDelayMs));
    } else {
        rec.failure = errno ? qt_error_string(errno) : f.errorString();
        f.close();
        if (opened)
            QFile::remove(h.file);
        qWarning("Simulated host: the export to %s failed: %s", qUtf8Printable(h.file),
            qUtf8Printable(rec.failure));
    }
    d->exports << rec;
}

QString SimHost::hpglOf(const Document &doc, double unitsPerInch) const
{
    return QString::fromLatin1(hpglText(doc, unitsPerInch));
}

void Server::publishPdf(Document &doc, const QString &file, const QList<PropertyWrite> &settings)
{
    PdfRecord rec;
    rec.file = file;
    rec.settings = settings;
    rec.layers = printedLayers(doc);
    if (!file.isEmpty()) {
        QPdfWriter writer(file);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(doc.pageSize, QPageSize::Inch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        if (p.begin(&writer)) {
            const QRect target = p.viewport();
            SimHost::instance().paintPage(p, doc, QRectF(target), true);
            rec.written = p.end();
        }
    }
    d->pdfs << rec;
}

void Server::printOut(Document &doc)
{
    PrintJob job;
    job.layers = printedLayers(doc);
    job.shapes = printedShapes(doc);
    d->printJobs << job;
}

void Server::importPicture(Handle &h, Document &doc)
{
    const Layer *l = doc.layerById(h.target);
    QThread::msleep(ulong(d->fileDelayMs));
    QImage img(h.file);
    d->imports << img;
    if (!l || img.isNull())
        return;
    double dpi = img.dotsPerMeterX() > 0 ? img.dotsPerMeterX() * 0.0254 : 96.0;
    const QSizeF size(img.width() / dpi, img.height() / dpi);
    const QPointF c(doc.pageSize.width() / 2, doc.pageSize.height() / 2);
    QPainterPath p;
    p.addRect(
        QRectF(c.x() - size.width() / 2, c.y() - size.height() / 2, size.width(), size.height()));
    Shape &s = newShape(doc, l->id, p, QStringLiteral("bitmap"));
    s.bitmap = img.convertToFormat(QImage::Format_ARGB32);
    s.outlineWidth = 0;
}

void Server::trace(Handle &h, Document &doc)
{
    Shape *src = doc.shape(h.target);
    if (!src)
        return;
    const QImage img = src->bitmap;
    const QRectF box = src->path.boundingRect();
    if (img.isNull() || box.isEmpty())
        return;
    // Dark opaque pixels become runs of filled rectangles in the bitmap's place.
    const double sx = box.width() / img.width(), sy = box.height() / img.height();
    QPainterPath traced;
    for (int y = 0; y < img.height(); ++y) {
        int x = 0;
        while (x < img.width()) {
            auto dark = [&](int px) {
                const QRgb c = img.pixel(px, y);
                return qAlpha(c) > 127 && qGray(c) < 128;
            };
            if (!dark(x)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < img.width() && dark(x))
                ++x;
            traced.addRect(
                QRectF(box.left() + start * sx, box.bottom() - (y + 1) * sy, (x - start) * sx, sy));
        }
    }
    const quint64 layer = src->layer;
    const quint64 srcId = src->id;
    const int pos = doc.shapes.indexOf(srcId);
    Shape &t = newShape(doc, layer, traced, QStringLiteral("curve"), pos + 1);
    t.filled = true;
    t.fill = Cmyk { 0, 0, 0, 100 };
    t.outlineWidth = 0;
    if (propertyOf(h, "DeleteOriginalObject", false).toBool())
        deleteShapes(doc, { srcId });
}

} // namespace simhost
