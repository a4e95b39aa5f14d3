// Canvas snapshots: every saved item comes back, releasing restores nothing. Built
// twice: as the library is, and as the builds for host frameworks without text flags
// on their canvas (ZAN_CANVAS_TEXT_FLAGS 0), whose snapshot leaves the flags alone.
#include <zanbarcode/base/ZanSavedCanvas.h>

#include <gtest/gtest.h>

#include <zanbarcode/platform/Bitmap.h>

namespace {

using namespace zan::platform;

#if !defined(ZAN_CANVAS_TEXT_FLAGS) || ZAN_CANVAS_TEXT_FLAGS
constexpr bool HoldsTextFlags = true;
#else
constexpr bool HoldsTextFlags = false;
#endif

struct TCanvasState {
    TPoint PenPos;
    std::int32_t TextFlags;
    std::uint32_t TextAlign;
    TColor BrushColor;
    TBrushStyle BrushStyle;
    TCopyMode CopyMode;
    std::string FontName;
    std::int32_t FontHeight;
    TLogFont FontRecord;
    TPenStyle PenStyle;
    TColor PenColor;

    static TCanvasState Of(TCanvas& c) {
        return {c.GetPenPos(),           c.GetTextFlags(),        c.GetTextAlign(),
                c.GetBrush().GetColor(), c.GetBrush().GetStyle(), c.GetCopyMode(),
                c.GetFont().GetName(),   c.GetFont().GetHeight(), GetObject(c.GetFont().GetHandle()),
                c.GetPen().GetStyle(),   c.GetPen().GetColor()};
    }
    friend bool operator==(const TCanvasState&, const TCanvasState&) = default;
};

constexpr std::int32_t ScribbledTextFlags = 4;

// Changes every item a snapshot holds, the way a painter would.
void Scribble(TCanvas& c) {
    c.MoveTo(17, 23);
    c.SetTextFlags(ScribbledTextFlags);
    c.SetTextAlign(TTextAlign::Bottom | TTextAlign::Center);
    c.GetBrush().SetColor(clRed);
    c.GetBrush().SetStyle(bsClear);
    c.SetCopyMode(cmBlackness);
    c.GetFont().SetName("Arial");
    c.GetFont().SetSize(20);
    c.GetPen().SetStyle(psClear);
    c.GetPen().SetColor(clRed);
}

// The state that restoring Saved after Scribble gives: the saved one, but for the text
// flags where the snapshot holds none.
TCanvasState Restored(TCanvasState saved) {
    if (!HoldsTextFlags) saved.TextFlags = ScribbledTextFlags;
    return saved;
}

class SavedCanvasTest : public ::testing::Test {
protected:
    SavedCanvasTest() {
        bitmap.SetPixelsPerInch(300);  // a font height that is not the 96 pixels-per-inch one
        bitmap.SetSize(20, 20);
    }
    TBitmap bitmap;
    TCanvas& canvas = bitmap.GetCanvas();
};

TEST_F(SavedCanvasTest, RestoreBringsBackEverySavedItem) {
    const TCanvasState before = TCanvasState::Of(canvas);
    auto saved = zan::SaveCanvas(canvas);
    Scribble(canvas);
    ASSERT_NE(TCanvasState::Of(canvas), before);
    saved->Restore(canvas);
    EXPECT_EQ(TCanvasState::Of(canvas), Restored(before));
}

TEST_F(SavedCanvasTest, RestoreReplacesAnInstalledFontHandle) {
    const TCanvasState before = TCanvasState::Of(canvas);
    auto saved = zan::SaveCanvas(canvas);
    TLogFont turned = GetObject(canvas.GetFont().GetHandle());
    turned.FaceName = "Arial";
    turned.Escapement = turned.Orientation = 900;
    canvas.GetFont().SetHandle(CreateFontIndirect(turned));
    saved->Restore(canvas);
    EXPECT_EQ(GetObject(canvas.GetFont().GetHandle()).Escapement, 0);
    EXPECT_EQ(TCanvasState::Of(canvas), before);
}

TEST_F(SavedCanvasTest, ReleasingWithoutRestoreLeavesTheCanvasChanged) {
    zan::SaveCanvas(canvas).reset();
    auto saved = zan::SaveCanvas(canvas);
    Scribble(canvas);
    const TCanvasState changed = TCanvasState::Of(canvas);
    saved.reset();
    EXPECT_EQ(TCanvasState::Of(canvas), changed);
}

TEST_F(SavedCanvasTest, RestoringTwiceEqualsRestoringOnce) {
    const TCanvasState before = TCanvasState::Of(canvas);
    auto saved = zan::SaveCanvas(canvas);
    Scribble(canvas);
    saved->Restore(canvas);
    Scribble(canvas);
    saved->Restore(canvas);
    EXPECT_EQ(TCanvasState::Of(canvas), Restored(before));
}

TEST_F(SavedCanvasTest, RestoresOntoAnotherCanvas) {
    auto saved = zan::SaveCanvas(canvas);
    const TCanvasState before = TCanvasState::Of(canvas);
    TBitmap other;
    other.SetPixelsPerInch(300);
    Scribble(other.GetCanvas());
    saved->Restore(other.GetCanvas());
    EXPECT_EQ(TCanvasState::Of(other.GetCanvas()), Restored(before));
}

}  // namespace
