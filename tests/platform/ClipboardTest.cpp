#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Clipboard.h>
#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/Metafile.h>

namespace zan::platform {
namespace {

constexpr TClipboardFormat CF_TEXT = cfText;

TClipboardData Bytes(const std::string& text) {
    return std::make_shared<const std::vector<std::uint8_t>>(text.begin(), text.end());
}

std::string Text(const TClipboardData& data) { return data ? std::string(data->begin(), data->end()) : "(null)"; }

TEST(ClipboardTest, PlacementsInsideOneBracketStayTogether) {
    TClipboard clipboard;
    clipboard.SetAsHandle(CF_TEXT, Bytes("old"));
    clipboard.Open();
    clipboard.SetAsHandle(cfEnhMetafile, Bytes("svg"));  // the first placement empties
    clipboard.SetAsHandle(cfBitmap, Bytes("bmp"));       // later ones add
    clipboard.Close();
    EXPECT_FALSE(clipboard.IsOpen());
    EXPECT_EQ(clipboard.FormatCount(), 2u);
    EXPECT_FALSE(clipboard.HasFormat(CF_TEXT));
    EXPECT_EQ(Text(clipboard.GetAsHandle(cfEnhMetafile)), "svg");
    EXPECT_EQ(Text(clipboard.GetAsHandle(cfBitmap)), "bmp");
}

TEST(ClipboardTest, PlacementOutsideABracketReplacesEverything) {
    TClipboard clipboard;
    clipboard.Open();
    clipboard.SetAsHandle(cfEnhMetafile, Bytes("svg"));
    clipboard.SetAsHandle(cfBitmap, Bytes("bmp"));
    clipboard.Close();
    clipboard.SetAsHandle(CF_TEXT, Bytes("text"));
    EXPECT_EQ(clipboard.FormatCount(), 1u);
    EXPECT_EQ(Text(clipboard.GetAsHandle(CF_TEXT)), "text");
    clipboard.SetAsHandle(cfBitmap, Bytes("bmp"));
    EXPECT_EQ(clipboard.FormatCount(), 1u);
    EXPECT_FALSE(clipboard.HasFormat(CF_TEXT));
}

TEST(ClipboardTest, EveryOutermostBracketStartsAfresh) {
    TClipboard clipboard;
    for (const std::string round : {"first", "second"}) {
        clipboard.Open();
        clipboard.SetAsHandle(round == "first" ? CF_TEXT : cfBitmap, Bytes(round));
        clipboard.Close();
    }
    EXPECT_EQ(clipboard.FormatCount(), 1u);
    EXPECT_EQ(Text(clipboard.GetAsHandle(cfBitmap)), "second");
}

TEST(ClipboardTest, NestedOpenKeepsTheOuterBracket) {
    TClipboard clipboard;
    clipboard.SetAsHandle(CF_TEXT, Bytes("old"));
    clipboard.Open();
    clipboard.Open();
    clipboard.SetAsHandle(cfEnhMetafile, Bytes("svg"));
    clipboard.Close();
    EXPECT_TRUE(clipboard.IsOpen());
    clipboard.SetAsHandle(cfBitmap, Bytes("bmp"));  // still inside the outer bracket
    clipboard.Close();
    EXPECT_FALSE(clipboard.IsOpen());
    EXPECT_EQ(clipboard.FormatCount(), 2u);
    EXPECT_TRUE(clipboard.HasFormat(cfEnhMetafile));
    EXPECT_TRUE(clipboard.HasFormat(cfBitmap));
}

TEST(ClipboardTest, UnbalancedCloseDoesNotUnderflow) {
    TClipboard clipboard;
    clipboard.Close();
    clipboard.Close();
    EXPECT_FALSE(clipboard.IsOpen());
    // One Open is enough to hold the clipboard open again.
    clipboard.Open();
    EXPECT_TRUE(clipboard.IsOpen());
    clipboard.SetAsHandle(CF_TEXT, Bytes("a"));
    clipboard.SetAsHandle(cfBitmap, Bytes("b"));
    clipboard.Close();
    EXPECT_FALSE(clipboard.IsOpen());
    EXPECT_EQ(clipboard.FormatCount(), 2u);
}

TEST(ClipboardTest, ClearInsideABracketLetsLaterPlacementsAdd) {
    TClipboard clipboard;
    clipboard.SetAsHandle(CF_TEXT, Bytes("old"));
    clipboard.Open();
    clipboard.Clear();
    EXPECT_EQ(clipboard.FormatCount(), 0u);
    clipboard.SetAsHandle(cfBitmap, Bytes("bmp"));
    clipboard.SetAsHandle(cfEnhMetafile, Bytes("svg"));
    clipboard.Close();
    EXPECT_EQ(clipboard.FormatCount(), 2u);
}

TEST(ClipboardTest, MissingFormatHasNoData) {
    TClipboard clipboard;
    EXPECT_FALSE(clipboard.HasFormat(cfBitmap));
    EXPECT_EQ(clipboard.GetAsHandle(cfBitmap), nullptr);
    EXPECT_EQ(clipboard.FormatCount(), 0u);
}

TEST(ClipboardTest, BitmapGoesInAsBmpData) {
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    bitmap.SetPixel(1, 1, clRed);
    TClipboard clipboard;
    clipboard.Assign(bitmap);
    EXPECT_EQ(clipboard.FormatCount(), 1u);
    const TClipboardData data = clipboard.GetAsHandle(cfBitmap);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(*data, bitmap.SaveToBmpData());
    // A BMP file starts with the signature "BM".
    ASSERT_GE(data->size(), 2u);
    EXPECT_EQ((*data)[0], 'B');
    EXPECT_EQ((*data)[1], 'M');
}

TEST(ClipboardTest, MetafileGoesInAsSvgText) {
    TMetafile metafile;
    metafile.SetWidth(10);
    metafile.SetHeight(5);
    {
        TMetafileCanvas canvas(metafile, nullptr);
        canvas.GetBrush().SetColor(clBlack);
        canvas.FillRect(Rect(0, 0, 2, 5));
    }
    TClipboard clipboard;
    clipboard.Assign(metafile);
    EXPECT_EQ(clipboard.FormatCount(), 1u);
    const std::string svg = Text(clipboard.GetAsHandle(cfEnhMetafile));
    EXPECT_EQ(svg, metafile.ToSvg());
    EXPECT_NE(svg.find("<rect x=\"0\" y=\"0\" width=\"2\" height=\"5\" fill=\"#000000\"/>"), std::string::npos) << svg;
}

TEST(ClipboardTest, MetafileAndBitmapInOneBracketStayTogether) {
    TMetafile metafile;
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    TClipboard clipboard;
    clipboard.SetAsHandle(CF_TEXT, Bytes("old"));
    clipboard.Open();
    clipboard.Assign(metafile);
    clipboard.Assign(bitmap);
    clipboard.Close();
    EXPECT_EQ(clipboard.FormatCount(), 2u);
    EXPECT_TRUE(clipboard.HasFormat(cfEnhMetafile));
    EXPECT_TRUE(clipboard.HasFormat(cfBitmap));
}

// Knows how to put itself on a clipboard, as a barcode renderer does.
class TLabel : public TPersistent {
public:
    std::string ClassName() const override { return "TLabel"; }
    void AssignTo(TPersistent& dest) override {
        if (auto* clipboard = dynamic_cast<TClipboard*>(&dest)) {
            clipboard->SetAsHandle(CF_TEXT, Bytes("label"));
            return;
        }
        TPersistent::AssignTo(dest);
    }
};

class TPlain : public TPersistent {
public:
    std::string ClassName() const override { return "TPlain"; }
};

TEST(ClipboardTest, OtherObjectsAssignThemselves) {
    TLabel label;
    TClipboard clipboard;
    clipboard.Assign(label);
    EXPECT_EQ(Text(clipboard.GetAsHandle(CF_TEXT)), "label");
}

TEST(ClipboardTest, ObjectsWithoutClipboardSupportGiveTheAssignmentError) {
    TPlain plain;
    TClipboard clipboard;
    clipboard.SetAsHandle(CF_TEXT, Bytes("kept"));
    try {
        clipboard.Assign(plain);
        FAIL() << "assigned a TPlain to the clipboard";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TPlain to a TClipboard.");
    }
    EXPECT_EQ(Text(clipboard.GetAsHandle(CF_TEXT)), "kept");
}

// What a system clipboard would receive: every published set, as format:text pairs.
class TRecordingBackend : public IClipboardBackend {
public:
    void Publish(const TClipboardFormats& formats) override {
        std::string set;
        for (const auto& [format, data] : formats) set += std::to_string(format) + ":" + Text(data) + " ";
        Sets.push_back(set);
    }
    std::vector<std::string> Sets;
};

TEST(ClipboardTest, BackendReceivesEachCompletedSetOnce) {
    TClipboard clipboard;
    auto backend = std::make_shared<TRecordingBackend>();
    EXPECT_EQ(clipboard.SetBackend(backend), nullptr);
    clipboard.SetAsHandle(CF_TEXT, Bytes("alone"));  // outside a bracket: at once
    clipboard.Open();
    clipboard.Open();
    clipboard.SetAsHandle(cfEnhMetafile, Bytes("svg"));
    clipboard.SetAsHandle(cfBitmap, Bytes("bmp"));
    clipboard.Close();  // not yet: the outer bracket is still open
    EXPECT_EQ(backend->Sets.size(), 1u);
    clipboard.Close();
    clipboard.Open();  // a bracket without placements publishes nothing
    clipboard.Close();
    clipboard.Clear();
    EXPECT_EQ(backend->Sets, (std::vector<std::string>{"1:alone ", "2:bmp 14:svg ", ""}));
    EXPECT_EQ(clipboard.SetBackend(nullptr), backend);
    clipboard.SetAsHandle(CF_TEXT, Bytes("unseen"));
    EXPECT_EQ(backend->Sets.size(), 3u);
}

TEST(ClipboardTest, ProcessClipboardIsOneObject) {
    EXPECT_EQ(&Clipboard(), &Clipboard());
    EXPECT_EQ(Clipboard().ClassName(), "TClipboard");
}

}  // namespace
}  // namespace zan::platform
