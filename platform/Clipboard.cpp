#include <zanbarcode/platform/Clipboard.h>

#include <utility>

#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Metafile.h>

namespace zan::platform {

void TClipboard::Open() {
    // Only the outermost Open starts a new set of formats.
    if (FOpenCount++ == 0) FEmptied = false;
}

void TClipboard::Close() {
    // An unbalanced Close leaves the clipboard closed rather than owing Opens.
    if (FOpenCount == 0) return;
    if (--FOpenCount == 0 && FChanged) Changed();
}

void TClipboard::Assign(TPersistent& source) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&source)) {
        TClipboardFormat format = cfBitmap;
        TClipboardData data;
        std::uint32_t palette = 0;  // a 32-bit image has none to place
        bitmap->SaveToClipboardFormat(format, data, palette);
        SetAsHandle(format, std::move(data));
        return;
    }
    if (auto* metafile = dynamic_cast<TMetafile*>(&source)) {
        const std::string svg = metafile->ToSvg();
        SetAsHandle(cfEnhMetafile, std::make_shared<const std::vector<std::uint8_t>>(svg.begin(), svg.end()));
        return;
    }
    TPersistent::Assign(source);
}

void TClipboard::SetAsHandle(TClipboardFormat format, TClipboardData data) {
    // Outside a bracket every placement is a bracket of its own, which empties the
    // clipboard; inside one only the first placement does.
    if (!IsOpen() || !FEmptied) {
        FFormats.clear();
        FEmptied = IsOpen();
    }
    FFormats[format] = std::move(data);
    Changed();
}

TClipboardData TClipboard::GetAsHandle(TClipboardFormat format) const {
    const auto found = FFormats.find(format);
    return found != FFormats.end() ? found->second : nullptr;
}

void TClipboard::Clear() {
    FFormats.clear();
    // Inside a bracket the clipboard now counts as emptied: later placements add.
    FEmptied = true;
    Changed();
}

std::shared_ptr<IClipboardBackend> TClipboard::SetBackend(std::shared_ptr<IClipboardBackend> backend) {
    return std::exchange(FBackend, std::move(backend));
}

void TClipboard::Changed() {
    FChanged = IsOpen();
    if (!FChanged && FBackend) FBackend->Publish(FFormats);
}

TClipboard& Clipboard() {
    static TClipboard clipboard;
    return clipboard;
}

}  // namespace zan::platform
