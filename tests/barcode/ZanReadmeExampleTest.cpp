// The example of README.md, built from the README as printed, draws the barcode it promises.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

TEST(ZanReadmeExampleTest, WritesAnEan13ThatAScannerReads) {
    const std::string dir = zantest::TestOutputDir("ZanReadmeExampleTest");
    std::filesystem::current_path(dir);
    const zantest::TCommandResult result = zantest::RunCommand({README_EXAMPLE_EXE});
    ASSERT_EQ(result.ExitStatus, 0) << result.Errors;
    EXPECT_EQ(result.Output, "");
    // 590123412345 and its modulo 10 check digit (GS1 General Specifications 7.9.1):
    // 3 * (9 + 1 + 3 + 1 + 3 + 5) + (5 + 0 + 2 + 4 + 2 + 4) = 83, and 90 - 83 = 7.
    EXPECT_EQ(zantest::ScanWithZbar(dir + "/ean13.png"), std::vector<std::string>{"EAN-13:5901234123457"});
}

}  // namespace
