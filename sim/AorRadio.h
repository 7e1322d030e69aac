#pragma once
// A simulated AOR receiver: the AR8000 handheld ("aor-ar8000") and the AR5000
// ("aor-ar5000"). They take lines ending in CR (or " CR LF"), each line a row
// of blank-separated two-letter tokens; a token with a value sets, a token
// alone asks. Every line gets one answer line: what was asked, blank
// separated, or an empty line when nothing was asked; "?" when a token is
// unknown or its value is bad (the rest of that line is then ignored).
//
// State: VFO A and B (frequency, step, mode digit, attenuator, auto-mode),
// 1000 memories (frequency, step, mode, attenuator, pass, text; the AR5000
// also antenna and bandwidth), 20 search banks, the scan and search bank
// link flags, and on the AR8000 the settings block (ML, BQ, PA, PI, SA, SB,
// SD, SP, TI, XA, XB, XD, XM, XP). Channels are A00..j49 on the AR8000 (bank
// letters A a B b ... J j, 50 channels each) and 000..999 on the AR5000;
// search banks A..J, a..j on the AR8000 and 00..19 on the AR5000.
//
// The search link switch BQ is read only; it comes with the BS answer.
// LM answers two hexadecimal digits: bit 7 set while the squelch is closed
// (no activity at the tuned frequency), else (level - 1) * 3 for the
// activity's level 1..12. The commands other control programs send are
// answered too: RF (tune in Hz, or read), RX (read the state), MD, LM, ST
// (hertz) and EX (leave remote control). The AR5000 also takes the tokens
// its controllers run together ("MX005MP0", "MP0RF0145125000").
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sim/TextLineRadio.h"

namespace rigvane {

class AorRadio : public TextLineRadio {
  public:
    enum class Model { Ar8000, Ar5000 };

    struct Vfo {
        int64_t FrequencyHz = 145000000;
        int StepHz = 5000;
        int Mode = 1;
        bool Atten = false;
        bool Auto = false;
    };
    struct Memory {
        int64_t FrequencyHz = 0; // 0 = empty
        int StepHz = 50;
        int Mode = 0;
        bool Atten = false;
        bool Pass = false;
        std::string Text;
        int Antenna = 1; // AR5000
        int Bandwidth = 0;
    };
    struct SearchBank {
        bool Used = false;
        int64_t LowerHz = 0, UpperHz = 0;
        int StepHz = 0;
        int Mode = 0;
        bool Atten = false;
        bool Auto = true;
        std::string Text;
    };

    explicit AorRadio(Model model);
    static const char* ModelName(Model model); // "aor-ar8000", "aor-ar5000"
    std::string Name() const override { return ModelName(model_); }

    std::array<Vfo, 2> Vfos;
    int ActiveVfo = 0;
    bool MemoryMode = false; // tuned to memory MemoryChannel
    int MemoryChannel = 0;
    std::array<Memory, 1000> Memories;
    std::array<SearchBank, 20> SearchBanks;
    std::array<bool, 20> ScanLinks{};
    std::array<bool, 20> SearchLinks{};
    // AR5000 receiver settings: AGC ('0', '2', 'F'), antenna 1/2, bandwidth 0..6.
    char Agc = '0';
    int Antenna = 1;
    int Bandwidth = 2;
    int ToneCode = 0;
    bool ToneOn = false;
    bool Remote = true; // false after EX
    // The AR8000 settings block.
    bool Ml = false, Bq = false, Sa = false, Xa = false;
    int Pa = 0, Pi = 2, Sb = 0, Sp = 0, Ti = 0, Xb = 0, Xm = 0, Xp = 0;
    int SdTenths = 0, XdTenths = 0;

    // For tests: the next lines are answered with these texts (CR LF added),
    // whatever they ask; the lines are still recorded in Commands.
    std::deque<std::string> CannedAnswers;

    // Memory channel text of a number ("A05" / "005"); -1 from ParseChannel
    // for anything that is not a channel.
    std::string ChannelText(int channel) const;
    int ParseChannel(const std::string& text) const;

  protected:
    std::string Command(const std::string& line, int64_t nowMs) override;
    std::string Terminators() const override { return "\r\n"; }
    std::string Unknown(const std::string&) const override { return "?\r\n"; }

  private:
    enum class Target { Vfo, Memory, Bank };
    bool Token(const std::string& key, const std::string& value, int64_t nowMs,
               std::string& answer);
    // What the radio receives: key + hertz, step, auto, mode, attenuator (and
    // the AR5000's AGC, antenna, bandwidth).
    std::string ReceiveLine(const std::string& key) const;
    std::string MemoryLine(int channel) const;
    std::string BankLine(int bank) const;
    std::string BankText(int bank) const;
    int ParseBank(const std::string& text) const;
    void Retune();

    Model model_;
    Target target_ = Target::Vfo;
    int selectedMemory_ = -1;
    int selectedBank_ = -1;
};

// The catalogue rows of the AOR sets (sim/Catalog).
std::vector<SimModel> AorSimModels();

} // namespace rigvane
