#include "marklayout.h"

#include <cmath>

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
    // Rows no more than a mark apart leave no piece to cut: such a side is
    // drawn as the unsegmented side, not as a piece from the top row.
    s.active = s.pieces >= 1;
    return s;
}

namespace {

struct Resolver {
    const Frame &f;
    double row = 0.0;
    double nextRow = 0.0;

    double operator()(const Coord &c) const
    {
        double base = 0.0;
        switch (c.anchor) {
        case Anchor::Zero: base = 0.0; break;
        case Anchor::Width: base = f.width; break;
        case Anchor::Height: base = f.height; break;
        case Anchor::Left: base = f.xl; break;
        case Anchor::Right: base = f.xr; break;
        case Anchor::Top: base = f.yt; break;
        case Anchor::Bottom: base = f.yb; break;
        case Anchor::Row: base = row; break;
        case Anchor::NextRow: base = nextRow; break;
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

    Resolver at{frame};
    for (const LineTemplate &t : spec.cornerGuides)
        out.guides.append(at.line(t));

    if (!out.seg.active) {
        for (const LineTemplate &t : spec.plainSides)
            out.guides.append(at.line(t));
    } else {
        const int last = n >= 1 ? n - 1 : 0;
        auto side = [&](const LineTemplate &piece, const LineTemplate &closing) {
            for (int i = 0; i <= n - 2; ++i) {
                Resolver r{frame, rowY(i), rowY(i + 1)};
                out.guides.append(r.line(piece));
            }
            Resolver r{frame, rowY(last), frame.yb};
            out.guides.append(r.line(closing));
        };
        side(spec.leftPiece, spec.leftClosing);
        side(spec.rightPiece, spec.rightClosing);
        auto rowGuides = [&](const QVector<LineTemplate> &ts) {
            for (double y : out.extraRows) {
                Resolver r{frame, y, y};
                for (const LineTemplate &t : ts)
                    out.guides.append(r.line(t));
            }
        };
        rowGuides(spec.leftRowGuides);
        rowGuides(spec.rightRowGuides);
    }

    for (const MarkTemplate &t : spec.cornerMarks)
        out.marks.append(at.mark(t));
    for (const MarkTemplate *t : {&spec.leftRowMark, &spec.rightRowMark}) {
        for (double y : out.extraRows) {
            Resolver r{frame, y, y};
            out.marks.append(r.mark(*t));
        }
    }
    return out;
}

// ---- circle marks -------------------------------------------------------

namespace {

Coord at(Anchor a, double off = 0.0) { return Coord{a, off}; }

LineTemplate line(Coord x1, Coord y1, Coord x2, Coord y2) { return LineTemplate{x1, y1, x2, y2}; }

PrimitiveTemplate disc(Coord x, Coord y, double r)
{
    PrimitiveTemplate p;
    p.kind = PrimitiveKind::Disc;
    p.x1 = x;
    p.y1 = y;
    p.x2 = x;
    p.y2 = y;
    p.radius = r;
    return p;
}

PrimitiveTemplate rect(Coord left, Coord top, Coord right, Coord bottom)
{
    PrimitiveTemplate p;
    p.kind = PrimitiveKind::Rectangle;
    p.x1 = left;
    p.y1 = top;
    p.x2 = right;
    p.y2 = bottom;
    return p;
}

constexpr Anchor Z = Anchor::Zero, W = Anchor::Width, H = Anchor::Height, XL = Anchor::Left,
                 XR = Anchor::Right, YT = Anchor::Top, YB = Anchor::Bottom, ROW = Anchor::Row,
                 NEXT = Anchor::NextRow;

void circleMarks(ShapeSpec &s, double r)
{
    s.style = MarkStyle::Filled;
    s.threshold = 2.0 * r;
    s.leftRowMark.parts = {disc(at(XL), at(ROW), r)};
    s.rightRowMark.parts = {disc(at(XR), at(ROW), r)};
}

// Segmented sides run along the discs' outer edges; `in` is the half-size of
// the clear square around a disc. The right-hand row guides are drawn in a
// different direction per layout, so each layout sets those itself.
void discSides(ShapeSpec &s, double r, double in)
{
    s.leftPiece = line(at(XL, -r), at(ROW, -in), at(XL, -r), at(NEXT, in));
    s.leftClosing = line(at(XL, -r), at(ROW, -in), at(XL, -r), at(YB, in));
    s.rightPiece = line(at(XR, r), at(ROW, -in), at(XR, r), at(NEXT, in));
    s.rightClosing = line(at(XR, r), at(ROW, -in), at(XR, r), at(YB, in));
    s.leftRowGuides = {
        line(at(XL, -r), at(ROW, in), at(XL, in), at(ROW, in)),
        line(at(XL, -r), at(ROW, -in), at(XL, in), at(ROW, -in)),
        line(at(XL, in), at(ROW, in), at(XL, in), at(ROW, -in)),
    };
}

} // namespace

ShapeSpec circleByPageSpec(double diameter, double clearance, double mmPerInch)
{
    const double r = diameter * 0.5;
    const double g = r + clearance;     // half-size of the clear square around a disc
    const double t = 2.5 / mmPerInch;   // inset of the outline from the page edges
    const double u = 0.5 / mmPerInch;   // half the width of a bar, and its gap from the disc
    const double v = 1.0 / mmPerInch;   // the bar's far edge from the disc

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
    s.plainSides = {
        line(at(Z, t), at(YT, -g), at(Z, t), at(YB, g)),
        line(at(W, -t), at(YT, -g), at(W, -t), at(YB, g)),
    };
    discSides(s, r, g);
    s.rightRowGuides = {
        line(at(XR, -g), at(ROW, g), at(XR, r), at(ROW, g)),
        line(at(XR, -g), at(ROW, -g), at(XR, r), at(ROW, -g)),
        line(at(XR, -g), at(ROW, g), at(XR, -g), at(ROW, -g)),
    };

    circleMarks(s, r);
    // The top-left disc carries a bar above and below it, so the mark reads
    // as the first one; its bounding box stays centred on the disc.
    s.cornerMarks = {
        {{disc(at(XL), at(YT), r), rect(at(XL, -u), at(YT, r + v), at(XL, u), at(YT, r + u)),
          rect(at(XL, -u), at(YT, -r - u), at(XL, u), at(YT, -r - v))}},
        {{disc(at(XR), at(YT), r)}},
        {{disc(at(XL), at(YB), r)}},
        {{disc(at(XR), at(YB), r)}},
    };
    return s;
}

ShapeSpec circleByFigureSpec(double diameter, double clearance)
{
    const double r = diameter * 0.5;
    const double c = clearance;
    const double in = r + c;  // inner sides of a notch, from the disc's centre

    ShapeSpec s;
    s.cornerGuides = {
        line(at(XL, in), at(YT, r), at(XR, -in), at(YT, r)),
        line(at(XL, in), at(YB, -r), at(XR, -in), at(YB, -r)),
        line(at(XL, -r), at(YT, -in), at(XL, in), at(YT, -in)),
        line(at(XL, in), at(YT, r), at(XL, in), at(YT, -in)),
        line(at(XR, -in), at(YT, r), at(XR, -in), at(YT, -in)),
        line(at(XR, r), at(YT, -in), at(XR, -in), at(YT, -in)),
        line(at(XL, -r), at(YB, in), at(XL, in), at(YB, in)),
        line(at(XL, in), at(YB, -r), at(XL, in), at(YB, in)),
        line(at(XR, r), at(YB, in), at(XR, -in), at(YB, in)),
        line(at(XR, -in), at(YB, -r), at(XR, -in), at(YB, in)),
    };
    s.plainSides = {
        line(at(XL, -r), at(YT, -in), at(XL, -r), at(YB, in)),
        line(at(XR, r), at(YT, -in), at(XR, r), at(YB, in)),
    };
    discSides(s, r, in);
    s.rightRowGuides = {
        line(at(XR, r), at(ROW, in), at(XR, -in), at(ROW, in)),
        line(at(XR, r), at(ROW, -in), at(XR, -in), at(ROW, -in)),
        line(at(XR, -in), at(ROW, in), at(XR, -in), at(ROW, -in)),
    };

    circleMarks(s, r);
    s.cornerMarks = {
        {{disc(at(XL), at(YT), r)}},
        {{disc(at(XR), at(YT), r)}},
        {{disc(at(XL), at(YB), r)}},
        {{disc(at(XR), at(YB), r)}},
    };
    return s;
}

} // namespace marks
