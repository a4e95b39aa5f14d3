#include <zanbarcode/platform/Controls.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/Forms.h>
#include <zanbarcode/platform/HeadlessWindows.h>
#include <zanbarcode/platform/Menus.h>

namespace zan::platform {
namespace {

// A custom control that records its text notifications and auto-size questions, and
// paints a marker rectangle.
class TProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::string ClassName() const override { return "TProbe"; }
    using TControl::AdjustSize;

    std::vector<std::string> TextsSeen;  // the text as each CMTextChanged found it
    int Paints = 0;
    TRect MarkerRect{2, 1, 5, 3};
    int AutoWidth = 0;  // 0: auto-size leaves the width
    int AutoHeight = 0;
    bool AllowAutoSize = true;
    int AutoSizeQuestions = 0;

protected:
    void CMTextChanged() override {
        TextsSeen.push_back(GetText());
        TCustomControl::CMTextChanged();
    }
    void Paint() override {
        ++Paints;
        TCanvas* canvas = GetCanvas();
        ASSERT_NE(canvas, nullptr);
        canvas->GetBrush().SetColor(clRed);
        canvas->FillRect(MarkerRect);
    }
    bool CanAutoSize(int& newWidth, int& newHeight) override {
        ++AutoSizeQuestions;
        if (AutoWidth != 0) newWidth = AutoWidth;
        if (AutoHeight != 0) newHeight = AutoHeight;
        return AllowAutoSize;
    }
};

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() : previous(SetWindowSystem(windows)) {}
    ~ControlsTest() override { SetWindowSystem(previous); }

    THeadlessWindow& WindowOf(const TWinControl& control) {
        THeadlessWindow* window = THeadlessWindowSystem::WindowOf(control);
        if (window == nullptr) throw Exception("the control has no headless window");
        return *window;
    }

    std::shared_ptr<THeadlessWindowSystem> windows =
        std::make_shared<THeadlessWindowSystem>(96, FixedMetricsFontEngine());
    std::shared_ptr<IWindowSystem> previous;
};

TEST_F(ControlsTest, TextChangeIsNotifiedAfterStoringAndOnlyOnAChange) {
    TProbe probe(nullptr);
    probe.SetText("abc");
    probe.SetText("abc");
    probe.SetCaption("xyz");
    EXPECT_EQ(probe.TextsSeen, (std::vector<std::string>{"abc", "xyz"}));
    EXPECT_EQ(probe.GetCaption(), "xyz");
}

TEST_F(ControlsTest, TheTextFollowsTheNameOnlyWithSetCaption) {
    TForm form(nullptr);
    auto* probe = new TProbe(&form);
    probe->SetName("Probe1");
    EXPECT_EQ(probe->GetText(), "Probe1") << "name and text were equal (empty)";
    probe->SetName("Probe2");
    EXPECT_EQ(probe->GetText(), "Probe2");
    probe->SetText("Custom");
    probe->SetName("Probe3");
    EXPECT_EQ(probe->GetText(), "Custom") << "no longer equal";

    auto* plain = new TProbe(&form);
    plain->SetControlStyle(plain->GetControlStyle() & ~csSetCaption);
    plain->SetName("Plain");
    EXPECT_EQ(plain->GetText(), "");

    auto* loading = new TProbe(&form);
    loading->Loading();
    loading->SetName("Loaded1");
    EXPECT_EQ(loading->GetText(), "") << "a loaded control gets its stored text";
}

TEST_F(ControlsTest, ColourFollowsTheParentUntilSetOwnIt) {
    TForm form(nullptr);
    auto* probe = new TProbe(&form);
    EXPECT_EQ(probe->GetColor(), clWindow);
    EXPECT_TRUE(probe->GetParentColor());
    probe->SetParent(&form);
    EXPECT_EQ(probe->GetColor(), clBtnFace) << "the form's colour";
    form.SetColor(clRed);
    EXPECT_EQ(probe->GetColor(), clRed);

    probe->SetColor(clWhite);
    EXPECT_FALSE(probe->GetParentColor());
    form.SetColor(clBlack);
    EXPECT_EQ(probe->GetColor(), clWhite);
    probe->SetParentColor(true);
    EXPECT_EQ(probe->GetColor(), clBlack);
}

TEST_F(ControlsTest, FontFollowsTheParentUntilChanged) {
    TForm form(nullptr);
    form.GetFont().SetName("Arial");
    auto* probe = new TProbe(&form);
    probe->SetParent(&form);
    EXPECT_EQ(probe->GetFont().GetName(), "Arial");
    EXPECT_TRUE(probe->GetParentFont());
    form.GetFont().SetHeight(-20);
    EXPECT_EQ(probe->GetFont().GetHeight(), -20);

    probe->GetFont().SetName("Courier New");
    EXPECT_FALSE(probe->GetParentFont());
    form.GetFont().SetName("Tahoma");
    EXPECT_EQ(probe->GetFont().GetName(), "Courier New");
    probe->SetParentFont(true);
    EXPECT_EQ(probe->GetFont().GetName(), "Tahoma");
    EXPECT_TRUE(probe->GetParentFont());
}

TEST_F(ControlsTest, HintsShowWhereShowHintIsOn) {
    TForm form(nullptr);
    auto* probe = new TProbe(&form);
    probe->SetParent(&form);
    probe->SetHint("Scan me");
    form.Show();
    EXPECT_EQ(WindowOf(*probe).GetHint(), "");
    form.SetShowHint(true);
    EXPECT_TRUE(probe->GetShowHint()) << "follows the parent";
    EXPECT_EQ(WindowOf(*probe).GetHint(), "Scan me");
    probe->SetShowHint(false);
    EXPECT_FALSE(probe->GetParentShowHint());
    EXPECT_EQ(WindowOf(*probe).GetHint(), "");
}

TEST_F(ControlsTest, AutoSizeAsksCanAutoSizeOnlyWhenOn) {
    TProbe probe(nullptr);
    probe.AutoWidth = 40;
    probe.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(probe.AutoSizeQuestions, 0);
    EXPECT_EQ(probe.GetWidth(), 10);

    probe.SetAutoSize(true);
    EXPECT_EQ(probe.AutoSizeQuestions, 1) << "turning it on sizes at once";
    EXPECT_EQ(probe.GetWidth(), 40);
    EXPECT_EQ(probe.GetHeight(), 10);
    probe.SetWidth(90);
    EXPECT_EQ(probe.GetWidth(), 40) << "an auto-sized control keeps its size";

    // A declined auto-size leaves the asked size.
    probe.AllowAutoSize = false;
    probe.SetWidth(90);
    EXPECT_EQ(probe.GetWidth(), 90);
}

TEST_F(ControlsTest, AnAlignedControlAutoSizesOnlyAlongItsFreeSide) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* probe = new TProbe(&form);
    probe->SetParent(&form);
    probe->AutoWidth = 30;
    probe->AutoHeight = 20;
    probe->SetAlign(alTop);
    probe->SetAutoSize(true);
    EXPECT_EQ(probe->GetBoundsRect(), (TRect{0, 0, 200, 20})) << "as wide as the form, as high as auto-size says";
    probe->SetAlign(alClient);
    EXPECT_EQ(probe->GetBoundsRect(), (TRect{0, 0, 200, 100}));
}

TEST_F(ControlsTest, LoadingTakesBoundsAsStoredAndLoadedSizesAfterwards) {
    TProbe probe(nullptr);
    probe.AutoWidth = 40;
    probe.SetAutoSize(true);
    probe.Loading();
    probe.SetBounds(1, 2, 300, 20);
    probe.AdjustSize();
    EXPECT_EQ(probe.GetBoundsRect(), (TRect{1, 2, 301, 22})) << "as stored";
    probe.Loaded();
    EXPECT_EQ(probe.GetBoundsRect(), (TRect{1, 2, 41, 22}));
}

TEST_F(ControlsTest, ResizeChecksAndEvents) {
    TProbe probe(nullptr);
    probe.GetConstraints().SetMinHeight(8);
    std::vector<std::string> log;
    probe.OnCanResize = [&](TPersistent*, int& w, int& h, bool& resize) {
        log.push_back("can " + std::to_string(w) + "x" + std::to_string(h));
        resize = w != 13;
    };
    probe.OnConstrainedResize = [&](TPersistent*, int&, int&, int& maxWidth, int&) { maxWidth = 50; };
    probe.OnResize = [&](TPersistent* sender) {
        log.push_back("resized to " + std::to_string(static_cast<TControl*>(sender)->GetWidth()));
    };
    probe.SetBounds(0, 0, 20, 4);
    EXPECT_EQ(probe.GetBoundsRect(), (TRect{0, 0, 20, 8})) << "the minimum height";
    probe.SetWidth(13);
    EXPECT_EQ(probe.GetWidth(), 20) << "refused by OnCanResize";
    probe.SetWidth(70);
    EXPECT_EQ(probe.GetWidth(), 50) << "the limit the handler set";
    probe.SetLeft(5);
    EXPECT_EQ(log, (std::vector<std::string>{"can 20x4", "resized to 20", "can 13x8", "can 70x8", "resized to 50",
                                             "can 50x8"}))
        << "a move checks the size but is no resize";
}

TEST_F(ControlsTest, ConstraintsRefuseNegativesAndKeepMinimumBelowMaximum) {
    TSizeConstraints c;
    int changes = 0;
    c.OnChange = [&](TPersistent*) { ++changes; };
    c.SetMaxWidth(100);
    c.SetMinWidth(150);
    EXPECT_EQ(c.GetMaxWidth(), 150) << "the maximum follows a larger minimum";
    c.SetMaxWidth(60);
    EXPECT_EQ(c.GetMinWidth(), 60) << "the minimum follows a smaller maximum";
    EXPECT_EQ(changes, 3);
    EXPECT_THROW(c.SetMinHeight(-1), EConvertError);
    EXPECT_EQ(c.GetMinHeight(), 0);
    EXPECT_EQ(changes, 3);

    // Changing the constraints sizes the control again.
    TProbe probe(nullptr);
    probe.SetBounds(0, 0, 100, 100);
    probe.GetConstraints().SetMaxHeight(30);
    EXPECT_EQ(probe.GetHeight(), 30);
}

TEST_F(ControlsTest, ParentLaysOutAlignedChildrenAndMovesAnchoredOnes) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    const auto child = [&](TAlign align, TRect bounds) {
        auto* c = new TProbe(&form);
        c->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        c->SetParent(&form);
        c->SetAlign(align);
        return c;
    };
    TProbe* top = child(alTop, {0, 0, 10, 10});
    TProbe* left = child(alLeft, {0, 0, 30, 10});
    TProbe* client = child(alClient, {0, 0, 1, 1});
    TProbe* right = child(alRight, {0, 0, 20, 5});
    EXPECT_EQ(top->GetBoundsRect(), (TRect{0, 0, 200, 10}));
    EXPECT_EQ(left->GetBoundsRect(), (TRect{0, 10, 30, 100}));
    EXPECT_EQ(right->GetBoundsRect(), (TRect{180, 10, 200, 100}));
    EXPECT_EQ(client->GetBoundsRect(), (TRect{30, 10, 180, 100}));

    TProbe* anchoredRight = child(alNone, {150, 50, 170, 60});
    anchoredRight->SetAnchors(akTop | akRight);
    TProbe* stretched = child(alNone, {10, 50, 20, 60});
    stretched->SetAnchors(akLeft | akRight | akTop | akBottom);
    TProbe* floating = child(alNone, {100, 50, 110, 60});
    floating->SetAnchors(0);
    form.SetBounds(0, 0, 260, 120);
    EXPECT_EQ(client->GetBoundsRect(), (TRect{30, 10, 240, 120}));
    EXPECT_EQ(anchoredRight->GetBoundsRect(), (TRect{210, 50, 230, 60}));
    EXPECT_EQ(stretched->GetBoundsRect(), (TRect{10, 50, 80, 80}));
    EXPECT_EQ(floating->GetBoundsRect(), (TRect{130, 60, 140, 70})) << "half the change, as a centred control";

    right->SetVisible(false);
    EXPECT_EQ(client->GetBoundsRect(), (TRect{30, 10, 260, 120})) << "a hidden control takes no room";
}

TEST_F(ControlsTest, BoundsBeyondTheControlCoordinatesAreRefusedAndChangeNothing) {
    TProbe probe(nullptr);
    probe.SetBounds(8, 8, 100, 50);
    const TRect bounds = probe.GetBoundsRect();
    constexpr int max = MaxControlCoordinate;
    struct Case {
        int left, top, width, height;
    };
    for (const Case c : {Case{8, 8, max, 50}, Case{0, 0, max + 1, 50}, Case{-max - 1, 0, 10, 10},
                         Case{0, max, 10, 1}, Case{0, 0, 10, -max - 1}, Case{-max, 0, -1, 10}}) {
        EXPECT_THROW(probe.SetBounds(c.left, c.top, c.width, c.height), EConvertError)
            << c.left << ", " << c.top << ", " << c.width << " x " << c.height;
        EXPECT_EQ(probe.GetBoundsRect(), bounds);
    }
    probe.SetBounds(-max, 0, max, 0);  // the edges themselves are in range
    EXPECT_EQ(probe.GetBoundsRect(), (TRect{-max, 0, 0, 0}));
    // A stored value beyond 32 bits does not wrap round into range.
    EXPECT_THROW(probe.FindProperty("Width")->SetValue(probe, "2147483656"), EConvertError);
    EXPECT_EQ(probe.GetWidth(), max);
}

TEST_F(ControlsTest, LayoutOfHugeControlsStaysWithinTheControlCoordinates) {
    // Aligned and anchored children as large as coordinates allow: the room and the
    // anchors are worked out without overflow and the children kept within range.
    TForm form(nullptr);
    form.SetBounds(0, 0, MaxControlCoordinate, MaxControlCoordinate);
    std::vector<TProbe*> children;
    for (const TAlign align : {alTop, alTop, alBottom, alLeft, alRight, alRight, alClient}) {
        auto* c = new TProbe(&form);
        c->SetBounds(0, 0, MaxControlCoordinate, MaxControlCoordinate);
        c->SetParent(&form);
        c->SetAlign(align);
        children.push_back(c);
    }
    auto* anchored = new TProbe(&form);
    anchored->SetBounds(MaxControlCoordinate - 10, 0, 10, 10);
    anchored->SetParent(&form);
    anchored->SetAnchors(akTop | akRight);
    form.SetBounds(-MaxControlCoordinate, 0, MaxControlCoordinate, 10);
    form.SetBounds(0, 0, MaxControlCoordinate, MaxControlCoordinate);
    children.push_back(anchored);
    for (const TProbe* c : children) {
        const TRect r = c->GetBoundsRect();
        for (const int edge : {r.Left, r.Top, r.Right, r.Bottom}) {
            EXPECT_GE(edge, -MaxControlCoordinate);
            EXPECT_LE(edge, MaxControlCoordinate);
        }
    }
    EXPECT_EQ(children.front()->GetBoundsRect(), (TRect{0, 0, MaxControlCoordinate, MaxControlCoordinate}));
}

TEST_F(ControlsTest, AControlCannotBePlacedInsideItself) {
    TForm form(nullptr);
    auto* outer = new TProbe(&form);
    auto* inner = new TProbe(&form);
    outer->SetParent(&form);
    inner->SetParent(outer);
    EXPECT_THROW(outer->SetParent(inner), EInvalidOperation);
    EXPECT_THROW(outer->SetParent(outer), EInvalidOperation);
    EXPECT_EQ(outer->GetParent(), &form);
    EXPECT_EQ(form.GetControlCount(), 1);
}

TEST_F(ControlsTest, DestroyingAParentDestroysItsChildren) {
    TForm form(nullptr);
    auto* panel = new TProbe(&form);
    panel->SetParent(&form);
    auto* inner = new TProbe(&form);
    inner->SetParent(panel);
    inner->SetName("Inner");
    ASSERT_EQ(form.GetComponentCount(), 2);
    delete panel;
    EXPECT_EQ(form.GetComponentCount(), 0) << "the inner control went with its parent";
    EXPECT_EQ(form.GetControlCount(), 0);

    auto* lone = new TProbe(&form);
    lone->SetParent(&form);
    delete lone;
    EXPECT_EQ(form.GetControlCount(), 0);
}

TEST_F(ControlsTest, WindowsAreMadeParentFirstAndShowTheControlsState) {
    TForm form(nullptr);
    form.SetText("Labels");
    auto* probe = new TProbe(&form);
    probe->SetParent(&form);
    probe->SetBounds(4, 5, 30, 20);
    probe->SetCursor(crHandPoint);
    EXPECT_FALSE(probe->HandleAllocated());
    probe->HandleNeeded();
    ASSERT_TRUE(form.HandleAllocated()) << "the parent's window first";
    ASSERT_TRUE(probe->HandleAllocated());
    THeadlessWindow& window = WindowOf(*probe);
    EXPECT_EQ(window.GetBounds(), (TRect{4, 5, 34, 25}));
    EXPECT_EQ(window.GetSurface().GetWidth(), 30);
    EXPECT_EQ(window.GetSurface().GetHeight(), 20);
    EXPECT_EQ(window.GetCursor(), crHandPoint);
    EXPECT_EQ(WindowOf(form).GetText(), "Labels");
    EXPECT_FALSE(WindowOf(form).IsVisible()) << "a form is hidden until shown";
    EXPECT_FALSE(window.IsShown());

    form.SetText("Codes");
    EXPECT_EQ(WindowOf(form).GetText(), "Codes");

    // A control joining a parent with a window gets one; leaving the parent loses it.
    auto* late = new TProbe(&form);
    late->SetParent(&form);
    EXPECT_TRUE(late->HandleAllocated());
    late->SetParent(nullptr);
    EXPECT_FALSE(late->HandleAllocated());
    delete late;
}

TEST_F(ControlsTest, PaintingFillsTheBackgroundAndRunsPaintWhenInvalid) {
    TForm form(nullptr);
    auto* probe = new TProbe(&form);
    probe->SetParent(&form);
    probe->SetBounds(0, 0, 8, 4);
    probe->SetColor(clWhite);
    form.Show();
    THeadlessWindow& window = WindowOf(*probe);
    EXPECT_TRUE(window.IsInvalid()) << "a new window was never painted";
    windows->ProcessPaints();
    EXPECT_EQ(probe->Paints, 1);
    EXPECT_FALSE(window.IsInvalid());
    // The marker over a white background, as the probe paints it.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool marker = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(window.GetSurface().GetPixel(x, y), marker ? clRed : clWhite) << x << "," << y;
        }

    windows->ProcessPaints();
    EXPECT_EQ(probe->Paints, 1) << "nothing invalid, nothing painted";
    const int invalidated = window.GetInvalidateCount();
    probe->Invalidate();
    probe->Invalidate();
    EXPECT_EQ(window.GetInvalidateCount(), invalidated + 2);
    windows->ProcessPaints();
    EXPECT_EQ(probe->Paints, 2) << "two requests, one paint";

    probe->SetVisible(false);
    probe->Invalidate();
    windows->ProcessPaints();
    EXPECT_EQ(probe->Paints, 2) << "a hidden window is not painted";
    EXPECT_TRUE(window.IsInvalid());
}

TEST_F(ControlsTest, ClicksComeFromAPressAndReleaseInside) {
    TForm form(nullptr);
    auto* probe = new TProbe(&form);
    probe->SetParent(&form);
    probe->SetBounds(0, 0, 20, 10);
    std::vector<std::string> log;
    probe->OnClick = [&](TPersistent* sender) { log.push_back(sender == probe ? "click" : "click from elsewhere"); };
    probe->OnDblClick = [&](TPersistent*) { log.push_back("double"); };
    probe->OnMouseDown = [&](TPersistent*, TMouseButton, TShiftState shift, int x, int y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y) + ((shift & ssDouble) ? " double" : ""));
    };
    probe->OnMouseUp = [&](TPersistent*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    probe->OnMouseMove = [&](TPersistent*, TShiftState, int x, int) { log.push_back("move " + std::to_string(x)); };

    THeadlessWindow* window = nullptr;
    form.Show();
    window = &WindowOf(*probe);
    window->Click(3, 4);
    EXPECT_EQ(log, (std::vector<std::string>{"down 3,4", "click", "up"}));

    log.clear();
    probe->HandleMouseDown(mbLeft, ssLeft, 3, 4);
    probe->HandleMouseUp(mbLeft, 0, 25, 4);
    EXPECT_EQ(log, (std::vector<std::string>{"down 3,4", "up"})) << "released outside: no click";

    log.clear();
    window->DoubleClick(1, 1);
    window->MouseMove(7, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"down 1,1", "click", "up", "double", "down 1,1 double", "up", "move 7"}));

    log.clear();
    probe->SetVisible(false);
    window->Click(3, 4);
    EXPECT_TRUE(log.empty()) << "a hidden window takes no input";
}

TEST_F(ControlsTest, WheelTurnsGoToTheParentUntilTaken) {
    TForm form(nullptr);
    auto* probe = new TProbe(&form);
    probe->SetParent(&form);
    probe->SetBounds(10, 20, 20, 10);
    std::vector<std::string> log;
    form.OnMouseWheel = [&](TPersistent*, TShiftState, int delta, TPoint at, bool& handled) {
        log.push_back("form " + std::to_string(delta) + " at " + std::to_string(at.X) + "," + std::to_string(at.Y));
        handled = true;
    };
    probe->OnMouseWheelDown = [&](TPersistent*, TShiftState, TPoint, bool& handled) {
        log.push_back("down");
        handled = true;
    };
    probe->OnMouseWheelUp = [&](TPersistent*, TShiftState, TPoint, bool&) { log.push_back("up, not taken"); };
    form.SetBounds(100, 200, 300, 300);
    form.Show();
    EXPECT_TRUE(WindowOf(*probe).Wheel(-120, 1, 2));
    EXPECT_TRUE(WindowOf(*probe).Wheel(120, 1, 2));
    EXPECT_EQ(log, (std::vector<std::string>{"down", "up, not taken", "form 120 at 111,222"}));
}

TEST_F(ControlsTest, ContextMenusGoToTheHandlerThenThePopupMenuThenTheParent) {
    TForm form(nullptr);
    form.SetBounds(100, 50, 300, 200);
    auto* menu = new TPopupMenu(&form);
    menu->SetName("BarcodeMenu");
    int menuShown = 0;
    menu->OnPopup = [&](TPersistent*) { ++menuShown; };
    auto* probe = new TProbe(&form);
    probe->SetParent(&form);
    probe->SetBounds(10, 20, 30, 10);
    std::vector<std::string> log;
    bool take = true;
    probe->OnContextPopup = [&](TPersistent*, TPoint at, bool& handled) {
        log.push_back("probe " + std::to_string(at.X) + "," + std::to_string(at.Y));
        handled = take;
    };
    form.OnContextPopup = [&](TPersistent*, TPoint at, bool& handled) {
        log.push_back("form " + std::to_string(at.X) + "," + std::to_string(at.Y));
        handled = true;
    };
    form.Show();
    WindowOf(*probe).ContextMenu(3, 4);
    EXPECT_TRUE(windows->GetPopups().empty());

    take = false;
    probe->SetPopupMenu(menu);
    WindowOf(*probe).ContextMenu(3, 4);
    ASSERT_EQ(windows->GetPopups().size(), 1u);
    EXPECT_EQ(windows->GetPopups()[0].MenuName, "BarcodeMenu");
    EXPECT_EQ(windows->GetPopups()[0].Position, (TPoint{113, 74})) << "on the screen";
    EXPECT_EQ(menuShown, 1);

    delete menu;
    EXPECT_EQ(probe->GetPopupMenu(), nullptr) << "the destroyed menu is dropped";
    WindowOf(*probe).ContextMenu(3, 4);
    EXPECT_EQ(log, (std::vector<std::string>{"probe 3,4", "probe 3,4", "probe 3,4", "form 13,24"}));
}

TEST_F(ControlsTest, DraggingAndDocking) {
    TForm form(nullptr);
    auto* source = new TProbe(&form);
    auto* target = new TProbe(&form);
    source->SetParent(&form);
    target->SetParent(&form);
    source->SetBounds(0, 0, 10, 10);
    source->SetCursor(crHandPoint);
    form.Show();
    std::vector<std::string> log;
    TComponent payload(nullptr);
    source->OnStartDrag = [&](TPersistent*, TPersistent*& dragObject) {
        log.push_back("start drag");
        dragObject = &payload;
    };
    source->OnEndDrag = [&](TPersistent*, TPersistent* over, int x, int) {
        log.push_back(std::string("end drag ") + (over == target ? "on target" : "cancelled") + " " +
                      std::to_string(x));
    };
    source->OnStartDock = [&](TPersistent*, TPersistent*&) { log.push_back("start dock"); };
    source->OnEndDock = [&](TPersistent*, TPersistent*, int, int) { log.push_back("end dock"); };
    target->OnDragOver = [&](TPersistent*, TPersistent* dragged, int, int, TDragState, bool& accept) {
        accept = dragged == &payload;
    };
    target->OnDragDrop = [&](TPersistent*, TPersistent* dragged, int x, int y) {
        log.push_back(std::string("dropped ") + (dragged == &payload ? "payload" : "?") + " at " + std::to_string(x) +
                      "," + std::to_string(y));
    };

    source->SetDragMode(dmAutomatic);
    WindowOf(*source).Click(1, 1);
    ASSERT_TRUE(source->IsDragging()) << "a left press starts an automatic drag";
    EXPECT_EQ(WindowOf(*source).GetCursor(), crDrag);
    EXPECT_FALSE(source->DragOver(source->GetDragSource(), 2, 2, dsDragMove)) << "no handler: no";
    EXPECT_TRUE(target->DragOver(source->GetDragSource(), 2, 2, dsDragMove));
    target->DragDrop(source->GetDragSource(), 2, 3);
    source->EndDrag(target, 2, 3);
    EXPECT_FALSE(source->IsDragging());
    EXPECT_EQ(WindowOf(*source).GetCursor(), crHandPoint);

    source->SetDragMode(dmManual);
    source->SetDragKind(dkDock);
    source->BeginDrag();
    EXPECT_EQ(source->GetDragSource(), source) << "no drag object supplied";
    source->EndDrag(nullptr, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"start drag", "dropped payload at 2,3", "end drag on target 2",
                                             "start dock", "end dock"}))
        << "a press that starts a drag is no click";
}

TEST_F(ControlsTest, MessageBoxesAreRecordedAndAnsweredWithTheFirstButton) {
    EXPECT_EQ(ShowMessageBox("Invalid Text", "Invalid Caption: x", mbOK), mrOk);
    EXPECT_EQ(ShowMessageBox("Save", "Save the form?", mbYesNoCancel), mrYes);
    EXPECT_EQ(ShowMessageBox("Print", "Printer not ready", mbAbortRetryIgnore), mrAbort);
    ASSERT_EQ(windows->GetMessageBoxes().size(), 3u);
    EXPECT_EQ(windows->GetMessageBoxes()[0].Caption, "Invalid Text");
    EXPECT_EQ(windows->GetMessageBoxes()[0].Text, "Invalid Caption: x");
    EXPECT_EQ(windows->GetMessageBoxes()[1].Buttons, mbYesNoCancel);
}

TEST_F(ControlsTest, InstallingAWindowSystemReturnsThePreviousOne) {
    auto other = std::make_shared<THeadlessWindowSystem>();
    EXPECT_EQ(SetWindowSystem(other), windows);
    EXPECT_EQ(&WindowSystem(), other.get());
    EXPECT_EQ(SetWindowSystem(windows), other);
    const std::shared_ptr<IWindowSystem> fresh = SetWindowSystem(nullptr);
    EXPECT_EQ(fresh, windows);
    EXPECT_NE(dynamic_cast<THeadlessWindowSystem*>(&WindowSystem()), nullptr) << "null installs a new headless one";
    SetWindowSystem(windows);
}

TEST_F(ControlsTest, PublishedAndPublishableProperties) {
    TProbe probe(nullptr);
    std::vector<std::string> names;
    for (const TPropInfo& p : probe.PublishedProperties()) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Left", "Top", "Width", "Height"}));

    struct TCase {
        std::string name;
        std::string value;  // as a fresh control holds it
        bool stored;
    };
    // Stored defaults as the classic designers use them.
    const TCase cases[] = {
        {.name = "Align", .value = "alNone", .stored = false},
        {.name = "Anchors", .value = "[akLeft, akTop]", .stored = false},
        {.name = "AutoSize", .value = "False", .stored = false},
        {.name = "Color", .value = "clWindow", .stored = false},
        {.name = "Cursor", .value = "crDefault", .stored = false},
        {.name = "DragCursor", .value = "crDrag", .stored = false},
        {.name = "DragKind", .value = "dkDrag", .stored = false},
        {.name = "DragMode", .value = "dmManual", .stored = false},
        {.name = "ParentColor", .value = "True", .stored = false},
        {.name = "ParentFont", .value = "True", .stored = false},
        {.name = "ShowHint", .value = "False", .stored = false},
        {.name = "Visible", .value = "True", .stored = false},
        {.name = "PopupMenu", .value = "", .stored = false},
        {.name = "OnClick", .value = "", .stored = false},
        {.name = "Caption", .value = "", .stored = true},
    };
    for (const TCase& c : cases) {
        const TPropInfo& p = TControl::PlatformProperty(c.name);
        EXPECT_EQ(p.GetValue(probe), c.value) << c.name;
        EXPECT_EQ(p.ShouldStore(probe), c.stored) << c.name;
    }
    TControl::PlatformProperty("Color").SetValue(probe, "clBtnFace");
    EXPECT_EQ(probe.GetColor(), clBtnFace);
    EXPECT_TRUE(TControl::PlatformProperty("Color").ShouldStore(probe)) << "no longer the parent's";
    TControl::PlatformProperty("Cursor").SetValue(probe, "-21");
    EXPECT_EQ(TControl::PlatformProperty("Cursor").GetValue(probe), "crHandPoint");
    EXPECT_THROW(TControl::PlatformProperty("Colour"), Exception);
}

}  // namespace
}  // namespace zan::platform
