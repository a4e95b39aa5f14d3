// Bar and space widths in modules, converted at compile time from the notations that
// the symbologies' standards write their tables in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include <zanbarcode/platform/Exception.h>

namespace zan {

// Widths in modules of elements that alternate between bar and space: what a linear
// symbology draws.
using TModuleWidths = std::span<const std::uint8_t>;

// The widths of one pattern of N elements.
template <std::size_t N>
using TElementWidths = std::array<std::uint8_t, N>;

// Elements that alternate between bar and space, and the kind of the first: a pattern
// that does not always start with a bar (EAN/UPC number sets A and B, guard patterns).
template <std::size_t N>
struct TElementRun {
    TElementWidths<N> Widths{};
    bool StartsWithBar = true;
    friend constexpr bool operator==(const TElementRun&, const TElementRun&) = default;
};

// The modules a pattern takes.
constexpr int ModuleCount(TModuleWidths widths) {
    int modules = 0;
    for (const std::uint8_t width : widths) modules += width;
    return modules;
}

// A pattern of narrow (N) and wide (W) elements, as Code 39, Codabar and the 2 of 5
// family write theirs; a narrow element is one module, a wide one WideModules.
// A malformed pattern raises EConvertError, which stops the compilation of a table.
template <std::size_t N>
constexpr TElementWidths<N> WidthsFromNarrowWide(std::string_view pattern, std::uint8_t wideModules) {
    if (pattern.size() != N) throw platform::EConvertError("Narrow/wide pattern of the wrong length");
    TElementWidths<N> widths{};
    for (std::size_t i = 0; i < N; ++i) {
        if (pattern[i] != 'N' && pattern[i] != 'W')
            throw platform::EConvertError("Narrow/wide pattern with a foreign letter");
        widths[i] = pattern[i] == 'W' ? wideModules : std::uint8_t{1};
    }
    return widths;
}

// A pattern written as one width digit per element, as Code 128 writes its symbols
// ("211214").
template <std::size_t N>
constexpr TElementWidths<N> WidthsFromDigits(std::string_view pattern) {
    if (pattern.size() != N) throw platform::EConvertError("Width pattern of the wrong length");
    TElementWidths<N> widths{};
    for (std::size_t i = 0; i < N; ++i) {
        if (pattern[i] < '1' || pattern[i] > '9') throw platform::EConvertError("Width pattern with a foreign digit");
        widths[i] = static_cast<std::uint8_t>(pattern[i] - '0');
    }
    return widths;
}

// A pattern written module by module, 1 dark and 0 light, as EAN/UPC writes its number
// sets and guards ("0001101"): the lengths of its N runs and the colour of the first.
template <std::size_t N>
constexpr TElementRun<N> RunFromModules(std::string_view modules) {
    TElementRun<N> run;
    std::size_t count = 0;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        if (modules[i] != '0' && modules[i] != '1')
            throw platform::EConvertError("Module pattern with a foreign digit");
        if (i == 0 || modules[i] != modules[i - 1]) {
            if (count == N) throw platform::EConvertError("Module pattern with too many elements");
            ++count;
        }
        ++run.Widths[count - 1];
    }
    if (count != N) throw platform::EConvertError("Module pattern with too few elements");
    run.StartsWithBar = modules.front() == '1';
    return run;
}

// The same elements with dark and light exchanged.
template <std::size_t N>
constexpr TElementRun<N> Complemented(TElementRun<N> run) {
    run.StartsWithBar = !run.StartsWithBar;
    return run;
}

// The same elements read from the right.
template <std::size_t N>
constexpr TElementRun<N> Reversed(const TElementRun<N>& run) {
    TElementRun<N> reversed;
    for (std::size_t i = 0; i < N; ++i) reversed.Widths[i] = run.Widths[N - 1 - i];
    // The last element becomes the first: of the first one's kind when N is odd.
    reversed.StartsWithBar = N % 2 == 1 ? run.StartsWithBar : !run.StartsWithBar;
    return reversed;
}

// A table of a standard's patterns, each converted by Convert.
template <std::size_t Rows, class TConvert>
constexpr auto ConvertTable(const std::array<std::string_view, Rows>& table, TConvert convert) {
    std::array<decltype(convert(table[0])), Rows> converted{};
    for (std::size_t i = 0; i < Rows; ++i) converted[i] = convert(table[i]);
    return converted;
}

}  // namespace zan
