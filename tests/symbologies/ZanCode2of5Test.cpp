#include <zanbarcode/symbologies/ZanCode2of5.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "tests/support/SymbologyDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

using zan::TZanCode2of5;
using zan::TZanInterleaved2of5;
using zan::platform::TRect;
using zantest::BarFill;
using zantest::SpaceFill;
using zantest::TSymbologyDrawing;

// The widths in modules of the bars and spaces of an SVG drawing, one digit each,
// checking that bars and spaces alternate from a bar.
std::string ModulesFromSvg(const std::string& svg, int barWidth) {
    std::string modules;
    for (const zantest::TSvgRect& rect : zantest::ReadSvgRects(svg)) {
        if (rect.Fill != BarFill && rect.Fill != SpaceFill) continue;
        const bool expectBar = modules.size() % 2 == 0;
        EXPECT_EQ(rect.Fill, expectBar ? BarFill : SpaceFill) << "element " << modules.size();
        EXPECT_EQ(rect.Width % barWidth, 0) << "element " << modules.size();
        modules += std::to_string(rect.Width / barWidth);
    }
    return modules;
}

// ---------------------------------------------------------------------------
// Text rules

TEST(ZanBasic2of5Test, AcceptsDigitsOnly) {
    struct TCase {
        std::string text;
        std::string message;  // empty: accepted
    };
    // Both symbologies encode the digits 0 to 9 and nothing else.
    const TCase cases[] = {
        {.text = "0123456789", .message = ""},
        {.text = "", .message = ""},
        {.text = "12A4", .message = "Invalid character: A"},
        {.text = "12 4", .message = "Invalid character:  "},
        {.text = "-1", .message = "Invalid character: -"},
        {.text = "1\xE9", .message = "Invalid character: \xE9"},
    };
    std::vector<std::unique_ptr<zan::TZanBasic2of5>> symbologies;
    symbologies.push_back(std::make_unique<TZanCode2of5>());
    symbologies.push_back(std::make_unique<TZanInterleaved2of5>());
    for (const TCase& c : cases) {
        for (const auto& symbology : symbologies) {
            std::string text = c.text;
            EXPECT_EQ(zantest::RejectionMessage(*symbology, text), c.message) << c.text;
            EXPECT_EQ(text, c.text) << "the text is never rewritten";
        }
    }
}

TEST(ZanBasic2of5Test, RejectedCaptionFallsBackToTheDefault) {
    TSymbologyDrawing<TZanInterleaved2of5> drawing;
    drawing.Renderer.SetCaption("12A4");
    EXPECT_EQ(drawing.Renderer.GetCaption(), "0123456789");
}

TEST(ZanBasic2of5Test, DisplayCaptionNotifiesOnChangeOnly) {
    TSymbologyDrawing<TZanCode2of5> drawing;
    EXPECT_TRUE(drawing.Symbology->GetDisplayCaption());
    drawing.Symbology->SetDisplayCaption(true);
    EXPECT_EQ(drawing.Notifications, 0);
    drawing.Symbology->SetDisplayCaption(false);
    EXPECT_FALSE(drawing.Symbology->GetDisplayCaption());
    EXPECT_EQ(drawing.Notifications, 1);
}

TEST(ZanBasic2of5Test, RegisteredByNameInOrder) {
    zan::RegisterBarcodeSymbologies();
    const int code2of5 = zan::GetSymbologyIndexByName("Code 2 of 5");
    ASSERT_GE(code2of5, 0);
    EXPECT_EQ(zan::GetSymbologyIndexByName("Interleaved 2 of 5"), code2of5 + 1);
    EXPECT_EQ(zan::GetSymbologyClassByIndex(code2of5), zan::SymbologyClass<TZanCode2of5>());
    EXPECT_EQ(zan::GetSymbologyIndexByClass(zan::SymbologyClass<zan::TZanBasic2of5>()), -1);
}

// ---------------------------------------------------------------------------
// Code 2 of 5

TEST(ZanCode2of5Test, CodeWidth) {
    struct TCase {
        std::string caption;
        int modules;
    };
    // 14 modules a digit (two wide and three narrow bars, five narrow spaces), 20 for
    // start and stop; 160 for the default caption.
    const TCase cases[] = {
        {.caption = "0123456789", .modules = 160},
        {.caption = "", .modules = 20},
        {.caption = "19", .modules = 48},
    };
    for (const int pixelsPerInch : {96, 600}) {
        TSymbologyDrawing<TZanCode2of5> drawing(pixelsPerInch);
        const int barWidth = pixelsPerInch == 96 ? 1 : 6;  // XDimension 10: 0.96 and 6 pixels
        for (const TCase& c : cases) {
            drawing.Renderer.SetCaption(c.caption);
            EXPECT_EQ(drawing.Symbology->GetCodeWidth(), c.modules * barWidth) << c.caption << " at " << pixelsPerInch;
        }
    }
}

TEST(ZanCode2of5Test, CaptionIsTheRenderersCaption) {
    TZanCode2of5 alone;
    EXPECT_EQ(alone.GetCaption(), "");
    TSymbologyDrawing<TZanCode2of5> drawing;
    drawing.Renderer.SetCaption("12345");
    EXPECT_EQ(drawing.Symbology->GetCaption(), "12345");
}

TEST(ZanCode2of5Test, SymbolMatchesTheStandard) {
    // Bars from the digit patterns (weights 1, 2, 4, 7, parity), each bar followed by a
    // narrow space; wide 3 modules, narrow 1.
    const std::string start = "313111";       // W W N
    const std::string stop = "311131";        // W N W
    const std::string digit0 = "1111313111";  // N N W W N
    const std::string digit1 = "3111111131";  // W N N N W
    const std::string digit5 = "3111311111";  // W N W N N
    const std::string digit9 = "1131113111";  // N W N W N
    struct TCase {
        std::string caption;
        std::string modules;
    };
    const TCase cases[] = {
        {.caption = "19", .modules = start + digit1 + digit9 + stop},
        {.caption = "05", .modules = start + digit0 + digit5 + stop},
        {.caption = "", .modules = start + stop},
    };
    for (const int pixelsPerInch : {96, 600}) {
        TSymbologyDrawing<TZanCode2of5> drawing(pixelsPerInch);
        drawing.Symbology->SetDisplayCaption(false);
        for (const TCase& c : cases) {
            drawing.Renderer.SetCaption(c.caption);
            EXPECT_EQ(ModulesFromSvg(drawing.Svg(), pixelsPerInch == 96 ? 1 : 6), c.modules)
                << c.caption << " at " << pixelsPerInch;
        }
    }
}

TEST(ZanCode2of5Test, NonDigitsWhileValidationWaitsDrawNothing) {
    TSymbologyDrawing<TZanCode2of5> drawing;
    drawing.Renderer.SetCaption("19");
    const std::vector<zan::platform::TFillRectRecord> expected = drawing.Elements();
    const int expectedWidth = drawing.Symbology->GetCodeWidth();

    drawing.Renderer.BeginUpdate();
    drawing.Renderer.SetCaption("1x\xFF/9:");
    EXPECT_EQ(drawing.Elements(), expected);
    EXPECT_EQ(drawing.Symbology->GetCodeWidth(), expectedWidth);
    drawing.Renderer.EndUpdate();
    EXPECT_EQ(drawing.Renderer.GetCaption(), "0123456789");
}

// ---------------------------------------------------------------------------
// Interleaved 2 of 5

TEST(ZanInterleaved2of5Test, CheckDigitAndCaption) {
    struct TCase {
        std::string caption;
        bool useChecksum;
        int checksum;
        std::string shown;
    };
    // Modulo 10 with weights 3, 1, 3, ... from the left of the odd-length digit string,
    // worked by hand; 99999999 sums to 144.
    const TCase cases[] = {
        {.caption = "12345", .useChecksum = false, .checksum = 7, .shown = "012345"},
        {.caption = "123456", .useChecksum = false, .checksum = 5, .shown = "123456"},
        {.caption = "1234567", .useChecksum = true, .checksum = 0, .shown = "12345670"},
        {.caption = "123456", .useChecksum = true, .checksum = 5, .shown = "01234565"},
        {.caption = "5", .useChecksum = true, .checksum = 5, .shown = "55"},
        {.caption = "", .useChecksum = true, .checksum = 0, .shown = "00"},
        {.caption = "", .useChecksum = false, .checksum = 0, .shown = ""},
        {.caption = "99999999", .useChecksum = true, .checksum = 6, .shown = "0999999996"},
    };
    TSymbologyDrawing<TZanInterleaved2of5> drawing;
    for (const TCase& c : cases) {
        drawing.Symbology->SetUseChecksum(c.useChecksum);
        drawing.Renderer.SetCaption(c.caption);
        EXPECT_EQ(drawing.Symbology->GetChecksum(), c.checksum) << c.caption;
        EXPECT_EQ(drawing.Symbology->GetCaption(), c.shown) << c.caption;
    }
}

TEST(ZanInterleaved2of5Test, CodeWidth) {
    struct TCase {
        std::string caption;
        bool useChecksum;
        int modules;
    };
    // 18 modules a digit pair, 4 for start and 5 for stop: 9 m + 9 for m digits shown.
    const TCase cases[] = {
        {.caption = "123456", .useChecksum = false, .modules = 63},
        {.caption = "12345", .useChecksum = false, .modules = 63},
        {.caption = "", .useChecksum = false, .modules = 9},
        {.caption = "", .useChecksum = true, .modules = 27},
        {.caption = "1234567", .useChecksum = true, .modules = 81},
    };
    for (const int pixelsPerInch : {96, 600}) {
        TSymbologyDrawing<TZanInterleaved2of5> drawing(pixelsPerInch);
        const int barWidth = pixelsPerInch == 96 ? 1 : 6;
        for (const TCase& c : cases) {
            drawing.Symbology->SetUseChecksum(c.useChecksum);
            drawing.Renderer.SetCaption(c.caption);
            EXPECT_EQ(drawing.Symbology->GetCodeWidth(), c.modules * barWidth) << c.caption << " at " << pixelsPerInch;
        }
    }
}

TEST(ZanInterleaved2of5Test, OptionsNotifyOnChangeOnly) {
    TSymbologyDrawing<TZanInterleaved2of5> drawing;
    EXPECT_TRUE(drawing.Symbology->GetBearerBars());
    EXPECT_FALSE(drawing.Symbology->GetUseChecksum());
    drawing.Symbology->SetBearerBars(true);
    drawing.Symbology->SetUseChecksum(false);
    EXPECT_EQ(drawing.Notifications, 0);
    drawing.Symbology->SetBearerBars(false);
    drawing.Symbology->SetUseChecksum(true);
    EXPECT_EQ(drawing.Notifications, 2);
    EXPECT_FALSE(drawing.Symbology->GetOption(TZanInterleaved2of5::BearerBarsOption));
    EXPECT_TRUE(drawing.Symbology->GetOption(TZanInterleaved2of5::UseChecksumOption));
    // Indices beyond the two options read false and change nothing.
    for (const int index : {-1, 2}) {
        drawing.Symbology->SetOption(index, true);
        EXPECT_FALSE(drawing.Symbology->GetOption(index));
    }
    EXPECT_EQ(drawing.Notifications, 2);
}

TEST(ZanInterleaved2of5Test, PublishedProperties) {
    TZanInterleaved2of5 symbology;
    std::vector<std::string> names;
    for (const zan::platform::TPropInfo& p : symbology.PublishedProperties()) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"XDimension", "DisplayCaption", "BearerBars", "UseChecksum"}));
    symbology.FindProperty("UseChecksum")->SetValue(symbology, "True");
    EXPECT_TRUE(symbology.GetUseChecksum());
    EXPECT_FALSE(symbology.FindProperty("BearerBars")->ShouldStore(symbology));
    EXPECT_TRUE(symbology.FindProperty("UseChecksum")->ShouldStore(symbology));
}

TEST(ZanInterleaved2of5Test, SymbolMatchesTheStandard) {
    // Start narrow bar, space, bar, space; each pair with the first digit's pattern in
    // the bars and the second's in the spaces; stop wide bar, narrow space, narrow bar.
    const std::string start = "1111";
    const std::string stop = "311";
    const std::string pair12 = "3113111133";  // bars W N N N W (1), spaces N W N N W (2)
    const std::string pair90 = "1131133311";  // bars N W N W N (9), spaces N N W W N (0)
    TSymbologyDrawing<TZanInterleaved2of5> drawing;
    drawing.Symbology->SetDisplayCaption(false);
    drawing.Symbology->SetBearerBars(false);
    drawing.Renderer.SetCaption("1290");
    EXPECT_EQ(ModulesFromSvg(drawing.Svg(), 1), start + pair12 + pair90 + stop);
}

// The smallest rectangle holding every element of Elements.
TRect UnionOf(const std::vector<zan::platform::TFillRectRecord>& elements) {
    TRect u = elements.front().Rect;
    for (const zan::platform::TFillRectRecord& element : elements) {
        const TRect& r = element.Rect;
        u.Left = std::min(u.Left, r.Left);
        u.Top = std::min(u.Top, r.Top);
        u.Right = std::max(u.Right, r.Right);
        u.Bottom = std::max(u.Bottom, r.Bottom);
    }
    return u;
}

TEST(ZanInterleaved2of5Test, BearerBarsAreFlushWithTheCode) {
    const zan::TZanBarcodeOrientation orientations[] = {zan::boNormal, zan::bo90Degrees, zan::bo180Degrees,
                                                        zan::bo270Degrees};
    const zan::platform::TAlignment alignments[] = {zan::platform::taLeftJustify, zan::platform::taRightJustify,
                                                    zan::platform::taCenter};
    for (const zan::TZanBarcodeOrientation orientation : orientations) {
        for (const zan::platform::TAlignment alignment : alignments) {
            const auto context = ::testing::Message()
                                 << "orientation " << int(orientation) << ", alignment " << int(alignment);
            TSymbologyDrawing<TZanInterleaved2of5> drawing(300);
            drawing.Renderer.SetCaption("123");  // shown as 0123: 45 modules of 3 pixels
            drawing.Renderer.SetOrientation(orientation);
            drawing.Renderer.SetAlignment(alignment);
            const std::vector<zan::platform::TFillRectRecord> rects = drawing.Elements();
            ASSERT_EQ(rects.size(), 4u + 20u + 3u + 2u) << "start, two pairs, stop, two bearer bars";
            const std::vector<zan::platform::TFillRectRecord> elements(rects.begin(), rects.end() - 2);
            const std::vector<zan::platform::TFillRectRecord> bearers(rects.end() - 2, rects.end());

            // Together the bearer bars span exactly the bars, along and across.
            EXPECT_EQ(UnionOf(bearers), UnionOf(elements)) << context;
            const bool vertical = zan::IsVertical(orientation);
            for (const auto& [bearer, color] : bearers) {
                EXPECT_EQ(color, zantest::BarColor) << context;
                EXPECT_EQ(vertical ? bearer.Width() : bearer.Height(), 3) << context;
                EXPECT_EQ(vertical ? bearer.Height() : bearer.Width(), 45 * 3) << context;
            }
            if (alignment != zan::platform::taRightJustify) continue;
            // Right alignment ends the code, bearer bars included, at the paint area's edge.
            const TRect area = drawing.Renderer.ResolveRect(drawing.Renderer.GetPaintRect(zan::CodeRectIndex));
            const TRect code = UnionOf(bearers);
            switch (orientation) {
                case zan::boNormal: EXPECT_EQ(code.Right, area.Right); break;
                case zan::bo90Degrees: EXPECT_EQ(code.Top, area.Top); break;
                case zan::bo180Degrees: EXPECT_EQ(code.Left, area.Left); break;
                case zan::bo270Degrees: EXPECT_EQ(code.Bottom, area.Bottom); break;
            }
        }
    }
}

TEST(ZanInterleaved2of5Test, NoBearerBarsWhenSwitchedOff) {
    TSymbologyDrawing<TZanInterleaved2of5> drawing;
    drawing.Symbology->SetBearerBars(false);
    drawing.Renderer.SetCaption("123");
    EXPECT_EQ(drawing.Elements().size(), 4u + 20u + 3u);
}

TEST(ZanInterleaved2of5Test, NonDigitsWhileValidationWaitsDrawNothing) {
    TSymbologyDrawing<TZanInterleaved2of5> drawing;
    drawing.Renderer.SetCaption("12");
    const std::vector<zan::platform::TFillRectRecord> expected = drawing.Elements();
    const int expectedWidth = drawing.Symbology->GetCodeWidth();

    drawing.Renderer.BeginUpdate();
    drawing.Renderer.SetCaption("12x\xFF");  // the pair x\xFF has no pattern
    EXPECT_EQ(drawing.Elements(), expected);
    EXPECT_EQ(drawing.Symbology->GetCodeWidth(), expectedWidth);
    drawing.Symbology->SetUseChecksum(true);
    EXPECT_NO_THROW(drawing.Symbology->GetChecksum());
    EXPECT_NO_THROW(drawing.Elements());
    drawing.Renderer.EndUpdate();
    EXPECT_EQ(drawing.Renderer.GetCaption(), "0123456789");
}

// ---------------------------------------------------------------------------
// Drawn by the zanbarcode command and read back by a scanner

TEST(ZanInterleaved2of5Test, ZbarReadsTheDrawing) {
    const std::string dir = zantest::TestOutputDir("ZanInterleaved2of5Test.Zbar");
    struct TView {
        std::string dpi;
        std::string orientation;
    };
    std::vector<TView> everyView;
    for (const char* dpi : {"96", "300", "600"})
        for (const char* orientation : {"0", "90", "180", "270"}) everyView.push_back({dpi, orientation});
    const std::vector<TView> twoViews = {{"300", "90"}, {"600", "180"}};
    struct TCase {
        std::vector<std::string> options;
        std::string caption;
        std::string decoded;
        std::vector<TView> views;
    };
    // zbar reports the digits of the symbol, the check digit included; its
    // Interleaved 2 of 5 decoder wants six digits at least.
    const TCase cases[] = {
        {.options = {}, .caption = "0123456789", .decoded = "I2/5:0123456789", .views = everyView},
        {.options = {"--set", "UseChecksum=true"}, .caption = "1234567", .decoded = "I2/5:12345670", .views = twoViews},
        {.options = {"--set", "BearerBars=false"}, .caption = "12345", .decoded = "I2/5:012345", .views = twoViews},
    };
    int n = 0;
    for (const TCase& c : cases) {
        for (const TView& view : c.views) {
            const std::string png = dir + "/itf" + std::to_string(++n) + ".png";
            std::vector<std::string> arguments{
                "-s", "Interleaved 2 of 5", "-r", view.dpi, "--orientation", view.orientation, "-o", png};
            arguments.insert(arguments.end(), c.options.begin(), c.options.end());
            arguments.push_back(c.caption);
            const zantest::TCommandResult drawn = zantest::RunZanbarcode(arguments);
            ASSERT_EQ(drawn.ExitStatus, 0) << drawn.Errors;
            // The decoder is on by default in zbar; asking for it keeps the test independent of that.
            EXPECT_EQ(zantest::ScanWithZbar(png, {"-Si25.enable"}), std::vector<std::string>{c.decoded})
                << c.caption << " at " << view.dpi << " dpi, " << view.orientation << " degrees";
        }
    }
}

}  // namespace
