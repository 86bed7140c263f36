#pragma once

#include "axserver.h"

#include <QList>
#include <QString>
#include <QVariant>

class QAxObject;
class QObject;

// The subset of Qt's COM container base that the host driver uses, with the
// same signatures, backed by an in-process automation server.
class QAxBase
{
public:
    QAxBase();
    virtual ~QAxBase();

    QString control() const;
    bool setControl(const QString &c);
    void clear();
    bool isNull() const;

    // Up to eight arguments; the list ends at the first empty QVariant.
    QVariant dynamicCall(const char *name, const QVariant &v1 = QVariant(),
        const QVariant &v2 = QVariant(), const QVariant &v3 = QVariant(),
        const QVariant &v4 = QVariant(), const QVariant &v5 = QVariant(),
        const QVariant &v6 = QVariant(), const QVariant &v7 = QVariant(),
        const QVariant &v8 = QVariant());
    QVariant dynamicCall(const char *name, QList<QVariant> &vars);

    QAxObject *querySubObject(const char *name, const QVariant &v1 = QVariant(),
        const QVariant &v2 = QVariant(), const QVariant &v3 = QVariant(),
        const QVariant &v4 = QVariant(), const QVariant &v5 = QVariant(),
        const QVariant &v6 = QVariant(), const QVariant &v7 = QVariant(),
        const QVariant &v8 = QVariant());
    QAxObject *querySubObject(const char *name, QList<QVariant> &vars);

    // The object as an argument for another call.
    QVariant asVariant() const;

    virtual QObject *qObject() const = 0;

protected:
    void bind(std::shared_ptr<ax::Server> server, quint64 id, const QString &control);
    void writeProperty(const QByteArray &name, const QVariant &value);

private:
    QVariant invoke(const char *name, const QVariantList &args);

    std::shared_ptr<ax::Server> m_server;
    quint64 m_id = 0;
    QString m_control;
};
