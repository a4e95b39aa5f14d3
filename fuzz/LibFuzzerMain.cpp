// The libFuzzer entry of one target, the function named by ZAN_FUZZ_TARGET when compiled.
// ZAN_FUZZ_EXPOSE_KNOWN_DEFECTS=1 in the environment lets inputs reach the known defects.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zanfuzz::TKnownDefects known = std::getenv("ZAN_FUZZ_EXPOSE_KNOWN_DEFECTS") != nullptr
                                                    ? zanfuzz::TKnownDefects::Expose
                                                    : zanfuzz::TKnownDefects::Avoid;
    ZAN_FUZZ_TARGET(std::string_view(reinterpret_cast<const char*>(data), size), known);
    return 0;
}
