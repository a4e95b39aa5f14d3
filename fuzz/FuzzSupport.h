// Helpers of the fuzz targets: checks that end the run, script lines, a scratch folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zanfuzz {

// Ends the process with What on standard error when Condition is false. libFuzzer
// reports the abort as a crash with its stack; the replay fails on it.
void Check(bool condition, const char* what);

// The lines of Input, without their line feeds; a final line feed ends no extra line.
std::vector<std::string_view> SplitLines(std::string_view input);

// A line split at its first space: the command word and the rest (possibly empty).
struct TCommandLine {
    std::string_view Word;
    std::string_view Rest;
};
TCommandLine SplitWord(std::string_view line);

// Rest with \xHH read as the byte HH and \\ as a backslash; other bytes as they stand.
std::string DecodeEscapes(std::string_view text);

// A decimal integer, with an optional sign, that fits 64 bits; none otherwise.
std::optional<std::int64_t> ParseInteger(std::string_view text);

// A folder of its own under the temporary directory for one target, made on first
// use and removed when the process ends. Empty() removes everything inside it.
class TScratchDir {
public:
    explicit TScratchDir(const std::string& name);
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // The names of the files inside, sorted.
    std::vector<std::string> FileNames() const;
    void Empty() const;

private:
    std::filesystem::path FPath;
};

// Makes Folder the working directory for as long as it is in scope.
class TWorkingDirectory {
public:
    explicit TWorkingDirectory(const std::filesystem::path& folder);
    ~TWorkingDirectory();
    TWorkingDirectory(const TWorkingDirectory&) = delete;
    TWorkingDirectory& operator=(const TWorkingDirectory&) = delete;

private:
    std::filesystem::path FPrevious;
};

// Every new family name costs a fontconfig match and a face load; runs map any name
// onto one of a few, awkward ones included, so that they spend their time on our code.
std::string FewFontNames(std::string_view name);

// The process's peak resident memory so far, in kilobytes. A step that lets it grow by
// far more than its result needs has allocated for something it never used.
long PeakMemoryKilobytes();

// Whether Text is well-formed UTF-8 (RFC 3629) without C0 control characters but the
// line feed: what XML 1.0 character data may hold on one line each.
bool IsCleanUtf8Text(std::string_view text);

}  // namespace zanfuzz
