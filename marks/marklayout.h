#pragma once

// The mark-layout engine: the geometry of every registration-mark layout
// (filled circles, stroked crosses and right angles; by page or around the
// artwork) computed without a host. A layout shape is described by data (a
// ShapeSpec: its guide lines and mark primitives written against the
// layout's reference values), and buildLayout() turns it into concrete guide
// lines and marks in drawing order. markdriver.h runs a layout against the
// host; circlemarks.cpp and barmarks.cpp are the CdrOperate operations. All
// lengths are inches, x to the right, y upward.

#include <QLineF>
#include <QPointF>
#include <QVector>

namespace marks {

// What a coordinate of a template is measured from.
enum class Anchor
{
    Zero, // 0 (the page's left or bottom edge)
    Width, // page width
    Height, // page height
    Left, // x of the left mark column
    Right, // x of the right mark column
    Top, // y of the top mark row
    Bottom, // y of the bottom mark row
    Row, // y of the row a piece or extra mark belongs to
    NextRow // y of the row below it (side pieces only)
};

struct Coord
{
    Anchor anchor = Anchor::Zero;
    double offset = 0.0;
};

struct LineTemplate
{
    Coord x1, y1, x2, y2;
};

enum class PrimitiveKind
{
    Line, // (x1, y1) to (x2, y2)
    Disc, // centre (x1, y1), radius
    Rectangle // left x1, top y1, right x2, bottom y2
};

struct PrimitiveTemplate
{
    PrimitiveKind kind = PrimitiveKind::Line;
    Coord x1, y1, x2, y2;
    double radius = 0.0;
};

// One mark: its primitives, in creation order. A mark of several
// primitives is joined into one host shape.
struct MarkTemplate
{
    QVector<PrimitiveTemplate> parts;
};

enum class MarkStyle
{
    Filled, // filled in the mark colour, no outline (discs, bars)
    Stroked // no fill, outline of the mark weight in the mark colour (lines)
};

// Everything that tells one mark shape and reference from another.
struct ShapeSpec
{
    QVector<LineTemplate> cornerGuides; // always drawn first
    QVector<LineTemplate> plainSides; // the two long sides without segmentation
    // Segmented long sides: a piece runs from Row down to NextRow, the
    // closing piece from the last row (Row) down to the bottom row.
    LineTemplate leftPiece, leftClosing, rightPiece, rightClosing;
    // Guide lines around the mark of an extra row (Row = that row).
    QVector<LineTemplate> leftRowGuides, rightRowGuides;
    // Marks: the four corners (top left, top right, bottom left, bottom
    // right), then the mark of an extra row in the left and right column.
    QVector<MarkTemplate> cornerMarks;
    MarkTemplate leftRowMark, rightRowMark;
    MarkStyle style = MarkStyle::Filled;
    double strokeWidth = 0.0; // outline width of stroked marks
    double threshold = 0.0; // the mark height of the segmentation rule
};

// The margins as the caller gives them (inches).
struct Margins
{
    double top = 0.0, left = 0.0, right = 0.0, bottom = 0.0;
};

// The reference values of one layout.
struct Frame
{
    double width = 0.0, height = 0.0; // page size (page reference only)
    double xl = 0.0, xr = 0.0, yt = 0.0, yb = 0.0;
};

// Marks inside the page margins, measured inward from the page edges.
Frame pageFrame(double width, double height, const Margins &m);
// Marks around the artwork box whose top-left corner is (px, py), measured
// outward from its edges.
Frame figureFrame(double px, double py, double sw, double sh, const Margins &m);

// Rows of marks more than this many pieces per side are not drawn: such a
// segment length (from a hand-edited settings file) means no segmentation.
constexpr double maxSegmentPieces = 1000.0;

// Remainders this close to the mark height count as equal to it, and this
// close to a whole segment as none (inches).
constexpr double remainderTolerance = 1e-9;

struct Segmentation
{
    bool active = false; // the sides are segmented at all
    int pieces = 0; // n: pieces per side; below 1 the closing piece starts on the top row
    double remainder = 0.0;
};

// The segmentation rule: n = trunc(L / s + (fmod(L, s) > e ? 1 : 0)).
// Inactive when switched off or when s, L or e make no sense (s not positive
// or not finite, or more than maxSegmentPieces pieces).
Segmentation segmentation(bool isSegment, double rowDistance, double segLength, double threshold);

struct Primitive
{
    PrimitiveKind kind = PrimitiveKind::Line;
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    double radius = 0.0;
};

struct Mark
{
    QVector<Primitive> parts;
};

struct Layout
{
    Frame frame;
    Segmentation seg;
    QVector<double> extraRows; // y of the extra mark rows, top to bottom
    QVector<QLineF> guides; // guide lines in drawing order
    QVector<Mark> marks; // marks in drawing order
    MarkStyle style = MarkStyle::Filled;
    double strokeWidth = 0.0;
};

Layout buildLayout(const ShapeSpec &spec, const Frame &frame, bool isSegment, double segLength);

// Circle marks (filled discs). clearance is the gap the guide keeps to a disc.
ShapeSpec circleByPageSpec(double diameter, double clearance, double mmPerInch);
ShapeSpec circleByFigureSpec(double diameter, double clearance);

// Cross marks centred on their reference points, and right-angle marks with
// their corner on them; bars of outline width markWeight.
ShapeSpec crossByPageSpec(double markWidth, double markHeight, double markWeight);
ShapeSpec crossByFigureSpec(double markWidth, double markHeight, double markWeight);
ShapeSpec rtAngleByPageSpec(double markWidth, double markHeight, double markWeight);
ShapeSpec rtAngleByFigureSpec(double markWidth, double markHeight, double markWeight);

} // namespace marks
