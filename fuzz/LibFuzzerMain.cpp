// The libFuzzer entry of one target, the function named by ZAN_FUZZ_TARGET when compiled.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ZAN_FUZZ_TARGET(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
