#include <zanbarcode/symbologies/ZanCode2of5.h>

#include <algorithm>
#include <cstdint>

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
constexpr int WideModules = 3;
constexpr int NarrowModules = 1;

constexpr int PatternModules(std::string_view pattern) {
    int modules = 0;
    for (char element : pattern) modules += element == 'W' ? WideModules : NarrowModules;
    return modules;
}

// Code 2 of 5 start and stop characters, bars only; every bar of the symbol is
// followed by a narrow space.
constexpr std::string_view Code2of5Start = "WWN";
constexpr std::string_view Code2of5Stop = "WNW";
// Every digit has the same width: two wide and three narrow elements.
constexpr int Code2of5DigitModules = PatternModules(DigitPatterns[0]) + 5 * NarrowModules;
constexpr int Code2of5FrameModules = PatternModules(Code2of5Start) + PatternModules(Code2of5Stop) + 6 * NarrowModules;
static_assert(Code2of5DigitModules == 14 && Code2of5FrameModules == 20);

// Interleaved 2 of 5 start (narrow bar, space, bar, space) and stop (wide bar, narrow
// space, narrow bar), alternating bar and space from a bar.
constexpr std::string_view InterleavedStart = "NNNN";
constexpr std::string_view InterleavedStop = "WNN";
// A digit pair: one digit in five bars, the other in five spaces.
constexpr int InterleavedPairModules = 2 * PatternModules(DigitPatterns[0]);
constexpr int InterleavedFrameModules = PatternModules(InterleavedStart) + PatternModules(InterleavedStop);
static_assert(InterleavedPairModules == 18 && InterleavedFrameModules == 9);

// Bearer bars are a fixed height in pixels, whatever the module width.
constexpr int BearerBarPixels = 3;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

std::string TZanBasic2of5::GetCaption() { return GetParent() != nullptr ? GetParent()->GetCaption() : std::string(); }

void TZanBasic2of5::SetDisplayCaption(bool value) {
    if (value == FDisplayCaption) return;
    FDisplayCaption = value;
    UpdateParent();
}

std::string_view TZanBasic2of5::DigitPattern(char c) {
    return IsDigit(c) ? DigitPatterns[static_cast<std::size_t>(c - '0')] : std::string_view{};
}

int TZanBasic2of5::ElementModules(char element) { return element == 'W' ? WideModules : NarrowModules; }

bool TZanBasic2of5::BeginCode() {
    if (GetParent() == nullptr || GetParent()->GetCanvas() == nullptr) return false;
    TRect r = GetParent()->GetPaintRect(0);
    if (FDisplayCaption) PaintCaption(r);
    SetCodeRect(r);
    ResetPosition();
    return true;
}

// ---------------------------------------------------------------------------
// TZanCode2of5

int TZanCode2of5::GetCodeWidth() {
    int modules = Code2of5FrameModules;
    for (char c : GetCaption())
        if (!DigitPattern(c).empty()) modules += Code2of5DigitModules;
    return FBarWidth * modules;
}

void TZanCode2of5::Paint() {
    if (!BeginCode()) return;
    DrawBarsWithNarrowSpaces(Code2of5Start);
    for (char c : GetCaption()) DrawBarsWithNarrowSpaces(DigitPattern(c));
    DrawBarsWithNarrowSpaces(Code2of5Stop);
}

void TZanCode2of5::DrawBarsWithNarrowSpaces(std::string_view pattern) {
    for (char element : pattern) {
        DrawBar(true, ElementModules(element));
        DrawBar(false, NarrowModules);
    }
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
    int modules = InterleavedFrameModules;
    for (std::size_t p = 0; p + 1 < text.size(); p += 2)
        if (!DigitPattern(text[p]).empty() && !DigitPattern(text[p + 1]).empty()) modules += InterleavedPairModules;
    return FBarWidth * modules;
}

void TZanInterleaved2of5::Paint() {
    if (!BeginCode()) return;
    const int left = FPosition;
    DrawAlternating(InterleavedStart);
    const std::string text = GetCaption();
    for (std::size_t p = 0; p + 1 < text.size(); p += 2) {
        const std::string_view bars = DigitPattern(text[p]);
        const std::string_view spaces = DigitPattern(text[p + 1]);
        if (bars.empty() || spaces.empty()) continue;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            DrawBar(true, ElementModules(bars[i]));
            DrawBar(false, ElementModules(spaces[i]));
        }
    }
    DrawAlternating(InterleavedStop);
    if (GetBearerBars()) PaintBearerBars(left, FPosition);
}

void TZanInterleaved2of5::DrawAlternating(std::string_view pattern) {
    bool isBar = true;
    for (char element : pattern) {
        DrawBar(isBar, ElementModules(element));
        isBar = !isBar;
    }
}

void TZanInterleaved2of5::PaintBearerBars(int left, int right) {
    TZanBarcodeRenderer& parent = *GetParent();
    platform::TCanvas& canvas = *parent.GetCanvas();
    canvas.GetBrush().SetColor(parent.GetColor(0));
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
