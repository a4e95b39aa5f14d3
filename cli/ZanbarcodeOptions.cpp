#include "cli/ZanbarcodeOptions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace zanbarcode {

namespace {

// The library's limits, which keep every image a size a machine can hold.
constexpr int MaxDpi = zan::MaxPictureDpi;
constexpr int MaxPixels = zan::MaxPictureSide;
constexpr int MaxFontSize = zan::MaxPictureFontSize;

// What the parser has seen so far; the caption is decoded once all options are known.
struct TParseState {
    TOptions Options;
    std::optional<std::string> RawCaption;
};

int ParseInteger(std::string_view option, const std::string& text, int min, int max) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max)
        throw EUsageError("%s: '%s' is not a whole number from %d to %d",
                          {std::string(option), text, std::int64_t{min}, std::int64_t{max}});
    return value;
}

zan::TZanBarcodeOrientation ParseOrientation(const std::string& text) {
    constexpr std::array<std::string_view, 4> angles = {"0", "90", "180", "270"};
    const auto found = std::find(angles.begin(), angles.end(), text);
    if (found == angles.end()) throw EUsageError("--orientation: '%s' is not one of 0, 90, 180 or 270", {text});
    return static_cast<zan::TZanBarcodeOrientation>(found - angles.begin());
}

zan::platform::TAlignment ParseAlignment(const std::string& text) {
    if (text == "left") return zan::platform::taLeftJustify;
    if (text == "center") return zan::platform::taCenter;
    if (text == "right") return zan::platform::taRightJustify;
    throw EUsageError("--align: '%s' is not one of left, center or right", {text});
}

TMargins ParseMargins(const std::string& text) {
    std::array<int, 4> sides{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < sides.size(); ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i + 1 == sides.size();
        if (last != (comma == std::string::npos))
            throw EUsageError("--margins: '%s' is not four numbers L,T,R,B", {text});
        sides[i] = ParseInteger("--margins", text.substr(start, comma - start), 0, MaxPixels);
        start = comma + 1;
    }
    return {sides[0], sides[1], sides[2], sides[3]};
}

std::pair<std::string, std::string> ParseProperty(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) throw EUsageError("--set: '%s' is not NAME=VALUE", {text});
    return {text.substr(0, equals), text.substr(equals + 1)};
}

// The action of highest rank wins: --help over --version over --list over --properties.
void Request(TParseState& state, TAction action) { state.Options.Action = std::max(state.Options.Action, action); }

struct TOptionInfo {
    std::string_view Long;
    char Short = 0;
    bool TakesValue = false;
    void (*Apply)(TParseState& state, const std::string& value);
};

constexpr TOptionInfo OptionInfos[] = {
    {"symbology", 's', true, [](TParseState& s, const std::string& v) { s.Options.Symbology = v; }},
    {"output", 'o', true, [](TParseState& s, const std::string& v) { s.Options.OutputFile = v; }},
    {"dpi", 'r', true,
     [](TParseState& s, const std::string& v) { s.Options.Dpi = ParseInteger("--dpi", v, 1, MaxDpi); }},
    {"height", 0, true,
     [](TParseState& s, const std::string& v) { s.Options.Height = ParseInteger("--height", v, 1, MaxPixels); }},
    {"orientation", 0, true, [](TParseState& s, const std::string& v) { s.Options.Orientation = ParseOrientation(v); }},
    {"margins", 0, true, [](TParseState& s, const std::string& v) { s.Options.Margins = ParseMargins(v); }},
    {"align", 0, true, [](TParseState& s, const std::string& v) { s.Options.Alignment = ParseAlignment(v); }},
    {"bar-color", 0, true,
     [](TParseState& s, const std::string& v) { s.Options.BarColor = ParseColor("--bar-color", v); }},
    {"space-color", 0, true,
     [](TParseState& s, const std::string& v) { s.Options.SpaceColor = ParseColor("--space-color", v); }},
    {"back-color", 0, true,
     [](TParseState& s, const std::string& v) { s.Options.BackColor = ParseColor("--back-color", v); }},
    {"font", 0, true, [](TParseState& s, const std::string& v) { s.Options.FontName = v; }},
    {"font-size", 0, true,
     [](TParseState& s, const std::string& v) { s.Options.FontSize = ParseInteger("--font-size", v, 1, MaxFontSize); }},
    {"set", 0, true, [](TParseState& s, const std::string& v) { s.Options.Properties.push_back(ParseProperty(v)); }},
    {"escapes", 'e', false, [](TParseState& s, const std::string&) { s.Options.Escapes = true; }},
    {"batch", 0, false, [](TParseState& s, const std::string&) { s.Options.Batch = true; }},
    {"input", 'i', true,
     [](TParseState& s, const std::string& v) {
         s.Options.Batch = true;
         s.Options.InputFile = v;
     }},
    {"jobs", 'j', true,
     [](TParseState& s, const std::string& v) { s.Options.Jobs = ParseInteger("--jobs", v, 1, MaxJobs); }},
    {"list", 0, false, [](TParseState& s, const std::string&) { Request(s, TAction::List); }},
    {"properties", 0, false, [](TParseState& s, const std::string&) { Request(s, TAction::Properties); }},
    {"help", 'h', false, [](TParseState& s, const std::string&) { Request(s, TAction::Help); }},
    {"version", 0, false, [](TParseState& s, const std::string&) { Request(s, TAction::Version); }},
};

const TOptionInfo& FindLong(std::string_view name) {
    const auto found = std::find_if(std::begin(OptionInfos), std::end(OptionInfos),
                                    [name](const TOptionInfo& o) { return o.Long == name; });
    if (found == std::end(OptionInfos)) throw EUsageError("unknown option '--%s'", {std::string(name)});
    return *found;
}

const TOptionInfo& FindShort(char name) {
    const auto found = std::find_if(std::begin(OptionInfos), std::end(OptionInfos),
                                    [name](const TOptionInfo& o) { return o.Short == name; });
    if (found == std::end(OptionInfos)) throw EUsageError("unknown option '-%s'", {std::string(1, name)});
    return *found;
}

void AddCaption(TParseState& state, const std::string& argument) {
    if (state.RawCaption)
        throw EUsageError("unexpected argument '%s': give the caption as one argument (quote it)", {argument});
    state.RawCaption = argument;
}

}  // namespace

TOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    TParseState state;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            for (++i; i < arguments.size(); ++i) AddCaption(state, arguments[i]);
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            AddCaption(state, argument);
            continue;
        }
        // --name, --name=value, --name value, -x, -xvalue, -x value
        const bool isLong = argument[1] == '-';
        const std::size_t equals = isLong ? argument.find('=') : std::string::npos;
        const TOptionInfo& option =
            isLong ? FindLong(std::string_view(argument).substr(2, equals - 2)) : FindShort(argument[1]);
        const std::string shownName = isLong ? "--" + std::string(option.Long) : argument.substr(0, 2);
        std::optional<std::string> value;
        if (isLong && equals != std::string::npos)
            value = argument.substr(equals + 1);
        else if (!isLong && argument.size() > 2)
            value = argument.substr(2);
        if (option.TakesValue && !value) {
            if (i + 1 == arguments.size()) throw EUsageError("%s needs a value", {shownName});
            value = arguments[++i];
        }
        if (!option.TakesValue && value) throw EUsageError("%s takes no value", {shownName});
        option.Apply(state, value.value_or(std::string()));
    }

    TOptions options = std::move(state.Options);
    if (options.Batch && state.RawCaption)
        throw EUsageError("unexpected argument '%s': --batch reads its captions from the input, one a line",
                          {*state.RawCaption});
    if (options.Jobs && !options.Batch) throw EUsageError("--jobs: worker threads draw the lines of a --batch only");
    if (state.RawCaption) options.Caption = options.Escapes ? DecodeEscapes(*state.RawCaption) : *state.RawCaption;
    if (options.Action == TAction::Draw) {
        if (options.OutputFile.empty() && options.Batch)
            throw EUsageError(
                "no output files: give a name template with -o, a run of ~ for the line's number (-o label-~~~~~.png)");
        if (options.OutputFile.empty())
            throw EUsageError("no output file: give one with -o FILE (.png, .bmp, .svg, .pdf or .eps)");
        const std::optional<TOutputFormat> format = zan::PictureFormatOfFile(options.OutputFile);
        if (!format)
            throw EUsageError("cannot tell the format of '%s': the name must end in .png, .bmp, .svg, .pdf or .eps",
                              {options.OutputFile});
        options.OutputFormat = *format;
    }
    return options;
}

std::string DecodeEscapes(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        const char kind = i + 1 < text.size() ? text[i + 1] : '\0';
        if (kind == '\\' || kind == 'n') {
            bytes += kind == 'n' ? '\n' : '\\';
            ++i;
            continue;
        }
        if (kind == 'x' && i + 4 <= text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            unsigned value = 0;
            std::from_chars(text.data() + i + 2, text.data() + i + 4, value, 16);
            bytes += static_cast<char>(value);
            i += 3;
            continue;
        }
        throw EUsageError("invalid escape '%s' in the caption: use \\xHH, \\\\ or \\n",
                          {text.substr(i, kind == 'x' ? 4 : 2)});
    }
    return bytes;
}

zan::TColor ParseColor(const std::string& option, const std::string& text) {
    const std::string_view digits = std::string_view(text).substr(!text.empty() && text[0] == '#' ? 1 : 0);
    unsigned rgb = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), rgb, 16);
    if (digits.size() != 6 || ec != std::errc() || ptr != digits.data() + digits.size())
        throw EUsageError("%s: '%s' is not a colour RRGGBB", {option, text});
    return zan::platform::RgbColor(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                                   static_cast<std::uint8_t>(rgb));
}

std::string Printable(const std::string& text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            shown += "\\x";
            shown += hex[byte >> 4];
            shown += hex[byte & 0xF];
        }
    }
    return shown;
}

std::string HelpText() {
    return R"(Usage: zanbarcode [OPTIONS] [CAPTION]
Draws CAPTION as a barcode into a PNG, BMP, SVG, PDF or EPS file. Without
CAPTION the symbology's default caption is drawn; put -- before a CAPTION that
begins with -.

  -s, --symbology NAME   symbology by its registered name, letter case ignored
                         (default: Code 128; see --list)
  -o, --output FILE      the file to write; .png, .bmp, .svg, .pdf or .eps chooses
                         the format (PDF and EPS: a page of the picture's size)
  -r, --dpi N            resolution in pixels per inch (default 96); modules are
                         XDimension thousandths of an inch at this resolution
      --height N         length of the bars in pixels (default: half an inch at
                         the resolution); a caption under them adds its own line
      --orientation DEG  0, 90, 180 or 270 degrees counter-clockwise (default 0)
      --margins L,T,R,B  margins in pixels on the left, top, right and bottom of
                         the image (default: a quiet zone of ten modules before
                         and after the code, 5 pixels on the other two sides;
                         POSTNET: 1/8 inch before and after, 1/25 inch on the
                         other two sides, as USPS asks)
      --align left|center|right
                         where the caption text sits under the bars (default center)
      --bar-color RRGGBB, --space-color RRGGBB, --back-color RRGGBB
                         colours of bars, spaces and background (default 000000,
                         FFFFFF, FFFFFF)
      --font NAME        caption font (default Courier New)
      --font-size POINTS caption font size (default 8)
      --set NAME=VALUE   set a published property of the symbology; repeatable
                         (e.g. --set UseCheckDigit=true --set XDimension=15)
  -e, --escapes          read \xHH, \\ and \n in CAPTION (or in each line) as bytes
      --batch            draw a file for each line of the standard input, the
                         line its caption; -o is a name template in which a run
                         of ~ is the line's number zero-padded to the run's length
                         (-o label-~~~~~.png: label-00001.png, ...) and {caption}
                         the caption with bytes other than A-Z, a-z, 0-9, - _ .
                         as _ (both in the file name only, not in its folder)
  -i, --input FILE       --batch with the lines of FILE (- : standard input)
  -j, --jobs N           worker threads of a batch (default: one a core)
      --list             print the registered symbology names, one a line
      --properties       print the symbology's properties as NAME=VALUE lines
  -h, --help             print this help
      --version          print the version

An empty CAPTION is refused: a barcode without data is not read by scanners.

A batch line is taken without a trailing CR. A line that is empty, rejected or
cannot be written is reported with its number and draws no file, and the batch
goes on; so does a line whose file an earlier line writes (without ~). Files of
a batch are flushed to disk together once all are written.

Exit status: 0 on success, 1 when the caption is rejected or the file cannot be
written (nothing is written then) or some lines of a batch failed or it had no
lines, 2 when the command line is wrong, 3 when the machine has not the memory
for the picture.
)";
}

}  // namespace zanbarcode
