#include <zanbarcode/platform/FileReplacement.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <utility>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

namespace {

// "Cannot write the file '<target>': <the system's reason>", from errno.
EInOutError WriteError(const std::string& target) {
    return EInOutError("Cannot write the file '%s': %s", {target, std::string(std::strerror(errno))});
}

// Writes all of Bytes to Fd, raising WriteError(Name) on failure.
void WriteAll(int fd, std::span<const std::byte> bytes, const std::string& name) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) throw WriteError(name);
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
}

// As many links as the system follows in one name before it gives up (ELOOP).
constexpr int MaxLinksFollowed = 40;

// The file that a name stands for, symbolic links followed, even to a file still to be
// made: the file a link points to is replaced, and the link stays a link.
struct TNamedFile {
    std::filesystem::path Path;
    // A device, a pipe or a socket: no file can take its place, so it takes the bytes itself.
    bool Special = false;
};

// One lstat for a name that is no link, which is nearly every name.
TNamedFile NamedFile(const std::string& target) {
    TNamedFile file{target};
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::symlink_status(file.Path, error);
    for (int links = 0; std::filesystem::is_symlink(status); ++links) {
        if (links == MaxLinksFollowed) {
            errno = ELOOP;
            throw WriteError(target);
        }
        const std::filesystem::path next = std::filesystem::read_symlink(file.Path, error);
        if (error) break;
        file.Path = next.is_absolute() ? next : file.Path.parent_path() / next;
        status = std::filesystem::symlink_status(file.Path, error);
    }
    file.Special = std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
                   !std::filesystem::is_directory(status);
    return file;
}

void WriteIntoSpecialFile(const std::string& target, const std::string& file, std::span<const std::byte> bytes) {
    const int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) throw WriteError(target);
    try {
        WriteAll(fd, bytes, target);
    } catch (...) {
        close(fd);
        throw;
    }
    if (close(fd) != 0) throw WriteError(target);
}

// As many tries at a temporary name as mkstemp makes before it gives up.
constexpr int TemporaryNameAttempts = 100;

// The temporary file beside Target: ".<name>-" and six random letters and digits, the
// target's name shortened so that the temporary name stays within NAME_MAX whatever the
// target's length (a target name of NAME_MAX bytes is valid and must be writable).
class TTemporaryName {
public:
    explicit TTemporaryName(const std::string& target) {
        const std::filesystem::path path(target);
        const std::string name = path.filename().string().substr(0, NAME_MAX - 1 - 1 - RandomLength);
        FName = (path.parent_path() / ("." + name + "-" + std::string(RandomLength, '0'))).string();
    }

    // Draws new random letters; the name, until the next call.
    const std::string& Next() {
        static constexpr std::string_view Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        // One generator a thread, seeded once: workers draw names side by side without a lock.
        thread_local std::minstd_rand generator(std::random_device{}());
        std::uniform_int_distribution<std::size_t> letter(0, Letters.size() - 1);
        for (std::size_t i = FName.size() - RandomLength; i < FName.size(); ++i) FName[i] = Letters[letter(generator)];
        return FName;
    }

private:
    static constexpr std::size_t RandomLength = 6;
    std::string FName;
};

// Creates a new file under a fresh temporary name beside Target, with the permissions
// that any new file gets (0666 less the umask, or the folder's default ACL), so that the
// file needs no change of mode before it takes the target's name. Sets Name to it.
int CreateTemporaryFile(const std::string& target, std::string& name) {
    TTemporaryName temporary(target);
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        name = temporary.Next();
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The name under which the system shows an open file to its process.
std::string OpenFileName(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A new file without a name in Target's folder (O_TMPFILE), with the permissions of any
// new file: it takes its name in one step, and a failure leaves nothing to remove. -1
// where the file system has no such files, or the process cannot name them through /proc.
int CreateUnnamedFile(const std::string& target) {
    if (access("/proc/self/fd", X_OK) != 0) return -1;
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

// A file beside a target, put in its place by ReplaceTarget and removed otherwise, so
// that nobody ever sees a half-written target. Every failure raises EInOutError naming
// the target and the system's reason.
class TReplacementFile {
public:
    // Target is the name given, which errors name; File is the file to replace.
    TReplacementFile(const std::string& target, const std::string& file)
        : FTarget(target), FFile(file), FFd(CreateUnnamedFile(file)) {
        if (FFd < 0) FFd = CreateTemporaryFile(file, FName);
        if (FFd < 0) throw WriteError(FTarget);
    }
    ~TReplacementFile() {
        if (FFd >= 0) close(FFd);
        if (!FReplaced && !FName.empty()) unlink(FName.c_str());
    }
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    void Write(std::span<const std::byte> bytes) { WriteAll(FFd, bytes, FTarget); }

    void ReplaceTarget(TFileSync sync) {
        // Flushed before it takes the name, so that a crash after it finds the bytes, not an empty file.
        if (sync == TFileSync::EachFile && fsync(FFd) != 0) throw WriteError(FTarget);
        if (FName.empty()) {
            // A new target: the unnamed file takes its name in one step.
            if (Link(FFile)) {
                Close();
                FReplaced = true;
                return;
            }
            // A target that exists is replaced by a rename, as a named file would be.
            NameTemporarily();
        }
        Close();
        if (std::rename(FName.c_str(), FFile.c_str()) != 0) throw WriteError(FTarget);
        FReplaced = true;
    }

private:
    // Gives the unnamed file Name; false when a file of that name exists.
    bool Link(const std::string& name) const {
        if (linkat(AT_FDCWD, OpenFileName(FFd).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno != EEXIST) throw WriteError(FTarget);
        return false;
    }

    void NameTemporarily() {
        TTemporaryName temporary(FFile);
        for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
            const std::string& name = temporary.Next();
            if (Link(name)) {
                FName = name;
                return;
            }
        }
        errno = EEXIST;
        throw WriteError(FTarget);
    }

    void Close() {
        if (close(std::exchange(FFd, -1)) != 0) throw WriteError(FTarget);
    }

    std::string FTarget;
    std::string FFile;
    std::string FName;  // a named file's, set before FFd is made; empty for an unnamed file
    int FFd;
    bool FReplaced = false;
};

}  // namespace

void ReplaceFile(const std::string& fileName, std::span<const std::byte> bytes, TFileSync sync) {
    const TNamedFile file = NamedFile(CheckFileName(fileName, "write"));
    if (file.Special) {
        WriteIntoSpecialFile(fileName, file.Path.string(), bytes);
        return;
    }
    TReplacementFile replacement(fileName, file.Path.string());
    replacement.Write(bytes);
    replacement.ReplaceTarget(sync);
}

void SyncFileSystem(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw WriteError(path);
    // Closed after the error is read, so that errno still tells why syncing failed.
    const struct TCloser {
        int Fd;
        ~TCloser() { close(Fd); }
    } closer{fd};
    if (syncfs(fd) != 0) throw WriteError(path);
}

}  // namespace zan::platform
