// The linear base: module width in pixels, cursor placement, bars and the caption band.
#include <zanbarcode/symbologies/ZanLinearSymbology.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include <zanbarcode/symbologies/ZanEAN.h>
#include "tests/support/SymbologyDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace zan;
using zan::platform::TBitmap;

// A code of Modules modules: one bar per module pair, drawn with DrawBar.
class TPairs : public TZanLinearSymbology {
public:
    static std::string SymbologyName() { return "Pairs"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TPairs>(); }
    int GetCodeWidth() override { return GetBarWidth() * Modules; }
    std::string GetCaption() override { return "PAIRS"; }
    void Paint() override {
        TRect r = GetParent()->GetPaintRect(CodeRectIndex);
        if (DisplayCaption) PaintCaption(r);
        SetCodeRect(r);
        ResetPosition();
        for (int i = 0; i < Modules / 2; ++i) {
            DrawBar(true, 1);
            DrawBar(false, 1);
        }
    }
    int Cursor() const { return FPosition; }
    // The module width the code is measured with.
    int BarWidth() { return GetCodeWidth() / Modules; }
    int Place(const TRect& r, const std::string& text, TAlignment a) { return PlaceText(r, text, a); }

    int Modules = 10;
    bool DisplayCaption = false;
};

class LinearSymbologyTest : public ::testing::Test {
protected:
    LinearSymbologyTest() {
        pairs = new TPairs;
        renderer.SetSymbology(pairs);
        bitmap.GetCanvas().SetFontEngine(zan::platform::FixedMetricsFontEngine());
    }
    void UseCanvasAt(int pixelsPerInch) {
        bitmap.SetPixelsPerInch(pixelsPerInch);
        bitmap.GetCanvas().SetFontEngine(zan::platform::FixedMetricsFontEngine());
        renderer.SetCanvas(nullptr);
        renderer.SetCanvas(&bitmap.GetCanvas());
    }
    TZanBarcodeRenderer renderer;
    TPairs* pairs;
    TBitmap bitmap;
};

TEST_F(LinearSymbologyTest, BarWidthIsOneWithoutRendererOrCanvas) {
    TPairs alone;
    EXPECT_EQ(alone.GetBarWidth(), 1);
    EXPECT_EQ(alone.GetXDimension(), 10.0);
    EXPECT_EQ(pairs->GetBarWidth(), 1);
    pairs->SetXDimension(40);
    EXPECT_EQ(pairs->BarWidth(), 1);
}

TEST_F(LinearSymbologyTest, BarWidthRoundsHalvesToEven) {
    struct TCase {
        int PixelsPerInch;
        double XDimension;
        int Pixels;
    };
    // pixels per inch * XDimension / 1000, rounded half to even.
    const TCase cases[] = {
        {96, 10, 1},  {96, 15, 1},   {96, 20, 2},  {96, 5, 0},    // 0.96, 1.44, 1.92, 0.48
        {100, 5, 0},  {100, 25, 2},  {100, 15, 2}, {100, 10, 1},  // 0.5, 2.5, 1.5, 1.0
        {600, 10, 6}, {600, 7.5, 4}, {300, 10, 3}, {300, 5, 2},   // 6, 4.5, 3, 1.5
    };
    for (const TCase& c : cases) {
        UseCanvasAt(c.PixelsPerInch);
        pairs->SetXDimension(c.XDimension);
        EXPECT_EQ(pairs->GetBarWidth(), c.Pixels) << c.PixelsPerInch << " ppi, " << c.XDimension;
        EXPECT_EQ(pairs->BarWidth(), c.Pixels) << "width measured with";
    }
}

TEST_F(LinearSymbologyTest, ChangingTheCanvasRecomputesTheBarWidth) {
    UseCanvasAt(600);
    EXPECT_EQ(pairs->BarWidth(), 6);
    TBitmap screen;
    renderer.SetCanvas(&screen.GetCanvas());
    EXPECT_EQ(pairs->BarWidth(), 1);
}

TEST_F(LinearSymbologyTest, XDimensionNotifiesOnlyOnChange) {
    int notifications = 0;
    renderer.SetOnVisualChange([&](zan::platform::TPersistent*) { ++notifications; });
    pairs->SetXDimension(10);
    EXPECT_EQ(notifications, 0);
    pairs->SetXDimension(12.5);
    EXPECT_EQ(notifications, 1);
}

TEST_F(LinearSymbologyTest, XDimensionWithoutABarWidthIsRefused) {
    UseCanvasAt(300);
    pairs->SetXDimension(20);
    int notifications = 0;
    renderer.SetOnVisualChange([&](zan::platform::TPersistent*) { ++notifications; });
    for (double bad : {0.0, -10.0, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN(), 1e300}) {
        try {
            pairs->SetXDimension(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EZanBarcodeError& e) {
            EXPECT_NE(e.Message().find("XDimension"), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(zan::platform::FloatToText(bad)), std::string::npos) << e.Message();
        }
        EXPECT_EQ(pairs->GetXDimension(), 20.0);
        EXPECT_EQ(pairs->BarWidth(), 6);
    }
    EXPECT_EQ(notifications, 0);
    // The published property refuses the same way.
    const zan::platform::TPropInfo* property = pairs->FindProperty("XDimension");
    ASSERT_NE(property, nullptr);
    EXPECT_THROW(property->SetValue(*pairs, "0"), EZanBarcodeError);
    EXPECT_EQ(property->GetValue(*pairs), "20");
}

TEST_F(LinearSymbologyTest, CursorFollowsTheAlignment) {
    struct TCase {
        TAlignment Alignment;
        TRect CodeRect;
        int Modules;
        int Cursor;
    };
    const TCase cases[] = {
        {zan::platform::taLeftJustify, {3, 0, 101, 10}, 51, 3},
        {zan::platform::taRightJustify, {0, 0, 101, 10}, 51, 50},
        {zan::platform::taCenter, {0, 0, 101, 10}, 51, 25},        // 50 - 25
        {zan::platform::taCenter, {10, 0, 20, 10}, 31, 0},         // 10 + 5 - 15
        {zan::platform::taRightJustify, {0, 0, 40, 10}, 51, -11},  // wider than the rectangle
    };
    for (const TCase& c : cases) {
        renderer.SetAlignment(c.Alignment);
        pairs->Modules = c.Modules;
        pairs->SetCodeRect(c.CodeRect);
        pairs->ResetPosition();
        EXPECT_EQ(pairs->Cursor(), c.Cursor) << int(c.Alignment) << " " << c.Modules;
    }
}

// Reads one row of the bitmap as B (bar colour), S (space colour) and . (anything else).
std::string Row(const TBitmap& b, int y, int from, int to) {
    std::string row;
    for (int x = from; x < to; ++x) {
        const zan::platform::TColor c = b.GetPixel(x, y);
        row += c == 0x000080 ? 'B' : c == 0x00C000 ? 'S' : '.';
    }
    return row;
}

TEST_F(LinearSymbologyTest, BarsAndSpacesArePaintedInTheirColoursAtTheCursor) {
    UseCanvasAt(200);  // XDimension 10 is 2 pixels
    bitmap.SetSize(40, 20);
    renderer.SetBoundsRect({0, 0, 40, 20});
    renderer.SetBarColor(0x000080);
    renderer.SetSpaceColor(0x00C000);
    pairs->Modules = 6;
    renderer.SetAlignment(zan::platform::taRightJustify);
    renderer.Paint();
    // Paint area 5..35; a 12-pixel code placed at its right edge.
    EXPECT_EQ(Row(bitmap, 10, 0, 40),
              "......................."
              "BBSSBBSSBBSS"
              ".....");
    EXPECT_EQ(Row(bitmap, 4, 0, 40), std::string(40, '.'));  // top margin
    EXPECT_EQ(Row(bitmap, 5, 23, 35), "BBSSBBSSBBSS");
    EXPECT_EQ(Row(bitmap, 14, 23, 35), "BBSSBBSSBBSS");
    EXPECT_EQ(Row(bitmap, 15, 23, 35), std::string(12, '.'));  // bottom margin
}

// The resolution of the renderer's canvas changes after the renderer was given it, and
// nobody tells the renderer: the modules follow the resolution the canvas has now.
TEST_F(LinearSymbologyTest, ModulesFollowAResolutionChangedUnderTheRenderersCanvas) {
    UseCanvasAt(96);
    EXPECT_EQ(pairs->BarWidth(), 1);
    bitmap.SetPixelsPerInch(300);  // XDimension 10 is 3 pixels
    EXPECT_EQ(pairs->GetBarWidth(), 3);
    EXPECT_EQ(pairs->BarWidth(), 3);
    bitmap.SetSize(40, 20);
    renderer.SetBoundsRect({0, 0, 40, 20});
    renderer.SetBarColor(0x000080);
    renderer.SetSpaceColor(0x00C000);
    pairs->Modules = 6;
    renderer.Paint();
    EXPECT_EQ(Row(bitmap, 10, 0, 40),
              "....."
              "BBBSSSBBBSSSBBBSSS"
              ".................");
}

TEST_F(LinearSymbologyTest, CaptionBandTakesTheTextHeightFromTheBars) {
    UseCanvasAt(96);
    renderer.SetBoundsRect({0, 0, 100, 110});
    zan::platform::TFont font;
    font.SetName("Arial");
    font.SetHeight(-13);  // fixed metrics: a cell 13 pixels high
    renderer.SetFont(font);
    TRect r{0, 0, 90, 100};
    pairs->PaintCaption(r);
    EXPECT_EQ(r.Bottom, 85);
    // The text sits in the band 86..100 of the code frame, anchored at its bottom.
    EXPECT_EQ(bitmap.GetCanvas().GetTextAlign(), zan::platform::TTextAlign::Bottom | zan::platform::TTextAlign::Left);
}

TEST_F(LinearSymbologyTest, CaptionIsDrawnUnderTheBarsInEveryOrientation) {
    UseCanvasAt(96);
    zan::platform::TFont font;
    font.SetName("Arial");
    font.SetHeight(-8);  // fixed metrics: cell 8, each character 4 wide, ascent 6
    renderer.SetFont(font);
    renderer.SetBarColor(0x000080);
    renderer.SetSpaceColor(0x00C000);
    pairs->DisplayCaption = true;
    struct TCase {
        TZanBarcodeOrientation Orientation;
        TPoint CaptionPixel;  // inside the first letter's box
        TPoint BarPixel;      // inside the first bar, just clear of the band
    };
    // Output 60 by 40 (turned: 40 by 60), margins 5: the band is 9 pixels at the bottom of
    // the code frame, the first letter's box (4 wide, 6 high) at the band's start.
    const TCase cases[] = {
        {boNormal, {6, 31}, {5, 24}},
        {bo90Degrees, {31, 53}, {24, 54}},
        {bo180Degrees, {53, 8}, {54, 15}},
        {bo270Degrees, {8, 6}, {15, 5}},
    };
    for (const TCase& c : cases) {
        bitmap.SetSize(0, 0);
        renderer.SetOrientation(boNormal);
        renderer.SetBoundsRect({0, 0, 60, 40});
        renderer.SetOrientation(c.Orientation);
        bitmap.SetSize(renderer.GetWidth(), renderer.GetHeight());
        renderer.Paint();
        EXPECT_EQ(bitmap.GetPixel(c.CaptionPixel.X, c.CaptionPixel.Y), zan::platform::clBlack)  // the font colour
            << int(c.Orientation);
        EXPECT_EQ(bitmap.GetPixel(c.BarPixel.X, c.BarPixel.Y), 0x000080u) << int(c.Orientation);
    }
}

TEST_F(LinearSymbologyTest, FacesThatAreNotTrueTypeAreTurnedInArial) {
    UseCanvasAt(96);
    renderer.SetBoundsRect({0, 0, 100, 100});
    renderer.SetOrientation(bo90Degrees);
    zan::platform::TFont font;
    font.SetName("MS Sans Serif");  // a bitmap face for the fixed-metrics engine
    font.SetHeight(-12);
    font.SetStyle(zan::platform::fsBold);
    renderer.SetFont(font);
    TRect r{0, 0, 90, 90};
    pairs->PaintCaption(r);
    const zan::platform::TLogFont drawn = zan::platform::GetObject(bitmap.GetCanvas().GetFont().GetHandle());
    EXPECT_EQ(drawn.FaceName, "Arial");
    EXPECT_EQ(drawn.Height, -12);
    EXPECT_EQ(drawn.Weight, zan::platform::fwBold);
    EXPECT_EQ(drawn.Escapement, 900);
    EXPECT_EQ(drawn.Orientation, 900);
}

TEST_F(LinearSymbologyTest, PlaceTextAnchorsAtTheBottomEdge) {
    UseCanvasAt(96);
    renderer.SetBoundsRect({0, 0, 100, 100});
    zan::platform::TFont font;
    font.SetName("Arial");
    font.SetHeight(-8);
    renderer.SetFont(font);
    bitmap.GetCanvas().GetFont().Assign(renderer.GetFont());
    EXPECT_EQ(pairs->Place({0, 0, 40, 20}, "ABC", zan::platform::taCenter), 12);
    EXPECT_EQ(bitmap.GetCanvas().GetTextAlign(), zan::platform::TTextAlign::Bottom | zan::platform::TTextAlign::Center);
    // Centred on an inverted rectangle: the midpoint rounded toward Left.
    bitmap.SetSize(100, 100);
    renderer.Paint();
    pairs->Place({31, 0, 20, 20}, "A", zan::platform::taCenter);
    // Anchor x = 31 - (31 - 20) div 2 = 26 in the code frame, 31 on the canvas; the box
    // is clipped to the collapsed rectangle, so nothing of the text shows.
    EXPECT_EQ(bitmap.GetPixel(30, 24), zan::platform::clWhite);
    TPairs alone;
    EXPECT_EQ(alone.Place({0, 0, 40, 20}, "ABC", zan::platform::taLeftJustify), 0);
}

}  // namespace

namespace {

// Extreme bounds and margins give extreme rectangles, never an arithmetic overflow
// (the sanitizer build turns one into a failure): every registered symbology paints.
TEST(ExtremeGeometry, EverySymbologyPaintsWithoutOverflow) {
    constexpr int Min = std::numeric_limits<int>::min();
    constexpr int Max = std::numeric_limits<int>::max();
    const zan::TRect boundsCases[] = {{Min, Min, Max, Max}, {Max, Max, Min, Min}, {0, 0, Max, 40}, {-5, -5, 0, 0}};
    const int marginCases[] = {Min, -1, Max};
    zan::RegisterBarcodeSymbologies();
    zan::platform::TBitmap bitmap;
    bitmap.SetSize(30, 30);
    bitmap.GetCanvas().SetFontEngine(zan::platform::FixedMetricsFontEngine());
    for (int i = 0; i < zan::SymbologyCount(); ++i) {
        zan::TZanBarcodeRenderer renderer;
        renderer.SetSymbology(zan::GetSymbologyClassByIndex(i)->Create());
        renderer.SetCanvas(&bitmap.GetCanvas());
        for (const zan::TRect& bounds : boundsCases)
            for (int margin : marginCases)
                for (auto alignment :
                     {zan::platform::taLeftJustify, zan::platform::taRightJustify, zan::platform::taCenter})
                    for (auto o : {zan::boNormal, zan::bo90Degrees, zan::bo180Degrees, zan::bo270Degrees}) {
                        renderer.SetOrientation(o);
                        renderer.SetAlignment(alignment);
                        renderer.SetBoundsRect(bounds);
                        for (int side = 0; side < 4; ++side) renderer.GetMargins().SetMargin(side, margin);
                        renderer.Paint();
                        const zan::TRect r = renderer.ResolveRect({Min, Min, Max, Max});
                        EXPECT_LE(r.Left, r.Right);
                        EXPECT_LE(r.Top, r.Bottom);
                    }
    }
}

}  // namespace

namespace {

// A bitmap that is the renderer's canvas gets a new resolution, then the barcode is
// copied into it: the copy is measured and drawn at the new resolution.
TEST(ResolutionChange, ACopyIntoTheCanvasBitmapHasItsNewResolution) {
    zan::RegisterBarcodeSymbologies();
    zan::TZanBarcodeRenderer renderer;  // Code 128, caption 0123456789
    TBitmap bitmap;
    renderer.SetCanvas(&bitmap.GetCanvas());
    renderer.SetBounds(0, 0, 600, 120);
    bitmap.SetPixelsPerInch(300);
    renderer.CopyToBitmap(bitmap);
    // Start B, ten data symbols and the check symbol of 11 modules each and the 13-module
    // stop: 145 modules of 3 pixels (0.010 inch at 300 pixels per inch), margins 5 and 5.
    EXPECT_EQ(bitmap.GetWidth(), 145 * 3 + 10);
    EXPECT_EQ(bitmap.GetHeight(), 120);
    const std::string png = zantest::TestOutputDir("ResolutionChange") + "/code128.png";
    bitmap.SaveToFile(png);
    EXPECT_EQ(zantest::ScanWithZbar(png), (std::vector<std::string>{"CODE-128:0123456789"}));
}

}  // namespace

namespace {

// Painting needs a canvas: every symbology refuses to paint without one in the same way,
// alone or on a renderer that has neither a canvas nor a host, as the renderer does.
TEST(PaintWithoutCanvas, EverySymbologyRaisesInvalidCanvas) {
    zan::RegisterBarcodeSymbologies();
    for (int i = 0; i < zan::SymbologyCount(); ++i) {
        const zan::TZanBarcodeSymbologyClass symbologyClass = zan::GetSymbologyClassByIndex(i);
        SCOPED_TRACE(symbologyClass->GetSymbologyName());
        const auto refusal = [](const std::function<void()>& paint) {
            try {
                paint();
            } catch (const zan::EInvalidCanvas& e) {
                return e.Message();
            }
            return std::string("(no EInvalidCanvas)");
        };
        const std::unique_ptr<zan::TZanBarcodeSymbology> alone = symbologyClass->Create();
        EXPECT_EQ(refusal([&] { alone->Paint(); }), "Invalid Canvas");

        zan::TZanBarcodeRenderer renderer;
        renderer.SetSymbology(symbologyClass->Create());
        renderer.SetBounds(0, 0, 200, 50);
        EXPECT_EQ(refusal([&] { renderer.GetSymbology()->Paint(); }), "Invalid Canvas");
        EXPECT_EQ(refusal([&] { renderer.Paint(); }), "Invalid Canvas");
        if (auto* linear = dynamic_cast<zan::TZanLinearSymbology*>(renderer.GetSymbology())) {
            zan::TRect band{0, 0, 100, 40};
            EXPECT_EQ(refusal([&] { linear->PaintCaption(band); }), "Invalid Canvas");
            linear->ResetPosition();  // places the cursor, needs no canvas
        }
    }
}

}  // namespace

namespace {

// A device of a hundred million pixels per inch that keeps nothing it is given. With an
// XDimension of 1000 (an inch) a module there is 1e8 pixels, so every code (22 modules
// or more) is longer than 32 bits can count.
class TVastCanvas : public zan::platform::TCanvas {
public:
    TVastCanvas() : TCanvas(100'000'000, 100'000'000, zan::platform::FixedMetricsFontEngine()) {}

protected:
    void DoFillRect(const zan::TRect&, zan::TColor) override {}
    void DoTextRect(const zan::TRect&, zan::TPoint, const std::string&, bool) override {}
};

// Sizes are computed in 64 bits: a code width that no int holds saturates, painting
// never overflows (the sanitizer build turns an overflow into a failure), and a copy of
// such a code is refused with the size it would have had.
TEST(ExtremeResolution, CodeWidthsSaturateAndCopiesAreRefusedWithTheirSize) {
    zan::RegisterBarcodeSymbologies();
    TVastCanvas vast;
    for (int i = 0; i < zan::SymbologyCount(); ++i) {
        zan::TZanBarcodeRenderer renderer;
        renderer.SetSymbology(zan::GetSymbologyClassByIndex(i)->Create());
        zan::TZanBarcodeSymbology& symbology = *renderer.GetSymbology();
        SCOPED_TRACE(symbology.GetSymbologyName());
        renderer.SetCanvas(&vast);
        renderer.SetBounds(0, 0, 1000, 100);
        symbology.FindProperty("XDimension")->SetValue(symbology, "1000");
        EXPECT_EQ(symbology.GetCodeWidth(), std::numeric_limits<int>::max());
        for (auto alignment : {zan::platform::taLeftJustify, zan::platform::taRightJustify, zan::platform::taCenter})
            for (auto o : {zan::boNormal, zan::bo90Degrees, zan::bo180Degrees, zan::bo270Degrees}) {
                renderer.SetAlignment(alignment);
                renderer.SetOrientation(o);
                renderer.Paint();
            }
        renderer.SetOrientation(zan::boNormal);
        zan::platform::TMetafile metafile;
        const std::string refusal = zantest::MessageOf([&] { renderer.CopyToMetafile(metafile); });
        // The saturated code width and the margins of 5 and 5.
        EXPECT_EQ(refusal.substr(0, 36), "Cannot make a picture of 2147483657 ") << refusal;
        EXPECT_EQ(metafile.GetWidth(), 0);
    }
}

}  // namespace

namespace {

// Every piece of drawing state a canvas holds, written out so that a difference shows.
std::string CanvasState(zan::platform::TCanvas& canvas) {
    const auto& brush = canvas.GetBrush();
    const auto& pen = canvas.GetPen();
    const auto& font = canvas.GetFont();
    const zan::platform::TLogFont handle = zan::platform::GetObject(font.GetHandle());
    return "brush " + std::to_string(brush.GetColor()) + "/" + std::to_string(brush.GetStyle()) + ", pen " +
           std::to_string(pen.GetColor()) + "/" + std::to_string(pen.GetStyle()) + "/" +
           std::to_string(pen.GetWidth()) + ", font " + font.GetName() + "/" + std::to_string(font.GetHeight()) + "/" +
           std::to_string(font.GetStyle()) + "/" + std::to_string(font.GetColor()) + "/" +
           std::to_string(font.GetPixelsPerInch()) + ", handle " + handle.FaceName + "/" +
           std::to_string(handle.Height) + "/" + std::to_string(handle.Escapement) + "/" +
           std::to_string(handle.Orientation) + "/" + std::to_string(handle.Weight) + ", pen at " +
           std::to_string(canvas.GetPenPos().X) + "," + std::to_string(canvas.GetPenPos().Y) + ", copy mode " +
           std::to_string(canvas.GetCopyMode()) + ", text flags " + std::to_string(canvas.GetTextFlags()) +
           ", text align " + std::to_string(canvas.GetTextAlign());
}

// Queries measure with the renderer's font and leave the caller's canvas exactly as it
// was, down to a turned font handle that the caller installed.
TEST(Queries, LeaveTheCanvasAsItWas) {
    zan::RegisterBarcodeSymbologies();
    TBitmap bitmap;
    bitmap.SetSize(400, 100);
    zan::platform::TCanvas& canvas = bitmap.GetCanvas();
    canvas.SetFontEngine(zan::platform::FixedMetricsFontEngine());
    canvas.GetBrush().SetColor(0x123456);
    canvas.GetBrush().SetStyle(zan::platform::bsClear);
    canvas.GetPen().SetColor(0x654321);
    canvas.GetPen().SetStyle(zan::platform::psDot);
    canvas.GetPen().SetWidth(3);
    canvas.GetFont().SetName("Courier");
    canvas.GetFont().SetHeight(-30);
    canvas.GetFont().SetColor(0x00FF00);
    zan::platform::TLogFont turned = zan::platform::GetObject(canvas.GetFont().GetHandle());
    turned.Escapement = 450;
    turned.Orientation = 450;
    canvas.GetFont().SetHandle(zan::platform::CreateFontIndirect(turned));
    canvas.MoveTo(7, 9);
    canvas.SetCopyMode(zan::platform::cmBlackness);
    canvas.SetTextFlags(4);
    canvas.SetTextAlign(zan::platform::TTextAlign::Right | zan::platform::TTextAlign::Baseline);
    const std::string before = CanvasState(canvas);

    for (int i = 0; i < zan::SymbologyCount(); ++i) {
        zan::TZanBarcodeRenderer renderer;
        renderer.SetSymbology(zan::GetSymbologyClassByIndex(i)->Create());
        zan::TZanBarcodeSymbology& symbology = *renderer.GetSymbology();
        SCOPED_TRACE(symbology.GetSymbologyName());
        renderer.SetCanvas(&canvas);
        renderer.SetBounds(0, 0, 400, 100);
        if (auto* ean = dynamic_cast<zan::TZanEanWithDigitLocations*>(&symbology)) {
            ean->SetFlagDigitLocation(zan::dlOutside);  // more texts to measure
            ean->SetCheckDigitLocation(zan::dlOutside);
        }
        (void)symbology.GetCodeWidth();
        (void)symbology.GetCodeHeight();
        (void)symbology.GetDefaultCaption();
        std::string caption = renderer.GetCaption();
        symbology.ValidateText(caption);
        if (auto* linear = dynamic_cast<zan::TZanLinearSymbology*>(&symbology)) {
            (void)linear->GetCaption();
            (void)linear->GetBarWidth();
        }
        EXPECT_EQ(CanvasState(canvas), before);
    }
}

}  // namespace
