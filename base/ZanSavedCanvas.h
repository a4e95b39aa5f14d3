// Snapshot of a canvas's drawing state, so that a painter leaves someone else's canvas as it found it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <zanbarcode/platform/Graphics.h>

namespace zan {

// A saved drawing state. Restoring is always explicit; releasing the last reference
// destroys the snapshot without touching any canvas.
class ISavedCanvas {
public:
    virtual ~ISavedCanvas() = default;
    // Writes the saved state onto Canvas (the one it came from or another).
    virtual void Restore(platform::TCanvas& canvas) = 0;
};

// Pen position, text flags, text alignment, brush, copy mode, font and pen of a canvas.
// The builds for host frameworks whose canvas has no text-flags setting (generation 3)
// hold and restore no text flags.
class TCanvasProperties : public ISavedCanvas {
public:
    explicit TCanvasProperties(platform::TCanvas& canvas);
    void Restore(platform::TCanvas& canvas) override;

private:
    platform::TPoint FPenPos;
    std::uint32_t FTextAlign = 0;
    std::optional<std::int32_t> FTextFlags;
    platform::TBrush FBrush;
    platform::TCopyMode FCopyMode = 0;
    platform::TFont FFont;
    platform::TPen FPen;
};

std::shared_ptr<ISavedCanvas> SaveCanvas(platform::TCanvas& canvas);

// Runs Measure on Canvas and puts the canvas's saved state back afterwards, also when
// Measure fails, and returns what it measured: for queries on a canvas that is not theirs.
template <class TMeasure>
auto MeasureOnCanvas(platform::TCanvas& canvas, TMeasure&& measure) {
    const std::shared_ptr<ISavedCanvas> saved = SaveCanvas(canvas);
    try {
        auto result = measure();
        saved->Restore(canvas);
        return result;
    } catch (...) {
        saved->Restore(canvas);
        throw;
    }
}

}  // namespace zan
