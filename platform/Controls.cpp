#include <zanbarcode/platform/Controls.h>

#include <algorithm>
#include <cstdint>
#include <map>

namespace zan::platform {

// ---------------------------------------------------------------------------------------
// Names of values

const TIdentMap& ColorIdents() {
    static const TIdentMap idents = {
        {clBlack, "clBlack"},   {clWhite, "clWhite"},           {clRed, "clRed"},
        {clWindow, "clWindow"}, {clWindowText, "clWindowText"}, {clBtnFace, "clBtnFace"},
    };
    return idents;
}

const TIdentMap& CursorIdents() {
    static const TIdentMap idents = {
        {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
        {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
        {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
        {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
        {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
        {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
        {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
        {crSizeAll, "crSizeAll"},
    };
    return idents;
}

// ---------------------------------------------------------------------------------------
// TSizeConstraints

const TPropList& TSizeConstraints::PublishedProperties() const {
    using C = TSizeConstraints;
    static const TPropList properties = [] {
        const auto limit = [](const char* name, int (C::*get)() const, void (C::*set)(int)) {
            return WithDefault(IntegerProperty<C>(
                                   name, [get](const C& c) { return (c.*get)(); },
                                   [set](C& c, std::int64_t v) { (c.*set)(IntegerValue<int>(v)); }),
                               "0");
        };
        return TPropList{
            limit("MaxHeight", &C::GetMaxHeight, &C::SetMaxHeight),
            limit("MaxWidth", &C::GetMaxWidth, &C::SetMaxWidth),
            limit("MinHeight", &C::GetMinHeight, &C::SetMinHeight),
            limit("MinWidth", &C::GetMinWidth, &C::SetMinWidth),
        };
    }();
    return properties;
}

void TSizeConstraints::SetLimit(int& limit, int& opposite, int value, bool isMaximum) {
    if (value < 0) throw EConvertError("A size limit cannot be negative (%d)", {std::int64_t{value}});
    if (value == limit) return;
    limit = value;
    if (value != 0 && opposite != 0 && (isMaximum ? value < opposite : value > opposite)) opposite = value;
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------
// TControl: published properties

namespace {

TPropInfo StoredUnless(TPropInfo p, bool (TControl::*follows)() const) {
    p.IsStored = [follows](const TPersistent& o) { return !(static_cast<const TControl&>(o).*follows)(); };
    return p;
}

// Every platform property a descendant may publish, by name.
std::map<std::string, TPropInfo> MakePlatformProperties() {
    using C = TControl;
    const auto flag = [](const char* name, bool (C::*get)() const, void (C::*set)(bool), bool defaultValue) {
        return WithDefault(BooleanProperty<C>(
                               name, [get](const C& c) { return (c.*get)(); }, [set](C& c, bool v) { (c.*set)(v); }),
                           BooleanToText(defaultValue));
    };
    const auto cursor = [](const char* name, TCursor (C::*get)() const, void (C::*set)(TCursor), const char* def) {
        return WithDefault(IdentIntegerProperty<C>(
                               name, CursorIdents(), [get](const C& c) { return (c.*get)(); },
                               [set](C& c, std::int64_t v) { (c.*set)(static_cast<TCursor>(v)); }),
                           def);
    };
    std::vector<TPropInfo> list = {
        WithDefault(EnumerationProperty<C>(
                        "Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                        [](const C& c) { return static_cast<int>(c.GetAlign()); },
                        [](C& c, int v) { c.SetAlign(static_cast<TAlign>(v)); }),
                    "alNone"),
        WithDefault(
            SetTypeProperty<C>(
                "Anchors", {"akLeft", "akTop", "akRight", "akBottom"}, [](const C& c) { return c.GetAnchors(); },
                [](C& c, std::uint32_t v) { c.SetAnchors(static_cast<TAnchors>(v)); }),
            "[akLeft, akTop]"),
        flag("AutoSize", &C::GetAutoSize, &C::SetAutoSize, false),
        StringProperty<C>(
            "Caption", [](const C& c) { return c.GetText(); }, [](C& c, const std::string& v) { c.SetText(v); }),
        StoredUnless(
            WithDefault(ColorProperty<C>(
                            "Color", [](const C& c) { return c.GetColor(); }, [](C& c, TColor v) { c.SetColor(v); }),
                        "clWindow"),
            &C::GetParentColor),
        ObjectProperty<C>("Constraints", [](C& c) -> TPersistent* { return &c.GetConstraints(); }),
        cursor("Cursor", &C::GetCursor, &C::SetCursor, "crDefault"),
        cursor("DragCursor", &C::GetDragCursor, &C::SetDragCursor, "crDrag"),
        WithDefault(EnumerationProperty<C>(
                        "DragKind", {"dkDrag", "dkDock"}, [](const C& c) { return static_cast<int>(c.GetDragKind()); },
                        [](C& c, int v) { c.SetDragKind(static_cast<TDragKind>(v)); }),
                    "dkDrag"),
        WithDefault(
            EnumerationProperty<C>(
                "DragMode", {"dmManual", "dmAutomatic"}, [](const C& c) { return static_cast<int>(c.GetDragMode()); },
                [](C& c, int v) { c.SetDragMode(static_cast<TDragMode>(v)); }),
            "dmManual"),
        StoredUnless(ObjectProperty<C>("Font", [](C& c) -> TPersistent* { return &c.GetFont(); }), &C::GetParentFont),
        StringProperty<C>(
            "Hint", [](const C& c) { return c.GetHint(); }, [](C& c, const std::string& v) { c.SetHint(v); }),
        flag("ParentColor", &C::GetParentColor, &C::SetParentColor, true),
        flag("ParentFont", &C::GetParentFont, &C::SetParentFont, true),
        flag("ParentShowHint", &C::GetParentShowHint, &C::SetParentShowHint, true),
        ComponentProperty<C, TPopupMenu>(
            "PopupMenu", [](const C& c) { return c.GetPopupMenu(); }, [](C& c, TPopupMenu* v) { c.SetPopupMenu(v); }),
        StoredUnless(flag("ShowHint", &C::GetShowHint, &C::SetShowHint, false), &C::GetParentShowHint),
        flag("Visible", &C::GetVisible, &C::SetVisible, true),
        EventProperty("OnCanResize", &C::OnCanResize),
        EventProperty("OnClick", &C::OnClick),
        EventProperty("OnConstrainedResize", &C::OnConstrainedResize),
        EventProperty("OnContextPopup", &C::OnContextPopup),
        EventProperty("OnDblClick", &C::OnDblClick),
        EventProperty("OnDragDrop", &C::OnDragDrop),
        EventProperty("OnDragOver", &C::OnDragOver),
        EventProperty("OnEndDock", &C::OnEndDock),
        EventProperty("OnEndDrag", &C::OnEndDrag),
        EventProperty("OnMouseDown", &C::OnMouseDown),
        EventProperty("OnMouseMove", &C::OnMouseMove),
        EventProperty("OnMouseUp", &C::OnMouseUp),
        EventProperty("OnMouseWheel", &C::OnMouseWheel),
        EventProperty("OnMouseWheelDown", &C::OnMouseWheelDown),
        EventProperty("OnMouseWheelUp", &C::OnMouseWheelUp),
        EventProperty("OnResize", &C::OnResize),
        EventProperty("OnStartDock", &C::OnStartDock),
        EventProperty("OnStartDrag", &C::OnStartDrag),
    };
    std::map<std::string, TPropInfo> byName;
    for (TPropInfo& p : list) byName.emplace(p.Name, std::move(p));
    return byName;
}

}  // namespace

const TPropInfo& TControl::PlatformProperty(const std::string& name) {
    static const std::map<std::string, TPropInfo> properties = MakePlatformProperties();
    const auto found = properties.find(name);
    if (found == properties.end()) throw Exception("TControl has no property %s to publish", {name});
    return found->second;
}

const TPropList& TControl::PublishedProperties() const {
    using C = TControl;
    static const TPropList properties = [this] {
        TPropList list = TComponent::PublishedProperties();
        const auto bound = [](const char* name, int (C::*get)() const, void (C::*set)(int)) {
            return IntegerProperty<C>(
                name, [get](const C& c) { return (c.*get)(); },
                [set](C& c, std::int64_t v) { (c.*set)(IntegerValue<int>(v)); });
        };
        list.push_back(bound("Left", &C::GetLeft, &C::SetLeft));
        list.push_back(bound("Top", &C::GetTop, &C::SetTop));
        list.push_back(bound("Width", &C::GetWidth, &C::SetWidth));
        list.push_back(bound("Height", &C::GetHeight, &C::SetHeight));
        return list;
    }();
    return properties;
}

// ---------------------------------------------------------------------------------------
// TControl: life and parent

TControl::TControl(TComponent* owner) : TComponent(owner) {
    FFont.OnChange = [this](TPersistent*) {
        FParentFont = false;
        CMFontChanged();
    };
    FConstraints.OnChange = [this](TPersistent*) { AdjustSize(); };
}

TControl::~TControl() {
    if (FParent != nullptr) TControl::SetParent(nullptr);
}

void TControl::SetName(const std::string& value) {
    const bool textFollows = (FControlStyle & csSetCaption) != 0 && !IsLoading() && GetName() == FText;
    TComponent::SetName(value);
    if (textFollows) SetText(value);
}

void TControl::Loaded() {
    TComponent::Loaded();
    AdjustSize();
}

void TControl::ValidateParent(const TWinControl* value) const {
    for (const TControl* c = value; c != nullptr; c = c->FParent)
        if (c == this) throw EInvalidOperation("A control cannot be placed inside itself");
}

void TControl::SetParent(TWinControl* value) {
    if (value == FParent) return;
    ValidateParent(value);
    if (FParent != nullptr) {
        TWinControl* previous = FParent;
        auto& siblings = previous->FControls;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        FParent = nullptr;
        previous->Realign();
    }
    FParent = value;
    if (value == nullptr) return;
    value->FControls.push_back(this);
    ParentColorChanged();
    ParentFontChanged();
    ParentShowHintChanged();
    value->Realign();
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* parent) {
    if (auto* windowed = dynamic_cast<TWinControl*>(parent)) SetParent(windowed);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FPopupMenu) FPopupMenu = nullptr;
}

// ---------------------------------------------------------------------------------------
// TControl: bounds and size

TRect TControl::GetBoundsRect() const {
    return {FLeft, FTop, Saturate32(std::int64_t{FLeft} + FWidth), Saturate32(std::int64_t{FTop} + FHeight)};
}

namespace {

void CheckBounds(int left, int top, int width, int height) {
    const auto inRange = [](std::int64_t value) {
        return value >= -MaxControlCoordinate && value <= MaxControlCoordinate;
    };
    if (!inRange(left) || !inRange(top) || !inRange(width) || !inRange(height) ||
        !inRange(std::int64_t{left} + width) || !inRange(std::int64_t{top} + height))
        throw EConvertError("Bounds %d, %d, %d x %d are beyond %d pixels",
                            {std::int64_t{left}, std::int64_t{top}, std::int64_t{width}, std::int64_t{height},
                             std::int64_t{MaxControlCoordinate}});
}

// A layout position or size computed in 64 bits, kept within the control coordinates.
int ClampCoordinate(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, -MaxControlCoordinate, MaxControlCoordinate));
}

// Bounds that alignment or anchors computed, moved and cut to the control coordinates.
void PlaceWithin(TControl& control, std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
    const int fittedLeft = ClampCoordinate(left);
    const int fittedTop = ClampCoordinate(top);
    const auto fitSize = [](int position, std::int64_t size) {
        return static_cast<int>(std::clamp<std::int64_t>(size, std::int64_t{-MaxControlCoordinate} - position,
                                                          std::int64_t{MaxControlCoordinate} - position));
    };
    control.SetBounds(fittedLeft, fittedTop, fitSize(fittedLeft, width), fitSize(fittedTop, height));
}

}  // namespace

void TControl::SetBounds(int left, int top, int width, int height) {
    if (!IsLoading() && !CheckNewSize(width, height)) return;
    CheckBounds(left, top, width, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    const TRect previous = GetBoundsRect();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    BoundsChanged(previous);
    RequestAlign();
    if (!IsLoading() && (width != previous.Width() || height != previous.Height()) && OnResize) OnResize(this);
}

bool TControl::CheckNewSize(int& newWidth, int& newHeight) {
    int width = newWidth;
    int height = newHeight;
    if (!DoCanResize(width, height)) return false;
    // An auto-sized size passes the resize checks again; a declined auto-size leaves
    // the asked size to them.
    int autoWidth = width;
    int autoHeight = height;
    bool accepted = true;
    if (FAutoSize) {
        if (!DoCanAutoSize(autoWidth, autoHeight)) {
            autoWidth = width;
            autoHeight = height;
        }
        accepted = (autoWidth == width && autoHeight == height) || DoCanResize(autoWidth, autoHeight);
    }
    if (accepted) {
        newWidth = autoWidth;
        newHeight = autoHeight;
    }
    return accepted;
}

bool TControl::DoCanResize(int& newWidth, int& newHeight) {
    bool resize = true;
    if (OnCanResize) OnCanResize(this, newWidth, newHeight, resize);
    if (!resize) return false;
    int minWidth = FConstraints.GetMinWidth();
    int minHeight = FConstraints.GetMinHeight();
    int maxWidth = FConstraints.GetMaxWidth();
    int maxHeight = FConstraints.GetMaxHeight();
    if (OnConstrainedResize) OnConstrainedResize(this, minWidth, minHeight, maxWidth, maxHeight);
    if (maxWidth > 0 && newWidth > maxWidth) newWidth = maxWidth;
    if (minWidth > 0 && newWidth < minWidth) newWidth = minWidth;
    if (maxHeight > 0 && newHeight > maxHeight) newHeight = maxHeight;
    if (minHeight > 0 && newHeight < minHeight) newHeight = minHeight;
    return true;
}

bool TControl::DoCanAutoSize(int& newWidth, int& newHeight) {
    // An aligned control keeps the size its alignment gives it across the parent.
    if (FAlign == alClient) return true;
    int width = newWidth;
    int height = newHeight;
    const bool result = CanAutoSize(width, height);
    if (FAlign == alNone || FAlign == alLeft || FAlign == alRight) newWidth = width;
    if (FAlign == alNone || FAlign == alTop || FAlign == alBottom) newHeight = height;
    return result;
}

void TControl::AdjustSize() {
    if (!IsLoading()) SetBounds(FLeft, FTop, FWidth, FHeight);
}

bool TControl::CanAutoSize(int& /*newWidth*/, int& /*newHeight*/) { return true; }

TPoint TControl::ClientToScreen(TPoint point) const {
    std::int64_t x = point.X;
    std::int64_t y = point.Y;
    for (const TControl* c = this; c != nullptr; c = c->FParent) {
        x += c->FLeft;
        y += c->FTop;
    }
    return {Saturate32(x), Saturate32(y)};
}

void TControl::SetAlign(TAlign value) {
    if (value == FAlign) return;
    FAlign = value;
    RequestAlign();
}

void TControl::SetAutoSize(bool value) {
    if (value == FAutoSize) return;
    FAutoSize = value;
    if (value) AdjustSize();
}

void TControl::RequestAlign() {
    if (FParent != nullptr && FAlign != alNone) FParent->Realign();
}

// ---------------------------------------------------------------------------------------
// TControl: text and appearance

void TControl::SetText(const std::string& value) {
    if (value == FText) return;
    FText = value;
    CMTextChanged();
}

void TControl::SetColor(TColor value) {
    if (value == FColor) return;
    FColor = value;
    FParentColor = false;
    CMColorChanged();
}

void TControl::SetParentColor(bool value) {
    if (value == FParentColor) return;
    FParentColor = value;
    ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!FParentColor || FParent == nullptr || FParent->GetColor() == FColor) return;
    FColor = FParent->GetColor();
    CMColorChanged();
}

void TControl::SetParentFont(bool value) {
    if (value == FParentFont) return;
    FParentFont = value;
    ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!FParentFont || FParent == nullptr) return;
    FFont.Assign(FParent->GetFont());  // reports a change of the font, which clears the flag
    FParentFont = true;
}

void TControl::SetVisible(bool value) {
    if (value == FVisible) return;
    FVisible = value;
    CMVisibleChanged();
    if (FParent != nullptr) FParent->Realign();
}

void TControl::SetCursor(TCursor value) {
    if (value == FCursor) return;
    FCursor = value;
    CMCursorChanged();
}

void TControl::SetHint(const std::string& value) {
    if (value == FHint) return;
    FHint = value;
    CMHintChanged();
}

void TControl::SetShowHint(bool value) {
    FParentShowHint = false;
    if (value == FShowHint) return;
    FShowHint = value;
    CMHintChanged();
}

void TControl::SetParentShowHint(bool value) {
    if (value == FParentShowHint) return;
    FParentShowHint = value;
    ParentShowHintChanged();
}

void TControl::ParentShowHintChanged() {
    if (!FParentShowHint || FParent == nullptr || FParent->GetShowHint() == FShowHint) return;
    FShowHint = FParent->GetShowHint();
    CMHintChanged();
}

void TControl::SetPopupMenu(TPopupMenu* value) {
    FPopupMenu = value;
    if (value != nullptr) value->FreeNotification(this);
}

void TControl::Invalidate() {
    if (FParent != nullptr) FParent->Invalidate();
}

// ---------------------------------------------------------------------------------------
// TControl: dragging and input

void TControl::SetDragCursor(TCursor value) {
    if (value == FDragCursor) return;
    FDragCursor = value;
    if (FDragging) CMCursorChanged();
}

void TControl::BeginDrag() {
    if (FDragging) return;
    FDragging = true;
    FDragObject = nullptr;
    const TStartDragEvent& started = FDragKind == dkDrag ? OnStartDrag : OnStartDock;
    if (started) started(this, FDragObject);
    CMCursorChanged();
}

TPersistent* TControl::GetDragSource() { return FDragObject != nullptr ? FDragObject : this; }

void TControl::EndDrag(TPersistent* target, int x, int y) {
    if (!FDragging) return;
    FDragging = false;
    FDragObject = nullptr;
    CMCursorChanged();
    const TEndDragEvent& ended = FDragKind == dkDrag ? OnEndDrag : OnEndDock;
    if (ended) ended(this, target, x, y);
}

bool TControl::DragOver(TPersistent* source, int x, int y, TDragState state) {
    bool accept = false;
    if (OnDragOver) OnDragOver(this, source, x, y, state, accept);
    return accept;
}

void TControl::DragDrop(TPersistent* source, int x, int y) {
    if (OnDragDrop) OnDragDrop(this, source, x, y);
}

void TControl::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        FClicking = true;
        if (FDragMode == dmAutomatic) BeginDrag();
    }
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        const bool inside = x >= 0 && y >= 0 && x < FWidth && y < FHeight;
        const bool clicked = FClicking && inside && !FDragging;
        FClicking = false;
        if (clicked && OnClick) OnClick(this);
    }
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::HandleMouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::HandleDoubleClick(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && OnDblClick) OnDblClick(this);
    if (OnMouseDown) OnMouseDown(this, button, static_cast<TShiftState>(shift | ssDouble), x, y);
}

bool TControl::HandleMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    const TMouseWheelUpDownEvent& turned = wheelDelta < 0 ? OnMouseWheelDown : OnMouseWheelUp;
    if (!handled && turned) turned(this, shift, mousePos, handled);
    if (!handled && FParent != nullptr) handled = FParent->HandleMouseWheel(shift, wheelDelta, mousePos);
    return handled;
}

void TControl::HandleContextPopup(TPoint mousePos) {
    bool handled = false;
    if (OnContextPopup) OnContextPopup(this, mousePos, handled);
    if (handled) return;
    if (FPopupMenu != nullptr) {
        const TPoint onScreen = ClientToScreen(mousePos);
        FPopupMenu->Popup(onScreen.X, onScreen.Y);
        return;
    }
    if (FParent != nullptr)
        FParent->HandleContextPopup(
            {Saturate32(std::int64_t{mousePos.X} + FLeft), Saturate32(std::int64_t{mousePos.Y} + FTop)});
}

// ---------------------------------------------------------------------------------------
// TWinControl

TWinControl::~TWinControl() {
    // Children leave one by one; laying out the rest each time would be wasted.
    FAligning = true;
    while (!FControls.empty()) delete FControls.back();
    DestroyHandle();
}

TControl* TWinControl::GetControl(int index) const {
    if (index < 0 || index >= GetControlCount())
        throw EListError("List index out of bounds (%d)", {std::int64_t{index}});
    return FControls[static_cast<std::size_t>(index)];
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
    for (TControl* control : FControls)
        if (control->GetOwner() == root) proc(control);
    TControl::GetChildren(proc, root);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    Realign();
}

void TWinControl::SetParent(TWinControl* value) {
    if (value == GetParent()) return;
    ValidateParent(value);
    if (HandleAllocated()) DestroyHandle();
    TControl::SetParent(value);
    if (value != nullptr && value->HandleAllocated()) CreateHandle();
}

void TWinControl::HandleNeeded() {
    if (HandleAllocated()) return;
    if (GetParent() != nullptr && !GetParent()->HandleAllocated()) {
        GetParent()->HandleNeeded();  // makes this window too, as one of its children
        if (HandleAllocated()) return;
    }
    CreateHandle();
}

void TWinControl::CreateHandle() {
    CreateWnd();
    for (TControl* control : FControls)
        if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed != nullptr && !windowed->HandleAllocated())
            windowed->CreateHandle();
}

void TWinControl::DestroyHandle() {
    for (TControl* control : FControls)
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) windowed->DestroyHandle();
    FPeer.reset();
}

void TWinControl::CreateWnd() {
    FPeer = WindowSystem().CreatePeer(*this, GetParent() != nullptr ? GetParent()->GetPeer() : nullptr);
    FPeer->SetBounds(GetBoundsRect());
    FPeer->SetText(GetText());
    FPeer->SetCursor(ShownCursor());
    FPeer->SetHint(ShownHint());
    FPeer->SetVisible(GetVisible());
}

void TWinControl::HandlePaint() {
    if (!FPeer) return;
    TCanvas& canvas = FPeer->GetCanvas();
    canvas.GetBrush().SetColor(GetColor());
    canvas.GetBrush().SetStyle(bsSolid);
    canvas.FillRect(GetClientRect());
    PaintWindow();
}

void TWinControl::Invalidate() {
    if (FPeer) FPeer->Invalidate();
}

void TWinControl::Realign() {
    if (FAligning || IsLoading()) return;
    FAligning = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } done{FAligning};
    // The room left over, in 64 bits however many controls take their share of it.
    std::int64_t roomLeft = 0;
    std::int64_t roomTop = 0;
    std::int64_t roomRight = GetWidth();
    std::int64_t roomBottom = GetHeight();
    for (const TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : FControls) {
            if (c->GetAlign() != align || !c->GetVisible()) continue;
            const std::int64_t width = std::max<std::int64_t>(0, roomRight - roomLeft);
            const std::int64_t height = std::max<std::int64_t>(0, roomBottom - roomTop);
            switch (align) {
                case alTop:
                    PlaceWithin(*c, roomLeft, roomTop, width, c->GetHeight());
                    roomTop += c->GetHeight();
                    break;
                case alBottom:
                    PlaceWithin(*c, roomLeft, roomBottom - c->GetHeight(), width, c->GetHeight());
                    roomBottom -= c->GetHeight();
                    break;
                case alLeft:
                    PlaceWithin(*c, roomLeft, roomTop, c->GetWidth(), height);
                    roomLeft += c->GetWidth();
                    break;
                case alRight:
                    PlaceWithin(*c, roomRight - c->GetWidth(), roomTop, c->GetWidth(), height);
                    roomRight -= c->GetWidth();
                    break;
                default: PlaceWithin(*c, roomLeft, roomTop, width, height); break;
            }
        }
    }
}

void TWinControl::ApplyAnchors(int widthChange, int heightChange) {
    // Each axis: anchored on both sides stretches, on the far side only moves, on
    // neither side keeps its place relative to the middle.
    const auto follow = [](bool nearSide, bool farSide, std::int64_t& position, std::int64_t& size, int change) {
        if (farSide && nearSide)
            size += change;
        else if (farSide)
            position += change;
        else if (!nearSide)
            position += change / 2;
    };
    for (TControl* c : FControls) {
        if (c->GetAlign() != alNone) continue;
        const TAnchors anchors = c->GetAnchors();
        std::int64_t left = c->GetLeft();
        std::int64_t top = c->GetTop();
        std::int64_t width = c->GetWidth();
        std::int64_t height = c->GetHeight();
        follow((anchors & akLeft) != 0, (anchors & akRight) != 0, left, width, widthChange);
        follow((anchors & akTop) != 0, (anchors & akBottom) != 0, top, height, heightChange);
        PlaceWithin(*c, left, top, width, height);
    }
}

void TWinControl::BoundsChanged(const TRect& previous) {
    if (FPeer) FPeer->SetBounds(GetBoundsRect());
    const int widthChange = GetWidth() - previous.Width();
    const int heightChange = GetHeight() - previous.Height();
    if (widthChange == 0 && heightChange == 0) return;
    if (!IsLoading()) ApplyAnchors(widthChange, heightChange);
    Realign();
}

void TWinControl::CMTextChanged() {
    if (FPeer) FPeer->SetText(GetText());
}

void TWinControl::CMColorChanged() {
    TControl::CMColorChanged();
    for (TControl* c : FControls) c->ParentColorChanged();
}

void TWinControl::CMFontChanged() {
    TControl::CMFontChanged();
    for (TControl* c : FControls) c->ParentFontChanged();
}

void TWinControl::CMVisibleChanged() {
    if (FPeer) FPeer->SetVisible(GetVisible());
}

void TWinControl::CMCursorChanged() {
    if (FPeer) FPeer->SetCursor(ShownCursor());
}

void TWinControl::CMHintChanged() {
    if (FPeer) FPeer->SetHint(ShownHint());
    for (TControl* c : FControls) c->ParentShowHintChanged();
}

}  // namespace zan::platform
