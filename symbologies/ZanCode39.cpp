// Code 39: character tables, caption rules, check digit string, width and painting.
#include <zanbarcode/symbologies/ZanCode39.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace zan {

namespace {

// The characters that have a pattern, in the order of the pattern table below. A
// character's position here is also the value its check digit sum adds; this is the
// library's own numbering (`*` 0, `1` to `9` 1 to 9, `0` 10, ...), not the standard's
// character values.
constexpr std::string_view Alphabet = "*1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// Patterns of the characters of Alphabet, from the symbol character table of
// ISO/IEC 16388:2007 (the Code 39 bar code symbology standard): nine elements, bar
// first, then alternating space and bar; N narrow, W wide. Three of them are wide.
constexpr std::array<std::string_view, 44> Patterns = {
    "NWNNWNWNN",                                                      // *
    "WNNWNNNNW", "NNWWNNNNW", "WNWWNNNNN", "NNNWWNNNW", "WNNWWNNNN",  // 1 to 5
    "NNWWWNNNN", "NNNWNNWNW", "WNNWNNWNN", "NNWWNNWNN", "NNNWWNWNN",  // 6 to 9, 0
    "WNNNNWNNW", "NNWNNWNNW", "WNWNNWNNN", "NNNNWWNNW", "WNNNWWNNN",  // A to E
    "NNWNWWNNN", "NNNNNWWNW", "WNNNNWWNN", "NNWNNWWNN", "NNNNWWWNN",  // F to J
    "WNNNNNNWW", "NNWNNNNWW", "WNWNNNNWN", "NNNNWNNWW", "WNNNWNNWN",  // K to O
    "NNWNWNNWN", "NNNNNNWWW", "WNNNNNWWN", "NNWNNNWWN", "NNNNWNWWN",  // P to T
    "WWNNNNNNW", "NWWNNNNNW", "WWWNNNNNN", "NWNNWNNNW", "WWNNWNNNN",  // U to Y
    "NWWNWNNNN", "NWNNNNWNW", "WWNNNNWNN", "NWWNNNWNN",               // Z - . space
    "NWNWNWNNN", "NWNWNNNWN", "NWNNNWNWN", "NNNWNWNWN",               // $ / + %
};
static_assert(Patterns.size() == Alphabet.size(), "one pattern per character");

constexpr bool IsWellFormedPattern(std::string_view pattern) {
    return pattern.size() == 9 && std::count(pattern.begin(), pattern.end(), 'W') == 3 &&
           std::count(pattern.begin(), pattern.end(), 'N') == 6;
}
static_assert(std::all_of(Patterns.begin(), Patterns.end(), IsWellFormedPattern), "nine elements, three of them wide");

// Wide to narrow ratio 3:1.
constexpr std::uint8_t WideModules = 3;
constexpr std::uint8_t NarrowModules = 1;

// The patterns as the widths they are drawn with.
constexpr auto PatternWidths =
    ConvertTable(Patterns, [](std::string_view pattern) { return WidthsFromNarrowWide<9>(pattern, WideModules); });
static_assert(PatternWidths[0] == TElementWidths<9>{1, 3, 1, 1, 3, 1, 3, 1, 1});   // *
static_assert(PatternWidths[11] == TElementWidths<9>{3, 1, 1, 1, 1, 3, 1, 1, 3});  // A
static_assert(ModuleCount(PatternWidths[43]) == 15, "six narrow elements and three wide ones");

// Character code -> position in Alphabet, -1 for a character without a pattern.
constexpr std::array<std::int8_t, 256> CharacterIndex = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (std::size_t i = 0; i < Alphabet.size(); ++i)
        table[static_cast<unsigned char>(Alphabet[i])] = static_cast<std::int8_t>(i);
    return table;
}();
static_assert(CharacterIndex['*'] == 0 && CharacterIndex['0'] == 10 && CharacterIndex['A'] == 11 &&
              CharacterIndex['%'] == 43 && CharacterIndex['a'] == -1);

// Full-ASCII spelling of character codes 0 to 127, from the full ASCII table of
// ISO/IEC 16388:2007.
// The standard spells `$`, `%`, `+` and `/` as "/D", "/E", "/K" and "/O"; here they stand
// for themselves, so a caption may carry sequences that are already spelled ("+A").
// Codes 128 to 255 have no spelling and produce nothing in the bars.
constexpr std::array<std::string_view, 128> FullAsciiSpelling = {
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G",  // 0: NUL to BEL
    "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O",  // 8: BS to SI
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W",  // 16: DLE to ETB
    "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E",  // 24: CAN to US
    " ",  "/A", "/B", "/C", "$",  "%",  "/F", "/G",  // 32: space ! " # $ % & '
    "/H", "/I", "/J", "+",  "/L", "-",  ".",  "/",   // 40: ( ) * + , - . /
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",   // 48
    "8",  "9",  "/Z", "%F", "%G", "%H", "%I", "%J",  // 56: 8 9 : ; < = > ?
    "%V", "A",  "B",  "C",  "D",  "E",  "F",  "G",   // 64: @ A to G
    "H",  "I",  "J",  "K",  "L",  "M",  "N",  "O",   // 72
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",   // 80
    "X",  "Y",  "Z",  "%K", "%L", "%M", "%N", "%O",  // 88: X Y Z [ \ ] ^ _
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G",  // 96: ` a to g
    "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O",  // 104
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W",  // 112
    "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T",  // 120: x y z { | } ~ DEL
};

std::string_view SpellInFullAscii(unsigned char character) {
    return character < FullAsciiSpelling.size() ? FullAsciiSpelling[character] : std::string_view();
}

constexpr char StartStopCharacter = '*';
// A character without a pattern takes the room of a character and its gap: 15 + 1 modules.
constexpr int NoPatternModules = 16;

constexpr bool IsLowerCase(char c) { return c >= 'a' && c <= 'z'; }

// Without full ASCII a caption may hold spaces, digits and letters only.
constexpr bool IsPlainCharacter(char c) { return c == ' ' || IsDigit(c) || (c >= 'A' && c <= 'Z') || IsLowerCase(c); }

constexpr std::array<const char*, TZanCode39::OptionCount> OptionNames = {"DisplayCaption", "DisplayStartStopChars",
                                                                          "FullAscii", "UseCheckDigit"};

}  // namespace

TZanCode39::TZanCode39() {
    FOptions.set(DisplayCaptionOption);
    FOptions.set(DisplayStartStopCharsOption);
}

const platform::TPropList& TZanCode39::PublishedProperties() const {
    static const platform::TPropList properties = [this] {
        platform::TPropList list = TZanLinearSymbology::PublishedProperties();
        for (int index = 0; index < OptionCount; ++index)
            list.push_back(platform::BooleanProperty<TZanCode39>(
                OptionNames[static_cast<std::size_t>(index)],
                [index](const TZanCode39& symbology) { return symbology.GetOption(index); },
                [index](TZanCode39& symbology, bool value) { symbology.SetOption(index, value); }));
        return list;
    }();
    return properties;
}

bool TZanCode39::GetOption(int index) const {
    return index >= 0 && index < OptionCount && FOptions.test(static_cast<std::size_t>(index));
}

void TZanCode39::SetOption(int index, bool value) {
    if (index < 0 || index >= OptionCount || GetOption(index) == value) return;
    FOptions.set(static_cast<std::size_t>(index), value);
    UpdateParent();
}

void TZanCode39::ValidateText(std::string& text) {
    if (text.size() > MaxCaptionLength) text.resize(MaxCaptionLength);
    if (GetFullAscii()) return;
    const auto invalid = std::find_if_not(text.begin(), text.end(), IsPlainCharacter);
    if (invalid != text.end()) throw EInvalidText("Invalid character: %s", {std::string(1, *invalid)});
}

std::string TZanCode39::GetBarcodeString() const {
    std::string result;
    for (const char c : GetRendererCaption()) {
        if (GetFullAscii())
            result += SpellInFullAscii(static_cast<unsigned char>(c));
        else
            result += IsLowerCase(c) ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return result;
}

std::string TZanCode39::GetCheckDigit() const {
    int sum = 0;
    for (const char c : GetBarcodeString()) sum += CharacterIndex[static_cast<unsigned char>(c)];
    // The remainder keeps the sign of the sum: characters without a pattern count -1.
    return std::to_string(sum % 43);
}

std::string TZanCode39::GetEncodedData() const {
    std::string data = GetBarcodeString();
    if (GetUseCheckDigit()) data += GetCheckDigit();
    return data;
}

std::string TZanCode39::GetCaption() {
    std::string caption = GetRendererCaption();
    if (GetUseCheckDigit()) caption += GetCheckDigit();
    if (GetDisplayStartStopChars()) caption = StartStopCharacter + caption + StartStopCharacter;
    return caption;
}

int TZanCode39::GetCodeWidth() {
    // n data characters plus start and stop, 15 modules each (six narrow elements of
    // 1 module, three wide of 3), and n + 1 narrow gaps between them.
    const std::int64_t n = static_cast<std::int64_t>(GetEncodedData().size());
    const std::int64_t modules = 16 * (n + 1) + 15;
    return ModulesToPixels(modules);
}

void TZanCode39::Paint() {
    BeginCode(GetDisplayCaption());
    const std::string symbol = StartStopCharacter + GetEncodedData() + StartStopCharacter;
    for (std::size_t i = 0; i < symbol.size(); ++i)
        DrawCharacter(static_cast<unsigned char>(symbol[i]), i + 1 == symbol.size());
}

void TZanCode39::DrawCharacter(unsigned char character, bool isLast) {
    const int index = CharacterIndex[character];
    if (index < 0) {
        DrawBar(false, NoPatternModules);
        return;
    }
    DrawElements(PatternWidths[static_cast<std::size_t>(index)]);
    if (!isLast) DrawBar(false, NarrowModules);  // the gap between characters
}

}  // namespace zan
