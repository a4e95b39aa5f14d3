// zanbarcode --batch: one barcode file a line of input, drawn by worker threads.
#pragma once

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "cli/ZanbarcodeCommand.h"
#include "cli/ZanbarcodeOptions.h"

namespace zanbarcode {

// The -o template of a batch. In its file name, not in its folder, a run of '~' stands for
// the line's number zero-padded to the run's length (label-~~~~~.png: label-00001.png,
// ..., label-123456.png), and {caption} for the line's caption made safe for a file name:
// ASCII letters, digits, '-', '_' and '.' stay, every other byte becomes '_', and so does
// a '.' that would begin the name. No name can leave the folder or hide in it.
class TNameTemplate {
public:
    // Raises EUsageError for a template with neither, or with either in its folder.
    explicit TNameTemplate(const std::string& pattern);

    // The file of line Number (from 1) with Caption, the bytes to encode.
    std::string FileName(std::size_t number, const std::string& caption) const;
    // Without a counter two lines can ask for the same file.
    bool HasCounter() const { return FHasCounter; }
    // The folder of every file, "." for the current one.
    const std::string& Folder() const { return FFolder; }

private:
    struct TCounter {
        std::size_t Width;
    };
    struct TCaption {};
    std::string FFolder;
    std::string FFolderPrefix;  // what goes before each name: the folder and '/', or nothing
    std::vector<std::variant<std::string, TCounter, TCaption>> FParts;
    bool FHasCounter = false;
};

// Draws one file for each line of the input that Options name (--input FILE or Console's
// input); returns the exit status. Lines lose a trailing CR; -e decodes each line. A
// line that fails, an empty one included, is reported with its number and the run goes
// on: the status is then 1 (3 when memory ran out), and no file of that line exists.
// Raises EUsageError for options that no line could be drawn with.
int RunBatch(const TOptions& options, const TConsole& console);

}  // namespace zanbarcode
