#pragma once

// The QR job label picture: the job number encoded as a QR symbol and drawn
// with the number as a caption, the picture that is imported into the host.

#include <QImage>
#include <QString>
#include <QVector>

struct SaveResult;

namespace marks {

// Modules of an encoded symbol, row by row from the top.
struct QrModules
{
    int width = 0; // modules per side; 0 when the encoder gave nothing
    QVector<bool> dark; // width * width entries
    bool isNull() const { return width <= 0; }
    bool isDark(int row, int col) const { return dark.at(row * width + col); }
};

// The job number as the label shows it: decimal, no leading zeros.
QString labelText(int jobNumber);

// Encodes the text as the cutter's camera expects it: smallest version that
// holds it, error correction L, 8-bit mode, case-sensitive.
QrModules encodeLabel(const QString &text);

constexpr int labelPictureWidth = 320;
constexpr int labelPictureHeight = 400;
constexpr int labelCaptionBand = 80;

// The 320 x 400 label picture on a transparent background: the symbol in the
// upper square, the caption in the band below. Ink-jet printers bleed, so
// their modules are drawn smaller.
QImage labelPicture(const QrModules &symbol, const QString &caption, bool isInkJet);

// The scratch file of the label picture in the work folder.
QString labelPicturePath();

// Draws and saves the label picture; false, with *why, when it could not be
// written whole.
bool saveLabelPicture(
    const QrModules &symbol, const QString &caption, bool isInkJet, SaveResult *why = nullptr);

} // namespace marks
