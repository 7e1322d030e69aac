#pragma once
// The Kenwood driver (protocol 2): Kenwood receivers and transceivers that
// take two-letter commands ending in ";". The radio keeps a VFO or a memory
// function; the driver remembers which one it last switched to in the
// profile's DriverState and sends the switch only when it has to change.
#include <cstdint>
#include <optional>
#include <string>

#include "link/RadioDriver.h"

namespace rigvane {

// The family's one driver object (it keeps no state of its own).
RadioDriver& KenwoodFamily();

// Answer parsers, public for the tests. Each takes one answer without its
// ";" and changes nothing unless the whole answer is well formed.
// "IF": frequency from characters 3..13, mode digit at character 30.
bool KenwoodReadIf(const std::string& answer, Channel& into);
// "MR": frequency from characters 7..17, mode digit at character 18.
bool KenwoodReadMr(const std::string& answer, Channel& into);
// "SM": every digit after "SM" is the meter reading; level = reading / 2,
// at most 11.
std::optional<uint8_t> KenwoodSignalLevel(const std::string& answer);

} // namespace rigvane
