// Compiled into every program that links the simulated host, so that the
// host is "installed" (its ProgIDs registered) before main runs.
#include "simhost.h"

namespace {
const bool installed = (simhost::SimHost::install(), true);
}
