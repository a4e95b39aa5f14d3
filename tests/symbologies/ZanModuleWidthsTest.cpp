// The conversions of the standards' pattern notations into bar and space widths.
#include <zanbarcode/symbologies/ZanModuleWidths.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

namespace {

using zan::TElementRun;
using zan::TElementWidths;
using zan::platform::EConvertError;

// Each expectation is written out from the standard's table in its other notation (the
// bar and space widths that its figures show), not computed.

TEST(ZanModuleWidthsTest, NarrowWidePatternsGiveOneModuleAndTheWideWidth) {
    // ISO/IEC 16388 (Code 39): `*` is NWNNWNWNN, A is WNNNNWNNW; ratio 3:1.
    constexpr auto star = zan::WidthsFromNarrowWide<9>("NWNNWNWNN", 3);
    constexpr auto a = zan::WidthsFromNarrowWide<9>("WNNNNWNNW", 3);
    EXPECT_EQ(star, (TElementWidths<9>{1, 3, 1, 1, 3, 1, 3, 1, 1}));
    EXPECT_EQ(a, (TElementWidths<9>{3, 1, 1, 1, 1, 3, 1, 1, 3}));
    // ISO/IEC 16390 (Interleaved 2 of 5): 0 is NNWWN; a ratio of 2:1 gives wide elements of 2.
    constexpr auto zero = zan::WidthsFromNarrowWide<5>("NNWWN", 2);
    EXPECT_EQ(zero, (TElementWidths<5>{1, 1, 2, 2, 1}));
}

TEST(ZanModuleWidthsTest, WidthDigitsAreTheWidths) {
    // ISO/IEC 15417, Table 1 (Code 128): value 0 is 212222, Start B 211214, the stop 2331112.
    constexpr auto value0 = zan::WidthsFromDigits<6>("212222");
    constexpr auto startB = zan::WidthsFromDigits<6>("211214");
    constexpr auto stop = zan::WidthsFromDigits<7>("2331112");
    EXPECT_EQ(value0, (TElementWidths<6>{2, 1, 2, 2, 2, 2}));
    EXPECT_EQ(startB, (TElementWidths<6>{2, 1, 1, 2, 1, 4}));
    EXPECT_EQ(stop, (TElementWidths<7>{2, 3, 3, 1, 1, 1, 2}));
    EXPECT_EQ(zan::ModuleCount(stop), 13);
}

TEST(ZanModuleWidthsTest, ModuleStringsGiveTheirRunsAndTheColourOfTheFirst) {
    struct TCase {
        std::string_view Modules;
        TElementRun<4> Run;
    };
    // ISO/IEC 15420 (EAN/UPC): digit 0 in number sets A, B and C, and digit 6 in set C,
    // with the element widths the standard gives for them.
    const TCase cases[] = {
        {.Modules = "0001101", .Run = {.Widths = {3, 2, 1, 1}, .StartsWithBar = false}},
        {.Modules = "0100111", .Run = {.Widths = {1, 1, 2, 3}, .StartsWithBar = false}},
        {.Modules = "1110010", .Run = {.Widths = {3, 2, 1, 1}, .StartsWithBar = true}},
        {.Modules = "1010000", .Run = {.Widths = {1, 1, 1, 4}, .StartsWithBar = true}},
    };
    for (const TCase& c : cases) EXPECT_EQ(zan::RunFromModules<4>(c.Modules), c.Run) << c.Modules;
    // Guards: the normal guard 101 starts with a bar, the centre guard 01010 with a space.
    constexpr auto normalGuard = zan::RunFromModules<3>("101");
    constexpr auto centreGuard = zan::RunFromModules<5>("01010");
    EXPECT_EQ(normalGuard, (TElementRun<3>{.Widths = {1, 1, 1}, .StartsWithBar = true}));
    EXPECT_EQ(centreGuard, (TElementRun<5>{.Widths = {1, 1, 1, 1, 1}, .StartsWithBar = false}));
}

TEST(ZanModuleWidthsTest, NumberSetsBAndCFollowFromSetA) {
    // ISO/IEC 15420 defines set C as the complement of set A and set B as set C read
    // from the right: for digit 0, A 0001101, C 1110010, B 0100111.
    constexpr auto setA = zan::RunFromModules<4>("0001101");
    constexpr auto setC = zan::Complemented(setA);
    constexpr auto setB = zan::Reversed(setC);
    EXPECT_EQ(setC, (TElementRun<4>{.Widths = {3, 2, 1, 1}, .StartsWithBar = true}));
    EXPECT_EQ(setB, (TElementRun<4>{.Widths = {1, 1, 2, 3}, .StartsWithBar = false}));
    // An odd number of elements ends with the kind it starts with: the add-on start 1011
    // read from the right is 1101, still from a bar.
    constexpr auto addOnStart = zan::RunFromModules<3>("1011");
    EXPECT_EQ(zan::Reversed(addOnStart), (TElementRun<3>{.Widths = {2, 1, 1}, .StartsWithBar = true}));
}

TEST(ZanModuleWidthsTest, TablesAreConvertedRowByRow) {
    constexpr std::array<std::string_view, 3> rows = {"NNW", "WNN", "NWN"};
    constexpr auto widths =
        zan::ConvertTable(rows, [](std::string_view row) { return zan::WidthsFromNarrowWide<3>(row, 3); });
    EXPECT_EQ(widths[0], (TElementWidths<3>{1, 1, 3}));
    EXPECT_EQ(widths[1], (TElementWidths<3>{3, 1, 1}));
    EXPECT_EQ(widths[2], (TElementWidths<3>{1, 3, 1}));
}

TEST(ZanModuleWidthsTest, MalformedPatternsAreRefused) {
    // In a table these stop the compilation; called at run time they raise.
    const std::string tooShort = "NWNNWNWN";
    const std::string foreignLetter = "NWNNXNWNN";
    EXPECT_THROW(zan::WidthsFromNarrowWide<9>(tooShort, 3), EConvertError);
    EXPECT_THROW(zan::WidthsFromNarrowWide<9>(foreignLetter, 3), EConvertError);
    const std::string zeroWidth = "210222";
    EXPECT_THROW(zan::WidthsFromDigits<6>(zeroWidth), EConvertError);
    EXPECT_THROW(zan::WidthsFromDigits<6>(std::string("21222")), EConvertError);
    const std::string sixRuns = "0101101";
    EXPECT_THROW(zan::RunFromModules<4>(sixRuns), EConvertError);
    EXPECT_THROW(zan::RunFromModules<4>(std::string("0001111")), EConvertError);  // two runs
    EXPECT_THROW(zan::RunFromModules<4>(std::string("0002101")), EConvertError);
    EXPECT_THROW(zan::RunFromModules<4>(std::string()), EConvertError);
}

}  // namespace
