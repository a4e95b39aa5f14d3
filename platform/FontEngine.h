// Font engines that measure and draw text: installed faces, and fixed metrics for tests.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include <zanbarcode/platform/Graphics.h>

namespace zan::platform {

// Pixel heights beyond this are measured and drawn at this height, so that an absurd
// font cannot ask for gigabytes of coverage mask.
inline constexpr int MaxFontPixelHeight = 4096;

// Where a face lives, for writers that embed the face itself.
struct TFontFile {
    std::string Path;  // empty when no face could be opened
    int Index = 0;     // of the face within the file
    friend bool operator==(const TFontFile&, const TFontFile&) = default;
};

// The FreeType engine keeps this many faces open, the most recently used; a face asked
// for after it was closed is opened again.
inline constexpr std::size_t MaxOpenFaces = 16;
// Of each open face it keeps the metrics, advances and glyph coverage of this many
// heights, the most recently used, so that text measured or drawn again loads and hints
// no glyph. The coverage kept for one height is at most MaxGlyphCacheBytes (glyphs beyond
// that are drawn afresh every time), which bounds the whole cache at about
// MaxOpenFaces * MaxCachedSizes * (MaxGlyphCacheBytes + 12 KB), 34 MB.
inline constexpr std::size_t MaxCachedSizes = 8;
inline constexpr std::size_t MaxGlyphCacheBytes = 256 * 1024;

// Faces found by fontconfig (family, weight, slant) and drawn by FreeType.
// Heights follow the GDI rules: a negative lfHeight is the em height in pixels, a
// positive one the cell height (ascent + descent), 0 an em height of 16 pixels.
// Metrics are whole pixels; control characters (below 0x20) have no glyph and no
// advance. A face that cannot be opened falls back to fontconfig's "sans-serif";
// with no usable face at all nothing is drawn and every character is half the
// height wide. TrueType is reported for scalable sfnt faces with glyf outlines only.
// Several threads may use one engine at once.
class TFreeTypeFontEngine final : public TFontEngine {
public:
    TFreeTypeFontEngine();
    ~TFreeTypeFontEngine() override;
    TFreeTypeFontEngine(const TFreeTypeFontEngine&) = delete;
    TFreeTypeFontEngine& operator=(const TFreeTypeFontEngine&) = delete;

    TFontMetrics GetMetrics(const TLogFont& font) override;
    int GetTextWidth(const TLogFont& font, std::string_view text) override;
    TTextMask Render(const TLogFont& font, std::string_view text, const TRect& window) override;
    std::string ResolveFamily(const TLogFont& font) override;
    // The file of the face that measures and draws Font, the fallback face included.
    TFontFile ResolveFile(const TLogFont& font);

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

// Metrics that depend on nothing installed, so that tests can predict every pixel.
// With H = |lfHeight| (16 when lfHeight is 0, at most MaxFontPixelHeight):
//   Ascent = H - H / 4, Descent = H / 4 (integer division), so the cell is H high;
//   every character advances max(1, H / 2), except control characters (below 0x20),
//   which advance 0;
//   Render fills the whole cell box above the baseline (advance x Ascent, coverage 255)
//   of every character that is neither a control character nor a space;
//   TrueType is false for the classic bitmap faces "System", "MS Sans Serif",
//   "Fixedsys", "Terminal", "Small Fonts" and "Courier" (letter case ignored), true
//   for any other name; ResolveFamily returns the face name unchanged.
class TFixedMetricsFontEngine final : public TFontEngine {
public:
    TFontMetrics GetMetrics(const TLogFont& font) override;
    int GetTextWidth(const TLogFont& font, std::string_view text) override;
    TTextMask Render(const TLogFont& font, std::string_view text, const TRect& window) override;
    std::string ResolveFamily(const TLogFont& font) override { return font.FaceName; }
};

}  // namespace zan::platform
