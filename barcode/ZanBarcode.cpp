#include <zanbarcode/barcode/ZanBarcode.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include <zanbarcode/platform/FontEngine.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/platform/PrintSurface.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "barcode/ZanBarcodeLayout.h"

namespace zan {

namespace {

// "Cannot write the file '<target>': <the system's reason>", from errno.
platform::EInOutError WriteError(const std::string& target) {
    return platform::EInOutError("Cannot write the file '%s': %s", {target, std::string(std::strerror(errno))});
}

// As many tries at a temporary name as mkstemp makes before it gives up.
constexpr int TemporaryNameAttempts = 100;

// The temporary file beside Target: ".<name>-" and six random letters and digits, the
// target's name shortened so that the temporary name stays within NAME_MAX whatever the
// target's length (a target name of NAME_MAX bytes is valid and must be writable).
class TTemporaryName {
public:
    explicit TTemporaryName(const std::string& target) {
        const std::filesystem::path path(target);
        const std::string name = path.filename().string().substr(0, NAME_MAX - 1 - 1 - RandomLength);
        FName = (path.parent_path() / ("." + name + "-" + std::string(RandomLength, '0'))).string();
    }

    // Draws new random letters; the name, until the next call.
    const std::string& Next() {
        static constexpr std::string_view Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        // One generator a thread, seeded once: workers draw names side by side without a lock.
        thread_local std::minstd_rand generator(std::random_device{}());
        std::uniform_int_distribution<std::size_t> letter(0, Letters.size() - 1);
        for (std::size_t i = FName.size() - RandomLength; i < FName.size(); ++i) FName[i] = Letters[letter(generator)];
        return FName;
    }

private:
    static constexpr std::size_t RandomLength = 6;
    std::string FName;
};

// Creates a new file under a fresh temporary name beside Target, with the permissions
// that any new file gets (0666 less the umask, or the folder's default ACL), so that the
// file needs no change of mode before it takes the target's name. Sets Name to it.
int CreateTemporaryFile(const std::string& target, std::string& name) {
    TTemporaryName temporary(target);
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        name = temporary.Next();
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The name under which the system shows an open file to its process.
std::string OpenFileName(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A new file without a name in Target's folder (O_TMPFILE), with the permissions of any
// new file: it takes its name in one step, and a failure leaves nothing to remove. -1
// where the file system has no such files, or the process cannot name them through /proc.
int CreateUnnamedFile(const std::string& target) {
    if (access("/proc/self/fd", X_OK) != 0) return -1;
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

// A file beside a target, put in its place by ReplaceTarget and removed otherwise, so
// that nobody ever sees a half-written target. Every failure raises EInOutError naming
// the target and the system's reason.
class TReplacementFile {
public:
    explicit TReplacementFile(const std::string& target)
        : FTarget(platform::CheckFileName(target, "write")), FFd(CreateUnnamedFile(target)) {
        if (FFd < 0) FFd = CreateTemporaryFile(target, FName);
        if (FFd < 0) throw WriteError(FTarget);
    }
    ~TReplacementFile() {
        if (FFd >= 0) close(FFd);
        if (!FReplaced && !FName.empty()) unlink(FName.c_str());
    }
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    void Write(std::span<const std::byte> bytes) {
        while (!bytes.empty()) {
            const ssize_t written = write(FFd, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) throw WriteError(FTarget);
            bytes = bytes.subspan(static_cast<std::size_t>(written));
        }
    }

    void ReplaceTarget(TZanFileSync sync) {
        // Flushed before it takes the name, so that a crash after it finds the bytes, not an empty file.
        if (sync == TZanFileSync::EachFile && fsync(FFd) != 0) throw WriteError(FTarget);
        if (FName.empty()) {
            // A new target: the unnamed file takes its name in one step.
            if (Link(FTarget)) {
                Close();
                FReplaced = true;
                return;
            }
            // A target that exists is replaced by a rename, as a named file would be.
            NameTemporarily();
        }
        Close();
        if (std::rename(FName.c_str(), FTarget.c_str()) != 0) throw WriteError(FTarget);
        FReplaced = true;
    }

private:
    // Gives the unnamed file Name; false when a file of that name exists.
    bool Link(const std::string& name) const {
        if (linkat(AT_FDCWD, OpenFileName(FFd).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno != EEXIST) throw WriteError(FTarget);
        return false;
    }

    void NameTemporarily() {
        TTemporaryName temporary(FTarget);
        for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
            const std::string& name = temporary.Next();
            if (Link(name)) {
                FName = name;
                return;
            }
        }
        errno = EEXIST;
        throw WriteError(FTarget);
    }

    void Close() {
        if (close(std::exchange(FFd, -1)) != 0) throw WriteError(FTarget);
    }

    std::string FTarget;
    std::string FName;  // a named file's, set before FFd is made; empty for an unnamed file
    int FFd;
    bool FReplaced = false;
};

void WriteFileInPlace(const std::string& target, std::span<const std::byte> bytes, TZanFileSync sync) {
    TReplacementFile file(target);
    file.Write(bytes);
    file.ReplaceTarget(sync);
}

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
            WriteFileInPlace(fileName, std::as_bytes(std::span(document)), sync);
            break;
        }
        case TZanPictureFormat::Bmp: {
            drawing.Renderer().CopyToBitmap(bitmap);
            const std::vector<std::uint8_t> bmp = bitmap.SaveToBmpData();
            WriteFileInPlace(fileName, std::as_bytes(std::span(bmp)), sync);
            break;
        }
        case TZanPictureFormat::Png: {
            drawing.Renderer().CopyToBitmap(bitmap);
            const std::vector<std::uint8_t> png = bitmap.SaveToPngData();
            WriteFileInPlace(fileName, std::as_bytes(std::span(png)), sync);
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

void SyncFileSystem(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw WriteError(path);
    // Closed after the error is read, so that errno still tells why syncing failed.
    const struct TCloser {
        int Fd;
        ~TCloser() { close(Fd); }
    } closer{fd};
    if (syncfs(fd) != 0) throw WriteError(path);
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
