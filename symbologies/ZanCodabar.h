// Codabar: sixteen data characters framed by a start and a stop character A to D.
#pragma once

#include <array>
#include <string>

#include <zanbarcode/symbologies/ZanLinearSymbology.h>

namespace zan {

// The caption holds the data characters only; the start and stop characters are
// settings of the symbology, wrapped around the caption for encoding and display.
class TZanCodabar : public TZanLinearSymbology {
public:
    // Indices for GetStartStopChar/SetStartStopChar.
    static constexpr int StartCharIndex = 0;
    static constexpr int StopCharIndex = 1;

    TZanCodabar() = default;
    static std::string SymbologyName() { return "Codabar"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanCodabar>(); }
    std::string ClassName() const override { return "TZanCodabar"; }
    const platform::TPropList& PublishedProperties() const override;

    std::string GetDefaultCaption() override { return "0123456789"; }
    // Accepts "$", "+", "-", ".", "/", the digits and ":"; raises EInvalidText otherwise.
    void ValidateText(std::string& text) override;
    // Start character, the renderer's caption and stop character: encoded and shown.
    std::string GetCaption() override;
    int GetCodeWidth() override;
    void Paint() override;

    bool GetDisplayCaption() const { return FDisplayCaption; }
    void SetDisplayCaption(bool value);
    // Indices other than StartCharIndex and StopCharIndex read '\0' and write nothing.
    char GetStartStopChar(int index) const;
    // Stores Value upper-cased when it is one of A, B, C, D; other values are ignored.
    void SetStartStopChar(int index, char value);
    char GetStartChar() const { return GetStartStopChar(StartCharIndex); }
    void SetStartChar(char value) { SetStartStopChar(StartCharIndex, value); }
    char GetStopChar() const { return GetStartStopChar(StopCharIndex); }
    void SetStopChar(char value) { SetStartStopChar(StopCharIndex, value); }

private:
    bool FDisplayCaption = true;
    std::array<char, 2> FStartStopChars{'A', 'B'};
};

}  // namespace zan
