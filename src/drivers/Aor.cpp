#include "drivers/Aor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <exception>

#include "core/CodeTables.h"
#include "core/Text.h"

namespace rigvane {

namespace {

// The radio's bank letters, in the order of the program's bank numbers.
const std::array<const char*, 20> BankLetters = {"A", "a", "B", "b", "C", "c", "D", "d", "E", "e",
                                                 "F", "f", "G", "g", "H", "h", "I", "i", "J", "j"};

constexpr int ReadCodes = AorReadVfo; // codes from here on read and wait for their answer
constexpr int EmptyAnswers = 3;
// A radio that keeps sending without ever finishing an answer cannot hold the
// operation: after this many passes it ends as unanswered.
constexpr int MaxPasses = 50;
// Text without a separator longer than this is noise, not the start of a token.
constexpr size_t MaxTail = 1024;
// Writes into the radio's memory need the radio more time per poll.
constexpr int32_t MemoryWriteTimeoutMs = 150;
constexpr size_t TextWidth = 7;             // channel and search bank texts on the wire
constexpr int32_t MaxFrequency = 999999999; // 10 Hz units: ten digits of hertz
constexpr int32_t ClearedFrequency = 51;    // below this a store clears the channel

// Sets the profile's Timeout for one exchange and puts the old value back on
// every way out.
class TimeoutScope {
  public:
    TimeoutScope(RadioProfile& profile, bool change, int32_t ms)
        : profile_(profile), saved_(profile.Timeout) {
        if (change) profile_.Timeout = ms;
    }
    ~TimeoutScope() { profile_.Timeout = saved_; }
    TimeoutScope(const TimeoutScope&) = delete;
    TimeoutScope& operator=(const TimeoutScope&) = delete;

  private:
    RadioProfile& profile_;
    int32_t saved_;
};

// Character n (1-based) of a token, '\0' beyond its end.
char At(const std::string& token, size_t n) {
    return n >= 1 && n <= token.size() ? token[n - 1] : '\0';
}
// The token's text from character n on.
std::string From(const std::string& token, size_t n) {
    return n - 1 < token.size() ? token.substr(n - 1) : "";
}

// Hertz text of a reply as 10 Hz units, kept inside the program's range.
int32_t TenHz(const std::string& text) {
    const int64_t v = ValInt(text) / 10;
    return int32_t(std::clamp<int64_t>(v, 0, MaxFrequency));
}

std::string Hz10Digits(int32_t frequency) {
    return ZeroPadded(std::clamp<int32_t>(frequency, 0, MaxFrequency), 9) + "0";
}

// Bank letter of an index 0..19 for links and search banks: A..J, then a..j.
char LinkLetter(int i) {
    return char(i < 10 ? 'A' + i : 'a' + (i - 10));
}
int LinkIndex(char c) {
    if (c >= 'A' && c <= 'J') return c - 'A';
    if (c >= 'a' && c <= 'j') return c - 'a' + 10;
    return -1;
}

// Seconds from "2.5" or "03": a point, whatever the locale says.
double DelayFrom(const std::string& text) {
    const int64_t whole = ValInt(text);
    const size_t dot = text.find('.');
    int tenths = 0;
    if (dot != std::string::npos && dot + 1 < text.size() &&
        std::isdigit(static_cast<unsigned char>(text[dot + 1])))
        tenths = text[dot + 1] - '0';
    if (whole < 0 || whole > 1000) return -1;
    return double(whole) + tenths / 10.0;
}

std::string Flag(const char* letters, bool on) {
    return std::string(letters) + (on ? "1" : "0");
}

// "SD0" for nothing, else the delay as "2.5" or as whole seconds "03".
std::string DelayText(const char* letters, double seconds, bool tenths) {
    seconds = AorClampDelay(seconds);
    if (seconds == 0) return std::string(letters) + "0";
    char buf[16];
    if (tenths)
        std::snprintf(buf, sizeof buf, "%d.%d", int(std::lround(seconds * 10)) / 10,
                      int(std::lround(seconds * 10)) % 10); // a point whatever the locale
    else
        std::snprintf(buf, sizeof buf, "%02ld", std::lround(seconds));
    return std::string(letters) + buf;
}

// "SP0" for 0, else two digits.
std::string ZeroOrTwo(const char* letters, int value) {
    return std::string(letters) + (value == 0 ? "0" : ZeroPadded(value, 2));
}

// The reads that are two letters alone; Power: the AR8000 only.
struct PlainRead {
    int Code;
    const char* Letters;
    bool Power;
};
const PlainRead PlainReads[] = {
    {AorReadVfo, "VA", false},
    {AorSignal, "LM", false},
    {AorReadScanLinks, "BM", false},
    {AorReadSearchLinks, "BS", false},
    {55, "ML", false},
    {57, "PA", true},
    {58, "PI", true},
    {59, "SA", false},
    {60, "SB", false},
    {61, "SD", false},
    {62, "SP", false},
    {64, "TI", false},
    {65, "XA", true},
    {66, "XB", true},
    {67, "XD", false},
    {68, "XM", false},
    {69, "XP", false},
};

class Exchange {
  public:
    Exchange(const AorDriver& driver, DriverContext& ctx, int code, Aor8000Settings& settings,
             Channel& bank)
        : model_(driver.Model()), driver_(driver), ctx_(ctx), code_(code), settings_(settings),
          bank_(bank) {}

    void Run(const std::string& command) {
        RadioState& st = ctx_.State;
        const std::string text = command + " \r\n";
        if (model_.ParseIntoLastSent) st.LastSent = st.Current;
        std::string buffer;
        std::string toSend = text;
        int empties = 0;
        // The program is ending (Stopping): nothing waits for an answer.
        for (int pass = 0;
             pass < MaxPasses && empties < EmptyAnswers && !done_ && !ctx_.Link.Stopping; ++pass) {
            std::string got;
            {
                const bool memoryWrite = code_ == AorStore || code_ == AorClear;
                TimeoutScope timeout(ctx_.Profile, memoryWrite, MemoryWriteTimeoutMs);
                got = ctx_.Link.SendAndReceive(toSend, "\r", "\n");
                // The set is slow to store a channel: the next command waits
                // out the write time even when the answer came at once.
                if (memoryWrite && !toSend.empty()) ctx_.Link.RadioDelay();
            }
            if (got.empty()) {
                ++empties;
                toSend = text;
            } else {
                buffer += got;
                toSend.clear();
            }
            if (code_ < ReadCodes && !got.empty()) done_ = true;
            if (code_ < ReadCodes && empties > 0) break; // a write is sent once
            TakeTokens(buffer);
            if (!ctx_.Link.PortOpen()) break;
        }
        if (!buffer.empty()) ctx_.Link.DebugLog("Rcvd, not processed:", buffer);
        // A signal check the radio did not answer is no signal, never the
        // level of an earlier check.
        if (code_ == AorSignal && !Done()) st.SignalLevel = 0;
        // A tune the radio did not take leaves it where it was; the engine
        // says so, once per run of refusals.
        const bool tunes = code_ == AorApply || code_ == AorRecall;
        if (tunes) st.TuneRefused = !Done();
        if (refused_) {
            if (code_ == AorSignal) {
                // Said once until a signal read is answered again.
                if (!st.SignalRefusalShown)
                    ctx_.Log.Dply(std::string(model_.Name) + " refused signal request");
                st.SignalRefusalShown = true;
            } else if (!tunes) {
                ctx_.Log.Dply(std::string("*") + model_.Name + " refused " + command);
            }
            return;
        }
        if (code_ == AorSignal && Done()) st.SignalRefusalShown = false;
        if (!done_ || !model_.ParseIntoLastSent) return;
        if (code_ == AorRecall && ctx_.OperatingMode != 1) st.Current = st.LastSent;
        if (code_ == AorReadVfo || code_ == AorLoad) st.Current = st.LastSent;
    }

    bool Done() const { return done_ && !refused_; }

  private:
    Channel& Target() {
        return model_.ParseIntoLastSent ? ctx_.State.LastSent : ctx_.State.Current;
    }

    // Cuts every complete token off the front of the buffer. A token ends at
    // the first blank, CR or LF; the channel and bank texts (TM, TT) run to
    // the end of their line, since they may hold blanks.
    void TakeTokens(std::string& buffer) {
        for (;;) {
            const size_t start = buffer.find_first_not_of(" \r\n");
            if (start == std::string::npos) {
                buffer.clear();
                return;
            }
            const bool text =
                buffer.compare(start, 2, "TM") == 0 || buffer.compare(start, 2, "TT") == 0;
            const size_t end = buffer.find_first_of(text ? "\r\n" : " \r\n", start);
            if (end == std::string::npos) {
                buffer.erase(0, start);
                if (buffer.size() > MaxTail) buffer.clear();
                return;
            }
            // What follows the end of the answer (the rest of another
            // channel's line) is not taken.
            if (ended_) return;
            const std::string token = buffer.substr(start, end - start);
            buffer.erase(0, end + 1);
            if (token == "?") {
                refused_ = true;
                Finish();
            } else if (token == "--" || token.size() >= 3) {
                Handle(token);
            }
        }
    }

    void Finish() {
        done_ = true;
        ended_ = true;
    }

    static int16_t Setting(const std::string& token, int low, int high, int fallback) {
        return AorClampSetting(ValInt(From(token, 3)), low, high, fallback);
    }

    void Links(std::array<uint8_t, 20>& flags, const std::string& token) {
        // Positions the reply does not reach are left as they were.
        for (size_t i = 0; i < flags.size(); ++i)
            if (At(token, 3 + i) != '\0') flags[i] = At(token, 3 + i) == '-' ? 0 : 1;
    }

    void Handle(const std::string& t) {
        RadioState& st = ctx_.State;
        Channel& p = Target();
        const std::string key = t.substr(0, 2);
        const char c3 = At(t, 3);
        if (key == "--") {
            Finish();
            p = MakeBlankChannel();
        } else if (key == "AT") {
            if (model_.TuningExtras) {
                if (code_ == AorRecall || code_ == AorLoad) p.Atten = c3 == '1';
            } else {
                p.Atten = c3 == '1';
                if (code_ == AorReadVfo) Finish();
            }
        } else if (key == "AC" && model_.TuningExtras) {
            p.Agc = c3 == 'F' ? 0 : c3 == '2' ? 1 : 2;
        } else if (key == "BW" && model_.TuningExtras) {
            if (c3 >= '0' && c3 <= '6') p.Bandwidth = uint8_t(c3 - '0');
        } else if (key == "MD") {
            const int m = c3 >= '0' && c3 <= '9' ? c3 - '0' : -1;
            if (m >= 0 && m < int(model_.ReverseModes.size())) {
                if (code_ == AorReadVfo || code_ == AorLoad)
                    p.Mode = model_.ReverseModes[size_t(m)];
                else if (code_ == AorReadSearchBank)
                    bank_.Mode = model_.ReverseModes[size_t(m)];
            }
        } else if (key == "BM") {
            Links(settings_.ScanLinks, t);
        } else if (key == "BS") {
            Links(settings_.SearchLinks, t);
        } else if (key == "BQ") {
            settings_.Bq = c3 == '1';
        } else if (key == "ML") {
            settings_.Ml = c3 == '1';
        } else if (key == "LM") {
            if (model_.ParseIntoLastSent) ctx_.Link.DebugLog("   Processed Squelch Status!", "");
            const int level = AorSignalLevel(t.substr(2, 2));
            // A reading that is not one counts as no signal.
            st.SignalLevel = uint8_t(level < 0 ? 0 : level);
            Finish();
        } else if (key == "MP") {
            p.Valid = ValInt(From(t, 3)) == 0;
        } else if (key == "MX") {
            if (code_ == AorRecall || code_ == AorLoad) {
                const std::string asked = driver_.ChannelText(st.CurrentChannel);
                if (From(t, 3).compare(0, asked.size(), asked) != 0 ||
                    From(t, 3).size() < asked.size()) {
                    Finish();
                    p = MakeBlankChannel();
                }
            }
        } else if (key == "PA") {
            settings_.Pa = Setting(t, 0, 99, 0);
        } else if (key == "PI") {
            settings_.Pi = Setting(t, 2, 9, 2);
        } else if (key == "SB") {
            settings_.Sb = Setting(t, 0, 7, 0);
        } else if (key == "SP") {
            settings_.Sp = Setting(t, 0, 99, 0);
        } else if (key == "TI") {
            settings_.Ti = Setting(t, 0, 19, 0);
        } else if (key == "XB") {
            settings_.Xb = Setting(t, 0, 7, 0);
        } else if (key == "XP") {
            settings_.Xp = Setting(t, 0, 7, 0);
        } else if (key == "SA") {
            settings_.Sa = c3 == '1';
        } else if (key == "XA") {
            settings_.Xa = c3 == '1';
        } else if (key == "SD") {
            settings_.Sd = AorClampDelay(DelayFrom(From(t, 3)));
        } else if (key == "XD") {
            settings_.Xd = AorClampDelay(DelayFrom(From(t, 3)));
        } else if (key == "XM") {
            settings_.Xm = int16_t(c3 == 'F' ? 6 : Setting(t, 0, 6, 0));
        } else if (key == "SI") {
            p.Notch = c3 == '1';
        } else if (key == "SL") {
            bank_.Lower = TenHz(From(t, 3));
        } else if (key == "SR") {
            // Only a bank the radio has; anything else never selects one.
            const int b = driver_.SearchBankFrom(From(t, 3));
            if (code_ == AorReadSearchBank) {
                if (b != st.CurrentSearchBank) Finish();
            } else if (b >= 0 && b < 20) {
                st.CurrentSearchBank = b;
            }
        } else if (key == "ST") {
            if (code_ == AorReadSearchBank) bank_.Step = TenHz(From(t, 3));
        } else if (key == "SU") {
            bank_.Upper = TenHz(From(t, 3));
            bank_.Valid = true;
        } else if (key == "TM") {
            p.Service = RightTrim(From(t, 3).substr(0, 8));
            Finish();
        } else if (key == "TT") {
            bank_.Service = RightTrim(From(t, 3).substr(0, 8));
            Finish();
        } else if (key == "VA" || key == "VB" || key == "RF") {
            if (code_ > AorRecall) p.Frequency = TenHz(From(t, 3));
            p.Valid = p.Frequency >= 1;
        }
        // Everything else (AU, GR, IA, LC, MC, MR, PR, RX, SN, VF, XQ, ...)
        // carries nothing the program keeps.
    }

    const AorModel& model_;
    const AorDriver& driver_;
    DriverContext& ctx_;
    int code_;
    Aor8000Settings& settings_;
    Channel& bank_;
    bool done_ = false;
    bool ended_ = false; // the answer is complete: the tokens after it are not ours
    bool refused_ = false;
};

// The family rows.
std::vector<std::string> Aor8000Tones() {
    std::vector<std::string> tones;
    tones.reserve(ToneCount);
    for (int i = 0; i < ToneCount; ++i)
        tones.push_back(" " + std::to_string(i % 16));
    return tones;
}

// What the AR8000 and AR5000 rows share: one model named as the family,
// the token language's operations with search banks, software detection,
// 8 data bits without parity at 9600 baud, channels 0..999, aux controls
// 0..4 hidden, the modes FM, FMn, FMw, AM, LSB, USB and CW.
FamilyCaps AorCaps(uint8_t protocol, const char* name) {
    FamilyCaps caps;
    caps.Protocol = protocol;
    caps.Name = name;
    caps.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpSignal | OpLoadSearchBank |
               OpStoreSearchBank;
    ModelCaps m;
    m.Name = name;
    m.Serial.Detect = DetectSoftware;
    m.Serial.MinChan = 0;
    m.Serial.Bits = 8;
    m.Serial.Parity = 0;
    m.Serial.Baud = 4;
    m.Serial.MaxChan = 999;
    m.VfoAux.HiddenChecks = 0x1F;
    m.Modes = 0x17E;
    caps.Models = {m};
    return caps;
}

FamilyCaps Aor8000Caps() {
    FamilyCaps caps = AorCaps(ProtoAor8000, "AOR8000");
    caps.ExtendedCommands = true;
    ModelCaps& m = caps.Models.front();
    m.Serial.Flow = false;
    m.Serial.Stop = 1;
    m.Serial.MaxMhz = "1899.99900";
    m.Serial.MinMhz = "0000.00050";
    m.VfoAux.HiddenLists = 0x7F;     // 0..6
    m.VfoAux.Tones = Aor8000Tones(); // the tone-squelch numbers 0..15
    m.Dialog = ModelDialog::Aor8000;
    return caps;
}

FamilyCaps Aor5000Caps() {
    FamilyCaps caps = AorCaps(ProtoAor5000, "AOR5000");
    ModelCaps& m = caps.Models.front();
    m.Serial.Flow = true;
    m.Serial.Stop = 2;
    m.Serial.MaxMhz = "2035.99900";
    m.Serial.MinMhz = "0000.00010";
    m.VfoAux.HiddenLists =
        0x01 | 0x02 | 0x08 | 0x20 | 0x40; // 0, 1, 3, 5, 6: AGC and bandwidth stay
    m.VfoAux.Bandwidths = {"0.5khz", "3.0khz", "6.0khz", "15khz", "30khz", "110khz", "220khz"};
    return caps;
}

const AorModel Ar8000Model = {
    "AOR8000",
    true,  // channels A00..j49
    true,  // search banks A..J, a..j
    true,  // replies into LastSent
    false, // no AT/AC/AN/BW extras
    true,  // PA, PI, XA, XB
    true,  // tone line
    true,  // delays in tenths
    {0, 0, 1, 0, 2, 4, 3, 0, 5, 0, 0},
    // WFM, NFM, AM, USB, LSB, CW: a loaded channel keeps its mode.
    {3, 2, 4, 6, 5, 8, 0, 0, 0, 0, 0},
    "Data Processing 6002! Report to author.",
};

const AorModel Ar5000Model = {
    "AOR5000",
    false, // channels 000..999
    false, // search banks 00..99
    false, // replies into Current
    true,  // AT/AC/AN/BW when they change
    false, // no PA, PI, XA, XB
    false, // no tone line
    false, // delays in whole seconds
    {0, 0, 0, 0, 1, 2, 3, 4, 4, 4, 0},
    {1, 4, 5, 6, 8, 4, 4, 4, 0, 0, 0},
    "Processing Error 6006! Report to author.",
};

} // namespace

// ---- value rules ----------------------------------------------------------------

int AorSignalLevel(const std::string& hex) {
    if (hex.size() != 2 || !std::isxdigit(static_cast<unsigned char>(hex[0])) ||
        !std::isxdigit(static_cast<unsigned char>(hex[1])))
        return -1;
    const int v = std::stoi(hex, nullptr, 16);
    if (v >= 128) return 0; // squelch closed
    return std::min(v / 3 + 1, 13);
}

int16_t AorClampSetting(int64_t value, int low, int high, int fallback) {
    return int16_t(value >= low && value <= high ? value : fallback);
}

double AorClampDelay(double seconds) {
    if (!(seconds >= 0) || seconds > 9.9) return 0;
    return std::round(seconds * 10) / 10;
}

// ---- the settings file -------------------------------------------------------------

namespace {

struct SettingField {
    const char* Key;
    int16_t Aor8000Settings::*Value;
    int Low, High;
};
const SettingField SettingFields[] = {
    {"PA", &Aor8000Settings::Pa, 0, 99}, {"PI", &Aor8000Settings::Pi, 2, 9},
    {"SB", &Aor8000Settings::Sb, 0, 7},  {"SP", &Aor8000Settings::Sp, 0, 99},
    {"TI", &Aor8000Settings::Ti, 0, 19}, {"XB", &Aor8000Settings::Xb, 0, 7},
    {"XM", &Aor8000Settings::Xm, 0, 6},  {"XP", &Aor8000Settings::Xp, 0, 7},
};
struct SwitchField {
    const char* Key;
    bool Aor8000Settings::*Value;
};
const SwitchField SwitchFields[] = {{"ML", &Aor8000Settings::Ml},
                                    {"BQ", &Aor8000Settings::Bq},
                                    {"SA", &Aor8000Settings::Sa},
                                    {"XA", &Aor8000Settings::Xa}};

std::string LinkLetters(const std::array<uint8_t, 20>& flags) {
    std::string s;
    for (int i = 0; i < 20; ++i)
        if (flags[size_t(i)]) s += LinkLetter(i);
    return s;
}

std::string Tenths(double seconds) {
    const int t = int(std::lround(AorClampDelay(seconds) * 10));
    return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

} // namespace

std::string Aor8000SettingsText(const Aor8000Settings& s) {
    std::string text =
        "BM=" + LinkLetters(s.ScanLinks) + "\n" + "BS=" + LinkLetters(s.SearchLinks) + "\n";
    for (const SwitchField& f : SwitchFields)
        text += std::string(f.Key) + "=" + (s.*f.Value ? "1" : "0") + "\n";
    for (const SettingField& f : SettingFields)
        text += std::string(f.Key) + "=" + std::to_string(s.*f.Value) + "\n";
    return text + "SD=" + Tenths(s.Sd) + "\nXD=" + Tenths(s.Xd) + "\n";
}

bool Aor8000SettingsFromText(const std::string& text, Aor8000Settings& out, std::string* error) {
    Aor8000Settings s = out;
    size_t at = 0;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = TrimBlanks(text.substr(at, end - at));
        at = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) return fail("not KEY=VALUE");
        const std::string key = ToUpper(TrimBlanks(line.substr(0, eq)));
        const std::string value = TrimBlanks(line.substr(eq + 1));
        bool known = false;
        if (key == "BM" || key == "BS") {
            auto& flags = key == "BM" ? s.ScanLinks : s.SearchLinks;
            flags.fill(0);
            for (char c : value) {
                if (LinkIndex(c) < 0) return fail("no bank " + std::string(1, c));
                flags[size_t(LinkIndex(c))] = 1;
            }
            known = true;
        }
        for (const SwitchField& f : SwitchFields) {
            if (key != f.Key) continue;
            if (value != "0" && value != "1") return fail(key + " must be 0 or 1");
            s.*f.Value = value == "1";
            known = true;
        }
        for (const SettingField& f : SettingFields) {
            if (key != f.Key) continue;
            const bool digits = !value.empty() && value.size() <= 3 &&
                                value.find_first_not_of("0123456789") == std::string::npos;
            const int v = digits ? std::stoi(value) : -1;
            if (v < f.Low || v > f.High)
                return fail(key + " must be " + std::to_string(f.Low) + ".." +
                            std::to_string(f.High));
            s.*f.Value = int16_t(v);
            known = true;
        }
        if (key == "SD" || key == "XD") {
            const double v = DelayFrom(value);
            if (value.empty() || value.find_first_not_of("0123456789.") != std::string::npos ||
                v < 0 || v > 9.9)
                return fail(key + " must be 0.0..9.9");
            (key == "SD" ? s.Sd : s.Xd) = AorClampDelay(v);
            known = true;
        }
        if (!known) return fail("unknown setting " + key);
    }
    out = s;
    return true;
}

// ---- the driver ------------------------------------------------------------------

AorDriver::AorDriver(const AorModel& model, FamilyCaps caps)
    : model_(model), caps_(std::move(caps)) {}

std::string AorDriver::ChannelText(int channel) const {
    if (channel < 0 || channel > 999) return "";
    if (!model_.BankLetterChannels) return ZeroPadded(channel, 3);
    return std::string(BankLetters[size_t(channel / 50)]) + ZeroPadded(channel % 50, 2);
}

std::string AorDriver::SearchBankText(int bank) const {
    if (model_.LetterSearchBanks)
        return bank >= 0 && bank < 20 ? std::string(1, LinkLetter(bank)) : "";
    return bank >= 0 && bank <= 99 ? ZeroPadded(bank, 2) : "";
}

int AorDriver::SearchBankFrom(const std::string& text) const {
    if (model_.LetterSearchBanks) return text.empty() ? -1 : LinkIndex(text[0]);
    if (text.size() < 2 || !std::isdigit(static_cast<unsigned char>(text[0])) ||
        !std::isdigit(static_cast<unsigned char>(text[1])))
        return -1;
    return (text[0] - '0') * 10 + (text[1] - '0');
}

std::string AorDriver::Command(const RadioState& state, const Channel& bank,
                               const Aor8000Settings& s, int code, bool* valid) const {
    if (valid) *valid = true;
    auto refuse = [valid] {
        if (valid) *valid = false;
        return std::string();
    };
    const Channel& cur = state.Current;
    const Channel& last = state.LastSent;
    auto modeDigit = [this](int mode) {
        return std::to_string(model_.ModeDigits[size_t(mode >= 0 && mode <= 10 ? mode : 0)]);
    };
    const std::string channel = ChannelText(state.CurrentChannel);
    const bool power = model_.HasPowerSettings;
    switch (code) {
    case AorApply: {
        // The step in hertz, as every other ST.
        const int32_t stepHz = std::clamp<int32_t>(cur.Step, 0, 99999) * 10;
        std::string c = "VA" + Hz10Digits(cur.Frequency) + " ST" + ZeroPadded(stepHz, 6) +
                        " AU0 MD" + modeDigit(cur.Mode);
        if (!model_.TuningExtras) return c + " AT" + (cur.Atten ? "1" : "0");
        const uint8_t bw = std::min<uint8_t>(cur.Bandwidth, 6);
        if (cur.Atten != last.Atten) c += cur.Atten ? " AT1" : " AT0";
        if (cur.Agc != last.Agc) c += cur.Agc == 0 ? " ACF" : cur.Agc == 1 ? " AC2" : " AC0";
        if (cur.Antenna != last.Antenna) c += cur.Antenna == 0 ? " AN1" : " AN2";
        if (bw != std::min<uint8_t>(last.Bandwidth, 6)) c += " BW" + std::to_string(bw);
        return c;
    }
    case AorStore:
    case AorClear: {
        if (channel.empty()) return refuse();
        const bool clear = code == AorClear || cur.Frequency < ClearedFrequency;
        if (clear) {
            // An empty channel at 100 kHz, then cleared.
            const std::string body = "RF0000100000 ST000050 MD0 AT0 \r\n    MQ";
            return "MX" + channel + (model_.BankLetterChannels ? " MP0 " : "MP0 ") + body;
        }
        std::string c = "MX" + channel;
        if (model_.BankLetterChannels)
            c += std::string(" MP") + (cur.Valid ? "0 " : "1 ");
        else
            c += cur.Valid ? " MP0" : " MP1"; // the AR5000 takes RF straight after it
        c += "RF" + Hz10Digits(cur.Frequency) + " ST000050 MD" + modeDigit(cur.Mode) + " AT" +
             (cur.Atten ? "1" : "0");
        if (model_.TuningExtras)
            c += std::string(cur.Antenna == 0 ? " AN1" : " AN2") + " BW" +
                 std::to_string(std::min<uint8_t>(cur.Bandwidth, 6));
        return c + " TM" + FixedWidth(cur.Service, TextWidth);
    }
    case AorRecall:
    case AorLoad:
        return channel.empty() ? refuse() : "MR" + channel;
    case AorTone:
        if (!cur.Notch) return "SI0";
        return "SC" + ZeroPadded(cur.Tone1 & 15, 2) + "\r\nSI1";
    case AorWriteScanLinks:
    case AorWriteSearchLinks: {
        const auto& flags = code == AorWriteScanLinks ? s.ScanLinks : s.SearchLinks;
        std::string c = code == AorWriteScanLinks ? "BM" : "BS";
        for (int i = 0; i < 20; ++i)
            if (flags[size_t(i)]) c += LinkLetter(i);
        return c;
    }
    case AorWriteMl:
        return Flag("ML", s.Ml);
    case AorWritePa:
        return power ? "PA" + ZeroPadded(AorClampSetting(s.Pa, 0, 99, 0), 2) : "";
    case AorWritePi:
        return power ? "PI" + std::to_string(AorClampSetting(s.Pi, 2, 9, 2)) : "";
    case AorWriteSa:
        return Flag("SA", s.Sa);
    case AorWriteSb:
        return "SB" + std::to_string(AorClampSetting(s.Sb, 0, 7, 0));
    case AorWriteSd:
        return DelayText("SD", s.Sd, model_.TenthsDelays);
    case AorWriteSp:
        return ZeroOrTwo("SP", AorClampSetting(s.Sp, 0, 99, 0));
    case AorWriteSearchBank: {
        const int b = state.CurrentSearchBank;
        const std::string letter = SearchBankText(b);
        if (letter.empty()) return refuse();
        std::string c = "SE" + letter;
        if (bank.Lower >= ClearedFrequency) {
            const int32_t step = std::clamp<int32_t>(bank.Step, 0, 99999);
            c += " SL" + Hz10Digits(bank.Lower) + " SU" + Hz10Digits(bank.Upper) + " ST" +
                 ZeroPadded(step, 5) + "0 AU1 MD" + modeDigit(bank.Mode) +
                 (model_.TuningExtras ? "" : " AT0") + " TT" + FixedWidth(bank.Service, TextWidth);
        }
        return c;
    }
    case AorWriteTi:
        return ZeroOrTwo("TI", AorClampSetting(s.Ti, 0, 19, 0));
    case AorWriteXa:
        return power ? Flag("XA", s.Xa) : "";
    case AorWriteXb:
        return power ? "XB" + std::to_string(AorClampSetting(s.Xb, 0, 7, 0)) : std::string();
    case AorWriteXd:
        return DelayText("XD", s.Xd, model_.TenthsDelays);
    case AorWriteXm: {
        const int xm = AorClampSetting(s.Xm, 0, 6, 0);
        return xm == 6 ? "XMF" : "XM" + std::to_string(xm);
    }
    case AorWriteXp:
        return ZeroOrTwo("XP", AorClampSetting(s.Xp, 0, 7, 0));
    case AorReadSearchBank: {
        if (state.CurrentSearchBank > 19) return refuse();
        const std::string letter = SearchBankText(state.CurrentSearchBank);
        return letter.empty() ? refuse() : "SR" + letter;
    }
    default: // the reads of two letters alone; 27 (connect) and the codes that do nothing
        for (const PlainRead& r : PlainReads)
            if (r.Code == code) return r.Power && !power ? "" : r.Letters;
        return "";
    }
}

namespace {
// Codes that send a line even when it is empty (the connect line) and the
// AR5000's missing settings, which are sent as the empty line.
bool SendsEmptyLine(int code, bool power) {
    if (code == AorConnect) return true;
    return !power && (code == AorWriteXb || code == 66);
}
} // namespace

bool AorDriver::Perform(DriverContext& ctx, int code, Aor8000Settings* settings,
                        Channel* bank) const {
    try {
        if (!ctx.Link.PortOpen()) return false;
        if (code < 0 || code > AorLastCode) return true;
        Aor8000Settings scratch;
        Aor8000Settings& s = settings ? *settings : scratch;
        Channel blank;
        Channel* b = bank;
        const int sb = ctx.State.CurrentSearchBank;
        if (!b)
            b = sb >= 0 && sb < int(ctx.Mem.SearchBanks.size()) ? &ctx.Mem.SearchBanks[size_t(sb)]
                                                                : &blank;
        bool valid = true;
        const std::string command = Command(ctx.State, *b, s, code, &valid);
        if (!valid) {
            if (code == AorRecall) ctx.State.TuneRefused = true;
            if (code == AorReadSearchBank || code == AorWriteSearchBank) return false;
            ctx.Log.Dply(std::string("*") + model_.Name + " has no memory channel " +
                         std::to_string(ctx.State.CurrentChannel));
            return false;
        }
        if (command.empty() && !SendsEmptyLine(code, model_.HasPowerSettings)) return true;
        Exchange exchange(*this, ctx, code, s, *b);
        exchange.Run(command);
        return exchange.Done();
    } catch (const std::exception& e) {
        ctx.Log.Dply(model_.FailureText);
        ctx.Log.Dply(std::string("  Error was ") + e.what());
    } catch (...) {
        ctx.Log.Dply(model_.FailureText);
        ctx.Log.Dply("  Error was an unknown failure");
    }
    return false;
}

void AorDriver::Open(DriverContext& ctx) {
    Perform(ctx, AorConnect);
    Perform(ctx, AorReadVfo);
}

void AorDriver::Apply(DriverContext& ctx) {
    const Channel& cur = ctx.State.Current;
    // Decided before the tuning line, which makes LastSent the state sent.
    const bool tone =
        model_.ToneCommand && ctx.Profile.ExpCmd &&
        (cur.Notch != ctx.State.LastSent.Notch || cur.Tone1 != ctx.State.LastSent.Tone1);
    if (model_.TuningExtras) ctx.State.Current.Bandwidth = std::min<uint8_t>(cur.Bandwidth, 6);
    Perform(ctx, AorApply);
    if (tone) Perform(ctx, AorTone);
}

void AorDriver::Read(DriverContext& ctx) {
    RadioState& st = ctx.State;
    // In a memory scan over the radio's memories the radio sits on the
    // channel the scan chose: read that channel, or keep what was read.
    if (ctx.OperatingMode == 1 && ctx.Profile.Memory) {
        if (st.LastSent.ChannelNo != st.CurrentChannel)
            Perform(ctx, AorLoad);
        else
            st.Current = st.LastSent;
        return;
    }
    Perform(ctx, AorReadVfo);
}

void AorDriver::Recall(DriverContext& ctx) {
    Perform(ctx, AorRecall);
}

void AorDriver::Store(DriverContext& ctx) {
    Perform(ctx, ctx.State.Current.Frequency > 0 ? AorStore : AorClear);
}

void AorDriver::Load(DriverContext& ctx) {
    Perform(ctx, AorLoad);
}

void AorDriver::Signal(DriverContext& ctx, DetectMethod) {
    Perform(ctx, AorSignal);
}

void AorDriver::LoadSearchBank(DriverContext& ctx, Channel& bank) {
    Perform(ctx, AorReadSearchBank, nullptr, &bank);
}

void AorDriver::StoreSearchBank(DriverContext& ctx, const Channel& bank) {
    Channel copy = bank;
    Perform(ctx, AorWriteSearchBank, nullptr, &copy);
}

// ---- the two models ----------------------------------------------------------------

Aor8000Driver::Aor8000Driver() : AorDriver(Ar8000Model, Aor8000Caps()) {}

void Aor8000Driver::ReadSettings(DriverContext& ctx, Aor8000Settings& out) const {
    out = Aor8000Settings{};
    out.Pi = 2;
    // A radio that answered nothing to one read is not asked the other fifteen.
    for (int code : {53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 64, 65, 66, 67, 68, 69}) {
        Perform(ctx, code, &out);
        if (ctx.Link.RadioNotResponding || !ctx.Link.PortOpen()) break;
    }
    if (out.Pi < 2) out.Pi = 2;
}

bool Aor8000Driver::WriteSettings(DriverContext& ctx, const Aor8000Settings& settings,
                                  const std::function<void(int)>& progress) const {
    static const int Codes[] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23, 24, 25, 26};
    const int count = int(sizeof Codes / sizeof Codes[0]);
    Aor8000Settings copy = settings;
    for (int i = 0; i < count; ++i) {
        if (ctx.Cancelled && ctx.Cancelled()) return false;
        if (!Perform(ctx, Codes[i], &copy)) return false;
        if (progress) progress((i + 1) * 100 / count);
    }
    return true;
}

Aor5000Driver::Aor5000Driver() : AorDriver(Ar5000Model, Aor5000Caps()) {}

Aor8000Driver& Aor8000() {
    static Aor8000Driver driver;
    return driver;
}

Aor5000Driver& Aor5000() {
    static Aor5000Driver driver;
    return driver;
}

} // namespace rigvane
