// POSTNET: the USPS postal code of full and half bars with a check digit and frame bars.
#pragma once

#include <string>

#include <zanbarcode/base/ZanBarcodeBase.h>

namespace zan {

// Not a bar-and-space code: bars of one width at a fixed pitch, told apart by their
// height. It keeps its own module width and draws no caption.
class TZanPostnet : public TZanBarcodeSymbology {
public:
    TZanPostnet() = default;
    static std::string SymbologyName() { return "POSTNET"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanPostnet>(); }
    std::string ClassName() const override { return "TZanPostnet"; }
    const platform::TPropList& PublishedProperties() const override;

    // Full bar height, 0.115 inch in pixels of the canvas; 0 without renderer or canvas.
    int GetCodeHeight() override;
    // Frame bars and five bars for each digit of the code text, at a pitch of 3 bar widths.
    int GetCodeWidth() override;
    std::string GetDefaultCaption() override { return "012345678"; }
    void Paint() override;
    // Nothing to measure again: the bar width follows the canvas's current resolution
    // whenever it is used.
    void ResetMetrics() override {}
    // Accepts any number of digits, none included; raises EInvalidText otherwise.
    void ValidateText(std::string& text) override;

    // Bar width in pixels for the renderer's canvas as it is now: dcLogPixelsX /
    // (1000 / XDimension), rounded half to even; 1 without renderer or canvas.
    int GetBarWidth() const;
    // The check digit, 0 to 9, that brings the digit sum of the caption to a multiple of 10.
    int GetCheckDigit() const;
    // The renderer's caption followed by the check digit.
    std::string GetCodeText() const;

    double GetXDimension() const { return FXDimension; }
    // Refuses zero, negative, non-finite values and values above 1000 with
    // EZanBarcodeError: they have no sensible bar width.
    void SetXDimension(double value);

private:
    double FXDimension = 15;
};

}  // namespace zan
