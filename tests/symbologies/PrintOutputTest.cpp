// Every symbology painted into a metafile and saved as PDF and EPS, read back as a scanner and a ruler would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include <zanbarcode/symbologies/ZanLinearSymbology.h>
#include "tests/support/TestSupport.h"

namespace {

using zan::platform::TBitmap;
using zan::platform::TColor;
using zan::platform::TMetafile;

// The resolution of the drawings, a label printer's. Rendered back at 300 and 600 dpi a
// drawing pixel is one and two device pixels; at 450 dpi it is one and a half, and every
// other edge falls inside a device pixel.
constexpr int PixelsPerInch = 300;
constexpr TColor CaptionColor = zan::platform::RgbColor(255, 0, 0);

struct TDrawingOptions {
    std::string Symbology;
    std::string Caption;
    zan::TZanBarcodeOrientation Orientation = zan::boNormal;
    TColor Bar = zan::platform::clBlack;
    TColor Space = zan::platform::clWhite;
    TColor Back = zan::platform::clWhite;
};

// One barcode painted by the renderer twice: into a bitmap (the PNG) and into a
// metafile (the PDF and EPS), over the same bounds at the same resolution.
class TPrintDrawing {
public:
    explicit TPrintDrawing(const TDrawingOptions& options) {
        zan::RegisterBarcodeSymbologies();
        FBitmap.SetPixelsPerInch(PixelsPerInch);
        FRenderer.SetCanvas(&FBitmap.GetCanvas());
        FRenderer.SetSymbologyName(options.Symbology);
        FRenderer.SetCaption(options.Caption);
        FRenderer.SetOrientation(options.Orientation);
        FRenderer.SetBarColor(options.Bar);
        FRenderer.SetSpaceColor(options.Space);
        FRenderer.SetBackColor(options.Back);
        // The caption in a colour of its own, so that it is told from bars and spaces.
        zan::platform::TFont font;
        font.Assign(FRenderer.GetFont());
        font.SetColor(CaptionColor);
        FRenderer.SetFont(font);

        // Quiet zones of ten modules along the code, as scanners want them; bars half an
        // inch long plus room for the caption.
        const auto* linear = dynamic_cast<const zan::TZanLinearSymbology*>(FRenderer.GetSymbology());
        const int quietZone = linear ? 10 * linear->GetBarWidth() : 10;
        const bool vertical = zan::IsVertical(options.Orientation);
        zan::TZanBarcodeMargins& margins = FRenderer.GetMargins();
        margins.SetLeft(vertical ? 5 : quietZone);
        margins.SetRight(vertical ? 5 : quietZone);
        margins.SetTop(vertical ? quietZone : 5);
        margins.SetBottom(vertical ? quietZone : 5);
        const int codeHeight = FRenderer.GetSymbology()->GetCodeHeight();
        const int along = FRenderer.GetSymbology()->GetCodeWidth() + 2 * quietZone;
        const int across = (codeHeight != 0 ? codeHeight : PixelsPerInch * 3 / 4) + 10;
        // Even sizes, so that the pages are whole device pixels at 300 dpi too.
        const int width = ((vertical ? across : along) + 1) & ~1;
        const int height = ((vertical ? along : across) + 1) & ~1;
        FRenderer.SetBounds(0, 0, width, height);
        FBitmap.SetSize(width, height);

        FMetafile.SetWidth(width);
        FMetafile.SetHeight(height);
        {
            // The metafile canvas hands its records to the metafile when it goes.
            zan::platform::TMetafileCanvas canvas(FMetafile, &FBitmap.GetCanvas());
            FRenderer.SetCanvas(&canvas);
            FRenderer.Paint();
            FRenderer.SetCanvas(&FBitmap.GetCanvas());
        }
        FRenderer.Paint();
    }

    TPrintDrawing(const TPrintDrawing&) = delete;
    TPrintDrawing& operator=(const TPrintDrawing&) = delete;

    const TBitmap& Bitmap() const { return FBitmap; }
    const TMetafile& Metafile() const { return FMetafile; }

private:
    TBitmap FBitmap;
    TMetafile FMetafile;
    zan::TZanBarcodeRenderer FRenderer;
};

// Dark (bars), light (spaces and background) or neither (the caption and anti-aliased
// pixels in between).
enum class TShade { Dark, Light, Other };

TShade ShadeOf(TColor c) {
    const int sum = zan::platform::RedOf(c) + zan::platform::GreenOf(c) + zan::platform::BlueOf(c);
    if (c == zan::platform::RgbColor(zan::platform::RedOf(c), zan::platform::RedOf(c), zan::platform::RedOf(c)))
        return sum < 3 * 128 ? TShade::Dark : TShade::Light;
    return TShade::Other;
}

// Every bar edge of the page, rendered at Scale device pixels a drawing pixel, lies
// within one device pixel of the same edge in the bitmap: each device pixel that is
// clearly dark or light has a pixel of that shade in the bitmap within one device pixel
// of it. Pixels near the caption are left out: its glyphs are hinted in the bitmap only.
void ExpectSameBars(const TBitmap& page, const TBitmap& bitmap, double scale, const std::string& what) {
    // Renderers round the page up to whole pixels, and the product of a size in points
    // and a resolution may come out a hair above a whole number.
    ASSERT_NEAR(page.GetWidth(), bitmap.GetWidth() * scale, 1) << what;
    ASSERT_NEAR(page.GetHeight(), bitmap.GetHeight() * scale, 1) << what;
    // Bitmap pixels within three pixels of a caption pixel.
    const int w = bitmap.GetWidth();
    const int h = bitmap.GetHeight();
    std::vector<bool> nearCaption(static_cast<std::size_t>(w) * h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (ShadeOf(bitmap.GetPixel(x, y)) == TShade::Other)
                for (int ny = std::max(0, y - 3); ny <= std::min(h - 1, y + 3); ++ny)
                    for (int nx = std::max(0, x - 3); nx <= std::min(w - 1, x + 3); ++nx)
                        nearCaption[static_cast<std::size_t>(ny) * w + nx] = true;
    auto bitmapPixel = [&](int deviceX, int deviceY) {
        return std::pair{std::clamp(static_cast<int>((deviceX + 0.5) / scale), 0, w - 1),
                         std::clamp(static_cast<int>((deviceY + 0.5) / scale), 0, h - 1)};
    };
    auto bitmapShade = [&](int deviceX, int deviceY) {
        const auto [x, y] = bitmapPixel(deviceX, deviceY);
        return ShadeOf(bitmap.GetPixel(x, y));
    };
    int checked = 0;
    int wrong = 0;
    for (int y = 0; y < page.GetHeight(); ++y)
        for (int x = 0; x < page.GetWidth(); ++x) {
            const TColor c = page.GetPixel(x, y);
            const int sum = zan::platform::RedOf(c) + zan::platform::GreenOf(c) + zan::platform::BlueOf(c);
            // Grey pixels of an edge that falls inside them may go either way.
            if (sum > 3 * 64 && sum < 3 * 192) continue;
            const auto [bx, by] = bitmapPixel(x, y);
            if (nearCaption[static_cast<std::size_t>(by) * w + bx]) continue;
            const TShade shade = sum <= 3 * 64 ? TShade::Dark : TShade::Light;
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) found = bitmapShade(x + dx, y + dy) == shade;
            ++checked;
            if (!found && ++wrong <= 5)
                ADD_FAILURE() << what << ": device pixel " << x << "," << y << " is "
                              << (shade == TShade::Dark ? "dark" : "light") << ", the bitmap has none near it";
        }
    EXPECT_GT(checked, page.GetWidth() * page.GetHeight() / 2) << what;
}

// ---------------------------------------------------------------------------------------
// Every symbology

struct TSymbologyCase {
    std::string Symbology;
    std::string Caption;
    // zbarimg's reading, from the scanner tests of each symbology; empty for the two
    // that zbarimg has no decoder for (Code 2 of 5 and POSTNET), which the bars alone show.
    std::string Decoded;
};

const TSymbologyCase SymbologyCases[] = {
    {.Symbology = "Codabar", .Caption = "0123456789", .Decoded = "Codabar:A0123456789B"},
    {.Symbology = "Code 128", .Caption = "Print 128", .Decoded = "CODE-128:Print 128"},
    {.Symbology = "Code 2 of 5", .Caption = "0123456789", .Decoded = ""},
    {.Symbology = "Interleaved 2 of 5", .Caption = "0123456789", .Decoded = "I2/5:0123456789"},
    {.Symbology = "Code 39", .Caption = "ABCDE12345", .Decoded = "CODE-39:ABCDE12345"},
    {.Symbology = "EAN 8", .Caption = "9638507", .Decoded = "EAN-8:96385074"},
    {.Symbology = "EAN 13", .Caption = "590123412345", .Decoded = "EAN-13:5901234123457"},
    {.Symbology = "UPC A", .Caption = "03600029145", .Decoded = "UPC-A:036000291452"},
    {.Symbology = "UPC E", .Caption = "0425261", .Decoded = "UPC-E:04252614"},
    {.Symbology = "POSTNET", .Caption = "12345", .Decoded = ""},
};

// With UPC-A and UPC-E enabled zbar names them instead of folding them into EAN-13.
const std::vector<std::string> ZbarOptions = {"-Supca.enable", "-Supce.enable"};

class PrintOutputTest : public testing::TestWithParam<TSymbologyCase> {};

TEST_P(PrintOutputTest, PdfReadsAsThePngAndKeepsItsBars) {
    const TSymbologyCase& c = GetParam();
    const std::string dir = zantest::TestOutputDir("PrintOutputTest." + c.Symbology);
    for (const zan::TZanBarcodeOrientation orientation : {zan::boNormal, zan::bo90Degrees}) {
        const TPrintDrawing drawing({.Symbology = c.Symbology, .Caption = c.Caption, .Orientation = orientation});
        const std::string name = dir + "/" + std::to_string(zan::OrientationAngles[orientation]);
        const std::string what = c.Symbology + " at " + std::to_string(zan::OrientationAngles[orientation]);
        const std::string png = name + ".png";
        drawing.Bitmap().SaveToFile(png);
        const std::string pdf = name + ".pdf";
        drawing.Metafile().SaveToFile(pdf);

        // The page is the picture: pixels at 200 per inch, 72 points an inch.
        const zantest::TPdfInfo info = zantest::ReadPdfInfo(pdf);
        EXPECT_EQ(info.Pages, 1) << what;
        EXPECT_NEAR(info.PageWidth, drawing.Bitmap().GetWidth() * 72.0 / PixelsPerInch, 0.005) << what;
        EXPECT_NEAR(info.PageHeight, drawing.Bitmap().GetHeight() * 72.0 / PixelsPerInch, 0.005) << what;

        const std::vector<std::string> fromPng = zantest::ScanWithZbar(png, ZbarOptions);
        if (!c.Decoded.empty()) {
            EXPECT_EQ(fromPng, std::vector<std::string>{c.Decoded}) << what;
        }
        for (const int dpi : {300, 450, 600}) {
            const std::string page = zantest::RenderPdfPage(pdf, dpi);
            // Where edges fall inside device pixels the viewer may take either side of
            // each: the bars keep their places, but not every scanner copes with bars a
            // device pixel wider or narrower; the page is read at whole multiples only.
            if (dpi % PixelsPerInch == 0) {
                EXPECT_EQ(zantest::ScanWithZbar(page, ZbarOptions), fromPng) << what << ", " << dpi << " dpi";
            }
            ExpectSameBars(*zantest::LoadRenderedPng(page), drawing.Bitmap(), dpi / double{PixelsPerInch},
                           what + ", " + std::to_string(dpi) + " dpi");
        }
    }
}

TEST_P(PrintOutputTest, EpsReadsAsThePng) {
    const TSymbologyCase& c = GetParam();
    const std::string dir = zantest::TestOutputDir("PrintOutputTest.Eps." + c.Symbology);
    const TPrintDrawing drawing({.Symbology = c.Symbology, .Caption = c.Caption});
    const std::string png = dir + "/a.png";
    drawing.Bitmap().SaveToFile(png);
    const std::string eps = dir + "/a.eps";
    drawing.Metafile().SaveToFile(eps);

    const zantest::TEpsBox box = zantest::ReadEpsHiResBox(eps);
    EXPECT_EQ(box.Left, 0);
    EXPECT_EQ(box.Bottom, 0);
    EXPECT_NEAR(box.Right, drawing.Bitmap().GetWidth() * 72.0 / PixelsPerInch, 1e-3);
    EXPECT_NEAR(box.Top, drawing.Bitmap().GetHeight() * 72.0 / PixelsPerInch, 1e-3);

    const std::vector<std::string> fromPng = zantest::ScanWithZbar(png, ZbarOptions);
    if (!c.Decoded.empty()) {
        EXPECT_EQ(fromPng, std::vector<std::string>{c.Decoded});
    }
    for (const int dpi : {300, 600}) {
        const std::string page = zantest::RenderEps(eps, dpi);
        EXPECT_EQ(zantest::ScanWithZbar(page, ZbarOptions), fromPng) << dpi << " dpi";
        ExpectSameBars(*zantest::LoadRenderedPng(page), drawing.Bitmap(), dpi / double{PixelsPerInch},
                       "EPS at " + std::to_string(dpi) + " dpi");
    }
}

INSTANTIATE_TEST_SUITE_P(EverySymbology, PrintOutputTest, testing::ValuesIn(SymbologyCases),
                         [](const testing::TestParamInfo<TSymbologyCase>& param) {
                             std::string name = param.param.Symbology;
                             name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                             return name;
                         });

// ---------------------------------------------------------------------------------------
// Colours

TEST(PrintOutputColorTest, BarsSpacesAndBackgroundKeepTheirColours) {
    // Colours whose components no rounding to fewer than 8 bits would keep. In the middle
    // of every bar, space and quiet zone along a row across the bars, and in the corner
    // of the margin, the rendered pages have exactly the drawing's colour.
    const TColor bar = zan::platform::RgbColor(0x12, 0x34, 0x56);
    const TColor space = zan::platform::RgbColor(0xF1, 0xE2, 0xD3);
    const TColor back = zan::platform::RgbColor(0xFE, 0xFD, 0x7C);
    const std::string dir = zantest::TestOutputDir("PrintOutputColorTest");
    for (const std::string symbology : {"Code 128", "EAN 13"}) {
        const TPrintDrawing drawing({.Symbology = symbology,
                                     .Caption = symbology == "EAN 13" ? "590123412345" : "Colour",
                                     .Bar = bar,
                                     .Space = space,
                                     .Back = back});
        const TBitmap& bitmap = drawing.Bitmap();
        const std::string stem = dir + "/" + symbology;
        const std::string pdf = stem + ".pdf";
        const std::string eps = stem + ".eps";
        drawing.Metafile().SaveToFile(pdf);
        drawing.Metafile().SaveToFile(eps);
        // One and a half and two device pixels a drawing pixel.
        const auto pdfPage = zantest::LoadRenderedPng(zantest::RenderPdfPage(pdf, 450));
        const auto epsPage = zantest::LoadRenderedPng(zantest::RenderEps(eps, 600));

        EXPECT_EQ(bitmap.GetPixel(1, 1), back);
        EXPECT_EQ(pdfPage->GetPixel(1, 1), back) << symbology;
        EXPECT_EQ(epsPage->GetPixel(1, 1), back) << symbology;
        // A row two pixels into the bars, below the top margin of 5 pixels.
        const int row = 7;
        int bars = 0;
        int spaces = 0;
        for (int start = 0; start < bitmap.GetWidth();) {
            const TColor colour = bitmap.GetPixel(start, row);
            int end = start;
            while (end < bitmap.GetWidth() && bitmap.GetPixel(end, row) == colour) ++end;
            ASSERT_TRUE(colour == bar || colour == space || colour == back) << symbology << " at " << start;
            bars += colour == bar;
            spaces += colour == space;
            const double middle = (start + end) / 2.0;
            EXPECT_EQ(pdfPage->GetPixel(static_cast<int>(middle * 1.5), static_cast<int>((row + 0.5) * 1.5)), colour)
                << symbology << ": PDF at " << middle;
            EXPECT_EQ(epsPage->GetPixel(static_cast<int>(middle * 2), row * 2 + 1), colour)
                << symbology << ": EPS at " << middle;
            start = end;
        }
        EXPECT_GT(bars, 10) << symbology;
        EXPECT_GT(spaces, 10) << symbology;
    }
}

}  // namespace
