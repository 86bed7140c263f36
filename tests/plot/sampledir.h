#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

// HPGL written by other plotting programs lies beside the repository, in
// shared/data/hpgl-samples; empty when it is not there.
inline QString sampleDir()
{
    const QString dir = QFileInfo(QStringLiteral(__FILE__)).absolutePath()
        + QStringLiteral("/../../../shared/data/hpgl-samples");
    return QDir(dir).exists() ? QDir(dir).absolutePath() : QString();
}
