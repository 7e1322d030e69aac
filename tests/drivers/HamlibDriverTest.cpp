// The HAMLIB driver against Hamlib's own dummy radio (model 1), in-process.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/LinkRig.h"
#include "core/CodeTables.h"
#include "drivers/Hamlib.h"
#include "drivers/Registry.h"

namespace rigvane::test {
namespace {

constexpr int DummyModel = 1;

// The link rig with the HAMLIB driver's context; the link opens no port for this family.
struct HamlibRig : LinkRig {
    explicit HamlibRig(int model = DummyModel, const std::string& conf = "") {
        RadioProfile& p = Profile();
        p.Protocol = ProtoHamlib;
        p.HamlibModel = model;
        p.HamlibConf = conf;
        p.Timeout = 0;
    }
    HamlibDriver& driver = HamlibDriverInstance();
    DriverContext ctx = radio.Context();

    void Tune(int32_t frequency, uint8_t mode, uint8_t bandwidth = 2) {
        state.Current.Frequency = frequency;
        state.Current.Mode = mode;
        state.Current.Bandwidth = bandwidth;
        driver.Apply(ctx);
        state.LastSent = state.Current;
    }
    Channel ReadBack() {
        state.Current = MakeBlankChannel();
        driver.Read(ctx);
        return state.Current;
    }
    int Count(const std::string& needle) const { return CountMessages(needle); }
};

TEST(HamlibDriver, OpensTunesAndReadsBackFrequencyModeAndPassband) {
    HamlibRig r;
    r.driver.Open(r.ctx);
    ASSERT_FALSE(r.link.RadioNotResponding);
    EXPECT_TRUE(r.link.Connected());
    EXPECT_FALSE(r.link.PortOpen()); // Hamlib holds the device, not the link
    EXPECT_EQ(r.Count("Hamlib: Hamlib Dummy (model 1)"), 1);
    EXPECT_GT(r.state.Current.Frequency, 0); // the open reads the radio

    // Narrow FM, AM on a wide filter, SSB by the band, CW, FSK as RTTY.
    const struct {
        int32_t f;
        uint8_t mode, bandwidth, wantMode, wantBandwidth;
    } cases[] = {{14652000, 2, 2, 2, 0}, {1210000, 4, 4, 4, 4}, {714000, 7, 2, 5, 2},
                 {1420000, 7, 2, 6, 2},  {703000, 8, 2, 8, 2},  {1410000, 9, 2, 9, 2}};
    for (const auto& c : cases) {
        r.Tune(c.f, c.mode, c.bandwidth);
        const Channel back = r.ReadBack();
        EXPECT_EQ(back.Frequency, c.f);
        EXPECT_EQ(back.Mode, c.wantMode) << int(c.mode);
        EXPECT_EQ(back.Bandwidth, c.wantBandwidth) << int(c.mode);
    }
    // An unchanged state sends nothing that could fail; a blank one nothing at all.
    r.state.Current = MakeBlankChannel();
    r.driver.Apply(r.ctx);
    EXPECT_EQ(r.ReadBack().Frequency, 1410000);
    EXPECT_EQ(r.Count("rejected"), 0);
}

TEST(HamlibDriver, SignalFollowsTheDetectMethodAndTheMeterScale) {
    // The dummy's S-meter held at S9-12 dB; its squelch opens every other read.
    HamlibRig r(DummyModel, "static_data=1");
    r.driver.Open(r.ctx);
    ASSERT_FALSE(r.link.RadioNotResponding);
    r.state.SignalLevel = 99;
    r.driver.Signal(r.ctx, DetectSoftware);
    EXPECT_EQ(r.state.SignalLevel, 7);
    // The squelch alone gives 9 or 0; with both, an open squelch gives the
    // meter's level and a closed one 0 without asking the meter.
    std::set<int> squelch, both;
    for (int i = 0; i < 6; ++i) {
        r.driver.Signal(r.ctx, DetectHardware);
        squelch.insert(r.state.SignalLevel);
        if (i % 3 == 0) r.driver.Signal(r.ctx, DetectHardware); // shift the toggling
        r.driver.Signal(r.ctx, DetectBoth);
        both.insert(r.state.SignalLevel);
    }
    EXPECT_EQ(squelch, (std::set<int>{0, 9}));
    EXPECT_EQ(both, (std::set<int>{0, 7}));

    // The scale: nothing at or below S0, 6 dB per S unit, 10 dB steps over S9.
    EXPECT_EQ(SignalFromStrength(-80), 0);
    EXPECT_EQ(SignalFromStrength(-54), 0);
    EXPECT_EQ(SignalFromStrength(-48), 1);
    EXPECT_EQ(SignalFromStrength(-1), 8);
    EXPECT_EQ(SignalFromStrength(0), 9);
    EXPECT_EQ(SignalFromStrength(20), 11);
    EXPECT_EQ(SignalFromStrength(60), 12);
}

TEST(HamlibDriver, MemoriesKeepTheirNameAndEmptyOrMissingChannelsAreRefused) {
    HamlibRig r;
    r.driver.Open(r.ctx);
    ASSERT_FALSE(r.link.RadioNotResponding);
    EXPECT_EQ(HamlibOps(DummyModel) & (OpRecall | OpStore | OpLoad), OpRecall | OpStore | OpLoad);

    r.state.CurrentChannel = 5;
    r.state.Current = MakeBlankChannel();
    r.state.Current.Frequency = 14652000;
    r.state.Current.Mode = 1;
    r.state.Current.Service = "CALLING";
    r.driver.Store(r.ctx);
    r.state.Current = MakeBlankChannel();
    r.driver.Load(r.ctx);
    EXPECT_EQ(r.state.Current.Service, "CALLING");

    // Recall tunes the radio to the channel; an empty one is nothing to tune to.
    r.Tune(4400000, 4);
    r.state.Current = MakeBlankChannel();
    r.driver.Recall(r.ctx);
    EXPECT_FALSE(r.state.TuneRefused);
    EXPECT_EQ(r.state.Current.Frequency, 14652000);
    r.state.Current = MakeBlankChannel();
    r.state.Current.Mode = 0;
    r.driver.Store(r.ctx);
    r.driver.Recall(r.ctx);
    EXPECT_TRUE(r.state.TuneRefused);

    // A channel the radio does not have is refused, told, and nothing is loaded.
    r.state.CurrentChannel = 900;
    r.state.Current.Frequency = 12345678;
    r.driver.Load(r.ctx);
    EXPECT_EQ(r.state.Current.Frequency, 12345678);
    EXPECT_EQ(r.Count("Hamlib rejected memory channel 900"), 1);
    EXPECT_FALSE(r.link.RadioNotResponding); // a refusal is not silence
}

TEST(HamlibDriver, BadModelsAndConfigurationsAreToldAndNeverConnect) {
    // Operations on a radio that did not open send nothing, tune nowhere
    // and find no signal.
    {
        HamlibRig r(987654);
        r.driver.Open(r.ctx);
        r.state.Current.Frequency = 14652000;
        r.state.Current.Mode = 1;
        r.driver.Apply(r.ctx);
        EXPECT_TRUE(r.state.TuneRefused);
        r.state.SignalLevel = 5;
        r.driver.Signal(r.ctx, DetectSoftware);
        EXPECT_EQ(r.state.SignalLevel, 0);
        EXPECT_EQ(r.Count("Hamlib"), 1);
        EXPECT_EQ(HamlibOps(987654), 0u);
        EXPECT_EQ(HamlibModel(987654).Model, 0);
    }
    const struct {
        int model;
        const char *conf, *message;
    } failing[] = {
        {987654, "", "Hamlib knows no radio model 987654"},
        {DummyModel, "no_such_key=1", "Hamlib configuration no_such_key=1"},
        {DummyModel, "timeout=100, ,garbage", "item without a key: \"garbage\""},
        // Nobody listens on the network radio's port: the open fails, told once.
        {2, "rig_pathname=127.0.0.1:1,timeout=200,retry=0", "Hamlib could not open model 2"},
    };
    for (const auto& b : failing) {
        HamlibRig r(b.model, b.conf);
        r.driver.Open(r.ctx);
        EXPECT_TRUE(r.link.RadioNotResponding) << b.message;
        EXPECT_FALSE(r.link.Connected()) << b.message;
        EXPECT_EQ(r.Count(b.message), 1);
    }

    std::vector<std::pair<std::string, std::string>> conf;
    std::string bad;
    ASSERT_TRUE(ParseHamlibConf(" rig_pathname = /dev/ttyUSB0 ,serial_speed=19200,,", &conf, &bad));
    ASSERT_EQ(conf.size(), 2u);
    EXPECT_EQ(conf[0], (std::pair<std::string, std::string>{"rig_pathname", "/dev/ttyUSB0"}));
    EXPECT_EQ(conf[1].second, "19200");
    EXPECT_TRUE(ParseHamlibConf("", &conf, &bad));
    EXPECT_TRUE(conf.empty());
    EXPECT_FALSE(ParseHamlibConf("a=1,=2", &conf, &bad));
    EXPECT_EQ(bad, "=2");
}

TEST(HamlibDriver, TheRadioOperationsOpenAndScanItWithoutASerialPort) {
    HamlibRig r;
    Radio& radio = r.radio;
    InstallDrivers(radio);
    RadioProfile& p = r.Profile();
    p.Port = 0; // Hamlib opens the radio; no port of ours is involved
    p.MinFreq = 10;
    p.MaxFreq = NoFrequency - 1;
    ASSERT_EQ(radio.OpenRadio(), OpenConnected);

    // Every detect method but none asks the radio, never a line of ours.
    p.Detect = DetectHardware;
    std::set<int> levels;
    for (int i = 0; i < 6; ++i) {
        radio.ReadSignal();
        levels.insert(r.state.SignalLevel);
    }
    EXPECT_EQ(levels, (std::set<int>{0, 9}));

    // Opening another radio lets the first one go; a model Hamlib does not
    // know is never "Connected".
    p.HamlibModel = 987654;
    EXPECT_NE(radio.OpenRadio(), OpenConnected);
    EXPECT_FALSE(r.link.Connected());
    EXPECT_EQ(r.Count("HAMLIB Not Attached"), 1);
}

} // namespace
} // namespace rigvane::test
