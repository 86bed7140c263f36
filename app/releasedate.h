#pragma once

#include <QString>

// The compiler's build date ("Dec  7 2026", a one-digit day padded by a blank)
// as "yyyyMMdd"; empty when the text cannot be read.
QString releaseDate(const QString &compilerDate);
