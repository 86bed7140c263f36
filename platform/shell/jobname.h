#pragma once

#include <QString>

// Whether a QR job name (read from the document, or scanned by the cutter)
// may name a file in the QR job folder: not empty, no path separator or drive
// colon, no "..", no control character. Both the host driver and the QR
// window check names by this one rule.
bool isSafeJobName(const QString &name);
