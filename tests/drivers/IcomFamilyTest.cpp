// What the ICOM family's operations put on the wire beyond one request:
// only what changed, the extended settings only when asked for, a memory
// written as select, tune, settings, write.
#include <gtest/gtest.h>

#include "CivFixture.h"

namespace rigvane::test {
namespace {

// Command parts the radio received since `from`.
std::vector<std::string> Since(const CivLink& r, size_t from) {
    return {r.sim->Commands.begin() + long(from), r.sim->Commands.end()};
}

TEST(IcomFamily, ApplySendsOnlyWhatChangedAndExtendedSettingsWhenAsked) {
    CivLink r(CivModels[2]); // R8500
    ASSERT_EQ(r.radio.OpenRadio(), OpenConnected);
    r.Current().Frequency = 14652000;
    r.Current().Mode = 4;
    r.radio.ApplyRadioState();
    size_t mark = r.sim->Commands.size();

    r.Current().Atten = true;
    r.Current().Agc = 1;
    r.Current().Antenna = 1;
    r.radio.ApplyRadioState();
    EXPECT_EQ(Since(r, mark), std::vector<std::string>{Bytes({0x11, 0x20})});

    mark = r.sim->Commands.size();
    r.Profile().ExpCmd = true;
    r.Current().Agc = 0;
    r.Current().Antenna = 0;
    r.radio.ApplyRadioState();
    EXPECT_EQ(Since(r, mark),
              (std::vector<std::string>{Bytes({0x16, 0x10}), Bytes({0x12, 0x00, 0x00})}));

    // A memory is written as select, frequency, mode, settings, write.
    mark = r.sim->Commands.size();
    r.state.CurrentChannel = 7;
    r.radio.StoreChannel();
    const std::vector<std::string> store = Since(r, mark);
    ASSERT_EQ(store.size(), 7u);
    EXPECT_EQ(store.front(), Bytes({0x08, 0x07}));
    EXPECT_EQ(store[1][0], 0x05);
    EXPECT_EQ(store[2][0], 0x06);
    EXPECT_EQ(store.back(), Bytes({0x09}));
    EXPECT_EQ(r.sim->Rejected, 0);
}

TEST(IcomFamily, SimulatedSetsTakeWhatOtherControlProgramsSend) {
    auto frame = [](uint8_t addr, std::initializer_list<int> body) {
        return Bytes({0xFE, 0xFE, addr, 0xE0}) + Bytes(body) + Bytes({0xFD});
    };
    auto answer = [](uint8_t addr, std::initializer_list<int> body) {
        return Bytes({0xFE, 0xFE, 0xE0, addr}) + Bytes(body) + Bytes({0xFD});
    };
    const std::string ok = answer(0x4A, {0xFB}), no = answer(0x4A, {0xFA});

    IcomRadio r8500(IcomRadio::Model::R8500);
    // The attenuator reads back the level it was set to.
    for (int level : {0x10, 0x20, 0x30, 0x00}) {
        EXPECT_EQ(r8500.Receive(frame(0x4A, {0x11, level}), 0), ok);
        EXPECT_EQ(r8500.Receive(frame(0x4A, {0x11}), 0), answer(0x4A, {0x11, level}));
    }
    EXPECT_EQ(r8500.Receive(frame(0x4A, {0x11, 0x15}), 0), no);
    // FM narrow with filter 03; 07 with a VFO code or none, nothing else.
    EXPECT_EQ(r8500.Receive(frame(0x4A, {0x06, 0x05, 0x03}), 0), ok);
    EXPECT_EQ(r8500.Receive(frame(0x4A, {0x07}), 0), ok);
    EXPECT_EQ(r8500.Receive(frame(0x4A, {0x07, 0xB0}), 0), ok);
    EXPECT_EQ(r8500.Receive(frame(0x4A, {0x07, 0x42}), 0), no);
    // A blank memory's frequency is a single FF.
    EXPECT_EQ(r8500.Receive(frame(0x4A, {0x08, 0x01, 0x00}), 0), ok);
    EXPECT_EQ(r8500.Receive(frame(0x4A, {0x03}), 0), answer(0x4A, {0x03, 0xFF}));

    IcomRadio r7000(IcomRadio::Model::R7000);
    EXPECT_EQ(r7000.Receive(frame(0x08, {0x06, 0x02, 0x01}), 0), answer(0x08, {0xFB}));

    // The Opto goes back to local on 7F 01 and keeps to 25..2000 MHz.
    IcomRadio opto(IcomRadio::Model::Opto);
    EXPECT_EQ(opto.Receive(frame(0x08, {0x7F, 0x02}), 0), answer(0x08, {0xFB}));
    EXPECT_TRUE(opto.OptoInitialised);
    EXPECT_EQ(opto.Receive(frame(0x08, {0x7F, 0x01}), 0), answer(0x08, {0xFB}));
    EXPECT_FALSE(opto.OptoInitialised);
    EXPECT_EQ(opto.Receive(frame(0x08, {0x05, 0x00, 0x00, 0x00, 0x05, 0x00}), 0),
              answer(0x08, {0xFA})); // 5 MHz
    EXPECT_EQ(opto.Receive(frame(0x08, {0x05, 0x00, 0x00, 0x00, 0x00, 0x25}), 0),
              answer(0x08, {0xFA})); // 2500 MHz
}

} // namespace
} // namespace rigvane::test
