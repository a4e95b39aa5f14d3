#include <zanbarcode/platform/Forms.h>

namespace zan::platform {

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    SetColor(clBtnFace);
    SetParentFont(false);
    SetVisible(false);
}

const TPropList& TForm::PublishedProperties() const {
    static const TPropList properties = [this] {
        TPropList list = TWinControl::PublishedProperties();
        list.push_back(PlatformProperty("Caption"));
        // Stored whenever it is not the form default; a form has no parent to follow.
        TPropInfo color = WithDefault(PlatformProperty("Color"), "clBtnFace");
        color.IsStored = nullptr;
        list.push_back(std::move(color));
        list.push_back(PlatformProperty("Font"));
        list.push_back(PlatformProperty("OnClick"));
        list.push_back(PlatformProperty("OnDblClick"));
        list.push_back(PlatformProperty("OnResize"));
        return list;
    }();
    return properties;
}

void TForm::Show() {
    SetVisible(true);
    HandleNeeded();
}

}  // namespace zan::platform
