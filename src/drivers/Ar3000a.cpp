#include "drivers/Ar3000a.h"

#include <algorithm>
#include <exception>

#include "core/CodeTables.h"
#include "core/Text.h"

namespace rigvane {

namespace {

// Mode letters of the radio, indexed by Mode 0..9.
const std::array<const char*, 10> Aor3000ModeLetters = {"",  "N", "N", "W", "A",
                                                        "L", "U", "U", "C", "C"};

// The driver's own operation codes.
enum Code : int {
    CodeApply = 0,
    CodeBank = 1,
    CodeStore = 2,
    CodeRecall = 3,
    CodeClear = 5,
    CodeInitialise = 27,
    CodeRead = 50,
    CodeLoad = 51,
    CodeSignal = 52,
};

constexpr int BankSize = 100;
// A line that keeps delivering bytes without completing an answer must not
// hold the operation: after this many collecting passes a try is counted.
constexpr int MaxCollectPasses = 50;

// A frequency word: a whole number of 10 Hz units, or MHz text with a point.
int32_t FrequencyWord(const std::string& text) {
    if (text.find('.') != std::string::npos) {
        const int32_t f = TextToFreq(text);
        return f == NoFrequency ? 0 : f;
    }
    const int64_t f = ValInt(text);
    return f < 0 || f >= NoFrequency ? 0 : int32_t(f);
}

bool IsPromptOrLineEnd(char c) {
    return c == '>' || c == '\r' || c == '\n';
}

class Operation {
  public:
    Operation(DriverContext& ctx, int code) : ctx_(ctx), code_(code) {}

    // The AR3000 takes commands and never answers.
    bool NoReply() const { return Ar3000aFamily().Caps().Model(ctx_.Profile.Model).NoReply; }
    int ChannelInBank() const {
        const RadioState& st = ctx_.State;
        return st.CurrentChannel - (st.CurrentBank - 1) * BankSize;
    }

    // The command for the code; "" when nothing is to be sent.
    std::string Command() {
        RadioState& st = ctx_.State;
        const Channel& cur = st.Current;
        switch (code_) {
        case CodeApply: {
            const char* letter = cur.Mode <= 9 ? Aor3000ModeLetters[cur.Mode] : "";
            return std::string(cur.Atten ? "R " : "T ") + FreqToText(cur.Frequency) + " " + letter;
        }
        case CodeBank:
            st.CurrentBank = int16_t(st.CurrentChannel / BankSize + 1);
            return NoReply() ? "X" : std::to_string(st.CurrentBank) + "X";
        case CodeStore:
        case CodeRecall:
        case CodeLoad: {
            const int ch = ChannelInBank();
            if (ch < 0 || ch >= BankSize) return ""; // the bank was not selected
            return ZeroPadded(ch, 2) + (code_ == CodeStore ? "M" : "Z");
        }
        case CodeRead:
            return NoReply() ? "" : "D";
        case CodeSignal:
            return NoReply() ? "" : "Y";
        default: // clear and initialise: the radio has no command for them
            return "";
        }
    }

    bool ExpectsAnswer() const {
        if (NoReply()) return false;
        return code_ == CodeRecall || code_ == CodeLoad || code_ == CodeRead || code_ == CodeSignal;
    }

    void Run() {
        SerialLink& link = ctx_.Link;
        RadioState& st = ctx_.State;
        st.ReplyResidue.clear();
        const std::string body = Command();
        if (body.empty()) {
            if (code_ == CodeRecall) Refused(); // no channel to recall in the bank
            return;
        }
        const std::string command = body + "\r";
        link.DebugLog("Issued Aor3000 Command", std::to_string(code_));
        const std::string eom = NoReply() ? "" : "\r";
        Ar3000aWords words;
        words.OpCode = code_;
        words.Model = ctx_.Profile.Model;
        words.ChannelInBank = ChannelInBank();
        int tries = 0, collects = 0;
        std::string toSend = command;
        while (tries < link.RetryCount && !words.Done && link.PortOpen() && !link.Stopping) {
            const bool sent = !toSend.empty();
            const std::string got = link.SendAndReceive(toSend, eom, "");
            st.ReplyResidue += got;
            if (got.empty() || ++collects >= MaxCollectPasses) {
                ++tries;
                collects = 0;
                toSend = command;
                // The link has already tried a silent radio RetryCount times.
                if (got.empty() && sent && link.RadioNotResponding) break;
            } else {
                toSend.clear();
            }
            if (!ExpectsAnswer()) {
                // A tuning the radio answered with "?" was not taken.
                if (code_ == CodeApply && got.find('?') != std::string::npos) Refused();
                return;
            }
            words.Read(st.ReplyResidue, st.Current, st.SignalLevel);
            for (const std::string& w : words.Unprocessed)
                link.DebugLog(" not processed AOR3000 word:", w);
            words.Unprocessed.clear();
        }
        // A tuning or recall the radio did not answer leaves it where it was
        // (the AR3000 cannot tell, and is taken at its word).
        if (!NoReply() && (code_ == CodeApply || code_ == CodeRecall) && !words.Done) Refused();
    }

    void Refused() { ctx_.State.TuneRefused = true; }

  private:
    DriverContext& ctx_;
    int code_;
};

void Send(DriverContext& ctx, int code) {
    try {
        if (!ctx.Link.PortOpen()) return;
        Operation(ctx, code).Run();
    } catch (const std::exception& e) {
        ctx.Log.Dply("Data Processing Error 60003! Report to author..");
        ctx.Log.Dply(std::string("Error was ") + e.what());
    } catch (...) {
        ctx.Log.Dply("Data Processing Error 60003! Report to author..");
        ctx.Log.Dply("Error was an unknown failure");
    }
}

// Memory operations address a channel within the bank last selected.
void SelectBank(DriverContext& ctx) {
    const RadioState& st = ctx.State;
    if (st.CurrentChannel / BankSize + 1 != st.CurrentBank) Send(ctx, CodeBank);
}

FamilyCaps MakeCaps() {
    FamilyCaps caps;
    caps.Protocol = ProtoAor3000;
    caps.Name = "AOR3000A";
    caps.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpSignal;
    // The radio has no command that empties a memory: an empty channel
    // stored to it leaves what the memory held.
    caps.ClearsMemories = false;

    ModelCaps ar3000a;
    ar3000a.Name = "AOR3000a";
    ar3000a.Serial.Flow = true;
    ar3000a.Serial.Detect = DetectSoftware;
    ar3000a.Serial.Bits = 8;
    ar3000a.Serial.Stop = 2;
    ar3000a.Serial.Parity = 0; // N
    ar3000a.Serial.Baud = 3;   // 4800
    ar3000a.Serial.MaxMhz = "2035.99900";
    ar3000a.Serial.MinMhz = "0000.00010";
    ar3000a.Serial.MaxChan = 399;
    // No aux control means anything to these radios: the frame hides unless
    // unused controls are to be shown.
    ar3000a.VfoAux.Frame = false;

    ModelCaps ar3000 = ar3000a;
    ar3000.Name = "AOR3000";
    ar3000.NoReply = true;
    ar3000.Serial.Detect = DetectHardware;
    ar3000.Detects = (1 << DetectNone) | (1 << DetectHardware); // no signal answer
    caps.Models = {ar3000a, ar3000};
    return caps;
}

class Ar3000aDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override {
        static const FamilyCaps caps = MakeCaps();
        return caps;
    }

    void Open(DriverContext& ctx) override {
        Send(ctx, CodeInitialise);
        Send(ctx, CodeRead);
    }

    void Apply(DriverContext& ctx) override {
        const Channel& cur = ctx.State.Current;
        if (cur.Mode == 0 || cur.Frequency <= 0) return;
        Send(ctx, CodeApply);
    }

    void Read(DriverContext& ctx) override {
        if (ctx.Profile.Memory) {
            SelectBank(ctx);
            Send(ctx, CodeLoad);
        } else {
            Send(ctx, CodeRead);
        }
    }

    void Recall(DriverContext& ctx) override {
        SelectBank(ctx);
        Send(ctx, CodeRecall);
    }

    void Store(DriverContext& ctx) override {
        SelectBank(ctx);
        if (ctx.State.Current.Frequency < 6) {
            Send(ctx, CodeRecall);
            Send(ctx, CodeClear);
            return;
        }
        ctx.State.TuneRefused = false;
        Send(ctx, CodeApply);
        // A tuning the radio did not take is not written into its memory.
        if (!ctx.State.TuneRefused) Send(ctx, CodeStore);
    }

    void Load(DriverContext& ctx) override {
        ctx.State.Current = MakeBlankChannel();
        SelectBank(ctx);
        Send(ctx, CodeLoad);
    }

    void Signal(DriverContext& ctx, DetectMethod) override { Send(ctx, CodeSignal); }
};

} // namespace

RadioDriver& Ar3000aFamily() {
    static Ar3000aDriver driver;
    return driver;
}

void Ar3000aWords::Read(std::string& residue, Channel& cur, uint8_t& signal) {
    // Prompts and line ends: dropped at the front, blanks elsewhere.
    size_t lead = 0;
    while (lead < residue.size() && IsPromptOrLineEnd(residue[lead]))
        ++lead;
    residue.erase(0, lead);
    for (char& c : residue)
        if (IsPromptOrLineEnd(c)) c = ' ';

    while (!Done) {
        const size_t first = residue.find_first_not_of(' ');
        residue.erase(0, first == std::string::npos ? residue.size() : first);
        const size_t blank = residue.find(' ');
        if (blank == std::string::npos) return; // the tail waits for more
        const std::string word = residue.substr(0, blank);
        residue.erase(0, blank);
        if (state_ == 2) {
            state_ = 1;
            continue;
        }
        Word(word, cur, signal);
    }
}

void Ar3000aWords::Word(const std::string& word, Channel& cur, uint8_t& signal) {
    const char c = word[0];
    const bool statusCode = OpCode == ReadCode || OpCode == LoadCode;
    // NOLINTNEXTLINE(bugprone-branch-clone): J and Z are different words that end alike
    if (c == 'J' && Model == 0 && (OpCode == ReadCode || state_ >= 1)) {
        state_ = word.size() == 1 ? 2 : 1;
    } else if (c >= 'A' && c <= 'P') {
        if (OpCode == SignalCode) {
            signal = uint8_t(std::min(c - 'A' + 1, 13));
            Done = true;
        }
    } else if (c == '%') {
        if (OpCode == SignalCode) {
            signal = 0;
            Done = true;
        }
    } else if (c >= 'Q' && c <= 'V') {
        state_ = 0;
        // A load reads the memory's mode as a read does the radio's.
        if (statusCode) {
            static const uint8_t modes[] = {2, 3, 4, 5, 6, 8};
            cur.Mode = modes[c - 'Q'];
            Done = true;
        }
    } else if (c == 'W' || c == 'X') {
        cur.Atten = c == 'W';
        state_ = 3;
    } else if (c == 'Y') {
        state_ = 5;
        if (word.size() > 1) {
            cur.Frequency = FrequencyWord(word.substr(1));
            state_ = 1;
        }
    } else if (c == 'Z') {
        state_ = word.size() == 1 ? 2 : 1;
    } else if (c == '#') {
        state_ = 1;
        if (OpCode == LoadCode && word.substr(1, 2) != ZeroPadded(ChannelInBank, 2)) {
            // The radio answered another channel: this one is empty.
            cur.Frequency = 0;
            cur.Mode = 2;
            cur.Atten = false;
            Done = true;
        } else if (OpCode == RecallCode) {
            Done = true;
        }
    } else if (c >= '0' && c <= '9') {
        if (state_ == 5) {
            cur.Frequency = FrequencyWord(word);
            if (cur.Frequency > 0) cur.Valid = true;
            state_ = 1;
        }
    } else {
        Unprocessed.push_back(word);
    }
}

} // namespace rigvane
