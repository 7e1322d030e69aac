#pragma once
// The common part of the simulated radios. A simulated radio takes the bytes
// the computer sent and returns the bytes it sends back, keeps its frequency,
// mode and memories like the real set, drives a carrier-detect line and hears
// the signals of an activity schedule. It knows nothing of time by itself:
// every call carries the time in milliseconds, virtual in tests and real in
// the rigvane-sim tool. No Qt and no link code here.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "sim/Activity.h"

namespace rigvane {

class SimRadio {
  public:
    virtual ~SimRadio() = default;

    // The bytes from the computer (any split: whole frames, single bytes)
    // received at `nowMs`; returns the bytes the radio sends back.
    std::string Receive(const std::string& bytes, int64_t nowMs);

    // The carrier-detect line: true while the squelch is open.
    virtual bool CarrierDetect(int64_t nowMs) const { return PoweredOn && SignalAt(nowMs) > 0; }
    // Signal level on the S-meter scale 0..12 at the tuned frequency.
    int SignalAt(int64_t nowMs) const { return Schedule.LevelAt(FrequencyHz, nowMs); }

    // The catalogue name ("icom-r8500").
    virtual std::string Name() const = 0;

    // Tuning state, in the radio's own terms.
    int64_t FrequencyHz = 0;
    Activity Schedule;
    bool PoweredOn = true;

    // Noise mode: while NoiseBytes > 0, every answer is replaced by that many
    // random bytes (a line full of interference, a radio gone mad).
    int NoiseBytes = 0;
    std::mt19937 Random{12345};

    // Everything received, for tests: one entry per complete command.
    std::vector<std::string> Commands;

    // Called with the bytes of every exchange as they pass (fromComputer:
    // what the computer sent, else the answer); the tool's --trace.
    std::function<void(int64_t nowMs, bool fromComputer, const std::string& bytes)> Trace;

  protected:
    // The family's protocol: consume `bytes`, return the answer.
    virtual std::string Handle(const std::string& bytes, int64_t nowMs) = 0;
    std::string Noise(size_t count);
};

// The options a "sim:" device string or the simulator tool may give a radio.
struct SimOptions {
    bool Echo = false; // echo every byte received (a CI-V bus)
    int Address = -1;  // bus address; -1: the model's own
};

// One row of the catalogue of simulated radios (sim/Catalog.h). Each family's
// radio file gives its rows; the options a radio takes are part of its row.
struct SimModel {
    std::string Name;        // catalogue name, as in "sim:icom-r8500"
    std::string Family;      // the protocol name it speaks ("ICOM")
    std::string Description; // what it stands for ("ICOM R8500")
    bool TakesEcho = false;
    bool TakesAddress = false;
    std::function<std::unique_ptr<SimRadio>(const SimOptions&)> Make;
};

// "12.345 FE FE 4A E0 03 FD  |..J...|": seconds, the bytes in hexadecimal
// and as text (anything unprintable as '.'), after a direction mark.
std::string SimTraceLine(int64_t nowMs, bool fromComputer, const std::string& bytes);

} // namespace rigvane
