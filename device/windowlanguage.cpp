#include "windowlanguage.h"

#include <QCoreApplication>
#include <QTranslator>

void retranslateWindow(const QString &language, const std::function<void()> &retranslate)
{
    if (language == QLatin1String("ZH")) {
        QTranslator translator;
        if (translator.load(QStringLiteral(":/Chinese.qm"))) {
            QCoreApplication::installTranslator(&translator);
            retranslate();
        }
    } else if (language == QLatin1String("EN")) {
        retranslate();
    }
}
