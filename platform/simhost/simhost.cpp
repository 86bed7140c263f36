#include "simhost_p.h"
#include "simwindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPdfWriter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace simhost {

QColor Cmyk::toColor() const
{
    auto f = [](int v) { return qBound(0, v, 100) / 100.0; };
    return QColor::fromCmykF(f(c), f(m), f(y), f(k));
}

QString kindName(Kind k)
{
    switch (k) {
    case Kind::App: return QStringLiteral("Application");
    case Kind::Document: return QStringLiteral("Document");
    case Kind::Page: return QStringLiteral("Page");
    case Kind::Layers: return QStringLiteral("Layers");
    case Kind::Layer: return QStringLiteral("Layer");
    case Kind::Shapes: return QStringLiteral("Shapes");
    case Kind::Shape: return QStringLiteral("Shape");
    case Kind::Range: return QStringLiteral("ShapeRange");
    case Kind::Selection: return QStringLiteral("Selection");
    case Kind::Fill: return QStringLiteral("Fill");
    case Kind::Outline: return QStringLiteral("Outline");
    case Kind::Color: return QStringLiteral("Color");
    case Kind::Bitmap: return QStringLiteral("Bitmap");
    case Kind::ExportFilter: return QStringLiteral("ExportFilter");
    case Kind::ImportFilter: return QStringLiteral("ImportFilter");
    case Kind::TraceFilter: return QStringLiteral("TraceFilter");
    case Kind::ImportOptions: return QStringLiteral("ImportOptions");
    case Kind::ExportOptions: return QStringLiteral("ExportOptions");
    case Kind::PaletteOptions: return QStringLiteral("PaletteOptions");
    case Kind::PdfSettings: return QStringLiteral("PdfSettings");
    case Kind::PrintSettings: return QStringLiteral("PrintSettings");
    case Kind::Windows: return QStringLiteral("Windows");
    }
    return QString();
}

// ---------------------------------------------------------------- document

Layer *Document::layer(const QString &name)
{
    for (Layer &l : layers)
        if (l.name == name)
            return &l;
    return nullptr;
}

Layer *Document::layerById(quint64 id)
{
    for (Layer &l : layers)
        if (l.id == id)
            return &l;
    return nullptr;
}

Shape *Document::shape(quint64 id)
{
    for (Shape &s : shapes)
        if (s.id == id)
            return &s;
    return nullptr;
}

QList<const Shape *> Document::shapesOn(const QString &layerName) const
{
    QList<const Shape *> out;
    quint64 lid = 0;
    for (const Layer &l : layers)
        if (l.name == layerName) {
            lid = l.id;
            break;
        }
    for (const Shape &s : shapes)
        if (lid && s.layer == lid)
            out << &s;
    return out;
}

QString Document::activeLayerName() const
{
    for (const Layer &l : layers)
        if (l.id == activeLayer)
            return l.name;
    return QString();
}

Document *SimHost::Private::doc(quint64 id)
{
    for (auto &d : documents)
        if (d->id == id)
            return d.get();
    return nullptr;
}

quint64 SimHost::Private::addHandle(const Handle &h)
{
    const quint64 id = newId();
    handles.insert(id, h);
    return id;
}

// ---------------------------------------------------------------- geometry

namespace {

QRectF boundsOf(const Document &doc, const QList<quint64> &ids)
{
    QRectF r;
    bool any = false;
    for (quint64 id : ids)
        for (const Shape &s : doc.shapes)
            if (s.id == id) {
                const QRectF b = s.path.boundingRect();
                r = any ? r.united(b) : b;
                any = true;
            }
    return r;
}

// Reference point codes: 1 top right, 2 top middle, 3 top left, 4 middle
// left, 5 bottom left, 6 bottom middle, 7 bottom right, 8 middle right,
// 9 centre. y is up, so "top" is the rectangle's larger y.
QPointF referencePoint(const QRectF &r, int code)
{
    const double l = r.left(), rt = r.right(), b = r.top(), t = r.bottom();
    const double cx = r.center().x(), cy = r.center().y();
    switch (code) {
    case 1: return {rt, t};
    case 2: return {cx, t};
    case 3: return {l, t};
    case 4: return {l, cy};
    case 5: return {l, b};
    case 6: return {cx, b};
    case 7: return {rt, b};
    case 8: return {rt, cy};
    default: return {cx, cy};
    }
}

QList<QPainterPath> subpaths(const QPainterPath &path)
{
    QList<QPainterPath> out;
    QPainterPath cur;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            if (cur.elementCount() > 1)
                out << cur;
            cur = QPainterPath();
            cur.moveTo(e);
        } else if (e.isLineTo()) {
            cur.lineTo(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            cur.cubicTo(e, path.elementAt(i + 1), path.elementAt(i + 2));
            i += 2;
        }
    }
    if (cur.elementCount() > 1)
        out << cur;
    return out;
}

// Qt's path operations flatten curves to a tolerance in path units; in
// inches that would turn a 5 mm circle into an octagon, so they work on a
// finely scaled copy.
constexpr double fine = 20000.0;

QPainterPath toFine(const QPainterPath &p)
{
    // Flattened here, finely: the path operations would flatten each curve
    // into a fixed number of pieces whatever its size.
    QPainterPath out;
    out.setFillRule(p.fillRule());
    for (const QPolygonF &poly : QTransform::fromScale(fine, fine).map(p).toSubpathPolygons())
        out.addPolygon(poly);
    return out;
}

QPainterPath fromFine(const QPainterPath &p)
{
    return QTransform::fromScale(1 / fine, 1 / fine).map(p);
}

QPainterPath offsetPath(const QPainterPath &src, double offset, int direction)
{
    // A contour a fraction of a micrometre away is the outline itself.
    if (std::abs(offset) < 1e-4)
        return fromFine(toFine(src).simplified());
    QPainterPathStroker stroker;
    stroker.setWidth(2 * std::abs(offset) * fine);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath fineSrc = toFine(src);
    const QPainterPath band = stroker.createStroke(fineSrc);
    if (direction == 2)
        return fromFine(fineSrc.united(band).simplified());
    return fromFine(fineSrc.subtracted(band).simplified());
}

int declaredCount(const QByteArray &member)
{
    return ax::parameterTypes(member).size();
}

} // namespace

// ---------------------------------------------------------------- server

class Server : public ax::Server
{
public:
    explicit Server(SimHost::Private *d) : d(d) {}

    quint64 createInstance(const QString &progId) override;
    QVariant invoke(quint64 object, const QByteArray &member, const QVariantList &args) override;
    void writeProperty(quint64 object, const QByteArray &name, const QVariant &value) override;
    void release(quint64 object) override { d->handles.remove(object); }

    SimHost::Private *d;

private:
    QVariant object(Kind kind, quint64 doc, quint64 target = 0);
    QVariant objectFor(const QByteArray &member, Handle h);
    QVariant dispatch(Handle &h, const QByteArray &m, const QVariantList &a);
    void error(const QString &text) { d->errors << text; }

    // shape sets
    QList<quint64> members(const Handle &h, Document &doc);
    Handle setHandle(Kind kind, const Handle &from);
    void select(Document &doc, const QList<quint64> &ids) { doc.selection = ids; }
    Shape &newShape(Document &doc, quint64 layer, const QPainterPath &path, const QString &kind,
                    int position = -1);
    void deleteShapes(Document &doc, const QList<quint64> &ids);
    QList<quint64> selectable(Document &doc);
    QList<quint64> onLayer(Document &doc, quint64 layer);
    void refreshWindow();

    QVariant app(Handle &h, const QByteArray &m, const QVariantList &a);
    QVariant document(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a);
    QVariant page(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a);
    QVariant layers(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a);
    QVariant layer(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a);
    QVariant shapes(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a);
    QVariant shapeSet(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a);
    QVariant style(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a);
    QVariant filter(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a);

    void exportHpgl(Handle &h, Document &doc);
    void publishPdf(Document &doc, const QString &file, const QList<PropertyWrite> &settings);
    void importPicture(Handle &h, Document &doc);
    void trace(Handle &h, Document &doc);
};

// Members the host knows, by object kind. Anything else is an error.
static const QHash<Kind, QSet<QByteArray>> &knownMembers()
{
    static const QHash<Kind, QSet<QByteArray>> table = [] {
        const QSet<QByteArray> shapeMembers = {
            "Fill()", "Outline()", "CreateBoundary(double,double,bool,bool)", "Bitmap()",
            "AddToSelection()", "Combine()", "BreakApartEx()", "Delete()",
            "CreateContour(enum,double,int,enum,QVariant,QVariant,QVariant)", "Separate()",
            "MoveToLayer(QVariant)", "CenterX()", "CenterY()", "PositionX()", "PositionY()",
            "SizeWidth()", "SizeHeight()", "SetPosition(double,double)",
            "SetPositionEx(enum,double,double)", "SetSizeEx(double,double,double,double)",
            "Stretch(double)"};
        QHash<Kind, QSet<QByteArray>> t;
        t[Kind::App] = {"ActiveDocument()", "CreateDocument()", "ActiveSelection()",
                        "ActiveSelectionRange()", "CreateCMYKColor(int,int,int,int)",
                        "CreateStructImportOptions()", "Windows()", "SetVisible(bool)",
                        "SetOptimization(bool)", "Refresh()", "CreateStructExportOptions()",
                        "CreateStructPaletteOptions()"};
        t[Kind::Document] = {"ActivePage()", "ActiveLayer()",
                             "ExportEx(QString,enum,enum,QVariant,QVariant)", "PDFSettings()",
                             "PrintSettings()", "SetReferencePoint(enum)",
                             "PublishToPDF(QString)", "ClearSelection()"};
        t[Kind::Page] = {"Layers()", "SelectableShapes()", "CreateLayer(QString)", "SizeWidth()",
                         "SizeHeight()", "SizeWidth"};
        t[Kind::Layers] = {"Count()", "Item(int)", "Find(QString)"};
        t[Kind::Layer] = {"Name()", "Activate()", "SetEditable(bool)", "SetPrintable(bool)",
                          "SetVisible(bool)", "Printable()", "Delete()", "Shapes()",
                          "CreateLineSegment(double,double,double,double)",
                          "CreateEllipse2(double,double,double)",
                          "CreateRectangle(double,double,double,double)",
                          "ImportEx(QString,enum,QVariant)",
                          "CreateArtisticText(double,double,QString,enum,enum,QString,double,"
                          "enum,enum,enum,enum)"};
        t[Kind::Shapes] = {"Count()", "Item(int)", "Item(QVariant)", "All()"};
        t[Kind::Shape] = shapeMembers;
        t[Kind::Range] = shapeMembers;
        t[Kind::Selection] = shapeMembers;
        t[Kind::Fill] = {"ApplyNoFill()", "UniformColor()"};
        t[Kind::Outline] = {"SetWidth(double)", "Color()"};
        t[Kind::Color] = {"CMYKAssign(int,int,int,int)"};
        t[Kind::Bitmap] = {"Trace(enum)"};
        t[Kind::ExportFilter] = {"Finish()"};
        t[Kind::ImportFilter] = {"Finish()"};
        t[Kind::TraceFilter] = {"Finish()"};
        t[Kind::PrintSettings] = {"ShowDialog()", "PrintOut()"};
        t[Kind::Windows] = {"Refresh()"};
        return t;
    }();
    return table;
}

// Properties that the host's option objects take.
static const QHash<Kind, QSet<QByteArray>> &knownProperties()
{
    static const QHash<Kind, QSet<QByteArray>> table = [] {
        QHash<Kind, QSet<QByteArray>> t;
        t[Kind::ExportFilter] = {"PenLibIndex", "FitToPage", "ScaleFactor", "PageWidth",
                                 "PageHeight", "FillType", "FillSpacing", "FillAngle",
                                 "HatchAngle", "CurveResolution", "RemoveHiddenLines",
                                 "AutomaticWeld", "ExcludeWVC", "PlotterUnits", "PlotterOrigin"};
        t[Kind::ImportOptions] = {"Mode", "MaintainLayers"};
        t[Kind::TraceFilter] = {"DeleteOriginalObject", "RemoveBackground"};
        t[Kind::PdfSettings] = {
            "PublishRange", "PageRange", "Author", "Subject", "Keywords", "BitmapCompression",
            "JPEGQualityFactor", "TextAsCurves", "EmbedFonts", "EmbedBaseFonts",
            "TrueTypeToType1", "SubsetFonts", "SubsetPct", "CompressText", "Encoding",
            "DownsampleColor", "DownsampleGray", "DownsampleMono", "ColorResolution",
            "MonoResolution", "GrayResolution", "Hyperlinks", "Bookmarks", "Thumbnails",
            "Startup", "ComplexFillsAsBitmaps", "Overprints", "Halftones", "MaintainOPILinks",
            "FountainSteps", "EPSAs", "pdfVersion", "IncludeBleed", "Bleed", "Linearize",
            "CropMarks", "RegistrationMarks", "DensitometerScales", "FileInformation",
            "ColorMode", "UseColorProfile", "ColorProfile", "EmbedFilename", "EmbedFile",
            "JP2QualityFactor", "TextExportMode", "PrintPermissions", "EditPermissions",
            "ContentCopyingAllowed", "OpenPassword", "PermissionPassword", "EncryptType",
            "OutputSpotColorsAs", "OverprintBlackLimit"};
        return t;
    }();
    return table;
}

quint64 Server::createInstance(const QString &progId)
{
    Q_UNUSED(progId);
    // The host "starts" with the document named by the environment, once.
    if (!d->startDocumentLoaded) {
        d->startDocumentLoaded = true;
        const QString file = qEnvironmentVariable("VEMO_SIMHOST_DOCUMENT");
        if (!file.isEmpty()) {
            QString err;
            if (!SimHost::instance().loadDocument(file, &err))
                qWarning("simulated host: cannot load %s: %s", qPrintable(file), qPrintable(err));
        }
    }
    Handle h;
    h.kind = Kind::App;
    return d->addHandle(h);
}

QVariant Server::object(Kind kind, quint64 doc, quint64 target)
{
    Handle h;
    h.kind = kind;
    h.doc = doc;
    h.target = target;
    return QVariant::fromValue(ax::ObjectRef{d->addHandle(h)});
}

Handle Server::setHandle(Kind kind, const Handle &from)
{
    Handle h;
    h.kind = kind;
    h.doc = from.doc;
    if (from.kind == Kind::Selection || from.selectionSet)
        h.selectionSet = true;
    else if (from.kind == Kind::Shape)
        h.ids = {from.target};
    else
        h.ids = from.ids;
    return h;
}

QList<quint64> Server::members(const Handle &h, Document &doc)
{
    QList<quint64> ids;
    if (h.kind == Kind::Selection || h.selectionSet)
        ids = doc.selection;
    else if (h.kind == Kind::Shape)
        ids = {h.target};
    else
        ids = h.ids;
    QList<quint64> live;
    for (quint64 id : ids)
        if (doc.shape(id))
            live << id;
    return live;
}

QList<quint64> Server::selectable(Document &doc)
{
    QList<quint64> ids;
    for (const Shape &s : doc.shapes) {
        const Layer *l = doc.layerById(s.layer);
        if (l && l->visible && l->editable)
            ids << s.id;
    }
    return ids;
}

QList<quint64> Server::onLayer(Document &doc, quint64 layer)
{
    QList<quint64> ids;
    for (const Shape &s : doc.shapes)
        if (s.layer == layer)
            ids << s.id;
    return ids;
}

Shape &Server::newShape(Document &doc, quint64 layer, const QPainterPath &path,
                        const QString &kind, int position)
{
    Shape s;
    s.id = d->newId();
    s.layer = layer;
    s.kind = kind;
    s.path = path;
    if (position < 0 || position > int(doc.shapes.size()))
        position = int(doc.shapes.size());
    doc.shapes.insert(doc.shapes.begin() + position, s);
    doc.selection = {s.id};
    return doc.shapes[size_t(position)];
}

void Server::deleteShapes(Document &doc, const QList<quint64> &ids)
{
    doc.shapes.erase(std::remove_if(doc.shapes.begin(), doc.shapes.end(),
                                    [&](const Shape &s) { return ids.contains(s.id); }),
                     doc.shapes.end());
    for (quint64 id : ids)
        doc.selection.removeAll(id);
}

void Server::refreshWindow()
{
    if (d->window)
        d->window->update();
}

QVariant Server::invoke(quint64 objectId, const QByteArray &m, const QVariantList &a)
{
    auto it = d->handles.find(objectId);
    if (it == d->handles.end()) {
        error(QStringLiteral("call on a released object: %1").arg(QString::fromLatin1(m)));
        return QVariant();
    }
    Handle h = it.value();
    d->calls << Call{kindName(h.kind), m, a};

    if (!knownMembers().value(h.kind).contains(m)) {
        error(QStringLiteral("unknown member %1.%2").arg(kindName(h.kind), QString::fromLatin1(m)));
        return QVariant();
    }
    if (m.contains('(') && declaredCount(m) != a.size()) {
        error(QStringLiteral("%1.%2 called with %3 arguments")
                  .arg(kindName(h.kind), QString::fromLatin1(m))
                  .arg(a.size()));
        return QVariant();
    }
    // An injected fault: the host answers with nothing and does nothing.
    for (Fault &f : d->faults) {
        if (f.member != m || f.count == 0)
            continue;
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        if (f.count > 0)
            --f.count;
        return QVariant();
    }
    QVariant result = dispatch(h, m, a);
    if (d->handles.contains(objectId))
        d->handles[objectId] = h;
    return result;
}

QVariant Server::dispatch(Handle &h, const QByteArray &m, const QVariantList &a)
{
    if (h.kind == Kind::App)
        return app(h, m, a);
    if (h.kind == Kind::Windows) {
        refreshWindow(); // "Refresh()"
        return QVariant();
    }
    if (h.kind == Kind::Color && h.colourRole == 0) {
        h.cmyk = Cmyk{a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()}; // "CMYKAssign"
        return QVariant();
    }
    Document *doc = d->doc(h.doc);
    if (!doc)
        return QVariant(); // the document was closed meanwhile: harmless
    switch (h.kind) {
    case Kind::Document: return document(h, *doc, m, a);
    case Kind::Page: return page(h, *doc, m, a);
    case Kind::Layers: return layers(h, *doc, m, a);
    case Kind::Layer: return layer(h, *doc, m, a);
    case Kind::Shapes: return shapes(h, *doc, m, a);
    case Kind::Shape:
    case Kind::Range:
    case Kind::Selection: return shapeSet(h, *doc, m, a);
    case Kind::Fill:
    case Kind::Outline:
    case Kind::Color: return style(h, *doc, m, a);
    default: return filter(h, *doc, m, a);
    }
}

QVariant Server::app(Handle &h, const QByteArray &m, const QVariantList &a)
{
    Q_UNUSED(h);
    Document *doc = d->doc(d->activeDoc);
    if (m == "ActiveDocument()")
        return doc ? object(Kind::Document, doc->id) : QVariant();
    if (m == "CreateDocument()") {
        Document &n = SimHost::instance().createDocument();
        return object(Kind::Document, n.id);
    }
    if (m == "ActiveSelection()")
        return doc ? object(Kind::Selection, doc->id) : QVariant();
    if (m == "ActiveSelectionRange()") {
        if (!doc)
            return QVariant();
        Handle r;
        r.kind = Kind::Range;
        r.doc = doc->id;
        r.ids = doc->selection;
        return QVariant::fromValue(ax::ObjectRef{d->addHandle(r)});
    }
    if (m == "CreateCMYKColor(int,int,int,int)") {
        Handle c;
        c.kind = Kind::Color;
        c.cmyk = Cmyk{a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()};
        return QVariant::fromValue(ax::ObjectRef{d->addHandle(c)});
    }
    if (m == "CreateStructImportOptions()")
        return object(Kind::ImportOptions, 0);
    if (m == "CreateStructExportOptions()")
        return object(Kind::ExportOptions, 0);
    if (m == "CreateStructPaletteOptions()")
        return object(Kind::PaletteOptions, 0);
    if (m == "Windows()")
        return object(Kind::Windows, 0);
    if (m == "SetVisible(bool)") {
        d->visible = a[0].toBool();
        SimWindow::setShown(d, d->visible);
        return QVariant();
    }
    if (m == "SetOptimization(bool)") {
        d->optimization = a[0].toBool();
        return QVariant();
    }
    if (m == "Refresh()")
        refreshWindow();
    return QVariant();
}

QVariant Server::document(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a)
{
    Q_UNUSED(h);
    if (m == "ActivePage()")
        return object(Kind::Page, doc.id);
    if (m == "ActiveLayer()")
        return doc.layerById(doc.activeLayer) ? object(Kind::Layer, doc.id, doc.activeLayer)
                                              : QVariant();
    if (m == "ExportEx(QString,enum,enum,QVariant,QVariant)") {
        Handle f;
        f.kind = Kind::ExportFilter;
        f.doc = doc.id;
        f.file = a[0].toString();
        f.filter = a[1].toInt();
        return QVariant::fromValue(ax::ObjectRef{d->addHandle(f)});
    }
    if (m == "PDFSettings()")
        return object(Kind::PdfSettings, doc.id);
    if (m == "PrintSettings()")
        return object(Kind::PrintSettings, doc.id);
    if (m == "SetReferencePoint(enum)") {
        doc.referencePoint = a[0].toInt();
        return QVariant();
    }
    if (m == "PublishToPDF(QString)") {
        // the settings written to this document's PDF settings object
        // fetched last
        QList<PropertyWrite> settings;
        quint64 newest = 0;
        for (auto it = d->handles.cbegin(); it != d->handles.cend(); ++it)
            if (it->kind == Kind::PdfSettings && it->doc == doc.id && it.key() > newest) {
                newest = it.key();
                settings = it->props;
            }
        publishPdf(doc, a[0].toString(), settings);
        return QVariant();
    }
    if (m == "ClearSelection()")
        doc.selection.clear();
    return QVariant();
}

QVariant Server::page(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a)
{
    Q_UNUSED(h);
    if (m == "Layers()")
        return object(Kind::Layers, doc.id);
    if (m == "SelectableShapes()")
        return object(Kind::Shapes, doc.id, 0);
    if (m == "CreateLayer(QString)") {
        Layer &l = SimHost::instance().addLayer(doc, a[0].toString());
        doc.activeLayer = l.id;
        return object(Kind::Layer, doc.id, l.id);
    }
    if (m == "SizeWidth()" || m == "SizeWidth")
        return doc.pageSize.width();
    if (m == "SizeHeight()")
        return doc.pageSize.height();
    return QVariant();
}

QVariant Server::layers(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a)
{
    Q_UNUSED(h);
    if (m == "Count()")
        return int(doc.layers.size());
    if (m == "Item(int)") {
        const int i = a[0].toInt();
        if (i < 1 || i > int(doc.layers.size()))
            return QVariant();
        return object(Kind::Layer, doc.id, doc.layers[size_t(i - 1)].id);
    }
    if (m == "Find(QString)") {
        Layer *l = doc.layer(a[0].toString());
        return l ? object(Kind::Layer, doc.id, l->id) : QVariant();
    }
    return QVariant();
}

QVariant Server::layer(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a)
{
    Layer *l = doc.layerById(h.target);
    if (!l)
        return QVariant(); // deleted meanwhile
    if (m == "Name()")
        return l->name;
    if (m == "Activate()") {
        doc.activeLayer = l->id;
        return QVariant();
    }
    if (m == "SetEditable(bool)") {
        l->editable = a[0].toBool();
        return QVariant();
    }
    if (m == "SetPrintable(bool)") {
        l->printable = a[0].toBool();
        return QVariant();
    }
    if (m == "SetVisible(bool)") {
        l->visible = a[0].toBool();
        return QVariant();
    }
    if (m == "Printable()")
        return l->printable;
    if (m == "Delete()") {
        const quint64 id = l->id;
        deleteShapes(doc, onLayer(doc, id));
        doc.layers.erase(std::remove_if(doc.layers.begin(), doc.layers.end(),
                                        [&](const Layer &x) { return x.id == id; }),
                         doc.layers.end());
        if (doc.activeLayer == id)
            doc.activeLayer = doc.layers.empty() ? 0 : doc.layers.back().id;
        return QVariant();
    }
    if (m == "Shapes()")
        return object(Kind::Shapes, doc.id, l->id);
    if (m == "CreateLineSegment(double,double,double,double)") {
        QPainterPath p;
        p.moveTo(a[0].toDouble(), a[1].toDouble());
        p.lineTo(a[2].toDouble(), a[3].toDouble());
        return object(Kind::Shape, doc.id, newShape(doc, l->id, p, QStringLiteral("line")).id);
    }
    if (m == "CreateEllipse2(double,double,double)") {
        const double r = a[2].toDouble();
        QPainterPath p;
        p.addEllipse(QPointF(a[0].toDouble(), a[1].toDouble()), r, r);
        return object(Kind::Shape, doc.id, newShape(doc, l->id, p, QStringLiteral("ellipse")).id);
    }
    if (m == "CreateRectangle(double,double,double,double)") {
        // left, top, right, bottom
        QPainterPath p;
        p.addRect(QRectF(QPointF(a[0].toDouble(), a[1].toDouble()),
                         QPointF(a[2].toDouble(), a[3].toDouble()))
                      .normalized());
        return object(Kind::Shape, doc.id,
                      newShape(doc, l->id, p, QStringLiteral("rectangle")).id);
    }
    if (m == "ImportEx(QString,enum,QVariant)") {
        Handle f;
        f.kind = Kind::ImportFilter;
        f.doc = doc.id;
        f.target = l->id;
        f.file = a[0].toString();
        f.filter = a[1].toInt();
        return QVariant::fromValue(ax::ObjectRef{d->addHandle(f)});
    }
    if (m.startsWith("CreateArtisticText(")) {
        // x, y (baseline start), text, language, char set, font, size (points)
        QFont font(a[5].toString());
        font.setPointSizeF(qMax(0.1, a[6].toDouble()));
        QPainterPath glyphs;
        glyphs.addText(QPointF(0, 0), font, a[2].toString());
        QTransform t;
        t.translate(a[0].toDouble(), a[1].toDouble());
        t.scale(1.0 / 72.0, -1.0 / 72.0);
        Shape &s = newShape(doc, l->id, t.map(glyphs), QStringLiteral("text"));
        s.filled = true;
        s.fill = Cmyk{0, 0, 0, 100};
        s.outlineWidth = 0;
        return object(Kind::Shape, doc.id, s.id);
    }
    return QVariant();
}

QVariant Server::shapes(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a)
{
    // The collection is live: it reflects shapes made while it is in use.
    QList<quint64> ids;
    if (h.target == 0)
        ids = selectable(doc);
    else if (doc.layerById(h.target))
        ids = onLayer(doc, h.target);
    if (m == "Count()")
        return ids.size();
    if (m == "Item(int)" || m == "Item(QVariant)") {
        const int i = a[0].toInt();
        if (i < 1 || i > ids.size())
            return QVariant();
        return object(Kind::Shape, doc.id, ids[i - 1]);
    }
    if (m == "All()") {
        Handle r;
        r.kind = Kind::Range;
        r.doc = doc.id;
        r.ids = ids;
        return QVariant::fromValue(ax::ObjectRef{d->addHandle(r)});
    }
    return QVariant();
}

QVariant Server::shapeSet(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a)
{
    QList<quint64> ids = members(h, doc);
    if (h.kind == Kind::Shape && ids.isEmpty())
        return QVariant(); // deleted meanwhile
    const QRectF box = boundsOf(doc, ids);
    auto transform = [&](const QTransform &t) {
        for (quint64 id : ids)
            if (Shape *s = doc.shape(id))
                s->path = t.map(s->path);
    };
    if (m == "Fill()" || m == "Outline()") {
        Handle s = setHandle(m == "Fill()" ? Kind::Fill : Kind::Outline, h);
        return QVariant::fromValue(ax::ObjectRef{d->addHandle(s)});
    }
    if (m == "Bitmap()") {
        if (ids.size() != 1 || doc.shape(ids[0])->kind != QLatin1String("bitmap"))
            return QVariant();
        return object(Kind::Bitmap, doc.id, ids[0]);
    }
    if (m == "AddToSelection()") {
        for (quint64 id : ids)
            if (!doc.selection.contains(id))
                doc.selection << id;
        return QVariant();
    }
    if (m == "Delete()") {
        deleteShapes(doc, ids);
        return QVariant();
    }
    if (m == "Combine()") {
        if (ids.size() < 2)
            return QVariant();
        Shape *first = doc.shape(ids[0]);
        QPainterPath all;
        for (quint64 id : ids)
            all.addPath(doc.shape(id)->path);
        first->path = all;
        first->kind = QStringLiteral("curve");
        deleteShapes(doc, ids.mid(1));
        doc.selection = {ids[0]};
        return QVariant();
    }
    if (m == "BreakApartEx()") {
        QList<quint64> pieces;
        for (quint64 id : ids) {
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
            int pos = int(std::find_if(doc.shapes.begin(), doc.shapes.end(),
                                       [&](const Shape &x) { return x.id == id; })
                          - doc.shapes.begin());
            for (int i = 1; i < parts.size(); ++i) {
                Shape &n = newShape(doc, proto.layer, parts[i], proto.kind, ++pos);
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
    if (m == "CreateBoundary(double,double,bool,bool)") {
        QPainterPath area;
        for (quint64 id : ids) {
            QPainterPath p = toFine(doc.shape(id)->path);
            p.setFillRule(Qt::WindingFill);
            area = area.united(p);
        }
        area = fromFine(area.simplified());
        if (ids.isEmpty() || area.isEmpty() || !doc.layerById(doc.activeLayer))
            return QVariant();
        return object(Kind::Shape, doc.id,
                      newShape(doc, doc.activeLayer, area, QStringLiteral("boundary")).id);
    }
    if (m == "CreateContour(enum,double,int,enum,QVariant,QVariant,QVariant)") {
        for (quint64 id : ids) {
            const Shape src = *doc.shape(id);
            // like the real host, no contour of a picture or of nothing
            if (!src.bitmap.isNull() || src.path.isEmpty())
                continue;
            const int pos = int(std::find_if(doc.shapes.begin(), doc.shapes.end(),
                                             [&](const Shape &x) { return x.id == id; })
                                - doc.shapes.begin());
            Shape &c = newShape(doc, src.layer, offsetPath(src.path, a[1].toDouble(), a[0].toInt()),
                                QStringLiteral("contour"), pos + 1);
            c.contourOf = id;
            const auto colourOf = [&](const QVariant &v, Cmyk fallback) {
                const quint64 cid = v.value<ax::ObjectRef>().id;
                auto it = d->handles.constFind(cid);
                return it != d->handles.constEnd() && it->kind == Kind::Color && it->colourRole == 0
                           ? it->cmyk
                           : fallback;
            };
            c.outline = colourOf(a[4], src.outline);
            c.filled = src.filled;
            c.fill = colourOf(a[5], src.fill);
            c.outlineWidth = src.outlineWidth;
        }
        return QVariant();
    }
    if (m == "Separate()") {
        for (quint64 id : ids)
            doc.shape(id)->contourOf = 0;
        return QVariant();
    }
    if (m == "MoveToLayer(QVariant)") {
        auto it = d->handles.constFind(a[0].value<ax::ObjectRef>().id);
        if (it == d->handles.constEnd() || it->kind != Kind::Layer || it->doc != doc.id
            || !doc.layerById(it->target)) {
            error(QStringLiteral("MoveToLayer(QVariant) without a layer of the document"));
            return QVariant();
        }
        for (quint64 id : ids)
            doc.shape(id)->layer = it->target;
        return QVariant();
    }
    if (m == "CenterX()")
        return box.center().x();
    if (m == "CenterY()")
        return box.center().y();
    if (m == "PositionX()")
        return box.left();
    if (m == "PositionY()")
        return box.bottom(); // the top edge: y is up
    if (m == "SizeWidth()")
        return box.width();
    if (m == "SizeHeight()")
        return box.height();
    if (m == "SetPosition(double,double)" || m == "SetPositionEx(enum,double,double)") {
        const bool ex = m.startsWith("SetPositionEx");
        const QPointF ref = referencePoint(box, ex ? a[0].toInt() : 3);
        const QPointF to(a[ex ? 1 : 0].toDouble(), a[ex ? 2 : 1].toDouble());
        transform(QTransform::fromTranslate(to.x() - ref.x(), to.y() - ref.y()));
        return QVariant();
    }
    if (m == "SetSizeEx(double,double,double,double)") {
        if (box.width() <= 0 || box.height() <= 0)
            return QVariant();
        const double cx = a[0].toDouble(), cy = a[1].toDouble();
        QTransform t;
        t.translate(cx, cy);
        t.scale(a[2].toDouble() / box.width(), a[3].toDouble() / box.height());
        t.translate(-cx, -cy);
        transform(t);
        return QVariant();
    }
    if (m == "Stretch(double)") {
        const QPointF ref = referencePoint(box, doc.referencePoint);
        const double f = a[0].toDouble();
        QTransform t;
        t.translate(ref.x(), ref.y());
        t.scale(f, f);
        t.translate(-ref.x(), -ref.y());
        transform(t);
        return QVariant();
    }
    return QVariant();
}

QVariant Server::style(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a)
{
    const QList<quint64> ids = members(h, doc);
    if (m == "ApplyNoFill()") {
        for (quint64 id : ids)
            doc.shape(id)->filled = false;
        return QVariant();
    }
    if (m == "UniformColor()" || m == "Color()") {
        Handle c = setHandle(Kind::Color, h);
        c.colourRole = m == "Color()" ? 2 : 1;
        return QVariant::fromValue(ax::ObjectRef{d->addHandle(c)});
    }
    if (m == "SetWidth(double)") {
        for (quint64 id : ids)
            doc.shape(id)->outlineWidth = qMax(0.0, a[0].toDouble());
        return QVariant();
    }
    if (m == "CMYKAssign(int,int,int,int)") {
        const Cmyk c{a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()};
        for (quint64 id : ids) {
            Shape *s = doc.shape(id);
            if (h.colourRole == 1) {
                s->filled = true;
                s->fill = c;
            } else {
                s->outline = c;
            }
        }
    }
    return QVariant();
}

QVariant Server::filter(Handle &h, Document &doc, const QByteArray &m, const QVariantList &a)
{
    if (h.kind == Kind::Bitmap && m == "Trace(enum)") {
        if (!doc.shape(h.target))
            return QVariant();
        Handle t;
        t.kind = Kind::TraceFilter;
        t.doc = doc.id;
        t.target = h.target;
        t.filter = a[0].toInt();
        return QVariant::fromValue(ax::ObjectRef{d->addHandle(t)});
    }
    if (m == "Finish()") {
        if (h.kind == Kind::ExportFilter)
            exportHpgl(h, doc);
        else if (h.kind == Kind::ImportFilter)
            importPicture(h, doc);
        else if (h.kind == Kind::TraceFilter)
            trace(h, doc);
        return QVariant();
    }
    if (h.kind == Kind::PrintSettings) {
        if (m == "ShowDialog()")
            return d->printAnswer;
        if (m == "PrintOut()") {
            PrintJob job;
            for (const Layer &l : doc.layers)
                if (l.printable && l.visible) {
                    job.layers << l.name;
                    job.shapes += onLayer(doc, l.id).size();
                }
            d->printJobs << job;
        }
    }
    return QVariant();
}

void Server::writeProperty(quint64 objectId, const QByteArray &name, const QVariant &value)
{
    auto it = d->handles.find(objectId);
    if (it == d->handles.end())
        return;
    d->calls << Call{kindName(it->kind), "=" + name, {value}};
    if (!knownProperties().value(it->kind).contains(name)) {
        error(QStringLiteral("unknown property %1.%2").arg(kindName(it->kind), QString::fromLatin1(name)));
        return;
    }
    it->props << PropertyWrite{name, value};
}

static QVariant propertyOf(const Handle &h, const char *name, const QVariant &fallback)
{
    QVariant v = fallback;
    for (const PropertyWrite &p : h.props)
        if (p.name == name)
            v = p.value;
    return v;
}

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
    const double units = propertyOf(h, "PlotterUnits", 1016).toDouble()
                         * propertyOf(h, "ScaleFactor", 100).toDouble() / 100.0;
    QByteArray text = SimHost::instance().hpglOf(doc, units).toLatin1();
    if (d->exportFilter)
        text = d->exportFilter(text);
    QFile f(h.file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
    for (const Layer &l : doc.layers)
        if (l.printable && l.visible)
            rec.shapesWritten += onLayer(doc, l.id).size();
    d->exports << rec;
}

void Server::publishPdf(Document &doc, const QString &file, const QList<PropertyWrite> &settings)
{
    PdfRecord rec;
    rec.file = file;
    rec.settings = settings;
    for (const Layer &l : doc.layers)
        if (l.printable && l.visible)
            rec.layers << l.name;
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

void Server::importPicture(Handle &h, Document &doc)
{
    const Layer *l = doc.layerById(h.target);
    QImage img(h.file);
    if (!l || img.isNull())
        return;
    double dpi = img.dotsPerMeterX() > 0 ? img.dotsPerMeterX() * 0.0254 : 96.0;
    const QSizeF size(img.width() / dpi, img.height() / dpi);
    const QPointF c(doc.pageSize.width() / 2, doc.pageSize.height() / 2);
    QPainterPath p;
    p.addRect(QRectF(c.x() - size.width() / 2, c.y() - size.height() / 2, size.width(),
                     size.height()));
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
            traced.addRect(QRectF(box.left() + start * sx, box.bottom() - (y + 1) * sy,
                                  (x - start) * sx, sy));
        }
    }
    const quint64 layer = src->layer;
    const quint64 srcId = src->id;
    const int pos = int(std::find_if(doc.shapes.begin(), doc.shapes.end(),
                                     [&](const Shape &x) { return x.id == srcId; })
                        - doc.shapes.begin());
    Shape &t = newShape(doc, layer, traced, QStringLiteral("curve"), pos + 1);
    t.filled = true;
    t.fill = Cmyk{0, 0, 0, 100};
    t.outlineWidth = 0;
    if (propertyOf(h, "DeleteOriginalObject", false).toBool())
        deleteShapes(doc, {srcId});
}

// ---------------------------------------------------------------- SimHost

SimHost::SimHost() : d(new Private)
{
    d->server = std::make_shared<Server>(d.get());
}

SimHost::~SimHost() = default;

SimHost &SimHost::instance()
{
    // Deliberately never destroyed: the host outlives every wrapper.
    static SimHost *host = new SimHost;
    return *host;
}

QStringList SimHost::progIds()
{
    QStringList ids;
    for (int v = 14; v <= 24; ++v)
        ids << QStringLiteral("CorelDraw.Application.%1").arg(v);
    return ids;
}

void SimHost::install()
{
    SimHost &h = instance();
    for (const QString &id : progIds())
        ax::registerServer(id, h.d->server);
}

void SimHost::reset()
{
    SimWindow::setShown(d.get(), false);
    d->documents.clear();
    d->activeDoc = 0;
    d->handles.clear();
    d->errors.clear();
    d->calls.clear();
    d->faults.clear();
    d->optimization = false;
    d->visible = false;
    d->printAnswer = true;
    d->exportFilter = nullptr;
    d->exports.clear();
    d->pdfs.clear();
    d->printJobs.clear();
    d->startDocumentLoaded = true; // a reset host starts empty
    install();
}

void SimHost::setExportFilter(std::function<QByteArray(const QByteArray &)> filter)
{
    d->exportFilter = std::move(filter);
}

void SimHost::setRegistered(const QString &progId, bool registered)
{
    if (registered)
        ax::registerServer(progId, d->server);
    else
        ax::unregisterServer(progId);
}

void SimHost::failMember(const QByteArray &member, int skip, int count)
{
    d->faults << Fault{ax::normalizeMember(member.constData()), skip, count};
}

void SimHost::setPrintDialogAnswer(bool answer)
{
    d->printAnswer = answer;
}

QStringList SimHost::errors() const
{
    return d->errors;
}

const QList<Call> &SimHost::calls() const
{
    return d->calls;
}

QList<Call> SimHost::callsOf(const QByteArray &member) const
{
    const QByteArray m = ax::normalizeMember(member.constData());
    QList<Call> out;
    for (const Call &c : d->calls)
        if (c.member == m)
            out << c;
    return out;
}

void SimHost::clearCalls()
{
    d->calls.clear();
}

bool SimHost::optimization() const
{
    return d->optimization;
}

bool SimHost::windowVisible() const
{
    return d->visible;
}

int SimHost::liveHandles() const
{
    return d->handles.size();
}

const QList<ExportRecord> &SimHost::exports() const
{
    return d->exports;
}

const QList<PdfRecord> &SimHost::pdfs() const
{
    return d->pdfs;
}

const QList<PrintJob> &SimHost::printJobs() const
{
    return d->printJobs;
}

Document *SimHost::activeDocument()
{
    return d->doc(d->activeDoc);
}

int SimHost::documentCount() const
{
    return int(d->documents.size());
}

Document &SimHost::createDocument()
{
    auto doc = std::make_unique<Document>();
    doc->id = d->newId();
    Document &ref = *doc;
    d->documents.push_back(std::move(doc));
    d->activeDoc = ref.id;
    ref.activeLayer = addLayer(ref, QStringLiteral("Layer 1")).id;
    return ref;
}

Layer &SimHost::addLayer(Document &doc, const QString &name)
{
    Layer l;
    l.id = d->newId();
    l.name = name;
    doc.layers.push_back(l);
    return doc.layers.back();
}

Shape &SimHost::addShape(Document &doc, const QString &layerName, const QPainterPath &path,
                         const QString &kind)
{
    Layer *l = doc.layer(layerName);
    if (!l)
        l = &addLayer(doc, layerName);
    Shape s;
    s.id = d->newId();
    s.layer = l->id;
    s.kind = kind;
    s.path = path;
    doc.shapes.push_back(s);
    return doc.shapes.back();
}

// ---------------------------------------------------------------- drawing

void SimHost::paintPage(QPainter &p, const Document &doc, const QRectF &target,
                        bool printableOnly) const
{
    const QSizeF page = doc.pageSize;
    if (page.isEmpty())
        return;
    const double k = qMin(target.width() / page.width(), target.height() / page.height());
    QTransform t;
    t.translate(target.left(), target.top() + page.height() * k);
    t.scale(k, -k);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (!printableOnly) {
        p.fillRect(t.mapRect(QRectF(QPointF(0, 0), page)), Qt::white);
    }
    for (const Layer &l : doc.layers) {
        if (!l.visible || (printableOnly && !l.printable))
            continue;
        for (const Shape &s : doc.shapes) {
            if (s.layer != l.id)
                continue;
            const QPainterPath path = t.map(s.path);
            if (!s.bitmap.isNull()) {
                p.drawImage(path.boundingRect(), s.bitmap);
                continue;
            }
            if (s.filled)
                p.fillPath(path, s.fill.toColor());
            if (s.outlineWidth > 0) {
                QPen pen(s.outline.toColor(), qMax(1.0, s.outlineWidth * k));
                if (s.dashed)
                    pen.setStyle(Qt::DashLine);
                p.strokePath(path, pen);
            }
        }
    }
    p.restore();
}

QImage SimHost::snapshot(double pixelsPerInch) const
{
    const Document *doc = const_cast<SimHost *>(this)->activeDocument();
    if (!doc)
        return QImage();
    const QSize px(qMax(1, qRound(doc->pageSize.width() * pixelsPerInch)),
                   qMax(1, qRound(doc->pageSize.height() * pixelsPerInch)));
    QImage img(px, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paintPage(p, *doc, QRectF(QPointF(0, 0), QSizeF(px)), false);
    return img;
}

bool SimHost::saveSnapshot(const QString &file, double pixelsPerInch) const
{
    const QImage img = snapshot(pixelsPerInch);
    return !img.isNull() && img.save(file);
}

QString SimHost::hpglOf(const Document &doc, double unitsPerInch) const
{
    // The host exporter's style: "IN;", pen select, absolute pen-up and
    // pen-down moves with whole coordinates, x first, origin bottom-left.
    // Curves are flattened in plotter units, so they are smooth at any size.
    QString out = QStringLiteral("IN;SP1;");
    const QTransform toUnits = QTransform::fromScale(unitsPerInch, unitsPerInch);
    auto writeShape = [&](const Shape &s) {
        const QList<QPolygonF> polys = toUnits.map(s.path).toSubpathPolygons();
        for (const QPolygonF &poly : polys) {
            if (poly.size() < 2)
                continue;
            out += QStringLiteral("PU%1,%2;PD").arg(qRound(poly[0].x())).arg(qRound(poly[0].y()));
            for (int i = 1; i < poly.size(); ++i) {
                if (i > 1)
                    out += QLatin1Char(',');
                out += QStringLiteral("%1,%2").arg(qRound(poly[i].x())).arg(qRound(poly[i].y()));
            }
            out += QLatin1Char(';');
        }
    };
    QList<const Shape *> solid, dashed;
    for (const Layer &l : doc.layers) {
        if (!l.visible || !l.printable)
            continue;
        for (const Shape &s : doc.shapes)
            if (s.layer == l.id && s.bitmap.isNull())
                (s.dashed ? dashed : solid) << &s;
    }
    for (const Shape *s : solid)
        writeShape(*s);
    if (!dashed.isEmpty()) {
        out += QStringLiteral("LT2,4,1;");
        for (const Shape *s : dashed)
            writeShape(*s);
        out += QStringLiteral("LT;");
    }
    out += QStringLiteral("PU;SP0;");
    return out;
}

} // namespace simhost
