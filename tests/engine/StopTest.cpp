// A stop (a signal, the close box, the end of --seconds) ends the run within
// a second whatever the radio is doing, with the settings written.
#include <sys/stat.h>

#include "EngineFixture.h"
#include "common/TempDir.h"

namespace rigvane::test {
namespace {

// Runs the loop and shuts the engine down, as a signal would, at the first
// yield where `when` holds. Returns the virtual milliseconds from the stop
// to the end of the loop. A run still going 20 s after the stop has its
// radio switched quiet so that the test ends (and fails) instead of hanging.
int64_t StopWhen(EngineRig& r, const std::function<bool()>& when) {
    int64_t stoppedAt = -1;
    r.host.OnYield = [&] {
        if (stoppedAt < 0 && when()) {
            stoppedAt = r.host.NowMs();
            r.engine->Shutdown();
        } else if (stoppedAt >= 0 && r.host.NowMs() > stoppedAt + 20000) {
            r.sim->Schedule.Entries.clear();
        }
    };
    while (r.engine->RunPass()) {
    }
    r.host.OnYield = nullptr;
    return stoppedAt < 0 ? -1 : r.host.NowMs() - stoppedAt;
}

bool Tuning(EngineRig& r, int64_t hz) {
    return !r.sim->Commands.empty() && r.sim->Commands.back()[0] == '\x05' &&
           r.sim->FrequencyHz == hz;
}

struct StopRig : EngineRig {
    StopRig() {
        LatencyMs = 10;
        Profile().Timeout = 50;
        app.radio.OpenRadio();
        app.settings.IniPath = dir.Path() + "/RIGVANE.INI";
        SetChannel(1, 145.0);
        SetChannel(2, 146.0);
        Active(145.0, 9); // a steady carrier
    }
    bool SettingsWritten() const {
        struct stat st {};
        return ::stat(app.settings.IniPath.c_str(), &st) == 0;
    }
    TempDir dir;
};

TEST(Stop, EndsWithinASecondWhateverTheRadioDoes) {
    {
        // The stop lands while the busy channel is being tuned.
        StopRig r;
        r.engine->RequestMode(ModeScan);
        const int64_t took = StopWhen(r, [&] { return Tuning(r, 145000000); });
        EXPECT_GE(took, 0);
        EXPECT_LT(took, 1000);
        EXPECT_TRUE(r.SettingsWritten());
        EXPECT_EQ(r.Messages("Radio refused"), 0); // a tune cut short is no refusal
    }
    {
        // The stop lands while the priority check tunes a busy priority channel.
        StopRig r;
        r.SetChannel(9, 155.0);
        r.Active(155.0, 7);
        r.G().Priority = true;
        r.G().PriorTime = 2;
        r.G().PriorityChannel = 9;
        r.engine->RequestMode(ModeScan);
        const int64_t took =
            StopWhen(r, [&] { return r.S().PriorityCheck && Tuning(r, 155000000); });
        EXPECT_GE(took, 0);
        EXPECT_LT(took, 1000);
        EXPECT_TRUE(r.SettingsWritten());
    }
    {
        // The radio went silent mid-run; the stop lands while a command waits.
        StopRig r;
        r.engine->RequestMode(ModeScan);
        r.host.CallLater(1000, [&] { r.sim->Address = 0x10; });
        const int64_t took = StopWhen(r, [&] { return r.host.NowMs() >= 3000; });
        EXPECT_GE(took, 0);
        EXPECT_LT(took, 1000);
        EXPECT_TRUE(r.SettingsWritten());
        EXPECT_EQ(r.Messages("Radio not responding"), 1);
    }
    {
        // A shutdown that an editor cancels leaves the radio working.
        StopRig r;
        EXPECT_FALSE(r.engine->Shutdown([] { return false; }));
        EXPECT_FALSE(r.app.link.Stopping);
        const size_t sent = r.sim->Commands.size();
        EXPECT_TRUE(r.engine->RunPass());
        EXPECT_GT(r.sim->Commands.size(), sent);
    }
}

} // namespace
} // namespace rigvane::test
