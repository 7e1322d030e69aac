#include "drivers/Local.h"

#include "core/CodeTables.h"

namespace rigvane {

namespace {

// Uniform in [0, 1) from the program's random source (a private one when
// the caller gave none).
double Uniform(DriverContext& ctx) {
    static std::mt19937 own{std::random_device{}()};
    std::mt19937& random = ctx.Random ? *ctx.Random : own;
    return std::uniform_real_distribution<double>(0.0, 1.0)(random);
}

} // namespace

const FamilyCaps& LocalDriver::Caps() const {
    static const FamilyCaps caps = [] {
        FamilyCaps f;
        f.Protocol = ProtoLocal;
        f.Name = ProtocolNames[ProtoLocal];
        f.Ops = OpLoad | OpLoadSearchBank;
        f.UsesPort = false;
        f.SearchBankButtons = true;
        ModelCaps m;
        m.Name = ModelName(ProtoLocal, 0);
        m.Detects = 1 << DetectNone; // no port, no line, no signal
        f.Models.push_back(m);
        return f;
    }();
    return caps;
}

void LocalDriver::Load(DriverContext& ctx) {
    auto below = [&ctx](int n) { return int(Uniform(ctx) * n); };
    auto coin = [&below] { return below(2) != 0; };
    Channel& cur = ctx.State.Current;
    cur.Frequency = int32_t(Uniform(ctx) * 99999999);
    cur.Mode = uint8_t((ctx.State.CurrentChannel & 7) + 1);
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
}

void LocalDriver::LoadSearchBank(DriverContext& ctx, Channel& bank) {
    bank.Lower = int32_t(Uniform(ctx) * 99999999);
    bank.Upper = int32_t(Uniform(ctx) * 99999999);
    bank.Step = 500;
    bank.Valid = true;
    bank.Mode = uint8_t((ctx.State.CurrentSearchBank & 7) + 1);
}

RadioDriver& LocalFamily() {
    static LocalDriver driver;
    return driver;
}

} // namespace rigvane
