// Base of the bar-and-space symbologies: module width in pixels, bar cursor, caption band.
#pragma once

#include <cstdint>
#include <string>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/symbologies/ZanModuleWidths.h>

namespace zan {

// Lays out bars and spaces left to right in the code frame, one module being
// XDimension thousandths of an inch turned into whole pixels of the current canvas.
class TZanLinearSymbology : public TZanBarcodeSymbology {
public:
    TZanLinearSymbology();
    std::string ClassName() const override { return "TZanLinearSymbology"; }
    const platform::TPropList& PublishedProperties() const override;

    // Always 0: the bars are as long as the renderer's rectangle allows.
    int GetCodeHeight() override { return 0; }
    // Nothing to measure again: the module width follows the canvas's current resolution
    // whenever it is used, also when that changes under a canvas the renderer holds.
    void ResetMetrics() override {}

    // The human-readable text drawn under the bars.
    virtual std::string GetCaption() = 0;
    // Draws the caption at the bottom of R and moves R's Bottom up above it. Does nothing
    // without a renderer; raises EInvalidCanvas on one without canvas.
    virtual void PaintCaption(TRect& r);
    // Places the cursor by the renderer's Alignment (left without a renderer).
    virtual void ResetPosition();

    // Module width in pixels for the renderer's canvas as it is now: dcLogPixelsX /
    // (1000 / XDimension), rounded half to even; 1 without renderer or canvas.
    int GetBarWidth() const;
    // Modules modules in pixels of the current canvas, saturated to the 32-bit range: a
    // code longer than an int can count reports the largest int, which copies refuse.
    int ModulesToPixels(std::int64_t modules) const;
    double GetXDimension() const { return FXDimension; }
    // Refuses zero, negative and non-finite values with EZanBarcodeError: they have no
    // bar width.
    void SetXDimension(double value);
    void SetCodeRect(const TRect& r) { FCodeRect = r; }

protected:
    // Takes the renderer's code rectangle, draws the caption at its bottom when
    // DisplayCaption, makes the rest the code rectangle and places the cursor. Raises
    // EInvalidCanvas without a renderer or canvas, before anything is drawn.
    void BeginCode(bool displayCaption);
    // Moves the cursor on by Pixels, saturating at the ends of the 32-bit range.
    void Advance(std::int64_t pixels) { FPosition = platform::Saturate32(FPosition + pixels); }
    // Paints one bar (or space) of Modules modules at the cursor and advances it.
    void DrawBar(bool isBar, int modules);
    // Paints Widths at the cursor as bars and spaces that alternate, the first a bar (a
    // space when StartsWithBar is false), each with DrawBar: every symbol character,
    // guard and start or stop pattern of the linear symbologies is drawn here.
    void DrawElements(TModuleWidths widths, bool startsWithBar = true);
    // Draws Text inside R anchored at its bottom edge with the font turned to the
    // orientation; returns the text's width in pixels (0 without renderer).
    int PlaceText(const TRect& r, const std::string& text, TAlignment alignment);

    TRect FCodeRect;
    int FPosition = 0;

private:
    double FXDimension = 0;
};

}  // namespace zan
