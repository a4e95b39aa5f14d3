// Runs files through a fuzz target's entry function, for the test suite:
//   zan_fuzz_replay TARGET FILE-OR-FOLDER...
// Every regular file of a folder is one input. Exits with 0 when every input ran; an
// input that misbehaves ends the process (see FuzzTargets.h), after its name was printed.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& path) {
    if (!std::filesystem::is_directory(path)) return {path};
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto usage = [] {
        std::fprintf(stderr, "usage: zan_fuzz_replay renderer|command|png|formfile FILE-OR-FOLDER...\n");
        return 2;
    };
    if (arguments.empty()) return usage();
    const auto target = std::find_if(std::begin(zanfuzz::FuzzTargets), std::end(zanfuzz::FuzzTargets),
                                     [&](const zanfuzz::TFuzzTarget& t) { return t.Name == arguments.front(); });
    if (target == std::end(zanfuzz::FuzzTargets)) return usage();

    std::vector<std::filesystem::path> inputs;
    for (const std::string_view argument : std::vector(arguments.begin() + 1, arguments.end())) {
        if (!std::filesystem::exists(argument)) {
            std::fprintf(stderr, "zan_fuzz_replay: no such file or folder: %s\n", std::string(argument).c_str());
            return 2;
        }
        for (const std::filesystem::path& input : InputsOf(argument)) inputs.push_back(input);
    }
    // A replay of nothing would pass without testing anything.
    if (inputs.empty()) {
        std::fprintf(stderr, "zan_fuzz_replay: no inputs to replay\n");
        return 2;
    }
    for (const std::filesystem::path& input : inputs) {
        std::fprintf(stderr, "replaying %s\n", input.c_str());
        std::ifstream in(input, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        target->Run(bytes.str());
    }
    std::printf("%zu inputs of the %s target replayed\n", inputs.size(), std::string(target->Name).c_str());
    return 0;
}
