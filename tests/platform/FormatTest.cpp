#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {
namespace {

struct TFormatCase {
    std::string format;
    std::vector<TFormatArg> args;
    std::string expected;
};

// Expected texts written out by hand from the placeholder rules.
TEST(FormatTest, ReplacesPlaceholdersInOrder) {
    const TFormatCase cases[] = {
        {.format = "Invalid character: %s", .args = {std::string("*")}, .expected = "Invalid character: *"},
        {.format = "%d of %d", .args = {std::int64_t{3}, std::int64_t{12}}, .expected = "3 of 12"},
        {.format = "%d", .args = {std::int64_t{-42}}, .expected = "-42"},
        {.format = "100%%", .args = {}, .expected = "100%"},
        {.format = "%s%%%d", .args = {std::string("a"), std::int64_t{7}}, .expected = "a%7"},
        {.format = "no placeholders", .args = {}, .expected = "no placeholders"},
        {.format = "trailing %", .args = {}, .expected = "trailing %"},
        {.format = "", .args = {}, .expected = ""},
        // A string argument is inserted as it stands, placeholders inside it included.
        {.format = "[%s]", .args = {std::string("%d")}, .expected = "[%d]"},
        // Bytes above 127 pass through unchanged.
        {.format = "%s\xE9", .args = {std::string("\xC4")}, .expected = "\xC4\xE9"},
    };
    for (const TFormatCase& c : cases) {
        std::string result;
        switch (c.args.size()) {
            case 0: result = Format(c.format, {}); break;
            case 1: result = Format(c.format, {c.args[0]}); break;
            default: result = Format(c.format, {c.args[0], c.args[1]}); break;
        }
        EXPECT_EQ(result, c.expected) << c.format;
    }
}

TEST(FormatTest, MissingArgumentRaisesConvertError) {
    EXPECT_THROW(Format("%s and %s", {std::string("one")}), EConvertError);
    EXPECT_THROW(Format("%d", {}), EConvertError);
}

TEST(FormatTest, ArgumentOfTheOtherKindRaisesConvertError) {
    EXPECT_THROW(Format("%d", {std::string("12")}), EConvertError);
    EXPECT_THROW(Format("%s", {std::int64_t{12}}), EConvertError);
}

TEST(FormatTest, UnknownPlaceholderRaisesConvertError) {
    EXPECT_THROW(Format("%x", {std::int64_t{12}}), EConvertError);
}

TEST(FormatTest, ExceptionCarriesItsFormattedMessage) {
    const Exception plain("Invalid Canvas");
    EXPECT_EQ(plain.Message(), "Invalid Canvas");
    EXPECT_STREQ(plain.what(), "Invalid Canvas");

    const EConvertError formatted("Invalid character: %s at %d", {std::string("?"), std::int64_t{4}});
    EXPECT_EQ(formatted.Message(), "Invalid character: ? at 4");
    EXPECT_STREQ(formatted.what(), "Invalid character: ? at 4");
}

TEST(FormatTest, DerivedExceptionsAreCaughtAsTheRoot) {
    EXPECT_THROW(throw EListError("List index out of bounds (%d)", {std::int64_t{5}}), Exception);
    EXPECT_THROW(throw EInOutError("x"), Exception);
    EXPECT_THROW(throw EConvertError("x"), Exception);
}

}  // namespace
}  // namespace zan::platform
