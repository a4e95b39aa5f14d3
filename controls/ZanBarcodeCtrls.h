// The barcode control: a windowed, owner-drawn control that shows the barcode of its
// text through the renderer it owns, and the adapter through which the renderer reaches it.
#pragma once

#include <memory>
#include <string>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Controls.h>
#include <zanbarcode/platform/Metafile.h>

// The generation of the host framework that the control follows: 5 (Delphi 5 and
// C++Builder 5, the default), 4 (Delphi 4 and C++Builder 4: no OnContextPopup) or 3
// (Delphi 3 and C++Builder 3: no auto-size, and neither anchors, constraints, docking,
// wheel nor resize events). The build defines it (CMake option ZAN_CONTROL_HOST_VERSION).
#ifndef ZAN_CONTROL_HOST_VERSION
#define ZAN_CONTROL_HOST_VERSION 5
#endif

namespace zan {

inline constexpr int ControlHostVersion = ZAN_CONTROL_HOST_VERSION;
static_assert(ControlHostVersion >= 3 && ControlHostVersion <= 5, "ZAN_CONTROL_HOST_VERSION is 3, 4 or 5");
// Frameworks from generation 4 on size controls to their content (AutoSize, CanAutoSize).
inline constexpr bool HostHasAutoSize = ControlHostVersion >= 4;

class TZanCustomBarcode;

// The renderer's view of the control that hosts it. Created by the control and held by
// its renderer alone, so it lives exactly as long as the renderer; it points back to the
// control without owning it.
class TBarcodeControlAdapter : public IBarcodeControlAdapter {
public:
    explicit TBarcodeControlAdapter(TZanCustomBarcode* control) : FControl(control) {}

    platform::TCanvas* GetCanvas() override;
    TColor GetColor() override;
    void SetColor(TColor value) override;
    platform::TFont& GetFont() override;
    int GetHeight() override;
    int GetWidth() override;
    std::string GetText() override;
    void SetText(const std::string& value) override;
    void UpdateControl() override;
    // Outside the designer raises EInvalidText with Message; in the designer shows the
    // control's "Invalid Text" message box for Text and returns.
    void InvalidCaption(const std::string& text, const std::string& message) override;

private:
    TZanCustomBarcode* FControl;
};

// The control logic. It owns one renderer, whose caption follows the control's text,
// and forwards every barcode property to it; the renderer takes its canvas, size,
// background colour (Color) and caption font (Font) from the control. A text that the
// symbology rejects raises EInvalidText at run time; in the designer a message box is
// shown and the text becomes the symbology's default caption.
class TZanCustomBarcode : public platform::TCustomControl {
public:
    explicit TZanCustomBarcode(platform::TComponent* owner);
    ~TZanCustomBarcode() override;
    std::string ClassName() const override { return "TZanCustomBarcode"; }

    // While the control is read from a form file its renderer is inside an update
    // bracket: the caption is checked once, at Loaded, against the symbology with all
    // its stored settings (a Code 39 caption may need FullAscii, which comes later).
    void Loading() override;
    void Loaded() override;
    // Dest.Assign with the renderer: on the clipboard, a metafile and a bitmap together.
    void AssignTo(platform::TPersistent& dest) override;
    // None: the control never streams children.
    void GetChildren(const platform::TGetChildProc& proc, platform::TComponent* root) override;

    // Checks Text with the symbology (nothing while loading or without a symbology).
    virtual void ValidateText(std::string& text);
    // Sizes the control to the code (AdjustSize), then asks for a repaint.
    virtual void UpdateControl();
    virtual void BeginUpdate();
    virtual void CopyToBitmap(platform::TBitmap& bitmap);
    virtual void CopyToMetafile(platform::TMetafile& metafile);
    // Counts down the renderer's bracket; the outermost one resizes and repaints once
    // for all the changes it held back.
    virtual void EndUpdate();

    TAlignment GetAlignment() const { return FRenderer->GetAlignment(); }
    void SetAlignment(TAlignment value) { FRenderer->SetAlignment(value); }
    // The platform's Color (the background) alongside the barcode's indexed colours.
    using platform::TCustomControl::GetColor;
    using platform::TCustomControl::SetColor;
    // 0 bars, 1 spaces, 2 background (Color). Reading another index gives the
    // background; writing one changes nothing.
    TColor GetColor(int index) const;
    void SetColor(int index, TColor value);
    TColor GetBarColor() const { return GetColor(0); }
    void SetBarColor(TColor value) { SetColor(0, value); }
    TColor GetSpaceColor() const { return GetColor(1); }
    void SetSpaceColor(TColor value) { SetColor(1, value); }
    // The renderer's one margins object; writing copies the four sides into it.
    TZanBarcodeMargins& GetMargins() const { return FRenderer->GetMargins(); }
    void SetMargins(const TZanBarcodeMargins& value) { FRenderer->SetMargins(value); }
    TZanBarcodeOrientation GetOrientation() const { return FRenderer->GetOrientation(); }
    void SetOrientation(TZanBarcodeOrientation value) { FRenderer->SetOrientation(value); }
    TZanBarcodeSymbology* GetSymbology() const { return FRenderer->GetSymbology(); }
    void SetSymbology(std::unique_ptr<TZanBarcodeSymbology> value) { FRenderer->SetSymbology(std::move(value)); }
    std::string GetSymbologyName() const { return FRenderer->GetSymbologyName(); }
    void SetSymbologyName(const std::string& value) { FRenderer->SetSymbologyName(value); }
    // Called with the renderer as sender.
    const platform::TNotifyEvent& GetOnVisualChange() const { return FRenderer->GetOnVisualChange(); }
    void SetOnVisualChange(platform::TNotifyEvent value) { FRenderer->SetOnVisualChange(std::move(value)); }
    std::string GetVersion() const { return "1.00"; }
    // The version cannot be changed.
    void SetVersion(const std::string& /*value*/) {}

    // The renderer that draws the control.
    TZanBarcodeRenderer& GetRenderer() const { return *FRenderer; }

protected:
    // Without auto-size in the host framework: gives the window the control's size and
    // has the parent lay it out again.
    void AdjustSize() override;
    // The code's length plus the two margins beside it along the bars' direction of
    // travel, and its height plus the other two across (a linear code has no height and
    // keeps the height it was given). Declines inside an update bracket, noting the
    // request, and without a symbology.
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    // Gives a control without symbology the default one, and measures the code again on
    // the window's canvas.
    void CreateWnd() override;
    void Paint() override;
    // Validates the new text and passes the accepted one to the renderer.
    void CMTextChanged() override;

private:
    friend class TBarcodeControlAdapter;
    void ShowInvalidCaption(const std::string& text);

    std::unique_ptr<TZanBarcodeRenderer> FRenderer;
};

// The barcode control as the designer offers it: publishes the platform properties
// and events that the host framework has, then Alignment, BarColor, Margins,
// Orientation, SpaceColor, SymbologyName, Symbology, Version and OnVisualChange. In
// form files Caption therefore comes before SymbologyName, which creates the symbology
// that the Symbology sub-properties are read into.
class TZanBarcode : public TZanCustomBarcode {
public:
    explicit TZanBarcode(platform::TComponent* owner) : TZanCustomBarcode(owner) {}
    static std::string StaticClassName() { return "TZanBarcode"; }
    std::string ClassName() const override { return StaticClassName(); }
    const platform::TPropList& PublishedProperties() const override;
};

// Registers the library's symbologies and TZanBarcode (for form files); call it once
// before the first control is made. Calling it again changes nothing.
void RegisterBarcodeControls();

}  // namespace zan
