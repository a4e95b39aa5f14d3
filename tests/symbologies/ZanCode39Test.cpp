// Code 39: caption rules, barcode strings, check digit strings, widths, painting, scanning.
#include <zanbarcode/symbologies/ZanCode39.h>

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <variant>
#include <vector>

#include "tests/support/SymbologyDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

using zan::TZanCode39;

// Element widths in modules, bar first, of the characters used below, written from the
// symbol character table of ISO/IEC 16388:2007 (narrow 1, wide 3).
constexpr const char* StartStop = "131131311";  // *
constexpr const char* Gap = "1";                // narrow space between characters
constexpr const char* CharA = "311113113";
constexpr const char* CharB = "113113113";
constexpr const char* CharC = "313113111";
constexpr const char* Char1 = "311311113";
constexpr const char* Char2 = "113311113";
constexpr const char* Char3 = "313311111";
constexpr const char* Char9 = "113311311";
constexpr const char* CharZ = "133131111";
constexpr const char* CharPlus = "131113131";
constexpr const char* CharMinus = "131111313";
constexpr const char* CharDollar = "131313111";

void Append(std::vector<int>& widths, const char* elements) {
    for (const char* e = elements; *e; ++e) widths.push_back(*e - '0');
}

// A Code 39 symbol from its characters' element widths: start, characters, stop, with a
// gap between each two.
std::vector<int> Symbol(const std::vector<const char*>& characters) {
    std::vector<int> widths;
    Append(widths, StartStop);
    for (const char* character : characters) {
        Append(widths, Gap);
        Append(widths, character);
    }
    Append(widths, Gap);
    Append(widths, StartStop);
    return widths;
}

// Bars and spaces as drawn: widths in modules, and B for a bar, S for a space.
struct TElements {
    std::vector<int> Modules;
    std::string Colours;
};

// The bars and spaces of an SVG drawing: every rectangle after the background, checked to
// follow each other without gap or overlap.
TElements ElementsFromSvg(const std::string& svg, int barWidth) {
    const std::vector<zantest::TSvgRect> rects = zantest::ReadSvgRects(svg);
    TElements elements;
    for (std::size_t i = 1; i < rects.size(); ++i) {
        const zantest::TSvgRect& r = rects[i];
        if (i > 1) {
            EXPECT_EQ(r.X, rects[i - 1].X + rects[i - 1].Width) << "element " << i;
        }
        EXPECT_EQ(r.Width % barWidth, 0) << "element " << i;
        elements.Modules.push_back(r.Width / barWidth);
        elements.Colours += r.Fill == zantest::BarFill ? 'B' : r.Fill == zantest::SpaceFill ? 'S' : '?';
    }
    return elements;
}

// A Code 39 drawing on bounds wide enough for the longest code below at 600 pixels per inch.
struct TDrawing : zantest::TSymbologyDrawing<TZanCode39> {
    explicit TDrawing(int pixelsPerInch = 96) : TSymbologyDrawing(pixelsPerInch, {0, 0, 2000, 100}) {}

    // Sets a caption that the renderer accepts, full ASCII on while it is validated.
    void SetRawCaption(const std::string& caption) {
        const bool fullAscii = Symbology->GetFullAscii();
        Symbology->SetFullAscii(true);
        Renderer.SetCaption(caption);
        Symbology->SetFullAscii(fullAscii);
    }
};

TEST(ZanCode39Test, Defaults) {
    TZanCode39 code39;
    EXPECT_EQ(TZanCode39::SymbologyName(), "Code 39");
    EXPECT_EQ(code39.GetSymbologyName(), "Code 39");
    EXPECT_EQ(code39.GetDefaultCaption(), "ABCDE12345");
    EXPECT_TRUE(code39.GetDisplayCaption());
    EXPECT_TRUE(code39.GetDisplayStartStopChars());
    EXPECT_FALSE(code39.GetFullAscii());
    EXPECT_FALSE(code39.GetUseCheckDigit());
    EXPECT_EQ(code39.GetXDimension(), 10.0);
    EXPECT_EQ(code39.GetCaption(), "**") << "no renderer, no caption";
    EXPECT_EQ(code39.GetBarcodeString(), "");
}

TEST(ZanCode39Test, PublishesTheOptionsAfterXDimension) {
    TZanCode39 code39;
    std::vector<std::string> names;
    for (const zan::platform::TPropInfo& p : code39.PublishedProperties())
        names.push_back(p.Name + "=" + p.GetValue(code39));
    EXPECT_EQ(names, (std::vector<std::string>{"XDimension=10", "DisplayCaption=True", "DisplayStartStopChars=True",
                                               "FullAscii=False", "UseCheckDigit=False"}));
    code39.FindProperty("usecheckdigit")->SetValue(code39, "true");
    EXPECT_TRUE(code39.GetUseCheckDigit());
    EXPECT_TRUE(code39.GetOption(TZanCode39::UseCheckDigitOption));
}

TEST(ZanCode39Test, OptionsNotifyOnlyOnChangeAndKeepTheCaption) {
    TDrawing d;
    d.Renderer.SetCaption("ab");
    const int before = d.Notifications;
    for (int index = 0; index < TZanCode39::OptionCount; ++index) {
        const bool value = d.Symbology->GetOption(index);
        d.Symbology->SetOption(index, value);
        EXPECT_EQ(d.Notifications - before, index) << "unchanged option " << index;
        d.Symbology->SetOption(index, !value);
        EXPECT_EQ(d.Notifications - before, index + 1) << "changed option " << index;
        EXPECT_EQ(d.Symbology->GetOption(index), !value);
    }
    // Indices outside the four options read false and change nothing.
    d.Symbology->SetOption(4, true);
    d.Symbology->SetOption(-1, true);
    EXPECT_FALSE(d.Symbology->GetOption(4));
    EXPECT_FALSE(d.Symbology->GetOption(-1));
    EXPECT_EQ(d.Notifications - before, 4);
    EXPECT_EQ(d.Renderer.GetCaption(), "ab") << "options do not validate the caption again";
}

TEST(ZanCode39Test, ValidatesAndShortensCaptions) {
    struct TCase {
        std::string text{};
        bool fullAscii = false;
        std::string accepted{};  // the text after validation
        std::string message{};   // empty: accepted
    };
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
    const TCase cases[] = {
        {.text = "Code 39 ABC xyz 0129", .accepted = "Code 39 ABC xyz 0129"},
        {.text = "", .accepted = ""},
        // Code 39 has patterns for - . $ / + %, but without full ASCII they are refused.
        {.text = "A-B", .message = "Invalid character: -"},
        {.text = "1.5", .message = "Invalid character: ."},
        {.text = "$", .message = "Invalid character: $"},
        {.text = "a/b", .message = "Invalid character: /"},
        {.text = "+", .message = "Invalid character: +"},
        {.text = "50%", .message = "Invalid character: %"},
        {.text = "*A*", .message = "Invalid character: *"},
        {.text = "AB\x01", .message = "Invalid character: \x01"},
        {.text = "\xC8", .message = "Invalid character: \xC8"},
        {.text = "A-B", .fullAscii = true, .accepted = "A-B"},
        {.text = std::string("\0\x01\x7F\xC8 ~", 6), .fullAscii = true, .accepted = std::string("\0\x01\x7F\xC8 ~", 6)},
        {.text = forty, .accepted = forty.substr(0, 32)},
        {.text = forty, .fullAscii = true, .accepted = forty.substr(0, 32)},
        // Shortened first: a bad character past the 32nd is cut away, not refused.
        {.text = forty.substr(0, 32) + "-", .accepted = forty.substr(0, 32)},
    };
    for (const TCase& c : cases) {
        TZanCode39 code39;
        code39.SetFullAscii(c.fullAscii);
        std::string text = c.text;
        EXPECT_EQ(zantest::RejectionMessage(code39, text), c.message) << c.text;
        if (c.message.empty()) {
            EXPECT_EQ(text, c.accepted);
        }
    }
}

TEST(ZanCode39Test, RendererFallsBackToTheDefaultCaptionOnARejectedOne) {
    TDrawing d;
    d.Renderer.SetCaption("A-B");
    EXPECT_EQ(d.Renderer.GetCaption(), "ABCDE12345");
    d.Renderer.SetCaption(std::string(40, 'X'));
    EXPECT_EQ(d.Renderer.GetCaption(), std::string(32, 'X'));
}

TEST(ZanCode39Test, BarcodeStringsSpellFullAscii) {
    struct TCase {
        std::string caption{};
        bool fullAscii = false;
        std::string barcode{};
    };
    // Expansions from the full ASCII table of ISO/IEC 16388:2007, except that $ % + /
    // stand for themselves in this library.
    const TCase cases[] = {
        {.caption = "ABCDE12345", .barcode = "ABCDE12345"},
        {.caption = "abc", .barcode = "ABC"},
        {.caption = "abc", .fullAscii = true, .barcode = "+A+B+C"},
        {.caption = "Hello World", .fullAscii = true, .barcode = "H+E+L+L+O W+O+R+L+D"},
        {.caption = "A-B. $/+%", .fullAscii = true, .barcode = "A-B. $/+%"},
        {.caption = "!\"#&'()*,:", .fullAscii = true, .barcode = "/A/B/C/F/G/H/I/J/L/Z"},
        {.caption = ";<=>?@[\\]^_`", .fullAscii = true, .barcode = "%F%G%H%I%J%V%K%L%M%N%O%W"},
        {.caption = "{|}~\x7F", .fullAscii = true, .barcode = "%P%Q%R%S%T"},
        {.caption = std::string("\0\x01\x02\x1A\x1B\x1F", 6), .fullAscii = true, .barcode = "%U$A$B$Z%A%E"},
        {.caption = "A\xC8\xFF"
                    "B",
         .fullAscii = true,
         .barcode = "AB"},                           // no spelling: nothing drawn
        {.caption = "a\xC8!", .barcode = "A\xC8!"},  // full ASCII switched off after validation
    };
    for (const TCase& c : cases) {
        TDrawing d;
        d.SetRawCaption(c.caption);
        d.Symbology->SetFullAscii(c.fullAscii);
        EXPECT_EQ(d.Symbology->GetBarcodeString(), c.barcode) << c.caption;
    }
}

TEST(ZanCode39Test, CheckDigitStringsAndCaptions) {
    struct TCase {
        std::string caption{};
        bool fullAscii = false;
        bool startStop = true;
        std::string checkDigit{};
        std::string text{};  // the caption drawn with UseCheckDigit set
    };
    // The check digit string sums the positions in "*1234567890ABC...Z-. $/+%" (`*` 0,
    // `1` to `9` 1 to 9, `0` 10, `A` to `Z` 11 to 36, `-` 37, `.` 38, space 39, `$` 40,
    // `/` 41, `+` 42, `%` 43, -1 without a pattern), modulo 43, in decimal.
    const TCase cases[] = {
        {.caption = "A", .checkDigit = "11", .text = "*A11*"},
        {.caption = "ZZ", .checkDigit = "29", .text = "*ZZ29*"},                       // 72 mod 43
        {.caption = "ABCDE12345", .checkDigit = "37", .text = "*ABCDE1234537*"},       // 65 + 15 = 80
        {.caption = "abc", .checkDigit = "36", .text = "*abc36*"},                     // A B C: 36
        {.caption = "abc", .fullAscii = true, .checkDigit = "33", .text = "*abc33*"},  // 3 * 42 + 36 = 162
        {.caption = "1", .startStop = false, .checkDigit = "1", .text = "11"},
        {.caption = "", .checkDigit = "0", .text = "*0*"},
        {.caption = "A-B %", .fullAscii = true, .checkDigit = "13", .text = "*A-B %13*"},  // 11+37+12+39+43 = 142
        {.caption = "\xC8", .checkDigit = "-1", .text = "*\xC8-1*"},                       // no pattern: -1
        {.caption = "\xC8",
         .fullAscii = true,
         .checkDigit = "0",
         .text = "*\xC8"
                 "0*"},  // spelled as nothing
    };
    for (const TCase& c : cases) {
        TDrawing d;
        d.SetRawCaption(c.caption);
        d.Symbology->SetFullAscii(c.fullAscii);
        d.Symbology->SetDisplayStartStopChars(c.startStop);
        EXPECT_EQ(d.Symbology->GetCheckDigit(), c.checkDigit) << c.caption;
        d.Symbology->SetUseCheckDigit(true);
        EXPECT_EQ(d.Symbology->GetCaption(), c.text) << c.caption;
    }
}

TEST(ZanCode39Test, CaptionTextIsTheStoredCaption) {
    TDrawing d;
    EXPECT_EQ(d.Symbology->GetCaption(), "*ABCDE12345*");
    d.Renderer.SetCaption("abc");
    EXPECT_EQ(d.Symbology->GetCaption(), "*abc*");
    d.Symbology->SetFullAscii(true);
    EXPECT_EQ(d.Symbology->GetCaption(), "*abc*") << "not expanded";
    d.Symbology->SetDisplayStartStopChars(false);
    EXPECT_EQ(d.Symbology->GetCaption(), "abc");
}

TEST(ZanCode39Test, CodeWidthCountsSixteenModulesACharacter) {
    struct TCase {
        int pixelsPerInch{};
        double xDimension{};
        std::string caption{};
        bool fullAscii = false;
        bool checkDigit = false;
        int width{};
    };
    // b * (16 * (n + 1) + 15), b = pixels per inch * XDimension / 1000 rounded half to even.
    const TCase cases[] = {
        {.pixelsPerInch = 96, .xDimension = 10, .caption = "ABCDE12345", .width = 191},                  // 0.96 -> 1
        {.pixelsPerInch = 600, .xDimension = 10, .caption = "ABCDE12345", .width = 6 * 191},             // 6
        {.pixelsPerInch = 100, .xDimension = 25, .caption = "ABCDE12345", .width = 2 * 191},             // 2.5 -> 2
        {.pixelsPerInch = 100, .xDimension = 15, .caption = "ABCDE12345", .width = 2 * 191},             // 1.5 -> 2
        {.pixelsPerInch = 100, .xDimension = 5, .caption = "ABCDE12345", .width = 0},                    // 0.5 -> 0
        {.pixelsPerInch = 96, .xDimension = 20, .caption = "abc", .fullAscii = true, .width = 2 * 127},  // n = 6
        {.pixelsPerInch = 96, .xDimension = 10, .caption = "A", .checkDigit = true, .width = 79},        // n = 3
        {.pixelsPerInch = 300, .xDimension = 10, .caption = "", .width = 3 * 31},                        // n = 0
    };
    for (const TCase& c : cases) {
        TDrawing d(c.pixelsPerInch);
        d.Symbology->SetXDimension(c.xDimension);
        d.SetRawCaption(c.caption);
        d.Symbology->SetFullAscii(c.fullAscii);
        d.Symbology->SetUseCheckDigit(c.checkDigit);
        EXPECT_EQ(d.Symbology->GetCodeWidth(), c.width) << c.pixelsPerInch << " ppi, " << c.caption;
        d.Symbology->SetDisplayStartStopChars(false);
        EXPECT_EQ(d.Symbology->GetCodeWidth(), c.width) << "start/stop characters are always drawn";
    }
}

TEST(ZanCode39Test, PaintsTheStandardsPatterns) {
    struct TCase {
        int pixelsPerInch{};
        std::string caption{};
        bool fullAscii = false;
        bool checkDigit = false;
        std::vector<int> modules{};
    };
    const TCase cases[] = {
        {.pixelsPerInch = 96, .caption = "A", .checkDigit = true, .modules = Symbol({CharA, Char1, Char1})},
        {.pixelsPerInch = 600, .caption = "ZZ", .checkDigit = true, .modules = Symbol({CharZ, CharZ, Char2, Char9})},
        {.pixelsPerInch = 300, .caption = "abc", .modules = Symbol({CharA, CharB, CharC})},
        {.pixelsPerInch = 300,
         .caption = "abc-123",
         .fullAscii = true,
         .modules = Symbol({CharPlus, CharA, CharPlus, CharB, CharPlus, CharC, CharMinus, Char1, Char2, Char3})},
        {.pixelsPerInch = 96, .caption = "\x01", .fullAscii = true, .modules = Symbol({CharDollar, CharA})},
    };
    for (const TCase& c : cases) {
        TDrawing d(c.pixelsPerInch);
        d.Symbology->SetDisplayCaption(false);
        d.Symbology->SetFullAscii(c.fullAscii);
        d.Symbology->SetUseCheckDigit(c.checkDigit);
        d.Renderer.SetCaption(c.caption);
        const int barWidth = d.Symbology->GetBarWidth();
        const TElements elements = ElementsFromSvg(d.Svg(), barWidth);
        EXPECT_EQ(elements.Modules, c.modules) << c.caption;
        std::string alternating;
        for (std::size_t i = 0; i < c.modules.size(); ++i) alternating += i % 2 == 0 ? 'B' : 'S';
        EXPECT_EQ(elements.Colours, alternating) << c.caption;
        EXPECT_EQ(barWidth * std::accumulate(elements.Modules.begin(), elements.Modules.end(), 0),
                  d.Symbology->GetCodeWidth())
            << "the painting is as wide as the code width says";
    }
}

TEST(ZanCode39Test, CharacterWithoutPatternIsASixteenModuleSpace) {
    TDrawing d;
    d.Symbology->SetDisplayCaption(false);
    d.SetRawCaption("\xC8");  // full ASCII switched off after validation
    // The start character and its gap, a 16-module space in place of a character with
    // its gap, then the stop character.
    std::vector<int> modules;
    Append(modules, StartStop);
    modules.push_back(1);
    modules.push_back(16);
    Append(modules, StartStop);
    const TElements elements = ElementsFromSvg(d.Svg(), 1);
    EXPECT_EQ(elements.Modules, modules);
    EXPECT_EQ(elements.Colours,
              "BSBSBSBSB"
              "SS"
              "BSBSBSBSB");
    EXPECT_EQ(d.Symbology->GetCodeWidth(), 16 * 2 + 15);
}

TEST(ZanCode39Test, AlignmentPlacesTheCode) {
    struct TCase {
        zan::platform::TAlignment alignment{};
        int firstBar{};  // canvas x of the start character's first bar
    };
    // Bounds 300 wide, margins 5: a code rectangle of 290, the default code 191 wide.
    const TCase cases[] = {
        {.alignment = zan::platform::taLeftJustify, .firstBar = 5},
        {.alignment = zan::platform::taRightJustify, .firstBar = 5 + 290 - 191},
        {.alignment = zan::platform::taCenter, .firstBar = 5 + 145 - 95},
    };
    for (const TCase& c : cases) {
        TDrawing d;
        d.Renderer.SetBoundsRect({0, 0, 300, 60});
        d.Symbology->SetDisplayCaption(false);
        d.Renderer.SetAlignment(c.alignment);
        const std::vector<zantest::TSvgRect> rects = zantest::ReadSvgRects(d.Svg());
        ASSERT_GE(rects.size(), 2u);
        EXPECT_EQ(rects[1].X, c.firstBar) << int(c.alignment);
        EXPECT_EQ(rects.back().X + rects.back().Width, c.firstBar + 191) << int(c.alignment);
    }
}

TEST(ZanCode39Test, CaptionBandShortensTheBars) {
    TDrawing d;
    d.Renderer.SetBoundsRect({0, 0, 300, 100});
    zan::platform::TFont font;
    font.SetName("Arial");
    font.SetHeight(-13);  // fixed metrics: a cell 13 pixels high
    d.Renderer.SetFont(font);
    d.Renderer.SetCaption("AB");
    const std::vector<zan::platform::TMetafileRecord> records = d.Records();
    const auto* text = std::get_if<zan::platform::TTextRecord>(&records.at(1));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text, "*AB*");
    // Paint area 5..95 high: the caption takes 95 - 13 - 1 = 81 to 95, the bars end at 80.
    EXPECT_EQ(text->Clip, (zan::platform::TRect{5, 81, 295, 95}));
    const auto* firstBar = std::get_if<zan::platform::TFillRectRecord>(&records.at(2));
    ASSERT_NE(firstBar, nullptr);
    EXPECT_EQ(firstBar->Rect, (zan::platform::TRect{5, 5, 6, 80}));

    d.Symbology->SetDisplayCaption(false);
    const std::vector<zan::platform::TMetafileRecord> bare = d.Records();
    const auto* fullBar = std::get_if<zan::platform::TFillRectRecord>(&bare.at(1));
    ASSERT_NE(fullBar, nullptr);
    EXPECT_EQ(fullBar->Rect, (zan::platform::TRect{5, 5, 6, 95}));
}

// PNGs drawn by the zanbarcode command and read back by zbarimg, which prints the
// characters in the bars as they are: full-ASCII pairs stay pairs ("+A"), and the
// check digit string is read as data.
TEST(ZanCode39Test, ZbarReadsTheDrawings) {
    struct TCase {
        std::string caption{};
        std::vector<std::string> settings{};
        std::string decoded{};
    };
    const TCase cases[] = {
        {.caption = "CODE 39 TEST", .decoded = "CODE-39:CODE 39 TEST"},
        {.caption = "hello world", .decoded = "CODE-39:HELLO WORLD"},
        {.caption = "abc-123", .settings = {"--set", "FullAscii=true"}, .decoded = "CODE-39:+A+B+C-123"},
        {.caption = "ZZ", .settings = {"--set", "UseCheckDigit=true"}, .decoded = "CODE-39:ZZ29"},
    };
    const int resolutions[] = {96, 300, 600};
    const std::string dir = zantest::TestOutputDir("ZanCode39Test.Zbar");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        for (std::size_t j = 0; j < std::size(resolutions); ++j) {
            // Two orientations an image, so that every resolution meets all four.
            for (const std::size_t turn : {(i + j) % 4, (i + j + 2) % 4}) {
                const TCase& c = cases[i];
                const std::string angle = std::to_string(90 * turn);
                const std::string png =
                    dir + "/" + std::to_string(i) + "-" + std::to_string(resolutions[j]) + "-" + angle + ".png";
                std::vector<std::string> arguments = {
                    "-s", "Code 39", "-r", std::to_string(resolutions[j]), "--orientation", angle, "-o", png};
                arguments.insert(arguments.end(), c.settings.begin(), c.settings.end());
                arguments.push_back(c.caption);
                const zantest::TCommandResult drawn = zantest::RunZanbarcode(arguments);
                ASSERT_EQ(drawn.ExitStatus, 0) << drawn.Errors;
                EXPECT_EQ(zantest::ScanWithZbar(png, {"-Sdisable", "-Scode39.enable"}),
                          std::vector<std::string>{c.decoded})
                    << png;
            }
        }
    }
}

}  // namespace
