#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <memory>

// The automation side of the stand-in container. An automation server is
// registered under one or more ProgIDs; a QAxObject created for a ProgID asks
// the registry for the server and the server for its application object.
// Objects are referred to by id only, so a wrapper whose host object was
// deleted meanwhile stays harmless: the server answers it with nothing.
namespace ax {

// A host object passed through a QVariant (QAxBase::asVariant, object results).
struct ObjectRef
{
    quint64 id = 0;
    bool operator==(const ObjectRef &o) const { return id == o.id; }
};

class Server
{
public:
    virtual ~Server() = default;

    // The application object for progId, 0 when it cannot be created.
    virtual quint64 createInstance(const QString &progId) = 0;

    // Calls a member by its normalised signature text ("Item(int)"), or reads
    // a property when the text has no parentheses. Arguments already carry
    // the declared types. An object result is returned as an ObjectRef.
    virtual QVariant invoke(quint64 object, const QByteArray &member, const QVariantList &args) = 0;

    // A property write delivered from QObject::setProperty on the wrapper.
    virtual void writeProperty(quint64 object, const QByteArray &name, const QVariant &value) = 0;

    // The last wrapper of this id went away.
    virtual void release(quint64 object) { Q_UNUSED(object); }
};

void registerServer(const QString &progId, std::shared_ptr<Server> server);
void unregisterServer(const QString &progId);
std::shared_ptr<Server> findServer(const QString &progId);
QStringList registeredProgIds();

// Member text as the container matches it: whitespace folded the way
// QMetaObject::normalizedSignature folds it ("const QString&" becomes
// "QString").
QByteArray normalizeMember(const char *member);

// Declared parameter types of a normalised member text; empty for a property.
QList<QByteArray> parameterTypes(const QByteArray &normalized);

// Converts the arguments to the declared types (an int where a double is
// declared becomes a double; enum is int; QVariant is passed unchanged).
QVariantList convertArguments(const QByteArray &normalized, const QVariantList &args);

} // namespace ax

Q_DECLARE_METATYPE(ax::ObjectRef)
