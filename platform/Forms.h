// Forms: the top-level windowed controls that form files describe.
#pragma once

#include <string>

#include <zanbarcode/platform/Controls.h>

namespace zan::platform {

// A top-level window holding controls, usually the root of a form file. Its colour
// (default clBtnFace) and font are its own; it stays hidden until Show.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    static std::string StaticClassName() { return "TForm"; }
    std::string ClassName() const override { return StaticClassName(); }
    // TControl's, then Caption, Color, Font, OnClick, OnDblClick and OnResize.
    const TPropList& PublishedProperties() const override;

    // Makes the form visible, with the windows of the form and its controls.
    void Show();
};

}  // namespace zan::platform
