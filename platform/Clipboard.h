// An in-process clipboard: formats placed while it is held open stay together.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <zanbarcode/platform/Persistent.h>

namespace zan::platform {

using TClipboardFormat = std::uint16_t;
inline constexpr TClipboardFormat cfBitmap = 2;        // data: a BMP file
inline constexpr TClipboardFormat cfEnhMetafile = 14;  // data: the metafile as SVG text

// The data of one clipboard format: immutable bytes shared by whoever holds them.
using TClipboardData = std::shared_ptr<const std::vector<std::uint8_t>>;

class TClipboard : public TPersistent {
public:
    std::string ClassName() const override { return "TClipboard"; }

    // Opens the clipboard; calls nest. The first placement inside the outermost
    // Open empties the clipboard, later ones add to it.
    void Open();
    void Close();
    bool IsOpen() const { return FOpenCount > 0; }

    // Places a bitmap or a metafile in its clipboard format; any other object is
    // asked to assign itself to the clipboard.
    void Assign(TPersistent& source) override;
    // Places Data under Format. Outside an Open/Close bracket this replaces
    // everything on the clipboard.
    void SetAsHandle(TClipboardFormat format, TClipboardData data);

    bool HasFormat(TClipboardFormat format) const { return FFormats.count(format) != 0; }
    // The data under Format, or null.
    TClipboardData GetAsHandle(TClipboardFormat format) const;
    std::size_t FormatCount() const { return FFormats.size(); }
    void Clear();

private:
    int FOpenCount = 0;
    bool FEmptied = false;
    std::map<TClipboardFormat, TClipboardData> FFormats;
};

// The process's clipboard.
TClipboard& Clipboard();

}  // namespace zan::platform
