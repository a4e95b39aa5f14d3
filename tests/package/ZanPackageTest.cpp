#include <zanbarcode/platform/Packages.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/DesignIntf.h>
#include <zanbarcode/platform/FontEngine.h>
#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/platform/Forms.h>
#include <zanbarcode/platform/HeadlessWindows.h>

namespace zan::platform {
namespace {

// The symbology registry of each package, index 0 to 9, by the order in which the
// package starts its symbology units.
const std::map<std::string, std::vector<std::string>> ExpectedRegistry = [] {
    const std::vector<std::string> delphi = {"Codabar", "Code 128", "Code 2 of 5", "Interleaved 2 of 5",
                                             "Code 39", "EAN 8",    "EAN 13",      "UPC A",
                                             "UPC E",   "POSTNET"};
    const std::vector<std::string> delphi3 = {
        "Codabar", "Code 2 of 5", "Interleaved 2 of 5", "Code 39", "EAN 8", "EAN 13", "UPC A", "UPC E",
        "POSTNET", "Code 128"};
    const std::vector<std::string> builder = {"POSTNET",  "EAN 8",   "EAN 13",      "UPC A",
                                              "UPC E",    "Code 39", "Code 2 of 5", "Interleaved 2 of 5",
                                              "Code 128", "Codabar"};
    return std::map<std::string, std::vector<std::string>>{{"ZANPKD5", delphi},  {"ZANPKD4", delphi},
                                                           {"ZANPKD3", delphi3}, {"ZANPKC5", builder},
                                                           {"ZANPKC4", builder}, {"ZANPKC3", builder}};
}();

// The host framework generation is the package name's last digit.
const int HostVersion = ZAN_PACKAGE_NAME[6] - '0';

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

class PackageTest : public ::testing::Test {
protected:
    PackageTest() : previous(SetWindowSystem(windows)) {}
    ~PackageTest() override { SetWindowSystem(previous); }

    // A barcode made through the class registry, as a designer drops one on a form.
    TComponent* NewBarcode() {
        TComponentClass barcodeClass = GetClass("TZanBarcode");
        if (barcodeClass == nullptr) throw Exception("TZanBarcode is not registered");
        return barcodeClass->Create(&form);
    }

    // The symbology names as the package's drop-down hands them out, unsorted.
    static std::vector<std::string> RegistryOf(TComponent& barcode) {
        const TPropInfo& prop = *barcode.FindProperty("SymbologyName");
        std::unique_ptr<TPropertyEditor> editor = CreatePropertyEditor(barcode, prop);
        editor->Initialize(nullptr, {&barcode}, prop);
        std::vector<std::string> names;
        editor->GetValues([&names](const std::string& name) { names.push_back(name); });
        return names;
    }

    std::shared_ptr<THeadlessWindowSystem> windows =
        std::make_shared<THeadlessWindowSystem>(96, FixedMetricsFontEngine());
    std::shared_ptr<IWindowSystem> previous;
    TForm form{nullptr};
};

TEST_F(PackageTest, StartingThePackageFillsTheRegistryInItsOrder) {
    TPackage package(ZAN_PACKAGE_PATH);
    EXPECT_EQ(package.GetName(), ZAN_PACKAGE_NAME);
    package.Register();
    TComponent* barcode = NewBarcode();
    const std::vector<std::string> registry = RegistryOf(*barcode);
    std::cout << package.GetName() << " registry:";
    for (std::size_t i = 0; i < registry.size(); ++i) std::cout << ' ' << i << ' ' << registry[i] << ';';
    std::cout << '\n';
    EXPECT_EQ(registry, ExpectedRegistry.at(ZAN_PACKAGE_NAME));
    // Whatever the order, a new control starts with Code 128.
    EXPECT_EQ(barcode->FindProperty("SymbologyName")->GetValue(*barcode), "Code 128");
}

TEST_F(PackageTest, LoadingTwiceRegistersNothingTwice) {
    TPackage first(ZAN_PACKAGE_PATH);
    first.Register();
    {
        TPackage second(ZAN_PACKAGE_PATH);
        second.Register();
        EXPECT_EQ(PaletteEntries().size(), 1u);
        EXPECT_EQ(RegisteredPersistentClasses().size(), 10u);
    }
    // The first is still loaded, its units still started.
    TComponent* barcode = NewBarcode();
    EXPECT_EQ(RegistryOf(*barcode), ExpectedRegistry.at(ZAN_PACKAGE_NAME));
    ASSERT_EQ(PaletteEntries().size(), 1u);
    EXPECT_EQ(PaletteEntries()[0].Page, "Orvane");
}

TEST_F(PackageTest, ThePublishedPropertiesFollowTheHostFramework) {
    TPackage package(ZAN_PACKAGE_PATH);
    package.Register();
    TComponent* barcode = NewBarcode();
    // Auto-size came with the generation 4 frameworks, OnContextPopup with generation 5.
    EXPECT_EQ(barcode->FindProperty("AutoSize") != nullptr, HostVersion >= 4);
    EXPECT_EQ(barcode->FindProperty("Anchors") != nullptr, HostVersion >= 4);
    EXPECT_EQ(barcode->FindProperty("OnContextPopup") != nullptr, HostVersion >= 5);
    // A form file holds what the host publishes and reads back in the same package.
    barcode->SetName("ZanBarcode1");
    const std::string saved = SaveComponentToText(form);
    TForm loaded(nullptr);
    LoadComponentFromText(loaded, saved);
    EXPECT_EQ(SaveComponentToText(loaded), saved);
}

TEST_F(PackageTest, TheControlSizesItselfToTheCodeWhereTheHostHasAutoSize) {
    TPackage package(ZAN_PACKAGE_PATH);
    package.Register();
    TComponent* barcode = NewBarcode();
    const TPropInfo& caption = *barcode->FindProperty("Caption");
    const TPropInfo& width = *barcode->FindProperty("Width");
    caption.SetValue(*barcode, "1");
    const std::string shortWidth = width.GetValue(*barcode);
    caption.SetValue(*barcode, "1234567890123456");
    // Code 128 grows by 11 modules a character; the generation 3 hosts keep the width.
    if (HostVersion >= 4)
        EXPECT_GT(std::stoi(width.GetValue(*barcode)), std::stoi(shortWidth) + 100);
    else
        EXPECT_EQ(width.GetValue(*barcode), shortWidth);
}

TEST_F(PackageTest, ThePaletteBitmapsAreSixteenColourBitmapsOf24Pixels) {
    TPackage package(ZAN_PACKAGE_PATH);
    for (const char* name : {"TZANBARCODE", "TZANDBBARCODE"}) {
        SCOPED_TRACE(name);
        const std::string bmp = package.FindResource(name);
        // BITMAPFILEHEADER and BITMAPINFOHEADER fields at their fixed offsets.
        ASSERT_EQ(bmp.size(), 406u);  // 14 + 40 + 16 colours * 4 + 24 rows * 12 bytes
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(LittleEndian(bmp, 2, 4), 406u);
        EXPECT_EQ(LittleEndian(bmp, 10, 4), 118u);  // pixels after the headers and palette
        EXPECT_EQ(LittleEndian(bmp, 14, 4), 40u);
        EXPECT_EQ(LittleEndian(bmp, 18, 4), 24u);  // width
        EXPECT_EQ(LittleEndian(bmp, 22, 4), 24u);  // height, bottom-up
        EXPECT_EQ(LittleEndian(bmp, 28, 2), 4u);   // bits per pixel
        EXPECT_EQ(LittleEndian(bmp, 30, 4), 0u);   // BI_RGB, uncompressed
        // The bottom-left corner is white: colour 15 of the classic palette.
        EXPECT_EQ(static_cast<unsigned char>(bmp[118]) >> 4, 15);
        EXPECT_EQ(LittleEndian(bmp, 54 + 15 * 4, 4), 0x00FFFFFFu);
    }
    // Both pictures start their bars in column 2; the barcode's reach up to row 2.
    const std::string barcode = package.FindResource("tzanbarcode");
    const std::size_t row2 = 118 + (23 - 2) * 12;                      // rows are stored from the bottom
    EXPECT_EQ(static_cast<unsigned char>(barcode[row2 + 1]) >> 4, 0);  // black
    EXPECT_NE(barcode, package.FindResource("TZANDBBARCODE"));
    EXPECT_THROW(package.FindResource("TZANLABEL"), EPackageError);
}

TEST(PackageLoaderTest, AMissingFileOrALibraryWithoutEntryIsRefused) {
    try {
        TPackage missing("/nonexistent/ZANPKD5.so");
        ADD_FAILURE() << "a missing file loaded";
    } catch (const EPackageError& e) {
        EXPECT_TRUE(e.Message().starts_with("Cannot load package /nonexistent/ZANPKD5.so: ")) << e.Message();
    }
    try {
        TPackage notAPackage(ZAN_PLATFORM_LIBRARY);
        ADD_FAILURE() << "a library without entry loaded";
    } catch (const EPackageError& e) {
        EXPECT_EQ(e.Message(), std::string(ZAN_PLATFORM_LIBRARY) + " is not a package");
    }
}

}  // namespace
}  // namespace zan::platform
