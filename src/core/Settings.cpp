#include "core/Settings.h"

#include "core/Text.h"

namespace rigvane {

std::string RadioProfile::FixedWidth20(const std::string& s) {
    return FixedWidth(s, 20);
}

std::array<WindowPlacement, WindowEntryCount> Settings::DefaultWindows() {
    std::array<WindowPlacement, WindowEntryCount> w{};
    const float xy[WindowEntryCount][2] = {{0, 0},      {135, 195},  {0, 3855},  {525, 1830},
                                           {615, 1410}, {480, 660},  {135, 255}, {45, 1035},
                                           {0, 1935},   {330, 2685}, {0, 0}};
    for (int i = 0; i < WindowEntryCount; ++i) {
        w[i].X = xy[i][0];
        w[i].Y = xy[i][1];
        w[i].Open = i >= 1;
    }
    return w;
}

} // namespace rigvane
