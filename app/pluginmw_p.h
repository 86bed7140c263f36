#pragma once

#include <QLoggingCategory>

// Shared by the files of PluginMW.

Q_DECLARE_LOGGING_CATEGORY(lcApp)
