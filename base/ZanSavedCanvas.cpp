#include <zanbarcode/base/ZanSavedCanvas.h>

namespace zan {

TCanvasProperties::TCanvasProperties(platform::TCanvas& canvas)
    : FPenPos(canvas.GetPenPos()),
      FTextAlign(canvas.GetTextAlign()),
      FTextFlags(canvas.GetTextFlags()),
      FCopyMode(canvas.GetCopyMode()) {
    FBrush.Assign(canvas.GetBrush());
    // Same resolution as the canvas's font, so that its height is kept exactly.
    FFont.SetPixelsPerInch(canvas.GetFont().GetPixelsPerInch());
    FFont.Assign(canvas.GetFont());
    FPen.Assign(canvas.GetPen());
}

void TCanvasProperties::Restore(platform::TCanvas& canvas) {
    canvas.MoveTo(FPenPos.X, FPenPos.Y);
    canvas.SetTextFlags(FTextFlags);
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
