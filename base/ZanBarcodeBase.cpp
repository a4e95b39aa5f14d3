#include <zanbarcode/base/ZanBarcodeBase.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <zanbarcode/base/ZanSavedCanvas.h>
#include <zanbarcode/platform/Clipboard.h>
#include <zanbarcode/platform/Types.h>

namespace zan {

using platform::TBitmap;
using platform::TCanvas;
using platform::TMetafile;
using platform::TMetafileCanvas;
using platform::TPersistent;
using platform::TPropList;

// ---------------------------------------------------------------------------
// Registry

namespace {

// The process-wide list of symbology classes, in registration order.
std::vector<TZanBarcodeSymbologyClass>& Registry() {
    static std::vector<TZanBarcodeSymbologyClass> classes;
    return classes;
}

// Compares ignoring the case of the letters A to Z only.

}  // namespace

void RegisterSymbology(TZanBarcodeSymbologyClass symbologyClass) {
    if (symbologyClass != nullptr && GetSymbologyIndexByClass(symbologyClass) < 0) Registry().push_back(symbologyClass);
}

int SymbologyCount() { return static_cast<int>(Registry().size()); }

void FreeSymbologyRegistry() { std::vector<TZanBarcodeSymbologyClass>().swap(Registry()); }

TZanBarcodeSymbologyClass GetSymbologyClassByIndex(int index) {
    if (index < 0 || index >= SymbologyCount())
        throw platform::EListError("List index out of bounds (%d)", {std::int64_t{index}});
    return Registry()[static_cast<std::size_t>(index)];
}

TZanBarcodeSymbologyClass GetSymbologyClassByName(const std::string& name) {
    const int index = GetSymbologyIndexByName(name);
    return index < 0 ? nullptr : Registry()[static_cast<std::size_t>(index)];
}

int GetSymbologyIndexByClass(TZanBarcodeSymbologyClass symbologyClass) {
    const auto& classes = Registry();
    const auto found = std::find(classes.begin(), classes.end(), symbologyClass);
    return found == classes.end() ? -1 : static_cast<int>(found - classes.begin());
}

int GetSymbologyIndexByName(const std::string& name) {
    for (int i = 0; i < SymbologyCount(); ++i)
        if (Registry()[static_cast<std::size_t>(i)]->GetSymbologyName() == name) return i;
    return -1;
}

// ---------------------------------------------------------------------------
// Symbology base

void TZanBarcodeSymbology::ValidateText(std::string& /*text*/) {}

TZanBarcodeSymbologyClass TZanBarcodeSymbology::ClassType() const { return SymbologyClass<TZanBarcodeSymbology>(); }

std::string TZanBarcodeSymbology::SymbologyName() {
    throw platform::Exception("GetSymbologyName must be overriden in descendants.");
}

void TZanBarcodeSymbology::SetParent(TZanBarcodeRenderer* renderer) {
    if (renderer == FParent) return;
    if (renderer != nullptr) {
        renderer->SetSymbology(this);
        return;
    }
    TZanBarcodeRenderer* previous = FParent;
    previous->ReleaseSymbology(*this);
    previous->ChangeEvent(previous);
}

void TZanBarcodeSymbology::UpdateParent() {
    if (FParent != nullptr) FParent->ChangeEvent(this);
}

platform::TCanvas& TZanBarcodeSymbology::GetPaintCanvas() const { return PaintCanvasOf(FParent); }

void TZanBarcodeSymbology::RevalidateParentCaption() {
    TZanBarcodeRenderer* parent = FParent;
    if (parent == nullptr) return;
    parent->ValidateCaption();
    // The renderer outlives whatever its handlers did to this object.
    parent->ChangeEvent(parent);
}

std::string TZanBarcodeSymbology::GetRendererCaption() const {
    return FParent != nullptr ? FParent->GetCaption() : std::string();
}

int CodeStart(TAlignment alignment, const TRect& room, int codeWidth) {
    switch (alignment) {
        case platform::taRightJustify: return platform::Saturate32(std::int64_t{room.Right} - codeWidth);
        case platform::taCenter:
            return platform::Saturate32(std::int64_t{room.Left} + room.Width() / 2 - codeWidth / 2);
        case platform::taLeftJustify: break;
    }
    return room.Left;
}

// ---------------------------------------------------------------------------
// Module width

void CheckXDimension(double xDimension) {
    // An inch a module also keeps every pixel computation far from integer overflow.
    constexpr double MaxXDimension = 1000.0;
    if (!std::isfinite(xDimension) || xDimension <= 0 || xDimension > MaxXDimension)
        throw EZanBarcodeError("Invalid XDimension: %s (thousandths of an inch, above 0 and at most 1000)",
                               {platform::FloatToText(xDimension)});
}

int XDimensionToPixels(const TZanBarcodeRenderer* renderer, double xDimension) {
    const TCanvas* canvas = renderer != nullptr ? renderer->GetCanvas() : nullptr;
    if (canvas == nullptr) return 1;
    const double pixelsPerInch = canvas->GetDeviceCaps(platform::dcLogPixelsX);
    // Default rounding mode: halves go to the even neighbour.
    return static_cast<int>(std::nearbyint(pixelsPerInch / (1000.0 / xDimension)));
}

// ---------------------------------------------------------------------------
// Margins

const TPropList& TZanBarcodeMargins::PublishedProperties() const {
    static const TPropList properties = [] {
        TPropList list;
        const char* names[] = {"Left", "Top", "Right", "Bottom"};
        for (int index = 0; index < 4; ++index)
            list.push_back(platform::IntegerProperty<TZanBarcodeMargins>(
                names[index], [index](const TZanBarcodeMargins& m) { return m.GetMargin(index); },
                [index](TZanBarcodeMargins& m, std::int64_t v) { m.SetMargin(index, platform::IntegerValue<int>(v)); }));
        return list;
    }();
    return properties;
}

int TZanBarcodeMargins::GetMargin(int index) const {
    switch (index) {
        case 0: return FMargins.Left;
        case 1: return FMargins.Top;
        case 2: return FMargins.Right;
        case 3: return FMargins.Bottom;
        default: return 0;
    }
}

void TZanBarcodeMargins::SetMargin(int index, int value) {
    std::int32_t* side = nullptr;
    switch (index) {
        case 0: side = &FMargins.Left; break;
        case 1: side = &FMargins.Top; break;
        case 2: side = &FMargins.Right; break;
        case 3: side = &FMargins.Bottom; break;
        default: return;
    }
    if (*side == value) return;
    *side = value;
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// Renderer: construction and state

TZanBarcodeRenderer::TZanBarcodeRenderer() {
    FChanging = false;
    int index = GetSymbologyIndexByName("Code 128");
    if (index < 0 && SymbologyCount() > 0) index = 0;
    if (index >= 0) SetSymbology(GetSymbologyClassByIndex(index)->Create());
    if (FSymbology) FCaption = FSymbology->GetDefaultCaption();

    FMargins = std::make_unique<TZanBarcodeMargins>(this);
    FMargins->FMargins = {5, 5, 5, 5};
    FMargins->OnChange = [this](TPersistent* sender) { ChangeEvent(sender); };
    FOrientation = boNormal;
    SetColor(BackColorIndex, platform::clWhite);
    SetColor(BarColorIndex, platform::clBlack);
    SetColor(SpaceColorIndex, platform::clWhite);
    FFont = std::make_unique<platform::TFont>();
    FFont->SetName("Courier New");
    FUpdateCount = 0;
}

TZanBarcodeRenderer::~TZanBarcodeRenderer() {
    FOnVisualChange = nullptr;
    FMargins.reset();
    FFont.reset();
    FSymbology.reset();
}

const TPropList& TZanBarcodeRenderer::PublishedProperties() const {
    using R = TZanBarcodeRenderer;
    static const TPropList properties = [] {
        const auto color = [](const char* name, int index) {
            return platform::IntegerProperty<R>(
                name, [index](const R& r) { return r.GetColor(index); },
                [index](R& r, std::int64_t v) { r.SetColor(index, static_cast<TColor>(v)); });
        };
        const auto bound = [](const char* name, int index) {
            return platform::IntegerProperty<R>(
                name, [index](const R& r) { return r.GetBound(index); },
                [index](R& r, std::int64_t v) { r.SetBound(index, platform::IntegerValue<int>(v)); });
        };
        return TPropList{
            platform::EnumerationProperty<R>(
                "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                [](const R& r) { return static_cast<int>(r.GetAlignment()); },
                [](R& r, int v) { r.SetAlignment(static_cast<TAlignment>(v)); }),
            color("BackColor", BackColorIndex),
            color("BarColor", BarColorIndex),
            platform::StringProperty<R>(
                "Caption", [](const R& r) { return r.GetCaption(); },
                [](R& r, const std::string& v) { r.SetCaption(v); }),
            platform::ObjectProperty<R>("Font", [](R& r) -> TPersistent* { return &r.GetFont(); }),
            bound("Height", 3),
            bound("Left", 0),
            platform::ObjectProperty<R>("Margins", [](R& r) -> TPersistent* { return &r.GetMargins(); }),
            platform::EnumerationProperty<R>(
                "Orientation", {"boNormal", "bo90Degrees", "bo180Degrees", "bo270Degrees"},
                [](const R& r) { return static_cast<int>(r.GetOrientation()); },
                [](R& r, int v) { r.SetOrientation(static_cast<TZanBarcodeOrientation>(v)); }),
            color("SpaceColor", SpaceColorIndex),
            platform::StringProperty<R>(
                "SymbologyName", [](const R& r) { return r.GetSymbologyName(); },
                [](R& r, const std::string& v) { r.SetSymbologyName(v); }),
            bound("Top", 1),
            bound("Width", 2),
        };
    }();
    return properties;
}

void TZanBarcodeRenderer::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    ChangeEvent(this);
}

TColor TZanBarcodeRenderer::GetColor(int index) const {
    if (index < BarColorIndex || index > BackColorIndex) index = BackColorIndex;
    if (index == BackColorIndex && IsHosted()) return FControlAdapter->GetColor();
    return FColors[static_cast<std::size_t>(index)];
}

void TZanBarcodeRenderer::SetColor(int index, TColor value) {
    if (index < BarColorIndex || index > BackColorIndex) return;
    if (index == BackColorIndex && IsHosted()) {
        FControlAdapter->SetColor(value);
        return;
    }
    TColor& stored = FColors[static_cast<std::size_t>(index)];
    if (stored == value) return;
    stored = value;
    ChangeEvent(this);
}

void TZanBarcodeRenderer::SetCaption(const std::string& value) {
    if (value == FCaption) return;
    const std::string previous = FCaption;
    FCaption = value;
    if (IsHosted()) {
        try {
            FControlAdapter->SetText(value);
        } catch (...) {
            // The host refused the text: the caption stays what it was.
            FCaption = previous;
            throw;
        }
    }
    ValidateCaption();
    ChangeEvent(this);
}

platform::TFont& TZanBarcodeRenderer::GetFont() const { return IsHosted() ? FControlAdapter->GetFont() : *FFont; }

void TZanBarcodeRenderer::SetFont(platform::TFont& value) {
    FFont->Assign(value);
    ChangeEvent(this);
}

void TZanBarcodeRenderer::SetMargins(const TZanBarcodeMargins& value) {
    if (&value == FMargins.get()) return;
    for (int index = 0; index < 4; ++index) FMargins->SetMargin(index, value.GetMargin(index));
}

platform::TCanvas* TZanBarcodeRenderer::GetCanvas() const {
    if (FCanvas != nullptr) return FCanvas;
    return IsHosted() ? FControlAdapter->GetCanvas() : nullptr;
}

void TZanBarcodeRenderer::SetCanvas(platform::TCanvas* value) {
    if (value == FCanvas) return;
    FCanvas = (IsHosted() && value == FControlAdapter->GetCanvas()) ? nullptr : value;
    if (FSymbology) FSymbology->ResetMetrics();
}

TRect TZanBarcodeRenderer::GetBoundsRect() const {
    if (FCanvas != nullptr) return FBounds;
    if (IsHosted()) return {0, 0, FControlAdapter->GetWidth(), FControlAdapter->GetHeight()};
    return {};
}

void TZanBarcodeRenderer::SetBoundsRect(const TRect& value) {
    FBounds = value;
    ChangeEvent(this);
}

int TZanBarcodeRenderer::GetBound(int index) const {
    const TRect bounds = GetBoundsRect();
    switch (index) {
        case 0: return bounds.Left;
        case 1: return bounds.Top;
        case 2: return bounds.Width();
        case 3: return bounds.Height();
        default: return 0;
    }
}

void TZanBarcodeRenderer::SetBound(int index, int value) {
    switch (index) {
        case 0:
            if (value == FBounds.Left) return;
            FBounds.Left = value;
            break;
        case 1:
            if (value == FBounds.Top) return;
            FBounds.Top = value;
            break;
        case 2:
            if (value == FBounds.Width()) return;
            FBounds.Right = platform::Saturate32(std::int64_t{FBounds.Left} + value);
            break;
        case 3:
            if (value == FBounds.Height()) return;
            FBounds.Bottom = platform::Saturate32(std::int64_t{FBounds.Top} + value);
            break;
        default: return;
    }
    ChangeEvent(this);
}

void TZanBarcodeRenderer::SetBounds(int left, int top, int width, int height) {
    SetBoundsRect({left, top, platform::Saturate32(std::int64_t{left} + width),
                   platform::Saturate32(std::int64_t{top} + height)});
}

void TZanBarcodeRenderer::SetOrientation(TZanBarcodeOrientation value) {
    // Painting looks the angle and the mapping up by the orientation.
    if (value >= OrientationAngles.size()) throw EZanBarcodeError("Invalid Orientation: %d", {std::int64_t{value}});
    if (value == FOrientation) return;
    const bool swapsAxes = IsVertical(value) != IsVertical(FOrientation);
    FOrientation = value;
    // The stored bounds turn, also while they are not in force (without a canvas, or on
    // a hosted renderer): reading the effective ones there would overwrite them.
    if (swapsAxes) SetBounds(FBounds.Left, FBounds.Top, FBounds.Height(), FBounds.Width());
    ChangeEvent(this);
}

std::string TZanBarcodeRenderer::GetSymbologyName() const {
    return FSymbology ? FSymbology->GetSymbologyName() : std::string();
}

void TZanBarcodeRenderer::SetSymbologyName(const std::string& value) {
    if (value == GetSymbologyName()) return;
    for (int i = 0; i < SymbologyCount(); ++i) {
        const TZanBarcodeSymbologyClass symbologyClass = GetSymbologyClassByIndex(i);
        if (platform::SameText(symbologyClass->GetSymbologyName(), value)) {
            SetSymbology(symbologyClass->Create());
            return;
        }
    }
    // An empty registry almost always means that the application never registered the
    // library's symbologies: say what to call after the standard message.
    if (SymbologyCount() == 0)
        throw ESymbologyError(
            "%s is not a valid symbology name. No symbology is registered: call "
            "zan::RegisterBarcodeSymbologies() first.",
            {value});
    throw ESymbologyError("%s is not a valid symbology name.", {value});
}

void TZanBarcodeRenderer::SetSymbology(TZanBarcodeSymbology* value) {
    if (value == FSymbology.get()) return;
    // Ownership first, with no one notified: Value leaves its previous parent, becomes
    // this renderer's, and the symbology it replaces goes.
    TZanBarcodeRenderer* previous = value != nullptr ? value->FParent : nullptr;
    if (previous != nullptr) previous->ReleaseSymbology(*value);
    if (value != nullptr) value->FParent = this;
    FSymbology.reset(value);

    // Everything below notifies, and a handler may replace the symbology again: only the
    // current one is used. This renderer's caption is validated before the previous
    // parent hears that it lost its symbology.
    if (FSymbology) {
        // A symbology made without a renderer measured its bars for no canvas.
        FSymbology->ResetMetrics();
        try {
            ValidateCaption();
        } catch (const EInvalidText&) {
            if (FSymbology) SetCaption(FSymbology->GetDefaultCaption());
        }
    }
    ChangeEvent(this);
    if (previous != nullptr) previous->ChangeEvent(previous);
}

void TZanBarcodeRenderer::ReleaseSymbology(TZanBarcodeSymbology& symbology) {
    if (&symbology != FSymbology.get()) return;
    (void)FSymbology.release();  // now owned by whoever adopts it
    symbology.FParent = nullptr;
}

// ---------------------------------------------------------------------------
// Renderer: notification, update protocol, validation

void TZanBarcodeRenderer::ChangeEvent(TPersistent* /*sender*/) {
    if (FChanging) return;
    FChanging = true;
    struct TClearChanging {
        bool& Flag;
        ~TClearChanging() { Flag = false; }
    } clear{FChanging};
    if (IsHosted()) FControlAdapter->UpdateControl();
    if (FOnVisualChange) FOnVisualChange(this);
}

void TZanBarcodeRenderer::BeginUpdate() {
    if (!FUpdateStatus.Contains(busUpdating)) FUpdateStatus = {busUpdating};
    ++FUpdateCount;
}

void TZanBarcodeRenderer::EndUpdate() {
    if (!FUpdateStatus.Contains(busUpdating)) {
        FUpdateStatus = {};
        return;
    }
    if (--FUpdateCount != 0) return;
    FUpdateStatus.Exclude(busUpdating);
    if (FUpdateStatus.Contains(busValidateCaption)) ValidateCaption();
}

void TZanBarcodeRenderer::ValidateCaption() {
    if (FUpdateStatus.Contains(busUpdating)) {
        FUpdateStatus.Include(busValidateCaption);
        return;
    }
    FUpdateStatus.Exclude(busValidateCaption);
    std::string text = FCaption;
    ValidateText(text);
    if (text != FCaption) SetCaption(text);
}

void TZanBarcodeRenderer::ValidateText(std::string& text) {
    if (!FSymbology) return;
    try {
        FSymbology->ValidateText(text);
    } catch (const EInvalidText&) {
        text = FSymbology->GetDefaultCaption();
    }
}

// ---------------------------------------------------------------------------
// Renderer: geometry

// Geometry is computed in 64 bits and saturated to the 32-bit range, so that extreme
// bounds or margins give extreme rectangles rather than overflows.

namespace {

TRect SaturatedRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    using platform::Saturate32;
    return {Saturate32(left), Saturate32(top), Saturate32(right), Saturate32(bottom)};
}

// The code rectangle is kept within a billion pixels either way, which leaves the
// symbologies room for arithmetic of their own on its edges.
TRect CodeFrameRect(std::int64_t right, std::int64_t bottom) {
    constexpr std::int64_t Limit = std::int64_t{1} << 30;
    return SaturatedRect(0, 0, std::clamp(right, -Limit, Limit), std::clamp(bottom, -Limit, Limit));
}

// A canvas step: where one unit along an axis of the code frame goes on the canvas.
struct TCanvasStep {
    int X;
    int Y;
};

// How an orientation lays the code frame onto the canvas: the corner of the paint
// rectangle where the frame's origin lies, and the canvas steps of its two axes.
struct TOrientationMapping {
    bool OriginRight;
    bool OriginBottom;
    TCanvasStep AlongBars;  // x, the bars' sequence
    TCanvasStep DownBars;   // y, the way the bars hang
};
constexpr std::array<TOrientationMapping, 4> OrientationMappings = {{
    {.OriginRight = false, .OriginBottom = false, .AlongBars = {1, 0}, .DownBars = {0, 1}},  // boNormal
    {.OriginRight = false, .OriginBottom = true, .AlongBars = {0, -1}, .DownBars = {1, 0}},  // bo90Degrees
    {.OriginRight = true, .OriginBottom = true, .AlongBars = {-1, 0}, .DownBars = {0, -1}},  // bo180Degrees
    {.OriginRight = true, .OriginBottom = false, .AlongBars = {0, 1}, .DownBars = {-1, 0}},  // bo270Degrees
}};

struct TCanvasPoint {
    std::int64_t X;
    std::int64_t Y;
};

// The canvas point of the code frame's point (X, Y), for the paint rectangle PR on the canvas.
TCanvasPoint ToCanvas(TZanBarcodeOrientation orientation, const TRect& pr, std::int64_t x, std::int64_t y) {
    const TOrientationMapping& m = OrientationMappings[orientation];
    const std::int64_t originX = m.OriginRight ? pr.Right : pr.Left;
    const std::int64_t originY = m.OriginBottom ? pr.Bottom : pr.Top;
    return {originX + m.AlongBars.X * x + m.DownBars.X * y, originY + m.AlongBars.Y * x + m.DownBars.Y * y};
}

}  // namespace

TRect TZanBarcodeRenderer::GetPaintRect(int index) const {
    const std::int64_t width = GetWidth();
    const std::int64_t height = GetHeight();
    const TZanBarcodeMargins& m = *FMargins;
    if (index != CodeRectIndex)
        return SaturatedRect(m.GetLeft(), m.GetTop(), width - m.GetRight(), height - m.GetBottom());
    const std::int64_t across = width - m.GetLeft() - m.GetRight();
    const std::int64_t down = height - m.GetTop() - m.GetBottom();
    return IsVertical(FOrientation) ? CodeFrameRect(down, across) : CodeFrameRect(across, down);
}

// The paint rectangle in canvas coordinates.
TRect TZanBarcodeRenderer::CanvasPaintRect() const {
    const TRect pr = GetPaintRect(PaintRectIndex);
    const std::int64_t left = GetLeft();
    const std::int64_t top = GetTop();
    return SaturatedRect(pr.Left + left, pr.Top + top, pr.Right + left, pr.Bottom + top);
}

TPoint TZanBarcodeRenderer::ResolvePoint(TPoint p) const {
    auto [x, y] = ToCanvas(FOrientation, CanvasPaintRect(), p.X, p.Y);
    // Clamped to the output rectangle, margins included.
    const TRect bounds = GetBoundsRect();
    if (x < bounds.Left) x = bounds.Left;
    if (x > bounds.Right) x = bounds.Right;
    if (y < bounds.Top) y = bounds.Top;
    if (y > bounds.Bottom) y = bounds.Bottom;
    return {platform::Saturate32(x), platform::Saturate32(y)};
}

TRect TZanBarcodeRenderer::ResolveRect(const TRect& r) const {
    const TRect pr = CanvasPaintRect();
    const TCanvasPoint first = ToCanvas(FOrientation, pr, r.Left, r.Top);
    const TCanvasPoint last = ToCanvas(FOrientation, pr, r.Right, r.Bottom);
    // The edges are the mapped corners' coordinates. Where the turn runs the canvas's X
    // (Y) against the frame's axes, the left (top) edge is the far corner's.
    const TOrientationMapping& m = OrientationMappings[FOrientation];
    const bool xRunsBack = m.AlongBars.X + m.DownBars.X < 0;
    const bool yRunsBack = m.AlongBars.Y + m.DownBars.Y < 0;
    std::int64_t left = xRunsBack ? last.X : first.X;
    std::int64_t right = xRunsBack ? first.X : last.X;
    std::int64_t top = yRunsBack ? last.Y : first.Y;
    std::int64_t bottom = yRunsBack ? first.Y : last.Y;
    // Clipped to the paint rectangle; an inverted result collapses onto its far edge.
    left = std::max<std::int64_t>(left, pr.Left);
    top = std::max<std::int64_t>(top, pr.Top);
    right = std::min<std::int64_t>(right, pr.Right);
    bottom = std::min<std::int64_t>(bottom, pr.Bottom);
    if (right < left) left = right;
    if (bottom < top) top = bottom;
    return SaturatedRect(left, top, right, bottom);
}

// ---------------------------------------------------------------------------
// Renderer: output

namespace {

// Runs Work, then Undo, also when Work fails. Undo's own failure reaches the caller
// after a Work that succeeded; after a failed one it is dropped, so that the caller
// hears of the failure that matters, and nothing is ever thrown from a destructor.
template <class TWork, class TUndo>
void RunThenUndo(TWork&& work, TUndo&& undo) {
    try {
        work();
    } catch (...) {
        try {
            undo();
        } catch (...) {
            // Work's failure is the one the caller hears of.
        }
        throw;
    }
    undo();
}

// The size of a copy, from sides computed in 64 bits. A picture is at most as wide and
// high as 32 bits count, and not negative: any other size is refused with what it would
// have been, so that it never wraps around into a picture of another size.
TPoint PictureSize(std::int64_t width, std::int64_t height) {
    constexpr std::int64_t Largest = std::numeric_limits<std::int32_t>::max();
    if (width < 0 || height < 0 || width > Largest || height > Largest)
        throw EZanBarcodeError("Cannot make a picture of %d x %d pixels", {width, height});
    return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

}  // namespace

TCanvas& PaintCanvasOf(const TZanBarcodeRenderer* renderer) {
    TCanvas* canvas = renderer != nullptr ? renderer->GetCanvas() : nullptr;
    if (canvas == nullptr) throw EInvalidCanvas("Invalid Canvas");
    return *canvas;
}

void TZanBarcodeRenderer::Paint() {
    TCanvas& canvas = PaintCanvasOf(this);
    const std::shared_ptr<ISavedCanvas> saved = SaveCanvas(canvas);
    RunThenUndo(
        [&] {
            canvas.GetBrush().SetColor(GetColor(BackColorIndex));
            canvas.GetBrush().SetStyle(platform::bsSolid);
            canvas.GetPen().SetStyle(platform::psClear);
            canvas.FillRect(GetBoundsRect());
            if (FSymbology) FSymbology->Paint();
        },
        [&] {
            if (TCanvas* target = GetCanvas()) saved->Restore(*target);
        });
}

void TZanBarcodeRenderer::EndCopy(TCanvas* canvas, const TRect& bounds) {
    // The renderer never keeps a canvas that belongs to the copy, whatever fails below.
    FCanvas = canvas;
    FBounds = bounds;
    // The copy's resolution may differ from the canvas's: measure bars for it again.
    if (FSymbology) FSymbology->ResetMetrics();
    ChangeEvent(this);
}

void TZanBarcodeRenderer::CopyToBitmap(TBitmap& bitmap) {
    if (!FSymbology) return;
    const int rendererWidth = GetWidth();
    const int rendererHeight = GetHeight();
    RunThenUndo(
        [&] {
            // Measured on the bitmap's own canvas, so that a bitmap whose resolution differs
            // from the current canvas's is sized for the bars it will really get.
            SetCanvas(&bitmap.GetCanvas());
            const std::int64_t codeWidth = FSymbology->GetCodeWidth();
            const std::int64_t codeHeight = FSymbology->GetCodeHeight();
            const TZanBarcodeMargins& m = *FMargins;
            const std::int64_t leftRight = std::int64_t{m.GetLeft()} + m.GetRight();
            const std::int64_t topBottom = std::int64_t{m.GetTop()} + m.GetBottom();
            // The bitmap is resized only once its whole size is known to fit.
            const TPoint size =
                IsVertical(FOrientation)
                    ? PictureSize(codeHeight != 0 ? codeHeight + leftRight : rendererWidth, codeWidth + topBottom)
                    : PictureSize(codeWidth + leftRight, codeHeight != 0 ? codeHeight + topBottom : rendererHeight);
            bitmap.SetSize(size.X, size.Y);
            SetBoundsRect({0, 0, bitmap.GetWidth(), bitmap.GetHeight()});
            Paint();
        },
        [&, canvas = FCanvas, bounds = FBounds] { EndCopy(canvas, bounds); });
}

void TZanBarcodeRenderer::CopyToMetafile(TMetafile& metafile) {
    if (!FSymbology) return;
    const int rendererWidth = GetWidth();
    const int rendererHeight = GetHeight();
    // Drawn aside: only a finished copy replaces what the caller's metafile holds.
    TMetafile drawing;
    RunThenUndo(
        [&] {
            {
                // The current canvas is the reference device; without any canvas the
                // metafile canvas takes a 96 pixels-per-inch one. It completes the drawing
                // when it goes, before the renderer's own canvas is given back.
                TMetafileCanvas metafileCanvas(drawing, GetCanvas());
                SetCanvas(&metafileCanvas);
                const std::int64_t codeWidth = FSymbology->GetCodeWidth();
                const std::int64_t codeHeight = FSymbology->GetCodeHeight();
                const TZanBarcodeMargins& m = *FMargins;
                const std::int64_t leftRight = std::int64_t{m.GetLeft()} + m.GetRight();
                const std::int64_t topBottom = std::int64_t{m.GetTop()} + m.GetBottom();
                // Unlike the bitmap's, the metafile's bars get the margins added to their length.
                const std::int64_t barLength =
                    codeHeight != 0 ? codeHeight : (IsVertical(FOrientation) ? rendererWidth : rendererHeight);
                const TPoint size = IsVertical(FOrientation)
                                        ? PictureSize(barLength + leftRight, codeWidth + topBottom)
                                        : PictureSize(codeWidth + leftRight, barLength + topBottom);
                drawing.SetWidth(size.X);
                drawing.SetHeight(size.Y);
                SetBoundsRect({0, 0, size.X, size.Y});
                Paint();
            }
            metafile.Assign(drawing);
        },
        [&, canvas = FCanvas, bounds = FBounds] { EndCopy(canvas, bounds); });
}

void TZanBarcodeRenderer::AssignTo(TPersistent& dest) {
    auto* clipboard = dynamic_cast<platform::TClipboard*>(&dest);
    if (clipboard == nullptr) {
        TPersistent::AssignTo(dest);
        return;
    }
    clipboard->Open();
    RunThenUndo(
        [&] {
            {
                TMetafile metafile;
                CopyToMetafile(metafile);
                clipboard->Assign(metafile);
            }
            TBitmap bitmap;
            CopyToBitmap(bitmap);
            platform::TClipboardFormat format = platform::cfBitmap;
            platform::TClipboardData data;
            std::uint32_t palette = 0;
            bitmap.SaveToClipboardFormat(format, data, palette);
            clipboard->SetAsHandle(format, data);
        },
        [&] { clipboard->Close(); });
}

}  // namespace zan
