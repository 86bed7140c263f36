// The circle-mark operations of CdrOperate and their QR job label step (declared in
// host/cdroperate.h).

#include "cdroperate.h"
#include "hostframe.h"
#include "markdriver.h"

using namespace marks;

namespace {

MarkJob circleJob(const CdrOperate &op, Reference reference, double topRev, double leftRev,
    double rightRev, double bottomRev, double markDiameter, bool isSegment, double ySegLength,
    bool useQRCode, bool isInkJet, double qrCodeSize, int qrCodeStr, int C, int M, int Y, int K)
{
    MarkJob job;
    job.reference = reference;
    job.margins = Margins { topRev, leftRev, rightRev, bottomRev };
    job.spec = reference == Reference::Page
        ? circleByPageSpec(markDiameter, op.clearance, op.mmPerInch)
        : circleByFigureSpec(markDiameter, op.clearance);
    job.isSegment = isSegment;
    job.segLength = ySegLength;
    job.colour = MarkColour { C, M, Y, K };
    job.withLabel = true;
    job.useQRCode = useQRCode;
    job.isInkJet = isInkJet;
    job.qrCodeSize = qrCodeSize;
    job.jobNumber = qrCodeStr;
    job.labelAnchorDx = markDiameter * 0.5;
    return job;
}

} // namespace

void CdrOperate::genCircleMarkByPage(double topRev, double leftRev, double rightRev,
    double bottomRev, double markDiameter, bool isSegment, double ySegLength, bool useQRCode,
    bool isInkJet, double qrCodeSize, int qrCodeStr, int C, int M, int Y, int K)
{
    runMarkLayout(*this,
        circleJob(*this, Reference::Page, topRev, leftRev, rightRev, bottomRev, markDiameter,
            isSegment, ySegLength, useQRCode, isInkJet, qrCodeSize, qrCodeStr, C, M, Y, K));
}

void CdrOperate::genCircleMarkByFigure(double topRev, double leftRev, double rightRev,
    double bottomRev, double markDiameter, bool isSegment, double ySegLength, bool useQRCode,
    bool isInkJet, double qrCodeSize, int qrCodeStr, int C, int M, int Y, int K)
{
    runMarkLayout(*this,
        circleJob(*this, Reference::Figure, topRev, leftRev, rightRev, bottomRev, markDiameter,
            isSegment, ySegLength, useQRCode, isInkJet, qrCodeSize, qrCodeStr, C, M, Y, K));
}

void CdrOperate::genQrLabel(HostFrame &frame, bool byFigure, bool useQRCode, bool isInkJet,
    double qrCodeSize, int qrCodeStr, bool labelFound, int layerCount, double anchorX,
    double anchorY)
{
    LabelStep step;
    step.byFigure = byFigure;
    step.useQRCode = useQRCode;
    step.isInkJet = isInkJet;
    step.qrCodeSize = qrCodeSize;
    step.jobNumber = qrCodeStr;
    step.labelFound = labelFound;
    step.layerCount = layerCount;
    step.anchorX = anchorX;
    step.anchorY = anchorY;
    const QrModules symbol = useQRCode ? encodeLabel(labelText(qrCodeStr)) : QrModules();
    qrLabelStep(*this, frame, step, symbol);
}
