#include "cli/ZanbarcodeOutput.h"

#include <algorithm>
#include <cstdint>
#include <string>

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

namespace {

// Raises EUsageError when --height makes the picture too large across the bars, naming
// the longest bars that would fit with these margins and this caption line. A picture
// that is too large along the code is not for --height to mend.
void CheckBarLength(const zan::TZanPictureLayout& layout, const TOptions& options) {
    if (!options.Height || layout.OwnBarLength) return;
    const bool vertical = zan::IsVertical(options.Orientation);
    const std::int64_t along = vertical ? layout.Height : layout.Width;
    const std::int64_t across = vertical ? layout.Width : layout.Height;
    if (along < 1 || along > zan::MaxPictureSide) return;
    const std::int64_t mostAcross = std::min<std::int64_t>(zan::MaxPictureSide, zan::MaxPicturePixels / along);
    const std::int64_t longest = *options.Height - (across - mostAcross);
    if (across <= mostAcross || longest < 1) return;
    throw EUsageError(
        "--height %d: the picture would be %d pixels %s with its margins and caption line, more than the %d that a "
        "picture %d pixels %s may have: give at most %d",
        {std::int64_t{*options.Height}, across, std::string(vertical ? "wide" : "high"), mostAcross, along,
         std::string(vertical ? "high" : "wide"), longest});
}

// The library's refusals of a picture that Draw lays out, in the command's words.
template <class Draw>
auto InCommandWords(Draw draw) {
    try {
        return draw();
    } catch (const zan::EInvalidText&) {
        throw;
    } catch (const zan::EPictureSizeError& e) {
        throw EUsageError(e.Message());
    } catch (const zan::EZanBarcodeError& e) {
        // The symbology and its settings are accepted and every option is in range: what
        // is left to refuse is an XDimension that gives bars of 0 pixels.
        throw EUsageError(e.Message() + ": raise --dpi or XDimension");
    }
}

// The library draws an empty caption, which stored captions may rely on, but the symbol
// holds no data (Code 128 check and stop, Code 39 start and stop only) and no scanner
// reads it.
void RefuseEmptyCaption(const zan::TZanBarcodePicture& picture) {
    if (picture.Caption && picture.Caption->empty())
        throw zan::EInvalidText(
            "the caption is empty: a barcode without data is not read by scanners; give the data to encode, or leave "
            "the caption out to draw the symbology's default");
}

// "EAN 13 changed the caption to ..." when the symbology drew another caption than asked; "" otherwise.
std::string CaptionChange(const zan::TZanPictureLayout& layout, const zan::TZanBarcodePicture& picture) {
    if (!picture.Caption || layout.Caption == *picture.Caption) return "";
    return layout.SymbologyName + " changed the caption to \"" + Printable(layout.Caption) + "\"";
}

void NoteOwnBarLength(const zan::TZanPictureLayout& layout, const TOptions& options, std::ostream& notes) {
    if (layout.OwnBarLength && options.Height)
        notes << "zanbarcode: --height has no effect: " << layout.SymbologyName << " bars have a height of their own\n";
}

}  // namespace

void WriteBarcodeFile(const zan::TZanBarcodePicture& picture, const TOptions& options, std::ostream& notes) {
    RefuseEmptyCaption(picture);
    const zan::TZanPictureLayout layout = InCommandWords([&] { return picture.GetLayout(); });
    CheckBarLength(layout, options);
    if (const std::string change = CaptionChange(layout, picture); !change.empty())
        notes << "zanbarcode: " << change << '\n';
    NoteOwnBarLength(layout, options, notes);
    // What a layout does not refuse: a picture larger than the library draws.
    InCommandWords([&] { picture.SaveToFile(options.OutputFile); });
}

void CheckBatchPicture(zan::TZanPictureWriter& writer, const zan::TZanBarcodePicture& picture,
                       const TOptions& options, std::ostream& notes) {
    const zan::TZanPictureLayout layout = InCommandWords([&] { return writer.GetLayout(picture); });
    NoteOwnBarLength(layout, options, notes);
}

std::string WriteBatchFile(zan::TZanPictureWriter& writer, const zan::TZanBarcodePicture& picture,
                           const std::string& fileName, const TOptions& options) {
    // Laid out once, as it is written; a picture too large is measured again for the
    // message that names the longest --height that fits.
    const zan::TZanPictureLayout layout = InCommandWords([&] {
        try {
            return writer.SaveToFile(picture, fileName);
        } catch (const zan::EPictureSizeError&) {
            CheckBarLength(writer.GetLayout(picture), options);
            throw;
        }
    });
    return CaptionChange(layout, picture);
}

}  // namespace zanbarcode
