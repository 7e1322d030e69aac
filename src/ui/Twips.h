#pragma once
// Window positions are stored in twips: 15 twips to the pixel.
#include <QPoint>

#include "core/Settings.h"

namespace rigvane {

constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(float twips) {
    return static_cast<int>(twips / TwipsPerPixel);
}
inline float PixelsToTwips(int pixels) {
    return static_cast<float>(pixels * TwipsPerPixel);
}

// Where window-table entry `entry` opens. A window that has never been placed
// (a missing position reads as 0, 0) gets a spot of its own beside the main
// window instead of piling up with every other window in the top-left corner.
inline QPoint WindowPosition(const Settings& settings, int entry) {
    const WindowPlacement& w = settings.Windows[entry];
    if (w.X != 0 || w.Y != 0 || entry == WinMain) return {TwipsToPixels(w.X), TwipsToPixels(w.Y)};
    switch (entry) {
    case WinMessage:
        return {560, 0};
    case WinVfoA:
        return {560, 280};
    case WinVfoB:
        return {1060, 280};
    case WinSpectrum:
        return {0, 600};
    default:
        return {1120, 40 * (entry - WinMemoryEditor)};
    }
}

} // namespace rigvane
