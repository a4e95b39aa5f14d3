// What shows windowed controls: the window peer of each control, message boxes and
// popup menus, and the process's window system that makes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <zanbarcode/platform/Graphics.h>
#include <zanbarcode/platform/Types.h>

namespace zan::platform {

class TPopupMenu;
class TWinControl;

// Mouse cursor shapes; the values are those that form files of the classic designers store.
using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// The window of one windowed control, as a native window, a toolkit widget or an
// off-screen surface shows it. The control tells its window what changed; the window
// calls back the control's HandlePaint and input handlers (see TWinControl, TControl).
class IWindowPeer {
public:
    virtual ~IWindowPeer() = default;
    // The surface that painting draws on, valid for the window's life.
    virtual TCanvas& GetCanvas() = 0;
    // Position in the parent window's client area (the screen for a top-level window) and size.
    virtual void SetBounds(const TRect& bounds) = 0;
    virtual void SetVisible(bool visible) = 0;
    // The window's title text.
    virtual void SetText(const std::string& text) = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    // The tooltip shown while the mouse rests on the window; empty for none.
    virtual void SetHint(const std::string& hint) = 0;
    // Marks the whole window for painting; several requests before a paint give one paint.
    virtual void Invalidate() = 0;
};

enum TMessageBoxButtons : std::uint8_t { mbOK, mbOKCancel, mbAbortRetryIgnore, mbYesNoCancel, mbYesNo, mbRetryCancel };

// The button that closed a message box; the values are the Windows dialog box command IDs.
enum TMessageBoxResult : std::uint8_t {
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7
};

// Makes the windows of controls and shows what has no window of its own.
class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    // A window for Control inside Parent's window (null: a top-level window).
    virtual std::unique_ptr<IWindowPeer> CreatePeer(TWinControl& control, IWindowPeer* parent) = 0;
    // A modal message box without an owner window; returns the button chosen.
    virtual TMessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text,
                                             TMessageBoxButtons buttons) = 0;
    // Shows Menu at Position in screen coordinates.
    virtual void Popup(TPopupMenu& menu, TPoint position) = 0;
};

// The process's window system: a headless one (off-screen windows, recorded message
// boxes) until an application installs another. Windows already made stay with the
// system that made them.
IWindowSystem& WindowSystem();
// Installs System (null: a new headless one) and returns the previous one.
std::shared_ptr<IWindowSystem> SetWindowSystem(std::shared_ptr<IWindowSystem> system);

// Shows a message box through the process's window system.
TMessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text, TMessageBoxButtons buttons);

}  // namespace zan::platform
