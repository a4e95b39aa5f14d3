#include <zanbarcode/platform/Menus.h>

#include <zanbarcode/platform/WindowSystem.h>

namespace zan::platform {

const TPropList& TPopupMenu::PublishedProperties() const {
    static const TPropList properties = [this] {
        TPropList list = TComponent::PublishedProperties();
        list.push_back(EventProperty("OnPopup", &TPopupMenu::OnPopup));
        return list;
    }();
    return properties;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    WindowSystem().Popup(*this, {x, y});
}

}  // namespace zan::platform
