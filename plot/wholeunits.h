#pragma once

// The segment clean-up rule the reader and the knife offset share, so both
// drop exactly the same segments.

#include <QLineF>
#include <QtGlobal>

#include <climits>

namespace wholeunits {

// Values that round to an int; NaN and infinity fall outside.
inline bool roundable(double v)
{
    return v >= -2147483648.5 && v < 2147483647.5;
}

// qRound of a roundable value; qRound itself overflows at the int minimum.
inline int roundWhole(double v)
{
    return v > -2147483648.0 ? qRound(v) : INT_MIN;
}

// qRound where it is defined; beyond the int range (and for NaN) the value
// saturates, as the writers round their points.
inline int saturatingRound(double v)
{
    if (v > -2147483648.0 && v < 2147483647.5)
        return qRound(v);
    return v > 0 ? INT_MAX : INT_MIN;
}

// A segment vanishes at whole-unit resolution, or cannot be rounded at all.
inline bool isDegenerate(const QLineF &s)
{
    if (!roundable(s.x1()) || !roundable(s.y1()) || !roundable(s.x2()) || !roundable(s.y2()))
        return true;
    return roundWhole(s.x1()) == roundWhole(s.x2()) && roundWhole(s.y1()) == roundWhole(s.y2());
}

} // namespace wholeunits
