#include <zanbarcode/symbologies/ZanCode2of5.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace zan {

namespace {

// Digit patterns of the 2 of 5 family (ISO/IEC 16390, Interleaved 2 of 5; Code 2 of 5,
// also called Industrial 2 of 5, uses the same): five elements weighted 1, 2, 4, 7 and
// parity, two of them wide (W), the digit being the sum of the wide weights (0 is 4 + 7).
constexpr std::array<std::string_view, 10> DigitPatterns = {
    "NNWWN",  // 0
    "WNNNW",  // 1
    "NWNNW",  // 2
    "WWNNN",  // 3
    "NNWNW",  // 4
    "WNWNN",  // 5
    "NWWNN",  // 6
    "NNNWW",  // 7
    "WNNWN",  // 8
    "NWNWN",  // 9
};
static_assert(DigitPatterns.size() == 10, "one pattern for each digit");
static_assert(std::ranges::all_of(DigitPatterns,
                                  [](std::string_view p) { return p.size() == 5 && std::ranges::count(p, 'W') == 2; }),
              "five elements, two of them wide");

// Wide to narrow ratio 3:1.
constexpr std::uint8_t WideModules = 3;
constexpr std::uint8_t NarrowModules = 1;

// The digit patterns as the widths they are drawn with.
constexpr auto DigitWidths =
    ConvertTable(DigitPatterns, [](std::string_view pattern) { return WidthsFromNarrowWide<5>(pattern, WideModules); });
static_assert(DigitWidths[0] == TElementWidths<5>{1, 1, 3, 3, 1});

// N bars with the N spaces that follow them, bar and space in turn.
template <std::size_t N>
constexpr TElementWidths<2 * N> Interleaved(const TElementWidths<N>& bars, const TElementWidths<N>& spaces) {
    TElementWidths<2 * N> elements{};
    for (std::size_t i = 0; i < N; ++i) {
        elements[2 * i] = bars[i];
        elements[2 * i + 1] = spaces[i];
    }
    return elements;
}

// Code 2 of 5 keeps its data in the bars: every bar is followed by a narrow space,
// the last bar of the stop character included.
template <std::size_t N>
constexpr TElementWidths<2 * N> WithNarrowSpaces(const TElementWidths<N>& bars) {
    TElementWidths<N> spaces{};
    spaces.fill(NarrowModules);
    return Interleaved(bars, spaces);
}

constexpr auto Code2of5Digits = [] {
    std::array<TElementWidths<10>, 10> digits{};
    for (std::size_t d = 0; d < digits.size(); ++d) digits[d] = WithNarrowSpaces(DigitWidths[d]);
    return digits;
}();
// Start and stop characters, bars only.
constexpr auto Code2of5Start = WithNarrowSpaces(WidthsFromNarrowWide<3>("WWN", WideModules));
constexpr auto Code2of5Stop = WithNarrowSpaces(WidthsFromNarrowWide<3>("WNW", WideModules));
static_assert(Code2of5Digits[1] == TElementWidths<10>{3, 1, 1, 1, 1, 1, 1, 1, 3, 1});
static_assert(Code2of5Start == TElementWidths<6>{3, 1, 3, 1, 1, 1});
// Every digit has the same width: two wide and three narrow bars, five narrow spaces.
constexpr int Code2of5DigitModules = ModuleCount(Code2of5Digits[0]);
constexpr int Code2of5FrameModules = ModuleCount(Code2of5Start) + ModuleCount(Code2of5Stop);
static_assert(Code2of5DigitModules == 14 && Code2of5FrameModules == 20);

// Interleaved 2 of 5 digit pairs, by the pair's value: the first digit in the bars, the
// second in the spaces.
constexpr auto InterleavedPairs = [] {
    std::array<TElementWidths<10>, 100> pairs{};
    for (std::size_t p = 0; p < pairs.size(); ++p) pairs[p] = Interleaved(DigitWidths[p / 10], DigitWidths[p % 10]);
    return pairs;
}();
static_assert(InterleavedPairs[12] == TElementWidths<10>{3, 1, 1, 3, 1, 1, 1, 1, 3, 3});
// Start (narrow bar, space, bar, space) and stop (wide bar, narrow space, narrow bar).
constexpr auto InterleavedStart = WidthsFromNarrowWide<4>("NNNN", WideModules);
constexpr auto InterleavedStop = WidthsFromNarrowWide<3>("WNN", WideModules);
constexpr int InterleavedPairModules = ModuleCount(InterleavedPairs[0]);
constexpr int InterleavedFrameModules = ModuleCount(InterleavedStart) + ModuleCount(InterleavedStop);
static_assert(InterleavedPairModules == 18 && InterleavedFrameModules == 9);

// Bearer bars are a fixed height in pixels, whatever the module width.
constexpr int BearerBarPixels = 3;

// The widths of a digit; empty for any other character, which the caller then leaves
// out of the drawing and the width. Painting happens with a validated caption, except
// while validation waits for the end of an update.
TModuleWidths Code2of5Digit(char c) {
    return IsDigit(c) ? TModuleWidths{Code2of5Digits[static_cast<std::size_t>(c - '0')]} : TModuleWidths{};
}

// The widths of the pair of digits First and Second; empty unless both are digits.
TModuleWidths InterleavedPair(char first, char second) {
    if (!IsDigit(first) || !IsDigit(second)) return {};
    return InterleavedPairs[static_cast<std::size_t>((first - '0') * 10 + (second - '0'))];
}

}  // namespace

// ---------------------------------------------------------------------------
// TZanBasic2of5

const platform::TPropList& TZanBasic2of5::PublishedProperties() const {
    static const platform::TPropList properties = [this] {
        platform::TPropList list = TZanLinearSymbology::PublishedProperties();
        list.push_back(
            platform::WithDefault(platform::BooleanProperty<TZanBasic2of5>(
                                      "DisplayCaption", [](const TZanBasic2of5& s) { return s.GetDisplayCaption(); },
                                      [](TZanBasic2of5& s, bool v) { s.SetDisplayCaption(v); }),
                                  "True"));
        return list;
    }();
    return properties;
}

void TZanBasic2of5::ValidateText(std::string& text) {
    for (char c : text)
        if (!IsDigit(c)) throw EInvalidText("Invalid character: %s", {std::string(1, c)});
}

std::string TZanBasic2of5::GetCaption() { return GetRendererCaption(); }

void TZanBasic2of5::SetDisplayCaption(bool value) {
    if (value == FDisplayCaption) return;
    FDisplayCaption = value;
    UpdateParent();
}

// ---------------------------------------------------------------------------
// TZanCode2of5

int TZanCode2of5::GetCodeWidth() {
    std::int64_t modules = Code2of5FrameModules;
    for (char c : GetCaption())
        if (IsDigit(c)) modules += Code2of5DigitModules;
    return ModulesToPixels(modules);
}

void TZanCode2of5::Paint() {
    BeginCode(GetDisplayCaption());
    DrawElements(Code2of5Start);
    for (char c : GetCaption()) DrawElements(Code2of5Digit(c));
    DrawElements(Code2of5Stop);
}

// ---------------------------------------------------------------------------
// TZanInterleaved2of5

const platform::TPropList& TZanInterleaved2of5::PublishedProperties() const {
    static const platform::TPropList properties = [this] {
        platform::TPropList list = TZanBasic2of5::PublishedProperties();
        const auto option = [](const char* name, int index, const char* defaultText) {
            return platform::WithDefault(platform::BooleanProperty<TZanInterleaved2of5>(
                                             name, [index](const TZanInterleaved2of5& s) { return s.GetOption(index); },
                                             [index](TZanInterleaved2of5& s, bool v) { s.SetOption(index, v); }),
                                         defaultText);
        };
        list.push_back(option("BearerBars", BearerBarsOption, "True"));
        list.push_back(option("UseChecksum", UseChecksumOption, "False"));
        return list;
    }();
    return properties;
}

int TZanInterleaved2of5::GetChecksum() {
    std::string text = TZanBasic2of5::GetCaption();
    // With an odd number of digits the rightmost one has weight 3.
    if (text.size() % 2 == 0) text.insert(text.begin(), '0');
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsDigit(text[i])) sum += (text[i] - '0') * (i % 2 == 0 ? 3 : 1);
    return static_cast<int>((10 - sum % 10) % 10);
}

std::string TZanInterleaved2of5::GetCaption() {
    std::string text = TZanBasic2of5::GetCaption();
    if (GetUseChecksum()) text += static_cast<char>('0' + GetChecksum());
    if (text.size() % 2 != 0) text.insert(text.begin(), '0');
    return text;
}

int TZanInterleaved2of5::GetCodeWidth() {
    const std::string text = GetCaption();
    std::int64_t modules = InterleavedFrameModules;
    for (std::size_t p = 0; p + 1 < text.size(); p += 2)
        if (!InterleavedPair(text[p], text[p + 1]).empty()) modules += InterleavedPairModules;
    return ModulesToPixels(modules);
}

void TZanInterleaved2of5::Paint() {
    BeginCode(GetDisplayCaption());
    const int left = FPosition;
    DrawElements(InterleavedStart);
    const std::string text = GetCaption();
    for (std::size_t p = 0; p + 1 < text.size(); p += 2) DrawElements(InterleavedPair(text[p], text[p + 1]));
    DrawElements(InterleavedStop);
    if (GetBearerBars()) PaintBearerBars(left, FPosition);
}

void TZanInterleaved2of5::PaintBearerBars(int left, int right) {
    platform::TCanvas& canvas = GetPaintCanvas();
    const TZanBarcodeRenderer& parent = *GetParent();
    canvas.GetBrush().SetColor(parent.GetColor(BarColorIndex));
    canvas.GetBrush().SetStyle(platform::bsSolid);
    canvas.GetPen().SetStyle(platform::psClear);
    canvas.FillRect(parent.ResolveRect({left, FCodeRect.Top, right, FCodeRect.Top + BearerBarPixels}));
    canvas.FillRect(parent.ResolveRect({left, FCodeRect.Bottom - BearerBarPixels, right, FCodeRect.Bottom}));
}

bool TZanInterleaved2of5::GetOption(int index) const {
    return index >= 0 && index < OptionCount && FOptions[static_cast<std::size_t>(index)];
}

void TZanInterleaved2of5::SetOption(int index, bool value) {
    if (index < 0 || index >= OptionCount) return;
    bool& stored = FOptions[static_cast<std::size_t>(index)];
    if (value == stored) return;
    stored = value;
    UpdateParent();
}

}  // namespace zan
