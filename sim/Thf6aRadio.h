#pragma once
// A simulated Kenwood TH-F6A or TH-G71 handheld. Commands and answers are
// lines ended by CR; an answer starts with the command word; a setting is
// answered with the command line itself; "N" refuses a command the set
// cannot take now (a memory channel while in VFO mode, an empty memory, a
// value out of range) and "?" answers a malformed or unknown command.
//
// Two bands, each with a VFO, a memory mode switch and a memory channel;
// the band under band control (BC) is the one tuned and heard. Memories
// (TH-F6A 000..399, I-0..I-9, PR1, PR2; TH-G71 000..199; both the
// program-scan pairs L0..L9 / U0..U9) keep their comma-separated memory
// fields, a lockout flag and a name of up to 8 characters. The TH-G71 puts
// "0," before the channel of MW, MR and MNA and has no attenuator, lamp or
// menu settings. BY answers the squelch from the activity schedule and SM
// the meter as level / 3. The TH-F6A receives 0.1 to 1300 MHz, the TH-G71
// 118 to 174 and 400 to 470 MHz; it refuses a frequency beyond.
#include <array>
#include <map>
#include <string>
#include <vector>

#include "sim/TextLineRadio.h"

namespace rigvane {

class Thf6aRadio : public TextLineRadio {
  public:
    enum class Model { F6a, G71 };

    struct Memory {
        std::vector<std::string> Fields; // the memory body, frequency first
        bool Lockout = false;
        std::string Name;
    };
    struct Band {
        std::vector<std::string> Vfo;
        bool MemoryMode = false;
        std::string Channel = "000";
    };

    explicit Thf6aRadio(Model model);
    std::string Name() const override { return model_ == Model::F6a ? "thf6a" : "thg71"; }
    Model GetModel() const { return model_; }
    // The number of memory body fields of the model.
    size_t BodyFields() const { return model_ == Model::F6a ? 12 : 11; }

    std::array<Band, 2> Bands;
    int Control = 0;                        // BC: the band that is tuned
    std::map<std::string, Memory> Memories; // by channel text ("005", "I-3", "L2")
    bool Attenuator = false;
    bool Lamp = false;
    // The menu settings by command word ("SV", "NAR 0", "DM 03", "MES", ...).
    std::map<std::string, std::string> Menu;
    // A test can make the radio answer one command word with fixed text.
    std::map<std::string, std::string> ForcedAnswers;

  protected:
    std::string Command(const std::string& command, int64_t nowMs) override;
    std::string Terminators() const override { return "\r\n"; }

  private:
    bool ValidChannel(const std::string& channel) const;
    bool InRange(const std::string& hertz) const;
    std::string MemoryCommand(const std::string& word, std::vector<std::string> args,
                              const std::string& line);
    std::string MenuCommand(const std::string& word, const std::vector<std::string>& args,
                            const std::string& argText, const std::string& line);
    void Retune();
    Model model_;
};

// The catalogue rows of the handhelds ("thf6a", "thg71").
std::vector<SimModel> Thf6aSimModels();

} // namespace rigvane
