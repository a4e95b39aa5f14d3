#include "cli/ZanbarcodeOutput.h"

namespace zanbarcode {

zan::TZanBarcodePicture PictureOf(const TOptions& options) {
    zan::TZanBarcodePicture picture{.Symbology = options.Symbology,
                                    .Caption = options.Caption,
                                    .Dpi = options.Dpi,
                                    .BarLength = options.Height,
                                    .Orientation = options.Orientation,
                                    .Margins = options.Margins,
                                    .Alignment = options.Alignment,
                                    .Settings = options.Properties};
    if (options.BarColor) picture.BarColor = *options.BarColor;
    if (options.SpaceColor) picture.SpaceColor = *options.SpaceColor;
    if (options.BackColor) picture.BackColor = *options.BackColor;
    if (options.FontName) picture.FontName = *options.FontName;
    if (options.FontSize) picture.FontSize = *options.FontSize;
    return picture;
}

zan::TZanSettings SettingsOf(const zan::TZanBarcodePicture& picture) {
    try {
        return picture.GetSymbologySettings();
    } catch (const zan::ESymbologyError& e) {
        throw EUsageError(e.Message() + " (see --list)");
    } catch (const zan::platform::EConvertError& e) {
        // "NAME=VALUE: why", the property's own refusal.
        throw EUsageError("--set " + e.Message());
    } catch (const zan::EZanBarcodeError& e) {
        // A property that the symbology does not have.
        throw EUsageError("--set: " + e.Message() + " (see --properties)");
    }
}

void WriteBarcodeFile(const zan::TZanBarcodePicture& picture, const TOptions& options, std::ostream& notes) {
    zan::TZanPictureLayout layout;
    try {
        layout = picture.GetLayout();
    } catch (const zan::EInvalidText&) {
        throw;
    } catch (const zan::EZanBarcodeError& e) {
        // The symbology and its settings are accepted and every option is in range: what
        // is left to refuse is an XDimension that gives bars of 0 pixels.
        throw EUsageError(e.Message() + ": raise --dpi or XDimension");
    }
    if (options.Caption && layout.Caption != *options.Caption)
        notes << "zanbarcode: " << layout.SymbologyName << " changed the caption to \"" << Printable(layout.Caption)
              << "\"\n";
    if (layout.OwnBarLength && options.Height)
        notes << "zanbarcode: --height has no effect: " << layout.SymbologyName << " bars have a height of their own\n";
    try {
        picture.SaveToFile(options.OutputFile);
    } catch (const zan::EInvalidText&) {
        throw;
    } catch (const zan::EZanBarcodeError& e) {
        // What a layout does not refuse: a picture larger than the library draws.
        throw EUsageError(e.Message());
    }
}

}  // namespace zanbarcode
