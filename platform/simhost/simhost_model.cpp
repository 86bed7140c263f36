// The document model of the simulated host: documents, layers and shapes.
#include "simhost_p.h"

#include <algorithm>
#include <tuple>

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

namespace {
// A block is split in two when it grows past this; a page of 40,000 shapes
// is then some sixty blocks, and a change moves at most a block.
constexpr size_t blockLimit = 1024;
} // namespace

struct ShapeList::Block
{
    std::vector<Shape> shapes;
    // the shapes of the set named countKey; 0: not counted since a change
    mutable quint64 countKey = 0;
    mutable int count = 0;
    mutable qint64 points = -1; // path elements; -1: not counted since a change

    // The shapes `holds` picks, counted again only when the set or a shape changed.
    int countOf(quint64 key, const std::function<bool(const Shape &)> &holds) const
    {
        if (countKey != key) {
            count = int(std::count_if(shapes.begin(), shapes.end(), holds));
            countKey = key;
        }
        return count;
    }
};

template <bool Const>
ShapeList::Iter<Const>::Iter(const Blocks *blocks, size_t block, size_t at)
    : m_blocks(blocks)
    , m_block(block)
    , m_at(at)
{
}

template <bool Const>
typename ShapeList::Iter<Const>::reference ShapeList::Iter<Const>::operator*() const
{
    return (*m_blocks)[m_block]->shapes[m_at];
}

template <bool Const> ShapeList::Iter<Const> &ShapeList::Iter<Const>::operator++()
{
    if (++m_at == (*m_blocks)[m_block]->shapes.size()) {
        ++m_block;
        m_at = 0;
    }
    return *this;
}

template class ShapeList::Iter<false>;
template class ShapeList::Iter<true>;

ShapeList::ShapeList() = default;
ShapeList::~ShapeList() = default;
ShapeList::ShapeList(ShapeList &&other) noexcept = default;
ShapeList &ShapeList::operator=(ShapeList &&other) noexcept = default;

ShapeList::ShapeList(const ShapeList &other)
{
    *this = other;
}

ShapeList &ShapeList::operator=(const ShapeList &other)
{
    if (this == &other)
        return *this;
    m_blocks.clear();
    for (const auto &b : other.m_blocks)
        m_blocks.push_back(std::make_unique<Block>(*b));
    m_size = other.m_size;
    rebuildIndex();
    return *this;
}

void ShapeList::rebuildIndex()
{
    m_at.clear();
    m_at.reserve(m_size);
    for (const auto &b : m_blocks)
        for (size_t i = 0; i < b->shapes.size(); ++i)
            m_at[b->shapes[i].id] = Where { b.get(), i };
}

std::pair<size_t, size_t> ShapeList::locate(size_t i, bool blockEnd) const
{
    size_t b = 0;
    while (b + 1 < m_blocks.size() && i >= m_blocks[b]->shapes.size() + (blockEnd ? 1 : 0)) {
        i -= m_blocks[b]->shapes.size();
        ++b;
    }
    return { b, i };
}

ShapeList::Block &ShapeList::changed(size_t block) const
{
    return changed(*m_blocks[block]);
}

ShapeList::Block &ShapeList::changed(Block &block)
{
    block.countKey = 0;
    block.points = -1;
    return block;
}

Shape &ShapeList::operator[](size_t i)
{
    const auto at = locate(i);
    return changed(at.first).shapes[at.second];
}

const Shape &ShapeList::operator[](size_t i) const
{
    const auto at = locate(i);
    return m_blocks[at.first]->shapes[at.second];
}

ShapeList::iterator ShapeList::begin()
{
    for (size_t b = 0; b < m_blocks.size(); ++b)
        changed(b);
    return iterator(&m_blocks, 0, 0);
}

ShapeList::iterator ShapeList::end()
{
    return iterator(&m_blocks, m_blocks.size(), 0);
}

ShapeList::const_iterator ShapeList::begin() const
{
    return const_iterator(&m_blocks, 0, 0);
}

ShapeList::const_iterator ShapeList::end() const
{
    return const_iterator(&m_blocks, m_blocks.size(), 0);
}

ShapeList::operator std::vector<Shape>() const
{
    std::vector<Shape> all;
    all.reserve(m_size);
    for (const Shape &s : *this)
        all.push_back(s);
    return all;
}

void ShapeList::reserve(size_t n)
{
    m_at.reserve(n);
}

Shape &ShapeList::insert(size_t position, const Shape &s)
{
    if (m_blocks.empty())
        m_blocks.push_back(std::make_unique<Block>());
    position = std::min(position, m_size);
    // at the end of a block rather than the start of the next: pushing
    // shape after shape then fills the last block
    size_t b, at;
    std::tie(b, at) = locate(position, true);
    Block &block = changed(b);
    block.shapes.insert(block.shapes.begin() + std::ptrdiff_t(at), s);
    m_at[s.id] = Where { &block, at };
    ++m_size;
    if (block.shapes.size() > blockLimit) {
        split(b);
        if (at >= m_blocks[b]->shapes.size())
            return m_blocks[b + 1]->shapes[at - m_blocks[b]->shapes.size()];
    }
    return m_blocks[b]->shapes[at];
}

void ShapeList::split(size_t block)
{
    Block &full = *m_blocks[block];
    auto half = std::make_unique<Block>();
    const auto middle = full.shapes.begin() + std::ptrdiff_t(full.shapes.size() / 2);
    half->shapes.assign(
        std::make_move_iterator(middle), std::make_move_iterator(full.shapes.end()));
    full.shapes.erase(middle, full.shapes.end());
    changed(full);
    for (size_t i = 0; i < half->shapes.size(); ++i)
        m_at[half->shapes[i].id] = Where { half.get(), i };
    m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(block + 1), std::move(half));
}

size_t ShapeList::removeIf(const std::function<bool(const Shape &)> &picked)
{
    size_t removed = 0;
    for (size_t b = 0; b < m_blocks.size(); ++b) {
        std::vector<Shape> &shapes = m_blocks[b]->shapes;
        const auto gone = std::remove_if(shapes.begin(), shapes.end(), [&](const Shape &s) {
            if (!picked(s))
                return false;
            m_at.erase(s.id);
            return true;
        });
        if (gone != shapes.end()) {
            removed += size_t(shapes.end() - gone);
            shapes.erase(gone, shapes.end());
            changed(b);
        }
    }
    if (!removed)
        return 0;
    m_size -= removed;
    // no empty blocks: a walk takes the first shape of a block for there
    m_blocks.erase(std::remove_if(m_blocks.begin(), m_blocks.end(),
                       [](const std::unique_ptr<Block> &b) { return b->shapes.empty(); }),
        m_blocks.end());
    // Packed anew when the blocks are left less than half full on average:
    // the walks over the blocks stay short.
    if (m_blocks.size() > 1 && m_size < m_blocks.size() * blockLimit / 4) {
        Blocks packed;
        for (auto &b : m_blocks)
            for (Shape &s : b->shapes) {
                if (packed.empty() || packed.back()->shapes.size() >= blockLimit / 2)
                    packed.push_back(std::make_unique<Block>());
                packed.back()->shapes.push_back(std::move(s));
            }
        m_blocks.swap(packed);
        rebuildIndex();
    }
    return removed;
}

void ShapeList::clear()
{
    m_blocks.clear();
    m_at.clear();
    m_size = 0;
}

const ShapeList::Where *ShapeList::place(quint64 id) const
{
    const auto it = m_at.find(id);
    if (it == m_at.end())
        return nullptr;
    Where &w = it->second;
    const std::vector<Shape> &shapes = w.block->shapes;
    if (w.at >= shapes.size() || shapes[w.at].id != id) {
        // on from the old place first: that is where inserts push it
        size_t i = std::min(w.at, shapes.size());
        while (i < shapes.size() && shapes[i].id != id)
            ++i;
        if (i == shapes.size())
            for (i = 0; shapes[i].id != id;)
                ++i;
        w.at = i;
    }
    return &w;
}

int ShapeList::indexOf(quint64 id) const
{
    const Where *w = place(id);
    if (!w)
        return -1;
    size_t at = w->at;
    for (size_t b = 0; m_blocks[b].get() != w->block; ++b)
        at += m_blocks[b]->shapes.size();
    return int(at);
}

Shape *ShapeList::find(quint64 id)
{
    const Where *w = place(id);
    return w ? &changed(*w->block).shapes[w->at] : nullptr;
}

const Shape *ShapeList::find(quint64 id) const
{
    const Where *w = place(id);
    return w ? &w->block->shapes[w->at] : nullptr;
}

int ShapeList::countOf(quint64 key, const std::function<bool(const Shape &)> &holds) const
{
    int n = 0;
    for (const auto &b : m_blocks)
        n += b->countOf(key, holds);
    return n;
}

qint64 ShapeList::pointCount() const
{
    qint64 n = 0;
    for (const auto &b : m_blocks) {
        if (b->points < 0) {
            b->points = 0;
            for (const Shape &s : b->shapes)
                b->points += s.path.elementCount();
        }
        n += b->points;
    }
    return n;
}

const Shape *ShapeList::nthOf(
    int n, quint64 key, const std::function<bool(const Shape &)> &holds) const
{
    if (n < 1)
        return nullptr;
    for (const auto &b : m_blocks) {
        const int count = b->countOf(key, holds);
        if (n > count) {
            n -= count;
            continue;
        }
        for (const Shape &s : b->shapes)
            if (holds(s) && --n == 0)
                return &s;
    }
    return nullptr;
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
    return const_cast<Layer *>(static_cast<const Document *>(this)->layerById(id));
}

const Layer *Document::layerById(quint64 id) const
{
    auto it = m_layerAt.find(id);
    if (it == m_layerAt.end() || it->second >= layers.size() || layers[it->second].id != id) {
        m_layerAt.clear();
        for (size_t i = 0; i < layers.size(); ++i)
            m_layerAt.emplace(layers[i].id, i);
        it = m_layerAt.find(id);
        if (it == m_layerAt.end())
            return nullptr;
    }
    return &layers[it->second];
}

Shape *Document::shape(quint64 id)
{
    return shapes.find(id);
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
    doc.shapes.removeIf([&](const Shape &s) { return gone.contains(s.id); });
    QList<quint64> kept;
    for (quint64 id : qAsConst(doc.selection))
        if (!gone.contains(id))
            kept << id;
    doc.selection = kept;
}

namespace {
// One step of a hash over 64-bit values: a bijection of h for each v, so
// that changing any one value changes the result.
quint64 mix(quint64 h, quint64 v)
{
    return (h ^ v) * 0x100000001b3ull;
}
} // namespace

Collection::Collection(const Document &doc, quint64 layer)
    : m_doc(doc)
    , m_layer(layer)
{
    // The key of the set: its layer, or what makes a layer selectable now.
    quint64 key = mix(0xcbf29ce484222325ull, layer);
    if (layer) {
        m_layerThere = doc.layerById(layer) != nullptr;
        key = mix(key, m_layerThere);
    } else {
        for (const Layer &l : doc.layers)
            key = mix(key, l.id * 4 + (l.visible ? 2 : 0) + (l.editable ? 1 : 0));
    }
    m_key = key ? key : 1;
}

bool Collection::holds(const Shape &s) const
{
    if (m_layer)
        return s.layer == m_layer && m_layerThere;
    if (s.layer != m_lastLayer) {
        const Layer *l = m_doc.layerById(s.layer);
        m_lastLayer = s.layer;
        m_lastHolds = l && l->visible && l->editable;
    }
    return m_lastHolds;
}

int Collection::count() const
{
    return m_doc.shapes.countOf(m_key, [this](const Shape &s) { return holds(s); });
}

quint64 Collection::item(int i) const
{
    const Shape *s = m_doc.shapes.nthOf(i, m_key, [this](const Shape &s) { return holds(s); });
    return s ? s->id : 0;
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

std::vector<const Shape *> shapesByLayer(
    const Document &doc, const std::function<bool(const Layer &)> &wanted)
{
    std::unordered_map<quint64, size_t> bucketOf;
    for (const Layer &l : doc.layers)
        if (wanted(l))
            bucketOf.emplace(l.id, bucketOf.size());
    std::vector<std::vector<const Shape *>> buckets(bucketOf.size());
    for (const Shape &s : doc.shapes) {
        const auto it = bucketOf.find(s.layer);
        if (it != bucketOf.end())
            buckets[it->second].push_back(&s);
    }
    std::vector<const Shape *> out;
    for (const auto &b : buckets)
        out.insert(out.end(), b.begin(), b.end());
    return out;
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
    return doc.shapes.push_back(s);
}

} // namespace simhost
