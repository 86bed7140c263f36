#pragma once

// The frame every host operation runs in, as reusable steps, and null-safe
// host calls. A host object that did not come back is never called: what
// depends on it is skipped, and the frame still switches the host's
// optimisation off and refreshes it.
//
// What the host did not answer, and what was skipped for it, goes to the
// category "vemo.host" (off by default; QT_LOGGING_RULES="vemo.host=true").

#include <QAxObject>
#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <QVariant>

Q_DECLARE_LOGGING_CATEGORY(lcHost)

class CdrOperate;

namespace hostcall {

// obj."member"(args) for an object result; nullptr when obj is missing or the
// host returns no object. The result is a child of obj.
template <typename... Args>
QAxObject *query(QAxObject *obj, const char *member, const Args &...args)
{
    static_assert(sizeof...(Args) <= 8, "at most eight arguments");
    if (!obj)
        return nullptr;
    QAxObject *result = obj->querySubObject(member, QVariant(args)...);
    if (!result)
        qCDebug(lcHost, "%s answered no object", member);
    return result;
}

// obj."member"(args) for an effect; empty when obj is missing.
template <typename... Args> QVariant call(QAxObject *obj, const char *member, const Args &...args)
{
    static_assert(sizeof...(Args) <= 8, "at most eight arguments");
    return obj ? obj->dynamicCall(member, QVariant(args)...) : QVariant();
}

// obj."member"(args) for a value; empty when obj is missing or the host
// answers nothing.
template <typename... Args> QVariant read(QAxObject *obj, const char *member, const Args &...args)
{
    const QVariant value = call(obj, member, args...);
    if (obj && !value.isValid())
        qCDebug(lcHost, "%s answered nothing", member);
    return value;
}

// The list form, for members with more than eight arguments.
QVariant callList(QAxObject *obj, const char *member, QList<QVariant> args);

// The object as an argument of another call; empty when it is missing.
QVariant asArg(QAxObject *obj);

// Schedules the wrapper for deletion and forgets it.
void release(QAxObject *&obj);

} // namespace hostcall

class HostFrame
{
public:
    explicit HostFrame(CdrOperate *op);
    ~HostFrame(); // closes the frame if the operation did not
    HostFrame(const HostFrame &) = delete;
    HostFrame &operator=(const HostFrame &) = delete;

    // Host check, optimisation on, active document (a new one when none is
    // open), its active page. False only when there is no host object; then
    // nothing was sent and close() sends nothing either.
    bool open();
    // The active layer's name, re-activated by close().
    void rememberActiveLayer();
    // The page's layer collection and its count (0 without a collection).
    void readLayers();

    // Index (from 1) of the first layer named exactly `name`, 0 when none.
    int findLayer(const QString &name) const;
    bool hasLayer(const QString &name) const { return findLayer(name) > 0; }
    // Name of the first layer whose name begins with `prefix`; null when none.
    QString findLayerByPrefix(const QString &prefix) const;

    // layers."Find(QString)"; the frame releases it on close.
    QAxObject *layerNamed(const QString &name);
    // Activated, editable and emptied.
    QAxObject *clearLayer(const QString &name);
    // page."CreateLayer(QString)": new and active.
    QAxObject *createLayer(const QString &name);
    // Lookup, then clearing when found or creation when missing.
    QAxObject *clearOrCreateLayer(const QString &name);

    // document."ClearSelection()": before a selection that later steps act on.
    void clearSelection();

    // Re-activation of the remembered layer, optimisation off, refresh,
    // release of every wrapper the frame holds. Runs once.
    void close();

    // Hands a fetched wrapper to the frame, which releases it on close.
    QAxObject *keep(QAxObject *obj);

    QAxObject *app() const;
    QAxObject *document() const { return m_document; }
    QAxObject *page() const { return m_page; }
    QAxObject *layers() const { return m_layers; }
    int layerCount() const { return m_layerCount; }
    QString rememberedLayer() const { return m_rememberedName; }

private:
    CdrOperate *m_op;
    QAxObject *m_document = nullptr;
    QAxObject *m_page = nullptr;
    QAxObject *m_layers = nullptr;
    int m_layerCount = 0;
    bool m_open = false;
    bool m_remembered = false;
    QString m_rememberedName;
    QList<QAxObject *> m_kept;
};
