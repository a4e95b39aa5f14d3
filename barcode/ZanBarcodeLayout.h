// Plans a barcode picture for the renderer: quiet zones, bar length and room for the human-readable text.
#pragma once

#include <optional>

#include <zanbarcode/barcode/ZanBarcode.h>

namespace zan {

// What the layout depends on, in pixels of the output.
struct TZanLayoutRequest {
    TZanPictureFormat Format = TZanPictureFormat::Png;
    TZanBarcodeOrientation Orientation = boNormal;
    int Dpi = 96;
    std::optional<int> BarLength{};               // half an inch when absent
    std::optional<TZanPictureMargins> Margins{};  // quiet zones when absent
    std::optional<int> ModuleWidth{};             // absent for a symbology without bar-and-space modules
    int CodeWidth = 0;                            // along the bars' sequence
    int CodeHeight = 0;                           // across it; 0 when the bars are as long as they are made
    int TextRoom = 0;                             // taken from the bars' room by human-readable text
};

struct TZanLayout {
    TZanPictureMargins Margins;
    // The renderer's bounds before the copy: the copies take the bars' length from them.
    int BoundsWidth = 0;
    int BoundsHeight = 0;
    // The size of the picture.
    int ImageWidth = 0;
    int ImageHeight = 0;
};

// Default margins: ten modules of quiet zone before and after the code, along the bars'
// sequence (left and right when horizontal, top and bottom when turned by 90 or 270
// degrees), and 5 pixels on the other two sides; 5 pixels everywhere without modules.
// The bounds make the bars BarLength pixels long in bitmaps and metafiles alike, with
// TextRoom more for the text: a bitmap takes its height (width when turned) from the
// bounds, margins included, while a metafile adds the margins to it.
TZanLayout PlanLayout(const TZanLayoutRequest& request);

// Completes Request (Format, BarLength and Margins as the caller chose) with what the
// renderer's symbology measures on the renderer's canvas, whose resolution is the
// picture's, plans the layout and gives the renderer its margins and bounds. Raises
// EZanBarcodeError when the bars would be 0 pixels wide.
TZanLayout LayOutRenderer(TZanBarcodeRenderer& renderer, TZanLayoutRequest request);

// Raises EZanBarcodeError for a picture larger than MaxPictureSide on a side or 100
// million pixels in all, before any memory is taken for it.
void CheckPictureSize(const TZanLayout& layout);

}  // namespace zan
