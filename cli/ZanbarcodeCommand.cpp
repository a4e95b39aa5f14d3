#include "cli/ZanbarcodeCommand.h"

#include <exception>
#include <new>

#include <zanbarcode/barcode/ZanBarcode.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "cli/ZanbarcodeBatch.h"
#include "cli/ZanbarcodeOptions.h"
#include "cli/ZanbarcodeOutput.h"

namespace zanbarcode {

namespace {

void PrintSymbologyNames(std::ostream& out) {
    for (int index = 0; index < zan::SymbologyCount(); ++index)
        out << zan::GetSymbologyClassByIndex(index)->GetSymbologyName() << '\n';
}

int Execute(const TOptions& options, const TConsole& console) {
    std::ostream& out = console.Output;
    switch (options.Action) {
        case TAction::Help: out << HelpText(); return ExitSuccess;
        case TAction::Version: out << "zanbarcode " << ZANBARCODE_VERSION << '\n'; return ExitSuccess;
        case TAction::List:
            zan::RegisterBarcodeSymbologies();
            PrintSymbologyNames(out);
            return ExitSuccess;
        case TAction::Properties:
        case TAction::Draw: break;
    }
    if (options.Action == TAction::Draw && options.Batch) return RunBatch(options, console);
    const zan::TZanBarcodePicture picture = PictureOf(options);
    // Symbology and settings are checked first, so that their failures name the option.
    const zan::TZanSettings settings = SettingsOf(picture);
    if (options.Action == TAction::Properties) {
        for (const auto& [name, value] : settings) out << name << '=' << value << '\n';
        return ExitSuccess;
    }
    WriteBarcodeFile(picture, options, console.Errors);
    return ExitSuccess;
}

}  // namespace

int Run(const std::vector<std::string>& arguments, const TConsole& console) {
    std::ostream& errors = console.Errors;
    try {
        return Execute(ParseCommandLine(arguments), console);
    } catch (const EUsageError& e) {
        errors << "zanbarcode: " << Printable(e.Message()) << '\n';
        return ExitUsage;
    } catch (const zan::platform::Exception& e) {
        // A rejected caption (EInvalidText) with the symbology's own message, or a file
        // that could not be written. The message, not what(), which ends at a NUL that a
        // rejected caption may hold.
        errors << "zanbarcode: " << Printable(e.Message()) << '\n';
        return ExitFailure;
    } catch (const std::bad_alloc&) {
        errors << "zanbarcode: out of memory: the picture asked for is too large for this machine (lower --dpi, "
                  "--height, the margins or XDimension)\n";
        return ExitOutOfMemory;
    } catch (const std::exception& e) {
        errors << "zanbarcode: " << Printable(e.what()) << '\n';
        return ExitFailure;
    }
}

}  // namespace zanbarcode
