// A drawing surface on a QPainter: the library's canvas for Qt widgets, images, printers
// and any other paint device.
#pragma once

#include <memory>
#include <string>

#include <zanbarcode/platform/Graphics.h>

class QPaintDevice;
class QPainter;

namespace zan::qt {

// Draws through a QPainter. Rectangles are filled pixel for pixel, never anti-aliased;
// text comes from the library's own font engine, so a barcode measures and looks the
// same as in a bitmap. On a QImage drawn without a transformation, text is blended
// exactly as a bitmap blends it; on other devices Qt blends the glyphs' coverage.
// The resolution is the paint device's logical one.
class TQtCanvas : public platform::TCanvas {
public:
    // Draws with Painter, which is active for the canvas's life.
    explicit TQtCanvas(QPainter& painter, std::shared_ptr<platform::TFontEngine> engine = nullptr);
    // Measures at Device's resolution and draws only between Begin and End: the canvas of
    // a window, which a painter reaches only while the window is painted.
    explicit TQtCanvas(const QPaintDevice& device, std::shared_ptr<platform::TFontEngine> engine = nullptr);
    ~TQtCanvas() override;

    // Draws with Painter until End; its render hints are put back at End.
    void Begin(QPainter& painter);
    void End();
    // Takes up Device's resolution, after a window moved to another screen.
    void UpdateResolution(const QPaintDevice& device);

protected:
    void DoFillRect(const platform::TRect& rect, platform::TColor color) override;
    void DoTextRect(const platform::TRect& rect, platform::TPoint reference, const std::string& text,
                    bool opaque) override;

private:
    QPainter* FPainter = nullptr;
    int FSavedHints = 0;
};

}  // namespace zan::qt
