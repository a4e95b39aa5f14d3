#include <zanbarcode/symbologies/ZanPostnet.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace zan {

namespace {

// POSTNET bar table (USPS Publication 25): five bars per digit from left to right,
// 1 a full bar and 0 a half bar, weighted 7, 4, 2, 1, 0; every digit has two full bars
// and is the sum of their weights (0 is 7 + 4).
constexpr std::array<std::string_view, 10> BarPatterns = {
    "11000",  // 0
    "00011",  // 1
    "00101",  // 2
    "00110",  // 3
    "01001",  // 4
    "01010",  // 5
    "01100",  // 6
    "10001",  // 7
    "10010",  // 8
    "10100",  // 9
};
static_assert(BarPatterns.size() == 10, "one row for each digit");
static_assert(std::ranges::all_of(BarPatterns,
                                  [](std::string_view p) { return p.size() == 5 && std::ranges::count(p, '1') == 2; }),
              "five bars, two of them full");

constexpr char FullBar = '1';
// A bar and a gap of two bar widths.
constexpr int BarPitch = 3;
constexpr int BarsPerDigit = 5;
// The leading frame bar with its gap, and the closing frame bar alone.
constexpr int FrameBarWidths = BarPitch + 1;
// Full bars are 0.115 inch tall, in thousandths of an inch.
constexpr int FullBarHeightMils = 115;

// The bars of C; empty for a character other than a digit, which then draws nothing.
// Painting happens with a validated caption, except while validation waits for the end
// of an update.
std::string_view BarPattern(char c) {
    return IsDigit(c) ? BarPatterns[static_cast<std::size_t>(c - '0')] : std::string_view{};
}

}  // namespace

const platform::TPropList& TZanPostnet::PublishedProperties() const {
    static const platform::TPropList properties{platform::FloatProperty<TZanPostnet>(
        "XDimension", [](const TZanPostnet& s) { return s.GetXDimension(); },
        [](TZanPostnet& s, double v) { s.SetXDimension(v); })};
    return properties;
}

int TZanPostnet::GetCodeHeight() {
    const TZanBarcodeRenderer* renderer = GetParent();
    const platform::TCanvas* canvas = renderer != nullptr ? renderer->GetCanvas() : nullptr;
    if (canvas == nullptr) return 0;
    return platform::Saturate32(std::int64_t{canvas->GetDeviceCaps(platform::dcLogPixelsY)} * FullBarHeightMils / 1000);
}

int TZanPostnet::GetCodeWidth() {
    std::int64_t barWidths = FrameBarWidths;
    for (char c : GetCodeText())
        if (!BarPattern(c).empty()) barWidths += BarsPerDigit * BarPitch;
    // Saturated: a code longer than an int can count reports the largest int, which
    // copies refuse.
    return platform::Saturate32(std::int64_t{GetBarWidth()} * barWidths);
}

void TZanPostnet::Paint() {
    platform::TCanvas& canvas = GetPaintCanvas();
    const TZanBarcodeRenderer* renderer = GetParent();
    canvas.GetBrush().SetStyle(platform::bsSolid);
    canvas.GetBrush().SetColor(renderer->GetColor(SpaceColorIndex));
    canvas.GetPen().SetStyle(platform::psClear);
    // The whole code rectangle mapped onto the canvas is the paint area where it really
    // lies, whatever the output rectangle's position and the orientation.
    const TRect r = renderer->GetPaintRect(CodeRectIndex);
    canvas.FillRect(renderer->ResolveRect(r));
    canvas.GetBrush().SetColor(renderer->GetColor(BarColorIndex));

    // The bars stand on the bottom edge of the paint area; half bars are the lower half.
    // Computed in 64 bits and saturated: at extreme resolutions a bar is further away
    // than an int can count.
    const std::int64_t fullTop = std::int64_t{r.Bottom} - GetCodeHeight();
    const std::int64_t halfTop = fullTop + (r.Bottom - fullTop) / 2;
    const std::int64_t barWidth = GetBarWidth();
    std::int64_t x = CodeStart(renderer->GetAlignment(), r, GetCodeWidth());
    const auto drawBar = [&](std::int64_t barTop) {
        using platform::Saturate32;
        canvas.FillRect(renderer->ResolveRect({Saturate32(x), Saturate32(barTop), Saturate32(x + barWidth), r.Bottom}));
        x += BarPitch * barWidth;
    };

    drawBar(fullTop);  // leading frame bar
    for (char c : GetCodeText())
        for (char bar : BarPattern(c)) drawBar(bar == FullBar ? fullTop : halfTop);
    drawBar(fullTop);  // closing frame bar
}

void TZanPostnet::ValidateText(std::string& text) {
    for (char c : text)
        if (!IsDigit(c)) throw EInvalidText("Invalid character: %s", {std::string(1, c)});
}

int TZanPostnet::GetBarWidth() const { return XDimensionToPixels(GetParent(), FXDimension); }

int TZanPostnet::GetCheckDigit() const {
    int sum = 0;
    for (char c : GetRendererCaption())
        if (IsDigit(c)) sum = (sum + (c - '0')) % 10;
    return (10 - sum) % 10;
}

std::string TZanPostnet::GetCodeText() const { return GetRendererCaption() + static_cast<char>('0' + GetCheckDigit()); }

void TZanPostnet::SetXDimension(double value) {
    CheckXDimension(value);
    if (value == FXDimension) return;
    FXDimension = value;
    UpdateParent();
}

}  // namespace zan
