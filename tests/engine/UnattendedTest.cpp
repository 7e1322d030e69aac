// Unattended operation: a radio that drops mid-scan is brought back on the
// 1-2-5-10 s schedule and the scan carries on after the channel it was on;
// every hit becomes one journal record when it ends; the scan rate the
// statistics show is the rate the scan runs at.
#include <fstream>

#include "EngineFixture.h"
#include "common/TempDir.h"
#include "storage/HitJournal.h"

namespace rigvane::test {
namespace {

// An EngineRig whose simulated adapter can be pulled out and put back.
struct UnplugRig : EngineRig {
    UnplugRig() {
        app.link.SetPortFactory([this](const std::string& device) -> std::unique_ptr<SerialPort> {
            if (!IsSimDevice(device)) return nullptr;
            OpenTimes.push_back(host.NowMs());
            if (!Present) return nullptr; // the device node is gone
            auto port = std::make_unique<SimulatedPort>(host, peer);
            port->LatencyMs = 5; // virtual time moves on with every exchange
            Port = port.get();
            return port;
        });
        app.radio.OpenRadio();
        journalDir = std::make_unique<TempDir>();
        G().Journal = journalDir->Path() + "/hits.csv";
    }
    // Pulls the adapter out `atMs` from now and puts it back `downMs` later.
    void UnplugAt(int atMs, int downMs) {
        host.CallLater(atMs, [this, downMs] {
            UnpluggedAt = host.NowMs();
            OpenTimes.clear();
            Present = false;
            Port->Unplug();
            host.CallLater(downMs, [this] { Present = true; });
        });
    }
    std::vector<std::vector<std::string>> JournalRows() {
        std::vector<std::vector<std::string>> rows;
        std::ifstream in(G().Journal);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::vector<std::string> fields;
            EXPECT_TRUE(SplitCsvLine(line, &fields)) << line;
            EXPECT_EQ(fields.size(), 8u) << line;
            rows.push_back(fields);
        }
        return rows;
    }

    bool Present = true;
    SimulatedPort* Port = nullptr;
    std::vector<int64_t> OpenTimes; // port openings since the last unplug
    int64_t UnpluggedAt = -1;
    std::unique_ptr<TempDir> journalDir;
};

TEST(Reconnect, ARadioThatDropsMidScanComesBackAndTheScanCarriesOn) {
    for (const int downMs : {3000, 60000}) {
        SCOPED_TRACE(downMs);
        UnplugRig r;
        for (int n = 1; n <= 6; ++n)
            r.SetChannel(n, 150.0 + n);
        r.Active(153.0, 7); // channel 3 always busy; the resume timer lets go
        r.G().SigRsm = 1;
        r.G().RsmTime = 1;
        // Channels visited, in order, with the time of each visit.
        std::vector<std::pair<int64_t, int>> visits;
        r.view.OnDisplayChannel = [&] {
            if (r.S().Mode == ModeScan && !r.app.link.RadioNotResponding)
                visits.push_back({r.host.NowMs(), r.app.radioState.CurrentChannel});
        };
        // A window event every 40 ms: how late does it run while the radio is away?
        int64_t worstLatency = 0;
        std::function<void(int64_t)> tick = [&](int64_t due) {
            worstLatency = std::max(worstLatency, r.host.NowMs() - due);
            r.host.CallLater(40, [&, due] { tick(due + 40); });
        };
        r.host.CallLater(40, [&] { tick(r.host.NowMs()); });

        r.engine->RequestMode(ModeScan);
        r.UnplugAt(4300, downMs);
        r.RunFor(4300 + downMs + 15000);

        EXPECT_EQ(r.Messages("Radio Communication failure!"), 1);
        EXPECT_EQ(r.Messages("Radio reconnected after"), 1);
        EXPECT_EQ(r.Messages("Not Attached"), 0);
        EXPECT_EQ(r.Messages("Radio refused"), 0);
        EXPECT_EQ(r.Messages("Starting"), 1); // the scan was not started again
        EXPECT_TRUE(r.host.Boxes.empty());
        EXPECT_LT(worstLatency, 100);

        // The first try after 1 s, the last within 10 s of the device's return
        // (the whole back-off schedule is checked with the reconnector).
        ASSERT_GE(r.OpenTimes.size(), 2u);
        EXPECT_NEAR(double(r.OpenTimes[0] - r.UnpluggedAt), 1000, 150);
        EXPECT_GE(r.OpenTimes.back() - r.UnpluggedAt, downMs);
        EXPECT_LT(r.OpenTimes.back() - r.UnpluggedAt, downMs + 10200);

        // The first channel visited after the recovery follows the last one before the loss.
        auto after = std::find_if(visits.begin(), visits.end(),
                                  [&](const auto& v) { return v.first > r.UnpluggedAt; });
        ASSERT_NE(after, visits.begin());
        ASSERT_NE(after, visits.end());
        const int before = std::prev(after)->second;
        EXPECT_EQ(after->second, before % 6 + 1);

        // Hits went on after the recovery, and each hit is one journal record.
        const int64_t back = r.OpenTimes.back();
        const auto rows = r.JournalRows();
        ASSERT_GE(rows.size(), 3u);
        EXPECT_EQ(rows[0][0], "Start");
        EXPECT_EQ(int(rows.size()) - 1, r.HitLines(3));
        EXPECT_EQ(int64_t(rows.size()) - 1, r.S().Stats.Hits);
        int hitsAfter = 0;
        for (size_t i = 1; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i][2], "003");
            EXPECT_EQ(rows[i][3], "153.00000");
            EXPECT_EQ(rows[i][5], "7");
            EXPECT_GE(std::stod(rows[i][1]), 0.0);
        }
        for (const auto& v : visits)
            hitsAfter += v.first > back && v.second == 3;
        EXPECT_GE(hitsAfter, 1);
    }
}

TEST(Reconnect, SwitchedOffItStaysDownAndAUserConnectIsNotRetried) {
    UnplugRig r;
    for (int n = 1; n <= 3; ++n)
        r.SetChannel(n, 150.0 + n);
    r.G().Reconnect = false;
    r.engine->RequestMode(ModeScan);
    r.UnplugAt(1000, 2000);
    r.RunFor(20000);
    EXPECT_EQ(r.Messages("Radio Communication failure!"), 1);
    EXPECT_EQ(r.Messages("Radio reconnected"), 0);
    EXPECT_TRUE(r.OpenTimes.empty());

    // A radio that never answered after the user chose it is not retried behind their back.
    UnplugRig u;
    u.Present = false;
    u.engine->RequestMode(ModeConnect);
    u.OpenTimes.clear();
    u.RunFor(30000);
    EXPECT_EQ(u.OpenTimes.size(), 1u); // the user's own attempt only
    EXPECT_EQ(u.Messages("Radio reconnected"), 0);
}

TEST(HitJournal, HeldSignalsAreRecordedWithTheirDurationsWhenTheyEnd) {
    UnplugRig r;
    r.SetChannel(1, 145.0);
    r.SetChannel(2, 146.0);
    r.Ch(2).Service = "Fire, \"North\"";
    r.Active(146.0, 5, 3, 5); // three seconds of S5, five quiet, ...
    r.engine->RequestMode(ModeScan);
    r.RunFor(12000);
    // The first hit came after the scan started, the second one with the signal.
    auto rows = r.JournalRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][2], "002");
    EXPECT_EQ(rows[2][3], "146.00000");
    EXPECT_NEAR(std::stod(rows[2][1]), 3.0, 0.3);
    EXPECT_FALSE(rows[2][4].empty());
    EXPECT_EQ(rows[2][5], "5");
    EXPECT_EQ(rows[2][6], "Fire, \"North\"");
    EXPECT_EQ(rows[2][7], ModelName(ProtoIcom, 2));
    ASSERT_EQ(r.app.journal.Records().size(), 2u);

    // The export holds the records since start in the same format.
    const std::string exported = r.journalDir->Path() + "/export.csv";
    r.view.Files.push_back(exported);
    r.engine->RequestAction(ActionExportJournal);
    r.RunFor(100);
    std::ifstream a(r.G().Journal), b(exported);
    const std::string journal((std::istreambuf_iterator<char>(a)), {});
    const std::string copy((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(copy, journal);
}

TEST(Statistics, TheScanRateShownIsTheRateTheScanRuns) {
    EngineRig r;
    for (int n = 1; n <= 20; ++n)
        r.SetChannel(n, 150.0 + n);
    r.LatencyMs = 7;
    r.app.radio.OpenRadio();
    r.engine->RequestMode(ModeScan);
    r.RunFor(3000); // settle
    const int64_t v0 = r.S().Stats.Visits, t0 = r.host.NowMs();
    r.engine->RequestMode(ModeScan);
    r.RunFor(10000);
    const double measured = double(r.S().Stats.Visits - v0) * 1000.0 / double(r.host.NowMs() - t0);
    ASSERT_GT(measured, 1.0);
    EXPECT_NEAR(r.S().Stats.ChannelsPerSecond, measured, measured * 0.1);
    const LinkStats& l = r.app.link.Stats;
    EXPECT_GT(l.Exchanges, r.S().Stats.Visits); // a tune and a squelch read per visit at least
    EXPECT_EQ(l.Timeouts, 0);
    EXPECT_GE(l.LastLatencyMs, 7);
    EXPECT_NE(r.engine->StatisticsLine().find("channels/s"), std::string::npos);
}

} // namespace
} // namespace rigvane::test
