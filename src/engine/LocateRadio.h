#pragma once
// The radio search behind "Locate Radio" in the radio parameters dialog: it
// tries the serial ports, speeds and bus addresses until a radio answers.
#include <functional>

#include "core/Settings.h"
#include "engine/App.h"

namespace rigvane {

enum class LocateResult { Found, NotFound, NotSupported };

// Searches for a radio with the settings of `working`, the profile on show in
// the radio parameters dialog. For the search the working profile temporarily
// replaces the live selected profile (OpenRadio opens that one); the live
// profile is always restored at the end.
//
// Outermost first: port from the current one to 4 (only the current one when
// the profile names a device), speed index from the current one to 6 (then
// from 0), address from the current one to FF (then from 01). Only families
// on a bus with addresses step through them; a family that wants flow
// control gets it switched on. Clearing app.link.LocatingRadio during the
// search (from an event handler) gives up. A protocol no driver serves is
// not searched for: "... protocol not supported yet" is shown at once.
//
// Found: `working` keeps the settings that answered, with a Timeout of
// PollCount x 30 ms, and "Radio Located. Parms Set" is shown. Not found:
// `working` is restored and "Could not locate a radio!" is shown.
// `redisplay` is called whenever `working` has changed.
LocateResult LocateRadio(App& app, RadioProfile& working, const std::function<void()>& redisplay);

} // namespace rigvane
