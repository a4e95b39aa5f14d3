#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/Metafile.h>

// Text geometry below follows the fixed metrics of FixedMetricsFontEngine (FontEngine.h):
// for a font height of -H, ascent H - H/4, descent H/4, every character H/2 wide.

namespace zan::platform {
namespace {

// A reference device of a chosen resolution whose text metrics depend on nothing installed.
class TReference {
public:
    explicit TReference(int pixelsPerInch) {
        FBitmap.SetPixelsPerInch(pixelsPerInch);
        FBitmap.GetCanvas().SetFontEngine(FixedMetricsFontEngine());
    }
    TCanvas& Canvas() { return FBitmap.GetCanvas(); }

private:
    TBitmap FBitmap;
};

// Installs a font record with escapement on the canvas, the way a turned caption is drawn.
void InstallFont(TCanvas& canvas, const TLogFont& font) { canvas.GetFont().SetHandle(CreateFontIndirect(font)); }

const TTextRecord& TextRecordAt(const TMetafile& metafile, std::size_t index) {
    return std::get<TTextRecord>(metafile.Records().at(index));
}

// The lines of the SVG that hold a <text> element.
std::vector<std::string> TextLines(const std::string& svg) {
    std::vector<std::string> lines;
    std::istringstream in(svg);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("<text ")) lines.push_back(line);
    return lines;
}

TEST(MetafileTest, FillsBecomeRecordsWithResolvedColours) {
    TReference reference(96);
    TMetafile metafile;
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        canvas.GetBrush().SetColor(RgbColor(0x12, 0x34, 0x56));
        canvas.FillRect(Rect(1, 2, 5, 9));
        canvas.GetBrush().SetColor(clBtnFace);  // a system colour, recorded as F0 F0 F0
        canvas.FillRect(Rect(0, 0, 3, 3));
    }
    const std::vector<TMetafileRecord> expected = {
        TFillRectRecord{.Rect = Rect(1, 2, 5, 9), .Color = RgbColor(0x12, 0x34, 0x56)},
        TFillRectRecord{.Rect = Rect(0, 0, 3, 3), .Color = RgbColor(0xF0, 0xF0, 0xF0)},
    };
    ASSERT_EQ(metafile.Records().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::get<TFillRectRecord>(metafile.Records()[i]), std::get<TFillRectRecord>(expected[i]));
}

TEST(MetafileTest, EmptyFillsAndClearBrushesRecordNothing) {
    TMetafile metafile;
    {
        TReference reference(96);
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        for (const TRect& rect : {Rect(5, 5, 5, 9), Rect(5, 5, 9, 5), Rect(9, 5, 5, 9), Rect(5, 9, 9, 5)})
            canvas.FillRect(rect);
        canvas.GetBrush().SetStyle(bsClear);
        canvas.FillRect(Rect(0, 0, 4, 4));
    }
    EXPECT_TRUE(metafile.Records().empty());
}

TEST(MetafileTest, RecordsLandWhenTheCanvasIsDestroyed) {
    TReference reference(96);
    TMetafile metafile;
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        canvas.FillRect(Rect(0, 0, 2, 2));
        EXPECT_TRUE(metafile.Records().empty());
    }
    EXPECT_EQ(metafile.Records().size(), 1u);
    {
        // A second recording replaces the first one, also when it draws nothing.
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        EXPECT_EQ(metafile.Records().size(), 1u);
    }
    EXPECT_TRUE(metafile.Records().empty());
}

TEST(MetafileTest, ResolutionComesFromTheReferenceDevice) {
    TReference reference(300);
    TMetafile metafile;
    TMetafileCanvas canvas(metafile, &reference.Canvas());
    EXPECT_EQ(metafile.GetPixelsPerInch(), 300);
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsX), 300);
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsY), 300);
    EXPECT_EQ(canvas.GetFontEngine(), reference.Canvas().GetFontEngine());
}

TEST(MetafileTest, WithoutReferenceTheDeviceHas96PixelsPerInch) {
    TMetafile metafile;
    TMetafileCanvas canvas(metafile, nullptr);
    EXPECT_EQ(metafile.GetPixelsPerInch(), 96);
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsX), 96);
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsY), 96);
    EXPECT_NE(canvas.GetFontEngine(), nullptr);
}

TEST(MetafileTest, TextCallBecomesOneRecord) {
    TReference reference(96);
    TMetafile metafile;
    const TLogFont font{.Height = -20, .Escapement = 900, .Orientation = 900, .Weight = fwBold, .FaceName = "Arial"};
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        InstallFont(canvas, font);
        canvas.GetFont().SetColor(clWindowText);  // a system colour, recorded as black
        canvas.GetBrush().SetColor(RgbColor(1, 2, 3));
        canvas.SetTextAlign(TTextAlign::Bottom | TTextAlign::Center);
        canvas.TextRect(Rect(0, 0, 40, 30), 20, 25, "Hi");
        canvas.GetBrush().SetStyle(bsClear);
        canvas.TextRect(Rect(0, 0, 40, 30), 1, 2, "x");
    }
    ASSERT_EQ(metafile.Records().size(), 2u);
    const TTextRecord& opaque = TextRecordAt(metafile, 0);
    EXPECT_EQ(opaque.Clip, Rect(0, 0, 40, 30));
    EXPECT_EQ(opaque.Reference, Point(20, 25));
    EXPECT_EQ(opaque.TextAlign, TTextAlign::Bottom | TTextAlign::Center);
    EXPECT_EQ(opaque.Font, font);
    EXPECT_EQ(opaque.Color, clBlack);
    EXPECT_TRUE(opaque.Opaque);
    EXPECT_EQ(opaque.Background, RgbColor(1, 2, 3));
    EXPECT_EQ(opaque.Text, "Hi");
    EXPECT_FALSE(TextRecordAt(metafile, 1).Opaque);
    EXPECT_EQ(TextRecordAt(metafile, 1).Reference, Point(1, 2));
}

TEST(MetafileTest, PlayReproducesFillsAtTheSamePixels) {
    TReference reference(96);
    TMetafile metafile;
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        canvas.GetBrush().SetColor(clRed);
        canvas.FillRect(Rect(2, 1, 5, 4));
        canvas.GetBrush().SetColor(RgbColor(0, 0x80, 0));
        canvas.FillRect(Rect(4, 3, 7, 6));  // overlaps the first: later records paint over
    }
    TBitmap bitmap;
    bitmap.SetSize(8, 8);  // white
    metafile.Play(bitmap.GetCanvas());

    struct TPixel {
        int x, y;
        TColor color;
    };
    const TPixel pixels[] = {
        {.x = 2, .y = 1, .color = clRed},
        {.x = 4, .y = 2, .color = clRed},
        {.x = 3, .y = 3, .color = clRed},
        {.x = 4, .y = 3, .color = RgbColor(0, 0x80, 0)},
        {.x = 6, .y = 5, .color = RgbColor(0, 0x80, 0)},
        {.x = 1, .y = 1, .color = clWhite},
        {.x = 5, .y = 1, .color = clWhite},
        {.x = 2, .y = 0, .color = clWhite},
        {.x = 7, .y = 5, .color = clWhite},
        {.x = 6, .y = 6, .color = clWhite},
    };
    for (const TPixel& p : pixels) EXPECT_EQ(bitmap.GetPixel(p.x, p.y), p.color) << p.x << "," << p.y;
}

TEST(MetafileTest, PlayDrawsTextWithTheRecordedFont) {
    TReference reference(96);
    TMetafile metafile;
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        InstallFont(canvas, {.Height = -8, .FaceName = "Arial"});
        canvas.GetFont().SetColor(clRed);
        canvas.GetBrush().SetStyle(bsClear);
        canvas.TextRect(Rect(0, 0, 20, 20), 2, 3, "AB");
    }
    TBitmap bitmap;
    bitmap.SetSize(20, 20);
    bitmap.GetCanvas().SetFontEngine(FixedMetricsFontEngine());
    metafile.Play(bitmap.GetCanvas());
    // Height 8: two characters 4 wide, filled for the 6 rows of the ascent from the top
    // reference point (2, 3), so x 2..9 and y 3..8 are red and the rest stays white.
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 2 && x < 10 && y >= 3 && y < 9;
            EXPECT_EQ(bitmap.GetPixel(x, y), inside ? clRed : clWhite) << x << "," << y;
        }
}

TEST(MetafileTest, SvgHasOneExactRectPerFill) {
    TReference reference(96);
    TMetafile metafile;
    metafile.SetWidth(30);
    metafile.SetHeight(20);
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        canvas.GetBrush().SetColor(RgbColor(0x12, 0x34, 0x56));
        canvas.FillRect(Rect(1, 2, 5, 9));
        canvas.GetBrush().SetColor(clRed);  // 0x0000FF in TColor's BBGGRR order
        canvas.FillRect(Rect(-3, 0, 30, 20));
    }
    const std::string svg = metafile.ToSvg();
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"30\" height=\"20\" viewBox=\"0 0 30 20\">"),
              std::string::npos)
        << svg;
    EXPECT_TRUE(svg.ends_with("</svg>\n")) << svg;

    const std::regex rectPattern(
        R"re(<rect x="(-?\d+)" y="(-?\d+)" width="(\d+)" height="(\d+)" fill="(#[0-9A-F]{6})"/>)re");
    std::vector<std::string> rects;
    for (std::sregex_iterator it(svg.begin(), svg.end(), rectPattern), end; it != end; ++it)
        rects.push_back((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str() + " " + (*it)[4].str() + " " +
                        (*it)[5].str());
    EXPECT_EQ(rects, (std::vector<std::string>{"1 2 4 7 #123456", "-3 0 33 20 #FF0000"}));
}

TEST(MetafileTest, SvgTextFollowsAlignmentAndEscapement) {
    // Height -20: ascent 15, descent 5; "Hi" is 20 wide. The SVG y is the baseline.
    struct TCase {
        std::uint32_t align;
        std::int32_t escapement;
        std::string expected;
    };
    // The family is a quoted CSS string; its quotes are escaped for the XML attribute.
    const std::string attributes = "font-family=\"&apos;Arial&apos;\" font-size=\"20\"";
    const TCase cases[] = {
        {.align = TTextAlign::Left | TTextAlign::Top,
         .escapement = 0,
         .expected = "<text x=\"50\" y=\"55\" " + attributes +
                     " text-anchor=\"start\" fill=\"#000000\" xml:space=\"preserve\">Hi</text>"},
        {.align = TTextAlign::Right | TTextAlign::Baseline,
         .escapement = 0,
         .expected = "<text x=\"50\" y=\"40\" " + attributes +
                     " text-anchor=\"end\" fill=\"#000000\" xml:space=\"preserve\">Hi</text>"},
        {.align = TTextAlign::Center | TTextAlign::Bottom,
         .escapement = 0,
         .expected = "<text x=\"50\" y=\"35\" " + attributes +
                     " text-anchor=\"middle\" fill=\"#000000\" xml:space=\"preserve\">Hi</text>"},
        // Counter-clockwise escapement, clockwise SVG rotation about the reference point.
        {.align = TTextAlign::Center | TTextAlign::Bottom,
         .escapement = 900,
         .expected = "<text x=\"50\" y=\"35\" " + attributes +
                     " text-anchor=\"middle\" transform=\"rotate(-90 50 40)\" fill=\"#000000\" "
                     "xml:space=\"preserve\">Hi</text>"},
        {.align = TTextAlign::Left | TTextAlign::Baseline,
         .escapement = -450,
         .expected = "<text x=\"50\" y=\"40\" " + attributes +
                     " text-anchor=\"start\" transform=\"rotate(45 50 40)\" fill=\"#000000\" "
                     "xml:space=\"preserve\">Hi</text>"},
        {.align = TTextAlign::Left | TTextAlign::Baseline,
         .escapement = 2705,
         .expected = "<text x=\"50\" y=\"40\" " + attributes +
                     " text-anchor=\"start\" transform=\"rotate(-270.5 50 40)\" fill=\"#000000\" "
                     "xml:space=\"preserve\">Hi</text>"},
    };
    for (const TCase& c : cases) {
        TReference reference(96);
        TMetafile metafile;
        {
            TMetafileCanvas canvas(metafile, &reference.Canvas());
            InstallFont(canvas, {.Height = -20, .Escapement = c.escapement, .FaceName = "Arial"});
            canvas.GetFont().SetColor(clBlack);
            canvas.GetBrush().SetStyle(bsClear);
            canvas.SetTextAlign(c.align);
            canvas.TextRect(Rect(0, 0, 100, 80), 50, 40, "Hi");
        }
        EXPECT_EQ(TextLines(metafile.ToSvg()), std::vector<std::string>{c.expected})
            << "align " << c.align << ", escapement " << c.escapement;
    }
}

TEST(MetafileTest, SvgTextIsEscapedUtf8) {
    struct TCase {
        std::string text;
        std::string expected;
    };
    const TCase cases[] = {
        {.text = "a<b>&\"c'", .expected = "a&lt;b&gt;&amp;&quot;c&apos;"},
        // Windows-1252: 0x80 is the euro sign U+20AC, 0xE9 is U+00E9 (cp1252.txt).
        {.text = "\x80\xE9", .expected = "\xE2\x82\xAC\xC3\xA9"},
        // XML 1.0 allows no control characters but tab, line feed and carriage return.
        {.text = "a\x01\x1F"
                 "b",
         .expected = "ab"},
        {.text = "a\tb\n", .expected = "a&#9;b&#10;"},
    };
    for (const TCase& c : cases) {
        TReference reference(96);
        TMetafile metafile;
        {
            TMetafileCanvas canvas(metafile, &reference.Canvas());
            canvas.GetBrush().SetStyle(bsClear);
            canvas.TextRect(Rect(0, 0, 400, 80), 0, 0, c.text);
        }
        const std::vector<std::string> lines = TextLines(metafile.ToSvg());
        ASSERT_EQ(lines.size(), 1u) << c.text;
        EXPECT_TRUE(lines[0].ends_with(">" + c.expected + "</text>")) << lines[0];
    }
}

TEST(MetafileTest, SvgTextCarriesStyleAndFaceNames) {
    TReference reference(96);
    TMetafile metafile;
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        InstallFont(canvas, {.Height = -12, .Weight = fwBold, .Italic = true, .Underline = true, .FaceName = "O'Neil"});
        canvas.GetFont().SetColor(RgbColor(0xAA, 0xBB, 0xCC));
        canvas.GetBrush().SetStyle(bsClear);
        canvas.TextRect(Rect(0, 0, 100, 100), 10, 10, "x");
    }
    const std::vector<std::string> lines = TextLines(metafile.ToSvg());
    ASSERT_EQ(lines.size(), 1u);
    // The face name is a CSS string, its quote escaped, inside an XML attribute.
    EXPECT_NE(lines[0].find("font-family=\"&apos;O\\&apos;Neil&apos;\""), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" font-size=\"12\" font-weight=\"700\" font-style=\"italic\" "
                            "text-decoration=\"underline\" "),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find(" fill=\"#AABBCC\""), std::string::npos) << lines[0];
}

TEST(MetafileTest, SvgClipsTextThatReachesOutsideItsRectangle) {
    TReference reference(96);
    TMetafile metafile;
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        InstallFont(canvas, {.Height = -20, .FaceName = "Arial"});
        canvas.GetBrush().SetColor(RgbColor(0xFF, 0xFF, 0));
        // "Hi" covers x 10..30, y 10..30: inside the first rectangle, not the second.
        canvas.TextRect(Rect(10, 10, 30, 30), 10, 10, "Hi");
        canvas.TextRect(Rect(10, 10, 29, 30), 10, 10, "Hi");
        // Turned by 90 degrees about (10, 40) the box covers x 10..30, y 20..40.
        InstallFont(canvas, {.Height = -20, .Escapement = 900, .FaceName = "Arial"});
        canvas.TextRect(Rect(10, 20, 30, 40), 10, 40, "Hi");
    }
    const std::string svg = metafile.ToSvg();
    std::vector<std::string> lines;
    std::istringstream in(svg);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("<rect") || line.starts_with("<clipPath") || line.starts_with("<text"))
            lines.push_back(line.substr(0, line.find(" font-family")));
    // Opaque text: the background first, then the text; only the second one is clipped.
    const std::vector<std::string> expected = {
        "<rect x=\"10\" y=\"10\" width=\"20\" height=\"20\" fill=\"#FFFF00\"/>",
        "<text x=\"10\" y=\"25\"",
        "<rect x=\"10\" y=\"10\" width=\"19\" height=\"20\" fill=\"#FFFF00\"/>",
        "<clipPath id=\"clip1\"><rect x=\"10\" y=\"10\" width=\"19\" height=\"20\"/></clipPath>",
        "<text x=\"10\" y=\"25\"",
        "<rect x=\"10\" y=\"20\" width=\"20\" height=\"20\" fill=\"#FFFF00\"/>",
        "<text x=\"10\" y=\"55\"",
    };
    EXPECT_EQ(lines, expected) << svg;
    EXPECT_NE(TextLines(svg).at(1).find(" clip-path=\"url(#clip1)\""), std::string::npos) << svg;
}

TEST(MetafileTest, SaveToFileWritesTheSvg) {
    TReference reference(96);
    TMetafile metafile;
    metafile.SetWidth(4);
    metafile.SetHeight(4);
    {
        TMetafileCanvas canvas(metafile, &reference.Canvas());
        canvas.FillRect(Rect(0, 0, 4, 4));
    }
    // The process id keeps parallel runs of the suite apart; the upper-case extension
    // shows that letter case does not matter.
    const std::filesystem::path file =
        std::filesystem::path(testing::TempDir()) / ("MetafileTest" + std::to_string(::getpid()) + ".SVG");
    metafile.SaveToFile(file.string());
    std::ostringstream written;
    written << std::ifstream(file, std::ios::binary).rdbuf();
    EXPECT_EQ(written.str(), metafile.ToSvg());
    std::filesystem::remove(file);
}

TEST(MetafileTest, SaveToFileRefusesOtherExtensionsAndUnwritableFiles) {
    TMetafile metafile;
    const std::filesystem::path directory = testing::TempDir();
    for (const std::string name : {"MetafileTest.png", "MetafileTest.emf", "MetafileTest", "MetafileTest.svg.txt"}) {
        EXPECT_THROW(metafile.SaveToFile((directory / name).string()), EInOutError) << name;
        EXPECT_FALSE(std::filesystem::exists(directory / name)) << name;
    }
    EXPECT_THROW(metafile.SaveToFile((directory / "no such folder" / "x.svg").string()), EInOutError);
    // The system would stop at the NUL and write "MetafileTest" instead.
    for (const std::string extension : {".svg", ".pdf", ".eps"}) {
        const std::string withNul = (directory / "MetafileTest").string() + std::string(1, '\0') + extension;
        try {
            metafile.SaveToFile(withNul);
            ADD_FAILURE() << "a name holding a NUL byte was taken: " << extension;
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), "Cannot write the file '" + withNul + "': a file name cannot hold a NUL byte");
        }
        EXPECT_FALSE(std::filesystem::exists(directory / "MetafileTest")) << extension;
    }
    try {
        metafile.SaveToFile("picture.png");
        FAIL() << "saved a metafile as PNG";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.Message().find("picture.png"), std::string::npos) << e.Message();
    }
}

TEST(MetafileTest, SaveToFileRaisesWhenTheDataCannotBeWritten) {
    // /dev/full accepts the file but refuses its bytes: the save must not pass for done.
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    const std::filesystem::path link =
        std::filesystem::path(testing::TempDir()) / ("MetafileTest" + std::to_string(::getpid()) + "-full.svg");
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/dev/full", link);
    TMetafile metafile;
    EXPECT_THROW(metafile.SaveToFile(link.string()), EInOutError);
    std::filesystem::remove(link);
}

TEST(MetafileTest, SaveToFileLeavesAFolderOfThatNameAlone) {
    const std::filesystem::path folder =
        std::filesystem::path(testing::TempDir()) / ("MetafileTest" + std::to_string(::getpid()) + "-folder.svg");
    std::filesystem::create_directory(folder);
    TMetafile metafile;
    EXPECT_THROW(metafile.SaveToFile(folder.string()), EInOutError);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    std::filesystem::remove(folder);
}

TEST(MetafileTest, AssignCopiesAnotherMetafile) {
    TReference reference(120);
    TMetafile source;
    source.SetWidth(7);
    source.SetHeight(9);
    {
        TMetafileCanvas canvas(source, &reference.Canvas());
        canvas.FillRect(Rect(0, 0, 1, 1));
        canvas.TextRect(Rect(0, 0, 7, 9), 0, 0, "t");
    }
    TMetafile copy;
    copy.Assign(source);
    EXPECT_EQ(copy.GetWidth(), 7);
    EXPECT_EQ(copy.GetHeight(), 9);
    EXPECT_EQ(copy.GetPixelsPerInch(), 120);
    EXPECT_EQ(copy.Records().size(), 2u);
    EXPECT_EQ(copy.ToSvg(), source.ToSvg());
}

TEST(MetafileTest, AssignFromAnotherClassIsAnAssignmentError) {
    TMetafile metafile;
    TBitmap bitmap;
    try {
        metafile.Assign(bitmap);
        FAIL() << "assigned a bitmap to a metafile";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TBitmap to a TMetafile.");
    }
}

}  // namespace
}  // namespace zan::platform
