#include <zanbarcode/platform/FontEngine.h>

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace zan::platform {
namespace {

TLogFont Font(const std::string& face, std::int32_t height, std::int32_t weight = fwNormal, bool italic = false) {
    TLogFont font;
    font.FaceName = face;
    font.Height = height;
    font.Weight = weight;
    font.Italic = italic;
    return font;
}

// A property of the face that fontconfig itself matches for a family: the oracle for the
// TrueType flag (FC_FONTFORMAT: "TrueType", "CFF", "Type 1", "PCF", ...) and for the file
// of the face (FC_FILE).
std::string FontconfigString(const std::string& family, const char* object) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    std::string text;
    FcChar8* value = nullptr;
    if (match && FcPatternGetString(match, object, 0, &value) == FcResultMatch)
        text = reinterpret_cast<const char*>(value);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return text;
}

// How many mappings of font files the process holds: FreeType maps the file of every
// face it opens, so this counts the faces an engine keeps open.
int MappedFontFiles() {
    std::ifstream maps("/proc/self/maps");
    int count = 0;
    for (std::string line; std::getline(maps, line);)
        if (line.find("/fonts/") != std::string::npos) ++count;
    return count;
}

// ---------------------------------------------------------------------------------------
// Windows-1252

TEST(Cp1252Test, CodePoints) {
    // From the Unicode Consortium's mapping table MAPPINGS/VENDORS/MICSFT/WINDOWS/CP1252.TXT;
    // the five bytes it leaves undefined keep their ISO 8859-1 code points.
    struct Case {
        unsigned char byte;
        char32_t codePoint;
    };
    const Case cases[] = {
        {.byte = 0x00, .codePoint = 0x0000}, {.byte = 0x41, .codePoint = 0x0041}, {.byte = 0x7F, .codePoint = 0x007F},
        {.byte = 0x80, .codePoint = 0x20AC}, {.byte = 0x81, .codePoint = 0x0081}, {.byte = 0x82, .codePoint = 0x201A},
        {.byte = 0x83, .codePoint = 0x0192}, {.byte = 0x8A, .codePoint = 0x0160}, {.byte = 0x8C, .codePoint = 0x0152},
        {.byte = 0x8D, .codePoint = 0x008D}, {.byte = 0x8E, .codePoint = 0x017D}, {.byte = 0x8F, .codePoint = 0x008F},
        {.byte = 0x90, .codePoint = 0x0090}, {.byte = 0x91, .codePoint = 0x2018}, {.byte = 0x96, .codePoint = 0x2013},
        {.byte = 0x97, .codePoint = 0x2014}, {.byte = 0x98, .codePoint = 0x02DC}, {.byte = 0x99, .codePoint = 0x2122},
        {.byte = 0x9C, .codePoint = 0x0153}, {.byte = 0x9D, .codePoint = 0x009D}, {.byte = 0x9E, .codePoint = 0x017E},
        {.byte = 0x9F, .codePoint = 0x0178}, {.byte = 0xA0, .codePoint = 0x00A0}, {.byte = 0xE9, .codePoint = 0x00E9},
        {.byte = 0xFF, .codePoint = 0x00FF},
    };
    for (const Case& c : cases) EXPECT_EQ(Cp1252ToCodePoint(c.byte), c.codePoint) << "byte " << int{c.byte};
}

TEST(Cp1252Test, Utf8) {
    // UTF-8 byte sequences as RFC 3629 encodes the code points of CP1252.TXT.
    struct Case {
        std::string cp1252;
        std::string utf8;
    };
    const Case cases[] = {
        {.cp1252 = "", .utf8 = ""},
        {.cp1252 = "Code 128", .utf8 = "Code 128"},
        {.cp1252 = "\xE9t\xE9", .utf8 = "\xC3\xA9t\xC3\xA9"},
        {.cp1252 = "\x80", .utf8 = "\xE2\x82\xAC"},
        {.cp1252 = "A\x99", .utf8 = "A\xE2\x84\xA2"},
        {.cp1252 = "\x81\x9D", .utf8 = "\xC2\x81\xC2\x9D"},
        {.cp1252 = std::string("\0\xFF", 2), .utf8 = std::string("\0\xC3\xBF", 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
}

// ---------------------------------------------------------------------------------------
// Fixed metrics

TEST(FixedMetricsFontEngineTest, MetricsFollowTheDocumentedFormula) {
    // Ascent H - H/4, descent H/4, advance max(1, H/2), worked out by hand.
    struct Case {
        std::int32_t height;
        int ascent;
        int descent;
        int advance;
    };
    const Case cases[] = {
        {.height = 0, .ascent = 12, .descent = 4, .advance = 8},     // the default of 16
        {.height = -20, .ascent = 15, .descent = 5, .advance = 10},  // em height
        {.height = 20, .ascent = 15, .descent = 5, .advance = 10},   // cell height: the same here
        {.height = -13, .ascent = 10, .descent = 3, .advance = 6},
        {.height = -3, .ascent = 3, .descent = 0, .advance = 1},
        {.height = -1, .ascent = 1, .descent = 0, .advance = 1},                // never narrower than a pixel
        {.height = INT_MIN, .ascent = 3072, .descent = 1024, .advance = 2048},  // limited to 4096
    };
    TFixedMetricsFontEngine engine;
    for (const Case& c : cases) {
        const TLogFont font = Font("Arial", c.height);
        const TFontMetrics metrics = engine.GetMetrics(font);
        EXPECT_EQ(metrics.Ascent, c.ascent) << c.height;
        EXPECT_EQ(metrics.Descent, c.descent) << c.height;
        EXPECT_EQ(engine.GetTextWidth(font, "AB"), 2 * c.advance) << c.height;
    }
}

TEST(FixedMetricsFontEngineTest, ControlCharactersHaveNoAdvance) {
    TFixedMetricsFontEngine engine;
    const TLogFont font = Font("Arial", -20);
    EXPECT_EQ(engine.GetTextWidth(font, "A\tB\r\n"), 20);
    EXPECT_EQ(engine.GetTextWidth(font, std::string("\0\x1F", 2)), 0);
    EXPECT_EQ(engine.GetTextWidth(font, " \x7F\x80\xFF"), 40);
}

TEST(FixedMetricsFontEngineTest, WidthOfAnEndlessTextSaturates) {
    // At the largest height every character advances 2048 pixels: 2^20 - 1 of them are
    // 2^31 - 2048 pixels, one more passes the int range and reads as the largest width.
    TFixedMetricsFontEngine engine;
    const TLogFont font = Font("Arial", -MaxFontPixelHeight);
    EXPECT_EQ(engine.GetTextWidth(font, std::string((1 << 20) - 1, 'A')), INT_MAX - 2047);
    EXPECT_EQ(engine.GetTextWidth(font, std::string((1 << 20) + 1, 'A')), INT_MAX);
    EXPECT_EQ(engine.GetTextWidth(font, std::string(3 << 20, 'A')), INT_MAX);
}

TEST(FixedMetricsFontEngineTest, BitmapFacesAreNotTrueType) {
    struct Case {
        std::string face;
        bool trueType;
    };
    const Case cases[] = {
        {.face = "System", .trueType = false},        {.face = "MS Sans Serif", .trueType = false},
        {.face = "ms sans serif", .trueType = false}, {.face = "Fixedsys", .trueType = false},
        {.face = "TERMINAL", .trueType = false},      {.face = "Small Fonts", .trueType = false},
        {.face = "Courier", .trueType = false},       {.face = "Courier New", .trueType = true},
        {.face = "Arial", .trueType = true},          {.face = "", .trueType = true},
    };
    TFixedMetricsFontEngine engine;
    for (const Case& c : cases) EXPECT_EQ(engine.GetMetrics(Font(c.face, -12)).TrueType, c.trueType) << c.face;
    EXPECT_EQ(engine.ResolveFamily(Font("Courier New", -12)), "Courier New");
}

// The whole box of a text, as a window.
const TRect Everything = Rect(0, 0, INT_MAX, INT_MAX);

TEST(FixedMetricsFontEngineTest, RenderFillsTheCellAboveTheBaseline) {
    TFixedMetricsFontEngine engine;
    // Cells of 10 by 20, baseline 15 rows down: "A" at x 0..9, a space at 10..19,
    // nothing for the tab, "B" at 20..29.
    const TTextMask mask = engine.Render(Font("Arial", -20), "A \tB", Everything);
    ASSERT_EQ(mask.Bounds, Rect(0, 0, 30, 20));
    ASSERT_EQ(mask.Coverage.size(), 600u);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool inked = y < 15 && (x < 10 || x >= 20);
            EXPECT_EQ(mask.At(x, y), inked ? 255 : 0) << x << "," << y;
        }
}

TEST(FixedMetricsFontEngineTest, RenderKeepsToTheWindow) {
    // The same text: windows are cut to the 30 x 20 box and hold just their pixels.
    struct Case {
        TRect window;
        TRect bounds;
    };
    const Case cases[] = {
        {.window = Rect(5, 10, 25, 18), .bounds = Rect(5, 10, 25, 18)},
        {.window = Rect(-7, -3, 12, 40), .bounds = Rect(0, 0, 12, 20)},
        {.window = Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), .bounds = Rect(0, 0, 30, 20)},
        {.window = Rect(30, 0, 40, 20), .bounds = Rect(0, 0, 0, 0)},  // beside the box
        {.window = Rect(0, 20, 30, 25), .bounds = Rect(0, 0, 0, 0)},  // below it
        {.window = Rect(12, 5, 8, 15), .bounds = Rect(0, 0, 0, 0)},   // inverted
    };
    TFixedMetricsFontEngine engine;
    for (const Case& c : cases) {
        const TTextMask mask = engine.Render(Font("Arial", -20), "A \tB", c.window);
        EXPECT_EQ(mask.Bounds, c.bounds);
        ASSERT_EQ(mask.Coverage.size(), static_cast<std::size_t>(c.bounds.Width()) * c.bounds.Height());
        for (int y = c.bounds.Top; y < c.bounds.Bottom; ++y)
            for (int x = c.bounds.Left; x < c.bounds.Right; ++x)
                EXPECT_EQ(mask.At(x, y), y < 15 && (x < 10 || x >= 20) ? 255 : 0) << x << "," << y;
    }
    // A window at the far end of an endless text: 2^21 cells of 2048 pixels.
    const TLogFont huge = Font("Arial", -MaxFontPixelHeight);
    const TTextMask far = engine.Render(huge, std::string(1 << 21, 'A'), Rect(INT_MAX - 100, 3000, INT_MAX, 3100));
    EXPECT_EQ(far.Bounds, Rect(INT_MAX - 100, 3000, INT_MAX, 3100));  // the width saturates at INT_MAX
    // Ink ends at the baseline, 3072 rows down.
    EXPECT_EQ(far.At(INT_MAX - 1, 3071), 255);
    EXPECT_EQ(far.At(INT_MAX - 1, 3072), 0);
}

// ---------------------------------------------------------------------------------------
// FreeType and fontconfig

TEST(FreeTypeFontEngineTest, MetricCompatibleFamiliesStandInForTheWindowsCoreFonts) {
    // fontconfig's 30-metric-aliases.conf maps the Windows core fonts to the Liberation
    // families that Debian's fonts-liberation installs.
    struct Case {
        std::string face;
        std::int32_t weight;
        bool italic;
        std::string family;
    };
    const Case cases[] = {
        {.face = "Arial", .weight = fwNormal, .italic = false, .family = "Liberation Sans"},
        {.face = "Arial", .weight = fwBold, .italic = true, .family = "Liberation Sans"},
        {.face = "Courier New", .weight = fwNormal, .italic = false, .family = "Liberation Mono"},
        {.face = "Times New Roman", .weight = fwNormal, .italic = false, .family = "Liberation Serif"},
    };
    const auto engine = FreeTypeFontEngine();
    for (const Case& c : cases)
        EXPECT_EQ(engine->ResolveFamily(Font(c.face, -12, c.weight, c.italic)), c.family) << c.face;
}

TEST(FreeTypeFontEngineTest, ResolvesTheFileOfTheFaceItDrawsWith) {
    TFreeTypeFontEngine engine;
    for (const std::string family : {"Arial", "Courier New", "DejaVu Sans"}) {
        const TFontFile file = engine.ResolveFile(Font(family, -12));
        EXPECT_EQ(file.Path, FontconfigString(family, FC_FILE)) << family;
        EXPECT_EQ(file.Index, 0) << family;
    }
    // Bold asks fontconfig for another face of the family.
    EXPECT_NE(engine.ResolveFile(Font("Arial", -12, fwBold)).Path, engine.ResolveFile(Font("Arial", -12)).Path);
    // A family that is not installed still resolves to the face that stands in for it.
    EXPECT_FALSE(engine.ResolveFile(Font("No Such Family 4711", -12)).Path.empty());
}

TEST(FreeTypeFontEngineTest, IsOneSharedEngine) { EXPECT_EQ(FreeTypeFontEngine(), FreeTypeFontEngine()); }

TEST(FreeTypeFontEngineTest, TrueTypeFlagAgreesWithTheFormatFontconfigReports) {
    const auto engine = FreeTypeFontEngine();
    bool sawOther = false;
    for (const std::string family : {"Arial", "Courier New", "DejaVu Sans", "Nimbus Sans", "URW Gothic", "C059"}) {
        const std::string format = FontconfigString(family, FC_FONTFORMAT);
        sawOther = sawOther || format != "TrueType";
        EXPECT_EQ(engine->GetMetrics(Font(family, -12)).TrueType, format == "TrueType") << family << ": " << format;
    }
    EXPECT_TRUE(engine->GetMetrics(Font("Arial", -12)).TrueType);
    if (!sawOther) GTEST_SKIP() << "no CFF or Type 1 face installed to show the flag cleared";
}

TEST(FreeTypeFontEngineTest, HeightsFollowTheGdiRules) {
    // Liberation Sans: unitsPerEm 2048, usWinAscent 1854, usWinDescent 434 (read from its
    // head and OS/2 tables with a separate table dump). At an em of 2048 pixels one font
    // unit is one pixel; a positive height is the cell height, so 2288 gives the same font.
    const auto engine = FreeTypeFontEngine();
    for (const std::int32_t height : {-2048, 2288}) {
        const TFontMetrics metrics = engine->GetMetrics(Font("Arial", height));
        EXPECT_EQ(metrics.Ascent, 1854) << height;
        EXPECT_EQ(metrics.Descent, 434) << height;
    }
    // Any positive height is the whole cell.
    for (const std::int32_t height : {7, 13, 20, 33, 100}) {
        const TFontMetrics metrics = engine->GetMetrics(Font("Courier New", height));
        EXPECT_EQ(metrics.Ascent + metrics.Descent, height) << height;
    }
}

TEST(FreeTypeFontEngineTest, AdvancesComeFromTheFontAndCp1252) {
    // Advances in Liberation Sans's hmtx table (2048 units an em, read with a separate
    // table dump): "A" 1366, the euro sign U+20AC 1139, the trade mark sign U+2122 2048;
    // U+0080, which a byte-for-code-point reading would ask for, is .notdef at 748.
    const auto engine = FreeTypeFontEngine();
    const TLogFont font = Font("Arial", -2048);
    EXPECT_EQ(engine->GetTextWidth(font, "A"), 1366);
    EXPECT_EQ(engine->GetTextWidth(font, "\x80"), 1139);
    EXPECT_EQ(engine->GetTextWidth(font, "\x99"), 2048);
    EXPECT_EQ(engine->GetTextWidth(font, "A\x80\x99"), 1366 + 1139 + 2048);
}

TEST(FreeTypeFontEngineTest, WidthOfAnEndlessTextSaturates) {
    // "A" advances 1366 units of Liberation Sans's 2048 an em (hmtx, as above), so 2732
    // pixels at an em of 4096: 786060 of them are 2147515920 pixels, past the int range.
    const auto engine = FreeTypeFontEngine();
    const TLogFont font = Font("Arial", -MaxFontPixelHeight);
    EXPECT_EQ(engine->GetTextWidth(font, std::string(786000, 'A')), 786000 * 2732);
    EXPECT_EQ(engine->GetTextWidth(font, std::string(786060, 'A')), INT_MAX);
}

TEST(FreeTypeFontEngineTest, ControlCharactersAreNotDrawn) {
    const auto engine = FreeTypeFontEngine();
    const TLogFont font = Font("Arial", -20);
    EXPECT_EQ(engine->GetTextWidth(font, "A\tB\r\n"), engine->GetTextWidth(font, "AB"));
    const TTextMask mask = engine->Render(font, "\x01\x1F", Everything);
    EXPECT_EQ(mask.Bounds, Rect(0, 0, 0, 0));
    EXPECT_TRUE(mask.Coverage.empty());
}

TEST(FreeTypeFontEngineTest, RenderGivesAnAntiAliasedMaskOfTheAdvance) {
    const auto engine = FreeTypeFontEngine();
    const TLogFont font = Font("Arial", -40);
    const TFontMetrics metrics = engine->GetMetrics(font);
    const int height = metrics.Ascent + metrics.Descent;
    const TTextMask mask = engine->Render(font, "O.", Everything);
    EXPECT_EQ(mask.Bounds, Rect(0, 0, engine->GetTextWidth(font, "O."), height));
    ASSERT_EQ(mask.Coverage.size(), static_cast<std::size_t>(mask.Bounds.Width()) * height);
    // The curve of "O" has partly covered pixels; a monochrome rendering would have none.
    EXPECT_TRUE(std::any_of(mask.Coverage.begin(), mask.Coverage.end(), [](auto v) { return v > 0 && v < 255; }));
    // The full stop sits on the baseline: ink in its column just above the baseline and
    // none in the top half of the cell.
    const int stopX = engine->GetTextWidth(font, "O") + engine->GetTextWidth(font, ".") / 2;
    int inkAbove = 0;
    int inkTop = 0;
    for (int y = 0; y < height; ++y) {
        if (y < height / 2) inkTop += mask.At(stopX, y);
        if (y >= metrics.Ascent - 3 && y < metrics.Ascent) inkAbove += mask.At(stopX, y);
    }
    EXPECT_GT(inkAbove, 0);
    EXPECT_EQ(inkTop, 0);
    // A space has an advance but no ink.
    const TTextMask space = engine->Render(font, " ", Everything);
    EXPECT_GT(space.Bounds.Width(), 0);
    EXPECT_TRUE(std::all_of(space.Coverage.begin(), space.Coverage.end(), [](auto v) { return v == 0; }));
}

TEST(FreeTypeFontEngineTest, RenderKeepsToTheWindowAndDrawsTheSamePixelsThere) {
    // Any window of the box holds exactly the pixels of the whole mask there: glyphs cut
    // by the window, reaching into it from outside (the descender of "j" and "y", the
    // overhang of the italic "f"), or lying wholly outside it.
    const auto engine = FreeTypeFontEngine();
    for (const TLogFont& font : {Font("Arial", -40), Font("Times New Roman", 33, fwBold, true)}) {
        const std::string text = "AVjy f\x80";
        const TTextMask whole = engine->Render(font, text, Everything);
        const TRect box = whole.Bounds;
        ASSERT_GT(box.Width(), 50);
        for (const TRect& window :
             {Rect(3, 5, 41, 29), Rect(box.Right / 2, box.Bottom - 9, box.Right - 1, box.Bottom + 50),
              Rect(-20, -20, 1, 1), Rect(box.Right - 1, 0, box.Right + 1, 1), Rect(17, 0, 18, box.Bottom)}) {
            SCOPED_TRACE(testing::Message() << font.FaceName << " in " << window.Left << "," << window.Top << ","
                                            << window.Right << "," << window.Bottom);
            const TTextMask part = engine->Render(font, text, window);
            const TRect bounds{std::max(window.Left, 0), std::max(window.Top, 0), std::min(window.Right, box.Right),
                               std::min(window.Bottom, box.Bottom)};
            EXPECT_EQ(part.Bounds, bounds);
            ASSERT_EQ(part.Coverage.size(), static_cast<std::size_t>(bounds.Width()) * bounds.Height());
            for (int y = bounds.Top; y < bounds.Bottom; ++y)
                for (int x = bounds.Left; x < bounds.Right; ++x)
                    ASSERT_EQ(part.At(x, y), whole.At(x, y)) << x << "," << y;
        }
    }
}

TEST(FreeTypeFontEngineTest, KeepsOnlyTheRecentlyUsedFacesOpen) {
    // Each new family name opens a face; only the last few stay open, and a family asked
    // for again after its face was closed still resolves and measures the same.
    TFreeTypeFontEngine engine;
    const TLogFont arial = Font("Arial", -2048);
    ASSERT_EQ(engine.GetTextWidth(arial, "A"), 1366);  // see AdvancesComeFromTheFontAndCp1252
    const int mappedBefore = MappedFontFiles();
    ASSERT_GT(mappedBefore, 0) << "no font file mapping seen in /proc/self/maps";
    for (int i = 0; i < 200; ++i) engine.GetTextWidth(Font("No Such Family " + std::to_string(i), -12), "A");
    EXPECT_LE(MappedFontFiles() - mappedBefore, static_cast<int>(MaxOpenFaces));
    EXPECT_EQ(engine.ResolveFamily(arial), "Liberation Sans");
    EXPECT_EQ(engine.GetTextWidth(arial, "A"), 1366);
    EXPECT_EQ(engine.GetMetrics(arial).Ascent, 1854);
}

// What an engine answers for a font and text: metrics, width, and the masks of the whole
// box and of a window that cuts glyphs.
struct TAnswer {
    TFontMetrics Metrics;
    int Width = 0;
    TTextMask Whole;
    TTextMask Part;
};

bool operator==(const TTextMask& a, const TTextMask& b) { return a.Bounds == b.Bounds && a.Coverage == b.Coverage; }

bool operator==(const TAnswer& a, const TAnswer& b) {
    return a.Metrics.Ascent == b.Metrics.Ascent && a.Metrics.Descent == b.Metrics.Descent &&
           a.Metrics.TrueType == b.Metrics.TrueType && a.Width == b.Width && a.Whole == b.Whole && a.Part == b.Part;
}

TAnswer Ask(TFontEngine& engine, const TLogFont& font) {
    const std::string text = "AVjy f\x80 0123";
    return {.Metrics = engine.GetMetrics(font),
            .Width = engine.GetTextWidth(font, text),
            .Whole = engine.Render(font, text, Everything),
            .Part = engine.Render(font, text, Rect(5, 3, 37, 21))};
}

TEST(FreeTypeFontEngineTest, CachedAndConcurrentAnswersAreThoseOfAFreshEngine) {
    // The engine keeps faces, metrics, advances and glyph coverage by face and height.
    // Whatever it was asked before, and however many threads ask at once, it answers
    // exactly as an engine asked for the first time: heights of one face alternating,
    // more heights than it keeps, a positive (cell) height, another face, a face that is
    // not installed, and glyphs too large to keep.
    std::vector<TLogFont> fonts = {Font("Arial", -40),
                                   Font("Arial", 33),
                                   Font("Times New Roman", -25, fwBold, true),
                                   Font("Courier New", -12),
                                   Font("No Such Family 4711", -20),
                                   Font("DejaVu Sans", -700)};
    for (int height = 10; height < 10 + 2 * static_cast<int>(MaxCachedSizes); ++height)
        fonts.push_back(Font("Arial", -height));
    std::vector<TAnswer> expected;
    for (const TLogFont& font : fonts) {
        TFreeTypeFontEngine fresh;
        expected.push_back(Ask(fresh, font));
    }
    ASSERT_GT(expected.back().Width, 0);
    ASSERT_TRUE(std::any_of(expected.front().Whole.Coverage.begin(), expected.front().Whole.Coverage.end(),
                            [](auto v) { return v > 0; }));

    TFreeTypeFontEngine shared;
    // Every height measured before any glyph is loaded, then asked in the other order.
    for (std::size_t i = 0; i < fonts.size(); ++i)
        EXPECT_EQ(shared.GetMetrics(fonts[i]).Ascent, expected[i].Metrics.Ascent);
    for (std::size_t i = fonts.size(); i-- > 0;)
        EXPECT_TRUE(Ask(shared, fonts[i]) == expected[i]) << fonts[i].FaceName << " " << fonts[i].Height;
    std::atomic<int> wrong = 0;
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            // Each thread in its own order, so that the threads change heights under one another.
            for (std::size_t round = 0; round < 3 * fonts.size(); ++round) {
                const std::size_t i = (round * (2 * t + 1) + t) % fonts.size();
                if (!(Ask(shared, fonts[i]) == expected[i])) ++wrong;
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, 0);
}

TEST(FreeTypeFontEngineTest, UnknownFamiliesAndAbsurdHeightsStillMeasure) {
    const auto engine = FreeTypeFontEngine();
    const TLogFont unknown = Font("No Such Family 4711", -20);
    EXPECT_FALSE(engine->ResolveFamily(unknown).empty());
    EXPECT_GT(engine->GetTextWidth(unknown, "ABC"), 0);
    const TFontMetrics huge = engine->GetMetrics(Font("Arial", INT_MIN));
    EXPECT_GT(huge.Ascent, 0);
    EXPECT_LE(huge.Ascent + huge.Descent, 2 * MaxFontPixelHeight);
    const TFontMetrics tiny = engine->GetMetrics(Font("Arial", 1));
    EXPECT_EQ(tiny.Ascent + tiny.Descent, 1);
}

}  // namespace
}  // namespace zan::platform
