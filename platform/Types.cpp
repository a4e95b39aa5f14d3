#include <zanbarcode/platform/Types.h>

namespace zan::platform {

TColor ColorToRGB(TColor color) {
    if ((color & clSystemColor) == 0) return color;
    switch (color) {
        case clWindowText: return clBlack;
        case clBtnFace: return RgbColor(0xF0, 0xF0, 0xF0);
        default: return clWhite;  // the window colour and the rest of the light system colours
    }
}

}  // namespace zan::platform
