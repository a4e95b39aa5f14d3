#include "cli/ZanbarcodeCommand.h"

#include <exception>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "cli/ZanbarcodeOptions.h"
#include "cli/ZanbarcodeOutput.h"

namespace zanbarcode {

namespace {

void PrintSymbologyNames(std::ostream& out) {
    for (int index = 0; index < zan::SymbologyCount(); ++index)
        out << zan::GetSymbologyClassByIndex(index)->GetSymbologyName() << '\n';
}

zan::TZanBarcodeSymbology& SelectSymbology(zan::TZanBarcodeRenderer& renderer, const std::string& name) {
    try {
        renderer.SetSymbologyName(name);
    } catch (const zan::ESymbologyError& e) {
        throw EUsageError(e.Message() + " (see --list)");
    }
    if (!renderer.GetSymbology()) throw EUsageError("no symbology is registered");
    return *renderer.GetSymbology();
}

void ApplyProperties(zan::TZanBarcodeSymbology& symbology,
                     const std::vector<std::pair<std::string, std::string>>& properties) {
    for (const auto& [name, value] : properties) {
        const zan::platform::TPropInfo* property = symbology.FindProperty(name);
        if (!property)
            throw EUsageError("--set: %s has no property %s (see --properties)", {symbology.GetSymbologyName(), name});
        if (property->IsReadOnly()) throw EUsageError("--set: the property %s cannot be set", {property->Name});
        try {
            property->SetValue(symbology, value);
        } catch (const zan::platform::Exception& e) {
            // The property's own refusal: a value it cannot read or will not take.
            throw EUsageError("--set %s=%s: %s", {property->Name, value, e.Message()});
        }
    }
}

void PrintProperties(const zan::TZanBarcodeSymbology& symbology, std::ostream& out) {
    for (const zan::platform::TPropInfo& property : symbology.PublishedProperties())
        out << property.Name << '=' << property.GetValue(symbology) << '\n';
}

void ApplyAppearance(zan::TZanBarcodeRenderer& renderer, const TOptions& options) {
    renderer.SetOrientation(options.Orientation);
    renderer.SetAlignment(options.Alignment);
    if (options.BarColor) renderer.SetBarColor(*options.BarColor);
    if (options.SpaceColor) renderer.SetSpaceColor(*options.SpaceColor);
    if (options.BackColor) renderer.SetBackColor(*options.BackColor);
    if (options.FontName || options.FontSize) {
        zan::platform::TFont font;
        font.Assign(renderer.GetFont());
        if (options.FontName) font.SetName(*options.FontName);
        if (options.FontSize) font.SetSize(*options.FontSize);
        renderer.SetFont(font);
    }
}

// Gives the renderer the caption to draw. A caption that the symbology rejects is an
// error here (the renderer alone would quietly draw the default caption instead); one
// that the symbology corrects is drawn as corrected, and the correction is noted.
void ApplyCaption(zan::TZanBarcodeRenderer& renderer, zan::TZanBarcodeSymbology& symbology, const std::string& caption,
                  std::ostream& notes) {
    std::string validated = caption;
    symbology.ValidateText(validated);
    renderer.SetCaption(validated);
    if (renderer.GetCaption() != caption)
        notes << "zanbarcode: " << symbology.GetSymbologyName() << " changed the caption to \""
              << Printable(renderer.GetCaption()) << "\"\n";
}

int Execute(const TOptions& options, std::ostream& out, std::ostream& errors) {
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
    zan::RegisterBarcodeSymbologies();
    zan::TZanBarcodeRenderer renderer;
    zan::TZanBarcodeSymbology& symbology = SelectSymbology(renderer, options.Symbology);
    ApplyProperties(symbology, options.Properties);
    if (options.Action == TAction::Properties) {
        PrintProperties(symbology, out);
        return ExitSuccess;
    }
    ApplyAppearance(renderer, options);
    ApplyCaption(renderer, symbology, options.Caption.value_or(symbology.GetDefaultCaption()), errors);
    WriteBarcodeFile(renderer, options, errors);
    return ExitSuccess;
}

}  // namespace

int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errors) {
    try {
        return Execute(ParseCommandLine(arguments), out, errors);
    } catch (const EUsageError& e) {
        errors << "zanbarcode: " << Printable(e.Message()) << '\n';
        return ExitUsage;
    } catch (const std::exception& e) {
        // A rejected caption (EInvalidText) with the symbology's own message, or a file
        // that could not be written.
        errors << "zanbarcode: " << Printable(e.what()) << '\n';
        return ExitFailure;
    }
}

}  // namespace zanbarcode
