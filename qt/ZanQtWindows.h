// The control framework on Qt: a QWidget as the window of a control, and message boxes
// as QMessageBox.
#pragma once

#include <map>
#include <memory>
#include <string>

#include <zanbarcode/platform/Controls.h>
#include <zanbarcode/platform/WindowSystem.h>
#include <zanbarcode/qt/ZanQtCanvas.h>

class QMouseEvent;
class QWheelEvent;
class QWidget;

namespace zan::qt {

// The window of a control that a QWidget hosts. Qt owns the widget's place, visibility
// and title; the control decides its size (the widget is resized to it), cursor and
// tooltip, and asks for repaints. The widget passes its paint, resize and mouse events on.
class TQtWindow : public platform::IWindowPeer {
public:
    TQtWindow(QWidget& widget, platform::TWinControl& control, std::shared_ptr<platform::TFontEngine> engine);

    platform::TCanvas& GetCanvas() override { return FCanvas; }
    void SetBounds(const platform::TRect& bounds) override;
    void SetVisible(bool /*visible*/) override {}
    void SetText(const std::string& /*text*/) override {}
    void SetCursor(platform::TCursor cursor) override;
    void SetHint(const std::string& hint) override;
    void Invalidate() override;

    QWidget& GetWidget() const { return FWidget; }

    // From the widget's events. Paint draws the control into an image of the widget's
    // size, which then goes onto the widget in one piece.
    void Paint();
    void Resized();
    void MousePressed(const QMouseEvent& event);
    void MouseReleased(const QMouseEvent& event);
    void MouseDoubleClicked(const QMouseEvent& event);
    void MouseMoved(const QMouseEvent& event);
    // Returns whether a handler took the turn.
    bool WheelTurned(const QWheelEvent& event);
    void ContextMenuRequested(int x, int y);
    void ScreenChanged();

private:
    QWidget& FWidget;
    platform::TWinControl& FControl;
    TQtCanvas FCanvas;
};

// The window system of a Qt application: controls that a widget hosts get that widget
// as their window; any other control keeps getting its windows from the system this one
// replaced, which also shows popup menus (a TPopupMenu has no items for Qt to show).
class TQtWindowSystem : public platform::IWindowSystem {
public:
    // The process's window system, made a Qt one on the first call.
    static TQtWindowSystem& Install();

    // The next window made for Control is Widget; Unhost forgets it.
    void Host(platform::TWinControl& control, QWidget& widget);
    void Unhost(platform::TWinControl& control);
    // The engine that windows made from now on measure and draw text with (null: FreeType).
    void SetFontEngine(std::shared_ptr<platform::TFontEngine> engine) { FEngine = std::move(engine); }

    std::unique_ptr<platform::IWindowPeer> CreatePeer(platform::TWinControl& control,
                                                      platform::IWindowPeer* parent) override;
    // A modal QMessageBox without owner window; needs a QApplication.
    platform::TMessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text,
                                               platform::TMessageBoxButtons buttons) override;
    void Popup(platform::TPopupMenu& menu, platform::TPoint position) override;

private:
    explicit TQtWindowSystem(std::shared_ptr<platform::IWindowSystem> previous) : FPrevious(std::move(previous)) {}

    std::shared_ptr<platform::IWindowSystem> FPrevious;
    std::map<const platform::TWinControl*, QWidget*> FHosts;
    std::shared_ptr<platform::TFontEngine> FEngine;
};

}  // namespace zan::qt
