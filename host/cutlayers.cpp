// Cut-line layers: the Cutting and Creasing Layers, boundary and contour cut
// lines.
#include "cdroperate.h"
#include "hostframe.h"
#include "hostprotocol.h"

using hostcall::asArg;
using hostcall::call;
using hostcall::query;
using hostcall::read;
using hostcall::release;

namespace {

// Makes sure the layer exists; a found layer is left exactly as it is.
void ensureLayer(CdrOperate *op, const QString &name)
{
    HostFrame f(op);
    if (!f.open())
        return;
    f.rememberActiveLayer();
    f.readLayers();
    if (!f.hasLayer(name))
        f.createLayer(name);
    f.close();
}

// No fill and a hairline outline: what the cutter reads as a cut line.
void styleCutLine(QAxObject *shape, double hairline)
{
    QAxObject *fill = query(shape, "Fill()");
    call(fill, "ApplyNoFill()");
    release(fill);
    QAxObject *outline = query(shape, "Outline()");
    call(outline, "SetWidth(double)", hairline);
    release(outline);
}

} // namespace

void CdrOperate::createCuttingLayer()
{
    ensureLayer(this, cuttingLayer);
}

void CdrOperate::createCreasingLayer()
{
    ensureLayer(this, creasingLayer);
}

void CdrOperate::createBoundary()
{
    HostFrame f(this);
    if (!f.open())
        return;
    f.rememberActiveLayer();
    f.readLayers();
    QAxObject *cutLayer = f.clearOrCreateLayer(cuttingLayer);
    QAxObject *shapes = f.keep(query(f.page(), "SelectableShapes()"));
    const int n = read(shapes, "Count()").toInt();
    if (n > 0) {
        // Shapes the user left selected (on a locked layer, say) must not
        // end up inside the boundary.
        f.clearSelection();
        QAxObject *all = query(shapes, "All()");
        call(all, "AddToSelection()");
        release(all);
        QAxObject *selection = f.keep(query(app, "ActiveSelection()"));
        QAxObject *boundary
            = query(selection, "CreateBoundary(double,double,bool,bool)", 0, 0, true, false);
        if (boundary) {
            styleCutLine(boundary, hairline);
            call(boundary, "BreakApartEx()");
        }
        release(boundary);
        call(cutLayer, "SetEditable(bool)", false);
    }
    f.close();
}

void CdrOperate::createContour()
{
    HostFrame f(this);
    if (!f.open())
        return;
    f.rememberActiveLayer();
    f.readLayers();
    QAxObject *cutLayer = f.clearOrCreateLayer(cuttingLayer);
    QAxObject *shapes = f.keep(query(f.page(), "SelectableShapes()"));
    const int n = read(shapes, "Count()").toInt(); // read once, before any contour
    if (n > 0) {
        QAxObject *black = f.keep(query(app, "CreateCMYKColor(int, int, int, int)", 0, 0, 0, 100));
        // Without the colour the contour call would lose its last three
        // arguments; without the layer the contours would stay where they are.
        if (!black) {
            qCDebug(lcHost, "no contour colour: contours skipped");
        } else {
            if (!cutLayer)
                qCDebug(lcHost, "no cutting layer: contours stay where they are");
            // The collection is live: the contour of item i is item i + 1.
            // A shape the host makes no contour for (a bitmap, say) would
            // shift that rule, and the next source shape would be restyled
            // and moved to the cutting layer; so the count is watched. Each
            // call crosses into the host, so the count after one contour is
            // taken as the count before the next.
            QList<int> contours;
            int i = 1;
            int count = n;
            for (int k = 0; k < n; ++k) {
                QAxObject *source = query(shapes, "Item(int)", i);
                call(source, "CreateContour(enum, double, int, enum, QVariant, QVariant, QVariant)",
                    hostcode::contourDirection, 0.00025 / mmPerInch, hostcode::contourSteps,
                    hostcode::contourBlend, asArg(black), asArg(black), asArg(black));
                release(source);
                // a count that does not come back counts as no contour, and
                // the next contour is measured against the last good count
                const QVariant after = read(shapes, "Count()");
                if (!after.isValid() || after.toInt() <= count) {
                    qCDebug(lcHost, "shape %d got no contour", i);
                    ++i;
                    continue;
                }
                count = after.toInt();
                QAxObject *contour = query(shapes, "Item(int)", i + 1);
                call(contour, "Separate()");
                release(contour);
                contours << i + 1;
                i += 2;
            }
            for (int index : qAsConst(contours)) {
                QAxObject *contour = query(shapes, "Item(int)", index);
                styleCutLine(contour, hairline);
                if (cutLayer)
                    call(contour, "MoveToLayer(QVariant)", asArg(cutLayer));
                release(contour);
            }
        }
        call(cutLayer, "SetEditable(bool)", false);
    }
    f.close();
}
