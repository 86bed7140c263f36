#include "workfolder.h"

#include <QDir>
#include <QStandardPaths>

QString publicDocumentsFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/Users/Public/Documents/");
#else
    QString dir = qEnvironmentVariable("VEMO_PUBLIC_DOCUMENTS");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty())
        dir = QDir::homePath();
    dir = QDir::fromNativeSeparators(dir);
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
#endif
}

QString workFolder()
{
    return publicDocumentsFolder() + QStringLiteral("VemoCommonPlugin/");
}

QString settingsFile()
{
    return workFolder() + QStringLiteral("config.ini");
}

QString qrJobsFolder()
{
    return workFolder() + QStringLiteral("QR Jobs/");
}

QString qrPageinfoFolder()
{
    return workFolder() + QStringLiteral("QR Pageinfo/");
}

QString scratchExportFile()
{
    return workFolder() + QStringLiteral("ABDOPQR.plt");
}

QString labelPictureFile()
{
    return workFolder() + QStringLiteral("ABDOPQR.png");
}
