#pragma once

#include <QString>

#include <functional>

// Language switch shared by the job windows: "ZH" installs the built-in
// Chinese catalogue for the duration of the re-translation, "EN"
// re-translates with the translators installed now, anything else does
// nothing.
void retranslateWindow(const QString &language, const std::function<void()> &retranslate);
