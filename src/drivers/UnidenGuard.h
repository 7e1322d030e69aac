#pragma once
// The Uniden drivers' (Bearcat and BCD396T) guard around every entry point:
// the radio's failures are messages, never exceptions.
#include <exception>
#include <string>

#include "link/RadioDriver.h"

namespace rigvane {

template <typename F> void UnidenGuarded(DriverContext& ctx, F&& body) {
    try {
        if (!ctx.Link.PortOpen()) return;
        body();
    } catch (const std::exception& e) {
        ctx.Log.Dply("Data Processing Error 6001! Report to author.");
        ctx.Log.Dply(std::string("Error Was =>") + e.what());
    } catch (...) {
        ctx.Log.Dply("Data Processing Error 6001! Report to author.");
        ctx.Log.Dply("Error Was =>unknown failure");
    }
}

} // namespace rigvane
