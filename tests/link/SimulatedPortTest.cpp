#include "LinkFixture.h"

namespace rigvane::test {
namespace {

TEST(SimulatedPortTest, RepliesArriveAfterLatencyAndWireTime) {
    SimHost host;
    auto peer = std::make_shared<LineRadio>();
    peer->Answer = "0123456789\r"; // 11 bytes
    auto port = std::make_unique<SimulatedPort>(host, peer);
    ASSERT_TRUE(port->Open("sim:line", PortSettings{}, nullptr));

    // No latency: the answer is there at the next yield.
    ASSERT_TRUE(port->Write("FQ\r"));
    EXPECT_EQ(port->BytesWaiting(), 0);
    host.Yield();
    EXPECT_EQ(port->ReadAll(), "0123456789\r");

    // 1200 baud: 3 bytes out (25 ms), 40 ms latency, 11 bytes back (92 ms).
    port->BaudRate = 1200;
    port->LatencyMs = 40;
    ASSERT_TRUE(port->Write("FQ\r"));
    EXPECT_EQ(peer->Arrivals.back().AtMs, 25);
    host.Advance(156);
    EXPECT_EQ(port->BytesWaiting(), 0);
    host.Advance(1);
    EXPECT_EQ(port->BytesWaiting(), 11);
    port->ReadAll();

    // Two commands in a row: the answers keep their order on the wire.
    port->BaudRate = 0;
    port->LatencyMs = 10;
    peer->Answer = "A\r";
    port->Write("X\r");
    port->LatencyMs = 0;
    peer->Answer = "B\r";
    port->Write("Y\r");
    host.Advance(20);
    EXPECT_EQ(port->ReadAll(), "A\rB\r");

    // A silent radio hears but does not answer.
    port->Silent = true;
    port->Write("Z\r");
    host.Advance(20);
    EXPECT_EQ(port->BytesWaiting(), 0);
    EXPECT_EQ(peer->Commands.back(), "Z\r");
    port->Silent = false;

    // Answers still on their way to a closed or destroyed port are dropped.
    port->LatencyMs = 50;
    port->Write("Q\r");
    port->Close();
    ASSERT_TRUE(port->Open("sim:line", PortSettings{}, nullptr));
    host.Advance(100);
    EXPECT_EQ(port->BytesWaiting(), 0);
    port->Write("Q\r");
    port.reset();
    host.Advance(100);

    // A radio that is switched off cannot be opened.
    peer->On = false;
    SimulatedPort off(host, peer);
    std::string error;
    EXPECT_FALSE(off.Open("sim:line", PortSettings{}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(off.Write("X\r"));
    EXPECT_FALSE(off.Cd());
}

} // namespace
} // namespace rigvane::test
