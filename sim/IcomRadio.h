#pragma once
// A simulated CI-V radio: the ICOM R7000, "generic" ICOM, R8500, R9000 and
// R746, and the OPTO receivers that speak CI-V.
//
// Default bus addresses are those the real sets leave the factory with:
// R7000 08, R8500 4A, R9000 2A, R746 56; the generic radio and the OPTO use
// 08, the address a new radio profile starts with.
//
// The radio answers only frames addressed to it, replying to the frame's
// source address: FB (accepted) to settings, a data frame to reads, FA
// (rejected) to whatever the model does not support. It takes what other
// control programs send to these sets, as the real ones do. By model:
//   R7000, OPTO (the OptoScan boards sit in R7000-class sets): mode bytes 02
//     (AM, also as 02 01) and 05 [00 SSB | 01 FM wide | 02 FM narrow]; no
//     attenuator (11), antenna (12) or AGC (16); range 25..2000 MHz. The
//     R7000 has no signal reads (15); the OPTO has no memories and takes
//     7F 02 (computer control) and 7F 01 (back to local).
//   R8500: modes 00..06 with filter 01..03 (FM narrow also as 05 03), AGC
//     16 10 / 16 11, memories 0..999.
//   R9000, generic: modes 00..05 (generic also 06..08), AGC 16 12 xx.
//   R746: modes 00..05, 07, 08, 0.03..60 and 108..174 MHz, memories 1..99.
// The attenuator keeps the level it was set to (00, 10, 20 or 30 dB). 07
// takes no data or a VFO code (00, 01, A0, B0, C0, C1, D0, D1).
// The squelch (15 01) is open while the activity schedule has a level above
// 0 at the tuned frequency; the S-meter (15 02) answers that level as the
// four BCD digits 0000..0255 (level L gives the lowest N with N*13/256 >= L).
// Reading the frequency of an empty memory channel answers a single FF.
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/SimRadio.h"

namespace rigvane {

class IcomRadio : public SimRadio {
  public:
    enum class Model { R7000, Generic, R8500, R9000, R746, Opto };

    // Deliberate faults in the answers, for robustness tests.
    enum class Fault {
        None,
        Garbage,       // answers are bytes that never form a frame
        Truncated,     // answers are cut short (each cut ending in FD)
        ForeignFrames, // frames for another controller and from another radio come first
        BadBcd,        // frequency and S-meter data contain non-BCD bytes (199+)
    };

    struct Memory {
        int64_t FrequencyHz = 0; // 0 = empty
        uint8_t ModeByte = 0;
        int FilterByte = -1; // -1: none
    };

    explicit IcomRadio(Model model);

    static uint8_t DefaultAddress(Model model);
    static const char* ModelName(Model model); // "icom-r8500", "opto", ...
    std::string Name() const override { return ModelName(model_); }
    Model GetModel() const { return model_; }

    uint8_t Address;
    bool Echo = false;         // the CI-V bus echoes every byte the computer sends
    bool FbBeforeData = false; // send FB before the data frame of 03 and 04 reads
    Fault Faults = Fault::None;
    // Command bytes this radio refuses (FA) whatever their data.
    std::set<uint8_t> Refuse;

    // Tuning state (FrequencyHz is in SimRadio).
    uint8_t ModeByte = 0x05;
    int FilterByte = 0x01;
    uint8_t Attenuator = 0x00; // the level as set: 00, 10, 20 or 30 (dB, BCD)
    int Antenna = 0;
    int Agc = 0; // last AGC sub-command data
    bool MemoryMode = false;
    int SelectedChannel = 0;
    std::map<int, Memory> Memories;
    bool OptoInitialised = false;

    // Counts, for tests.
    int Rejected = 0;      // FA answers sent
    int ForeignFrames = 0; // frames seen that were not addressed to this radio

    // The command part (command byte and data, without preamble, addresses
    // and FD) of every frame addressed to this radio is appended to Commands.
    bool Received(uint8_t command) const;

  protected:
    std::string Handle(const std::string& bytes, int64_t nowMs) override;

  private:
    std::string Answer(uint8_t to, const std::string& body, int64_t nowMs);
    std::string Frame(uint8_t to, const std::string& body) const;
    std::string Apply(uint8_t to, const std::string& body, int64_t nowMs);
    bool ModeAllowed(uint8_t mode, int filter) const;
    bool FrequencyAllowed(int64_t hz) const;
    bool ChannelAllowed(int channel) const;
    bool HasMemories() const { return model_ != Model::Opto; }
    std::string FrequencyData() const;

    Model model_;
    std::string pending_;
};

// The catalogue rows of the CI-V radios: "icom-r7000" ... "opto".
std::vector<SimModel> IcomSimModels();

// The BCD helpers shared with the tool: five bytes, least significant first.
std::string IcomBcdFrequency(int64_t hz);
// -1 when any digit is not decimal.
int64_t IcomBcdValue(const std::string& bytes);

} // namespace rigvane
