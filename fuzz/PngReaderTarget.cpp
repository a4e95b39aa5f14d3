// Fuzz target: the bitmap's PNG reader, fed through a file.
//
// Input: a mode byte, then the bytes of the file. With bit 0 of the mode set, the CRC of
// every complete chunk is put right first, so that mutations reach past libpng's CRC
// check into the chunk data; with it clear the bytes are read as they stand.
//
// Checks: a file is read or refused with the library's EInOutError; a refusal costs
// little memory, whatever size the file declares; a picture that was read has a size a
// bitmap holds, and saving it as PNG and reading it back gives the same pixels and
// resolution.
#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Exception.h>
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/PixelChecks.h"

namespace zanfuzz {

namespace {

constexpr std::uint8_t RepairChecksums = 1;
constexpr std::int64_t MaxRoundTripPixels = std::int64_t{1} << 20;
// Growth of the process's peak memory that a refused file may cause.
constexpr long MaxRefusalKilobytes = 256 * 1024;

constexpr std::string_view PngSignature("\x89PNG\r\n\x1a\n", 8);

// CRC-32 of PNG chunks, from the sample code of ISO/IEC 15948 Annex D.
constexpr std::array<std::uint32_t, 256> CrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();
static_assert(CrcTable[1] == 0x77073096u);

std::uint32_t Crc(std::string_view bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char byte : bytes) c = CrcTable[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Chunks after the signature: length (4), type (4), data, CRC of type and data (4).
// Visit(offset, declared length) sees each chunk header, the last one possibly of a
// chunk that the file cuts short.
template <class Visit>
void ForEachChunk(std::string_view file, Visit visit) {
    if (!file.starts_with(PngSignature)) return;
    for (std::size_t at = PngSignature.size(); at + 8 <= file.size();) {
        const std::uint64_t length = BigEndian32(file, at);
        visit(at, length);
        at += 12 + length;
    }
}

void RepairChunkChecksums(std::string& file) {
    ForEachChunk(file, [&file](std::size_t at, std::uint64_t length) {
        if (at + 12 + length > file.size()) return;
        const std::uint32_t crc = Crc(std::string_view(file).substr(at + 4, 4 + length));
        for (std::size_t i = 0; i < 4; ++i) file[at + 8 + length + i] = static_cast<char>(crc >> (24 - 8 * i));
    });
}

}  // namespace

void FuzzPngReader(std::string_view input) {
    if (input.empty()) return;
    const auto mode = static_cast<std::uint8_t>(input.front());
    std::string file(input.substr(1));
    if (mode & RepairChecksums) RepairChunkChecksums(file);

    static const TScratchDir scratch("png");
    const std::string path = (scratch.Path() / "input.png").string();
    const std::string copyPath = (scratch.Path() / "copy.png").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(file.data(), static_cast<std::streamsize>(file.size()));

    zan::platform::TBitmap bitmap;
    const long peakBefore = PeakMemoryKilobytes();
    try {
        bitmap.LoadFromPngFile(path);
    } catch (const zan::platform::EInOutError&) {
        Check(bitmap.GetWidth() == 0 && bitmap.GetHeight() == 0, "a refused file leaves the bitmap as it was");
        Check(PeakMemoryKilobytes() - peakBefore <= MaxRefusalKilobytes, "a refused file costs little memory");
        return;
    }
    const std::int64_t pixels = std::int64_t{bitmap.GetWidth()} * bitmap.GetHeight();
    Check(bitmap.GetWidth() > 0 && bitmap.GetHeight() > 0 && pixels <= zan::platform::MaxPngPixels,
          "a picture read is within the reader's limit");
    if (pixels > MaxRoundTripPixels) return;
    bitmap.SaveToPngFile(copyPath);
    zan::platform::TBitmap copy;
    copy.LoadFromPngFile(copyPath);
    Check(SamePicture(bitmap, copy), "a picture saved as PNG reads back the same");
}

}  // namespace zanfuzz
