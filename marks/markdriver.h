#pragma once

// The one driver of every mark layout: it runs a layout of the geometry
// engine against the host through CdrOperate's frame, in the host calls'
// fixed order, whatever the mark shape. Steps it skips for something the
// host did not give go to the category "vemo.marks" (off by default).

#include "marklayout.h"
#include "qrlabel.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMarks)

class CdrOperate;
class HostFrame;
class QAxObject;

namespace marks {

enum class Reference
{
    Page, // inside the page margins
    Figure // around the bounding box of all selectable artwork
};

struct MarkColour
{
    int c = 0, m = 0, y = 0, k = 100;
};

struct MarkJob
{
    Reference reference = Reference::Page;
    Margins margins;
    ShapeSpec spec;
    bool isSegment = false;
    double segLength = 0.0;
    MarkColour colour;
    // Circle layouts also look for an old QR label and run the label step.
    bool withLabel = false;
    bool useQRCode = false;
    bool isInkJet = false;
    double qrCodeSize = 0.0;
    int jobNumber = 0;
    double labelAnchorDx = 0.0; // the label's anchor lies this far right of the left column
};

void runMarkLayout(CdrOperate &op, const MarkJob &job);

// One guide line on the assist layer, in the guide style.
void drawGuide(const CdrOperate &op, QAxObject *layer, const QLineF &line);
// One mark on the mark layer; a mark of several primitives becomes one shape.
void drawMark(HostFrame &frame, QAxObject *layer, const Mark &mark, MarkStyle style,
    double strokeWidth, const MarkColour &colour);

struct LabelStep
{
    bool byFigure = false;
    bool useQRCode = false;
    bool isInkJet = false;
    double qrCodeSize = 0.0;
    int jobNumber = 0;
    bool labelFound = false;
    int layerCount = 0;
    double anchorX = 0.0, anchorY = 0.0;
};

// The label step with the symbol already encoded; a null symbol makes no label.
void qrLabelStep(CdrOperate &op, HostFrame &frame, const LabelStep &step, const QrModules &symbol);

} // namespace marks
