// The CI-V driver against the simulated ICOM and OPTO radios.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "CivFixture.h"

namespace rigvane::test {
namespace {

class CivEveryModel : public ::testing::TestWithParam<CivModel> {};

INSTANTIATE_TEST_SUITE_P(Models, CivEveryModel, ::testing::ValuesIn(CivModels),
                         [](const auto& info) {
                             std::string n = info.param.SimName;
                             for (char& c : n) {
                                 if (c == '-') c = '_';
                             }
                             return n;
                         });

// Every mode and filter goes out and reads back as it was set. Where a model
// sends several modes as the same bytes they read back as one of them: on the
// old sets (R7000, OPTO) FM narrow as FM and every sideband, CW and FSK mode
// as SSB; on the others SSB as USB. Whatever is read goes out as the same
// bytes again.
TEST_P(CivEveryModel, EveryModeReadsBackAsItWasSet) {
    const CivModel& m = GetParam();
    CivLink r(m);
    ASSERT_EQ(r.radio.OpenRadio(), 0);
    EXPECT_EQ(r.sim->OptoInitialised, m.Protocol == ProtoOpto);
    const bool oldSet = m.Model == 0 || m.Protocol == ProtoOpto;
    for (int mode = 1; mode <= 9; ++mode) {
        for (int bandwidth : {0, 2, 4}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " bandwidth " +
                         std::to_string(bandwidth));
            r.Current().Mode = uint8_t(mode);
            r.Current().Bandwidth = uint8_t(bandwidth);
            r.Send(IcomSetMode);
            const uint8_t modeByte = r.sim->ModeByte;
            const int filter = r.sim->FilterByte;
            const bool filtered = !oldSet && mode >= 4;
            if (filtered) {
                EXPECT_EQ(filter, bandwidth == 0 ? 3 : bandwidth == 2 ? 2 : 1);
            }

            r.Current().Mode = 0;
            r.Current().Bandwidth = 99;
            r.Send(IcomReadMode);
            int expected = mode;
            if (oldSet && mode == 2) expected = 1;
            if (oldSet && mode >= 5) expected = 7;
            if (!oldSet && mode == 7) expected = 6;
            EXPECT_EQ(r.Current().Mode, expected);
            if (filtered) {
                EXPECT_EQ(r.Current().Bandwidth, bandwidth);
            }

            r.Send(IcomSetMode);
            EXPECT_EQ(r.sim->ModeByte, modeByte);
            EXPECT_EQ(r.sim->FilterByte, filter);
        }
    }
    EXPECT_EQ(r.sim->Rejected, 0);
    // Mode 10 sends nothing at all.
    const size_t before = r.sim->Commands.size();
    r.Current().Mode = 10;
    r.Send(IcomSetMode);
    EXPECT_EQ(r.sim->Commands.size(), before);
}

TEST(CivDriver, R7000AndOptoNeverGetTheCommandsTheyLack) {
    for (const CivModel& m : {CivModels[0], CivModels[5]}) {
        CivLink r(m);
        r.Profile().ExpCmd = true;
        ASSERT_EQ(r.radio.OpenRadio(), 0);
        r.Current().Frequency = 14652000;
        r.Current().Mode = 6;
        r.Current().Atten = true;
        r.Current().Agc = 2;
        r.Current().Antenna = 1;
        r.radio.ApplyRadioState();
        r.radio.ReadRadioState();
        for (int code :
             {IcomReadAttenuator, IcomReadAntenna, IcomSetAntenna, IcomSetAgc, IcomSetAttenuator})
            r.Send(code);
        if (m.Protocol == ProtoIcom) {
            r.state.CurrentChannel = 5;
            r.radio.StoreChannel();
            r.radio.LoadChannel();
        }
        EXPECT_FALSE(r.sim->Received(0x11)) << m.SimName;
        EXPECT_FALSE(r.sim->Received(0x12)) << m.SimName;
        EXPECT_FALSE(r.sim->Received(0x16)) << m.SimName;
        EXPECT_EQ(r.sim->Rejected, 0) << m.SimName;
        // Every SSB, CW and FSK mode goes out as 05 00 and reads back as SSB.
        EXPECT_EQ(r.Received(Bytes({0x06, 0x05, 0x00})), m.Protocol == ProtoIcom ? 2 : 1);
        EXPECT_EQ(r.Current().Mode, 7);
    }
}

TEST(CivDriver, ExtendedSettingsReachTheRadio) {
    CivLink r(CivModels[2]); // R8500: AGC 16 10 / 16 11
    r.Profile().ExpCmd = true;
    ASSERT_EQ(r.radio.OpenRadio(), 0);
    r.Current().Frequency = 14652000;
    r.Current().Mode = 1;
    r.Current().Atten = true;
    r.Current().Agc = 1;
    r.Current().Antenna = 1;
    r.radio.ApplyRadioState();
    EXPECT_TRUE(r.sim->Attenuator);
    EXPECT_EQ(r.sim->Agc, 0x11);
    EXPECT_EQ(r.sim->Antenna, 1);
    r.Current().Atten = false;
    r.Current().Antenna = 0;
    r.radio.ReadRadioState();
    EXPECT_TRUE(r.Current().Atten);
    EXPECT_EQ(r.Current().Antenna, 2);

    CivLink g(CivModels[1]); // the others: 16 12 xx
    g.Profile().ExpCmd = true;
    ASSERT_EQ(g.radio.OpenRadio(), 0);
    g.Current().Frequency = 14652000;
    for (int agc : {0, 1, 2, 3}) {
        g.Current().Agc = uint8_t(agc);
        g.Send(IcomSetAgc);
        EXPECT_EQ(g.sim->Agc, agc == 0 ? 0 : agc == 1 ? 3 : 2);
    }
    EXPECT_EQ(g.sim->Rejected, 0);
}

TEST(CivDriver, EchoAndAcceptanceBeforeDataAreSkipped) {
    for (int latency : {0, 45}) {
        CivLink r(CivModels[2]);
        r.sim->Echo = true;
        r.sim->FbBeforeData = true;
        r.LatencyMs = latency;
        ASSERT_EQ(r.radio.OpenRadio(), 0);
        r.sim->FrequencyHz = 162400000;
        r.sim->ModeByte = 0x00;
        r.sim->FilterByte = 0x02;
        r.radio.ReadRadioState();
        EXPECT_EQ(r.Current().Frequency, 16240000);
        EXPECT_EQ(r.Current().Mode, 5);
        EXPECT_EQ(r.Current().Bandwidth, 2);
        EXPECT_FALSE(r.link.RadioNotResponding);
        // One read frame each: the echo never made the driver ask again.
        EXPECT_EQ(r.Received(Bytes({0x03})), 2); // the open sequence and this read
        EXPECT_EQ(r.Received(Bytes({0x04})), 2);
        r.Current().Frequency = 14652000;
        r.radio.ApplyRadioState();
        EXPECT_EQ(r.sim->FrequencyHz, 146520000);
    }
}

TEST(CivDriver, RejectionsPostTheirMessages) {
    CivLink r(CivModels[1]);
    ASSERT_EQ(r.radio.OpenRadio(), 0);
    r.sim->Refuse = {0x03, 0x04};
    r.Current().Frequency = 14652000;
    r.Current().Mode = 2;
    r.Send(IcomReadFrequency);
    r.Send(IcomReadMode);
    EXPECT_EQ(r.CountMessages("ICOM rejected frequency 146.52Mhz"), 1);
    EXPECT_EQ(r.CountMessages("ICOM rejected Modulation FMn"), 1);
    EXPECT_FALSE(r.link.RadioNotResponding);

    // The R7000 has no signal reads: with software detection every read is
    // refused, said once (not on every read) and heard as no signal.
    CivLink old(CivModels[0]);
    old.Profile().Detect = 2;
    ASSERT_EQ(old.radio.OpenRadio(), 0);
    old.sim->Schedule.Entries.push_back({old.sim->FrequencyHz, 8, 0, 0, 0});
    for (int i = 0; i < 5; ++i) {
        old.state.SignalLevel = 4;
        old.radio.ReadSignal();
        EXPECT_EQ(old.state.SignalLevel, 0);
    }
    EXPECT_EQ(old.CountMessages("ICOM rejected signal request"), 1);
    old.Send(IcomReadSMeter);
    EXPECT_EQ(old.CountMessages("ICOM rejected signal request"), 1);
}

TEST(CivDriver, MemoryChannelDigitsLoadToTheVfoAndRecallShowsTheChannel) {
    for (const CivModel& m : {CivModels[0], CivModels[2]}) {
        CivLink r(m);
        ASSERT_EQ(r.radio.OpenRadio(), 0);
        const int channel = m.Model == 0 ? 5 : 123;
        r.state.CurrentChannel = int16_t(channel);
        r.Current().Frequency = 16240000;
        r.Current().Mode = 4;
        r.radio.StoreChannel();
        EXPECT_EQ(r.Received(m.Model == 0 ? Bytes({0x08, 0x05}) : Bytes({0x08, 0x01, 0x23})), 1);

        // Load: select, memory to VFO, read back; the attenuator always reads as off.
        r.Current() = MakeBlankChannel();
        r.radio.LoadChannel();
        EXPECT_EQ(r.Current().Frequency, 16240000) << m.SimName;
        EXPECT_FALSE(r.Current().Atten);
        EXPECT_FALSE(r.sim->MemoryMode);

        r.radio.RecallChannel();
        EXPECT_TRUE(r.sim->MemoryMode);
        EXPECT_EQ(r.sim->SelectedChannel, channel);
    }
}

TEST(CivDriver, SignalReadsFollowTheActivityOnTheSMeterScale) {
    CivLink r(CivModels[1]);
    r.Profile().Detect = 2;
    ASSERT_EQ(r.radio.OpenRadio(), 0);
    for (int level = 0; level <= 12; ++level)
        r.sim->Schedule.Entries.push_back({100000000 + level * 1000000, level, 0, 0, 0});
    for (int level = 0; level <= 12; ++level) {
        r.sim->FrequencyHz = 100000000 + level * 1000000;
        r.Send(IcomReadSMeter);
        EXPECT_EQ(r.state.SignalLevel, level);
        r.Send(IcomReadSquelch);
        EXPECT_EQ(r.state.SignalLevel, level > 0 ? 9 : 0);
        r.radio.ReadSignal();
        EXPECT_EQ(r.state.SignalLevel, std::min(level, 11));
    }

    // An on/off signal in virtual time; the R7000 reads it on the carrier-detect line.
    CivLink old(CivModels[0]);
    old.Profile().Detect = 1;
    ASSERT_EQ(old.radio.OpenRadio(), 0);
    old.sim->Schedule.Entries.push_back({old.sim->FrequencyHz, 5, 2000, 3000, 0});
    old.host.Advance(5000 - old.host.NowMs() % 5000 + 100); // early in an on phase
    old.radio.ReadSignal();
    EXPECT_EQ(old.state.SignalLevel, 9);
    old.host.Advance(2500); // off
    old.radio.ReadSignal();
    EXPECT_EQ(old.state.SignalLevel, 0);
    EXPECT_FALSE(old.sim->Received(0x15));
}

TEST(CivDriver, AnswersFromElsewhereAndMalformedAnswersAreHandled) {
    // Frames for another controller and from another radio are passed over.
    CivLink r(CivModels[2]);
    ASSERT_EQ(r.radio.OpenRadio(), 0);
    r.sim->Faults = IcomRadio::Fault::ForeignFrames;
    r.sim->FrequencyHz = 146520000;
    r.Send(IcomReadFrequency);
    EXPECT_EQ(r.Current().Frequency, 14652000);

    // Non-BCD data (a byte of 199 and more): frequency 0, Valid untouched; no signal.
    r.sim->Faults = IcomRadio::Fault::BadBcd;
    r.Current().Valid = true;
    r.Send(IcomReadFrequency);
    EXPECT_EQ(r.Current().Frequency, 0);
    EXPECT_TRUE(r.Current().Valid);
    r.sim->Schedule.Entries.push_back({r.sim->FrequencyHz, 8, 0, 0, 0});
    r.state.SignalLevel = 5;
    r.Send(IcomReadSMeter);
    EXPECT_EQ(r.state.SignalLevel, 0);

    // Answers cut short: no frame is read past its end, the frequency reads as none.
    r.sim->Faults = IcomRadio::Fault::Truncated;
    r.Current().Frequency = 14652000;
    r.Send(IcomReadFrequency);
    EXPECT_EQ(r.Current().Frequency, 0);
    r.Current().Mode = 4;
    r.Send(IcomReadMode);
    EXPECT_LE(r.Current().Mode, 10);

    // Bytes that never make a frame: the read gives up and the radio counts as silent.
    r.sim->Faults = IcomRadio::Fault::Garbage;
    r.link.RadioNotResponding = false;
    r.Current().Frequency = 14652000;
    r.Send(IcomReadFrequency);
    EXPECT_EQ(r.Current().Frequency, 14652000);
    EXPECT_TRUE(r.link.RadioNotResponding);
    EXPECT_EQ(r.CountMessages("Data Processing Error"), 0);

    // A profile address the radio does not have: nothing answers, the open fails.
    CivLink wrong(CivModels[2]);
    wrong.Profile().Addr = 0x10;
    EXPECT_EQ(wrong.radio.OpenRadio(), 2);
    EXPECT_EQ(wrong.sim->Commands.size(), 0u);
    EXPECT_EQ(wrong.sim->ForeignFrames, 1);
}

TEST(CivDriver, A100000ByteBurstOfNoiseNeitherCrashesNorHangs) {
    for (unsigned seed : {1u, 2u, 3u}) {
        CivLink r(CivModels[4]);
        r.Profile().Detect = 2;
        r.Profile().ExpCmd = true;
        ASSERT_EQ(r.radio.OpenRadio(), 0);
        r.sim->Random.seed(seed);
        r.sim->NoiseBytes = 100000;
        r.radio.ReadRadioState();
        r.radio.ReadSignal();
        r.state.CurrentChannel = 7;
        r.radio.LoadChannel();
        r.Current().Frequency = 14652000;
        r.Current().Mode = 6;
        r.radio.ApplyRadioState();
        EXPECT_LE(r.Current().Mode, 10);
        EXPECT_LE(r.state.SignalLevel, 11);
        EXPECT_EQ(r.CountMessages("Data Processing Error"), 0);
        // Back to a sane radio: the driver works again.
        r.sim->NoiseBytes = 0;
        r.sim->FrequencyHz = 146520000;
        r.Send(IcomReadFrequency);
        EXPECT_EQ(r.Current().Frequency, 14652000);
    }
}

TEST(CivDriver, NoChannelNoFrameAndFrequencyDigits) {
    RadioProfile p;
    RadioState st;
    st.CurrentChannel = -1;
    EXPECT_EQ(IcomCommand(p, st, IcomSelectMemory), "");

    EXPECT_EQ(IcomFrequencyFromBytes(Bytes({0x00, 0x00, 0x52, 0x46, 0x01})), 14652000);
    EXPECT_EQ(IcomFrequencyFromBytes(Bytes({0x05, 0x00, 0x52, 0x46, 0x01})),
              14652000); // half, even
    EXPECT_EQ(IcomFrequencyFromBytes(Bytes({0x15, 0x00, 0x52, 0x46, 0x01})), 14652002);
    EXPECT_EQ(IcomFrequencyFromBytes(Bytes({0x00, 0x00, 0x52, 0xC7, 0x01})), 0);
    EXPECT_EQ(IcomFrequencyFromBytes(Bytes({0x00, 0x00, 0x5A, 0x46, 0x01})), 0);
    EXPECT_EQ(IcomFrequencyFromBytes(Bytes({0x00, 0x00, 0x52})), 0);
    EXPECT_EQ(IcomFrequencyFromBytes(std::string(12, char(0x99))), 0);
}

} // namespace
} // namespace rigvane::test
