#include "link/RadioDriver.h"

#include "core/CodeTables.h"

namespace rigvane {

const FamilyCaps& NeutralCaps(int protocol) {
    // One row per protocol number, and a last one for a number out of range.
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

std::string NotSupportedText(int protocol) {
    const std::string name = protocol >= 0 && protocol < ProtocolCount
                                 ? ProtocolNames[size_t(protocol)]
                                 : "Protocol " + std::to_string(protocol);
    return name + " protocol not supported yet";
}

} // namespace rigvane
