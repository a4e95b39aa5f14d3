// The palette pictures that the package carries: 24 x 24 pixels, 16 colours, as
// uncompressed Windows bitmap files, named after the upper-cased class name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zan::package {

inline constexpr int PaletteBitmapSize = 24;
// File header (14) + BITMAPINFOHEADER (40) + 16 colours (64) + rows of 12 bytes.
inline constexpr std::size_t PaletteBitmapFileSize = 14 + 40 + 16 * 4 + PaletteBitmapSize * 12;
using TPaletteBitmap = std::array<unsigned char, PaletteBitmapFileSize>;

// TZANBARCODE: vertical bars above a line of small glyphs.
extern const TPaletteBitmap BarcodeBitmap;
// TZANDBBARCODE: a grid over shortened bars.
extern const TPaletteBitmap DBBarcodeBitmap;

}  // namespace zan::package
