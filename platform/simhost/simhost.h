#pragma once

#include "units.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <iterator>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <vector>

// A simulated vector illustration host, reachable through the automation
// stand-in under the ProgIDs "CorelDraw.Application.14" to ".24". It lives as
// long as the process, like the real host keeps running between actions.
// Lengths are inches, origin at the page's bottom-left, y up.
namespace simhost {

struct Cmyk
{
    int c = 0, m = 0, y = 0, k = 100;
    bool operator==(const Cmyk &o) const { return c == o.c && m == o.m && y == o.y && k == o.k; }
    QColor toColor() const;
};

struct Shape
{
    quint64 id = 0;
    quint64 layer = 0;
    QString kind; // rectangle, ellipse, line, curve, text, bitmap, boundary, contour
    QPainterPath path;
    bool filled = false;
    Cmyk fill;
    double outlineWidth = 0.2 / 72.0; // inches; 0 is no outline
    Cmyk outline;
    bool dashed = false;
    quint64 contourOf = 0; // linked to its source until Separate()
    QImage bitmap; // bitmap shapes: drawn into the path's bounds
};

// The shapes of a page in z-order, in blocks of a few hundred, so that a
// shape put in the middle moves only its block, and a shape is found by id
// without walking the page. A shape's id stays as it is while the shape is
// in the list. References to shapes hold until the list next changes.
class ShapeList
{
    struct Block;
    using Blocks = std::vector<std::unique_ptr<Block>>;

public:
    template <bool Const> class Iter
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Shape;
        using difference_type = std::ptrdiff_t;
        using pointer = std::conditional_t<Const, const Shape *, Shape *>;
        using reference = std::conditional_t<Const, const Shape &, Shape &>;

        Iter() = default;
        reference operator*() const;
        pointer operator->() const { return &**this; }
        Iter &operator++();
        Iter operator++(int)
        {
            Iter old = *this;
            ++*this;
            return old;
        }
        bool operator==(const Iter &o) const { return m_block == o.m_block && m_at == o.m_at; }
        bool operator!=(const Iter &o) const { return !(*this == o); }

    private:
        friend class ShapeList;
        Iter(const Blocks *blocks, size_t block, size_t at);
        const Blocks *m_blocks = nullptr;
        size_t m_block = 0;
        size_t m_at = 0;
    };
    using iterator = Iter<false>;
    using const_iterator = Iter<true>;

    ShapeList();
    ~ShapeList();
    ShapeList(const ShapeList &other);
    ShapeList &operator=(const ShapeList &other);
    ShapeList(ShapeList &&other) noexcept;
    ShapeList &operator=(ShapeList &&other) noexcept;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    Shape &operator[](size_t i);
    const Shape &operator[](size_t i) const;
    Shape &front() { return (*this)[0]; }
    Shape &back() { return (*this)[m_size - 1]; }
    // Walking the shapes for a change counts as changing all of them.
    iterator begin();
    iterator end();
    const_iterator begin() const;
    const_iterator end() const;
    operator std::vector<Shape>() const;

    void reserve(size_t n);
    Shape &push_back(const Shape &s) { return insert(m_size, s); }
    // Puts the shape at this position (the end when past it).
    Shape &insert(size_t position, const Shape &s);
    // Removes the shapes the predicate picks; returns how many.
    size_t removeIf(const std::function<bool(const Shape &)> &picked);
    void clear();

    // The position of the shape with this id, -1 when there is none.
    int indexOf(quint64 id) const;
    bool contains(quint64 id) const { return m_at.count(id) != 0; }
    Shape *find(quint64 id);
    const Shape *find(quint64 id) const;

    // Shapes that `holds` picks, for callers that ask again and again about
    // one set: a key names the set (the same key, the same set, as long as
    // the shapes do not change), so that each block counts it once.
    int countOf(quint64 key, const std::function<bool(const Shape &)> &holds) const;
    // The n-th of them, from 1; nullptr when there is none.
    const Shape *nthOf(int n, quint64 key, const std::function<bool(const Shape &)> &holds) const;
    // The path elements of all shapes.
    qint64 pointCount() const;

private:
    // The block holding position i, and i within it; with `blockEnd`, a
    // position just past a block's last shape stays in that block.
    std::pair<size_t, size_t> locate(size_t i, bool blockEnd = false) const;
    // Where a shape is: its block, and its place there when last looked up
    // (shapes put in before it move it on by a few).
    struct Where
    {
        Block *block;
        size_t at;
    };
    // The shape's entry, its place brought up to date; nullptr without one.
    const Where *place(quint64 id) const;
    Block &changed(size_t block) const;
    static Block &changed(Block &block);
    void split(size_t block);
    void rebuildIndex();

    Blocks m_blocks;
    size_t m_size = 0;
    // id -> where it is (the blocks never move in memory)
    mutable std::unordered_map<quint64, Where> m_at;
};

struct Layer
{
    quint64 id = 0;
    QString name;
    bool visible = true;
    bool printable = true;
    bool editable = true;
};

struct Document
{
    quint64 id = 0;
    QSizeF pageSize { 210.0 / Units::mmPerInch, 297.0 / Units::mmPerInch };
    std::vector<Layer> layers; // host layer order, item 1 first (drawn first)
    ShapeList shapes; // z-order of the page, each on one layer
    quint64 activeLayer = 0;
    QList<quint64> selection;
    int referencePoint = 9; // 5 is bottom-left, 9 the centre

    Layer *layer(const QString &name);
    Layer *layerById(quint64 id);
    const Layer *layerById(quint64 id) const;
    Shape *shape(quint64 id);
    QList<const Shape *> shapesOn(const QString &layerName) const;
    QString activeLayerName() const;

private:
    // id -> position in layers, made anew when a look-up finds it off
    mutable std::unordered_map<quint64, size_t> m_layerAt;
};

struct Call
{
    QString object; // kind of host object
    QByteArray member;
    QVariantList args;
};

struct PropertyWrite
{
    QByteArray name;
    QVariant value;
};

struct ExportRecord
{
    QString file;
    int filter = 0;
    QList<PropertyWrite> settings;
    int shapesWritten = 0;
    QString failure; // the host's own error; nothing was written then
};

struct PdfRecord
{
    QString file;
    QList<PropertyWrite> settings;
    QStringList layers; // printed layers
    bool written = false;
};

struct PrintJob
{
    QStringList layers; // printed layers
    int shapes = 0;
};

class SimHost
{
public:
    static SimHost &instance();

    // Registers the host under its ProgIDs (idempotent).
    static void install();
    static QStringList progIds();

    // The host as a user finds it already running: the start document
    // (VEMO_SIMHOST_DOCUMENT) open and, in a widget application, its window
    // showing the page. A document that does not read leaves the host empty
    // and says why on stderr. Does nothing without the variable, unless the
    // program restarted itself: then the documents it had are open again.
    void start();
    // Opens the start document once; later calls do nothing.
    void loadStartDocument();
    // Across the program's own restart, which the real host outlives:
    // handOver() leaves the documents for the restarted copy, whose start()
    // opens them with takeOver() (false when none were left).
    void handOver();
    bool takeOver();

    // Back to a freshly started host: no document, empty logs, no faults,
    // every ProgID registered, the window hidden.
    void reset();

    // fault injection
    void setRegistered(const QString &progId, bool registered);
    // The member (normalised text) fails: it answers with nothing (no
    // object, no value) and has no effect; after `skip` good answers,
    // `count` times (-1: always).
    void failMember(const QByteArray &member, int skip = 0, int count = -1);
    void setPrintDialogAnswer(bool answer);
    // The HPGL export filter writes what `filter` makes of the page's text
    // (empty, huge, malformed ...); an empty function writes the page again.
    void setExportFilter(std::function<QByteArray(const QByteArray &page)> filter);
    // A host slower with files than this one: it answers an export `ms`
    // after it has written the file, and waits `ms` before it reads a
    // picture it imports.
    void setFileDelay(int ms);
    // Called with each call as it arrives, before the host acts on it.
    void setCallObserver(std::function<void(const Call &)> observer);

    // inspection
    QStringList errors() const;
    const QList<Call> &calls() const;
    QList<Call> callsOf(const QByteArray &member) const;
    void clearCalls();
    bool optimization() const;
    bool windowVisible() const;
    int liveHandles() const;
    const QList<ExportRecord> &exports() const;
    const QList<PdfRecord> &pdfs() const;
    const QList<PrintJob> &printJobs() const;
    // Every picture imported, as the host read it.
    const QList<QImage> &importedPictures() const;

    // documents
    Document *activeDocument();
    int documentCount() const;
    Document &createDocument();
    bool loadDocument(const QString &jsonPath, QString *error = nullptr);
    bool loadDocumentJson(const QByteArray &json, QString *error = nullptr);
    Shape &addShape(Document &doc, const QString &layerName, const QPainterPath &path,
        const QString &kind = QStringLiteral("curve"));
    Layer &addLayer(Document &doc, const QString &name);

    // drawing of the active page
    QImage snapshot(double pixelsPerInch = 40.0) const;
    bool saveSnapshot(const QString &file, double pixelsPerInch = 40.0) const;
    void paintPage(
        class QPainter &p, const Document &doc, const QRectF &target, bool printableOnly) const;

    // the HPGL export filter's writer
    QString hpglOf(const Document &doc, double unitsPerInch) const;

    struct Private;

private:
    SimHost();
    ~SimHost();
    std::unique_ptr<Private> d;
};

} // namespace simhost
