// Test fixture for one symbology drawing on its own renderer, and reading validation results and failures.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Metafile.h>

namespace zantest {

// Spaces get a colour of their own, so that they can be told from the background.
constexpr zan::platform::TColor BarColor = zan::platform::clBlack;
constexpr zan::platform::TColor SpaceColor = zan::platform::RgbColor(0, 255, 0);
// The same colours as SVG writes them.
constexpr const char* BarFill = "#000000";
constexpr const char* SpaceFill = "#00FF00";

// A standalone renderer owning a symbology of class T, drawing on a bitmap of the given
// resolution whose text has fixed metrics, counting its change notifications. The bitmap
// holds the whole output rectangle, Bounds.
template <class T>
class TSymbologyDrawing {
public:
    explicit TSymbologyDrawing(int pixelsPerInch = 96, zan::platform::TRect bounds = {0, 0, 400, 80})
        : TSymbologyDrawing(std::make_unique<T>(), pixelsPerInch, bounds) {}

    TSymbologyDrawing(std::unique_ptr<T> symbology, int pixelsPerInch, zan::platform::TRect bounds) {
        Bitmap.SetPixelsPerInch(pixelsPerInch);
        Bitmap.SetSize(bounds.Right, bounds.Bottom);
        Bitmap.GetCanvas().SetFontEngine(zan::platform::FixedMetricsFontEngine());
        Symbology = symbology.get();
        Renderer.SetSymbology(std::move(symbology));
        Renderer.SetCanvas(&Bitmap.GetCanvas());
        Renderer.SetBoundsRect(bounds);
        Renderer.SetBarColor(BarColor);
        Renderer.SetSpaceColor(SpaceColor);
        Renderer.SetCaption(Symbology->GetDefaultCaption());
        Renderer.SetOnVisualChange([this](zan::platform::TPersistent*) { ++Notifications; });
    }

    // The notification handler refers to this object: it stays where it was made.
    TSymbologyDrawing(const TSymbologyDrawing&) = delete;
    TSymbologyDrawing& operator=(const TSymbologyDrawing&) = delete;

    // The drawing calls of one Paint over the renderer's bounds.
    std::vector<zan::platform::TMetafileRecord> Records() {
        zan::platform::TMetafile metafile;
        Paint(metafile);
        return metafile.Records();
    }

    // One Paint as SVG, the picture as large as the output rectangle's far corner.
    std::string Svg() {
        zan::platform::TMetafile metafile;
        Paint(metafile);
        return metafile.ToSvg();
    }

    // The bars and spaces of one Paint in drawing order: every rectangle filled after the
    // background, each checked to be in the bar or the space colour.
    std::vector<zan::platform::TFillRectRecord> Elements() {
        std::vector<zan::platform::TFillRectRecord> fills;
        for (const zan::platform::TMetafileRecord& record : Records())
            if (const auto* fill = std::get_if<zan::platform::TFillRectRecord>(&record)) fills.push_back(*fill);
        if (fills.empty()) {
            ADD_FAILURE() << "Paint filled no background";
            return fills;
        }
        const zan::platform::TFillRectRecord background{.Rect = Renderer.GetBoundsRect(),
                                                        .Color = Renderer.GetBackColor()};
        EXPECT_EQ(fills.front(), background) << "Paint fills the output rectangle first";
        fills.erase(fills.begin());
        for (std::size_t i = 0; i < fills.size(); ++i)
            EXPECT_TRUE(fills[i].Color == Renderer.GetBarColor() || fills[i].Color == Renderer.GetSpaceColor())
                << "element " << i << " is neither bar nor space";
        return fills;
    }

    zan::platform::TBitmap Bitmap;
    zan::TZanBarcodeRenderer Renderer;
    T* Symbology = nullptr;
    int Notifications = 0;

private:
    void Paint(zan::platform::TMetafile& metafile) {
        const zan::platform::TRect bounds = Renderer.GetBoundsRect();
        metafile.SetWidth(bounds.Right);
        metafile.SetHeight(bounds.Bottom);
        // The metafile canvas hands its records to the metafile when it goes.
        zan::platform::TMetafileCanvas canvas(metafile, &Bitmap.GetCanvas());
        Renderer.SetCanvas(&canvas);
        Renderer.Paint();
        Renderer.SetCanvas(&Bitmap.GetCanvas());
    }
};

// The message of the EInvalidText that validating Text raises, or "" when Symbology
// accepts it; Text then holds the accepted form. A rejection always names its fault.
inline std::string RejectionMessage(zan::TZanBarcodeSymbology& symbology, std::string& text) {
    try {
        symbology.ValidateText(text);
    } catch (const zan::EInvalidText& e) {
        EXPECT_NE(e.Message(), "") << "rejected without a message";
        return e.Message();
    }
    return "";
}

// The message of the EZanBarcodeError that Action raises, or "(nothing raised)".
inline std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const zan::EZanBarcodeError& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

}  // namespace zantest
