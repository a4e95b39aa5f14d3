// Fuzz target: the form file reader, with barcode controls on the forms it reads.
//
// Input: form file text, read twice: into a form that already has properties and a
// barcode of its own, and as a new root created from the class the text names.
//
// Checks: bad text raises one of the library's own errors; a refused read leaves the
// existing form as it was, its text unchanged; a form that was read saves to text that
// reads back and saves to the same text again; a small form that was read is shown
// and painted in a headless window system.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/platform/Controls.h>
#include <zanbarcode/platform/Exception.h>
#include <zanbarcode/platform/FontEngine.h>
#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/platform/Forms.h>
#include <zanbarcode/platform/HeadlessWindows.h>
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

namespace zanfuzz {

namespace {

namespace platform = zan::platform;

// Forms are shown only when every control stays this small, so that runs stay fast.
constexpr int MaxShownSide = 512;

// Headless windows with fixed text metrics, set up once for the process.
std::shared_ptr<platform::THeadlessWindowSystem> Windows() {
    static const std::shared_ptr<platform::THeadlessWindowSystem> windows = [] {
        auto system = std::make_shared<platform::THeadlessWindowSystem>(96, platform::FixedMetricsFontEngine());
        platform::SetWindowSystem(system);
        zan::RegisterBarcodeControls();
        return system;
    }();
    return windows;
}

// A form as an application's designer left it: a caption, a size and one barcode.
std::unique_ptr<platform::TForm> ExistingForm() {
    auto form = std::make_unique<platform::TForm>(nullptr);
    form->SetName("Labels");
    form->SetCaption("Labels");
    form->SetBounds(0, 0, 300, 200);
    auto* barcode = new zan::TZanBarcode(form.get());
    barcode->SetName("Existing");
    barcode->SetParent(form.get());
    barcode->SetCaption("12345");
    return form;
}

bool IsSmall(const platform::TComponent& component) {
    if (const auto* control = dynamic_cast<const platform::TControl*>(&component)) {
        const platform::TRect bounds = control->GetBoundsRect();
        if (bounds.Width() > MaxShownSide || bounds.Height() > MaxShownSide || bounds.Left < -MaxShownSide ||
            bounds.Top < -MaxShownSide || bounds.Left > MaxShownSide || bounds.Top > MaxShownSide)
            return false;
    }
    for (int i = 0; i < component.GetComponentCount(); ++i)
        if (!IsSmall(*component.GetComponent(i))) return false;
    return true;
}

// Reads the text into the existing form; a refusal must leave it as it was.
void ReadIntoExistingForm(const std::string& text) {
    const std::unique_ptr<platform::TForm> form = ExistingForm();
    const std::string before = platform::SaveComponentToText(*form);
    try {
        platform::LoadComponentFromText(*form, text);
    } catch (const platform::Exception&) {
        Check(platform::SaveComponentToText(*form) == before, "a refused read leaves the form as it was");
        return;
    }
    const std::string after = platform::SaveComponentToText(*form);
    const std::unique_ptr<platform::TComponent> copy = platform::CreateComponentFromText(after);
    Check(platform::SaveComponentToText(*copy) == after, "a form read into an existing one saves the same twice");
}

// Creates the root the text names; what was read saves, reads back and saves the same.
void CreateFromText(const std::string& text) {
    std::unique_ptr<platform::TComponent> root;
    try {
        root = platform::CreateComponentFromText(text);
    } catch (const platform::Exception&) {
        return;
    }
    const std::string saved = platform::SaveComponentToText(*root);
    const std::unique_ptr<platform::TComponent> copy = platform::CreateComponentFromText(saved);
    Check(platform::SaveComponentToText(*copy) == saved, "a form read saves the same text after a round trip");

    auto* form = dynamic_cast<platform::TForm*>(root.get());
    if (!form || !IsSmall(*form)) return;
    form->Show();
    Windows()->ProcessPaints();
}

}  // namespace

void FuzzFormFile(std::string_view input) {
    Windows();
    const std::string text(input);
    ReadIntoExistingForm(text);
    CreateFromText(text);
}

}  // namespace zanfuzz
