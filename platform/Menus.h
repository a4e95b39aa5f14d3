// Popup menus: what a control shows on a context-menu request.
#pragma once

#include <string>

#include <zanbarcode/platform/Components.h>

namespace zan::platform {

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    static std::string StaticClassName() { return "TPopupMenu"; }
    std::string ClassName() const override { return StaticClassName(); }
    // Name, Tag and OnPopup.
    const TPropList& PublishedProperties() const override;

    // Shows the menu at (X, Y) in screen coordinates through the window system, after
    // OnPopup, whose handler can still prepare the menu.
    void Popup(int x, int y);

    TNotifyEvent OnPopup;
};

}  // namespace zan::platform
