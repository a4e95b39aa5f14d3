#include "fuzz/FuzzSupport.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <system_error>

namespace zanfuzz {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "zanfuzz: check failed: %s\n", what);
    std::abort();
}

std::vector<std::string_view> SplitLines(std::string_view input) {
    std::vector<std::string_view> lines;
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        lines.push_back(input.substr(0, end));
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 1);
    }
    return lines;
}

TCommandLine SplitWord(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return {line, {}};
    return {line.substr(0, space), line.substr(space + 1)};
}

std::string DecodeEscapes(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
            bytes += '\\';
            ++i;
        } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
                   std::from_chars(text.data() + i + 2, text.data() + i + 4, value, 16).ptr == text.data() + i + 4) {
            bytes += static_cast<char>(value);
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

TScratchDir::TScratchDir(const std::string& name) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("zanfuzz-" + name + "-XXXXXX")).string();
    Check(mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
    FPath = pattern;
}

TScratchDir::~TScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

std::vector<std::string> TScratchDir::FileNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FPath)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

void TScratchDir::Empty() const {
    for (const auto& entry : std::filesystem::directory_iterator(FPath)) std::filesystem::remove_all(entry.path());
}

TWorkingDirectory::TWorkingDirectory(const std::filesystem::path& folder) : FPrevious(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

TWorkingDirectory::~TWorkingDirectory() { std::filesystem::current_path(FPrevious); }

std::string FewFontNames(std::string_view name) {
    static constexpr std::string_view Names[] = {
        "Courier New", "Arial",     "Liberation Serif", "DejaVu Sans",         "MS Sans Serif", "System",
        "sans-serif",  "",          "No Such Face",     "It's \"quoted\" <&>", "back\\slash",   "\x80\x9f\xff",
        "Tab\there",   "monospace", "Courier",          "Small Fonts",
    };
    // FNV-1a, so that a name always maps onto the same one.
    std::uint32_t hash = 2166136261u;
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return std::string(Names[hash % std::size(Names)]);
}

long PeakMemoryKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool IsCleanUtf8Text(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead < 0x20 && lead != '\n') return false;
            ++i;
            continue;
        }
        // The length of the sequence and the smallest code point it may hold, so that
        // overlong forms are refused (RFC 3629).
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || lead > 0xF4 || i + length > text.size()) return false;
        char32_t code = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

}  // namespace zanfuzz
