// The radio search of the radio parameters dialog, over the virtual-clock host
// with simulated radios on numbered ports.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/AppRig.h"
#include "common/FakeFamily.h"
#include "core/CodeTables.h"
#include "engine/LocateRadio.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/IcomRadio.h"
#include "sim/SimPeer.h"

using namespace rigvane;

namespace {

using Combination = std::tuple<int, int, int>; // port, baud index, address

// A radio that only hears the computer at one speed (the live profile's
// speed index stands for the line speed, which a simulated port ignores).
class SpeedGatedPeer : public SimulatedPeer {
  public:
    SpeedGatedPeer(std::shared_ptr<SimPeer> inner, const Settings& settings, int baud)
        : inner_(std::move(inner)), settings_(settings), baud_(baud) {}
    std::string Receive(const std::string& bytes, int64_t nowMs) override {
        if (settings_.Selected().Baud != baud_) return "";
        return inner_->Receive(bytes, nowMs);
    }

  private:
    std::shared_ptr<SimPeer> inner_;
    const Settings& settings_;
    int baud_;
};

// A port with nothing on the other end.
struct SilentPeer : SimulatedPeer {
    std::string Receive(const std::string&, int64_t) override { return ""; }
};

struct LocateFixture : ::testing::Test, rigvane::test::AppRig {
    std::vector<std::string> opened; // devices asked for, in order
    // The device with a radio on it ("" = none), its speed index (-1 = any)
    // and its reply latency.
    std::string radioDevice;
    int radioBaud = -1;
    int latencyMs = 0;
    uint8_t radioAddress = 0x4A;
    bool portsExist = false; // every other numbered port opens, but nothing answers

    void SetUp() override {
        app.link.SetPortFactory([this](const std::string& device) -> std::unique_ptr<SerialPort> {
            opened.push_back(device);
            if (device == radioDevice) {
                std::string error;
                auto icom = std::make_shared<SimPeer>(MakeSimRadio("icom-r7000", &error));
                dynamic_cast<IcomRadio&>(icom->Radio()).Address = radioAddress;
                std::shared_ptr<SimulatedPeer> peer = icom;
                if (radioBaud >= 0)
                    peer = std::make_shared<SpeedGatedPeer>(icom, app.settings, radioBaud);
                auto port = std::make_unique<SimulatedPort>(host, peer);
                port->LatencyMs = latencyMs;
                return port;
            }
            if (!portsExist) return nullptr;
            return std::make_unique<SimulatedPort>(host, std::make_shared<SilentPeer>());
        });
        app.settings.SelectedRadio = 2;
        RadioProfile& live = app.settings.Selected();
        live.Name = RadioProfile::FixedWidth20("Shack");
        live.Protocol = ProtoLocal;
        live.Port = 0;
        live.Timeout = 120;
    }

    RadioProfile IcomProfile(int port, int baud, int addr) {
        RadioProfile p;
        p.Name = RadioProfile::FixedWidth20("Receiver");
        p.Protocol = ProtoIcom;
        p.Port = uint8_t(port);
        p.Baud = int16_t(baud);
        p.Addr = uint8_t(addr);
        p.CompAddr = 0xE0;
        p.Timeout = 300;
        return p;
    }

    // Runs the search, recording each combination shown.
    LocateResult Locate(RadioProfile& working, std::vector<Combination>* shown,
                        std::function<void()> also = {}) {
        return LocateRadio(app, working, [&, also] {
            if (app.link.LocatingRadio)
                shown->emplace_back(working.Port, working.Baud, working.Addr);
            if (also) also();
        });
    }
};

std::vector<Combination> Walk(int port, int lastPort, int baud, int addr, bool addresses) {
    std::vector<Combination> out;
    for (; port <= lastPort; ++port) {
        for (; baud <= 6; ++baud) {
            for (; addr <= 255; ++addr) {
                out.emplace_back(port, baud, addr);
                if (!addresses) break;
            }
            if (addresses) addr = 1;
        }
        baud = 0;
    }
    return out;
}

} // namespace

TEST_F(LocateFixture, SilentIcomWalksPortsSpeedsAndAddressesThenGivesUp) {
    const RadioProfile liveBefore = app.settings.Selected();
    RadioProfile working = IcomProfile(1, 4, 0x08);
    const RadioProfile workingBefore = working;
    std::vector<Combination> shown;

    EXPECT_EQ(Locate(working, &shown), LocateResult::NotFound);

    // Port 1 at 9600 from address 08, then 19200 and 115200 from 01; then
    // ports 2..4 with every speed from 300 and addresses 01..FF.
    const std::vector<Combination> expected = Walk(1, 4, 4, 0x08, true);
    ASSERT_EQ(shown.size(), expected.size());
    EXPECT_EQ(shown.front(), Combination(1, 4, 0x08));
    EXPECT_EQ(shown[248], Combination(1, 5, 0x01));
    EXPECT_EQ(shown[248 + 2 * 255], Combination(2, 0, 0x01));
    EXPECT_EQ(shown, expected);
    // The first attempt plus one per combination, each on the numbered port.
    ASSERT_EQ(opened.size(), expected.size() + 1);
    EXPECT_EQ(opened.front(), "/dev/ttyS0");
    EXPECT_EQ(opened.back(), "/dev/ttyS3");

    ASSERT_EQ(host.Boxes.size(), 1u); // no "Com Port Failure" box per port
    EXPECT_EQ(host.Boxes[0].Title, "Locate Failure");
    EXPECT_EQ(host.Boxes[0].Text, "Could not locate a radio!");
    EXPECT_EQ(host.Boxes[0].Icon, MsgIcon::Exclamation);
    EXPECT_EQ(working.Port, workingBefore.Port);
    EXPECT_EQ(working.Timeout, workingBefore.Timeout);
    EXPECT_EQ(working.CompAddr, 0xE0);
    EXPECT_EQ(working.Addr, 0x08);
    EXPECT_EQ(app.settings.Selected().Name, liveBefore.Name);
    EXPECT_EQ(app.settings.Selected().Protocol, ProtoLocal);
    EXPECT_EQ(app.settings.Selected().Timeout, 120);
    EXPECT_FALSE(app.link.LocatingRadio);
    for (const auto& line : app.log.History()) // the search posts nothing
        EXPECT_EQ(line, "");
}

TEST_F(LocateFixture, ProtocolsWithoutAddressesTryOneAddressPerPortAndSpeed) {
    rigvane::test::FakeFamily family(ProtoKenwood); // no bus, wants flow control
    family.caps.LocateFlow = true;
    rigvane::test::AddFamily(app.link, family);
    RadioProfile working = IcomProfile(3, 2, 0x08);
    working.Protocol = ProtoKenwood;
    working.Flow = false;
    std::vector<Combination> shown;
    std::vector<bool> flow;
    Locate(working, &shown, [&] { flow.push_back(app.settings.Selected().Flow); });

    EXPECT_EQ(shown, Walk(3, 4, 2, 0x08, false));
    EXPECT_EQ(shown.size(), 5u + 7u);
    flow.pop_back(); // the redisplay after the restore
    for (bool f : flow)
        EXPECT_TRUE(f);         // the family searches with flow control on
    EXPECT_FALSE(working.Flow); // and the failed search takes it back
}

TEST_F(LocateFixture, ProtocolWithoutDriverIsNotSearchedFor) {
    portsExist = true;
    RadioProfile working = IcomProfile(1, 4, 0x08);
    working.Protocol = ProtoKenwood;
    rigvane::test::RemoveFamily(app.link, ProtoKenwood);
    const RadioProfile before = working;
    std::vector<Combination> shown;
    EXPECT_EQ(Locate(working, &shown), LocateResult::NotSupported);
    EXPECT_TRUE(opened.empty()); // not one port opened
    EXPECT_TRUE(shown.empty());
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Title, "Locate Failure");
    EXPECT_EQ(host.Boxes[0].Text, "KENWOOD protocol not supported yet");
    EXPECT_EQ(working.Port, before.Port);
    EXPECT_EQ(app.settings.Selected().Protocol, ProtoLocal);
    EXPECT_FALSE(app.link.LocatingRadio);
}

TEST_F(LocateFixture, DeviceOverrideKeepsTheDeviceAndWalksSpeedsAndAddresses) {
    portsExist = true; // the device opens; nothing answers there
    RadioProfile working = IcomProfile(0, 5, 0xF0);
    working.Device = "/dev/ttyUSB0";
    std::vector<Combination> shown;

    EXPECT_EQ(Locate(working, &shown), LocateResult::NotFound);
    EXPECT_EQ(shown, Walk(1, 1, 5, 0xF0, true)); // port 0 reads as 1, and stays
    for (const std::string& d : opened)
        EXPECT_EQ(d, "/dev/ttyUSB0");
    EXPECT_EQ(working.Port, 0);
    EXPECT_EQ(working.Device, "/dev/ttyUSB0");
}

TEST_F(LocateFixture, FoundRadioKeepsItsSettingsInTheWorkingCopyOnly) {
    radioDevice = "/dev/ttyS2"; // port 3, answering at 19200 only
    radioBaud = 5;
    RadioProfile working = IcomProfile(2, 6, 0x40);
    working.Memory = true;
    std::vector<Combination> shown;

    EXPECT_EQ(Locate(working, &shown), LocateResult::Found);
    EXPECT_EQ(shown.back(), Combination(3, 5, 0x4A));
    EXPECT_EQ(shown[0xFF - 0x40 + 1], Combination(3, 0, 0x01));
    EXPECT_EQ(working.Port, 3);
    EXPECT_EQ(working.Baud, 5);
    EXPECT_EQ(working.Addr, 0x4A);
    EXPECT_EQ(working.CompAddr, 0);
    EXPECT_TRUE(working.Memory); // the rest of the profile is the working copy's
    EXPECT_EQ(working.Timeout, app.link.PollCount * 30);
    EXPECT_GT(working.Timeout, 0);

    const RadioProfile& live = app.settings.Selected();
    EXPECT_EQ(live.Protocol, ProtoLocal);
    EXPECT_EQ(live.Timeout, 120);
    EXPECT_EQ(live.Port, 0);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Title, "Locate");
    EXPECT_EQ(host.Boxes[0].Text, "Radio Located. Parms Set");
    EXPECT_EQ(host.Boxes[0].Icon, MsgIcon::Information);
    EXPECT_FALSE(app.link.LocatingRadio);
}

TEST_F(LocateFixture, RadioAnsweringAtOnceGetsTheTimeoutOfItsPolls) {
    radioDevice = "/dev/ttyS0";
    latencyMs = 45; // each answer arrives in the third receive poll (30 ms apart)
    RadioProfile working = IcomProfile(0, 4, 0x4A); // port 0 becomes 1
    std::vector<Combination> shown;

    EXPECT_EQ(Locate(working, &shown), LocateResult::Found);
    EXPECT_TRUE(shown.empty()); // no search was needed
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(app.link.PollCount, 3);
    EXPECT_EQ(working.Timeout, 90);
    EXPECT_EQ(working.Port, 1);
    EXPECT_EQ(working.CompAddr, 0xE0); // only a search resets the computer address
}

TEST_F(LocateFixture, ClearingLocatingRadioStopsTheSearch) {
    RadioProfile working = IcomProfile(1, 4, 0x08);
    std::vector<Combination> shown;
    EXPECT_EQ(Locate(working, &shown,
                     [&] {
                         if (shown.size() == 5) app.link.LocatingRadio = false;
                     }),
              LocateResult::NotFound);
    EXPECT_EQ(shown.size(), 5u);
    EXPECT_EQ(working.Addr, 0x08);
    EXPECT_EQ(app.settings.Selected().Protocol, ProtoLocal);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Text, "Could not locate a radio!");
}
