// A raster image of 32 bits a pixel with its own canvas, saved as PNG or BMP.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/Clipboard.h>
#include <zanbarcode/platform/Graphics.h>

namespace zan::platform {

// The largest bitmap: 2^28 pixels, a gigabyte of pixels. No side may be longer either,
// even that of a bitmap whose other side is 0 and that holds no pixels at all.
inline constexpr std::int64_t MaxBitmapPixels = std::int64_t{1} << 28;
// The largest PNG picture LoadFromPngFile reads: 2^26 pixels (8192 x 8192). A file is
// refused by the size its header claims, before anything is allocated for its pixels,
// so that a small file cannot ask for a gigabyte.
inline constexpr std::int64_t MaxPngPixels = std::int64_t{1} << 26;

class TBitmap;

// Draws into a TBitmap. Rectangle fills are exact and never anti-aliased; text is
// anti-aliased against the pixels beneath it.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap);

protected:
    void DoFillRect(const TRect& rect, TColor color) override;
    void DoTextRect(const TRect& rect, TPoint reference, const std::string& text, bool opaque) override;

private:
    friend class TBitmap;
    // Takes up the bitmap's new resolution.
    void UpdateResolution();

    TBitmap& FBitmap;
};

class TBitmap : public TPersistent {
public:
    TBitmap();
    ~TBitmap() override;
    std::string ClassName() const override { return "TBitmap"; }
    // Copies size, resolution and pixels of another bitmap.
    void Assign(TPersistent& source) override;

    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    // Resizing keeps the pixels that stay inside; new pixels are white. Negative sizes
    // count as 0; a size beyond MaxBitmapPixels raises EConvertError and changes nothing.
    void SetWidth(int value) { SetSize(value, FHeight); }
    void SetHeight(int value) { SetSize(FWidth, value); }
    void SetSize(int width, int height);

    // Resolution of the image and of its canvas (default 96); written into PNG and BMP files.
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int value);

    // The canvas, made on first use. Changing the resolution updates it in place, so
    // references to it stay valid.
    TCanvas& GetCanvas();

    // The colour at (X, Y); clBlack outside the image.
    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Saves by the file's extension: ".png" or ".bmp" (letter case ignored), replacing the
    // file in one step (ReplaceFile); raises EInOutError for another extension or a file
    // that cannot be written, and then leaves the files as they were.
    void SaveToFile(const std::string& fileName) const;
    void SaveToPngFile(const std::string& fileName) const;
    void SaveToBmpFile(const std::string& fileName) const;
    // Reads a PNG back (any bit depth and colour type); raises EInOutError for a file that
    // cannot be read, is damaged or cut short, or claims more than MaxPngPixels, and then
    // leaves the bitmap as it was.
    void LoadFromPngFile(const std::string& fileName);
    // The image as a BMP file in memory (32 bits a pixel, top-down rows).
    std::vector<std::uint8_t> SaveToBmpData() const;
    // The image as a PNG file in memory, with its resolution, in the smallest form that
    // holds every pixel exactly: a palette of 1, 2, 4 or 8 bits a pixel for up to 256
    // colours (grey levels without a palette where a grey PNG of as few bits holds them),
    // else 8-bit RGB. Raises EInOutError for an empty bitmap, which PNG cannot hold.
    std::vector<std::uint8_t> SaveToPngData() const;

    // Clipboard data of the image: Format becomes cfBitmap, Data the BMP bytes, and
    // Palette 0 (a 32-bit image has none).
    void SaveToClipboardFormat(TClipboardFormat& format, TClipboardData& data, std::uint32_t& palette) const;

private:
    friend class TBitmapCanvas;

    int FWidth = 0;
    int FHeight = 0;
    int FPixelsPerInch = 96;
    std::vector<TColor> FPixels;  // row by row, 0x00BBGGRR
    std::unique_ptr<TBitmapCanvas> FCanvas;
};

}  // namespace zan::platform
