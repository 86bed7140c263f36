#include "hpgltool.h"

#include <cmath>

HpglTool::HpglTool()
    : pi(4 * std::atan(1.0))
{
}
