#include "link/Radio.h"

#include <exception>

#include "core/Text.h"

namespace rigvane {

namespace {

// Sets the selected profile's Busy flag for the length of one operation.
class BusyScope {
  public:
    explicit BusyScope(RadioProfile& p) : profile_(p) { profile_.Busy = true; }
    ~BusyScope() { profile_.Busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    RadioProfile& profile_;
};

// Restores RetryCount when the open sequence ends on any path.
class RetryScope {
  public:
    explicit RetryScope(SerialLink& link) : link_(link) { link_.RetryCount = 1; }
    ~RetryScope() { link_.RetryCount = 3; }
    RetryScope(const RetryScope&) = delete;
    RetryScope& operator=(const RetryScope&) = delete;

  private:
    SerialLink& link_;
};

std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

} // namespace

Radio::Radio(SerialLink& link, RadioState& state, Settings& settings, MessageLog& log, Memory& mem,
             Host& host, Progress* trunkProgress)
    : TrunkProgress(trunkProgress), link_(link), state_(state), settings_(settings), log_(log),
      mem_(mem), host_(host) {}

void Radio::RegisterDriver(int protocol, Driver driver, OpenHook open) {
    if (protocol < 0 || protocol >= ProtocolCount) return;
    drivers_[protocol].Handle = std::move(driver);
    drivers_[protocol].Open = std::move(open);
}

void Radio::RegisterTrunkIds(int protocol, TrunkIdsHook hook) {
    if (protocol < 0 || protocol >= ProtocolCount) return;
    drivers_[protocol].TrunkIds = std::move(hook);
}

bool Radio::HasDriver(int protocol) const {
    return protocol >= 0 && protocol < ProtocolCount && bool(drivers_[protocol].Handle);
}

DriverContext Radio::MakeContext() {
    DriverContext ctx{link_, state_, Profile(), settings_, log_, mem_, host_, 0, false, {}};
    ctx.OperatingMode = OperatingMode;
    ctx.LightOn = state_.LightOn;
    if (TrunkProgress) {
        Progress* progress = TrunkProgress;
        ctx.Cancelled = [progress] { return progress->Cancel; };
    } else {
        ctx.Cancelled = [] { return false; };
    }
    return ctx;
}

void Radio::Send(int request) {
    const int protocol = ProtocolNo();
    if (protocol < 0 || protocol >= ProtocolCount || !drivers_[protocol].Handle) return;
    DriverContext ctx = MakeContext();
    int code = request;
    try {
        drivers_[protocol].Handle(ctx, code);
    } catch (const std::exception& e) {
        // Drivers trap their own failures; this only keeps a stray one from
        // leaving the radio operation.
        log_.Dply("*Radio operation " + std::to_string(request) + " failed!");
        log_.Dply(e.what());
    } catch (...) {
        log_.Dply("*Radio operation " + std::to_string(request) + " failed!");
    }
}

double Radio::Uniform() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(Random);
}

// ---- opening -------------------------------------------------------------------

uint8_t Radio::OpenRadio() {
    const bool locating = link_.LocatingRadio;
    if (!locating) link_.SetBusyCursor(true);
    link_.SetStatus("Connecting To Radio..", Rgb(0, 0, 255));
    state_.ReplyResidue.clear();
    link_.ClosePort();

    RadioProfile& profile = Profile();
    link_.RadioNotResponding = false;
    uint8_t result = 1;
    profile.DriverState = 0;
    state_.CurrentChannel = profile.MinChan;

    if (profile.Protocol > 0 && !PortDeviceName(profile).empty()) {
        if (!link_.OpenPort()) {
            link_.SetBusyCursor(false);
            // While the radio search runs, every failed combination would
            // otherwise raise its own box.
            if (!locating) {
                const std::string port =
                    profile.Device.empty() ? std::to_string(profile.Port) : profile.Device;
                host_.MessageBox("Com Port Failure", "Com port " + port + " Open Failed!",
                                 MsgIcon::Exclamation);
            }
            link_.RadioNotResponding = true;
        }
    }

    state_.LastSent = MakeBlankChannel();
    {
        RetryScope retries(link_);
        if (link_.PortOpen()) {
            result = 2;
            InitialiseRadio();
        }
    }

    const std::string model = ModelName(profile.Protocol, profile.Model);
    if (!link_.RadioNotResponding) {
        if (!locating) {
            link_.SetStatus("Connected", Rgb(0, 64, 0));
            log_.Dply(" " + model + " Connected");
            link_.DebugLog("Open Radio Complete",
                           " Radio =" + std::string(" ") + std::to_string(profile.Protocol));
        }
        result = 0;
    } else if (!locating) {
        link_.SetStatus("Disconnected \r(double click here to retry)", Rgb(255, 0, 0));
        link_.ClosePort();
        log_.Dply("*" + model + " Not Attached");
        link_.DebugLog("Open of  radio failed", " Radio =" + model);
    }
    link_.SetBusyCursor(false);
    return result;
}

void Radio::InitialiseRadio() {
    const int protocol = ProtocolNo();
    if (protocol == ProtoBearcat) {
        BearcatOpen();
        return;
    }
    if (protocol >= 0 && protocol < ProtocolCount && drivers_[protocol].Open) {
        DriverContext ctx = MakeContext();
        try {
            drivers_[protocol].Open(ctx);
        } catch (...) {
            log_.Dply("*Radio initialisation failed!");
        }
        return;
    }
    switch (protocol) {
    case ProtoIcom: // the CI-V open sequence
        Send(3);
        if (!link_.RadioNotResponding) Send(4);
        if (!link_.RadioNotResponding) {
            Send(17);
            Send(18);
        }
        break;
    case ProtoKenwood:
    case ProtoAor3000:
    case ProtoAor8000:
    case ProtoAor5000:
        Send(27);
        Send(50);
        break;
    case ProtoOpto:
        Send(127);
        Send(3);
        break;
    case ProtoDrake:
    case ProtoThf6a:
        Send(29);
        break;
    case ProtoBcd396:
        Send(30);
        if (state_.Current.ModelText != "BCD396T") link_.RadioNotResponding = true;
        break;
    default:
        break;
    }
}

void Radio::BearcatOpen() {
    RadioProfile& profile = Profile();
    if (drivers_[ProtoBearcat].Open) { // the Bearcat reset
        DriverContext ctx = MakeContext();
        try {
            drivers_[ProtoBearcat].Open(ctx);
        } catch (...) {
            log_.Dply("*Radio initialisation failed!");
        }
    }
    if (profile.Memory) {
        Send(50);
        if (!link_.RadioNotResponding) {
            state_.CurrentChannel = state_.LastSent.ChannelNo;
            state_.Current = state_.LastSent;
        }
        return;
    }
    state_.Current.Mode = 2;
    if (link_.RadioNotResponding) return;
    if (profile.MinFreq <= state_.Current.Frequency &&
        state_.Current.Frequency <= profile.MaxFreq) {
        Send(0);
    } else {
        const int16_t kept = state_.CurrentChannel;
        state_.CurrentChannel = profile.VfoChan;
        Send(3);
        link_.RadioDelay();
        Send(50);
        state_.Current = state_.LastSent;
        state_.CurrentChannel = kept;
    }
}

// ---- operations ------------------------------------------------------------------

void Radio::ApplyRadioState() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    const Channel& cur = state_.Current;
    const Channel& last = state_.LastSent;
    if (cur.Mode != 0 && cur.Frequency > 0) {
        switch (profile.Protocol) {
        case ProtoIcom:
        case ProtoOpto:
            if (cur.Frequency != last.Frequency) Send(5);
            if (cur.Mode != last.Mode) Send(6);
            if (cur.Atten != last.Atten) Send(5888);
            if (profile.ExpCmd) {
                if (cur.Agc != last.Agc) Send(5648);
                if (cur.Antenna != last.Antenna) Send(4608);
            }
            break;
        case ProtoKenwood:
            if (cur.Frequency != last.Frequency || cur.Mode != last.Mode) Send(0);
            if (cur.Atten != last.Atten) Send(8);
            if (profile.ExpCmd && (cur.Notch != last.Notch || cur.Antenna != last.Antenna ||
                                   cur.NoiseBlank != last.NoiseBlank || cur.Agc != last.Agc))
                Send(9);
            break;
        case ProtoAor8000:
            Send(0);
            if (profile.ExpCmd && (cur.Notch != last.Notch || cur.Tone1 != last.Tone1)) Send(9);
            break;
        case ProtoAor3000:
        case ProtoDrake:
        case ProtoBearcat:
        case ProtoAor5000:
        case ProtoBcd396:
        case ProtoThf6a:
            Send(0);
            break;
        default: // LOCAL: nothing
            break;
        }
    }
    state_.LastSent = state_.Current;
}

void Radio::CheckReadRange() {
    const RadioProfile& profile = Profile();
    const int32_t f = state_.Current.Frequency;
    if (profile.MinFreq <= f && f <= profile.MaxFreq) return;
    if (f != 0) {
        log_.Dply("Rcvd Frequency out of Radio Range (" + FreqToText(f) + ")");
        log_.Dply("  Max=" + std::to_string(profile.MaxFreq));
        log_.Dply("  Min=" + std::to_string(profile.MinFreq));
        state_.Current = MakeBlankChannel();
    }
}

void Radio::ReadRadioState() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    switch (profile.Protocol) {
    case ProtoIcom:
    case ProtoOpto:
        Send(3);
        if (state_.Current.Frequency != 0) {
            Send(4);
            Send(17);
            if (profile.ExpCmd) Send(18);
        } else {
            state_.Current.Mode = 0;
            state_.Current.Atten = false;
        }
        break;
    case ProtoKenwood:
    case ProtoAor8000:
    case ProtoDrake:
    case ProtoAor5000:
        Send(50);
        break;
    case ProtoAor3000:
        Send(profile.Memory ? 51 : 50);
        break;
    case ProtoBearcat:
        Send(profile.Memory && OperatingMode == 1 ? 51 : 50);
        state_.Current = state_.LastSent;
        break;
    case ProtoThf6a:
        Send(profile.Memory ? 51 : 50);
        Send(125);
        break;
    default: // LOCAL, BCD396T: nothing
        break;
    }
    CheckReadRange();
    state_.LastSent = state_.Current;
}

void Radio::RecallChannel() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    switch (profile.Protocol) {
    case ProtoIcom:
    case ProtoOpto:
        Send(8);
        break;
    case ProtoKenwood:
    case ProtoAor8000:
    case ProtoDrake:
    case ProtoAor5000:
        Send(3);
        break;
    case ProtoAor3000:
        if (state_.CurrentChannel / 100 + 1 != state_.CurrentBank) Send(1);
        Send(3);
        break;
    case ProtoBearcat:
        Send(3);
        if (profile.Memory) state_.Current = state_.LastSent;
        break;
    case ProtoThf6a:
        if (!state_.Current.DriverFlag) {
            state_.Current.DriverFlag = true;
            Send(7);
        }
        Send(3);
        break;
    default:
        break;
    }
}

void Radio::StoreChannel() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    const Channel& cur = state_.Current;
    switch (profile.Protocol) {
    case ProtoIcom: // OPTO cannot store
        Send(8);
        if (cur.Mode == 0 || cur.Frequency < 1) {
            Send(11);
        } else {
            Send(5);
            Send(6);
            Send(5888);
            if (profile.ExpCmd) {
                Send(5648);
                Send(4608);
            }
            Send(9);
        }
        break;
    case ProtoKenwood:
        Send(2);
        break;
    case ProtoAor3000:
        if (state_.CurrentChannel / 100 + 1 != state_.CurrentBank) Send(1);
        if (cur.Frequency < 6) {
            Send(3);
            Send(5);
        } else {
            Send(0);
            Send(2);
        }
        break;
    case ProtoAor8000:
    case ProtoDrake:
        Send(cur.Frequency < 1 ? 5 : 2);
        break;
    case ProtoAor5000:
        Send(cur.Frequency > 0 ? 2 : 5);
        break;
    case ProtoBearcat:
        Send(2);
        if (profile.Model == 0 && state_.Current.Trunked) Send(103);
        break;
    case ProtoThf6a:
        Send(2);
        if (state_.Current.Frequency > 0) Send(122);
        break;
    default: // LOCAL, OPTO, BCD396T: nothing
        break;
    }
}

void Radio::LoadChannel() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    state_.Current = MakeBlankChannel();
    Channel& cur = state_.Current;
    switch (profile.Protocol) {
    case ProtoLocal: {
        auto below = [this](int n) { return int(Uniform() * n); };
        auto coin = [&below] { return below(2) != 0; };
        cur.Frequency = int32_t(Uniform() * 99999999);
        cur.Mode = uint8_t((state_.CurrentChannel & 7) + 1);
        cur.Bandwidth = uint8_t(below(7));
        cur.NoiseBlank = uint8_t(below(3));
        cur.Agc = uint8_t(below(3));
        cur.Antenna = uint8_t(below(3));
        cur.Tone1 = uint8_t(below(43));
        cur.Tone2 = uint8_t(below(43));
        cur.Atten = coin();
        cur.Delay = coin();
        cur.Trunked = coin();
        cur.Notch = coin();
        cur.Preamp = coin();
        cur.Sync = coin();
        cur.Resume = coin();
        cur.Tone2On = coin();
        cur.Valid = true;
        break;
    }
    case ProtoIcom: // OPTO cannot load
        Send(8);
        Send(10);
        Send(3);
        if (state_.Current.Frequency > 0) {
            Send(4);
            Send(17);
            if (profile.ExpCmd) Send(18);
        } else {
            state_.Current = MakeBlankChannel();
        }
        state_.Current.Atten = false;
        break;
    case ProtoKenwood:
    case ProtoAor8000:
    case ProtoDrake:
    case ProtoAor5000:
        Send(51);
        break;
    case ProtoAor3000:
        if (state_.CurrentChannel / 100 + 1 != state_.CurrentBank) Send(1);
        Send(51);
        break;
    case ProtoBearcat:
        Send(51);
        state_.Current = state_.LastSent;
        break;
    case ProtoThf6a:
        Send(51);
        Send(120);
        break;
    default:
        break;
    }
    CheckReadRange();
}

void Radio::ReadSignal() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    const int protocol = profile.Protocol;
    switch (profile.Detect) {
    case 0:
        link_.RadioDelay();
        break;
    case 1: {
        link_.RadioDelay();
        const bool first = link_.CdHolding();
        const bool second = link_.CdHolding();
        const bool carrier = first == second ? first : link_.CdHolding();
        state_.SignalLevel = carrier ? 9 : 0;
        break;
    }
    case 2:
        switch (protocol) {
        case ProtoIcom:
        case ProtoOpto:
            Send(5377);
            if (state_.SignalLevel != 0) Send(5378);
            break;
        case ProtoKenwood:
        case ProtoAor3000:
        case ProtoAor8000:
        case ProtoAor5000:
            Send(52);
            break;
        case ProtoBearcat:
        case ProtoBcd396:
        case ProtoThf6a:
            Send(70);
            break;
        default: // LOCAL, DRAKE
            link_.RadioDelay();
            break;
        }
        break;
    case 3:
        if (protocol == ProtoBcd396) break;
        if (!link_.CdHolding()) {
            state_.SignalLevel = 0;
            break;
        }
        switch (protocol) {
        case ProtoIcom:
        case ProtoOpto:
            Send(5378);
            break;
        case ProtoKenwood:
        case ProtoAor3000:
        case ProtoAor8000:
        case ProtoAor5000:
            Send(52);
            break;
        case ProtoBearcat:
            Send(70);
            if (state_.SignalLevel != 0) Send(52);
            break;
        case ProtoThf6a:
            Send(70);
            break;
        default: // LOCAL, DRAKE
            link_.RadioDelay();
            break;
        }
        break;
    default:
        break;
    }
    if (state_.SignalOff) state_.SignalLevel = 0;
    if (state_.SignalLevel <= state_.SignalThreshold) state_.SignalLevel = 0;
    if (state_.SignalLevel > 11) state_.SignalLevel = 11;
}

void Radio::LoadSearchBank() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    const int bank = state_.CurrentSearchBank;
    if (bank < 0 || bank >= int(mem_.SearchBanks.size())) return;
    Channel& sb = mem_.SearchBanks[bank];
    sb.Lower = 0;
    sb.Upper = 0;
    sb.Step = 0;
    sb.Mode = 1;
    sb.Valid = false;
    sb.Service.clear();
    switch (profile.Protocol) {
    case ProtoLocal:
        sb.Lower = int32_t(Uniform() * 99999999);
        sb.Upper = int32_t(Uniform() * 99999999);
        sb.Step = 500;
        sb.Valid = true;
        sb.Mode = uint8_t((bank & 7) + 1);
        break;
    case ProtoAor8000:
    case ProtoAor5000:
        Send(63);
        break;
    case ProtoThf6a:
        Send(128);
        break;
    default:
        break;
    }
}

void Radio::StoreSearchBank() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    switch (profile.Protocol) {
    case ProtoAor8000:
    case ProtoAor5000:
        Send(20);
        break;
    case ProtoThf6a:
        Send(131);
        break;
    default:
        break;
    }
}

void Radio::SetLight() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    if (profile.Protocol == ProtoBearcat || profile.Protocol == ProtoThf6a) Send(77);
}

void Radio::TrunkTransfer(bool write) {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    if (profile.Protocol != ProtoBearcat) return;
    const TrunkIdsHook& hook = drivers_[ProtoBearcat].TrunkIds;
    Progress none;
    Progress& progress = TrunkProgress ? *TrunkProgress : none;
    progress.Cancel = false;
    progress.Show(write ? "Setting Trunk Bank" : "Loading Trunk Bank");
    for (int idBank = 1; idBank <= 10; ++idBank) {
        if (progress.Cancel) break;
        progress.Update(idBank * 10, TwoDigits(idBank));
        if (hook) {
            DriverContext ctx = MakeContext();
            try {
                hook(ctx, idBank, write);
            } catch (...) {
                log_.Dply("*Trunk bank transfer failed!");
                break;
            }
        }
    }
    progress.Hide();
}

void Radio::LoadTrunkBank() {
    TrunkTransfer(false);
}

void Radio::SetTrunkBank() {
    TrunkTransfer(true);
}

void Radio::RadioTest() {
    RadioProfile& profile = Profile();
    log_.Dply("Starting Radio Testing...");
    link_.RadioDelay();
    BusyScope busy(profile);
    switch (profile.Protocol) {
    case ProtoDrake:
        for (const char* word : {"ID", "RA", "RF", "RC", "RM"}) {
            state_.RawCommand = word;
            Send(78);
        }
        break;
    case ProtoBearcat:
        for (char a = 'A'; a <= 'Z'; ++a) {
            for (char b = 'A'; b <= 'Z'; ++b) {
                std::string word{a, b};
                if (word == "AC") word = "00";
                state_.RawCommand = word;
                Send(78);
            }
        }
        break;
    default:
        break;
    }
    log_.Dply("Ending Radio Testing...");
}

} // namespace rigvane
