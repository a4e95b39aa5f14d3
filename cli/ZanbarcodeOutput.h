// Sizes the barcode for the zanbarcode command and writes it to a PNG, BMP or SVG file.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include "cli/ZanbarcodeOptions.h"

namespace zanbarcode {

// What the layout depends on, in pixels of the output.
struct TLayoutRequest {
    TOutputFormat Format = TOutputFormat::Png;
    zan::TZanBarcodeOrientation Orientation = zan::boNormal;
    int Dpi = 96;
    std::optional<int> BarLength{};     // --height; half an inch when absent
    std::optional<TMargins> Margins{};  // --margins; quiet zones when absent
    std::optional<int> ModuleWidth{};   // absent for a symbology without bar-and-space modules
    int CodeWidth = 0;                  // along the bars' sequence
    int CodeHeight = 0;                 // across it; 0 when the bars are as long as they are made
    int TextRoom = 0;                   // taken from the bars' room by human-readable text
};

struct TLayout {
    TMargins Margins;
    // The renderer's bounds before the copy: the copies take the bars' length from them.
    int BoundsWidth = 0;
    int BoundsHeight = 0;
    // The size of the picture written.
    int ImageWidth = 0;
    int ImageHeight = 0;
};

// Default margins: ten modules of quiet zone before and after the code, along the bars'
// sequence (left and right when horizontal, top and bottom when turned by 90 or 270
// degrees), and 5 pixels on the other two sides; 5 pixels everywhere without modules.
// The bounds make the bars BarLength pixels long in bitmaps and metafiles alike, with
// TextRoom more for the text: a bitmap takes its height (width when turned) from the
// bounds, margins included, while a metafile adds the margins to it.
TLayout PlanLayout(const TLayoutRequest& request);

// Draws the renderer's barcode into Options.OutputFile at Options.Dpi. The file appears
// only once it is complete: a failure leaves the previous file, if any, untouched.
// Raises EUsageError when the options give no drawable picture (bars of 0 pixels, or a
// picture too large); notes go to Notes.
void WriteBarcodeFile(zan::TZanBarcodeRenderer& renderer, const TOptions& options, std::ostream& notes);

}  // namespace zanbarcode
