#include <zanbarcode/platform/PrintSurface.h>

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <numbers>
#include <string_view>
#include <variant>
#include <vector>

#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/FontEngine.h>

namespace zan::platform {

namespace {

constexpr double PointsPerInch = 72;

struct TCairoRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    void operator()(cairo_t* context) const { cairo_destroy(context); }
    void operator()(cairo_font_face_t* face) const { cairo_font_face_destroy(face); }
};
template <class T>
using TCairoPtr = std::unique_ptr<T, TCairoRelease>;

bool IsEmpty(const TRect& rect) { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

// Whether two rectangles overlap or share an edge or corner.
bool Touch(const TRect& a, const TRect& b) {
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

TRect Intersection(const TRect& a, const TRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

// ---------------------------------------------------------------------------------------
// What is painted, in which order

// Rectangles of one colour, filled as one path: a viewer covers touching rectangles of
// one path in one pass, where separate fills would each leave a half-covered pixel
// along the shared edge and let the colour beneath show through.
struct TFillRun {
    TFillRun(TColor color, const TRect& first) : Color(color), Rects{first} {}
    TColor Color = clBlack;
    std::vector<TRect> Rects;
};

// The glyphs of a text record, inside Region (its clip rectangle on the page).
struct TGlyphRun {
    TGlyphRun(const TTextRecord* record, const TRect& region) : Record(record), Region(region) {}
    const TTextRecord* Record = nullptr;
    TRect Region;
};

using TPrintItem = std::variant<TFillRun, TGlyphRun>;

// The records of a metafile in painting order, each fill joined to the nearest earlier
// run of its colour unless something of another colour painted in between touches it.
// Painting it earlier then changes nothing that shows: not even the pixels along an
// edge, which anti-aliasing viewers tint with whatever is painted last.
class TPrintPlan {
public:
    explicit TPrintPlan(const TMetafile& metafile) : FPage{0, 0, metafile.GetWidth(), metafile.GetHeight()} {
        for (const TMetafileRecord& record : metafile.Records()) std::visit(*this, record);
    }

    void operator()(const TFillRectRecord& record) { AddFill(record.Rect, record.Color); }

    void operator()(const TTextRecord& record) {
        // A text clipped to nothing shows nothing, not even its background.
        if (IsEmpty(record.Clip)) return;
        if (record.Opaque) AddFill(record.Clip, record.Background);
        const TRect region = Intersection(record.Clip, FPage);
        if (!IsEmpty(region)) FItems.emplace_back(std::in_place_type<TGlyphRun>, &record, region);
    }

    const std::vector<TPrintItem>& Items() const { return FItems; }

private:
    void AddFill(const TRect& rect, TColor color) {
        // Only the page is drawn; the rest would only stretch the coordinates.
        const TRect visible = Intersection(rect, FPage);
        if (IsEmpty(visible)) return;
        for (auto item = FItems.rbegin(); item != FItems.rend(); ++item) {
            if (auto* run = std::get_if<TFillRun>(&*item)) {
                if (run->Color == color) {
                    run->Rects.push_back(visible);
                    return;
                }
                if (std::any_of(run->Rects.begin(), run->Rects.end(),
                                [&visible](const TRect& r) { return Touch(r, visible); }))
                    break;
            } else if (Touch(std::get<TGlyphRun>(*item).Region, visible)) {
                break;
            }
        }
        FItems.emplace_back(std::in_place_type<TFillRun>, color, visible);
    }

    TRect FPage;
    std::vector<TPrintItem> FItems;
};

// ---------------------------------------------------------------------------------------
// Text

// A drawn character of a text record: its UTF-8, and where and how far the font engine
// advances it along the baseline.
struct TPlacedCharacter {
    std::string Utf8;
    char32_t CodePoint = 0;
    std::int64_t Pen = 0;
    int Advance = 0;
};

// Characters advance one after the other, as both font engines lay text out; control
// characters (below 0x20) have neither glyph nor advance.
std::vector<TPlacedCharacter> PlaceCharacters(TFontEngine& engine, const TLogFont& font, std::string_view text) {
    std::array<int, 256> advances;
    advances.fill(-1);
    std::vector<TPlacedCharacter> characters;
    std::int64_t pen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20) continue;
        int& advance = advances[byte];
        if (advance < 0) advance = engine.GetTextWidth(font, text.substr(i, 1));
        characters.push_back({.Utf8 = Cp1252ToUtf8(text.substr(i, 1)),
                              .CodePoint = Cp1252ToCodePoint(byte),
                              .Pen = pen,
                              .Advance = advance});
        pen += advance;
    }
    return characters;
}

struct TSpan {
    double Low = std::numeric_limits<double>::infinity();
    double High = -std::numeric_limits<double>::infinity();
    bool Meets(const TSpan& other) const { return Low <= other.High && other.Low <= High; }
    void Add(double value) { *this = {std::min(Low, value), std::max(High, value)}; }
};

// Where a rectangle lies in the coordinates of a text turned by Angle about Reference:
// along its baseline and down across it.
struct TTextSpans {
    TSpan Along;
    TSpan Across;
};

TTextSpans SpansOf(const TRect& rect, TPoint reference, double angle) {
    TTextSpans spans;
    for (const double x : {rect.Left, rect.Right})
        for (const double y : {rect.Top, rect.Bottom}) {
            // The corner turned back by the angle.
            const double dx = x - reference.X;
            const double dy = y - reference.Y;
            spans.Along.Add(dx * std::cos(angle) - dy * std::sin(angle));
            spans.Across.Add(dx * std::sin(angle) + dy * std::cos(angle));
        }
    return spans;
}

// A cairo face for the very file that the FreeType engine draws the font with; null
// when there is none.
TCairoPtr<cairo_font_face_t> CairoFace(const TFontFile& file) {
    if (file.Path.empty()) return nullptr;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(file.Path.c_str()));
    FcPatternAddInteger(pattern, FC_INDEX, file.Index);
    TCairoPtr<cairo_font_face_t> face(cairo_ft_font_face_create_for_pattern(pattern));
    FcPatternDestroy(pattern);
    if (cairo_font_face_status(face.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return face;
}

// ---------------------------------------------------------------------------------------
// Painting

void SetColor(cairo_t* cr, TColor color) {
    cairo_set_source_rgb(cr, RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0);
}

// Paints the items of a plan in pixels of the metafile.
class TPrintPainter {
public:
    TPrintPainter(cairo_t* cr, TFontEngine& measure, TFreeTypeFontEngine& faces)
        : FCairo(cr), FMeasure(measure), FFaces(faces) {}

    void operator()(const TFillRun& run) const {
        cairo_new_path(FCairo);
        for (const TRect& r : run.Rects) cairo_rectangle(FCairo, r.Left, r.Top, r.Width(), r.Height());
        SetColor(FCairo, run.Color);
        cairo_fill(FCairo);
    }

    void operator()(const TGlyphRun& run) const {
        const TTextRecord& record = *run.Record;
        const TLogFont& font = record.Font;
        const TCairoPtr<cairo_font_face_t> face = CairoFace(FFaces.ResolveFile(font));
        // Without a face the bitmap shows no text either.
        if (!face) return;

        // The box and the pens are the metafile's engine's, so that the text lies where
        // a bitmap from the same records has it.
        const std::vector<TPlacedCharacter> characters = PlaceCharacters(FMeasure, font, record.Text);
        const std::int64_t width = characters.empty() ? 0 : characters.back().Pen + characters.back().Advance;
        const TFontMetrics metrics = FMeasure.GetMetrics(font);
        const TTextPlacement box = PlaceTextBox(record.TextAlign, Saturate32(width), metrics.Ascent, metrics.Descent);
        const double em =
            static_cast<double>(std::clamp<std::int64_t>(FontEmHeight(FMeasure, font), 1, MaxFontPixelHeight));

        // Only glyphs near the region are drawn, so that a text reaching far beyond the
        // page keeps every coordinate cairo sees small. An em on each side leaves room
        // for ink beyond a glyph's advance.
        const double angle = (font.Escapement % 3600) * std::numbers::pi / 1800;
        const TTextSpans region = SpansOf(run.Region, record.Reference, angle);
        if (!region.Across.Meets({box.OffsetY - em, box.OffsetY + box.Height + em})) return;

        std::string utf8;
        std::vector<cairo_glyph_t> glyphs;
        std::vector<cairo_text_cluster_t> clusters;
        cairo_save(FCairo);
        cairo_rectangle(FCairo, run.Region.Left, run.Region.Top, run.Region.Width(), run.Region.Height());
        cairo_clip(FCairo);
        cairo_translate(FCairo, record.Reference.X, record.Reference.Y);
        cairo_rotate(FCairo, -angle);
        cairo_set_font_face(FCairo, face.get());
        cairo_set_font_size(FCairo, em);
        // The glyph of each character as FreeType's character map gives it, as the
        // engine loads it.
        if (FT_Face ftFace = cairo_ft_scaled_font_lock_face(cairo_get_scaled_font(FCairo))) {
            for (const TPlacedCharacter& c : characters) {
                const double left = static_cast<double>(box.OffsetX + c.Pen);
                if (!region.Along.Meets({left - em, left + c.Advance + em})) continue;
                utf8 += c.Utf8;
                glyphs.push_back({.index = FT_Get_Char_Index(ftFace, c.CodePoint),
                                  .x = left,
                                  .y = static_cast<double>(box.OffsetY + box.Ascent)});
                clusters.push_back({.num_bytes = static_cast<int>(c.Utf8.size()), .num_glyphs = 1});
            }
            cairo_ft_scaled_font_unlock_face(cairo_get_scaled_font(FCairo));
        }
        SetColor(FCairo, record.Color);
        // With the characters along, the page keeps the text as text: it can be
        // searched and copied.
        cairo_show_text_glyphs(FCairo, utf8.data(), static_cast<int>(utf8.size()), glyphs.data(),
                               static_cast<int>(glyphs.size()), clusters.data(), static_cast<int>(clusters.size()),
                               cairo_text_cluster_flags_t{});
        cairo_restore(FCairo);
    }

private:
    cairo_t* FCairo;
    TFontEngine& FMeasure;
    TFreeTypeFontEngine& FFaces;
};

// ---------------------------------------------------------------------------------------
// Documents

cairo_status_t AppendToDocument(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::exception&) {
        return CAIRO_STATUS_NO_MEMORY;
    }
    return CAIRO_STATUS_SUCCESS;
}

// Points with at most four decimals, e.g. 82.8 or 75.
std::string PointsText(double points) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", points);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

// Replaces the first line that starts with Key by Lines.
void ReplaceCommentLine(std::string& document, const std::string& key, const std::string& lines) {
    const std::size_t start = document.find("\n" + key);
    if (start == std::string::npos) return;
    const std::size_t end = document.find('\n', start + 1);
    document.replace(start + 1, end == std::string::npos ? std::string::npos : end - start - 1, lines);
}

// cairo bounds an EPS file by its ink, while a label placed on a page takes its size
// from the bounding box: the box becomes the whole picture, which lies at the origin,
// in whole points rounded out (as the DSC 3.0 %%BoundingBox wants) and exactly in
// %%HiResBoundingBox.
void SetEpsBoundingBox(std::string& document, double width, double height) {
    const std::string whole = "0 0 " + std::to_string(static_cast<long long>(std::ceil(width))) + " " +
                              std::to_string(static_cast<long long>(std::ceil(height)));
    ReplaceCommentLine(
        document, "%%BoundingBox:",
        "%%BoundingBox: " + whole + "\n%%HiResBoundingBox: 0 0 " + PointsText(width) + " " + PointsText(height));
    ReplaceCommentLine(document, "%%PageBoundingBox:", "%%PageBoundingBox: " + whole);
}

void CheckStatus(cairo_status_t status) {
    if (status != CAIRO_STATUS_SUCCESS)
        throw EInOutError("Cannot draw the print page: %s", {cairo_status_to_string(status)});
}

// The FreeType engine supplies the faces: the metafile's own engine when it is one, the
// shared engine otherwise (the fixed metrics of tests still place the glyphs).
std::shared_ptr<TFreeTypeFontEngine> FaceEngine(const std::shared_ptr<TFontEngine>& measure) {
    if (auto own = std::dynamic_pointer_cast<TFreeTypeFontEngine>(measure)) return own;
    // FreeTypeFontEngine() makes a TFreeTypeFontEngine.
    return std::static_pointer_cast<TFreeTypeFontEngine>(FreeTypeFontEngine());
}

// The picture in pixels on a recording surface. cairo keeps coordinates in fixed point,
// 1/256 of a unit: that holds every pixel edge exactly, while the same edges in points
// would move by up to 1/512 point, enough for a printer to widen a bar by one of its
// pixels where an edge meets a pixel boundary.
TCairoPtr<cairo_surface_t> RecordPicture(const TMetafile& metafile) {
    const cairo_rectangle_t extents{0, 0, static_cast<double>(metafile.GetWidth()),
                                    static_cast<double>(metafile.GetHeight())};
    TCairoPtr<cairo_surface_t> picture(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents));
    const std::shared_ptr<TFontEngine> measure =
        metafile.GetFontEngine() ? metafile.GetFontEngine() : FreeTypeFontEngine();
    const TCairoPtr<cairo_t> cr(cairo_create(picture.get()));
    const TPrintPainter painter(cr.get(), *measure, *FaceEngine(measure));
    const TPrintPlan plan(metafile);
    for (const TPrintItem& item : plan.Items()) std::visit(painter, item);
    CheckStatus(cairo_status(cr.get()));
    return picture;
}

}  // namespace

std::string PrintMetafile(const TMetafile& metafile, TPrintFormat format) {
    const int width = metafile.GetWidth();
    const int height = metafile.GetHeight();
    const int pixelsPerInch = metafile.GetPixelsPerInch();
    if (width <= 0 || height <= 0)
        throw EInOutError("A picture of %d x %d pixels has no page to print",
                          {std::int64_t{width}, std::int64_t{height}});
    if (pixelsPerInch < 1)
        throw EInOutError("A picture at %d pixels per inch has no physical size", {std::int64_t{pixelsPerInch}});
    const double scale = PointsPerInch / pixelsPerInch;
    const double pageWidth = width * scale;
    const double pageHeight = height * scale;
    if (pageWidth > MaxPrintPageSide || pageHeight > MaxPrintPageSide)
        throw EInOutError("A picture of %d x %d pixels at %d pixels per inch is larger than a print page of 200 inches",
                          {std::int64_t{width}, std::int64_t{height}, std::int64_t{pixelsPerInch}});
    if (width > MaxPrintPixels || height > MaxPrintPixels)
        throw EInOutError("A picture of %d x %d pixels has more than the %d pixels on a side that a print page holds",
                          {std::int64_t{width}, std::int64_t{height}, std::int64_t{MaxPrintPixels}});

    const TCairoPtr<cairo_surface_t> picture = RecordPicture(metafile);
    std::string document;
    TCairoPtr<cairo_surface_t> surface;
    {
        if (format == pfPdf) {
            surface.reset(cairo_pdf_surface_create_for_stream(AppendToDocument, &document, pageWidth, pageHeight));
        } else {
            // PostScript's origin is the bottom left corner, and cairo turns the y axis
            // about a height in whole points. On a surface of whole points the picture
            // moves down to the bottom, so that it lies at the origin.
            surface.reset(cairo_ps_surface_create_for_stream(AppendToDocument, &document, std::ceil(pageWidth),
                                                             std::ceil(pageHeight)));
            cairo_ps_surface_set_eps(surface.get(), true);
        }
        const TCairoPtr<cairo_t> cr(cairo_create(surface.get()));
        if (format == pfEps) cairo_translate(cr.get(), 0, std::ceil(pageHeight) - pageHeight);
        // The page scales the picture as a whole, so that its pixels stay exact inside.
        cairo_scale(cr.get(), scale, scale);
        cairo_set_source_surface(cr.get(), picture.get(), 0, 0);
        cairo_paint(cr.get());
        CheckStatus(cairo_status(cr.get()));
    }
    cairo_surface_finish(surface.get());
    CheckStatus(cairo_surface_status(surface.get()));
    if (format == pfEps) SetEpsBoundingBox(document, pageWidth, pageHeight);
    return document;
}

}  // namespace zan::platform
