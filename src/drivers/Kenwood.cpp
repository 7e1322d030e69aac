#include "drivers/Kenwood.h"

#include <algorithm>
#include <cctype>
#include <exception>

#include "core/CodeTables.h"
#include "core/Text.h"

namespace rigvane {

namespace {

// Mode digits of the radio, indexed by Mode 0..9.
const std::array<const char*, 10> KenwoodModeDigits = {"",  "4", "4", "4", "5",
                                                       "1", "2", "6", "3", "6"};
// Radio mode digit 0..9 -> Mode.
const std::array<uint8_t, 10> KenwoodReverseMode = {0, 5, 6, 8, 1, 4, 9, 8, 0, 9};

// What the radio was last switched to (RadioProfile::DriverState).
constexpr int16_t InVfo = 1;
constexpr int16_t InMemory = 3;
const char* const VfoPrefix = "FN0;FR0;";
const char* const MemoryPrefix = "FN2;FR2;";

// A line that keeps delivering bytes without ever answering cannot hold an
// operation forever: after this many collecting passes it ends.
constexpr int MaxCollectPasses = 50;

bool AllDigits(const std::string& s, size_t from, size_t count) {
    if (from + count > s.size()) return false;
    for (size_t i = from; i < from + count; ++i)
        if (!std::isdigit(uint8_t(s[i]))) return false;
    return true;
}

// Eleven digits of hertz to 10 Hz units, halves to even.
int32_t HertzDigitsToFrequency(const std::string& digits) {
    const int64_t hz = std::stoll(digits);
    int64_t q = hz / 10;
    const int64_t r = hz % 10;
    if (r > 5 || (r == 5 && (q & 1))) ++q;
    return q > NoFrequency ? NoFrequency : int32_t(q);
}

// The frequency as eleven digits of hertz: 14652000 gives 00146520000.
std::string FrequencyText(int32_t frequency) {
    return ZeroPadded(frequency < 0 ? 0 : frequency, 10) + "0";
}

// The radio's mode digit; mode 0, 10 and anything unknown have none.
std::string ModeDigit(int mode) {
    return mode >= 0 && mode < int(KenwoodModeDigits.size()) ? KenwoodModeDigits[size_t(mode)] : "";
}

bool ReadFrequencyAndMode(const std::string& a, size_t freqAt, size_t modeAt, Channel& into) {
    if (!AllDigits(a, freqAt, 11) || !AllDigits(a, modeAt, 1)) return false;
    into.Frequency = HertzDigitsToFrequency(a.substr(freqAt, 11));
    into.Mode = KenwoodReverseMode[size_t(a[modeAt] - '0')];
    into.Valid = into.Frequency >= 1;
    return true;
}

enum class Code { Tune, Attenuator, Recall, Store, Read, Load, Signal, Extended, Init };

class Operation {
  public:
    Operation(DriverContext& ctx, Code code) : ctx_(ctx), code_(code) {}

    void Run() {
        if (!ctx_.Link.PortOpen()) return;
        const std::string command = Command();
        if (command.empty()) return;
        const bool tunes = code_ == Code::Tune || code_ == Code::Recall;
        std::string eom;
        if (tunes || code_ == Code::Read || code_ == Code::Load || code_ == Code::Signal) eom = ";";
        std::string& residue = ctx_.State.ReplyResidue;
        residue.clear();
        std::string toSend = command;
        int tries = 0, passes = 0;
        while (tries < ctx_.Link.RetryCount && !done_ && passes++ < MaxCollectPasses) {
            const size_t before = residue.size();
            residue += ctx_.Link.SendAndReceive(toSend, eom, "");
            if (residue.size() == before) {
                // The link has made its tries already: asking again only waits longer.
                if (!toSend.empty() && ctx_.Link.RadioNotResponding) break;
                ++tries;
                toSend = command;
            } else {
                toSend.clear();
            }
            if (eom.empty()) break;
            size_t end;
            while (!done_ && (end = residue.find(';')) != std::string::npos) {
                std::string answer = residue.substr(0, end);
                residue.erase(0, end + 1);
                // Line ends some radios put between answers are not part of them.
                answer.erase(std::remove_if(answer.begin(), answer.end(),
                                            [](char c) { return c == '\r' || c == '\n'; }),
                             answer.end());
                answer = TrimBlanks(answer);
                Handle(answer, command);
            }
            if (!ctx_.Link.PortOpen()) break;
        }
        // Silence, or a refusal without the read-back: the radio is where it was.
        if (tunes && !done_) ctx_.State.TuneRefused = true;
    }

  private:
    std::string Prefix(int16_t wanted) {
        int16_t& state = ctx_.Profile.DriverState;
        if (state == wanted) return "";
        state = wanted;
        return wanted == InVfo ? VfoPrefix : MemoryPrefix;
    }

    std::string Channel3() const { return ZeroPadded(ctx_.State.CurrentChannel, 3); }

    std::string Command() {
        const Channel& cur = ctx_.State.Current;
        switch (code_) {
        case Code::Tune: {
            std::string c = Prefix(InVfo) + "FA" + FrequencyText(cur.Frequency) + ";";
            // Without a mode digit "MD;" would be a query, not a setting.
            const std::string digit = ModeDigit(cur.Mode);
            if (!digit.empty()) c += "MD" + digit + ";";
            // The set commands have no answer; asking for the frequency back
            // tells whether the radio took it.
            return c + "FA;";
        }
        case Code::Attenuator:
            return Prefix(InVfo) + (cur.Atten ? "RA1;" : "RA0;");
        case Code::Recall:
            return Prefix(InMemory) + "MC" + Channel3() + ";MC;";
        case Code::Store: {
            // The layout is fixed-width: a mode without a digit is written as 0.
            const std::string digit = ModeDigit(cur.Mode);
            return "MW0" + Channel3() + FrequencyText(cur.Frequency) +
                   (digit.empty() ? "0" : digit) + "00010;";
        }
        case Code::Read: {
            std::string c;
            if (ctx_.Profile.Memory) {
                c = Prefix(InMemory);
            } else if (ctx_.Profile.DriverState == InMemory) {
                c = Prefix(InVfo);
            }
            return c + "IF;";
        }
        case Code::Load:
            return Prefix(InMemory) + "MR0" + Channel3() + ";";
        case Code::Signal:
            return "SM;";
        case Code::Extended: {
            static const char* const Agc[] = {"GT000;", "GT127;", "GT255;"};
            static const char* const Blank[] = {"NB0;", "NB1;NL128;", "NB1;NL255;"};
            std::string c = Prefix(InVfo) + (cur.Notch ? "NT1;" : "NT0;");
            c += Agc[cur.Agc <= 2 ? cur.Agc : 2];
            c += cur.Antenna == 2 ? "AN02;" : "AN01;";
            c += Blank[cur.NoiseBlank <= 2 ? cur.NoiseBlank : 2];
            return c;
        }
        case Code::Init:
            return ";";
        }
        return "";
    }

    void Handle(const std::string& answer, const std::string& command) {
        RadioState& st = ctx_.State;
        if (answer == "?") {
            // The radio refused a command: nothing is recorded. A tune waits on
            // for its read-back; anything else ends, as its answer will not come.
            ctx_.Link.DebugLog("Kenwood refused:", command);
            if (code_ != Code::Tune && code_ != Code::Recall) done_ = true;
            return;
        }
        if (code_ == Code::Tune && answer.size() == 13 && answer.compare(0, 2, "FA") == 0) {
            done_ = true;
            st.TuneRefused = answer.substr(2) != FrequencyText(st.Current.Frequency);
        } else if (code_ == Code::Recall && answer.size() == 5 && answer.compare(0, 2, "MC") == 0) {
            done_ = true;
            st.TuneRefused = answer.substr(2) != Channel3();
        } else if (code_ == Code::Read && answer.compare(0, 2, "IF") == 0) {
            done_ = KenwoodReadIf(answer, st.Current);
        } else if (code_ == Code::Load && answer.compare(0, 2, "MR") == 0) {
            done_ = KenwoodReadMr(answer, st.Current);
        } else if (code_ == Code::Signal && answer.compare(0, 2, "SM") == 0) {
            if (const auto level = KenwoodSignalLevel(answer)) {
                st.SignalLevel = *level;
                done_ = true;
            }
        }
        // Anything else (an echo, another command's answer, a garbled line) is dropped.
    }

    DriverContext& ctx_;
    Code code_;
    bool done_ = false;
};

void Run(DriverContext& ctx, Code code) {
    try {
        Operation(ctx, code).Run();
    } catch (const std::exception& e) {
        ctx.Log.Dply("Data Processing Error 6005! Contact Author");
        ctx.Log.Dply(std::string("Error Was ") + e.what());
    } catch (...) {
        ctx.Log.Dply("Data Processing Error 6005! Contact Author");
        ctx.Log.Dply("Error Was an unknown failure");
    }
}

FamilyCaps BuildCaps() {
    FamilyCaps caps;
    caps.Protocol = ProtoKenwood;
    caps.Name = "KENWOOD";
    ModelCaps model;
    model.Name = "KENWOOD";
    model.Serial.Flow = true;
    model.Serial.Detect = DetectHardware;
    model.Serial.MaxMhz = "0999.99900";
    model.Serial.MinMhz = "0000.00010";
    model.Serial.MaxChan = 99;
    model.VfoAux.CheckCaptions[0] = "Notch Filter On";
    model.VfoAux.HiddenChecks = 0x1E; // 1..4
    model.VfoAux.HiddenLists = 0x71;  // 0, 4, 5, 6
    caps.Models = {model};
    caps.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpSignal;
    caps.ExtendedCommands = true;
    caps.LocateFlow = true;
    return caps;
}

class KenwoodDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override {
        static const FamilyCaps caps = BuildCaps();
        return caps;
    }

    void Open(DriverContext& ctx) override {
        Run(ctx, Code::Init);
        Run(ctx, Code::Read);
    }
    void Apply(DriverContext& ctx) override {
        const Channel& cur = ctx.State.Current;
        const Channel& last = ctx.State.LastSent;
        if (cur.Frequency != last.Frequency || cur.Mode != last.Mode) Run(ctx, Code::Tune);
        if (cur.Atten != last.Atten) Run(ctx, Code::Attenuator);
        if (ctx.Profile.ExpCmd && (cur.Notch != last.Notch || cur.Antenna != last.Antenna ||
                                   cur.NoiseBlank != last.NoiseBlank || cur.Agc != last.Agc))
            Run(ctx, Code::Extended);
    }
    void Read(DriverContext& ctx) override { Run(ctx, Code::Read); }
    void Recall(DriverContext& ctx) override { Run(ctx, Code::Recall); }
    void Store(DriverContext& ctx) override { Run(ctx, Code::Store); }
    void Load(DriverContext& ctx) override { Run(ctx, Code::Load); }
    void Signal(DriverContext& ctx, DetectMethod) override {
        // No answer is no signal: a level left from the last channel would be a false hit.
        ctx.State.SignalLevel = 0;
        Run(ctx, Code::Signal);
    }
};

} // namespace

RadioDriver& KenwoodFamily() {
    static KenwoodDriver driver;
    return driver;
}

bool KenwoodReadIf(const std::string& answer, Channel& into) {
    if (answer.size() < 30 || answer.compare(0, 2, "IF") != 0) return false;
    return ReadFrequencyAndMode(answer, 2, 29, into);
}

bool KenwoodReadMr(const std::string& answer, Channel& into) {
    if (answer.size() < 18 || answer.compare(0, 2, "MR") != 0) return false;
    return ReadFrequencyAndMode(answer, 6, 17, into);
}

std::optional<uint8_t> KenwoodSignalLevel(const std::string& answer) {
    if (answer.size() < 3 || answer.compare(0, 2, "SM") != 0) return std::nullopt;
    const std::string digits = answer.substr(2);
    if (!AllDigits(digits, 0, digits.size())) return std::nullopt;
    if (digits.size() > 6) return uint8_t(11); // beyond any meter: full scale
    const int reading = std::stoi(digits);
    // reading / 2, halves to even.
    int level = reading / 2;
    if (reading % 2 == 1 && (level & 1)) ++level;
    return uint8_t(level > 11 ? 11 : level);
}

} // namespace rigvane
