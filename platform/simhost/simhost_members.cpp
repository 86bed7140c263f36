// The members the simulated host answers, one row each: object kinds, the
// member text as the wrapper normalises it, and the handler. The table is
// both the host's list of known members and its dispatch; a member that is
// not in it is reported as an error. To add one, add a row in its kind's
// group. The handler runs only when the object's document (and layer, or
// shape) is still there; see Server::resolve.
#include "simhost_geometry.h"
#include "simhost_server.h"
#include "simwindow.h"

#include <QFont>
#include <QTransform>

#include <algorithm>

namespace simhost {

namespace {

const Kinds shapeSet = Kinds(Kind::Shape) | Kind::Range | Kind::Selection;

Cmyk cmykOf(const Invocation &c)
{
    return Cmyk { c.arg(0).toInt(), c.arg(1).toInt(), c.arg(2).toInt(), c.arg(3).toInt() };
}

// A range of the shapes with these ids, in this order.
QVariant range(Invocation &c, quint64 doc, const QList<quint64> &ids)
{
    Handle r;
    r.kind = Kind::Range;
    r.doc = doc;
    r.ids = ids;
    return c.host.object(r);
}

// Moves, scales or stretches the set's shapes.
void transform(Invocation &c, const QTransform &t)
{
    for (quint64 id : c.ids)
        if (Shape *s = c.doc->shape(id))
            s->path = t.map(s->path);
}

QVariant pageWidth(Invocation &c)
{
    return c.doc->pageSize.width();
}

// The collection is live: it holds the shapes made while it is in use.
Collection collection(const Invocation &c)
{
    return Collection(*c.doc, c.self.target);
}

QVariant shapesItem(Invocation &c)
{
    const quint64 id = collection(c).item(c.arg(0).toInt());
    return id ? c.host.object(Kind::Shape, c.doc->id, id) : QVariant();
}

// The colour of the fill (role 1) or the outline (role 2) of the same shapes.
QVariant colourObject(Invocation &c, int role)
{
    Handle colour = c.host.setHandle(Kind::Color, c.self);
    colour.colourRole = role;
    return c.host.object(colour);
}

QVariant publishToPdf(Invocation &c)
{
    Document &doc = *c.doc;
    // the settings written to this document's PDF settings object fetched last
    QList<PropertyWrite> settings;
    quint64 newest = 0;
    const auto &handles = c.host.d->handles;
    for (auto it = handles.cbegin(); it != handles.cend(); ++it)
        if (it->kind == Kind::PdfSettings && it->doc == doc.id && it.key() > newest) {
            newest = it.key();
            settings = it->props;
        }
    c.host.publishPdf(doc, c.arg(0).toString(), settings);
    return QVariant();
}

QVariant createArtisticText(Invocation &c)
{
    // x, y (baseline start), text, language, char set, font, size (points)
    QFont font(c.arg(5).toString());
    font.setPointSizeF(qMax(0.1, c.arg(6).toDouble()));
    QPainterPath glyphs;
    glyphs.addText(QPointF(0, 0), font, c.arg(2).toString());
    QTransform t;
    t.translate(c.arg(0).toDouble(), c.arg(1).toDouble());
    t.scale(1.0 / 72.0, -1.0 / 72.0);
    Shape &s = c.host.newShape(*c.doc, c.layer->id, t.map(glyphs), QStringLiteral("text"));
    s.filled = true;
    s.fill = Cmyk { 0, 0, 0, 100 };
    s.outlineWidth = 0;
    return c.host.object(Kind::Shape, c.doc->id, s.id);
}

QVariant deleteLayer(Invocation &c)
{
    Document &doc = *c.doc;
    const quint64 id = c.layer->id;
    deleteShapes(doc, shapesOnLayer(doc, id));
    doc.layers.erase(std::remove_if(doc.layers.begin(), doc.layers.end(),
                         [&](const Layer &x) { return x.id == id; }),
        doc.layers.end());
    if (doc.activeLayer == id)
        doc.activeLayer = doc.layers.empty() ? 0 : doc.layers.back().id;
    return QVariant();
}

QVariant combine(Invocation &c)
{
    Document &doc = *c.doc;
    const QList<quint64> &ids = c.ids;
    if (ids.size() < 2)
        return QVariant();
    Shape *first = doc.shape(ids[0]);
    QPainterPath all;
    for (quint64 id : ids)
        all.addPath(doc.shape(id)->path);
    first->path = all;
    first->kind = QStringLiteral("curve");
    deleteShapes(doc, ids.mid(1));
    doc.selection = { ids[0] };
    return QVariant();
}

QVariant breakApart(Invocation &c)
{
    Document &doc = *c.doc;
    QList<quint64> pieces;
    for (quint64 id : c.ids) {
        Shape *s = doc.shape(id);
        const QList<QPainterPath> parts = subpaths(s->path);
        if (parts.size() < 2) {
            pieces << id;
            continue;
        }
        s->path = parts[0];
        s->kind = QStringLiteral("curve");
        pieces << id;
        const Shape proto = *s;
        int pos = doc.shapes.indexOf(id);
        for (int i = 1; i < parts.size(); ++i) {
            Shape &n = c.host.newShape(doc, proto.layer, parts[i], proto.kind, ++pos);
            const quint64 nid = n.id;
            n = proto;
            n.id = nid;
            n.path = parts[i];
            pieces << nid;
        }
    }
    doc.selection = pieces;
    return QVariant();
}

QVariant createBoundary(Invocation &c)
{
    Document &doc = *c.doc;
    QList<const QPainterPath *> paths;
    for (quint64 id : c.ids)
        paths << &doc.shape(id)->path;
    Room room { pointLimit - doc.shapes.pointCount() };
    const QPainterPath area = unitedArea(paths, room);
    if (c.ids.isEmpty() || area.isEmpty() || !doc.layerById(doc.activeLayer))
        return QVariant();
    return c.host.object(Kind::Shape, doc.id,
        c.host.newShape(doc, doc.activeLayer, area, QStringLiteral("boundary")).id);
}

QVariant createContour(Invocation &c)
{
    Document &doc = *c.doc;
    const auto colourOf = [&](const QVariant &v, Cmyk fallback) {
        const auto &handles = c.host.d->handles;
        auto it = handles.constFind(v.value<ax::ObjectRef>().id);
        return it != handles.constEnd() && it->kind == Kind::Color && it->colourRole == 0
            ? it->cmyk
            : fallback;
    };
    for (quint64 id : c.ids) {
        const Shape src = *doc.shape(id);
        // like the real host, no contour of a picture or of nothing
        if (!src.bitmap.isNull() || src.path.isEmpty())
            continue;
        Room room { pointLimit - doc.shapes.pointCount() };
        const QPainterPath contour
            = offsetPath(src.path, c.arg(1).toDouble(), c.arg(0).toInt(), room);
        if (room.leftOut && contour.isEmpty())
            continue; // too large to make: as for a picture, no contour
        const int pos = doc.shapes.indexOf(id);
        Shape &n = c.host.newShape(doc, src.layer, contour, QStringLiteral("contour"), pos + 1);
        n.contourOf = id;
        n.outline = colourOf(c.arg(4), src.outline);
        n.filled = src.filled;
        n.fill = colourOf(c.arg(5), src.fill);
        n.outlineWidth = src.outlineWidth;
    }
    return QVariant();
}

QVariant moveToLayer(Invocation &c)
{
    Document &doc = *c.doc;
    const auto &handles = c.host.d->handles;
    auto it = handles.constFind(c.arg(0).value<ax::ObjectRef>().id);
    if (it == handles.constEnd() || it->kind != Kind::Layer || it->doc != doc.id
        || !doc.layerById(it->target)) {
        c.host.error(QStringLiteral("MoveToLayer(QVariant) without a layer of the document"));
        return QVariant();
    }
    for (quint64 id : c.ids)
        doc.shape(id)->layer = it->target;
    return QVariant();
}

QVariant setPosition(Invocation &c, int code, double x, double y)
{
    const QPointF ref = referencePoint(boundsOf(*c.doc, c.ids), code);
    transform(c, QTransform::fromTranslate(x - ref.x(), y - ref.y()));
    return QVariant();
}

QVariant setSize(Invocation &c)
{
    const QRectF box = boundsOf(*c.doc, c.ids);
    if (box.width() <= 0 || box.height() <= 0)
        return QVariant();
    const double cx = c.arg(0).toDouble(), cy = c.arg(1).toDouble();
    QTransform t;
    t.translate(cx, cy);
    t.scale(c.arg(2).toDouble() / box.width(), c.arg(3).toDouble() / box.height());
    t.translate(-cx, -cy);
    transform(c, t);
    return QVariant();
}

QVariant stretch(Invocation &c)
{
    const QPointF ref = referencePoint(boundsOf(*c.doc, c.ids), c.doc->referencePoint);
    const double f = c.arg(0).toDouble();
    QTransform t;
    t.translate(ref.x(), ref.y());
    t.scale(f, f);
    t.translate(-ref.x(), -ref.y());
    transform(c, t);
    return QVariant();
}

QVariant assignCmyk(Invocation &c)
{
    const Cmyk cmyk = cmykOf(c);
    if (c.self.colourRole == 0) {
        c.self.cmyk = cmyk; // a standalone colour, for later calls to use
        return QVariant();
    }
    for (quint64 id : c.ids) {
        Shape *s = c.doc->shape(id);
        if (c.self.colourRole == 1) {
            s->filled = true;
            s->fill = cmyk;
        } else {
            s->outline = cmyk;
        }
    }
    return QVariant();
}

QVariant finishFilter(Invocation &c)
{
    switch (c.self.kind) {
    case Kind::ExportFilter:
        c.host.exportHpgl(c.self, *c.doc);
        break;
    case Kind::ImportFilter:
        c.host.importPicture(c.self, *c.doc);
        break;
    case Kind::TraceFilter:
        c.host.trace(c.self, *c.doc);
        break;
    default:
        break;
    }
    return QVariant();
}

const Member table[] = {
    // ---- application
    { Kind::App, "ActiveDocument()",
        [](Invocation &c) {
            return c.doc ? c.host.object(Kind::Document, c.doc->id) : QVariant();
        } },
    { Kind::App, "CreateDocument()",
        [](Invocation &c) {
            return c.host.object(Kind::Document, SimHost::instance().createDocument().id);
        } },
    { Kind::App, "ActiveSelection()",
        [](Invocation &c) {
            return c.doc ? c.host.object(Kind::Selection, c.doc->id) : QVariant();
        } },
    { Kind::App, "ActiveSelectionRange()",
        [](Invocation &c) { return c.doc ? range(c, c.doc->id, c.doc->selection) : QVariant(); } },
    { Kind::App, "CreateCMYKColor(int,int,int,int)",
        [](Invocation &c) {
            Handle colour;
            colour.kind = Kind::Color;
            colour.cmyk = cmykOf(c);
            return c.host.object(colour);
        } },
    { Kind::App, "CreateStructImportOptions()",
        [](Invocation &c) { return c.host.object(Kind::ImportOptions, 0); } },
    { Kind::App, "CreateStructExportOptions()",
        [](Invocation &c) { return c.host.object(Kind::ExportOptions, 0); } },
    { Kind::App, "CreateStructPaletteOptions()",
        [](Invocation &c) { return c.host.object(Kind::PaletteOptions, 0); } },
    { Kind::App, "Windows()", [](Invocation &c) { return c.host.object(Kind::Windows, 0); } },
    { Kind::App, "SetVisible(bool)",
        [](Invocation &c) {
            c.host.d->visible = c.arg(0).toBool();
            SimWindow::setShown(c.host.d, c.host.d->visible);
            return QVariant();
        } },
    { Kind::App, "SetOptimization(bool)",
        [](Invocation &c) {
            c.host.d->optimization = c.arg(0).toBool();
            return QVariant();
        } },
    { Kinds(Kind::App) | Kind::Windows, "Refresh()",
        [](Invocation &c) {
            c.host.refreshWindow();
            return QVariant();
        } },

    // ---- document
    { Kind::Document, "ActivePage()",
        [](Invocation &c) { return c.host.object(Kind::Page, c.doc->id); } },
    { Kind::Document, "ActiveLayer()",
        [](Invocation &c) {
            Document &doc = *c.doc;
            return doc.layerById(doc.activeLayer)
                ? c.host.object(Kind::Layer, doc.id, doc.activeLayer)
                : QVariant();
        } },
    { Kind::Document, "ExportEx(QString,enum,enum,QVariant,QVariant)",
        [](Invocation &c) {
            Handle f;
            f.kind = Kind::ExportFilter;
            f.doc = c.doc->id;
            f.file = c.arg(0).toString();
            f.filter = c.arg(1).toInt();
            return c.host.object(f);
        } },
    { Kind::Document, "PDFSettings()",
        [](Invocation &c) { return c.host.object(Kind::PdfSettings, c.doc->id); } },
    { Kind::Document, "PrintSettings()",
        [](Invocation &c) { return c.host.object(Kind::PrintSettings, c.doc->id); } },
    { Kind::Document, "SetReferencePoint(enum)",
        [](Invocation &c) {
            c.doc->referencePoint = c.arg(0).toInt();
            return QVariant();
        } },
    { Kind::Document, "PublishToPDF(QString)", publishToPdf },
    { Kind::Document, "ClearSelection()",
        [](Invocation &c) {
            c.doc->selection.clear();
            return QVariant();
        } },

    // ---- page
    { Kind::Page, "Layers()",
        [](Invocation &c) { return c.host.object(Kind::Layers, c.doc->id); } },
    { Kind::Page, "SelectableShapes()",
        [](Invocation &c) { return c.host.object(Kind::Shapes, c.doc->id, 0); } },
    { Kind::Page, "CreateLayer(QString)",
        [](Invocation &c) {
            Layer &l = SimHost::instance().addLayer(*c.doc, c.arg(0).toString());
            c.doc->activeLayer = l.id;
            return c.host.object(Kind::Layer, c.doc->id, l.id);
        } },
    { Kind::Page, "SizeWidth()", pageWidth },
    { Kind::Page, "SizeWidth", pageWidth }, // read as a property, without parentheses
    { Kind::Page, "SizeHeight()",
        [](Invocation &c) { return QVariant(c.doc->pageSize.height()); } },

    // ---- layers
    { Kind::Layers, "Count()", [](Invocation &c) { return QVariant(int(c.doc->layers.size())); } },
    { Kind::Layers, "Item(int)",
        [](Invocation &c) {
            const int i = c.arg(0).toInt();
            if (i < 1 || i > int(c.doc->layers.size()))
                return QVariant();
            return c.host.object(Kind::Layer, c.doc->id, c.doc->layers[size_t(i - 1)].id);
        } },
    { Kind::Layers, "Find(QString)",
        [](Invocation &c) {
            Layer *l = c.doc->layer(c.arg(0).toString());
            return l ? c.host.object(Kind::Layer, c.doc->id, l->id) : QVariant();
        } },

    // ---- layer
    { Kind::Layer, "Name()", [](Invocation &c) { return QVariant(c.layer->name); } },
    { Kind::Layer, "Activate()",
        [](Invocation &c) {
            c.doc->activeLayer = c.layer->id;
            return QVariant();
        } },
    { Kind::Layer, "SetEditable(bool)",
        [](Invocation &c) {
            c.layer->editable = c.arg(0).toBool();
            return QVariant();
        } },
    { Kind::Layer, "SetPrintable(bool)",
        [](Invocation &c) {
            c.layer->printable = c.arg(0).toBool();
            return QVariant();
        } },
    { Kind::Layer, "SetVisible(bool)",
        [](Invocation &c) {
            c.layer->visible = c.arg(0).toBool();
            return QVariant();
        } },
    { Kind::Layer, "Printable()", [](Invocation &c) { return QVariant(c.layer->printable); } },
    { Kind::Layer, "Delete()", deleteLayer },
    { Kind::Layer, "Shapes()",
        [](Invocation &c) { return c.host.object(Kind::Shapes, c.doc->id, c.layer->id); } },
    { Kind::Layer, "CreateLineSegment(double,double,double,double)",
        [](Invocation &c) {
            QPainterPath p;
            p.moveTo(c.arg(0).toDouble(), c.arg(1).toDouble());
            p.lineTo(c.arg(2).toDouble(), c.arg(3).toDouble());
            return c.host.object(Kind::Shape, c.doc->id,
                c.host.newShape(*c.doc, c.layer->id, p, QStringLiteral("line")).id);
        } },
    { Kind::Layer, "CreateEllipse2(double,double,double)",
        [](Invocation &c) {
            const double r = c.arg(2).toDouble();
            QPainterPath p;
            p.addEllipse(QPointF(c.arg(0).toDouble(), c.arg(1).toDouble()), r, r);
            return c.host.object(Kind::Shape, c.doc->id,
                c.host.newShape(*c.doc, c.layer->id, p, QStringLiteral("ellipse")).id);
        } },
    { Kind::Layer, "CreateRectangle(double,double,double,double)",
        [](Invocation &c) {
            // left, top, right, bottom
            QPainterPath p;
            p.addRect(QRectF(QPointF(c.arg(0).toDouble(), c.arg(1).toDouble()),
                QPointF(c.arg(2).toDouble(), c.arg(3).toDouble()))
                          .normalized());
            return c.host.object(Kind::Shape, c.doc->id,
                c.host.newShape(*c.doc, c.layer->id, p, QStringLiteral("rectangle")).id);
        } },
    { Kind::Layer, "ImportEx(QString,enum,QVariant)",
        [](Invocation &c) {
            Handle f;
            f.kind = Kind::ImportFilter;
            f.doc = c.doc->id;
            f.target = c.layer->id;
            f.file = c.arg(0).toString();
            f.filter = c.arg(1).toInt();
            return c.host.object(f);
        } },
    { Kind::Layer,
        "CreateArtisticText(double,double,QString,enum,enum,QString,double,enum,enum,enum,enum)",
        createArtisticText },

    // ---- shape collections
    { Kind::Shapes, "Count()", [](Invocation &c) { return QVariant(collection(c).count()); } },
    { Kind::Shapes, "Item(int)", shapesItem },
    { Kind::Shapes, "Item(QVariant)", shapesItem },
    { Kind::Shapes, "All()",
        [](Invocation &c) { return range(c, c.doc->id, collection(c).ids()); } },

    // ---- a shape, a range and the selection (c.ids: their live shapes)
    { shapeSet, "Fill()",
        [](Invocation &c) { return c.host.object(c.host.setHandle(Kind::Fill, c.self)); } },
    { shapeSet, "Outline()",
        [](Invocation &c) { return c.host.object(c.host.setHandle(Kind::Outline, c.self)); } },
    { shapeSet, "Bitmap()",
        [](Invocation &c) {
            if (c.ids.size() != 1 || c.doc->shape(c.ids[0])->kind != QLatin1String("bitmap"))
                return QVariant();
            return c.host.object(Kind::Bitmap, c.doc->id, c.ids[0]);
        } },
    { shapeSet, "AddToSelection()",
        [](Invocation &c) {
            QList<quint64> &selection = c.doc->selection;
            QSet<quint64> in(selection.begin(), selection.end());
            for (quint64 id : qAsConst(c.ids))
                if (!in.contains(id)) {
                    selection << id;
                    in.insert(id);
                }
            return QVariant();
        } },
    { shapeSet, "Delete()",
        [](Invocation &c) {
            deleteShapes(*c.doc, c.ids);
            return QVariant();
        } },
    { shapeSet, "Combine()", combine },
    { shapeSet, "BreakApartEx()", breakApart },
    { shapeSet, "CreateBoundary(double,double,bool,bool)", createBoundary },
    { shapeSet, "CreateContour(enum,double,int,enum,QVariant,QVariant,QVariant)", createContour },
    { shapeSet, "Separate()",
        [](Invocation &c) {
            for (quint64 id : qAsConst(c.ids))
                c.doc->shape(id)->contourOf = 0;
            return QVariant();
        } },
    { shapeSet, "MoveToLayer(QVariant)", moveToLayer },
    { shapeSet, "CenterX()",
        [](Invocation &c) { return QVariant(boundsOf(*c.doc, c.ids).center().x()); } },
    { shapeSet, "CenterY()",
        [](Invocation &c) { return QVariant(boundsOf(*c.doc, c.ids).center().y()); } },
    { shapeSet, "PositionX()",
        [](Invocation &c) { return QVariant(boundsOf(*c.doc, c.ids).left()); } },
    // the top edge: y is up
    { shapeSet, "PositionY()",
        [](Invocation &c) { return QVariant(boundsOf(*c.doc, c.ids).bottom()); } },
    { shapeSet, "SizeWidth()",
        [](Invocation &c) { return QVariant(boundsOf(*c.doc, c.ids).width()); } },
    { shapeSet, "SizeHeight()",
        [](Invocation &c) { return QVariant(boundsOf(*c.doc, c.ids).height()); } },
    { shapeSet, "SetPosition(double,double)",
        [](Invocation &c) { return setPosition(c, 3, c.arg(0).toDouble(), c.arg(1).toDouble()); } },
    { shapeSet, "SetPositionEx(enum,double,double)",
        [](Invocation &c) {
            return setPosition(c, c.arg(0).toInt(), c.arg(1).toDouble(), c.arg(2).toDouble());
        } },
    { shapeSet, "SetSizeEx(double,double,double,double)", setSize },
    { shapeSet, "Stretch(double)", stretch },

    // ---- fill, outline and colours
    { Kind::Fill, "ApplyNoFill()",
        [](Invocation &c) {
            for (quint64 id : qAsConst(c.ids))
                c.doc->shape(id)->filled = false;
            return QVariant();
        } },
    { Kind::Fill, "UniformColor()", [](Invocation &c) { return colourObject(c, 1); } },
    { Kind::Outline, "SetWidth(double)",
        [](Invocation &c) {
            for (quint64 id : qAsConst(c.ids))
                c.doc->shape(id)->outlineWidth = qMax(0.0, c.arg(0).toDouble());
            return QVariant();
        } },
    { Kind::Outline, "Color()", [](Invocation &c) { return colourObject(c, 2); } },
    { Kind::Color, "CMYKAssign(int,int,int,int)", assignCmyk },

    // ---- filters, printing
    { Kind::Bitmap, "Trace(enum)",
        [](Invocation &c) {
            if (!c.doc->shape(c.self.target))
                return QVariant();
            Handle t;
            t.kind = Kind::TraceFilter;
            t.doc = c.doc->id;
            t.target = c.self.target;
            t.filter = c.arg(0).toInt();
            return c.host.object(t);
        } },
    { Kinds(Kind::ExportFilter) | Kind::ImportFilter | Kind::TraceFilter, "Finish()",
        finishFilter },
    { Kind::PrintSettings, "ShowDialog()",
        [](Invocation &c) { return QVariant(c.host.d->printAnswer); } },
    { Kind::PrintSettings, "PrintOut()",
        [](Invocation &c) {
            c.host.printOut(*c.doc);
            return QVariant();
        } },
};

template <typename T> using ByKind = QHash<Kind, QHash<QByteArray, T>>;

} // namespace

const Member *findMember(Kind kind, const QByteArray &text)
{
    static const ByKind<const Member *> index = [] {
        ByKind<const Member *> t;
        for (const Member &m : table)
            for (int k = 0; k < Kinds::limit; ++k)
                if (m.kinds.has(Kind(k)))
                    t[Kind(k)].insert(m.text, &m);
        return t;
    }();
    return index.value(kind).value(text);
}

} // namespace simhost
