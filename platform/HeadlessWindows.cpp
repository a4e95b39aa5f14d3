#include <zanbarcode/platform/HeadlessWindows.h>

#include <algorithm>

#include <zanbarcode/platform/Menus.h>

namespace zan::platform {

// ---------------------------------------------------------------------------------------
// THeadlessWindowSystem

THeadlessWindowSystem::THeadlessWindowSystem(int pixelsPerInch, std::shared_ptr<TFontEngine> engine)
    : FPixelsPerInch(pixelsPerInch), FEngine(engine ? std::move(engine) : FreeTypeFontEngine()) {}

std::unique_ptr<IWindowPeer> THeadlessWindowSystem::CreatePeer(TWinControl& control, IWindowPeer* parent) {
    return std::make_unique<THeadlessWindow>(shared_from_this(), control, dynamic_cast<THeadlessWindow*>(parent));
}

TMessageBoxResult THeadlessWindowSystem::ShowMessageBox(const std::string& caption, const std::string& text,
                                                        TMessageBoxButtons buttons) {
    FMessageBoxes.push_back({caption, text, buttons});
    switch (buttons) {
        case mbAbortRetryIgnore: return mrAbort;
        case mbYesNoCancel:
        case mbYesNo: return mrYes;
        case mbRetryCancel: return mrRetry;
        default: return mrOk;
    }
}

void THeadlessWindowSystem::Popup(TPopupMenu& menu, TPoint position) { FPopups.push_back({menu.GetName(), position}); }

void THeadlessWindowSystem::ProcessPaints() {
    // A paint may make or destroy windows: walk a copy and skip those that are gone.
    const std::vector<THeadlessWindow*> windows = FWindows;
    for (THeadlessWindow* window : windows)
        if (std::find(FWindows.begin(), FWindows.end(), window) != FWindows.end()) window->Update();
}

THeadlessWindow* THeadlessWindowSystem::WindowOf(const TWinControl& control) {
    return dynamic_cast<THeadlessWindow*>(control.GetPeer());
}

// ---------------------------------------------------------------------------------------
// THeadlessWindow

THeadlessWindow::THeadlessWindow(std::shared_ptr<THeadlessWindowSystem> system, TWinControl& control,
                                 THeadlessWindow* parent)
    : FSystem(std::move(system)), FControl(control), FParent(parent) {
    FSurface.SetPixelsPerInch(FSystem->FPixelsPerInch);
    FSurface.GetCanvas().SetFontEngine(FSystem->FEngine);
    FSystem->FWindows.push_back(this);
}

THeadlessWindow::~THeadlessWindow() {
    auto& windows = FSystem->FWindows;
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

void THeadlessWindow::SetBounds(const TRect& bounds) {
    const bool resized = bounds.Width() != FBounds.Width() || bounds.Height() != FBounds.Height();
    FBounds = bounds;
    if (!resized) return;
    FSurface.SetSize(bounds.Width(), bounds.Height());
    Invalidate();
}

void THeadlessWindow::Invalidate() {
    FInvalid = true;
    ++FInvalidateCount;
}

bool THeadlessWindow::IsShown() const { return FVisible && (FParent == nullptr || FParent->IsShown()); }

void THeadlessWindow::Update() {
    if (!FInvalid || !IsShown()) return;
    FInvalid = false;
    ++FPaintCount;
    FControl.HandlePaint();
}

void THeadlessWindow::Click(int x, int y) {
    if (!IsShown()) return;
    FControl.HandleMouseDown(mbLeft, ssLeft, x, y);
    FControl.HandleMouseUp(mbLeft, 0, x, y);
}

void THeadlessWindow::DoubleClick(int x, int y) {
    if (!IsShown()) return;
    // The sequence a mouse sends: press, release, double-click press, release.
    Click(x, y);
    FControl.HandleDoubleClick(mbLeft, ssLeft, x, y);
    FControl.HandleMouseUp(mbLeft, 0, x, y);
}

void THeadlessWindow::MouseMove(int x, int y) {
    if (IsShown()) FControl.HandleMouseMove(0, x, y);
}

bool THeadlessWindow::Wheel(int wheelDelta, int x, int y) {
    return IsShown() && FControl.HandleMouseWheel(0, wheelDelta, FControl.ClientToScreen({x, y}));
}

void THeadlessWindow::ContextMenu(int x, int y) {
    if (IsShown()) FControl.HandleContextPopup({x, y});
}

}  // namespace zan::platform
