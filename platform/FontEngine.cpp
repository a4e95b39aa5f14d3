#include <zanbarcode/platform/FontEngine.h>
#include <zanbarcode/platform/Types.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

namespace zan::platform {

namespace {

// An em height in pixels for a logical font that asks for the default size (0).
constexpr int DefaultPixelHeight = 16;

bool IsControl(unsigned char byte) { return byte < 0x20; }

// |lfHeight|, or the default for 0, limited to MaxFontPixelHeight.
int PixelHeight(std::int32_t lfHeight) {
    if (lfHeight == 0) return DefaultPixelHeight;
    return static_cast<int>(std::min<std::int64_t>(std::llabs(lfHeight), MaxFontPixelHeight));
}

// The fixed metrics (see FontEngine.h), also the last resort when no face can be opened.
TFontMetrics FixedMetrics(const TLogFont& font) {
    const int h = PixelHeight(font.Height);
    return {.Ascent = h - h / 4, .Descent = h / 4, .TrueType = false};
}

int FixedAdvance(const TLogFont& font, unsigned char byte) {
    return IsControl(byte) ? 0 : std::max(1, PixelHeight(font.Height) / 2);
}

// Widths are summed in 64 bits and saturated: a million characters at the largest
// height pass the int range.
int FixedTextWidth(const TLogFont& font, std::string_view text) {
    std::int64_t width = 0;
    for (const char c : text) width += FixedAdvance(font, static_cast<unsigned char>(c));
    return Saturate32(width);
}

// A face of the FreeType engine; a null Face stands for "nothing could be opened".
struct TFaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

struct TFace {
    std::unique_ptr<FT_FaceRec, TFaceCloser> Face;
    std::string Family;
    bool TrueType = false;
    TFontFile File{};
};

// Only scalable sfnt faces with TrueType (glyf) outlines count as TrueType; CFF-flavoured
// OpenType, Type 1 and bitmap faces do not.
bool HasTrueTypeOutlines(FT_Face face) {
    if (!FT_IS_SFNT(face) || !FT_IS_SCALABLE(face)) return false;
    FT_ULong length = 0;
    return FT_Load_Sfnt_Table(face, TTAG_glyf, 0, nullptr, &length) == 0 && length > 0;
}

// Ascent and descent in font units as GDI takes them: the OS/2 Windows metrics when the
// face has them, else the horizontal header's.
std::pair<double, double> DesignAscentDescent(FT_Face face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        return {os2->usWinAscent, os2->usWinDescent};
    return {face->ascender, -face->descender};
}

// Sets a scalable face to the em height the logical font asks for.
TFontMetrics SizeScalableFace(FT_Face face, const TLogFont& font) {
    const auto [ascender, descender] = DesignAscentDescent(face);
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000.0;
    const double cell = ascender + descender > 0 ? ascender + descender : unitsPerEm;
    const int h = PixelHeight(font.Height);
    // A positive height is the cell height, the others the em height.
    const double em = font.Height > 0 ? h * unitsPerEm / cell : h;
    FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(64, std::lround(em * 64)), 72, 72);
    TFontMetrics metrics{.TrueType = HasTrueTypeOutlines(face)};
    metrics.Ascent = static_cast<int>(std::lround(ascender * em / unitsPerEm));
    metrics.Descent = font.Height > 0 ? h - metrics.Ascent : static_cast<int>(std::lround(descender * em / unitsPerEm));
    return metrics;
}

// Picks the bitmap strike nearest to the cell height the logical font asks for.
TFontMetrics SizeBitmapFace(FT_Face face, const TLogFont& font) {
    const int h = PixelHeight(font.Height);
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i)
        if (std::abs(face->available_sizes[i].height - h) < std::abs(face->available_sizes[best].height - h)) best = i;
    if (face->num_fixed_sizes == 0 || FT_Select_Size(face, best) != 0) return FixedMetrics(font);
    const FT_Size_Metrics& size = face->size->metrics;
    return {.Ascent = static_cast<int>((size.ascender + 32) >> 6),
            .Descent = static_cast<int>((-size.descender + 32) >> 6),
            .TrueType = false};
}

// Sets Face to the size of Font and returns the font's metrics there.
TFontMetrics SizeFace(FT_Face face, const TLogFont& font) {
    return FT_IS_SCALABLE(face) ? SizeScalableFace(face, font) : SizeBitmapFace(face, font);
}

// The advance of a loaded glyph in whole pixels (hinted advances are whole already).
int Advance(FT_GlyphSlot slot) { return static_cast<int>((slot->advance.x + 32) >> 6); }

// An empty mask over the part of Window that lies in a text box of Width x Height.
TTextMask EmptyMask(int width, int height, const TRect& window) {
    TTextMask mask;
    const TRect bounds{std::max(window.Left, 0), std::max(window.Top, 0), std::min(window.Right, width),
                       std::min(window.Bottom, height)};
    if (bounds.Left < bounds.Right && bounds.Top < bounds.Bottom) mask.Bounds = bounds;
    mask.Coverage.assign(static_cast<std::size_t>(mask.Bounds.Width()) * mask.Bounds.Height(), 0);
    return mask;
}

// Raises the coverage at (X, Y) of the box to Value where the mask covers that pixel.
void Cover(TTextMask& mask, std::int64_t x, std::int64_t y, std::uint8_t value) {
    const TRect& bounds = mask.Bounds;
    if (x < bounds.Left || x >= bounds.Right || y < bounds.Top || y >= bounds.Bottom) return;
    std::uint8_t& target =
        mask.Coverage[static_cast<std::size_t>((y - bounds.Top) * bounds.Width() + (x - bounds.Left))];
    target = std::max(target, value);
}

// Where a glyph is drawn: into Mask, with its origin at pen position Pen on the baseline
// that lies Ascent rows down the box.
struct TGlyphTarget {
    TTextMask& Mask;
    int Ascent;
    std::int64_t Pen;
};

// Copies the coverage of a glyph that FreeType holds as a bitmap.
void BlitGlyph(const TGlyphTarget& target, FT_GlyphSlot slot) {
    const FT_Bitmap& bitmap = slot->bitmap;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const std::int64_t y = std::int64_t{target.Ascent} - slot->bitmap_top + row;
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column)
            Cover(target.Mask, target.Pen + slot->bitmap_left + column, y,
                  mono ? ((source[column / 8] & (0x80 >> (column % 8))) ? 255 : 0) : source[column]);
    }
}

// Where the spans of an outline land in the mask: span column 0 at box column Left,
// span row Y (counted upwards) at box row Top - Y.
struct TSpanTarget {
    TTextMask& Mask;
    std::int64_t Left;
    std::int64_t Top;
};

void CoverSpans(int y, int count, const FT_Span* spans, void* user) {
    const TSpanTarget& target = *static_cast<const TSpanTarget*>(user);
    for (const FT_Span& span : std::span(spans, static_cast<std::size_t>(count)))
        for (int x = span.x; x < span.x + span.len; ++x)
            Cover(target.Mask, target.Left + x, target.Top - y, span.coverage);
}

// Rasterises an outline glyph through FreeType's anti-aliasing rasteriser, clipped to the
// part of the mask that the outline reaches, so that a glyph of thousands of pixels costs
// only the pixels asked for. Like FT_Render_Glyph it first moves the outline by whole
// pixels to the first quadrant, which gives the very same coverage.
void RasteriseOutline(FT_Library library, const TGlyphTarget& target, FT_GlyphSlot slot) {
    FT_Outline& outline = slot->outline;
    FT_BBox extent;
    FT_Outline_Get_CBox(&outline, &extent);
    // Pixels from the outline's lower left pixel, upwards.
    const FT_Pos shiftX = extent.xMin >> 6;
    const FT_Pos shiftY = extent.yMin >> 6;
    const TSpanTarget spans{.Mask = target.Mask, .Left = target.Pen + shiftX, .Top = target.Ascent - 1 - shiftY};
    // The mask in those pixels, cut to the outline's extent.
    const TRect& bounds = target.Mask.Bounds;
    const FT_BBox clip{.xMin = std::max<FT_Pos>(0, bounds.Left - spans.Left),
                       .yMin = std::max<FT_Pos>(0, spans.Top + 1 - bounds.Bottom),
                       .xMax = std::min<FT_Pos>(((extent.xMax + 63) >> 6) - shiftX, bounds.Right - spans.Left),
                       .yMax = std::min<FT_Pos>(((extent.yMax + 63) >> 6) - shiftY, spans.Top + 1 - bounds.Top)};
    if (clip.xMin >= clip.xMax || clip.yMin >= clip.yMax) return;
    FT_Raster_Params params{};
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = CoverSpans;
    params.user = const_cast<TSpanTarget*>(&spans);
    params.clip_box = clip;
    FT_Outline_Translate(&outline, -shiftX * 64, -shiftY * 64);
    FT_Outline_Render(library, &outline, &params);
    FT_Outline_Translate(&outline, shiftX * 64, shiftY * 64);
}

void DrawGlyph(FT_Library library, const TGlyphTarget& target, FT_GlyphSlot slot) {
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE)
        RasteriseOutline(library, target, slot);
    else if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0)
        BlitGlyph(target, slot);
}

// The pixels that a loaded glyph covers in the box of a text whose pen is at 0 (see
// TTextMask), as DrawGlyph draws them. A glyph that is not an outline is rendered to its
// bitmap here; one that cannot be rendered covers nothing.
TRect GlyphBox(FT_GlyphSlot slot, int ascent) {
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_BBox extent;
        FT_Outline_Get_CBox(&slot->outline, &extent);
        return {Saturate32(extent.xMin >> 6), Saturate32(std::int64_t{ascent} - ((extent.yMax + 63) >> 6)),
                Saturate32((extent.xMax + 63) >> 6), Saturate32(std::int64_t{ascent} - (extent.yMin >> 6))};
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return {};
    const std::int64_t top = std::int64_t{ascent} - slot->bitmap_top;
    return {slot->bitmap_left, Saturate32(top), Saturate32(std::int64_t{slot->bitmap_left} + slot->bitmap.width),
            Saturate32(top + slot->bitmap.rows)};
}

// Raises the coverage of the mask to that of a glyph's image (see DrawGlyph) placed with
// its pen at Pen, where the two meet.
void Compose(TTextMask& mask, const TTextMask& image, std::int64_t pen) {
    const TRect& to = mask.Bounds;
    const TRect& from = image.Bounds;
    const std::int64_t left = std::max<std::int64_t>(to.Left, pen + from.Left);
    const std::int64_t right = std::min<std::int64_t>(to.Right, pen + from.Right);
    const int top = std::max(to.Top, from.Top);
    const int bottom = std::min(to.Bottom, from.Bottom);
    for (int y = top; y < bottom && left < right; ++y) {
        const std::uint8_t* source =
            image.Coverage.data() + std::int64_t{y - from.Top} * from.Width() + (left - pen - from.Left);
        std::uint8_t* target = mask.Coverage.data() + std::int64_t{y - to.Top} * to.Width() + (left - to.Left);
        std::transform(source, source + (right - left), target, target,
                       [](std::uint8_t a, std::uint8_t b) { return std::max(a, b); });
    }
}

// One byte of text in a face of one size: its advance and, unless it was too large to
// keep, its coverage.
struct TCachedGlyph {
    bool Loaded = false;  // looked up: the other fields are valid
    bool Exists = false;  // the face has a glyph for the byte; else it has no advance and draws nothing
    bool Kept = false;    // Image holds the whole glyph
    int Advance = 0;
    TTextMask Image;  // in the box of a text whose pen is at 0
};

// A face at the height of a logical font.
struct TCachedSize {
    std::int32_t Height;  // lfHeight
    TFontMetrics Metrics;
    std::size_t ImageBytes = 0;  // of the kept glyph images, at most MaxGlyphCacheBytes
    std::array<TCachedGlyph, 256> Glyphs{};
};

}  // namespace

// ---------------------------------------------------------------------------------------
// TFreeTypeFontEngine

struct TFreeTypeFontEngine::TState {
    // A face by the family, weight and italic it was asked for, with the heights it was
    // asked for last, the most recent first.
    struct TCachedFace {
        std::string FaceName;
        int Weight;
        bool Italic;
        TFace Face;
        std::optional<std::int32_t> ActiveHeight{};  // the lfHeight the FreeType face is set to
        std::list<TCachedSize> Sizes{};
    };

    // FreeType's objects must not be used by two threads at once, and every cache is
    // shared: each call of the engine holds the lock throughout.
    std::mutex Mutex;
    FT_Library Library = nullptr;
    FcConfig* Config = nullptr;
    // The faces asked for last, the most recent first. A face holds a few hundred
    // kilobytes, so asking for ever new family names closes the least recently used one;
    // the face in use stays in front, where a hit is found at once.
    std::list<TCachedFace> Faces;

    TState() {
        if (FT_Init_FreeType(&Library) != 0) Library = nullptr;
        Config = FcInitLoadConfigAndFonts();
    }

    ~TState() {
        Faces.clear();  // before the library that made them
        if (Library) FT_Done_FreeType(Library);
        if (Config) FcConfigDestroy(Config);
    }

    TState(const TState&) = delete;
    TState& operator=(const TState&) = delete;

    // The best installed match for the family; a face without FT_Face when fontconfig
    // finds nothing or FreeType cannot open what it found.
    TFace Match(const std::string& family, int weight, bool italic) {
        TFace result{.Face = nullptr, .Family = family, .TrueType = false};
        if (!Library || !Config) return result;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(Config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult status = FcResultNoMatch;
        FcPattern* match = FcFontMatch(Config, pattern, &status);
        FcPatternDestroy(pattern);
        if (!match) return result;
        FcChar8* file = nullptr;
        FcChar8* matchedFamily = nullptr;
        int index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FT_Face face = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
            FT_New_Face(Library, reinterpret_cast<const char*>(file), index, &face) == 0)
            result.Face.reset(face);
        if (result.Face && FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch)
            result.Family = reinterpret_cast<const char*>(matchedFamily);
        if (result.Face) result.File = {.Path = reinterpret_cast<const char*>(file), .Index = index};
        FcPatternDestroy(match);
        if (result.Face) result.TrueType = HasTrueTypeOutlines(result.Face.get());
        return result;
    }

    // The face for the font, valid until the next call.
    TCachedFace& Find(const TLogFont& font) {
        // GDI takes weight 0 (FW_DONTCARE) as normal.
        const int weight = font.Weight == 0 ? fwNormal : font.Weight;
        const auto hit = std::find_if(Faces.begin(), Faces.end(), [&](const TCachedFace& cached) {
            return cached.Weight == weight && cached.Italic == font.Italic && cached.FaceName == font.FaceName;
        });
        if (hit != Faces.end()) {
            Faces.splice(Faces.begin(), Faces, hit);
            return Faces.front();
        }
        TFace face = Match(font.FaceName, weight, font.Italic);
        if (!face.Face) {
            face = Match("sans-serif", weight, font.Italic);
            if (!face.Face) face.Family = font.FaceName;
        }
        if (Faces.size() == MaxOpenFaces) Faces.pop_back();
        Faces.push_front({.FaceName = font.FaceName, .Weight = weight, .Italic = font.Italic, .Face = std::move(face)});
        return Faces.front();
    }

    // The face at the font's height, valid until the next call.
    static TCachedSize& Size(TCachedFace& face, const TLogFont& font) {
        auto& sizes = face.Sizes;
        const auto hit = std::find_if(sizes.begin(), sizes.end(),
                                      [&font](const TCachedSize& size) { return size.Height == font.Height; });
        if (hit != sizes.end()) {
            sizes.splice(sizes.begin(), sizes, hit);
            return sizes.front();
        }
        if (sizes.size() == MaxCachedSizes) sizes.pop_back();
        sizes.push_front(
            {.Height = font.Height, .Metrics = face.Face.Face ? Activate(face, font) : FixedMetrics(font)});
        return sizes.front();
    }

    // Sets the FreeType face to the font's height.
    static TFontMetrics Activate(TCachedFace& face, const TLogFont& font) {
        face.ActiveHeight = font.Height;
        return SizeFace(face.Face.Face.get(), font);
    }

    // Loads the glyph of Byte at the font's height; null when the face has none.
    static FT_GlyphSlot Load(TCachedFace& face, const TLogFont& font, unsigned char byte) {
        if (face.ActiveHeight != font.Height) Activate(face, font);
        FT_Face ftFace = face.Face.Face.get();
        return FT_Load_Char(ftFace, Cp1252ToCodePoint(byte), FT_LOAD_DEFAULT) == 0 ? ftFace->glyph : nullptr;
    }

    // The glyph of Byte in the sized face, loaded and drawn on first use only.
    const TCachedGlyph& Glyph(TCachedFace& face, TCachedSize& size, const TLogFont& font, unsigned char byte) {
        TCachedGlyph& glyph = size.Glyphs[byte];
        if (glyph.Loaded) return glyph;
        const FT_GlyphSlot slot = Load(face, font, byte);
        glyph.Loaded = true;
        if (!slot) return glyph;
        glyph.Exists = true;
        glyph.Advance = Advance(slot);
        const TRect box = GlyphBox(slot, size.Metrics.Ascent);
        const auto bytes = static_cast<std::size_t>(std::int64_t{box.Width()} * box.Height());
        if (bytes <= MaxGlyphCacheBytes - size.ImageBytes) {
            glyph.Image = {.Bounds = box, .Coverage = std::vector<std::uint8_t>(bytes, 0)};
            DrawGlyph(Library, {.Mask = glyph.Image, .Ascent = size.Metrics.Ascent, .Pen = 0}, slot);
            glyph.Kept = true;
            size.ImageBytes += bytes;
        }
        return glyph;
    }

    // Hands each glyph of Text that the face has to Visit with its pen position; returns
    // the advance of the whole text, saturated like FixedTextWidth.
    template <class Visit>
    int ForEachGlyph(TCachedFace& face, TCachedSize& size, const TLogFont& font, std::string_view text, Visit visit) {
        std::int64_t pen = 0;
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (IsControl(byte)) continue;
            const TCachedGlyph& glyph = Glyph(face, size, font, byte);
            if (!glyph.Exists) continue;
            visit(pen, glyph, byte);
            pen += glyph.Advance;
        }
        return Saturate32(pen);
    }
};

TFreeTypeFontEngine::TFreeTypeFontEngine() : FState(std::make_unique<TState>()) {}

TFreeTypeFontEngine::~TFreeTypeFontEngine() = default;

TFontMetrics TFreeTypeFontEngine::GetMetrics(const TLogFont& font) {
    const std::lock_guard lock(FState->Mutex);
    return TState::Size(FState->Find(font), font).Metrics;
}

int TFreeTypeFontEngine::GetTextWidth(const TLogFont& font, std::string_view text) {
    const std::lock_guard lock(FState->Mutex);
    TState::TCachedFace& face = FState->Find(font);
    if (!face.Face.Face) return FixedTextWidth(font, text);
    return FState->ForEachGlyph(face, TState::Size(face, font), font, text, [](auto...) {});
}

TTextMask TFreeTypeFontEngine::Render(const TLogFont& font, std::string_view text, const TRect& window) {
    const std::lock_guard lock(FState->Mutex);
    TState::TCachedFace& face = FState->Find(font);
    TCachedSize& size = TState::Size(face, font);
    const int height = size.Metrics.Ascent + size.Metrics.Descent;
    if (!face.Face.Face) return EmptyMask(FixedTextWidth(font, text), height, window);
    TTextMask mask = EmptyMask(FState->ForEachGlyph(face, size, font, text, [](auto...) {}), height, window);
    if (mask.Coverage.empty()) return mask;
    FState->ForEachGlyph(face, size, font, text, [&](std::int64_t pen, const TCachedGlyph& glyph, unsigned char byte) {
        if (glyph.Kept)
            Compose(mask, glyph.Image, pen);
        else if (const FT_GlyphSlot slot = TState::Load(face, font, byte))
            DrawGlyph(FState->Library, {.Mask = mask, .Ascent = size.Metrics.Ascent, .Pen = pen}, slot);
    });
    return mask;
}

std::string TFreeTypeFontEngine::ResolveFamily(const TLogFont& font) {
    const std::lock_guard lock(FState->Mutex);
    return FState->Find(font).Face.Family;
}

TFontFile TFreeTypeFontEngine::ResolveFile(const TLogFont& font) {
    const std::lock_guard lock(FState->Mutex);
    return FState->Find(font).Face.File;
}

std::shared_ptr<TFontEngine> FreeTypeFontEngine() {
    // Made on first use and destroyed at exit, which frees every face and the library.
    static const std::shared_ptr<TFontEngine> engine = std::make_shared<TFreeTypeFontEngine>();
    return engine;
}

// ---------------------------------------------------------------------------------------
// TFixedMetricsFontEngine

TFontMetrics TFixedMetricsFontEngine::GetMetrics(const TLogFont& font) {
    static constexpr std::string_view BitmapFaces[] = {"System",   "MS Sans Serif", "Fixedsys",
                                                       "Terminal", "Small Fonts",   "Courier"};
    TFontMetrics metrics = FixedMetrics(font);
    metrics.TrueType = std::none_of(std::begin(BitmapFaces), std::end(BitmapFaces),
                                    [&font](std::string_view name) { return SameText(name, font.FaceName); });
    return metrics;
}

int TFixedMetricsFontEngine::GetTextWidth(const TLogFont& font, std::string_view text) {
    return FixedTextWidth(font, text);
}

TTextMask TFixedMetricsFontEngine::Render(const TLogFont& font, std::string_view text, const TRect& window) {
    const TFontMetrics metrics = FixedMetrics(font);
    TTextMask mask = EmptyMask(FixedTextWidth(font, text), metrics.Ascent + metrics.Descent, window);
    const TRect& bounds = mask.Bounds;
    const int inkBottom = std::min(bounds.Bottom, metrics.Ascent);
    std::int64_t pen = 0;
    // Advances are never negative: past the mask's right edge nothing more can show.
    for (auto c = text.begin(); c != text.end() && pen < bounds.Right; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        const int advance = FixedAdvance(font, byte);
        if (!IsControl(byte) && byte != ' ') {
            const std::int64_t inkLeft = std::max<std::int64_t>(pen, bounds.Left);
            const std::int64_t inkRight = std::min<std::int64_t>(pen + advance, bounds.Right);
            for (int y = bounds.Top; y < inkBottom && inkLeft < inkRight; ++y)
                std::fill_n(
                    mask.Coverage.begin() + (y - bounds.Top) * std::int64_t{bounds.Width()} + (inkLeft - bounds.Left),
                    inkRight - inkLeft, 255);
        }
        pen += advance;
    }
    return mask;
}

std::shared_ptr<TFontEngine> FixedMetricsFontEngine() { return std::make_shared<TFixedMetricsFontEngine>(); }

}  // namespace zan::platform
