#include <zanbarcode/platform/Bitmap.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {
namespace {

// A file in the temporary directory, removed when the test ends. The process id keeps
// test runs that share the directory apart.
class TTempFile {
public:
    explicit TTempFile(const std::string& name)
        : FPath(
              (std::filesystem::temp_directory_path() / ("zan-bitmap-test-" + std::to_string(::getpid()) + "-" + name))
                  .string()) {
        std::filesystem::remove(FPath);
    }
    ~TTempFile() { std::filesystem::remove(FPath); }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    const std::string& Path() const { return FPath; }
    std::string Read() const {
        std::ostringstream bytes;
        bytes << std::ifstream(FPath, std::ios::binary).rdbuf();
        return bytes.str();
    }
    void Write(const std::string& bytes) const { std::ofstream(FPath, std::ios::binary) << bytes; }

private:
    std::string FPath;
};

std::uint32_t LittleEndian(const std::vector<std::uint8_t>& data, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data.at(at + static_cast<std::size_t>(i));
    return value;
}

std::uint32_t BigEndian(const std::string& data, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(data.at(at + i));
    return value;
}

bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

// Every pixel is Inner inside Painted and Outer elsewhere: exact edges, no blending.
void ExpectPainted(const TBitmap& bitmap, const TRect& painted, TColor inner, TColor outer) {
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x)
            ASSERT_EQ(bitmap.GetPixel(x, y), Inside(painted, x, y) ? inner : outer) << "at " << x << "," << y;
}

TBitmap& WhiteBitmap(TBitmap& bitmap, int width, int height) {
    bitmap.SetSize(width, height);
    return bitmap;
}

// Small PNG files written by hand with Python's zlib and struct modules, following the
// PNG standard (ISO/IEC 15948) (signature, IHDR, optional PLTE/pHYs, IDAT, IEND), and checked
// with libpng's pngfix.
// 8-bit greyscale, 3 x 1: 0, 128, 255.
const std::string Grey8 = std::string(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x01\x08\x00\x00\x00"
    "\x00\x3E\x8B\x4B\x68\x00\x00\x00\x0C\x49\x44\x41\x54\x78\x9C\x63\x60\x68\xF8\x0F\x00\x02\x03\x01\x80\x24\x61\xF5"
    "\x97\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    69);
// 16-bit RGB, 2 x 1: (0x1234, 0xFFFF, 0x0000), (0x8000, 0x0100, 0xFEFF).
const std::string Rgb16 = std::string(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x01\x10\x02\x00\x00"
    "\x00\x2B\xD0\x34\x9E\x00\x00\x00\x15\x49\x44\x41\x54\x78\x9C\x63\x10\x32\xF9\xFF\x9F\x81\xA1\x81\x81\x91\xE1\xDF"
    "\x7F\x00\x1C\x0D\x04\xC3\xFA\x0C\xE5\xDF\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    78);
// 8-bit RGBA, 3 x 1: opaque red, transparent blue, black at alpha 128.
const std::string Rgba8 = std::string(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x01\x08\x06\x00\x00"
    "\x00\x1B\xE0\x14\xB4\x00\x00\x00\x10\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\x00\x41\x0C\x0C\x0D\x00\x1B\x72\x03"
    "\x7E\x73\x69\x93\xC0\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    73);
// 1-bit palette (green, (10, 20, 30)), 2 x 2, indices 0 1 / 1 0, pHYs 11811 pixels a metre.
const std::string Palette1 = std::string(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02\x01\x03\x00\x00"
    "\x00\x48\x78\x9F\x67\x00\x00\x00\x06\x50\x4C\x54\x45\x00\xFF\x00\x0A\x14\x1E\xB6\x35\x11\xA3\x00\x00\x00\x09\x70"
    "\x48\x59\x73\x00\x00\x2E\x23\x00\x00\x2E\x23\x01\x78\xA5\x3F\x76\x00\x00\x00\x0C\x49\x44\x41\x54\x78\x9C\x63\x70"
    "\x60\x68\x00\x00\x01\x44\x00\xC1\x3A\x7A\x1C\x56\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    108);

// PNG files put together at run time, for headers that claim more than the file holds
// and for damaged image data: chunks as the PNG standard (ISO/IEC 15948) lays them out (length,
// type, data, then the CRC-32 of type and data, computed as in its Annex D).
std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFF;
}

std::string BigEndianBytes(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string PngChunk(const std::string& type, const std::string& data) {
    return BigEndianBytes(static_cast<std::uint32_t>(data.size())) + type + data + BigEndianBytes(Crc32(type + data));
}

const std::string PngSignature = "\x89PNG\r\n\x1A\n";

// An 8-bit greyscale PNG of Width x Height with the given zlib stream as its only IDAT.
std::string GreyPng(std::uint32_t width, std::uint32_t height, const std::string& imageData) {
    // Bit depth 8, colour type 0 (greyscale), compression, filter and interlace methods 0.
    const std::string header = BigEndianBytes(width) + BigEndianBytes(height) + std::string("\x08\0\0\0\0", 5);
    return PngSignature + PngChunk("IHDR", header) + PngChunk("IDAT", imageData) + PngChunk("IEND", "");
}

// The zlib stream of Grey8 above: one scan line, filter byte 0 and the samples 0, 128, 255.
const std::string Grey8Data = std::string("\x78\x9C\x63\x60\x68\xF8\x0F\x00\x02\x03\x01\x80", 12);

// ---------------------------------------------------------------------------------------
// Size and pixels

TEST(BitmapTest, NewPixelsAreWhiteAndResizingKeepsTheRest) {
    TBitmap bitmap;
    EXPECT_EQ(bitmap.GetWidth(), 0);
    EXPECT_EQ(bitmap.GetHeight(), 0);
    bitmap.SetSize(3, 2);
    ExpectPainted(bitmap, Rect(0, 0, 0, 0), clBlack, clWhite);
    bitmap.SetPixel(0, 0, clRed);
    bitmap.SetPixel(2, 1, RgbColor(1, 2, 3));
    bitmap.SetWidth(5);
    EXPECT_EQ(bitmap.GetPixel(0, 0), clRed);
    EXPECT_EQ(bitmap.GetPixel(2, 1), RgbColor(1, 2, 3));
    EXPECT_EQ(bitmap.GetPixel(4, 1), clWhite);
    bitmap.SetHeight(1);
    EXPECT_EQ(bitmap.GetPixel(0, 0), clRed);
    EXPECT_EQ(bitmap.GetPixel(2, 1), clBlack);  // outside now
    bitmap.SetPixel(-1, 0, clRed);              // outside: ignored
    bitmap.SetPixel(INT_MAX, INT_MIN, clRed);
    EXPECT_EQ(bitmap.GetPixel(0, -1), clBlack);
    ExpectPainted(bitmap, Rect(0, 0, 1, 1), clRed, clWhite);
    bitmap.SetSize(-4, 7);
    EXPECT_EQ(bitmap.GetWidth(), 0);
    EXPECT_EQ(bitmap.GetHeight(), 7);
}

TEST(BitmapTest, AbsurdSizesAreRefused) {
    TBitmap bitmap;
    bitmap.SetSize(4, 3);
    EXPECT_THROW(bitmap.SetSize(1 << 15, 1 << 14), EConvertError);  // 2^29 pixels
    EXPECT_THROW(bitmap.SetSize(INT_MAX, INT_MAX), EConvertError);
    EXPECT_EQ(bitmap.GetWidth(), 4);
    EXPECT_EQ(bitmap.GetHeight(), 3);
    EXPECT_THROW(bitmap.SetSize((1 << 28) + 1, 1), EConvertError);
    bitmap.SetSize(1 << 28, 0);  // no pixels at all
    EXPECT_EQ(bitmap.GetWidth(), 1 << 28);
    // No side may pass the limit either, even of a bitmap without pixels.
    for (const auto& [width, height] : {std::pair{0, 2000000000}, std::pair{(1 << 28) + 1, 0}}) {
        try {
            bitmap.SetSize(width, height);
            ADD_FAILURE() << "accepted " << width << " x " << height;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      "Bitmap of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large");
        }
    }
    EXPECT_EQ(bitmap.GetWidth(), 1 << 28);
    EXPECT_EQ(bitmap.GetHeight(), 0);
}

TEST(BitmapTest, EmptyBitmapsHoldNoPixelsAndIgnoreFills) {
    // A side of 0 leaves no pixel to paint, wherever the rectangle lies.
    struct Case {
        int width;
        int height;
    };
    for (const Case c : {Case{.width = 0, .height = 10}, Case{.width = 20, .height = 0},
                         Case{.width = 0, .height = 1 << 28}, Case{.width = 1 << 28, .height = 0}}) {
        TBitmap bitmap;
        bitmap.SetSize(c.width, c.height);
        TCanvas& canvas = bitmap.GetCanvas();
        canvas.GetBrush().SetColor(clRed);
        for (const TRect& fill : {Rect(5, 2, 30, 8), Rect(0, 0, INT_MAX, INT_MAX), Rect(INT_MIN, 3, 7, INT_MAX)})
            canvas.FillRect(fill);
        canvas.TextRect(Rect(5, 2, 30, 8), 5, 2, "AB");
        EXPECT_EQ(bitmap.GetPixel(0, 0), clBlack) << c.width << " x " << c.height;  // outside: no pixel there
        EXPECT_EQ(bitmap.SaveToBmpData().size(), 54u);
        bitmap.SetSize(c.width / 2, c.height / 2);  // nothing to keep
        EXPECT_EQ(bitmap.SaveToBmpData().size(), 54u);
    }
    // Rectangles that lie wholly beside a bitmap with pixels leave them alone.
    TBitmap bitmap;
    TCanvas& canvas = WhiteBitmap(bitmap, 20, 10).GetCanvas();
    canvas.GetBrush().SetColor(clRed);
    for (const TRect& fill :
         {Rect(100, 0, 200, 10), Rect(0, 50, 20, 60), Rect(INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX)})
        canvas.FillRect(fill);
    ExpectPainted(bitmap, Rect(0, 0, 0, 0), clRed, clWhite);
}

TEST(BitmapTest, AssignCopiesSizeResolutionAndPixels) {
    TBitmap source;
    source.SetSize(2, 3);
    source.SetPixelsPerInch(300);
    source.SetPixel(1, 2, clRed);
    TBitmap copy;
    copy.Assign(source);
    EXPECT_EQ(copy.GetWidth(), 2);
    EXPECT_EQ(copy.GetHeight(), 3);
    EXPECT_EQ(copy.GetPixelsPerInch(), 300);
    ExpectPainted(copy, Rect(1, 2, 2, 3), clRed, clWhite);
    TFont font;
    EXPECT_THROW(copy.Assign(font), EConvertError);
}

TEST(BitmapTest, ResolutionUpdatesTheCanvasInPlace) {
    TBitmap bitmap;
    TCanvas& canvas = bitmap.GetCanvas();
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsX), 96);
    const auto engine = FixedMetricsFontEngine();
    canvas.SetFontEngine(engine);
    bitmap.SetPixelsPerInch(600);
    EXPECT_EQ(&bitmap.GetCanvas(), &canvas);
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsX), 600);
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsY), 600);
    EXPECT_EQ(canvas.GetFont().GetPixelsPerInch(), 600);
    EXPECT_EQ(canvas.GetFontEngine(), engine);
    EXPECT_THROW(bitmap.SetPixelsPerInch(0), EConvertError);
    EXPECT_THROW(bitmap.SetPixelsPerInch(-96), EConvertError);
    EXPECT_EQ(bitmap.GetPixelsPerInch(), 600);
}

// ---------------------------------------------------------------------------------------
// Rectangles

TEST(BitmapCanvasTest, FillRectPaintsExactlyTheRectangle) {
    // Right and Bottom are excluded, as in GDI's FillRect.
    struct Case {
        TRect fill;
        TRect painted;
    };
    const Case cases[] = {
        {.fill = Rect(3, 2, 7, 5), .painted = Rect(3, 2, 7, 5)},
        {.fill = Rect(0, 0, 1, 1), .painted = Rect(0, 0, 1, 1)},
        {.fill = Rect(-5, -5, 3, 3), .painted = Rect(0, 0, 3, 3)},        // clipped to the image
        {.fill = Rect(17, 8, 100, 100), .painted = Rect(17, 8, 20, 10)},  // clipped to the image
        {.fill = Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), .painted = Rect(0, 0, 20, 10)},
        {.fill = Rect(20, 0, 30, 10), .painted = Rect(0, 0, 0, 0)},  // just outside
        {.fill = Rect(7, 5, 3, 2), .painted = Rect(0, 0, 0, 0)},     // inverted
        {.fill = Rect(3, 2, 3, 5), .painted = Rect(0, 0, 0, 0)},     // empty
    };
    for (const Case& c : cases) {
        TBitmap bitmap;
        WhiteBitmap(bitmap, 20, 10).GetCanvas().GetBrush().SetColor(clRed);
        bitmap.GetCanvas().FillRect(c.fill);
        ExpectPainted(bitmap, c.painted, clRed, clWhite);
    }
}

TEST(BitmapCanvasTest, FillRectResolvesSystemColoursAndSkipsAClearBrush) {
    TBitmap bitmap;
    TCanvas& canvas = WhiteBitmap(bitmap, 4, 4).GetCanvas();
    canvas.GetBrush().SetColor(clWindowText);
    canvas.FillRect(Rect(0, 0, 2, 2));
    canvas.GetBrush().SetColor(clRed);
    canvas.GetBrush().SetStyle(bsClear);
    canvas.FillRect(Rect(0, 0, 4, 4));
    ExpectPainted(bitmap, Rect(0, 0, 2, 2), clBlack, clWhite);
}

// ---------------------------------------------------------------------------------------
// Text

// A canvas on a white 100 x 100 bitmap with the fixed-metrics engine and a black
// 20-pixel font: cells 10 wide, 15 above the baseline and 5 below.
class TextBitmap {
public:
    TextBitmap() {
        FBitmap.SetSize(100, 100);
        TCanvas& canvas = FBitmap.GetCanvas();
        canvas.SetFontEngine(FixedMetricsFontEngine());
        canvas.GetFont().SetName("Arial");
        canvas.GetFont().SetHeight(-20);
        canvas.GetFont().SetColor(clBlack);
        canvas.GetBrush().SetStyle(bsClear);
    }
    TBitmap& Bitmap() { return FBitmap; }
    TCanvas& Canvas() { return FBitmap.GetCanvas(); }
    void Turn(std::int32_t escapement) {
        TLogFont record = GetObject(Canvas().GetFont().GetHandle());
        record.Escapement = escapement;
        record.Orientation = escapement;
        Canvas().GetFont().SetHandle(CreateFontIndirect(record));
    }

private:
    TBitmap FBitmap;
};

TEST(BitmapCanvasTest, TextLandsWhereAlignmentAndEscapementSay) {
    // "A " at (50, 50): the box is 20 x 20 and only the "A" cell above the baseline is
    // inked (10 x 15). GDI's rules: TTextAlign::Top, TTextAlign::Bottom and TTextAlign::Baseline put the box's top,
    // bottom or baseline at the reference point, TTextAlign::Left, TTextAlign::Right and TTextAlign::Center its start,
    // end or middle; the escapement turns the text counter-clockwise about the reference
    // point, so at 900 the text reads upwards with its top facing left, at 1800 it is
    // upside down and at 2700 it reads downwards with its top facing right. Worked by hand.
    struct Case {
        std::uint32_t align;
        std::int32_t escapement;
        TRect ink;
    };
    const Case cases[] = {
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 0, .ink = Rect(50, 50, 60, 65)},
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 900, .ink = Rect(50, 40, 65, 50)},
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 1800, .ink = Rect(40, 35, 50, 50)},
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 2700, .ink = Rect(35, 50, 50, 60)},
        {.align = TTextAlign::Left | TTextAlign::Bottom, .escapement = 0, .ink = Rect(50, 30, 60, 45)},
        {.align = TTextAlign::Left | TTextAlign::Bottom, .escapement = 900, .ink = Rect(30, 40, 45, 50)},
        {.align = TTextAlign::Left | TTextAlign::Bottom, .escapement = 1800, .ink = Rect(40, 55, 50, 70)},
        {.align = TTextAlign::Left | TTextAlign::Bottom, .escapement = 2700, .ink = Rect(55, 50, 70, 60)},
        {.align = TTextAlign::Right | TTextAlign::Bottom, .escapement = 0, .ink = Rect(30, 30, 40, 45)},
        {.align = TTextAlign::Right | TTextAlign::Bottom, .escapement = 900, .ink = Rect(30, 60, 45, 70)},
        {.align = TTextAlign::Right | TTextAlign::Bottom, .escapement = 1800, .ink = Rect(60, 55, 70, 70)},
        {.align = TTextAlign::Right | TTextAlign::Bottom, .escapement = 2700, .ink = Rect(55, 30, 70, 40)},
        {.align = TTextAlign::Center | TTextAlign::Bottom, .escapement = 0, .ink = Rect(40, 30, 50, 45)},
        {.align = TTextAlign::Center | TTextAlign::Bottom, .escapement = 900, .ink = Rect(30, 50, 45, 60)},
        {.align = TTextAlign::Center | TTextAlign::Bottom, .escapement = 1800, .ink = Rect(50, 55, 60, 70)},
        {.align = TTextAlign::Center | TTextAlign::Bottom, .escapement = 2700, .ink = Rect(55, 40, 70, 50)},
        {.align = TTextAlign::Right | TTextAlign::Baseline, .escapement = 0, .ink = Rect(30, 35, 40, 50)},
        {.align = TTextAlign::Right | TTextAlign::Baseline, .escapement = 900, .ink = Rect(35, 60, 50, 70)},
        {.align = TTextAlign::Right | TTextAlign::Baseline, .escapement = 1800, .ink = Rect(60, 50, 70, 65)},
        {.align = TTextAlign::Right | TTextAlign::Baseline, .escapement = 2700, .ink = Rect(50, 30, 65, 40)},
        // Other angles go to the nearest quarter turn.
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 880, .ink = Rect(50, 40, 65, 50)},
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 4500, .ink = Rect(50, 40, 65, 50)},
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = -900, .ink = Rect(35, 50, 50, 60)},
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 3590, .ink = Rect(50, 50, 60, 65)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "align " << c.align << ", escapement " << c.escapement);
        TextBitmap text;
        text.Turn(c.escapement);
        text.Canvas().SetTextAlign(c.align);
        text.Canvas().TextRect(Rect(0, 0, 100, 100), 50, 50, "A ");
        ExpectPainted(text.Bitmap(), c.ink, clBlack, clWhite);
    }
}

TEST(BitmapCanvasTest, TextIsClippedAndASolidBrushFillsTheClipRectangle) {
    // "AB" from (50, 50), top-left aligned, inks (50, 50)-(70, 65); the clip rectangle
    // (given inverted) cuts it at x 60 and y 55 and is filled yellow first.
    const TColor yellow = RgbColor(255, 255, 0);
    TextBitmap text;
    text.Canvas().GetBrush().SetStyle(bsSolid);
    text.Canvas().GetBrush().SetColor(yellow);
    text.Canvas().TextRect(Rect(60, 55, 40, 45), 50, 50, "AB");
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool clipped = Inside(Rect(40, 45, 60, 55), x, y);
            const bool inked = Inside(Rect(50, 50, 70, 65), x, y);
            ASSERT_EQ(text.Bitmap().GetPixel(x, y), clipped ? (inked ? clBlack : yellow) : clWhite) << x << "," << y;
        }
}

TEST(BitmapCanvasTest, TextOutsideTheImageOrClipIsDropped) {
    TextBitmap text;
    text.Canvas().TextRect(Rect(0, 0, 100, 100), 95, 95, "AB");  // runs off the image
    ExpectPainted(text.Bitmap(), Rect(95, 95, 100, 100), clBlack, clWhite);
    TextBitmap far;
    far.Canvas().TextRect(Rect(0, 0, 100, 100), INT_MAX, INT_MIN, "AB");
    far.Turn(900);
    far.Canvas().TextRect(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MIN, INT_MAX, "AB");
    far.Canvas().TextRect(Rect(0, 0, 0, 0), 50, 50, "AB");  // an empty clip rectangle
    ExpectPainted(far.Bitmap(), Rect(0, 0, 0, 0), clBlack, clWhite);
}

// Measures and draws through another engine, noting the largest coverage mask it hands out.
class TMaskSizeRecorder final : public TFontEngine {
public:
    explicit TMaskSizeRecorder(std::shared_ptr<TFontEngine> engine) : FEngine(std::move(engine)) {}
    TFontMetrics GetMetrics(const TLogFont& font) override { return FEngine->GetMetrics(font); }
    int GetTextWidth(const TLogFont& font, std::string_view text) override { return FEngine->GetTextWidth(font, text); }
    TTextMask Render(const TLogFont& font, std::string_view text, const TRect& window) override {
        TTextMask mask = FEngine->Render(font, text, window);
        LargestMask = std::max(LargestMask, mask.Coverage.size());
        return mask;
    }
    std::string ResolveFamily(const TLogFont& font) override { return FEngine->ResolveFamily(font); }

    std::size_t LargestMask = 0;

private:
    std::shared_ptr<TFontEngine> FEngine;
};

TEST(BitmapCanvasTest, OnlyTheVisiblePartOfATextIsRasterised) {
    // A caption of 20 "A " at 1000 pixels (fixed metrics: cells 500 wide, 750 above the
    // baseline and 250 below) is 20000 x 1000 pixels; a 200 x 100 bitmap shows a corner
    // of one cell. Where the ink lands is worked by hand from the turn rules above.
    struct Case {
        std::int32_t escapement;
        TPoint reference;
        TRect ink;
    };
    const Case cases[] = {
        // The first "A" reaches 50 pixels into the bitmap from its top left corner.
        {.escapement = 0, .reference = Point(-450, -700), .ink = Rect(0, 0, 50, 50)},
        // The eleventh: cells begin every 500 pixels.
        {.escapement = 0, .reference = Point(-5450, -700), .ink = Rect(0, 0, 50, 50)},
        // Reading upwards, the second "A" covers pixels 1000..1499 above the reference.
        {.escapement = 900, .reference = Point(-700, 1100), .ink = Rect(0, 0, 50, 100)},
        // Upside down, the first "A" ends 150 pixels right of the bitmap's left edge.
        {.escapement = 1800, .reference = Point(650, 800), .ink = Rect(150, 50, 200, 100)},
    };
    std::string caption;
    for (int i = 0; i < 20; ++i) caption += "A ";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "escapement " << c.escapement);
        TBitmap bitmap;
        TCanvas& canvas = WhiteBitmap(bitmap, 200, 100).GetCanvas();
        const auto recorder = std::make_shared<TMaskSizeRecorder>(FixedMetricsFontEngine());
        canvas.SetFontEngine(recorder);
        TLogFont font = GetObject(canvas.GetFont().GetHandle());
        font.Height = -1000;
        font.Escapement = c.escapement;
        canvas.GetFont().SetHandle(CreateFontIndirect(font));
        canvas.GetFont().SetColor(clBlack);
        canvas.GetBrush().SetStyle(bsClear);
        canvas.TextRect(Rect(0, 0, 200, 100), c.reference.X, c.reference.Y, caption);
        ExpectPainted(bitmap, c.ink, clBlack, clWhite);
        EXPECT_LE(recorder->LargestMask, 200u * 100u);
    }
    // The same for installed fonts: ten "H" at an em of 2048 pixels, 14790 x 2288.
    TBitmap bitmap;
    TCanvas& canvas = WhiteBitmap(bitmap, 200, 100).GetCanvas();
    const auto recorder = std::make_shared<TMaskSizeRecorder>(FreeTypeFontEngine());
    canvas.SetFontEngine(recorder);
    canvas.GetFont().SetName("Arial");
    canvas.GetFont().SetHeight(-2048);
    canvas.GetBrush().SetStyle(bsClear);
    canvas.TextRect(Rect(0, 0, 200, 100), -100, -1000, "HHHHHHHHHH");
    EXPECT_LE(recorder->LargestMask, 200u * 100u);
}

TEST(BitmapCanvasTest, InstalledFontsAreAntiAliasedInTheFontColour) {
    TBitmap bitmap;
    TCanvas& canvas = WhiteBitmap(bitmap, 60, 40).GetCanvas();
    canvas.GetFont().SetName("Arial");
    canvas.GetFont().SetHeight(-30);
    canvas.GetFont().SetColor(clRed);
    canvas.GetBrush().SetStyle(bsClear);
    canvas.TextRect(Rect(0, 0, 60, 40), 5, 5, "O");
    int full = 0;
    int partial = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const TColor pixel = bitmap.GetPixel(x, y);
            // Red blended over white keeps red at 255 and green equal to blue.
            ASSERT_EQ(RedOf(pixel), 255);
            ASSERT_EQ(GreenOf(pixel), BlueOf(pixel));
            if (pixel == clRed)
                ++full;
            else if (pixel != clWhite)
                ++partial;
        }
    EXPECT_GT(full, 0);
    EXPECT_GT(partial, 0);
}

// ---------------------------------------------------------------------------------------
// Files

TBitmap& Pattern(TBitmap& bitmap) {
    bitmap.SetSize(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            bitmap.SetPixel(x, y,
                            RgbColor(static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 60),
                                     static_cast<std::uint8_t>(255 - x * y)));
    return bitmap;
}

TEST(BitmapFileTest, PngRoundTripKeepsPixelsAndResolution) {
    TBitmap bitmap;
    Pattern(bitmap).SetPixelsPerInch(300);
    const TTempFile file("roundtrip.png");
    bitmap.SaveToFile(file.Path());

    // IHDR: 7 x 5, 35 colours: bit depth 8, colour type 3 (palette); pHYs: 300 / 0.0254 =
    // 11811 pixels a metre in both directions, unit 1 (metre). Offsets from the PNG
    // standard (ISO/IEC 15948).
    const std::string bytes = file.Read();
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian(bytes, 16), 7u);
    EXPECT_EQ(BigEndian(bytes, 20), 5u);
    EXPECT_EQ(bytes[24], 8);
    EXPECT_EQ(bytes[25], 3);
    const std::size_t phys = bytes.find("pHYs");
    ASSERT_NE(phys, std::string::npos);
    EXPECT_EQ(BigEndian(bytes, phys + 4), 11811u);
    EXPECT_EQ(BigEndian(bytes, phys + 8), 11811u);
    EXPECT_EQ(bytes.at(phys + 12), 1);

    TBitmap loaded;
    loaded.LoadFromPngFile(file.Path());
    EXPECT_EQ(loaded.GetWidth(), 7);
    EXPECT_EQ(loaded.GetHeight(), 5);
    EXPECT_EQ(loaded.GetPixelsPerInch(), 300);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(loaded.GetPixel(x, y), bitmap.GetPixel(x, y)) << x << "," << y;
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    return true;
}

// Whether a PNG file in memory, read back through a file, shows Bitmap's pixels and resolution.
bool ReadsBackAs(const std::vector<std::uint8_t>& png, const TBitmap& bitmap) {
    const TTempFile file("readback.png");
    file.Write(std::string(png.begin(), png.end()));
    TBitmap loaded;
    loaded.LoadFromPngFile(file.Path());
    return SamePixels(loaded, bitmap) && loaded.GetPixelsPerInch() == bitmap.GetPixelsPerInch();
}

// Draws a picture of Width x Height in the given colours as bars and text make them: runs of
// one colour, rows that repeat the row above, rows that repeat it in part, and every
// colour at least once. A fixed linear congruential generator picks them.
void DrawPicture(TBitmap& bitmap, const std::vector<TColor>& colors, int width, int height) {
    bitmap.SetSize(width, height);
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    std::size_t shown = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t kind = next(4);
        for (int x = 0; x < width;) {
            const int run = 1 + static_cast<int>(next(kind == 0 ? 2 : 40));
            const TColor color =
                shown < colors.size() ? colors[shown++] : colors[next(static_cast<std::uint32_t>(colors.size()))];
            for (int end = std::min(width, x + run); x < end; ++x)
                bitmap.SetPixel(x, y, y > 0 && kind == 3 && next(3) != 0 ? bitmap.GetPixel(x, y - 1) : color);
        }
        if (y > 0 && kind == 2 && shown >= colors.size())
            for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, bitmap.GetPixel(x, y - 1));
    }
}

std::vector<TColor> Greys(std::initializer_list<int> levels) {
    std::vector<TColor> colors;
    for (const int level : levels) {
        const auto v = static_cast<std::uint8_t>(level);
        colors.push_back(RgbColor(v, v, v));
    }
    return colors;
}

// N colours of which none is grey.
std::vector<TColor> Colours(int count) {
    std::vector<TColor> colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(RgbColor(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i / 2), 7));
    return colors;
}

TEST(BitmapFileTest, PngTakesTheFewestBitsThatHoldThePictureExactly) {
    // Bit depth and colour type (0 grey, 2 RGB, 3 palette) of IHDR (ISO/IEC 15948, 11.2.2):
    // a palette of 1, 2, 4 or 8 bits for up to 2, 4, 16 or 256 colours; no palette for
    // grey levels that a grey PNG of as few bits holds exactly (the multiples of 255, 85
    // or 17, or any level at 8 bits); 8-bit RGB beyond 256 colours.
    std::vector<int> everyGrey(256);
    for (int i = 0; i < 256; ++i) everyGrey[static_cast<std::size_t>(i)] = i;
    std::vector<TColor> greys256;
    for (const int level : everyGrey) greys256.push_back(Greys({level})[0]);
    std::vector<TColor> greys4Bit;
    for (int i = 0; i < 16; ++i) greys4Bit.push_back(Greys({17 * i})[0]);
    std::vector<TColor> greys17 = greys4Bit;
    greys17.push_back(Greys({1})[0]);
    struct Case {
        std::string name;
        std::vector<TColor> colors;
        int bitDepth;
        int colorType;
    };
    const Case cases[] = {
        {.name = "white", .colors = {clWhite}, .bitDepth = 1, .colorType = 0},
        {.name = "black and white", .colors = {clBlack, clWhite}, .bitDepth = 1, .colorType = 0},
        {.name = "two greys of 8 bits", .colors = Greys({0, 128}), .bitDepth = 1, .colorType = 3},
        {.name = "two colours", .colors = {RgbColor(255, 0, 0), RgbColor(0, 0, 255)}, .bitDepth = 1, .colorType = 3},
        {.name = "three colours", .colors = Colours(3), .bitDepth = 2, .colorType = 3},
        {.name = "grey levels of 2 bits", .colors = Greys({0, 85, 170, 255}), .bitDepth = 2, .colorType = 0},
        {.name = "three greys of 4 bits", .colors = Greys({0, 17, 255}), .bitDepth = 2, .colorType = 3},
        {.name = "16 colours", .colors = Colours(16), .bitDepth = 4, .colorType = 3},
        {.name = "grey levels of 4 bits", .colors = greys4Bit, .bitDepth = 4, .colorType = 0},
        {.name = "17 colours", .colors = Colours(17), .bitDepth = 8, .colorType = 3},
        {.name = "17 greys", .colors = greys17, .bitDepth = 8, .colorType = 0},
        {.name = "256 colours", .colors = Colours(256), .bitDepth = 8, .colorType = 3},
        {.name = "256 greys", .colors = greys256, .bitDepth = 8, .colorType = 0},
        {.name = "257 colours", .colors = Colours(257), .bitDepth = 8, .colorType = 2},
    };
    for (const Case& c : cases)
        // One pixel; a width that leaves part of the last byte; rows longer than the
        // longest copy deflate has (258 bytes).
        for (const auto& [width, height] : {std::pair{1, 1}, std::pair{13, 9}, std::pair{1111, 37}}) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << width << " x " << height);
            // The smallest pictures cannot show every colour.
            const std::size_t shown = std::min(c.colors.size(), static_cast<std::size_t>(width) * height);
            if (shown < c.colors.size()) continue;
            TBitmap bitmap;
            DrawPicture(bitmap, c.colors, width, height);
            bitmap.SetPixelsPerInch(600);
            const std::vector<std::uint8_t> png = bitmap.SaveToPngData();
            ASSERT_GT(png.size(), 26u);
            EXPECT_EQ(png[24], c.bitDepth);
            EXPECT_EQ(png[25], c.colorType);
            EXPECT_TRUE(ReadsBackAs(png, bitmap));
        }
}

TEST(BitmapFileTest, PngOfPicturesBeyondTheCompressionWindowReadsBack) {
    // A row of 36001 bytes (12000 RGB pixels and the filter byte) lies farther back than
    // deflate can copy from (32768 bytes), so its repeats must be coded otherwise.
    TBitmap bitmap;
    DrawPicture(bitmap, Colours(300), 12000, 4);
    for (int x = 0; x < 12000; ++x) bitmap.SetPixel(x, 2, bitmap.GetPixel(x, 1));
    const std::vector<std::uint8_t> png = bitmap.SaveToPngData();
    EXPECT_EQ(png[25], 2);
    EXPECT_TRUE(ReadsBackAs(png, bitmap));
}

TEST(BitmapFileTest, PngOfBarsAndAntiAliasedTextReadsBackAndIsSmall) {
    // Bars and turned, anti-aliased text on a coloured ground, in each of the four
    // directions, as a barcode draws them.
    TBitmap bitmap;
    bitmap.SetSize(900, 700);
    TCanvas& canvas = bitmap.GetCanvas();
    canvas.GetBrush().SetColor(RgbColor(250, 250, 200));
    canvas.FillRect(Rect(0, 0, 900, 700));
    canvas.GetBrush().SetColor(RgbColor(20, 40, 160));
    for (int x = 200; x < 700; x += 9) canvas.FillRect(Rect(x, 200, x + 3 + x % 4, 500));
    canvas.GetFont().SetName("Arial");
    canvas.GetFont().SetHeight(-30);
    canvas.GetFont().SetColor(RgbColor(90, 0, 0));
    canvas.GetBrush().SetStyle(bsClear);
    for (const int turn : {0, 1, 2, 3}) {
        TLogFont font = GetObject(canvas.GetFont().GetHandle());
        font.Escapement = 900 * turn;
        canvas.GetFont().SetHandle(CreateFontIndirect(font));
        canvas.TextRect(Rect(0, 0, 900, 700),
                        450 + (turn == 1   ? 300
                               : turn == 3 ? -300
                                           : 0),
                        350 + (turn == 0   ? 250
                               : turn == 2 ? -250
                                           : 0),
                        "0123456789 AVjy");
    }
    const std::vector<std::uint8_t> png = bitmap.SaveToPngData();
    EXPECT_EQ(png[25], 3) << "a palette: the anti-aliased edges take fewer than 256 colours";
    EXPECT_TRUE(ReadsBackAs(png, bitmap));
    // The repeated rows and runs take little room: a tenth of the samples' 630 kilobytes.
    EXPECT_LT(png.size(), 63000u);
}

TEST(BitmapFileTest, LoadsEveryKindOfPng) {
    struct Case {
        const std::string* png;
        int width;
        int height;
        int pixelsPerInch;
        std::vector<TColor> pixels;
    };
    const Case cases[] = {
        {.png = &Grey8,
         .width = 3,
         .height = 1,
         .pixelsPerInch = 96,
         .pixels = {RgbColor(0, 0, 0), RgbColor(128, 128, 128), RgbColor(255, 255, 255)}},
        // 16-bit samples keep their high byte.
        {.png = &Rgb16,
         .width = 2,
         .height = 1,
         .pixelsPerInch = 96,
         .pixels = {RgbColor(0x12, 0xFF, 0x00), RgbColor(0x80, 0x01, 0xFE)}},
        // Alpha composed over white: 255 * (255 - 128) / 255 = 127.
        {.png = &Rgba8,
         .width = 3,
         .height = 1,
         .pixelsPerInch = 96,
         .pixels = {RgbColor(255, 0, 0), RgbColor(255, 255, 255), RgbColor(127, 127, 127)}},
        {.png = &Palette1,
         .width = 2,
         .height = 2,
         .pixelsPerInch = 300,
         .pixels = {RgbColor(0, 255, 0), RgbColor(10, 20, 30), RgbColor(10, 20, 30), RgbColor(0, 255, 0)}},
    };
    for (const Case& c : cases) {
        const TTempFile file("kind.png");
        file.Write(*c.png);
        TBitmap bitmap;
        bitmap.LoadFromPngFile(file.Path());
        ASSERT_EQ(bitmap.GetWidth(), c.width);
        ASSERT_EQ(bitmap.GetHeight(), c.height);
        EXPECT_EQ(bitmap.GetPixelsPerInch(), c.pixelsPerInch);
        for (int i = 0; i < c.width * c.height; ++i)
            EXPECT_EQ(bitmap.GetPixel(i % c.width, i / c.width), c.pixels[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(BitmapFileTest, BrokenOrMissingPngRaisesEInOutError) {
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    const TTempFile missing("missing.png");
    EXPECT_THROW(bitmap.LoadFromPngFile(missing.Path()), EInOutError);
    const TTempFile notPng("not-a.png");
    notPng.Write("BM this is no PNG file");
    EXPECT_THROW(bitmap.LoadFromPngFile(notPng.Path()), EInOutError);
    const TTempFile truncated("truncated.png");
    truncated.Write(Grey8.substr(0, 50));
    EXPECT_THROW(bitmap.LoadFromPngFile(truncated.Path()), EInOutError);
    EXPECT_EQ(bitmap.GetWidth(), 2);  // a failed load leaves the bitmap alone
}

TEST(BitmapFileTest, NamesHoldingANulByteAreRefused) {
    // The system would stop at the NUL and read or write the decoy instead.
    const TTempFile decoy("decoy");
    TBitmap other;
    other.SetSize(1, 1);
    other.SaveToPngFile(decoy.Path());
    const std::string decoyBytes = decoy.Read();
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    struct TCase {
        std::string Extension;
        bool Load;
    };
    for (const TCase& c : {TCase{".png", false}, TCase{".bmp", false}, TCase{".png", true}}) {
        const std::string withNul = decoy.Path() + std::string(1, '\0') + c.Extension;
        try {
            if (c.Load)
                bitmap.LoadFromPngFile(withNul);
            else
                bitmap.SaveToFile(withNul);
            ADD_FAILURE() << "a name holding a NUL byte was taken: " << c.Extension;
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), std::string("Cannot ") + (c.Load ? "read" : "write") + " the file '" + withNul +
                                       "': a file name cannot hold a NUL byte");
        }
    }
    EXPECT_THROW(bitmap.SaveToPngFile(decoy.Path() + std::string(1, '\0')), EInOutError);
    EXPECT_THROW(bitmap.SaveToBmpFile(decoy.Path() + std::string(1, '\0')), EInOutError);
    EXPECT_EQ(decoy.Read(), decoyBytes);
    EXPECT_EQ(bitmap.GetWidth(), 2);
}

TEST(BitmapFileTest, PngHelpersRebuildAKnownFile) {
    // The helpers above check out against Grey8, whose CRCs pngfix accepted.
    EXPECT_EQ(GreyPng(3, 1, Grey8Data), Grey8);
}

TEST(BitmapFileTest, PngClaimingTooManyPixelsIsRefusedFromItsHeader) {
    // 69 bytes that claim 16384 x 16384 pixels, and others past the limit of what is
    // read; the refusal names the size the header claims.
    const std::string fewBytes = std::string("\x78\xDA\x63\x60\x60\x60\x00\x00\x00\x04\x00\x01", 12);
    struct Case {
        std::uint32_t width;
        std::uint32_t height;
    };
    const Case cases[] = {
        {.width = 16384, .height = 16384},
        {.width = 8193, .height = 8192},  // one column more than MaxPngPixels allows
        {.width = 1, .height = (1u << 26) + 1},
        {.width = 0x7FFFFFFF, .height = 0x7FFFFFFF},  // the largest sides PNG has
    };
    static_assert(MaxPngPixels == 8192 * 8192);
    for (const Case& c : cases) {
        const std::string png = GreyPng(c.width, c.height, fewBytes);
        if (c.width == 16384) {
            EXPECT_EQ(png.size(), 69u);
        }
        const TTempFile file("huge.png");
        file.Write(png);
        TBitmap bitmap;
        bitmap.SetSize(2, 2);
        try {
            bitmap.LoadFromPngFile(file.Path());
            ADD_FAILURE() << "loaded " << c.width << " x " << c.height;
        } catch (const EInOutError& e) {
            const std::string size = std::to_string(c.width) + " x " + std::to_string(c.height);
            EXPECT_NE(e.Message().find(size), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(file.Path()), std::string::npos) << e.Message();
        }
        EXPECT_EQ(bitmap.GetWidth(), 2);
    }
}

TEST(BitmapFileTest, PngTooSmallForThePixelsItClaimsIsRefusedBeforeDecoding) {
    // Within the pixel limit, but 69 bytes cannot hold 64 million pixels however well
    // they compress: refused at once rather than after allocating the picture.
    const std::string fewBytes = std::string("\x78\xDA\x63\x60\x60\x60\x00\x00\x00\x04\x00\x01", 12);
    const TTempFile file("cut-short.png");
    file.Write(GreyPng(8000, 8000, fewBytes));
    TBitmap bitmap;
    try {
        bitmap.LoadFromPngFile(file.Path());
        ADD_FAILURE() << "loaded";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find("8000 x 8000 pixels, more than its 69 bytes can hold"), std::string::npos)
            << e.Message();
    }
    EXPECT_EQ(bitmap.GetWidth(), 0);

    // A plain picture compresses close to deflate's limit and is still read.
    TBitmap white;
    white.SetSize(4096, 1024);
    white.GetCanvas().GetBrush().SetColor(clWhite);
    white.GetCanvas().FillRect(Rect(0, 0, 4096, 1024));
    const TTempFile saved("white.png");
    white.SaveToPngFile(saved.Path());
    TBitmap readBack;
    readBack.LoadFromPngFile(saved.Path());
    EXPECT_EQ(readBack.GetWidth(), 4096);
    EXPECT_EQ(readBack.GetPixel(4095, 1023), clWhite);
}

TEST(BitmapFileTest, TruncatedOrDamagedPngRaisesEInOutError) {
    // Every way of cutting short or damaging the sample files raises EInOutError naming
    // the file, or, for damage that a reader may pass over (a damaged ancillary chunk such
    // as pHYs is skipped), reads; a failed read leaves the bitmap as it was, and nothing
    // leaks (the sanitizer run checks).
    struct Case {
        std::string png;
        bool mayRead = false;
        std::string reason{};  // a part of the message, when the reason is known
    };
    std::vector<Case> cases;
    for (const std::string* png : {&Grey8, &Rgb16, &Rgba8, &Palette1}) {
        for (std::size_t length = 0; length < png->size(); ++length)
            cases.push_back({.png = png->substr(0, length), .reason = "the file ends before the picture does"});
        for (std::size_t at = 0; at < png->size(); ++at) {
            std::string copy = *png;
            copy[at] = static_cast<char>(copy[at] ^ 0x5A);
            cases.push_back({.png = copy, .mayRead = true});
        }
    }
    // Damaged image data behind a correct CRC, so that the zlib stream itself is at fault.
    for (std::size_t at = 0; at < Grey8Data.size(); ++at) {
        std::string data = Grey8Data;
        data[at] = static_cast<char>(data[at] ^ 0x5A);
        cases.push_back({.png = GreyPng(3, 1, data), .mayRead = true});
    }
    cases.push_back({.png = GreyPng(3, 2, Grey8Data)});  // one scan line short
    cases.push_back({.png = GreyPng(3, 1, "")});         // no image data at all

    const TTempFile file("damaged.png");
    int refused = 0;
    for (const Case& c : cases) {
        file.Write(c.png);
        TBitmap bitmap;
        bitmap.SetSize(5, 4);
        bitmap.SetPixel(1, 1, clRed);
        try {
            bitmap.LoadFromPngFile(file.Path());
            EXPECT_TRUE(c.mayRead) << "read " << c.png.size() << " bytes";
        } catch (const EInOutError& e) {
            ++refused;
            EXPECT_NE(e.Message().find(file.Path()), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(c.reason), std::string::npos) << e.Message();
            EXPECT_EQ(bitmap.GetWidth(), 5);
            EXPECT_EQ(bitmap.GetHeight(), 4);
            EXPECT_EQ(bitmap.GetPixel(1, 1), clRed);
        }
    }
    // Most damage is caught, most of all by the CRCs.
    EXPECT_GT(refused, static_cast<int>(cases.size()) * 3 / 4);
}

TEST(BitmapFileTest, BmpHeaderAndTopDownRows) {
    // BITMAPFILEHEADER (14 bytes) and BITMAPINFOHEADER (40 bytes) as Microsoft documents
    // them; 96 pixels per inch is 3780 pixels per metre (96 / 0.0254 = 3779.5).
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    bitmap.SetPixel(0, 0, RgbColor(1, 2, 3));
    bitmap.SetPixel(2, 1, RgbColor(4, 5, 6));
    const std::vector<std::uint8_t> data = bitmap.SaveToBmpData();
    ASSERT_EQ(data.size(), 54u + 3 * 2 * 4);
    EXPECT_EQ(data[0], 'B');
    EXPECT_EQ(data[1], 'M');
    EXPECT_EQ(LittleEndian(data, 2, 4), 78u);                             // bfSize
    EXPECT_EQ(LittleEndian(data, 6, 4), 0u);                              // bfReserved1, bfReserved2
    EXPECT_EQ(LittleEndian(data, 10, 4), 54u);                            // bfOffBits
    EXPECT_EQ(LittleEndian(data, 14, 4), 40u);                            // biSize
    EXPECT_EQ(LittleEndian(data, 18, 4), 3u);                             // biWidth
    EXPECT_EQ(static_cast<std::int32_t>(LittleEndian(data, 22, 4)), -2);  // biHeight: top-down
    EXPECT_EQ(LittleEndian(data, 26, 2), 1u);                             // biPlanes
    EXPECT_EQ(LittleEndian(data, 28, 2), 32u);                            // biBitCount
    EXPECT_EQ(LittleEndian(data, 30, 4), 0u);                             // biCompression: BI_RGB
    EXPECT_EQ(LittleEndian(data, 34, 4), 24u);                            // biSizeImage
    EXPECT_EQ(LittleEndian(data, 38, 4), 3780u);                          // biXPelsPerMeter
    EXPECT_EQ(LittleEndian(data, 42, 4), 3780u);                          // biYPelsPerMeter
    EXPECT_EQ(LittleEndian(data, 46, 4), 0u);                             // biClrUsed
    EXPECT_EQ(LittleEndian(data, 50, 4), 0u);                             // biClrImportant
    // Blue, green, red, unused: the top row first.
    const std::vector<std::uint8_t> first(data.begin() + 54, data.begin() + 58);
    const std::vector<std::uint8_t> last(data.end() - 4, data.end());
    EXPECT_EQ(first, (std::vector<std::uint8_t>{3, 2, 1, 0}));
    EXPECT_EQ(last, (std::vector<std::uint8_t>{6, 5, 4, 0}));

    bitmap.SetPixelsPerInch(600);  // 600 / 0.0254 = 23622.05
    EXPECT_EQ(LittleEndian(bitmap.SaveToBmpData(), 38, 4), 23622u);

    const TTempFile file("header.BMP");
    bitmap.SaveToFile(file.Path());
    const std::string bytes = file.Read();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), bitmap.SaveToBmpData());
}

TEST(BitmapFileTest, EmptyBitmaps) {
    TBitmap bitmap;
    const std::vector<std::uint8_t> data = bitmap.SaveToBmpData();
    ASSERT_EQ(data.size(), 54u);
    EXPECT_EQ(LittleEndian(data, 2, 4), 54u);
    EXPECT_EQ(LittleEndian(data, 18, 4), 0u);
    EXPECT_EQ(LittleEndian(data, 22, 4), 0u);
    // PNG has no empty images: nothing is written.
    const TTempFile file("empty.png");
    EXPECT_THROW(bitmap.SaveToFile(file.Path()), EInOutError);
    EXPECT_FALSE(std::filesystem::exists(file.Path()));
    bitmap.SetSize(5, 0);
    EXPECT_THROW(bitmap.SaveToPngFile(file.Path()), EInOutError);
    EXPECT_THROW(bitmap.SaveToPngData(), EInOutError);
}

TEST(BitmapFileTest, UnknownExtensionsAndUnwritableFilesRaiseEInOutError) {
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    const TTempFile gif("picture.gif");
    EXPECT_THROW(bitmap.SaveToFile(gif.Path()), EInOutError);
    EXPECT_FALSE(std::filesystem::exists(gif.Path()));
    const TTempFile none("picture");
    EXPECT_THROW(bitmap.SaveToFile(none.Path()), EInOutError);
    const std::string unwritable = "/nonexistent-directory/picture";
    EXPECT_THROW(bitmap.SaveToFile(unwritable + ".png"), EInOutError);
    EXPECT_THROW(bitmap.SaveToFile(unwritable + ".bmp"), EInOutError);
    try {
        bitmap.SaveToFile(gif.Path());
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find("picture.gif"), std::string::npos) << e.Message();
    }
    const TTempFile upper("picture.PNG");
    bitmap.SaveToFile(upper.Path());
    EXPECT_EQ(upper.Read().substr(1, 3), "PNG");
}

TEST(BitmapFileTest, ClipboardFormatIsTheBmpFile) {
    TBitmap bitmap;
    Pattern(bitmap);
    TClipboardFormat format = 0;
    TClipboardData data;
    std::uint32_t palette = 99;
    bitmap.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, cfBitmap);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(*data, bitmap.SaveToBmpData());
    EXPECT_EQ(palette, 0u);
}

}  // namespace
}  // namespace zan::platform
