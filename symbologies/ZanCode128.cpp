#include <zanbarcode/symbologies/ZanCode128.h>

#include <algorithm>
#include <array>

namespace zan {

namespace {

// Symbol values with a meaning of their own (ISO/IEC 15417, Table 1). The set changes
// and FNC4 share values: which one a symbol is depends on the set it is read in.
namespace symbol {
constexpr int FNC3 = 96;
constexpr int FNC2 = 97;
constexpr int Shift = 98;
constexpr int CodeC = 99;   // change to Code C, in Code A and Code B
constexpr int CodeB = 100;  // change to Code B, in Code A and Code C
constexpr int FNC4InB = 100;
constexpr int CodeA = 101;  // change to Code A, in Code B and Code C
constexpr int FNC4InA = 101;
constexpr int FNC1 = 102;
constexpr int StartA = 103;
constexpr int StartB = 104;
constexpr int StartC = 105;
}  // namespace symbol

constexpr int NoSymbol = -1;

// Bar and space widths in modules (bar, space, bar, space, bar, space) of the symbol
// values 0 to 105, from ISO/IEC 15417, Table 1.
constexpr std::array<std::string_view, 106> Patterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",  //   0
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",  //  10
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",  //  20
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",  //  30
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",  //  40
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",  //  50
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",  //  60
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",  //  70
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",  //  80
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",  //  90
    "114131", "311141", "411131", "211412", "211214", "211232",                                          // 100
};
static_assert(Patterns.size() == symbol::StartC + 1, "one pattern for each symbol value up to Start C");

// The stop pattern: seven elements, the last one the 2-module termination bar.
constexpr std::string_view StopPattern = "2331112";

constexpr int SymbolModules = 11;
constexpr int StopModules = 13;

// The patterns as the widths they are drawn with.
constexpr auto PatternWidths = ConvertTable(Patterns, WidthsFromDigits<6>);
constexpr auto StopWidths = WidthsFromDigits<7>(StopPattern);
static_assert(PatternWidths[0] == TElementWidths<6>{2, 1, 2, 2, 2, 2});
static_assert(PatternWidths[symbol::StartB] == TElementWidths<6>{2, 1, 1, 2, 1, 4});
static_assert(StopWidths == TElementWidths<7>{2, 3, 3, 1, 1, 1, 2});

// Every symbol is 11 modules wide with an even number of bar modules (the parity the
// standard gives each symbol), so a mistyped width cannot go unnoticed.
static_assert(std::all_of(PatternWidths.begin(), PatternWidths.end(), [](const TElementWidths<6>& widths) {
    return ModuleCount(widths) == SymbolModules && (widths[0] + widths[2] + widths[4]) % 2 == 0;
}));
static_assert(ModuleCount(StopWidths) == StopModules);

constexpr std::size_t Code(char c) { return static_cast<unsigned char>(c); }

// Symbol value of each character code 0 to 136 in each set; NoSymbol where the set has
// none. In Code C the row is indexed by the value of a digit pair, and the control
// characters and FNC1 by their codes. The shift and set-change characters have the
// value of their symbol in the sets they can leave, and none in the others.
constexpr std::size_t TableCodes = Code(Code128FNC4) + 1;
static_assert(TableCodes == 137, "a column for each character code 0 to 136");
using TSymbolRow = std::array<std::int16_t, TableCodes>;
constexpr std::array<TSymbolRow, 3> SymbolValues = [] {
    std::array<TSymbolRow, 3> table{};
    for (TSymbolRow& row : table) row.fill(NoSymbol);
    TSymbolRow& a = table[CodeA];
    TSymbolRow& b = table[CodeB];
    TSymbolRow& c = table[CodeC];
    const auto set = [](TSymbolRow& row, std::size_t code, int value) { row[code] = static_cast<std::int16_t>(value); };
    for (std::size_t code = 0; code < 32; ++code) set(a, code, static_cast<int>(code) + 64);
    for (std::size_t code = 32; code < 96; ++code) {
        set(a, code, static_cast<int>(code) - 32);
        set(b, code, static_cast<int>(code) - 32);
    }
    for (std::size_t code = 96; code < 128; ++code) set(b, code, static_cast<int>(code) - 32);
    for (std::size_t pair = 0; pair < 100; ++pair) set(c, pair, static_cast<int>(pair));
    set(b, Code(Code128ShiftToA), symbol::Shift);
    set(a, Code(Code128ShiftToB), symbol::Shift);
    set(b, Code(Code128ChangeToA), symbol::CodeA);
    set(c, Code(Code128ChangeToA), symbol::CodeA);
    set(a, Code(Code128ChangeToB), symbol::CodeB);
    set(c, Code(Code128ChangeToB), symbol::CodeB);
    set(a, Code(Code128ChangeToC), symbol::CodeC);
    set(b, Code(Code128ChangeToC), symbol::CodeC);
    for (TSymbolRow& row : table) set(row, Code(Code128FNC1), symbol::FNC1);
    set(a, Code(Code128FNC2), symbol::FNC2);
    set(b, Code(Code128FNC2), symbol::FNC2);
    set(a, Code(Code128FNC3), symbol::FNC3);
    set(b, Code(Code128FNC3), symbol::FNC3);
    set(a, Code(Code128FNC4), symbol::FNC4InA);
    set(b, Code(Code128FNC4), symbol::FNC4InB);
    return table;
}();
static_assert(SymbolValues[CodeA][0] == 64 && SymbolValues[CodeA]['^'] == 62 && SymbolValues[CodeA]['a'] == NoSymbol);
static_assert(SymbolValues[CodeB]['a'] == 65 && SymbolValues[CodeB]['\x7F'] == 95);
static_assert(SymbolValues[CodeB][0] == NoSymbol && SymbolValues[CodeC][Code(Code128FNC1)] == symbol::FNC1);

constexpr std::array<int, 3> StartSymbols = {symbol::StartA, symbol::StartB, symbol::StartC};

constexpr std::array<std::string_view, 3> CharSetNames = {"Code A", "Code B", "Code C"};

// The table entry of Code in Set; NoSymbol for codes beyond the table.
int SymbolValue(TZanCode128CharSet set, unsigned char code) {
    return code < TableCodes ? SymbolValues[set][code] : NoSymbol;
}

std::string_view PatternOf(int symbolValue) { return Patterns[static_cast<std::size_t>(symbolValue)]; }

TModuleWidths WidthsOf(int symbolValue) { return PatternWidths[static_cast<std::size_t>(symbolValue)]; }

bool IsShift(char c) { return c == Code128ShiftToA || c == Code128ShiftToB; }

bool IsSetChange(char c) { return c == Code128ChangeToA || c == Code128ChangeToB || c == Code128ChangeToC; }

TZanCode128CharSet TargetSet(char c) {
    if (c == Code128ShiftToA || c == Code128ChangeToA) return CodeA;
    return c == Code128ChangeToC ? CodeC : CodeB;
}

// "Code A", "Code B", "Code C": the names used in messages.
std::string CharSetName(TZanCode128CharSet charSet) { return std::string(CharSetNames[charSet]); }

EInvalidText InvalidCharacter(TZanCode128CharSet set, char c) {
    return EInvalidText("Invalid Character for %s Character Set: %s", {CharSetName(set), std::string(1, c)});
}

}  // namespace

// ---------------------------------------------------------------------------
// Segment

TZanCode128Segment::TZanCode128Segment(TZanCode128CharSet charSet, TZanCode128ShiftType shiftType, int startCodeValue,
                                       int position)
    : FCharSet(charSet), FShiftType(shiftType), FStartCodeValue(startCodeValue), FPosition(position) {}

int TZanCode128Segment::GetFirstDataPosition() const {
    // A start symbol shares weight 1 with the first data symbol; a shift or a set
    // change takes a weight of its own.
    return FShiftType == stShift || FShiftType == stCode ? FPosition + 1 : FPosition;
}

int TZanCode128Segment::GetNextPosition() const { return GetFirstDataPosition() + static_cast<int>(FSymbols.size()); }

std::int64_t TZanCode128Segment::GetCheckSum() const {
    std::int64_t sum = std::int64_t{FStartCodeValue} * FPosition;
    std::int64_t weight = GetFirstDataPosition();
    for (int value : FSymbols) sum += value * weight++;
    return sum;
}

std::string TZanCode128Segment::GetCaption() const {
    std::string caption;
    for (char c : FText)
        if (static_cast<unsigned char>(c) < 128) caption += c;
    return caption;
}

std::string_view TZanCode128Segment::GetStartCode() const {
    return FStartCodeValue > 0 ? PatternOf(FStartCodeValue) : std::string_view{};
}

void TZanCode128Segment::Append(char c) {
    if (FCharSet != CodeC) {
        // Shifts and set changes are not data, although they have table entries.
        const bool isData = !IsShift(c) && !IsSetChange(c);
        const int value = isData ? SymbolValue(FCharSet, static_cast<unsigned char>(c)) : NoSymbol;
        if (value == NoSymbol) throw InvalidCharacter(FCharSet, c);
        FSymbols.push_back(value);
    } else if (c == Code128FNC1) {
        // Padding here would change digits in the middle of the data (an application
        // identifier, in GS1-128), so an unpaired digit before FNC1 is refused.
        if ((FText.size() - FDigitRunStart) % 2 != 0)
            throw EInvalidText("Invalid Character for %s Character Set: FNC1 after an odd number of digits",
                               {CharSetName(FCharSet)});
        EncodeDigitRun();
        FSymbols.push_back(SymbolValue(CodeC, static_cast<unsigned char>(c)));
        FDigitRunStart = FText.size() + 1;
    } else if (!IsDigit(c)) {
        throw InvalidCharacter(FCharSet, c);
    }
    FText += c;
}

void TZanCode128Segment::Finish() {
    if (FCharSet != CodeC) return;
    if ((FText.size() - FDigitRunStart) % 2 != 0) FText.insert(FDigitRunStart, 1, '0');
    EncodeDigitRun();
    FDigitRunStart = FText.size();
}

void TZanCode128Segment::EncodeDigitRun() {
    for (std::size_t i = FDigitRunStart; i + 1 < FText.size(); i += 2) {
        const auto pair = static_cast<unsigned char>((FText[i] - '0') * 10 + (FText[i + 1] - '0'));
        FSymbols.push_back(SymbolValue(CodeC, pair));
    }
}

// ---------------------------------------------------------------------------
// Segment list

const TZanCode128Segment& TZanCode128SegmentList::GetItem(int index) const {
    if (index < 0 || index >= GetCount())
        throw platform::EListError("List index out of bounds (%d)", {std::int64_t{index}});
    return *FItems[static_cast<std::size_t>(index)];
}

void TZanCode128SegmentList::SetCaption(const std::string& value) {
    // Parsed aside and adopted only as a whole, so a rejected caption changes nothing.
    std::vector<std::unique_ptr<TZanCode128Segment>> items;
    const auto add = [&items](TZanCode128CharSet set, TZanCode128ShiftType type, int startCodeValue, int position) {
        items.push_back(
            std::unique_ptr<TZanCode128Segment>(new TZanCode128Segment(set, type, startCodeValue, position)));
    };
    const auto shiftWithoutData = [](const TZanCode128Segment& shifted) {
        return EInvalidText("Invalid Character Set shift to %s: a data character must follow the shift.",
                            {CharSetName(shifted.GetCharSet())});
    };

    if (!value.empty()) {
        const TZanCode128CharSet startSet = FCode128.GetCharacterSet();
        add(startSet, stStart, StartSymbols[startSet], 1);
        TZanCode128CharSet resumeSet = startSet;  // where a shifted character returns to
        for (const char c : value) {
            TZanCode128Segment& current = *items.back();
            // A shift segment holds exactly one character: it is open only until that comes.
            const bool awaitsShifted = current.GetShiftType() == stShift;
            if (IsShift(c) || IsSetChange(c)) {
                if (awaitsShifted) throw shiftWithoutData(current);
                const TZanCode128CharSet target = TargetSet(c);
                const int introducer = SymbolValue(current.GetCharSet(), static_cast<unsigned char>(c));
                if (introducer == NoSymbol)
                    throw EInvalidText(IsShift(c) ? "Invalid Character Set shift from %s to %s."
                                                  : "Invalid Character Set switch from %s to %s.",
                                       {CharSetName(current.GetCharSet()), CharSetName(target)});
                current.Finish();
                if (IsShift(c)) resumeSet = current.GetCharSet();
                add(target, IsShift(c) ? stShift : stCode, introducer, current.GetNextPosition());
            } else {
                current.Append(c);
                if (awaitsShifted) add(resumeSet, stUnshift, 0, current.GetNextPosition());
            }
        }
        if (items.back()->GetShiftType() == stShift) throw shiftWithoutData(*items.back());
        items.back()->Finish();
    }
    FItems = std::move(items);
}

std::string TZanCode128SegmentList::GetCaption() const {
    std::string caption;
    for (const auto& segment : FItems) caption.append(segment->GetStartCode()).append(segment->GetCaption());
    return caption;
}

int TZanCode128SegmentList::GetCheckCharacter() const {
    std::int64_t sum = 0;
    for (const auto& segment : FItems) sum += segment->GetCheckSum();
    return static_cast<int>(sum % 103);
}

std::int64_t TZanCode128SegmentList::GetSymbolCount() const {
    std::int64_t count = 0;
    for (const auto& segment : FItems)
        count += (segment->GetStartCodeValue() > 0 ? 1 : 0) + static_cast<std::int64_t>(segment->GetSymbols().size());
    return count;
}

// ---------------------------------------------------------------------------
// Symbology

const platform::TPropList& TZanCode128::PublishedProperties() const {
    static const platform::TPropList properties = [this] {
        platform::TPropList list = TZanLinearSymbology::PublishedProperties();
        list.push_back(platform::WithDefault(
            platform::EnumerationProperty<TZanCode128>(
                "CharacterSet", {"CodeA", "CodeB", "CodeC"},
                [](const TZanCode128& s) { return static_cast<int>(s.GetCharacterSet()); },
                [](TZanCode128& s, int v) { s.SetCharacterSet(static_cast<TZanCode128CharSet>(v)); }),
            "CodeB"));
        list.push_back(
            platform::WithDefault(platform::BooleanProperty<TZanCode128>(
                                      "DisplayCaption", [](const TZanCode128& s) { return s.GetDisplayCaption(); },
                                      [](TZanCode128& s, bool v) { s.SetDisplayCaption(v); }),
                                  "True"));
        return list;
    }();
    return properties;
}

void TZanCode128::ValidateText(std::string& text) {
    TZanCode128SegmentList parse(*this);
    parse.SetCaption(text);
    FAcceptedText = text;
}

std::string TZanCode128::GetDrawnCaption() const {
    return GetParent() != nullptr ? GetRendererCaption() : FAcceptedText;
}

const TZanCode128SegmentList& TZanCode128::GetSegments() const {
    // The renderer stores its first caption without validating it and defers validation
    // inside an update, so the drawn caption is parsed here, whenever it or the start
    // set is not the one parsed last.
    const std::string caption = GetDrawnCaption();
    if (caption == FParsedCaption && FCharacterSet == FParsedSet) return FSegments;
    try {
        FSegments.SetCaption(caption);
        FParseFault.clear();
    } catch (const EInvalidText& e) {
        FSegments.Clear();
        FParseFault = e.Message();
    }
    FParsedCaption = caption;
    FParsedSet = FCharacterSet;
    return FSegments;
}

std::string TZanCode128::GetCaption() {
    std::string caption;
    for (const auto& segment : GetSegments()) caption += segment->GetText();
    return caption;
}

int TZanCode128::GetCodeWidth() {
    const std::int64_t modules = SymbolModules * (GetSegments().GetSymbolCount() + 1) + StopModules;  // + check, stop
    return ModulesToPixels(modules);
}

void TZanCode128::Paint() {
    (void)GetPaintCanvas();  // a missing canvas is reported before a caption fault
    const TZanCode128SegmentList& segments = GetSegments();
    // Only a caption set while validation waits for the end of an update gets here.
    if (!FParseFault.empty()) throw EInvalidText(FParseFault);
    BeginCode(FDisplayCaption);
    for (const auto& segment : segments) {
        // A segment that resumes the set before a shift has no introducing symbol.
        if (segment->GetStartCodeValue() > 0) DrawChar(WidthsOf(segment->GetStartCodeValue()));
        for (int value : segment->GetSymbols()) DrawChar(WidthsOf(value));
    }
    DrawChar(WidthsOf(segments.GetCheckCharacter()));
    DrawChar(StopWidths);
}

void TZanCode128::DrawChar(TModuleWidths widths) { DrawElements(widths); }

void TZanCode128::SetCharacterSet(TZanCode128CharSet value) {
    if (value > CodeC) throw EZanBarcodeError("Invalid Character Set: %d", {std::int64_t{value}});
    if (value == FCharacterSet) return;
    FCharacterSet = value;
    // The segments must never hold text that their set cannot encode: parse again in
    // the new set, and let a caption that does not fit fall back to the default one.
    if (GetParent() != nullptr) {
        RevalidateParentCaption();
        return;
    }
    std::string text = FAcceptedText;
    try {
        ValidateText(text);
    } catch (const EInvalidText&) {
        FAcceptedText = GetDefaultCaption();
    }
}

void TZanCode128::SetDisplayCaption(bool value) {
    if (value == FDisplayCaption) return;
    FDisplayCaption = value;
    UpdateParent();
}

}  // namespace zan
