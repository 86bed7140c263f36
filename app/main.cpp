#include "pluginmw.h"
#include "workfolder.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
#ifndef Q_OS_WIN
    // The public documents folder always exists on Windows; here it may not,
    // and the work folder is created inside it one level only.
    QDir().mkpath(publicDocumentsFolder());
#endif
    PluginMW window;
    window.show();
    return app.exec();
}
