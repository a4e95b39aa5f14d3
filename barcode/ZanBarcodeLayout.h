// Plans a barcode picture for the renderer: clear zones, bar length and room for the human-readable text.
#pragma once

#include <cstdint>
#include <optional>

#include <zanbarcode/barcode/ZanBarcode.h>

namespace zan {

// The clear zones that default margins keep, in pixels: before and after the code along
// the bars' sequence, and on the two other sides.
struct TZanClearZones {
    int Along = 5;
    int Across = 5;
    friend bool operator==(const TZanClearZones&, const TZanClearZones&) = default;
};

// A bar-and-space code: a quiet zone of ten modules before and after it, 5 pixels on the
// other two sides.
TZanClearZones ModuleQuietZones(int moduleWidth);
// POSTNET: at least 1/8 inch left and right of the code and 1/25 inch above and below it
// (USPS Domestic Mail Manual 708.4, Publication 25), in whole pixels at Dpi, rounded up.
TZanClearZones PostnetClearZones(int dpi);

// What the layout depends on, in pixels of the output.
struct TZanLayoutRequest {
    TZanPictureFormat Format = TZanPictureFormat::Png;
    TZanBarcodeOrientation Orientation = boNormal;
    int Dpi = 96;
    std::optional<int> BarLength{};               // half an inch when absent
    std::optional<TZanPictureMargins> Margins{};  // the clear zones when absent
    TZanClearZones ClearZones{};                  // 5 pixels all round for a code of neither kind
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

// Default margins: the clear zones, along the bars' sequence on the left and right when
// horizontal, on the top and bottom when turned by 90 or 270 degrees. The bounds make
// the bars BarLength pixels long in bitmaps and metafiles alike, with TextRoom more for
// the text: a bitmap takes its height (width when turned) from the bounds, margins
// included, while a metafile adds the margins to it. Sums saturate at the int range, so
// that an absurd size reads as too large.
TZanLayout PlanLayout(const TZanLayoutRequest& request);

// Raises EPictureSizeError when a caption of Characters characters cannot fit in a
// picture in bars of BarWidth pixels: every character takes one bar width at least.
// Checked before the symbology measures the code, whose width would not fit in an int.
void CheckCodeLength(std::int64_t characters, int barWidth);

// Completes Request (Format, BarLength and Margins as the caller chose) with what the
// renderer's symbology measures on the renderer's canvas, whose resolution is the
// picture's, plans the layout and gives the renderer its margins and bounds. Raises
// EZanBarcodeError when the bars would be 0 pixels wide, EPictureSizeError when the
// caption is too long for any picture.
TZanLayout LayOutRenderer(TZanBarcodeRenderer& renderer, TZanLayoutRequest request);

// Raises EPictureSizeError for a picture larger than MaxPictureSide on a side or
// MaxPicturePixels in all, or without a pixel on a side, before any memory is taken for it.
void CheckPictureSize(const TZanLayout& layout);

}  // namespace zan
