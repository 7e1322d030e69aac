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

// One try per request while the radio is opened; the retry count the link
// had is back when the open sequence ends on any path.
class RetryScope {
  public:
    explicit RetryScope(SerialLink& link) : link_(link), saved_(link.RetryCount) {
        link_.RetryCount = 1;
    }
    ~RetryScope() { link_.RetryCount = saved_; }
    RetryScope(const RetryScope&) = delete;
    RetryScope& operator=(const RetryScope&) = delete;

  private:
    SerialLink& link_;
    int saved_;
};

} // namespace

Radio::Radio(SerialLink& link, RadioState& state, Settings& settings, MessageLog& log, Memory& mem,
             Host& host, Progress* trunkProgress)
    : TrunkProgress(trunkProgress), link_(link), state_(state), settings_(settings), log_(log),
      mem_(mem), host_(host) {}

bool Radio::Has(RadioOp op) const {
    const RadioDriver* driver = Driver();
    return driver && (driver->OpsFor(settings_.Selected()) & op) != 0;
}

DriverContext Radio::Context() {
    DriverContext ctx{link_, state_, Profile(), settings_, log_,   mem_,
                      host_, 0,      false,     {},        &Random};
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

template <class Call> bool Radio::Run(RadioOp op, Call&& call) {
    RadioDriver* driver = Driver();
    if (!driver || !(driver->OpsFor(Profile()) & op)) return false;
    DriverContext ctx = Context();
    try {
        call(*driver, ctx);
        return true;
    } catch (const std::exception& e) {
        // Drivers trap their own failures; this only keeps a stray one from
        // leaving the radio operation.
        log_.Dply("*Radio operation failed!");
        log_.Dply(e.what());
    } catch (...) {
        log_.Dply("*Radio operation failed!");
    }
    return false;
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
    profile.DriverState = 0;
    state_.DriverFlag = false;
    state_.ModelText.clear();
    state_.CurrentChannel = profile.MinChan;
    state_.LastSent = MakeBlankChannel();

    RadioDriver* driver = Driver();
    if (!driver) {
        // Nothing is sent to a radio no driver speaks to, and nothing says
        // it is connected.
        link_.RadioNotResponding = true;
        if (!locating) {
            link_.SetStatus("Not Attached", Rgb(255, 0, 0));
            log_.Dply("*" + NotSupportedText(profile.Protocol));
        }
        link_.SetBusyCursor(false);
        return OpenNoDriver;
    }

    uint8_t result = OpenPortFailed;
    if (driver->Caps().UsesPort) {
        if (PortDeviceName(profile).empty()) {
            // A radio on no port cannot answer: never "Connected".
            link_.RadioNotResponding = true;
        } else if (!link_.OpenPort()) {
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

    {
        RetryScope retries(link_);
        // A family that opens the radio itself (Hamlib) needs no port.
        if (link_.PortOpen() || driver->Caps().OwnConnection) {
            result = OpenNoAnswer;
            InitialiseRadio(*driver);
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
        result = OpenConnected;
    } else if (!locating) {
        link_.SetStatus("Disconnected \r(double click here to retry)", Rgb(255, 0, 0));
        link_.ClosePort();
        log_.Dply("*" + model + " Not Attached");
        link_.DebugLog("Open of  radio failed", " Radio =" + model);
    }
    link_.SetBusyCursor(false);
    return result;
}

void Radio::InitialiseRadio(RadioDriver& driver) {
    DriverContext ctx = Context();
    try {
        driver.Open(ctx);
    } catch (...) {
        log_.Dply("*Radio initialisation failed!");
        link_.RadioNotResponding = true;
    }
}

// ---- operations ------------------------------------------------------------------

void Radio::KeepWhatWasSent(bool refused) {
    // What the radio did not take is not recorded as sent: the blank copy
    // makes the next apply send every field again.
    state_.LastSent = refused || link_.RadioNotResponding ? MakeBlankChannel() : state_.Current;
}

void Radio::ApplyRadioState() {
    BusyScope busy(Profile());
    const Channel& cur = state_.Current;
    state_.TuneRefused = false; // the driver tells about this apply
    if (cur.Mode != 0 && cur.Frequency > 0)
        Run(OpApply, [](RadioDriver& d, DriverContext& ctx) { d.Apply(ctx); });
    KeepWhatWasSent(state_.TuneRefused);
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
    BusyScope busy(Profile());
    Run(OpRead, [](RadioDriver& d, DriverContext& ctx) { d.Read(ctx); });
    CheckReadRange();
    KeepWhatWasSent(false);
}

void Radio::RecallChannel() {
    BusyScope busy(Profile());
    Run(OpRecall, [](RadioDriver& d, DriverContext& ctx) { d.Recall(ctx); });
}

void Radio::StoreChannel() {
    BusyScope busy(Profile());
    Run(OpStore, [](RadioDriver& d, DriverContext& ctx) { d.Store(ctx); });
}

void Radio::LoadChannel() {
    BusyScope busy(Profile());
    state_.Current = MakeBlankChannel();
    Run(OpLoad, [](RadioDriver& d, DriverContext& ctx) { d.Load(ctx); });
    CheckReadRange();
}

void Radio::ReadSignal() {
    RadioProfile& profile = Profile();
    BusyScope busy(profile);
    auto command = [this](DetectMethod method) {
        // A family without a signal command only paces the check.
        if (!Run(OpSignal, [method](RadioDriver& d, DriverContext& ctx) { d.Signal(ctx, method); }))
            link_.RadioDelay();
    };
    // A family with its own connection has no carrier-detect line of ours:
    // its driver reads the radio's squelch for every method but none.
    const RadioDriver* driver = Driver();
    const bool own = driver && driver->Caps().OwnConnection;
    switch (own && profile.Detect != DetectNone ? -1 : int(profile.Detect)) {
    case -1:
        command(DetectMethod(profile.Detect));
        break;
    case DetectNone:
        link_.RadioDelay();
        break;
    case DetectHardware: {
        link_.RadioDelay();
        const bool first = link_.CdHolding();
        const bool second = link_.CdHolding();
        const bool carrier = first == second ? first : link_.CdHolding();
        state_.SignalLevel = carrier ? 9 : 0;
        break;
    }
    case DetectSoftware:
        command(DetectSoftware);
        break;
    case DetectBoth:
        if (!link_.CdHolding()) {
            state_.SignalLevel = 0;
            break;
        }
        command(DetectBoth);
        break;
    default:
        break;
    }
    if (state_.SignalOff) state_.SignalLevel = 0;
    if (state_.SignalLevel <= state_.SignalThreshold) state_.SignalLevel = 0;
    if (state_.SignalLevel > 11) state_.SignalLevel = 11;
}

void Radio::LoadSearchBank() {
    BusyScope busy(Profile());
    const int bank = state_.CurrentSearchBank;
    if (bank < 0 || bank >= int(mem_.SearchBanks.size())) return;
    Channel& sb = mem_.SearchBanks[size_t(bank)];
    sb.Lower = 0;
    sb.Upper = 0;
    sb.Step = 0;
    sb.Mode = 1;
    sb.Valid = false;
    sb.Service.clear();
    Run(OpLoadSearchBank, [&sb](RadioDriver& d, DriverContext& ctx) { d.LoadSearchBank(ctx, sb); });
}

void Radio::StoreSearchBank() {
    BusyScope busy(Profile());
    const int bank = state_.CurrentSearchBank;
    if (bank < 0 || bank >= int(mem_.SearchBanks.size())) return;
    const Channel& sb = mem_.SearchBanks[size_t(bank)];
    Run(OpStoreSearchBank,
        [&sb](RadioDriver& d, DriverContext& ctx) { d.StoreSearchBank(ctx, sb); });
}

void Radio::SetLight() {
    BusyScope busy(Profile());
    Run(OpLight, [](RadioDriver& d, DriverContext& ctx) { d.SetLight(ctx); });
}

void Radio::TrunkTransfer(bool write) {
    BusyScope busy(Profile());
    if (!Has(OpTrunkIds)) return;
    Progress none;
    Progress& progress = TrunkProgress ? *TrunkProgress : none;
    progress.Cancel = false;
    progress.Show(write ? "Setting Trunk Bank" : "Loading Trunk Bank");
    // One trunk bank per call, 1..9 and then 0; the window shows the bank.
    for (int step = 1; step <= TrunkBankCount; ++step) {
        if (progress.Cancel) break;
        const int bank = step % TrunkBankCount;
        progress.Update(step * 10, ZeroPadded(bank, 2));
        const bool ran = Run(OpTrunkIds, [bank, write](RadioDriver& d, DriverContext& ctx) {
            d.TrunkIds(ctx, bank, write);
        });
        // A radio gone silent would cost every remaining bank its time-outs.
        if (!ran || link_.RadioNotResponding) break;
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
    log_.Dply("Starting Radio Testing...");
    link_.RadioDelay();
    {
        BusyScope busy(Profile());
        // A walk over a radio's command words is long: the progress window's
        // Cancel ends it (the driver asks DriverContext::Cancelled).
        Progress none;
        Progress& progress = TrunkProgress ? *TrunkProgress : none;
        progress.Cancel = false;
        if (Has(OpRadioTest)) progress.Show("Testing Radio");
        Run(OpRadioTest, [](RadioDriver& d, DriverContext& ctx) { d.RadioTest(ctx); });
        if (Has(OpRadioTest)) progress.Hide();
    }
    log_.Dply("Ending Radio Testing...");
}

} // namespace rigvane
