#pragma once
// The driver for the Kenwood TH-F6A (model 0) and TH-G71 (model 1)
// handhelds (protocol 9): CR-ended command lines, several per transmission,
// answers whose first word repeats the command word, "N" for a refusal and
// "?" for a command the radio does not know. The two models differ only in
// the data of their model rows (prefixes, band digit, field offset, band plan).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/RadioDriver.h"

namespace rigvane {

// The family's one driver object (it keeps no state of its own).
RadioDriver& Thf6aFamily();

// Sends one raw command line and returns the radio's answer line ("N" or "?"
// for a refusal); nothing when the radio did not answer. The settings dialog
// reads and writes the handheld's menu with it.
std::optional<std::string> Thf6aRawCommand(DriverContext& ctx, const std::string& line);

// The building blocks, public for the tests.
// The band a frequency falls in: kind 'V' for the VFO band, 'R' for the receive band.
int Thf6aBand(int model, int32_t frequency, char kind = 'V');
// The radio's memory name of a channel: 005, I-5, PR2; "" beyond 411.
std::string Thf6aChannelText(int channel);
// The channel of a memory name field; nothing for a field the radio never sends.
std::optional<int> Thf6aChannelNumber(const std::string& field);
// The comma-separated memory body of a state, from the step search starting
// at `firstStep`. May lower `state.Frequency` to a multiple of the step.
std::string Thf6aMemoryBody(int model, Channel& state, int firstStep = 0);
// Decodes the memory fields starting at `fields[first]` into `into`; false
// (with `why` set) when a field is missing or malformed.
bool Thf6aDecodeMemory(int model, const std::vector<std::string>& fields, size_t first,
                       Channel& into, std::string* why);
// Splits an answer line: field 0 is the text before the first blank, the rest
// is split at commas.
std::vector<std::string> Thf6aFields(const std::string& line);

// The radio test's command words: two or three characters, the first a
// letter, none of the words the test must never send.
std::vector<std::string> Thf6aTestWords();

} // namespace rigvane
