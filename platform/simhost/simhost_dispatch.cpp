// How a call reaches its handler: the checks, the call log, injected
// faults, and the object's document and target looked up.
#include "simhost_server.h"
#include "simwindow.h"

namespace simhost {

quint64 Server::createInstance(const QString &progId)
{
    Q_UNUSED(progId);
    // The host "starts" with the document named by the environment, once.
    SimHost::instance().loadStartDocument();
    Handle h;
    h.kind = Kind::App;
    return d->addHandle(h);
}

QVariant Server::invoke(quint64 objectId, const QByteArray &m, const QVariantList &a)
{
    auto it = d->handles.find(objectId);
    if (it == d->handles.end()) {
        error(QStringLiteral("call on a released object: %1").arg(QString::fromLatin1(m)));
        return QVariant();
    }
    Handle h = it.value();
    d->calls << Call { kindName(h.kind), m, a };
    if (d->callObserver)
        d->callObserver(d->calls.last());

    const Member *member = findMember(h.kind, m);
    if (!member) {
        error(QStringLiteral("unknown member %1.%2").arg(kindName(h.kind), QString::fromLatin1(m)));
        return QVariant();
    }
    if (m.contains('(') && ax::parameterTypes(m).size() != a.size()) {
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
    Invocation c { *this, h, nullptr, a, nullptr, {} };
    QVariant result;
    if (resolve(c))
        result = member->answer(c);
    if (d->handles.contains(objectId))
        d->handles[objectId] = h;
    return result;
}

bool Server::resolve(Invocation &c)
{
    const Handle &h = c.self;
    switch (h.kind) {
    case Kind::App:
        c.doc = d->doc(d->activeDoc);
        return true;
    case Kind::Windows:
        return true;
    case Kind::Color:
        if (h.colourRole == 0)
            return true; // a standalone colour belongs to no document
        break;
    default:
        break;
    }
    c.doc = d->doc(h.doc);
    if (!c.doc)
        return false; // the document was closed meanwhile: harmless
    switch (h.kind) {
    case Kind::Layer:
        c.layer = c.doc->layerById(h.target);
        return c.layer; // deleted meanwhile
    case Kind::Shape:
        c.ids = members(h, *c.doc);
        return !c.ids.isEmpty(); // deleted meanwhile
    case Kind::Range:
    case Kind::Selection:
    case Kind::Fill:
    case Kind::Outline:
    case Kind::Color:
        c.ids = members(h, *c.doc);
        return true;
    default:
        return true;
    }
}

void Server::writeProperty(quint64 objectId, const QByteArray &name, const QVariant &value)
{
    auto it = d->handles.find(objectId);
    if (it == d->handles.end())
        return;
    d->calls << Call { kindName(it->kind), "=" + name, { value } };
    if (d->callObserver)
        d->callObserver(d->calls.last());
    if (!knowsProperty(it->kind, name)) {
        error(QStringLiteral("unknown property %1.%2")
                  .arg(kindName(it->kind), QString::fromLatin1(name)));
        return;
    }
    it->props << PropertyWrite { name, value };
}

QVariant Server::object(Kind kind, quint64 doc, quint64 target)
{
    Handle h;
    h.kind = kind;
    h.doc = doc;
    h.target = target;
    return object(h);
}

QVariant Server::object(const Handle &h)
{
    return QVariant::fromValue(ax::ObjectRef { d->addHandle(h) });
}

void Server::refreshWindow()
{
    if (d->window)
        d->window->update();
}

// ---------------------------------------------------------------- shape sets

Handle Server::setHandle(Kind kind, const Handle &from) const
{
    Handle h;
    h.kind = kind;
    h.doc = from.doc;
    if (from.kind == Kind::Selection || from.selectionSet)
        h.selectionSet = true;
    else if (from.kind == Kind::Shape)
        h.ids = { from.target };
    else
        h.ids = from.ids;
    return h;
}

QList<quint64> Server::members(const Handle &h, const Document &doc) const
{
    QList<quint64> ids;
    if (h.kind == Kind::Selection || h.selectionSet)
        ids = doc.selection;
    else if (h.kind == Kind::Shape)
        ids = { h.target };
    else
        ids = h.ids;
    QList<quint64> live;
    for (quint64 id : ids)
        if (doc.shapes.contains(id))
            live << id;
    return live;
}

Shape &Server::newShape(
    Document &doc, quint64 layer, const QPainterPath &path, const QString &kind, int position)
{
    Shape s;
    s.id = d->newId();
    s.layer = layer;
    s.kind = kind;
    s.path = path;
    if (position < 0 || position > int(doc.shapes.size()))
        position = int(doc.shapes.size());
    doc.selection = { s.id };
    return doc.shapes.insert(size_t(position), s);
}

} // namespace simhost
