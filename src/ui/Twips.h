#pragma once
// Window positions are stored in twips: 15 twips to the pixel.
namespace rigvane {

constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(float twips) {
    return static_cast<int>(twips / TwipsPerPixel);
}
inline float PixelsToTwips(int pixels) {
    return static_cast<float>(pixels * TwipsPerPixel);
}

} // namespace rigvane
