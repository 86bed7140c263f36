// The properties the simulated host's option objects take: the export
// filter's, the import options', the trace filter's and the PDF settings'.
// A property that is not listed for its object is reported as an error.
#include "simhost_server.h"

namespace simhost {

namespace {

struct Property
{
    Kind kind;
    QList<const char *> names;
};

const Property properties[] = {
    { Kind::ExportFilter,
        { "PenLibIndex", "FitToPage", "ScaleFactor", "PageWidth", "PageHeight", "FillType",
            "FillSpacing", "FillAngle", "HatchAngle", "CurveResolution", "RemoveHiddenLines",
            "AutomaticWeld", "ExcludeWVC", "PlotterUnits", "PlotterOrigin" } },
    { Kind::ImportOptions, { "Mode", "MaintainLayers" } },
    { Kind::TraceFilter, { "DeleteOriginalObject", "RemoveBackground" } },
    { Kind::PdfSettings,
        { "PublishRange", "PageRange", "Author", "Subject", "Keywords", "BitmapCompression",
            "JPEGQualityFactor", "TextAsCurves", "EmbedFonts", "EmbedBaseFonts", "TrueTypeToType1",
            "SubsetFonts", "SubsetPct", "CompressText", "Encoding", "DownsampleColor",
            "DownsampleGray", "DownsampleMono", "ColorResolution", "MonoResolution",
            "GrayResolution", "Hyperlinks", "Bookmarks", "Thumbnails", "Startup",
            "ComplexFillsAsBitmaps", "Overprints", "Halftones", "MaintainOPILinks", "FountainSteps",
            "EPSAs", "pdfVersion", "IncludeBleed", "Bleed", "Linearize", "CropMarks",
            "RegistrationMarks", "DensitometerScales", "FileInformation", "ColorMode",
            "UseColorProfile", "ColorProfile", "EmbedFilename", "EmbedFile", "JP2QualityFactor",
            "TextExportMode", "PrintPermissions", "EditPermissions", "ContentCopyingAllowed",
            "OpenPassword", "PermissionPassword", "EncryptType", "OutputSpotColorsAs",
            "OverprintBlackLimit" } },
};

} // namespace

bool knowsProperty(Kind kind, const QByteArray &name)
{
    static const QHash<Kind, QHash<QByteArray, bool>> index = [] {
        QHash<Kind, QHash<QByteArray, bool>> t;
        for (const Property &p : properties)
            for (const char *n : p.names)
                t[p.kind].insert(n, true);
        return t;
    }();
    return index.value(kind).value(name);
}

} // namespace simhost
