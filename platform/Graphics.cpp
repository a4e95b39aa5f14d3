#include <zanbarcode/platform/Graphics.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace zan::platform {

namespace {

// -(Number * Numerator / Denominator): a font's Size in points from its Height in pixels
// and back. Rounded half away from zero as the Windows MulDiv rounds, since the
// conversions depend on exactly this rounding; worked in 64 bits and saturated, so that
// a height of -2147483648 (2147483648 points at 72 pixels per inch) cannot wrap round.
std::int32_t NegatedMulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator) {
    if (denominator == 0) return 0;
    const std::int64_t product = std::int64_t{number} * numerator;
    const std::int64_t half = std::abs(std::int64_t{denominator}) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (std::abs(product) + half) / std::abs(std::int64_t{denominator});
    const std::int64_t quotient = negative ? -magnitude : magnitude;
    return Saturate32(-quotient);
}

// Code points of the bytes 0x80..0x9F of Windows-1252 (from the Unicode mapping file
// cp1252.txt). The five undefined bytes keep their Latin-1 code points.
constexpr std::array<char32_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // Windows-1252 reaches no further than the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A pixel of the unturned text, U along the baseline and V downwards from the reference
// point, after Turns counter-clockwise quarter turns on a screen whose y grows
// downwards: a quarter turn sends the baseline upwards and the text's "down" to the right.
struct TTurnedPixel {
    std::int64_t X;
    std::int64_t Y;
};

TTurnedPixel Turn(std::int64_t u, std::int64_t v, int turns) {
    switch (turns) {
        case 1: return {v, -u - 1};
        case 2: return {-u - 1, -v - 1};
        case 3: return {-v - 1, u};
        default: return {u, v};
    }
}

// A rectangle of pixels, Right and Bottom excluded, in 64 bits so that it can hold the
// difference of any two 32-bit coordinates.
struct TPixelBox {
    std::int64_t Left;
    std::int64_t Top;
    std::int64_t Right;
    std::int64_t Bottom;
};

// The pixels of Box after Turns quarter turns: a turn maps pixels one to one, so the
// turned corner pixels span the turned rectangle.
TPixelBox Turn(const TPixelBox& box, int turns) {
    const TTurnedPixel a = Turn(box.Left, box.Top, turns);
    const TTurnedPixel b = Turn(box.Right - 1, box.Bottom - 1, turns);
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) + 1, std::max(a.Y, b.Y) + 1};
}

// The nearest number of quarter turns, 0..3, for an escapement in tenths of a degree.
int QuarterTurns(std::int32_t escapement) {
    const std::int64_t nearest = (std::int64_t{escapement} + (escapement >= 0 ? 450 : -450)) / 900;
    return static_cast<int>(((nearest % 4) + 4) % 4);
}

// Indices Begin to End, End excluded.
struct TIndexRange {
    std::int64_t Begin;
    std::int64_t End;
};

TIndexRange Intersect(const TIndexRange& a, const TIndexRange& b) {
    return {std::max(a.Begin, b.Begin), std::min(a.End, b.End)};
}

// The indices i for which Start + i * Step lies in [Low, High), for a step of a turned
// pixel: -1, 0 or 1.
TIndexRange InsideRange(std::int64_t start, std::int64_t step, std::int64_t low, std::int64_t high) {
    constexpr std::int64_t All = std::numeric_limits<std::int64_t>::max() / 4;
    if (step == 0) return start >= low && start < high ? TIndexRange{-All, All} : TIndexRange{0, 0};
    if (step > 0) return {low - start, high - start};
    return {start - high + 1, start - low + 1};
}

}  // namespace

std::uint8_t TTextMask::At(int x, int y) const {
    if (x < Bounds.Left || x >= Bounds.Right || y < Bounds.Top || y >= Bounds.Bottom) return 0;
    return Coverage[static_cast<std::size_t>(y - Bounds.Top) * Bounds.Width() + (x - Bounds.Left)];
}

TLogFont GetObject(const HFONT& font) { return font ? *font : TLogFont{}; }

HFONT CreateFontIndirect(const TLogFont& logFont) { return std::make_shared<const TLogFont>(logFont); }

// ---------------------------------------------------------------------------------------
// TFont

TFont::TFont() = default;

void TFont::Assign(TPersistent& source) {
    auto* font = dynamic_cast<TFont*>(&source);
    if (!font) {
        TPersistent::Assign(source);
        return;
    }
    FName = font->FName;
    FHeight = font->FHeight;
    FStyle = font->FStyle;
    FColor = font->FColor;
    FHandle = font->FHandle;
    if (FPixelsPerInch != font->FPixelsPerInch) {
        // Keep the physical size: the point size stays, the pixel height follows this
        // font's resolution, and an installed handle is remade at that height so that
        // its escapement survives.
        FHeight = NegatedMulDiv(font->GetSize(), FPixelsPerInch, 72);
        if (FHandle) {
            TLogFont record = *FHandle;
            record.Height = FHeight;
            FHandle = CreateFontIndirect(record);
        }
    }
    Changed();
}

const TPropList& TFont::PublishedProperties() const {
    static const TPropList properties = [] {
        TPropList list;
        list.push_back(IntegerProperty<TFont>(
            "Color", [](const TFont& f) { return f.GetColor(); },
            [](TFont& f, std::int64_t v) { f.SetColor(IntegerValue<TColor>(v)); }));
        list.push_back(IntegerProperty<TFont>(
            "Height", [](const TFont& f) { return f.GetHeight(); },
            [](TFont& f, std::int64_t v) { f.SetHeight(IntegerValue<std::int32_t>(v)); }));
        list.push_back(StringProperty<TFont>(
            "Name", [](const TFont& f) { return f.GetName(); }, [](TFont& f, const std::string& v) { f.SetName(v); }));
        // Size is another view of Height: form files store Height only.
        TPropInfo size = IntegerProperty<TFont>(
            "Size", [](const TFont& f) { return f.GetSize(); },
            [](TFont& f, std::int64_t v) { f.SetSize(IntegerValue<int>(v)); });
        size.IsStored = [](const TPersistent&) { return false; };
        list.push_back(std::move(size));
        // The set of TFontStyle bits as an integer.
        list.push_back(IntegerProperty<TFont>(
            "Style", [](const TFont& f) { return f.GetStyle(); },
            [](TFont& f, std::int64_t v) { f.SetStyle(IntegerValue<TFontStyles>(v)); }));
        return list;
    }();
    return properties;
}

void TFont::SetName(const std::string& value) {
    if (value == FName && !FHandle) return;
    FName = value;
    FHandle.reset();
    Changed();
}

int TFont::GetSize() const { return NegatedMulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(NegatedMulDiv(points, FPixelsPerInch, 72)); }

void TFont::SetHeight(std::int32_t pixels) {
    if (pixels == FHeight && !FHandle) return;
    FHeight = pixels;
    FHandle.reset();
    Changed();
}

void TFont::SetStyle(TFontStyles value) {
    if (value == FStyle && !FHandle) return;
    FStyle = value;
    FHandle.reset();
    Changed();
}

void TFont::SetColor(TColor value) {
    // The colour is not part of the logical font, so an installed handle stays.
    if (value == FColor) return;
    FColor = value;
    Changed();
}

HFONT TFont::GetHandle() const {
    if (FHandle) return FHandle;
    TLogFont record;
    record.Height = FHeight;
    record.Weight = (FStyle & fsBold) ? fwBold : fwNormal;
    record.Italic = (FStyle & fsItalic) != 0;
    record.Underline = (FStyle & fsUnderline) != 0;
    record.StrikeOut = (FStyle & fsStrikeOut) != 0;
    record.FaceName = FName;
    return CreateFontIndirect(record);
}

void TFont::SetHandle(HFONT value) {
    if (value) {
        FName = value->FaceName;
        FHeight = value->Height;
        FStyle = static_cast<TFontStyles>((value->Weight >= fwBold ? fsBold : 0) | (value->Italic ? fsItalic : 0) |
                                          (value->Underline ? fsUnderline : 0) | (value->StrikeOut ? fsStrikeOut : 0));
    }
    FHandle = std::move(value);
    Changed();
}

void TFont::Changed() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------
// TBrush, TPen

void TBrush::Assign(TPersistent& source) {
    if (auto* brush = dynamic_cast<TBrush*>(&source)) {
        FColor = brush->FColor;
        FStyle = brush->FStyle;
        return;
    }
    TPersistent::Assign(source);
}

void TPen::Assign(TPersistent& source) {
    if (auto* pen = dynamic_cast<TPen*>(&source)) {
        FColor = pen->FColor;
        FStyle = pen->FStyle;
        FWidth = pen->FWidth;
        return;
    }
    TPersistent::Assign(source);
}

// ---------------------------------------------------------------------------------------
// TCanvas

TCanvas::TCanvas(int pixelsPerInchX, int pixelsPerInchY, std::shared_ptr<TFontEngine> engine)
    : FPixelsPerInchX(pixelsPerInchX), FPixelsPerInchY(pixelsPerInchY) {
    SetFontEngine(std::move(engine));
    // Font heights are in pixels of this device, so the font measures its size here.
    FFont.SetPixelsPerInch(pixelsPerInchY);
}

void TCanvas::SetDeviceResolution(int pixelsPerInchX, int pixelsPerInchY) {
    FPixelsPerInchX = pixelsPerInchX;
    FPixelsPerInchY = pixelsPerInchY;
    FFont.SetPixelsPerInch(pixelsPerInchY);
}

int TCanvas::GetDeviceCaps(int index) const {
    switch (index) {
        case dcLogPixelsX: return FPixelsPerInchX;
        case dcLogPixelsY: return FPixelsPerInchY;
        default: return 0;
    }
}

TTextMetric TCanvas::GetTextMetrics() {
    const TFontMetrics metrics = FEngine->GetMetrics(CurrentLogFont());
    return {.Height = metrics.Ascent + metrics.Descent,
            .Ascent = metrics.Ascent,
            .Descent = metrics.Descent,
            .PitchAndFamily = metrics.TrueType ? tmpfTrueType : std::uint8_t{0}};
}

void TCanvas::SetFontEngine(std::shared_ptr<TFontEngine> engine) {
    // Every canvas measures text, so a missing engine means the installed fonts.
    FEngine = engine ? std::move(engine) : FreeTypeFontEngine();
}

void TCanvas::FillRect(const TRect& rect) {
    if (FBrush.GetStyle() == bsClear || rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
    DoFillRect(rect, ColorToRGB(FBrush.GetColor()));
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const std::string& text) {
    DoTextRect(rect, {x, y}, text, FBrush.GetStyle() == bsSolid);
}

int TCanvas::TextWidth(const std::string& text) { return FEngine->GetTextWidth(CurrentLogFont(), text); }

int TCanvas::TextHeight(const std::string& /*text*/) {
    // Like the cell height of a text extent: the same for every string of the font.
    const TFontMetrics metrics = FEngine->GetMetrics(CurrentLogFont());
    return metrics.Ascent + metrics.Descent;
}

TLogFont TCanvas::CurrentLogFont() const { return GetObject(FFont.GetHandle()); }

// ---------------------------------------------------------------------------------------
// Text placement and code page

TTextPlacement PlaceTextBox(std::uint32_t textAlign, int width, int ascent, int descent) {
    TTextPlacement box{.Width = width, .Height = ascent + descent, .Ascent = ascent};
    // Masked, because TTextAlign::Center contains the TTextAlign::Right bit and TTextAlign::Baseline the
    // TTextAlign::Bottom bit.
    switch (textAlign & TTextAlign::HorizontalMask) {
        case TTextAlign::Center: box.OffsetX = -(width / 2); break;
        case TTextAlign::Right: box.OffsetX = -width; break;
        default: box.OffsetX = 0; break;
    }
    switch (textAlign & TTextAlign::VerticalMask) {
        case TTextAlign::Baseline: box.OffsetY = -ascent; break;
        case TTextAlign::Bottom: box.OffsetY = -box.Height; break;
        default: box.OffsetY = 0; break;
    }
    return box;
}

void RasterizeText(TFontEngine& engine, const TLogFont& font, std::uint32_t textAlign, const TRect& clip,
                   TPoint reference, std::string_view text, const TTextRunProc& proc) {
    if (clip.Right <= clip.Left || clip.Bottom <= clip.Top) return;
    const TFontMetrics metrics = engine.GetMetrics(font);
    const TTextPlacement box =
        PlaceTextBox(textAlign, engine.GetTextWidth(font, text), metrics.Ascent, metrics.Descent);
    const int turns = QuarterTurns(font.Escapement);

    // Only what can show is rasterised: the clip rectangle, seen from the reference point
    // and turned back, in the coordinates of the text's box and cut to the box.
    const TPixelBox seen = Turn({std::int64_t{clip.Left} - reference.X, std::int64_t{clip.Top} - reference.Y,
                                 std::int64_t{clip.Right} - reference.X, std::int64_t{clip.Bottom} - reference.Y},
                                (4 - turns) % 4);
    const auto inBox = [](std::int64_t value, std::int64_t offset, int size) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(value - offset, 0, size));
    };
    const TRect window = {inBox(seen.Left, box.OffsetX, box.Width), inBox(seen.Top, box.OffsetY, box.Height),
                          inBox(seen.Right, box.OffsetX, box.Width), inBox(seen.Bottom, box.OffsetY, box.Height)};
    if (window.Left >= window.Right || window.Top >= window.Bottom) return;

    // The window, not the mask, bounds the work, whatever an engine hands back.
    const TTextMask mask = engine.Render(font, text, window);
    const TRect& bounds = mask.Bounds;
    const TRect area{std::max(window.Left, bounds.Left), std::max(window.Top, bounds.Top),
                     std::min(window.Right, bounds.Right), std::min(window.Bottom, bounds.Bottom)};
    if (area.Left >= area.Right || area.Top >= area.Bottom ||
        mask.Coverage.size() != static_cast<std::size_t>(bounds.Width()) * bounds.Height())
        return;
    // A turn is linear: where the area's first pixel lands, and the steps on the device
    // for one pixel along a row of the mask and one down a column.
    const auto land = [&](std::int64_t mx, std::int64_t my) {
        const TTurnedPixel p = Turn(box.OffsetX + mx, box.OffsetY + my, turns);
        return TTurnedPixel{reference.X + p.X, reference.Y + p.Y};
    };
    const TTurnedPixel first = land(area.Left, area.Top);
    const TTurnedPixel right = land(area.Left + 1, area.Top);
    const TTurnedPixel down = land(area.Left, area.Top + 1);
    const TTurnedPixel along{right.X - first.X, right.Y - first.Y};
    const TTurnedPixel across{down.X - first.X, down.Y - first.Y};
    for (int my = area.Top; my < area.Bottom; ++my) {
        const std::uint8_t* coverage =
            mask.Coverage.data() + std::int64_t{my - bounds.Top} * bounds.Width() + (area.Left - bounds.Left);
        const TTurnedPixel start{first.X + (my - area.Top) * across.X, first.Y + (my - area.Top) * across.Y};
        // The window lies inside the clip rectangle; cutting each row to it guards the
        // caller's pixels all the same.
        const TIndexRange inside =
            Intersect(Intersect({0, area.Width()}, InsideRange(start.X, along.X, clip.Left, clip.Right)),
                      InsideRange(start.Y, along.Y, clip.Top, clip.Bottom));
        if (inside.Begin >= inside.End) continue;
        proc({.X = static_cast<int>(start.X + inside.Begin * along.X),
              .Y = static_cast<int>(start.Y + inside.Begin * along.Y),
              .StepX = static_cast<int>(along.X),
              .StepY = static_cast<int>(along.Y),
              .Coverage = coverage + inside.Begin,
              .Count = static_cast<int>(inside.End - inside.Begin)});
    }
}

char32_t Cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return Cp1252High[byte - 0x80];
    return byte;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) AppendUtf8(result, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace zan::platform
