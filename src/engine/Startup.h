#pragma once
// The start-up order: every process-wide value back to its default, the
// memory emptied, the display font made available and the settings file read.
#include <functional>
#include <string>

#include "engine/App.h"

namespace rigvane {

struct StartupHooks {
    // Makes a "Transistor" face usable for the frequency display (the window
    // layer registers a seven-segment face); returns the face it registered,
    // "" when none. Unset: the display uses whatever face the system gives.
    std::function<std::string()> RegisterDisplayFont;
    // The two steps after the settings file: opening the connection to the
    // selected radio, then reading the frequency database when LoadFreq asks
    // for it. They join here once the serial link and the database reader are
    // part of the program; an unset hook is skipped.
    std::function<void(App&)> OpenRadio;
    std::function<void(App&)> LoadDatabase;
};

// Runs the start-up order once; running it again gives the same state.
// `iniPath` is the settings file; "" means the default place (DefaultIniPath).
// Returns the face registered for the display, "" when none.
std::string ScanInitialize(App& app, const std::string& iniPath,
                           const StartupHooks& hooks = StartupHooks());

} // namespace rigvane
