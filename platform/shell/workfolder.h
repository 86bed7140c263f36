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

// The files and folders the program keeps there, each named in one place.
QString settingsFile(); // "config.ini": both windows' settings
QString qrJobsFolder(); // "QR Jobs/": filed QR jobs, named by their serial
QString qrPageinfoFolder(); // "QR Pageinfo/"
QString scratchExportFile(); // "ABDOPQR.plt": the host's HPGL export, read back
QString labelPictureFile(); // "ABDOPQR.png": the QR label picture, imported into the host
