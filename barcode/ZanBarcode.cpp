#include <zanbarcode/barcode/ZanBarcode.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include <zanbarcode/platform/FontEngine.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/platform/PrintSurface.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "barcode/ZanBarcodeLayout.h"

namespace zan {

namespace {

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    return std::ranges::equal(a, b, {}, lower, lower);
}

// Sets the published property Name of Symbology (letter case ignored) from its text.
void MakeSetting(TZanBarcodeSymbology& symbology, const std::string& name, const std::string& value) {
    const platform::TPropInfo* property = symbology.FindProperty(name);
    if (!property) throw EZanBarcodeError("%s has no property %s", {symbology.GetSymbologyName(), name});
    try {
        property->SetValue(symbology, value);
    } catch (const platform::Exception& e) {
        // The property's own refusal: a value it cannot read or will not take, or no setter.
        throw platform::EConvertError("%s=%s: %s", {property->Name, value, e.Message()});
    }
    // Some setters pass over a value they cannot take (Codabar's start and stop
    // characters keep to A to D); a text or a name that does not read back, letter case
    // aside, was not taken.
    const bool textValue =
        property->Kind == platform::TTypeKind::tkString || property->Kind == platform::TTypeKind::tkEnumeration;
    if (textValue && !SameTextIgnoringCase(property->GetValue(symbology), value))
        throw platform::EConvertError("%s=%s: '%s' is not a valid value", {property->Name, value, value});
}

// A renderer with the picture's symbology, its settings made in order.
std::unique_ptr<TZanBarcodeRenderer> SymbologyRenderer(const TZanBarcodePicture& picture) {
    // Registered before the renderer is made, which takes its first symbology from the registry.
    RegisterBarcodeSymbologies();
    auto renderer = std::make_unique<TZanBarcodeRenderer>();
    renderer->SetSymbologyName(picture.Symbology);
    for (const auto& [name, value] : picture.Settings) MakeSetting(*renderer->GetSymbology(), name, value);
    return renderer;
}

void CheckAppearance(const TZanBarcodePicture& picture) {
    if (picture.Orientation > bo270Degrees)
        throw EZanBarcodeError("Invalid orientation: %d", {std::int64_t{picture.Orientation}});
    if (picture.Alignment > platform::taCenter)
        throw EZanBarcodeError("Invalid alignment: %d", {std::int64_t{picture.Alignment}});
    if (picture.BarLength && (*picture.BarLength < 1 || *picture.BarLength > MaxPictureSide))
        throw EZanBarcodeError("Invalid bar length: %d pixels (1 to %d)",
                               {std::int64_t{*picture.BarLength}, std::int64_t{MaxPictureSide}});
    if (const std::optional<TZanPictureMargins>& m = picture.Margins) {
        const auto [low, high] = std::minmax({m->Left, m->Top, m->Right, m->Bottom});
        if (low < 0 || high > MaxPictureSide)
            throw EZanBarcodeError("Invalid margins: %d, %d, %d, %d pixels (0 to %d each)",
                                   {std::int64_t{m->Left}, std::int64_t{m->Top}, std::int64_t{m->Right},
                                    std::int64_t{m->Bottom}, std::int64_t{MaxPictureSide}});
    }
    if (picture.FontSize < 1 || picture.FontSize > MaxPictureFontSize)
        throw EZanBarcodeError("Invalid font size: %d points (1 to %d)",
                               {std::int64_t{picture.FontSize}, std::int64_t{MaxPictureFontSize}});
}

// Gives the renderer the picture's look and caption. A caption that the symbology rejects
// raises EInvalidText here (the renderer alone would quietly draw the default caption
// instead); one that the symbology corrects is drawn as corrected.
void DressRenderer(TZanBarcodeRenderer& renderer, const TZanBarcodePicture& picture) {
    CheckAppearance(picture);
    renderer.SetOrientation(picture.Orientation);
    renderer.SetAlignment(picture.Alignment);
    renderer.SetBarColor(picture.BarColor);
    renderer.SetSpaceColor(picture.SpaceColor);
    renderer.SetBackColor(picture.BackColor);
    platform::TFont font;
    font.Assign(renderer.GetFont());
    font.SetName(picture.FontName);
    font.SetSize(picture.FontSize);
    renderer.SetFont(font);

    TZanBarcodeSymbology& symbology = *renderer.GetSymbology();
    std::string caption = picture.Caption.value_or(symbology.GetDefaultCaption());
    symbology.ValidateText(caption);
    renderer.SetCaption(caption);
}

// Gives Bitmap the picture's resolution, at which bars and text are measured.
void SetResolution(platform::TBitmap& bitmap, int dpi) {
    if (dpi < 1 || dpi > MaxPictureDpi)
        throw EZanBarcodeError("Invalid resolution: %d pixels per inch (1 to %d)",
                               {std::int64_t{dpi}, std::int64_t{MaxPictureDpi}});
    bitmap.SetPixelsPerInch(dpi);
}

// One picture on its way out: a renderer with everything the picture asks for, laid out
// for Format on the canvas it measures on. Every check has passed once it exists.
class TPictureDrawing {
public:
    TPictureDrawing(const TZanBarcodePicture& picture, platform::TCanvas& canvas, TZanPictureFormat format)
        : FRenderer(SymbologyRenderer(picture)) {
        DressRenderer(*FRenderer, picture);
        FRenderer->SetCanvas(&canvas);
        FLayout =
            LayOutRenderer(*FRenderer, {.Format = format, .BarLength = picture.BarLength, .Margins = picture.Margins});
    }

    TZanBarcodeRenderer& Renderer() const { return *FRenderer; }
    const TZanLayout& Layout() const { return FLayout; }

private:
    std::unique_ptr<TZanBarcodeRenderer> FRenderer;
    TZanLayout FLayout;
};

// What the drawing comes out as.
TZanPictureLayout PictureLayout(const TPictureDrawing& drawing) {
    const TZanLayout& layout = drawing.Layout();
    return {.SymbologyName = drawing.Renderer().GetSymbologyName(),
            .Caption = drawing.Renderer().GetCaption(),
            .Margins = layout.Margins,
            .Width = layout.ImageWidth,
            .Height = layout.ImageHeight,
            .OwnBarLength = drawing.Renderer().GetSymbology()->GetCodeHeight() != 0};
}

// GetLayout measured on Bitmap's canvas.
TZanPictureLayout LayoutOn(const TZanBarcodePicture& picture, platform::TBitmap& bitmap) {
    SetResolution(bitmap, picture.Dpi);
    return PictureLayout(TPictureDrawing(picture, bitmap.GetCanvas(), TZanPictureFormat::Png));
}

}  // namespace

std::optional<TZanPictureFormat> PictureFormatOfFile(const std::string& fileName) {
    std::string extension = std::filesystem::path(fileName).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png") return TZanPictureFormat::Png;
    if (extension == ".bmp") return TZanPictureFormat::Bmp;
    if (extension == ".svg") return TZanPictureFormat::Svg;
    if (extension == ".pdf") return TZanPictureFormat::Pdf;
    if (extension == ".eps") return TZanPictureFormat::Eps;
    return std::nullopt;
}

TZanSettings TZanBarcodePicture::GetSymbologySettings() const {
    const std::unique_ptr<TZanBarcodeRenderer> renderer = SymbologyRenderer(*this);
    const TZanBarcodeSymbology& symbology = *renderer->GetSymbology();
    TZanSettings settings;
    for (const platform::TPropInfo& property : symbology.PublishedProperties())
        settings.emplace_back(property.Name, property.GetValue(symbology));
    return settings;
}

TZanPictureLayout TZanBarcodePicture::GetLayout() const {
    platform::TBitmap bitmap;
    return LayoutOn(*this, bitmap);
}

void TZanBarcodePicture::CopyToBitmap(platform::TBitmap& bitmap) const {
    // Measured on a bitmap of its own that measures text as Bitmap does, so that Bitmap
    // stays as it was until every check has passed.
    platform::TBitmap measure;
    SetResolution(measure, Dpi);
    measure.GetCanvas().SetFontEngine(bitmap.GetCanvas().GetFontEngine());
    const TPictureDrawing drawing(*this, measure.GetCanvas(), TZanPictureFormat::Png);
    CheckPictureSize(drawing.Layout());
    bitmap.SetPixelsPerInch(Dpi);
    drawing.Renderer().CopyToBitmap(bitmap);
}

namespace {

// SaveToFile drawn in Bitmap, whose canvas measures the text.
TZanPictureLayout SavePicture(const TZanBarcodePicture& picture, const std::string& fileName, platform::TBitmap& bitmap,
                              TZanFileSync sync) {
    platform::CheckFileName(fileName, "write");  // before the drawing, which may take long for nothing
    const std::optional<TZanPictureFormat> format = PictureFormatOfFile(fileName);
    if (!format)
        throw platform::EInOutError(
            "Cannot tell the format of '%s': the name must end in .png, .bmp, .svg, .pdf or .eps", {fileName});
    // The renderer measures bars on a canvas of the picture's resolution, the bitmap's; the
    // metafile takes it as its reference device.
    SetResolution(bitmap, picture.Dpi);
    const TPictureDrawing drawing(picture, bitmap.GetCanvas(), *format);
    CheckPictureSize(drawing.Layout());

    // Drawn and encoded before any file is made: an interrupted drawing leaves nothing behind.
    switch (*format) {
        case TZanPictureFormat::Svg:
        case TZanPictureFormat::Pdf:
        case TZanPictureFormat::Eps: {
            platform::TMetafile metafile;
            drawing.Renderer().CopyToMetafile(metafile);
            const std::string document = *format == TZanPictureFormat::Svg ? metafile.ToSvg()
                                         : *format == TZanPictureFormat::Pdf
                                             ? platform::PrintMetafile(metafile, platform::pfPdf)
                                             : platform::PrintMetafile(metafile, platform::pfEps);
            platform::ReplaceFile(fileName, std::as_bytes(std::span(document)), sync);
            break;
        }
        case TZanPictureFormat::Bmp: {
            drawing.Renderer().CopyToBitmap(bitmap);
            const std::vector<std::uint8_t> bmp = bitmap.SaveToBmpData();
            platform::ReplaceFile(fileName, std::as_bytes(std::span(bmp)), sync);
            break;
        }
        case TZanPictureFormat::Png: {
            drawing.Renderer().CopyToBitmap(bitmap);
            const std::vector<std::uint8_t> png = bitmap.SaveToPngData();
            platform::ReplaceFile(fileName, std::as_bytes(std::span(png)), sync);
            break;
        }
    }
    return PictureLayout(drawing);
}

}  // namespace

void TZanBarcodePicture::SaveToFile(const std::string& fileName) const {
    platform::TBitmap bitmap;
    SavePicture(*this, fileName, bitmap, TZanFileSync::EachFile);
}

TRect TZanBarcodePicture::Paint(platform::TCanvas& canvas, TPoint topLeft) const {
    const TPictureDrawing drawing(*this, canvas, TZanPictureFormat::Png);
    const TZanLayout& layout = drawing.Layout();
    CheckPictureSize(layout);
    TZanBarcodeRenderer& renderer = drawing.Renderer();
    renderer.SetBounds(topLeft.X, topLeft.Y, layout.ImageWidth, layout.ImageHeight);
    renderer.Paint();
    return renderer.GetBoundsRect();
}

// A font engine of the writer's own, so that writers on several threads do not wait for
// the shared engine's lock.
TZanPictureWriter::TZanPictureWriter(TZanFileSync sync) : FSync(sync) {
    FBitmap.GetCanvas().SetFontEngine(std::make_shared<platform::TFreeTypeFontEngine>());
}

TZanPictureLayout TZanPictureWriter::GetLayout(const TZanBarcodePicture& picture) { return LayoutOn(picture, FBitmap); }

TZanPictureLayout TZanPictureWriter::SaveToFile(const TZanBarcodePicture& picture, const std::string& fileName) {
    return SavePicture(picture, fileName, FBitmap, FSync);
}

const platform::TBitmap& TZanPictureWriter::Draw(const TZanBarcodePicture& picture) {
    picture.CopyToBitmap(FBitmap);
    return FBitmap;
}

}  // namespace zan
