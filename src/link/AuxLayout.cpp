#include "link/AuxLayout.h"

#include "core/CodeTables.h"

namespace rigvane {

const std::array<bool Channel::*, AuxCheckCount> AuxFlags = {&Channel::Notch,   &Channel::Sync,
                                                             &Channel::Preamp,  &Channel::Tone2On,
                                                             &Channel::Tone3On, &Channel::Atten};
const std::array<uint8_t Channel::*, AuxListCount> AuxCodes = {
    &Channel::Tone1,     &Channel::Agc,   &Channel::Antenna, &Channel::NoiseBlank,
    &Channel::Bandwidth, &Channel::Tone2, &Channel::Tone3};

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
    // A protocol no driver serves gets the common set-up.
    if (link.DriverOf(radio.Protocol)) return link.ModelCapsFor(radio).VfoAux;
    return AuxSpec{};
}

} // namespace rigvane
