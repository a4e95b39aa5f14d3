// The entry functions of the fuzz targets, shared by the libFuzzer programs and the corpus replay.
#pragma once

#include <string_view>

namespace zanfuzz {

// Each runs one input and returns when the library behaved. A misbehaviour ends the
// process: a failed check (see Check), a sanitizer report, or an exception that is not
// one of the library's own clean refusals.

// A script of renderer operations, one a line (see RendererTarget.cpp).
void FuzzRenderer(std::string_view input);
// The zanbarcode command's arguments, one a line, run in-process.
void FuzzCommand(std::string_view input);
// A mode byte, then the bytes of a PNG file for the bitmap's PNG reader.
void FuzzPngReader(std::string_view input);
// Form file text, read into an existing form and as a new root.
void FuzzFormFile(std::string_view input);

struct TFuzzTarget {
    std::string_view Name;
    void (*Run)(std::string_view input);
};

inline constexpr TFuzzTarget FuzzTargets[] = {
    {"renderer", FuzzRenderer},
    {"command", FuzzCommand},
    {"png", FuzzPngReader},
    {"formfile", FuzzFormFile},
};

}  // namespace zanfuzz
