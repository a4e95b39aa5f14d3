#include <zanbarcode/base/ZanSavedCanvas.h>

// 0 in the builds for the host frameworks of generation 3, whose canvas has no text flags.
#ifndef ZAN_CANVAS_TEXT_FLAGS
#define ZAN_CANVAS_TEXT_FLAGS 1
#endif

namespace zan {

namespace {

std::optional<std::int32_t> SavedTextFlags(const platform::TCanvas& canvas) {
    if constexpr (ZAN_CANVAS_TEXT_FLAGS) return canvas.GetTextFlags();
    return std::nullopt;
}

}  // namespace

TCanvasProperties::TCanvasProperties(platform::TCanvas& canvas)
    : FPenPos(canvas.GetPenPos()),
      FTextAlign(canvas.GetTextAlign()),
      FTextFlags(SavedTextFlags(canvas)),
      FCopyMode(canvas.GetCopyMode()) {
    FBrush.Assign(canvas.GetBrush());
    // Same resolution as the canvas's font, so that its height is kept exactly.
    FFont.SetPixelsPerInch(canvas.GetFont().GetPixelsPerInch());
    FFont.Assign(canvas.GetFont());
    FPen.Assign(canvas.GetPen());
}

void TCanvasProperties::Restore(platform::TCanvas& canvas) {
    canvas.MoveTo(FPenPos.X, FPenPos.Y);
    if (FTextFlags) canvas.SetTextFlags(*FTextFlags);
    canvas.SetTextAlign(FTextAlign);
    canvas.GetBrush().Assign(FBrush);
    canvas.SetCopyMode(FCopyMode);
    // Assigning replaces any font handle a painter installed, rotated ones included.
    canvas.GetFont().Assign(FFont);
    canvas.GetPen().Assign(FPen);
}

std::shared_ptr<ISavedCanvas> SaveCanvas(platform::TCanvas& canvas) {
    return std::make_shared<TCanvasProperties>(canvas);
}

}  // namespace zan
