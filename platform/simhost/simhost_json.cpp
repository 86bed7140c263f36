// The start document: a small JSON description of one page, read when the
// simulated host starts (environment variable VEMO_SIMHOST_DOCUMENT).
//
// {
//   "page": { "width": 210, "height": 297 },          millimetres
//   "activeLayer": "Artwork",
//   "layers": [ { "name": "Artwork", "visible": true, "printable": true,
//                 "editable": true, "shapes": [ shape, ... ] } ]
// }
// shape: { "type": "rectangle", "x": .., "y": .., "width": .., "height": .. }
//        { "type": "ellipse", "cx": .., "cy": .., "rx": .., "ry": .. }
//        { "type": "polygon" | "polyline", "points": [[x, y], ...] }
//        { "type": "text", "x": .., "y": .., "text": "..", "size": points }
// with optional "fill": [c, m, y, k], "outline": [c, m, y, k],
// "outlineWidth" (mm, 0 for none) and "dashed": true. Coordinates are
// millimetres from the page's bottom-left corner, y up. A text of more than
// 10,000 characters, and shapes past what a document holds, are left out,
// with a message on stderr.
#include "process.h"
#include "simhost_p.h"
#include "simwindow.h"

#include <QApplication>

#include <QFile>
#include <QFont>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QTransform>

namespace simhost {

namespace {

constexpr double mm = 1.0 / Units::mmPerInch;

bool readCmyk(const QJsonValue &v, Cmyk *out)
{
    const QJsonArray a = v.toArray();
    if (a.size() != 4)
        return false;
    *out = Cmyk { a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt() };
    return true;
}

bool readShape(const QJsonObject &o, QPainterPath *path, QString *kind, QString *error)
{
    const QString type = o.value(QStringLiteral("type")).toString();
    auto num = [&](const char *key) { return o.value(QLatin1String(key)).toDouble() * mm; };
    if (type == QLatin1String("rectangle")) {
        path->addRect(QRectF(num("x"), num("y"), num("width"), num("height")).normalized());
    } else if (type == QLatin1String("ellipse")) {
        const double rx = num("rx");
        const double ry = o.contains(QStringLiteral("ry")) ? num("ry") : rx;
        path->addEllipse(QPointF(num("cx"), num("cy")), rx, ry);
    } else if (type == QLatin1String("polygon") || type == QLatin1String("polyline")) {
        const QJsonArray pts = o.value(QStringLiteral("points")).toArray();
        if (pts.size() < 2) {
            *error = QStringLiteral("a %1 needs two points or more").arg(type);
            return false;
        }
        for (int i = 0; i < pts.size(); ++i) {
            const QJsonArray p = pts[i].toArray();
            const QPointF pt(p.at(0).toDouble() * mm, p.at(1).toDouble() * mm);
            i == 0 ? path->moveTo(pt) : path->lineTo(pt);
        }
        if (type == QLatin1String("polygon"))
            path->closeSubpath();
    } else if (type == QLatin1String("text")) {
        QFont font(o.value(QStringLiteral("font")).toString(QStringLiteral("Sans")));
        font.setPointSizeF(o.value(QStringLiteral("size")).toDouble(24));
        QPainterPath glyphs;
        glyphs.addText(QPointF(0, 0), font, o.value(QStringLiteral("text")).toString());
        QTransform t;
        t.translate(num("x"), num("y"));
        t.scale(1.0 / 72.0, -1.0 / 72.0);
        *path = t.map(glyphs);
    } else {
        *error = QStringLiteral("unknown shape type \"%1\"").arg(type);
        return false;
    }
    *kind = type == QLatin1String("polygon") || type == QLatin1String("polyline")
        ? QStringLiteral("curve")
        : type;
    return true;
}

// Why the shape is too large to build with `room` path elements left, or
// nothing: a text is laid out glyph by glyph, and a million characters take
// gigabytes before anything could count them.
QString tooLarge(const QJsonObject &o, qint64 room)
{
    constexpr int textLimit = 10000;
    const QString type = o.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("text")) {
        const int n = o.value(QStringLiteral("text")).toString().size();
        if (n > textLimit)
            return QStringLiteral("a text of %1 characters, more than %2").arg(n).arg(textLimit);
    } else if (type == QLatin1String("polygon") || type == QLatin1String("polyline")) {
        const int n = o.value(QStringLiteral("points")).toArray().size();
        if (n > room)
            return QStringLiteral("a %1 of %2 points, more than the document has room for")
                .arg(type)
                .arg(n);
    }
    return QString();
}

} // namespace

bool SimHost::loadDocument(const QString &jsonPath, QString *error)
{
    QFile f(jsonPath);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return loadDocumentJson(f.readAll(), error);
}

bool SimHost::loadDocumentJson(const QByteArray &json, QString *error)
{
    QString dummy;
    QString &err = error ? *error : dummy;
    QJsonParseError pe;
    const QJsonDocument jd = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError) {
        err = QStringLiteral("malformed JSON at byte %1: %2").arg(pe.offset).arg(pe.errorString());
        return false;
    }
    if (!jd.isObject()) {
        err = QStringLiteral("the document is not a JSON object");
        return false;
    }
    const QJsonObject root = jd.object();

    // Build aside and add only when the whole file reads.
    Document doc;
    const QJsonObject page = root.value(QStringLiteral("page")).toObject();
    const double w = page.value(QStringLiteral("width")).toDouble(210);
    const double h = page.value(QStringLiteral("height")).toDouble(297);
    if (!(w > 0 && h > 0 && w < 100000 && h < 100000)) {
        err = QStringLiteral("page size out of range");
        return false;
    }
    doc.pageSize = QSizeF(w * mm, h * mm);
    // Shapes too large for the host are left out, the first few named.
    qint64 points = 0;
    int leftOut = 0;
    const auto leaveOut = [&](const QString &layer, int shape, const QString &why) {
        if (++leftOut <= 5)
            qWarning("simulated host: start document: shape %d of layer \"%s\" left out: %s", shape,
                qPrintable(layer), qPrintable(why));
    };
    const QJsonArray layers = root.value(QStringLiteral("layers")).toArray();
    for (const QJsonValue &lv : layers) {
        const QJsonObject lo = lv.toObject();
        Layer l;
        l.id = d->newId();
        l.name = lo.value(QStringLiteral("name")).toString();
        l.visible = lo.value(QStringLiteral("visible")).toBool(true);
        l.printable = lo.value(QStringLiteral("printable")).toBool(true);
        l.editable = lo.value(QStringLiteral("editable")).toBool(true);
        doc.layers.push_back(l);
        const QJsonArray shapes = lo.value(QStringLiteral("shapes")).toArray();
        for (int i = 0; i < shapes.size(); ++i) {
            const QJsonObject so = shapes[i].toObject();
            const QString why = tooLarge(so, pointLimit - points);
            if (!why.isEmpty()) {
                leaveOut(l.name, i + 1, why);
                continue;
            }
            Shape s;
            s.layer = l.id;
            if (!readShape(so, &s.path, &s.kind, &err))
                return false;
            if (points + s.path.elementCount() > pointLimit) {
                leaveOut(l.name, i + 1,
                    QStringLiteral("%1 path elements, more than the document has room for")
                        .arg(s.path.elementCount()));
                continue;
            }
            points += s.path.elementCount();
            s.id = d->newId();
            s.filled = readCmyk(so.value(QStringLiteral("fill")), &s.fill);
            readCmyk(so.value(QStringLiteral("outline")), &s.outline);
            if (so.contains(QStringLiteral("outlineWidth")))
                s.outlineWidth
                    = qMax(0.0, so.value(QStringLiteral("outlineWidth")).toDouble()) * mm;
            s.dashed = so.value(QStringLiteral("dashed")).toBool(false);
            doc.shapes.push_back(s);
        }
    }
    if (leftOut > 5)
        qWarning("simulated host: start document: %d more shapes left out", leftOut - 5);
    if (doc.layers.empty()) {
        Layer l;
        l.id = d->newId();
        l.name = QStringLiteral("Layer 1");
        doc.layers.push_back(l);
    }
    const QString active = root.value(QStringLiteral("activeLayer")).toString();
    doc.activeLayer = doc.layers.front().id;
    if (Layer *l = doc.layer(active))
        doc.activeLayer = l->id;

    auto stored = std::make_unique<Document>(std::move(doc));
    stored->id = d->newId();
    d->activeDoc = stored->id;
    d->documents.push_back(std::move(stored));
    return true;
}

void SimHost::loadStartDocument()
{
    if (d->startDocumentLoaded)
        return;
    d->startDocumentLoaded = true;
    const QString file = qEnvironmentVariable("VEMO_SIMHOST_DOCUMENT");
    if (file.isEmpty())
        return;
    QString err;
    if (!loadDocument(file, &err))
        qWarning("simulated host: cannot load the start document %s: %s; starting without one",
            qPrintable(file), qPrintable(err));
}

void SimHost::start()
{
    static const bool handing = (addRestartHandover([] { instance().handOver(); }), true);
    Q_UNUSED(handing);
    if (takeOver())
        d->startDocumentLoaded = true;
    else if (qEnvironmentVariableIsEmpty("VEMO_SIMHOST_DOCUMENT"))
        return;
    else
        loadStartDocument();
    // Widgets only once the application is whole: this may run while it is
    // still being built.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QTimer::singleShot(0, QCoreApplication::instance(), [this] {
            d->visible = true;
            SimWindow::setShown(d.get(), true);
        });
}

} // namespace simhost
