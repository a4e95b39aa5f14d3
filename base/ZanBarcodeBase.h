// Rendering core: the symbology base and registry, the library's exceptions, margins,
// the host-control adapter and the renderer that places and paints a barcode.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/Graphics.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/platform/Persistent.h>

namespace zan {

using platform::TAlignment;
using platform::TColor;
using platform::TPoint;
using platform::TRect;

// ---------------------------------------------------------------------------
// Exceptions

class EZanBarcodeError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// Painting without a canvas: "Invalid Canvas".
class EInvalidCanvas : public EZanBarcodeError {
public:
    using EZanBarcodeError::EZanBarcodeError;
};

// A caption or text that a symbology rejects.
class EInvalidText : public EZanBarcodeError {
public:
    using EZanBarcodeError::EZanBarcodeError;
};

// A symbology name that no registered class bears.
class ESymbologyError : public EZanBarcodeError {
public:
    using EZanBarcodeError::EZanBarcodeError;
};

// ---------------------------------------------------------------------------
// Orientation and update status

// Counter-clockwise turns of the code.
enum TZanBarcodeOrientation : std::uint8_t { boNormal, bo90Degrees, bo180Degrees, bo270Degrees };

// Degrees counter-clockwise for each orientation.
inline constexpr std::array<std::int32_t, 4> OrientationAngles = {0, 90, 180, 270};

inline constexpr bool IsVertical(TZanBarcodeOrientation o) { return o == bo90Degrees || o == bo270Degrees; }

// Indices of the renderer's colours (GetColor, SetColor).
inline constexpr int BarColorIndex = 0;
inline constexpr int SpaceColorIndex = 1;
inline constexpr int BackColorIndex = 2;  // the whole output rectangle

// Indices of the renderer's GetPaintRect.
inline constexpr int CodeRectIndex = 0;   // the room for the code, in the code frame
inline constexpr int PaintRectIndex = 1;  // inside the margins, relative to the output rectangle

enum TZanBarcodeUpdateCode : std::uint8_t { busUpdating, busRepaint, busAutoSize, busValidateCaption };

// A set of update codes in one byte, bit n standing for code n.
class TZanBarcodeUpdateStatus {
public:
    constexpr TZanBarcodeUpdateStatus() = default;
    constexpr TZanBarcodeUpdateStatus(std::initializer_list<TZanBarcodeUpdateCode> codes) {
        for (TZanBarcodeUpdateCode code : codes) Include(code);
    }
    constexpr bool Contains(TZanBarcodeUpdateCode code) const { return (FBits & Bit(code)) != 0; }
    constexpr void Include(TZanBarcodeUpdateCode code) { FBits = static_cast<std::uint8_t>(FBits | Bit(code)); }
    constexpr void Exclude(TZanBarcodeUpdateCode code) { FBits = static_cast<std::uint8_t>(FBits & ~Bit(code)); }
    constexpr bool IsEmpty() const { return FBits == 0; }
    constexpr std::uint8_t Bits() const { return FBits; }
    friend constexpr bool operator==(TZanBarcodeUpdateStatus, TZanBarcodeUpdateStatus) = default;

private:
    static constexpr std::uint8_t Bit(TZanBarcodeUpdateCode code) { return static_cast<std::uint8_t>(1u << code); }
    std::uint8_t FBits = 0;
};

// ---------------------------------------------------------------------------
// Symbology base and class references

class TZanBarcodeRenderer;
class TZanBarcodeSymbology;

// A class reference: the class's registry name without an instance, and a factory.
// Two references are the same class when they are the same descriptor.
struct TZanBarcodeSymbologyClassInfo {
    std::string (*GetSymbologyName)();
    std::unique_ptr<TZanBarcodeSymbology> (*Create)();  // null for abstract classes
};
using TZanBarcodeSymbologyClass = const TZanBarcodeSymbologyClassInfo*;

// The descriptor of symbology class T, which supplies `static std::string SymbologyName()`.
template <class T>
TZanBarcodeSymbologyClass SymbologyClass() {
    static const TZanBarcodeSymbologyClassInfo info{&T::SymbologyName, []() -> std::unique_ptr<TZanBarcodeSymbology> {
                                                        if constexpr (std::is_abstract_v<T>)
                                                            return nullptr;
                                                        else
                                                            return std::make_unique<T>();
                                                    }};
    return &info;
}

// Common base of every symbology. A symbology belongs to at most one renderer, its
// parent, which owns it; it reads caption, canvas, colours, font and geometry from there.
class TZanBarcodeSymbology : public platform::TPersistent {
public:
    TZanBarcodeSymbology() = default;
    ~TZanBarcodeSymbology() override = default;
    std::string ClassName() const override { return "TZanBarcodeSymbology"; }

    // Height of the code in device pixels across the bars; 0 fills the renderer's height.
    virtual int GetCodeHeight() = 0;
    // Length of the whole code in device pixels along the bar sequence.
    virtual int GetCodeWidth() = 0;
    virtual std::string GetDefaultCaption() { return {}; }
    virtual void Paint() = 0;
    // Recomputes device-dependent metrics; called whenever the renderer's canvas changes.
    virtual void ResetMetrics() = 0;
    // Checks a caption; raises EInvalidText, or rewrites Text in place.
    virtual void ValidateText(std::string& text);

    // This object's class reference.
    virtual TZanBarcodeSymbologyClass ClassType() const;
    // The registry name of this object's class.
    std::string GetSymbologyName() const { return ClassType()->GetSymbologyName(); }
    // The base class has no name: raises platform::Exception.
    static std::string SymbologyName();

    TZanBarcodeRenderer* GetParent() const { return FParent; }
    // Makes Renderer the parent, which takes ownership of this object (it must have been
    // created on the heap and be owned by nobody else), as its SetSymbology does. A
    // previous parent lets go of the object without destroying it; with Renderer null
    // the caller owns it again, also when the previous parent's notification fails.
    void SetParent(TZanBarcodeRenderer* renderer);
    // Reports a visible change to the parent; does nothing without one. A handler of the
    // notification may replace and so destroy this symbology: call it last.
    void UpdateParent();

protected:
    // The caption being drawn: the parent's caption, empty without a parent.
    std::string GetRendererCaption() const;
    // The parent's canvas, for painting: raises EInvalidCanvas without one.
    platform::TCanvas& GetPaintCanvas() const;
    // For a setting that changes which captions this symbology accepts: the parent
    // validates its caption again, which may replace it, and reports the change. Its
    // handlers may replace and so destroy this symbology: call it last.
    void RevalidateParentCaption();

private:
    friend class TZanBarcodeRenderer;  // links and unlinks FParent with its FSymbology
    TZanBarcodeRenderer* FParent = nullptr;
};

// True for the characters "0" to "9" only, whatever the byte.
inline constexpr bool IsDigit(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= '0' && byte <= '9';
}

// Where a code CodeWidth pixels long starts in Room by Alignment: at Room's left edge,
// ending at its right edge, or centred (both halves truncated toward zero). A code
// longer than Room starts left of it.
int CodeStart(TAlignment alignment, const TRect& room, int codeWidth);

// ---------------------------------------------------------------------------
// Module width: XDimension thousandths of an inch turned into device pixels

// Refuses an XDimension that has no bar width (zero, negative, not finite) or that no
// one can print (above an inch), with an EZanBarcodeError naming the value.
void CheckXDimension(double xDimension);
// XDimension in whole pixels of the renderer's canvas, dcLogPixelsX / (1000 / XDimension)
// rounded half to even; 1 without renderer or canvas. The result can be 0.
int XDimensionToPixels(const TZanBarcodeRenderer* renderer, double xDimension);

// ---------------------------------------------------------------------------
// Registry of symbology classes, in registration order. It has no lock: register before
// any thread draws (a batch registers before its workers start); afterwards it is only read.

void RegisterSymbology(TZanBarcodeSymbologyClass symbologyClass);
int SymbologyCount();
// Raises platform::EListError for an index outside 0..count-1.
TZanBarcodeSymbologyClass GetSymbologyClassByIndex(int index);
// Exact, case-sensitive name comparison; null or -1 when no class bears the name.
TZanBarcodeSymbologyClass GetSymbologyClassByName(const std::string& name);
int GetSymbologyIndexByClass(TZanBarcodeSymbologyClass symbologyClass);
int GetSymbologyIndexByName(const std::string& name);
// Empties the registry and gives its memory back: the stop of the base unit, after
// every unit that registers into it or reads it has stopped.
void FreeSymbologyRegistry();

// ---------------------------------------------------------------------------
// Margins and the host adapter

// Four margins in canvas pixels, fixed to the output rectangle's sides whatever the orientation.
class TZanBarcodeMargins : public platform::TPersistent {
public:
    explicit TZanBarcodeMargins(TZanBarcodeRenderer* owner) : FOwner(owner) {}
    std::string ClassName() const override { return "TZanBarcodeMargins"; }
    const platform::TPropList& PublishedProperties() const override;

    // 0 Left, 1 Top, 2 Right, 3 Bottom; any other index reads 0 and writes nothing.
    int GetMargin(int index) const;
    void SetMargin(int index, int value);
    int GetLeft() const { return FMargins.Left; }
    void SetLeft(int value) { SetMargin(0, value); }
    int GetTop() const { return FMargins.Top; }
    void SetTop(int value) { SetMargin(1, value); }
    int GetRight() const { return FMargins.Right; }
    void SetRight(int value) { SetMargin(2, value); }
    int GetBottom() const { return FMargins.Bottom; }
    void SetBottom(int value) { SetMargin(3, value); }

    TZanBarcodeRenderer* GetOwner() const { return FOwner; }
    platform::TNotifyEvent OnChange;

private:
    friend class TZanBarcodeRenderer;
    TZanBarcodeRenderer* FOwner;
    TRect FMargins;
};

// The renderer's view of the control that hosts it.
class IBarcodeControlAdapter {
public:
    virtual ~IBarcodeControlAdapter() = default;
    virtual platform::TCanvas* GetCanvas() = 0;
    virtual TColor GetColor() = 0;
    virtual void SetColor(TColor value) = 0;
    virtual platform::TFont& GetFont() = 0;
    virtual int GetHeight() = 0;
    virtual int GetWidth() = 0;
    virtual std::string GetText() = 0;
    virtual void SetText(const std::string& value) = 0;
    // Re-computes the control's size and schedules a repaint.
    virtual void UpdateControl() = 0;
    virtual void InvalidCaption(const std::string& text, const std::string& message) = 0;
};

// ---------------------------------------------------------------------------
// The renderer

// Draws one barcode: holds caption, colours, font, alignment, orientation, margins,
// bounds and canvas, owns the current symbology, and maps the symbology's frame
// (x along the bars' sequence, y down the bars) onto the canvas.
class TZanBarcodeRenderer : public platform::TPersistent {
public:
    TZanBarcodeRenderer();
    ~TZanBarcodeRenderer() override;
    std::string ClassName() const override { return "TZanBarcodeRenderer"; }
    const platform::TPropList& PublishedProperties() const override;

    // Copies the barcode to the clipboard, as a metafile and a bitmap placed together.
    void AssignTo(platform::TPersistent& dest) override;

    // Checks Text with the symbology; a rejected text becomes the default caption.
    virtual void ValidateText(std::string& text);
    virtual void BeginUpdate();
    virtual void EndUpdate();
    // Fills the output rectangle with the background colour and lets the symbology draw.
    virtual void Paint();
    // Size the target to the code plus margins and paint into it.
    virtual void CopyToBitmap(platform::TBitmap& bitmap);
    virtual void CopyToMetafile(platform::TMetafile& metafile);
    virtual void ValidateCaption();
    virtual void SetBounds(int left, int top, int width, int height);

    // Properties
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    // BarColorIndex, SpaceColorIndex, BackColorIndex. Other indices read the background and
    // write nothing.
    TColor GetColor(int index) const;
    void SetColor(int index, TColor value);
    TColor GetBarColor() const { return GetColor(BarColorIndex); }
    void SetBarColor(TColor value) { SetColor(BarColorIndex, value); }
    TColor GetSpaceColor() const { return GetColor(SpaceColorIndex); }
    void SetSpaceColor(TColor value) { SetColor(SpaceColorIndex, value); }
    TColor GetBackColor() const { return GetColor(BackColorIndex); }
    void SetBackColor(TColor value) { SetColor(BackColorIndex, value); }
    const std::string& GetCaption() const { return FCaption; }
    void SetCaption(const std::string& value);
    // The host's font on a hosted renderer, else the renderer's own.
    platform::TFont& GetFont() const;
    // Copies Value's attributes into the own font and always notifies.
    void SetFont(platform::TFont& value);
    // 0 Left, 1 Top, 2 Width, 3 Height of GetBoundsRect; other indices read 0, write nothing.
    int GetBound(int index) const;
    void SetBound(int index, int value);
    int GetLeft() const { return GetBound(0); }
    void SetLeft(int value) { SetBound(0, value); }
    int GetTop() const { return GetBound(1); }
    void SetTop(int value) { SetBound(1, value); }
    int GetWidth() const { return GetBound(2); }
    void SetWidth(int value) { SetBound(2, value); }
    int GetHeight() const { return GetBound(3); }
    void SetHeight(int value) { SetBound(3, value); }
    TZanBarcodeMargins& GetMargins() const { return *FMargins; }
    // Copies the four sides into the renderer's own margins object.
    void SetMargins(const TZanBarcodeMargins& value);
    TZanBarcodeOrientation GetOrientation() const { return FOrientation; }
    // Refuses a value that is none of the four orientations with EZanBarcodeError. A
    // quarter turn swaps width and height of the stored bounds.
    void SetOrientation(TZanBarcodeOrientation value);
    std::string GetSymbologyName() const;
    // Selects the first registered class of that name, letter case of A to Z ignored;
    // raises ESymbologyError "<name> is not a valid symbology name." for an unknown one
    // (with a hint to register the symbologies when the registry is empty).
    void SetSymbologyName(const std::string& value);
    TZanBarcodeSymbology* GetSymbology() const { return FSymbology.get(); }
    // Takes ownership of Value (null leaves the renderer without symbology), from the
    // renderer that is its parent if any, and destroys the previous symbology. Ownership
    // is settled before anyone is notified, so a handler that fails leaves Value here.
    void SetSymbology(TZanBarcodeSymbology* value);
    void SetSymbology(std::unique_ptr<TZanBarcodeSymbology> value) { SetSymbology(value.release()); }

    const std::shared_ptr<IBarcodeControlAdapter>& GetControlAdapter() const { return FControlAdapter; }
    void SetControlAdapter(std::shared_ptr<IBarcodeControlAdapter> value) { FControlAdapter = std::move(value); }
    TZanBarcodeUpdateStatus GetUpdateStatus() const { return FUpdateStatus; }
    void SetUpdateStatus(TZanBarcodeUpdateStatus value) { FUpdateStatus = value; }
    int GetUpdateCount() const { return FUpdateCount; }
    void SetUpdateCount(int value) { FUpdateCount = value; }
    const platform::TNotifyEvent& GetOnVisualChange() const { return FOnVisualChange; }
    void SetOnVisualChange(platform::TNotifyEvent value) { FOnVisualChange = std::move(value); }

    // The explicit canvas, else the host's, else null. The renderer never owns it.
    platform::TCanvas* GetCanvas() const;
    void SetCanvas(platform::TCanvas* value);
    // The stored bounds while an explicit canvas is set, else the host's size, else empty.
    TRect GetBoundsRect() const;
    void SetBoundsRect(const TRect& value);

    // Geometry. CodeRectIndex: the code rectangle in the code frame; any other index
    // (PaintRectIndex): the paint rectangle relative to the output rectangle's top-left corner.
    TRect GetPaintRect(int index) const;
    // A point of the code frame on the canvas, clamped to the output rectangle.
    TPoint ResolvePoint(TPoint p) const;
    // A rectangle of the code frame on the canvas, clipped to the paint rectangle.
    TRect ResolveRect(const TRect& r) const;

    // The one funnel for visible changes: the host's UpdateControl, then OnVisualChange.
    // A notification raised while one is being delivered is dropped.
    void ChangeEvent(platform::TPersistent* sender);

private:
    friend class TZanBarcodeSymbology;
    // Lets go of Symbology, the current one, without destroying it or notifying.
    void ReleaseSymbology(TZanBarcodeSymbology& symbology);
    bool IsHosted() const { return FControlAdapter != nullptr; }
    TRect CanvasPaintRect() const;
    // Gives a copy's canvas back: puts the explicit canvas and the stored bounds that the
    // copy replaced back in place, then lets the symbology measure again and notifies.
    void EndCopy(platform::TCanvas* canvas, const TRect& bounds);

    TAlignment FAlignment = platform::taLeftJustify;
    TRect FBounds;
    platform::TCanvas* FCanvas = nullptr;
    std::string FCaption;
    bool FChanging = false;
    std::array<TColor, BackColorIndex + 1> FColors{};
    std::unique_ptr<platform::TFont> FFont;
    std::unique_ptr<TZanBarcodeMargins> FMargins;
    TZanBarcodeOrientation FOrientation = boNormal;
    std::unique_ptr<TZanBarcodeSymbology> FSymbology;
    int FUpdateCount = 0;
    TZanBarcodeUpdateStatus FUpdateStatus;
    std::shared_ptr<IBarcodeControlAdapter> FControlAdapter;
    platform::TNotifyEvent FOnVisualChange;
};

// The canvas that Renderer paints on. Painting without one (no renderer, or one with
// neither an explicit canvas nor a host) raises EInvalidCanvas "Invalid Canvas": this is
// the one check that renderer and symbologies paint through.
platform::TCanvas& PaintCanvasOf(const TZanBarcodeRenderer* renderer);

}  // namespace zan
