#pragma once

#include "qaxbase.h"

#include <QObject>

// A wrapper of one automation object. Sub-objects fetched through it are its
// children. Property writes go through QObject::setProperty, as with the real
// container.
class QAxObject : public QObject, public QAxBase
{
    Q_OBJECT
public:
    explicit QAxObject(QObject *parent = nullptr);
    explicit QAxObject(const QString &c, QObject *parent = nullptr);
    ~QAxObject() override;

    QObject *qObject() const override { return const_cast<QAxObject *>(this); }

protected:
    bool event(QEvent *e) override;

private:
    friend class QAxBase;
    QAxObject(std::shared_ptr<ax::Server> server, quint64 id, QObject *parent);
};
