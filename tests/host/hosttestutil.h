#pragma once

#include <simhost.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

// Runs the deferred deletions that the event loop would run after an action.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A host that "knows" nothing it was not told: the test fails on any member
// text the simulated host did not recognise.
#define VERIFY_NO_HOST_ERRORS()                                                                    \
    QVERIFY2(simhost::SimHost::instance().errors().isEmpty(),                                      \
             qPrintable(simhost::SimHost::instance().errors().join(QLatin1Char('\n'))))

inline QPainterPath rectPath(double x, double y, double w, double h)
{
    QPainterPath p;
    p.addRect(QRectF(x, y, w, h));
    return p;
}
