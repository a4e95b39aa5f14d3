// PDF and EPS pages of metafiles, read back by pdfinfo, pdftoppm, pdftotext, pdffonts and Ghostscript.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/platform/PrintSurface.h>
#include "tests/support/TestSupport.h"

namespace zan::platform {
namespace {

namespace fs = std::filesystem;

// Colours that no rounding of a colour component to fewer than 8 bits would keep.
constexpr TColor Paper = RgbColor(0xBA, 0xDC, 0xFE);
constexpr TColor Ink1 = RgbColor(0x12, 0x34, 0x56);
constexpr TColor Ink2 = RgbColor(0x01, 0x02, 0x03);
constexpr TColor Ink3 = RgbColor(0xFF, 0xFF, 0xFE);

// A device of any resolution, drawing nothing: the reference of metafiles made here.
class TDevice : public TCanvas {
public:
    explicit TDevice(int pixelsPerInch, std::shared_ptr<TFontEngine> engine = FreeTypeFontEngine())
        : TCanvas(pixelsPerInch, pixelsPerInch, std::move(engine)) {}

protected:
    void DoFillRect(const TRect&, TColor) override {}
    void DoTextRect(const TRect&, TPoint, const std::string&, bool) override {}
};

struct TFill {
    TRect Rect;
    TColor Color = clBlack;
};

// Metafiles and bitmaps are neither copied nor moved: the helpers hand them out owned.
std::unique_ptr<TMetafile> FillsMetafile(int width, int height, int pixelsPerInch, const std::vector<TFill>& fills) {
    TDevice device(pixelsPerInch);
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetWidth(width);
    metafile->SetHeight(height);
    TMetafileCanvas canvas(*metafile, &device);
    for (const TFill& fill : fills) {
        canvas.GetBrush().SetColor(fill.Color);
        canvas.FillRect(fill.Rect);
    }
    return metafile;
}

// The metafile's canvas hands the records over when it goes, so the text is drawn in a
// scope of its own.
struct TText {
    TRect Clip;
    TPoint Reference;
    std::uint32_t Align = TTextAlign::Left | TTextAlign::Top;
    std::int32_t Escapement = 0;
    std::int32_t Height = -40;
    std::string Face = "Arial";
    std::string Text;
};

std::unique_ptr<TMetafile> TextMetafile(int width, int height, int pixelsPerInch, const TText& text) {
    TDevice device(pixelsPerInch);
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetWidth(width);
    metafile->SetHeight(height);
    {
        TMetafileCanvas canvas(*metafile, &device);
        canvas.GetBrush().SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, width, height));
        canvas.GetFont().SetHandle(CreateFontIndirect({.Height = text.Height,
                                                       .Escapement = text.Escapement,
                                                       .Orientation = text.Escapement,
                                                       .FaceName = text.Face}));
        canvas.GetFont().SetColor(clBlack);
        canvas.GetBrush().SetStyle(bsClear);
        canvas.SetTextAlign(text.Align);
        canvas.TextRect(text.Clip, text.Reference.X, text.Reference.Y, text.Text);
    }
    return metafile;
}

// The metafile drawn by the raster canvas: what a PNG of the same records shows.
std::unique_ptr<TBitmap> Played(const TMetafile& metafile) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelsPerInch(metafile.GetPixelsPerInch());
    bitmap->SetSize(metafile.GetWidth(), metafile.GetHeight());
    metafile.Play(bitmap->GetCanvas());
    return bitmap;
}

std::string Save(const TMetafile& metafile, const std::string& path) {
    metafile.SaveToFile(path);
    return path;
}

// A page rendered at Scale device pixels a metafile pixel shows the metafile's colours:
// every device pixel whose neighbours all lie in metafile pixels of its own colour has
// exactly that colour. Pixels along an edge are left out: viewers tint them with the
// shape painted last, also where an edge falls exactly between pixels.
void ExpectSameColours(const TBitmap& page, const TBitmap& expected, int scale, const std::string& what) {
    ASSERT_EQ(page.GetWidth(), expected.GetWidth() * scale) << what;
    ASSERT_EQ(page.GetHeight(), expected.GetHeight() * scale) << what;
    auto expectedAt = [&](int x, int y) {
        return expected.GetPixel(std::clamp(x, 0, page.GetWidth() - 1) / scale,
                                 std::clamp(y, 0, page.GetHeight() - 1) / scale);
    };
    int compared = 0;
    int wrong = 0;
    for (int y = 0; y < page.GetHeight(); ++y)
        for (int x = 0; x < page.GetWidth(); ++x) {
            const TColor colour = expectedAt(x, y);
            bool inside = true;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) inside = inside && expectedAt(x + dx, y + dy) == colour;
            if (!inside) continue;
            ++compared;
            if (page.GetPixel(x, y) != colour && ++wrong <= 5)
                ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex << page.GetPixel(x, y)
                              << ", not " << colour;
        }
    EXPECT_GT(compared, page.GetWidth() * page.GetHeight() / 4) << what;
}

// The smallest rectangle around every pixel darker than mid-grey.
TRect InkBox(const TBitmap& bitmap) {
    TRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x) {
            const TColor c = bitmap.GetPixel(x, y);
            if (RedOf(c) + GreenOf(c) + BlueOf(c) >= 3 * 128) continue;
            box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                   std::max(box.Bottom, y + 1)};
        }
    return box;
}

std::string EpsComment(const std::string& eps, const std::string& key) {
    const std::regex pattern("\n" + key + " ([^\n]*)\n");
    std::smatch m;
    return std::regex_search(eps, m, pattern) ? m[1].str() : "";
}

// ---------------------------------------------------------------------------------------
// Page size

TEST(PrintSurfaceTest, PageIsThePicturesPhysicalSize) {
    // Points are pixels * 72 / pixels per inch, worked out by hand; %%BoundingBox takes
    // whole points rounded outwards.
    struct TCase {
        int width, height, pixelsPerInch;
        double points[2];
        std::string boundingBox;
    };
    const TCase cases[] = {
        {.width = 40, .height = 12, .pixelsPerInch = 96, .points = {30, 9}, .boundingBox = "0 0 30 9"},
        {.width = 345, .height = 178, .pixelsPerInch = 300, .points = {82.8, 42.72}, .boundingBox = "0 0 83 43"},
        {.width = 1, .height = 1, .pixelsPerInch = 600, .points = {0.12, 0.12}, .boundingBox = "0 0 1 1"},
        {.width = 1000, .height = 7, .pixelsPerInch = 7, .points = {10285.7143, 72}, .boundingBox = "0 0 10286 72"},
    };
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.PageSize");
    for (const TCase& c : cases) {
        const std::string name = dir + "/" + std::to_string(c.width) + "x" + std::to_string(c.height);
        // The ink covers a corner only: the page is the picture, not its ink.
        const auto metafile = FillsMetafile(c.width, c.height, c.pixelsPerInch, {{Rect(0, 0, 1, 1), Ink1}});
        const zantest::TPdfInfo info = zantest::ReadPdfInfo(Save(*metafile, name + ".pdf"));
        EXPECT_EQ(info.Pages, 1) << name;
        EXPECT_NEAR(info.PageWidth, c.points[0], 0.005) << name;
        EXPECT_NEAR(info.PageHeight, c.points[1], 0.005) << name;

        const std::string eps = zantest::ReadFile(Save(*metafile, name + ".eps"));
        EXPECT_TRUE(eps.starts_with("%!PS-Adobe-3.0 EPSF-3.0\n")) << name;
        EXPECT_EQ(EpsComment(eps, "%%BoundingBox:"), c.boundingBox) << name;
        EXPECT_EQ(EpsComment(eps, "%%PageBoundingBox:"), c.boundingBox) << name;
        double hiRes[4] = {-1, -1, -1, -1};
        ASSERT_EQ(std::sscanf(EpsComment(eps, "%%HiResBoundingBox:").c_str(), "%lf %lf %lf %lf", &hiRes[0], &hiRes[1],
                              &hiRes[2], &hiRes[3]),
                  4)
            << name;
        EXPECT_EQ(hiRes[0], 0) << name;
        EXPECT_EQ(hiRes[1], 0) << name;
        EXPECT_NEAR(hiRes[2], c.points[0], 1e-3) << name;
        EXPECT_NEAR(hiRes[3], c.points[1], 1e-3) << name;
    }
}

TEST(PrintSurfaceTest, GhostscriptCropsTheEpsToThePicture) {
    // 345 x 178 pixels at 300 per inch are 82.8 x 42.72 points; back at 300 dpi they are
    // 345 x 178 pixels again, where the whole-point box would give 346 x 179. Bands of
    // colour at the top, the bottom and the sides show that the picture lies in the box
    // rather than a fraction of a point off it.
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.EpsCrop");
    const auto metafile = FillsMetafile(345, 178, 300,
                                        {{Rect(0, 0, 345, 178), Paper},
                                         {Rect(0, 0, 345, 9), Ink1},
                                         {Rect(0, 169, 345, 178), Ink2},
                                         {Rect(0, 9, 9, 169), Ink2},
                                         {Rect(336, 9, 345, 169), Ink1}});
    const std::string eps = Save(*metafile, dir + "/a.eps");
    const auto page = zantest::LoadRenderedPng(zantest::RenderEps(eps, 300));
    EXPECT_EQ(page->GetWidth(), 345);
    EXPECT_EQ(page->GetHeight(), 178);
    ExpectSameColours(*zantest::LoadRenderedPng(zantest::RenderEps(eps, 600)), *Played(*metafile), 2, "EPS at 600 dpi");
}

TEST(PrintSurfaceTest, RefusesPicturesWithoutAPage) {
    struct TCase {
        int width, height, pixelsPerInch;
        std::string message;
    };
    // 200 inches (14 400 points) at 96 pixels per inch are 19 200 pixels.
    const TCase cases[] = {
        {.width = 0, .height = 10, .pixelsPerInch = 96, .message = "A picture of 0 x 10 pixels has no page to print"},
        {.width = 10, .height = -1, .pixelsPerInch = 96, .message = "A picture of 10 x -1 pixels has no page to print"},
        {.width = 10,
         .height = 10,
         .pixelsPerInch = 0,
         .message = "A picture at 0 pixels per inch has no physical size"},
        {.width = 19201,
         .height = 10,
         .pixelsPerInch = 96,
         .message = "A picture of 19201 x 10 pixels at 96 pixels per inch is larger than a print page of 200 inches"},
        {.width = 10,
         .height = 60001,
         .pixelsPerInch = 300,
         .message = "A picture of 10 x 60001 pixels at 300 pixels per inch is larger than a print page of 200 inches"},
        // 4194305 pixels at 100000 per inch are 42 inches, but more pixels than cairo places.
        {.width = 4194305,
         .height = 10,
         .pixelsPerInch = 100000,
         .message = "A picture of 4194305 x 10 pixels has more than the 4194304 pixels on a side that a print page "
                    "holds"},
    };
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Refused");
    for (const TCase& c : cases) {
        const auto metafile = FillsMetafile(c.width, c.height, c.pixelsPerInch, {});
        for (const TPrintFormat format : {pfPdf, pfEps}) {
            try {
                PrintMetafile(*metafile, format);
                ADD_FAILURE() << "printed: " << c.message;
            } catch (const EInOutError& e) {
                EXPECT_EQ(e.Message(), c.message);
            }
        }
        EXPECT_THROW(metafile->SaveToFile(dir + "/x.pdf"), EInOutError) << c.message;
        EXPECT_TRUE(fs::is_empty(dir)) << "no file for a refused picture: " << c.message;
    }
    // The largest page there is.
    EXPECT_EQ(zantest::ReadPdfInfo(Save(*FillsMetafile(19200, 10, 96, {}), dir + "/largest.pdf")).PageWidth, 14400);
}

// ---------------------------------------------------------------------------------------
// Fills

// Overlapping fills whose order matters, fills that touch, and fills reaching off the page.
const std::vector<TFill> OrderedFills = {
    {Rect(0, 0, 40, 12), Paper},  {Rect(2, 1, 12, 11), Ink1}, {Rect(8, 3, 18, 9), Ink2},  // over the first
    {Rect(15, 1, 25, 11), Ink1},   // over the second: not to be painted with the first
    {Rect(25, 1, 30, 11), Ink1},   // touching the third
    {Rect(30, 0, 40, 6), Ink2},    // overlapping none of the other colour since the second
    {Rect(33, 3, 37, 12), Ink3},   // over the sixth
    {Rect(-5, 10, 3, 20), Ink2},   // partly off the page
    {Rect(38, -3, 99, 2), Ink1},   // partly off the page
    {Rect(50, 50, 60, 60), Ink2},  // off the page
};

TEST(PrintSurfaceTest, FillsKeepTheirPixelsColoursAndOrder) {
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Fills");
    const auto metafile = FillsMetafile(40, 12, 96, OrderedFills);
    const auto expected = Played(*metafile);
    // Whole device pixels per metafile pixel: every edge falls between pixels.
    for (const int scale : {1, 2, 3}) {
        ExpectSameColours(*zantest::LoadRenderedPng(zantest::RenderPdfPage(Save(*metafile, dir + "/a.pdf"), 96 * scale)), *expected,
                          scale, "PDF x" + std::to_string(scale));
        ExpectSameColours(*zantest::LoadRenderedPng(zantest::RenderEps(Save(*metafile, dir + "/a.eps"), 96 * scale)), *expected, scale,
                          "EPS x" + std::to_string(scale));
    }
}

TEST(PrintSurfaceTest, WhatIsNotPaintedStaysPaper) {
    // One fill in the middle of the page: around it the paper shows.
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Paper");
    const auto metafile = FillsMetafile(40, 12, 96, {{Rect(10, 3, 30, 9), Ink1}});
    const auto expected = std::make_unique<TBitmap>();
    expected->SetSize(40, 12);  // white
    expected->GetCanvas().GetBrush().SetColor(Ink1);
    expected->GetCanvas().FillRect(Rect(10, 3, 30, 9));
    ExpectSameColours(*zantest::LoadRenderedPng(zantest::RenderPdfPage(Save(*metafile, dir + "/a.pdf"), 96)), *expected, 1, "PDF");
    ExpectSameColours(*zantest::LoadRenderedPng(zantest::RenderEps(Save(*metafile, dir + "/a.eps"), 96)), *expected, 1, "EPS");
}

TEST(PrintSurfaceTest, TouchingBarsLeaveNoSeam) {
    // Three black bars side by side, x 3..5, 5..9 and 9..11 at 96 pixels per inch. At 144
    // dpi the edges at 5 and 9 fall in the middle of device pixels 7 and 13: painted as
    // separate shapes each would cover half of those pixels and leave them grey.
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Seams");
    const auto metafile = FillsMetafile(14, 4, 96,
                                        {{Rect(0, 0, 14, 4), clWhite},
                                         {Rect(3, 0, 5, 4), clBlack},
                                         {Rect(5, 0, 9, 4), clBlack},
                                         {Rect(9, 0, 11, 4), clBlack}});
    const auto page = zantest::LoadRenderedPng(zantest::RenderPdfPage(Save(*metafile, dir + "/bars.pdf"), 144));
    ASSERT_EQ(page->GetWidth(), 21);
    for (const int x : {5, 6, 7, 8, 12, 13, 14, 15}) EXPECT_EQ(page->GetPixel(x, 3), clBlack) << x;
    // The outer edges at 3 and 11 (device 4.5 and 16.5) are half covered: the viewer
    // anti-aliases, so the pixels above would have shown a seam.
    for (const int x : {4, 16}) {
        EXPECT_NE(page->GetPixel(x, 3), clBlack) << x;
        EXPECT_NE(page->GetPixel(x, 3), clWhite) << x;
    }
}

TEST(PrintSurfaceTest, FillsAtTheEdgesOfTheCoordinateRange) {
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Extremes");
    const auto metafile = FillsMetafile(20, 10, 96,
                                        {{Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), Paper},
                                         {Rect(INT_MIN, 2, 5, 4), Ink1},
                                         {Rect(15, 6, INT_MAX, INT_MAX), Ink2}});
    const auto expected = Played(*metafile);
    ExpectSameColours(*zantest::LoadRenderedPng(zantest::RenderPdfPage(Save(*metafile, dir + "/a.pdf"), 96)), *expected, 1, "PDF");
    ExpectSameColours(*zantest::LoadRenderedPng(zantest::RenderEps(Save(*metafile, dir + "/a.eps"), 96)), *expected, 1, "EPS");
}

// ---------------------------------------------------------------------------------------
// Text

TEST(PrintSurfaceTest, TextIsRealTextInTheEnginesFace) {
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Text");
    for (const std::string face : {"Arial", "Courier New", "DejaVu Sans"}) {
        // The name of the face that fontconfig matches, as fc-match reports it.
        const std::string oracle = zantest::RunCommand({"fc-match", "-f", "%{postscriptname}", face}).Output;
        const auto metafile = TextMetafile(
            400, 100, 96, {.Clip = Rect(0, 0, 400, 100), .Reference = {10, 10}, .Face = face, .Text = "Label 12"});
        const std::string pdf = Save(*metafile, dir + "/" + face + ".pdf");
        EXPECT_TRUE(zantest::RunCommand({"pdftotext", pdf, "-"}).Output.starts_with("Label 12\n")) << face;
        // pdffonts: the subset's name (a six-letter tag, "+", the PostScript name) and
        // "yes" for embedded.
        const std::string fonts = zantest::RunCommand({"pdffonts", pdf}).Output;
        EXPECT_TRUE(std::regex_search(fonts, std::regex("\n[A-Z]{6}\\+" + oracle + " .* yes +yes +yes ")))
            << face << "\n"
            << fonts;
    }
}

TEST(PrintSurfaceTest, TextLiesWhereTheBitmapDrawsIt) {
    // The ink of the rendered page and of the bitmap played from the same records; glyph
    // outlines unhinted on the page and hinted in the bitmap differ by a pixel at most.
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.TextPlace");
    struct TCase {
        std::uint32_t align;
        std::int32_t escapement;
    };
    const TCase cases[] = {
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 0},
        {.align = TTextAlign::Center | TTextAlign::Bottom, .escapement = 0},
        {.align = TTextAlign::Right | TTextAlign::Baseline, .escapement = 0},
        {.align = TTextAlign::Center | TTextAlign::Bottom, .escapement = 900},
        {.align = TTextAlign::Left | TTextAlign::Top, .escapement = 1800},
        {.align = TTextAlign::Center | TTextAlign::Bottom, .escapement = 2700},
        {.align = TTextAlign::Left | TTextAlign::Baseline, .escapement = -900},
    };
    int n = 0;
    for (const TCase& c : cases) {
        const auto metafile = TextMetafile(400, 400, 200,
                                           {.Clip = Rect(0, 0, 400, 400),
                                            .Reference = {200, 200},
                                            .Align = c.align,
                                            .Escapement = c.escapement,
                                            .Text = "Label 12"});
        const std::string pdf = Save(*metafile, dir + "/t" + std::to_string(++n) + ".pdf");
        const TRect expected = InkBox(*Played(*metafile));
        const TRect printed = InkBox(*zantest::LoadRenderedPng(zantest::RenderPdfPage(pdf, 200)));
        const std::string what = "align " + std::to_string(c.align) + ", escapement " + std::to_string(c.escapement);
        ASSERT_LT(expected.Left, expected.Right) << what << ": the bitmap has ink";
        EXPECT_NEAR(printed.Left, expected.Left, 1) << what;
        EXPECT_NEAR(printed.Top, expected.Top, 1) << what;
        EXPECT_NEAR(printed.Right, expected.Right, 1) << what;
        EXPECT_NEAR(printed.Bottom, expected.Bottom, 1) << what;
    }
}

TEST(PrintSurfaceTest, TextIsClippedToItsRectangle) {
    // The clip rectangle cuts "Label 12" after its first letters and above its baseline.
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.TextClip");
    const TRect clip = Rect(20, 20, 70, 45);
    const TText text{.Clip = clip, .Reference = {20, 20}, .Text = "Label 12"};
    TText whole = text;
    whole.Clip = Rect(0, 0, 200, 100);
    const TRect unclipped = InkBox(*Played(*TextMetafile(200, 100, 96, whole)));
    ASSERT_GT(unclipped.Right, clip.Right);
    ASSERT_GT(unclipped.Bottom, clip.Bottom);

    const auto metafile = TextMetafile(200, 100, 96, text);
    const TRect printed = InkBox(*zantest::LoadRenderedPng(zantest::RenderPdfPage(Save(*metafile, dir + "/a.pdf"), 96)));
    const TRect played = InkBox(*Played(*metafile));
    EXPECT_GE(printed.Left, clip.Left);
    EXPECT_GE(printed.Top, clip.Top);
    EXPECT_LE(printed.Right, clip.Right);
    EXPECT_LE(printed.Bottom, clip.Bottom);
    EXPECT_NEAR(printed.Right, played.Right, 1);
    EXPECT_NEAR(printed.Bottom, played.Bottom, 1);
}

TEST(PrintSurfaceTest, FillsAfterATextPaintOverIt) {
    // A fill in the background's colour over the right half of a text: painted with the
    // background it would leave the text showing.
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.OverText");
    TDevice device(96);
    TMetafile metafile;
    metafile.SetWidth(200);
    metafile.SetHeight(60);
    {
        TMetafileCanvas canvas(metafile, &device);
        canvas.GetBrush().SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, 200, 60));
        canvas.GetFont().SetHandle(CreateFontIndirect({.Height = -40, .FaceName = "Arial"}));
        canvas.GetFont().SetColor(clBlack);
        canvas.GetBrush().SetStyle(bsClear);
        canvas.TextRect(Rect(0, 0, 200, 60), 10, 10, "Label 12");
        canvas.GetBrush().SetStyle(bsSolid);
        canvas.FillRect(Rect(60, 0, 200, 60));
    }
    const TRect ink = InkBox(*zantest::LoadRenderedPng(zantest::RenderPdfPage(Save(metafile, dir + "/a.pdf"), 96)));
    EXPECT_LT(ink.Left, 20);
    EXPECT_LE(ink.Right, 60);
}

TEST(PrintSurfaceTest, EveryByteOfATextIsWritten) {
    // One text of all 256 bytes, and each byte as a text of its own.
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Bytes");
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    TDevice device(96);
    TMetafile metafile;
    metafile.SetWidth(2400);
    metafile.SetHeight(400);
    {
        TMetafileCanvas canvas(metafile, &device);
        canvas.GetFont().SetName("Arial");
        canvas.GetFont().SetHeight(-12);
        canvas.GetBrush().SetStyle(bsClear);
        canvas.TextRect(Rect(0, 0, 2400, 400), 5, 5, all);
        for (int byte = 0; byte < 256; ++byte)
            canvas.TextRect(Rect(0, 0, 2400, 400), 5 + 9 * (byte % 128), 100 + 20 * (byte / 128), all.substr(byte, 1));
    }
    const std::string pdf = Save(metafile, dir + "/bytes.pdf");
    EXPECT_NE(zantest::RenderPdfPage(pdf, 96), "");
    EXPECT_NE(zantest::RenderEps(Save(metafile, dir + "/bytes.eps"), 96), "");

    // The first line read back: the bytes from 0x21 (control characters have no glyph,
    // pdftotext drops the leading space), in UTF-8 as Windows-1252 maps them, with the
    // no-break space 0xA0 read as a space. Spot checks from CP1252.TXT: 0x80 is the euro
    // sign U+20AC, 0x99 the trade mark sign U+2122, 0xFF U+00FF.
    const std::string text = zantest::RunCommand({"pdftotext", "-f", "1", "-l", "1", pdf, "-"}).Output;
    const std::string firstLine = text.substr(0, text.find('\n'));
    std::string expected = Cp1252ToUtf8(all.substr(0x21));
    expected.replace(expected.find("\xC2\xA0"), 2, " ");
    EXPECT_EQ(firstLine, expected);
    EXPECT_NE(firstLine.find("~\x7F\xE2\x82\xAC"), std::string::npos);
    EXPECT_NE(firstLine.find("\xE2\x84\xA2"), std::string::npos);
    EXPECT_TRUE(firstLine.ends_with("\xC3\xBF"));
}

TEST(PrintSurfaceTest, TextFarOffThePageIsNoTrouble) {
    // References at the ends of the coordinate range, turned or not; a long text that
    // reaches across the page from far away; a text whose rectangle is off the page.
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.TextFar");
    const std::string longText(100000, 'W');
    TDevice device(96);
    TMetafile metafile;
    metafile.SetWidth(100);
    metafile.SetHeight(50);
    {
        TMetafileCanvas canvas(metafile, &device);
        canvas.GetBrush().SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, 100, 50));
        canvas.GetBrush().SetStyle(bsClear);
        canvas.GetFont().SetColor(clBlack);
        for (const std::int32_t escapement : {0, 450, 900}) {
            canvas.GetFont().SetHandle(
                CreateFontIndirect({.Height = INT_MIN, .Escapement = escapement, .FaceName = "Arial"}));
            canvas.TextRect(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MIN, INT_MAX, "far");
            canvas.TextRect(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MAX, INT_MIN, "far");
        }
        canvas.GetFont().SetHandle(CreateFontIndirect({.Height = -20, .FaceName = "Arial"}));
        canvas.TextRect(Rect(0, 0, 100, 50), -1000000, 10, longText);
        canvas.TextRect(Rect(200, 200, 300, 300), 10, 10, "off");
    }
    const auto page = zantest::LoadRenderedPng(zantest::RenderPdfPage(Save(metafile, dir + "/a.pdf"), 96));
    ASSERT_EQ(page->GetWidth(), 100);
    // Only the long text reaches the page: a row of W glyphs across it at y 10..30.
    const TRect ink = InkBox(*page);
    EXPECT_LE(ink.Left, 5);
    EXPECT_GE(ink.Right, 95);
    EXPECT_GE(ink.Top, 10);
    EXPECT_LE(ink.Bottom, 31);
    EXPECT_NE(zantest::RenderEps(Save(metafile, dir + "/a.eps"), 96), "");
}

// ---------------------------------------------------------------------------------------
// Files

TEST(PrintSurfaceTest, SaveToFileChoosesTheFormatByExtension) {
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Save");
    const auto metafile = FillsMetafile(4, 4, 96, {{Rect(0, 0, 4, 4), Ink1}});
    EXPECT_TRUE(zantest::ReadFile(Save(*metafile, dir + "/a.PDF")).starts_with("%PDF-1."));
    EXPECT_TRUE(zantest::ReadFile(Save(*metafile, dir + "/a.Eps")).starts_with("%!PS-Adobe-3.0 EPSF-3.0\n"));
    EXPECT_THROW(metafile->SaveToFile(dir + "/missing/a.pdf"), EInOutError);
    EXPECT_THROW(metafile->SaveToFile(dir + "/a.ps"), EInOutError);
    EXPECT_FALSE(fs::exists(dir + "/a.ps"));
}

TEST(PrintSurfaceTest, SaveToFileRaisesWhenTheDocumentCannotBeWritten) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    const std::string dir = zantest::TestOutputDir("PrintSurfaceTest.Full");
    const auto metafile = FillsMetafile(4, 4, 96, {{Rect(0, 0, 4, 4), Ink1}});
    for (const char* name : {"/full.pdf", "/full.eps"}) {
        fs::create_symlink("/dev/full", dir + name);
        EXPECT_THROW(metafile->SaveToFile(dir + name), EInOutError) << name;
    }
}

}  // namespace
}  // namespace zan::platform
