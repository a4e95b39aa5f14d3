// The EAN/UPC family: EAN 8, EAN 13, UPC A and UPC E, with optional 2- or 5-digit add-ons.
#include <zanbarcode/symbologies/ZanEAN.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include <zanbarcode/base/ZanSavedCanvas.h>

namespace zan {

namespace {

// Tables of ISO/IEC 15420 (the EAN/UPC bar code symbology standard).

// The seven modules of each digit in number set A, 1 dark and 0 light. Number set C is
// its complement, number set B that complement read from the right.
constexpr std::array<std::string_view, 10> NumberSetA{"0001101", "0011001", "0010011", "0111101", "0100011",
                                                      "0110001", "0101111", "0111011", "0110111", "0001011"};
static_assert(std::all_of(NumberSetA.begin(), NumberSetA.end(), [](std::string_view row) { return row.size() == 7; }),
              "every digit is seven modules wide");

// The three number sets of the standard: A (odd parity) and B (even parity) on the left,
// C on the right.
enum TNumberSet : std::uint8_t { nsA, nsB, nsC };

// The digits of each number set as the bars and spaces they are drawn with: two bars and
// two spaces, from a space in number sets A and B, from a bar in number set C.
constexpr auto NumberSets = [] {
    std::array<std::array<TElementRun<4>, 10>, 3> sets{};
    for (std::size_t digit = 0; digit < NumberSetA.size(); ++digit) {
        sets[nsA][digit] = RunFromModules<4>(NumberSetA[digit]);
        sets[nsC][digit] = Complemented(sets[nsA][digit]);
        sets[nsB][digit] = Reversed(sets[nsC][digit]);
    }
    return sets;
}();
static_assert(NumberSets[nsB][0] == RunFromModules<4>("0100111") && NumberSets[nsC][0] == RunFromModules<4>("1110010"));
static_assert(NumberSets[nsB][9] == RunFromModules<4>("0010111") && NumberSets[nsC][6] == RunFromModules<4>("1010000"));

// Parities (A: number set A, B: number set B) of the six left-hand digits of an EAN-13,
// by the leading digit that they encode; UPC A uses the row of 0.
constexpr std::array<std::string_view, 10> LeadingDigitParity{"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                                              "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};

// EAN-8 draws its whole left half in number set A.
constexpr std::string_view Ean8Parity = "AAAA";

// Parities of the six UPC-E digits of number system 0, by the check digit that they encode.
// Letters 2 to 6 of each row are also the parities of the 5-digit add-on, by its own
// check value.
constexpr std::array<std::string_view, 10> UpcEParity{"BBBAAA", "BBABAA", "BBAABA", "BBAAAB", "BABBAA",
                                                      "BAABBA", "BAAABB", "BABABA", "BABAAB", "BAABAB"};

// Parities of the 2-digit add-on, by its value modulo 4.
constexpr std::array<std::string_view, 4> TwoDigitAddOnParity{"AA", "AB", "BA", "BB"};

// Guard patterns, 1 dark and 0 light module.
constexpr auto NormalGuard = RunFromModules<3>("101");          // start of every version, end of all but UPC E
constexpr auto CentreGuard = RunFromModules<5>("01010");        // UPC A, EAN 13 and EAN 8
constexpr auto UpcESpecialGuard = RunFromModules<6>("010101");  // end of UPC E
constexpr auto AddOnStart = RunFromModules<3>("1011");
constexpr auto AddOnSeparator = RunFromModules<2>("01");  // between add-on digits
static_assert(!CentreGuard.StartsWithBar && AddOnStart.Widths == TElementWidths<3>{1, 1, 2});

constexpr bool AllRows(const auto& table, std::size_t length) {
    return std::all_of(table.begin(), table.end(), [&](std::string_view row) {
        return row.size() == length && std::all_of(row.begin(), row.end(), [](char c) { return c == 'A' || c == 'B'; });
    });
}
static_assert(AllRows(LeadingDigitParity, 6));
static_assert(AllRows(UpcEParity, 6));
static_assert(AllRows(TwoDigitAddOnParity, 2));

// Caption length (without check digit) and the width each version reports, in modules:
// 14 for guards and spacing, 7 for each digit plus one, 5 more for UPC A and EAN 13.
// It is a little more than the painted symbol (101, 57, 73 and 101 modules).
struct TVersionInfo {
    std::size_t CaptionLength;
    int ReportedModules;
};
constexpr int ReportedModules(int digits, bool twelveDigits) { return 14 + 7 * (digits + 1) + (twelveDigits ? 5 : 0); }
constexpr std::array<TVersionInfo, 4> Versions{{
    {.CaptionLength = 11, .ReportedModules = ReportedModules(11, true)},  // evUpcA
    {.CaptionLength = 7, .ReportedModules = ReportedModules(6, false)},   // evUpcE
    {.CaptionLength = 7, .ReportedModules = ReportedModules(8, false)},   // evEan8
    {.CaptionLength = 12, .ReportedModules = ReportedModules(12, true)},  // evEan13
}};
static_assert(Versions[evUpcA].ReportedModules == 103 && Versions[evUpcE].ReportedModules == 63 &&
              Versions[evEan8].ReportedModules == 77 && Versions[evEan13].ReportedModules == 110);

// The gap between the main symbol and an add-on, in modules. The GS1 General
// Specifications allow 7 to 12 for EAN-13 and EAN-8 and 9 to 12 for UPC-A and UPC-E; 9
// suits all four, and readers look for the add-on close to the symbol.
constexpr int AddOnGapModules = 9;
// The clear modules on either side of a check digit printed in that gap.
constexpr int CheckDigitClearModules = 1;

// The width an add-on adds to the reported width, in modules.
int AddOnModules(std::size_t digits) { return digits == 0 ? 0 : 9 * static_cast<int>(digits) + 14; }

bool IsAllDigits(const std::string& s) { return std::all_of(s.begin(), s.end(), IsDigit); }

std::string InvalidCharacter(char c) { return platform::Format("Invalid character: %s", {std::string(1, c)}); }

// The value of a digit character, and so its row in the tables above.
std::size_t DigitIndex(char c) {
    if (!IsDigit(c)) throw EInvalidText(InvalidCharacter(c));
    return static_cast<std::size_t>(c - '0');
}

// The bars and spaces of a digit character in a number set.
const TElementRun<4>& DigitRun(char digit, TNumberSet set) { return NumberSets[set][DigitIndex(digit)]; }

// The parities of a UPC-E symbol: number system 1 takes the complement of the row of
// number system 0.
std::string UpcEParityPattern(char numberSystem, char checkDigit) {
    std::string parity(UpcEParity[DigitIndex(checkDigit)]);
    if (numberSystem == '1')
        for (char& letter : parity) letter = letter == 'A' ? 'B' : 'A';
    return parity;
}

// The modulo-10 check digit of EAN/UPC: weights 3 and 1 alternate from the rightmost digit.
int ModuloTenCheckDigit(const std::string& digits) {
    std::size_t sum = 0;
    std::size_t weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum = (sum + weight * DigitIndex(*it)) % 10;
        weight = 4 - weight;
    }
    return static_cast<int>((10 - sum) % 10);
}

constexpr const char* InvalidLength = "Invalid Caption Length";
void RaiseInvalidLength() { throw EInvalidText(InvalidLength); }

}  // namespace

// ---------------------------------------------------------------------------
// UPC A and UPC E conversion (zero suppression of the standard)

std::string UpcAToE(const std::string& s) {
    if (s.size() != 11 || !IsAllDigits(s)) throw EUpcVersionError("%s is not a valid UPC A encodation.", {s});
    // s[0] number system, s[1..5] manufacturer digits m1 to m5, s[6..10] product digits.
    const std::string manufacturer = s.substr(1, 5);
    const int product = std::stoi(s.substr(6, 5));
    const char m3 = manufacturer[2];
    std::string six;
    int maxProduct = 0;
    int minProduct = 0;
    if (manufacturer.ends_with("00") && m3 <= '2') {
        six = manufacturer.substr(0, 2) + s.substr(8, 3) + m3;
        maxProduct = 999;
    } else if (manufacturer.ends_with("00")) {
        six = manufacturer.substr(0, 3) + s.substr(9, 2) + '3';
        maxProduct = 99;
    } else if (manufacturer.ends_with('0')) {
        six = manufacturer.substr(0, 4) + s.substr(10, 1) + '4';
        maxProduct = 9;
    } else {
        six = manufacturer + s.substr(10, 1);
        minProduct = 5;
        maxProduct = 9;
    }
    if (product < minProduct || product > maxProduct)
        throw EUpcVersionError("%s is not a valid UPC E encodation.", {s});
    return s.substr(0, 1) + six;
}

std::string UpcEToA(const std::string& s) {
    if (s.size() != 7 || !IsAllDigits(s)) throw EUpcVersionError("%s is not a valid UPC E encodation.", {s});
    // s[0] number system, s[1..6] the digits e1 to e6; e6 tells how the zeros were suppressed.
    const char e6 = s[6];
    std::string ten;
    if (e6 <= '2')
        ten = s.substr(1, 2) + e6 + "0000" + s.substr(3, 3);
    else if (e6 == '3')
        ten = s.substr(1, 3) + "00000" + s.substr(4, 2);
    else if (e6 == '4')
        ten = s.substr(1, 4) + "00000" + s.substr(5, 1);
    else
        ten = s.substr(1, 5) + "0000" + e6;
    return s.substr(0, 1) + ten;
}

// ---------------------------------------------------------------------------
// TZanEan

TZanEan::TZanEan(TZanEanVersion version, TZanEanDigitLocation flagLocation, TZanEanDigitLocation checkLocation)
    : FDigitLocations{flagLocation, checkLocation}, FVersion(version) {}

const platform::TPropList& TZanEan::PublishedProperties() const {
    static const platform::TPropList properties = [this] {
        platform::TPropList list = TZanLinearSymbology::PublishedProperties();
        list.push_back(platform::StringProperty<TZanEan>(
            "Supplemental", [](const TZanEan& s) { return s.GetSupplemental(); },
            [](TZanEan& s, const std::string& value) { s.SetSupplemental(value); }));
        return list;
    }();
    return properties;
}

const platform::TPropList& TZanEanWithDigitLocations::PublishedProperties() const {
    static const platform::TPropList properties = [this] {
        platform::TPropList list = TZanEan::PublishedProperties();
        const std::vector<std::string> names{"dlInside", "dlOutside"};
        list.push_back(platform::WithDefault(
            platform::EnumerationProperty<TZanEanWithDigitLocations>(
                "FlagDigitLocation", names, [](const TZanEanWithDigitLocations& s) { return s.GetFlagDigitLocation(); },
                [](TZanEanWithDigitLocations& s, int value) {
                    s.SetFlagDigitLocation(static_cast<TZanEanDigitLocation>(value));
                }),
            "dlInside"));
        list.push_back(
            platform::WithDefault(platform::EnumerationProperty<TZanEanWithDigitLocations>(
                                      "CheckDigitLocation", names,
                                      [](const TZanEanWithDigitLocations& s) { return s.GetCheckDigitLocation(); },
                                      [](TZanEanWithDigitLocations& s, int value) {
                                          s.SetCheckDigitLocation(static_cast<TZanEanDigitLocation>(value));
                                      }),
                                  "dlInside"));
        return list;
    }();
    return properties;
}

std::string TZanEan::GetDefaultCaption() {
    std::string caption;
    for (std::size_t i = 0; i < Versions[FVersion].CaptionLength; ++i) caption += static_cast<char>('0' + i % 10);
    return caption;
}

void TZanEan::ValidateText(std::string& text) {
    if (text.size() != Versions[FVersion].CaptionLength) {
        // UPC A and UPC E take each other's texts and rewrite them into their own form.
        try {
            std::string converted;
            if (FVersion == evUpcE && text.size() == 11)
                converted = UpcAToE(text);
            else if (FVersion == evUpcA && text.size() == 7)
                converted = UpcEToA(text);
            else
                RaiseInvalidLength();
            ValidateText(converted);
            text = converted;
        } catch (const EUpcVersionError&) {
            RaiseInvalidLength();
        }
    }
    const std::string fault = CharacterFault(text);
    if (!fault.empty()) throw EInvalidText(fault);
}

std::string TZanEan::CharacterFault(const std::string& text) const {
    const auto nonDigit = std::find_if_not(text.begin(), text.end(), IsDigit);
    if (nonDigit != text.end()) return InvalidCharacter(*nonDigit);
    // UPC E has parity patterns for the number systems 0 and 1 only.
    if (FVersion == evUpcE && !text.empty() && text[0] != '0' && text[0] != '1') return InvalidCharacter(text[0]);
    return {};
}

std::string TZanEan::CaptionFault(const std::string& caption) const {
    if (caption.size() != Versions[FVersion].CaptionLength) return InvalidLength;
    return CharacterFault(caption);
}

int TZanEan::GetCheckDigit() {
    std::string caption = GetRendererCaption();
    // UPC E has the check digit of its UPC A expansion.
    if (FVersion == evUpcE) caption = UpcEToA(caption);
    return ModuloTenCheckDigit(caption);
}

std::string TZanEan::GetCaption() { return GetRendererCaption() + std::to_string(GetCheckDigit()); }

void TZanEan::SetVersion(TZanEanVersion value) {
    if (value >= Versions.size()) throw EZanBarcodeError("%d is not an EAN/UPC version.", {std::int64_t{value}});
    if (value == FVersion) return;
    FVersion = value;
    UpdateParent();
}

void TZanEan::SetSupplemental(const std::string& value) {
    if (value == FSupplemental) return;
    if (value.size() != 0 && value.size() != 2 && value.size() != 5)
        throw EInvalidText("Supplemental Encodation must be 0, 2 or 5 digits.");
    if (!IsAllDigits(value)) throw EInvalidText("Invalid supplemental: %s", {value});
    FSupplemental = value;
    UpdateParent();
}

void TZanEan::SetDigitLocation(int index, TZanEanDigitLocation value) {
    TZanEanDigitLocation& location = FDigitLocations[LocationSlot(index)];
    if (location == value) return;
    location = value;
    UpdateParent();
}

std::string TZanEan::GetSupplementalParityPattern() const {
    if (FSupplemental.size() == 2)
        return std::string(TwoDigitAddOnParity[(DigitIndex(FSupplemental[0]) * 10 + DigitIndex(FSupplemental[1])) % 4]);
    if (FSupplemental.size() == 5) {
        const std::size_t sum =
            3 * (DigitIndex(FSupplemental[0]) + DigitIndex(FSupplemental[2]) + DigitIndex(FSupplemental[4])) +
            9 * (DigitIndex(FSupplemental[1]) + DigitIndex(FSupplemental[3]));
        return std::string(UpcEParity[sum % 10].substr(1));
    }
    return {};
}

// ---------------------------------------------------------------------------
// Width and painting

int TZanEan::GetCodeWidth() {
    const int modules = Versions[FVersion].ReportedModules + AddOnModules(FSupplemental.size());
    std::int64_t width = ModulesToPixels(modules);
    TZanBarcodeRenderer* renderer = GetParent();
    platform::TCanvas* canvas = renderer ? renderer->GetCanvas() : nullptr;
    // A caption that does not fit the version is not painted: it has no texts to measure.
    if (!canvas || !CaptionFault(renderer->GetCaption()).empty()) return static_cast<int>(width);
    const std::string digits = GetCaption();
    // Measured with the renderer's font on the caller's canvas, which is left as it was.
    width += MeasureOnCanvas(*canvas, [&] {
        canvas->SetFont(renderer->GetFont());
        std::int64_t texts = canvas->TextWidth(digits.substr(0, 1));
        if (GetFlagDigitLocation() == dlOutside) texts += canvas->TextWidth(digits.substr(1, 1));
        // With an add-on the check digit stands in the gap before it.
        if (GetCheckDigitLocation() == dlOutside && FSupplemental.empty())
            texts += canvas->TextWidth(digits.substr(digits.size() - 1));
        return texts;
    });
    return platform::Saturate32(width);
}

void TZanEan::PaintBars(TModuleWidths widths, bool startsWithBar) { DrawElements(widths, startsWithBar); }

void TZanEan::PaintWithParity(std::string_view digits, std::string_view parity, TModuleWidths separator) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
        PaintRun(DigitRun(digits[i], i < parity.size() && parity[i] == 'B' ? nsB : nsA));
        if (i + 1 < digits.size()) PaintBars(separator, false);
    }
}

void TZanEan::Paint() {
    platform::TCanvas& canvas = GetPaintCanvas();
    TZanBarcodeRenderer* renderer = GetParent();
    const std::string fault = CaptionFault(renderer->GetCaption());
    if (!fault.empty()) throw EInvalidText(fault);
    const std::string digits = GetCaption();

    // The digit bars end half a text height above the paint rectangle's bottom; the texts
    // below them are drawn opaque one text height high, so the guards, which no text
    // covers, stand half a text height lower than the digit bars.
    canvas.SetFont(renderer->GetFont());
    const int textHeight = canvas.TextHeight(digits);
    TRect code = renderer->GetPaintRect(CodeRectIndex);
    code.Bottom -= textHeight / 2;
    SetCodeRect(code);
    ResetPosition();
    TRect text = renderer->GetPaintRect(CodeRectIndex);
    text.Top = text.Bottom - textHeight;

    Skip(2);
    text.Left = FPosition;
    const std::string prefix = digits.substr(0, GetFlagDigitLocation() == dlOutside ? 2 : 1);
    Advance(PlaceText(text, prefix, platform::taLeftJustify));
    Skip(2);
    PaintRun(NormalGuard);
    text.Left = FPosition;
    if (FVersion == evUpcE)
        PaintUpcE(digits, text);
    else
        PaintHalves(digits, text);

    const std::string checkDigit = digits.substr(digits.size() - 1);
    const bool checkDigitOutside = GetCheckDigitLocation() == dlOutside;
    if (FSupplemental.empty()) {
        Skip(2);
        text.Left = FPosition;
        text.Right = FCodeRect.Right;
        if (checkDigitOutside) Advance(PlaceText(text, checkDigit, platform::taLeftJustify));
        return;
    }
    // An outside check digit stands in the gap before the add-on, which keeps its width.
    text.Left = FPosition;
    Skip(AddOnGapModules);
    text.Right = FPosition;
    if (checkDigitOutside) PaintCheckDigitInGap(canvas, text, checkDigit);
    canvas.SetFont(renderer->GetFont());
    PaintSupplemental(canvas);
}

void TZanEan::PaintCheckDigitInGap(platform::TCanvas& canvas, const TRect& gap, const std::string& checkDigit) {
    // Clear of the end guard and of the add-on's first bar by a module each; a font too
    // large for that room is scaled down until the digit fits, so that it never covers a
    // bar nor hides under one.
    const std::int64_t room = std::int64_t{gap.Right} - gap.Left - ModulesToPixels(2 * CheckDigitClearModules);
    platform::TFont& font = canvas.GetFont();
    for (std::int64_t width = canvas.TextWidth(checkDigit); width > room; width = canvas.TextWidth(checkDigit)) {
        const std::int64_t height = std::abs(std::int64_t{font.GetHeight()});
        if (height <= 1) break;
        const std::int64_t scaled =
            std::clamp<std::int64_t>(height * std::max<std::int64_t>(room, 0) / width, 1, height - 1);
        font.SetHeight(static_cast<std::int32_t>(font.GetHeight() < 0 ? -scaled : scaled));
    }
    PlaceText(gap, checkDigit, platform::taCenter);
}

void TZanEan::PaintHalves(const std::string& digits, TRect& text) {
    // EAN 13 encodes its first digit in the parities of the left half and draws no bars for
    // it; UPC A is an EAN 13 whose first digit is 0.
    const bool ean13 = FVersion == evEan13;
    const std::size_t first = ean13 ? 1 : 0;
    const std::size_t half = (digits.size() - first) / 2;
    const std::string right = digits.substr(first + half);
    const std::string_view parity =
        FVersion == evEan8 ? Ean8Parity : LeadingDigitParity[ean13 ? DigitIndex(digits[0]) : 0];

    PaintWithParity(std::string_view(digits).substr(first, half), parity, {});
    PaintRun(CentreGuard);
    // Under the left half go its digits that are not printed before the start guard.
    text.Right = platform::Saturate32(std::int64_t{FPosition} - ModulesToPixels(ModuleCount(CentreGuard.Widths)));
    const std::size_t printed = GetFlagDigitLocation() == dlOutside ? 2 : 1;
    PlaceText(text, digits.substr(printed, first + half - printed), platform::taRightJustify);

    text.Left = FPosition;
    for (char digit : right) PaintRun(DigitRun(digit, nsC));
    text.Right = FPosition;
    PlaceText(text, GetCheckDigitLocation() == dlOutside ? right.substr(0, right.size() - 1) : right,
              platform::taLeftJustify);
    PaintRun(NormalGuard);
}

void TZanEan::PaintUpcE(const std::string& digits, TRect& text) {
    // Six digits whose parities encode the check digit and the number system.
    const std::string six = digits.substr(1, 6);
    PaintWithParity(six, UpcEParityPattern(digits.front(), digits.back()), {});
    text.Right = FPosition;
    PlaceText(text, six, platform::taCenter);
    PaintRun(UpcESpecialGuard);
}

void TZanEan::PaintSupplemental(platform::TCanvas& canvas) {
    // The add-on's bars start a third of the bar height lower; its digits stand above them.
    TRect bars = FCodeRect;
    bars.Top += (bars.Bottom - bars.Top) / 3;
    SetCodeRect(bars);
    TRect text;
    text.Left = FPosition;
    text.Bottom = bars.Top - 1;
    text.Top = text.Bottom - canvas.TextHeight(FSupplemental);
    PaintRun(AddOnStart);
    PaintWithParity(FSupplemental, GetSupplementalParityPattern(), AddOnSeparator.Widths);
    text.Right = FPosition;
    PlaceText(text, FSupplemental, platform::taCenter);
}

// ---------------------------------------------------------------------------
// The four versions

TZanUpcA::TZanUpcA() : TZanEan(evUpcA, dlInside, dlOutside) {}
TZanUpcE::TZanUpcE() : TZanEan(evUpcE, dlInside, dlOutside) {}

}  // namespace zan
