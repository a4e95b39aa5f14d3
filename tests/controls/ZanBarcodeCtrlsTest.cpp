#include <zanbarcode/controls/ZanBarcodeCtrls.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/Clipboard.h>
#include "tests/controls/ControlFixture.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace zan;
using platform::TBitmap;
using platform::TRect;

// Codabar "0123456789" between start A and stop B: ten digits of 12 modules (with the
// gap after each) and A and B of 14 (USS-Codabar character table).
constexpr int CodabarDefaultModules = 14 + 10 * 12 + 14;
// Code 128 "0123456789" in set B: start, ten symbols and the check symbol of 11 modules
// and the stop of 13 (ISO/IEC 15417).
constexpr int Code128DefaultModules = 12 * 11 + 13;
// At 96 pixels per inch a module of 10 mils is one pixel (0.96 rounded).

// A barcode that counts its text rounds and the paints that drew.
class TCountingBarcode : public TZanBarcode {
public:
    using TZanBarcode::TZanBarcode;
    int TextRounds = 0;
    int Draws = 0;

protected:
    void CMTextChanged() override {
        ++TextRounds;
        TZanBarcode::CMTextChanged();
    }
    void Paint() override {
        if (!GetRenderer().GetUpdateStatus().Contains(busUpdating)) ++Draws;
        TZanBarcode::Paint();
    }
};

class BarcodeControlTest : public zantest::TControlFixture {};

TEST_F(BarcodeControlTest, ANewControlShowsTheDefaultCodeAtItsSize) {
    TZanBarcode barcode(nullptr);
    EXPECT_EQ(barcode.GetSymbologyName(), "Code 128");
    EXPECT_EQ(barcode.GetText(), "0123456789");
    EXPECT_EQ(barcode.GetRenderer().GetCaption(), "0123456789");
    EXPECT_EQ(barcode.GetControlStyle() & platform::csSetCaption, 0);
    EXPECT_NE(barcode.GetControlStyle() & platform::csReplicatable, 0);
    EXPECT_TRUE(barcode.GetAutoSize());
    EXPECT_EQ(barcode.GetWidth(), Code128DefaultModules + 5 + 5);
    EXPECT_EQ(barcode.GetHeight(), 50);
    EXPECT_EQ(barcode.GetFont().GetName(), "Courier New");
    EXPECT_FALSE(barcode.GetParentFont());
    EXPECT_EQ(barcode.GetAlignment(), platform::taLeftJustify);
    EXPECT_EQ(barcode.GetBarColor(), platform::clBlack);
    EXPECT_EQ(barcode.GetSpaceColor(), platform::clWhite);
    EXPECT_EQ(barcode.GetOrientation(), boNormal);
    EXPECT_EQ(barcode.GetColor(), platform::clWindow);
    EXPECT_EQ(barcode.GetColor(2), platform::clWindow) << "the background is the control's colour";
    EXPECT_EQ(barcode.GetCanvas(), nullptr) << "no window yet";

    barcode.SetName("ZanBarcode1");
    EXPECT_EQ(barcode.GetText(), "0123456789") << "the name is no barcode text";
}

TEST_F(BarcodeControlTest, AutoSizeAddsTheMarginsAlongTheBars) {
    struct TCase {
        TZanBarcodeOrientation orientation;
        TRect margins;  // left, top, right, bottom
        int width;      // set before the code is sized
        int expectedWidth;
        int expectedHeight;
    };
    // A linear code has no height: only the length along the bars follows the code, with
    // the two margins beside it; the thickness stays as it was set.
    const TCase cases[] = {
        {boNormal, {5, 5, 5, 5}, 100, CodabarDefaultModules + 10, 50},
        {boNormal, {20, 9, 1, 9}, 100, CodabarDefaultModules + 21, 50},
        {bo180Degrees, {20, 9, 1, 9}, 100, CodabarDefaultModules + 21, 50},
        {bo90Degrees, {5, 5, 5, 5}, 60, 60, CodabarDefaultModules + 10},
        {bo270Degrees, {20, 3, 1, 4}, 60, 60, CodabarDefaultModules + 7},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "orientation " << int(c.orientation));
        TZanBarcode* barcode = NewBarcode();
        barcode->SetSymbologyName("Codabar");
        barcode->SetOrientation(c.orientation);
        barcode->SetWidth(c.width);
        barcode->SetHeight(50);
        TZanBarcodeMargins& m = barcode->GetMargins();
        m.SetLeft(c.margins.Left);
        m.SetTop(c.margins.Top);
        m.SetRight(c.margins.Right);
        m.SetBottom(c.margins.Bottom);
        if (IsVertical(c.orientation)) barcode->SetWidth(c.width);  // the turn sized the length only
        EXPECT_EQ(barcode->GetWidth(), c.expectedWidth);
        EXPECT_EQ(barcode->GetHeight(), c.expectedHeight);
        delete barcode;
    }
}

TEST_F(BarcodeControlTest, AutoSizeTakesTheHeightOfACodeThatHasOne) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetSymbologyName("POSTNET");
    form.Show();
    // The caption "0123456789" kept from Code 128 and its check digit: five bars at a
    // pitch of three bar widths for each of the eleven digits, and the two frame bars a
    // pitch and a bar apart, at a bar width of one pixel; full bars 0.115 inch high
    // (USPS Publication 25): 11 pixels.
    ASSERT_EQ(barcode->GetText(), "0123456789");
    constexpr int length = 11 * 5 * 3 + 3 + 1;
    EXPECT_EQ(barcode->GetWidth(), length + 10);
    EXPECT_EQ(barcode->GetHeight(), 11 + 10);
    barcode->SetOrientation(bo90Degrees);
    EXPECT_EQ(barcode->GetWidth(), 11 + 10);
    EXPECT_EQ(barcode->GetHeight(), length + 10);
}

TEST_F(BarcodeControlTest, AnAutoSizedControlKeepsItsLength) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetSymbologyName("Codabar");
    barcode->SetWidth(300);
    EXPECT_EQ(barcode->GetWidth(), CodabarDefaultModules + 10);
    barcode->SetAutoSize(false);
    barcode->SetWidth(300);
    EXPECT_EQ(barcode->GetWidth(), 300);
    barcode->SetText("123");
    EXPECT_EQ(barcode->GetWidth(), 300) << "without auto-size the size stays";
}

TEST_F(BarcodeControlTest, ARejectedTextLeavesCaptionAndDrawingAndTheNextTextIsTakenAgain) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetSymbologyName("Codabar");
    form.Show();
    windows->ProcessPaints();
    platform::THeadlessWindow& window = WindowOf(*barcode);
    TBitmap before;
    before.Assign(const_cast<TBitmap&>(window.GetSurface()));
    const int invalidated = window.GetInvalidateCount();

    try {
        barcode->SetText("12A");
        ADD_FAILURE() << "Codabar took an A among its data";
    } catch (const EInvalidText& e) {
        EXPECT_EQ(e.Message(), "Invalid character: A");
    }
    EXPECT_EQ(barcode->GetText(), "12A") << "the platform stored the text before it was checked";
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "0123456789");
    EXPECT_EQ(barcode->GetWidth(), CodabarDefaultModules + 10);
    EXPECT_EQ(window.GetInvalidateCount(), invalidated) << "neither resized nor invalidated";
    window.Invalidate();
    windows->ProcessPaints();
    EXPECT_EQ(DifferentPixels(window.GetSurface(), before), 0) << "the drawing is the one before";

    // Through the renderer the same text is refused, and its caption stays.
    EXPECT_THROW(barcode->GetRenderer().SetCaption("9A"), EInvalidText);
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "0123456789");

    // The next accepted text brings text and caption together, also when it is the
    // caption that the renderer still holds.
    barcode->SetText("123");
    EXPECT_EQ(barcode->GetText(), "123");
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "123");
    EXPECT_EQ(barcode->GetWidth(), (14 + 3 * 12 + 14) + 10);  // A123B
    EXPECT_THROW(barcode->SetText("1B"), EInvalidText);
    barcode->SetText("123");
    EXPECT_EQ(barcode->GetText(), "123");
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "123");
}

TEST_F(BarcodeControlTest, ARejectedTextInTheDesignerShowsAMessageAndTheDefaultCaption) {
    form.SetDesigning(true);
    TZanBarcode* barcode = NewBarcode("ZanBarcode1");
    barcode->SetSymbologyName("Codabar");
    barcode->SetText("12A");
    ASSERT_EQ(windows->GetMessageBoxes().size(), 1u);
    EXPECT_EQ(windows->GetMessageBoxes()[0].Caption, "Invalid Text");
    EXPECT_EQ(windows->GetMessageBoxes()[0].Text, "Invalid Caption: 12A");
    EXPECT_EQ(windows->GetMessageBoxes()[0].Buttons, platform::mbOK);
    EXPECT_EQ(barcode->GetText(), "0123456789");
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "0123456789");
}

TEST_F(BarcodeControlTest, TheAdapterReportsARejectedCaptionAsTheStateAsks) {
    TZanBarcode* barcode = NewBarcode();
    const std::shared_ptr<IBarcodeControlAdapter> adapter = barcode->GetRenderer().GetControlAdapter();
    ASSERT_NE(adapter, nullptr);
    try {
        adapter->InvalidCaption("12A", "Invalid character: A");
        ADD_FAILURE() << "no exception at run time";
    } catch (const EInvalidText& e) {
        EXPECT_EQ(e.Message(), "Invalid character: A");
    }
    EXPECT_TRUE(windows->GetMessageBoxes().empty());
    barcode->SetDesigning(true);
    adapter->InvalidCaption("12A", "Invalid character: A");
    ASSERT_EQ(windows->GetMessageBoxes().size(), 1u);
    EXPECT_EQ(windows->GetMessageBoxes()[0].Text, "Invalid Caption: 12A");
}

TEST_F(BarcodeControlTest, TheAdapterShowsTheControl) {
    TZanBarcode* barcode = NewBarcode();
    IBarcodeControlAdapter& adapter = *barcode->GetRenderer().GetControlAdapter();
    form.Show();
    EXPECT_EQ(adapter.GetCanvas(), barcode->GetCanvas());
    EXPECT_NE(adapter.GetCanvas(), nullptr);
    EXPECT_EQ(adapter.GetWidth(), barcode->GetWidth());
    EXPECT_EQ(adapter.GetHeight(), 50);
    EXPECT_EQ(&adapter.GetFont(), &barcode->GetFont());
    EXPECT_EQ(adapter.GetText(), "0123456789");
    adapter.SetColor(platform::clRed);
    EXPECT_EQ(barcode->GetColor(), platform::clRed);
    EXPECT_EQ(adapter.GetColor(), platform::clRed);
    adapter.SetText("42");
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "42") << "through the control's own text handling";
}

TEST_F(BarcodeControlTest, ACorrectedTextTakesTwoRounds) {
    auto* barcode = new TCountingBarcode(&form);
    barcode->SetSymbologyName("Code 39");
    barcode->TextRounds = 0;
    // Code 39 keeps 32 characters and drops the rest without complaint.
    const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-. $";
    barcode->SetText(text);
    EXPECT_EQ(barcode->TextRounds, 2);
    EXPECT_EQ(barcode->GetText(), text.substr(0, 32));
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), text.substr(0, 32));
}

TEST_F(BarcodeControlTest, AnUpdateBracketResizesAndRepaintsOnceAtTheEnd) {
    auto* barcode = new TCountingBarcode(&form);
    barcode->SetParent(&form);
    form.Show();
    windows->ProcessPaints();
    ASSERT_EQ(barcode->Draws, 1);
    int resizes = 0;
    barcode->OnResize = [&](platform::TPersistent*) { ++resizes; };
    std::vector<platform::TPersistent*> senders;
    barcode->SetOnVisualChange([&](platform::TPersistent* sender) { senders.push_back(sender); });
    const int width = barcode->GetWidth();

    barcode->BeginUpdate();
    barcode->BeginUpdate();
    barcode->SetSymbologyName("Codabar");
    barcode->SetText("123");
    barcode->GetMargins().SetLeft(20);
    EXPECT_EQ(senders.size(), 3u) << "one notification for each change";
    windows->ProcessPaints();
    EXPECT_EQ(barcode->Draws, 1) << "nothing drawn inside the bracket";
    EXPECT_EQ(barcode->GetWidth(), width);
    barcode->EndUpdate();
    windows->ProcessPaints();
    EXPECT_EQ(barcode->Draws, 1) << "an inner end changes nothing";
    EXPECT_EQ(barcode->GetWidth(), width);
    EXPECT_EQ(resizes, 0);

    barcode->EndUpdate();
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(barcode->GetWidth(), (14 + 3 * 12 + 14) + 20 + 5);
    EXPECT_TRUE(WindowOf(*barcode).IsInvalid());
    windows->ProcessPaints();
    EXPECT_EQ(barcode->Draws, 2);
    EXPECT_EQ(DifferentPixels(WindowOf(*barcode).GetSurface(), *CopyOf(*barcode)), 0);

    // An end without a beginning changes nothing.
    barcode->EndUpdate();
    EXPECT_EQ(barcode->GetRenderer().GetUpdateCount(), 0);
    EXPECT_TRUE(barcode->GetRenderer().GetUpdateStatus().IsEmpty());
    EXPECT_EQ(resizes, 1);
}

TEST_F(BarcodeControlTest, VersionAndTheSenderOfVisualChanges) {
    TZanBarcode* barcode = NewBarcode();
    EXPECT_EQ(barcode->GetVersion(), "1.00");
    barcode->SetVersion("2.00");
    EXPECT_EQ(barcode->GetVersion(), "1.00");
    const platform::TPropInfo* version = barcode->FindProperty("Version");
    ASSERT_NE(version, nullptr);
    EXPECT_FALSE(version->ShouldStore(*barcode));

    std::vector<platform::TPersistent*> senders;
    barcode->SetOnVisualChange([&](platform::TPersistent* sender) { senders.push_back(sender); });
    barcode->SetBarColor(platform::clRed);
    barcode->GetMargins().SetTop(1);
    barcode->GetSymbology()->UpdateParent();
    EXPECT_EQ(senders, (std::vector<platform::TPersistent*>(3, &barcode->GetRenderer())))
        << "the renderer, whoever changed";
}

TEST_F(BarcodeControlTest, ColourIndices) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetColor(platform::clBlack);  // the background, the platform's Color
    barcode->SetColor(0, 0x000080);
    barcode->SetColor(1, 0x00FFFF);
    EXPECT_EQ(barcode->GetColor(0), 0x000080u);
    EXPECT_EQ(barcode->GetColor(1), 0x00FFFFu);
    EXPECT_EQ(barcode->GetColor(2), platform::clBlack);
    EXPECT_EQ(barcode->GetColor(5), platform::clBlack) << "any other index reads the background";
    EXPECT_EQ(barcode->GetColor(-1), platform::clBlack);
    barcode->SetColor(5, platform::clRed);
    barcode->SetColor(-1, platform::clRed);
    EXPECT_EQ(barcode->GetColor(0), 0x000080u);
    EXPECT_EQ(barcode->GetColor(1), 0x00FFFFu);
    EXPECT_EQ(barcode->GetColor(), platform::clBlack) << "writing index 5 changes nothing";
    barcode->SetColor(2, platform::clWhite);
    EXPECT_EQ(barcode->GetColor(), platform::clWhite);
    EXPECT_FALSE(barcode->GetParentColor());
}

TEST_F(BarcodeControlTest, WritingMarginsCopiesTheFourSides) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetSymbologyName("Codabar");
    TZanBarcodeMargins& own = barcode->GetMargins();
    TZanBarcodeMargins given(nullptr);
    given.SetLeft(11);
    given.SetTop(12);
    given.SetRight(13);
    given.SetBottom(14);
    barcode->SetMargins(given);
    EXPECT_EQ(&barcode->GetMargins(), &own) << "the renderer keeps its margins object";
    EXPECT_EQ(own.GetLeft(), 11);
    EXPECT_EQ(own.GetTop(), 12);
    EXPECT_EQ(own.GetRight(), 13);
    EXPECT_EQ(own.GetBottom(), 14);
    EXPECT_EQ(barcode->GetWidth(), CodabarDefaultModules + 11 + 13);
    given.SetLeft(40);
    EXPECT_EQ(own.GetLeft(), 11) << "the given object stays the caller's";
    own.SetLeft(1);
    EXPECT_EQ(barcode->GetWidth(), CodabarDefaultModules + 1 + 13) << "the own object still reports its changes";
}

TEST_F(BarcodeControlTest, AssigningToTheClipboardPlacesTheRenderersFormats) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetSymbologyName("Codabar");
    form.Show();
    platform::TClipboard clipboard;
    clipboard.Assign(*barcode);
    EXPECT_TRUE(clipboard.HasFormat(platform::cfEnhMetafile));
    ASSERT_TRUE(clipboard.HasFormat(platform::cfBitmap));
    // BITMAPINFOHEADER: the width at byte 18 and the height at byte 22 of the file, little endian.
    const std::vector<std::uint8_t>& bmp = *clipboard.GetAsHandle(platform::cfBitmap);
    ASSERT_GE(bmp.size(), 26u);
    const auto int32At = [&](std::size_t i) {
        return static_cast<std::int32_t>(std::uint32_t{bmp[i]} | std::uint32_t{bmp[i + 1]} << 8 |
                                         std::uint32_t{bmp[i + 2]} << 16 | std::uint32_t{bmp[i + 3]} << 24);
    };
    EXPECT_EQ(int32At(18), CodabarDefaultModules + 10);
    EXPECT_EQ(std::abs(int32At(22)), 50) << "top-down rows give a negative height";

    platform::TFont font;
    try {
        barcode->AssignTo(font);
        ADD_FAILURE() << "a barcode was assigned to a font";
    } catch (const platform::EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TZanBarcodeRenderer to a TFont.");
    }
}

TEST_F(BarcodeControlTest, TheControlStreamsNoChildren) {
    TZanBarcode* barcode = NewBarcode("ZanBarcode1");
    auto* inner = new TZanBarcode(&form);
    inner->SetParent(barcode);
    std::vector<platform::TComponent*> children;
    barcode->GetChildren([&](platform::TComponent* c) { children.push_back(c); }, &form);
    EXPECT_TRUE(children.empty());
}

TEST_F(BarcodeControlTest, WithoutSymbologyEverythingIsAcceptedAndOnlyTheBackgroundDrawn) {
    TZanBarcode* barcode = NewBarcode();
    form.Show();
    barcode->SetSymbology(nullptr);
    EXPECT_EQ(barcode->GetSymbologyName(), "");
    barcode->SetText("any text \x01\xFF");
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "any text \x01\xFF");
    const int width = barcode->GetWidth();
    barcode->GetMargins().SetLeft(30);
    EXPECT_EQ(barcode->GetWidth(), width) << "no code, no size";
    barcode->SetColor(platform::clRed);
    windows->ProcessPaints();
    const TBitmap& surface = WindowOf(*barcode).GetSurface();
    int red = 0;
    for (int y = 0; y < surface.GetHeight(); ++y)
        for (int x = 0; x < surface.GetWidth(); ++x) red += surface.GetPixel(x, y) == platform::clRed;
    EXPECT_EQ(red, width * 50);
}

TEST_F(BarcodeControlTest, AWindowGivesAControlWithoutSymbologyTheDefaultOne) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetSymbology(nullptr);
    barcode->SetText("anything");
    form.Show();
    EXPECT_EQ(barcode->GetSymbologyName(), "Code 128");
    EXPECT_EQ(barcode->GetText(), "0123456789");
    EXPECT_EQ(barcode->GetRenderer().GetCaption(), "0123456789");
    EXPECT_EQ(barcode->GetWidth(), Code128DefaultModules + 10);
}

// The window shows what the renderer copies into a bitmap of its own, pixel for pixel,
// for every symbology and orientation.
TEST_F(BarcodeControlTest, TheWindowShowsTheRenderersPicture) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetColor(platform::RgbColor(0xF0, 0xE0, 0xD0));
    form.Show();
    for (int i = 0; i < SymbologyCount(); ++i) {
        for (const TZanBarcodeOrientation o : {boNormal, bo90Degrees, bo180Degrees, bo270Degrees}) {
            const std::string name = GetSymbologyClassByIndex(i)->GetSymbologyName();
            SCOPED_TRACE(name + " at " + std::to_string(OrientationAngles[o]) + " degrees");
            barcode->SetSymbologyName(name);
            barcode->SetOrientation(o);
            const std::unique_ptr<TBitmap> copy = CopyOf(*barcode);
            windows->ProcessPaints();
            const TBitmap& surface = WindowOf(*barcode).GetSurface();
            EXPECT_EQ(surface.GetWidth(), barcode->GetWidth());
            EXPECT_EQ(surface.GetHeight(), barcode->GetHeight());
            EXPECT_EQ(DifferentPixels(surface, *copy), 0);
        }
        barcode->SetOrientation(boNormal);
    }
}

TEST_F(BarcodeControlTest, AScannerReadsTheWindow) {
    TZanBarcode* barcode = NewBarcode();
    barcode->SetColor(platform::clWhite);
    form.Show();
    windows->ProcessPaints();
    const std::string png = zantest::TestOutputDir("BarcodeControlTest.Scan") + "/code128.png";
    WindowOf(*barcode).GetSurface().SaveToPngFile(png);
    EXPECT_EQ(zantest::ScanWithZbar(png), std::vector<std::string>{"CODE-128:0123456789"});
}

TEST_F(BarcodeControlTest, DestroyingTheControlReleasesRendererAndAdapter) {
    TZanBarcode* barcode = NewBarcode();
    const std::weak_ptr<IBarcodeControlAdapter> adapter = barcode->GetRenderer().GetControlAdapter();
    int changes = 0;
    barcode->SetOnVisualChange([&](platform::TPersistent*) { ++changes; });
    form.Show();
    delete barcode;
    EXPECT_TRUE(adapter.expired());
    EXPECT_EQ(changes, 0) << "nothing reported while tearing down";
    EXPECT_EQ(form.GetControlCount(), 0);
}

// Windows of twice the screen resolution: the code is measured again on the window's canvas.
class HighResolutionControlTest : public zantest::TControlFixture {
protected:
    HighResolutionControlTest() : TControlFixture(192) {}
};

TEST_F(HighResolutionControlTest, TheWindowsResolutionSizesTheCode) {
    TZanBarcode* barcode = NewBarcode();
    EXPECT_EQ(barcode->GetWidth(), Code128DefaultModules + 10) << "no canvas yet: a pixel a module";
    form.Show();
    // 10 mils at 192 pixels per inch: 1.92, two pixels a module.
    EXPECT_EQ(barcode->GetWidth(), 2 * Code128DefaultModules + 10);
    windows->ProcessPaints();
    EXPECT_EQ(DifferentPixels(WindowOf(*barcode).GetSurface(), *CopyOf(*barcode)), 0);
}

}  // namespace
