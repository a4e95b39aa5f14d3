// Basic value types of the platform layer: colours, points, rectangles, alignment.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace zan::platform {

// 0x00BBGGRR for explicit colours; values with the top bit set name system colours.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clSystemColor = 0x80000000;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clBtnFace = clSystemColor | 15;

// Resolves system colours to explicit ones (the window colour is white).
TColor ColorToRGB(TColor color);

inline constexpr std::uint8_t RedOf(TColor c) { return c & 0xFF; }
inline constexpr std::uint8_t GreenOf(TColor c) { return (c >> 8) & 0xFF; }
inline constexpr std::uint8_t BlueOf(TColor c) { return (c >> 16) & 0xFF; }
inline constexpr TColor RgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// A 64-bit intermediate result brought back to the 32-bit range, so that coordinate
// arithmetic on extreme values saturates instead of overflowing.
inline constexpr std::int32_t Saturate32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Whether two names are equal with the letter case of A to Z ignored, as names of
// classes, properties, symbologies and faces compare; other bytes compare as they are,
// whatever the locale.
constexpr bool SameText(std::string_view a, std::string_view b) {
    constexpr auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return fold(x) == fold(y); });
}

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    std::int32_t Width() const { return Saturate32(std::int64_t{Right} - Left); }
    std::int32_t Height() const { return Saturate32(std::int64_t{Bottom} - Top); }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline constexpr TPoint Point(std::int32_t x, std::int32_t y) { return {x, y}; }
inline constexpr TRect Rect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) { return {l, t, r, b}; }

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

}  // namespace zan::platform
