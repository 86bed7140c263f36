#include "textfile.h"

#include <QFile>
#include <QTextStream>

QString readFile(QString path)
{
    QString text;
    if (path.isEmpty())
        return text;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return text;
    text = QTextStream(&file).readAll();
    return text;
}
