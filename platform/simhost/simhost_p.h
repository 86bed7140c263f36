#pragma once

#include "simhost.h"

#include <axserver.h>

#include <QHash>
#include <QPointer>
#include <QSet>

#include <algorithm>

namespace simhost {

class SimWindow;

enum class Kind
{
    App,
    Document,
    Page,
    Layers,
    Layer,
    Shapes,
    Shape,
    Range,
    Selection,
    Fill,
    Outline,
    Color,
    Bitmap,
    ExportFilter,
    ImportFilter,
    TraceFilter,
    ImportOptions,
    ExportOptions,
    PaletteOptions,
    PdfSettings,
    PrintSettings,
    Windows
};

QString kindName(Kind k);
inline uint qHash(Kind k, uint seed = 0)
{
    return ::qHash(int(k), seed);
}

// One automation object handed out to a wrapper. Host objects are named by
// id; a handle whose target is gone answers with nothing.
struct Handle
{
    Kind kind = Kind::App;
    quint64 doc = 0;
    quint64 target = 0; // layer, shape (bitmap, trace source), layer of Shapes (0: selectable)
    QList<quint64> ids; // Range; shape set of Fill/Outline/Color
    bool selectionSet = false; // Fill/Outline/Color of the selection
    int colourRole = 0; // Color: 0 standalone, 1 fill, 2 outline
    Cmyk cmyk; // standalone colour
    QString file; // filters
    int filter = 0;
    QList<PropertyWrite> props;
};

struct Fault
{
    QByteArray member;
    int skip = 0;
    int count = -1;
};

// The most path elements a document holds: a start document is read up to
// it, and the host makes no shape past it (about 1.2 GB of paths).
constexpr qint64 pointLimit = 50000000;

// shape lists of the model (simhost_model.cpp)
void deleteShapes(Document &doc, const QList<quint64> &ids);
QList<quint64> shapesOnLayer(const Document &doc, quint64 layer);
// The shapes of the layers `wanted` picks, layer by layer in the host's
// layer order, each layer's in page order: as the page is drawn.
std::vector<const Shape *> shapesByLayer(
    const Document &doc, const std::function<bool(const Layer &)> &wanted);

// The shapes a Shapes collection holds: those on its layer, or (layer 0)
// those on visible, editable layers. Made for one call: it answers for the
// layers as they are when it is made.
class Collection
{
public:
    Collection(const Document &doc, quint64 layer);
    bool holds(const Shape &s) const;
    int count() const;
    quint64 item(int i) const; // from 1; 0 when there is none
    QList<quint64> ids() const;

private:
    const Document &m_doc;
    quint64 m_layer;
    bool m_layerThere = false; // the collection's layer is still in the document
    quint64 m_key; // names the set to the shape list's counts
    // the last layer asked about: shapes of a layer mostly come together
    mutable quint64 m_lastLayer = 0;
    mutable bool m_lastHolds = false;
};

class Server;

struct SimHost::Private
{
    quint64 nextId = 1;
    std::vector<std::unique_ptr<Document>> documents;
    quint64 activeDoc = 0;
    QHash<quint64, Handle> handles;
    QStringList errors;
    QList<Call> calls;
    QList<Fault> faults;
    bool optimization = false;
    bool visible = false;
    bool printAnswer = true;
    std::function<QByteArray(const QByteArray &)> exportFilter;
    int fileDelayMs = 0;
    std::function<void(const Call &)> callObserver;
    QList<QImage> imports;
    QList<ExportRecord> exports;
    QList<PdfRecord> pdfs;
    QList<PrintJob> printJobs;
    std::shared_ptr<Server> server;
    QPointer<SimWindow> window;
    bool startDocumentLoaded = false;

    quint64 newId() { return nextId++; }
    Document *doc(quint64 id);
    quint64 addHandle(const Handle &h);
};

} // namespace simhost
