#include "drivers/Thf6a.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <functional>

#include "core/CodeTables.h"
#include "core/Text.h"

namespace rigvane {

namespace {

// Repeater offsets, sign and nine digits in Hz; the index is the offset code.
const std::array<const char*, 7> OffsetTexts = {" 000000000", "+000600000", "+001200000",
                                                "+005000000", "-000600000", "-001200000",
                                                "-005000000"};

// Tuning steps in 10 Hz units (5 kHz .. 100 kHz), indexed by the radio's step code.
constexpr std::array<int32_t, 12> Steps = {500,  625,  833,  900,  1000, 1250,
                                           1500, 2000, 2500, 3000, 5000, 10000};
// Upper edge of each TH-F6A band, 10 Hz units.
constexpr std::array<int32_t, 15> BandEdges = {17399999, 39999999, 46999999, 179999,   179999,
                                               2969999,  5399999,  10799999, 13699999, 17399999,
                                               21599999, 39999999, 46999999, 80599999, 129999999};

// Which step a band allows: 5 and 6.25 kHz below band 12, 8.33 kHz only in
// the air band (8), 9 kHz only in the medium-wave band (4), the rest everywhere.
bool StepAllowed(int band, int step) {
    if (band < 0 || band > 15 || step < 0 || step > 11) return false;
    if (step <= 1) return band <= 11;
    if (step == 2) return band == 8;
    if (step == 3) return band == 4;
    return true;
}

// A model's quirks as data.
struct ModelRow {
    const char* Prefix;      // after the command word of MW, MR, MNA
    const char* Band;        // band digit of VMC, MC, BY, SM
    const char* MemoryValue; // VMC value that selects memory mode
    size_t Offset;           // fields before the channel field of an answer
    bool F6a;                // the TH-F6A's extra lines (ATT, BC, MRM, LMP)
};
constexpr ModelRow Models[] = {
    {"", "1", "1", 1, true},    // TH-F6A
    {"0,", "0", "2", 2, false}, // TH-G71
};
const ModelRow& Row(int model) {
    return Models[model == 1 ? 1 : 0];
}

// RadioProfile::DriverState: 1 while the radio has been put into memory mode.
constexpr int16_t MemoryMode = 1;

// A line that keeps sending without ever finishing cannot hold an exchange forever.
constexpr int MaxPasses = 60;

bool IsDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(uint8_t(c))) return false;
    return true;
}

std::string HexDigit(int v) {
    return std::string(1, "0123456789ABCDEF"[v & 15]);
}

std::string CommandWord(const std::string& line) {
    return line.substr(0, line.find(' '));
}

enum class Kind { Reply, Refused, Rejected };
struct Answer {
    Kind How = Kind::Reply;
    std::vector<std::string> Fields;
    std::string Line;
};

// One exchange of up to a few command lines. The handler gets each line's
// answer with the line's index and whether it came in the first
// transmission; it returns true when the line is settled (it is not sent
// again). Unsettled lines go out again when the radio falls quiet, until
// the retry count of quiet passes is used up. False when nothing the radio
// sent answered a line: silence, or bytes that are no answer (the link has
// made its tries already, so asking again would only wait longer).
using Handler = std::function<bool(size_t line, const Answer&, bool firstPass)>;

bool Exchange(DriverContext& ctx, const std::vector<std::string>& lines, const Handler& handle) {
    if (lines.empty() || !ctx.Link.PortOpen()) return true;
    std::vector<bool> settled(lines.size(), false);
    std::vector<size_t> sent;
    auto transmission = [&] {
        sent.clear();
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (settled[i]) continue;
            sent.push_back(i);
            text += lines[i] + "\r";
        }
        return text;
    };
    std::string text = transmission();
    size_t next = 0;
    bool firstPass = true;
    std::string buffer;
    int quiet = 0;
    bool understood = false;
    for (int pass = 0; quiet < ctx.Link.RetryCount && pass < MaxPasses; ++pass) {
        const bool sending = !text.empty();
        const std::string got = ctx.Link.SendAndReceive(text, "\r", "");
        if (!ctx.Link.PortOpen()) return false;
        if (got.empty()) {
            if (sending && ctx.Link.RadioNotResponding) return false;
            ++quiet;
            text = transmission();
            if (sent.empty()) return true;
            next = 0;
            firstPass = false;
            buffer.clear();
            continue;
        }
        // No line end in all the link's tries: noise, not an answer.
        if (sending && got.find('\r') == std::string::npos) return understood;
        text.clear();
        buffer += got;
        size_t cr;
        while ((cr = buffer.find('\r')) != std::string::npos) {
            std::string line = buffer.substr(0, cr);
            buffer.erase(0, cr + 1);
            // A radio that ends its lines with CR LF leaves the LF in front of the next.
            line.erase(std::remove(line.begin(), line.end(), '\n'), line.end());
            line = TrimBlanks(line);
            if (line.empty() || next >= sent.size()) continue;
            const size_t index = sent[next];
            Answer a;
            a.Line = line;
            if (line == "?") {
                a.How = Kind::Rejected;
                ctx.Log.Dply("** Command " + lines[index] + " Rejected!");
            } else if (line == "N") {
                a.How = Kind::Refused;
            } else {
                a.Fields = Thf6aFields(line);
                // Not this command's answer (an echo, a stray line): skipped.
                if (a.Fields[0] != CommandWord(lines[index])) continue;
            }
            ++next;
            understood = true;
            if (handle(index, a, firstPass)) settled[index] = true;
        }
        bool all = true;
        for (bool s : settled)
            all = all && s;
        if (all) return true;
    }
    return understood;
}

// The bad-packet message of a reply that cannot be read.
void BadPacket(DriverContext& ctx, const std::string& line) {
    ctx.Log.Dply("*Radio sent bad packet->" + line);
}

void Fail(DriverContext& ctx, const char* what) {
    ctx.Log.Dply("Data Processing Error 6011! Report to author.");
    ctx.Log.Dply(std::string("Error was ") + what);
}

// The operations of one call, for the selected profile's model.
class Ops {
  public:
    explicit Ops(DriverContext& ctx)
        : ctx_(ctx), model_(ctx.Profile.Model == 1 ? 1 : 0), row_(Row(model_)) {}

    bool InMemoryMode() const { return ctx_.Profile.DriverState == MemoryMode; }

    // Puts the radio into memory mode or VFO mode; false when it refused
    // (the remembered mode then stays what it was).
    bool SetMemoryMode(bool memory) {
        ctx_.Profile.DriverState = memory ? MemoryMode : 0;
        bool ok = true;
        Talk({"VMC " + std::string(row_.Band) + "," + (memory ? row_.MemoryValue : "0")},
             [&](size_t, const Answer& a, bool) {
                 if (a.How != Kind::Reply) {
                     ctx_.Log.Dply(std::string("*Radio rejected setting") +
                                   (memory ? " of MEMORY mode.." : " of VFO mode.."));
                     ctx_.Profile.DriverState = memory ? 0 : MemoryMode;
                     ok = false;
                 }
                 return true;
             });
        return ok;
    }

    void Open() {
        Talk({"ID"}, [&](size_t, const Answer& a, bool) {
            CheckModel(a.Line);
            return true;
        });
        if (ctx_.Link.RadioNotResponding) return;
        if (row_.F6a) Simple({"BC 1"});
        ctx_.Profile.DriverState = 0;
        if (row_.F6a) {
            Simple({"BC 1"});
            Simple({"MRM 0"});
        }
    }

    void Apply() {
        Channel& cur = ctx_.State.Current;
        if (cur.Frequency == 0) return;
        // Until the radio has taken the frequency it is still where it was.
        ctx_.State.TuneRefused = true;
        if (InMemoryMode() && !SetMemoryMode(false)) return;
        const int vfoBand = Thf6aBand(model_, cur.Frequency, 'V');
        std::vector<std::string> lines{"VW " + HexDigit(vfoBand) + "," +
                                       Thf6aMemoryBody(model_, cur)};
        if (row_.F6a) {
            lines.push_back(cur.Atten ? "ATT 1" : "ATT 0");
            lines.push_back("RBN " + HexDigit(vfoBand));
        } else {
            lines.push_back("RBN " + HexDigit(Thf6aBand(model_, cur.Frequency, 'R')));
        }
        const size_t last = lines.size() - 1;
        Talk(lines, [&](size_t i, const Answer& a, bool firstPass) {
            if (a.How == Kind::Reply) {
                if (i == 0) ctx_.State.TuneRefused = false;
                return true;
            }
            if (firstPass) {
                ctx_.Link.DebugLog("ThF6A", " Failed-Retrying->" + lines[i]);
                // The band cannot be selected from memory mode.
                if (i == last) SetMemoryMode(false);
                return false;
            }
            if (i == 0)
                ctx_.Log.Dply("*Radio rejected setting of VFO Freq " + FreqToText(cur.Frequency));
            else if (i == last)
                ctx_.Log.Dply("*Radio rejected selecting VFO band");
            return true;
        });
    }

    void Recall() {
        bool& refused = ctx_.State.TuneRefused;
        refused = true;
        const std::string channel = Thf6aChannelText(ctx_.State.CurrentChannel);
        if (channel.empty()) return;
        if (!InMemoryMode()) SetMemoryMode(true);
        const std::string line = "MC " + std::string(row_.Band) + "," + channel;
        Kind kind = Simple({line});
        if (kind == Kind::Refused && !silent_) {
            // Refused: the radio was not in memory mode after all; once more in it.
            SetMemoryMode(true);
            kind = Simple({line});
            if (kind == Kind::Refused && !silent_)
                ctx_.Log.Dply("Radio could not select memory channel " + channel);
        }
        refused = kind != Kind::Reply;
    }

    void Store() {
        Channel& cur = ctx_.State.Current;
        const std::string channel = Thf6aChannelText(ctx_.State.CurrentChannel);
        if (channel.empty()) return;
        std::string line = "MW " + std::string(row_.Prefix) + "0," + channel;
        if (cur.Frequency >= 1) line += "," + Thf6aMemoryBody(model_, cur) + Lockout(cur.Valid);
        const std::string rejected = "*Radio rejected setting of channel " + channel + "..";
        if (Simple({line}) != Kind::Reply) {
            ctx_.Log.Dply(rejected);
            return;
        }
        if (cur.Frequency <= 0) return;
        const std::string name = "MNA " + std::string(row_.Prefix) + channel + "," +
                                 cur.Service.substr(0, std::min<size_t>(8, cur.Service.size()));
        if (Simple({name}) != Kind::Reply) ctx_.Log.Dply(rejected);
    }

    // A memory and then its name; a memory without a name keeps an empty one.
    void Load() {
        if (!LoadMemory()) return;
        RadioState& st = ctx_.State;
        Talk({"MNA " + std::string(row_.Prefix) + Thf6aChannelText(st.CurrentChannel)},
             [&](size_t, const Answer& a, bool) {
                 if (a.How == Kind::Reply && CheckChannel(a, row_.Offset))
                     st.Current.Service = Rest(a.Fields, row_.Offset + 1);
                 return true;
             });
    }

    // True when the radio sent the memory asked for and it was taken.
    bool LoadMemory() {
        RadioState& st = ctx_.State;
        const std::string channel = Thf6aChannelText(st.CurrentChannel);
        if (channel.empty()) return false;
        bool loaded = false;
        Talk({"MR " + std::string(row_.Prefix) + "0," + channel},
             [&](size_t, const Answer& a, bool) {
                 if (a.How == Kind::Refused) {
                     Channel& c = st.Current;
                     c.Frequency = 0;
                     c.Mode = 2;
                     c.Valid = c.Atten = false;
                     c.Service.clear();
                 } else if (a.How == Kind::Rejected) {
                     ctx_.Log.Dply("* Radio failed to set channel" + channel);
                 } else if (CheckChannel(a, row_.Offset + 1)) {
                     Channel scratch = st.Current;
                     std::string why;
                     if (Thf6aDecodeMemory(model_, a.Fields, row_.Offset + 2, scratch, &why)) {
                         st.Current = scratch;
                         loaded = true;
                     } else {
                         if (!why.empty()) ctx_.Log.Dply(why);
                         BadPacket(ctx_, a.Line);
                     }
                 }
                 return true;
             });
        return loaded;
    }

    void Read() {
        if (ctx_.Profile.Memory) {
            LoadMemory();
        } else {
            ReadVfo();
        }
        if (row_.F6a) {
            Talk({"ATT"}, [&](size_t, const Answer& a, bool) {
                if (a.How != Kind::Reply)
                    ctx_.Log.Dply("Radio rejected ATT request");
                else if (a.Fields.size() < 2)
                    BadPacket(ctx_, a.Line);
                else
                    ctx_.State.Current.Atten = a.Fields[1] == "1";
                return true;
            });
        }
    }

    void Signal() {
        RadioState& st = ctx_.State;
        // No usable answer is no signal: a level left from the last channel
        // would be a false hit.
        st.SignalLevel = 0;
        bool busy = false;
        Talk({"BY " + std::string(row_.Band)}, [&](size_t, const Answer& a, bool) {
            if (a.How != Kind::Reply) {
                SignalRefused("*Radio rejected Signal request");
            } else if (a.Fields.size() < 3) {
                BadPacket(ctx_, a.Line);
            } else {
                busy = a.Fields[2] == "1";
                st.SignalRefusalShown = false;
            }
            return true;
        });
        if (!busy) return;
        st.SignalLevel = 9;
        Talk({"SM " + std::string(row_.Band)}, [&](size_t, const Answer& a, bool) {
            if (a.How != Kind::Reply) {
                SignalRefused("*Radio rejected Signal Strength Reqst");
            } else if (a.Fields.size() < 3 || !IsDigits(a.Fields[2]) || a.Fields[2].size() > 3) {
                BadPacket(ctx_, a.Line);
            } else {
                const int level = std::stoi(a.Fields[2]) * 3 + 1;
                st.SignalLevel = uint8_t(level > 13 ? 13 : level);
            }
            return true;
        });
    }

    void SetLight() {
        if (row_.F6a) Simple({ctx_.LightOn ? "LMP 1" : "LMP 0"});
    }

    void LoadSearchBank(Channel& bank) {
        const int s = ctx_.State.CurrentSearchBank;
        if (s < 0 || s > 9) return;
        const std::string p = row_.Prefix;
        const std::string n = std::to_string(s);
        bool refused = false;
        Channel lower = ctx_.State.Current, upper = ctx_.State.Current;
        bool haveLower = false, haveUpper = false;
        std::string name;
        Talk({"MR " + p + "0,L" + n, "MR " + p + "0,U" + n, "MNA " + p + "L" + n},
             [&](size_t i, const Answer& a, bool) {
                 if (refused) return true;
                 if (a.How != Kind::Reply) {
                     refused = true;
                     return true;
                 }
                 if (i == 2) {
                     if (a.Fields.size() > row_.Offset) name = Rest(a.Fields, row_.Offset + 1);
                     return true;
                 }
                 Channel& into = i == 0 ? lower : upper;
                 std::string why;
                 if (Thf6aDecodeMemory(model_, a.Fields, row_.Offset + 2, into, &why)) {
                     (i == 0 ? haveLower : haveUpper) = true;
                 } else {
                     if (!why.empty()) ctx_.Log.Dply(why);
                     BadPacket(ctx_, a.Line);
                 }
                 return true;
             });
        if (refused || !haveLower) {
            bank.Lower = bank.Upper = bank.Step = 0;
            bank.Valid = false;
            bank.Service.clear();
            return;
        }
        bank.Lower = lower.Frequency;
        bank.Step = lower.Step;
        bank.Mode = lower.Mode;
        bank.Valid = lower.Valid;
        if (haveUpper) bank.Upper = upper.Frequency;
        bank.Service = name;
    }

    void StoreSearchBank(const Channel& bank) {
        const int s = ctx_.State.CurrentSearchBank;
        if (s < 0 || s > 9) return;
        int32_t lower = bank.Lower, upper = bank.Upper;
        if (lower > upper) std::swap(lower, upper);
        if (lower == upper) upper += 500;
        const int band = Thf6aBand(model_, lower, 'V');
        // The band-edge table is the TH-F6A's band plan; the TH-G71 numbers its bands otherwise.
        if (row_.F6a && band >= 0 && band < int(BandEdges.size())) {
            const int32_t edge = BandEdges[size_t(band)];
            if (upper > edge) upper = edge - 9999;
            if (lower >= edge) lower -= 9999;
        }
        int firstStep = 0;
        for (int k = 0; k < 12; ++k) {
            if (Steps[size_t(k)] <= bank.Step && StepAllowed(band, k)) {
                firstStep = k;
                break;
            }
        }
        Channel scratch = ctx_.State.Current;
        scratch.Mode = bank.Mode;
        const std::string p = row_.Prefix;
        const std::string n = std::to_string(s);
        auto memory = [&](const char* which, int32_t f) {
            std::string line = "MW " + p + "0," + which + n;
            if (f >= 1) {
                scratch.Frequency = f;
                line += "," + Thf6aMemoryBody(model_, scratch, firstStep) + Lockout(bank.Valid);
            }
            return line;
        };
        const std::string name = bank.Service.substr(0, std::min<size_t>(8, bank.Service.size()));
        const std::vector<std::string> lines{memory("L", lower), memory("U", upper),
                                             "MNA " + p + "L" + n + "," + name,
                                             "MNA " + p + "U" + n + "," + name};
        Talk(lines, [&](size_t i, const Answer& a, bool) {
            if (a.How != Kind::Reply)
                ctx_.Log.Dply(std::string("*Radio rejected setting") +
                              (i < 2 ? " of Search Channel " : " of Text for Search Channel ") +
                              "..");
            return true;
        });
    }

    // One line out, its answer kind back (Refused also for silence).
    Kind Simple(const std::vector<std::string>& lines, std::string* reply = nullptr) {
        Kind kind = Kind::Refused;
        bool answered = false;
        Talk(lines, [&](size_t, const Answer& a, bool) {
            kind = a.How;
            answered = true;
            if (reply) *reply = a.Line;
            return true;
        });
        return answered ? kind : Kind::Refused;
    }

    std::optional<std::string> Raw(const std::string& line) {
        std::optional<std::string> reply;
        Talk({line}, [&](size_t, const Answer& a, bool) {
            reply = a.Line;
            return true;
        });
        return reply;
    }

    void RadioTest() {
        RadioState& st = ctx_.State;
        for (const std::string& word : Thf6aTestWords()) {
            ctx_.Log.Dply("Testing " + word);
            for (const char* tail : {"", " 0", " 1"}) {
                if (ctx_.Cancelled && ctx_.Cancelled()) return;
                const std::string command = word + tail;
                const std::optional<std::string> reply = Raw(command);
                // A radio that stopped answering ends the walk: every further
                // word would only wait out its time-out.
                if (!reply) return;
                st.RawCommand = *reply;
                const char* mark = *reply == "N" ? "*N" : *reply == "?" ? "*?" : "* ";
                if (std::FILE* f = ctx_.Link.RadioTestFile) {
                    const std::string text = mark + command + "\r\n";
                    std::fwrite(text.data(), 1, text.size(), f);
                }
                if (*reply == "N")
                    ctx_.Log.Dply("Command " + command + " Parm Err!");
                else if (*reply != "?")
                    ctx_.Log.Dply("Command " + command + " Worked!");
            }
        }
    }

  private:
    static std::string Lockout(bool valid) { return valid ? ",0" : ",1"; }

    // A refused signal read is reported once until one is answered again: the
    // scan asks on every step.
    void SignalRefused(const char* text) {
        if (ctx_.State.SignalRefusalShown) return;
        ctx_.State.SignalRefusalShown = true;
        ctx_.Log.Dply(text);
    }

    // One exchange of this operation; once the radio has been silent the
    // operation sends nothing more (each exchange would only wait its time out).
    void Talk(const std::vector<std::string>& lines, const Handler& handle) {
        if (silent_) return;
        silent_ = !Exchange(ctx_, lines, handle);
    }

    // Fields from `from` on joined again: a name may hold a comma.
    static std::string Rest(const std::vector<std::string>& fields, size_t from) {
        std::string out;
        for (size_t i = from; i < fields.size(); ++i)
            out += (i > from ? "," : "") + fields[i];
        return out;
    }

    void CheckModel(const std::string& line) {
        const bool g71 = line.rfind("ID TH-G71", 0) == 0;
        const bool f6 = line.rfind("ID TH-F6", 0) == 0;
        if ((g71 && model_ != 1) || (f6 && model_ != 0)) {
            ctx_.Log.Dply(std::string("*--Model ") + (g71 ? "TH-G71" : "TH-F6") + " attached, " +
                          ModelName(ProtoThf6a, ctx_.Profile.Model) + "selected in Rigvane");
            ctx_.Log.Dply("*Wrong Radio Model selected in PARMS. Radio functions may not work!");
        }
    }

    // The channel field of a memory answer must name the channel asked for.
    bool CheckChannel(const Answer& a, size_t field) {
        if (a.Fields.size() <= field) {
            BadPacket(ctx_, a.Line);
            return false;
        }
        if (a.Fields[field].size() > 3) ctx_.Log.Dply("*--Bad Channel field");
        const std::optional<int> got = Thf6aChannelNumber(a.Fields[field]);
        if (!got) {
            ctx_.Log.Dply("*Decoding error for Memory Channel ->" + a.Line);
            return false;
        }
        if (*got != ctx_.State.CurrentChannel) {
            ctx_.Log.Dply("*Radio Returned wrong channel number.Requested " +
                          std::to_string(ctx_.State.CurrentChannel) + " got " +
                          std::to_string(*got));
            return false;
        }
        return true;
    }

    void ReadVfo() {
        Channel& cur = ctx_.State.Current;
        SetMemoryMode(false);
        bool haveFrequency = false;
        Talk({"FQ"}, [&](size_t, const Answer& a, bool) {
            if (a.How != Kind::Reply) {
                ctx_.Log.Dply("Radio rejected VFO frequency request");
            } else if (a.Fields.size() < 2 || !IsDigits(a.Fields[1]) || a.Fields[1].size() < 10) {
                BadPacket(ctx_, a.Line);
            } else {
                cur.Frequency = int32_t(std::stoll(a.Fields[1].substr(0, 10)) > NoFrequency
                                            ? NoFrequency
                                            : std::stoll(a.Fields[1].substr(0, 10)));
                haveFrequency = true;
            }
            return true;
        });
        if (!haveFrequency) return;
        Talk({"VR " + HexDigit(Thf6aBand(model_, cur.Frequency, 'V'))},
             [&](size_t, const Answer& a, bool) {
                 if (a.How != Kind::Reply) {
                     ctx_.Log.Dply("Radio rejected VFO data request");
                     return true;
                 }
                 Channel scratch = cur;
                 std::string why;
                 if (Thf6aDecodeMemory(model_, a.Fields, row_.Offset + 1, scratch, &why)) {
                     cur = scratch;
                 } else {
                     if (!why.empty()) ctx_.Log.Dply(why);
                     BadPacket(ctx_, a.Line);
                 }
                 return true;
             });
    }

    DriverContext& ctx_;
    int model_;
    const ModelRow& row_;
    bool silent_ = false;
};

// Every entry point traps its own failures.
template <typename F> void Guarded(DriverContext& ctx, F&& body) {
    try {
        if (!ctx.Link.PortOpen()) return;
        Ops ops(ctx);
        body(ops);
    } catch (const std::exception& e) {
        Fail(ctx, e.what());
    } catch (...) {
        Fail(ctx, "an unknown failure");
    }
}

FamilyCaps BuildCaps() {
    FamilyCaps caps;
    caps.Protocol = ProtoThf6a;
    caps.Name = "TH-F6A";
    ModelCaps f6a;
    f6a.Name = "TH-F6A";
    f6a.Serial.Flow = true;
    f6a.Serial.Detect = DetectSoftware;
    f6a.Serial.Parity = SerialDefaults::KeepParity;
    f6a.Serial.MaxMhz = "1999.99900";
    f6a.Serial.MinMhz = "0000.00010";
    f6a.Serial.MaxChan = 411;
    f6a.Serial.Timeout = 30;
    f6a.Serial.Model = 0;
    AuxSpec& aux = f6a.VfoAux;
    aux.CheckCaptions[3] = "CTCSS On";
    aux.CheckCaptions[4] = "DCS On";
    aux.ListCaptions[4] = "Offset";
    aux.ListCaptions[5] = "CTCSS";
    aux.ListCaptions[6] = "DCS";
    aux.HiddenChecks = 0x02; // 1
    aux.HiddenLists = 0x0E;  // 1, 2, 3
    aux.ForcedChecks = 0x08; // 3
    aux.ForcedLists = 0x30;  // 4, 5
    // List 4 is the repeater offset: its index is the offset code the memory body sends.
    aux.BandwidthFollowsMode = false;
    aux.Bandwidths = {"none", "+0.6Mhz", "+1.2Mhz", "+5.0Mhz", "-0.6Mhz", "-1.2Mhz", "-5.0Mhz"};
    f6a.Light = true;
    f6a.Dialog = ModelDialog::Thf6a;
    ModelCaps g71 = f6a;
    g71.Name = "TH-G71";
    g71.Serial.MaxChan = 199;
    g71.Light = false; // the TH-G71 has no lamp command
    g71.Dialog = ModelDialog::None;
    g71.Modes = 1 << 2; // narrow FM only: its memories have no mode
    caps.Models = {f6a, g71};
    caps.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpSignal | OpLoadSearchBank |
               OpStoreSearchBank | OpLight | OpRadioTest;
    caps.SearchBankButtons = true;
    return caps;
}

class Thf6aDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override {
        static const FamilyCaps caps = BuildCaps();
        return caps;
    }
    void Open(DriverContext& ctx) override {
        Guarded(ctx, [](Ops& o) { o.Open(); });
    }
    void Apply(DriverContext& ctx) override {
        Guarded(ctx, [](Ops& o) { o.Apply(); });
    }
    void Read(DriverContext& ctx) override {
        Guarded(ctx, [](Ops& o) { o.Read(); });
    }
    void Recall(DriverContext& ctx) override {
        Guarded(ctx, [](Ops& o) { o.Recall(); });
    }
    void Store(DriverContext& ctx) override {
        Guarded(ctx, [](Ops& o) { o.Store(); });
    }
    void Load(DriverContext& ctx) override {
        Guarded(ctx, [](Ops& o) { o.Load(); });
    }
    void Signal(DriverContext& ctx, DetectMethod) override {
        Guarded(ctx, [](Ops& o) { o.Signal(); });
    }
    void LoadSearchBank(DriverContext& ctx, Channel& bank) override {
        Guarded(ctx, [&bank](Ops& o) { o.LoadSearchBank(bank); });
    }
    void StoreSearchBank(DriverContext& ctx, const Channel& bank) override {
        Guarded(ctx, [&bank](Ops& o) { o.StoreSearchBank(bank); });
    }
    void SetLight(DriverContext& ctx) override {
        Guarded(ctx, [](Ops& o) { o.SetLight(); });
    }
    void RadioTest(DriverContext& ctx) override {
        Guarded(ctx, [](Ops& o) { o.RadioTest(); });
    }
};

} // namespace

RadioDriver& Thf6aFamily() {
    static Thf6aDriver driver;
    return driver;
}

std::optional<std::string> Thf6aRawCommand(DriverContext& ctx, const std::string& line) {
    std::optional<std::string> reply;
    Guarded(ctx, [&](Ops& o) { reply = o.Raw(line); });
    if (reply) ctx.State.RawCommand = *reply;
    return reply;
}

int Thf6aBand(int model, int32_t f, char kind) {
    if (model != 1) {
        int band = 4;
        for (int k = 4; k <= 13 && f > BandEdges[size_t(k)]; ++k)
            band = k + 1;
        return band;
    }
    int band = f > 13599999 ? 2 : 1;
    if (kind == 'V') {
        if (f > 17399999) band = 5;
        if (f > 39999999) band = 6;
        if (f > 46999999) band = 8;
    } else {
        if (f > 17399999) band = 4;
        if (f > 39999999) band = 5;
        if (f > 46999999) band = 6;
    }
    return band;
}

std::string Thf6aChannelText(int channel) {
    if (channel < 0) return "";
    if (channel <= 399) return ZeroPadded(channel, 3);
    if (channel <= 409) return "I-" + std::to_string(channel - 400);
    if (channel <= 411) return "PR" + std::to_string(channel - 409);
    return "";
}

std::optional<int> Thf6aChannelNumber(const std::string& f) {
    if (f.empty() || f.size() > 3) return std::nullopt;
    auto digitAt = [&f](size_t i) { return i < f.size() && std::isdigit(uint8_t(f[i])); };
    if (f.size() == 3 && f.compare(0, 2, "I-") == 0 && digitAt(2)) return 400 + (f[2] - '0');
    if (f.size() == 3 && f.compare(0, 2, "PR") == 0) return f[2] == '1' ? 410 : 411;
    if (f.size() == 2 && f[0] == 'L' && digitAt(1)) return 1000 + (f[1] - '0');
    if (f.size() == 2 && f[0] == 'U' && digitAt(1)) return 1010 + (f[1] - '0');
    if (!IsDigits(f)) return std::nullopt;
    return std::stoi(f);
}

std::string Thf6aMemoryBody(int model, Channel& st, int firstStep) {
    const int band = Thf6aBand(model, st.Frequency, 'V');
    int step = -1;
    for (int k = firstStep < 0 ? 0 : firstStep; k < 12; ++k) {
        if (st.Frequency % Steps[size_t(k)] == 0 && StepAllowed(band, k)) {
            step = k;
            break;
        }
    }
    if (step < 0 && st.Mode >= 4 && band < 13) {
        const int32_t f = st.Frequency;
        if (f % 3 == 0 || f % 10 == 0 || f % 50 == 0 || f % 100 == 0) step = 0;
    }
    if (step < 0) {
        step = band > 12 ? 4 : 0;
        st.Frequency = st.Frequency / Steps[size_t(step)] * Steps[size_t(step)];
    }
    // Bandwidth holds the repeater offset choice; anything beyond the seven offsets is none.
    const size_t offsetIndex = st.Bandwidth < OffsetTexts.size() ? st.Bandwidth : 0;
    const std::string offset = OffsetTexts[offsetIndex];
    auto flag = [](bool on) { return on ? ",1" : ",0"; };
    auto tone = [](int code) { return "," + ZeroPadded(code > 0 ? code - 1 : 0, 2); };
    std::string body = ZeroPadded(st.Frequency < 0 ? 0 : st.Frequency, 10) + "0";
    body += "," + HexDigit(step);
    body += offsetIndex == 0 ? ",0" : offset[0] == '-' ? ",2" : ",1";
    body += ",0";
    body += flag(st.Notch);
    body += flag(st.Tone2On);
    if (model != 1) {
        body += flag(st.Tone3On);
        body += tone(st.Tone1);
        body += tone(st.Tone2);
        body += "," + ZeroPadded(st.Tone3, 3);
        body += "," + offset.substr(1);
        body += "," + std::to_string(st.Mode < 2 ? 0 : st.Mode <= 5 ? st.Mode - 2 : 5);
    } else {
        body += ",";
        body += tone(st.Tone1);
        body += ",";
        body += tone(st.Tone2);
        body += "," + offset.substr(1);
    }
    return body;
}

bool Thf6aDecodeMemory(int model, const std::vector<std::string>& fields, size_t first,
                       Channel& into, std::string* why) {
    // The fields in the order the memory body writes them; the lockout at
    // the end is only in memory answers.
    enum F {
        Freq,
        Step,
        Shift,
        Reverse,
        Notch,
        Ctcss,
        Dcs,
        Tone,
        CtcssTone,
        DcsCode,
        Offset,
        Mode,
        Skip,
        Lockout
    };
    static const std::vector<F> F6a = {Freq, Step,      Shift,   Reverse, Notch, Ctcss,  Dcs,
                                       Tone, CtcssTone, DcsCode, Offset,  Mode,  Lockout};
    static const std::vector<F> G71 = {Freq, Step, Shift, Reverse,   Notch,  Ctcss,
                                       Skip, Tone, Skip,  CtcssTone, Offset, Lockout};
    const std::vector<F>& layout = model == 1 ? G71 : F6a;
    const size_t required = layout.size() - 1;
    if (why) why->clear();
    if (fields.size() < first + required) return false;
    Channel c = into;
    char sign = '+';
    c.Valid = true;
    auto number = [](const std::string& s, int max, int* out) {
        if (!IsDigits(s) || s.size() > 3) return false;
        *out = std::stoi(s);
        return *out <= max;
    };
    for (size_t i = 0; i < layout.size(); ++i) {
        if (first + i >= fields.size()) break; // only the lockout may be missing
        const std::string& v = fields[first + i];
        int n = 0;
        switch (layout[i]) {
        case Freq:
            if (!IsDigits(v) || v.size() < 10) {
                if (why) *why = "*--Bad Frequency field ";
                return false;
            }
            c.Frequency = int32_t(std::min<long long>(std::stoll(v.substr(0, 10)), NoFrequency));
            break;
        case Step: {
            const size_t at = std::string("0123456789AB").find(ToUpper(v));
            if (v.size() != 1 || at == std::string::npos) return false;
            c.Step = Steps[at];
            break;
        }
        case Shift:
            sign = v == "2" ? '-' : '+';
            break;
        case Reverse:
        case Skip:
            break;
        case Notch:
            c.Notch = v == "1";
            break;
        case Ctcss:
            c.Tone2On = v == "1";
            break;
        case Dcs:
            c.Tone3On = v == "1";
            break;
        case Tone:
            if (!number(v, ToneCount - 2, &n)) {
                if (why) *why = "*--Bad Tone field";
                return false;
            }
            c.Tone1 = uint8_t(n + 1);
            break;
        case CtcssTone:
            if (!number(v, ToneCount - 2, &n)) {
                if (why) *why = "*--Bad CTSS field";
                return false;
            }
            c.Tone2 = uint8_t(n + 1);
            break;
        case DcsCode:
            if (!number(v, 255, &n)) {
                if (why) *why = "*--Bad DCS field";
                return false;
            }
            c.Tone3 = uint8_t(n);
            break;
        case Offset: {
            c.Bandwidth = 0;
            const std::string text = sign + v;
            for (size_t k = 0; k < OffsetTexts.size(); ++k)
                if (text == OffsetTexts[k]) c.Bandwidth = uint8_t(k);
            break;
        }
        case Mode:
            if (!number(v, 7, &n)) {
                if (why) *why = "*--Bad Mode field";
                return false;
            }
            c.Mode = uint8_t(n + 2);
            break;
        case Lockout:
            c.Valid = v != "1";
            break;
        }
    }
    into = c;
    return true;
}

std::vector<std::string> Thf6aFields(const std::string& line) {
    std::vector<std::string> fields;
    const size_t blank = line.find(' ');
    fields.push_back(line.substr(0, blank));
    if (blank == std::string::npos) return fields;
    const std::string rest = line.substr(blank + 1);
    size_t at = 0;
    for (;;) {
        const size_t comma = rest.find(',', at);
        fields.push_back(rest.substr(at, comma - at));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return fields;
}

std::vector<std::string> Thf6aTestWords() {
    // Words that could transmit, reset or lock the set, or change its memory.
    static const char* const Never[] = {"TX",   "LAN", "BAT",  "ID",  "SR",  "BEP",
                                        "MW",   "LK",  "ATT",  "LMP", "VOX", "MRM",
                                        "NSFT", "MR",  "DATP", "CNT", "CR",  "FQ"};
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string tail = letters + "0123456789";
    std::vector<std::string> words;
    auto add = [&](const std::string& w) {
        for (const char* n : Never)
            if (w == n) return;
        words.push_back(w);
    };
    for (char a : letters)
        for (char b : tail) {
            add(std::string{a, b});
            for (char c : tail)
                add(std::string{a, b, c});
        }
    return words;
}

} // namespace rigvane
