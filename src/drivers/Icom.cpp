#include "drivers/Icom.h"

#include <exception>
#include <stdexcept>

#include "core/CodeTables.h"

namespace rigvane {

const std::string CivPreamble = {char(IcomPreamble), char(IcomPreamble)};
const std::string CivEom = {char(IcomEndOfMessage)};

namespace {

constexpr uint8_t Accepted = 0xFB;
constexpr uint8_t Rejected = 0xFA;
constexpr size_t MaxFrameBytes = 100;
// A line that keeps delivering bytes without ever answering must not hold the
// operation forever: after this many collecting passes a try is counted.
constexpr int MaxCollectPasses = 50;

std::string Byte(int b) {
    return std::string(1, char(uint8_t(b)));
}
std::string Bcd(int v) {
    return Byte(((v / 10) % 10) * 16 + v % 10);
}
bool IsBcd(uint8_t b) {
    return (b >> 4) <= 9 && (b & 15) <= 9;
}

// The filter byte of a bandwidth: 03 for 0 or 1, 02 for 2 or 3, 01 above.
int FilterByte(int bandwidth) {
    return bandwidth <= 1 ? 3 : bandwidth <= 3 ? 2 : 1;
}

// The mode bytes of each modulation code 0..9: the mode byte, then a second
// byte, where Filter stands for the filter byte of the bandwidth and None
// for no second byte. The R7000 and the OPTO receivers (old sets with AM, FM
// and one sideband mode) have one table, the R8500 another; every other
// model uses the last one.
constexpr int None = -1;
constexpr int Filter = -2;
constexpr int ModeTable[3][10][2] = {
    // R7000 and OPTO: 5..9 (SSB, CW, FSK) alike.
    {{2, None}, {5, 2}, {5, 2}, {5, None}, {2, None}, {5, 0}, {5, 0}, {5, 0}, {5, 0}, {5, 0}},
    // R8500.
    {{2, None},
     {5, 1},
     {5, 2},
     {6, 1},
     {2, Filter},
     {0, Filter},
     {1, Filter},
     {1, Filter},
     {3, Filter},
     {4, Filter}},
    // Generic, R9000, R746.
    {{2, None},
     {5, 2},
     {5, 3},
     {5, 1},
     {2, Filter},
     {0, Filter},
     {1, Filter},
     {1, Filter},
     {3, Filter},
     {4, Filter}},
};

// Bytes that several modes share read back as the first of them in this
// order: on the old sets FM and FM narrow are one mode (read as FM) and the
// sideband, CW and FSK modes are one (read as SSB); on the others USB and
// SSB are one (read as USB).
constexpr int ReadOrder[2][9] = {{1, 2, 3, 4, 7, 5, 6, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}};

int ModeTableOf(const RadioProfile& profile) {
    if (profile.Protocol == ProtoOpto || profile.Model == 0) return 0;
    return profile.Model == 2 ? 1 : 2;
}

std::string ModeBytes(int table, int mode, int bandwidth) {
    const int* entry = ModeTable[table][mode >= 0 && mode <= 9 ? mode : 9];
    std::string bytes = Byte(entry[0]);
    if (entry[1] == Filter)
        bytes += Byte(FilterByte(bandwidth));
    else if (entry[1] != None)
        bytes += Byte(entry[1]);
    return bytes;
}

// Bandwidth "by f": 01 -> 4, 02 -> 2, 03 -> 0, anything else (or none) -> 2.
uint8_t BandwidthByFilter(int f) {
    return f == 1 ? 4 : f == 3 ? 0 : 2;
}

// The mode reply m, f (f -1 when the radio sent no filter byte). The mode is
// the one whose mode bytes the radio holds, so a mode reads back as it was
// set; a sent mode without a filter byte reads back whatever filter byte the
// radio adds. Bytes no mode of the table sends (the radio was set by hand)
// are read by the general CI-V meaning.
void ReadModeReply(Channel& cur, int table, int m, int f) {
    // Entries with a second byte first: a mode sent without one matches any
    // filter byte and must not take the replies of the others.
    for (bool bare : {false, true}) {
        for (int mode : ReadOrder[table == 0 ? 0 : 1]) {
            const int* entry = ModeTable[table][mode];
            if (entry[0] != m || (entry[1] == None) != bare) continue;
            if (entry[1] == Filter ? f < 1 || f > 3 : entry[1] >= 0 && entry[1] != f) continue;
            cur.Mode = uint8_t(mode);
            cur.Bandwidth = mode == 1 ? 2 : mode == 2 ? 0 : mode == 3 ? 4 : BandwidthByFilter(f);
            return;
        }
    }
    uint8_t mode = 0, bw = 2;
    switch (m) {
    case 0x00:
        mode = 5, bw = BandwidthByFilter(f);
        break;
    case 0x01:
        mode = 6, bw = BandwidthByFilter(f);
        break;
    case 0x02:
    case 0x11:
        mode = 4, bw = BandwidthByFilter(f);
        break;
    case 0x03:
    case 0x07:
        mode = 8, bw = BandwidthByFilter(f);
        break;
    case 0x04:
    case 0x08:
        mode = 9, bw = BandwidthByFilter(f);
        break;
    case 0x05:
        if (f == 0x00)
            mode = 7, bw = 2;
        else if (f == 0x02)
            mode = 2, bw = 0;
        else
            mode = 3, bw = 4;
        break;
    case 0x06:
        mode = 3, bw = 4;
        break;
    default:
        break;
    }
    cur.Mode = mode;
    cur.Bandwidth = bw;
}

// Frequency / 100000 as a plain decimal number: 14652000 gives "146.52".
std::string MegahertzText(int32_t frequency) {
    const int64_t f = frequency;
    const int64_t a = f < 0 ? -f : f;
    std::string text = (f < 0 ? "-" : "") + std::to_string(a / 100000);
    std::string frac = std::to_string(a % 100000);
    frac = std::string(5 - frac.size(), '0') + frac;
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (!frac.empty()) text += "." + frac;
    return text;
}

// Codes answered by a data frame; every other command is answered by FB (or
// FA). An FB never ends a read: it can only belong to another command.
bool IsRead(int code) {
    switch (code) {
    case IcomReadFrequency:
    case IcomReadMode:
    case IcomReadAttenuator:
    case IcomReadAntenna:
    case IcomReadSquelch:
    case IcomReadSMeter:
    case 21:
        return true;
    default:
        return false;
    }
}

class Operation {
  public:
    Operation(DriverContext& ctx, int code) : ctx_(ctx), code_(code) {}

    void Run() {
        RadioState& st = ctx_.State;
        const std::string command = IcomCommand(ctx_.Profile, st, code_);
        const bool tunes = code_ == IcomSetFrequency || code_ == IcomSelectMemory;
        if (command.empty()) {
            if (tunes) st.TuneRefused = true; // nothing the radio could tune to
            return;
        }
        // Every command waits for its answer, settings too: an FB left on the
        // line would otherwise be taken by the next command as its own.
        st.ReplyResidue.clear();
        // A squelch read that gets no answer reports no signal, never the
        // level of an earlier read.
        if (code_ == IcomReadSquelch) st.SignalLevel = 0;
        int tries = 0;
        int collectPasses = 0;
        std::string toSend = command;
        for (;;) {
            if (ctx_.Link.Stopping) { // the program is ending: nothing waits for the answer
                if (tunes) st.TuneRefused = true;
                return;
            }
            if (tries >= ctx_.Link.RetryCount || done_) {
                if (code_ < 12 && !done_) ctx_.Link.RadioNotResponding = true;
                if (tunes) st.TuneRefused = !accepted_;
                return;
            }
            const size_t before = st.ReplyResidue.size();
            st.ReplyResidue += ctx_.Link.SendAndReceive(toSend, CivEom, "");
            if (st.ReplyResidue.size() == before || ++collectPasses >= MaxCollectPasses) {
                ++tries;
                collectPasses = 0;
                toSend = command;
            } else {
                toSend.clear();
            }
            TakeFrames();
            if (!ctx_.Link.PortOpen()) {
                if (tunes) st.TuneRefused = true;
                return;
            }
        }
    }

  private:
    // Cuts every complete frame off the front of ReplyResidue and handles it.
    void TakeFrames() {
        std::string& r = ctx_.State.ReplyResidue;
        for (;;) {
            if (r.find(CivEom) == std::string::npos) return;
            const size_t start = r.find(CivPreamble);
            if (start == std::string::npos) {
                // Keep a lone trailing FE: the other half of a preamble may follow.
                const bool keepFe = !r.empty() && uint8_t(r.back()) == IcomPreamble;
                r = keepFe ? Byte(IcomPreamble) : "";
                return;
            }
            r.erase(0, start);
            const size_t end = r.find(CivEom);
            if (end == std::string::npos) return;
            std::string frame = r.substr(0, end + 1);
            r.erase(0, end + 1);
            // A longer preamble (FE FE FE ...) counts as FE FE.
            size_t extra = 0;
            while (extra + 2 < frame.size() && uint8_t(frame[extra + 2]) == IcomPreamble)
                ++extra;
            frame.erase(0, extra);
            if (frame.size() > MaxFrameBytes) continue; // no answer is that long: noise
            HandleFrame(frame);
        }
    }

    // Byte n (1-based) of the frame when it lies before the final FD, else -1.
    static int DataByte(const std::string& frame, size_t n) {
        return n >= 1 && n < frame.size() ? uint8_t(frame[n - 1]) : -1;
    }

    void HandleFrame(const std::string& frame) {
        // Preamble, two addresses, a command byte and FD at the least.
        if (frame.size() < 6) return;
        const RadioProfile& p = ctx_.Profile;
        if (uint8_t(frame[2]) != p.CompAddr || uint8_t(frame[3]) != p.Addr) return;
        RadioState& st = ctx_.State;
        Channel& cur = st.Current;
        const int cmd = uint8_t(frame[4]);
        switch (cmd) {
        case 0x03:
            if (code_ != IcomReadFrequency) return;
            {
                const int32_t f = IcomFrequencyFromBytes(frame.substr(5, frame.size() - 6));
                cur.Frequency = f;
                if (f > 0) cur.Valid = true;
            }
            done_ = true;
            return;
        case 0x04:
            if (code_ != IcomReadMode) return;
            ReadModeReply(cur, ModeTableOf(p), DataByte(frame, 6), DataByte(frame, 7));
            done_ = true;
            return;
        case 0x11:
            if (code_ != IcomReadAttenuator) return;
            if (DataByte(frame, 6) >= 0) cur.Atten = DataByte(frame, 6) >= 1;
            done_ = true;
            return;
        case 0x12:
            if (code_ != IcomReadAntenna) return;
            if (DataByte(frame, 6) >= 0) cur.Antenna = DataByte(frame, 6) == 0 ? 0 : 2;
            done_ = true;
            return;
        case 0x15: {
            const int sub = DataByte(frame, 6);
            if (sub == 0x01 && code_ == IcomReadSquelch) {
                st.SignalLevel = DataByte(frame, 7) == 0x01 ? 9 : 0;
                st.SignalRefusalShown = false;
                done_ = true;
            } else if (sub == 0x02 && code_ == IcomReadSMeter) {
                st.SignalLevel = SMeterLevel(DataByte(frame, 7), DataByte(frame, 8));
                st.SignalRefusalShown = false;
                done_ = true;
            }
            return;
        }
        case Rejected:
            done_ = true;
            if (code_ == IcomReadFrequency)
                ctx_.Log.Dply("ICOM rejected frequency " + MegahertzText(cur.Frequency) + "Mhz");
            else if (code_ == IcomReadMode)
                ctx_.Log.Dply(std::string("ICOM rejected Modulation ") +
                              (cur.Mode < ModeNames.size() ? ModeNames[cur.Mode] : ""));
            else if ((code_ == IcomReadSMeter || code_ == IcomReadSquelch) &&
                     !st.SignalRefusalShown) {
                ctx_.Log.Dply("ICOM rejected signal request");
                st.SignalRefusalShown = true;
            }
            return;
        case Accepted:
            if (IsRead(code_)) return;
            accepted_ = true;
            done_ = true;
            return;
        default:
            done_ = true;
            return;
        }
    }

    // Two BCD bytes 0000..0255 scaled to 0..12; a malformed or missing
    // reading counts as no signal, a reading above 0255 as full scale.
    static uint8_t SMeterLevel(int hi, int lo) {
        if (hi < 0 || lo < 0 || !IsBcd(uint8_t(hi)) || !IsBcd(uint8_t(lo))) return 0;
        int n = ((hi >> 4) * 10 + (hi & 15)) * 100 + (lo >> 4) * 10 + (lo & 15);
        if (n > 255) n = 255;
        return uint8_t(n * 13 / 256);
    }

    DriverContext& ctx_;
    int code_;
    bool done_ = false;
    bool accepted_ = false; // an FB answered this command
};

} // namespace

std::string IcomFrequencyBytes(int32_t frequency) {
    int64_t hz = int64_t(frequency) * 10;
    std::string out;
    for (int i = 0; i < 5; ++i) {
        out += Bcd(int(hz % 100));
        hz /= 100;
    }
    return out;
}

int32_t IcomFrequencyFromBytes(const std::string& data) {
    if (data.size() < 5) return 0;
    uint64_t hz = 0;
    for (size_t i = data.size(); i-- > 0;) {
        const uint8_t b = uint8_t(data[i]);
        if (b >= 199 || !IsBcd(b)) return 0;
        if (hz > 100000000000ULL) return 0; // far beyond any frequency
        hz = hz * 100 + uint64_t(b >> 4) * 10 + (b & 15);
    }
    uint64_t q = hz / 10;
    const uint64_t r = hz % 10;
    if (r > 5 || (r == 5 && (q & 1))) ++q; // halves to even
    if (q > 2147483647ULL) return 0;
    return int32_t(q);
}

std::string IcomCommand(const RadioProfile& profile, const RadioState& state, int code) {
    const Channel& cur = state.Current;
    const int model = profile.Model;
    if (code < 0 || code > 0xFFFF) return "";
    if (model == 0 && (code == IcomReadAttenuator || code == IcomReadAntenna ||
                       code == IcomSetAntenna || code == IcomSetAgc || code == IcomSetAttenuator))
        return "";
    std::string frame = CivPreamble + Byte(profile.Addr) + Byte(profile.CompAddr);
    if (code < 256) frame += Byte(code);
    switch (code) {
    case IcomSetFrequency:
        if (cur.Frequency < 0 || cur.Frequency > 999999999) return "";
        frame += IcomFrequencyBytes(cur.Frequency);
        break;
    case IcomSetMode:
        if (cur.Mode >= 10) return ""; // mode 10 (and anything unknown) sends nothing
        frame += ModeBytes(ModeTableOf(profile), cur.Mode, cur.Bandwidth);
        break;
    case IcomSelectMemory: {
        const int ch = state.CurrentChannel;
        if (ch < 0 || ch > 9999) return "";
        if (ch > 99) frame += Bcd(ch / 100);
        frame += Bcd(ch % 100);
        break;
    }
    case IcomOptoInit:
        frame += Byte(0x02);
        break;
    case IcomReadSquelch:
        frame += Byte(0x15) + Byte(0x01);
        break;
    case IcomReadSMeter:
        frame += Byte(0x15) + Byte(0x02);
        break;
    case IcomSetAgc:
        if (model == 2)
            frame += Byte(0x16) + Byte(cur.Agc != 0 ? 0x11 : 0x10);
        else
            frame += Byte(0x16) + Byte(0x12) +
                     Byte(cur.Agc == 0   ? 0x00
                          : cur.Agc == 1 ? 0x03
                                         : 0x02);
        break;
    case IcomSetAttenuator:
        frame += Byte(0x11) + Byte(cur.Atten ? 0x20 : 0x00);
        break;
    case IcomSetAntenna:
        frame += Byte(0x12) + (cur.Antenna != 0 ? Byte(0x01) : Byte(0x00)) + Byte(0x00);
        break;
    default:
        break;
    }
    return frame + CivEom;
}

void IcomRequest(DriverContext& ctx, int& request) {
    try {
        if (!ctx.Link.PortOpen()) return;
        Operation(ctx, request).Run();
    } catch (const std::exception& e) {
        ctx.Log.Dply("Data Processing Error 6004! Report to author.");
        ctx.Log.Dply(std::string("Error was ") + e.what());
    } catch (...) {
        ctx.Log.Dply("Data Processing Error 6004! Report to author.");
        ctx.Log.Dply("Error was an unknown failure");
    }
}

// ---- the family driver ---------------------------------------------------------

namespace {

void Request(DriverContext& ctx, int code) {
    IcomRequest(ctx, code);
}

// The settings writes a memory store sends after the frequency and mode.
void SendSettings(DriverContext& ctx) {
    Request(ctx, IcomSetAttenuator);
    if (ctx.Profile.ExpCmd) {
        Request(ctx, IcomSetAgc);
        Request(ctx, IcomSetAntenna);
    }
}

// Mode, attenuator and (with extended commands) antenna, once a frequency
// was read.
void ReadSettings(DriverContext& ctx) {
    Request(ctx, IcomReadMode);
    Request(ctx, IcomReadAttenuator);
    if (ctx.Profile.ExpCmd) Request(ctx, IcomReadAntenna);
}

} // namespace

void IcomDriver::Open(DriverContext& ctx) {
    if (caps_.Protocol == ProtoOpto) {
        Request(ctx, IcomOptoInit);
        Request(ctx, IcomReadFrequency);
        return;
    }
    // A radio that answers neither frequency nor mode is not there.
    Request(ctx, IcomReadFrequency);
    if (ctx.Link.RadioNotResponding) return;
    Request(ctx, IcomReadMode);
    if (ctx.Link.RadioNotResponding) return;
    Request(ctx, IcomReadAttenuator);
    Request(ctx, IcomReadAntenna);
}

void IcomDriver::Apply(DriverContext& ctx) {
    const Channel& cur = ctx.State.Current;
    const Channel& last = ctx.State.LastSent;
    if (cur.Frequency != last.Frequency) Request(ctx, IcomSetFrequency);
    if (cur.Mode != last.Mode) Request(ctx, IcomSetMode);
    if (cur.Atten != last.Atten) Request(ctx, IcomSetAttenuator);
    if (ctx.Profile.ExpCmd) {
        if (cur.Agc != last.Agc) Request(ctx, IcomSetAgc);
        if (cur.Antenna != last.Antenna) Request(ctx, IcomSetAntenna);
    }
}

void IcomDriver::Read(DriverContext& ctx) {
    Request(ctx, IcomReadFrequency);
    Channel& cur = ctx.State.Current;
    if (cur.Frequency != 0) {
        ReadSettings(ctx);
    } else {
        cur.Mode = 0;
        cur.Atten = false;
    }
}

void IcomDriver::Recall(DriverContext& ctx) {
    Request(ctx, IcomSelectMemory);
}

void IcomDriver::Store(DriverContext& ctx) {
    Request(ctx, IcomSelectMemory);
    const Channel& cur = ctx.State.Current;
    if (cur.Mode == 0 || cur.Frequency < 1) {
        Request(ctx, IcomClearMemory);
        return;
    }
    Request(ctx, IcomSetFrequency);
    Request(ctx, IcomSetMode);
    SendSettings(ctx);
    Request(ctx, IcomWriteMemory);
}

void IcomDriver::Load(DriverContext& ctx) {
    Request(ctx, IcomSelectMemory);
    Request(ctx, IcomMemoryToVfo);
    Request(ctx, IcomReadFrequency);
    if (ctx.State.Current.Frequency > 0)
        ReadSettings(ctx);
    else
        ctx.State.Current = MakeBlankChannel();
    // The memory's attenuator is not what the radio will use: it stays off.
    ctx.State.Current.Atten = false;
}

void IcomDriver::Signal(DriverContext& ctx, DetectMethod method) {
    if (method == DetectBoth) { // the carrier-detect line already holds
        Request(ctx, IcomReadSMeter);
        return;
    }
    Request(ctx, IcomReadSquelch);
    if (ctx.State.SignalLevel != 0) Request(ctx, IcomReadSMeter);
}

namespace {

SerialDefaults CivSerial() {
    SerialDefaults s;
    s.Flow = false;
    s.Detect = DetectHardware;
    s.MinChan = 1;
    s.MaxMhz = "0999.99900";
    s.MinMhz = "0025.00000";
    s.MaxChan = 99;
    s.Model = 0;
    return s;
}

FamilyCaps CivFamily(uint8_t protocol) {
    FamilyCaps f;
    f.Protocol = protocol;
    f.Name = ProtocolNames[protocol];
    f.BusAddress = true;
    f.ExtendedCommands = true;
    f.LocateAddresses = true;
    return f;
}

} // namespace

const FamilyCaps& IcomCaps() {
    static const FamilyCaps caps = [] {
        FamilyCaps f = CivFamily(ProtoIcom);
        f.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpSignal;
        for (int model = 0; model <= 4; ++model) {
            ModelCaps m;
            m.Name = ModelName(ProtoIcom, model);
            m.Serial = CivSerial();
            // The R7000 has no signal command: its squelch line only.
            if (model == 0) m.Detects = (1 << DetectNone) | (1 << DetectHardware);
            m.VfoAux.Bandwidths = {"Narrow", "Narrow", "Medium", "Medium", "Wide", "Wide", "Wide"};
            // Only the attenuator box, AGC, antenna and bandwidth mean something.
            m.VfoAux.HiddenChecks = 0x0F;
            m.VfoAux.HiddenLists = (1 << 0) | (1 << 3) | (1 << 5) | (1 << 6);
            f.Models.push_back(m);
        }
        return f;
    }();
    return caps;
}

const FamilyCaps& OptoCaps() {
    static const FamilyCaps caps = [] {
        FamilyCaps f = CivFamily(ProtoOpto);
        // The Opto keeps no memories the program can read or write.
        f.Ops = OpApply | OpRead | OpRecall | OpSignal;
        f.RadioMemories = false;
        ModelCaps m;
        m.Name = ModelName(ProtoOpto, 0);
        m.Serial = CivSerial();
        m.VfoAux.Frame = false;
        f.Models.push_back(m);
        return f;
    }();
    return caps;
}

RadioDriver& IcomFamily() {
    static IcomDriver driver(IcomCaps());
    return driver;
}

RadioDriver& OptoFamily() {
    static IcomDriver driver(OptoCaps());
    return driver;
}

} // namespace rigvane
