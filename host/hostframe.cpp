#include "hostframe.h"

#include "cdroperate.h"

namespace hostcall {

QVariant callList(QAxObject *obj, const char *member, QList<QVariant> args)
{
    return obj ? obj->dynamicCall(member, args) : QVariant();
}

QVariant asArg(QAxObject *obj)
{
    return obj ? obj->asVariant() : QVariant();
}

void release(QAxObject *&obj)
{
    if (obj)
        obj->deleteLater();
    obj = nullptr;
}

} // namespace hostcall

using hostcall::call;
using hostcall::query;

HostFrame::HostFrame(CdrOperate *op) : m_op(op) {}

HostFrame::~HostFrame()
{
    close();
}

QAxObject *HostFrame::app() const
{
    return m_op ? m_op->app : nullptr;
}

QAxObject *HostFrame::keep(QAxObject *obj)
{
    if (obj)
        m_kept << obj;
    return obj;
}

bool HostFrame::open()
{
    QAxObject *a = app();
    if (!a || a->isNull())
        return false;
    m_open = true;
    call(a, "SetOptimization(bool)", true);
    m_document = keep(query(a, "ActiveDocument()"));
    if (!m_document)
        m_document = keep(query(a, "CreateDocument()"));
    m_page = keep(query(m_document, "ActivePage()"));
    return true;
}

void HostFrame::rememberActiveLayer()
{
    QAxObject *active = query(m_document, "ActiveLayer()");
    if (active) {
        m_rememberedName = call(active, "Name()").toString();
        m_remembered = true;
    }
    hostcall::release(active);
}

void HostFrame::readLayers()
{
    m_layers = keep(query(m_page, "Layers()"));
    m_layerCount = call(m_layers, "Count()").toInt();
}

int HostFrame::findLayer(const QString &name) const
{
    for (int i = 1; i <= m_layerCount && m_layers; ++i) {
        QAxObject *item = query(m_layers, "Item(int)", i);
        if (!item)
            continue;
        const QString itemName = call(item, "Name()").toString();
        hostcall::release(item);
        if (itemName == name)
            return i;
    }
    return 0;
}

QString HostFrame::findLayerByPrefix(const QString &prefix) const
{
    for (int i = 1; i <= m_layerCount && m_layers; ++i) {
        QAxObject *item = query(m_layers, "Item(int)", i);
        if (!item)
            continue;
        const QString itemName = call(item, "Name()").toString();
        hostcall::release(item);
        if (itemName.size() >= prefix.size() && itemName.left(prefix.size()) == prefix)
            return itemName;
    }
    return QString();
}

QAxObject *HostFrame::layerNamed(const QString &name)
{
    return keep(query(m_layers, "Find(QString)", name));
}

QAxObject *HostFrame::clearLayer(const QString &name)
{
    QAxObject *layer = layerNamed(name);
    if (!layer)
        return nullptr;
    call(layer, "Activate()");
    call(layer, "SetEditable(bool)", true);
    QAxObject *shapes = query(layer, "Shapes()");
    QAxObject *all = query(shapes, "All()");
    call(all, "Delete()");
    hostcall::release(shapes); // and the range with it
    return layer;
}

QAxObject *HostFrame::createLayer(const QString &name)
{
    return keep(query(m_page, "CreateLayer(QString)", name));
}

QAxObject *HostFrame::clearOrCreateLayer(const QString &name)
{
    return hasLayer(name) ? clearLayer(name) : createLayer(name);
}

void HostFrame::clearSelection()
{
    call(m_document, "ClearSelection()");
}

void HostFrame::close()
{
    if (!m_open)
        return;
    m_open = false;
    if (m_remembered) {
        QAxObject *layer = query(m_layers, "Find(QString)", m_rememberedName);
        call(layer, "Activate()");
        hostcall::release(layer);
    }
    QAxObject *a = app();
    call(a, "SetOptimization(bool)", false);
    call(a, "Refresh()");
    QAxObject *windows = query(a, "Windows()");
    call(windows, "Refresh()");
    hostcall::release(windows);
    // Children go with their parents; deleteLater of both is safe.
    for (QAxObject *o : qAsConst(m_kept))
        o->deleteLater();
    m_kept.clear();
    m_document = m_page = m_layers = nullptr;
}
