#include "drivers/Bcd396t.h"

#include <exception>

#include "core/CodeTables.h"
#include "core/Text.h"
#include "drivers/UnidenGuard.h"
#include "drivers/UnidenLines.h"

namespace rigvane {

namespace {

// Mode names of the radio, indexed by Mode 0..9.
const std::array<const char*, 10> Bcd396ModeNames = {"AUTO", "FM",   "NFM",  "WFM",  "AM",
                                                     "AUTO", "AUTO", "AUTO", "AUTO", "AUTO"};

enum Code : int {
    CodeApply = 0,
    CodeModel = 30,
    CodeSquelchLevel = 52,
    CodeState = 70,
};

constexpr const char* ModelText = "BCD396T";
// A radio that keeps sending lines that answer nothing costs one try per
// this many collecting passes.
constexpr int MaxCollectPasses = 3;

class Session {
  public:
    explicit Session(DriverContext& ctx) : ctx_(ctx) {}

    // True when the radio answered the command (an answer of refusal included).
    bool Exec(int code) {
        std::string command;
        switch (code) {
        case CodeApply:
            command = Bcd396tTuneCommand(ctx_.State.Current);
            break;
        case CodeModel:
            command = "MDL";
            break;
        case CodeSquelchLevel:
            command = "SQL";
            break;
        case CodeState:
            command = "GLG";
            break;
        default:
            return false;
        }
        return Exchange(command + "\r");
    }

  private:
    bool Exchange(const std::string& command) {
        SerialLink& link = ctx_.Link;
        // A radio already known to be silent is not reported again.
        const bool wasSilent = link.RadioNotResponding;
        std::string buffer;
        int errors = 0;
        const bool done = UnidenExchange(link, command, MaxCollectPasses, buffer,
                                         [&](const std::string& line, std::string&) {
                                             return line.size() > 1 && Line(command, line, errors);
                                         });
        if (!done && !wasSilent) ctx_.Log.Dply("Radio Did Not Respond to " + command);
        if (!buffer.empty() && link.DebugFile > 0) link.DebugLog("Rcvd, not processed:", buffer);
        return done;
    }

    // One answer line; true when it ends the command.
    bool Line(const std::string& command, const std::string& line, int& errors) {
        const std::vector<std::string> f = Bcd396tFields(line);
        RadioState& st = ctx_.State;
        if (f[0] == command.substr(0, 3)) {
            if (f.size() > 1 && (f[1] == "ERR" || f[1] == "NG")) {
                ctx_.Log.Dply("Radio Rejected Setting! " + command);
                if (f[0] == "QSH") st.TuneRefused = true;
                if (f[0] == "GLG" || f[0] == "SQL") st.SignalLevel = 0;
                return true;
            }
            if (f[0] == "GLG") {
                const bool open = f.size() > 8 && f[8] == "1";
                st.SignalLevel = open ? 9 : 0;
                if (open) Exec(CodeSquelchLevel);
            } else if (f[0] == "SQL") {
                int64_t level = f.size() > 1 ? ValInt(f[1]) : 0;
                level = level < 0 ? 0 : level > 254 ? 254 : level;
                st.SignalLevel = uint8_t(level + 1);
            } else if (f[0] == "MDL") {
                st.ModelText = f.size() > 1 ? f[1] : "";
            }
            return true;
        }
        if (line.compare(0, 3, "ERR") == 0) {
            if (++errors >= 2) {
                ctx_.Log.Dply("Radio Rejected Command " + command);
                return true;
            }
            ctx_.Link.RadioDelay();
        }
        return false; // another command's answer: keep waiting
    }

    DriverContext& ctx_;
};

FamilyCaps MakeCaps() {
    ModelCaps model;
    model.Name = ModelText;
    model.Serial.Detect = DetectSoftware;
    model.Serial.MinChan = 1;
    model.Serial.Baud = 6; // 115200
    model.Serial.MaxMhz = "0955.99900";
    model.Serial.MinMhz = "0025.00000";
    model.Serial.MaxChan = 300;
    model.Modes = 0x1E; // FM, FM narrow, FM wide and AM; others go as AUTO
    FamilyCaps caps;
    caps.Protocol = ProtoBcd396;
    caps.Name = "BCD396T";
    caps.Models = {model};
    caps.Ops = OpApply | OpSignal;
    caps.RadioMemories = false;
    return caps;
}

} // namespace

std::string Bcd396tTuneCommand(const Channel& state) {
    const int32_t f = state.Frequency < 0 ? 0 : state.Frequency;
    const std::string frequency = ZeroPadded(f / 10, 9).substr(1);
    const char* mode = state.Mode < Bcd396ModeNames.size() ? Bcd396ModeNames[state.Mode] : "AUTO";
    return "QSH," + frequency + ",AUTO," + mode + "," + (state.Atten ? "1" : "0") +
           ",0,0,0,0000000000000000,0";
}

std::vector<std::string> Bcd396tFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

const FamilyCaps& Bcd396tDriver::Caps() const {
    static const FamilyCaps caps = MakeCaps();
    return caps;
}

void Bcd396tDriver::Open(DriverContext& ctx) {
    // A model text left from an earlier connection must not pass for this one.
    ctx.State.ModelText.clear();
    UnidenGuarded(ctx, [&] { Session(ctx).Exec(CodeModel); });
    if (ctx.State.ModelText != ModelText) ctx.Link.RadioNotResponding = true;
}

void Bcd396tDriver::Apply(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] {
        if (!Session(ctx).Exec(CodeApply)) ctx.State.TuneRefused = true; // not answered
    });
}

void Bcd396tDriver::Signal(DriverContext& ctx, DetectMethod detect) {
    if (detect == DetectBoth) {
        // Called once the carrier-detect line holds; the set is not asked
        // again, and the line's answer stands rather than the last level.
        ctx.State.SignalLevel = 9;
        return;
    }
    if (detect != DetectSoftware) return;
    UnidenGuarded(ctx, [&] { Session(ctx).Exec(CodeState); });
}

RadioDriver& Bcd396tFamily() {
    static Bcd396tDriver driver;
    return driver;
}

} // namespace rigvane
