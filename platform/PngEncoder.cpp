#include "platform/PngEncoder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

namespace {

// ---------------------------------------------------------------------------------------
// Colours and the form of the picture

// The distinct colours of a picture in the order they first appear, up to 256 of them,
// with a lookup from colour to index.
class TColorTable {
public:
    static constexpr std::size_t MaxColors = 256;

    // Adds Color unless it is there; false when it would be one colour too many.
    bool Add(TColor color) {
        std::size_t slot = Slot(color);
        while (FKeys[slot] != color) {
            if (FKeys[slot] == Empty) {
                if (FColors.size() == MaxColors) return false;
                FKeys[slot] = color;
                FIndices[slot] = static_cast<std::uint8_t>(FColors.size());
                FColors.push_back(color);
                return true;
            }
            slot = (slot + 1) % Slots;
        }
        return true;
    }

    // The index of a colour that was added.
    std::uint8_t IndexOf(TColor color) const {
        std::size_t slot = Slot(color);
        while (FKeys[slot] != color) slot = (slot + 1) % Slots;
        return FIndices[slot];
    }

    const std::vector<TColor>& Colors() const { return FColors; }

private:
    // Twice as many slots as colours, so that probe sequences stay short. No pixel has
    // its top byte set, so Empty marks a free slot.
    static constexpr std::size_t Slots = 2 * MaxColors;
    static constexpr TColor Empty = 0xFFFFFFFF;

    static std::size_t Slot(TColor color) { return (color * 2654435761u) >> 23; }  // 9 bits: 0..511

    static constexpr std::array<TColor, Slots> AllEmpty() {
        std::array<TColor, Slots> keys{};
        keys.fill(Empty);
        return keys;
    }

    std::array<TColor, Slots> FKeys = AllEmpty();
    std::array<std::uint8_t, Slots> FIndices{};
    std::vector<TColor> FColors;
};

// PNG colour types (ISO/IEC 15948, 6.1).
enum TPngColorType : std::uint8_t { ctGrey = 0, ctRgb = 2, ctPalette = 3 };

// The grey levels of a grey PNG of Depth bits a pixel are the multiples of this.
constexpr int GreyStep(int depth) { return 255 / ((1 << depth) - 1); }

// How the picture is stored.
struct TPngForm {
    TPngColorType ColorType = ctRgb;
    int BitDepth = 8;
    TColorTable Colors;  // the palette; filled for every picture of up to 256 colours

    std::array<std::uint8_t, TColorTable::MaxColors> Samples{};  // by palette index: the sample that stands for it

    // A pixel's sample in a palette or grey picture.
    std::uint8_t Sample(TColor color) const { return Samples[Colors.IndexOf(color)]; }
};

bool IsGrey(TColor color) { return RedOf(color) == GreenOf(color) && GreenOf(color) == BlueOf(color); }

// The fewest bits a pixel at which a grey PNG holds every level exactly: at depth D the
// levels are the multiples of GreyStep(D), which a reader scales back exactly.
int GreyDepth(const std::vector<TColor>& colors) {
    for (const int depth : {1, 2, 4}) {
        const int step = GreyStep(depth);
        if (std::all_of(colors.begin(), colors.end(), [step](TColor c) { return RedOf(c) % step == 0; })) return depth;
    }
    return 8;
}

// Which rows of a picture differ from the row above them: a bar code repeats its rows,
// and a repeated row needs no second look.
std::vector<bool> NewRows(const TColor* pixels, std::size_t width, std::size_t height) {
    std::vector<bool> rows(height);
    for (std::size_t y = 0; y < height; ++y) {
        const TColor* row = pixels + y * width;
        rows[y] = y == 0 || !std::equal(row, row + width, row - width);
    }
    return rows;
}

TPngForm ChooseForm(const TColor* pixels, std::size_t width, const std::vector<bool>& newRows) {
    TPngForm form;
    bool fits = true;
    for (std::size_t y = 0; y < newRows.size() && fits; ++y) {
        const TColor* row = pixels + y * width;
        if (!newRows[y]) continue;
        for (std::size_t x = 0; x < width && fits; ++x)
            if (x == 0 || row[x] != row[x - 1]) fits = form.Colors.Add(row[x]);
    }
    if (!fits) return form;
    const std::vector<TColor>& colors = form.Colors.Colors();
    const std::size_t count = colors.size();
    const int paletteDepth = count <= 2 ? 1 : count <= 4 ? 2 : count <= 16 ? 4 : 8;
    // Grey levels need no palette, where they fit in as few bits.
    if (std::all_of(colors.begin(), colors.end(), IsGrey) && GreyDepth(colors) <= paletteDepth) {
        form.ColorType = ctGrey;
        form.BitDepth = GreyDepth(colors);
    } else {
        form.ColorType = ctPalette;
        form.BitDepth = paletteDepth;
    }
    for (std::size_t i = 0; i < count; ++i)
        form.Samples[i] =
            static_cast<std::uint8_t>(form.ColorType == ctGrey ? RedOf(colors[i]) / GreyStep(form.BitDepth) : i);
    return form;
}

// The bytes of a row of samples.
std::size_t RowBytes(const TPngForm& form, std::size_t width) {
    return form.ColorType == ctRgb ? 3 * width : (width * static_cast<std::size_t>(form.BitDepth) + 7) / 8;
}

// Packs a row of pixels into samples, most significant bits first.
void PackRow(const TPngForm& form, const TColor* source, std::size_t width, std::uint8_t* row) {
    if (form.ColorType == ctRgb) {
        for (std::size_t x = 0; x < width; ++x) {
            row[3 * x] = RedOf(source[x]);
            row[3 * x + 1] = GreenOf(source[x]);
            row[3 * x + 2] = BlueOf(source[x]);
        }
        return;
    }
    const int depth = form.BitDepth;
    unsigned samples = 0;  // the samples of the byte being filled, in its low bits
    int bits = 0;
    std::uint8_t sample = 0;
    for (std::size_t x = 0; x < width; ++x) {
        if (x == 0 || source[x] != source[x - 1]) sample = form.Sample(source[x]);
        samples = (samples << depth) | sample;
        bits += depth;
        if (bits == 8) {
            *row++ = static_cast<std::uint8_t>(samples);
            samples = 0;
            bits = 0;
        }
    }
    if (bits > 0) *row = static_cast<std::uint8_t>(samples << (8 - bits));
}

// ---------------------------------------------------------------------------------------
// Compression

// The fixed Huffman code of a literal/length symbol (RFC 1951, 3.2.6), its bits reversed,
// since deflate sends Huffman codes from their most significant bit into a stream that
// is filled from the least significant bit.
struct TCode {
    std::uint16_t Bits;
    std::uint8_t Length;
};

constexpr std::uint16_t Reversed(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    return static_cast<std::uint16_t>(reversed);
}

constexpr std::array<TCode, 288> FixedLiteralCodes() {
    std::array<TCode, 288> codes{};
    for (std::uint32_t s = 0; s < 288; ++s) {
        const auto [code, length] = s < 144   ? std::pair{0x30 + s, 8}
                                    : s < 256 ? std::pair{0x190 + s - 144, 9}
                                    : s < 280 ? std::pair{s - 256, 7}
                                              : std::pair{0xC0 + s - 280, 8};
        codes[s] = {Reversed(code, length), static_cast<std::uint8_t>(length)};
    }
    return codes;
}
constexpr std::array<TCode, 288> LiteralCodes = FixedLiteralCodes();

// Lengths 3 to 258 and distances 1 to 32768 as a code with extra bits (RFC 1951, 3.2.5).
constexpr std::array<std::uint16_t, 29> LengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> LengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> DistanceBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> DistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::size_t MinCopy = 3;
constexpr std::size_t MaxCopy = 258;
constexpr std::size_t MaxDistance = 32768;

// The index of the last base not above Value.
template <std::size_t N>
std::size_t CodeIndex(const std::array<std::uint16_t, N>& bases, std::size_t value) {
    return static_cast<std::size_t>(std::upper_bound(bases.begin(), bases.end(), value) - bases.begin()) - 1;
}

// How many bytes at A and at B agree, at most Count; eight at a time.
std::size_t CommonPrefix(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
    std::size_t n = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; n + 8 <= count; n += 8) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a + n, 8);
            std::memcpy(&y, b + n, 8);
            // The first byte that differs is the lowest one.
            if (x != y) return n + static_cast<std::size_t>(std::countr_zero(x ^ y)) / 8;
        }
    }
    while (n < count && a[n] == b[n]) ++n;
    return n;
}

// Writes a zlib stream (RFC 1950) of one deflate block with the fixed Huffman codes for
// data that comes in lines of equal length, such as the rows of a picture. Every byte is
// a literal or part of a copy, of the byte before it or of the byte one line above,
// whichever repeats longer; a line that repeats the one above is a few copies. Pictures
// of bars and text need nothing else to compress well, and this takes a fraction of the
// time of zlib's fastest level, which also has to set up and search its tables.
class TLineDeflater {
public:
    TLineDeflater(std::vector<std::uint8_t>& out, std::size_t lineBytes) : FOut(out), FLineBytes(lineBytes) {
        FOut.push_back(0x78);  // deflate with a 32 KB window
        FOut.push_back(0x01);  // no dictionary, check bits
        PutBits(1, 1);         // the last block
        PutBits(1, 2);         // fixed Huffman codes
    }

    // Codes a line of LineBytes bytes; Above is the line before it, null for the first.
    void AddLine(const std::uint8_t* line, const std::uint8_t* above) {
        CodeLine(line, FLineBytes <= MaxDistance ? above : nullptr, false);
        FLineAdler = adler32(1, line, static_cast<uInt>(FLineBytes));
        FAdler = adler32_combine(FAdler, FLineAdler, static_cast<z_off_t>(FLineBytes));
    }

    // Codes Line once more, right after itself.
    void RepeatLine(const std::uint8_t* line) {
        CodeLine(line, FLineBytes <= MaxDistance ? line : nullptr, true);
        FAdler = adler32_combine(FAdler, FLineAdler, static_cast<z_off_t>(FLineBytes));
    }

    // Ends the block and the stream.
    void Finish() {
        PutSymbol(256);
        if (FBitCount > 0) PutBits(0, 8 - FBitCount);
        for (const int shift : {24, 16, 8, 0}) FOut.push_back(static_cast<std::uint8_t>(FAdler >> shift));
    }

private:
    void PutBits(std::uint32_t bits, int count) {
        FBits |= std::uint64_t{bits} << FBitCount;
        FBitCount += count;
        for (; FBitCount >= 8; FBitCount -= 8) {
            FOut.push_back(static_cast<std::uint8_t>(FBits));
            FBits >>= 8;
        }
    }

    void PutSymbol(std::size_t symbol) { PutBits(LiteralCodes[symbol].Bits, LiteralCodes[symbol].Length); }

    // A copy of Length bytes (MinCopy to MaxCopy) from Distance bytes back.
    void PutCopy(std::size_t length, std::size_t distance) {
        const std::size_t lengthCode = CodeIndex(LengthBase, length);
        PutSymbol(257 + lengthCode);
        PutBits(static_cast<std::uint32_t>(length - LengthBase[lengthCode]), LengthExtra[lengthCode]);
        const std::size_t distanceCode = CodeIndex(DistanceBase, distance);
        PutBits(Reversed(static_cast<std::uint32_t>(distanceCode), 5), 5);
        PutBits(static_cast<std::uint32_t>(distance - DistanceBase[distanceCode]), DistanceExtra[distanceCode]);
    }

    // Codes Line greedily: the longer of the copies from the line above and from the byte
    // before, where it is MinCopy bytes long at least, else a literal. Repeats says that
    // Above equals Line.
    void CodeLine(const std::uint8_t* line, const std::uint8_t* above, bool repeats) {
        for (std::size_t i = 0; i < FLineBytes;) {
            const std::size_t most = std::min(FLineBytes - i, MaxCopy);
            const std::size_t up = !above ? 0 : repeats ? most : CommonPrefix(line + i, above + i, most);
            const std::size_t run = i > 0 && up < most ? CommonPrefix(line + i, line + i - 1, most) : 0;
            const std::size_t copy = std::max(up, run);
            if (copy >= MinCopy) {
                PutCopy(copy, up >= run ? FLineBytes : 1);
                i += copy;
            } else {
                PutSymbol(line[i]);
                ++i;
            }
        }
    }

    std::vector<std::uint8_t>& FOut;
    std::size_t FLineBytes;
    std::uint64_t FBits = 0;
    int FBitCount = 0;
    uLong FAdler = adler32(0, nullptr, 0);
    uLong FLineAdler = FAdler;  // of the last line coded
};

// ---------------------------------------------------------------------------------------
// Chunks (ISO/IEC 15948, 5.3)

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (const int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Starts a chunk of the type; returns where it starts, for EndChunk.
std::size_t BeginChunk(std::vector<std::uint8_t>& out, std::string_view type) {
    const std::size_t start = out.size();
    PutBigEndian(out, 0);  // the length, once it is known
    out.insert(out.end(), type.begin(), type.end());
    return start;
}

// Completes the chunk that begins at Start with its length and CRC.
void EndChunk(std::vector<std::uint8_t>& out, std::size_t start) {
    const std::size_t length = out.size() - start - 8;
    if (length > std::numeric_limits<std::int32_t>::max())
        throw EInOutError("Cannot encode a PNG picture: its image data passes 2 GB");
    for (int i = 0; i < 4; ++i) out[start + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    PutBigEndian(out, static_cast<std::uint32_t>(crc32(0, out.data() + start + 4, static_cast<uInt>(length + 4))));
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const TColor* pixels, std::uint32_t width, std::uint32_t height,
                                    std::uint32_t pixelsPerMetre) {
    const std::vector<bool> newRows = NewRows(pixels, width, height);
    const TPngForm form = ChooseForm(pixels, width, newRows);
    // Each line of the image data is a row of samples after a filter byte of 0 (no
    // filter): the copies from the line above do a filter's work.
    const std::size_t lineBytes = 1 + RowBytes(form, width);
    std::vector<std::uint8_t> lines(2 * lineBytes, 0);
    std::vector<std::uint8_t> out;
    out.reserve(1024 + lineBytes * height / 8);
    static constexpr std::string_view Signature = "\x89PNG\r\n\x1A\n";
    out.insert(out.end(), Signature.begin(), Signature.end());

    std::size_t chunk = BeginChunk(out, "IHDR");
    PutBigEndian(out, width);
    PutBigEndian(out, height);
    out.push_back(static_cast<std::uint8_t>(form.BitDepth));
    out.push_back(form.ColorType);
    out.insert(out.end(), {0, 0, 0});  // deflate, adaptive filtering, no interlace
    EndChunk(out, chunk);

    chunk = BeginChunk(out, "pHYs");
    PutBigEndian(out, pixelsPerMetre);
    PutBigEndian(out, pixelsPerMetre);
    out.push_back(1);  // the unit is the metre
    EndChunk(out, chunk);

    if (form.ColorType == ctPalette) {
        chunk = BeginChunk(out, "PLTE");
        for (const TColor color : form.Colors.Colors())
            out.insert(out.end(), {RedOf(color), GreenOf(color), BlueOf(color)});
        EndChunk(out, chunk);
    }

    chunk = BeginChunk(out, "IDAT");
    TLineDeflater deflater(out, lineBytes);
    // Two lines, the one being coded and the one above it, each after its filter byte.
    std::uint8_t* line = lines.data();
    std::uint8_t* above = lines.data() + lineBytes;
    for (std::size_t y = 0; y < height; ++y) {
        const TColor* row = pixels + y * width;
        if (newRows[y]) {
            std::swap(line, above);
            PackRow(form, row, width, line + 1);
            deflater.AddLine(line, y > 0 ? above : nullptr);
        } else {
            deflater.RepeatLine(line);
        }
    }
    deflater.Finish();
    EndChunk(out, chunk);

    chunk = BeginChunk(out, "IEND");
    EndChunk(out, chunk);
    return out;
}

}  // namespace zan::platform
