#include "marklayout.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace marks {

Frame pageFrame(double width, double height, const Margins &m)
{
    Frame f;
    f.width = width;
    f.height = height;
    f.xl = m.left;
    f.xr = width - m.right;
    f.yt = height - m.top;
    f.yb = m.bottom;
    return f;
}

Frame figureFrame(double px, double py, double sw, double sh, const Margins &m)
{
    Frame f;
    f.xl = px - m.left;
    f.xr = px + sw + m.right;
    f.yt = py + m.top;
    f.yb = py - sh - m.bottom;
    return f;
}

Segmentation segmentation(bool isSegment, double rowDistance, double segLength, double threshold)
{
    Segmentation s;
    if (!isSegment)
        return s;
    if (!std::isfinite(segLength) || segLength <= 0.0 || !std::isfinite(rowDistance)
        || !std::isfinite(threshold))
        return s;
    double q = rowDistance / segLength;
    if (!std::isfinite(q) || std::fabs(q) > maxSegmentPieces)
        return s;
    s.remainder = std::fmod(rowDistance, segLength);
    // A whole number of segments in millimetres may come out a few ulps
    // short of it in inches, leaving almost a whole segment as remainder:
    // that is no remainder, or an extra pair would stand on the bottom row.
    if (std::fabs(s.remainder) > segLength - remainderTolerance) {
        s.remainder = 0.0;
        q = std::round(q);
    }
    // Millimetre settings arrive divided by 25.4: a remainder equal to the
    // mark height may come out a few ulps above it, which must not add a row.
    const bool extra = s.remainder > threshold + remainderTolerance;
    s.pieces = static_cast<int>(std::trunc(q + (extra ? 1.0 : 0.0)));
    // Below one piece (rows no more than a mark apart) each side is still
    // drawn segmented: one closing piece from the top row.
    s.active = true;
    return s;
}

namespace {

struct Resolver
{
    const Frame &f;
    double row = 0.0;
    double nextRow = 0.0;

    double operator()(const Coord &c) const
    {
        double base = 0.0;
        switch (c.anchor) {
        case Anchor::Zero:
            base = 0.0;
            break;
        case Anchor::Width:
            base = f.width;
            break;
        case Anchor::Height:
            base = f.height;
            break;
        case Anchor::Left:
            base = f.xl;
            break;
        case Anchor::Right:
            base = f.xr;
            break;
        case Anchor::Top:
            base = f.yt;
            break;
        case Anchor::Bottom:
            base = f.yb;
            break;
        case Anchor::Row:
            base = row;
            break;
        case Anchor::NextRow:
            base = nextRow;
            break;
        }
        return base + c.offset;
    }

    QLineF line(const LineTemplate &t) const
    {
        return QLineF((*this)(t.x1), (*this)(t.y1), (*this)(t.x2), (*this)(t.y2));
    }

    Mark mark(const MarkTemplate &t) const
    {
        Mark m;
        for (const PrimitiveTemplate &p : t.parts) {
            Primitive q;
            q.kind = p.kind;
            q.x1 = (*this)(p.x1);
            q.y1 = (*this)(p.y1);
            q.x2 = (*this)(p.x2);
            q.y2 = (*this)(p.y2);
            q.radius = p.radius;
            m.parts.append(q);
        }
        return m;
    }
};

} // namespace

Layout buildLayout(const ShapeSpec &spec, const Frame &frame, bool isSegment, double segLength)
{
    Layout out;
    out.frame = frame;
    out.style = spec.style;
    out.strokeWidth = spec.strokeWidth;
    out.seg = segmentation(isSegment, frame.yt - frame.yb, segLength, spec.threshold);

    const int n = out.seg.pieces;
    auto rowY = [&](int i) { return frame.yt - i * segLength; };
    if (out.seg.active) {
        for (int i = 1; i <= n - 1; ++i)
            out.extraRows.append(rowY(i));
    }

    Resolver at { frame };
    for (const LineTemplate &t : spec.cornerGuides)
        out.guides.append(at.line(t));

    if (!out.seg.active) {
        for (const LineTemplate &t : spec.plainSides)
            out.guides.append(at.line(t));
    } else {
        const int last = n >= 1 ? n - 1 : 0;
        auto side = [&](const LineTemplate &piece, const LineTemplate &closing) {
            for (int i = 0; i <= n - 2; ++i) {
                Resolver r { frame, rowY(i), rowY(i + 1) };
                out.guides.append(r.line(piece));
            }
            Resolver r { frame, rowY(last), frame.yb };
            out.guides.append(r.line(closing));
        };
        side(spec.leftPiece, spec.leftClosing);
        side(spec.rightPiece, spec.rightClosing);
        auto rowGuides = [&](const QVector<LineTemplate> &ts) {
            for (double y : out.extraRows) {
                Resolver r { frame, y, y };
                for (const LineTemplate &t : ts)
                    out.guides.append(r.line(t));
            }
        };
        rowGuides(spec.leftRowGuides);
        rowGuides(spec.rightRowGuides);
    }

    for (const MarkTemplate &t : spec.cornerMarks)
        out.marks.append(at.mark(t));
    for (const MarkTemplate *t : { &spec.leftRowMark, &spec.rightRowMark }) {
        for (double y : out.extraRows) {
            Resolver r { frame, y, y };
            out.marks.append(r.mark(*t));
        }
    }
    return out;
}

// ---- shape tables -------------------------------------------------------

namespace {

Coord at(Anchor a, double off = 0.0)
{
    return Coord { a, off };
}

LineTemplate line(Coord x1, Coord y1, Coord x2, Coord y2)
{
    return LineTemplate { x1, y1, x2, y2 };
}

LineTemplate reversed(const LineTemplate &t)
{
    return LineTemplate { t.x2, t.y2, t.x1, t.y1 };
}

PrimitiveTemplate primitive(
    PrimitiveKind kind, Coord x1, Coord y1, Coord x2, Coord y2, double radius = 0.0)
{
    return PrimitiveTemplate { kind, x1, y1, x2, y2, radius };
}

PrimitiveTemplate disc(Coord x, Coord y, double r)
{
    return primitive(PrimitiveKind::Disc, x, y, x, y, r);
}

PrimitiveTemplate rect(Coord left, Coord top, Coord right, Coord bottom)
{
    return primitive(PrimitiveKind::Rectangle, left, top, right, bottom);
}

PrimitiveTemplate bar(Coord x1, Coord y1, Coord x2, Coord y2)
{
    return primitive(PrimitiveKind::Line, x1, y1, x2, y2);
}

constexpr Anchor Z = Anchor::Zero, W = Anchor::Width, H = Anchor::Height, XL = Anchor::Left,
                 XR = Anchor::Right, YT = Anchor::Top, YB = Anchor::Bottom, ROW = Anchor::Row,
                 NEXT = Anchor::NextRow;

// A guide frame that follows the inner sides of every mark box. Offsets are
// taken from the left column and the top row, mirrored for the right column
// and the bottom row.
struct BoxFrame
{
    double outerX; // the long sides (negative: outside the column)
    double innerX; // inner side of every box
    double outerY; // top and bottom edges, beyond the rows
    double innerY; // lower side of a top box; half the height of a row's box
};

// The ten lines around the corner boxes, numbered as they are drawn:
// 1 top edge, 2 bottom edge, 3 top-left lower side, 4 its inner side
// (upward), 5 top-right inner side (downward), 6 its lower side (from the
// inside out), 7 bottom-left upper side, 8 its inner side (downward),
// 9 bottom-right upper side (from the outside in), 10 its inner side
// (downward). Layouts that draw some of them otherwise say so.
QVector<LineTemplate> cornerBoxGuides(const BoxFrame &b)
{
    const double ox = b.outerX, ix = b.innerX, oy = b.outerY, iy = b.innerY;
    return {
        line(at(XL, ix), at(YT, oy), at(XR, -ix), at(YT, oy)),
        line(at(XL, ix), at(YB, -oy), at(XR, -ix), at(YB, -oy)),
        line(at(XL, ox), at(YT, -iy), at(XL, ix), at(YT, -iy)),
        line(at(XL, ix), at(YT, -iy), at(XL, ix), at(YT, oy)),
        line(at(XR, -ix), at(YT, oy), at(XR, -ix), at(YT, -iy)),
        line(at(XR, -ix), at(YT, -iy), at(XR, -ox), at(YT, -iy)),
        line(at(XL, ox), at(YB, iy), at(XL, ix), at(YB, iy)),
        line(at(XL, ix), at(YB, iy), at(XL, ix), at(YB, -oy)),
        line(at(XR, -ox), at(YB, iy), at(XR, -ix), at(YB, iy)),
        line(at(XR, -ix), at(YB, iy), at(XR, -ix), at(YB, -oy)),
    };
}

void reverseLines(QVector<LineTemplate> &lines, std::initializer_list<int> numbers)
{
    for (int n : numbers)
        lines[n - 1] = reversed(lines[n - 1]);
}

// The three lines around the box of an extra row: upper and lower side from
// the column inward, then the inner side downward.
QVector<LineTemplate> rowBox(Coord outer, Coord inner, double half)
{
    return {
        line(outer, at(ROW, half), inner, at(ROW, half)),
        line(outer, at(ROW, -half), inner, at(ROW, -half)),
        line(inner, at(ROW, half), inner, at(ROW, -half)),
    };
}

// The long sides on x = column + outerX, plain and segmented, and the boxes
// of the extra rows. By page the right boxes' upper and lower sides run
// from the inside out, around the artwork from the outside in.
void boxSides(ShapeSpec &s, const BoxFrame &b, bool byFigure)
{
    const Coord left = at(XL, b.outerX), right = at(XR, -b.outerX);
    const double gap = b.innerY;
    s.plainSides = {
        line(left, at(YT, -gap), left, at(YB, gap)),
        line(right, at(YT, -gap), right, at(YB, gap)),
    };
    s.leftPiece = line(left, at(ROW, -gap), left, at(NEXT, gap));
    s.leftClosing = line(left, at(ROW, -gap), left, at(YB, gap));
    s.rightPiece = line(right, at(ROW, -gap), right, at(NEXT, gap));
    s.rightClosing = line(right, at(ROW, -gap), right, at(YB, gap));
    s.leftRowGuides = rowBox(left, at(XL, b.innerX), gap);
    s.rightRowGuides = rowBox(right, at(XR, -b.innerX), gap);
    if (!byFigure) {
        s.rightRowGuides[0] = reversed(s.rightRowGuides[0]);
        s.rightRowGuides[1] = reversed(s.rightRowGuides[1]);
    }
}

// A disc on every corner and on each extra row's columns.
void circleMarks(ShapeSpec &s, double r)
{
    s.style = MarkStyle::Filled;
    s.threshold = 2.0 * r;
    s.cornerMarks = {
        { { disc(at(XL), at(YT), r) } },
        { { disc(at(XR), at(YT), r) } },
        { { disc(at(XL), at(YB), r) } },
        { { disc(at(XR), at(YB), r) } },
    };
    s.leftRowMark.parts = { disc(at(XL), at(ROW), r) };
    s.rightRowMark.parts = { disc(at(XR), at(ROW), r) };
}

void barMarks(ShapeSpec &s, double markHeight, double markWeight)
{
    s.style = MarkStyle::Stroked;
    s.strokeWidth = markWeight;
    s.threshold = markHeight;
}

// A cross centred on (x, y): the horizontal bar, then the vertical one.
MarkTemplate cross(Anchor x, Anchor y, double hw, double hh, bool upward)
{
    const double dy = upward ? hh : -hh;
    return { { bar(at(x, -hw), at(y), at(x, hw), at(y)),
        bar(at(x), at(y, -dy), at(x), at(y, dy)) } };
}

// An L with its corner on (x, y): the horizontal arm, then the vertical one.
MarkTemplate corner(Anchor x, Anchor y, double dx, double dy)
{
    return { { bar(at(x), at(y), at(x, dx), at(y)), bar(at(x), at(y), at(x), at(y, dy)) } };
}

// A T on its side at an extra row: the stem toward the artwork, then the
// upright on the column.
MarkTemplate rowT(Anchor x, double dx, double h, bool downward)
{
    const double dy = downward ? h : -h;
    return { { bar(at(x), at(ROW), at(x, dx), at(ROW)),
        bar(at(x), at(ROW, dy), at(x), at(ROW, -dy)) } };
}

} // namespace

ShapeSpec circleByPageSpec(double diameter, double clearance, double mmPerInch)
{
    const double r = diameter * 0.5;
    const double g = r + clearance; // half-size of the clear square around a disc
    const double t = 2.5 / mmPerInch; // inset of the outline from the page edges
    const double u = 0.5 / mmPerInch; // half the width of a bar, and its gap from the disc
    const double v = 1.0 / mmPerInch; // the bar's far edge from the disc

    ShapeSpec s;
    s.cornerGuides = {
        line(at(Z, t), at(H, -t), at(W, -t), at(H, -t)),
        line(at(Z, t), at(Z, t), at(W, -t), at(Z, t)),
        // top-left notch
        line(at(Z, t), at(H, -t), at(Z, t), at(YT, g)),
        line(at(Z, t), at(YT, g), at(XL, g), at(YT, g)),
        line(at(XL, g), at(YT, g), at(XL, g), at(YT, -g)),
        line(at(XL, g), at(YT, -g), at(Z, t), at(YT, -g)),
        // top-right notch
        line(at(W, -t), at(H, -t), at(W, -t), at(YT, g)),
        line(at(W, -t), at(YT, g), at(XR, -g), at(YT, g)),
        line(at(XR, -g), at(YT, g), at(XR, -g), at(YT, -g)),
        line(at(XR, -g), at(YT, -g), at(W, -t), at(YT, -g)),
        // bottom-left notch
        line(at(Z, t), at(Z, t), at(Z, t), at(YB, -g)),
        line(at(Z, t), at(YB, -g), at(XL, g), at(YB, -g)),
        line(at(XL, g), at(YB, -g), at(XL, g), at(YB, g)),
        line(at(XL, g), at(YB, g), at(Z, t), at(YB, g)),
        // bottom-right notch
        line(at(W, -t), at(Z, t), at(W, -t), at(YB, -g)),
        line(at(W, -t), at(YB, -g), at(XR, -g), at(YB, -g)),
        line(at(XR, -g), at(YB, -g), at(XR, -g), at(YB, g)),
        line(at(XR, -g), at(YB, g), at(W, -t), at(YB, g)),
    };
    // Segmented sides run along the discs' outer edges, plain ones on the
    // inset page edges.
    boxSides(s, BoxFrame { -r, g, r, g }, false);
    s.plainSides = {
        line(at(Z, t), at(YT, -g), at(Z, t), at(YB, g)),
        line(at(W, -t), at(YT, -g), at(W, -t), at(YB, g)),
    };

    circleMarks(s, r);
    // The top-left disc carries a bar above and below it, so the mark reads
    // as the first one; its bounding box stays centred on the disc.
    s.cornerMarks[0].parts << rect(at(XL, -u), at(YT, r + v), at(XL, u), at(YT, r + u))
                           << rect(at(XL, -u), at(YT, -r - u), at(XL, u), at(YT, -r - v));
    return s;
}

ShapeSpec circleByFigureSpec(double diameter, double clearance)
{
    const double r = diameter * 0.5;
    const double in = r + clearance; // inner sides of a notch, from the disc's centre
    const BoxFrame b { -r, in, r, in };

    ShapeSpec s;
    s.cornerGuides = cornerBoxGuides(b);
    reverseLines(s.cornerGuides, { 4, 6, 8, 10 });
    boxSides(s, b, true);

    circleMarks(s, r);
    return s;
}

// Crosses are centred on their reference points; the frame follows the
// outer sides of the columns' boxes and the inner sides of every box.
ShapeSpec crossByPageSpec(double markWidth, double markHeight, double markWeight)
{
    const double hw = markWidth * 0.5, hh = markHeight * 0.5;
    const BoxFrame b { -hw, hw, hh, hh };
    ShapeSpec s;
    s.cornerGuides = cornerBoxGuides(b);
    boxSides(s, b, false);
    barMarks(s, markHeight, markWeight);
    s.cornerMarks = { cross(XL, YT, hw, hh, true), cross(XR, YT, hw, hh, true),
        cross(XL, YB, hw, hh, true), cross(XR, YB, hw, hh, true) };
    s.leftRowMark = cross(XL, ROW, hw, hh, false);
    s.rightRowMark = cross(XR, ROW, hw, hh, false);
    return s;
}

ShapeSpec crossByFigureSpec(double markWidth, double markHeight, double markWeight)
{
    const double hw = markWidth * 0.5, hh = markHeight * 0.5;
    ShapeSpec s = crossByPageSpec(markWidth, markHeight, markWeight);
    // Around the artwork the top-right box's lower side comes before its
    // inner side, and these lines and the right row boxes' sides run the
    // other way round.
    reverseLines(s.cornerGuides, { 4, 9 });
    std::swap(s.cornerGuides[4], s.cornerGuides[5]);
    reverseLines(s.rightRowGuides, { 1, 2 });
    // The top crosses' vertical bars run downward.
    s.cornerMarks[0] = cross(XL, YT, hw, hh, false);
    s.cornerMarks[1] = cross(XR, YT, hw, hh, false);
    return s;
}

// Right angles have their corner on the reference point and their boxes
// inside it: the frame runs on the rows and columns themselves, and the box
// of an extra row is twice the mark height.
ShapeSpec rtAngleByPageSpec(double markWidth, double markHeight, double markWeight)
{
    const double w = markWidth, h = markHeight;
    const BoxFrame b { 0.0, w, 0.0, h };
    ShapeSpec s;
    s.cornerGuides = cornerBoxGuides(b);
    boxSides(s, b, false);
    barMarks(s, markHeight, markWeight);
    s.cornerMarks = { corner(XL, YT, w, -h), corner(XR, YT, -w, -h), corner(XL, YB, w, h),
        corner(XR, YB, -w, h) };
    s.leftRowMark = rowT(XL, w, h, true);
    s.rightRowMark = rowT(XR, -w, h, false);
    return s;
}

ShapeSpec rtAngleByFigureSpec(double markWidth, double markHeight, double markWeight)
{
    ShapeSpec s = rtAngleByPageSpec(markWidth, markHeight, markWeight);
    // Around the artwork: the top-left inner side runs downward, the right
    // boxes' sides from the outside in, and the right uprights downward.
    reverseLines(s.cornerGuides, { 4 });
    reverseLines(s.rightRowGuides, { 1, 2 });
    s.rightRowMark = rowT(XR, -markWidth, markHeight, true);
    return s;
}

} // namespace marks
