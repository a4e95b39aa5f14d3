// Fuzz target: two renderers driven by a script, painted onto a bitmap, into copies and as SVG.
//
// One operation a line, "WORD ARGUMENTS"; a line that is not understood is skipped.
// In text arguments \xHH stands for the byte HH and \\ for a backslash.
//   symbology NAME          SetSymbologyName
//   index N                 SetSymbology with a new object of the N-th registered class
//   caption TEXT            SetCaption
//   set PATH=VALUE          a published property through the property metadata: PATH
//                           names a property of the renderer (Caption, Orientation,
//                           Margins.Left, Font.Size, ...), after "Symbology." one of
//                           the symbology (Symbology.XDimension, Symbology.CharacterSet),
//                           after "Detached." one of the symbology that detach took
//   orientation N           SetOrientation with the byte N, named value or not
//   alignment N             SetAlignment with the byte N
//   color I V               SetColor(I, V)
//   bounds L T W H          SetBounds
//   bound I V               SetBound(I, V)
//   margin I V              SetMargin(I, V) on the margins
//   canvas bitmap|metafile|none
//                           SetCanvas: the script's bitmap, a recording metafile canvas
//                           that lives as long as the script, or none
//   resolution N            the script's bitmap's pixels per inch; renderers drawing on it
//                           are given it again, so that they measure it anew
//   size W H                the script's bitmap's size (kept within 256 x 256)
//   engine fixed|freetype   the font engine of the script's canvases
//   begin, end              BeginUpdate, EndUpdate
//   handler N LINE          the renderer's OnVisualChange runs LINE on its N-th call from
//                           now: any operation, "throw" (an application error) or
//                           "throw invalid" (EInvalidText); "handler clear" forgets them
//   host W H                the renderer is hosted by a control of W x H pixels that
//                           draws on the script's bitmap; "host refuse" makes its
//                           SetText raise EInvalidText, "host accept" undoes it, and
//                           "host none" ends the hosting
//   renderer 0|1            which renderer the following lines drive
//   move                    the symbology moves to the other renderer (SetParent)
//   detach, attach          SetParent(null) hands the symbology to the script, attach
//                           gives it to the current renderer (SetSymbology)
//   paint                   Paint on the renderer's canvas
//   bitmap                  CopyToBitmap
//   metafile                CopyToMetafile, then the SVG text and a replay onto the bitmap
//   clipboard               AssignTo the clipboard (a metafile and a bitmap copy)
//
// Copies are drawn when they stay small (MaxDrawnPixels) and asked for when they are far
// beyond what a bitmap holds (RefusedPixels), which the library must refuse; sizes in
// between would only make runs slow and are skipped.
#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Clipboard.h>
#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/FontEngine.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/PixelChecks.h"

namespace zanfuzz {

namespace {

using zan::TRect;
using zan::TZanBarcodeRenderer;
using zan::TZanBarcodeSymbology;
namespace platform = zan::platform;

constexpr std::size_t MaxLines = 64;
constexpr int MaxCanvasSide = 256;
constexpr std::int64_t MaxDrawnPixels = std::int64_t{1} << 16;
// Far beyond the 2^28 pixels that a bitmap holds.
constexpr std::int64_t RefusedPixels = std::int64_t{1} << 30;
// Growth of the peak memory that painting onto the script's small bitmap may cause.
constexpr long MaxStepKilobytes = 256 * 1024;

// What a handler's "throw" raises: an error of the application, not of the library.
class THandlerError : public std::runtime_error {
public:
    THandlerError() : std::runtime_error("thrown by an OnVisualChange handler") {}
};

bool FitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

// N integers of 32 bits separated by single spaces.
template <std::size_t N>
std::optional<std::array<int, N>> ParseInts(std::string_view text) {
    std::array<int, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        const TCommandLine split = SplitWord(text);
        const std::optional<std::int64_t> value = ParseInteger(split.Word);
        if (!value || !FitsInt32(*value)) return std::nullopt;
        values[i] = static_cast<int>(*value);
        text = split.Rest;
    }
    if (!text.empty()) return std::nullopt;
    return values;
}

// The drawing state that Paint must leave as it found it.
struct TCanvasState {
    platform::TPoint PenPos;
    std::uint32_t TextAlign = 0;
    std::int32_t TextFlags = 0;
    platform::TCopyMode CopyMode = 0;
    platform::TColor BrushColor = 0;
    platform::TBrushStyle BrushStyle = platform::bsSolid;
    platform::TColor PenColor = 0;
    platform::TPenStyle PenStyle = platform::psSolid;
    int PenWidth = 0;
    platform::TColor FontColor = 0;
    platform::TLogFont Font;

    static TCanvasState Of(platform::TCanvas& canvas) {
        return {.PenPos = canvas.GetPenPos(),
                .TextAlign = canvas.GetTextAlign(),
                .TextFlags = canvas.GetTextFlags(),
                .CopyMode = canvas.GetCopyMode(),
                .BrushColor = canvas.GetBrush().GetColor(),
                .BrushStyle = canvas.GetBrush().GetStyle(),
                .PenColor = canvas.GetPen().GetColor(),
                .PenStyle = canvas.GetPen().GetStyle(),
                .PenWidth = canvas.GetPen().GetWidth(),
                .FontColor = canvas.GetFont().GetColor(),
                .Font = platform::GetObject(canvas.GetFont().GetHandle())};
    }
    friend bool operator==(const TCanvasState&, const TCanvasState&) = default;
};

// The size a copy gives its target, by the rule of the renderer's copies: the code's
// width and height plus the margins; a code of no height of its own takes the
// renderer's height (width when turned), with the margins (bitmap) or plus them
// (metafile). Sums are exact, so that a size beyond 32 bits shows as such.
struct TCopySize {
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    bool Overflows() const { return !FitsInt32(Width) || !FitsInt32(Height); }
    std::int64_t Pixels() const { return std::max<std::int64_t>(Width, 0) * std::max<std::int64_t>(Height, 0); }
};

// The control that hosts a renderer: the script's bitmap canvas, a size, a colour, a
// font and a text. Told to, it refuses texts as a control at run time passes on the
// EInvalidText of its own validation.
class TScriptHost final : public zan::IBarcodeControlAdapter {
public:
    explicit TScriptHost(platform::TCanvas& canvas) : FCanvas(canvas) {}
    platform::TCanvas* GetCanvas() override { return &FCanvas; }
    zan::TColor GetColor() override { return FColor; }
    void SetColor(zan::TColor value) override { FColor = value; }
    platform::TFont& GetFont() override { return FFont; }
    int GetHeight() override { return FHeight; }
    int GetWidth() override { return FWidth; }
    std::string GetText() override { return FText; }
    void SetText(const std::string& value) override {
        if (FRefuses) throw zan::EInvalidText("refused by the host control");
        FText = value;
    }
    void UpdateControl() override {}
    void InvalidCaption(const std::string& /*text*/, const std::string& /*message*/) override {}

    void SetSize(int width, int height) {
        FWidth = width;
        FHeight = height;
    }
    void SetRefuses(bool value) { FRefuses = value; }

private:
    platform::TCanvas& FCanvas;
    zan::TColor FColor = platform::clBtnFace;
    platform::TFont FFont;
    std::string FText;
    int FWidth = 0;
    int FHeight = 0;
    bool FRefuses = false;
};

class TRendererScript {
public:
    TRendererScript() {
        zan::RegisterBarcodeSymbologies();
        FBitmap.SetSize(128, 64);
        UseFontEngine(platform::FreeTypeFontEngine());
        for (std::size_t k = 0; k < FRenderers.size(); ++k) {
            FRenderers[k] = std::make_unique<TZanBarcodeRenderer>();
            FRenderers[k]->SetOnVisualChange([this, k](platform::TPersistent*) { OnVisualChange(k); });
        }
    }

    ~TRendererScript() { platform::Clipboard().Clear(); }

    TRendererScript(const TRendererScript&) = delete;
    TRendererScript& operator=(const TRendererScript&) = delete;

    void Run(std::string_view input) {
        std::vector<std::string_view> lines = SplitLines(input);
        if (lines.size() > MaxLines) lines.resize(MaxLines);
        for (const std::string_view line : lines) Execute(line);
    }

private:
    // Runs one line; the library's own refusals and the handlers' errors end the line
    // only. Anything else escapes and ends the run as a finding.
    void Execute(std::string_view line) {
        try {
            Perform(line);
        } catch (const platform::Exception&) {
        } catch (const THandlerError&) {
        }
    }

    void Perform(std::string_view line) {
        const auto [word, rest] = SplitWord(line);
        if (word == "symbology") {
            Renderer().SetSymbologyName(DecodeEscapes(rest));
        } else if (word == "index") {
            const std::optional<std::int64_t> index = ParseInteger(rest);
            if (index && FitsInt32(*index))
                Renderer().SetSymbology(zan::GetSymbologyClassByIndex(static_cast<int>(*index))->Create());
        } else if (word == "caption") {
            SetCaption(DecodeEscapes(rest));
        } else if (word == "set") {
            SetProperty(DecodeEscapes(rest));
        } else if (word == "orientation") {
            if (const auto value = ParseInts<1>(rest)) SetOrientation(static_cast<std::uint8_t>((*value)[0]));
        } else if (word == "alignment") {
            if (const auto value = ParseInts<1>(rest))
                Renderer().SetAlignment(static_cast<platform::TAlignment>(static_cast<std::uint8_t>((*value)[0])));
        } else if (word == "color") {
            if (const auto v = ParseInts<2>(rest))
                Renderer().SetColor(v->at(0), static_cast<platform::TColor>(v->at(1)));
        } else if (word == "bounds") {
            if (const auto v = ParseInts<4>(rest)) Renderer().SetBounds(v->at(0), v->at(1), v->at(2), v->at(3));
        } else if (word == "bound") {
            if (const auto v = ParseInts<2>(rest)) Renderer().SetBound(v->at(0), v->at(1));
        } else if (word == "margin") {
            if (const auto v = ParseInts<2>(rest)) Renderer().GetMargins().SetMargin(v->at(0), v->at(1));
        } else if (word == "canvas") {
            SelectCanvas(rest);
        } else if (word == "resolution") {
            if (const auto value = ParseInts<1>(rest)) SetResolution((*value)[0]);
        } else if (word == "size") {
            if (const auto v = ParseInts<2>(rest))
                FBitmap.SetSize(std::clamp(v->at(0), 0, MaxCanvasSide), std::clamp(v->at(1), 0, MaxCanvasSide));
        } else if (word == "engine") {
            SelectFontEngine(rest);
        } else if (word == "begin") {
            Renderer().BeginUpdate();
        } else if (word == "end") {
            Renderer().EndUpdate();
        } else if (word == "handler") {
            AddHandlerAction(rest);
        } else if (word == "host") {
            Host(rest);
        } else if (word == "renderer") {
            if (const auto value = ParseInts<1>(rest)) FActive = static_cast<std::size_t>((*value)[0] & 1);
        } else if (word == "move") {
            MoveSymbology();
        } else if (word == "detach") {
            DetachSymbology();
        } else if (word == "attach") {
            if (FLoose) Renderer().SetSymbology(FLoose.release());
        } else if (word == "paint") {
            Paint();
        } else if (word == "bitmap") {
            CopyToBitmap();
        } else if (word == "metafile") {
            CopyToMetafile();
        } else if (word == "clipboard") {
            CopyToClipboard();
        }
    }

    TZanBarcodeRenderer& Renderer() { return *FRenderers[FActive]; }
    TZanBarcodeRenderer& OtherRenderer() { return *FRenderers[1 - FActive]; }

    // ---- Handlers

    struct THandlerAction {
        std::int64_t Call = 0;
        std::string Line;
    };

    void AddHandlerAction(std::string_view text) {
        if (text == "clear") {
            FActions[FActive].clear();
            return;
        }
        const auto [count, line] = SplitWord(text);
        const std::optional<std::int64_t> n = ParseInteger(count);
        if (n && *n > 0 && *n <= 1000) FActions[FActive].push_back({FCalls[FActive] + *n, std::string(line)});
    }

    // Runs the actions due at this call of renderer K's handler, on renderer K.
    void OnVisualChange(std::size_t k) {
        ++FCalls[k];
        std::vector<THandlerAction>& actions = FActions[k];
        const auto due =
            std::find_if(actions.begin(), actions.end(), [&](const THandlerAction& a) { return a.Call == FCalls[k]; });
        if (due == actions.end()) return;
        const std::string line = due->Line;
        actions.erase(due);
        ++FFired;
        if (line == "throw") throw THandlerError();
        if (line == "throw invalid") throw zan::EInvalidText("rejected by an OnVisualChange handler");
        struct TRestoreActive {
            std::size_t& Active;
            std::size_t Previous;
            ~TRestoreActive() { Active = Previous; }
        } restore{FActive, FActive};
        FActive = k;
        Perform(line);
    }

    // ---- Renderer state

    // A standalone renderer absorbs a rejected caption into the default one; a hosted
    // one hands every new caption it takes to its control.
    void SetCaption(const std::string& caption) {
        const int fired = FFired;
        const bool hosted = Renderer().GetControlAdapter() != nullptr;
        const bool changes = caption != Renderer().GetCaption();
        try {
            Renderer().SetCaption(caption);
        } catch (...) {
            Check(FFired != fired || hosted, "SetCaption on a standalone renderer raises nothing");
            throw;
        }
        if (hosted && changes && FFired == fired)
            Check(Renderer().GetControlAdapter()->GetText() == Renderer().GetCaption(),
                  "a hosted renderer's control shows its caption");
    }

    void Host(std::string_view how) {
        std::shared_ptr<TScriptHost>& host = FHosts[FActive];
        if (how == "none") {
            host.reset();
            Renderer().SetControlAdapter(nullptr);
            return;
        }
        if (!host) {
            host = std::make_shared<TScriptHost>(BitmapCanvas());
            Renderer().SetControlAdapter(host);
        }
        if (how == "refuse") host->SetRefuses(true);
        if (how == "accept") host->SetRefuses(false);
        if (const auto size = ParseInts<2>(how)) host->SetSize(size->at(0), size->at(1));
    }

    void SetOrientation(std::uint8_t value) {
        // Values beyond the four orientations are refused and change nothing.
        try {
            Renderer().SetOrientation(static_cast<zan::TZanBarcodeOrientation>(value));
        } catch (const zan::EZanBarcodeError& e) {
            // A handler may raise EInvalidText after a named orientation was taken.
            const bool refused = e.Message().starts_with("Invalid Orientation");
            Check(refused == (value > zan::bo270Degrees), "only the values beyond the four orientations are refused");
        }
        Check(Renderer().GetOrientation() <= zan::bo270Degrees, "the orientation is one of the four named ones");
    }

    // PATH=VALUE: dotted property names from the renderer, or from its symbology.
    void SetProperty(const std::string& assignment) {
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos) return;
        std::string_view path = std::string_view(assignment).substr(0, equals);
        const std::string value = assignment.substr(equals + 1);
        platform::TPersistent* object = &Renderer();
        constexpr std::string_view symbologyPrefix = "Symbology.";
        constexpr std::string_view detachedPrefix = "Detached.";
        if (path.starts_with(symbologyPrefix)) {
            object = Renderer().GetSymbology();
            path.remove_prefix(symbologyPrefix.size());
        } else if (path.starts_with(detachedPrefix)) {
            object = FLoose.get();
            path.remove_prefix(detachedPrefix.size());
        }
        for (std::size_t dot = path.find('.'); object != nullptr && dot != std::string_view::npos;
             dot = path.find('.')) {
            const platform::TPropInfo* property = object->FindProperty(std::string(path.substr(0, dot)));
            if (property == nullptr || property->Kind != platform::TTypeKind::tkClass) return;
            object = property->GetObject(*object);
            path.remove_prefix(dot + 1);
        }
        if (object == nullptr) return;
        const platform::TPropInfo* property = object->FindProperty(std::string(path));
        if (property == nullptr || property->Kind == platform::TTypeKind::tkClass) return;
        const bool fontName = dynamic_cast<platform::TFont*>(object) != nullptr && property->Name == "Name";
        property->SetValue(*object, fontName ? FewFontNames(value) : value);
    }

    // ---- Canvases

    platform::TCanvas& BitmapCanvas() { return FBitmap.GetCanvas(); }

    platform::TCanvas& RecordingCanvas() {
        if (!FRecordingCanvas)
            FRecordingCanvas = std::make_unique<platform::TMetafileCanvas>(FRecording, &BitmapCanvas());
        return *FRecordingCanvas;
    }

    void SelectCanvas(std::string_view name) {
        if (name == "bitmap") Renderer().SetCanvas(&BitmapCanvas());
        if (name == "metafile") Renderer().SetCanvas(&RecordingCanvas());
        if (name == "none") Renderer().SetCanvas(nullptr);
    }

    void SetResolution(int pixelsPerInch) {
        FBitmap.SetPixelsPerInch(pixelsPerInch);
        for (auto& renderer : FRenderers) {
            if (renderer->GetCanvas() != &BitmapCanvas()) continue;
            renderer->SetCanvas(nullptr);
            renderer->SetCanvas(&BitmapCanvas());
        }
    }

    void SelectFontEngine(std::string_view name) {
        if (name == "fixed") UseFontEngine(platform::FixedMetricsFontEngine());
        if (name == "freetype") UseFontEngine(platform::FreeTypeFontEngine());
    }

    // The engine of the script's canvases and of the bitmaps it copies into.
    void UseFontEngine(std::shared_ptr<platform::TFontEngine> engine) {
        FFontEngine = std::move(engine);
        BitmapCanvas().SetFontEngine(FFontEngine);
        if (FRecordingCanvas) FRecordingCanvas->SetFontEngine(FFontEngine);
    }

    // ---- Moving symbologies

    bool HeldByOneRenderer(const TZanBarcodeSymbology* symbology) {
        return (FRenderers[0]->GetSymbology() == symbology) != (FRenderers[1]->GetSymbology() == symbology);
    }

    // A move that fails half-way must still leave the symbology with one renderer: with
    // none it leaks, with both it is deleted twice.
    void MoveSymbology() {
        TZanBarcodeSymbology* symbology = Renderer().GetSymbology();
        if (symbology == nullptr) return;
        const int fired = FFired;
        try {
            symbology->SetParent(&OtherRenderer());
        } catch (...) {
            Check(HeldByOneRenderer(symbology), "a symbology whose move failed belongs to one renderer");
            throw;
        }
        if (FFired == fired)
            Check(OtherRenderer().GetSymbology() == symbology && Renderer().GetSymbology() == nullptr,
                  "SetParent moves the symbology from one renderer to the other");
    }

    // SetParent(null) gives the symbology to the caller; so does one that failed after
    // its renderer had let go of it.
    void DetachSymbology() {
        TZanBarcodeSymbology* symbology = Renderer().GetSymbology();
        if (symbology == nullptr || FLoose) return;
        try {
            symbology->SetParent(nullptr);
        } catch (...) {
            if (FRenderers[0]->GetSymbology() != symbology && FRenderers[1]->GetSymbology() != symbology)
                FLoose.reset(symbology);
            throw;
        }
        Check(FRenderers[0]->GetSymbology() != symbology && FRenderers[1]->GetSymbology() != symbology,
              "SetParent(null) takes the symbology from its renderer");
        FLoose.reset(symbology);
    }

    // ---- Output

    // Paint leaves the canvas's drawing state as it was and draws nothing outside the
    // output rectangle and the paint rectangle (which negative margins move outwards).
    void Paint() {
        TZanBarcodeRenderer& renderer = Renderer();
        platform::TCanvas* canvas = renderer.GetCanvas();
        if (canvas == nullptr) {
            bool refused = false;
            try {
                renderer.Paint();
            } catch (const zan::EInvalidCanvas&) {
                refused = true;
            }
            Check(refused, "Paint without a canvas raises EInvalidCanvas");
            return;
        }
        const TCanvasState before = TCanvasState::Of(*canvas);
        const bool onBitmap = canvas == &BitmapCanvas();
        const std::vector<platform::TColor> pixels = onBitmap ? PixelsOf(FBitmap) : std::vector<platform::TColor>{};
        const TRect bounds = renderer.GetBoundsRect();
        const zan::TZanBarcodeMargins& m = renderer.GetMargins();
        const std::int64_t prLeft = std::int64_t{bounds.Left} + m.GetLeft();
        const std::int64_t prTop = std::int64_t{bounds.Top} + m.GetTop();
        const std::int64_t prRight = std::int64_t{bounds.Left} + bounds.Width() - m.GetRight();
        const std::int64_t prBottom = std::int64_t{bounds.Top} + bounds.Height() - m.GetBottom();
        const int fired = FFired;
        const long peak = PeakMemoryKilobytes();

        std::exception_ptr failure;
        try {
            renderer.Paint();
        } catch (...) {
            failure = std::current_exception();
        }
        Check(PeakMemoryKilobytes() - peak <= MaxStepKilobytes, "a paint takes little memory");
        if (FFired == fired) {
            Check(TCanvasState::Of(*canvas) == before, "Paint leaves the canvas's drawing state as it found it");
            if (onBitmap)
                Check(UnchangedOutside(FBitmap, pixels, {bounds.Left, bounds.Top, bounds.Right, bounds.Bottom},
                                       {prLeft, prTop, prRight, prBottom}),
                      "Paint draws nothing outside the output and paint rectangles");
        }
        if (failure) std::rethrow_exception(failure);
    }

    // The resolution a copy measures the code at: its target's, which the script makes
    // that of the renderer's canvas, so that the code's current size is the copy's.
    int CopyResolution() {
        const platform::TCanvas* canvas = Renderer().GetCanvas();
        return canvas != nullptr ? canvas->GetDeviceCaps(platform::dcLogPixelsX) : FBitmap.GetPixelsPerInch();
    }

    // The size a copy will take, its code measured on Target's canvas.
    TCopySize PredictCopySize(platform::TCanvas& target, bool metafile) {
        TZanBarcodeRenderer& renderer = Renderer();
        TZanBarcodeSymbology& symbology = *renderer.GetSymbology();
        const std::int64_t rendererWidth = renderer.GetWidth();
        const std::int64_t rendererHeight = renderer.GetHeight();
        // A renderer with a canvas measures as Target will. One without measures on
        // Target for a moment: being without canvas, it is not hosted, and setting none
        // again restores it exactly (a hosted renderer cannot always be put back so).
        const bool measureOnTarget = renderer.GetCanvas() == nullptr;
        if (measureOnTarget) renderer.SetCanvas(&target);
        const std::int64_t codeWidth = symbology.GetCodeWidth();
        const std::int64_t codeHeight = symbology.GetCodeHeight();
        if (measureOnTarget) renderer.SetCanvas(nullptr);
        Check(codeWidth >= 0 && codeHeight >= 0, "a code's width and height are never negative");
        const zan::TZanBarcodeMargins& m = renderer.GetMargins();
        const std::int64_t alongMargins = zan::IsVertical(renderer.GetOrientation())
                                              ? std::int64_t{m.GetTop()} + m.GetBottom()
                                              : std::int64_t{m.GetLeft()} + m.GetRight();
        const std::int64_t acrossMargins = zan::IsVertical(renderer.GetOrientation())
                                               ? std::int64_t{m.GetLeft()} + m.GetRight()
                                               : std::int64_t{m.GetTop()} + m.GetBottom();
        const std::int64_t rendererAcross = zan::IsVertical(renderer.GetOrientation()) ? rendererWidth : rendererHeight;
        const std::int64_t along = codeWidth + alongMargins;
        std::int64_t across = 0;
        if (codeHeight != 0)
            across = codeHeight + acrossMargins;
        else
            across = metafile ? rendererAcross + acrossMargins : rendererAcross;
        if (zan::IsVertical(renderer.GetOrientation())) return {across, along};
        return {along, across};
    }

    // Whether to make a copy of Size: small ones are drawn, huge ones asked for.
    bool ShouldCopy(const TCopySize& size) const {
        return size.Pixels() <= MaxDrawnPixels || size.Pixels() >= RefusedPixels;
    }

    // A copy puts the renderer's canvas back, whether it succeeded or failed, unless a
    // handler changed things meanwhile.
    template <class Copy>
    void CheckedCopy(const Copy& copy) {
        TZanBarcodeRenderer& renderer = Renderer();
        platform::TCanvas* canvas = renderer.GetCanvas();
        const TRect bounds = renderer.GetBoundsRect();
        const int fired = FFired;
        std::exception_ptr failure;
        try {
            copy();
        } catch (...) {
            failure = std::current_exception();
        }
        if (FFired == fired) {
            Check(renderer.GetCanvas() == canvas, "a copy gives the renderer its canvas back");
            Check(renderer.GetBoundsRect() == bounds, "a copy gives the renderer its bounds back");
        }
        if (failure) std::rethrow_exception(failure);
    }

    void CopyToBitmap() {
        TZanBarcodeRenderer& renderer = Renderer();
        platform::TBitmap bitmap;
        bitmap.SetPixelsPerInch(CopyResolution());
        bitmap.GetCanvas().SetFontEngine(FFontEngine);
        if (renderer.GetSymbology() == nullptr) {
            bitmap.SetSize(3, 2);
            renderer.CopyToBitmap(bitmap);
            Check(bitmap.GetWidth() == 3 && bitmap.GetHeight() == 2,
                  "CopyToBitmap without symbology leaves the bitmap");
            return;
        }
        const TCopySize size = PredictCopySize(bitmap.GetCanvas(), false);
        if (!ShouldCopy(size)) return;
        const int fired = FFired;
        CheckedCopy([&] { renderer.CopyToBitmap(bitmap); });
        if (FFired == fired)
            Check(bitmap.GetWidth() == std::max<std::int64_t>(size.Width, 0) &&
                      bitmap.GetHeight() == std::max<std::int64_t>(size.Height, 0),
                  "CopyToBitmap sizes the bitmap to the reported code size plus margins");
    }

    void CopyToMetafile() {
        TZanBarcodeRenderer& renderer = Renderer();
        platform::TMetafile metafile;
        if (renderer.GetSymbology() == nullptr) {
            renderer.CopyToMetafile(metafile);
            Check(metafile.GetWidth() == 0 && metafile.Records().empty(),
                  "CopyToMetafile without symbology leaves the metafile");
            return;
        }
        TCopySize size;
        {
            platform::TMetafile probe;
            platform::TMetafileCanvas probeCanvas(probe, renderer.GetCanvas());
            size = PredictCopySize(probeCanvas, true);
        }
        const int fired = FFired;
        CheckedCopy([&] { renderer.CopyToMetafile(metafile); });
        if (FFired == fired)
            Check(metafile.GetWidth() == size.Width && metafile.GetHeight() == size.Height,
                  "CopyToMetafile sizes the metafile to the reported code size plus margins");
        Check(IsCleanUtf8Text(metafile.ToSvg()), "SVG text is well-formed UTF-8 without control characters");
        const long peak = PeakMemoryKilobytes();
        metafile.Play(BitmapCanvas());
        Check(PeakMemoryKilobytes() - peak <= MaxStepKilobytes, "replaying a metafile takes little memory");
    }

    void CopyToClipboard() {
        TZanBarcodeRenderer& renderer = Renderer();
        platform::TClipboard& clipboard = platform::Clipboard();
        if (renderer.GetSymbology() != nullptr) {
            // The clipboard's bitmap copy has the default resolution and font engine.
            platform::TBitmap probe;
            if (CopyResolution() != probe.GetPixelsPerInch()) return;
            if (!ShouldCopy(PredictCopySize(probe.GetCanvas(), false))) return;
        }
        // A handler may copy again while a copy holds the clipboard open.
        const bool wasOpen = clipboard.IsOpen();
        CheckedCopy([&] { renderer.AssignTo(clipboard); });
        Check(clipboard.IsOpen() == wasOpen, "a copy to the clipboard closes what it opened");
        clipboard.Clear();
    }

    std::shared_ptr<platform::TFontEngine> FFontEngine;
    platform::TBitmap FBitmap;
    platform::TMetafile FRecording;
    std::unique_ptr<platform::TMetafileCanvas> FRecordingCanvas;
    std::unique_ptr<TZanBarcodeSymbology> FLoose;  // detached by the script
    std::array<std::shared_ptr<TScriptHost>, 2> FHosts;
    // Declared after the canvases, so destroyed before them: they point at them.
    std::array<std::unique_ptr<TZanBarcodeRenderer>, 2> FRenderers;
    std::array<std::vector<THandlerAction>, 2> FActions;
    std::array<std::int64_t, 2> FCalls{};
    std::size_t FActive = 0;
    int FFired = 0;  // handler actions run so far
};

}  // namespace

void FuzzRenderer(std::string_view input) {
    TRendererScript script;
    script.Run(input);
}

}  // namespace zanfuzz
