// Helpers shared by the tests: running commands, the zanbarcode tool, zbarimg and the print tools, reading SVG
// rectangles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>

namespace zantest {

struct TCommandResult {
    int ExitStatus = -1;
    std::string Output;  // standard output
    std::string Errors;  // standard error
};

// Runs Arguments (no shell involved) and collects its output and exit status.
TCommandResult RunCommand(const std::vector<std::string>& arguments);

// Runs the zanbarcode tool built with the tests.
TCommandResult RunZanbarcode(const std::vector<std::string>& arguments);

// Decodes every barcode zbarimg finds in Path; ZbarOptions are passed before the file
// (for example "-Sean13.enable"). Each result is "TYPE:data" as zbarimg prints it with
// --raw turned off, one per symbol found.
std::vector<std::string> ScanWithZbar(const std::string& path, const std::vector<std::string>& zbarOptions = {});

// Print documents rendered back into PNG files: a PDF's first page by pdftoppm, which
// anti-aliases as screen viewers do, an EPS file cropped to its bounding box by
// Ghostscript. Each returns the PNG's path beside the document, or "" when the tool fails.
std::string RenderPdfPage(const std::string& pdf, int dpi);
std::string RenderEps(const std::string& eps, int dpi);
// The PNG a document was rendered into; an empty bitmap, and a test failure, when the
// document could not be rendered (Path is "").
std::unique_ptr<zan::platform::TBitmap> LoadRenderedPng(const std::string& path);

// What pdfinfo reports of a PDF file; Pages is 0 when pdfinfo cannot read it.
struct TPdfInfo {
    int Pages = 0;
    double PageWidth = 0;  // of the media box, in points to two decimals
    double PageHeight = 0;
};
TPdfInfo ReadPdfInfo(const std::string& pdf);

// The %%HiResBoundingBox of an EPS file in points (left, bottom, right, top); all -1
// when the file has none.
struct TEpsBox {
    double Left = -1;
    double Bottom = -1;
    double Right = -1;
    double Top = -1;
};
TEpsBox ReadEpsHiResBox(const std::string& eps);

// Decodes a barcode with zxing-cpp (Debian's python3-zxing-cpp, a decoder independent of
// zbar) in a grayscale picture of Width x Height pixels, one byte a pixel, row by row:
// "FORMAT:text" with zxing's format name (EAN13, UPCA, ...), or "" when it reads none.
// With RequireAddOn only an EAN/UPC symbol read together with its add-on counts, the
// add-on following the main symbol's text after a space.
std::string ReadWithZxing(int width, int height, const std::vector<std::uint8_t>& gray, bool requireAddOn);

// A folder of its own for one test's files, emptied on creation.
std::string TestOutputDir(const std::string& name);

// One <rect> of an SVG file, in document order.
struct TSvgRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    std::string Fill;  // "#RRGGBB"
};
std::vector<TSvgRect> ReadSvgRects(const std::string& svg);
std::string ReadFile(const std::string& path);

}  // namespace zantest
