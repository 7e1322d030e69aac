// What the link does for unattended runs: its counters, finding a USB
// adapter again under a new name, and the reconnection schedule.
#include <map>

#include "LinkFixture.h"
#include "link/Reconnect.h"

namespace rigvane::test {
namespace {

using UnattendedLinkTest = LinkFixture;

TEST_F(UnattendedLinkTest, CountersFollowExchangesRetriesAndSilence) {
    Open();
    lastPort->LatencyMs = 30;
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r");
    EXPECT_EQ(link.Stats.Exchanges, 1);
    EXPECT_EQ(link.Stats.BytesSent, 3);
    EXPECT_EQ(link.Stats.BytesReceived, 3);
    EXPECT_GE(link.Stats.LastLatencyMs, 30);
    EXPECT_EQ(link.Stats.Retries, 0);
    // Bytes without the marker: three tries, two of them retries, no time-out.
    peer->Answer = "AB";
    link.SendAndReceive("FQ\r", "\r", "");
    EXPECT_EQ(link.Stats.Retries, 2);
    EXPECT_EQ(link.Stats.Timeouts, 0);
    // Silence is a time-out; an empty command (only collecting) is no exchange.
    lastPort->Silent = true;
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "");
    EXPECT_EQ(link.Stats.Timeouts, 1);
    link.SendAndReceive("", "\r", "");
    EXPECT_EQ(link.Stats.Exchanges, 3);
    EXPECT_EQ(link.Stats.Answered, 2);
}

TEST_F(UnattendedLinkTest, AnAdapterThatCameBackUnderAnotherNameIsFoundBySerialNumber) {
    // The system's adapters: name -> serial number.
    std::map<std::string, std::string> adapters{{"sim:ttyUSB0", "FT1234"}};
    link.Finder.Identify = [&](const std::string& path) {
        return adapters.count(path) ? adapters[path] : "";
    };
    link.Finder.Locate = [&](const std::string& id) -> std::string {
        for (const auto& [path, serial] : adapters)
            if (serial == id) return path;
        return "";
    };
    link.SetPortFactory([&](const std::string& device) -> std::unique_ptr<SerialPort> {
        if (!adapters.count(device)) return nullptr;
        auto port = std::make_unique<SimulatedPort>(host, LinkRig::peer);
        lastPort = port.get();
        return port;
    });
    settings.Selected().Device = "sim:ttyUSB0";
    ASSERT_TRUE(link.OpenPort());
    EXPECT_EQ(link.OpenedDevice(), "sim:ttyUSB0");
    adapters = {{"sim:ttyUSB1", "FT1234"}, {"sim:ttyUSB2", "OTHER"}};
    ASSERT_TRUE(link.OpenPort());
    EXPECT_EQ(link.OpenedDevice(), "sim:ttyUSB1");
    EXPECT_EQ(settings.Selected().Device, "sim:ttyUSB0"); // the profile keeps its name
    // Another adapter is never taken for it.
    adapters = {{"sim:ttyUSB2", "OTHER"}};
    EXPECT_FALSE(link.OpenPort());
}

TEST_F(UnattendedLinkTest, TheReconnectorWaitsOnTheScheduleAndInitialisesTheRadio) {
    EXPECT_EQ(radio.OpenRadio(), OpenConnected);
    Reconnector rc(radio, host);
    EXPECT_FALSE(rc.Dropped()); // not armed
    rc.Arm();
    lastPort->Unplug();
    EXPECT_TRUE(rc.Dropped());
    peer->On = false; // the radio cannot be opened while it is away
    rc.Begin();
    EXPECT_FALSE(link.PortOpen());
    std::vector<int64_t> attempts;
    const int64_t t0 = host.NowMs();
    while (host.NowMs() - t0 < 30000) {
        const int64_t now = host.NowMs();
        const auto result = rc.Step();
        EXPECT_NE(result, Reconnector::Result::Recovered);
        if (result == Reconnector::Result::Failed) attempts.push_back(now - t0);
        host.WaitForEvents(int(std::max<int64_t>(1, rc.NextAttemptMs() - host.NowMs())));
    }
    EXPECT_EQ(attempts, (std::vector<int64_t>{1000, 3000, 8000, 18000, 28000}));
    EXPECT_EQ(CountMessages("Not Attached"), 0);
    EXPECT_TRUE(host.Boxes.empty());
    peer->On = true;
    driver.Take();
    host.WaitForEvents(int(rc.NextAttemptMs() - host.NowMs()));
    EXPECT_EQ(rc.Step(), Reconnector::Result::Recovered);
    EXPECT_EQ(driver.Take().front(), "Open"); // initialised again through its driver
    EXPECT_TRUE(link.PortOpen());
    EXPECT_FALSE(rc.Dropped());
    EXPECT_EQ(link.StatusCaption(), "Connected");
}

} // namespace
} // namespace rigvane::test
