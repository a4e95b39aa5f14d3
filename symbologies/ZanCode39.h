// Code 39: 43 data characters between `*` start/stop characters, with full-ASCII spelling
// and an optional check digit string.
#pragma once

#include <bitset>
#include <string>

#include <zanbarcode/symbologies/ZanLinearSymbology.h>

namespace zan {

// Each character is nine elements (five bars, four spaces), three of them wide, with a
// narrow space between characters.
class TZanCode39 : public TZanLinearSymbology {
public:
    // Indices of the options for GetOption/SetOption.
    static constexpr int DisplayCaptionOption = 0;         // draw the caption under the bars
    static constexpr int DisplayStartStopCharsOption = 1;  // show `*` at both ends of the caption
    static constexpr int FullAsciiOption = 2;              // spell other characters in full ASCII
    static constexpr int UseCheckDigitOption = 3;          // append the check digit string
    static constexpr int OptionCount = 4;

    // Captions longer than this are shortened to it.
    static constexpr std::size_t MaxCaptionLength = 32;

    TZanCode39();
    static std::string SymbologyName() { return "Code 39"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanCode39>(); }
    std::string ClassName() const override { return "TZanCode39"; }
    const platform::TPropList& PublishedProperties() const override;

    // An index outside 0..OptionCount-1 reads false and writes nothing.
    bool GetOption(int index) const;
    void SetOption(int index, bool value);
    bool GetDisplayCaption() const { return GetOption(DisplayCaptionOption); }
    void SetDisplayCaption(bool value) { SetOption(DisplayCaptionOption, value); }
    bool GetDisplayStartStopChars() const { return GetOption(DisplayStartStopCharsOption); }
    void SetDisplayStartStopChars(bool value) { SetOption(DisplayStartStopCharsOption, value); }
    bool GetFullAscii() const { return GetOption(FullAsciiOption); }
    void SetFullAscii(bool value) { SetOption(FullAsciiOption, value); }
    bool GetUseCheckDigit() const { return GetOption(UseCheckDigitOption); }
    void SetUseCheckDigit(bool value) { SetOption(UseCheckDigitOption, value); }

    std::string GetDefaultCaption() override { return "ABCDE12345"; }
    // Shortens the text to 32 characters; without FullAscii raises EInvalidText
    // "Invalid character: %s" for anything but space, digits and letters.
    void ValidateText(std::string& text) override;

    // The renderer's caption as the characters drawn in the bars, without start/stop
    // characters and check digit string.
    std::string GetBarcodeString() const;
    // The sum of the barcode string's character positions in this library's character
    // table, modulo 43, written in decimal ("7", "36", or "-1" for a negative sum). This
    // is not the standard's modulo 43 check character; stored captions depend on it.
    std::string GetCheckDigit() const;
    // The caption as stored, with the check digit string and the `*` characters as chosen.
    std::string GetCaption() override;
    int GetCodeWidth() override;
    void Paint() override;

private:
    // The characters drawn between the start and stop characters.
    std::string GetEncodedData() const;
    void DrawCharacter(unsigned char character, bool isLast);

    std::bitset<OptionCount> FOptions;
};

}  // namespace zan
