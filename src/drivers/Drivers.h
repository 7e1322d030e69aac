#pragma once
// Registers every radio family's driver with the radio operations.
#include "link/Radio.h"

namespace rigvane {

void RegisterDrivers(Radio& radio);

} // namespace rigvane
