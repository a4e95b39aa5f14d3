// A vector picture that records drawing calls, replays them onto any canvas and saves as SVG.
#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <zanbarcode/platform/Graphics.h>

namespace zan::platform {

struct TFillRectRecord {
    TRect Rect;
    TColor Color = clBlack;
    friend bool operator==(const TFillRectRecord&, const TFillRectRecord&) = default;
};

struct TTextRecord {
    TRect Clip;
    TPoint Reference;
    std::uint32_t TextAlign = 0;
    TLogFont Font;  // height in pixels of the metafile's resolution
    TColor Color = clBlack;
    bool Opaque = false;  // Clip filled with Background before the text
    TColor Background = clWhite;
    std::string Text;  // 8-bit Windows-1252
};

using TMetafileRecord = std::variant<TFillRectRecord, TTextRecord>;

class TMetafile : public TPersistent {
public:
    std::string ClassName() const override { return "TMetafile"; }
    // Copies size, resolution and records of another metafile.
    void Assign(TPersistent& source) override;

    int GetWidth() const { return FWidth; }
    void SetWidth(int value) { FWidth = value; }
    int GetHeight() const { return FHeight; }
    void SetHeight(int value) { FHeight = value; }
    // Taken from the reference device when a metafile canvas is made.
    int GetPixelsPerInch() const { return FPixelsPerInch; }

    const std::vector<TMetafileRecord>& Records() const { return FRecords; }
    void Clear() { FRecords.clear(); }

    // Draws every record onto Canvas, in pixels of the metafile (no scaling).
    void Play(TCanvas& canvas) const;

    // The engine that measured the text records; null before the first recording.
    const std::shared_ptr<TFontEngine>& GetFontEngine() const { return FFontEngine; }

    // SVG of Width by Height pixels: one <rect> per filled rectangle with x, y, width,
    // height and fill="#RRGGBB", one <text> per text call with font-family, font-size,
    // text-anchor and a rotate transform for turned text.
    std::string ToSvg() const;
    // Saves by the file's extension, letter case ignored: ".svg" (ToSvg), ".pdf" or
    // ".eps" (a print page of the picture's physical size, see PrintSurface.h), replacing
    // the file in one step (ReplaceFile); raises EInOutError and then leaves the files as
    // they were.
    void SaveToFile(const std::string& fileName) const;

private:
    friend class TMetafileCanvas;

    int FWidth = 0;
    int FHeight = 0;
    int FPixelsPerInch = 96;
    std::vector<TMetafileRecord> FRecords;
    std::shared_ptr<TFontEngine> FFontEngine;  // measured the text records; places text in SVG
};

// The em height in pixels that Engine draws Font at, by which vector output sizes its
// text: the height itself when it is negative; for a positive height (the cell) and the
// default 0, the em scaled from the cell that Engine reports for an em of that size.
std::int64_t FontEmHeight(TFontEngine& engine, const TLogFont& font);

// Records into a metafile. Resolution and text metrics come from the reference canvas
// (a 96 pixels-per-inch device with the FreeType engine when there is none). The
// records replace the metafile's when the metafile canvas is destroyed.
class TMetafileCanvas : public TCanvas {
public:
    TMetafileCanvas(TMetafile& metafile, TCanvas* reference);
    ~TMetafileCanvas() override;

protected:
    void DoFillRect(const TRect& rect, TColor color) override;
    void DoTextRect(const TRect& rect, TPoint reference, const std::string& text, bool opaque) override;

private:
    TMetafile& FMetafile;
    std::vector<TMetafileRecord> FRecords;
};

}  // namespace zan::platform
