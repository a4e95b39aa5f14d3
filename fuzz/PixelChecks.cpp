#include "fuzz/PixelChecks.h"

#include <cstddef>

namespace zanfuzz {

std::vector<zan::platform::TColor> PixelsOf(const zan::platform::TBitmap& bitmap) {
    std::vector<zan::platform::TColor> pixels;
    pixels.reserve(static_cast<std::size_t>(bitmap.GetWidth()) * bitmap.GetHeight());
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x) pixels.push_back(bitmap.GetPixel(x, y));
    return pixels;
}

bool SamePicture(const zan::platform::TBitmap& a, const zan::platform::TBitmap& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetPixelsPerInch() != b.GetPixelsPerInch())
        return false;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    return true;
}

bool UnchangedOutside(const zan::platform::TBitmap& bitmap, const std::vector<zan::platform::TColor>& before,
                      const TWideRect& a, const TWideRect& b) {
    if (before.size() != static_cast<std::size_t>(bitmap.GetWidth()) * bitmap.GetHeight()) return false;
    std::size_t index = 0;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x, ++index)
            if (!a.Holds(x, y) && !b.Holds(x, y) && bitmap.GetPixel(x, y) != before[index]) return false;
    return true;
}

}  // namespace zanfuzz
