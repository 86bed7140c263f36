#include "hostframe.h"

#include "cdroperate.h"

Q_LOGGING_CATEGORY(lcHost, "vemo.host", QtWarningMsg)

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
using hostcall::read;

HostFrame::HostFrame(CdrOperate *op)
    : m_op(op)
{
}

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
    if (!a || a->isNull()) {
        qCDebug(lcHost, "no host application: the operation sends nothing");
        return false;
    }
    m_open = true;
    call(a, "SetOptimization(bool)", true);
    m_document = keep(query(a, "ActiveDocument()"));
    if (!m_document)
        m_document = keep(query(a, "CreateDocument()"));
    m_page = keep(query(m_document, "ActivePage()"));
    if (!m_page)
        qCDebug(lcHost, "no document page: the operation's page steps are skipped");
    return true;
}

void HostFrame::rememberActiveLayer()
{
    QAxObject *active = query(m_document, "ActiveLayer()");
    if (active) {
        m_rememberedName = read(active, "Name()").toString();
        m_remembered = true;
    }
    hostcall::release(active);
}

void HostFrame::readLayers()
{
    m_layers = keep(query(m_page, "Layers()"));
    m_layerCount = read(m_layers, "Count()").toInt();
}

namespace {

// Index (from 1) of the first layer whose name passes `match`, 0 when none;
// its name goes to `found`.
template <typename Match>
int firstLayer(QAxObject *layers, int count, Match match, QString *found = nullptr)
{
    for (int i = 1; i <= count && layers; ++i) {
        QAxObject *item = query(layers, "Item(int)", i);
        if (!item)
            continue;
        const QString itemName = read(item, "Name()").toString();
        hostcall::release(item);
        if (match(itemName)) {
            if (found)
                *found = itemName;
            return i;
        }
    }
    return 0;
}

} // namespace

int HostFrame::findLayer(const QString &name) const
{
    return firstLayer(m_layers, m_layerCount, [&](const QString &n) { return n == name; });
}

QString HostFrame::findLayerByPrefix(const QString &prefix) const
{
    QString name;
    firstLayer(
        m_layers, m_layerCount, [&](const QString &n) { return n.left(prefix.size()) == prefix; },
        &name);
    return name;
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
