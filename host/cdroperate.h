#pragma once

// CdrOperate: the program's one link to the illustration host, made per user
// action and deleted when the action ends. Its operations are defined in
// host/, one file per group below, except the registration marks, which the
// marks library defines.
//
// How an operation uses the frame (hostframe.h):
//
//     HostFrame f(this);
//     if (!f.open())                // host check, optimisation on, document, page
//         return;                   // no host object: nothing was sent
//     f.rememberActiveLayer();      // only operations that restore it
//     f.readLayers();               // layer list and count
//     QAxObject *layer = f.clearOrCreateLayer(cuttingLayer);
//     ... work, every call through hostcall::query / hostcall::call,
//         which never touch a missing object ...
//     f.close();                    // re-activate, optimisation off, refresh, release
//
// The frame's destructor closes it when an operation returns early, so the
// host is never left with its optimisation on.

#include "units.h"

#include <QList>
#include <QPoint>
#include <QString>

class HostFrame;
// Held by pointer only; hostframe.h brings the whole class to the operations.
QT_BEGIN_NAMESPACE
class QAxObject;
QT_END_NAMESPACE

class CdrOperate
{
public:
    explicit CdrOperate(QString progId);
    ~CdrOperate();
    CdrOperate(const CdrOperate &) = delete;
    CdrOperate &operator=(const CdrOperate &) = delete;

    bool isConnected() const;
    // "EN" gives the English layer names, anything else the Chinese ones.
    void setLayerNames(QString language);

    // Cut-line layers (cutlayers.cpp).
    void createBoundary();
    void createContour();
    void createCuttingLayer();
    void createCreasingLayer();

    // HPGL export of layers into `file` (exportplt.cpp). Each says whether
    // the host was asked to write the file: not without a host, nor for the
    // cutting layer when the page has none.
    bool exportCuttingLayerPlt(QString file);
    bool exportPrintablePlt(QString file);
    bool exportCreasingLayerPlt(QString file);

    // Document readers; plotter units, y down from the top edge (readers.cpp).
    QList<QPoint> markCentres();
    int pageHeight();
    int pageWidth();
    QString qrJobName();
    // Whether a job name read from the document may name a file in the QR
    // job folder: the shell's rule (jobname.h).
    static bool isSafeJobName(const QString &name);

    // PDF publishing and printing (publish.cpp).
    void publishPdf(QString file);
    void printDocument();

    // ---- Registration marks: declared here, defined in the marks library ----
    // Each builds a layout with the mark-layout engine (marks/marklayout.h) and
    // runs it through marks::runMarkLayout (marks/markdriver.h). Lengths in
    // inches, colour in whole percentages.

    // Circle marks and the QR job label (marks/circlemarks.cpp).
    void genCircleMarkByPage(double topRev, double leftRev, double rightRev, double bottomRev,
        double markDiameter, bool isSegment, double ySegLength, bool useQRCode, bool isInkJet,
        double qrCodeSize, int qrCodeStr, int C, int M, int Y, int K);
    void genCircleMarkByFigure(double topRev, double leftRev, double rightRev, double bottomRev,
        double markDiameter, bool isSegment, double ySegLength, bool useQRCode, bool isInkJet,
        double qrCodeSize, int qrCodeStr, int C, int M, int Y, int K);
    // The label step of the circle layouts, run inside their frame.
    void genQrLabel(HostFrame &frame, bool byFigure, bool useQRCode, bool isInkJet,
        double qrCodeSize, int qrCodeStr, bool labelFound, int layerCount, double anchorX,
        double anchorY);

    // Cross and right-angle marks (marks/barmarks.cpp).
    void genCrossMarkByPage(double topRev, double leftRev, double rightRev, double bottomRev,
        double markWidth, double markHeight, double markWeight, bool isSegment, double ySegLength,
        int C, int M, int Y, int K);
    void genRtAngleMarkByPage(double topRev, double leftRev, double rightRev, double bottomRev,
        double markWidth, double markHeight, double markWeight, bool isSegment, double ySegLength,
        int C, int M, int Y, int K);
    void genCrossMarkByFigure(double topRev, double leftRev, double rightRev, double bottomRev,
        double markWidth, double markHeight, double markWeight, bool isSegment, double ySegLength,
        int C, int M, int Y, int K);
    void genRtAngleMarkByFigure(double topRev, double leftRev, double rightRev, double bottomRev,
        double markWidth, double markHeight, double markWeight, bool isSegment, double ySegLength,
        int C, int M, int Y, int K);
    // ---- end of the marks library's operations ----

    QString progId;
    bool connected = false;
    QString assistLayer;
    QString markLayer;
    QString cuttingLayer;
    QString creasingLayer;
    QString qrLayer;
    double mmPerInch = Units::mmPerInch;
    double unitsPerMm = Units::plotterUnitsPerMm;
    double hairline = 0.076 / Units::mmPerInch;
    double assistWidth = 0.2 / Units::mmPerInch;
    double clearance = 0.5 / Units::mmPerInch;
    int assistCmyk[4] = { 0, 50, 0, 0 };
    QAxObject *app = nullptr;
    // Set by the label step when it could not make the label it was asked
    // for; the sheet then carries none.
    QString labelProblem;

private:
    // lengths in inches to whole plotter units, as the readers convert them
    int toUnits(double inches) const;
};
