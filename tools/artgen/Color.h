// RGB colours and the small amount of colour arithmetic the painters need.
#pragma once
#include <cstdint>

struct SColor {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const SColor& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const SColor& o) const { return !(*this == o); }
};

inline SColor Rgb(int r, int g, int b) {
    auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    return SColor{clamp(r), clamp(g), clamp(b)};
}

// Mixes a towards b; t runs 0..256.
inline SColor MixColor(SColor a, SColor b, int t) {
    return Rgb(a.r + ((b.r - a.r) * t) / 256, a.g + ((b.g - a.g) * t) / 256, a.b + ((b.b - a.b) * t) / 256);
}

// Scales brightness; f runs 0..256 for darker, above 256 for brighter.
inline SColor ScaleColor(SColor c, int f) { return Rgb(c.r * f / 256, c.g * f / 256, c.b * f / 256); }

inline uint32_t PackColor(SColor c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; }
inline SColor UnpackColor(uint32_t v) { return SColor{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

// The colour that stands for "transparent" in every picture.
const SColor KEY_COLOR = {217, 173, 216};
