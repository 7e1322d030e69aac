#pragma once
// Simulated Drake receivers, 0.01..30 MHz, no signal command (the squelch
// drives the carrier-detect line).
//
// R8A ("drake-r8a"): tuned by a binary packet "Q", seven bytes, 00, 7F,
// framed by its length (the bytes may contain 0A or 0D); a carriage return
// after it is a stray line end. Text commands end in CR: "RA" answers the
// tuning packet as it stands, 7F, CR LF; "Cnnn" recalls, "PRnnn" stores
// the tuning into memory nnn (0..439), " NCname" names the channel last
// stored (7 characters), "ECnnn" clears; "PO VA OF" switches on; "F14.2"
// tunes (MHz), "MU"/"ML"/"MC"/"MR"/"MF"/"MA" set the mode; "ID", "RF", "RC",
// "RM" and "RSS" read the model, frequency, channel, mode and signal
// strength. A command taken gets a bare LF, one not understood "?" CR LF.
// A command that begins less than MinGapMs after the radio's previous
// answer, or a packet not closed by 00 7F, is answered "PE" CR LF.
//
// R8 ("drake-r8"): text only. A tuning line of blank-separated words: the
// frequency as seven digits in 100 Hz, M1..M6 (USB, LSB, RTTY, CW, FM, AM),
// AO/AS/AF (AGC), A1/AC/A2 (antenna), W and a width 0, 1, 2, 4 or 6 (kHz
// filter steps), BF/BN/BW (noise blanker), NO/NF (notch), SF/SO
// (synchronous AM), G-/G0/G+ (gain); "PRnn", "Cnn", "ECnn" (or "EC0nn") on
// memories 0..99. Every line is taken whole with a bare LF or refused whole with "?"
// CR LF. "RA" answers eighteen characters and CR LF:
//   Cnn_ABCDE_MM.fffff   (nn channel, A..E flag characters 30..3F hex,
//                         MM whole MHz, fffff the rest in 10 Hz)
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimRadio.h"
#include "sim/TextLineRadio.h"

namespace rigvane {

class DrakeR8aRadio : public SimRadio {
  public:
    static constexpr int MemoryCount = 440;
    static constexpr int PacketBytes = 7;
    struct Memory {
        std::string Packet; // empty: the channel holds nothing
        std::string Name;
    };

    DrakeR8aRadio();
    std::string Name() const override { return "drake-r8a"; }

    // The tuning state as the "Q" packet carries it (FrequencyHz follows it).
    std::string Packet;
    std::array<Memory, MemoryCount> Memories;
    int Channel = 0;
    int64_t MinGapMs = 20;
    // Faults for tests: that many status answers are cut to three bytes.
    int ShortRecords = 0;
    int PacketErrors = 0; // "PE" answers sent

  protected:
    std::string Handle(const std::string& bytes, int64_t nowMs) override;

  private:
    std::string Command(const std::string& command, int64_t nowMs);
    void Tune(const std::string& packet);
    std::string pending_;
    bool pendingTooClose_ = false;
    int64_t lastAnswerMs_ = -1000000;
};

class DrakeR8Radio : public TextLineRadio {
  public:
    static constexpr int MemoryCount = 100;
    struct Tuning {
        int64_t Hz = 0;
        int Mode = 6; // M1..M6
        int Agc = 0, Antenna = 0, Width = 2, NoiseBlank = 0, Gain = 0;
        bool Notch = false, Sync = false;
    };

    DrakeR8Radio();
    std::string Name() const override { return "drake-r8"; }

    Tuning State;
    std::array<Tuning, MemoryCount> Memories{};
    int Channel = 0;
    // Faults for tests: status answers end in LF alone, without CR LF.
    bool StatusWithoutCrLf = false;

    // The status line, without CR LF.
    std::string Status() const;

  protected:
    std::string Command(const std::string& command, int64_t nowMs) override;
    std::string Terminators() const override { return "\r\n"; }
    std::string Unknown(const std::string&) const override { return "?\r\n"; }
};

// The catalogue rows of the Drake radios.
std::vector<SimModel> DrakeSimModels();

} // namespace rigvane
