// Planning a barcode picture: clear zones, bar length, text room and the size limit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include "barcode/ZanBarcodeLayout.h"

namespace {

using namespace zan;

TEST(ZanBarcodeLayoutTest, QuietZonesAlongTheCodeAndBarsOfTheAskedLength) {
    struct TCase {
        TZanLayoutRequest request{};
        TZanLayout layout{};
    };
    // Bitmaps are as high (wide when turned) as the renderer's bounds, margins
    // included; metafiles add the margins to the bounds.
    const TCase cases[] = {
        // 96 ppi: modules of 1 pixel, bars half an inch (48) long, a code 47 long.
        {.request = {.Format = TZanPictureFormat::Png, .Dpi = 96, .ClearZones = ModuleQuietZones(1), .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 58, .ImageWidth = 67, .ImageHeight = 58}},
        {.request = {.Format = TZanPictureFormat::Svg, .Dpi = 96, .ClearZones = ModuleQuietZones(1), .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 48, .ImageWidth = 67, .ImageHeight = 58}},
        // PDF and EPS pages come from a metafile too.
        {.request = {.Format = TZanPictureFormat::Pdf, .Dpi = 96, .ClearZones = ModuleQuietZones(1), .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 48, .ImageWidth = 67, .ImageHeight = 58}},
        {.request = {.Format = TZanPictureFormat::Eps, .Dpi = 96, .ClearZones = ModuleQuietZones(1), .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 48, .ImageWidth = 67, .ImageHeight = 58}},
        // 300 ppi, turned: modules of 3 pixels, quiet zones of 30 on top and bottom.
        {.request = {.Format = TZanPictureFormat::Bmp,
                     .Orientation = bo90Degrees,
                     .Dpi = 300,
                     .ClearZones = ModuleQuietZones(3),
                     .CodeWidth = 141},
         .layout = {.Margins = {5, 30, 5, 30},
                    .BoundsWidth = 160,
                    .BoundsHeight = 201,
                    .ImageWidth = 160,
                    .ImageHeight = 201}},
        {.request = {.Format = TZanPictureFormat::Svg,
                     .Orientation = bo270Degrees,
                     .Dpi = 300,
                     .ClearZones = ModuleQuietZones(3),
                     .CodeWidth = 141},
         .layout = {.Margins = {5, 30, 5, 30},
                    .BoundsWidth = 150,
                    .BoundsHeight = 201,
                    .ImageWidth = 160,
                    .ImageHeight = 201}},
        {.request = {.Format = TZanPictureFormat::Png,
                     .Orientation = bo180Degrees,
                     .Dpi = 600,
                     .BarLength = 40,
                     .Margins = TZanPictureMargins{1, 2, 3, 4},
                     .ClearZones = ModuleQuietZones(6),
                     .CodeWidth = 100},
         .layout =
             {.Margins = {1, 2, 3, 4}, .BoundsWidth = 104, .BoundsHeight = 46, .ImageWidth = 104, .ImageHeight = 46}},
        // Human-readable text adds its room to the bars' length.
        {.request = {.Format = TZanPictureFormat::Png,
                     .Dpi = 96,
                     .ClearZones = ModuleQuietZones(1),
                     .CodeWidth = 47,
                     .TextRoom = 14},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 72, .ImageWidth = 67, .ImageHeight = 72}},
        {.request = {.Format = TZanPictureFormat::Svg,
                     .Orientation = bo90Degrees,
                     .Dpi = 96,
                     .BarLength = 30,
                     .ClearZones = ModuleQuietZones(1),
                     .CodeWidth = 47,
                     .TextRoom = 14},
         .layout =
             {.Margins = {5, 10, 5, 10}, .BoundsWidth = 44, .BoundsHeight = 67, .ImageWidth = 54, .ImageHeight = 67}},
        // A code of its own height and of neither kind: 5 pixels all round.
        {.request = {.Format = TZanPictureFormat::Png, .Dpi = 96, .CodeWidth = 200, .CodeHeight = 11},
         .layout =
             {.Margins = {5, 5, 5, 5}, .BoundsWidth = 210, .BoundsHeight = 58, .ImageWidth = 210, .ImageHeight = 21}},
        // POSTNET at 300 ppi: clear zones of 38 pixels left and right, 12 above and below,
        // on the picture's sides as the code turns.
        {.request = {.Format = TZanPictureFormat::Png,
                     .Dpi = 300,
                     .ClearZones = PostnetClearZones(300),
                     .CodeWidth = 462,
                     .CodeHeight = 34},
         .layout = {.Margins = {38, 12, 38, 12},
                    .BoundsWidth = 538,
                    .BoundsHeight = 174,
                    .ImageWidth = 538,
                    .ImageHeight = 58}},
        {.request = {.Format = TZanPictureFormat::Png,
                     .Orientation = bo270Degrees,
                     .Dpi = 300,
                     .ClearZones = PostnetClearZones(300),
                     .CodeWidth = 462,
                     .CodeHeight = 34},
         .layout = {.Margins = {12, 38, 12, 38},
                    .BoundsWidth = 174,
                    .BoundsHeight = 538,
                    .ImageWidth = 58,
                    .ImageHeight = 538}},
        {.request = {.Format = TZanPictureFormat::Png, .Dpi = 1, .ClearZones = ModuleQuietZones(1), .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 11, .ImageWidth = 67, .ImageHeight = 11}},
    };
    for (const TCase& c : cases) {
        const TZanLayout l = PlanLayout(c.request);
        EXPECT_EQ(l.Margins, c.layout.Margins) << c.request.CodeWidth;
        EXPECT_EQ(l.BoundsWidth, c.layout.BoundsWidth) << c.request.CodeWidth;
        EXPECT_EQ(l.BoundsHeight, c.layout.BoundsHeight) << c.request.CodeWidth;
        EXPECT_EQ(l.ImageWidth, c.layout.ImageWidth) << c.request.CodeWidth;
        EXPECT_EQ(l.ImageHeight, c.layout.ImageHeight) << c.request.CodeWidth;
    }
}

TEST(ZanBarcodeLayoutTest, ClearZonesOfEachKindOfCode) {
    // Ten modules of quiet zone along the code, 5 pixels across it.
    EXPECT_EQ(ModuleQuietZones(1), (TZanClearZones{.Along = 10, .Across = 5}));
    EXPECT_EQ(ModuleQuietZones(3), (TZanClearZones{.Along = 30, .Across = 5}));
    EXPECT_EQ(ModuleQuietZones(10000), (TZanClearZones{.Along = 100000, .Across = 5}));

    // USPS (DMM 708.4, Publication 25): at least 1/8 inch left and right, 1/25 inch above
    // and below, rounded up to whole pixels.
    struct TCase {
        int dpi = 0;
        TZanClearZones zones{};
    };
    const TCase cases[] = {
        {.dpi = 1, .zones = {.Along = 1, .Across = 1}},      // 0.125 and 0.04
        {.dpi = 96, .zones = {.Along = 12, .Across = 4}},    // 12 and 3.84
        {.dpi = 200, .zones = {.Along = 25, .Across = 8}},   // exactly
        {.dpi = 300, .zones = {.Along = 38, .Across = 12}},  // 37.5 and 12
        {.dpi = 301, .zones = {.Along = 38, .Across = 13}},  // 37.625 and 12.04
        {.dpi = 10000, .zones = {.Along = 1250, .Across = 400}},
    };
    for (const TCase& c : cases) EXPECT_EQ(PostnetClearZones(c.dpi), c.zones) << c.dpi;
}

TEST(ZanBarcodeLayoutTest, RefusesCaptionsTooLongForAnyPicture) {
    struct TCase {
        std::int64_t characters = 0;
        int barWidth = 0;
        bool refused = false;
    };
    // Every character takes a bar width at least: beyond 65535 pixels no picture holds it.
    const TCase cases[] = {
        {.characters = 65535, .barWidth = 1},
        {.characters = 65536, .barWidth = 1, .refused = true},
        {.characters = 6553, .barWidth = 10},
        {.characters = 6554, .barWidth = 10, .refused = true},
        // 15000 POSTNET digits in bars of 10000 pixels are 2.25 billion pixels long, which
        // wraps around in an int.
        {.characters = 15000, .barWidth = 10000, .refused = true},
    };
    for (const TCase& c : cases) {
        if (!c.refused) {
            EXPECT_NO_THROW(CheckCodeLength(c.characters, c.barWidth)) << c.characters;
            continue;
        }
        try {
            CheckCodeLength(c.characters, c.barWidth);
            ADD_FAILURE() << "accepted " << c.characters << " in bars of " << c.barWidth;
        } catch (const EPictureSizeError& e) {
            EXPECT_EQ(e.Message(), "the picture would be at least " + std::to_string(c.characters * c.barWidth) +
                                       " pixels long (" + std::to_string(c.characters) + " characters in bars of " +
                                       std::to_string(c.barWidth) +
                                       " pixels), more than the 65535 on a side that a picture may have");
        }
    }
}

TEST(ZanBarcodeLayoutTest, RefusesPicturesAboveTheSizeLimit) {
    struct TCase {
        int width = 0;
        int height = 0;
        bool refused = false;
    };
    // At most 65535 pixels on a side and 100 million in all.
    const TCase cases[] = {
        {.width = 65535, .height = 1},
        {.width = 1, .height = 65535},
        {.width = 65536, .height = 1, .refused = true},
        {.width = 1, .height = 65536, .refused = true},
        {.width = 10000, .height = 10000},
        {.width = 10000, .height = 10001, .refused = true},
        {.width = 2147483647, .height = 2147483647, .refused = true},
    };
    for (const TCase& c : cases) {
        const TZanLayout layout{.Margins = {}, .ImageWidth = c.width, .ImageHeight = c.height};
        if (!c.refused) {
            EXPECT_NO_THROW(CheckPictureSize(layout)) << c.width << " x " << c.height;
            continue;
        }
        try {
            CheckPictureSize(layout);
            ADD_FAILURE() << "accepted " << c.width << " x " << c.height;
        } catch (const EZanBarcodeError& e) {
            EXPECT_EQ(e.Message(), "the picture would be " + std::to_string(c.width) + " x " +
                                       std::to_string(c.height) +
                                       " pixels, more than the 65535 on a side or 100 million in all that a picture "
                                       "may have");
        }
    }

    // A size that wrapped around below zero, or a side without pixels, is no picture.
    for (const auto& [width, height] : {std::pair{0, 1160}, std::pair{5, 0}, std::pair{-2147483499, 160}}) {
        try {
            CheckPictureSize({.Margins = {}, .ImageWidth = width, .ImageHeight = height});
            ADD_FAILURE() << "accepted " << width << " x " << height;
        } catch (const EPictureSizeError& e) {
            EXPECT_EQ(e.Message(), "the picture would be " + std::to_string(width) + " x " + std::to_string(height) +
                                       " pixels, which holds no barcode");
        }
    }
}

}  // namespace
