#include <zanbarcode/platform/WindowSystem.h>

#include <utility>

#include <zanbarcode/platform/HeadlessWindows.h>

namespace zan::platform {

namespace {

std::shared_ptr<IWindowSystem>& CurrentWindowSystem() {
    static std::shared_ptr<IWindowSystem> current = std::make_shared<THeadlessWindowSystem>();
    return current;
}

}  // namespace

IWindowSystem& WindowSystem() { return *CurrentWindowSystem(); }

std::shared_ptr<IWindowSystem> SetWindowSystem(std::shared_ptr<IWindowSystem> system) {
    if (!system) system = std::make_shared<THeadlessWindowSystem>();
    return std::exchange(CurrentWindowSystem(), std::move(system));
}

TMessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text, TMessageBoxButtons buttons) {
    return WindowSystem().ShowMessageBox(caption, text, buttons);
}

}  // namespace zan::platform
