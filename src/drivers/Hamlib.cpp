#include "drivers/Hamlib.h"

#include <hamlib/rig.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "core/CodeTables.h"
#include "core/Text.h"

namespace rigvane {

namespace {

// Hamlib keeps its backends in process-wide tables: load them all once,
// before any thread uses them, and keep its own chatter off stderr.
void LoadBackends() {
    static std::once_flag once;
    std::call_once(once, [] {
        rig_set_debug(RIG_DEBUG_NONE);
        rig_load_all_backends();
    });
}

const rig_caps* CapsOf(int model) {
    if (model <= 0) return nullptr;
    LoadBackends();
    return rig_get_caps(rig_model_t(model));
}

std::string ErrorText(int code) {
    const char* text = rigerror2(code);
    const std::string t = text ? RightTrim(std::string(text)) : "";
    return !t.empty() && t.back() == '\n' ? t.substr(0, t.size() - 1)
           : t.empty()                    ? "error " + std::to_string(code)
                                          : t;
}

// Refusals: the radio (or Hamlib for it) would not take this one command.
// ETRUNC means the command was carried out with a rounded argument.
bool IsRefusal(int code) {
    switch (std::abs(code)) {
    case RIG_EINVAL:
    case RIG_ENIMPL:
    case RIG_ERJCTED:
    case RIG_ENAVAIL:
    case RIG_ENTARGET:
    case RIG_EDOM:
    case RIG_EVFO:
    case RIG_EARG:
        return true;
    default:
        return false;
    }
}

freq_t HzOf(int32_t frequency) {
    return freq_t(int64_t(frequency) * 10);
}

// Hertz to 10 Hz units, rounded; 0 when it does not fit.
int32_t FrequencyOfHz(freq_t hz) {
    const double units = std::nearbyint(double(hz) / 10.0);
    if (!(units > 0) || units > double(NoFrequency)) return 0;
    return int32_t(units);
}

// What a session learned about its radio when it opened.
struct RigInfo {
    std::string Name;
    bool Strength = false, Dcd = false;
    bool GetChannel = false, SetChannel = false;
    int AttenDb = 0, PreampDb = 0; // first step; 0: none
    bool ReadAtten = false, ReadPreamp = false;
    rmode_t Modes = RIG_MODE_NONE;
};

// The one connection to a Hamlib radio: a worker thread that owns the RIG and
// runs one job at a time. The caller waits through the host, so the event
// loop keeps running while Hamlib waits for its own time-outs.
class HamlibSession : public RadioSession {
  public:
    using Job = std::function<int(RIG*& rig)>;

    explicit HamlibSession(Host& host) : host_(host), thread_([this] { Loop(); }) {}
    ~HamlibSession() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        cv_.notify_one();
        thread_.join(); // the worker finishes its job and closes the radio
    }
    HamlibSession(const HamlibSession&) = delete;
    HamlibSession& operator=(const HamlibSession&) = delete;

    bool IsOpen() const override { return open_; }

    // Runs `job` on the worker and returns its Hamlib result.
    int Call(Job job) {
        auto pending = std::make_shared<Pending>();
        pending->Run = std::move(job);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(pending);
        }
        cv_.notify_one();
        host_.WaitForWorker([&pending] { return pending->Done.load(); });
        return pending->Result;
    }

    bool open_ = false;
    RigInfo Info; // written by the opening job, read after it
    // Set by a silence: an answer may still be on its way and would be taken
    // for the next one's, so the radio is opened afresh before the next call.
    bool Stale = false;

  private:
    struct Pending {
        Job Run;
        int Result = -RIG_EINTERNAL;
        std::atomic<bool> Done{false};
    };

    void Loop() {
        RIG* rig = nullptr;
        for (;;) {
            std::shared_ptr<Pending> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                cv_.wait(lock, [this] { return stop_ || !queue_.empty(); });
                if (queue_.empty()) break;
                job = queue_.front();
                queue_.pop_front();
            }
            try {
                job->Result = job->Run(rig);
            } catch (...) {
                job->Result = -RIG_EINTERNAL;
            }
            job->Done = true;
            host_.Wake();
        }
        if (rig) {
            rig_close(rig);
            rig_cleanup(rig);
        }
    }

    Host& host_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::shared_ptr<Pending>> queue_;
    bool stop_ = false;
    std::thread thread_; // last: starts once the members above exist
};

void Post(DriverContext& ctx, const std::string& line) {
    if (!ctx.Link.LocatingRadio) ctx.Log.Dply(line);
}

// The open session of the link, ready for a call: after a silence the radio
// is closed and opened again first (no message: the silence was told, and
// the first answer tells the return). nullptr when there is none or the
// radio still does not answer.
std::shared_ptr<HamlibSession> SessionOf(DriverContext& ctx) {
    auto session = std::dynamic_pointer_cast<HamlibSession>(ctx.Link.Session);
    // Once the program is ending nothing more is asked; a call already on
    // its way ends within Hamlib's own time-out.
    if (!session || !session->IsOpen() || ctx.Link.Stopping) return nullptr;
    if (session->Stale) {
        const int rc = session->Call([](RIG*& rig) -> int {
            if (!rig) return -RIG_EIO;
            rig_close(rig);
            return rig_open(rig);
        });
        if (rc != RIG_OK) return nullptr;
        session->Stale = false;
    }
    return session;
}

enum class Outcome { Done, Refused, Silent };

// Turns a Hamlib result into the link's rules: silence is told once per
// outage and marks the radio not responding; the first success after it is
// told once; a refusal is told with what was refused (unless `quiet`).
Outcome Check(DriverContext& ctx, HamlibSession& session, int code, const std::string& what,
              bool quiet = false) {
    if (code == RIG_OK || std::abs(code) == RIG_ETRUNC) {
        if (ctx.Link.RadioNotResponding) {
            Post(ctx, "Radio responding again..");
            ctx.Link.RadioNotResponding = false;
        }
        return Outcome::Done;
    }
    if (IsRefusal(code)) {
        if (!quiet) Post(ctx, "Hamlib rejected " + what + " (" + ErrorText(code) + ")");
        return Outcome::Refused;
    }
    if (!ctx.Link.RadioNotResponding)
        Post(ctx, "*Radio not responding. (no response to " + what + ": " + ErrorText(code) + ")");
    ctx.Link.RadioNotResponding = true;
    session.Stale = true;
    return Outcome::Silent;
}

// Program modulation (Channel::Mode) to Hamlib's; SSB follows the usual
// sideband of the frequency, wide FM falls back to FM on a set without WFM.
rmode_t HamlibMode(const Channel& c, rmode_t available) {
    switch (c.Mode) {
    case 1:
    case 2:
        return RIG_MODE_FM;
    case 3:
        return (available & RIG_MODE_WFM) || available == RIG_MODE_NONE ? RIG_MODE_WFM
                                                                        : RIG_MODE_FM;
    case 4:
        return RIG_MODE_AM;
    case 5:
        return RIG_MODE_LSB;
    case 6:
        return RIG_MODE_USB;
    case 7:
        return c.Frequency < 1000000 ? RIG_MODE_LSB : RIG_MODE_USB;
    case 8:
        return RIG_MODE_CW;
    case 9:
        return RIG_MODE_RTTY;
    default:
        return RIG_MODE_NONE;
    }
}

// The passband of a state: FM by its kind (narrow, normal, wide FM sent as
// FM); other modes by the bandwidth, 0..1 narrow and 4..6 wide. Always an
// explicit width: some backends keep the old one for "normal".
pbwidth_t Passband(RIG* rig, const Channel& c, rmode_t mode) {
    const bool fm = c.Mode >= 1 && c.Mode <= 3;
    if (c.Mode == 2 || (!fm && c.Bandwidth <= 1)) return rig_passband_narrow(rig, mode);
    if ((c.Mode == 3 && mode == RIG_MODE_FM) || (!fm && c.Bandwidth >= 4))
        return rig_passband_wide(rig, mode);
    return rig_passband_normal(rig, mode);
}

// Hamlib's modulation and passband back into a state.
// A mode's three passbands as the model knows them (0: none).
struct Passbands {
    pbwidth_t Narrow = 0, Normal = 0, Wide = 0;
    static Passbands Of(RIG* rig, rmode_t mode) {
        if (mode == RIG_MODE_NONE) return {};
        return {rig_passband_narrow(rig, mode), rig_passband_normal(rig, mode),
                rig_passband_wide(rig, mode)};
    }
};

// The bandwidth code (0 narrow, 2 normal, 4 wide) of the passband nearest to
// `width`: backends do not always read back the width they were given.
uint8_t BandwidthOf(pbwidth_t width, const Passbands& p) {
    if (width <= 0 || p.Normal <= 0) return 2;
    uint8_t best = 2;
    pbwidth_t distance = std::labs(width - p.Normal);
    if (p.Narrow > 0 && p.Narrow < p.Normal && std::labs(width - p.Narrow) < distance) {
        best = 0;
        distance = std::labs(width - p.Narrow);
    }
    if (p.Wide > p.Normal && std::labs(width - p.Wide) < distance) best = 4;
    return best;
}

void TakeMode(Channel& c, rmode_t mode, pbwidth_t width, const Passbands& passbands) {
    const uint8_t bandwidth = BandwidthOf(width, passbands);
    uint8_t m = 0;
    if (mode & (RIG_MODE_FM | RIG_MODE_PKTFM | RIG_MODE_FMN))
        m = bandwidth == 0 || (mode & RIG_MODE_FMN) ? 2 : 1;
    else if (mode & RIG_MODE_WFM)
        m = 3;
    else if (mode & (RIG_MODE_AM | RIG_MODE_AMS | RIG_MODE_SAM | RIG_MODE_AMN | RIG_MODE_DSB))
        m = 4;
    else if (mode & (RIG_MODE_LSB | RIG_MODE_PKTLSB | RIG_MODE_ECSSLSB | RIG_MODE_SAL))
        m = 5;
    else if (mode & (RIG_MODE_USB | RIG_MODE_PKTUSB | RIG_MODE_ECSSUSB | RIG_MODE_SAH))
        m = 6;
    else if (mode & (RIG_MODE_CW | RIG_MODE_CWR | RIG_MODE_CWN))
        m = 8;
    else if (mode & (RIG_MODE_RTTY | RIG_MODE_RTTYR))
        m = 9;
    c.Mode = m;
    c.Bandwidth = m == 2 ? 0 : m == 3 ? 4 : bandwidth;
}

void LearnRig(RIG* rig, RigInfo& info) {
    const rig_caps* caps = rig->caps;
    const rig_state& st = rig->state;
    info.Name = std::string(caps->mfg_name ? caps->mfg_name : "") + " " +
                (caps->model_name ? caps->model_name : "");
    // Hamlib works out the strength from a raw reading and the model's
    // calibration where the radio has no strength reading of its own.
    info.Strength = (st.has_get_level & RIG_LEVEL_STRENGTH) ||
                    ((st.has_get_level & RIG_LEVEL_RAWSTR) && st.str_cal.size > 0);
    info.Dcd = caps->get_dcd != nullptr;
    info.GetChannel = caps->get_channel != nullptr;
    info.SetChannel = caps->set_channel != nullptr;
    if (st.has_set_level & RIG_LEVEL_ATT) info.AttenDb = st.attenuator[0];
    if (st.has_set_level & RIG_LEVEL_PREAMP) info.PreampDb = st.preamp[0];
    info.ReadAtten = info.AttenDb > 0 && (st.has_get_level & RIG_LEVEL_ATT);
    info.ReadPreamp = info.PreampDb > 0 && (st.has_get_level & RIG_LEVEL_PREAMP);
    for (int i = 0; i < HAMLIB_FRQRANGESIZ && !RIG_IS_FRNG_END(st.rx_range_list[i]); ++i)
        info.Modes |= st.rx_range_list[i].modes;
}

// A channel record Hamlib can copy into and out of: backends that keep
// extension levels per channel walk this list, so it must be there and end.
struct ChannelBuffer {
    channel_t Chan{};
    ext_list Ext[64]{};
    explicit ChannelBuffer(int number) {
        Chan.channel_num = number;
        Chan.vfo = RIG_VFO_MEM;
        Chan.ext_levels = Ext;
    }
};

// Everything a driver entry point runs is guarded: no exception leaves it.
template <typename Fn> void Guarded(DriverContext& ctx, Fn&& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ctx.Log.Dply("Data Processing Error 6011! Report to author.");
        ctx.Log.Dply(std::string("Error was ") + e.what());
    } catch (...) {
        ctx.Log.Dply("Data Processing Error 6011! Report to author.");
        ctx.Log.Dply("Error was an unknown failure");
    }
}

// The memory channel of State.CurrentChannel into `out` (blank when empty).
Outcome ReadChannel(DriverContext& ctx, HamlibSession& s, Channel& out) {
    const int number = ctx.State.CurrentChannel;
    ChannelBuffer buffer(number);
    Passbands passbands;
    const int rc = s.Call([&](RIG*& rig) {
        const int r = rig_get_channel(rig, RIG_VFO_MEM, &buffer.Chan, 1);
        if (r == RIG_OK && buffer.Chan.mode != RIG_MODE_NONE)
            passbands = Passbands::Of(rig, buffer.Chan.mode);
        return r;
    });
    const Outcome outcome = Check(ctx, s, rc, "memory channel " + std::to_string(number));
    if (outcome != Outcome::Done) return outcome;
    out = MakeBlankChannel();
    const int32_t f = FrequencyOfHz(buffer.Chan.freq);
    if (f <= 0) return outcome;
    out.Frequency = f;
    out.Valid = true;
    TakeMode(out, buffer.Chan.mode, buffer.Chan.width, passbands);
    out.Service = std::string(buffer.Chan.channel_desc,
                              strnlen(buffer.Chan.channel_desc, sizeof buffer.Chan.channel_desc));
    return outcome;
}

FamilyCaps MakeCaps() {
    FamilyCaps caps;
    caps.Protocol = ProtoHamlib;
    caps.Name = "HAMLIB";
    ModelCaps model;
    model.Name = "HAMLIB";
    model.Serial.Detect = DetectSoftware;
    model.Serial.MaxMhz = "1999.99900";
    model.Serial.MinMhz = "0000.00010";
    model.Serial.Timeout = 0; // Hamlib paces and times its own commands
    // The preamp and attenuator boxes and the passband are what we send.
    model.VfoAux.Bandwidths = {"Narrow", "Narrow", "Normal", "Normal", "Wide", "Wide", "Wide"};
    model.VfoAux.HiddenChecks = (1 << 0) | (1 << 1) | (1 << 3) | (1 << 4);
    model.VfoAux.HiddenLists = (1 << 0) | (1 << 1) | (1 << 2) | (1 << 3) | (1 << 5) | (1 << 6);
    caps.Models.push_back(model);
    caps.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpSignal;
    caps.RadioMemories = true;
    caps.OwnConnection = true;
    caps.UsesPort = false;
    return caps;
}

} // namespace

const FamilyCaps& HamlibDriver::Caps() const {
    static const FamilyCaps caps = MakeCaps();
    return caps;
}

uint32_t HamlibDriver::OpsFor(const RadioProfile& profile) const {
    return HamlibOps(profile.HamlibModel);
}

HamlibDriver& HamlibDriverInstance() {
    static HamlibDriver driver;
    return driver;
}

uint32_t HamlibOps(int model) {
    const rig_caps* caps = CapsOf(model);
    if (!caps) return 0;
    uint32_t ops = OpApply | OpRead;
    if (caps->get_channel) ops |= OpRecall | OpLoad;
    if (caps->set_channel) ops |= OpStore;
    // A network rig learns its levels from the server when it opens.
    if ((caps->has_get_level & (RIG_LEVEL_STRENGTH | RIG_LEVEL_RAWSTR)) || caps->get_dcd ||
        caps->port_type == RIG_PORT_NETWORK)
        ops |= OpSignal;
    return ops;
}

namespace {

HamlibModelInfo InfoOf(const rig_caps& caps) {
    HamlibModelInfo info;
    info.Model = int(caps.rig_model);
    info.Manufacturer = caps.mfg_name ? caps.mfg_name : "";
    info.Name = caps.model_name ? caps.model_name : "";
    info.Status = rig_strstatus(caps.status);
    for (int i = 0; i < HAMLIB_CHANLSTSIZ && !RIG_IS_CHAN_END(caps.chan_list[i]); ++i) {
        if (caps.chan_list[i].type == RIG_MTYPE_MEM) {
            info.MinChannel = caps.chan_list[i].startc;
            info.MaxChannel = caps.chan_list[i].endc;
            break;
        }
    }
    freq_t low = 0, high = 0;
    for (const freq_range_t* list : {caps.rx_range_list1, caps.rx_range_list2}) {
        for (int i = 0; i < HAMLIB_FRQRANGESIZ && !RIG_IS_FRNG_END(list[i]); ++i) {
            if (low == 0 || list[i].startf < low) low = list[i].startf;
            if (list[i].endf > high) high = list[i].endf;
        }
    }
    info.MinFreq = low > 0 ? std::max(FrequencyOfHz(low), int32_t(1)) : 0;
    info.MaxFreq = high > 0 ? (FrequencyOfHz(high) > 0 ? FrequencyOfHz(high) : NoFrequency) : 0;
    return info;
}

} // namespace

std::vector<HamlibModelInfo> HamlibModels() {
    LoadBackends();
    std::vector<HamlibModelInfo> models;
    rig_list_foreach(
        [](const rig_caps* caps, rig_ptr_t data) {
            static_cast<std::vector<HamlibModelInfo>*>(data)->push_back(InfoOf(*caps));
            return 1; // go on
        },
        &models);
    std::sort(models.begin(), models.end(), [](const HamlibModelInfo& a, const HamlibModelInfo& b) {
        if (a.Manufacturer != b.Manufacturer) return a.Manufacturer < b.Manufacturer;
        if (a.Name != b.Name) return a.Name < b.Name;
        return a.Model < b.Model;
    });
    return models;
}

HamlibModelInfo HamlibModel(int model) {
    const rig_caps* caps = CapsOf(model);
    return caps ? InfoOf(*caps) : HamlibModelInfo{};
}

bool ParseHamlibConf(const std::string& text, std::vector<std::pair<std::string, std::string>>* out,
                     std::string* bad) {
    out->clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = TrimBlanks(text.substr(start, comma - start));
        start = comma + 1;
        if (item.empty()) continue;
        const size_t eq = item.find('=');
        const std::string key = eq == std::string::npos ? "" : TrimBlanks(item.substr(0, eq));
        if (key.empty()) {
            if (bad) *bad = item;
            return false;
        }
        out->emplace_back(key, TrimBlanks(item.substr(eq + 1)));
    }
    return true;
}

uint8_t SignalFromStrength(int db) {
    if (db <= -54) return 0;
    if (db <= 0) return uint8_t((db + 54) / 6);
    return uint8_t(std::min(12, 9 + db / 10));
}

// ---- operations ------------------------------------------------------------------

void HamlibDriver::Open(DriverContext& ctx) {
    Guarded(ctx, [&] {
        const RadioProfile& profile = ctx.Profile;
        std::vector<std::pair<std::string, std::string>> conf;
        std::string bad;
        if (!ParseHamlibConf(profile.HamlibConf, &conf, &bad)) {
            Post(ctx, "*Hamlib configuration item without a key: \"" + bad + "\"");
            ctx.Link.RadioNotResponding = true;
            return;
        }
        // The profile's device names the radio when the configuration does not.
        const bool hasPath = std::any_of(conf.begin(), conf.end(),
                                         [](const auto& kv) { return kv.first == "rig_pathname"; });
        if (!hasPath && !profile.Device.empty() && profile.Device.rfind("sim:", 0) != 0)
            conf.emplace_back("rig_pathname", profile.Device);

        LoadBackends();
        auto session = std::make_shared<HamlibSession>(ctx.Host);
        ctx.Link.Session = session;
        const int model = profile.HamlibModel;
        std::string detail;
        const int rc = session->Call([&](RIG*& rig) -> int {
            rig = rig_init(rig_model_t(model));
            if (!rig) {
                detail = "Hamlib knows no radio model " + std::to_string(model);
                return -RIG_ENAVAIL;
            }
            int r = RIG_OK;
            for (const auto& [key, value] : conf) {
                const token_t token = rig_token_lookup(rig, key.c_str());
                r = token == RIG_CONF_END ? -RIG_EINVAL : rig_set_conf(rig, token, value.c_str());
                if (r != RIG_OK) {
                    detail = "Hamlib configuration " + key + "=" + value + ": " + ErrorText(r);
                    break;
                }
            }
            if (r == RIG_OK) r = rig_open(rig);
            if (r != RIG_OK) {
                rig_cleanup(rig);
                rig = nullptr;
                return r;
            }
            LearnRig(rig, session->Info);
            return RIG_OK;
        });
        if (rc != RIG_OK) {
            Post(ctx, "*" + (detail.empty() ? "Hamlib could not open model " +
                                                  std::to_string(model) + ": " + ErrorText(rc)
                                            : detail));
            ctx.Link.RadioNotResponding = true;
            return;
        }
        session->open_ = true;
        Post(ctx, "Hamlib: " + session->Info.Name + " (model " + std::to_string(model) + ")");
        Read(ctx);
    });
}

void HamlibDriver::Apply(DriverContext& ctx) {
    Guarded(ctx, [&] {
        auto s = SessionOf(ctx);
        // A radio that is not there, or refuses the frequency, stays where it
        // was: the engine does not listen there and tells the refusal.
        if (!s) {
            ctx.State.TuneRefused = true;
            return;
        }
        const Channel cur = ctx.State.Current;
        const Channel& last = ctx.State.LastSent;
        if (cur.Mode == 0 || cur.Frequency <= 0) return;
        if (cur.Frequency != last.Frequency) {
            const int rc = s->Call([f = HzOf(cur.Frequency)](RIG*& rig) {
                return rig_set_freq(rig, RIG_VFO_CURR, f);
            });
            if (Check(ctx, *s, rc, "frequency " + FreqToText(cur.Frequency), true) !=
                Outcome::Done) {
                ctx.State.TuneRefused = true;
                return;
            }
        }
        // SSB changes sideband with the band, so the mode Hamlib gets is compared too.
        const rmode_t mode = HamlibMode(cur, s->Info.Modes);
        if (cur.Mode != last.Mode || cur.Bandwidth != last.Bandwidth ||
            mode != HamlibMode(last, s->Info.Modes)) {
            const int rc = s->Call([&](RIG*& rig) -> int {
                return rig_set_mode(rig, RIG_VFO_CURR, mode, Passband(rig, cur, mode));
            });
            const std::string name =
                cur.Mode < ModeNames.size() ? TrimBlanks(ModeNames[cur.Mode]) : "";
            if (Check(ctx, *s, rc, "Modulation " + name) == Outcome::Silent) return;
        }
        auto level = [&](bool on, bool was, int db, setting_t which, const char* what) {
            if (db <= 0 || on == was) return true;
            value_t v{};
            v.i = on ? db : 0;
            const int rc =
                s->Call([&](RIG*& rig) { return rig_set_level(rig, RIG_VFO_CURR, which, v); });
            return Check(ctx, *s, rc, what) != Outcome::Silent;
        };
        if (!level(cur.Atten, last.Atten, s->Info.AttenDb, RIG_LEVEL_ATT, "attenuator")) return;
        level(cur.Preamp, last.Preamp, s->Info.PreampDb, RIG_LEVEL_PREAMP, "preamp");
    });
}

void HamlibDriver::Read(DriverContext& ctx) {
    Guarded(ctx, [&] {
        auto s = SessionOf(ctx);
        if (!s) return;
        freq_t hz = 0;
        rmode_t mode = RIG_MODE_NONE;
        pbwidth_t width = 0;
        Passbands passbands;
        value_t att{}, pre{};
        int modeRc = RIG_OK, attRc = RIG_OK, preRc = RIG_OK;
        const RigInfo& info = s->Info;
        const int rc = s->Call([&](RIG*& rig) -> int {
            const int r = rig_get_freq(rig, RIG_VFO_CURR, &hz);
            if (r != RIG_OK) return r;
            modeRc = rig_get_mode(rig, RIG_VFO_CURR, &mode, &width);
            if (modeRc == RIG_OK) passbands = Passbands::Of(rig, mode);
            if (info.ReadAtten) attRc = rig_get_level(rig, RIG_VFO_CURR, RIG_LEVEL_ATT, &att);
            if (info.ReadPreamp) preRc = rig_get_level(rig, RIG_VFO_CURR, RIG_LEVEL_PREAMP, &pre);
            return RIG_OK;
        });
        if (Check(ctx, *s, rc, "frequency read") != Outcome::Done) return;
        Channel& cur = ctx.State.Current;
        cur.Frequency = FrequencyOfHz(hz);
        if (cur.Frequency > 0) cur.Valid = true;
        if (Check(ctx, *s, modeRc, "mode read", true) == Outcome::Done)
            TakeMode(cur, mode, width, passbands);
        if (info.ReadAtten && attRc == RIG_OK) cur.Atten = att.i > 0;
        if (info.ReadPreamp && preRc == RIG_OK) cur.Preamp = pre.i > 0;
    });
}

void HamlibDriver::Signal(DriverContext& ctx, DetectMethod method) {
    Guarded(ctx, [&] {
        auto s = SessionOf(ctx);
        if (!s) { // a radio that does not answer has no signal to hold on to
            ctx.State.SignalLevel = 0;
            return;
        }
        const RigInfo& info = s->Info;
        // Squelch first where the method asks for it or nothing else reads.
        const bool squelch = info.Dcd && (method != DetectSoftware || !info.Strength);
        const bool meter = info.Strength && method != DetectHardware;
        if (!squelch && !meter) {
            ctx.Link.RadioDelay();
            return;
        }
        dcd_t dcd = RIG_DCD_ON;
        value_t strength{};
        int dcdRc = RIG_OK, meterRc = RIG_OK;
        const int rc = s->Call([&](RIG*& rig) -> int {
            if (squelch) {
                dcdRc = rig_get_dcd(rig, RIG_VFO_CURR, &dcd);
                if (dcdRc != RIG_OK || dcd == RIG_DCD_OFF) return dcdRc;
            }
            if (meter) meterRc = rig_get_level(rig, RIG_VFO_CURR, RIG_LEVEL_STRENGTH, &strength);
            return meterRc;
        });
        RadioState& st = ctx.State;
        const Outcome outcome = Check(ctx, *s, rc, "signal request", st.SignalRefusalShown);
        if (outcome != Outcome::Silent) st.SignalRefusalShown = outcome == Outcome::Refused;
        uint8_t level = 0;
        if (outcome == Outcome::Done && dcd != RIG_DCD_OFF)
            level = meter ? SignalFromStrength(strength.i) : 9;
        ctx.State.SignalLevel = level;
    });
}

void HamlibDriver::Recall(DriverContext& ctx) {
    Guarded(ctx, [&] {
        // Until the radio plays the channel, it has refused it.
        ctx.State.TuneRefused = true;
        auto s = SessionOf(ctx);
        if (!s || !s->Info.GetChannel) return;
        Channel chan;
        if (ReadChannel(ctx, *s, chan) != Outcome::Done || chan.Frequency <= 0) return;
        // Tune the VFO to the channel: the radio now plays it.
        const rmode_t mode = HamlibMode(chan, s->Info.Modes);
        const int rc = s->Call([&](RIG*& rig) -> int {
            int r = rig_set_freq(rig, RIG_VFO_CURR, HzOf(chan.Frequency));
            if (r == RIG_OK && mode != RIG_MODE_NONE)
                r = rig_set_mode(rig, RIG_VFO_CURR, mode, Passband(rig, chan, mode));
            return r;
        });
        if (Check(ctx, *s, rc, "memory channel " + std::to_string(ctx.State.CurrentChannel),
                  true) == Outcome::Done) {
            ctx.State.TuneRefused = false;
            Channel& cur = ctx.State.Current;
            cur.Frequency = chan.Frequency;
            cur.Mode = chan.Mode;
            cur.Bandwidth = chan.Bandwidth;
            cur.Valid = true;
        }
    });
}

void HamlibDriver::Load(DriverContext& ctx) {
    Guarded(ctx, [&] {
        auto s = SessionOf(ctx);
        if (!s || !s->Info.GetChannel) return;
        Channel chan;
        if (ReadChannel(ctx, *s, chan) == Outcome::Done) ctx.State.Current = chan;
    });
}

void HamlibDriver::Store(DriverContext& ctx) {
    Guarded(ctx, [&] {
        auto s = SessionOf(ctx);
        if (!s || !s->Info.SetChannel) return;
        const Channel cur = ctx.State.Current;
        const int number = ctx.State.CurrentChannel;
        ChannelBuffer buffer(number);
        // An empty state clears the channel.
        const bool empty = cur.Mode == 0 || cur.Frequency < 1;
        const rmode_t mode = empty ? RIG_MODE_NONE : HamlibMode(cur, s->Info.Modes);
        if (!empty) {
            buffer.Chan.freq = HzOf(cur.Frequency);
            buffer.Chan.mode = mode;
            const std::string name = cur.Service.substr(0, HAMLIB_MAXCHANDESC - 1);
            std::memcpy(buffer.Chan.channel_desc, name.c_str(), name.size() + 1);
        }
        const int rc = s->Call([&](RIG*& rig) -> int {
            if (!empty) buffer.Chan.width = Passband(rig, cur, mode);
            return rig_set_channel(rig, RIG_VFO_MEM, &buffer.Chan);
        });
        Check(ctx, *s, rc, "memory channel " + std::to_string(number));
    });
}

} // namespace rigvane
