// The barcode picture: sizes, outputs, settings by name, refusals, and what a scanner reads.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <zanbarcode/barcode/ZanBarcode.h>
#include <zanbarcode/platform/FontEngine.h>
#include "tests/support/TestSupport.h"

namespace {

using namespace zan;
namespace fs = std::filesystem;

// "Hello" in Code 128 set B (ISO/IEC 15417): start B, five data symbols and the check
// symbol of 11 modules each, and the stop pattern of 13.
constexpr int HelloModules = 11 + 5 * 11 + 11 + 13;
static_assert(HelloModules == 90);
constexpr int QuietZone = 10;  // modules on either side
// Bars and spaces drawn for it: three bars in every symbol, four in the stop pattern.
constexpr int HelloBars = 7 * 3 + 4;

// The kind and message of what Action raises, "" when it raises nothing.
template <class Action>
std::string Failure(Action action) {
    try {
        action();
    } catch (const EInvalidText& e) {
        return "EInvalidText: " + e.Message();
    } catch (const ESymbologyError& e) {
        return "ESymbologyError: " + e.Message();
    } catch (const EZanBarcodeError& e) {
        return "EZanBarcodeError: " + e.Message();
    } catch (const platform::EConvertError& e) {
        return "EConvertError: " + e.Message();
    } catch (const platform::EInOutError& e) {
        return "EInOutError: " + e.Message();
    }
    return "";
}

// A bitmap whose text has fixed metrics, so that every pixel of the caption is known.
void UseFixedMetrics(platform::TBitmap& bitmap) {
    bitmap.GetCanvas().SetFontEngine(platform::FixedMetricsFontEngine());
}

// Whether Part shows the same pixels as Whole from (Left, Top) on.
bool ShowsAt(const platform::TBitmap& whole, int left, int top, const platform::TBitmap& part) {
    for (int y = 0; y < part.GetHeight(); ++y)
        for (int x = 0; x < part.GetWidth(); ++x)
            if (whole.GetPixel(left + x, top + y) != part.GetPixel(x, y)) return false;
    return true;
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ZanBarcodePictureTest, BitmapSizeComesFromModulesBarLengthCaptionAndMargins) {
    // 8 points at 300 pixels per inch are 33 pixels (2400 / 72, rounded), which the fixed
    // metrics make the caption's height; the linear symbologies' caption band takes that
    // height and 2 pixels more from the bars.
    constexpr int Caption300 = 33 + 2;
    constexpr int Caption96 = 11 + 2;  // 8 points at 96 pixels per inch: 768 / 72, rounded
    struct TCase {
        TZanBarcodePicture picture{};
        int width = 0;
        int height = 0;
    };
    const TZanBarcodePicture hello{.Symbology = "Code 128", .Caption = "Hello", .Dpi = 300};
    const auto with = [&hello](auto change) {
        TZanBarcodePicture picture = hello;
        change(picture);
        return picture;
    };
    const TCase cases[] = {
        // Modules of 3 pixels; bars half an inch (150 pixels) long; 5 pixels above and below.
        {.picture = hello, .width = 3 * (QuietZone + HelloModules + QuietZone), .height = 5 + 150 + Caption300 + 5},
        {.picture = with([](TZanBarcodePicture& p) {
             p.Settings = {{"DisplayCaption", "False"}};
         }),
         .width = 330,
         .height = 5 + 150 + 5},
        // XDimension 20: modules of 300 * 20 / 1000 = 6 pixels.
        {.picture = with([](TZanBarcodePicture& p) {
             p.Settings = {{"XDimension", "20"}};
         }),
         .width = 6 * (QuietZone + HelloModules + QuietZone),
         .height = 5 + 150 + Caption300 + 5},
        {.picture = with([](TZanBarcodePicture& p) {
             p.BarLength = 100;
             p.Margins = TZanPictureMargins{1, 2, 3, 4};
         }),
         .width = 1 + 3 * HelloModules + 3,
         .height = 2 + 100 + Caption300 + 4},
        // 96 pixels per inch: modules of 1 pixel, bars of 48.
        {.picture = with([](TZanBarcodePicture& p) { p.Dpi = 96; }),
         .width = QuietZone + HelloModules + QuietZone,
         .height = 5 + 48 + Caption96 + 5},
        // Turned: width and height swap, the quiet zones go to the top and the bottom.
        {.picture = with([](TZanBarcodePicture& p) { p.Orientation = bo90Degrees; }),
         .width = 5 + 150 + Caption300 + 5,
         .height = 330},
        {.picture = with([](TZanBarcodePicture& p) { p.Orientation = bo180Degrees; }),
         .width = 330,
         .height = 5 + 150 + Caption300 + 5},
        {.picture = with([](TZanBarcodePicture& p) { p.Orientation = bo270Degrees; }),
         .width = 5 + 150 + Caption300 + 5,
         .height = 330},
    };
    for (const TCase& c : cases) {
        platform::TBitmap bitmap;
        UseFixedMetrics(bitmap);
        c.picture.CopyToBitmap(bitmap);
        EXPECT_EQ(bitmap.GetWidth(), c.width) << c.width << " x " << c.height;
        EXPECT_EQ(bitmap.GetHeight(), c.height) << c.width << " x " << c.height;
        EXPECT_EQ(bitmap.GetPixelsPerInch(), c.picture.Dpi);

        // The layout is what a bitmap of the installed fonts gets.
        platform::TBitmap installedFonts;
        c.picture.CopyToBitmap(installedFonts);
        const TZanPictureLayout layout = c.picture.GetLayout();
        EXPECT_EQ(layout.Width, installedFonts.GetWidth());
        EXPECT_EQ(layout.Height, installedFonts.GetHeight());
    }
}

TEST(ZanBarcodePictureTest, BitmapIsReadByAScanner) {
    const std::string dir = zantest::TestOutputDir("ZanBarcodePictureTest.Scanner");
    for (const TZanBarcodeOrientation orientation : {boNormal, bo90Degrees, bo180Degrees, bo270Degrees}) {
        const TZanBarcodePicture picture{
            .Symbology = "code 128", .Caption = "Hello", .Dpi = 300, .Orientation = orientation};
        platform::TBitmap bitmap;
        picture.CopyToBitmap(bitmap);
        // Ten modules of quiet zone on either side; the start and the stop pattern begin
        // and end with a bar.
        const bool vertical = orientation == bo90Degrees || orientation == bo270Degrees;
        const auto pixel = [&](int along) {
            return vertical ? bitmap.GetPixel(bitmap.GetWidth() / 2, along)
                            : bitmap.GetPixel(along, bitmap.GetHeight() / 2);
        };
        const int codeEnd = 3 * (QuietZone + HelloModules);
        for (int along = 0; along < 3 * QuietZone; ++along) {
            ASSERT_EQ(pixel(along), platform::clWhite) << int{orientation} << ": " << along;
            ASSERT_EQ(pixel(codeEnd + along), platform::clWhite) << int{orientation} << ": " << codeEnd + along;
        }
        EXPECT_EQ(pixel(3 * QuietZone), platform::clBlack);
        EXPECT_EQ(pixel(codeEnd - 1), platform::clBlack);
        const std::string png = dir + "/hello" + std::to_string(int{orientation}) + ".png";
        bitmap.SaveToFile(png);
        EXPECT_EQ(zantest::ScanWithZbar(png), std::vector<std::string>{"CODE-128:Hello"}) << png;
    }
}

TEST(ZanBarcodePictureTest, FilesOfEachFormatHoldTheBitmapsPicture) {
    const std::string dir = zantest::TestOutputDir("ZanBarcodePictureTest.Files");
    const TZanBarcodePicture picture{.Symbology = "Code 128", .Caption = "Hello", .Dpi = 300};
    platform::TBitmap expected;
    picture.CopyToBitmap(expected);

    picture.SaveToFile(dir + "/hello.png");
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/hello.png"), std::vector<std::string>{"CODE-128:Hello"});
    platform::TBitmap png;
    png.LoadFromPngFile(dir + "/hello.png");
    ASSERT_EQ(png.GetWidth(), expected.GetWidth());
    ASSERT_EQ(png.GetHeight(), expected.GetHeight());
    EXPECT_TRUE(ShowsAt(png, 0, 0, expected));
    EXPECT_EQ(png.GetPixelsPerInch(), 300);

    // Letter case of the extension does not matter.
    picture.SaveToFile(dir + "/hello.BMP");
    const std::vector<std::uint8_t> bmp = expected.SaveToBmpData();
    EXPECT_EQ(zantest::ReadFile(dir + "/hello.BMP"), std::string(bmp.begin(), bmp.end()));
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/hello.BMP"), std::vector<std::string>{"CODE-128:Hello"});

    picture.SaveToFile(dir + "/hello.svg");
    const std::string svg = zantest::ReadFile(dir + "/hello.svg");
    const std::string size =
        "width=\"" + std::to_string(expected.GetWidth()) + "\" height=\"" + std::to_string(expected.GetHeight()) + "\"";
    EXPECT_NE(svg.find(size), std::string::npos) << "as large as the bitmap";
    EXPECT_NE(svg.find(">Hello</text>"), std::string::npos);
    int bars = 0;
    for (const zantest::TSvgRect& r : zantest::ReadSvgRects(svg)) {
        if (r.Fill != "#000000") continue;
        ++bars;
        EXPECT_EQ(r.Width % 3, 0) << "whole modules of 3 pixels";
        EXPECT_GE(r.X, 3 * QuietZone);
        EXPECT_LE(r.X + r.Width, 3 * (QuietZone + HelloModules));
        EXPECT_EQ(r.Height, 150) << "bars half an inch long";
    }
    EXPECT_EQ(bars, HelloBars);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"hello.BMP", "hello.png", "hello.svg"}))
        << "no temporary file left";

    EXPECT_EQ(Failure([&] { picture.SaveToFile(dir + "/hello.jpg"); }),
              "EInOutError: Cannot tell the format of '" + dir +
                  "/hello.jpg': the name must end in .png, .bmp, .svg, .pdf or .eps");
    // The target and the system's reason, not the temporary file's name.
    EXPECT_EQ(Failure([&] { picture.SaveToFile(dir + "/missing/hello.png"); }),
              "EInOutError: Cannot write the file '" + dir + "/missing/hello.png': No such file or directory");
    fs::create_directory(dir + "/folder.svg");
    EXPECT_EQ(Failure([&] { picture.SaveToFile(dir + "/folder.svg"); }),
              "EInOutError: Cannot write the file '" + dir + "/folder.svg': Is a directory");
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"folder.svg", "hello.BMP", "hello.png", "hello.svg"}));
    EXPECT_TRUE(fs::is_empty(dir + "/folder.svg"));
}

TEST(ZanBarcodePictureTest, PngFilesHoldExactlyTheBitmapOfEverySymbologyInEveryOrientation) {
    // The PNG writer stores each picture in the fewest bits that hold it; read back, the
    // file shows exactly the bitmap's pixels, the anti-aliased text included, and a
    // scanner reads it. zbarimg reads UPC A and UPC E as the EAN 13 numbers they stand
    // for, and reads neither Code 2 of 5 nor POSTNET.
    struct Case {
        std::string symbology;
        std::string caption;
        std::string scanned;
    };
    const Case cases[] = {
        {.symbology = "Code 128", .caption = "Hello, World 123", .scanned = "CODE-128:Hello, World 123"},
        {.symbology = "Code 39", .caption = "CODE 39", .scanned = "CODE-39:CODE 39"},
        {.symbology = "Codabar", .caption = "123-456$78", .scanned = "Codabar:A123-456$78B"},
        {.symbology = "Code 2 of 5", .caption = "1234567", .scanned = ""},
        {.symbology = "Interleaved 2 of 5", .caption = "12345678", .scanned = "I2/5:12345678"},
        {.symbology = "EAN 8", .caption = "1234567", .scanned = "EAN-8:12345670"},
        {.symbology = "EAN 13", .caption = "400638133393", .scanned = "EAN-13:4006381333931"},
        {.symbology = "UPC A", .caption = "03600029145", .scanned = "EAN-13:0036000291452"},
        {.symbology = "UPC E", .caption = "0123456", .scanned = "EAN-13:0012345000065"},
        {.symbology = "POSTNET", .caption = "12345", .scanned = ""},
    };
    const std::string dir = zantest::TestOutputDir("ZanBarcodePictureTest.PngExact");
    for (const Case& c : cases)
        for (const TZanBarcodeOrientation orientation : {boNormal, bo90Degrees, bo180Degrees, bo270Degrees}) {
            SCOPED_TRACE(c.symbology + " turned " + std::to_string(90 * orientation));
            const TZanBarcodePicture picture{
                .Symbology = c.symbology, .Caption = c.caption, .Dpi = 300, .Orientation = orientation};
            platform::TBitmap expected;
            picture.CopyToBitmap(expected);
            const std::string png = dir + "/picture.png";
            picture.SaveToFile(png);
            platform::TBitmap loaded;
            loaded.LoadFromPngFile(png);
            ASSERT_EQ(loaded.GetWidth(), expected.GetWidth());
            ASSERT_EQ(loaded.GetHeight(), expected.GetHeight());
            EXPECT_EQ(loaded.GetPixelsPerInch(), 300);
            EXPECT_TRUE(ShowsAt(loaded, 0, 0, expected));
            if (c.symbology != "POSTNET") {
                // Text edges between the bar and the background colour.
                bool greys = false;
                for (int y = 0; y < expected.GetHeight() && !greys; ++y)
                    for (int x = 0; x < expected.GetWidth() && !greys; ++x)
                        greys = expected.GetPixel(x, y) != platform::clBlack &&
                                expected.GetPixel(x, y) != platform::clWhite;
                EXPECT_TRUE(greys) << "anti-aliased text";
            }
            if (!c.scanned.empty()) {
                EXPECT_EQ(zantest::ScanWithZbar(png), std::vector<std::string>{c.scanned});
            }
        }
}

TEST(ZanBarcodePictureTest, FileNamesUpToTheSystemsLimitAreWritten) {
    const std::string dir = zantest::TestOutputDir("ZanBarcodePictureTest.Names");
    const TZanBarcodePicture picture{.Symbology = "Code 128", .Caption = "Hello", .Dpi = 300};
    // A file name has at most NAME_MAX (255) bytes on Linux; the temporary file beside
    // the target must fit in that as well.
    for (const std::size_t length : {249u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".png";
        EXPECT_EQ(Failure([&] { picture.SaveToFile(dir + "/" + name); }), "") << length;
        EXPECT_EQ(Entries(dir), std::vector<std::string>{name}) << length;
        EXPECT_EQ(zantest::ScanWithZbar(dir + "/" + name), std::vector<std::string>{"CODE-128:Hello"}) << length;
        fs::remove(dir + "/" + name);
    }
    const std::string tooLong = dir + "/" + std::string(252, 'n') + ".png";
    EXPECT_EQ(Failure([&] { picture.SaveToFile(tooLong); }),
              "EInOutError: Cannot write the file '" + tooLong + "': File name too long");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
    // The system would stop reading the name at its NUL and write "code" instead.
    const std::string withNul = dir + "/code" + std::string(3, '\0') + "128.svg";
    EXPECT_EQ(Failure([&] { picture.SaveToFile(withNul); }),
              "EInOutError: Cannot write the file '" + withNul + "': a file name cannot hold a NUL byte");
    // The name is refused before anything is drawn: a caption the symbology rejects is
    // not even looked at.
    const TZanBarcodePicture rejected{.Symbology = "EAN 13", .Caption = "not digits", .Dpi = 300};
    EXPECT_EQ(Failure([&] { rejected.SaveToFile(withNul); }),
              "EInOutError: Cannot write the file '" + withNul + "': a file name cannot hold a NUL byte");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
}

TEST(ZanBarcodePictureTest, PaintsOntoACanvasAtAPoint) {
    const TZanBarcodePicture picture{.Symbology = "Code 128", .Caption = "Hello", .Dpi = 300};
    platform::TBitmap expected;
    UseFixedMetrics(expected);
    picture.CopyToBitmap(expected);

    constexpr platform::TColor Paper = platform::RgbColor(200, 220, 240);
    platform::TBitmap target;
    UseFixedMetrics(target);
    target.SetPixelsPerInch(300);
    target.SetSize(400, 250);
    platform::TCanvas& canvas = target.GetCanvas();
    canvas.GetBrush().SetColor(Paper);
    canvas.FillRect({0, 0, 400, 250});

    const platform::TRect painted = picture.Paint(canvas, {17, 23});
    EXPECT_EQ(painted, (platform::TRect{17, 23, 17 + 330, 23 + 195}));
    EXPECT_TRUE(ShowsAt(target, 17, 23, expected)) << "the bitmap's picture, pixel for pixel";
    for (const platform::TPoint outside :
         {platform::TPoint{16, 23}, platform::TPoint{17, 22}, platform::TPoint{347, 217}, platform::TPoint{346, 218}})
        EXPECT_EQ(target.GetPixel(outside.X, outside.Y), Paper) << outside.X << ", " << outside.Y;
    EXPECT_EQ(canvas.GetBrush().GetColor(), Paper) << "the canvas's drawing state is left as it was";

    // The canvas's resolution, not Dpi, sets the modules: 1 pixel at 96 pixels per inch.
    platform::TBitmap screen;
    UseFixedMetrics(screen);
    screen.SetSize(200, 100);
    EXPECT_EQ(picture.Paint(screen.GetCanvas(), {0, 0}), (platform::TRect{0, 0, 110, 5 + 48 + 13 + 5}));
}

TEST(ZanBarcodePictureTest, SettingsByNameAreMadeBeforeTheCaptionIsChecked) {
    const std::string dir = zantest::TestOutputDir("ZanBarcodePictureTest.Settings");
    TZanBarcodePicture fullAscii{.Symbology = "Code 39", .Dpi = 300};
    // Lower-case letters exist only in Full ASCII (ISO/IEC 16388, Annex A), which the
    // settings ask for after the caption is given: fields have no order to keep.
    fullAscii.Caption = "abc-123";
    fullAscii.Settings = {{"fullascii", "true"}, {"UseCheckDigit", "1"}};
    fullAscii.SaveToFile(dir + "/abc.png");
    // zbarimg reads Full ASCII pairs as they stand, followed by this library's check digit
    // string (its own rule, not the standard's check character): the character values
    // + 42, A 11, + 42, B 12, + 42, C 13, - 37, 1, 2, 3 add up to 205, and 205 mod 43 = 33.
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/abc.png", {"-Sdisable", "-Scode39.enable"}),
              std::vector<std::string>{"CODE-39:+A+B+C-12333"});
    // The symbology's published properties, in their order, with the settings made.
    EXPECT_EQ(fullAscii.GetSymbologySettings(), (TZanSettings{{"XDimension", "10"},
                                                              {"DisplayCaption", "True"},
                                                              {"DisplayStartStopChars", "True"},
                                                              {"FullAscii", "True"},
                                                              {"UseCheckDigit", "True"}}));

    struct TCase {
        TZanBarcodePicture picture{};
        std::string failure{};
    };
    const TCase cases[] = {
        {.picture = {.Symbology = "Code 93"}, .failure = "ESymbologyError: Code 93 is not a valid symbology name."},
        {.picture = {.Symbology = "Code 39", .Settings = {{"Nope", "1"}}},
         .failure = "EZanBarcodeError: Code 39 has no property Nope"},
        {.picture = {.Symbology = "Code 39", .Settings = {{"UseCheckDigit", "maybe"}}},
         .failure = "EConvertError: UseCheckDigit=maybe: 'maybe' is not a valid boolean value"},
        {.picture = {.Symbology = "code 39", .Settings = {{"xdimension", "0"}}},
         .failure = "EConvertError: XDimension=0: Invalid XDimension: 0 (thousandths of an inch, above 0 and at "
                    "most 1000)"},
        {.picture = {.Symbology = "Code 128", .Settings = {{"CharacterSet", "CodeD"}}},
         .failure = "EConvertError: CharacterSet=CodeD: 'CodeD' is not a valid value"},
        // Codabar's start and stop characters are A to D (ANSI/AIM BC3); its setter passes
        // over any other.
        {.picture = {.Symbology = "Codabar", .Settings = {{"StartChar", "X"}}},
         .failure = "EConvertError: StartChar=X: 'X' is not a valid value"},
        {.picture = {.Symbology = "Codabar", .Settings = {{"StopChar", "c"}, {"stopchar", "*"}}},
         .failure = "EConvertError: StopChar=*: '*' is not a valid value"},
    };
    // Letter case aside, values that are taken read back as given.
    EXPECT_EQ(TZanBarcodePicture({.Symbology = "Codabar", .Settings = {{"StartChar", "c"}, {"StopChar", "D"}}})
                  .GetSymbologySettings(),
              (TZanSettings{{"XDimension", "10"}, {"DisplayCaption", "True"}, {"StartChar", "C"}, {"StopChar", "D"}}));
    for (const TCase& c : cases) {
        EXPECT_EQ(Failure([&] { c.picture.GetSymbologySettings(); }), c.failure);
        EXPECT_EQ(Failure([&] { c.picture.GetLayout(); }), c.failure);
        EXPECT_EQ(Failure([&] { c.picture.SaveToFile(dir + "/failed.png"); }), c.failure);
    }
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"abc.png"});
}

TEST(ZanBarcodePictureTest, RejectedCaptionRaisesTheSymbologysMessageAndChangesNothing) {
    const std::string dir = zantest::TestOutputDir("ZanBarcodePictureTest.Rejected");
    struct TCase {
        TZanBarcodePicture picture{};
        std::string failure{};
    };
    // The renderer alone would quietly draw the default caption instead.
    const TCase cases[] = {
        {.picture = {.Symbology = "Code 39", .Caption = "ABC-123"}, .failure = "EInvalidText: Invalid character: -"},
        {.picture = {.Symbology = "EAN 13", .Caption = "12345"}, .failure = "EInvalidText: Invalid Caption Length"},
        {.picture = {.Symbology = "POSTNET", .Caption = "1234A"}, .failure = "EInvalidText: Invalid character: A"},
    };
    const std::string png = dir + "/old.png";
    TZanBarcodePicture{.Symbology = "Code 39", .Caption = "OLD"}.SaveToFile(png);
    const std::string before = zantest::ReadFile(png);
    for (const TCase& c : cases) {
        EXPECT_EQ(Failure([&] { c.picture.GetLayout(); }), c.failure);
        EXPECT_EQ(Failure([&] { c.picture.SaveToFile(png); }), c.failure);
        EXPECT_EQ(zantest::ReadFile(png), before) << "the existing file stays as it was";

        platform::TBitmap bitmap;
        bitmap.SetPixelsPerInch(72);
        bitmap.SetSize(3, 2);
        bitmap.SetPixel(1, 1, platform::clRed);
        EXPECT_EQ(Failure([&] { c.picture.CopyToBitmap(bitmap); }), c.failure);
        EXPECT_EQ(bitmap.GetPixelsPerInch(), 72);
        EXPECT_EQ(bitmap.GetWidth(), 3);
        EXPECT_EQ(bitmap.GetPixel(1, 1), platform::clRed);
        EXPECT_EQ(Failure([&] { c.picture.Paint(bitmap.GetCanvas(), {0, 0}); }), c.failure);
        EXPECT_EQ(bitmap.GetPixel(1, 1), platform::clRed);
    }
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"old.png"});
}

TEST(ZanBarcodePictureTest, LayoutTellsWhatIsDrawn) {
    // Code 39 keeps 32 characters of a longer caption.
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ";
    const TZanPictureLayout code39 = TZanBarcodePicture{.Symbology = "code 39", .Caption = forty}.GetLayout();
    EXPECT_EQ(code39.SymbologyName, "Code 39");
    EXPECT_EQ(code39.Caption, forty.substr(0, 32));
    EXPECT_EQ(code39.Margins, (TZanPictureMargins{10, 5, 10, 5})) << "ten modules of 1 pixel at 96 pixels per inch";
    EXPECT_FALSE(code39.OwnBarLength);

    const TZanPictureLayout defaults = TZanBarcodePicture{}.GetLayout();
    EXPECT_EQ(defaults.SymbologyName, "Code 128");
    EXPECT_EQ(defaults.Caption, "0123456789") << "the symbology's default caption";

    // POSTNET bars stand at heights of their own (0.115 inch, 11 pixels at 96 pixels per
    // inch), in the USPS clear zone (DMM 708.4, Publication 25): at least 1/8 inch left and
    // right, 1/25 inch above and below; 12 and 3.84, rounded up to 4, pixels at 96 ppi.
    const TZanPictureLayout postnet =
        TZanBarcodePicture{.Symbology = "POSTNET", .Caption = "12345", .BarLength = 40}.GetLayout();
    EXPECT_TRUE(postnet.OwnBarLength);
    EXPECT_EQ(postnet.Margins, (TZanPictureMargins{12, 4, 12, 4}));
    EXPECT_EQ(postnet.Height, 4 + 11 + 4);
}

TEST(ZanBarcodePictureTest, PostnetKeepsTheUspsClearZoneAtEveryResolution) {
    struct TCase {
        TZanBarcodePicture picture{};
        TZanPictureMargins margins{};
        int width = 0;
        int height = 0;
    };
    // The default caption 012345678 and its check digit 4 are 154 bar widths long (52
    // bars at a pitch of 3, the last one alone). Bars 15 thousandths of an inch wide,
    // rounded half to even; full bars 0.115 inch high, truncated.
    const TCase cases[] = {
        // 1/8 inch = 37.5 and 1/25 inch = 12 pixels; bars of 4.5, rounded to 4; 34.5 high.
        {.picture = {.Symbology = "POSTNET", .Dpi = 300},
         .margins = {38, 12, 38, 12},
         .width = 38 + 154 * 4 + 38,
         .height = 12 + 34 + 12},
        {.picture = {.Symbology = "POSTNET", .Dpi = 300, .Orientation = bo90Degrees},
         .margins = {12, 38, 12, 38},
         .width = 12 + 34 + 12,
         .height = 38 + 154 * 4 + 38},
        // 75 and 24 pixels; bars of 9, 69 high.
        {.picture = {.Symbology = "POSTNET", .Dpi = 600},
         .margins = {75, 24, 75, 24},
         .width = 75 + 154 * 9 + 75,
         .height = 24 + 69 + 24},
        // Margins given are kept as they are.
        {.picture = {.Symbology = "POSTNET", .Dpi = 600, .Margins = TZanPictureMargins{1, 2, 3, 4}},
         .margins = {1, 2, 3, 4},
         .width = 1 + 154 * 9 + 3,
         .height = 2 + 69 + 4},
    };
    for (const TCase& c : cases) {
        const TZanPictureLayout layout = c.picture.GetLayout();
        EXPECT_EQ(layout.Margins, c.margins) << c.picture.Dpi;
        EXPECT_EQ(layout.Width, c.width) << c.picture.Dpi;
        EXPECT_EQ(layout.Height, c.height) << c.picture.Dpi;

        platform::TBitmap bitmap;
        c.picture.CopyToBitmap(bitmap);
        ASSERT_EQ(bitmap.GetWidth(), c.width);
        ASSERT_EQ(bitmap.GetHeight(), c.height);
        // The frame bars are full bars: the code's bounding box is the clear zone's inside.
        int left = bitmap.GetWidth(), top = bitmap.GetHeight(), right = -1, bottom = -1;
        for (int y = 0; y < bitmap.GetHeight(); ++y) {
            for (int x = 0; x < bitmap.GetWidth(); ++x) {
                if (bitmap.GetPixel(x, y) != platform::clBlack) continue;
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
        EXPECT_EQ(left, c.margins.Left) << c.picture.Dpi;
        EXPECT_EQ(top, c.margins.Top) << c.picture.Dpi;
        EXPECT_EQ(bitmap.GetWidth() - 1 - right, c.margins.Right) << c.picture.Dpi;
        EXPECT_EQ(bitmap.GetHeight() - 1 - bottom, c.margins.Bottom) << c.picture.Dpi;
    }
}

TEST(ZanBarcodePictureTest, RefusesWhatCannotBeDrawn) {
    const std::string dir = zantest::TestOutputDir("ZanBarcodePictureTest.Refused");
    struct TCase {
        TZanBarcodePicture picture{};
        std::string failure{};
        bool laidOut = false;  // the layout exists; only drawing it is refused
    };
    const TZanBarcodePicture a{.Symbology = "Code 39", .Caption = "A"};
    const auto with = [&a](auto change) {
        TZanBarcodePicture picture = a;
        change(picture);
        return picture;
    };
    const TCase cases[] = {
        // 96 * 5 / 1000 = 0.48 rounds to 0.
        {.picture = with([](TZanBarcodePicture& p) {
             p.Settings = {{"XDimension", "5"}};
         }),
         .failure = "EZanBarcodeError: XDimension 5 gives bars of 0 pixels at 96 pixels per inch"},
        // POSTNET's bars of 15 thousandths: 32 * 15 / 1000 = 0.48 rounds to 0 as well.
        {.picture = {.Symbology = "POSTNET", .Dpi = 32},
         .failure = "EZanBarcodeError: XDimension 15 gives bars of 0 pixels at 32 pixels per inch"},
        // Modules of 10000 pixels: 47 of them are 470000 pixels, and two quiet zones more.
        {.picture = with([](TZanBarcodePicture& p) {
             p.Dpi = 10000;
             p.Settings = {{"XDimension", "1000"}, {"DisplayCaption", "False"}};
         }),
         .failure = "EZanBarcodeError: the picture would be 670000 x 5010 pixels, more than the 65535 on a side or "
                    "100 million in all that a picture may have",
         .laidOut = true},
        // 15000 digits in bars of 10000 pixels: the code would be 2.25 billion pixels long
        // (15 bar widths a digit), which does not fit in an int.
        {.picture = {.Symbology = "POSTNET",
                     .Caption = std::string(15000, '7'),
                     .Dpi = 10000,
                     .Settings = {{"XDimension", "1000"}}},
         .failure = "EZanBarcodeError: the picture would be at least 150000000 pixels long (15000 characters in bars "
                    "of 10000 pixels), more than the 65535 on a side that a picture may have"},
        {.picture = with([](TZanBarcodePicture& p) { p.Dpi = 0; }),
         .failure = "EZanBarcodeError: Invalid resolution: 0 pixels per inch (1 to 10000)"},
        {.picture = with([](TZanBarcodePicture& p) { p.Dpi = 10001; }),
         .failure = "EZanBarcodeError: Invalid resolution: 10001 pixels per inch (1 to 10000)"},
        {.picture = with([](TZanBarcodePicture& p) { p.BarLength = 0; }),
         .failure = "EZanBarcodeError: Invalid bar length: 0 pixels (1 to 65535)"},
        {.picture = with([](TZanBarcodePicture& p) {
             p.Margins = TZanPictureMargins{0, -1, 0, 0};
         }),
         .failure = "EZanBarcodeError: Invalid margins: 0, -1, 0, 0 pixels (0 to 65535 each)"},
        {.picture = with([](TZanBarcodePicture& p) { p.FontSize = 0; }),
         .failure = "EZanBarcodeError: Invalid font size: 0 points (1 to 1000)"},
        {.picture = with([](TZanBarcodePicture& p) { p.Orientation = static_cast<TZanBarcodeOrientation>(4); }),
         .failure = "EZanBarcodeError: Invalid orientation: 4"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(Failure([&] { c.picture.GetLayout(); }), c.laidOut ? "" : c.failure);
        EXPECT_EQ(Failure([&] { c.picture.SaveToFile(dir + "/x.svg"); }), c.failure);
        platform::TBitmap bitmap;
        EXPECT_EQ(Failure([&] { c.picture.CopyToBitmap(bitmap); }), c.failure);
        EXPECT_EQ(bitmap.GetWidth(), 0);
    }
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
}

TEST(ZanBarcodePictureTest, RegistersTheLibrarysSymbologiesOnce) {
    // This program never registers them itself; drawing twice leaves one of each.
    TZanBarcodePicture{}.GetLayout();
    TZanBarcodePicture{.Symbology = "UPC A", .Caption = "01234567890"}.GetLayout();
    EXPECT_EQ(SymbologyCount(), 10);
}

}  // namespace

// A writer reuses its bitmap and font engine from picture to picture; what it writes must
// not depend on what it drew before. Larger, smaller, turned and coloured pictures follow
// one another, and each file must equal the one a picture writes alone (PDF and EPS are
// the same drawing, but carry the time they were made).
TEST(ZanPictureWriterTest, WritesWhatEachPictureWritesAlone) {
    const std::string dir = zantest::TestOutputDir("ZanPictureWriterTest.Alone");
    const TZanBarcodePicture pictures[] = {
        {.Symbology = "Code 128", .Caption = "A much longer caption than the next", .Dpi = 300},
        {.Symbology = "Code 128", .Caption = "Hi", .Dpi = 300},
        {.Symbology = "EAN 13", .Caption = "590123412345", .Dpi = 300, .Orientation = bo90Degrees},
        {.Symbology = "Code 39", .Caption = "ABC", .Dpi = 96, .BarColor = platform::RgbColor(0, 0, 128),
         .BackColor = platform::RgbColor(255, 255, 0)},
        {.Symbology = "Code 128", .Caption = "Hi", .Dpi = 300},
    };
    for (const TZanFileSync sync : {TZanFileSync::EachFile, TZanFileSync::Deferred}) {
        TZanPictureWriter writer(sync);
        for (const std::string extension : {".png", ".bmp", ".svg"}) {
            for (std::size_t i = 0; i < std::size(pictures); ++i) {
                const std::string alone = dir + "/alone-" + std::to_string(i) + extension;
                const std::string written = dir + "/writer-" + std::to_string(i) + extension;
                pictures[i].SaveToFile(alone);
                const TZanPictureLayout layout = writer.SaveToFile(pictures[i], written);
                EXPECT_EQ(zantest::ReadFile(written), zantest::ReadFile(alone)) << i << extension;
                EXPECT_EQ(layout.Caption, pictures[i].GetLayout().Caption);
                EXPECT_EQ(layout.Width, pictures[i].GetLayout().Width);
                EXPECT_EQ(layout.Height, pictures[i].GetLayout().Height);
            }
        }
        EXPECT_EQ(zantest::ScanWithZbar(dir + "/writer-2.png"), std::vector<std::string>{"EAN-13:5901234123457"});
        SyncFileSystem(dir);
    }
    EXPECT_EQ(Entries(dir).size(), 2 * 3 * std::size(pictures)) << "no temporary file left";

    // The bitmap drawn in memory equals CopyToBitmap's.
    TZanPictureWriter writer;
    for (const TZanBarcodePicture& picture : pictures) {
        platform::TBitmap expected;
        picture.CopyToBitmap(expected);
        const platform::TBitmap& drawn = writer.Draw(picture);
        ASSERT_EQ(drawn.GetWidth(), expected.GetWidth());
        ASSERT_EQ(drawn.GetHeight(), expected.GetHeight());
        EXPECT_TRUE(ShowsAt(drawn, 0, 0, expected)) << *picture.Caption;
    }
}

TEST(ZanPictureWriterTest, FailuresAreThoseOfThePictureAndLeaveNoFile) {
    const std::string dir = zantest::TestOutputDir("ZanPictureWriterTest.Failures");
    TZanPictureWriter writer(TZanFileSync::Deferred);
    const TZanBarcodePicture rejected{.Symbology = "Code 39", .Caption = "a-b"};
    EXPECT_EQ(Failure([&] { writer.SaveToFile(rejected, dir + "/x.png"); }),
              Failure([&] { rejected.SaveToFile(dir + "/x.png"); }));
    EXPECT_EQ(Failure([&] { writer.SaveToFile(rejected, dir + "/x.png"); }), "EInvalidText: Invalid character: -");
    EXPECT_EQ(Failure([&] { writer.SaveToFile({}, dir + "/missing/x.svg"); }),
              "EInOutError: Cannot write the file '" + dir + "/missing/x.svg': No such file or directory");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
    // A good picture after the failures is drawn as ever.
    writer.SaveToFile({.Caption = "Hello", .Dpi = 300}, dir + "/hello.png");
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/hello.png"), std::vector<std::string>{"CODE-128:Hello"});
    EXPECT_EQ(Failure([&] { SyncFileSystem(dir + "/missing"); }),
              "EInOutError: Cannot write the file '" + dir + "/missing': No such file or directory");
}

// Written files get the mode of any new file: 0666 less the umask, whatever they replace,
// and with either way of syncing.
TEST(ZanPictureWriterTest, FilesTakeTheModeOfANewFile) {
    const std::string dir = zantest::TestOutputDir("ZanPictureWriterTest.Mode");
    const TZanBarcodePicture picture{.Caption = "Hello"};
    struct TCase {
        mode_t Umask;
        fs::perms Expected;
    };
    using P = fs::perms;
    const TCase cases[] = {
        {022, P::owner_read | P::owner_write | P::group_read | P::others_read},
        {027, P::owner_read | P::owner_write | P::group_read},
        {002, P::owner_read | P::owner_write | P::group_read | P::group_write | P::others_read},
        {077, P::owner_read | P::owner_write},
    };
    const mode_t previous = umask(022);
    for (const TCase& c : cases) {
        umask(c.Umask);
        for (const TZanFileSync sync : {TZanFileSync::EachFile, TZanFileSync::Deferred}) {
            TZanPictureWriter writer(sync);
            // The second write replaces the file of the first, made with another umask.
            for (const std::string name : {"/a.png", "/b.svg", "/a.png"}) {
                writer.SaveToFile(picture, dir + name);
                EXPECT_EQ(fs::status(dir + name).permissions(), c.Expected) << std::oct << c.Umask << name;
            }
        }
    }
    umask(previous);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"a.png", "b.svg"})) << "no temporary file left";
}
