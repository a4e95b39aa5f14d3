// The barcode control built for the older host frameworks (ZAN_CONTROL_HOST_VERSION 3
// or 4), compiled from the same source as the default build.
#include <zanbarcode/controls/ZanBarcodeCtrls.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <zanbarcode/platform/FormFiles.h>
#include "tests/controls/ControlFixture.h"

namespace {

using namespace zan;

static_assert(ControlHostVersion == 3 || ControlHostVersion == 4, "built for the older frameworks only");

class HostVariantTest : public zantest::TControlFixture {};

// What each older framework lacks of what the generation 5 build publishes.
const std::vector<std::string> MissingInGeneration4 = {"OnContextPopup"};
const std::vector<std::string> MissingInGeneration3 = {
    "OnContextPopup",      "Anchors",   "AutoSize",     "Constraints",      "DragKind",       "OnCanResize",
    "OnConstrainedResize", "OnEndDock", "OnMouseWheel", "OnMouseWheelDown", "OnMouseWheelUp", "OnResize",
    "OnStartDock",
};

TEST_F(HostVariantTest, PublishesWhatTheFrameworkOffers) {
    const std::vector<std::string>& missing = ControlHostVersion == 4 ? MissingInGeneration4 : MissingInGeneration3;
    std::vector<std::string> expected;
    for (const std::string& name : zantest::BarcodePublishedProperties)
        if (std::find(missing.begin(), missing.end(), name) == missing.end()) expected.push_back(name);
    const TZanBarcode barcode(nullptr);
    std::vector<std::string> names;
    for (const platform::TPropInfo& p : barcode.PublishedProperties()) names.push_back(p.Name);
    EXPECT_EQ(names, expected);
}

TEST_F(HostVariantTest, SizesToTheCodeOnlyWithAutoSize) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetSymbologyName("Codabar");
    if constexpr (HostHasAutoSize) {
        EXPECT_TRUE(barcode->GetAutoSize());
        EXPECT_EQ(barcode->GetWidth(), 14 + 10 * 12 + 14 + 10);
    } else {
        EXPECT_FALSE(barcode->GetAutoSize());
        EXPECT_EQ(barcode->GetWidth(), 100) << "the size the constructor gave";
        EXPECT_EQ(barcode->GetHeight(), 50);
    }
}

TEST_F(HostVariantTest, UpdatingGivesTheWindowTheControlsSize) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetBounds(10, 20, 150, 40);
    form.Show();
    platform::THeadlessWindow& window = WindowOf(*barcode);
    // Code 128 "0123456789": 145 modules (ISO/IEC 15417) and the margins 5 + 5.
    const platform::TRect expected{10, 20, 10 + (HostHasAutoSize ? 155 : 150), 60};
    EXPECT_EQ(barcode->GetBoundsRect(), expected);
    EXPECT_EQ(window.GetBounds(), expected);
    if constexpr (!HostHasAutoSize) {
        // Generation 3 has its own AdjustSize: it hands the control's size to the window.
        window.SetBounds({0, 0, 1, 1});
        barcode->UpdateControl();
        EXPECT_EQ(window.GetBounds(), expected);
        EXPECT_EQ(barcode->GetBoundsRect(), expected) << "never sized to the barcode";
    }
}

TEST_F(HostVariantTest, AFormFileOfTheFrameworkReads) {
    const std::string text =
        "object Form1: TForm\n"
        "  object ZanBarcode1: TZanBarcode\n"
        "    Width = 222\n"
        "    SymbologyName = 'Codabar'\n"
        "  end\n"
        "end\n";
    const std::unique_ptr<platform::TComponent> root = platform::CreateComponentFromText(text);
    const auto* barcode = dynamic_cast<TZanBarcode*>(root->FindComponent("ZanBarcode1"));
    ASSERT_NE(barcode, nullptr);
    EXPECT_EQ(barcode->GetWidth(), HostHasAutoSize ? 14 + 10 * 12 + 14 + 10 : 222);
    EXPECT_THROW(platform::CreateComponentFromText(
                     "object Form1: TForm\n  object ZanBarcode1: TZanBarcode\n    OnContextPopup = X\n  end\nend\n"),
                 platform::EReadError)
        << "not published";
}

}  // namespace
