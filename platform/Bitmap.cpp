#include <zanbarcode/platform/Bitmap.h>

#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>

#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/FileReplacement.h>
#include "platform/PngEncoder.h"

namespace zan::platform {

namespace {

constexpr int MaxPixelsPerInch = 1000000;

// Pixels per metre, as PNG's pHYs chunk and BMP's header store the resolution.
std::uint32_t PixelsPerMetre(int pixelsPerInch) {
    return static_cast<std::uint32_t>((std::int64_t{pixelsPerInch} * 10000 + 127) / 254);
}

int PixelsPerInchOf(std::uint32_t pixelsPerMetre) {
    return static_cast<int>((std::int64_t{pixelsPerMetre} * 254 + 5000) / 10000);
}

// ---------------------------------------------------------------------------------------
// Files

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

TFile OpenFileToRead(const std::string& fileName) {
    TFile file(std::fopen(CheckFileName(fileName, "read").c_str(), "rb"));
    if (!file) throw EInOutError("Cannot open file \"%s\": %s", {fileName, std::string(std::strerror(errno))});
    return file;
}

// ---------------------------------------------------------------------------------------
// PNG reading through libpng. libpng reports errors by a longjmp back to the setjmp of the
// function that drives it, so those functions keep their objects with destructors in
// their callers, and the error handler leaves the message in a caller's buffer.

// A fixed buffer rather than a string: the handler runs inside libpng, where no C++
// exception may pass.
struct TPngError {
    char Message[256] = "";
};

[[noreturn]] void PngError(png_structp png, png_const_charp message) {
    TPngError& error = *static_cast<TPngError*>(png_get_error_ptr(png));
    std::snprintf(error.Message, sizeof error.Message, "%s", message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// libpng's read structures, destroyed however reading ends: after an error's longjmp,
// or when allocating the pixels throws.
class TPngReadStruct {
public:
    explicit TPngReadStruct(TPngError& error)
        : FPng(png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, PngError, PngWarning)),
          FInfo(FPng ? png_create_info_struct(FPng) : nullptr) {}
    ~TPngReadStruct() { png_destroy_read_struct(&FPng, &FInfo, nullptr); }
    TPngReadStruct(const TPngReadStruct&) = delete;
    TPngReadStruct& operator=(const TPngReadStruct&) = delete;

    bool IsValid() const { return FPng && FInfo; }
    png_structp Png() const { return FPng; }
    png_infop Info() const { return FInfo; }

private:
    png_structp FPng;
    png_infop FInfo;
};

struct TPngImage {
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    // Bytes of pixel data the header claims, before filtering and compression.
    std::uint64_t PixelBytes = 0;
    int PixelsPerInch = 96;  // when the file does not say
    std::vector<TColor> Pixels;
};

constexpr std::uint64_t DeflateMaxRatio = 1032;

std::uint64_t FileSize(std::FILE* file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 && status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
}

// Reads like libpng's own reader, but tells a file cut short from a failing device.
void ReadPngData(png_structp png, png_bytep data, std::size_t length) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, file) != length)
        png_error(png, std::feof(file) ? "the file ends before the picture does" : "read error");
}

// Reads the chunks before the image data: size and resolution.
bool ReadPngHeader(const TPngReadStruct& reader, std::FILE* file, TPngImage& image) {
    if (!reader.IsValid()) return false;
    png_structp png = reader.Png();
    png_infop info = reader.Info();
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, file, ReadPngData);
    // The caller's limit on the pixel count, whose message names the size, stands in for
    // libpng's limit of a million on each side.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    // A text or profile chunk may declare up to 2 GB, and libpng allocates what it
    // declares before reading a byte of it. Nothing here uses them: every ancillary
    // chunk but transparency and resolution is skipped unread, which takes no memory.
    static constexpr png_byte keptChunks[] = "tRNS\0pHYs";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, keptChunks, 2);
    png_read_info(png, info);
    image.Width = png_get_image_width(png, info);
    image.Height = png_get_image_height(png, info);
    image.PixelBytes =
        std::uint64_t{image.Width} * image.Height * png_get_bit_depth(png, info) * png_get_channels(png, info) / 8;
    png_uint_32 resolutionX = 0;
    png_uint_32 resolutionY = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &resolutionX, &resolutionY, &unit) && unit == PNG_RESOLUTION_METER && resolutionY > 0 &&
        PixelsPerInchOf(resolutionY) > 0 && PixelsPerInchOf(resolutionY) <= MaxPixelsPerInch)
        image.PixelsPerInch = PixelsPerInchOf(resolutionY);
    return true;
}

// A colour channel composed over white by its alpha.
std::uint8_t OverWhite(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Reads the image data of any PNG as 8-bit RGBA (palettes and small grey depths
// expanded, 16 bits cut to 8, grey turned into RGB, an opaque alpha added where the file
// has none) and composes it over white.
bool ReadPngPixels(const TPngReadStruct& reader, TPngImage& image) {
    png_structp png = reader.Png();
    png_infop info = reader.Info();
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{image.Width} * 4) png_error(png, "unexpected row layout");
    // The RGBA rows go straight into the pixels' memory, four bytes a pixel, and become
    // colours in place: no second buffer of the picture's size.
    image.Pixels.assign(std::size_t{image.Width} * image.Height, 0);
    auto* const rgba = reinterpret_cast<png_bytep>(image.Pixels.data());
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < image.Height; ++y)
            png_read_row(png, rgba + std::size_t{y} * image.Width * 4, nullptr);
    png_read_end(png, nullptr);
    for (std::size_t i = 0; i < image.Pixels.size(); ++i) {
        const png_bytep p = rgba + 4 * i;
        image.Pixels[i] = RgbColor(OverWhite(p[0], p[3]), OverWhite(p[1], p[3]), OverWhite(p[2], p[3]));
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// BMP

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

constexpr std::uint32_t BmpFileHeaderSize = 14;
constexpr std::uint32_t BmpInfoHeaderSize = 40;  // BITMAPINFOHEADER

}  // namespace

// ---------------------------------------------------------------------------------------
// TBitmapCanvas

TBitmapCanvas::TBitmapCanvas(TBitmap& bitmap)
    : TCanvas(bitmap.FPixelsPerInch, bitmap.FPixelsPerInch, FreeTypeFontEngine()), FBitmap(bitmap) {}

void TBitmapCanvas::UpdateResolution() { SetDeviceResolution(FBitmap.FPixelsPerInch, FBitmap.FPixelsPerInch); }

void TBitmapCanvas::DoFillRect(const TRect& rect, TColor color) {
    const int left = std::max(rect.Left, 0);
    const int top = std::max(rect.Top, 0);
    const int right = std::min(rect.Right, FBitmap.FWidth);
    const int bottom = std::min(rect.Bottom, FBitmap.FHeight);
    // Nothing of the rectangle inside the image, or no pixels at all: no row to visit.
    if (left >= right || top >= bottom) return;
    const std::ptrdiff_t stride = FBitmap.FWidth;
    const std::ptrdiff_t width = right - left;
    TColor* row = FBitmap.FPixels.data() + top * stride + left;
    TColor* const end = row + (bottom - top) * stride;
    // A bar is a tall rectangle of a few pixels a row, where a filling loop's set-up
    // would cost more than its stores: two pixels a store instead.
    constexpr std::ptrdiff_t NarrowWidth = 16;
    if (width > NarrowWidth) {
        for (; row != end; row += stride) std::fill(row, row + width, color);
        return;
    }
    const std::uint64_t pair = (std::uint64_t{color} << 32) | color;
    for (; row != end; row += stride) {
        std::ptrdiff_t x = 0;
        for (; x + 2 <= width; x += 2) std::memcpy(row + x, &pair, sizeof pair);
        if (x < width) row[x] = color;
    }
}

void TBitmapCanvas::DoTextRect(const TRect& rect, TPoint reference, const std::string& text, bool opaque) {
    const TRect clip = {std::max(std::min(rect.Left, rect.Right), 0), std::max(std::min(rect.Top, rect.Bottom), 0),
                        std::min(std::max(rect.Left, rect.Right), FBitmap.FWidth),
                        std::min(std::max(rect.Top, rect.Bottom), FBitmap.FHeight)};
    if (clip.Right <= clip.Left || clip.Bottom <= clip.Top) return;
    if (opaque) DoFillRect(clip, ColorToRGB(GetBrush().GetColor()));
    const TColor ink = ColorToRGB(GetFont().GetColor());
    TColor* const pixels = FBitmap.FPixels.data();
    const std::ptrdiff_t stride = FBitmap.FWidth;
    RasterizeText(*GetFontEngine(), CurrentLogFont(), GetTextAlign(), clip, reference, text, [&](const TTextRun& run) {
        ForEachTextPixel(run, [&](int x, int y, std::uint8_t coverage) {
            TColor& pixel = pixels[y * stride + x];
            pixel = BlendColor(pixel, ink, coverage);
        });
    });
}

// ---------------------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() = default;

void TBitmap::Assign(TPersistent& source) {
    auto* bitmap = dynamic_cast<TBitmap*>(&source);
    if (!bitmap) {
        TPersistent::Assign(source);
        return;
    }
    if (bitmap == this) return;
    FWidth = bitmap->FWidth;
    FHeight = bitmap->FHeight;
    FPixels = bitmap->FPixels;
    SetPixelsPerInch(bitmap->FPixelsPerInch);
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width > MaxBitmapPixels || height > MaxBitmapPixels || std::int64_t{width} * height > MaxBitmapPixels)
        throw EConvertError("Bitmap of %d x %d pixels is too large", {std::int64_t{width}, std::int64_t{height}});
    if (width == FWidth && height == FHeight) return;
    std::vector<TColor> pixels(static_cast<std::size_t>(width) * height, clWhite);
    const int keepWidth = std::min(width, FWidth);
    const int keepHeight = keepWidth > 0 ? std::min(height, FHeight) : 0;
    for (int y = 0; y < keepHeight; ++y) {
        const auto from = FPixels.begin() + static_cast<std::ptrdiff_t>(y) * FWidth;
        std::copy(from, from + keepWidth, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    FPixels = std::move(pixels);
    FWidth = width;
    FHeight = height;
}

void TBitmap::SetPixelsPerInch(int value) {
    if (value < 1 || value > MaxPixelsPerInch)
        throw EConvertError("Invalid resolution: %d pixels per inch", {std::int64_t{value}});
    if (value == FPixelsPerInch) return;
    FPixelsPerInch = value;
    if (FCanvas) FCanvas->UpdateResolution();
}

TCanvas& TBitmap::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(*this);
    return *FCanvas;
}

TColor TBitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return clBlack;
    return FPixels[static_cast<std::size_t>(y) * FWidth + x];
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    FPixels[static_cast<std::size_t>(y) * FWidth + x] = ColorToRGB(color);
}

void TBitmap::SaveToFile(const std::string& fileName) const {
    const std::size_t dot = fileName.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png")
        SaveToPngFile(fileName);
    else if (extension == ".bmp")
        SaveToBmpFile(fileName);
    else
        throw EInOutError("Cannot save \"%s\": unknown picture file extension; use .png or .bmp", {fileName});
}

void TBitmap::SaveToPngFile(const std::string& fileName) const {
    // PNG has no empty images: a zero width or height is an invalid IHDR chunk.
    if (FWidth == 0 || FHeight == 0)
        throw EInOutError("Cannot save \"%s\": a PNG file cannot hold an empty bitmap", {fileName});
    const std::vector<std::uint8_t> data = SaveToPngData();
    ReplaceFile(fileName, std::as_bytes(std::span(data)), TFileSync::EachFile);
}

std::vector<std::uint8_t> TBitmap::SaveToPngData() const {
    if (FWidth == 0 || FHeight == 0) throw EInOutError("Cannot encode a PNG picture of an empty bitmap");
    return EncodePng(FPixels.data(), static_cast<std::uint32_t>(FWidth), static_cast<std::uint32_t>(FHeight),
                     PixelsPerMetre(FPixelsPerInch));
}

void TBitmap::SaveToBmpFile(const std::string& fileName) const {
    const std::vector<std::uint8_t> data = SaveToBmpData();
    ReplaceFile(fileName, std::as_bytes(std::span(data)), TFileSync::EachFile);
}

void TBitmap::LoadFromPngFile(const std::string& fileName) {
    static_assert(MaxPngPixels <= MaxBitmapPixels);
    TPngImage image;
    {
        const TFile file = OpenFileToRead(fileName);
        TPngError error;
        const TPngReadStruct reader(error);
        const auto failure = [&fileName, &error] {
            return EInOutError("Cannot read PNG file \"%s\": %s",
                               {fileName, error.Message[0] ? error.Message : "out of memory"});
        };
        if (!ReadPngHeader(reader, file.get(), image)) throw failure();
        // Refused by the size its header claims, before the pixels take any memory.
        if (std::int64_t{image.Width} * image.Height > MaxPngPixels)
            throw EInOutError("Cannot read PNG file \"%s\": it claims %d x %d pixels, more than the %d that are read",
                              {fileName, std::int64_t{image.Width}, std::int64_t{image.Height}, MaxPngPixels});
        // Deflate packs at most 1032 bytes into one (RFC 1951: a 258-byte match in two
        // bits), so a file smaller than that share of its pixels is cut short; it is
        // refused before a row buffer or the picture is allocated for what it claims.
        if (image.PixelBytes / DeflateMaxRatio > FileSize(file.get()))
            throw EInOutError("Cannot read PNG file \"%s\": it claims %d x %d pixels, more than its %d bytes can hold",
                              {fileName, std::int64_t{image.Width}, std::int64_t{image.Height},
                               static_cast<std::int64_t>(FileSize(file.get()))});
        if (!ReadPngPixels(reader, image)) throw failure();
    }
    FWidth = static_cast<int>(image.Width);
    FHeight = static_cast<int>(image.Height);
    FPixels = std::move(image.Pixels);
    SetPixelsPerInch(image.PixelsPerInch);
}

std::vector<std::uint8_t> TBitmap::SaveToBmpData() const {
    const std::uint32_t imageSize = static_cast<std::uint32_t>(FPixels.size() * 4);
    const std::uint32_t resolution = PixelsPerMetre(FPixelsPerInch);
    std::vector<std::uint8_t> out;
    out.reserve(BmpFileHeaderSize + BmpInfoHeaderSize + imageSize);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    PutLittleEndian(out, BmpFileHeaderSize + BmpInfoHeaderSize + imageSize, 4);  // bfSize
    PutLittleEndian(out, 0, 4);                                                  // bfReserved1, 2
    PutLittleEndian(out, BmpFileHeaderSize + BmpInfoHeaderSize, 4);              // bfOffBits
    // BITMAPINFOHEADER; a negative height stores the rows top-down.
    PutLittleEndian(out, BmpInfoHeaderSize, 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(FWidth), 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(-FHeight), 4);
    PutLittleEndian(out, 1, 2);           // biPlanes
    PutLittleEndian(out, 32, 2);          // biBitCount
    PutLittleEndian(out, 0, 4);           // biCompression = BI_RGB
    PutLittleEndian(out, imageSize, 4);   // biSizeImage
    PutLittleEndian(out, resolution, 4);  // biXPelsPerMeter
    PutLittleEndian(out, resolution, 4);  // biYPelsPerMeter
    PutLittleEndian(out, 0, 4);           // biClrUsed
    PutLittleEndian(out, 0, 4);           // biClrImportant
    // Pixels as blue, green, red and an unused byte.
    for (const TColor pixel : FPixels) {
        out.push_back(BlueOf(pixel));
        out.push_back(GreenOf(pixel));
        out.push_back(RedOf(pixel));
        out.push_back(0);
    }
    return out;
}

void TBitmap::SaveToClipboardFormat(TClipboardFormat& format, TClipboardData& data, std::uint32_t& palette) const {
    format = cfBitmap;
    data = std::make_shared<const std::vector<std::uint8_t>>(SaveToBmpData());
    palette = 0;
}

}  // namespace zan::platform
