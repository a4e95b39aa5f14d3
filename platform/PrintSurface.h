// Print output of a metafile: one PDF or EPS page of the picture's physical size, drawn by cairo.
#pragma once

#include <cstdint>
#include <string>

#include <zanbarcode/platform/Metafile.h>

namespace zan::platform {

enum TPrintFormat : std::uint8_t { pfPdf, pfEps };

// The largest page side in points. ISO 32000-1 Annex C gives 14 400 units as the page
// size a PDF reader must take; EPS pages keep to the same.
inline constexpr double MaxPrintPageSide = 14400;
// The most pixels on a side; cairo holds coordinates up to 2^23.
inline constexpr int MaxPrintPixels = 1 << 22;

// The metafile as a document of one page, Width x Height pixels at the metafile's
// resolution turned into points (72 an inch):
// - every fill is its exact pixel rectangle, in its exact colour; fills of one colour
//   are painted as one path wherever the painting order allows, so that touching bars
//   leave no anti-aliasing seam between them in any viewer;
// - every text is real text in the face the FreeType engine draws it with (the face is
//   embedded), each glyph where the metafile's font engine places it, turned by the
//   escapement and clipped to the text's rectangle; decorations (underline, strike-out)
//   are not drawn, as in a bitmap;
// - the EPS bounding box is the page, %%BoundingBox rounded out to whole points and
//   %%HiResBoundingBox exact.
// Raises EInOutError for an empty picture, a resolution below 1, a page side above
// MaxPrintPageSide or a picture side above MaxPrintPixels.
std::string PrintMetafile(const TMetafile& metafile, TPrintFormat format);

}  // namespace zan::platform
