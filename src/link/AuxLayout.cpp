#include "link/AuxLayout.h"

#include <cstdio>
#include <cstdlib>

#include "core/CodeTables.h"

namespace rigvane {

const std::array<bool Channel::*, AuxCheckCount> AuxFlags = {&Channel::Notch,   &Channel::Sync,
                                                             &Channel::Preamp,  &Channel::Tone2On,
                                                             &Channel::Tone3On, &Channel::Atten};
const std::array<uint8_t Channel::*, AuxListCount> AuxCodes = {
    &Channel::Tone1,     &Channel::Agc,   &Channel::Antenna, &Channel::NoiseBlank,
    &Channel::Bandwidth, &Channel::Tone2, &Channel::Tone3};

namespace {

constexpr uint8_t Bits(std::initializer_list<int> indices) {
    uint8_t mask = 0;
    for (int i : indices)
        mask = uint8_t(mask | (1u << i));
    return mask;
}

} // namespace

std::string OffsetCaption(const char* offsetText) {
    const long hz = std::strtol(offsetText + 1, nullptr, 10);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%c%.1fMhz", offsetText[0] == '-' ? '-' : '+', double(hz) / 1e6);
    return buf;
}

AuxLayout MakeAuxLayout(const AuxSpec& aux, bool showAux) {
    AuxLayout a;
    std::vector<std::string> tones(ToneNames.begin(), ToneNames.end());
    a.ListItems = {tones,
                   {"off", "slow", "fast"},
                   {"Ant 1", "VHF  ", "Ant 2"},
                   {"off", "narrow", "wide"},
                   {"0", "1", "2", "3", "4", "5", "6"},
                   tones,
                   tones};
    a.CheckCaptions = {"Tone Enable", "AM Sync On", "PreAmp On",
                       "Tone 2 On",   "Tone 3 On",  "Attenuator"};
    a.ListCaptions = {"Tone", "AGC", "Antenna", "Noise Blanker", "Bandwidth", "Tone 2", "Tone 3"};
    a.CheckShown.fill(true);
    a.ListShown.fill(true);
    a.CheckShown[4] = false; // Tone 3 only when a radio asks for it
    a.ListShown[6] = false;

    for (int i = 0; i < AuxCheckCount; ++i) {
        if (aux.CheckCaptions[size_t(i)]) a.CheckCaptions[size_t(i)] = aux.CheckCaptions[size_t(i)];
        if (!showAux && (aux.HiddenChecks >> i & 1)) a.CheckShown[size_t(i)] = false;
        if (aux.ForcedChecks >> i & 1) a.CheckShown[size_t(i)] = true;
    }
    for (int i = 0; i < AuxListCount; ++i) {
        if (aux.ListCaptions[size_t(i)]) a.ListCaptions[size_t(i)] = aux.ListCaptions[size_t(i)];
        if (!showAux && (aux.HiddenLists >> i & 1)) a.ListShown[size_t(i)] = false;
        if (aux.ForcedLists >> i & 1) a.ListShown[size_t(i)] = true;
    }
    if (!aux.Bandwidths.empty()) a.ListItems[4] = aux.Bandwidths;
    if (!aux.Tones.empty()) a.ListItems[0] = aux.Tones;
    a.Frame = aux.Frame || showAux;
    return a;
}

AuxSpec AuxOf(const SerialLink& link, const RadioProfile& radio) {
    if (link.DriverOf(radio.Protocol)) return link.ModelCapsFor(radio).VfoAux;
    return AuxSpecFor(radio.Protocol, radio.Model);
}

AuxSpec AuxSpecFor(int protocol, int model) {
    AuxSpec s;
    switch (protocol) {
    case ProtoKenwood:
        s.CheckCaptions[0] = "Notch Filter On";
        s.HiddenChecks = Bits({1, 2, 3, 4});
        s.HiddenLists = Bits({0, 4, 5, 6});
        break;
    case ProtoAor3000:
        s.Frame = false;
        break;
    case ProtoAor8000:
        for (int i = 0; i < ToneCount; ++i)
            s.Tones.push_back(" " + std::to_string(i % 16));
        s.HiddenChecks = Bits({0, 1, 2, 3, 4});
        s.HiddenLists = Bits({0, 1, 2, 3, 4, 5, 6});
        break;
    case ProtoDrake:
        s.Bandwidths = {"0.5khz", "1.8khz", "2.3khz", "4.0khz", "6.0khz", "6.0khz", "6.0khz"};
        s.CheckCaptions[0] = "Notch Filter On";
        s.HiddenLists = Bits({0, 5, 6});
        s.HiddenChecks = Bits({3, 4});
        break;
    case ProtoBearcat:
        s.CheckCaptions[1] = "Recorder";
        if (model != 2) {
            s.HiddenLists |= Bits({0});
            s.HiddenChecks |= Bits({0});
        }
        if (model == 0) {
            s.HiddenChecks |= Bits({1, 2, 3, 4});
            s.HiddenLists |= Bits({0, 1, 2, 3, 4, 5, 6});
        }
        if (model == 2) s.HiddenChecks |= Bits({5});
        break;
    case ProtoAor5000:
        s.Bandwidths = {"0.5khz", "3.0khz", "6.0khz", "15khz", "30khz", "110khz", "220khz"};
        s.HiddenChecks = Bits({0, 1, 2, 3, 4});
        s.HiddenLists = Bits({0, 1, 3, 5, 6});
        break;
    case ProtoThf6a:
        s.ListCaptions[4] = "Offset";
        s.ListCaptions[5] = "CTCSS";
        s.ListCaptions[6] = "DCS";
        s.CheckCaptions[3] = "CTCSS On";
        s.CheckCaptions[4] = "DCS On";
        s.ForcedChecks = Bits({3});
        s.ForcedLists = Bits({4, 5});
        // The list index is the driver's offset code: "none", then offsets 1..6.
        s.Bandwidths = {"none"};
        for (size_t i = 1; i < OffsetTexts.size(); ++i)
            s.Bandwidths.push_back(OffsetCaption(OffsetTexts[i]));
        s.HiddenLists = Bits({1, 2, 3});
        s.HiddenChecks = Bits({1});
        s.BandwidthFollowsMode = false; // list 4 holds the offsets
        break;
    default: // the families whose driver has its own, BCD396T: the common set-up
        break;
    }
    return s;
}

} // namespace rigvane
