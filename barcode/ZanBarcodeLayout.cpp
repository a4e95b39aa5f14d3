#include "barcode/ZanBarcodeLayout.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <variant>
#include <vector>

#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/symbologies/ZanLinearSymbology.h>
#include <zanbarcode/symbologies/ZanPostnet.h>

namespace zan {

namespace {

constexpr int QuietZoneModules = 10;
constexpr int EdgeMargin = 5;  // pixels on the sides without a quiet zone
constexpr std::int64_t MaxPicturePixels = 100'000'000;

// A + B, kept at the int range so that an absurd code width reads as too large.
int SaturatingSum(int a, int b) {
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{a} + b, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

// The narrowest bar in pixels on the renderer's canvas, the XDimension it is made from,
// and whether the code is built of bar-and-space modules (POSTNET's bars stand at a
// pitch of their own), for the symbologies that have bars of a set width.
struct TBarMetrics {
    int Width = 0;
    double XDimension = 0;
    bool Modules = false;
};

std::optional<TBarMetrics> BarMetricsOf(const TZanBarcodeSymbology& symbology) {
    if (const auto* linear = dynamic_cast<const TZanLinearSymbology*>(&symbology))
        return TBarMetrics{linear->GetBarWidth(), linear->GetXDimension(), true};
    if (const auto* postnet = dynamic_cast<const TZanPostnet*>(&symbology))
        return TBarMetrics{postnet->GetBarWidth(), postnet->GetXDimension(), false};
    return std::nullopt;
}

void ApplyLayout(TZanBarcodeRenderer& renderer, const TZanLayout& layout) {
    TZanBarcodeMargins& margins = renderer.GetMargins();
    margins.SetLeft(layout.Margins.Left);
    margins.SetTop(layout.Margins.Top);
    margins.SetRight(layout.Margins.Right);
    margins.SetBottom(layout.Margins.Bottom);
    renderer.SetBounds(0, 0, layout.BoundsWidth, layout.BoundsHeight);
}

// The pixels that human-readable text takes from the room across the bars: painted with
// the largest room into a scratch metafile, the room that the longest bar leaves. Where
// and how high each symbology puts its text is its own affair; this asks no more of it
// than painting. The renderer fills its background first; every later fill is a bar or
// a space.
int MeasureTextRoom(TZanBarcodeRenderer& renderer, TZanLayoutRequest request) {
    request.Format = TZanPictureFormat::Svg;
    request.BarLength = MaxPictureSide;
    request.TextRoom = 0;
    ApplyLayout(renderer, PlanLayout(request));
    platform::TMetafile scratch;
    renderer.CopyToMetafile(scratch);
    const bool vertical = IsVertical(request.Orientation);
    int longest = 0;
    const std::vector<platform::TMetafileRecord>& records = scratch.Records();
    for (std::size_t i = 1; i < records.size(); ++i)
        if (const auto* fill = std::get_if<platform::TFillRectRecord>(&records[i]))
            longest = std::max(longest, vertical ? fill->Rect.Width() : fill->Rect.Height());
    return MaxPictureSide - longest;
}

}  // namespace

TZanLayout PlanLayout(const TZanLayoutRequest& request) {
    const bool vertical = IsVertical(request.Orientation);
    TZanLayout layout;
    if (request.Margins) {
        layout.Margins = *request.Margins;
    } else {
        const int quietZone = request.ModuleWidth ? QuietZoneModules * *request.ModuleWidth : EdgeMargin;
        layout.Margins = vertical ? TZanPictureMargins{EdgeMargin, quietZone, EdgeMargin, quietZone}
                                  : TZanPictureMargins{quietZone, EdgeMargin, quietZone, EdgeMargin};
    }
    const TZanPictureMargins& m = layout.Margins;
    const int alongMargins = vertical ? m.Top + m.Bottom : m.Left + m.Right;
    const int acrossMargins = vertical ? m.Left + m.Right : m.Top + m.Bottom;
    const int room = SaturatingSum(request.BarLength.value_or(std::max(1, request.Dpi / 2)), request.TextRoom);

    const int along = SaturatingSum(request.CodeWidth, alongMargins);
    const int across = SaturatingSum(request.CodeHeight != 0 ? request.CodeHeight : room, acrossMargins);
    // A bitmap is as high (wide when turned) as the bounds; a metafile adds the margins.
    const int acrossBounds = IsMetafileFormat(request.Format) ? room : SaturatingSum(room, acrossMargins);
    if (vertical) {
        layout.BoundsWidth = acrossBounds;
        layout.BoundsHeight = along;
        layout.ImageWidth = across;
        layout.ImageHeight = along;
    } else {
        layout.BoundsWidth = along;
        layout.BoundsHeight = acrossBounds;
        layout.ImageWidth = along;
        layout.ImageHeight = across;
    }
    return layout;
}

TZanLayout LayOutRenderer(TZanBarcodeRenderer& renderer, TZanLayoutRequest request) {
    TZanBarcodeSymbology& symbology = *renderer.GetSymbology();
    request.Orientation = renderer.GetOrientation();
    request.Dpi = renderer.GetCanvas()->GetDeviceCaps(platform::dcLogPixelsX);
    if (const std::optional<TBarMetrics> bars = BarMetricsOf(symbology)) {
        if (bars->Width <= 0)
            throw EZanBarcodeError("XDimension %s gives bars of 0 pixels at %d pixels per inch",
                                   {platform::FloatToText(bars->XDimension), std::int64_t{request.Dpi}});
        if (bars->Modules) request.ModuleWidth = bars->Width;
    }
    request.CodeWidth = symbology.GetCodeWidth();
    request.CodeHeight = symbology.GetCodeHeight();
    request.TextRoom = request.CodeHeight == 0 ? MeasureTextRoom(renderer, request) : 0;
    const TZanLayout layout = PlanLayout(request);
    ApplyLayout(renderer, layout);
    return layout;
}

void CheckPictureSize(const TZanLayout& layout) {
    const int width = layout.ImageWidth;
    const int height = layout.ImageHeight;
    if (width > MaxPictureSide || height > MaxPictureSide || std::int64_t{width} * height > MaxPicturePixels)
        throw EZanBarcodeError(
            "the picture would be %d x %d pixels, more than the %d on a side or 100 million in all that a picture may "
            "have",
            {std::int64_t{width}, std::int64_t{height}, std::int64_t{MaxPictureSide}});
}

}  // namespace zan
