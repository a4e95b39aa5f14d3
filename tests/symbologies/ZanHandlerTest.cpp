// Change handlers that raise or re-enter, at every point where renderer or symbology notify.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include <zanbarcode/symbologies/ZanCodabar.h>
#include <zanbarcode/symbologies/ZanCode128.h>
#include <zanbarcode/symbologies/ZanCode2of5.h>
#include <zanbarcode/symbologies/ZanCode39.h>
#include <zanbarcode/symbologies/ZanEAN.h>
#include <zanbarcode/symbologies/ZanPostnet.h>

namespace {

using namespace zan;
using zan::platform::TBitmap;
using zan::platform::TPersistent;

// The renderer under test and a second one that a handler may move the symbology to.
struct TRenderers {
    TZanBarcodeRenderer& Main;
    TZanBarcodeRenderer& Other;
};

// What a handler does each time it hears of a change.
struct THandler {
    const char* Name;
    std::function<void(TRenderers&)> React;
    const char* Failure = "";  // the message that reaches the setter's caller, if any
};

const THandler Handlers[] = {
    {.Name = "raises",
     .React = [](TRenderers&) { throw EZanBarcodeError("handler failed"); },
     .Failure = "handler failed"},
    // The renderer absorbs rejections of captions; one from a handler must not be taken
    // for one.
    {.Name = "raises EInvalidText",
     .React = [](TRenderers&) { throw EInvalidText("handler refused"); },
     .Failure = "handler refused"},
    {.Name = "switches the symbology",
     .React =
         [](TRenderers& r) { r.Main.SetSymbologyName(r.Main.GetSymbologyName() == "Code 39" ? "EAN 13" : "Code 39"); }},
    {.Name = "drops the symbology", .React = [](TRenderers& r) { r.Main.SetSymbology(nullptr); }},
    {.Name = "moves the symbology to another renderer",
     .React =
         [](TRenderers& r) {
             if (TZanBarcodeSymbology* s = r.Main.GetSymbology()) r.Other.SetSymbology(s);
         }},
    // "A1" is refused by every symbology but Code 128 and Code 39.
    {.Name = "sets the caption", .React = [](TRenderers& r) { r.Main.SetCaption("A1"); }},
};

template <class T>
T& SymbologyOf(TZanBarcodeRenderer& r) {
    return dynamic_cast<T&>(*r.GetSymbology());
}

// A place where a notification is raised: the renderer starts with Symbology and Caption,
// Setup runs before the handler is installed, Change while it listens.
struct TPoint {
    const char* Name;
    const char* Symbology = "Code 128";
    const char* Caption = "";  // empty: the symbology's default caption
    std::function<void(TRenderers&)> Setup = [](TRenderers&) {};
    std::function<void(TRenderers&)> Change;
};

const TPoint Points[] = {
    {.Name = "caption", .Change = [](TRenderers& r) { r.Main.SetCaption("42"); }},
    {.Name = "rejected caption", .Symbology = "EAN 13", .Change = [](TRenderers& r) { r.Main.SetCaption("abc"); }},
    {.Name = "alignment", .Change = [](TRenderers& r) { r.Main.SetAlignment(zan::platform::taCenter); }},
    {.Name = "colour", .Change = [](TRenderers& r) { r.Main.SetBarColor(0x0000FF); }},
    {.Name = "font", .Change = [](TRenderers& r) { r.Main.SetFont(r.Main.GetFont()); }},
    {.Name = "bounds", .Change = [](TRenderers& r) { r.Main.SetBounds(0, 0, 300, 90); }},
    {.Name = "one bound", .Change = [](TRenderers& r) { r.Main.SetWidth(310); }},
    {.Name = "quarter turn", .Change = [](TRenderers& r) { r.Main.SetOrientation(bo90Degrees); }},
    {.Name = "margin", .Change = [](TRenderers& r) { r.Main.GetMargins().SetLeft(9); }},
    {.Name = "symbology name", .Caption = "abc", .Change = [](TRenderers& r) { r.Main.SetSymbologyName("EAN 8"); }},
    {.Name = "new symbology", .Change = [](TRenderers& r) { r.Main.SetSymbology(std::make_unique<TZanCodabar>()); }},
    {.Name = "symbology taken from another renderer",
     .Caption = "abc",
     .Setup = [](TRenderers& r) { r.Other.SetSymbologyName("POSTNET"); },
     .Change = [](TRenderers& r) { r.Main.SetSymbology(r.Other.GetSymbology()); }},
    {.Name = "symbology moved to another renderer",
     .Change = [](TRenderers& r) { r.Other.SetSymbology(r.Main.GetSymbology()); }},
    {.Name = "symbology let go",
     .Change =
         [](TRenderers& r) {
             TZanBarcodeSymbology* s = r.Main.GetSymbology();
             try {
                 s->SetParent(nullptr);
             } catch (...) {
                 delete s;
                 throw;
             }
             delete s;
         }},
    {.Name = "end of an update that validates",
     .Symbology = "Interleaved 2 of 5",
     .Setup =
         [](TRenderers& r) {
             r.Main.BeginUpdate();
             r.Main.SetCaption("x");
         },
     .Change = [](TRenderers& r) { r.Main.EndUpdate(); }},
    {.Name = "bitmap copy",
     .Change =
         [](TRenderers& r) {
             TBitmap copy;
             r.Main.CopyToBitmap(copy);
         }},
    {.Name = "metafile copy",
     .Change =
         [](TRenderers& r) {
             zan::platform::TMetafile copy;
             r.Main.CopyToMetafile(copy);
         }},
    {.Name = "XDimension",
     .Symbology = "Code 39",
     .Change = [](TRenderers& r) { SymbologyOf<TZanLinearSymbology>(r.Main).SetXDimension(20); }},
    {.Name = "Code 128 character set that keeps the caption",
     .Caption = "1234",
     .Change = [](TRenderers& r) { SymbologyOf<TZanCode128>(r.Main).SetCharacterSet(CodeC); }},
    {.Name = "Code 128 character set that replaces the caption",
     .Caption = "abc",
     .Change = [](TRenderers& r) { SymbologyOf<TZanCode128>(r.Main).SetCharacterSet(CodeC); }},
    {.Name = "Code 128 character set inside an update",
     .Caption = "abc",
     .Setup = [](TRenderers& r) { r.Main.BeginUpdate(); },
     .Change = [](TRenderers& r) { SymbologyOf<TZanCode128>(r.Main).SetCharacterSet(CodeC); }},
    {.Name = "Code 128 caption switch",
     .Change = [](TRenderers& r) { SymbologyOf<TZanCode128>(r.Main).SetDisplayCaption(false); }},
    {.Name = "Code 39 option",
     .Symbology = "Code 39",
     .Change = [](TRenderers& r) { SymbologyOf<TZanCode39>(r.Main).SetFullAscii(true); }},
    {.Name = "Codabar start character",
     .Symbology = "Codabar",
     .Change = [](TRenderers& r) { SymbologyOf<TZanCodabar>(r.Main).SetStartChar('C'); }},
    {.Name = "Interleaved 2 of 5 option",
     .Symbology = "Interleaved 2 of 5",
     .Change = [](TRenderers& r) { SymbologyOf<TZanInterleaved2of5>(r.Main).SetUseChecksum(true); }},
    {.Name = "EAN add-on",
     .Symbology = "EAN 13",
     .Change = [](TRenderers& r) { SymbologyOf<TZanEan>(r.Main).SetSupplemental("12"); }},
    {.Name = "EAN digit location",
     .Symbology = "EAN 8",
     .Change = [](TRenderers& r) { SymbologyOf<TZanEan8>(r.Main).SetCheckDigitLocation(dlOutside); }},
    {.Name = "POSTNET XDimension",
     .Symbology = "POSTNET",
     .Change = [](TRenderers& r) { SymbologyOf<TZanPostnet>(r.Main).SetXDimension(20); }},
};

// A renderer is consistent when its symbology names it as parent, takes its caption as
// it stands (outside an update), and paints.
void ExpectConsistent(TZanBarcodeRenderer& renderer, const char* which) {
    SCOPED_TRACE(which);
    renderer.SetOnVisualChange(nullptr);
    if (TZanBarcodeSymbology* symbology = renderer.GetSymbology()) {
        EXPECT_EQ(symbology->GetParent(), &renderer);
        if (renderer.GetUpdateCount() == 0) {
            std::string caption = renderer.GetCaption();
            EXPECT_NO_THROW(symbology->ValidateText(caption)) << renderer.GetCaption();
            EXPECT_EQ(caption, renderer.GetCaption());
        }
    }
    while (renderer.GetUpdateCount() > 0) renderer.EndUpdate();
    EXPECT_NO_THROW(renderer.Paint());
}

TEST(ChangeHandlers, LeaveRendererAndSymbologyConsistentAtEveryNotification) {
    RegisterBarcodeSymbologies();
    TBitmap screen;
    screen.SetSize(320, 100);
    screen.GetCanvas().SetFontEngine(zan::platform::FixedMetricsFontEngine());
    for (const TPoint& point : Points) {
        for (const THandler& handler : Handlers) {
            SCOPED_TRACE(std::string(point.Name) + ", handler " + handler.Name);
            TZanBarcodeRenderer main;
            TZanBarcodeRenderer other;
            TRenderers renderers{main, other};
            for (TZanBarcodeRenderer* r : {&main, &other}) {
                r->SetCanvas(&screen.GetCanvas());
                r->SetBounds(0, 0, 320, 100);
            }
            main.SetSymbologyName(point.Symbology);
            if (*point.Caption != '\0') main.SetCaption(point.Caption);
            point.Setup(renderers);

            main.SetOnVisualChange([&](TPersistent* sender) {
                EXPECT_EQ(sender, &main);
                handler.React(renderers);
            });
            std::string failure;
            try {
                point.Change(renderers);
            } catch (const EZanBarcodeError& e) {
                failure = e.Message();
            }
            if (!failure.empty()) {
                EXPECT_EQ(failure, handler.Failure);
            }
            ExpectConsistent(main, "main renderer");
            ExpectConsistent(other, "other renderer");
        }
    }
}

}  // namespace
