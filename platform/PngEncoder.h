// Encodes 32-bit pixels as a PNG file in memory, in the smallest form that holds them exactly.
#pragma once

#include <cstdint>
#include <vector>

#include <zanbarcode/platform/Types.h>

namespace zan::platform {

// A PNG file of Width x Height pixels (0x00BBGGRR, row by row; both sides at least 1)
// with a pHYs chunk of the resolution. Up to 256 colours are stored with a palette of 1,
// 2, 4 or 8 bits a pixel, grey levels without a palette where a grey PNG of as few bits
// holds every level exactly, other pictures as 8-bit RGB. Reading the file back gives
// exactly the pixels.
std::vector<std::uint8_t> EncodePng(const TColor* pixels, std::uint32_t width, std::uint32_t height,
                                    std::uint32_t pixelsPerMetre);

}  // namespace zan::platform
