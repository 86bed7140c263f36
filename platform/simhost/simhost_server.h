#pragma once

// The automation server of the simulated host: the member table and what
// its handlers share.
#include "simhost_p.h"

namespace simhost {

class Server;

// One call on a host object, as its handler sees it.
struct Invocation
{
    Server &host;
    Handle &self; // the object called; changes to it are kept
    Document *doc; // its document; the active one for the application
    const QVariantList &args; // as many as the member text declares
    Layer *layer = nullptr; // Layer: the layer itself
    QList<quint64> ids; // shape sets, Fill, Outline, Color: the live shapes

    const QVariant &arg(int i) const { return args[i]; }
};

using Handler = QVariant (*)(Invocation &);

// The kinds of object a member belongs to.
class Kinds
{
public:
    static constexpr int limit = 32; // kinds a set can hold
    Kinds(Kind k)
        : m_bits(1u << unsigned(k))
    {
        Q_ASSERT(int(k) < limit);
    }
    Kinds operator|(Kinds o) const { return Kinds(m_bits | o.m_bits); }
    bool has(Kind k) const { return m_bits & (1u << unsigned(k)); }

private:
    explicit Kinds(unsigned bits)
        : m_bits(bits)
    {
    }
    unsigned m_bits;
};

// One row of the member table: the member text (normalised, as the wrapper
// sends it) on objects of these kinds, and what answers it.
struct Member
{
    Kinds kinds;
    const char *text;
    Handler answer;
};

// The members the host knows; every other member is an error.
const Member *findMember(Kind kind, const QByteArray &text);
// Whether the host's option objects of this kind take the property.
bool knowsProperty(Kind kind, const QByteArray &name);

class Server : public ax::Server
{
public:
    explicit Server(SimHost::Private *d)
        : d(d)
    {
    }

    quint64 createInstance(const QString &progId) override;
    QVariant invoke(quint64 object, const QByteArray &member, const QVariantList &args) override;
    void writeProperty(quint64 object, const QByteArray &name, const QVariant &value) override;
    void release(quint64 object) override { d->handles.remove(object); }

    SimHost::Private *d;

    // answers
    QVariant object(Kind kind, quint64 doc, quint64 target = 0);
    QVariant object(const Handle &h);
    void error(const QString &text) { d->errors << text; }
    void refreshWindow();

    // shape sets
    QList<quint64> members(const Handle &h, const Document &doc) const;
    Handle setHandle(Kind kind, const Handle &from) const;
    // A new shape at `position` in the page order (-1: on top), selected.
    Shape &newShape(Document &doc, quint64 layer, const QPainterPath &path, const QString &kind,
        int position = -1);

    // filters and publishing (simhost_filters.cpp)
    void exportHpgl(Handle &h, Document &doc);
    void publishPdf(Document &doc, const QString &file, const QList<PropertyWrite> &settings);
    void importPicture(Handle &h, Document &doc);
    void trace(Handle &h, Document &doc);
    void printOut(Document &doc);

private:
    // The object's document and target; false when they are gone.
    bool resolve(Invocation &c);
};

} // namespace simhost
