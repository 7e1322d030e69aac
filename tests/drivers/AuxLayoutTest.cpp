// The aux controls each radio shows in the VFO windows and the memory editor.
#include <gtest/gtest.h>

#include "core/CodeTables.h"
#include "drivers/Registry.h"
#include "link/AuxLayout.h"

using namespace rigvane;

namespace {

AuxSpec AuxSpecFor(int protocol, int model) {
    return CapsFor(protocol).Model(model).VfoAux;
}

std::string Shown(const AuxLayout& a) {
    std::string s;
    for (int i = 0; i < AuxCheckCount; ++i)
        if (a.CheckShown[i]) s += "c" + std::to_string(i);
    s += "/";
    for (int i = 0; i < AuxListCount; ++i)
        if (a.ListShown[i]) s += "l" + std::to_string(i);
    return s + (a.Frame ? "/f" : "/-");
}

} // namespace

TEST(AuxLayout, EveryRadioCanStoreEveryCode) {
    // Whatever a radio hides, each list has an entry for every code a file
    // may hold: tones 0..42 and bandwidths 0..6 (TH-F6A offsets 0..6). A
    // protocol without a driver gets the common set-up.
    for (int protocol = 0; protocol < ProtocolCount; ++protocol) {
        for (int model = 0; model < int(CapsFor(protocol).Models.size()); ++model) {
            for (bool showAux : {false, true}) {
                const AuxLayout a = MakeAuxLayout(AuxSpecFor(protocol, model), showAux);
                SCOPED_TRACE(std::to_string(protocol) + "/" + std::to_string(model));
                for (int list : {0, 5, 6})
                    EXPECT_EQ(a.ListItems[list].size(), size_t(ToneCount));
                EXPECT_EQ(a.ListItems[4].size(), 7u);
                EXPECT_EQ(a.ListItems[1].size(), 3u);
                // A shown control never has an empty caption.
                for (int i = 0; i < AuxListCount; ++i)
                    EXPECT_TRUE(!a.ListShown[i] || !a.ListCaptions[i].empty());
                EXPECT_TRUE(!showAux || Shown(a) == "c0c1c2c3c5/l0l1l2l3l4l5/f") << Shown(a);
            }
        }
    }
}

TEST(AuxLayout, RadioOwnControlsAndLists) {
    // TH-F6A: CTCSS and the offset list are its own; they stay whatever is hidden.
    AuxSpec thf6a = AuxSpecFor(ProtoThf6a, 0);
    thf6a.HiddenChecks = 0xFF;
    thf6a.HiddenLists = 0xFF;
    const AuxLayout a = MakeAuxLayout(thf6a, false);
    EXPECT_EQ(Shown(a), "c3/l4l5/f");
    EXPECT_EQ(a.ListItems[4][1], "+0.6Mhz");
    EXPECT_EQ(a.ListItems[4][6], "-5.0Mhz");
    // Radios without aux controls lose the frame, unless unused ones are shown.
    AuxSpec none;
    none.Frame = false;
    EXPECT_EQ(Shown(MakeAuxLayout(none, false)).back(), '-');
    EXPECT_EQ(Shown(MakeAuxLayout(none, true)).back(), 'f');
    EXPECT_EQ(MakeAuxLayout(AuxSpecFor(ProtoAor8000, 0), false).ListItems[0][16], " 0");
}
