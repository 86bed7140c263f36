#include "markdriver.h"

#include "cdroperate.h"
#include "hostframe.h"
#include "hostprotocol.h"
#include "worklock.h"

#include <QCoreApplication>
#include <QDir>

Q_LOGGING_CATEGORY(lcMarks, "vemo.marks", QtWarningMsg)

using hostcall::call;
using hostcall::query;
using hostcall::read;
using hostcall::release;

namespace marks {

void drawGuide(const CdrOperate &op, QAxObject *layer, const QLineF &l)
{
    QAxObject *line = query(
        layer, "CreateLineSegment(double,double,double,double)", l.x1(), l.y1(), l.x2(), l.y2());
    call(query(line, "Fill()"), "ApplyNoFill()");
    QAxObject *outline = query(line, "Outline()");
    call(outline, "SetWidth(double)", op.assistWidth);
    call(query(outline, "Color()"), "CMYKAssign(int,int,int,int)", op.assistCmyk[0],
        op.assistCmyk[1], op.assistCmyk[2], op.assistCmyk[3]);
    release(line); // its fill, outline and colour go with it
}

namespace {

QAxObject *createPrimitive(QAxObject *layer, const Primitive &p)
{
    switch (p.kind) {
    case PrimitiveKind::Disc:
        return query(layer, "CreateEllipse2(double,double,double)", p.x1, p.y1, p.radius);
    case PrimitiveKind::Rectangle:
        // The marks' spelling of this member; the label's differs. Both stay as written.
        return query(
            layer, "CreateRectangle(double, double ,double ,double)", p.x1, p.y1, p.x2, p.y2);
    case PrimitiveKind::Line:
        break;
    }
    return query(layer, "CreateLineSegment(double,double,double,double)", p.x1, p.y1, p.x2, p.y2);
}

void styleMarkShape(QAxObject *shape, MarkStyle style, double strokeWidth, const MarkColour &k)
{
    if (style == MarkStyle::Filled) {
        call(query(query(shape, "Fill()"), "UniformColor()"), "CMYKAssign(int,int,int,int)", k.c,
            k.m, k.y, k.k);
        // No outline; the width goes as an int 0, as the host is called with it.
        call(query(shape, "Outline()"), "SetWidth(double)", 0);
    } else {
        call(query(shape, "Fill()"), "ApplyNoFill()");
        QAxObject *outline = query(shape, "Outline()");
        call(outline, "SetWidth(double)", strokeWidth);
        call(query(outline, "Color()"), "CMYKAssign(int,int,int,int)", k.c, k.m, k.y, k.k);
    }
}

} // namespace

void drawMark(HostFrame &frame, QAxObject *layer, const Mark &mark, MarkStyle style,
    double strokeWidth, const MarkColour &colour)
{
    QList<QAxObject *> shapes;
    for (const Primitive &p : mark.parts) {
        QAxObject *shape = createPrimitive(layer, p);
        styleMarkShape(shape, style, strokeWidth, colour);
        shapes << shape;
    }
    if (shapes.size() > 1) {
        // Only this mark's parts may be combined: nothing the user or an
        // earlier step left selected.
        frame.clearSelection();
        for (QAxObject *shape : qAsConst(shapes))
            call(shape, "AddToSelection()");
        QAxObject *selection = query(frame.app(), "ActiveSelection()");
        call(selection, "Combine()");
        release(selection);
    }
    for (QAxObject *shape : qAsConst(shapes))
        release(shape);
}

void runMarkLayout(CdrOperate &op, const MarkJob &job)
{
    HostFrame f(&op);
    if (!f.open())
        return;
    f.rememberActiveLayer();

    double width = 0.0, height = 0.0;
    if (job.reference == Reference::Page) {
        // "SizeWidth" without parentheses: a property read, as it must stay.
        width = read(f.page(), "SizeWidth").toDouble();
        height = read(f.page(), "SizeHeight()").toDouble();
    }

    f.readLayers();
    const bool assistFound = f.hasLayer(op.assistLayer);
    const bool markFound = f.hasLayer(op.markLayer);
    const bool labelFound = job.withLabel && !f.findLayerByPrefix(op.qrLayer).isNull();

    Frame frame;
    if (job.reference == Reference::Page) {
        frame = pageFrame(width, height, job.margins);
    } else {
        // The box is measured before our own layers are emptied; a stale
        // selection must not widen it.
        f.clearSelection();
        QAxObject *selectable = query(f.page(), "SelectableShapes()");
        call(query(selectable, "All()"), "AddToSelection()");
        release(selectable);
        QAxObject *range = query(f.app(), "ActiveSelectionRange()");
        if (!range)
            qCDebug(lcMarks, "no artwork box: the marks are placed around (0, 0)");
        const double px = read(range, "PositionX()").toDouble();
        const double py = read(range, "PositionY()").toDouble();
        const double sw = read(range, "SizeWidth()").toDouble();
        const double sh = read(range, "SizeHeight()").toDouble();
        release(range);
        frame = figureFrame(px, py, sw, sh, job.margins);
    }
    const Layout layout = buildLayout(job.spec, frame, job.isSegment, job.segLength);

    QAxObject *assist = assistFound ? f.clearLayer(op.assistLayer) : f.createLayer(op.assistLayer);
    if (!assist)
        qCDebug(lcMarks, "no assist layer: guide lines skipped");
    for (const QLineF &line : layout.guides)
        drawGuide(op, assist, line);
    QAxObject *guides = query(assist, "Shapes()");
    call(query(guides, "All()"), "Combine()");
    release(guides);
    call(assist, "SetEditable(bool)", false);
    call(assist, "SetPrintable(bool)", false);

    QAxObject *markLayer = markFound ? f.clearLayer(op.markLayer) : f.createLayer(op.markLayer);
    if (!markLayer)
        qCDebug(lcMarks, "no mark layer: marks skipped");
    for (const Mark &mark : layout.marks)
        drawMark(f, markLayer, mark, layout.style, layout.strokeWidth, job.colour);
    call(markLayer, "SetEditable(bool)", false);

    if (job.withLabel) {
        op.genQrLabel(f, job.reference == Reference::Figure, job.useQRCode, job.isInkJet,
            job.qrCodeSize, job.jobNumber, labelFound, f.layerCount(), frame.xl + job.labelAnchorDx,
            frame.yt);
    }
    f.close();
}

namespace {

// The first old label goes, whether or not a new one is made.
void removeOldLabel(const CdrOperate &op, HostFrame &f, int layerCount)
{
    for (int i = 1; i <= layerCount; ++i) {
        QAxObject *item = query(f.layers(), "Item(int)", i);
        const QString name = read(item, "Name()").toString();
        const bool isLabel = item && name.left(op.qrLayer.size()) == op.qrLayer;
        if (isLabel)
            call(item, "Delete()");
        release(item);
        if (isLabel)
            break;
    }
}

QString pictureProblem(const SaveResult &why)
{
    return QCoreApplication::translate("Marks",
        "The marks were drawn without the QR label: its picture %1 could not be written: %2.")
        .arg(QDir::toNativeSeparators(labelPicturePath()), describeFailure(why));
}

// A job must not be filed under a number that was never printed: no symbol,
// or no picture of it, means no label layer, and the user is told, since the
// sheet could not be scanned.
bool writeLabelPicture(
    CdrOperate &op, const LabelStep &step, const QrModules &symbol, const QString &text)
{
    if (symbol.isNull()) {
        op.labelProblem = QCoreApplication::translate("Marks",
            "The marks were drawn without the QR label: the number %1 could not be encoded.")
                              .arg(text);
        return false;
    }
    SaveResult why;
    if (!saveLabelPicture(symbol, text, step.isInkJet, &why)) {
        op.labelProblem = pictureProblem(why);
        return false;
    }
    return true;
}

// The label layer with the picture imported into it. The import options and
// filter are released by the caller once the label is done.
struct LabelImport
{
    QAxObject *layer = nullptr;
    QAxObject *options = nullptr;
    QAxObject *filter = nullptr;
};

LabelImport importLabelPicture(const CdrOperate &op, HostFrame &f, const QString &text)
{
    LabelImport in;
    in.layer = f.keep(query(f.page(), "CreateLayer(QString)", op.qrLayer + ":" + text));
    in.options = query(f.app(), "CreateStructImportOptions()");
    if (in.options) {
        in.options->setProperty("Mode", hostcode::importMode);
        in.options->setProperty("MaintainLayers", true);
    } else if (in.layer) {
        qCDebug(lcMarks, "no import options: the label picture is not imported");
    }
    // Without the options object the argument list would end early.
    in.filter = in.options ? query(in.layer, "ImportEx(const QString&, enum, QVariant)",
                    labelPicturePath(), hostcode::labelImportFilter, hostcall::asArg(in.options))
                           : nullptr;
    call(in.filter, "Finish()");
    return in;
}

// The symbol drawn as black rectangles, one a dark module, with the number
// below it, at x0.
void drawLabelShapes(const CdrOperate &op, QAxObject *layer, const LabelStep &step,
    const QrModules &symbol, const QString &text, double x0)
{
    const int n = symbol.width;
    const double m = step.qrCodeSize / n;
    const double top = step.anchorY + step.qrCodeSize / 2;
    for (int row = 0; row < n; ++row) {
        for (int col = 0; col < n; ++col) {
            if (!symbol.isDark(row, col))
                continue;
            // Spaced unlike the marks' rectangles: each is the text its step sends.
            QAxObject *rect = query(layer, "CreateRectangle(double, double, double, double)",
                x0 + col * m, top - row * m, x0 + col * m + m, top - row * m - m);
            call(query(rect, "Outline()"), "SetWidth(double)", 0);
            call(query(query(rect, "Fill()"), "UniformColor()"), "CMYKAssign(int,int,int,int)", 100,
                100, 100, 100);
            release(rect);
        }
    }
    hostcall::callList(layer,
        "CreateArtisticText(double, double, QString, enum, enum, QString, double, "
        "enum, enum, enum, enum)",
        { x0 + 0.5 / op.mmPerInch, step.anchorY - step.qrCodeSize / 2 - 1.5 / op.mmPerInch, text,
            hostcode::textLanguage, hostcode::textCharSet, QStringLiteral("Consolas"),
            125 / op.mmPerInch, hostcode::textPlain, hostcode::textPlain, hostcode::textPlain,
            hostcode::textPlain });
}

// The imported picture sized, placed at x0 and traced into curves.
void traceLabelPicture(QAxObject *layer, const LabelStep &step, double x0)
{
    QAxObject *shapes = query(layer, "Shapes()");
    // "Item(const QVariant&)", not "Item(int)": the text this step sends.
    QAxObject *shape = query(shapes, "Item(const QVariant&)", 1);
    call(shape, "SetSizeEx(double, double, double, double)", 0, 0, step.qrCodeSize,
        step.qrCodeSize * 1.25);
    const double y = step.anchorY + step.qrCodeSize / 2.25;
    if (step.byFigure)
        call(shape, "SetPosition(double, double)", x0, y);
    else
        call(shape, "SetPositionEx(enum, double, double)", hostcode::referenceTopLeft, x0, y);
    QAxObject *bitmap = query(shape, "Bitmap()");
    QAxObject *trace = query(bitmap, "Trace(enum)", hostcode::labelTraceType);
    if (trace) {
        trace->setProperty("DeleteOriginalObject", true);
        trace->setProperty("RemoveBackground", false);
    }
    call(trace, "Finish()");
    release(trace);
    release(bitmap);
    release(shape);
    release(shapes);
}

} // namespace

void qrLabelStep(CdrOperate &op, HostFrame &f, const LabelStep &step, const QrModules &symbol)
{
    if (step.labelFound)
        removeOldLabel(op, f, step.layerCount);
    if (!step.useQRCode)
        return;
    const QString text = labelText(step.jobNumber);
    // Other copies of the program write their labels into the same picture
    // file: one at a time, from the write until the host has imported it, or
    // a sheet would carry another sheet's number.
    WorkLock pictureLock(labelPicturePath());
    const SaveResult locked = pictureLock.lock(scratchLockMs);
    if (!locked.ok()) {
        op.labelProblem = pictureProblem(locked);
        return;
    }
    if (!writeLabelPicture(op, step, symbol, text))
        return;
    LabelImport label = importLabelPicture(op, f, text);
    pictureLock.unlock();
    const double x0 = step.anchorX + op.clearance;
    // Only this host version gets the label drawn as rectangles and text.
    if (!step.byFigure && op.progId == QLatin1String("CorelDraw.Application.20"))
        drawLabelShapes(op, label.layer, step, symbol, text, x0);
    else
        traceLabelPicture(label.layer, step, x0);
    call(label.layer, "SetEditable(bool)", false);
    release(label.options);
    release(label.filter);
}

} // namespace marks
