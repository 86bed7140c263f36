#include "qrlabel.h"

#include "savefile.h"
#include "workfolder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <qrencode.h>

namespace marks {

QString labelText(int jobNumber)
{
    return QString::number(jobNumber, 10);
}

QrModules encodeLabel(const QString &text)
{
    QrModules out;
    const QByteArray bytes = text.toLocal8Bit();
    QRcode *code = QRcode_encodeString(bytes.constData(), 1, QR_ECLEVEL_L, QR_MODE_8, 1);
    if (!code)
        return out;
    if (code->width > 0) {
        out.width = code->width;
        out.dark.resize(code->width * code->width);
        for (int i = 0; i < out.dark.size(); ++i)
            out.dark[i] = (code->data[i] & 1) != 0;
    }
    QRcode_free(code);
    return out;
}

QImage labelPicture(const QrModules &symbol, const QString &caption, bool isInkJet)
{
    QImage image(labelPictureWidth, labelPictureHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setBrush(QBrush(Qt::black, Qt::SolidPattern));

    const int n = symbol.width > 0 ? symbol.width : 1;
    const double cw = labelPictureWidth / n;
    const double ch = (labelPictureHeight - labelCaptionBand) / n;
    const double k = isInkJet ? 0.85 : 0.95;
    for (int row = 0; row < symbol.width; ++row) {
        for (int col = 0; col < symbol.width; ++col) {
            if (symbol.isDark(row, col))
                painter.drawRect(int(col * cw), int(row * ch), int(cw * k), int(ch * k));
        }
    }

    QFont font(QStringLiteral("Microsoft YaHei"), 35, 75, false);
    painter.setFont(font);
    const int advance = QFontMetrics(font).horizontalAdvance(caption);
    painter.drawText((labelPictureWidth - advance) / 2, 395, caption);
    painter.end();
    return image;
}

QString labelPicturePath()
{
    return labelPictureFile();
}

bool saveLabelPicture(
    const QrModules &symbol, const QString &caption, bool isInkJet, SaveResult *why)
{
    const QString path = labelPicturePath();
    QDir().mkpath(workFolder());
    // A picture left by an earlier run must never stand in for this one.
    QFile::remove(path);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!labelPicture(symbol, caption, isInkJet).save(&buffer, "png")) {
        if (why)
            why->cause = SaveResult::Other;
        return false;
    }
    const SaveResult saved = saveWholeFile(path, png);
    if (why)
        *why = saved;
    return saved.ok();
}

} // namespace marks
