#include "drivers/Bearcat.h"

#include <exception>

#include "core/CodeTables.h"
#include "core/Text.h"
#include "drivers/UnidenGuard.h"
#include "drivers/UnidenLines.h"

namespace rigvane {

namespace {

// The driver's own operation codes. The composite ones (apply, store) and the
// trunk procedure issue the single ones.
enum Code : int {
    CodeApply = 0,
    CodeStore = 2,
    CodeRecall = 3,
    CodeClear = 5,
    CodeAtten = 8,
    CodeSetDelay = 24,
    CodePoll = 50,
    CodeLoadChannel = 51,
    CodeSignal = 52,
    CodeGetDelay = 67,
    CodeSquelch = 70,
    CodeGetMode = 71,
    CodeSetLockout = 73,
    CodeGetLockout = 74,
    CodeGetSync = 75,
    CodeSetSync = 76,
    CodeLight = 77,
    CodeRaw = 78,
    CodeScreen = 79,
    CodeTrunkType = 80,
    CodeSetTrunkType = 81,
    CodeKey00 = 90,
    CodeKey01 = 91,
    CodeKey03 = 93,
    CodeKey04 = 94,
    CodeKey07 = 97,
    CodeKey13 = 103,
    CodeKey13Hold = 113,
    CodeSetCtcss = 114,
    CodeKey22 = 115,
    CodeSetTone = 133,
    CodeSetMode = 134,
    CodeProgramVfo = 135,
    CodeProgramChannel = 136,
    CodeToneCheck = 137,
    CodeGetCtcss = 138,
};

// The answer that ends a command.
enum class Kind { Ok, ChannelLine, Signal, Squelch, Mode, Flag, Screen, TrunkType, AnyLine };

struct Command {
    std::string Text; // without CR; empty: nothing is sent
    Kind Expects = Kind::Ok;
    bool AcceptsNg = false;
};

// A radio that keeps sending lines that answer nothing costs one try per
// this many collecting passes.
constexpr int MaxCollectPasses = 3;
constexpr int TrunkTimeoutMs = 150;
constexpr int TrunkKeyTimeoutMs = 600;
// Screen states of the MD answer.
constexpr int ScreenNormal = 1;

bool IsTrunkListScreen(int s) {
    return s == 18 || s == 10;
}

std::string NF(bool on) {
    return on ? "N" : "F";
}

// Column n (1-based) of a line, or 0 past its end.
char Column(const std::string& line, size_t n) {
    return n >= 1 && n <= line.size() ? line[n - 1] : '\0';
}

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// Restores the profile's Timeout on every way out of a procedure.
class TimeoutGuard {
  public:
    explicit TimeoutGuard(RadioProfile& p) : profile_(p), kept_(p.Timeout) {}
    ~TimeoutGuard() { Restore(); }
    void Restore() { profile_.Timeout = kept_; }
    TimeoutGuard(const TimeoutGuard&) = delete;
    TimeoutGuard& operator=(const TimeoutGuard&) = delete;

  private:
    RadioProfile& profile_;
    int32_t kept_;
};

// One operation's exchanges with the radio.
class Session {
  public:
    explicit Session(DriverContext& ctx) : ctx_(ctx) {}

    // Issues one code; true when the radio gave the answer that ends it.
    bool Exec(int code);
    // Front panel back to the normal screen; false when no MD answer came.
    bool Reset();
    void Open();
    void TrunkIds(int bank, bool write);
    // Sends `text` as it is and returns the first answer line ("" for none).
    std::string Raw(const std::string& text) {
        ctx_.State.RawCommand = text;
        replyLine_.clear();
        Exec(CodeRaw);
        return replyLine_;
    }

  private:
    Command Build(int code);
    bool Exchange(int code, const Command& cmd);
    // Applies one answer line; true when it ends the command.
    bool Rule(int code, const Command& cmd, const std::string& line, std::string& buffer,
              int& errors);
    void ApplyState();
    void StoreChannel();
    void TrunkPreparation(int bankDigit);
    bool ParseChannelLine(const std::string& line);
    void TrunkBody(int t, bool write);
    void Record(int code); // what a command the radio took leaves in LastSent

    int Model() const { return ctx_.Profile.Model; }
    bool Cancelled() const { return ctx_.Cancelled && ctx_.Cancelled(); }

    DriverContext& ctx_;
    int screen_ = 0;
    bool screenRead_ = false;
    std::string replyLine_;
    int trunkBank_ = 0;      // the bank TR names
    bool abandoned_ = false; // a command went unanswered
    bool refused_ = false;   // a command was refused (NG, or ERR twice)
};

Command Session::Build(int code) {
    RadioState& st = ctx_.State;
    const Channel& cur = st.Current;
    const int m = Model();
    auto channel3 = [](int ch) { return ch >= 0 && ch <= 999 ? ZeroPadded(ch, 3) : std::string(); };
    switch (code) {
    case CodeRecall: {
        const std::string ch = channel3(st.CurrentChannel);
        return {ch.empty() ? "" : "MA" + ch, Kind::ChannelLine};
    }
    case CodeAtten:
        return {m != 2 ? (cur.Atten ? "ATN" : "ATF") : "", Kind::Ok};
    case CodeSetDelay:
        return {"DL" + NF(cur.Delay), Kind::Ok};
    case CodePoll:
        return {"MA", Kind::ChannelLine};
    case CodeLoadChannel: {
        const std::string ch = channel3(st.CurrentChannel);
        const bool differs = st.LastSent.ChannelNo != st.CurrentChannel;
        return {differs && !ch.empty() ? "MA" + ch : "", Kind::ChannelLine};
    }
    case CodeSignal:
        return {m != 0 ? "SG" : "", Kind::Signal};
    case CodeGetDelay:
        return {"DL", Kind::Flag};
    case CodeSquelch:
        return {"SQ", Kind::Squelch};
    case CodeGetMode: // only the BC780XLT knows RM
        return {m == 1 ? "RM" : "", Kind::Mode};
    case CodeSetLockout:
        return {std::string("LO") + (cur.Valid ? "F" : "N"), Kind::Ok};
    case CodeGetLockout:
        return {"LO", Kind::Flag};
    case CodeGetSync:
        return {m != 0 ? "AR" : "", Kind::Flag, true};
    case CodeSetSync:
        return {m != 0 ? "AR" + NF(cur.Sync) : "", Kind::Ok, true};
    case CodeLight:
        return {m != 2 ? (ctx_.LightOn ? "LTN" : "LTF") : "", Kind::Ok, true};
    case CodeRaw:
        return {st.RawCommand, Kind::AnyLine};
    case CodeScreen:
        return {"MD", Kind::Screen};
    case CodeTrunkType:
        return {"TB", Kind::TrunkType};
    case CodeSetTrunkType: {
        const int type = ctx_.Mem.TrunkBanks[size_t(trunkBank_)].SystemType;
        return {std::string("TR ") + BearcatBankLetter(trunkBank_) +
                    char('0' + (type <= 6 ? type : 0)),
                Kind::Ok};
    }
    case CodeKey00:
        return {"KEY00", Kind::Ok};
    case CodeKey01:
        return {"KEY01", Kind::Ok};
    case CodeKey03:
        return {"KEY03", Kind::Ok};
    case CodeKey04:
        return {"KEY04", Kind::Ok};
    case CodeKey07:
        return {"KEY07", Kind::Ok};
    case CodeKey13:
        return {"KEY13", Kind::Ok};
    case CodeKey13Hold:
        return {"KEY13H", Kind::Ok};
    case CodeKey22:
        return {"KEY22", Kind::Ok};
    case CodeSetCtcss:
        return {m != 0 ? (cur.Mode < 4 && cur.Notch ? "CTN" : "CTF") : "", Kind::Ok};
    case CodeSetTone: {
        if (m == 0 || cur.Mode > 3) return {"", Kind::Ok};
        const int tone = BearcatToneMap()[cur.Tone1 < ToneCount ? cur.Tone1 : 0];
        return {"CS" + ZeroPadded(tone, m == 2 ? 2 : 3), Kind::Ok};
    }
    case CodeSetMode: {
        if (m != 1) return {"", Kind::Ok};
        const int mode = cur.Mode;
        const char* word = mode == 1 ? "FM" : mode == 3 ? "WFM" : mode >= 4 ? "AM" : "NFM";
        return {std::string("RM ") + word, Kind::Ok};
    }
    case CodeProgramVfo:
    case CodeProgramChannel: {
        const std::string ch =
            channel3(code == CodeProgramVfo ? ctx_.Profile.VfoChan : st.CurrentChannel);
        if (ch.empty()) return {"", Kind::ChannelLine};
        return {"PM" + ch + " " + BearcatFrequencyText(cur.Frequency), Kind::ChannelLine};
    }
    case CodeToneCheck:
        return {m != 0 ? "CC" : "", Kind::Flag};
    case CodeGetCtcss:
        return {m != 0 ? "CT" : "", Kind::Flag};
    default:
        return {"", Kind::Ok};
    }
}

bool Session::Exec(int code) {
    if (abandoned_ || !ctx_.Link.PortOpen()) return false;
    switch (code) {
    case CodeApply:
        ApplyState();
        return true;
    case CodeStore:
    case CodeClear:
        StoreChannel();
        return true;
    case CodeRecall:
        if (ctx_.OperatingMode == 1) {
            Channel& cur = ctx_.State.Current;
            cur.Notch = ctx_.Config.Global.CtcsMode;
            if (cur.Notch != ctx_.State.LastSent.Notch) Exec(CodeSetCtcss);
        }
        break;
    case CodeSquelch:
        // A squelch that cannot be read is no signal, not the last one heard.
        ctx_.State.SignalLevel = 0;
        break;
    case CodeSetTone: {
        Channel& cur = ctx_.State.Current;
        if (Model() != 0 && cur.Mode <= 3)
            cur.Tone1 =
                BearcatToneReverse()[BearcatToneMap()[cur.Tone1 < ToneCount ? cur.Tone1 : 0]];
        break;
    }
    default:
        break;
    }
    const Command cmd = Build(code);
    if (cmd.Text.empty()) return false;
    return Exchange(code, cmd);
}

bool Session::Exchange(int code, const Command& cmd) {
    SerialLink& link = ctx_.Link;
    const std::string text = cmd.Text + "\r";
    link.SendAndReceive("", "", ""); // whatever is waiting belongs to no command of ours
    if (code == CodeRaw) replyLine_.clear();
    std::string buffer;
    int errors = 0;
    auto onLine = [&](const std::string& line, std::string& rest) {
        if (code != CodeRaw) return Rule(code, cmd, line, rest, errors);
        replyLine_ = line; // the first line, whatever it says
        rest.clear();
        return true;
    };
    const bool done = UnidenExchange(link, text, MaxCollectPasses, buffer, onLine);
    if (!buffer.empty() && link.DebugFile > 0) link.DebugLog("Rcvd, not processed:", buffer);
    // A command left unanswered ends the operation: its other commands would
    // only pile up more time-outs.
    if (!done) abandoned_ = true;
    return done;
}

bool Session::Rule(int code, const Command& cmd, const std::string& line, std::string& buffer,
                   int& errors) {
    RadioState& st = ctx_.State;
    Channel& last = st.LastSent;
    auto starts = [&line](const char* p) {
        return line.compare(0, std::char_traits<char>::length(p), p) == 0;
    };
    const Kind k = cmd.Expects;
    // The squelch answer is one character; every other answer is longer.
    if (k == Kind::Squelch && (line == "+" || line == "-" || starts("+") || starts("-"))) {
        if (line[0] == '-') {
            st.SignalLevel = 0;
            return true;
        }
        st.SignalLevel = 9;
        if (ctx_.Config.Global.CtcsMode) {
            if (ctx_.Profile.Memory) Exec(CodeLoadChannel);
            Exec(st.LastSent.Tone1 != 0 ? CodeToneCheck : CodeSignal);
        } else {
            Exec(CodeSignal);
        }
        return true;
    }
    if (line.size() <= 1) return false;
    if (starts("ERR")) {
        buffer += ctx_.Link.SendAndReceive("", "", "");
        if (k == Kind::Signal || k == Kind::Squelch) {
            replyLine_ = line;
            return true;
        }
        if (++errors >= 2) {
            ctx_.Log.Dply("Bearcat Rejected Command " + cmd.Text);
            refused_ = true;
            return true;
        }
        ctx_.Link.RadioDelay();
        return false;
    }
    if (starts("NG")) {
        replyLine_ = line;
        if (cmd.AcceptsNg) return true;
        if (code == CodeRecall || code == CodePoll) {
            // The radio is on a screen that takes no channel: back to the
            // normal screen once, and the command ends unanswered.
            Reset();
            return true;
        }
        ctx_.Log.Dply("Setting out of range! " + cmd.Text);
        refused_ = true;
        return true;
    }
    switch (k) {
    case Kind::Ok:
        if (!starts("OK")) return false;
        Record(code);
        return true;
    case Kind::Mode: {
        if (!starts("RM")) return false;
        const int mode = BearcatModeFromReply(line);
        last.Mode = uint8_t(mode > 0 ? mode : 2);
        return true;
    }
    case Kind::ChannelLine:
        if (line[0] != 'C' || line.size() <= 14) return false;
        if (code == CodePoll || code == CodeLoadChannel) {
            return ParseChannelLine(line); // a garbled line is no answer
        } else {
            Record(code);
        }
        return true;
    case Kind::Flag: {
        const bool n = Column(line, 3) == 'N';
        if (starts("AR")) {
            last.Sync = n;
        } else if (starts("DL")) {
            last.Delay = n;
        } else if (starts("LO")) {
            last.Valid = Column(line, 3) == 'F';
        } else if (starts("CC")) {
            if (n)
                st.SignalLevel = 0;
            else
                Exec(CodeSignal);
        } else if (starts("CT")) {
            last.Notch = n;
        } else {
            return false;
        }
        return true;
    }
    case Kind::Signal:
        if (line[0] != 'S') return false;
        st.SignalLevel = uint8_t(BearcatSignalLevel(Model(), line));
        return true;
    case Kind::Screen:
        if (!starts("MD")) return false;
        screen_ = int(ValInt(line.substr(2)));
        screenRead_ = true;
        return true;
    case Kind::TrunkType: {
        if (!starts("TB")) return false;
        const char letter = Column(line, 4);
        if (letter < 'A' || letter > 'J') return true;
        const int b = (letter - 64) % 10; // "J" is bank 0
        const std::string type = line.size() > 5 ? line.substr(5) : "";
        static const char* const Types[] = {"TY", "E2-8", "E2-9", "E2-U", "E2-V", "ED"};
        for (int i = 0; i < 6; ++i)
            if (type.compare(0, std::char_traits<char>::length(Types[i]), Types[i]) == 0)
                ctx_.Mem.TrunkBanks[size_t(b)].SystemType = uint8_t(i + 1);
        return true;
    }
    case Kind::Squelch:
    case Kind::AnyLine:
        return false;
    }
    return false;
}

// The radio took the command: its part of LastSent now matches.
void Session::Record(int code) {
    RadioState& st = ctx_.State;
    Channel& last = st.LastSent;
    const Channel& cur = st.Current;
    switch (code) {
    case CodeSetDelay:
        last.Delay = cur.Delay;
        break;
    case CodeSetLockout:
        last.Valid = cur.Valid;
        break;
    case CodeSetSync:
        last.Sync = cur.Sync;
        break;
    case CodeSetCtcss:
        last.Notch = cur.Notch;
        break;
    case CodeSetTone:
        last.Tone1 = cur.Tone1;
        break;
    case CodeProgramVfo:
        last.Tone1 = 0; // programming the channel clears its tone
        break;
    default:
        break;
    }
}

bool Session::ParseChannelLine(const std::string& line) {
    RadioState& st = ctx_.State;
    Channel read = st.Current;
    if (!ParseBearcatChannelLine(line, read)) return false;
    st.LastSent = read;
    if (st.LastSent.Frequency != 0) {
        Exec(CodeGetMode);
        Exec(CodeGetCtcss);
    } else {
        st.LastSent.Valid = false;
    }
    return true;
}

bool Session::Reset() {
    screen_ = 0;
    screenRead_ = false;
    Exec(CodeScreen);
    if (ctx_.Link.RadioNotResponding) return false;
    const bool answered = screenRead_;
    const int m = Model();
    int key = 0;
    switch (screen_) {
    case 1:
        break;
    case 6:
    case 7:
    case 9:
    case 10:
    case 11:
    case 12:
    case 18:
    case 19:
    case 20:
        key = CodeKey13;
        break;
    case 8:
        key = m == 1 ? CodeKey22 : CodeKey13;
        break;
    case 13:
    case 15:
    case 16:
        key = m == 2 ? CodeKey01 : CodeKey13;
        break;
    case 17:
        key = m == 2 ? CodeKey22 : CodeKey13;
        break;
    default: // 0, 2..5, 14 and anything above 20
        key = CodeKey01;
        break;
    }
    if (key != 0) Exec(key);
    Exec(CodeScreen);
    if (screen_ == ScreenNormal) return answered;
    // Still not the normal screen: at least switch tone squelch off.
    ctx_.State.Current.Notch = false;
    Exec(CodeGetCtcss);
    Exec(CodeSetCtcss);
    ctx_.State.LastSent.Tone1 = 0;
    return answered;
}

void Session::ApplyState() {
    RadioState& st = ctx_.State;
    Channel& cur = st.Current;
    if (!Exec(CodeProgramVfo) || refused_) {
        // The radio stays where it was: nothing of this state counts as sent.
        st.TuneRefused = true;
        return;
    }
    if (cur.Mode != st.LastSent.Mode) Exec(CodeSetMode);
    if (cur.Atten != st.LastSent.Atten) Exec(CodeAtten);
    if (!ctx_.Config.Global.CtcsMode) {
        if (cur.Notch) Exec(CodeGetCtcss);
        cur.Notch = false;
        if (st.LastSent.Notch) Exec(CodeSetCtcss);
    } else if (cur.Notch) {
        Exec(CodeSetTone);
    }
    if (cur.Notch != st.LastSent.Notch) Exec(CodeSetCtcss);
    if (ctx_.OperatingMode != 1) Exec(CodePoll);
}

void Session::TrunkPreparation(int bankDigit) {
    Reset();
    Exec(CodeKey13Hold);
    if (Model() == 2)
        Raw(std::string("KEY21 ") + char('A' + bankDigit));
    else
        Raw("KEY02 " + std::to_string(bankDigit));
    Exec(CodeKey04);
    Exec(CodeScreen);
}

void Session::StoreChannel() {
    Channel& cur = ctx_.State.Current;
    if (cur.Frequency == 0) {
        cur.Atten = false;
        cur.Valid = false;
        cur.Tone1 = 0;
        cur.Notch = false;
        cur.Mode = 1;
    }
    const int bankDigit = (ctx_.State.CurrentChannel / 100) % 10;
    if (cur.Trunked) {
        TrunkPreparation(bankDigit);
        Exec(CodeProgramChannel);
        Exec(CodeKey13);
        return;
    }
    Exec(CodeProgramChannel);
    Exec(CodeAtten);
    Exec(CodeSetDelay);
    Exec(CodeSetLockout);
    if (Model() != 0 && cur.Frequency > 0) {
        Exec(CodeSetMode);
        Exec(CodeSetSync);
        Exec(CodeSetTone);
    }
}

void Session::Open() {
    RadioState& st = ctx_.State;
    RadioProfile& p = ctx_.Profile;
    const bool answered = Reset();
    // A line that answers, but not with a screen state, is no Bearcat.
    if (!answered) ctx_.Link.RadioNotResponding = true;
    if (ctx_.Link.RadioNotResponding) {
        if (!p.Memory) st.Current.Mode = 2;
        return;
    }
    if (p.Memory) {
        Exec(CodePoll);
        if (!ctx_.Link.RadioNotResponding) {
            st.CurrentChannel = st.LastSent.ChannelNo;
            st.Current = st.LastSent;
        }
        return;
    }
    st.Current.Mode = 2;
    if (p.MinFreq <= st.Current.Frequency && st.Current.Frequency <= p.MaxFreq) {
        Exec(CodeApply);
    } else {
        const int16_t kept = st.CurrentChannel;
        st.CurrentChannel = p.VfoChan;
        Exec(CodeRecall);
        ctx_.Link.RadioDelay();
        Exec(CodePoll);
        st.Current = st.LastSent;
        st.CurrentChannel = kept;
    }
}

void Session::TrunkBody(int t, bool write) {
    RadioState& st = ctx_.State;
    RadioProfile& p = ctx_.Profile;
    Memory& mem = ctx_.Mem;
    const std::string letter(1, BearcatBankLetter(t));
    if (Cancelled() || abandoned_) return;
    if (write) Exec(CodeSetTrunkType);
    st.CurrentChannel = int16_t(t == 0 ? 271 : (t - 1) * 30 + 1);
    Raw("SB " + letter);
    Exec(CodeRecall);
    p.Timeout = TrunkKeyTimeoutMs;
    Exec(CodeKey13);
    ctx_.Link.RadioDelay();
    for (int pass = 0; pass < 2; ++pass) {
        Exec(CodeScreen);
        if (screen_ == 15 || screen_ == 9) Exec(CodeKey01);
        Exec(CodeKey07);
        ctx_.Link.RadioDelay();
        ctx_.Link.RadioDelay();
        Exec(CodeScreen);
        if (IsTrunkListScreen(screen_)) break;
        if (Cancelled()) return;
    }
    const std::string bankText = std::to_string(t);
    if (!IsTrunkListScreen(screen_)) {
        ctx_.Log.Dply("Bank " + bankText + " is not a trunk " + "bank, or no control freq");
        return;
    }
    Raw("AFF");
    p.Timeout = TrunkTimeoutMs;
    TrunkBank& tb = mem.TrunkBanks[size_t(t)];
    if (write) {
        std::string enabled;
        for (int i = 0; i < 10; ++i)
            if (tb.IdBankEnabled[size_t(i)]) enabled += BearcatBankLetter(i);
        Raw("IS " + enabled);
    } else {
        // The radio has confirmed a trunk bank: only now is ours replaced.
        tb.SystemType = 0;
        tb.IdBankEnabled.fill(false);
        for (int i = 0; i < 100; ++i)
            mem.TrunkIds[size_t(t) * 100 + size_t(i)].Id = "__.___";
        Exec(CodeTrunkType);
        const std::string banks = Raw("IS");
        for (size_t c = 3; c < banks.size(); ++c) {
            const char b = banks[c];
            if (b >= 'A' && b <= 'I') tb.IdBankEnabled[size_t(b - 'A') + 1] = true;
            if (b == 'J') tb.IdBankEnabled[0] = true;
        }
    }
    for (int i = 0; i < 10; ++i) {
        for (int pos = 0; pos < 10; ++pos) {
            TrunkId& id = mem.TrunkIds[size_t(t) * 100 + size_t(i) * 10 + size_t(pos)];
            std::string command = "IC " + std::string(1, BearcatBankLetter(i)) + char('0' + pos);
            if (write) {
                const std::string text = BearcatIdText(TrimBlanks(id.Id));
                const bool empty = text.empty() || text[0] == '_' || text[0] == '-';
                command += empty ? " 0" : " " + text;
            }
            const std::string reply = Raw(command);
            if (reply.compare(0, 2, "IC") == 0) {
                std::string value = reply.size() > 6 ? reply.substr(6) : "";
                for (char& c : value)
                    if (!((c >= '0' && c <= '9') || c == ',' || c == '-' || c == '.' || c == '/'))
                        c = ' ';
                id.Id = TrimBlanks(value);
            } else if (reply.compare(0, 2, "NG") == 0 || reply.compare(0, 3, "ERR") == 0) {
                ctx_.Log.Dply("Bank " + bankText + " get/set ID  " + "failed! " + command);
            }
            if (Cancelled() || abandoned_) return;
        }
    }
}

void Session::TrunkIds(int t, bool write) {
    RadioState& st = ctx_.State;
    RadioProfile& p = ctx_.Profile;
    TimeoutGuard timeout(p);
    trunkBank_ = t;
    p.Timeout = TrunkTimeoutMs;
    // Only a radio that shows its screen state is stepped through its keypad.
    if (!Reset() || ctx_.Link.RadioNotResponding) return;
    const std::string scanBanks = Raw("SB");
    const int16_t keptChannel = st.CurrentChannel;

    TrunkBody(t, write);

    Reset();
    st.CurrentChannel = keptChannel;
    timeout.Restore();
    if (!scanBanks.empty()) Raw(scanBanks);
}

} // namespace

// ---- the pure parts ---------------------------------------------------------------

std::string BearcatFrequencyText(int32_t frequency) {
    const int32_t f = frequency < 0 ? 0 : frequency > NoFrequency ? NoFrequency : frequency;
    return ZeroPadded(f / 10, 9).substr(1);
}

bool ParseBearcatChannelLine(const std::string& line, Channel& ch) {
    if (line.size() < 29 || line[0] != 'C') return false;
    const std::string number = line.substr(1, 3);
    const std::string freq = line.substr(6, 8);
    if (!AllDigits(number) || !AllDigits(freq)) return false;
    ch.ChannelNo = int16_t(ValInt(number));
    ch.Frequency = int32_t(ValInt(freq) * 10);
    ch.Trunked = Column(line, 17) == 'N';
    ch.Delay = Column(line, 20) == 'N';
    ch.Valid = Column(line, 23) == 'F';
    ch.Atten = Column(line, 26) == 'N';
    ch.Sync = Column(line, 29) == 'N';
    // The tone: the digits after the "N" of the last field (two or three).
    int tone = 0;
    const size_t n = line.find('N', 29);
    if (n != std::string::npos) {
        size_t end = n + 1;
        while (end < line.size() && end < n + 4 && line[end] >= '0' && line[end] <= '9')
            ++end;
        tone = int(ValInt(line.substr(n + 1, end - n - 1)));
    }
    ch.Tone1 = tone >= 0 && tone < ToneCount ? BearcatToneReverse()[size_t(tone)] : 0;
    return true;
}

int BearcatSignalLevel(int model, const std::string& line) {
    if (line.empty() || line[0] != 'S') return 0;
    size_t at = 1;
    while (at < line.size() && line[at] == ' ')
        ++at;
    const int64_t v = ValInt(line.substr(at));
    if (v <= 0) return 0;
    int64_t level = model == 2 ? (v > 13 ? v - 12 : 2) : v / 19 + 1;
    return int(level > 13 ? 13 : level);
}

int BearcatModeFromReply(const std::string& line) {
    if (line.compare(0, 2, "RM") != 0) return -1;
    const std::string word = TrimBlanks(line.substr(2));
    if (word == "AM") return 4;
    if (word == "FM") return 1;
    if (word == "NFM") return 2;
    if (word == "WFM") return 3;
    return -1;
}

char BearcatBankLetter(int bank) {
    return bank >= 1 && bank <= 9 ? char('A' + bank - 1) : 'J';
}

std::string BearcatIdText(const std::string& id) {
    std::string out;
    for (char c : id)
        if (((c >= '0' && c <= '9') || c == ',' || c == '-' || c == '.' || c == '/' || c == '_') &&
            out.size() < BearcatIdLength)
            out += c;
    return out;
}

// ---- the driver -------------------------------------------------------------------

namespace {

FamilyCaps MakeCaps() {
    SerialDefaults serial;
    serial.Flow = false;
    serial.Detect = DetectSoftware;
    serial.MinChan = 1;
    serial.Baud = 4;
    serial.MaxMhz = "0955.99900";
    serial.MinMhz = "0029.00000";
    serial.MaxChan = 300;
    serial.Timeout = 30;
    serial.VfoChan = 300;

    ModelCaps bc245;
    bc245.Name = "BC245XLT";
    bc245.Serial = serial;
    bc245.VfoAux.CheckCaptions[1] = "Recorder";
    // Unless every aux control is to show: the BC245XLT keeps only the last
    // check box, the BC780XLT loses the first box and the tone list, the
    // BC895XLT the last box.
    bc245.VfoAux.HiddenChecks = 0x1F;
    bc245.VfoAux.HiddenLists = 0x7F;
    bc245.Light = true;
    bc245.Modes = 0x1E; // FM, FM narrow, FM wide and AM

    ModelCaps bc780 = bc245;
    bc780.Name = "BC780XLT";
    bc780.Serial.MaxChan = 500;
    bc780.VfoAux.HiddenChecks = 0x01;
    bc780.VfoAux.HiddenLists = 0x01;
    bc780.Ctcss = true;

    ModelCaps bc895 = bc245;
    bc895.Name = "BC895XLT";
    bc895.VfoAux.HiddenChecks = 0x20;
    bc895.VfoAux.HiddenLists = 0;
    bc895.Light = false;
    bc895.Ctcss = true;

    FamilyCaps caps;
    caps.Protocol = ProtoBearcat;
    caps.Name = "BEARCAT";
    caps.Models = {bc245, bc780, bc895};
    caps.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpSignal | OpLight | OpTrunkIds |
               OpRadioTest;
    caps.RadioMemories = true;
    caps.VfoChannel = true;
    return caps;
}

} // namespace

const FamilyCaps& BearcatDriver::Caps() const {
    static const FamilyCaps caps = MakeCaps();
    return caps;
}

void BearcatDriver::Open(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] { Session(ctx).Open(); });
}

void BearcatDriver::Apply(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] { Session(ctx).Exec(CodeApply); });
}

namespace {

// Reads a channel line into LastSent and takes it as the state read; a line
// the radio did not send leaves the state alone (the channel of code 51 is
// not asked again when it is the one read last).
void ReadChannel(DriverContext& ctx, int code) {
    RadioState& st = ctx.State;
    const bool asks = code != CodeLoadChannel || st.LastSent.ChannelNo != st.CurrentChannel;
    const bool answered = Session(ctx).Exec(code);
    if (asks && !answered) return;
    st.Current = st.LastSent;
}

} // namespace

void BearcatDriver::Read(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] {
        const bool channel = ctx.Profile.Memory && ctx.OperatingMode == 1;
        ReadChannel(ctx, channel ? CodeLoadChannel : CodePoll);
    });
}

void BearcatDriver::Recall(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] {
        Session(ctx).Exec(CodeRecall);
        if (ctx.Profile.Memory) ctx.State.Current = ctx.State.LastSent;
    });
}

void BearcatDriver::Store(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] {
        Session s(ctx);
        s.Exec(CodeStore);
        if (ctx.Profile.Model == 0 && ctx.State.Current.Trunked) s.Exec(CodeKey13);
        // The channel read last may be the one just written: read it afresh.
        if (ctx.State.LastSent.ChannelNo == ctx.State.CurrentChannel)
            ctx.State.LastSent.ChannelNo = -1;
    });
}

void BearcatDriver::Load(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] { ReadChannel(ctx, CodeLoadChannel); });
}

void BearcatDriver::Signal(DriverContext& ctx, DetectMethod detect) {
    UnidenGuarded(ctx, [&] {
        Session s(ctx);
        if (detect == DetectSoftware) {
            s.Exec(CodeSquelch);
        } else if (detect == DetectBoth) {
            s.Exec(CodeSquelch);
            if (ctx.State.SignalLevel != 0) s.Exec(CodeSignal);
        }
    });
}

void BearcatDriver::SetLight(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] { Session(ctx).Exec(CodeLight); });
}

void BearcatDriver::TrunkIds(DriverContext& ctx, int bank, bool write) {
    if (bank < 0 || bank >= TrunkBankCount) return;
    UnidenGuarded(ctx, [&] { Session(ctx).TrunkIds(bank, write); });
}

void BearcatDriver::RadioTest(DriverContext& ctx) {
    UnidenGuarded(ctx, [&] {
        Session s(ctx);
        for (char a = 'A'; a <= 'Z'; ++a) {
            for (char b = 'A'; b <= 'Z'; ++b) {
                std::string word{a, b};
                if (word == "AC") word = "00"; // AC, a clearing command, is never probed
                s.Raw(word);
            }
        }
    });
}

RadioDriver& BearcatFamily() {
    static BearcatDriver driver;
    return driver;
}

} // namespace rigvane
