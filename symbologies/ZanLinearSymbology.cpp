#include <zanbarcode/symbologies/ZanLinearSymbology.h>

namespace zan {

TZanLinearSymbology::TZanLinearSymbology() { SetXDimension(10); }

const platform::TPropList& TZanLinearSymbology::PublishedProperties() const {
    static const platform::TPropList properties{platform::FloatProperty<TZanLinearSymbology>(
        "XDimension", [](const TZanLinearSymbology& s) { return s.GetXDimension(); },
        [](TZanLinearSymbology& s, double v) { s.SetXDimension(v); })};
    return properties;
}

int TZanLinearSymbology::GetBarWidth() const { return XDimensionToPixels(GetParent(), FXDimension); }

int TZanLinearSymbology::ModulesToPixels(std::int64_t modules) const {
    return platform::Saturate32(std::int64_t{GetBarWidth()} * modules);
}

void TZanLinearSymbology::SetXDimension(double value) {
    CheckXDimension(value);
    if (value == FXDimension) return;
    FXDimension = value;
    UpdateParent();
}

void TZanLinearSymbology::ResetPosition() {
    const TZanBarcodeRenderer* renderer = GetParent();
    const TAlignment alignment = renderer != nullptr ? renderer->GetAlignment() : platform::taLeftJustify;
    FPosition = CodeStart(alignment, FCodeRect, GetCodeWidth());
}

void TZanLinearSymbology::BeginCode(bool displayCaption) {
    (void)GetPaintCanvas();
    TRect r = GetParent()->GetPaintRect(CodeRectIndex);
    if (displayCaption) PaintCaption(r);
    SetCodeRect(r);
    ResetPosition();
}

void TZanLinearSymbology::DrawBar(bool isBar, int modules) {
    platform::TCanvas& canvas = GetPaintCanvas();
    const TZanBarcodeRenderer& renderer = *GetParent();
    canvas.GetPen().SetStyle(platform::psClear);
    canvas.GetBrush().SetStyle(platform::bsSolid);
    const TColor previousColor = canvas.GetBrush().GetColor();
    canvas.GetBrush().SetColor(renderer.GetColor(isBar ? BarColorIndex : SpaceColorIndex));
    const int start = FPosition;
    Advance(ModulesToPixels(modules));
    const TRect element{start, FCodeRect.Top, FPosition, FCodeRect.Bottom};
    canvas.FillRect(renderer.ResolveRect(element));
    canvas.GetBrush().SetColor(previousColor);
}

void TZanLinearSymbology::DrawElements(TModuleWidths widths, bool startsWithBar) {
    bool isBar = startsWithBar;
    for (const std::uint8_t width : widths) {
        DrawBar(isBar, width);
        isBar = !isBar;
    }
}

int TZanLinearSymbology::PlaceText(const TRect& r, const std::string& text, TAlignment alignment) {
    TZanBarcodeRenderer* renderer = GetParent();
    if (renderer == nullptr) return 0;
    platform::TCanvas& canvas = GetPaintCanvas();
    const TRect clip = renderer->ResolveRect(r);
    canvas.GetBrush().SetStyle(platform::bsSolid);

    std::uint32_t flags = platform::TTextAlign::Bottom;
    TPoint anchor{r.Left, r.Bottom};
    switch (alignment) {
        case platform::taLeftJustify: flags |= platform::TTextAlign::Left; break;
        case platform::taRightJustify:
            flags |= platform::TTextAlign::Right;
            anchor.X = r.Right;
            break;
        case platform::taCenter:
            flags |= platform::TTextAlign::Center;
            // The midpoint, rounded toward Left also for an inverted rectangle.
            anchor.X = platform::Saturate32(r.Right > r.Left ? r.Left + (std::int64_t{r.Right} - r.Left) / 2
                                                             : r.Left - (std::int64_t{r.Left} - r.Right) / 2);
            break;
    }
    anchor = renderer->ResolvePoint(anchor);

    // Only TrueType faces can be turned; others are drawn in Arial of the same size.
    platform::TLogFont logFont = platform::GetObject(canvas.GetFont().GetHandle());
    if ((canvas.GetTextMetrics().PitchAndFamily & platform::tmpfTrueType) == 0) logFont.FaceName = "Arial";
    const std::int32_t angle = 10 * OrientationAngles[renderer->GetOrientation()];
    logFont.Escapement = angle;
    logFont.Orientation = angle;
    canvas.GetFont().SetHandle(platform::CreateFontIndirect(logFont));
    canvas.SetTextAlign(flags);

    const int width = canvas.TextWidth(text);
    canvas.TextRect(clip, anchor.X, anchor.Y, text);
    return width;
}

void TZanLinearSymbology::PaintCaption(TRect& r) {
    TZanBarcodeRenderer* renderer = GetParent();
    if (renderer == nullptr) return;
    platform::TCanvas& canvas = GetPaintCanvas();
    canvas.GetFont().Assign(renderer->GetFont());
    const std::string caption = GetCaption();
    TRect band = r;
    band.Top = platform::Saturate32(std::int64_t{r.Bottom} - canvas.TextHeight(caption) - 1);
    r.Bottom = platform::Saturate32(std::int64_t{band.Top} - 1);
    PlaceText(band, caption, renderer->GetAlignment());
}

}  // namespace zan
