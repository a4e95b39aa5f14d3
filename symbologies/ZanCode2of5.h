// The numeric 2 of 5 symbologies: Code 2 of 5 and Interleaved 2 of 5.
#pragma once

#include <array>
#include <string>

#include <zanbarcode/symbologies/ZanLinearSymbology.h>

namespace zan {

// What both 2 of 5 symbologies share: digits-only captions and the caption switch.
class TZanBasic2of5 : public TZanLinearSymbology {
public:
    TZanBasic2of5() = default;
    std::string ClassName() const override { return "TZanBasic2of5"; }
    const platform::TPropList& PublishedProperties() const override;

    std::string GetDefaultCaption() override { return "0123456789"; }
    // Accepts the digits 0 to 9 only; raises EInvalidText otherwise.
    void ValidateText(std::string& text) override;
    // The renderer's caption; empty without a renderer.
    std::string GetCaption() override;

    bool GetDisplayCaption() const { return FDisplayCaption; }
    void SetDisplayCaption(bool value);

private:
    bool FDisplayCaption = true;
};

// Code 2 of 5: every digit in five bars, two of them wide, all spaces narrow.
class TZanCode2of5 : public TZanBasic2of5 {
public:
    static std::string SymbologyName() { return "Code 2 of 5"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanCode2of5>(); }
    std::string ClassName() const override { return "TZanCode2of5"; }

    int GetCodeWidth() override;
    void Paint() override;
};

// Interleaved 2 of 5: digits in pairs, the first of a pair in the bars and the second
// in the spaces, with an optional modulo-10 check digit and bearer bars.
class TZanInterleaved2of5 : public TZanBasic2of5 {
public:
    // Indices of the options for GetOption/SetOption.
    static constexpr int BearerBarsOption = 0;   // bars along the top and bottom of the code
    static constexpr int UseChecksumOption = 1;  // append the modulo-10 check digit
    static constexpr int OptionCount = 2;

    static std::string SymbologyName() { return "Interleaved 2 of 5"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanInterleaved2of5>(); }
    std::string ClassName() const override { return "TZanInterleaved2of5"; }
    const platform::TPropList& PublishedProperties() const override;

    // The caption with the check digit when used, and a leading zero when the number of
    // digits is odd: an even number of digits, both encoded and shown.
    std::string GetCaption() override;
    int GetCodeWidth() override;
    void Paint() override;

    // The modulo-10 check digit, 0 to 9, of the renderer's caption.
    int GetChecksum();

    // An index outside 0..OptionCount-1 reads false and writes nothing.
    bool GetOption(int index) const;
    void SetOption(int index, bool value);
    bool GetBearerBars() const { return GetOption(BearerBarsOption); }
    void SetBearerBars(bool value) { SetOption(BearerBarsOption, value); }
    bool GetUseChecksum() const { return GetOption(UseChecksumOption); }
    void SetUseChecksum(bool value) { SetOption(UseChecksumOption, value); }

private:
    // Fills the bearer bars along the top and the bottom of the bars from Left to Right.
    void PaintBearerBars(int left, int right);

    std::array<bool, OptionCount> FOptions{true, false};
};

}  // namespace zan
