#include "drivers/Drake.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "core/CodeTables.h"
#include "core/Text.h"

namespace rigvane {

namespace {

// The driver's own operation codes.
enum Code : int {
    CodeApply = 0,
    CodeStore = 2,
    CodeRecall = 3,
    CodeClear = 5,
    CodeInitialise = 29,
    CodeStatus = 50,
    CodeLoad = 51,
    CodeRawTest = 78,
};

enum class Outcome { Answered, Rejected, PacketError, NoAnswer };

const std::string Cr = "\r";
const std::string Lf = "\n";
constexpr char RecordEnd = 0x7F;
constexpr size_t R8aRecordBytes = 7;
constexpr size_t R8RecordChars = 18;
// Eight BCD digits of 10 Hz: 1000 MHz and above cannot be sent.
constexpr int32_t FrequencyLimit = 100000000;
constexpr int MaxR8aChannel = 999; // three digits
constexpr int MaxR8Channel = 99;   // two digits
constexpr size_t NameChars = 7;
// A line that keeps delivering bytes without completing an answer must not
// hold the operation: after this many collecting passes a try is counted.
constexpr int MaxCollectPasses = 50;

// R8A mode code (bits 5..3 of the mode byte, shifted in place) and R8 mode
// word for Mode 0..9. CW is 24: the radio reads 5 as LSB with another filter.
constexpr uint8_t R8aModeCodes[10] = {40, 32, 32, 32, 40, 0, 8, 16, 24, 16};
const char* const R8ModeWords[10] = {"M6", "M5", "M5", "M5", "M6", "M2", "M1", "M3", "M4", "M3"};
// R8A mode code received (0..7) to Mode.
constexpr uint8_t R8aModesReceived[8] = {5, 6, 9, 8, 1, 4, 0, 0};

// Bit n of a status byte, Bit0 the most significant (128) down to Bit7 (1).
bool Bit(char c, int n) {
    return ((uint8_t(c) >> (7 - n)) & 1) != 0;
}

bool IsBcd(uint8_t b) {
    return (b >> 4) <= 9 && (b & 15) <= 9;
}

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// The radio's "PE" answer, at the start of a line: the bytes 50 45 may also
// stand inside an R8A status record (a frequency with the digits 4550).
bool PacketError(const std::string& reply) {
    for (size_t at = reply.find("PE"); at != std::string::npos; at = reply.find("PE", at + 1))
        if (at == 0 || reply[at - 1] == '\r' || reply[at - 1] == '\n') return true;
    return false;
}

// A memory name as the radio can take it: control bytes would end the line.
std::string NameText(const std::string& service) {
    std::string name = service.substr(0, NameChars);
    for (char& c : name)
        if (uint8_t(c) < 32 || uint8_t(c) == 127) c = ' ';
    return name;
}

bool DecodeR8a(const std::string& rec, Channel& cur) {
    std::string digits;
    for (size_t i = 1; i <= 4; ++i) {
        const uint8_t b = uint8_t(rec[i]);
        if (!IsBcd(b)) return false; // a garbled record
        digits = ZeroPadded(b >> 4, 1) + ZeroPadded(b & 15, 1) + digits;
    }
    cur.Sync = Bit(rec[0], 5);
    cur.Valid = !Bit(rec[0], 6);
    cur.Frequency = int32_t(ValInt(digits));
    const char flags = rec[5];
    cur.NoiseBlank = Bit(flags, 0) ? 2 : Bit(flags, 1) ? 1 : 0;
    cur.Agc = uint8_t(Bit(flags, 2) + Bit(flags, 3));
    cur.Preamp = Bit(flags, 4);
    cur.Atten = Bit(flags, 5);
    cur.Notch = Bit(flags, 6);
    const char mode = rec[6];
    cur.Mode = R8aModesReceived[4 * Bit(mode, 2) + 2 * Bit(mode, 3) + Bit(mode, 4)];
    cur.Bandwidth = uint8_t(4 * Bit(mode, 5) + 2 * Bit(mode, 6) + Bit(mode, 7));
    return true;
}

bool DecodeR8(const std::string& rec, Channel& cur) {
    // Characters 11-12 are the whole MHz, 14-18 the rest in 10 Hz units.
    const std::string mhz = rec.substr(10, 2), rest = rec.substr(13, 5);
    if (!AllDigits(mhz) || !AllDigits(rest)) return false; // a garbled record
    const char p5 = rec[4], p6 = rec[5], p7 = rec[6], p8 = rec[7], p9 = rec[8];
    const double f = double(ValInt(mhz)) * 100000.0 + ValDouble(rest);
    cur.Frequency = f < 1 ? 0 : int32_t(std::lround(f));
    if (cur.Frequency > 0) cur.Valid = true;
    cur.NoiseBlank = Bit(p5, 4) ? 2 : Bit(p5, 5) ? 1 : 0;
    cur.Agc = Bit(p5, 7) ? 1 : Bit(p5, 6) ? 2 : 0;
    cur.Notch = Bit(p6, 6);
    cur.Preamp = Bit(p6, 4);
    cur.Atten = Bit(p6, 5);
    cur.Antenna = Bit(p7, 4) ? 2 : Bit(p7, 5) ? 1 : 0;
    const bool s6 = Bit(p7, 6), s7 = Bit(p7, 7), b4 = Bit(p8, 4);
    uint8_t mode = 4;
    if (!s6 && !s7)
        mode = b4 ? 6 : 5;
    else if (s7 && !s6)
        mode = b4 ? 8 : 9;
    else if (!s7 && s6 && !b4)
        mode = 1;
    cur.Bandwidth = Bit(p8, 5) ? 6 : uint8_t(Bit(p8, 7) + 2 * Bit(p8, 6));
    if (mode == 1 && cur.Bandwidth < 2) mode = 2;
    if (mode == 1 && cur.Bandwidth > 3) mode = 3;
    cur.Mode = mode;
    cur.Sync = Bit(p9, 5);
    return true;
}

// One exchange of the driver with the radio, as a small object so that the
// compound operations (store, load) read as a sequence of codes.
class Operation {
  public:
    explicit Operation(DriverContext& ctx) : ctx_(ctx) {}

    bool R8() const { return ctx_.Profile.Model == 1; }
    int ChannelNo() const { return ctx_.State.CurrentChannel; }

    // The channel as the model writes it; "" (with the message for the R8)
    // when the model has no such channel.
    std::string ChannelText() {
        const int ch = ChannelNo();
        if (R8()) {
            if (ch > MaxR8Channel) {
                ctx_.Log.Dply("Cannot set R8 channel > 99! ");
                return "";
            }
            return ch < 0 ? "" : ZeroPadded(ch, 2);
        }
        return ch < 0 || ch > MaxR8aChannel ? "" : ZeroPadded(ch, 3);
    }

    bool FrequencySendable() const {
        const int32_t f = ctx_.State.Current.Frequency;
        return f >= 0 && f < FrequencyLimit;
    }

    Outcome Apply() {
        if (!FrequencySendable()) return Refuse(Outcome::NoAnswer);
        Channel& cur = ctx_.State.Current;
        std::string command;
        if (R8()) {
            command = DrakeR8TuningLine(cur);
        } else {
            command = "Q" + DrakeR8aPacket(cur) + std::string(1, '\0') + RecordEnd;
        }
        cur.Valid = true;
        return Refuse(Exchange(CodeApply, command));
    }

    // Writes Current (frequency above 0) into the memory channel.
    void Store() {
        if (!FrequencySendable()) return;
        const std::string ch = ChannelText();
        if (ch.empty()) return;
        // Nothing is written into a memory when the radio did not take the tuning.
        if (Apply() != Outcome::Answered) return;
        if (R8()) {
            Exchange(CodeStore, "PR" + ch + Cr);
        } else {
            const int n = ChannelNo();
            const std::string name =
                n >= 0 && n < int(ctx_.Mem.Channels.size()) ? ctx_.Mem.Channels[n].Service : "";
            Exchange(CodeStore, "PR" + ch + Cr + " NC" + NameText(name));
        }
    }

    Outcome Recall() {
        const std::string ch = ChannelText();
        if (ch.empty()) return Refuse(Outcome::NoAnswer);
        return Refuse(Exchange(CodeRecall, "C" + ch));
    }

    // A tuning or recall the radio did not take leaves it where it was.
    Outcome Refuse(Outcome outcome) {
        if (outcome != Outcome::Answered) ctx_.State.TuneRefused = true;
        return outcome;
    }

    void Clear() {
        const int ch = ChannelNo();
        if (ch < 0 || ch > MaxR8aChannel) return;
        Exchange(CodeClear, "EC" + ZeroPadded(ch, 3));
    }

    void Load() {
        // A channel the radio did not recall is not read: the status would
        // be the radio's present tuning, not the memory.
        if (Recall() != Outcome::Answered) return;
        Exchange(CodeStatus, "RA");
    }

    Outcome Exchange(int code, const std::string& command) {
        SerialLink& link = ctx_.Link;
        RadioState& st = ctx_.State;
        const bool awaits = code != CodeInitialise && code != CodeRawTest;
        const std::string eom = awaits ? Lf : "";
        const std::string full = command + Cr;
        st.ReplyResidue.clear();
        Outcome outcome = Outcome::NoAnswer;
        bool done = false;
        int tries = 0, collects = 0;
        std::string toSend = full;
        while (tries < link.RetryCount && !done && link.PortOpen() && !link.Stopping) {
            const bool sent = !toSend.empty();
            if (sent) Pace();
            std::string got = link.SendAndReceive(toSend, eom, Cr);
            if (code == CodeRawTest) {
                for (int i = 0; i < 3; ++i)
                    link.RadioDelay();
                got += link.SendAndReceive("", "", "");
            }
            st.ReplyResidue += got;
            if (!got.empty()) PaceFromNow();
            if (got.empty() || ++collects >= MaxCollectPasses) {
                ++tries;
                collects = 0;
                toSend = full;
                // The link has already tried a silent radio RetryCount times.
                if (got.empty() && sent && link.RadioNotResponding) break;
            } else {
                toSend.clear();
            }
            const std::string& r = st.ReplyResidue;
            if (PacketError(r)) {
                ctx_.Log.Dply("Drake Reported Packet Error! " +
                              std::string(" TIMEOUT increase needed!"));
                outcome = Outcome::PacketError;
                break;
            }
            switch (code) {
            case CodeApply:
            case CodeStore:
            case CodeRecall:
                // NOLINTNEXTLINE(bugprone-branch-clone): the R8 ends an answer unlike the others
                if (R8() && !r.empty() && r[0] == '\n') {
                    done = true;
                } else if (R8() && r.find('\r') != std::string::npos) {
                    ctx_.Log.Dply("Drake Rejected settings!");
                    outcome = Outcome::Rejected;
                    done = true;
                } else if (!R8() && r.find_first_of("\r\n") != std::string::npos) {
                    done = true;
                }
                break;
            case CodeInitialise:
                done = true;
                break;
            case CodeStatus:
                done = DrakeDecodeStatus(r, st.Current);
                break;
            case CodeRawTest:
                done = true;
                WriteTestLine(command, r);
                break;
            default:
                done = r.find_first_of("\r\n") != std::string::npos;
                break;
            }
            if (done && outcome == Outcome::NoAnswer) outcome = Outcome::Answered;
        }
        PaceFromNow();
        return outcome;
    }

  private:
    void PaceFromNow() {
        ctx_.State.PacedUntilMs = ctx_.Host.NowMs() + std::max<int32_t>(ctx_.Profile.Timeout, 0);
    }
    // The radio refuses ("PE") a command that follows its last answer by
    // less than its processing time: one pacing delay after each exchange.
    void Pace() {
        for (int i = 0; i < 100 && !ctx_.Link.Stopping; ++i) {
            const int64_t wait = ctx_.State.PacedUntilMs - ctx_.Host.NowMs();
            if (wait <= 0 || wait > ctx_.Profile.Timeout) return;
            ctx_.Host.WaitForEvents(int(wait));
        }
    }

    void WriteTestLine(const std::string& command, const std::string& answer) {
        std::FILE* file = ctx_.Link.RadioTestFile;
        if (!file) return;
        const std::string line = command + " =>" + SerialLink::HexDump(answer) + "\r\n";
        std::fwrite(line.data(), 1, line.size(), file);
        std::fflush(file);
    }

    DriverContext& ctx_;
};

FamilyCaps MakeCaps() {
    FamilyCaps caps;
    caps.Protocol = ProtoDrake;
    caps.Name = "DRAKE";
    caps.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpRadioTest;
    caps.ExtendedCommands = false;

    AuxSpec aux;
    aux.CheckCaptions[0] = "Notch Filter On";
    aux.HiddenChecks = (1u << 3) | (1u << 4);
    aux.HiddenLists = (1u << 0) | (1u << 5) | (1u << 6);
    aux.Bandwidths = {"0.5khz", "1.8khz", "2.3khz", "4.0khz", "6.0khz", "6.0khz", "6.0khz"};

    ModelCaps r8a;
    r8a.Name = "R8A";
    r8a.Serial.Flow = false;
    r8a.Serial.Detect = DetectNone;
    r8a.Serial.Bits = 8;
    r8a.Serial.Parity = 0; // N
    r8a.Serial.Baud = 4;   // 9600
    r8a.Serial.MaxMhz = "0029.99900";
    r8a.Serial.MinMhz = "0000.00010";
    r8a.Serial.MaxChan = 439;
    r8a.VfoAux = aux;
    r8a.Detects = (1 << DetectNone) | (1 << DetectHardware); // no signal command

    ModelCaps r8 = r8a;
    r8.Name = "R8";
    r8.Serial.Flow = true;
    r8.Serial.Bits = 7;
    r8.Serial.Parity = 2; // E
    caps.Models = {r8a, r8};
    return caps;
}

template <typename Fn> void Guarded(DriverContext& ctx, Fn fn) {
    try {
        if (!ctx.Link.PortOpen()) return;
        fn();
    } catch (const std::exception& e) {
        ctx.Log.Dply("Data Processing Error 60007! Report to author..");
        ctx.Log.Dply(std::string("Error was ") + e.what());
    } catch (...) {
        ctx.Log.Dply("Data Processing Error 60007! Report to author..");
        ctx.Log.Dply("Error was an unknown failure");
    }
}

class DrakeDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override {
        static const FamilyCaps caps = MakeCaps();
        return caps;
    }

    void Open(DriverContext& ctx) override {
        Guarded(ctx, [&] {
            Operation op(ctx);
            op.Exchange(CodeInitialise, "PO VA OF");
            // The power-on command awaits no answer; the status request
            // tells whether a radio is there at all.
            op.Exchange(CodeStatus, "RA");
        });
    }

    void Apply(DriverContext& ctx) override {
        const Channel& cur = ctx.State.Current;
        if (cur.Mode == 0 || cur.Frequency <= 0) return;
        Guarded(ctx, [&] { Operation(ctx).Apply(); });
    }

    void Read(DriverContext& ctx) override {
        Guarded(ctx, [&] { Operation(ctx).Exchange(CodeStatus, "RA"); });
    }

    void Recall(DriverContext& ctx) override {
        Guarded(ctx, [&] { Operation(ctx).Recall(); });
    }

    void Store(DriverContext& ctx) override {
        Guarded(ctx, [&] {
            Operation op(ctx);
            if (ctx.State.Current.Frequency < 1)
                op.Clear();
            else
                op.Store();
        });
    }

    void Load(DriverContext& ctx) override {
        ctx.State.Current = MakeBlankChannel();
        Guarded(ctx, [&] { Operation(ctx).Load(); });
    }

    void RadioTest(DriverContext& ctx) override {
        Guarded(ctx, [&] {
            Operation op(ctx);
            for (const char* word : {"ID", "RA", "RF", "RC", "RM"}) {
                ctx.State.RawCommand = word;
                op.Exchange(CodeRawTest, ctx.State.RawCommand);
            }
        });
    }
};

} // namespace

RadioDriver& DrakeFamily() {
    static DrakeDriver driver;
    return driver;
}

std::string DrakeR8aPacket(Channel& cur) {
    if (cur.Bandwidth > 4) cur.Bandwidth = 4;
    std::string packet;
    packet += char((cur.Sync ? 4 : 0) + (cur.Valid ? 2 : 0));
    int64_t f = cur.Frequency < 0 ? 0 : cur.Frequency % FrequencyLimit;
    for (int i = 0; i < 4; ++i) {
        const int pair = int(f % 100);
        packet += char((pair / 10) * 16 + pair % 10);
        f /= 100;
    }
    int flags = cur.NoiseBlank == 2 ? 0xC0 : cur.NoiseBlank == 1 ? 0x40 : 0;
    flags += cur.Agc == 2 ? 0x30 : cur.Agc == 1 ? 0x10 : 0;
    if (cur.Preamp) flags += 0x08;
    if (cur.Atten) flags += 0x04;
    if (cur.Notch) flags += 0x02;
    packet += char(flags);
    const uint8_t mode = R8aModeCodes[cur.Mode <= 9 ? cur.Mode : 0];
    packet += char((mode + (cur.Antenna & 3) * 64 + cur.Bandwidth) & 0xFF);
    return packet;
}

std::string DrakeR8TuningLine(const Channel& cur) {
    const int32_t f = cur.Frequency < 0 ? 0 : cur.Frequency;
    std::string line = ZeroPadded(f % 1000000000, 9).substr(1, 7);
    line += std::string(" ") + R8ModeWords[cur.Mode <= 9 ? cur.Mode : 0];
    line += cur.Agc == 0 ? " AO" : cur.Agc == 1 ? " AS" : " AF";
    line += cur.Antenna == 0 ? " A1" : cur.Antenna == 1 ? " AC" : " A2";
    const int width = cur.Bandwidth <= 2 ? cur.Bandwidth : cur.Bandwidth == 3 ? 4 : 6;
    line += " W" + SignedText(width);
    line += cur.NoiseBlank == 0 ? " BF" : cur.NoiseBlank == 1 ? " BN" : " BW";
    line += cur.Notch ? " NO" : " NF";
    line += cur.Sync ? " SF" : " SO";
    line += cur.Atten ? " G-" : cur.Preamp ? " G+" : " G0";
    return line;
}

bool DrakeDecodeStatus(const std::string& reply, Channel& cur) {
    if (reply.find(RecordEnd) != std::string::npos) {
        // The record is the seven bytes before its 7F (a 7F may also end a
        // record that came short: then the next one is waited for).
        for (size_t end = reply.find(RecordEnd); end != std::string::npos;
             end = reply.find(RecordEnd, end + 1)) {
            if (end >= R8aRecordBytes &&
                DecodeR8a(reply.substr(end - R8aRecordBytes, R8aRecordBytes), cur))
                return true;
        }
        return false;
    }
    size_t start = 0;
    for (size_t pair = reply.find("\r\n"); pair != std::string::npos;
         pair = reply.find("\r\n", pair + 2)) {
        while (start < pair && (reply[start] == '\r' || reply[start] == '\n'))
            ++start;
        if (pair - start >= R8RecordChars && DecodeR8(reply.substr(start, pair - start), cur))
            return true;
        start = pair + 2;
    }
    return false;
}

} // namespace rigvane
