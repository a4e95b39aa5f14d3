#include <zanbarcode/qt/ZanQtWindows.h>

#include <array>
#include <utility>

#include <QImage>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>

#include <zanbarcode/qt/ZanQtText.h>

namespace zan::qt {

using platform::TShiftState;

namespace {

// Qt's shapes for the framework's cursors crDefault (0) down to crSizeAll (-22).
constexpr std::array<Qt::CursorShape, 23> CursorShapes = {
    Qt::ArrowCursor,       // crDefault
    Qt::BlankCursor,       // crNone
    Qt::ArrowCursor,       // crArrow
    Qt::CrossCursor,       // crCross
    Qt::IBeamCursor,       // crIBeam
    Qt::SizeAllCursor,     // -5 has no name; the classic frameworks show the sizing cross
    Qt::SizeBDiagCursor,   // crSizeNESW
    Qt::SizeVerCursor,     // crSizeNS
    Qt::SizeFDiagCursor,   // crSizeNWSE
    Qt::SizeHorCursor,     // crSizeWE
    Qt::UpArrowCursor,     // crUpArrow
    Qt::WaitCursor,        // crHourGlass
    Qt::DragMoveCursor,    // crDrag
    Qt::ForbiddenCursor,   // crNoDrop
    Qt::SplitHCursor,      // crHSplit
    Qt::SplitVCursor,      // crVSplit
    Qt::DragCopyCursor,    // crMultiDrag
    Qt::WaitCursor,        // crSQLWait
    Qt::ForbiddenCursor,   // crNo
    Qt::BusyCursor,        // crAppStart
    Qt::WhatsThisCursor,   // crHelp
    Qt::PointingHandCursor,  // crHandPoint
    Qt::SizeAllCursor,     // crSizeAll
};

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= platform::ssShift;
    if (modifiers & Qt::AltModifier) shift |= platform::ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= platform::ssCtrl;
    if (buttons & Qt::LeftButton) shift |= platform::ssLeft;
    if (buttons & Qt::RightButton) shift |= platform::ssRight;
    if (buttons & Qt::MiddleButton) shift |= platform::ssMiddle;
    return static_cast<TShiftState>(shift);
}

// The framework knows three buttons; Qt's others are not passed on.
bool ButtonOf(Qt::MouseButton qtButton, platform::TMouseButton& button) {
    switch (qtButton) {
        case Qt::LeftButton: button = platform::mbLeft; return true;
        case Qt::RightButton: button = platform::mbRight; return true;
        case Qt::MiddleButton: button = platform::mbMiddle; return true;
        default: return false;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TQtWindow

TQtWindow::TQtWindow(QWidget& widget, platform::TWinControl& control, std::shared_ptr<platform::TFontEngine> engine)
    : FWidget(widget), FControl(control), FCanvas(widget, std::move(engine)) {}

void TQtWindow::SetBounds(const platform::TRect& bounds) {
    const QSize size(bounds.Width(), bounds.Height());
    // The layout that holds the widget learns the new size through its size hint.
    FWidget.updateGeometry();
    if (FWidget.size() != size) FWidget.resize(size);
}

void TQtWindow::SetCursor(platform::TCursor cursor) {
    const int index = -cursor;
    FWidget.setCursor(index >= 0 && index < static_cast<int>(CursorShapes.size())
                          ? CursorShapes[static_cast<std::size_t>(index)]
                          : Qt::ArrowCursor);
}

void TQtWindow::SetHint(const std::string& hint) { FWidget.setToolTip(ToQString(hint)); }

void TQtWindow::Invalidate() { FWidget.update(); }

void TQtWindow::Paint() {
    QImage surface(FWidget.size(), QImage::Format_RGB32);
    // The image carries the widget's resolution, which the canvas measures at.
    surface.setDotsPerMeterX(qRound(FWidget.logicalDpiX() / 0.0254));
    surface.setDotsPerMeterY(qRound(FWidget.logicalDpiY() / 0.0254));
    surface.fill(FWidget.palette().color(FWidget.backgroundRole()));
    {
        QPainter painter(&surface);
        FCanvas.Begin(painter);
        struct TEnd {
            TQtCanvas& Canvas;
            ~TEnd() { Canvas.End(); }
        } end{FCanvas};
        FControl.HandlePaint();
    }
    QPainter(&FWidget).drawImage(0, 0, surface);
}

void TQtWindow::Resized() {
    FControl.SetBounds(FControl.GetLeft(), FControl.GetTop(), FWidget.width(), FWidget.height());
}

void TQtWindow::MousePressed(const QMouseEvent& event) {
    platform::TMouseButton button;
    if (ButtonOf(event.button(), button))
        FControl.HandleMouseDown(button, ShiftOf(event.modifiers(), event.buttons()), event.position().toPoint().x(),
                                 event.position().toPoint().y());
}

void TQtWindow::MouseReleased(const QMouseEvent& event) {
    platform::TMouseButton button;
    if (ButtonOf(event.button(), button))
        FControl.HandleMouseUp(button, ShiftOf(event.modifiers(), event.buttons()), event.position().toPoint().x(),
                               event.position().toPoint().y());
}

void TQtWindow::MouseDoubleClicked(const QMouseEvent& event) {
    platform::TMouseButton button;
    if (ButtonOf(event.button(), button))
        FControl.HandleDoubleClick(button, ShiftOf(event.modifiers(), event.buttons()),
                                   event.position().toPoint().x(), event.position().toPoint().y());
}

void TQtWindow::MouseMoved(const QMouseEvent& event) {
    FControl.HandleMouseMove(ShiftOf(event.modifiers(), event.buttons()), event.position().toPoint().x(),
                             event.position().toPoint().y());
}

bool TQtWindow::WheelTurned(const QWheelEvent& event) {
    const QPoint global = event.globalPosition().toPoint();
    return FControl.HandleMouseWheel(ShiftOf(event.modifiers(), event.buttons()), event.angleDelta().y(),
                                     {global.x(), global.y()});
}

void TQtWindow::ContextMenuRequested(int x, int y) { FControl.HandleContextPopup({x, y}); }

void TQtWindow::ScreenChanged() {
    FCanvas.UpdateResolution(FWidget);
    FControl.Invalidate();
}

// ---------------------------------------------------------------------------------------
// TQtWindowSystem

TQtWindowSystem& TQtWindowSystem::Install() {
    if (auto* current = dynamic_cast<TQtWindowSystem*>(&platform::WindowSystem())) return *current;
    // The system is shared between the platform and this call: make it first, then hand it over.
    std::shared_ptr<TQtWindowSystem> system(new TQtWindowSystem(nullptr));
    system->FPrevious = platform::SetWindowSystem(system);
    return *system;
}

void TQtWindowSystem::Host(platform::TWinControl& control, QWidget& widget) { FHosts[&control] = &widget; }

void TQtWindowSystem::Unhost(platform::TWinControl& control) { FHosts.erase(&control); }

std::unique_ptr<platform::IWindowPeer> TQtWindowSystem::CreatePeer(platform::TWinControl& control,
                                                                   platform::IWindowPeer* parent) {
    const auto host = FHosts.find(&control);
    if (host == FHosts.end()) return FPrevious->CreatePeer(control, parent);
    return std::make_unique<TQtWindow>(*host->second, control, FEngine);
}

platform::TMessageBoxResult TQtWindowSystem::ShowMessageBox(const std::string& caption, const std::string& text,
                                                            platform::TMessageBoxButtons buttons) {
    using B = QMessageBox::StandardButton;
    const auto standard = [buttons]() -> QMessageBox::StandardButtons {
        switch (buttons) {
            case platform::mbOKCancel: return B::Ok | B::Cancel;
            case platform::mbAbortRetryIgnore: return B::Abort | B::Retry | B::Ignore;
            case platform::mbYesNoCancel: return B::Yes | B::No | B::Cancel;
            case platform::mbYesNo: return B::Yes | B::No;
            case platform::mbRetryCancel: return B::Retry | B::Cancel;
            default: return B::Ok;
        }
    }();
    QMessageBox box(QMessageBox::NoIcon, ToQString(caption), ToQString(text), standard);
    switch (box.exec()) {
        case B::Cancel: return platform::mrCancel;
        case B::Abort: return platform::mrAbort;
        case B::Retry: return platform::mrRetry;
        case B::Ignore: return platform::mrIgnore;
        case B::Yes: return platform::mrYes;
        case B::No: return platform::mrNo;
        default: return platform::mrOk;
    }
}

void TQtWindowSystem::Popup(platform::TPopupMenu& menu, platform::TPoint position) { FPrevious->Popup(menu, position); }

}  // namespace zan::qt
