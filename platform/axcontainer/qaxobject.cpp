#include "qaxobject.h"

#include <QDynamicPropertyChangeEvent>

QAxBase::QAxBase() = default;

QAxBase::~QAxBase()
{
    clear();
}

QString QAxBase::control() const
{
    return m_control;
}

bool QAxBase::setControl(const QString &c)
{
    clear();
    m_control = c;
    std::shared_ptr<ax::Server> server = ax::findServer(c.trimmed());
    if (!server)
        return false;
    const quint64 id = server->createInstance(c.trimmed());
    if (id == 0)
        return false;
    bind(server, id, c);
    return true;
}

void QAxBase::clear()
{
    if (m_server && m_id)
        m_server->release(m_id);
    m_server.reset();
    m_id = 0;
}

bool QAxBase::isNull() const
{
    return !m_server || m_id == 0;
}

void QAxBase::bind(std::shared_ptr<ax::Server> server, quint64 id, const QString &control)
{
    m_server = std::move(server);
    m_id = id;
    m_control = control;
}

static QVariantList upToFirstEmpty(std::initializer_list<const QVariant *> vars)
{
    QVariantList args;
    for (const QVariant *v : vars) {
        if (!v->isValid())
            break;
        args << *v;
    }
    return args;
}

QVariant QAxBase::invoke(const char *name, const QVariantList &args)
{
    if (isNull())
        return QVariant();
    const QByteArray member = ax::normalizeMember(name);
    return m_server->invoke(m_id, member, ax::convertArguments(member, args));
}

QVariant QAxBase::dynamicCall(const char *name, const QVariant &v1, const QVariant &v2,
    const QVariant &v3, const QVariant &v4, const QVariant &v5, const QVariant &v6,
    const QVariant &v7, const QVariant &v8)
{
    QList<QVariant> vars = upToFirstEmpty({ &v1, &v2, &v3, &v4, &v5, &v6, &v7, &v8 });
    return dynamicCall(name, vars);
}

QVariant QAxBase::dynamicCall(const char *name, QList<QVariant> &vars)
{
    QVariant result = invoke(name, vars);
    // An object result reaches the caller as the object itself, as the real
    // container hands back an IDispatch in a QVariant.
    return result;
}

QAxObject *QAxBase::querySubObject(const char *name, const QVariant &v1, const QVariant &v2,
    const QVariant &v3, const QVariant &v4, const QVariant &v5, const QVariant &v6,
    const QVariant &v7, const QVariant &v8)
{
    QList<QVariant> vars = upToFirstEmpty({ &v1, &v2, &v3, &v4, &v5, &v6, &v7, &v8 });
    return querySubObject(name, vars);
}

QAxObject *QAxBase::querySubObject(const char *name, QList<QVariant> &vars)
{
    const QVariant result = invoke(name, vars);
    if (!result.canConvert<ax::ObjectRef>() || result.userType() != qMetaTypeId<ax::ObjectRef>())
        return nullptr;
    const quint64 id = result.value<ax::ObjectRef>().id;
    if (id == 0)
        return nullptr;
    return new QAxObject(m_server, id, qObject());
}

QVariant QAxBase::asVariant() const
{
    if (isNull())
        return QVariant();
    return QVariant::fromValue(ax::ObjectRef { m_id });
}

void QAxBase::writeProperty(const QByteArray &name, const QVariant &value)
{
    if (isNull())
        return;
    m_server->writeProperty(m_id, name, value);
}

QAxObject::QAxObject(QObject *parent)
    : QObject(parent)
{
}

QAxObject::QAxObject(const QString &c, QObject *parent)
    : QObject(parent)
{
    setControl(c);
}

QAxObject::QAxObject(std::shared_ptr<ax::Server> server, quint64 id, QObject *parent)
    : QObject(parent)
{
    bind(std::move(server), id, QString());
}

QAxObject::~QAxObject() = default;

bool QAxObject::event(QEvent *e)
{
    if (e->type() == QEvent::DynamicPropertyChange) {
        auto *pe = static_cast<QDynamicPropertyChangeEvent *>(e);
        writeProperty(pe->propertyName(), property(pe->propertyName().constData()));
        return true;
    }
    return QObject::event(e);
}
