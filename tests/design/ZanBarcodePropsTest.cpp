#include <zanbarcode/design/ZanBarcodeProps.h>
#include <zanbarcode/design/ZanBarcodeReg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/DesignIntf.h>
#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/platform/ObjectInspector.h>
#include <zanbarcode/symbologies/ZanCodabar.h>

#include "tests/controls/ControlFixture.h"

namespace zan {
namespace {

using platform::TInspectorRow;

// A barcode on a form in the designer, selected in the object inspector.
class DesignerTest : public zantest::TControlFixture {
protected:
    DesignerTest() {
        Register();
        form.SetDesigning(true);
        barcode = NewBarcode("ZanBarcode1");
        designer->SelectComponent(barcode);
    }

    // The rows under Symbology, by name.
    std::vector<std::string> SymbologyRows() const {
        std::vector<std::string> names;
        for (const TInspectorRow& row : inspector.GetRows())
            if (row.Path.starts_with("Symbology.")) names.push_back(row.Name);
        return names;
    }

    TZanBarcode* barcode = nullptr;
    std::shared_ptr<platform::TFormDesigner> designer = std::make_shared<platform::TFormDesigner>(form);
    platform::TObjectInspector inspector{designer};
};

TEST_F(DesignerTest, TheControlIsOnThePalettePageOrvaneAndFormFilesKnowIt) {
    const std::vector<platform::TPaletteEntry>& palette = platform::PaletteEntries();
    ASSERT_EQ(palette.size(), 1u);
    EXPECT_EQ(palette[0].Page, "Orvane");
    EXPECT_EQ(palette[0].ComponentClass->ClassName(), "TZanBarcode");
    EXPECT_EQ(platform::GetClass("TZanBarcode"), platform::ComponentClass<TZanBarcode>());
}

TEST_F(DesignerTest, RegisteringAgainRegistersNothingTwice) {
    const std::vector<std::string> expected = {"TZanCode128", "TZanCode39",  "TZanCode2of5", "TZanInterleaved2of5",
                                               "TZanCodabar", "TZanPostnet", "TZanEan8",     "TZanEan13",
                                               "TZanUpcA",    "TZanUpcE"};
    EXPECT_EQ(platform::RegisteredPersistentClasses(), expected);
    Register();
    Register();
    EXPECT_EQ(platform::RegisteredPersistentClasses(), expected);
    EXPECT_EQ(platform::PaletteEntries().size(), 1u);
    EXPECT_EQ(inspector.GetValueList("SymbologyName").size(), 10u);
}

TEST_F(DesignerTest, TheEditorsAreBoundToTheControlsProperties) {
    const auto editorFor = [this](const std::string& name) {
        return platform::CreatePropertyEditor(*barcode, *barcode->FindProperty(name));
    };
    EXPECT_NE(dynamic_cast<TZanSymbologyNameEdit*>(editorFor("SymbologyName").get()), nullptr);
    EXPECT_NE(dynamic_cast<TZanSymbologyPropEdit*>(editorFor("Symbology").get()), nullptr);
    EXPECT_NE(dynamic_cast<platform::TStringProperty*>(editorFor("Caption").get()), nullptr);
    // The Symbology editor belongs to the control's Symbology alone: Margins keeps the
    // designer's object editor.
    EXPECT_NE(dynamic_cast<platform::TClassProperty*>(editorFor("Margins").get()), nullptr);
}

TEST_F(DesignerTest, TheDropDownListsTheTenNamesSorted) {
    EXPECT_EQ(inspector.GetRow("SymbologyName").Value, "Code 128");
    EXPECT_EQ(inspector.GetRow("SymbologyName").Attributes, platform::paValueList | platform::paSortList);
    // The names that the symbology units give their classes, in byte order.
    EXPECT_EQ(inspector.GetValueList("SymbologyName"),
              (std::vector<std::string>{"Codabar", "Code 128", "Code 2 of 5", "Code 39", "EAN 13", "EAN 8",
                                        "Interleaved 2 of 5", "POSTNET", "UPC A", "UPC E"}));
}

TEST_F(DesignerTest, ChoosingANameReplacesTheSymbologyWithItsDefaults) {
    inspector.SetValue("SymbologyName", "Codabar");
    auto* codabar = dynamic_cast<TZanCodabar*>(barcode->GetSymbology());
    ASSERT_NE(codabar, nullptr);
    inspector.Expand("Symbology");
    inspector.SetValue("Symbology.StartChar", "C");
    EXPECT_EQ(codabar->FindProperty("StartChar")->GetValue(*codabar), "C");

    inspector.SetValue("SymbologyName", "Code 39");
    inspector.SetValue("SymbologyName", "Codabar");
    // A new object: the start character is the class's default again (Codabar starts
    // with A unless told otherwise).
    EXPECT_EQ(inspector.GetRow("Symbology.StartChar").Value, "A");
    EXPECT_EQ(inspector.GetRow("Symbology.StopChar").Value, "B");
}

TEST_F(DesignerTest, TheSymbologyShowsItsClassAndCannotBeTypedInto) {
    EXPECT_EQ(inspector.GetRow("Symbology").Value, "(TZanCode128)");
    EXPECT_EQ(inspector.GetRow("Symbology").Attributes, platform::paSubProperties);
    inspector.SetValue("SymbologyName", "Codabar");
    EXPECT_EQ(inspector.GetRow("Symbology").Value, "(TZanCodabar)");
    inspector.SetValue("Symbology", "(TZanCode39)");
    EXPECT_EQ(inspector.GetRow("Symbology").Value, "(TZanCodabar)");
    EXPECT_EQ(barcode->GetSymbologyName(), "Codabar");
}

TEST_F(DesignerTest, AControlWithoutSymbologyShowsEmptyParentheses) {
    barcode->SetSymbology(nullptr);
    ASSERT_EQ(barcode->GetSymbology(), nullptr);
    EXPECT_EQ(inspector.GetRow("Symbology").Value, "()");
    inspector.Expand("Symbology");
    EXPECT_TRUE(SymbologyRows().empty());
}

TEST_F(DesignerTest, AnUnknownNameReachesTheDesignerAndTheSymbologyStays) {
    inspector.SetValue("SymbologyName", "Codabar");
    const TZanBarcodeSymbology* before = barcode->GetSymbology();
    try {
        inspector.SetValue("SymbologyName", "Code 93");
        ADD_FAILURE() << "an unknown name was taken";
    } catch (const ESymbologyError& e) {
        EXPECT_EQ(e.Message(), "Code 93 is not a valid symbology name.");
    }
    EXPECT_EQ(barcode->GetSymbology(), before);
    EXPECT_EQ(inspector.GetRow("SymbologyName").Value, "Codabar");
    EXPECT_EQ(inspector.GetRow("Symbology").Value, "(TZanCodabar)");
}

TEST_F(DesignerTest, ARejectedCaptionShowsTheMessageBoxAndFallsBack) {
    inspector.SetValue("SymbologyName", "Codabar");
    // Codabar encodes digits and -$:/.+ only; A is a start/stop character, not data.
    inspector.SetValue("Caption", "12A");
    ASSERT_EQ(windows->GetMessageBoxes().size(), 1u);
    EXPECT_EQ(windows->GetMessageBoxes()[0].Caption, "Invalid Text");
    EXPECT_EQ(windows->GetMessageBoxes()[0].Text, "Invalid Caption: 12A");
    EXPECT_EQ(inspector.GetRow("Caption").Value, "0123456789");
}

TEST_F(DesignerTest, SwitchingFromCode128ToCodabarShowsItsCharactersAndSurvivesAFormFile) {
    inspector.Expand("Symbology");
    const std::vector<std::string> code128Rows = SymbologyRows();
    ASSERT_FALSE(code128Rows.empty());
    EXPECT_EQ(std::ranges::count(code128Rows, "StartChar"), 0);

    inspector.SetValue("SymbologyName", "Codabar");
    const std::vector<std::string> codabarRows = SymbologyRows();
    EXPECT_EQ(std::ranges::count(codabarRows, "StartChar"), 1);
    EXPECT_EQ(std::ranges::count(codabarRows, "StopChar"), 1);
    EXPECT_EQ(inspector.GetRow("Symbology.StartChar").Level, 1);
    inspector.SetValue("Symbology.StopChar", "D");
    inspector.SetValue("Caption", "31117013206375");

    const std::string saved = platform::SaveComponentToText(form);
    platform::TForm loaded(nullptr);
    platform::LoadComponentFromText(loaded, saved);
    auto* copy = dynamic_cast<TZanBarcode*>(loaded.FindComponent("ZanBarcode1"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetSymbologyName(), "Codabar");
    EXPECT_EQ(copy->GetText(), "31117013206375");
    const TZanBarcodeSymbology& symbology = *copy->GetSymbology();
    EXPECT_EQ(symbology.FindProperty("StartChar")->GetValue(symbology), "A");
    EXPECT_EQ(symbology.FindProperty("StopChar")->GetValue(symbology), "D");
    EXPECT_EQ(platform::SaveComponentToText(loaded), saved);
}

}  // namespace
}  // namespace zan
