// The cross and right-angle mark operations of CdrOperate (declared in host/cdroperate.h).

#include "cdroperate.h"
#include "markdriver.h"

using namespace marks;

namespace {

using SpecOf = ShapeSpec (*)(double markWidth, double markHeight, double markWeight);

void runBarMarks(CdrOperate &op, Reference reference, SpecOf specOf, double topRev, double leftRev,
    double rightRev, double bottomRev, double markWidth, double markHeight, double markWeight,
    bool isSegment, double ySegLength, int C, int M, int Y, int K)
{
    MarkJob job;
    job.reference = reference;
    job.margins = Margins { topRev, leftRev, rightRev, bottomRev };
    job.spec = specOf(markWidth, markHeight, markWeight);
    job.isSegment = isSegment;
    job.segLength = ySegLength;
    job.colour = MarkColour { C, M, Y, K };
    runMarkLayout(op, job);
}

} // namespace

void CdrOperate::genCrossMarkByPage(double topRev, double leftRev, double rightRev,
    double bottomRev, double markWidth, double markHeight, double markWeight, bool isSegment,
    double ySegLength, int C, int M, int Y, int K)
{
    runBarMarks(*this, Reference::Page, crossByPageSpec, topRev, leftRev, rightRev, bottomRev,
        markWidth, markHeight, markWeight, isSegment, ySegLength, C, M, Y, K);
}

void CdrOperate::genRtAngleMarkByPage(double topRev, double leftRev, double rightRev,
    double bottomRev, double markWidth, double markHeight, double markWeight, bool isSegment,
    double ySegLength, int C, int M, int Y, int K)
{
    runBarMarks(*this, Reference::Page, rtAngleByPageSpec, topRev, leftRev, rightRev, bottomRev,
        markWidth, markHeight, markWeight, isSegment, ySegLength, C, M, Y, K);
}

void CdrOperate::genCrossMarkByFigure(double topRev, double leftRev, double rightRev,
    double bottomRev, double markWidth, double markHeight, double markWeight, bool isSegment,
    double ySegLength, int C, int M, int Y, int K)
{
    runBarMarks(*this, Reference::Figure, crossByFigureSpec, topRev, leftRev, rightRev, bottomRev,
        markWidth, markHeight, markWeight, isSegment, ySegLength, C, M, Y, K);
}

void CdrOperate::genRtAngleMarkByFigure(double topRev, double leftRev, double rightRev,
    double bottomRev, double markWidth, double markHeight, double markWeight, bool isSegment,
    double ySegLength, int C, int M, int Y, int K)
{
    runBarMarks(*this, Reference::Figure, rtAngleByFigureSpec, topRev, leftRev, rightRev, bottomRev,
        markWidth, markHeight, markWeight, isSegment, ySegLength, C, M, Y, K);
}
