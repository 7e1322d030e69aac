// The trunk editor's Load and Save as engine actions against the simulated
// BC895XLT: they run in the main loop, a running scan waits on the mode
// stack and carries on afterwards.
#include "EngineFixture.h"

#include "sim/BearcatRadio.h"

namespace rigvane::test {
namespace {

TEST(TrunkTransfer, LoadDuringAScanRunsInTheLoopAndTheScanResumes) {
    SimHost host;
    App app(host);
    auto peer =
        std::make_shared<SimPeer>(std::make_unique<BearcatRadio>(BearcatRadio::Model::Bc895));
    auto& sim = dynamic_cast<BearcatRadio&>(peer->Radio());
    sim.Memories[1] = {4625625, true}; // bank 1 holds a trunked control channel
    sim.TrunkBanks[1].Type = 1;
    sim.TrunkBanks[1].IdBankEnabled[2] = true;
    sim.TrunkBanks[1].Ids[23] = "100-07";
    ActiveFrequency hit;
    hit.FrequencyHz = 154570000;
    hit.Level = 6;
    hit.OnMs = 1000; // a short call now and then, so the scan moves on
    hit.OffMs = 3000;
    sim.Schedule.Entries.push_back(hit);
    app.link.SetPortFactory([&](const std::string&) -> std::unique_ptr<SerialPort> {
        auto port = std::make_unique<SimulatedPort>(host, peer);
        port->LatencyMs = 5;
        return port;
    });
    RadioProfile& p = app.settings.Selected();
    p.Protocol = ProtoBearcat;
    p.Model = 2;
    p.Device = "sim:bearcat-bc895";
    p.Timeout = 30;
    p.Detect = DetectSoftware;
    p.MinChan = 1;
    p.MaxChan = 300;
    p.VfoChan = 300;
    p.MinFreq = 0;
    for (int n = 10; n <= 12; ++n) {
        Channel& c = app.memory.Channels[size_t(n)];
        c.Frequency = n == 11 ? 15457000 : 14600000 + n * 1000;
        c.Mode = 1;
        c.Valid = true;
    }
    Recorder view;
    Engine engine(app);
    engine.SetView(&view);
    ASSERT_EQ(app.radio.OpenRadio(), 0);

    // The progress window opens inside the action's pass, with the scan
    // waiting on the mode stack.
    std::vector<int> modesAtShow, stackedAtShow;
    app.progress.OnShow = [&](const std::string&) {
        modesAtShow.push_back(engine.State().Mode);
        stackedAtShow.push_back(engine.State().Stack[size_t(engine.State().StackTop)].Mode);
    };
    int visitsBefore = 0, visitsAfter = 0;
    bool asked = false;
    view.OnDisplayChannel = [&] {
        if (engine.State().Mode != ModeScan) return;
        (modesAtShow.empty() ? visitsBefore : visitsAfter) += 1;
    };
    // The click comes while the scan waits for the radio.
    const int64_t deadline = host.NowMs() + 120000;
    host.OnYield = [&] {
        if (!asked && visitsBefore >= 4) {
            asked = true;
            engine.RequestAction(ActionLoadTrunkIds);
        }
        if (host.NowMs() > deadline || visitsAfter >= 4) engine.RequestMode(ModeManual);
    };
    engine.RequestMode(ModeScan);
    while (engine.State().Mode != ModeManual)
        engine.RunPass();
    host.OnYield = nullptr;

    EXPECT_EQ(modesAtShow, std::vector<int>{ModePendingAction});
    EXPECT_EQ(stackedAtShow, std::vector<int>{ModeScan});
    EXPECT_GE(visitsAfter, 4) << "the scan goes on after the transfer";
    EXPECT_EQ(app.memory.TrunkIds[123].Id, "100-07");
    EXPECT_EQ(app.memory.TrunkBanks[1].SystemType, 1);
    EXPECT_TRUE(app.memory.MemoryEdited);
    int notTrunk = 0;
    for (const auto& line : app.log.History())
        notTrunk += line.find("is not a trunk bank") != std::string::npos;
    EXPECT_EQ(notTrunk, 9) << "every other bank said so once";
}

} // namespace
} // namespace rigvane::test
