// The zanbarcode command: parsing, layout, exit statuses, messages, files and pixels.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>
#include <regex>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/symbologies/ZanCode39.h>
#include "cli/ZanbarcodeBatch.h"
#include "cli/ZanbarcodeCommand.h"
#include "cli/ZanbarcodeOptions.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace zanbarcode;
namespace fs = std::filesystem;

// The names of the files in Dir, sorted.
std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// ---------------------------------------------------------------------------------------
// Parsing

TEST(ZanbarcodeOptionsTest, ReadsEveryOption) {
    const TOptions o = ParseCommandLine({"-s",
                                         "code 39",
                                         "-o",
                                         "out/x.SVG",
                                         "-r",
                                         "300",
                                         "--height",
                                         "40",
                                         "--orientation",
                                         "270",
                                         "--margins",
                                         "1,2,3,4",
                                         "--align",
                                         "right",
                                         "--bar-color",
                                         "#102030",
                                         "--space-color",
                                         "A0B0C0",
                                         "--back-color=FFFFFE",
                                         "--font",
                                         "Arial",
                                         "--font-size",
                                         "12",
                                         "--set",
                                         "A=B=C",
                                         "--set",
                                         "UseCheckDigit=true",
                                         "-e",
                                         "A\\x41"});
    EXPECT_EQ(o.Action, TAction::Draw);
    EXPECT_EQ(o.Symbology, "code 39");
    EXPECT_EQ(o.OutputFile, "out/x.SVG");
    EXPECT_EQ(o.OutputFormat, TOutputFormat::Svg);
    EXPECT_EQ(o.Dpi, 300);
    EXPECT_EQ(o.Height, 40);
    EXPECT_EQ(o.Orientation, zan::bo270Degrees);
    EXPECT_EQ(o.Margins, (TMargins{1, 2, 3, 4}));
    EXPECT_EQ(o.Alignment, zan::platform::taRightJustify);
    EXPECT_EQ(o.BarColor, zan::TColor{0x302010});  // TColor is 0x00BBGGRR
    EXPECT_EQ(o.SpaceColor, zan::TColor{0xC0B0A0});
    EXPECT_EQ(o.BackColor, zan::TColor{0xFEFFFF});
    EXPECT_EQ(o.FontName, "Arial");
    EXPECT_EQ(o.FontSize, 12);
    using TProperty = std::pair<std::string, std::string>;
    EXPECT_EQ(o.Properties, (std::vector<TProperty>{{"A", "B=C"}, {"UseCheckDigit", "true"}}));
    EXPECT_EQ(o.Caption, "AA") << "escapes apply wherever -e stands";
}

TEST(ZanbarcodeOptionsTest, DefaultsAndSpellings) {
    const TOptions o = ParseCommandLine({"-ox.png"});
    EXPECT_EQ(o.Symbology, "Code 128");
    EXPECT_EQ(o.OutputFormat, TOutputFormat::Png);
    EXPECT_EQ(o.Dpi, 96);
    EXPECT_FALSE(o.Height);
    EXPECT_FALSE(o.Margins);
    EXPECT_EQ(o.Alignment, zan::platform::taCenter);
    EXPECT_EQ(o.Orientation, zan::boNormal);
    EXPECT_FALSE(o.Caption) << "the symbology's default caption";
    EXPECT_EQ(ParseCommandLine({"--dpi=600", "-o", "x.bmp"}).Dpi, 600);
    EXPECT_EQ(ParseCommandLine({"-r600", "-o", "x.bmp"}).OutputFormat, TOutputFormat::Bmp);
    EXPECT_EQ(ParseCommandLine({"-o", "label.pdf"}).OutputFormat, TOutputFormat::Pdf);
    EXPECT_EQ(ParseCommandLine({"-o", "label.EPS"}).OutputFormat, TOutputFormat::Eps);
    EXPECT_EQ(ParseCommandLine({"-o", "x.png", "--", "-A-"}).Caption, "-A-");
    EXPECT_EQ(ParseCommandLine({"-o", "x.png", "-"}).Caption, "-");
    EXPECT_EQ(ParseCommandLine({"-o", "x.png", "\\x41"}).Caption, "\\x41") << "no escapes without -e";
}

TEST(ZanbarcodeOptionsTest, ActionsNeedNoOutputAndTheHighestWins) {
    EXPECT_EQ(ParseCommandLine({"--list"}).Action, TAction::List);
    EXPECT_EQ(ParseCommandLine({"--properties", "-s", "Code 39"}).Action, TAction::Properties);
    EXPECT_EQ(ParseCommandLine({"--properties", "--list"}).Action, TAction::List);
    EXPECT_EQ(ParseCommandLine({"--list", "--version"}).Action, TAction::Version);
    EXPECT_EQ(ParseCommandLine({"--version", "-h", "--list"}).Action, TAction::Help);
}

TEST(ZanbarcodeOptionsTest, RefusesWhatItCannotCarryOut) {
    struct TCase {
        std::vector<std::string> arguments{};
        std::string message{};
    };
    const TCase cases[] = {
        {.arguments = {}, .message = "no output file: give one with -o FILE (.png, .bmp, .svg, .pdf or .eps)"},
        {.arguments = {"--bogus"}, .message = "unknown option '--bogus'"},
        {.arguments = {"-x"}, .message = "unknown option '-x'"},
        {.arguments = {"-o", "x.png", "-r"}, .message = "-r needs a value"},
        {.arguments = {"--list=yes"}, .message = "--list takes no value"},
        {.arguments = {"-o", "x.png", "A", "B"},
         .message = "unexpected argument 'B': give the caption as one argument (quote it)"},
        {.arguments = {"-o", "x.jpg"},
         .message = "cannot tell the format of 'x.jpg': the name must end in .png, .bmp, .svg, .pdf or .eps"},
        {.arguments = {"-o", "png"},
         .message = "cannot tell the format of 'png': the name must end in .png, .bmp, .svg, .pdf or .eps"},
        {.arguments = {"-o", "x.ps"},
         .message = "cannot tell the format of 'x.ps': the name must end in .png, .bmp, .svg, .pdf or .eps"},
        {.arguments = {"-r", "0"}, .message = "--dpi: '0' is not a whole number from 1 to 10000"},
        {.arguments = {"-r", "96.5"}, .message = "--dpi: '96.5' is not a whole number from 1 to 10000"},
        {.arguments = {"--height", "-5"}, .message = "--height: '-5' is not a whole number from 1 to 65535"},
        {.arguments = {"--font-size", "x"}, .message = "--font-size: 'x' is not a whole number from 1 to 1000"},
        {.arguments = {"--orientation", "45"}, .message = "--orientation: '45' is not one of 0, 90, 180 or 270"},
        {.arguments = {"--margins", "1,2,3"}, .message = "--margins: '1,2,3' is not four numbers L,T,R,B"},
        {.arguments = {"--margins", "1,2,3,4,5"}, .message = "--margins: '1,2,3,4,5' is not four numbers L,T,R,B"},
        {.arguments = {"--margins", "1,-2,3,4"}, .message = "--margins: '-2' is not a whole number from 0 to 65535"},
        {.arguments = {"--align", "middle"}, .message = "--align: 'middle' is not one of left, center or right"},
        {.arguments = {"--bar-color", "12345"}, .message = "--bar-color: '12345' is not a colour RRGGBB"},
        {.arguments = {"--back-color", "GG0000"}, .message = "--back-color: 'GG0000' is not a colour RRGGBB"},
        {.arguments = {"--space-color", "+12345"}, .message = "--space-color: '+12345' is not a colour RRGGBB"},
        {.arguments = {"--set", "=1"}, .message = "--set: '=1' is not NAME=VALUE"},
        {.arguments = {"--set", "XDimension"}, .message = "--set: 'XDimension' is not NAME=VALUE"},
        {.arguments = {"-e", "-o", "x.png", "A\\q"},
         .message = "invalid escape '\\q' in the caption: use \\xHH, \\\\ or \\n"},
    };
    for (const TCase& c : cases) {
        try {
            ParseCommandLine(c.arguments);
            ADD_FAILURE() << "accepted " << c.message;
        } catch (const EUsageError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(ZanbarcodeOptionsTest, DecodesEscapes) {
    struct TCase {
        std::string text{};
        std::string bytes{};  // empty with an error
        std::string error{};
    };
    const TCase cases[] = {
        {.text = "A\\x41\\x7e", .bytes = "AA~"},
        {.text = "\\x00\\xFF", .bytes = std::string("\0\xFF", 2)},
        {.text = "a\\\\b\\nc", .bytes = "a\\b\nc"},
        {.text = "\\x4", .error = "invalid escape '\\x4' in the caption: use \\xHH, \\\\ or \\n"},
        {.text = "\\xZZ", .error = "invalid escape '\\xZZ' in the caption: use \\xHH, \\\\ or \\n"},
        {.text = "\\t", .error = "invalid escape '\\t' in the caption: use \\xHH, \\\\ or \\n"},
        {.text = "end\\", .error = "invalid escape '\\' in the caption: use \\xHH, \\\\ or \\n"},
    };
    for (const TCase& c : cases) {
        try {
            EXPECT_EQ(DecodeEscapes(c.text), c.bytes) << c.text;
            EXPECT_EQ(c.error, "") << c.text;
        } catch (const EUsageError& e) {
            EXPECT_EQ(e.Message(), c.error) << c.text;
        }
    }
    EXPECT_EQ(Printable(std::string("A\x01\x7F\xC8\\", 5)), "A\\x01\\x7F\\xC8\\");
}

// ---------------------------------------------------------------------------------------
// The command

TEST(ZanbarcodeCliTest, RejectedCaptionWritesNothing) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Rejected");
    const std::string png = dir + "/code39.png";
    const zantest::TCommandResult result = zantest::RunZanbarcode({"-s", "Code 39", "-r", "300", "-o", png, "ABC-123"});
    EXPECT_EQ(result.ExitStatus, 1);
    EXPECT_EQ(result.Errors, "zanbarcode: Invalid character: -\n");
    EXPECT_EQ(result.Output, "");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});

    // A control character is named in a form the terminal shows.
    const zantest::TCommandResult control = zantest::RunZanbarcode({"-s", "Code 39", "-e", "-o", png, "A\\x01"});
    EXPECT_EQ(control.ExitStatus, 1);
    EXPECT_EQ(control.Errors, "zanbarcode: Invalid character: \\x01\n");

    // An existing file stays as it was.
    ASSERT_EQ(zantest::RunZanbarcode({"-s", "Code 39", "-o", png, "OLD"}).ExitStatus, 0);
    const std::string before = zantest::ReadFile(png);
    EXPECT_EQ(zantest::RunZanbarcode({"-s", "Code 39", "-o", png, "NEW-1"}).ExitStatus, 1);
    EXPECT_EQ(zantest::ReadFile(png), before);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"code39.png"});
}

TEST(ZanbarcodeCliTest, UsageErrorsExitWithTwoAndOneLine) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Usage");
    const std::string png = dir + "/x.png";
    struct TCase {
        std::vector<std::string> arguments{};
        std::string message{};  // the start of the one line on standard error
    };
    const TCase cases[] = {
        {.arguments = {"--bogus", "-o", png}, .message = "zanbarcode: unknown option '--bogus'\n"},
        {.arguments = {"-s", "Code 39", "A"}, .message = "zanbarcode: no output file"},
        {.arguments = {"-s", "Code 93", "-o", png},
         .message = "zanbarcode: Code 93 is not a valid symbology name. (see --list)\n"},
        {.arguments = {"-s", "Code 39", "-r", "abc", "-o", png}, .message = "zanbarcode: --dpi: 'abc' is not"},
        {.arguments = {"-s", "Code 39", "--bar-color", "red", "-o", png},
         .message = "zanbarcode: --bar-color: 'red' is not a colour RRGGBB\n"},
        {.arguments = {"-s", "Code 39", "--set", "Nope=1", "-o", png},
         .message = "zanbarcode: --set: Code 39 has no property Nope (see --properties)\n"},
        {.arguments = {"-s", "Code 39", "--set", "UseCheckDigit=maybe", "-o", png},
         .message = "zanbarcode: --set UseCheckDigit=maybe: 'maybe' is not a valid boolean value\n"},
        // XDimension refuses values that give no bar width, naming the value.
        {.arguments = {"-s", "Code 39", "--set", "XDimension=0", "-o", png},
         .message = "zanbarcode: --set XDimension=0: Invalid XDimension: 0 "},
        {.arguments = {"-s", "Code 39", "--set", "xdimension=-5", "-o", png},
         .message = "zanbarcode: --set XDimension=-5: Invalid XDimension: -5 "},
        {.arguments = {"-s", "Code 39", "--set", "XDimension=inf", "-o", png},
         .message = "zanbarcode: --set XDimension=inf: Invalid XDimension: inf "},
        {.arguments = {"-s", "Code 39", "--set", "XDimension=nan", "-o", png},
         .message = "zanbarcode: --set XDimension=nan: Invalid XDimension: nan "},
        // 96 * 5 / 1000 = 0.48 rounds to 0: the bars would not be there.
        {.arguments = {"-s", "Code 39", "--set", "XDimension=5", "-o", png},
         .message = "zanbarcode: XDimension 5 gives bars of 0 pixels at 96 pixels per inch: "
                    "raise --dpi or XDimension\n"},
        // POSTNET's bars of 15 thousandths of an inch: 32 * 15 / 1000 = 0.48 rounds to 0.
        {.arguments = {"-s", "POSTNET", "-r", "32", "-o", png},
         .message = "zanbarcode: XDimension 15 gives bars of 0 pixels at 32 pixels per inch: "
                    "raise --dpi or XDimension\n"},
        {.arguments = {"-s", "Code 39", "--set", "XDimension=1000", "-r", "10000", "-o", png},
         .message = "zanbarcode: the picture would be "},
        // POSTNET's bars of 5 thousandths of an inch: 96 * 5 / 1000 = 0.48 rounds to 0.
        {.arguments = {"-s", "POSTNET", "--set", "XDimension=5", "-o", png},
         .message = "zanbarcode: XDimension 5 gives bars of 0 pixels at 96 pixels per inch: "
                    "raise --dpi or XDimension\n"},
        // 15000 digits in bars of 10000 pixels, 15 bar widths a digit: 2.25 billion
        // pixels, which wrap around in an int.
        {.arguments = {"-s", "POSTNET", "-r", "10000", "--set", "XDimension=1000", "-o", dir + "/x.svg",
                       std::string(15000, '1')},
         .message = "zanbarcode: the picture would be at least 150000000 pixels long (15000 characters in bars of "
                    "10000 pixels), more than the 65535 on a side that a picture may have\n"},
        // Codabar's start and stop characters are A to D (ANSI/AIM BC3).
        {.arguments = {"-s", "Codabar", "--set", "StartChar=X", "-o", png},
         .message = "zanbarcode: --set StartChar=X: 'X' is not a valid value\n"},
        {.arguments = {"-s", "Codabar", "--set", "StopChar=\x01", "-o", png},
         .message = "zanbarcode: --set StopChar=\\x01: '\\x01' is not a valid value\n"},
        // Code 39 "A" at 96 ppi: 47 modules of 1 pixel and quiet zones of 10 make it 67
        // pixels wide; 5 pixels above and below the bars leave 65525 for them.
        {.arguments = {"-s", "Code 39", "--set", "DisplayCaption=false", "--height", "65535", "-o", png, "A"},
         .message = "zanbarcode: --height 65535: the picture would be 65545 pixels high with its margins and caption "
                    "line, more than the 65535 that a picture 67 pixels wide may have: give at most 65525\n"},
        {.arguments = {"-s", "Code 39", "--set", "DisplayCaption=false", "--height", "65535", "--orientation", "90",
                       "-o", png, "A"},
         .message = "zanbarcode: --height 65535: the picture would be 65545 pixels wide with its margins and caption "
                    "line, more than the 65535 that a picture 67 pixels high may have: give at most 65525\n"},
        // Ten characters at 1000 ppi: (10 + 2) * 16 - 1 = 191 modules of 10 pixels and
        // quiet zones of 100 are 2110 pixels; 100 million pixels in all leave 47393
        // across, 47383 of them for the bars.
        {.arguments = {"-s", "Code 39", "-r", "1000", "--set", "DisplayCaption=false", "--height", "50000", "-o", png,
                       "ABCDEFGHIJ"},
         .message = "zanbarcode: --height 50000: the picture would be 50010 pixels high with its margins and caption "
                    "line, more than the 47393 that a picture 2110 pixels wide may have: give at most 47383\n"},
    };
    for (const TCase& c : cases) {
        const zantest::TCommandResult result = zantest::RunZanbarcode(c.arguments);
        EXPECT_EQ(result.ExitStatus, 2) << c.message;
        EXPECT_EQ(result.Errors.rfind(c.message, 0), 0u) << result.Errors;
        EXPECT_EQ(std::count(result.Errors.begin(), result.Errors.end(), '\n'), 1) << result.Errors;
        EXPECT_EQ(Entries(dir), std::vector<std::string>{}) << c.message;
    }
}

TEST(ZanbarcodeCliTest, FailedWriteNamesTheTargetAndTheReasonAndLeavesNoFileBehind) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Write");
    const zantest::TCommandResult missing =
        zantest::RunZanbarcode({"-s", "Code 39", "-o", dir + "/missing/x.png", "A"});
    EXPECT_EQ(missing.ExitStatus, 1);
    EXPECT_EQ(missing.Errors,
              "zanbarcode: Cannot write the file '" + dir + "/missing/x.png': No such file or directory\n");

    // The target is a directory: the drawing is made, but cannot take its place.
    fs::create_directory(dir + "/busy.svg");
    const zantest::TCommandResult busy = zantest::RunZanbarcode({"-s", "Code 39", "-o", dir + "/busy.svg", "A"});
    EXPECT_EQ(busy.ExitStatus, 1);
    EXPECT_EQ(busy.Errors, "zanbarcode: Cannot write the file '" + dir + "/busy.svg': Is a directory\n");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"busy.svg"}) << "no temporary file left";
    EXPECT_TRUE(fs::is_empty(dir + "/busy.svg"));

    // The disk refuses the bytes halfway: a file size limit of 1024 bytes (two blocks of
    // 512), with SIGXFSZ ignored so that the write fails with EFBIG instead. A BMP of
    // Code 39 "A" is 67 x 71 pixels of 4 bytes. The older file stays as it was.
    const std::string bmp = dir + "/x.bmp";
    ASSERT_EQ(zantest::RunZanbarcode({"-s", "Code 39", "-o", bmp, "OLD"}).ExitStatus, 0);
    const std::string before = zantest::ReadFile(bmp);
    const zantest::TCommandResult full =
        zantest::RunCommand({"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 2 && exec \"$0\" \"$@\"", ZANBARCODE_EXE, "-s",
                             "Code 39", "-o", bmp, "A"});
    EXPECT_EQ(full.ExitStatus, 1);
    EXPECT_EQ(full.Errors, "zanbarcode: Cannot write the file '" + bmp + "': File too large\n");
    EXPECT_EQ(zantest::ReadFile(bmp), before);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"busy.svg", "x.bmp"})) << "no temporary file left";
}

TEST(ZanbarcodeCliTest, WritesFileNamesUpToTheSystemsLimit) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Names");
    // A file name has at most NAME_MAX (255) bytes on Linux; the temporary file beside
    // the target must fit in that as well.
    for (const std::size_t length : {249u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".svg";
        const zantest::TCommandResult result = zantest::RunZanbarcode({"-s", "Code 39", "-o", dir + "/" + name, "A"});
        EXPECT_EQ(result.ExitStatus, 0) << result.Errors;
        EXPECT_EQ(Entries(dir), std::vector<std::string>{name}) << length;
        EXPECT_NE(zantest::ReadFile(dir + "/" + name).find(">*A*</text>"), std::string::npos) << length;
        fs::remove(dir + "/" + name);
    }
    const std::string tooLong = dir + "/" + std::string(252, 'n') + ".svg";
    const zantest::TCommandResult result = zantest::RunZanbarcode({"-s", "Code 39", "-o", tooLong, "A"});
    EXPECT_EQ(result.ExitStatus, 1);
    EXPECT_EQ(result.Errors, "zanbarcode: Cannot write the file '" + tooLong + "': File name too long\n");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
}

// Code 39 whose painting of the picture's pixels stalls, as a slow drawing would: it says
// so on standard output and waits for the signal that ends the process. Measuring paints
// into a metafile and goes on.
class TStalledCode39 : public zan::TZanCode39 {
public:
    static std::string SymbologyName() { return "Stalled Code 39"; }
    zan::TZanBarcodeSymbologyClass ClassType() const override { return zan::SymbologyClass<TStalledCode39>(); }
    void Paint() override {
        if (dynamic_cast<zan::platform::TBitmapCanvas*>(GetParent()->GetCanvas())) {
            const char painting = 'p';
            if (write(STDOUT_FILENO, &painting, 1) == 1) pause();
        }
        TZanCode39::Paint();
    }
};

TEST(ZanbarcodeCliTest, InterruptedDrawingLeavesNoFileBehind) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Interrupt");
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The command, run in this process, with its standard output on the pipe.
        dup2(pipe[1], STDOUT_FILENO);
        close(pipe[0]);
        zan::RegisterSymbology(zan::SymbologyClass<TStalledCode39>());
        std::ostringstream out;
        std::ostringstream errors;
        std::istringstream in;
        _exit(zanbarcode::Run({"-s", "Stalled Code 39", "-o", dir + "/x.png", "A"},
                              {.Input = in, .Output = out, .Errors = errors}));
    }
    close(pipe[1]);
    char painting = 0;
    const bool stalled = read(pipe[0], &painting, 1) == 1;
    close(pipe[0]);
    EXPECT_TRUE(stalled) << "the command did not paint the picture";
    EXPECT_EQ(Entries(dir), std::vector<std::string>{}) << "no file while the picture is drawn";
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
}

// An output whose every write fails as an allocation fails when memory runs out.
class TExhaustedBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { throw std::bad_alloc(); }
};

TEST(ZanbarcodeCliTest, OutOfMemoryHasAStatusOfItsOwn) {
    TExhaustedBuffer exhausted;
    std::ostream out(&exhausted);
    out.exceptions(std::ios::badbit);  // hands the buffer's exception on
    std::ostringstream errors;
    std::istringstream in;
    EXPECT_EQ(zanbarcode::Run({"--list"}, {.Input = in, .Output = out, .Errors = errors}), ExitOutOfMemory);
    EXPECT_EQ(ExitOutOfMemory, 3) << "as the help and README say";
    EXPECT_EQ(errors.str(),
              "zanbarcode: out of memory: the picture asked for is too large for this machine (lower --dpi, --height, "
              "the margins or XDimension)\n");
}

TEST(ZanbarcodeCliTest, EmptyCaptionIsRefusedAndAnAbsentOneIsTheDefault) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Empty");
    const std::string png = dir + "/x.png";
    // Each would draw a symbol without data: check and stop, start and stop, or the
    // frame of the 2 of 5 codes, which no scanner reads.
    for (const char* symbology : {"Code 128", "Code 39", "Codabar", "Code 2 of 5", "Interleaved 2 of 5", "POSTNET"}) {
        const zantest::TCommandResult result = zantest::RunZanbarcode({"-s", symbology, "-o", png, ""});
        EXPECT_EQ(result.ExitStatus, 1) << symbology;
        EXPECT_EQ(result.Errors,
                  "zanbarcode: the caption is empty: a barcode without data is not read by scanners; give the data to "
                  "encode, or leave the caption out to draw the symbology's default\n")
            << symbology;
        EXPECT_EQ(Entries(dir), std::vector<std::string>{}) << symbology;
    }
    const zantest::TCommandResult byDefault = zantest::RunZanbarcode({"-r", "300", "-o", png});
    EXPECT_EQ(byDefault.ExitStatus, 0) << byDefault.Errors;
    EXPECT_EQ(zantest::ScanWithZbar(png), std::vector<std::string>{"CODE-128:0123456789"});
}

TEST(ZanbarcodeCliTest, MessagesShowEveryByteOfTheCaption) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Bytes");
    // Code 128 set B has no NUL (ISO/IEC 15417, Table 1: NUL is in set A only).
    const zantest::TCommandResult result = zantest::RunZanbarcode({"-e", "-o", dir + "/x.png", "A\\x00B"});
    EXPECT_EQ(result.ExitStatus, 1);
    EXPECT_EQ(result.Errors, "zanbarcode: Invalid Character for Code B Character Set: \\x00\n");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
}

TEST(ZanbarcodeCliTest, PageTooLargeForPrintWritesNothing) {
    // 20 000 pixels of bars at 96 per inch, with the margins and the caption's line,
    // are more than 208 inches.
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.PrintLimit");
    for (const char* name : {"/big.pdf", "/big.eps"}) {
        const zantest::TCommandResult result =
            zantest::RunZanbarcode({"-s", "Code 39", "--height", "20000", "-o", dir + name, "A"});
        EXPECT_EQ(result.ExitStatus, 1) << name;
        EXPECT_EQ(result.Errors.rfind("zanbarcode: A picture of ", 0), 0u) << result.Errors;
        EXPECT_NE(result.Errors.find("larger than a print page of 200 inches\n"), std::string::npos) << result.Errors;
        EXPECT_EQ(Entries(dir), std::vector<std::string>{}) << name;
    }
}

TEST(ZanbarcodeCliTest, ListsPrintsPropertiesHelpAndVersion) {
    const zantest::TCommandResult list = zantest::RunZanbarcode({"--list"});
    EXPECT_EQ(list.ExitStatus, 0);
    // The registry order of the library.
    EXPECT_EQ(list.Output,
              "Codabar\nCode 128\nCode 2 of 5\nInterleaved 2 of 5\nCode 39\nEAN 8\nEAN 13\nUPC A\nUPC E\nPOSTNET\n");
    EXPECT_EQ(list.Errors, "");

    const zantest::TCommandResult properties =
        zantest::RunZanbarcode({"--properties", "-s", "code 39", "--set", "UseCheckDigit=true"});
    EXPECT_EQ(properties.ExitStatus, 0);
    EXPECT_EQ(properties.Output,
              "XDimension=10\nDisplayCaption=True\nDisplayStartStopChars=True\nFullAscii=False\nUseCheckDigit=True\n");

    const zantest::TCommandResult help = zantest::RunZanbarcode({"--help"});
    EXPECT_EQ(help.ExitStatus, 0);
    EXPECT_EQ(help.Output.rfind("Usage: zanbarcode [OPTIONS] [CAPTION]\n", 0), 0u);
    for (const char* option : {"--symbology", "--output", "--dpi", "--height", "--orientation", "--margins", "--align",
                               "--bar-color", "--space-color", "--back-color", "--font", "--font-size", "--set",
                               "--escapes", "--list", "--properties", "--version"})
        EXPECT_NE(help.Output.find(option), std::string::npos) << option;

    const zantest::TCommandResult version = zantest::RunZanbarcode({"--version"});
    EXPECT_EQ(version.ExitStatus, 0);
    EXPECT_EQ(version.Output.rfind("zanbarcode ", 0), 0u) << version.Output;
}

TEST(ZanbarcodeCliTest, DrawsTheCaptionAsGivenCorrectedOrByDefault) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Captions");
    const std::vector<std::string> zbar = {"-Sdisable", "-Scode39.enable"};
    struct TCase {
        std::vector<std::string> arguments{};
        std::string notes{};    // standard error
        std::string decoded{};  // zbarimg's reading
    };
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ";
    const TCase cases[] = {
        {.arguments = {"--set", "FullAscii=true", "abc-123"}, .decoded = "CODE-39:+A+B+C-123"},
        {.arguments = {"--set", "FullAscii=true", "-e", "A\\x01\\\\"}, .decoded = "CODE-39:A$A%L"},
        {.arguments = {}, .decoded = "CODE-39:ABCDE12345"},
        {.arguments = {forty},
         .notes = "zanbarcode: Code 39 changed the caption to \"" + forty.substr(0, 32) + "\"\n",
         .decoded = "CODE-39:" + forty.substr(0, 32)},
    };
    for (const TCase& c : cases) {
        const std::string png = dir + "/x.png";
        std::vector<std::string> arguments = {"-s", "code 39", "-r", "300", "-o", png};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const zantest::TCommandResult result = zantest::RunZanbarcode(arguments);
        EXPECT_EQ(result.ExitStatus, 0) << result.Errors;
        EXPECT_EQ(result.Errors, c.notes);
        EXPECT_EQ(zantest::ScanWithZbar(png, zbar), std::vector<std::string>{c.decoded});
    }
}

// Where the bars of a drawing lie, along the code and across it, in output pixels.
struct TBarExtent {
    int AlongFirst = 0;
    int AlongLast = 0;  // last pixel of the last bar
    int AcrossFirst = 0;
    int AcrossLast = 0;
    friend bool operator==(const TBarExtent&, const TBarExtent&) = default;
};

std::ostream& operator<<(std::ostream& out, const TBarExtent& e) {
    return out << "along " << e.AlongFirst << ".." << e.AlongLast << ", across " << e.AcrossFirst << ".."
               << e.AcrossLast;
}

// Along the code: the first and last black pixel. Across: the black run through the
// first bar, which leaves out the caption's text.
TBarExtent BarsOfPng(const std::string& path, bool vertical) {
    zan::platform::TBitmap bitmap;
    bitmap.LoadFromPngFile(path);
    const int alongSize = vertical ? bitmap.GetHeight() : bitmap.GetWidth();
    const int acrossSize = vertical ? bitmap.GetWidth() : bitmap.GetHeight();
    auto black = [&](int along, int across) {
        return bitmap.GetPixel(vertical ? across : along, vertical ? along : across) == zan::platform::clBlack;
    };
    TBarExtent e{.AlongFirst = -1, .AlongLast = -1, .AcrossFirst = -1, .AcrossLast = -1};
    for (int along = 0; along < alongSize; ++along) {
        for (int across = 0; across < acrossSize; ++across) {
            if (!black(along, across)) continue;
            if (e.AlongFirst < 0) e.AlongFirst = along;
            e.AlongLast = along;
        }
    }
    if (e.AlongFirst < 0) return e;
    int across = 0;
    while (!black(e.AlongFirst, across)) ++across;
    e.AcrossFirst = across;
    while (across < acrossSize && black(e.AlongFirst, across)) ++across;
    e.AcrossLast = across - 1;
    return e;
}

TBarExtent BarsOfSvg(const std::string& path, bool vertical) {
    TBarExtent e{.AlongFirst = 1 << 30, .AlongLast = -1, .AcrossFirst = 1 << 30, .AcrossLast = -1};
    for (const zantest::TSvgRect& r : zantest::ReadSvgRects(zantest::ReadFile(path))) {
        if (r.Fill != "#000000") continue;
        const int along = vertical ? r.Y : r.X;
        const int alongSize = vertical ? r.Height : r.Width;
        const int across = vertical ? r.X : r.Y;
        const int acrossSize = vertical ? r.Width : r.Height;
        e = {std::min(e.AlongFirst, along), std::max(e.AlongLast, along + alongSize - 1),
             std::min(e.AcrossFirst, across), std::max(e.AcrossLast, across + acrossSize - 1)};
    }
    return e;
}

struct TImageSize {
    int Width = 0;
    int Height = 0;
};

// The size that an SVG document declares.
TImageSize SvgSize(const std::string& svg) {
    static const std::regex pattern(R"re(<svg [^>]*width="(\d+)" height="(\d+)")re");
    std::smatch m;
    if (!std::regex_search(svg, m, pattern)) return {};
    return {std::stoi(m[1]), std::stoi(m[2])};
}

TEST(ZanbarcodeCliTest, BarsHaveTheAskedLengthAndQuietZonesInEveryOrientation) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Geometry");
    // "A" at 300 ppi: modules of 3 pixels, a code of 3 * 47 = 141 pixels, quiet zones of
    // 30 pixels before and after it, 5 pixels on the other sides.
    struct TCase {
        std::vector<std::string> extra{};
        int length = 0;  // of the bars
        int imageAlong = 0;
        int imageAcross = 0;
        TBarExtent bars{};
    };
    const TCase cases[] = {
        {.length = 150, .imageAlong = 201, .imageAcross = 160, .bars = {30, 170, 5, 154}},  // half an inch
        {.extra = {"--height", "100"}, .length = 100, .imageAlong = 201, .imageAcross = 110, .bars = {30, 170, 5, 104}},
        {.extra = {"--height", "20", "--margins", "1,2,3,4"}, .length = 20},  // per orientation below
    };
    for (const TCase& c : cases) {
        for (const char* angle : {"0", "90", "180", "270"}) {
            const bool vertical = std::string(angle) == "90" || std::string(angle) == "270";
            for (const char* extension : {".png", ".svg"}) {
                const std::string file = dir + "/a" + angle + extension;
                std::vector<std::string> arguments = {"-s",  "Code 39", "--set", "DisplayCaption=false", "-r",
                                                      "300", "-o",      file,    "--orientation",        angle};
                arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
                arguments.push_back("A");
                const zantest::TCommandResult result = zantest::RunZanbarcode(arguments);
                ASSERT_EQ(result.ExitStatus, 0) << result.Errors;
                TBarExtent expected = c.bars;
                int imageAlong = c.imageAlong;
                int imageAcross = c.imageAcross;
                if (c.imageAlong == 0) {
                    // Margins 1,2,3,4 stay on the image's own sides whatever the turn.
                    imageAlong = 141 + (vertical ? 2 + 4 : 1 + 3);
                    imageAcross = 20 + (vertical ? 1 + 3 : 2 + 4);
                    expected = vertical ? TBarExtent{2, 142, 1, 20} : TBarExtent{1, 141, 2, 21};
                }
                const TBarExtent bars =
                    extension == std::string(".png") ? BarsOfPng(file, vertical) : BarsOfSvg(file, vertical);
                EXPECT_EQ(bars, expected) << file << " " << c.length;
                EXPECT_EQ(bars.AcrossLast - bars.AcrossFirst + 1, c.length) << file;
                if (extension == std::string(".png")) {
                    zan::platform::TBitmap bitmap;
                    bitmap.LoadFromPngFile(file);
                    EXPECT_EQ(vertical ? bitmap.GetHeight() : bitmap.GetWidth(), imageAlong) << file;
                    EXPECT_EQ(vertical ? bitmap.GetWidth() : bitmap.GetHeight(), imageAcross) << file;
                    EXPECT_EQ(bitmap.GetPixelsPerInch(), 300) << file;
                } else {
                    const TImageSize size = SvgSize(zantest::ReadFile(file));
                    EXPECT_EQ(vertical ? size.Height : size.Width, imageAlong) << file;
                    EXPECT_EQ(vertical ? size.Width : size.Height, imageAcross) << file;
                }
            }
        }
    }
}

TEST(ZanbarcodeCliTest, PostnetKeepsTheUspsClearZone) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Postnet");
    // USPS (DMM 708.4, Publication 25): at least 1/8 inch left and right of the code,
    // 1/25 inch above and below; at 300 ppi 37.5 and 12 pixels, rounded up to 38 and 12.
    // The default caption and its check digit are 154 bar widths (Part of the USPS code:
    // 10 digits of 5 bars at a pitch of 3, and two frame bars); bars of 300 * 15 / 1000 =
    // 4.5 pixels, rounded half to even to 4; full bars of 0.115 inch, 34 pixels.
    constexpr int CodeWidth = 154 * 4;
    for (const char* angle : {"0", "90", "180", "270"}) {
        const bool vertical = std::string(angle) == "90" || std::string(angle) == "270";
        for (const char* extension : {".png", ".svg"}) {
            const std::string file = dir + "/p" + angle + extension;
            const zantest::TCommandResult result =
                zantest::RunZanbarcode({"-s", "POSTNET", "-r", "300", "--orientation", angle, "-o", file});
            ASSERT_EQ(result.ExitStatus, 0) << result.Errors;
            const bool png = extension == std::string(".png");
            const TBarExtent bars = png ? BarsOfPng(file, vertical) : BarsOfSvg(file, vertical);
            EXPECT_EQ(bars, (TBarExtent{38, 38 + CodeWidth - 1, 12, 12 + 34 - 1})) << file;
            TImageSize size;
            if (png) {
                zan::platform::TBitmap bitmap;
                bitmap.LoadFromPngFile(file);
                size = {bitmap.GetWidth(), bitmap.GetHeight()};
            } else {
                size = SvgSize(zantest::ReadFile(file));
            }
            EXPECT_EQ(vertical ? size.Height : size.Width, 38 + CodeWidth + 38) << file;
            EXPECT_EQ(vertical ? size.Width : size.Height, 12 + 34 + 12) << file;
        }
    }
}

TEST(ZanbarcodeCliTest, BarsAsLongAsAPictureMayHold) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Longest");
    // The longest bars that the refusal of --height 65535 names (UsageErrorsExitWithTwoAndOneLine).
    const std::string png = dir + "/x.png";
    const zantest::TCommandResult result =
        zantest::RunZanbarcode({"-s", "Code 39", "--set", "DisplayCaption=false", "--height", "65525", "-o", png, "A"});
    ASSERT_EQ(result.ExitStatus, 0) << result.Errors;
    zan::platform::TBitmap bitmap;
    bitmap.LoadFromPngFile(png);
    EXPECT_EQ(bitmap.GetWidth(), 67);
    EXPECT_EQ(bitmap.GetHeight(), 65535);
    EXPECT_EQ(BarsOfPng(png, false), (TBarExtent{10, 56, 5, 5 + 65525 - 1}));
}

TEST(ZanbarcodeCliTest, CaptionAddsItsLineBeyondTheBars) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Caption");
    for (const char* angle : {"0", "90", "180", "270"}) {
        const bool vertical = std::string(angle) == "90" || std::string(angle) == "270";
        // The bars hang from the top (0), the left (90), the bottom (180) or the right (270).
        const bool hangFromStart = std::string(angle) == "0" || std::string(angle) == "90";
        int pngAcross = 0;
        for (const char* extension : {".png", ".svg"}) {
            const std::string file = dir + "/a" + angle + extension;
            const zantest::TCommandResult result = zantest::RunZanbarcode(
                {"-s", "Code 39", "-r", "300", "--height", "100", "--orientation", angle, "-o", file, "A"});
            ASSERT_EQ(result.ExitStatus, 0) << result.Errors;
            const bool png = extension == std::string(".png");
            const TBarExtent bars = png ? BarsOfPng(file, vertical) : BarsOfSvg(file, vertical);
            EXPECT_EQ(bars.AcrossLast - bars.AcrossFirst + 1, 100) << file << ": " << bars;
            EXPECT_EQ(bars.AlongFirst, 30) << file;
            EXPECT_EQ(bars.AlongLast, 170) << file;
            int across = 0;
            if (png) {
                zan::platform::TBitmap bitmap;
                bitmap.LoadFromPngFile(file);
                across = vertical ? bitmap.GetWidth() : bitmap.GetHeight();
                pngAcross = across;
            } else {
                const std::string svg = zantest::ReadFile(file);
                const TImageSize size = SvgSize(svg);
                across = vertical ? size.Width : size.Height;
                EXPECT_EQ(across, pngAcross) << "bitmap and metafile of one size";
                EXPECT_NE(svg.find(">*A*</text>"), std::string::npos);
            }
            EXPECT_GT(across, 5 + 100 + 5) << file << ": the caption's line comes on top";
            if (hangFromStart)
                EXPECT_EQ(bars.AcrossFirst, 5) << file;
            else
                EXPECT_EQ(bars.AcrossLast, across - 5 - 1) << file;
        }
    }
}

TEST(ZanbarcodeCliTest, SvgBarsAndSpacesSitAtExactPixelPositions) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Svg");
    const std::string svg = dir + "/a.svg";
    const zantest::TCommandResult result =
        zantest::RunZanbarcode({"-s", "Code 39", "--set", "DisplayCaption=false", "--bar-color", "112233",
                                "--space-color", "445566", "--back-color", "778899", "-r", "200", "-o", svg, "A"});
    ASSERT_EQ(result.ExitStatus, 0) << result.Errors;
    const std::vector<zantest::TSvgRect> rects = zantest::ReadSvgRects(zantest::ReadFile(svg));
    // 200 ppi: modules of 2 pixels, quiet zones of 20; bars half an inch (100) long.
    // Start, gap, A, gap, stop in element widths from ISO/IEC 16388 (*: 131131311,
    // A: 311113113), doubled.
    const std::string modules =
        "131131311"
        "1"
        "311113113"
        "1"
        "131131311";
    ASSERT_EQ(rects.size(), 1 + modules.size());
    EXPECT_EQ(rects[0].Fill, "#778899");
    EXPECT_EQ(rects[0].Width, 20 + 2 * 47 + 20);
    EXPECT_EQ(rects[0].Height, 5 + 100 + 5);
    int x = 20;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const zantest::TSvgRect& r = rects[i + 1];
        const int width = 2 * (modules[i] - '0');
        EXPECT_EQ(r.X, x) << i;
        EXPECT_EQ(r.Width, width) << i;
        EXPECT_EQ(r.Y, 5) << i;
        EXPECT_EQ(r.Height, 100) << i;
        EXPECT_EQ(r.Fill, i % 2 == 0 ? "#112233" : "#445566") << i;
        x += width;
    }
}

TEST(ZanbarcodeCliTest, PrintsALabelOfExactlyThePicturesSize) {
    // The PNG of the same command gives the picture's size in pixels; at 300 per inch
    // each is 72 / 300 of a point.
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Print");
    const std::vector<std::string> label = {"-s", "EAN 13", "-r", "300", "-o"};
    auto draw = [&](const std::string& name) {
        std::vector<std::string> arguments = label;
        arguments.push_back(dir + "/" + name);
        arguments.push_back("590123412345");
        const zantest::TCommandResult result = zantest::RunZanbarcode(arguments);
        EXPECT_EQ(result.ExitStatus, 0) << result.Errors;
        EXPECT_EQ(result.Errors, "");
        return dir + "/" + name;
    };
    zan::platform::TBitmap png;
    png.LoadFromPngFile(draw("label.png"));
    const double width = png.GetWidth() * 72.0 / 300;
    const double height = png.GetHeight() * 72.0 / 300;

    const std::string pdf = draw("label.pdf");
    const zantest::TPdfInfo info = zantest::ReadPdfInfo(pdf);
    EXPECT_EQ(info.Pages, 1);
    EXPECT_NEAR(info.PageWidth, width, 0.005);
    EXPECT_NEAR(info.PageHeight, height, 0.005);
    EXPECT_EQ(zantest::ScanWithZbar(zantest::RenderPdfPage(pdf, 300)),
              std::vector<std::string>{"EAN-13:5901234123457"});

    const std::string eps = draw("label.eps");
    const zantest::TEpsBox box = zantest::ReadEpsHiResBox(eps);
    EXPECT_EQ(box.Left, 0);
    EXPECT_EQ(box.Bottom, 0);
    EXPECT_NEAR(box.Right, width, 1e-3);
    EXPECT_NEAR(box.Top, height, 1e-3);
    EXPECT_EQ(zantest::ScanWithZbar(zantest::RenderEps(eps, 300)), std::vector<std::string>{"EAN-13:5901234123457"});
    // Written like the others: no temporary file is left beside the three and their
    // renderings.
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"label.eps", "label.eps-300.png", "label.pdf",
                                                      "label.pdf-300.png", "label.png"}));
}

TEST(ZanbarcodeCliTest, AlignmentPlacesTheCaptionText) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeCliTest.Align");
    struct TCase {
        std::vector<std::string> align{};
        std::string anchor{};
    };
    const TCase cases[] = {
        {.align = {}, .anchor = "middle"},
        {.align = {"--align", "left"}, .anchor = "start"},
        {.align = {"--align", "right"}, .anchor = "end"},
    };
    for (const TCase& c : cases) {
        const std::string svg = dir + "/a.svg";
        std::vector<std::string> arguments = {"-s", "Code 39", "-o", svg, "--font", "DejaVu Sans", "--font-size", "9"};
        arguments.insert(arguments.end(), c.align.begin(), c.align.end());
        arguments.push_back("AB");
        ASSERT_EQ(zantest::RunZanbarcode(arguments).ExitStatus, 0);
        const std::string text = zantest::ReadFile(svg);
        EXPECT_NE(text.find("text-anchor=\"" + c.anchor + "\""), std::string::npos) << c.anchor;
        EXPECT_NE(text.find("font-family=\"&apos;DejaVu Sans&apos;"), std::string::npos);
        EXPECT_NE(text.find("font-size=\"12\""), std::string::npos) << "9 points at 96 ppi";
        EXPECT_NE(text.find(">*AB*</text>"), std::string::npos);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// --batch

// The command run in this process with Input as its standard input.
struct TBatchResult {
    int ExitStatus = -1;
    std::string Errors;
};

TBatchResult RunBatch(const std::vector<std::string>& arguments, const std::string& input,
                      bool errorsOnTerminal = false) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream errors;
    TBatchResult result;
    result.ExitStatus =
        zanbarcode::Run(arguments, {.Input = in, .Output = out, .Errors = errors, .ErrorsOnTerminal = errorsOnTerminal});
    result.Errors = errors.str();
    EXPECT_EQ(out.str(), "") << "a batch prints nothing on standard output";
    return result;
}

TEST(ZanbarcodeBatchTest, NameTemplatesNumberAndNameTheFiles) {
    struct TCase {
        std::string pattern{};
        std::size_t number = 0;
        std::string caption{};
        std::string name{};
    };
    const TCase cases[] = {
        {.pattern = "label-~~~~~.png", .number = 1, .caption = "A", .name = "label-00001.png"},
        {.pattern = "label-~~~~~.png", .number = 123456, .caption = "A", .name = "label-123456.png"},
        {.pattern = "~.svg", .number = 42, .caption = "A", .name = "42.svg"},
        {.pattern = "out/a~~b~~~~.png", .number = 7, .caption = "A", .name = "out/a07b0007.png"},
        {.pattern = "/tmp/x~~.png", .number = 3, .caption = "A", .name = "/tmp/x03.png"},
        {.pattern = "{caption}.png", .number = 5, .caption = "ABC-12_3.x", .name = "ABC-12_3.x.png"},
        // Whatever the caption holds, the name stays in the folder and in sight.
        {.pattern = "out/{caption}.png", .number = 5, .caption = "../../etc/passwd", .name = "out/_._.._etc_passwd.png"},
        {.pattern = "out/{caption}.png", .number = 5, .caption = "..", .name = "out/_..png"},
        {.pattern = "out/{caption}.png", .number = 5, .caption = ".hidden", .name = "out/_hidden.png"},
        {.pattern = "p.{caption}.png", .number = 5, .caption = ".x", .name = "p..x.png"},
        {.pattern = "{caption}.png", .number = 5, .caption = std::string("a b\\c\0\xE9*", 8), .name = "a_b_c___.png"},
        {.pattern = "~~~-{caption}.svg", .number = 9, .caption = "Hello", .name = "009-Hello.svg"},
        {.pattern = "{Caption}~.svg", .number = 9, .caption = "Hello", .name = "{Caption}9.svg"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TNameTemplate(c.pattern).FileName(c.number, c.caption), c.name) << c.pattern;
    EXPECT_TRUE(TNameTemplate("a~.png").HasCounter());
    EXPECT_FALSE(TNameTemplate("{caption}.png").HasCounter());
    EXPECT_EQ(TNameTemplate("a~.png").Folder(), ".");
    EXPECT_EQ(TNameTemplate("/a~.png").Folder(), "/");
    EXPECT_EQ(TNameTemplate("x/y/a~.png").Folder(), "x/y");

    struct TRefusal {
        std::string pattern{};
        std::string message{};
    };
    const TRefusal refusals[] = {
        {.pattern = "label.png",
         .message = "-o 'label.png': a batch writes a file a line: put a run of ~ for the line's number into the file "
                    "name (-o label-~~~~~.png), or {caption}"},
        {.pattern = "~~/label.png",
         .message = "-o '~~/label.png': the line's number (~) and {caption} stand in the file name only, not in its "
                    "folder"},
        {.pattern = "{caption}/x~.png",
         .message = "-o '{caption}/x~.png': the line's number (~) and {caption} stand in the file name only, not in "
                    "its folder"},
    };
    for (const TRefusal& r : refusals) {
        try {
            TNameTemplate{r.pattern};
            ADD_FAILURE() << "accepted " << r.pattern;
        } catch (const EUsageError& e) {
            EXPECT_EQ(e.Message(), r.message);
        }
    }
}

TEST(ZanbarcodeBatchTest, RejectedLinesAreReportedAndTheOthersWritten) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeBatchTest.Lines");
    const TBatchResult result = RunBatch({"--batch", "-s", "Code 39", "-r", "300", "-j", "2", "-o", dir + "/l-~~~.png"},
                                         "CODE1\nBAD-1\r\n\nCODE4\r\n" + std::string(40, 'X') + "\n");
    EXPECT_EQ(result.ExitStatus, ExitFailure);
    EXPECT_EQ(result.Errors,
              "zanbarcode: line 2: Invalid character: -\n"
              "zanbarcode: line 3: the line is empty: a barcode without data is not read by scanners\n"
              "zanbarcode: line 5: Code 39 changed the caption to \"" + std::string(32, 'X') + "\"\n");
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"l-001.png", "l-004.png", "l-005.png"}));
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/l-001.png"), std::vector<std::string>{"CODE-39:CODE1"});
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/l-004.png"), std::vector<std::string>{"CODE-39:CODE4"})
        << "the CR is not part of the caption";
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/l-005.png"), std::vector<std::string>{"CODE-39:" + std::string(32, 'X')});

    // Every line fine: status 0, not a word.
    const TBatchResult fine = RunBatch({"--batch", "-s", "EAN 13", "-r", "300", "-o", dir + "/e-~.png"}, "590123412345");
    EXPECT_EQ(fine.ExitStatus, ExitSuccess);
    EXPECT_EQ(fine.Errors, "");
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/e-1.png"), std::vector<std::string>{"EAN-13:5901234123457"});
}

TEST(ZanbarcodeBatchTest, EscapesApplyToEachLine) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeBatchTest.Escapes");
    const TBatchResult result =
        RunBatch({"--batch", "-e", "-r", "300", "-o", dir + "/{caption}-~.png"}, "A\\x42C\nbad\\q\nx\\\\y\n");
    EXPECT_EQ(result.ExitStatus, ExitFailure);
    EXPECT_EQ(result.Errors, "zanbarcode: line 2: invalid escape '\\q' in the caption: use \\xHH, \\\\ or \\n\n");
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"ABC-1.png", "x_y-3.png"}));
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/x_y-3.png"), std::vector<std::string>{"CODE-128:x\\y"});
}

TEST(ZanbarcodeBatchTest, TwoLinesNeverWriteOneFile) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeBatchTest.Same");
    // "a/b" and "a?b" make the same safe name; the first line has it.
    const TBatchResult result = RunBatch({"--batch", "-o", dir + "/{caption}.svg"}, "a/b\nc\na?b\nc\n");
    EXPECT_EQ(result.ExitStatus, ExitFailure);
    EXPECT_EQ(result.Errors,
              "zanbarcode: line 3: line 1 writes '" + dir +
                  "/a_b.svg' already: put a run of ~ for the line's number into the -o template\n"
                  "zanbarcode: line 4: line 2 writes '" +
                  dir + "/c.svg' already: put a run of ~ for the line's number into the -o template\n");
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"a_b.svg", "c.svg"}));
    EXPECT_NE(zantest::ReadFile(dir + "/a_b.svg").find(">a/b</text>"), std::string::npos) << "line 1's picture";
}

TEST(ZanbarcodeBatchTest, RefusesWhatNoLineCouldBeDrawnWith) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeBatchTest.Usage");
    fs::create_directory(dir + "/out");
    struct TCase {
        std::vector<std::string> arguments{};
        std::string message{};
    };
    const TCase cases[] = {
        {.arguments = {"--batch", "-o", dir + "/out/label.png"},
         .message = "zanbarcode: -o '" + dir +
                    "/out/label.png': a batch writes a file a line: put a run of ~ for the line's number into the "
                    "file name (-o label-~~~~~.png), or {caption}\n"},
        {.arguments = {"--batch", "-o", dir + "/~~/label.png"},
         .message = "zanbarcode: -o '" + dir +
                    "/~~/label.png': the line's number (~) and {caption} stand in the file name only, not in its "
                    "folder\n"},
        {.arguments = {"--batch", "-o", dir + "/{caption}/label~.png"},
         .message = "zanbarcode: -o '" + dir +
                    "/{caption}/label~.png': the line's number (~) and {caption} stand in the file name only, not in "
                    "its folder\n"},
        {.arguments = {"--batch", "-o", dir + "/missing/l~.png"},
         .message = "zanbarcode: -o '" + dir + "/missing/l~.png': there is no folder '" + dir + "/missing'\n"},
        {.arguments = {"--batch"},
         .message = "zanbarcode: no output files: give a name template with -o, a run of ~ for the line's number (-o "
                    "label-~~~~~.png)\n"},
        {.arguments = {"--batch", "-o", dir + "/out/l~.png", "CAPTION"},
         .message = "zanbarcode: unexpected argument 'CAPTION': --batch reads its captions from the input, one a "
                    "line\n"},
        {.arguments = {"-j", "2", "-o", dir + "/out/x.png"},
         .message = "zanbarcode: --jobs: worker threads draw the lines of a --batch only\n"},
        {.arguments = {"--batch", "-j", "0", "-o", dir + "/out/l~.png"},
         .message = "zanbarcode: --jobs: '0' is not a whole number from 1 to 256\n"},
        {.arguments = {"--input", dir + "/none.txt", "-o", dir + "/out/l~.png"},
         .message = "zanbarcode: --input: cannot read '" + dir + "/none.txt': No such file or directory\n"},
        {.arguments = {"--input", dir + "/out", "-o", dir + "/out/l~.png"},
         .message = "zanbarcode: --input: '" + dir + "/out' is a folder\n"},
        {.arguments = {"--batch", "-s", "Code 39", "--set", "XDimension=5", "-o", dir + "/out/l~.png"},
         .message = "zanbarcode: XDimension 5 gives bars of 0 pixels at 96 pixels per inch: raise --dpi or "
                    "XDimension\n"},
        {.arguments = {"--batch", "-s", "Code 93", "-o", dir + "/out/l~.png"},
         .message = "zanbarcode: Code 93 is not a valid symbology name. (see --list)\n"},
    };
    for (const TCase& c : cases) {
        const TBatchResult result = RunBatch(c.arguments, "A\nB\n");
        EXPECT_EQ(result.ExitStatus, ExitUsage) << c.message;
        EXPECT_EQ(result.Errors, c.message);
    }
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"out"});
    EXPECT_TRUE(fs::is_empty(dir + "/out"));
}

TEST(ZanbarcodeBatchTest, EmptyInputDrawsNothingAndSaysSo) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeBatchTest.Empty");
    for (const std::string input : {"", "\n"}) {
        const TBatchResult result = RunBatch({"--batch", "-o", dir + "/l~.png"}, input);
        EXPECT_EQ(result.ExitStatus, ExitFailure);
        EXPECT_EQ(result.Errors, input.empty() ? "zanbarcode: the input holds no lines: no barcode drawn\n"
                                               : "zanbarcode: line 1: the line is empty: a barcode without data is "
                                                 "not read by scanners\n");
    }
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
}

// The same files whatever the number of workers: each has its own bitmap and fonts.
TEST(ZanbarcodeBatchTest, WorkersWriteTheFilesOneWorkerWrites) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeBatchTest.Jobs");
    std::string input;
    for (int i = 0; i < 40; ++i) input += std::to_string(590123412300 + i * 7) + "\n";
    for (const std::string extension : {".png", ".svg"}) {
        for (const char* jobs : {"1", "2", "3"}) {
            fs::create_directory(dir + "/j" + jobs);
            const TBatchResult result = RunBatch(
                {"--batch", "-s", "EAN 13", "-r", "300", "-j", jobs, "-o", dir + "/j" + jobs + "/~~" + extension},
                input);
            EXPECT_EQ(result.ExitStatus, ExitSuccess) << result.Errors;
        }
        EXPECT_EQ(Entries(dir + "/j1").size(), 40u);
        for (const std::string& name : Entries(dir + "/j1")) {
            const std::string one = zantest::ReadFile(dir + "/j1/" + name);
            EXPECT_EQ(zantest::ReadFile(dir + "/j2/" + name), one) << name;
            EXPECT_EQ(zantest::ReadFile(dir + "/j3/" + name), one) << name;
        }
        // Each is what the command draws for the caption alone.
        const std::string alone = dir + "/alone" + extension;
        ASSERT_EQ(zantest::RunZanbarcode({"-s", "EAN 13", "-r", "300", "-o", alone, "590123412321"}).ExitStatus, 0);
        EXPECT_EQ(zantest::ReadFile(dir + "/j2/04" + extension), zantest::ReadFile(alone));
        for (const char* jobs : {"1", "2", "3"}) fs::remove_all(dir + "/j" + jobs);
    }
}

TEST(ZanbarcodeBatchTest, ReadsStandardInputOrAFileAndAScannerReadsTheFiles) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeBatchTest.Input");
    const std::string captions = dir + "/captions.txt";
    {
        std::ofstream file(captions, std::ios::binary);
        file << "590123412345\r\n400638133393\r\n";
    }
    fs::create_directory(dir + "/file");
    const zantest::TCommandResult fromFile =
        zantest::RunZanbarcode({"-s", "EAN 13", "-r", "300", "--input", captions, "-o", dir + "/file/ean-~~~~~.png"});
    EXPECT_EQ(fromFile.ExitStatus, 0) << fromFile.Errors;
    EXPECT_EQ(fromFile.Errors, "");
    EXPECT_EQ(Entries(dir + "/file"), (std::vector<std::string>{"ean-00001.png", "ean-00002.png"}));
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/file/ean-00001.png"), std::vector<std::string>{"EAN-13:5901234123457"});
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/file/ean-00002.png"), std::vector<std::string>{"EAN-13:4006381333931"});

    // The same lines on standard input; a rejected one fails the run with status 1.
    fs::create_directory(dir + "/stdin");
    const zantest::TCommandResult fromInput = zantest::RunCommand(
        {"/bin/sh", "-c", "printf '590123412345\\nABC\\n400638133393\\n' | exec \"$0\" \"$@\"", ZANBARCODE_EXE,
         "--batch", "-s", "EAN 13", "-r", "300", "-o", dir + "/stdin/{caption}.png"});
    EXPECT_EQ(fromInput.ExitStatus, 1);
    EXPECT_EQ(fromInput.Errors, "zanbarcode: line 2: Invalid Caption Length\n");
    EXPECT_EQ(Entries(dir + "/stdin"), (std::vector<std::string>{"400638133393.png", "590123412345.png"}));
    EXPECT_EQ(zantest::ReadFile(dir + "/stdin/590123412345.png"), zantest::ReadFile(dir + "/file/ean-00001.png"));
}

TEST(ZanbarcodeBatchTest, LongBatchesShowTheirProgressOnATerminalOnly) {
    const std::string dir = zantest::TestOutputDir("ZanbarcodeBatchTest.Progress");
    std::string input;
    for (int i = 0; i < 1000; ++i) input += "A" + std::to_string(i) + "\n";
    // Code 39 keeps 32 characters: a note amid the progress.
    const std::string forty(40, 'A');
    input = forty + "\n" + input;
    const std::vector<std::string> arguments = {"--batch", "-s", "Code 39", "-o", dir + "/~~~~.svg"};
    const TBatchResult terminal = RunBatch(arguments, input, true);
    EXPECT_EQ(terminal.ExitStatus, ExitSuccess);
    const std::string note = "zanbarcode: line 1: Code 39 changed the caption to \"" + forty.substr(0, 32) + "\"\n";
    EXPECT_NE(terminal.Errors.find("\rzanbarcode: 0 of 1001 lines"), std::string::npos) << terminal.Errors;
    EXPECT_NE(terminal.Errors.find("\r\x1b[K" + note), std::string::npos) << "the progress line cleared first";
    EXPECT_EQ(terminal.Errors.substr(terminal.Errors.size() - 4), "\r\x1b[K") << "and at the end";
    EXPECT_EQ(Entries(dir).size(), 1001u);

    const TBatchResult file = RunBatch(arguments, input, false);
    EXPECT_EQ(file.Errors, note);
    // A short batch on a terminal has no progress line.
    const TBatchResult shortBatch = RunBatch(arguments, forty + "\n", true);
    EXPECT_EQ(shortBatch.Errors, note);
}
