#include "releasedate.h"

#include <QDate>
#include <QLocale>

QString releaseDate(const QString &compilerDate)
{
    QString text = compilerDate;
    text.replace(QLatin1String("  "), QLatin1String(" 0"));
    const QDate date = QLocale(QLocale::English).toDate(text, QStringLiteral("MMM dd yyyy"));
    return date.toString(QStringLiteral("yyyyMMdd"));
}
