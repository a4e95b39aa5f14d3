#include "cli/ZanbarcodeOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <variant>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/symbologies/ZanLinearSymbology.h>

namespace zanbarcode {

namespace {

constexpr int QuietZoneModules = 10;
constexpr int EdgeMargin = 5;  // pixels on the sides without a quiet zone
// A picture larger than this is refused before any memory is taken for it.
constexpr int MaxImageSide = 65535;
constexpr std::int64_t MaxImagePixels = 100'000'000;

// Lends the renderer a canvas for as long as it is in scope.
class TCanvasLoan {
public:
    TCanvasLoan(zan::TZanBarcodeRenderer& renderer, zan::platform::TCanvas& canvas)
        : FRenderer(renderer), FPrevious(renderer.GetCanvas()) {
        FRenderer.SetCanvas(&canvas);
    }
    ~TCanvasLoan() { FRenderer.SetCanvas(FPrevious); }
    TCanvasLoan(const TCanvasLoan&) = delete;
    TCanvasLoan& operator=(const TCanvasLoan&) = delete;

private:
    zan::TZanBarcodeRenderer& FRenderer;
    zan::platform::TCanvas* FPrevious;
};

// A temporary file beside the target, renamed over it by Commit and removed otherwise,
// so that nobody ever sees a half-written target. It keeps the target's extension,
// which chooses the format it is saved in.
class TReplacementFile {
public:
    explicit TReplacementFile(const std::string& target) : FTarget(target) {
        const std::filesystem::path path(target);
        const std::string extension = path.extension().string();
        std::string pattern = (path.parent_path() / ("." + path.stem().string() + "-XXXXXX")).string() + extension;
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = mkstemps(name.data(), static_cast<int>(extension.size()));
        if (fd < 0) throw zan::platform::EInOutError("Cannot write the file '%s': %s", {target, std::strerror(errno)});
        // mkstemps makes the file private; give it the permissions a new file would get.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, static_cast<mode_t>(0666 & ~mask));
        close(fd);
        FName = name.data();
    }
    ~TReplacementFile() {
        if (!FCommitted) unlink(FName.c_str());
    }
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    const std::string& Name() const { return FName; }

    void Commit() {
        if (std::rename(FName.c_str(), FTarget.c_str()) != 0)
            throw zan::platform::EInOutError("Cannot write the file '%s': %s", {FTarget, std::strerror(errno)});
        FCommitted = true;
    }

private:
    std::string FTarget;
    std::string FName;
    bool FCommitted = false;
};

// The width of one module in pixels on the renderer's current canvas, for symbologies
// built of bar-and-space modules.
std::optional<int> ModuleWidthOf(zan::TZanBarcodeSymbology& symbology, int dpi) {
    const auto* linear = dynamic_cast<const zan::TZanLinearSymbology*>(&symbology);
    if (!linear) return std::nullopt;
    const int width = linear->GetBarWidth();
    if (width <= 0)
        throw EUsageError("XDimension %s gives bars of 0 pixels at %d pixels per inch: raise --dpi or XDimension",
                          {zan::platform::FloatToText(linear->GetXDimension()), std::int64_t{dpi}});
    return width;
}

void ApplyLayout(zan::TZanBarcodeRenderer& renderer, const TLayout& layout) {
    zan::TZanBarcodeMargins& margins = renderer.GetMargins();
    margins.SetLeft(layout.Margins.Left);
    margins.SetTop(layout.Margins.Top);
    margins.SetRight(layout.Margins.Right);
    margins.SetBottom(layout.Margins.Bottom);
    renderer.SetBounds(0, 0, layout.BoundsWidth, layout.BoundsHeight);
}

// The pixels that human-readable text takes from the room across the bars: painted with
// the largest room into a scratch metafile, the room that the longest bar leaves. The
// renderer fills its background first; every later fill is a bar or a space.
int MeasureTextRoom(zan::TZanBarcodeRenderer& renderer, TLayoutRequest request) {
    request.Format = TOutputFormat::Svg;
    request.BarLength = MaxImageSide;
    request.TextRoom = 0;
    ApplyLayout(renderer, PlanLayout(request));
    zan::platform::TMetafile scratch;
    renderer.CopyToMetafile(scratch);
    const bool vertical = zan::IsVertical(request.Orientation);
    int longest = 0;
    const std::vector<zan::platform::TMetafileRecord>& records = scratch.Records();
    for (std::size_t i = 1; i < records.size(); ++i)
        if (const auto* fill = std::get_if<zan::platform::TFillRectRecord>(&records[i]))
            longest = std::max(longest, vertical ? fill->Rect.Width() : fill->Rect.Height());
    return MaxImageSide - longest;
}

void CheckImageSize(int width, int height) {
    if (width > MaxImageSide || height > MaxImageSide || std::int64_t{width} * height > MaxImagePixels)
        throw EUsageError(
            "the picture would be %d x %d pixels, more than the %d on a side or 100 million in all "
            "that zanbarcode draws",
            {std::int64_t{width}, std::int64_t{height}, std::int64_t{MaxImageSide}});
}

// A + B, kept at the int range so that an absurd code width reads as too large.
int SaturatingSum(int a, int b) {
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{a} + b, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

TLayout PlanLayout(const TLayoutRequest& request) {
    const bool vertical = zan::IsVertical(request.Orientation);
    TLayout layout;
    if (request.Margins) {
        layout.Margins = *request.Margins;
    } else {
        const int quietZone = request.ModuleWidth ? QuietZoneModules * *request.ModuleWidth : EdgeMargin;
        layout.Margins = vertical ? TMargins{EdgeMargin, quietZone, EdgeMargin, quietZone}
                                  : TMargins{quietZone, EdgeMargin, quietZone, EdgeMargin};
    }
    const TMargins& m = layout.Margins;
    const int alongMargins = vertical ? m.Top + m.Bottom : m.Left + m.Right;
    const int acrossMargins = vertical ? m.Left + m.Right : m.Top + m.Bottom;
    const int room = SaturatingSum(request.BarLength.value_or(std::max(1, request.Dpi / 2)), request.TextRoom);

    const int along = SaturatingSum(request.CodeWidth, alongMargins);
    const int across = SaturatingSum(request.CodeHeight != 0 ? request.CodeHeight : room, acrossMargins);
    // A bitmap is as high (wide when turned) as the bounds; a metafile adds the margins.
    const int acrossBounds = request.Format == TOutputFormat::Svg ? room : SaturatingSum(room, acrossMargins);
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

void WriteBarcodeFile(zan::TZanBarcodeRenderer& renderer, const TOptions& options, std::ostream& notes) {
    zan::TZanBarcodeSymbology* symbology = renderer.GetSymbology();
    if (!symbology) throw EUsageError("no symbology is registered");

    // The renderer measures bars on a canvas of the output's resolution; the SVG
    // output takes it as its reference device.
    zan::platform::TBitmap bitmap;
    bitmap.SetPixelsPerInch(options.Dpi);
    const TCanvasLoan loan(renderer, bitmap.GetCanvas());

    TLayoutRequest request{.Format = options.OutputFormat,
                           .Orientation = renderer.GetOrientation(),
                           .Dpi = options.Dpi,
                           .BarLength = options.Height,
                           .Margins = options.Margins,
                           .ModuleWidth = ModuleWidthOf(*symbology, options.Dpi),
                           .CodeWidth = symbology->GetCodeWidth(),
                           .CodeHeight = symbology->GetCodeHeight()};
    if (request.CodeHeight != 0 && options.Height)
        notes << "zanbarcode: --height has no effect: " << symbology->GetSymbologyName()
              << " bars have a height of their own\n";
    // Refused before anything is painted, and again once the text has its room.
    const TLayout bare = PlanLayout(request);
    CheckImageSize(bare.ImageWidth, bare.ImageHeight);
    if (request.CodeHeight == 0) request.TextRoom = MeasureTextRoom(renderer, request);
    const TLayout layout = PlanLayout(request);
    CheckImageSize(layout.ImageWidth, layout.ImageHeight);
    ApplyLayout(renderer, layout);

    TReplacementFile file(options.OutputFile);
    if (options.OutputFormat == TOutputFormat::Svg) {
        zan::platform::TMetafile metafile;
        renderer.CopyToMetafile(metafile);
        metafile.SaveToFile(file.Name());
    } else {
        renderer.CopyToBitmap(bitmap);
        bitmap.SaveToFile(file.Name());
    }
    file.Commit();
}

}  // namespace zanbarcode
