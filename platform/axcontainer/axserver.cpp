#include "axserver.h"

#include <QHash>
#include <QMetaObject>
#include <QMutex>

namespace ax {

namespace {
struct Registry
{
    QMutex mutex;
    QHash<QString, std::shared_ptr<Server>> servers;
};

Registry &registry()
{
    static Registry r;
    return r;
}
} // namespace

void registerServer(const QString &progId, std::shared_ptr<Server> server)
{
    QMutexLocker lock(&registry().mutex);
    registry().servers.insert(progId, std::move(server));
}

void unregisterServer(const QString &progId)
{
    QMutexLocker lock(&registry().mutex);
    registry().servers.remove(progId);
}

std::shared_ptr<Server> findServer(const QString &progId)
{
    QMutexLocker lock(&registry().mutex);
    return registry().servers.value(progId);
}

QStringList registeredProgIds()
{
    QMutexLocker lock(&registry().mutex);
    QStringList ids = registry().servers.keys();
    ids.sort();
    return ids;
}

QByteArray normalizeMember(const char *member)
{
    if (!member)
        return QByteArray();
    QByteArray text = QByteArray(member).trimmed();
    if (!text.contains('('))
        return text;
    return QMetaObject::normalizedSignature(text.constData());
}

QList<QByteArray> parameterTypes(const QByteArray &normalized)
{
    const int open = normalized.indexOf('(');
    const int close = normalized.lastIndexOf(')');
    if (open < 0 || close <= open + 1)
        return {};
    return normalized.mid(open + 1, close - open - 1).split(',');
}

QVariantList convertArguments(const QByteArray &normalized, const QVariantList &args)
{
    const QList<QByteArray> types = parameterTypes(normalized);
    QVariantList out;
    out.reserve(args.size());
    for (int i = 0; i < args.size(); ++i) {
        const QVariant &a = args.at(i);
        const QByteArray t = i < types.size() ? types.at(i) : QByteArray("QVariant");
        if (t == "double")
            out << QVariant(a.toDouble());
        else if (t == "int" || t == "enum" || t == "long")
            out << QVariant(a.toInt());
        else if (t == "bool")
            out << QVariant(a.toBool());
        else if (t == "QString")
            out << QVariant(a.toString());
        else
            out << a;
    }
    return out;
}

} // namespace ax
