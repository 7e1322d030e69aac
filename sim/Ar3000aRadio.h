#pragma once
// Simulated AOR AR3000A ("aor-ar3000a") and AR3000 ("aor-ar3000"),
// 0.1..2036 MHz, four banks of 100 memories. Commands end in CR:
//   "T 0145.50000 N" / "R ..."  tune with the attenuator off / on; the mode
//                               letter (N, W, A, L, U, C) may be left out
//   "145.5", "N"                a bare frequency or mode letter line
//   "nX"                        select bank n (1..4)
//   "nnM" / "nnZ"               store the tuning into / recall channel nn
//   "D"                         the status line
//   "Y"                         the signal: "%" for none, "A".."L" for 1..12
// The status line (answer to D, and to Z with "#nn " before it) reads
//   Y 0145.50000 X J 12.50 Q
// frequency, attenuator W (on) or X (off), step in kHz, mode Q..V (FM
// narrow, FM wide, AM, LSB, USB, CW). Recalling an empty channel recalls the
// next programmed one of the bank. Settings are answered with CR LF, a line
// not understood with "?" CR LF. The AR3000 takes the same commands and
// answers nothing at all.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/TextLineRadio.h"

namespace rigvane {

class Ar3000aRadio : public TextLineRadio {
  public:
    static constexpr int BankCount = 4;
    static constexpr int BankSize = 100;
    struct Tuning {
        int64_t Hz = 0; // 0: an empty memory
        char Mode = 'N';
        bool Atten = false;
    };

    explicit Ar3000aRadio(bool silent);
    std::string Name() const override { return silent_ ? "aor-ar3000" : "aor-ar3000a"; }

    Tuning State;
    int Bank = 1; // 1..4
    int Channel = 0;
    std::array<std::array<Tuning, BankSize>, BankCount> Memories{};

  protected:
    std::string Command(const std::string& command, int64_t nowMs) override;
    std::string Terminators() const override { return "\r\n"; }
    std::string Unknown(const std::string&) const override { return "?\r\n"; }

  private:
    std::string Answer(const std::string& command, int64_t nowMs);
    std::string StatusLine() const;
    bool Tune(const std::string& mhz, const std::string& mode);
    bool silent_;
};

// The catalogue rows of the AR3000A and the AR3000.
std::vector<SimModel> Ar3000aSimModels();

} // namespace rigvane
