#include "cdroperate.h"

#include "hostframe.h"

CdrOperate::CdrOperate(QString progId)
    : progId(progId)
    , assistLayer(QStringLiteral("Assist Layer"))
    , markLayer(QStringLiteral("Mark Layer"))
    , cuttingLayer(QStringLiteral("Cutting Layer"))
    , creasingLayer(QStringLiteral("Creasing Layer"))
    , qrLayer(QStringLiteral("QR Code"))
{
    app = new QAxObject(progId);
    connected = !app->isNull();
    if (connected)
        app->dynamicCall("SetVisible(bool)", true);
    else
        qCDebug(lcHost, "no host answers to %s", qUtf8Printable(progId));
}

CdrOperate::~CdrOperate()
{
    // The wrappers still alive under it go with it; the host keeps running.
    app->deleteLater();
}

bool CdrOperate::isConnected() const
{
    return connected;
}

void CdrOperate::setLayerNames(QString language)
{
    if (language == QLatin1String("EN")) {
        assistLayer = QStringLiteral("Assist Layer");
        markLayer = QStringLiteral("Mark Layer");
        cuttingLayer = QStringLiteral("Cutting Layer");
        creasingLayer = QStringLiteral("Creasing Layer");
        qrLayer = QStringLiteral("QR Code");
    } else {
        assistLayer = QStringLiteral("\u8F85\u52A9\u5C42");
        markLayer = QStringLiteral("\u6807\u8BB0\u5C42");
        cuttingLayer = QStringLiteral("\u5207\u5272\u5C42");
        creasingLayer = QStringLiteral("\u538B\u75D5\u5C42");
        qrLayer = QStringLiteral("\u4E8C\u7EF4\u7801");
    }
}
