// Fuzz target: the zanbarcode command run in-process, one argument a line.
//
// The command runs in a scratch folder of its own, emptied after every run. An argument
// that names a picture file (its extension is one of the command's formats, letter case
// ignored) has its slashes turned into underscores, so that every file lands in that folder; font
// names are kept to a few (see FewFontNames). A
// PNG or BMP picture is drawn only when an SVG run of the same arguments shows that it
// stays small; SVG pictures cost little at any size.
//
// Checks: the exit status is one of the three the command has; a failure leaves no file
// behind; a drawing leaves exactly the file it names, which reads back; messages on the
// error stream are printable.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <zanbarcode/barcode/ZanBarcode.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Exception.h>
#include "cli/ZanbarcodeCommand.h"
#include "cli/ZanbarcodeOptions.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

namespace zanfuzz {

namespace {

constexpr std::size_t MaxArguments = 32;
constexpr std::int64_t MaxDrawnPixels = std::int64_t{1} << 16;

// Whether the command would take Argument as a picture file name, by its extension.
bool NamesPicture(const std::string& argument) { return zan::PictureFormatOfFile(argument).has_value(); }

std::vector<std::string> ArgumentsOf(std::string_view input) {
    std::vector<std::string> arguments;
    for (const std::string_view line : SplitLines(input)) {
        if (arguments.size() == MaxArguments) break;
        std::string argument(line);
        if (NamesPicture(argument)) std::replace(argument.begin(), argument.end(), '/', '_');
        constexpr std::string_view fontOption = "--font=";
        if (!arguments.empty() && arguments.back() == "--font") argument = FewFontNames(argument);
        if (argument.starts_with(fontOption))
            argument = std::string(fontOption) + FewFontNames(argument.substr(fontOption.size()));
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

// The same arguments with every picture file name ending in .svg instead (every
// format's extension has three letters).
std::vector<std::string> AsSvg(std::vector<std::string> arguments) {
    for (std::string& argument : arguments)
        if (NamesPicture(argument)) argument.replace(argument.size() - 3, 3, "svg");
    return arguments;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// An attribute's value in the SVG root element, e.g. width="120".
std::optional<std::int64_t> SvgSize(const std::string& svg, std::string_view attribute) {
    const std::size_t root = svg.find("<svg ");
    if (root == std::string::npos) return std::nullopt;
    std::string key = " ";
    key += attribute;
    key += "=\"";
    const std::size_t at = svg.find(key, root);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t begin = at + key.size();
    const std::size_t end = svg.find('"', begin);
    if (end == std::string::npos) return std::nullopt;
    return ParseInteger(std::string_view(svg).substr(begin, end - begin));
}

bool IsPrintableMessageText(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '\n' || (byte >= 0x20 && byte < 0x7F);
    });
}

struct TRunResult {
    int Status = 0;
    std::vector<std::string> Files;  // what the run left in the scratch folder
    std::string Picture;             // the content of the file drawn
};

// Runs the command in the scratch folder and checks what it left there.
TRunResult RunCommand(const TScratchDir& scratch, const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream errors;
    TRunResult result;
    {
        const TWorkingDirectory inScratch(scratch.Path());
        std::istringstream noInput;  // a --batch finds no lines
        result.Status = zanbarcode::Run(arguments, {.Input = noInput, .Output = out, .Errors = errors});
    }
    result.Files = scratch.FileNames();
    Check(result.Status == zanbarcode::ExitSuccess || result.Status == zanbarcode::ExitFailure ||
              result.Status == zanbarcode::ExitUsage,
          "the command exits with 0, 1 or 2");
    Check(IsPrintableMessageText(errors.str()), "the command's messages are printable");
    if (result.Status != zanbarcode::ExitSuccess) {
        Check(result.Files.empty(), "a failed command leaves no file behind");
        return result;
    }
    // A successful run parsed its command line, so this parse succeeds as well.
    const zanbarcode::TOptions options = zanbarcode::ParseCommandLine(arguments);
    if (options.Action != zanbarcode::TAction::Draw) {
        Check(result.Files.empty(), "a command that draws nothing writes no file");
        return result;
    }
    Check(result.Files.size() == 1 && result.Files.front() == options.OutputFile,
          "a drawing leaves exactly the file it names");
    result.Picture = ReadFile(scratch.Path() / result.Files.front());
    return result;
}

void CheckPicture(const TScratchDir& scratch, const TRunResult& run, zanbarcode::TOutputFormat format) {
    switch (format) {
        case zanbarcode::TOutputFormat::Svg:
            Check(IsCleanUtf8Text(run.Picture), "an SVG file is well-formed UTF-8 without control characters");
            Check(run.Picture.starts_with("<?xml ") && run.Picture.ends_with("</svg>\n"), "an SVG file is complete");
            break;
        case zanbarcode::TOutputFormat::Png: {
            zan::platform::TBitmap bitmap;
            bitmap.LoadFromPngFile((scratch.Path() / run.Files.front()).string());
            Check(bitmap.GetWidth() > 0 && bitmap.GetHeight() > 0, "a PNG file reads back");
            break;
        }
        case zanbarcode::TOutputFormat::Bmp:
            Check(run.Picture.starts_with("BM") && run.Picture.size() >= 54, "a BMP file has its headers");
            break;
        case zanbarcode::TOutputFormat::Pdf:
            Check(run.Picture.starts_with("%PDF-") && run.Picture.find("%%EOF") != std::string::npos,
                  "a PDF file is complete");
            break;
        case zanbarcode::TOutputFormat::Eps:
            Check(run.Picture.starts_with("%!PS-Adobe-") && run.Picture.find("%%EOF") != std::string::npos,
                  "an EPS file is complete");
            break;
    }
}

}  // namespace

void FuzzCommand(std::string_view input) {
    static const TScratchDir scratch("command");
    const std::vector<std::string> arguments = ArgumentsOf(input);

    // The layout does not depend on the format, so the SVG run tells the picture's size.
    std::optional<zanbarcode::TOutputFormat> format;
    try {
        const zanbarcode::TOptions options = zanbarcode::ParseCommandLine(arguments);
        if (options.Action == zanbarcode::TAction::Draw) format = options.OutputFormat;
    } catch (const zan::platform::Exception&) {
    }
    if (format && *format != zanbarcode::TOutputFormat::Svg) {
        const TRunResult probe = RunCommand(scratch, AsSvg(arguments));
        scratch.Empty();
        const std::optional<std::int64_t> width = SvgSize(probe.Picture, "width");
        const std::optional<std::int64_t> height = SvgSize(probe.Picture, "height");
        if (probe.Status == zanbarcode::ExitSuccess && (!width || !height || *width * *height > MaxDrawnPixels)) return;
    }
    const TRunResult run = RunCommand(scratch, arguments);
    if (run.Status == zanbarcode::ExitSuccess && format) CheckPicture(scratch, run, *format);
    scratch.Empty();
}

}  // namespace zanfuzz
