// The document model of the simulated host: documents, layers and shapes.
#include "simhost_p.h"

#include <algorithm>

namespace simhost {

QColor Cmyk::toColor() const
{
    auto f = [](int v) { return qBound(0, v, 100) / 100.0; };
    return QColor::fromCmykF(f(c), f(m), f(y), f(k));
}

QString kindName(Kind k)
{
    switch (k) {
    case Kind::App:
        return QStringLiteral("Application");
    case Kind::Document:
        return QStringLiteral("Document");
    case Kind::Page:
        return QStringLiteral("Page");
    case Kind::Layers:
        return QStringLiteral("Layers");
    case Kind::Layer:
        return QStringLiteral("Layer");
    case Kind::Shapes:
        return QStringLiteral("Shapes");
    case Kind::Shape:
        return QStringLiteral("Shape");
    case Kind::Range:
        return QStringLiteral("ShapeRange");
    case Kind::Selection:
        return QStringLiteral("Selection");
    case Kind::Fill:
        return QStringLiteral("Fill");
    case Kind::Outline:
        return QStringLiteral("Outline");
    case Kind::Color:
        return QStringLiteral("Color");
    case Kind::Bitmap:
        return QStringLiteral("Bitmap");
    case Kind::ExportFilter:
        return QStringLiteral("ExportFilter");
    case Kind::ImportFilter:
        return QStringLiteral("ImportFilter");
    case Kind::TraceFilter:
        return QStringLiteral("TraceFilter");
    case Kind::ImportOptions:
        return QStringLiteral("ImportOptions");
    case Kind::ExportOptions:
        return QStringLiteral("ExportOptions");
    case Kind::PaletteOptions:
        return QStringLiteral("PaletteOptions");
    case Kind::PdfSettings:
        return QStringLiteral("PdfSettings");
    case Kind::PrintSettings:
        return QStringLiteral("PrintSettings");
    case Kind::Windows:
        return QStringLiteral("Windows");
    }
    return QString();
}

// ---------------------------------------------------------------- shape list

void ShapeList::reserve(size_t n)
{
    m_shapes.reserve(n);
    m_at.reserve(n);
}

void ShapeList::push_back(const Shape &s)
{
    m_at[s.id] = m_shapes.size();
    m_shapes.push_back(s);
}

ShapeList::iterator ShapeList::insert(const_iterator pos, const Shape &s)
{
    m_at[s.id] = size_t(pos - m_shapes.cbegin()); // those behind it go stale
    return m_shapes.insert(pos, s);
}

ShapeList::iterator ShapeList::erase(const_iterator first, const_iterator last)
{
    // The range may hold moved-from copies of shapes that stay (the tail
    // std::remove_if leaves), so the map is left to the next look-up.
    return m_shapes.erase(first, last);
}

void ShapeList::clear()
{
    m_shapes.clear();
    m_at.clear();
}

int ShapeList::indexOf(quint64 id) const
{
    // Every shape in the list has an entry; one whose position is off makes
    // the whole map anew, which also drops the ids of shapes erased since.
    auto it = m_at.find(id);
    if (it == m_at.end())
        return -1;
    if (it->second < m_shapes.size() && m_shapes[it->second].id == id)
        return int(it->second);
    m_at.clear();
    for (size_t i = 0; i < m_shapes.size(); ++i)
        m_at[m_shapes[i].id] = i;
    it = m_at.find(id);
    return it == m_at.end() ? -1 : int(it->second);
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
    const int i = shapes.indexOf(id);
    return i < 0 ? nullptr : &shapes[size_t(i)];
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

void deleteShapes(Document &doc, const QList<quint64> &ids)
{
    if (ids.isEmpty())
        return;
    const QSet<quint64> gone(ids.begin(), ids.end());
    doc.shapes.erase(std::remove_if(doc.shapes.begin(), doc.shapes.end(),
                         [&](const Shape &s) { return gone.contains(s.id); }),
        doc.shapes.end());
    QList<quint64> kept;
    for (quint64 id : qAsConst(doc.selection))
        if (!gone.contains(id))
            kept << id;
    doc.selection = kept;
}

Collection::Collection(const Document &doc, quint64 layer)
    : m_doc(doc)
{
    for (const Layer &l : doc.layers)
        if (layer ? l.id == layer : l.visible && l.editable)
            m_layers.push_back(l.id);
}

int Collection::count() const
{
    return int(std::count_if(
        m_doc.shapes.begin(), m_doc.shapes.end(), [&](const Shape &s) { return holds(s); }));
}

quint64 Collection::item(int i) const
{
    if (i < 1)
        return 0;
    for (const Shape &s : m_doc.shapes)
        if (holds(s) && --i == 0)
            return s.id;
    return 0;
}

QList<quint64> Collection::ids() const
{
    QList<quint64> out;
    for (const Shape &s : m_doc.shapes)
        if (holds(s))
            out << s.id;
    return out;
}

QList<quint64> shapesOnLayer(const Document &doc, quint64 layer)
{
    QList<quint64> ids;
    for (const Shape &s : doc.shapes)
        if (s.layer == layer)
            ids << s.id;
    return ids;
}

// ---------------------------------------------------------------- host state

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

Shape &SimHost::addShape(
    Document &doc, const QString &layerName, const QPainterPath &path, const QString &kind)
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

} // namespace simhost
