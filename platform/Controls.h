// Controls: bounds, text, colour, font, auto-size, alignment, dragging and input of
// TControl; the window and child controls of TWinControl; the canvas of TCustomControl.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/Components.h>
#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/Graphics.h>
#include <zanbarcode/platform/Menus.h>
#include <zanbarcode/platform/Persistent.h>
#include <zanbarcode/platform/Types.h>
#include <zanbarcode/platform/WindowSystem.h>

namespace zan::platform {

class TWinControl;

// An operation that the control's state does not allow, such as a parent cycle.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The parent's sides that a control keeps its distance to when the parent is resized,
// a set of them in one byte.
enum TAnchorKind : std::uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = std::uint8_t;

enum TControlStyleFlag : std::uint8_t {
    csSetCaption = 1,    // the text follows the name while the two are equal
    csReplicatable = 2,  // a container may draw copies of the control (as a grid of records does)
};
using TControlStyle = std::uint8_t;

enum TDragKind : std::uint8_t { dkDrag, dkDock };
enum TDragMode : std::uint8_t { dmManual, dmAutomatic };
enum TDragState : std::uint8_t { dsDragEnter, dsDragLeave, dsDragMove };
enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : std::uint8_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = std::uint8_t;

// Event types. Every handler receives the control that raised the event as Sender.
using TMouseEvent = std::function<void(TPersistent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TPersistent* sender, TShiftState shift, int x, int y)>;
using TMouseWheelEvent =
    std::function<void(TPersistent* sender, TShiftState shift, int wheelDelta, TPoint mousePos, bool& handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TPersistent* sender, TShiftState shift, TPoint mousePos, bool& handled)>;
using TCanResizeEvent = std::function<void(TPersistent* sender, int& newWidth, int& newHeight, bool& resize)>;
using TConstrainedResizeEvent =
    std::function<void(TPersistent* sender, int& minWidth, int& minHeight, int& maxWidth, int& maxHeight)>;
using TContextPopupEvent = std::function<void(TPersistent* sender, TPoint mousePos, bool& handled)>;
using TDragDropEvent = std::function<void(TPersistent* sender, TPersistent* source, int x, int y)>;
using TDragOverEvent =
    std::function<void(TPersistent* sender, TPersistent* source, int x, int y, TDragState state, bool& accept)>;
using TEndDragEvent = std::function<void(TPersistent* sender, TPersistent* target, int x, int y)>;
using TStartDragEvent = std::function<void(TPersistent* sender, TPersistent*& dragObject)>;

// Names of the colours that form files write by name.
const TIdentMap& ColorIdents();
// Names of the cursor shapes, crDefault to crSizeAll.
const TIdentMap& CursorIdents();

// A colour property: written by name for the named colours, else as a number.
template <class T, class Get, class Set>
TPropInfo ColorProperty(std::string name, Get get, Set set) {
    return IdentIntegerProperty<T>(std::move(name), ColorIdents(), get,
                                   [set](T& o, std::int64_t v) { set(o, static_cast<TColor>(v)); });
}

// Limits to a control's size in pixels; 0 is no limit.
class TSizeConstraints : public TPersistent {
public:
    std::string ClassName() const override { return "TSizeConstraints"; }
    // MaxHeight, MaxWidth, MinHeight, MinWidth, each with the stored default 0.
    const TPropList& PublishedProperties() const override;

    int GetMaxHeight() const { return FMaxHeight; }
    int GetMaxWidth() const { return FMaxWidth; }
    int GetMinHeight() const { return FMinHeight; }
    int GetMinWidth() const { return FMinWidth; }
    // A negative value raises EConvertError. A minimum above a set maximum raises that
    // maximum with it, and a maximum below the minimum lowers the minimum.
    void SetMaxHeight(int value) { SetLimit(FMaxHeight, FMinHeight, value, true); }
    void SetMaxWidth(int value) { SetLimit(FMaxWidth, FMinWidth, value, true); }
    void SetMinHeight(int value) { SetLimit(FMinHeight, FMaxHeight, value, false); }
    void SetMinWidth(int value) { SetLimit(FMinWidth, FMaxWidth, value, false); }

    TNotifyEvent OnChange;

private:
    void SetLimit(int& limit, int& opposite, int value, bool isMaximum);

    int FMaxHeight = 0;
    int FMaxWidth = 0;
    int FMinHeight = 0;
    int FMinWidth = 0;
};

// Every position, size and edge of a control lies within +-MaxControlCoordinate, so that
// the difference of any two of them fits an int.
inline constexpr int MaxControlCoordinate = (1 << 30) - 1;

// A visual element with bounds inside a parent windowed control. It stores its text
// (sending CMTextChanged after a change), colour and font (each either its own or its
// parent's), sizes itself through AdjustSize/CanAutoSize when AutoSize is on, and fires
// its events from the input that the window peer delivers.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    std::string ClassName() const override { return "TControl"; }
    // TComponent's, then Left, Top, Width and Height.
    const TPropList& PublishedProperties() const override;
    // The platform properties and events that a descendant may publish, by name, with
    // their stored defaults: Align, Anchors, AutoSize, Caption, Color, Constraints,
    // Cursor, DragCursor, DragKind, DragMode, Font, Hint, ParentColor, ParentFont,
    // ParentShowHint, PopupMenu, ShowHint, Visible, OnCanResize, OnClick,
    // OnConstrainedResize, OnContextPopup, OnDblClick, OnDragDrop, OnDragOver, OnEndDock,
    // OnEndDrag, OnMouseDown, OnMouseMove, OnMouseUp, OnMouseWheel, OnMouseWheelDown,
    // OnMouseWheelUp, OnResize, OnStartDock, OnStartDrag. Raises Exception for another name.
    static const TPropInfo& PlatformProperty(const std::string& name);

    // Copies the caption into the text while the two are equal and csSetCaption is set.
    void SetName(const std::string& value) override;
    // Takes the auto-size left out while loading (see SetBounds).
    void Loaded() override;

    TWinControl* GetParent() const { return FParent; }
    // Raises EInvalidOperation for this control or one inside it. A control with the
    // parent's colour, font or hint setting takes them from the new parent.
    virtual void SetParent(TWinControl* value);
    TComponent* GetParentComponent() const override;
    // Makes Parent the parent when it is a windowed control.
    void SetParentComponent(TComponent* parent) override;

    int GetLeft() const { return FLeft; }
    void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
    int GetTop() const { return FTop; }
    void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
    int GetWidth() const { return FWidth; }
    void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
    int GetHeight() const { return FHeight; }
    void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
    TRect GetBoundsRect() const;
    TRect GetClientRect() const { return {0, 0, FWidth, FHeight}; }
    // Moves and sizes the control. Outside loading the size passes OnCanResize, the
    // constraints with OnConstrainedResize and, while AutoSize is on, CanAutoSize, and a
    // changed size fires OnResize; while loading the bounds are taken as they are stored.
    // Bounds beyond MaxControlCoordinate raise EConvertError and change nothing.
    virtual void SetBounds(int left, int top, int width, int height);
    // A point of the client area in screen coordinates (a top-level control's position
    // is on the screen).
    TPoint ClientToScreen(TPoint point) const;

    TAlign GetAlign() const { return FAlign; }
    void SetAlign(TAlign value);
    TAnchors GetAnchors() const { return FAnchors; }
    void SetAnchors(TAnchors value) { FAnchors = value; }
    bool GetAutoSize() const { return FAutoSize; }
    // Turning auto-size on sizes the control at once.
    void SetAutoSize(bool value);
    TSizeConstraints& GetConstraints() { return FConstraints; }
    const TSizeConstraints& GetConstraints() const { return FConstraints; }

    const std::string& GetText() const { return FText; }
    // Stores Value and sends CMTextChanged; an unchanged text sends nothing.
    void SetText(const std::string& value);
    const std::string& GetCaption() const { return FText; }
    void SetCaption(const std::string& value) { SetText(value); }

    TColor GetColor() const { return FColor; }
    // A different colour stops following the parent's.
    void SetColor(TColor value);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    TFont& GetFont() { return FFont; }
    const TFont& GetFont() const { return FFont; }
    // Copies Value's attributes; any change to the font stops following the parent's.
    void SetFont(TFont& value) { FFont.Assign(value); }
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    TControlStyle GetControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle value) { FControlStyle = value; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool value);
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor value);
    const std::string& GetHint() const { return FHint; }
    void SetHint(const std::string& value);
    bool GetShowHint() const { return FShowHint; }
    // Setting it stops following the parent's.
    void SetShowHint(bool value);
    bool GetParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool value);
    TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
    // The menu shown on a context-menu request; dropped when the menu is destroyed.
    void SetPopupMenu(TPopupMenu* value);

    TCursor GetDragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor value);
    TDragKind GetDragKind() const { return FDragKind; }
    void SetDragKind(TDragKind value) { FDragKind = value; }
    TDragMode GetDragMode() const { return FDragMode; }
    // dmAutomatic starts dragging on a left mouse press.
    void SetDragMode(TDragMode value) { FDragMode = value; }
    // Starts dragging (DragKind dkDrag) or docking (dkDock): fires OnStartDrag or
    // OnStartDock, whose handler may supply an object describing what is dragged, and
    // shows DragCursor. Does nothing while a drag is under way.
    void BeginDrag();
    bool IsDragging() const { return FDragging; }
    // What a drop target hears of as the source: the object OnStartDrag supplied, else
    // this control.
    TPersistent* GetDragSource();
    // Ends the drag over Target (null when it was cancelled) at (X, Y): fires OnEndDrag
    // or OnEndDock.
    void EndDrag(TPersistent* target, int x, int y);
    // Whether this control accepts Source at (X, Y): no unless OnDragOver accepts.
    bool DragOver(TPersistent* source, int x, int y, TDragState state);
    // Source dropped at (X, Y): fires OnDragDrop.
    void DragDrop(TPersistent* source, int x, int y);

    // Asks for the control to be painted again.
    virtual void Invalidate();

    // Input delivered by the window peer, in client coordinates. A left press and
    // release inside the control make a click (OnClick before OnMouseUp).
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void HandleMouseMove(TShiftState shift, int x, int y);
    // The second press of a double click, in place of its HandleMouseDown.
    void HandleDoubleClick(TMouseButton button, TShiftState shift, int x, int y);
    // A wheel turn with MousePos in screen coordinates: OnMouseWheel, then
    // OnMouseWheelDown or OnMouseWheelUp; a turn that no handler takes goes to the
    // parent. Returns whether a handler took it.
    bool HandleMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
    // A context-menu request at MousePos: OnContextPopup, else PopupMenu, else the parent.
    void HandleContextPopup(TPoint mousePos);

    TCanResizeEvent OnCanResize;
    TNotifyEvent OnClick;
    TConstrainedResizeEvent OnConstrainedResize;
    TContextPopupEvent OnContextPopup;
    TNotifyEvent OnDblClick;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDock;
    TEndDragEvent OnEndDrag;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnResize;
    TStartDragEvent OnStartDock;
    TStartDragEvent OnStartDrag;

protected:
    // Requests the size that auto-size and the constraints give: SetBounds with the
    // current bounds, except while loading.
    virtual void AdjustSize();
    // The size auto-size gives the control, and whether it may be resized; by default
    // any size, unchanged.
    virtual bool CanAutoSize(int& newWidth, int& newHeight);
    // Notifications of changes, sent after the new value is stored.
    virtual void CMTextChanged() {}
    virtual void CMColorChanged() { Invalidate(); }
    virtual void CMFontChanged() { Invalidate(); }
    virtual void CMVisibleChanged() {}
    // The cursor, the drag cursor or the dragging state changed.
    virtual void CMCursorChanged() {}
    // The hint text or whether it is shown changed.
    virtual void CMHintChanged() {}
    // The bounds changed from Previous, before OnResize fires.
    virtual void BoundsChanged(const TRect& /*previous*/) {}
    void Notification(TComponent* component, TOperation operation) override;
    // Raises EInvalidOperation when Value is this control or lies inside it.
    void ValidateParent(const TWinControl* value) const;

    // The cursor to show: DragCursor while dragging, else Cursor.
    TCursor ShownCursor() const { return FDragging ? FDragCursor : FCursor; }
    // The hint to show: Hint when ShowHint is on, else none.
    std::string ShownHint() const { return FShowHint ? FHint : std::string(); }

private:
    friend class TWinControl;  // passes its colour, font and hint setting on to its children
    void ParentColorChanged();
    void ParentFontChanged();
    void ParentShowHintChanged();
    void RequestAlign();
    bool CheckNewSize(int& newWidth, int& newHeight);
    bool DoCanResize(int& newWidth, int& newHeight);
    bool DoCanAutoSize(int& newWidth, int& newHeight);

    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    std::string FText;
    TColor FColor = clWindow;
    bool FParentColor = true;
    TFont FFont;
    bool FParentFont = true;
    TControlStyle FControlStyle = csSetCaption;
    bool FAutoSize = false;
    TAlign FAlign = alNone;
    TAnchors FAnchors = akLeft | akTop;
    TSizeConstraints FConstraints;
    TCursor FCursor = crDefault;
    TCursor FDragCursor = crDrag;
    TDragKind FDragKind = dkDrag;
    TDragMode FDragMode = dmManual;
    std::string FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    bool FVisible = true;
    bool FClicking = false;
    bool FDragging = false;
    TPersistent* FDragObject = nullptr;
};

// A control with a window of its own (made by the window system when it is needed)
// that holds child controls. It destroys its child controls with itself, lays out the
// aligned ones and moves the anchored ones when its size changes.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner) : TControl(owner) {}
    ~TWinControl() override;
    std::string ClassName() const override { return "TWinControl"; }

    int GetControlCount() const { return static_cast<int>(FControls.size()); }
    // Raises EListError for an index outside 0..count-1.
    TControl* GetControl(int index) const;
    // The child controls owned by Root, then (for the root itself) what TComponent writes.
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    void Loaded() override;

    // A windowed child follows its parent: it gets a window when the parent has one, and
    // loses it when it leaves the parent.
    void SetParent(TWinControl* value) override;
    bool HandleAllocated() const { return FPeer != nullptr; }
    // Makes the window (the parent's first) with those of the child controls, unless it
    // exists.
    void HandleNeeded();
    // Destroys the windows of the child controls and then this control's own.
    void DestroyHandle();
    // The window, or null before it is made.
    IWindowPeer* GetPeer() const { return FPeer.get(); }
    // Called by the window when it needs painting: fills the client area with Color and
    // calls PaintWindow.
    void HandlePaint();
    // Lays out the aligned child controls again: top, bottom, left and right ones along
    // the sides in that order, then the client ones in what is left.
    void Realign();
    void Invalidate() override;

protected:
    // Makes the window through the window system and shows the control's state in it;
    // a descendant that overrides it calls it first.
    virtual void CreateWnd();
    // Draws the control after the background is filled; nothing by default.
    virtual void PaintWindow() {}
    void CMTextChanged() override;
    void CMColorChanged() override;
    void CMFontChanged() override;
    void CMVisibleChanged() override;
    void CMCursorChanged() override;
    void CMHintChanged() override;
    void BoundsChanged(const TRect& previous) override;

private:
    friend class TControl;  // keeps the list of child controls
    void CreateHandle();
    // Moves and stretches the unaligned child controls by their anchors.
    void ApplyAnchors(int widthChange, int heightChange);

    std::vector<TControl*> FControls;
    std::unique_ptr<IWindowPeer> FPeer;
    bool FAligning = false;
};

// A windowed control that draws itself: Paint runs on Canvas whenever the window needs it.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner) : TWinControl(owner) {}
    std::string ClassName() const override { return "TCustomControl"; }
    // The window's surface; null while the control has no window.
    TCanvas* GetCanvas() const { return GetPeer() ? &GetPeer()->GetCanvas() : nullptr; }

protected:
    virtual void Paint() {}
    void PaintWindow() override { Paint(); }
};

}  // namespace zan::platform
