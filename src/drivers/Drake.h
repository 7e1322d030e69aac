#pragma once
// The Drake driver, protocol 6: the R8A (model 0), tuned with a binary "Q"
// packet closed by 7F, and the R8 (model 1), tuned with a line of text words.
// Both answer the status request "RA" with a record of bit-flag bytes; the
// R8A mirrors its tuning packet, the R8 sends a line of characters. Memory
// channels are addressed by number (the R8 only up to 99). Neither radio has
// a signal command: scans watch the carrier-detect line.
#include <string>

#include "link/RadioDriver.h"

namespace rigvane {

// The family's driver (one object serves every profile of the family).
RadioDriver& DrakeFamily();

// The seven bytes of an R8A tuning packet for `cur` (without "Q", 00 and
// 7F). A bandwidth above 4 is first lowered to 4 in `cur` itself, so the
// tuning state shows what the radio was given.
std::string DrakeR8aPacket(Channel& cur);
// The R8 tuning line for `cur`, without its carriage return.
std::string DrakeR8TuningLine(const Channel& cur);

// Decodes a status record at the front of `reply` into `cur`: an R8A record
// (seven bytes before 7F) or an R8 line (eighteen characters before CR LF).
// False while no complete record has arrived; nothing is read past the end
// of a record that came short.
bool DrakeDecodeStatus(const std::string& reply, Channel& cur);

} // namespace rigvane
