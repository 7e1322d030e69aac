#pragma once
// Window positions are stored in twips: 15 twips to the pixel.
#include <algorithm>

#include <QGuiApplication>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QSize>

#include "core/Settings.h"

namespace rigvane {

constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(float twips) {
    return static_cast<int>(twips / TwipsPerPixel);
}
inline float PixelsToTwips(int pixels) {
    return static_cast<float>(pixels * TwipsPerPixel);
}

// The top-left corner that puts `window` wholly on one of `screens` (their
// available areas): unchanged when it already is; otherwise moved onto the
// screen it overlaps most, or onto the nearest one when it overlaps none (a
// monitor unplugged since the place was stored). A window larger than its
// screen keeps its title bar in view.
inline QPoint FitOnScreens(const QRect& window, const QList<QRect>& screens) {
    if (screens.isEmpty()) return window.topLeft();
    const QRect* best = nullptr;
    long bestArea = -1;
    for (const QRect& s : screens) {
        if (s.contains(window)) return window.topLeft();
        const QRect overlap = s.intersected(window);
        const long area = overlap.isEmpty() ? 0 : long(overlap.width()) * overlap.height();
        if (area > bestArea) bestArea = area, best = &s;
    }
    if (bestArea == 0) { // on no screen: the nearest one
        long bestDistance = -1;
        for (const QRect& s : screens) {
            const QPoint d = window.center() - s.center();
            const long distance = long(d.x()) * d.x() + long(d.y()) * d.y();
            if (bestDistance < 0 || distance < bestDistance) bestDistance = distance, best = &s;
        }
    }
    const QRect& s = *best;
    const int x = std::max(s.left(), std::min(window.left(), s.right() + 1 - window.width()));
    const int y = std::max(s.top(), std::min(window.top(), s.bottom() + 1 - window.height()));
    return {x, y};
}

inline QList<QRect> AvailableScreenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

// Where window-table entry `entry` of `size` opens. A window that has never
// been placed (a missing position reads as 0, 0) gets a spot of its own
// beside the main window instead of piling up in the top-left corner; every
// place is then fitted onto the screens there are now, with room for the
// frame and title bar that a window not yet shown does not count.
inline QPoint WindowPosition(const Settings& settings, int entry, QSize size = QSize(240, 120)) {
    const WindowPlacement& w = settings.Windows[entry];
    QPoint place;
    if (w.X != 0 || w.Y != 0 || entry == WinMain) {
        place = {TwipsToPixels(w.X), TwipsToPixels(w.Y)};
    } else {
        switch (entry) {
        case WinMessage:
            place = {560, 0};
            break;
        case WinVfoA:
            place = {560, 280};
            break;
        case WinVfoB:
            place = {1060, 280};
            break;
        case WinSpectrum:
            place = {0, 600};
            break;
        default:
            place = {1120, 40 * (entry - WinMemoryEditor)};
            break;
        }
    }
    const QSize frame(8, 32);
    return FitOnScreens(QRect(place, size.expandedTo(QSize(1, 1)) + frame), AvailableScreenAreas());
}

} // namespace rigvane
