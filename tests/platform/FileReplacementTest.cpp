#include <zanbarcode/platform/FileReplacement.h>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/Metafile.h>

namespace {

using namespace zan::platform;
namespace fs = std::filesystem;

// A folder of its own for each test, emptied before and removed after.
class ReplaceFileTest : public testing::Test {
protected:
    void SetUp() override {
        FFolder = fs::path(testing::TempDir()) /
                  ("zan-replace-" + std::to_string(::getpid()) + "-" +
                   testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FFolder);
        fs::create_directories(FFolder);
    }
    void TearDown() override { fs::remove_all(FFolder); }

    std::string PathOf(const std::string& name) const { return (FFolder / name).string(); }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(FFolder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::string Read(const std::string& path) {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }

    static void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

private:
    fs::path FFolder;
};

void Replace(const std::string& fileName, const std::string& text, TFileSync sync = TFileSync::EachFile) {
    ReplaceFile(fileName, std::as_bytes(std::span(text)), sync);
}

// The disk refuses what goes beyond Bytes in any one file, as a full disk would: a file
// size limit, with SIGXFSZ ignored so that the write fails with EFBIG. Put back on
// leaving; each test runs in a process of its own.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, FOld.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

TEST_F(ReplaceFileTest, WritesANewFileAndReplacesAnOlderOneTouchingNoOther) {
    for (const char* neighbour : {"form.zfm.tmp", ".form.zfm", ".form.zfm-AAAAAA", "form.zfm~"})
        Write(PathOf(neighbour), "a neighbour");
    const std::vector<std::string> before = Entries();

    Replace(PathOf("form.zfm"), "first");
    EXPECT_EQ(Read(PathOf("form.zfm")), "first");
    Replace(PathOf("form.zfm"), "second, and longer", TFileSync::Deferred);
    EXPECT_EQ(Read(PathOf("form.zfm")), "second, and longer");
    Replace(PathOf("form.zfm"), "");
    EXPECT_EQ(Read(PathOf("form.zfm")), "");

    std::vector<std::string> expected = before;
    expected.push_back("form.zfm");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(), expected);
    for (const std::string& name : before) EXPECT_EQ(Read(PathOf(name)), "a neighbour") << name;

    // A name as long as the system allows is written; one byte longer is the system's refusal.
    const std::string longest = PathOf(std::string(NAME_MAX, 'n'));
    Replace(longest, "long");
    Replace(longest, "longer");
    EXPECT_EQ(Read(longest), "longer");
    const std::string tooLong = PathOf(std::string(NAME_MAX + 1, 'n'));
    try {
        Replace(tooLong, "x");
        ADD_FAILURE() << "a name beyond NAME_MAX was written";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Cannot write the file '" + tooLong + "': File name too long");
    }
}

TEST_F(ReplaceFileTest, RefusalsNameTheFileAndTheReasonAndLeaveNothing) {
    fs::create_directory(PathOf("folder"));
    const std::string withNul = PathOf("x") + std::string(1, '\0') + ".txt";
    for (const auto& [name, reason] : std::vector<std::pair<std::string, std::string>>{
             {PathOf("missing/x.txt"), "No such file or directory"},
             {PathOf("folder"), "Is a directory"},
             {withNul, "a file name cannot hold a NUL byte"},
         }) {
        try {
            Replace(name, "text");
            ADD_FAILURE() << name << " was written";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), "Cannot write the file '" + name + "': " + reason);
        }
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"folder"});
    EXPECT_TRUE(fs::is_empty(PathOf("folder")));
}

TEST_F(ReplaceFileTest, ALinkIsFollowedAndAFileThatIsNoPlainFileIsWrittenIntoWhereItStands) {
    // The file a link names is replaced, in its own folder; the link stays a link.
    fs::create_directory(PathOf("labels"));
    Write(PathOf("labels/today.svg"), "yesterday's label");
    fs::create_symlink("labels/today.svg", PathOf("current.svg"));
    Replace(PathOf("current.svg"), "today's label");
    EXPECT_TRUE(fs::is_symlink(PathOf("current.svg")));
    EXPECT_EQ(Read(PathOf("labels/today.svg")), "today's label");
    // A link to a file still to be made makes it.
    fs::create_symlink("labels/tomorrow.svg", PathOf("next.svg"));
    Replace(PathOf("next.svg"), "tomorrow's label");
    EXPECT_TRUE(fs::is_symlink(PathOf("next.svg")));
    EXPECT_EQ(Read(PathOf("labels/tomorrow.svg")), "tomorrow's label");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"current.svg", "labels", "next.svg"}));

    // A device takes the bytes itself (nothing can stand in its place), and its refusal is
    // the save's: /dev/full accepts the file but not its bytes.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    fs::create_symlink("/dev/full", PathOf("full.svg"));
    try {
        Replace(PathOf("full.svg"), "text");
        ADD_FAILURE() << "a write to /dev/full passed for done";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Cannot write the file '" + PathOf("full.svg") + "': No space left on device");
    }
    EXPECT_TRUE(fs::is_symlink(PathOf("full.svg")));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    // A pipe, as a printer's spooler might read the label from.
    ASSERT_EQ(mkfifo(PathOf("spool.svg").c_str(), 0600), 0);
    const int reader = open(PathOf("spool.svg").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Replace(PathOf("spool.svg"), "a label");
    std::array<char, 16> received{};
    EXPECT_EQ(read(reader, received.data(), received.size()), 7);
    EXPECT_EQ(std::string(received.data()), "a label");
    close(reader);
    EXPECT_TRUE(fs::is_fifo(PathOf("spool.svg")));
}

TEST_F(ReplaceFileTest, AFailedWriteOfAnyPictureKeepsTheOlderFileAndLeavesNoOther) {
    // Pictures well beyond the limit below in every format.
    TBitmap bitmap;
    bitmap.SetSize(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) bitmap.SetPixel(x, y, RgbColor(x * 7 % 256, y * 13 % 256, x * y % 256));
    TMetafile metafile;
    metafile.SetWidth(100);
    metafile.SetHeight(100);
    {
        TMetafileCanvas canvas(metafile, &bitmap.GetCanvas());
        for (int i = 0; i < 100; ++i) canvas.FillRect(Rect(i, 0, i + 1, i + 1));
    }
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> savers = {
        {"raw.txt", [](const std::string& name) { Replace(name, std::string(4096, 'x')); }},
        {"picture.png", [&bitmap](const std::string& name) { bitmap.SaveToPngFile(name); }},
        {"picture.bmp", [&bitmap](const std::string& name) { bitmap.SaveToBmpFile(name); }},
        {"any.bmp", [&bitmap](const std::string& name) { bitmap.SaveToFile(name); }},
        {"drawing.svg", [&metafile](const std::string& name) { metafile.SaveToFile(name); }},
        {"drawing.eps", [&metafile](const std::string& name) { metafile.SaveToFile(name); }},
    };
    for (const auto& [name, save] : savers) Write(PathOf(name), "the older " + name);
    const std::vector<std::string> before = Entries();

    const TFileSizeLimit limit(1024);
    for (const auto& [name, save] : savers) {
        try {
            save(PathOf(name));
            ADD_FAILURE() << name << " was written beyond the limit";
        } catch (const EInOutError& e) {
            EXPECT_NE(e.Message().find(PathOf(name)), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find("File too large"), std::string::npos) << e.Message();
        }
        EXPECT_EQ(Read(PathOf(name)), "the older " + name);
    }
    EXPECT_EQ(Entries(), before);
}

}  // namespace
