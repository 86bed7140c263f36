// PDF publishing and printing of the printable layers.
#include "cdroperate.h"
#include "hostframe.h"

using hostcall::call;
using hostcall::query;
using hostcall::read;
using hostcall::release;

namespace {

// Every layer printable except the guide lines, the cut lines and the crease
// lines; the artwork, the marks and the QR label are printed.
bool prepare(HostFrame &f, const CdrOperate &op)
{
    if (!f.open())
        return false;
    f.readLayers();
    const bool assist = f.hasLayer(op.assistLayer);
    const bool creasing = f.hasLayer(op.creasingLayer);
    const bool cutting = f.hasLayer(op.cuttingLayer);
    for (int i = 1; i <= f.layerCount(); ++i) {
        QAxObject *item = query(f.layers(), "Item(int)", i);
        call(item, "SetPrintable(bool)", true);
        release(item);
    }
    if (assist)
        call(f.layerNamed(op.assistLayer), "SetPrintable(bool)", false);
    if (creasing)
        call(f.layerNamed(op.creasingLayer), "SetPrintable(bool)", false);
    if (cutting)
        call(f.layerNamed(op.cuttingLayer), "SetPrintable(bool)", false);
    return true;
}

} // namespace

void CdrOperate::publishPdf(QString file)
{
    HostFrame f(this);
    if (!prepare(f, *this))
        return;
    QAxObject *settings = f.keep(query(f.document(), "PDFSettings()"));
    if (settings) {
        const QString empty = QLatin1String("");
        settings->setProperty("PublishRange", 0);
        settings->setProperty("PageRange", empty);
        settings->setProperty("Author", QStringLiteral("Administrator"));
        settings->setProperty("Subject", empty);
        settings->setProperty("Keywords", empty);
        settings->setProperty("BitmapCompression", 2);
        settings->setProperty("JPEGQualityFactor", 10);
        settings->setProperty("TextAsCurves", false);
        settings->setProperty("EmbedFonts", true);
        settings->setProperty("EmbedBaseFonts", true);
        settings->setProperty("TrueTypeToType1", true);
        settings->setProperty("SubsetFonts", true);
        settings->setProperty("SubsetPct", 80);
        settings->setProperty("CompressText", true);
        settings->setProperty("Encoding", 1);
        settings->setProperty("DownsampleColor", true);
        settings->setProperty("DownsampleGray", true);
        settings->setProperty("DownsampleMono", true);
        settings->setProperty("ColorResolution", 200);
        settings->setProperty("MonoResolution", 600);
        settings->setProperty("GrayResolution", 200);
        settings->setProperty("Hyperlinks", true);
        settings->setProperty("Bookmarks", true);
        settings->setProperty("Thumbnails", false);
        settings->setProperty("Startup", 0);
        settings->setProperty("ComplexFillsAsBitmaps", false);
        settings->setProperty("Overprints", true);
        settings->setProperty("Halftones", false);
        settings->setProperty("MaintainOPILinks", false);
        settings->setProperty("FountainSteps", 256);
        settings->setProperty("EPSAs", 0);
        settings->setProperty("pdfVersion", 6);
        settings->setProperty("IncludeBleed", false);
        settings->setProperty("Bleed", 31750);
        settings->setProperty("Linearize", false);
        settings->setProperty("CropMarks", false);
        settings->setProperty("RegistrationMarks", false);
        settings->setProperty("DensitometerScales", false);
        settings->setProperty("FileInformation", false);
        settings->setProperty("ColorMode", 3);
        settings->setProperty("UseColorProfile", true);
        settings->setProperty("ColorProfile", 1);
        settings->setProperty("EmbedFilename", empty);
        settings->setProperty("EmbedFile", false);
        settings->setProperty("JP2QualityFactor", 10);
        settings->setProperty("TextExportMode", 0);
        settings->setProperty("PrintPermissions", 0);
        settings->setProperty("EditPermissions", 0);
        settings->setProperty("ContentCopyingAllowed", false);
        settings->setProperty("OpenPassword", empty);
        settings->setProperty("PermissionPassword", empty);
        settings->setProperty("EncryptType", 0);
        settings->setProperty("OutputSpotColorsAs", 0);
        settings->setProperty("OverprintBlackLimit", 95);
    } else {
        qCDebug(lcHost, "no PDF settings: the host's own settings are used");
    }
    call(f.document(), "PublishToPDF(QString)", file);
    f.close();
}

void CdrOperate::printDocument()
{
    HostFrame f(this);
    if (!prepare(f, *this))
        return;
    QAxObject *printSettings = f.keep(query(f.document(), "PrintSettings()"));
    if (read(printSettings, "ShowDialog()").toBool())
        call(printSettings, "PrintOut()");
    f.close();
}
