#include <algorithm>
#include <filesystem>
#include <random>

#include "LinkFixture.h"

namespace rigvane::test {
namespace {

using SerialLinkTest = LinkFixture;

int Count(const std::string& text, const std::string& needle) {
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

TEST_F(SerialLinkTest, CollectingWaitsOneQuietPeriodAndAnEmptyMarkerNone) {
    Open();
    // Collecting: the rest of an answer ends the wait as soon as it is in...
    lastPort->Deliver("xy");
    host.CallLater(7, [this] { lastPort->Deliver("z\r"); });
    int64_t start = host.NowMs();
    EXPECT_EQ(link.SendAndReceive("", "\r", ""), "xyz\r");
    EXPECT_EQ(host.NowMs() - start, 7);
    // ...and without its marker after one quiet period, never as a failure.
    lastPort->Deliver("xyz");
    start = host.NowMs();
    EXPECT_EQ(link.SendAndReceive("", "\r", ""), "xyz");
    EXPECT_EQ(host.NowMs() - start, 60);
    EXPECT_EQ(link.SendAndReceive("", "\r", ""), "");
    EXPECT_EQ(link.PollCount, 2);
    // No marker asked for: whatever is waiting, at once.
    lastPort->Deliver("abc");
    start = host.NowMs();
    EXPECT_EQ(link.SendAndReceive("", "", ""), "abc");
    EXPECT_EQ(host.NowMs(), start);

    // With no marker the first poll ends the transaction, before the late reply.
    lastPort->LatencyMs = 500;
    EXPECT_EQ(link.SendAndReceive("FQ\r", "", ""), "");
    EXPECT_EQ(link.PollCount, 1);
    EXPECT_FALSE(link.RadioNotResponding);
    EXPECT_EQ(CountMessages("Radio not responding"), 0);
    EXPECT_EQ(peer->Commands.size(), 1u);

    // A closed port answers nothing at once.
    link.ClosePort();
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "");
    EXPECT_EQ(peer->Commands.size(), 1u);
}

// How soon the marker ends the wait is checked with the time-outs below.
TEST_F(SerialLinkTest, AltMarkerIsAccepted) {
    Open();
    peer->Answer = "?";
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", "?"), "?");
    EXPECT_EQ(peer->Commands.size(), 1u);
}

TEST_F(SerialLinkTest, BytesWithoutMarkerAreRetriedAndReturnedWithoutMessage) {
    ASSERT_TRUE(link.OpenDebugFile());
    Open();
    peer->Answer = "AB";
    const int64_t start = host.NowMs();
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "AB");
    EXPECT_EQ(peer->Commands.size(), 3u);
    EXPECT_EQ(log.Newest(), "");
    EXPECT_FALSE(link.RadioNotResponding);
    // Three tries of ten quiet polls, each followed by one delay.
    EXPECT_EQ(host.NowMs() - start, 3 * 10 * 60);

    const std::string trace = ReadTrace("DEBUG.DAT");
    EXPECT_EQ(Count(trace, "Rcv (retry 2): 4142  +AB+\r\n"), 1);
    EXPECT_EQ(Count(trace, "Rcv (retry 3): 4142  +AB+\r\n"), 1);
    EXPECT_EQ(Count(trace, "Sent: 46510D  +FQ.+\r\n"), 3);
    EXPECT_EQ(Count(trace, "Waiting for EOM: 0D  +.+\r\n"), 30);
    EXPECT_NE(trace.find("Rcv: 4142  +AB+\r\n"), std::string::npos);
}

TEST_F(SerialLinkTest, SilentRadioIsReportedOnceAndItsRecoveryOnce) {
    Open();
    peer->Answer = "";
    const std::string frame = "\xFE\xFE\x08\xE0\x03\xFD";
    EXPECT_EQ(link.SendAndReceive(frame, "\xFD", ""), "");
    EXPECT_TRUE(link.RadioNotResponding);
    EXPECT_EQ(link.SendAndReceive(frame, "\xFD", ""), "");
    EXPECT_EQ(CountMessages("**"), 1);
    EXPECT_NE(log.History()[0].find(" :Radio not responding. (no response to "
                                    "{FEx}{FEx}{8x}{E0x}{3x}{FDx})"),
              std::string::npos);
    EXPECT_EQ(peer->Commands.size(), 0u); // no carriage return in a CI-V frame
    EXPECT_EQ(lastPort->BytesWritten(), 2 * 3 * 6);

    peer->Answer = "OK\r";
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r");
    EXPECT_FALSE(link.RadioNotResponding);
    EXPECT_EQ(CountMessages("Radio responding again.."), 1);
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r");
    EXPECT_EQ(CountMessages("Radio responding again.."), 1);
    EXPECT_EQ(CountMessages("**"), 1);

    // The radio search hears nothing of it.
    link.LocatingRadio = true;
    peer->Answer = "";
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "");
    EXPECT_TRUE(link.RadioNotResponding);
    EXPECT_EQ(CountMessages("**"), 1);
}

TEST_F(SerialLinkTest, AnAnswerEndsTheWaitWhateverTheTimeout) {
    Open();
    lastPort->LatencyMs = 3;
    settings.Selected().Baud = 1; // 1200, as the line below
    for (int timeout : {0, 1, 60, 1000}) {
        settings.Selected().Timeout = timeout;
        int64_t start = host.NowMs();
        EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r") << timeout;
        EXPECT_EQ(host.NowMs() - start, 3) << timeout;

        // On a 1200 baud line: 25 ms for the command, 3 ms, 25 ms for the
        // answer. Timeout 1 gives up after 10 quiet ms, as the user asked.
        if (timeout == 1) continue;
        lastPort->BaudRate = 1200;
        start = host.NowMs();
        EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r") << timeout;
        EXPECT_EQ(host.NowMs() - start, 25 + 3 + 25) << timeout;
        lastPort->BaudRate = 0;
    }
    EXPECT_EQ(CountMessages("**"), 0);
}

TEST_F(SerialLinkTest, AnEchoIsNoAnswerAndAnAnswersTailCostsNoTimeout) {
    Open();
    settings.Selected().Baud = 5; // 19200: two characters take 2 ms
    // The bus echoes the command at once; the answer follows 5 ms later.
    peer->Answer = "FQ\r";
    host.CallLater(5, [this] { lastPort->Deliver("OK\r"); });
    int64_t start = host.NowMs();
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "FQ\rOK\r");
    EXPECT_EQ(host.NowMs() - start, 5);

    // A radio that answers by repeating the command: taken after one quiet
    // period, without asking again.
    start = host.NowMs();
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "FQ\r");
    EXPECT_EQ(host.NowMs() - start, 60);
    EXPECT_EQ(peer->Commands.size(), 2u);

    // The line end behind an answer's marker is discarded before the next
    // command without a Timeout's delay.
    peer->Answer = "OK\r";
    host.CallLater(1, [this] { lastPort->Deliver("\n"); });
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r");
    host.Advance(1);
    start = host.NowMs();
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r");
    EXPECT_EQ(host.NowMs() - start, 2);
    EXPECT_EQ(CountMessages("**"), 0);
}

TEST_F(SerialLinkTest, SilentRadioTakesItsQuietPeriodsAndTries) {
    Open();
    RadioProfile& p = settings.Selected();
    p.Baud = 4; // 9600: "FQ\r" is 3.125 ms on the wire
    peer->Answer = "";
    // Timeout 0 waits a floor, after the command has left: never a spin.
    for (auto [timeout, perTry] : {std::pair{60, 600}, {1, 10}, {0, 10 * 10 + 4}}) {
        p.Timeout = timeout;
        link.RadioNotResponding = false;
        const size_t sent = peer->Commands.size();
        const int64_t start = host.NowMs();
        EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "") << timeout;
        EXPECT_EQ(host.NowMs() - start, 3 * perTry) << timeout;
        EXPECT_EQ(peer->Commands.size() - sent, 3u) << timeout;
        EXPECT_EQ(link.PollCount, 3 * 10) << timeout;
        EXPECT_TRUE(link.RadioNotResponding);
    }

    // A radio that trickles one byte every half Timeout, never the marker,
    // keeps every try alive, yet the transaction ends.
    p.Timeout = 60;
    bool trickling = true;
    std::function<void()> trickle = [&] {
        if (!trickling) return;
        lastPort->Deliver("x");
        host.CallLater(30, trickle);
    };
    host.CallLater(30, trickle);
    const size_t sent = peer->Commands.size();
    const int64_t start = host.NowMs();
    const std::string reply = link.SendAndReceive("FQ\r", "\r", "");
    trickling = false;
    EXPECT_FALSE(reply.empty());
    EXPECT_EQ(reply.find_first_not_of('x'), std::string::npos);
    EXPECT_EQ(peer->Commands.size() - sent, 3u);
    EXPECT_LE(host.NowMs() - start, 3 * SerialLink::MaxPollsPerTry * 60);
}

TEST_F(SerialLinkTest, CharacterPacingUsesAQuarterDelayRoundedHalfToEven) {
    Open();
    RadioProfile& p = settings.Selected();
    p.XtraDly = true;
    // The saved time-out never changes, not even while the characters go out.
    std::vector<int32_t> seen;
    host.OnYield = [&] { seen.push_back(p.Timeout); };
    for (auto [timeout, gap] : {std::pair{10, 2}, {14, 4}, {13, 3}, {1, 0}}) {
        p.Timeout = timeout;
        peer->Arrivals.clear();
        seen.clear();
        EXPECT_EQ(link.SendAndReceive("MF\r", "\r", ""), "OK\r") << timeout;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), timeout), long(seen.size())) << timeout;
        ASSERT_EQ(peer->Arrivals.size(), 3u);
        EXPECT_EQ(peer->Arrivals[0].Bytes, "M");
        EXPECT_EQ(peer->Arrivals[1].AtMs - peer->Arrivals[0].AtMs, gap) << timeout;
        EXPECT_EQ(peer->Arrivals[2].AtMs - peer->Arrivals[1].AtMs, gap) << timeout;
    }
    host.OnYield = nullptr;
    p.XtraDly = false;
    peer->Arrivals.clear();
    link.SendAndReceive("MF\r", "\r", "");
    EXPECT_EQ(peer->Arrivals.size(), 1u);
}

TEST_F(SerialLinkTest, RadioDelayWaitsForTheTimerTickAndTracesIt) {
    ASSERT_TRUE(link.OpenDebugFile());
    settings.Selected().Timeout = 250;
    link.RadioDelay();
    EXPECT_EQ(host.NowMs(), 250);
    EXPECT_EQ(link.DelayTicks, 1);
    link.CloseDebugFile();
    const std::string trace = ReadTrace("DEBUG.DAT");
    EXPECT_EQ(trace.rfind("delay start 250 3/2/26 4:05:09p   \r\n", 0), 0u) << trace;
    EXPECT_NE(trace.find("delay Endfinal count= 1 3/2/26 4:05:09p   \r\n"), std::string::npos)
        << trace;
    EXPECT_EQ(slots.InUse(), 0);

    // Other events during the wait do not end it early.
    host.CallLater(10, [] {});
    host.CallLater(20, [] {});
    link.RadioDelay();
    EXPECT_EQ(host.NowMs(), 500);

    // Timeout 0: no pacing, five yields.
    ASSERT_TRUE(link.OpenDebugFile());
    settings.Selected().Timeout = 0;
    const int yields = host.Yields;
    link.RadioDelay();
    EXPECT_EQ(host.NowMs(), 500);
    EXPECT_EQ(host.Yields - yields, 5);
    link.CloseDebugFile();
    EXPECT_EQ(Count(ReadTrace("DEBUG.DAT"), "No delay set!   \r\n"), 1);
}

TEST_F(SerialLinkTest, TraceFormats) {
    EXPECT_EQ(SerialLink::HexDump("FA;"), "46413B  +FA;+");
    EXPECT_EQ(SerialLink::HexDump(""), "  ");
    EXPECT_EQ(SerialLink::HexDump("ABCD"), "41424344   +ABCD+");
    EXPECT_EQ(SerialLink::HexDump(std::string("\xFE\xFE\x08\xE0\x03\xFD", 6)),
              "FEFE08E0 03FD  +......+");
    EXPECT_EQ(SerialLink::HexDump(std::string(" \x7E\x7F\0", 4)), "207E7F00   +.~..+");
    EXPECT_EQ(SerialLink::PrintableCommand(std::string("\xFE\x0D\x13\x14\x7F\x80 A", 8)),
              "{FEx}{Dx}{13x}\x14\x7F{80x} A");

    // Nothing is written while the files are closed.
    link.KeyLog("caption", "data");
    link.DebugLog("label", "data");
    EXPECT_FALSE(std::filesystem::exists(traceDir.File("DEBUGKEY.DAT")));

    ASSERT_TRUE(link.OpenDebugKeyFile());
    link.KeyLog("Enter Rigvane Field 0", std::string("1.5\x01\xE9", 5));
    link.KeyLog("Enter VFOA Field 1", "");
    link.CloseDebugKeyFile();
    EXPECT_EQ(ReadTrace("DEBUGKEY.DAT"),
              "Enter Rigvane Field 0\r\n 312E3501E9\r\n 1 . 5 . \xE9 \r\n"
              "Enter VFOA Field 1\r\n \r\n \r\n");

    // Append mode: reopening keeps what was written.
    ASSERT_TRUE(link.OpenDebugKeyFile());
    link.KeyLog("again", "A");
    link.CloseDebugKeyFile();
    EXPECT_EQ(Count(ReadTrace("DEBUGKEY.DAT"), "\r\n"), 9);
    EXPECT_EQ(link.DebugKeyFile, 0);
    EXPECT_EQ(slots.InUse(), 0);
}

TEST_F(SerialLinkTest, BabblingRadioNeverHoldsTheTransaction) {
    Open();
    // One answer of 100000 random bytes, no marker in it.
    std::mt19937 rng(7);
    std::string noise;
    for (int i = 0; i < 100000; ++i) {
        char c = char(rng() & 0xFF);
        noise += c == '\r' ? 'x' : c;
    }
    peer->Answer = noise;
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), noise);
    EXPECT_LE(host.NowMs(), 3 * 10 * 60);

    // A line that never stops delivering bytes.
    peer->Answer = "";
    host.OnYield = [this] { lastPort->Deliver(std::string(100, 'A')); };
    const int64_t start = host.NowMs();
    const std::string reply = link.SendAndReceive("FQ\r", "\r", "");
    host.OnYield = nullptr;
    EXPECT_FALSE(reply.empty());
    EXPECT_LE(reply.size(), SerialLink::MaxReplyBytes + 100);
    EXPECT_LE(host.NowMs() - start, 3 * SerialLink::MaxPollsPerTry * 60);
}

TEST_F(SerialLinkTest, VanishedPortIsACommunicationFailureReportedOnce) {
    Open();
    lastPort->Unplug();
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "");
    EXPECT_TRUE(link.RadioNotResponding);
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "");
    EXPECT_EQ(CountMessages("Radio Communication failure!"), 1);

    // The port replaced by an event while a transaction waits.
    link.RadioNotResponding = false;
    Open();
    lastPort->LatencyMs = 100;
    bool reopened = false;
    host.OnYield = [&] {
        if (!reopened && host.NowMs() >= 50) {
            reopened = true;
            link.OpenPort();
        }
    };
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "");
    host.OnYield = nullptr;
    EXPECT_TRUE(reopened);
    EXPECT_EQ(CountMessages("Radio Communication failure!"), 2);
    // The new port works.
    link.RadioNotResponding = false;
    lastPort->LatencyMs = 0;
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r");
}

TEST_F(SerialLinkTest, LineErrorsAndCtsHandling) {
    Open();
    lastPort->RaiseLineError(LineError::Framing);
    EXPECT_EQ(CountMessages(" :Serial Port Framing Error!"), 1);
    EXPECT_EQ(host.NowMs(), 60);
    lastPort->RaiseLineError(LineError::Overrun);
    EXPECT_EQ(CountMessages(" :Serial Port Overrun Error!"), 1);
    EXPECT_EQ(host.NowMs(), 120);
    lastPort->RaiseLineError(LineError::Parity);
    EXPECT_EQ(CountMessages(" :Serial Port Parity  Error!"), 1);
    lastPort->RaiseLineError(LineError::CtsTimeout);
    lastPort->RaiseLineError(LineError::Break);
    EXPECT_EQ(host.NowMs(), 120);
    EXPECT_EQ(CountMessages("Serial Port"), 3);

    // With flow control, CTS low: nothing is sent.
    settings.Selected().Flow = true;
    peer->Cts = false;
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "");
    EXPECT_EQ(CountMessages(" :Radio not responding. (CTS not raised)"), 1);
    EXPECT_EQ(peer->Commands.size(), 0u);
    peer->Cts = true;
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r");
}

TEST_F(SerialLinkTest, StaleInputIsDiscardedBeforeSending) {
    ASSERT_TRUE(link.OpenDebugFile());
    Open();
    lastPort->Deliver("old\r");
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "OK\r");
    EXPECT_NE(ReadTrace("DEBUG.DAT").find("Discarded: 6F6C640D   +old.+"), std::string::npos);

    // A model that never answers: no wait for a reply.
    driver.caps.Models[1].NoReply = true;
    settings.Selected().Model = 1;
    peer->Answer = "";
    const int64_t start = host.NowMs();
    EXPECT_EQ(link.SendAndReceive("FQ\r", "\r", ""), "");
    EXPECT_EQ(link.PollCount, 1);
    EXPECT_EQ(host.NowMs(), start);
    EXPECT_FALSE(link.RadioNotResponding);
}

TEST(PortNames, DeviceOrNumberedPortAndSettingsText) {
    RadioProfile p;
    EXPECT_EQ(PortDeviceName(p), "");
    p.Port = 4;
    EXPECT_EQ(PortDeviceName(p), "/dev/ttyS3");
    p.Device = "/dev/ttyUSB0";
    EXPECT_EQ(PortDeviceName(p), "/dev/ttyUSB0");

    p.Baud = 4;
    EXPECT_EQ(PortSettingsText(p), " 9600,N,8,1");
    p.Baud = 7; // beyond the table: no crash, the default rate
    p.Parity = 9;
    EXPECT_EQ(PortSettingsText(p), ",,8,1");
    EXPECT_EQ(MakePortSettings(p).Baud, 9600);
}

} // namespace
} // namespace rigvane::test
