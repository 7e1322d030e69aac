#include "drivers/Registry.h"

#include <algorithm>
#include <array>

#include "core/CodeTables.h"
#include "drivers/Aor.h"
#include "drivers/Ar3000a.h"
#include "drivers/Bcd396t.h"
#include "drivers/Bearcat.h"
#include "drivers/Drake.h"
#include "drivers/Hamlib.h"
#include "drivers/Icom.h"
#include "drivers/Kenwood.h"
#include "drivers/Local.h"
#include "drivers/Thf6a.h"

namespace rigvane {

const std::vector<RadioDriver*>& SupportedFamilies() {
    static const std::vector<RadioDriver*> families = [] {
        std::vector<RadioDriver*> all = {
            &LocalFamily(),   &IcomFamily(),    &OptoFamily(),  &Aor8000(),
            &Aor5000(),       &Ar3000aFamily(), &DrakeFamily(), &BearcatFamily(),
            &Bcd396tFamily(), &KenwoodFamily(), &Thf6aFamily(), &HamlibDriverInstance(),
        };
        std::sort(all.begin(), all.end(), [](const RadioDriver* a, const RadioDriver* b) {
            return a->Caps().Protocol < b->Caps().Protocol;
        });
        return all;
    }();
    return families;
}

RadioDriver* DriverFor(int protocol) {
    // Asked at every radio operation: a table by protocol number.
    static const std::array<RadioDriver*, 256> byProtocol = [] {
        std::array<RadioDriver*, 256> table{};
        for (RadioDriver* driver : SupportedFamilies())
            table[driver->Caps().Protocol] = driver;
        return table;
    }();
    return protocol >= 0 && protocol < int(byProtocol.size()) ? byProtocol[size_t(protocol)]
                                                              : nullptr;
}

const FamilyCaps& CapsFor(int protocol) {
    const RadioDriver* driver = DriverFor(protocol);
    return driver ? driver->Caps() : NeutralCaps(protocol);
}

const ModelCaps& ModelCapsFor(const RadioProfile& profile) {
    return CapsFor(profile.Protocol).Model(profile.Model);
}

void InstallDrivers(Radio& radio) {
    radio.Link().Drivers = DriverFor;
}

} // namespace rigvane
