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

// shape lists of the model (simhost_model.cpp)
void deleteShapes(Document &doc, const QList<quint64> &ids);
QList<quint64> shapesOnLayer(const Document &doc, quint64 layer);

// The shapes a Shapes collection holds: those on its layer, or (layer 0)
// those on visible, editable layers.
class Collection
{
public:
    Collection(const Document &doc, quint64 layer);
    bool holds(const Shape &s) const
    {
        return std::find(m_layers.begin(), m_layers.end(), s.layer) != m_layers.end();
    }
    int count() const;
    quint64 item(int i) const; // from 1; 0 when there is none
    QList<quint64> ids() const;

private:
    const Document &m_doc;
    std::vector<quint64> m_layers; // a page has a few
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
