#pragma once
// Constant code tables built at start-up; read-only for the whole run.
#include <array>
#include <cstdint>

namespace rigvane {

// Modulation names indexed by Channel::Mode; three characters wide.
extern const std::array<const char*, 11> ModeNames;

// Tone table: 0 "Off", then 42 tones in Hz.
constexpr int ToneCount = 43;
extern const std::array<const char*, ToneCount> ToneNames;

// Bearcat tone code -> radio tone number, and radio tone number -> lowest tone code.
const std::array<uint8_t, ToneCount>& BearcatToneMap();
const std::array<uint8_t, ToneCount>& BearcatToneReverse();

// Serial settings lists. The four-digit baud texts carry a leading blank.
extern const std::array<const char*, 7> BaudTexts;
extern const std::array<const char*, 5> ParityLetters;

// CI-V frame bytes.
constexpr uint8_t IcomPreamble = 254;
constexpr uint8_t IcomEndOfMessage = 253;

// Protocol numbers and names.
enum Protocol : uint8_t {
    ProtoLocal = 0,
    ProtoIcom = 1,
    ProtoKenwood = 2,
    ProtoAor3000 = 3,
    ProtoAor8000 = 4,
    ProtoOpto = 5,
    ProtoDrake = 6,
    ProtoBearcat = 7,
    ProtoAor5000 = 8,
    ProtoThf6a = 9,
    ProtoBcd396 = 10,
    ProtoHamlib = 11, // any radio the Hamlib library drives
};
constexpr int ProtocolCount = 12;
extern const std::array<const char*, ProtocolCount> ProtocolNames;

// Model names: 12 protocols x 6 slots (slot 5 is empty). Returns "" for a slot
// outside 0..5 (a stored model 6 or 7 names no model).
const char* ModelName(int protocol, int model);

extern const std::array<const char*, 8> TrunkTypeNames;

// Spectrum widths in 10 Hz units, index 0..12.
extern const std::array<int32_t, 13> SpectrumWidths;

} // namespace rigvane
