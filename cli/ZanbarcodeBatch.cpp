#include "cli/ZanbarcodeBatch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>

#include <zanbarcode/barcode/ZanBarcode.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>
#include "cli/ZanbarcodeOutput.h"

namespace zanbarcode {

namespace {

constexpr std::string_view CaptionField = "{caption}";

bool IsSafeInName(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '_' || byte == '.';
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TNameTemplate

TNameTemplate::TNameTemplate(const std::string& pattern) {
    const std::size_t slash = pattern.rfind('/');
    const bool inFolder = slash != std::string::npos;
    const std::string name = inFolder ? pattern.substr(slash + 1) : pattern;
    FFolderPrefix = inFolder ? pattern.substr(0, slash + 1) : std::string();
    FFolder = !inFolder ? std::string(".") : slash == 0 ? std::string("/") : pattern.substr(0, slash);
    if (FFolder.find('~') != std::string::npos || FFolder.find(CaptionField) != std::string::npos)
        throw EUsageError("-o '%s': the line's number (~) and {caption} stand in the file name only, not in its folder",
                          {pattern});
    bool hasCaption = false;
    std::string text;
    for (std::size_t i = 0; i < name.size();) {
        const bool counter = name[i] == '~';
        const bool caption = name.compare(i, CaptionField.size(), CaptionField) == 0;
        if (!counter && !caption) {
            text += name[i++];
            continue;
        }
        if (!text.empty()) FParts.emplace_back(std::exchange(text, {}));
        if (counter) {
            const std::size_t end = std::min(name.find_first_not_of('~', i), name.size());
            FParts.emplace_back(TCounter{end - i});
            FHasCounter = true;
            i = end;
        } else {
            FParts.emplace_back(TCaption{});
            hasCaption = true;
            i += CaptionField.size();
        }
    }
    if (!text.empty()) FParts.emplace_back(std::move(text));
    if (!FHasCounter && !hasCaption)
        throw EUsageError(
            "-o '%s': a batch writes a file a line: put a run of ~ for the line's number into the file name (-o "
            "label-~~~~~.png), or {caption}",
            {pattern});
}

std::string TNameTemplate::FileName(std::size_t number, const std::string& caption) const {
    std::string name;
    for (const auto& part : FParts) {
        if (const auto* text = std::get_if<std::string>(&part)) {
            name += *text;
        } else if (const auto* counter = std::get_if<TCounter>(&part)) {
            const std::string digits = std::to_string(number);
            if (digits.size() < counter->Width) name.append(counter->Width - digits.size(), '0');
            name += digits;
        } else {
            for (const char c : caption) {
                const auto byte = static_cast<unsigned char>(c);
                name += IsSafeInName(byte) && !(byte == '.' && name.empty()) ? c : '_';
            }
        }
    }
    return FFolderPrefix + name;
}

// ---------------------------------------------------------------------------------------
// The batch

namespace {

// Batches of this many lines show their progress on a terminal, redrawn this often.
constexpr std::size_t LongBatch = 1000;
constexpr std::chrono::milliseconds ProgressInterval{200};

// A line of the input and what became of it.
struct TLine {
    std::string Caption;   // the bytes to encode, escapes decoded
    std::string FileName;
    std::string Failure;   // why the line has no file; "" while it has not failed
    std::string Note;      // what was drawn otherwise than asked
    bool OutOfMemory = false;
};

std::vector<std::string> ReadLines(std::istream& input, const std::string& source) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(input, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    if (input.bad())
        throw zan::platform::EInOutError("Cannot read the captions of %s: %s",
                                         {source, std::string(std::strerror(errno))});
    return lines;
}

std::vector<std::string> ReadInput(const TOptions& options, const TConsole& console) {
    if (!options.InputFile || *options.InputFile == "-") return ReadLines(console.Input, "the standard input");
    const std::string& path = *options.InputFile;
    std::ifstream file(path, std::ios::binary);
    if (!file) throw EUsageError("--input: cannot read '%s': %s", {path, std::string(std::strerror(errno))});
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throw EUsageError("--input: '%s' is a folder", {path});
    return ReadLines(file, "'" + path + "'");
}

// Each line with its caption and file, failed already where it cannot be drawn: an empty
// line, an invalid escape, a file that an earlier line writes.
std::vector<TLine> PrepareLines(std::vector<std::string> texts, const TOptions& options, const TNameTemplate& names) {
    std::vector<TLine> lines(texts.size());
    std::unordered_map<std::string, std::size_t> writers;  // file name -> the line that writes it
    for (std::size_t i = 0; i < texts.size(); ++i) {
        TLine& line = lines[i];
        try {
            line.Caption = options.Escapes ? DecodeEscapes(texts[i]) : std::move(texts[i]);
        } catch (const EUsageError& e) {
            line.Failure = e.Message();
            continue;
        }
        if (line.Caption.empty()) {
            line.Failure = "the line is empty: a barcode without data is not read by scanners";
            continue;
        }
        line.FileName = names.FileName(i + 1, line.Caption);
        if (names.HasCounter()) continue;
        const auto [writer, first] = writers.try_emplace(line.FileName, i);
        if (!first)
            line.Failure = "line " + std::to_string(writer->second + 1) + " writes '" + line.FileName +
                           "' already: put a run of ~ for the line's number into the -o template";
    }
    return lines;
}

void DrawLine(zan::TZanPictureWriter& writer, zan::TZanBarcodePicture& picture, const TOptions& options,
              TLine& line) {
    picture.Caption = std::move(line.Caption);
    try {
        line.Note = WriteBatchFile(writer, picture, line.FileName, options);
    } catch (const zan::platform::Exception& e) {
        // The symbology's refusal, a picture too large, a file that cannot be written.
        line.Failure = e.Message();
    } catch (const std::bad_alloc&) {
        line.Failure = "out of memory: the picture asked for is too large for this machine";
        line.OutOfMemory = true;
    } catch (const std::exception& e) {
        line.Failure = e.what();
    }
}

// "zanbarcode: 1200 of 5000 lines" on the last line of a terminal, redrawn a few times a
// second; nothing when not shown.
class TProgress {
public:
    TProgress(std::ostream& terminal, bool shown, std::size_t total)
        : FTerminal(terminal), FShown(shown), FTotal(total) {}

    void Update(std::size_t done) {
        if (!FShown) return;
        const auto now = std::chrono::steady_clock::now();
        if (now < FDue) return;
        FDue = now + ProgressInterval;
        FTerminal << "\rzanbarcode: " << done << " of " << FTotal << " lines" << std::flush;
        FVisible = true;
    }
    // Before a message and at the end: the terminal's line as it was.
    void Clear() {
        if (FVisible) FTerminal << "\r\x1b[K";
        FVisible = false;
    }

private:
    std::ostream& FTerminal;
    bool FShown;
    std::size_t FTotal;
    std::chrono::steady_clock::time_point FDue{};
    bool FVisible = false;
};

// The lines, drawn by workers that take the next one as they finish, and reported in
// their order by the thread that started the workers.
class TBatchRun {
public:
    TBatchRun(std::vector<TLine>& lines, const zan::TZanBarcodePicture& picture, const TOptions& options)
        : FLines(lines), FPicture(picture), FOptions(options), FDone(lines.size(), false) {}

    // A worker's loop, with a writer of its own. The reporter is woken for a line with
    // something to say and for the last line done only, not for every file: it looks
    // again a few times a second all the same.
    void Work(zan::TZanPictureWriter& writer) {
        zan::TZanBarcodePicture picture = FPicture;
        for (std::size_t i = FNext++; i < FLines.size(); i = FNext++) {
            TLine& line = FLines[i];
            if (line.Failure.empty()) DrawLine(writer, picture, FOptions, line);
            const bool hasMessage = !line.Failure.empty() || !line.Note.empty();
            bool wake = false;
            {
                const std::lock_guard lock(FMutex);
                FDone[i] = true;
                wake = hasMessage || ++FDoneCount == FLines.size();
            }
            if (wake) FFinished.notify_one();
        }
    }

    // Writes each line's failure or note once it and the lines before it are done (a
    // fraction of a second later at most); returns once all are. A line is not touched
    // by its worker once it is done.
    void Report(std::ostream& errors, TProgress& progress) {
        for (std::size_t i = 0; i < FLines.size(); ++i) {
            {
                std::unique_lock lock(FMutex);
                while (!FFinished.wait_for(lock, ProgressInterval, [&] { return FDone[i]; })) progress.Update(i);
            }
            progress.Update(i);
            const TLine& line = FLines[i];
            if (line.Failure.empty() && line.Note.empty()) continue;
            progress.Clear();
            errors << "zanbarcode: line " << i + 1 << ": " << Printable(line.Failure.empty() ? line.Note : line.Failure)
                   << '\n';
        }
        progress.Clear();
    }

private:
    std::vector<TLine>& FLines;
    const zan::TZanBarcodePicture& FPicture;
    const TOptions& FOptions;
    std::atomic<std::size_t> FNext{0};
    std::mutex FMutex;
    std::condition_variable FFinished;
    std::vector<bool> FDone;     // guarded by FMutex
    std::size_t FDoneCount = 0;  // guarded by FMutex
};

std::size_t JobCount(const TOptions& options, std::size_t lines) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t asked = options.Jobs ? static_cast<std::size_t>(*options.Jobs) : cores;
    return std::clamp<std::size_t>(std::min<std::size_t>(asked, MaxJobs), 1, std::max<std::size_t>(lines, 1));
}

}  // namespace

int RunBatch(const TOptions& options, const TConsole& console) {
    const TNameTemplate names(options.OutputFile);
    // The symbology registry is filled here, before any worker starts, and only read from
    // then on: the workers share it without a lock. Nothing may register while they run.
    zan::RegisterBarcodeSymbologies();
    const zan::TZanBarcodePicture picture = PictureOf(options);
    SettingsOf(picture);
    std::error_code error;
    if (!std::filesystem::is_directory(names.Folder(), error))
        throw EUsageError("-o '%s': there is no folder '%s'", {options.OutputFile, names.Folder()});
    // Every worker has a writer, made here: a failure to make one stops the run before
    // any thread exists.
    std::vector<std::unique_ptr<zan::TZanPictureWriter>> writers;
    writers.push_back(std::make_unique<zan::TZanPictureWriter>(zan::TZanFileSync::Deferred));
    CheckBatchPicture(*writers.front(), picture, options, console.Errors);

    std::vector<TLine> lines = PrepareLines(ReadInput(options, console), options, names);
    if (lines.empty()) {
        console.Errors << "zanbarcode: the input holds no lines: no barcode drawn\n";
        return ExitFailure;
    }
    while (writers.size() < JobCount(options, lines.size()))
        writers.push_back(std::make_unique<zan::TZanPictureWriter>(zan::TZanFileSync::Deferred));

    TBatchRun run(lines, picture, options);
    TProgress progress(console.Errors, console.ErrorsOnTerminal && lines.size() >= LongBatch, lines.size());
    {
        std::vector<std::jthread> workers;
        for (const auto& writer : writers) workers.emplace_back([&run, &writer] { run.Work(*writer); });
        run.Report(console.Errors, progress);
    }

    const auto failed = [](const TLine& line) { return !line.Failure.empty(); };
    int status = ExitSuccess;
    if (std::any_of(lines.begin(), lines.end(), failed)) status = ExitFailure;
    if (std::any_of(lines.begin(), lines.end(), [](const TLine& line) { return line.OutOfMemory; }))
        status = ExitOutOfMemory;
    // The files were renamed into place unflushed; one flush for all of them.
    if (!std::all_of(lines.begin(), lines.end(), failed)) {
        try {
            zan::SyncFileSystem(names.Folder());
        } catch (const zan::platform::EInOutError& e) {
            console.Errors << "zanbarcode: " << Printable(e.Message()) << '\n';
            status = std::max(status, ExitFailure);
        }
    }
    return status;
}

}  // namespace zanbarcode
