// Graphics objects and the abstract canvas: fonts, brushes, pens, text metrics, drawing calls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <zanbarcode/platform/Persistent.h>
#include <zanbarcode/platform/Types.h>

namespace zan::platform {

// Logical font record, as a font handle describes it. Height is in device pixels:
// negative for the character height, positive for the cell height. Escapement and
// Orientation are in tenths of a degree, counter-clockwise.
struct TLogFont {
    std::int32_t Height = 0;
    std::int32_t Width = 0;
    std::int32_t Escapement = 0;
    std::int32_t Orientation = 0;
    std::int32_t Weight = 400;  // 400 normal, 700 bold
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::string FaceName{};
    friend bool operator==(const TLogFont&, const TLogFont&) = default;
};

inline constexpr std::int32_t fwNormal = 400;
inline constexpr std::int32_t fwBold = 700;

// A font handle: an immutable logical font shared by whoever holds it.
using HFONT = std::shared_ptr<const TLogFont>;

// The logical font record of a handle (an empty record for a null handle).
TLogFont GetObject(const HFONT& font);
// A new handle for the record, escapement and orientation included.
HFONT CreateFontIndirect(const TLogFont& logFont);

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t;  // a set of TFontStyle bits

class TFont : public TPersistent {
public:
    TFont();
    std::string ClassName() const override { return "TFont"; }

    // Copies every attribute and an installed handle. Between fonts of different
    // resolutions the point size is kept, so text keeps its physical size.
    void Assign(TPersistent& source) override;
    const TPropList& PublishedProperties() const override;

    const std::string& GetName() const { return FName; }
    void SetName(const std::string& value);
    // Point size, derived from Height and PixelsPerInch.
    int GetSize() const;
    void SetSize(int points);
    std::int32_t GetHeight() const { return FHeight; }
    void SetHeight(std::int32_t pixels);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor value);
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    // Changes the resolution that Size is measured at; Height stays as it is.
    void SetPixelsPerInch(int value) { FPixelsPerInch = value; }

    // The installed handle, or a new one made from the attributes.
    HFONT GetHandle() const;
    // Installs Value; name, height and style follow its record. Setting the name,
    // height, size or style afterwards drops the installed handle (the colour is not
    // part of a logical font, so it keeps it). A null Value only drops the handle.
    void SetHandle(HFONT value);

    TNotifyEvent OnChange;

private:
    void Changed();

    std::string FName = "MS Sans Serif";
    std::int32_t FHeight = -11;  // 8 points at 96 pixels per inch
    TFontStyles FStyle = 0;
    TColor FColor = clWindowText;
    int FPixelsPerInch = 96;
    HFONT FHandle;  // installed handle, if any
};

enum TBrushStyle : std::uint8_t { bsSolid, bsClear };

class TBrush : public TPersistent {
public:
    std::string ClassName() const override { return "TBrush"; }
    void Assign(TPersistent& source) override;
    TColor GetColor() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle value) { FStyle = value; }

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

enum TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };

class TPen : public TPersistent {
public:
    std::string ClassName() const override { return "TPen"; }
    void Assign(TPersistent& source) override;
    TColor GetColor() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle value) { FStyle = value; }
    int GetWidth() const { return FWidth; }
    void SetWidth(int value) { FWidth = value; }

private:
    TColor FColor = clBlack;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
};

// Raster operation codes for CopyMode.
using TCopyMode = std::uint32_t;
inline constexpr TCopyMode cmSrcCopy = 0x00CC0020;
inline constexpr TCopyMode cmBlackness = 0x00000042;

// Text alignment flags: the reference point of drawn text. The values are those of
// the Windows graphics interface, so stored flags keep their meaning.
struct TTextAlign {
    static constexpr std::uint32_t Left = 0;
    static constexpr std::uint32_t Right = 2;
    static constexpr std::uint32_t Center = 6;
    static constexpr std::uint32_t Top = 0;
    static constexpr std::uint32_t Bottom = 8;
    static constexpr std::uint32_t Baseline = 24;
    static constexpr std::uint32_t HorizontalMask = Center;
    static constexpr std::uint32_t VerticalMask = Baseline;
};

// Device capability indices for GetDeviceCaps.
enum TDeviceCap : int { dcLogPixelsX = 88, dcLogPixelsY = 90 };

// Text metrics of a font on a device. The TrueType bit (mask 4) of PitchAndFamily
// is set for scalable TrueType faces only.
struct TTextMetric {
    std::int32_t Height = 0;
    std::int32_t Ascent = 0;
    std::int32_t Descent = 0;
    std::uint8_t PitchAndFamily = 0;
};
inline constexpr std::uint8_t tmpfTrueType = 4;

// A part of an unturned line of text as an 8-bit coverage mask, one byte a pixel, row
// by row. Bounds place it in the text's box, which is as wide as the text's advance and
// as high as the font's cell: x from the start of the text along the baseline, y
// downwards from the top of the cell, so that the baseline lies Ascent rows down.
struct TTextMask {
    TRect Bounds{};
    std::vector<std::uint8_t> Coverage{};  // Bounds.Width() x Bounds.Height()

    // The coverage at (X, Y) of the box; 0 outside Bounds.
    std::uint8_t At(int x, int y) const;
};

struct TFontMetrics {
    int Ascent = 0;
    int Descent = 0;
    bool TrueType = false;
};

// Measures and draws text for a logical font whose height is in device pixels.
// Strings are 8-bit text in the Windows-1252 code page.
class TFontEngine {
public:
    virtual ~TFontEngine() = default;
    virtual TFontMetrics GetMetrics(const TLogFont& font) = 0;
    virtual int GetTextWidth(const TLogFont& font, std::string_view text) = 0;
    // Rasterises the part of the text's box that lies inside Window (in the box's
    // coordinates, see TTextMask): the mask's Bounds are Window clipped to the box, empty
    // when they do not meet. Work and memory follow the window, not the text's extent.
    virtual TTextMask Render(const TLogFont& font, std::string_view text, const TRect& window) = 0;
    // The family name a face resolves to (for vector output).
    virtual std::string ResolveFamily(const TLogFont& font) = 0;
};

// Installed faces found by fontconfig and drawn by FreeType. Shared by the process.
std::shared_ptr<TFontEngine> FreeTypeFontEngine();
// Fixed metrics that depend on nothing installed, for geometry tests: see FontEngine.h.
std::shared_ptr<TFontEngine> FixedMetricsFontEngine();

// A drawing surface. Holds the drawing state (brush, pen, font, pen position, copy mode,
// text flags, text alignment) and leaves the drawing itself to the device it stands for.
class TCanvas {
public:
    // PixelsPerInch is the device's resolution, Engine the font engine that measures text.
    TCanvas(int pixelsPerInchX, int pixelsPerInchY, std::shared_ptr<TFontEngine> engine);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    virtual ~TCanvas() = default;

    TBrush& GetBrush() { return FBrush; }
    TPen& GetPen() { return FPen; }
    TFont& GetFont() { return FFont; }
    // Copies Value's attributes into the canvas's own font.
    void SetFont(TFont& value) { FFont.Assign(value); }

    TPoint GetPenPos() const { return FPenPos; }
    void SetPenPos(TPoint value) { FPenPos = value; }
    void MoveTo(int x, int y) { FPenPos = {x, y}; }
    TCopyMode GetCopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode value) { FCopyMode = value; }
    std::int32_t GetTextFlags() const { return FTextFlags; }
    void SetTextFlags(std::int32_t value) { FTextFlags = value; }
    std::uint32_t GetTextAlign() const { return FTextAlign; }
    void SetTextAlign(std::uint32_t flags) { FTextAlign = flags; }

    // dcLogPixelsX or dcLogPixelsY; 0 for any other index.
    int GetDeviceCaps(int index) const;
    // Metrics of the current font on this device.
    TTextMetric GetTextMetrics();

    const std::shared_ptr<TFontEngine>& GetFontEngine() const { return FEngine; }
    void SetFontEngine(std::shared_ptr<TFontEngine> engine);

    // Fills exactly the rectangle (Right and Bottom excluded) with the brush colour;
    // an empty or inverted rectangle paints nothing. A clear brush fills nothing.
    void FillRect(const TRect& rect);
    // Draws Text at (X, Y) by the text alignment with the current font, turned by its
    // escapement, clipped to Rect. With a solid brush Rect is filled first.
    void TextRect(const TRect& rect, int x, int y, const std::string& text);
    // Extent of Text, unrotated, in pixels of this device.
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);

protected:
    // The current font's record with its height in pixels of this device.
    TLogFont CurrentLogFont() const;
    // For a device whose resolution changes under a living canvas; the font keeps its
    // pixel height and measures its size at the new vertical resolution.
    void SetDeviceResolution(int pixelsPerInchX, int pixelsPerInchY);

    virtual void DoFillRect(const TRect& rect, TColor color) = 0;
    // Opaque asks for Rect to be filled with the brush colour before the text is drawn.
    virtual void DoTextRect(const TRect& rect, TPoint reference, const std::string& text, bool opaque) = 0;

private:
    int FPixelsPerInchX;
    int FPixelsPerInchY;
    std::shared_ptr<TFontEngine> FEngine;
    TBrush FBrush;
    TPen FPen;
    TFont FFont;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    std::int32_t FTextFlags = 0;
    std::uint32_t FTextAlign = TTextAlign::Left | TTextAlign::Top;
};

// Where the unrotated text box of a text call lies: its top-left corner in text
// coordinates relative to the reference point, before the turn by the escapement.
// Shared by every device so that raster and vector output agree.
struct TTextPlacement {
    int OffsetX = 0;  // from the reference point along the baseline to the box's left edge
    int OffsetY = 0;  // from the reference point downwards to the box's top edge
    int Width = 0;
    int Height = 0;
    int Ascent = 0;
};
TTextPlacement PlaceTextBox(std::uint32_t textAlign, int width, int ascent, int descent);

// One row of a drawn text's mask on the device: Count pixels, the first at (X, Y), each
// next one (StepX, StepY) further on, as the text's turn has it, with the glyphs'
// coverage of each, 0 (none) to 255 (all). Every pixel of a run lies inside the clip
// rectangle that RasterizeText was given.
struct TTextRun {
    int X = 0;
    int Y = 0;
    int StepX = 0;
    int StepY = 0;
    const std::uint8_t* Coverage = nullptr;
    int Count = 0;
};
// Receives the runs of a drawn text, a row of its mask at a time.
using TTextRunProc = std::function<void(const TTextRun& run)>;
// Rasterises Text as every raster device draws it: Font (its escapement taken in whole
// quarter turns) placed by TextAlign at Reference and cut to Clip, which the device has
// already cut to its pixels. Proc receives each row of the mask that shows, once.
void RasterizeText(TFontEngine& engine, const TLogFont& font, std::uint32_t textAlign, const TRect& clip,
                   TPoint reference, std::string_view text, const TTextRunProc& proc);

// Hands each pixel of Run that the text covers to Visit(x, y, coverage), coverage 1..255.
template <class Visit>
void ForEachTextPixel(const TTextRun& run, Visit&& visit) {
    int x = run.X;
    int y = run.Y;
    for (int i = 0; i < run.Count; ++i, x += run.StepX, y += run.StepY)
        if (run.Coverage[i] != 0) visit(x, y, run.Coverage[i]);
}

// Ink laid over Below with Coverage (0 none, 255 all), each channel rounded to nearest.
inline TColor BlendColor(TColor below, TColor ink, std::uint8_t coverage) {
    if (coverage == 255) return ink;  // what the blend gives, without working it out
    const auto blend = [coverage](std::uint8_t under, std::uint8_t over) {
        return static_cast<std::uint8_t>((under * (255 - coverage) + over * coverage + 127) / 255);
    };
    return RgbColor(blend(RedOf(below), RedOf(ink)), blend(GreenOf(below), GreenOf(ink)),
                    blend(BlueOf(below), BlueOf(ink)));
}

// Converts an 8-bit Windows-1252 string to UTF-8.
std::string Cp1252ToUtf8(std::string_view text);
// The Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);

}  // namespace zan::platform
