#include "drivers/Registry.h"

#include <algorithm>
#include <array>

#include "core/CodeTables.h"
#include "drivers/Ar3000a.h"
#include "drivers/Drake.h"
#include "drivers/Icom.h"
#include "drivers/Local.h"

namespace rigvane {

const std::vector<RadioDriver*>& SupportedFamilies() {
    static const std::vector<RadioDriver*> families = [] {
        std::vector<RadioDriver*> all = {
            &LocalFamily(),
            &IcomFamily(),
            &OptoFamily(),
            &Ar3000aFamily(),
            &DrakeFamily(),
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

const FamilyCaps& CapsFor(int protocol) {
    if (const RadioDriver* driver = DriverFor(protocol)) return driver->Caps();
    static const std::array<FamilyCaps, ProtocolCount + 1> neutral = [] {
        std::array<FamilyCaps, ProtocolCount + 1> all;
        for (size_t p = 0; p < all.size(); ++p) {
            FamilyCaps& f = all[p];
            const bool known = p < size_t(ProtocolCount);
            f.Protocol = uint8_t(p);
            f.Name = known ? ProtocolNames[p] : "";
            ModelCaps m;
            m.Name = known ? ModelName(int(p), 0) : "";
            f.Models.push_back(m);
        }
        return all;
    }();
    const bool known = protocol >= 0 && protocol < ProtocolCount;
    return neutral[known ? size_t(protocol) : size_t(ProtocolCount)];
}

const ModelCaps& ModelCapsFor(const RadioProfile& profile) {
    return CapsFor(profile.Protocol).Model(profile.Model);
}

void InstallDrivers(Radio& radio) {
    radio.Link().Drivers = DriverFor;
}

} // namespace rigvane
