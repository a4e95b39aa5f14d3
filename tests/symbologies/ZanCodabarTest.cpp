#include <zanbarcode/symbologies/ZanCodabar.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "tests/support/SymbologyDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

using zan::TZanCodabar;
using TDrawing = zantest::TSymbologyDrawing<TZanCodabar>;

TEST(ZanCodabarTest, Defaults) {
    TZanCodabar codabar;
    EXPECT_EQ(TZanCodabar::SymbologyName(), "Codabar");
    EXPECT_EQ(codabar.GetSymbologyName(), "Codabar");
    EXPECT_EQ(codabar.GetDefaultCaption(), "0123456789");
    EXPECT_TRUE(codabar.GetDisplayCaption());
    EXPECT_EQ(codabar.GetStartChar(), 'A');
    EXPECT_EQ(codabar.GetStopChar(), 'B');
    EXPECT_EQ(codabar.GetXDimension(), 10);
    EXPECT_EQ(codabar.GetCaption(), "AB") << "no renderer, no caption";
}

TEST(ZanCodabarTest, ValidatesDataCharacters) {
    struct TCase {
        std::string text;
        std::string message;  // empty: accepted
    };
    // The sixteen data characters of Codabar; A to D only start and stop a symbol.
    const TCase cases[] = {
        {.text = "12-34.5", .message = ""},
        {.text = "$+-./0123456789:", .message = ""},
        {.text = "", .message = ""},
        {.text = "12A", .message = "Invalid character: A"},
        {.text = "1a", .message = "Invalid character: a"},
        {.text = "1 2", .message = "Invalid character:  "},
        {.text = "1,", .message = "Invalid character: ,"},
        {.text = "\xBD", .message = "Invalid character: \xBD"},
    };
    TZanCodabar codabar;
    for (const TCase& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(zantest::RejectionMessage(codabar, text), c.message) << c.text;
        EXPECT_EQ(text, c.text) << "the text is never rewritten";
    }
}

TEST(ZanCodabarTest, CaptionAndWidth) {
    struct TCase {
        std::string caption;
        std::string shown;
        int modules;
    };
    // Digits, "-" and "$" take 12 modules with the gap after them, the other characters
    // 14 (three wide elements of 3, four narrow of 1, one gap).
    const TCase cases[] = {
        {.caption = "0123456789", .shown = "A0123456789B", .modules = 148},
        {.caption = "", .shown = "AB", .modules = 28},
        {.caption = "12-34.5", .shown = "A12-34.5B", .modules = 14 + 12 + 12 + 12 + 12 + 12 + 14 + 12 + 14},
        {.caption = "$+:/", .shown = "A$+:/B", .modules = 14 + 12 + 14 + 14 + 14 + 14},
    };
    for (const int pixelsPerInch : {96, 600}) {
        TDrawing drawing(pixelsPerInch);
        const int barWidth = pixelsPerInch == 96 ? 1 : 6;  // XDimension 10: 0.96 and 6 pixels
        for (const TCase& c : cases) {
            drawing.Renderer.SetCaption(c.caption);
            EXPECT_EQ(drawing.Symbology->GetCaption(), c.shown);
            EXPECT_EQ(drawing.Symbology->GetCodeWidth(), c.modules * barWidth) << c.caption << " at " << pixelsPerInch;
        }
    }
}

TEST(ZanCodabarTest, DrawnLengthIsTheCodeWidth) {
    TDrawing drawing;
    drawing.Symbology->SetDisplayCaption(false);
    const std::vector<zan::platform::TFillRectRecord> elements = drawing.Elements();
    // One rectangle per element: 12 characters of 8 elements.
    ASSERT_EQ(elements.size(), 12u * 8u);
    EXPECT_EQ(elements.front().Rect.Left, 5);
    EXPECT_EQ(elements.back().Rect.Right - elements.front().Rect.Left, 148);
    EXPECT_EQ(elements.back().Color, zantest::SpaceColor) << "the gap after the stop character";
}

TEST(ZanCodabarTest, StartAndStopCharacters) {
    struct TCase {
        int index;
        char value;
        char stored;
        bool notifies;
    };
    // Only A to D start and stop Codabar; lower case is taken as upper case.
    const TCase cases[] = {
        {.index = TZanCodabar::StartCharIndex, .value = 'c', .stored = 'C', .notifies = true},
        {.index = TZanCodabar::StartCharIndex, .value = 'C', .stored = 'C', .notifies = false},
        {.index = TZanCodabar::StartCharIndex, .value = 'E', .stored = 'C', .notifies = false},
        {.index = TZanCodabar::StartCharIndex, .value = '1', .stored = 'C', .notifies = false},
        {.index = TZanCodabar::StartCharIndex, .value = '\xE1', .stored = 'C', .notifies = false},
        {.index = TZanCodabar::StopCharIndex, .value = 'd', .stored = 'D', .notifies = true},
        {.index = TZanCodabar::StopCharIndex, .value = 'a', .stored = 'A', .notifies = true},
        {.index = TZanCodabar::StopCharIndex, .value = '$', .stored = 'A', .notifies = false},
    };
    TDrawing drawing;
    for (const TCase& c : cases) {
        const int before = drawing.Notifications;
        drawing.Symbology->SetStartStopChar(c.index, c.value);
        EXPECT_EQ(drawing.Symbology->GetStartStopChar(c.index), c.stored) << c.value;
        EXPECT_EQ(drawing.Notifications - before, c.notifies ? 1 : 0) << c.value;
    }
    EXPECT_EQ(drawing.Symbology->GetCaption(), "C0123456789A");
    // Other indices read nothing and store nothing.
    drawing.Symbology->SetStartStopChar(2, 'B');
    EXPECT_EQ(drawing.Symbology->GetStartStopChar(2), '\0');
    EXPECT_EQ(drawing.Symbology->GetCaption(), "C0123456789A");
}

TEST(ZanCodabarTest, PublishedProperties) {
    TZanCodabar codabar;
    std::vector<std::string> names;
    for (const zan::platform::TPropInfo& p : codabar.PublishedProperties()) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"XDimension", "DisplayCaption", "StartChar", "StopChar"}));
    const zan::platform::TPropInfo& start = *codabar.FindProperty("StartChar");
    EXPECT_FALSE(start.ShouldStore(codabar));
    start.SetValue(codabar, "d");
    EXPECT_EQ(start.GetValue(codabar), "D");
    EXPECT_TRUE(start.ShouldStore(codabar));
    EXPECT_THROW(start.SetValue(codabar, "AB"), zan::platform::EConvertError);
    EXPECT_THROW(start.SetValue(codabar, ""), zan::platform::EConvertError);
    EXPECT_EQ(codabar.GetStartChar(), 'D');
}

TEST(ZanCodabarTest, CharactersWithoutPatternDrawNothing) {
    TDrawing drawing;
    drawing.Renderer.SetCaption("1-");
    const std::vector<zan::platform::TFillRectRecord> expected = drawing.Elements();
    const int expectedWidth = drawing.Symbology->GetCodeWidth();

    // Inside an update bracket the caption is checked only at the end.
    drawing.Renderer.BeginUpdate();
    drawing.Renderer.SetCaption("1x\xFF-");
    EXPECT_EQ(drawing.Symbology->GetCodeWidth(), expectedWidth);
    EXPECT_EQ(drawing.Elements(), expected);
    drawing.Renderer.EndUpdate();
    EXPECT_EQ(drawing.Renderer.GetCaption(), "0123456789");
}

TEST(ZanCodabarTest, RegisteredFirst) {
    zan::RegisterBarcodeSymbologies();
    EXPECT_EQ(zan::GetSymbologyIndexByName("Codabar"), 0);
    EXPECT_EQ(zan::GetSymbologyClassByName("Codabar"), zan::SymbologyClass<TZanCodabar>());
}

// Drawn by the zanbarcode command and read back by a scanner.
TEST(ZanCodabarTest, ZbarReadsTheDrawing) {
    const std::string dir = zantest::TestOutputDir("ZanCodabarTest.Zbar");
    struct TView {
        std::string dpi;
        std::string orientation;
    };
    std::vector<TView> everyView;
    for (const char* dpi : {"96", "300", "600"})
        for (const char* orientation : {"0", "90", "180", "270"}) everyView.push_back({dpi, orientation});
    struct TCase {
        std::vector<std::string> options;
        std::string caption;
        std::string decoded;
        std::vector<TView> views;
    };
    // zbar reports the start and stop characters with the data. Together the cases use
    // all twenty characters.
    const TCase cases[] = {
        {.options = {}, .caption = "0123456789", .decoded = "Codabar:A0123456789B", .views = everyView},
        {.options = {"--set", "StartChar=c", "--set", "StopChar=D"},
         .caption = "$+-./:",
         .decoded = "Codabar:C$+-./:D",
         .views = {{"96", "0"}, {"300", "270"}}},
    };
    int n = 0;
    for (const TCase& c : cases) {
        for (const TView& view : c.views) {
            const std::string png = dir + "/codabar" + std::to_string(++n) + ".png";
            std::vector<std::string> arguments{"-s", "codabar", "-r", view.dpi, "--orientation", view.orientation,
                                               "-o", png};
            arguments.insert(arguments.end(), c.options.begin(), c.options.end());
            arguments.push_back(c.caption);
            const zantest::TCommandResult drawn = zantest::RunZanbarcode(arguments);
            ASSERT_EQ(drawn.ExitStatus, 0) << drawn.Errors;
            // The decoder is on by default in zbar; asking for it keeps the test independent of that.
            EXPECT_EQ(zantest::ScanWithZbar(png, {"-Scodabar.enable"}), std::vector<std::string>{c.decoded})
                << c.caption << " at " << view.dpi << " dpi, " << view.orientation << " degrees";
        }
    }
}

}  // namespace
