// Document readers: mark centres, page size and the QR job name.
#include "cdroperate.h"
#include "hostframe.h"
#include "jobname.h"

#include <algorithm>
#include <cmath>
#include <limits>

using hostcall::call;
using hostcall::query;
using hostcall::read;
using hostcall::release;

int CdrOperate::toUnits(double inches) const
{
    const double v = inches * mmPerInch * unitsPerMm + 0.5;
    // A value the host cannot mean must not overflow the conversion.
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(v); // truncation toward zero
}

QList<QPoint> CdrOperate::markCentres()
{
    QList<QPoint> centres;
    HostFrame f(this);
    if (!f.open())
        return centres;
    f.rememberActiveLayer();
    const double pageHeightInches = read(f.page(), "SizeHeight()").toDouble();
    f.readLayers();
    if (f.hasLayer(markLayer)) {
        QAxObject *layer = f.layerNamed(markLayer);
        call(layer, "Activate()");
        call(layer, "SetEditable(bool)", true);
        QAxObject *shapes = query(layer, "Shapes()");
        const int n = read(shapes, "Count()").toInt();
        for (int j = 1; j <= n; ++j) {
            QAxObject *shape = query(shapes, "Item(int)", j);
            if (!shape)
                continue;
            const double cx = read(shape, "CenterX()").toDouble();
            const double cy = read(shape, "CenterY()").toDouble();
            centres << QPoint(toUnits(cx), toUnits(pageHeightInches - cy));
            release(shape);
        }
        release(shapes);
        call(layer, "SetEditable(bool)", false);
    } else {
        qCDebug(lcHost, "no layer \"%s\": no mark centres", qUtf8Printable(markLayer));
    }
    f.close();

    // Top row first, left to right within a row; equal points keep their order.
    std::stable_sort(centres.begin(), centres.end(), [](const QPoint &a, const QPoint &b) {
        return a.y() < b.y() || (a.y() == b.y() && a.x() < b.x());
    });
    return centres;
}

int CdrOperate::pageHeight()
{
    HostFrame f(this);
    if (!f.open())
        return -1;
    const int result = toUnits(read(f.page(), "SizeHeight()").toDouble());
    f.close();
    return result;
}

int CdrOperate::pageWidth()
{
    HostFrame f(this);
    if (!f.open())
        return -1;
    const int result = toUnits(read(f.page(), "SizeWidth()").toDouble());
    f.close();
    return result;
}

QString CdrOperate::qrJobName()
{
    QString result;
    HostFrame f(this);
    if (!f.open())
        return result;
    f.rememberActiveLayer();
    f.readLayers();
    const QString name = f.findLayerByPrefix(qrLayer);
    if (!name.isNull())
        result = name.mid(qrLayer.size() + 1); // past the separator
    f.close();
    return result;
}

bool CdrOperate::isSafeJobName(const QString &name)
{
    return ::isSafeJobName(name);
}
