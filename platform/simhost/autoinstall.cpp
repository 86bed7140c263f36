// Compiled into every program that links the simulated host, so that the
// host is "installed" (its ProgIDs registered) before main runs, and is
// running with its start document as soon as the application exists.
#include "simhost.h"

#include <QCoreApplication>

namespace {
const bool installed = (simhost::SimHost::install(), true);

void startHost()
{
    simhost::SimHost::instance().start();
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(startHost)
