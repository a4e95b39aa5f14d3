// Whole-picture comparisons of the fuzz targets. They are compiled without the fuzzer's
// coverage: a branch per pixel tells it nothing about the code under test and cost a
// third of each run.
#pragma once

#include <cstdint>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Types.h>

namespace zanfuzz {

// Every pixel of Bitmap, row after row.
std::vector<zan::platform::TColor> PixelsOf(const zan::platform::TBitmap& bitmap);

// Whether the two bitmaps have the same size, resolution and pixels.
bool SamePicture(const zan::platform::TBitmap& a, const zan::platform::TBitmap& b);

// A rectangle in 64 bits, whose edges may lie far outside any bitmap.
struct TWideRect {
    std::int64_t Left, Top, Right, Bottom;
    bool Holds(std::int64_t x, std::int64_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
};

// Whether every pixel of Bitmap outside both rectangles is as in Before (PixelsOf an
// earlier state of the same bitmap); false when the bitmap's size has changed since.
bool UnchangedOutside(const zan::platform::TBitmap& bitmap, const std::vector<zan::platform::TColor>& before,
                      const TWideRect& a, const TWideRect& b);

}  // namespace zanfuzz
