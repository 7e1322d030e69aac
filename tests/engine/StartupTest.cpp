#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "common/TempDir.h"
#include "core/CodeTables.h"
#include "core/SimHost.h"
#include "engine/App.h"
#include "engine/Startup.h"

using namespace rigvane;

namespace {

using test::TempDir;

} // namespace

TEST(Startup, DefaultsWithoutASettingsFile) {
    TempDir dir;
    SimHost host;
    App app(host);
    std::vector<std::string> steps;
    StartupHooks hooks;
    hooks.RegisterDisplayFont = [&] {
        steps.push_back("font");
        return std::string("DSEG7 Classic");
    };
    hooks.OpenRadio = [&](App& a) {
        steps.push_back("radio");
        EXPECT_EQ(a.settings.Global.RsmTime, 10); // the settings were read before
    };
    hooks.LoadDatabase = [&](App&) { steps.push_back("database"); };

    const std::string ini = dir.Path() + "/RIGVANE.INI";
    EXPECT_EQ(ScanInitialize(app, ini, hooks), "DSEG7 Classic");
    EXPECT_EQ(steps, (std::vector<std::string>{"font", "radio", "database"}));
    EXPECT_TRUE(host.Boxes.empty());            // a missing file is not an error
    EXPECT_EQ(::access(ini.c_str(), F_OK), -1); // and reading creates none

    const Settings& s = app.settings;
    EXPECT_EQ(s.IniPath, ini);
    EXPECT_EQ(s.SelectedRadio, 0);
    EXPECT_EQ(s.Selected().Protocol, ProtoLocal); // the simulated radio
    // The values of a missing settings file are checked with the settings file.
    const RadioState& r = app.radioState;
    EXPECT_EQ(r.ActiveVfo, 0);
    EXPECT_EQ(r.Current, BlankChannel);
    EXPECT_EQ(r.Vfo[1], BlankChannel);
}

TEST(Startup, RunningAgainGivesTheSameStateAndHonoursLoadFreq) {
    TempDir dir;
    SimHost host;
    App app(host);
    const std::string ini = dir.Path() + "/RIGVANE.INI";
    {
        std::ofstream(ini) << "[GLOBALS]\nLOADFREQ=0\nRSMTIME=30\nWINDOPEN=0000000000\n"
                              "[Radio2]\nNAME=Base\nPROTOCOL=1\n";
    }
    int databaseLoads = 0;
    StartupHooks hooks;
    hooks.LoadDatabase = [&](App&) { ++databaseLoads; };
    ScanInitialize(app, ini, hooks);
    EXPECT_EQ(databaseLoads, 0);
    EXPECT_EQ(app.settings.Global.RsmTime, 30);
    EXPECT_EQ(app.settings.RadioProfiles[2].Name, RadioProfile::FixedWidth20("Base"));
    for (int w = 1; w <= 10; ++w)
        EXPECT_FALSE(app.settings.Windows[w].Open);

    const Settings first = app.settings;
    app.link.TraceDir = dir.Path();
    ASSERT_TRUE(app.link.OpenDebugFile());
    ASSERT_TRUE(app.link.OpenDebugKeyFile());
    EXPECT_EQ(app.slots.InUse(), 2);
    // Everything a run changes is put back by the next start-up.
    app.memory.Channels[10].Frequency = 14550000;
    app.memory.SearchBanks[4].Valid = true;
    app.settings.Global.Logging = true;
    app.settings.SelectedRadio = 5;
    app.settings.RadioProfiles[7].Protocol = ProtoBearcat;
    app.settings.Windows[WinMain].X = 999;
    app.radioState.Current.Frequency = 12345;
    app.radioState.ActiveVfo = 1;
    app.radioState.Vfo[1].Mode = 4;

    ScanInitialize(app, ini, hooks);
    EXPECT_EQ(app.memory.Channels[10], BlankChannel);
    EXPECT_FALSE(app.memory.SearchBanks[4].Valid);
    EXPECT_FALSE(app.settings.Global.Logging);
    EXPECT_EQ(app.settings.SelectedRadio, first.SelectedRadio);
    EXPECT_EQ(app.settings.RadioProfiles[7].Protocol, ProtoLocal);
    EXPECT_EQ(app.settings.Windows[WinMain].X, first.Windows[WinMain].X);
    EXPECT_EQ(app.radioState.Current, BlankChannel);
    EXPECT_EQ(app.radioState.ActiveVfo, 0);
    EXPECT_EQ(app.radioState.Vfo[1], BlankChannel);
    EXPECT_EQ(databaseLoads, 0);
    EXPECT_EQ(app.link.DebugFile, 0); // trace files closed, their slots back
    EXPECT_EQ(app.link.DebugKeyFile, 0);
    EXPECT_EQ(app.slots.InUse(), 0);
}
