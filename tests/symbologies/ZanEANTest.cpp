// The EAN/UPC family: conversions, check digits, validation, add-ons, widths, layout, encodation.
#include <zanbarcode/symbologies/ZanEAN.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <variant>

#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "tests/support/SymbologyDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace zan;

using TFactory = std::function<std::unique_ptr<TZanEan>()>;
const TFactory Ean8 = [] { return std::make_unique<TZanEan8>(); };
const TFactory Ean13 = [] { return std::make_unique<TZanEan13>(); };
const TFactory UpcA = [] { return std::make_unique<TZanUpcA>(); };
const TFactory UpcE = [] { return std::make_unique<TZanUpcE>(); };

// A renderer drawing onto a 96 pixels-per-inch bitmap with fixed text metrics: the renderer's
// 8-point font is 11 pixels high and every digit 5 pixels wide. Margins are 5 pixels, so the
// code frame is 250 x 70.
struct TDrawing : zantest::TSymbologyDrawing<TZanEan> {
    explicit TDrawing(const TFactory& factory, const std::string& caption = {})
        : TSymbologyDrawing(factory(), 96, {0, 0, 260, 80}) {
        if (!caption.empty()) Renderer.SetCaption(caption);
    }
};

// Encodation of ISO/IEC 15420 as the standard prints it, 1 a bar module, 0 a space module.
// L: number set A, G: number set B, R: number set C.
const std::array<std::string, 10> L{"0001101", "0011001", "0010011", "0111101", "0100011",
                                    "0110001", "0101111", "0111011", "0110111", "0001011"};
const std::array<std::string, 10> G{"0100111", "0110011", "0011011", "0100001", "0011101",
                                    "0111001", "0000101", "0010001", "0001001", "0010111"};
const std::array<std::string, 10> R{"1110010", "1100110", "1101100", "1000010", "1011100",
                                    "1001110", "1010000", "1000100", "1001000", "1110100"};
const std::string NormalGuard = "101";
const std::string CentreGuard = "01010";
const std::string UpcEEnd = "010101";
const std::string AddOnStart = "1011";
const std::string AddOnSeparator = "01";

TEST(ZanEanTest, UpcAAndUpcEConvertBothWays) {
    // Worked examples of zero suppression; the last one is the widely published pair
    // UPC-A 042100005264 / UPC-E 04252614.
    const struct {
        std::string upcA, upcE;
    } cases[] = {{.upcA = "01200000345", .upcE = "0123450"},
                 {.upcA = "01230000045", .upcE = "0123453"},
                 {.upcA = "01234000005", .upcE = "0123454"},
                 {.upcA = "01234500007", .upcE = "0123457"},
                 {.upcA = "04210000526", .upcE = "0425261"}};
    for (const auto& c : cases) {
        EXPECT_EQ(UpcAToE(c.upcA), c.upcE);
        EXPECT_EQ(UpcEToA(c.upcE), c.upcA);
    }
}

TEST(ZanEanTest, ConversionFailuresNameTheText) {
    const struct {
        std::function<std::string(const std::string&)> convert;
        std::string text, message;
    } cases[] = {
        // Product codes that zero suppression cannot express.
        {.convert = UpcAToE, .text = "01234500003", .message = "01234500003 is not a valid UPC E encodation."},
        {.convert = UpcAToE, .text = "01200001000", .message = "01200001000 is not a valid UPC E encodation."},
        {.convert = UpcAToE, .text = "01234000010", .message = "01234000010 is not a valid UPC E encodation."},
        // Not eleven digits at all.
        {.convert = UpcAToE, .text = "0123450000", .message = "0123450000 is not a valid UPC A encodation."},
        {.convert = UpcAToE, .text = "012345000070", .message = "012345000070 is not a valid UPC A encodation."},
        {.convert = UpcAToE, .text = "0123450000A", .message = "0123450000A is not a valid UPC A encodation."},
        {.convert = UpcEToA, .text = "012345", .message = "012345 is not a valid UPC E encodation."},
        {.convert = UpcEToA, .text = "012345\xE9", .message = "012345\xE9 is not a valid UPC E encodation."},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(c.convert(c.text), EUpcVersionError) << c.text;
        EXPECT_EQ(zantest::MessageOf([&] { c.convert(c.text); }), c.message);
    }
}

TEST(ZanEanTest, CheckDigitsAndDefaultCaptions) {
    const struct {
        TFactory make;
        std::string caption, withCheckDigit;
    } cases[] = {
        // The default captions of the four versions, their check digits worked by hand.
        {.make = UpcA, .caption = "", .withCheckDigit = "012345678905"},
        {.make = UpcE, .caption = "", .withCheckDigit = "01234565"},  // as UPC A 01234500006
        {.make = Ean8, .caption = "", .withCheckDigit = "01234565"},
        {.make = Ean13, .caption = "", .withCheckDigit = "0123456789012"},
        // Widely published symbols.
        {.make = Ean13, .caption = "590123412345", .withCheckDigit = "5901234123457"},
        {.make = Ean8, .caption = "9638507", .withCheckDigit = "96385074"},
        {.make = UpcA, .caption = "03600029145", .withCheckDigit = "036000291452"},
        {.make = UpcE, .caption = "0425261", .withCheckDigit = "04252614"},
        // Number system 1 weighs in with 3: 14210000526 sums to 49.
        {.make = UpcE, .caption = "1425261", .withCheckDigit = "14252611"},
    };
    for (const auto& c : cases) {
        TDrawing d(c.make, c.caption);
        EXPECT_EQ(d.Symbology->GetCaption(), c.withCheckDigit);
        EXPECT_EQ(d.Symbology->GetCheckDigit(), c.withCheckDigit.back() - '0');
        if (c.caption.empty()) {
            EXPECT_EQ(d.Symbology->GetDefaultCaption(), c.withCheckDigit.substr(0, c.withCheckDigit.size() - 1));
        }
    }
}

TEST(ZanEanTest, ValidationRewritesBetweenUpcAAndUpcE) {
    const struct {
        TFactory make;
        std::string text, result;  // result: the accepted text, or the message
    } cases[] = {
        {.make = UpcE, .text = "01234500007", .result = "0123457"},
        {.make = UpcE, .text = "01234500003", .result = "Invalid Caption Length"},
        {.make = UpcA, .text = "0123457", .result = "01234500007"},
        {.make = UpcA, .text = "012345X", .result = "Invalid Caption Length"},
        {.make = UpcA, .text = "012345678905", .result = "Invalid Caption Length"},  // check digit included
        {.make = Ean13, .text = "0123457", .result = "Invalid Caption Length"},
        {.make = Ean13, .text = "0123456789012", .result = "Invalid Caption Length"},
        {.make = Ean13, .text = "0123A5678B01", .result = "Invalid character: A"},
        {.make = Ean8, .text = "01234567", .result = "Invalid Caption Length"},
        {.make = Ean8, .text = "012345\xE9", .result = "Invalid character: \xE9"},
        {.make = Ean8, .text = "", .result = "Invalid Caption Length"},
        // UPC-E has parity patterns for number systems 0 and 1 only.
        {.make = UpcE, .text = "1123456", .result = "1123456"},
        {.make = UpcE, .text = "2123456", .result = "Invalid character: 2"},
        {.make = UpcE, .text = "21234500007", .result = "Invalid character: 2"},
    };
    for (const auto& c : cases) {
        auto symbology = c.make();
        std::string text = c.text;
        const std::string message = zantest::RejectionMessage(*symbology, text);
        if (message.empty()) {
            EXPECT_EQ(text, c.result) << c.text;
        } else {
            EXPECT_EQ(message, c.result) << c.text;
            EXPECT_EQ(text, c.text) << "a refused text stays as it was";
        }
    }
    TDrawing upcE(UpcE, "01234500007");
    EXPECT_EQ(upcE.Renderer.GetCaption(), "0123457");
}

TEST(ZanEanTest, SupplementalValuesAndParities) {
    TDrawing d(Ean13);
    TZanEan& s = *d.Symbology;
    EXPECT_EQ(zantest::MessageOf([&] { s.SetSupplemental("123"); }),
              "Supplemental Encodation must be 0, 2 or 5 digits.");
    EXPECT_EQ(zantest::MessageOf([&] { s.SetSupplemental("1a"); }), "Invalid supplemental: 1a");
    EXPECT_EQ(d.Notifications, 0);
    s.SetSupplemental("12");
    s.SetSupplemental("12");
    EXPECT_EQ(d.Notifications, 1);
    EXPECT_EQ(zantest::MessageOf([&] { s.SetSupplemental("12a45"); }), "Invalid supplemental: 12a45");
    EXPECT_EQ(s.GetSupplemental(), "12");

    // 2 digits: the value modulo 4; 5 digits: 3 x (d1 + d3 + d5) + 9 x (d2 + d4) modulo 10,
    // then the add-on table of the standard, both worked by hand.
    const struct {
        std::string digits, parity;
    } cases[] = {{.digits = "12", .parity = "AA"},
                 {.digits = "53", .parity = "AB"},
                 {.digits = "02", .parity = "BA"},
                 {.digits = "99", .parity = "BB"},
                 {.digits = "00000", .parity = "BBAAA"},
                 {.digits = "12345", .parity = "BABAA"},
                 {.digits = "24527", .parity = "AAABB"},
                 {.digits = "90000", .parity = "ABABA"},
                 {.digits = "", .parity = ""}};
    for (const auto& c : cases) {
        s.SetSupplemental(c.digits);
        EXPECT_EQ(s.GetSupplementalParityPattern(), c.parity) << c.digits;
    }
}

TEST(ZanEanTest, VersionsPropertiesAndRegistry) {
    TDrawing d(UpcA);
    d.Symbology->SetVersion(evUpcA);
    EXPECT_EQ(d.Notifications, 0);
    d.Symbology->SetVersion(evEan13);
    EXPECT_EQ(d.Notifications, 1);
    EXPECT_EQ(d.Renderer.GetCaption(), "01234567890") << "a new version does not touch the caption";
    EXPECT_THROW(d.Symbology->SetVersion(static_cast<TZanEanVersion>(4)), EZanBarcodeError);

    const auto names = [](const TZanEan& s) {
        std::vector<std::string> result;
        for (const zan::platform::TPropInfo& p : s.PublishedProperties()) result.push_back(p.Name);
        return result;
    };
    const std::vector<std::string> upc{"XDimension", "Supplemental"};
    const std::vector<std::string> ean{"XDimension", "Supplemental", "FlagDigitLocation", "CheckDigitLocation"};
    EXPECT_EQ(names(TZanUpcA()), upc);
    EXPECT_EQ(names(TZanUpcE()), upc);
    EXPECT_EQ(names(TZanEan8()), ean);
    TZanEan13 ean13;
    EXPECT_EQ(names(ean13), ean);
    ean13.FindProperty("CheckDigitLocation")->SetValue(ean13, "dlOutside");
    EXPECT_EQ(ean13.GetCheckDigitLocation(), dlOutside);
    EXPECT_EQ(ean13.GetFlagDigitLocation(), dlInside);
    EXPECT_EQ(TZanUpcA().GetDigitLocation(1), dlOutside);
    EXPECT_EQ(TZanUpcE().GetDigitLocation(1), dlOutside);

    RegisterBarcodeSymbologies();
    const int ean8 = GetSymbologyIndexByName("EAN 8");
    EXPECT_GT(ean8, GetSymbologyIndexByName("Code 39"));
    EXPECT_EQ(GetSymbologyIndexByName("EAN 13"), ean8 + 1);
    EXPECT_EQ(GetSymbologyIndexByName("UPC A"), ean8 + 2);
    EXPECT_EQ(GetSymbologyIndexByName("UPC E"), ean8 + 3);
    EXPECT_EQ(GetSymbologyIndexByName("POSTNET"), ean8 + 4);
    EXPECT_EQ(SymbologyClass<TZanEan>()->GetSymbologyName(), "UPC/EAN");
    EXPECT_EQ(GetSymbologyIndexByClass(SymbologyClass<TZanEan>()), -1);
    EXPECT_FALSE(SymbologyClass<TZanEan>()->Create());
}

TEST(ZanEanTest, ReportedWidths) {
    // Modules 103, 63, 77 and 110; an add-on adds 9 per digit plus 14. With a canvas, the
    // digits printed beside the symbol add their widths, 5 pixels each here, except an
    // outside check digit, which an add-on takes into the gap before it.
    const struct {
        TFactory make;
        std::string supplemental;
        int modules, outsideDigits;
    } cases[] = {
        {.make = UpcA, .supplemental = "", .modules = 103, .outsideDigits = 2},
        {.make = UpcE, .supplemental = "", .modules = 63, .outsideDigits = 2},
        {.make = Ean8, .supplemental = "", .modules = 77, .outsideDigits = 1},
        {.make = Ean13, .supplemental = "", .modules = 110, .outsideDigits = 1},
        {.make = Ean13, .supplemental = "12", .modules = 142, .outsideDigits = 1},
        {.make = UpcE, .supplemental = "12345", .modules = 122, .outsideDigits = 1},
        {.make = UpcA, .supplemental = "12", .modules = 135, .outsideDigits = 1},
    };
    for (const auto& c : cases) {
        auto alone = c.make();
        alone->SetSupplemental(c.supplemental);
        EXPECT_EQ(alone->GetCodeWidth(), c.modules) << "without renderer a module is one pixel";

        TDrawing d(c.make);
        d.Symbology->SetSupplemental(c.supplemental);
        d.Symbology->SetXDimension(20);  // 1.92 pixels at 96 pixels per inch: 2
        EXPECT_EQ(d.Symbology->GetCodeWidth(), 2 * c.modules + 5 * c.outsideDigits);
    }
}

// One text of the symbol in the code frame: its clip rectangle across and its anchor.
struct TText {
    std::string text;
    int left, right, anchor;
    std::uint32_t align;
};

TEST(ZanEanTest, HumanReadableDigitsInsideAndOutside) {
    // On a 250 x 70 code frame with 11-pixel digits 5 wide: the text band is 59..70, the
    // cursor starts at 0 and steps 1 pixel per module. Layout: 2 modules, the flag digit
    // (and the next one when outside), 2 modules, start guard, left half, centre guard,
    // right half, end guard, 2 modules, the check digit when outside.
    constexpr std::uint32_t left = zan::platform::TTextAlign::Left, right = zan::platform::TTextAlign::Right,
                            centre = zan::platform::TTextAlign::Center;
    const struct {
        TFactory make;
        std::string caption;
        std::string flagLocation{}, checkLocation{};  // empty: the version's fixed layout
        std::vector<TText> texts;
        int symbolStart, symbolEnd, reportedWidth;
    } cases[] = {
        {.make = Ean13,
         .caption = "012345678901",
         .flagLocation = "dlInside",
         .checkLocation = "dlInside",
         .texts = {{.text = "0", .left = 2, .right = 250, .anchor = 2, .align = left},
                   {.text = "123456", .left = 12, .right = 54, .anchor = 54, .align = right},
                   {.text = "789012", .left = 59, .right = 101, .anchor = 59, .align = left}},
         .symbolStart = 9,
         .symbolEnd = 104,
         .reportedWidth = 115},
        {.make = Ean13,
         .caption = "012345678901",
         .flagLocation = "dlOutside",
         .checkLocation = "dlOutside",
         .texts = {{.text = "01", .left = 2, .right = 250, .anchor = 2, .align = left},
                   {.text = "23456", .left = 17, .right = 59, .anchor = 59, .align = right},
                   {.text = "78901", .left = 64, .right = 106, .anchor = 64, .align = left},
                   {.text = "2", .left = 111, .right = 250, .anchor = 111, .align = left}},
         .symbolStart = 14,
         .symbolEnd = 109,
         .reportedWidth = 125},
        {.make = Ean13,
         .caption = "012345678901",
         .flagLocation = "dlInside",
         .checkLocation = "dlOutside",
         .texts = {{.text = "0", .left = 2, .right = 250, .anchor = 2, .align = left},
                   {.text = "123456", .left = 12, .right = 54, .anchor = 54, .align = right},
                   {.text = "78901", .left = 59, .right = 101, .anchor = 59, .align = left},
                   {.text = "2", .left = 106, .right = 250, .anchor = 106, .align = left}},
         .symbolStart = 9,
         .symbolEnd = 104,
         .reportedWidth = 120},
        {.make = Ean8,
         .caption = "0123456",
         .flagLocation = "dlInside",
         .checkLocation = "dlInside",
         .texts = {{.text = "0", .left = 2, .right = 250, .anchor = 2, .align = left},
                   {.text = "123", .left = 12, .right = 40, .anchor = 40, .align = right},
                   {.text = "4565", .left = 45, .right = 73, .anchor = 45, .align = left}},
         .symbolStart = 9,
         .symbolEnd = 76,
         .reportedWidth = 82},
        {.make = Ean8,
         .caption = "0123456",
         .flagLocation = "dlOutside",
         .checkLocation = "dlOutside",
         .texts = {{.text = "01", .left = 2, .right = 250, .anchor = 2, .align = left},
                   {.text = "23", .left = 17, .right = 45, .anchor = 45, .align = right},
                   {.text = "456", .left = 50, .right = 78, .anchor = 50, .align = left},
                   {.text = "5", .left = 83, .right = 250, .anchor = 83, .align = left}},
         .symbolStart = 14,
         .symbolEnd = 81,
         .reportedWidth = 92},
        {.make = UpcA,
         .caption = "01234567890",
         .texts = {{.text = "0", .left = 2, .right = 250, .anchor = 2, .align = left},
                   {.text = "12345", .left = 12, .right = 54, .anchor = 54, .align = right},
                   {.text = "67890", .left = 59, .right = 101, .anchor = 59, .align = left},
                   {.text = "5", .left = 106, .right = 250, .anchor = 106, .align = left}},
         .symbolStart = 9,
         .symbolEnd = 104,
         .reportedWidth = 113},
        // UPC E: six digits centred under the bars, then the six-module end pattern.
        {.make = UpcE,
         .caption = "0123456",
         .texts = {{.text = "0", .left = 2, .right = 250, .anchor = 2, .align = left},
                   {.text = "123456", .left = 12, .right = 54, .anchor = 33, .align = centre},
                   {.text = "5", .left = 62, .right = 250, .anchor = 62, .align = left}},
         .symbolStart = 9,
         .symbolEnd = 60,
         .reportedWidth = 73},
    };
    for (const auto& c : cases) {
        TDrawing d(c.make, c.caption);
        ASSERT_EQ(d.Renderer.GetCaption(), c.caption);
        if (!c.flagLocation.empty()) {
            d.Symbology->FindProperty("FlagDigitLocation")->SetValue(*d.Symbology, c.flagLocation);
            d.Symbology->FindProperty("CheckDigitLocation")->SetValue(*d.Symbology, c.checkLocation);
        }
        EXPECT_EQ(d.Symbology->GetCodeWidth(), c.reportedWidth) << c.caption;

        std::vector<TText> texts;
        int start = 1000, end = 0;
        for (const auto& record : d.Records()) {
            // Back to the code frame: the margins are 5 pixels.
            if (const auto* text = std::get_if<zan::platform::TTextRecord>(&record)) {
                EXPECT_EQ(text->Clip.Top, 59 + 5);
                EXPECT_EQ(text->Clip.Bottom, 70 + 5);
                EXPECT_EQ(text->Reference.Y, 70 + 5);
                texts.push_back({.text = text->Text,
                                 .left = text->Clip.Left - 5,
                                 .right = text->Clip.Right - 5,
                                 .anchor = text->Reference.X - 5,
                                 .align = text->TextAlign & zan::platform::TTextAlign::HorizontalMask});
            } else if (const auto* fill = std::get_if<zan::platform::TFillRectRecord>(&record);
                       fill != nullptr && fill->Color == zan::platform::clBlack) {
                start = std::min(start, fill->Rect.Left - 5);
                end = std::max(end, fill->Rect.Right - 5);
            }
        }
        ASSERT_EQ(texts.size(), c.texts.size()) << c.caption;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i].text, c.texts[i].text);
            EXPECT_EQ(texts[i].left, c.texts[i].left) << texts[i].text;
            EXPECT_EQ(texts[i].right, c.texts[i].right) << texts[i].text;
            EXPECT_EQ(texts[i].anchor, c.texts[i].anchor) << texts[i].text;
            EXPECT_EQ(texts[i].align, c.texts[i].align) << texts[i].text;
        }
        EXPECT_EQ(start, c.symbolStart) << c.caption;
        EXPECT_EQ(end, c.symbolEnd) << c.caption;
    }
}

TEST(ZanEanTest, GuardsReachLowerAndAddOnStandsLower) {
    TDrawing d(Ean13, "012345678901");
    d.Symbology->SetSupplemental("12");
    zan::platform::TFont font;
    font.Assign(d.Renderer.GetFont());
    font.SetColor(zan::platform::clRed);  // so that digits are never taken for bars
    d.Renderer.SetFont(font);
    d.Renderer.Paint();
    const auto isBar = [&](int x, int y) { return d.Bitmap.GetPixel(x, y) == zan::platform::clBlack; };
    // Canvas = code frame + 5. Start guard at 9, first bar of the digit 1 (set A 0011001) at 14,
    // the add-on 9 modules after the end guard (104) at 113 + 5 = 118; 11-pixel text.
    EXPECT_TRUE(isBar(14, 69));  // the guard reaches the code rectangle's bottom (65)
    EXPECT_FALSE(isBar(14, 70));
    EXPECT_TRUE(isBar(19, 63));   // the digit bar ends at the text band (59)...
    EXPECT_FALSE(isBar(19, 64));  // ...half a text height (6) above the guard's end
    EXPECT_TRUE(isBar(118, 69));  // the add-on loses the top third of 65: it starts at 21
    EXPECT_TRUE(isBar(118, 26));
    EXPECT_FALSE(isBar(118, 25));
    EXPECT_FALSE(isBar(117, 50));  // the gap ends just before

    const auto records = d.Records();
    const auto& addOnText = std::get<zan::platform::TTextRecord>(records.back());
    EXPECT_EQ(addOnText.Text, "12");
    // Start 4 modules, two digits of 7 and a separator of 2: 20 modules.
    EXPECT_EQ(addOnText.Clip, (zan::platform::TRect{113 + 5, 9 + 5, 133 + 5, 20 + 5})) << "centred over the add-on";
    EXPECT_EQ(addOnText.Reference, (zan::platform::TPoint{123 + 5, 20 + 5}));
}

// The modules drawn in the SVG output: 1 per bar module, 0 per space module; the add-on,
// drawn lower, after a "+".
std::string SvgModules(const std::string& svg, int barWidth) {
    std::string modules;
    int top = -1;
    for (const zantest::TSvgRect& rect : zantest::ReadSvgRects(svg)) {
        if (rect.Fill != zantest::BarFill && rect.Fill != zantest::SpaceFill) continue;  // background and text fills
        if (top >= 0 && rect.Y != top) modules += "+";
        top = rect.Y;
        EXPECT_EQ(rect.Width % barWidth, 0);
        modules +=
            std::string(static_cast<std::size_t>(rect.Width / barWidth), rect.Fill == zantest::BarFill ? '1' : '0');
    }
    return modules;
}

TEST(ZanEanTest, EncodationMatchesTheStandard) {
    // Parities worked by hand from the standard's tables: leading digit 5 is ABBAAB (LGGLLG);
    // UPC-E check digit 4 of number system 0 is BABBAA; check digit 1 of number system 1 is
    // AABABB, the complement of BBABAA; add-on 12 is AA, add-on 24527 is AAABB.
    const struct {
        TFactory make;
        std::string caption, supplemental, modules;
    } cases[] = {
        {.make = Ean13,
         .caption = "590123412345",
         .supplemental = "",
         .modules = NormalGuard + L[9] + G[0] + G[1] + L[2] + L[3] + G[4] + CentreGuard + R[1] + R[2] + R[3] + R[4] +
                    R[5] + R[7] + NormalGuard},
        {.make = Ean13,
         .caption = "012345678901",
         .supplemental = "12",
         .modules = NormalGuard + L[1] + L[2] + L[3] + L[4] + L[5] + L[6] + CentreGuard + R[7] + R[8] + R[9] + R[0] +
                    R[1] + R[2] + NormalGuard + "+" + AddOnStart + L[1] + AddOnSeparator + L[2]},
        {.make = Ean8,
         .caption = "9638507",
         .supplemental = "",
         .modules = NormalGuard + L[9] + L[6] + L[3] + L[8] + CentreGuard + R[5] + R[0] + R[7] + R[4] + NormalGuard},
        {.make = UpcA,
         .caption = "03600029145",
         .supplemental = "24527",
         .modules = NormalGuard + L[0] + L[3] + L[6] + L[0] + L[0] + L[0] + CentreGuard + R[2] + R[9] + R[1] + R[4] +
                    R[5] + R[2] + NormalGuard + "+" + AddOnStart + L[2] + AddOnSeparator + L[4] + AddOnSeparator +
                    L[5] + AddOnSeparator + G[2] + AddOnSeparator + G[7]},
        {.make = UpcE,
         .caption = "0425261",
         .supplemental = "",
         .modules = NormalGuard + G[4] + L[2] + G[5] + G[2] + L[6] + L[1] + UpcEEnd},
        {.make = UpcE,
         .caption = "1425261",
         .supplemental = "",
         .modules = NormalGuard + L[4] + L[2] + G[5] + L[2] + G[6] + G[1] + UpcEEnd},
    };
    for (const auto& c : cases) {
        TDrawing d(c.make, c.caption);
        ASSERT_EQ(d.Renderer.GetCaption(), c.caption);
        d.Symbology->SetSupplemental(c.supplemental);
        d.Symbology->SetXDimension(20);  // 2 pixels a module at 96 pixels per inch
        zan::platform::TMetafile metafile;
        d.Renderer.CopyToMetafile(metafile);
        EXPECT_EQ(SvgModules(metafile.ToSvg(), 2), c.modules) << c.caption;
    }
}

TEST(ZanEanTest, CaptionsThatDoNotFitTheVersionNeverCrash) {
    // Captions set while validation is deferred, or kept when the version changes.
    const struct {
        TFactory make;
        std::string caption;
        std::function<void(TZanEan&)> change{};
        int modules;  // the reported width: no texts
        std::string message;
    } cases[] = {
        {.make = Ean13,
         .caption = "",
         .change = [](TZanEan& s) { static_cast<TZanEan13&>(s).SetFlagDigitLocation(dlOutside); },
         .modules = 110,
         .message = "Invalid Caption Length"},
        {.make = Ean13, .caption = "12345678901X", .modules = 110, .message = "Invalid character: X"},
        {.make = Ean13, .caption = "0123456789\xE9\xE9", .modules = 110, .message = "Invalid character: \xE9"},
        {.make = UpcE, .caption = "2123456", .modules = 63, .message = "Invalid character: 2"},
        {.make = UpcA,
         .caption = "01234567890",
         .change = [](TZanEan& s) { s.SetVersion(evUpcE); },
         .modules = 63,
         .message = "Invalid Caption Length"},
        {.make = UpcA,
         .caption = "01234567890",
         .change = [](TZanEan& s) { s.SetVersion(evEan8); },
         .modules = 77,
         .message = "Invalid Caption Length"},
        {.make = Ean8,
         .caption = "0123456",
         .change = [](TZanEan& s) { s.SetVersion(evUpcA); },
         .modules = 103,
         .message = "Invalid Caption Length"},
        {.make = UpcE,
         .caption = "0123456",
         .change = [](TZanEan& s) { s.SetVersion(evEan13); },
         .modules = 110,
         .message = "Invalid Caption Length"},
    };
    for (const auto& c : cases) {
        TDrawing d(c.make);
        d.Renderer.BeginUpdate();
        d.Renderer.SetCaption(c.caption);
        if (c.change) c.change(*d.Symbology);
        EXPECT_EQ(d.Symbology->GetCodeWidth(), c.modules) << c.caption;
        EXPECT_EQ(zantest::MessageOf([&] { d.Renderer.Paint(); }), c.message) << c.caption;
        zan::platform::TBitmap copy;
        EXPECT_THROW(d.Renderer.CopyToBitmap(copy), EInvalidText);
        d.Renderer.EndUpdate();
    }
    TDrawing upcA(UpcA, "01234567890");
    upcA.Symbology->SetVersion(evUpcE);
    EXPECT_THROW(upcA.Symbology->GetCaption(), EUpcVersionError) << "UPC E has no check digit for 11 digits";
}

TEST(ZanEanTest, ScannerReadsEveryVersionAndAddOn) {
    // zbarimg's own output. Check digits worked by hand or taken from widely published
    // symbols; with UPC-A and UPC-E enabled zbar names them instead of folding them into
    // EAN-13, and it reports an add-on as a symbol of its own. Resolutions start at 150
    // pixels per inch: one-pixel modules (96) are below what zbar reads reliably.
    const std::vector<std::string> zbarOptions{"-Supca.enable", "-Supce.enable", "-Sean2.enable", "-Sean5.enable"};
    const struct {
        std::string symbology, caption, supplemental;
        std::vector<std::string> decoded;  // sorted
    } cases[] = {
        {.symbology = "EAN 13", .caption = "590123412345", .supplemental = "", .decoded = {"EAN-13:5901234123457"}},
        {.symbology = "EAN 13",
         .caption = "590123412345",
         .supplemental = "12345",
         .decoded = {"EAN-13:5901234123457", "EAN-5:12345"}},
        {.symbology = "EAN 8", .caption = "9638507", .supplemental = "", .decoded = {"EAN-8:96385074"}},
        {.symbology = "UPC A",
         .caption = "03600029145",
         .supplemental = "24527",
         .decoded = {"EAN-5:24527", "UPC-A:036000291452"}},
        {.symbology = "UPC E", .caption = "0425261", .supplemental = "", .decoded = {"UPC-E:04252614"}},
        // A compressible UPC A text drawn as UPC E: 0123457, check digit of 01234500007.
        {.symbology = "UPC E",
         .caption = "01234500007",
         .supplemental = "12",
         .decoded = {"EAN-2:12", "UPC-E:01234572"}},
    };
    const std::string dir = zantest::TestOutputDir("ZanEanScanner");
    const struct {
        std::string dpi, orientation;
    } views[] = {{"150", "0"}, {"300", "90"}, {"600", "180"}, {"150", "270"}};
    for (const auto& c : cases) {
        for (const auto& view : views) {
            const std::string png = dir + "/" + c.caption + "-" + view.dpi + "-" + view.orientation + ".png";
            std::vector<std::string> arguments{"-s", c.symbology, "-r", view.dpi, "--orientation", view.orientation,
                                               "-o", png};
            if (!c.supplemental.empty()) arguments.insert(arguments.end(), {"--set", "Supplemental=" + c.supplemental});
            arguments.push_back(c.caption);
            ASSERT_EQ(zantest::RunZanbarcode(arguments).ExitStatus, 0) << png;
            std::vector<std::string> decoded = zantest::ScanWithZbar(png, zbarOptions);
            std::sort(decoded.begin(), decoded.end());
            EXPECT_EQ(decoded, c.decoded) << png;
        }
    }
}

}  // namespace

namespace {

// Every EAN/UPC version with its check digit inside and outside (where the version lets
// it move), each with a 2- and a 5-digit add-on. Check digits from widely published
// symbols, as in the tests above.
struct TAddOnCase {
    std::string Name;
    TFactory Make;
    std::string Caption, Supplemental;
    TZanEanDigitLocation CheckDigit;
    std::string Zbar;   // the main symbol as zbarimg prints it
    std::string Zxing;  // the same as zxing-cpp prints it
    bool Upc;           // the GS1 General Specifications ask 9 to 12 modules of UPC, 7 to 12 of EAN
};

std::vector<TAddOnCase> AddOnCases() {
    struct TVersion {
        const char* Name;
        TFactory Make;
        std::string Caption;
        std::vector<TZanEanDigitLocation> CheckDigit;
        std::string Zbar, Zxing;
        bool Upc;
    };
    const TVersion versions[] = {
        {"EAN 8", Ean8, "9638507", {dlInside, dlOutside}, "EAN-8:96385074", "EAN8:96385074", false},
        {"EAN 13", Ean13, "590123412345", {dlInside, dlOutside}, "EAN-13:5901234123457", "EAN13:5901234123457", false},
        {"UPC A", UpcA, "03600029145", {dlOutside}, "UPC-A:036000291452", "UPCA:036000291452", true},
        {"UPC E", UpcE, "0425261", {dlOutside}, "UPC-E:04252614", "UPCE:04252614", true},
    };
    std::vector<TAddOnCase> cases;
    for (const TVersion& v : versions)
        for (const TZanEanDigitLocation location : v.CheckDigit)
            for (const std::string supplemental : {"12", "24527"})
                cases.push_back({.Name = std::string(v.Name) + (location == dlInside ? " inside" : " outside") + " +" +
                                         supplemental,
                                 .Make = v.Make,
                                 .Caption = v.Caption,
                                 .Supplemental = supplemental,
                                 .CheckDigit = location,
                                 .Zbar = v.Zbar,
                                 .Zxing = v.Zxing,
                                 .Upc = v.Upc});
    return cases;
}

void UseCheckDigitLocation(TZanEan& symbology, TZanEanDigitLocation location) {
    if (auto* ean = dynamic_cast<TZanEanWithDigitLocations*>(&symbology)) ean->SetCheckDigitLocation(location);
    ASSERT_EQ(symbology.GetDigitLocation(1), location);
}

// Measured from the drawing calls with fixed text metrics: the add-on stands within the
// gap that the GS1 General Specifications allow, and an outside check digit stands in
// that gap clear of the bars on both sides, also in a font too large for it.
TEST(ZanEanAddOn, GapStaysWithinTheStandardsRangeAndHoldsTheOutsideCheckDigit) {
    for (const TAddOnCase& c : AddOnCases()) {
        for (const int dpi : {96, 300, 600}) {
            for (const int points : {8, 24}) {
                SCOPED_TRACE(c.Name + " at " + std::to_string(dpi) + " dpi, " + std::to_string(points) + " points");
                zantest::TSymbologyDrawing<TZanEan> d(c.Make(), dpi, {0, 0, 1400, 500});
                d.Renderer.SetCaption(c.Caption);
                d.Symbology->SetSupplemental(c.Supplemental);
                UseCheckDigitLocation(*d.Symbology, c.CheckDigit);
                zan::platform::TFont font;
                font.Assign(d.Renderer.GetFont());
                font.SetSize(points);
                d.Renderer.SetFont(font);
                const int module = d.Symbology->GetBarWidth();  // 10 mils: 1, 3 and 6 pixels
                ASSERT_EQ(module, dpi == 96 ? 1 : dpi / 100);

                // The main symbol's bars start at the top of the code rectangle, the add-on's lower.
                const auto records = d.Records();
                int top = std::numeric_limits<int>::max();
                for (const auto& record : records)
                    if (const auto* fill = std::get_if<zan::platform::TFillRectRecord>(&record);
                        fill != nullptr && fill->Color == zantest::BarColor)
                        top = std::min(top, fill->Rect.Top);
                int mainEnd = 0, addOnStart = std::numeric_limits<int>::max();
                for (const auto& record : records)
                    if (const auto* fill = std::get_if<zan::platform::TFillRectRecord>(&record);
                        fill != nullptr && fill->Color == zantest::BarColor) {
                        if (fill->Rect.Top == top)
                            mainEnd = std::max(mainEnd, fill->Rect.Right);
                        else
                            addOnStart = std::min(addOnStart, fill->Rect.Left);
                    }
                ASSERT_LT(mainEnd, addOnStart);
                EXPECT_EQ((addOnStart - mainEnd) % module, 0);
                const int gap = (addOnStart - mainEnd) / module;
                EXPECT_GE(gap, c.Upc ? 9 : 7);
                EXPECT_LE(gap, 12);

                // Texts right of the main symbol: the add-on's digits above its bars, and the
                // outside check digit in the gap.
                std::vector<std::string> beyond;
                for (const auto& record : records) {
                    const auto* text = std::get_if<zan::platform::TTextRecord>(&record);
                    if (text == nullptr || text->Clip.Left < mainEnd) continue;
                    beyond.push_back(text->Text);
                    if (text->Text == c.Supplemental) continue;
                    const zan::platform::TFontMetrics metrics =
                        zan::platform::FixedMetricsFontEngine()->GetMetrics(text->Font);
                    const int width = zan::platform::FixedMetricsFontEngine()->GetTextWidth(text->Font, text->Text);
                    const int left =
                        text->Reference.X +
                        zan::platform::PlaceTextBox(text->TextAlign, width, metrics.Ascent, metrics.Descent).OffsetX;
                    EXPECT_GE(left, mainEnd + module) << "clear of the end guard";
                    EXPECT_LE(left + width, addOnStart - module) << "clear of the add-on";
                    EXPECT_GT(width, 0);
                }
                const std::string checkDigit = c.Zbar.substr(c.Zbar.size() - 1);
                std::vector<std::string> expected{c.Supplemental};
                if (c.CheckDigit == dlOutside) expected.insert(expected.begin(), checkDigit);
                EXPECT_EQ(beyond, expected);
            }
        }
    }
}

// Both decoders read main symbol and add-on from PNG pictures drawn with the installed
// fonts, at each resolution, in every layout.
TEST(ZanEanAddOn, ZbarAndZxingReadMainSymbolAndAddOn) {
    const std::vector<std::string> zbarOptions{"-Supca.enable", "-Supce.enable", "-Sean2.enable", "-Sean5.enable"};
    const std::string dir = zantest::TestOutputDir("ZanEanAddOn");
    for (const TAddOnCase& c : AddOnCases()) {
        for (const int dpi : {150, 300, 600}) {
            SCOPED_TRACE(c.Name + " at " + std::to_string(dpi) + " dpi");
            zan::platform::TBitmap screen;
            screen.SetPixelsPerInch(dpi);
            TZanBarcodeRenderer renderer;
            auto owned = c.Make();
            TZanEan& symbology = *owned;
            renderer.SetSymbology(std::move(owned));
            renderer.SetCanvas(&screen.GetCanvas());
            renderer.SetCaption(c.Caption);
            symbology.SetSupplemental(c.Supplemental);
            UseCheckDigitLocation(symbology, c.CheckDigit);
            // Quiet zones of 12 modules on either side; bars of about an inch.
            const int module = symbology.GetBarWidth();
            renderer.SetBounds(0, 0, 10, dpi);
            renderer.GetMargins().SetLeft(12 * module);
            renderer.GetMargins().SetRight(12 * module);
            zan::platform::TBitmap picture;
            picture.SetPixelsPerInch(dpi);
            renderer.CopyToBitmap(picture);

            std::string name = c.Name + "-" + std::to_string(dpi) + ".png";
            std::replace(name.begin(), name.end(), ' ', '-');
            const std::string png = dir + "/" + name;
            picture.SaveToFile(png);
            std::vector<std::string> zbar = zantest::ScanWithZbar(png, zbarOptions);
            std::sort(zbar.begin(), zbar.end());
            std::vector<std::string> expected{c.Zbar,
                                              (c.Supplemental.size() == 2 ? "EAN-2:" : "EAN-5:") + c.Supplemental};
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(zbar, expected) << png;

            std::vector<std::uint8_t> gray;
            for (int y = 0; y < picture.GetHeight(); ++y)
                for (int x = 0; x < picture.GetWidth(); ++x) {
                    const zan::TColor colour = picture.GetPixel(x, y);
                    gray.push_back(static_cast<std::uint8_t>(
                        ((colour & 0xFF) * 299 + ((colour >> 8) & 0xFF) * 587 + ((colour >> 16) & 0xFF) * 114) / 1000));
                }
            EXPECT_EQ(zantest::ReadWithZxing(picture.GetWidth(), picture.GetHeight(), gray, true),
                      c.Zxing + " " + c.Supplemental)
                << png;
        }
    }
}

}  // namespace
