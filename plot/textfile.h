#pragma once

#include <QString>

// Whole text of a file, with CR LF read as LF. Empty when the path is empty
// or the file cannot be opened; callers cannot tell that from an empty file.
QString readFile(QString path);
