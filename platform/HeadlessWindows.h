// Off-screen windows: each window's surface is a bitmap of its control's size, painting
// runs when asked for, and message boxes and popup menus are recorded instead of shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Controls.h>
#include <zanbarcode/platform/WindowSystem.h>

namespace zan::platform {

class THeadlessWindow;

struct TMessageBoxRecord {
    std::string Caption;
    std::string Text;
    TMessageBoxButtons Buttons = mbOK;
};

struct TPopupRecord {
    std::string MenuName;
    TPoint Position;  // screen coordinates
};

// The window system for tests and for drawing without a screen. It must be held by a
// std::shared_ptr: its windows keep it alive.
class THeadlessWindowSystem : public IWindowSystem, public std::enable_shared_from_this<THeadlessWindowSystem> {
public:
    // Surfaces of PixelsPerInch whose text Engine measures and draws (null: FreeType).
    explicit THeadlessWindowSystem(int pixelsPerInch = 96, std::shared_ptr<TFontEngine> engine = nullptr);

    std::unique_ptr<IWindowPeer> CreatePeer(TWinControl& control, IWindowPeer* parent) override;
    // Recorded, and answered with the box's first button (OK, Abort, Yes or Retry).
    TMessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text,
                                     TMessageBoxButtons buttons) override;
    // Recorded.
    void Popup(TPopupMenu& menu, TPoint position) override;

    // Paints every invalid window that is shown, in the order the windows were made
    // (parents before their children), as a message loop would when it runs dry.
    void ProcessPaints();

    int GetPixelsPerInch() const { return FPixelsPerInch; }
    const std::vector<TMessageBoxRecord>& GetMessageBoxes() const { return FMessageBoxes; }
    const std::vector<TPopupRecord>& GetPopups() const { return FPopups; }
    // Control's window when this kind of system made it, else null.
    static THeadlessWindow* WindowOf(const TWinControl& control);

private:
    friend class THeadlessWindow;

    int FPixelsPerInch;
    std::shared_ptr<TFontEngine> FEngine;
    std::vector<THeadlessWindow*> FWindows;  // living windows, oldest first
    std::vector<TMessageBoxRecord> FMessageBoxes;
    std::vector<TPopupRecord> FPopups;
};

// One off-screen window: what it shows, and the input a user would give it.
class THeadlessWindow : public IWindowPeer {
public:
    THeadlessWindow(std::shared_ptr<THeadlessWindowSystem> system, TWinControl& control, THeadlessWindow* parent);
    ~THeadlessWindow() override;
    THeadlessWindow(const THeadlessWindow&) = delete;
    THeadlessWindow& operator=(const THeadlessWindow&) = delete;

    TCanvas& GetCanvas() override { return FSurface.GetCanvas(); }
    // A new size resizes the surface and invalidates the window.
    void SetBounds(const TRect& bounds) override;
    void SetVisible(bool visible) override { FVisible = visible; }
    void SetText(const std::string& text) override { FText = text; }
    void SetCursor(TCursor cursor) override { FCursor = cursor; }
    void SetHint(const std::string& hint) override { FHint = hint; }
    void Invalidate() override;

    TWinControl& GetControl() const { return FControl; }
    // The pixels a user would see, as of the last paint.
    const TBitmap& GetSurface() const { return FSurface; }
    TRect GetBounds() const { return FBounds; }
    bool IsVisible() const { return FVisible; }
    // Visible, and inside windows that are all visible.
    bool IsShown() const;
    const std::string& GetText() const { return FText; }
    TCursor GetCursor() const { return FCursor; }
    const std::string& GetHint() const { return FHint; }
    bool IsInvalid() const { return FInvalid; }
    int GetInvalidateCount() const { return FInvalidateCount; }
    int GetPaintCount() const { return FPaintCount; }

    // Paints now when the window is invalid and shown.
    void Update();

    // A user's input in client coordinates, ignored while the window is not shown.
    void Click(int x, int y);
    void DoubleClick(int x, int y);
    void MouseMove(int x, int y);
    // Returns whether a handler took the turn.
    bool Wheel(int wheelDelta, int x, int y);
    void ContextMenu(int x, int y);

private:
    std::shared_ptr<THeadlessWindowSystem> FSystem;
    TWinControl& FControl;
    THeadlessWindow* FParent;
    TBitmap FSurface;
    TRect FBounds;
    bool FVisible = false;
    std::string FText;
    TCursor FCursor = crDefault;
    std::string FHint;
    bool FInvalid = true;  // a new window has never been painted
    int FInvalidateCount = 0;
    int FPaintCount = 0;
};

}  // namespace zan::platform
