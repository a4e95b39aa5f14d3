#include <zanbarcode/symbologies/ZanCodabar.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace zan {

namespace {

// Codabar characters and their patterns, from the character table of USS-Codabar
// (ANSI/AIM BC3-1995) and EN 798: seven elements, bar, space, bar, space, bar, space,
// bar, each wide (W) or narrow (N). Characters with two wide elements take 12 modules,
// those with three take 14 (the inter-character gap included).
constexpr std::string_view Alphabet = "$+-./0123456789:ABCD";
constexpr std::array<std::string_view, 20> Patterns = {
    "NNWWNNN",  // $
    "NNWNWNW",  // +
    "NNNWWNN",  // -
    "WNWNWNN",  // .
    "WNWNNNW",  // /
    "NNNNNWW",  // 0
    "NNNNWWN",  // 1
    "NNNWNNW",  // 2
    "WWNNNNN",  // 3
    "NNWNNWN",  // 4
    "WNNNNWN",  // 5
    "NWNNNNW",  // 6
    "NWNNWNN",  // 7
    "NWWNNNN",  // 8
    "WNNWNNN",  // 9
    "WNNNWNW",  // :
    "NNWWNWN",  // A
    "NWNWNNW",  // B
    "NNNWNWW",  // C
    "NNNWWWN",  // D
};
static_assert(Patterns.size() == Alphabet.size(), "one pattern for each Codabar character");
static_assert(std::ranges::all_of(Patterns,
                                  [](std::string_view p) {
                                      const auto wide = std::ranges::count(p, 'W');
                                      return p.size() == 7 && (wide == 2 || wide == 3);
                                  }),
              "seven elements, two or three of them wide");

// Wide to narrow ratio 3:1; characters are separated by one narrow space.
constexpr std::uint8_t WideModules = 3;
constexpr std::uint8_t NarrowModules = 1;
constexpr int InterCharacterGapModules = NarrowModules;

// The patterns as the widths they are drawn with.
constexpr auto PatternWidths =
    ConvertTable(Patterns, [](std::string_view pattern) { return WidthsFromNarrowWide<7>(pattern, WideModules); });
static_assert(PatternWidths[0] == TElementWidths<7>{1, 1, 3, 3, 1, 1, 1});   // $
static_assert(PatternWidths[16] == TElementWidths<7>{1, 1, 3, 3, 1, 3, 1});  // A

constexpr std::int8_t NoEntry = -1;

// Pattern number of every character code; NoEntry for codes outside the alphabet.
constexpr std::array<std::int8_t, 256> PatternIndex = [] {
    std::array<std::int8_t, 256> index{};
    index.fill(NoEntry);
    for (std::size_t i = 0; i < Alphabet.size(); ++i)
        index[static_cast<unsigned char>(Alphabet[i])] = static_cast<std::int8_t>(i);
    return index;
}();

// The widths of C's pattern; empty for a character without one, which then draws nothing.
TModuleWidths WidthsOf(char c) {
    const std::int8_t i = PatternIndex[static_cast<unsigned char>(c)];
    return i == NoEntry ? TModuleWidths{} : TModuleWidths{PatternWidths[static_cast<std::size_t>(i)]};
}

// Modules of C's pattern and the gap after it; 0 for a character without a pattern.
int CharacterModules(char c) {
    const TModuleWidths widths = WidthsOf(c);
    return widths.empty() ? 0 : ModuleCount(widths) + InterCharacterGapModules;
}

bool IsDataCharacter(char c) { return c == '$' || c == '+' || (c >= '-' && c <= ':'); }

bool IsStartStopCharacter(char c) { return c >= 'A' && c <= 'D'; }

bool IsStartStopIndex(int index) { return index == TZanCodabar::StartCharIndex || index == TZanCodabar::StopCharIndex; }

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

const platform::TPropList& TZanCodabar::PublishedProperties() const {
    static const platform::TPropList properties = [this] {
        platform::TPropList list = TZanLinearSymbology::PublishedProperties();
        list.push_back(
            platform::WithDefault(platform::BooleanProperty<TZanCodabar>(
                                      "DisplayCaption", [](const TZanCodabar& s) { return s.GetDisplayCaption(); },
                                      [](TZanCodabar& s, bool v) { s.SetDisplayCaption(v); }),
                                  "True"));
        const auto character = [](const char* name, int index, const char* defaultText) {
            return platform::WithDefault(
                platform::StringProperty<TZanCodabar>(
                    name, [index](const TZanCodabar& s) { return std::string(1, s.GetStartStopChar(index)); },
                    [index](TZanCodabar& s, const std::string& text) {
                        // A character property takes exactly one character.
                        if (text.size() != 1) throw platform::EConvertError("Invalid property value");
                        s.SetStartStopChar(index, text.front());
                    }),
                defaultText);
        };
        list.push_back(character("StartChar", StartCharIndex, "A"));
        list.push_back(character("StopChar", StopCharIndex, "B"));
        return list;
    }();
    return properties;
}

void TZanCodabar::ValidateText(std::string& text) {
    for (char c : text)
        if (!IsDataCharacter(c)) throw EInvalidText("Invalid character: %s", {std::string(1, c)});
}

std::string TZanCodabar::GetCaption() { return GetStartChar() + GetRendererCaption() + GetStopChar(); }

int TZanCodabar::GetCodeWidth() {
    std::int64_t modules = 0;
    for (char c : GetCaption()) modules += CharacterModules(c);
    return ModulesToPixels(modules);
}

void TZanCodabar::Paint() {
    BeginCode(FDisplayCaption);
    for (char c : GetCaption()) {
        const TModuleWidths widths = WidthsOf(c);
        if (widths.empty()) continue;
        DrawElements(widths);
        DrawBar(false, InterCharacterGapModules);
    }
}

void TZanCodabar::SetDisplayCaption(bool value) {
    if (value == FDisplayCaption) return;
    FDisplayCaption = value;
    UpdateParent();
}

char TZanCodabar::GetStartStopChar(int index) const {
    return IsStartStopIndex(index) ? FStartStopChars[static_cast<std::size_t>(index)] : '\0';
}

void TZanCodabar::SetStartStopChar(int index, char value) {
    if (!IsStartStopIndex(index)) return;
    const char upper = ToUpperAscii(value);
    char& stored = FStartStopChars[static_cast<std::size_t>(index)];
    if (upper == stored || !IsStartStopCharacter(upper)) return;
    stored = upper;
    UpdateParent();
}

}  // namespace zan
