#include "drivers/Drivers.h"

#include "core/CodeTables.h"
#include "drivers/Icom.h"

namespace rigvane {

void RegisterDrivers(Radio& radio) {
    radio.RegisterDriver(ProtoIcom, IcomDriver, IcomOpen);
    // OPTO shares the CI-V driver; its initialisation (127, then 3) is the
    // radio operations' own.
    radio.RegisterDriver(ProtoOpto, IcomDriver);
}

} // namespace rigvane
