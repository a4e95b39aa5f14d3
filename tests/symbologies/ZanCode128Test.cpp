#include <zanbarcode/symbologies/ZanCode128.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "tests/support/SymbologyDrawing.h"
#include "tests/support/TestSupport.h"

namespace zan {
namespace {

// Test names of the table-driven cases, and how failures show them.
template <class TCase>
std::string CaseName(const testing::TestParamInfo<TCase>& caseInfo) {
    return caseInfo.param.Name;
}

template <class TCase>
requires requires(const TCase& c) { c.Name; }
void PrintTo(const TCase& c, std::ostream* os) { *os << c.Name; }

// ---------------------------------------------------------------------------
// Segmentation and check character. Symbol values are those of ISO/IEC 15417,
// Table 1 (A: ' ' = 0, 'A' = 33, NUL = 64; B: 'a' = 65; C: the pair's value); each
// check sum is written out term by term as the standard's rule gives it: start value
// plus every following symbol value times its position, modulo 103.

struct TSegmentExpectation {
    TZanCode128CharSet CharSet;
    TZanCode128ShiftType ShiftType;
    std::string Text;
    int Position;
    int StartCodeValue;
};

struct TParseCase {
    const char* Name;
    TZanCode128CharSet StartSet = CodeB;
    std::string Caption;
    std::vector<TSegmentExpectation> Segments;
    std::int64_t CheckSum = 0;
    int CheckCharacter = 0;
    std::string HumanReadable;
};

const std::vector<TParseCase> ParseCases = {
    {.Name = "TwoLettersInCodeB",
     .Caption = "AB",
     .Segments = {{CodeB, stStart, "AB", 1, 104}},
     .CheckSum = 104 + 33 * 1 + 34 * 2,
     .CheckCharacter = 102,
     .HumanReadable = "AB"},
    {.Name = "ChangeFromCodeBToCodeC",
     .Caption = "12\x84"
                "3456",
     .Segments = {{CodeB, stStart, "12", 1, 104}, {CodeC, stCode, "3456", 3, 99}},
     .CheckSum = 104 + 17 * 1 + 18 * 2 + 99 * 3 + 34 * 4 + 56 * 5,
     .CheckCharacter = 46,
     .HumanReadable = "123456"},
    {.Name = "ShiftToCodeAForOneCharacter",
     .Caption = "a\x80\x01"
                "b",
     .Segments = {{CodeB, stStart, "a", 1, 104}, {CodeA, stShift, "\x01", 2, 98}, {CodeB, stUnshift, "b", 4, 0}},
     .CheckSum = 104 + 65 * 1 + 98 * 2 + 65 * 3 + 66 * 4,
     .CheckCharacter = 0,
     .HumanReadable = "a\x01"
                      "b"},
    {.Name = "ShiftFromCodeAToCodeB",
     .StartSet = CodeA,
     .Caption = "A\x81"
                "aB",
     .Segments = {{CodeA, stStart, "A", 1, 103}, {CodeB, stShift, "a", 2, 98}, {CodeA, stUnshift, "B", 4, 0}},
     .CheckSum = 103 + 33 * 1 + 98 * 2 + 65 * 3 + 34 * 4,
     .CheckCharacter = 45,
     .HumanReadable = "AaB"},
    {.Name = "DefaultCaptionInCodeB",
     .Caption = "0123456789",
     .Segments = {{CodeB, stStart, "0123456789", 1, 104}},
     .CheckSum = 104 + 16 * 1 + 17 * 2 + 18 * 3 + 19 * 4 + 20 * 5 + 21 * 6 + 22 * 7 + 23 * 8 + 24 * 9 + 25 * 10,
     .CheckCharacter = 78,
     .HumanReadable = "0123456789"},
    {.Name = "DefaultCaptionInCodeC",
     .StartSet = CodeC,
     .Caption = "0123456789",
     .Segments = {{CodeC, stStart, "0123456789", 1, 105}},
     .CheckSum = 105 + 1 * 1 + 23 * 2 + 45 * 3 + 67 * 4 + 89 * 5,
     .CheckCharacter = 73,
     .HumanReadable = "0123456789"},
    {.Name = "OddCodeCTextPaddedInFront",
     .StartSet = CodeC,
     .Caption = "12345",
     .Segments = {{CodeC, stStart, "012345", 1, 105}},
     .CheckSum = 105 + 1 * 1 + 23 * 2 + 45 * 3,
     .CheckCharacter = 81,
     .HumanReadable = "012345"},
    {.Name = "OddCodeCTextPaddedBeforeSetChange",
     .StartSet = CodeC,
     .Caption = "123\x83"
                "A",
     .Segments = {{CodeC, stStart, "0123", 1, 105}, {CodeB, stCode, "A", 3, 100}},
     .CheckSum = 105 + 1 * 1 + 23 * 2 + 100 * 3 + 33 * 4,
     .CheckCharacter = 69,
     .HumanReadable = "0123A"},
    {.Name = "EvenCodeCTextBeforeChangeToCodeB",
     .StartSet = CodeC,
     .Caption = "12\x83"
                "x",
     .Segments = {{CodeC, stStart, "12", 1, 105}, {CodeB, stCode, "x", 2, 100}},
     .CheckSum = 105 + 12 * 1 + 100 * 2 + 88 * 3,
     .CheckCharacter = 66,
     .HumanReadable = "12x"},
    {.Name = "Gs1ApplicationIdentifier01",  // GTIN 09501101530003 behind FNC1
     .StartSet = CodeC,
     .Caption = "\x85"
                "0109501101530003",
     .Segments = {{CodeC, stStart,
                   "\x85"
                   "0109501101530003",
                   1, 105}},
     .CheckSum = 105 + 102 * 1 + 1 * 2 + 9 * 3 + 50 * 4 + 11 * 5 + 1 * 6 + 53 * 7 + 0 * 8 + 3 * 9,
     .CheckCharacter = 71,
     .HumanReadable = "\x85"
                      "0109501101530003"},
    {.Name = "Fnc1BetweenCodeCPairs",
     .StartSet = CodeC,
     .Caption = "12\x85"
                "34",
     .Segments = {{CodeC, stStart,
                   "12\x85"
                   "34",
                   1, 105}},
     .CheckSum = 105 + 12 * 1 + 102 * 2 + 34 * 3,
     .CheckCharacter = 11,
     .HumanReadable = "12\x85"
                      "34"},
    {.Name = "OddCodeCRunAfterFnc1PaddedInFront",
     .StartSet = CodeC,
     .Caption = "\x85"
                "123",
     .Segments = {{CodeC, stStart,
                   "\x85"
                   "0123",
                   1, 105}},
     .CheckSum = 105 + 102 * 1 + 1 * 2 + 23 * 3,
     .CheckCharacter = 72,
     .HumanReadable = "\x85"
                      "0123"},
    {.Name = "ControlCharacterInCodeA",
     .StartSet = CodeA,
     .Caption = "A\r",
     .Segments = {{CodeA, stStart, "A\r", 1, 103}},
     .CheckSum = 103 + 33 * 1 + 77 * 2,
     .CheckCharacter = 84,
     .HumanReadable = "A\r"},
    {.Name = "CaretInCodeA",
     .StartSet = CodeA,
     .Caption = "^",
     .Segments = {{CodeA, stStart, "^", 1, 103}},
     .CheckSum = 103 + 62 * 1,
     .CheckCharacter = 62,
     .HumanReadable = "^"},
    {.Name = "CaretInCodeB",
     .Caption = "^",
     .Segments = {{CodeB, stStart, "^", 1, 104}},
     .CheckSum = 104 + 62 * 1,
     .CheckCharacter = 63,
     .HumanReadable = "^"},
    {.Name = "FunctionCharactersInCodeB",  // FNC2 97, FNC3 96, FNC4 100 in Code B
     .Caption = "\x86\x87\x88",
     .Segments = {{CodeB, stStart, "\x86\x87\x88", 1, 104}},
     .CheckSum = 104 + 97 * 1 + 96 * 2 + 100 * 3,
     .CheckCharacter = 75,
     .HumanReadable = "\x86\x87\x88"},
    {.Name = "Fnc4InCodeA",  // FNC4 is 101 in Code A
     .StartSet = CodeA,
     .Caption = "\x88",
     .Segments = {{CodeA, stStart, "\x88", 1, 103}},
     .CheckSum = 103 + 101 * 1,
     .CheckCharacter = 101,
     .HumanReadable = "\x88"},
    {.Name = "EmptyCaption", .Caption = "", .Segments = {}, .CheckSum = 0, .CheckCharacter = 0, .HumanReadable = ""},
};

class Code128Parse : public testing::TestWithParam<TParseCase> {};

TEST_P(Code128Parse, SegmentsPositionsAndCheckCharacter) {
    const TParseCase& c = GetParam();
    TZanCode128 code;
    code.SetCharacterSet(c.StartSet);
    std::string text = c.Caption;
    code.ValidateText(text);
    EXPECT_EQ(text, c.Caption) << "the caption is never rewritten";

    const TZanCode128SegmentList& segments = code.GetSegments();
    ASSERT_EQ(segments.GetCount(), static_cast<int>(c.Segments.size()));
    std::int64_t checkSum = 0;
    for (int i = 0; i < segments.GetCount(); ++i) {
        const TZanCode128Segment& segment = segments.GetItem(i);
        const TSegmentExpectation& expected = c.Segments[static_cast<std::size_t>(i)];
        EXPECT_EQ(segment.GetCharSet(), expected.CharSet) << "segment " << i;
        EXPECT_EQ(segment.GetShiftType(), expected.ShiftType) << "segment " << i;
        EXPECT_EQ(segment.GetText(), expected.Text) << "segment " << i;
        EXPECT_EQ(segment.GetPosition(), expected.Position) << "segment " << i;
        EXPECT_EQ(segment.GetStartCodeValue(), expected.StartCodeValue) << "segment " << i;
        checkSum += segment.GetCheckSum();
    }
    EXPECT_EQ(checkSum, c.CheckSum);
    EXPECT_EQ(c.CheckSum % 103, c.CheckCharacter) << "the expectation itself";
    EXPECT_EQ(code.GetCheckCharacter(), c.CheckCharacter);
    EXPECT_EQ(code.GetCaption(), c.HumanReadable);
}

INSTANTIATE_TEST_SUITE_P(Code128, Code128Parse, testing::ValuesIn(ParseCases), CaseName<TParseCase>);

TEST(Code128Segments, CodeCPairsAndFnc1AreOneSymbolEach) {
    TZanCode128 code;
    code.SetCharacterSet(CodeC);
    std::string text =
        "12\x85"
        "3456";
    code.ValidateText(text);
    ASSERT_EQ(code.GetSegments().GetCount(), 1);
    EXPECT_EQ(code.GetSegments().GetItem(0).GetSymbols(), (std::vector<int>{12, 102, 34, 56}));
}

TEST(Code128Segments, DiagnosticCaptionShowsIntroducingPatterns) {
    TZanCode128 code;
    std::string text =
        "a\x80\x01"
        "b\x88";
    code.ValidateText(text);
    // Start B (211214), then Shift (411311); the unshifted segment has no symbol of its
    // own; characters from 128 up (FNC4 here) are left out.
    EXPECT_EQ(code.GetSegments().GetCaption(),
              "211214a411311\x01"
              "b");
}

TEST(Code128Segments, ItemOutsideTheListIsAnError) {
    TZanCode128 code;
    std::string text = "AB";
    code.ValidateText(text);
    EXPECT_THROW(code.GetSegments().GetItem(1), zan::platform::EListError);
    EXPECT_THROW(code.GetSegments().GetItem(-1), zan::platform::EListError);
}

// ---------------------------------------------------------------------------
// Rejected captions

struct TRejectionCase {
    const char* Name;
    TZanCode128CharSet StartSet = CodeB;
    std::string Caption;
    std::string Message;
};

const std::vector<TRejectionCase> RejectionCases = {
    {.Name = "LetterInCodeC",
     .StartSet = CodeC,
     .Caption = "A1",
     .Message = "Invalid Character for Code C Character Set: A"},
    {.Name = "LetterAfterDigitInCodeC",
     .StartSet = CodeC,
     .Caption = "1A",
     .Message = "Invalid Character for Code C Character Set: A"},
    {.Name = "Fnc2InCodeC",
     .StartSet = CodeC,
     .Caption = "12\x86",
     .Message = "Invalid Character for Code C Character Set: \x86"},
    {.Name = "ShiftFromCodeC",
     .StartSet = CodeC,
     .Caption = "12\x80"
                "A",
     .Message = "Invalid Character Set shift from Code C to Code A."},
    {.Name = "ShiftToTheCurrentSet",
     .Caption = "a\x81"
                "b",
     .Message = "Invalid Character Set shift from Code B to Code B."},
    {.Name = "ChangeToTheCurrentSet",
     .Caption = "a\x83"
                "b",
     .Message = "Invalid Character Set switch from Code B to Code B."},
    {.Name = "LowerCaseInCodeA",
     .StartSet = CodeA,
     .Caption = "Aa",
     .Message = "Invalid Character for Code A Character Set: a"},
    {.Name = "ControlCharacterInCodeB",
     .Caption = "A\x01",
     .Message = "Invalid Character for Code B Character Set: \x01"},
    {.Name = "Code137InCodeB", .Caption = "\x89", .Message = "Invalid Character for Code B Character Set: \x89"},
    {.Name = "Code255InCodeA",
     .StartSet = CodeA,
     .Caption = "\xFF",
     .Message = "Invalid Character for Code A Character Set: \xFF"},
    // The first fault in caption order is the one reported.
    {.Name = "CharacterBeforeSetChange",
     .Caption = "\x01\x83",
     .Message = "Invalid Character for Code B Character Set: \x01"},
    // A shift applies to the next data character; nothing else may come between.
    {.Name = "ShiftFollowedBySetChange",
     .Caption = "1\x80\x84"
                "23",
     .Message = "Invalid Character Set shift to Code A: a data character must follow the shift."},
    {.Name = "ShiftFollowedByShift",
     .Caption = "1\x80\x81"
                "a",
     .Message = "Invalid Character Set shift to Code A: a data character must follow the shift."},
    {.Name = "ShiftAtTheEnd",
     .Caption = "ab\x80",
     .Message = "Invalid Character Set shift to Code A: a data character must follow the shift."},
    {.Name = "OddDigitsBeforeFnc1",
     .StartSet = CodeC,
     .Caption = "123\x85"
                "45",
     .Message = "Invalid Character for Code C Character Set: FNC1 after an odd number of digits"},
};

class Code128Rejection : public testing::TestWithParam<TRejectionCase> {};

TEST_P(Code128Rejection, RaisesTheMessageAndKeepsTheSegments) {
    const TRejectionCase& c = GetParam();
    TZanCode128 code;
    code.SetCharacterSet(c.StartSet);
    std::string previous = c.StartSet == CodeC ? "42" : "AB";
    code.ValidateText(previous);
    const std::string previousCaption = code.GetCaption();
    const int previousCheck = code.GetCheckCharacter();

    std::string text = c.Caption;
    EXPECT_EQ(zantest::RejectionMessage(code, text), c.Message);
    EXPECT_EQ(code.GetCaption(), previousCaption);
    EXPECT_EQ(code.GetCheckCharacter(), previousCheck);
    EXPECT_EQ(code.GetSegments().GetCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Code128, Code128Rejection, testing::ValuesIn(RejectionCases), CaseName<TRejectionCase>);

// Captions built from bytes that matter to the parse: whatever comes out is either a
// rejection or segments whose every symbol has a pattern, and painting them stays
// inside the tables (checked by the sanitizer build).
TEST(Code128Robustness, AnyCaptionParsesOrIsRejected) {
    std::string alphabet = "09Aa^ \x01\x1F\x7F\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\xFF";
    alphabet += '\0';
    std::mt19937 random(128);  // fixed seed: the same captions on every run
    zantest::TSymbologyDrawing<TZanCode128> drawing(96, {0, 0, 400, 40});
    TZanCode128& code = *drawing.Symbology;
    int accepted = 0;
    for (int i = 0; i < 1500; ++i) {
        std::string caption;
        const std::size_t length = random() % 10;
        for (std::size_t k = 0; k < length; ++k) caption += alphabet[random() % alphabet.size()];
        code.SetCharacterSet(static_cast<TZanCode128CharSet>(random() % 3));
        std::string text = caption;
        try {
            code.ValidateText(text);
            ++accepted;
        } catch (const EInvalidText&) {
            continue;
        }
        drawing.Renderer.SetCaption(caption);
        ASSERT_EQ(drawing.Renderer.GetCaption(), caption);
        for (const auto& segment : code.GetSegments())
            for (int value : segment->GetSymbols()) ASSERT_TRUE(value >= 0 && value <= 102) << caption;
        drawing.Renderer.Paint();
    }
    EXPECT_GT(accepted, 100) << "the alphabet should give many valid captions";
}

// ---------------------------------------------------------------------------
// Character set property

TEST(Code128CharacterSet, ParsesTheCaptionAgainInTheNewSet) {
    TZanCode128 code;
    std::string text = "0123456789";
    code.ValidateText(text);
    code.SetCharacterSet(CodeC);
    ASSERT_EQ(code.GetSegments().GetCount(), 1);
    EXPECT_EQ(code.GetSegments().GetItem(0).GetCharSet(), CodeC);
    EXPECT_EQ(code.GetSegments().GetItem(0).GetSymbols(), (std::vector<int>{1, 23, 45, 67, 89}));
    EXPECT_EQ(code.GetCheckCharacter(), 73);  // as for "0123456789" parsed in Code C above
}

TEST(Code128CharacterSet, CaptionThatDoesNotFitFallsBackToTheDefault) {
    TZanCode128 code;
    std::string text = "abc";
    code.ValidateText(text);
    code.SetCharacterSet(CodeA);  // no lower case in Code A
    EXPECT_EQ(code.GetCaption(), "0123456789");
    EXPECT_EQ(code.GetSegments().GetItem(0).GetCharSet(), CodeA);

    text = "12345";
    code.ValidateText(text);
    code.SetCharacterSet(CodeC);  // "12345" becomes "012345" in Code C ...
    EXPECT_EQ(code.GetCaption(), "012345");
    code.SetCharacterSet(CodeB);  // ... and is parsed from the caption, not the padded text
    EXPECT_EQ(code.GetCaption(), "12345");
}

TEST(Code128CharacterSet, RendererFallsBackToTheDefaultCaptionAndNotifies) {
    TZanBarcodeRenderer renderer;
    renderer.SetSymbology(std::make_unique<TZanCode128>());
    auto& code = static_cast<TZanCode128&>(*renderer.GetSymbology());
    renderer.SetCaption("abc");
    int notifications = 0;
    renderer.SetOnVisualChange([&notifications](zan::platform::TPersistent*) { ++notifications; });

    code.SetCharacterSet(CodeC);
    EXPECT_EQ(renderer.GetCaption(), "0123456789");
    EXPECT_EQ(code.GetSegments().GetItem(0).GetCharSet(), CodeC);
    EXPECT_EQ(code.GetCheckCharacter(), 73);
    EXPECT_GE(notifications, 1);

    notifications = 0;
    code.SetCharacterSet(CodeC);
    EXPECT_EQ(notifications, 0) << "the same value changes nothing";
}

TEST(Code128CharacterSet, ValueOutsideTheEnumerationIsRefused) {
    TZanCode128 code;
    EXPECT_THROW(code.SetCharacterSet(static_cast<TZanCode128CharSet>(3)), EZanBarcodeError);
    EXPECT_EQ(code.GetCharacterSet(), CodeB);
}

TEST(Code128Properties, PublishedInOrderWithTheirDefaults) {
    TZanCode128 code;
    std::vector<std::string> names;
    for (const zan::platform::TPropInfo& p : code.PublishedProperties()) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"XDimension", "CharacterSet", "DisplayCaption"}));

    const zan::platform::TPropInfo* set = code.FindProperty("CharacterSet");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->GetValue(code), "CodeB");
    EXPECT_FALSE(set->ShouldStore(code));
    set->SetValue(code, "codec");
    EXPECT_EQ(code.GetCharacterSet(), CodeC);
    EXPECT_TRUE(set->ShouldStore(code));

    const zan::platform::TPropInfo* display = code.FindProperty("DisplayCaption");
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->GetValue(code), "True");
    display->SetValue(code, "False");
    EXPECT_FALSE(code.GetDisplayCaption());
}

// ---------------------------------------------------------------------------
// Width: 11 modules a symbol (start, data, check), 13 for the stop pattern.

struct TWidthCase {
    const char* Name;
    TZanCode128CharSet StartSet = CodeB;
    std::string Caption;
    int Modules;
};

const std::vector<TWidthCase> WidthCases = {
    {.Name = "DefaultInCodeB", .Caption = "0123456789", .Modules = 11 + 10 * 11 + 11 + 13},
    {.Name = "DefaultInCodeC", .StartSet = CodeC, .Caption = "0123456789", .Modules = 11 + 5 * 11 + 11 + 13},
    {.Name = "Empty", .Caption = "", .Modules = 11 + 13},
    {.Name = "ShiftAndChange",  // start a shift 0x01 b change 12 = 7 symbols
     .Caption = "a\x80\x01"
                "b\x84"
                "12",
     .Modules = 7 * 11 + 11 + 13},
};

class Code128Width : public testing::TestWithParam<TWidthCase> {};

TEST_P(Code128Width, ElevenModulesASymbolAndThirteenForStop) {
    const TWidthCase& c = GetParam();
    TZanCode128 code;  // no renderer: one pixel a module
    code.SetCharacterSet(c.StartSet);
    std::string text = c.Caption;
    code.ValidateText(text);
    EXPECT_EQ(code.GetCodeWidth(), c.Modules);
}

INSTANTIATE_TEST_SUITE_P(Code128, Code128Width, testing::ValuesIn(WidthCases), CaseName<TWidthCase>);

TEST(Code128Width, FollowsTheModuleWidthOfTheCanvas) {
    zantest::TSymbologyDrawing<TZanCode128> drawing(300);
    drawing.Renderer.SetCaption("0123456789");
    EXPECT_EQ(drawing.Symbology->GetCodeWidth(), 3 * 145);  // 10 mils at 300 dpi: 3 pixels
}

// ---------------------------------------------------------------------------
// Readers on a renderer: each sees the parse of the renderer's caption as it stands
// (stored without validation by a new renderer, or waiting for the end of an update),
// and none of them changes what another reads.

// What each public reader of Code 128 answers, written out.
struct TReader {
    const char* Name;
    std::function<std::string(TZanCode128&)> Read;
};

const std::vector<TReader> Readers = {
    {"check character", [](TZanCode128& c) { return std::to_string(c.GetCheckCharacter()); }},
    {"segments",
     [](TZanCode128& c) {
         std::string texts;
         for (const auto& segment : c.GetSegments()) texts += "[" + segment->GetText() + "]";
         return texts;
     }},
    {"diagnostic caption", [](TZanCode128& c) { return c.GetSegments().GetCaption(); }},
    {"caption", [](TZanCode128& c) { return c.GetCaption(); }},
    {"code width", [](TZanCode128& c) { return std::to_string(c.GetCodeWidth()); }},
};

struct TReaderCase {
    const char* Name;
    std::function<void(TZanBarcodeRenderer&)> Prepare;
    std::vector<std::string> Answers;  // in the order of Readers
};

const std::vector<TReaderCase> ReaderCases = {
    // The default caption, as in DefaultCaptionInCodeB above: Start B (211214), ten
    // symbols, check 78, stop; 145 modules of 1 pixel without canvas.
    {.Name = "NewRenderer",
     .Prepare = [](TZanBarcodeRenderer&) {},
     .Answers = {"78", "[0123456789]", "2112140123456789", "0123456789", "145"}},
    // "AB" as in TwoLettersInCodeB, waiting inside an update: 4 symbols of 11 and the stop.
    {.Name = "CaptionWaitingForValidation",
     .Prepare =
         [](TZanBarcodeRenderer& r) {
             r.BeginUpdate();
             r.SetCaption("AB");
         },
     .Answers = {"102", "[AB]", "211214AB", "AB", std::to_string(4 * 11 + 13)}},
    // A caption that cannot be encoded has no segments; what is left is check 0 and stop.
    {.Name = "CaptionThatCannotBeEncoded",
     .Prepare =
         [](TZanBarcodeRenderer& r) {
             r.BeginUpdate();
             r.SetCaption("AB\xFF");
         },
     .Answers = {"0", "", "", "", std::to_string(11 + 13)}},
    {.Name = "StartSetChangedInsideAnUpdate",
     .Prepare =
         [](TZanBarcodeRenderer& r) {
             r.BeginUpdate();
             static_cast<TZanCode128&>(*r.GetSymbology()).SetCharacterSet(CodeC);
         },
     // DefaultCaptionInCodeC: Start C (211232), five pairs, check 73.
     .Answers = {"73", "[0123456789]", "2112320123456789", "0123456789", std::to_string(7 * 11 + 13)}},
};

class Code128Readers : public testing::TestWithParam<TReaderCase> {};

TEST_P(Code128Readers, SeeTheCurrentCaptionInWhateverOrderTheyAreCalled) {
    const TReaderCase& c = GetParam();
    RegisterBarcodeSymbologies();
    std::vector<std::size_t> order(Readers.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    do {  // every order of the readers, each on a renderer that no one read before
        TZanBarcodeRenderer renderer;
        ASSERT_EQ(renderer.GetSymbologyName(), "Code 128");
        c.Prepare(renderer);
        auto& code = static_cast<TZanCode128&>(*renderer.GetSymbology());
        for (std::size_t i : order) {
            EXPECT_EQ(Readers[i].Read(code), c.Answers[i]) << Readers[i].Name << ", read as number " << i;
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

INSTANTIATE_TEST_SUITE_P(Code128, Code128Readers, testing::ValuesIn(ReaderCases), CaseName<TReaderCase>);

TEST(Code128Readers, ACaptionThatCannotBeEncodedIsNotPainted) {
    zantest::TSymbologyDrawing<TZanCode128> drawing;
    drawing.Renderer.BeginUpdate();
    drawing.Renderer.SetCaption("AB\xFF");
    EXPECT_EQ(zantest::MessageOf([&] { drawing.Renderer.Paint(); }),
              "Invalid Character for Code B Character Set: \xFF");
    drawing.Renderer.EndUpdate();
    EXPECT_EQ(drawing.Renderer.GetCaption(), "0123456789");
    drawing.Renderer.Paint();
}

// ---------------------------------------------------------------------------
// Symbols drawn, read back from SVG output as module widths and compared with the
// patterns of ISO/IEC 15417, Table 1, written out here by hand.

const std::string StartA = "211412";   // 103
const std::string StartB = "211214";   // 104
const std::string StartC = "211232";   // 105
const std::string Shift = "411311";    // 98
const std::string ToCodeA = "311141";  // 101
const std::string ToCodeC = "113141";  // 99
const std::string FNC1 = "411131";     // 102
const std::string FNC2 = "411113";     // 97
const std::string FNC3 = "114311";     // 96
const std::string Stop = "2331112";

// Module widths of the bars and spaces in an SVG written by zanbarcode, whose first
// rectangle is the background and every further one a bar or a space, alternating
// from a bar. Empty with a failure when the colours do not alternate.
std::string ModulesFromSvg(const std::string& svg, int moduleWidth) {
    const std::vector<zantest::TSvgRect> rects = zantest::ReadSvgRects(svg);
    std::string modules;
    for (std::size_t i = 1; i < rects.size(); ++i) {
        const bool isBar = i % 2 == 1;
        EXPECT_EQ(rects[i].Fill, isBar ? "#000000" : "#FFFFFF") << "element " << i;
        EXPECT_EQ(rects[i].Width % moduleWidth, 0) << "element " << i;
        modules += std::to_string(rects[i].Width / moduleWidth);
    }
    return modules;
}

struct TSymbolCase {
    const char* Name;
    std::string CharacterSet = "CodeB";
    std::string Caption;  // with zanbarcode's escapes
    std::string Modules;
};

const std::vector<TSymbolCase> SymbolCases = {
    {.Name = "DefaultInCodeB",
     .Caption = "0123456789",
     .Modules = StartB + "123122" /* 0 */ + "123221" /* 1 */ + "223211" /* 2 */ + "221132" /* 3 */ + "221231" /* 4 */ +
                "213212" /* 5 */ + "223112" /* 6 */ + "312131" /* 7 */ + "311222" /* 8 */ + "321122" /* 9 */ +
                "241112" /* check 78 */ + Stop},
    {.Name = "DefaultInCodeC",
     .CharacterSet = "CodeC",
     .Caption = "0123456789",
     .Modules = StartC + "222122" /* 01 */ + "312131" /* 23 */ + "113123" /* 45 */ + "141122" /* 67 */ +
                "212141" /* 89 */ + "142112" /* check 73 */ + Stop},
    {.Name = "ShiftToCodeA",
     .Caption = "a\\x80\\x01b",
     .Modules = StartB + "121124" /* a */ + Shift + "121124" /* SOH in A */ + "121421" /* b */ +
                "212222" /* check 0 */ + Stop},
    {.Name = "ChangeToCodeC",
     .Caption = "12\\x843456",
     .Modules = StartB + "123221" /* 1 */ + "223211" /* 2 */ + ToCodeC + "131123" /* 34 */ + "331121" /* 56 */ +
                "113321" /* check 46 */ + Stop},
    {.Name = "ChangeFromCodeCToCodeA",  // 105 + 12 + 101*2 + 73*3 = 538, check 23
     .CharacterSet = "CodeC",
     .Caption = "12\\x82\\x09",
     .Modules = StartC + "112232" /* 12 */ + ToCodeA + "142112" /* HT in A */ + "312131" /* check 23 */ + Stop},
    {.Name = "Fnc2AndFnc3",  // 104 + 33 + 97*2 + 96*3 = 619, check 1
     .Caption = "A\\x86\\x87",
     .Modules = StartB + "111323" /* A */ + FNC2 + FNC3 + "222122" /* check 1 */ + Stop},
    {.Name = "Gs1",
     .CharacterSet = "CodeC",
     .Caption = "\\x850109501101530003",
     .Modules = StartC + FNC1 + "222122" /* 01 */ + "221213" /* 09 */ + "231131" /* 50 */ + "231212" /* 11 */ +
                "222122" /* 01 */ + "213131" /* 53 */ + "212222" /* 00 */ + "121223" /* 03 */ +
                "122114" /* check 71 */ + Stop},
    {.Name = "CodeA",
     .CharacterSet = "CodeA",
     .Caption = "^",
     .Modules = StartA + "431111" /* ^ = 62 */ + "431111" /* check 62 */ + Stop},
};

class Code128Symbols : public testing::TestWithParam<TSymbolCase> {};

TEST_P(Code128Symbols, ModulesMatchTheStandardPatterns) {
    const TSymbolCase& c = GetParam();
    const std::string svg = zantest::TestOutputDir(std::string("Code128Symbols") + c.Name) + "/code.svg";
    const zantest::TCommandResult result = zantest::RunZanbarcode(
        {"-e", "--set", "CharacterSet=" + c.CharacterSet, "--set", "DisplayCaption=false", "-o", svg, c.Caption});
    ASSERT_EQ(result.ExitStatus, 0) << result.Errors;
    EXPECT_EQ(ModulesFromSvg(zantest::ReadFile(svg), 1), c.Modules);  // 96 dpi: one pixel a module
}

INSTANTIATE_TEST_SUITE_P(Code128, Code128Symbols, testing::ValuesIn(SymbolCases), CaseName<TSymbolCase>);

TEST(Code128Symbols, EmptyCaptionIsCheckAndStop) {
    TZanBarcodeRenderer renderer;
    renderer.SetSymbology(std::make_unique<TZanCode128>());
    static_cast<TZanCode128&>(*renderer.GetSymbology()).SetDisplayCaption(false);
    zan::platform::TMetafile metafile;
    renderer.SetCaption("");
    {
        zan::platform::TMetafileCanvas canvas(metafile, nullptr);
        renderer.SetCanvas(&canvas);
        renderer.SetBounds(0, 0, 40, 20);
        renderer.Paint();
        renderer.SetCanvas(nullptr);
    }
    EXPECT_EQ(ModulesFromSvg(metafile.ToSvg(), 1), "212222" /* check 0 */ + Stop);
}

TEST(Code128Symbols, BarsTakeTheFullHeightWithoutCaption) {
    for (const bool display : {true, false}) {
        zantest::TSymbologyDrawing<TZanCode128> drawing(96, {0, 0, 200, 60});
        drawing.Symbology->SetDisplayCaption(display);
        drawing.Renderer.SetCaption("0123456789");
        drawing.Renderer.Paint();
        // The start symbol's first bar is at x = 5 (the left margin); the paint area
        // ends at y = 55. The caption band takes the text height plus 2 pixels.
        zan::platform::TCanvas& canvas = drawing.Bitmap.GetCanvas();
        canvas.GetFont().Assign(drawing.Renderer.GetFont());
        const int fontHeight = canvas.TextHeight("0123456789");
        const int lastBarRow = display ? 55 - fontHeight - 2 - 1 : 54;
        EXPECT_EQ(drawing.Bitmap.GetPixel(5, lastBarRow), zantest::BarColor) << "display " << display;
        EXPECT_NE(drawing.Bitmap.GetPixel(5, lastBarRow + 1), zantest::BarColor) << "display " << display;
    }
}

// ---------------------------------------------------------------------------
// Scanner check: zbarimg decodes PNGs drawn by zanbarcode.

struct TScanCase {
    const char* Name;
    std::string CharacterSet = "CodeB";
    std::string Caption;  // with zanbarcode's escapes
    int Dpi = 96;
    int Orientation = 0;
    std::string Expected;  // as zbarimg prints it
};

const std::vector<TScanCase> ScanCases = {
    {.Name = "DefaultAt96", .Caption = "", .Dpi = 96, .Expected = "CODE-128:0123456789"},
    {.Name = "DefaultAt300Turned90", .Caption = "", .Dpi = 300, .Orientation = 90, .Expected = "CODE-128:0123456789"},
    {.Name = "CodeAAt600Turned180",
     .CharacterSet = "CodeA",
     .Caption = "HELLO\\x09WORLD",
     .Dpi = 600,
     .Orientation = 180,
     .Expected = "CODE-128:HELLO\tWORLD"},
    {.Name = "CodeCAt300Turned270",
     .CharacterSet = "CodeC",
     .Caption = "12345",
     .Dpi = 300,
     .Orientation = 270,
     .Expected = "CODE-128:012345"},
    {.Name = "ShiftsAndChanges",
     .Caption = "ab\\x80\\x09cd\\x84123456\\x82XY\\x81z",
     .Dpi = 300,
     .Expected = "CODE-128:ab\tcd123456XYz"},
    {.Name = "EveryCodeBCharacter",  // symbol values 0 to 95
     .Caption = " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\\\]^_`"
                "abcdefghijklmnopqrstuvwxyz{|}~\\x7F",
     .Dpi = 300,
     .Expected = "CODE-128: !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                 "abcdefghijklmnopqrstuvwxyz{|}~\x7F"},
    // zbarimg drops a leading FNC1 (it marks the symbol as GS1) and prints a later one as GS.
    {.Name = "Gs1",
     .CharacterSet = "CodeC",
     .Caption = "\\x850109501101530003",
     .Dpi = 300,
     .Expected = "CODE-128:0109501101530003"},
    {.Name = "Gs1WithTwoElements",
     .CharacterSet = "CodeC",
     .Caption = "\\x85101234\\x8521\\x83ABC",
     .Dpi = 600,
     .Orientation = 90,
     .Expected = "CODE-128:101234\x1D"
                 "21ABC"},
};

class Code128Scan : public testing::TestWithParam<TScanCase> {};

TEST_P(Code128Scan, ZbarDecodesTheCaption) {
    const TScanCase& c = GetParam();
    const std::string png = zantest::TestOutputDir(std::string("Code128Scan") + c.Name) + "/code.png";
    std::vector<std::string> arguments = {"-e",
                                          "--set",
                                          "CharacterSet=" + c.CharacterSet,
                                          "-r",
                                          std::to_string(c.Dpi),
                                          "--orientation",
                                          std::to_string(c.Orientation),
                                          "-o",
                                          png};
    if (!c.Caption.empty()) arguments.push_back(c.Caption);
    const zantest::TCommandResult result = zantest::RunZanbarcode(arguments);
    ASSERT_EQ(result.ExitStatus, 0) << result.Errors;
    EXPECT_EQ(zantest::ScanWithZbar(png), (std::vector<std::string>{c.Expected}));
}

INSTANTIATE_TEST_SUITE_P(Code128, Code128Scan, testing::ValuesIn(ScanCases), CaseName<TScanCase>);

TEST(Code128Scan, LeadingFnc1MarksTheSymbolAsGs1) {
    const std::string png = zantest::TestOutputDir("Code128ScanGs1Modifier") + "/code.png";
    ASSERT_EQ(
        zantest::RunZanbarcode({"-e", "--set", "CharacterSet=CodeC", "-r", "300", "-o", png, "\\x850109501101530003"})
            .ExitStatus,
        0);
    const zantest::TCommandResult gs1 = zantest::RunCommand({"zbarimg", "-q", "--xml", png});
    EXPECT_NE(gs1.Output.find("modifiers='GS1'"), std::string::npos) << gs1.Output;

    ASSERT_EQ(zantest::RunZanbarcode({"-r", "300", "-o", png}).ExitStatus, 0);
    const zantest::TCommandResult plain = zantest::RunCommand({"zbarimg", "-q", "--xml", png});
    EXPECT_NE(plain.Output.find("<symbol type='CODE-128'"), std::string::npos) << plain.Output;
    EXPECT_EQ(plain.Output.find("GS1"), std::string::npos) << plain.Output;
}

TEST(Code128Command, RejectedCaptionNamesTheFault) {
    const std::string png = zantest::TestOutputDir("Code128CommandRejected") + "/code.png";
    const zantest::TCommandResult result = zantest::RunZanbarcode({"--set", "CharacterSet=CodeC", "-o", png, "12A4"});
    EXPECT_EQ(result.ExitStatus, 1);
    EXPECT_NE(result.Errors.find("Invalid Character for Code C Character Set: A"), std::string::npos) << result.Errors;
}

}  // namespace
}  // namespace zan
