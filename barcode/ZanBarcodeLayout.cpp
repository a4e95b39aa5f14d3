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

// Value kept at the int range, so that an absurd size reads as too large.
int Saturated(std::int64_t value) {
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int SaturatingSum(int a, int b) { return Saturated(std::int64_t{a} + b); }

// Dpi * Thousandths / 1000 rounded up to whole pixels.
int ThousandthsOfAnInch(int dpi, int thousandths) { return Saturated((std::int64_t{dpi} * thousandths + 999) / 1000); }

// The narrowest bar in pixels on the renderer's canvas, the XDimension it is made from,
// and the clear zones that the code asks for, for the symbologies that have bars of a
// set width.
struct TBarMetrics {
    int Width = 0;
    double XDimension = 0;
    TZanClearZones ClearZones;
};

std::optional<TBarMetrics> BarMetricsOf(const TZanBarcodeSymbology& symbology, int dpi) {
    if (const auto* linear = dynamic_cast<const TZanLinearSymbology*>(&symbology)) {
        const int width = linear->GetBarWidth();
        return TBarMetrics{width, linear->GetXDimension(), ModuleQuietZones(width)};
    }
    // POSTNET's bars stand at a pitch of their own, not in modules.
    if (const auto* postnet = dynamic_cast<const TZanPostnet*>(&symbology))
        return TBarMetrics{postnet->GetBarWidth(), postnet->GetXDimension(), PostnetClearZones(dpi)};
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

TZanClearZones ModuleQuietZones(int moduleWidth) {
    return {.Along = Saturated(std::int64_t{QuietZoneModules} * moduleWidth), .Across = EdgeMargin};
}

TZanClearZones PostnetClearZones(int dpi) {
    return {.Along = ThousandthsOfAnInch(dpi, 125), .Across = ThousandthsOfAnInch(dpi, 40)};
}

TZanLayout PlanLayout(const TZanLayoutRequest& request) {
    const bool vertical = IsVertical(request.Orientation);
    TZanLayout layout;
    if (request.Margins) {
        layout.Margins = *request.Margins;
    } else {
        const auto [along, across] = request.ClearZones;
        layout.Margins = vertical ? TZanPictureMargins{across, along, across, along}
                                  : TZanPictureMargins{along, across, along, across};
    }
    const TZanPictureMargins& m = layout.Margins;
    const int alongMargins = vertical ? SaturatingSum(m.Top, m.Bottom) : SaturatingSum(m.Left, m.Right);
    const int acrossMargins = vertical ? SaturatingSum(m.Left, m.Right) : SaturatingSum(m.Top, m.Bottom);
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

void CheckCodeLength(std::int64_t characters, int barWidth) {
    const std::int64_t shortest = characters * barWidth;
    if (shortest > MaxPictureSide)
        throw EPictureSizeError(
            "the picture would be at least %d pixels long (%d characters in bars of %d pixels), more than the %d on "
            "a side that a picture may have",
            {shortest, characters, std::int64_t{barWidth}, std::int64_t{MaxPictureSide}});
}

TZanLayout LayOutRenderer(TZanBarcodeRenderer& renderer, TZanLayoutRequest request) {
    TZanBarcodeSymbology& symbology = *renderer.GetSymbology();
    request.Orientation = renderer.GetOrientation();
    request.Dpi = renderer.GetCanvas()->GetDeviceCaps(platform::dcLogPixelsX);
    if (const std::optional<TBarMetrics> bars = BarMetricsOf(symbology, request.Dpi)) {
        if (bars->Width <= 0)
            throw EZanBarcodeError("XDimension %s gives bars of 0 pixels at %d pixels per inch",
                                   {platform::FloatToText(bars->XDimension), std::int64_t{request.Dpi}});
        CheckCodeLength(static_cast<std::int64_t>(renderer.GetCaption().size()), bars->Width);
        request.ClearZones = bars->ClearZones;
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
    if (width < 1 || height < 1)
        throw EPictureSizeError("the picture would be %d x %d pixels, which holds no barcode",
                                {std::int64_t{width}, std::int64_t{height}});
    if (width > MaxPictureSide || height > MaxPictureSide || std::int64_t{width} * height > MaxPicturePixels)
        throw EPictureSizeError(
            "the picture would be %d x %d pixels, more than the %d on a side or 100 million in all that a picture may "
            "have",
            {std::int64_t{width}, std::int64_t{height}, std::int64_t{MaxPictureSide}});
}

}  // namespace zan
