// Throughput of this library and of Zint on the same symbols at the same pixel size, side
// by side in one run: the commands in batch mode, file-writing loops, one symbol painted
// in memory, and resident memory over many symbols. Prints a Markdown table.
//
// Matching the pictures: ours are drawn at 300 pixels per inch with the symbologies'
// default XDimension of 10 thousandths of an inch, so a module is 3 pixels wide, and with
// bars half an inch (150 pixels) long and quiet zones of 10 modules. Zint's raster module
// is 2 pixels at scale 1, so scale 1.5 gives 3 pixels; its height is counted in modules
// (50 x 3 = 150 pixels); whitespace_width 10 gives the same quiet zones. Both draw the
// human-readable line under the bars, in fonts of their own, which leaves the pictures a
// few pixels apart in height (EAN 13: 410 x 178 ours, 399 x 174 Zint's; Code 128:
// 528 x 199 and 528 x 174). Code 128 captions are letters only, so that both encode them
// in code set B and get symbols of equal length. SVG files are written at the same sizes.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <zint.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <zanbarcode/barcode/ZanBarcode.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct TSettings {
    std::string Zint = "zint";
    std::string Zanbarcode;
    fs::path Work;
    int Repetitions = 3;
    int Symbols = 5000;
    int MemorySymbols = 100000;
};

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// ---------------------------------------------------------------------------------------
// The data: the same captions for both

enum class TCode { Ean13, Code128 };

std::vector<std::string> Captions(TCode code, int count) {
    std::vector<std::string> captions;
    std::uint32_t state = 12345;  // a fixed sequence: every run draws the same symbols
    const auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    for (int i = 0; i < count; ++i) {
        std::string caption;
        if (code == TCode::Ean13) {
            for (int digit = 0; digit < 12; ++digit) caption += static_cast<char>('0' + (next() >> 16) % 10);
        } else {
            caption = "ITEM-";
            for (int letter = 0; letter < 6; ++letter) caption += static_cast<char>('A' + (next() >> 16) % 26);
        }
        captions.push_back(caption);
    }
    return captions;
}

std::string SymbologyName(TCode code) { return code == TCode::Ean13 ? "EAN 13" : "Code 128"; }
int ZintSymbology(TCode code) { return code == TCode::Ean13 ? BARCODE_EANX : BARCODE_CODE128; }

// ---------------------------------------------------------------------------------------
// Commands

// Runs Arguments with standard output discarded; seconds it took.
double RunTimed(const std::vector<std::string>& arguments) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot run " + arguments[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = SecondsSince(start);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(arguments[0] + " failed (status " + std::to_string(status) + ")");
    return seconds;
}

// Both read the captions from Input, one a line, and write Out, ~ numbering the files.
std::vector<std::string> ZintCommand(const TSettings& s, TCode code, const fs::path& input, const fs::path& out) {
    return {s.Zint,        "--batch",     "-b", std::to_string(ZintSymbology(code)), "--scale=1.5", "--height=50",
            "--whitesp=10", "-i",          input.string(), "-o", out.string()};
}

std::vector<std::string> OurCommand(const TSettings& s, TCode code, const fs::path& input, const fs::path& out) {
    return {s.Zanbarcode, "--batch", "-s", SymbologyName(code), "-r", "300", "-i", input.string(), "-o", out.string()};
}

// A folder of its own for each run's files, never used before. The files stay until the
// end: on ext4 a file made within half a minute of many deletions costs the kernel a
// search past every inode just freed (it avoids reusing them), which would charge the
// cleaning up of one run to whichever tool ran next.
fs::path FreshFolder(const TSettings& s, const std::string& name) {
    for (int run = 1;; ++run) {
        const fs::path folder = s.Work / "runs" / (name + "-" + std::to_string(run));
        if (fs::create_directories(folder)) return folder;
    }
}

// ---------------------------------------------------------------------------------------
// Library loops

void ZintLoop(TCode code, const std::vector<std::string>& captions, const fs::path& folder, const std::string& ext) {
    zint_symbol* symbol = ZBarcode_Create();
    for (std::size_t i = 0; i < captions.size(); ++i) {
        ZBarcode_Clear(symbol);
        symbol->symbology = ZintSymbology(code);
        symbol->scale = 1.5f;
        symbol->height = 50;
        symbol->whitespace_width = 10;
        const std::string file = (folder / (std::to_string(i) + ext)).string();
        std::snprintf(symbol->outfile, sizeof symbol->outfile, "%s", file.c_str());
        const std::string& c = captions[i];
        if (ZBarcode_Encode_and_Print(symbol, reinterpret_cast<const unsigned char*>(c.data()),
                                      static_cast<int>(c.size()), 0) >= ZINT_ERROR)
            throw std::runtime_error(std::string("Zint: ") + symbol->errtxt);
    }
    ZBarcode_Delete(symbol);
}

// One writer for the loop, as the README advises; files flushed together at the end, as
// Zint does not flush them at all.
void OurLoop(TCode code, const std::vector<std::string>& captions, const fs::path& folder, const std::string& ext) {
    zan::TZanPictureWriter writer(zan::TZanFileSync::Deferred);
    zan::TZanBarcodePicture picture{.Symbology = SymbologyName(code), .Dpi = 300};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        picture.Caption = captions[i];
        writer.SaveToFile(picture, (folder / (std::to_string(i) + ext)).string());
    }
    zan::SyncFileSystem(folder.string());
}

// ---------------------------------------------------------------------------------------
// In memory

// Paints Count EAN 13 symbols into a bitmap in memory, one after another.
class TZintPainter {
public:
    TZintPainter() : FSymbol(ZBarcode_Create()) {}
    ~TZintPainter() { ZBarcode_Delete(FSymbol); }
    TZintPainter(const TZintPainter&) = delete;
    TZintPainter& operator=(const TZintPainter&) = delete;
    void Paint(const std::string& caption) {
        ZBarcode_Clear(FSymbol);
        FSymbol->symbology = BARCODE_EANX;
        FSymbol->scale = 1.5f;
        FSymbol->height = 50;
        FSymbol->whitespace_width = 10;
        if (ZBarcode_Encode_and_Buffer(FSymbol, reinterpret_cast<const unsigned char*>(caption.data()),
                                       static_cast<int>(caption.size()), 0) >= ZINT_ERROR)
            throw std::runtime_error(std::string("Zint: ") + FSymbol->errtxt);
    }

private:
    zint_symbol* FSymbol;
};

class TOurPainter {
public:
    void Paint(const std::string& caption) {
        FPicture.Caption = caption;
        FWriter.Draw(FPicture);
    }

private:
    zan::TZanPictureWriter FWriter;
    zan::TZanBarcodePicture FPicture{.Symbology = "EAN 13", .Dpi = 300};
};

// Kilobytes resident, from /proc/self/status.
long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// ---------------------------------------------------------------------------------------
// The table

struct TRow {
    std::string Workload;
    std::string Unit;  // "/s" (higher is better) or "us" (lower is better)
    std::vector<double> Zint{};
    std::vector<double> Ours{};
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Shown(double value, const std::string& unit) {
    char text[64];
    std::snprintf(text, sizeof text, unit == "us" ? "%.1f us" : "%.0f/s", value);
    return text;
}

void PrintRow(const TRow& row) {
    const double zint = Median(row.Zint);
    const double ours = Median(row.Ours);
    // Ours against Zint's, as a speed: above 1 is faster.
    const double ratio = row.Unit == "us" ? zint / ours : ours / zint;
    std::printf("| %s | %s | %s | %.2f |\n", row.Workload.c_str(), Shown(zint, row.Unit).c_str(),
                Shown(ours, row.Unit).c_str(), ratio);
    std::fflush(stdout);
}

// Runs Zint's and our measurement alternately, Repetitions times each, Zint first every
// other time, so that both see the machine in the same state.
void Interleave(const TSettings& s, TRow& row, const std::function<double()>& zint,
                const std::function<double()>& ours) {
    for (int r = 0; r < s.Repetitions; ++r) {
        if (r % 2 == 0) {
            row.Zint.push_back(zint());
            row.Ours.push_back(ours());
        } else {
            row.Ours.push_back(ours());
            row.Zint.push_back(zint());
        }
    }
    PrintRow(row);
}

void CommandRows(const TSettings& s) {
    for (const TCode code : {TCode::Ean13, TCode::Code128}) {
        const std::vector<std::string> captions = Captions(code, s.Symbols);
        const fs::path input = s.Work / (SymbologyName(code) + ".txt");
        {
            std::ofstream file(input);
            for (const std::string& caption : captions) file << caption << '\n';
        }
        for (const std::string ext : {".png", ".svg"}) {
            TRow row{.Workload = SymbologyName(code) + " " + (ext == ".png" ? "PNG" : "SVG") + ", command --batch, " +
                                 std::to_string(s.Symbols) + " symbols",
                     .Unit = "/s"};
            const auto run = [&](bool zint) {
                const fs::path folder = FreshFolder(s, zint ? "zint" : "ours");
                const fs::path out = folder / ("~~~~~~" + ext);
                const double seconds =
                    RunTimed(zint ? ZintCommand(s, code, input, out) : OurCommand(s, code, input, out));
                if (static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator())) !=
                    s.Symbols)
                    throw std::runtime_error("a command did not write every file");
                return s.Symbols / seconds;
            };
            Interleave(s, row, [&] { return run(true); }, [&] { return run(false); });
        }
    }
}

void LoopRows(const TSettings& s) {
    for (const TCode code : {TCode::Ean13, TCode::Code128}) {
        const std::vector<std::string> captions = Captions(code, s.Symbols);
        for (const std::string ext : {".png", ".svg"}) {
            TRow row{.Workload = SymbologyName(code) + " " + (ext == ".png" ? "PNG" : "SVG") +
                                 ", library loop writing files, one thread",
                     .Unit = "/s"};
            const auto run = [&](bool zint) {
                const fs::path folder = FreshFolder(s, zint ? "zint" : "ours");
                const Clock::time_point start = Clock::now();
                (zint ? ZintLoop : OurLoop)(code, captions, folder, ext);
                return s.Symbols / SecondsSince(start);
            };
            Interleave(s, row, [&] { return run(true); }, [&] { return run(false); });
        }
    }
}

template <class Painter>
double MicrosecondsPerSymbol(Painter& painter, const std::vector<std::string>& captions) {
    const Clock::time_point start = Clock::now();
    for (const std::string& caption : captions) painter.Paint(caption);
    return SecondsSince(start) * 1e6 / static_cast<double>(captions.size());
}

void MemoryRows(const TSettings& s) {
    const std::vector<std::string> captions = Captions(TCode::Ean13, 1000);
    TZintPainter zint;
    TOurPainter ours;
    // Warmed up: faces opened, caches filled.
    MicrosecondsPerSymbol(zint, captions);
    MicrosecondsPerSymbol(ours, captions);
    TRow paint{.Workload = "EAN 13 painted into a 300-dpi bitmap in memory", .Unit = "us"};
    Interleave(s, paint, [&] { return MicrosecondsPerSymbol(zint, captions); },
               [&] { return MicrosecondsPerSymbol(ours, captions); });

    // Resident memory of the process as our painter draws on: after 1 000 symbols and
    // after MemorySymbols in all. Zint's painter, which has drawn as many above, is
    // measured in the same process and adds nothing that grows.
    TOurPainter fresh;
    for (int i = 0; i < 1000; ++i) fresh.Paint(captions[static_cast<std::size_t>(i) % captions.size()]);
    const long after1000 = ResidentKilobytes();
    for (int i = 1000; i < s.MemorySymbols; ++i) fresh.Paint(captions[static_cast<std::size_t>(i) % captions.size()]);
    const long afterAll = ResidentKilobytes();
    std::printf("| resident memory, ours: after 1 000 EAN 13 / after %d | %.1f MB | %.1f MB | %+.1f%% |\n",
                s.MemorySymbols, after1000 / 1024.0, afterAll / 1024.0,
                100.0 * static_cast<double>(afterAll - after1000) / static_cast<double>(after1000));
}

TSettings ReadSettings(int argc, char** argv) {
    TSettings s;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--zint") s.Zint = value;
        else if (name == "--zanbarcode") s.Zanbarcode = value;
        else if (name == "--work") s.Work = value;
        else if (name == "--repetitions") s.Repetitions = std::stoi(value);
        else if (name == "--symbols") s.Symbols = std::stoi(value);
        else if (name == "--memory-symbols") s.MemorySymbols = std::stoi(value);
        else throw std::runtime_error("unknown option " + name);
    }
    if (s.Zanbarcode.empty() || s.Work.empty())
        throw std::runtime_error(
            "usage: zan_bench --zanbarcode PATH --work DIR [--zint PATH] [--repetitions N] [--symbols N] "
            "[--memory-symbols N]");
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const TSettings s = ReadSettings(argc, argv);
        // Registered before anything is drawn, as a program with threads must.
        zan::RegisterBarcodeSymbologies();
        fs::create_directories(s.Work);
        std::printf("Medians of %d interleaved repetitions; ratio: this project's speed over Zint's.\n\n",
                    s.Repetitions);
        std::printf("| workload | Zint | this project | project / Zint |\n|---|---|---|---|\n");
        CommandRows(s);
        LoopRows(s);
        MemoryRows(s);
        fs::remove_all(s.Work / "runs");
        return 0;
    } catch (const zan::platform::Exception& e) {
        std::fprintf(stderr, "zan_bench: %s\n", e.Message().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zan_bench: %s\n", e.what());
        return 1;
    }
}
