#include <zanbarcode/platform/Metafile.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <numbers>
#include <span>

#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/FileReplacement.h>
#include <zanbarcode/platform/PrintSurface.h>

namespace zan::platform {

namespace {

// Replays one record through the public calls of a canvas.
struct TRecordPlayer {
    TCanvas& Canvas;

    void operator()(const TFillRectRecord& record) const {
        Canvas.GetBrush().SetStyle(bsSolid);
        Canvas.GetBrush().SetColor(record.Color);
        Canvas.FillRect(record.Rect);
    }

    void operator()(const TTextRecord& record) const {
        // The colour first: installing a handle keeps it, while changing an attribute
        // after the handle would drop the handle and with it the escapement.
        Canvas.GetFont().SetColor(record.Color);
        Canvas.GetFont().SetHandle(CreateFontIndirect(record.Font));
        Canvas.GetBrush().SetStyle(record.Opaque ? bsSolid : bsClear);
        Canvas.GetBrush().SetColor(record.Background);
        Canvas.SetTextAlign(record.TextAlign);
        Canvas.TextRect(record.Clip, record.Reference.X, record.Reference.Y, record.Text);
    }
};

// Appends the colour as "#RRGGBB".
void AppendHexColor(std::string& out, TColor color) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    out += '#';
    for (const std::uint8_t channel : {RedOf(color), GreenOf(color), BlueOf(color)}) {
        out += Digits[channel >> 4];
        out += Digits[channel & 15];
    }
}

void AppendNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    out.append(digits, end);
}

// Escapes Text for XML character data and attribute values. Bytes that XML 1.0 does not
// allow in a document are dropped; tab, line feed and carriage return become character
// references so that every element stays on one line.
std::string XmlText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&apos;"; break;
            case '\t': escaped += "&#9;"; break;
            case '\n': escaped += "&#10;"; break;
            case '\r': escaped += "&#13;"; break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20) escaped += c;
                break;
        }
    }
    return Cp1252ToUtf8(escaped);
}

// A family name as a quoted CSS string, ready for an XML attribute.
std::string CssFamily(const std::string& name) {
    std::string quoted = "'";
    for (const char c : name) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return XmlText(quoted + "'");
}

// Tenths of a degree as degrees, e.g. 900 -> "90", -15 -> "-1.5".
std::string TenthsToDegrees(std::int64_t tenths) {
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    std::string text = tenths < 0 ? "-" : "";
    text += std::to_string(magnitude / 10);
    if (magnitude % 10 != 0) {
        text += '.';
        text += std::to_string(magnitude % 10);
    }
    return text;
}

void AppendRectAttributes(std::string& out, const TRect& rect) {
    out += "x=\"";
    AppendNumber(out, rect.Left);
    out += "\" y=\"";
    AppendNumber(out, rect.Top);
    out += "\" width=\"";
    AppendNumber(out, rect.Width());
    out += "\" height=\"";
    AppendNumber(out, rect.Height());
    out += '"';
}

bool IsEmpty(const TRect& rect) { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

// Whether the text box, turned by the escapement about the reference point, reaches
// outside Clip. Corners are compared with a little tolerance so that the rounding of
// sine and cosine at right angles does not count as a pixel.
bool ReachesOutside(const TRect& clip, TPoint reference, const TTextPlacement& box, std::int32_t escapement) {
    const double angle = escapement / 10.0 * std::numbers::pi / 180.0;
    const double cosine = std::cos(angle);
    const double sine = std::sin(angle);
    constexpr double tolerance = 1e-6;
    for (const int dx : {box.OffsetX, box.OffsetX + box.Width}) {
        for (const int dy : {box.OffsetY, box.OffsetY + box.Height}) {
            // Counter-clockwise on a device whose y axis points down.
            const double x = reference.X + dx * cosine + dy * sine;
            const double y = reference.Y - dx * sine + dy * cosine;
            if (x < clip.Left - tolerance || x > clip.Right + tolerance || y < clip.Top - tolerance ||
                y > clip.Bottom + tolerance)
                return true;
        }
    }
    return false;
}

const char* TextAnchor(std::uint32_t textAlign) {
    switch (textAlign & TTextAlign::HorizontalMask) {
        case TTextAlign::Center: return "middle";
        case TTextAlign::Right: return "end";
        default: return "start";
    }
}

// Writes the SVG elements of the records into one buffer, numbering the clip paths of
// clipped texts.
class TSvgWriter {
public:
    TSvgWriter(std::string& out, std::shared_ptr<TFontEngine> engine) : FOut(out), FEngine(std::move(engine)) {}

    void operator()(const TFillRectRecord& record) { WriteFill(record.Rect, record.Color); }

    void operator()(const TTextRecord& record) {
        // A text clipped to nothing shows nothing, not even its background.
        if (IsEmpty(record.Clip)) return;
        if (record.Opaque) WriteFill(record.Clip, record.Background);

        const TLogFont& font = record.Font;
        const TFontMetrics metrics = Engine().GetMetrics(font);
        const TTextPlacement box =
            PlaceTextBox(record.TextAlign, Engine().GetTextWidth(font, record.Text), metrics.Ascent, metrics.Descent);
        const TPoint reference = record.Reference;
        // The anchor places the text along the baseline; across it the baseline lies
        // where the shared text placement puts it, so raster and vector output agree.
        const std::int64_t baseline = std::int64_t{reference.Y} + box.OffsetY + box.Ascent;

        const bool clipped = ReachesOutside(record.Clip, reference, box, font.Escapement);
        if (clipped) {
            FOut += "<clipPath id=\"clip";
            AppendNumber(FOut, ++FClipCount);
            FOut += "\"><rect ";
            AppendRectAttributes(FOut, record.Clip);
            FOut += "/></clipPath>\n";
        }

        FOut += "<text x=\"";
        AppendNumber(FOut, reference.X);
        FOut += "\" y=\"";
        AppendNumber(FOut, baseline);
        FOut += "\" font-family=\"";
        FOut += FontFamily(font);
        FOut += "\" font-size=\"";
        AppendNumber(FOut, FontEmHeight(Engine(), font));
        FOut += '"';
        if (font.Weight != 0 && font.Weight != fwNormal) {
            FOut += " font-weight=\"";
            AppendNumber(FOut, font.Weight);
            FOut += '"';
        }
        if (font.Italic) FOut += " font-style=\"italic\"";
        if (font.Underline && font.StrikeOut)
            FOut += " text-decoration=\"underline line-through\"";
        else if (font.Underline)
            FOut += " text-decoration=\"underline\"";
        else if (font.StrikeOut)
            FOut += " text-decoration=\"line-through\"";
        FOut += " text-anchor=\"";
        FOut += TextAnchor(record.TextAlign);
        FOut += '"';
        // SVG turns clockwise for positive angles, the escapement counter-clockwise.
        if (font.Escapement % 3600 != 0) {
            FOut += " transform=\"rotate(";
            FOut += TenthsToDegrees(-std::int64_t{font.Escapement});
            FOut += ' ';
            AppendNumber(FOut, reference.X);
            FOut += ' ';
            AppendNumber(FOut, reference.Y);
            FOut += ")\"";
        }
        FOut += " fill=\"";
        AppendHexColor(FOut, record.Color);
        FOut += '"';
        if (clipped) {
            FOut += " clip-path=\"url(#clip";
            AppendNumber(FOut, FClipCount);
            FOut += ")\"";
        }
        FOut += " xml:space=\"preserve\">";
        FOut += XmlText(record.Text);
        FOut += "</text>\n";
    }

private:
    void WriteFill(const TRect& rect, TColor color) {
        FOut += "<rect ";
        AppendRectAttributes(FOut, rect);
        FOut += " fill=\"";
        AppendHexColor(FOut, color);
        FOut += "\"/>\n";
    }

    // The face asked for first, then the family the engine draws it with.
    std::string FontFamily(const TLogFont& font) {
        const std::string resolved = Engine().ResolveFamily(font);
        if (resolved.empty() || resolved == font.FaceName) return CssFamily(font.FaceName);
        if (font.FaceName.empty()) return CssFamily(resolved);
        return CssFamily(font.FaceName) + ", " + CssFamily(resolved);
    }

    // Text records come from a metafile canvas, which leaves its engine in the metafile;
    // the installed fonts stand in should a metafile have text but no engine.
    TFontEngine& Engine() {
        if (!FEngine) FEngine = FreeTypeFontEngine();
        return *FEngine;
    }

    std::string& FOut;
    std::shared_ptr<TFontEngine> FEngine;
    int FClipCount = 0;
};

int CellHeight(TFontEngine& engine, const TLogFont& font) {
    const TFontMetrics metrics = engine.GetMetrics(font);
    return metrics.Ascent + metrics.Descent;
}

std::string LowerCaseExtension(const std::string& fileName) {
    std::string extension = std::filesystem::path(fileName).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TMetafile

void TMetafile::Assign(TPersistent& source) {
    auto* metafile = dynamic_cast<TMetafile*>(&source);
    if (!metafile) {
        TPersistent::Assign(source);
        return;
    }
    FWidth = metafile->FWidth;
    FHeight = metafile->FHeight;
    FPixelsPerInch = metafile->FPixelsPerInch;
    FRecords = metafile->FRecords;
    FFontEngine = metafile->FFontEngine;
}

void TMetafile::Play(TCanvas& canvas) const {
    for (const TMetafileRecord& record : FRecords) std::visit(TRecordPlayer{canvas}, record);
}

std::string TMetafile::ToSvg() const {
    const int width = std::max(FWidth, 0);
    const int height = std::max(FHeight, 0);
    std::string svg;
    // About what a filled rectangle takes; texts take more, and the buffer grows for them.
    svg.reserve(256 + 64 * FRecords.size());
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    AppendNumber(svg, width);
    svg += "\" height=\"";
    AppendNumber(svg, height);
    svg += "\" viewBox=\"0 0 ";
    AppendNumber(svg, width);
    svg += ' ';
    AppendNumber(svg, height);
    svg += "\">\n";
    TSvgWriter writer(svg, FFontEngine);
    for (const TMetafileRecord& record : FRecords) std::visit(writer, record);
    svg += "</svg>\n";
    return svg;
}

void TMetafile::SaveToFile(const std::string& fileName) const {
    CheckFileName(fileName, "write");  // before the document is made
    const std::string extension = LowerCaseExtension(fileName);
    std::string document;
    if (extension == ".svg")
        document = ToSvg();
    else if (extension == ".pdf")
        document = PrintMetafile(*this, pfPdf);
    else if (extension == ".eps")
        document = PrintMetafile(*this, pfEps);
    else
        throw EInOutError("Cannot save the metafile as '%s': only .svg, .pdf and .eps files are supported", {fileName});
    ReplaceFile(fileName, std::as_bytes(std::span(document)), TFileSync::EachFile);
}

// ---------------------------------------------------------------------------------------
// Text size of vector output

// SVG, PDF and PostScript size fonts by the em, as a negative height does. A positive
// height, and the default height 0, give the cell (ascent + descent) instead.
std::int64_t FontEmHeight(TFontEngine& engine, const TLogFont& font) {
    if (font.Height < 0) return -std::int64_t{font.Height};
    const std::int64_t cell = font.Height > 0 ? font.Height : CellHeight(engine, font);
    TLogFont probe = font;
    probe.Height = static_cast<std::int32_t>(-cell);
    const std::int64_t probeCell = CellHeight(engine, probe);
    return probeCell > 0 ? (cell * cell + probeCell / 2) / probeCell : cell;
}

// ---------------------------------------------------------------------------------------
// TMetafileCanvas

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, TCanvas* reference)
    : TCanvas(reference ? reference->GetDeviceCaps(dcLogPixelsX) : 96,
              reference ? reference->GetDeviceCaps(dcLogPixelsY) : 96,
              reference ? reference->GetFontEngine() : FreeTypeFontEngine()),
      FMetafile(metafile) {
    FMetafile.FPixelsPerInch = GetDeviceCaps(dcLogPixelsY);
}

TMetafileCanvas::~TMetafileCanvas() {
    // Moving a vector and copying a shared pointer cannot throw.
    FMetafile.FRecords = std::move(FRecords);
    FMetafile.FFontEngine = GetFontEngine();
}

void TMetafileCanvas::DoFillRect(const TRect& rect, TColor color) {
    // Made in place rather than moved in as a temporary variant, whose move GCC 12's
    // optimiser takes for a read of the text record's members.
    FRecords.emplace_back(TFillRectRecord{.Rect = rect, .Color = color});
}

void TMetafileCanvas::DoTextRect(const TRect& rect, TPoint reference, const std::string& text, bool opaque) {
    FRecords.push_back(TTextRecord{.Clip = rect,
                                   .Reference = reference,
                                   .TextAlign = GetTextAlign(),
                                   .Font = CurrentLogFont(),
                                   .Color = ColorToRGB(GetFont().GetColor()),
                                   .Opaque = opaque,
                                   .Background = ColorToRGB(GetBrush().GetColor()),
                                   .Text = text});
}

}  // namespace zan::platform
