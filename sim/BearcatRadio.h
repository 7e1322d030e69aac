#pragma once
// A simulated Uniden Bearcat scanner: the BC245XLT, BC780XLT and BC895XLT.
//
// Text lines ended by CR, one answer line per command: "OK", "NG" (a value
// out of range, or a command the present screen does not take) and "ERR"
// (a command the model does not know). Memories 1..300 (BC780XLT 1..500)
// with frequency, trunk, delay, lockout, attenuator, AR and tone; the
// channel line answers MA and PM in fixed columns:
//
//     C012 F01451250 TF DN LF AN RF N000      (tone: 3 digits, BC895XLT 2)
//
// The keypad behind MD and KEY is a small state machine: 1 is the normal
// screen; KEY13 on a channel of a trunk bank opens the trunk screen 6, KEY07
// there the ID list (18 on the BC895XLT, 10 on the others), KEY13H then
// KEY02 d (BC895XLT: KEY21 letter) then KEY04 the trunk frequency entry 7;
// KEY13 (or KEY01, KEY22 where the screen calls for it) goes back to 1.
// Channels answer MA and PM only on screens 1 and 7; IS and IC only in the
// ID list. Frequencies outside the model's bands are refused (NG). Ten trunk
// banks (A..I, J for bank 0, 30 channels each) keep a system type, ten
// enabled ID banks and 100 IDs. SQ answers "+" while the activity schedule
// has a signal at the tuned frequency, SG its strength ("S" and three
// digits). It also answers what other control programs send: RF to tune,
// SI, VR, PM with a channel alone to read it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/TextLineRadio.h"

namespace rigvane {

class BearcatRadio : public TextLineRadio {
  public:
    enum class Model { Bc245, Bc780, Bc895 };

    struct Memory {
        int32_t Frequency = 0; // 100 Hz units, 0 = empty
        bool Trunked = false, Delay = false, Lockout = false, Atten = false, Ar = false;
        bool Ctcss = false;
        int Tone = 0;            // radio tone number 0..38
        std::string Mode = "FM"; // BC780XLT: FM, NFM, WFM, AM
    };
    struct TrunkBankData {
        int Type = 0; // 0 none, 1 TYPE1 .. 6 EDACS
        std::array<bool, 10> IdBankEnabled{};
        std::array<std::string, 100> Ids;
    };

    explicit BearcatRadio(Model model);
    static const char* ModelName(Model model); // "bearcat-bc245", ...
    std::string Name() const override { return ModelName(model_); }
    Model GetModel() const { return model_; }
    int Channels() const { return model_ == Model::Bc780 ? 500 : 300; }

    std::vector<Memory> Memories;             // index = channel number; [0] unused
    std::array<TrunkBankData, 10> TrunkBanks; // index = bank 0..9 (0 is "J")
    std::array<bool, 10> ScanBanks;           // enabled scan banks, index as TrunkBanks
    int Channel = 1;                          // the channel on the display; 0 after RF
    int Screen = 1;                           // MD state
    bool Light = false;

  protected:
    std::string Command(const std::string& command, int64_t nowMs) override;
    std::string Terminators() const override { return "\r\n"; }
    std::string Unknown(const std::string&) const override { return "ERR\r"; }

  private:
    std::string ChannelLine(int ch) const;
    std::string Key(const std::string& key);
    std::string Flag(const std::string& cmd, bool& value, bool modelHasIt);
    // The trunk bank (0..9) of a channel: 30 channels to a bank, A first.
    static int BankOf(int ch) { return ch < 1 ? 1 : ((ch - 1) / 30 + 1) % 10; }
    bool IsTrunkBank(int bank) const;
    // Whether the model receives a frequency (100 Hz units); PM and RF
    // outside its bands answer NG.
    bool InBand(int32_t frequency) const;
    int ListScreen() const { return model_ == Model::Bc895 ? 18 : 10; }
    void Select(int ch);

    Model model_;
    int programBank_ = 0; // the trunk bank KEY02 / KEY21 chose
};

// The catalogue rows of the three scanners.
std::vector<SimModel> BearcatSimModels();

} // namespace rigvane
