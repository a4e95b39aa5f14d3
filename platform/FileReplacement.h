#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace zan::platform {

// How a written file reaches the disk.
enum class TFileSync {
    // Each file is flushed to disk before it takes its name: after a system crash it is
    // there whole or not at all. Costs a disk round trip a file (milliseconds).
    EachFile,
    // Files take their names unflushed; whoever writes many flushes them together with
    // SyncFileSystem. Nobody sees a partial file still, but a system crash before that
    // flush can leave files of the run empty.
    Deferred,
};

// Writes Bytes to FileName so that nobody ever sees a half-written file: they go to a
// file of no name, or of a fresh temporary name, beside FileName, which then takes its
// place in one step. A symbolic link is followed: the file it points to is replaced and
// the link stays. A device or a pipe, which nothing can stand in for, takes the bytes
// itself. A failure leaves FileName and every other file as they were, and raises
// EInOutError "Cannot write the file '<name>': <the system's reason>".
void ReplaceFile(const std::string& fileName, std::span<const std::byte> bytes, TFileSync sync);

// Flushes everything written to the file system that holds Path (syncfs). Raises
// EInOutError naming Path and the system's reason.
void SyncFileSystem(const std::string& path);

}  // namespace zan::platform
