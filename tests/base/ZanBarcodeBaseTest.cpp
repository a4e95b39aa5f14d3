// The rendering core: registry, renderer state and notifications, geometry, painting, copies.
#include <zanbarcode/base/ZanBarcodeBase.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>

#include <zanbarcode/platform/Clipboard.h>
#include "tests/support/SymbologyDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace zan;
using zan::platform::TBitmap;
using zan::platform::TMetafile;
using zan::platform::TPersistent;

// Draws one bar two pixels wide per caption character, every four pixels. Accepts
// digits only and shortens captions to eight characters.
class TStripes : public TZanBarcodeSymbology {
public:
    static inline int Live = 0;
    TStripes() { ++Live; }
    ~TStripes() override { --Live; }
    static std::string SymbologyName() { return "Stripes"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TStripes>(); }
    int GetCodeHeight() override { return 0; }
    int GetCodeWidth() override { return 4 * static_cast<int>(GetParent()->GetCaption().size()); }
    std::string GetDefaultCaption() override { return "123"; }
    void ResetMetrics() override { ++Resets; }
    void ValidateText(std::string& text) override {
        if (text.size() > 8) text.resize(8);
        for (char c : text)
            if (c < '0' || c > '9') throw EInvalidText("Invalid character: %s", {std::string(1, c)});
    }
    void Paint() override {
        TZanBarcodeRenderer& r = *GetParent();
        r.GetCanvas()->GetBrush().SetColor(r.GetColor(BarColorIndex));
        const int length = r.GetPaintRect(CodeRectIndex).Bottom;
        for (int i = 0; i < static_cast<int>(r.GetCaption().size()); ++i)
            r.GetCanvas()->FillRect(r.ResolveRect({4 * i, 0, 4 * i + 2, length}));
    }
    int Resets = 0;
};

// A code of its own size: 40 pixels long, 30 high, filled in the bar colour.
class TSlab : public TZanBarcodeSymbology {
public:
    static std::string SymbologyName() { return "Slab"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TSlab>(); }
    int GetCodeHeight() override { return 30; }
    int GetCodeWidth() override { return 40; }
    void ResetMetrics() override {}
    void Paint() override {
        TZanBarcodeRenderer& r = *GetParent();
        r.GetCanvas()->GetBrush().SetColor(r.GetColor(BarColorIndex));
        r.GetCanvas()->FillRect(r.ResolveRect({0, 0, 40, 30}));
    }
};

// Stands in for the default symbology; accepts everything.
class TDefaultStandIn : public TZanBarcodeSymbology {
public:
    static std::string SymbologyName() { return "Code 128"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TDefaultStandIn>(); }
    int GetCodeHeight() override { return 0; }
    int GetCodeWidth() override { return 11; }
    std::string GetDefaultCaption() override { return "0123456789"; }
    void ResetMetrics() override {}
    void Paint() override {}
};

// Changes the canvas state the way painters do, then fails.
class TFailing : public TZanBarcodeSymbology {
public:
    static std::string SymbologyName() { return "Failing"; }
    TZanBarcodeSymbologyClass ClassType() const override { return SymbologyClass<TFailing>(); }
    int GetCodeHeight() override { return 0; }
    int GetCodeWidth() override { return 20; }
    void ResetMetrics() override {}
    void Paint() override {
        zan::platform::TCanvas& c = *GetParent()->GetCanvas();
        c.GetBrush().SetColor(zan::platform::clRed);
        c.GetFont().SetName("Arial");
        c.SetTextAlign(zan::platform::TTextAlign::Bottom | zan::platform::TTextAlign::Right);
        c.SetTextFlags(4);
        c.MoveTo(3, 4);
        c.SetCopyMode(zan::platform::cmBlackness);
        throw EZanBarcodeError("painting failed");
    }
};

// A symbology without a name of its own.
class TNameless : public TZanBarcodeSymbology {
public:
    int GetCodeHeight() override { return 0; }
    int GetCodeWidth() override { return 0; }
    void ResetMetrics() override {}
    void Paint() override {}
};

void RegisterTestSymbologies() {
    RegisterSymbology(SymbologyClass<TStripes>());
    RegisterSymbology(SymbologyClass<TDefaultStandIn>());
    RegisterSymbology(SymbologyClass<TSlab>());
    RegisterSymbology(SymbologyClass<TFailing>());
}

TEST(SymbologyRegistryTest, FreeingEmptiesItForTheNextStart) {
    RegisterTestSymbologies();
    ASSERT_EQ(SymbologyCount(), 4);
    FreeSymbologyRegistry();
    EXPECT_EQ(SymbologyCount(), 0);
    EXPECT_EQ(GetSymbologyClassByName("Stripes"), nullptr);
    // Registering again starts from position 0, in the new order.
    RegisterSymbology(SymbologyClass<TSlab>());
    RegisterSymbology(SymbologyClass<TStripes>());
    EXPECT_EQ(GetSymbologyIndexByClass(SymbologyClass<TSlab>()), 0);
    EXPECT_EQ(GetSymbologyIndexByClass(SymbologyClass<TStripes>()), 1);
    FreeSymbologyRegistry();  // the other tests register in their own order
}

class RendererTest : public ::testing::Test {
protected:
    RendererTest() {
        renderer.SetOnVisualChange([this](TPersistent* sender) {
            EXPECT_EQ(sender, &renderer);
            ++notifications;
        });
    }
    // Registered before the renderer is made, so that it finds its default symbology.
    bool registered = (RegisterTestSymbologies(), true);
    TZanBarcodeRenderer renderer;
    int notifications = 0;
};

// ---------------------------------------------------------------------------
// Registry

TEST_F(RendererTest, RegistryKeepsRegistrationOrderAndIgnoresRepeats) {
    const int count = SymbologyCount();
    RegisterSymbology(SymbologyClass<TSlab>());
    EXPECT_EQ(SymbologyCount(), count);
    EXPECT_EQ(GetSymbologyIndexByClass(SymbologyClass<TStripes>()), 0);
    EXPECT_EQ(GetSymbologyIndexByClass(SymbologyClass<TSlab>()), 2);
    EXPECT_EQ(GetSymbologyIndexByClass(SymbologyClass<TNameless>()), -1);
    EXPECT_EQ(GetSymbologyClassByIndex(1), SymbologyClass<TDefaultStandIn>());
    EXPECT_THROW(GetSymbologyClassByIndex(count), zan::platform::EListError);
    EXPECT_THROW(GetSymbologyClassByIndex(-1), zan::platform::EListError);
}

TEST_F(RendererTest, RegistryNamesAreCaseSensitive) {
    EXPECT_EQ(GetSymbologyIndexByName("Slab"), 2);
    EXPECT_EQ(GetSymbologyIndexByName("slab"), -1);
    EXPECT_EQ(GetSymbologyClassByName("Slab"), SymbologyClass<TSlab>());
    EXPECT_EQ(GetSymbologyClassByName("SLAB"), nullptr);
}

TEST_F(RendererTest, BaseSymbologyHasNoNameDefaultCaptionOrRules) {
    TNameless nameless;
    try {
        (void)nameless.GetSymbologyName();
        FAIL() << "expected an exception";
    } catch (const EZanBarcodeError&) {
        FAIL() << "the base raises the plain platform exception";
    } catch (const zan::platform::Exception& e) {
        EXPECT_EQ(e.Message(), "GetSymbologyName must be overriden in descendants.");
    }
    EXPECT_EQ(nameless.GetDefaultCaption(), "");
    std::string text = "any \x85 text";
    nameless.ValidateText(text);
    EXPECT_EQ(text, "any \x85 text");
    nameless.UpdateParent();  // no parent: nothing happens
}

// ---------------------------------------------------------------------------
// State, defaults and notification

TEST_F(RendererTest, NewRendererDefaults) {
    EXPECT_EQ(renderer.GetSymbologyName(), "Code 128");
    EXPECT_EQ(renderer.GetCaption(), "0123456789");
    for (int side = 0; side < 4; ++side) EXPECT_EQ(renderer.GetMargins().GetMargin(side), 5);
    EXPECT_EQ(renderer.GetBarColor(), 0x000000u);
    EXPECT_EQ(renderer.GetSpaceColor(), 0xFFFFFFu);
    EXPECT_EQ(renderer.GetBackColor(), 0xFFFFFFu);
    EXPECT_EQ(renderer.GetFont().GetName(), "Courier New");
    EXPECT_EQ(renderer.GetOrientation(), boNormal);
    EXPECT_EQ(renderer.GetAlignment(), zan::platform::taLeftJustify);
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{0, 0, 0, 0}));
    EXPECT_EQ(renderer.GetCanvas(), nullptr);
    EXPECT_EQ(renderer.GetUpdateCount(), 0);
    EXPECT_TRUE(renderer.GetUpdateStatus().IsEmpty());
}

TEST_F(RendererTest, SettersNotifyOncePerChangeAndNeverForEqualValues) {
    struct TCase {
        const char* Name;
        std::function<void(TZanBarcodeRenderer&)> Change;
        int Expected;
    };
    const TCase cases[] = {
        {"same caption", [](auto& r) { r.SetCaption("0123456789"); }, 0},
        {"new caption", [](auto& r) { r.SetCaption("42"); }, 1},
        {"same alignment", [](auto& r) { r.SetAlignment(zan::platform::taLeftJustify); }, 0},
        {"new alignment", [](auto& r) { r.SetAlignment(zan::platform::taCenter); }, 1},
        {"same bar colour", [](auto& r) { r.SetBarColor(0); }, 0},
        {"new space colour", [](auto& r) { r.SetSpaceColor(0x123456); }, 1},
        {"same margin", [](auto& r) { r.GetMargins().SetTop(5); }, 0},
        {"new margin", [](auto& r) { r.GetMargins().SetTop(7); }, 1},
        {"same width", [](auto& r) { r.SetWidth(0); }, 0},
        {"new left", [](auto& r) { r.SetLeft(3); }, 1},
        {"equal font still notifies", [](auto& r) { r.SetFont(r.GetFont()); }, 1},
        {"equal bounds still notify", [](auto& r) { r.SetBoundsRect(r.GetBoundsRect()); }, 1},
        {"half turn", [](auto& r) { r.SetOrientation(bo180Degrees); }, 1},
        {"quarter turn also swaps the bounds", [](auto& r) { r.SetOrientation(bo90Degrees); }, 2},
        {"colour index outside the table", [](auto& r) { r.SetColor(7, 0x123456); }, 0},
    };
    for (const TCase& c : cases) {
        TZanBarcodeRenderer r;
        int count = 0;
        r.SetOnVisualChange([&](TPersistent*) { ++count; });
        c.Change(r);
        EXPECT_EQ(count, c.Expected) << c.Name;
    }
}

TEST_F(RendererTest, ColourIndicesOutsideTheTableReadTheBackgroundAndWriteNothing) {
    renderer.SetBackColor(0x00AA00);
    EXPECT_EQ(renderer.GetColor(3), 0x00AA00u);
    EXPECT_EQ(renderer.GetColor(-1), 0x00AA00u);
    renderer.SetColor(-5, 0x0000AA);
    renderer.SetColor(3, 0x0000AA);
    EXPECT_EQ(renderer.GetBarColor(), 0u);
    EXPECT_EQ(renderer.GetSpaceColor(), 0xFFFFFFu);
    EXPECT_EQ(renderer.GetBackColor(), 0x00AA00u);
}

TEST_F(RendererTest, ANotificationRaisedWhileOneIsDeliveredIsDropped) {
    renderer.SetOnVisualChange([this](TPersistent*) {
        ++notifications;
        renderer.SetBarColor(0x0000FF);  // changes state, but its notification is dropped
    });
    renderer.SetAlignment(zan::platform::taRightJustify);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(renderer.GetBarColor(), 0x0000FFu);
}

TEST_F(RendererTest, AFailingListenerDoesNotSilenceLaterNotifications) {
    renderer.SetOnVisualChange([this](TPersistent*) {
        ++notifications;
        throw zan::platform::Exception("listener failed");
    });
    EXPECT_THROW(renderer.SetAlignment(zan::platform::taCenter), zan::platform::Exception);
    EXPECT_THROW(renderer.SetAlignment(zan::platform::taRightJustify), zan::platform::Exception);
    EXPECT_EQ(notifications, 2);
}

TEST_F(RendererTest, WritingMarginsCopiesTheSidesIntoTheOwnObject) {
    TZanBarcodeMargins& own = renderer.GetMargins();
    TZanBarcodeMargins other(nullptr);
    other.SetLeft(1);
    other.SetTop(2);
    other.SetRight(3);
    other.SetBottom(4);
    renderer.SetMargins(other);
    EXPECT_EQ(&renderer.GetMargins(), &own);
    EXPECT_EQ((TRect{own.GetLeft(), own.GetTop(), own.GetRight(), own.GetBottom()}), (TRect{1, 2, 3, 4}));
    EXPECT_EQ(notifications, 4);
    other.SetLeft(9);  // the renderer does not follow the other object
    EXPECT_EQ(own.GetLeft(), 1);
    EXPECT_EQ(notifications, 4);
}

TEST_F(RendererTest, BoundsCountOnlyWhileACanvasIsSet) {
    renderer.SetBounds(10, 20, 100, 50);
    EXPECT_EQ(renderer.GetLeft(), 0);
    EXPECT_EQ(renderer.GetWidth(), 0);
    TBitmap bitmap;
    renderer.SetCanvas(&bitmap.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{10, 20, 110, 70}));
    renderer.SetLeft(30);
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{30, 20, 110, 70}));
    EXPECT_EQ(renderer.GetWidth(), 80);
    renderer.SetHeight(10);
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{30, 20, 110, 30}));
    EXPECT_EQ(renderer.GetBound(4), 0);
}

TEST_F(RendererTest, QuarterTurnsSwapWidthAndHeightHalfTurnsKeepThem) {
    TBitmap bitmap;
    renderer.SetCanvas(&bitmap.GetCanvas());
    renderer.SetBoundsRect({10, 20, 110, 70});
    renderer.SetOrientation(bo180Degrees);
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{10, 20, 110, 70}));
    renderer.SetOrientation(bo270Degrees);
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{10, 20, 60, 120}));
    renderer.SetOrientation(bo90Degrees);
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{10, 20, 60, 120}));
    renderer.SetOrientation(boNormal);
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{10, 20, 110, 70}));
}

TEST_F(RendererTest, QuarterTurnsWithoutCanvasSwapTheStoredBounds) {
    // The stored bounds are not in force without a canvas, but they come back with one.
    renderer.SetBoundsRect({10, 20, 110, 70});
    renderer.SetOrientation(bo270Degrees);
    renderer.SetOrientation(bo180Degrees);
    TBitmap bitmap;
    renderer.SetCanvas(&bitmap.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{10, 20, 110, 70}));
    renderer.SetCanvas(nullptr);
    renderer.SetOrientation(bo90Degrees);
    renderer.SetCanvas(&bitmap.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{10, 20, 60, 120}));
}

// ---------------------------------------------------------------------------
// Captions, validation and the update protocol

TEST_F(RendererTest, ARejectedCaptionFallsBackToTheDefaultCaption) {
    renderer.SetSymbologyName("Stripes");
    notifications = 0;
    renderer.SetCaption("12a");
    EXPECT_EQ(renderer.GetCaption(), "123");
    EXPECT_EQ(notifications, 2);  // the rejected caption, then the default one
}

TEST_F(RendererTest, ARewrittenCaptionIsAdopted) {
    renderer.SetSymbologyName("Stripes");
    renderer.SetCaption("1234567890");
    EXPECT_EQ(renderer.GetCaption(), "12345678");
}

TEST_F(RendererTest, ValidationWaitsForTheOutermostEndUpdate) {
    renderer.SetSymbologyName("Stripes");
    renderer.BeginUpdate();
    renderer.BeginUpdate();
    renderer.SetCaption("x");
    EXPECT_EQ(renderer.GetCaption(), "x");
    EXPECT_TRUE(renderer.GetUpdateStatus().Contains(busValidateCaption));
    renderer.EndUpdate();
    EXPECT_EQ(renderer.GetCaption(), "x");
    EXPECT_EQ(renderer.GetUpdateCount(), 1);
    renderer.EndUpdate();
    EXPECT_EQ(renderer.GetCaption(), "123");
    EXPECT_EQ(renderer.GetUpdateCount(), 0);
    EXPECT_TRUE(renderer.GetUpdateStatus().IsEmpty());
}

TEST_F(RendererTest, NotificationsAreNotSilencedInsideAnUpdate) {
    renderer.BeginUpdate();
    renderer.SetAlignment(zan::platform::taCenter);
    renderer.SetBarColor(0x010101);
    EXPECT_EQ(notifications, 2);
    renderer.EndUpdate();
}

TEST_F(RendererTest, EndUpdateWithoutBeginEmptiesTheStatus) {
    renderer.SetUpdateStatus({busRepaint, busAutoSize});
    renderer.EndUpdate();
    EXPECT_TRUE(renderer.GetUpdateStatus().IsEmpty());
    EXPECT_EQ(renderer.GetUpdateCount(), 0);
}

TEST_F(RendererTest, OutermostBeginUpdateDropsStaleCodes) {
    renderer.SetUpdateStatus({busRepaint, busValidateCaption});
    renderer.BeginUpdate();
    EXPECT_EQ(renderer.GetUpdateStatus(), (TZanBarcodeUpdateStatus{busUpdating}));
    renderer.EndUpdate();
}

// ---------------------------------------------------------------------------
// Symbology switching and ownership

TEST_F(RendererTest, SymbologyNamesIgnoreLetterCase) {
    renderer.SetSymbologyName("stRIPes");
    EXPECT_EQ(renderer.GetSymbologyName(), "Stripes");
    // The default caption "0123456789" is digits but too long: the rewrite is adopted.
    EXPECT_EQ(renderer.GetCaption(), "01234567");
}

TEST_F(RendererTest, AnUnknownNameRaisesAndChangesNothing) {
    TZanBarcodeSymbology* before = renderer.GetSymbology();
    try {
        renderer.SetSymbologyName("Code 93");
        FAIL() << "expected ESymbologyError";
    } catch (const ESymbologyError& e) {
        EXPECT_EQ(e.Message(), "Code 93 is not a valid symbology name.");
    }
    EXPECT_EQ(renderer.GetSymbology(), before);
    EXPECT_EQ(renderer.GetCaption(), "0123456789");
    EXPECT_EQ(notifications, 0);
}

TEST_F(RendererTest, TheCurrentNameInAnotherCaseMakesAFreshInstance) {
    renderer.SetSymbologyName("Stripes");
    const TZanBarcodeSymbology* first = renderer.GetSymbology();
    const int live = TStripes::Live;
    notifications = 0;
    renderer.SetSymbologyName("Stripes");
    EXPECT_EQ(renderer.GetSymbology(), first);
    EXPECT_EQ(notifications, 0);
    renderer.SetSymbologyName("STRIPES");
    EXPECT_EQ(TStripes::Live, live);  // the old instance was destroyed
    EXPECT_GT(notifications, 0);
}

TEST_F(RendererTest, SwitchingToASymbologyThatRejectsTheCaptionTakesItsDefault) {
    renderer.SetCaption("ABC");
    renderer.SetSymbologyName("Stripes");
    EXPECT_EQ(renderer.GetCaption(), "123");
}

TEST_F(RendererTest, SetParentAttachesAndTheRendererOwnsTheSymbology) {
    const int live = TStripes::Live;
    auto* stripes = new TStripes;
    stripes->SetParent(&renderer);
    EXPECT_EQ(renderer.GetSymbology(), stripes);
    EXPECT_EQ(stripes->GetParent(), &renderer);
    notifications = 0;
    stripes->SetParent(&renderer);  // the current parent: nothing happens
    EXPECT_EQ(notifications, 0);
    renderer.SetSymbologyName("Slab");
    EXPECT_EQ(TStripes::Live, live);
}

TEST_F(RendererTest, MovingASymbologyLeavesThePreviousRendererWithoutOne) {
    TZanBarcodeRenderer other;
    auto* stripes = new TStripes;
    other.SetSymbology(stripes);
    stripes->SetParent(&renderer);
    EXPECT_EQ(other.GetSymbology(), nullptr);
    EXPECT_EQ(renderer.GetSymbology(), stripes);
    EXPECT_EQ(other.GetSymbologyName(), "");
}

// A symbology moves between renderers while a handler of either renderer raises: it has
// one owner, its parent, whatever failed. The old renderer goes first, so a symbology that
// still named it would be read after it was freed; one that nobody owned would leak, and
// one owned twice would be freed twice (the sanitizer build reports all three).
TEST(SymbologyMoves, AHandlerThatRaisesLeavesOneOwnerWhichIsTheParent) {
    RegisterTestSymbologies();
    struct TCase {
        const char* Name;
        bool OldRaises, NewRaises;
        std::function<void(TZanBarcodeSymbology&, TZanBarcodeRenderer&)> Move;
    };
    const auto take = [](TZanBarcodeSymbology& s, TZanBarcodeRenderer& to) { to.SetSymbology(&s); };
    const auto adopt = [](TZanBarcodeSymbology& s, TZanBarcodeRenderer& to) { s.SetParent(&to); };
    const TCase cases[] = {
        {"taken while the old renderer's handler raises", true, false, take},
        {"taken while the new renderer's handler raises", false, true, take},
        {"taken while both handlers raise", true, true, take},
        {"adopted while the old renderer's handler raises", true, false, adopt},
        {"adopted while the new renderer's handler raises", false, true, adopt},
    };
    for (const TCase& c : cases) {
        auto from = std::make_unique<TZanBarcodeRenderer>();
        TZanBarcodeRenderer to;
        auto* stripes = new TStripes;
        from->SetSymbology(stripes);
        const auto raiseIf = [](bool raises) {
            return [raises](TPersistent*) {
                if (raises) throw EZanBarcodeError("handler failed");
            };
        };
        from->SetOnVisualChange(raiseIf(c.OldRaises));
        to.SetOnVisualChange(raiseIf(c.NewRaises));
        EXPECT_EQ(zantest::MessageOf([&] { c.Move(*stripes, to); }), "handler failed") << c.Name;
        EXPECT_EQ(to.GetSymbology(), stripes) << c.Name;
        EXPECT_EQ(from->GetSymbology(), nullptr) << c.Name;
        EXPECT_EQ(stripes->GetParent(), &to) << c.Name;
        EXPECT_EQ(to.GetCaption(), "01234567") << c.Name << ": the caption was validated for the new symbology";
        from.reset();
        int notifications = 0;
        to.SetOnVisualChange([&](TPersistent*) { ++notifications; });
        stripes->UpdateParent();
        EXPECT_EQ(notifications, 1) << c.Name;
    }
}

TEST(SymbologyMoves, LettingGoWhileTheHandlerRaisesGivesTheSymbologyBackToTheCaller) {
    RegisterTestSymbologies();
    TZanBarcodeRenderer renderer;
    auto* stripes = new TStripes;
    renderer.SetSymbology(stripes);
    renderer.SetOnVisualChange([](TPersistent*) { throw EZanBarcodeError("handler failed"); });
    EXPECT_EQ(zantest::MessageOf([&] { stripes->SetParent(nullptr); }), "handler failed");
    const std::unique_ptr<TZanBarcodeSymbology> owned(stripes);  // the caller owns it again
    EXPECT_EQ(renderer.GetSymbology(), nullptr);
    EXPECT_EQ(stripes->GetParent(), nullptr);
}

// ---------------------------------------------------------------------------
// Orientation values

TEST_F(RendererTest, OrientationsBeyondTheFourAreRefusedAndChangeNothing) {
    TBitmap bitmap;
    renderer.SetCanvas(&bitmap.GetCanvas());
    renderer.SetBoundsRect({0, 0, 100, 50});
    renderer.SetOrientation(bo90Degrees);
    notifications = 0;
    for (int value = 4; value < 256; ++value) {
        EXPECT_EQ(zantest::MessageOf([&] { renderer.SetOrientation(static_cast<TZanBarcodeOrientation>(value)); }),
                  "Invalid Orientation: " + std::to_string(value));
        EXPECT_EQ(renderer.GetOrientation(), bo90Degrees);
    }
    const zan::platform::TPropInfo* orientation = renderer.FindProperty("Orientation");
    ASSERT_NE(orientation, nullptr);
    for (const char* text : {"bo360Degrees", "4", ""})
        EXPECT_THROW(orientation->SetValue(renderer, text), zan::platform::EConvertError) << text;
    EXPECT_EQ(orientation->GetValue(renderer), "bo90Degrees");
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{0, 0, 50, 100}));
    EXPECT_EQ(notifications, 0);
    renderer.Paint();
}

// ---------------------------------------------------------------------------
// Geometry

struct TGeometryCase {
    TZanBarcodeOrientation Orientation;
    TRect Bounds;
    TRect CodeRect;
    TRect PaintRect;  // GetPaintRect(1)
    TRect FirstBar;   // ResolveRect(0, 0, 2, 40)
    TPoint Origin;    // ResolvePoint(0, 0)
};

TEST_F(RendererTest, GeometryInEveryOrientation) {
    // Worked examples for margins of 5 on every side.
    const TGeometryCase cases[] = {
        {boNormal, {0, 0, 100, 50}, {0, 0, 90, 40}, {5, 5, 95, 45}, {5, 5, 7, 45}, {5, 5}},
        {bo90Degrees, {0, 0, 50, 100}, {0, 0, 90, 40}, {5, 5, 45, 95}, {5, 93, 45, 95}, {5, 95}},
        {bo180Degrees, {0, 0, 100, 50}, {0, 0, 90, 40}, {5, 5, 95, 45}, {93, 5, 95, 45}, {95, 45}},
        {bo270Degrees, {0, 0, 50, 100}, {0, 0, 90, 40}, {5, 5, 45, 95}, {5, 5, 45, 7}, {45, 5}},
        {boNormal, {10, 20, 110, 70}, {0, 0, 90, 40}, {5, 5, 95, 45}, {15, 25, 17, 65}, {15, 25}},
    };
    TBitmap bitmap;
    renderer.SetCanvas(&bitmap.GetCanvas());
    for (const TGeometryCase& c : cases) {
        renderer.SetOrientation(c.Orientation);
        renderer.SetBoundsRect(c.Bounds);
        EXPECT_EQ(renderer.GetPaintRect(0), c.CodeRect) << int(c.Orientation);
        EXPECT_EQ(renderer.GetPaintRect(1), c.PaintRect) << int(c.Orientation);
        EXPECT_EQ(renderer.ResolveRect({0, 0, 2, 40}), c.FirstBar) << int(c.Orientation);
        EXPECT_EQ(renderer.ResolvePoint({0, 0}), c.Origin) << int(c.Orientation);
    }
}

TEST_F(RendererTest, RectanglesAreClippedToThePaintRectanglePointsToTheOutput) {
    TBitmap bitmap;
    renderer.SetCanvas(&bitmap.GetCanvas());
    renderer.SetBoundsRect({0, 0, 100, 50});
    EXPECT_EQ(renderer.ResolveRect({95, 0, 97, 40}), (TRect{95, 5, 95, 45}));  // beyond CW: empty on the edge
    EXPECT_EQ(renderer.ResolveRect({-10, -10, 200, 100}), (TRect{5, 5, 95, 45}));
    EXPECT_EQ(renderer.ResolvePoint({-100, -100}), (TPoint{0, 0}));
    EXPECT_EQ(renderer.ResolvePoint({93, 43}), (TPoint{98, 48}));  // inside the margins
    EXPECT_EQ(renderer.ResolvePoint({500, 500}), (TPoint{100, 50}));
}

TEST_F(RendererTest, WithoutCanvasEveryRectangleCollapses) {
    EXPECT_EQ(renderer.GetPaintRect(0), (TRect{0, 0, -10, -10}));
    const TRect r = renderer.ResolveRect({0, 0, 2, 40});
    EXPECT_EQ(r.Width(), 0);
    EXPECT_EQ(r.Height(), 0);
}

// ---------------------------------------------------------------------------
// Painting

TEST_F(RendererTest, PaintWithoutCanvasRaisesInvalidCanvas) {
    try {
        renderer.Paint();
        FAIL() << "expected EInvalidCanvas";
    } catch (const EInvalidCanvas& e) {
        EXPECT_EQ(e.Message(), "Invalid Canvas");
    }
}

TEST_F(RendererTest, PaintFillsTheOutputAndDrawsBarsAtExactColumns) {
    renderer.SetSymbologyName("Stripes");
    renderer.SetCaption("12");
    renderer.SetBackColor(0x00FF00);
    TBitmap bitmap;
    bitmap.SetSize(40, 30);
    renderer.SetCanvas(&bitmap.GetCanvas());
    renderer.SetBoundsRect({2, 3, 32, 23});
    renderer.Paint();
    // Background inside the bounds, untouched white outside, bars at x 7-8 and 11-12.
    EXPECT_EQ(bitmap.GetPixel(1, 10), zan::platform::clWhite);
    EXPECT_EQ(bitmap.GetPixel(2, 3), 0x00FF00u);
    EXPECT_EQ(bitmap.GetPixel(31, 22), 0x00FF00u);
    EXPECT_EQ(bitmap.GetPixel(32, 22), zan::platform::clWhite);
    const std::string expectedRow = "GGGGGBBGGBBGGGGGGGGGGGGGGGGGGG";
    for (int y : {8, 12, 17}) {
        std::string row;
        for (int x = 2; x < 32; ++x) row += bitmap.GetPixel(x, y) == 0 ? 'B' : 'G';
        EXPECT_EQ(row, expectedRow) << "row " << y;
    }
    EXPECT_EQ(bitmap.GetPixel(7, 7), 0x00FF00u);  // the top margin stays background
    EXPECT_EQ(bitmap.GetPixel(7, 8), 0u);
}

TEST_F(RendererTest, PaintLeavesTheCanvasAsItFoundItAlsoWhenTheSymbologyFails) {
    TBitmap bitmap;
    bitmap.SetSize(30, 30);
    zan::platform::TCanvas& canvas = bitmap.GetCanvas();
    canvas.GetBrush().SetColor(0x445566);
    canvas.GetPen().SetStyle(zan::platform::psDash);
    canvas.GetFont().SetName("Courier");
    canvas.MoveTo(1, 2);
    renderer.SetCanvas(&canvas);
    renderer.SetBounds(0, 0, 30, 30);
    for (const char* name : {"Stripes", "Failing"}) {
        renderer.SetSymbologyName(name);
        if (std::string(name) == "Failing")
            EXPECT_THROW(renderer.Paint(), EZanBarcodeError);
        else
            renderer.Paint();
        EXPECT_EQ(canvas.GetBrush().GetColor(), 0x445566u) << name;
        EXPECT_EQ(canvas.GetBrush().GetStyle(), zan::platform::bsSolid) << name;
        EXPECT_EQ(canvas.GetPen().GetStyle(), zan::platform::psDash) << name;
        EXPECT_EQ(canvas.GetFont().GetName(), "Courier") << name;
        EXPECT_EQ(canvas.GetPenPos(), (TPoint{1, 2})) << name;
        EXPECT_EQ(canvas.GetTextAlign(), zan::platform::TTextAlign::Left | zan::platform::TTextAlign::Top) << name;
        EXPECT_EQ(canvas.GetTextFlags(), 0) << name;
        EXPECT_EQ(canvas.GetCopyMode(), zan::platform::cmSrcCopy) << name;
    }
}

// ---------------------------------------------------------------------------
// Copies

TEST_F(RendererTest, CopySizesFollowTheCodeHeight) {
    struct TCase {
        const char* Symbology;
        TZanBarcodeOrientation Orientation;
        int BitmapWidth, BitmapHeight, MetafileWidth, MetafileHeight;
    };
    // Bounds 200 by 60 (turned: 60 by 200), margins 5: a code without height of its own
    // takes the renderer's length, margins included in a bitmap and added in a metafile.
    const TCase cases[] = {
        {"Stripes", boNormal, 4 * 3 + 10, 60, 4 * 3 + 10, 70},
        {"Stripes", bo90Degrees, 60, 4 * 3 + 10, 70, 4 * 3 + 10},
        {"Slab", boNormal, 50, 40, 50, 40},
        {"Slab", bo270Degrees, 40, 50, 40, 50},
    };
    TBitmap screen;
    renderer.SetCanvas(&screen.GetCanvas());
    for (const TCase& c : cases) {
        renderer.SetSymbologyName(c.Symbology);
        renderer.SetCaption("123");
        renderer.SetOrientation(boNormal);
        renderer.SetBounds(0, 0, 200, 60);
        renderer.SetOrientation(c.Orientation);
        TBitmap bitmap;
        renderer.CopyToBitmap(bitmap);
        EXPECT_EQ(bitmap.GetWidth(), c.BitmapWidth) << c.Symbology << int(c.Orientation);
        EXPECT_EQ(bitmap.GetHeight(), c.BitmapHeight) << c.Symbology << int(c.Orientation);
        TMetafile metafile;
        renderer.CopyToMetafile(metafile);
        EXPECT_EQ(metafile.GetWidth(), c.MetafileWidth) << c.Symbology << int(c.Orientation);
        EXPECT_EQ(metafile.GetHeight(), c.MetafileHeight) << c.Symbology << int(c.Orientation);
        EXPECT_EQ(renderer.GetCanvas(), &screen.GetCanvas());
    }
}

TEST_F(RendererTest, CopiesPutCanvasAndBoundsBackAndNotifyTwice) {
    TBitmap screen;
    renderer.SetCanvas(&screen.GetCanvas());
    renderer.SetBoundsRect({3, 4, 103, 54});
    notifications = 0;
    TBitmap bitmap;
    renderer.CopyToBitmap(bitmap);
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(renderer.GetCanvas(), &screen.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{3, 4, 103, 54}));
}

TEST_F(RendererTest, FailedCopiesDoNotKeepTheCopysCanvas) {
    renderer.SetSymbologyName("Failing");
    renderer.SetBoundsRect({1, 2, 3, 4});
    TBitmap bitmap;
    EXPECT_THROW(renderer.CopyToBitmap(bitmap), EZanBarcodeError);
    EXPECT_EQ(renderer.GetCanvas(), nullptr);
    TMetafile metafile;
    EXPECT_THROW(renderer.CopyToMetafile(metafile), EZanBarcodeError);
    EXPECT_EQ(renderer.GetCanvas(), nullptr);
    TBitmap screen;
    renderer.SetCanvas(&screen.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{1, 2, 3, 4}));
}

// Fails to paint, and then fails to measure again when the copy gives its canvas back.
class TFailingTwice : public TFailing {
public:
    void ResetMetrics() override {
        if (Painted) throw EZanBarcodeError("measuring failed");
    }
    void Paint() override {
        Painted = true;
        if (FailPainting) TFailing::Paint();
    }
    bool Painted = false;
    bool FailPainting = true;
};

TEST_F(RendererTest, AFailureWhileACopyGivesTheCanvasBackNeverHidesThePaintingFailure) {
    TBitmap screen;
    renderer.SetCanvas(&screen.GetCanvas());
    renderer.SetBoundsRect({3, 4, 103, 54});
    TBitmap bitmap;
    TMetafile metafile;
    const std::function<void()> copies[] = {[&] { renderer.CopyToBitmap(bitmap); },
                                            [&] { renderer.CopyToMetafile(metafile); }};
    for (const auto& copy : copies) {
        auto owned = std::make_unique<TFailingTwice>();
        TFailingTwice& symbology = *owned;
        renderer.SetSymbology(std::move(owned));
        EXPECT_EQ(zantest::MessageOf(copy), "painting failed");
        EXPECT_EQ(renderer.GetCanvas(), &screen.GetCanvas());
        EXPECT_EQ(renderer.GetBoundsRect(), (TRect{3, 4, 103, 54}));

        // After a painting that succeeded, the failure to give the canvas back is the
        // caller's to hear of, and the canvas and bounds are back all the same.
        symbology.Painted = false;
        symbology.FailPainting = false;
        EXPECT_EQ(zantest::MessageOf(copy), "measuring failed");
        EXPECT_EQ(renderer.GetCanvas(), &screen.GetCanvas());
        EXPECT_EQ(renderer.GetBoundsRect(), (TRect{3, 4, 103, 54}));
    }
}

TEST_F(RendererTest, AListenerThatFailsWhenACopyEndsDoesNotHideThePaintingFailure) {
    TBitmap screen;
    renderer.SetCanvas(&screen.GetCanvas());
    renderer.SetBoundsRect({3, 4, 103, 54});
    renderer.SetSymbologyName("Failing");
    renderer.SetOnVisualChange([&](TPersistent*) {
        // Only the notification that gives the bounds back fails.
        if (renderer.GetBoundsRect() == TRect{3, 4, 103, 54}) throw EZanBarcodeError("listener failed");
    });
    TBitmap bitmap;
    EXPECT_EQ(zantest::MessageOf([&] { renderer.CopyToBitmap(bitmap); }), "painting failed");
    EXPECT_EQ(renderer.GetCanvas(), &screen.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{3, 4, 103, 54}));
}

// Copies are sized in 64 bits: a size beyond what a picture can have (32-bit, not
// negative) is refused with the size it would have been, never wrapped around, and
// the target and the renderer stay as they were.
TEST_F(RendererTest, CopiesThatNoPictureCanHoldAreRefusedWithTheirSize) {
    constexpr int Max = std::numeric_limits<int>::max();
    struct TCase {
        const char* Symbology;
        TZanBarcodeOrientation Orientation;
        TRect Margins;  // left, top, right, bottom
        const char* BitmapSize;
        const char* MetafileSize;
    };
    // Bounds 200 by 60 (60 by 200 turned); Stripes of "123" is 12 long and has no height
    // of its own, Slab is 40 by 30.
    const TCase cases[] = {
        {"Stripes", boNormal, {Max, 5, Max, 5}, "4294967306 x 60", "4294967306 x 70"},
        {"Stripes", bo90Degrees, {5, Max, 5, Max}, "60 x 4294967306", "70 x 4294967306"},
        {"Slab", boNormal, {5, Max, 5, 1}, "50 x 2147483678", "50 x 2147483678"},
        {"Slab", bo270Degrees, {Max, 5, Max, 5}, "4294967324 x 50", "4294967324 x 50"},
        {"Stripes", boNormal, {-100, 5, -100, 5}, "-188 x 60", "-188 x 70"},
    };
    TBitmap screen;
    renderer.SetCanvas(&screen.GetCanvas());
    for (const TCase& c : cases) {
        renderer.SetSymbologyName(c.Symbology);
        renderer.SetCaption("123");
        renderer.SetOrientation(boNormal);
        renderer.SetBoundsRect({0, 0, 200, 60});
        renderer.SetOrientation(c.Orientation);
        const TRect bounds = renderer.GetBoundsRect();
        TZanBarcodeMargins margins(nullptr);
        margins.SetLeft(c.Margins.Left);
        margins.SetTop(c.Margins.Top);
        margins.SetRight(c.Margins.Right);
        margins.SetBottom(c.Margins.Bottom);
        renderer.SetMargins(margins);

        TBitmap bitmap;
        bitmap.SetSize(3, 4);
        EXPECT_EQ(zantest::MessageOf([&] { renderer.CopyToBitmap(bitmap); }),
                  std::string("Cannot make a picture of ") + c.BitmapSize + " pixels")
            << c.Symbology << int(c.Orientation);
        EXPECT_EQ(bitmap.GetWidth(), 3);
        EXPECT_EQ(bitmap.GetHeight(), 4);

        TMetafile metafile;
        metafile.SetWidth(3);
        metafile.SetHeight(4);
        EXPECT_EQ(zantest::MessageOf([&] { renderer.CopyToMetafile(metafile); }),
                  std::string("Cannot make a picture of ") + c.MetafileSize + " pixels")
            << c.Symbology << int(c.Orientation);
        EXPECT_EQ(metafile.GetWidth(), 3);
        EXPECT_EQ(metafile.GetHeight(), 4);

        EXPECT_EQ(renderer.GetCanvas(), &screen.GetCanvas());
        EXPECT_EQ(renderer.GetBoundsRect(), bounds);
    }
}

TEST_F(RendererTest, MetafileCopyWithoutAnyCanvasUsesA96PixelsPerInchDevice) {
    renderer.SetSymbologyName("Slab");
    TMetafile metafile;
    renderer.CopyToMetafile(metafile);
    EXPECT_EQ(metafile.GetPixelsPerInch(), 96);
    EXPECT_EQ(metafile.GetWidth(), 50);
    EXPECT_FALSE(metafile.Records().empty());
}

TEST_F(RendererTest, BitmapCopyIsMeasuredAtTheBitmapsResolution) {
    renderer.SetSymbologyName("Slab");
    TBitmap screen;  // 96 pixels per inch
    renderer.SetCanvas(&screen.GetCanvas());
    TBitmap bitmap;
    bitmap.SetPixelsPerInch(300);
    renderer.CopyToBitmap(bitmap);
    EXPECT_EQ(bitmap.GetWidth(), 50);
    EXPECT_EQ(bitmap.GetPixel(5, 5), 0u);
    EXPECT_EQ(bitmap.GetPixel(44, 34), 0u);
    EXPECT_EQ(bitmap.GetPixel(45, 34), zan::platform::clWhite);
}

TEST_F(RendererTest, ClipboardGetsMetafileAndBitmapTogether) {
    renderer.SetSymbologyName("Slab");
    zan::platform::TClipboard& clipboard = zan::platform::Clipboard();
    clipboard.SetAsHandle(7, std::make_shared<const std::vector<std::uint8_t>>(1, 0));
    clipboard.Assign(renderer);
    EXPECT_EQ(clipboard.FormatCount(), 2u);
    ASSERT_TRUE(clipboard.HasFormat(zan::platform::cfEnhMetafile));
    ASSERT_TRUE(clipboard.HasFormat(zan::platform::cfBitmap));
    const auto bmp = clipboard.GetAsHandle(zan::platform::cfBitmap);
    ASSERT_GE(bmp->size(), 2u);
    EXPECT_EQ((*bmp)[0], 'B');
    EXPECT_EQ((*bmp)[1], 'M');
    const auto svg = clipboard.GetAsHandle(zan::platform::cfEnhMetafile);
    EXPECT_NE(std::string(svg->begin(), svg->end()).find("<svg"), std::string::npos);
    EXPECT_FALSE(clipboard.IsOpen());
}

TEST_F(RendererTest, AssigningToAnythingButTheClipboardFails) {
    TBitmap bitmap;
    try {
        bitmap.Assign(renderer);
        FAIL() << "expected EConvertError";
    } catch (const zan::platform::EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TZanBarcodeRenderer to a TBitmap.");
    }
}

// Where bar I of the stripes lies on a W by H output in orientation O, as ResolveRect gives it.
TRect StripeOnOutput(TZanBarcodeOrientation o, int width, int height, int i) {
    TZanBarcodeRenderer geometry;
    TBitmap device;
    geometry.SetCanvas(&device.GetCanvas());
    geometry.SetOrientation(o);
    geometry.SetBoundsRect({0, 0, width, height});
    return geometry.ResolveRect({4 * i, 0, 4 * i + 2, geometry.GetPaintRect(CodeRectIndex).Bottom});
}

// The SVG's rectangles are exactly those ResolveRect gives, and the same drawing on a
// 300 pixels-per-inch PNG reads back with the bars at those pixels.
TEST_F(RendererTest, OutputsMatchResolveRectInEveryOrientation) {
    renderer.SetSymbologyName("Stripes");
    renderer.SetCaption("1234");
    const std::string dir = zantest::TestOutputDir("base-outputs");
    TBitmap screen;
    screen.SetPixelsPerInch(300);
    renderer.SetCanvas(&screen.GetCanvas());
    for (TZanBarcodeOrientation o : {boNormal, bo90Degrees, bo180Degrees, bo270Degrees}) {
        renderer.SetOrientation(boNormal);
        renderer.SetBounds(0, 0, 100, 40);
        renderer.SetOrientation(o);
        const std::string name = dir + "/stripes-" + std::to_string(int(o));

        TMetafile metafile;
        renderer.CopyToMetafile(metafile);
        metafile.SaveToFile(name + ".svg");
        const auto rects = zantest::ReadSvgRects(zantest::ReadFile(name + ".svg"));
        ASSERT_EQ(rects.size(), 5u) << "background and four bars";

        TBitmap png;
        png.SetPixelsPerInch(300);
        renderer.CopyToBitmap(png);
        png.SaveToFile(name + ".png");
        TBitmap readBack;
        readBack.LoadFromPngFile(name + ".png");

        for (int i = 0; i < 4; ++i) {
            const auto& r = rects[static_cast<std::size_t>(i + 1)];
            EXPECT_EQ((TRect{r.X, r.Y, r.X + r.Width, r.Y + r.Height}),
                      StripeOnOutput(o, metafile.GetWidth(), metafile.GetHeight(), i))
                << int(o) << " bar " << i;
            EXPECT_EQ(r.Fill, "#000000");

            const TRect bar = StripeOnOutput(o, png.GetWidth(), png.GetHeight(), i);
            EXPECT_EQ(readBack.GetPixel(bar.Left, bar.Top), 0u) << int(o) << " bar " << i;
            EXPECT_EQ(readBack.GetPixel(bar.Right - 1, bar.Bottom - 1), 0u) << int(o) << " bar " << i;
            const bool horizontal = o == boNormal || o == bo180Degrees;
            EXPECT_EQ(horizontal ? readBack.GetPixel(bar.Right, bar.Top) : readBack.GetPixel(bar.Left, bar.Bottom),
                      zan::platform::clWhite)
                << int(o) << " bar " << i;
        }
    }
}

// ---------------------------------------------------------------------------
// Helpers shared by the symbologies

TEST(SymbologyHelpers, IsDigitTakesTheTenAsciiDigitsAmongAllBytes) {
    // ASCII: "0" to "9" are 0x30 to 0x39; bytes 128 to 255 are negative chars here.
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(IsDigit(static_cast<char>(code)), code >= 0x30 && code <= 0x39) << code;
}

// ---------------------------------------------------------------------------
// Hosted renderer

class TFakeHost : public IBarcodeControlAdapter {
public:
    TFakeHost() { Surface.SetSize(200, 60); }
    zan::platform::TCanvas* GetCanvas() override { return &Surface.GetCanvas(); }
    TColor GetColor() override { return Color; }
    void SetColor(TColor value) override { Color = value; }
    zan::platform::TFont& GetFont() override { return Font; }
    int GetHeight() override { return 60; }
    int GetWidth() override { return 200; }
    std::string GetText() override { return Text; }
    void SetText(const std::string& value) override {
        if (RejectText) throw EInvalidText("rejected by the host");
        Text = value;
    }
    void UpdateControl() override { ++Updates; }
    void InvalidCaption(const std::string&, const std::string&) override {}

    TBitmap Surface;
    TColor Color = zan::platform::clWindow;
    zan::platform::TFont Font;
    std::string Text;
    int Updates = 0;
    bool RejectText = false;
};

class HostedRendererTest : public RendererTest {
protected:
    HostedRendererTest() { renderer.SetControlAdapter(host); }
    std::shared_ptr<TFakeHost> host = std::make_shared<TFakeHost>();
};

TEST_F(HostedRendererTest, HostSuppliesCanvasSizeBackgroundAndFont) {
    EXPECT_EQ(renderer.GetCanvas(), &host->Surface.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{0, 0, 200, 60}));
    EXPECT_EQ(renderer.GetBackColor(), zan::platform::clWindow);
    renderer.SetBackColor(0x112233);
    EXPECT_EQ(host->Color, 0x112233u);
    EXPECT_EQ(notifications, 0);  // the control repaints on its own colour change
    EXPECT_EQ(&renderer.GetFont(), &host->Font);
    renderer.SetFont(host->Font);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(host->Updates, 1);
}

TEST_F(HostedRendererTest, GivingBackTheHostsCanvasFollowsTheHostAgain) {
    TBitmap own;
    renderer.SetBoundsRect({1, 1, 11, 11});
    renderer.SetCanvas(&own.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{1, 1, 11, 11}));
    renderer.SetCanvas(&host->Surface.GetCanvas());
    EXPECT_EQ(renderer.GetCanvas(), &host->Surface.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{0, 0, 200, 60}));
}

TEST_F(HostedRendererTest, QuarterTurnsSwapTheStoredBoundsNotTheHostsSize) {
    TBitmap own;
    renderer.SetBoundsRect({1, 2, 11, 32});
    renderer.SetOrientation(bo90Degrees);
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{0, 0, 200, 60})) << "the host's size is in force";
    renderer.SetCanvas(&own.GetCanvas());
    EXPECT_EQ(renderer.GetBoundsRect(), (TRect{1, 2, 31, 12}));
}

TEST_F(HostedRendererTest, CaptionIsWrittenToTheHost) {
    renderer.SetCaption("ABC");
    EXPECT_EQ(host->Text, "ABC");
}

TEST_F(HostedRendererTest, ACaptionTheHostRefusesLeavesTheCaptionAsItWas) {
    host->RejectText = true;
    EXPECT_THROW(renderer.SetCaption("refused"), EInvalidText);
    EXPECT_EQ(renderer.GetCaption(), "0123456789");
}

TEST_F(HostedRendererTest, CopiesOfALinearCodeUseTheHostsHeight) {
    renderer.SetSymbologyName("Stripes");
    renderer.SetCaption("123");
    TBitmap bitmap;
    renderer.CopyToBitmap(bitmap);
    EXPECT_EQ(bitmap.GetWidth(), 4 * 3 + 10);
    EXPECT_EQ(bitmap.GetHeight(), 60);
    TMetafile metafile;
    renderer.CopyToMetafile(metafile);
    EXPECT_EQ(metafile.GetWidth(), 4 * 3 + 10);
    EXPECT_EQ(metafile.GetHeight(), 70);
    EXPECT_EQ(renderer.GetCanvas(), &host->Surface.GetCanvas());
}

}  // namespace
