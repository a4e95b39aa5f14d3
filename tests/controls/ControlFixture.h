// Test fixture for barcode controls on a form shown in a headless window system.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/FontEngine.h>
#include <zanbarcode/platform/Forms.h>
#include <zanbarcode/platform/HeadlessWindows.h>

namespace zantest {

// What TZanBarcode publishes in the Delphi 5 and C++Builder 5 build, in order.
inline const std::vector<std::string> BarcodePublishedProperties = {
    "Name",
    "Tag",
    "Left",
    "Top",
    "Width",
    "Height",
    "Align",
    "Anchors",
    "AutoSize",
    "Caption",
    "Color",
    "Constraints",
    "Cursor",
    "DragCursor",
    "DragKind",
    "DragMode",
    "Font",
    "ParentColor",
    "ParentFont",
    "ParentShowHint",
    "PopupMenu",
    "ShowHint",
    "Visible",
    "OnCanResize",
    "OnClick",
    "OnConstrainedResize",
    "OnContextPopup",
    "OnDblClick",
    "OnDragDrop",
    "OnDragOver",
    "OnEndDock",
    "OnEndDrag",
    "OnMouseDown",
    "OnMouseMove",
    "OnMouseUp",
    "OnMouseWheel",
    "OnMouseWheelDown",
    "OnMouseWheelUp",
    "OnResize",
    "OnStartDock",
    "OnStartDrag",
    "Alignment",
    "BarColor",
    "Margins",
    "Orientation",
    "SpaceColor",
    "SymbologyName",
    "Symbology",
    "Version",
    "OnVisualChange",
};

// Windows of PixelsPerInch whose text has fixed metrics, so that every pixel can be
// predicted, and a form to put controls on.
class TControlFixture : public ::testing::Test {
protected:
    explicit TControlFixture(int pixelsPerInch = 96)
        : windows(std::make_shared<zan::platform::THeadlessWindowSystem>(pixelsPerInch,
                                                                         zan::platform::FixedMetricsFontEngine())),
          previous(zan::platform::SetWindowSystem(windows)) {
        zan::RegisterBarcodeControls();
        form.SetName("Form1");
        form.SetBounds(0, 0, 400, 300);
    }
    ~TControlFixture() override { zan::platform::SetWindowSystem(previous); }

    // A barcode on the form, not yet shown.
    zan::TZanBarcode* NewBarcode(const std::string& name = "") {
        auto* barcode = new zan::TZanBarcode(&form);
        barcode->SetName(name);
        barcode->SetParent(&form);
        return barcode;
    }

    zan::platform::THeadlessWindow& WindowOf(const zan::platform::TWinControl& control) {
        zan::platform::THeadlessWindow* window = zan::platform::THeadlessWindowSystem::WindowOf(control);
        if (window == nullptr) throw zan::platform::Exception("the control has no headless window");
        return *window;
    }

    // The renderer's own copy of the barcode, measured and drawn like the window.
    std::unique_ptr<zan::platform::TBitmap> CopyOf(zan::TZanCustomBarcode& barcode) {
        auto bitmap = std::make_unique<zan::platform::TBitmap>();
        bitmap->SetPixelsPerInch(windows->GetPixelsPerInch());
        bitmap->GetCanvas().SetFontEngine(zan::platform::FixedMetricsFontEngine());
        barcode.CopyToBitmap(*bitmap);
        return bitmap;
    }

    // The pixels that differ between two images of the same size; -1 for another size.
    static int DifferentPixels(const zan::platform::TBitmap& a, const zan::platform::TBitmap& b) {
        if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return -1;
        int different = 0;
        for (int y = 0; y < a.GetHeight(); ++y)
            for (int x = 0; x < a.GetWidth(); ++x) different += a.GetPixel(x, y) != b.GetPixel(x, y);
        return different;
    }

    std::shared_ptr<zan::platform::THeadlessWindowSystem> windows;
    std::shared_ptr<zan::platform::IWindowSystem> previous;
    zan::platform::TForm form{nullptr};
};

}  // namespace zantest
