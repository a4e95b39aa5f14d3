#include <zanbarcode/controls/ZanBarcodeCtrls.h>

#include <array>
#include <cstdint>
#include <string_view>

#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/platform/WindowSystem.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>

namespace zan {

using platform::TPersistent;
using platform::TPropInfo;
using platform::TPropList;

// ---------------------------------------------------------------------------------------
// TBarcodeControlAdapter

platform::TCanvas* TBarcodeControlAdapter::GetCanvas() { return FControl->GetCanvas(); }

TColor TBarcodeControlAdapter::GetColor() { return FControl->GetColor(); }

void TBarcodeControlAdapter::SetColor(TColor value) { FControl->SetColor(value); }

platform::TFont& TBarcodeControlAdapter::GetFont() { return FControl->GetFont(); }

int TBarcodeControlAdapter::GetHeight() { return FControl->GetHeight(); }

int TBarcodeControlAdapter::GetWidth() { return FControl->GetWidth(); }

std::string TBarcodeControlAdapter::GetText() { return FControl->GetText(); }

void TBarcodeControlAdapter::SetText(const std::string& value) { FControl->SetText(value); }

void TBarcodeControlAdapter::UpdateControl() { FControl->UpdateControl(); }

void TBarcodeControlAdapter::InvalidCaption(const std::string& text, const std::string& message) {
    if (!FControl->IsDesigning()) throw EInvalidText(message);
    FControl->ShowInvalidCaption(text);
}

// ---------------------------------------------------------------------------------------
// TZanCustomBarcode: life

TZanCustomBarcode::TZanCustomBarcode(platform::TComponent* owner)
    : platform::TCustomControl(owner), FRenderer(std::make_unique<TZanBarcodeRenderer>()) {
    FRenderer->SetControlAdapter(std::make_shared<TBarcodeControlAdapter>(this));
    SetText(FRenderer->GetCaption());
    // A component name is no barcode text; a container may draw copies of the control.
    SetControlStyle(
        static_cast<platform::TControlStyle>((GetControlStyle() & ~platform::csSetCaption) | platform::csReplicatable));
    if constexpr (HostHasAutoSize) SetAutoSize(true);
    SetHeight(50);
    SetWidth(100);
    GetFont().SetName("Courier New");
    SetAlignment(platform::taLeftJustify);
    SetColor(0, platform::clBlack);
    SetOrientation(boNormal);
    SetColor(1, platform::clWhite);
}

// The renderer goes first, releasing the adapter, while the control is still whole.
TZanCustomBarcode::~TZanCustomBarcode() { FRenderer.reset(); }

void TZanCustomBarcode::Loading() {
    if (!IsLoading()) BeginUpdate();
    platform::TCustomControl::Loading();
}

void TZanCustomBarcode::Loaded() {
    const bool loading = IsLoading();
    platform::TCustomControl::Loaded();
    if (loading) EndUpdate();
}

void TZanCustomBarcode::AssignTo(TPersistent& dest) { dest.Assign(*FRenderer); }

void TZanCustomBarcode::GetChildren(const platform::TGetChildProc& /*proc*/, platform::TComponent* /*root*/) {}

// ---------------------------------------------------------------------------------------
// TZanCustomBarcode: text

void TZanCustomBarcode::CMTextChanged() {
    std::string text = GetText();
    ValidateText(text);
    if (text != GetText()) {
        // The corrected text comes back here through its own notification.
        SetText(text);
        return;
    }
    FRenderer->SetCaption(text);
    AdjustSize();
    Invalidate();
}

void TZanCustomBarcode::ValidateText(std::string& text) {
    if (IsLoading()) return;
    TZanBarcodeSymbology* symbology = FRenderer->GetSymbology();
    if (symbology == nullptr) return;
    try {
        symbology->ValidateText(text);
    } catch (const EInvalidText&) {
        if (!IsDesigning()) throw;
        ShowInvalidCaption(text);  // the text as the symbology left it
        text = symbology->GetDefaultCaption();
    }
}

void TZanCustomBarcode::ShowInvalidCaption(const std::string& text) {
    platform::ShowMessageBox("Invalid Text", "Invalid Caption: " + text, platform::mbOK);
}

// ---------------------------------------------------------------------------------------
// TZanCustomBarcode: size, window, painting

void TZanCustomBarcode::UpdateControl() {
    AdjustSize();
    Invalidate();
}

void TZanCustomBarcode::AdjustSize() {
    if constexpr (HostHasAutoSize) {
        platform::TCustomControl::AdjustSize();
    } else {
        if (IsLoading() || !HandleAllocated()) return;
        GetPeer()->SetBounds(GetBoundsRect());
        if (GetParent() != nullptr) GetParent()->Realign();
    }
}

bool TZanCustomBarcode::CanAutoSize(int& newWidth, int& newHeight) {
    if constexpr (!HostHasAutoSize) {
        return platform::TCustomControl::CanAutoSize(newWidth, newHeight);
    } else {
        TZanBarcodeUpdateStatus status = FRenderer->GetUpdateStatus();
        if (status.Contains(busUpdating)) {
            status.Include(busAutoSize);
            FRenderer->SetUpdateStatus(status);
            return false;
        }
        TZanBarcodeSymbology* symbology = FRenderer->GetSymbology();
        if (symbology == nullptr) return false;
        status.Exclude(busAutoSize);
        FRenderer->SetUpdateStatus(status);

        // Margins stay on the screen's sides whatever the orientation: along the bars'
        // direction of travel lie left and right for a horizontal code, top and bottom
        // for a vertical one.
        const TZanBarcodeMargins& m = FRenderer->GetMargins();
        const bool vertical = IsVertical(FRenderer->GetOrientation());
        std::int64_t along =
            vertical ? std::int64_t{m.GetTop()} + m.GetBottom() : std::int64_t{m.GetLeft()} + m.GetRight();
        std::int64_t across =
            vertical ? std::int64_t{m.GetLeft()} + m.GetRight() : std::int64_t{m.GetTop()} + m.GetBottom();
        const int codeWidth = symbology->GetCodeWidth();
        const int codeHeight = symbology->GetCodeHeight();
        along = codeWidth > 0 ? along + codeWidth : 0;
        across = codeHeight > 0 ? across + codeHeight : 0;
        int& length = vertical ? newHeight : newWidth;
        int& thickness = vertical ? newWidth : newHeight;
        if (along > 0) length = platform::Saturate32(along);
        if (across > 0) thickness = platform::Saturate32(across);
        return true;
    }
}

void TZanCustomBarcode::CreateWnd() {
    platform::TCustomControl::CreateWnd();
    if (!IsLoading() && FRenderer->GetSymbology() == nullptr) {
        int index = GetSymbologyIndexByName("Code 128");
        if (index < 0 && SymbologyCount() > 0) index = 0;
        if (index >= 0) {
            FRenderer->SetSymbology(GetSymbologyClassByIndex(index)->Create());
            SetText(FRenderer->GetSymbology()->GetDefaultCaption());
        }
    }
    // Until now the code was measured without a canvas, as for 96 pixels per inch; the
    // window's canvas may have another resolution.
    if (TZanBarcodeSymbology* symbology = FRenderer->GetSymbology()) {
        symbology->ResetMetrics();
        UpdateControl();
    }
}

void TZanCustomBarcode::Paint() {
    TZanBarcodeUpdateStatus status = FRenderer->GetUpdateStatus();
    if (status.Contains(busUpdating)) {
        status.Include(busRepaint);
        FRenderer->SetUpdateStatus(status);
        return;
    }
    status.Exclude(busRepaint);
    FRenderer->SetUpdateStatus(status);
    // Without a window there is no canvas, and the renderer reports that itself.
    if (platform::TCanvas* canvas = GetCanvas()) canvas->GetBrush().SetColor(GetColor());
    FRenderer->Paint();
}

// ---------------------------------------------------------------------------------------
// TZanCustomBarcode: update bracket, copies, colours

void TZanCustomBarcode::BeginUpdate() { FRenderer->BeginUpdate(); }

void TZanCustomBarcode::EndUpdate() {
    FRenderer->EndUpdate();
    if (FRenderer->GetUpdateCount() > 0) return;
    if (FRenderer->GetUpdateStatus().Contains(busAutoSize)) AdjustSize();
    if (FRenderer->GetUpdateStatus().Contains(busRepaint)) Invalidate();
}

void TZanCustomBarcode::CopyToBitmap(platform::TBitmap& bitmap) { FRenderer->CopyToBitmap(bitmap); }

void TZanCustomBarcode::CopyToMetafile(platform::TMetafile& metafile) { FRenderer->CopyToMetafile(metafile); }

TColor TZanCustomBarcode::GetColor(int index) const {
    return FRenderer->GetColor(index == 0 || index == 1 ? index : 2);
}

void TZanCustomBarcode::SetColor(int index, TColor value) {
    if (index >= 0 && index <= 2) FRenderer->SetColor(index, value);
}

// ---------------------------------------------------------------------------------------
// TZanBarcode

namespace {

// The platform properties and events that TZanBarcode publishes, in published order,
// each with the first host framework generation that offers it.
struct TPlatformPublished {
    std::string_view Name;
    int Since;
};
constexpr std::array<TPlatformPublished, 35> PlatformPublished = {{
    {"Align", 3},
    {"Anchors", 4},
    {"AutoSize", 4},
    {"Caption", 3},
    {"Color", 3},
    {"Constraints", 4},
    {"Cursor", 3},
    {"DragCursor", 3},
    {"DragKind", 4},
    {"DragMode", 3},
    {"Font", 3},
    {"ParentColor", 3},
    {"ParentFont", 3},
    {"ParentShowHint", 3},
    {"PopupMenu", 3},
    {"ShowHint", 3},
    {"Visible", 3},
    {"OnCanResize", 4},
    {"OnClick", 3},
    {"OnConstrainedResize", 4},
    {"OnContextPopup", 5},
    {"OnDblClick", 3},
    {"OnDragDrop", 3},
    {"OnDragOver", 3},
    {"OnEndDock", 4},
    {"OnEndDrag", 3},
    {"OnMouseDown", 3},
    {"OnMouseMove", 3},
    {"OnMouseUp", 3},
    {"OnMouseWheel", 4},
    {"OnMouseWheelDown", 4},
    {"OnMouseWheelUp", 4},
    {"OnResize", 4},
    {"OnStartDock", 4},
    {"OnStartDrag", 3},
}};

TPropList BarcodeProperties() {
    using B = TZanCustomBarcode;
    const auto color = [](const char* name, int index, const char* defaultText) {
        return platform::WithDefault(platform::ColorProperty<B>(
                                         name, [index](const B& b) { return b.GetColor(index); },
                                         [index](B& b, TColor v) { b.SetColor(index, v); }),
                                     defaultText);
    };
    TPropInfo version = platform::StringProperty<B>(
        "Version", [](const B& b) { return b.GetVersion(); }, [](B& b, const std::string& v) { b.SetVersion(v); });
    version.IsStored = [](const TPersistent&) { return false; };
    return {
        platform::WithDefault(platform::EnumerationProperty<B>(
                                  "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                                  [](const B& b) { return static_cast<int>(b.GetAlignment()); },
                                  [](B& b, int v) { b.SetAlignment(static_cast<TAlignment>(v)); }),
                              "taLeftJustify"),
        color("BarColor", 0, "clBlack"),
        platform::ObjectProperty<B>("Margins", [](B& b) -> TPersistent* { return &b.GetMargins(); }),
        platform::WithDefault(platform::EnumerationProperty<B>(
                                  "Orientation", {"boNormal", "bo90Degrees", "bo180Degrees", "bo270Degrees"},
                                  [](const B& b) { return static_cast<int>(b.GetOrientation()); },
                                  [](B& b, int v) { b.SetOrientation(static_cast<TZanBarcodeOrientation>(v)); }),
                              "boNormal"),
        color("SpaceColor", 1, "clWhite"),
        platform::StringProperty<B>(
            "SymbologyName", [](const B& b) { return b.GetSymbologyName(); },
            [](B& b, const std::string& v) { b.SetSymbologyName(v); }),
        platform::ObjectProperty<B>("Symbology", [](B& b) -> TPersistent* { return b.GetSymbology(); }),
        version,
        platform::EventProperty<B, platform::TNotifyEvent>(
            "OnVisualChange", [](const B& b) -> const platform::TNotifyEvent& { return b.GetOnVisualChange(); },
            [](B& b, platform::TNotifyEvent v) { b.SetOnVisualChange(std::move(v)); }),
    };
}

}  // namespace

const TPropList& TZanBarcode::PublishedProperties() const {
    static const TPropList properties = [this] {
        TPropList list = TZanCustomBarcode::PublishedProperties();
        for (const TPlatformPublished& p : PlatformPublished) {
            if (p.Since > ControlHostVersion) continue;
            const TPropInfo& property = PlatformProperty(std::string(p.Name));
            // A new control sizes itself to its code.
            list.push_back(p.Name == "AutoSize" ? platform::WithDefault(property, "True") : property);
        }
        for (TPropInfo& p : BarcodeProperties()) list.push_back(std::move(p));
        return list;
    }();
    return properties;
}

void RegisterBarcodeControls() {
    RegisterBarcodeSymbologies();
    platform::RegisterClass(platform::ComponentClass<TZanBarcode>());
}

}  // namespace zan
