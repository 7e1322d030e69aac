// The Drake driver against the simulated R8A and R8.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/CodeTables.h"
#include "drivers/Drake.h"
#include "drivers/DriverRig.h"
#include "sim/DrakeRadio.h"

namespace rigvane::test {
namespace {

struct DrakeRig : DriverRig {
    explicit DrakeRig(int model)
        : DriverRig(model == 0 ? "drake-r8a" : "drake-r8", ProtoDrake, uint8_t(model)) {}
};

const std::string PacketEnd = Bytes({0x00, 0x7F});

TEST(DrakeR8a, TuningPacketCarriesLineFeedBytesAndReadsBack) {
    DrakeRig rig(0);
    ASSERT_TRUE(rig.Open());
    auto& sim = rig.Sim<DrakeR8aRadio>();

    // 14.2 MHz USB, bandwidth 2: the mode byte is 0A, which must not end the packet.
    rig.Tune(1420000, 6);
    rig.Current().Bandwidth = 2;
    rig.Current().Valid = false;
    rig.Apply();
    EXPECT_EQ(sim.Commands.back(),
              "Q" + Bytes({0x00, 0x00, 0x00, 0x42, 0x01, 0x00, 0x0A}) + PacketEnd);
    EXPECT_EQ(sim.FrequencyHz, 14200000);
    EXPECT_TRUE(rig.Current().Valid); // the apply marks the state valid

    rig.Current() = MakeBlankChannel();
    rig.Read(); // the status record also holds 0A before its 7F
    EXPECT_EQ(rig.Current().Frequency, 1420000);
    EXPECT_EQ(rig.Current().Mode, 6);
    EXPECT_EQ(rig.Current().Bandwidth, 2);
    EXPECT_TRUE(rig.Current().Valid); // sent without the Valid bit, read as valid

    // The Valid bit: sent as 02, and a record with 02 reads as not valid.
    rig.Tune(1420000, 6);
    rig.Current().Valid = true;
    rig.Current().Sync = true;
    rig.Apply();
    EXPECT_EQ(uint8_t(sim.Commands.back()[1]), 0x06);
    rig.Read();
    EXPECT_FALSE(rig.Current().Valid);
    EXPECT_TRUE(rig.Current().Sync);

    // 14.5455 MHz packs as 50 45, the letters of the radio's packet error:
    // inside a record they are a frequency.
    rig.Tune(1454550, 6);
    rig.Apply();
    rig.Read();
    EXPECT_EQ(rig.Current().Frequency, 1454550);
    EXPECT_EQ(rig.CountMessages("Drake"), 0);
}

TEST(DrakeR8a, ModeByteFlagsAndBandwidthLimit) {
    DrakeRig rig(0);
    ASSERT_TRUE(rig.Open());
    auto& sim = rig.Sim<DrakeR8aRadio>();

    // CW goes out as mode code 24 and comes back as CW with its filter.
    rig.Tune(703000, 8);
    rig.Current().Bandwidth = 1;
    rig.Apply();
    EXPECT_EQ(uint8_t(sim.Packet[6]), 24 + 1);
    rig.Read();
    EXPECT_EQ(rig.Current().Mode, 8);
    EXPECT_EQ(rig.Current().Bandwidth, 1);

    // A bandwidth of 6 is sent as 4 and stays 4 in the tuning state; the
    // flag byte and antenna bits go out and the flags come back.
    rig.Tune(990000, 4);
    Channel& c = rig.Current();
    c.Bandwidth = 6;
    c.Antenna = 1;
    c.NoiseBlank = 2;
    c.Agc = 1;
    c.Preamp = c.Atten = c.Notch = true;
    rig.Apply();
    EXPECT_EQ(rig.Current().Bandwidth, 4);
    EXPECT_EQ(uint8_t(sim.Packet[5]), 0xC0 + 0x10 + 0x08 + 0x04 + 0x02);
    EXPECT_EQ(uint8_t(sim.Packet[6]), 40 + 64 + 4);
    rig.Current() = MakeBlankChannel();
    rig.Read();
    EXPECT_EQ(rig.Current().Mode, 4);
    EXPECT_EQ(rig.Current().NoiseBlank, 2);
    EXPECT_EQ(rig.Current().Agc, 1);
    EXPECT_TRUE(rig.Current().Preamp && rig.Current().Atten && rig.Current().Notch);

    // 1000 MHz and above cannot be packed: nothing is sent.
    const size_t before = sim.Commands.size();
    rig.Tune(100000000, 4);
    rig.Apply();
    EXPECT_EQ(sim.Commands.size(), before);
}

TEST(DrakeR8a, MemoriesWithNamesAndPacing) {
    DrakeRig rig(0);
    ASSERT_TRUE(rig.Open());
    auto& sim = rig.Sim<DrakeR8aRadio>();

    rig.memory.Channels[123].Service = "News\r\n24 hours"; // line ends must not split the command
    rig.state.CurrentChannel = 123;
    rig.Tune(955000, 4);
    rig.Store();
    EXPECT_EQ(sim.Commands.back(), " NCNews  2");
    EXPECT_EQ(sim.Memories[123].Name, "News  2");
    EXPECT_EQ(rig.Sent("PR123"), 1);

    rig.Tune(1420000, 6);
    rig.Apply();
    rig.Load();
    EXPECT_EQ(rig.Current().Frequency, 955000);
    EXPECT_EQ(rig.Current().Mode, 4);
    EXPECT_EQ(sim.PacketErrors, 0); // every command waited out the radio's time

    // Without pacing the radio refuses the follow-up command and the user is
    // told what to change; nothing is read.
    rig.state.CurrentChannel = 5;
    sim.Memories[5].Packet = sim.Packet;
    rig.Profile().Timeout = 0;
    rig.Load();
    EXPECT_GT(sim.PacketErrors, 0);
    EXPECT_EQ(rig.CountMessages("Drake Reported Packet Error!  TIMEOUT increase needed!"), 1);
    EXPECT_EQ(rig.Current().Frequency, 0);
}

TEST(DrakeR8a, ShortGarbledAndMissingRecords) {
    DrakeRig rig(0);
    ASSERT_TRUE(rig.Open());
    auto& sim = rig.Sim<DrakeR8aRadio>();
    rig.Tune(600000, 4);
    rig.Apply();

    // A record cut short before its 7F is not read past its end: the status
    // is asked again and the whole record read.
    sim.ShortRecords = 1;
    rig.Current() = MakeBlankChannel();
    const int asked = rig.Sent("RA");
    rig.Read();
    EXPECT_EQ(rig.Sent("RA") - asked, 2);
    EXPECT_EQ(sim.PacketErrors, 0);
    EXPECT_EQ(rig.Current().Frequency, 600000);

    // A silent radio: one message, a bounded number of tries.
    rig.lastPort->Silent = true;
    const size_t before = sim.Commands.size();
    rig.Read();
    rig.Read();
    rig.state.TuneRefused = false;
    rig.Tune(600000, 4);
    rig.Apply();
    EXPECT_TRUE(rig.state.TuneRefused); // a tuning nobody answered was not taken
    EXPECT_EQ(rig.CountMessages("Radio not responding. (no response to RA{Dx})"), 1);
    EXPECT_LE(sim.Commands.size() - before, 9u);
}

TEST(DrakeR8a, OpeningAsksForStatusAndRadioTestRecordsAnswers) {
    DrakeRig rig(0);
    EXPECT_TRUE(rig.Open());
    EXPECT_EQ(rig.Sent("PO VA OF"), 1);
    EXPECT_EQ(rig.Current().Frequency, 1000000); // the radio's 10 MHz

    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    rig.link.RadioTestFile = file;
    rig.radio.RadioTest();
    rig.link.RadioTestFile = nullptr;
    std::rewind(file);
    std::string text(4096, '\0');
    text.resize(std::fread(&text[0], 1, text.size(), file));
    std::fclose(file);
    EXPECT_EQ(text.find("ID =>5238410D 0A  +R8A..+\r\n"), 0u) << text;
    for (const char* word : {"\nRA =>", "\nRF =>", "\nRC =>", "\nRM =>"})
        EXPECT_NE(text.find(word), std::string::npos) << word;

    // A radio that is not there is not connected.
    DrakeRig silent(0);
    silent.LatencyMs = 10000000; // answers come long after anyone waits
    EXPECT_FALSE(silent.Open());
    EXPECT_EQ(silent.CountMessages("R8A Not Attached"), 1);
}

TEST(DrakeR8, TuningLineAcceptRejectAndStatus) {
    DrakeRig rig(1);
    ASSERT_TRUE(rig.Open());
    auto& sim = rig.Sim<DrakeR8Radio>();

    rig.Tune(1420000, 3); // FM wide
    Channel& c = rig.Current();
    c.Agc = 1;
    c.Antenna = 2;
    c.Bandwidth = 5;
    c.NoiseBlank = 1;
    c.Notch = c.Sync = c.Preamp = true;
    rig.Apply();
    EXPECT_EQ(sim.Commands.back(), "0142000 M5 AS A2 W 6 BN NO SF G+");
    EXPECT_EQ(rig.CountMessages("Drake Rejected settings!"), 0);

    rig.Current() = MakeBlankChannel();
    rig.Read();
    const Channel& r = rig.Current();
    EXPECT_EQ(r.Frequency, 1420000);
    EXPECT_TRUE(r.Valid);
    EXPECT_EQ(r.Mode, 3); // FM with a wide filter reads as FM wide
    EXPECT_EQ(r.Bandwidth, 6);
    EXPECT_EQ(r.Agc, 1);
    EXPECT_EQ(r.Antenna, 2);
    EXPECT_EQ(r.NoiseBlank, 1);
    EXPECT_TRUE(r.Notch && r.Sync && r.Preamp);
    EXPECT_FALSE(r.Atten);

    // Attenuation wins over the preamplifier; a narrow CW filter reads back.
    rig.Tune(702500, 8);
    rig.Current().Atten = rig.Current().Preamp = true;
    rig.Current().Bandwidth = 3;
    rig.Apply();
    rig.Read();
    EXPECT_EQ(rig.Current().Mode, 8);
    EXPECT_EQ(rig.Current().Bandwidth, 3);
    EXPECT_TRUE(rig.Current().Atten);
    EXPECT_FALSE(rig.Current().Preamp);
    EXPECT_EQ(rig.Current().Frequency, 702500);

    // A frequency the radio refuses: the refusal is reported, and nothing
    // is stored after it.
    rig.state.CurrentChannel = 12;
    rig.Tune(3500000, 4);
    rig.Store();
    EXPECT_EQ(rig.CountMessages("Drake Rejected settings!"), 1);
    EXPECT_EQ(rig.Sent("PR12"), 0);
    EXPECT_TRUE(rig.state.TuneRefused);
    rig.state.TuneRefused = false;
    rig.Tune(1500000, 4);
    rig.Apply();
    EXPECT_FALSE(rig.state.TuneRefused);
}

TEST(DrakeR8, MemoriesUpTo99AndStatusWithoutLineEndPair) {
    DrakeRig rig(1);
    ASSERT_TRUE(rig.Open());
    auto& sim = rig.Sim<DrakeR8Radio>();

    // Channel 150 does not exist on an R8: the message, and nothing sent.
    const size_t before = sim.Commands.size();
    rig.state.CurrentChannel = 150;
    rig.Store();
    rig.Recall();
    EXPECT_EQ(rig.CountMessages("Cannot set R8 channel > 99! "), 2);
    EXPECT_EQ(sim.Commands.size(), before);

    // A status line without its CR LF pair is not read: the driver waits
    // until its tries are used up, without calling the radio silent.
    sim.StatusWithoutCrLf = true;
    rig.Current() = MakeBlankChannel();
    const int asked = rig.Sent("RA");
    rig.Read();
    EXPECT_EQ(rig.Current().Frequency, 0);
    EXPECT_EQ(rig.Sent("RA") - asked, 3);
    EXPECT_EQ(rig.CountMessages("not responding"), 0);
}

TEST(DrakeStatus, RecordsOfEitherModelAreFramedByTheirEnds) {
    Channel c = MakeBlankChannel();
    // R8A: the seven bytes before 7F, whatever came before them.
    const std::string record = Bytes({0x00, 0x00, 0x00, 0x42, 0x01, 0x00, 0x0A, 0x7F});
    EXPECT_FALSE(DrakeDecodeStatus(Bytes({0x01, 0x7F, 0x0D, 0x0A}), c));
    EXPECT_TRUE(DrakeDecodeStatus(Bytes({0x01, 0x7F, 0x0D, 0x0A}) + record, c));
    EXPECT_EQ(c.Frequency, 1420000);
    // A record with a digit that is not decimal is garbled, not a frequency.
    c = MakeBlankChannel();
    EXPECT_FALSE(DrakeDecodeStatus(Bytes({0x00, 0x00, 0x0F, 0x42, 0x01, 0x00, 0x0A, 0x7F}), c));
    // R8: eighteen characters before CR LF; a short line is not read.
    EXPECT_FALSE(DrakeDecodeStatus("C00 00000 14.2\r\n", c));
    EXPECT_TRUE(DrakeDecodeStatus("C00 00000 14.2\r\n\nC01 04000 29.99999\r\n", c));
    EXPECT_EQ(c.Frequency, 2999999);
    EXPECT_EQ(c.Mode, 5);
    EXPECT_FALSE(DrakeDecodeStatus("C01 04000 2x.99999\r\n", c));
}

} // namespace
} // namespace rigvane::test
