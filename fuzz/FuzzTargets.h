// The entry functions of the fuzz targets, shared by the libFuzzer programs and the corpus replay.
#pragma once

#include <string_view>

namespace zanfuzz {

// Whether an input may reach the defects listed in fuzz/findings/README.md. The
// libFuzzer programs and the corpus replay steer around them, so that a run looks for
// new faults; the findings replay exposes them, so that it fails until they are mended.
enum class TKnownDefects { Avoid, Expose };

// Each runs one input and returns when the library behaved. A misbehaviour ends the
// process: a failed check (see Check), a sanitizer report, or an exception that is not
// one of the library's own clean refusals.

// A script of renderer operations, one a line (see RendererTarget.cpp).
void FuzzRenderer(std::string_view input, TKnownDefects known);
// The zanbarcode command's arguments, one a line, run in-process.
void FuzzCommand(std::string_view input, TKnownDefects known);
// A mode byte, then the bytes of a PNG file for the bitmap's PNG reader.
void FuzzPngReader(std::string_view input, TKnownDefects known);

struct TFuzzTarget {
    std::string_view Name;
    void (*Run)(std::string_view input, TKnownDefects known);
};

inline constexpr TFuzzTarget FuzzTargets[] = {
    {"renderer", FuzzRenderer},
    {"command", FuzzCommand},
    {"png", FuzzPngReader},
};

}  // namespace zanfuzz
