// A process whose registry holds no symbology: renderers work without one.
#include <gtest/gtest.h>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/platform/Bitmap.h>

namespace {

using namespace zan;

TEST(EmptyRegistry, LookupsAnswerNoneAndRendererHasNoSymbology) {
    ASSERT_EQ(SymbologyCount(), 0);
    EXPECT_EQ(GetSymbologyClassByName("Code 128"), nullptr);
    EXPECT_EQ(GetSymbologyIndexByName("Code 128"), -1);
    EXPECT_THROW(GetSymbologyClassByIndex(0), zan::platform::EListError);

    TZanBarcodeRenderer renderer;
    int notifications = 0;
    renderer.SetOnVisualChange([&](zan::platform::TPersistent*) { ++notifications; });
    EXPECT_EQ(renderer.GetSymbology(), nullptr);
    EXPECT_EQ(renderer.GetCaption(), "");
    EXPECT_EQ(renderer.GetSymbologyName(), "");
    renderer.SetSymbologyName("");
    EXPECT_EQ(notifications, 0);
    EXPECT_THROW(renderer.SetSymbologyName("Code 128"), ESymbologyError);
}

TEST(EmptyRegistry, UnknownNameSaysWhatToCall) {
    TZanBarcodeRenderer renderer;
    try {
        renderer.SetSymbologyName("EAN 13");
        FAIL() << "no ESymbologyError";
    } catch (const ESymbologyError& e) {
        EXPECT_EQ(e.Message(),
                  "EAN 13 is not a valid symbology name. No symbology is registered: call "
                  "zan::RegisterBarcodeSymbologies() first.");
    }
    EXPECT_EQ(renderer.GetSymbology(), nullptr);
}

TEST(EmptyRegistry, CopiesWithoutSymbologyLeaveTheTargetsAlone) {
    TZanBarcodeRenderer renderer;
    zan::platform::TBitmap bitmap;
    bitmap.SetSize(7, 3);
    renderer.CopyToBitmap(bitmap);
    EXPECT_EQ(bitmap.GetWidth(), 7);
    EXPECT_EQ(bitmap.GetHeight(), 3);
    EXPECT_EQ(bitmap.GetPixel(0, 0), zan::platform::clWhite);

    zan::platform::TMetafile metafile;
    metafile.SetWidth(9);
    renderer.CopyToMetafile(metafile);
    EXPECT_EQ(metafile.GetWidth(), 9);
    EXPECT_TRUE(metafile.Records().empty());
}

}  // namespace
