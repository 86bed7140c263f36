#include "vemoresources.h"

#include <QtGlobal>

void initVemoResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(images);
        Q_INIT_RESOURCE(catalogue);
        return true;
    }();
    Q_UNUSED(done);
}
