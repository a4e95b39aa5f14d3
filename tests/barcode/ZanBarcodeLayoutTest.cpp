// Planning a barcode picture: quiet zones, bar length, text room and the size limit.
#include <gtest/gtest.h>

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
        {.request = {.Format = TZanPictureFormat::Png, .Dpi = 96, .ModuleWidth = 1, .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 58, .ImageWidth = 67, .ImageHeight = 58}},
        {.request = {.Format = TZanPictureFormat::Svg, .Dpi = 96, .ModuleWidth = 1, .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 48, .ImageWidth = 67, .ImageHeight = 58}},
        // PDF and EPS pages come from a metafile too.
        {.request = {.Format = TZanPictureFormat::Pdf, .Dpi = 96, .ModuleWidth = 1, .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 48, .ImageWidth = 67, .ImageHeight = 58}},
        {.request = {.Format = TZanPictureFormat::Eps, .Dpi = 96, .ModuleWidth = 1, .CodeWidth = 47},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 48, .ImageWidth = 67, .ImageHeight = 58}},
        // 300 ppi, turned: modules of 3 pixels, quiet zones of 30 on top and bottom.
        {.request = {.Format = TZanPictureFormat::Bmp,
                     .Orientation = bo90Degrees,
                     .Dpi = 300,
                     .ModuleWidth = 3,
                     .CodeWidth = 141},
         .layout = {.Margins = {5, 30, 5, 30},
                    .BoundsWidth = 160,
                    .BoundsHeight = 201,
                    .ImageWidth = 160,
                    .ImageHeight = 201}},
        {.request = {.Format = TZanPictureFormat::Svg,
                     .Orientation = bo270Degrees,
                     .Dpi = 300,
                     .ModuleWidth = 3,
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
                     .ModuleWidth = 6,
                     .CodeWidth = 100},
         .layout =
             {.Margins = {1, 2, 3, 4}, .BoundsWidth = 104, .BoundsHeight = 46, .ImageWidth = 104, .ImageHeight = 46}},
        // Human-readable text adds its room to the bars' length.
        {.request = {.Format = TZanPictureFormat::Png, .Dpi = 96, .ModuleWidth = 1, .CodeWidth = 47, .TextRoom = 14},
         .layout =
             {.Margins = {10, 5, 10, 5}, .BoundsWidth = 67, .BoundsHeight = 72, .ImageWidth = 67, .ImageHeight = 72}},
        {.request = {.Format = TZanPictureFormat::Svg,
                     .Orientation = bo90Degrees,
                     .Dpi = 96,
                     .BarLength = 30,
                     .ModuleWidth = 1,
                     .CodeWidth = 47,
                     .TextRoom = 14},
         .layout =
             {.Margins = {5, 10, 5, 10}, .BoundsWidth = 44, .BoundsHeight = 67, .ImageWidth = 54, .ImageHeight = 67}},
        // A code of its own height and without modules: 5 pixels all round.
        {.request = {.Format = TZanPictureFormat::Png, .Dpi = 96, .CodeWidth = 200, .CodeHeight = 11},
         .layout =
             {.Margins = {5, 5, 5, 5}, .BoundsWidth = 210, .BoundsHeight = 58, .ImageWidth = 210, .ImageHeight = 21}},
        {.request = {.Format = TZanPictureFormat::Png, .Dpi = 1, .ModuleWidth = 1, .CodeWidth = 47},
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
}

}  // namespace
