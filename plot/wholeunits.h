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

// qRound where it is defined (qRound itself overflows at the int minimum);
// beyond the int range (and for NaN) the value saturates, as the writers
// round their points.
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
    return saturatingRound(s.x1()) == saturatingRound(s.x2())
        && saturatingRound(s.y1()) == saturatingRound(s.y2());
}

} // namespace wholeunits
