#pragma once
// A simulated Kenwood CAT receiver: two VFOs (A, B) and 100 memories, a
// function for receiving (FN) and one for the display (FR) (0 VFO A, 1 VFO B,
// 2 memory), the mode, the attenuator and the extended settings (RA, NT, GT,
// AN, NB, NL). Commands end in ";". A setting is taken silently; a query is
// answered with the command word and the value; a malformed command or one
// the set does not know is answered "?;".
//
// IF answers in the layout of the ten-meter transceivers: frequency at
// characters 3..13, the mode digit at character 30. SM answers four digits,
// twice the activity level at the tuned frequency. It tunes 0.1 to 1300 MHz;
// a frequency beyond, or an empty memory channel, is a malformed command. MR answers
// "MR0" + channel + frequency + mode + the five stored trailing characters.
#include <array>
#include <map>
#include <string>
#include <vector>

#include "sim/TextLineRadio.h"

namespace rigvane {

class KenwoodRadio : public TextLineRadio {
  public:
    struct Memory {
        int64_t FrequencyHz = 0; // 0 = empty
        char Mode = '0';
        std::string Tail = "00000";
    };

    KenwoodRadio();
    std::string Name() const override { return "kenwood"; }

    std::array<int64_t, 2> VfoHz{};
    char Mode = '4';  // of the VFOs
    int Function = 0; // FN: 0 VFO A, 1 VFO B, 2 memory
    int Display = 0;  // FR
    int Channel = 0;  // memory channel shown in memory mode
    std::array<Memory, 100> Memories;
    std::map<std::string, std::string> Settings; // RA, NT, GT, AN, NB, NL by command word
    // A test can make the radio answer one command word with fixed text.
    std::map<std::string, std::string> ForcedAnswers;

  protected:
    std::string Command(const std::string& command, int64_t nowMs) override;
    std::string Unknown(const std::string&) const override { return "?;"; }

  private:
    void Retune();
    std::string IfAnswer() const;
    // In memory mode the memory's mode shows, else the mode of the VFOs.
    char ShownMode() const;
};

// The catalogue row of the receiver ("kenwood").
std::vector<SimModel> KenwoodSimModels();

} // namespace rigvane
