#include <zanbarcode/symbologies/ZanPostnet.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <variant>
#include <vector>

#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "tests/support/SymbologyDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

using zan::TZanPostnet;
using zan::platform::TRect;
using TDrawing = zantest::TSymbologyDrawing<TZanPostnet>;

// The elements of one Paint: the space fill, then the bars. POSTNET draws no text.
std::vector<zan::platform::TFillRectRecord> Elements(TDrawing& drawing) {
    for (const zan::platform::TMetafileRecord& record : drawing.Records())
        EXPECT_TRUE(std::holds_alternative<zan::platform::TFillRectRecord>(record)) << "POSTNET draws no text";
    return drawing.Elements();
}

// The paint area on the canvas.
TRect PaintArea(const TDrawing& drawing) {
    return drawing.Renderer.ResolveRect(drawing.Renderer.GetPaintRect(zan::CodeRectIndex));
}

// The bars of an SVG drawing as 1 for a full bar and 0 for a half bar, checking that
// they all stand on Bottom, are BarWidth wide and follow each other at 3 bar widths.
std::string BarsFromSvg(const std::string& svg, int barWidth, int fullHeight, int bottom) {
    std::string bars;
    int previousLeft = 0;
    for (const zantest::TSvgRect& rect : zantest::ReadSvgRects(svg)) {
        if (rect.Fill != zantest::BarFill) continue;
        const std::string where = "bar " + std::to_string(bars.size());
        EXPECT_EQ(rect.Y + rect.Height, bottom) << where;
        EXPECT_EQ(rect.Width, barWidth) << where;
        if (!bars.empty()) {
            EXPECT_EQ(rect.X - previousLeft, 3 * barWidth) << where;
        }
        previousLeft = rect.X;
        if (rect.Height == fullHeight)
            bars += '1';
        else if (rect.Height == fullHeight - fullHeight / 2)
            bars += '0';
        else
            ADD_FAILURE() << where << " is " << rect.Height << " pixels high";
    }
    return bars;
}

TEST(ZanPostnetTest, Defaults) {
    TZanPostnet postnet;
    EXPECT_EQ(postnet.GetSymbologyName(), "POSTNET");
    EXPECT_EQ(postnet.GetDefaultCaption(), "012345678");
    EXPECT_EQ(postnet.GetXDimension(), 15);
    EXPECT_EQ(postnet.GetBarWidth(), 1) << "no renderer";
    EXPECT_EQ(postnet.GetCodeHeight(), 0) << "no renderer";
    EXPECT_EQ(postnet.GetCodeText(), "0") << "no caption";
}

TEST(ZanPostnetTest, CheckDigitAndCodeText) {
    struct TCase {
        std::string caption;
        int checkDigit;
        std::string codeText;
    };
    // The check digit brings the digit sum to a multiple of ten (USPS Publication 25);
    // 012345678 sums to 36.
    const TCase cases[] = {
        {.caption = "012345678", .checkDigit = 4, .codeText = "0123456784"},
        {.caption = "19", .checkDigit = 0, .codeText = "190"},
        {.caption = "", .checkDigit = 0, .codeText = "0"},
        {.caption = "12345", .checkDigit = 5, .codeText = "123455"},
        {.caption = "555551234", .checkDigit = 5, .codeText = "5555512345"},
    };
    TDrawing drawing;
    for (const TCase& c : cases) {
        drawing.Renderer.SetCaption(c.caption);
        EXPECT_EQ(drawing.Symbology->GetCheckDigit(), c.checkDigit) << c.caption;
        EXPECT_EQ(drawing.Symbology->GetCodeText(), c.codeText) << c.caption;
    }
}

TEST(ZanPostnetTest, MetricsFollowTheResolution) {
    struct TCase {
        int pixelsPerInch;
        int barWidth;    // 0.015 inch
        int codeHeight;  // 0.115 inch, truncated
    };
    const TCase cases[] = {
        {.pixelsPerInch = 96, .barWidth = 1, .codeHeight = 11},
        {.pixelsPerInch = 600, .barWidth = 9, .codeHeight = 69},
        {.pixelsPerInch = 300, .barWidth = 4, .codeHeight = 34},  // 4.5 rounds to even
    };
    for (const TCase& c : cases) {
        TDrawing drawing(c.pixelsPerInch);
        EXPECT_EQ(drawing.Symbology->GetBarWidth(), c.barWidth) << c.pixelsPerInch;
        EXPECT_EQ(drawing.Symbology->GetCodeHeight(), c.codeHeight) << c.pixelsPerInch;
        // 0123456784: ten digits of five bars at a pitch of 3, frame bars 3 + 1.
        EXPECT_EQ(drawing.Symbology->GetCodeWidth(), 154 * c.barWidth) << c.pixelsPerInch;
        drawing.Renderer.SetCaption("");
        EXPECT_EQ(drawing.Symbology->GetCodeWidth(), 19 * c.barWidth) << c.pixelsPerInch;
    }
}

// The resolution of the renderer's canvas changes after the renderer was given it, and
// nobody tells the renderer: the bars follow the resolution the canvas has now.
TEST(ZanPostnetTest, BarsFollowAResolutionChangedUnderTheRenderersCanvas) {
    TDrawing drawing;  // 96 pixels per inch: 1-pixel bars
    EXPECT_EQ(drawing.Symbology->GetCodeWidth(), 154);
    drawing.Bitmap.SetPixelsPerInch(600);
    EXPECT_EQ(drawing.Symbology->GetBarWidth(), 9);
    EXPECT_EQ(drawing.Symbology->GetCodeWidth(), 154 * 9);
    drawing.Renderer.CopyToBitmap(drawing.Bitmap);
    // 0.115 inch tall bars at 600 pixels per inch are 69 pixels, margins 5 all round.
    ASSERT_EQ(drawing.Bitmap.GetWidth(), 154 * 9 + 10);
    ASSERT_EQ(drawing.Bitmap.GetHeight(), 69 + 10);
    // The leading frame bar, 9 pixels wide, then the first bar of 0 at a pitch of 27.
    const int y = 5 + 68;
    EXPECT_EQ(drawing.Bitmap.GetPixel(5, y), zantest::BarColor);
    EXPECT_EQ(drawing.Bitmap.GetPixel(13, y), zantest::BarColor);
    EXPECT_EQ(drawing.Bitmap.GetPixel(14, y), zantest::SpaceColor);
    EXPECT_EQ(drawing.Bitmap.GetPixel(31, y), zantest::SpaceColor);
    EXPECT_EQ(drawing.Bitmap.GetPixel(32, y), zantest::BarColor);
}

TEST(ZanPostnetTest, SymbolMatchesTheUspsTable) {
    // POSTNET rows of USPS Publication 25, weights 7 4 2 1 0, 1 a full bar.
    const std::string frame = "1";
    const std::string d0 = "11000", d1 = "00011", d2 = "00101", d3 = "00110", d4 = "01001";
    const std::string d5 = "01010", d6 = "01100", d7 = "10001", d8 = "10010", d9 = "10100";
    struct TCase {
        std::string caption;
        std::string bars;
    };
    const TCase cases[] = {
        {.caption = "19", .bars = frame + d1 + d9 + /* check */ d0 + frame},
        {.caption = "012345678", .bars = frame + d0 + d1 + d2 + d3 + d4 + d5 + d6 + d7 + d8 + /* check */ d4 + frame},
        {.caption = "", .bars = frame + /* check */ d0 + frame},
    };
    for (const int pixelsPerInch : {96, 600}) {
        TDrawing drawing(pixelsPerInch, {0, 0, 1500, 100});
        const int barWidth = pixelsPerInch == 96 ? 1 : 9;
        const int fullHeight = pixelsPerInch == 96 ? 11 : 69;
        for (const TCase& c : cases) {
            drawing.Renderer.SetCaption(c.caption);
            EXPECT_EQ(BarsFromSvg(drawing.Svg(), barWidth, fullHeight, 95), c.bars)
                << c.caption << " at " << pixelsPerInch;
        }
    }
}

TEST(ZanPostnetTest, BarsStandOnTheBottomEdge) {
    TDrawing drawing;
    const std::vector<zan::platform::TFillRectRecord> elements = Elements(drawing);
    // The space fill, then 50 data bars and 2 frame bars.
    ASSERT_EQ(elements.size(), 1u + 52u);
    const TRect area = PaintArea(drawing);
    const int fullTop = area.Bottom - 11;
    const int halfTop = fullTop + 11 / 2;  // half bars are the lower half of the band
    for (std::size_t i = 1; i < elements.size(); ++i) {
        EXPECT_EQ(elements[i].Color, zantest::BarColor);
        EXPECT_EQ(elements[i].Rect.Bottom, area.Bottom) << i;
        EXPECT_TRUE(elements[i].Rect.Top == fullTop || elements[i].Rect.Top == halfTop) << i;
    }
}

TEST(ZanPostnetTest, AlignmentPlacesTheBars) {
    struct TCase {
        zan::platform::TAlignment alignment;
        int firstLeft;  // relative to the paint area of 390 pixels
    };
    // The code is 154 pixels wide at 96 pixels per inch.
    const TCase cases[] = {
        {.alignment = zan::platform::taLeftJustify, .firstLeft = 0},
        {.alignment = zan::platform::taRightJustify, .firstLeft = 390 - 154},
        {.alignment = zan::platform::taCenter, .firstLeft = 195 - 77},
    };
    for (const TCase& c : cases) {
        TDrawing drawing;
        drawing.Renderer.SetAlignment(c.alignment);
        const std::vector<zan::platform::TFillRectRecord> elements = Elements(drawing);
        ASSERT_EQ(elements.size(), 1u + 52u);
        const TRect area = PaintArea(drawing);
        EXPECT_EQ(elements[1].Rect.Left - area.Left, c.firstLeft);
        EXPECT_EQ(elements.back().Rect.Right - elements[1].Rect.Left, 154) << "the drawn code is the code width";
    }
}

TEST(ZanPostnetTest, SpaceFillCoversThePaintAreaWhereItLies) {
    // An output rectangle away from the canvas origin, as a standalone renderer may have.
    for (const zan::TZanBarcodeOrientation orientation : {zan::boNormal, zan::bo90Degrees}) {
        TDrawing drawing(96, {40, 30, 440, 90});
        drawing.Renderer.SetOrientation(orientation);
        const std::vector<zan::platform::TFillRectRecord> elements = Elements(drawing);
        ASSERT_GE(elements.size(), 1u);
        EXPECT_EQ(elements[0].Color, zantest::SpaceColor);
        const TRect expected = orientation == zan::boNormal ? TRect{45, 35, 435, 85} : TRect{45, 35, 95, 425};
        EXPECT_EQ(elements[0].Rect, expected) << int(orientation);
    }
}

TEST(ZanPostnetTest, XDimensionRefusesValuesWithoutBarWidth) {
    struct TCase {
        double value;
        std::string text;
    };
    const TCase cases[] = {
        {.value = 0, .text = "0"},
        {.value = -15, .text = "-15"},
        {.value = std::numeric_limits<double>::quiet_NaN(), .text = "nan"},
        {.value = std::numeric_limits<double>::infinity(), .text = "inf"},
        {.value = -std::numeric_limits<double>::infinity(), .text = "-inf"},
        {.value = 1000.5, .text = "1000.5"},
    };
    TDrawing drawing(600);
    for (const TCase& c : cases) {
        try {
            drawing.Symbology->SetXDimension(c.value);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const zan::EZanBarcodeError& e) {
            EXPECT_EQ(e.Message(),
                      "Invalid XDimension: " + c.text + " (thousandths of an inch, above 0 and at most 1000)");
        }
        EXPECT_EQ(drawing.Symbology->GetXDimension(), 15);
        EXPECT_EQ(drawing.Symbology->GetCodeWidth(), 154 * 9);
    }
    EXPECT_EQ(drawing.Notifications, 0);

    drawing.Symbology->SetXDimension(15);
    EXPECT_EQ(drawing.Notifications, 0) << "the same value changes nothing";
    drawing.Symbology->SetXDimension(20);
    EXPECT_EQ(drawing.Notifications, 1);
    EXPECT_EQ(drawing.Symbology->GetCodeWidth(), 154 * 12);  // 0.020 inch at 600 pixels per inch
}

TEST(ZanPostnetTest, ValidatesDigits) {
    struct TCase {
        std::string text;
        std::string message;  // empty: accepted
    };
    const TCase cases[] = {
        {.text = "012345678", .message = ""},
        {.text = "", .message = ""},
        {.text = "12345678901234567890", .message = ""},  // no length rule
        {.text = "1234a", .message = "Invalid character: a"},
        {.text = "12 34", .message = "Invalid character:  "},
        {.text = "\xFF", .message = "Invalid character: \xFF"},
    };
    TZanPostnet postnet;
    for (const TCase& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(zantest::RejectionMessage(postnet, text), c.message) << c.text;
        EXPECT_EQ(text, c.text);
    }
}

TEST(ZanPostnetTest, NonDigitsWhileValidationWaitsDrawNothing) {
    TDrawing drawing;
    drawing.Renderer.SetCaption("19");
    const std::vector<zan::platform::TFillRectRecord> expected = Elements(drawing);
    const int expectedWidth = drawing.Symbology->GetCodeWidth();

    drawing.Renderer.BeginUpdate();
    drawing.Renderer.SetCaption("1x\x80/9");
    EXPECT_EQ(drawing.Symbology->GetCheckDigit(), 0);
    EXPECT_EQ(drawing.Symbology->GetCodeWidth(), expectedWidth);
    EXPECT_EQ(Elements(drawing), expected);
    drawing.Renderer.EndUpdate();
    EXPECT_EQ(drawing.Renderer.GetCaption(), "012345678");
}

TEST(ZanPostnetTest, PublishedPropertiesAndRegistration) {
    TZanPostnet postnet;
    ASSERT_EQ(postnet.PublishedProperties().size(), 1u);
    const zan::platform::TPropInfo& x = postnet.PublishedProperties().front();
    EXPECT_EQ(x.Name, "XDimension");
    x.SetValue(postnet, "12.5");
    EXPECT_EQ(postnet.GetXDimension(), 12.5);
    EXPECT_THROW(x.SetValue(postnet, "0"), zan::EZanBarcodeError);

    zan::RegisterBarcodeSymbologies();
    EXPECT_EQ(zan::GetSymbologyIndexByName("POSTNET"), zan::SymbologyCount() - 1) << "registered last";
}

// Drawn by the zanbarcode command: POSTNET has no caption, and its bars keep their
// height whatever room the command gives them.
TEST(ZanPostnetTest, ZanbarcodeDrawsIt) {
    const std::string dir = zantest::TestOutputDir("ZanPostnetTest.Command");
    const std::string svg = dir + "/postnet.svg";
    const zantest::TCommandResult drawn =
        zantest::RunZanbarcode({"-s", "postnet", "-r", "600", "--margins", "5,5,5,5", "-o", svg, "19"});
    ASSERT_EQ(drawn.ExitStatus, 0) << drawn.Errors;
    const std::string text = zantest::ReadFile(svg);
    EXPECT_EQ(text.find("<text"), std::string::npos);
    const std::vector<zantest::TSvgRect> rects = zantest::ReadSvgRects(text);
    ASSERT_FALSE(rects.empty());
    const int bottom = rects.front().Y + rects.front().Height - 5;
    EXPECT_EQ(BarsFromSvg(text, 9, 69, bottom),
              "1"
              "00011"
              "10100"
              "11000"
              "1");
}

}  // namespace
