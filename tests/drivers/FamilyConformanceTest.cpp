// Every registered family's driver against its simulated radios, through
// the radio operations, with the same cases: open, tune and read back, every
// mode the model has, store and recall where the family has them, the signal
// by every detect method the model has, a silent radio, a radio that sends
// noise and a refused command. What a case needs of a family it reads from
// the family's capabilities, so a row is all a new family adds here.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>

#include "common/LinkRig.h"
#include "core/CodeTables.h"
#include "drivers/Registry.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {
namespace {

struct Row {
    uint8_t Protocol;
    uint8_t Model;
    const char* SimName; // the simulated radio of sim/Catalog; "" for none
    int HamlibModel = 0; // HAMLIB: Hamlib's own radio, served in-process
    // Two frequencies within the radio's range (10 Hz units).
    int32_t Tuned = 14652000; // 146.52 MHz
    int32_t Other = 16240000; // 162.40 MHz
};

// One row per (family, model, simulated radio).
const Row Rows[] = {
    {ProtoLocal, 0, ""},
    {ProtoIcom, 0, "icom-r7000"},
    {ProtoIcom, 1, "icom-generic"},
    {ProtoIcom, 2, "icom-r8500"},
    {ProtoIcom, 3, "icom-r9000"},
    {ProtoIcom, 4, "icom-r746"},
    {ProtoOpto, 0, "opto"},
    {ProtoAor8000, 0, "aor-ar8000"},
    {ProtoAor5000, 0, "aor-ar5000"},
    {ProtoBearcat, 0, "bearcat-bc245"},
    {ProtoBearcat, 1, "bearcat-bc780"},
    {ProtoBearcat, 2, "bearcat-bc895"},
    {ProtoBcd396, 0, "bcd396t"},
    {ProtoKenwood, 0, "kenwood"},
    {ProtoThf6a, 0, "thf6a"},
    {ProtoThf6a, 1, "thg71"},
    {ProtoAor3000, 0, "aor-ar3000a"},
    {ProtoAor3000, 1, "aor-ar3000"},
    // The Drakes receive up to 30 MHz: 14.2 and 7.2 MHz.
    {ProtoDrake, 0, "drake-r8a", 0, 1420000, 720000},
    {ProtoDrake, 1, "drake-r8", 0, 1420000, 720000},
    {ProtoHamlib, 0, "", 1}, // Hamlib's dummy radio
};

constexpr int32_t Refused = 350000000; // 3500 MHz, beyond every receiver here

class Family : public ::testing::TestWithParam<Row>, public LinkRig {
  protected:
    Family() {
        InstallDrivers(radio);
        const Row& row = GetParam();
        RadioProfile& p = Profile();
        p.Protocol = row.Protocol;
        p.Model = row.Model;
        p.Timeout = 30;
        p.MinChan = 1;
        p.MinFreq = 0;
        p.MaxFreq = NoFrequency - 1;
        p.CompAddr = 0xE0;
        // The memory a family tunes through, as a new profile of it has.
        if (Model().Serial.VfoChan >= 0) p.VfoChan = Model().Serial.VfoChan;
        p.HamlibModel = row.HamlibModel;
        if (*row.SimName) {
            const SimModel* model = FindSimModel(row.SimName);
            EXPECT_TRUE(model) << row.SimName;
            SimOptions options;
            if (model && model->TakesAddress) options.Address = p.Addr;
            std::string error;
            auto simPeer = std::make_shared<SimPeer>(MakeSimRadio(row.SimName, options, &error));
            sim = &simPeer->Radio();
            peer = simPeer;
            p.Device = std::string("sim:") + row.SimName;
        }
    }

    const FamilyCaps& Caps() { return link.CapsFor(GetParam().Protocol); }
    const ModelCaps& Model() { return Caps().Model(GetParam().Model); }
    bool Has(RadioOp op) { return Caps().Has(op); }
    void Open() {
        ASSERT_EQ(radio.OpenRadio(), OpenConnected);
        ASSERT_FALSE(link.RadioNotResponding);
    }
    // Tunes to `frequency` and `mode` from a blank state (what a read left
    // behind, such as the R8A's Valid bit that reads back inverted, is not
    // sent on), then reads the radio back.
    void TuneAndRead(int32_t frequency, uint8_t mode) {
        state.Current = MakeBlankChannel();
        state.Current.Frequency = frequency;
        state.Current.Mode = mode;
        radio.ApplyRadioState();
        state.Current = MakeBlankChannel();
        radio.ReadRadioState();
    }
    // The signal level the radio operations report with `detect`.
    int SignalWith(uint8_t detect) {
        Profile().Detect = detect;
        state.SignalLevel = 0;
        radio.ReadSignal();
        return state.SignalLevel;
    }
    // A radio to talk to: a simulated one, or one the family opens itself
    // (the AR3000 tunes but never answers).
    bool Talks() {
        return (sim || Caps().OwnConnection) && Has(OpApply) && Has(OpRead) && !Model().NoReply;
    }
    // Tunes where the family can (and reads back where it can); a radio that
    // never answers is still tuned: its carrier line tells.
    void Tune(int32_t frequency) {
        if (Talks()) {
            TuneAndRead(frequency, 2);
        } else if (sim && Has(OpApply)) {
            state.Current = MakeBlankChannel();
            state.Current.Frequency = frequency;
            state.Current.Mode = 2;
            radio.ApplyRadioState();
        }
    }

    SimRadio* sim = nullptr;
    const int32_t Tuned = GetParam().Tuned;
    const int32_t Other = GetParam().Other;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << ProtocolNames[row.Protocol] << " model " << int(row.Model) << " on "
        << (*row.SimName ? row.SimName : "no port");
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name = ProtocolNames[info.param.Protocol];
    name += "_" + std::to_string(info.param.Model);
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, Family, ::testing::ValuesIn(Rows), RowName);

TEST_P(Family, OpensAndSaysSoOnce) {
    Open();
    EXPECT_EQ(link.StatusCaption(), "Connected");
    EXPECT_EQ(
        CountMessages(std::string(ModelName(GetParam().Protocol, GetParam().Model)) + " Connected"),
        1);
    EXPECT_EQ(CountMessages("Data Processing Error"), 0);
    EXPECT_EQ(link.PortOpen(), Caps().UsesPort);
}

TEST_P(Family, TunesReadsBackAndKeepsEveryModeStable) {
    if (!Talks()) GTEST_SKIP() << "the family neither tunes nor reads a radio";
    Open();
    TuneAndRead(Tuned, 2);
    EXPECT_EQ(state.Current.Frequency, Tuned);
    EXPECT_TRUE(state.Current.Valid);
    EXPECT_EQ(state.LastSent, state.Current);

    // Every mode reads back as a mode of the radio's, and that one, sent
    // again, reads back as itself.
    for (uint8_t mode = 1; mode <= 9; ++mode) {
        if (!(Model().Modes & (1u << mode))) continue;
        TuneAndRead(Tuned, mode);
        const uint8_t read = state.Current.Mode;
        EXPECT_GE(read, 1) << "mode " << int(mode);
        EXPECT_LE(read, 9) << "mode " << int(mode);
        TuneAndRead(Other, read);
        EXPECT_EQ(state.Current.Mode, read) << "mode " << int(mode) << " read as " << int(read);
        EXPECT_EQ(state.Current.Frequency, Other);
    }
    EXPECT_FALSE(link.RadioNotResponding);
    EXPECT_EQ(CountMessages("rejected"), 0);
}

TEST_P(Family, StoresRecallsLoadsAndClearsMemories) {
    if (!Talks() || !Has(OpStore) || !Has(OpRecall) || !Has(OpLoad))
        GTEST_SKIP() << "the family keeps no memories the program can use";
    Open();
    state.CurrentChannel = 5;
    state.Current = MakeBlankChannel();
    state.Current.Frequency = Other;
    state.Current.Mode = 2;
    state.Current.Valid = true; // a channel in use: visited by the scan, not locked out
    radio.StoreChannel();

    TuneAndRead(Tuned, 2);
    radio.RecallChannel();
    // With the radio's memories in use a read reads the channel, not the VFO.
    Profile().Memory = true;
    radio.ReadRadioState();
    Profile().Memory = false;
    EXPECT_EQ(state.Current.Frequency, Other);

    state.Current = MakeBlankChannel();
    radio.LoadChannel();
    EXPECT_EQ(state.Current.Frequency, Other);
    // The R8A reads its Valid bit back inverted (its own tests pin that).
    const bool invertsValid = GetParam().Protocol == ProtoDrake && GetParam().Model == 0;
    if (!invertsValid) {
        EXPECT_TRUE(state.Current.Valid);
    }

    // An emptied channel loads as nothing.
    if (Caps().ClearsMemories) {
        state.Current = MakeBlankChannel();
        state.Current.Frequency = 0;
        radio.StoreChannel();
        radio.LoadChannel();
        EXPECT_EQ(state.Current.Frequency, 0);
    }
    EXPECT_FALSE(link.RadioNotResponding);
}

TEST_P(Family, SignalOnAndOffByEveryDetectMethod) {
    if (!sim && Caps().OwnConnection) GTEST_SKIP() << "no activity schedule to hear";
    if (sim) {
        ActiveFrequency a;
        a.FrequencyHz = int64_t(Tuned) * 10;
        a.Level = 7;
        sim->Schedule.Entries.push_back(a);
    }
    Open();
    Tune(Tuned);
    const uint8_t detects = Model().Detects;
    for (uint8_t detect : {DetectHardware, DetectSoftware, DetectBoth}) {
        if (!(detects & (1u << detect))) continue;
        EXPECT_GT(SignalWith(detect), 0) << "detect " << int(detect);
    }
    // Off the active frequency: nothing, whatever the method.
    Tune(Other);
    for (uint8_t detect : {DetectNone, DetectHardware, DetectSoftware, DetectBoth}) {
        if (!(detects & (1u << detect))) continue;
        EXPECT_EQ(SignalWith(detect), 0) << "detect " << int(detect);
    }
    EXPECT_FALSE(link.RadioNotResponding);
}

TEST_P(Family, SilentRadioCostsBoundedTriesAndOneMessage) {
    if (!Talks() || !sim) GTEST_SKIP() << "nothing to go silent";
    Open();
    TuneAndRead(Tuned, 2);
    sim->PoweredOn = false;
    // Each operation ends: at most three requests of three tries, each of
    // three attempts of ten polls of the profile's 30 ms.
    const int64_t bound = 3 * 3 * 3 * 10 * 30;
    auto bounded = [&](const char* what, const std::function<void()>& operation) {
        const int64_t start = host.NowMs();
        operation();
        EXPECT_LE(host.NowMs() - start, bound) << what;
    };
    bounded("read", [&] { radio.ReadRadioState(); });
    bounded("signal", [&] {
        Profile().Detect = DetectSoftware;
        radio.ReadSignal();
    });
    bounded("apply", [&] {
        state.Current.Frequency = Other;
        state.Current.Mode = 4;
        radio.ApplyRadioState();
    });
    EXPECT_TRUE(link.RadioNotResponding);
    EXPECT_EQ(CountMessages("Radio not responding"), 1);
    EXPECT_EQ(state.LastSent, BlankChannel); // nothing the radio did not take counts as sent

    // Back again: the same state is sent again and reaches the radio.
    sim->PoweredOn = true;
    radio.ApplyRadioState();
    radio.ReadRadioState();
    EXPECT_FALSE(link.RadioNotResponding);
    EXPECT_EQ(state.Current.Frequency, Other);
}

TEST_P(Family, RadioSendingNoiseNeverBreaksTheProgram) {
    if (!Talks() || !sim) GTEST_SKIP() << "no radio to send noise";
    Open();
    TuneAndRead(Tuned, 2);
    sim->NoiseBytes = 40;
    const int64_t start = host.NowMs();
    for (int i = 0; i < 5; ++i) {
        TuneAndRead(Other, 4);
        EXPECT_NE(state.Current.Frequency, Other); // noise is never a reading
        Profile().Detect = DetectSoftware;
        radio.ReadSignal();
        EXPECT_LE(state.SignalLevel, 11);
    }
    EXPECT_LE(host.NowMs() - start, 5 * 3 * 3 * 3 * 10 * 30);
    EXPECT_EQ(CountMessages("Data Processing Error"), 0);

    sim->NoiseBytes = 0;
    TuneAndRead(Other, 2);
    EXPECT_EQ(state.Current.Frequency, Other);
}

TEST_P(Family, RefusedCommandIsNeverTakenAsDone) {
    if (!Talks() || !sim) GTEST_SKIP() << "no radio to refuse";
    Open();
    TuneAndRead(Tuned, 2);
    state.Current.Frequency = Refused;
    radio.ApplyRadioState();
    EXPECT_NE(state.LastSent.Frequency, Refused); // not recorded as sent
    state.Current = MakeBlankChannel();
    radio.ReadRadioState();
    EXPECT_EQ(state.Current.Frequency, Tuned); // the radio stayed where it was
    EXPECT_FALSE(link.RadioNotResponding);     // a refusal is not silence
    EXPECT_EQ(CountMessages("Radio not responding"), 0);
}

// ---- the registry itself ------------------------------------------------------

TEST(Registry, FamiliesAreConsistentAndEachHasConformanceRows) {
    std::set<int> protocols;
    for (const RadioDriver* driver : SupportedFamilies()) {
        const FamilyCaps& caps = driver->Caps();
        SCOPED_TRACE(caps.Name);
        EXPECT_TRUE(protocols.insert(caps.Protocol).second) << "two drivers for one protocol";
        ASSERT_LT(caps.Protocol, ProtocolCount);
        EXPECT_STREQ(caps.Name, ProtocolNames[caps.Protocol]);
        EXPECT_EQ(DriverFor(caps.Protocol), driver);
        EXPECT_EQ(&CapsFor(caps.Protocol), &caps);
        ASSERT_FALSE(caps.Models.empty());
        for (size_t m = 0; m < caps.Models.size(); ++m) {
            EXPECT_STREQ(caps.Models[m].Name, ModelName(caps.Protocol, int(m)));
            // Every code a channel may hold has an entry in the lists.
            const AuxSpec& aux = caps.Models[m].VfoAux;
            EXPECT_TRUE(aux.Bandwidths.empty() || aux.Bandwidths.size() == 7u);
            EXPECT_TRUE(aux.Tones.empty() || aux.Tones.size() == size_t(ToneCount));
        }
        int rows = 0;
        for (const Row& row : Rows) {
            if (row.Protocol != caps.Protocol) continue;
            ++rows;
            EXPECT_LT(row.Model, caps.Models.size());
            if (caps.UsesPort) {
                EXPECT_TRUE(FindSimModel(row.SimName)) << row.SimName;
            }
        }
        EXPECT_GT(rows, 0) << "no conformance row";
    }
}

TEST(Registry, ProtocolWithoutDriverOpensAsNotSupported) {
    for (int protocol = 0; protocol < ProtocolCount; ++protocol) {
        if (DriverFor(protocol)) continue;
        SCOPED_TRACE(ProtocolNames[protocol]);
        // Neutral capabilities: nothing to ask the radio for, one model.
        EXPECT_EQ(CapsFor(protocol).Ops, 0u);
        EXPECT_FALSE(CapsFor(protocol).ModelChoice());
        LinkRig rig(std::make_shared<SimPeer>(MakeSimRadio("icom-r8500", nullptr)));
        InstallDrivers(rig.radio);
        rig.Profile().Protocol = uint8_t(protocol);
        rig.Profile().Device = "sim:icom-r8500";
        EXPECT_EQ(rig.radio.OpenRadio(), OpenNoDriver);
        EXPECT_EQ(rig.link.StatusCaption(), "Not Attached");
        EXPECT_EQ(
            rig.CountMessages(std::string(ProtocolNames[protocol]) + " protocol not supported yet"),
            1);
        EXPECT_EQ(rig.CountMessages("Connected"), 0);
        EXPECT_EQ(rig.lastPort, nullptr); // not a byte sent
    }
}

} // namespace
} // namespace rigvane::test
