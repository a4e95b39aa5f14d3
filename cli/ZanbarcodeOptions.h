// The zanbarcode command line: what it asks for, parsed and checked before anything is drawn.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <zanbarcode/barcode/ZanBarcode.h>
#include <zanbarcode/platform/Exception.h>

namespace zanbarcode {

// A command line that cannot be carried out as written (exit status 2).
class EUsageError : public zan::platform::Exception {
public:
    using zan::platform::Exception::Exception;
};

// In rising rank: when several are asked for, the highest wins.
enum class TAction { Draw, Properties, List, Version, Help };

using TOutputFormat = zan::TZanPictureFormat;

// Four margins in pixels on the output's sides, whatever the orientation.
using TMargins = zan::TZanPictureMargins;

struct TOptions {
    TAction Action = TAction::Draw;
    std::string Symbology = "Code 128";
    std::string OutputFile;
    TOutputFormat OutputFormat = TOutputFormat::Png;  // by the output file's extension
    int Dpi = 96;
    std::optional<int> Height;  // bar length in pixels; half an inch when absent
    zan::TZanBarcodeOrientation Orientation = zan::boNormal;
    std::optional<TMargins> Margins;  // quiet zones of ten modules when absent
    zan::platform::TAlignment Alignment = zan::platform::taCenter;
    std::optional<zan::TColor> BarColor;
    std::optional<zan::TColor> SpaceColor;
    std::optional<zan::TColor> BackColor;
    std::optional<std::string> FontName;
    std::optional<int> FontSize;  // points
    // Published properties of the symbology, NAME=VALUE, in command-line order.
    std::vector<std::pair<std::string, std::string>> Properties;
    // The caption as bytes (escapes already decoded); the symbology's default when absent.
    std::optional<std::string> Caption;
    // --batch: captions one a line from InputFile, or standard input when it is absent;
    // OutputFile is then a file name template (see TNameTemplate).
    bool Batch = false;
    std::optional<std::string> InputFile;
    bool Escapes = false;   // -e, applied to each line of a batch
    std::optional<int> Jobs;  // worker threads of a batch; all cores when absent
};

// The most worker threads a batch may ask for.
inline constexpr int MaxJobs = 256;

// Parses the arguments after the program name; raises EUsageError naming the problem.
TOptions ParseCommandLine(const std::vector<std::string>& arguments);

// Decodes \xHH, \\ and \n into bytes; raises EUsageError for any other backslash sequence.
std::string DecodeEscapes(const std::string& text);

// Reads RRGGBB (an optional leading '#') as a colour; raises EUsageError.
zan::TColor ParseColor(const std::string& option, const std::string& text);

// Writes bytes that a terminal would not show as \xHH, for messages.
std::string Printable(const std::string& text);

// The text printed by --help.
std::string HelpText();

}  // namespace zanbarcode
