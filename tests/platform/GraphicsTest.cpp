#include <zanbarcode/platform/Graphics.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {
namespace {

// A canvas that records what reaches the device.
class TRecordingCanvas : public TCanvas {
public:
    struct TTextCall {
        TRect Rect;
        TPoint Reference;
        std::string Text;
        bool Opaque = false;
    };

    TRecordingCanvas(int ppiX, int ppiY) : TCanvas(ppiX, ppiY, FixedMetricsFontEngine()) {}

    TLogFont LogFont() const { return CurrentLogFont(); }

    std::vector<std::pair<TRect, TColor>> Fills;
    std::vector<TTextCall> Texts;

protected:
    void DoFillRect(const TRect& rect, TColor color) override { Fills.emplace_back(rect, color); }
    void DoTextRect(const TRect& rect, TPoint reference, const std::string& text, bool opaque) override {
        Texts.push_back({.Rect = rect, .Reference = reference, .Text = text, .Opaque = opaque});
    }
};

TLogFont Rotated(const std::string& face, std::int32_t height, std::int32_t escapement) {
    TLogFont record;
    record.FaceName = face;
    record.Height = height;
    record.Escapement = escapement;
    record.Orientation = escapement;
    return record;
}

// ---------------------------------------------------------------------------------------
// TFont

TEST(FontTest, Defaults) {
    // An 8-point "MS Sans Serif" at 96 pixels per inch, black as window text.
    TFont font;
    EXPECT_EQ(font.GetName(), "MS Sans Serif");
    EXPECT_EQ(font.GetHeight(), -11);
    EXPECT_EQ(font.GetSize(), 8);
    EXPECT_EQ(font.GetStyle(), 0);
    EXPECT_EQ(font.GetColor(), clWindowText);
    EXPECT_EQ(font.GetPixelsPerInch(), 96);
}

TEST(FontTest, SizeAndHeightConvertLikeMulDiv) {
    // Size = -MulDiv(Height, 72, ppi) and Height = -MulDiv(Size, ppi, 72); MulDiv rounds
    // the exact quotient to the nearest integer, halves away from zero. Worked by hand.
    struct Case {
        int ppi;
        std::int32_t height;
        int size;
    };
    const Case fromHeight[] = {
        {.ppi = 96, .height = -11, .size = 8},   // 8.25
        {.ppi = 96, .height = -13, .size = 10},  // 9.75
        {.ppi = 96, .height = -16, .size = 12},
        {.ppi = 96, .height = 16, .size = -12},  // a cell height gives a negative size
        {.ppi = 144, .height = -1, .size = 1},   // 0.5 rounds away from zero
        {.ppi = 144, .height = -3, .size = 2},   // 1.5
        {.ppi = 144, .height = 1, .size = -1},   // -0.5
        {.ppi = 300, .height = -33, .size = 8},  // 7.92
        {.ppi = 600, .height = -100, .size = 12},
    };
    for (const Case& c : fromHeight) {
        TFont font;
        font.SetPixelsPerInch(c.ppi);
        font.SetHeight(c.height);
        EXPECT_EQ(font.GetSize(), c.size) << c.ppi << " " << c.height;
    }
    const Case fromSize[] = {
        {.ppi = 96, .height = -11, .size = 8},                                             // 10.67
        {.ppi = 96, .height = -13, .size = 10},                                            // 13.33
        {.ppi = 120, .height = -15, .size = 9},   {.ppi = 300, .height = -33, .size = 8},  // 33.33
        {.ppi = 36, .height = -1, .size = 1},                                              // 0.5 rounds away from zero
        {.ppi = 36, .height = 1, .size = -1},                                              // -0.5
        {.ppi = 600, .height = -100, .size = 12},
    };
    for (const Case& c : fromSize) {
        TFont font;
        font.SetPixelsPerInch(c.ppi);
        font.SetSize(c.size);
        EXPECT_EQ(font.GetHeight(), c.height) << c.ppi << " " << c.size;
    }
}

TEST(FontTest, ExtremeSizesAndHeightsSaturate) {
    // The conversions are worked in 64 bits and brought back to the 32-bit range, so that
    // negating -2147483648 or scaling a huge size cannot wrap round and change the sign.
    struct Case {
        int ppi;
        std::int32_t height;
        int size;
    };
    const Case fromHeight[] = {
        {.ppi = 72, .height = INT_MIN, .size = INT_MAX},      // 2147483648 points
        {.ppi = 72, .height = INT_MAX, .size = -INT_MAX},     // exact
        {.ppi = 36, .height = INT_MIN + 1, .size = INT_MAX},  // 4294967294 points
        {.ppi = 36, .height = INT_MAX, .size = INT_MIN},      // -4294967294 points
    };
    for (const Case& c : fromHeight) {
        TFont font;
        font.SetPixelsPerInch(c.ppi);
        font.SetHeight(c.height);
        EXPECT_EQ(font.GetSize(), c.size) << c.ppi << " " << c.height;
    }
    const Case fromSize[] = {
        {.ppi = 96, .height = INT_MAX, .size = INT_MIN},   // 2863311531 pixels of cell
        {.ppi = 96, .height = INT_MIN, .size = INT_MAX},   // 2863311529.33 pixels of em
        {.ppi = 72, .height = INT_MAX, .size = INT_MIN},   // 2147483648 pixels of cell
        {.ppi = 72, .height = -INT_MAX, .size = INT_MAX},  // exact
        {.ppi = 1000000, .height = INT_MIN, .size = 1000000},
    };
    for (const Case& c : fromSize) {
        TFont font;
        font.SetPixelsPerInch(c.ppi);
        font.SetSize(c.size);
        EXPECT_EQ(font.GetHeight(), c.height) << c.ppi << " " << c.size;
    }
    // Assign between resolutions goes through the size: INT_MIN pixels at 72 are
    // 2147483647 points (saturated), which are 2863311529.33 pixels at 96.
    TFont source;
    source.SetPixelsPerInch(72);
    source.SetHeight(INT_MIN);
    TFont screen;
    screen.Assign(source);
    EXPECT_EQ(screen.GetHeight(), INT_MIN);
}

TEST(FontTest, ChangingTheResolutionKeepsTheHeight) {
    TFont font;
    font.SetHeight(-20);
    font.SetPixelsPerInch(300);
    EXPECT_EQ(font.GetHeight(), -20);
    EXPECT_EQ(font.GetSize(), 5);  // 20 * 72 / 300 = 4.8
}

TEST(FontTest, AssignCopiesEveryAttribute) {
    TFont source;
    source.SetName("Courier New");
    source.SetHeight(-20);
    source.SetStyle(fsBold | fsItalic);
    source.SetColor(clRed);
    TFont copy;
    copy.Assign(source);
    EXPECT_EQ(copy.GetName(), "Courier New");
    EXPECT_EQ(copy.GetHeight(), -20);  // same resolution: the height as it is, not via Size
    EXPECT_EQ(copy.GetStyle(), fsBold | fsItalic);
    EXPECT_EQ(copy.GetColor(), clRed);
}

TEST(FontTest, AssignBetweenResolutionsKeepsThePointSize) {
    TFont screen;           // 96 pixels per inch
    screen.SetHeight(-16);  // 12 points
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(screen);
    EXPECT_EQ(printer.GetHeight(), -100);  // 12 * 600 / 72
    EXPECT_EQ(printer.GetSize(), 12);
    EXPECT_EQ(printer.GetPixelsPerInch(), 600);

    TFont back;
    back.Assign(printer);
    EXPECT_EQ(back.GetHeight(), -16);
}

TEST(FontTest, AssignCopiesAnInstalledHandle) {
    TFont source;
    const HFONT rotated = CreateFontIndirect(Rotated("Arial", -20, 900));
    source.SetHandle(rotated);
    TFont copy;
    copy.Assign(source);
    EXPECT_EQ(copy.GetHandle(), rotated);

    // At another resolution the handle keeps its turn and takes the new height.
    TFont printer;
    printer.SetPixelsPerInch(288);
    printer.Assign(source);  // -20 at 96 is 15 points, 60 pixels at 288
    const TLogFont record = GetObject(printer.GetHandle());
    EXPECT_EQ(record.Escapement, 900);
    EXPECT_EQ(record.Orientation, 900);
    EXPECT_EQ(record.Height, -60);
    EXPECT_EQ(printer.GetHeight(), -60);

    // A font without a handle replaces an installed one (how a saved canvas restores).
    TFont plain;
    copy.Assign(plain);
    EXPECT_EQ(GetObject(copy.GetHandle()).Escapement, 0);
    EXPECT_EQ(copy.GetName(), "MS Sans Serif");
}

TEST(FontTest, HandleFromAttributes) {
    TFont font;
    font.SetName("Arial");
    font.SetHeight(-13);
    font.SetStyle(fsBold | fsUnderline);
    const TLogFont record = GetObject(font.GetHandle());
    EXPECT_EQ(record.FaceName, "Arial");
    EXPECT_EQ(record.Height, -13);
    EXPECT_EQ(record.Weight, fwBold);
    EXPECT_FALSE(record.Italic);
    EXPECT_TRUE(record.Underline);
    EXPECT_FALSE(record.StrikeOut);
    EXPECT_EQ(record.Escapement, 0);
}

TEST(FontTest, SetHandleTakesNameHeightAndStyleFromTheRecord) {
    TLogFont record = Rotated("Courier New", -27, 2700);
    record.Weight = fwBold;
    record.Italic = true;
    record.StrikeOut = true;
    TFont font;
    font.SetColor(clRed);
    font.SetHandle(CreateFontIndirect(record));
    EXPECT_EQ(font.GetName(), "Courier New");
    EXPECT_EQ(font.GetHeight(), -27);
    EXPECT_EQ(font.GetStyle(), fsBold | fsItalic | fsStrikeOut);
    EXPECT_EQ(font.GetColor(), clRed);
    EXPECT_EQ(GetObject(font.GetHandle()), record);
}

TEST(FontTest, SettingAnAttributeDropsTheInstalledHandle) {
    struct Case {
        const char* name;
        void (*change)(TFont&);
        bool keepsHandle;
    };
    const Case cases[] = {
        {.name = "Name", .change = [](TFont& f) { f.SetName("Arial"); }, .keepsHandle = false},
        {.name = "same Name", .change = [](TFont& f) { f.SetName(f.GetName()); }, .keepsHandle = false},
        {.name = "Height", .change = [](TFont& f) { f.SetHeight(-30); }, .keepsHandle = false},
        {.name = "Size", .change = [](TFont& f) { f.SetSize(20); }, .keepsHandle = false},
        {.name = "Style", .change = [](TFont& f) { f.SetStyle(fsItalic); }, .keepsHandle = false},
        {.name = "Color", .change = [](TFont& f) { f.SetColor(clRed); }, .keepsHandle = true},
    };
    for (const Case& c : cases) {
        TFont font;
        font.SetHandle(CreateFontIndirect(Rotated("Arial", -20, 900)));
        c.change(font);
        EXPECT_EQ(GetObject(font.GetHandle()).Escapement, c.keepsHandle ? 900 : 0) << c.name;
    }
}

TEST(FontTest, OnChangeFiresOnChangesOnly) {
    TFont font;
    int changes = 0;
    font.OnChange = [&changes, &font](TPersistent* sender) {
        EXPECT_EQ(sender, &font);
        ++changes;
    };
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    font.SetColor(clWindowText);
    EXPECT_EQ(changes, 0);
    font.SetName("Arial");
    font.SetSize(12);
    font.SetStyle(fsBold);
    font.SetColor(clRed);
    EXPECT_EQ(changes, 4);
    font.SetHandle(CreateFontIndirect(Rotated("Arial", -16, 900)));
    EXPECT_EQ(changes, 5);
    TFont other;
    font.Assign(other);
    EXPECT_EQ(changes, 6);
}

TEST(FontTest, PublishedProperties) {
    TFont font;
    std::vector<std::string> names;
    for (const TPropInfo& p : font.PublishedProperties()) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Color", "Height", "Name", "Size", "Style"}));

    font.FindProperty("name")->SetValue(font, "Courier New");
    font.FindProperty("Size")->SetValue(font, "10");
    font.FindProperty("Style")->SetValue(font, "3");
    font.FindProperty("Color")->SetValue(font, "255");
    EXPECT_EQ(font.GetName(), "Courier New");
    EXPECT_EQ(font.GetHeight(), -13);
    EXPECT_EQ(font.GetStyle(), fsBold | fsItalic);
    EXPECT_EQ(font.GetColor(), clRed);
    EXPECT_EQ(font.FindProperty("Height")->GetValue(font), "-13");
    // Size is a view of Height: only Height goes into a form file.
    EXPECT_TRUE(font.FindProperty("Height")->ShouldStore(font));
    EXPECT_FALSE(font.FindProperty("Size")->ShouldStore(font));
    EXPECT_THROW(font.FindProperty("Height")->SetValue(font, "tall"), EConvertError);
}

TEST(FontTest, PropertyValuesBeyondTheirTypeAreRefused) {
    // Form-file text past the 32-bit Height and Size or the 8-bit Style raises
    // EConvertError and changes nothing, rather than wrapping round (4294967297 would
    // otherwise become a height of 1).
    struct Case {
        std::string property;
        std::string text;
    };
    const Case cases[] = {
        {.property = "Height", .text = "4294967297"}, {.property = "Height", .text = "-2147483649"},
        {.property = "Size", .text = "2147483648"},   {.property = "Size", .text = "-9223372036854775808"},
        {.property = "Style", .text = "256"},         {.property = "Style", .text = "-1"},
        {.property = "Color", .text = "-1"},          {.property = "Color", .text = "4294967296"},
    };
    for (const Case& c : cases) {
        TFont font;
        EXPECT_THROW(font.FindProperty(c.property)->SetValue(font, c.text), EConvertError)
            << c.property << " " << c.text;
        EXPECT_EQ(font.GetHeight(), -11) << c.property << " " << c.text;
        EXPECT_EQ(font.GetStyle(), 0) << c.property << " " << c.text;
        EXPECT_EQ(font.GetColor(), clWindowText) << c.property << " " << c.text;
    }
    // The ends of the ranges are taken as they are.
    TFont font;
    font.FindProperty("Height")->SetValue(font, "-2147483648");
    EXPECT_EQ(font.GetHeight(), INT_MIN);
    font.FindProperty("Color")->SetValue(font, "4294967295");
    EXPECT_EQ(font.GetColor(), 0xFFFFFFFF);
    font.FindProperty("Style")->SetValue(font, "255");
    EXPECT_EQ(font.GetStyle(), 255);
}

// ---------------------------------------------------------------------------------------
// TBrush, TPen

TEST(BrushAndPenTest, AssignCopies) {
    TBrush brush;
    brush.SetColor(clRed);
    brush.SetStyle(bsClear);
    TBrush brushCopy;
    brushCopy.Assign(brush);
    EXPECT_EQ(brushCopy.GetColor(), clRed);
    EXPECT_EQ(brushCopy.GetStyle(), bsClear);

    TPen pen;
    pen.SetColor(clRed);
    pen.SetStyle(psClear);
    pen.SetWidth(3);
    TPen penCopy;
    penCopy.Assign(pen);
    EXPECT_EQ(penCopy.GetColor(), clRed);
    EXPECT_EQ(penCopy.GetStyle(), psClear);
    EXPECT_EQ(penCopy.GetWidth(), 3);
}

TEST(GraphicsObjectTest, AssignBetweenClassesRaisesEConvertError) {
    // The message of TPersistent's fallback: "Cannot assign a <source> to a <target>.".
    TBrush brush;
    TPen pen;
    TFont font;
    struct Case {
        TPersistent& target;
        TPersistent& source;
        std::string message;
    };
    const Case cases[] = {
        {.target = brush, .source = pen, .message = "Cannot assign a TPen to a TBrush."},
        {.target = pen, .source = brush, .message = "Cannot assign a TBrush to a TPen."},
        {.target = pen, .source = font, .message = "Cannot assign a TFont to a TPen."},
        {.target = font, .source = brush, .message = "Cannot assign a TBrush to a TFont."},
    };
    for (const Case& c : cases) {
        try {
            c.target.Assign(c.source);
            ADD_FAILURE() << "no exception for " << c.message;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

// ---------------------------------------------------------------------------------------
// TCanvas

TEST(CanvasTest, DeviceResolution) {
    TRecordingCanvas canvas(300, 600);
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsX), 300);
    EXPECT_EQ(canvas.GetDeviceCaps(dcLogPixelsY), 600);
    EXPECT_EQ(canvas.GetDeviceCaps(0), 0);
    // Font heights are device pixels, so the font measures its size at the device's
    // vertical resolution.
    EXPECT_EQ(canvas.GetFont().GetPixelsPerInch(), 600);
    canvas.GetFont().SetSize(12);
    EXPECT_EQ(canvas.GetFont().GetHeight(), -100);
}

TEST(CanvasTest, FillRectPaintsNonEmptyRectanglesWithASolidBrush) {
    TRecordingCanvas canvas(96, 96);
    canvas.GetBrush().SetColor(clRed);
    canvas.FillRect(Rect(1, 2, 3, 4));
    canvas.FillRect(Rect(5, 5, 5, 9));  // empty
    canvas.FillRect(Rect(5, 5, 9, 5));  // empty
    canvas.FillRect(Rect(9, 5, 5, 9));  // inverted
    canvas.FillRect(Rect(5, 9, 9, 5));  // inverted
    canvas.GetBrush().SetColor(clWindow);
    canvas.FillRect(Rect(-3, -3, 0, 0));
    canvas.GetBrush().SetStyle(bsClear);
    canvas.FillRect(Rect(0, 0, 10, 10));
    ASSERT_EQ(canvas.Fills.size(), 2u);
    EXPECT_EQ(canvas.Fills[0], std::make_pair(Rect(1, 2, 3, 4), clRed));
    EXPECT_EQ(canvas.Fills[1], std::make_pair(Rect(-3, -3, 0, 0), clWhite));  // the window colour
}

TEST(CanvasTest, TextRectIsOpaqueWithASolidBrush) {
    TRecordingCanvas canvas(96, 96);
    canvas.TextRect(Rect(0, 0, 50, 20), 7, 19, "AB");
    canvas.GetBrush().SetStyle(bsClear);
    canvas.TextRect(Rect(1, 1, 2, 2), -5, 3, "C");
    ASSERT_EQ(canvas.Texts.size(), 2u);
    EXPECT_EQ(canvas.Texts[0].Rect, Rect(0, 0, 50, 20));
    EXPECT_EQ(canvas.Texts[0].Reference, Point(7, 19));
    EXPECT_EQ(canvas.Texts[0].Text, "AB");
    EXPECT_TRUE(canvas.Texts[0].Opaque);
    EXPECT_EQ(canvas.Texts[1].Reference, Point(-5, 3));
    EXPECT_FALSE(canvas.Texts[1].Opaque);
}

TEST(CanvasTest, TextMeasuresWithTheCurrentFont) {
    // The fixed engine: a 20-pixel font has a 15 + 5 cell and 10-pixel advances.
    TRecordingCanvas canvas(96, 96);
    canvas.GetFont().SetName("Arial");
    canvas.GetFont().SetHeight(-20);
    EXPECT_EQ(canvas.TextWidth("ABC"), 30);
    EXPECT_EQ(canvas.TextHeight("ABC"), 20);
    EXPECT_EQ(canvas.TextHeight(""), 20);
    const TTextMetric metrics = canvas.GetTextMetrics();
    EXPECT_EQ(metrics.Height, 20);
    EXPECT_EQ(metrics.Ascent, 15);
    EXPECT_EQ(metrics.Descent, 5);
    EXPECT_EQ(metrics.PitchAndFamily & tmpfTrueType, tmpfTrueType);
    canvas.GetFont().SetName("MS Sans Serif");
    EXPECT_EQ(canvas.GetTextMetrics().PitchAndFamily & tmpfTrueType, 0);
}

TEST(CanvasTest, CurrentLogFontIsTheInstalledHandle) {
    TRecordingCanvas canvas(96, 96);
    const TLogFont rotated = Rotated("Arial", -30, 1800);
    canvas.GetFont().SetHandle(CreateFontIndirect(rotated));
    EXPECT_EQ(canvas.LogFont(), rotated);
    // Turned text measures like unturned text.
    EXPECT_EQ(canvas.TextWidth("AB"), 30);
}

TEST(CanvasTest, SetFontCopiesIntoTheCanvasFont) {
    TRecordingCanvas canvas(96, 192);
    TFont font;  // 96 pixels per inch
    font.SetName("Courier New");
    font.SetHeight(-16);
    canvas.SetFont(font);
    EXPECT_EQ(canvas.GetFont().GetName(), "Courier New");
    EXPECT_EQ(canvas.GetFont().GetHeight(), -32);  // 12 points at 192
    EXPECT_NE(&canvas.GetFont(), &font);
}

// ---------------------------------------------------------------------------------------
// Text placement

TEST(PlaceTextBoxTest, ReferencePointByAlignment) {
    // GDI's reference points: TTextAlign::Top/TTextAlign::Bottom/TTextAlign::Baseline put the top, bottom or
    // baseline of the text at the reference point; TTextAlign::Left/TTextAlign::Right/TTextAlign::Center its left
    // edge, right edge or middle. A box 31 wide with ascent 15 and descent 5.
    struct Case {
        std::uint32_t align;
        int offsetX;
        int offsetY;
    };
    const Case cases[] = {
        {.align = TTextAlign::Left | TTextAlign::Top, .offsetX = 0, .offsetY = 0},
        {.align = TTextAlign::Right | TTextAlign::Top, .offsetX = -31, .offsetY = 0},
        {.align = TTextAlign::Center | TTextAlign::Top, .offsetX = -15, .offsetY = 0},
        {.align = TTextAlign::Left | TTextAlign::Bottom, .offsetX = 0, .offsetY = -20},      // 8
        {.align = TTextAlign::Right | TTextAlign::Bottom, .offsetX = -31, .offsetY = -20},   // 10
        {.align = TTextAlign::Center | TTextAlign::Bottom, .offsetX = -15, .offsetY = -20},  // 14
        {.align = TTextAlign::Left | TTextAlign::Baseline, .offsetX = 0, .offsetY = -15},
        {.align = TTextAlign::Right | TTextAlign::Baseline, .offsetX = -31, .offsetY = -15},
        {.align = TTextAlign::Center | TTextAlign::Baseline, .offsetX = -15, .offsetY = -15},
    };
    for (const Case& c : cases) {
        const TTextPlacement box = PlaceTextBox(c.align, 31, 15, 5);
        EXPECT_EQ(box.OffsetX, c.offsetX) << c.align;
        EXPECT_EQ(box.OffsetY, c.offsetY) << c.align;
        EXPECT_EQ(box.Width, 31);
        EXPECT_EQ(box.Height, 20);
        EXPECT_EQ(box.Ascent, 15);
    }
}

}  // namespace
}  // namespace zan::platform
