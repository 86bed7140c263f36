#pragma once

#include <axserver.h>
#include <simhost.h>
#include <units.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

// The host version the suites drive.
const QString v24 = QStringLiteral("CorelDraw.Application.24");

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

// The host measures in inches; sheets in the tests are laid out in millimetres.
constexpr double mm = 1.0 / Units::mmPerInch;

inline QPainterPath mmRect(double x, double y, double w, double h)
{
    return rectPath(x * mm, y * mm, w * mm, h * mm);
}

inline QPainterPath mmCircle(double cx, double cy, double r)
{
    QPainterPath p;
    p.addEllipse(QPointF(cx * mm, cy * mm), r * mm, r * mm);
    return p;
}

inline bool near(const QRectF &a, const QRectF &b, double tol)
{
    return qAbs(a.left() - b.left()) <= tol && qAbs(a.right() - b.right()) <= tol
        && qAbs(a.top() - b.top()) <= tol && qAbs(a.bottom() - b.bottom()) <= tol;
}

// The host's call log as text: "Kind.Member" and the typed arguments, so a
// sequence compares member texts, values and argument types at once.
inline QString callArg(const QVariant &v)
{
    if (v.userType() == qMetaTypeId<ax::ObjectRef>())
        return QStringLiteral("obj");
    switch (v.userType()) {
    case QMetaType::Bool:
        return v.toBool() ? "bool:true" : "bool:false";
    case QMetaType::Int:
        return "int:" + QString::number(v.toInt());
    case QMetaType::Double:
        return "double:" + QString::number(v.toDouble(), 'g', 10);
    case QMetaType::QString:
        return "'" + v.toString() + "'";
    default:
        return QStringLiteral("?%1").arg(v.typeName());
    }
}

inline QStringList loggedCalls()
{
    QStringList out;
    for (const simhost::Call &c : simhost::SimHost::instance().calls()) {
        QStringList args;
        for (const QVariant &a : c.args)
            args << callArg(a);
        QString s = c.object + '.' + QString::fromLatin1(c.member);
        if (!args.isEmpty())
            s += " " + args.join(", ");
        out << s;
    }
    return out;
}

// The whole call log against the expected calls, naming the first that differs.
#define COMPARE_CALLS(expected)                                                                    \
    do {                                                                                           \
        const QStringList got_ = loggedCalls();                                                    \
        for (int i_ = 0; i_ < qMin(got_.size(), (expected).size()); ++i_)                          \
            QVERIFY2(got_[i_] == (expected)[i_],                                                   \
                qPrintable(QStringLiteral("call %1: %2\n   expected: %3")                          \
                               .arg(i_)                                                            \
                               .arg(got_[i_], (expected)[i_])));                                   \
        QCOMPARE(got_.size(), (expected).size());                                                  \
    } while (false)
