#pragma once

#include <QLoggingCategory>

// What the cutter link drops without telling the user: a device that went
// away, a write it did not take whole, a reply that did not come in time.
// Off by default; QT_LOGGING_RULES="vemo.device=true" shows it.
Q_DECLARE_LOGGING_CATEGORY(lcDevice)
