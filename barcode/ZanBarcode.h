// A barcode in a few lines: symbology, caption and size in one value, drawn into a bitmap, a file or onto a canvas.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/FileReplacement.h>
#include <zanbarcode/platform/Graphics.h>

namespace zan {

// Limits of what a picture may ask for. Larger pictures would not fit in memory.
inline constexpr int MaxPictureDpi = 10000;
inline constexpr int MaxPictureSide = 65535;  // pixels on a side
inline constexpr std::int64_t MaxPicturePixels = 100'000'000;
inline constexpr int MaxPictureFontSize = 1000;  // points

// A picture larger than MaxPictureSide on a side or MaxPicturePixels in all, or without a
// pixel on a side, named by the size it would have.
class EPictureSizeError : public EZanBarcodeError {
public:
    using EZanBarcodeError::EZanBarcodeError;
};

// Four margins in pixels on the picture's own sides, whatever the orientation.
struct TZanPictureMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TZanPictureMargins&, const TZanPictureMargins&) = default;
};

// Published properties of a symbology as NAME=VALUE pairs, values as form files write them
// ("True", "15", "CodeC").
using TZanSettings = std::vector<std::pair<std::string, std::string>>;

enum class TZanPictureFormat { Png, Bmp, Svg, Pdf, Eps };

// SVG, PDF and EPS are drawn into a metafile, PNG and BMP into a bitmap.
constexpr bool IsMetafileFormat(TZanPictureFormat format) {
    return format == TZanPictureFormat::Svg || format == TZanPictureFormat::Pdf || format == TZanPictureFormat::Eps;
}

// The format that a file name asks for by its extension, letter case ignored: ".png",
// ".bmp", ".svg", ".pdf" or ".eps"; none for any other name.
std::optional<TZanPictureFormat> PictureFormatOfFile(const std::string& fileName);

// What a picture comes out as, planned before anything is painted.
struct TZanPictureLayout {
    std::string SymbologyName;  // as registered ("Code 39" for "code 39")
    std::string Caption;        // as the symbology encodes it, which may correct it (Code 39 keeps 32 characters)
    TZanPictureMargins Margins;
    int Width = 0;  // of the whole picture, margins included, in pixels
    int Height = 0;
    bool OwnBarLength = false;  // the symbology's bars have a length of their own: BarLength does not apply
};

// One barcode picture, described by value and drawn on demand. Every output selects the
// symbology (the library's symbologies are registered on first use), makes the settings
// in their order, checks the caption and only then draws, so the fields can be given in
// any order. Failures raise and leave the target as it was:
// - ESymbologyError: a symbology name that no symbology bears;
// - EZanBarcodeError: a setting that the symbology does not have; bars of 0 pixels; a
//   field out of its range;
// - EPictureSizeError: a picture larger than MaxPictureSide on a side or MaxPicturePixels
//   in all;
// - platform::EConvertError: a setting value that the property refuses or does not take,
//   "NAME=VALUE: why";
// - EInvalidText: a caption that the symbology rejects, with the symbology's message;
// - platform::EInOutError: a file that cannot be written.
// GetLayout and SaveToFile measure text with the process's shared font engine, as does a
// bitmap's canvas unless it is given another; the engine takes a lock for each call.
// Threads that draw many pictures side by side take a TZanPictureWriter each, whose
// engine is their own.
struct TZanBarcodePicture {
    std::string Symbology = "Code 128";    // registry name, letter case ignored
    std::optional<std::string> Caption{};  // the symbology's default caption when absent
    // Pixels per inch of bitmaps and files; a module is Dpi * XDimension / 1000 pixels, rounded.
    int Dpi = 96;
    std::optional<int> BarLength{};  // in pixels; half an inch when absent
    TZanBarcodeOrientation Orientation = boNormal;
    // Absent: a quiet zone of ten modules before and after the code and 5 pixels on the
    // other two sides; for POSTNET the USPS clear zone of 1/8 inch left and right and 1/25
    // inch above and below, in whole pixels rounded up.
    std::optional<TZanPictureMargins> Margins{};
    TAlignment Alignment = platform::taCenter;  // of the human-readable text under the bars
    TColor BarColor = platform::clBlack;
    TColor SpaceColor = platform::clWhite;
    TColor BackColor = platform::clWhite;
    std::string FontName = "Courier New";  // of the human-readable line
    int FontSize = 8;                      // points
    TZanSettings Settings{};               // published properties of the symbology, made in this order

    // Every published property of the symbology with Settings made. Raises the
    // symbology's and the settings' errors only.
    TZanSettings GetSymbologySettings() const;
    // The picture that SaveToFile makes, and CopyToBitmap into a bitmap that measures
    // text with the installed fonts. Raises every error but the size limit, which only
    // the outputs check, unless the caption is too long for any picture (every character
    // takes a bar width at least).
    TZanPictureLayout GetLayout() const;

    // Sizes Bitmap to the picture, gives it the resolution Dpi and draws; Bitmap's canvas
    // measures the text.
    void CopyToBitmap(platform::TBitmap& bitmap) const;
    // Writes a PNG, BMP, SVG, PDF or EPS file, chosen by the extension (PDF and EPS: one
    // page of the picture's physical size). The file appears only once it is complete:
    // the picture is drawn and encoded in memory first, then written to a temporary file
    // beside the target and renamed into place. A failed write raises
    // platform::EInOutError naming the target and the system's reason.
    void SaveToFile(const std::string& fileName) const;
    // Draws the picture onto Canvas with its top-left corner at TopLeft, measured at the
    // canvas's own resolution (Dpi does not apply), and returns the rectangle it covers.
    // The canvas's drawing state is left as it was.
    TRect Paint(platform::TCanvas& canvas, TPoint topLeft) const;
};

// How a written file reaches the disk (EachFile, or Deferred until SyncFileSystem).
using TZanFileSync = platform::TFileSync;
using platform::SyncFileSystem;

// Writes picture after picture as TZanBarcodePicture::SaveToFile does, with one bitmap and
// one font engine of its own, so that pixel buffers, faces and glyphs carry over from one
// picture to the next. A writer belongs to one thread; writers on different threads draw
// side by side, for the library's state shared between them is read-only once the
// symbologies are registered (RegisterBarcodeSymbologies before the threads start).
class TZanPictureWriter {
public:
    explicit TZanPictureWriter(TZanFileSync sync = TZanFileSync::EachFile);
    TZanPictureWriter(const TZanPictureWriter&) = delete;
    TZanPictureWriter& operator=(const TZanPictureWriter&) = delete;

    // As Picture.GetLayout(), measured with the writer's font engine.
    TZanPictureLayout GetLayout(const TZanBarcodePicture& picture);
    // As Picture.SaveToFile(FileName): the same bytes, the same errors. Returns the layout
    // of what it wrote.
    TZanPictureLayout SaveToFile(const TZanBarcodePicture& picture, const std::string& fileName);
    // As Picture.CopyToBitmap into the writer's bitmap, which holds the picture until the
    // next call.
    const platform::TBitmap& Draw(const TZanBarcodePicture& picture);

private:
    TZanFileSync FSync;
    platform::TBitmap FBitmap;
};

}  // namespace zan
