#include "drivers/Registry.h"

#include <algorithm>

#include "core/CodeTables.h"
#include "drivers/Icom.h"
#include "drivers/Local.h"

namespace rigvane {

const std::vector<RadioDriver*>& SupportedFamilies() {
    static const std::vector<RadioDriver*> families = [] {
        std::vector<RadioDriver*> all = {
            &LocalFamily(),
            &IcomFamily(),
            &OptoFamily(),
        };
        std::sort(all.begin(), all.end(), [](const RadioDriver* a, const RadioDriver* b) {
            return a->Caps().Protocol < b->Caps().Protocol;
        });
        return all;
    }();
    return families;
}

RadioDriver* DriverFor(int protocol) {
    for (RadioDriver* driver : SupportedFamilies())
        if (driver->Caps().Protocol == protocol) return driver;
    return nullptr;
}

void InstallDrivers(Radio& radio) {
    radio.Link().Drivers = DriverFor;
}

} // namespace rigvane
