#pragma once

#include <QString>

// The machine's public documents folder, with a trailing "/".
// Windows: "C:/Users/Public/Documents/". Elsewhere the environment variable
// VEMO_PUBLIC_DOCUMENTS when set (tests point it at a private folder), else the
// user's documents folder.
QString publicDocumentsFolder();

// The program's work folder: publicDocumentsFolder() + "VemoCommonPlugin/".
// Every class that touches work files asks this one function.
QString workFolder();
