// HPGL export of layers through the host's export filter into a scratch file.
#include "cdroperate.h"
#include "hostframe.h"
#include "hostprotocol.h"

#include <QFile>

using hostcall::call;
using hostcall::query;
using hostcall::read;
using hostcall::release;

namespace {

// The cutting and printable exports are made this many times larger: the
// document is scaled back after the export, the caller divides the file's
// paths by it.
constexpr double magnification = 5.0;

// A stale export must never be read back as this one's result.
void removeScratch(const QString &file)
{
    if (!file.isEmpty())
        QFile::remove(file);
}

// Every layer unprintable and locked, then the named one (when the page has
// it) visible, printable and editable: the export takes only that layer.
// Says whether the page has it; *layer gets its wrapper.
bool isolateLayer(HostFrame &f, const QString &name, QAxObject **layer = nullptr)
{
    f.readLayers();
    if (f.layerCount() < 1)
        return false;
    const bool found = f.hasLayer(name);
    for (int i = 1; i <= f.layerCount(); ++i) {
        QAxObject *item = query(f.layers(), "Item(int)", i);
        call(item, "SetPrintable(bool)", false);
        call(item, "SetEditable(bool)", false);
        release(item);
    }
    if (!found) {
        qCDebug(lcHost, "no layer \"%s\": nothing exported", qUtf8Printable(name));
        return false;
    }
    QAxObject *target = f.layerNamed(name);
    call(target, "SetVisible(bool)", true);
    call(target, "SetPrintable(bool)", true);
    call(target, "SetEditable(bool)", true);
    if (layer)
        *layer = target;
    return true;
}

// The host writes the printable layers of the page as HPGL, 1016 units per
// inch, origin at the page's bottom-left.
void exportStep(HostFrame &f, const QString &file)
{
    const double width = read(f.page(), "SizeWidth()").toDouble();
    const double height = read(f.page(), "SizeHeight()").toDouble();
    const QVariant options = read(f.app(), "CreateStructExportOptions()");
    const QVariant palette = read(f.app(), "CreateStructPaletteOptions()");
    QAxObject *filter
        = query(f.document(), "ExportEx(const QString&, enum, enum, QVariant, QVariant)", file,
            hostcode::hpglExportFilter, hostcode::exportRange, options, palette);
    if (!filter) {
        qCDebug(lcHost, "no export filter: nothing written to %s", qUtf8Printable(file));
        return;
    }
    filter->setProperty("PenLibIndex", 0);
    filter->setProperty("FitToPage", false);
    filter->setProperty("ScaleFactor", 100);
    filter->setProperty("PageWidth", width);
    filter->setProperty("PageHeight", height);
    filter->setProperty("FillType", 0);
    filter->setProperty("FillSpacing", 0.005);
    filter->setProperty("FillAngle", 0);
    filter->setProperty("HatchAngle", 90);
    filter->setProperty("CurveResolution", 0.00025);
    filter->setProperty("RemoveHiddenLines", false);
    filter->setProperty("AutomaticWeld", false);
    filter->setProperty("ExcludeWVC", false);
    filter->setProperty("PlotterUnits", hostcode::plotterUnitsPerInch);
    filter->setProperty("PlotterOrigin", hostcode::plotterOrigin);
    call(filter, "Finish()");
    release(filter);
}

// Five times larger about the bottom-left corner, exported, then back.
void magnifiedExport(HostFrame &f, const QString &file)
{
    QAxObject *selection = f.keep(query(f.app(), "ActiveSelection()"));
    call(f.document(), "SetReferencePoint(enum)", hostcode::referenceBottomLeft);
    call(selection, "Stretch(double)", magnification);
    exportStep(f, file);
    call(selection, "Stretch(double)", 1.0 / magnification);
}

// Adds every shape of the layer to the host's selection.
void selectLayerShapes(QAxObject *layer)
{
    QAxObject *shapes = query(layer, "Shapes()");
    QAxObject *all = query(shapes, "All()");
    call(all, "AddToSelection()");
    release(shapes);
}

} // namespace

bool CdrOperate::exportCuttingLayerPlt(QString file)
{
    HostFrame f(this);
    if (!f.open())
        return false;
    removeScratch(file);
    f.rememberActiveLayer();
    QAxObject *layer = nullptr;
    const bool found = isolateLayer(f, cuttingLayer, &layer);
    if (found) {
        // Shapes the user left selected would be stretched and exported
        // with ours, and move the corner the scale-back is made about.
        f.clearSelection();
        selectLayerShapes(layer);
        magnifiedExport(f, file);
    }
    f.close();
    return found;
}

bool CdrOperate::exportPrintablePlt(QString file)
{
    HostFrame f(this);
    if (!f.open())
        return false;
    removeScratch(file);
    f.readLayers();
    QList<int> printable;
    for (int i = 1; i <= f.layerCount(); ++i) {
        QAxObject *item = query(f.layers(), "Item(int)", i);
        if (read(item, "Printable()").toBool()) {
            call(item, "SetVisible(bool)", true);
            call(item, "SetEditable(bool)", true);
            printable << i;
        }
        release(item);
    }
    // Only what is exported is stretched: a shape on a layer that is not
    // printable would move the corner of the stretch away from the corner of
    // the export, and the read-back paths would come back displaced.
    f.clearSelection();
    for (int i : qAsConst(printable)) {
        QAxObject *item = query(f.layers(), "Item(int)", i);
        selectLayerShapes(item);
        release(item);
    }
    magnifiedExport(f, file);
    f.close();
    return true;
}

bool CdrOperate::exportCreasingLayerPlt(QString file)
{
    HostFrame f(this);
    if (!f.open())
        return false;
    removeScratch(file);
    f.rememberActiveLayer();
    isolateLayer(f, creasingLayer);
    exportStep(f, file);
    f.close();
    return true;
}
