// The signal check: listening window, hits, delay and resume timers, the
// priority check, the meter and the "off" button.
#include <tuple>

#include "EngineFixture.h"

namespace rigvane::test {
namespace {

// Tunes the simulated radio to channel n as the scan would.
void TuneTo(EngineRig& r, int n) {
    r.app.radioState.CurrentChannel = int16_t(n);
    r.app.radioState.Current = r.Ch(n);
    r.app.radio.ApplyRadioState();
}

const std::string SMeter("\x15\x02", 2);

TEST(SignalCheck, TheListeningWindowFollowsSpeedAndTimeout) {
    EngineRig r;
    r.SetChannel(1, 145.0);
    TuneTo(r, 1);
    r.Profile().Timeout = 100;
    r.G().Speed = 0;
    int before = r.SquelchReads();
    r.engine->SignalCheck();
    EXPECT_EQ(r.SquelchReads() - before, 1);

    r.Profile().Timeout = 99;
    r.G().Speed = 50; // 1000 ms / (99 + 1) = 10 reads
    before = r.SquelchReads();
    r.engine->SignalCheck();
    EXPECT_EQ(r.SquelchReads() - before, 10);
    EXPECT_EQ(r.Ch(1).Count, 0);
}

TEST(SignalCheck, TheListeningWindowIsATimeHoweverLongAReadTakes) {
    // SPEED 5: a 100 ms window. Timeout 10 divides it into reads 11 ms apart;
    // a Timeout longer than the window leaves one read, and the hold.
    for (auto [timeout, latency, reads] :
         {std::tuple{10, 1, 9}, {10, 40, 3}, {1000, 1, 1}, {1000, 40, 1}}) {
        EngineRig r;
        r.LatencyMs = latency;
        r.Profile().Timeout = timeout;
        r.app.radio.OpenRadio();
        r.SetChannel(1, 145.0);
        TuneTo(r, 1);
        r.G().Speed = 5;
        const int before = r.SquelchReads();
        const int64_t t0 = r.host.NowMs();
        r.engine->SignalCheck();
        const int64_t took = r.host.NowMs() - t0;
        EXPECT_EQ(r.SquelchReads() - before, reads) << timeout << " " << latency;
        // Held the window, overrun by at most the one read under way.
        EXPECT_GE(took, 100) << timeout << " " << latency;
        EXPECT_LE(took, 100 + latency) << timeout << " " << latency;
    }
}

TEST(SignalCheck, AHitIsCountedStampedDescribedAndShown) {
    EngineRig r;
    r.SetChannel(12, 145.5);
    r.app.database.DbFreq = {14550000};
    r.app.database.DbDesc = {"Fire dispatch"};
    r.app.database.DbCount = 1;
    r.app.database.Reindex();
    TuneTo(r, 12);
    r.Active(145.5, 5, 2, 100); // two seconds of S5
    r.engine->RequestMode(ModeScan);
    const int64_t t0 = r.host.NowMs();
    r.engine->SignalCheck();
    const int64_t took = r.host.NowMs() - t0;
    EXPECT_GE(took, 2000);
    EXPECT_LT(took, 2600);
    const Channel& c = r.Ch(12);
    EXPECT_EQ(c.Count, 1);
    EXPECT_EQ(c.TimeStamp, r.host.WallStart + t0 / 1000);
    EXPECT_EQ(c.Service, "Fire dispatch");
    EXPECT_EQ(c.Signal, 5);
    EXPECT_GE(c.ActiveTime, 1);
    EXPECT_TRUE(r.app.memory.MemoryEdited);
    EXPECT_EQ(Engine::HitLine(12, c, 5),
              std::string("CH 012 0145.50000  ") + ModeNames[2] + " S05");
    EXPECT_EQ(r.HitLines(12), 1);
    EXPECT_EQ(r.app.radioState.SignalLevel, 0);
}

TEST(SignalCheck, DelayListensOnAfterTheDropAndANewSignalIsANewHit) {
    EngineRig r;
    r.SetChannel(4, 150.0);
    r.Ch(4).Delay = true;
    r.G().DlyTime = 3;
    r.Profile().Timeout = 100;
    // Replies take a moment, so every read waits one pacing delay.
    r.LatencyMs = 10;
    r.app.radio.OpenRadio();
    TuneTo(r, 4);
    r.engine->RequestMode(ModeScan);

    // A signal until 2 s: after the drop 3000 / 101 = 29 quiet reads of
    // about 100 ms each.
    r.Active(150.0, 7, 2, 100);
    ASSERT_LT(r.host.NowMs(), 1000);
    const int quiet = r.SquelchReads() - r.Count(SMeter);
    r.engine->SignalCheck();
    const int quietReads = r.SquelchReads() - r.Count(SMeter) - quiet;
    EXPECT_GE(quietReads, 29);
    EXPECT_LE(quietReads, 30); // the read that saw the drop may be one of them
    EXPECT_GE(r.host.NowMs() - 2000, 2900);
    EXPECT_LT(r.host.NowMs() - 2000, 3400);
    EXPECT_EQ(r.Ch(4).Count, 1);

    // The signal comes back 1 s after the drop: a second hit in the same check.
    r.sim->Schedule.Entries.clear();
    r.host.Advance(3000 - r.host.NowMs() % 3000); // the start of a period
    r.Active(150.0, 7, 2, 1);
    const int64_t t0 = r.host.NowMs();
    r.host.OnYield = [&] {
        if (r.host.NowMs() - t0 > 3500) r.sim->Schedule.Entries.clear();
    };
    r.engine->SignalCheck();
    r.host.OnYield = nullptr;
    EXPECT_EQ(r.Ch(4).Count, 3);
    EXPECT_EQ(r.HitLines(4), 3);
}

TEST(SignalCheck, ResumeLeavesAContinuousSignal) {
    EngineRig r;
    r.SetChannel(1, 145.0);
    r.SetChannel(2, 146.0);
    r.Ch(1).Resume = true;
    r.G().RsmTime = 5;
    r.Active(145.0, 9); // always on
    r.app.radioState.CurrentChannel = 1;
    r.engine->RequestMode(ModeScan);
    int64_t reachedTwo = -1;
    r.RunUntil(
        [&] {
            if (r.sim->FrequencyHz == 146000000 && reachedTwo < 0) reachedTwo = r.host.NowMs();
            return reachedTwo >= 0;
        },
        20000);
    EXPECT_GE(reachedTwo, 5000);
    EXPECT_LT(reachedTwo, 6500);
    EXPECT_EQ(r.Ch(1).Count, 1);
    EXPECT_GE(r.Ch(1).ActiveTime, 4);

    // Without the resume flag (and the "Resume" box off) the scan stays put.
    EngineRig s;
    s.SetChannel(1, 145.0);
    s.SetChannel(2, 146.0);
    s.Active(145.0, 9);
    s.app.radioState.CurrentChannel = 1;
    s.engine->RequestMode(ModeScan);
    bool left = false;
    s.RunUntil([&] { return left = left || s.sim->FrequencyHz == 146000000; }, 20000);
    EXPECT_FALSE(left);
}

TEST(SignalCheck, PriorityChannelIsVisitedEveryIntervalWhileABusyChannelHolds) {
    EngineRig r;
    r.SetChannel(1, 145.0);
    r.SetChannel(2, 146.0);
    r.SetChannel(9, 155.0);
    r.Active(145.0, 9);
    r.G().Priority = true;
    r.G().PriorTime = 10;
    r.G().PriorityChannel = 9;
    r.app.radioState.CurrentChannel = 1;
    r.engine->RequestMode(ModeScan);
    std::vector<int64_t> visits;
    bool onPriority = false, leftBusy = false;
    r.RunUntil(
        [&] {
            const bool now = r.sim->FrequencyHz == 155000000;
            if (now && !onPriority) visits.push_back(r.host.NowMs());
            onPriority = now;
            leftBusy = leftBusy || r.sim->FrequencyHz == 146000000;
            return false;
        },
        35000);
    ASSERT_EQ(visits.size(), 3u);
    for (size_t i = 0; i < visits.size(); ++i) {
        EXPECT_GE(visits[i], int64_t(10000 * (i + 1)));
        EXPECT_LT(visits[i], int64_t(10000 * (i + 1) + 1500));
    }
    EXPECT_FALSE(leftBusy);
    EXPECT_EQ(r.sim->FrequencyHz, 145000000); // back on the busy channel
    EXPECT_EQ(r.Ch(1).Count, 1);              // one hit that lasted
    EXPECT_EQ(r.Ch(9).Count, 0);
    EXPECT_EQ(r.view.PriorityHighlights.size(), 6u);
    EXPECT_FALSE(r.view.PriorityHighlights.back());
}

TEST(SignalCheck, MeterColoursOffButtonAndSimulatedSignal) {
    const auto c = Engine::MeterColours(5, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(c[i], MeterThresholdColour) << i;
    for (int i = 3; i < 5; ++i)
        EXPECT_EQ(c[i], MeterSignalColour) << i;
    for (int i = 5; i < 12; ++i)
        EXPECT_EQ(c[i], MeterIdleColour) << i;

    EngineRig r;
    RadioState& rs = r.app.radioState;
    rs.SignalLevel = 6;
    r.engine->MeterClick(3); // a radio: threshold 4, the level stays
    EXPECT_EQ(rs.SignalThreshold, 4);
    EXPECT_EQ(rs.SignalLevel, 6);
    EXPECT_EQ(r.view.Meter[3], MeterThresholdColour);
    r.engine->MeterClick(8); // level below 8: cleared
    EXPECT_EQ(rs.SignalLevel, 0);
    r.engine->MeterClick(12); // no such label
    EXPECT_EQ(rs.SignalThreshold, 9);
    // "off" clears the threshold first, then the signal with the abort flag.
    rs.SignalLevel = 10;
    r.engine->TurnSignalOff();
    EXPECT_EQ(rs.SignalThreshold, 0);
    EXPECT_EQ(rs.SignalLevel, 10);
    r.engine->TurnSignalOff();
    EXPECT_EQ(rs.SignalLevel, 0);
    EXPECT_TRUE(r.S().Abort);

    // No radio: a click is a simulated signal that Manual mode hears.
    r.Profile().Protocol = ProtoLocal;
    r.SetChannel(0, 121.5);
    rs.CurrentChannel = 0;
    r.engine->MeterClick(4);
    EXPECT_EQ(rs.SignalLevel, 5);
    r.host.OnYield = [&] {
        if (r.host.NowMs() > 3000) r.engine->TurnSignalOff();
    };
    r.engine->RunPass();
    r.host.OnYield = nullptr;
    EXPECT_EQ(r.Ch(0).Count, 1);
    EXPECT_EQ(r.HitLines(0), 1);
}

TEST(SignalCheck, ResumeTimerLeavesEvenWithAThresholdSet) {
    EngineRig r;
    r.SetChannel(1, 145.0);
    r.SetChannel(2, 146.0);
    r.Active(145.0, 9);
    r.G().SigRsm = 1; // the "Resume" box
    r.G().RsmTime = 3;
    r.engine->MeterClick(1); // threshold 2: the S9 signal is above it
    r.app.radioState.CurrentChannel = 1;
    r.engine->RequestMode(ModeScan);
    bool left = false;
    r.RunUntil([&] { return left = left || r.sim->FrequencyHz == 146000000; }, 10000);
    EXPECT_TRUE(left);
    EXPECT_EQ(r.app.radioState.SignalThreshold, 2); // the user's threshold stays
}

} // namespace
} // namespace rigvane::test
