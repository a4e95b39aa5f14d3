#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace zantest {

namespace {

std::string ReadAll(int fd) {
    std::string text;
    std::array<char, 4096> buffer{};
    ssize_t n = 0;
    while ((n = read(fd, buffer.data(), buffer.size())) > 0) text.append(buffer.data(), static_cast<std::size_t>(n));
    return text;
}

}  // namespace

TCommandResult RunCommand(const std::vector<std::string>& arguments) {
    // Output and errors go to temporary files, so a chatty child never blocks on a full pipe.
    char outName[] = "/tmp/zantest-out-XXXXXX";
    char errName[] = "/tmp/zantest-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    if (outFd < 0 || errFd < 0) throw std::runtime_error("cannot create temporary files");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    TCommandResult result;
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == 0) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else {
        result.Errors = "cannot start " + arguments.front();
    }
    lseek(outFd, 0, SEEK_SET);
    lseek(errFd, 0, SEEK_SET);
    result.Output = ReadAll(outFd);
    result.Errors += ReadAll(errFd);
    close(outFd);
    close(errFd);
    unlink(outName);
    unlink(errName);
    return result;
}

TCommandResult RunZanbarcode(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{ZANBARCODE_EXE};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunCommand(command);
}

std::vector<std::string> ScanWithZbar(const std::string& path, const std::vector<std::string>& zbarOptions) {
    std::vector<std::string> command{"zbarimg", "-q"};
    command.insert(command.end(), zbarOptions.begin(), zbarOptions.end());
    command.push_back(path);
    const TCommandResult result = RunCommand(command);
    std::vector<std::string> symbols;
    std::istringstream lines(result.Output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) symbols.push_back(line);
    return symbols;
}

std::string RenderPdfPage(const std::string& pdf, int dpi) {
    const std::string stem = pdf + "-" + std::to_string(dpi);
    const TCommandResult result =
        RunCommand({"pdftoppm", "-r", std::to_string(dpi), "-png", "-singlefile", "-f", "1", pdf, stem});
    return result.ExitStatus == 0 ? stem + ".png" : "";
}

std::string RenderEps(const std::string& eps, int dpi) {
    const std::string png = eps + "-" + std::to_string(dpi) + ".png";
    const TCommandResult result =
        RunCommand({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dEPSCrop", "-sDEVICE=png16m",
                    "-r" + std::to_string(dpi), "-sOutputFile=" + png, eps});
    return result.ExitStatus == 0 && result.Output.empty() ? png : "";
}

std::unique_ptr<zan::platform::TBitmap> LoadRenderedPng(const std::string& path) {
    auto bitmap = std::make_unique<zan::platform::TBitmap>();
    if (path.empty())
        ADD_FAILURE() << "the document was not rendered";
    else
        bitmap->LoadFromPngFile(path);
    return bitmap;
}

TPdfInfo ReadPdfInfo(const std::string& pdf) {
    const TCommandResult result = RunCommand({"pdfinfo", "-box", pdf});
    static const std::regex pages(R"re(\nPages: +(\d+)\n)re");
    static const std::regex mediaBox(R"re(\nMediaBox: +([-0-9.]+) +([-0-9.]+) +([-0-9.]+) +([-0-9.]+)\n)re");
    std::smatch m;
    TPdfInfo info;
    if (result.ExitStatus != 0 || !std::regex_search(result.Output, m, pages)) return info;
    info.Pages = std::stoi(m[1]);
    if (std::regex_search(result.Output, m, mediaBox)) {
        info.PageWidth = std::stod(m[3]) - std::stod(m[1]);
        info.PageHeight = std::stod(m[4]) - std::stod(m[2]);
    }
    return info;
}

TEpsBox ReadEpsHiResBox(const std::string& eps) {
    const std::string text = ReadFile(eps);
    const std::size_t at = text.find("\n%%HiResBoundingBox: ");
    TEpsBox box;
    if (at == std::string::npos) return box;
    TEpsBox read;
    if (std::sscanf(text.c_str() + at, "\n%%%%HiResBoundingBox: %lf %lf %lf %lf", &read.Left, &read.Bottom, &read.Right,
                    &read.Top) == 4)
        box = read;
    return box;
}

std::string ReadWithZxing(int width, int height, const std::vector<std::uint8_t>& gray, bool requireAddOn) {
    char pictureName[] = "/tmp/zantest-gray-XXXXXX";
    const int fd = mkstemp(pictureName);
    if (fd < 0) throw std::runtime_error("cannot create a temporary file");
    const bool written = write(fd, gray.data(), gray.size()) == static_cast<ssize_t>(gray.size());
    close(fd);
    if (!written) throw std::runtime_error("cannot write the picture for zxing-cpp");
    // One symbol: the reader of several (read_barcodes) in Debian's zxing-cpp 1.4 reports an
    // EAN/UPC symbol once with and once without its add-on, and aborts on an assertion
    // when it merges some of them.
    static const char* const script = R"py(
import sys, numpy, zxingcpp
path, width, height, add_on = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
picture = numpy.fromfile(path, dtype=numpy.uint8).reshape(height, width)
result = zxingcpp.read_barcode(picture, ean_add_on_symbol=getattr(zxingcpp.EanAddOnSymbol, add_on))
if result is not None and result.valid:
    print(result.format.name + ":" + result.text)
)py";
    // Debian's interpreter, for which python3-zxing-cpp is installed, whatever else the
    // path holds.
    const TCommandResult result = RunCommand({"/usr/bin/python3", "-c", script, pictureName, std::to_string(width),
                                              std::to_string(height), requireAddOn ? "Require" : "Ignore"});
    unlink(pictureName);
    if (result.ExitStatus != 0) throw std::runtime_error("zxing-cpp failed: " + result.Errors);
    std::string symbol = result.Output;
    if (!symbol.empty() && symbol.back() == '\n') symbol.pop_back();
    return symbol;
}

std::string TestOutputDir(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(TEST_OUTPUT_ROOT) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::vector<TSvgRect> ReadSvgRects(const std::string& svg) {
    static const std::regex rectPattern(
        R"re(<rect x="(-?\d+)" y="(-?\d+)" width="(\d+)" height="(\d+)" fill="(#[0-9A-Fa-f]{6})")re");
    std::vector<TSvgRect> rects;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rectPattern); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        rects.push_back({std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), m[5]});
    }
    return rects;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace zantest
