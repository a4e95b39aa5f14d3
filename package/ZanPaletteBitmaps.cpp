#include "ZanPaletteBitmaps.h"

namespace zan::package {

namespace {

using TPicture = std::array<std::string_view, PaletteBitmapSize>;

// Pixels by colour: '.' white, '#' black, '+' grey, '-' silver, 'b' navy.
constexpr TPicture BarcodePicture = {
    "........................",  //
    "........................",  //
    "..#.##.#..###.#.##..#.#.",  // bars
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "........................",  //
    "..b.bbb.bbb.b.b.bbb.bbb.",  // glyphs: 1 2 3 4 5 7
    "..b...b..bb.bbb.bb....b.",  //
    "..b.bb....b...b...b..b..",  //
    "..b.bbb.bbb...b.bb...b..",  //
    "........................",  //
    "........................",  //
};

constexpr TPicture DBBarcodePicture = {
    "........................",  //
    ".+++++++++++++++++++++..",  // grid of a table's rows and columns
    ".+-----+-----+-----+-+..",  //
    ".+-----+-----+-----+-+..",  //
    ".+++++++++++++++++++++..",  //
    ".+-----+-----+-----+-+..",  //
    ".+-----+-----+-----+-+..",  //
    ".+++++++++++++++++++++..",  //
    "........................",  //
    "..#.##.#..###.#.##..#.#.",  // shortened bars
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "..#.##.#..###.#.##..#.#.",  //
    "........................",  //
    "..b.bbb.bbb.b.b.bbb.bbb.",  // glyphs: 1 2 3 4 5 7
    "..b...b..bb.bbb.bb....b.",  //
    "..b.bb....b...b...b..b..",  //
    "..b.bbb.bbb...b.bb...b..",  //
    "........................",  //
    "........................",  //
};

// The 16 colours of the classic VGA palette, in its order, as 0xRRGGBB (a bitmap file
// stores each as blue, green, red and a zero byte).
constexpr std::array<std::uint32_t, 16> Palette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
constexpr unsigned char Black = 0, Navy = 4, Silver = 7, Grey = 8, White = 15;

constexpr unsigned char ColourIndex(char pixel) {
    switch (pixel) {
        case '#': return Black;
        case 'b': return Navy;
        case '-': return Silver;
        case '+': return Grey;
        default: return White;
    }
}

constexpr std::size_t Put(TPaletteBitmap& file, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at++] = static_cast<unsigned char>(value >> (8 * i));  // little-endian
    return at;
}

constexpr TPaletteBitmap MakeBitmap(const TPicture& picture) {
    constexpr std::uint32_t pixelOffset = 14 + 40 + 16 * 4;
    TPaletteBitmap file{};
    std::size_t at = 0;
    // BITMAPFILEHEADER
    file[at++] = 'B';
    file[at++] = 'M';
    at = Put(file, at, static_cast<std::uint32_t>(PaletteBitmapFileSize), 4);
    at = Put(file, at, 0, 4);  // reserved
    at = Put(file, at, pixelOffset, 4);
    // BITMAPINFOHEADER: positive height, so rows run from the bottom up.
    at = Put(file, at, 40, 4);
    at = Put(file, at, PaletteBitmapSize, 4);
    at = Put(file, at, PaletteBitmapSize, 4);
    at = Put(file, at, 1, 2);  // planes
    at = Put(file, at, 4, 2);  // bits per pixel
    at = Put(file, at, 0, 4);  // BI_RGB: uncompressed
    at = Put(file, at, PaletteBitmapSize * 12, 4);
    at = Put(file, at, 2835, 4);  // 72 dots per inch, in dots per metre
    at = Put(file, at, 2835, 4);
    at = Put(file, at, 16, 4);                                           // colours used
    at = Put(file, at, 0, 4);                                            // all of them important
    for (std::uint32_t colour : Palette) at = Put(file, at, colour, 4);  // stored as B, G, R, 0
    // 24 pixels of 4 bits make 12 bytes, already a multiple of 4: no row padding.
    for (int row = PaletteBitmapSize - 1; row >= 0; --row)
        for (int x = 0; x < PaletteBitmapSize; x += 2)
            file[at++] = static_cast<unsigned char>(
                ColourIndex(picture[static_cast<std::size_t>(row)][static_cast<std::size_t>(x)]) << 4 |
                ColourIndex(picture[static_cast<std::size_t>(row)][static_cast<std::size_t>(x + 1)]));
    return file;
}

constexpr bool EveryRowIsFull(const TPicture& picture) {
    for (std::string_view row : picture)
        if (row.size() != PaletteBitmapSize) return false;
    return true;
}
static_assert(EveryRowIsFull(BarcodePicture) && EveryRowIsFull(DBBarcodePicture));

}  // namespace

constexpr TPaletteBitmap BarcodeBitmap = MakeBitmap(BarcodePicture);
constexpr TPaletteBitmap DBBarcodeBitmap = MakeBitmap(DBBarcodePicture);

}  // namespace zan::package
