// The EAN/UPC family: EAN 8, EAN 13, UPC A and UPC E, with optional 2- or 5-digit add-ons.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include <zanbarcode/symbologies/ZanLinearSymbology.h>

namespace zan {

enum TZanEanVersion : std::uint8_t { evUpcA, evUpcE, evEan8, evEan13 };

// Where a human-readable digit is printed: under the bars, or beside the symbol.
enum TZanEanDigitLocation : std::uint8_t { dlInside, dlOutside };

// A text that cannot be converted between UPC A and UPC E.
class EUpcVersionError : public EZanBarcodeError {
public:
    using EZanBarcodeError::EZanBarcodeError;
};

// Compresses an 11-digit UPC A text (number system and ten digits, no check digit) into
// its 7-digit UPC E form by zero suppression; raises EUpcVersionError when it has none.
std::string UpcAToE(const std::string& s);
// Expands a 7-digit UPC E text into its 11-digit UPC A form; raises EUpcVersionError.
std::string UpcEToA(const std::string& s);

// One class draws all four versions; the registered classes only choose the version and
// where the flag and check digits are printed. The caption never includes the check digit.
class TZanEan : public TZanLinearSymbology {
public:
    std::string ClassName() const override { return "TZanEan"; }
    static std::string SymbologyName() { return "UPC/EAN"; }
    // Abstract: only the four versions below are ever created.
    TZanBarcodeSymbologyClass ClassType() const override = 0;
    const platform::TPropList& PublishedProperties() const override;

    // Reported width: the version's module allowance (and the add-on's) plus the widths of
    // the digits printed beside the symbol.
    int GetCodeWidth() override;
    std::string GetDefaultCaption() override;
    // Raises EInvalidText when the caption does not fit the version (a caption set while
    // validation was deferred, or one kept across SetVersion).
    void Paint() override;
    // Checks length and digits; UPC E accepts a compressible UPC A text and UPC A a UPC E
    // text, each rewritten into the symbology's own form. UPC E encodes the number systems
    // 0 and 1 only.
    void ValidateText(std::string& text) override;
    // The renderer's caption followed by its check digit.
    std::string GetCaption() override;

    // The standard modulo-10 check digit of the renderer's caption (of its UPC A expansion
    // for UPC E).
    int GetCheckDigit();

    TZanEanVersion GetVersion() const { return FVersion; }
    // Does not convert or validate the caption again.
    void SetVersion(TZanEanVersion value);
    const std::string& GetSupplemental() const { return FSupplemental; }
    // Empty, or 2 or 5 digits; raises EInvalidText otherwise.
    void SetSupplemental(const std::string& value);
    // Index 0 is the flag digit (the first caption digit), any other index the check digit.
    TZanEanDigitLocation GetDigitLocation(int index) const { return FDigitLocations[LocationSlot(index)]; }
    // The parity letters (A or B) of the current add-on; empty without one.
    std::string GetSupplementalParityPattern() const;

protected:
    TZanEan(TZanEanVersion version, TZanEanDigitLocation flagLocation, TZanEanDigitLocation checkLocation);

    // Only EAN 8 and EAN 13 let the locations change: the layouts of UPC A and UPC E are fixed.
    void SetDigitLocation(int index, TZanEanDigitLocation value);
    TZanEanDigitLocation GetFlagDigitLocation() const { return GetDigitLocation(0); }
    void SetFlagDigitLocation(TZanEanDigitLocation value) { SetDigitLocation(0, value); }
    TZanEanDigitLocation GetCheckDigitLocation() const { return GetDigitLocation(1); }
    void SetCheckDigitLocation(TZanEanDigitLocation value) { SetDigitLocation(1, value); }

    // Draws Widths at the cursor, alternating between bar and space from the kind that
    // StartsWithBar says.
    virtual void PaintBars(TModuleWidths widths, bool startsWithBar);
    // Draws Digits in number set A or B as Parity's letters say (A where Parity is short),
    // with Separator, from a space, drawn between two digits.
    virtual void PaintWithParity(std::string_view digits, std::string_view parity, TModuleWidths separator);

private:
    static std::size_t LocationSlot(int index) { return index == 0 ? 0 : 1; }
    // Draws a pattern that says whether it starts with a bar.
    template <std::size_t N>
    void PaintRun(const TElementRun<N>& run) {
        PaintBars(run.Widths, run.StartsWithBar);
    }
    // Moves the cursor on by Modules modules without drawing.
    void Skip(int modules) { Advance(ModulesToPixels(modules)); }
    // The message that refuses Text's characters for this version, empty when they fit.
    std::string CharacterFault(const std::string& text) const;
    // The same for length and characters of a caption as painted.
    std::string CaptionFault(const std::string& caption) const;
    // The parts of Paint: the two-halves versions (UPC A, EAN 13, EAN 8), UPC E, the add-on.
    void PaintHalves(const std::string& digits, TRect& text);
    void PaintUpcE(const std::string& digits, TRect& text);
    void PaintSupplemental(platform::TCanvas& canvas);
    // Prints the check digit centred in the add-on gap Gap, in a smaller font if need be.
    void PaintCheckDigitInGap(platform::TCanvas& canvas, const TRect& gap, const std::string& checkDigit);

    std::array<TZanEanDigitLocation, 2> FDigitLocations{dlInside, dlInside};
    std::string FSupplemental;
    TZanEanVersion FVersion = evUpcA;
};

// EAN 8 and EAN 13, the versions whose flag and check digits may be printed inside or
// beside the symbol: they publish the two locations.
class TZanEanWithDigitLocations : public TZanEan {
public:
    const platform::TPropList& PublishedProperties() const override;
    using TZanEan::GetCheckDigitLocation;
    using TZanEan::GetFlagDigitLocation;
    using TZanEan::SetCheckDigitLocation;
    using TZanEan::SetDigitLocation;
    using TZanEan::SetFlagDigitLocation;

protected:
    explicit TZanEanWithDigitLocations(TZanEanVersion version) : TZanEan(version, dlInside, dlInside) {}
};

class TZanEan8 : public TZanEanWithDigitLocations {
public:
    TZanEan8() : TZanEanWithDigitLocations(evEan8) {}
    std::string ClassName() const override { return "TZanEan8"; }
    static std::string SymbologyName() { return "EAN 8"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanEan8>(); }
};

class TZanEan13 : public TZanEanWithDigitLocations {
public:
    TZanEan13() : TZanEanWithDigitLocations(evEan13) {}
    std::string ClassName() const override { return "TZanEan13"; }
    static std::string SymbologyName() { return "EAN 13"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanEan13>(); }
};

class TZanUpcA : public TZanEan {
public:
    TZanUpcA();
    std::string ClassName() const override { return "TZanUpcA"; }
    static std::string SymbologyName() { return "UPC A"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanUpcA>(); }
};

class TZanUpcE : public TZanEan {
public:
    TZanUpcE();
    std::string ClassName() const override { return "TZanUpcE"; }
    static std::string SymbologyName() { return "UPC E"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TZanUpcE>(); }
};

}  // namespace zan
