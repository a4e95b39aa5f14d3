// Barcode controls in form files: the published order, round trips of every
// symbology, loading, bad files, and a form read from text that a scanner reads.
#include <zanbarcode/controls/ZanBarcodeCtrls.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/platform/Menus.h>
#include <zanbarcode/symbologies/ZanCodabar.h>
#include "tests/controls/ControlFixture.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace zan;
using platform::TPersistent;

// A form with handlers for the barcodes' events.
class TLabelForm : public platform::TForm {
public:
    explicit TLabelForm(platform::TComponent* owner) : TForm(owner) {}
    static std::string StaticClassName() { return "TLabelForm"; }
    std::string ClassName() const override { return StaticClassName(); }
    std::vector<std::string> Calls;
    void BarcodeChanged(TPersistent* sender) { Calls.push_back("changed " + sender->ClassName()); }
    void BarcodeClicked(TPersistent*) { Calls.push_back("clicked"); }
    const platform::TMethodList& PublishedMethods() const override {
        static const platform::TMethodList methods = {
            platform::PublishedMethod("BarcodeChanged", &TLabelForm::BarcodeChanged),
            platform::PublishedMethod("BarcodeClicked", &TLabelForm::BarcodeClicked),
        };
        return methods;
    }
};

class BarcodeFormFileTest : public zantest::TControlFixture {
protected:
    BarcodeFormFileTest() { platform::RegisterClass(platform::ComponentClass<TLabelForm>()); }
};

// The form of a label printer's designer: one Codabar that starts with C. Written by
// hand: the control's stored defaults (auto-size, colours, orientation, the platform
// properties) are left out, the margins and the symbology's settings always stored.
const char* const CodabarFormText =
    "object Form1: TForm\n"
    "  Left = 0\n"
    "  Top = 0\n"
    "  Width = 400\n"
    "  Height = 300\n"
    "  Caption = 'Labels'\n"
    "  Font.Color = 2147483656\n"
    "  Font.Height = -11\n"
    "  Font.Name = 'MS Sans Serif'\n"
    "  Font.Style = 0\n"
    "  object ZanBarcode1: TZanBarcode\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 158\n"  // start C (14 modules), ten digits (12 each), stop B (14), margins 5 + 5
    "    Height = 50\n"
    "    Caption = '0123456789'\n"
    "    Font.Color = 2147483656\n"
    "    Font.Height = -11\n"
    "    Font.Name = 'Courier New'\n"
    "    Font.Style = 0\n"
    "    ParentFont = False\n"
    "    Margins.Left = 5\n"
    "    Margins.Top = 5\n"
    "    Margins.Right = 5\n"
    "    Margins.Bottom = 5\n"
    "    SymbologyName = 'Codabar'\n"
    "    Symbology.XDimension = 10\n"
    "    Symbology.StartChar = 'C'\n"
    "  end\n"
    "end\n";

TEST_F(BarcodeFormFileTest, AFormFileCodabarStartingWithCIsDrawnReadAndSavedBack) {
    const std::unique_ptr<platform::TComponent> root = platform::CreateComponentFromText(CodabarFormText);
    auto* labels = dynamic_cast<platform::TForm*>(root.get());
    ASSERT_NE(labels, nullptr);
    auto* barcode = dynamic_cast<TZanBarcode*>(labels->FindComponent("ZanBarcode1"));
    ASSERT_NE(barcode, nullptr);
    EXPECT_EQ(barcode->GetParent(), labels);
    EXPECT_EQ(barcode->GetSymbologyName(), "Codabar");
    auto* codabar = dynamic_cast<TZanCodabar*>(barcode->GetSymbology());
    ASSERT_NE(codabar, nullptr);
    EXPECT_EQ(codabar->GetStartChar(), 'C');
    EXPECT_EQ(codabar->GetStopChar(), 'B');
    EXPECT_EQ(barcode->GetBoundsRect(), (platform::TRect{8, 8, 166, 58}));

    labels->Show();
    windows->ProcessPaints();
    const std::string png = zantest::TestOutputDir("BarcodeFormFileTest.Codabar") + "/codabar.png";
    WindowOf(*barcode).GetSurface().SaveToPngFile(png);
    // zbar reports the start and stop characters with the data.
    EXPECT_EQ(zantest::ScanWithZbar(png, {"-Scodabar.enable"}), std::vector<std::string>{"Codabar:C0123456789B"});

    EXPECT_EQ(platform::SaveComponentToText(*labels), CodabarFormText);

    // In the designer a caption that Codabar refuses is reported and replaced.
    labels->SetDesigning(true);
    barcode->SetText("12A");
    ASSERT_EQ(windows->GetMessageBoxes().size(), 1u);
    EXPECT_EQ(windows->GetMessageBoxes()[0].Caption, "Invalid Text");
    EXPECT_EQ(windows->GetMessageBoxes()[0].Text, "Invalid Caption: 12A");
    EXPECT_EQ(barcode->GetText(), "0123456789");
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "0123456789");
}

TEST_F(BarcodeFormFileTest, PublishedPropertiesInTheirOrder) {
    const TZanBarcode barcode(nullptr);
    std::vector<std::string> names;
    for (const platform::TPropInfo& p : barcode.PublishedProperties()) names.push_back(p.Name);
    EXPECT_EQ(names, zantest::BarcodePublishedProperties);
    EXPECT_FALSE(barcode.FindProperty("AutoSize")->ShouldStore(barcode)) << "True is the stored default";
}

// Every published value as text, nested objects by dotted path, for comparing two trees.
std::vector<std::string> Values(TPersistent& object, const std::string& prefix = "") {
    std::vector<std::string> values;
    for (const platform::TPropInfo& p : object.PublishedProperties()) {
        if (p.Kind == platform::TTypeKind::tkClass && !p.IsReference()) {
            if (TPersistent* nested = p.GetObject(object))
                for (const std::string& v : Values(*nested, prefix + p.Name + ".")) values.push_back(v);
            continue;
        }
        values.push_back(prefix + p.Name + " = " + p.GetValue(object));
    }
    return values;
}

struct TSymbologySettings {
    std::string name;
    std::string caption;
    std::vector<std::pair<std::string, std::string>> settings;  // other than the defaults
};

const TSymbologySettings EverySymbology[] = {
    {"Codabar", "$12:", {{"XDimension", "20"}, {"DisplayCaption", "False"}, {"StartChar", "D"}, {"StopChar", "C"}}},
    {"Code 128", "HELLO", {{"XDimension", "15"}, {"CharacterSet", "CodeA"}, {"DisplayCaption", "False"}}},
    {"Code 2 of 5", "12345", {{"XDimension", "12.5"}, {"DisplayCaption", "False"}}},
    {"Interleaved 2 of 5", "1234567", {{"BearerBars", "False"}, {"UseChecksum", "True"}}},
    {"Code 39", "abc-123", {{"DisplayStartStopChars", "False"}, {"FullAscii", "True"}, {"UseCheckDigit", "True"}}},
    {"EAN 8",
     "1234567",
     {{"Supplemental", "12"}, {"FlagDigitLocation", "dlOutside"}, {"CheckDigitLocation", "dlOutside"}}},
    {"EAN 13", "590123412345", {{"Supplemental", "12345"}, {"CheckDigitLocation", "dlOutside"}}},
    {"UPC A", "03600029145", {{"Supplemental", "12"}}},
    {"UPC E", "0123456", {{"Supplemental", "54321"}, {"XDimension", "13"}}},
    {"POSTNET", "12345", {{"XDimension", "20"}}},
};

TEST_F(BarcodeFormFileTest, EverySymbologyAndEverySettingSurvivesARoundTrip) {
    TLabelForm labels(nullptr);
    labels.SetName("Labels");
    auto* menu = new platform::TPopupMenu(&labels);
    int n = 0;
    for (const TSymbologySettings& s : EverySymbology) {
        auto* barcode = new TZanBarcode(&labels);
        barcode->SetName("Barcode" + std::to_string(++n));
        barcode->SetParent(&labels);
        barcode->SetBounds(10, 60 * n, 100, 50);
        barcode->SetSymbologyName(s.name);
        for (const auto& [property, value] : s.settings)
            barcode->GetSymbology()->FindProperty(property)->SetValue(*barcode->GetSymbology(), value);
        barcode->SetText(s.caption);
        ASSERT_EQ(barcode->GetText(), s.caption) << s.name;
    }
    // Control settings other than the defaults, spread over the controls.
    auto* b1 = dynamic_cast<TZanBarcode*>(labels.FindComponent("Barcode1"));
    b1->SetAlignment(platform::taCenter);
    b1->SetBarColor(platform::clRed);
    b1->SetSpaceColor(0x00FFFF);
    b1->SetOrientation(bo90Degrees);
    b1->GetMargins().SetLeft(1);
    b1->GetMargins().SetTop(2);
    b1->GetMargins().SetRight(-3);
    b1->GetMargins().SetBottom(4);
    auto* b2 = dynamic_cast<TZanBarcode*>(labels.FindComponent("Barcode2"));
    b2->SetColor(platform::clWhite);
    b2->SetCursor(platform::crHandPoint);
    b2->SetDragCursor(platform::crNo);
    b2->SetDragKind(platform::dkDock);
    b2->SetDragMode(platform::dmAutomatic);
    b2->SetShowHint(true);
    b2->SetVisible(false);
    b2->SetAnchors(platform::akLeft | platform::akRight);
    auto* b3 = dynamic_cast<TZanBarcode*>(labels.FindComponent("Barcode3"));
    b3->SetAutoSize(false);
    b3->SetWidth(321);
    b3->GetConstraints().SetMaxHeight(40);
    b3->SetOrientation(bo270Degrees);
    auto* b4 = dynamic_cast<TZanBarcode*>(labels.FindComponent("Barcode4"));
    menu->SetName("BarcodeMenu");
    b4->SetPopupMenu(menu);
    b4->SetOnVisualChange(std::any_cast<platform::TNotifyEvent>(labels.FindMethod("BarcodeChanged")->Bind(labels)));
    b4->OnClick = std::any_cast<platform::TNotifyEvent>(labels.FindMethod("BarcodeClicked")->Bind(labels));
    auto* b5 = dynamic_cast<TZanBarcode*>(labels.FindComponent("Barcode5"));
    b5->GetFont().SetName("Arial");
    b5->GetFont().SetHeight(-15);
    b5->SetTag(5);
    b5->SetOrientation(bo180Degrees);

    const std::string text = platform::SaveComponentToText(labels);
    EXPECT_EQ(text.find("Version"), std::string::npos) << "never stored";
    TLabelForm copy(nullptr);
    platform::LoadComponentFromText(copy, text);
    ASSERT_EQ(copy.GetComponentCount(), labels.GetComponentCount());
    for (int i = 0; i < labels.GetComponentCount(); ++i) {
        platform::TComponent* original = labels.GetComponent(i);
        platform::TComponent* loaded = copy.FindComponent(original->GetName());
        ASSERT_NE(loaded, nullptr) << original->GetName();
        EXPECT_EQ(Values(*loaded), Values(*original)) << original->GetName();
    }
    EXPECT_EQ(platform::SaveComponentToText(copy), text);

    // The events call the loaded form's handlers; the visual change comes from the renderer.
    auto* b4Copy = dynamic_cast<TZanBarcode*>(copy.FindComponent("Barcode4"));
    b4Copy->SetBarColor(platform::clRed);
    b4Copy->OnClick(b4Copy);
    EXPECT_EQ(copy.Calls, (std::vector<std::string>{"changed TZanBarcodeRenderer", "clicked"}));
    EXPECT_TRUE(labels.Calls.empty());
}

TEST_F(BarcodeFormFileTest, ACaptionIsCheckedByTheRendererOnlyWhileLoading) {
    // The renderer checks the caption once the whole control is read, and replaces one
    // that the chosen symbology refuses. The control itself checks nothing while
    // loading, so neither text raises nor reports, even in a designer.
    for (const std::string caption : {"'12A'", "'AB'#255"}) {
        SCOPED_TRACE(caption);
        TLabelForm labels(nullptr);
        labels.SetDesigning(true);
        platform::LoadComponentFromText(labels,
                                        "object Labels: TLabelForm\n"
                                        "  object Barcode1: TZanBarcode\n"
                                        "    Caption = " +
                                            caption +
                                            "\n"
                                            "    SymbologyName = 'Codabar'\n"
                                            "  end\n"
                                            "end\n");
        auto* barcode = dynamic_cast<TZanBarcode*>(labels.FindComponent("Barcode1"));
        ASSERT_NE(barcode, nullptr);
        EXPECT_EQ(barcode->GetText(), "0123456789");
        EXPECT_EQ(barcode->GetRenderer().GetCaption(), "0123456789");
        EXPECT_TRUE(windows->GetMessageBoxes().empty());
    }
    // Outside loading the control checks the same text itself.
    TZanBarcode* barcode = NewBarcode();
    EXPECT_THROW(barcode->SetText("AB\xFF"), EInvalidText);
}

TEST_F(BarcodeFormFileTest, ACaptionThatNeedsAStoredSettingSurvivesLoading) {
    // Code 39 takes "-" and lower case letters only with FullAscii, which the file
    // gives after the caption and the symbology name.
    TLabelForm labels(nullptr);
    platform::LoadComponentFromText(labels,
                                    "object Labels: TLabelForm\n"
                                    "  object Barcode1: TZanBarcode\n"
                                    "    Caption = 'abc-123'\n"
                                    "    SymbologyName = 'Code 39'\n"
                                    "    Symbology.FullAscii = True\n"
                                    "  end\n"
                                    "end\n");
    auto* barcode = dynamic_cast<TZanBarcode*>(labels.FindComponent("Barcode1"));
    ASSERT_NE(barcode, nullptr);
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "abc-123");
    EXPECT_EQ(barcode->GetText(), "abc-123");
    EXPECT_EQ(barcode->GetRenderer().GetUpdateCount(), 0) << "the bracket of the loading is closed";
    EXPECT_FALSE(barcode->GetRenderer().GetUpdateStatus().Contains(busUpdating));
    EXPECT_EQ(barcode->GetWidth(), barcode->GetSymbology()->GetCodeWidth() + 10) << "sized once loaded";
}

TEST_F(BarcodeFormFileTest, AStoredSizeWithoutAutoSizeIsKept) {
    // Width comes before AutoSize in the file; the stored width must not be replaced by
    // the code's while the file is read.
    TLabelForm labels(nullptr);
    platform::LoadComponentFromText(labels,
                                    "object Labels: TLabelForm\n"
                                    "  object Barcode1: TZanBarcode\n"
                                    "    Width = 321\n"
                                    "    Height = 40\n"
                                    "    AutoSize = False\n"
                                    "  end\n"
                                    "end\n");
    const auto* barcode = dynamic_cast<TZanBarcode*>(labels.FindComponent("Barcode1"));
    EXPECT_EQ(barcode->GetWidth(), 321);
    EXPECT_EQ(barcode->GetHeight(), 40);
}

TEST_F(BarcodeFormFileTest, BadBarcodeSettingsAreReportedAndLeaveTheFormAsItWas) {
    struct TCase {
        std::string lines;
        std::string message;
    };
    const TCase cases[] = {
        {.lines = "    SymbologyName = 'Code 93'\n",
         .message = "Line 4: Barcode1.SymbologyName: Code 93 is not a valid symbology name."},
        {.lines = "    Symbology.StartChar = 'C'\n",
         .message = "Line 4: Barcode1.Symbology.StartChar: no such property"},
        {.lines = "    SymbologyName = 'Codabar'\n    Symbology.XDimension = 0\n",
         .message = "Line 5: Barcode1.Symbology.XDimension: Invalid XDimension: 0 (thousandths of an inch, above 0 "
                    "and at most 1000)"},
        {.lines = "    Orientation = bo45Degrees\n",
         .message = "Line 4: Barcode1.Orientation: 'bo45Degrees' is not a valid value"},
        {.lines = "    BarColor = clChartreuse\n",
         .message = "Line 4: Barcode1.BarColor: 'clChartreuse' is not a valid integer value"},
        {.lines = "    Margins.Left = 246913578040\n",
         .message = "Line 4: Barcode1.Margins.Left: Value 246913578040 must be between -2147483648 and 2147483647"},
        {.lines = "    Margins = 5\n",
         .message = "Line 4: Barcode1.Margins: an object: give its properties, as in Margins.<property> = <value>"},
        {.lines = "    OnVisualChange = BarcodeMoved\n",
         .message = "Line 4: Barcode1.OnVisualChange: Labels has no handler BarcodeMoved"},
        {.lines = "    PopupMenu = BarcodeMenu\n",
         .message = "Line 4: Barcode1.PopupMenu: no component is named BarcodeMenu"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.message);
        TLabelForm labels(nullptr);
        labels.SetName("Labels");
        TZanBarcode* existing = new TZanBarcode(&labels);
        existing->SetName("Existing");
        const std::string before = platform::SaveComponentToText(labels);
        try {
            platform::LoadComponentFromText(labels,
                                            "object Labels: TLabelForm\n"
                                            "  Caption = 'Changed'\n"
                                            "  object Barcode1: TZanBarcode\n" +
                                                c.lines + "  end\nend\n");
            ADD_FAILURE() << "accepted";
        } catch (const platform::EReadError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(platform::SaveComponentToText(labels), before);
        EXPECT_EQ(labels.GetComponentCount(), 1);
    }
}

TEST_F(BarcodeFormFileTest, AControlThatFailsOnceLoadedUndoesTheWholeRead) {
    // Every value reads, but sizing the code to margins of two billion pixels fails once
    // the control is loaded: the error names the barcode's line and the form is kept.
    TLabelForm labels(nullptr);
    labels.SetName("Labels");
    const std::string before = platform::SaveComponentToText(labels);
    try {
        platform::LoadComponentFromText(labels,
                                        "object Form1: TLabelForm\n"
                                        "  Caption = 'Changed'\n"
                                        "  object Barcode1: TZanBarcode\n"
                                        "    Margins.Left = 2100000000\n"
                                        "  end\n"
                                        "end\n");
        ADD_FAILURE() << "accepted";
    } catch (const platform::EReadError& e) {
        EXPECT_TRUE(e.Message().starts_with("Line 3: Bounds ")) << e.Message();
    }
    EXPECT_EQ(platform::SaveComponentToText(labels), before);
    EXPECT_EQ(labels.GetName(), "Labels");
    EXPECT_EQ(labels.GetComponentCount(), 0);
}

}  // namespace
